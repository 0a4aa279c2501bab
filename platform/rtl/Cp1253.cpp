#include "platform/rtl/Cp1253.h"

#include <array>
#include <cstdio>

namespace cp1253 {
namespace {

// 0x80..0xFF; 0xFFFD marks a byte the code page leaves undefined.
constexpr char16_t kHigh[128] = {
    0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0xFFFD, 0x2030, 0xFFFD, 0x2039, 0xFFFD,
    0xFFFD, 0xFFFD, 0xFFFD, 0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0xFFFD, 0x2122,
    0xFFFD, 0x203A, 0xFFFD, 0xFFFD, 0xFFFD, 0xFFFD, 0x00A0, 0x0385, 0x0386, 0x00A3, 0x00A4, 0x00A5, 0x00A6,
    0x00A7, 0x00A8, 0x00A9, 0xFFFD, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x2015, 0x00B0, 0x00B1, 0x00B2, 0x00B3,
    0x0384, 0x00B5, 0x00B6, 0x00B7, 0x0388, 0x0389, 0x038A, 0x00BB, 0x038C, 0x00BD, 0x038E, 0x038F, 0x0390,
    0x0391, 0x0392, 0x0393, 0x0394, 0x0395, 0x0396, 0x0397, 0x0398, 0x0399, 0x039A, 0x039B, 0x039C, 0x039D,
    0x039E, 0x039F, 0x03A0, 0x03A1, 0xFFFD, 0x03A3, 0x03A4, 0x03A5, 0x03A6, 0x03A7, 0x03A8, 0x03A9, 0x03AA,
    0x03AB, 0x03AC, 0x03AD, 0x03AE, 0x03AF, 0x03B0, 0x03B1, 0x03B2, 0x03B3, 0x03B4, 0x03B5, 0x03B6, 0x03B7,
    0x03B8, 0x03B9, 0x03BA, 0x03BB, 0x03BC, 0x03BD, 0x03BE, 0x03BF, 0x03C0, 0x03C1, 0x03C2, 0x03C3, 0x03C4,
    0x03C5, 0x03C6, 0x03C7, 0x03C8, 0x03C9, 0x03CA, 0x03CB, 0x03CC, 0x03CD, 0x03CE, 0xFFFD,
};

// Reverse lookup for U+0080..U+2122: built once, a plain array so that the
// conversion costs one index.
struct Reverse {
  std::array<short, 0x2200> byte{};
  Reverse() {
    byte.fill(-1);
    for (int i = 0; i < 128; ++i) {
      char16_t u = kHigh[i];
      if (u != 0xFFFD && u < byte.size()) byte[u] = static_cast<short>(0x80 + i);
    }
  }
};
const Reverse& reverse() {
  static const Reverse r;
  return r;
}

// Decodes one UTF-8 sequence at s[i]; advances i. Malformed input yields
// U+FFFD and consumes one byte, so no input can stall the loop.
char32_t decodeUtf8(std::string_view s, std::size_t& i) {
  unsigned char c = static_cast<unsigned char>(s[i]);
  int extra;
  char32_t cp;
  if (c < 0x80) {
    ++i;
    return c;
  } else if ((c & 0xE0) == 0xC0) {
    extra = 1;
    cp = c & 0x1F;
  } else if ((c & 0xF0) == 0xE0) {
    extra = 2;
    cp = c & 0x0F;
  } else if ((c & 0xF8) == 0xF0) {
    extra = 3;
    cp = c & 0x07;
  } else {
    ++i;
    return 0xFFFD;
  }
  if (i + extra >= s.size()) {
    ++i;
    return 0xFFFD;
  }
  for (int k = 1; k <= extra; ++k) {
    unsigned char cc = static_cast<unsigned char>(s[i + k]);
    if ((cc & 0xC0) != 0x80) {
      ++i;
      return 0xFFFD;
    }
    cp = (cp << 6) | (cc & 0x3F);
  }
  static constexpr char32_t kMin[4] = {0, 0x80, 0x800, 0x10000};
  if (cp < kMin[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
    ++i;
    return 0xFFFD;
  }
  i += extra + 1;
  return cp;
}

}  // namespace

void AppendUtf8(std::string& out, char32_t cp) {
  char bytes[4];
  out.append(bytes, static_cast<std::size_t>(EncodeUtf8(cp, bytes)));
}

char16_t ToUnicode(unsigned char byte) { return byte < 0x80 ? byte : kHigh[byte - 0x80]; }

int FromUnicode(char32_t cp) {
  if (cp < 0x80) return static_cast<int>(cp);
  if (cp >= reverse().byte.size()) return -1;
  return reverse().byte[cp];
}

AnsiString FromUtf8(std::string_view utf8) {
  AnsiString out;
  out.reserve(utf8.size());
  for (std::size_t i = 0; i < utf8.size();) {
    char32_t cp = decodeUtf8(utf8, i);
    int b = FromUnicode(cp);
    out += b < 0 ? '?' : static_cast<char>(b);
  }
  return out;
}

namespace {

// The next character of UTF-8 text and its 1253 byte; -1 when the code page
// lacks it, or when the bytes are malformed (Malformed, decoded as U+FFFD).
int nextHeldByte(std::string_view utf8, std::size_t& i, char32_t& cp, bool& malformed) {
  const std::size_t at = i;
  cp = decodeUtf8(utf8, i);
  malformed = cp == 0xFFFD && utf8.substr(at, i - at) != "\xEF\xBF\xBD";
  return malformed ? -1 : FromUnicode(cp);
}

}  // namespace

bool TryFromUtf8(std::string_view utf8, AnsiString& ansi) {
  AnsiString out;
  out.reserve(utf8.size());
  for (std::size_t i = 0; i < utf8.size();) {
    char32_t cp;
    bool malformed;
    const int b = nextHeldByte(utf8, i, cp, malformed);
    if (b < 0) return false;
    out += static_cast<char>(b);
  }
  ansi = std::move(out);
  return true;
}

AnsiString ShowUtf8(std::string_view utf8) {
  AnsiString out;
  out.reserve(utf8.size());
  for (std::size_t i = 0; i < utf8.size();) {
    const std::size_t at = i;
    char32_t cp;
    bool malformed;
    const int b = nextHeldByte(utf8, i, cp, malformed);
    if (b >= 0 && b != '<') {
      out += static_cast<char>(b);
      continue;
    }
    char code[16];
    if (malformed)
      std::snprintf(code, sizeof code, "<%02X>", static_cast<unsigned char>(utf8[at]));
    else if (b == '<')
      std::snprintf(code, sizeof code, "<<");
    else
      std::snprintf(code, sizeof code, "<U+%04X>", static_cast<unsigned>(cp));
    out += code;
  }
  return out;
}

std::string ToUtf8(std::string_view ansi) {
  std::string out;
  out.reserve(ansi.size() * 2);
  for (char c : ansi) AppendUtf8(out, ToUnicode(static_cast<unsigned char>(c)));
  return out;
}

AnsiString FromWide(std::u16string_view wide) {
  AnsiString out;
  out.reserve(wide.size());
  for (std::size_t i = 0; i < wide.size(); ++i) {
    char32_t cp = wide[i];
    if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < wide.size() && wide[i + 1] >= 0xDC00 &&
        wide[i + 1] <= 0xDFFF) {
      ++i;  // a surrogate pair is one character, and never a 1253 one
      out += '?';
      continue;
    }
    int b = FromUnicode(cp);
    out += b < 0 ? '?' : static_cast<char>(b);
  }
  return out;
}

std::string WideToUtf8(std::u16string_view wide) {
  std::string out;
  out.reserve(wide.size() * 2);
  for (std::size_t i = 0; i < wide.size(); ++i) {
    char32_t cp = wide[i];
    if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < wide.size() && wide[i + 1] >= 0xDC00 &&
        wide[i + 1] <= 0xDFFF) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (wide[i + 1] - 0xDC00);
      ++i;
    } else if (cp >= 0xD800 && cp <= 0xDFFF) {
      cp = 0xFFFD;  // half a pair is no character
    }
    AppendUtf8(out, cp);
  }
  return out;
}

WideString ToWide(std::string_view ansi) {
  // Rich text is measured and drawn as wide text piece by piece: sized
  // once and filled by index rather than grown a character at a time.
  WideString out(ansi.size(), u'\0');
  for (std::size_t i = 0; i < ansi.size(); ++i) out[i] = ToUnicode(static_cast<unsigned char>(ansi[i]));
  return out;
}

}  // namespace cp1253

AnsiString operator""_a(const char* utf8, std::size_t len) {
  return cp1253::FromUtf8(std::string_view(utf8, len));
}
