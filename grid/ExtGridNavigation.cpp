// Moving the cursor: the changing events asked before a move, advancing to
// the next editable cell, scrolling a cell into view, rows added and
// removed from the keyboard, and the footer row's calculations.

#include <algorithm>
#include <cmath>
#include <limits>

#include "grid/ExtGrid.h"
#include "grid/ExtGridFooter.h"
#include "grid/GridUtil.h"

bool TExtStringGrid::SelectCell(int ACol, int ARow) {
  if (floatingFooter_->Visible()) {
    if (floatingFooter_->FooterStyle() == fsFixedLastRow && ARow == RowCount() - 1) return false;
    // A target that the footer strip covers is scrolled up from under it.
    if (HandleAllocated() && ARow >= 0 && ARow < RowCount() - 1 &&
        CellRect(std::max(0, ACol), ARow).Bottom > ClientHeight() - floatingFooter_->FooterHeight + 2) {
      if (floatingFooter_->FooterStyle() != fsFixedLastRow && footerPanel_) footerPanel_->Invalidate();
      if (TopRow() < RowCount() - VisibleRowCount()) SetTopRow(TopRow() + 1);
    }
  }
  bool allow = true;
  const int oldCol = Col(), oldRow = Row();
  if (!advancing_ && ACol >= 0 && ARow >= 0 && ACol < ColCount() && ARow < RowCount()) {
    // One Allow for the three events.
    if (ARow != oldRow && OnRowChanging) OnRowChanging(this, oldRow, ARow, allow);
    if (ACol != oldCol && OnColChanging) OnColChanging(this, oldCol, ACol, allow);
    if ((ARow != oldRow || ACol != oldCol) && OnCellChanging)
      OnCellChanging(this, oldRow, oldCol, ARow, ACol, allow);
  }
  if (ACol == 0 && HasNodes() && !Options().Contains(goRowSelect)) allow = false;
  if (!allow || CellIsFixed(ACol, ARow)) return false;
  SwitchEditingFor(ACol, ARow);
  if (!LeaveEditedCell(ACol, ARow)) return false;
  const bool result = TBaseGrid::SelectCell(ACol, ARow);
  if (result && (ACol != oldCol || ARow != oldRow) && ACol < ColCount() && ARow < RowCount()) {
    restoreText_ = GetCellText(RealColIndex(ACol), ARow);
    SaveCellForEdit(ACol, ARow);
  }
  if (result && ARow != oldRow && !rowIndicator_.Empty() && FixedCols() > 0) {
    RepaintCellDispl(0, oldRow);
    RepaintCellDispl(0, ARow);
  }
  if (result && activeCellShow_) {
    RepaintCellDispl(0, oldRow);
    RepaintCellDispl(0, ARow);
    RepaintCellDispl(oldCol, 0);
    RepaintCellDispl(ACol, 0);
  }
  return result;
}

