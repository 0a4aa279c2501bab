// The captioned panel's mouse: caption buttons, anchors and hover, the
// answers that let the system move and size it, and collapsing.

#include <algorithm>

#include "grid/ExtGridMouse.h"
#include "grid/ExtPanel.h"
#include "grid/ExtPanelGroup.h"
#include "platform/ui/Application.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/Forms.h"
#include "platform/ui/ScrollBars.h"
#include "platform/ui/Shell.h"

namespace {

void SleepWait(Cardinal ms) { Sleep(ms); }

TPanelAnimationWait& AnimationWait() {
  static TPanelAnimationWait wait = &SleepWait;
  return wait;
}

}  // namespace

void SetPanelAnimationWait(TPanelAnimationWait wait) {
  AnimationWait() = wait ? std::move(wait) : &SleepWait;
}

// ---- anchors ---------------------------------------------------------------------------------

TPanelTextHit TExtPanel::AnchorAt(int X, int Y) {
  // Where Paint draws the texts: the caption text narrowed by the buttons,
  // and not moved by the body's vertical alignment; the body inside the
  // border and both bevels.
  TCanvas& c = Canvas();
  TPanelTextStyle style = style_;
  if (caption_->Visible() && Y < caption_->Height()) {
    c.Font->Assign(caption_->Font());
    style.HoverIndex = captionHover_.Hit.Index;
    return PanelTextRenderer().HitTest(c, CaptionTextRect(), caption_->Text(), style, Point(X, Y));
  }
  TRect r = BodyRect();
  if (textVAlign_ != tvaTop) ApplyVAlign(r, MeasureBody(c, r));
  c.Font->Assign(Font());
  style.HoverIndex = bodyHover_.Hit.Index;
  return PanelTextRenderer().HitTest(c, r, text_, style, Point(X, Y));
}

void TExtPanel::RepaintAnchor(const TRect& r) {
  if (style_.Hover && !r.IsEmpty()) InvalidateRect(InflateRect(r, 1, 1));
}

void TExtPanel::DropHover(THover& hover) {
  if (hover.Hit.Index < 0) return;
  hover.Hit.Index = -1;
  RepaintAnchor(hover.Hit.Rect);
}

void TExtPanel::MouseMove(TShiftState Shift, int X, int Y) {
  EnsureLoadState();
  TCustomPanel::MouseMove(Shift, X, Y);
  const TPanelTextHit hit = AnchorAt(X, Y);
  moving_ = false;
  const bool inCaption = caption_->Visible() && Y < caption_->Height();
  THover& hover = inCaption ? captionHover_ : bodyHover_;
  DropHover(inCaption ? bodyHover_ : captionHover_);
  if (hit.Index >= 0) {
    if (!(hit == hover.Hit)) {
      RepaintAnchor(hover.Hit.Rect);
      RepaintAnchor(hit.Rect);
    }
    if (Cursor() == loadCursor_ || hit.Anchor != hover.Hit.Anchor) {
      if (AnchorHint && Application) Application->CancelHint();
      SetCursor(crHandPoint);
      enteredAnchor_ = hit.Anchor;
      if (OnAnchorEnter) OnAnchorEnter(this, hit.Anchor);
      RepaintAnchor(hit.Rect);
    }
    hover.Hit = hit;
  } else if (Cursor() == crHandPoint) {
    SetCursor(loadCursor_);
    // The anchor left, though the mouse may have left it for the other
    // text's area.
    if (OnAnchorExit) OnAnchorExit(this, enteredAnchor_);
    DropHover(hover);
  }
}

// ---- caption buttons and clicks -----------------------------------------------------------------

