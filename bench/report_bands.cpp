// LIBS: report platform_backend
// A 1,000-page text report of 53,000 need-data lines run into the page
// stream and to the PDF printer, beside a plain cairo and pango program
// drawing the same lines at the same places.

#include <benchmark/benchmark.h>

#include "bench/Brief.h"
#include "bench/PlainCairo.h"
#include "platform/backend/headless/Headless.h"
#include "platform/rtl/Cp1253.h"
#include "report/RpCtrls.h"

namespace {

// 53 lines of 50 a page under the header (a few pages in the sanitizer test run)
const int kLines = BenchSize(53000, 530);

AnsiString LineText(int i) { return "Γραμμή "_a + IntToStr(i) + ": Προσφορά με έκπτωση 12,34%"_a; }

struct Report {
  Report() {
    InstallHeadlessBackend();
    SetRpMeasureInInches(false);
    rep = new TBandRep(&owner);
    rep->SetUnits(TRpUnit::Native);
    rep->Page()->SetPaperSize(TRpPaperSize::A4);
    for (int i : {TRpPage::iTopMargin, TRpPage::iBottomMargin, TRpPage::iLeftMargin, TRpPage::iRightMargin})
      rep->Page()->SetValue(i, 100);
    rep->Bands()->SetHasPageHeader(true);
    rep->Bands()->SetHasDetail(true);
    rep->Bands()->SetHasPageFooter(true);
    auto size = [](TRpCustomBand* band, Extended h) {
      band->Size()->Units = TRpUnit::Native;
      band->Size()->SetValue(TRpBandSize::iHeight, h);
      return band;
    };
    size(rep->Bands()->Band(TBandRepBands::iPageHeader), 60);
    size(rep->Bands()->Band(TBandRepBands::iPageFooter), 60);
    line = Label(size(rep->Bands()->Band(TBandRepBands::iDetail), 50));
    auto* number = new TRpSysData(&owner);
    number->SetParent(rep->Bands()->Band(TBandRepBands::iPageFooter));
    number->SetData(rpsPageNumber);
    rep->OnNeedData() = [this](TObject*, bool& more) {
      more = fed < kLines;
      if (more) line->SetCaption(LineText(++fed));
    };
  }
  TRpLabel* Label(TWinControl* parent) {
    auto* l = new TRpLabel(&owner);
    l->SetParent(parent);
    l->AutoSize = false;
    l->Size()->Units = TRpUnit::Native;
    l->Size()->SetValue(TRpPrintableSize::iWidth, 1500);
    l->Size()->SetValue(TRpPrintableSize::iHeight, 45);
    return l;
  }
  TComponent owner{nullptr};
  TBandRep* rep;
  TRpLabel* line;
  int fed = 0;
};

void BM_ReportIntoPageStream(benchmark::State& state) {
  Report r;
  for (auto _ : state) {
    r.fed = 0;
    TRpPrinter printer(r.rep);
    r.rep->RunInto(&printer);
    state.counters["pages"] = printer.PageCount();
  }
}
BENCHMARK(BM_ReportIntoPageStream)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_ReportToPdfPrinter(benchmark::State& state) {
  Report r;
  TPrinterProfile pdf = printers::PdfPrinterProfile();
  pdf.OutputFolder = BenchFolder();
  printers::UseProfiles({pdf}, 0);
  Printer()->Refresh();
  Printer()->SetPrinterIndex(0);
  r.rep->ReportTitle = "report_bands_report";
  for (auto _ : state) {
    r.fed = 0;
    r.rep->Print();
  }
  state.counters["bytes"] = FileBytes(BenchFile("report_bands_report.pdf").c_str());
}
BENCHMARK(BM_ReportToPdfPrinter)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_PlainCairoSameText(benchmark::State& state) {
  for (auto _ : state) {
    PlainPdf pdf(BenchFile("report_bands_cairo.pdf").c_str());
    int i = 0;
    for (int page = 1; i < kLines; ++page) {
      for (int row = 0; row < 53 && i < kLines; ++row) pdf.Text(100, 160 + 50 * row, LineText(++i));
      pdf.Text(100, 2810, IntToStr(page));
      pdf.EndPage();
    }
  }
}
BENCHMARK(BM_PlainCairoSameText)->Unit(benchmark::kMillisecond)->Iterations(1);

// The same glyphs at the same places from a table of the font, unshaped:
// the yardstick of the report's printing.
void BM_PlainGlyphsSameText(benchmark::State& state) {
  for (auto _ : state) {
    PlainGlyphPdf pdf(BenchFile("report_bands_glyphs.pdf").c_str());
    int i = 0;
    for (int page = 1; i < kLines; ++page) {
      for (int row = 0; row < 53 && i < kLines; ++row) pdf.Text(100, 160 + 50 * row, LineText(++i));
      pdf.Text(100, 2810, IntToStr(page));
      pdf.EndPage();
    }
  }
  state.counters["bytes"] = FileBytes(BenchFile("report_bands_glyphs.pdf").c_str());
}
BENCHMARK(BM_PlainGlyphsSameText)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
