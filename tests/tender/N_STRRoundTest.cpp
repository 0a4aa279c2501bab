#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "tender/N_STR.h"
#include "tender/OfferCalc.h"
#include "tests/tender/NumericTestSupport.h"

namespace {

constexpr double Inf = std::numeric_limits<double>::infinity();
constexpr double NaN = std::numeric_limits<double>::quiet_NaN();

TEST(RoundDec, Rounds) {
  const struct {
    int decimals;
    double value;
    double expected;
  } cases[] = {
      // clang-format off
      // The nudge lifts values a hair below the half.
      {-2, 1250, 1300}, {2, 2.675, 2.68}, {0, 0.4999995, 1}, {2, -2.345, -2.34}, {2, 1.005, 1.01},
      {0, 2.5, 3}, {0, -2.5, -2},
      // Units of ten need 80-bit powers of ten.
      {-1, 15, 20}, {-1, -15, -20}, {-2, 1249.99, 1200}, {-3, 1500, 2000}, {0, 0, 0}, {2, 0, 0},
      {3, 1.2345, 1.235}, {6, 0.1234565, 0.123457}, {4, 2.00004, 2}, {4, 2.0000495, 2.0001}, {0, -0.4, 0},
      {1, 99.95, 100},
      // The nudge of 1e-14 above 12 decimals is kept as it is.
      {15, 0, 1e-14}, {12, 0.1, 0.1},
      // Huge and tiny magnitudes.
      {2, 1e300, 1e300}, {2, -1e300, -1e300}, {0, 1e-300, 0}, {-5, 1e-300, 0}, {-400, 1e300, 0},
      {-100000, 12345, 0}, {100000, 0.5, 0.50000000000001}, {2, 123456789012345.678, 123456789012345.67},
      {2, 4.5e15, 4.5e15}, {0, 9007199254740993.0, 9007199254740992.0},
      // clang-format on
  };
  for (const auto& c : cases)
    EXPECT_EQ(RoundDec(c.decimals, c.value), c.expected)
        << "RoundDec(" << c.decimals << ", " << c.value << ")";
}

TEST(RoundDec, NonFiniteValuesComeBackUnchanged) {
  EXPECT_EQ(RoundDec(2, Inf), Inf);
  EXPECT_EQ(RoundDec(-2, -Inf), -Inf);
  EXPECT_TRUE(std::isnan(RoundDec(2, NaN)));
  EXPECT_TRUE(std::isnan(RoundDec(-3, NaN)));
}

TEST(RoundDec, LargestDoubleDoesNotOverflow) {
  const double largest = std::numeric_limits<double>::max();
  EXPECT_EQ(RoundDec(2, largest), largest);
  EXPECT_EQ(RoundDec(-2, largest), largest);
  EXPECT_EQ(RoundDec(2, std::numeric_limits<double>::denorm_min()), 0);
}

TEST(Pow10, PowersOfTen) {
  EXPECT_EQ(Pow10(0), 1);
  EXPECT_EQ(Pow10(2), 100);
  EXPECT_EQ(Pow10(-2), 0.01);
  EXPECT_EQ(Pow10(15), 1e15);
}

TEST(FixedNotation, HalfAwayFromZeroOnEighteenDigits) {
  EXPECT_EQ(FixedNotation(2.5L, 0), "3");
  EXPECT_EQ(FixedNotation(-2.5L, 0), "-3");
  EXPECT_EQ(FixedNotation(2.675, 2), "2.67");  // held below the half
  EXPECT_EQ(FixedNotation(1234567.891, 2), "1234567.89");
  EXPECT_EQ(FixedNotation(0.5, 0), "1");
  EXPECT_EQ(FixedNotation(0.049, 1), "0.0");
  EXPECT_EQ(FixedNotation(9.999, 2), "10.00");
  EXPECT_EQ(FixedNotation(0, 3), "0.000");
  // A negative value that rounds to zero keeps its sign.
  EXPECT_EQ(FixedNotation(-1e-9, 2), "-0.00");
  EXPECT_EQ(FixedNotation(-0.0, 2), "0.00");
  // 18 significant digits, then zeros.
  EXPECT_EQ(FixedNotation(0.1, 20), "0.10000000000000000600");
  EXPECT_EQ(FixedNotation(1e20, 1), "100000000000000000000.0");
  // The double nearest is 123456789012345685803008.
  EXPECT_EQ(FixedNotation(123456789012345678901234.0, 0), "123456789012345686000000");
  EXPECT_EQ(FixedNotation(1e-20, 25), "0.0000000000000000000100000");
  EXPECT_EQ(FixedNotation(1e-25, 2), "0.00");
  EXPECT_EQ(FixedNotation(NaN, 2), "NAN");
  EXPECT_EQ(FixedNotation(-Inf, 2), "-INF");
  EXPECT_EQ(FixedNotation(Inf, 2), "INF");
  EXPECT_EQ(FixedNotation(1.5, -3), "2");
  EXPECT_EQ(FixedNotation(1, 1000000).size(), 2u + MaxFixedDecimals);
}

TEST(FixedNotation, NineteenNinesCarryIntoANewDigit) {
  // 0.99999999999999999995 in the 80-bit format has more than 18 nines: the
  // 18-digit expansion is already 1.
  const long double almostOne = 1.0L - 1e-19L;
  EXPECT_EQ(FixedNotation(almostOne, 2), "1.00");
  EXPECT_EQ(FixedNotation(almostOne, 0), "1");
}

TEST(RoundByTable, Rounds) {
  UseStyle1();
  const struct {
    double value;
    double expected;
  } cases[] = {
      // clang-format off
      {0.73, 0.75}, {1.25, 1.3}, {4.96, 5.0}, {137, 135}, {1234567, 1250000}, {-0.73, -0.75}, {1.0, 1.0},
      {0.99, 1.0}, {100000000, 1e8}, {0, 0}, {0.999, 1.0}, {19.9, 20}, {99999999, 100000000},
      {123456789, 125000000},
      // clang-format on
  };
  for (const auto& c : cases) EXPECT_EQ(RoundByTable(InitialRoundingTable, c.value), c.expected) << c.value;
}

TEST(RoundByTable, ThresholdsAndTable) {
  UseStyle1();
  ASSERT_EQ(InitialRoundingTable[0], 0.05);
  ASSERT_EQ(InitialRoundingTable[1], InitialRoundingTable[2]);
  ASSERT_EQ(InitialRoundingTable[25], 5000000);
  ASSERT_EQ(RoundingThresholds[0], 1);
  ASSERT_EQ(RoundingThresholds[24], 100000000);
  // A zeroed step cannot round: the value stays.
  std::array<double, 26> empty{};
  EXPECT_EQ(RoundByTable(empty, 12.34), 12.34);
  EXPECT_EQ(RoundByTable(InitialRoundingTable, Inf), Inf);
  EXPECT_TRUE(std::isnan(RoundByTable(InitialRoundingTable, NaN)));
}

TEST(CountDecimals, Counts) {
  const struct {
    double value;
    int expected;
  } cases[] = {
      // clang-format off
      {12.5, 1}, {3, 0}, {0.1 + 0.2, 1}, {1234567.1234567, 5}, {0, 0}, {-12.25, 2}, {123.123456789, 9},
      {999999.123456789, 5}, {1e-11, 0}, {0.0000000001, 10}, {1e300, 0}, {Inf, 0}, {NaN, 0}, {1000000.5, 1},
      // clang-format on
  };
  for (const auto& c : cases) EXPECT_EQ(CountDecimals(c.value), c.expected) << c.value;
}

TEST(RoundDiscount, TenderRule) {
  const struct {
    int decimals;
    double value;
    double expected;
  } cases[] = {
      // clang-format off
      {2, 12.3450001, 12.345}, {2, 12.3451, 12.35}, {2, 12.3449, 12.34}, {2, 12.999, 13}, {2, 12.345, 12.345},
      {0, 7.5, 7.5}, {0, 7.51, 8}, {0, 7.4999, 7}, {3, 1.23450, 1.2345}, {2, 0, 0}, {2, 100, 100},
      {2, -12.3451, -12.34}, {2, -3.125, -3.125}, {2, 99.9951, 100}, {6, 1.12345650001, 1.1234565},
      // clang-format on
  };
  for (const auto& c : cases)
    EXPECT_EQ(RoundDiscount(c.decimals, c.value), c.expected) << c.decimals << " " << c.value;
}

TEST(RoundDiscount, NonFiniteAndOddDecimals) {
  EXPECT_EQ(RoundDiscount(2, Inf), Inf);
  EXPECT_TRUE(std::isnan(RoundDiscount(2, NaN)));
  EXPECT_EQ(RoundDiscount(-1, 7.6), 8);
  EXPECT_EQ(RoundDiscount(1 << 30, 7.25), RoundDiscount(400, 7.25));
  EXPECT_NEAR(RoundDiscount(1 << 30, 7.25), 7.25, 1e-13);
  EXPECT_EQ(RoundDiscount(2, 1e300), 1e300);
}

}  // namespace
