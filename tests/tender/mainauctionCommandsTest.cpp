// The main window's commands on a bidder's offer budget and on the printed
// report, driven as the user gives them.
#include <cstdio>

#include "platform/ui/Clipbrd.h"
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

namespace {

// Keys that change a field's text without typing a character: a paste, a
// deletion and a cut mark the project changed as typing does, so that the
// exit asks before they are lost.
struct FieldEdit {
  const char* what;
  Word key;
  TShiftState shift;
  bool selectAll;
  const char* left;  // the text the edit leaves of "45" and a clipboard of "123"
  friend void PrintTo(const FieldEdit& e, std::ostream* os) { *os << e.what; }
};

class FieldEditTest : public MainWindowTest, public testing::WithParamInterface<FieldEdit> {};

TEST_P(FieldEditTest, MarksTheProjectChanged) {
  const FieldEdit& e = GetParam();
  TFrmAXP& w = Start();
  for (TCustomEdit* field : {static_cast<TCustomEdit*>(w.Memo1), static_cast<TCustomEdit*>(w.Memo2),
                             static_cast<TCustomEdit*>(w.Edit1), static_cast<TCustomEdit*>(w.EditDiair)}) {
    SCOPED_TRACE(field->Name());
    Clipboard()->SetAsText("123");
    field->SetFocus();
    backend->Type("45");
    ProjectModified = 0;
    backend->PressKey(e.key == VK_INSERT ? VK_END : VK_HOME);
    if (e.selectAll) backend->PressKey(VK_END, TShiftState{ssShift});
    backend->PressKey(e.key, e.shift);
    EXPECT_EQ(field->Text(), e.left);
    EXPECT_EQ(ProjectModified, 1);
    field->SetText("");
  }
  // The exit asks, and Cancel keeps what was edited.
  backend->ExpectMessageBox("Να αγνοηθούν οι αλλαγές;"_a, IDCANCEL);
  w.Close();
  EXPECT_TRUE(w.Visible());
  ProjectModified = 0;
}

INSTANTIATE_TEST_SUITE_P(Fields, FieldEditTest,
                         testing::Values(FieldEdit{"paste", VK_INSERT, TShiftState{ssShift}, false, "45123"},
                                         FieldEdit{"delete", VK_DELETE, TShiftState{}, false, "5"},
                                         FieldEdit{"cut", VK_DELETE, TShiftState{ssShift}, true, ""}),
                         [](const testing::TestParamInfo<FieldEdit>& info) { return info.param.what; });

// What the window writes into its fields is no change of the user's: an
// opened project stays unchanged when its divisor is left reformatted.
TEST_F(MainWindowTest, LeavingAReadDivisorLeavesTheProjectUnchanged) {
  TFrmAXP& w = Start();
  const AnsiString name = Folder() + "div.ddn";
  TProjectHeader header;
  header.Date = DateToStr(Date());
  header.ResetOptions();
  header.Divisor = 1234.5;
  header.IndicativeTotal = "2000";
  SafeWriteFile(name, EncodeProjectFile(header, {}));
  ASSERT_TRUE(w.OpenProject(name));
  EXPECT_EQ(ProjectModified, 0);
  TypeField(*w.EditDiair, "");
  TypeField(*w.Edit1, "");
  EXPECT_NE(Trim(w.Edit1->Text()), "2000");
  EXPECT_EQ(ProjectModified, 0);
}

}  // namespace

namespace {

// A divisor the user empties is gone: the calculation asks for one rather
// than rank by the one removed, and the save does not keep it.
TEST_F(MainWindowTest, AnEmptiedDivisorIsNoLongerUsed) {
  TFrmAXP& w = Start();
  TypeField(*w.EditDiair, "1000");
  ASSERT_EQ(ProjectHeader.Divisor, 1000);
  TypeCell(ColName, 1, "ΑΛΦΑ"_a);
  TypeCell(ColAmount, 1, "900");
  w.EditDiair->SetFocus();
  backend->PressKey(VK_HOME);
  backend->PressKey(VK_END, TShiftState{ssShift});
  backend->PressKey(VK_DELETE);
  w.StGrid->SetFocus();
  ASSERT_TRUE(w.EditDiair->Text().empty());
  EXPECT_EQ(ProjectHeader.Divisor, 0);
  backend->ExpectMessageBox("Δεν έχει εισαχθεί Διαιρέτης"_a, IDOK);
  Press(*w.docalc);
  EXPECT_FALSE(w.doprint->Enabled());
  ProjectModified = 0;
}

}  // namespace

namespace {

// In a window made larger the name column still takes the room the other
// columns leave, instead of the room the grid had at the start.
TEST_F(MainWindowTest, NameColumnFillsAGridMadeWider) {
  TFrmAXP& w = Start();
  w.SetBounds(w.Left(), w.Top(), w.Width() + 200, w.Height());
  Application->ProcessMessages();
  w.StGrid->SetColWidths(2, 150);
  bool allow = true;
  w.StGridColumnSize(w.StGrid, 2, allow);
  EXPECT_EQ(w.StGrid->ColWidths(1), w.StGrid->Width() - (24 + 150 + 70 + 42) - 28);
}

}  // namespace
