// Rounding: fixed notation on the value's 18 significant digits, RoundDec
// with its nudge, the step table and the count of decimals.

#include <array>
#include <charconv>
#include <cmath>
#include <cstring>

#include "tender/N_STR.h"
#include "tender/N_STRDigits.h"

namespace nstr {

namespace {

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
  const auto power = [](int k) { return std::exp(static_cast<long double>(k) * ln10); };
  // The powers the rounding asks for again and again are worked out once,
  // by the same formula.
  constexpr int kKept = MaxUsefulDecimals + 20;
  static const auto kept = [&] {
    std::array<long double, 2 * kKept + 1> powers{};
    for (int k = -kKept; k <= kKept; ++k) powers[k + kKept] = power(k);
    return powers;
  }();
  return n >= -kKept && n <= kKept ? kept[n + kKept] : power(n);
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
