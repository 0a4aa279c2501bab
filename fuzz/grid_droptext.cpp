// LIBS: grid_controls platform_backend
// Text dragged onto a grid from elsewhere: the first byte picks the grid's
// drop settings (row select, inserted rows, whole rows, a one-row grid,
// rich text), the second the cell it lands on; the rest is the text, also
// offered as its rich form. Every input ends without a crash, a hang or an
// exception leaving the drop.
#include <cstddef>
#include <cstdint>
#include <memory>

#include "GridDropStage.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static fuzz::GridDropStage& stage = *new fuzz::GridDropStage;
  if (size < 2 || size > 4096) return 0;
  TExtStringGrid& g = *stage.grid;
  const std::uint8_t mode = data[0], place = data[1];
  g.ClearAllCells();
  g.FixedRowAlways = mode & 8;
  g.SetColCount(4);
  g.SetRowCount(mode & 8 ? 1 : 6);
  g.SetTopRow(g.FixedRows() < g.RowCount() ? g.FixedRows() : 0);
  TGridOptions options = g.Options() - TGridOptions{goRowSelect};
  if (mode & 1) options = options + TGridOptions{goRowSelect};
  g.SetOptions(options);
  g.DragDropSettings().OleInsertRows = mode & 2;
  g.DragDropSettings().OleEntireRows = mode & 4;
  g.DragDropSettings().SetOleDropRTF(mode & 16);
  g.DragDropSettings().OleColumnDragDrop = mode & 32;
  const AnsiString text(reinterpret_cast<const char*>(data + 2), size - 2);
  const TComPtr<IDataObject> object(new TSourceDataObject(text, mode & 64 ? 1 : -1, text));
  TGridDropTarget& target = *g.DropTarget();
  const TRect cell =
      g.CellRect(std::min(place & 3, g.ColCount() - 1), std::min(place >> 2 & 7, g.RowCount() - 1));
  const TPoint at = g.ClientToScreen(Point(cell.Left + 2 + (place >> 5), cell.Top + 2));
  const DWORD keys = mode & 128 ? MK_CONTROL_STATE : 0;
  DWORD effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
  target.DragEnter(object.Get(), keys | MK_LBUTTON_STATE, at, effect);
  effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
  target.DragOver(keys | MK_LBUTTON_STATE, at, effect);
  effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
  target.Drop(object.Get(), keys, at, effect);
  SetDropRTF(false);
  return 0;
}
