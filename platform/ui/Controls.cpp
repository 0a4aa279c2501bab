#include "platform/ui/Controls.h"

#include <algorithm>

#include "platform/ui/Forms.h"
#include "platform/ui/ListSnapshot.h"
#include "platform/ui/WindowManager.h"

// ---- helpers ------------------------------------------------------------------

AnsiString GetShortHint(const AnsiString& hint) {
  const auto bar = hint.find('|');
  return bar == AnsiString::npos ? hint : hint.substr(0, bar);
}

AnsiString GetLongHint(const AnsiString& hint) {
  const auto bar = hint.find('|');
  return bar == AnsiString::npos ? hint : hint.substr(bar + 1);
}

TShiftState KeyboardStateToShiftState() {
  TShiftState s;
  if (GetKeyState(VK_SHIFT) < 0) s << ssShift;
  if (GetKeyState(VK_CONTROL) < 0) s << ssCtrl;
  if (GetKeyState(VK_MENU) < 0) s << ssAlt;
  if (GetKeyState(VK_LBUTTON) < 0) s << ssLeft;
  if (GetKeyState(VK_RBUTTON) < 0) s << ssRight;
  if (GetKeyState(VK_MBUTTON) < 0) s << ssMiddle;
  return s;
}

TShiftState KeysToShiftState(UINT keys) {
  TShiftState s;
  if (keys & MK_SHIFT) s << ssShift;
  if (keys & MK_CONTROL) s << ssCtrl;
  if (keys & MK_LBUTTON) s << ssLeft;
  if (keys & MK_RBUTTON) s << ssRight;
  if (keys & MK_MBUTTON) s << ssMiddle;
  if (GetKeyState(VK_MENU) < 0) s << ssAlt;
  return s;
}

TShiftState KeyDataToShiftState(LPARAM keyData) {
  TShiftState s;
  if (GetKeyState(VK_SHIFT) < 0) s << ssShift;
  if (GetKeyState(VK_CONTROL) < 0) s << ssCtrl;
  if (keyData & KF_ALTDOWN_BIT) s << ssAlt;
  return s;
}

TControl* MouseControl() { return ui::MouseControlRef(); }

// ---- TControl -------------------------------------------------------------------

TControl::TControl(TComponent* AOwner) : TComponent(AOwner) {
  ControlStyle = {csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks};
}

namespace {

// The one drag of controls under way: its source, whether the pointer has
// gone far enough to start it, and the control under the pointer with its
// answer.
struct ControlDrag {
  TControl* source = nullptr;
  bool started = false;
  TPoint from;  // screen point of the press
  int threshold = 5;
  TControl* target = nullptr;
  bool accepted = false;
};

ControlDrag& TheDrag() {
  static ControlDrag drag;
  return drag;
}

// The deepest enabled, visible control at a screen point, in the topmost
// shown window there that takes input.
TControl* ControlAtScreen(TPoint screen) {
  const auto& tops = ui::TopLevels();
  for (auto it = tops.rbegin(); it != tops.rend(); ++it) {
    TWinControl* top = *it;
    if (!ui::IsShownTopLevel(top) || !top->Enabled() || !ui::InputAllowed(top)) continue;
    if (!PtInRect(Bounds(top->Left(), top->Top(), top->Width(), top->Height()), screen)) continue;
    TControl* at = top;
    while (auto* window = dynamic_cast<TWinControl*>(at)) {
      TControl* child = window->ControlAtPos(window->ScreenToClient(screen), false, true);
      if (child == nullptr) break;
      at = child;
    }
    return at;
  }
  return nullptr;
}

// Asks Target whether it takes the drag, as the class library does: no
// handler, no.
bool AskDragOver(TControl* target, TControl* source, TPoint screen, TDragState state) {
  if (!target->OnDragOver) return false;
  bool accept = true;
  const TPoint at = target->ScreenToClient(screen);
  target->OnDragOver(target, source, at.X, at.Y, state, accept);
  return accept;
}

void MoveDrag(TPoint screen) {
  ControlDrag& d = TheDrag();
  if (!d.started) {
    if (std::abs(screen.X - d.from.X) < d.threshold && std::abs(screen.Y - d.from.Y) < d.threshold) return;
    d.started = true;
  }
  TControl* under = ControlAtScreen(screen);
  if (under != d.target) {
    if (TControl* left = d.target) {
      d.target = nullptr;
      AskDragOver(left, d.source, screen, dsDragLeave);
    }
    if (d.source == nullptr) return;  // a handler ended the drag
    d.target = under;
    d.accepted = under != nullptr && AskDragOver(under, d.source, screen, dsDragEnter);
  } else if (under != nullptr) {
    d.accepted = AskDragOver(under, d.source, screen, dsDragMove);
  }
  if (d.source != nullptr) Screen->SetCursor(d.accepted ? crDrag : crNoDrop);
}

}  // namespace

void TControl::BeginDrag(bool Immediate, int Threshold) {
  ControlDrag& d = TheDrag();
  if (d.source != nullptr) return;
  TPoint screen{};
  GetCursorPos(&screen);
  d = ControlDrag{this, Immediate, screen, Threshold < 0 ? 5 : Threshold, nullptr, false};
  SetMouseCapture(true);
  if (Immediate) MoveDrag(screen);
}

bool TControl::Dragging() const { return TheDrag().source == this; }

bool CancelDrag() {
  TControl* source = TheDrag().source;
  if (source == nullptr) return false;
  source->EndDrag(false);
  return true;
}

