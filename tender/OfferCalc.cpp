#include "tender/OfferCalc.h"

#include <algorithm>
#include <bitset>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <utility>
#include <vector>

#include "platform/rtl/Classes.h"
#include "platform/rtl/SysUtils.h"
#include "tender/N_STR.h"
#include "tender/N_STRDigits.h"
#include "tender/Uglo.h"

using namespace nstr;

double RoundDiscount(int decimals, double value) {
  if (!std::isfinite(value)) return value;
  // Discount decimals are 0 to 6; the bound only keeps N + 6 meaningful.
  if (decimals < 0) decimals = 0;
  if (decimals > MaxUsefulDecimals) decimals = MaxUsefulDecimals;

  DecimalDigits digits = Expand18(RoundDec(decimals + 6, value));
  RoundAtDecimal(digits, decimals + 6);
  const char next = DigitAt(digits, decimals + 1);
  const bool exactHalf =
      next == '5' && DigitAt(digits, decimals + 2) == '0' && DigitAt(digits, decimals + 3) == '0';

  // The text cut after a decimal, read back.
  const auto cutAfter = [&](int keptDecimals) {
    DecimalDigits cut = digits;
    const int keep = cut.Exp10 + keptDecimals;
    if (keep < cut.Count) cut.Count = keep > 0 ? keep : 0;
    while (cut.Count > 0 && cut.Digit[cut.Count - 1] == '0') --cut.Count;
    double result = value;
    DigitsToDouble(cut, result);
    return result;
  };
  if (exactHalf) return cutAfter(decimals + 1);
  if (next >= '5') return RoundDec(decimals, cutAfter(decimals + 1));
  return RoundDec(decimals, cutAfter(decimals));
}

// ---- the offers grid ---------------------------------------------------------

TOfferSheet::~TOfferSheet() = default;

AnsiString RightAlignedInt(int value, int width) {
  char digits[16];
  char* end = std::to_chars(digits, digits + sizeof digits, value).ptr;
  const auto length = static_cast<int>(end - digits);
  AnsiString text(length < width ? static_cast<size_t>(width - length) : 0, ' ');
  text.append(digits, end);
  return text;
}

AnsiString EntryNoText(int entryNo) { return RightAlignedInt(entryNo, 3); }

namespace {

// The number in column 0; 0 when the text is no entry number.
int RowEntryNo(const TOfferSheet& sheet, int row) {
  const AnsiString text = Trim(sheet.Cell(ColEntryNo, row));
  int value = 0;
  if (!TryStrToInt(text, value) || value < 0 || value > 0xFFFF) return 0;
  return value;
}

bool RowHasDetailedOffer(const TOfferSheet& sheet, int row) {
  return BidderDiscountTable.Has(RowEntryNo(sheet, row));
}

// What the row scans ask of a row of the offers grid.
struct TOfferRowCells {
  AnsiString Amount;
  AnsiString Discount;
  bool Named = false;
  bool Detailed = false;  // its entry number designates a detailed offer

  bool NoValues() const { return Amount.empty() && Discount.empty(); }
  // Nothing of the project: no amount, discount or name, no detailed offer.
  bool WhollyEmpty() const { return NoValues() && !Named && !Detailed; }
  // A discount "0" without name or detailed offer takes no slot.
  bool UnnamedVoid() const { return Discount == "0" && !Named && !Detailed; }
};

TOfferRowCells ReadRowCells(const TOfferSheet& sheet, int row) {
  return {sheet.Cell(ColAmount, row), sheet.Cell(ColDiscount, row), !sheet.Cell(ColName, row).empty(),
          RowHasDetailedOffer(sheet, row)};
}

// The last row a scan may read: the grid's, and never beyond one row per slot.
int LastScannableRow(const TOfferSheet& sheet) {
  const int last = sheet.RowCount() - 1;
  return last < LastOfferRow ? last : LastOfferRow;
}

// An unnamed bidder with a detailed offer is named "*;;" in the grid, and a
// zero discount of such a row is written as "0".
void MarkDetailedOfferRow(TOfferSheet& sheet, int row, int entryNo, double discount) {
  if (!BidderDiscountTable.Has(entryNo) || !sheet.Cell(ColName, row).empty()) return;
  sheet.SetCell(ColName, row, "*;;");
  if (discount == 0) sheet.SetCell(ColDiscount, row, "0");
}

double RoundByRule(int decimals, double value) {
  // The rule is installed by the main window; until then it is the tender's own.
  return RoundDiscountProc ? RoundDiscountProc(decimals, value) : RoundDiscount(decimals, value);
}

}  // namespace

