// Floats to text and back. Rounding is decimal, half away from zero, on the
// 18-digit decimal text of the 80-bit value, as the class library rounds:
// 2.675L is stored as 2.67499999999999999996, whose 18 digits read
// 2.67500000000000000, so "0.00" gives 2.68 (a binary-exact rounding would
// give 2.67).

#include "platform/rtl/SysUtilsFloat.h"

#include <locale.h>

#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

namespace rtl_detail {

namespace {

constexpr int kMaxDigits = 18;

}  // namespace

DecimalFloat FloatToDecimal(Extended value, int precision, int decimals) {
  DecimalFloat result;
  if (std::isnan(value)) {
    result.kind = DecimalFloat::NaN;
    return result;
  }
  if (std::isinf(value)) {
    result.kind = value > 0 ? DecimalFloat::PlusInf : DecimalFloat::MinusInf;
    return result;
  }
  result.number = rtl::Expand18(value);
  if (precision > kMaxDigits) precision = kMaxDigits;
  // Significant digits kept: the precision, or fewer when the decimals end
  // first. Computed in 64 bits: decimals may be "unlimited" (9999).
  long long keep = precision;
  const long long byDecimals = static_cast<long long>(result.number.Exp10) + decimals;
  if (byDecimals < keep) keep = byDecimals;
  rtl::RoundToSignificant(result.number, keep);
  if (result.number.Count == 0) {
    result.number.Negative = false;
    result.number.Exp10 = 0;
  }
  return result;
}

namespace {

// Zeros past the end of the digits.
char digitAt(std::string_view digits, int index) {
  return index >= 0 && index < static_cast<int>(digits.size()) ? digits[static_cast<std::size_t>(index)]
                                                               : '0';
}

void appendExponent(AnsiString& out, int exponent, bool plusSign, int minDigits) {
  if (exponent < 0) {
    out += '-';
  } else if (plusSign) {
    out += '+';
  }
  AnsiString text = IntToStr(exponent < 0 ? -static_cast<Int64>(exponent) : exponent);
  if (Length(text) < minDigits) text.insert(0, static_cast<std::size_t>(minDigits - Length(text)), '0');
  out += text;
}

const char* specialText(const DecimalFloat& d) {
  switch (d.kind) {
    case DecimalFloat::NaN:
      return "NAN";
    case DecimalFloat::PlusInf:
      return "INF";
    case DecimalFloat::MinusInf:
      return "-INF";
    default:
      return nullptr;
  }
}

AnsiString formatGeneral(const DecimalFloat& d, int precision, int minExponentDigits) {
  if (d.isZero()) return "0";
  AnsiString out = d.negative() ? "-" : "";
  const int n = static_cast<int>(d.digits().size());
  // Fixed notation from 0.0001 up to `precision` integer digits.
  if (d.exponent() >= -3 && d.exponent() <= precision) {
    if (d.exponent() <= 0) {
      out += '0';
      out += DecimalSeparator;
      out.append(static_cast<std::size_t>(-d.exponent()), '0');
      out += d.digits();
    } else {
      for (int i = 0; i < d.exponent(); ++i) out += digitAt(d.digits(), i);
      if (n > d.exponent()) {
        out += DecimalSeparator;
        out.append(d.digits(), static_cast<std::size_t>(d.exponent()));
      }
    }
    return out;
  }
  out += d.digits()[0];
  if (n > 1) {
    out += DecimalSeparator;
    out.append(d.digits(), 1);
  }
  out += 'E';
  appendExponent(out, d.exponent() - 1, false, minExponentDigits);
  return out;
}

AnsiString formatExponent(const DecimalFloat& d, int precision, int minExponentDigits) {
  AnsiString out = d.negative() ? "-" : "";
  out += digitAt(d.digits(), 0);
  if (precision > 1) {
    out += DecimalSeparator;
    for (int i = 1; i < precision; ++i) out += digitAt(d.digits(), i);
  }
  out += 'E';
  appendExponent(out, d.isZero() ? 0 : d.exponent() - 1, true, minExponentDigits);
  return out;
}

// Integer digits with the thousands separator between groups of three.
void appendGrouped(AnsiString& out, const std::string& integerDigits, bool grouped) {
  const int n = static_cast<int>(integerDigits.size());
  for (int i = 0; i < n; ++i) {
    out += integerDigits[static_cast<std::size_t>(i)];
    const int placesLeft = n - 1 - i;
    if (grouped && placesLeft > 0 && placesLeft % 3 == 0) out += ThousandSeparator;
  }
}

AnsiString formatFixed(const DecimalFloat& d, int decimals, bool grouped) {
  AnsiString out = d.negative() ? "-" : "";
  std::string integerDigits;
  for (int i = 0; i < d.exponent(); ++i) integerDigits += digitAt(d.digits(), i);
  if (integerDigits.empty()) integerDigits.assign(1, '0');
  appendGrouped(out, integerDigits, grouped);
  if (decimals > 0) {
    out += DecimalSeparator;
    for (int i = 0; i < decimals; ++i) out += digitAt(d.digits(), d.exponent() + i);
  }
  return out;
}

// The class library's money layouts; "$" stands for CurrencyString and "1"
// for the amount.
AnsiString placeCurrency(const AnsiString& amount, bool negative) {
  static const char* const kPositive[] = {"$1", "1$", "$ 1", "1 $"};
  static const char* const kNegative[] = {"($1)", "-$1",  "$-1",  "$1-",  "(1$)", "-1$",  "1-$",   "1$-",
                                          "-1 $", "-$ 1", "1 $-", "$ 1-", "$ -1", "1- $", "($ 1)", "(1 $)"};
  const char* layout = negative ? kNegative[NegCurrFormat % 16] : kPositive[CurrencyFormat % 4];
  AnsiString out;
  for (const char* p = layout; *p; ++p) {
    if (*p == '$') {
      out += CurrencyString;
    } else if (*p == '1') {
      out += amount;
    } else {
      out += *p;
    }
  }
  return out;
}

}  // namespace

AnsiString FloatToText(Extended value, TFloatFormat format, int precision, int digits) {
  if (precision > kMaxDigits) precision = kMaxDigits;
  if (precision < 1) precision = 1;
  const int minExponentDigits = digits < 0 ? 0 : (digits > 4 ? 4 : digits);
  const int decimals = digits < 0 ? 0 : (digits > kMaxDigits ? kMaxDigits : digits);
  switch (format) {
    case ffGeneral: {
      const DecimalFloat d = FloatToDecimal(value, precision, 9999);
      if (const char* special = specialText(d)) return special;
      return formatGeneral(d, precision, minExponentDigits);
    }
    case ffExponent: {
      const DecimalFloat d = FloatToDecimal(value, precision, 9999);
      if (const char* special = specialText(d)) return special;
      return formatExponent(d, precision, minExponentDigits);
    }
    case ffFixed:
    case ffNumber:
    case ffCurrency: {
      const DecimalFloat d = FloatToDecimal(value, precision, decimals);
      if (const char* special = specialText(d)) return special;
      // More integer digits than the precision holds: general notation.
      if (d.exponent() > precision) return formatGeneral(d, precision, minExponentDigits);
      if (format == ffFixed) return formatFixed(d, decimals, false);
      if (format == ffNumber) return formatFixed(d, decimals, true);
      DecimalFloat magnitude = d;
      magnitude.number.Negative = false;
      return placeCurrency(formatFixed(magnitude, decimals, true), d.negative());
    }
  }
  return {};
}

}  // namespace rtl_detail

