// The normality check in the budget window: the buttons, the messages
// answered from a script, the update button, the report file loaded into
// the memo and shown by the preview button, and the update's questions.
#include <filesystem>
#include <fstream>
#include <set>

#include "platform/rtl/Cp1253.h"
#include "platform/rtl/FileUtils.h"
#include "printing/Prevunt.h"
#include "printing/Qprint.h"
#include "tender/OfferCalc.h"
#include "tender/Uproyp5CheckReport.h"
#include "tests/platform/rtl/ScopedEnv.h"
#include "tests/tender/MainWindowFixture.h"

namespace {

class CheckWindow : public MainWindowTest {
 protected:
  // The window lives for the run: the next test gets a fresh one.
  void TearDown() override {
    delete BudgetForm;
    MainWindowTest::TearDown();
  }
  // A categories study budget of three rows, then the bidder's offer.
  TUproypFrm& Offer(const char* second, const char* thirdCost = "900") {
    TUproypFrm& b = StudyBudget(2);
    for (int r = 1; r < 40; ++r)
      for (int c = 1; c < b.ProypGrid->ColCount(); ++c) b.ProypGrid->SetCells(c, r, "");
    const char* names[] = {"Χωματουργικά", "Τεχνικά", "Οδοστρωσία"};
    const char* costs[] = {"8680", "420", thirdCost};
    for (int r = 1; r <= 3; ++r) {
      b.ProypGrid->SetCells(3, r, cp1253::FromUtf8(names[r - 1]));
      b.ProypGrid->SetCells(4, r, costs[r - 1]);
    }
    b.SumaGrid->SetCells(3, 2, "0");
    b.resum(true);
    b.SetBidderLayout();
    b.CheckEnabled = 1;
    b.ProypGrid->SetCells(5, 1, "20");
    b.ProypGrid->SetCells(5, 2, second);
    b.ProypGrid->SetCells(5, 3, "13");
    b.RecalcClick(nullptr);
    b.CheckEnabled = 1;
    return b;
  }
};

TEST_F(CheckWindow, ToleratedCategoryAcceptedWithItsMessages) {
  TUproypFrm& b = Offer("35");
  b.BudgetFileName.clear();
  b.Show();
  Application->ProcessMessages();
  EXPECT_FALSE(b.getbtn->Enabled());
  backend->ExpectMessageBox("Βρέθηκαν 1 Ανώμαλα ποσοστά !!"_a, IDOK);
  backend->ExpectMessageBox("Ανώμαλα (Μεγάλα) ποσοστά"_a, IDOK);
  b.DoCheckBtn->Click();
  EXPECT_EQ(b.ProypGrid->Cells(7, 2), "O.K.ΑΝΩΜΑΛΟ !"_a);
  EXPECT_TRUE(b.getbtn->Enabled());
  EXPECT_TRUE(b.PrintProyp->Enabled());
  EXPECT_TRUE(b.doProPreview->Visible());
  EXPECT_TRUE(b.BtnFont->Visible());
  EXPECT_EQ(b.Label5->Caption(), "Και κατ΄εξαίρεση πρόσθετη απόκλιση 0,10*(1-Εμ): +/-   8.0000%"_a);
  // The report is in its file and in the memo.
  ASSERT_TRUE(FileExists(CheckReportFileName));
  EXPECT_GT(b.Memo1->Lines().Count(), 20);
  EXPECT_EQ(b.Memo1->Lines()[0], ProjectHeader.ProjectText.Str());
  bool marked = false;
  for (int i = 0; i < b.Memo1->Lines().Count(); ++i)
    marked |= b.Memo1->Lines()[i].find("!O.K.(κατ΄εξαίρεση)"_a) != AnsiString::npos;
  EXPECT_TRUE(marked);
  // Shown by the preview button.
  Press(*b.doProPreview);
  Application->ProcessMessages();
  EXPECT_TRUE(b.Memo1->Visible());
  backend->SaveWindowPng(b, (TestOutputFolder() / "check_report_preview.png").string());
  Press(*b.doProPreview);
  EXPECT_FALSE(b.Memo1->Visible());
  b.Hide();
}

TEST_F(CheckWindow, HardAnomalyAndTheUpdateQuestionBothWays) {
  TUproypFrm& b = Offer("37");
  backend->ExpectMessageBox("Βρέθηκαν 1 Ανώμαλα ποσοστά !!"_a, IDOK);
  b.DoCheckBtn->Click();
  EXPECT_EQ(b.ProypGrid->Cells(7, 2), "ΑΝΩΜΑΛΟ *"_a);
  EXPECT_FALSE(b.getbtn->Enabled());
  EXPECT_EQ(b.LastCheck.AcceptedByException, 0);
  form->StGrid->SetRow(1);
  struct Case {
    int answer;
    const char* amount;
    const char* discount;
  };
  for (const Case c : {Case{IDNO, "", "0"}, Case{IDYES, "7,991.60", "20.084"}}) {
    backend->ExpectMessageBox("Υπάρχει περίπτωση ανωμαλίας"_a, c.answer);
    b.getbtnClick(nullptr);
    EXPECT_EQ(Trim(form->StGrid->Cells(ColAmount, 1)), c.amount);
    EXPECT_EQ(Trim(form->StGrid->Cells(ColDiscount, 1)), c.discount);
  }
}

TEST_F(CheckWindow, AUniformDiscountAsksWhetherTheAmountIsTheAuxiliaryOffer) {
  TUproypFrm& b = Offer("20", "900.01");
  b.ProypGrid->SetCells(5, 3, "20");
  // The mean discount rounded by the tender's rule: 20 % exactly.
  b.CheckBox2->SetChecked(false);
  b.RecalcClick(nullptr);
  backend->ExpectMessageBox("ΟΜΑΛΗ ΠΡΟΣΦΟΡΑ"_a, IDOK);
  b.DoCheckBtn->Click();
  EXPECT_EQ(b.LastCheck.UniformDiscount, 20);
  form->StGrid->SetRow(1);
  struct Case {
    int answer;
    const char* amount;
  };
  // 0.8 x 10,000.01 has three decimals, the offer's own total two.
  for (const Case c : {Case{IDNO, "8,000.01"}, Case{IDYES, "8,000.00800"}}) {
    backend->ExpectMessageBox("ενιαία"_a, c.answer);
    b.getbtnClick(nullptr);
    EXPECT_EQ(Trim(form->StGrid->Cells(ColAmount, 1)), c.amount);
  }
  b.CheckBox2->SetChecked(true);
}

TEST_F(CheckWindow, CalculationWithoutTheCheckWritesTheReportUnchecked) {
  TUproypFrm& b = Offer("37");
  // An older report under another case of the name stays apart.
  std::ofstream(FolderPath() + "/temp.@@@") << "old report\r\n";
  b.BitBtn3->Click();
  EXPECT_EQ(b.CheckEnabled, 1);
  EXPECT_TRUE(b.getbtn->Enabled());
  EXPECT_EQ(b.ProypGrid->Cells(7, 2), "");
  bool unchecked = false;
  for (int i = 0; i < b.Memo1->Lines().Count(); ++i) {
    EXPECT_NE(b.Memo1->Lines()[i], "old report");
    unchecked |= b.Memo1->Lines()[i].find("(ΧΩΡΙΣ ΕΛΕΓΧΟ)"_a) != AnsiString::npos;
  }
  EXPECT_TRUE(unchecked);
}

TEST_F(CheckWindow, ANonWholeDiscountStopsWithoutAReport) {
  TUproypFrm& b = Offer("35");
  b.ProypGrid->SetCells(5, 2, "35.5");
  b.PrintProyp->SetEnabled(false);
  backend->ExpectMessageBox("Μη ακέραιο το 2ο Ποσοστό Προσφοράς"_a, IDOK);
  b.DoCheckBtn->Click();
  EXPECT_FALSE(b.PrintProyp->Enabled());
}

// An offer taken into the offers grid from its budget changes a ranking
// already calculated: its preview and printing wait for the next
// calculation.
TEST_F(CheckWindow, AnOfferTakenFromItsBudgetForgetsTheResults) {
  TUproypFrm& b = Offer("20");
  TFrmAXP& w = *form;
  TypeField(*w.EditDiair, "10000");
  TypeCell(ColName, 1, "ΑΛΦΑ"_a);
  TypeCell(ColAmount, 1, "9500");
  TypeCell(ColName, 2, "ΒΗΤΑ"_a);
  TypeCell(ColAmount, 2, "9000");
  Press(*w.docalc);
  ASSERT_TRUE(w.dopreview->Enabled());
  ASSERT_TRUE(w.doprint->Enabled());
  const int row = w.StGrid->GetCellText(ColName, 1) == "ΑΛΦΑ"_a ? 1 : 2;
  w.StGrid->SetRow(row);
  b.BudgetFileName.clear();
  b.Show();
  Application->ProcessMessages();
  backend->ExpectMessageBox("ΟΜΑΛΗ ΠΡΟΣΦΟΡΑ"_a, IDOK);
  b.DoCheckBtn->Click();
  ASSERT_TRUE(b.getbtn->Enabled());
  ASSERT_TRUE(w.doprint->Enabled());  // moving to the bidder's row forgot nothing
  Press(*b.getbtn);
  EXPECT_FALSE(b.Visible());
  EXPECT_NE(Trim(w.StGrid->GetCellText(ColAmount, row)), "9500");
  EXPECT_TRUE(w.dopreview->Enabled());
  EXPECT_FALSE(w.doprint->Enabled());
  EXPECT_FALSE(w.doprintq->Enabled());
  EXPECT_FALSE(w.N6->Enabled || w.N7->Enabled);
  Press(*w.docalc);
  EXPECT_TRUE(w.doprint->Enabled());
}

TEST_F(CheckWindow, ThePrintButtonShowsTheReportFormForTheCheckReport) {
  TUproypFrm& b = Offer("20");
  ReportForm = NewForm<TrpForm>(nullptr);
  backend->ExpectMessageBox("ΟΜΑΛΗ ΠΡΟΣΦΟΡΑ"_a, IDOK);
  b.DoCheckBtn->Click();
  backend->ExpectModal("", mrCancel);
  b.PrintProyp->Click();
  EXPECT_EQ(ReportForm->ReportKind, 2);
  // While the form is showing a second print does nothing.
  ReportForm->ReportKind = 0;
  ReportForm->ShowGuard = 10;
  b.PrintProyp->Click();
  EXPECT_EQ(ReportForm->ReportKind, 0);
  delete ReportForm;
  ReportForm = nullptr;
}

// A report that cannot be written leaves nothing of the check before to
// preview or print as if it were this one.
TEST_F(CheckWindow, AReportThatCannotBeWrittenLeavesNoOldOneToPrint) {
  namespace fs = std::filesystem;
  TUproypFrm& b = Offer("20");
  b.Show();
  backend->ExpectMessageBox("ΟΜΑΛΗ ΠΡΟΣΦΟΡΑ"_a, IDOK);
  b.DoCheckBtn->Click();
  ASSERT_GT(b.Memo1->Lines().Count(), 20);
  ASSERT_TRUE(b.PrintProyp->Enabled());
  // A folder in the file's place: the write fails.
  const std::string report = cp1253::ToUtf8(ProgramFolderSource() + CheckReportFileName);
  fs::remove(report);
  fs::create_directory(report);
  backend->ExpectMessageBox("ΟΜΑΛΗ ΠΡΟΣΦΟΡΑ"_a, IDOK);
  EXPECT_ANY_THROW(b.DoCheckBtn->Click());
  EXPECT_EQ(b.Memo1->Lines().Count(), 0);
  EXPECT_FALSE(b.PrintProyp->Enabled());
  EXPECT_FALSE(b.PrintProypq->Enabled());
  EXPECT_FALSE(b.doProPreview->Enabled());
  b.Hide();
  fs::remove(report);
}

// A run started from a folder of its own writes its settings, its check
// report and the calculation preview's "Save" into the program's folder in
// the user's data folder, made at its first start; nothing beside the
// executable, nothing where it was started, and nothing where a file
// dialog has since moved the current folder.
TEST_F(CheckWindow, TheProgramsFilesGoToTheUsersDataFolderWhereverADialogLeftTheCurrentFolder) {
  namespace fs = std::filesystem;
  const std::string top = FolderPath();
  ScopedEnv home("HOME", top + "/home");
  ScopedEnv data("XDG_DATA_HOME", top + "/data");
  ProgramFolderSource = &GetProgramFolder;
  ShippedFolderSource = &GetExecutableFolder;
  const auto listing = [](const std::string& folder) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.insert(entry.path().filename().string());
    return names;
  };
  const std::string exe = cp1253::ToUtf8(GetExecutableFolder());
  const std::set<std::string> besideExe = listing(exe);
  for (const char* sub : {"/start", "/documents"}) fs::create_directories(top + sub);
  SetCurrentDir(cp1253::FromUtf8(top + "/start"));
  ASSERT_FALSE(fs::exists(top + "/data/dimoprasia"));

