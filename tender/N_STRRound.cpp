// Rounding: fixed notation on the value's 18 significant digits, RoundDec
// with its nudge, the step table and the count of decimals.

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "tender/N_STR.h"
#include "tender/N_STRDigits.h"

namespace nstr {

namespace {

// The exact binary value is turned into decimal digits with 128-bit integer
// arithmetic: |value| = mantissa x 2^exponent with a 64-bit mantissa. This
// covers 2^-60 <= |value| < 2^127; outside that the C library's conversion
// (exact as well) gives the digits.
bool ExpandExact(long double magnitude, DecimalDigits& out) {
  int binaryExponent = 0;
  const long double fraction = std::frexp(magnitude, &binaryExponent);
  const auto mantissa = static_cast<std::uint64_t>(std::ldexp(fraction, 64));
  const int exponent = binaryExponent - 64;
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
  const unsigned __int128 mask =
      fractionBits == 0 ? 0 : ((static_cast<unsigned __int128>(1) << fractionBits) - 1);
  while (count < 19 && fractionPart != 0) {
    fractionPart *= 10;
    const auto digit = static_cast<char>(fractionPart >> fractionBits);
    fractionPart &= mask;
    if (count == 0 && digit == 0)
      --exp10;
    else
      digits[count++] = digit;
  }
  if (fractionPart != 0) sticky = true;

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
  std::snprintf(text, sizeof text, "%.17Le", magnitude);
  // "d.ddddddddddddddddde+x"
  int count = 0;
  out.Digit[count++] = text[0];
  for (int i = 2; i < 19; ++i) out.Digit[count++] = text[i];
  int exponent = 0;
  std::from_chars(text + 20 + (text[20] == '+'), text + std::strlen(text), exponent);
  out.Exp10 = exponent + 1;
  while (count > 0 && out.Digit[count - 1] == '0') --count;
  out.Count = count;
}

// 10^k for k = 0..27 is exact in the 80-bit format.
constexpr int ExactPowersOfTen = 28;
long double PowerOfTen(int k) {
  static const auto table = [] {
    std::array<long double, ExactPowersOfTen> powers{};
    long double p = 1;
    for (auto& power : powers) {
      power = p;
      p *= 10;
    }
    return powers;
  }();
  return k < ExactPowersOfTen ? table[k] : std::pow(10.0L, static_cast<long double>(k));
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

void RoundAtDecimal(DecimalDigits& digits, int decimals) {
  if (decimals > MaxUsefulDecimals * 16) decimals = MaxUsefulDecimals * 16;
  const int keep = digits.Exp10 + decimals;  // significant digits before the cut
  if (digits.Count <= keep) return;
  if (keep < 0) {
    digits.Count = 0;
    return;
  }
  const bool up = digits.Digit[keep] >= '5';
  digits.Count = keep;
  if (up) {
    int i = keep - 1;
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

bool DigitsToDouble(const DecimalDigits& digits, double& result) {
  if (digits.Count == 0) {
    result = digits.Negative ? -0.0 : 0.0;
    return true;
  }
  char text[48];
  char* end = text;
  if (digits.Negative) *end++ = '-';
  std::memcpy(end, digits.Digit, digits.Count);
  end += digits.Count;
  *end++ = 'e';
  end = std::to_chars(end, text + sizeof text, digits.Exp10 - digits.Count).ptr;
  const auto parsed = std::from_chars(text, end, result);
  return parsed.ec == std::errc();
}

long double IntegerDigitsToLongDouble(const DecimalDigits& digits) {
  std::uint64_t integer = 0;
  for (int i = 0; i < digits.Count; ++i) integer = integer * 10 + (digits.Digit[i] - '0');
  long double value = static_cast<long double>(integer);
  const int zeros = digits.Exp10 - digits.Count;
  if (zeros > 0) value *= PowerOfTen(zeros);
  return digits.Negative ? -value : value;
}

int FixedLength(const DecimalDigits& digits, int decimals) {
  const int integerDigits = digits.Exp10 > 0 && digits.Count > 0 ? digits.Exp10 : 1;
  return (digits.Negative ? 1 : 0) + integerDigits + (decimals > 0 ? decimals + 1 : 0);
}

void WriteFixed(const DecimalDigits& digits, int decimals, char* out) {
  if (digits.Negative) *out++ = '-';
  if (digits.Count == 0 || digits.Exp10 <= 0) {
    *out++ = '0';
  } else {
    for (int position = 1 - digits.Exp10; position <= 0; ++position) *out++ = DigitAt(digits, position);
  }
  if (decimals > 0) {
    *out++ = '.';
    for (int position = 1; position <= decimals; ++position) *out++ = DigitAt(digits, position);
  }
}

long double Pow10L(int n) {
  static const long double ln10 = std::log(10.0L);
  return std::exp(static_cast<long double>(n) * ln10);
}

}  // namespace nstr

using namespace nstr;

AnsiString FixedNotation(long double value, int decimals) {
  if (std::isnan(value)) return "NAN";
  if (std::isinf(value)) return value < 0 ? "-INF" : "INF";
  if (decimals < 0) decimals = 0;
  if (decimals > MaxFixedDecimals) decimals = MaxFixedDecimals;
  DecimalDigits digits = Expand18(value);
  RoundAtDecimal(digits, decimals);
  AnsiString text(FixedLength(digits, decimals), '0');
  WriteFixed(digits, decimals, text.data());
  return text;
}

double Pow10(int n) { return static_cast<double>(Pow10L(n)); }

double RoundDec(int decimals, double value) {
  if (!std::isfinite(value)) return value;
  if (decimals >= 0) {
    long double nudge = 1e-14L;
    if (decimals <= 3)
      nudge = 1e-5L;
    else if (decimals <= 12)
      nudge = Pow10L(-(decimals + 2));
    DecimalDigits digits = Expand18(static_cast<long double>(value) + nudge);
    RoundAtDecimal(digits, decimals < MaxUsefulDecimals ? decimals : MaxUsefulDecimals);
    double result;
    return DigitsToDouble(digits, result) ? result : value;
  }
  // Units of 10^-n: beyond the double range every value rounds to zero (and
  // 10^n itself would vanish, making 0/0 of the result).
  if (decimals < -MaxUsefulDecimals) return value < 0 ? -0.0 : 0.0;
  const long double scale = Pow10L(decimals);
  DecimalDigits digits = Expand18(static_cast<long double>(value) * scale);
  RoundAtDecimal(digits, 0);
  return static_cast<double>(IntegerDigitsToLongDouble(digits) / scale);
}

// ---- the step table -----------------------------------------------------------

namespace {
constexpr std::array<double, 26> RoundingSteps = {
    0.05, 0.1,  0.1,  0.2,  0.5,   1,     2,     5,      10,     20,     50,      100,     200,
    500,  1000, 2000, 5000, 10000, 20000, 50000, 100000, 200000, 500000, 1000000, 2000000, 5000000};
}

std::array<double, 26> InitialRoundingTable{};
const std::array<Integer, 25> RoundingThresholds = {
    1,       2,       5,       10,       20,       50,       100,      200,    500,
    1000,    2000,    5000,    10000,    20000,    50000,    100000,   200000, 500000,
    1000000, 2000000, 5000000, 10000000, 20000000, 50000000, 100000000};

void nstr::FillInitialRoundingTable() {
  InitialRoundingTable.fill(0);
  InitialRoundingTable = RoundingSteps;
}

double RoundByTable(const std::array<double, 26>& steps, double value) {
  const bool negative = value < 0;
  const double magnitude = std::fabs(value);
  int index = 25;  // step 26
  for (int i = 0; i < 25; ++i) {
    if (RoundingThresholds[i] > magnitude) {
      index = i;
      break;
    }
  }
  const double step = steps[index];
  // A table without this step cannot round: the value stays as it is.
  if (step == 0 || !std::isfinite(step)) return value;
  const double units = RoundDec(0, magnitude / step);
  const auto rounded = static_cast<double>(static_cast<long double>(step) * units);
  return negative ? -rounded : rounded;
}

Integer CountDecimals(double value) {
  const double rounded = RoundDec(10, value);
  if (!std::isfinite(rounded)) return 0;
  const int decimals = rounded > 999999 ? 5 : 10;
  DecimalDigits digits = Expand18(rounded);
  RoundAtDecimal(digits, decimals);
  // The last non-zero decimal digit's position.
  const int last = digits.Count - digits.Exp10;
  return last > 0 ? last : 0;
}
