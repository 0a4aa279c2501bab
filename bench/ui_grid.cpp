// LIBS: platform_ui platform_backend
// The string grid: painting one screen of a wide grid (2,500 x 14) and of a
// long one (101 x 20,000), scrolled to the far end, on the headless
// backend; CellRect and MouseToCell deep in the long grid; writing a cell.
// Painting a screen should cost the same for both shapes.

#include <benchmark/benchmark.h>

#include <memory>

#include "platform/backend/headless/Headless.h"
#include "platform/ui/Application.h"
#include "platform/ui/Forms.h"
#include "platform/ui/Grids.h"

namespace {

struct GridScene {
  THeadlessBackend* backend;
  std::unique_ptr<TForm> form;
  TStringGrid* grid;

  GridScene(int cols, int rows) {
    backend = &InstallHeadlessBackend();
    form.reset(NewForm<TForm>(nullptr));
    form->SetBounds(0, 0, 800, 360);
    grid = new TStringGrid(form.get());
    // Tall enough for all 14 rows of the wide grid, so both fill the view.
    grid->SetBounds(0, 0, 790, 350);
    grid->SetParent(form.get());
    grid->SetColCount(cols);
    grid->SetRowCount(rows);
    form->Show();
    Application->ProcessMessages();
    // The far corner, with every visible cell holding text.
    grid->SetTopRow(rows);
    grid->SetLeftCol(cols);
    for (int r = grid->TopRow(); r < rows; ++r)
      for (int c = grid->LeftCol(); c < cols; ++c) grid->SetCells(c, r, IntToStr(r * 1000 + c));
    Application->ProcessMessages();
  }
};

void PaintScreen(benchmark::State& state, int cols, int rows) {
  GridScene scene(cols, rows);
  for (auto _ : state) {
    scene.grid->Invalidate();
    benchmark::DoNotOptimize(scene.backend->Render(*scene.form));
  }
  state.counters["cells"] = (scene.grid->VisibleColCount() + 1) * (scene.grid->VisibleRowCount() + 1);
}

void BM_PaintScreen_2500x14(benchmark::State& state) { PaintScreen(state, 2500, 14); }
void BM_PaintScreen_101x20000(benchmark::State& state) { PaintScreen(state, 101, 20000); }
BENCHMARK(BM_PaintScreen_2500x14)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PaintScreen_101x20000)->Unit(benchmark::kMicrosecond);

void BM_CellRectDeep(benchmark::State& state) {
  GridScene scene(101, 20000);
  int row = scene.grid->TopRow();
  for (auto _ : state) {
    benchmark::DoNotOptimize(scene.grid->CellRect(50, row));
    row = row + 1 < 20000 ? row + 1 : scene.grid->TopRow();
  }
}
BENCHMARK(BM_CellRectDeep);

void BM_MouseToCellDeep(benchmark::State& state) {
  GridScene scene(101, 20000);
  int x = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(scene.grid->MouseCoord(x, 300));
    x = (x + 37) % 780;
  }
}
BENCHMARK(BM_MouseToCellDeep);

void BM_SetCell(benchmark::State& state) {
  GridScene scene(101, 20000);
  int row = 1;
  for (auto _ : state) {
    scene.grid->SetCells(7, row, "1.234,56");
    row = row % 19999 + 1;
  }
}
BENCHMARK(BM_SetCell);

}  // namespace