void TExtPanel::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TCustomPanel::MouseUp(Button, Shift, X, Y);
  if (ComponentState().Contains(csDesigning)) return;
  // While Collaps is being assigned its animation pumps messages: a close
  // now could free the panel under its own setter.
  if (collapsing_) return;
  if (caption_->Visible() && CaptionMouseUp(Point(X, Y))) return;
  // The anchors answer whether or not there is a caption bar: they show
  // the hand either way.
  const TPanelTextHit hit = AnchorAt(X, Y);
  if (hit.Index < 0) return;
  // A link the desktop may open goes there, and when the desktop cannot
  // open it the user is told rather than left with a dead link; any other
  // anchor, a link of a scheme never handed out among them, is the form's.
  if (IsOpenableLink(hit.Anchor)) {
    if (ShellExecute(nullptr, "open", hit.Anchor, "", "", SW_SHOWNORMAL) <= 32)
      MessageDlg(LinkNotOpenedText(hit.Anchor), mtWarning, {mbOK});
    return;
  }
  if (OnAnchorClick) OnAnchorClick(this, hit.Anchor);
}

// The caption's buttons and its click; true when the panel is gone.
bool TExtPanel::CaptionMouseUp(TPoint p) {
  if (caption_->CloseButton() && PtInRect(CloseButtonRect(), p)) {
    Hide();
    if (OnClose) OnClose(this);
    ArrangeGroup();
    if (FreeOnClose) {
      delete this;
      return true;
    }
  }
  if (caption_->MinMaxButton() && PtInRect(MinMaxButtonRect(), p)) SetCollaps(!collaps_);
  // The strip beside the close button.
  TRect strip = Rect(0, 0, ClientWidth(), caption_->Height());
  if (caption_->CloseButton()) {
    if (caption_->ButtonPosition() == cbpLeft)
      strip.Left += ButtonSize();
    else
      strip.Right -= ButtonSize();
  }
  strip.Right -= 2;
  if (PtInRect(strip, p) && OnCaptionClick) OnCaptionClick(this);
  return false;
}

// ---- messages -------------------------------------------------------------------------------------

int TExtPanel::WMNCHitTest(TPoint screen) {
  const TPoint p = ScreenToClient(screen);
  const int s = ButtonSize() * VisibleButtons();
  const bool strip = caption_->Visible() && p.X < ClientWidth() && p.Y < caption_->Height() &&
                     (caption_->ButtonPosition() == cbpLeft ? p.X >= s : p.X < ClientWidth() - s);
  if (strip && CanMove) {
    MouseMove(KeyboardStateToShiftState(), p.X, p.Y);
    if (AnchorAt(p.X, p.Y).Index < 0) {
      moving_ = true;
      RaiseToTop();
      return HTCAPTION;
    }
  }
  if (p.Y > Height() - GetScrollBarMetric(SM_CYHSCROLL) && p.X > Width() - GetScrollBarMetric(SM_CXHSCROLL) &&
      canSize_ && !collaps_) {
    RaiseToTop();
    return HTBOTTOMRIGHT;
  }
  return HTCLIENT;
}

// Brought to the top of its siblings; a panel already there is not
// repainted for it at every hit-test.
void TExtPanel::RaiseToTop() {
  TWinControl* parent = Parent();
  if (parent && parent->Controls(parent->ControlCount() - 1) == this) return;
  BringToFront();
}

void TExtPanel::WMMovingSizing(TMessage& m) {
  m.Result = 0;
  if (ComponentState().Contains(csDesigning)) return;
  EnsureLoadState();
  TRect& r = *reinterpret_cast<TRect*>(m.LParam);
  if (m.Msg == WM_MOVING) {
    origin_ = ClientOrigin();
    if (FixedLeft) r = Bounds(origin_.X, r.Top, r.Width(), r.Height());
    if (FixedTop) r = Bounds(r.Left, origin_.Y, r.Width(), r.Height());
    return;
  }
  if (FixedWidth) r.Right = r.Left + loadWidth_;
  if (FixedHeight) r.Bottom = r.Top + loadHeight_;
  fullHeight_ = r.Height();
  if (r.Width() != Width()) {
    shade_.SetSize(0, 0);
    shadeValid_ = false;
  }
}

