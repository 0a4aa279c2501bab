// LIBS: printing_forms tender_windows platform_backend
// The report form's offer budget (kind 3) over a check report of 200
// categories that the budget window's writer wrote: the run into the
// preview's pages, and the same run on the PDF printer. Then the form's
// reading of that report alone, kinds 3 and 4, as the engine feeds it a
// line per record, beside the same lines cut into the same captions the
// plain way; the printables and child bands the run looks for among its
// bands at each record, beside the same answers by type tests; and a short
// report's run into the preview.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string_view>

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

// What the engine asks of the form for each record, with no page laid
// out: the report shown for the kind, its run begun, every line fed and
// every band's print decided.
void BM_KindsThreeAndFourFedLineByLine(benchmark::State& state) {
  OfferBudgetScene scene;
  TrpForm& f = *scene.form;
  std::int64_t records = 0;
  for (auto _ : state) {
    for (int kind : {3, 4}) {
      f.ReportKind = kind;
      f.FormShow(&f);
      bool print = true;
      f.BandRep1BeforePrint(f.BandRep1, print);
      for (bool more = true; more;) {
        f.BandRep1NeedData(f.BandRep1, more);
        bool band = false;
        f.ChildBand1BeforePrint(f.ChildBand1, band);
        f.ChildBand8BeforePrint(f.ChildBand8, band);
        f.ChildBand2BeforePrint(f.ChildBand2, band);
        f.ClosingBandBeforePrint(f.ChildBand6, band);
        f.SumsBandAfterPrint(f.ChildBand6, band);
        records += more ? 1 : 0;
      }
    }
  }
  state.SetItemsProcessed(records);
}
BENCHMARK(BM_KindsThreeAndFourFedLineByLine)->Unit(benchmark::kMicrosecond);

// The yardstick: the same text split into lines, each trimmed, its row
// number checked, its columns cut into the captions a category row gets
// and its start compared with the summary lines' words.
void BM_SameLinesCutPlainly(benchmark::State& state) {
  OfferBudgetScene scene;
  const AnsiString text = scene.form->CheckReport->Lines().Text();
  static const AnsiString words[] = {
      "Αθροισμα δαπανών εργασιών"_a, "Γ.Ε.& Ο.Ε."_a, "Συνολική Δαπάνη Εργου"_a,
      "Μέση έκπωση Εμ="_a,           "ΑΠΡΟΒΛΕΠΤΑ"_a, "Σύνολο Δαπάνης του Έργου"_a};
  const auto trim = [](std::string_view s) {
    while (!s.empty() && static_cast<unsigned char>(s.front()) <= ' ') s.remove_prefix(1);
    while (!s.empty() && static_cast<unsigned char>(s.back()) <= ' ') s.remove_suffix(1);
    return s;
  };
  const auto cut = [](std::string_view line, std::size_t from, std::size_t to) {
    return line.size() < from ? AnsiString() : AnsiString(line.substr(from - 1, to - from + 1));
  };
  std::int64_t records = 0;
  for (auto _ : state) {
    for (int kind = 3; kind <= 4; ++kind) {
      int kinds = 0;
      std::vector<AnsiString> captions;
      for (std::size_t at = 0; at < text.size();) {
        const std::size_t end = std::min(text.find_first_of("\r\n", at), text.size());
        const std::string_view line = std::string_view(text).substr(at, end - at);
        at = end + (text.compare(end, 2, "\r\n") == 0 ? 2 : 1);
        ++records;
        const std::string_view n = trim(line.substr(0, 3));
        if (!n.empty() && n.find_first_not_of("0123456789") == n.npos) {
          captions.push_back("\r" + AnsiString(n));
          captions.push_back("\r" + AnsiString(trim(cut(line, 5, 44))));
          for (auto [from, to] : {std::pair{46, 61}, {63, 70}, {72, 87}})
            captions.push_back(cut(line, from, to));
        }
        const std::string_view t = trim(line);
        for (const AnsiString& w : words) kinds += t.starts_with(w) ? 1 : 0;
      }
      benchmark::DoNotOptimize(captions.data());
      benchmark::DoNotOptimize(kinds);
    }
  }
  state.SetItemsProcessed(records);
}
BENCHMARK(BM_SameLinesCutPlainly)->Unit(benchmark::kMicrosecond);

// What a run asks of a band each time it prints one, at every record:
// which of its controls are printables, and which band is its child; over
// the report form's bands.
void BM_BandsPrintablesAndChildren(benchmark::State& state) {
  OfferBudgetScene scene;
  TBandRep& report = *scene.form->BandRep1;
  report.RebuildBandList();
  std::int64_t answers = 0, found = 0;
  for (auto _ : state)
    for (TRpCustomBand* band : report.BandList()) {
      for (int i = 0; i < band->ControlCount(); ++i) found += AsPrintable(band->Controls(i)) != nullptr;
      found += band->ChildBand() != nullptr;
      answers += band->ControlCount() + 1;
    }
  benchmark::DoNotOptimize(found);
  state.SetItemsProcessed(answers);
}
BENCHMARK(BM_BandsPrintablesAndChildren)->Unit(benchmark::kMicrosecond);

// The yardstick: the same answers the plain way, a type test of each
// control and a search of all the bands for the one whose child it is.
void BM_SameAnswersByTypeTests(benchmark::State& state) {
  OfferBudgetScene scene;
  TBandRep& report = *scene.form->BandRep1;
  report.RebuildBandList();
  std::int64_t answers = 0, found = 0;
  for (auto _ : state)
    for (TRpCustomBand* band : report.BandList()) {
      for (int i = 0; i < band->ControlCount(); ++i)
        found += dynamic_cast<TRpPrintable*>(band->Controls(i)) != nullptr;
      for (TRpCustomBand* other : report.BandList())
        if (auto* child = dynamic_cast<TRpChildBand*>(other);
            child != nullptr && child->ParentBand() == band) {
          ++found;
          break;
        }
      answers += band->ControlCount() + 1;
    }
  benchmark::DoNotOptimize(found);
  state.SetItemsProcessed(answers);
}
BENCHMARK(BM_SameAnswersByTypeTests)->Unit(benchmark::kMicrosecond);

// A short check report, as the report form gets for a small budget,
// previewed as the offer of category discounts: most of such a run is the
// report's fixed work, its bands and labels set up and printed once.
void BM_ShortReportIntoThePreview(benchmark::State& state) {
  OfferBudgetScene scene;
  TCustomMemo& memo = *scene.form->CheckReport;
  const AnsiString text = memo.Lines().Text();
  AnsiString shortText;
  for (std::size_t at = 0, lines = 0; at < text.size() && lines < 12; ++lines) {
    const std::size_t end = std::min(text.find("\r\n", at), text.size());
    shortText += text.substr(at, end - at) + "\r\n";
    at = end + 2;
  }
  memo.Lines().SetText(shortText);
  scene.form->ReportKind = 4;
  scene.form->FormShow(scene.form.get());
  for (auto _ : state) scene.form->BandRep1->Preview();
}
BENCHMARK(BM_ShortReportIntoThePreview)->Unit(benchmark::kMicrosecond);

}  // namespace
