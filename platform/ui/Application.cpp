#include "platform/ui/Application.h"

#include <cstdio>
#include <new>
#include <string>

#include "platform/ui/Backend.h"
#include "platform/ui/Forms.h"
#include "platform/ui/Menus.h"
#include "platform/ui/WindowManager.h"

// The hooks are defined here, before the objects below, so that they are
// initialised before the application object fills them in.
namespace ui {
std::function<void(TControl*, TMessage&)> HintMouseMessage;
std::function<void(TObject*)> HandleException;
std::function<void(TControl*)> ControlGoing;
std::function<void(TPopupMenu*, TControl*, TPoint)> ShowPopupMenu;
}  // namespace ui

TApplication* Application = nullptr;
TScreen* Screen = nullptr;

namespace {

constexpr UINT_PTR kHintShowTimer = 1;
constexpr UINT_PTR kHintHideTimer = 2;
constexpr int kCursorHeightMargin = 20;

struct GlobalObjects {
  GlobalObjects() {
    Application = new TApplication(nullptr);
    Screen = new TScreen(nullptr);
  }
} globalObjects;

// The hint of a control, or of the nearest parent that has one.
AnsiString InheritedHint(const TControl* c) {
  for (; c; c = c->Parent())
    if (!c->Hint().empty()) return c->Hint();
  return {};
}

// An exception's text in UTF-8, for the error stream.
std::string ExceptionText(const std::exception& E) {
  if (const auto* ex = dynamic_cast<const Exception*>(&E)) return cp1253::ToUtf8(ex->Message);
  return E.what();
}

bool IsMouseButtonDown(UINT msg) {
  return msg == WM_LBUTTONDOWN || msg == WM_RBUTTONDOWN || msg == WM_MBUTTONDOWN || msg == WM_LBUTTONDBLCLK ||
         msg == WM_RBUTTONDBLCLK || msg == WM_MBUTTONDBLCLK;
}

}  // namespace

TApplication::TApplication(TComponent* AOwner) : TComponent(AOwner) {
  utilityWindow_ = ui::RegisterWindow(this);
  ui::SetPump([this] { ProcessMessages(); });
  ui::HandleException = [this](TObject* sender) { HandleException(sender); };
  ui::HintMouseMessage = [this](TControl* c, TMessage& m) { HintMouseMessage(c, m); };
  ui::ControlGoing = [this](TControl* c) {
    if (c == hintControl_) {
      HideHint();
      StopHintTimer();
      hintControl_ = nullptr;
    }
  };
}

TApplication::~TApplication() {
  ui::HintMouseMessage = nullptr;
  ui::HandleException = nullptr;
  ui::ControlGoing = nullptr;
  ui::UnregisterWindow(utilityWindow_);
}

void TApplication::Initialize() {
  if (!HasBackend()) RunBackendChooser();
  if (!HasBackend()) throw EInvalidOperation("No window backend is installed");
}

void TApplication::AdoptForm(TCustomForm* form) {
  if (!mainForm_) mainForm_ = form;
  form->AfterConstruction();
}

void TApplication::FormGoing(TCustomForm* form) {
  if (mainForm_ == form) mainForm_ = nullptr;
  if (hintControl_ && form->ContainsControl(hintControl_)) {
    HideHint();
    StopHintTimer();
    hintControl_ = nullptr;
  }
}

void TApplication::ResetState() {
  delete hintWindow_;
  hintWindow_ = nullptr;
  terminated_ = false;
  mainForm_ = nullptr;
  hintControl_ = nullptr;
  hintShowing_ = false;
  hintTimerRunning_ = false;
  hint_.clear();
  ui::ResetQuit();
  if (!ui::FindWindow(utilityWindow_)) utilityWindow_ = ui::RegisterWindow(this);
}

void TApplication::Run() {
  if (mainForm_) {
    try {
      mainForm_->Show();
    } catch (...) {
      HandleException(this);
    }
  }
  while (!terminated_) {
    if (!HandleMessage()) break;
  }
}

void TApplication::Terminate() {
  terminated_ = true;
  PostQuitMessage(0);
}

