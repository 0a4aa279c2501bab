// LIBS: grid_controls platform_backend
// A paste of the grid's own clipboard format whose bytes another program
// put there: the first byte picks the options and the target, the rest is
// the block. A bad block raises one EReadError and changes nothing.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string_view>

#include "grid/ExtGrid.h"
#include "platform/backend/headless/Headless.h"
#include "platform/ui/Clipbrd.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static bool started = (InstallHeadlessBackend(), true);
  (void)started;
  if (size == 0) return 0;
  const std::uint8_t mode = data[0];
  auto grid = std::make_unique<TExtStringGrid>(nullptr);
  grid->SetColCount(5);
  grid->SetRowCount(5);
  grid->SetOptions(grid->Options() + TGridOptions{goEditing, goRangeSelect});
  grid->Navigation().AllowFmtClipboard = true;
  grid->Navigation().AllowSmartClipboard = mode & 1;
  grid->Navigation().AllowClipboardColGrow = mode & 2;
  grid->Navigation().AllowClipboardRowGrow = mode & 4;
  grid->SetCellText(0, 0, "keep");
  Clipboard()->SetAsText("x");
  Clipboard()->SetAsHandle(GridCellsClipboardFormat(),
                           std::string_view(reinterpret_cast<const char*>(data + 1), size - 1));
  const int col = 1 + ((mode >> 3) & 1), row = 1 + ((mode >> 5) & 3);
  grid->SetSelection(TGridRect{col, row, col + 2 * (mode >> 7), row});
  try {
    grid->PasteAtSelection();
  } catch (const EReadError&) {
    if (grid->GetCellText(0, 0) != "keep" || grid->RowCount() != 5 || grid->ColCount() != 5) std::abort();
  }
  return 0;
}
