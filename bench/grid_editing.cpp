// LIBS: grid_controls platform_backend
// Editing in place at 100 and 100,000 rows: opening an editor (the text
// editor and the combo of a list column), one typed character with its
// repaint, and Enter committing the cell and moving down. The cost must not
// grow with the rows. Also a tick of middle-button panning with the mouse
// at rest, against the yardstick of a tick of the clock with no panning.
#include <benchmark/benchmark.h>

#include <memory>

#include "bench/GridScreen.h"
#include "grid/ExtGridEditors.h"
#include "grid/ExtInplaceEdit.h"
#include "platform/backend/headless/Headless.h"
#include "platform/ui/Application.h"
#include "platform/ui/Forms.h"

namespace {

// The budget's shape: 14 columns, a list in column 9, amounts in column 2.
TExtStringGrid& EditingGrid(int rows) {
  TExtStringGrid& grid = TheScreen().Grid(14, rows);
  grid.SetOptions(grid.Options() + TGridOptions{goEditing});
  grid.OnGetEditorType = [](TObject*, int c, int, TEditorType& e) { e = c == 9 ? edComboList : edNormal; };
  for (int r = 1; r < rows; ++r) grid.SetCellText(2, r, "1.234,56");
  grid.OnCellValidate = [](TObject*, int, int, AnsiString&, bool& valid) { valid = true; };
  grid.SetFocus();
  grid.SetCol(2);
  grid.SetRow(rows / 2);
  Application->ProcessMessages();
  return grid;
}

void BM_OpenEditor(benchmark::State& state) {
  Screen& s = TheScreen();
  TExtStringGrid& g = EditingGrid(static_cast<int>(state.range(0)));
  const bool combo = state.range(1) == 1;
  g.SetCol(combo ? 9 : 2);
  if (combo) {
    g.ShowEditor();
    for (const char* item : {" ", "+", "-", "#"}) g.Combo()->Items()->Add(item);
    g.HideCellEditor();
  }
  for (auto _ : state) {
    s.backend->PressKey(VK_F2);
    Application->ProcessMessages();
    state.PauseTiming();
    g.HideCellEditor();
    Application->ProcessMessages();
    state.ResumeTiming();
  }
  state.SetLabel(combo ? "combo" : "text");
}
BENCHMARK(BM_OpenEditor)
    ->Args({100, 0})
    ->Args({BenchSize(100000, 2000), 0})
    ->Args({100, 1})
    ->Args({BenchSize(100000, 2000), 1});

void BM_TypeCharacterAndRepaint(benchmark::State& state) {
  Screen& s = TheScreen();
  TExtStringGrid& g = EditingGrid(static_cast<int>(state.range(0)));
  s.backend->PressKey(VK_F2);
  Application->ProcessMessages();
  int typed = 0;
  for (auto _ : state) {
    s.backend->Type("7");
    benchmark::DoNotOptimize(s.backend->Render(*s.form));
    if (++typed == 50) {
      state.PauseTiming();
      g.ExtInplaceEditor()->SetText("");
      typed = 0;
      state.ResumeTiming();
    }
  }
}
BENCHMARK(BM_TypeCharacterAndRepaint)->Arg(100)->Arg(BenchSize(100000, 2000));

void BM_EnterCommitAndAdvance(benchmark::State& state) {
  Screen& s = TheScreen();
  const int rows = static_cast<int>(state.range(0));
  TExtStringGrid& g = EditingGrid(rows);
  g.Navigation().AdvanceOnEnter = true;
  // Down the column, which repaints the grid as it goes, or along the row.
  const bool down = state.range(1) == 1;
  g.Navigation().AdvanceDirection = down ? adTopBottom : adLeftRight;
  state.SetLabel(down ? "down" : "right");
  s.backend->PressKey(VK_F2);
  Application->ProcessMessages();
  for (auto _ : state) {
    state.PauseTiming();
    if (g.Row() > rows / 2 + 200 || g.Col() >= 12) {
      g.SetCol(2);
      g.SetRow(rows / 2);
      s.backend->PressKey(VK_F2);
    }
    s.backend->Type("9");
    Application->ProcessMessages();
    state.ResumeTiming();
    s.backend->PressKey(VK_RETURN);
    Application->ProcessMessages();
  }
}
BENCHMARK(BM_EnterCommitAndAdvance)
    ->Args({100, 1})
    ->Args({BenchSize(100000, 2000), 1})
    ->Args({100, 0})
    ->Args({BenchSize(100000, 2000), 0});

// One pan interval of the clock while panning with the mouse still: the
// mark is already showing, so the tick should cost little more than the
// yardstick, the same interval with no panning at all.
void BM_PanTickAtRest(benchmark::State& state) {
  Screen& s = TheScreen();
  TExtStringGrid& g = EditingGrid(100);
  const bool panning = state.range(0) == 1;
  g.IntelliPan = ipBoth;
  if (panning) s.backend->Click(g, 300, 300, 2);
  s.backend->Advance(TExtStringGrid::PanInterval);
  Application->ProcessMessages();
  for (auto _ : state) {
    s.backend->Advance(TExtStringGrid::PanInterval);
    Application->ProcessMessages();
  }
  if (panning) s.backend->PressKey(VK_ESCAPE);
  state.SetLabel(panning ? "panning" : "yardstick: no panning");
}
BENCHMARK(BM_PanTickAtRest)->Arg(1)->Arg(0);

}  // namespace
