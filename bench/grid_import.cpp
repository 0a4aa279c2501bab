// LIBS: grid_controls platform_backend
// The delimited-text import at the size of a large export: 100,000 lines
// of 10 fields (about 6 MB), read with the delimiter found by the reader,
// counting how often the grid's row count changes on the way.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>

#include "bench/Brief.h"
#include "grid/ExtGrid.h"
#include "platform/backend/headless/Headless.h"

namespace {

// Counts the row count changes the import makes.
class TCountingGrid : public TExtStringGrid {
 public:
  using TExtStringGrid::TExtStringGrid;
  int RowCountChanges = 0;

 protected:
  void SizeChanged(int OldColCount, int OldRowCount) override {
    if (OldRowCount != RowCount()) ++RowCountChanges;
    TExtStringGrid::SizeChanged(OldColCount, OldRowCount);
  }
};

std::string MakeFile() {
  const std::string path =
      (std::filesystem::temp_directory_path() / ("dim-bench-import-" + std::to_string(::getpid()) + ".csv"))
          .string();
  std::mt19937 random(7);
  std::string text;
  for (int line = 0; line < BenchSize(100000, 2000); ++line) {
    for (int f = 0; f < 10; ++f) {
      if (f) text += ';';
      if (f == 3)
        text += "\"name " + std::to_string(random() % 100000) + "\"";
      else
        text += std::to_string(random() % 100000);
    }
    text += "\r\n";
  }
  std::ofstream(path, std::ios::binary) << text;
  return path;
}

void BM_LoadCSV100000x10(benchmark::State& state) {
  InstallHeadlessBackend();
  const std::string path = MakeFile();
  int changes = 0;
  for (auto _ : state) {
    auto grid = std::make_unique<TCountingGrid>(nullptr);
    grid->SetColCount(2);
    grid->SetRowCount(2);
    grid->RowCountChanges = 0;
    grid->LoadFromCSVFile(path);
    changes = grid->RowCountChanges;
    benchmark::DoNotOptimize(grid->Cells(9, 99999));
    state.PauseTiming();
    grid.reset();
    state.ResumeTiming();
  }
  state.counters["RowCountChanges"] = changes;
  state.counters["MB"] = static_cast<double>(std::filesystem::file_size(path)) / 1e6;
  std::filesystem::remove(path);
}
BENCHMARK(BM_LoadCSV100000x10)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
