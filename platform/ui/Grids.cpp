#include "platform/ui/Grids.h"

#include <algorithm>
#include <memory>
#include <optional>

#include "platform/gfx/FrameControls.h"
#include "platform/rtl/KeptStorage.h"
#include "platform/ui/WindowManager.h"

// The grid's own look: the lines between cells and the edges of fixed cells.
namespace {
constexpr TColor kFixedLineColor = clBlack;
constexpr TColor kCellLineColor = clSilver;
constexpr TColor kMoveMarkColor = clBlack;

[[noreturn]] void GridIndexError() { throw EInvalidGridOperation("Grid index out of range"); }
}  // namespace

TCustomGrid::TCustomGrid(TComponent* AOwner) : TCustomControl(AOwner), scrollBars_(this) {
  SetTabStop(true);
  SetColor(clWindow);
  ControlStyle << csDoubleClicks;
  options_ = {goFixedVertLine, goFixedHorzLine, goVertLine, goHorzLine, goRangeSelect};
  cols_.SetLineWidth(gridLineWidth_);
  rows_.SetLineWidth(gridLineWidth_);
  cols_.SetCount(5, defaultColWidth_);
  rows_.SetCount(5, defaultRowHeight_);
  tabStops_.assign(5, true);
  topLeft_ = {fixedCols_, fixedRows_};
  current_ = anchor_ = topLeft_;
  scrollBars_.SetStyle(ssBoth);
  SetBounds(0, 0, 320, 120);
}

TCustomGrid::~TCustomGrid() {
  // The editor is a child window owned like any other control; it must not
  // call back into a grid that is going.
  if (inplaceEdit_) inplaceEdit_->SetGrid(nullptr);
}

// ---- shape ----------------------------------------------------------------

void TCustomGrid::ChangeSize(int newCols, int newRows) {
  const int oldCols = ColCount(), oldRows = RowCount();
  if (newCols == oldCols && newRows == oldRows) return;
  HideEditor();
  const TGridShape old = Shape();
  const TGridCoord oldCurrent = current_;
  const TGridRect oldSelection = Selection();
  cols_.SetCount(newCols, defaultColWidth_);
  rows_.SetCount(newRows, defaultRowHeight_);
  tabStops_.resize(static_cast<size_t>(newCols), true);
  fixedCols_ = std::min(fixedCols_, std::max(0, newCols - 1));
  fixedRows_ = std::min(fixedRows_, std::max(0, newRows - 1));
  // The current cell, the anchor and the top-left cell stay inside.
  auto clampCell = [&](TGridCoord& c) {
    c.X = std::clamp(c.X, fixedCols_, std::max(fixedCols_, newCols - 1));
    c.Y = std::clamp(c.Y, fixedRows_, std::max(fixedRows_, newRows - 1));
  };
  clampCell(current_);
  clampCell(anchor_);
  clampCell(topLeft_);
  const TGridCoord maxTL = MaxTopLeft();
  topLeft_.X = std::min(topLeft_.X, maxTL.X);
  topLeft_.Y = std::min(topLeft_.Y, maxTL.Y);
  SizeChanged(oldCols, oldRows);
  UpdateScrollBars();
  // Rows and columns both counts have stay where they were unless the view
  // moved, a bar came or went, or the fixed cells changed.
  const TGridShape now = Shape();
  if (RepaintDeferred())
    SizeChangeDeferred(old);
  else if (now.TopLeft != old.TopLeft || now.Area != old.Area || now.FixedCols != old.FixedCols ||
           now.FixedRows != old.FixedRows || SizeChangeRepaintsAll(oldCols, oldRows))
    Invalidate();
  else
    InvalidateSizeChange(oldCols, oldRows, oldSelection, oldCurrent);
}

TGridShape TCustomGrid::Shape() const {
  return {ColCount(), RowCount(), fixedCols_, fixedRows_, topLeft_, GridArea()};
}

void TCustomGrid::InvalidateSizeChange(int oldCols, int oldRows, const TGridRect& oldSelection,
                                       TGridCoord oldCurrent) {
  // What the change can alter: the columns and rows that came or went
  // (what lay past the old last cell or lies past the new one among them),
  // and the selection and current cell the new edges pushed in.
  const TRect area = GridArea();
  auto clip = [](long long v) { return static_cast<int>(std::clamp<long long>(v, -(1LL << 30), 1LL << 30)); };
  const int firstCol = std::min(oldCols, ColCount()), firstRow = std::min(oldRows, RowCount());
  const long long x = area.Left + FixedWidth() + cols_.Start(firstCol) - cols_.Start(topLeft_.X);
  const long long y = area.Top + FixedHeight() + rows_.Start(firstRow) - rows_.Start(topLeft_.Y);
  if (x < area.Right)
    InvalidateRect(Rect(clip(std::max<long long>(x, area.Left)), area.Top, area.Right, area.Bottom));
  if (y < area.Bottom)
    InvalidateRect(Rect(area.Left, clip(std::max<long long>(y, area.Top)), area.Right, area.Bottom));
  if (Selection() != oldSelection) {
    const TGridRect kept{oldSelection.Left, oldSelection.Top, std::min(oldSelection.Right, ColCount() - 1),
                         std::min(oldSelection.Bottom, RowCount() - 1)};
    if (kept.Left <= kept.Right && kept.Top <= kept.Bottom) InvalidateRange(kept);
    InvalidateRange(Selection());
  }
  if (current_ != oldCurrent) {
    if (oldCurrent.X < ColCount() && oldCurrent.Y < RowCount()) InvalidateCell(oldCurrent.X, oldCurrent.Y);
    InvalidateCell(current_.X, current_.Y);
  }
}

