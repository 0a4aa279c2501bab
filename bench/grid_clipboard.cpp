// LIBS: grid_controls platform_backend
// The project index at 2,500 × 10 as a committee fills it (codes, Greek
// descriptions, amounts with Greek separators, dates, every cell styled):
// a heading click on rows in random order (not on rows a previous click
// already ordered), the copy with the private block of styled cells, and
// that block pasted back.
#include <benchmark/benchmark.h>

#include <random>

#include "bench/GridScreen.h"
#include "grid/ExtGrid.h"
#include "platform/rtl/Cp1253.h"
#include "platform/rtl/SysUtils.h"
#include "platform/ui/Clipbrd.h"

namespace {

const char* const kWords[] = {"Οδοποιία",   "Ύδρευση",  "Αποχέτευση", "Ηλεκτρομηχανολογικά",
                              "Οικοδομικά", "Πρασίνου", "Λιμενικά",   "Γέφυρες"};

void FillIndex(TExtStringGrid& g, unsigned seed) {
  std::mt19937 random(seed);
  for (int r = 1; r < g.RowCount(); ++r) {
    g.SetCellText(0, r, IntToStr(r));
    g.SetCellText(1, r, FormatFloat("#,##0.00", static_cast<double>(random() % 100000000) / 100));
    g.SetCellText(2, r,
                  cp1253::FromUtf8(kWords[random() % 8]) + " " + IntToStr(static_cast<int>(random() % 1000)));
    g.SetCellText(3, r,
                  IntToStr(static_cast<int>(1 + random() % 28)) + "/" +
                      IntToStr(static_cast<int>(1 + random() % 12)) + "/20" +
                      IntToStr(static_cast<int>(10 + random() % 20)));
    for (int c = 4; c < g.ColCount(); ++c)
      g.SetCellText(c, r, IntToStr(static_cast<int>(random() % 1000)) + ",5");
  }
}

void Style(TExtStringGrid& g) {
  for (int r = 1; r < g.RowCount(); ++r)
    for (int c = 0; c < g.ColCount(); ++c) {
      TCellProperties* p = g.GetCellProperties(c, r);
      p->SetBrushColor(r % 2 ? clWhite : clYellow);
      p->FontName = "Arial";
      p->Alignment = c == 1 ? taRightJustify : taLeftJustify;
    }
}

// Column 1 holds amounts, 2 Greek texts, 3 dates.
void BM_HeadingClickSortUnordered2500(benchmark::State& state) {
  LoadGreekLocale();
  TExtStringGrid& g = TheScreen().Grid(10, 2501);
  g.SortSettings().Show = true;
  const int col = static_cast<int>(state.range(0));
  unsigned seed = 1;
  for (auto _ : state) {
    state.PauseTiming();
    FillIndex(g, seed++);
    state.ResumeTiming();
    g.HeadingClickSort(col, false);
  }
  LoadDefaultLocale();
}
BENCHMARK(BM_HeadingClickSortUnordered2500)
    ->Arg(1)
    ->Arg(2)
    ->Arg(3)
    ->ArgName("column")
    ->Unit(benchmark::kMillisecond);

void BM_CopyStyledPrivateBlock2500x10(benchmark::State& state) {
  TExtStringGrid& g = TheScreen().Grid(10, 2501);
  g.Navigation().AllowFmtClipboard = true;
  FillIndex(g, 7);
  Style(g);
  g.SetSelection(TGridRect{0, 1, 9, 2500});
  for (auto _ : state) g.CopySelection();
}
BENCHMARK(BM_CopyStyledPrivateBlock2500x10)->Unit(benchmark::kMillisecond);

void BM_PasteStyledPrivateBlock2500x10(benchmark::State& state) {
  TExtStringGrid& g = TheScreen().Grid(10, 2501);
  g.SetOptions(g.Options() + TGridOptions{goEditing});
  g.Navigation().AllowFmtClipboard = true;
  FillIndex(g, 8);
  Style(g);
  g.SetSelection(TGridRect{0, 1, 9, 2500});
  g.CopySelection();
  for (auto _ : state) g.PasteAt(0, 1);
}
BENCHMARK(BM_PasteStyledPrivateBlock2500x10)->Unit(benchmark::kMillisecond);

}  // namespace
