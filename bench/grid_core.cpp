// LIBS: grid_controls platform_backend
// The grid's main road at the application's table sizes: filling and
// clearing the budget (2,500 × 14) and the search results (101 × 20,000),
// reading and writing one cell and CellRect at small and large grids (the
// cost must not grow with the size), one screen paint, and the memory of a
// filled budget grid ("heap MB" counter).
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <memory>

#include "bench/GridScreen.h"
#include "grid/ExtGrid.h"
#include "platform/backend/headless/Headless.h"
#include "platform/ui/Application.h"
#include "platform/ui/Forms.h"

namespace {

void Fill(TExtStringGrid& g) {
  for (int r = 1; r < g.RowCount(); ++r)
    for (int c = 0; c < g.ColCount(); ++c) g.SetCellText(c, r, "1.234.567,89");
}

size_t HeapBytes() {
  const struct mallinfo2 info = mallinfo2();
  return info.uordblks + info.hblkhd;
}

void BM_FillBudget2500x14(benchmark::State& state) {
  TExtStringGrid& g = TheScreen().Grid(14, 2500);
  for (auto _ : state) {
    Fill(g);
    state.PauseTiming();
    g.ClearAllCells();
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * 14 * 2499);
}
BENCHMARK(BM_FillBudget2500x14)->Unit(benchmark::kMillisecond);

void BM_MemoryFilledBudget(benchmark::State& state) {
  Screen& screen = TheScreen();
  delete screen.grid;
  screen.grid = nullptr;
  double megabytes = 0;
  for (auto _ : state) {
    const size_t before = HeapBytes();
    TExtStringGrid& g = screen.Grid(14, 2500);
    Fill(g);
    megabytes = static_cast<double>(HeapBytes() - before) / (1024.0 * 1024.0);
  }
  state.counters["heap MB"] = megabytes;
}
BENCHMARK(BM_MemoryFilledBudget)->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_SearchGrid101x20000CreateFillClear(benchmark::State& state) {
  for (auto _ : state) {
    TExtStringGrid& g = TheScreen().Grid(101, 20000);
    for (int r = 1; r < g.RowCount(); ++r)
      for (int c = 0; c < g.ColCount(); c += 10) g.SetCellFloat(c, r, r * 0.5);
    g.ClearAllCells();
  }
}
BENCHMARK(BM_SearchGrid101x20000CreateFillClear)->Unit(benchmark::kMillisecond);

// Grids are made often (every search, every dialog with a table): a grid on
// the shown form with its window, and a grid that never gets one.
void BM_CreateShownGrid(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(&TheScreen().Grid(14, 20));
}
BENCHMARK(BM_CreateShownGrid)->Unit(benchmark::kMicrosecond);

void BM_CreateAndFreeGrid(benchmark::State& state) {
  TheScreen();
  for (auto _ : state) {
    auto* g = new TExtStringGrid(nullptr);
    benchmark::DoNotOptimize(g);
    delete g;
  }
}
BENCHMARK(BM_CreateAndFreeGrid)->Unit(benchmark::kMicrosecond);

// Per-cell cost at a given row count: read, write and CellRect of a cell
// far down the grid.
void BM_CellAccess(benchmark::State& state) {
  const int rows = static_cast<int>(state.range(0));
  TExtStringGrid& g = TheScreen().Grid(14, rows);
  Fill(g);
  g.SetTopRow(rows / 2);
  int r = rows / 2;
  for (auto _ : state) {
    g.SetCellText(3, r, "42,00");
    benchmark::DoNotOptimize(g.GetCellText(3, r));
    benchmark::DoNotOptimize(g.CellRectEx(3, r));
    benchmark::DoNotOptimize(g.CellRect(3, r));
    if (++r >= rows / 2 + 20) r = rows / 2;
  }
}
BENCHMARK(BM_CellAccess)->Arg(100)->Arg(2500)->Arg(20000);

void BM_PaintOneScreen(benchmark::State& state) {
  const int rows = static_cast<int>(state.range(0));
  Screen& screen = TheScreen();
  TExtStringGrid& g = screen.Grid(14, rows);
  Fill(g);
  g.SetTopRow(rows / 2);
  for (auto _ : state) {
    g.Invalidate();
    benchmark::DoNotOptimize(screen.backend->Render(*screen.form));
  }
}
BENCHMARK(BM_PaintOneScreen)->Arg(100)->Arg(2500)->Arg(20000)->Unit(benchmark::kMillisecond);

// The application's own tables: the offers (501 × 5) and the budget
// (2,500 × 14, three columns of width 0), one screen each.
void BM_PaintApplicationGrid(benchmark::State& state) {
  const bool budget = state.range(0) == 1;
  Screen& screen = TheScreen();
  TExtStringGrid& g = budget ? screen.Grid(14, 2500) : screen.Grid(5, 501);
  Fill(g);
  if (budget)
    for (int c : {3, 5, 9}) g.SetColWidths(c, 0);
  g.SetTopRow(g.RowCount() / 2);
  for (auto _ : state) {
    g.Invalidate();
    benchmark::DoNotOptimize(screen.backend->Render(*screen.form));
  }
  state.SetLabel(budget ? "budget 2500x14" : "offers 501x5");
}
BENCHMARK(BM_PaintApplicationGrid)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace

namespace {

// The plain string grid of the window layer painting the same screen: what
// the text engine alone costs.
void BM_PaintOneScreenPlainGrid(benchmark::State& state) {
  Screen& screen = TheScreen();
  delete screen.grid;
  screen.grid = nullptr;
  auto* plain = new TStringGrid(screen.form.get());
  plain->SetBounds(5, 5, 980, 650);
  plain->SetParent(screen.form.get());
  plain->SetColCount(14);
  plain->SetRowCount(2500);
  for (int r = 1; r < 2500; ++r)
    for (int c = 0; c < 14; ++c) plain->SetCells(c, r, "1.234.567,89");
  plain->SetTopRow(1250);
  for (auto _ : state) {
    plain->Invalidate();
    benchmark::DoNotOptimize(screen.backend->Render(*screen.form));
  }
  delete plain;
}
BENCHMARK(BM_PaintOneScreenPlainGrid)->Unit(benchmark::kMillisecond);

}  // namespace
