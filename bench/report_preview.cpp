// LIBS: report platform_backend
// The preview of a 1,000-page report: turning to a page (far jumps
// included) and painting it; searching every page for a text it lacks; and
// the export of the same report to the spreadsheet and RTF filters.

#include <benchmark/benchmark.h>

#include <filesystem>

#include "bench/Brief.h"
#include "platform/backend/headless/Headless.h"
#include "platform/ui/Application.h"
#include "report/RpCtrls.h"
#include "tests/platform/rtl/TempFolder.h"

namespace {

// A few pages in the sanitizer test run.
const int kPages = BenchSize(1000, 40);
constexpr int kLines = 55;

AnsiString LineText(int page, int i) {
  return "Σελίδα "_a + IntToStr(page) + " γραμμή "_a + IntToStr(i) + ": Προσφορά με έκπτωση 12,34%"_a;
}

// A finished printer holding 1,000 pages of text.
TRpPrinter& Pages() {
  static TRpPrinter* printer = [] {
    InstallHeadlessBackend();
    auto* p = new TRpPrinter();
    p->SetPaperSize(TRpPaperSize::A4);
    p->BeginDoc();
    for (int n = 1; n <= kPages; ++n) {
      p->NewPage();
      TCanvas& c = *p->Canvas();
      c.Font->Name = "Arial";
      c.Font->SetSize(10);
      for (int i = 0; i < kLines; ++i) c.TextOut(p->DeviceX(200), p->DeviceY(200 + 45 * i), LineText(n, i));
    }
    p->EndDoc();
    return p;
  }();
  return *printer;
}

// Each turn goes to the page the order gives and paints the window with its
// thumbnails.
void TurnPages(benchmark::State& state, int (*pageOf)(std::size_t turn)) {
  // The pages first: making them installs a backend of their own, which
  // would end the one this bench draws on.
  TRpPrinter& printer = Pages();
  THeadlessBackend& backend = InstallHeadlessBackend();
  auto* window = NewForm<TRpStandardPreview>(nullptr, &printer);
  window->WindowState = wsNormal;
  window->SetBounds(0, 0, 1000, 900);
  window->Show();
  window->DoZoom100();
  Application->ProcessMessages();
  std::size_t turn = 0;
  for (auto _ : state) {
    window->GoToPage(pageOf(turn++));
    benchmark::DoNotOptimize(backend.Render(*window));
  }
  state.counters["ms_per_page"] = benchmark::Counter(
      static_cast<double>(state.iterations()), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
  window->RpPreview->SetRpPrinter(nullptr);
  delete window;
}

// First to last and back, then pages far apart, over and over: after the
// first round their thumbnails are pictures already.
void BM_PreviewTurnPage(benchmark::State& state) {
  TurnPages(state, [](std::size_t turn) {
    const int order[] = {1, kPages, 1, kPages / 2, 2, kPages - 1, kPages / 4, kPages * 3 / 4, 3, kPages};
    return order[turn % std::size(order)];
  });
}
BENCHMARK(BM_PreviewTurnPage)->Unit(benchmark::kMillisecond);

// Page after page, as a reader turns them: one new thumbnail a turn.
void BM_PreviewTurnToNextPage(benchmark::State& state) {
  TurnPages(state,
            [](std::size_t turn) { return static_cast<int>(turn % static_cast<std::size_t>(kPages)) + 1; });
}
BENCHMARK(BM_PreviewTurnToNextPage)->Unit(benchmark::kMillisecond);

// Far jumps to pages not shown lately (a stride prime to the page count):
// every thumbnail in sight is drawn from its page.
void BM_PreviewJumpToUnseenPage(benchmark::State& state) {
  TurnPages(state, [](std::size_t turn) {
    return static_cast<int>(turn * 397 % static_cast<std::size_t>(kPages)) + 1;
  });
}
BENCHMARK(BM_PreviewJumpToUnseenPage)->Unit(benchmark::kMillisecond);

void BM_SearchAllPages(benchmark::State& state) {
  TRpPrinter& printer = Pages();
  for (auto _ : state) {
    int found = 0;
    for (int n = 1; n <= printer.PageCount(); ++n)
      if (auto page = printer.GetPage(n); page && FindTextInPageMetafile("ανύπαρκτο"_a, *page, false))
        ++found;
    benchmark::DoNotOptimize(found);
  }
}
BENCHMARK(BM_SearchAllPages)->Unit(benchmark::kMillisecond)->Iterations(3);

// A report of 1,000 pages of two columns, run into a filter.
void Export(benchmark::State& state, bool spreadsheet) {
  InstallHeadlessBackend();
  SetRpMeasureInInches(false);
  auto* form = NewForm<TForm>(nullptr);
  auto* rep = new TBandRep(form);
  rep->SetParent(form);
  rep->SetUnits(TRpUnit::Native);
  rep->Page()->SetPaperSize(TRpPaperSize::A4);
  rep->Bands()->Set(TBandRepBands::iDetail, true);
  TRpCustomBand* band = rep->Bands()->Band(TBandRepBands::iDetail);
  band->Size()->Units = TRpUnit::Native;
  band->Size()->SetValue(TRpBandSize::iHeight, 50);
  auto label = [&](Extended left) {
    auto* l = new TRpLabel(form);
    l->SetParent(band);
    l->Size()->Units = TRpUnit::Native;
    l->Size()->SetValue(TRpPrintableSize::iLeft, left);
    l->Size()->SetValue(TRpPrintableSize::iWidth, 1000);
    l->Size()->SetValue(TRpPrintableSize::iHeight, 50);
    l->AutoSize = false;
    return l;
  };
  TRpLabel* text = label(0);
  TRpLabel* amount = label(1200);
  // 55 lines a page.
  const int lines = kPages * 55;
  int fed = 0;
  rep->OnNeedData() = [&](TObject*, bool& more) {
    more = fed < lines;
    if (!more) return;
    ++fed;
    text->SetCaption(LineText(fed / 55 + 1, fed % 55));
    amount->SetCaption(IntToStr(fed) + ".345,67");
  };
  // A folder of this run's own: two runs at once (the sanitizer tree's test
  // run beside a measurement) must not remove each other's files.
  TempFolder temp;
  const std::string& folder = temp.path();
  for (auto _ : state) {
    fed = 0;
    if (spreadsheet) {
      TRpXLSFilter filter((folder + "/bench.xls").c_str());
      rep->ExportToFilter(&filter);
    } else {
      TRpRTFExportFilter filter((folder + "/bench.rtf").c_str());
      rep->ExportToFilter(&filter);
    }
  }
  // What one export wrote, to see that it is the whole report.
  state.counters["lines"] = fed;
  state.counters["bytes"] =
      static_cast<double>(std::filesystem::file_size(folder + (spreadsheet ? "/bench.xls" : "/bench.rtf")));
  state.counters["pages_per_second"] =
      benchmark::Counter(static_cast<double>(state.iterations()) * kPages, benchmark::Counter::kIsRate);
  delete form;
}

void BM_ExportXls(benchmark::State& state) { Export(state, true); }
BENCHMARK(BM_ExportXls)->Unit(benchmark::kMillisecond)->Iterations(2);

void BM_ExportRtf(benchmark::State& state) { Export(state, false); }
BENCHMARK(BM_ExportRtf)->Unit(benchmark::kMillisecond)->Iterations(2);

}  // namespace
