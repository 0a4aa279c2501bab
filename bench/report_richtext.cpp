// LIBS: report platform_backend
// A rich text of twenty A4 pages in a band: the height it needs when
// expanded, and the report that prints it across pages to the PDF printer.

#include <benchmark/benchmark.h>

#include <filesystem>

#include "platform/backend/headless/Headless.h"
#include "report/RpCtrls.h"
#include "report/RpExport.h"
#include "tests/platform/rtl/TempFolder.h"
#include "tests/report/RpTestSupport.h"

namespace {

// Paragraphs of about three lines each at 12 points over 150 mm: twenty
// pages of 10 mm margins.
constexpr int kParagraphs = 380;

std::string TwentyPages() {
  std::string rtf = "{\\rtf1\\ansi\\ansicpg1253{\\fonttbl{\\f0\\fnil\\fcharset161 Arial;}}\\f0\\fs24 ";
  for (int i = 1; i <= kParagraphs; ++i)
    rtf += "\\'d0\\'f1\\'ef\\'f3\\'f6\\'ef\\'f1\\'dc " + std::to_string(i) +
           ": the offer of the bidder with its discount, the amount in words and the remarks of the "
           "committee on the documents it handed in, {\\b in bold} and plain again\\par ";
  return rtf + "}";
}

// The same words as one paragraph: every page after the first starts in
// the middle of it.
std::string OneParagraphOfTwentyPages() {
  std::string rtf = TwentyPages();
  for (size_t at = rtf.find("\\par "); at != std::string::npos; at = rtf.find("\\par ", at)) rtf.erase(at, 4);
  return rtf;
}

struct Report {
  explicit Report(const std::string& rtf = TwentyPages()) {
    InstallHeadlessBackend();
    SetRpMeasureInInches(false);
    rep = NewA4Report(&owner);
    rich = AddRichTextBand(rep, &owner, "Notes", 0, 100);
    rich->AutoStretch = true;
    rich->RichEdit()->SetRichText(rtf);
    rep->OnNeedData() = [this](TObject*, bool& more) { more = fed++ < 1; };
  }
  TComponent owner{nullptr};
  TBandRep* rep;
  TRpRichText* rich;
  int fed = 0;
};

void BM_RichTextExpandedHeight(benchmark::State& state) {
  Report r;
  Extended height = 0;
  for (auto _ : state) {
    r.rich->GetExpandedHeight(height);
    benchmark::DoNotOptimize(height);
  }
  // Screen pixels: an A4 page holds about 1,050 of them between its margins.
  state.counters["pages"] = static_cast<double>(height / (2770 * 96 / 254.0L));
}
BENCHMARK(BM_RichTextExpandedHeight)->Unit(benchmark::kMillisecond);

void PrintToPdfPrinter(benchmark::State& state, Report& r) {
  TempFolder folder;  // this run's own, gone at the end
  UsePdfPrinterIn(folder.path());
  int pages = 0;
  for (auto _ : state) {
    r.fed = 0;
    TRpPrinter printer(r.rep);
    printer.Destination = rpdPrinter;
    r.rep->RunInto(&printer);
    pages += printer.PageCount();
    state.counters["pages"] = printer.PageCount();
  }
  state.counters["pages/s"] = benchmark::Counter(pages, benchmark::Counter::kIsRate);
}

void BM_RichTextToPdfPrinter(benchmark::State& state) {
  Report r;
  PrintToPdfPrinter(state, r);
}
BENCHMARK(BM_RichTextToPdfPrinter)->Unit(benchmark::kMillisecond);

void BM_RichTextOneParagraphToPdfPrinter(benchmark::State& state) {
  Report r(OneParagraphOfTwentyPages());
  PrintToPdfPrinter(state, r);
}
BENCHMARK(BM_RichTextOneParagraphToPdfPrinter)->Unit(benchmark::kMillisecond);

// Sixty characters in a 1,638-point font in a box 30 mm wide: each one a
// line taller than the page, so each takes a page of its own, and the band
// grows 5 mm at a time over every one of them. The report is printed to
// its pages and then exported as pictures, as a report with an export
// runs it twice: the second run finds every line laid out already.
class PictureCount : public TRpExportFilter {
 public:
  PictureCount() : TRpExportFilter("count") {}
  void ControlOut(TRpPrintable* control, Extended, Extended) override {
    pictures += dynamic_cast<TRpImage*>(control) != nullptr;
  }
  int pictures = 0;
};

void BM_RichTextPageForEachLinePrintedAndExported(benchmark::State& state) {
  InstallHeadlessBackend();
  SetRpMeasureInInches(false);
  TComponent owner(nullptr);
  TBandRep* rep = NewA4Report(&owner);
  TRpRichText* rich = AddRichTextBand(rep, &owner, "Huge", 0, 100, 300);
  rich->AutoStretch = true;
  rich->RichEdit()->SetRichText("{\\rtf1\\fs3276 " + std::string(60, 'W') + "}");
  int fed = 0;
  rep->OnNeedData() = [&fed](TObject*, bool& more) { more = fed++ < 1; };
  int pages = 0;
  for (auto _ : state) {
    fed = 0;
    {
      TRpPrinter printer(rep);
      rep->RunInto(&printer);
      pages += printer.PageCount();
    }
    fed = 0;
    PictureCount filter;
    rep->ExportToFilter(&filter);
    pages += filter.pictures;
    state.counters["pictures"] = filter.pictures;
  }
  state.counters["pages/s"] = benchmark::Counter(pages, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_RichTextPageForEachLinePrintedAndExported)->Unit(benchmark::kMillisecond);

}  // namespace
