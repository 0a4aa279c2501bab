// LIBS: platform_ui
// File lists dragged in from anywhere: any block gives names that lie wholly
// inside it, and the names written back out read the same.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "platform/ui/DragDrop.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::vector<std::uint8_t> block(data, data + size);
  const std::vector<AnsiString> names = ReadDropFiles(block);
  std::size_t total = 0;
  for (const AnsiString& name : names) {
    if (name.empty()) std::abort();
    total += name.size() + 1;
  }
  if (total > size) std::abort();
  // Narrow names survive a narrow round trip exactly.
  if (size >= 20 && data[16] == 0 && data[17] == 0 && data[18] == 0 && data[19] == 0 &&
      ReadDropFiles(MakeDropFiles(names, false)) != names)
    std::abort();
  return 0;
}
