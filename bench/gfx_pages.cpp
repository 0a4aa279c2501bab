// LIBS: platform_gfx
// A report page of 66 lines of Greek text: drawn to PDF at 600 dots per
// inch, recorded as a metafile, and a metafile played back onto a screen
// image. Each reports pages per second.

#include <benchmark/benchmark.h>

#include "platform/gfx/Metafile.h"
#include "platform/gfx/PdfCanvas.h"

namespace {

constexpr int kLines = 66;

AnsiString LineText(int i) {
  return "Γραμμή "_a + IntToStr(i) + ": Προσφορά μειοδότη με έκπτωση 12,34% και ποσό 1.234.567,89 €"_a;
}

void DrawPage(TCanvas& c, int lineHeight, int left, int top) {
  c.Font->Name = "Courier New";
  c.Font->SetSize(10);
  c.Brush->Style = bsClear;
  for (int i = 0; i < kLines; ++i) c.TextOut(left, top + i * lineHeight, LineText(i + 1));
}

TMetafile RecordPage() {
  TMetafile mf;
  mf.SetWidth(794);
  mf.SetHeight(1123);
  TMetafileCanvas canvas(&mf);
  DrawPage(canvas, 16, 40, 24);
  return mf;
}

void BM_PageToPdf(benchmark::State& state) {
  TDeviceCaps a4;
  a4.LogPixelsX = a4.LogPixelsY = 600;
  a4.HorzRes = a4.PhysicalWidth = 4961;
  a4.VertRes = a4.PhysicalHeight = 7016;
  size_t bytes = 0;
  for (auto _ : state) {
    TPdfCanvas pdf(a4);
    DrawPage(pdf, 100, 250, 150);
    bytes = pdf.Finish().size();
    benchmark::DoNotOptimize(bytes);
  }
  state.counters["pages/s"] =
      benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
  state.counters["bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_PageToPdf)->Unit(benchmark::kMillisecond);

void BM_PageToEmf(benchmark::State& state) {
  size_t bytes = 0;
  for (auto _ : state) {
    TMetafile mf = RecordPage();
    bytes = mf.Data().size();
    benchmark::DoNotOptimize(bytes);
  }
  state.counters["pages/s"] =
      benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
  state.counters["bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_PageToEmf)->Unit(benchmark::kMillisecond);

void BM_EmfPlayedToImage(benchmark::State& state) {
  TMetafile mf = RecordPage();
  for (auto _ : state) {
    TImageCanvas image(794, 1123);
    benchmark::DoNotOptimize(PlayEnhMetafile(image, mf.Data(), Rect(0, 0, 794, 1123)));
  }
  state.counters["pages/s"] =
      benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_EmfPlayedToImage)->Unit(benchmark::kMillisecond);

}  // namespace
