// The normality check on tables in memory: the worked examples, the edges
// of the band and of the 5 % tolerance, the uniform discount, the stop on
// a non-whole discount and the restart after an emptied row.
#include <gtest/gtest.h>

#include "platform/rtl/Cp1253.h"
#include "platform/rtl/SysUtils.h"
#include "tender/N_STR.h"
#include "tender/Uproyp5Check.h"
#include "tests/tender/NumericTestSupport.h"

namespace {

class NormalityCheck : public testing::Test {
 protected:
  ScopedStyle2 style;
  TMemorySheet grid{14, 40};
  TCheckInput input;
  int recomputes = 0;
  TCheckTotals next;  // what a recomputation answers

  TCheckResult Run(const TCheckTotals& totals) {
    return RunNormalityCheck(grid, input, totals, [&] {
      ++recomputes;
      return next;
    });
  }
  // A category: study cost, offered discount, offer cost.
  void Category(int row, double cost, double discount) {
    grid.SetCell(3, row, "Κατηγορία "_a + IntToStr(row));
    grid.SetCell(4, row, FormatNumNoBlanks(16, 2, 2, cost));
    grid.SetCell(5, row, FormatNumNoBlanks(7, 0, 2, discount));
    grid.SetCell(6, row, FormatNumNoBlanks(17, 2, 2, cost * (1 - discount / 100)));
  }
  // A work item: quantity, study price, offered price.
  void Item(int row, double q, double s, double p) {
    grid.SetCell(1, row, "A" + IntToStr(row));
    grid.SetCell(2, row, FormatNumNoBlanks(13, 2, input.Style, q));
    grid.SetCell(3, row, FormatNumNoBlanks(15, 2, input.Style, s));
    grid.SetCell(5, row, FormatNumNoBlanks(15, 3, input.Style, p));
    grid.SetCell(6, row, FormatNumNoBlanks(17, 2, input.Style, q * p));
  }
  std::vector<AnsiString> Texts(const TCheckResult& r) {
    std::vector<AnsiString> out;
    for (const auto& m : r.Messages) out.push_back(m.Text);
    return out;
  }
};

const AnsiString LargeCategoriesMessage =
    "Βρέθηκαν 1 Ανώμαλα (Μεγάλα) ποσοστά σε κατηγορίες με συνολική δαπάνη μικρότερη από το 5%, του "
    "προϋπολογισμού μελέτης και με απόκλιση που δεν υπεβαίνει το 0,10*(1-Εμ). Η προσφορά Μπορεί να θεωρηθεί ΟΜΑΛΗ !"_a;

TEST_F(NormalityCheck, ACategoryOutsideTheBandIsToleratedAndAccepted) {
  input.Kind = TBudgetKind::Categories;
  Category(1, 8680, 20);
  Category(2, 420, 35);
  Category(3, 900, 13);
  const TCheckResult r = Run({1 - 8000.0 / 10000.0, 10000, 3});
  EXPECT_NEAR(r.BandLow, 12, 1e-9);
  EXPECT_NEAR(r.BandHigh, 28, 1e-9);
  EXPECT_NEAR(r.ExceptionTolerance, 8, 1e-9);
  EXPECT_EQ(r.Label1, "Ομαλά είναι τα ποσοστά από 12,00000000 % έως 28,00000000 %"_a);
  EXPECT_EQ(r.Label2, "ΜΕΣΗ ΕΚΠΤΩΣΗ ΠΡΟΣΦΟΡΑΣ =20,000 %"_a);
  EXPECT_EQ(grid.Cell(7, 0), "  Ελεγχος"_a);
  EXPECT_EQ(grid.Cell(7, 1), "O.K.");
  EXPECT_EQ(grid.Cell(7, 2), "O.K.ΑΝΩΜΑΛΟ !"_a);
  EXPECT_EQ(grid.Cell(7, 3), "O.K.");
  EXPECT_EQ(r.AnomalyCount, 1);
  EXPECT_EQ(r.LowToleratedCount, 1);
  EXPECT_EQ(r.HighToleratedCount, 0);
  EXPECT_NEAR(r.ToleratedCost / 10000, 0.042, 1e-12);
  EXPECT_EQ(r.AcceptedByException, 1);
  EXPECT_EQ(r.HasHardAnomaly, 0);
  EXPECT_EQ(Texts(r), (std::vector<AnsiString>{"Βρέθηκαν 1 Ανώμαλα ποσοστά !!"_a, LargeCategoriesMessage}));
  ASSERT_TRUE(r.Getbtn.has_value());
  EXPECT_TRUE(*r.Getbtn);
  EXPECT_EQ(r.Label5, "Και κατ΄εξαίρεση πρόσθετη απόκλιση 0,10*(1-Εμ): +/-   8,0000%"_a);
  EXPECT_EQ(r.UniformDiscount, -2000);
}

// The worked example: at a mean of 20 % the tolerance is 8 points; the
// 36 % category lies exactly 8 beyond the band and is tolerated. The 80-bit
// tolerance falls just short of 8; the stored one is 8.
TEST_F(NormalityCheck, ACategoryExactlyATolerancePastTheBandIsTolerated) {
  input.Kind = TBudgetKind::Categories;
  Category(1, 8300, 20);
  Category(2, 100, 36);
  Category(3, 1600, 19);
  const TCheckResult r = Run({0.2, 10000, 3});
  EXPECT_NEAR(r.BandLow, 12, 1e-14);
  EXPECT_EQ(r.BandHigh, 28);
  EXPECT_EQ(r.ExceptionTolerance, 8);
  EXPECT_EQ(grid.Cell(7, 1), "O.K.");
  EXPECT_EQ(grid.Cell(7, 2), "O.K.ΑΝΩΜΑΛΟ !"_a);
  EXPECT_EQ(grid.Cell(7, 3), "O.K.");
  EXPECT_EQ(r.AnomalyCount, 1);
  EXPECT_EQ(r.LowToleratedCount, 1);
  EXPECT_EQ(r.AcceptedByException, 1);
  EXPECT_EQ(r.HasHardAnomaly, 0);
  EXPECT_EQ(Texts(r), (std::vector<AnsiString>{"Βρέθηκαν 1 Ανώμαλα ποσοστά !!"_a, LargeCategoriesMessage}));
  ASSERT_TRUE(r.Getbtn.has_value());
  EXPECT_TRUE(*r.Getbtn);
}

TEST_F(NormalityCheck, ACategoryBeyondTheToleranceIsAHardAnomaly) {
  input.Kind = TBudgetKind::Categories;
  Category(1, 8680, 20);
  Category(2, 420, 37);
  Category(3, 900, 13);
  const TCheckResult r = Run({1 - 7991.6 / 10000.0, 10000, 3});
  EXPECT_EQ(grid.Cell(7, 2), "ΑΝΩΜΑΛΟ *"_a);
  EXPECT_EQ(r.HasHardAnomaly, 1);
  EXPECT_EQ(r.AcceptedByException, 0);
  EXPECT_EQ(Texts(r), (std::vector<AnsiString>{"Βρέθηκαν 1 Ανώμαλα ποσοστά !!"_a}));
  EXPECT_FALSE(r.Getbtn.has_value());
}

TEST_F(NormalityCheck, LowCategoryDiscountsAreToleratedButWithholdTheUpdate) {
  input.Kind = TBudgetKind::Categories;
  Category(1, 9600, 20);
  Category(2, 400, 6);  // 6 below 12, distance 6 within 8
  const TCheckResult r = Run({0.2, 10000, 2});
  EXPECT_EQ(grid.Cell(7, 2), "ΑΝΩΜΑΛΟ #"_a);
  EXPECT_EQ(r.HighToleratedCount, 1);
  ASSERT_EQ(r.Messages.size(), 2u);
  EXPECT_NE(r.Messages[1].Text.find("Ανώμαλα (μικρά)"_a), AnsiString::npos);
  ASSERT_TRUE(r.Getbtn.has_value());
  EXPECT_FALSE(*r.Getbtn);
  EXPECT_EQ(r.HasHardAnomaly, 1);
}

TEST_F(NormalityCheck, CategoriesAtExactlyFivePercentAreNotTolerated) {
  input.Kind = TBudgetKind::Categories;
  Category(1, 9500, 20);
  Category(2, 500, 35);
  const TCheckResult r = Run({0.2, 10000, 2});
  EXPECT_EQ(grid.Cell(7, 2), "ΑΝΩΜΑΛΟ *"_a);
}

TEST_F(NormalityCheck, UniformDiscountOfTheCategories) {
  input.Kind = TBudgetKind::Categories;
  struct Case {
    double second;
    double uniform;
  };
  for (const Case c : {Case{25, 25}, Case{24, -2000}}) {
    Category(1, 1000, 25);
    Category(2, 1000, c.second);
    Category(3, 0, 0);  // no study cost: not counted
    EXPECT_EQ(Run({0.25, 2000, 3}).UniformDiscount, c.uniform);
  }
  input.CheckEnabled = false;
  grid.ClearColumn(7);
  Category(2, 1000, 25);
  const TCheckResult r = Run({0.25, 2000, 3});
  EXPECT_EQ(r.UniformDiscount, 25);
  EXPECT_TRUE(r.Messages.empty());
  EXPECT_TRUE(*r.Getbtn);
  EXPECT_EQ(grid.Cell(7, 1), "");
}

TEST_F(NormalityCheck, AWholeDiscountOfAHundredHasABandOfItsOwn) {
  input.Kind = TBudgetKind::Categories;
  Category(1, 1000, 100);
  const TCheckResult r = Run({1, 1000, 1});
  EXPECT_EQ(r.BandLow, 100);
  EXPECT_EQ(r.BandHigh, 100);
  EXPECT_EQ(r.ExceptionTolerance, 0);
  EXPECT_EQ(grid.Cell(7, 1), "O.K.");
  EXPECT_EQ(Texts(r), (std::vector<AnsiString>{"ΟΜΑΛΗ ΠΡΟΣΦΟΡΑ \r     100,000%"_a}));
  EXPECT_FALSE(r.Messages[0].Error);
}

TEST_F(NormalityCheck, ANonWholeDiscountStopsTheCheck) {
  input.Kind = TBudgetKind::Categories;
  Category(1, 1000, 20);
  Category(2, 1000, 20);
  grid.SetCell(5, 2, "12,5");
  Category(3, 1000, 50);
  const TCheckResult r = Run({0.2, 3000, 3});
  EXPECT_TRUE(r.Stopped);
  EXPECT_EQ(Texts(r), (std::vector<AnsiString>{"Μη ακέραιο το 2ο Ποσοστό Προσφοράς !! (ΔΕΝ ΕΠΙΤΡΕΠΕΤΑΙ)"_a}));
  EXPECT_EQ(grid.Cell(7, 1), "O.K.");
  EXPECT_EQ(grid.Cell(7, 3), "");
  EXPECT_FALSE(r.Getbtn.has_value());
}

TEST_F(NormalityCheck, AnOfferOnARowWithoutStudyCostIsRemovedAndTheCheckStartsAgain) {
  input.Kind = TBudgetKind::Categories;
  Category(1, 1000, 40);  // abnormal under the first mean, normal under the new one
  Category(2, 0, 0);
  grid.SetCell(5, 2, "30");
  grid.SetCell(6, 2, "5,00");
  Category(3, 1000, 40);
  next = {0.40, 2000, 3};
  const TCheckResult r = Run({0.10, 2000, 3});
  EXPECT_EQ(recomputes, 1);
  EXPECT_EQ(grid.Cell(5, 2), "");
  EXPECT_EQ(grid.Cell(6, 2), "");
  EXPECT_EQ(r.AnomalyCount, 0);
  EXPECT_EQ(grid.Cell(7, 1), "O.K.");
  EXPECT_EQ(r.Label2, "ΜΕΣΗ ΕΚΠΤΩΣΗ ΠΡΟΣΦΟΡΑΣ =40,000 %"_a);
  EXPECT_EQ(r.UniformDiscount, 40);
}

TEST_F(NormalityCheck, WorkItemsWithAHighPriceTolerated) {
  UseStyle1();
  input.Style = 1;
  Item(1, 1, 10, 9.5);
  Item(2, 100, 100, 79.985);
  const double e = 1 - 9449.44 / 11811.8;
  const TCheckResult r = Run({e, 10010, 2});
  EXPECT_EQ(grid.Cell(7, 1), "5.000%ΑΝΩΜΑΛΗ !+"_a);
  EXPECT_EQ(grid.Cell(7, 2), "20.015%O.K."_a);
  EXPECT_EQ(r.Label1, "Ορια έκπτωσης τιμών :12.00000-28.00000"_a);
  EXPECT_EQ(r.HighToleratedCount, 1);
  EXPECT_EQ(
      Texts(r),
      (std::vector<AnsiString>{
          "Από1 Ανώμαλες τιμές με συνολική δαπάνη μικρότερη από το 5%, του προϋπολογισμού μελέτης και με "
          "απόκλιση μικρότερη από 0.10*Το*(1-Εμ) Βρέθηκαν 1 (υψηλές) Μπορεί να γίνει ομαλοποίηση των "
          "υψηλών τιμών με τη μείωση τους στο ανώτερο όριο ομαλότητας"_a}));
  EXPECT_FALSE(r.Getbtn.has_value());
  EXPECT_EQ(r.AcceptedByException, 1);
  EXPECT_EQ(r.Label5, "Kατ΄εξαίρεση πρόσθετη απόκλιση 0,10*(1-Εμ)*Το= +/-   8.0000% * Το"_a);
}

struct PriceCase {
  double price;
  const char* check;
  int low, high, hard;
};

class WorkItemPrices : public NormalityCheck, public testing::WithParamInterface<PriceCase> {};

// E 20 %: the band is 72 to 88 of a study price of 100 and the tolerance 8.
TEST_P(WorkItemPrices, AgainstTheBand) {
  const PriceCase c = GetParam();
  Item(1, 1, 100, c.price);
  Item(2, 1000, 100, 80);
  const TCheckResult r = Run({0.2, 100100, 2});
  EXPECT_EQ(grid.Cell(7, 1), AnsiString(cp1253::FromUtf8(c.check)));
  EXPECT_EQ(r.LowToleratedCount, c.low);
  EXPECT_EQ(r.HighToleratedCount, c.high);
  EXPECT_EQ(r.HasHardAnomaly, c.hard);
}

INSTANTIATE_TEST_SUITE_P(
    Prices, WorkItemPrices,
    testing::Values(PriceCase{97, "3,000%ΑΝΩΜΑΛΗ !!", 0, 0, 1}, PriceCase{95, "5,000%ΑΝΩΜΑΛΗ !+", 0, 1, 0},
                    PriceCase{70, "O.K.30,000%ΑΝΩΜΑΛΗ !-", 1, 0, 0}, PriceCase{88, "12,000%O.K.", 0, 0, 0},
                    PriceCase{72.5, "27,500%O.K.", 0, 0, 0}, PriceCase{63.5, "36,500%ΑΝΩΜΑΛΗ !!", 0, 0, 1}));

TEST_F(NormalityCheck, WorkItemsToleratedAtFivePercentAndNotAbove) {
  struct Case {
    double otherQuantity;
    bool tolerated;
  };
  // The tolerated row costs 100 of a study sum of 2,000 (5 %) or 1,999.
  for (const Case c : {Case{19, true}, Case{18.99, false}}) {
    Item(1, 1, 100, 95);
    Item(2, c.otherQuantity, 100, 80);
    const TCheckResult r = Run({0.2, 100 + c.otherQuantity * 100, 2});
    EXPECT_EQ(r.HasHardAnomaly, c.tolerated ? 0 : 1) << c.otherQuantity;
    EXPECT_EQ(r.AcceptedByException, c.tolerated ? 1 : 0) << c.otherQuantity;
  }
}

TEST_F(NormalityCheck, AWorkItemWithoutQuantityIsCountedButNotMarked) {
  Item(1, 0, 100, 50);
  grid.SetCell(2, 1, "");
  Item(2, 10, 100, 80);
  const TCheckResult r = Run({0.2, 1000, 2});
  EXPECT_EQ(r.AnomalyCount, 1);
  EXPECT_EQ(grid.Cell(7, 1), "");
}

TEST_F(NormalityCheck, WorkItemsCheckColumnFollowsTheDeviationColumns) {
  input.OfferCostCol = 12;
  grid.SetCell(2, 1, "1");
  grid.SetCell(3, 1, "100");
  grid.SetCell(11, 1, "70");
  grid.SetCell(2, 2, "100");
  grid.SetCell(3, 2, "100");
  grid.SetCell(11, 2, "80");
  const TCheckResult r = Run({0.2, 10100, 2});
  EXPECT_EQ(grid.Cell(13, 1), "O.K.30,000%ΑΝΩΜΑΛΗ !-"_a);
  EXPECT_EQ(grid.Cell(7, 1), "");
  EXPECT_TRUE(*r.Getbtn);
}

TEST_F(NormalityCheck, WithoutTheCheckOnlyTheSumsAndTheUpdate) {
  input.CheckEnabled = false;
  Item(1, 1, 100, 50);
  const TCheckResult r = Run({0.5, 100, 1});
  EXPECT_EQ(r.AnomalyCount, 0);
  EXPECT_TRUE(r.Messages.empty());
  EXPECT_TRUE(*r.Getbtn);
  EXPECT_EQ(r.Label1, "");
  EXPECT_EQ(grid.Cell(7, 1), "");
}

}  // namespace
