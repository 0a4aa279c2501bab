// Row and column structure (insert, remove, add) and clearing. Every cell's
// properties object belongs to exactly one cell of the store: moves carry
// it along, vacated cells are detached, removed cells free it, and merged
// areas cut by an insertion or removal are split first so that no covered
// cell names a wrong base.

#include <algorithm>

#include "grid/ExtGrid.h"

namespace {
[[noreturn]] void InvalidRow() { throw EExtGridError("Invalid row accessed"); }
[[noreturn]] void InvalidColumn() { throw EExtGridError("Invalid column accessed"); }
}  // namespace

// ---- cells --------------------------------------------------------------------------

void TExtStringGrid::FreeCell(int ACol, int ARow, bool Notify) {
  if (TObject* obj = GetCellObjectDirect(ACol, ARow)) {
    if (GetCellType(ACol, ARow) == ctNode) --nodeCount_;
    // The properties free their graphic, unless it is shared by many cells.
    SetCellObjectDirect(ACol, ARow, nullptr);
    delete obj;
  }
  if (Notify && ComponentState().Contains(csDestroying)) return;
  if (!GetCellDirect(ACol, ARow).empty()) SetCellDirect(ACol, ARow, "");
}

void TExtStringGrid::SplitAreasAcrossRow(int ARow) {
  // Areas holding both ARow - 1 and ARow.
  for (int c = 0; c < StoreCols(); ++c) {
    if (!IsMergedCell(c, ARow)) continue;
    if (BaseCell(c, ARow).Y < ARow) SplitCells(c, ARow);
  }
}

void TExtStringGrid::SplitAreasAcrossCol(int ACol) {
  for (int r = 0; r < StoreRowCount(); ++r) {
    if (!IsMergedCell(ACol, r)) continue;
    if (BaseCell(ACol, r).X < ACol) SplitCells(ACol, r);
  }
}

void TExtStringGrid::MoveStoredRow(int From, int To) {
  // The plain grid moves the row's cells (all stored columns), its height
  // and tab of the current cell; the current cell is put back by callers.
  MoveRow(From, To);
}

void TExtStringGrid::MoveStoredCol(int From, int To) { MoveColumn(From, To); }

// ---- rows -------------------------------------------------------------------------------

void TExtStringGrid::InsertRows(int RowIndex, int RCount) {
  if (RCount < 1) return;
  if (RowIndex < 0 || RowIndex > RowCount()) InvalidRow();
  const TGridCoord current = current_, anchor = anchor_;
  const int top = TopRow();
  if (RowIndex < RowCount()) SplitAreasAcrossRow(RowIndex);
  BeginUpdate();
  const bool wasHidden = selectionHidden_;
  SetRowCount(RowCount() + RCount);
  const bool selectionShown = wasHidden && !selectionHidden_;
  for (int i = 0; i < RCount; ++i) MoveStoredRow(RowCount() - 1, RowIndex);
  for (int r = RowIndex; r < RowIndex + RCount; ++r) {
    SetRowHeights(r, DefaultRowHeight());
    // A row grown into may hold what was once written one past the end.
    for (int c = 0; c < StoreColCount(r); ++c) DetachCell(c, r);
  }
  // The disjunct selection moves with its rows.
  if (static_cast<int>(rowSelect_.size()) > RowIndex)
    rowSelect_.insert(rowSelect_.begin() + RowIndex, static_cast<size_t>(RCount), false);
  // A grid that was only its heading has its selection back on the new
  // rows; any other keeps the one it had.
  if (!selectionShown) {
    current_ = current;
    anchor_ = anchor;
  }
  SetTopRow(top);
  EndUpdate();
}

void TExtStringGrid::RemoveRowsOfStore(int ARow, int ACount) {
  // Areas reaching into the removed rows from above or below are split.
  SplitAreasAcrossRow(ARow);
  if (ARow + ACount < RowCount()) SplitAreasAcrossRow(ARow + ACount);
  for (int r = ARow; r < ARow + ACount; ++r)
    for (int c = 0; c < StoreColCount(r); ++c) FreeCell(c, r, false);
  for (int i = 0; i < ACount; ++i) MoveStoredRow(ARow, RowCount() - 1);
  if (mouseActions_->DisjunctRowSelect())
    for (int i = 0; i < ACount; ++i)
      if (ARow < static_cast<int>(rowSelect_.size())) rowSelect_.erase(rowSelect_.begin() + ARow);
  SetRowCount(std::max(1, RowCount() - ACount));
}

