#pragma once
// The texts the pages of a stored run draw on the printer, where they land
// on its device with the advances their records give: what a plain program
// drawing the same glyphs at the same places is handed.

#include <cstdlib>
#include <vector>

#include "platform/gfx/RecordingCanvas.h"
#include "platform/print/Printers.h"
#include "report/RpPrntr.h"

namespace {

struct PlacedText {
  int x = 0, y = 0;  // the top left of the line, in printer dots
  int size = 0;      // the font's em in printer dots
  AnsiString text;
  std::vector<int> dx;
};

// Every page of Run played as printing places it, onto a canvas that logs
// each text where it lands on the current printer.
inline std::vector<std::vector<PlacedText>> PlacedTexts(TRpPrinter& run) {
  TPrinter& printer = *Printer();
  const int dpi = printer.GetDeviceCaps(LOGPIXELSX);
  const int width = printer.GetDeviceCaps(HORZRES), height = printer.GetDeviceCaps(VERTRES);
  std::vector<std::vector<PlacedText>> pages;
  for (int n = 1; n <= run.PageCount(); ++n) {
    std::unique_ptr<TMetafile> page = run.GetPage(n);
    TRecordingCanvas canvas(width, height, dpi);
    const TRect sheet{0, 0, static_cast<int>(page->MMWidth() / 10.0 * dpi / 254 + 0.5),
                      static_cast<int>(page->MMHeight() / 10.0 * dpi / 254 + 0.5)};
    canvas.StretchDraw(sheet, page.get());
    std::vector<PlacedText>& texts = pages.emplace_back();
    for (const TDrawCall& call : canvas.CallsOf("ExtTextOut")) {
      PlacedText placed{call.Args[0], call.Args[1], std::abs(call.Font.Height()), call.Text, {}};
      const size_t count = call.Text.size();
      if (call.Args.size() >= 2 + count) placed.dx.assign(call.Args.end() - count, call.Args.end());
      texts.push_back(std::move(placed));
    }
  }
  return pages;
}

}  // namespace
