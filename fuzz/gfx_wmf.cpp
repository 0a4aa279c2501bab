// LIBS: platform_gfx
// Windows metafiles: any bytes become a sound enhanced metafile and draw,
// or are refused; never a crash, a hang or a wild allocation.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/gfx/CairoCanvas.h"
#include "platform/gfx/Metafile.h"
#include "platform/gfx/WinMetafile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view wmf(reinterpret_cast<const char*>(data), size);
  if (!LooksLikeWinMetafile(wmf)) return 0;
  std::string emf;
  try {
    emf = EnhMetafileFromWinMetafile(wmf);
  } catch (const EInvalidGraphic&) {
    return 0;
  }
  // What it makes is always a whole metafile of its own kind.
  TMetafile metafile;
  metafile.SetData(emf);  // raises, and so fails the run, if it is not
  static TImageCanvas canvas(64, 48);
  PlayEnhMetafile(canvas, emf, Rect(0, 0, 64, 48));
  return 0;
}
