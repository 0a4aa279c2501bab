// LIBS: report
// The page coder on any bytes: decoding them (the first two give how many
// bytes to decode) either succeeds or is an error for running out of code
// or for the code of no byte; and the bytes coded and decoded come back.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
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
  TStringStream coded;
  {
    TRpCompress encoder(&coded, true);
    encoder.Encode(data, size);
  }
  coded.SetPosition(0);
  std::vector<std::uint8_t> back(size);
  TRpCompress decoder(&coded, false);
  decoder.Decode(back.data(), size);
  if (std::vector<std::uint8_t>(data, data + size) != back) std::abort();
  return 0;
}
