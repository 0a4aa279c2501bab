// LIBS: tender_logic platform_rtl
// Text to number and back: StrToNum reads any text as a finite number; the
// number formats in every mode and reads back to its fixed notation; its
// rounding and its Greek words never fail. The first byte picks the number
// style, the second the width, decimals and mode.
#include <charconv>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/rtl/SysUtils.h"
#include "tender/N_STR.h"
#include "tender/OfferCalc.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const bool style2 = data[0] & 1;
  ThousandsChar = style2 ? '.' : ',';
  LibraryNumberStyle = style2 ? 2 : 1;
  DecimalSeparator = style2 ? ',' : '.';
  ThousandSeparator = ThousandsChar;
  const int width = data[1] % 32;
  const int decimals = (data[1] >> 5) * 2;  // 0..14
  const Byte mode = data[0] >> 1 & 3;
  const std::string_view text(reinterpret_cast<const char*>(data + 2), size - 2);

  const double value = StrToNum(text);
  if (!std::isfinite(value)) __builtin_trap();

  const AnsiString formatted = FormatNum(width, decimals, mode, value);
  if (static_cast<int>(formatted.size()) != width) __builtin_trap();
  if (FormatNumNoBlanks(width, decimals, mode, value).find(' ') != AnsiString::npos) __builtin_trap();

  // In a field wide enough for the plain text, the formatted number reads
  // back, in the style it was written in, as its fixed notation does.
  const AnsiString fixed = FixedNotation(value, decimals);
  if (fixed.size() <= 20 && decimals <= 9) {
    const Byte writeMode = style2 ? 2 : 1;
    const double back = StrToNum(FormatNum(20, decimals, writeMode, value));
    double expected = 0;
    std::from_chars(fixed.data(), fixed.data() + fixed.size(), expected);
    if (back != expected) __builtin_trap();
    if (StrToNum(FormatNum(20, decimals, 0, value)) != expected && !style2) __builtin_trap();
  }

  if (!std::isfinite(RoundDec(decimals - 4, value)) || !std::isfinite(RoundDiscount(decimals % 7, value)))
    __builtin_trap();
  CountDecimals(value);
  if (NumToWords(1 + data[1] % 3, data[0] & 2, value).empty()) __builtin_trap();
  if (AmountToWords(1, 1, " cents", value).empty()) __builtin_trap();
  return 0;
}
