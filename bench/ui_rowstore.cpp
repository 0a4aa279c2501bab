// LIBS: grid_controls platform_backend
// The string grid's rows at 1,000 and 100,000 rows: moving one row from the
// end to the top, deleting a row in the middle (and growing back), inserting
// and removing a row in the middle of the grid control, exchanging two
// rows, and reading cells at random rows and down a column. Moves, inserts
// and deletes must not cost a pass over all rows.
#include <benchmark/benchmark.h>

#include <memory>
#include <random>

#include "bench/GridScreen.h"
#include "platform/ui/Grids.h"

namespace {

class TBenchGrid : public TStringGrid {
 public:
  using TStringGrid::ExchangeStoredRows;
  using TStringGrid::TStringGrid;
};

TBenchGrid& PlainGrid(int rows) {
  static std::unique_ptr<TBenchGrid> grid;
  grid.reset();
  Screen& screen = TheScreen();
  grid = std::make_unique<TBenchGrid>(screen.form.get());
  grid->SetBounds(5, 5, 980, 650);
  grid->SetParent(screen.form.get());
  grid->SetColCount(6);
  grid->SetRowCount(rows);
  for (int r = 1; r < rows; ++r) {
    grid->SetCells(1, r, IntToStr(r));
    if (r % 7 == 0) grid->SetRowHeights(r, 30);
  }
  Application->ProcessMessages();
  return *grid;
}

void BM_PlainMoveRow(benchmark::State& state) {
  TBenchGrid& g = PlainGrid(static_cast<int>(state.range(0)));
  for (auto _ : state) g.MoveRow(g.RowCount() - 1, 1);
}
BENCHMARK(BM_PlainMoveRow)->Arg(1000)->Arg(BenchSize(100000, 2000))->Unit(benchmark::kMicrosecond);

void BM_PlainDeleteRowMiddle(benchmark::State& state) {
  TBenchGrid& g = PlainGrid(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    g.DeleteRow(g.RowCount() / 2);
    g.SetRowCount(g.RowCount() + 1);
  }
}
BENCHMARK(BM_PlainDeleteRowMiddle)->Arg(1000)->Arg(BenchSize(100000, 2000))->Unit(benchmark::kMicrosecond);

void BM_PlainExchangeRows(benchmark::State& state) {
  TBenchGrid& g = PlainGrid(static_cast<int>(state.range(0)));
  std::mt19937 random(3);
  const auto rows = static_cast<unsigned>(g.RowCount() - 1);
  for (auto _ : state)
    g.ExchangeStoredRows(1 + static_cast<int>(random() % rows), 1 + static_cast<int>(random() % rows));
}
BENCHMARK(BM_PlainExchangeRows)->Arg(1000)->Arg(BenchSize(100000, 2000))->Unit(benchmark::kMicrosecond);

void BM_PlainRandomRead(benchmark::State& state) {
  TBenchGrid& g = PlainGrid(static_cast<int>(state.range(0)));
  // Rows moved about first, so that the store is not in its first order.
  for (int i = 0; i < 2000; ++i) g.MoveRow(g.RowCount() - 1 - i % 50, 1 + (i * 37) % (g.RowCount() - 1));
  std::mt19937 random(5);
  const auto rows = static_cast<unsigned>(g.RowCount() - 1);
  for (auto _ : state) benchmark::DoNotOptimize(g.Cells(1, 1 + static_cast<int>(random() % rows)));
}
BENCHMARK(BM_PlainRandomRead)->Arg(1000)->Arg(BenchSize(100000, 2000));

void BM_PlainColumnWalk(benchmark::State& state) {
  TBenchGrid& g = PlainGrid(static_cast<int>(state.range(0)));
  for (auto _ : state)
    for (int r = 0; r < g.RowCount(); ++r) benchmark::DoNotOptimize(g.Cells(1, r));
  state.SetItemsProcessed(state.iterations() * g.RowCount());
}
BENCHMARK(BM_PlainColumnWalk)->Arg(1000)->Arg(BenchSize(100000, 2000))->Unit(benchmark::kMicrosecond);

void BM_GridInsertRemoveMiddle(benchmark::State& state) {
  TExtStringGrid& g = TheScreen().Grid(6, static_cast<int>(state.range(0)));
  for (int r = 1; r < g.RowCount(); r += 3) g.SetCellText(1, r, IntToStr(r));
  for (auto _ : state) {
    g.InsertRows(g.RowCount() / 2, 1);
    g.RemoveRows(g.RowCount() / 2, 1);
  }
}
BENCHMARK(BM_GridInsertRemoveMiddle)->Arg(1000)->Arg(BenchSize(100000, 2000))->Unit(benchmark::kMicrosecond);

void BM_GridMoveRow(benchmark::State& state) {
  TExtStringGrid& g = TheScreen().Grid(6, static_cast<int>(state.range(0)));
  for (auto _ : state) g.MoveRow(g.RowCount() - 1, 1);
}
BENCHMARK(BM_GridMoveRow)->Arg(1000)->Arg(BenchSize(100000, 2000))->Unit(benchmark::kMicrosecond);

}  // namespace
