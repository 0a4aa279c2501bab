// LIBS: grid_controls
// The office suite's answer about a worksheet, as the bridge prints it:
// any bytes give a sound range and cells inside it, or the reader's error.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "grid/WorksheetReader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  try {
    const TWorksheet sheet =
        ParseWorksheetAnswer(std::string_view(reinterpret_cast<const char*>(data), size));
    if (sheet.FirstRow < 1 || sheet.FirstCol < 1 || sheet.LastRow < sheet.FirstRow ||
        sheet.LastCol < sheet.FirstCol)
      std::abort();
    for (const TWorksheetCell& cell : sheet.Cells)
      if (cell.Row < sheet.FirstRow || cell.Row > sheet.LastRow || cell.Col < sheet.FirstCol ||
          cell.Col > sheet.LastCol)
        std::abort();
  } catch (const EWorksheetError&) {
  }
  return 0;
}
