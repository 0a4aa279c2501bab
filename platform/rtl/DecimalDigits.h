#pragma once
// The decimal digits of an 80-bit float as the class library's conversions
// see them: its 18 significant digits, correctly rounded from the exact
// binary value, then rounded half away from zero where a format cuts them.
// The digits live in a fixed buffer, so expanding and rounding allocate
// nothing. The runtime's float conversions and the tender's numeric library
// both round through these.

namespace rtl {

// |value| = 0.d1 d2 ... dCount x 10^Exp10 with d1 != 0; Count == 0 is zero.
// Trailing zero digits are dropped.
struct DecimalDigits {
  char Digit[20];  // '0'..'9'
  int Count = 0;
  int Exp10 = 0;
  bool Negative = false;  // the value was below zero
};

// The value's decimal expansion to 18 significant digits (finite values).
DecimalDigits Expand18(long double value);

// Rounds half away from zero, keeping `keep` significant digits (none when
// negative: the value becomes zero). Trailing zeros are dropped.
void RoundToSignificant(DecimalDigits& digits, long long keep);

// Rounds half away from zero at the given decimal (0 or more).
inline void RoundAtDecimal(DecimalDigits& digits, int decimals) {
  RoundToSignificant(digits, static_cast<long long>(digits.Exp10) + decimals);
}

// The digit at a decimal position: position 1 is the first decimal, 0 the
// units, -1 the tens...
inline char DigitAt(const DecimalDigits& digits, int decimalPosition) {
  const int index = digits.Exp10 + decimalPosition - 1;
  return index >= 0 && index < digits.Count ? digits.Digit[index] : '0';
}

}  // namespace rtl
