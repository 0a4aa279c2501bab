#include "grid/BaseGrid.h"

#include <algorithm>
#include <cstddef>

#include "platform/ui/Windows.h"

// ---- TCellProperties -------------------------------------------------------

namespace {
// The properties that exist, in any grid: while there are none, no cell
// holds any, and a paint looked for each cell's a dozen times.
std::size_t liveCellProperties = 0;
}  // namespace

TCellProperties::TCellProperties(TBaseGrid* grid, int col, int row)
    : OwnerCol(col), OwnerRow(row), grid_(grid) {
  ++liveCellProperties;
  if (grid) grid->madeCellProperties_ = true;
}

TCellProperties::~TCellProperties() {
  --liveCellProperties;
  if (graphic_ && !graphic_->SharedByCells()) delete graphic_;
}

void TCellProperties::Assign(const TCellProperties& source) {
  IsBaseCell = source.IsBaseCell;
  CellSpanX = source.CellSpanX;
  CellSpanY = source.CellSpanY;
  OwnerRow = source.OwnerRow;
  OwnerCol = source.OwnerCol;
  Alignment = source.Alignment;
  BorderColor = source.BorderColor;
  BorderWidth = source.BorderWidth;
  brushColor_ = source.brushColor_;
  BrushStyle = source.BrushStyle;
  FontColor = source.FontColor;
  FontStyle = source.FontStyle;
  FontName = source.FontName;
  FontSize = source.FontSize;
  ReadOnly = source.ReadOnly;
  Editor = source.Editor;
  vAlignment_ = source.vAlignment_;
  SetWordWrap(source.wordWrap_);
  NodeLevel = source.NodeLevel;
  Control = source.Control;
}

void TCellProperties::SetBrushColor(TColor v) {
  brushColor_ = v;
  if (grid_) grid_->RepaintCell(OwnerCol, OwnerRow);
}

void TCellProperties::SetVAlignment(TVAlignment v) {
  vAlignment_ = v;
  if (grid_) grid_->RepaintCell(OwnerCol, OwnerRow);
}

void TCellProperties::SetWordWrap(bool v) {
  wordWrap_ = v;
  if (grid_) grid_->RepaintCell(OwnerCol, OwnerRow);
}

// ---- TBaseGrid: construction ---------------------------------------------------

TBaseGrid::TBaseGrid(TComponent* AOwner) : TStringGrid(AOwner) {
  TCustomGrid::DefaultDrawing = false;
  TCustomGrid::SetGridLineWidth(0);
  SetOptions(Options() + TGridOptions{goDrawFocusSelected});
}

TBaseGrid::~TBaseGrid() {
  // Every properties object the store holds goes, also those of cells kept
  // past the counts.
  for (int r = 0; r < StoreRowCount(); ++r)
    for (int c = 0; c < StoreColCount(r); ++c) delete GetCellObjectDirect(c, r);
}

void TBaseGrid::SetDefaultDrawing(bool v) {
  defaultDrawing_ = v;
  TCustomGrid::DefaultDrawing = false;
}

void TBaseGrid::SetGridLineWidth(int v) {
  gridLineWidth_ = std::max(0, v);
  TCustomGrid::SetGridLineWidth(0);
  Invalidate();
}

void TBaseGrid::SetGridLineColor(TColor v) {
  gridLineColor_ = v;
  Invalidate();
}

// ---- cell text -------------------------------------------------------------------

AnsiString TBaseGrid::GetCellText(int ACol, int ARow) {
  const TPoint base = BaseCell(ACol, ARow);
  AnsiString value = GetCellDirect(base.X, base.Y);
  if (base.Y < displTextRowLimit_) GetDisplText(base.X, base.Y, value);
  return value;
}

void TBaseGrid::SetCellText(int ACol, int ARow, const AnsiString& Value) {
  if (HasCellProperties(ACol, ARow)) {
    const TPoint base = BaseCell(ACol, ARow);
    SetCellDirect(base.X, base.Y, Value);
    if (Parent()) RepaintCell(ACol, ARow);
  } else {
    SetCellDirect(ACol, ARow, Value);
  }
  if (footerRowFlag_ && ARow == RowCount() - 1) UpdateFooter();
}

void TBaseGrid::GetDisplText(int ACol, int ARow, AnsiString& Value) {
  if (OnGetDisplText) OnGetDisplText(this, ACol, ARow, Value);
}

// ---- properties ------------------------------------------------------------------

