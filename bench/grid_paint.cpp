// LIBS: grid_controls platform_backend
// The cell painter at screen size: one 980 × 650 screen of a budget-like
// grid with bands and a selection, of a grid with a mini-HTML cell in every
// row and of one with rich-text cells only, each at 100 and 100,000 rows
// (the cost must not grow with the rows), and measuring one plain one-line
// cell.
#include <benchmark/benchmark.h>

#include <memory>

#include "bench/GridScreen.h"
#include "grid/ExtGrid.h"
#include "platform/backend/headless/Headless.h"
#include "platform/gfx/CairoCanvas.h"
#include "platform/rtl/Cp1253.h"
#include "platform/ui/Application.h"
#include "platform/ui/ComCtrlsRichText.h"
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
BENCHMARK(BM_PaintBudgetScreen)->Arg(100)->Arg(BenchSize(100000, 2000))->Unit(benchmark::kMillisecond);

void BM_PaintHtmlScreen(benchmark::State& state) {
  const int rows = static_cast<int>(state.range(0));
  TExtStringGrid& g = TheScreen().Grid(6, rows);
  for (int r = 1; r < rows; ++r) {
    g.SetCellDirect(1, r, "<b>Σύνολο</b> <font color=\"clRed\">1.234,56</font> <i>€</i>"_a);
    g.SetCellDirect(2, r, "123,45");
  }
  PaintScreen(state, g);
}
BENCHMARK(BM_PaintHtmlScreen)->Arg(100)->Arg(BenchSize(100000, 2000))->Unit(benchmark::kMillisecond);

// A rich-text cell of a work item: its number, a bold word and an italic
// one, in Greek.
AnsiString RichItem(int row, int col) {
  return "{\\rtf1\\ansi\\ansicpg1253\\deff0{\\fonttbl{\\f0\\fcharset161 Arial;}}\\f0\\fs18 "
         "{\\b \\'c5\\'f1\\'e3\\'e1\\'f3\\'df\\'e1} " +
         std::to_string(row) + "." + std::to_string(col) +
         " {\\i \\'f3\\'f5\\'ed\\'ef\\'eb\\'e9\\'ea\\'DC}\\par}";
}

void BM_PaintRtfScreen(benchmark::State& state) {
  const int rows = static_cast<int>(state.range(0));
  TExtStringGrid& g = TheScreen().Grid(6, rows);
  for (int c = 1; c < 6; ++c) g.SetColWidths(c, 180);
  for (int r = 1; r < rows; ++r)
    for (int c = 1; c < 6; ++c) g.SetCellDirect(c, r, RichItem(r, c));
  PaintScreen(state, g);
}
BENCHMARK(BM_PaintRtfScreen)->Arg(100)->Arg(BenchSize(100000, 2000))->Unit(benchmark::kMillisecond);

// Yardstick: the same cells of one screen read, laid out in twips and drawn
// straight through the rich-text model, without a grid or a control.
void BM_PaintRtfCellsYardstick(benchmark::State& state) {
  TExtStringGrid& g = TheScreen().Grid(6, 100);
  for (int c = 1; c < 6; ++c) g.SetColWidths(c, 180);
  struct Cell {
    AnsiString Rtf;
    TRect Box;
  };
  std::vector<Cell> cells;
  for (int r = 1; r < g.RowCount() && g.CellRect(1, r).Height() > 0; ++r)
    for (int c = 1; c < 6; ++c) {
      const TRect box = g.CellRect(c, r);
      if (box.Width() > 0) cells.push_back({RichItem(r, c), box});
    }
  TImageCanvas image(g.Width(), g.Height());
  for (auto _ : state) {
    for (const Cell& cell : cells) {
      TRichContent content;
      content.SetDocument(richtext::ReadRtf(cell.Rtf));
      const TRichLayout layout(content, 1440);
      const TRect inner = Rect(cell.Box.Left + 2, cell.Box.Top + 2, cell.Box.Right - 2, cell.Box.Bottom - 2);
      const auto lines = layout.Lay(0, inner.Width() * 15, inner.Height() * 15);
      const int saved = image.SaveDC();
      image.IntersectClipRect(inner);
      layout.Draw(image, lines, inner.Left, inner.Top);
      image.RestoreDC(saved);
    }
  }
  state.counters["cells"] = static_cast<double>(cells.size());
}
BENCHMARK(BM_PaintRtfCellsYardstick)->Unit(benchmark::kMillisecond);

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
