#pragma once
// What the report benchmarks measure themselves against: a plain cairo and
// pango program writing text onto A4 PDF pages at 600 dots per inch, in
// Arial 10 points, positions in 0.1 mm.

#include <cairo-pdf.h>
#include <pango/pangocairo.h>
#include <sys/stat.h>

#include <cmath>
#include <string>
#include <vector>

#include "platform/rtl/Cp1253.h"
#include "tests/platform/rtl/TempFolder.h"

namespace {

// The benchmark's files go into a folder of its own, gone when it ends, so
// two runs at once never write over each other's.
inline const std::string& BenchFolder() {
  static TempFolder folder;
  return folder.path();
}
inline std::string BenchFile(const std::string& name) { return BenchFolder() + "/" + name; }

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

// The plainest way cairo draws the same text: each character's glyph and
// advance come from a table made once from the font (no shaping), the
// glyphs are shown with their text, as the program's are, so that the PDF
// can be searched and copied, at positions summed from whole-dot advances
// (the font's own, or those given with the line).
class PlainGlyphPdf {
 public:
  // Size: the em in dots.
  explicit PlainGlyphPdf(const char* path, double size = 10 * 600 / 72.0)
      : surface_(cairo_pdf_surface_create(path, 595.28, 841.89)), cr_(cairo_create(surface_)) {
    cairo_scale(cr_, 72.0 / 600, 72.0 / 600);
    PangoFontMap* map = pango_cairo_font_map_get_default();
    PangoContext* context = pango_font_map_create_context(map);
    PangoFontDescription* description = pango_font_description_from_string("Arial");
    pango_font_description_set_absolute_size(description, size * PANGO_SCALE);
    PangoFont* font = pango_font_map_load_font(map, context, description);
    font_ = cairo_scaled_font_reference(pango_cairo_font_get_scaled_font(PANGO_CAIRO_FONT(font)));
    g_object_unref(font);
    pango_font_description_free(description);
    g_object_unref(context);
    cairo_font_extents_t extents;
    cairo_scaled_font_extents(font_, &extents);
    ascent_ = std::round(extents.ascent);
    for (int byte = 32; byte < 256; ++byte) {
      utf8_[byte] = cp1253::ToUtf8(AnsiString(1, static_cast<char>(byte)));
      cairo_glyph_t* glyphs = nullptr;
      int count = 0;
      cairo_scaled_font_text_to_glyphs(font_, 0, 0, utf8_[byte].data(), static_cast<int>(utf8_[byte].size()),
                                       &glyphs, &count, nullptr, nullptr, nullptr);
      if (count == 1) {
        glyph_[byte] = glyphs[0].index;
        cairo_text_extents_t e;
        cairo_scaled_font_glyph_extents(font_, glyphs, 1, &e);
        advance_[byte] = std::lround(e.x_advance);
      }
      cairo_glyph_free(glyphs);
    }
    cairo_set_scaled_font(cr_, font_);
  }
  ~PlainGlyphPdf() {
    cairo_scaled_font_destroy(font_);
    cairo_destroy(cr_);
    cairo_surface_destroy(surface_);
  }
  PlainGlyphPdf(const PlainGlyphPdf&) = delete;
  PlainGlyphPdf& operator=(const PlainGlyphPdf&) = delete;

  // At (X, Y) in 0.1 mm, the top of the line there.
  void Text(int x, int y, const AnsiString& text) { Glyphs(x * 600 / 254.0, y * 600 / 254.0, text, nullptr); }
  // At (X, Y) in dots, with the advance of each character in Dx.
  void Text(int x, int y, const AnsiString& text, const std::vector<int>& dx) {
    Glyphs(x, y, text, dx.size() == text.size() ? dx.data() : nullptr);
  }
  void EndPage() { cairo_show_page(cr_); }

 private:
  void Glyphs(double at, double top, const AnsiString& text, const int* dx) {
    glyphs_.clear();
    clusters_.clear();
    text_.clear();
    const double base = top + ascent_;
    for (size_t i = 0; i < text.size(); ++i) {
      const auto byte = static_cast<unsigned char>(text[i]);
      glyphs_.push_back({glyph_[byte], at, base});
      at += dx ? dx[i] : advance_[byte];
      text_ += utf8_[byte];
      clusters_.push_back({static_cast<int>(utf8_[byte].size()), 1});
    }
    cairo_show_text_glyphs(cr_, text_.data(), static_cast<int>(text_.size()), glyphs_.data(),
                           static_cast<int>(glyphs_.size()), clusters_.data(),
                           static_cast<int>(clusters_.size()), cairo_text_cluster_flags_t{});
  }

  cairo_surface_t* surface_;
  cairo_t* cr_;
  cairo_scaled_font_t* font_ = nullptr;
  double ascent_ = 0;
  unsigned long glyph_[256] = {};
  long advance_[256] = {};
  std::string utf8_[256];
  std::vector<cairo_glyph_t> glyphs_;
  std::vector<cairo_text_cluster_t> clusters_;
  std::string text_;
};

// The size of a file written, for the PDF size counters.
inline double FileBytes(const char* path) {
  struct stat st {};
  return stat(path, &st) == 0 ? static_cast<double>(st.st_size) : 0;
}

}  // namespace
