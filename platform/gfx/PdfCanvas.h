#pragma once
// The canvas on PDF pages: device units are printer dots, text is real
// text (with its Unicode mapping, so it can be found and copied).

#include <string>

#include "platform/gfx/CairoCanvas.h"

namespace gfx {
// The bytes the PDF surface writes; a base of the canvas so that it exists
// before the surface does.
struct PdfBuffer {
  std::string bytes;
};
}  // namespace gfx

class TPdfCanvas : private gfx::PdfBuffer, public TCairoCanvas {
 public:
  // Caps give the resolution, the sheet (PHYSICALWIDTH/HEIGHT) and the
  // printable area's offset on it (PHYSICALOFFSETX/Y).
  explicit TPdfCanvas(const TDeviceCaps& caps, const AnsiString& title = {});
  // Ends the page being drawn and starts the next; the canvas keeps its
  // font, pen and brush, and loses its clipping.
  void NewPage();
  int PageCount() const { return pages_; }
  // Ends the document and gives the file's bytes; empty when cairo failed.
  // Drawing afterwards goes nowhere.
  std::string Finish();

 private:
  int pages_ = 1;
  bool finished_ = false;
};
