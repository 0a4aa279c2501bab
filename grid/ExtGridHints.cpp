// The grid under a moving mouse: cell hints (CM_HINTSHOW) that follow the
// cell, the cursor of heading selection and links, dragging over headings,
// sizing the fixed column, the sizing hint in the grid's HTML hint window,
// cell controls placed after scrolling, and the HTML hint window itself.

#include "grid/EsgHTMLE.h"
#include "grid/ExtGrid.h"
#include "grid/ExtGridDragDrop.h"
#include "grid/GridUtil.h"
#include "grid/PictureContainer.h"
#include "platform/rtl/SysUtils.h"
#include "platform/ui/Application.h"
#include "platform/ui/Windows.h"

namespace {

// The hit test of the mini-HTML renderer: the anchor under (X, Y) in R.
AnsiString AnchorAt(TCanvas& Canvas, const AnsiString& Text, const TRect& R, int X, int Y,
                    TCustomImageList* Images, THTMLPictureCache* Cache, TPictureContainer* Container,
                    HWND Wnd) {
  AnsiString anchor, plain, focused, controlID, controlValue, controlType;
  int ex = 0, ey = 0, count = 0, mouseAnchor = 0;
  TRect anchorRect, controlRect;
  HTMLDraw(Canvas, Text, R, Images, X, Y, -1, 0, 1, true, false, false, false, true, false, true, false, 0,
           clBlue, clNotSet, clNotSet, clGray, anchor, plain, focused, ex, ey, count, mouseAnchor, anchorRect,
           controlRect, controlID, controlValue, controlType, Cache, Container, Wnd);
  return anchor;
}

}  // namespace

// ---- hints -----------------------------------------------------------------------------------

void TExtStringGrid::CMHintShow(THintInfo& HintInfo) {
  HintInfo.HintColor = HintColor;
  int c = -1, r = -1;
  MouseToCell(HintInfo.CursorPos.X, HintInfo.CursorPos.Y, c, r);
  if (c < 0 || r < 0) return;
  mouse_.HintCell = {c, r};
  const TPoint base = BaseCell(c, r);
  const TRect cellRect = CellRect(c, r);
  const TPoint span = CellSpan(base.X, base.Y);
  TRect area = CellRect(base.X, base.Y);
  if (area.IsEmpty()) area = cellRect;
  if (span.X > 0 || span.Y > 0) {
    const TRect last =
        CellRect(std::min(ColCount() - 1, base.X + span.X), std::min(RowCount() - 1, base.Y + span.Y));
    if (!last.IsEmpty()) area = Rect(area.Left, area.Top, last.Right, last.Bottom);
  }
  // Each cell its own hint: the platform shows it again for the next cell.
  HintInfo.CursorRect = cellRect;
  const int realC = RealColIndex(c);
  const AnsiString text = GetCellText(realC, r);

  if (AnchorHint && ClassifyCellText(text, EnableHTML) == ctkHTML) {
    TRect textRect = cellRect;
    textRect.Left += XYOffset.X;
    textRect.Top += XYOffset.Y;
    AnsiString anchor = AnchorAt(Canvas(), text, textRect, HintInfo.CursorPos.X, HintInfo.CursorPos.Y,
                                 gridImages_, &PictureCache(), pictureContainer_, Handle());
    if (!anchor.empty()) {
      if (OnAnchorHint) OnAnchorHint(this, c, r, anchor);
      HintInfo.HintStr = anchor;
    }
  }

  TPoint position = Point(area.Left, area.Bottom + 6);
  AnsiString comment;
  if (IsComment(realC, r, comment)) {
    HintInfo.HintStr = comment;
    position = Point(area.Right, area.Top);
  }
  const bool normal = c >= FixedCols() && r >= FixedRows() && c < ColCount() - FixedRightCols() &&
                      r < RowCount() - FixedFooters();
  auto cellTextHint = [&] {
    position.Y = area.Top;
    HintInfo.HintStr = HTMLHint ? text : StripHTML(text);
  };
  if (HintShowCells && normal) cellTextHint();
  if (HintShowLargeText && normal && CellTextExtent(realC, r, false).cx > ColWidths(c)) cellTextHint();
  GetGridHint(r, c, HintInfo.HintStr);
  HintInfo.HintPos = ClientToScreen(position);
}

// ---- the moving mouse ---------------------------------------------------------------------------