void TControl::EndDrag(bool Drop) {
  ControlDrag& d = TheDrag();
  if (d.source != this) return;
  TPoint screen{};
  GetCursorPos(&screen);
  TControl* target = d.started && Drop && d.accepted ? d.target : nullptr;
  TControl* entered = d.target;
  d = ControlDrag{};
  SetMouseCapture(false);
  Screen->SetCursor(crDefault);
  if (entered != nullptr && entered != target) AskDragOver(entered, this, screen, dsDragLeave);
  if (target != nullptr && target->OnDragDrop) {
    const TPoint at = target->ScreenToClient(screen);
    target->OnDragDrop(target, this, at.X, at.Y);
  }
  if (OnEndDrag) {
    const TPoint at = target != nullptr ? target->ScreenToClient(screen) : Point(0, 0);
    OnEndDrag(this, target, at.X, at.Y);
  }
}

TControl::~TControl() {
  // A drag this control takes part in ends without it.
  if (ControlDrag& d = TheDrag(); d.source == this) {
    d = ControlDrag{};
    if (MouseCapture()) SetMouseCapture(false);
  } else if (d.target == this) {
    d.target = nullptr;
    d.accepted = false;
  }
  Destroying();
  if (ui::ControlGoing) ui::ControlGoing(this);
  ui::ForgetControl(this);
  if (parent_) parent_->RemoveControl(this);
}

void TControl::SetParent(TWinControl* AParent) {
  if (AParent == parent_) return;
  if (AParent == this) throw EInvalidOperation("A control cannot have itself as its parent");
  if (parent_) parent_->RemoveControl(this);
  if (AParent) AParent->InsertControl(this);
}

TPoint TControl::ClientOrigin() const {
  const TPoint own = ClientOffset();
  if (!parent_) return Point(left_ + own.X, top_ + own.Y);
  const TPoint p = parent_->ClientOrigin();
  return Point(p.X + left_ + own.X, p.Y + top_ + own.Y);
}

TPoint TControl::ClientToScreen(TPoint p) const {
  const TPoint o = ClientOrigin();
  return Point(p.X + o.X, p.Y + o.Y);
}

TPoint TControl::ScreenToClient(TPoint p) const {
  const TPoint o = ClientOrigin();
  return Point(p.X - o.X, p.Y - o.Y);
}

void TControl::SetAlign(TAlign a) {
  if (a == align_) return;
  align_ = a;
  if (parent_) parent_->Realign();
}

void TControl::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  if (AWidth < 0) AWidth = 0;
  if (AHeight < 0) AHeight = 0;
  if (ALeft == left_ && ATop == top_ && AWidth == width_ && AHeight == height_) return;
  Invalidate();
  const bool resized = AWidth != width_ || AHeight != height_;
  left_ = ALeft;
  top_ = ATop;
  width_ = AWidth;
  height_ = AHeight;
  Invalidate();
  BoundsChanged();
  if (resized) Resize();
  if (parent_ && align_ != alNone) parent_->Realign();
}

void TControl::SetVisible(bool v) {
  if (v == visible_) return;
  VisibleChanging();
  if (!v) Invalidate();
  visible_ = v;
  if (v) Invalidate();
  Perform(CM_VISIBLECHANGED, v ? 1 : 0, 0);
  if (parent_) {
    parent_->ChildVisibleChanged();
    if (!v)
      if (TCustomForm* form = GetParentForm()) form->ControlHidden(this);
  }
}

bool TControl::Showing() const { return visible_ && parent_ && parent_->Showing(); }

void TControl::SetEnabled(bool v) {
  if (v == enabled_) return;
  enabled_ = v;
  Perform(CM_ENABLEDCHANGED, 0, 0);
  if (!v && parent_)
    if (TCustomForm* form = GetParentForm()) form->ControlHidden(this);
}

void TControl::SetText(const AnsiString& s) {
  if (s == text_) return;
  text_ = s;
  Perform(CM_TEXTCHANGED, 0, 0);
}

void TControl::AppendText(const AnsiString& tail) {
  if (tail.empty()) return;
  text_ += tail;
  Perform(CM_TEXTCHANGED, 0, 0);
}

void TControl::ReplaceText(size_t start, size_t count, const AnsiString& s) {
  start = std::min(start, text_.size());
  count = std::min(count, text_.size() - start);
  if (text_.compare(start, count, s) == 0) return;
  text_.replace(start, count, s);
  Perform(CM_TEXTCHANGED, 0, 0);
}

void TControl::SetFont(const TFont& f) {
  font_.Assign(f);
  parentFont_ = false;
  Perform(CM_FONTCHANGED, 0, 0);
}

void TControl::SetParentFont(bool v) {
  parentFont_ = v;
  if (v && parent_) ParentFontChanged();
}

void TControl::ParentFontChanged() {
  if (!parentFont_ || !parent_) return;
  font_.Assign(parent_->Font());
  Perform(CM_FONTCHANGED, 0, 0);
  parentFont_ = true;  // the handler of a descendant may have set it
}

TBiDiMode TControl::BiDiMode() const {
  return parentBiDiMode_ && parent_ != nullptr ? static_cast<const TControl*>(parent_)->BiDiMode()
                                               : bidiMode_;
}

void TControl::SetBiDiMode(TBiDiMode mode) {
  bidiMode_ = mode;
  parentBiDiMode_ = false;
  Invalidate();
}

void TControl::SetParentBiDiMode(bool value) {
  if (value && parent_ != nullptr) bidiMode_ = static_cast<const TControl*>(parent_)->BiDiMode();
  parentBiDiMode_ = value;
  Invalidate();
}

bool TControl::UseRightToLeftAlignment() const { return SysLocale.MiddleEast && BiDiMode() == bdRightToLeft; }

