// LIBS: platform_ui
// A screen of grid cells painted through a control's canvas onto a
// window's pixels, as a grid's paint draws them: for each cell the clip
// narrowed to the cell, its background, the lines on its right and below
// it, and (in the second pair) its text on one line. The yardsticks do the
// same work the plain way: cairo on an image, a clip per cell, the fills as
// rectangles and the text as a pango layout line.
#include <benchmark/benchmark.h>
#include <pango/pangocairo.h>

#include <cstdio>
#include <string>

#include "platform/gfx/CairoCanvas.h"
#include "platform/rtl/Cp1253.h"
#include "platform/ui/ControlCanvas.h"

namespace {

constexpr int kWidth = 800, kHeight = 360, kCellWidth = 64, kCellHeight = 24;
constexpr int kCols = kWidth / (kCellWidth + 1), kRows = kHeight / (kCellHeight + 1);

AnsiString CellText(int col, int row) {
  char text[32];
  std::snprintf(text, sizeof text, "%d,%02d kg", col * 100 + row, row);
  return text;
}

void PaintCells(TCanvas& c, bool withText) {
  for (int row = 0; row < kRows; ++row)
    for (int col = 0; col < kCols; ++col) {
      const TRect cell = Bounds(col * (kCellWidth + 1), row * (kCellHeight + 1), kCellWidth, kCellHeight);
      const int saved = c.SaveDC();
      c.IntersectClipRect(Rect(cell.Left, cell.Top, cell.Right + 1, cell.Bottom + 1));
      c.Brush->Style = bsSolid;
      c.Brush->Color = (row + col) % 5 == 0 ? clHighlight : clWindow;
      c.FillRect(cell);
      c.Brush->Color = clSilver;
      c.FillRect(Rect(cell.Right, cell.Top, cell.Right + 1, cell.Bottom + 1));
      c.FillRect(Rect(cell.Left, cell.Bottom, cell.Right, cell.Bottom + 1));
      if (withText) {
        TRect text = Rect(cell.Left + 2, cell.Top + 2, cell.Right - 2, cell.Bottom);
        c.Brush->Style = bsClear;
        c.DrawText(CellText(col, row), text, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_RIGHT);
      }
      c.RestoreDC(saved);
    }
}

void PaintThroughControlCanvas(benchmark::State& state, bool withText) {
  TImageCanvas window(kWidth + 20, kHeight + 20);
  for (auto _ : state) {
    TControlCanvas canvas(window, Point(10, 10), Rect(10, 10, kWidth + 10, kHeight + 10),
                          TSize{kWidth, kHeight});
    canvas.SelectClipRect(Rect(0, 0, kWidth, kHeight));
    PaintCells(canvas, withText);
  }
  benchmark::DoNotOptimize(window.Pixel(20, 20));
  state.SetItemsProcessed(state.iterations() * kCols * kRows);
}

// The plain way: one cairo context on an image, the same clips and fills.
class PlainCells {
 public:
  PlainCells()
      : surface_(cairo_image_surface_create(CAIRO_FORMAT_RGB24, kWidth + 20, kHeight + 20)),
        cr_(cairo_create(surface_)),
        layout_(pango_cairo_create_layout(cr_)) {
    cairo_set_antialias(cr_, CAIRO_ANTIALIAS_NONE);
    PangoFontDescription* font = pango_font_description_from_string("MS Sans Serif");
    pango_font_description_set_absolute_size(font, 11 * PANGO_SCALE);
    pango_layout_set_font_description(layout_, font);
    pango_font_description_free(font);
  }
  ~PlainCells() {
    g_object_unref(layout_);
    cairo_destroy(cr_);
    cairo_surface_destroy(surface_);
  }
  PlainCells(const PlainCells&) = delete;
  PlainCells& operator=(const PlainCells&) = delete;

  void Paint(bool withText) {
    for (int row = 0; row < kRows; ++row)
      for (int col = 0; col < kCols; ++col) {
        const int left = 10 + col * (kCellWidth + 1), top = 10 + row * (kCellHeight + 1);
        cairo_save(cr_);
        cairo_rectangle(cr_, left, top, kCellWidth + 1, kCellHeight + 1);
        cairo_clip(cr_);
        Fill(left, top, kCellWidth, kCellHeight, (row + col) % 5 == 0 ? 0x6A240A : 0xFFFFFF);
        Fill(left + kCellWidth, top, 1, kCellHeight + 1, 0xC0C0C0);
        Fill(left, top + kCellHeight, kCellWidth, 1, 0xC0C0C0);
        if (withText) {
          const std::string utf8 = cp1253::ToUtf8(CellText(col, row));
          pango_layout_set_text(layout_, utf8.c_str(), -1);
          int width = 0, height = 0;
          pango_layout_get_pixel_size(layout_, &width, &height);
          cairo_set_source_rgb(cr_, 0, 0, 0);
          cairo_move_to(cr_, left + kCellWidth - 2 - width, top + (kCellHeight - height) / 2);
          pango_cairo_show_layout(cr_, layout_);
        }
        cairo_restore(cr_);
      }
  }

 private:
  void Fill(int x, int y, int w, int h, unsigned bgr) {
    cairo_set_source_rgb(cr_, (bgr & 0xFF) / 255.0, ((bgr >> 8) & 0xFF) / 255.0,
                         ((bgr >> 16) & 0xFF) / 255.0);
    cairo_rectangle(cr_, x, y, w, h);
    cairo_fill(cr_);
  }

  cairo_surface_t* surface_;
  cairo_t* cr_;
  PangoLayout* layout_;
};

void PaintPlain(benchmark::State& state, bool withText) {
  PlainCells plain;
  for (auto _ : state) plain.Paint(withText);
  state.SetItemsProcessed(state.iterations() * kCols * kRows);
}

void BM_CellFills(benchmark::State& state) { PaintThroughControlCanvas(state, false); }
BENCHMARK(BM_CellFills)->Unit(benchmark::kMicrosecond);

void BM_CellFillsYardstick(benchmark::State& state) { PaintPlain(state, false); }
BENCHMARK(BM_CellFillsYardstick)->Unit(benchmark::kMicrosecond);

void BM_CellFillsAndTexts(benchmark::State& state) { PaintThroughControlCanvas(state, true); }
BENCHMARK(BM_CellFillsAndTexts)->Unit(benchmark::kMicrosecond);

void BM_CellFillsAndTextsYardstick(benchmark::State& state) { PaintPlain(state, true); }
BENCHMARK(BM_CellFillsAndTextsYardstick)->Unit(benchmark::kMicrosecond);

}  // namespace
