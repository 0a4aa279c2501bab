#pragma once
// The offers grid as the tender logic sees it.

#include "grid/ExtGrid.h"
#include "tender/OfferCalc.h"

class TGridSheet : public TOfferSheet {
 public:
  explicit TGridSheet(TExtStringGrid& grid) : grid_(grid) {}
  AnsiString Cell(int col, int row) const override {
    if (col < 0 || row < 0 || col >= grid_.ColCount() || row >= grid_.RowCount()) return {};
    // The offers grid merges no cells and shows its texts as stored.
    return grid_.GetCellDirect(col, row);
  }
  void SetCell(int col, int row, const AnsiString& text) override {
    if (col < 0 || row < 0 || col >= grid_.ColCount() || row >= grid_.RowCount()) return;
    grid_.SetCellText(col, row, text);
  }
  int RowCount() const override { return grid_.RowCount(); }

 private:
  TExtStringGrid& grid_;
};
