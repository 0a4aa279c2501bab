#pragma once
// A fresh folder under the system's temporary folder for one test, removed
// with everything in it afterwards.

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "platform/rtl/Cp1253.h"

class TempFolder {
 public:
  TempFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "dimtest.XXXXXX").string();
    path_ = ::mkdtemp(pattern.data());
  }
  ~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  // In UTF-8, as on disk.
  const std::string& path() const { return path_; }
  // A 1253 name inside the folder.
  AnsiString operator/(const AnsiString& name) const { return cp1253::FromUtf8(path_) + "/" + name; }

 private:
  std::string path_;
};

// Whole files by UTF-8 path, written and read without the code under test.
inline void WriteBytes(const std::string& utf8Path, const std::string& bytes) {
  std::ofstream(utf8Path, std::ios::binary) << bytes;
}
inline std::string ReadBytes(const std::string& utf8Path) {
  std::ifstream in(utf8Path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}
