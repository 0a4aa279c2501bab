#include "tender/ProjectFile.h"

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

#include "platform/rtl/ByteOrder.h"
#include "platform/rtl/FileUtils.h"
#include "platform/rtl/SysUtils.h"
#include "tender/BudgetFile.h"
#include "tender/N_STR.h"

bool IsOldProjectFileName(const AnsiString& fileName) {
  return !fileName.empty() && (fileName.back() == 't' || fileName.back() == 'T');
}

std::string EncodeProjectFile(const TProjectHeader& header, std::span<const OfferRecord> offers) {
  // Without records the file is the header alone: the gap before the first
  // record only exists once a record is written past it.
  if (offers.empty()) {
    const auto head = EncodeProjectHeader(header);
    return std::string(head.begin(), head.end());
  }
  std::string bytes(ProjectRecordsOffset + offers.size() * OfferRecordSize, '\0');
  const auto head = EncodeProjectHeader(header);
  std::copy(head.begin(), head.end(), bytes.begin());
  size_t at = ProjectRecordsOffset;
  for (const OfferRecord& offer : offers) {
    const auto record = EncodeOfferRecord(offer);
    std::copy(record.begin(), record.end(), bytes.begin() + at);
    at += OfferRecordSize;
  }
  return bytes;
}

AnsiString RemoveProjectLeftovers(const AnsiString& projectFileName) {
  const AnsiString budget = ChangeFileExt(projectFileName, ".pry");
  // Another project's budget in another case is not this one's to tidy.
  const bool exact = BudgetOfAnotherProject(budget);
  const std::pair<AnsiString, bool> files[] = {
      {ChangeFileExt(projectFileName, ".ddn"), false}, {budget, exact}, {BudgetCsvName(budget), exact}};
  std::vector<AnsiString> mixed;
  for (const auto& [name, exactName] : files) FinishStoppedSave(name, &mixed, exactName);
  for (const auto& [name, exactName] : files) RemoveSafeWriteLeftover(name, exactName);
  if (mixed.empty()) return AnsiString();
  AnsiString names;
  for (const AnsiString& name : mixed) names += "\r«"_a + name + "»"_a;
  return "Η αποθήκευση του έργου «"_a + projectFileName +
         "» διακόπηκε πριν τελειώσει και δεν μπόρεσε να ολοκληρωθεί. "
         "Τα αρχεία της μπορεί να είναι από διαφορετικές αποθηκεύσεις:"_a +
         names;
}

bool BudgetOfAnotherProject(const AnsiString& budgetFileName) {
  const AnsiString found = ExtractFileName(ResolveFileName(budgetFileName));
  const AnsiString base = ChangeFileExt(found, "");
  if (found == ExtractFileName(budgetFileName) || base == ChangeFileExt(ExtractFileName(budgetFileName), ""))
    return false;
  TSearchRec entry;
  bool owned = false;
  for (int at = FindFirst(ExtractFilePath(ResolveFileName(budgetFileName)) + base + ".*", faAnyFile, entry);
       at == 0 && !owned; at = FindNext(entry)) {
    const AnsiString extension = UpperCase(ExtractFileExt(entry.Name));
    owned = (entry.Attr & faDirectory) == 0 && ChangeFileExt(entry.Name, "") == base &&
            (extension == ".DDN" || extension == ".DDT");
  }
  FindClose(entry);
  return owned;
}

namespace {

// A record of a file without header whose discounts are numbers a discount
// can be and whose length bytes fit their fields: a header cut short has
// text where they lie.
bool PlausibleRecord(const Byte* record, size_t nameSize) {
  for (int field = 0; field < 3; ++field) {
    const double value =
        le::GetDouble(std::string_view(reinterpret_cast<const char*>(record), 24), 8 * field);
    if (!std::isfinite(value) || (field < 2 && std::fabs(value) > 1e6)) return false;
  }
  return record[24] <= nameSize && record[24 + 1 + nameSize + 2] <= 6;
}

}  // namespace

