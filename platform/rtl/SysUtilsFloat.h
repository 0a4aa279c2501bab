#pragma once
// The decimal digits of a float as the class library's conversions see them,
// shared by the float conversions and Format. Not part of the public
// runtime library.

#include <string>

#include "platform/rtl/SysUtils.h"

namespace rtl_detail {

struct DecimalFloat {
  enum Kind { Finite, NaN, PlusInf, MinusInf } kind = Finite;
  bool negative = false;
  // Value = 0.digits × 10^exponent; digits hold no leading or trailing
  // zeros, and are empty for zero (then exponent is 0 and negative false).
  int exponent = 0;
  std::string digits;
  bool isZero() const { return kind == Finite && digits.empty(); }
};

// The value's 18 significant digits (correctly rounded from the 80-bit
// value), then rounded half away from zero to `precision` significant
// digits and at most `decimals` digits after the point. A value that rounds
// to zero loses its sign.
DecimalFloat FloatToDecimal(Extended value, int precision, int decimals);

// The body of FloatToStrF with explicit separators, so that callers that
// need another style (Format's %m) share one formatter.
AnsiString FloatToText(Extended value, TFloatFormat format, int precision, int digits);

}  // namespace rtl_detail