void TExtStringGrid::MouseMove(TShiftState Shift, int X, int Y) {
  if (mouse_.RangePress && mouseActions_->RangeSelectAndEdit && mouse_.MouseDown &&
      Options().Contains(goEditing))
    SetOptions(Options() - TGridOptions{goEditing});

  int c = -1, r = -1;
  MouseToCell(X, Y, c, r);

  // Whole rows or columns follow a drag over the headings.
  if (mouse_.MouseDown && mouse_.SelectAnchor >= 0) {
    const int lastCol = ColCount() - fixedRightCols_ - 1, lastRow = RowCount() - fixedFooters_ - 1;
    if (mouse_.DragMode == ckRowSelect && mouseActions_->RowSelect && lastCol >= FixedCols()) {
      int row = -1, col = -1;
      MouseToCell(std::max(X, 0), std::clamp(Y, 0, std::max(0, ClientHeight() - 1)), col, row);
      row = std::min(row, lastRow);
      if (row >= FixedRows())
        SetSelection(
            {FixedCols(), std::min(row, mouse_.SelectAnchor), lastCol, std::max(row, mouse_.SelectAnchor)});
    } else if (mouse_.DragMode == ckColumnSelect && mouseActions_->ColSelect && lastRow >= FixedRows()) {
      int row = -1, col = -1;
      MouseToCell(std::clamp(X, 0, std::max(0, ClientWidth() - 1)), std::max(Y, 0), col, row);
      col = std::min(col, lastCol);
      if (col >= FixedCols())
        SetSelection(
            {std::min(col, mouse_.SelectAnchor), FixedRows(), std::max(col, mouse_.SelectAnchor), lastRow});
    }
  }

  // The fixed column's right edge sizes it.
  if (!mouse_.SizingFixedCol) {
    const bool designing = ComponentState().Contains(csDesigning);
    bool armed = false;
    if (FixedCols() > 0 && !designing && mouseActions_->SizeFixedCol && !mouse_.MouseDown) {
      const int edge = CellRectEx(0, std::max(0, r)).Right;
      armed = std::abs(X - edge) <= 3;
    }
    mouse_.FixedColSizeArmed = armed;
  } else {
    DrawSizingLine(mouse_.FixedColSizeX);
    mouse_.FixedColSizeX = X;
    DrawSizingLine(X);
  }

  // A press that waited for the mouse to move starts a drag.
  if (StartOleDrag(Shift, X, Y)) return;

  // Moving rows and columns may be refused.
  const TGridState state = GridState();
  if ((state == gsColMoving && OnColumnMove) || (state == gsRowMoving && OnRowMove)) {
    bool allow = true;
    if (state == gsColMoving)
      OnColumnMove(this, mouse_.MoveSource, allow);
    else
      OnRowMove(this, mouse_.MoveSource, allow);
    if (!allow) Perform(CM_CANCELMODE, 0, 0);
  }
  if (EnhRowColMove && (GridState() == gsColMoving || GridState() == gsRowMoving)) {
    ShowMoveLabel(GridState(), X, Y);
    if (Screen) Screen->ShowCursorShape(crDrag);
  } else if (dropMarkers_ && !oleDragging_) {
    dropMarkers_->DragIndicator().SetVisible(false);
  }

  // The cursor the next press will find.
  if (!mouse_.MouseDown) {
    TGridCursorKind kind = ckNone;
    const TGridRect s = Selection();
    const TRect corner = BoxRect(s.Left, s.Top, s.Right, s.Bottom);
    if (navigation_->AllowSmartClipboard && SelectionResizer() && SelectionRectangle() && !corner.IsEmpty() &&
        X >= corner.Right - 4 && X < corner.Right && Y >= corner.Bottom - 4 && Y < corner.Bottom) {
      kind = ckSelectionResizer;
    } else if (c >= 0 && r >= 0) {
      // A heading merged over several columns has its edges where the
      // merged area ends, not between the columns under it.
      const TRect cell = MergedCellRect(c, r);
      const bool onColEdge =
          Options().Contains(goColSizing) && r < FixedRows() && (X - cell.Left < 4 || cell.Right - X < 4);
      const bool onRowEdge =
          Options().Contains(goRowSizing) && c < FixedCols() && (Y - cell.Top < 4 || cell.Bottom - Y < 4);
      if (c < FixedCols() && r < FixedRows() && mouseActions_->AllSelect)
        kind = ckSelectAll;
      else if (r < FixedRows() && c >= FixedCols() && mouseActions_->ColSelect && !onColEdge)
        kind = ckColumnSelect;
      else if (c < FixedCols() && r >= FixedRows() && mouseActions_->RowSelect && !onRowEdge)
        kind = ckRowSelect;
    }
    mouse_.CursorKind = kind;
  }

  // Links show the hand.
  AnsiString anchor;
  if (c >= 0 && r >= 0 && c < ColCount() && r < RowCount()) {
    const AnsiString text = GetCellText(RealColIndex(c), r);
    const int kind = ClassifyCellText(text, EnableHTML);
    if (kind == ctkHTML && UpperCase(text).find("<A") != AnsiString::npos) {
      TRect textRect = CellRect(c, r);
      textRect.Left += XYOffset.X;
      textRect.Top += XYOffset.Y;
      anchor =
          AnchorAt(Canvas(), text, textRect, X, Y, gridImages_, &PictureCache(), pictureContainer_, Handle());
    } else if (kind != ctkHTML && URLShow() && IsURL(text)) {
      anchor = text;
    }
  }
  SetHoverAnchor(c, r, anchor);

  // Each cell its own hint.
  if (mouse_.HintCell.X >= 0 && (c != mouse_.HintCell.X || r != mouse_.HintCell.Y)) {
    if (Application) Application->CancelHint();
    mouse_.HintCell = {c, r};
  }

  if (SelectionRectangle() && mouse_.MouseDown) {
    const TGridRect s = Selection();
    if (!(s == mouse_.LastSelection)) {
      const TGridRect& o = mouse_.LastSelection;
      if (o.Left >= 0) InvalidateCellRange(Rect(o.Left, o.Top, o.Right, o.Bottom));
      InvalidateCellRange(Rect(s.Left, s.Top, s.Right, s.Bottom));
      mouse_.LastSelection = s;
    }
  }

  if (RowCount() == 1 || ColCount() == FixedCols()) {
    if (GridState() != gsNormal) Perform(CM_CANCELMODE, 0, 0);
  }
  TBaseGrid::MouseMove(Shift, X, Y);

  const TGridState sizing = GridState();
  if ((ComponentState().Contains(csDesigning) || HintShowSizing) &&
      (sizing == gsColSizing || sizing == gsRowSizing || mouse_.SizingFixedCol))
    ShowSizingHint(X, Y);
}

