// The program's main road, driven as a person drives it: type a tender into
// the window, calculate, read the report, preview and print it.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <sstream>

#include "MainWindowFixture.h"
#include "platform/backend/screen/Screen.h"
#include "platform/print/Printers.h"
#include "platform/rtl/Cp1253.h"
#include "platform/ui/Clipbrd.h"
#include "printing/Prevunt.h"
#include "printing/Qprint.h"
#include "tender/CalcReport.h"
#include "tender/OfferCalc.h"
#include "tests/platform/OtherPrograms.h"
#include "tests/platform/backend/XvfbDisplay.h"
#include "tests/platform/rtl/LocaleScope.h"

namespace {

TDateTime TenderDay() { return EncodeDate(2013, 5, 20) + 0.4; }

// A name of 52 characters: the report cuts it to 44.
const char* const LongName = "ΔΕΛΤΑ ΚΑΤΑΣΚΕΥΑΣΤΙΚΗ ΑΝΩΝΥΜΗ ΕΤΑΙΡΕΙΑ ΤΕΧΝΙΚΩΝ ΕΡΓΩΝ";

class CalculationTest : public MainWindowTest {
 protected:
  void SetUp() override {
    MainWindowTest::SetUp();
    LoadGreekLocale();
    InitNumericLibrary();
    SetClock(&TenderDay);
  }
  void TearDown() override {
    MainWindowTest::TearDown();
    SetClock(nullptr);
    locale_.reset();
  }

  // The project, the divisor and five offers, typed key by key.
  void EnterTender() {
    TFrmAXP& w = Start();
    TypeField(*w.Memo1, "ΑΝΑΠΛΑΣΗ ΚΕΝΤΡΙΚΗΣ ΠΛΑΤΕΙΑΣ"_a);
    TypeField(*w.Memo2, "ΔΗΜΟΣ ΔΟΚΙΜΗΣ"_a);
    TypeField(*w.Edit1, "150000");
    TypeField(*w.EditDiair, "100000");
    // An amount with decimals.
    TypeCell(1, 1, "ΑΛΦΑ ΑΤΕ"_a);
    TypeCell(2, 1, "87654,32");
    // A void offer.
    TypeCell(1, 2, "ΒΗΤΑ ΕΠΕ"_a);
    TypeCell(3, 2, "0");
    // A marked offer: its discount is rounded to a whole percent.
    TypeCell(1, 3, "ΓΑΜΜΑ ΟΕ"_a);
    TypeCell(2, 3, "85321");
    TypeCell(3, 3, "*");
    // An offer equal to the divisor, under a name longer than 44.
    TypeCell(1, 4, cp1253::FromUtf8(LongName));
    TypeCell(2, 4, "100000");
    // An offer given as a discount only.
    TypeCell(1, 5, "ΕΨΙΛΟΝ ΑΤΕ"_a);
    TypeCell(3, 5, "17,5");
  }

  AnsiString ReportText() const {
    AnsiString text;
    const TStrings& lines = form->PrMemo->Lines();
    for (int i = 0; i < lines.Count(); ++i) text += lines[i] + "\n";
    return text;
  }

  // The report against a golden file checked by hand. With
  // DIM_UPDATE_GOLDEN set the file is written instead, for a new review.
  void ExpectGolden(const char* name) {
    const std::string path = std::string(DIM_TEST_DATA) + "/golden/" + name;
    const AnsiString actual = ReportText();
    if (std::getenv("DIM_UPDATE_GOLDEN")) {
      std::ofstream(path, std::ios::binary) << actual;
      return;
    }
    std::ifstream in(path, std::ios::binary);
    ASSERT_TRUE(in) << path;
    std::stringstream golden;
    golden << in.rdbuf();
    EXPECT_EQ(cp1253::ToUtf8(actual), cp1253::ToUtf8(golden.str())) << path;
  }

  void SaveReview(TWinControl& window, const char* name) {
    const std::string path = (TestOutputFolder() / name).string();
    backend->SaveWindowPng(window, path);
    std::printf("picture for review: %s\n", path.c_str());
  }

