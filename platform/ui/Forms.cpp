#include "platform/ui/Forms.h"

#include <algorithm>
#include <utility>

#include "platform/gfx/Picture.h"
#include "platform/ui/Application.h"
#include "platform/ui/Backend.h"
#include "platform/ui/Menus.h"
#include "platform/ui/Shell.h"
#include "platform/ui/WindowManager.h"

namespace {
std::vector<TPopupWindow*>& PopupList() {
  static auto* list = new std::vector<TPopupWindow*>;  // past the last control, as the windows
  return *list;
}

bool Contains(const TWinControl* outer, const TControl* c) { return c && outer && outer->ContainsControl(c); }
}  // namespace

const std::vector<TPopupWindow*>& OpenPopups() { return PopupList(); }

// ---- TCustomForm ------------------------------------------------------------------

TCustomForm::TCustomForm(TComponent* AOwner) : TCustomControl(AOwner) {
  SetVisibleFlag(false);
  ControlStyle << csAcceptsControls;
  SetBounds(0, 0, 320, 240);
  SetParentFont(false);
  SetParentColor(false);
  SetColor(clBtnFace);
  FormState << fsCreating;
  if (Screen) Screen->AddForm(this);
}

void TCustomForm::DoDestroy() {
  Destroying();
  if (!OnDestroy) return;
  const TNotifyEvent handler = std::move(OnDestroy);
  OnDestroy = nullptr;
  try {
    handler(this);
  } catch (...) {
    // No exception leaves a destructor; the application shows it.
    if (ui::HandleException) ui::HandleException(this);
  }
}

TCustomForm::~TCustomForm() {
  DoDestroy();
  if (FormState.Contains(fsModal)) ui::PopModal(this);
  if (Visible()) {
    // A form inside another window leaves its area to be painted again.
    if (Parent()) Invalidate();
    SetVisibleFlag(false);
    if (!Parent()) ui::RemoveTopLevel(this);
  }
  if (Screen) {
    Screen->RemoveForm(this);
    if (Screen->activeForm_ == this) Screen->activeForm_ = nullptr;
  }
  // A shown form freed (a close that frees it) leaves the keyboard to the
  // form below, as one hidden does.
  if (active_ && !Parent() && !(Application && Application->Terminated())) {
    active_ = false;
    ActivateFormBelow();
  }
  // What the form owns goes while the form is still whole.
  activeControl_ = nullptr;
  focusedControl_ = nullptr;
  DestroyComponents();
  if (Application) Application->FormGoing(this);
}

void TCustomForm::AddResizeHook(const void* key, TResizeHook hook) {
  resizeHooks_.emplace_back(key, std::move(hook));
}

void TCustomForm::RemoveResizeHook(const void* key) {
  std::erase_if(resizeHooks_, [key](const auto& hook) { return hook.first == key; });
}

void TCustomForm::Resize() { RunResizeChain(resizeHooks_.size()); }

void TCustomForm::RunResizeChain(size_t hooksLeft) {
  if (hooksLeft == 0) {
    TCustomControl::Resize();
    return;
  }
  // A copy: a hook may add or remove hooks while it runs.
  const TResizeHook hook = resizeHooks_[hooksLeft - 1].second;
  hook(this, [this, hooksLeft] { RunResizeChain(std::min(hooksLeft - 1, resizeHooks_.size())); });
}

void TCustomForm::AfterConstruction() {
  if (constructed_) return;
  constructed_ = true;
  FormState >> fsCreating;
  DoCreate();
}

void TCustomForm::DoCreate() {
  if (!OnCreate) return;
  try {
    OnCreate(this);
  } catch (...) {
    // As the class library does: the application shows what went wrong and
    // the form lives on with what its creation did.
    if (!ui::HandleException) throw;
    ui::HandleException(this);
  }
}

void TCustomForm::DoShow() {
  if (OnShow) OnShow(this);
}

void TCustomForm::DoHide() {
  if (OnHide) OnHide(this);
}

void TCustomForm::DoClose(TCloseAction& Action) {
  if (OnClose) OnClose(this, Action);
}

void TCustomForm::Activate() {
  if (OnActivate) OnActivate(this);
}

void TCustomForm::Deactivate() {
  if (OnDeactivate) OnDeactivate(this);
}

void TCustomForm::Paint() { TCustomControl::Paint(); }

void TCustomForm::Show() {
  SetVisible(true);
  BringToFront();
  if (!Parent()) SetActive(true);
}

void TCustomForm::Hide() { SetVisible(false); }

