#pragma once
// Decimal digits of a value, shared by the rounding, formatting and words
// files of the numeric library. Not part of its interface.

#include "platform/rtl/DecimalDigits.h"
#include "platform/rtl/System.h"

namespace nstr {

// The expansion and rounding are the runtime library's.
using rtl::DecimalDigits;
using rtl::DigitAt;
using rtl::Expand18;
using rtl::RoundAtDecimal;

// Reads the digits back as the nearest double; false when out of range.
bool DigitsToDouble(const DecimalDigits& digits, double& result);
// Integers only (digits that end at or before the decimal point).
long double IntegerDigitsToLongDouble(const DecimalDigits& digits);
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
