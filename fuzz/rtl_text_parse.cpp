// LIBS: platform_rtl
// Numbers, dates and format patterns typed by users or read from files:
// every reader and formatter must answer or raise EConvertError, never
// crash, hang or read outside the text.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <string>

#include "platform/rtl/SysUtils.h"

namespace {

void checkFloatRoundTrip(const AnsiString& text) {
  Extended value = 0;
  const bool ok = TryStrToFloat(text, value);
  try {
    const Extended raised = StrToFloat(text);
    if (!ok || !(raised == value || (std::isnan(raised) && std::isnan(value)))) std::abort();
  } catch (const EConvertError&) {
    if (ok) std::abort();
  }
  if (ok) {
    // What was read writes and reads back within 15 digits (but at the very
    // top of the range, where 15 digits may round past the largest value).
    Extended back = 0;
    if (!TryStrToFloat(FloatToStr(value), back)) {
      if (std::fabs(value) < 1e4931L) std::abort();
    } else if (std::fabs(back - value) > std::fabs(value) * 1e-14L) {
      std::abort();
    }
  }
}

template <typename Call>
void tolerateConvertError(Call call) {
  try {
    call();
  } catch (const EConvertError&) {
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  // The first byte picks the locale; the rest is the text.
  const bool greek = data[0] & 1;
  if (greek) {
    LoadGreekLocale();
  } else {
    LoadDefaultLocale();
  }
  const AnsiString text(reinterpret_cast<const char*>(data + 1), size - 1);

  checkFloatRoundTrip(text);
  tolerateConvertError([&] { StrToInt(text); });
  tolerateConvertError([&] { StrToInt64(text); });
  tolerateConvertError([&] { StrToDate(text); });
  tolerateConvertError([&] { StrToTime(text); });
  tolerateConvertError([&] { StrToDateTime(text); });

  const Extended values[] = {0,
                             -0.0L,
                             1234567.891L,
                             -2.675L,
                             1e-7L,
                             9.99999999999999999e18L,
                             1e300L,
                             -1e-300L,
                             std::numeric_limits<Extended>::quiet_NaN(),
                             std::numeric_limits<Extended>::infinity()};
  for (Extended v : values) FormatFloat(text, v);

  tolerateConvertError([&] { Format(text, {42, 3.14159, "abc", -7, 2.5L}); });
  tolerateConvertError([&] { Format(text, {}); });

  FormatDateTime(text, 41310.5458);
  // The text as the short date format: parsing follows its order, and
  // formatting expands it inside "c".
  ShortDateFormat = text;
  tolerateConvertError([&] { StrToDate("5/2/2013"); });
  FormatDateTime(text, -1.25);
  return 0;
}
