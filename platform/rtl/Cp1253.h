#pragma once
// Text inside the program is code page 1253: one byte one character, so
// fixed report columns and 1-based Copy/Pos work on bytes. UTF-8 and UTF-16
// appear only at the edges (file names, drawing, clipboard, keyboard).

#include <cstddef>
#include <string>
#include <string_view>

using AnsiString = std::string;
using WideString = std::u16string;

namespace cp1253 {

// The code point of a 1253 byte; undefined bytes give U+FFFD.
char16_t ToUnicode(unsigned char byte);
// The 1253 byte of a code point, or -1 when the code page has none.
int FromUnicode(char32_t cp);

// UTF-8 to 1253; characters with no 1253 byte (and malformed UTF-8 bytes)
// become "?".
AnsiString FromUtf8(std::string_view utf8);
// UTF-8 to 1253 only when every character has its 1253 byte; false (and
// Ansi untouched) otherwise, and for malformed UTF-8.
bool TryFromUtf8(std::string_view utf8, AnsiString& ansi);
// UTF-8 shown whole in 1253, for messages: a character the code page lacks
// is written as its code point "<U+0436>", a malformed byte as "<FF>", and
// "<" itself as "<<", so that no two texts show alike.
AnsiString ShowUtf8(std::string_view utf8);
// 1253 to UTF-8; undefined bytes show as U+FFFD.
std::string ToUtf8(std::string_view ansi);
AnsiString FromWide(std::u16string_view wide);
// UTF-16 to UTF-8; half a surrogate pair becomes U+FFFD.
std::string WideToUtf8(std::u16string_view wide);
// One code point as UTF-8 (four bytes beyond the basic plane).
void AppendUtf8(std::string& out, char32_t cp);
// The same written at Out, which has room for four bytes: the count
// written. Texts converted a character at a time are sized once and
// filled through it.
inline int EncodeUtf8(char32_t cp, char* out) {
  if (cp < 0x80) {
    out[0] = static_cast<char>(cp);
    return 1;
  }
  if (cp < 0x800) {
    out[0] = static_cast<char>(0xC0 | (cp >> 6));
    out[1] = static_cast<char>(0x80 | (cp & 0x3F));
    return 2;
  }
  if (cp < 0x10000) {
    out[0] = static_cast<char>(0xE0 | (cp >> 12));
    out[1] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out[2] = static_cast<char>(0x80 | (cp & 0x3F));
    return 3;
  }
  out[0] = static_cast<char>(0xF0 | (cp >> 18));
  out[1] = static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
  out[2] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
  out[3] = static_cast<char>(0x80 | (cp & 0x3F));
  return 4;
}
WideString ToWide(std::string_view ansi);

}  // namespace cp1253

// Source files are UTF-8; a Greek literal becomes program text through this
// suffix: "Σφάλμα"_a.
AnsiString operator""_a(const char* utf8, std::size_t len);
