// LIBS: grid_controls platform_backend
// Cell blocks from the clipboard, which any program may fill: a block is
// read whole or refused with EReadError, never a crash, a hang or a grid
// left half changed; a block that was read writes out again and reads back.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>

#include "grid/ExtGrid.h"
#include "platform/backend/headless/Headless.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static bool started = (InstallHeadlessBackend(), true);
  (void)started;
  auto grid = std::make_unique<TExtStringGrid>(nullptr);
  grid->SetColCount(4);
  grid->SetRowCount(4);
  grid->SetCellText(1, 1, "keep");
  TStringStream stream{AnsiString(reinterpret_cast<const char*>(data), size)};
  try {
    grid->LoadCellBlock(TPoint{1, 1}, stream);
  } catch (const EReadError&) {
    // Refused: nothing changed.
    if (grid->GetCellText(1, 1) != "keep" || grid->RowCount() != 4 || grid->ColCount() != 4) std::abort();
    return 0;
  }
  if (static_cast<long long>(grid->ColCount()) * grid->RowCount() > 20000) return 0;
  TMemoryStream again;
  grid->SaveCellBlock(TGridRect{0, 0, grid->ColCount() - 1, grid->RowCount() - 1}, again);
  again.SetPosition(0);
  TExtStringGrid other(nullptr);
  other.LoadCellBlock(TPoint{0, 0}, again);
  if (other.RowCount() != grid->RowCount() || other.GetCellText(1, 1) != grid->GetCellText(1, 1))
    std::abort();
  return 0;
}