bool TExtStringGrid::AdvanceCell(int ACol, int ARow, bool Forward, bool ShowEditorAfter, bool Force) {
  if (!navigation_->AdvanceOnEnter && !Force) return false;
  if (mouseActions_->RangeSelectAndEdit && !Options().Contains(goEditing))
    SetOptions(Options() + TGridOptions{goEditing});
  const int firstCol = FixedCols(), firstRow = FixedRows();
  const int lastCol = ColCount() - 1 - fixedRightCols_, lastRow = RowCount() - 1 - fixedFooters_;
  if (lastCol < firstCol || lastRow < firstRow) return false;
  const bool byRows = navigation_->AdvanceDirection == adLeftRight;
  int c = ACol, r = ARow;
  auto step = [&]() {
    if (Forward && byRows) {
      if (c < lastCol) {
        const TPoint base = BaseCell(RealColIndex(c), r);
        c = std::min(lastCol, std::max(c + 1, DisplColIndex(base.X + CellSpan(base.X, base.Y).X) + 1));
      } else if (r < lastRow) {
        c = firstCol, ++r;
      } else if (navigation_->AdvanceInsert) {
        bool canAdd = true;
        if (OnCanAddRow) OnCanAddRow(this, canAdd);
        if (!canAdd) {
          c = firstCol, r = firstRow;
          return;
        }
        AddRow();
        c = firstCol, r = RowCount() - 1 - fixedFooters_;
        if (OnAutoAddRow) OnAutoAddRow(this, r);
      } else {
        c = firstCol, r = firstRow;
      }
    } else if (Forward) {
      if (r < lastRow) {
        ++r;
      } else if (c < ColCount() - 1 - fixedRightCols_) {
        ++c, r = firstRow;
      } else if (navigation_->AdvanceInsert) {
        SetColCount(ColCount() + 1);
        c = ColCount() - 1 - fixedRightCols_, r = firstRow;
        if (OnAutoInsertCol) OnAutoInsertCol(this, c);
      } else {
        c = firstCol, r = firstRow;
      }
      Invalidate();
    } else if (byRows) {
      if (c > firstCol)
        --c;
      else if (r > firstRow)
        c = lastCol, --r;
      else
        c = lastCol, r = lastRow;
    } else {
      if (r > firstRow)
        --r;
      else if (c > firstCol)
        --c, r = lastRow;
      else
        c = lastCol, r = lastRow;
    }
  };
  // One full round at most: a grid without an editable cell keeps its cursor.
  const long long cells = static_cast<long long>(ColCount()) * RowCount() + 1;
  for (long long tried = 0; tried < cells; ++tried) {
    step();
    if (!CellEditable(RealColIndex(c), r)) continue;
    bool allow = true;
    if (OnCellChanging) OnCellChanging(this, ARow, ACol, r, c, allow);
    if (!allow) return false;
    advancing_ = true;
    try {
      FocusCell(c, r, true);
    } catch (...) {
      advancing_ = false;
      throw;
    }
    advancing_ = false;
    const bool checkTarget = HasCheckBoxOrRadio(RealColIndex(c), r);
    if (ShowEditorAfter || checkTarget) {
      if (Options().Contains(goEditing)) ShowEditor();
      // Enter into a check box or radio from a cell without one toggles it,
      // as a click just inside the cell would.
      if (checkTarget && !HasCheckBoxOrRadio(RealColIndex(ACol), ARow) && HandleAllocated()) {
        const TRect cell = CellRect(c, r);
        const LPARAM at = MAKELPARAM(cell.Left + 2, cell.Top + 2);
        Perform(WM_LBUTTONDOWN, MK_LBUTTON, at);
        Perform(WM_LBUTTONUP, 0, at);
      }
      bool again = true;
      if (OnCellChanging) OnCellChanging(this, ARow, ACol, Row(), Col(), again);
    }
    return Col() == c && Row() == r;
  }
  return false;
}

void TExtStringGrid::ScrollInView(int ACol, int ARow) {
  if (ACol < 0 || ARow < 0 || ACol >= ColCount() || ARow >= RowCount()) return;
  if (ACol < LeftCol() || ACol >= LeftCol() + VisibleColCount()) {
    SetCol(ACol);
    SetLeftCol(
        std::max(FixedCols(), std::min(ACol - VisibleColCount() / 2, ColCount() - VisibleColCount() + 1)));
  }
  if (ARow < TopRow() || ARow >= TopRow() + VisibleRowCount()) {
    SetRow(ARow);
    SetTopRow(
        std::max(FixedRows(), std::min(ARow - VisibleRowCount() / 2, RowCount() - VisibleRowCount() + 1)));
  }
}

void TExtStringGrid::DoInsertRow(int ARow) {
  InsertRows(ARow, 1);
  if (OnAutoInsertRow) OnAutoInsertRow(this, ARow);
}

void TExtStringGrid::DoDeleteRow(int ARow) {
  // The only data row stays, emptied.
  if (RowCount() - FixedRows() - fixedFooters_ <= 1)
    ClearRows(ARow, 1);
  else
    RemoveRows(ARow, 1);
  if (OnAutoDeleteRow) OnAutoDeleteRow(this, ARow);
}

void TExtStringGrid::CalcFooter(int ACol) {
  if (!floatingFooter_->Visible() || floatingFooter_->FooterStyle() != fsFixedLastRow) return;
  const int footer = RowCount() - 1;
  const int first = ACol < 0 ? 0 : ACol, last = ACol < 0 ? StoreCols() - 1 : ACol;
  for (int c = first; c <= last; ++c) {
    const TCellProperties* props = FindCellProperties(c, footer);
    if (!props) continue;
    const int kind = props->FooterCalc & 0x7F;
    if (kind == 0) {
      SetCellText(c, footer, "");
      continue;
    }
    const int rows = footer - FixedRows();
    double sum = 0, low = std::numeric_limits<double>::infinity(), high = -low;
    for (int r = FixedRows(); r < footer; ++r) {
      // Cells that hold no number do not count.
      double value = 0;
      try {
        value = GetCellFloat(c, r);
      } catch (const EExtGridError&) {
        continue;
      }
      sum += value;
      low = std::min(low, value);
      high = std::max(high, value);
    }
    double result = 0;
    switch (kind) {
      case 1:
        result = sum;
        break;
      case 2:
        result = rows > 0 ? sum / rows : 0;
        break;
      case 3:
        result = rows;
        break;
      case 4:
        result = std::isfinite(low) ? low : 0;
        break;
      case 5:
        result = std::isfinite(high) ? high : 0;
        break;
      default:
        continue;
    }
    SetCellFloat(c, footer, result);
  }
}