TCellProperties* TBaseGrid::FindCellProperties(int ACol, int ARow) const {
  if (liveCellProperties == 0) return nullptr;
  return dynamic_cast<TCellProperties*>(GetCellObjectDirect(ACol, ARow));
}

TCellProperties* TBaseGrid::GetCellProperties(int ACol, int ARow) {
  if (TCellProperties* props = FindCellProperties(ACol, ARow)) return props;
  auto* props = new TCellProperties(this, ACol, ARow);
  try {
    ReplaceCellObject(ACol, ARow, props);
  } catch (...) {
    delete props;
    throw;
  }
  return props;
}

void TBaseGrid::ReplaceCellObject(int ACol, int ARow, TObject* Obj) {
  TObject* old = GetCellObjectDirect(ACol, ARow);
  SetCellObjectDirect(ACol, ARow, Obj);
  if (old != Obj) delete old;
}

bool TBaseGrid::CheckBaseCell(int ACol, int ARow, int& BaseCol, int& BaseRow) const {
  BaseCol = ACol;
  BaseRow = ARow;
  const TCellProperties* props = FindCellProperties(ACol, ARow);
  if (!props) return true;
  if (!props->IsBaseCell && props->CellSpanX != -1 && props->CellSpanY != -1) {
    BaseCol = ACol - props->CellSpanX;
    BaseRow = ARow - props->CellSpanY;
  }
  return props->IsBaseCell;
}

TPoint TBaseGrid::BaseCell(int ACol, int ARow) const {
  TPoint p;
  CheckBaseCell(ACol, ARow, p.X, p.Y);
  return p;
}

bool TBaseGrid::IsBaseCell(int ACol, int ARow) const {
  const TCellProperties* props = FindCellProperties(ACol, ARow);
  return !props || props->IsBaseCell;
}

bool TBaseGrid::IsMergedCell(int ACol, int ARow) const {
  const TCellProperties* props = FindCellProperties(ACol, ARow);
  return props && (props->CellSpanX > 0 || props->CellSpanY >= 1);
}

bool TBaseGrid::IsXMergedCell(int ACol, int ARow) const {
  if (!HasCellProperties(ACol, ARow)) return false;
  const TPoint base = BaseCell(ACol, ARow);
  const TCellProperties* props = FindCellProperties(base.X, base.Y);
  return props && props->CellSpanX > 0;
}

bool TBaseGrid::IsYMergedCell(int ACol, int ARow) const {
  if (!HasCellProperties(ACol, ARow)) return false;
  const TPoint base = BaseCell(ACol, ARow);
  const TCellProperties* props = FindCellProperties(base.X, base.Y);
  return props && props->CellSpanY > 0;
}

TPoint TBaseGrid::CellSpan(int ACol, int ARow) const {
  const TCellProperties* own = FindCellProperties(ACol, ARow);
  if (!own || own->CellSpanX == -1 || own->CellSpanY == -1) return {0, 0};
  const TPoint base = BaseCell(ACol, ARow);
  const TCellProperties* props = FindCellProperties(base.X, base.Y);
  if (!props || props->CellSpanX < 0 || props->CellSpanY < 0) return {0, 0};
  return {props->CellSpanX, props->CellSpanY};
}

void TBaseGrid::MergeCells(int ACol, int ARow, int SpanX, int SpanY) {
  for (int c = ACol; c < ACol + SpanX; ++c)
    for (int r = ARow; r < ARow + SpanY; ++r) {
      TCellProperties* props = GetCellProperties(c, r);
      const bool base = c == ACol && r == ARow;
      props->IsBaseCell = base;
      props->CellSpanX = base ? SpanX - 1 : c - ACol;
      props->CellSpanY = base ? SpanY - 1 : r - ARow;
    }
  RepaintArea(ACol, ARow, SpanX - 1, SpanY - 1);
}

void TBaseGrid::SplitCells(int ACol, int ARow) {
  const TPoint base = BaseCell(ACol, ARow);
  const TCellProperties* baseProps = FindCellProperties(base.X, base.Y);
  if (!baseProps) return;
  const int spanX = std::max(0, baseProps->CellSpanX), spanY = std::max(0, baseProps->CellSpanY);
  for (int c = base.X; c <= base.X + spanX; ++c)
    for (int r = base.Y; r <= base.Y + spanY; ++r)
      if (TCellProperties* props = FindCellProperties(c, r)) {
        props->IsBaseCell = true;
        props->CellSpanX = -1;
        props->CellSpanY = -1;
      }
  RepaintArea(base.X, base.Y, spanX, spanY);
}

