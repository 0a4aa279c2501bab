// LIBS: grid_controls platform_backend
// Mini-HTML drawing: any bytes as markup, with bounds, mouse and switches
// taken from the first bytes, lay out, draw and hit-test on a recording
// canvas without crash or hang, and never draw outside the bounds.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "HtmlPictureSources.h"
#include "grid/EsgHTMLE.h"
#include "platform/gfx/RecordingCanvas.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 6) return 0;
  TImageList* images = FuzzImageList();
  TPictureContainer* container = FuzzPictureContainer();
  const unsigned switches = data[0] | (data[1] << 8);
  const TRect bounds{data[2] % 16, data[3] % 16, 20 + data[4], 10 + data[5]};
  const int mouseX = data[2], mouseY = data[4] % 64;
  const std::string text(reinterpret_cast<const char*>(data + 6), size - 6);
  TRecordingCanvas canvas(400, 300);
  canvas.Font->Name = "Arial";
  const TFont font = *canvas.Font;
  THTMLPictureCache cache;
  AnsiString hit, plain, href, id, value, type;
  int ex = 0, ey = 0, count = 0, number = 0;
  TRect anchorRect, controlRect;
  auto bit = [&](int n) { return (switches >> n) & 1; };
  HTMLDraw(canvas, text, bounds, images, mouseX, mouseY, bit(0) ? 0 : -1, bit(1) ? 1 : -1, 1, bit(2), bit(3),
           bit(4), bit(5), bit(6), bit(7), bit(8), bit(9), 1.5, clBlue, bit(10) ? clYellow : clNone,
           bit(11) ? clRed : clNone, clGray, hit, plain, href, ex, ey, count, number, anchorRect, controlRect,
           id, value, type, bit(12) ? &cache : nullptr, container, nullptr);
  for (const TDrawCall& call : canvas.Calls) {
    if (call.Op == "DrawText") continue;
    if (!call.Clip) std::abort();
    for (const TRect& r : *call.Clip)
      if (r.Left < bounds.Left || r.Top < bounds.Top || r.Right > bounds.Right || r.Bottom > bounds.Bottom)
        std::abort();
  }
  if (!(*canvas.Font == font)) std::abort();
  return 0;
}