 private:
  std::unique_ptr<LocaleScope> locale_ = std::make_unique<LocaleScope>(LocaleScope::C);
};

// ---- the report -------------------------------------------------------------------------------

TEST_F(CalculationTest, ReportWithTheInitialOrder) {
  EnterTender();
  Press(*form->docalc);
  ExpectGolden("report_initial_order.txt");
  EXPECT_TRUE(form->doprint->Enabled());
  EXPECT_TRUE(form->doprintq->Enabled());
  EXPECT_TRUE(form->dopreview->Enabled());
  EXPECT_EQ(form->Label8->Caption(), "6,25%");
  EXPECT_EQ(form->Edit3->Text(), "17,5");
  // The ranking in the grid: the discount-only offer first, the void one last.
  EXPECT_EQ(form->StGrid->GetCellText(1, 1), "ΕΨΙΛΟΝ ΑΤΕ"_a);
  EXPECT_EQ(form->StGrid->GetCellText(3, 1), "  17,500");
  EXPECT_EQ(form->StGrid->GetCellText(3, 2), "  15,000");
  EXPECT_EQ(form->StGrid->GetCellText(3, 3), "  12,346");
  EXPECT_EQ(form->StGrid->GetCellText(3, 4), "~   0,000");
  EXPECT_EQ(form->StGrid->GetCellText(3, 5), "0");
  EXPECT_EQ(form->StGrid->GetCellText(0, 6), "  6");
}

TEST_F(CalculationTest, ReportWithoutTheInitialOrder) {
  EnterTender();
  Press(*form->PrintInitaa);
  EXPECT_FALSE(form->E10->Checked);
  Press(*form->docalc);
  ExpectGolden("report_final_only.txt");
}

// What the golden files hold, said once more in the report's own terms.
TEST_F(CalculationTest, ReportColumnsStandWhereTheyShould) {
  EnterTender();
  Press(*form->docalc);
  const TStrings& lines = form->PrMemo->Lines();
  int headings = 0, voids = 0, guarantee = 0;
  for (int i = 0; i < lines.Count(); ++i) {
    const AnsiString& line = lines[i];
    if (line == ReportTableHeading) {
      ++headings;
      EXPECT_EQ(line.size(), 85u);
      EXPECT_EQ(lines[i + 1], ReportTableSeparator);
      EXPECT_EQ(lines[i + 1].size(), 85u);
    }
    if (line.find("ΑΝΑΠΛΑΣΗ"_a) == 0 || line.empty() || line.size() < 50) continue;
    if (line.find("ΣΥΝΟΛΙΚΗ ΑΠΑΙΤΟΥΜΕΝΗ"_a) == 0) {
      ++guarantee;
      EXPECT_EQ(line,
                "ΣΥΝΟΛΙΚΗ ΑΠΑΙΤΟΥΜΕΝΗ ΕΓΓΥΗΣΗ ΚΑΛΗΣ ΕΚΤΕΛΕΣΗΣ (άρθρου 4 παρ 2 του Νόμου 3263/2004)=6,25%"_a);
      continue;
    }
    if (line.find("ΕΨΙΛΟΝ"_a) != AnsiString::npos) {
      EXPECT_EQ(line.substr(49, 15), AnsiString(15, ' '));
    }
    if (line.find("ΑΛΦΑ"_a) != AnsiString::npos) {
      EXPECT_EQ(line.substr(49, 15), "      87.654,32");
    }
    if (line.find("ΔΕΛΤΑ"_a) != AnsiString::npos) {
      EXPECT_EQ(line.substr(5, 44), cp1253::FromUtf8(LongName).substr(0, 44));
    }
    if (line.size() >= 64 + 18 && line.substr(64) == "             ΑΚΥΡΗ"_a) ++voids;
  }
  EXPECT_EQ(headings, 2);
  EXPECT_EQ(voids, 1);
  EXPECT_EQ(guarantee, 1);
}

// ---- messages ----------------------------------------------------------------------------------

TEST_F(CalculationTest, MissingDivisorIsReportedAndTakesTheFocus) {
  TFrmAXP& w = Start();
  TypeCell(1, 1, "ΑΛΦΑ"_a);
  TypeCell(2, 1, "1000");
  backend->ExpectMessageBox("Δεν έχει εισαχθεί Διαιρέτης"_a, IDOK);
  Press(*w.docalc);
  ASSERT_EQ(backend->MessageBoxes.size(), 1u);
  EXPECT_EQ(backend->MessageBoxes[0].Text, "Δεν έχει εισαχθεί Διαιρέτης"_a);
  EXPECT_EQ(backend->MessageBoxes[0].Flags & MB_ICONMASK, MB_ICONINFORMATION);
  EXPECT_EQ(w.ActiveControl(), w.EditDiair);
  EXPECT_EQ(w.PrMemo->Lines().Count(), 0);
  EXPECT_FALSE(w.doprint->Enabled());
}

TEST_F(CalculationTest, DiscountAboveAHundredNamesItsSlot) {
  TFrmAXP& w = Start();
  TypeField(*w.EditDiair, "1000");
  TypeCell(1, 1, "ΑΛΦΑ"_a);
  TypeCell(3, 1, "20");
  TypeCell(1, 2, "ΒΗΤΑ"_a);
  TypeCell(3, 2, "150");
  backend->ExpectMessageBox("", IDOK);
  Press(*w.docalc);
  ASSERT_EQ(backend->MessageBoxes.size(), 1u);
  EXPECT_EQ(backend->MessageBoxes[0].Text, "Έχει Εισαχθεί Έκπτωση Μεγαλύτερη του 100%. A/A=2"_a);
  EXPECT_EQ(w.PrMemo->Lines().Count(), 0);
}

TEST_F(CalculationTest, GuaranteeFieldThatIsNoNumberStopsTheCalculationCleanly) {
  EnterTender();
  Press(*form->docalc);
  ASSERT_TRUE(form->doprint->Enabled());
  form->Edit4->SetText("");
  // The header's rebuild reads the limit first and stops the command.
  backend->ExpectMessageBox("", IDOK);
  Press(*form->docalc);
  EXPECT_EQ(backend->ErrorBoxes.size(), 1u);
  EXPECT_EQ(form->PrMemo->Lines().Count(), 0);
  EXPECT_FALSE(form->doprint->Enabled());
  EXPECT_FALSE(form->doprintq->Enabled());
}

// ---- after the calculation -------------------------------------------------------------------------

TEST_F(CalculationTest, SortButtonsReorderTheGrid) {
  EnterTender();
  Press(*form->docalc);
  Press(*form->Doreset);
  EXPECT_EQ(form->StGrid->GetCellText(1, 1), "ΑΛΦΑ ΑΤΕ"_a);
  EXPECT_EQ(form->StGrid->GetCellText(1, 5), "ΕΨΙΛΟΝ ΑΤΕ"_a);
  // The sort button starts descending and then alternates.
  Press(*form->sortBtn);
  EXPECT_EQ(form->StGrid->GetCellText(1, 1), "ΕΨΙΛΟΝ ΑΤΕ"_a);
  Press(*form->sortBtn);
  EXPECT_EQ(form->StGrid->GetCellText(1, 1), "ΒΗΤΑ ΕΠΕ"_a);
}

TEST_F(CalculationTest, PreviewHoldsTheReportAndTypingEmptiesIt) {
  EnterTender();
  Press(*form->docalc);
  ASSERT_NE(PreviewForm, nullptr);
  const TStrings& preview = PreviewForm->Prevmemo->Lines();
  const TStrings& report = form->PrMemo->Lines();
  ASSERT_EQ(preview.Count(), report.Count() + 2);
  for (int i = 0; i < report.Count(); ++i) EXPECT_EQ(preview[i], report[i]);
  EXPECT_EQ(preview[report.Count()], "");
  EXPECT_EQ(preview[report.Count() + 1], PublisherContactLine);
  EXPECT_EQ(PreviewForm->Prevmemo->Font().Name, "Courier New");
  Press(*form->dopreview);
  EXPECT_TRUE(PreviewForm->Visible());
  EXPECT_FALSE(form->dopreview->Down());
  // A second calculation replaces the text rather than adding to it.
  Press(*form->docalc);
  EXPECT_EQ(PreviewForm->Prevmemo->Lines().Count(), report.Count() + 2);
  backend->ActivateWindow(*form);
  TypeCell(2, 6, "5");
  EXPECT_EQ(PreviewForm->Prevmemo->Lines().Count(), 0);
}

// Whatever changes what the report would print empties the preview and
// takes back print and quick print, until the next calculation gives them
// back: a quick print would otherwise rank without the bidder just added,
// on the old divisor or under an old name. The preview command stays.
TEST_F(CalculationTest, ForgottenResultsCannotBePrinted) {
  EnterTender();
  TFrmAXP& w = *form;
  // The preview button waits for a calculation; the menu's preview shows
  // the preview at any time.
  EXPECT_FALSE(w.dopreview->Enabled());
  w.N5->Click();
  ASSERT_TRUE(PreviewForm && PreviewForm->Visible());
  PreviewForm->Hide();
  const auto printOn = [&] {
    const bool commands[] = {w.doprint->Enabled(), w.doprintq->Enabled(), w.N6->Enabled, w.N7->Enabled};
    int on = 0;
    for (bool b : commands) on += b;
    return on;
  };
  const auto select = [&](int col, int row) {
    w.StGrid->SetFocus();
    w.StGrid->SetCol(col);
    w.StGrid->SetRow(row);
  };
  // The calculation ranks the rows: each action finds its row anew.
  const auto rowWhere = [&](const std::function<bool(int)>& wanted) {
    for (int row = 1; row <= LastOfferRow; ++row)
      if (wanted(row)) return row;
    return 0;
  };
  const auto rowOf = [&](const AnsiString& name) {
    return rowWhere([&](int row) { return w.StGrid->GetCellText(ColName, row) == name; });
  };
  const auto freeRow = [&] {
    return rowWhere([&](int row) { return w.StGrid->GetCellText(ColName, row).empty(); });
  };
  const auto amountRow = [&] {
    return rowWhere([&](int row) { return !w.StGrid->GetCellText(ColAmount, row).empty(); });
  };
  const struct {
    const char* what;
    std::function<void()> act;
  } forgetting[] = {
      {"an amount typed for a bidder added",
       [&] {
         const int row = freeRow();
         TypeCell(ColName, row, "ΖΗΤΑ ΕΠΕ"_a);
         TypeCell(ColAmount, row, "91000");
       }},
      {"a discount typed", [&] { TypeCell(ColDiscount, rowOf("ΕΨΙΛΟΝ ΑΤΕ"_a), "18"); }},
      {"a bidder pasted",
       [&] {
         Clipboard()->SetAsText("ΗΤΑ ΑΕ\t92000"_a);
         select(ColName, freeRow());
         backend->PressKey('V', {ssCtrl});
       }},
      {"Delete in the amount's editor",
       [&] {
         const int row = amountRow();
         const AnsiString before = w.StGrid->GetCellText(ColAmount, row);
         select(ColAmount, row);
         // F2 leaves the caret at the end: the last digit goes.
         backend->PressKey(VK_F2);
         backend->PressKey(VK_LEFT);
         backend->PressKey(VK_DELETE);
         backend->PressKey(VK_RETURN);
         ASSERT_NE(w.StGrid->GetCellText(ColAmount, row), before);
       }},
      {"an amount cut",
       [&] {
         const int row = amountRow();
         w.StGrid->SetFocus();
         w.StGrid->SetSelection(TGridRect{ColAmount, row, ColAmount, row});
         backend->PressKey('X', {ssCtrl});
       }},
      {"a bidder's row deleted",
       [&] {
         select(ColName, rowOf("ΗΤΑ ΑΕ"_a));
         backend->ExpectMessageBox("Να διαγραφεί η γραμμή;"_a, IDYES);
         Press(*w.Button2);
       }},
      {"a bidder's row dragged by its number",
       [&] {
         const int from = rowOf("ΕΨΙΛΟΝ ΑΤΕ"_a), to = from == 1 ? 3 : 1;
         const TRect a = w.StGrid->CellRect(ColEntryNo, from), b = w.StGrid->CellRect(ColEntryNo, to);
         const int x = (a.Left + a.Right) / 2;
         backend->PressMouse(*w.StGrid, x, (a.Top + a.Bottom) / 2);
         backend->MoveMouse(*w.StGrid, x, (b.Top + b.Bottom) / 2);
         backend->ReleaseMouse(*w.StGrid, x, (b.Top + b.Bottom) / 2);
         ASSERT_EQ(w.StGrid->GetCellText(ColName, to), "ΕΨΙΛΟΝ ΑΤΕ"_a);
       }},
      {"a bidder renamed", [&] { TypeCell(ColName, rowOf("ΒΗΤΑ ΕΠΕ"_a), "ΒΗΤΑ ΑΕ"_a); }},
      {"a bidder's name shortened",
       [&] {
         select(ColName, rowOf("ΒΗΤΑ ΑΕ"_a));
         backend->PressKey(VK_F2);
         backend->PressKey(VK_BACK);
         backend->PressKey(VK_RETURN);
       }},
      {"a name pasted over a bidder's",
       [&] {
         Clipboard()->SetAsText("ΘΗΤΑ ΑΕ"_a);
         select(ColName, rowOf("ΕΨΙΛΟΝ ΑΤΕ"_a));
         backend->PressKey('V', {ssCtrl});
       }},
      {"the divisor changed",
       [&] {
         // 100.000 becomes 100.001.
         w.EditDiair->SetFocus();
         backend->PressKey(VK_END);
         backend->PressKey(VK_BACK);
         backend->Type("1");
         w.StGrid->SetFocus();
       }},
      {"the project text typed", [&] { TypeField(*w.Memo1, " Β ΦΑΣΗ"_a); }},
      {"the date changed",
       [&] {
         w.EditDate->SetFocus();
         backend->PressKey(VK_UP);
         w.StGrid->SetFocus();
       }},
      {"the discount decimals changed", [&] { w.EkptDgEd->SetValue(w.EkptDgEd->Value() + 1); }},
      {"the initial order switched off", [&] { Press(*w.PrintInitaa); }},
      {"the cost decimals changed", [&] { EnsureBudgetForm().gindecEd->SetValue(CostDecimals + 1); }},
      {"the initial guarantee typed",
       [&] {
         Press(*w.BitBtn1);
         TypeField(*w.Edit2, "1");
         Press(*w.Button1);
       }},
  };
  for (const auto& f : forgetting) {
    SCOPED_TRACE(f.what);
    Press(*w.docalc);
    ASSERT_EQ(printOn(), 4);
    ASSERT_GT(PreviewForm->Prevmemo->Lines().Count(), 0);
    backend->ActivateWindow(w);
    f.act();
    EXPECT_EQ(printOn(), 0);
    EXPECT_EQ(PreviewForm->Prevmemo->Lines().Count(), 0);
    // The preview command stays: it shows the emptied preview.
    EXPECT_TRUE(w.dopreview->Enabled());
    w.N5->Click();
    EXPECT_TRUE(PreviewForm->Visible());
    PreviewForm->Hide();
  }
  Press(*w.docalc);
  EXPECT_EQ(printOn(), 4);
  EXPECT_NE(ReportText().find("ΖΗΤΑ ΕΠΕ"_a), AnsiString::npos);
  EXPECT_NE(ReportText().find("ΘΗΤΑ ΑΕ"_a), AnsiString::npos);

  // A name typed in a new row is in no report.
  TypeCell(ColName, freeRow(), "ΙΩΤΑ"_a);
  EXPECT_EQ(printOn(), 4);
  // Clearing takes the preview button back too.
  backend->ExpectMessageBox("Nα μηδενιστούν όλα τα στοιχεία ;"_a, IDYES);
  Press(*w.ClearButton);
  EXPECT_FALSE(w.dopreview->Enabled());
}

// The ranking rewrites the cell the selection stands on; leaving it is no
// edit of the user's and forgets nothing.
TEST_F(CalculationTest, MovingAboutTheRankedOffersKeepsTheResults) {
  EnterTender();
  TFrmAXP& w = *form;
  w.StGrid->SetFocus();
  w.StGrid->SetCol(ColAmount);
  w.StGrid->SetRow(1);
  Press(*w.docalc);
  ASSERT_TRUE(w.doprint->Enabled());
  const std::vector<AnsiString> ranked = [&] {
    std::vector<AnsiString> cells;
    for (int row = 1; row <= 6; ++row)
      for (int col = ColName; col <= ColDiscount; ++col) cells.push_back(w.StGrid->GetCellText(col, row));
    return cells;
  }();
  backend->ActivateWindow(w);
  w.StGrid->SetFocus();
  backend->PressKey(VK_DOWN);
  const TRect cell = w.StGrid->CellRect(ColName, 4);
  backend->Click(*w.StGrid, (cell.Left + cell.Right) / 2, (cell.Top + cell.Bottom) / 2);
  w.StGrid->SetRow(5);
  EXPECT_TRUE(w.dopreview->Enabled());
  EXPECT_TRUE(w.doprint->Enabled());
  EXPECT_TRUE(w.doprintq->Enabled());
  std::vector<AnsiString> after;
  for (int row = 1; row <= 6; ++row)
    for (int col = ColName; col <= ColDiscount; ++col) after.push_back(w.StGrid->GetCellText(col, row));
  EXPECT_EQ(after, ranked);
}

TEST_F(CalculationTest, PrintShowsTheReportFormForTheCalculation) {
  EnterTender();
  ReportForm = NewForm<TrpForm>(nullptr);
  form->N6->Click();  // disabled until a calculation: nothing
  EXPECT_EQ(ReportForm->ReportKind, 0);
  Press(*form->docalc);
  backend->ExpectModal("", mrCancel);
  Press(*form->doprint);
  EXPECT_EQ(ReportForm->ReportKind, 1);
  // While the form is showing a second print does nothing.
  ReportForm->ReportKind = 0;
  ReportForm->ShowGuard = 10;
  form->N6->Click();
  EXPECT_EQ(ReportForm->ReportKind, 0);
  delete ReportForm;
  ReportForm = nullptr;
}

TEST_F(CalculationTest, QuickPrintSendsTheReportAndTheGuaranteeLineTwice) {
  EnterTender();
  TPrinterProfile pdf = printers::PdfPrinterProfile();
  pdf.OutputFolder = Folder();
  printers::UseProfiles({pdf});
  printers::ClearJobLog();
  Printer()->SetPrinterIndex(-1);
  Printer()->FileName = Folder() + "quick.pdf";
  form->N7->Click();  // nothing before a calculation
  EXPECT_TRUE(printers::JobLog().empty());
  Press(*form->docalc);
  Press(*form->doprintq);
  ASSERT_EQ(printers::JobLog().size(), 1u);
  EXPECT_FALSE(printers::JobLog()[0].Aborted);
  printers::UseSystem();
  Printer()->FileName = "";

  // What went to the printer, line by line.
  TStringList expected;
  QuickPrintLines(form->PrMemo->Lines(), "6,25%", expected);
  int guaranteeLines = 0;
  for (int i = 0; i < expected.Count(); ++i)
    if (expected[i].find("Νόμου 3263/2004"_a) != AnsiString::npos) ++guaranteeLines;
  EXPECT_EQ(guaranteeLines, 2);
  EXPECT_EQ(expected[expected.Count() - 1], PublisherContactLine);

  const std::string pdfPath = FolderPath() + "/quick.pdf";
  EXPECT_TRUE(PdfIsSound(pdfPath));
  std::string text;
  ASSERT_TRUE(PdfText(pdfPath, text, true));
  size_t found = 0;
  for (size_t at = text.find("3263/2004"); at != std::string::npos; at = text.find("3263/2004", at + 1))
    ++found;
  EXPECT_EQ(found, 2u) << text;
  EXPECT_NE(text.find(cp1253::ToUtf8("ΕΨΙΛΟΝ ΑΤΕ"_a)), std::string::npos);
  EXPECT_NE(text.find(cp1253::ToUtf8(PublisherContactLine)), std::string::npos);
}

TEST_F(CalculationTest, LeavingTheGridRefreshesTheOffers) {
  TFrmAXP& w = Start();
  TypeCell(1, 1, "ΑΛΦΑ"_a);
  TypeCell(3, 1, "12");
  TypeCell(1, 2, "ΒΗΤΑ"_a);
  TypeCell(3, 2, "9");
  w.Memo1->SetFocus();
  EXPECT_EQ(OfferCount, 2);
  EXPECT_DOUBLE_EQ(OfferTable[2].RoundedDiscount, 9);
  EXPECT_EQ(OfferTable[1].BidderName.Str(), "ΑΛΦΑ"_a);
}

// The ranking writes a marked offer's discount without its "*"; calculating
// again, and a save made after it, keep the mark all the same, and the
// project reopened ranks as it did: the marked offer at its whole percent,
// above a better amount.
TEST_F(CalculationTest, MarkedOfferKeepsItsRankThroughASaveAndAnOpen) {
  TFrmAXP& w = Start();
  TypeField(*w.EditDiair, "100000");
  TypeCell(ColName, 1, "ΑΛΦΑ"_a);
  TypeCell(ColAmount, 1, "87400");  // 12.6 %, marked: 13 %
  TypeCell(ColDiscount, 1, "*");
  TypeCell(ColName, 2, "ΒΗΤΑ"_a);
  TypeCell(ColAmount, 2, "87300");  // 12.7 %
  const auto ranking = [&] {
    std::vector<AnsiString> cells;
    for (int row = 1; row <= 2; ++row)
      for (int col = ColName; col <= ColDiscount; ++col) cells.push_back(w.StGrid->GetCellText(col, row));
    return cells;
  };
  const auto chooseFile = [&](const AnsiString& name) {
    backend->ExpectModal("", [name, this](TCustomForm& f) {
      auto* edit = static_cast<TEdit*>(f.FindComponent("FileNameEdit"));
      edit->SetText(name);
      edit->SetFocus();
      backend->PressKey(VK_RETURN);
    });
  };
  Press(*w.docalc);
  const std::vector<AnsiString> first = ranking();
  ASSERT_EQ(first[0], "ΑΛΦΑ"_a);
  ASSERT_EQ(OfferTable[1].RoundedDiscount, 13);
  Press(*w.docalc);
  EXPECT_EQ(ranking(), first);
  chooseFile(Folder() + "marked.ddn");
  w.SaveAs->Click();
  ASSERT_TRUE(FileExists(Folder() + "marked.ddn"));
  chooseFile(Folder() + "marked.ddn");
  Press(*w.BtnOpen);
  EXPECT_EQ(w.StGrid->GetCellText(ColDiscount, 1).substr(0, 1), "*");
  Press(*w.docalc);
  EXPECT_EQ(ranking(), first);
  EXPECT_EQ(OfferTable[1].RoundedDiscount, 13);
  EXPECT_EQ(OfferTable[1].Marked, 1);
}

// ---- pictures for the review ---------------------------------------------------------------------------

TEST_F(CalculationTest, PicturesOfTheWindowAndThePreview) {
  EnterTender();
  Press(*form->docalc);
  SaveReview(*form, "tender_main_window.png");
  Press(*form->BitBtn1);
  SaveReview(*form, "tender_main_window_guarantee.png");
  Press(*form->dopreview);
  ASSERT_NE(PreviewForm, nullptr);
  SaveReview(*PreviewForm, "tender_calc_preview.png");
  EXPECT_TRUE(std::filesystem::file_size(TestOutputFolder() / "tender_calc_preview.png") > 1000);
}

// The same window on a real (virtual) screen, as scripts/start.sh shows it.
TEST_F(CalculationTest, ScreenshotOnAVirtualDisplay) {
  ASSERT_TRUE(XvfbDisplay::Installed()) << "Xvfb is not installed (Debian package xvfb)";
  {
    std::unique_ptr<XvfbDisplay> display = XvfbDisplay::OpenScreenBackend();
    auto* screen = HasBackend() ? dynamic_cast<TScreenBackend*>(&Backend()) : nullptr;
    if (screen) {
      TFrmAXP& w = Start();
      w.EditDiair->SetText("100000");
      w.EditDiairExit(w.EditDiair);
      const char* names[] = {"ΑΛΦΑ ΑΤΕ", "ΒΗΤΑ ΕΠΕ", "ΓΑΜΜΑ ΟΕ"};
      const char* amounts[] = {"87654,32", "91000", "85321"};
      for (int row = 1; row <= 3; ++row) {
        w.StGrid->SetCellText(1, row, cp1253::FromUtf8(names[row - 1]));
        w.StGrid->SetCellText(2, row, amounts[row - 1]);
      }
      w.docalcClick(&w);
      Application->ProcessMessages();
      const std::string path = (TestOutputFolder() / "tender_main_window_screen.png").string();
      screen->SaveScreenshot(w, path);
      std::printf("picture for review: %s\n", path.c_str());
      EXPECT_GT(std::filesystem::file_size(path), 1000u);
      EXPECT_EQ(w.StGrid->GetCellText(1, 1), "ΓΑΜΜΑ ΟΕ"_a);
      Stop();
    }
    unsetenv("DIM_BACKEND");
    unsetenv("DISPLAY");
    backend = &InstallHeadlessBackend();
    EXPECT_NE(screen, nullptr) << "no virtual display could be opened";
  }
}

}  // namespace
