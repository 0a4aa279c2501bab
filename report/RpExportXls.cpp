// The spreadsheet filter: each laid-out text becomes one cell of a sheet in
// the old record-based format, numbers as numbers, and the pages of a run
// follow one another down the sheet.
#include <algorithm>
#include <cstring>

#include "platform/rtl/ByteOrder.h"
#include "platform/rtl/Cp1253.h"
#include "platform/ui/Application.h"
#include "platform/ui/Forms.h"
#include "report/BandRpt.h"
#include "report/RpProgress.h"

namespace {

// The report variable that carries the next free row from page to page.
const char* const kGlobalRow = "___XLGlobRow";

constexpr Word kBof = 0x0809, kCodePage = 0x0042, kDimensions = 0x0200, kInteger = 0x0002, kNumber = 0x0003,
               kLabel = 0x0004, kEof = 0x000A;

void PutWord(std::string& out, Word value) {
  out += static_cast<char>(value & 0xFF);
  out += static_cast<char>(value >> 8);
}

void PutLong(std::string& out, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

// The entry of the variable, or nil.
TRpEvEmbeddedFunction* GlobalRowEntry(TCustomBandRep* report) {
  if (report == nullptr) return nullptr;
  TRpEvEnvironment& env = *report->Functions();
  const int index = env.IndexOf(AnsiUpperCase(kGlobalRow));
  return index >= 0 ? env.Entry(index) : nullptr;
}

int GlobalRow(TCustomBandRep* report, TRpEvEmbeddedFunction* entry) {
  if (entry->Evaluator.Prepared()) {
    const TRpEvResult value = report->Functions()->Value(kGlobalRow);
    if (value.Kind == rpvInteger) return value.IntValue;
    if (value.Kind == rpvFloat) return static_cast<int>(value.FloatValue);
    return 0;
  }
  return static_cast<int>(StrToIntDef(entry->Expression, 0));
}

void SetGlobalRow(TCustomBandRep* report, TRpEvEmbeddedFunction* entry, int row) {
  entry->Expression = IntToStr(row);
  if (TRpEvElement* constant = report->Functions()->GetConstant(kGlobalRow))
    report->Functions()->SetIntegerConstant(constant, row);
}

}  // namespace

AnsiString RpXlsTooManyRowsMessage() {
  return "Η αναφορά δεν χωράει στο φύλλο εργασίας: ξεπερνά τις 65536 γραμμές. Το αρχείο δεν γράφτηκε."_a;
}

TRpXLSFilter::TRpXLSFilter(const AnsiString& fileName) : TRpAbstractExportFilter(fileName) {
  XTolerance = 1.0;
}

void TRpXLSFilter::WriteRecord(Word type, std::string_view data) {
  std::string record;
  record.reserve(4 + data.size());
  PutWord(record, type);
  PutWord(record, static_cast<Word>(data.size()));
  record.append(data);
  Stream->Write(record);
}

void TRpXLSFilter::CreateStream(const AnsiString& fileName) {
  TRpAbstractExportFilter::CreateStream(fileName);
  std::string data;
  PutWord(data, 0);
  PutWord(data, 0x0010);
  PutWord(data, 0);
  WriteRecord(kBof, data);
  // Without its code page other programs read the Greek as Latin letters.
  data.clear();
  PutWord(data, 1253);
  WriteRecord(kCodePage, data);
  data.clear();
  for (const int v : {0, LineCount, 0, ColumnCount, 0}) PutWord(data, static_cast<Word>(v));
  WriteRecord(kDimensions, data);
  if (TRpEvEmbeddedFunction* entry = GlobalRowEntry(Report)) {
    SetGlobalRow(Report, entry, 0);
  } else if (Report != nullptr) {
    Report->Functions()->AddFunction(kGlobalRow, "0");
  }
}

void TRpXLSFilter::CloseStream() {
  if (Stream) WriteRecord(kEof, {});
  TRpAbstractExportFilter::CloseStream();
}

void TRpXLSFilter::Start(int paperWidth, int paperHeight, TFont* font) {
  if (KeepOpen && PagesFinished > 0) return;
  TRpAbstractExportFilter::Start(paperWidth, paperHeight, font);
  XTolerance = 1.0;
  CurrentRow = -1;
}

void TRpXLSFilter::Finish() {
  ++PagesFinished;
  if (KeepOpen) {
    PaperHeight *= PagesFinished;
    return;
  }
  TRpAbstractExportFilter::Finish();
}

void TRpXLSFilter::WriteCell(int kind, int row, const AnsiString& text, int column) {
  if (kind < 1 || kind > 3) return;
  // A row past the sheet's end would wrap onto the first rows.
  if (row < 0 || row > kXlsMaxRow || column < 0 || column > 0xFFFF) throw ERpError(RpXlsTooManyRowsMessage());
  const AnsiString cut = text.substr(0, 255);
  std::string data;
  PutWord(data, static_cast<Word>(row));
  PutWord(data, static_cast<Word>(column));
  data.append(3, '\0');
  if (kind == 1) {
    PutLong(data, static_cast<std::uint32_t>(StrToInt(cut)));
    WriteRecord(kInteger, data);
  } else if (kind == 2) {
    const double value = static_cast<double>(StrToFloat(cut));
    std::uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    PutLong(data, static_cast<std::uint32_t>(bits));
    PutLong(data, static_cast<std::uint32_t>(bits >> 32));
    WriteRecord(kNumber, data);
  } else {
    data += static_cast<char>(cut.size());
    data += cut;
    WriteRecord(kLabel, data);
  }
}

void TRpXLSFilter::WritePage() {
  int row = 0;
  bool globalRows = false;
  TRpEvEmbeddedFunction* entry = GlobalRowEntry(Report);
  if (Report != nullptr && entry != nullptr) {
    row = GlobalRow(Report, entry);
    globalRows = row > 0;
  }
  TRpPrinter* printer = Report != nullptr ? Report->RpPrinter() : nullptr;
  if (!globalRows && LineCount >= 1 && Screen != nullptr) {
    for (int i = Screen->FormCount() - 1; i >= 0; --i)
      if (auto* progress = dynamic_cast<TRpProgressForm*>(Screen->Forms(i));
          progress && progress->Visible()) {
        progress->SetCaption("Writing XLS file...");
        break;
      }
  }
  if (PagesFinished > 0) row = CurrentRow;
  const bool showProgress = Report != nullptr && printer != nullptr && !globalRows;
  int shown = -1;
  for (const TCell& cell : Cells()) {
    if (showProgress) {
      // Messages run as often as the figure moves, not once per row.
      const int percent = (cell.Row - 1) * 100 / LineCount;
      if (percent != shown) {
        shown = percent;
        printer->SetProgress(percent);
        Application->ProcessMessages();
      }
    }
    const TTextEntry& e = Entries[cell.Entry];
    if (e.Text.empty()) continue;
    AnsiString cleaned;
    cleaned.reserve(e.Text.size());
    for (char c : e.Text)
      if (c != ThousandSeparator) cleaned += c;
    Extended unused;
    if (TryStrToFloat(cleaned, unused))
      WriteCell(2, row + cell.Row - 1, cleaned, cell.Column - 1);
    else
      WriteCell(3, row + cell.Row - 1, e.Text, cell.Column - 1);
  }
  row += LineCount;
  CurrentRow = std::max(CurrentRow, row);
  if (Report != nullptr && (entry = GlobalRowEntry(Report)) != nullptr) SetGlobalRow(Report, entry, row);
}
