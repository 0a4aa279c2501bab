// Delimited text files into the grid, and worksheets read through the
// office suite.

#include <algorithm>
#include <cmath>
#include <string_view>
#include <vector>

#include "grid/ExtGrid.h"
#include "grid/GridUtil.h"
#include "grid/WorksheetReader.h"
#include "platform/rtl/FileUtils.h"
#include "platform/ui/Forms.h"

namespace {

// The lines of a file held in memory: CR LF and LF end a line; a lone CR
// and a NUL are characters like any other. Whatever follows the last line
// end is a line of its own.
class TLineReader {
 public:
  explicit TLineReader(std::string_view Data) : data_(Data) {}
  bool Next(std::string_view& Line) {
    if (pos_ >= data_.size()) return false;
    size_t end = data_.find('\n', pos_);
    const size_t next = end == std::string_view::npos ? data_.size() : end + 1;
    if (end == std::string_view::npos) end = data_.size();
    if (end > pos_ && data_[end - 1] == '\r' && end < data_.size()) --end;
    Line = data_.substr(pos_, end - pos_);
    pos_ = next;
    return true;
  }

 private:
  std::string_view data_;
  size_t pos_ = 0;
};

constexpr char kCandidates[] = {',', ';', '#', '\t', '|'};

// The delimiter the first two lines agree on: first where the counts of
// single (not doubled) candidates are equal, then the plain counts, then
// the candidate found most often in either line; #0 when none is found.
char DetectDelimiter(std::string_view L1, std::string_view L2) {
  int best = 0;
  char found = 0;
  for (char c : kCandidates) {
    const int n1 = SingleCharCount(c, L1), n2 = SingleCharCount(c, L2);
    if (n1 == n2 && n1 > best) found = c, best = n1;
  }
  if (best == 0)
    for (char c : kCandidates) {
      const int n1 = CharCount(c, L1), n2 = CharCount(c, L2);
      if (n1 == n2 && n1 > best) found = c, best = n1;
    }
  if (best == 0)
    for (char c : kCandidates) {
      const int n1 = CharCount(c, L1), n2 = CharCount(c, L2);
      if (n1 > best || n2 > best) found = c, best = std::max(n1, n2);
    }
  return found;
}

// One field of a line, read from Pos on; Pos moves past the field's
// delimiter, or to the line's end when the field ends the line.
AnsiString NextField(std::string_view Line, size_t& Pos, char Delimiter) {
  if (Line[Pos] != '"') {
    const size_t d = Line.find(Delimiter, Pos);
    const AnsiString field = CollapseRepeatedChar('"', Line.substr(Pos, d - Pos));
    Pos = d + 1;
    return field;
  }
  const std::string_view rest = Line.substr(Pos + 1);
  int quote = 0;
  SingleCharPos('"', rest, quote);
  if (quote == 0) {
    // No closing quote: the text up to the delimiter is the field, so that
    // nothing is lost and the line moves on.
    const size_t d = rest.find(Delimiter);
    const AnsiString field = CollapseRepeatedChar('"', rest.substr(0, d));
    Pos = d == std::string_view::npos ? Line.size() : Pos + 1 + d + 1;
    return field;
  }
  const AnsiString field = CollapseRepeatedChar('"', rest.substr(0, static_cast<size_t>(quote) - 1));
  // What stands between the closing quote and the delimiter goes with it.
  const size_t after = Pos + 1 + static_cast<size_t>(quote);
  const size_t d = Line.find(Delimiter, after);
  Pos = d == std::string_view::npos ? Line.size() : d + 1;
  return field;
}

// The fields of a line; a grid without a delimiter takes the line as one.
void SplitFields(std::string_view Line, char Delimiter, std::vector<AnsiString>& Fields) {
  Fields.clear();
  size_t pos = 0;
  while (Delimiter != 0 && pos < Line.size() && Line.find(Delimiter, pos) != std::string_view::npos)
    Fields.push_back(NextField(Line, pos, Delimiter));
  if (pos < Line.size()) {
    std::string_view last = Line.substr(pos);
    if (!last.empty() && last.front() == '"') last.remove_prefix(1);
    if (!last.empty() && last.back() == '"') last.remove_suffix(1);
    Fields.push_back(CollapseRepeatedChar('"', last));
  }
}

// What one line may bring: a row of a file no spreadsheet could have
// written would otherwise take the grid's memory one column at a time.
constexpr size_t kMaxImportLine = size_t{1} << 20;
constexpr int kMaxImportColumns = 16384;

}  // namespace