void TBaseGrid::RepaintArea(int BaseCol, int BaseRow, int SpanX, int SpanY) {
  if (!HandleAllocated()) return;
  const TRect a = CellRectEx(BaseCol, BaseRow), b = CellRectEx(BaseCol + SpanX, BaseRow + SpanY);
  InvalidateRect(Rect(a.Left, a.Top, std::max(a.Right, b.Right), std::max(a.Bottom, b.Bottom)));
}

TRect TBaseGrid::CellRectEx(int ACol, int ARow) const {
  const TRect area = GridArea();
  const TGridAxis& cols = ColAxis();
  const TGridAxis& rows = RowAxis();
  auto start = [](const TGridAxis& axis, int index) {
    return axis.Start(std::clamp(index, 0, axis.Count()));
  };
  long long left = area.Left + start(cols, ACol);
  if (ACol >= FixedCols()) left += start(cols, FixedCols()) - start(cols, LeftCol());
  long long top = area.Top + start(rows, ARow);
  if (ARow >= FixedRows()) top += start(rows, FixedRows()) - start(rows, TopRow());
  const int width = ACol >= 0 && ACol < ColCount() ? ColWidths(ACol) : 0;
  const int height = ARow >= 0 && ARow < RowCount() ? RowHeights(ARow) : 0;
  auto clip = [](long long v) { return static_cast<int>(std::clamp<long long>(v, -(1LL << 30), 1LL << 30)); };
  return Rect(clip(left), clip(top), clip(left + width), clip(top + height));
}

TRect TBaseGrid::MergedCellRect(int ACol, int ARow) const {
  const TCellProperties* own = FindCellProperties(ACol, ARow);
  if (!own) return CellRectEx(ACol, ARow);
  const TPoint base = BaseCell(ACol, ARow);
  const TCellProperties* props = FindCellProperties(base.X, base.Y);
  const int spanX = props ? std::max(0, props->CellSpanX) : 0;
  const int spanY = props ? std::max(0, props->CellSpanY) : 0;
  const TRect a = CellRectEx(base.X, base.Y), b = CellRectEx(base.X + spanX, base.Y + spanY);
  return Rect(std::min(a.Left, b.Left), std::min(a.Top, b.Top), std::max(a.Right, b.Right),
              std::max(a.Bottom, b.Bottom));
}

TPoint TBaseGrid::MergedCellSize(int ACol, int ARow) const {
  const TRect r = MergedCellRect(ACol, ARow);
  return {r.Width(), r.Height()};
}

void TBaseGrid::RepaintCell(int ACol, int ARow) {
  if (HandleAllocated()) InvalidateRect(MergedCellRect(ACol, ARow));
}

void TBaseGrid::SelectBaseCell() {
  if (!HasCellProperties(Col(), Row())) return;
  const TPoint base = BaseCell(Col(), Row());
  if (base.X != Col()) SetCol(base.X);
  if (base.Y != Row()) SetRow(base.Y);
}

int TBaseGrid::FixedColsWidth() const {
  int w = 0;
  for (int c = 0; c < FixedCols(); ++c) w += ColWidths(c);
  return w;
}

int TBaseGrid::FixedRowsHeight() const {
  int h = 0;
  for (int r = 0; r < FixedRows(); ++r) h += RowHeights(r);
  return h;
}

bool TBaseGrid::RowsInSameMerge(int ARow1, int ARow2) const {
  bool anyShared = false;
  for (int c = 0; c < ColCount(); ++c) {
    if (!IsYMergedCell(c, ARow1) || !IsYMergedCell(c, ARow2)) continue;
    if (BaseCell(c, ARow1).Y != BaseCell(c, ARow2).Y) return false;
    anyShared = true;
  }
  return anyShared;
}

TCellGraphicObject* TBaseGrid::GetGraphicObject(int ACol, int ARow) const {
  const TCellProperties* props = FindCellProperties(ACol, ARow);
  return props ? props->graphic_ : nullptr;
}

void TBaseGrid::SetGraphicObject(int ACol, int ARow, TCellGraphicObject* Obj) {
  // A cell with a graphic but no text must still be stored; the text is
  // written back unchanged.
  const bool wasEmpty = GetCellDirect(ACol, ARow).empty();
  if (wasEmpty) SetCellText(ACol, ARow, " ");
  GetCellProperties(ACol, ARow)->graphic_ = Obj;
  if (wasEmpty) SetCellText(ACol, ARow, "");
}

