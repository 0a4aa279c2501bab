#include "platform/rtl/System.h"

#include <array>
#include <chrono>
#include <cmath>
#include <limits>

#include "platform/rtl/SysUtils.h"

// ---- strings ---------------------------------------------------------------

AnsiString Copy(std::string_view s, int index, int count) {
  const int len = Length(s);
  if (index < 1) index = 1;
  if (index > len || count <= 0) return {};
  const int available = len - index + 1;
  if (count > available) count = available;
  return AnsiString(s.substr(static_cast<std::size_t>(index - 1), static_cast<std::size_t>(count)));
}

int Pos(std::string_view substr, std::string_view s) {
  if (substr.empty()) return 0;
  const std::size_t at = s.find(substr);
  return at == std::string_view::npos ? 0 : static_cast<int>(at) + 1;
}

void Delete(AnsiString& s, int index, int count) {
  const int len = Length(s);
  if (index < 1 || index > len || count <= 0) return;
  const int available = len - index + 1;
  if (count > available) count = available;
  s.erase(static_cast<std::size_t>(index - 1), static_cast<std::size_t>(count));
}

void Insert(std::string_view source, AnsiString& s, int index) {
  const int len = Length(s);
  if (index < 1) index = 1;
  if (index > len) index = len + 1;
  s.insert(static_cast<std::size_t>(index - 1), source);
}

AnsiString StringOfChar(char ch, int count) {
  return count > 0 ? AnsiString(static_cast<std::size_t>(count), ch) : AnsiString();
}

namespace {

bool isBlankOrControl(char c) { return static_cast<unsigned char>(c) <= ' '; }

}  // namespace

std::string_view TrimView(std::string_view s) {
  std::size_t first = 0, last = s.size();
  while (first < last && isBlankOrControl(s[first])) ++first;
  while (last > first && isBlankOrControl(s[last - 1])) --last;
  return s.substr(first, last - first);
}

AnsiString Trim(std::string_view s) { return AnsiString(TrimView(s)); }

AnsiString TrimLeft(std::string_view s) {
  std::size_t first = 0;
  while (first < s.size() && isBlankOrControl(s[first])) ++first;
  return AnsiString(s.substr(first));
}

AnsiString TrimRight(std::string_view s) {
  std::size_t last = s.size();
  while (last > 0 && isBlankOrControl(s[last - 1])) --last;
  return AnsiString(s.substr(0, last));
}

char UpCase(char ch) { return (ch >= 'a' && ch <= 'z') ? static_cast<char>(ch - 'a' + 'A') : ch; }

namespace {

char asciiLower(char ch) { return (ch >= 'A' && ch <= 'Z') ? static_cast<char>(ch - 'A' + 'a') : ch; }

// Case and accent tables over the whole of code page 1253, built once.
struct CaseTables {
  std::array<unsigned char, 256> upper{};
  std::array<unsigned char, 256> lower{};
  // The letter without case and accent, for comparisons that ignore both.
  std::array<unsigned char, 256> base{};
  // 1 for an accented or diaeresis letter, so that "α" sorts before "ά".
  std::array<unsigned char, 256> accent{};

  void pair(int lowerByte, int upperByte) {
    upper[lowerByte] = static_cast<unsigned char>(upperByte);
    lower[upperByte] = static_cast<unsigned char>(lowerByte);
  }

  CaseTables() {
    for (int b = 0; b < 256; ++b) upper[b] = lower[b] = base[b] = static_cast<unsigned char>(b);
    for (int b = 'a'; b <= 'z'; ++b) pair(b, b - 'a' + 'A');
    // α..ω against Α..Ω; 0xD2 is undefined in the code page, and final
    // sigma (0xF2) upper-cases to Σ but Σ lower-cases to σ (0xF3).
    for (int b = 0xE1; b <= 0xF9; ++b)
      if (b != 0xF2) pair(b, b - 0x20);
    upper[0xF2] = 0xD3;
    pair(0xDC, 0xA2);  // ά Ά
    pair(0xDD, 0xB8);  // έ Έ
    pair(0xDE, 0xB9);  // ή Ή
    pair(0xDF, 0xBA);  // ί Ί
    pair(0xFC, 0xBC);  // ό Ό
    pair(0xFD, 0xBE);  // ύ Ύ
    pair(0xFE, 0xBF);  // ώ Ώ
    pair(0xFA, 0xDA);  // ϊ Ϊ
    pair(0xFB, 0xDB);  // ϋ Ϋ
    // ΐ (0xC0) and ΰ (0xE0) have no capital in the code page: they stay.

    for (int b = 0; b < 256; ++b) base[b] = upper[b];
    const int accented[][2] = {{0xA2, 0xC1}, {0xB8, 0xC5}, {0xB9, 0xC7}, {0xBA, 0xC9},
                               {0xBC, 0xCF}, {0xBE, 0xD5}, {0xBF, 0xD9}, {0xDA, 0xC9},
                               {0xDB, 0xD5}, {0xC0, 0xC9}, {0xE0, 0xD5}};
    for (auto [from, to] : accented) {
      accent[from] = 1;
      for (int b = 0; b < 256; ++b)
        if (upper[b] == from || b == from) {
          base[b] = static_cast<unsigned char>(to);
          accent[b] = 1;
        }
    }
  }
};

const CaseTables& caseTables() {
  static const CaseTables tables;
  return tables;
}

template <typename Map>
AnsiString mapBytes(std::string_view s, Map map) {
  AnsiString out(s);
  for (char& c : out) c = static_cast<char>(map(static_cast<unsigned char>(c)));
  return out;
}

// Primary weight: the letter without case and accent; Latin letters sort
// before Greek ones, everything else by its byte.
int primaryWeight(unsigned char c) { return caseTables().base[c]; }

int sign(int v) { return (v > 0) - (v < 0); }

// Compares as a reader would: first the letters, then the accents, then
// (when case counts) lower case before upper case at the first difference.
int collate(std::string_view a, std::string_view b, bool caseSensitive) {
  const auto& t = caseTables();
  const std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    const int d =
        primaryWeight(static_cast<unsigned char>(a[i])) - primaryWeight(static_cast<unsigned char>(b[i]));
    if (d != 0) return sign(d);
  }
  if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
  for (std::size_t i = 0; i < n; ++i) {
    const int d = t.accent[static_cast<unsigned char>(a[i])] - t.accent[static_cast<unsigned char>(b[i])];
    if (d != 0) return sign(d);
  }
  if (caseSensitive) {
    for (std::size_t i = 0; i < n; ++i) {
      const auto ca = static_cast<unsigned char>(a[i]), cb = static_cast<unsigned char>(b[i]);
      if (ca == cb) continue;
      const bool aUpper = t.lower[ca] != ca, bUpper = t.lower[cb] != cb;
      if (aUpper != bUpper) return aUpper ? 1 : -1;
      return ca < cb ? -1 : 1;
    }
  }
  return 0;
}

}  // namespace

