// The runtime library's tick count, alone in its object file: the window
// layer defines its own (following the test backend's clock), and a program
// that links both must not get this one pulled in with the date routines.

#include <chrono>

#include "platform/rtl/SysUtils.h"

Cardinal GetTickCount() {
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
      std::chrono::steady_clock::now().time_since_epoch());
  return static_cast<Cardinal>(ms.count());
}