int AmountDecimals(double amount) {
  int decimals = CountDecimals(amount);
  if (decimals < CostDecimals) decimals = CostDecimals;
  if (decimals > CostDecimals + 2) decimals = CostDecimals + 2;
  return decimals;
}

void ResetGridHeadings(TOfferSheet& sheet) {
  sheet.SetCell(ColName, 0, "ΠΡΟΣΦΕΡΟΥΣΑ ΕΤΑΙΡΕΙΑ"_a);
  sheet.SetCell(ColAmount, 0, "ΠΟΣΟ ΠΡΟΣΦΟΡΑΣ"_a);
  sheet.SetCell(ColDiscount, 0, "ΕΚΠΤΩΣΗ"_a);
}

namespace {
std::uint64_t BitsOf(double value) {
  std::uint64_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  return bits;
}
}  // namespace

size_t TOfferTexts::KeyHash::operator()(const Key& key) const {
  std::uint64_t h = key.Bits * 0x9E3779B97F4A7C15ull;
  h ^= (static_cast<std::uint64_t>(key.Width) << 40) ^ (static_cast<std::uint64_t>(key.Decimals) << 20) ^
       static_cast<std::uint64_t>(key.Style);
  return static_cast<size_t>(h ^ (h >> 29));
}

const AnsiString& TOfferTexts::Num(int width, int decimals, double value) {
  // Keyed by the value's bits: -0 and 0 or two NaNs may well write apart.
  const Key key{BitsOf(value), width, decimals, NumberStyle};
  auto found = texts_.find(key);
  if (found == texts_.end())
    found = texts_.emplace(key, FormatNum(width, decimals, NumberStyle, value)).first;
  return found->second;
}

int TOfferTexts::AmountDecimals(double amount) {
  // The count of the amount's own decimals is kept; the limits are applied
  // each time, as the cost decimals are read.
  const std::uint64_t bits = BitsOf(amount);
  auto found = decimals_.find(bits);
  if (found == decimals_.end()) found = decimals_.emplace(bits, CountDecimals(amount)).first;
  int decimals = found->second;
  if (decimals < CostDecimals) decimals = CostDecimals;
  if (decimals > CostDecimals + 2) decimals = CostDecimals + 2;
  return decimals;
}

// ---- records -------------------------------------------------------------------

TOfferCalcState OfferCalcState;

namespace {

// The marked offers the slots hold.
std::vector<TKeptMark> TakeMarks() {
  std::vector<TKeptMark> marks;
  for (int slot = 1; slot <= MaxOffers; ++slot) {
    const OfferRecord& offer = OfferTable[slot];
    if (offer.EntryNo != 0 && offer.Marked != 0) marks.push_back({offer.EntryNo, offer.Amount});
  }
  return marks;
}

// Equal as the ranking writes the kept amount.
bool SameShownAmount(double kept, double read) {
  if (kept == 0 || read == 0) return kept == read;
  const int decimals = AmountDecimals(kept);
  return FormatNum(14, decimals, NumberStyle, kept) == FormatNum(14, decimals, NumberStyle, read);
}

// The row just read into the offer is read as marked when it shows a kept
// mark's number and amount. A slot that another row's offer fills (a row
// deleted, moved or retyped) passes no mark on.
void RestoreMark(const std::vector<TKeptMark>& marks, const TOfferSheet& sheet, int row, OfferRecord& offer) {
  if (marks.empty() || sheet.Cell(ColDiscount, row).starts_with('*')) return;
  const double amount = StrToNum(sheet.Cell(ColAmount, row));
  for (const TKeptMark& kept : marks)
    if (kept.EntryNo == offer.EntryNo && SameShownAmount(kept.Amount, amount)) {
      offer.Marked = 1;
      offer.TypedFlag = 1;
      return;
    }
}

}  // namespace

void SetOfferCount(int n) { OfferCount = n < 0 ? 0 : n > MaxOffers ? MaxOffers : n; }

void CompactOffers() {
  // Each removal leaves one more copy of slot 500 at the top; those copies
  // are not examined again, so a removable slot 500 cannot loop forever.
  int end = MaxOffers;
  int i = 1;
  while (i < end) {
    const OfferRecord& offer = OfferTable[i];
    if (offer.TypedFlag >= 1 && offer.EntryNo == 0) {
      for (int slot = i; slot < MaxOffers; ++slot) OfferTable[slot] = OfferTable[slot + 1];
      --end;
    } else {
      ++i;
    }
  }
}

