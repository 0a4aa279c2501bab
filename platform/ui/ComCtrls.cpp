#include "platform/ui/ComCtrls.h"

#include <algorithm>

#include "platform/rtl/SysUtils.h"
#include "platform/ui/ControlPaint.h"

namespace paint = ui::paint;

namespace {
constexpr UINT_PTR kRepeatTimer = 1;
}

// ---- TUpDown ----------------------------------------------------------------------------

TUpDown::TUpDown(TComponent* AOwner) : TCustomControl(AOwner) {
  SetBounds(0, 0, 16, 24);
  ControlStyle >> csClickEvents >> csDoubleClicks;
}

TUpDown::~TUpDown() {
  Destroying();
  if (associate_) associate_->RemoveFreeNotification(this);
}

void TUpDown::SetMin(int v) {
  min_ = v;
  if (max_ < min_) max_ = min_;
  SetPosition(position_);
}

void TUpDown::SetMax(int v) {
  max_ = v;
  if (min_ > max_) min_ = max_;
  SetPosition(position_);
}

void TUpDown::SetPosition(int v) {
  position_ = std::clamp(v, min_, max_);
  if (associate_) associate_->SetText(IntToStr(position_));
}

void TUpDown::SetOrientation(TUDOrientation o) {
  orientation_ = o;
  Invalidate();
}

void TUpDown::SetAssociate(TWinControl* c) {
  if (associate_) associate_->RemoveFreeNotification(this);
  associate_ = c;
  if (c) {
    c->FreeNotification(this);
    c->SetText(IntToStr(position_));
  }
}

void TUpDown::Notification(TComponent* AComponent, TOperation Operation) {
  TCustomControl::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == associate_) associate_ = nullptr;
}

void TUpDown::Step(TUDBtnType button) { Click(button); }

void TUpDown::Click(TUDBtnType button) {
  bool allow = true;
  if (OnChanging) OnChanging(this, allow);
  if (!allow) return;
  // As the system's control does, the step starts from the number its
  // associate shows, which may have been typed or set since.
  int shown = 0;
  if (associate_ && TryStrToInt(Trim(associate_->Text()), shown)) position_ = std::clamp(shown, min_, max_);
  int next = position_ + (button == btNext ? Increment : -Increment);
  if (next > max_) next = Wrap ? min_ : max_;
  if (next < min_) next = Wrap ? max_ : min_;
  SetPosition(next);
  if (OnClick) OnClick(this, button);
}

TRect TUpDown::ButtonRect(TUDBtnType button) const {
  const TRect r = ClientRect();
  if (orientation_ == udVertical) {
    const int mid = r.Height() / 2;
    return button == btNext ? Rect(0, 0, r.Width(), mid) : Rect(0, mid, r.Width(), r.Height());
  }
  const int mid = r.Width() / 2;
  return button == btNext ? Rect(mid, 0, r.Width(), r.Height()) : Rect(0, 0, mid, r.Height());
}

TUDBtnType TUpDown::ButtonAt(TPoint p) const { return PtInRect(ButtonRect(btNext), p) ? btNext : btPrev; }

void TUpDown::MouseDown(TMouseButton button, TShiftState shift, int X, int Y) {
  TCustomControl::MouseDown(button, shift, X, Y);
  if (button != mbLeft || !Enabled()) return;
  pressed_ = ButtonAt(Point(X, Y));
  Invalidate();
  Click(static_cast<TUDBtnType>(pressed_));
  // The press may have closed the window (a handler freed it): only a
  // live handle gets the timer.
  if (pressed_ >= 0 && HandleAllocated()) {
    repeating_ = false;
    SetTimer(Handle(), kRepeatTimer, kFirstRepeatMs);
  }
}

void TUpDown::MouseUp(TMouseButton button, TShiftState shift, int X, int Y) {
  TCustomControl::MouseUp(button, shift, X, Y);
  if (button == mbLeft) StopRepeat();
}