TProjectFileData DecodeProjectFile(std::string_view bytes, bool oldFormat) {
  TProjectFileData data;
  const auto* raw = reinterpret_cast<const Byte*>(bytes.data());
  if (bytes.size() >= TProjectHeader::Size) {
    std::span<const Byte, TProjectHeader::Size> head(raw, TProjectHeader::Size);
    data.HasHeader = IsProjectHeader(head);
    if (data.HasHeader) data.Header = DecodeProjectHeader(head);
  }
  const size_t recordSize = oldFormat ? OldOfferRecordSize : OfferRecordSize;
  const size_t nameSize = oldFormat ? 30 : 50;
  const size_t first = data.HasHeader ? 9 * recordSize : 0;
  if (!data.HasHeader) {
    // Without a header only whole, sound records make a project; anything
    // else is a header cut short, or no project at all.
    const bool markedHead = bytes.size() > TProjectHeader::Marker && raw[TProjectHeader::Marker] == '!';
    bool sound = !markedHead && bytes.size() % recordSize == 0;
    for (size_t at = 0; sound && at + recordSize <= bytes.size(); at += recordSize)
      sound = PlausibleRecord(raw + at, nameSize);
    if (!sound) {
      data.Status = TProjectReadStatus::Damaged;
      return data;
    }
  } else {
    const Byte high = data.Header.Option(TProjectHeader::OfferCountHigh);
    if (high <= 1) data.PromisedOffers = 256 * high + data.Header.Option(TProjectHeader::OfferCountLow);
  }
  size_t at = first;
  while (at + recordSize <= bytes.size() && data.Offers.size() < MaxOffers) {
    if (oldFormat)
      data.Offers.push_back(
          DecodeOldOfferRecord(std::span<const Byte, OldOfferRecordSize>(raw + at, recordSize)));
    else
      data.Offers.push_back(DecodeOfferRecord(std::span<const Byte, OfferRecordSize>(raw + at, recordSize)));
    at += recordSize;
  }
  const int read = static_cast<int>(data.Offers.size());
  const bool partial = bytes.size() > first && (bytes.size() - first) % recordSize != 0;
  if (data.PromisedOffers >= 0 ? read < std::min(data.PromisedOffers, MaxOffers) : partial)
    data.Status = TProjectReadStatus::Cut;
  return data;
}

AnsiString ProjectReadMessage(const AnsiString& fileName, const TProjectFileData& data) {
  const AnsiString name = "Το αρχείο «"_a + fileName + "» "_a;
  switch (data.Status) {
    case TProjectReadStatus::Ok:
      return AnsiString();
    case TProjectReadStatus::Damaged:
      return name +
             "δεν είναι αρχείο έργου ή είναι κομμένο μέσα στην κεφαλίδα του· δεν διαβάστηκε τίποτα από αυτό."_a;
    case TProjectReadStatus::Cut:
      break;
  }
  AnsiString text = name + "είναι κομμένο: "_a;
  if (data.PromisedOffers >= 0)
    text += "η κεφαλίδα του αναφέρει "_a + IntToStr(data.PromisedOffers) + " προσφορές και διαβάστηκαν "_a +
            IntToStr(static_cast<int>(data.Offers.size())) + ".";
  else
    text += "τελειώνει μέσα σε προσφορά· διαβάστηκαν "_a + IntToStr(static_cast<int>(data.Offers.size())) +
            " ολόκληρες προσφορές."_a;
  return text + "\rΤο αρχείο μένει όπως είναι, εκτός αν αποθηκεύσετε το έργο."_a;
}

namespace {

std::optional<Byte> OptionByte(const TProjectHeader& header, int offset) {
  if (!header.OptionSet(offset)) return std::nullopt;
  return header.Option(offset);
}

std::optional<Byte> DecimalsByte(const TProjectHeader& header, int offset) {
  auto value = OptionByte(header, offset);
  if (value) value = std::min<Byte>(*value, 6);
  return value;
}

}  // namespace

