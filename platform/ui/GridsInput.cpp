// The grid's keyboard and mouse: navigation, range selection, sizing and
// moving of rows and columns, the wheel and the scroll bars.

#include <algorithm>

#include "platform/ui/Forms.h"
#include "platform/ui/Grids.h"

namespace {
// The timer that scrolls while rows, columns or a selection are dragged
// past the edge; the grid control's own dragging arms and kills it by this
// identifier too.
constexpr UINT_PTR kAutoScrollTimer = 1;
constexpr UINT kAutoScrollMs = 60;
}  // namespace

void TCustomGrid::Dispatch(TMessage& m) {
  switch (m.Msg) {
    case WM_GETDLGCODE:
      m.Result = DLGC_WANTARROWS;
      if (options_.Contains(goRowSelect)) return;
      if (options_.Contains(goTabs)) m.Result |= DLGC_WANTTAB;
      if (options_.Contains(goEditing)) m.Result |= DLGC_WANTCHARS;
      return;
    case WM_CHAR: {
      // A typed character opens the editor and goes on to it.
      const char ch = static_cast<char>(m.WParam & 0xFF);
      if (options_.Contains(goEditing) && !options_.Contains(goRowSelect) &&
          (ch == '\b' || static_cast<unsigned char>(ch) >= ' ')) {
        ShowEditorChar(ch);
        return;
      }
      break;
    }
    case WM_VSCROLL:
    case WM_HSCROLL:
      ScrollMessage(m.Msg == WM_VSCROLL ? SB_VERT : SB_HORZ, m.WParamLo());
      return;
    case WM_TIMER:
      if (m.WParam == kAutoScrollTimer) {
        AutoScrollTick();
        return;
      }
      if (scrollBars_.TimerMessage(m, InnerClient())) return;
      break;
    case WM_SETFOCUS:
      InvalidateRange(Selection());
      if (!inplaceEdit_ || !inplaceEdit_->Focused()) UpdateEdit();
      break;
    case WM_KILLFOCUS:
      InvalidateRange(Selection());
      break;
    case CM_MOUSELEAVE:
      scrollBars_.MouseLeft();
      break;
    case WM_CANCELMODE:
    case CM_CANCELMODE:
      StopAutoScroll();
      if (gridState_ != gsNormal) {
        gridState_ = gsNormal;
        Invalidate();
      }
      break;
    case WM_SETCURSOR: {
      // Over a line that can be dragged the cursor shows the way it sizes.
      TPoint p;
      GetCursorPos(&p);
      p = ScreenToClient(p);
      TGridState state = gsNormal;
      int index = 0, pos = 0, ofs = 0;
      if (gridState_ == gsNormal) CalcSizingState(p.X, p.Y, state, index, pos, ofs);
      if (gridState_ == gsColSizing || gridState_ == gsRowSizing) state = gridState_;
      if ((state == gsColSizing || state == gsRowSizing) && Screen) {
        Screen->ShowCursorShape(state == gsColSizing ? crHSplit : crVSplit);
        m.Result = 1;
        return;
      }
      break;
    }
    default:
      if (m.Msg >= WM_MOUSEFIRST && m.Msg < WM_MOUSEWHEEL && scrollBars_.MouseMessage(m, InnerClient()))
        return;
      break;
  }
  TCustomControl::Dispatch(m);
}

TRect TCustomGrid::InnerClient() const {
  const TRect r = ClientRect();
  return borderStyle_ != bsNone ? InflateRect(r, -2, -2) : r;
}

// ---- keyboard ------------------------------------------------------------------------

bool TCustomGrid::CanGridAcceptKey(Word, TShiftState) { return true; }