// ---- clearing -------------------------------------------------------------------

void TBaseGrid::ClearCell(int ACol, int ARow) {
  SetCellText(ACol, ARow, "");
  DetachCell(ACol, ARow);
}

void TBaseGrid::DetachCell(int ACol, int ARow) {
  // Cells never written stay unstored, so that clearing a large grid costs
  // no memory.
  if (GetCellObjectDirect(ACol, ARow)) SetCellObjectDirect(ACol, ARow, nullptr);
  if (!GetCellDirect(ACol, ARow).empty()) SetCellDirect(ACol, ARow, "");
}

void TBaseGrid::ClearColumn(int ACol) {
  for (int r = 0; r < RowCount(); ++r) DetachCell(ACol, r);
}

void TBaseGrid::ClearRow(int ARow) {
  for (int c = 0; c < ColCount(); ++c) DetachCell(c, ARow);
}

void TBaseGrid::ClearPropsRect(int Col1, int Row1, int Row2, int Col2) {
  for (int r = std::max(0, Row1); r <= Row2 && r < StoreRowCount(); ++r)
    for (int c = std::max(0, Col1); c <= Col2 && c < StoreColCount(r); ++c)
      if (TObject* obj = GetCellObjectDirect(c, r)) {
        SetCellObjectDirect(c, r, nullptr);
        delete obj;
      }
}

void TBaseGrid::ClearAllProps() { ClearPropsRect(0, 0, RowCount() - 1, ColCount() - 1); }

// ---- the cell store's limit --------------------------------------------------------

TGridCoord TBaseGrid::CellStoreLimit() const { return {ColCount() + 1, RowCount() + 1}; }

void TBaseGrid::FreeOutsideLimit() {
  // The slots cannot be written there; the store drops them right after.
  // Rows within the limit hold cells past it only when the columns shrank.
  const TGridCoord limit = CellStoreLimit();
  const int first = StoreColBound() > limit.X ? 0 : std::max(0, limit.Y);
  for (int r = first; r < StoreRowCount(); ++r)
    for (int c = r >= limit.Y ? 0 : limit.X; c < StoreColCount(r); ++c) delete GetCellObjectDirect(c, r);
}

void TBaseGrid::SizeChanged(int OldColCount, int OldRowCount) {
  // The store drops what lies past its limit; the properties there are ours.
  FreeOutsideLimit();
  TStringGrid::SizeChanged(OldColCount, OldRowCount);
}

void TBaseGrid::MirrorCanvas(bool Mirrored) {
  TCanvas& canvas = Canvas();
  const int width = ClientWidth(), height = ClientHeight();
  canvas.SetMapMode(MM_ANISOTROPIC);
  canvas.SetWindowOrgEx(Mirrored ? width : 0, 0);
  canvas.SetViewportExtEx(width, height);
  canvas.SetWindowExtEx(Mirrored ? -width : width, height);
}

// ---- virtual slots -----------------------------------------------------------------

bool TBaseGrid::CellIsFixed(int, int) { return false; }
int TBaseGrid::GetCellIndent(int) { return 0; }
bool TBaseGrid::HasNodes() { return false; }
void TBaseGrid::UpdateFooter() {}
void TBaseGrid::GetCellColors(int, int, TGridDrawState, bool, bool, bool, TBrush&, TFont&) {}

