#pragma once
// The tender state: every process-wide variable that describes the tender
// being processed, shared by the main window, the budget window, the project
// index and the report forms. Everything runs on the user-interface thread,
// so these are plain globals without locks. The defaults below are the
// start-up values; the main window's creation sets the rest.

#include <array>
#include <bitset>
#include <cstring>
#include <memory>
#include <span>
#include <string_view>

#include "platform/rtl/System.h"

// A text field of the program's binary records: a length byte followed by up
// to Capacity characters. Assigning a longer text cuts it, as the stored
// field would.
template <int Capacity>
class ShortString {
  static_assert(Capacity > 0 && Capacity <= 255);

 public:
  ShortString() = default;
  ShortString(std::string_view text) { Assign(text); }
  ShortString(const char* text) { Assign(text); }
  ShortString(const AnsiString& text) { Assign(text); }
  ShortString& operator=(std::string_view text) {
    Assign(text);
    return *this;
  }
  ShortString& operator=(const char* text) { return *this = std::string_view(text); }
  ShortString& operator=(const AnsiString& text) { return *this = std::string_view(text); }
  void Assign(std::string_view text) {
    length_ = static_cast<Byte>(text.size() < Capacity ? text.size() : Capacity);
    std::memmove(chars_, text.data(), length_);  // the text may be a view of this field
  }
  std::string_view View() const { return std::string_view(chars_, length_); }
  operator std::string_view() const { return View(); }
  AnsiString Str() const { return AnsiString(View()); }
  int Length() const { return length_; }
  bool Empty() const { return length_ == 0; }
  bool operator==(std::string_view other) const { return View() == other; }
  static constexpr int capacity = Capacity;

 private:
  Byte length_ = 0;
  char chars_[Capacity] = {};
};

// ---- offers ----------------------------------------------------------------

// One bidder's offer. The first seven fields are what the project file
// stores (84 bytes); the rest are working fields of the calculation.
struct OfferRecord {
  // The discount in percent after the tender's rounding rule. An exact zero
  // is held as 1e-9 (-1e-9 when the amount exceeds the divisor) so that 0
  // keeps meaning "no discount at all".
  double RoundedDiscount = 0;
  double Discount = 0;
  double Amount = 0;  // 0 when the offer is given as a discount only
  ShortString<50> BidderName;
  Word EntryNo = 0;  // 1-based index into BidderDiscountTable; 0 = empty slot
  ShortString<6> Remark;
  Byte TypedFlag = 0;  // the discount cell began with "*": round to a whole percent
  double ExactDiscount = 0;
  Byte Marked = 0;  // stored as "@" before the remark
};

constexpr int MaxOffers = 500;
constexpr int OfferRecordSize = 84;
constexpr int OldOfferRecordSize = 64;

// The 500 offer slots, numbered 1 to 500.
class TOfferTable {
 public:
  // Throws std::out_of_range outside 1..500: callers must stay in bounds.
  // Inline, since the calculation reads slots in its inner loops.
  OfferRecord& operator[](int slot) { return slots_[Index(slot)]; }
  const OfferRecord& operator[](int slot) const { return slots_[Index(slot)]; }
  // Every slot back to its zeroed state.
  void Clear();

 private:
  static size_t Index(int slot) {
    if (slot < 1 || slot > MaxOffers) OutOfRange();
    return static_cast<size_t>(slot - 1);
  }
  [[noreturn]] static void OutOfRange();
  std::array<OfferRecord, MaxOffers> slots_{};
};

extern TOfferTable OfferTable;
// Slots 1 to OfferCount hold the offers in their current order.
extern Integer OfferCount;

// The 84 stored bytes of a record. A marked offer is stored with "@" before
// its remark (cut to 6); the record itself keeps its remark.
std::array<Byte, OfferRecordSize> EncodeOfferRecord(const OfferRecord& offer);
// Fills the stored fields of a fresh record; a length byte beyond its
// field's capacity (a damaged file) is taken as the capacity.
OfferRecord DecodeOfferRecord(std::span<const Byte, OfferRecordSize> bytes);
// The 64-byte record of the old files (name of capacity 30), copied field
// by field into a record of today's layout.
OfferRecord DecodeOldOfferRecord(std::span<const Byte, OldOfferRecordSize> bytes);
std::array<Byte, OldOfferRecordSize> EncodeOldOfferRecord(const OfferRecord& offer);

// ---- project header --------------------------------------------------------

// The block stored as the first 576 bytes of a project file. Numbers are
// little-endian except the two percentages, which are stored high byte
// first. An option byte that holds "!" is not set.
class TProjectHeader {
 public:
  static constexpr int Size = 576;
  static constexpr Byte NotSet = '!';
  // Byte offsets of the option block.
  enum : int {
    Marker = 552,  // "!" always: the block is a header
    CalcModeByte = 553,
    ProjectTypeByte = 554,
    OfferCountHigh = 556,  // 1 when more than 255 offers
    OfferCountLow = 557,   // offer count modulo 256
    CostDecimalsByte = 558,
    DiscountDecimalsByte = 559,
    ExtraDecimalsAByte = 560,
    ExtraDecimalsBByte = 561,
    HalfDownByte = 563,
    OverheadIsExpressionByte = 564,
    AlwaysOneByte = 565,
    ContingencyByte = 566,
    GuaranteePercent = 567,  // 16-bit, high byte first, percent x 100
    AsphaltFlagByte = 567,   // the reader takes the first percentage byte as the asphalt flag
    LimitPercent = 569,      // 16-bit, high byte first, percent x 100
    OptionsBegin = 552,
    OptionsEnd = 576,
  };

