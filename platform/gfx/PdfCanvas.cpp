#include "platform/gfx/PdfCanvas.h"

#include <cairo-pdf.h>

namespace {

cairo_status_t Append(void* closure, const unsigned char* data, unsigned int length) {
  static_cast<std::string*>(closure)->append(reinterpret_cast<const char*>(data), length);
  return CAIRO_STATUS_SUCCESS;
}

double Points(int dots, int dpi) { return dpi > 0 ? dots * 72.0 / dpi : 0; }

struct SurfaceHolder {
  cairo_surface_t* s;
  ~SurfaceHolder() { cairo_surface_destroy(s); }
};

cairo_surface_t* NewPdf(std::string* out, const TDeviceCaps& caps, const AnsiString& title) {
  cairo_surface_t* s = cairo_pdf_surface_create_for_stream(
      Append, out, Points(caps.PhysicalWidth, caps.LogPixelsX), Points(caps.PhysicalHeight, caps.LogPixelsY));
  if (!title.empty())
    cairo_pdf_surface_set_metadata(s, CAIRO_PDF_METADATA_TITLE, cp1253::ToUtf8(title).c_str());
  return s;
}

}  // namespace

TPdfCanvas::TPdfCanvas(const TDeviceCaps& caps, const AnsiString& title)
    : TCairoCanvas(SurfaceHolder{NewPdf(&bytes, caps, title)}.s, caps,
                   caps.LogPixelsX > 0 ? 72.0 / caps.LogPixelsX : 1,
                   caps.LogPixelsY > 0 ? 72.0 / caps.LogPixelsY : 1, false) {
  originX_ = caps.PhysicalOffsetX;
  originY_ = caps.PhysicalOffsetY;
  ResetContext();
}

void TPdfCanvas::NewPage() {
  if (finished_) return;
  cairo_show_page(cr_);
  ++pages_;
  SelectClipRgn(nullptr);
  ResetContext();
}

std::string TPdfCanvas::Finish() {
  if (finished_) return bytes;
  finished_ = true;
  // Shown explicitly, so that a last page left blank is still a page.
  cairo_show_page(cr_);
  cairo_surface_finish(surface_);
  if (cairo_surface_status(surface_) != CAIRO_STATUS_SUCCESS) return {};
  return bytes;
}
