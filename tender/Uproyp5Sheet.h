#pragma once
// The budget window's tables as the logic that draws nothing sees them:
// cells as (column, row) texts. The window hands its grids over through
// TBudgetGridSheet; tests and benchmarks use TMemorySheet.

#include <vector>

#include "platform/rtl/System.h"

class TStringGrid;

// Cell access of a table; a cell outside the table reads as "" and ignores
// writes.
class TBudgetSheet {
 public:
  virtual ~TBudgetSheet();
  virtual AnsiString Cell(int col, int row) const = 0;
  virtual void SetCell(int col, int row, const AnsiString& text) = 0;
  virtual int RowCount() const = 0;
  virtual int ColCount() const = 0;
  // The value of a cell as the numeric library reads it.
  double Num(int col, int row) const;
  // Empties a column in rows 1 to the last.
  void ClearColumn(int col);
};

// A table held in memory.
class TMemorySheet : public TBudgetSheet {
 public:
  TMemorySheet(int cols, int rows) : cols_(cols), rows_(rows), cells_(static_cast<size_t>(cols) * rows) {}
  AnsiString Cell(int col, int row) const override;
  void SetCell(int col, int row, const AnsiString& text) override;
  int RowCount() const override { return rows_; }
  int ColCount() const override { return cols_; }

 private:
  bool Inside(int col, int row) const { return col >= 0 && row >= 0 && col < cols_ && row < rows_; }
  int cols_, rows_;
  std::vector<AnsiString> cells_;
};

// A grid of the window seen as a table.
class TBudgetGridSheet : public TBudgetSheet {
 public:
  explicit TBudgetGridSheet(TStringGrid& grid) : grid_(grid) {}
  AnsiString Cell(int col, int row) const override;
  void SetCell(int col, int row, const AnsiString& text) override;
  int RowCount() const override;
  int ColCount() const override;

 private:
  TStringGrid& grid_;
};