void TUpDown::StopRepeat() {
  if (pressed_ < 0) return;
  pressed_ = -1;
  if (HandleAllocated()) KillTimer(Handle(), kRepeatTimer);
  Invalidate();
}

void TUpDown::Dispatch(TMessage& m) {
  switch (m.Msg) {
    case WM_TIMER:
      if (m.WParam == kRepeatTimer && pressed_ >= 0) {
        if (!repeating_) {
          repeating_ = true;
          SetTimer(Handle(), kRepeatTimer, kRepeatMs);
        }
        // Held but moved off its button: no step until it comes back.
        TPoint p;
        GetCursorPos(&p);
        if (ButtonAt(ScreenToClient(p)) == pressed_ && PtInRect(ClientRect(), ScreenToClient(p)))
          Click(static_cast<TUDBtnType>(pressed_));
        return;
      }
      break;
    case WM_CANCELMODE:
    case CM_CANCELMODE:
    case CM_ENABLEDCHANGED:
      StopRepeat();
      break;
    default:
      break;
  }
  TCustomControl::Dispatch(m);
}

void TUpDown::Paint() {
  TCanvas& c = Canvas();
  for (TUDBtnType b : {btNext, btPrev}) {
    TRect r = ButtonRect(b);
    unsigned arrow = orientation_ == udVertical ? (b == btNext ? DFCS_SCROLLUP : DFCS_SCROLLDOWN)
                                                : (b == btNext ? DFCS_SCROLLRIGHT : DFCS_SCROLLLEFT);
    if (pressed_ == b) arrow |= DFCS_PUSHED;
    if (!Enabled()) arrow |= DFCS_INACTIVE;
    DrawFrameControl(c, r, DFC_SCROLL, arrow);
  }
}

// ---- TProgressBar -------------------------------------------------------------------------

TProgressBar::TProgressBar(TComponent* AOwner) : TCustomControl(AOwner) { SetBounds(0, 0, 150, 16); }

void TProgressBar::SetRange(int AMin, int AMax) {
  min_ = AMin;
  max_ = std::max(AMin, AMax);
  position_ = std::clamp(position_, min_, max_);
  Invalidate();
}

void TProgressBar::SetPosition(int v) {
  v = std::clamp(v, min_, max_);
  if (v == position_) return;
  position_ = v;
  Invalidate();
}

void TProgressBar::StepIt() { StepBy(Step); }

void TProgressBar::StepBy(int delta) {
  // Stepping past the end starts again from the beginning, as the system's bar does.
  int next = position_ + delta;
  if (next > max_) next = min_ + (next - max_) % std::max(1, max_ - min_);
  SetPosition(next);
}

TRect TProgressBar::FilledRect() const {
  const TRect inner = InflateRect(ClientRect(), -2, -2);
  const int span = std::max(1, max_ - min_);
  const int done = position_ - min_;
  if (Orientation == pbHorizontal) {
    const int w = static_cast<int>(static_cast<long long>(inner.Width()) * done / span);
    return Rect(inner.Left, inner.Top, inner.Left + w, inner.Bottom);
  }
  const int h = static_cast<int>(static_cast<long long>(inner.Height()) * done / span);
  return Rect(inner.Left, inner.Bottom - h, inner.Right, inner.Bottom);
}

void TProgressBar::Paint() {
  TCanvas& c = Canvas();
  TRect r = ClientRect();
  DrawEdge(c, r, BDR_SUNKENOUTER, BF_RECT | BF_ADJUST);
  paint::Fill(c, r, clBtnFace);
  const TRect filled = FilledRect();
  if (Smooth || filled.IsEmpty()) {
    paint::Fill(c, filled, clHighlight);
    return;
  }
  // Blocks with a gap, the classic look.
  const bool across = Orientation == pbHorizontal;
  const int block = std::max(2, (across ? r.Height() : r.Width()) * 2 / 3);
  if (across) {
    for (int x = filled.Left; x < filled.Right; x += block + 2)
      paint::Fill(c, Rect(x, filled.Top, std::min(x + block, filled.Right), filled.Bottom), clHighlight);
  } else {
    for (int y = filled.Bottom; y > filled.Top; y -= block + 2)
      paint::Fill(c, Rect(filled.Left, std::max(y - block, filled.Top), filled.Right, y), clHighlight);
  }
}

