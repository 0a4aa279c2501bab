// The project commands, the budget window and the index, driven on the
// headless backend.
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <set>

#include "MainWindowFixture.h"
#include "grid/ExtGridEditors.h"
#include "platform/backend/screen/Screen.h"
#include "platform/rtl/ByteOrder.h"
#include "platform/ui/WindowManager.h"
#include "tender/BudgetFile.h"
#include "tender/OfferCalc.h"
#include "tender/ProjectFile.h"
#include "tender/Uindex.h"
#include "tender/Uproyp5.h"
#include "tender/uabout.h"
#include "tests/platform/backend/XvfbDisplay.h"
#include "tests/platform/rtl/LocaleScope.h"
#include "tests/platform/rtl/ScopedEnv.h"

namespace {

TDateTime TenderDay() { return EncodeDate(2026, 12, 7) + 0.4; }

class ProjectTest : public MainWindowTest {
 protected:
  void SetUp() override {
    MainWindowTest::SetUp();
    SetClock(&TenderDay);
    BidderDiscountTable.FreeAll();
    OverheadIsExpression = ContingencyFlag = AsphaltFlag = 0;
  }
  void TearDown() override {
    delete BudgetForm;
    BidderDiscountTable.FreeAll();
    MainWindowTest::TearDown();
    SetClock(nullptr);
  }
  // A project by work items with three budget rows and two bidders.
  TFrmAXP& EnterProject() {
    TFrmAXP& w = Start();
    w.Memo1->Lines().Add("ΟΔΟΠΟΙΙΑ"_a);
    w.EditDiair->SetText("1000");
    ProjectHeader.Divisor = 1000;
    w.ProjectType = 1;
    w.RadioGroupZephType->SetItemIndex(1);
    const char* rows[][4] = {{"1", "ΑΛΦΑ", "900", ""}, {"2", "ΒΗΤΑ", "", "*12.5"}, {"3", "ΓΑΜΜΑ", "", ""}};
    for (int r = 0; r < 3; ++r)
      for (int c = 1; c < 4; ++c) w.StGrid->SetCellText(c, r + 1, cp1253::FromUtf8(rows[r][c]));
    TUproypFrm& budget = EnsureBudgetForm();
    const char* budgetRows[][4] = {{"Α.1", "2", "3", ""}, {"Α.2", "10", "4,5", ""}, {"Α.3", "1", "100", ""}};
    for (int r = 0; r < 3; ++r)
      for (int c = 1; c < 4; ++c)
        budget.ProypGrid->SetCells(c, r + 1, cp1253::FromUtf8(budgetRows[r][c - 1]));
    budget.SumaGrid->SetCells(3, 2, "18");
    budget.RecalcClick(nullptr);
    DetailedOffer& first = BidderDiscountTable.Ensure(1);
    first[0] = {2.5, '#'};
    first[1] = {4, '+'};
    first[2] = {90, '-'};
    BidderDiscountTable.Ensure(2)[0] = {3, 0};
    ProjectModified = 1;
    return w;
  }
  std::vector<AnsiString> GridTexts(TFrmAXP& w) {
    std::vector<AnsiString> texts;
    for (int r = 1; r <= 4; ++r)
      for (int c = 0; c < 5; ++c) texts.push_back(w.StGrid->GetCellText(c, r));
    return texts;
  }
  static std::string Bytes(const AnsiString& name) { return ReadWholeFile(name); }
};

TEST_F(ProjectTest, SaveClearAndOpenGiveEverythingBack) {
  TFrmAXP& w = EnterProject();
  ASSERT_TRUE(w.saverec(Folder() + "t.ddn"));
  EXPECT_EQ(ProjectModified, 0);
  EXPECT_EQ(Bytes(Folder() + "t.ddn").size(), 756u + 3 * 84);
  EXPECT_TRUE(FileExists(Folder() + "t.pry"));
  EXPECT_TRUE(FileExists(Folder() + "t.csv"));
  EXPECT_EQ(Bytes(Folder() + "t.ddn")[566], 1);  // the contingency flag of a project with a budget

  w.ClearProject();
  EXPECT_EQ(CostDecimals, 2);
  EXPECT_EQ(BidderDiscountTable.AllocatedCount(), 0);
  EXPECT_TRUE(w.StGrid->GetCellText(1, 1).empty());

  w.OpenProject(Folder() + "t.ddn");
  EXPECT_EQ(w.StGrid->GetCellText(1, 2), "ΒΗΤΑ"_a);
  EXPECT_EQ(w.StGrid->GetCellText(3, 2).substr(0, 1), "*");  // the mark comes back
  EXPECT_EQ(w.StGrid->GetCellText(4, 1), "*");               // a detailed offer
  EXPECT_EQ(BudgetRows, 3);
  ASSERT_TRUE(BidderDiscountTable.Has(1));
  EXPECT_EQ((*BidderDiscountTable.Get(1))[1].Mark, '+');
  EXPECT_EQ((*BidderDiscountTable.Get(1))[2].Value, 90);
  EXPECT_EQ(BudgetForm->ProypGrid->Cells(1, 2), "Α.2"_a);

  // Write, read, write: the same bytes.
  const std::vector<AnsiString> texts = GridTexts(w);
  const std::string project = Bytes(Folder() + "t.ddn");
  const std::string budget = Bytes(Folder() + "t.pry");
  ASSERT_TRUE(w.saverec(Folder() + "u.ddn"));
  w.ClearProject();
  w.OpenProject(Folder() + "u.ddn");
  EXPECT_EQ(GridTexts(w), texts);
  ASSERT_TRUE(w.saverec(Folder() + "v.ddn"));
  EXPECT_EQ(Bytes(Folder() + "v.ddn"), Bytes(Folder() + "u.ddn"));
  EXPECT_EQ(Bytes(Folder() + "v.pry"), Bytes(Folder() + "u.pry"));
  EXPECT_EQ(Bytes(Folder() + "u.pry").size(), budget.size());
  EXPECT_EQ(Bytes(Folder() + "u.ddn").size(), project.size());
}

TEST_F(ProjectTest, SaveAsOldNameWritesDdn) {
  TFrmAXP& w = EnterProject();
  backend->ExpectModal("", [&](TCustomForm& f) {
    auto* edit = static_cast<TEdit*>(f.FindComponent("FileNameEdit"));
    edit->SetText(Folder() + "old.ddt");
    edit->SetFocus();
    backend->PressKey(VK_RETURN);
  });
  w.SaveAs->Click();
  EXPECT_TRUE(FileExists(Folder() + "old.ddn"));
  EXPECT_FALSE(FileExists(Folder() + "old.ddt"));
}

TEST_F(ProjectTest, LowGuaranteeProjectReadsItsBudgetBlocksBack) {
  TFrmAXP& w = EnterProject();
  w.Edit2->SetText("2");  // 200: byte 567 is 0, which once meant "no asphalt part"
  BudgetForm->SumaGrid->SetCells(3, 7, "500");
  ASSERT_TRUE(w.saverec(Folder() + "g.ddn"));
  EXPECT_EQ(Bytes(Folder() + "g.ddn")[567], 0);
  w.ClearProject();
  w.OpenProject(Folder() + "g.ddn");
  EXPECT_TRUE(BidderDiscountTable.Has(1));
  EXPECT_TRUE(BidderDiscountTable.Has(2));
  EXPECT_EQ(AsphaltFlag, 1);
  EXPECT_EQ(BudgetForm->SumaGrid->Cells(3, 7), "500");
}

// Opening a project clears the window and fills it again; the cells that
// hold or held an offer's text are painted again, never the whole offers
// grid with its headings, numbering and empty rows.
TEST_F(ProjectTest, OpeningRepaintsTheOfferCellsNotTheWholeGrid) {
  TFrmAXP& w = EnterProject();
  ASSERT_TRUE(w.saverec(Folder() + "t.ddn"));
  w.StGrid->SetCellText(ColName, 1, "ΔΕΛΤΑ"_a);
  ASSERT_TRUE(w.saverec(Folder() + "u.ddn"));
  w.OpenProject(Folder() + "t.ddn");
  Application->ProcessMessages();
  const auto& dirty = ui::SurfaceOf(&w)->Dirty;
  ASSERT_TRUE(dirty.empty());
  const auto gridRepaints = [&] {
    int rows = 0;
    for (const TRect& r : dirty) {
      EXPECT_FALSE(r.Width() >= w.StGrid->Width() && r.Height() >= w.StGrid->Height()) << "the whole grid";
      if (r.Height() == w.StGrid->CellRect(ColName, 1).Height() &&
          r.Width() == w.StGrid->CellRect(ColName, 1).Width())
        ++rows;
    }
    return rows;
  };
  // The three names.
  w.OpenProject(Folder() + "t.ddn");
  EXPECT_EQ(gridRepaints(), 3);
  Application->ProcessMessages();
  w.OpenProject(Folder() + "u.ddn");
  EXPECT_EQ(w.StGrid->GetCellText(ColName, 1), "ΔΕΛΤΑ"_a);
  EXPECT_EQ(gridRepaints(), 3);
}

TEST_F(ProjectTest, OpenNumbersTheFreeRowsAfterTheHighestEntry) {
  Start();
  WriteOffersProject(Folder() + "seven.ddn", {1, 2, 7, 4, 5});
  form->OpenProject(Folder() + "seven");
  EXPECT_EQ(form->StGrid->GetCellText(0, 6), "  8");
  EXPECT_EQ(form->StGrid->GetCellText(0, 7), "  9");
  EXPECT_EQ(OfferCount, 5);
}

// A detailed offer of a number beyond the count of offers marks its
// bidder's row only, not the free row that showed that number before the
// opening numbered the free rows on.
TEST_F(ProjectTest, OpenMarksOnlyTheRowOfANumberBeyondTheCount) {
  TFrmAXP& w = EnterProject();
  w.StGrid->SetCellText(ColEntryNo, 3, EntryNoText(7));
  BidderDiscountTable.Ensure(7)[0] = {5, 0};
  ASSERT_TRUE(w.saverec(Folder() + "seven.ddn"));
  w.ClearProject();
  ASSERT_TRUE(w.OpenProject(Folder() + "seven.ddn"));
  ASSERT_TRUE(BidderDiscountTable.Has(7));
  EXPECT_EQ(w.StGrid->GetCellText(ColEntryNo, 3), EntryNoText(7));
  EXPECT_EQ(w.StGrid->GetCellText(ColRemark, 3), "*");
  EXPECT_NE(w.StGrid->GetCellText(ColEntryNo, 7), EntryNoText(7));
  EXPECT_TRUE(w.StGrid->GetCellText(ColRemark, 7).empty());
}

// A row emptied in the middle of the offers, or left empty above them,
// loses none of the bidders below it at the save: the three bidders come
// back with their offers, their numbers and their detailed offers, and the
// budget's text copy names them.
class SaveOverAnEmptyRow : public ProjectTest, public testing::WithParamInterface<int> {};

TEST_P(SaveOverAnEmptyRow, KeepsTheBiddersBelowIt) {
  TFrmAXP& w = EnterProject();
  const int empty = GetParam();
  for (int row = 1; row <= 4; ++row)
    for (int col = ColName; col <= ColDiscount; ++col) w.StGrid->SetCellText(col, row, "");
  BidderDiscountTable.FreeAll();
  struct Bidder {
    const char* name;
    const char* amount;
    const char* discount;
    double saved;
    int row;
  };
  Bidder bidders[] = {{"ΑΛΦΑ", "900", "", 10, 0}, {"ΒΗΤΑ", "", "12.5", 12.5, 0}, {"ΓΑΜΜΑ", "", "", 0, 0}};
  int row = 1;
  for (Bidder& b : bidders) {
    if (row == empty) ++row;
    b.row = row++;
    w.StGrid->SetCellText(ColName, b.row, cp1253::FromUtf8(b.name));
    w.StGrid->SetCellText(ColAmount, b.row, b.amount);
    w.StGrid->SetCellText(ColDiscount, b.row, b.discount);
  }
  BidderDiscountTable.Ensure(bidders[0].row)[0] = {2.5, '#'};
  BidderDiscountTable.Ensure(bidders[2].row)[1] = {4, '+'};

  ASSERT_TRUE(w.saverec(Folder() + "gap.ddn"));
  EXPECT_EQ(Bytes(Folder() + "gap.ddn").size(), 756u + 3 * 84);
  const std::string csv = Bytes(Folder() + "gap.csv");
  for (const int b : {0, 2})
    EXPECT_NE(csv.find("ΠΡΟΣΦΟΡΑ "_a + RightAlignedInt(bidders[b].row, 6) + "-" +
                       cp1253::FromUtf8(bidders[b].name)),
              std::string::npos)
        << bidders[b].name;

  w.ClearProject();
  ASSERT_TRUE(w.OpenProject(Folder() + "gap.ddn"));
  ASSERT_EQ(OfferCount, 3);
  for (int slot = 1; slot <= 3; ++slot) {
    const Bidder& b = bidders[slot - 1];
    EXPECT_EQ(w.StGrid->GetCellText(ColName, slot), cp1253::FromUtf8(b.name)) << slot;
    EXPECT_EQ(w.StGrid->GetCellText(ColEntryNo, slot), EntryNoText(b.row)) << slot;
    EXPECT_EQ(StrToNum(w.StGrid->GetCellText(ColDiscount, slot)), b.saved) << slot;
    EXPECT_EQ(w.StGrid->GetCellText(ColAmount, slot), b.amount) << slot;
  }
  EXPECT_EQ(w.StGrid->GetCellText(ColDiscount, 3), "0");  // a name alone is a void offer
  ASSERT_TRUE(BidderDiscountTable.Has(bidders[0].row));
  EXPECT_EQ((*BidderDiscountTable.Get(bidders[0].row))[0].Value, 2.5);
  EXPECT_EQ((*BidderDiscountTable.Get(bidders[0].row))[0].Mark, '#');
  ASSERT_TRUE(BidderDiscountTable.Has(bidders[2].row));
  EXPECT_EQ((*BidderDiscountTable.Get(bidders[2].row))[1].Value, 4);
  EXPECT_EQ(w.StGrid->GetCellText(ColRemark, 1), "*");
  EXPECT_EQ(w.StGrid->GetCellText(ColRemark, 3), "*");
}

INSTANTIATE_TEST_SUITE_P(Project, SaveOverAnEmptyRow, testing::Values(1, 3));

TEST_F(ProjectTest, BudgetQuestionCancelSavesAndCloses) {
  TFrmAXP& w = EnterProject();
  ProjectModified = 0;
  BudgetChanged = 1;
  backend->ExpectMessageBox("προϋπολογισμού μελέτης"_a, IDCANCEL);
  backend->ExpectModal("", [&](TCustomForm& f) {
    auto* edit = static_cast<TEdit*>(f.FindComponent("FileNameEdit"));
    edit->SetText(Folder() + "kept.ddn");
    edit->SetFocus();
    backend->PressKey(VK_RETURN);
  });
  Press(*w.ExitButton);
  EXPECT_TRUE(FileExists(Folder() + "kept.pry"));
  EXPECT_FALSE(w.Visible());
}

TEST_F(ProjectTest, DeleteRowFreesItsOfferAndRenumbersTheLast) {
  TFrmAXP& w = EnterProject();
  OfferCount = 0;
  w.StGrid->SetFocus();
  w.StGrid->SetRow(1);
  backend->ExpectMessageBox("Να διαγραφεί η γραμμή;"_a, IDYES);
  w.Button2->Click();
  EXPECT_EQ(OfferCount, 0);  // never below 0
  EXPECT_FALSE(BidderDiscountTable.Has(1));
  EXPECT_EQ(w.StGrid->GetCellText(1, 1), "ΒΗΤΑ"_a);
  EXPECT_EQ(w.StGrid->GetCellText(0, 500), "501");
}

// ---- the budget window's totals ----------------------------------------------------

class BudgetTest : public ProjectTest {
 protected:
  TUproypFrm& Budget(int projectType) { return StudyBudget(projectType); }
  void Row(TUproypFrm& b, int row, const char* text, const char* q, const char* p) {
    b.ProypGrid->SetCells(1, row, cp1253::FromUtf8(text));
    b.ProypGrid->SetCells(2, row, q);
    b.ProypGrid->SetCells(3, row, p);
  }
};

TEST_F(BudgetTest, HalfDownRounding) {
  TUproypFrm& b = Budget(1);
  EXPECT_EQ(b.CheckB54(12.345), 12.35);
  b.B54->SetDown(true);
  EXPECT_EQ(b.CheckB54(12.345), 12.34);
  EXPECT_EQ(b.CheckB54(12.3451), 12.35);
}

// The budget file as a save by work items writes it.
TBudgetFileContents SavedBudget(const AnsiString& name) {
  return DecodeBudgetFile(ReadWholeFile(name), TBudgetKind::WorkItems, {false, true, true});
}

TEST_F(BudgetTest, TotalsWithEmptyRowsInsideAndPartialTotals) {
  TUproypFrm& b = Budget(1);
  Row(b, 1, "Α", "1", "100");
  Row(b, 2, "Β", "2", "50");
  Row(b, 3, "Γ", "1", "10");
  Row(b, 4, "=1:3", "", "");
  Row(b, 6, "Ε", "1", "40");  // row 5 is empty: the totals end above it
  b.RecalcClick(nullptr);
  b.SumaGrid->SetCells(3, 2, "100");
  b.SumaGrid->SetCells(3, 4, "15");
  b.resum(true);
  EXPECT_EQ(BudgetRows, 4);
  EXPECT_EQ(b.ProypGrid->Cells(2, 4), "ΜΕΡΙΚΟ ΣΥΝΟΛΟ"_a);
  EXPECT_EQ(b.ProypGrid->Cells(3, 4), "(210)");
  EXPECT_EQ(b.SumaGrid->Cells(4, 1), "210.00");
  EXPECT_EQ(b.SumaGrid->Cells(4, 2), "210.00");  // 100 % is used
  EXPECT_EQ(b.SumaGrid->Cells(4, 3), "420.00");
  EXPECT_EQ(b.SumaGrid->Cells(4, 5), "483.00");
  b.SumaGrid->SetCells(3, 2, "100.5");
  b.resum(true);
  EXPECT_EQ(b.SumaGrid->Cells(4, 2), "0.00");
  Row(b, 4, "=3:1", "", "");
  b.ProypGrid->SetCells(3, 4, "");
  b.resum(true);
  EXPECT_TRUE(b.ProypGrid->Cells(3, 4).empty());
  EXPECT_EQ(b.StudyTotal, 210);

  // The rows below the empty one are the user's all the same: saved and
  // read back, and still not counted.
  b.BudgetFileName = Folder() + "gap.pry";
  b.SaveProyp();
  const TBudgetFileContents saved = SavedBudget(b.BudgetFileName);
  ASSERT_EQ(saved.Status, TBudgetReadStatus::Ok);
  ASSERT_EQ(saved.Budget.Rows.size(), 6u);
  EXPECT_TRUE(saved.Budget.Rows[4].Text.empty());
  EXPECT_EQ(saved.Budget.Rows[5].Text, "Ε"_a);
  EXPECT_EQ(saved.Budget.Rows[5].Price, 40);
  for (int row = 1; row <= 6; ++row)
    for (int col = 0; col <= 4; ++col) b.ProypGrid->SetCells(col, row, "");
  b.ReadProyp();
  EXPECT_EQ(b.ProypGrid->Cells(1, 6), "Ε"_a);
  EXPECT_EQ(BudgetRows, 4);
  EXPECT_EQ(b.StudyTotal, 210);
}

// Rows below an empty first row count for nothing, yet clearing still asks
// before it throws them away.
TEST_F(BudgetTest, RowsBelowAnEmptyFirstRowAreAskedForBeforeClearing) {
  TUproypFrm& b = Budget(1);
  Row(b, 2, "Β", "2", "50");
  b.RecalcClick(nullptr);
  EXPECT_EQ(BudgetRows, 0);
  BudgetChanged = 1;
  backend->ExpectMessageBox("Nα μηδενιστούν τα στοιχεία προϋπολογισμού μελέτης;"_a, IDCANCEL);
  form->ClearButton->Click();
  EXPECT_EQ(b.ProypGrid->Cells(1, 2), "Β"_a);
  backend->ExpectMessageBox("Nα μηδενιστούν τα στοιχεία προϋπολογισμού μελέτης;"_a, IDYES);
  form->ClearButton->Click();
  EXPECT_TRUE(b.ProypGrid->Cells(1, 2).empty());
}

// A bidder's detailed offer is saved whoever stands in the first row of
// the offers grid: an offer entered for the bidder of row 2 while row 1 is
// empty would otherwise be lost at the next save.
TEST_F(BudgetTest, BidderBlocksAreWrittenWhenTheFirstOfferRowIsEmpty) {
  TUproypFrm& b = Budget(1);
  Row(b, 1, "Α", "1", "100");
  Row(b, 2, "Β", "2", "50");
  b.RecalcClick(nullptr);
  form->StGrid->SetCellText(ColName, 2, "ΒΗΤΑ"_a);
  ASSERT_TRUE(form->StGrid->GetCellText(ColName, 1).empty());
  DetailedOffer& offer = BidderDiscountTable.Ensure(2);
  offer[0] = {90, '+'};
  offer[1] = {45, 0};
  b.BudgetFileName = Folder() + "first.pry";
  b.SaveProyp();
  const TBudgetFileContents saved = SavedBudget(b.BudgetFileName);
  ASSERT_EQ(saved.Status, TBudgetReadStatus::Ok);
  ASSERT_EQ(saved.Blocks.size(), 1u);
  EXPECT_EQ(saved.Blocks[0].EntryNo, 2);
  EXPECT_EQ(saved.Blocks[0].Values[0].Value, 90);
  EXPECT_EQ(saved.Blocks[0].Values[0].Mark, '+');
  EXPECT_EQ(saved.Blocks[0].Values[1].Value, 45);
}

// A budget saved before it has a name goes to a temporary file in the
// program's folder of the user's data folder, wherever the current folder
// is.
TEST_F(BudgetTest, ABudgetWithoutANameGoesToTheProgramsFolder) {
  namespace fs = std::filesystem;
  const std::string top = FolderPath();
  ScopedEnv data("XDG_DATA_HOME", top + "/data");
  ProgramFolderSource = &GetProgramFolder;
  TUproypFrm& b = Budget(1);
  fs::create_directories(top + "/current");
  SetCurrentDir(Folder() + "current");
  Row(b, 1, "Α", "1", "100");
  b.RecalcClick(nullptr);
  b.BudgetFileName.clear();
  b.Show();
  b.Close();
  const AnsiString program = Folder() + "data/dimoprasia/";
  EXPECT_EQ(ExtractFilePath(b.BudgetFileName), program);
  const std::string name = cp1253::ToUtf8(ExtractFileName(b.BudgetFileName));
  EXPECT_TRUE(std::regex_match(name, std::regex("~[0-9]{7}\\.TMP"))) << name;
  EXPECT_TRUE(FileExists(b.BudgetFileName));
  EXPECT_TRUE(FileExists(BudgetCsvName(b.BudgetFileName)));
  EXPECT_EQ(SavedBudget(b.BudgetFileName).Budget.Rows.size(), 1u);
  EXPECT_TRUE(fs::is_empty(top + "/current"));
  // A name taken is never given again while its file is there.
  std::set<AnsiString> names{b.BudgetFileName};
  for (int i = 0; i < 20; ++i) EXPECT_TRUE(names.insert(MakeTempBudgetName()).second);
  EXPECT_TRUE(fs::is_empty(top + "/current"));
}

// ---- the detailed offers by the computed start -------------------------------------------------------

// The blocks are read where the budget's size and the flags put them when
// they are there; with flags gone stale, from where the budget's reading
// found them.
struct ComputedStartCase {
  const char* what;
  TBudgetLayout flags;
  bool computedLands;
};

class ComputedStart : public BudgetTest, public testing::WithParamInterface<ComputedStartCase> {};

TEST_P(ComputedStart, ShowingTheOfferReadsEveryBidderBlock) {
  const ComputedStartCase& c = GetParam();
  TUproypFrm& b = Budget(1);
  Row(b, 1, "Α", "1", "100");
  Row(b, 2, "Β", "2", "50");
  Row(b, 3, "Γ", "4", "10");
  b.SumaGrid->SetCells(3, 7, "5000");  // the asphalt part is not zeros
  b.RecalcClick(nullptr);
  DetailedOffer& first = BidderDiscountTable.Ensure(1);
  first[0] = {95, '#'};
  first[2] = {9, '-'};
  BidderDiscountTable.Ensure(3)[1] = {44, '+'};
  b.BudgetFileName = Folder() + "blocks.pry";
  b.SaveProyp();
  const std::string bytes = ReadWholeFile(b.BudgetFileName);
  EXPECT_EQ(BidderBlocksAt(bytes, ComputedBlocksStart(3, TBudgetKind::WorkItems, c.flags), 3).has_value(),
            c.computedLands);

  BidderDiscountTable.FreeAll();
  OverheadIsExpression = c.flags.OverheadExpression;
  ContingencyFlag = c.flags.Contingency;
  AsphaltFlag = c.flags.Asphalt;
  b.SetBidderLayout();
  b.ReadAAline(1);
  ASSERT_TRUE(BidderDiscountTable.Has(1));
  ASSERT_TRUE(BidderDiscountTable.Has(3));
  EXPECT_EQ((*BidderDiscountTable.Get(1))[0].Value, 95);
  EXPECT_EQ((*BidderDiscountTable.Get(1))[2].Mark, '-');
  EXPECT_EQ((*BidderDiscountTable.Get(3))[1].Value, 44);
  EXPECT_EQ(b.ProypGrid->Cells(9, 1), "#");
  EXPECT_EQ(b.ProypGrid->Cells(9, 2), "");
  EXPECT_EQ(b.ProypGrid->Cells(9, 3), "-");
}

INSTANTIATE_TEST_SUITE_P(Flags, ComputedStart,
                         testing::Values(ComputedStartCase{"as saved", {false, true, true}, true},
                                         ComputedStartCase{"asphalt flag stale", {false, true, false}, false},
                                         ComputedStartCase{
                                             "expression flag stale", {true, true, true}, false}));

TEST_F(BudgetTest, OverheadExpressionOfPartialTotals) {
  TUproypFrm& b = Budget(1);
  for (int r = 1; r <= 9; ++r) Row(b, r, "x", "1", "10");
  Row(b, 10, "=1:9", "", "");
  for (int r = 11; r <= 19; ++r) Row(b, r, "y", "1", "20");
  Row(b, 20, "=11:19", "", "");
  b.RecalcClick(nullptr);
  b.SumaGrid->SetCells(3, 2, "$10*18%+$20*10%");
  b.resum(true);
  EXPECT_EQ(OverheadIsExpression, 1);
  // 18 % of 90 and 10 % of 180.
  EXPECT_EQ(b.SumaGrid->Cells(4, 2), "34.20");
  EXPECT_EQ(b.SumaGrid->Cells(4, 3), "304.20");
}

TEST_F(BudgetTest, BidderTotalsAndMeanDiscount) {
  TUproypFrm& b = Budget(2);
  b.ProypGrid->SetCells(3, 1, "ΟΔΟΠΟΙΙΑ"_a);
  b.ProypGrid->SetCells(4, 1, "1000");
  b.SumaGrid->SetCells(3, 2, "18");
  b.resum(true);
  EXPECT_EQ(b.StudyTotal, 1180);
  b.SetBidderLayout();
  b.ProypGrid->SetCells(5, 1, "0");
  b.RecalcClick(nullptr);
  EXPECT_EQ(b.OfferTotal, 1180);
  EXPECT_EQ(b.SumaGrid->Cells(5, 3), "0.00000000");
  b.ProypGrid->SetCells(5, 1, "10");
  b.RecalcClick(nullptr);
  EXPECT_NEAR(b.MeanDiscount, 0.1, 1e-12);
  // The switch off changes nothing in bidder mode.
  b.ProypGrid->SetCells(6, 1, "1");
  b.resum(false);
  EXPECT_NEAR(b.MeanDiscount, 0.1, 1e-12);
}

TEST_F(BudgetTest, EditingVectors) {
  TUproypFrm& b = Budget(1);
  Row(b, 1, "Α", "1", "10");
  AnsiString text = "5";
  bool valid = true;
  b.ProypGridCellValidate(nullptr, 2, 5, text, valid);  // row 4 is empty: refused
  EXPECT_TRUE(text.empty());
  text = "3";
  b.ProypGridCellValidate(nullptr, 2, 1, text, valid);
  EXPECT_EQ(text, "3.00");
  EXPECT_EQ(b.ProypGrid->Cells(4, 1), "30.00");

  // Insert and delete a cell at the last row.
  BudgetRows = 2;
  b.ProypGrid->SetCells(1, 2, "Β");
  b.ProypGrid->SetCol(1);
  b.ProypGrid->SetRow(2);
  b.celplusClick(nullptr);
  EXPECT_EQ(b.ProypGrid->Cells(1, 3), "Β");
  EXPECT_TRUE(b.ProypGrid->Cells(1, 2).empty());
  b.celMinusClick(nullptr);
  EXPECT_TRUE(b.ProypGrid->Cells(1, 2).empty());

  TUproypFrm& c = b;
  form->ProjectType = 2;
  c.ProypGrid->SetCells(3, 1, "ΚΑΤ"_a);
  c.ProypGrid->SetCells(4, 1, "1000");
  c.SetBidderLayout();
  backend->ExpectMessageBox("ΑΚΕΡΑΙΕΣ ΕΚΠΤΩΣΕΙΣ"_a, IDOK);
  text = "12.5";
  c.ProypGridCellValidate(nullptr, 5, 1, text, valid);
  EXPECT_EQ(text, "12.50");
  EXPECT_EQ(c.ProypGrid->Cells(6, 1), "875.00");
  text = "350";
  c.ProypGridCellValidate(nullptr, 5, 1, text, valid);
  EXPECT_EQ(c.ProypGrid->Cells(6, 1), "0.00");
}

TEST_F(BudgetTest, TypedCellsAreCheckedAndCostedAndTheMarkColumnIsAList) {
  TUproypFrm& b = Budget(1);
  b.Show();
  Application->ProcessMessages();
  auto type = [&](int col, int row, const AnsiString& text) {
    b.ProypGrid->SetFocus();
    b.ProypGrid->SetCol(col);
    b.ProypGrid->SetRow(row);
    backend->Type(text);
    backend->PressKey(VK_RETURN);
  };
  type(1, 1, "Εκσκαφή"_a);
  type(2, 1, "3");
  type(3, 1, "12.5");
  EXPECT_EQ(b.ProypGrid->Cells(4, 1), "37.50");
  EXPECT_EQ(BudgetRows, 1);
  TEditorType editor = edNormal;
  b.ProypGrid->OnGetEditorType(nullptr, 9, 1, editor);
  EXPECT_EQ(editor, edComboList);
  ASSERT_NE(b.ProypGrid->Combo(), nullptr);
  EXPECT_EQ(b.ProypGrid->Combo()->Items()->Count(), 4);
  EXPECT_EQ(b.ProypGrid->Combo()->Items()->Strings(3), "#");
  b.Hide();
}

TEST_F(BudgetTest, WrongKindOfBudgetFileIsRefused) {
  TUproypFrm& b = Budget(1);
  TBudgetData categories;
  categories.Kind = TBudgetKind::Categories;
  categories.TextFieldSize = CategoriesTextSize;
  categories.Rows = {{"x", 0, 0, 5}};
  SafeWriteFile(Folder() + "c.pry", EncodeBudgetFile(categories, {false, true, true}, {}));
  b.BudgetFileName = Folder() + "c.pry";
  backend->ExpectMessageBox("Το αρχείο είναι διαφορετικού τύπου !!"_a, IDOK);
  b.ReadProyp();
  EXPECT_EQ(BudgetRows, 0);
  EXPECT_TRUE(b.BudgetFileName.empty());
}

TEST_F(BudgetTest, PictureOfTheBudgetWindowInBothModes) {
  TFrmAXP& w = EnterProject();
  TUproypFrm& b = *BudgetForm;
  b.SetStudyLayout();
  b.Show();
  Application->ProcessMessages();
  backend->SaveWindowPng(b, (TestOutputFolder() / "budget_study.png").string());
  b.Hide();
  w.StGrid->SetRow(1);
  backend->ExpectModal("", [&](TCustomForm& f) {
    backend->SaveWindowPng(f, (TestOutputFolder() / "budget_bidder.png").string());
    f.SetModalResult(mrCancel);
  });
  w.CheckOmalbtn->SetEnabled(true);
  w.CheckOmalbtnClick(nullptr);
  EXPECT_TRUE(std::filesystem::exists(TestOutputFolder() / "budget_bidder.png"));
}

// ---- index and about ------------------------------------------------------------------

TEST_F(ProjectTest, IndexListsMarksAndDeletes) {
  Start();
  TProjectHeader header;
  header.ProjectText = "ΕΡΓΟ\r\nΔΕΥΤΕΡΟ"_a;
  header.ResetOptions();
  header.SetOption(TProjectHeader::OfferCountHigh, 1);
  header.SetOption(TProjectHeader::OfferCountLow, 44);
  SafeWriteFile(Folder() + "a.b.ddn", EncodeProjectFile(header, {}));
  SafeWriteFile(Folder() + "a.b.pry", "x");
  SafeWriteFile(Folder() + "a.b.csv", "x");
  SafeWriteFile(Folder() + "short.ddn", "abc");
  TindexForm index(nullptr);
  ASSERT_EQ(index.FileCount, 2);
  int row = index.IndexGrid->Cells(1, 1) == "a.b" ? 1 : 2;
  EXPECT_EQ(index.IndexGrid->Cells(3, row), "ΕΡΓΟ  ΔΕΥΤΕΡΟ"_a);
  EXPECT_EQ(index.IndexGrid->Cells(6, row), "300");
  EXPECT_TRUE(index.IndexGrid->Cells(2, 3 - row).empty());  // a short file lists empty
  index.IndexGrid->SetRow(row);
  index.deletebtnClick(nullptr);
  index.deletebtnClick(nullptr);
  EXPECT_EQ(index.MarkedCount, 0);
  index.deletebtnClick(nullptr);
  backend->ExpectMessageBox("σημειωμένα"_a, IDYES);
  TCloseAction action = caHide;
  index.FormClose(nullptr, action);
  EXPECT_FALSE(FileExists(Folder() + "a.b.ddn"));
  EXPECT_FALSE(FileExists(Folder() + "a.b.pry"));
  EXPECT_FALSE(FileExists(Folder() + "a.b.csv"));
  EXPECT_TRUE(FileExists(Folder() + "short.ddn"));
}

// The projects live in sight, in "Δημοπρασία" of the documents folder that
// the user's folder settings name, made at the first start; the index and
// the dialogs find it wherever another dialog has left the current folder.
TEST_F(ProjectTest, ProjectsLiveInTheDocumentsFolderWhateverFolderIsCurrent) {
  const std::string home = FolderPath() + "/home";
  std::filesystem::create_directories(home + "/config");
  std::filesystem::create_directories(home + "/Έγγραφα");
  std::ofstream(home + "/config/user-dirs.dirs") << "XDG_DOCUMENTS_DIR=\"$HOME/Έγγραφα\"\n";
  ScopedEnv homeEnv("HOME", home);
  ScopedEnv config("XDG_CONFIG_HOME", home + "/config");
  ScopedEnv documents("XDG_DOCUMENTS_DIR", nullptr);
  ProjectsFolderSource = &GetProjectsFolder;
  const AnsiString projects = Folder() + "home/Έγγραφα/Δημοπρασία/"_a;
  TFrmAXP& w = Start();
  EXPECT_TRUE(DirectoryExists(projects));
  EXPECT_EQ(w.ProjectsFolder, projects);
  EXPECT_EQ(GetCurrentDir() + "/", projects);
  // The program's own files stay in its own folder.
  EXPECT_EQ(w.ProgramFolder, Folder());
  WriteOffersProject(projects + "Οδοποιία Ζωγράφου.ddn"_a, {1});
  // An export to the home folder moved the current folder.
  SetCurrentDir(cp1253::FromUtf8(home));
  const auto choose = [&](TCustomForm& f) {
    auto& index = static_cast<TindexForm&>(f);
    ASSERT_EQ(index.FileCount, 1);
    EXPECT_EQ(index.IndexGrid->Cells(1, 1), "Οδοποιία Ζωγράφου"_a);
    index.IndexGrid->SetRow(1);
    index.BitBtn2->Click();
  };
  backend->ExpectModal("Ευρετήριο"_a, choose);
  w.BitBtn2->Click();
  EXPECT_EQ(w.StGrid->GetCellText(ColName, 1), "x");
  EXPECT_EQ(w.SaveDialog1->FileName, projects + "Οδοποιία Ζωγράφου.ddn"_a);
  // The open dialog of a new project starts there too, and so do the
  // budget's.
  w.OpenDialog1->FileName.clear();
  AnsiString shown;
  backend->ExpectModal("", [&](TCustomForm& f) {
    shown = static_cast<TLabel*>(f.FindComponent("FolderName"))->Caption();
    f.SetModalResult(mrCancel);
  });
  w.BtnOpenClick(nullptr);
  EXPECT_EQ(shown + "/", projects);
  EXPECT_EQ(EnsureBudgetForm().OpenDialog1->InitialDir, projects);
  EXPECT_EQ(EnsureBudgetForm().BudgetSaveDialog->InitialDir, projects);
}

TEST(AboutBox, MemoryInKilobytesWithThousands) {
  LocaleScope greek(LocaleScope::Greek);
  EXPECT_EQ(MemoryText(2097152), "2.097.152 KB");
}

}  // namespace

