// The grid as a drop target and a drag source: the target's hooks, the
// markers and the floating label, the OleDropTarget and OleDropRTF
// settings, and the drag of a press that waited for the mouse to move (a
// column by its heading, or the selection's text, copied or moved).

#include "grid/ExtGridDragDrop.h"

#include <algorithm>
#include <string>

#include "grid/ExtGridEvents.h"
#include "grid/ExtObj.h"
#include "platform/rtl/SysUtils.h"
#include "platform/ui/Application.h"

namespace {

constexpr DWORD kCopyOrMove = DROPEFFECT_COPY | DROPEFFECT_MOVE;
// The mouse must leave a square this far around the press before a drag
// starts.
constexpr int kDragThreshold = 3;

// What a grid drags out of its selection: the text (and rich text) any
// drag carries and, where the grid's clipboard carries its own cells, the
// same cell block, so that a drag leaves the program with every format a
// copy gives.
class TGridDragData : public TSourceDataObject {
 public:
  TGridDragData(const AnsiString& text, const AnsiString& rtf, std::string cells)
      : TSourceDataObject(text, -1, rtf), cells_(std::move(cells)) {}
  HRESULT QueryGetData(const FORMATETC& f) override {
    if (IsCells(f)) return S_OK;
    return TSourceDataObject::QueryGetData(f);
  }
  HRESULT GetData(const FORMATETC& f, STGMEDIUM& medium) override {
    if (!IsCells(f)) return TSourceDataObject::GetData(f, medium);
    medium.tymed = TYMED_HGLOBAL;
    medium.Block.assign(cells_.begin(), cells_.end());
    return S_OK;
  }
  HRESULT EnumFormatEtc(DWORD direction, IEnumFORMATETC** out) override {
    if (cells_.empty()) return TSourceDataObject::EnumFormatEtc(direction, out);
    if (!out) return E_INVALIDARG;
    *out = nullptr;
    if (direction != DATADIR_GET) return E_NOTIMPL;
    *out = ui::NewFormatList({CF_TEXT, CF_UNICODETEXT, RichTextFormatId(), GridCellsClipboardFormat()});
    return S_OK;
  }

 private:
  bool IsCells(const FORMATETC& f) const {
    return !cells_.empty() && f.cfFormat == GridCellsClipboardFormat() && (f.tymed & TYMED_HGLOBAL) &&
           f.dwAspect == DVASPECT_CONTENT;
  }
  std::string cells_;
};

TSize ArrowSize(int direction) {
  int w = 0, h = 0;
  for (const TPoint& p : TArrowWindow::ArrowPolygon(direction)) {
    w = std::max(w, p.X);
    h = std::max(h, p.Y);
  }
  return {w, h};
}

// Whether a text paste may write the grid's cells.
bool GridTakesPaste(TExtStringGrid& g) {
  return g.Options().Contains(goEditing) || g.Navigation().AllowClipboardAlways ||
         g.MouseActions().RangeSelectAndEdit;
}

// The first line of a cell's shown text.
AnsiString FirstLine(const AnsiString& s) { return s.substr(0, std::min(s.find('\r'), s.find('\n'))); }

}  // namespace

// ---- markers and the floating label -------------------------------------------------------

TDropArrow::TDropArrow(TComponent* AOwner, int Direction) : TPopupWindow(AOwner), direction_(Direction) {
  SetColor(clLime);
  // Never takes input: a drag sees the grid through it.
  SetEnabled(false);
  const TSize size = ArrowSize(direction_);
  SetBounds(0, 0, size.cx, size.cy);
  const TRegion shape = CreatePolygonRgn(TArrowWindow::ArrowPolygon(direction_), WINDING);
  SetWindowRgn(&shape, false);
}

void TDropArrow::ShowAt(TPoint Screen) {
  if (Visible() && Left() == Screen.X && Top() == Screen.Y) return;
  SetBounds(Screen.X, Screen.Y, Width(), Height());
  SetVisible(true);
}

void TDropArrow::Paint() {
  Canvas().Brush->Color = clLime;
  Canvas().Brush->Style = bsSolid;
  Canvas().FillRect(ClientRect());
}