void TExtStringGrid::LoadFromCSVFile(const AnsiString& FileName, bool Append) {
  const int C0 = IncludeFixedCells ? 0 : FixedCols();
  const int R0 = IncludeFixedCells ? 0 : FixedRows();

  TMemoryStream file;
  try {
    ReadingFile(FileName, [&] { file.LoadFromFile(FileName); });
  } catch (const Exception&) {
    throw EExtGridError("Cannot open file " + FileName);
  }
  const std::string_view data(static_cast<const char*>(file.Memory()), static_cast<size_t>(file.Size()));

  const char savedDelimiter = Delimiter;
  if (Delimiter == 0) {
    TLineReader lines(data);
    std::string_view L1, L2;
    lines.Next(L1);
    lines.Next(L2);
    Delimiter = DetectDelimiter(L1, L2);
  }

  // Every line is measured before the grid changes, so that a file beyond
  // the bounds leaves the grid as it was.
  int total = 0;
  {
    TLineReader lines(data);
    AnsiString converted;
    std::vector<AnsiString> fields;
    for (std::string_view line; lines.Next(line);) {
      ++total;
      const auto refuse = [&](const AnsiString& what) {
        Delimiter = savedDelimiter;
        throw EExtGridError("Line " + IntToStr(total) + " of file " + FileName + " " + what);
      };
      if (line.size() > kMaxImportLine)
        refuse("is longer than " + IntToStr(static_cast<Int64>(kMaxImportLine)) + " characters");
      if (OemConvert) {
        converted = OemToAnsiText(AnsiString(line));
        line = converted;
      }
      SplitFields(line, Delimiter, fields);
      if (C0 + static_cast<Int64>(fields.size()) > kMaxImportColumns)
        refuse("has more than " + IntToStr(kMaxImportColumns - C0) + " fields");
    }
  }
  int Row = R0;
  const bool footerAside = Append && FloatingFooter().Visible() && RowCount() > 0;
  std::vector<AnsiString> footerTexts;
  if (Append) {
    Row = RowCount();
    if (footerAside) {
      --Row;
      for (int c = 0; c < ColCount(); ++c) {
        footerTexts.push_back(GetCellDirect(c, Row));
        SetCellDirect(c, Row, "");
      }
    }
  }

  if (OnFileProgress) SetRowCount(Append ? RowCount() + total : R0 + total + FixedFooters());

  TLineReader lines(data);
  int done = 0, lastProgress = 0;
  AnsiString converted;
  std::vector<AnsiString> fields;
  for (std::string_view line; lines.Next(line);) {
    if (OemConvert) {
      converted = OemToAnsiText(AnsiString(line));
      line = converted;
    }
    if (RowCount() - FixedFooters() <= Row) SetRowCount(Row + 1000);
    // The fields are gathered first so that a long line widens the grid
    // once, not once a field.
    SplitFields(line, Delimiter, fields);
    const int cols = C0 + static_cast<int>(fields.size());
    if (cols > ColCount()) SetColCount(cols);
    int Col = C0;
    for (const AnsiString& field : fields)
      SetCellTextDirect(Col++, Row, TildeLineBreaks ? TildeToCRLF(field) : LFToCRLF(field));
    ++Row;
    ++done;
    if (OnFileProgress && total > 0) {
      const int progress = static_cast<int>(std::nearbyint(static_cast<long double>(done) / total * 100));
      if (progress != lastProgress) {
        lastProgress = progress;
        OnFileProgress(this, static_cast<SmallInt>(progress));
      }
    }
  }

  // An empty file leaves the grid its fixed rows.
  SetRowCount(std::max(Row + FixedFooters(), FixedRows() + 1));
  if (footerAside)
    for (int c = 0; c < static_cast<int>(footerTexts.size()) && c < ColCount(); ++c)
      SetCellDirect(c, RowCount() - 1, footerTexts[c]);
  Delimiter = savedDelimiter;
  CellsChanged(TRect{0, 0, ColCount(), RowCount()});
  CalcFooter(-1);
}

