// The small text operations of the numeric library.

#include "tender/N_STR.h"

AnsiString DelBlanks(std::string_view text) {
  AnsiString result;
  result.reserve(text.size());
  for (char c : text)
    if (c != ' ') result += c;
  return result;
}

AnsiString PadLeft(std::string_view text, int width) {
  if (width < 0) width = 0;
  size_t length = text.size();
  while (length > 0 && text[length - 1] == ' ') --length;
  text = text.substr(0, length);
  const auto target = static_cast<size_t>(width);
  if (text.size() > target) return AnsiString(text.substr(text.size() - target));
  AnsiString result(target - text.size(), ' ');
  result += text;
  return result;
}

int LastPos(std::string_view sub, std::string_view text) {
  if (sub.empty()) return 0;
  int last = 0;
  size_t from = 0;
  while (true) {
    const size_t found = text.find(sub, from);
    if (found == std::string_view::npos) return last;
    last = static_cast<int>(found) + 1;
    from = found + sub.size();
  }
}

AnsiString RepeatChar(int count, char ch) { return count > 0 ? AnsiString(count, ch) : AnsiString(); }

char GreekUpCase(char ch) {
  const auto code = static_cast<unsigned char>(ch);
  switch (code) {
    case 0xDC:  // ά
      return static_cast<char>(0xC1);
    case 0xDD:  // έ
      return static_cast<char>(0xC5);
    case 0xDE:  // ή
      return static_cast<char>(0xC7);
    case 0xDF:  // ί
    case 0xFA:  // ϊ
      return static_cast<char>(0xC9);
    case 0xFC:  // ό
      return static_cast<char>(0xCF);
    case 0xFD:  // ύ
    case 0xFB:  // ϋ
      return static_cast<char>(0xD5);
    case 0xFE:  // ώ
      return static_cast<char>(0xD9);
    case 0xF2:  // ς
      return static_cast<char>(0xD3);
    default:
      break;
  }
  if (code >= 0xE1 && code <= 0xF9) return static_cast<char>(code - 32);  // α..ω
  return ch;
}
