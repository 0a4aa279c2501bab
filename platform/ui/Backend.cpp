#include "platform/ui/Backend.h"

#include "platform/rtl/SysUtils.h"

namespace {
std::unique_ptr<TBackend>& Installed() {
  static std::unique_ptr<TBackend> backend;
  return backend;
}
}  // namespace

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
