// LIBS: platform_ui platform_backend
// A plain memo on a showing form written line by line, as a check report
// is: 525, 1,050 and 2,100 lines of report width, then one paint. Wrap 1
// wraps its lines, 0 does not (the horizontal bar then follows the widest
// line). The cost should grow with the length of the report, not with its
// square.

#include <benchmark/benchmark.h>

#include <memory>

#include "platform/backend/headless/Headless.h"
#include "platform/ui/Application.h"
#include "platform/ui/Forms.h"
#include "platform/ui/StdEdits.h"

namespace {

void BM_MemoWriteReportLineByLine(benchmark::State& state) {
  InstallHeadlessBackend();
  std::unique_ptr<TForm> form(NewForm<TForm>(nullptr));
  form->SetBounds(0, 0, 640, 480);
  auto* memo = new TMemo(form.get());
  memo->SetBounds(0, 0, 630, 470);
  memo->SetParent(form.get());
  memo->SetScrollBars(ssBoth);
  memo->SetWordWrap(state.range(1) != 0);
  form->Show();
  Application->ProcessMessages();
  std::vector<AnsiString> report;
  for (int i = 0; i < state.range(0); ++i)
    report.push_back(Format("%4d  %-40s %12s %12s", {i + 1, AnsiString(20 + i % 20, 'x'), "1.234,56", "OK"}));
  for (auto _ : state) {
    memo->Lines().Clear();
    for (const auto& line : report) memo->Lines().Add(line);
    Application->ProcessMessages();
    benchmark::DoNotOptimize(memo->LineCount());
  }
}
BENCHMARK(BM_MemoWriteReportLineByLine)
    ->ArgsProduct({{525, 1050, 2100}, {1, 0}})
    ->ArgNames({"lines", "wrap"})
    ->Unit(benchmark::kMillisecond);

}  // namespace