// ---- TStatusBar ---------------------------------------------------------------------------

TStatusBar::TStatusBar(TComponent* AOwner) : TCustomControl(AOwner) {
  TImageCanvas measure(1, 1);
  measure.Font->Assign(Font());
  SetBounds(0, 0, 200, measure.TextHeight("Ag") + 6);
  SetAlign(alBottom);
}

TStatusPanel& TStatusBar::AddPanel(int width, const AnsiString& text) {
  Panels.push_back(TStatusPanel{text, width});
  Invalidate();
  return Panels.back();
}

void TStatusBar::SetPanelText(int index, const AnsiString& text) {
  Panels.at(static_cast<size_t>(index)).Text = text;
  InvalidateRect(PanelRect(index));
}

void TStatusBar::SetSimplePanel(bool v) {
  simplePanel_ = v;
  Invalidate();
}

void TStatusBar::SetSimpleText(const AnsiString& s) {
  simpleText_ = s;
  if (simplePanel_) Invalidate();
}

TRect TStatusBar::PanelRect(int index) const {
  int x = 0;
  const int count = static_cast<int>(Panels.size());
  for (int i = 0; i < count; ++i) {
    const int w = i == count - 1 ? std::max(Panels[static_cast<size_t>(i)].Width, Width() - x)
                                 : Panels[static_cast<size_t>(i)].Width;
    if (i == index) return Rect(x, 2, x + w - 2, Height());
    x += w;
  }
  return Rect(x, 2, x, Height());
}

void TStatusBar::Paint() {
  TCanvas& c = Canvas();
  paint::Fill(c, ClientRect(), Color());
  c.Font->Assign(Font());
  auto drawText = [&](const AnsiString& text, TRect r, TAlignment a) {
    r = InflateRect(r, -2, -1);
    const unsigned align = a == taCenter ? DT_CENTER : a == taRightJustify ? DT_RIGHT : DT_LEFT;
    paint::Caption(c, text, r, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_EXPANDTABS | align, Enabled());
  };
  if (simplePanel_ || Panels.empty()) {
    TRect r = Rect(0, 2, Width(), Height());
    DrawEdge(c, r, BDR_SUNKENOUTER, BF_RECT);
    drawText(simpleText_, r, taLeftJustify);
  } else {
    for (int i = 0; i < static_cast<int>(Panels.size()); ++i) {
      TStatusPanel& panel = Panels[static_cast<size_t>(i)];
      TRect r = PanelRect(i);
      if (panel.Bevel != pbNone)
        DrawEdge(c, r, panel.Bevel == pbLowered ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT);
      if (panel.Style == psOwnerDraw && OnDrawPanel)
        OnDrawPanel(this, panel, InflateRect(r, -1, -1));
      else
        drawText(panel.Text, r, panel.Alignment);
    }
  }
  if (SizeGrip) {
    // Three diagonal ridges in the lower right corner.
    const int right = Width() - 1, bottom = Height() - 1;
    for (int i = 0; i < 3; ++i) {
      const int d = 4 + i * 4;
      c.Pen->Color = clBtnHighlight;
      c.Polyline({{right - d, bottom}, {right, bottom - d}});
      c.Pen->Color = clBtnShadow;
      c.Polyline({{right - d + 1, bottom}, {right, bottom - d + 1}});
      c.Polyline({{right - d + 2, bottom}, {right, bottom - d + 2}});
    }
  }
}