void TCustomForm::PlaceOnShow() {
  const int sw = Screen ? Screen->Width() : 1024, sh = Screen ? Screen->Height() : 768;
  // No window manager need be running: a maximised form takes the work
  // area itself, whatever its designed place, and leaves the desktop's
  // panels (a window manager's, when one publishes them) in sight.
  if (WindowState == wsMaximized) {
    const TRect area = Screen ? Screen->WorkAreaRect() : Rect(0, 0, sw, sh);
    SetBounds(area.Left, area.Top, area.Width(), area.Height());
    return;
  }
  switch (Position) {
    case poScreenCenter:
    case poDesktopCenter:
      SetBounds((sw - Width()) / 2, (sh - Height()) / 2, Width(), Height());
      break;
    case poMainFormCenter:
    case poOwnerFormCenter: {
      TCustomForm* around = dynamic_cast<TCustomForm*>(Owner());
      if (Position == poMainFormCenter || !around) around = Application ? Application->MainForm() : nullptr;
      if (around && around != this)
        SetBounds(around->Left() + (around->Width() - Width()) / 2,
                  around->Top() + (around->Height() - Height()) / 2, Width(), Height());
      else
        SetBounds((sw - Width()) / 2, (sh - Height()) / 2, Width(), Height());
      break;
    }
    default:
      return;
  }
  // A window taller or wider than the screen, centred, would put its caption,
  // menu and tool bar above the screen's edge, out of the user's reach.
  if (Left() < 0 || Top() < 0) SetBounds(std::max(0, Left()), std::max(0, Top()), Width(), Height());
}

void TCustomForm::SetVisible(bool v) {
  if (v == Visible()) return;
  if (Parent()) {
    if (v) {
      AfterConstruction();
      DoShow();
      FormState << fsVisible;
    } else {
      DoHide();
      FormState >> fsVisible;
    }
    TCustomControl::SetVisible(v);
    if (v) Realign();
    return;
  }
  if (v) {
    AfterConstruction();
    PlaceOnShow();
    // OnShow sees the form visible already, so a control it focuses takes
    // the keyboard once the form is active.
    SetVisibleFlag(true);
    try {
      DoShow();
    } catch (...) {
      SetVisibleFlag(false);
      throw;
    }
    FormState << fsVisible;
    HandleNeeded();
    ui::AddTopLevel(this);
    Perform(CM_VISIBLECHANGED, 1, 0);
    Realign();
  } else {
    DoHide();
    SetVisibleFlag(false);
    FormState >> fsVisible;
    const bool wasActive = active_;
    if (HWND focus = GetFocus(); focus && HandleAllocated()) {
      auto* focused = dynamic_cast<TWinControl*>(static_cast<TWindowTarget*>(ui::FindWindow(focus)));
      if (focused == this || Contains(this, focused)) ::SetFocus(nullptr);
    }
    ui::RemoveTopLevel(this);
    Perform(CM_VISIBLECHANGED, 0, 0);
    if (wasActive) {
      SetActive(false);
      ActivateFormBelow();
    }
  }
}

void TCustomForm::ActivateFormBelow() {
  // The form below takes over, as the system activates the next window.
  const auto& tops = ui::TopLevels();
  for (auto it = tops.rbegin(); it != tops.rend(); ++it)
    if (auto* f = dynamic_cast<TCustomForm*>(*it); f && f != this && ui::InputAllowed(f)) {
      f->SetActive(true);
      break;
    }
}

void TCustomForm::SetActive(bool active) {
  if (active == active_) return;
  if (active) {
    TCustomForm* previous = Screen ? Screen->activeForm_ : nullptr;
    if (previous && previous != this) previous->SetActive(false);
    active_ = true;
    FormState << fsActivated;
    if (Screen) Screen->activeForm_ = this;
    // The focus comes back to where it was, or to the first control in tab
    // order, or the form itself.
    TWinControl* target = activeControl_;
    if (!target || !target->CanFocus()) target = FindNextControl(nullptr, true, true, false);
    if (target) {
      activeControl_ = target;
      ::SetFocus(target->Handle());
    } else {
      ::SetFocus(Handle());
    }
    Perform(CM_ACTIVATE, 0, 0);
    Activate();
  } else {
    active_ = false;
    if (Screen && Screen->activeForm_ == this) Screen->activeForm_ = nullptr;
    Perform(CM_DEACTIVATE, 0, 0);
    Deactivate();
  }
}

