// What the main window keeps from being lost: changes of the offers made by
// paste, cut, a moved row or a calculation mark the project changed; a
// temporary budget outlives a save that did not write it; the start shows
// the project type in force; a refused calculation leaves nothing to print.
#include <filesystem>

#include "MainWindowFixture.h"
#include "platform/ui/Clipbrd.h"
#include "tender/OfferCalc.h"
#include "tender/ProjectFile.h"

namespace {

const char* const DiscardChanges = "Να αγνοηθούν οι αλλαγές;";

TDateTime TenderDay() { return EncodeDate(2026, 12, 7) + 0.4; }

class SafetyTest : public MainWindowTest {
 protected:
  void SetUp() override {
    MainWindowTest::SetUp();
    SetClock(&TenderDay);
    BidderDiscountTable.FreeAll();
  }
  void TearDown() override {
    delete BudgetForm;
    BidderDiscountTable.FreeAll();
    MainWindowTest::TearDown();
    SetClock(nullptr);
  }
  // Εξοδος, answering Cancel to the question about the changes; true when
  // the window asked it.
  bool ExitAsks(TFrmAXP& w) {
    const size_t before = backend->MessageBoxes.size();
    backend->ExpectMessageBox(cp1253::FromUtf8(DiscardChanges), IDCANCEL);
    Press(*w.ExitButton);
    return backend->MessageBoxes.size() > before;
  }