void TExtStringGrid::SetHoverAnchor(int C, int R, const AnsiString& Anchor) {
  const TGridCoord cell{C, R};
  if (Anchor == mouse_.HoverAnchor && (Anchor.empty() || cell == mouse_.HoverAnchorCell)) return;
  if (!mouse_.HoverAnchor.empty()) {
    const TGridCoord old = mouse_.HoverAnchorCell;
    const AnsiString oldAnchor = mouse_.HoverAnchor;
    mouse_.HoverAnchor.clear();
    if (OnAnchorExit) OnAnchorExit(this, old.Y, old.X, oldAnchor);
  }
  settingCursor_ = true;
  if (!Anchor.empty()) {
    mouse_.HoverAnchor = Anchor;
    mouse_.HoverAnchorCell = cell;
    TBaseGrid::SetCursor(crHandPoint);
    if (OnAnchorEnter) OnAnchorEnter(this, R, C, Anchor);
  } else {
    TBaseGrid::SetCursor(ownCursor_);
  }
  settingCursor_ = false;
}

void TExtStringGrid::ShowSizingHint(int X, int Y) {
  AnsiString text;
  int left = 0, top = 0;
  if (mouse_.SizingFixedCol) {
    text = "cw=<b>" + IntToStr(std::max(0, X)) + "</b>";
    const TRect cell = CellRectEx(0, 0);
    left = cell.Left;
    top = cell.Top;
  } else if (GridState() == gsColSizing) {
    int col = mouse_.SizeCell.X;
    if (col < 0) col = ColCount() - 1;
    const TRect cell = CellRectEx(col, 0);
    text = "cw=<b>" + IntToStr(X - cell.Left + mouse_.DownOffset.X) + "</b>";
    left = cell.Left;
    top = cell.Top;
  } else {
    int row = mouse_.SizeCell.Y;
    if (row < 0) row = RowCount() - 1;
    const TRect cell = CellRectEx(0, row);
    text = "rh=<b>" + IntToStr(Y - cell.Top + mouse_.DownOffset.Y) + "</b>";
    left = cell.Left;
    top = cell.Top;
  }
  if (!hintWindow_) hintWindow_ = new THTMLHintWindow(this);
  TRect r = hintWindow_->CalcHintRect(200, text, nullptr);
  hintWindow_->SetCaption(text);
  hintWindow_->SetColor(HintColor);
  const TPoint at = ClientToScreen(Point(left, top));
  r = OffsetRect(r, at.X, at.Y);
  hintWindow_->ActivateHint(r, text);
  mouse_.SizingHintShown = true;
}