void TExtStringGrid::RemoveRows(int RowIndex, int RCount) {
  if (RCount < 1) return;
  if (RowIndex < 0 || RowIndex >= RowCount()) InvalidRow();
  RCount = std::min(RCount, RowCount() - RowIndex);
  const TGridCoord current = current_, anchor = anchor_;
  const int top = TopRow();
  BeginUpdate();
  RemoveRowsOfStore(RowIndex, RCount);
  if (current.Y >= RowCount()) {
    if (FixedRows() < RowCount()) {
      current_ = anchor_ = {std::min(current.X, ColCount() - 1), FixedRows()};
      SetTopRow(FixedRows());
    }
  } else {
    current_ = current;
    anchor_ = anchor;
    SetTopRow(top);
  }
  EndUpdate();
  CellsChanged(Rect(0, RowIndex, ColCount() - 1, RowIndex + RCount));
}

void TExtStringGrid::DeleteRows(int ARow, int ACount) {
  if (ACount < 1) return;
  if (ARow < 0 || ARow >= RowCount()) InvalidRow();
  ACount = std::min(ACount, RowCount() - ARow);
  for (int r = ARow; r < ARow + ACount; ++r)
    for (int c = 0; c < StoreColCount(r); ++c)
      if (HasCellProperties(c, r)) FreeCell(c, r, false);
  RemoveRowRange(ARow, ACount);
}

void TExtStringGrid::RemoveRowRange(int ARow, int ACount) {
  if (ARow > RowCount() || ACount < 1) return;
  if (ARow < 0 || ARow >= RowCount()) InvalidRow();
  ACount = std::min(ACount, RowCount() - ARow);
  BeginUpdate();
  const int top = TopRow();
  const TGridCoord current = current_, anchor = anchor_;
  RemoveRowsOfStore(ARow, ACount);
  const int dataEnd = RowCount() - fixedFooters_;
  if (dataEnd <= current.Y) {
    if (dataEnd > FixedRows()) {
      current_ = anchor_ = {std::min(current.X, ColCount() - 1), dataEnd - 1};
    } else {
      HideSelection();
    }
  } else {
    current_ = current;
    anchor_ = anchor;
    SetTopRow(top);
  }
  EndUpdate();
  CellsChanged(Rect(0, ARow, ColCount() - 1, ARow + ACount));
  if (RowCount() - 1 <= TopRow()) SetTopRow(RowCount() - 1);
}

void TExtStringGrid::AddRow() { InsertRows(floatingFooter_->Visible() ? RowCount() - 1 : RowCount(), 1); }

void TExtStringGrid::RemoveSelectedRows() {
  BeginUpdate();
  int r = FixedRows();
  while (r < RowCount() - fixedFooters_ && RowCount() > 1) {
    if (r < static_cast<int>(rowSelect_.size()) && rowSelect_[static_cast<size_t>(r)])
      DeleteRows(r, 1);
    else
      ++r;
  }
  EndUpdate();
}

// ---- columns ------------------------------------------------------------------------------

void TExtStringGrid::InsertCols(int ColIndex, int CCount) {
  if (CCount < 1) return;
  if (ColIndex < 0 || ColIndex > ColCount()) InvalidColumn();
  // Columns move by their real index, so hidden columns are shown while
  // the structure changes and hidden again after it.
  std::vector<int> hidden;
  for (int c = 0; c < StoreCols() && c < 512; ++c)
    if (!colVisible_[static_cast<size_t>(c)]) hidden.push_back(c >= ColIndex ? c + CCount : c);
  UnHideColumnsAll();
  const TGridCoord current = current_, anchor = anchor_;
  if (ColIndex < ColCount()) SplitAreasAcrossCol(ColIndex);
  BeginUpdate();
  SetColCount(ColCount() + CCount);
  for (int i = 0; i < CCount; ++i) MoveStoredCol(ColCount() - 1, ColIndex);
  for (int c = ColIndex; c < ColIndex + CCount; ++c) {
    SetColWidths(c, DefaultColWidth());
    for (int r = 0; r < StoreRowCount(); ++r) DetachCell(c, r);
  }
  if (static_cast<int>(colSelect_.size()) > ColIndex)
    colSelect_.insert(colSelect_.begin() + ColIndex, static_cast<size_t>(CCount), false);
  current_ = current;
  anchor_ = anchor;
  for (int c : hidden) HideColumn(c);
  EndUpdate();
}

