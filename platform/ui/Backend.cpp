#include "platform/ui/Backend.h"

#include "platform/rtl/SysUtils.h"
#include "platform/ui/Dialogs.h"

namespace {
// Never destroyed, with the backend in it: a control a program keeps in a
// static may die after every other static and still leaves its window.
std::unique_ptr<TBackend>& Installed() {
  static auto* backend = new std::unique_ptr<TBackend>;
  return *backend;
}
}  // namespace

int TBackend::MessageBox(const AnsiString& text, const AnsiString& caption, UINT flags) {
  return ShowMessageForm(text, caption, flags);
}

void TBackend::ShowErrorBox(const AnsiString& text, const AnsiString& caption) {
  MessageBox(text, caption, MB_OK | MB_ICONERROR);
}

TBackend& Backend() {
  if (!Installed()) throw EInvalidOperation("No window backend is installed");
  return *Installed();
}

bool HasBackend() { return Installed() != nullptr; }

void SetBackend(std::unique_ptr<TBackend> b) { Installed() = std::move(b); }

namespace {
void (*installedChooser)() = nullptr;
}

void SetBackendChooser(void (*chooser)()) { installedChooser = chooser; }

void RunBackendChooser() {
  if (installedChooser) installedChooser();
}
