#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "tender/N_STR.h"
#include "tests/tender/NumericTestSupport.h"

namespace {

constexpr double Inf = std::numeric_limits<double>::infinity();
constexpr double NaN = std::numeric_limits<double>::quiet_NaN();

TEST(FormatNum, Vectors) {
  const struct {
    int width, decimals;
    Byte mode;
    double value;
    const char* expected;
  } cases[] = {
      // clang-format off
      {12, 2, 0, 1234567.891, "  1234567.89"}, {12, 2, 1, 1234567.891, "1,234,567.89"},
      {12, 2, 2, 1234567.891, "1.234.567,89"}, {10, 2, 1, 1234567.891, "1234567.89"},
      {8, 2, 1, 1234567.891, "1234567."}, {5, 2, 0, 1234567.891, "*****"},
      {25, 0, 2, -1500, "                   -1.500"}, {11, 2, 1, -1234567.5, "-1234567.50"},
      {10, 2, 1, -1234567.5, "-1234567.5"},
      // Width 0 (and below) gives nothing in every mode.
      {0, 2, 0, 12.5, ""}, {0, 2, 1, 12.5, ""}, {0, 2, 2, 12.5, ""}, {-3, 2, 0, 12.5, ""},
      {-3, 2, 1, 12.5, ""},
      // Width 1.
      {1, 0, 0, 7, "7"}, {1, 0, 0, 12, "*"}, {1, 0, 1, 12, "1"}, {1, 2, 2, 7.25, "7"},
      // Only the first nine decimals show in the grouped modes.
      {20, 12, 1, 0.123456789012, "         0.123456789"}, {20, 12, 2, 1.5, "         1,500000000"},
      {20, 12, 0, 0.123456789012, "      0.123456789012"},
      // Above 20 the extra width is blanks in front of a 20-wide field.
      {22, 2, 1, 1234567890123456789.0, "  1234567890123456770."},
      {24, 2, 0, 1e18, "    ********************"},
      // Zero decimals: grouped integer, no decimal character.
      {10, 0, 1, 1234567, " 1,234,567"}, {10, 0, 2, 999, "       999"}, {10, 0, 2, 1000, "     1.000"},
      {6, 0, 1, 100000, "100000"}, {7, 0, 1, 100000, "100,000"}, {4, 1, 2, 0.05, " 0,1"},
      {6, 2, 1, -0.001, " -0.00"}, {6, 2, 1, 0.0049, "  0.00"}, {6, 2, 0, -1e-9, " -0.00"},
      {6, 2, 3, 1.5, "  1,50"}, {6, 2, 255, 1.5, "  1,50"}, {8, 3, 1, 2.675, "   2.675"},
      {8, 2, 1, 2.675, "    2.67"}, {8, -2, 1, 2.5, "       3"},
      // Values that are no number.
      {6, 2, 0, NaN, "   NAN"}, {6, 2, 1, Inf, "   INF"}, {6, 2, 2, -Inf, "  -INF"}, {2, 2, 0, NaN, "**"},
      {2, 2, 1, -Inf, "-I"},
      // Huge and tiny values.
      {20, 2, 1, 1e300, "10000000000000000500"}, {20, 2, 0, 1e300, "********************"},
      {8, 2, 2, 1e-300, "    0,00"}, {20, 400, 1, 1.0 / 3, "         0.333333333"}
      // clang-format on
  };
  for (const auto& c : cases)
    EXPECT_EQ(FormatNum(c.width, c.decimals, c.mode, c.value), c.expected)
        << "FormatNum(" << c.width << ", " << c.decimals << ", " << int(c.mode) << ", " << c.value << ")";
}

TEST(FormatNum, HugeDecimalCountsAreSafe) {
  EXPECT_EQ(FormatNum(10, 1 << 30, 1, 2.5), "2.50000000");
  EXPECT_EQ(FormatNum(10, 1 << 30, 0, 2.5), "**********");
  EXPECT_EQ(FormatNum(1000, 2, 1, 2.5), AnsiString(996, ' ') + "2.50");
}

TEST(FormatNumNoBlanks, DropsEveryBlank) {
  EXPECT_EQ(FormatNumNoBlanks(12, 2, 1, 1234.5), "1,234.50");
  EXPECT_EQ(FormatNumNoBlanks(25, 0, 2, -1500), "-1.500");
  EXPECT_EQ(FormatNumNoBlanks(3, 2, 0, 1234.5), "***");
}

TEST(StrToNum, Style2Vectors) {
  UseStyle2();
  const struct {
    const char* text;
    double expected;
  } cases[] = {
      // clang-format off
      {"1.234,56", 1234.56}, {" 12 345 ", 12345}, {"", 0}, {"-", 0}, {"1e3", 1000}, {"12,5,3", 0},
      {"12,5", 12.5}, {"-0,25", -0.25}, {"1.234.567", 1234567}, {"12.", 12}, {",5", 0.5}, {"5,", 5},
      {"+7", 7}, {"1E-2", 0.01}, {"abc", 0}, {"12abc", 0}, {"1e", 0}, {"1e+", 0}, {".", 0}, {"--1", 0},
      {"1-", 0}, {"inf", 0}, {"nan", 0}, {"0x10", 0}, {"1e400", 0}, {"1e-400", 0}, {"\t5", 0},
      {"     ", 0}, {"2,675", 2.675}
      // clang-format on
  };
  for (const auto& c : cases) EXPECT_EQ(StrToNum(c.text), c.expected) << c.text;
}

TEST(StrToNum, Style1Vectors) {
  UseStyle1();
  const struct {
    const char* text;
    double expected;
  } cases[] = {
      // clang-format off
      {"1,234.56", 1234.56}, {"1234,56", 123456}, {"12,5,3", 1253}, {"", 0}, {"-", 0}, {"1e3", 1000},
      {"12,", 12}, {" - 3 . 5 ", -3.5}, {"1.2.3", 0}, {"1,234,567.891", 1234567.891}
      // clang-format on
  };
  for (const auto& c : cases) EXPECT_EQ(StrToNum(c.text), c.expected) << c.text;
}

TEST(StrToNum, LongTextsAreRead) {
  UseStyle1();
  EXPECT_EQ(StrToNum(AnsiString(1000, '0') + "12.5"), 12.5);
  EXPECT_EQ(StrToNum("1." + AnsiString(1000, '0') + "1"), 1.0);
  EXPECT_EQ(StrToNum(AnsiString(100000, ' ') + "7" + AnsiString(100000, ' ')), 7);
  EXPECT_EQ(StrToNum(AnsiString(300, '9')), 1e300);
  EXPECT_EQ(StrToNum(AnsiString(400, '9')), 0);  // beyond the double range
  // The stack buffer's edge: 128 characters, then one more.
  const auto powerOfTen = [](int zeros) {
    AnsiString text(zeros + 1, '0');
    text[0] = '1';
    return text;
  };
  EXPECT_EQ(StrToNum(powerOfTen(127)), 1e127);
  EXPECT_EQ(StrToNum(powerOfTen(128)), 1e128);
  EXPECT_EQ(StrToNum(" 1,000" + powerOfTen(124).substr(1) + " "), 1e127);
}

TEST(StrToNum, RoundTripsFormatNum) {
  for (const double value : {0.0, 1.5, -1234567.25, 999999999.99, 0.01, -0.5}) {
    UseStyle1();
    EXPECT_EQ(StrToNum(FormatNum(20, 2, 1, value)), value);
    UseStyle2();
    EXPECT_EQ(StrToNum(FormatNum(20, 2, 2, value)), value);
  }
}

TEST(DotDecimals, ReplacesTheDecimalCharacterBeforeADigit) {
  const struct {
    int style;
    const char* text;
    const char* expected;
  } cases[] = {
      // clang-format off
      {2, "12,5", "12.5"}, {2, "MOD(7, 3)", "MOD(7, 3)"}, {2, "MOD(7,3)", "MOD(7.3)"},
      {2, "1.000,5", "1.000.5"}, {2, "5,", "5,"}, {2, ",x", ",x"}, {1, "12,5", "12,5"},
      {1, "12.5", "12.5"}, {2, "", ""}
      // clang-format on
  };
  for (const auto& c : cases) {
    if (c.style == 2)
      UseStyle2();
    else
      UseStyle1();
    AnsiString text = c.text;
    DotDecimals(text);
    EXPECT_EQ(text, c.expected) << "style " << c.style << " \"" << c.text << "\"";
  }
}

TEST(NumberStyleProbe, ChoosesTheStyleFromTheLocale) {
  UseLocaleSeparators('.', ',');
  EXPECT_EQ(FormatFloat("#.##,", 1200.223), "1.200,22");
  NumberStyleProbe probe = ProbeNumberStyle();
  EXPECT_EQ(probe.Thousands, '.');
  EXPECT_EQ(probe.Decimal, ',');
  EXPECT_EQ(probe.Style, 2);
  EXPECT_EQ(ThousandsChar, '.');
  EXPECT_EQ(LibraryNumberStyle, 2);

  UseLocaleSeparators(',', '.');
  probe = ProbeNumberStyle();
  EXPECT_EQ(probe.Thousands, ',');
  EXPECT_EQ(probe.Decimal, '.');
  EXPECT_EQ(probe.Style, 1);
  EXPECT_EQ(LibraryNumberStyle, 1);
}

TEST(NumberStyleProbe, ALocaleWithBlankGroupingIsStyle1) {
  UseLocaleSeparators(' ', ',');
  const NumberStyleProbe probe = ProbeNumberStyle();
  EXPECT_EQ(probe.Thousands, ' ');
  EXPECT_EQ(probe.Decimal, ',');
  EXPECT_EQ(probe.Style, 1);
  EXPECT_EQ(StrToNum("1 234,5"), 1234.5);
  UseStyle1();
}

TEST(PadLeft, KeepsTheRightmostCharactersOrPadsWithBlanks) {
  const struct {
    const char* text;
    int width;
    const char* expected;
  } cases[] = {
      // clang-format off
      {"abc  ", 2, "bc"}, {"abc", 5, "  abc"}, {"abc", 3, "abc"}, {"  ", 2, "  "},
      {"abc", 0, ""},     {"abc", -1, ""},     {"", 1, " "},      {" a b ", 4, " a b"}
      // clang-format on
  };
  for (const auto& c : cases) EXPECT_EQ(PadLeft(c.text, c.width), c.expected) << c.text << " " << c.width;
}

TEST(LastPos, NonOverlappingLastOccurrence) {
  EXPECT_EQ(LastPos("aa", "aaaaa"), 3);
  EXPECT_EQ(LastPos("a", "banana"), 6);
  EXPECT_EQ(LastPos("x", "banana"), 0);
  EXPECT_EQ(LastPos("", "banana"), 0);
  EXPECT_EQ(LastPos("banana!", "banana"), 0);
  EXPECT_EQ(LastPos("ab", "abab"), 3);
}

TEST(RepeatChar, Counts) {
  EXPECT_EQ(RepeatChar(3, '*'), "***");
  EXPECT_EQ(RepeatChar(0, '*'), "");
  EXPECT_EQ(RepeatChar(-2, '*'), "");
}

TEST(DelBlanks, OnlyCharacter32) { EXPECT_EQ(DelBlanks(" a\tb c "), "a\tbc"); }

TEST(GreekUpCase, CapitalsWithoutAccent) {
  const AnsiString small = "αάβγδεέζηήθιίϊκλμνξοόπρσςτυύϋφχψωώΐΰ"_a;
  const AnsiString capital = "ΑΑΒΓΔΕΕΖΗΗΘΙΙΙΚΛΜΝΞΟΟΠΡΣΣΤΥΥΥΦΧΨΩΩΐΰ"_a;
  ASSERT_EQ(small.size(), capital.size());
  for (size_t i = 0; i < small.size(); ++i) EXPECT_EQ(GreekUpCase(small[i]), capital[i]) << i;
  for (int code = 0; code < 256; ++code) {
    const char ch = static_cast<char>(code);
    if (small.find(ch) == AnsiString::npos) {
      EXPECT_EQ(GreekUpCase(ch), ch) << code;
    }
  }
}

}  // namespace
