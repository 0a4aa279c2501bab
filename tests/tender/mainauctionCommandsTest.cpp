// The main window's commands on a bidder's offer budget and on the printed
// report, driven as the user gives them.
#include "printing/Qprint.h"
#include "tender/OfferCalc.h"
#include "tests/tender/MainWindowFixture.h"

namespace {

class CommandsTest : public MainWindowTest {
 protected:
  // A study budget of one row, entered through its window.
  TUproypFrm& OneRowBudget() {
    TUproypFrm& b = StudyBudget(2);
    b.ProypGrid->SetCells(1, 1, "A");
    b.ProypGrid->SetCells(2, 1, "2");
    b.ProypGrid->SetCells(3, 1, "10");
    b.RecalcClick(nullptr);
    return b;
  }
};

// The offer command asks for the bidder's name before anything else, and
// takes the user to the cell that wants it.
TEST_F(CommandsTest, OfferOfARowWithoutANameAsksForIt) {
  OneRowBudget();
  ASSERT_GT(BudgetRows, 0);
  TFrmAXP& w = *form;
  w.CheckOmalbtn->SetEnabled(true);
  w.EditDiair->SetFocus();
  w.StGrid->SetCol(3);
  w.StGrid->SetRow(2);
  backend->ExpectMessageBox("Πρέπει να εισάγετε όνομα ΠΡΟΣΦΕΡΟΥΣΑΣ ΕΤΑΙΡΕΙΑΣ"_a, IDOK);
  Press(*w.CheckOmalbtn);
  ASSERT_EQ(backend->MessageBoxes.size(), 1u);
  EXPECT_EQ(backend->MessageBoxes[0].Text, "Πρέπει να εισάγετε όνομα ΠΡΟΣΦΕΡΟΥΣΑΣ ΕΤΑΙΡΕΙΑΣ"_a);
  EXPECT_EQ(backend->MessageBoxes[0].Flags & MB_ICONMASK, MB_ICONINFORMATION);
  EXPECT_EQ(w.StGrid->Col(), ColName);
  EXPECT_EQ(w.StGrid->Row(), 2);
  EXPECT_TRUE(w.StGrid->Focused());
  EXPECT_FALSE(BidderDiscountTable.Has(2));
}

// An entry number that is no integer stops the command with the
// conversion error; no offer is made for it and the window is not shown.
TEST_F(CommandsTest, OfferOfARowWhoseNumberIsNoIntegerStops) {
  OneRowBudget();
  TFrmAXP& w = *form;
  w.CheckOmalbtn->SetEnabled(true);
  w.StGrid->SetCellText(ColEntryNo, 1, "1,5");
  w.StGrid->SetCellText(ColName, 1, "ΑΛΦΑ"_a);
  w.StGrid->SetRow(1);
  backend->ExpectMessageBox("1,5", IDOK);
  Press(*w.CheckOmalbtn);
  ASSERT_EQ(backend->ErrorBoxes.size(), 1u);
  EXPECT_EQ(BidderDiscountTable.AllocatedCount(), 0);
  EXPECT_FALSE(BudgetForm->Visible());
}

// Without a study budget the offer command says so and does nothing else.
TEST_F(CommandsTest, OfferWithoutAStudyBudgetIsRefused) {
  TFrmAXP& w = Start();
  w.StGrid->SetCellText(ColName, 1, "ΑΛΦΑ"_a);
  w.CheckOmalbtn->SetEnabled(true);
  backend->ExpectMessageBox("Δεν έχει εισαχθεί Προϋπολογισμός μελέτης"_a, IDOK);
  Press(*w.CheckOmalbtn);
  ASSERT_EQ(backend->MessageBoxes.size(), 1u);
  EXPECT_EQ(backend->MessageBoxes[0].Flags & MB_ICONMASK, MB_ICONINFORMATION);
  EXPECT_EQ(BidderDiscountTable.AllocatedCount(), 0);
}

// The bidder's heading is the row's number as the grid shows it, right
// aligned, then ":" and the name, in 30 characters; the budget window's
// caption and the check report's verdict line carry it so.
TEST_F(CommandsTest, OfferHeadingKeepsTheRowNumberAsShown) {
  TUproypFrm& b = OneRowBudget();
  TFrmAXP& w = *form;
  w.CheckOmalbtn->SetEnabled(true);
  w.StGrid->SetCellText(ColName, 7, "ΑΛΦΑ ΤΕΧΝΙΚΗ ΚΑΤΑΣΚΕΥΑΣΤΙΚΗ ΑΕ"_a);
  w.StGrid->SetRow(7);
  AnsiString caption;
  backend->ExpectModal("", [&](TCustomForm& f) {
    caption = f.Caption();
    Press(*b.ExitButton);
  });
  Press(*w.CheckOmalbtn);
  EXPECT_EQ(CurrentBidderNo, 7);
  EXPECT_EQ(CurrentBidderLabel.Str(), "  7:ΑΛΦΑ ΤΕΧΝΙΚΗ ΚΑΤΑΣΚΕΥΑΣΤΙΚ"_a);
  EXPECT_EQ(caption, "Προϋπολογισμός προσφοράς   7:ΑΛΦΑ ΤΕΧΝΙΚΗ ΚΑΤΑΣΚΕΥΑΣΤΙΚ"_a);
}

}  // namespace