void TCustomGrid::SetColCount(int v) {
  if (v < 1) v = 1;
  if (v <= fixedCols_) SetFixedCols(v - 1);
  ChangeSize(v, RowCount());
}

void TCustomGrid::SetRowCount(int v) {
  if (v < 1) v = 1;
  if (v <= fixedRows_) SetFixedRows(v - 1);
  ChangeSize(ColCount(), v);
}

void TCustomGrid::SetFixedCols(int v) {
  if (v < 0 || v >= ColCount())
    throw EInvalidGridOperation("Fixed column count must be less than column count");
  fixedCols_ = v;
  topLeft_.X = std::max(topLeft_.X, v);
  current_.X = std::max(current_.X, v);
  anchor_.X = std::max(anchor_.X, v);
  UpdateScrollBars();
  Invalidate();
}

void TCustomGrid::SetFixedRows(int v) {
  if (v < 0 || v >= RowCount()) throw EInvalidGridOperation("Fixed row count must be less than row count");
  fixedRows_ = v;
  topLeft_.Y = std::max(topLeft_.Y, v);
  current_.Y = std::max(current_.Y, v);
  anchor_.Y = std::max(anchor_.Y, v);
  UpdateScrollBars();
  Invalidate();
}

void TCustomGrid::SetDefaultColWidth(int v) {
  defaultColWidth_ = std::max(0, v);
  cols_.SetAll(defaultColWidth_);
  ColWidthsChanged();
}

void TCustomGrid::SetDefaultRowHeight(int v) {
  defaultRowHeight_ = std::max(0, v);
  rows_.SetAll(defaultRowHeight_);
  RowHeightsChanged();
}

int TCustomGrid::ColWidths(int index) const {
  if (index < 0 || index >= ColCount()) return defaultColWidth_;
  return cols_.Size(index);
}

void TCustomGrid::SetColWidths(int index, int v) {
  if (index < 0 || index >= ColCount()) GridIndexError();
  if (cols_.Size(index) == std::max(0, v)) return;
  cols_.SetSize(index, v);
  ColWidthsChanged();
}

int TCustomGrid::RowHeights(int index) const {
  if (index < 0 || index >= RowCount()) return defaultRowHeight_;
  return rows_.Size(index);
}

void TCustomGrid::SetRowHeights(int index, int v) {
  if (index < 0 || index >= RowCount()) GridIndexError();
  if (rows_.Size(index) == std::max(0, v)) return;
  rows_.SetSize(index, v);
  RowHeightsChanged();
}

void TCustomGrid::SetGridLineWidth(int v) {
  v = std::max(0, v);
  if (v == gridLineWidth_) return;
  gridLineWidth_ = v;
  cols_.SetLineWidth(v);
  rows_.SetLineWidth(v);
  ColWidthsChanged();
  RowHeightsChanged();
}

void TCustomGrid::SetOptions(TGridOptions v) {
  if (v == options_) return;
  if (v.Contains(goRowSelect)) v >> goAlwaysShowEditor;
  // These tell only what the mouse and the keys do: the cells look the same
  // after a change of them alone, and are not painted again for it.
  const TGridOptions actingOnly{goRangeSelect, goRowSizing, goColSizing,    goRowMoving,
                                goColMoving,   goTabs,      goThumbTracking};
  const bool sameLook = v - actingOnly == options_ - actingOnly;
  options_ = v;
  if (options_.Contains(goAlwaysShowEditor) && options_.Contains(goEditing))
    editorMode_ = true;
  else if (!options_.Contains(goEditing))
    HideEditor();
  if (options_.Contains(goRowSelect)) {
    // The whole row is the selection.
    const TGridRect old = Selection();
    anchor_.X = ColCount() - 1;
    current_.X = fixedCols_;
    SelectionMoved(old);
  }
  if (editorMode_) UpdateEdit();
  if (!sameLook) Invalidate();
}

void TCustomGrid::SetScrollBars(TScrollStyle v) {
  scrollBars_.SetStyle(v);
  UpdateScrollBars();
  Invalidate();
}