  TUproypFrm& b = Offer("20");
  const std::string program = top + "/data/dimoprasia/";
  ASSERT_TRUE(fs::is_directory(program));
  b.Show();
  backend->ExpectMessageBox("ΟΜΑΛΗ ΠΡΟΣΦΟΡΑ"_a, IDOK);
  b.DoCheckBtn->Click();
  EXPECT_TRUE(fs::exists(program + "TEMP.@@@"));
  b.Hide();

  // The project saved into the user's documents: the dialog leaves the
  // current folder there.
  TypeCell(1, 1, "ΑΛΦΑ"_a);
  TypeCell(3, 1, "10");
  Press(*form->docalc);
  ASSERT_NE(PreviewForm, nullptr);
  const AnsiString project = cp1253::FromUtf8(top + "/documents/έργο.ddn");
  backend->ExpectModal("", [&](TCustomForm& f) {
    auto* edit = static_cast<TEdit*>(f.FindComponent("FileNameEdit"));
    edit->SetText(project);
    edit->SetFocus();
    backend->PressKey(VK_RETURN);
  });
  form->SaveAs->Click();
  ASSERT_TRUE(FileExists(project));
  ASSERT_EQ(GetCurrentDir(), cp1253::FromUtf8(top + "/documents"));

  fs::remove(program + "TEMP.@@@");
  b.Show();
  backend->ExpectMessageBox("ΟΜΑΛΗ ΠΡΟΣΦΟΡΑ"_a, IDOK);
  b.DoCheckBtn->Click();
  EXPECT_GT(b.Memo1->Lines().Count(), 20);
  b.Hide();
  PreviewForm->FileSave(PreviewForm);
  form->Close();
  EXPECT_FALSE(form->Visible());

  EXPECT_EQ(listing(program), (std::set<std::string>{"TEMP.@@@", "def.knd", "Προεπισκόπηση υπολογισμών"}));
  EXPECT_EQ(listing(top + "/documents"), (std::set<std::string>{"έργο.ddn", "έργο.pry", "έργο.csv"}));
  EXPECT_EQ(listing(top + "/start"), std::set<std::string>{});
  EXPECT_EQ(listing(exe), besideExe);
}

}  // namespace