namespace {

// ---- the bundled examples ---------------------------------------------------------------

TEST(Examples, GeneratorWritesTheBundledFilesByteForByte) {
  TempFolder out;
  const std::string command = std::string(MAKE_EXAMPLES) + " " + out.path() + "/ex";
  ASSERT_EQ(std::system(command.c_str()), 0);
  int compared = 0;
  for (const auto& entry : std::filesystem::directory_iterator(DIM_EXAMPLES)) {
    const std::string name = entry.path().filename().string();
    EXPECT_EQ(ReadWholeFile(cp1253::FromUtf8(out.path() + "/ex/" + name)),
              ReadWholeFile(cp1253::FromUtf8(entry.path().string())))
        << name;
    ++compared;
  }
  EXPECT_EQ(compared, 6);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(out.path() + "/ex"),
                          std::filesystem::directory_iterator()),
            6);
}

TEST_F(ProjectTest, CommandLineOpensTheExample) {
  const std::string example = std::string(DIM_EXAMPLES) + "/EXAMPLE.DDN";
  const char* argv[] = {"dimoprasia", example.c_str()};
  SetCommandLine(2, argv);
  TFrmAXP& w = Start();
  const char* none[] = {"dimoprasia"};
  SetCommandLine(1, none);
  EXPECT_EQ(w.StGrid->GetCellText(1, 1), "ΑΛΦΑ ΤΕΧΝΙΚΗ ΑΤΕ"_a);
  EXPECT_EQ(w.StGrid->GetCellText(4, 1), "*");
  EXPECT_EQ(BudgetRows, 5);
  EXPECT_EQ(w.ProjectType, 1);
  EXPECT_TRUE(w.CheckOmalbtn->Enabled());
  EXPECT_EQ(ProjectModified, 0);
  EXPECT_TRUE(w.CommandLineProject.empty());
}

}  // namespace

