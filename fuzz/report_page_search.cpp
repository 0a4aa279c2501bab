// LIBS: report
// The preview's text search over a page as a saved report file may hold
// it: any bytes, any search text. A damaged record holds no text; nothing
// crashes, hangs or reads outside the page.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "report/RpPrev.h"

// The first byte chooses the case rule, the second the length of the text
// searched for, which follows; the rest is the page.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const bool matchCase = (data[0] & 1) != 0;
  const std::size_t length = std::min<std::size_t>(data[1], size - 2);
  const AnsiString text(reinterpret_cast<const char*>(data + 2), length);
  const std::string_view page(reinterpret_cast<const char*>(data + 2 + length), size - 2 - length);
  FindTextInPageBytes(text, page, matchCase);
  FindTextInPageBytes("Σελίδα", page, false);
  return 0;
}
