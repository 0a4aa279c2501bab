// LIBS: grid_controls platform_backend
// Rich-text cells: any bytes as the RTF a cell holds, drawn into a cell of
// a size taken from the first bytes, selected or not, and measured at its
// natural size and fitted to its column, without crash or hang, drawing
// only inside the cell.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "grid/ExtGrid.h"
#include "platform/backend/headless/Headless.h"
#include "platform/gfx/RecordingCanvas.h"
#include "platform/ui/Application.h"
#include "platform/ui/Forms.h"

namespace {

// One grid for every run: its window and first paint are the slow part.
TExtStringGrid& FuzzGrid() {
  static TExtStringGrid* grid = [] {
    InstallHeadlessBackend();
    TForm* form = NewForm<TForm>(nullptr);
    form->SetBounds(0, 0, 500, 300);
    auto* g = new TExtStringGrid(form);
    g->SetBounds(5, 5, 480, 250);
    g->SetParent(form);
    g->SetColCount(3);
    g->SetRowCount(3);
    form->Show();
    Application->ProcessMessages();
    return g;
  }();
  return *grid;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 3 || size > 8192) return 0;
  TExtStringGrid& grid = FuzzGrid();
  // The text starts as rich text does, so that every input reaches the
  // rich-text painter.
  grid.SetCells(1, 1, "{\\" + AnsiString(reinterpret_cast<const char*>(data) + 3, size - 3));
  grid.SelectionRTFKeep = data[0] & 1;
  grid.SetSelectionTextColor(data[0] & 2 ? clYellow : clNotSet);
  grid.SetWordWrap(data[0] & 4);
  grid.SetColWidths(1, 4 + data[1]);
  const TRect cell = Bounds(10, 10, 4 + data[1], 4 + data[2] % 160);
  TRecordingCanvas canvas(400, 300);
  canvas.Font->Name = "Arial";
  grid.DrawCellContent(canvas, 1, 1, cell, data[0] & 8 ? TGridDrawState{gdSelected} : TGridDrawState{});
  for (const TDrawCall& call : canvas.Calls) {
    if (call.Op != "ExtTextOut" && call.Op != "ExtTextOutW") continue;
    if (!call.Clip) std::abort();
    for (const TRect& r : *call.Clip)
      if (r.Left < cell.Left || r.Top < cell.Top || r.Right > cell.Right || r.Bottom > cell.Bottom) std::abort();
  }
  for (bool fit : {false, true}) {
    TPoint measured;
    grid.GetCellTextSize(1, 1, fit, measured);
    if (measured.X < 0 || measured.Y < 0) std::abort();
  }
  return 0;
}
