// The budget window's totals of a categories budget: a GE&OE expression's
// "$n" reads the amounts of the layout at hand.
#include "MainWindowFixture.h"
#include "platform/rtl/Cp1253.h"
#include "tender/OfferCalc.h"

namespace {

class CategoriesTotals : public MainWindowTest {
 protected:
  void TearDown() override {
    delete BudgetForm;
    BidderDiscountTable.FreeAll();
    OverheadIsExpression = 0;
    MainWindowTest::TearDown();
  }
  // The three categories of the bundled example, and a partial total of
  // the first two in row 4.
  TUproypFrm& Study() {
    TUproypFrm& b = StudyBudget(ProjectCategoryPercentages);
    const char* rows[][2] = {
        {"ΟΔΟΠΟΙΙΑ", "45000"}, {"ΥΔΡΑΥΛΙΚΑ", "18250.4"}, {"ΗΛΕΚΤΡΟΜΗΧΑΝΟΛΟΓΙΚΑ", "9800"}};
    for (int r = 0; r < 3; ++r) {
      b.ProypGrid->SetCells(3, r + 1, cp1253::FromUtf8(rows[r][0]));
      b.ProypGrid->SetCells(4, r + 1, rows[r][1]);
    }
    b.ProypGrid->SetCells(3, 4, "=1:2");
    b.SumaGrid->SetCells(3, 4, "9");
    return b;
  }
};

TEST_F(CategoriesTotals, DollarRowsReadTheStudyAmounts) {
  TUproypFrm& b = Study();
  struct Case {
    const char* expression;
    const char* overhead;
  } cases[] = {
      {"$1*18%+$2*18%+$3*15%", "12,855.07"},  // 8100 + 3285.07 + 1470
      {"$4*10%", "6,325.04"},                 // the partial total of rows 1 and 2
      {"$3*100%", "9,800.00"},
      {"$9*18%", "0.00"},  // an empty row
  };
  for (const Case& c : cases) {
    b.SumaGrid->SetCells(3, 2, c.expression);
    b.RecalcClick(nullptr);
    EXPECT_EQ(b.SumaGrid->Cells(4, 2), c.overhead) << c.expression;
  }
  EXPECT_EQ(OverheadIsExpression, 1);
}

TEST_F(CategoriesTotals, DollarRowsReadTheOfferCostsInAnOffer) {
  TUproypFrm& b = Study();
  b.ProypGrid->SetCells(3, 4, "");
  b.SumaGrid->SetCells(3, 2, "$1*18%+$2*18%+$3*15%");
  b.RecalcClick(nullptr);
  ASSERT_EQ(b.StudyTotal, 73050.4 + 12855.07);
  b.SetBidderLayout();
  // 10 % off every category: every amount, the overhead and the total with
  // them.
  for (int r = 1; r <= 3; ++r) b.ProypGrid->SetCells(5, r, "10");
  b.RecalcClick(nullptr);
  EXPECT_EQ(b.SumaGrid->Cells(6, 1), "65,745.36");
  EXPECT_EQ(b.SumaGrid->Cells(6, 2), "11,569.56");
  EXPECT_NEAR(b.MeanDiscount, 0.1, 1e-6);
}

}  // namespace
