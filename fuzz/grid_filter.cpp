// LIBS: grid_controls platform_rtl
// Filter expressions and cell values typed by users, and the number and date
// readers of the grid: every input must give an answer, never a crash, a
// hang or a read outside the text. The first byte picks the locale and the
// case mode; the rest is "expression NUL value".
#include <cstddef>
#include <cstdint>

#include "grid/GridUtil.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0 || size > 4096) return 0;
  const std::uint8_t mode = data[0];
  if (mode & 1)
    LoadGreekLocale();
  else
    LoadDefaultLocale();
  AnsiString input(reinterpret_cast<const char*>(data + 1), size - 1);
  size_t split = input.find('\0');
  AnsiString expression = input.substr(0, split);
  AnsiString value = split == AnsiString::npos ? AnsiString() : input.substr(split + 1);

  (void)MatchFilterExpression(expression, value, (mode & 2) != 0);
  (void)MatchPattern(expression, value);
  (void)ClassifyNumberText(value);
  (void)NormalizeNumberText(value);
  (void)ClassifyCellText(value, true);
  TDateTime date = 0;
  (void)ParseLocaleDate(value, date);
  (void)DateFromDMYText(value);
  (void)DateFromMDYText(value);
  (void)DateIncrement(static_cast<int>(value.size()) - 8, 0, 0, 1, DateFromDMYText(expression));
  (void)DateIncrement(0, static_cast<int>(value.size()) * 97 - 400, 0, 1, DateFromDMYText(expression));
  int at = 0;
  (void)SingleCharPos('"', value, at);
  (void)ParseRowColRef(value);
  (void)CapitalizeWords(value);
  AnsiString rest = value, line;
  ExtractFirstLine(rest, true, line);
  return 0;
}
