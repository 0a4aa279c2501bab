// LIBS: platform_ui
// The list of formats another program's clipboard answers with: any bytes
// give sound atoms, each once, never more than asked for, and each name a
// program offers maps to a format or to none without growing the registry.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/ui/Clipbrd.h"
#include "platform/ui/SystemClipboard.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const std::string_view bytes(reinterpret_cast<const char*>(data + 1), size - 1);
  const std::size_t itemSize = data[0] & 1 ? 8 : 4;
  const auto atoms = ui::ReadTargetsReply(bytes, 32, itemSize, 64);
  if (atoms.size() > 64 || atoms.size() > bytes.size() / itemSize) std::abort();
  for (std::uint32_t atom : atoms)
    if (atom == 0 || atom >= (1u << 29)) std::abort();
  // The same bytes as names of targets.
  const std::string name(bytes);
  const UINT format = ui::FormatOfTarget(name);
  if (format >= 0xC000 && GetClipboardFormatName(format).empty()) std::abort();
  (void)ui::AnswerTypeFits(name, name.substr(name.size() / 2));
  const std::string latin = ui::Utf8ToLatin1(name);
  if (latin.size() > name.size()) std::abort();
  if (ui::Utf8ToLatin1(ui::Latin1ToUtf8(name)) != name) std::abort();
  return 0;
}