void TCustomGrid::KeyDown(Word& Key, TShiftState Shift) {
  TCustomControl::KeyDown(Key, Shift);
  if (Key != 0 && !CanGridAcceptKey(Key, Shift)) Key = 0;
  if (Key == 0) return;
  const bool rowSelect = options_.Contains(goRowSelect);
  const int pageWidth = std::max(1, VisibleColCount());
  const int pageHeight = std::max(1, VisibleRowCount());
  TGridCoord cur = current_, tl = topLeft_;
  if (Shift.Contains(ssCtrl)) {
    switch (Key) {
      case VK_UP:
        --tl.Y;
        break;
      case VK_DOWN:
        ++tl.Y;
        break;
      case VK_LEFT:
        if (!rowSelect) {
          cur.X -= pageWidth;
          tl.X -= pageWidth;
        }
        break;
      case VK_RIGHT:
        if (!rowSelect) {
          cur.X += pageWidth;
          tl.X += pageWidth;
        }
        break;
      case VK_PRIOR:
        cur.Y = topLeft_.Y;
        break;
      case VK_NEXT:
        cur.Y = topLeft_.Y + pageHeight - 1;
        break;
      case VK_HOME:
        cur = {fixedCols_, fixedRows_};
        break;
      case VK_END:
        cur = {ColCount() - 1, RowCount() - 1};
        break;
      default:
        return;
    }
  } else {
    switch (Key) {
      case VK_UP:
        --cur.Y;
        break;
      case VK_DOWN:
        ++cur.Y;
        break;
      case VK_LEFT:
        if (rowSelect)
          --tl.X;
        else
          --cur.X;
        break;
      case VK_RIGHT:
        if (rowSelect)
          ++tl.X;
        else
          ++cur.X;
        break;
      case VK_NEXT:
        cur.Y += pageHeight;
        tl.Y += pageHeight;
        break;
      case VK_PRIOR:
        cur.Y -= pageHeight;
        tl.Y -= pageHeight;
        break;
      case VK_HOME:
        if (rowSelect)
          cur.Y = fixedRows_;
        else
          cur.X = fixedCols_;
        break;
      case VK_END:
        if (rowSelect)
          cur.Y = RowCount() - 1;
        else
          cur.X = ColCount() - 1;
        break;
      case VK_TAB:
        if (Shift.Contains(ssAlt) || !options_.Contains(goTabs)) return;
        // To the next (previous) column that takes Tab, row after row,
        // round to the start; Shift+Tab moves without extending.
        do {
          if (Shift.Contains(ssShift)) {
            if (--cur.X < fixedCols_) {
              cur.X = ColCount() - 1;
              if (--cur.Y < fixedRows_) cur.Y = RowCount() - 1;
            }
          } else if (++cur.X >= ColCount()) {
            cur.X = fixedCols_;
            if (++cur.Y >= RowCount()) cur.Y = fixedRows_;
          }
        } while (!TabStops(cur.X) && cur.X != current_.X);
        Shift = {};
        break;
      case VK_F2:
        SetEditorMode(true);
        return;
      default:
        return;
    }
  }
  const TGridCoord maxTL = MaxTopLeft();
  tl.X = std::clamp(tl.X, fixedCols_, std::max(fixedCols_, maxTL.X));
  tl.Y = std::clamp(tl.Y, fixedRows_, std::max(fixedRows_, maxTL.Y));
  if (!(tl == topLeft_)) MoveTopLeft(tl.X, tl.Y);
  cur.X = std::clamp(cur.X, fixedCols_, ColCount() - 1);
  cur.Y = std::clamp(cur.Y, fixedRows_, RowCount() - 1);
  if (!(cur == current_)) FocusCell(cur.X, cur.Y, !Shift.Contains(ssShift));
}

void TCustomGrid::KeyPress(char& Key) {
  TCustomControl::KeyPress(Key);
  if (!options_.Contains(goAlwaysShowEditor) && Key == '\r') {
    if (editorMode_) {
      ValidateEditor();
      HideEditor();
    } else
      ShowEditor();
    Key = 0;
  }
}

void TCustomGrid::KeyUp(Word& Key, TShiftState Shift) { TCustomControl::KeyUp(Key, Shift); }

// ---- mouse ---------------------------------------------------------------------------

void TCustomGrid::CalcSizingState(int X, int Y, TGridState& State, int& Index, int& SizingPos,
                                  int& SizingOfs) {
  State = gsNormal;
  Index = -1;
  if (!options_.Contains(goColSizing) && !options_.Contains(goRowSizing)) return;
  const TRect area = GridArea();
  const int fixedRight = area.Left + FixedWidth();
  const int fixedBottom = area.Top + FixedHeight();
  // A line is caught within a few pixels either side of it.
  const int range = std::max(7, gridLineWidth_);
  const int back = (range - gridLineWidth_) / 2;
  auto scan = [&](const TGridAxis& axis, int first, long long origin, int limit, int pos, TGridState state) {
    for (int i = first; i < axis.Count(); ++i) {
      if (axis.Size(i) == 0) continue;
      const long long line = origin + axis.Start(i) - axis.Start(first) + axis.Size(i);
      if (line > limit) return;
      if (pos >= line - back && pos <= line - back + range) {
        State = state;
        SizingPos = static_cast<int>(line);
        SizingOfs = static_cast<int>(line - pos);
        Index = i;
        return;
      }
    }
  };
  if (X > fixedRight && options_.Contains(goColSizing)) {
    if (Y >= fixedBottom) return;
    scan(cols_, topLeft_.X, fixedRight, area.Right, X, gsColSizing);
  } else if (Y > fixedBottom && options_.Contains(goRowSizing)) {
    if (X >= fixedRight) return;
    scan(rows_, topLeft_.Y, fixedBottom, area.Bottom, Y, gsRowSizing);
  }
}

