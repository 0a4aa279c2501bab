// LIBS: grid_controls platform_backend
// A worksheet of 5,000 rows of five columns (.xlsx) read into a grid
// through the office suite, beside the yardstick of the office suite's own
// conversion of the same file to CSV, which is its start and its load of the
// file and little more. Both run under the same memory bound; the service
// that drives the office suite is the one DIM_CALC_BRIDGE names (the build
// tree's tender/Excel when unset).
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "bench/Brief.h"
#include "grid/ExtGrid.h"
#include "platform/backend/headless/Headless.h"

namespace {

// The source tree: this file's name is relative to the build tree, the
// folder above the bench's own, when the build names sources so.
std::filesystem::path SourceTree() {
  std::filesystem::path self = __FILE__;
  if (self.is_relative())
    self = std::filesystem::read_symlink("/proc/self/exe").parent_path().parent_path() / self;
  return self.lexically_normal().parent_path().parent_path();
}

// The bench's own folder for the workbook and the office suite's profile,
// removed when the bench ends.
struct TScratch {
  std::filesystem::path Folder =
      std::filesystem::temp_directory_path() / ("dim-bench-worksheet-" + std::to_string(::getpid()));
  TScratch() { std::filesystem::create_directories(Folder); }
  ~TScratch() {
    std::error_code ignored;
    std::filesystem::remove_all(Folder, ignored);
  }
};

std::filesystem::path Scratch() {
  static const TScratch scratch;
  return scratch.Folder;
}

std::string Workbook(int rows) {
  const std::string name = "rows-" + std::to_string(rows) + ".xlsx";
  const std::filesystem::path path = Scratch() / name;
  if (!std::filesystem::exists(path)) {
    const std::string command =
        "python3 -B '" + (SourceTree() / "tests/exchange/worksheets/make_large_worksheets.py").string() +
        "' '" + Scratch().string() + "' " + name;
    if (std::system(command.c_str()) != 0) return {};
  }
  return path.string();
}

void UseTheBuildsBridge() {
  if (std::getenv("DIM_CALC_BRIDGE") == nullptr) {
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe");
    ::setenv("DIM_CALC_BRIDGE", (self.parent_path().parent_path() / "tender/Excel").c_str(), 1);
  }
}

void BM_ReadWorksheet5000Rows(benchmark::State& state) {
  InstallHeadlessBackend();
  UseTheBuildsBridge();
  const int rows = BenchSize(5000, 200);
  const std::string file = Workbook(rows);
  if (file.empty()) {
    state.SkipWithError("the workbook could not be made");
    return;
  }
  for (auto _ : state) {
    auto grid = std::make_unique<TExtStringGrid>(nullptr);
    grid->SetColCount(2);
    grid->SetRowCount(2);
    grid->LoadFromSpreadsheetFile(AnsiString(file));
    if (grid->RowCount() != rows || grid->ColCount() != 5) state.SkipWithError("the sheet came back short");
  }
  state.counters["rows"] = rows;
}
BENCHMARK(BM_ReadWorksheet5000Rows)->Unit(benchmark::kMillisecond)->Iterations(1);

// The office suite's --convert-to csv of the same file, under the memory
// bound the reader gives it (a gibibyte here).
void BM_OfficeConvertToCsv5000Rows(benchmark::State& state) {
  const int rows = BenchSize(5000, 200);
  const std::string file = Workbook(rows);
  if (file.empty()) {
    state.SkipWithError("the workbook could not be made");
    return;
  }
  const std::filesystem::path out = Scratch() / "csv", profile = Scratch() / "profile";
  for (auto _ : state) {
    std::filesystem::remove_all(profile);
    const std::string command = "prlimit --as=" + std::to_string(1L << 30) +
                                " -- soffice --headless --norestore -env:UserInstallation=file://" +
                                profile.string() + " --convert-to csv --outdir '" + out.string() + "' '" +
                                file + "' >/dev/null 2>&1";
    if (std::system(command.c_str()) != 0) state.SkipWithError("the office suite did not convert the file");
  }
  state.counters["rows"] = rows;
}
BENCHMARK(BM_OfficeConvertToCsv5000Rows)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
