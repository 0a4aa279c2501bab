// LIBS: platform_rtl
// A name on the command line, any bytes: the program's parameters give
// back what was passed, a name the code page holds expands to a full name
// in it, and one it cannot hold is refused with a message that shows it.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/rtl/Cp1253.h"
#include "platform/rtl/FileUtils.h"
#include "platform/rtl/SysUtils.h"
#include "platform/rtl/System.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > 8192) return 0;
  // Up to the first NUL: what an argument can hold.
  std::string name(reinterpret_cast<const char*>(data), size);
  name = name.substr(0, name.find('\0'));
  const char* argv[] = {"/usr/bin/dimoprasia", name.c_str(), "second"};
  SetCommandLine(3, argv);
  if (ParamCount() != 2 || ParamStrUtf8(1) != name || ParamStrUtf8(2) != "second") std::abort();
  (void)UpperCase(ParamStr(1)).find(".DDN");
  AnsiString fileName;
  std::string full;
  if (ExpandHeldFileName(ParamStrUtf8(1), fileName, full)) {
    if (fileName.empty() || fileName[0] != '/') std::abort();
    if (full.size() < name.size()) std::abort();
    (void)ChangeFileExt(fileName, ".ddn");
    (void)ExtractFileName(fileName);
  } else {
    if (UnheldNameMessage(full).empty()) std::abort();
  }
  return 0;
}
