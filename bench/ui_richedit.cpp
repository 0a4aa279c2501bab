// LIBS: platform_ui platform_backend
// The rich edit with the calculation report (1,050 lines of 85 characters
// in Courier New): loading it as RTF and laying it out, saving it as RTF,
// paging it by format-range over 20 pages, and one typed character in a
// 1,000- and a 10,000-line document with the repaint of what it changed.

#include <benchmark/benchmark.h>

#include <memory>

#include "platform/backend/headless/Headless.h"
#include "platform/gfx/CairoCanvas.h"
#include "platform/rtl/SysUtils.h"
#include "platform/ui/Application.h"
#include "platform/ui/ComCtrls.h"
#include "platform/ui/Forms.h"

namespace {

constexpr int kReportLines = 1050;

// Run changes every line, so that no measure is remembered from before.
std::string ReportRtf(int run = 0) {
  TRichContent content;
  TRichCharFormat courier;
  courier.Name = "Courier New";
  courier.HalfPoints = 16;
  content.SetDefault(courier);
  AnsiString text;
  for (int i = 0; i < kReportLines; ++i)
    text += Format(" %3d %5d ", {i % 1000, run}) + "ΕΡΓΟΛΗΠΤΙΚΗ ΕΤΑΙΡΕΙΑ ΑΕ"_a + AnsiString(20, ' ') +
            "   1.234.567,89      12,345  " + "\r\n";
  content.Replace(0, 0, text, 0);
  content.ChangeFormat(0, 200, [](TRichCharFormat& f) { f.Style = fsBold; });
  return richtext::WriteRtf(content.Document());
}

struct Scene {
  std::unique_ptr<TForm> form;
  TRichEdit* edit;
  Scene() {
    InstallHeadlessBackend();
    form.reset(NewForm<TForm>(nullptr));
    form->SetBounds(0, 0, 800, 600);
    edit = new TRichEdit(form.get());
    edit->SetParent(form.get());
    edit->SetBounds(0, 0, 780, 560);
    edit->SetWordWrap(false);
    edit->SetScrollBars(ssBoth);
  }
};

void BM_LoadAndLayOutReportRtf(benchmark::State& state) {
  Scene scene;
  const std::string rtf = ReportRtf();
  for (auto _ : state) {
    scene.edit->SetRichText(rtf);
    benchmark::DoNotOptimize(scene.edit->LineCount());  // lays the text out
  }
}
BENCHMARK(BM_LoadAndLayOutReportRtf)->Unit(benchmark::kMillisecond);

// The same with text the text engine has not measured before.
void BM_LoadAndLayOutNewReportRtf(benchmark::State& state) {
  Scene scene;
  int run = 0;
  for (auto _ : state) {
    state.PauseTiming();
    const std::string rtf = ReportRtf(++run);
    state.ResumeTiming();
    scene.edit->SetRichText(rtf);
    benchmark::DoNotOptimize(scene.edit->LineCount());
  }
}
BENCHMARK(BM_LoadAndLayOutNewReportRtf)->Unit(benchmark::kMillisecond);

void BM_SaveReportRtf(benchmark::State& state) {
  Scene scene;
  scene.edit->SetRichText(ReportRtf());
  for (auto _ : state) benchmark::DoNotOptimize(scene.edit->RichText());
}
BENCHMARK(BM_SaveReportRtf)->Unit(benchmark::kMillisecond);

void FormatRangeTwentyPages(benchmark::State& state, bool newText) {
  Scene scene;
  scene.edit->SetRichText(ReportRtf());
  int run = 0;
  // About 53 lines a page: 20 pages of the report's 1,050 lines.
  TImageCanvas canvas(10, 10);
  FORMATRANGE range;
  range.hdc = range.hdcTarget = &canvas;
  range.rc = range.rcPage = Rect(0, 0, 10800, 9800);
  int pages = 0;
  for (auto _ : state) {
    if (newText) {
      state.PauseTiming();
      scene.edit->SetRichText(ReportRtf(++run));
      state.ResumeTiming();
    }
    range.chrg.cpMin = 0;
    pages = 0;
    const int length = scene.edit->Content().Length();
    while (range.chrg.cpMin < length) {
      range.chrg.cpMin =
          static_cast<int>(scene.edit->Perform(EM_FORMATRANGE, 0, reinterpret_cast<LPARAM>(&range)));
      ++pages;
    }
  }
  state.counters["pages"] = pages;
}
void BM_FormatRangeTwentyPages(benchmark::State& state) { FormatRangeTwentyPages(state, false); }
BENCHMARK(BM_FormatRangeTwentyPages)->Unit(benchmark::kMillisecond);
// With text the text engine has not measured before.
void BM_FormatRangeTwentyNewPages(benchmark::State& state) { FormatRangeTwentyPages(state, true); }
BENCHMARK(BM_FormatRangeTwentyNewPages)->Unit(benchmark::kMillisecond);

void BM_TypeACharacterAndRepaint(benchmark::State& state) {
  Scene scene;
  AnsiString text;
  const int lines = static_cast<int>(state.range(0));
  for (int i = 0; i < lines; ++i) text += Format("Γραμμή %5d του κειμένου με λίγες λέξεις\r\n"_a, {i});
  scene.edit->SetText(text);
  scene.form->Show();
  Application->ProcessMessages();
  scene.edit->SetFocus();
  scene.edit->SetSelStart(lines / 2 * 43);
  scene.form->Update();
  for (auto _ : state) {
    scene.edit->Perform(WM_CHAR, 'x', 0);
    // The window paints what the character changed, as on the screen.
    scene.form->Update();
    // The line keeps its length from one run to the next.
    state.PauseTiming();
    scene.edit->Perform(WM_CHAR, '\b', 0);
    scene.form->Update();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_TypeACharacterAndRepaint)
    ->Arg(1000)
    ->Arg(10000)
    ->ArgName("lines")
    ->Unit(benchmark::kMicrosecond);

}  // namespace
