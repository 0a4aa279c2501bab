#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "platform/rtl/SysUtils.h"
#include "tests/platform/rtl/LocaleScope.h"

namespace {

struct ToText {
  Extended value;
  const char* c;      // C locale
  const char* greek;  // Greek locale
};

// Runs text() in the C and then in the Greek locale against the two expected texts.
template <class F>
void expectBoth(const char* c, const char* greek, F&& text, const std::string& label) {
  {
    LocaleScope scope(LocaleScope::C);
    EXPECT_EQ(text(), c) << label;
  }
  {
    LocaleScope scope(LocaleScope::Greek);
    EXPECT_EQ(text(), cp1253::FromUtf8(greek)) << label;
  }
}

// ---- FloatToStr ------------------------------------------------------------

TEST(FloatToStr, FifteenSignificantDigitsAndTheExponentThresholds) {
  const double pointThree = 0.1 + 0.2;  // 0.30000000000000004
  const ToText cases[] = {
      {0, "0", "0"},
      {-0.0L, "0", "0"},
      {1, "1", "1"},
      {-1.5L, "-1.5", "-1,5"},
      {pointThree, "0.3", "0,3"},
      {0.1, "0.1", "0,1"},
      {1.0L / 3, "0.333333333333333", "0,333333333333333"},
      {2.0L / 3, "0.666666666666667", "0,666666666666667"},
      {1234567.891L, "1234567.891", "1234567,891"},
      // 15 integer digits still fit; the 16th switches to the exponent.
      {123456789012345.0L, "123456789012345", "123456789012345"},
      {1e15L, "1E15", "1E15"},
      {999999999999999.5L, "1E15", "1E15"},
      {123456789012345678.0L, "1.23456789012346E17", "1,23456789012346E17"},
      {-1e100L, "-1E100", "-1E100"},
      // Fixed down to 0.0001; below, the exponent.
      {0.0001L, "0.0001", "0,0001"},
      {0.00015L, "0.00015", "0,00015"},
      {1e-5L, "1E-5", "1E-5"},
      {-1.25e-10L, "-1.25E-10", "-1,25E-10"},
      {std::numeric_limits<Extended>::quiet_NaN(), "NAN", "NAN"},
      {std::numeric_limits<Extended>::infinity(), "INF", "INF"},
      {-std::numeric_limits<Extended>::infinity(), "-INF", "-INF"},
  };
  for (const auto& t : cases)
    expectBoth(
        t.c, t.greek, [&] { return FloatToStr(t.value); }, std::to_string(static_cast<double>(t.value)));
}

// ---- FloatToStrF -----------------------------------------------------------

struct ToTextF {
  Extended value;
  TFloatFormat format;
  int precision;
  int digits;
  const char* c;
  const char* greek;
};

TEST(FloatToStrF, EveryFormatInBothLocales) {
  const ToTextF cases[] = {
      {1234.5678L, ffFixed, 15, 2, "1234.57", "1234,57"},
      {1234.5678L, ffFixed, 15, 0, "1235", "1235"},
      {0.5L, ffFixed, 15, 0, "1", "1"},
      // Halves go away from zero here, unlike Round.
      {2.5L, ffFixed, 15, 0, "3", "3"},
      {-2.5L, ffFixed, 15, 0, "-3", "-3"},
      {0.001L, ffFixed, 15, 4, "0.0010", "0,0010"},
      // A negative value that rounds to zero shows no sign.
      {-0.001L, ffFixed, 15, 2, "0.00", "0,00"},
      // The precision rounds first: 123.456 to 4 digits is 123.5.
      {123.456L, ffFixed, 4, 2, "123.50", "123,50"},
      {1e20L, ffFixed, 15, 2, "1E20", "1E20"},
      {1234567.891L, ffNumber, 15, 2, "1,234,567.89", "1.234.567,89"},
      {-1234567.891L, ffNumber, 15, 0, "-1,234,568", "-1.234.568"},
      {999.999L, ffNumber, 15, 2, "1,000.00", "1.000,00"},
      {0, ffNumber, 15, 2, "0.00", "0,00"},
      {1234.5L, ffExponent, 4, 2, "1.235E+03", "1,235E+03"},
      {0, ffExponent, 3, 2, "0.00E+00", "0,00E+00"},
      {-0.000123L, ffExponent, 2, 0, "-1.2E-4", "-1,2E-4"},
      {5, ffExponent, 1, 1, "5E+0", "5E+0"},
      {1e15L, ffGeneral, 15, 0, "1E15", "1E15"},
      {1e15L, ffGeneral, 16, 0, "1000000000000000", "1000000000000000"},
      {1e15L, ffGeneral, 15, 3, "1E015", "1E015"},
      {12345.678L, ffGeneral, 4, 0, "1.235E4", "1,235E4"},
      {1234.5L, ffCurrency, 15, 2, "$1,234.50", "1.234,50 €"},
      {-1234.5L, ffCurrency, 15, 2, "($1,234.50)", "-1.234,50 €"},
  };
  for (const auto& t : cases)
    expectBoth(
        t.c, t.greek, [&] { return FloatToStrF(t.value, t.format, t.precision, t.digits); },
        std::to_string(static_cast<double>(t.value)));
}

// ---- FormatFloat -----------------------------------------------------------

struct Pattern {
  const char* format;
  Extended value;
  const char* c;
  const char* greek;
};

TEST(FormatFloat, PatternsInBothLocales) {
  const Pattern cases[] = {
      {"#,0.00", 1234567.891L, "1,234,567.89", "1.234.567,89"},
      {"#,0.00", 1234.5L, "1,234.50", "1.234,50"},
      {"#,0.00", -1234.5L, "-1,234.50", "-1.234,50"},
      {"#,0.00", 0, "0.00", "0,00"},
      {"#,0.00", 0.5L, "0.50", "0,50"},
      {"#,0.00", 999.999L, "1,000.00", "1.000,00"},
      {"#,0.00", 1e15L, "1,000,000,000,000,000.00", "1.000.000.000.000.000,00"},
      {"0.000", 12.3456L, "12.346", "12,346"},
      {"0.000", -0.0004L, "0.000", "0,000"},
      {"0.000", -0.0005L, "-0.001", "-0,001"},
      {"0000.00", 1.5L, "0001.50", "0001,50"},
      {"0", 2.5L, "3", "3"},
      {"0", -2.5L, "-3", "-3"},
      {"0", 0.4L, "0", "0"},
      {"0", -0.4L, "0", "0"},
      {"0", 123456789012345678.0L, "123456789012345678", "123456789012345678"},
      {"0.0", 0.25L, "0.3", "0,3"},
      {"0.0", -0.25L, "-0.3", "-0,3"},
      {"#", 0, "", ""},
      {"#", 0.4L, "", ""},
      {"#", 12.7L, "13", "13"},
      {"#.##", 0.5L, ".5", ",5"},
      {"#.##", 12, "12", "12"},
      {"0.##", 12.5L, "12.5", "12,5"},
      {"0.##", 12.499L, "12.5", "12,5"},
      {".00", 12.5L, "12.50", "12,50"},
      // The start-up probe of the number style: any "," asks for grouping.
      {"#.##,", 1200.223L, "1,200.22", "1.200,22"},
      {"0,", 2097152, "2,097,152", "2.097.152"},
      {"#,##0", 999999.5L, "1,000,000", "1.000.000"},
      {"00000", 42, "00042", "00042"},
      {"0.00E+00", 1234.5L, "1.23E+03", "1,23E+03"},
      {"0.00E-00", 1234.5L, "1.23E03", "1,23E03"},
      {"0.00E+00", 0.00012345L, "1.23E-04", "1,23E-04"},
      {"0.00e+0", -0.00012355L, "-1.24e-4", "-1,24e-4"},
      {"0.00E+00", 0, "0.00E+00", "0,00E+00"},
      {"0.00;(0.00);'zero'", 5, "5.00", "5,00"},
      {"0.00;(0.00);'zero'", -5, "(5.00)", "(5,00)"},
      {"0.00;(0.00);'zero'", 0, "zero", "zero"},
      {"0.00;(0.00);'zero'", -0.001L, "zero", "zero"},
      {"0.00;;", -5, "-5.00", "-5,00"},
      {"0.00 'EUR'", 5, "5.00 EUR", "5,00 EUR"},
      {"\"x\"0", 5, "x5", "x5"},
      {"'#'0", 7, "#7", "#7"},
      {"'a;b'0;'neg'0", -3, "neg3", "neg3"},
      {"0-0", 123, "12-3", "12-3"},
      {"", 1234.5L, "1234.5", "1234,5"},
      {";0", 1234.5L, "1234.5", "1234,5"},
      // More than 18 integer digits: the general format.
      {"0.00", 1e19L, "1E19", "1E19"},
  };
  for (const auto& t : cases)
    expectBoth(
        t.c, t.greek, [&] { return FormatFloat(t.format, t.value); },
        std::string(t.format) + " " + std::to_string(static_cast<double>(t.value)));
}

// Rounding is decimal on the 18-digit text of the value: a constant written
// as Extended sits on the half and rounds up; the same constant stored as a
// double lies below the half and rounds down, as in the class library.
TEST(FormatFloat, RoundsTheEighteenDigitTextHalfAwayFromZero) {
  LocaleScope scope(LocaleScope::C);
  const Pattern cases[] = {
      {"0.00", 2.675L, "2.68", nullptr},  {"0.00", 2.675, "2.67", nullptr},
      {"0.00", 1.005L, "1.01", nullptr},  {"0.00", 1.005, "1.00", nullptr},
      {"0.00", 0.005, "0.01", nullptr},   {"0.00", -2.675L, "-2.68", nullptr},
      {"0.00", 9.995L, "10.00", nullptr}, {"0.00", 9.995, "9.99", nullptr},
      {"0.00", 0.125, "0.13", nullptr},   {"#,0.00", 1234567.891, "1,234,567.89", nullptr},
      {"0.0", 0.05, "0.1", nullptr},
  };
  for (const auto& t : cases)
    EXPECT_EQ(FormatFloat(t.format, t.value), t.c) << t.format << " " << static_cast<double>(t.value);
}

// ---- StrToFloat ------------------------------------------------------------

TEST(StrToFloat, ReadsTheLocaleDecimalSeparator) {
  const std::tuple<LocaleScope::Which, const char*, Extended> cases[] = {
      {LocaleScope::C, "1.5", 1.5L},
      {LocaleScope::C, "  -1.5e3  ", -1500},
      {LocaleScope::C, ".5", 0.5L},
      {LocaleScope::C, "5.", 5},
      {LocaleScope::C, "+3", 3},
      {LocaleScope::C, "1E-2", 0.01L},
      {LocaleScope::C, "007", 7},
      {LocaleScope::C, "2.675", 2.675L},
      {LocaleScope::C, "1e-5000", 0},
      {LocaleScope::C, "-0", -0.0L},
      {LocaleScope::Greek, "1,5", 1.5L},
      {LocaleScope::Greek, " 1234,56 ", 1234.56L},
      {LocaleScope::Greek, "-0,001", -0.001L},
      {LocaleScope::Greek, "1e3", 1000},
  };
  for (const auto& [which, text, value] : cases) {
    LocaleScope scope(which);
    EXPECT_EQ(StrToFloat(text), value) << text;
  }
}

TEST(StrToFloat, RejectsWithTheClassLibraryMessage) {
  const std::pair<LocaleScope::Which, const char*> cases[] = {
      {LocaleScope::C, ""},
      {LocaleScope::C, " "},
      {LocaleScope::C, "abc"},
      {LocaleScope::C, "1,5"},
      {LocaleScope::C, "1.2.3"},
      {LocaleScope::C, "1e"},
      {LocaleScope::C, "1e+"},
      {LocaleScope::C, "."},
      {LocaleScope::C, "-"},
      {LocaleScope::C, "1 000"},
      {LocaleScope::C, "\t1"},
      {LocaleScope::C, "1e5000"},
      {LocaleScope::C, "0x10"},
      {LocaleScope::C, "inf"},
      {LocaleScope::C, "nan"},
      {LocaleScope::C, "1.5x"},
      {LocaleScope::C, "--1"},
      {LocaleScope::Greek, "1.5"},
      {LocaleScope::Greek, "1.234,5"},
  };
  for (const auto& [which, text] : cases) {
    LocaleScope scope(which);
    try {
      StrToFloat(text);
      ADD_FAILURE() << "accepted '" << text << "'";
    } catch (const EConvertError& e) {
      EXPECT_EQ(e.Message, "'" + AnsiString(text) + "' is not a valid floating point value");
    }
    Extended v = 42;
    EXPECT_FALSE(TryStrToFloat(text, v));
    EXPECT_EQ(v, 42);
    EXPECT_EQ(StrToFloatDef(text, -1), -1);
  }
}

TEST(StrToFloat, ReadsBackWhatFloatToStrWrites) {
  for (LocaleScope::Which which : {LocaleScope::C, LocaleScope::Greek}) {
    LocaleScope scope(which);
    RandSeed = 7;
    for (int i = 0; i < 2000; ++i) {
      const Extended x = (Random() - 0.5L) * std::pow(10.0L, Random(40) - 20);
      const Extended back = StrToFloat(FloatToStr(x));
      EXPECT_LE(std::fabs(back - x), std::fabs(x) * 1e-14L) << FloatToStr(x);
    }
  }
}

}  // namespace
