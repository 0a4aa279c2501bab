// LIBS: platform_gfx
// Icon reading, PNG images inside icons included.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/gfx/Bitmap.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  TIcon icon;
  try {
    icon.LoadFromBytes(std::string_view(reinterpret_cast<const char*>(data), size));
  } catch (const EInvalidGraphic&) {
  }
  return 0;
}
