// LIBS: platform_ui
// RTF from files, the clipboard and cells: any bytes are read into a
// document or refused with ERichTextError; what is read writes back to RTF
// that reads to the same document.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "platform/ui/ComCtrlsRichText.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  TRichDocument doc;
  try {
    doc = richtext::ReadRtf(bytes);
  } catch (const ERichTextError&) {
    return 0;
  }
  const AnsiString written = richtext::WriteRtf(doc);
  if (!(richtext::ReadRtf(written) == doc)) std::abort();
  return 0;
}