bool TControl::UseRightToLeftReading() const { return SysLocale.MiddleEast && BiDiMode() != bdLeftToRight; }

void TControl::SetColor(TColor c) {
  if (c == color_ && !parentColor_) return;
  color_ = c;
  parentColor_ = false;
  Perform(CM_COLORCHANGED, 0, 0);
}

void TControl::SetParentColor(bool v) {
  parentColor_ = v;
  if (v && parent_) ParentColorChanged();
}

void TControl::ParentColorChanged() {
  if (!parentColor_ || !parent_) return;
  color_ = parent_->Color();
  Perform(CM_COLORCHANGED, 0, 0);
}

bool TControl::ShowHint() const {
  if (parentShowHint_ && parent_) return parent_->ShowHint();
  return showHint_;
}

void TControl::SetShowHint(bool v) {
  showHint_ = v;
  parentShowHint_ = false;
  Perform(CM_SHOWHINTCHANGED, 0, 0);
}

void TControl::SetCursor(TCursor c) {
  if (c == cursor_) return;
  cursor_ = c;
  Perform(CM_CURSORCHANGED, 0, 0);
}

LRESULT TControl::Perform(UINT Msg, WPARAM WParam, LPARAM LParam) {
  TMessage m{Msg, WParam, LParam, 0};
  WndProc(m);
  return m.Result;
}

void TControl::WndProc(TMessage& Message) {
  // While this control is dragged the mouse moves the drag and the release
  // drops it; no other mouse message reaches it.
  if (Dragging() && Message.Msg >= WM_MOUSEFIRST && Message.Msg <= WM_MOUSELAST) {
    const TPoint screen = ClientToScreen(Point(MsgX(Message), MsgY(Message)));
    if (Message.Msg == WM_MOUSEMOVE)
      MoveDrag(screen);
    else if (Message.Msg == WM_LBUTTONUP)
      EndDrag(true);
    return;
  }
  if (Message.Msg >= WM_MOUSEFIRST && Message.Msg <= WM_MOUSELAST) {
    if (Message.Msg == WM_MOUSEMOVE && ui::MouseControlRef() != this) {
      TControl* old = ui::MouseControlRef();
      ui::MouseControlRef() = this;
      if (old) old->Perform(CM_MOUSELEAVE, 0, reinterpret_cast<LPARAM>(old));
      Perform(CM_MOUSEENTER, 0, reinterpret_cast<LPARAM>(this));
    }
    if (ui::HintMouseMessage) ui::HintMouseMessage(this, Message);
  }
  Dispatch(Message);
}

void TControl::HandleMouseButton(TMessage& m, TMouseButton button, bool down, bool dbl) {
  const int x = MsgX(m), y = MsgY(m);
  TShiftState shift = KeysToShiftState(MsgKeys(m));
  if (down) {
    if (button == mbLeft && DragMode == dmAutomatic && !dbl) {
      BeginDrag(false);
      return;
    }
    if (button == mbLeft && ControlStyle.Contains(csCaptureMouse)) SetMouseCapture(true);
    if (button == mbLeft && ControlStyle.Contains(csClickEvents)) ControlState << csClicked;
    if (dbl) {
      shift << ssDouble;
      if (button == mbLeft && ControlStyle.Contains(csClickEvents)) DblClick();
    }
    if (!ControlStyle.Contains(csNoStdEvents)) MouseDown(button, shift, x, y);
    return;
  }
  if (button == mbLeft) {
    if (ControlStyle.Contains(csCaptureMouse)) SetMouseCapture(false);
    if (ControlState.Contains(csClicked)) {
      ControlState >> csClicked;
      if (PtInRect(ClientRect(), Point(x, y))) Click();
    }
  }
  if (!ControlStyle.Contains(csNoStdEvents)) MouseUp(button, shift, x, y);
}

void TControl::HandleWheel(TMessage& m) {
  const TShiftState shift = KeysToShiftState(MsgKeys(m));
  if (DoMouseWheel(shift, MsgWheelDelta(m), Point(MsgX(m), MsgY(m)))) {
    m.Result = 1;
    return;
  }
  DefaultHandler(m);
}