void ResetCalculation(TStrings* report) {
  if (report) report->Clear();
  OfferCalcState.CurrentRow = 0;
  OfferCalcState.SlotCount = 0;
  CompactOffers();
  OfferCalcState.KeptMarks = TakeMarks();
  for (int slot = 1; slot <= MaxOffers; ++slot) {
    OfferRecord& offer = OfferTable[slot];
    const double exact = offer.ExactDiscount;
    const Byte marked = offer.Marked;
    offer = OfferRecord();
    offer.ExactDiscount = exact;
    offer.Marked = marked;
  }
}

bool CheckPosoPososto(int decimals, double divisor, double discount, double amount) {
  if (amount == 0 || divisor == 0 || discount == 100) return false;
  if (discount != std::trunc(discount)) return false;
  // Evaluated in extended precision: an amount a hair from the limit must
  // pass or fail as it always did, which a double quotient can turn.
  const long double quotient = amount / ((100 - static_cast<long double>(discount)) / 100);
  return std::fabs(quotient - divisor) < 2 * Pow10L(-decimals);
}

// ---- the calculation ------------------------------------------------------------

const AnsiString MissingDivisorMessage = "Δεν έχει εισαχθεί Διαιρέτης"_a;
const AnsiString OverHundredMessage = "Έχει Εισαχθεί Έκπτωση Μεγαλύτερη του 100%. A/A="_a;

AnsiString GapInOffersMessage(int row) {
  return "Η γραμμή "_a + IntToStr(row) +
         " δεν έχει ποσό ή έκπτωση, ενώ γραμμές κάτω από αυτή έχουν προσφορά: συμπληρώστε ή διαγράψτε τη γραμμή."_a;
}

namespace {

// Reads grid row r into the next slot.
void ReadOfferRow(TOfferSheet& sheet, int row, OfferRecord& offer) {
  const double x = StrToNum(sheet.Cell(ColAmount, row));
  offer.Amount =
      CountDecimals(x) > CostDecimals + 2 ? RoundDec(CostDecimals + 4, x) : RoundDec(CostDecimals + 2, x);

  const AnsiString cell = sheet.Cell(ColDiscount, row);
  std::string_view text = std::string_view(cell).substr(0, 80);
  // The mark belongs to this row: a slot refilled from another row loses it.
  offer.Marked = 0;
  offer.TypedFlag = 0;
  if (!text.empty() && text.front() == '*') {
    text.remove_prefix(1);
    offer.TypedFlag = 1;
    offer.Marked = 1;
  }
  double v = StrToNum(text);
  if (offer.Amount == 0 && v == 0) v = 1e-9;
  if (cell == "0") v = 0;
  offer.RoundedDiscount = v;
  offer.Discount = v;

  offer.EntryNo = static_cast<Word>(RowEntryNo(sheet, row));
  MarkDetailedOfferRow(sheet, row, offer.EntryNo, v);
  offer.BidderName = sheet.Cell(ColName, row);
}

// Where the calculation and the save compute a slot's discount apart.
struct TDiscountRule {
  int ExactDecimals;          // the exact discount kept: 15 decimals, 12 for the save
  bool ZeroStandIn;           // a zero after rounding is held as plus or minus 1e-9
  bool DiscountIsExact;       // Discount takes the exact value, else the rounded one
  bool TypedDiscountIsExact;  // a slot without amount takes its typed discount as exact
};
constexpr TDiscountRule CalculationRule{15, true, false, true};
constexpr TDiscountRule SaveRule{12, false, true, false};

// The discount of slot j against the divisor; false with the outcome set
// when the slot has an amount and there is no divisor.
bool ComputeDiscount(int slot, double divisor, const TDiscountRule& rule, TCalcResult& result) {
  OfferRecord& offer = OfferTable[slot];
  if (offer.Amount == 0) {
    // A discount given without an amount stays as typed.
    if (rule.TypedDiscountIsExact) offer.ExactDiscount = offer.RoundedDiscount;
  } else {
    if (divisor == 0) {
      result.Outcome = TCalcOutcome::MissingDivisor;
      result.Slot = slot;
      result.Message = MissingDivisorMessage;
      return false;
    }
    // Evaluated in extended precision and stored once as a double.
    double d = static_cast<double>((1 - static_cast<long double>(offer.Amount) / divisor) * 100);
    if (offer.TypedFlag == 1) {
      d = std::nearbyint(d);  // a half goes to the even neighbour
      offer.TypedFlag = 0;
      offer.Marked = 1;
    }
    offer.ExactDiscount = RoundDec(rule.ExactDecimals, d);
    offer.RoundedDiscount = RoundByRule(DiscountDecimals, d);
    if (rule.ZeroStandIn && offer.RoundedDiscount == 0)
      offer.RoundedDiscount = offer.Amount > divisor ? -1e-9 : 1e-9;
    offer.Discount = rule.DiscountIsExact ? offer.ExactDiscount : offer.RoundedDiscount;
  }
  return true;
}

// False with the outcome set when slot j's discount is above 100 %.
bool DiscountInRange(int slot, TCalcResult& result) {
  if (OfferTable[slot].Discount > 100) {
    result.Outcome = TCalcOutcome::OverHundred;
    result.Slot = slot;
    result.Message = OverHundredMessage + IntToStr(slot);
    return false;
  }
  return true;
}

// Whether the calculation's scan, had it reached row r, would take a slot
// for a bidder that slots 1 to k do not hold: an amount, a discount or a
// detailed offer; a lone "0" without name or detailed offer takes none,
// nor does a number whose detailed offer a ranked row shows already.
bool RowLeftOut(const TOfferSheet& sheet, int row, int k) {
  const TOfferRowCells cells = ReadRowCells(sheet, row);
  if (!cells.Amount.empty() || (!cells.Discount.empty() && !cells.UnnamedVoid())) return true;
  if (!cells.Detailed) return false;
  const int number = RowEntryNo(sheet, row);
  for (int slot = 1; slot <= k; ++slot)
    if (OfferTable[slot].EntryNo == number) return false;
  return true;
}

}  // namespace

