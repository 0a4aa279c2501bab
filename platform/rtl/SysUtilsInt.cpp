// Integers to text and back, with the class library's rules and messages.

#include <cstdint>
#include <limits>

#include "platform/rtl/SysUtils.h"

void Abort() { throw EAbort(); }

AnsiString IntToStr(Int64 value) {
  // Built from the unsigned magnitude so that the most negative value works.
  std::uint64_t magnitude =
      value < 0 ? ~static_cast<std::uint64_t>(value) + 1 : static_cast<std::uint64_t>(value);
  char buffer[24];
  char* end = buffer + sizeof buffer;
  char* p = end;
  do {
    *--p = static_cast<char>('0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude != 0);
  if (value < 0) *--p = '-';
  return AnsiString(p, end);
}

AnsiString IntToHex(Int64 value, int digits) {
  // A negative value that fits 32 bits shows as 32 bits, as the class
  // library's Integer overload does ("FFFFFFFF" for -1).
  std::uint64_t bits = static_cast<std::uint64_t>(value);
  if (value < 0 && value >= std::numeric_limits<std::int32_t>::min()) bits &= 0xFFFFFFFFu;
  static const char kHex[] = "0123456789ABCDEF";
  AnsiString out;
  do {
    out.insert(out.begin(), kHex[bits & 0xF]);
    bits >>= 4;
  } while (bits != 0);
  if (digits > 32) digits = 32;
  if (Length(out) < digits) out.insert(0, static_cast<std::size_t>(digits - Length(out)), '0');
  return out;
}

namespace {

// The class library's Val for integers: leading spaces, a sign, decimal
// digits or hexadecimal after "$", "x" or "0x"; nothing may follow. Decimal
// values must fit the range; hexadecimal ones may use the whole unsigned
// width and wrap, so "$FFFFFFFF" is -1 as a 32-bit integer.
bool parseInteger(const AnsiString& s, int bits, Int64& value) {
  std::size_t i = 0;
  while (i < s.size() && s[i] == ' ') ++i;
  bool negative = false;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
    negative = s[i] == '-';
    ++i;
  }
  bool hex = false;
  if (i < s.size() && (s[i] == '$' || s[i] == 'x' || s[i] == 'X')) {
    hex = true;
    ++i;
  } else if (i + 1 < s.size() && s[i] == '0' && (s[i + 1] == 'x' || s[i + 1] == 'X')) {
    hex = true;
    i += 2;
  }
  if (i == s.size()) return false;
  const std::uint64_t unsignedLimit = bits == 64 ? ~std::uint64_t{0} : (std::uint64_t{1} << bits) - 1;
  // Decimal: up to the magnitude of the most negative value, checked below.
  const std::uint64_t decimalLimit = std::uint64_t{1} << (bits - 1);
  std::uint64_t magnitude = 0;
  for (; i < s.size(); ++i) {
    const char c = s[i];
    unsigned digit;
    if (c >= '0' && c <= '9') {
      digit = static_cast<unsigned>(c - '0');
    } else if (hex && c >= 'a' && c <= 'f') {
      digit = static_cast<unsigned>(c - 'a' + 10);
    } else if (hex && c >= 'A' && c <= 'F') {
      digit = static_cast<unsigned>(c - 'A' + 10);
    } else {
      return false;
    }
    const unsigned base = hex ? 16 : 10;
    const std::uint64_t limit = hex ? unsignedLimit : decimalLimit;
    if (magnitude > (limit - digit) / base) return false;
    magnitude = magnitude * base + digit;
  }
  if (hex) {
    // Reinterpret the bit pattern at the requested width.
    Int64 v;
    if (bits == 64) {
      v = static_cast<Int64>(magnitude);
    } else {
      v = static_cast<Int64>(static_cast<std::int32_t>(static_cast<std::uint32_t>(magnitude)));
    }
    value = negative ? static_cast<Int64>(0 - static_cast<std::uint64_t>(v)) : v;
    if (bits == 32) value = static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
    return true;
  }
  if (!negative && magnitude == decimalLimit) return false;
  value = negative ? static_cast<Int64>(0 - magnitude) : static_cast<Int64>(magnitude);
  return true;
}

[[noreturn]] void invalidInteger(const AnsiString& s) {
  throw EConvertError("'" + s + "' is not a valid integer value");
}

}  // namespace

bool TryStrToInt(const AnsiString& s, int& value) {
  Int64 v;
  if (!parseInteger(s, 32, v)) return false;
  value = static_cast<int>(v);
  return true;
}

int StrToInt(const AnsiString& s) {
  int value;
  if (!TryStrToInt(s, value)) invalidInteger(s);
  return value;
}

Int64 StrToInt64(const AnsiString& s) {
  Int64 value;
  if (!parseInteger(s, 64, value)) invalidInteger(s);
  return value;
}

int StrToIntDef(const AnsiString& s, int def) {
  int value;
  return TryStrToInt(s, value) ? value : def;
}