void TExtStringGrid::HideSizingHint() {
  if (!mouse_.SizingHintShown) return;
  mouse_.SizingHintShown = false;
  if (hintWindow_) hintWindow_->ReleaseHandle();
}

// ---- release: sizing past the edge, disjunct cells ---------------------------------------------

void TExtStringGrid::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  const TGridState state = GridState();
  if ((state == gsColSizing && X > Width()) || (state == gsRowSizing && Y > Height())) {
    Perform(CM_CANCELMODE, 0, 0);
    sizingCol_ = sizingRow_ = -1;
    return;
  }
  if (mouseActions_->DisjunctCellSelect() && Button == mbLeft) {
    int c = -1, r = -1;
    MouseToCell(X, Y, c, r);
    if (c >= FixedCols() && r >= FixedRows()) {
      const TGridCoord cell{RealColIndex(c), r};
      if (Shift.Contains(ssCtrl)) {
        auto at = std::find(SelectedCells.begin(), SelectedCells.end(), cell);
        if (at != SelectedCells.end())
          SelectedCells.erase(at);
        else
          SelectedCells.push_back(cell);
      } else {
        for (const TGridCoord& old : SelectedCells) RepaintCellDispl(DisplColIndex(old.X), old.Y);
        SelectedCells.clear();
        SelectedCells.push_back(cell);
      }
      const TGridRect s = Selection();
      if (s.Left != s.Right || s.Top != s.Bottom)
        for (int row = s.Top; row <= s.Bottom; ++row)
          for (int col = s.Left; col <= s.Right; ++col) {
            const TGridCoord each{RealColIndex(col), row};
            if (std::find(SelectedCells.begin(), SelectedCells.end(), each) == SelectedCells.end())
              SelectedCells.push_back(each);
          }
      RepaintCellDispl(c, r);
    }
  }
  if (Button == mbRight && state == gsColMoving) return;
  TBaseGrid::MouseUp(Button, Shift, X, Y);
  if (state == gsColSizing && sizingCol_ >= 0) ColumnSized(sizingCol_);
  if (state == gsRowSizing && sizingRow_ >= 0) RowSized(sizingRow_);
}

// ---- scrolling moves the cell controls ----------------------------------------------------------

TControl* TExtStringGrid::GetCellControl(int ACol, int ARow) {
  const TCellProperties* props = FindCellProperties(ACol, ARow);
  return props ? props->Control : nullptr;
}

TColor TExtStringGrid::GetCellBrushColor(int ACol, int ARow) {
  const TCellProperties* props = FindCellProperties(ACol, ARow);
  return props ? props->BrushColor() : clNotSet;
}

void TExtStringGrid::TopLeftChanged() {
  TBaseGrid::TopLeftChanged();
  if (editorActive_ && editorType_ != edNormal) HideInplaceEditor();
  UpdateFooter();
  PlaceCellControls();
}

void TExtStringGrid::PlaceCellControls() {
  const TGridCoord topLeft{LeftCol(), TopRow()};
  const TGridCoord old = mouse_.ControlsTopLeft;
  if (old == topLeft) return;
  const int cols = VisibleColCount(), rows = VisibleRowCount();
  auto visible = [&](int c, int r) {
    return c >= topLeft.X && c <= topLeft.X + cols && r >= topLeft.Y && r <= topLeft.Y + rows;
  };
  if (old.X >= 0) {
    for (int r = old.Y; r <= old.Y + rows && r < RowCount(); ++r)
      for (int c = old.X; c <= old.X + cols && c < ColCount(); ++c)
        if (!visible(c, r))
          if (TControl* control = GetCellControl(RealColIndex(c), r)) {
            const TRect cell = CellRectEx(c, r);
            control->SetBounds(cell.Left, cell.Top, 0, 0);
          }
  }
  for (int r = topLeft.Y; r <= topLeft.Y + rows && r < RowCount(); ++r)
    for (int c = topLeft.X; c <= topLeft.X + cols && c < ColCount(); ++c)
      if (TControl* control = GetCellControl(RealColIndex(c), r)) control->SetBoundsRect(CellRect(c, r));
  mouse_.ControlsTopLeft = topLeft;
}