AnsiString UpperCase(std::string_view s) {
  return mapBytes(s,
                  [](unsigned char c) { return static_cast<unsigned char>(UpCase(static_cast<char>(c))); });
}

AnsiString LowerCase(std::string_view s) {
  return mapBytes(
      s, [](unsigned char c) { return static_cast<unsigned char>(asciiLower(static_cast<char>(c))); });
}

AnsiString AnsiUpperCase(std::string_view s) {
  const auto& t = caseTables();
  return mapBytes(s, [&t](unsigned char c) { return t.upper[c]; });
}

AnsiString AnsiLowerCase(std::string_view s) {
  const auto& t = caseTables();
  return mapBytes(s, [&t](unsigned char c) { return t.lower[c]; });
}

int CompareText(std::string_view a, std::string_view b) {
  const std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    const int d = static_cast<unsigned char>(UpCase(a[i])) - static_cast<unsigned char>(UpCase(b[i]));
    if (d != 0) return d;
  }
  return static_cast<int>(a.size()) - static_cast<int>(b.size());
}

int CompareStr(std::string_view a, std::string_view b) {
  const std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    const int d = static_cast<unsigned char>(a[i]) - static_cast<unsigned char>(b[i]);
    if (d != 0) return d;
  }
  return static_cast<int>(a.size()) - static_cast<int>(b.size());
}

bool SameText(std::string_view a, std::string_view b) { return CompareText(a, b) == 0; }

int AnsiCompareText(std::string_view a, std::string_view b) { return collate(a, b, false); }

int AnsiCompareStr(std::string_view a, std::string_view b) { return collate(a, b, true); }

AnsiString QuotedStr(std::string_view s) {
  AnsiString out = "'";
  for (char c : s) {
    out += c;
    if (c == '\'') out += '\'';
  }
  out += '\'';
  return out;
}

int LastDelimiter(std::string_view delimiters, std::string_view s) {
  const std::size_t at = s.find_last_of(delimiters);
  return at == std::string_view::npos ? 0 : static_cast<int>(at) + 1;
}

// ---- arithmetic ------------------------------------------------------------

void RaiseInvalidOp() { throw EInvalidOp("Invalid floating point operation"); }

Int64 Trunc(Extended x) {
  CheckIntegral(x);
  return static_cast<Int64>(std::trunc(x));
}

Extended Frac(Extended x) { return x - std::trunc(x); }

Extended Int(Extended x) { return std::trunc(x); }

// ---- random numbers --------------------------------------------------------

Cardinal RandSeed = 0;

namespace {

Cardinal nextSeed() {
  RandSeed = RandSeed * 134775813u + 1u;
  return RandSeed;
}

}  // namespace

int Random(int range) {
  const std::uint64_t seed = nextSeed();
  if (range >= 0) return static_cast<int>((seed * static_cast<std::uint64_t>(range)) >> 32);
  // A negative range gives range < X <= 0, mirrored.
  const std::uint64_t magnitude = static_cast<std::uint64_t>(-static_cast<Int64>(range));
  return -static_cast<int>((seed * magnitude) >> 32);
}

Extended Random() { return static_cast<Extended>(nextSeed()) / 4294967296.0L; }

void Randomize() {
  const auto ticks = std::chrono::steady_clock::now().time_since_epoch().count();
  const auto wall = std::chrono::system_clock::now().time_since_epoch().count();
  RandSeed = static_cast<Cardinal>(ticks ^ (wall >> 7) ^ (wall << 13));
}