void TCustomGrid::SetFixedColor(TColor c) {
  fixedColor_ = c;
  Invalidate();
}

void TCustomGrid::SetBorderStyle(TBorderStyle s) {
  borderStyle_ = s;
  UpdateScrollBars();
  Invalidate();
}

bool TCustomGrid::TabStops(int index) const {
  return index >= 0 && index < ColCount() ? tabStops_[static_cast<size_t>(index)] : true;
}

void TCustomGrid::SetTabStops(int index, bool v) {
  if (index < 0 || index >= ColCount()) GridIndexError();
  tabStops_[static_cast<size_t>(index)] = v;
}

// ---- geometry ---------------------------------------------------------------

TRect TCustomGrid::GridArea() const {
  TRect r = ClientRect();
  if (borderStyle_ != bsNone) r = InflateRect(r, -2, -2);
  return scrollBars_.ContentRect(r);
}

int TCustomGrid::FixedWidth() const { return static_cast<int>(cols_.Start(fixedCols_)); }
int TCustomGrid::FixedHeight() const { return static_cast<int>(rows_.Start(fixedRows_)); }

long long TCustomGrid::ColLeft(int ACol) const {
  const long long origin = GridArea().Left;
  if (ACol < fixedCols_) return origin + cols_.Start(ACol);
  return origin + FixedWidth() + cols_.Start(ACol) - cols_.Start(topLeft_.X);
}

long long TCustomGrid::RowTop(int ARow) const {
  const long long origin = GridArea().Top;
  if (ARow < fixedRows_) return origin + rows_.Start(ARow);
  return origin + FixedHeight() + rows_.Start(ARow) - rows_.Start(topLeft_.Y);
}

TRect TCustomGrid::CellRect(int ACol, int ARow) const { return BoxRect(ACol, ARow, ACol, ARow); }

TRect TCustomGrid::BoxRect(int ALeft, int ATop, int ARight, int ABottom) const {
  if (ALeft > ARight) std::swap(ALeft, ARight);
  if (ATop > ABottom) std::swap(ATop, ABottom);
  if (ALeft < 0 || ATop < 0 || ARight >= ColCount() || ABottom >= RowCount()) return {};
  // Rows scrolled off above the view show nothing, and the rows are measured
  // before the columns: a cell written to a long sheet is mostly out of view.
  if (ATop >= fixedRows_ && ABottom < topLeft_.Y) return {};
  // Nor do rows that start below the client area, wherever the scroll bars
  // and border put the area inside it.
  if (ATop >= topLeft_.Y && FixedHeight() + rows_.Start(ATop) - rows_.Start(topLeft_.Y) >= ClientHeight())
    return {};
  const TRect area = GridArea();
  // Parts scrolled under the fixed cells or out of view are cut off.
  auto span = [](long long from, long long to, long long lowLimit, long long highLimit, int& a, int& b) {
    from = std::max(from, lowLimit);
    to = std::min(to, highLimit);
    if (to <= from) return false;
    a = static_cast<int>(from);
    b = static_cast<int>(to);
    return true;
  };
  // Where an index starts in client coordinates (as RowTop and ColLeft),
  // with the area and the fixed extent taken once.
  auto edge = [](const TGridAxis& axis, int fixed, int first, long long origin) {
    const long long fixedExtent = axis.Start(fixed);
    const long long firstStart = axis.Start(first);
    return [&axis, fixed, origin, fixedExtent, firstStart](int index) {
      if (index < fixed) return origin + axis.Start(index);
      return origin + fixedExtent + axis.Start(index) - firstStart;
    };
  };
  TRect r;
  const auto rowTop = edge(rows_, fixedRows_, topLeft_.Y, area.Top);
  const long long topLimit = ATop < fixedRows_ ? area.Top : area.Top + FixedHeight();
  if (!span(rowTop(ATop), rowTop(ABottom) + rows_.Size(ABottom), topLimit, area.Bottom, r.Top, r.Bottom))
    return {};
  const auto colLeft = edge(cols_, fixedCols_, topLeft_.X, area.Left);
  const long long leftLimit = ALeft < fixedCols_ ? area.Left : area.Left + FixedWidth();
  if (!span(colLeft(ALeft), colLeft(ARight) + cols_.Size(ARight), leftLimit, area.Right, r.Left, r.Right))
    return {};
  return r;
}

int TCustomGrid::CellAt(const TGridAxis& axis, int fixed, int first, int origin, int limit, int pos) const {
  if (pos < origin || pos >= limit) return -1;
  const long long rel = pos - origin;
  const long long fixedExtent = axis.Start(fixed);
  int index;
  if (rel < fixedExtent)
    index = axis.IndexAt(rel);
  else
    index = axis.IndexAt(rel - fixedExtent + axis.Start(first));
  return index >= axis.Count() ? -1 : index;
}

