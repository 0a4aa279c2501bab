#include "platform/backend/headless/Headless.h"

#include <algorithm>

#include "platform/ui/Application.h"
#include "platform/ui/Forms.h"
#include "platform/ui/Input.h"
#include "platform/ui/MessageLoop.h"
#include "platform/ui/WindowManager.h"

namespace {
// The top-level window of a control and the control's point in it.
TWinControl* WindowPoint(TControl& control, int x, int y, TPoint& at) {
  TWinControl* top = control.TopLevel();
  if (!top) return nullptr;
  const TPoint screen = control.ClientToScreen(Point(x, y));
  at = Point(screen.X - top->Left(), screen.Y - top->Top());
  return top;
}
}  // namespace

void THeadlessBackend::Advance(DWORD ms) {
  const DWORD target = now_ + ms;
  ui::PumpMessages();
  for (;;) {
    DWORD due = 0;
    if (!ui::NextTimerDue(due)) break;
    // Timers already due were handled by the pump; stop at the next one
    // only while it lies within the step.
    if (static_cast<std::int32_t>(due - now_) <= 0) due = now_ + 1;
    if (static_cast<std::int32_t>(target - due) < 0) break;
    now_ = due;
    ui::PumpMessages();
  }
  now_ = target;
  ui::PumpMessages();
}

void THeadlessBackend::ExpectMessageBox(const AnsiString& textPart, int answer) {
  script_.push_back(Answer{textPart, answer, nullptr});
}

bool THeadlessBackend::TakeAnswer(const AnsiString& text, Answer& answer) {
  if (script_.empty()) {
    UnexpectedDialogs.push_back(text);
    return false;
  }
  answer = script_.front();
  if (!answer.TextPart.empty() && text.find(answer.TextPart) == AnsiString::npos) {
    UnexpectedDialogs.push_back(text);
    return false;
  }
  script_.pop_front();
  return true;
}

int THeadlessBackend::MessageBox(const AnsiString& text, const AnsiString& caption, UINT flags) {
  Answer answer;
  int result;
  if (TakeAnswer(text, answer)) {
    result = answer.Result;
  } else {
    // Nobody scripted this box: answer as closing it would, so the program
    // takes its most careful branch while the test reports the surprise.
    const UINT kind = flags & MB_TYPEMASK;
    result = (kind == MB_OK) ? IDOK : (kind == MB_YESNO ? IDNO : IDCANCEL);
  }
  MessageBoxes.push_back(ShownBox{text, caption, flags, result});
  return result;
}

void THeadlessBackend::ShowErrorBox(const AnsiString& text, const AnsiString& caption) {
  // Like any other box, the error box must be expected by the script: an
  // exception a test did not foresee fails it, naming the message.
  Answer answer;
  TakeAnswer(text, answer);
  ErrorBoxes.push_back(ShownBox{text, caption, MB_OK | MB_ICONERROR, IDOK});
}

bool THeadlessBackend::ShellOpen(const AnsiString& verb, const AnsiString& file,
                                 const AnsiString& parameters) {
  ShellRequests.push_back(ShellRequest{verb, file, parameters});
  return ShellAccepts;
}

bool THeadlessBackend::StartProcess(const AnsiString& commandLine) {
  ProcessRequests.push_back(commandLine);
  return ShellAccepts;
}

void THeadlessBackend::ExpectModal(const AnsiString& textPart, int result) {
  script_.push_back(Answer{textPart, result, nullptr});
}

void THeadlessBackend::ExpectModal(const AnsiString& textPart, std::function<void(TCustomForm&)> drive) {
  script_.push_back(Answer{textPart, 0, std::move(drive)});
}

bool THeadlessBackend::BeginModal(TCustomForm& form) {
  Answer answer;
  if (!TakeAnswer(form.Caption(), answer)) return false;
  if (answer.Drive)
    answer.Drive(form);
  else
    form.SetModalResult(answer.Result);
  return true;
}

bool THeadlessBackend::DriveMenu(TWinControl& menuWindow) {
  if (menuScript_.empty()) {
    UnexpectedDialogs.push_back("popup menu left open");
    return false;
  }
  auto drive = std::move(menuScript_.front());
  menuScript_.pop_front();
  drive(menuWindow);
  return true;
}

void THeadlessBackend::ModalStalled(TCustomForm& form) {
  UnexpectedDialogs.push_back("modal form left open: " + form.Caption());
}

void THeadlessBackend::WindowShown(TWinControl& window) {
  if (std::find(Windows.begin(), Windows.end(), &window) == Windows.end()) Windows.push_back(&window);
}

void THeadlessBackend::WindowHidden(TWinControl& window) { std::erase(Windows, &window); }

const TImageCanvas* THeadlessBackend::Render(TWinControl& window) {
  ui::PaintTopLevel(&window);
  ui::PresentPending();
  ui::TWindowSurface* s = ui::SurfaceOf(&window);
  return s ? s->Image.get() : nullptr;
}

void THeadlessBackend::SaveWindowPng(TWinControl& window, const std::string& fileName) {
  const TImageCanvas* image = Render(window);
  if (!image) throw EInvalidOperation("The window is not showing");
  image->SaveToPng(fileName);
}

void THeadlessBackend::KeyDown(Word vk, bool extended) {
  ui::input::KeyDown(vk, extended);
  ui::PumpMessages();
}

