#pragma once
// Puts the numeric library into a locale's number style for a test.

#include "platform/rtl/SysUtils.h"
#include "tender/N_STR.h"

inline void UseLocaleSeparators(char thousands, char decimal) {
  ThousandSeparator = thousands;
  DecimalSeparator = decimal;
  InitNumericLibrary();
}
// Style 1: decimal ".", thousands ",".
inline void UseStyle1() { UseLocaleSeparators(',', '.'); }
// Style 2: decimal ",", thousands ".".
inline void UseStyle2() { UseLocaleSeparators('.', ','); }