void TCustomGrid::MouseToCell(int X, int Y, int& ACol, int& ARow) const {
  const TGridCoord c = MouseCoord(X, Y);
  ACol = c.X;
  ARow = c.Y;
}

TGridCoord TCustomGrid::MouseCoord(int X, int Y) const {
  const TRect area = GridArea();
  TGridCoord c{CellAt(cols_, fixedCols_, topLeft_.X, area.Left, area.Right, X),
               CellAt(rows_, fixedRows_, topLeft_.Y, area.Top, area.Bottom, Y)};
  if (c.X < 0 || c.Y < 0) return {-1, -1};
  return c;
}

int TCustomGrid::VisibleCount(const TGridAxis& axis, int fixed, int first, int room) const {
  const int n = axis.Count();
  if (first >= n) return 0;
  const long long end = axis.Start(first) + std::max(0, room - static_cast<int>(axis.Start(fixed)));
  // Indexes before the one holding End end within the view.
  int last = axis.IndexAt(end);
  if (last < n && axis.Start(last) + axis.Size(last) <= end) ++last;
  return std::clamp(last - first, 1, n - first);
}

int TCustomGrid::VisibleColCount() const {
  return VisibleCount(cols_, fixedCols_, topLeft_.X, GridArea().Width());
}

int TCustomGrid::VisibleRowCount() const {
  return VisibleCount(rows_, fixedRows_, topLeft_.Y, GridArea().Height());
}

TGridCoord TCustomGrid::MaxTopLeft() const {
  const TRect area = GridArea();
  auto maxFirst = [](const TGridAxis& axis, int fixed, int room) {
    const long long need = axis.Total() - std::max(0, room - static_cast<int>(axis.Start(fixed)));
    if (need <= axis.Start(fixed)) return fixed;
    // The first index from which the rest fits.
    int first = axis.IndexAt(need - 1) + 1;
    return std::clamp(first, fixed, std::max(fixed, axis.Count() - 1));
  };
  return {maxFirst(cols_, fixedCols_, area.Width()), maxFirst(rows_, fixedRows_, area.Height())};
}

// ---- position ---------------------------------------------------------------

TGridRect TCustomGrid::Selection() const {
  TGridRect r{std::min(anchor_.X, current_.X), std::min(anchor_.Y, current_.Y),
              std::max(anchor_.X, current_.X), std::max(anchor_.Y, current_.Y)};
  if (options_.Contains(goRowSelect)) {
    r.Left = fixedCols_;
    r.Right = ColCount() - 1;
  }
  return r;
}

void TCustomGrid::SetSelection(const TGridRect& r) {
  if (r.Left < 0 || r.Top < 0 || r.Right >= ColCount() || r.Bottom >= RowCount()) GridIndexError();
  const TGridRect old = Selection();
  anchor_ = r.TopLeft();
  current_ = r.BottomRight();
  SelectionMoved(old);
}

void TCustomGrid::SetCol(int v) {
  if (v != current_.X) FocusCell(v, current_.Y, true);
}

void TCustomGrid::SetRow(int v) {
  if (v != current_.Y) FocusCell(current_.X, v, true);
}

void TCustomGrid::SetTopRow(int v) {
  if (v != topLeft_.Y) MoveTopLeft(topLeft_.X, v);
}

void TCustomGrid::SetLeftCol(int v) {
  if (v != topLeft_.X) MoveTopLeft(v, topLeft_.Y);
}

void TCustomGrid::FocusCell(int ACol, int ARow, bool MoveAnchor) {
  MoveColRow(ACol, ARow, MoveAnchor, true);
  UpdateEdit();
  Click();
}

void TCustomGrid::MoveColRow(int ACol, int ARow, bool MoveAnchor, bool Show) {
  if (ACol < 0 || ARow < 0 || ACol >= ColCount() || ARow >= RowCount()) GridIndexError();
  if (!(TGridCoord{ACol, ARow} == TGridCoord{inplaceCol_, inplaceRow_})) ValidateEditor();
  if (!SelectCell(ACol, ARow)) return;
  const TGridRect old = Selection();
  current_ = {ACol, ARow};
  if (!options_.Contains(goAlwaysShowEditor)) HideEditor();
  if (MoveAnchor || !options_.Contains(goRangeSelect)) anchor_ = current_;
  if (Show) ClampInView(current_);
  SelectionMoved(old);
}

void TCustomGrid::ClampInView(TGridCoord cell) {
  const TRect area = GridArea();
  auto firstFor = [](const TGridAxis& axis, int fixed, int first, int index, int room) {
    if (index < fixed) return first;
    if (index < first) return index;
    const long long view = std::max(0, room - static_cast<int>(axis.Start(fixed)));
    const long long end = axis.Start(index) + axis.Size(index);
    if (end - axis.Start(first) <= view) return first;
    // The first index that lets Index end inside the view.
    const int candidate = axis.IndexAt(end - view - 1) + 1;
    return std::clamp(candidate, fixed, index);
  };
  MoveTopLeft(firstFor(cols_, fixedCols_, topLeft_.X, cell.X, area.Width()),
              firstFor(rows_, fixedRows_, topLeft_.Y, cell.Y, area.Height()));
}