TModalResult TCustomForm::ShowModal() {
  if (Visible() || !Enabled() || FormState.Contains(fsModal))
    throw EInvalidOperation("Cannot make a visible window modal");
  if (GetCapture()) ::ReleaseCapture();
  TCustomForm* previous = Screen ? Screen->ActiveForm() : nullptr;
  FormState << fsModal;
  ui::PushModal(this);
  modalResult_ = mrNone;
  closeApproved_ = false;
  try {
    Show();
    if (HasBackend() && !Backend().BeginModal(*this) && modalResult_ == mrNone) modalResult_ = mrCancel;
    for (;;) {
      if (modalResult_ == mrNone) {
        if (!Application->HandleMessage() && modalResult_ == mrNone) {
          // No input can ever come (headless) and nothing closed the form:
          // end it as a Cancel instead of waiting forever.
          if (HasBackend()) Backend().ModalStalled(*this);
          modalResult_ = mrCancel;
        }
        if (Application->Terminated() && modalResult_ == mrNone) modalResult_ = mrCancel;
      }
      if (ModalCheckClose()) break;
    }
    if (HasBackend()) Backend().EndModal(*this);
    Hide();
  } catch (...) {
    FormState >> fsModal;
    ui::PopModal(this);
    if (Visible()) Hide();
    throw;
  }
  FormState >> fsModal;
  ui::PopModal(this);
  // The form active before takes the keyboard back, unless a window the
  // modal form opened (a preview started from a dialog) holds it now.
  TCustomForm* now = Screen ? Screen->ActiveForm() : nullptr;
  if (previous && previous != this && previous->Visible() && (!now || now == this || !ui::InputAllowed(now)))
    previous->SetActive(true);
  return modalResult_;
}

bool TCustomForm::ModalCheckClose() {
  if (modalResult_ == mrNone || !FormState.Contains(fsModal)) return false;
  if (!closeApproved_) {
    CloseModal();
    closeApproved_ = modalResult_ != mrNone;
  }
  return closeApproved_;
}

void TCustomForm::CloseModal() {
  TCloseAction action = caNone;
  if (CloseQuery()) {
    action = caHide;
    DoClose(action);
  }
  if (action == caNone) modalResult_ = mrNone;
  if (action == caFree) Release();
}

void TCustomForm::Close() {
  if (FormState.Contains(fsModal)) {
    modalResult_ = mrCancel;
    return;
  }
  if (!CloseQuery()) return;
  TCloseAction action = FormStyle == fsMDIChild ? caMinimize : caHide;
  DoClose(action);
  if (action == caNone) return;
  if (Application && Application->MainForm() == this)
    Application->Terminate();
  else if (action == caHide)
    Hide();
  else if (action == caMinimize)
    WindowState = wsMinimized;
  else
    Release();
}

bool TCustomForm::CloseQuery() {
  bool canClose = true;
  if (OnCloseQuery) OnCloseQuery(this, canClose);
  return canClose;
}

void TCustomForm::Release() { PostMessage(Handle(), CM_RELEASE, 0, 0); }

void TCustomForm::SetActiveControl(TWinControl* c) {
  if (c && !Contains(this, c)) throw EInvalidOperation("Cannot focus a control of another form");
  if (c && Visible() && active_) {
    FocusControl(c);
    return;
  }
  activeControl_ = c;
}

void TCustomForm::FocusControl(TWinControl* Control) {
  if (!Control->CanFocus()) throw EInvalidOperation("Cannot focus a disabled or invisible window");
  activeControl_ = Control;
  // A form that is not the active one takes the control when it is
  // activated.
  if (!Visible() || !active_) return;
  if (Control->Focused()) return;
  ::SetFocus(Control->Handle());
}

bool TCustomForm::SetFocusedControl(TWinControl* Control) {
  if (Control == this) return true;
  TWinControl* old = focusedControl_;
  if (old == Control) return true;
  focusedControl_ = Control;
  activeControl_ = Control;
  if (Screen && Screen->OnActiveControlChange) Screen->OnActiveControlChange(Screen);
  // The controls left lose it innermost first, up to the container the two
  // share; the new ones get it outermost first, so a group box hears of its
  // children's focus too.
  for (TWinControl* c = old; c && c != this && !c->ContainsControl(Control); c = c->Parent()) {
    c->Perform(CM_EXIT, 0, 0);
    // An OnExit that moved the focus elsewhere wins.
    if (!Control->HandleAllocated() || GetFocus() != Control->Handle()) return false;
  }
  // The chain is found to its top before the first is told, as the
  // recursion climbs before it enters; a focus move costs no list of it.
  const auto enter = [&](const auto& self, TWinControl* c) -> bool {
    if (!c || c == this || (old && c->ContainsControl(old))) return true;
    if (!self(self, c->Parent())) return false;
    c->Perform(CM_ENTER, 0, 0);
    return GetFocus() == Control->Handle();
  };
  return enter(enter, Control);
}

