#pragma once
// The canvas on PDF pages: device units are printer dots, text is real
// text (with its Unicode mapping, so it can be found and copied).

#include <string>
#include <vector>

#include "platform/gfx/CairoCanvas.h"

namespace gfx {
// The bytes the PDF surface writes and the surface itself; a base of the
// canvas so that both exist before the canvas draws.
struct PdfBuffer {
  PdfBuffer(const TDeviceCaps& caps, const AnsiString& title);
  ~PdfBuffer();
  PdfBuffer(const PdfBuffer&) = delete;
  PdfBuffer& operator=(const PdfBuffer&) = delete;
  std::string bytes;
  cairo_surface_t* document;
};
}  // namespace gfx

class TPdfCanvas : private gfx::PdfBuffer, public TCairoCanvas {
 public:
  // Caps give the resolution, the sheet (PHYSICALWIDTH/HEIGHT) and the
  // printable area's offset on it (PHYSICALOFFSETX/Y). With more than one
  // copy the file holds the pages that many times: the whole document
  // again and again when collated, else each page its copies in a row.
  explicit TPdfCanvas(const TDeviceCaps& caps, const AnsiString& title = {}, int copies = 1,
                      bool collate = false);
  ~TPdfCanvas() override;
  // Ends the page being drawn and starts the next; the canvas keeps its
  // font, pen and brush, and loses its clipping.
  void NewPage();
  // The pages drawn, each counted once.
  int PageCount() const { return pages_; }
  // Ends the document and gives the file's bytes; empty when cairo failed.
  // Drawing afterwards goes nowhere.
  std::string Finish();

 private:
  // The copies are drawn once, each page into a recording of its own,
  // and played into the file at the end.
  bool Recording() const { return copies_ > 1; }
  void PlayRecordings();

  int pages_ = 1;
  int copies_;
  bool collate_;
  bool finished_ = false;
  std::vector<cairo_surface_t*> recorded_;
};