TProjectOptions ReadProjectOptions(const TProjectHeader& header) {
  TProjectOptions options;
  options.CalcMode = OptionByte(header, TProjectHeader::CalcModeByte).value_or(0);
  options.ProjectType = std::min<int>(OptionByte(header, TProjectHeader::ProjectTypeByte).value_or(0), 2);
  options.DiscountDecimals = DecimalsByte(header, TProjectHeader::DiscountDecimalsByte);
  options.ExtraDecimalsA = DecimalsByte(header, TProjectHeader::ExtraDecimalsAByte);
  options.ExtraDecimalsB = DecimalsByte(header, TProjectHeader::ExtraDecimalsBByte);
  options.HalfDown = OptionByte(header, TProjectHeader::HalfDownByte);
  options.CostDecimals = DecimalsByte(header, TProjectHeader::CostDecimalsByte);
  options.OverheadIsExpression = OptionByte(header, TProjectHeader::OverheadIsExpressionByte);
  options.ContingencyFlag = OptionByte(header, TProjectHeader::ContingencyByte);
  options.AsphaltFlag = OptionByte(header, TProjectHeader::AsphaltFlagByte);
  if (header.OptionSet(568) && header.OptionSet(569) && header.OptionSet(570)) {
    options.InitialGuarantee = header.StoredPercent100(TProjectHeader::GuaranteePercent) / 100.0L;
    options.GuaranteeLimit = header.StoredPercent100(TProjectHeader::LimitPercent) / 100.0L;
  }
  return options;
}

AnsiString StoredDiscountText(OfferRecord& offer, int discountDecimals, Byte numberStyle) {
  AnsiString text = offer.RoundedDiscount == 0 ? AnsiString("0")
                                               : FormatNumNoBlanks(discountDecimals + 5, discountDecimals,
                                                                   numberStyle, offer.RoundedDiscount);
  const std::string_view remark = offer.Remark.View();
  if (!remark.empty() && remark.front() == '@') {
    text = "*" + text;
    offer.Remark = AnsiString(remark.substr(1));
    offer.Marked = 1;
  }
  return text;
}

bool ReadHeaderDate(const AnsiString& text, TDateTime& date) {
  if (TryStrToDate(text, date)) return true;
  // Day, month and year, whatever the separators of the machine that wrote it.
  int parts[3] = {0, 0, 0};
  int count = 0, digits = 0;
  for (char c : text) {
    if (c >= '0' && c <= '9') {
      if (count == 3 || ++digits > 4) return false;
      parts[count] = parts[count] * 10 + (c - '0');
    } else if ((c == '/' || c == '.' || c == '-') && digits > 0 && count < 2) {
      ++count;
      digits = 0;
    } else if (c != ' ') {
      return false;
    }
  }
  if (count != 2 || digits == 0) return false;
  int year = parts[2];
  if (year < 100) year += year < 50 ? 2000 : 1900;
  return TryEncodeDate(static_cast<Word>(year), static_cast<Word>(parts[1]), static_cast<Word>(parts[0]),
                       date);
}

namespace {

// Line ends become blanks, so that a description keeps to one line.
AnsiString OneLine(std::string_view text) {
  AnsiString line(text);
  for (char& c : line)
    if (c == '\r' || c == '\n') c = ' ';
  return line;
}

}  // namespace

TIndexRow IndexRowOf(std::string_view bytes) {
  TIndexRow row;
  if (bytes.size() < TProjectHeader::Size) return row;
  const TProjectHeader header = DecodeProjectHeader(std::span<const Byte, TProjectHeader::Size>(
      reinterpret_cast<const Byte*>(bytes.data()), TProjectHeader::Size));
  row.Date = header.Date.Str();
  row.ProjectText = OneLine(header.ProjectText.View());
  row.ServiceText = OneLine(header.ServiceText.View());
  row.IndicativeTotal = header.IndicativeTotal.Str();
  const Byte high = header.Option(TProjectHeader::OfferCountHigh);
  if (high <= 1) row.Offers = IntToStr(256 * high + header.Option(TProjectHeader::OfferCountLow));
  return row;
}