void TControl::Dispatch(TMessage& m) {
  switch (m.Msg) {
    case WM_LBUTTONDOWN:
      HandleMouseButton(m, mbLeft, true, false);
      return;
    case WM_LBUTTONDBLCLK:
      HandleMouseButton(m, mbLeft, true, true);
      return;
    case WM_LBUTTONUP:
      HandleMouseButton(m, mbLeft, false, false);
      return;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
      HandleMouseButton(m, mbRight, true, m.Msg == WM_RBUTTONDBLCLK);
      return;
    case WM_RBUTTONUP:
      HandleMouseButton(m, mbRight, false, false);
      if (PopupMenu && ui::ShowPopupMenu)
        ui::ShowPopupMenu(PopupMenu, this, ClientToScreen(Point(MsgX(m), MsgY(m))));
      return;
    case WM_MBUTTONDOWN:
    case WM_MBUTTONDBLCLK:
      HandleMouseButton(m, mbMiddle, true, m.Msg == WM_MBUTTONDBLCLK);
      return;
    case WM_MBUTTONUP:
      HandleMouseButton(m, mbMiddle, false, false);
      return;
    case WM_MOUSEMOVE:
      if (!ControlStyle.Contains(csNoStdEvents)) MouseMove(KeysToShiftState(MsgKeys(m)), MsgX(m), MsgY(m));
      return;
    case WM_MOUSEWHEEL:
      HandleWheel(m);
      return;
    case CM_MOUSEENTER:
      if (m.LParam == 0 || m.LParam == reinterpret_cast<LPARAM>(this))
        if (OnMouseEnter) OnMouseEnter(this);
      return;
    case CM_MOUSELEAVE:
      if (m.LParam == 0 || m.LParam == reinterpret_cast<LPARAM>(this))
        if (OnMouseLeave) OnMouseLeave(this);
      return;
    case CM_HINTSHOW:
      m.Result = 0;
      return;
    case WM_SETTEXT:
      text_ = m.LParam ? reinterpret_cast<const char*>(m.LParam) : "";
      Invalidate();
      m.Result = 1;
      return;
    case WM_GETTEXT: {
      // Copies at most WParam - 1 characters and a terminating zero.
      if (m.WParam == 0 || m.LParam == 0) return;
      const size_t n = std::min<size_t>(text_.size(), m.WParam - 1);
      char* out = reinterpret_cast<char*>(m.LParam);
      std::copy_n(text_.data(), n, out);
      out[n] = '\0';
      m.Result = static_cast<LRESULT>(n);
      return;
    }
    case WM_GETTEXTLENGTH:
      m.Result = static_cast<LRESULT>(text_.size());
      return;
    case CM_TEXTCHANGED:
    case CM_FONTCHANGED:
    case CM_COLORCHANGED:
    case CM_ENABLEDCHANGED:
      Invalidate();
      return;
    case CM_PARENTFONTCHANGED:
      ParentFontChanged();
      return;
    case CM_CURSORCHANGED:
      // The shape changes at once when the mouse is over the control.
      if (ui::MouseControlRef() == this) {
        TWinControl* window = IsWindowed() ? static_cast<TWinControl*>(this) : parent_;
        if (window && window->HandleAllocated())
          SendMessage(window->Handle(), WM_SETCURSOR, reinterpret_cast<WPARAM>(window->Handle()),
                      MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
      }
      return;
    case CM_PARENTCOLORCHANGED:
      ParentColorChanged();
      return;
    case WM_CANCELMODE:
    case CM_CANCELMODE:
      if (MouseCapture()) SetMouseCapture(false);
      return;
    default:
      DefaultHandler(m);
  }
}

void TControl::DefaultHandler(TMessage& Message) {
  // A window is all client area unless it says otherwise.
  if (Message.Msg == WM_NCHITTEST) {
    Message.Result = HTCLIENT;
    return;
  }
  // Unclaimed mouse-wheel turns go up to the parent, as the system does.
  // (the wheel's position is in screen coordinates, the same for both).
  if (Message.Msg == WM_MOUSEWHEEL && parent_)
    Message.Result = parent_->Perform(WM_MOUSEWHEEL, Message.WParam, Message.LParam);
}

void TControl::Click() { FireEvent(OnClick, this); }

void TControl::DblClick() {
  if (OnDblClick) OnDblClick(this);
}

void TControl::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (OnMouseDown) OnMouseDown(this, Button, Shift, X, Y);
}

void TControl::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (OnMouseUp) OnMouseUp(this, Button, Shift, X, Y);
}

void TControl::MouseMove(TShiftState Shift, int X, int Y) {
  if (OnMouseMove) OnMouseMove(this, Shift, X, Y);
}

bool TControl::DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos) {
  bool handled = false;
  if (OnMouseWheel) OnMouseWheel(this, Shift, WheelDelta, MousePos, handled);
  if (handled) return true;
  // Whole notches only: a fine-grained wheel adds up until one is reached;
  // a turn of several notches at once scrolls for each of them.
  wheelAccumulator_ += WheelDelta;
  while (std::abs(wheelAccumulator_) >= WHEEL_DELTA) {
    if (wheelAccumulator_ < 0) {
      wheelAccumulator_ += WHEEL_DELTA;
      handled = DoMouseWheelDown(Shift, MousePos) || handled;
    } else {
      wheelAccumulator_ -= WHEEL_DELTA;
      handled = DoMouseWheelUp(Shift, MousePos) || handled;
    }
  }
  return handled;
}

bool TControl::DoMouseWheelDown(TShiftState Shift, TPoint MousePos) {
  bool handled = false;
  if (OnMouseWheelDown) OnMouseWheelDown(this, Shift, MousePos, handled);
  return handled;
}

bool TControl::DoMouseWheelUp(TShiftState Shift, TPoint MousePos) {
  bool handled = false;
  if (OnMouseWheelUp) OnMouseWheelUp(this, Shift, MousePos, handled);
  return handled;
}

void TControl::Resize() {
  if (OnResize) OnResize(this);
}

void TControl::InvalidateControl(const TRect& r) {
  // Most controls that change are on no window shown (a report's, a form
  // not yet opened): nothing to clip for them.
  const TControl* shown = this;
  for (; shown->parent_ != nullptr; shown = shown->parent_)
    if (!shown->visible_) return;
  if (!shown->visible_ || !shown->IsWindowed() ||
      !ui::IsShownTopLevel(static_cast<const TWinControl*>(shown)))
    return;
  TControl* c = this;
  TRect rect = r;
  // Clip to each parent on the way up, in that parent's coordinates (its
  // client area's, then its window's, which may hold a menu bar too).
  while (c) {
    if (!c->visible_) return;
    const TPoint offset = c->ClientOffset();
    rect = IntersectRect(OffsetRect(rect, offset.X, offset.Y), Rect(0, 0, c->width_, c->height_));
    if (rect.IsEmpty()) return;
    if (!c->parent_) break;
    rect = OffsetRect(rect, c->left_, c->top_);
    c = c->parent_;
  }
  if (!c->IsWindowed()) return;
  auto* top = static_cast<TWinControl*>(c);
  if (!ui::IsShownTopLevel(top)) return;
  ui::AddDirty(top, rect);
  // The update region grows for the window this control draws in.
  const TControl* window = this;
  while (!window->IsWindowed()) window = window->parent_;
  ui::AskPaint(top, static_cast<const TWinControl*>(window));
}