using rtl_detail::appendExponent;
using rtl_detail::DecimalFloat;
using rtl_detail::digitAt;
using rtl_detail::FloatToDecimal;

AnsiString FloatToStr(Extended value) { return rtl_detail::FloatToText(value, ffGeneral, 15, 0); }

AnsiString FloatToStrF(Extended value, TFloatFormat format, int precision, int digits) {
  return rtl_detail::FloatToText(value, format, precision, digits);
}

// ---- FormatFloat -----------------------------------------------------------

namespace {

struct Token {
  enum Kind { Digit, Point, Comma, Exponent, Literal } kind;
  char ch = 0;            // Digit: '0' or '#'; Exponent: 'E' or 'e'
  bool plusSign = false;  // Exponent: "E+" shows the sign of positive exponents
  int minDigits = 0;      // Exponent: zeros after the sign, at most 4
  AnsiString text;        // Literal
  Token(Kind k, char c = 0) : kind(k), ch(c) {}
};

// Splits the format into its ";"-separated sections, quotes respected; an
// unterminated quote runs to the end.
std::vector<std::string_view> splitSections(std::string_view format) {
  std::vector<std::string_view> sections;
  std::size_t start = 0;
  for (std::size_t i = 0; i < format.size(); ++i) {
    const char c = format[i];
    if (c == '"' || c == '\'') {
      const std::size_t close = format.find(c, i + 1);
      i = close == std::string_view::npos ? format.size() - 1 : close;
    } else if (c == ';') {
      sections.push_back(format.substr(start, i - start));
      start = i + 1;
    }
  }
  sections.push_back(format.substr(start));
  return sections;
}

std::vector<Token> tokenize(std::string_view section) {
  std::vector<Token> tokens;
  auto literal = [&tokens](std::string_view text) {
    if (tokens.empty() || tokens.back().kind != Token::Literal) tokens.push_back({Token::Literal});
    tokens.back().text.append(text);
  };
  for (std::size_t i = 0; i < section.size(); ++i) {
    const char c = section[i];
    switch (c) {
      case '0':
      case '#':
        tokens.push_back({Token::Digit, c});
        break;
      case '.':
        tokens.push_back({Token::Point});
        break;
      case ',':
        tokens.push_back({Token::Comma});
        break;
      case '"':
      case '\'': {
        const std::size_t close = section.find(c, i + 1);
        const std::size_t end = close == std::string_view::npos ? section.size() : close;
        literal(section.substr(i + 1, end - i - 1));
        i = end;
        break;
      }
      case 'E':
      case 'e':
        if (i + 1 < section.size() && (section[i + 1] == '+' || section[i + 1] == '-')) {
          Token t{Token::Exponent, c};
          t.plusSign = section[i + 1] == '+';
          i += 2;
          int zeros = 0;
          while (i < section.size() && section[i] == '0') {
            ++zeros;
            ++i;
          }
          --i;
          t.minDigits = zeros > 4 ? 4 : zeros;
          tokens.push_back(t);
          break;
        }
        literal(section.substr(i, 1));
        break;
      default:
        literal(section.substr(i, 1));
    }
  }
  return tokens;
}

// What a section asks for: its digit placeholders around the point.
struct SectionShape {
  int digitCount = 0;
  int decimalIndex = -1;  // placeholders before the first point
  int firstZero = -1;     // index of the first '0' placeholder
  int lastZeroEnd = 0;    // index after the last '0' placeholder
  bool grouped = false;
  bool scientific = false;
};

SectionShape shapeOf(const std::vector<Token>& tokens) {
  SectionShape shape;
  for (const Token& t : tokens) {
    switch (t.kind) {
      case Token::Digit:
        if (t.ch == '0') {
          if (shape.firstZero < 0) shape.firstZero = shape.digitCount;
          shape.lastZeroEnd = shape.digitCount + 1;
        }
        ++shape.digitCount;
        break;
      case Token::Point:
        if (shape.decimalIndex < 0) shape.decimalIndex = shape.digitCount;
        break;
      case Token::Comma:
        shape.grouped = true;
        break;
      case Token::Exponent:
        shape.scientific = true;
        break;
      case Token::Literal:
        break;
    }
  }
  if (shape.decimalIndex < 0) shape.decimalIndex = shape.digitCount;
  return shape;
}

// Writes the digits into the section's placeholders: the first placeholder
// takes every integer digit the pattern has no room for, "0" places are
// always written, "#" places only when they hold a significant digit, and
// the decimal separator goes before the first fraction digit written.
AnsiString applySection(const std::vector<Token>& tokens, const SectionShape& shape,
                        const std::string& integerDigits, const std::string& fractionDigits, int exponent,
                        bool negative) {
  const int requiredInteger =
      shape.firstZero >= 0 && shape.firstZero < shape.decimalIndex ? shape.decimalIndex - shape.firstZero : 0;
  const int requiredFraction =
      shape.lastZeroEnd > shape.decimalIndex ? shape.lastZeroEnd - shape.decimalIndex : 0;
  std::string integerText = integerDigits;
  if (static_cast<int>(integerText.size()) < requiredInteger)
    integerText.insert(0, static_cast<std::size_t>(requiredInteger) - integerText.size(), '0');
  std::string fractionText = fractionDigits;
  if (static_cast<int>(fractionText.size()) < requiredFraction)
    fractionText.resize(static_cast<std::size_t>(requiredFraction), '0');

  const int width = static_cast<int>(integerText.size());
  const int fractionWidth = static_cast<int>(fractionText.size());
  AnsiString out = negative ? "-" : "";
  int nextInteger = width - 1;  // highest integer place not yet written
  int nextFraction = 1;         // next fraction place (1 = tenths)
  int placeholder = 0;
  for (const Token& t : tokens) {
    switch (t.kind) {
      case Token::Digit: {
        const int place = shape.decimalIndex - 1 - placeholder++;
        const int lowest = place > 0 ? place : 0;
        for (; nextInteger >= lowest; --nextInteger) {
          out += integerText[static_cast<std::size_t>(width - 1 - nextInteger)];
          if (shape.grouped && nextInteger > 0 && nextInteger % 3 == 0) out += ThousandSeparator;
        }
        for (; place < 0 && nextFraction <= -place; ++nextFraction) {
          if (nextFraction > fractionWidth) continue;
          if (nextFraction == 1) out += DecimalSeparator;
          out += fractionText[static_cast<std::size_t>(nextFraction - 1)];
        }
        break;
      }
      case Token::Exponent:
        out += t.ch;
        appendExponent(out, exponent, t.plusSign, t.minDigits);
        break;
      case Token::Literal:
        out += t.text;
        break;
      case Token::Point:
      case Token::Comma:
        break;
    }
  }
  return out;
}

// Formats with one section; tells through roundedToZero whether the value
// rounded to zero, so that the caller can take the zero section instead.
AnsiString formatSection(std::string_view section, Extended value, bool showSign, bool* roundedToZero) {
  const std::vector<Token> tokens = tokenize(section);
  const SectionShape shape = shapeOf(tokens);
  std::string integerDigits, fractionDigits;
  int exponent = 0;
  DecimalFloat d;
  if (shape.scientific) {
    d = FloatToDecimal(value, shape.digitCount > 0 ? shape.digitCount : 1, 9999);
    if (!d.isZero()) {
      for (int i = 0; i < shape.decimalIndex; ++i) integerDigits += digitAt(d.digits(), i);
      if (static_cast<int>(d.digits().size()) > shape.decimalIndex)
        fractionDigits = d.digits().substr(static_cast<std::size_t>(shape.decimalIndex));
      exponent = d.exponent() - shape.decimalIndex;
    }
  } else {
    d = FloatToDecimal(value, 18, shape.digitCount - shape.decimalIndex);
    // Beyond 18 integer digits the pattern cannot show the value.
    if (d.exponent() > 18) return rtl_detail::FloatToText(value, ffGeneral, 15, 0);
    for (int i = 0; i < d.exponent(); ++i) integerDigits += digitAt(d.digits(), i);
    if (!d.isZero()) {
      if (d.exponent() < 0) fractionDigits.assign(static_cast<std::size_t>(-d.exponent()), '0');
      if (static_cast<int>(d.digits().size()) > d.exponent())
        fractionDigits += d.digits().substr(static_cast<std::size_t>(d.exponent() > 0 ? d.exponent() : 0));
    }
  }
  if (roundedToZero != nullptr) *roundedToZero = d.isZero();
  return applySection(tokens, shape, integerDigits, fractionDigits, exponent, showSign && d.negative());
}

}  // namespace