TFloatingLabel::TFloatingLabel(TComponent* AOwner) : TPopupWindow(AOwner) {
  SetColor(clBtnFace);
  SetEnabled(false);
}

void TFloatingLabel::SetCaption(const AnsiString& v) {
  if (v == caption_) return;
  caption_ = v;
  Invalidate();
}

void TFloatingLabel::Paint() {
  TCanvas& canvas = Canvas();
  canvas.Brush->Color = Color();
  canvas.Brush->Style = bsSolid;
  canvas.FillRect(ClientRect());
  canvas.Font->Assign(Font());
  DrawPopupButtonFace(canvas, ClientRect(), caption_, false);
}

TDropMarkers::TDropMarkers(TExtStringGrid* grid)
    : row_(new TDropArrow(grid, 2)),
      col1_(new TDropArrow(grid, 1)),
      col2_(new TDropArrow(grid, 0)),
      indicator_(new TFloatingLabel(grid)) {
  indicator_->SetFont(grid->FixedFont());
}

void TDropMarkers::HideAll() {
  row_->SetVisible(false);
  col1_->SetVisible(false);
  col2_->SetVisible(false);
  indicator_->SetVisible(false);
}

TDropMarkers& TExtStringGrid::DropMarkers() {
  if (!dropMarkers_) dropMarkers_ = std::make_unique<TDropMarkers>(this);
  return *dropMarkers_;
}

// ---- settings -------------------------------------------------------------------------------

void TDragDropSettings::SetOleDropTarget(bool v) {
  if (v == oleDropTarget_) return;
  oleDropTarget_ = v;
  // A form being designed takes no drops: the value is only kept.
  if (!grid_->ComponentState().Contains(csDesigning)) grid_->RegisterDropTarget(v);
}

void TDragDropSettings::SetOleDropRTF(bool v) {
  oleDropRTF_ = v;
  SetDropRTF(v);
}

void TExtStringGrid::RegisterDropTarget(bool On) {
  if (On) {
    if (!dropTarget_) {
      dropTarget_ = new TGridDropTarget(this);
      dropTarget_->AddRef();
    }
    if (HandleAllocated()) RegisterDragDrop(Handle(), dropTarget_);
  } else if (HandleAllocated()) {
    RevokeDragDrop(Handle());
  }
}

void TExtStringGrid::DestroyWnd() {
  if (dropTarget_ && HandleAllocated()) RevokeDragDrop(Handle());
  if (flatScrollBars_) DoneFlatScrollBars();
  TBaseGrid::DestroyWnd();
}

// ---- the drop target --------------------------------------------------------------------------

TGridCoord TGridDropTarget::CellAt(TPoint Pt) const {
  int c = -1, r = -1;
  grid_->MouseToCellScreen(Pt, c, r);
  if (c < 0 || r < 0) return {-1, -1};
  return {c, r};
}

HRESULT TGridDropTarget::DragEnter(IDataObject* data, DWORD keyState, TPoint pt, DWORD& effect) {
  if (!grid_) {
    effect = DROPEFFECT_NONE;
    return S_OK;
  }
  const TDragDropSettings& dd = grid_->DragDropSettings();
  AcceptText = dd.OleAcceptText;
  AcceptFiles = dd.OleAcceptFiles;
  AcceptCols = dd.OleColumnDragDrop;
  return TESGDropTarget::DragEnter(data, keyState, pt, effect);
}

HRESULT TGridDropTarget::DragOver(DWORD keyState, TPoint pt, DWORD& effect) {
  if (!grid_) {
    effect = DROPEFFECT_NONE;
    return S_OK;
  }
  return TESGDropTarget::DragOver(keyState, pt, effect);
}

HRESULT TGridDropTarget::Drop(IDataObject* data, DWORD keyState, TPoint pt, DWORD& effect) {
  taken_ = false;
  if (!grid_) {
    effect = DROPEFFECT_NONE;
    return S_OK;
  }
  TExtStringGrid* grid = grid_;
  try {
    TESGDropTarget::Drop(data, keyState, pt, effect);
  } catch (...) {
    grid->DropMarkers().HideAll();
    if (Application) Application->HandleException(grid);
  }
  if (!taken_) effect = DROPEFFECT_NONE;
  return S_OK;
}

