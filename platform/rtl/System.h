#pragma once
// The runtime library's basic types and string routines, with the class
// library's 1-based semantics: a position is 1 for the first character and 0
// means "not found"; out-of-range arguments are clamped, never undefined.

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/rtl/Cp1253.h"

using Byte = std::uint8_t;
using Word = std::uint16_t;
using SmallInt = std::int16_t;
using ShortInt = std::int8_t;
using Cardinal = std::uint32_t;
using LongWord = std::uint32_t;
using Integer = std::int32_t;
using Int64 = std::int64_t;
// The tender's fixed notation and 10^n for negative n need the 80-bit format.
using Extended = long double;
using Double = double;

inline int Length(std::string_view s) { return static_cast<int>(s.size()); }
// Count characters from Index (1-based); Index below 1 counts from 1, a
// negative Count gives "".
AnsiString Copy(std::string_view s, int index, int count);
// Position of the first occurrence of Substr in S, 1-based; 0 when absent or
// Substr is empty.
int Pos(std::string_view substr, std::string_view s);
void Delete(AnsiString& s, int index, int count);
// Index below 1 inserts in front, past the end appends.
void Insert(std::string_view source, AnsiString& s, int index);
AnsiString StringOfChar(char ch, int count);
// Trim drops bytes up to and including blank (control characters too), as
// the class library does.
AnsiString Trim(std::string_view s);
// What Trim keeps, as a view of S: for a text only looked at.
std::string_view TrimView(std::string_view s);
AnsiString TrimLeft(std::string_view s);
AnsiString TrimRight(std::string_view s);
// ASCII letters only.
AnsiString UpperCase(std::string_view s);
AnsiString LowerCase(std::string_view s);
char UpCase(char ch);
// Code page 1253 letters too: Greek lower case to upper case keeps accents
// ("ά" to "Ά"), final sigma to "Σ".
AnsiString AnsiUpperCase(std::string_view s);
AnsiString AnsiLowerCase(std::string_view s);
int CompareText(std::string_view a, std::string_view b);
int CompareStr(std::string_view a, std::string_view b);
bool SameText(std::string_view a, std::string_view b);
// Case-insensitive for 1253 letters.
int AnsiCompareText(std::string_view a, std::string_view b);
int AnsiCompareStr(std::string_view a, std::string_view b);
AnsiString QuotedStr(std::string_view s);
int LastDelimiter(std::string_view delimiters, std::string_view s);

// Raises the processor's invalid-operation error, as Round and Trunc do
// beyond the integer range.
[[noreturn]] void RaiseInvalidOp();

// The integer range of Round and Trunc; beyond it (and for NaN) the class
// library raises the processor's invalid-operation error.
inline void CheckIntegral(Extended x) {
  constexpr Extended kLimit = 9223372036854775808.0L;  // 2^63
  if (!(x > -kLimit - 1 && x < kLimit)) RaiseInvalidOp();
}

// Banker's rounding (halves to even), as the class library's Round. Inline:
// reports round every coordinate they place, and a call for each cost more
// than the rounding.
inline Int64 Round(Extended x) {
  CheckIntegral(x);
  // An integer less than one away from x: below 2^52 the nearest double's,
  // cut by the SSE unit, as a long double cut by the x87 unit changes its
  // control word twice, which stalls it longer than the rest of the
  // rounding takes; beyond, the long double cut. x - whole is exact (the
  // two lie within a factor of two of each other, or whole is 0), so the
  // halfway test is made on the exact value; halves go to the even
  // neighbour, whichever side of x whole lies on.
  constexpr Extended kExactDouble = 4503599627370496.0L;  // 2^52
  const Int64 whole = x > -kExactDouble && x < kExactDouble ? static_cast<Int64>(static_cast<double>(x))
                                                            : static_cast<Int64>(x);
  const Extended fraction = x - static_cast<Extended>(whole);
  const bool odd = (whole & 1) != 0;
  if (fraction > 0.5L || (fraction == 0.5L && odd)) {
    if (whole == INT64_MAX) RaiseInvalidOp();
    return whole + 1;
  }
  if (fraction < -0.5L || (fraction == -0.5L && odd)) return whole - 1;
  return whole;
}
Int64 Trunc(Extended x);
Extended Frac(Extended x);
Extended Int(Extended x);

// The class library's generator: seed := seed * 134775813 + 1 (mod 2^32);
// Random(n) = (seed * n) >> 32 after the step; Random() = seed / 2^32.
extern Cardinal RandSeed;
int Random(int range);
Extended Random();
void Randomize();
