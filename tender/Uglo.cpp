#include "tender/Uglo.h"

#include <bit>
#include <cmath>
#include <cstdint>
#include <stdexcept>

// ---- byte order helpers ------------------------------------------------------

namespace {

void PutDouble(Byte* out, double value) {
  auto bits = std::bit_cast<std::uint64_t>(value);
  for (int i = 0; i < 8; ++i) out[i] = static_cast<Byte>(bits >> (8 * i));
}

double GetDouble(const Byte* in) {
  std::uint64_t bits = 0;
  for (int i = 0; i < 8; ++i) bits |= static_cast<std::uint64_t>(in[i]) << (8 * i);
  return std::bit_cast<double>(bits);
}

void PutWordLE(Byte* out, Word value) {
  out[0] = static_cast<Byte>(value);
  out[1] = static_cast<Byte>(value >> 8);
}

Word GetWordLE(const Byte* in) { return static_cast<Word>(in[0] | (in[1] << 8)); }

// A text field: the length byte, the characters, zeros up to capacity + 1.
void PutText(Byte* out, std::string_view text, int capacity) {
  const int length = static_cast<int>(text.size()) < capacity ? static_cast<int>(text.size()) : capacity;
  out[0] = static_cast<Byte>(length);
  std::memcpy(out + 1, text.data(), length);
  std::memset(out + 1 + length, 0, capacity - length);
}

std::string_view GetText(const Byte* in, int capacity) {
  const int length = in[0] < capacity ? in[0] : capacity;
  return std::string_view(reinterpret_cast<const char*>(in + 1), length);
}

// The fields common to both record layouts, with the name's capacity.
void EncodeRecordFields(const OfferRecord& offer, Byte* out, int nameCapacity) {
  PutDouble(out, offer.RoundedDiscount);
  PutDouble(out + 8, offer.Discount);
  PutDouble(out + 16, offer.Amount);
  Byte* next = out + 24;
  PutText(next, offer.BidderName, nameCapacity);
  next += nameCapacity + 1;
  PutWordLE(next, offer.EntryNo);
  next += 2;
  if (offer.Marked) {
    AnsiString remark = "@";
    remark += offer.Remark.View();
    PutText(next, remark, 6);
  } else {
    PutText(next, offer.Remark, 6);
  }
}

OfferRecord DecodeRecordFields(const Byte* in, int nameCapacity) {
  OfferRecord offer;
  offer.RoundedDiscount = GetDouble(in);
  offer.Discount = GetDouble(in + 8);
  offer.Amount = GetDouble(in + 16);
  const Byte* next = in + 24;
  offer.BidderName = GetText(next, nameCapacity);
  next += nameCapacity + 1;
  offer.EntryNo = GetWordLE(next);
  next += 2;
  offer.Remark = GetText(next, 6);
  return offer;
}

}  // namespace

// ---- offers ----------------------------------------------------------------

TOfferTable OfferTable;
Integer OfferCount = 0;

void TOfferTable::OutOfRange() { throw std::out_of_range("offer slot out of range"); }

void TOfferTable::Clear() { slots_.fill(OfferRecord()); }

std::array<Byte, OfferRecordSize> EncodeOfferRecord(const OfferRecord& offer) {
  std::array<Byte, OfferRecordSize> bytes{};
  EncodeRecordFields(offer, bytes.data(), 50);
  return bytes;
}

OfferRecord DecodeOfferRecord(std::span<const Byte, OfferRecordSize> bytes) {
  return DecodeRecordFields(bytes.data(), 50);
}

std::array<Byte, OldOfferRecordSize> EncodeOldOfferRecord(const OfferRecord& offer) {
  std::array<Byte, OldOfferRecordSize> bytes{};
  EncodeRecordFields(offer, bytes.data(), 30);
  return bytes;
}

OfferRecord DecodeOldOfferRecord(std::span<const Byte, OldOfferRecordSize> bytes) {
  return DecodeRecordFields(bytes.data(), 30);
}

// ---- project header --------------------------------------------------------

TProjectHeader ProjectHeader;

Byte TProjectHeader::Option(int offset) const {
  if (offset < OptionsBegin || offset >= OptionsEnd) throw std::out_of_range("header option out of range");
  return options_[offset - OptionsBegin];
}

void TProjectHeader::SetOption(int offset, Byte value) {
  if (offset < OptionsBegin || offset >= OptionsEnd) throw std::out_of_range("header option out of range");
  options_[offset - OptionsBegin] = value;
}

void TProjectHeader::StoreOfferCount(int count) {
  SetOption(OfferCountHigh, count > 255 ? 1 : 0);
  SetOption(OfferCountLow, static_cast<Byte>(count & 0xFF));
}