HRESULT TGridDropTarget::DragLeave() {
  TESGDropTarget::DragLeave();
  if (grid_) {
    TDropMarkers& m = grid_->DropMarkers();
    m.RowMarker().SetVisible(false);
    m.ColMarker1().SetVisible(false);
    m.ColMarker2().SetVisible(false);
  }
  return S_OK;
}

void TGridDropTarget::DropText(TPoint Pt, const AnsiString& Text) {
  TExtStringGrid& g = *grid_;
  const TDragDropSettings& dd = g.DragDropSettings();
  const TGridCoord cell = CellAt(Pt);
  int col = cell.X, row = cell.Y;
  bool allow = true;
  const TPoint dims = TextDimensions(Text);
  const bool rowSelect = g.Options().Contains(goRowSelect);
  if (rowSelect) col = dd.OleEntireRows ? 0 : g.FixedCols();
  if (g.OnOleDrop) g.OnOleDrop(&g, row, col, Text, allow);
  TGridRect filled{-1, -1, -1, -1};
  if (allow && row >= 0 && col >= 0) {
    if (row == 0 && g.FixedRowAlways && g.RowCount() == 1) row = 1;
    if (dd.OleInsertRows && dims.Y > 0) {
      int top = g.TopRow();
      if (top > g.FixedRows()) ++top;
      g.InsertRows(row, dims.Y);
      // The rows still to be moved out are where the insertion put them.
      if (g.oleDragging_) g.DraggedRowsInserted(row, dims.Y);
      if (top > 0 && top < g.RowCount()) g.SetTopRow(top);
    }
    const int pasted = g.PasteText(col, row, Text);
    col = std::max(col, g.FixedCols());
    filled.Left = col;
    filled.Top = row;
    filled.Bottom = row + std::max(dims.Y, 1) - 1;
    filled.Right = rowSelect ? col + dims.X - g.FixedCols() : col + std::max(dims.X, 1) - 1;
    filled.Right = std::clamp(filled.Right, col, std::max(col, g.ColCount() - 1));
    filled.Bottom = std::clamp(filled.Bottom, row, std::max(row, g.RowCount() - 1));
    g.SetSelection(filled);
    if (g.oleDragging_) g.oleDropped_ = filled;
    // Text that wrote no cell was not taken: its source keeps it.
    taken_ = pasted > 0 || Text.empty();
  }
  TDropMarkers& m = g.DropMarkers();
  m.RowMarker().SetVisible(false);
  m.ColMarker1().SetVisible(false);
  m.DragIndicator().SetVisible(false);
  // Only a drop that was taken fills a rectangle to report.
  if (taken_ && g.OnOleDropped) g.OnOleDropped(&g, filled);
}

void TGridDropTarget::DropCol(TPoint Pt, std::int32_t DropCol) {
  TExtStringGrid& g = *grid_;
  const TGridCoord cell = CellAt(Pt);
  TDropMarkers& m = g.DropMarkers();
  m.ColMarker1().SetVisible(false);
  m.ColMarker2().SetVisible(false);
  m.DragIndicator().SetVisible(false);
  taken_ = true;
  if (g.OnOleDropCol) g.OnOleDropCol(&g, cell.Y, cell.X, DropCol);
}

void TGridDropTarget::DropRTF(TPoint Pt, const AnsiString& RTF) {
  TExtStringGrid& g = *grid_;
  const TGridCoord cell = CellAt(Pt);
  bool allow = true;
  if (g.OnOleDrop) g.OnOleDrop(&g, cell.Y, cell.X, RTF, allow);
  if (allow && cell.X >= 0 && cell.Y >= 0) {
    g.SetCellText(g.RealColIndex(cell.X), cell.Y, RTF);
    taken_ = true;
  }
  g.DropMarkers().RowMarker().SetVisible(false);
  g.DropMarkers().ColMarker1().SetVisible(false);
}