void TCustomGrid::MoveTopLeft(int ALeft, int ATop) {
  const TGridCoord maxTL = MaxTopLeft();
  ALeft = std::clamp(ALeft, fixedCols_, std::max(fixedCols_, maxTL.X));
  ATop = std::clamp(ATop, fixedRows_, std::max(fixedRows_, maxTL.Y));
  if (ALeft == topLeft_.X && ATop == topLeft_.Y) return;
  const TGridCoord old = topLeft_;
  const bool oddMove =
      ((rows_.Start(old.Y) - rows_.Start(ATop) + cols_.Start(old.X) - cols_.Start(ALeft)) & 1) != 0;
  std::vector<TRect> anchored;
  const bool movePixels = !RepaintDeferred() && ScrollAnchoredAreas(anchored, oddMove);
  topLeft_ = {ALeft, ATop};
  UpdateScrollBars();
  if (movePixels)
    ScrollCells(old, anchored, oddMove);
  else
    Invalidate();
  TopLeftChanged();
}

bool TCustomGrid::ScrollAnchoredAreas(std::vector<TRect>& Areas, bool OddMove) {
  // The sizing line and the moving mark stand where the mouse put them.
  if (gridState_ != gsNormal && gridState_ != gsSelecting) return false;
  if (OddMove && GridFocused()) Areas.push_back(CellRect(current_.X, current_.Y));
  return true;
}

void TCustomGrid::ScrollCells(TGridCoord Old, const std::vector<TRect>& Anchored, bool OddMove) {
  const TRect area = GridArea();
  // Too far for an int, or for anything to stay in view.
  auto distance = [](long long d, int room) {
    return static_cast<int>(std::clamp<long long>(d, -room, room));
  };
  const int dy = distance(rows_.Start(Old.Y) - rows_.Start(topLeft_.Y), area.Height());
  const int dx = distance(cols_.Start(Old.X) - cols_.Start(topLeft_.X), area.Width());
  // Rows move with their fixed columns, columns with their fixed rows.
  const TRect rowsPart = Rect(area.Left, area.Top + FixedHeight(), area.Right, area.Bottom);
  const TRect colsPart = Rect(area.Left + FixedWidth(), area.Top, area.Right, area.Bottom);
  if (dy != 0) ui::ScrollArea(this, rowsPart, 0, dy);
  if (dx != 0) ui::ScrollArea(this, colsPart, dx, 0);
  // Where the anchored pixels went (a cell's with both moves, a fixed
  // part's with one), and where they belong now.
  for (const TRect& r : Anchored) {
    InvalidateRect(OffsetRect(r, dx, dy));
    if (dx != 0 && dy != 0) {
      InvalidateRect(OffsetRect(r, dx, 0));
      InvalidateRect(OffsetRect(r, 0, dy));
    }
  }
  std::vector<TRect> now;
  ScrollAnchoredAreas(now, OddMove);
  for (const TRect& r : now) InvalidateRect(r);
}

void TCustomGrid::SelectionMoved(const TGridRect& oldSelection) {
  InvalidateRange(oldSelection);
  InvalidateRange(Selection());
}

void TCustomGrid::InvalidateRange(const TGridRect& r) {
  if (RepaintDeferred()) {
    RangeDeferred(r);
    return;
  }
  TRect box = BoxRect(r.Left, r.Top, r.Right, r.Bottom);
  if (box.IsEmpty()) return;
  box.Right += gridLineWidth_;
  box.Bottom += gridLineWidth_;
  InvalidateRect(box);
}

void TCustomGrid::InvalidateCell(int ACol, int ARow) { InvalidateRange({ACol, ARow, ACol, ARow}); }

void TCustomGrid::InvalidateCol(int ACol) { InvalidateRange({ACol, 0, ACol, RowCount() - 1}); }

void TCustomGrid::InvalidateRow(int ARow) { InvalidateRange({0, ARow, ColCount() - 1, ARow}); }

// ---- scroll bars ---------------------------------------------------------------

void TCustomGrid::UpdateScrollBars() {
  if (scrollBars_.Style() == ssNone) return;
  // Showing one bar takes room from the other direction: settle twice.
  for (int pass = 0; pass < 2; ++pass) {
    const TGridCoord maxTL = MaxTopLeft();
    scrollBars_.Show(SB_HORZ, maxTL.X > fixedCols_);
    scrollBars_.Show(SB_VERT, maxTL.Y > fixedRows_);
  }
  SCROLLINFO info;
  info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
  info.nMin = fixedRows_;
  info.nMax = RowCount() - 1;
  info.nPage = static_cast<UINT>(VisibleRowCount());
  info.nPos = topLeft_.Y;
  scrollBars_.SetInfo(SB_VERT, info, true);
  info.nMin = fixedCols_;
  info.nMax = ColCount() - 1;
  info.nPage = static_cast<UINT>(VisibleColCount());
  info.nPos = topLeft_.X;
  scrollBars_.SetInfo(SB_HORZ, info, true);
  ScrollBarsUpdated();
}

