// LIBS: platform_gfx
// BMP reading: any bytes give a bitmap or EInvalidGraphic, nothing else.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/gfx/Bitmap.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  TBitmap bitmap;
  try {
    bitmap.LoadFromBytes(std::string_view(reinterpret_cast<const char*>(data), size));
    bitmap.SaveToBytes();
  } catch (const EInvalidGraphic&) {
  }
  return 0;
}