bool TApplication::IsKeyMsg(TMsg& msg) {
  const UINT m = msg.message;
  if (m != WM_KEYDOWN && m != WM_SYSKEYDOWN && m != WM_CHAR && m != WM_SYSCHAR) return false;
  auto* control = dynamic_cast<TWinControl*>(ui::FindWindow(msg.hwnd));
  if (!control) return false;
  TCustomForm* form = control->GetParentForm();
  if (m == WM_KEYDOWN || m == WM_SYSKEYDOWN) {
    const Word key = static_cast<Word>(msg.wParam);
    if (control->Perform(CM_CHILDKEY, key, reinterpret_cast<LPARAM>(control)) != 0) return true;
    int mask = 0;
    switch (key) {
      case VK_TAB:
        mask = DLGC_WANTTAB;
        break;
      case VK_LEFT:
      case VK_RIGHT:
      case VK_UP:
      case VK_DOWN:
        mask = DLGC_WANTARROWS;
        break;
      case VK_RETURN:
      case VK_ESCAPE:
      case VK_CANCEL:
        mask = DLGC_WANTALLKEYS;
        break;
      default:
        break;
    }
    // A key the control does not claim is the dialog's: Tab walks, Enter
    // and Escape press the default and cancel buttons.
    if (mask != 0 && form && control->Perform(CM_WANTSPECIALKEY, key, 0) == 0 &&
        (control->Perform(WM_GETDLGCODE, 0, 0) & mask) == 0 &&
        form->Perform(CM_DIALOGKEY, key, msg.lParam) != 0)
      return true;
    return false;
  }
  // Characters the control does not take may be accelerators of the form.
  if (form && (m == WM_SYSCHAR || (control->Perform(WM_GETDLGCODE, 0, 0) & DLGC_WANTCHARS) == 0)) {
    TMessage dialogChar{CM_DIALOGCHAR, msg.wParam, msg.lParam, 0};
    form->WndProc(dialogChar);
    // A handler that clears the character keeps it only from the controls
    // asked after it; the focused control still gets it as typed.
    if (dialogChar.Result != 0) return true;
  }
  return false;
}

bool TApplication::ProcessMessage(TMsg& msg) {
  if (!ui::PeekMessage(msg, true)) return false;
  if (msg.message == WM_QUIT) {
    terminated_ = true;
    return true;
  }
  try {
    bool handled = false;
    FireEvent(OnMessage, msg, handled);
    if (handled) return true;
    if (msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN || IsMouseButtonDown(msg.message)) {
      HideHint();
      StopHintTimer();
    }
    // Escape ends a drag of a control where it is, whichever window has
    // the keyboard; the key goes no further.
    if (msg.message == WM_KEYDOWN && msg.wParam == VK_ESCAPE && CancelDrag()) return true;
    if (!MenuKeyboardHook(msg) && !IsKeyMsg(msg)) ui::DispatchMessage(msg);
    // A modal form whose ModalResult was set closes now (if its close
    // query lets it), wherever the loop runs.
    if (auto* modal = dynamic_cast<TCustomForm*>(ui::TopModal())) modal->ModalCheckClose();
  } catch (...) {
    HandleException(this);
  }
  return true;
}

void TApplication::ProcessMessages() {
  TMsg msg;
  // Input that reached the display since the loop last waited comes in
  // first: a long task that lets the window process its messages must see
  // the clicks made meanwhile (a Stop or Cancel button).
  if (HasBackend()) Backend().WaitForInput(0);
  while (ProcessMessage(msg)) {
  }
  ui::PresentPending();
}

bool TApplication::HandleMessage() {
  TMsg msg;
  if (ProcessMessage(msg)) return true;
  ui::PresentPending();
  bool done = true;
  if (OnIdle) {
    try {
      FireEvent(OnIdle, this, done);
    } catch (...) {
      HandleException(this);
    }
  }
  if (!done) return true;
  if (!HasBackend()) return false;
  DWORD timeout = 0xFFFFFFFF;
  if (DWORD due = 0; ui::NextTimerDue(due)) {
    const auto wait = static_cast<std::int32_t>(due - GetTickCount());
    timeout = wait > 0 ? static_cast<DWORD>(wait) : 0;
  }
  return Backend().WaitForInput(timeout);
}

void TApplication::HandleException(TObject*) {
  std::exception_ptr current = std::current_exception();
  if (!current) return;
  try {
    std::rethrow_exception(current);
  } catch (const EAbort&) {
    // Silent by design: EAbort only unwinds.
  } catch (const std::exception& e) {
    ReportException(e);
  } catch (...) {
    ReportException(Exception("Unknown exception"));
  }
}

void TApplication::ReportException(const std::exception& E) {
  try {
    if (OnException)
      FireEvent(OnException, this, E);
    else
      ShowException(E);
  } catch (const std::exception& failure) {
    // The report itself failed (its box could not be shown): both go to
    // the error stream, and the program goes on.
    std::fprintf(stderr, "%s\n%s\n", ExceptionText(E).c_str(), ExceptionText(failure).c_str());
  } catch (...) {
    std::fprintf(stderr, "%s\n", ExceptionText(E).c_str());
  }
}

