#include <gtest/gtest.h>

#include "grid/GridUtil.h"
#include "platform/gfx/CairoCanvas.h"
#include "platform/gfx/RecordingCanvas.h"

namespace {

// Greek separators: "," decimal, "." thousands, "/" dates, d/M/yyyy.
class GridUtilTest : public ::testing::Test {
 protected:
  void SetUp() override { LoadGreekLocale(); }
  void TearDown() override { LoadDefaultLocale(); }
};

TEST_F(GridUtilTest, ClassifiesCellText) {
  struct Case {
    const char* text;
    bool html;
    int kind;
  } cases[] = {
      {"", true, 0},          {"=", false, 3},          {"=A1+2", true, 3},
      {"|\\0041", false, 5},  {"{\\rtf1 x}", false, 2}, {"<b>x</b>", true, 1},
      {"<b>x", true, 0},      {"<B>x", true, 1},        {"<I>x", true, 1},
      {"<b>x</b>", false, 0}, {"a < b", true, 0},       {"plain", true, 0},
  };
  for (const Case& c : cases) EXPECT_EQ(ClassifyCellText(c.text, c.html), c.kind) << c.text;
}

TEST_F(GridUtilTest, RecognisesAndStripsLinks) {
  struct Case {
    const char* text;
    bool url;
    const char* stripped;
  } cases[] = {
      {"http://example.org/a", true, "example.org/a"},
      {"mailto:someone@example.org", true, "someone@example.org"},
      {"see mailto:x then ftp://y", true, "y"},
      {"plain text", false, "plain text"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(IsURL(c.text), c.url) << c.text;
    AnsiString s = c.text;
    StripURLScheme(s);
    EXPECT_EQ(s, c.stripped);
  }
}

TEST_F(GridUtilTest, ClassifiesNumberText) {
  struct Case {
    const char* text;
    int kind;
  } cases[] = {
      {"12", 0},    {"-12", 0}, {"1,5", 1}, {"1.234.567", 1}, {"1.234,50", 1}, {"-1.234,5", 1},
      {"1.2.3", 2}, {"--1", 2}, {"", 2},    {"1,2,3", 2},     {".123", 2},     {"12a", 2},
      {"1-2", 2},   {"-", 2},   {"12-", 2}, {",", 2},         {"1 000", 2},
  };
  for (const Case& c : cases) EXPECT_EQ(ClassifyNumberText(c.text), c.kind) << c.text;
}

TEST_F(GridUtilTest, NormalizesNumberText) {
  struct Case {
    const char* text;
    const char* normal;
  } cases[] = {
      {" 1.234,50 ", "1234.50"},
      {"(1.234,50)", "-1234.50"},
      {"EUR -5", "-5"},
      {"12 τεμ.", "12"},
      {"-3,5", "-3.5"},
      {"abc", ""},
      {"", ""},
      {",5", ".5"},
      {"5%", "5"},
  };
  for (const Case& c : cases) EXPECT_EQ(NormalizeNumberText(c.text), c.normal) << c.text;
}

TEST_F(GridUtilTest, ParsesDatesInTheLocaleOrder) {
  TDateTime date = 0;
  EXPECT_TRUE(ParseLocaleDate("5/3/2007", date));
  EXPECT_EQ(date, EncodeDate(2007, 3, 5));
  EXPECT_TRUE(ParseLocaleDate("5/3/07", date));
  EXPECT_EQ(date, EncodeDate(2007, 3, 5));
  EXPECT_TRUE(ParseLocaleDate("5/3/99", date));
  EXPECT_EQ(date, EncodeDate(1999, 3, 5));
  for (const char* bad :
       {"32/1/2007", "5/13/2007", "31/2/2007", "5/3", "5/3/2007/1", "a/3/2007", "", "0/1/2000"}) {
    date = 7;
    EXPECT_FALSE(ParseLocaleDate(bad, date)) << bad;
    EXPECT_EQ(date, 7) << bad;
  }
  ShortDateFormat = "yyyy-MM-dd";
  DateSeparator = '-';
  EXPECT_TRUE(ParseLocaleDate("2007-03-05", date));
  EXPECT_EQ(date, EncodeDate(2007, 3, 5));
}

TEST_F(GridUtilTest, ReadsDayMonthYearAndMonthDayYear) {
  struct Case {
    const char* text;
    bool monthFirst;
    TDateTime date;
  } cases[] = {
      {"5/3/99", false, EncodeDate(1999, 3, 5)},
      {"5/3/07", false, EncodeDate(2007, 3, 5)},
      {"5/3/2007", false, EncodeDate(2007, 3, 5)},
      {"5.3.25", false, EncodeDate(2025, 3, 5)},
      {"5-3-26", false, EncodeDate(1926, 3, 5)},
      {"3/5/99", true, EncodeDate(1999, 3, 5)},
      {"5/3", false, 0},
      {"5 3 99", false, 0},
      {"x/3/99", false, 0},
      {"31/2/99", false, 0},
      {"5/13/99", false, 0},
      {"5/3/99/1", false, 0},
  };
  for (const Case& c : cases)
    EXPECT_EQ(c.monthFirst ? DateFromMDYText(c.text) : DateFromDMYText(c.text), c.date) << c.text;
}

TEST_F(GridUtilTest, IncrementsDates) {
  const TDateTime jan31 = EncodeDate(2024, 1, 31);
  EXPECT_EQ(DateIncrement(0, 0, 3, 99, jan31), jan31 + 3);
  EXPECT_EQ(DateIncrement(1, 0, 0, 99, jan31), EncodeDate(2025, 1, 31));
  EXPECT_EQ(DateIncrement(0, 1, 0, 99, jan31), EncodeDate(2024, 2, 29));
  EXPECT_EQ(DateIncrement(0, 12, 0, 99, jan31), EncodeDate(2025, 1, 31));
  EXPECT_EQ(DateIncrement(0, -1, 0, 99, jan31), EncodeDate(2023, 12, 31));
  EXPECT_EQ(DateIncrement(1, 0, 0, 99, EncodeDate(2024, 2, 29)), EncodeDate(2025, 2, 28));
  EXPECT_EQ(DateIncrement(1, 1, 0, 99, jan31), jan31 + 99);
  EXPECT_EQ(DateIncrement(0, 0, 0, -2, jan31), jan31 - 2);
}

TEST_F(GridUtilTest, MatchesFilterExpressions) {
  struct Case {
    const char* expression;
    const char* value;
    bool caseSensitive;
    bool match;
  } cases[] = {
      {"a*", "abc", true, true},
      {"a*&*c", "abc", true, true},
      {"a*&*d", "abc", true, false},
      {"x|y", "y", true, true},
      {"x ; y", "y", true, true},
      {"x^y", "z", true, false},
      {">5", "7", true, true},
      {">5", "3", true, false},
      {">9", "10", true, true},  // numeric, not "10" < "9" as text
      {"<9", "10", true, false},
      {"<=5", "5", true, true},
      {"< = 5", "5", true, true},
      {"<5", "5", true, false},
      {">=5", "5", true, true},
      {">1,5", "2", true, true},              // the locale's decimal separator
      {">1/3/2007", "5/3/2007", true, true},  // dates
      {">1/3/07", "5/3/2007", true, true},
      {"<1/3/2007", "5/3/2007", true, false},
      {">b", "c", true, true},  // bytes
      {"!>5", "3", true, true},
      {"!>5", "7", true, false},
      {"!abc", "abc", true, false},
      {"!abc", "abd", true, true},
      {"=abc", "abc", true, true},
      {"a?c", "abc", true, true},
      {"a?c", "ac", true, false},
      {"\"a b\"", "a b", true, true},
      {"A*", "abc", true, false},
      {"A*", "abc", false, true},
      {"x|y&z", "y", true, false},  // (x or y) and z: no precedence
      {"y&z|y", "y", true, true},
      {"***a***b***", "xxaxxbxx", true, true},
      {"", "", true, true},
      {"", "a", true, false},
  };
  for (const Case& c : cases)
    EXPECT_EQ(MatchFilterExpression(c.expression, c.value, c.caseSensitive), c.match)
        << c.expression << " on " << c.value;
  EXPECT_TRUE(MatchFilterExpression("α*"_a, "ΑΒΓ"_a, false));
  EXPECT_FALSE(MatchFilterExpression("α*"_a, "ΑΒΓ"_a, true));
}

TEST_F(GridUtilTest, PatternsCombineTheirComparisons) {
  EXPECT_TRUE(MatchPattern(">5&<10", "7"));
  EXPECT_FALSE(MatchPattern(">5&<10", "12"));
  EXPECT_TRUE(MatchPattern("<5^>10", "12"));
  EXPECT_FALSE(MatchPattern("<5^>10", "7"));
  EXPECT_TRUE(MatchPattern("<\"5\"", "3"));
}

TEST_F(GridUtilTest, WildcardsEndOnLongHopelessInput) {
  AnsiString pattern, value(4000, 'a');
  for (int i = 0; i < 200; ++i) pattern += "*a";
  pattern += "b";
  EXPECT_FALSE(MatchPattern(pattern, value));
}

TEST_F(GridUtilTest, LimitsValues) {
  struct Case {
    int value, min, max, result;
  } cases[] = {{5, 0, 3, 3}, {5, 7, 0, 7}, {5, 2, 2, 5}, {5, 1, 9, 5}, {-1, 0, 9, -1}, {5, -3, 0, 5}};
  for (const Case& c : cases) EXPECT_EQ(LimitValue(c.value, c.min, c.max), c.result);
  EXPECT_TRUE(IsPointInRect(Rect(1, 1, 5, 5), 5, 5));  // inclusive on all sides
  EXPECT_EQ(DarkerColor(RGB(200, 101, 2)), RGB(100, 50, 1));
  const TColor face = ColorToRGB(clBtnFace);
  EXPECT_EQ(DarkerColor(clBtnFace), RGB(GetRValue(face) / 2, GetGValue(face) / 2, GetBValue(face) / 2));
}

TEST_F(GridUtilTest, FindsPositions) {
  int at = -1;
  EXPECT_EQ(UpperCasePos("ΒΓ"_a, "αβγ"_a), 2);
  EXPECT_EQ(VarPos("c", "abc", at), 3);
  EXPECT_EQ(at, 3);
  EXPECT_EQ(CharPos('x', "abc"), 0);
  EXPECT_EQ(CharPosVar('b', "abc", at), 2);
  EXPECT_EQ(at, 2);
  EXPECT_EQ(ParseRowColRef("R12C3"), (TGridCoord{3, 12}));
  for (const char* bad : {"R12", "C3", "RC3", "R1C", "r1c2", "R1xC2", "", "R99999999999C1"})
    EXPECT_EQ(ParseRowColRef(bad), (TGridCoord{-1, -1})) << bad;
}

TEST_F(GridUtilTest, FindsSingleCharacters) {
  struct Case {
    const char* text;
    int position, count;
  } cases[] = {
      {"a\"b", 2, 1}, {"a\"\"b\"c", 5, 1}, {"\"\"\"x", 3, 1}, {"ab\"\"", 4, 1},
      {"abc", 0, 0},  {"\"a\"", 1, 2},     {"", 0, 0},        {"x\"\"y\"\"z", 0, 0},
  };
  for (const Case& c : cases) {
    int at = -1;
    EXPECT_EQ(SingleCharPos('"', c.text, at), c.position) << c.text;
    EXPECT_EQ(at, c.position);
    EXPECT_EQ(SingleCharCount('"', c.text), c.count) << c.text;
  }
  EXPECT_EQ(CharCount('a', "banana"), 3);
  EXPECT_EQ(LowerCaseChar('Q'), 'q');
  EXPECT_EQ(LowerCaseChar('1'), '1');
  EXPECT_EQ(LowerCaseChar("Α"_a[0]), "Α"_a[0]);
}

TEST_F(GridUtilTest, ConvertsLines) {
  EXPECT_EQ(ExpandNewlineEscapes("a\\nb\\n"), "a\rb\r");
  EXPECT_EQ(ExpandNewlineEscapes("a\\"), "a\\");
  EXPECT_EQ(LFToCRLF("a\nb\r\nc"), "a\r\nb\r\nc");
  EXPECT_EQ(TildeToCRLF("a~b"), "a\r\nb");
  EXPECT_EQ(QuoteMultiLine("a\r\nb \"x\""), "\"a\nb \"\"x\"\"\"");
  EXPECT_EQ(CollapseRepeatedChar(' ', "a   b  c "), "a b c ");
  AnsiString password = "secret";
  FillStringChar(password, '*');
  EXPECT_EQ(password, "******");
  EXPECT_EQ(LineCount("a\rb\rc", true), 3);
  EXPECT_EQ(LineCount("a\rb\rc", false), 1);
}

TEST_F(GridUtilTest, ConvertsGreekDosText) {
  EXPECT_EQ(OemToAnsiText("\x80\x98\xE1\xEA x\xC4"), "ΑαάΆ x?"_a);
  EXPECT_EQ(OemToAnsiText("plain"), "plain");
}

TEST_F(GridUtilTest, ExtractsTheFirstLine) {
  struct Case {
    const char* text;
    bool keepRest;
    const char* line;
    const char* rest;
  } cases[] = {
      {"one\r\ntwo\r\nthree", true, "one", "two\r\nthree"},
      {"one\rtwo", true, "one", "two"},
      {"one\r\ntwo", false, "one", ""},
      {"single", true, "single", ""},
      {"\r\n", true, "", ""},
  };
  for (const Case& c : cases) {
    AnsiString s = c.text, line;
    ExtractFirstLine(s, c.keepRest, line);
    EXPECT_EQ(line, c.line);
    EXPECT_EQ(s, c.rest);
  }
}

TEST_F(GridUtilTest, CapitalizesWords) {
  struct Case {
    const char* text;
    const char* result;
  } cases[] = {
      {"john SMITH", "John Smith"},
      {"o'brien-jones", "O'Brien-Jones"},
      {"mcdonald", "McDonald"},
      {"ronald mcdonald", "Ronald McDonald"},
      {"henry iii", "Henry III"},
      {"henry ii", "Henry II"},
      {"ian smith", "Ian Smith"},
      {"a.b,c", "A.B,C"},
      {"", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(CapitalizeWords(c.text), c.result) << c.text;
  EXPECT_EQ(CapitalizeWords("γιώργος παπαδόπουλος"_a), "Γιώργος Παπαδόπουλος"_a);
}

TEST_F(GridUtilTest, DrawsABitmapWithItsKeyColourReplaced) {
  TBitmap bitmap(3, 2);
  bitmap.SetPixel(0, 0, clFuchsia);  // the key: the top-left pixel's colour
  bitmap.SetPixel(2, 1, clFuchsia);
  bitmap.SetPixel(1, 1, clBlack);
  TImageCanvas canvas(60, 60);
  DrawBitmapTransparent(canvas, bitmap, clRed, Rect(10, 20, 50, 50));
  EXPECT_EQ(canvas.Pixel(10, 20), clRed);
  EXPECT_EQ(canvas.Pixel(12, 21), clRed);
  EXPECT_EQ(canvas.Pixel(11, 21), clBlack);
  EXPECT_EQ(canvas.Pixel(11, 20), clWhite);
  EXPECT_EQ(canvas.Pixel(13, 20), clWhite);  // drawn at its own size, not stretched
}

TEST_F(GridUtilTest, UnknownResourceDrawsNothing) {
  TRecordingCanvas canvas;
  DrawResourceBitmap(canvas, clRed, Rect(0, 0, 10, 10), "NO SUCH BITMAP");
  EXPECT_TRUE(canvas.Calls.empty());
}

TEST_F(GridUtilTest, DrawsAProgressPie) {
  TRecordingCanvas canvas;
  DrawProgressPie(canvas, Rect(0, 0, 20, 20), clBlue, 25);
  auto ellipses = canvas.CallsOf("Ellipse");
  ASSERT_EQ(ellipses.size(), 1u);
  EXPECT_EQ(ellipses[0].Pen.Color, static_cast<TColor>(0x808080));
  auto sectors = canvas.CallsOf("Polygon");
  ASSERT_EQ(sectors.size(), 1u);
  EXPECT_EQ(sectors[0].Brush.Color, clBlue);
  // Centre, top centre, ..., the quarter-turn point at 3 o'clock.
  ASSERT_GE(sectors[0].Args.size(), 6u);
  EXPECT_EQ(sectors[0].Args[0], 10);
  EXPECT_EQ(sectors[0].Args[1], 10);
  EXPECT_EQ(sectors[0].Args[2], 10);
  EXPECT_EQ(sectors[0].Args[3], 0);
  EXPECT_EQ(sectors[0].Args[sectors[0].Args.size() - 2], 21);
  EXPECT_EQ(sectors[0].Args.back(), 10);
  TRecordingCanvas empty;
  DrawProgressPie(empty, Rect(0, 0, 20, 20), clBlue, 0);
  EXPECT_TRUE(empty.CallsOf("Polygon").empty());
}

TEST_F(GridUtilTest, UnderlinesFaultyCharacters) {
  TRecordingCanvas canvas;
  const std::vector<int> ends = canvas.CharacterEnds("abcdef");
  DrawErrorUnderline(canvas, "abcdef", 2, 1, 10, Rect(5, 7, 100, 30));
  auto lines = canvas.CallsOf("Polyline");
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0].Pen.Color, static_cast<TColor>(0x0000FF));
  EXPECT_EQ(lines[0].Pen.Width, 2);
  const auto& a = lines[0].Args;
  EXPECT_EQ(a[0], 5 + ends[0]);
  EXPECT_EQ(a[1], 7 + 10 + 3);
  EXPECT_EQ(a[3], 7 + 10 + 6);
  EXPECT_LE(a[a.size() - 2], 5 + ends[2] + 3);
  TRecordingCanvas none;
  DrawErrorUnderline(none, "abc", 0, 0, 10, Rect(0, 0, 50, 20));
  DrawErrorUnderline(none, "", 2, 0, 10, Rect(0, 0, 50, 20));
  DrawErrorUnderline(none, "abc", 2, -1, 10, Rect(0, 0, 50, 20));
  EXPECT_TRUE(none.Calls.empty());
  DrawErrorUnderline(none, "abc", 1000000, 2147483000, 10, Rect(0, 0, 50, 20));
}

}  // namespace