void TControl::Invalidate() { InvalidateControl(Rect(0, 0, width_, height_)); }

void TControl::InvalidateRect(const TRect& r) { InvalidateControl(r); }

void TControl::Update() {
  if (TWinControl* top = TopLevel(); top && ui::IsShownTopLevel(top)) ui::PaintTopLevel(top);
}

void TControl::Repaint() {
  Invalidate();
  Update();
}

TCustomForm* TControl::GetParentForm() const {
  const TControl* c = this;
  while (c->parent_) c = c->parent_;
  return dynamic_cast<TCustomForm*>(const_cast<TControl*>(c));
}

TWinControl* TControl::TopLevel() const {
  const TControl* c = this;
  while (c->parent_) c = c->parent_;
  return dynamic_cast<TWinControl*>(const_cast<TControl*>(c));
}

bool TControl::MouseCapture() const { return ui::CaptureControlRef() == this; }

void TControl::SetMouseCapture(bool capture) {
  if (capture == MouseCapture()) return;
  if (capture) {
    TWinControl* window = IsWindowed() ? static_cast<TWinControl*>(this) : parent_;
    if (!window) return;
    ui::CaptureControlRef() = this;
    ::SetCapture(window->Handle());
  } else {
    ui::CaptureControlRef() = nullptr;
    ::ReleaseCapture();
  }
}

void TControl::SetZOrder(bool topMost) {
  if (!parent_) return;
  auto& list = parent_->controls_;
  std::erase(list, this);
  if (topMost)
    list.push_back(this);
  else
    list.insert(list.begin(), this);
  Invalidate();
}

void TControl::BringToFront() {
  if (!parent_ && IsWindowed()) {
    ui::RaiseTopLevel(static_cast<TWinControl*>(this));
    return;
  }
  SetZOrder(true);
}

void TControl::SendToBack() { SetZOrder(false); }

// ---- TWinControl ----------------------------------------------------------------

TWinControl::TWinControl(TComponent* AOwner) : TControl(AOwner) {}

TWinControl::~TWinControl() {
  Destroying();
  if (TCustomForm* form = GetParentForm(); form && form != static_cast<TControl*>(this))
    form->ControlGoing(this);
  DestroyHandle();
  while (!controls_.empty()) delete controls_.back();  // each removes itself
  // Leave the parent while still a windowed control, so that it drops this
  // one from its tab order too.
  if (Parent()) Parent()->RemoveControl(this);
}

void TWinControl::InsertControl(TControl* c) {
  c->parent_ = this;
  controls_.push_back(c);
  if (c->IsWindowed()) tabList_.push_back(static_cast<TWinControl*>(c));
  if (c->parentFont_) c->ParentFontChanged();
  if (c->parentColor_) c->ParentColorChanged();
  if (c->align_ != alNone) Realign();
  c->Invalidate();
}

void TWinControl::RemoveControl(TControl* c) {
  if (c->parent_ != this) return;
  c->Invalidate();
  if (TCustomForm* form = GetParentForm()) form->ControlGoing(c);
  ui::ForgetControl(c);
  std::erase(controls_, c);
  // A windowed child that is being destroyed no longer answers IsWindowed
  // (its TWinControl part is gone): it leaves the tab list by identity.
  std::erase_if(tabList_, [c](TWinControl* w) { return static_cast<TControl*>(w) == c; });
  if (c->IsWindowed())
    static_cast<TWinControl*>(c)->DestroyHandle();  // a window lives only inside its parent
  c->parent_ = nullptr;
  if (c->align_ != alNone) Realign();
}

bool TWinControl::ContainsControl(const TControl* c) const {
  while (c) {
    if (c == this) return true;
    c = c->Parent();
  }
  return false;
}

TControl* TWinControl::ControlAtPos(TPoint pos, bool allowDisabled, bool allowWinControls) const {
  if (const std::optional<TRect> area = ChildrenArea(); area && !PtInRect(*area, pos)) return nullptr;
  for (auto it = controls_.rbegin(); it != controls_.rend(); ++it) {
    TControl* c = *it;
    if (c->IsWindowed() && !allowWinControls) continue;
    if (!c->Visible() || (!c->Enabled() && !allowDisabled)) continue;
    if (!PtInRect(c->BoundsRect(), pos)) continue;
    // A shaped window takes the mouse only inside its shape.
    if (c->IsWindowed() &&
        !static_cast<TWinControl*>(c)->InWindowRgn(Point(pos.X - c->Left(), pos.Y - c->Top())))
      continue;
    return c;
  }
  return nullptr;
}

void TWinControl::SetWindowRgn(const TRegion* region, bool redraw) {
  if (region)
    windowRgn_ = *region;
  else
    windowRgn_.reset();
  if (!redraw) return;
  if (TWinControl* parent = Parent())
    parent->Invalidate();
  else
    Invalidate();
}

TControl* TWinControl::DeepestControlAt(TPoint pos) {
  TControl* c = ControlAtPos(pos, true, true);
  if (!c) return this;
  if (c->IsWindowed())
    return static_cast<TWinControl*>(c)->DeepestControlAt(
        Point(pos.X - c->Left() - c->ClientOffset().X, pos.Y - c->Top() - c->ClientOffset().Y));
  return c;
}

HWND TWinControl::Handle() {
  if (!handle_) CreateHandle();
  return handle_;
}

