#include "platform/backend/headless/Headless.h"

#include "platform/ui/MessageLoop.h"

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
  script_.push_back(Answer{textPart, answer});
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
  ErrorBoxes.push_back(ShownBox{text, caption, MB_ICONERROR, IDOK});
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

THeadlessBackend& InstallHeadlessBackend() {
  auto backend = std::make_unique<THeadlessBackend>();
  THeadlessBackend& ref = *backend;
  SetBackend(std::move(backend));
  ui::ResetThreadState();
  return ref;
}