bool RowHoldsOffer(const TOfferSheet& sheet, int row) {
  const TOfferRowCells cells = ReadRowCells(sheet, row);
  return !cells.NoValues() || cells.Detailed;
}

TCalcResult ScanOffers(TOfferSheet& sheet) {
  TCalcResult result;
  TOfferCalcState& state = OfferCalcState;
  state.CurrentRow = 0;
  const int lastRow = LastScannableRow(sheet);
  int k = 0;
  int endRow = 0;
  while (state.CurrentRow < lastRow && k < MaxOffers) {
    const int row = state.CurrentRow + 1;
    const TOfferRowCells cells = ReadRowCells(sheet, row);
    if (cells.NoValues() && !cells.Detailed) {
      endRow = row;
      break;
    }
    state.CurrentRow = row;
    if (cells.UnnamedVoid()) continue;
    ++k;
    ReadOfferRow(sheet, row, OfferTable[k]);
    RestoreMark(state.KeptMarks, sheet, row, OfferTable[k]);
  }
  state.SlotCount = k;
  state.OfferRowsInGrid = state.CurrentRow;

  // Offers typed below the row that ended the scan would be left out of the
  // ranking without a word: a committee could sign a ranking without them.
  if (endRow != 0)
    for (int row = endRow + 1; row <= lastRow; ++row)
      if (RowLeftOut(sheet, row, k)) {
        result.Outcome = TCalcOutcome::GapInOffers;
        result.Row = endRow;
        result.Message = GapInOffersMessage(endRow);
        return result;
      }

  const double divisor = ProjectHeader.Divisor;
  for (int slot = 1; slot <= k; ++slot)
    if (!ComputeDiscount(slot, divisor, CalculationRule, result) || !DiscountInRange(slot, result))
      return result;

  SetOfferCount(k);
  result.Outcome = k == 0 ? TCalcOutcome::NoOffers : TCalcOutcome::Done;
  return result;
}

