// Hidden rows and columns, real and displayed indexes, and nodes.
//
// Hidden rows leave the cell store: each goes into the hidden-row
// collection under its real index with its cells' texts, objects and
// height, and comes back at exactly that index. Hidden columns stay in the
// store at their real index; the grid shows ColCount columns, the
// displayed ones, and keeps the width of each hidden column until it is
// shown again. Only columns below 512 can be hidden.

#include <algorithm>

#include "grid/ExtGrid.h"

// ---- index mapping ------------------------------------------------------------------

int TExtStringGrid::DisplColIndex(int RealCol) const {
  if (hiddenColCount_ == 0) return RealCol;
  int hidden = 0;
  for (int c = 0; c < RealCol && c < static_cast<int>(colVisible_.size()); ++c)
    if (!colVisible_[static_cast<size_t>(c)]) ++hidden;
  return RealCol - hidden;
}

int TExtStringGrid::RealColIndex(int DisplCol) const {
  if (hiddenColCount_ == 0 || DisplCol >= 512) return DisplCol;
  int shown = -1;
  for (int c = 0; c < 512; ++c) {
    if (colVisible_[static_cast<size_t>(c)]) ++shown;
    if (shown == DisplCol) return c;
  }
  return 0;
}

bool TExtStringGrid::IsHiddenColumn(int RealCol) const {
  return RealCol >= 0 && RealCol < 512 && !colVisible_[static_cast<size_t>(RealCol)];
}

int TExtStringGrid::RealRowIndex(int DisplRow) const {
  if (DisplRow < 0) return -1;
  if (hiddenRows_.empty()) return DisplRow;
  std::vector<int> hidden;
  hidden.reserve(hiddenRows_.size());
  for (const auto& item : hiddenRows_) hidden.push_back(item->Idx);
  std::sort(hidden.begin(), hidden.end());
  int real = DisplRow;
  for (int idx : hidden) {
    if (idx > real) break;
    ++real;
  }
  return real;
}

int TExtStringGrid::DisplRowIndex(int RealRow) const {
  int before = 0;
  for (const auto& item : hiddenRows_)
    if (item->Idx < RealRow) ++before;
  return RealRow - before;
}

bool TExtStringGrid::IsHiddenRow(int RealRow) const {
  return std::any_of(hiddenRows_.begin(), hiddenRows_.end(),
                     [&](const auto& item) { return item->Idx == RealRow; });
}

// ---- hiding rows --------------------------------------------------------------------------

void TExtStringGrid::HideRowRange(int FromRow, int ToRow) {
  // The rows of the range still shown; those hidden already stay as they
  // are, each under its own index.
  std::vector<int> rows;
  for (int r = std::max(0, FromRow); r <= ToRow; ++r) {
    if (IsHiddenRow(r)) continue;
    if (DisplRowIndex(r) >= RowCount()) break;
    rows.push_back(r);
  }
  // The grid keeps at least one row shown.
  if (static_cast<int>(rows.size()) >= RowCount()) rows.resize(static_cast<size_t>(RowCount() - 1));
  if (rows.empty()) return;
  const int first = DisplRowIndex(rows.front());
  BeginUpdate();
  for (size_t k = 0; k < rows.size(); ++k) {
    const int displ = first + static_cast<int>(k);
    auto item = std::make_unique<TGridItem>();
    item->Idx = rows[k];
    item->Height = RowHeights(displ);
    for (int c = 0; c < StoreColCount(displ); ++c) {
      item->Items().AddObject(GetCellDirect(c, displ), GetCellObjectDirect(c, displ));
      DetachCell(c, displ);
    }
    hiddenRows_.push_back(std::move(item));
  }
  RemoveRows(first, static_cast<int>(rows.size()));
  EndUpdate();
}

