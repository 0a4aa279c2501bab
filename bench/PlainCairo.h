#pragma once
// What the report benchmarks measure themselves against: a plain cairo and
// pango program writing text onto A4 PDF pages at 600 dots per inch, in
// Arial 10 points, positions in 0.1 mm.

#include <cairo-pdf.h>
#include <pango/pangocairo.h>

#include <string>

#include "platform/rtl/Cp1253.h"

namespace {

class PlainPdf {
 public:
  explicit PlainPdf(const char* path)
      : surface_(cairo_pdf_surface_create(path, 595.28, 841.89)), cr_(cairo_create(surface_)) {
    cairo_scale(cr_, 72.0 / 600, 72.0 / 600);
    layout_ = pango_cairo_create_layout(cr_);
    font_ = pango_font_description_from_string("Arial");
    pango_font_description_set_absolute_size(font_, 10 * 600 / 72.0 * PANGO_SCALE);
    pango_layout_set_font_description(layout_, font_);
  }
  ~PlainPdf() {
    pango_font_description_free(font_);
    g_object_unref(layout_);
    cairo_destroy(cr_);
    cairo_surface_destroy(surface_);
  }
  PlainPdf(const PlainPdf&) = delete;
  PlainPdf& operator=(const PlainPdf&) = delete;

  void Text(int x, int y, const AnsiString& text) {
    cairo_move_to(cr_, x * 600 / 254.0, y * 600 / 254.0);
    pango_layout_set_text(layout_, cp1253::ToUtf8(text).c_str(), -1);
    pango_cairo_show_layout(cr_, layout_);
  }
  void EndPage() { cairo_show_page(cr_); }

 private:
  cairo_surface_t* surface_;
  cairo_t* cr_;
  PangoLayout* layout_;
  PangoFontDescription* font_;
};

}  // namespace
