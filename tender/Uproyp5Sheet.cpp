// The budget window's tables as plain cell texts.
#include "tender/Uproyp5Sheet.h"

#include "platform/ui/Grids.h"
#include "tender/N_STR.h"

TBudgetSheet::~TBudgetSheet() = default;

double TBudgetSheet::Num(int col, int row) const { return StrToNum(Cell(col, row)); }

void TBudgetSheet::ClearColumn(int col) {
  for (int row = 1; row < RowCount(); ++row)
    if (!Cell(col, row).empty()) SetCell(col, row, "");
}

AnsiString TMemorySheet::Cell(int col, int row) const {
  return Inside(col, row) ? cells_[static_cast<size_t>(row) * cols_ + col] : AnsiString();
}

void TMemorySheet::SetCell(int col, int row, const AnsiString& text) {
  if (Inside(col, row)) cells_[static_cast<size_t>(row) * cols_ + col] = text;
}

AnsiString TBudgetGridSheet::Cell(int col, int row) const {
  return col >= 0 && row >= 0 && col < grid_.ColCount() && row < grid_.RowCount() ? grid_.Cells(col, row)
                                                                                  : AnsiString();
}

void TBudgetGridSheet::SetCell(int col, int row, const AnsiString& text) {
  if (col >= 0 && row >= 0 && col < grid_.ColCount() && row < grid_.RowCount())
    grid_.SetCells(col, row, text);
}

int TBudgetGridSheet::RowCount() const { return grid_.RowCount(); }

int TBudgetGridSheet::ColCount() const { return grid_.ColCount(); }