void TWinControl::CreateHandle() {
  if (Parent()) Parent()->HandleNeeded();
  if (handle_) return;  // the parent's creation may have made it
  CreateWnd();
}

void TWinControl::CreateParams(TCreateParams& Params) {
  Params.Caption = Text();
  Params.X = Left();
  Params.Y = Top();
  Params.Width = Width();
  Params.Height = Height();
  Params.WndParent = Parent() ? Parent()->handle_ : nullptr;
}

void TWinControl::CreateWnd() {
  TCreateParams params;
  CreateParams(params);
  handle_ = ui::RegisterWindow(this);
  Perform(WM_CREATE, 0, 0);
}

void TWinControl::DestroyWnd() {
  ui::UnregisterWindow(handle_);
  handle_ = nullptr;
}

void TWinControl::DestroyHandle() {
  if (!handle_) return;
  Perform(WM_DESTROY, 0, 0);
  DestroyWnd();
  DestroyChildHandles();
}

void TWinControl::DestroyChildHandles() {
  for (TWinControl* w : tabList_) w->DestroyHandle();
}

void TWinControl::RecreateWnd() {
  if (!handle_) return;
  DestroyHandle();
  HandleNeeded();
}

LRESULT TWinControl::WindowMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  TMessage m{msg, wParam, lParam, 0};
  try {
    WndProc(m);
  } catch (...) {
    // An event handler failed: the application shows the error and the
    // loop goes on, as with every message the class library dispatches.
    if (ui::HandleException)
      ui::HandleException(this);
    else
      throw;
  }
  return m.Result;
}

void TWinControl::WndProc(TMessage& m) {
  // A character beyond the code page reaches only controls that hold UTF-16
  // text; the others get "?" for it, as text that cannot be converted.
  if (m.Msg == WM_CHAR && m.WParam > 0xFF && !WantsWideChars()) m.WParam = '?';
  if (m.Msg == WM_SETFOCUS) {
    TCustomForm* form = GetParentForm();
    if (form && !form->SetFocusedControl(this)) return;
  } else if (m.Msg >= WM_MOUSEFIRST && m.Msg < WM_MOUSEWHEEL) {
    if (IsControlMouseMsg(m)) return;
  }
  TControl::WndProc(m);
}

bool TWinControl::IsControlMouseMsg(TMessage& m) {
  TControl* target = nullptr;
  TControl* captured = ui::CaptureControlRef();
  if (handle_ && GetCapture() == handle_) {
    if (captured && captured != this && captured->Parent() == this) target = captured;
  } else {
    target = ControlAtPos(Point(MsgX(m), MsgY(m)), false);
  }
  if (!target) return false;
  m.Result = target->Perform(m.Msg, m.WParam, MAKELPARAM(MsgX(m) - target->Left(), MsgY(m) - target->Top()));
  return true;
}

void TWinControl::Broadcast(TMessage& Message) {
  const TListSnapshot<TControl> children(controls_);
  for (TControl* c : children) {
    if (std::find(controls_.begin(), controls_.end(), c) == controls_.end()) continue;
    c->WndProc(Message);
    if (Message.Result != 0) return;
  }
}

void TWinControl::Dispatch(TMessage& m) {
  switch (m.Msg) {
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      return;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
      if (!DoKeyDown(m)) DefaultHandler(m);
      return;
    case WM_KEYUP:
    case WM_SYSKEYUP:
      if (!DoKeyUp(m)) DefaultHandler(m);
      return;
    case WM_CHAR:
      if (!DoKeyPress(m)) DefaultHandler(m);
      return;
    case WM_SIZE:
      AlignChildren();
      Resize();
      return;
    case WM_PAINT:
      WMPaint(m);
      return;
    case WM_ERASEBKGND:
      if (paintCanvas_) {
        paintCanvas_->Brush->Color = Color();
        paintCanvas_->Brush->Style = bsSolid;
        paintCanvas_->FillRect(ClientRect());
      }
      m.Result = 1;
      return;
    case CM_ENTER:
      DoEnter();
      return;
    case CM_EXIT:
      DoExit();
      return;
    case CM_DIALOGKEY:
    case CM_DIALOGCHAR:
      Broadcast(m);
      return;
    case CM_FONTCHANGED:
    case CM_COLORCHANGED: {
      Invalidate();
      const UINT notice = m.Msg == CM_FONTCHANGED ? CM_PARENTFONTCHANGED : CM_PARENTCOLORCHANGED;
      const TListSnapshot<TControl> children(controls_);
      for (TControl* c : children) c->Perform(notice, 0, 0);
      return;
    }
    case CM_SHOWHINTCHANGED:
      return;
    case CM_CHILDKEY:
      if (Parent()) m.Result = Parent()->Perform(m.Msg, m.WParam, m.LParam);
      return;
    case WM_SETCURSOR:
      SetCursorAt(m);
      return;
    default:
      TControl::Dispatch(m);
  }
}

