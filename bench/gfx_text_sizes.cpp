// LIBS: platform_gfx
// Measuring text at many sizes, as rich text and metafiles ask for it: a
// line in the program's code page and one with letters outside it,
// measured at a size new to the font cache or at one of a few it keeps.
// The yardstick is the same measuring with pango called the plain way: a
// layout of each text in a font description at the size.

#include <benchmark/benchmark.h>
#include <pango/pangocairo.h>

#include <string>

#include "platform/gfx/CairoCanvas.h"

namespace {

const AnsiString& CodePageLine() {
  static const AnsiString line = cp1253::FromUtf8(
      "Προσφορά μειοδότη 2004: έκπτωση 12,5% επί του προϋπολογισμού, total 1.234.567,89 EUR");
  return line;
}

const WideString& WideLine() {
  static const WideString line =
      u"Café, naïve façade — €12,50; Ÿves Müller & Søren Åberg, Łódź, Ærø: déjà vu à la carte";
  return line;
}

// More sizes than the font cache holds: every size comes back evicted.
constexpr int kNewSizes = 6000;
// As many as a document of a few fonts uses.
constexpr int kKnownSizes = 24;

int HeightAt(int64_t i, int ring) { return -(8 + static_cast<int>(i % ring)); }

void MeasureOwn(benchmark::State& state, int ring) {
  TImageCanvas canvas(1, 1);
  canvas.Font->Name = "Arial";
  int64_t i = 0;
  for (auto _ : state) {
    canvas.Font->SetHeight(HeightAt(i++, ring));
    benchmark::DoNotOptimize(canvas.TextWidth(CodePageLine()));
    benchmark::DoNotOptimize(canvas.TextWidthW(WideLine()));
  }
  state.SetItemsProcessed(state.iterations());
}

struct PlainPango {
  PlainPango() : context(pango_font_map_create_context(pango_cairo_font_map_get_default())) {}
  ~PlainPango() { g_object_unref(context); }
  int Width(const std::string& utf8, int height) {
    PangoFontDescription* font = pango_font_description_from_string("Arial");
    pango_font_description_set_absolute_size(font, -height * PANGO_SCALE);
    PangoLayout* layout = pango_layout_new(context);
    pango_layout_set_font_description(layout, font);
    pango_layout_set_text(layout, utf8.c_str(), -1);
    int width = 0, h = 0;
    pango_layout_get_pixel_size(layout, &width, &h);
    g_object_unref(layout);
    pango_font_description_free(font);
    return width;
  }
  PangoContext* context;
};

void MeasurePlain(benchmark::State& state, int ring) {
  PlainPango pango;
  const std::string line = cp1253::ToUtf8(CodePageLine());
  const std::string wide = cp1253::WideToUtf8(WideLine());
  int64_t i = 0;
  for (auto _ : state) {
    const int height = HeightAt(i++, ring);
    benchmark::DoNotOptimize(pango.Width(line, height));
    benchmark::DoNotOptimize(pango.Width(wide, height));
  }
  state.SetItemsProcessed(state.iterations());
}

void BM_MeasureAtNewSizes(benchmark::State& state) { MeasureOwn(state, kNewSizes); }
void BM_MeasureAtNewSizesPlainPango(benchmark::State& state) { MeasurePlain(state, kNewSizes); }
void BM_MeasureAtKnownSizes(benchmark::State& state) { MeasureOwn(state, kKnownSizes); }
void BM_MeasureAtKnownSizesPlainPango(benchmark::State& state) { MeasurePlain(state, kKnownSizes); }

BENCHMARK(BM_MeasureAtNewSizes)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_MeasureAtNewSizesPlainPango)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_MeasureAtKnownSizes)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_MeasureAtKnownSizesPlainPango)->Unit(benchmark::kMicrosecond);

}  // namespace