void TExtPanel::HintShow(THintInfo& info) {
  if (!AnchorHint) return;
  const TPanelTextHit hit = AnchorAt(info.CursorPos.X, info.CursorPos.Y);
  if (hit.Index < 0) return;
  AnsiString anchor = hit.Anchor;
  if (OnAnchorHint) OnAnchorHint(this, anchor);
  const TPoint at = ClientToScreen(info.CursorPos);
  info.HintPos = Point(at.X + 10, at.Y - 10);
  info.HintStr = anchor;
}

void TExtPanel::Dispatch(TMessage& m) {
  const bool designing = ComponentState().Contains(csDesigning);
  switch (m.Msg) {
    case WM_NCHITTEST:
      m.Result = designing ? HTCLIENT : WMNCHitTest(Point(MsgX(m), MsgY(m)));
      return;
    case WM_SETCURSOR:
      TCustomPanel::Dispatch(m);
      if (moving_ && ShowMoveCursor && Screen) {
        Screen->ShowCursorShape(crSizeAll);
        m.Result = 1;
      }
      return;
    case WM_MOVING:
    case WM_SIZING:
      WMMovingSizing(m);
      return;
    case WM_SIZE:
      TCustomPanel::Dispatch(m);
      if (shade_.Width() != Width()) shadeValid_ = false;
      return;
    case WM_EXITSIZEMOVE:
      TCustomPanel::Dispatch(m);
      if (OnEndMoveSize) OnEndMoveSize(this);
      ArrangeGroup();
      return;
    case CM_HINTSHOW:
      HintShow(*reinterpret_cast<THintInfo*>(m.LParam));
      m.Result = 0;
      return;
    case CM_MOUSELEAVE:
      if (m.LParam == 0 || m.LParam == reinterpret_cast<LPARAM>(this)) {
        DropHover(bodyHover_);
        DropHover(captionHover_);
      }
      TCustomPanel::Dispatch(m);
      return;
    case WM_DESTROY:
      SaveOnDestroy();
      TCustomPanel::Dispatch(m);
      return;
    case WM_LBUTTONDBLCLK:
      TCustomPanel::Dispatch(m);
      if (InCaptionStrip(MsgX(m), MsgY(m)) && OnCaptionDBlClick) OnCaptionDBlClick(this);
      return;
    default:
      TCustomPanel::Dispatch(m);
  }
}

void TExtPanel::Resize() {
  // The new size shows at once, before OnResize.
  Invalidate();
  Update();
  TCustomPanel::Resize();
}

// ---- collapsing -------------------------------------------------------------------------------------

void TExtPanel::AnimateHeight(int from, int to) {
  const int step = (to - from) / CollapsSteps;
  for (int i = 0; i < CollapsSteps; ++i) {
    SetHeight(Height() + step);
    if (Application) Application->ProcessMessages();
    ArrangeGroup();
    AnimationWait()(static_cast<Cardinal>(std::max(CollapsDelay, 0)));
  }
}

void TExtPanel::SetCollaps(bool v) {
  EnsureLoadState();
  if (collaps_) {
    if (OnMaximize) OnMaximize(this);
  } else if (OnMinimize) {
    OnMinimize(this);
  }
  if (v != collaps_) {
    collapsing_ = true;
    collaps_ = v;
    if (!ComponentState().Contains(csLoading)) {
      const auto children = [this](bool show) {
        if (!AutoHideChildren) return;
        for (int i = 0; i < ControlCount(); ++i) Controls(i)->SetVisible(show);
      };
      if (v) {
        fullHeight_ = Height();
        children(false);
        if (CollapsSteps > 0) {
          SetColor(CollapsColor);
          AnimateHeight(Height(), caption_->Height());
        }
        SetHeight(caption_->Height());
      } else {
        if (CollapsSteps > 0) {
          SetColor(loadColor_);
          AnimateHeight(caption_->Height(), fullHeight_);
        }
        SetHeight(fullHeight_);
        children(true);
      }
      ArrangeGroup();
    }
    collapsing_ = false;
  }
  UpdateLayout();
}

void TExtPanel::ArrangeGroup() {
  if (auto* group = dynamic_cast<TExtPanelGroup*>(Parent())) group->Rearrange();
}
