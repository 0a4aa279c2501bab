#pragma once
// The decimal digits of a float as the class library's conversions see them,
// shared by the float conversions and Format. Not part of the public
// runtime library.

#include <string_view>

#include "platform/rtl/DecimalDigits.h"
#include "platform/rtl/SysUtils.h"

namespace rtl_detail {

struct DecimalFloat {
  enum Kind { Finite, NaN, PlusInf, MinusInf } kind = Finite;
  // A value that rounds to zero has no digits, exponent 0 and no sign.
  rtl::DecimalDigits number;
  bool negative() const { return number.Negative; }
  // Value = 0.digits × 10^exponent, no leading or trailing zeros.
  int exponent() const { return number.Exp10; }
  std::string_view digits() const { return {number.Digit, static_cast<std::size_t>(number.Count)}; }
  bool isZero() const { return kind == Finite && number.Count == 0; }
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
