// LIBS: grid_controls platform_backend
// Scrolling the grid by one row and by one column, and painting what the
// scroll leaves to paint: the pixels already drawn moved and the strip
// uncovered painted, against the whole grid painted again as a scroll did
// before. Each iteration goes one step forward and one back.

#include <benchmark/benchmark.h>

#include "bench/GridScreen.h"

namespace {

TExtStringGrid& FilledGrid() {
  TExtStringGrid& g = TheScreen().Grid(40, 400);
  for (int r = 0; r < g.RowCount(); ++r)
    for (int c = 0; c < g.ColCount(); ++c) g.SetCells(c, r, IntToStr(c * 1000 + r) + ",50 kg");
  g.SetTopRow(100);
  g.SetLeftCol(10);
  g.SetCol(12);
  g.SetRow(105);
  Application->ProcessMessages();
  return g;
}

void Scroll(benchmark::State& state, bool rows, bool whole) {
  TExtStringGrid& g = FilledGrid();
  Screen& screen = TheScreen();
  for (auto _ : state)
    for (const int step : {1, -1}) {
      if (rows)
        g.SetTopRow(g.TopRow() + step);
      else
        g.SetLeftCol(g.LeftCol() + step);
      if (whole) g.Invalidate();
      benchmark::DoNotOptimize(screen.backend->Render(*screen.form));
    }
  state.SetItemsProcessed(state.iterations() * 2);
}

void BM_ScrollRow_PixelsMoved(benchmark::State& state) { Scroll(state, true, false); }
void BM_ScrollRow_WholeRepaint(benchmark::State& state) { Scroll(state, true, true); }
void BM_ScrollColumn_PixelsMoved(benchmark::State& state) { Scroll(state, false, false); }
void BM_ScrollColumn_WholeRepaint(benchmark::State& state) { Scroll(state, false, true); }
BENCHMARK(BM_ScrollRow_PixelsMoved)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ScrollRow_WholeRepaint)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ScrollColumn_PixelsMoved)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ScrollColumn_WholeRepaint)->Unit(benchmark::kMicrosecond);

}  // namespace
