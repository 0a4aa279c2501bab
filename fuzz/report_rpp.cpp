// LIBS: report
// The saved report file's loader: the header probe, the record chain check
// and every page read forwards and backwards. Damage is an error, never a
// crash, a hang or a wild allocation.
#include <cstddef>
#include <cstdint>

#include "report/RpPrntrPages.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  auto stream = std::make_unique<TRpStream>(1 << 30);
  stream->WriteBuffer(data, static_cast<int>(size));
  TRpPageList list;
  try {
    list.LoadFromStream(std::move(stream));
  } catch (const Exception&) {
    return 0;
  }
  const int count = list.PageCount();
  for (int n : {1, count, 2, count - 1, count + 1}) {
    try {
      list.GetPage(n);
    } catch (const Exception&) {
    }
  }
  return 0;
}
