// LIBS: tender_windows platform_backend tender_logic
// The budget window on a budget of 2,499 rows: the totals after an edit,
// the recalculation, the change of decimals; the budget file of 100
// bidders' offers on 1,000 rows; the project index of 999 files.
#include <benchmark/benchmark.h>

#include <filesystem>

#include "platform/backend/headless/Headless.h"
#include "platform/rtl/FileUtils.h"
#include "platform/ui/Application.h"
#include "tender/BudgetFile.h"
#include "tender/N_STR.h"
#include "tender/ProjectFile.h"
#include "tender/Uindex.h"
#include "tender/Uproyp5.h"
#include "tender/mainauction.h"

namespace {

TFrmAXP& Main() {
  static TFrmAXP* form = [] {
    InstallHeadlessBackend();
    InitNumericLibrary();
    static AnsiString folder = GetTempDir();
    ProgramFolderSource = [] { return folder; };
    ShippedFolderSource = [] { return folder; };
    TFrmAXP* f = NewForm<TFrmAXP>(nullptr);
    f->ProjectType = 1;
    return f;
  }();
  return *form;
}

TUproypFrm& FullBudget() {
  Main();
  TUproypFrm& b = EnsureBudgetForm();
  if (b.ProypGrid->Cells(1, MaxBudgetRows).empty()) {
    b.SetStudyLayout();
    for (int r = 1; r <= MaxBudgetRows; ++r) {
      b.ProypGrid->SetCells(1, r, "Α-" + IntToStr(r));
      b.ProypGrid->SetCells(2, r, IntToStr(r % 17 + 1));
      b.ProypGrid->SetCells(3, r, "12.35");
    }
    b.SumaGrid->SetCells(3, 2, "18");
    b.RecalcClick(nullptr);
  }
  return b;
}

void BM_TotalsAfterOneEdit(benchmark::State& state) {
  TUproypFrm& b = FullBudget();
  for (auto _ : state) {
    AnsiString text = "7";
    bool valid = true;
    b.ProypGridCellValidate(nullptr, 2, 1200, text, valid);
  }
}
BENCHMARK(BM_TotalsAfterOneEdit)->Unit(benchmark::kMillisecond);

void BM_Recalculation(benchmark::State& state) {
  TUproypFrm& b = FullBudget();
  for (auto _ : state) b.RecalcClick(nullptr);
}
BENCHMARK(BM_Recalculation)->Unit(benchmark::kMillisecond);

void BM_ChangeOfDecimals(benchmark::State& state) {
  TUproypFrm& b = FullBudget();
  int decimals = 2;
  for (auto _ : state) {
    decimals = decimals == 2 ? 3 : 2;
    b.gindecEd->SetValue(decimals);
  }
}
BENCHMARK(BM_ChangeOfDecimals)->Unit(benchmark::kMillisecond);

TBudgetData ThousandRows() {
  TBudgetData budget;
  budget.Rows.resize(1000, {"Α-1", 3, 12.5, 0});
  return budget;
}

std::vector<TBidderBlock> HundredBidders() {
  std::vector<TBidderBlock> blocks;
  for (int b = 1; b <= 100; ++b) {
    TBidderBlock block{b, "ΕΤΑΙΡΕΙΑ", std::vector<DetailEntry>(1000)};
    for (int r = 0; r < 1000; ++r) block.Values[r] = {11.25 + r % 7, r % 5 == 0 ? '+' : char(0)};
    blocks.push_back(std::move(block));
  }
  return blocks;
}

void BM_SaveHundredBidders(benchmark::State& state) {
  const TBudgetData budget = ThousandRows();
  const std::vector<TBidderBlock> blocks = HundredBidders();
  const AnsiString name = GetTempDir() + "bench_budget.pry";
  for (auto _ : state) {
    SafeWriteFile(BudgetCsvName(name), EncodeBudgetCsv(budget, {false, true, true}, blocks, 2));
    SafeWriteFile(name, EncodeBudgetFile(budget, {false, true, true}, blocks));
  }
}
BENCHMARK(BM_SaveHundredBidders)->Unit(benchmark::kMillisecond);

void BM_ReadHundredBidders(benchmark::State& state) {
  const AnsiString name = GetTempDir() + "bench_budget.pry";
  SafeWriteFile(name, EncodeBudgetFile(ThousandRows(), {false, true, true}, HundredBidders()));
  for (auto _ : state) {
    const TBudgetFileContents read =
        DecodeBudgetFile(ReadWholeFile(name, MaxBudgetFileSize), TBudgetKind::WorkItems, {false, true, true});
    StoreBidderBlocks(read.Blocks, TUnmarkedRows::ClearMark);
    benchmark::DoNotOptimize(read.Blocks.size());
  }
  BidderDiscountTable.FreeAll();
}
BENCHMARK(BM_ReadHundredBidders)->Unit(benchmark::kMillisecond);

void BM_IndexOf999Files(benchmark::State& state) {
  Main();
  const AnsiString folder = GetTempDir() + "bench_index/";
  ForceDirectories(folder);
  TProjectHeader header;
  header.ProjectText = "ΕΡΓΟ";
  header.ResetOptions();
  const std::string bytes = EncodeProjectFile(header, std::vector<OfferRecord>(3));
  for (int i = 0; i < 999; ++i) SafeWriteFile(folder + "p" + IntToStr(i) + ".ddn", bytes);
  const AnsiString saved = GetCurrentDir();
  SetCurrentDir(folder);
  for (auto _ : state) {
    TindexForm index(nullptr);
    benchmark::DoNotOptimize(index.FileCount);
  }
  SetCurrentDir(saved);
  std::filesystem::remove_all(std::string(folder));
}
BENCHMARK(BM_IndexOf999Files)->Unit(benchmark::kMillisecond);

}  // namespace
