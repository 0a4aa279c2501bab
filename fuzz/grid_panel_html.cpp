// LIBS: grid_controls platform_backend
// The panel's mini-HTML: any bytes as markup, with the rectangle, point and
// switches taken from the first bytes, drawn, measured and hit-tested on a
// recording canvas without crash or hang; drawing stays inside the
// rectangle, the canvas's font comes back, and a hit names an anchor.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "HtmlPictureSources.h"
#include "grid/ExtPanelHTML.h"
#include "platform/gfx/RecordingCanvas.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 6) return 0;
  TImageList* images = FuzzImageList();
  TPictureContainer* container = FuzzPictureContainer();
  const unsigned switches = data[0] | (data[1] << 8);
  const TRect rect{data[2] % 16, data[3] % 16, 20 + data[4], 10 + data[5]};
  const int x = data[2], y = data[4] % 64;
  const std::string text(reinterpret_cast<const char*>(data + 6), size - 6);
  auto bit = [&](int n) { return ((switches >> n) & 1) != 0; };
  THTMLPictureCache cache;
  for (bool measure : {false, true}) {
    TRecordingCanvas canvas(400, 300);
    canvas.Font->Name = "Arial";
    const TFont font = *canvas.Font;
    TPanelHTMLResult result;
    const bool hit = PanelHTMLDraw(
        canvas, text, rect, bit(0) ? images : nullptr, container, bit(1) ? &cache : nullptr, x, y, clGray,
        bit(2) ? clRed : clNone, bit(3) ? clYellow : clNone, clBlue, data[1] % 5, bit(4), bit(5) ? 0 : -1,
        bit(6) ? 0 : -1, bit(7) ? 2.0 : 1.0, bit(8), measure, !bit(9), bit(10), result);
    if (hit && result.AnchorIndex < 0) std::abort();
    if (!hit && (result.AnchorIndex != -1 || !result.Anchor.empty())) std::abort();
    if (result.Extent.cx < 0 || result.Extent.cy <= 0) std::abort();
    for (const TDrawCall& call : canvas.Calls) {
      if (measure && !(call.Op == "DrawText" && (call.Flags & DT_CALCRECT))) std::abort();  // nothing drawn
      if (call.Op == "DrawText") continue;
      if (!call.Clip) std::abort();
      for (const TRect& r : *call.Clip)
        if (r.Left < rect.Left || r.Top < rect.Top || r.Right > rect.Right || r.Bottom > rect.Bottom)
          std::abort();
    }
    if (!(*canvas.Font == font)) std::abort();
  }
  return 0;
}
