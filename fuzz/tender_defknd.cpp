// LIBS: tender_logic
// The settings file is read at every start; whatever it holds, the reader
// must give settings within their ranges.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "tender/DefKnd.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  TDefKndSettings settings;
  ReadDefKndText(std::string_view(reinterpret_cast<const char*>(data), size), settings);
  if (settings.CostDecimals > MaxSettingDecimals || settings.DiscountDecimals > MaxSettingDecimals ||
      settings.ExtraDecimalsA > MaxSettingDecimals || settings.ExtraDecimalsB > MaxSettingDecimals ||
      settings.HalfDown > 1)
    std::abort();
  TDefKndSettings again;
  ReadDefKndText(DefKndText(settings), again);
  if (again.CalcMode != settings.CalcMode || again.DiscountDecimals != settings.DiscountDecimals)
    std::abort();
  return 0;
}
