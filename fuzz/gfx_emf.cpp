// LIBS: platform_gfx
// The metafile player and record enumeration: any bytes are drawn as far as
// they are sound, or refused; never a crash, a hang or a wild allocation.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/gfx/CairoCanvas.h"
#include "platform/gfx/Metafile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view emf(reinterpret_cast<const char*>(data), size);
  static TImageCanvas canvas(64, 48);
  PlayEnhMetafile(canvas, emf, Rect(0, 0, 64, 48));
  PlayEnhMetafile(canvas, emf, Rect(60, 40, -30, 5));
  EnumEnhMetafile(emf, [](std::uint32_t, std::string_view record) {
    AnsiString text;
    TextOfRecord(record, text);
    return true;
  });
  return 0;
}