namespace {

// The budget window in both modes and the index on a real (virtual) screen.
TEST_F(ProjectTest, ScreenshotsOfTheBudgetWindowAndTheIndex) {
  ASSERT_TRUE(XvfbDisplay::Installed()) << "Xvfb is not installed (Debian package xvfb)";
  std::unique_ptr<XvfbDisplay> display = XvfbDisplay::OpenScreenBackend();
  auto* screen = HasBackend() ? dynamic_cast<TScreenBackend*>(&Backend()) : nullptr;
  if (screen) {
    for (const char* name : {"EXAMPLE.DDN", "EXAMPLE.pry", "EXAMPLE.csv"})
      std::filesystem::copy_file(std::string(DIM_EXAMPLES) + "/" + name, FolderPath() + "/" + name);
    TFrmAXP& w = Start();
    w.OpenProject(Folder() + "EXAMPLE.DDN");
    TUproypFrm& b = *BudgetForm;
    b.Show();
    Application->ProcessMessages();
    const std::string study = (TestOutputFolder() / "budget_study_screen.png").string();
    screen->SaveScreenshot(b, study);
    b.Hide();
    CurrentBidderNo = 1;
    b.BidderNo = 1;
    b.CurrentOffer = &BidderDiscountTable.Ensure(1);
    b.SetBidderLayout();
    for (int r = 1; r <= BudgetRows; ++r)
      b.ProypGrid->SetCells(
          5, r, FormatNumNoBlanks(10, 2, static_cast<Byte>(NumberStyle), (*b.CurrentOffer)[r - 1].Value));
    b.Show();
    Application->ProcessMessages();
    const std::string bidder = (TestOutputFolder() / "budget_bidder_screen.png").string();
    screen->SaveScreenshot(b, bidder);
    b.Hide();
    {
      TindexForm index(nullptr);
      index.Show();
      Application->ProcessMessages();
      const std::string indexPicture = (TestOutputFolder() / "index_screen.png").string();
      screen->SaveScreenshot(index, indexPicture);
      EXPECT_GT(std::filesystem::file_size(indexPicture), 1000u);
      index.Hide();
    }
    EXPECT_GT(std::filesystem::file_size(study), 1000u);
    EXPECT_GT(std::filesystem::file_size(bidder), 1000u);
    EXPECT_NE(b.SumaGrid->Cells(6, 9), "");
    std::printf("pictures for review: %s %s\n", study.c_str(), bidder.c_str());
    delete BudgetForm;
    Stop();
  }
  unsetenv("DIM_BACKEND");
  unsetenv("DISPLAY");
  backend = &InstallHeadlessBackend();
  EXPECT_NE(screen, nullptr) << "no virtual display could be opened";
}

}  // namespace