AnsiString FormatFloat(const AnsiString& format, Extended value) {
  if (std::isnan(value) || std::isinf(value)) return FloatToStrF(value, ffGeneral, 15, 0);
  const std::vector<std::string_view> sections = splitSections(format);
  auto section = [&sections](std::size_t i) -> std::string_view {
    return i < sections.size() ? sections[i] : std::string_view();
  };
  // Negative and zero sections that are missing or empty fall back to the
  // first; a value that rounds to zero takes the zero section.
  const bool hasNegative = !section(1).empty();
  const bool hasZero = !section(2).empty();
  std::string_view chosen = section(0);
  bool negativeSection = false;
  if (value < 0 && hasNegative) {
    chosen = section(1);
    negativeSection = true;
  } else if (value == 0 && hasZero) {
    chosen = section(2);
  }
  if (chosen.empty()) return FloatToStrF(value, ffGeneral, 15, 0);
  bool roundedToZero = false;
  AnsiString text = formatSection(chosen, value, !negativeSection, &roundedToZero);
  if (roundedToZero && value != 0 && hasZero) text = formatSection(section(2), 0, false, nullptr);
  return text;
}

// ---- text to float ---------------------------------------------------------

namespace {

locale_t cLocale() {
  static const locale_t loc = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
  return loc;
}

}  // namespace

