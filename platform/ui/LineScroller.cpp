#include "platform/ui/LineScroller.h"

#include <algorithm>

#include "platform/gfx/FrameControls.h"
#include "platform/ui/ControlPaint.h"
#include "platform/ui/Controls.h"
#include "platform/ui/Input.h"

TLineScroller::TLineScroller(TWinControl* owner, std::function<int()> lineCount,
                             std::function<int()> lineHeight, std::function<TRect()> outer)
    : owner_(owner),
      lineCount_(std::move(lineCount)),
      lineHeight_(std::move(lineHeight)),
      outer_(std::move(outer)),
      bars_(owner) {
  bars_.SetStyle(ssVertical);
  bars_.Show(SB_VERT, false);
}

TRect TLineScroller::Area() const { return bars_.ContentRect(outer_()); }

int TLineScroller::VisibleCount() const { return std::max(1, Area().Height() / std::max(1, lineHeight_())); }

void TLineScroller::Update() {
  const int count = lineCount_(), visible = VisibleCount();
  top_ = std::clamp(top_, 0, std::max(0, count - visible));
  SCROLLINFO info;
  info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
  info.nMax = std::max(0, count - 1);
  info.nPage = static_cast<UINT>(visible);
  info.nPos = top_;
  bars_.SetInfo(SB_VERT, info, true);
  if (bars_.Showing(SB_VERT) != (count > visible)) {
    bars_.Show(SB_VERT, count > visible);
    owner_->Invalidate();
  }
}

void TLineScroller::SetTop(int top) {
  const int old = top_;
  top_ = top;
  Update();
  if (top_ != old) owner_->Invalidate();
}

void TLineScroller::ScrollIntoView(int index) {
  if (index < 0) return;
  if (index < top_)
    SetTop(index);
  else if (index >= top_ + VisibleCount())
    SetTop(index - VisibleCount() + 1);
}

int TLineScroller::RowAt(int y) const {
  const TRect area = Area();
  const int h = std::max(1, lineHeight_());
  // Rounded down, also above the area.
  const int rows = y >= area.Top ? (y - area.Top) / h : -((area.Top - y + h - 1) / h);
  return top_ + rows;
}

TRect TLineScroller::LineRect(int index) const {
  const TRect area = Area();
  const int h = lineHeight_();
  const int top = area.Top + (index - top_) * h;
  return Rect(area.Left, top, area.Right, top + h);
}

void TLineScroller::Scroll(int code, int pos) {
  const int page = std::max(1, VisibleCount() - 1);
  switch (code) {
    case SB_LINEUP:
      SetTop(top_ - 1);
      break;
    case SB_LINEDOWN:
      SetTop(top_ + 1);
      break;
    case SB_PAGEUP:
      SetTop(top_ - page);
      break;
    case SB_PAGEDOWN:
      SetTop(top_ + page);
      break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION:
      SetTop(pos);
      break;
    case SB_TOP:
      SetTop(0);
      break;
    case SB_BOTTOM:
      SetTop(lineCount_());
      break;
    default:
      break;
  }
}

bool TLineScroller::Message(TMessage& m) {
  // The bar takes the mouse over it, and all of it while it tracks.
  if (m.Msg >= WM_MOUSEFIRST && m.Msg < WM_MOUSEWHEEL) return bars_.MouseMessage(m, outer_());
  if (m.Msg == WM_TIMER) return bars_.TimerMessage(m, outer_());
  if (m.Msg != WM_VSCROLL) return false;
  Scroll(m.WParamLo(), static_cast<SmallInt>(m.WParamHi()));
  return true;
}

void TLineScroller::Wheel(int notches) {
  SetTop(top_ + notches * static_cast<int>(ui::input::WheelScrollLines()));
}

void TLineScroller::PaintBar(TCanvas& canvas) { bars_.Paint(canvas, outer_()); }

bool TLineScroller::ListMessage(TMessage& m) {
  if (Message(m)) return true;
  switch (m.Msg) {
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      owner_->Invalidate();
      break;
    case WM_SIZE:
    case CM_FONTCHANGED:
      Update();
      break;
    default:
      break;
  }
  return false;
}

void TLineScroller::PaintList(TCanvas& canvas, bool borderless, TColor color,
                              const std::function<void()>& lines) {
  TRect client = owner_->ClientRect();
  if (!borderless) DrawEdge(canvas, client, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
  ui::paint::Fill(canvas, client, color);
  canvas.SaveDC();
  canvas.IntersectClipRect(Area());
  lines();
  canvas.RestoreDC(-1);
  PaintBar(canvas);
}

int FindByFirstChar(const TStrings& items, int from, char ch) {
  const int count = items.Count();
  const AnsiString wanted = AnsiUpperCase(AnsiString(1, ch));
  for (int step = 1; step <= count; ++step) {
    const int i = (std::max(from, -1) + step + count) % count;
    const AnsiString line = items.Get(i);
    if (!line.empty() && AnsiUpperCase(line.substr(0, 1)) == wanted) return i;
  }
  return -1;
}