void TCustomGrid::MoveAnchor(TGridCoord cell) {
  if (!options_.Contains(goRangeSelect)) {
    MoveColRow(cell.X, cell.Y, true, true);
    return;
  }
  const TGridRect old = Selection();
  anchor_ = cell;
  if (options_.Contains(goRowSelect)) anchor_.X = ColCount() - 1;
  ClampInView(cell);
  SelectionMoved(old);
}

void TCustomGrid::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (CanFocus()) {
    SetFocus();
    if (!GridFocused()) {
      SetMouseCapture(false);
      return;
    }
  }
  if (Button == mbLeft && Shift.Contains(ssDouble)) {
    // TControl already called DblClick.
  } else if (Button == mbLeft) {
    CalcSizingState(X, Y, gridState_, sizingIndex_, sizingPos_, sizingOfs_);
    if (gridState_ != gsNormal) {
      Invalidate();
      TCustomControl::MouseDown(Button, Shift, X, Y);
      return;
    }
    const TGridCoord cell = MouseCoord(X, Y);
    if (cell.X >= fixedCols_ && cell.Y >= fixedRows_) {
      if (options_.Contains(goEditing)) {
        if (cell == current_)
          ShowEditor();
        else {
          MoveColRow(cell.X, cell.Y, true, true);
          UpdateEdit();
        }
        Click();
      } else {
        BeginSelecting();
        if (Shift.Contains(ssShift))
          MoveAnchor(cell);
        else
          MoveColRow(cell.X, cell.Y, true, true);
      }
    } else if (options_.Contains(goRowMoving) && cell.X >= 0 && cell.X < fixedCols_ && cell.Y >= fixedRows_) {
      moveIndex_ = movePos_ = cell.Y;
      gridState_ = gsRowMoving;
      SetTimer(Handle(), kAutoScrollTimer, kAutoScrollMs);
      Invalidate();
    } else if (options_.Contains(goColMoving) && cell.Y >= 0 && cell.Y < fixedRows_ && cell.X >= fixedCols_) {
      moveIndex_ = movePos_ = cell.X;
      gridState_ = gsColMoving;
      SetTimer(Handle(), kAutoScrollTimer, kAutoScrollMs);
      Invalidate();
    }
  }
  TCustomControl::MouseDown(Button, Shift, X, Y);
}

void TCustomGrid::BeginSelecting() {
  gridState_ = gsSelecting;
  SetTimer(Handle(), kAutoScrollTimer, kAutoScrollMs);
}

void TCustomGrid::MouseMove(TShiftState Shift, int X, int Y) {
  switch (gridState_) {
    case gsSelecting:
    case gsRowMoving:
    case gsColMoving: {
      // Outside the cells the nearest visible one counts; the timer scrolls.
      const TRect area = GridArea();
      if (area.IsEmpty()) break;
      const TGridCoord cell =
          MouseCoord(std::clamp(X, area.Left, area.Right - 1), std::clamp(Y, area.Top, area.Bottom - 1));
      if (cell.X >= 0 && cell.Y >= 0) DragTo(cell);
      break;
    }
    case gsColSizing:
    case gsRowSizing:
      sizingPos_ = (gridState_ == gsRowSizing ? Y : X) + sizingOfs_;
      Invalidate();
      break;
    default:
      break;
  }
  TCustomControl::MouseMove(Shift, X, Y);
}