void TCustomGrid::ScrollMessage(int bar, int code) {
  const bool vertical = bar == SB_VERT;
  int first = vertical ? topLeft_.Y : topLeft_.X;
  const int page = std::max(1, vertical ? VisibleRowCount() : VisibleColCount());
  SCROLLINFO info;
  info.fMask = SIF_TRACKPOS;
  scrollBars_.GetInfo(bar, info);
  switch (code) {
    case SB_LINEUP:
      --first;
      break;
    case SB_LINEDOWN:
      ++first;
      break;
    case SB_PAGEUP:
      first -= page;
      break;
    case SB_PAGEDOWN:
      first += page;
      break;
    case SB_THUMBTRACK:
      if (!options_.Contains(goThumbTracking)) return;
      first = info.nTrackPos;
      break;
    case SB_THUMBPOSITION:
      first = info.nTrackPos;
      break;
    case SB_TOP:
      first = 0;
      break;
    case SB_BOTTOM:
      first = vertical ? RowCount() : ColCount();
      break;
    default:
      return;
  }
  if (vertical)
    MoveTopLeft(topLeft_.X, first);
  else
    MoveTopLeft(first, topLeft_.Y);
}

// ---- the virtual defaults ------------------------------------------------------------

void TCustomGrid::DrawCell(int, int, const TRect&, TGridDrawState) {}

bool TCustomGrid::SelectCell(int ACol, int ARow) {
  bool can = true;
  if (OnSelectCell) OnSelectCell(this, ACol, ARow, can);
  return can;
}

void TCustomGrid::TopLeftChanged() {
  if (editorMode_ && inplaceEdit_) UpdateEdit();
  if (OnTopLeftChanged) OnTopLeftChanged(this);
}

void TCustomGrid::SizeChanged(int, int) {}
void TCustomGrid::ColumnMoved(int, int) {}
void TCustomGrid::RowMoved(int, int) {}

void TCustomGrid::ColWidthsChanged() {
  const TGridCoord maxTL = MaxTopLeft();
  if (topLeft_.X > maxTL.X) topLeft_.X = std::max(fixedCols_, maxTL.X);
  UpdateScrollBars();
  UpdateEdit();
  Invalidate();
}

void TCustomGrid::RowHeightsChanged() {
  const TGridCoord maxTL = MaxTopLeft();
  if (topLeft_.Y > maxTL.Y) topLeft_.Y = std::max(fixedRows_, maxTL.Y);
  UpdateScrollBars();
  UpdateEdit();
  Invalidate();
}

void TCustomGrid::BoundsChanged() {
  TCustomControl::BoundsChanged();
  const TGridCoord maxTL = MaxTopLeft();
  topLeft_.X = std::min(topLeft_.X, std::max(fixedCols_, maxTL.X));
  topLeft_.Y = std::min(topLeft_.Y, std::max(fixedRows_, maxTL.Y));
  UpdateScrollBars();
  if (editorMode_ && inplaceEdit_) UpdateEdit();
}

// ---- moving rows and columns ---------------------------------------------------

namespace {
// Where Index lands when the item at From moves to To.
void MoveAdjust(int& index, int from, int to) {
  if (index == from)
    index = to;
  else if (from < to && index > from && index <= to)
    --index;
  else if (from > to && index >= to && index < from)
    ++index;
}
}  // namespace

void TCustomGrid::MoveColumn(int FromIndex, int ToIndex) {
  if (FromIndex == ToIndex) return;
  if (FromIndex < 0 || ToIndex < 0 || FromIndex >= ColCount() || ToIndex >= ColCount()) GridIndexError();
  HideEditor();
  cols_.Move(FromIndex, ToIndex);
  const bool stop = tabStops_[static_cast<size_t>(FromIndex)];
  tabStops_.erase(tabStops_.begin() + FromIndex);
  tabStops_.insert(tabStops_.begin() + ToIndex, stop);
  MoveAdjust(current_.X, FromIndex, ToIndex);
  MoveAdjust(anchor_.X, FromIndex, ToIndex);
  ColumnMoved(FromIndex, ToIndex);
  UpdateScrollBars();
  Invalidate();
}