 public:
  THeadlessBackend& Desktop() { return *backend; }
  TPoint CellMiddle(int col, int row) {
    const TRect r = form->StGrid->CellRect(col, row);
    return {(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2};
  }
};

void SelectCell(TFrmAXP& w, int col, int row) {
  w.StGrid->SetFocus();
  w.StGrid->SetSelection(TGridRect{col, row, col, row});
}

// ---- changes of the offers other than typing ----------------------------------------------

struct OfferChange {
  const char* what;
  void (*act)(SafetyTest& t, TFrmAXP& w);
};

class OffersChange : public SafetyTest, public testing::WithParamInterface<OfferChange> {};

TEST_P(OffersChange, MarksTheProjectChangedAndExitAsks) {
  TFrmAXP& w = Start();
  // Offers already there, as a project read from its file has them.
  w.StGrid->SetCellText(ColName, 1, "ΑΛΦΑ"_a);
  w.StGrid->SetCellText(ColAmount, 1, "900");
  w.StGrid->SetCellText(ColName, 2, "ΒΗΤΑ"_a);
  w.StGrid->SetCellText(ColDiscount, 2, "12");
  Clipboard()->SetAsText("ΓΑΜΜΑ\t950\r\nΔΕΛΤΑ\t980\r\n"_a);
  ASSERT_EQ(ProjectModified, 0);
  GetParam().act(*this, w);
  EXPECT_EQ(ProjectModified, 1) << GetParam().what;
  EXPECT_TRUE(ExitAsks(w)) << GetParam().what;
  EXPECT_TRUE(w.Visible());
}

INSTANTIATE_TEST_SUITE_P(
    Safety, OffersChange,
    testing::Values(OfferChange{"paste from the grid's menu",
                                [](SafetyTest&, TFrmAXP& w) {
                                  SelectCell(w, ColName, 3);
                                  w.PasteFromCipBoard->Click();
                                }},
                    OfferChange{"Ctrl+V",
                                [](SafetyTest& t, TFrmAXP& w) {
                                  SelectCell(w, ColName, 3);
                                  t.Desktop().PressKey('V', {ssCtrl});
                                }},
                    OfferChange{"Shift+Insert",
                                [](SafetyTest& t, TFrmAXP& w) {
                                  SelectCell(w, ColName, 3);
                                  t.Desktop().PressKey(VK_INSERT, {ssShift});
                                }},
                    OfferChange{"Ctrl+X",
                                [](SafetyTest& t, TFrmAXP& w) {
                                  w.StGrid->SetFocus();
                                  w.StGrid->SetSelection(TGridRect{ColName, 2, ColDiscount, 2});
                                  t.Desktop().PressKey('X', {ssCtrl});
                                  ASSERT_TRUE(w.StGrid->GetCellText(ColName, 2).empty());
                                }},
                    OfferChange{"paste into the cell's editor, then Enter",
                                [](SafetyTest& t, TFrmAXP& w) {
                                  Clipboard()->SetAsText("ΕΨΙΛΟΝ"_a);
                                  SelectCell(w, ColName, 3);
                                  auto& b = t.Desktop();
                                  b.PressKey(VK_F2);
                                  b.PressKey('V', {ssCtrl});
                                  b.PressKey(VK_RETURN);
                                  ASSERT_EQ(w.StGrid->GetCellText(ColName, 3), "ΕΨΙΛΟΝ"_a);
                                }},
                    OfferChange{"a row dragged by its number", [](SafetyTest& t, TFrmAXP& w) {
                                  const TPoint from = t.CellMiddle(0, 1), to = t.CellMiddle(0, 3);
                                  t.Desktop().PressMouse(*w.StGrid, from.X, from.Y);
                                  t.Desktop().MoveMouse(*w.StGrid, to.X, to.Y);
                                  t.Desktop().ReleaseMouse(*w.StGrid, to.X, to.Y);
                                  ASSERT_EQ(w.StGrid->GetCellText(ColName, 3), "ΑΛΦΑ"_a);
                                }}));

TEST_F(SafetyTest, PastedAmountsMakeTheOldResultsStaleAsTypingDoes) {
  TFrmAXP& w = Start();
  w.StGrid->SetCellText(ColRemark, 1, "!");
  Clipboard()->SetAsText("ΑΛΦΑ\t900"_a);
  SelectCell(w, ColName, 1);
  backend->PressKey('V', {ssCtrl});
  EXPECT_TRUE(w.StGrid->GetCellText(ColRemark, 1).empty());
  // A remark pasted alone keeps what it pasted.
  ProjectModified = 0;
  Clipboard()->SetAsText("σημείωση"_a);
  SelectCell(w, ColRemark, 2);
  backend->PressKey('V', {ssCtrl});
  EXPECT_EQ(w.StGrid->GetCellText(ColRemark, 2), "σημείωση"_a);
  EXPECT_EQ(ProjectModified, 1);
}

TEST_F(SafetyTest, CalculationThatDropsARowMarksTheProjectChanged) {
  // A stored record without name, amount or discount: the calculation
  // skips it, so the offers after it move up.
  std::vector<OfferRecord> offers(3);
  offers[0].EntryNo = 1;
  offers[0].BidderName = "ΑΛΦΑ"_a;
  offers[0].RoundedDiscount = offers[0].Discount = 10;
  offers[1].EntryNo = 2;
  offers[2].EntryNo = 3;
  offers[2].BidderName = "ΓΑΜΜΑ"_a;
  offers[2].RoundedDiscount = offers[2].Discount = 12;
  TProjectHeader header;
  header.Date = DateToStr(Date());
  header.ResetOptions();
  header.StoreOfferCount(3);
  SafeWriteFile(Folder() + "gap.ddn", EncodeProjectFile(header, offers));
  TFrmAXP& w = Start();
  w.OpenProject(Folder() + "gap.ddn");
  ASSERT_EQ(w.StGrid->GetCellText(ColDiscount, 2), "0");
  ASSERT_EQ(ProjectModified, 0);
  Press(*w.docalc);
  ASSERT_EQ(w.StGrid->GetCellText(ColName, 1), "ΓΑΜΜΑ"_a);
  EXPECT_EQ(ProjectModified, 1);
  EXPECT_TRUE(ExitAsks(w));
}

TEST_F(SafetyTest, CalculatingTheStoredExampleChangesNothing) {
  for (const char* name : {"EXAMPLE.DDN", "EXAMPLE.pry", "EXAMPLE.csv"})
    std::filesystem::copy_file(std::string(DIM_EXAMPLES) + "/" + name, FolderPath() + "/" + name);
  TFrmAXP& w = Start();
  w.OpenProject(Folder() + "EXAMPLE.DDN");
  Press(*w.docalc);
  ASSERT_TRUE(w.doprint->Enabled());
  // Ranked in another order, but the same offers: nothing to ask.
  EXPECT_EQ(ProjectModified, 0);
  Press(*w.ExitButton);
  EXPECT_TRUE(backend->MessageBoxes.empty());
  EXPECT_FALSE(w.Visible());
}

// ---- the project type at start --------------------------------------------------------------

TEST_F(SafetyTest, FreshStartShowsTheTypeInForceAndNoBudgetWithoutOne) {
  TFrmAXP& w = Start();
  EXPECT_EQ(w.RadioGroupZephType->ItemIndex(), w.ProjectType);
  EXPECT_EQ(w.ProInputBtn->Enabled(), w.ProjectType >= 1);
}

// ---- a temporary budget -----------------------------------------------------------------------

TEST_F(SafetyTest, TemporaryBudgetOutlivesASaveThatDidNotWriteIt) {
  TFrmAXP& w = Start();
  w.EditDiair->SetText("1000");
  ProjectHeader.Divisor = 1000;
  w.StGrid->SetCellText(ColName, 1, "ΑΛΦΑ"_a);
  w.StGrid->SetCellText(ColAmount, 1, "900");
  // A budget entered while the project has no budget type (taken as one by
  // work items) saves no .pry.
  TUproypFrm& budget = EnsureBudgetForm();
  budget.SetStudyLayout();
  budget.ProypGrid->SetCells(1, 1, "Α.1"_a);
  budget.ProypGrid->SetCells(2, 1, "2");
  budget.ProypGrid->SetCells(3, 1, "500");
  budget.RecalcClick(nullptr);
  budget.Show();
  budget.Close();
  const AnsiString temporary = budget.BudgetFileName;
  ASSERT_EQ(UpperCase(ExtractFileExt(temporary)), ".TMP");
  ASSERT_TRUE(FileExists(temporary));
  ASSERT_EQ(BudgetChanged, 1);
  w.ProjectType = 0;
  ProjectModified = 1;
  backend->ExpectMessageBox(cp1253::FromUtf8(DiscardChanges), IDYES);
  backend->ExpectMessageBox("προϋπολογισμού μελέτης"_a, IDCANCEL);
  backend->ExpectModal("", [&](TCustomForm& f) {
    auto* edit = static_cast<TEdit*>(f.FindComponent("FileNameEdit"));
    edit->SetText(Folder() + "kept.ddn");
    edit->SetFocus();
    backend->PressKey(VK_RETURN);
  });
  Press(*w.ExitButton);
  EXPECT_TRUE(FileExists(Folder() + "kept.ddn"));
  EXPECT_FALSE(FileExists(Folder() + "kept.pry"));
  // The budget the user kept has no other copy.
  EXPECT_TRUE(FileExists(temporary));
  std::filesystem::remove(cp1253::ToUtf8(temporary));
  std::filesystem::remove(cp1253::ToUtf8(BudgetCsvName(temporary)));
}

// ---- a zero discount without an amount ------------------------------------------------------

// An offer of 0 % typed without an amount is no void offer, before the
// save and after the project is opened again.
class ZeroDiscountOffer : public SafetyTest, public testing::WithParamInterface<const char*> {
 protected:
  std::vector<AnsiString> Ranking(TFrmAXP& w) {
    std::vector<AnsiString> ranking;
    for (int row = 1; row <= 3; ++row)
      ranking.push_back(w.StGrid->GetCellText(ColName, row) + "|" + w.StGrid->GetCellText(ColDiscount, row));
    return ranking;
  }
  static bool ReportHasVoid(TFrmAXP& w) { return w.PrMemo->Text().find("ΑΚΥΡΗ"_a) != AnsiString::npos; }
};

TEST_P(ZeroDiscountOffer, KeepsItsRankAfterSaveAndOpen) {
  TFrmAXP& w = Start();
  TypeCell(ColName, 1, "ΑΛΦΑ"_a);
  TypeCell(ColDiscount, 1, "10");
  TypeCell(ColName, 2, "ΒΗΤΑ"_a);
  TypeCell(ColDiscount, 2, GetParam());
  TypeCell(ColName, 3, "ΓΑΜΜΑ"_a);
  TypeCell(ColDiscount, 3, "5");
  Press(*w.docalc);
  const std::vector<AnsiString> ranking = Ranking(w);
  ASSERT_EQ(ranking[2].substr(0, ranking[2].find('|')), "ΒΗΤΑ"_a);
  ASSERT_FALSE(ReportHasVoid(w));

  ASSERT_TRUE(w.saverec(Folder() + "zero.ddn"));
  w.ClearProject();
  ASSERT_TRUE(w.OpenProject(Folder() + "zero.ddn"));
  ASSERT_EQ(OfferTable[3].BidderName.Str(), "ΒΗΤΑ"_a);  // stored in the ranking's order
  EXPECT_NE(OfferTable[3].RoundedDiscount, 0);
  Press(*w.docalc);
  EXPECT_EQ(Ranking(w), ranking);
  EXPECT_FALSE(ReportHasVoid(w));
}

INSTANTIATE_TEST_SUITE_P(Safety, ZeroDiscountOffer, testing::Values("0.00", "0,00", "00"));

// ---- printing after a refused calculation --------------------------------------------------

struct Refusal {
  const char* what;
  const char* amount;
  const char* discount;
  const char* message;
};

class RefusedCalculation : public SafetyTest, public testing::WithParamInterface<Refusal> {};

TEST_P(RefusedCalculation, LeavesNothingToPrint) {
  TFrmAXP& w = Start();
  TypeCell(ColName, 1, "ΑΛΦΑ"_a);
  TypeCell(ColDiscount, 1, "10");
  Press(*w.docalc);
  ASSERT_TRUE(w.doprint->Enabled());
  ASSERT_TRUE(w.doprintq->Enabled());
  TypeCell(ColName, 2, "ΒΗΤΑ"_a);
  if (*GetParam().amount) TypeCell(ColAmount, 2, GetParam().amount);
  if (*GetParam().discount) TypeCell(ColDiscount, 2, GetParam().discount);
  backend->ExpectMessageBox(cp1253::FromUtf8(GetParam().message), IDOK);
  Press(*w.docalc);
  EXPECT_FALSE(w.doprint->Enabled()) << GetParam().what;
  EXPECT_FALSE(w.doprintq->Enabled()) << GetParam().what;
}

INSTANTIATE_TEST_SUITE_P(Safety, RefusedCalculation,
                         testing::Values(Refusal{"missing divisor", "900", "", "Δεν έχει εισαχθεί Διαιρέτης"},
                                         Refusal{"discount over 100", "", "150",
                                                 "Έχει Εισαχθεί Έκπτωση Μεγαλύτερη του 100%"}));

// An offer typed below a row without one is never left out of a ranking:
// the calculation is refused, naming the row, until the row has an offer.
TEST_F(SafetyTest, AnOfferBelowARowWithoutOneIsNotLeftOut) {
  TFrmAXP& w = Start();
  TypeCell(ColName, 1, "ΑΛΦΑ"_a);
  TypeCell(ColDiscount, 1, "10");
  TypeCell(ColName, 2, "ΒΗΤΑ"_a);
  TypeCell(ColName, 3, "ΓΑΜΜΑ"_a);
  TypeCell(ColDiscount, 3, "5");
  w.StGrid->SetRow(5);
  backend->ExpectMessageBox(GapInOffersMessage(2), IDOK);
  Press(*w.docalc);
  EXPECT_EQ(backend->PendingAnswers(), 0);
  EXPECT_FALSE(w.doprint->Enabled());
  EXPECT_FALSE(w.doprintq->Enabled());
  EXPECT_FALSE(w.dopreview->Enabled());
  EXPECT_EQ(w.PrMemo->Lines().Count(), 0);
  EXPECT_EQ(w.StGrid->Row(), 2);  // the row to complete or delete

  TypeCell(ColDiscount, 2, "7");
  Press(*w.docalc);
  ASSERT_TRUE(w.doprint->Enabled());
  EXPECT_TRUE(w.doprintq->Enabled());
  EXPECT_EQ(OfferCount, 3);
  const char* ranked[] = {"ΑΛΦΑ", "ΒΗΤΑ", "ΓΑΜΜΑ"};
  for (int row = 1; row <= 3; ++row)
    EXPECT_EQ(w.StGrid->GetCellText(ColName, row), cp1253::FromUtf8(ranked[row - 1])) << row;
  for (const char* name : ranked)
    EXPECT_NE(w.PrMemo->Text().find(cp1253::FromUtf8(name)), AnsiString::npos) << name;
}

}  // namespace
