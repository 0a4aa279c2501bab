// LIBS: platform_rtl
// The user's folder settings (user-dirs.dirs) may hold anything: the
// documents line is found or not, and the folder named is a piece of the
// text, "$HOME" expanded, never more.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/rtl/FileUtils.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > static_cast<std::size_t>(MaxUserDirsSize)) return 0;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  for (const std::string home : {"/home/χρήστης", ""}) {
    const std::string folder = DocumentsFolderSetting(text, home);
    if (folder.size() > size + home.size()) std::abort();
    if (folder.find('"') != std::string::npos || folder.find('\n') != std::string::npos) std::abort();
    if (!folder.empty() && text.find("XDG_DOCUMENTS_DIR=\"") == std::string_view::npos) std::abort();
  }
  return 0;
}