TCalcResult ScanOffersForSave(TOfferSheet& sheet) {
  TCalcResult result;
  const int lastRow = LastScannableRow(sheet);
  const int decimals = OfferCalcState.LastAmountDecimals;
  const std::vector<TKeptMark> marks = TakeMarks();
  int k = 0;
  for (int row = 1; row <= lastRow && k < MaxOffers; ++row) {
    const TOfferRowCells cells = ReadRowCells(sheet, row);
    // A row emptied in the middle, or left empty above the bidders typed
    // below it, takes no slot; the rows below it are still the project's.
    if (cells.WhollyEmpty()) continue;
    // A named bidder without amount or discount is stored as a void offer.
    if (cells.Named && cells.NoValues()) sheet.SetCell(ColDiscount, row, "0");
    if (cells.UnnamedVoid()) continue;
    ++k;
    OfferRecord& offer = OfferTable[k];
    ReadOfferRow(sheet, row, offer);
    RestoreMark(marks, sheet, row, offer);
    offer.Amount = RoundDec(decimals + 2, StrToNum(sheet.Cell(ColAmount, row)));
    // A zero typed as a discount without an amount ("0.00") is an offer of
    // 0 %, held as the calculation holds it: stored as 0 it would read back
    // as "0", a void offer.
    if (offer.Amount == 0 && offer.RoundedDiscount == 0 && sheet.Cell(ColDiscount, row) != "0")
      offer.RoundedDiscount = offer.Discount = 1e-9;
  }

  const double divisor = ProjectHeader.Divisor;
  // Every discount is worked out before any is checked: a missing divisor
  // is told first, wherever its offer stands.
  for (int slot = 1; slot <= k; ++slot)
    if (!ComputeDiscount(slot, divisor, SaveRule, result)) return result;
  for (int slot = 1; slot <= k; ++slot)
    if (!DiscountInRange(slot, result)) return result;
  SetOfferCount(k);
  result.Outcome = k == 0 ? TCalcOutcome::NoOffers : TCalcOutcome::Done;
  return result;
}

// ---- ranking ---------------------------------------------------------------------

bool OfferInOrder(int i, int j, bool ascending, bool byEntryNo) {
  const OfferRecord& a = OfferTable[i];
  const OfferRecord& b = OfferTable[j];
  if (byEntryNo) return a.EntryNo < b.EntryNo;
  if (ascending) return a.RoundedDiscount < b.RoundedDiscount;
  return a.RoundedDiscount > b.RoundedDiscount;
}

namespace {

// The exchange sort's very swaps, made on the keys alone (the entry number
// or the rounded discount, compared as OfferInOrder compares them) with
// each key's slot beside it, negative for an empty slot; the records move
// once afterwards, so the order, equal keys included, is the same. Taken
// for keys that hold a NaN, which is in order with nothing.
template <typename InOrder>
void ExchangeSort(std::vector<double>& keys, std::vector<int>& slots, InOrder inOrder) {
  const size_t n = keys.size();
  for (size_t i = 0; i + 1 < n; ++i) {
    double key = keys[i];
    int slot = slots[i];
    // An empty slot in place i is compared with nothing, also one that a
    // swap brought there.
    if (slot < 0) continue;
    for (size_t j = i + 1; j < n; ++j) {
      if (inOrder(key, keys[j])) continue;
      std::swap(key, keys[j]);
      std::swap(slot, slots[j]);
      if (slot < 0) break;
    }
    keys[i] = key;
    slots[i] = slot;
  }
}

// The same swaps on one word a place: the key's rank in the upper half
// (the order to reach is the ranks' rising order), the slot in the lower,
// with EmptySlot set for an empty one. Ties and runs ranked in reverse make
// a swap of nearly every second comparison, which a branch cannot foresee,
// and a selection costs a chain of several steps a comparison. So the pass
// keeps the held place as the smaller of two words in which, between rank
// and slot, the later place ranks first among equal keys: a swap is then
// exactly the held word growing smaller, one minimum a comparison.
constexpr std::uint64_t EmptySlot = 0x8000;
constexpr int RankShift = 32;
constexpr int PlaceShift = 16;
constexpr std::uint64_t PlaceBits = std::uint64_t{0xFFFF} << PlaceShift;

// The word of place j as a pass compares it: its place between rank and
// slot, later places smaller.
inline std::uint64_t Compared(const std::uint64_t* p, size_t j) {
  return p[j] | (static_cast<std::uint64_t>(0xFFFF - j) << PlaceShift);
}

// One pass at a time, for places that hold empty slots.
void ExchangeSortRankedWithEmptySlots(std::uint64_t* p, size_t n) {
  for (size_t i = 0; i + 1 < n; ++i) {
    if (p[i] & EmptySlot) continue;
    std::uint64_t held = Compared(p, i);
    for (size_t j = i + 1; j < n; ++j) {
      const std::uint64_t other = Compared(p, j);
      const std::uint64_t smaller = std::min(held, other);
      p[j] = (held ^ other ^ smaller) & ~PlaceBits;
      held = smaller;
      if (held & EmptySlot) break;
    }
    p[i] = held & ~PlaceBits;
  }
}

// Without empty slots, passes i to i + 3 are made together: pass m meets
// place j right after pass m - 1 left it, so each place meets the passes
// in their order, as one after the other would, while the passes' chains
// of minimums run side by side.
void ExchangeSortRanked(std::vector<std::uint64_t>& places, bool emptySlots) {
  const size_t n = places.size();
  std::uint64_t* p = places.data();
  if (emptySlots) return ExchangeSortRankedWithEmptySlots(p, n);
  const auto meet = [p](std::uint64_t& held, size_t j) {
    const std::uint64_t other = Compared(p, j);
    const std::uint64_t smaller = std::min(held, other);
    p[j] = (held ^ other ^ smaller) & ~PlaceBits;
    held = smaller;
  };
  size_t i = 0;
  for (; i + 4 < n; i += 4) {
    // Each pass starts at its own place once the earlier ones passed it.
    std::uint64_t held0 = Compared(p, i);
    meet(held0, i + 1);
    std::uint64_t held1 = Compared(p, i + 1);
    meet(held0, i + 2);
    meet(held1, i + 2);
    std::uint64_t held2 = Compared(p, i + 2);
    meet(held0, i + 3);
    meet(held1, i + 3);
    meet(held2, i + 3);
    std::uint64_t held3 = Compared(p, i + 3);
    for (size_t j = i + 4; j < n; ++j) {
      meet(held0, j);
      meet(held1, j);
      meet(held2, j);
      meet(held3, j);
    }
    p[i] = held0 & ~PlaceBits;
    p[i + 1] = held1 & ~PlaceBits;
    p[i + 2] = held2 & ~PlaceBits;
    p[i + 3] = held3 & ~PlaceBits;
  }
  for (; i + 1 < n; ++i) {
    std::uint64_t held = Compared(p, i);
    for (size_t j = i + 1; j < n; ++j) meet(held, j);
    p[i] = held & ~PlaceBits;
  }
}
}  // namespace

