#pragma once
// The offer calculation's logic that draws nothing: the offers grid is seen
// through TOfferSheet, the offers live in the tender state (Uglo). The main
// window adapts its grid, shows the messages and moves the focus.

#include <cstdint>
#include <unordered_map>
#include <vector>

#include "platform/rtl/System.h"

class TStrings;

// The tender's rounding rule for a discount with N decimals: the value is
// looked at to N + 6 decimals; when the three digits after the N-th are
// "500" the discount keeps N + 1 decimals (that 5) unrounded, otherwise it
// is rounded to N decimals on its first N + 1 digits.
double RoundDiscount(int decimals, double value);

// ---- the offers grid ---------------------------------------------------------

// Cell access of the offers grid. Row 0 holds the headings, rows 1 on the
// offers; a cell outside the grid reads as "" and ignores writes.
class TOfferSheet {
 public:
  virtual ~TOfferSheet();
  virtual AnsiString Cell(int col, int row) const = 0;
  virtual void SetCell(int col, int row, const AnsiString& text) = 0;
  virtual int RowCount() const = 0;
};

// Columns of the offers grid.
enum : int {
  ColEntryNo = 0,   // the entry number, 3 characters right-aligned
  ColName = 1,      // bidder name
  ColAmount = 2,    // offered amount in the number style
  ColDiscount = 3,  // discount; a leading "*" marks the offer, "0" alone is a void offer
  ColRemark = 4,    // remark, or "*" for a detailed offer; never read back
};

// An integer right-aligned in width characters at least, never cut: what
// the format "%<width>d" writes.
AnsiString RightAlignedInt(int value, int width);

// An entry number as column 0 shows it: right-aligned in 3 characters at
// least; a longer number is never cut, since it names its detailed offer.
AnsiString EntryNoText(int entryNo);

// The last row an offer can occupy: one per slot.
constexpr int LastOfferRow = 500;

// Project types of the offer check (the header's project type byte).
enum : int { ProjectNoCheck = 0, ProjectPricedOffer = 1, ProjectCategoryPercentages = 2 };

// The decimals an amount is shown with: its own, kept within CostDecimals
// to CostDecimals + 2.
int AmountDecimals(double amount);

// Row 0 of columns 1 to 3.
void ResetGridHeadings(TOfferSheet& sheet);

// The number texts of one calculation. The grid shows every amount and
// discount after each of its sorts and the report shows them twice more,
// always in the same widths, so each text is worked out once and then
// handed out again; every text is the one FormatNum gives in the current
// number style, and every count the one AmountDecimals gives.
class TOfferTexts {
 public:
  // FormatNum(width, decimals, NumberStyle, value).
  const AnsiString& Num(int width, int decimals, double value);
  // AmountDecimals(amount).
  int AmountDecimals(double amount);

 private:
  struct Key {
    std::uint64_t Bits;
    int Width;
    int Decimals;
    int Style;
    bool operator==(const Key&) const = default;
  };
  struct KeyHash {
    size_t operator()(const Key& key) const;
  };
  std::unordered_map<Key, AnsiString, KeyHash> texts_;
  std::unordered_map<std::uint64_t, int> decimals_;
};

// ---- working state -------------------------------------------------------------

// A marked offer as a slot held it. The ranking writes a marked offer's
// discount without its "*": the row that still shows the offer's bidder
// number and amount is read as if it showed the "*" (marked, its discount
// a whole percent), so that calculating again, saving and opening rank it
// as the first calculation did.
struct TKeptMark {
  Word EntryNo = 0;
  double Amount = 0;
};

struct TOfferCalcState {
  int CurrentRow = 0;  // the row scan's current row
  int SlotCount = 0;   // slots filled by the row scan
  // Rows 1 to this held the offers last read from or written to the grid;
  // a sort clears these and no others.
  int OfferRowsInGrid = 0;
  // The amount decimals last worked out for the grid (CostDecimals to
  // CostDecimals + 2); the refresh from the grid rounds amounts with it.
  int LastAmountDecimals = 0;
  // The marked offers of the slots before ResetCalculation zeroed them.
  std::vector<TKeptMark> KeptMarks;
};
extern TOfferCalcState OfferCalcState;

// ---- records -------------------------------------------------------------------

// OfferCount := n, kept within 0..500.
void SetOfferCount(int n);

// Slots whose typed flag is set and whose entry number is 0 are removed;
// the slots above move down (slot 500 keeps its content). Ends when no
// removable slot is left below the ones already moved.
void CompactOffers();

// Before a calculation: counters back to 0, CompactOffers, the marked
// offers kept (TKeptMark), then the stored part and the typed flag of all
// 500 slots zeroed (the exact discount and the mark stay until the
// calculation rewrites them). The report text, when given, is cleared first.
void ResetCalculation(TStrings* report = nullptr);

// Whether an amount and a whole-percent discount give back the divisor
// within 2 x 10^-N.
bool CheckPosoPososto(int decimals, double divisor, double discount, double amount);