void TProjectHeader::StorePercent(int offset, double percent) {
  // A percentage too large for 16 bits would otherwise wrap into a small one.
  long double scaled = std::nearbyint(static_cast<long double>(percent) * 100);
  Word stored = 0;
  if (scaled >= 65535)
    stored = 65535;
  else if (scaled > 0)
    stored = static_cast<Word>(scaled);
  SetOption(offset, static_cast<Byte>(stored >> 8));
  SetOption(offset + 1, static_cast<Byte>(stored & 0xFF));
}

Word TProjectHeader::StoredPercent100(int offset) const {
  return static_cast<Word>((Option(offset) << 8) | Option(offset + 1));
}

std::array<Byte, TProjectHeader::Size> EncodeProjectHeader(const TProjectHeader& header) {
  std::array<Byte, TProjectHeader::Size> bytes{};
  PutText(&bytes[0], header.ProjectText, 255);
  PutText(&bytes[256], header.ServiceText, 255);
  PutText(&bytes[512], header.Date, 10);
  PutText(&bytes[523], header.IndicativeTotal, 20);
  PutDouble(&bytes[544], header.Divisor);
  for (int offset = TProjectHeader::OptionsBegin; offset < TProjectHeader::OptionsEnd; ++offset)
    bytes[offset] = header.Option(offset);
  return bytes;
}

TProjectHeader DecodeProjectHeader(std::span<const Byte, TProjectHeader::Size> bytes) {
  TProjectHeader header;
  header.ProjectText = GetText(&bytes[0], 255);
  header.ServiceText = GetText(&bytes[256], 255);
  header.Date = GetText(&bytes[512], 10);
  header.IndicativeTotal = GetText(&bytes[523], 20);
  header.Divisor = GetDouble(&bytes[544]);
  for (int offset = TProjectHeader::OptionsBegin; offset < TProjectHeader::OptionsEnd; ++offset)
    header.SetOption(offset, bytes[offset]);
  return header;
}

bool IsProjectHeader(std::span<const Byte, TProjectHeader::Size> bytes) {
  return bytes[TProjectHeader::Marker] == TProjectHeader::NotSet;
}

// ---- detailed offers ---------------------------------------------------------

TBidderDiscountTable BidderDiscountTable;

DetailedOffer* TBidderDiscountTable::Get(int entryNo) const {
  if (entryNo < 1 || entryNo > MaxBidders) return nullptr;
  return offers_[entryNo - 1].get();
}

DetailedOffer& TBidderDiscountTable::Ensure(int entryNo) {
  if (entryNo < 1 || entryNo > MaxBidders) throw std::out_of_range("entry number has no detailed offer");
  auto& slot = offers_[entryNo - 1];
  if (!slot) slot = std::make_unique<DetailedOffer>();
  dropped_.reset(static_cast<size_t>(entryNo - 1));
  return *slot;
}

void TBidderDiscountTable::Free(int entryNo) {
  if (entryNo < 1 || entryNo > MaxBidders) return;
  offers_[entryNo - 1].reset();
  dropped_.set(static_cast<size_t>(entryNo - 1));
}

void TBidderDiscountTable::FreeAll() {
  for (auto& offer : offers_) offer.reset();
  dropped_.reset();
}

bool TBidderDiscountTable::Dropped(int entryNo) const {
  return entryNo >= 1 && entryNo <= MaxBidders && dropped_.test(static_cast<size_t>(entryNo - 1));
}

int TBidderDiscountTable::AllocatedCount() const {
  int count = 0;
  for (const auto& offer : offers_) count += offer != nullptr;
  return count;
}

// ---- settings and shared variables: their start-up values ---------------------

Word CostDecimals = 0;
Byte DiscountDecimals = 2;
Byte ExtraDecimalsA = 0;
Byte ExtraDecimalsB = 0;
Integer CalcMode = 0;
Byte OverheadIsExpression = 0;
Byte ContingencyFlag = 0;
Byte AsphaltFlag = 0;
Word BudgetRows = 0;
Byte HalfDownSwitch = 0;
double NormalHigh = 1.1;
double NormalLow = 0.9;

double ContingencyPercent = 0;
double RevisionAmount = 0;
double AsphaltAmount = 0;
double AsphaltOverheadPercent = 0;
double AsphaltOverheadAmount = 0;
ShortString<40> OverheadExpression;

Integer NumberStyle = 1;
char LocaleDecimalChar = '.';
Byte ProjectModified = 0;
Byte BudgetChanged = 0;
Integer CurrentBidderNo = 0;
ShortString<30> CurrentBidderLabel;
Word MaxEntryNo = 0;

TRoundDiscountProc RoundDiscountProc = nullptr;

TFrmAXP* MainForm = nullptr;
TUproypFrm* BudgetForm = nullptr;
TrpForm* ReportForm = nullptr;
Tprevform* PreviewForm = nullptr;