void TGridDropTarget::DropFiles(TPoint, const std::vector<AnsiString>& Files) {
  TExtStringGrid& g = *grid_;
  TDropMarkers& m = g.DropMarkers();
  if (Files.size() == 1) {
    const AnsiString& name = Files.front();
    const AnsiString upper = UpperCase(name);
    bool allow = true;
    if (upper.find(".CSV") != AnsiString::npos) {
      if (g.OnOleDrop) g.OnOleDrop(&g, -1, -1, name, allow);
      if (allow) {
        g.LoadFromCSVFile(name);
        taken_ = true;
      }
    }
    if (upper.find(".XLS") != AnsiString::npos) {
      if (g.OnOleDrop) g.OnOleDrop(&g, -1, -1, name, allow);
      if (allow) {
        g.LoadFromSpreadsheetFile(name);
        taken_ = true;
      }
    }
  }
  m.RowMarker().SetVisible(false);
  m.ColMarker1().SetVisible(false);
}

void TGridDropTarget::DragMouseMove(TPoint Pt, bool& Accept, std::uint8_t Formats) {
  TESGDropTarget::DragMouseMove(Pt, Accept, Formats);
  TExtStringGrid& g = *grid_;
  const TGridCoord cell = CellAt(Pt);
  int col = cell.X, row = cell.Y;
  Accept = Accept && col >= 0 && row >= 0;
  const bool columnDrag = (Formats & kDragColumn) != 0;
  if (!columnDrag && Accept) {
    // Near the top and bottom edges the grid scrolls a row at a time.
    if (row == 0 && g.TopRow() > g.FixedRows())
      g.SetTopRow(g.TopRow() - 1);
    else if (row == g.TopRow() + g.VisibleRowCount() && g.TopRow() + 1 < g.RowCount())
      g.SetTopRow(g.TopRow() + 1);
  }
  if (columnDrag) {
    Accept = Accept && row < g.FixedRows() && col >= g.FixedCols();
  } else if (!GridTakesPaste(g)) {
    // A grid that takes no paste takes no dropped text either.
    Accept = Accept && (Formats & (kDragText | kDragRTF)) == 0;
  } else if (row < g.FixedRows()) {
    Accept = Accept && g.RowCount() == 1 && g.FixedRowAlways;
  } else if (col < g.FixedCols() && !g.Options().Contains(goRowSelect)) {
    // Text never lands in the row headings.
    Accept = false;
  }
  if (g.OnOleDragOver) g.OnOleDragOver(&g, row, col, Accept);
  TDropMarkers& m = g.DropMarkers();
  if (!Accept) {
    m.RowMarker().SetVisible(false);
    m.ColMarker1().SetVisible(false);
    m.ColMarker2().SetVisible(false);
    return;
  }
  if (columnDrag) {
    const TRect r = g.CellRect(col, row);
    const TPoint top = g.ClientToScreen(Point(r.Left, r.Top));
    const TPoint bottom = g.ClientToScreen(Point(r.Left, r.Bottom));
    m.ColMarker1().ShowAt(Point(top.X, top.Y - 8));
    m.ColMarker2().ShowAt(bottom);
    return;
  }
  if (row == 0 && g.FixedRowAlways) row = 1;
  const int markCol = g.DragDropSettings().OleEntireRows ? g.FixedCols() : col;
  const TRect r = g.CellRect(std::min(markCol, g.ColCount() - 1), std::min(row, g.RowCount() - 1));
  const TPoint at = g.ClientToScreen(Point(r.Left, r.Top));
  m.RowMarker().ShowAt(Point(at.X - 10, at.Y));
}

// ---- the drop source --------------------------------------------------------------------------

void TGridDropSource::DropEffect(DWORD Effect) {
  if (Effect == DROPEFFECT_COPY || Effect == DROPEFFECT_MOVE) lastEffect_ = Effect;
}

void TGridDropSource::DragFeedback() {
  if (!grid_) return;
  TFloatingLabel& label = grid_->DropMarkers().DragIndicator();
  TPoint cursor;
  GetCursorPos(&cursor);
  label.SetBounds(cursor.X, cursor.Y - label.Height(), label.Width(), label.Height());
}

// ---- a drag out of the grid -------------------------------------------------------------------

