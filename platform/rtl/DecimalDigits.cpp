// Exact binary-to-decimal expansion of 80-bit floats to 18 digits.

#include "platform/rtl/DecimalDigits.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>

namespace rtl {

namespace {

// The exact binary value is turned into decimal digits with 128-bit integer
// arithmetic: |value| = mantissa x 2^exponent with a 64-bit mantissa. This
// covers 2^-60 <= |value| < 2^127; outside that the C library's conversion
// (exact as well) gives the digits.
bool ExpandExact(long double magnitude, DecimalDigits& out) {
  // The 80-bit format's own fields: a normal number is its 64-bit
  // significand (top bit set) times 2^(biased exponent - 16383 - 63).
  // Subnormals (never in the computed range) go through frexp.
  std::uint64_t mantissa = 0;
  int exponent = 0;
  static_assert(sizeof(long double) >= 10 && std::numeric_limits<long double>::digits == 64);
  unsigned char bytes[sizeof(long double)];
  std::memcpy(bytes, &magnitude, sizeof bytes);
  std::memcpy(&mantissa, bytes, 8);
  const int biased = (bytes[8] | (bytes[9] << 8)) & 0x7FFF;
  if (biased != 0 && (mantissa >> 63) != 0) {
    exponent = biased - 16383 - 63;
  } else {
    int binaryExponent = 0;
    const long double fraction = std::frexp(magnitude, &binaryExponent);
    mantissa = static_cast<std::uint64_t>(std::ldexp(fraction, 64));
    exponent = binaryExponent - 64;
  }
  if (exponent > 63 || exponent < -124) return false;

  unsigned __int128 integerPart = 0;
  unsigned __int128 fractionPart = 0;
  int fractionBits = 0;
  if (exponent >= 0) {
    integerPart = static_cast<unsigned __int128>(mantissa) << exponent;
  } else {
    fractionBits = -exponent;
    if (fractionBits >= 64) {
      fractionPart = mantissa;
    } else {
      integerPart = mantissa >> fractionBits;
      fractionPart = mantissa & ((std::uint64_t{1} << fractionBits) - 1);
    }
  }

  // Up to 19 significant digits, then whether anything non-zero follows.
  char digits[48];
  int count = 0;
  int exp10 = 0;
  bool sticky = false;
  if (integerPart != 0) {
    char reversed[48];
    int length = 0;
    if (integerPart >> 64 == 0) {
      auto small = static_cast<std::uint64_t>(integerPart);
      while (small != 0) {
        reversed[length++] = static_cast<char>(small % 10);
        small /= 10;
      }
    } else {
      while (integerPart != 0) {
        reversed[length++] = static_cast<char>(integerPart % 10);
        integerPart /= 10;
      }
    }
    exp10 = length;
    for (int i = length - 1; i >= 0; --i) {
      if (count < 19)
        digits[count++] = reversed[i];
      else if (reversed[i] != 0)
        sticky = true;
    }
  }
  // The fraction's digits: ten times a fraction of at most 60 bits fits
  // 64-bit arithmetic (amounts and discounts all do); wider ones take 128.
  auto fractionDigits = [&](auto fraction, auto mask) {
    while (count < 19 && fraction != 0) {
      fraction *= 10;
      const auto digit = static_cast<char>(fraction >> fractionBits);
      fraction &= mask;
      if (count == 0 && digit == 0)
        --exp10;
      else
        digits[count++] = digit;
    }
    if (fraction != 0) sticky = true;
  };
  if (fractionBits > 60)
    fractionDigits(fractionPart, (static_cast<unsigned __int128>(1) << fractionBits) - 1);
  else if (fractionBits > 0)
    fractionDigits(static_cast<std::uint64_t>(fractionPart), (std::uint64_t{1} << fractionBits) - 1);

  // To 18 digits, the nineteenth deciding (halves to even).
  if (count == 19) {
    const char next = digits[18];
    count = 18;
    if (next > 5 || (next == 5 && (sticky || (digits[17] & 1)))) {
      int i = count - 1;
      while (i >= 0 && digits[i] == 9) digits[i--] = 0;
      if (i >= 0) {
        ++digits[i];
      } else {
        digits[0] = 1;
        count = 1;
        ++exp10;
      }
    }
  }
  while (count > 0 && digits[count - 1] == 0) --count;
  out.Count = count;
  out.Exp10 = exp10;
  for (int i = 0; i < count; ++i) out.Digit[i] = static_cast<char>('0' + digits[i]);
  return true;
}

void ExpandByLibrary(long double magnitude, DecimalDigits& out) {
  char text[64];
  // "d.ddddddddddddddddde±x"; the point is the C library locale's, so only
  // the digits and the exponent are read.
  const int length = std::snprintf(text, sizeof text, "%.17Le", magnitude);
  int count = 0;
  int i = 0;
  for (; i < length && text[i] != 'e'; ++i)
    if (text[i] >= '0' && text[i] <= '9' && count < 18) out.Digit[count++] = text[i];
  out.Exp10 = std::atoi(text + i + 1) + 1;
  while (count > 0 && out.Digit[count - 1] == '0') --count;
  out.Count = count;
}

}  // namespace

DecimalDigits Expand18(long double value) {
  DecimalDigits digits;
  digits.Negative = value < 0;
  const long double magnitude = std::fabs(value);
  if (magnitude == 0) return digits;
  if (!ExpandExact(magnitude, digits)) ExpandByLibrary(magnitude, digits);
  return digits;
}

void RoundToSignificant(DecimalDigits& digits, long long keep) {
  if (digits.Count <= keep) return;
  if (keep < 0) {
    digits.Count = 0;
    return;
  }
  const int cut = static_cast<int>(keep);
  const bool up = digits.Digit[cut] >= '5';
  digits.Count = cut;
  if (up) {
    int i = cut - 1;
    while (i >= 0 && digits.Digit[i] == '9') --i;
    if (i >= 0) {
      ++digits.Digit[i];
      digits.Count = i + 1;
    } else {
      digits.Digit[0] = '1';
      digits.Count = 1;
      ++digits.Exp10;
    }
  }
  while (digits.Count > 0 && digits.Digit[digits.Count - 1] == '0') --digits.Count;
}

}  // namespace rtl
