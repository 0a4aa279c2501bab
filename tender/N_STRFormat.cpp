// Numbers to fixed-width text in the two number styles, text to numbers, and
// the locale probe that chooses the library's number style.

#include <charconv>
#include <cmath>
#include <string>

#include "platform/rtl/SysUtils.h"
#include "tender/N_STR.h"
#include "tender/N_STRDigits.h"

using namespace nstr;

char ThousandsChar = ',';
Integer LibraryNumberStyle = 1;

NumberStyleProbe ProbeNumberStyle() {
  const AnsiString sample = FormatFloat("#.##,", 1200.223);
  NumberStyleProbe probe{',', '.', 1};
  if (sample.size() < 2) return probe;
  const auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
  if (isDigit(sample[1])) {
    // The locale groups nothing: there is no thousands character to drop
    // from typed numbers, and the decimal separator follows "1200".
    probe.Thousands = 0;
    if (sample.size() >= 5) probe.Decimal = sample[4];
  } else {
    probe.Thousands = sample[1];
    if (sample.size() >= 6) probe.Decimal = sample[5];
  }
  probe.Style = probe.Thousands == '.' ? 2 : 1;
  return probe;
}

void InitNumericLibrary() {
  FillInitialRoundingTable();
  const NumberStyleProbe probe = ProbeNumberStyle();
  ThousandsChar = probe.Thousands;
  LibraryNumberStyle = probe.Style;
}

// ---- FormatNum ---------------------------------------------------------------------

namespace {

AnsiString NonFiniteText(double value) {
  if (std::isnan(value)) return "NAN";
  return value < 0 ? "-INF" : "INF";
}

}  // namespace

AnsiString FormatNum(int width, int decimals, Byte mode, double value) {
  int extra = 0;
  if (width > 20) {
    extra = width - 20;
    width = 20;
  }
  if (width < 0) width = 0;
  if (decimals < 0) decimals = 0;
  // More decimals change nothing that can be shown: a double has no digits
  // there, modes 1 and 2 show nine decimals and mode 0 no more than 20
  // characters.
  if (decimals > MaxUsefulDecimals) decimals = MaxUsefulDecimals;

  AnsiString result(extra, ' ');
  if (!std::isfinite(value)) {
    AnsiString text = NonFiniteText(value);
    if (mode == 0)
      result += static_cast<int>(text.size()) > width ? AnsiString(width, '*') : PadLeft(text, width);
    else
      result += PadLeft(text.substr(0, width), width);
    return result;
  }

  DecimalDigits digits = Expand18(value);
  RoundAtDecimal(digits, decimals);
  char fixedBuffer[MaxUsefulDecimals + 400];
  const int fixedLength = FixedLength(digits, decimals);
  WriteFixed(digits, decimals, fixedBuffer);
  const std::string_view fixed(fixedBuffer, fixedLength);

  if (mode == 0) {
    if (fixedLength > width) {
      result.append(width, '*');
    } else {
      result.append(width - fixedLength, ' ');
      result += fixed;
    }
    return result;
  }

  const char decimalChar = mode == 1 ? '.' : ',';
  const char thousandsChar = mode == 1 ? ',' : '.';
  const bool negative = digits.Negative;
  std::string_view unsignedText = negative ? fixed.substr(1) : fixed;
  const size_t point = unsignedText.find('.');
  const std::string_view integerDigits = unsignedText.substr(0, point);
  AnsiString decimalPart;
  if (decimals > 0) {
    decimalPart += decimalChar;
    decimalPart += unsignedText.substr(point + 1, 9);
  }

  AnsiString candidate;
  if (negative) candidate += '-';
  const size_t integerCount = integerDigits.size();
  for (size_t i = 0; i < integerCount; ++i) {
    if (i > 0 && (integerCount - i) % 3 == 0) candidate += thousandsChar;
    candidate += integerDigits[i];
  }
  candidate += decimalPart;
  if (static_cast<int>(candidate.size()) > width) {
    candidate.clear();
    if (negative) candidate += '-';
    candidate += integerDigits;
    candidate += decimalPart;
    if (static_cast<int>(candidate.size()) > width) candidate.resize(width);
  }
  result += PadLeft(candidate, width);
  return result;
}

AnsiString FormatNumNoBlanks(int width, int decimals, Byte mode, double value) {
  return DelBlanks(FormatNum(width, decimals, mode, value));
}

// ---- StrToNum ----------------------------------------------------------------------

namespace {

// Optional sign, digits with an optional "." (at least one digit), and an
// optional exponent with its own sign and digits.
bool IsDecimalNumber(std::string_view text) {
  size_t i = 0;
  const size_t n = text.size();
  if (i < n && (text[i] == '+' || text[i] == '-')) ++i;
  size_t mantissaDigits = 0;
  while (i < n && text[i] >= '0' && text[i] <= '9') ++i, ++mantissaDigits;
  if (i < n && text[i] == '.') {
    ++i;
    while (i < n && text[i] >= '0' && text[i] <= '9') ++i, ++mantissaDigits;
  }
  if (mantissaDigits == 0) return false;
  if (i < n && (text[i] == 'e' || text[i] == 'E')) {
    ++i;
    if (i < n && (text[i] == '+' || text[i] == '-')) ++i;
    size_t exponentDigits = 0;
    while (i < n && text[i] >= '0' && text[i] <= '9') ++i, ++exponentDigits;
    if (exponentDigits == 0) return false;
  }
  return i == n;
}

double ReadNormalised(std::string_view text) {
  if (!IsDecimalNumber(text)) return 0;
  const bool plus = text[0] == '+';
  double value = 0;
  const auto parsed = std::from_chars(text.data() + plus, text.data() + text.size(), value);
  // Beyond the double range the text is no number the program can hold.
  if (parsed.ec != std::errc()) return 0;
  return value;
}

}  // namespace

double StrToNum(std::string_view text) {
  size_t last = text.size();
  while (last > 0 && text[last - 1] == ' ') --last;
  if (last == 0) return 0;
  const size_t lastIndex = last - 1;  // a thousands character here stays

  // Short texts, every grid cell among them, are normalised on the stack
  // without allocating; longer ones in a string.
  char buffer[128];
  size_t length = 0;
  std::string longText;
  bool commaSeen = false;
  for (size_t i = 0; i < last; ++i) {
    char c = text[i];
    if (c == ' ') continue;
    if (c == ThousandsChar && ThousandsChar != 0 && i != lastIndex) continue;
    if (c == ',' && !commaSeen) {
      c = '.';
      commaSeen = true;
    }
    if (length < sizeof buffer) {
      buffer[length] = c;
    } else {
      if (longText.empty()) longText.assign(buffer, length);
      longText += c;
    }
    ++length;
  }
  return ReadNormalised(length <= sizeof buffer ? std::string_view(buffer, length)
                                                : std::string_view(longText));
}

void DotDecimals(AnsiString& text) {
  const char decimalChar = LibraryNumberStyle == 2 ? ',' : '.';
  for (size_t i = 0; i + 1 < text.size(); ++i) {
    if (text[i] == decimalChar && text[i + 1] >= '0' && text[i + 1] <= '9') text[i] = '.';
  }
}
