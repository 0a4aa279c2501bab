// LIBS: printing_forms platform_backend
// The rich-text printer with the calculation text of 500 offers (about
// 1,050 lines of 85 characters): paged to the PDF printer with header and
// footer, one preview page written as a compressed page file, read back
// and drawn, and the calculation preview saving the text as RTF and
// opening it again.

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "platform/backend/headless/Headless.h"
#include "platform/gfx/CairoCanvas.h"
#include "platform/rtl/SysUtils.h"
#include "platform/ui/Application.h"
#include "printing/Prevunt.h"
#include "printing/RichPrint.h"
#include "tests/platform/rtl/TempFolder.h"
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
  // A real file in a folder of this run's own: the printer refuses to
  // write its PDF to /dev/null.
  TempFolder folder;
  Printer()->FileName = folder / "calculation.pdf";
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

// The calculation preview's Save to an ".RTF" name and Open of that file,
// with the report's first lines in bold so that the file holds formats.
void BM_CalculationTextRtfSaveAndOpen(benchmark::State& state) {
  Scene scene;
  auto* form = NewForm<Tprevform>(scene.owner.get(), *scene.edit, "Πρόγραμμα δημοπρασιών"_a);
  TRichEdit& memo = *form->Prevmemo;
  memo.SetSelStart(0);
  memo.SetSelLength(200);
  memo.SelAttributes().SetStyle(fsBold);
  TempFolder folder;
  const AnsiString file = folder / "report.rtf";
  for (auto _ : state) {
    form->FileName = file;
    form->FileSave(form);
    form->PerformFileOpen(file);
  }
  state.counters["lines"] = memo.Lines().Count();
}
BENCHMARK(BM_CalculationTextRtfSaveAndOpen)->Unit(benchmark::kMillisecond);

}  // namespace