void TApplication::ShowException(const std::exception& E) {
  AnsiString text;
  // The system's own failures carry English words meant for a programmer:
  // the user is told what happened, the error stream keeps the words.
  if (const auto* ex = dynamic_cast<const Exception*>(&E)) {
    text = ex->Message;
  } else {
    std::fprintf(stderr, "%s\n", E.what());
    text = dynamic_cast<const std::bad_alloc*>(&E)
               ? "Η μνήμη του υπολογιστή δεν φτάνει για αυτή την εργασία, που σταμάτησε"_a
               : "Η εργασία σταμάτησε από ένα εσωτερικό σφάλμα του προγράμματος"_a;
  }
  // As the class library does: a message that does not end in a full stop
  // (or other punctuation below ".") gets one.
  if (!text.empty() && static_cast<unsigned char>(text.back()) > '.') text += '.';
  if (HasBackend()) Backend().ShowErrorBox(text, Title);
}

int TApplication::MessageBox(const AnsiString& Text, const AnsiString& Caption, UINT Flags) {
  return Backend().MessageBox(Text, Caption.empty() ? Title : Caption, Flags);
}

void TApplication::SetHint(const AnsiString& hint) {
  if (hint == hint_) return;
  hint_ = hint;
  FireEvent(OnHint, this);
}

// ---- hints --------------------------------------------------------------------------

LRESULT TApplication::WindowMessage(UINT msg, WPARAM wParam, LPARAM) {
  if (msg != WM_TIMER) return 0;
  try {
    if (wParam == kHintShowTimer) {
      StopHintTimer();
      TPoint p;
      GetCursorPos(&p);
      ActivateHint(p);
    } else if (wParam == kHintHideTimer) {
      HideHint();
    }
  } catch (...) {
    HandleException(this);
  }
  return 0;
}

void TApplication::StartHintTimer(int delay) {
  SetTimer(utilityWindow_, kHintShowTimer, static_cast<UINT>(std::max(delay, 1)), nullptr);
  hintTimerRunning_ = true;
}

void TApplication::StopHintTimer() {
  if (!hintTimerRunning_) return;
  KillTimer(utilityWindow_, kHintShowTimer);
  hintTimerRunning_ = false;
}

void TApplication::HideHint() {
  KillTimer(utilityWindow_, kHintHideTimer);
  if (!hintShowing_) return;
  hintShowing_ = false;
  if (hintWindow_) hintWindow_->ReleaseHandle();
}

void TApplication::CancelHint() {
  HideHint();
  StopHintTimer();
  hintControl_ = nullptr;
}

void TApplication::HintMouseMessage(TControl* control, TMessage& m) {
  if (m.Msg == WM_MOUSEMOVE) {
    const TPoint client = Point(MsgX(m), MsgY(m));
    if (control != hintControl_) {
      const bool wasShowing = hintShowing_;
      HideHint();
      StopHintTimer();
      hintControl_ = control;
      SetHint(GetLongHint(InheritedHint(control)));
      if (ShowHint && control->ShowHint()) StartHintTimer(wasShowing ? HintShortPause : HintPause);
    } else if (hintShowing_ && !PtInRect(hintCursorRect_, client)) {
      HideHint();
      if (ShowHint && control->ShowHint()) StartHintTimer(HintShortPause);
    }
    return;
  }
  if (IsMouseButtonDown(m.Msg) || m.Msg == WM_MOUSEWHEEL) {
    HideHint();
    StopHintTimer();
  }
}

void TApplication::ActivateHint(TPoint CursorPos) {
  TControl* control = hintControl_;
  if (!control || !ShowHint || !control->ShowHint()) return;
  THintInfo info;
  info.HintControl = control;
  info.CursorPos = control->ScreenToClient(CursorPos);
  info.HintPos = Point(CursorPos.X, CursorPos.Y + kCursorHeightMargin);
  info.HintMaxWidth = Screen ? Screen->Width() : 1024;
  info.HintColor = HintColor;
  info.CursorRect = control->ClientRect();
  info.HideTimeout = HintHidePause;
  info.HintStr = GetShortHint(InheritedHint(control));
  if (control->Perform(CM_HINTSHOW, 0, reinterpret_cast<LPARAM>(&info)) != 0 || info.HintStr.empty()) return;
  if (!hintWindow_) hintWindow_ = new THintWindow(this);
  hintWindow_->SetColor(info.HintColor);
  TRect r = hintWindow_->CalcHintRect(info.HintMaxWidth, info.HintStr, info.HintData);
  r = OffsetRect(r, info.HintPos.X, info.HintPos.Y);
  hintWindow_->ActivateHint(r, info.HintStr);
  hintShowing_ = true;
  hintCursorRect_ = info.CursorRect;
  if (info.HideTimeout > 0)
    SetTimer(utilityWindow_, kHintHideTimer, static_cast<UINT>(info.HideTimeout), nullptr);
}
