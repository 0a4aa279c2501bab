#include "platform/backend/Backends.h"

#include <cstdlib>
#include <cstring>

#include "platform/backend/headless/Headless.h"
#include "platform/backend/screen/Screen.h"

namespace {
bool DisplayPresent() {
  const char* x = std::getenv("DISPLAY");
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  return (x && *x) || (wayland && *wayland);
}
}  // namespace

void InstallDefaultBackend() {
  SetBackendChooser(&InstallDefaultBackend);
  if (HasBackend()) return;
  const char* wanted = std::getenv("DIM_BACKEND");
  const bool headless = wanted && std::strcmp(wanted, "headless") == 0;
  const bool screen = wanted && std::strcmp(wanted, "screen") == 0;
  if (!headless && (screen || DisplayPresent())) {
    try {
      SetBackend(std::make_unique<TScreenBackend>());
      return;
    } catch (const Exception&) {
      if (screen) throw;  // asked for the screen: say why it cannot be had
    }
  }
  InstallHeadlessBackend();
}
