// LIBS: printing_forms tender_windows platform_backend
// The report form's offer budget (kind 3) over a check report of 200
// categories that the budget window's writer wrote: the run into the
// preview's pages, and the same run on the PDF printer.

#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>

#include "platform/backend/headless/Headless.h"
#include "platform/print/Printers.h"
#include "platform/rtl/Cp1253.h"
#include "platform/rtl/SysUtils.h"
#include "platform/ui/Application.h"
#include "printing/Qprint.h"
#include "tender/N_STR.h"
#include "tender/Uproyp5CheckReport.h"
#include "tests/platform/rtl/TempFolder.h"

namespace {

constexpr int kCategories = 200;

struct OfferBudgetScene {
  std::unique_ptr<TForm> owner;
  std::unique_ptr<TrpForm> form;
  TMemorySheet grid{14, kCategories + 2};
  TMemorySheet totals{7, 10};

  OfferBudgetScene() {
    InstallHeadlessBackend();
    owner.reset(NewForm<TForm>(nullptr));
    auto* memo = new TMemo(owner.get());
    memo->SetParent(owner.get());
    double study = 0, offer = 0;
    for (int r = 1; r <= kCategories; ++r) {
      const double cost = 1000.0 + 37 * r, discount = 15 + r % 11,
                   paid = RoundDec(2, cost * (1 - discount / 100));
      grid.SetCell(3, r, "Κατηγορία εργασιών "_a + IntToStr(r));
      grid.SetCell(4, r, FormatNumNoBlanks(16, 2, 1, cost));
      grid.SetCell(5, r, IntToStr(static_cast<int>(discount)));
      grid.SetCell(6, r, FormatNumNoBlanks(16, 2, 1, paid));
      study += cost;
      offer += paid;
    }
    int col = 4;
    for (double s : {study, offer}) {
      const double g = s * 0.18, t = s + g, c = t * 0.15;
      const double values[] = {s, g, t, c, t + c, 1000, 500, 90, t + c + 1590};
      for (int row = 1; row <= 9; ++row)
        totals.SetCell(col, row, FormatNumNoBlanks(17, 2, 1, values[row - 1]));
      col = 6;
    }
    totals.SetCell(3, 2, "18");
    totals.SetCell(3, 4, "15");
    TCheckReportInput in;
    in.Kind = TBudgetKind::Categories;
    in.Rows = kCategories;
    in.Style = 1;
    in.MeanDiscount = 1 - offer / study;
    in.BidderLabel = "7:ΤΕΧΝΙΚΗ ΕΤΑΙΡΕΙΑ"_a;
    in.OverheadText = "18";
    memo->Lines().BeginUpdate();
    for (const AnsiString& line : CheckReportLines(in, grid, totals)) memo->Lines().Add(line);
    memo->Lines().EndUpdate();
    form.reset(NewForm<TrpForm>(nullptr));
    form->CheckReport = memo;
    form->BudgetCell = [this](int c, int r) { return grid.Cell(c, r); };
    form->TotalsCell = [this](int c, int r) { return totals.Cell(c, r); };
    form->ReportKind = 3;
    form->BandRep1->OnPreview = [](TObject*) {};
  }
};

void BM_KindThreeIntoThePreview(benchmark::State& state) {
  OfferBudgetScene scene;
  int pages = 0;
  scene.form->BandRep1->AfterPreview = [&](TObject*) {
    pages = scene.form->BandRep1->PreviewPrinter()->PageCount();
  };
  for (auto _ : state) scene.form->BandRep1->Preview();
  state.counters["pages"] = pages;
}
BENCHMARK(BM_KindThreeIntoThePreview)->Unit(benchmark::kMillisecond);

void BM_KindThreeOnThePdfPrinter(benchmark::State& state) {
  OfferBudgetScene scene;
  TempFolder folder;  // this run's own, gone at the end
  TPrinterProfile pdf = printers::PdfPrinterProfile();
  pdf.OutputFolder = folder.path();
  printers::UseProfiles({pdf}, 0);
  Printer()->Refresh();
  Printer()->SetPrinterIndex(0);
  for (auto _ : state) scene.form->BandRep1->Print();
}
BENCHMARK(BM_KindThreeOnThePdfPrinter)->Unit(benchmark::kMillisecond);

}  // namespace
