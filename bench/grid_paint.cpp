// LIBS: grid_controls platform_backend
// The cell painter at screen size: one 980 × 650 screen of a budget-like
// grid with bands and a selection, and of a grid with a mini-HTML cell in
// every row, each at 100 and 100,000 rows (the cost must not grow with the
// rows), and measuring one plain one-line cell.
#include <benchmark/benchmark.h>

#include <memory>

#include "bench/GridScreen.h"
#include "grid/ExtGrid.h"
#include "platform/backend/headless/Headless.h"
#include "platform/gfx/CairoCanvas.h"
#include "platform/rtl/Cp1253.h"
#include "platform/ui/Application.h"
#include "platform/ui/Forms.h"

namespace {

void PaintScreen(benchmark::State& state, TExtStringGrid& g) {
  TImageCanvas image(g.Width(), g.Height());
  for (auto _ : state) g.PaintTo(image, 0, 0);
}

void BM_PaintBudgetScreen(benchmark::State& state) {
  const int rows = static_cast<int>(state.range(0));
  TExtStringGrid& g = TheScreen().Grid(10, rows);
  g.Bands().SetActive(true);
  g.SetFixedFooters(1);
  for (int r = 1; r < rows; ++r) {
    g.SetCellDirect(1, r, "Εργασία"_a);
    for (int c = 2; c < 10; ++c) g.SetCellDirect(c, r, "1.234.567,89");
  }
  g.SetSelection({2, 4, 5, 9});
  PaintScreen(state, g);
}
BENCHMARK(BM_PaintBudgetScreen)->Arg(100)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_PaintHtmlScreen(benchmark::State& state) {
  const int rows = static_cast<int>(state.range(0));
  TExtStringGrid& g = TheScreen().Grid(6, rows);
  for (int r = 1; r < rows; ++r) {
    g.SetCellDirect(1, r, "<b>Σύνολο</b> <font color=\"clRed\">1.234,56</font> <i>€</i>"_a);
    g.SetCellDirect(2, r, "123,45");
  }
  PaintScreen(state, g);
}
BENCHMARK(BM_PaintHtmlScreen)->Arg(100)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_GetCellTextSizePlain(benchmark::State& state) {
  TExtStringGrid& g = TheScreen().Grid(5, 10);
  g.SetCells(1, 1, "1.234.567,89");
  TPoint size;
  for (auto _ : state) {
    g.GetCellTextSize(1, 1, false, size);
    benchmark::DoNotOptimize(size);
  }
}
BENCHMARK(BM_GetCellTextSizePlain)->Unit(benchmark::kMicrosecond);

}  // namespace
