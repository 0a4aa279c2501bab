#include <gtest/gtest.h>

#include "tender/DefKnd.h"

namespace {

TDefKndSettings Defaults() { return TDefKndSettings{7, 1, 3, 4, 4, 0}; }

TEST(DefKnd, WrittenTextReadsBack) {
  const TDefKndSettings written{12, 2, 5, 1, 6, 1};
  const AnsiString text = DefKndText(written);
  EXPECT_EQ(text, "12\r\n2\r\n5\r\n1\r\n6\r\n0\r\n1\r\n0\r\n");
  TDefKndSettings read = Defaults();
  ReadDefKndText(text, read);
  EXPECT_EQ(read.CalcMode, 12);
  EXPECT_EQ(read.CostDecimals, 2);
  EXPECT_EQ(read.DiscountDecimals, 5);
  EXPECT_EQ(read.ExtraDecimalsA, 1);
  EXPECT_EQ(read.ExtraDecimalsB, 6);
  EXPECT_EQ(read.HalfDown, 1);
}

struct DamagedCase {
  const char* name;
  const char* text;
  TDefKndSettings expected;
};

class DefKndDamaged : public ::testing::TestWithParam<DamagedCase> {};

TEST_P(DefKndDamaged, KeepsWhatItCannotRead) {
  TDefKndSettings settings = Defaults();
  ReadDefKndText(GetParam().text, settings);
  const TDefKndSettings& want = GetParam().expected;
  EXPECT_EQ(settings.CalcMode, want.CalcMode);
  EXPECT_EQ(settings.CostDecimals, want.CostDecimals);
  EXPECT_EQ(settings.DiscountDecimals, want.DiscountDecimals);
  EXPECT_EQ(settings.ExtraDecimalsA, want.ExtraDecimalsA);
  EXPECT_EQ(settings.ExtraDecimalsB, want.ExtraDecimalsB);
  EXPECT_EQ(settings.HalfDown, want.HalfDown);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, DefKndDamaged,
    ::testing::Values(DamagedCase{"Empty", "", {7, 1, 3, 4, 4, 0}},
                      DamagedCase{"NotNumbers", "x\nzwei\n3.5\n\n-\n0\n1\n", {7, 1, 3, 4, 4, 1}},
                      DamagedCase{
                          "OneBadLine", "0\r\n2\r\nabc\r\n4\r\n4\r\n0\r\n0\r\n0\r\n", {0, 2, 3, 4, 4, 0}},
                      DamagedCase{"Clamped", "0\n9\n-3\n200\n6\n0\n0\n", {0, 6, 0, 6, 6, 0}},
                      DamagedCase{"ShortFile", "5\n2\n", {5, 2, 3, 4, 4, 0}},
                      DamagedCase{"Blanks", "  3 \n\t1\n 2\n", {3, 1, 2, 4, 4, 0}},
                      DamagedCase{"HalfDownAnyNonZero", "0\n0\n2\n4\n4\n0\n7\n", {0, 0, 2, 4, 4, 1}},
                      DamagedCase{"CalcModeOutOfRange", "99999999999\n", {7, 1, 3, 4, 4, 0}},
                      DamagedCase{"NoFinalLineEnd", "1\n2\n3\n4\n5\n0\n1", {1, 2, 3, 4, 5, 1}}),
    [](const ::testing::TestParamInfo<DamagedCase>& info) { return std::string(info.param.name); });

}  // namespace

TEST(DefKndRead, OnlyTheLinesItUsesAreLookedAt) {
  std::string text = "0\r\n2\r\n3\r\n4\r\n4\r\n0\r\n1\r\n";
  text.append(10 << 20, '\n');
  TDefKndSettings settings;
  ReadDefKndText(text, settings);
  EXPECT_EQ(settings.DiscountDecimals, 3);
  EXPECT_EQ(settings.HalfDown, 1);
}