void TBaseGrid::DrawCellContent(TCanvas& ACanvas, int ACol, int ARow, const TRect& ARect, TGridDrawState) {
  TRect r = ARect;
  ACanvas.Brush->Style = bsClear;
  ACanvas.DrawText(GetCellText(ACol, ARow), r, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  ACanvas.Brush->Style = bsSolid;
}

// ---- painting ------------------------------------------------------------------------

void TBaseGrid::Paint() {
  // Into the storage of the last paint's region.
  if (const TRegion* region = Canvas().ClipRegion()) {
    if (!paintRegion_) paintRegion_.emplace();
    paintRegion_->assign(region->begin(), region->end());
  } else {
    paintRegion_.reset();
  }
  TStringGrid::Paint();
  ++paintCount_;
}

void TBaseGrid::DrawCell(int ACol, int ARow, const TRect& ARect, TGridDrawState AState) {
  TCanvas& canvas = Canvas();
  // The footer draws the last row itself.
  if (footerRowFlag_ && ARow == RowCount() - 1) {
    canvas.Brush->Color = Color();
    canvas.Brush->Style = bsSolid;
    canvas.Pen->Color = Color();
    canvas.FillRect(ARect);
    return;
  }
  // A cell without properties is merged with no other: most are, and
  // each look for them costs a search of the store.
  TCellProperties* own = FindCellProperties(ACol, ARow);
  int baseCol = ACol, baseRow = ARow;
  if (own && !CheckBaseCell(ACol, ARow, baseCol, baseRow)) {
    // A merged area is drawn once per paint, whole, through its base cell.
    TCellProperties* baseProps = FindCellProperties(baseCol, baseRow);
    if (baseProps && baseProps->PaintStamp != paintCount_) {
      baseProps->PaintStamp = paintCount_;
      DrawCell(baseCol, baseRow, CellRectEx(baseCol, baseRow), AState);
    }
    return;
  }
  // Drawn whole now: covered cells later in this paint need not draw it again.
  if (own && (own->CellSpanX > 0 || own->CellSpanY > 0)) own->PaintStamp = paintCount_;
  const bool fixedByGrid = CellIsFixed(ACol, ARow);
  const bool fixed = fixedByGrid || AState.Contains(gdFixed);
  if (fixedByGrid) AState = (AState - TGridDrawState{gdSelected}) + TGridDrawState{gdFixed};
  // The paint gives a cell merged with none the rectangle CellRectEx gives
  // it, but where that cuts its edges at the bounds of an int's reach.
  constexpr int kReach = 1 << 30;
  const bool inReach =
      ARect.Left > -kReach && ARect.Top > -kReach && ARect.Right < kReach && ARect.Bottom < kReach;
  TRect r = !own && inReach ? ARect : MergedCellRect(ACol, ARow);

  // The grid's paint sets the canvas back after each cell it draws, unless
  // it draws the default look on top afterwards.
  const int saved = TCustomGrid::DefaultDrawing ? canvas.SaveDC() : 0;
  if (r != ARect) {
    // A merged area reaches beyond the cell the plain grid clipped to; it
    // must still not paint over the fixed cells when scrolled under them,
    // nor over the cells around it (as no cell does: what a paint shows
    // must not hang on the order the cells are drawn in), nor beyond what
    // this paint repaints.
    canvas.SelectClipRgn(paintRegion_ ? &*paintRegion_ : nullptr);
    TRect clip = GridArea();
    if (ACol >= FixedCols()) clip.Left = std::max(clip.Left, clip.Left + FixedColsWidth());
    if (ARow >= FixedRows()) clip.Top = std::max(clip.Top, clip.Top + FixedRowsHeight());
    canvas.IntersectClipRect(IntersectRect(clip, r));
  }

  canvas.Pen->Width = 1;
  canvas.Font->Assign(Font());
  canvas.Brush->Style = bsSolid;
  canvas.Brush->Color = fixed ? FixedColor() : Color();
  GetCellColors(ACol, ARow, AState, false, true, true, *canvas.Brush, *canvas.Font);
  canvas.Pen->Color = canvas.Brush->Color;
  canvas.FillRect(r);

  int half = 0;
  if (fixed) {
    canvas.Pen->Color = 0x808080;
    canvas.Pen->Width = 1;
    half = 1;
  } else if (gridLineWidth_ > 0) {
    canvas.Pen->Color = gridLineColor_;
    canvas.Pen->Width = gridLineWidth_;
    half = (gridLineWidth_ + 1) / 2;
  }
  if (ACol == 0 && ARow >= FixedRows()) r.Left += GetCellIndent(ARow);
  const TGridOptions options = Options();
  const bool lineWidth = fixed || gridLineWidth_ > 0;
  auto line = [&](int x1, int y1, int x2, int y2) {
    // A pen of width w draws a band of w pixels centred on the line.
    const int w = canvas.Pen->Width;
    const TColor saveBrush = canvas.Brush->Color;
    canvas.Brush->Color = canvas.Pen->Color;
    if (y1 == y2)
      canvas.FillRect(Rect(std::min(x1, x2), y1 - w / 2, std::max(x1, x2), y1 - w / 2 + w));
    else
      canvas.FillRect(Rect(x1 - w / 2, std::min(y1, y2), x1 - w / 2 + w, std::max(y1, y2)));
    canvas.Brush->Color = saveBrush;
  };
  if (lineWidth && !(baseCol == 0 && HasNodes())) {
    if ((options.Contains(goHorzLine) && !fixed) || (options.Contains(goFixedHorzLine) && fixed))
      line(r.Left - half + 1, r.Bottom - half, r.Right - half + 1, r.Bottom - half);
  }
  if (lineWidth && ((options.Contains(goVertLine) && !fixed) || (options.Contains(goFixedVertLine) && fixed)))
    line(r.Right - half, r.Bottom - half, r.Right - half, r.Top - half);
  const int shrink = fixed ? 1 : gridLineWidth_;
  r = Rect(r.Left + shrink, r.Top + shrink, r.Right - shrink, r.Bottom - shrink);
  try {
    DrawCellContent(canvas, ACol, ARow, r, AState);
  } catch (...) {
    if (saved) canvas.RestoreDC(saved);
    throw;
  }
  if (saved) canvas.RestoreDC(saved);
}

// ---- moving about --------------------------------------------------------------------

bool TBaseGrid::SelectCell(int ACol, int ARow) {
  RepaintCell(Col(), Row());
  const bool result = TStringGrid::SelectCell(ACol, ARow);
  RepaintCell(ACol, ARow);
  return result;
}

void TBaseGrid::KeyDown(Word& Key, TShiftState Shift) {
  if (Key == VK_NEXT) {
    if (VisibleRowCount() + TopRow() - FixedRows() == RowCount() - 1 && footerRowFlag_ && RowCount() >= 2)
      SetRow(RowCount() - 2);
  } else if (const TCellProperties* props = FindCellProperties(Col(), Row())) {
    const TPoint base = BaseCell(Col(), Row());
    const TCellProperties* baseProps = FindCellProperties(base.X, base.Y);
    const int spanX = baseProps ? std::max(0, baseProps->CellSpanX) : 0;
    const int spanY = baseProps ? std::max(0, baseProps->CellSpanY) : 0;
    switch (Key) {
      case VK_RIGHT:
        // The step that follows leaves the area.
        if (base.X + spanX >= Col() && Col() < ColCount() - 1 && base.X < ColCount() - 1)
          SetCol(base.X + spanX);
        break;
      case VK_DOWN:
        if (base.Y + spanY >= Row() && Row() < RowCount() - 1 && base.Y < RowCount() - 1)
          SetRow(base.Y + spanY);
        break;
      case VK_LEFT:
        // From inside an area the step lands left of the base cell.
        if (!props->IsBaseCell && base.X < Col() && Col() > FixedCols() && base.X >= 1) SetCol(base.X);
        break;
      case VK_UP:
        if (!props->IsBaseCell && base.Y < Row() && Row() > FixedRows() && base.Y >= 1) SetRow(base.Y);
        break;
      default:
        break;
    }
  }
  TStringGrid::KeyDown(Key, Shift);
  SelectBaseCell();
}

bool TBaseGrid::DoMouseWheelDown(TShiftState Shift, TPoint MousePos) {
  const bool result = TStringGrid::DoMouseWheelDown(Shift, MousePos);
  if (VisibleRowCount() - FixedRows() <= Row() - TopRow() && Row() < RowCount() - 1 && footerRowFlag_)
    SetTopRow(TopRow() + 1);
  SelectBaseCell();
  return result;
}

bool TBaseGrid::DoMouseWheelUp(TShiftState Shift, TPoint MousePos) {
  const bool result = TStringGrid::DoMouseWheelUp(Shift, MousePos);
  SelectBaseCell();
  return result;
}

void TBaseGrid::TopLeftChanged() {
  TStringGrid::TopLeftChanged();
  // A merged fixed cell spanning scrolled cells is redrawn whole.
  if (FixedCols() > 0)
    for (int c = 0; c < FixedCols(); ++c)
      for (int r = TopRow(); r <= TopRow() + VisibleRowCount() && r < RowCount(); ++r)
        if (IsMergedCell(c, r)) RepaintCell(c, r);
  if (FixedRows() > 0)
    for (int r = 0; r < FixedRows(); ++r)
      for (int c = LeftCol(); c <= LeftCol() + VisibleColCount() && c < ColCount(); ++c)
        if (IsMergedCell(c, r)) RepaintCell(c, r);
}

AnsiString TBaseGrid::GetEditText(int ACol, int ARow) { return TStringGrid::GetEditText(ACol, ARow); }

void TBaseGrid::SetEditText(int ACol, int ARow, const AnsiString& Value) {
  TStringGrid::SetEditText(ACol, ARow, Value);
}
