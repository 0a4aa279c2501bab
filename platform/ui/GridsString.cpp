// TDrawGrid and TStringGrid: cells drawn by an event, and cells holding a
// text and an object each.

#include <algorithm>

#include "platform/ui/Grids.h"

// ---- TDrawGrid ---------------------------------------------------------------------

void TDrawGrid::DrawCell(int ACol, int ARow, const TRect& ARect, TGridDrawState AState) {
  if (OnDrawCell) OnDrawCell(this, ACol, ARow, ARect, AState);
}

AnsiString TDrawGrid::GetEditMask(int ACol, int ARow) {
  AnsiString value;
  if (OnGetEditMask) OnGetEditMask(this, ACol, ARow, value);
  return value;
}

AnsiString TDrawGrid::GetEditText(int ACol, int ARow) {
  AnsiString value;
  if (OnGetEditText) OnGetEditText(this, ACol, ARow, value);
  return value;
}

void TDrawGrid::SetEditText(int ACol, int ARow, const AnsiString& Value) {
  if (OnSetEditText) OnSetEditText(this, ACol, ARow, Value);
}

void TDrawGrid::ColumnMoved(int FromIndex, int ToIndex) {
  if (OnColumnMoved) OnColumnMoved(this, FromIndex, ToIndex);
}

void TDrawGrid::RowMoved(int FromIndex, int ToIndex) {
  if (OnRowMoved) OnRowMoved(this, FromIndex, ToIndex);
}

// ---- TStringGridStrings ----------------------------------------------------------------

int TStringGridStrings::Count() const { return isRow_ ? grid_.ColCount() : grid_.RowCount(); }

void TStringGridStrings::Check(int index) const {
  if (index < 0 || index >= Count()) Error("List index out of bounds (%d)", index);
}

AnsiString TStringGridStrings::Get(int index) const {
  Check(index);
  return isRow_ ? grid_.Cells(index, index_) : grid_.Cells(index_, index);
}

void TStringGridStrings::Put(int index, const AnsiString& s) {
  Check(index);
  if (isRow_)
    grid_.SetCells(index, index_, s);
  else
    grid_.SetCells(index_, index, s);
}

void* TStringGridStrings::GetObject(int index) const {
  Check(index);
  return isRow_ ? grid_.Objects(index, index_) : grid_.Objects(index_, index);
}

void TStringGridStrings::PutObject(int index, void* object) {
  Check(index);
  auto* obj = static_cast<TObject*>(object);
  if (isRow_)
    grid_.SetObjects(index, index_, obj);
  else
    grid_.SetObjects(index_, index, obj);
}

int TStringGridStrings::Add(const AnsiString& s) { return AddObject(s, nullptr); }

int TStringGridStrings::AddObject(const AnsiString& s, void* object) {
  // The first empty cell takes it; a full row or column refuses.
  for (int i = 0; i < Count(); ++i) {
    if (Get(i).empty() && GetObject(i) == nullptr) {
      Put(i, s);
      PutObject(i, object);
      return i;
    }
  }
  throw EInvalidGridOperation("Cannot insert or delete rows from grid");
}

void TStringGridStrings::Insert(int, const AnsiString&) {
  throw EInvalidGridOperation("Cannot insert or delete rows from grid");
}

void TStringGridStrings::Delete(int) {
  throw EInvalidGridOperation("Cannot insert or delete rows from grid");
}

void TStringGridStrings::Clear() {
  for (int i = 0; i < Count(); ++i) {
    Put(i, "");
    PutObject(i, nullptr);
  }
}

void TStringGridStrings::Assign(const TStrings& source) {
  if (&source == this) return;
  const int count = source.Count();
  for (int i = 0; i < Count(); ++i) {
    Put(i, i < count ? source.Get(i) : AnsiString());
    PutObject(i, i < count ? source.GetObject(i) : nullptr);
  }
}

// ---- TStringGrid --------------------------------------------------------------------------

TStringGrid::TStringGrid(TComponent* AOwner) : TDrawGrid(AOwner) { cells_.Resize(RowCount()); }

TStringGrid::~TStringGrid() = default;

const TStringGrid::Cell* TStringGrid::Find(int ACol, int ARow) const {
  if (ARow < 0 || ACol < 0 || ARow >= cells_.Count()) return nullptr;
  const RowCells* row = cells_.Get(ARow).get();
  if (!row || static_cast<size_t>(ACol) >= row->size()) return nullptr;
  return &(*row)[static_cast<size_t>(ACol)];
}

void TStringGrid::CheckStoreIndex(int ACol, int ARow) const {
  const TGridCoord limit = CellStoreLimit();
  if (ACol < 0 || ARow < 0 || ACol >= limit.X || ARow >= limit.Y)
    throw EInvalidGridOperation("Grid index out of range");
}

TStringGrid::Cell& TStringGrid::Ensure(int ACol, int ARow) {
  CheckStoreIndex(ACol, ARow);
  if (ARow >= cells_.Count()) cells_.Resize(ARow + 1);
  auto& row = cells_.At(ARow);
  if (!row) row = std::make_unique<RowCells>();
  if (row->size() <= static_cast<size_t>(ACol)) {
    row->resize(static_cast<size_t>(ACol) + 1);
    colBound_ = std::max(colBound_, ACol + 1);
  }
  return (*row)[static_cast<size_t>(ACol)];
}

AnsiString TStringGrid::Cells(int ACol, int ARow) const {
  const Cell* cell = Find(ACol, ARow);
  return cell ? cell->Text : AnsiString();
}

