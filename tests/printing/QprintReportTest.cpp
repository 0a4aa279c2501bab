// The report form's kind 1: the calculation preview's lines fed one per
// record into the report, run to the PDF printer and into the preview.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <regex>

#include "platform/backend/headless/Headless.h"
#include "platform/print/Printers.h"
#include "platform/ui/Application.h"
#include "platform/ui/StdEdits.h"
#include "printing/Prevunt.h"
#include "printing/Qprint.h"
#include "report/RpPrev.h"
#include "tender/CalcReport.h"
#include "tender/N_STR.h"
#include "tests/TestOutput.h"
#include "tests/platform/OtherPrograms.h"

namespace {

class QprintReportTest : public ::testing::Test {
 protected:
  void SetUp() override {
    backend = &InstallHeadlessBackend();
    owner.reset(NewForm<TForm>(nullptr));
    source = new TRichEdit(owner.get());
    source->SetParent(owner.get());
    source->Hide();
    TFont font;
    font.Name = "Courier New";
    font.SetHeight(-11);
    source->SetFont(font);
    prev = NewForm<Tprevform>(owner.get(), *source, "");
    form.reset(NewForm<TrpForm>(nullptr));
    form->Prevform = prev;
    form->ReportKind = 1;
  }
  void TearDown() override {
    for (const auto& text : backend->UnexpectedDialogs) ADD_FAILURE() << cp1253::ToUtf8(text);
    form.reset();
    owner.reset();
    Application->ProcessMessages();
    printers::UseSystem();
    Printer()->Refresh();
  }
  // The calculation text: Count numbered lines, every fifth one empty.
  void Lines(int count) {
    TStrings& lines = prev->Prevmemo->Lines();
    lines.Clear();
    for (int i = 1; i <= count; ++i) lines.Add(i % 5 == 0 ? AnsiString() : "Γραμμή "_a + IntToStr(i));
  }
  // Prints the report on the PDF printer, the only printer, writing into
  // this test's output folder: the file written and its text.
  ::testing::AssertionResult PrintToPdf(std::string& file, std::string& text) {
    TPrinterProfile pdf = printers::PdfPrinterProfile();
    pdf.OutputFolder = TestOutputFolder().string();
    printers::UseProfiles({pdf}, 0);
    Printer()->Refresh();
    Printer()->SetPrinterIndex(0);
    Printer()->ResetDeviceMode();
    form->BandRep1->Print();
    for (const auto& f : std::filesystem::directory_iterator(TestOutputFolder()))
      if (f.path().extension() == ".pdf") file = f.path().string();
    if (file.empty()) return ::testing::AssertionFailure() << "no PDF in " << TestOutputFolder();
    if (!PdfText(file, text)) return ::testing::AssertionFailure() << "pdftotext cannot read " << file;
    return ::testing::AssertionSuccess();
  }
  THeadlessBackend* backend = nullptr;
  std::unique_ptr<TForm> owner;
  TRichEdit* source = nullptr;
  Tprevform* prev = nullptr;
  std::unique_ptr<TrpForm> form;
};

TEST_F(QprintReportTest, TheDialogHoldsItsControls) {
  EXPECT_EQ(form->BitBtn2->Caption(), "ΠΡΟΕΠΙΣΚΟΠΙΣΗ"_a);
  EXPECT_EQ(form->RadioGroup1->Caption(), "Προσανατολισμός σελίδας"_a);
  ASSERT_EQ(form->RadioGroup1->Items()->Count(), 2);
  EXPECT_EQ(form->RadioGroup1->Items()->Strings(0), " Κατακόρυφος"_a);
  EXPECT_EQ(form->RadioGroup1->Items()->Strings(1), " Οριζόντιος"_a);
  EXPECT_EQ(form->RadioGroup1->ItemIndex(), 0);
  EXPECT_EQ(form->CheckBox1->Caption(), "Εκτύπωση πλαισίου"_a);
  EXPECT_EQ(form->RpLabel53->Caption(), "--------------"_a);
  EXPECT_EQ(form->RpSysData1->Data(), rpsPageNumber);
  EXPECT_EQ(form->BandRep1->Page()->PaperSize(), TRpPaperSize::A4);
  // Kind 4's column heads are boxed.
  for (const char* name : {"RpLabel3a", "RpLabel4a", "RpLabel5a", "RpLabel6a", "RpLabel7a"}) {
    const TRpFrame& box = *static_cast<TRpLabel*>(form->FindComponent(name))->Frame();
    EXPECT_TRUE(box.DrawTop() && box.DrawBottom() && box.DrawLeft() && box.DrawRight()) << name;
  }
}

// Enter in the dialog previews, into a window that shows the page alone:
// no thumbnails, no search.
TEST_F(QprintReportTest, EnterPreviewsIntoAWindowOfThePageAlone) {
  Lines(3);
  int previews = 0;
  // Heard once the run ends and again once the window closes.
  form->BandRep1->AfterPreview = [&](TObject*) {
    if (previews++ > 0) return;
    for (int i = 0; i < Screen->FormCount(); ++i)
      if (auto* preview = dynamic_cast<TRpStandardPreview*>(Screen->Forms(i))) {
        EXPECT_FALSE(preview->Tabs->Visible());
        EXPECT_FALSE(preview->ThumbChk->Checked());
        EXPECT_FALSE(preview->FindButton->Visible());
        PostMessage(preview->Handle(), WM_CLOSE, 0, 0);
      }
  };
  // As a person meets it: Enter as the dialog opens, and again after
  // leaving it last on ΕΞΟΔΟΣ.
  backend->ExpectModal("", [&](TCustomForm&) { backend->PressKey(VK_RETURN); });
  form->ShowForKind(1);
  EXPECT_GE(previews, 1);
  previews = 0;
  form->SetActiveControl(form->BitBtn1);
  backend->ExpectModal("", [&](TCustomForm&) { backend->PressKey(VK_RETURN); });
  form->ShowForKind(1);
  EXPECT_GE(previews, 1);
  EXPECT_EQ(form->ShowGuard, 0);
}

// n source lines make n records; the call after the last ends the report.
TEST_F(QprintReportTest, NeedDataFeedsOneLinePerCall) {
  struct Case {
    int lines;
  };
  for (const Case c : {Case{0}, Case{1}, Case{7}}) {
    Lines(c.lines);
    bool print = true;
    form->BandRep1BeforePrint(form->BandRep1, print);
    int records = 0;
    for (bool more = true; more;) {
      form->BandRep1NeedData(form->BandRep1, more);
      if (more) {
        ++records;
        const AnsiString expected = records % 5 == 0 ? AnsiString("  ") : "Γραμμή "_a + IntToStr(records);
        ASSERT_EQ(form->RpMemo1->Lines()->Count(), 1);
        EXPECT_EQ(form->RpMemo1->Lines()->Strings(0), expected) << records;
        EXPECT_EQ(form->CurLine, expected);
      }
      ASSERT_LE(records, 100);
    }
    EXPECT_EQ(records, c.lines);
    EXPECT_EQ(form->LineIndex, c.lines + 1);
  }
}

TEST_F(QprintReportTest, OrientationFollowsTheKindAndTheChoice) {
  // Only kinds 1, 3 and 4 open portrait; any other kind opens landscape.
  for (int kind : {1, 2, 3, 4, 0, 5}) {
    form->ReportKind = kind;
    backend->ExpectModal("", [&](TCustomForm&) {
      const bool landscape = kind != 1 && kind != 3 && kind != 4;
      EXPECT_EQ(form->BandRep1->Page()->Orientation(), landscape ? poLandscape : poPortrait) << kind;
      EXPECT_EQ(form->RadioGroup1->ItemIndex(), landscape ? 1 : 0) << kind;
      EXPECT_TRUE(form->BitBtn2->Enabled());
      form->RadioGroup1->SetItemIndex(landscape ? 0 : 1);
      EXPECT_EQ(form->BandRep1->Page()->Orientation(), landscape ? poPortrait : poLandscape) << kind;
      backend->Click(*form->BitBtn1, 10, 10);
    });
    form->ShowForKind(kind);
  }
}

TEST_F(QprintReportTest, KindOnePrintsEveryLineToThePdfPrinter) {
  const int n = 120;
  Lines(n);
  std::string file, text;
  ASSERT_TRUE(PrintToPdf(file, text));
  int printed = 0;
  for (int i = 1; i <= n; ++i) {
    const bool found = text.find("Γραμμή " + std::to_string(i) + "\n") != std::string::npos;
    EXPECT_EQ(found, i % 5 != 0) << i;
    printed += found;
  }
  EXPECT_EQ(printed, n - n / 5);
  EXPECT_NE(text.find("Ο Προσφέρων"), std::string::npos);
  EXPECT_NE(text.find(cp1253::ToUtf8(PublisherContactLine)), std::string::npos) << "credit line";
  // Each page opens with its number in the page header.
  EXPECT_EQ(text.rfind("1\n", 0), 0u);
  EXPECT_NE(text.find("\f2\n"), std::string::npos);
  EXPECT_NE(text.find("\f3\n"), std::string::npos);
}

// Kind 2: the budget window's check report, landscape, in its font.
TEST_F(QprintReportTest, KindTwoPrintsTheCheckReportLandscape) {
  auto* memo = new TMemo(owner.get());
  memo->SetParent(owner.get());
  TFont font;
  font.Name = "Courier New";
  font.SetHeight(-12);
  memo->SetFont(font);
  const int n = 40;
  for (int i = 1; i <= n; ++i) memo->Lines().Add("Έλεγχος "_a + IntToStr(i));
  form->CheckReport = memo;
  backend->ExpectModal("", [&](TCustomForm&) { backend->Click(*form->BitBtn1, 10, 10); });
  form->ShowForKind(2);
  EXPECT_EQ(form->BandRep1->Font().Name, "Courier New");
  EXPECT_EQ(form->BandRep1->Page()->Orientation(), poLandscape);
  std::string file, text;
  ASSERT_TRUE(PrintToPdf(file, text));
  for (int i = 1; i <= n; ++i)
    EXPECT_NE(text.find("Έλεγχος " + std::to_string(i) + "\n"), std::string::npos) << i;
  EXPECT_EQ(text.find("Έλεγχος " + std::to_string(n + 1)), std::string::npos);
  const std::string info = RunCommand("pdfinfo '" + file + "' 2>&1");
  // A4 lying on its side: 842 by 595 points.
  EXPECT_TRUE(std::regex_search(info, std::regex("Page size: +84[12]\\.[0-9]+ x 59[56]\\."))) << info;
}

// Kinds 3 and 4: category rows by their fixed columns, the summary lines
// by their leading words, the bidder's name from the heading.
TEST_F(QprintReportTest, CheckReportLinesSetTheRowsAndTheSummaryKind) {
  auto* memo = new TMemo(owner.get());
  memo->SetParent(owner.get());
  form->CheckReport = memo;
  form->BudgetCell = [](int col, int row) {
    return col == 5 && row == 12 ? AnsiString("25") : AnsiString("0");
  };
  // A category row: number, name at 5-44, study cost at 46-61, discount
  // at 63-70, offer cost at 72-87.
  AnsiString row = " 12 ΟΔΟΠΟΙΙΑ"_a;
  row.resize(45, ' ');
  row += "      123.456,78 ";
  row += "  25,00  ";
  row += "       92.592,59";
  struct Case {
    const char* line;
    int groupNo, lineKind;
  };
  const Case cases[] = {
      {"ΠΡΟΣΦΟΡΑ: 3 ΑΛΦΑ Α.Τ.Ε.  ME ΜΕΣΗ ΕΚΠΤΩΣΗ 25%", 0, 0},
      {"   B. ΠΡΟΫΠΟΛΟΓΙΣΜΟΣ ΠΡΟΣΦΟΡΑΣ  ", 0, 2},
      {nullptr, 12, 2},
      {"1a  άλλο", 0, 2},
      {"    συνέχεια", 0, 2},
      {"Αθροισμα δαπανών εργασιών κατά τη μελέτη", 0, 0},
      {"Γ.Ε.& Ο.Ε. 18%", 0, 0},
      {"Συνολική Δαπάνη Εργου", 0, 0},
      {"Μέση έκπωση Εμ= (ΣΣ-ΣΔΕ)/ΣΣ = (100.000,00 - 75.000,00) / 100.000,00)  = 25,1234 %", -1, 6},
      {"ΑΠΡΟΒΛΕΠΤΑ 15%", 0, 0},
      {"ΣΎΝΟΛΟ   Σ1", 0, 0},
      {"ΑΝΑΘΕΩΡΗΣΗ", 0, 0},
      {"ΣΎΝΟΛΟ :", 0, 0},
      {"ΑΣΦΑΛΤΟΣ", 0, 0},
      {"ΓΕ & ΟΕ ΑΣΦΑΛΤΟΥ", 0, 0},
      {"Σύνολο Δαπάνης του Έργου", -1, 10},
  };
  for (const Case& c : cases) memo->Lines().Add(c.line != nullptr ? cp1253::FromUtf8(c.line) : row);
  for (int kind : {3, 4}) {
    form->ReportKind = kind;
    bool go = true;
    form->RpLabel53->SetCaption("ΠΑΛΙΟΣ"_a);
    form->BandRep1BeforePrint(form->BandRep1, go);
    EXPECT_EQ(form->RpLabel53->Caption(), "--------------");
    EXPECT_FALSE(form->ChildBand3a->Enabled());
    EXPECT_FALSE(form->ChildBand5->Enabled());
    for (const Case& c : cases) {
      bool more = false;
      form->BandRep1NeedData(form->BandRep1, more);
      EXPECT_TRUE(more);
      EXPECT_EQ(form->GroupNo, c.groupNo) << kind << " " << (c.line ? c.line : "row");
      EXPECT_EQ(form->LineKind, c.lineKind) << kind << " " << (c.line ? c.line : "row");
      bool row1 = true, row8 = true;
      form->ChildBand1BeforePrint(form->ChildBand1, row1);
      form->ChildBand8BeforePrint(form->ChildBand8, row8);
      const bool category = c.line == nullptr;
      EXPECT_EQ(row1, category && kind == 3);
      EXPECT_EQ(row8, category && kind == 4);
      bool sums = true, closing = true;
      form->ChildBand2BeforePrint(form->ChildBand2, sums);
      form->ClosingBandBeforePrint(form->ChildBand6, closing);
      EXPECT_EQ(sums, kind == 3 && c.lineKind == 6);
      EXPECT_EQ(closing, kind == 3 && c.lineKind == 10);
      if (category) {
        EXPECT_EQ(form->RpOmadaNmr->Caption(), "\r12η"_a);
        EXPECT_EQ(form->RpOmadaPer->Caption(), "\rΟΔΟΠΟΙΙΑ"_a);
        EXPECT_EQ(form->RpOmadaPro->Caption(), "       123.456,78\r");
        EXPECT_EQ(form->RpOmadaEkpt->Caption(), "\r  25,00 ");
        EXPECT_EQ(form->RpOmadaPoso->Caption(), "        92.592,59\r");
        EXPECT_EQ(form->RpOmadaNmr_P->Caption(), form->RpOmadaNmr->Caption());
        EXPECT_EQ(form->RpOmadaPer_p->Caption(), form->RpOmadaPer->Caption());
        EXPECT_EQ(form->RpOmadaEkpt_P->Caption(), form->RpOmadaEkpt->Caption());
        EXPECT_EQ(form->RpOmadaPro_olo->Caption(), "\r" + NumToWords(3, 0, 25));
      }
    }
    EXPECT_EQ(form->RpLabel53->Caption(), " 3 ΑΛΦΑ Α.Τ.Ε.  "_a);
    // The whole mean, all four decimals; the fraction's numbers.
    EXPECT_EQ(form->RpLabel29->Caption(), " = 25,1234 %");
    EXPECT_TRUE(form->ChildBand3a->Enabled());
    EXPECT_TRUE(form->ChildBand5->Enabled());
  }
}

// A kind 3 run through the engine: the category row between the heading
// and the sums, the sums once, the closing block once, no raw lines.
TEST_F(QprintReportTest, KindThreePrintsEachBlockOnce) {
  auto* memo = new TMemo(owner.get());
  memo->SetParent(owner.get());
  form->CheckReport = memo;
  AnsiString row = "  7 ΟΙΚΟΔΟΜΙΚΑ"_a;
  row.resize(45, ' ');
  row += "      100.000,00   20,00         80.000,00";
  AnsiString closing = "Σύνολο Δαπάνης του Έργου"_a;
  closing.resize(45, ' ');
  closing += "      130.000,00                104.000,00";
  for (const AnsiString& line : {"B. ΠΡΟΫΠΟΛΟΓΙΣΜΟΣ ΠΡΟΣΦΟΡΑΣ"_a, row, "Αθροισμα δαπανών εργασιών"_a, row,
                                 "Μέση έκπωση Εμ= x / y - z)  = 20,00 %"_a, "ΑΠΡΟΒΛΕΠΤΑ 15%"_a, closing})
    memo->Lines().Add(line);
  form->ReportKind = 3;
  std::string file, text;
  ASSERT_TRUE(PrintToPdf(file, text));
  const auto count = [&](const std::string& what) {
    int n = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
  };
  EXPECT_EQ(count("ΟΙΚΟΔΟΜΙΚΑ"), 1) << text;
  EXPECT_EQ(count("7η"), 1);
  EXPECT_EQ(count("Συνολική Δαπάνη Εργου κατά τη μελέτη"), 1);
  EXPECT_EQ(count("Κατά τη προσφορά Π2="), 1);
  EXPECT_EQ(count("104.000,00"), 1);
  EXPECT_EQ(count("20,00 %"), 1);
  EXPECT_EQ(count("ΠΡΟΫΠΟΛΟΓΙΣΜΟΣ"), 0) << "raw lines stay invisible";
  EXPECT_EQ(count("Αναθεώρηση"), 0);
}

TEST_F(QprintReportTest, ShowingTheFormWritesTheOfferTotalInWords) {
  form->TotalsCell = [](int col, int row) {
    return col == 6 && row == 3 ? AnsiString("1234.56") : AnsiString();
  };
  backend->ExpectModal("", [&](TCustomForm&) { backend->Click(*form->BitBtn1, 10, 10); });
  form->ShowForKind(3);
  EXPECT_DOUBLE_EQ(form->OfferTotal, StrToNum("1234.56"));
  EXPECT_EQ(form->RpLabel21->Caption(), " Συνολική Δαπάνη κατά την Προσφορά (ΣΔΕ) ολογράφως:\r Ευρώ: "_a +
                                            AmountToWords(1, 1, " λεπτά"_a, form->OfferTotal));
  EXPECT_NE(form->RpLabel21->Caption().find("λεπτά"_a), AnsiString::npos)
      << cp1253::ToUtf8(form->RpLabel21->Caption());
}

TEST_F(QprintReportTest, KindsThreeAndFourShowTheirHeadingInBold) {
  for (int kind : {1, 3, 4}) {
    backend->ExpectModal("", [&](TCustomForm&) { backend->Click(*form->BitBtn1, 10, 10); });
    form->ShowForKind(kind);
    EXPECT_EQ(form->RpBand4->Enabled(), kind == 4);
    EXPECT_EQ(form->ChildBand4->Enabled(), kind == 3);
  }
  EXPECT_EQ(form->RpLabel2->Caption(), "Β. ΠΡΟΥΠΟΛΟΓΙΣΜΟΣ ΠΡΟΣΦΟΡΑΣ"_a);
  EXPECT_EQ(form->RpLabel2a->Caption(), "Α. ΠΡΟΣΦΟΡΑ ΠΟΣΟΣΤΩΝ ΕΚΠΤΩΣΗΣ"_a);
  EXPECT_TRUE(form->RpLabel2a->Font().Style & fsBold);
  EXPECT_EQ(form->RpLabel2a->Font().Size(), 13);
  EXPECT_TRUE(form->RpLabel21->Font().Style & fsBold);
  EXPECT_EQ(form->BandRep1->Font().Name, form->temp_font->Font().Name);
}

TEST_F(QprintReportTest, TheChosenFontHoldsForLaterRunsOfKindsThreeAndFour) {
  TFont font;
  font.Name = "Times New Roman";
  font.SetSize(12);
  form->BandRep1->SetFont(font);
  backend->ExpectModal("Γραμματοσειρά"_a, [&](TCustomForm&) { backend->PressKey(VK_RETURN); });
  form->BtnFontClick(form->BtnFont);
  EXPECT_EQ(form->temp_font->Font().Name, "Times New Roman");
  EXPECT_EQ(form->temp_font->Font().Size(), 12);
  EXPECT_EQ(form->RpLabel21->Font().Name, "Times New Roman");
  EXPECT_TRUE(form->RpLabel21->Font().Style & fsBold);
  backend->ExpectModal("", [&](TCustomForm&) {
    EXPECT_TRUE(form->BtnFont->Visible());
    backend->Click(*form->BitBtn1, 10, 10);
  });
  form->ShowForKind(4);
  EXPECT_EQ(form->BandRep1->Font().Name, "Times New Roman");
}

TEST_F(QprintReportTest, ThePreviewButtonRunsTheReportIntoThePreview) {
  Lines(3);
  int pages = -1;
  AnsiString first;
  form->BandRep1->OnPreview = [&](TObject*) {};
  form->BandRep1->AfterPreview = [&](TObject*) {
    pages = form->BandRep1->PreviewPrinter()->PageCount();
    first = form->RpMemo1->Lines()->Strings(0);
  };
  backend->ExpectModal("", [&](TCustomForm&) {
    form->CheckBox1->SetChecked(true);
    backend->Click(*form->BitBtn2, 10, 10);
  });
  form->ShowForKind(1);
  EXPECT_EQ(pages, 1);
  EXPECT_EQ(form->LineIndex, 4);
  EXPECT_EQ(form->BandRep1->Frame()->Width(), 1);
  EXPECT_FALSE(form->BitBtn2->Enabled());
  EXPECT_EQ(form->ShowGuard, 0);
}

// "Εκτύπωση πλαισίου" as the dialog leaves it for the print: unticked, the
// page holds no side of the report's frame; ticked, the frame runs down
// both sides of the printed area. Read from the PDF as a reader renders it.
TEST_F(QprintReportTest, TheFrameBoxDecidesWhetherThePageIsFramed) {
  ASSERT_TRUE(Installed("pdftoppm", "poppler-utils"));
  Lines(3);
  form->BandRep1->OnPreview = [](TObject*) {};
  for (const bool ticked : {false, true}) {
    SCOPED_TRACE(ticked ? "ticked" : "unticked");
    backend->ExpectModal("", [&](TCustomForm&) {
      form->CheckBox1->SetChecked(ticked);
      backend->Click(*form->BitBtn2, 10, 10);
    });
    form->ShowForKind(1);
    EXPECT_EQ(form->BandRep1->Frame()->HasAnySide(), ticked);
    for (const auto& f : std::filesystem::directory_iterator(TestOutputFolder()))
      if (f.path().extension() == ".pdf" || f.path().extension() == ".pgm") std::filesystem::remove(f.path());
    std::string file, text;
    ASSERT_TRUE(PrintToPdf(file, text));
    const std::string page = (TestOutputFolder() / (ticked ? "framed" : "unframed")).string();
    int status = -1;
    RunCommand("pdftoppm -r 72 -gray -singlefile '" + file + "' '" + page + "' 2>/dev/null", &status);
    ASSERT_EQ(status, 0);
    // The grey map: "P5", width, height, 255, then a byte a pixel.
    std::ifstream in(page + ".pgm", std::ios::binary);
    std::string magic;
    int width = 0, height = 0, most = 0;
    in >> magic >> width >> height >> most;
    in.get();
    ASSERT_EQ(magic, "P5");
    std::vector<unsigned char> grey(static_cast<size_t>(width) * height);
    in.read(reinterpret_cast<char*>(grey.data()), static_cast<std::streamsize>(grey.size()));
    // Columns inked over more than half the page's height: only a frame's
    // sides run so far down a page of three lines.
    int sides = 0;
    for (int x = 0; x < width; ++x) {
      int inked = 0;
      for (int y = 0; y < height; ++y) inked += grey[static_cast<size_t>(y) * width + x] < 200;
      sides += inked > height / 2;
    }
    if (ticked)
      EXPECT_GE(sides, 2);
    else
      EXPECT_EQ(sides, 0);
    EXPECT_NE(text.find("Γραμμή 1"), std::string::npos);
  }
}

}  // namespace
