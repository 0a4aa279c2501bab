// LIBS: tender_logic
// The index reads the first bytes of every project file of a folder: any
// bytes give texts within their fields' capacities.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "tender/ProjectFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const TIndexRow row = IndexRowOf(std::string_view(reinterpret_cast<const char*>(data), size));
  if (row.Date.size() > 10 || row.ProjectText.size() > 255 || row.ServiceText.size() > 255 ||
      row.IndicativeTotal.size() > 20 || row.Offers.size() > 3)
    std::abort();
  return 0;
}
