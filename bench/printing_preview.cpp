// LIBS: printing_forms platform_backend
// The calculation report in rich edits: writing a report of 500 offers
// (about 1,050 lines of 85 characters) line by line into the main window's
// hidden report control, in a batch and, for comparison, without one; and
// the preview's refresh that copies it with its closing line.

#include <benchmark/benchmark.h>

#include <memory>

#include "platform/backend/headless/Headless.h"
#include "platform/rtl/Cp1253.h"
#include "platform/rtl/SysUtils.h"
#include "platform/ui/Application.h"
#include "printing/Prevunt.h"

namespace {

constexpr int kReportLines = 1050;

struct ReportScene {
  std::unique_ptr<TForm> owner;
  TRichEdit* report;
  Tprevform* preview;

  ReportScene() {
    InstallHeadlessBackend();
    owner.reset(NewForm<TForm>(nullptr));
    report = new TRichEdit(owner.get());
    report->SetParent(owner.get());
    report->Hide();
    report->SetWordWrap(false);
    Write(*report, true);
    preview = NewForm<Tprevform>(owner.get(), *report, "Πρόγραμμα δημοπρασιών"_a);
  }
  // Each run writes other text, so that no write is skipped as unchanged.
  static void Write(TRichEdit& edit, bool batched) {
    static int run = 0;
    const AnsiString line =
        Format(" %3d ", {++run % 1000}) + AnsiString(44, 'A') + "   1.234.567,89      12,345  ";
    if (batched) edit.Lines().BeginUpdate();
    edit.Lines().Clear();
    for (int i = 0; i < kReportLines; ++i) edit.Lines().Add(line);
    if (batched) edit.Lines().EndUpdate();
  }
};

void BM_WriteReportBatched(benchmark::State& state) {
  ReportScene scene;
  for (auto _ : state) ReportScene::Write(*scene.report, true);
}
BENCHMARK(BM_WriteReportBatched)->Unit(benchmark::kMillisecond);

void BM_WriteReportLineByLine(benchmark::State& state) {
  ReportScene scene;
  for (auto _ : state) ReportScene::Write(*scene.report, false);
}
BENCHMARK(BM_WriteReportLineByLine)->Unit(benchmark::kMillisecond);

void BM_PreviewRefresh(benchmark::State& state) {
  ReportScene scene;
  for (auto _ : state) {
    state.PauseTiming();
    ReportScene::Write(*scene.report, true);
    state.ResumeTiming();
    scene.preview->CopyReport(*scene.report);
  }
}
BENCHMARK(BM_PreviewRefresh)->Unit(benchmark::kMillisecond);

// The same with the preview on screen, which lays its lines out at once.
void BM_ShownPreviewRefresh(benchmark::State& state) {
  ReportScene scene;
  scene.preview->Show();
  Application->ProcessMessages();
  for (auto _ : state) {
    state.PauseTiming();
    ReportScene::Write(*scene.report, true);
    state.ResumeTiming();
    scene.preview->CopyReport(*scene.report);
    Application->ProcessMessages();
  }
}
BENCHMARK(BM_ShownPreviewRefresh)->Unit(benchmark::kMillisecond);

}  // namespace
