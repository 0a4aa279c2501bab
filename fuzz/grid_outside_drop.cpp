// LIBS: grid_controls platform_backend
// A drop from another program on a grid, as the display hands it over: the
// first byte picks the names offered (text under each of its names, rich
// text) and the grid's drop settings, the second the cell; the rest is
// what the other program answers for every name. (File lists open the
// files they name, so they stay with the list's own reader.) Every input
// ends without a crash, a hang or an exception leaving the drop.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "GridDropStage.h"
#include "platform/ui/SystemClipboard.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static fuzz::GridDropStage& stage = *new fuzz::GridDropStage;
  if (size < 2 || size > 4096) return 0;
  TExtStringGrid& g = *stage.grid;
  const std::uint8_t mode = data[0], place = data[1];
  g.ClearAllCells();
  g.SetColCount(4);
  g.SetRowCount(6);
  g.DragDropSettings().OleInsertRows = mode & 64;
  g.DragDropSettings().SetOleDropRTF(mode & 128);
  static const char* const kNames[] = {"UTF8_STRING", "text/plain;charset=utf-8", "STRING",
                                       "text/rtf",    "application/rtf",          "application/x-other"};
  std::vector<std::string> names;
  for (int i = 0; i < 6; ++i)
    if (mode >> i & 1) names.push_back(kNames[i]);
  const std::string answer(reinterpret_cast<const char*>(data + 2), size - 2);
  ui::dragdrop::OutsideEnter(names, [&](const std::string&) { return ui::TClipboardRead{true, answer, {}}; });
  const TRect cell = g.CellRect(place & 3, std::min(place >> 2 & 7, 5));
  const TPoint at = g.ClientToScreen(Point(cell.Left + 2, cell.Top + 2));
  const DWORD keys = place & 128 ? MK_CONTROL_STATE : 0;
  ui::dragdrop::OutsideOver(at, DROPEFFECT_COPY | DROPEFFECT_MOVE, keys);
  ui::dragdrop::OutsideDrop(at, DROPEFFECT_COPY | DROPEFFECT_MOVE, keys);
  g.DropMarkers().HideAll();
  return 0;
}
