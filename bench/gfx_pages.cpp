// LIBS: platform_gfx
// A report page of 66 lines of Greek text: drawn to PDF at 600 dots per
// inch, recorded as a metafile, and a metafile played back onto a screen
// image; and pages of rich text recorded one after another on one canvas
// reopened for each, as a report's printer records them. Each reports
// pages per second.

#include <benchmark/benchmark.h>

#include <optional>

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

// Pages a second, and the size of the last page made when there is one.
void CountPages(benchmark::State& state, std::optional<size_t> bytes = std::nullopt) {
  state.counters["pages/s"] =
      benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
  if (bytes) state.counters["bytes"] = static_cast<double>(*bytes);
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
  CountPages(state, bytes);
}
BENCHMARK(BM_PageToPdf)->Unit(benchmark::kMillisecond);

void BM_PageToEmf(benchmark::State& state) {
  size_t bytes = 0;
  for (auto _ : state) {
    TMetafile mf = RecordPage();
    bytes = mf.Data().size();
    benchmark::DoNotOptimize(bytes);
  }
  CountPages(state, bytes);
}
BENCHMARK(BM_PageToEmf)->Unit(benchmark::kMillisecond);

// A page of rich text as the report's printer records it at 600 dots per
// inch: clipped to its box inside a saved state, its pieces drawn at their
// base lines with their advances, the format changing among a few from
// piece to piece.
void DrawRichPage(TCanvas& c, int page) {
  const int saved = c.SaveDC();
  c.IntersectClipRect(Rect(250, 150, 4700, 6800));
  c.SetTextAlign(TA_LEFT | TA_BASELINE);
  c.Brush->Style = bsClear;
  const AnsiString piece = "Προσφορά μειοδότη "_a;
  std::vector<int> advances(piece.size(), 55);
  for (int line = 0; line < 40; ++line)
    for (int i = 0; i < 4; ++i) {
      c.Font->Name = i == 3 ? "Courier New" : "Arial";
      c.Font->SetSize(i == 1 ? 14 : 10);
      c.Font->Style = i == 2 ? TFontStyles(fsBold) : TFontStyles(0);
      c.Font->Color = (line + page) % 5 == 0 ? clRed : clBlack;
      c.ExtTextOut(250 + i * 1100, 250 + line * 160, 0, nullptr, piece, advances.data());
    }
  c.RestoreDC(saved);
}

void BM_RichPagesToEmf(benchmark::State& state) {
  TDeviceCaps printer;
  printer.LogPixelsX = printer.LogPixelsY = 600;
  printer.HorzRes = printer.PhysicalWidth = 4961;
  printer.VertRes = printer.PhysicalHeight = 7016;
  TPdfCanvas reference(printer);
  TMetafile mf;
  mf.SetWidth(4961);
  mf.SetHeight(7016);
  TMetafileCanvas canvas(&mf, &reference);
  size_t bytes = 0;
  int page = 0;
  for (auto _ : state) {
    canvas.Open(&mf);
    DrawRichPage(canvas, page++);
    canvas.Close();
    bytes = mf.Data().size();
    benchmark::DoNotOptimize(bytes);
  }
  CountPages(state, bytes);
}
BENCHMARK(BM_RichPagesToEmf)->Unit(benchmark::kMicrosecond);

void BM_EmfPlayedToImage(benchmark::State& state) {
  TMetafile mf = RecordPage();
  for (auto _ : state) {
    TImageCanvas image(794, 1123);
    benchmark::DoNotOptimize(PlayEnhMetafile(image, mf.Data(), Rect(0, 0, 794, 1123)));
  }
  CountPages(state);
}
BENCHMARK(BM_EmfPlayedToImage)->Unit(benchmark::kMillisecond);

}  // namespace