// The result of the row scan and the discount computation.
enum class TCalcOutcome {
  Done,            // OfferCount is set; rank and report
  NoOffers,        // no row took a slot: nothing more to do
  MissingDivisor,  // an amount offer but no divisor: show Message, focus the divisor field
  OverHundred,     // a discount above 100 %: show Message (it names the slot)
  GapInOffers,     // a row without amount or discount above rows that hold one: show Message
};
struct TCalcResult {
  TCalcOutcome Outcome = TCalcOutcome::NoOffers;
  int Slot = 0;        // the slot at fault
  int Row = 0;         // the grid row at fault (GapInOffers)
  AnsiString Message;  // empty unless the window must show it
};

extern const AnsiString MissingDivisorMessage;  // "Δεν έχει εισαχθεί Διαιρέτης"
extern const AnsiString OverHundredMessage;     // followed by the slot number

// Why a calculation is refused when row `row` has neither amount nor
// discount while a row below it has one: ranked without those rows, the
// report would leave bidders out.
AnsiString GapInOffersMessage(int row);

// The calculation's row scan and discount computation on the offers grid:
// rows become slots 1..k (rows 1 to 500 at most), amounts and discounts are
// read and rounded, each discount is computed against the header's divisor
// and rounded by RoundDiscountProc, and OfferCount becomes k. The grid gets
// "*;;" as the name and "0" as the discount of an unnamed detailed offer.
// A row keeps the mark of its offer as TKeptMark tells.
// The scan ends at the first row without amount, discount and detailed
// offer; when a row below it still holds an amount, a discount or a
// detailed offer that would take a slot, nothing is computed and the
// outcome is GapInOffers.
// Call after ResetCalculation and the header's rebuild. On an error
// OfferCount keeps its previous value.
TCalcResult ScanOffers(TOfferSheet& sheet);

// The save's reading of the grid into the slots: the scan also takes rows
// that hold only a name (a named row without amount or discount gets the
// discount "0", a void offer) and passes over rows without discount,
// amount, name and detailed offer, which take no slot, to the last row
// that holds any of them; amounts are rounded with the amount
// decimals last worked out; a discount of an amount offer is computed
// without the zero stand-in, its unrounded value kept as Discount; a zero
// discount typed without an amount keeps the stand-in, as it is no void
// offer. Slots keep the remark they held, and a row keeps the mark of its
// offer as TKeptMark tells. Errors as ScanOffers; on success OfferCount is
// the number of slots taken.
TCalcResult ScanOffersForSave(TOfferSheet& sheet);

// Whether a row holds an amount, a discount or a detailed offer: a
// calculation reports its bidder.
bool RowHoldsOffer(const TOfferSheet& sheet, int row);

// ---- ranking ---------------------------------------------------------------------

// Whether slot i may stay before slot j: strictly smaller entry number, or
// strictly smaller (ascending) or greater (descending) rounded discount.
// Equal keys are out of order, so equal offers swap places.
bool OfferInOrder(int i, int j, bool ascending, bool byEntryNo);

// The exchange sort of slots 1 to OfferCount (a slot with entry number 0
// is not moved from its place by its own comparisons).
void SortOffers(bool ascending, bool byEntryNo);

// Writes the shown slots (entry number not 0) into rows 1 on: number,
// name, amount, discount with its marks, remark. The rows after them are
// numbered on from the highest entry number; a row below the offers that
// holds text, or whose number designates a detailed offer, keeps its
// number. projectType is the offer check's project type.
// With texts given, the number texts are taken from it.
void DisplayItems(TOfferSheet& sheet, int projectType, TOfferTexts* texts = nullptr);

// The sort of the calculation and the sort buttons: columns 1 to 4 of the
// rows that held the offers are cleared (rows below keep their text), the
// headings are written, the slots are sorted and, with display, shown. The
// current grid row is the window's.
void sortitms(TOfferSheet& sheet, bool ascending, bool byEntryNo, bool display, int projectType,
              TOfferTexts* texts = nullptr);

// When the grid loses the focus after a change: the offer table is
// rebuilt from the rows 1 to 500, row r into slot r; a row with no
// discount, amount and name and no detailed offer leaves its slot empty.
// Marks are kept as the save keeps them.
// OfferCount is raised to the last row read, never lowered. The window
// calls it only when ProjectModified is set.
void RefreshOffersFromGrid(TOfferSheet& sheet);

// The bidders of slots 1 to OfferCount that have a detailed offer: "*" in
// column 4 of each row that shows such a bidder's number, where empty.
void MarkDetailedOfferRows(TOfferSheet& sheet);

// The offers the grid shows, as a project file would keep them: one text
// per row that holds a name, an amount or a discount, made of its entry
// number, the name and the values of the amount and the discount, in
// sorted order. Two snapshots differ when an offer was added, removed,
// renumbered or changed, not when the rows were only ranked in another
// order or their numbers written in another format.
std::vector<AnsiString> OfferRowsSnapshot(const TOfferSheet& sheet);