void THeadlessBackend::KeyUp(Word vk, bool extended) {
  ui::input::KeyUp(vk, extended);
  ui::PumpMessages();
}

void THeadlessBackend::PressKey(Word vk, TShiftState shift, bool extended) {
  if (shift.Contains(ssShift)) ui::input::KeyDown(VK_SHIFT);
  if (shift.Contains(ssCtrl)) ui::input::KeyDown(VK_CONTROL);
  if (shift.Contains(ssAlt)) ui::input::KeyDown(VK_MENU);
  ui::input::KeyDown(vk, extended);
  // The character a key types follows its key-down, as the system's
  // translation makes it.
  char ch = 0;
  if (vk == VK_RETURN)
    ch = ui::input::ReturnCharacter(shift.Contains(ssCtrl));
  else if (vk == VK_TAB || vk == VK_BACK || vk == VK_ESCAPE)
    ch = static_cast<char>(vk == VK_TAB ? '\t' : vk == VK_BACK ? '\b' : '\x1b');
  else if (shift.Contains(ssCtrl) && vk >= 'A' && vk <= 'Z')
    ch = static_cast<char>(vk - 'A' + 1);
  else if (vk == VK_DECIMAL)
    ch = '.';
  else if (vk >= VK_NUMPAD0 && vk <= VK_NUMPAD9)
    ch = static_cast<char>('0' + (vk - VK_NUMPAD0));
  else if (shift.Contains(ssAlt) && ((vk >= 'A' && vk <= 'Z') || (vk >= '0' && vk <= '9')))
    ch = static_cast<char>(vk >= 'A' && !shift.Contains(ssShift) ? vk + 32 : vk);
  if (ch != 0 && !(vk == VK_TAB && shift.Contains(ssCtrl))) ui::input::Char(ch, vk);
  ui::input::KeyUp(vk, extended);
  if (shift.Contains(ssAlt)) ui::input::KeyUp(VK_MENU);
  if (shift.Contains(ssCtrl)) ui::input::KeyUp(VK_CONTROL);
  if (shift.Contains(ssShift)) ui::input::KeyUp(VK_SHIFT);
  ui::PumpMessages();
}

void THeadlessBackend::Type(const AnsiString& text) {
  for (char ch : text) {
    bool shifted = false;
    const Word vk = ui::input::VkOfChar(ch, &shifted);
    if (vk == 0) {
      ui::input::Char(ch, 0);
    } else {
      if (shifted) ui::input::KeyDown(VK_SHIFT);
      ui::input::KeyDown(vk);
      ui::input::Char(ch, vk);
      ui::input::KeyUp(vk);
      if (shifted) ui::input::KeyUp(VK_SHIFT);
    }
    ui::PumpMessages();
  }
}

void THeadlessBackend::TypeWide(const WideString& text) {
  for (char16_t unit : text) {
    ui::input::WideChar(unit);
    ui::PumpMessages();
  }
}

void THeadlessBackend::MoveMouse(TControl& control, int x, int y) {
  TPoint at;
  if (TWinControl* top = WindowPoint(control, x, y, at)) ui::input::MouseMove(top, at.X, at.Y);
  ui::PumpMessages();
}

void THeadlessBackend::PressMouse(TControl& control, int x, int y, int button) {
  TPoint at;
  if (TWinControl* top = WindowPoint(control, x, y, at)) {
    ui::input::MouseMove(top, at.X, at.Y);
    ui::input::MouseButton(top, button, true, at.X, at.Y);
  }
  ui::PumpMessages();
}

void THeadlessBackend::ReleaseMouse(TControl& control, int x, int y, int button) {
  TPoint at;
  if (TWinControl* top = WindowPoint(control, x, y, at))
    ui::input::MouseButton(top, button, false, at.X, at.Y);
  ui::PumpMessages();
}

void THeadlessBackend::Click(TControl& control, int x, int y, int button) {
  PressMouse(control, x, y, button);
  ReleaseMouse(control, x, y, button);
}

void THeadlessBackend::DoubleClick(TControl& control, int x, int y) {
  Click(control, x, y);
  Click(control, x, y);
}

void THeadlessBackend::Wheel(TControl& control, int notches, int x, int y) {
  TPoint at;
  if (TWinControl* top = WindowPoint(control, x, y, at))
    ui::input::MouseWheel(top, notches * WHEEL_DELTA, at.X, at.Y);
  ui::PumpMessages();
}

void THeadlessBackend::DropFiles(TControl& control, int x, int y, const std::vector<AnsiString>& files) {
  TPoint at;
  if (TWinControl* top = WindowPoint(control, x, y, at)) ui::input::DropFiles(top, at.X, at.Y, files);
  ui::PumpMessages();
}

void THeadlessBackend::ActivateWindow(TCustomForm& form) {
  if (ui::InputAllowed(&form)) form.Show();
  ui::PumpMessages();
}

void THeadlessBackend::ResizeWindow(TWinControl& window, int width, int height) {
  ui::input::ResizeWindow(&window, width, height);
  ui::PumpMessages();
}

THeadlessBackend& InstallHeadlessBackend() {
  auto backend = std::make_unique<THeadlessBackend>();
  THeadlessBackend& ref = *backend;
  SetBackend(std::move(backend));
  ui::ResetThreadState();
  ui::ClearKeyboardState();
  if (Application) Application->ResetState();
  return ref;
}