void TCustomGrid::MoveRow(int FromIndex, int ToIndex) {
  if (FromIndex == ToIndex) return;
  if (FromIndex < 0 || ToIndex < 0 || FromIndex >= RowCount() || ToIndex >= RowCount()) GridIndexError();
  HideEditor();
  rows_.Move(FromIndex, ToIndex);
  MoveAdjust(current_.Y, FromIndex, ToIndex);
  MoveAdjust(anchor_.Y, FromIndex, ToIndex);
  RowMoved(FromIndex, ToIndex);
  UpdateScrollBars();
  Invalidate();
}

void TCustomGrid::ExchangeRowHeights(int ARow1, int ARow2) {
  if (ARow1 < 0 || ARow2 < 0 || ARow1 >= RowCount() || ARow2 >= RowCount()) GridIndexError();
  if (rows_.Size(ARow1) == rows_.Size(ARow2)) return;
  rows_.Exchange(ARow1, ARow2);
  RowHeightsChanged();
}

void TCustomGrid::DeleteColumn(int ACol) {
  // The column goes to the end and the grid loses its last column.
  MoveColumn(ACol, ColCount() - 1);
  SetColCount(ColCount() - 1);
}

void TCustomGrid::DeleteRow(int ARow) {
  MoveRow(ARow, RowCount() - 1);
  SetRowCount(RowCount() - 1);
}

// ---- painting -------------------------------------------------------------------------

