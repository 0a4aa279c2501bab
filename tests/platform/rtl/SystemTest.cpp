#include <gtest/gtest.h>

#include <cmath>
#include <iomanip>
#include <limits>
#include <map>
#include <set>
#include <vector>

#include "platform/rtl/SysUtils.h"
#include "platform/rtl/System.h"

namespace {

// ---- Copy, Pos, Delete, Insert ---------------------------------------------

struct CopyCase {
  const char* s;
  int index;
  int count;
  const char* expected;
};

TEST(System, CopyClampsIndexAndCount) {
  const CopyCase cases[] = {
      {"abcdef", 1, 3, "abc"},
      {"abcdef", 2, 3, "bcd"},
      {"abcdef", 4, 100, "def"},
      {"abcdef", 6, 1, "f"},
      {"abcdef", 7, 1, ""},
      {"abcdef", 100, 5, ""},
      {"abcdef", 0, 2, "ab"},
      {"abcdef", -5, 2, "ab"},
      {"abcdef", 1, 0, ""},
      {"abcdef", 2, -1, ""},
      {"", 1, 1, ""},
      {"abcdef", 1, 6, "abcdef"},
      {"abcdef", 1, std::numeric_limits<int>::max(), "abcdef"},
      {"abcdef", std::numeric_limits<int>::min(), 1, "a"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(Copy(c.s, c.index, c.count), c.expected) << c.s << " " << c.index << " " << c.count;
}

TEST(System, PosIsOneBasedAndZeroWhenAbsent) {
  const std::tuple<const char*, const char*, int> cases[] = {
      {"a", "abc", 1}, {"c", "abc", 3}, {"bc", "abc", 2}, {"abcd", "abc", 0}, {"", "abc", 0},
      {"x", "", 0},    {"", "", 0},     {"b", "abab", 2}, {"abc", "abc", 1},
  };
  for (const auto& [sub, s, expected] : cases) EXPECT_EQ(Pos(sub, s), expected) << sub << " in " << s;
}

TEST(System, DeleteIgnoresOutOfRangeAndClampsCount) {
  const CopyCase cases[] = {
      {"abcdef", 1, 2, "cdef"},   {"abcdef", 5, 10, "abcd"},   {"abcdef", 6, 1, "abcde"},
      {"abcdef", 7, 1, "abcdef"}, {"abcdef", 0, 2, "abcdef"},  {"abcdef", -1, 3, "abcdef"},
      {"abcdef", 2, 0, "abcdef"}, {"abcdef", 2, -3, "abcdef"},
  };
  for (const auto& c : cases) {
    AnsiString s = c.s;
    Delete(s, c.index, c.count);
    EXPECT_EQ(s, c.expected) << c.s << " " << c.index << " " << c.count;
  }
}

TEST(System, InsertClampsPosition) {
  const std::tuple<int, const char*> cases[] = {{1, "XYabc"}, {2, "aXYbc"}, {3, "abXYc"},  {4, "abcXY"},
                                                {5, "abcXY"}, {0, "XYabc"}, {-7, "XYabc"}, {99, "abcXY"}};
  for (const auto& [index, expected] : cases) {
    AnsiString s = "abc";
    Insert("XY", s, index);
    EXPECT_EQ(s, expected) << index;
  }
}

TEST(System, TrimDropsBlanksAndControlCharactersOnly) {
  const AnsiString nbsp = "\xA0";  // no-break space is a character, not a blank
  const std::tuple<AnsiString, AnsiString, AnsiString, AnsiString> cases[] = {
      {"  ab c \t\r\n", "ab c", "ab c \t\r\n", "  ab c"},
      {"", "", "", ""},
      {" \x01\x1f ", "", "", ""},
      {nbsp + "x" + nbsp, nbsp + "x" + nbsp, nbsp + "x" + nbsp, nbsp + "x" + nbsp},
      {"\x7f"
       "a",
       "\x7f"
       "a",
       "\x7f"
       "a",
       "\x7f"
       "a"},
      {" " + "Άλφα"_a + " ", "Άλφα"_a, "Άλφα"_a + " ", " " + "Άλφα"_a},
  };
  for (const auto& [in, both, left, right] : cases) {
    EXPECT_EQ(Trim(in), both);
    EXPECT_EQ(TrimLeft(in), left);
    EXPECT_EQ(TrimRight(in), right);
  }
}

// ---- case ------------------------------------------------------------------

// Every lower-case letter of code page 1253 and its capital; ΐ and ΰ have
// none and stay.
const std::pair<const char*, const char*> kGreekCase[] = {
    {"α", "Α"}, {"β", "Β"}, {"γ", "Γ"}, {"δ", "Δ"}, {"ε", "Ε"}, {"ζ", "Ζ"}, {"η", "Η"}, {"θ", "Θ"},
    {"ι", "Ι"}, {"κ", "Κ"}, {"λ", "Λ"}, {"μ", "Μ"}, {"ν", "Ν"}, {"ξ", "Ξ"}, {"ο", "Ο"}, {"π", "Π"},
    {"ρ", "Ρ"}, {"σ", "Σ"}, {"τ", "Τ"}, {"υ", "Υ"}, {"φ", "Φ"}, {"χ", "Χ"}, {"ψ", "Ψ"}, {"ω", "Ω"},
    {"ά", "Ά"}, {"έ", "Έ"}, {"ή", "Ή"}, {"ί", "Ί"}, {"ό", "Ό"}, {"ύ", "Ύ"}, {"ώ", "Ώ"}, {"ϊ", "Ϊ"},
    {"ϋ", "Ϋ"}, {"ς", "Σ"}, {"ΐ", "ΐ"}, {"ΰ", "ΰ"},
};

TEST(System, AnsiCaseMapsEveryGreekLetter) {
  for (const auto& [lower, upper] : kGreekCase) {
    EXPECT_EQ(AnsiUpperCase(cp1253::FromUtf8(lower)), cp1253::FromUtf8(upper)) << lower;
    if (std::string(lower) != "ς") {  // Σ lower-cases to σ
      EXPECT_EQ(AnsiLowerCase(cp1253::FromUtf8(upper)), cp1253::FromUtf8(lower)) << upper;
    }
  }
  EXPECT_EQ(AnsiLowerCase("Σ"_a), "σ"_a);
}

TEST(System, CaseMappingLeavesEveryOtherByteAlone) {
  std::set<unsigned char> letters;
  for (const auto& [lower, upper] : kGreekCase) {
    letters.insert(static_cast<unsigned char>(cp1253::FromUtf8(lower)[0]));
    letters.insert(static_cast<unsigned char>(cp1253::FromUtf8(upper)[0]));
  }
  for (int b = 0; b < 256; ++b) {
    const bool ascii = (b >= 'a' && b <= 'z') || (b >= 'A' && b <= 'Z');
    if (ascii || letters.count(static_cast<unsigned char>(b))) continue;
    const AnsiString one(1, static_cast<char>(b));
    EXPECT_EQ(AnsiUpperCase(one), one) << b;
    EXPECT_EQ(AnsiLowerCase(one), one) << b;
  }
}

TEST(System, AsciiCaseLeavesGreekAlone) {
  const AnsiString mixed = "abc αβγ XYZ"_a;
  EXPECT_EQ(UpperCase(mixed), "ABC αβγ XYZ"_a);
  EXPECT_EQ(LowerCase(mixed), "abc αβγ xyz"_a);
  EXPECT_EQ(AnsiUpperCase("Καλημέρα, κόσμε!"_a), "ΚΑΛΗΜΈΡΑ, ΚΌΣΜΕ!"_a);
  EXPECT_EQ(UpCase('q'), 'Q');
  EXPECT_EQ(UpCase('1'), '1');
}

TEST(System, CompareTextIgnoresAsciiCaseOnly) {
  EXPECT_EQ(CompareText("abc", "ABC"), 0);
  EXPECT_LT(CompareText("abc", "abd"), 0);
  EXPECT_GT(CompareText("abcd", "abc"), 0);
  EXPECT_NE(CompareText("α"_a, "Α"_a), 0);
  EXPECT_TRUE(SameText("Temp.@@@", "TEMP.@@@"));
  EXPECT_LT(CompareStr("ABC", "abc"), 0);
  EXPECT_EQ(CompareStr("abc", "abc"), 0);
}

TEST(System, AnsiCompareTextOrdersGreekAlphabetically) {
  EXPECT_EQ(AnsiCompareText("καλημέρα"_a, "ΚΑΛΗΜΈΡΑ"_a), 0);
  EXPECT_EQ(AnsiCompareText("ς"_a, "Σ"_a), 0);
  // Accented capitals lie below Α in the code page; alphabetically they sit
  // with their letter.
  EXPECT_LT(AnsiCompareText("Άλφα"_a, "Βήτα"_a), 0);
  EXPECT_LT(AnsiCompareText("αβ"_a, "άγ"_a), 0);
  EXPECT_LT(AnsiCompareText("α"_a, "ά"_a), 0);      // same letter: unaccented first
  EXPECT_LT(AnsiCompareText("Zeta", "Άλφα"_a), 0);  // Latin before Greek
  EXPECT_LT(AnsiCompareText("Ωμέγα"_a, "ωμέγαα"_a), 0);
  EXPECT_LT(AnsiCompareStr("α"_a, "Α"_a), 0);  // lower case first
  EXPECT_NE(AnsiCompareStr("α"_a, "Α"_a), 0);
  EXPECT_EQ(AnsiCompareStr("Άλφα"_a, "Άλφα"_a), 0);
}

TEST(System, QuotedStrDoublesQuotes) {
  EXPECT_EQ(QuotedStr("it's"), "'it''s'");
  EXPECT_EQ(QuotedStr(""), "''");
}

TEST(System, LastDelimiterFindsTheLastOfAny) {
  EXPECT_EQ(LastDelimiter("\\/", "a/b\\c.txt"), 4);
  EXPECT_EQ(LastDelimiter(".", "a.b.c"), 4);
  EXPECT_EQ(LastDelimiter(".", "abc"), 0);
  EXPECT_EQ(LastDelimiter("", "abc"), 0);
}

// ---- arithmetic ------------------------------------------------------------

TEST(System, RoundHalvesToEven) {
  const std::pair<Extended, Int64> cases[] = {
      {0.5L, 0},
      {1.5L, 2},
      {2.5L, 2},
      {3.5L, 4},
      {-0.5L, 0},
      {-1.5L, -2},
      {-2.5L, -2},
      {2.5000001L, 3},
      {2.4999999L, 2},
      {0.0L, 0},
      {-0.0L, 0},
      {1e15L + 0.5L, 1000000000000000},
      {2.6L, 3},
      {-2.6L, -3},
      {0.49999999999999994L, 0},
      {4503599627370497.5L, 4503599627370498},
      {4611686018427387903.5L, 4611686018427387904},
      {-4611686018427387902.5L, -4611686018427387902},
      {-9223372036854775807.5L, std::numeric_limits<Int64>::min()},
  };
  for (const auto& [x, expected] : cases) EXPECT_EQ(Round(x), expected) << static_cast<double>(x);
}

// The nearest integer, halves to even, at every scale a long double holds
// below 2^63: at integers, halves and the values either side of them, by
// the processor's own rounding to nearest.
TEST(System, RoundIsTheNearestIntegerHalvesToEvenAtEveryScale) {
  std::vector<Extended> xs;
  for (int e = 0; e < 63; ++e) {
    const Extended base = std::ldexp(1.0L, e);
    for (Extended at : {base - 1, base - 0.5L, base, base + 0.5L, base + 1, base * 1.5L, base * 1.5L + 0.5L,
                        base + 0.25L, base + 0.75L, base / 3})
      for (Extended x : {at, std::nextafter(at, -1e30L), std::nextafter(at, 1e30L)}) {
        xs.push_back(x);
        xs.push_back(-x);
      }
  }
  for (int i = 0; i < 20000; ++i) {
    const Extended x = (i - 10000) / 8.0L + i * 1e-7L;
    xs.push_back(x);
    xs.push_back(x * 96 / 254);
  }
  for (Extended x : xs) {
    if (!(x > -9223372036854775808.0L - 1 && x < 9223372036854775807.0L)) continue;
    const Extended nearest = std::nearbyint(x);
    if (nearest >= 9223372036854775807.0L) continue;
    ASSERT_EQ(Round(x), static_cast<Int64>(nearest)) << std::setprecision(21) << static_cast<long double>(x);
  }
}

TEST(System, RoundAndTruncRaiseOutsideTheIntegerRange) {
  EXPECT_THROW(Round(1e19L), EInvalidOp);
  EXPECT_THROW(Round(-1e19L), EInvalidOp);
  EXPECT_THROW(Round(std::numeric_limits<Extended>::quiet_NaN()), EInvalidOp);
  EXPECT_THROW(Trunc(std::numeric_limits<Extended>::infinity()), EInvalidOp);
  EXPECT_EQ(Round(-9223372036854775808.0L), std::numeric_limits<Int64>::min());
  // Below the limit, but its even neighbour is not.
  EXPECT_THROW(Round(9223372036854775807.5L), EInvalidOp);
}

TEST(System, TruncFracIntGoTowardsZero) {
  EXPECT_EQ(Trunc(2.9L), 2);
  EXPECT_EQ(Trunc(-2.9L), -2);
  EXPECT_EQ(Int(-2.9L), -2.0L);
  EXPECT_NEAR(static_cast<double>(Frac(-2.75L)), -0.75, 1e-18);
  EXPECT_EQ(Frac(3.0L), 0.0L);
}

// The generator by hand: seed := seed * 134775813 + 1 (mod 2^32), then
// Random(n) = (seed * n) >> 32.
//   seed 0 -> 1:          1 * 100 >> 32 = 0
//   1 -> 134775814:       13477581400 / 2^32 = 3.13 -> 3
//   134775814 -> 134775814 * 134775813 + 1 mod 2^32 = 3698175007: * 100 / 2^32 = 86.1 -> 86
//   -> 870078620: 20.3 -> 20;  -> 1172187917: 27.3 -> 27
TEST(System, RandomFollowsTheGeneratorFromSeedZero) {
  RandSeed = 0;
  const std::pair<Cardinal, int> steps[] = {
      {1u, 0}, {134775814u, 3}, {3698175007u, 86}, {870078620u, 20}, {1172187917u, 27}};
  for (const auto& [seed, value] : steps) {
    EXPECT_EQ(Random(100), value);
    EXPECT_EQ(RandSeed, seed);
  }
}

// From 12345: 12345 * 134775813 + 1 = 1663807411486 = 387 * 2^32 + 1655067934,
// so the seed is 1655067934 and Random(1000) = 1655067934000 >> 32 = 385.
TEST(System, RandomFollowsTheGeneratorFromAKnownSeed) {
  RandSeed = 12345;
  const std::pair<Cardinal, int> steps[] = {
      {1655067934u, 385}, {1242767767u, 289}, {342459380u, 79}, {2377737157u, 553}, {2721613530u, 633}};
  for (const auto& [seed, value] : steps) {
    EXPECT_EQ(Random(1000), value);
    EXPECT_EQ(RandSeed, seed);
  }
  RandSeed = 12345;
  EXPECT_EQ(Random(), 1655067934.0L / 4294967296.0L);
  EXPECT_EQ(Random(), 1242767767.0L / 4294967296.0L);
}

TEST(System, RandomStaysInRange) {
  RandSeed = 0xFFFFFFFFu;
  for (int i = 0; i < 1000; ++i) {
    const int r = Random(7);
    EXPECT_GE(r, 0);
    EXPECT_LT(r, 7);
    const Extended x = Random();
    EXPECT_GE(x, 0.0L);
    EXPECT_LT(x, 1.0L);
  }
  EXPECT_EQ(Random(0), 0);
  const int negative = Random(-10);
  EXPECT_LE(negative, 0);
  EXPECT_GT(negative, -10);
}

TEST(System, RandomizeChangesTheSeed) {
  RandSeed = 0;
  Randomize();
  const Cardinal first = RandSeed;
  Randomize();
  EXPECT_NE(RandSeed, first);
}

// ---- integers --------------------------------------------------------------

TEST(SysUtilsInt, IntToStrCoversTheWholeRange) {
  EXPECT_EQ(IntToStr(0), "0");
  EXPECT_EQ(IntToStr(-42), "-42");
  EXPECT_EQ(IntToStr(2147483647), "2147483647");
  EXPECT_EQ(IntToStr(std::numeric_limits<Int64>::min()), "-9223372036854775808");
  EXPECT_EQ(IntToStr(std::numeric_limits<Int64>::max()), "9223372036854775807");
}

TEST(SysUtilsInt, IntToHexPadsAndShowsNegativeIntegersIn32Bits) {
  EXPECT_EQ(IntToHex(255, 4), "00FF");
  EXPECT_EQ(IntToHex(0x808080, 6), "808080");
  EXPECT_EQ(IntToHex(0x12345, 2), "12345");
  EXPECT_EQ(IntToHex(-1, 8), "FFFFFFFF");
  EXPECT_EQ(IntToHex(-0x100000000LL, 1), "FFFFFFFF00000000");
}

TEST(SysUtilsInt, StrToIntAcceptsTheClassLibrarySyntax) {
  const std::pair<const char*, int> cases[] = {
      {"0", 0},
      {"123", 123},
      {"-123", -123},
      {"+7", 7},
      {"   42", 42},
      {"$FF", 255},
      {"$ff", 255},
      {"0x1A", 26},
      {"0X1a", 26},
      {"x10", 16},
      {"-$10", -16},
      {"$FFFFFFFF", -1},
      {"2147483647", 2147483647},
      {"-2147483648", -2147483647 - 1},
      {"007", 7},
  };
  for (const auto& [text, value] : cases) EXPECT_EQ(StrToInt(text), value) << text;
}

TEST(SysUtilsInt, StrToIntRejectsWithTheClassLibraryMessage) {
  const char* bad[] = {"",    " ",  "abc",  "12 ", "1.5", "1,000", "2147483648", "-2147483649",
                       "$",   "0x", "+",    "-",   "1e3", "\t5",   "$100000000", "99999999999999999999",
                       "--1", "5-", " - 5", "\xC1"};
  for (const char* text : bad) {
    try {
      StrToInt(text);
      ADD_FAILURE() << "accepted '" << text << "'";
    } catch (const EConvertError& e) {
      EXPECT_EQ(e.Message, "'" + AnsiString(text) + "' is not a valid integer value");
    }
  }
}

TEST(SysUtilsInt, DefaultsAndTryForms) {
  EXPECT_EQ(StrToIntDef("x", -1), -1);
  EXPECT_EQ(StrToIntDef("12", -1), 12);
  int v = 99;
  EXPECT_FALSE(TryStrToInt("12a", v));
  EXPECT_EQ(v, 99);
  EXPECT_TRUE(TryStrToInt("-5", v));
  EXPECT_EQ(v, -5);
  EXPECT_EQ(StrToInt64("-9223372036854775808"), std::numeric_limits<Int64>::min());
  EXPECT_EQ(StrToInt64("$FFFFFFFFFFFFFFFF"), -1);
  EXPECT_EQ(StrToInt64("4294967296"), 4294967296LL);
  EXPECT_THROW(StrToInt64("9223372036854775808"), EConvertError);
}

}  // namespace