  ShortString<255> ProjectText;
  ShortString<255> ServiceText;
  ShortString<10> Date;
  ShortString<20> IndicativeTotal;
  double Divisor = 0;

  // All zero, as when a project is cleared.
  void Clear() { *this = TProjectHeader(); }
  // Bytes 552 to 575 back to "!" before the options are written again.
  void ResetOptions() { options_.fill(NotSet); }
  Byte Option(int offset) const;
  void SetOption(int offset, Byte value);
  bool OptionSet(int offset) const { return Option(offset) != NotSet; }
  // Byte 552 holds "!" in every header.
  bool IsHeader() const { return Option(Marker) == NotSet; }

  void StoreOfferCount(int count);
  // Percent x 100 rounded to the nearest whole number (halves to even),
  // kept within 0..65535; a text that is no number stores 0.
  void StorePercent(int offset, double percent);
  Word StoredPercent100(int offset) const;

 private:
  std::array<Byte, OptionsEnd - OptionsBegin> options_{};
};

std::array<Byte, TProjectHeader::Size> EncodeProjectHeader(const TProjectHeader& header);
// Length bytes beyond their field's capacity (a damaged file) are taken as
// the capacity; nothing outside the field is read.
TProjectHeader DecodeProjectHeader(std::span<const Byte, TProjectHeader::Size> bytes);
// Whether 576 bytes are a header: byte 552 is "!".
bool IsProjectHeader(std::span<const Byte, TProjectHeader::Size> bytes);

extern TProjectHeader ProjectHeader;

// ---- detailed offers ---------------------------------------------------------

constexpr int MaxBidders = 2400;
// A value for every row a budget file holds: an offer's price typed in any
// row of the budget grid is kept and saved.
constexpr int MaxDetailRows = 2499;

// One row of a detailed offer: a category discount in percent, or a unit
// price for a budget by work items, and its mark "#", "+", "-" or none (0).
struct DetailEntry {
  double Value = 0;
  char Mark = 0;
};
using DetailedOffer = std::array<DetailEntry, MaxDetailRows>;

// One slot per entry number 1..2,400. A detailed offer takes 40 KB, so it
// exists only for the bidders who have one.
class TBidderDiscountTable {
 public:
  // Entry numbers outside 1..2,400 never have a detailed offer.
  bool Has(int entryNo) const { return Get(entryNo) != nullptr; }
  DetailedOffer* Get(int entryNo) const;
  // The bidder's detailed offer, allocated zeroed on first need. Throws
  // std::out_of_range outside 1..2,400.
  DetailedOffer& Ensure(int entryNo);
  void Free(int entryNo);
  void FreeAll();
  int AllocatedCount() const;
  // Whether the bidder's detailed offer was freed on its own (its row
  // deleted, or nothing left in it) and not given again since: a budget
  // file written before still holds it, and must not bring it back.
  bool Dropped(int entryNo) const;

 private:
  std::array<std::unique_ptr<DetailedOffer>, MaxBidders> offers_;
  std::bitset<MaxBidders> dropped_;
};

extern TBidderDiscountTable BidderDiscountTable;

// ---- settings ------------------------------------------------------------------

extern Word CostDecimals;      // decimals of amounts, the divisor and budget products
extern Byte DiscountDecimals;  // 0 to 6
// Stored in "def.knd" and the header, read by no computation.
extern Byte ExtraDecimalsA;
extern Byte ExtraDecimalsB;
extern Integer CalcMode;
extern Byte OverheadIsExpression;  // the budget's GE&OE figure is a formula
extern Byte ContingencyFlag;       // the budget file carries its contingencies part
extern Byte AsphaltFlag;           // the budget file carries its asphalt part
extern Word BudgetRows;
// 1 when the budget window's half-down button is down: its rounding takes an
// exact half downwards. The budget window mirrors its button on it.
extern Byte HalfDownSwitch;
extern double NormalHigh;  // factors of the normality band
extern double NormalLow;

// Budget parameters kept between the budget window's totals and the budget file.
extern double ContingencyPercent;
extern double RevisionAmount;
extern double AsphaltAmount;
extern double AsphaltOverheadPercent;
extern double AsphaltOverheadAmount;
extern ShortString<40> OverheadExpression;

// 1: decimal "." and thousands ","; 2: decimal "," and thousands ".".
extern Integer NumberStyle;
extern char LocaleDecimalChar;
extern Byte ProjectModified;
extern Byte BudgetChanged;
extern Integer CurrentBidderNo;
extern ShortString<30> CurrentBidderLabel;
extern Word MaxEntryNo;

// The tender's discount rounding rule; every caller goes through this
// variable. Null until the main window installs it.
using TRoundDiscountProc = double (*)(int decimals, double value);
extern TRoundDiscountProc RoundDiscountProc;

// ---- the single windows ------------------------------------------------------

class TFrmAXP;
class TUproypFrm;
class TrpForm;
class Tprevform;

// Null until each window is created.
extern TFrmAXP* MainForm;
extern TUproypFrm* BudgetForm;
extern TrpForm* ReportForm;
extern Tprevform* PreviewForm;
