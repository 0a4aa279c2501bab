// LIBS: tender_windows platform_backend tender_logic
// The offer tools of the budget window: the target-discount search step by
// step, fast, and against the bare table-lookup limit; long searches; many
// solutions; the sort of a full result grid; the normality check with its
// report; the deviation table with its capped reduction; the result grid.
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <cmath>

#include "bench/Brief.h"
#include "grid/ExtGrid.h"
#include "platform/backend/headless/Headless.h"
#include "platform/rtl/SysUtils.h"
#include "platform/ui/Application.h"
#include "tender/N_STR.h"
#include "tender/Uproyp5CheckReport.h"
#include "tender/Uproyp5Deviation.h"
#include "tender/Uproyp5Search.h"

namespace {

TSearchInputs Categories(int n, bool random, int accuracy = 4) {
  InitNumericLibrary();
  TSearchInputs in;
  long double sum = 0;
  for (int i = 0; i < n; ++i) {
    const double cost = 1000 + 37.11 * i;
    in.Costs.push_back(FormatNumNoBlanks(16, 2, 1, cost));
    sum += cost;
  }
  in.Marks.assign(static_cast<size_t>(n), "");
  in.OverheadText = "18";
  in.StudyTotal = static_cast<double>(sum * 1.18L);
  in.DesiredDiscount = 20;
  in.Accuracy = accuracy;
  in.RandomOrder = random;
  return in;
}

Int64 Search(bool fast, const TSearchInputs& in, int k, Int64 tries, int cap = MaxSolutions) {
  TSearchState state;
  PrepareSearch(state, static_cast<int>(in.Costs.size()), k, in.DesiredDiscount, false);
  TSearchHooks hooks;
  hooks.Read = [&] { return in; };
  hooks.Checkpoint = [](Int64) { return false; };
  hooks.Reseed = [] { RandSeed = 42; };
  RandSeed = 1;
  const Int64 made =
      fast ? RunSearch(state, {tries, cap}, hooks) : RunSearchSteps(state, {tries, cap}, hooks);
  benchmark::DoNotOptimize(state.SolutionCount);
  return made;
}

// N = 50, k = 6, at random: the steps, the fast search and the limit.
void BM_SearchSteps_N50_k6(benchmark::State& state) {
  const TSearchInputs in = Categories(50, true);
  for (auto _ : state) Search(false, in, 6, 2000);
  state.SetItemsProcessed(state.iterations() * 2000);
}
BENCHMARK(BM_SearchSteps_N50_k6)->Unit(benchmark::kMillisecond);

void BM_SearchFast_N50_k6(benchmark::State& state) {
  const TSearchInputs in = Categories(50, true);
  for (auto _ : state) Search(true, in, 6, 1000000);
  state.SetItemsProcessed(state.iterations() * 1000000);
}
BENCHMARK(BM_SearchFast_N50_k6)->Unit(benchmark::kMillisecond);

// The same draws summing cached costs and nothing else.
void BM_TableLookupLimit_N50_k6(benchmark::State& state) {
  const int n = 50, range = 13;
  std::vector<std::array<double, 13>> table(n);
  for (int i = 0; i < n; ++i)
    for (int c = 0; c < range; ++c) table[i][c] = RoundDec(2, (1000 + 37.11 * i) * (1 - (14 + c) / 100.0));
  for (auto _ : state) {
    Cardinal seed = 1;
    double total = 0;
    for (int t = 0; t < 1000000; ++t) {
      double s = 0;
      for (int i = 0; i < n; ++i) {
        seed = seed * 134775813u + 1u;
        s += table[i][(static_cast<std::uint64_t>(seed) * range) >> 32];
      }
      total += s;
    }
    benchmark::DoNotOptimize(total);
  }
  state.SetItemsProcessed(state.iterations() * 1000000);
}
BENCHMARK(BM_TableLookupLimit_N50_k6)->Unit(benchmark::kMillisecond);

// 10^8 tries: in order over 50 categories, at random over 20.
void BM_Search1e8_Ordered_N50(benchmark::State& state) {
  const TSearchInputs in = Categories(50, false);
  for (auto _ : state) Search(true, in, 6, BenchSize(100000000, 100000));
}
BENCHMARK(BM_Search1e8_Ordered_N50)->Unit(benchmark::kSecond)->Iterations(1);

void BM_Search1e8_Random_N20(benchmark::State& state) {
  const TSearchInputs in = Categories(20, true);
  for (auto _ : state) Search(true, in, 6, BenchSize(100000000, 100000));
}
BENCHMARK(BM_Search1e8_Random_N20)->Unit(benchmark::kSecond)->Iterations(1);

// From a Stop to the end of the search: at most the tries to the next point.
void BM_StopWithin1000Tries(benchmark::State& state) {
  const TSearchInputs in = Categories(50, true);
  for (auto _ : state) benchmark::DoNotOptimize(Search(true, in, 6, 1000));
}
BENCHMARK(BM_StopWithin1000Tries)->Unit(benchmark::kMicrosecond);

// Many solutions: a loose accuracy over 20 categories, where most tries
// are new solutions; the time per stored solution stays flat as they grow.
void BM_StoredSolutions(benchmark::State& state) {
  const TSearchInputs in = Categories(20, true, 0);
  const int wanted = static_cast<int>(state.range(0));
  int stored = 0;
  for (auto _ : state) {
    TSearchState search;
    PrepareSearch(search, 20, 3, in.DesiredDiscount, false);
    TSearchHooks hooks;
    hooks.Read = [&] { return in; };
    RandSeed = 1;
    RunSearch(search, {static_cast<Int64>(wanted) * 3, wanted}, hooks);
    stored = search.SolutionCount;
  }
  state.counters["stored"] = stored;
  state.SetItemsProcessed(state.iterations() * stored);
}
BENCHMARK(BM_StoredSolutions)->Arg(25000)->Arg(100000)->Unit(benchmark::kMillisecond);

// 19,998 differences: distinct amounts (range 0), or drawn from a few
// hundred values as the solutions of one search often are, where equal keys
// meet and must keep the exchange sort's order.
std::vector<double> SolutionDifferences(int distinct) {
  std::vector<double> differences(static_cast<size_t>(BenchSize(19998, 2000)));
  Cardinal seed = 7;
  for (double& d : differences) {
    seed = seed * 134775813u + 1u;
    d = distinct == 0 ? (static_cast<double>(seed) - 2147483648.0) / 1000
                      : (static_cast<int>(seed % static_cast<Cardinal>(distinct)) - distinct / 2) * 0.0001;
  }
  return differences;
}

void BM_SortOf19998(benchmark::State& state) {
  const std::vector<double> differences = SolutionDifferences(static_cast<int>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(SolutionSortOrder(differences));
}
BENCHMARK(BM_SortOf19998)->Arg(0)->Arg(300)->ArgName("distinct")->Unit(benchmark::kMillisecond);

// Beside it, the window's exchange sort as it reads, whose order the sort
// above gives.
void BM_LiteralExchangeSortOf19998(benchmark::State& state) {
  const std::vector<double> differences = SolutionDifferences(static_cast<int>(state.range(0)));
  const size_t n = differences.size();
  std::vector<int> order(n);
  for (auto _ : state) {
    std::vector<double> keys(n);
    for (size_t i = 0; i < n; ++i) order[i] = static_cast<int>(i), keys[i] = std::fabs(differences[i]);
    for (size_t i = 0; i < n; ++i)
      for (size_t j = i + 1; j < n; ++j)
        if (!(keys[i] < keys[j])) std::swap(keys[i], keys[j]), std::swap(order[i], order[j]);
    benchmark::DoNotOptimize(order.data());
  }
  if (order != SolutionSortOrder(differences)) state.SkipWithError("the orders differ");
}
BENCHMARK(BM_LiteralExchangeSortOf19998)
    ->Arg(0)
    ->Arg(300)
    ->ArgName("distinct")
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

// ---- the check and its report, the deviation table -----------------------------------

TMemorySheet WorkItems(int rows, int zeroStudy) {
  TMemorySheet grid(14, rows + 1);
  for (int i = 1; i <= rows; ++i) {
    const bool zero = i % (rows / std::max(zeroStudy, 1)) == 0 && zeroStudy > 0;
    grid.SetCell(1, i, "A-" + IntToStr(i));
    grid.SetCell(2, i, FormatNumNoBlanks(13, 2, 1, i % 17 + 1));
    grid.SetCell(3, i, zero ? AnsiString() : AnsiString("12.35"));
    grid.SetCell(5, i, FormatNumNoBlanks(15, 2, 1, i % 5 == 0 ? 12.0 : 9.88));
    grid.SetCell(6, i, FormatNumNoBlanks(17, 2, 1, (i % 17 + 1) * 9.88));
  }
  return grid;
}

void CheckAndReport(benchmark::State& state, int zeroStudy) {
  InitNumericLibrary();
  const int rows = 2499;
  TMemorySheet totals(7, 10);
  for (auto _ : state) {
    state.PauseTiming();
    TMemorySheet grid = WorkItems(rows, zeroStudy);
    state.ResumeTiming();
    // Each restart sums the offer again, as the totals do.
    const auto recompute = [&] {
      long double study = 0, offer = 0;
      for (int i = 1; i <= rows; ++i) {
        study += grid.Num(2, i) * grid.Num(3, i);
        offer += grid.Num(6, i);
      }
      return TCheckTotals{static_cast<double>(1 - offer / study), static_cast<double>(study), rows};
    };
    const TCheckInput input{TBudgetKind::WorkItems, true, 6, 2, 2, 1, 1.1, 0.9};
    const TCheckResult r = RunNormalityCheck(grid, input, recompute(), recompute);
    TCheckReportInput in;
    in.Rows = rows;
    in.MeanDiscount = r.Totals.MeanDiscount;
    in.Check = r;
    benchmark::DoNotOptimize(CheckReportText(CheckReportLines(in, grid, totals)));
  }
}

void BM_CheckAndReport2499(benchmark::State& state) { CheckAndReport(state, 0); }
BENCHMARK(BM_CheckAndReport2499)->Unit(benchmark::kMillisecond);

void BM_CheckAndReport2499With100ZeroStudyRows(benchmark::State& state) { CheckAndReport(state, 100); }
BENCHMARK(BM_CheckAndReport2499With100ZeroStudyRows)->Unit(benchmark::kMillisecond);

// 2,499 rows with a "+" row of 10,000 against free rows of 1: the reduction
// swings and stops at its cap.
void BM_DeviationTable2499Capped(benchmark::State& state) {
  InitNumericLibrary();
  for (auto _ : state) {
    state.PauseTiming();
    TMemorySheet grid(14, 2500);
    for (int i = 1; i <= 2499; ++i) {
      const double cost = i == 1 ? 10000 : 0.004;
      grid.SetCell(2, i, "1");
      grid.SetCell(4, i, FormatNumNoBlanks(17, 3, 1, cost));
      grid.SetCell(5, i, FormatNumNoBlanks(15, 3, 1, cost));
      grid.SetCell(9, i, i == 1 ? "+" : "");
      grid.SetCell(8, i, FormatNum(7, 4, 1, cost / 10010 * 100));
    }
    state.ResumeTiming();
    const TDeviationResult r = CalcApoklish(grid, {2499, false, 2, false, 1, 10010}, [] { return true; });
    if (r.Iterations != MaxReductionSteps) state.SkipWithError("the reduction did not run to its cap");
  }
}
BENCHMARK(BM_DeviationTable2499Capped)->Unit(benchmark::kMillisecond);

// The result grid of 20,000 columns and 101 rows made and cleared.
void BM_ResultGridMadeAndCleared(benchmark::State& state) {
  InstallHeadlessBackend();
  size_t most = 0;
  for (auto _ : state) {
    const size_t before = mallinfo2().uordblks;
    auto* grid = new TExtStringGrid(nullptr);
    grid->SetColCount(20000);
    grid->SetRowCount(101);
    grid->SetFixedCols(1);
    grid->SetFixedRows(1);
    most = std::max(most, mallinfo2().uordblks - before);
    grid->ClearAllCells();
    delete grid;
  }
  state.counters["MB"] = static_cast<double>(most) / 1e6;
}
BENCHMARK(BM_ResultGridMadeAndCleared)->Unit(benchmark::kMillisecond);

}  // namespace
