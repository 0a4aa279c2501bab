// LIBS: printing_forms platform_backend
// A budget of 2,500 rows by 14 columns and its totals sent through the
// spreadsheet link to a recording service over the real socket; with
// DIM_CALC_BRIDGE set to the installed service, into a headless Calc.
#include <benchmark/benchmark.h>
#include <sys/wait.h>

#include <csignal>
#include <cstdlib>

#include "platform/backend/headless/Headless.h"
#include "printing/UExcel.h"
#include "tests/platform/ipc/DdeTestServer.h"
#include "tests/platform/rtl/ScopedEnv.h"
#include "tests/platform/rtl/TempFolder.h"

namespace {

void SendBudget(TExcel& excel) {
  excel.Select(1, 1);
  excel.MinimizeAndNew();
  for (int r = 1; r <= 2502; ++r)
    for (int c = 1; c <= 14; ++c) excel.PutCell(r, c, "1.234,56");
  for (int r = 1; r <= 7; ++r)
    for (int c = 1; c <= 8; ++c) excel.PutCell(2502 + r, c, "9.876,54");
  excel.Restore();
}

void BM_BudgetToRecordingService(benchmark::State& state) {
  InstallHeadlessBackend();
  TempFolder folder;
  ScopedEnv runtime("XDG_RUNTIME_DIR", folder.path());
  DdeTestServer server;
  for (auto _ : state) {
    TExcel excel(nullptr);
    excel.Connect();
    SendBudget(excel);
  }
  state.counters["frames"] = server.Frames() / static_cast<double>(state.iterations());
}
BENCHMARK(BM_BudgetToRecordingService)->Unit(benchmark::kMillisecond);

void BM_BudgetIntoCalc(benchmark::State& state) {
  const char* bridge = std::getenv("DIM_CALC_BRIDGE");
  if (!bridge) {
    state.SkipWithError("set DIM_CALC_BRIDGE to the installed service (build/tender/Excel)");
    return;
  }
  InstallHeadlessBackend();
  TempFolder folder;
  ScopedEnv runtime("XDG_RUNTIME_DIR", folder.path());
  ScopedEnv display("DISPLAY", nullptr);
  TExcel excel(nullptr);
  excel.SetExeName(bridge);
  excel.Conversation().StartTimeout = 180000;
  excel.Conversation().ReplyTimeout = 60000;
  excel.Connect();
  for (auto _ : state) SendBudget(excel);
  ::kill(excel.Conversation().ServiceProcess(), SIGTERM);
  ::waitpid(excel.Conversation().ServiceProcess(), nullptr, 0);
}
BENCHMARK(BM_BudgetIntoCalc)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