void TExtStringGrid::RestoreHiddenItem(size_t index) {
  std::unique_ptr<TGridItem> item = std::move(hiddenRows_[index]);
  hiddenRows_.erase(hiddenRows_.begin() + static_cast<std::ptrdiff_t>(index));
  const int displ = DisplRowIndex(item->Idx);
  InsertRows(std::min(displ, RowCount()), 1);
  TStringList& cells = item->Items();
  const int limit = CellStoreLimit().X;
  for (int c = 0; c < cells.Count(); ++c) {
    auto* obj = static_cast<TObject*>(cells.Objects(c));
    if (c >= limit) {
      delete obj;  // the grid lost the column meanwhile
      continue;
    }
    if (!cells[c].empty()) SetCellDirect(c, displ, cells[c]);
    if (obj) SetCellObjectDirect(c, displ, obj);
  }
  if (item->Height >= 0) SetRowHeights(displ, item->Height);
}

void TExtStringGrid::UnHideRowRange(int FromRow, int ToRow) {
  if (!IsHiddenRow(FromRow)) return;
  BeginUpdate();
  for (;;) {
    // The lowest hidden index of the range first, so that each comes back
    // at its own place.
    size_t found = hiddenRows_.size();
    for (size_t i = 0; i < hiddenRows_.size(); ++i) {
      const int idx = hiddenRows_[i]->Idx;
      if (idx >= FromRow && idx <= ToRow && (found == hiddenRows_.size() || idx < hiddenRows_[found]->Idx))
        found = i;
    }
    if (found == hiddenRows_.size()) break;
    RestoreHiddenItem(found);
  }
  EndUpdate();
}

void TExtStringGrid::UnHideRowsAll() {
  if (hiddenRows_.empty()) return;
  BeginUpdate();
  while (!hiddenRows_.empty()) {
    size_t lowest = 0;
    for (size_t i = 1; i < hiddenRows_.size(); ++i)
      if (hiddenRows_[i]->Idx < hiddenRows_[lowest]->Idx) lowest = i;
    RestoreHiddenItem(lowest);
  }
  EndUpdate();
}

// ---- hiding columns -------------------------------------------------------------------------

void TExtStringGrid::HideColumn(int RealCol) {
  if (RealCol < 0 || RealCol >= 512 || RealCol >= StoreCols()) throw EExtGridError("Invalid column accessed");
  if (!colVisible_[static_cast<size_t>(RealCol)] || ColCount() <= 1) return;
  const int displ = DisplColIndex(RealCol);
  hiddenColWidths_.emplace_back(RealCol, ColWidths(displ));
  BeginUpdate();
  for (int d = displ; d < ColCount() - 1; ++d) SetColWidths(d, ColWidths(d + 1));
  colVisible_[static_cast<size_t>(RealCol)] = false;
  ++hiddenColCount_;  // first, so that the store keeps the column's cells
  SetColCount(ColCount() - 1);
  EndUpdate();
}

void TExtStringGrid::UnHideColumn(int RealCol) {
  if (!IsHiddenColumn(RealCol)) return;
  BeginUpdate();
  SetColCount(ColCount() + 1);
  colVisible_[static_cast<size_t>(RealCol)] = true;
  --hiddenColCount_;
  const int displ = DisplColIndex(RealCol);
  for (int d = ColCount() - 1; d > displ; --d) SetColWidths(d, ColWidths(d - 1));
  int width = DefaultColWidth();
  for (auto it = hiddenColWidths_.begin(); it != hiddenColWidths_.end(); ++it)
    if (it->first == RealCol) {
      width = it->second;
      hiddenColWidths_.erase(it);
      break;
    }
  SetColWidths(displ, width);
  EndUpdate();
}

void TExtStringGrid::UnHideColumnsAll() {
  for (int c = 0; c < 512 && hiddenColCount_ > 0; ++c)
    if (!colVisible_[static_cast<size_t>(c)]) UnHideColumn(c);
}

// ---- nodes ------------------------------------------------------------------------------------

bool TExtStringGrid::IsNode(int ARow) { return GetCellType(0, ARow) == ctNode; }

