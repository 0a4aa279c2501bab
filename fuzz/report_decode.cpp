// LIBS: report
// The page coder's decoder on any bytes: the first two give how many bytes
// to decode; running out of code or the code of no byte is an error.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "report/RpPrntrPages.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const size_t count = data[0] | (data[1] << 8);
  TStringStream in(AnsiString(reinterpret_cast<const char*>(data) + 2, size - 2));
  std::vector<std::uint8_t> out(count);
  try {
    TRpCompress coder(&in, false, static_cast<Int64>(size) - 2);
    coder.Decode(out.data(), count);
  } catch (const Exception&) {
  }
  return 0;
}