namespace {

TEST_F(ProjectTest, FailedSaveLeavesTheOldFilesWhole) {
  TFrmAXP& w = EnterProject();
  ASSERT_TRUE(w.saverec(Folder() + "w.ddn"));
  const std::string project = ReadWholeFile(Folder() + "w.ddn");
  const std::string budget = ReadWholeFile(Folder() + "w.pry");
  w.StGrid->SetCellText(1, 4, "ΝΕΟΣ"_a);
  // A disk that fills up at any byte of the new files.
  for (rlim_t limit : {rlim_t{0}, rlim_t{100}, rlim_t{700}}) {
    struct rlimit saved;
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    auto oldHandler = ::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = saved;
    small.rlim_cur = limit;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    EXPECT_THROW(w.saverec(Folder() + "w.ddn"), EWriteError);
    ::setrlimit(RLIMIT_FSIZE, &saved);
    ::signal(SIGXFSZ, oldHandler);
    EXPECT_EQ(ReadWholeFile(Folder() + "w.ddn"), project);
    EXPECT_EQ(ReadWholeFile(Folder() + "w.pry"), budget);
  }
  // A read-only project is refused, not replaced.
  ::chmod((FolderPath() + "/w.ddn").c_str(), 0444);
  EXPECT_THROW(w.saverec(Folder() + "w.ddn"), EFCreateError);
  EXPECT_EQ(ReadWholeFile(Folder() + "w.ddn"), project);
}

TEST_F(ProjectTest, BudgetOpenButtonReadsOffersOnRequestAndSavesElsewhere) {
  TFrmAXP& w = EnterProject();
  ASSERT_TRUE(w.saverec(Folder() + "o.ddn"));
  const std::string saved = ReadWholeFile(Folder() + "o.pry");
  w.ClearProject();
  w.ProjectType = 1;
  TUproypFrm& b = EnsureBudgetForm();
  backend->ExpectModal("", [&](TCustomForm& f) {
    auto* edit = static_cast<TEdit*>(f.FindComponent("FileNameEdit"));
    edit->SetText(Folder() + "o.pry");
    edit->SetFocus();
    backend->PressKey(VK_RETURN);
  });
  backend->ExpectMessageBox("Να φορτωθούν και προσφορές"_a, IDYES);
  b.BtnOpen2Click(nullptr);
  EXPECT_EQ(BudgetRows, 3);
  ASSERT_TRUE(BidderDiscountTable.Has(1));
  EXPECT_EQ((*BidderDiscountTable.Get(1))[0].Mark, '#');
  EXPECT_EQ(OfferTable[2].EntryNo, 2);
  EXPECT_EQ(w.StGrid->GetCellText(1, 2), "2");
  // The next save goes to a new temporary file.
  const AnsiString temp = ExtractFileName(b.BudgetFileName);
  EXPECT_EQ(temp.size(), 12u);
  EXPECT_EQ(temp.substr(0, 1), "~");
  EXPECT_EQ(temp.substr(8), ".TMP");
  b.SaveProyp();
  EXPECT_EQ(ReadWholeFile(Folder() + "o.pry"), saved);
  EXPECT_TRUE(FileExists(b.BudgetFileName));
}

TEST_F(ProjectTest, AboutBoxShowsTitleAndMemory) {
  Start();
  backend->ExpectModal("Tolvicor", [&](TCustomForm& f) {
    auto* memory = static_cast<TLabel*>(f.FindComponent("lblAvailMemory"));
    EXPECT_TRUE(memory->Caption().ends_with(" KB"));
    EXPECT_NE(memory->Caption(), "0 KB");
    EXPECT_EQ(static_cast<TLabel*>(f.FindComponent("version_name"))->Caption(), form->Title);
    f.SetModalResult(mrOk);
  });
  form->N16->Click();
}

}  // namespace