void TCustomGrid::DragTo(TGridCoord cell) {
  if (cell.X < fixedCols_ && gridState_ != gsRowMoving) cell.X = std::min(topLeft_.X, ColCount() - 1);
  if (cell.Y < fixedRows_ && gridState_ != gsColMoving) cell.Y = std::min(topLeft_.Y, RowCount() - 1);
  if (gridState_ == gsSelecting) {
    if (cell.X >= fixedCols_ && cell.Y >= fixedRows_ && !(cell == anchor_)) MoveAnchor(cell);
  } else if (gridState_ == gsRowMoving && cell.Y >= fixedRows_ && cell.Y != movePos_) {
    movePos_ = cell.Y;
    ClampInView({topLeft_.X, cell.Y});
    Invalidate();
  } else if (gridState_ == gsColMoving && cell.X >= fixedCols_ && cell.X != movePos_) {
    movePos_ = cell.X;
    ClampInView({cell.X, topLeft_.Y});
    Invalidate();
  }
}

void TCustomGrid::AutoScrollTick() {
  if (gridState_ != gsSelecting && gridState_ != gsRowMoving && gridState_ != gsColMoving) {
    StopAutoScroll();
    return;
  }
  TPoint p;
  GetCursorPos(&p);
  p = ScreenToClient(p);
  const TRect area = GridArea();
  if (area.IsEmpty()) return;
  // The cell one past the visible scrolling part on the side of the mouse.
  const TGridCoord last{topLeft_.X + std::max(1, VisibleColCount()) - 1,
                        topLeft_.Y + std::max(1, VisibleRowCount()) - 1};
  TGridCoord cell =
      MouseCoord(std::clamp(p.X, area.Left, area.Right - 1), std::clamp(p.Y, area.Top, area.Bottom - 1));
  bool past = false;
  if (gridState_ != gsRowMoving) {
    if (p.X < area.Left + FixedWidth() && topLeft_.X > fixedCols_) {
      cell.X = topLeft_.X - 1;
      past = true;
    } else if (p.X >= area.Right && last.X + 1 < ColCount()) {
      cell.X = last.X + 1;
      past = true;
    }
  }
  if (gridState_ != gsColMoving) {
    if (p.Y < area.Top + FixedHeight() && topLeft_.Y > fixedRows_) {
      cell.Y = topLeft_.Y - 1;
      past = true;
    } else if (p.Y >= area.Bottom && last.Y + 1 < RowCount()) {
      cell.Y = last.Y + 1;
      past = true;
    }
  }
  if (!past || cell.X < 0 || cell.Y < 0) return;
  DragTo({std::clamp(cell.X, 0, ColCount() - 1), std::clamp(cell.Y, 0, RowCount() - 1)});
}

void TCustomGrid::StopAutoScroll() {
  if (HandleAllocated()) KillTimer(Handle(), kAutoScrollTimer);
}

void TCustomGrid::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  StopAutoScroll();
  const TGridState state = gridState_;
  gridState_ = gsNormal;
  try {
    switch (state) {
      case gsSelecting:
        gridState_ = gsSelecting;
        MouseMove(Shift, X, Y);
        gridState_ = gsNormal;
        UpdateEdit();
        Click();
        break;
      case gsColSizing:
      case gsRowSizing: {
        Invalidate();
        const long long start = state == gsColSizing ? ColLeft(sizingIndex_) : RowTop(sizingIndex_);
        const int size = static_cast<int>(sizingPos_ - start);
        if (size > 1) {
          if (state == gsColSizing)
            SetColWidths(sizingIndex_, size);
          else
            SetRowHeights(sizingIndex_, size);
        }
        break;
      }
      case gsColMoving:
        Invalidate();
        if (moveIndex_ != movePos_) MoveColumn(moveIndex_, movePos_);
        UpdateEdit();
        break;
      case gsRowMoving:
        Invalidate();
        if (moveIndex_ != movePos_) MoveRow(moveIndex_, movePos_);
        UpdateEdit();
        break;
      default:
        UpdateEdit();
        break;
    }
  } catch (...) {
    gridState_ = gsNormal;
    throw;
  }
  TCustomControl::MouseUp(Button, Shift, X, Y);
}

bool TCustomGrid::DoMouseWheelDown(TShiftState Shift, TPoint MousePos) {
  if (TCustomControl::DoMouseWheelDown(Shift, MousePos)) return true;
  if (current_.Y < RowCount() - 1) SetRow(current_.Y + 1);
  return true;
}

bool TCustomGrid::DoMouseWheelUp(TShiftState Shift, TPoint MousePos) {
  if (TCustomControl::DoMouseWheelUp(Shift, MousePos)) return true;
  if (current_.Y > fixedRows_) SetRow(current_.Y - 1);
  return true;
}
