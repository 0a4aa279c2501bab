// LIBS: grid_controls platform_backend
// Sorting, statistics, sizing and the clipboard of the grid at the
// application's sizes: QSort of 100,000 × 10 rows by a number, a text and a
// Greek name column (on keys and row by row, on shuffled rows and on rows
// sorted before) beside a library sort of the same rows with the same
// comparison (which orders an index instead of moving rows) and the plain
// program's way: the keys read and parsed from the cells and sorted by the
// library, all of it timed, amounts with blank cells,
// a heading-click sort of the project index (2,500 rows), ColumnSum of
// 100,000 rows, AutoSizeColumns of 2,500 × 10, the copy and text paste of
// 2,500 × 10 cells, and MoveRow.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <memory>
#include <numeric>
#include <random>
#include <vector>

#include "bench/GridScreen.h"
#include "grid/ExtGrid.h"
#include "grid/ExtGridSortRead.h"
#include "platform/backend/headless/Headless.h"
#include "platform/ui/Application.h"
#include "platform/ui/Clipbrd.h"
#include "platform/ui/Forms.h"

namespace {

// The rows of the large grids (fewer in the sanitizer test run).
const int kRows = BenchSize(100000, 2000);

// Random amounts in column 1, random words in column 2, row numbers in 0;
// with GreekNames, column 3 holds names of firms that share an 18-byte
// prefix, as a tender's bidders often do, so that comparisons go past it.
void Fill(TExtStringGrid& g, unsigned seed, bool GreekNames = false) {
  std::mt19937 random(seed);
  for (int r = 1; r < g.RowCount(); ++r) {
    g.SetCellText(0, r, IntToStr(r));
    g.SetCellText(1, r, IntToStr(static_cast<int>(random() % 10000000)) + ",50");
    AnsiString word;
    for (int k = 0; k < 8; ++k) word += static_cast<char>('a' + random() % 26);
    g.SetCellText(2, r, word);
    for (int c = 3; c < g.ColCount(); ++c) g.SetCellText(c, r, "x");
    if (!GreekNames) continue;
    AnsiString name = "ΚΑΤΑΣΚΕΥΑΣΤΙΚΗ ΑΕ "_a;
    // Capitals Alpha to Omega of code page 1253, without the hole at 0xD2.
    for (int k = 0; k < 7; ++k) {
      const int letter = static_cast<int>(random() % 24);
      name += static_cast<char>(0xC1 + letter + (letter >= 17 ? 1 : 0));
    }
    g.SetCellText(3, r, name);
  }
}

// The grid filled, and sorted once by its column when SortedBefore: a list
// sorted again after an edit, as a tender's usually is.
TExtStringGrid& SortGrid(int col, bool SortedBefore) {
  TExtStringGrid& g = TheScreen().Grid(10, kRows + 1);
  g.SortSettings().Column = col;
  g.SortSettings().Full = false;
  Fill(g, 5, true);
  if (SortedBefore) g.QSort();
  return g;
}

void QSort100000x10(benchmark::State& state, bool OnKeys) {
  const int col = static_cast<int>(state.range(0));
  const bool sortedBefore = state.range(1) != 0;
  TExtStringGrid& g = SortGrid(col, sortedBefore);
  g.SetSortOnKeys(OnKeys);
  for (auto _ : state) {
    if (!sortedBefore) {
      state.PauseTiming();
      Fill(g, 5, true);
      state.ResumeTiming();
    }
    g.QSort();
  }
  g.SetSortOnKeys(true);
}

void BM_QSort100000x10(benchmark::State& state) { QSort100000x10(state, true); }
BENCHMARK(BM_QSort100000x10)
    ->ArgsProduct({{1, 2, 3}, {0, 1}})
    ->ArgNames({"column", "sorted"})
    ->Unit(benchmark::kMillisecond);

void BM_QSortRowByRow100000x10(benchmark::State& state) { QSort100000x10(state, false); }
BENCHMARK(BM_QSortRowByRow100000x10)
    ->ArgsProduct({{1, 2}, {0}})
    ->ArgNames({"column", "sorted"})
    ->Unit(benchmark::kMillisecond);

// Amounts with every tenth cell blank: a blank compares as a text there.
void BM_QSortAmountsWithBlanks100000x10(benchmark::State& state) {
  TExtStringGrid& g = TheScreen().Grid(10, kRows + 1);
  g.SortSettings().Column = 1;
  g.SortSettings().Full = false;
  for (auto _ : state) {
    state.PauseTiming();
    Fill(g, 5);
    for (int r = 1; r < g.RowCount(); r += 10) g.SetCellText(1, r, "");
    state.ResumeTiming();
    g.QSort();
  }
}
BENCHMARK(BM_QSortAmountsWithBlanks100000x10)->Unit(benchmark::kMillisecond);

// QSort's yardstick: what a plain program does, all of it timed: the keys
// read from the cells (the amount parsed as the sort reads a detected
// number, the text copied), then the library sort of keys and row numbers
// by the same ordering.
void BM_LibrarySortReadKeys100000(benchmark::State& state) {
  const int col = static_cast<int>(state.range(0));
  const bool sortedBefore = state.range(1) != 0;
  TExtStringGrid& g = SortGrid(col, sortedBefore);
  std::vector<std::pair<Extended, int>> amounts;
  std::vector<std::pair<AnsiString, int>> texts;
  for (auto _ : state) {
    if (!sortedBefore) {
      state.PauseTiming();
      Fill(g, 5, true);
      state.ResumeTiming();
    }
    amounts.clear();
    texts.clear();
    for (int r = 1; r < g.RowCount(); ++r) {
      if (col == 1) {
        Extended v = 0;
        gridsort::ReadSortNumber(g.GetCellText(col, r), "", "", true, v);
        amounts.emplace_back(v, r);
      } else {
        texts.emplace_back(g.GetCellText(col, r), r);
      }
    }
    if (col == 1)
      std::sort(amounts.begin(), amounts.end(),
                [](const auto& a, const auto& b) { return a.first < b.first; });
    else
      std::sort(texts.begin(), texts.end(),
                [](const auto& a, const auto& b) { return a.first.compare(b.first) < 0; });
    benchmark::DoNotOptimize(amounts.data());
    benchmark::DoNotOptimize(texts.data());
  }
}
BENCHMARK(BM_LibrarySortReadKeys100000)
    ->ArgsProduct({{1, 2, 3}, {0, 1}})
    ->ArgNames({"column", "sorted"})
    ->Unit(benchmark::kMillisecond);

void BM_LibrarySortSameComparison100000(benchmark::State& state) {
  TExtStringGrid& g = TheScreen().Grid(10, kRows + 1);
  const int col = static_cast<int>(state.range(0));
  g.SortSettings().Full = false;
  Fill(g, 5);
  std::vector<int> rows(kRows);
  for (auto _ : state) {
    std::iota(rows.begin(), rows.end(), 1);
    std::sort(rows.begin(), rows.end(), [&](int a, int b) { return g.CompareFull(col, a, b) < 0; });
    benchmark::DoNotOptimize(rows.data());
  }
}
BENCHMARK(BM_LibrarySortSameComparison100000)
    ->Arg(1)
    ->Arg(2)
    ->ArgName("column")
    ->Unit(benchmark::kMillisecond);

void BM_HeadingClickSort2500(benchmark::State& state) {
  TExtStringGrid& g = TheScreen().Grid(10, 2501);
  g.SortSettings().Show = true;
  Fill(g, 9);
  for (auto _ : state) g.HeadingClickSort(2, false);  // alternately ascending and descending
}
BENCHMARK(BM_HeadingClickSort2500)->Unit(benchmark::kMillisecond);

void BM_ColumnSum100000(benchmark::State& state) {
  TExtStringGrid& g = TheScreen().Grid(3, kRows + 1);
  Fill(g, 1);
  for (auto _ : state) benchmark::DoNotOptimize(g.ColumnSum(1, 1, kRows));
}
BENCHMARK(BM_ColumnSum100000)->Unit(benchmark::kMillisecond);

void BM_AutoSizeColumns2500x10(benchmark::State& state) {
  TExtStringGrid& g = TheScreen().Grid(10, 2501);
  Fill(g, 2);
  for (auto _ : state) g.AutoSizeColumns(true, 0);
}
BENCHMARK(BM_AutoSizeColumns2500x10)->Unit(benchmark::kMillisecond);

void BM_CopyWithPrivateBlock2500x10(benchmark::State& state) {
  TExtStringGrid& g = TheScreen().Grid(10, 2501);
  g.Navigation().AllowFmtClipboard = true;
  Fill(g, 3);
  g.SetSelection(TGridRect{0, 1, 9, 2500});
  for (auto _ : state) g.CopySelection();
}
BENCHMARK(BM_CopyWithPrivateBlock2500x10)->Unit(benchmark::kMillisecond);

void BM_PasteText2500x10(benchmark::State& state) {
  TExtStringGrid& g = TheScreen().Grid(10, 2501);
  g.SetOptions(g.Options() + TGridOptions{goEditing});
  Fill(g, 4);
  g.SetSelection(TGridRect{0, 1, 9, 2500});
  g.CopySelection();
  const AnsiString text = Clipboard()->AsText();
  for (auto _ : state) {
    state.PauseTiming();
    g.SetRowCount(2);
    state.ResumeTiming();
    g.PasteText(0, 1, text);
  }
}
BENCHMARK(BM_PasteText2500x10)->Unit(benchmark::kMillisecond);

}  // namespace

namespace {

// One row moved from the end to the top of 1,000 and of 100,000 rows: the
// cost must not be a rebuild of the positions of all rows.
void BM_MoveRow(benchmark::State& state) {
  TExtStringGrid& g = TheScreen().Grid(5, static_cast<int>(state.range(0)));
  for (auto _ : state) g.MoveRow(g.RowCount() - 1, 1);
}
BENCHMARK(BM_MoveRow)->Arg(1000)->Arg(kRows)->Unit(benchmark::kMicrosecond);

}  // namespace