namespace {

// Each command's questions, answered both ways: what goes on and what stays.
struct QuestionCase {
  const char* name;
  bool modified;
  int budgetRows;
  std::vector<std::pair<const char*, int>> answers;
  bool acts;
};

class CommandQuestions : public ProjectTest, public ::testing::WithParamInterface<QuestionCase> {};

TEST_P(CommandQuestions, ClearAsksAndCancelKeepsTheProject) {
  const QuestionCase& c = GetParam();
  TFrmAXP& w = Start();
  w.StGrid->SetCellText(1, 1, "ΑΛΦΑ"_a);
  ProjectModified = c.modified;
  BudgetChanged = 1;
  BudgetRows = static_cast<Word>(c.budgetRows);
  for (const auto& [text, answer] : c.answers) backend->ExpectMessageBox(cp1253::FromUtf8(text), answer);
  w.ClearButton->Click();
  EXPECT_EQ(w.StGrid->GetCellText(1, 1).empty(), c.acts);
}

TEST_P(CommandQuestions, OpenAsksAndCancelKeepsTheProject) {
  const QuestionCase& c = GetParam();
  TFrmAXP& w = Start();
  w.StGrid->SetCellText(1, 1, "ΑΛΦΑ"_a);
  ProjectModified = c.modified;
  BudgetChanged = 1;
  BudgetRows = static_cast<Word>(c.budgetRows);
  // Open asks the same questions with its own words; the budget one takes OK.
  for (const auto& [text, answer] : c.answers) {
    const bool project = std::string(text).find("όλα") != std::string::npos;
    backend->ExpectMessageBox(project ? "Να αγνοηθούν οι αλλαγές;"_a : "Nα αγνοηθούν τα στοιχεία"_a,
                              !project && answer == IDYES ? IDOK : answer);
  }
  if (c.acts) backend->ExpectModal("", mrCancel);  // the open dialog, cancelled
  w.BtnOpen->Click();
  EXPECT_FALSE(w.StGrid->GetCellText(1, 1).empty());
}

const char* const ClearAll = "Nα μηδενιστούν όλα τα στοιχεία ;";
const char* const ClearBudget = "Nα μηδενιστούν τα στοιχεία προϋπολογισμού μελέτης;";

INSTANTIATE_TEST_SUITE_P(
    Both, CommandQuestions,
    ::testing::Values(QuestionCase{"Unchanged", false, 0, {}, true},
                      QuestionCase{"ModifiedYes", true, 0, {{ClearAll, IDYES}}, true},
                      QuestionCase{"ModifiedCancel", true, 0, {{ClearAll, IDCANCEL}}, false},
                      QuestionCase{"BudgetYes", false, 2, {{ClearBudget, IDYES}}, true},
                      QuestionCase{"BudgetCancel", false, 2, {{ClearBudget, IDCANCEL}}, false},
                      QuestionCase{"BothYes", true, 2, {{ClearAll, IDYES}, {ClearBudget, IDYES}}, true}),
    [](const ::testing::TestParamInfo<QuestionCase>& info) { return std::string(info.param.name); });

TEST_F(ProjectTest, DeleteRowCancelledKeepsTheRow) {
  TFrmAXP& w = Start();
  w.StGrid->SetCellText(1, 1, "ΑΛΦΑ"_a);
  w.StGrid->SetFocus();
  backend->ExpectMessageBox("Να διαγραφεί η γραμμή;"_a, IDCANCEL);
  w.Button2->Click();
  EXPECT_EQ(w.StGrid->GetCellText(1, 1), "ΑΛΦΑ"_a);
  EXPECT_EQ(ProjectModified, 0);
}

TEST_F(ProjectTest, IndexSortsByAHeadingClickUpThenDown) {
  Start();
  for (const char* name : {"beta", "gamma", "alpha"}) std::ofstream(FolderPath() + "/" + name + ".ddn");
  TindexForm index(nullptr);
  index.Show();
  Application->ProcessMessages();
  TExtStringGrid& grid = *index.IndexGrid;
  auto names = [&] {
    std::vector<AnsiString> out;
    for (int r = 1; r < grid.RowCount(); ++r) out.push_back(grid.Cells(1, r));
    return out;
  };
  AnsiString gammaNumber;
  for (int r = 1; r < grid.RowCount(); ++r)
    if (grid.Cells(1, r) == "gamma") gammaNumber = grid.Cells(0, r);
  const TRect heading = grid.CellRect(1, 0);
  backend->Click(grid, heading.Left + heading.Width() / 2, heading.Top + 5);
  EXPECT_EQ(names(), (std::vector<AnsiString>{"alpha", "beta", "gamma"}));
  backend->Advance(1000);
  backend->Click(grid, heading.Left + heading.Width() / 2, heading.Top + 5);
  EXPECT_EQ(names(), (std::vector<AnsiString>{"gamma", "beta", "alpha"}));
  // The listing's numbers travel with their rows.
  EXPECT_EQ(grid.Cells(0, 1), gammaNumber);
}

TEST_F(ProjectTest, IndexListsAtMost999Files) {
  Start();
  for (int i = 0; i < 1000; ++i) std::ofstream(FolderPath() + "/p" + std::to_string(i) + ".ddn");
  TindexForm index(nullptr);
  EXPECT_EQ(index.FileCount, 999);
  EXPECT_EQ(index.IndexGrid->RowCount(), 1000);
  backend->ExpectMessageBox("σημειωμένα"_a, IDNO);
  index.IndexGrid->SetRow(5);
  index.deletebtnClick(nullptr);
  TCloseAction action = caHide;
  index.FormClose(nullptr, action);
  EXPECT_TRUE(FileExists(Folder() + index.IndexGrid->Cells(1, 5) + ".ddn"));
  index.CheckBox1->SetChecked(true);  // old projects: none, and the marks are forgotten
  EXPECT_EQ(index.FileCount, 0);
  EXPECT_EQ(index.MarkedCount, 0);
}

}  // namespace