void TCustomForm::ControlGoing(TControl* c) {
  if (focusedControl_ &&
      (focusedControl_ == c ||
       (c->IsWindowed() && static_cast<TWinControl*>(c)->ContainsControl(focusedControl_))))
    focusedControl_ = nullptr;
  if (activeControl_ && (activeControl_ == c ||
                         (c->IsWindowed() && static_cast<TWinControl*>(c)->ContainsControl(activeControl_))))
    activeControl_ = nullptr;
}

void TCustomForm::ControlHidden(TControl* c) {
  if (!activeControl_) return;
  const bool inside = activeControl_ == c ||
                      (c->IsWindowed() && static_cast<TWinControl*>(c)->ContainsControl(activeControl_));
  if (!inside) return;
  const bool hadFocus = activeControl_->Focused();
  activeControl_ = nullptr;
  if (hadFocus && HandleAllocated()) ::SetFocus(Handle());
}

namespace {
int MenuBarHeight(const TMainMenu* menu) {
  const TMenuBar* bar = menu ? menu->Bar() : nullptr;
  return bar && bar->Visible() ? bar->Height() : 0;
}
}  // namespace

TRect TCustomForm::ClientRect() const {
  return Rect(0, 0, Width(), std::max(0, Height() - MenuBarHeight(menu_)));
}

TPoint TCustomForm::ClientOffset() const { return {0, MenuBarHeight(menu_)}; }

void TCustomForm::AlignControls(TControl* AControl, TRect& r) {
  // The bar spans the window's top, just above the client area.
  if (TMenuBar* bar = menu_ ? menu_->Bar() : nullptr)
    bar->SetBounds(0, -bar->Height(), Width(), bar->Height());
  TCustomControl::AlignControls(AControl, r);
}

void TCustomForm::SetMenu(TMainMenu* menu) {
  if (menu == menu_) return;
  TMainMenu* old = menu_;
  menu_ = menu;
  if (old) old->AttachTo(nullptr);
  if (menu) menu->AttachTo(this);
}

bool TCustomForm::IsShortCut(Word key, TShiftState shift) {
  if (menu_ && menu_->IsShortCut(key, shift)) return true;
  for (TControl* c = activeControl_; c; c = c->Parent())
    if (c->PopupMenu && c->PopupMenu->IsShortCut(key, shift)) return true;
  return false;
}

void TCustomForm::Dispatch(TMessage& m) {
  switch (m.Msg) {
    case CM_CHILDKEY: {
      // A key on its way to a control: the menus' shortcuts come first.
      const Word key = MsgCharCode(m);
      const TShiftState shift = KeyboardStateToShiftState() - TShiftState{ssLeft, ssRight, ssMiddle};
      if (key != VK_SHIFT && key != VK_CONTROL && key != VK_MENU && IsShortCut(key, shift)) {
        m.Result = 1;
        return;
      }
      if (key == VK_F1 && shift.Empty()) {
        // Help for the focused control, the nearest that names a topic.
        int context = 0;
        for (TControl* c = activeControl_; c && context == 0; c = c->Parent()) context = c->HelpContext;
        InvokeHelp(context);
        m.Result = 1;
        return;
      }
      TCustomControl::Dispatch(m);
      return;
    }
    case WM_CLOSE:
      Close();
      return;
    case CM_RELEASE:
      delete this;  // nothing of the form may be touched after this
      return;
    case CM_TEXTCHANGED:
      ui::TopLevelCaptionChanged(this);
      return;
    case CM_DIALOGKEY:
      if (GetKeyState(VK_MENU) >= 0) {
        const Word key = MsgCharCode(m);
        if (key == VK_TAB && GetKeyState(VK_CONTROL) >= 0) {
          SelectNext(activeControl_, GetKeyState(VK_SHIFT) >= 0, true);
          m.Result = 1;
          return;
        }
        if (key == VK_LEFT || key == VK_RIGHT || key == VK_UP || key == VK_DOWN) {
          if (activeControl_ && activeControl_->Parent()) {
            activeControl_->Parent()->SelectNext(activeControl_, key == VK_RIGHT || key == VK_DOWN, false);
            m.Result = 1;
          }
          return;
        }
      }
      TCustomControl::Dispatch(m);
      return;
    default:
      TCustomControl::Dispatch(m);
  }
}

// ---- TScreen ------------------------------------------------------------------------

int TScreen::Width() const { return HasBackend() ? Backend().ScreenWidth() : 1024; }
int TScreen::Height() const { return HasBackend() ? Backend().ScreenHeight() : 768; }