void SortOffers(bool ascending, bool byEntryNo) {
  const int n = OfferCount;
  if (n < 2) return;
  std::vector<double> keys(n);
  std::vector<int> slots(n);
  bool anyNaN = false;
  for (int slot = 1; slot <= n; ++slot) {
    const OfferRecord& offer = OfferTable[slot];
    // An entry number is exact as a double.
    keys[slot - 1] = byEntryNo ? static_cast<double>(offer.EntryNo) : offer.RoundedDiscount;
    anyNaN |= std::isnan(keys[slot - 1]);
    slots[slot - 1] = offer.EntryNo == 0 ? -slot : slot;
  }
  const bool rising = byEntryNo || ascending;
  if (anyNaN) {
    // A NaN is in order with nothing; the doubles compare as they are.
    if (rising)
      ExchangeSort(keys, slots, [](double a, double b) { return a < b; });
    else
      ExchangeSort(keys, slots, [](double a, double b) { return a > b; });
  } else {
    // Equal keys (0 and -0 too) take one rank; a falling order is the
    // rising order of the ranks counted from the top.
    std::vector<std::pair<double, int>> byKey(n);
    for (int i = 0; i < n; ++i) byKey[i] = {keys[i], i};
    std::sort(byKey.begin(), byKey.end());
    std::vector<std::uint64_t> ranks(n);
    std::uint64_t rank = 0;
    for (int k = 0; k < n; ++k) {
      if (k > 0 && byKey[k - 1].first < byKey[k].first) ++rank;
      ranks[byKey[k].second] = rank;
    }
    std::vector<std::uint64_t> places(n);
    for (int i = 0; i < n; ++i) {
      const std::uint64_t placeRank = rising ? ranks[i] : rank - ranks[i];
      places[i] = placeRank << RankShift | (slots[i] < 0 ? EmptySlot | static_cast<std::uint64_t>(-slots[i])
                                                         : static_cast<std::uint64_t>(slots[i]));
    }
    ExchangeSortRanked(places, std::any_of(slots.begin(), slots.end(), [](int slot) { return slot < 0; }));
    for (int i = 0; i < n; ++i) slots[i] = static_cast<int>(places[i] & (EmptySlot - 1));
  }
  std::vector<OfferRecord> sorted(n);
  for (int i = 0; i < n; ++i) sorted[i] = OfferTable[std::abs(slots[i])];
  for (int i = 0; i < n; ++i) OfferTable[i + 1] = std::move(sorted[i]);
}