void TStringGrid::SetCells(int ACol, int ARow, const AnsiString& Value) {
  // A cell never written already reads as empty: clearing it takes no room
  // (a cleared sheet of hundreds of rows stays as small as its texts).
  if (Value.empty() && Find(ACol, ARow) == nullptr) {
    CheckStoreIndex(ACol, ARow);
    return;
  }
  Cell& cell = Ensure(ACol, ARow);
  if (cell.Text == Value) return;
  cell.Text = Value;
  InvalidateCell(ACol, ARow);
}

TObject* TStringGrid::Objects(int ACol, int ARow) const {
  const Cell* cell = Find(ACol, ARow);
  return cell ? cell->Object : nullptr;
}

void TStringGrid::SetObjects(int ACol, int ARow, TObject* Value) { Ensure(ACol, ARow).Object = Value; }

TStrings& TStringGrid::Rows(int ARow) {
  if (ARow < 0 || ARow >= RowCount()) throw EInvalidGridOperation("Grid index out of range");
  auto& list = rowLists_[ARow];
  if (!list) list = std::make_unique<TStringGridStrings>(*this, true, ARow);
  return *list;
}

TStrings& TStringGrid::Cols(int ACol) {
  if (ACol < 0 || ACol >= ColCount()) throw EInvalidGridOperation("Grid index out of range");
  auto& list = colLists_[ACol];
  if (!list) list = std::make_unique<TStringGridStrings>(*this, false, ACol);
  return *list;
}

int TStringGrid::StoredRowCount() const {
  int stored = 0;
  cells_.ForEach([&stored](const auto& row) { stored += row != nullptr; });
  return stored;
}

void TStringGrid::DrawCell(int ACol, int ARow, const TRect& ARect, TGridDrawState AState) {
  if (DefaultDrawing) {
    if (const Cell* cell = Find(ACol, ARow); cell && !cell->Text.empty())
      Canvas().TextRect(ARect, ARect.Left + 2, ARect.Top + 2, cell->Text);
  }
  TDrawGrid::DrawCell(ACol, ARow, ARect, AState);
}

AnsiString TStringGrid::GetEditText(int ACol, int ARow) {
  // The text an OnGetEditText handler may change; the cell's by default.
  AnsiString value = Cells(ACol, ARow);
  if (OnGetEditText) OnGetEditText(this, ACol, ARow, value);
  return value;
}

void TStringGrid::SetEditText(int ACol, int ARow, const AnsiString& Value) {
  SetCells(ACol, ARow, Value);
  TDrawGrid::SetEditText(ACol, ARow, Value);
}

void TStringGrid::ColumnMoved(int FromIndex, int ToIndex) {
  const size_t need = static_cast<size_t>(std::max(FromIndex, ToIndex)) + 1;
  cells_.ForEach([&](std::unique_ptr<RowCells>& row) {
    if (!row) return;
    if (row->size() < need) row->resize(need);
    Cell moved = std::move((*row)[static_cast<size_t>(FromIndex)]);
    row->erase(row->begin() + FromIndex);
    row->insert(row->begin() + ToIndex, std::move(moved));
  });
  colBound_ = std::max(colBound_, static_cast<int>(need));
  Invalidate();
  TDrawGrid::ColumnMoved(FromIndex, ToIndex);
}

void TStringGrid::RowMoved(int FromIndex, int ToIndex) {
  const int need = std::max(FromIndex, ToIndex) + 1;
  if (cells_.Count() < need) cells_.Resize(need);
  cells_.Move(FromIndex, ToIndex);
  Invalidate();
  TDrawGrid::RowMoved(FromIndex, ToIndex);
}

void TStringGrid::SizeChanged(int OldColCount, int OldRowCount) {
  // Cells that fell outside the grid go; rows and columns that come back
  // start empty. Row and column lists stay: they check their index. Only a
  // cut in the columns walks the rows.
  const TGridCoord limit = CellStoreLimit();
  cells_.Resize(limit.Y);
  if (colBound_ > limit.X) {
    const auto cols = static_cast<size_t>(std::max(0, limit.X));
    cells_.ForEach([cols](std::unique_ptr<RowCells>& row) {
      if (row && row->size() > cols) row->resize(cols);
    });
    colBound_ = static_cast<int>(cols);
  }
  TDrawGrid::SizeChanged(OldColCount, OldRowCount);
}

void TStringGrid::ExchangeStoredRows(int ARow1, int ARow2) {
  const int need = std::max(ARow1, ARow2) + 1;
  if (cells_.Count() < need) cells_.Resize(need);
  cells_.Exchange(ARow1, ARow2);
  InvalidateRow(ARow1);
  InvalidateRow(ARow2);
}

void TStringGrid::PermuteStoredRows(int First, const std::vector<int>& Order,
                                    const std::function<void(int ARow, TObject* Object)>& Visit) {
  // Both passes walk the rows in order: the store finds the next row at
  // once.
  const int n = static_cast<int>(Order.size());
  if (cells_.Count() < First + n) cells_.Resize(First + n);
  std::vector<std::unique_ptr<RowCells>> taken(static_cast<size_t>(n));
  for (int k = 0; k < n; ++k) taken[static_cast<size_t>(k)] = std::move(cells_.At(First + k));
  for (int k = 0; k < n; ++k) {
    const int from = Order[static_cast<size_t>(k)];
    auto& row = cells_.At(First + k);
    row = std::move(taken[static_cast<size_t>(from)]);
    if (from == k || !row || !Visit) continue;
    for (const Cell& cell : *row)
      if (cell.Object) Visit(First + k, cell.Object);
  }
}

int TStringGrid::StoreColCount(int ARow) const {
  if (ARow < 0 || ARow >= cells_.Count()) return 0;
  const RowCells* row = cells_.Get(ARow).get();
  return row ? static_cast<int>(row->size()) : 0;
}
