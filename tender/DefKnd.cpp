#include "tender/DefKnd.h"

#include <algorithm>
#include <vector>

#include "platform/rtl/SysUtils.h"

namespace {

// Line 7 is the last one read.
constexpr size_t UsedLines = 7;

// The file's first lines, without their ends and outer blanks; the rest of
// the file is never looked at.
std::vector<AnsiString> SettingLines(std::string_view text) {
  std::vector<AnsiString> lines;
  while (!text.empty() && lines.size() < UsedLines) {
    const size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t'))
      line.remove_suffix(1);
    while (!line.empty() && (line.front() == ' ' || line.front() == '\t')) line.remove_prefix(1);
    lines.emplace_back(line);
  }
  return lines;
}

// The number of line Index (0-based), when there is one.
bool LineNumber(const std::vector<AnsiString>& lines, size_t index, int& value) {
  return index < lines.size() && TryStrToInt(lines[index], value);
}

template <typename T>
void ReadDecimals(const std::vector<AnsiString>& lines, size_t index, T& setting) {
  int value;
  if (LineNumber(lines, index, value)) setting = static_cast<T>(std::clamp(value, 0, MaxSettingDecimals));
}

}  // namespace

void ReadDefKndText(std::string_view text, TDefKndSettings& settings) {
  const std::vector<AnsiString> lines = SettingLines(text);
  int value;
  if (LineNumber(lines, 0, value)) settings.CalcMode = value;
  ReadDecimals(lines, 1, settings.CostDecimals);
  ReadDecimals(lines, 2, settings.DiscountDecimals);
  ReadDecimals(lines, 3, settings.ExtraDecimalsA);
  ReadDecimals(lines, 4, settings.ExtraDecimalsB);
  // Line 6 is read and ignored; line 8 too when present.
  if (LineNumber(lines, 6, value)) settings.HalfDown = value != 0 ? 1 : 0;
}

AnsiString DefKndText(const TDefKndSettings& settings) {
  AnsiString text;
  for (Int64 value : {Int64{settings.CalcMode}, Int64{settings.CostDecimals},
                      Int64{settings.DiscountDecimals}, Int64{settings.ExtraDecimalsA},
                      Int64{settings.ExtraDecimalsB}, Int64{0}, Int64{settings.HalfDown ? 1 : 0}, Int64{0}}) {
    text += IntToStr(value);
    text += "\r\n";
  }
  return text;
}