void TExtStringGrid::DraggedRowsInserted(int ARow, int Rows) {
  std::vector<std::pair<int, int>> moved;
  for (const auto& [first, last] : oleDragRows_) {
    if (ARow <= first) {
      moved.emplace_back(first + Rows, last + Rows);
    } else if (ARow <= last) {
      // Inserted inside the dragged rows: they are in two pieces now.
      moved.emplace_back(first, ARow - 1);
      moved.emplace_back(ARow + Rows, last + Rows);
    } else {
      moved.emplace_back(first, last);
    }
  }
  oleDragRows_ = std::move(moved);
  if (!oleDragRows_.empty()) {
    OleDragRect.Top = oleDragRows_.front().first;
    OleDragRect.Bottom = oleDragRows_.back().second;
  }
}

void TExtStringGrid::FinishMove() {
  const TGridRect dropped = oleDropped_;
  auto written = [&](int c, int r) {
    return dropped.Top >= 0 && r >= dropped.Top && r <= dropped.Bottom && c >= dropped.Left &&
           c <= dropped.Right;
  };
  if (dragDropSettings_->OleRemoveRows && Options().Contains(goRowSelect)) {
    if (mouseActions_->DisjunctRowSelect()) {
      RemoveSelectedRows();
      return;
    }
    // The rows dragged, less those a drop into this grid wrote over,
    // removed from the bottom up so that the others stay in place.
    std::vector<int> rows;
    for (const auto& [first, last] : oleDragRows_)
      for (int r = first; r <= last && r < RowCount(); ++r)
        if (!(dropped.Top >= 0 && r >= dropped.Top && r <= dropped.Bottom)) rows.push_back(r);
    std::sort(rows.rbegin(), rows.rend());
    for (size_t i = 0; i < rows.size();) {
      size_t j = i + 1;
      while (j < rows.size() && rows[j] == rows[j - 1] - 1) ++j;
      DeleteRows(rows[j - 1], static_cast<int>(j - i));
      i = j;
    }
    // The rows a drop here put in stay selected where they now are.
    if (dropped.Top >= 0) {
      const int above =
          static_cast<int>(std::count_if(rows.begin(), rows.end(), [&](int r) { return r < dropped.Top; }));
      TGridRect moved = dropped;
      moved.Top -= above;
      moved.Bottom = std::min(moved.Bottom - above, RowCount() - 1);
      if (moved.Top >= FixedRows() && moved.Top <= moved.Bottom) SetSelection(moved);
    }
    return;
  }
  if (dragDropSettings_->OleCopyAlways) return;
  const int left = OleDragRect.Left, right = std::min(OleDragRect.Right, ColCount() - 1);
  for (const auto& [first, last] : oleDragRows_) {
    const int bottom = std::min(last, RowCount() - 1);
    if (first > bottom) continue;
    const bool overlaps = dropped.Top >= 0 && dropped.Top <= bottom && dropped.Bottom >= first &&
                          dropped.Left <= right && dropped.Right >= left;
    if (!overlaps) {
      ClearRect(left, first, right, bottom);
      continue;
    }
    // What the drop wrote over its own cells stays.
    for (int r = first; r <= bottom; ++r)
      for (int c = left; c <= right; ++c)
        if (!written(c, r)) ClearRect(c, r, c, r);
  }
}