// Leading and trailing blanks, a sign, digits with the locale's decimal
// separator, an exponent; at least one mantissa digit, nothing else, and
// the value must fit the 80-bit range.
bool TryStrToFloat(const AnsiString& s, Extended& value) {
  std::size_t i = 0;
  const std::size_t n = s.size();
  while (i < n && s[i] == ' ') ++i;
  std::string c;  // the number in the C library's syntax
  if (i < n && (s[i] == '+' || s[i] == '-')) c += s[i++];
  int mantissaDigits = 0;
  while (i < n && s[i] >= '0' && s[i] <= '9') {
    c += s[i++];
    ++mantissaDigits;
  }
  if (i < n && s[i] == DecimalSeparator) {
    c += '.';
    ++i;
    while (i < n && s[i] >= '0' && s[i] <= '9') {
      c += s[i++];
      ++mantissaDigits;
    }
  }
  if (mantissaDigits == 0) return false;
  if (i < n && (s[i] == 'e' || s[i] == 'E')) {
    c += 'e';
    ++i;
    if (i < n && (s[i] == '+' || s[i] == '-')) c += s[i++];
    int exponentDigits = 0;
    while (i < n && s[i] >= '0' && s[i] <= '9') {
      c += s[i++];
      ++exponentDigits;
    }
    if (exponentDigits == 0) return false;
  }
  while (i < n && s[i] == ' ') ++i;
  if (i != n) return false;
  char* end = nullptr;
  const Extended v = strtold_l(c.c_str(), &end, cLocale());
  if (end != c.c_str() + c.size() || std::isinf(v) || std::isnan(v)) return false;
  value = v;
  return true;
}

Extended StrToFloat(const AnsiString& s) {
  Extended value;
  if (!TryStrToFloat(s, value)) throw EConvertError("'" + s + "' is not a valid floating point value");
  return value;
}

Extended StrToFloatDef(const AnsiString& s, Extended def) {
  Extended value;
  return TryStrToFloat(s, value) ? value : def;
}