bool TExtStringGrid::GetNodeState(int ARow) {
  const TCellGraphic* g = GetCellGraphic(0, ARow);
  return g && g->CellType == ctNode && g->CellBoolean;
}

int TExtStringGrid::GetNodeSpan(int ARow) {
  const TCellGraphic* g = GetCellGraphic(0, ARow);
  return g && g->CellType == ctNode ? g->CellIndex : -1;
}

void TExtStringGrid::AddNode(int ARow, int Span) {
  TCellGraphic* g = CreateCellGraphic(0, ARow);
  g->CellType = ctNode;
  g->CellIndex = Span;
  ++nodeCount_;
  RepaintCellDispl(0, ARow);
}

int TExtStringGrid::GetCellIndent(int ARow) {
  if (!HasNodes()) return 0;
  const TCellProperties* props = FindCellProperties(0, ARow);
  return props ? props->NodeLevel * 16 : 0;
}

void TExtStringGrid::ContractNode(int ARow) {
  // A special editor's control would stay over rows that go away.
  if (editorActive_ && !IsTextEditorType(editorType_)) HideCellEditor();
  const int d = DisplRowIndex(ARow);
  TCellGraphic* g = GetCellGraphic(0, d);
  if (!g || g->CellType != ctNode || g->CellBoolean) return;
  g->CellBoolean = true;
  int end;
  if (g->CellIndex >= 1) {
    end = std::min(d + g->CellIndex, RowCount());
  } else {
    end = d + 1;
    while (end < RowCount() && !IsNode(end)) ++end;
  }
  HideRowRange(ARow + 1, RealRowIndex(end) - 1);
  RepaintCellDispl(0, DisplRowIndex(ARow));
}

void TExtStringGrid::ExpandNode(int ARow) {
  const int d = DisplRowIndex(ARow);
  TCellGraphic* g = GetCellGraphic(0, d);
  if (!g || g->CellType != ctNode || !g->CellBoolean) return;
  g->CellBoolean = false;
  int end = d + 1;
  if (g->CellIndex == 0)
    while (end < RowCount() && !IsNode(end)) ++end;
  UnHideRowRange(ARow + 1, RealRowIndex(end) - 1);
  RepaintCellDispl(0, DisplRowIndex(ARow));
}

int TExtStringGrid::NodePosition(int ARow) {
  if (IsNode(ARow)) return 0;
  for (int r = ARow - 1; r >= FixedRows(); --r) {
    if (!IsNode(r)) continue;
    const int span = GetNodeSpan(r);
    const bool lastOfNode = span == ARow - r + 1 && !GetNodeState(r);
    const bool lastBeforeFooter = ARow == RowCount() - 1 - fixedFooters_;
    return lastOfNode || lastBeforeFooter ? 1 : 2;
  }
  return 0;
}

// ---- the selection off the grid -----------------------------------------------------------------

void TExtStringGrid::HideSelection() {
  if (selectionHidden_) return;
  savedSelection_ = {anchor_.X, anchor_.Y, current_.X, current_.Y};
  // Nothing of the grid is selected; the current cell stays where it was.
  anchor_ = current_ = {ColCount(), RowCount()};
  selectionHidden_ = true;
  Invalidate();
}

void TExtStringGrid::UnHideSelection() {
  if (!selectionHidden_) return;
  selectionHidden_ = false;
  // Into the first non-fixed cells, and never past the grid's end (a grid of
  // one always-fixed row reads FixedRows 1 and has no row 1).
  auto clampCol = [&](int c) { return std::min(std::max(c, FixedCols()), ColCount() - 1); };
  auto clampRow = [&](int r) { return std::min(std::max(r, FixedRows()), RowCount() - 1); };
  anchor_ = {clampCol(savedSelection_.Left), clampRow(savedSelection_.Top)};
  current_ = {clampCol(savedSelection_.Right), clampRow(savedSelection_.Bottom)};
  Invalidate();
}