void TExtStringGrid::RowMoved(int FromIndex, int ToIndex) {
  TBaseGrid::RowMoved(FromIndex, ToIndex);
  // The row heights move with the row in the plain grid already.
  if (EnhRowColMove) mouse_.MovedOrSized = true;
}

// ---- the HTML hint window -------------------------------------------------------------------------

TSize THTMLHintWindow::Measure(const AnsiString& Text, int Width) {
  TBitmap scratch;
  scratch.SetSize(1, 1);
  TCanvas& canvas = *scratch.Canvas();
  canvas.Font->Assign(Font());
  AnsiString anchor, plain, focused, controlID, controlValue, controlType;
  int ex = 0, ey = 0, count = 0, mouseAnchor = 0;
  TRect anchorRect, controlRect;
  HTMLDraw(canvas, Text, Rect(0, 0, Width, 4096), nullptr, 0, 0, -1, -1, 1, false, true, false, false, true,
           false, true, false, 1.0, 0xFF0000, clNotSet, clNotSet, 0x808080, anchor, plain, focused, ex, ey,
           count, mouseAnchor, anchorRect, controlRect, controlID, controlValue, controlType, nullptr,
           nullptr, nullptr);
  return {ex, ey};
}

TRect THTMLHintWindow::CalcHintRect(int MaxWidth, const AnsiString& AHint, void*) {
  const TSize size = Measure(AHint, MaxWidth);
  return Rect(0, 0, size.cx, size.cy);
}

void THTMLHintWindow::ActivateHint(TRect R, const AnsiString& AHint) {
  SetCaption(AHint);
  const TSize size = Measure(AHint, 1024 - 16);
  textWidth_ = size.cx;
  textHeight_ = size.cy;
  R.Right = R.Left + textWidth_ + 16;
  R.Bottom = R.Top + textHeight_ + 4;
  const int screenW = Screen ? Screen->Width() : 1024, screenH = Screen ? Screen->Height() : 768;
  if (R.Right > screenW) {
    const int width = R.Right - R.Left;
    R.Left = screenW - width - 2;
    R.Right = R.Left + width;
  }
  if (R.Bottom > screenH) {
    R.Bottom = screenH - 2;
    R.Top = R.Bottom - textHeight_ - 4;
  }
  Popup(R);
  Invalidate();
}

void THTMLHintWindow::Dispatch(TMessage& m) {
  if (m.Msg == WM_SETTEXT) {
    // The text changes, the size stays.
    THintWindow::Dispatch(m);
    Invalidate();
    return;
  }
  THintWindow::Dispatch(m);
}

void THTMLHintWindow::DrawFrame() {
  TCanvas& canvas = Canvas();
  const TRect r = ClientRect();
  canvas.Pen->Width = 1;
  canvas.Pen->Color = cl3DLight;
  canvas.Polyline({{r.Left, r.Bottom - 1}, {r.Left, r.Top}, {r.Right - 1, r.Top}});
  canvas.Pen->Color = cl3DDkShadow;
  canvas.Polyline({{r.Left, r.Bottom - 1}, {r.Right - 1, r.Bottom - 1}, {r.Right - 1, r.Top}});
}

void THTMLHintWindow::Paint() {
  TCanvas& canvas = Canvas();
  canvas.Brush->Color = Color();
  canvas.Brush->Style = bsSolid;
  canvas.FillRect(ClientRect());
  DrawFrame();
  TRect r = ClientRect();
  r.Left += 4;
  r.Right -= 4;
  r.Top += (r.Height() - textHeight_) / 2;
  r.Bottom = r.Top + textHeight_ + 8;
  canvas.Font->Assign(Font());
  AnsiString anchor, plain, focused, controlID, controlValue, controlType;
  int ex = 0, ey = 0, count = 0, mouseAnchor = 0;
  TRect anchorRect, controlRect;
  HTMLDraw(canvas, Caption(), r, nullptr, 0, 0, -1, -1, 1, false, false, false, false, true, false, true,
           false, 1.0, 0xFF0000, clNotSet, clNotSet, 0x808080, anchor, plain, focused, ex, ey, count,
           mouseAnchor, anchorRect, controlRect, controlID, controlValue, controlType, nullptr, nullptr,
           nullptr);
}
