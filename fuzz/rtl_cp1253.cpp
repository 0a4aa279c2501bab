// LIBS: platform_rtl
// Text from the clipboard, the keyboard and file names arrives as UTF-8 or
// UTF-16 of any shape; conversion must never fail or read past the input.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "platform/rtl/Cp1253.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  AnsiString ansi = cp1253::FromUtf8(bytes);
  if (ansi.size() > size) std::abort();
  // Every 1253 text survives the trip through UTF-8 and UTF-16, but for the
  // undefined bytes, which come back as "?".
  AnsiString back = cp1253::FromUtf8(cp1253::ToUtf8(bytes));
  if (back.size() != size) std::abort();
  std::u16string wide(size / 2, u'\0');
  for (size_t i = 0; i + 1 < size; i += 2) wide[i / 2] = static_cast<char16_t>(data[i] | (data[i + 1] << 8));
  AnsiString fromWide = cp1253::FromWide(wide);
  if (fromWide.size() > wide.size()) std::abort();
  // A name is held only when it comes back as it was, and shown whole
  // (every byte at least once) when it is not.
  AnsiString held;
  if (cp1253::TryFromUtf8(bytes, held) && cp1253::ToUtf8(held) != bytes) std::abort();
  if (cp1253::ShowUtf8(bytes).size() < ansi.size()) std::abort();
  std::string utf8 = cp1253::WideToUtf8(wide);
  if (utf8.size() > 3 * wide.size()) std::abort();
  return 0;
}
