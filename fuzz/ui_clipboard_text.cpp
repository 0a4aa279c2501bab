// LIBS: platform_ui
// Clipboard text from other programs: any bytes become program text with
// CR LF line ends, and go back out with the same number of lines.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "platform/rtl/Cp1253.h"
#include "platform/ui/Clipbrd.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view outside(reinterpret_cast<const char*>(data), size);
  const AnsiString inside = ui::ClipboardTextFromSystem(outside);
  // Inside, every line ends in CR LF.
  for (std::size_t i = 0; i < inside.size(); ++i)
    if (inside[i] == '\n' && (i == 0 || inside[i - 1] != '\r')) std::abort();
  const std::string back = ui::ClipboardTextToSystem(inside);
  if (std::count(back.begin(), back.end(), '\n') != std::count(outside.begin(), outside.end(), '\n'))
    std::abort();
  return 0;
}
