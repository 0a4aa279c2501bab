// LIBS: printing_forms platform_backend
// The rich-text printer with the calculation text of 500 offers (about
// 1,050 lines of 85 characters): paged to the PDF printer with header and
// footer, and one preview page written as a compressed page file, read
// back and drawn.

#include <benchmark/benchmark.h>

#include <memory>

#include "platform/backend/headless/Headless.h"
#include "platform/gfx/CairoCanvas.h"
#include "platform/rtl/SysUtils.h"
#include "platform/ui/Application.h"
#include "printing/RichPrint.h"
#include "tests/printing/PrintScene.h"

namespace {

constexpr int kReportLines = 1050;

// The calculation text of 500 offers, in the preview's font.
struct Scene : PrintScene {
  Scene() {
    CourierLines(-11);
    AnsiString text;
    for (int i = 0; i < kReportLines; ++i)
      text += Format(" %4d  ", {i}) + "ΕΡΓΟΛΗΠΤΙΚΗ ΕΤΑΙΡΕΙΑ ΑΕ"_a + AnsiString(20, ' ') +
              "   1.234.567,89      12,345        " + "\r\n";
    edit->SetText(text);
  }
};

void BM_PageTheCalculationTextToPdf(benchmark::State& state) {
  Scene scene;
  TRichPrinter printer(nullptr);
  printer.ShowProgress = false;
  printer.SetTitle("ΥΠΟΛΟΓΙΣΜΟΙ"_a);
  Printer()->FileName = "/dev/null";
  int pages = 0;
  for (auto _ : state) {
    printer.PrintRichEdit(scene.edit, 1);
    pages = printers::JobLog().back().Pages;
    printers::ClearJobLog();
  }
  state.counters["pages"] = pages;
}
BENCHMARK(BM_PageTheCalculationTextToPdf)->Unit(benchmark::kMillisecond);

// One page as the preview keeps it: recorded, compressed into its file,
// inflated and drawn on the screen's image.
void BM_PreviewPageWrittenReadAndDrawn(benchmark::State& state) {
  Scene scene;
  TImageCanvas reference(10, 10);
  FORMATRANGE range;
  const int lpx = Printer()->GetDeviceCaps(LOGPIXELSX);
  const int pw = Printer()->GetDeviceCaps(PHYSICALWIDTH), ph = Printer()->GetDeviceCaps(PHYSICALHEIGHT);
  range.rc = range.rcPage = Rect(1440, 1440, pw * 1440 / lpx - 1440, ph * 1440 / lpx - 1440);
  TPreviewPageFiles files(true);
  TImageCanvas screen(600, 850);
  for (auto _ : state) {
    TMetafile page;
    page.SetWidth(pw);
    page.SetHeight(ph);
    {
      TMetafileCanvas canvas(&page, Printer()->Canvas());
      range.hdc = range.hdcTarget = &canvas;
      range.chrg.cpMin = 0;
      scene.edit->Perform(EM_FORMATRANGE, 1, reinterpret_cast<LPARAM>(&range));
    }
    files.SavePage(0, page);
    TMetafile back;
    files.LoadPage(0, back);
    screen.StretchDraw(Rect(0, 0, 600, 850), &back);
  }
}
BENCHMARK(BM_PreviewPageWrittenReadAndDrawn)->Unit(benchmark::kMillisecond);

}  // namespace