void TCustomGrid::Paint() {
  TCanvas& c = Canvas();
  // A paint of a few cells (a move of the current cell, an editor closing)
  // leaves the frame and the bars as they are: only what the clip lets
  // through is drawn.
  const TRect clipBox = c.ClipRect();
  if (clipBox.IsEmpty()) return;
  TRect outer = ClientRect();
  if (borderStyle_ != bsNone) {
    const TRect inner = InflateRect(outer, -2, -2);
    if (IntersectRect(clipBox, inner) == clipBox)
      outer = inner;
    else
      DrawEdge(c, outer, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
  }
  scrollBars_.Paint(c, outer);
  const TRect area = GridArea();
  const TRect clip = IntersectRect(c.ClipRect(), area);
  if (clip.IsEmpty()) return;

  const TGridRect sel = Selection();
  const bool focused = GridFocused();
  const int lw = gridLineWidth_;
  long long rightmost = area.Left, bottommost = area.Top;

  // The visible indexes of one axis: the fixed ones, then the scrollable
  // ones from the first, hidden ones skipped, until the view ends.
  auto visible = [](std::vector<std::pair<int, long long>>& out, const TGridAxis& axis, int fixed, int first,
                    int origin, int limit) {
    out.clear();  // index, start in client coordinates
    const long long fixedExtent = axis.Start(fixed);
    for (int i = axis.IndexAt(0); i < fixed; i = axis.IndexAt(axis.Start(i + 1))) {
      const long long at = origin + axis.Start(i);
      if (at >= limit) return;
      out.emplace_back(i, at);
    }
    const long long base = axis.Start(first);
    for (int i = axis.IndexAt(base); i < axis.Count(); i = axis.IndexAt(axis.Start(i + 1))) {
      const long long at = origin + fixedExtent + axis.Start(i) - base;
      if (at >= limit) break;
      out.emplace_back(i, at);
    }
  };
  // In storage kept from paint to paint: a paint of a few cells made and
  // freed them every time.
  const TKeptStorage<std::vector<std::pair<int, long long>>> keptCols, keptRows;
  auto& colList = *keptCols;
  auto& rowList = *keptRows;
  visible(colList, cols_, fixedCols_, topLeft_.X, area.Left, clip.Right);
  visible(rowList, rows_, fixedRows_, topLeft_.Y, area.Top, clip.Bottom);
  // A paint of scattered pieces (a scroll's strip, the focus cell's old and
  // new place) draws the cells they touch, not all of the box round them.
  const TKeptStorage<TRegion> keptRegion;
  const TRegion* region = nullptr;
  if (c.ClipRegion() && c.ClipRegion()->size() > 1) {
    keptRegion->assign(c.ClipRegion()->begin(), c.ClipRegion()->end());
    region = &*keptRegion;
  }
  auto touched = [&](const TRect& r) {
    if (!region) return true;
    const TRect device = c.LPtoDP(r);
    return std::any_of(region->begin(), region->end(),
                       [&](const TRect& piece) { return !IntersectRect(piece, device).IsEmpty(); });
  };

  for (const auto& [row, top] : rowList) {
    const int height = rows_.Size(row);
    if (top + height + lw <= clip.Top) continue;
    bottommost = std::max(bottommost, top + height + lw);
    for (const auto& [col, left] : colList) {
      const int width = cols_.Size(col);
      rightmost = std::max(rightmost, left + width + lw);
      if (left + width + lw <= clip.Left) continue;
      const TRect where = Rect(static_cast<int>(left), static_cast<int>(top), static_cast<int>(left + width),
                               static_cast<int>(top + height));
      const bool fixed = col < fixedCols_ || row < fixedRows_;
      TGridDrawState state;
      if (fixed) {
        state << gdFixed;
      } else {
        if (col == current_.X && row == current_.Y && focused) state << gdFocused;
        if (col >= sel.Left && col <= sel.Right && row >= sel.Top && row <= sel.Bottom) state << gdSelected;
      }
      // Cells scrolled partly under the fixed area are cut at its edge.
      TRect cellClip = Rect(where.Left, where.Top, where.Right + lw, where.Bottom + lw);
      if (col >= fixedCols_) cellClip.Left = std::max(cellClip.Left, area.Left + FixedWidth());
      if (row >= fixedRows_) cellClip.Top = std::max(cellClip.Top, area.Top + FixedHeight());
      cellClip = IntersectRect(cellClip, area);
      if (!touched(cellClip)) continue;
      const int saved = c.SaveDC();
      c.IntersectClipRect(cellClip);
      c.Font->Assign(Font());
      c.Brush->Style = bsSolid;
      c.Pen->Width = 1;
      if (DefaultDrawing) {
        if (fixed) {
          c.Brush->Color = fixedColor_;
        } else if (state.Contains(gdSelected) &&
                   (!state.Contains(gdFocused) || options_.Contains(goDrawFocusSelected) ||
                    options_.Contains(goRowSelect))) {
          c.Brush->Color = clHighlight;
          c.Font->Color = clHighlightText;
        } else {
          c.Brush->Color = Color();
        }
        c.FillRect(where);
      }
      // Each cell owns the line on its right and the one below it.
      if (lw > 0) {
        const bool vert = options_.Contains(fixed ? goFixedVertLine : goVertLine);
        const bool horz = options_.Contains(fixed ? goFixedHorzLine : goHorzLine);
        const TColor lineColor = fixed ? kFixedLineColor : kCellLineColor;
        const TColor cellBrush = c.Brush->Color;
        c.Brush->Color = vert ? lineColor : Color();
        c.FillRect(Rect(where.Right, where.Top, where.Right + lw, where.Bottom + lw));
        c.Brush->Color = horz ? lineColor : Color();
        c.FillRect(Rect(where.Left, where.Bottom, where.Right + (vert ? 0 : lw), where.Bottom + lw));
        c.Brush->Color = cellBrush;
      }
      try {
        DrawCell(col, row, where, state);
      } catch (...) {
        // A cell that cannot be drawn stays as its background; the rest of
        // the grid still paints.
      }
      if (DefaultDrawing && fixed) {
        TRect edge = where;
        unsigned sides = 0;
        if (options_.Contains(goFixedVertLine)) sides |= BF_LEFT | BF_RIGHT;
        if (options_.Contains(goFixedHorzLine)) sides |= BF_TOP | BF_BOTTOM;
        if (sides) DrawEdge(c, edge, BDR_RAISEDINNER, sides);
      }
      if (DefaultDrawing && state.Contains(gdFocused) && !options_.Contains(goRowSelect) &&
          !(options_.Contains(goEditing) && options_.Contains(goAlwaysShowEditor)))
        c.DrawFocusRect(where);
      c.RestoreDC(saved);
    }
  }
  // What lies beyond the last column and row.
  c.Brush->Style = bsSolid;
  c.Brush->Color = Color();
  if (rightmost < clip.Right)
    c.FillRect(Rect(static_cast<int>(rightmost), clip.Top, clip.Right, clip.Bottom));
  if (bottommost < clip.Bottom)
    c.FillRect(Rect(clip.Left, static_cast<int>(bottommost),
                    std::min<int>(clip.Right, static_cast<int>(rightmost)), clip.Bottom));

  // The line of a sizing or the place a moved row or column will land.
  c.Brush->Color = kMoveMarkColor;
  if (gridState_ == gsColSizing) c.FillRect(Rect(sizingPos_, area.Top, sizingPos_ + 1, area.Bottom));
  if (gridState_ == gsRowSizing) c.FillRect(Rect(area.Left, sizingPos_, area.Right, sizingPos_ + 1));
  if (gridState_ == gsRowMoving && movePos_ != moveIndex_) {
    const long long y = RowTop(movePos_) + (movePos_ > moveIndex_ ? rows_.Size(movePos_) : 0);
    c.FillRect(Rect(area.Left, static_cast<int>(y) - 1, area.Right, static_cast<int>(y) + 1));
  }
  if (gridState_ == gsColMoving && movePos_ != moveIndex_) {
    const long long x = ColLeft(movePos_) + (movePos_ > moveIndex_ ? cols_.Size(movePos_) : 0);
    c.FillRect(Rect(static_cast<int>(x) - 1, area.Top, static_cast<int>(x) + 1, area.Bottom));
  }
}

bool TCustomGrid::GridFocused() const {
  if (Focused()) return true;
  return inplaceEdit_ && inplaceEdit_->Focused();
}