namespace {

TEST_F(ProjectTest, IndexChoiceOpensAfterTheQuestionAboutChanges) {
  TFrmAXP& w = EnterProject();
  ASSERT_TRUE(w.saverec(Folder() + "chosen.ddn"));
  w.StGrid->SetCellText(1, 1, "ΑΛΛΑΓΗ"_a);
  ProjectModified = 1;
  const auto choose = [&](TCustomForm& f) {
    auto& index = static_cast<TindexForm&>(f);
    index.IndexGrid->SetRow(1);
    index.BitBtn2->Click();
  };
  backend->ExpectModal("Ευρετήριο"_a, choose);
  backend->ExpectMessageBox("Να αγνοηθούν οι αλλαγές;"_a, IDCANCEL);
  w.BitBtn2->Click();
  EXPECT_EQ(w.StGrid->GetCellText(1, 1), "ΑΛΛΑΓΗ"_a);
  EXPECT_TRUE(w.CommandLineProject.empty());
  backend->ExpectModal("Ευρετήριο"_a, choose);
  backend->ExpectMessageBox("Να αγνοηθούν οι αλλαγές;"_a, IDYES);
  w.BitBtn2->Click();
  EXPECT_EQ(w.StGrid->GetCellText(1, 1), "ΑΛΦΑ"_a);
  EXPECT_EQ(ExtractFileName(w.SaveDialog1->FileName), "chosen.ddn");
}

}  // namespace