TRect TScreen::WorkAreaRect() const {
  const TRect area = HasBackend() ? Backend().WorkArea() : Rect(0, 0, Width(), Height());
  return area.IsEmpty() ? Rect(0, 0, Width(), Height()) : area;
}

TWinControl* TScreen::ActiveControl() const { return activeForm_ ? activeForm_->ActiveControl() : nullptr; }

void TScreen::SetCursor(TCursor c) {
  if (c == cursor_) return;
  cursor_ = c;
  TControl* over = MouseControl();
  ShowCursorShape(EffectiveCursor(over && over->Cursor() != crDefault ? over->Cursor() : crArrow));
}

void TScreen::ShowCursorShape(TCursor shape) {
  if (shape > 0 && !HasCursor(shape)) shape = crArrow;
  shown_ = shape;
  if (HasBackend()) Backend().SetCursorShape(shape);
}

void TScreen::RemoveForm(TCustomForm* f) { std::erase(forms_, f); }

bool TScreen::HasCursor(TCursor id) const {
  return id <= 0 || cursors_.count(id) > 0 || HasCursorResource(std::to_string(id));
}

// ---- popups and hints -------------------------------------------------------------

TPopupWindow::TPopupWindow(TComponent* AOwner) : TCustomControl(AOwner) {
  SetVisibleFlag(false);
  SetColor(clWindow);
}

TPopupWindow::~TPopupWindow() {
  Destroying();
  std::erase(PopupList(), this);
  if (Visible()) {
    SetVisibleFlag(false);
    ui::RemoveTopLevel(this);
  }
}

void TPopupWindow::Popup(const TRect& screenRect) {
  SetBoundsRect(screenRect);
  SetVisible(true);
}

void TPopupWindow::SetVisible(bool v) {
  if (v == Visible()) return;
  SetVisibleFlag(v);
  if (v) {
    HandleNeeded();
    PopupList().push_back(this);
    ui::AddTopLevel(this);
  } else {
    std::erase(PopupList(), this);
    ui::RemoveTopLevel(this);
  }
}

void TPopupWindow::CloseUp() {
  if (!Visible()) return;
  SetVisible(false);
  if (OnCloseUp) OnCloseUp(this);
}

void TPopupWindow::Dispatch(TMessage& m) {
  if (m.Msg == CM_CANCELMODE) {
    CloseUp();
    return;
  }
  TCustomControl::Dispatch(m);
}

void TPopupWindow::Paint() {
  Canvas().Pen->Color = clWindowFrame;
  Canvas().Brush->Color = Color();
  Canvas().Rectangle(ClientRect());
  TCustomControl::Paint();
}

THintWindow::THintWindow(TComponent* AOwner) : TPopupWindow(AOwner) {
  SetColor(clInfoBk);
  TFont f = Font();
  f.Color = clInfoText;
  SetFont(f);
}

TRect THintWindow::CalcHintRect(int MaxWidth, const AnsiString& AHint, void*) {
  TImageCanvas measure(1, 1);
  measure.Font->Assign(Font());
  TRect r = Rect(0, 0, MaxWidth, 0);
  measure.DrawText(AHint, r, DT_CALCRECT | DT_LEFT | DT_WORDBREAK | DT_NOPREFIX);
  r.Right += 6;
  r.Bottom += 2;
  return r;
}

void THintWindow::ActivateHint(TRect r, const AnsiString& AHint) {
  SetText(AHint);
  // Kept on the screen: a hint that would pass the right or bottom edge
  // moves back in.
  const int sw = Screen ? Screen->Width() : 1024, sh = Screen ? Screen->Height() : 768;
  if (r.Right > sw) r = OffsetRect(r, sw - r.Right, 0);
  if (r.Left < 0) r = OffsetRect(r, -r.Left, 0);
  if (r.Bottom > sh) r = OffsetRect(r, 0, sh - r.Bottom);
  Popup(r);
  Invalidate();
}

void THintWindow::ReleaseHandle() { SetVisible(false); }

void THintWindow::Paint() {
  TCanvas& c = Canvas();
  c.Brush->Color = Color();
  c.Brush->Style = bsSolid;
  c.Pen->Color = clWindowFrame;
  c.Rectangle(ClientRect());
  TRect r = ClientRect();
  r.Left += 2;
  r.Top += 1;
  c.Brush->Style = bsClear;
  c.Font->Assign(Font());
  c.DrawText(Text(), r, DT_LEFT | DT_WORDBREAK | DT_NOPREFIX);
}
