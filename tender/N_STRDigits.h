#pragma once
// Decimal digits of a value, shared by the rounding, formatting and words
// files of the numeric library. Not part of its interface.

#include "platform/rtl/System.h"

namespace nstr {

// |value| = 0.d1 d2 ... dCount x 10^Exp10, d1 != 0; Count == 0 is zero.
// Trailing zero digits are dropped.
struct DecimalDigits {
  char Digit[20];  // '0'..'9'
  int Count = 0;
  int Exp10 = 0;
  bool Negative = false;  // the value was below zero
};

// The value's decimal expansion to 18 significant digits (finite values).
DecimalDigits Expand18(long double value);
// Rounds half away from zero at the given decimal (0 or more).
void RoundAtDecimal(DecimalDigits& digits, int decimals);
// Reads the digits back as the nearest double; false when out of range.
bool DigitsToDouble(const DecimalDigits& digits, double& result);
// Integers only (digits that end at or before the decimal point).
long double IntegerDigitsToLongDouble(const DecimalDigits& digits);
// The digit at a decimal position: position 1 is the first decimal, 0 the
// units, -1 the tens...
inline char DigitAt(const DecimalDigits& digits, int decimalPosition) {
  const int index = digits.Exp10 + decimalPosition - 1;
  return index >= 0 && index < digits.Count ? digits.Digit[index] : '0';
}
// Writes fixed notation into out (at least FixedLength bytes).
int FixedLength(const DecimalDigits& digits, int decimals);
void WriteFixed(const DecimalDigits& digits, int decimals, char* out);

// 10^n in the 80-bit format, as e raised to n x ln 10.
long double Pow10L(int n);

// The largest number of decimals that can still change a double's fixed
// notation; larger counts only add zeros.
constexpr int MaxUsefulDecimals = 400;

void FillInitialRoundingTable();

}  // namespace nstr
