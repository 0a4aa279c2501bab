// Price filling and the deviation table on tables in memory.
#include <gtest/gtest.h>

#include "platform/rtl/SysUtils.h"
#include "tender/N_STR.h"
#include "tender/Uproyp5Deviation.h"
#include "tests/tender/NumericTestSupport.h"

namespace {

class Deviation : public testing::Test {
 public:
  ScopedStyle2 style;
  TMemorySheet grid{14, 20};
  TDeviationInput input;
  int asked = 0;

  // A row with quantity 1, a study price equal to its cost, the offered
  // price and the mark.
  void Row(int row, double cost, const char* mark, double offered = -1) {
    grid.SetCell(2, row, "1,00");
    grid.SetCell(3, row, FormatNumNoBlanks(15, 2, 2, cost));
    grid.SetCell(4, row, FormatNumNoBlanks(17, 2, 2, cost));
    grid.SetCell(5, row, FormatNumNoBlanks(15, 2, 2, offered < 0 ? cost : offered));
    grid.SetCell(9, row, mark);
    input.Rows = std::max(input.Rows, row);
  }
  // Column 8 as the deviation button writes it.
  void Shares() {
    long double s = 0;
    for (int i = 1; i <= input.Rows; ++i) s += grid.Num(4, i);
    input.StudySum = static_cast<double>(s);
    for (int i = 1; i <= input.Rows; ++i)
      grid.SetCell(8, i, grid.Num(5, i) == 0 ? AnsiString() : FormatNum(7, 4, 2, grid.Num(4, i) / s * 100));
  }
  TDeviationResult Run(bool answer) {
    return CalcApoklish(grid, input, [&] {
      ++asked;
      return answer;
    });
  }
};

struct FillCase {
  double study;
  const char* offered;
  const char* cost;
};

class Filling : public Deviation, public testing::WithParamInterface<FillCase> {};

TEST_P(Filling, FromTheStudyPriceLessTheDiscount) {
  const FillCase c = GetParam();
  grid.SetCell(2, 1, "2,00");
  grid.SetCell(3, 1, FormatNumNoBlanks(15, 2, 2, c.study));
  FillPrices(grid, {20, false, 2, 2, 1});
  EXPECT_EQ(grid.Cell(5, 1), c.offered);
  EXPECT_EQ(grid.Cell(6, 1), c.cost);
}

INSTANTIATE_TEST_SUITE_P(Deviation, Filling,
                         testing::Values(FillCase{4, "3,20", "6,40"}, FillCase{7.77, "6,20", "12,40"},
                                         FillCase{1234.5, "988,00", "1.976,00"}, FillCase{0, "", ""}));

TEST_F(Deviation, FillingByTheRoundingTable) {
  grid.SetCell(2, 1, "1");
  grid.SetCell(3, 1, "1234,5");
  FillPrices(grid, {20, true, 2, 2, 1});
  EXPECT_EQ(StrToNum(grid.Cell(5, 1)), RoundByTable(InitialRoundingTable, 987.6));
}

TEST_F(Deviation, OneHigherRowCompensatedByTheFreeRows) {
  Row(1, 1000, "+");
  for (int i = 2; i <= 11; ++i) Row(i, 1000, "");
  Shares();
  const TDeviationResult r = Run(true);
  EXPECT_NEAR(r.Compensation, -0.0098, 1e-15);
  EXPECT_EQ(asked, 0);
  EXPECT_EQ(grid.Cell(10, 1), "1,09800");
  EXPECT_EQ(grid.Cell(10, 2), "0,99020");
  EXPECT_EQ(grid.Cell(11, 1), "1.098");
  EXPECT_EQ(grid.Cell(11, 2), "990");  // 990.2 rounded to a whole price
  EXPECT_EQ(grid.Cell(12, 2), "990");
}

TEST_F(Deviation, AnExcessiveDeviationIsReducedInOneStep) {
  Row(1, 10000, "+");
  Row(2, 1000, "");
  Shares();
  const TDeviationResult r = Run(true);
  EXPECT_EQ(asked, 1);
  EXPECT_EQ(r.Iterations, 1);
  EXPECT_FALSE(r.Uncompensated);
  EXPECT_EQ(grid.Cell(10, 1), "1,00709");
  EXPECT_GE(StrToNum(grid.Cell(10, 2)), 0.902);
  EXPECT_EQ(grid.Cell(10, 2), "0,92909");
}

TEST_F(Deviation, AnExcessiveDeviationKeptWhenNotReduced) {
  Row(1, 10000, "+");
  Row(2, 1000, "");
  Shares();
  const TDeviationResult r = Run(false);
  EXPECT_EQ(asked, 1);
  EXPECT_EQ(grid.Cell(10, 1), "1,09800");
  EXPECT_EQ(grid.Cell(10, 2), "0,02000");
  EXPECT_FALSE(r.Uncompensated);
}

TEST_F(Deviation, DeviationsThatCannotBeCompensatedEndWithTheMessage) {
  struct Case {
    const char* name;
    std::function<void(Deviation&)> setUp;
  };
  const Case cases[] = {
      {"no free row",
       [](Deviation& d) {
         d.Row(1, 1000, "+");
         d.Row(2, 1000, "#");
       }},
      {"a marked row without a share",
       [](Deviation& d) {
         d.Row(1, 10000, "+", 0);
         d.Row(2, 1000, "");
       }},
      {"a step too coarse",
       [](Deviation& d) {
         d.Row(1, 10000, "+");
         d.Row(2, 1, "");
       }},
  };
  for (const Case& c : cases) {
    grid = TMemorySheet(14, 20);
    input = {};
    asked = 0;
    c.setUp(*this);
    Shares();
    const TDeviationResult r = Run(true);
    EXPECT_TRUE(r.Uncompensated) << c.name;
    EXPECT_LE(r.Iterations, MaxReductionSteps) << c.name;
  }
}

TEST_F(Deviation, NoStudySumMeansNoReduction) {
  Row(1, 10000, "+");
  Row(2, 1000, "");
  Shares();
  input.StudySum = 0;
  const TDeviationResult r = Run(true);
  EXPECT_TRUE(r.Uncompensated);
  EXPECT_EQ(asked, 0);
  EXPECT_EQ(grid.Cell(10, 1), "1,09800");
}

TEST_F(Deviation, FixedAndLowerRows) {
  Row(1, 1000, "-");
  Row(2, 1000, "#");
  Row(3, 2000, "");
  Row(4, 0, "");
  grid.SetCell(4, 4, "");
  Shares();
  Run(true);
  EXPECT_EQ(grid.Cell(10, 1), "0,90200");
  EXPECT_EQ(grid.Cell(10, 2), "1,00000");
  EXPECT_EQ(grid.Cell(10, 3), "1,04900");
  EXPECT_EQ(grid.Cell(10, 4), "");
  EXPECT_EQ(grid.Cell(11, 4), "");
}

}  // namespace