namespace {

// A column of an A1 address as the import reads it back: one or two
// letters; a wider column is not known (-1).
constexpr int kLastKnownColumn = 26 * 27;
int ColumnOfAddress(int col) { return col >= 1 && col <= kLastKnownColumn ? col : -1; }

// A cell's value as text, as a variant turns into a string.
AnsiString WorksheetText(const TWorksheetCell& cell) {
  switch (cell.Kind) {
    case 'N':
      return FloatToStr(cell.Number);
    case 'D':
      return DateTimeToStr(cell.Number);
    case 'B':
      return cell.Number != 0 ? "True" : "False";
    default:
      return cell.Text;
  }
}

}  // namespace

void TExtStringGrid::LoadFromSpreadsheetFile(const AnsiString& FileName, const AnsiString& SheetName) {
  // The whole sheet is read before the grid changes: a file the office
  // suite cannot read leaves the grid as it was.
  if (Screen) Screen->SetCursor(crHourGlass);
  TWorksheet sheet;
  try {
    // Of a range wider than the address names, the grid keeps its width:
    // no column past the wider of the two is read.
    sheet = ReadingFile(
        FileName, [&] { return ReadWorksheet(FileName, SheetName, std::max(kLastKnownColumn, ColCount())); });
  } catch (const EWorksheetUnavailable&) {
    if (Screen) Screen->SetCursor(crDefault);
    throw EExtGridError("Excel OLE server not found");
  } catch (const EWorksheetSheetMissing&) {
    if (Screen) Screen->SetCursor(crDefault);
    throw EExtGridError("Excel worksheet " + SheetName + " not found");
  } catch (...) {
    if (Screen) Screen->SetCursor(crDefault);
    throw;
  }
  // An empty sheet, or a workbook whose sheet is missing, would cut the
  // grid down to one cell and say nothing.
  if (sheet.Cells.empty()) {
    if (Screen) Screen->SetCursor(crDefault);
    throw EExtGridError(FileName + ": the worksheet holds no cells to import; the grid is left as it was");
  }
  if (sheet.FirstRow > 0) {
    const int firstCol = ColumnOfAddress(sheet.FirstCol), lastCol = ColumnOfAddress(sheet.LastCol);
    if (firstCol > 0 && lastCol > 0) {
      SetColCount(lastCol - firstCol + 1);
      SetRowCount(sheet.LastRow - sheet.FirstRow + 1);
    }
  }
  int C0 = 0, R0 = 0;
  if (!IncludeFixedCells) {
    C0 = FixedCols();
    R0 = FixedRows();
    SetColCount(ColCount() + C0);
    SetRowCount(RowCount() + R0);
  }
  for (const TWorksheetCell& cell : sheet.Cells) {
    const int r = cell.Row - sheet.FirstRow + 1, c = cell.Col - sheet.FirstCol + 1;
    if (r > RowCount() - R0 || c > ColCount() - C0) continue;
    SetCellTextDirect(c - 1 + C0, r - 1 + R0, WorksheetText(cell));
  }
  if (Screen) Screen->SetCursor(crDefault);
  CellsChanged(TRect{0, 0, ColCount(), RowCount()});
  CalcFooter(-1);
}
