#include "platform/gfx/PdfCanvas.h"

#include <cairo-pdf.h>

#include <algorithm>

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

// A page's drawing kept as drawing operations, in the sheet's points.
cairo_surface_t* NewRecording(const TDeviceCaps& caps) {
  const cairo_rectangle_t sheet{0, 0, Points(caps.PhysicalWidth, caps.LogPixelsX),
                                Points(caps.PhysicalHeight, caps.LogPixelsY)};
  return cairo_recording_surface_create(CAIRO_CONTENT_COLOR_ALPHA, &sheet);
}

}  // namespace

gfx::PdfBuffer::PdfBuffer(const TDeviceCaps& caps, const AnsiString& title)
    : document(cairo_pdf_surface_create_for_stream(Append, &bytes,
                                                   Points(caps.PhysicalWidth, caps.LogPixelsX),
                                                   Points(caps.PhysicalHeight, caps.LogPixelsY))) {
  if (!title.empty())
    cairo_pdf_surface_set_metadata(document, CAIRO_PDF_METADATA_TITLE, cp1253::ToUtf8(title).c_str());
}

gfx::PdfBuffer::~PdfBuffer() { cairo_surface_destroy(document); }

TPdfCanvas::TPdfCanvas(const TDeviceCaps& caps, const AnsiString& title, int copies, bool collate)
    : PdfBuffer(caps, title),
      TCairoCanvas(copies > 1 ? SurfaceHolder{NewRecording(caps)}.s : document, caps,
                   caps.LogPixelsX > 0 ? 72.0 / caps.LogPixelsX : 1,
                   caps.LogPixelsY > 0 ? 72.0 / caps.LogPixelsY : 1, false),
      copies_(std::max(1, copies)),
      collate_(collate) {
  originX_ = caps.PhysicalOffsetX;
  originY_ = caps.PhysicalOffsetY;
  ResetContext();
  KeepTrackOfInk(true);
}

TPdfCanvas::~TPdfCanvas() {
  for (cairo_surface_t* page : recorded_) cairo_surface_destroy(page);
}

void TPdfCanvas::NewPage() {
  if (finished_) return;
  if (Recording()) {
    recorded_.push_back(cairo_surface_reference(surface_));
    cairo_destroy(cr_);
    cairo_surface_destroy(surface_);
    surface_ = NewRecording(DeviceCaps());
    cr_ = cairo_create(surface_);
  } else {
    cairo_show_page(cr_);
  }
  ++pages_;
  SelectClipRgn(nullptr);
  ResetContext();
}

void TPdfCanvas::PlayRecordings() {
  recorded_.push_back(cairo_surface_reference(surface_));
  cairo_t* out = cairo_create(document);
  const auto play = [&](cairo_surface_t* page) {
    cairo_set_source_surface(out, page, 0, 0);
    cairo_paint(out);
    cairo_show_page(out);
  };
  if (collate_) {
    for (int copy = 0; copy < copies_; ++copy)
      for (cairo_surface_t* page : recorded_) play(page);
  } else {
    for (cairo_surface_t* page : recorded_)
      for (int copy = 0; copy < copies_; ++copy) play(page);
  }
  cairo_destroy(out);
}

std::string TPdfCanvas::Finish() {
  if (finished_) return bytes;
  finished_ = true;
  if (Recording()) {
    PlayRecordings();
  } else {
    // Shown explicitly, so that a last page left blank is still a page.
    cairo_show_page(cr_);
  }
  cairo_surface_finish(document);
  if (cairo_surface_status(document) != CAIRO_STATUS_SUCCESS) return {};
  return bytes;
}
