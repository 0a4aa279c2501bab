// The 18-digit expansion against the C library's exact conversion, and the
// half-away-from-zero rounding of those digits.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <random>
#include <string>

#include "platform/rtl/DecimalDigits.h"

namespace {

std::string Digits(const rtl::DecimalDigits& d) { return std::string(d.Digit, d.Count); }

// The C library's correctly rounded 18 digits, trailing zeros dropped.
std::string LibraryDigits(long double magnitude, int& exp10) {
  char text[64];
  std::snprintf(text, sizeof text, "%.17Le", magnitude);
  std::string digits;
  const char* p = text;
  for (; *p != 'e'; ++p)
    if (*p >= '0' && *p <= '9') digits += *p;
  exp10 = std::atoi(p + 1) + 1;
  while (!digits.empty() && digits.back() == '0') digits.pop_back();
  return digits;
}

TEST(DecimalDigits, ExpansionMatchesTheLibraryOverTheWholeRange) {
  std::mt19937_64 random(20040601);
  for (int i = 0; i < 50000; ++i) {
    const std::uint64_t mantissa = random() | (std::uint64_t{1} << 63);
    // Mostly the exactly computed range, sometimes far outside it.
    const int exponent =
        i % 8 == 0 ? static_cast<int>(random() % 32000) - 16000 : static_cast<int>(random() % 200) - 130;
    const long double value = std::ldexp(static_cast<long double>(mantissa), exponent);
    if (value == 0 || std::isinf(value)) continue;
    const rtl::DecimalDigits d = rtl::Expand18(-value);
    int exp10 = 0;
    const std::string expected = LibraryDigits(value, exp10);
    ASSERT_EQ(Digits(d), expected) << mantissa << " * 2^" << exponent;
    ASSERT_EQ(d.Exp10, exp10) << mantissa << " * 2^" << exponent;
    ASSERT_TRUE(d.Negative);
  }
}

// The values a tender calculation expands (amounts in cents, discounts
// with up to nine decimals, their extended-precision quotients, tiny and
// subnormal values), each against the library.
TEST(DecimalDigits, ExpansionOfComputedValuesMatchesTheLibrary) {
  std::mt19937_64 random(31);
  for (int i = 0; i < 50000; ++i) {
    const auto k = static_cast<long double>(random() % 100000000000ULL);
    long double value = 0;
    switch (i % 6) {
      case 0:
        value = k / 100;
        break;
      case 1:
        value = k / 1000000000;
        break;
      case 2:
        value = (1 - k / 1e11L) * 100;
        break;
      case 3:
        value = static_cast<double>(k / 7);
        break;
      case 4:
        value = std::ldexp(k + 1, -16440 + static_cast<int>(random() % 40));
        break;  // subnormal
      default:
        value = (k + 1) * 1e-9L;
        break;
    }
    if (value == 0) continue;
    const rtl::DecimalDigits d = rtl::Expand18(value);
    int exp10 = 0;
    ASSERT_EQ(Digits(d), LibraryDigits(value, exp10)) << i;
    ASSERT_EQ(d.Exp10, exp10) << i;
  }
}

TEST(DecimalDigits, NineteenthDigitFiveRoundsToEven) {
  struct Case {
    long double value;
    const char* digits;
  } cases[] = {{1000000000000000005.0L, "1"},
               {1000000000000000015.0L, "100000000000000002"},
               {9999999999999999995.0L, "1"},
               {2.675L, "2675"}};
  for (const Case& c : cases) EXPECT_EQ(Digits(rtl::Expand18(c.value)), c.digits) << c.digits;
  EXPECT_EQ(rtl::Expand18(9999999999999999995.0L).Exp10, 20);
  EXPECT_EQ(rtl::Expand18(0.0L).Count, 0);
  EXPECT_FALSE(rtl::Expand18(-0.0L).Negative);
}

TEST(DecimalDigits, RoundsHalfAwayFromZeroAtTheCut) {
  struct Case {
    long double value;
    long long keep;
    const char* digits;
    int exp10;
  } cases[] = {
      {999.5L, 3, "1", 4}, {999.4L, 3, "999", 3}, {0.05L, 0, "1", 0},    {0.04L, 0, "", -1},
      {123.0L, -1, "", 3}, {1.25L, 2, "13", 1},   {1.25L, 18, "125", 1},
  };
  for (const Case& c : cases) {
    rtl::DecimalDigits d = rtl::Expand18(c.value);
    rtl::RoundToSignificant(d, c.keep);
    EXPECT_EQ(Digits(d), c.digits) << static_cast<double>(c.value) << " keep " << c.keep;
    if (d.Count != 0) {
      EXPECT_EQ(d.Exp10, c.exp10) << static_cast<double>(c.value);
    }
  }
  rtl::DecimalDigits d = rtl::Expand18(-2.675L);
  rtl::RoundAtDecimal(d, 2);
  EXPECT_EQ(Digits(d), "268");
  EXPECT_EQ(rtl::DigitAt(d, 0), '2');
  EXPECT_EQ(rtl::DigitAt(d, 2), '8');
  EXPECT_EQ(rtl::DigitAt(d, -1), '0');
}

}  // namespace
