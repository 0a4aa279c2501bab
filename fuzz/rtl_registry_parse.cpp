// LIBS: platform_rtl
// The registry store's value files lie in the user's folder where anything
// may damage them: they must read as the values that are whole, and a write
// must keep those.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/rtl/Registry.h"

namespace {

// A folder of its own for the run, removed when the process ends.
struct ScratchFolder {
  ScratchFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "rtl_registry_parse.XXXXXX").string();
    path = ::mkdtemp(pattern.data());
    std::filesystem::create_directories(path + "/HKEY_CURRENT_USER/K");
  }
  ~ScratchFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
  }
  std::string path;
};

const std::string& scratchFolder() {
  static const ScratchFolder folder;
  return folder.path;
}

void check(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string& root = scratchFolder();
  SetRegistryStoreRoot(cp1253::FromUtf8(root));
  std::ofstream(root + "/HKEY_CURRENT_USER/K/.values", std::ios::binary | std::ios::trunc)
      .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  TRegistry reg;
  check(reg.OpenKey("K", false));
  TStringList names;
  reg.GetValueNames(&names);
  unsigned char buffer[64];
  for (int i = 0; i < names.Count() && i < 32; ++i) {
    const AnsiString name = names[i];
    switch (reg.GetDataType(name)) {
      case rdString:
      case rdExpandString:
        reg.ReadString(name);
        break;
      case rdInteger:
        reg.ReadInteger(name);
        break;
      default:
        if (reg.GetDataSize(name) <= static_cast<int>(sizeof buffer))
          reg.ReadBinaryData(name, buffer, sizeof buffer);
    }
  }
  reg.WriteString("fuzz=\r\n", "v\r\n%");
  check(reg.ReadString("FUZZ=\r\n") == "v\r\n%");
  TStringList after;
  reg.GetValueNames(&after);
  for (int i = 0; i < names.Count(); ++i) check(after.IndexOf(names[i]) >= 0);
  return 0;
}
