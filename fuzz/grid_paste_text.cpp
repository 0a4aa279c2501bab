// LIBS: grid_controls platform_backend
// Text pasted from other programs into a grid, with smart fill: the first
// byte picks the options, the locale and the selection, the rest is the
// text. Every input ends without a crash, a hang or an exception other than
// the grid's own refusals: a series that looks like dates or decimals but
// is none is refused as the user would be told.
#include <cstddef>
#include <cstdint>
#include <memory>

#include "grid/ExtGrid.h"
#include "platform/backend/headless/Headless.h"
#include "platform/ui/Clipbrd.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static bool started = (InstallHeadlessBackend(), true);
  (void)started;
  if (size == 0 || size > 8192) return 0;
  const std::uint8_t mode = data[0];
  if (mode & 1)
    LoadGreekLocale();
  else
    LoadDefaultLocale();
  auto grid = std::make_unique<TExtStringGrid>(nullptr);
  grid->SetColCount(4);
  grid->SetRowCount(6);
  grid->SetOptions(grid->Options() + TGridOptions{goEditing, goRangeSelect});
  grid->Navigation().AllowSmartClipboard = true;
  grid->Navigation().AllowClipboardColGrow = mode & 2;
  grid->Navigation().AllowClipboardRowGrow = mode & 4;
  grid->ClipboardQuoteMultiLine = mode & 8;
  grid->Multilinecells = mode & 8;
  const AnsiString text(reinterpret_cast<const char*>(data + 1), size - 1);
  Clipboard()->SetAsText(text);
  // A one-cell, one-column, one-row or block selection.
  const int shape = (mode >> 4) & 3;
  grid->SetSelection(TGridRect{1, 1, shape & 1 ? 3 : 1, shape & 2 ? 5 : 1});
  try {
    grid->PasteAtSelection();
  } catch (const EConvertError&) {
  }
  (void)TextDimensions(text);
  grid->PasteText(2, 2, text);
  return 0;
}