namespace {

// The discount as the grid shows it, with its marks.
AnsiString DiscountCellText(const OfferRecord& offer, int projectType, double divisor, TOfferTexts* texts) {
  AnsiString text =
      offer.RoundedDiscount == 0 ? AnsiString("0")
      : texts                    ? texts->Num(DiscountDecimals + 5, DiscountDecimals, offer.RoundedDiscount)
              : FormatNum(DiscountDecimals + 5, DiscountDecimals, NumberStyle, offer.RoundedDiscount);
  if (offer.Amount == 0) return text;
  if (projectType == ProjectCategoryPercentages &&
      (CheckPosoPososto(CostDecimals + 2, divisor, offer.RoundedDiscount, offer.Amount) || offer.Marked)) {
    return offer.RoundedDiscount == 0 ? AnsiString("*0.00") : text;
  }
  // A discount that only rounding kept from zero.
  // The limit is the extended power of ten: rounded to a double it can
  // fall below an exact discount of that very size.
  if (std::fabs(offer.ExactDiscount) < Pow10L(-(DiscountDecimals + 1)))
    return AnsiString(1, '~').append(text);
  return text;
}

bool RowHoldsText(const TOfferSheet& sheet, int row) {
  for (int col = ColName; col <= ColRemark; ++col)
    if (!sheet.Cell(col, row).empty()) return true;
  return false;
}

}  // namespace

void DisplayItems(TOfferSheet& sheet, int projectType, TOfferTexts* texts) {
  const double divisor = ProjectHeader.Divisor;
  const int lastRow = sheet.RowCount() - 1;
  int row = 0;
  for (int slot = 1; slot <= OfferCount; ++slot) {
    OfferRecord& offer = OfferTable[slot];
    if (offer.EntryNo == 0) continue;
    ++row;
    // An offer whose exact discount is zero is flagged once in its remark.
    if (offer.ExactDiscount == 0 && !offer.Remark.View().starts_with('!'))
      offer.Remark = AnsiString(1, '!').append(offer.Remark.View());
    if (row > lastRow) continue;
    sheet.SetCell(ColEntryNo, row, EntryNoText(offer.EntryNo));
    sheet.SetCell(ColDiscount, row, DiscountCellText(offer, projectType, divisor, texts));
    if (offer.Amount != 0) {
      const int decimals = texts ? texts->AmountDecimals(offer.Amount) : AmountDecimals(offer.Amount);
      OfferCalcState.LastAmountDecimals = decimals;
      sheet.SetCell(ColAmount, row,
                    texts ? texts->Num(14, decimals, offer.Amount)
                          : FormatNum(14, decimals, NumberStyle, offer.Amount));
    }
    sheet.SetCell(ColName, row, offer.BidderName.Str());
    const bool detailed = offer.Remark.Empty() && BidderDiscountTable.Has(offer.EntryNo);
    sheet.SetCell(ColRemark, row, detailed ? AnsiString(1, '*') : offer.Remark.Str());
  }
  const int shownRows = row;

  // The rows after the offers are numbered on from the highest entry number.
  // Rows that were not part of the offers and still hold something keep
  // their number, which may designate a detailed offer; no number is given
  // twice.
  int highest = 0;
  for (int slot = 1; slot <= MaxOffers; ++slot)
    if (OfferTable[slot].EntryNo > highest) highest = OfferTable[slot].EntryNo;
  // Entry numbers are words, and RowEntryNo reads nothing larger.
  using TNumberSet = std::bitset<0x10000>;
  std::vector<bool> keeps(lastRow + 1 > 0 ? lastRow + 1 : 0, false);
  TNumberSet shownNumbers;
  for (int slot = 1; slot <= OfferCount; ++slot)
    if (OfferTable[slot].EntryNo != 0) shownNumbers.set(OfferTable[slot].EntryNo);
  TNumberSet keptNumbers;
  for (int r = shownRows + 1; r <= lastRow; ++r) {
    if (r <= OfferCalcState.OfferRowsInGrid) continue;
    // A number a ranked row already shows is never kept a second time.
    const int number = RowEntryNo(sheet, r);
    if ((RowHoldsText(sheet, r) || RowHasDetailedOffer(sheet, r)) && !shownNumbers.test(number) &&
        !keptNumbers.test(number)) {
      keptNumbers.set(number);
      keeps[r] = true;
    }
  }
  const auto kept = [&](int number) { return number < 0x10000 && keptNumbers.test(number); };
  int next = highest;
  for (int r = shownRows + 1; r <= lastRow; ++r) {
    if (keeps[r]) continue;
    do ++next;
    while (kept(next));
    sheet.SetCell(ColEntryNo, r, EntryNoText(next));
  }
  OfferCalcState.OfferRowsInGrid = shownRows;
}

