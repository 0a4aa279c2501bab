// LIBS: platform_rtl
// INI files and list texts come from disk and may be damaged or binary: they
// must read as what can be parsed, and what is written must read back.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/rtl/IniFiles.h"

namespace {

// A folder of its own for the run, removed when the process ends.
struct ScratchFolder {
  ScratchFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "rtl_ini_parse.XXXXXX").string();
    path = ::mkdtemp(pattern.data());
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

void fuzzIni(const std::string& bytes) {
  const std::string path = scratchFolder() + "/f.ini";
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
  TIniFile ini(cp1253::FromUtf8(path));
  TStringList sections, names, values;
  ini.ReadSections(&sections);
  for (int i = 0; i < sections.Count() && i < 16; ++i) {
    ini.ReadSection(sections[i], &names);
    ini.ReadSectionValues(sections[i], &values);
    check(values.Count() == names.Count());
    for (int k = 0; k < names.Count() && k < 16; ++k) {
      ini.ReadString(sections[i], names[k], "");
      ini.ReadInteger(sections[i], names[k], 0);
      ini.ReadFloat(sections[i], names[k], 0);
    }
  }
  // A write into whatever was there reads back and leaves the rest readable.
  ini.WriteString("Fuzz", "Key", " value ");
  check(ini.ReadString("fuzz", "key", "") == " value ");
  TStringList after;
  ini.ReadSections(&after);
  check(after.IndexOf("Fuzz") >= 0);
  if (sections.Count() > 0) {
    ini.EraseSection(sections[0]);
    ini.ReadSections(&after);
  }
}

void fuzzLists(const std::string& bytes) {
  TStringList list;
  list.SetText(bytes);
  TStringList again;
  again.SetText(list.Text());
  check(again.Equals(list));

  list.SetCommaText(bytes);
  again.SetCommaText(list.CommaText());
  check(again.Equals(list));

  TStringList sorted;
  sorted.SetSorted(true);
  sorted.SetDuplicates(dupIgnore);
  sorted.SetText(bytes);
  for (int i = 0; i + 1 < sorted.Count(); ++i) check(AnsiCompareText(sorted[i], sorted[i + 1]) < 0);
  for (int i = 0; i < sorted.Count(); ++i) check(sorted.IndexOf(sorted[i]) == i);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  fuzzLists(bytes);
  fuzzIni(bytes);
  return 0;
}
