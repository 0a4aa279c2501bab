// LIBS: platform_gfx
// JPEG reading through libjpeg with the throwing error handler.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/gfx/Jpeg.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  TJPEGImage jpeg;
  try {
    jpeg.LoadFromBytes(std::string_view(reinterpret_cast<const char*>(data), size));
  } catch (const EInvalidGraphic&) {
  }
  return 0;
}
