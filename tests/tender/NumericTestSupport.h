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

// Style 2 for the life of a fixture; the separators found before come back.
class ScopedStyle2 {
 public:
  ScopedStyle2() : thousands_(ThousandSeparator), decimal_(DecimalSeparator) { UseStyle2(); }
  ~ScopedStyle2() { UseLocaleSeparators(thousands_, decimal_); }
  ScopedStyle2(const ScopedStyle2&) = delete;
  ScopedStyle2& operator=(const ScopedStyle2&) = delete;

 private:
  char thousands_, decimal_;
};