void TWinControl::SetCursorAt(TMessage& m) {
  // The screen's cursor wins; then the cursor of the control under the
  // mouse; a window that has none lets its parent choose; the top window
  // shows the arrow.
  TControl* over = this;
  TPoint p;
  GetCursorPos(&p);
  if (TControl* child = ControlAtPos(ScreenToClient(p), false)) over = child;
  TCursor shape = crDefault;
  const int hit = static_cast<SmallInt>(m.LParamLo());
  if (Screen && Screen->Cursor() != crDefault) {
    shape = Screen->Cursor();
  } else if (hit != HTCLIENT) {
    // The sizing border and corners show the sizing cursors, the rest of
    // the non-client area the arrow.
    static constexpr TCursor kSizing[] = {crSizeWE,   crSizeWE, crSizeNS,   crSizeNWSE,
                                          crSizeNESW, crSizeNS, crSizeNESW, crSizeNWSE};
    shape = hit >= HTLEFT && hit <= HTBOTTOMRIGHT ? kSizing[hit - HTLEFT] : crArrow;
  } else if (over->Cursor() != crDefault) {
    shape = over->Cursor();
  } else if (Parent()) {
    m.Result = Parent()->Perform(WM_SETCURSOR, m.WParam, m.LParam);
    return;
  } else {
    shape = crArrow;
  }
  if (Screen) Screen->ShowCursorShape(shape);
  m.Result = 1;
}

void TWinControl::WMPaint(TMessage& m) {
  if (!paintCanvas_) {
    // A WM_PAINT from the queue: paint the whole pending region of the window.
    if (!Parent() && ui::IsShownTopLevel(this)) ui::PaintTopLevel(this);
    return;
  }
  TMessage erase{WM_ERASEBKGND, reinterpret_cast<WPARAM>(paintCanvas_), 0, 0};
  WndProc(erase);
  PaintWindow(*paintCanvas_);
  PaintControls(*paintCanvas_, paintClip_);
  m.Result = 0;
}

void TWinControl::PaintWindow(TCanvas&) {}

bool TWinControl::DoKey(TMessage& m, bool (TWinControl::*preview)(TMessage&),
                        const std::function<WPARAM()>& handle) {
  TCustomForm* form = GetParentForm();
  if (form && form != static_cast<TControl*>(this) && form->KeyPreview && (form->*preview)(m)) return true;
  if (ControlStyle.Contains(csNoStdEvents)) return false;
  m.WParam = handle();
  return m.WParam == 0;
}

bool TWinControl::DoKeyDown(TMessage& m) {
  return DoKey(m, &TWinControl::DoKeyDown, [&] {
    Word key = MsgCharCode(m);
    KeyDown(key, KeyDataToShiftState(m.LParam));
    return WPARAM{key};
  });
}

bool TWinControl::DoKeyUp(TMessage& m) {
  return DoKey(m, &TWinControl::DoKeyUp, [&] {
    Word key = MsgCharCode(m);
    KeyUp(key, KeyDataToShiftState(m.LParam));
    return WPARAM{key};
  });
}

bool TWinControl::DoKeyPress(TMessage& m) {
  return DoKey(m, &TWinControl::DoKeyPress, [&] {
    // A UTF-16 character is seen by KeyPress as its code page character
    // ("?" when it has none) and goes on whole unless KeyPress changed it.
    const WPARAM unit = m.WParam;
    char ch = unit > 0xFF ? '?' : static_cast<char>(unit & 0xFF);
    const char seen = ch;
    KeyPress(ch);
    if (unit > 0xFF && ch == seen) return unit;
    return WPARAM{static_cast<unsigned char>(ch)};
  });
}

void TWinControl::KeyDown(Word& Key, TShiftState Shift) {
  if (OnKeyDown) OnKeyDown(this, Key, Shift);
}

void TWinControl::KeyUp(Word& Key, TShiftState Shift) {
  if (OnKeyUp) OnKeyUp(this, Key, Shift);
}

void TWinControl::KeyPress(char& Key) {
  if (OnKeyPress) OnKeyPress(this, Key);
}

void TWinControl::DoEnter() {
  if (OnEnter) OnEnter(this);
}

void TWinControl::DoExit() {
  if (OnExit) OnExit(this);
}

int TWinControl::TabOrder() const {
  if (!Parent()) return -1;
  const auto& list = Parent()->tabList_;
  auto it = std::find(list.begin(), list.end(), this);
  return it == list.end() ? -1 : static_cast<int>(it - list.begin());
}

void TWinControl::SetTabOrder(int order) {
  if (!Parent()) return;
  auto& list = Parent()->tabList_;
  std::erase(list, this);
  order = std::clamp(order, 0, static_cast<int>(list.size()));
  list.insert(list.begin() + order, this);
}

void TWinControl::GetTabOrderList(std::vector<TWinControl*>& list) {
  for (TWinControl* w : tabList_) {
    list.push_back(w);
    w->GetTabOrderList(list);
  }
}

bool TWinControl::CanFocus() const {
  const TControl* c = this;
  while (c) {
    if (!c->Visible() || !c->Enabled()) return false;
    if (!c->Parent()) return dynamic_cast<const TCustomForm*>(c) != nullptr || c == this;
    c = c->Parent();
  }
  return true;
}

bool TWinControl::Focused() const { return handle_ && GetFocus() == handle_; }

void TWinControl::SetFocus() {
  if (TCustomForm* form = GetParentForm(); form && form != static_cast<TControl*>(this)) {
    form->FocusControl(this);
    return;
  }
  if (!CanFocus()) throw EInvalidOperation("Cannot focus a disabled or invisible window");
  ::SetFocus(Handle());
}

TWinControl* TWinControl::FindNextControl(TWinControl* CurControl, bool GoForward, bool CheckTabStop,
                                          bool CheckParent) {
  std::vector<TWinControl*> list;
  GetTabOrderList(list);
  if (list.empty()) return nullptr;
  const int n = static_cast<int>(list.size());
  auto it = std::find(list.begin(), list.end(), CurControl);
  // Without a current control the walk starts before the first (forward)
  // or after the last (backward).
  int start = it == list.end() ? (GoForward ? n - 1 : 0) : static_cast<int>(it - list.begin());
  int i = start;
  for (int steps = 0; steps < n; ++steps) {
    i = GoForward ? (i + 1) % n : (i - 1 + n) % n;
    TWinControl* c = list[static_cast<size_t>(i)];
    if (c == CurControl) break;
    if ((!CheckTabStop || c->TabStop()) && (!CheckParent || c->Parent() == this) && c->CanFocus()) return c;
  }
  return nullptr;
}