bool TExtStringGrid::StartOleDrag(TShiftState Shift, int X, int Y) {
  if (!mouse_.DragPending || !mouse_.MouseDown || !dragDropSettings_->OleDropSource) return false;
  if (GridState() == gsColSizing || mouse_.SizingFixedCol) return false;
  if (std::abs(X - mouse_.DownPoint.X) <= kDragThreshold &&
      std::abs(Y - mouse_.DownPoint.Y) <= kDragThreshold)
    return false;
  mouse_.DragPending = false;
  int c = -1, r = -1;
  MouseToCell(X, Y, c, r);
  int downC = -1, downR = -1;
  MouseToCell(mouse_.DownPoint.X, mouse_.DownPoint.Y, downC, downR);
  bool allow = true;
  if (OnOleDrag)
    OnOleDrag(this, r, c, c >= 0 && r >= 0 ? GetCellText(RealColIndex(c), r) : AnsiString(), allow);
  if (!allow) {
    // A refused drag is a plain range selection from the press.
    if (downC >= 0 && downR >= 0) {
      TMessage press{WM_LBUTTONDOWN, MK_LBUTTON,
                     static_cast<LPARAM>(MAKELPARAM(mouse_.DownPoint.X, mouse_.DownPoint.Y)), 0};
      const TPoint base = BaseCell(downC, downR);
      PressCell(press, base.X, base.Y, Shift);
    }
    return false;
  }

  const TComPtr<TGridDropSource> source(new TGridDropSource(this));
  if (OnOleDragStart) OnOleDragStart(this, r, c);
  TFloatingLabel& label = DropMarkers().DragIndicator();
  const bool columnDrag =
      downR >= 0 && downR < FixedRows() && downC >= FixedCols() && dragDropSettings_->OleColumnDragDrop;
  HRESULT result = DRAGDROP_S_CANCEL;
  DWORD effect = DROPEFFECT_NONE;
  oleDragging_ = true;
  oleDropped_ = {-1, -1, -1, -1};
  auto finished = [&] {
    oleDragging_ = false;
    oleDragRows_.clear();
    OleDragRect = {-1, -1, -1, -1};
    label.SetVisible(false);
    mouse_.MouseDown = false;
    SetMouseCapture(false);
  };
  try {
    if (columnDrag) {
      // The heading of the column goes with the mouse.
      label.SetCaption(FirstLine(CellPlainText(RealColIndex(downC), 0, GetCellText(RealColIndex(downC), 0))));
      label.SetBounds(label.Left(), label.Top(), ColWidths(downC), RowHeights(0));
      source->DragFeedback();
      label.SetVisible(true);
      result = StartColumnDrag(source.Get(), downC, kCopyOrMove, effect);
    } else {
      const TGridRect s = Selection();
      OleDragRect = s;
      oleDragRows_ = {{s.Top, s.Bottom}};
      AnsiString text;
      GetSelectionAsText(text);
      // A single rich-text cell also goes as rich text.
      const AnsiString first = GetCellText(RealColIndex(s.Left), s.Top);
      const AnsiString rtf =
          s.Left == s.Right && s.Top == s.Bottom && first.rfind("{\\", 0) == 0 ? first : "";
      label.SetCaption(FirstLine(CellPlainText(RealColIndex(s.Left), s.Top, first)));
      label.SetBounds(label.Left(), label.Top(), ColWidths(s.Left), RowHeights(s.Top));
      source->DragFeedback();
      label.SetVisible(true);
      std::string cells;
      if (navigation_->AllowFmtClipboard) {
        TMemoryStream block;
        SaveCellBlock(s, block);
        cells.assign(static_cast<const char*>(block.Memory()), static_cast<size_t>(block.Size()));
      }
      result =
          StartDataDrag(source.Get(), new TGridDragData(text, rtf, std::move(cells)), kCopyOrMove, effect);
      // A move as the user last saw it, and as the target took it: a drop
      // the target did not take, or took as a copy, keeps the cells.
      if (result == DRAGDROP_S_DROP && effect == DROPEFFECT_MOVE && source->LastEffect() == DROPEFFECT_MOVE)
        FinishMove();
    }
  } catch (...) {
    finished();
    throw;
  }
  finished();
  if (result != DRAGDROP_S_CANCEL && OnOleDragStop) OnOleDragStop(this, static_cast<int>(effect));
  return true;
}

// ---- the floating label of a moved row or column ---------------------------------------------
// (The plain grid scrolls a row or column at a time past its edges.)

void TExtStringGrid::ShowMoveLabel(TGridState State, int X, int Y) {
  TFloatingLabel& label = DropMarkers().DragIndicator();
  const int source = mouse_.MoveSource;
  int width = 0, height = 0;
  AnsiString caption;
  if (State == gsColMoving) {
    if (source < 0 || source >= ColCount()) return;
    caption = GetCellText(RealColIndex(source), 0);
    width = ColWidths(source);
    height = RowHeights(0);
  } else {
    if (source < 0 || source >= RowCount()) return;
    caption = GetCellText(RealColIndex(0), source);
    width = ColWidths(0);
    height = RowHeights(source);
  }
  label.SetCaption(FirstLine(CellPlainText(0, 0, caption)));
  const TPoint at = ClientToScreen(Point(X, Y));
  label.SetBounds(at.X, at.Y - height, width, height);
  label.SetVisible(true);
}