void TExtStringGrid::RemoveCols(int ColIndex, int CCount) {
  if (CCount < 1) return;
  if (ColIndex < 0 || ColIndex >= ColCount()) InvalidColumn();
  CCount = std::min(CCount, ColCount() - ColIndex);
  std::vector<int> hidden;
  for (int c = 0; c < StoreCols() && c < 512; ++c)
    if (!colVisible_[static_cast<size_t>(c)] && (c < ColIndex || c >= ColIndex + CCount))
      hidden.push_back(c >= ColIndex + CCount ? c - CCount : c);
  UnHideColumnsAll();
  const TGridCoord current = current_, anchor = anchor_;
  SplitAreasAcrossCol(ColIndex);
  if (ColIndex + CCount < ColCount()) SplitAreasAcrossCol(ColIndex + CCount);
  BeginUpdate();
  ClearColumns(ColIndex, CCount);
  for (int i = 0; i < CCount; ++i) MoveStoredCol(ColIndex, ColCount() - 1);
  if (static_cast<int>(colSelect_.size()) > ColIndex)
    colSelect_.erase(
        colSelect_.begin() + ColIndex,
        colSelect_.begin() + std::min<int>(ColIndex + CCount, static_cast<int>(colSelect_.size())));
  SetColCount(std::max(1, ColCount() - CCount));
  current_.X = std::min(current.X, ColCount() - 1);
  current_.Y = current.Y;
  anchor_.X = std::min(anchor.X, ColCount() - 1);
  anchor_.Y = anchor.Y;
  for (int c : hidden) HideColumn(c);
  EndUpdate();
  CellsChanged(Rect(ColIndex, 0, ColIndex + CCount, RowCount() - 1));
}

// ---- clearing ------------------------------------------------------------------------------

void TExtStringGrid::ClearRect(int ACol1, int ARow1, int ACol2, int ARow2) {
  const int lastRow = std::min(ARow2, StoreRowCount() - 1);
  for (int r = std::max(0, ARow1); r <= lastRow; ++r) {
    // Unwritten rows hold nothing to clear.
    const int lastCol = std::min(ACol2, StoreColCount(r) - 1);
    for (int c = std::max(0, ACol1); c <= lastCol; ++c) FreeCell(c, r, true);
  }
  if (!ComponentState().Contains(csDestroying)) CellsChanged(Rect(ACol1, ARow1, ACol2, ARow2));
}

void TExtStringGrid::ClearRows(int ARow, int ACount) {
  if (RowCount() < 1 || ColCount() < 1 || ACount < 1) return;
  ClearRect(0, ARow, StoreCols() - 1, ARow + ACount - 1);
}

void TExtStringGrid::ClearColumns(int ACol, int ACount) {
  if (RowCount() < 1 || ColCount() < 1 || ACount < 1) return;
  ClearRect(ACol, 0, ACol + ACount - 1, RowCount() - 1);
}

void TExtStringGrid::ClearAllCells() {
  if (RowCount() > 0 && ColCount() > 0) ClearRect(0, 0, StoreCols() - 1, RowCount() - 1);
  lookupText_.clear();
}

// ---- merging by column ------------------------------------------------------------------------

void TExtStringGrid::SplitColumnCells(int ACol) {
  int r = 0;
  while (r < RowCount() - 1 - fixedFooters_) {
    if (IsMergedCell(ACol, r)) {
      const TPoint span = CellSpan(ACol, r);
      const TPoint base = BaseCell(ACol, r);
      SplitCells(ACol, r);
      r = base.Y + span.Y + 1;
    } else {
      ++r;
    }
  }
}

void TExtStringGrid::MergeColumnCells(int ACol, bool MainMerge) {
  int start = FixedRows(), n = 1;
  const int last = RowCount() - 1 - fixedFooters_;
  for (int r = FixedRows() + 1; r <= last; ++r) {
    if (GetCellText(ACol, r) == GetCellText(ACol, r - 1) && (MainMerge || RowsInSameMerge(r, r - 1))) {
      ++n;
    } else {
      MergeCells(ACol, start, 1, n);
      start = r;
      n = 1;
    }
  }
  if (n > 1) MergeCells(ACol, start, 1, n);
}

void TExtStringGrid::SplitAllMerges() {
  for (int c = 0; c < ColCount(); ++c) SplitColumnCells(c);
}

void TExtStringGrid::MergeListedColumns() {
  bool first = true;
  for (int c : mergeColumns_) {
    if (c < 0 || c >= ColCount()) continue;
    MergeColumnCells(c, first);
    first = false;
  }
}

void TExtStringGrid::SetMergeColumns(const std::vector<int>& Columns) {
  mergeColumns_ = Columns;
  SplitAllMerges();
  MergeListedColumns();
}