void TWinControl::SelectNext(TWinControl* CurControl, bool GoForward, bool CheckTabStop) {
  if (TWinControl* next = FindNextControl(CurControl, GoForward, CheckTabStop, !CheckTabStop))
    next->SetFocus();
}

void TWinControl::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  if (AWidth < 0) AWidth = 0;
  if (AHeight < 0) AHeight = 0;
  if (ALeft == Left() && ATop == Top() && AWidth == Width() && AHeight == Height()) return;
  const int oldWidth = Width(), oldHeight = Height();
  const bool moved = ALeft != Left() || ATop != Top();
  Invalidate();
  left_ = ALeft;
  top_ = ATop;
  width_ = AWidth;
  height_ = AHeight;
  Invalidate();
  BoundsChanged();
  if (!Parent() && ui::IsShownTopLevel(this)) ui::TopLevelBoundsChanged(this);
  if (moved) Perform(WM_MOVE, 0, MAKELPARAM(ALeft, ATop));
  if (AWidth != oldWidth || AHeight != oldHeight) {
    // Children anchored to the right or bottom follow the new size; not
    // while the form is still being built, where every control's place is
    // final as given.
    const int dx = AWidth - oldWidth, dy = AHeight - oldHeight;
    TCustomForm* form = GetParentForm();
    const bool building =
        ComponentState().Contains(csLoading) || (form && form->FormState.Contains(fsCreating));
    for (TControl* c : controls_) {
      if (c->Align() != alNone || building) continue;
      int l = c->Left(), t = c->Top(), w = c->Width(), h = c->Height();
      const TAnchors a = c->Anchors;
      if (a.Contains(akRight))
        (a.Contains(akLeft) ? w : l) += dx;
      else if (!a.Contains(akLeft))
        l += dx / 2;
      if (a.Contains(akBottom))
        (a.Contains(akTop) ? h : t) += dy;
      else if (!a.Contains(akTop))
        t += dy / 2;
      c->SetBounds(l, t, w, h);
    }
    Perform(WM_SIZE, SIZE_RESTORED, MAKELPARAM(ClientWidth(), ClientHeight()));
  }
  if (Parent() && Align() != alNone) Parent()->Realign();
}

void TWinControl::AlignControls(TControl*, TRect& r) {
  const TAlign order[] = {alTop, alBottom, alLeft, alRight, alClient};
  for (TAlign a : order) {
    for (TControl* c : controls_) {
      if (c->Align() != a || !c->Visible()) continue;
      switch (a) {
        case alTop:
          c->SetBounds(r.Left, r.Top, r.Width(), c->Height());
          r.Top += c->Height();
          break;
        case alBottom:
          c->SetBounds(r.Left, r.Bottom - c->Height(), r.Width(), c->Height());
          r.Bottom -= c->Height();
          break;
        case alLeft:
          c->SetBounds(r.Left, r.Top, c->Width(), r.Height());
          r.Left += c->Width();
          break;
        case alRight:
          c->SetBounds(r.Right - c->Width(), r.Top, c->Width(), r.Height());
          r.Right -= c->Width();
          break;
        case alClient:
          c->SetBounds(r.Left, r.Top, r.Width(), r.Height());
          break;
        case alNone:
          break;
      }
    }
  }
}

void TWinControl::AlignChildren() {
  if (alignDisabled_ > 0 || aligning_) return;
  aligning_ = true;
  TRect r = ClientRect();
  try {
    AlignControls(nullptr, r);
  } catch (...) {
    aligning_ = false;
    throw;
  }
  aligning_ = false;
}

void TWinControl::Realign() { AlignChildren(); }

void TWinControl::EnableAlign() {
  if (alignDisabled_ > 0 && --alignDisabled_ == 0) Realign();
}

void TWinControl::ChildVisibleChanged() { Realign(); }

// ---- TCustomControl and TGraphicControl ------------------------------------------

TCustomControl::TCustomControl(TComponent* AOwner) : TWinControl(AOwner) {}

TCustomControl::~TCustomControl() = default;

TCanvas& TCustomControl::Canvas() {
  if (canvas_) return *canvas_;
  outside_ = ui::OutsideCanvas(this);
  return *outside_;
}

void TCustomControl::PaintWindow(TCanvas& canvas) {
  canvas_ = &canvas;
  try {
    Paint();
  } catch (...) {
    canvas_ = nullptr;
    throw;
  }
  canvas_ = nullptr;
}

void TCustomControl::Paint() {
  if (OnPaint) OnPaint(this);
}

TGraphicControl::TGraphicControl(TComponent* AOwner) : TControl(AOwner) {}

TGraphicControl::~TGraphicControl() = default;

TCanvas& TGraphicControl::Canvas() {
  if (canvas_) return *canvas_;
  outside_ = ui::OutsideCanvas(this);
  return *outside_;
}

void TGraphicControl::Paint() {
  if (OnPaint) OnPaint(this);
}

void TGraphicControl::Dispatch(TMessage& m) {
  if (m.Msg == WM_PAINT && m.WParam != 0) {
    canvas_ = reinterpret_cast<TCanvas*>(m.WParam);
    try {
      Paint();
    } catch (...) {
      canvas_ = nullptr;
      throw;
    }
    canvas_ = nullptr;
    return;
  }
  TControl::Dispatch(m);
}
