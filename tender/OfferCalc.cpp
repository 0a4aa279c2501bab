#include "tender/OfferCalc.h"

#include <cmath>

#include "tender/N_STR.h"
#include "tender/N_STRDigits.h"

using namespace nstr;

double RoundDiscount(int decimals, double value) {
  if (!std::isfinite(value)) return value;
  // Discount decimals are 0 to 6; the bound only keeps N + 6 meaningful.
  if (decimals < 0) decimals = 0;
  if (decimals > MaxUsefulDecimals) decimals = MaxUsefulDecimals;

  DecimalDigits digits = Expand18(RoundDec(decimals + 6, value));
  RoundAtDecimal(digits, decimals + 6);
  const char next = DigitAt(digits, decimals + 1);
  const bool exactHalf =
      next == '5' && DigitAt(digits, decimals + 2) == '0' && DigitAt(digits, decimals + 3) == '0';

  // The text cut after a decimal, read back.
  const auto cutAfter = [&](int keptDecimals) {
    DecimalDigits cut = digits;
    const int keep = cut.Exp10 + keptDecimals;
    if (keep < cut.Count) cut.Count = keep > 0 ? keep : 0;
    while (cut.Count > 0 && cut.Digit[cut.Count - 1] == '0') --cut.Count;
    double result = value;
    DigitsToDouble(cut, result);
    return result;
  };
  if (exactHalf) return cutAfter(decimals + 1);
  if (next >= '5') return RoundDec(decimals, cutAfter(decimals + 1));
  return RoundDec(decimals, cutAfter(decimals));
}
