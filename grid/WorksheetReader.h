#pragma once
// Worksheets (.xls, .xlsx, .ods) read through the office suite, which the
// program's spreadsheet service (printing/calc-bridge) drives: the file
// opened hidden and read-only with the import filter its extension names
// (so that a damaged file is never taken as plain text), on a private
// profile, in an office suite bounded in memory, and never written. The
// used range of the active or the named sheet comes back as typed cells,
// read from the office suite a block of rows at a time.

#include <chrono>
#include <string>
#include <string_view>
#include <vector>

#include "platform/rtl/SysUtils.h"

// The office suite or its Python bridge is not installed.
DIM_EXCEPTION(EWorksheetUnavailable, Exception)
// No sheet of that name in the workbook.
DIM_EXCEPTION(EWorksheetSheetMissing, Exception)
// The office suite could not read the file: its own words.
DIM_EXCEPTION(EWorksheetError, Exception)

struct TWorksheetCell {
  int Row = 0, Col = 0;  // from 1, as the sheet counts them
  // 'S' text, 'N' number, 'D' date and time (a TDateTime), 'B' truth value.
  char Kind = 'S';
  AnsiString Text;  // 1253, line breaks as CR LF
  double Number = 0;
};

struct TWorksheet {
  // The used range, from 1; 0 when the sheet is empty.
  int FirstRow = 0, FirstCol = 0, LastRow = 0, LastCol = 0;
  std::vector<TWorksheetCell> Cells;
};

// The import filter of a file's extension, "" for others.
std::string WorksheetFilterOf(std::string_view fileName);

// How long reading one worksheet may take in all, the office suite's start
// included; past it the office suite is stopped and EWorksheetError says so.
std::chrono::milliseconds WorksheetTimeout();
void SetWorksheetTimeout(std::chrono::milliseconds bound);

// The cells a grid is fit to hold from one worksheet: those of a used range
// of a hundred thousand rows by twenty columns, and of the program's widest
// grid. A used range past it (its rows times the columns read) is refused
// before a cell is read: a sheet of a few hundred bytes can name millions.
constexpr Int64 MaxWorksheetCells = Int64{1} << 21;

// Reads the sheet, of its used range no more than the first MaxColumns
// columns; raises the exceptions above, and EFOpenError for a name that is
// no regular file.
TWorksheet ReadWorksheet(const AnsiString& fileName, const AnsiString& sheetName, int maxColumns);

// The reader's answer as it comes over the pipe: a range line
// "R<TAB>first row<TAB>first col<TAB>last row<TAB>last col" and a line a
// cell "row<TAB>col<TAB>kind<TAB>value" with "\\", "\t", "\r" and "\n"
// escaped in texts. Cells outside the range, of an unknown kind or with a
// broken number are left out; an answer without a sound range line raises
// EWorksheetError.
TWorksheet ParseWorksheetAnswer(std::string_view answer);
