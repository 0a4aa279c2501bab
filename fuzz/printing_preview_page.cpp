// LIBS: printing_forms platform_gfx
// A preview page file as it lies on disk, compressed: inflated, loaded as
// a metafile and played onto a canvas, whatever bytes it holds.
#include <cstddef>
#include <cstdint>

#include "platform/gfx/RecordingCanvas.h"
#include "platform/rtl/SysUtils.h"
#include "printing/RichPreview.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  TMemoryStream packed, plain;
  packed.WriteBuffer(data, static_cast<int>(size));
  packed.SetPosition(0);
  try {
    TCompress(&packed, &plain).Decompress();
  } catch (const Exception&) {
  }
  if (plain.Size() > (64 << 20)) return 0;
  plain.SetPosition(0);
  TMetafile page;
  try {
    page.LoadFromStream(plain);
  } catch (const Exception&) {
    return 0;
  }
  TRecordingCanvas canvas;
  page.Draw(canvas, TRect{0, 0, 200, 280});
  return 0;
}
