// LIBS: tender_windows platform_backend tender_logic
// Opening a project in the shown main window and painting what changed: two
// projects of 20 offers, each with a budget of 300 rows, opened in turn;
// beside it, the same files read and decoded and the offers' cell texts
// made with no window.
#include <benchmark/benchmark.h>

#include <filesystem>

#include "platform/backend/headless/Headless.h"
#include "platform/rtl/Cp1253.h"
#include "platform/rtl/FileUtils.h"
#include "platform/ui/Application.h"
#include "tender/BudgetFile.h"
#include "tender/N_STR.h"
#include "tender/OfferCalc.h"
#include "tender/ProjectFile.h"
#include "tender/Uproyp5.h"
#include "tender/mainauction.h"

namespace {

struct Projects {
  THeadlessBackend* backend = nullptr;
  TFrmAXP* main = nullptr;
  AnsiString names[2];
  std::filesystem::path folder;

  Projects() {
    backend = &InstallHeadlessBackend();
    InitNumericLibrary();
    folder = std::filesystem::temp_directory_path() / ("dim-bench-open-" + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    static AnsiString programFolder;
    programFolder = folder.string() + "/";
    ProgramFolderSource = [] { return programFolder; };
    ShippedFolderSource = [] { return programFolder; };
    main = NewForm<TFrmAXP>(nullptr);
    main->Show();
    for (int project = 0; project < 2; ++project) {
      main->ClearProject();
      main->ProjectType = 1;
      main->RadioGroupZephType->SetItemIndex(1);
      main->Memo1->Lines().Add("ΟΔΟΠΟΙΙΑ ΤΟΥ ΔΗΜΟΥ "_a + IntToStr(project + 1));
      main->EditDiair->SetText("1000");
      for (int row = 1; row <= 20; ++row) {
        main->StGrid->SetCellText(ColName, row, "ΕΤΑΙΡΕΙΑ "_a + IntToStr(row * (project + 2)));
        main->StGrid->SetCellText(ColDiscount, row, IntToStr(10 + (row * 7 + project) % 40) + ".5");
      }
      TUproypFrm& budget = EnsureBudgetForm();
      for (int row = 1; row <= 300; ++row) {
        budget.ProypGrid->SetCells(1, row, "Α." + IntToStr(row));
        budget.ProypGrid->SetCells(2, row, IntToStr(row % 17 + 1));
        budget.ProypGrid->SetCells(3, row, "12.35");
      }
      budget.SumaGrid->SetCells(3, 2, "18");
      budget.RecalcClick(nullptr);
      names[project] = programFolder + "p" + IntToStr(project) + ".ddn";
      if (!main->saverec(names[project])) {
        for (const auto& box : backend->MessageBoxes)
          std::fprintf(stderr, "%s\n", cp1253::ToUtf8(box.Text).c_str());
        std::abort();
      }
    }
    Application->ProcessMessages();
  }
  ~Projects() {
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
  }
};

Projects& Files() {
  static Projects projects;
  return projects;
}

void BM_OpenProjectAndPaint(benchmark::State& state) {
  Projects& p = Files();
  int turn = 0;
  for (auto _ : state) {
    p.main->OpenProject(p.names[turn ^= 1]);
    Application->ProcessMessages();
  }
}
BENCHMARK(BM_OpenProjectAndPaint)->Unit(benchmark::kMicrosecond);

// The yardstick: the bytes of both files read and decoded, and the texts of
// the offers' cells made, with no window to hold them.
void BM_PlainReadAndCellTexts(benchmark::State& state) {
  Projects& p = Files();
  int turn = 0;
  for (auto _ : state) {
    const AnsiString& name = p.names[turn ^= 1];
    TProjectFileData data = DecodeProjectFile(ReadWholeFile(name, MaxProjectFileSize), false);
    std::vector<AnsiString> cells;
    for (OfferRecord& offer : data.Offers) {
      cells.push_back(EntryNoText(offer.EntryNo));
      cells.push_back(offer.BidderName.Str());
      cells.push_back(StoredDiscountText(offer, 2, 0));
    }
    const std::string budget = ReadWholeFile(ChangeFileExt(name, ".pry"), MaxBudgetFileSize);
    const TBudgetFileContents contents =
        DecodeBudgetFile(budget, TBudgetKind::WorkItems, {false, true, true});
    benchmark::DoNotOptimize(cells);
    benchmark::DoNotOptimize(contents.Budget.Rows.size());
  }
}
BENCHMARK(BM_PlainReadAndCellTexts)->Unit(benchmark::kMicrosecond);

}  // namespace
