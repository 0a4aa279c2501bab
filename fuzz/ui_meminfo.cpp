// LIBS: platform_ui
// The memory figures reader: any text gives figures or a refusal, and the
// figures it gives are consistent.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "platform/ui/Shell.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  MEMORYSTATUSEX status;
  if (ParseMemInfo(std::string_view(reinterpret_cast<const char*>(data), size), status)) {
    if (status.ullTotalPhys == 0 || status.ullAvailPhys > status.ullTotalPhys || status.dwMemoryLoad > 100 ||
        status.ullTotalPageFile < status.ullTotalPhys || status.ullAvailPageFile < status.ullAvailPhys)
      std::abort();
  }
  return 0;
}
