// LIBS: grid_controls
// The mini-HTML text helpers: any bytes give a result and nothing else;
// rewriting a control's value keeps the text around the marker.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "grid/EsgHTMLE.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  StripHTML(text);
  ReplaceHTMLEntities(text);
  DecodeRunEntities(text);
  if (text.find('&') == std::string::npos && DecodeAngleEntities(EncodeAngleEntities(text)) != text)
    std::abort();
  HexColorToColor(text);
  ColorNameToColor(text);
  const THTMLControlTag tag = ParseControlTag(text);
  AnsiString rewritten = text;
  if (!SetHTMLControlValue(rewritten, tag.ID, "<v>") && rewritten != text) std::abort();
  return 0;
}