void sortitms(TOfferSheet& sheet, bool ascending, bool byEntryNo, bool display, int projectType,
              TOfferTexts* texts) {
  // Only the rows that held the offers are cleared: rows typed below an
  // empty row were never read and keep their text.
  int shown = 0;
  for (int slot = 1; slot <= OfferCount; ++slot) shown += OfferTable[slot].EntryNo != 0;
  int clearRows = OfferCalcState.OfferRowsInGrid > shown ? OfferCalcState.OfferRowsInGrid : shown;
  if (clearRows > sheet.RowCount() - 1) clearRows = sheet.RowCount() - 1;
  for (int row = 1; row <= clearRows; ++row)
    for (int col = ColName; col <= ColRemark; ++col) sheet.SetCell(col, row, "");
  OfferCalcState.OfferRowsInGrid = clearRows;
  ResetGridHeadings(sheet);
  SortOffers(ascending, byEntryNo);
  if (display) DisplayItems(sheet, projectType, texts);
}

void RefreshOffersFromGrid(TOfferSheet& sheet) {
  const std::vector<TKeptMark> marks = TakeMarks();
  OfferTable.Clear();
  const int lastRow = LastScannableRow(sheet);
  const int decimals = OfferCalcState.LastAmountDecimals;
  int rowsRead = 0;
  for (int row = 1; row <= lastRow; ++row) {
    const TOfferRowCells cells = ReadRowCells(sheet, row);
    // An empty row above bidders typed below it leaves its slot empty: the
    // bidders below are still the project's, and their slots stay those of
    // their rows, where the marks of their detailed offers go.
    if (cells.WhollyEmpty()) continue;
    OfferRecord& offer = OfferTable[row];
    offer.RoundedDiscount = StrToNum(cells.Discount);
    offer.Discount = offer.RoundedDiscount;
    offer.Marked = cells.Discount.starts_with('*') ? 1 : 0;
    offer.EntryNo = static_cast<Word>(RowEntryNo(sheet, row));
    offer.Amount = RoundDec(decimals + 2, StrToNum(cells.Amount));
    RestoreMark(marks, sheet, row, offer);
    MarkDetailedOfferRow(sheet, row, offer.EntryNo, offer.RoundedDiscount);
    offer.BidderName = sheet.Cell(ColName, row);
    rowsRead = row;
  }
  OfferCalcState.OfferRowsInGrid = rowsRead;
  if (rowsRead > OfferCount) SetOfferCount(rowsRead);
}

void MarkDetailedOfferRows(TOfferSheet& sheet) {
  // The slots follow the rows only until a save passes over an empty row
  // or a row is deleted: the bidder's row is the one showing its number.
  std::bitset<0x10000> detailed;
  for (int slot = 1; slot <= OfferCount; ++slot) {
    const Word entryNo = OfferTable[slot].EntryNo;
    if (entryNo != 0 && BidderDiscountTable.Has(entryNo)) detailed.set(entryNo);
  }
  const int lastRow = LastScannableRow(sheet);
  for (int row = 1; row <= lastRow; ++row)
    if (detailed.test(RowEntryNo(sheet, row)) && sheet.Cell(ColRemark, row).empty())
      sheet.SetCell(ColRemark, row, "*");
}

std::vector<AnsiString> OfferRowsSnapshot(const TOfferSheet& sheet) {
  // The values, not their display: the calculation rewrites amounts and
  // discounts in its own format and drops the marks "*" and "~".
  const auto number = [](AnsiString text) {
    text = Trim(text);
    while (!text.empty() && (text[0] == '*' || text[0] == '~')) text.erase(0, 1);
    return FloatToStr(StrToNum(text));
  };
  std::vector<AnsiString> rows;
  const int lastRow = std::min(sheet.RowCount() - 1, LastOfferRow);
  for (int row = 1; row <= lastRow; ++row) {
    const AnsiString name = sheet.Cell(ColName, row);
    const AnsiString amount = sheet.Cell(ColAmount, row);
    const AnsiString discount = sheet.Cell(ColDiscount, row);
    if (name.empty() && amount.empty() && discount.empty()) continue;
    rows.push_back(IntToStr(RowEntryNo(sheet, row)) + '\t' + name + '\t' + number(amount) + '\t' +
                   number(discount));
  }
  std::sort(rows.begin(), rows.end());
  return rows;
}
