// LIBS: platform_ui
// File lists dropped from other programs as URI lists: any bytes give only
// absolute names without NUL, never more names than lines, and a list
// written back from those names reads the same.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/ui/SystemClipboard.h"

namespace {

std::string Escaped(const std::string& path) {
  static const char* hex = "0123456789ABCDEF";
  std::string out = "file://";
  for (unsigned char c : path) {
    if (c > ' ' && c < 0x7F && c != '%') {
      out += static_cast<char>(c);
    } else {
      out += '%';
      out += hex[c >> 4];
      out += hex[c & 15];
    }
  }
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view list(reinterpret_cast<const char*>(data), size);
  const auto files = ui::ReadUriList(list);
  std::size_t lines = 1;
  for (char c : list) lines += c == '\n';
  if (files.size() > lines) std::abort();
  std::string again;
  for (const std::string& f : files) {
    if (f.empty() || f.front() != '/' || f.find('\0') != std::string::npos) std::abort();
    again += Escaped(f) + "\r\n";
  }
  if (ui::ReadUriList(again) != files) std::abort();
  return 0;
}
