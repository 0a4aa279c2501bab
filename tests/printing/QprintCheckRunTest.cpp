// The report form on check reports that the budget window writes itself:
// revision and asphalt present or not, the discounts in words or not,
// discount decimals 2 and 4, a partial-total row. Per record: the bands
// printed and their captions.
#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <regex>

#include "platform/print/Printers.h"
#include "platform/rtl/Cp1253.h"
#include "printing/Prevunt.h"
#include "printing/Qprint.h"
#include "tender/CalcReport.h"
#include "tender/Uproyp5CheckReport.h"
#include "tests/platform/OtherPrograms.h"
#include "tests/tender/MainWindowFixture.h"

namespace {

struct Offer {
  const char* name;
  bool revision, asphalt, words, checked, partial;
  int discountDecimals;
  const char* overhead;  // the GE&OE parameter
  const char* bidder;
};

class ReportFormOnCheckReports : public MainWindowTest {
 protected:
  void TearDown() override {
    delete ReportForm;
    ReportForm = nullptr;
    delete BudgetForm;
    MainWindowTest::TearDown();
  }

  // A categories budget of three or four rows with the offer's discounts,
  // checked or only calculated: the check report is in Memo1.
  TUproypFrm& Budget(const Offer& o) {
    DiscountDecimals = o.discountDecimals;
    TUproypFrm& b = StudyBudget(2);
    for (int r = 1; r < 40; ++r)
      for (int c = 1; c < b.ProypGrid->ColCount(); ++c) b.ProypGrid->SetCells(c, r, "");
    std::vector<std::pair<const char*, const char*>> rows = {
        {"Χωματουργικά", "8680"}, {"Τεχνικά έργα", "420"}, {"Οδοστρωσία και ασφαλτικά", "900"}};
    if (o.partial) rows.insert(rows.begin() + 2, {"=1:2", ""});
    for (std::size_t i = 0; i < rows.size(); ++i) {
      b.ProypGrid->SetCells(3, int(i) + 1, cp1253::FromUtf8(rows[i].first));
      b.ProypGrid->SetCells(4, int(i) + 1, rows[i].second);
    }
    b.SumaGrid->SetCells(3, 2, o.overhead);
    b.SumaGrid->SetCells(3, 4, "15");
    b.SumaGrid->SetCells(3, 6, o.revision ? "1000" : "0");
    b.SumaGrid->SetCells(3, 7, o.asphalt ? "500" : "0");
    b.SumaGrid->SetCells(3, 8, o.asphalt ? "18" : "0");
    b.resum(true);
    b.SetBidderLayout();
    b.CheckEnabled = 1;
    const char* discounts[] = {"20", "23", "18"};
    for (std::size_t i = 0, d = 0; i < rows.size(); ++i)
      if (*rows[i].second != 0) b.ProypGrid->SetCells(5, int(i) + 1, discounts[d++]);
    b.RecalcClick(nullptr);

    b.CheckEnabled = 1;
    b.checkOlog->SetChecked(o.words);
    CurrentBidderLabel = cp1253::FromUtf8(o.bidder);
    if (o.checked) {
      backend->ExpectMessageBox("ΟΜΑΛΗ ΠΡΟΣΦΟΡΑ"_a, IDOK);
      b.DoCheckBtn->Click();
    } else {
      b.BitBtn3->Click();
    }
    return b;
  }

  // A band that printed, the record it printed for, and the captions of
  // its labels (and the line of its memo) as they were printed.
  struct Printed {
    int record;
    AnsiString band;
    std::map<AnsiString, AnsiString> captions;
  };
  std::vector<Printed> printed;

  TrpForm& Form() {
    if (ReportForm == nullptr) {
      ReportForm = NewForm<TrpForm>(nullptr);
      TrpForm& f = *ReportForm;
      f.BandRep1->OnPreview = [](TObject*) {};
      for (TRpCustomBand* band : std::initializer_list<TRpCustomBand*>{
               f.RpBand1, f.ChildBand1, f.ChildBand2, f.ChildBand3, f.ChildBand3a, f.ChildBand5, f.ChildBand6,
               f.ChildBand8, f.RpBand3, f.ChildBand7}) {
        auto previous = band->AfterPrint;
        band->AfterPrint = [this, band, previous, &f](TObject* sender, bool done) {
          if (done) {
            Printed p{f.LineIndex, band->Name(), {}};
            for (int i = 0; i < band->ControlCount(); ++i) {
              if (auto* l = dynamic_cast<TRpLabel*>(band->Controls(i))) p.captions[l->Name()] = l->Caption();
              if (auto* m = dynamic_cast<TRpMemo*>(band->Controls(i)))
                p.captions[m->Name()] = m->Lines()->Text();
            }
            printed.push_back(p);
          }
          if (previous) previous(sender, done);
        };
      }
    }
    return *ReportForm;
  }

  // The kind run from the budget window's print button or menu, through the
  // dialog's preview button.
  void Run(TUproypFrm& b, int kind) {
    TrpForm& f = Form();
    printed.clear();
    backend->ExpectModal("Εκτυπώσεις"_a, [&](TCustomForm&) {
      EXPECT_EQ(f.ShowGuard, 10);
      // A print command meanwhile does nothing.
      b.PrintProyp->Click();
      EXPECT_EQ(f.ReportKind, kind);
      backend->Click(*f.BitBtn2, 10, 10);
    });
    if (kind == 2) b.PrintProyp->Click();
    if (kind == 3) b.N3Click(nullptr);
    if (kind == 4) b.N1Click(nullptr);
    EXPECT_EQ(f.ReportKind, kind);
    EXPECT_EQ(f.ShowGuard, 0);
    EXPECT_EQ(f.BandRep1->Page()->Orientation(), kind == 2 ? poLandscape : poPortrait);
  }

  // The bands other than the detail band and the closing ones, as
  // "record band" in order of printing.
  std::vector<std::string> Blocks() const {
    std::vector<std::string> out;
    for (const Printed& p : printed)
      if (p.band != "RpBand1" && p.band != "RpBand3" && p.band != "ChildBand7")
        out.push_back(std::to_string(p.record) + " " + p.band);
    return out;
  }
  const Printed* Find(const char* band) const {
    for (const Printed& p : printed)
      if (p.band == band) return &p;
    return nullptr;
  }
  // The record of the first line at or after From that begins with Text.
  static int Record(TUproypFrm& b, const AnsiString& text, int from = 0) {
    for (int i = from; i < b.Memo1->Lines().Count(); ++i)
      if (Trim(b.Memo1->Lines()[i]).rfind(text, 0) == 0) return i + 1;
    return -1;
  }
  static double Number(const AnsiString& caption) { return StrToNum(Trim(caption)); }

  // The form shown for the kind from the budget window and left, then its
  // report printed on the PDF printer: the text of the file, blanks
  // collapsed, and the file's name.
  std::string PrintToPdf(TUproypFrm& b, int kind, const std::string& name, std::string* file = nullptr,
                         const std::function<void()>& inDialog = {}) {
    TrpForm& f = Form();
    // Through the preview, from which the committee prints.
    backend->ExpectModal("Εκτυπώσεις"_a, [&](TCustomForm&) {
      if (inDialog) inDialog();
      backend->Click(*f.BitBtn2, 10, 10);
    });
    if (kind == 1) f.ShowForKind(1);
    if (kind == 2) b.PrintProyp->Click();
    if (kind == 3) b.N3Click(nullptr);
    if (kind == 4) b.N1Click(nullptr);
    const std::filesystem::path folder = TestOutputFolder() / name;
    std::filesystem::create_directories(folder);
    TPrinterProfile pdf = printers::PdfPrinterProfile();
    pdf.OutputFolder = folder.string();
    printers::UseProfiles({pdf}, 0);
    Printer()->Refresh();
    Printer()->SetPrinterIndex(0);
    Printer()->ResetDeviceMode();
    f.BandRep1->Print();
    printers::UseSystem();
    Printer()->Refresh();
    std::string written;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
      if (entry.path().extension() == ".pdf") written = entry.path().string();
    EXPECT_FALSE(written.empty());
    if (file != nullptr) *file = written;
    std::string text;
    EXPECT_TRUE(PdfText(written, text, /*layout=*/true));
    return Collapse(text);
  }
  static std::string Collapse(const std::string& text) {
    std::string out;
    for (char c : text) {
      const bool blank = c == ' ' || c == '\n' || c == '\r' || c == '\f' || c == '\t';
      if (!blank)
        out += c;
      else if (!out.empty() && out.back() != ' ')
        out += ' ';
    }
    return out;
  }
  static std::string Utf8(const AnsiString& text) { return Collapse(cp1253::ToUtf8(Trim(text))); }
};

const Offer kOffers[] = {
    {"everything", true, true, true, true, true, 4, "18", "1:ΑΛΦΑ ΤΕΧΝΙΚΗ"},
    {"bare", false, false, false, true, false, 2, "0", "2:ΒΗΤΑ ΕΡΓΑ"},
    {"revision, no words, unchecked", true, false, false, false, true, 2, "18", "3:ΓΑΜΜΑ"},
    {"asphalt, words", false, true, true, true, false, 4, "0", "4:ΔΕΛΤΑ ΟΕ"},
};

// Kind 2: one record per line of the check report, each its own line.
TEST_F(ReportFormOnCheckReports, KindTwoPrintsEveryLineOnce) {
  for (const Offer& o : kOffers) {
    SCOPED_TRACE(o.name);
    TUproypFrm& b = Budget(o);
    Run(b, 2);
    std::vector<AnsiString> lines;
    for (const Printed& p : printed)
      if (p.band == "RpBand1") lines.push_back(p.captions.at("RpMemo1"));
    ASSERT_EQ(int(lines.size()), b.Memo1->Lines().Count());
    for (std::size_t i = 0; i < lines.size(); ++i) {
      const AnsiString line = b.Memo1->Lines()[int(i)];
      EXPECT_EQ(lines[i], (line.empty() ? AnsiString("  ") : line) + "\r\n") << i;
    }
    EXPECT_EQ(Blocks(), std::vector<std::string>{});
    EXPECT_EQ(ReportForm->BandRep1->Font().Name, b.Memo1->Font().Name);
    EXPECT_EQ(ReportForm->BandRep1->Font().Size(), b.Memo1->Font().Size());
    delete BudgetForm;
  }
}

// Kinds 3 and 4: a category row for each row of section B, whether or not
// the discounts in words come first; kind 3 the sums once at the mean
// discount and the closing block once at the project's total, with the
// revision and asphalt bands only when their lines occur.
TEST_F(ReportFormOnCheckReports, KindsThreeAndFourPrintEachBlockWithItsCaptions) {
  for (const Offer& o : kOffers) {
    SCOPED_TRACE(o.name);
    TUproypFrm& b = Budget(o);
    const auto total = [&](int col, int row) { return StrToNum(b.SumaGrid->Cells(col, row)); };
    const int heading = Record(b, "Α/Α              ΚΑΤΗΓΟΡΙΑ                    ΔΑΠΑΝΗ ΜΕΛΕΤΗΣ"_a);
    ASSERT_GT(heading, 0);
    const int rows = o.partial ? 4 : 3;
    std::vector<int> rowRecords;
    for (int i = 1; i <= rows; ++i) rowRecords.push_back(Record(b, IntToStr(i) + " ", heading));
    const int mean = Record(b, "Μέση έκπωση Εμ="_a), closing = Record(b, "Σύνολο Δαπάνης του Έργου"_a);
    for (int kind : {3, 4}) {
      SCOPED_TRACE(kind);
      Run(b, kind);
      std::vector<std::string> expected;
      for (int r : rowRecords)
        expected.push_back(std::to_string(r) + (kind == 3 ? " ChildBand1" : " ChildBand8"));
      if (kind == 3) {
        expected.push_back(std::to_string(mean) + " ChildBand2");
        for (const char* band : {"ChildBand3", "ChildBand3a", "ChildBand5", "ChildBand6"})
          if ((band != std::string("ChildBand3a") || o.revision) &&
              (band != std::string("ChildBand5") || o.asphalt))
            expected.push_back(std::to_string(closing) + " " + band);
      }
      EXPECT_EQ(Blocks(), expected);
      // One record per line, the raw lines out of sight.
      int records = 0;
      for (const Printed& p : printed) records += p.band == "RpBand1";
      EXPECT_EQ(records, b.Memo1->Lines().Count());
      EXPECT_EQ(ReportForm->RpBand1->Height(), 0);

      int row = 0;
      for (const Printed& p : printed) {
        const auto& c = p.captions;
        if (p.band == "ChildBand1" || p.band == "ChildBand8") {
          ++row;
          const bool four = p.band == "ChildBand8";
          EXPECT_EQ(c.at(four ? "RpOmadaNmr_P" : "RpOmadaNmr"), "\r" + IntToStr(row) + "η"_a);
          const AnsiString category = b.ProypGrid->Cells(3, row);
          EXPECT_EQ(c.at(four ? "RpOmadaPer_p" : "RpOmadaPer"), "\r" + category);
          const double d = StrToNum(b.ProypGrid->Cells(5, row));
          EXPECT_EQ(Trim(c.at(four ? "RpOmadaEkpt_P" : "RpOmadaEkpt")), FloatToStr(d) + "%");
          if (four) {
            EXPECT_EQ(c.at("RpOmadaPro_olo"), "\r" + NumToWords(3, 0, d));
          } else {
            EXPECT_DOUBLE_EQ(Number(c.at("RpOmadaPro")), StrToNum(b.ProypGrid->Cells(4, row)));
            EXPECT_DOUBLE_EQ(Number(c.at("RpOmadaPoso")), StrToNum(b.ProypGrid->Cells(6, row)));
          }
        } else if (p.band == "ChildBand2") {
          EXPECT_DOUBLE_EQ(Number(c.at("RpLabel10")), total(4, 1));
          EXPECT_DOUBLE_EQ(Number(c.at("RpLabel12")), total(6, 1));
          const bool overhead = StrToNum(o.overhead) > 0;
          EXPECT_EQ(c.at("RpLabel13").rfind("Γ.Ε.& Ο.Ε."_a, 0) == 0, overhead)
              << cp1253::ToUtf8(c.at("RpLabel13"));
          EXPECT_EQ(Trim(c.at("RpLabel14")).empty(), !overhead);
          if (overhead) {
            EXPECT_DOUBLE_EQ(Number(c.at("RpLabel14")), total(4, 2));
            EXPECT_DOUBLE_EQ(Number(c.at("RpLabel16")), total(6, 2));
          }
          EXPECT_DOUBLE_EQ(Number(c.at("RpLabel18")), total(4, 3));
          EXPECT_DOUBLE_EQ(Number(c.at("RpLabel20")), total(6, 3));
          // The fraction: study total over study total less offer total.
          EXPECT_NE(c.at("RpLabel27").find(b.SumaGrid->Cells(6, 3)), AnsiString::npos);
          EXPECT_NE(c.at("RpLabel28").find(b.SumaGrid->Cells(4, 3)), AnsiString::npos);
          EXPECT_EQ(c.at("RpLabel28").find(b.SumaGrid->Cells(6, 3)), AnsiString::npos);
          // The mean with every decimal the report gives it.
          const AnsiString result = c.at("RpLabel29");
          ASSERT_EQ(result.substr(0, 3), " = ");
          ASSERT_EQ(result.substr(result.size() - 2), " %");
          const AnsiString figure = result.substr(3, result.size() - 5);
          const std::size_t point = figure.find_first_of(".,");
          ASSERT_NE(point, AnsiString::npos);
          EXPECT_NEAR(StrToNum(figure), b.MeanDiscount * 100, std::pow(10.0, -o.discountDecimals)) << figure;
        } else if (p.band == "ChildBand3") {
          EXPECT_EQ(c.at("RpLabel30").rfind("ΑΠΡΟΒΛΕΠΤΑ"_a, 0), 0u);
          EXPECT_DOUBLE_EQ(Number(c.at("RpLabel31")), total(4, 4));
          EXPECT_DOUBLE_EQ(Number(c.at("RpLabel33")), total(6, 4));
        } else if (p.band == "ChildBand3a") {
          EXPECT_DOUBLE_EQ(Number(c.at("RpLabel35")), total(4, 5));
          EXPECT_DOUBLE_EQ(Number(c.at("RpLabel37")), total(6, 5));
          EXPECT_DOUBLE_EQ(Number(c.at("RpLabel39")), total(4, 6));
          EXPECT_DOUBLE_EQ(Number(c.at("RpLabel41")), total(6, 6));
        } else if (p.band == "ChildBand5") {
          EXPECT_NEAR(Number(c.at("RpLabel59")), total(4, 5) + total(4, 6), 1e-9);
          EXPECT_NEAR(Number(c.at("RpLabel61")), total(6, 5) + total(6, 6), 1e-9);
          EXPECT_DOUBLE_EQ(Number(c.at("RpLabel55")), total(4, 7));
          EXPECT_DOUBLE_EQ(Number(c.at("RpLabel57")), total(6, 7));
          EXPECT_DOUBLE_EQ(Number(c.at("RpLabel63")), total(4, 8));
          EXPECT_DOUBLE_EQ(Number(c.at("RpLabel65")), total(6, 8));
        } else if (p.band == "ChildBand6") {
          EXPECT_DOUBLE_EQ(Number(c.at("RpLabel43")), total(4, 9));
          EXPECT_DOUBLE_EQ(Number(c.at("RpLabel45")), total(6, 9));
        } else if (p.band == "RpBand3") {
          const std::string bidder = o.bidder;
          EXPECT_EQ(cp1253::ToUtf8(Trim(c.at("RpLabel53"))), bidder.substr(bidder.find(':') + 1));
        }
      }
      EXPECT_EQ(row, rows);
      ASSERT_NE(Find("ChildBand7"), nullptr);
      EXPECT_EQ(Find("ChildBand7")->captions.at("RpLabel70"), PublisherContactLine);
    }
    delete BudgetForm;
  }
}

// The line of a partial sum that the check report writes for a row of 99 %
// or more offers no discount: kind 4 gives it no words.
TEST(ReportFormPartialSum, APartialSumGetsNoDiscountInWords) {
  InstallHeadlessBackend();
  TMemorySheet grid(14, 10), totals(7, 10);
  const char* cells[][4] = {{"Χωματουργικά", "8680", "20", "6944"},
                            {"Τεχνικά έργα", "420", "23", "323"},
                            {"=1:2(9100)", "", "100", ""}};
  for (int r = 1; r <= 3; ++r)
    for (int c = 0; c < 4; ++c) grid.SetCell(c + 3, r, cp1253::FromUtf8(cells[r - 1][c]));
  TCheckReportInput in;
  in.Kind = TBudgetKind::Categories;
  in.Rows = 3;
  in.Style = 1;
  in.BidderLabel = "5:ΕΨΙΛΟΝ"_a;
  std::unique_ptr<TForm> owner(NewForm<TForm>(nullptr));
  auto* memo = new TMemo(owner.get());
  memo->SetParent(owner.get());
  for (const AnsiString& line : CheckReportLines(in, grid, totals)) memo->Lines().Add(line);
  std::unique_ptr<TrpForm> form(NewForm<TrpForm>(nullptr));
  form->CheckReport = memo;
  form->BudgetCell = [&](int col, int row) { return grid.Cell(col, row); };
  form->ReportKind = 4;
  bool go = true;
  form->BandRep1BeforePrint(form->BandRep1, go);
  std::vector<AnsiString> rows;
  for (bool more = true; more;) {
    form->BandRep1NeedData(form->BandRep1, more);
    bool print = false;
    form->ChildBand8BeforePrint(form->ChildBand8, print);
    if (more && print) rows.push_back(form->RpOmadaPer_p->Caption() + "|" + form->RpOmadaPro_olo->Caption());
  }
  ASSERT_EQ(rows.size(), 3u) << "the rows of section B";
  EXPECT_EQ(rows[0], "\rΧωματουργικά|\r"_a + NumToWords(3, 0, 20));
  EXPECT_EQ(rows[2], "\rΜΕΡΙΚΟ ΑΘΡΟΙΣΜΑ (9100)|\r"_a);
}

// Each kind on the PDF printer: what the page must hold, read back by
// pdftotext; kind 2 lies on its side; the credit picture closes them all.
TEST_F(ReportFormOnCheckReports, APdfPerKindHoldsItsText) {
  TUproypFrm& b = Budget(kOffers[0]);
  auto* edit = new TRichEdit(&b);
  edit->SetParent(&b);
  edit->Hide();
  TFont font;
  font.Name = "Courier New";
  font.SetHeight(-11);
  edit->SetFont(font);
  edit->Lines().Assign(b.Memo1->Lines());
  Form().Prevform = NewForm<Tprevform>(&b, *edit, PublisherContactLine);
  const std::string credit = Utf8(PublisherContactLine);
  for (int kind : {1, 2, 3, 4}) {
    SCOPED_TRACE(kind);
    std::string file;
    const std::string text = PrintToPdf(b, kind, "kind" + std::to_string(kind), &file);
    const auto holds = [&](const std::string& what) {
      EXPECT_NE(text.find(what), std::string::npos) << what << "\n" << text;
    };
    holds(credit);
    // The file is named after the report's kind.
    EXPECT_EQ(std::filesystem::path(file).filename().string(),
              cp1253::ToUtf8(TrpForm::KindTitle(kind)) + ".pdf");
    // The place and date line whole in any report font.
    holds("ημερομηνία)");
    holds("Ο Προσφέρων");
    // Kinds 3 and 4 read the bidder's name from the report's heading; their
    // raw lines, which hold it too, stay out of sight.
    if (kind >= 3) holds("ΑΛΦΑ ΤΕΧΝΙΚΗ");
    const std::string images = RunCommand("pdfimages -list '" + file + "' 2>&1");
    EXPECT_NE(images.find("image"), std::string::npos) << images;
    const std::string info = RunCommand("pdfinfo '" + file + "' 2>&1");
    // A4 upright, or on its side for kind 2.
    EXPECT_TRUE(std::regex_search(info, std::regex(kind == 2 ? "Page size: +84[12]\\.[0-9]+ x 59[56]\\."
                                                             : "Page size: +59[56]\\.[0-9]+ x 84[12]\\.")))
        << info;
    if (kind <= 2) {
      // The longest line whole: across the page for kind 2, though kind 1
      // ran upright; wrapped onto the next line upright.
      const AnsiString mean = b.Memo1->Lines()[Record(b, "Μέση έκπωση Εμ="_a) - 1];
      holds(Utf8(mean.substr(mean.find(")  ="))));
    }
    if (kind <= 2) {
      // Every line as written, the words of section A among them.
      holds("ΜΕΣΗ ΕΚΠΤΩΣΗ");
      holds("1 Χωματουργικά ΕΙΚΟΣΙ 20%");
      holds(Utf8(b.SumaGrid->Cells(6, 9)));
      EXPECT_EQ(text.find("Β. ΠΡΟΥΠΟΛΟΓΙΣΜΟΣ ΠΡΟΣΦΟΡΑΣ"), std::string::npos);
    }
    if (kind == 3) {
      holds("Β. ΠΡΟΥΠΟΛΟΓΙΣΜΟΣ ΠΡΟΣΦΟΡΑΣ");
      holds("Οδοστρωσία και ασφαλτικά");
      // The offer's total in words.
      holds(Utf8("Ευρώ: "_a + AmountToWords(1, 1, " λεπτά"_a, StrToNum(b.SumaGrid->Cells(6, 3)))));
      holds(Utf8(b.SumaGrid->Cells(6, 9)));
      holds("Αναθεώρηση");
      holds("Ασφαλτος");
      EXPECT_EQ(text.find("ΜΕΣΗ ΕΚΠΤΩΣΗ"), std::string::npos) << "the raw lines stay out of sight";
    }
    if (kind == 4) {
      holds("Α. ΠΡΟΣΦΟΡΑ ΠΟΣΟΣΤΩΝ ΕΚΠΤΩΣΗΣ");
      // Each category's discount in words and in figures.
      for (int row : {1, 2, 4}) {
        const AnsiString d = b.ProypGrid->Cells(5, row);
        holds(Utf8(b.ProypGrid->Cells(3, row)) + " " + Utf8(NumToWords(3, 0, StrToNum(d))) + " " + Utf8(d) +
              "%");
      }
      EXPECT_EQ(text.find(Utf8(b.SumaGrid->Cells(6, 9))), std::string::npos);
    }
  }
}

// A word of a PDF page and where it stands, in points from the top.
struct PdfWord {
  std::string text;
  double x0, y0, x1;
};

std::vector<PdfWord> PdfWords(const std::string& file) {
  std::vector<PdfWord> words;
  const std::string xml = RunCommand("pdftotext -bbox -f 1 -l 1 '" + file + "' - 2>&1");
  static const std::regex word(
      R"re(<word xMin="([0-9.]+)" yMin="([0-9.]+)" xMax="([0-9.]+)" yMax="[0-9.]+">([^<]*)</word>)re");
  for (std::sregex_iterator i(xml.begin(), xml.end(), word), end; i != end; ++i)
    words.push_back({(*i)[4], std::stod((*i)[1]), std::stod((*i)[2]), std::stod((*i)[3])});
  EXPECT_FALSE(words.empty()) << xml;
  return words;
}

// How far the nearest Text stands above or below the height Y; a large
// number when it is not on the page.
double Offset(const std::vector<PdfWord>& words, const std::string& text, double y) {
  double best = 1e9;
  for (const PdfWord& w : words)
    if (w.text == text && std::fabs(w.y0 - y) < std::fabs(best)) best = w.y0 - y;
  return best;
}

// Form B by categories: each category's amounts and discount stand on its
// own line, and the general expenses and benefit show both amounts, a
// percentage and an expression alike.
TEST_F(ReportFormOnCheckReports, FormBPutsEachAmountOnItsLine) {
  for (const char* overhead : {"18", "$1*18%+$2*10%"}) {
    SCOPED_TRACE(overhead);
    Offer o = kOffers[1];
    o.overhead = overhead;
    TUproypFrm& b = Budget(o);
    std::string file;
    PrintToPdf(b, 3, std::string("formB-") + (overhead[0] == '$' ? "expression" : "percent"), &file);
    const std::vector<PdfWord> words = PdfWords(file);
    // The expression as typed names the line.
    if (overhead[0] == '$') {
      bool named = false;
      for (const PdfWord& w : words) named = named || w.text == overhead;
      EXPECT_TRUE(named);
    }
    for (int row = 1; row <= 3; ++row) {
      const std::string name = Utf8(b.ProypGrid->Cells(3, row));
      const std::string first = name.substr(0, name.find(' '));
      double y = -1;
      for (const PdfWord& w : words)
        if (w.text == first) y = w.y0;
      ASSERT_GE(y, 0) << name;
      for (const std::string& value : {Utf8(b.ProypGrid->Cells(4, row)), Utf8(b.ProypGrid->Cells(6, row)),
                                       Utf8(b.ProypGrid->Cells(5, row)) + "%", std::to_string(row) + "η"})
        EXPECT_LT(std::fabs(Offset(words, value, y)), 1.5) << name << ": " << value;
    }
    // "xΣπ=" with the offer's amount beside it, "xΣσ=" with the study's.
    for (const auto& [caption, amount] : {std::pair{std::string("xΣπ="), Utf8(b.SumaGrid->Cells(6, 2))},
                                          std::pair{std::string("xΣσ="), Utf8(b.SumaGrid->Cells(4, 2))}}) {
      const PdfWord* label = nullptr;
      for (const PdfWord& w : words)
        if (w.text.size() >= caption.size() &&
            w.text.compare(w.text.size() - caption.size(), caption.size(), caption) == 0)
          label = &w;
      ASSERT_NE(label, nullptr) << caption;
      ASSERT_NE(StrToNum(b.SumaGrid->Cells(6, 2)), 0.0);
      bool beside = false;
      for (const PdfWord& w : words)
        beside = beside || (w.text == amount && std::fabs(w.y0 - label->y0) < 1.5 && w.x0 > label->x1 - 1);
      EXPECT_TRUE(beside) << caption << " " << amount;
    }
  }
}

// Without general expenses and benefit their line holds nothing, not a
// multiplier standing alone.
TEST_F(ReportFormOnCheckReports, FormBWithoutOverheadShowsNoLoneMultiplier) {
  TUproypFrm& b = Budget(kOffers[1]);  // its percentage is 0
  const std::string text = PrintToPdf(b, 3, "formB-no-overhead");
  EXPECT_EQ(text.find("xΣπ="), std::string::npos) << text;
  EXPECT_NE(text.find("Σπ="), std::string::npos) << text;
}

// Form B of an offer by work items prints its items, as the check report
// lists them, under the form's heading, and none of the categories' heads.
TEST_F(ReportFormOnCheckReports, FormBOfAWorkItemsOfferPrintsItsItems) {
  TUproypFrm& b = StudyBudget(1);
  for (int r = 1; r < 40; ++r)
    for (int c = 1; c < b.ProypGrid->ColCount(); ++c) b.ProypGrid->SetCells(c, r, "");
  const struct {
    const char *code, *quantity, *price, *offer;
  } items[] = {{"Α-1", "10", "12.5", "11"}, {"Β-2", "2", "100", "90"}, {"Γ-3", "4", "50", "45"}};
  for (int r = 1; r <= 3; ++r) {
    b.ProypGrid->SetCells(1, r, cp1253::FromUtf8(items[r - 1].code));
    b.ProypGrid->SetCells(2, r, items[r - 1].quantity);
    b.ProypGrid->SetCells(3, r, items[r - 1].price);
  }
  b.SumaGrid->SetCells(3, 2, "18");
  b.resum(true);
  b.SetBidderLayout();
  b.CheckEnabled = 1;
  for (int r = 1; r <= 3; ++r) b.ProypGrid->SetCells(5, r, items[r - 1].offer);
  b.RecalcClick(nullptr);
  CurrentBidderLabel = cp1253::FromUtf8("5:ΕΨΙΛΟΝ ΑΤΕ");
  b.BitBtn3->Click();
  ASSERT_GT(Record(b, "Α/Α      Α.Τ."_a), 0);
  const std::string text = PrintToPdf(b, 3, "formB-work-items");
  EXPECT_NE(text.find("Β. ΠΡΟΥΠΟΛΟΓΙΣΜΟΣ ΠΡΟΣΦΟΡΑΣ"), std::string::npos) << text;
  for (int r = 1; r <= 3; ++r) {
    EXPECT_NE(text.find(items[r - 1].code), std::string::npos) << text;
    EXPECT_NE(text.find(Utf8(b.ProypGrid->Cells(6, r))), std::string::npos) << r << "\n" << text;
  }
  EXPECT_NE(text.find("ΣΥΝΟΛΙΚΟ ΠΟΣΟ ΠΡΟΣΦΟΡΑΣ " + Utf8(b.SumaGrid->Cells(6, 3))), std::string::npos) << text;
  EXPECT_NE(text.find("ΕΨΙΛΟΝ ΑΤΕ"), std::string::npos) << text;
  // The heads of the categories' columns and the check report's heading
  // lines stay out.
  EXPECT_EQ(text.find("Δαπάνη ομάδας"), std::string::npos) << text;
  EXPECT_EQ(text.find("ΜΕΣΗ ΕΚΠΤΩΣΗ"), std::string::npos) << text;
}

// Two bidders in turn on the one form: the second's pages show nothing of
// the first, though its report lacks the lines that filled them.
TEST_F(ReportFormOnCheckReports, TheNextBidderSeesNothingOfTheLast) {
  TUproypFrm& first = Budget(kOffers[0]);
  const std::string overhead = Utf8(first.SumaGrid->Cells(6, 2));
  const std::string revision = Utf8(first.SumaGrid->Cells(6, 6));
  std::string text = PrintToPdf(first, 3, "first");
  EXPECT_NE(text.find("ΑΛΦΑ ΤΕΧΝΙΚΗ"), std::string::npos);
  EXPECT_NE(text.find(overhead), std::string::npos);
  EXPECT_NE(text.find(revision), std::string::npos);
  delete BudgetForm;
  TUproypFrm& second = Budget(kOffers[1]);
  text = PrintToPdf(second, 3, "second");
  EXPECT_NE(text.find("ΒΗΤΑ ΕΡΓΑ"), std::string::npos);
  EXPECT_EQ(text.find("ΑΛΦΑ"), std::string::npos) << text;
  EXPECT_EQ(text.find(overhead), std::string::npos) << text;
  EXPECT_EQ(text.find(revision), std::string::npos) << text;
  EXPECT_EQ(text.find("Αναθεώρηση"), std::string::npos);
  for (const AnsiString& caption :
       {ReportForm->RpLabel13->Caption(), ReportForm->RpLabel14->Caption(), ReportForm->RpLabel16->Caption()})
    EXPECT_EQ(caption, "");
}

// The font chosen for kinds 3 and 4 holds for the next run and the next
// bidder; kind 2 prints in the check report's font.
TEST_F(ReportFormOnCheckReports, TheChosenFontIsKept) {
  TUproypFrm& b = Budget(kOffers[3]);
  TrpForm& f = Form();
  backend->ExpectModal("Εκτυπώσεις"_a, [&](TCustomForm&) {
    EXPECT_TRUE(f.BtnFont->Visible());
    // The font button says what it does, the whole of it inside the dialog.
    EXPECT_EQ(f.BtnFont->Caption(), "Αλλαγή γραμματοσειράς (Fonts)"_a);
    TCanvas& canvas = f.Canvas();
    canvas.Font->Assign(f.BtnFont->Font());
    EXPECT_LE(canvas.TextWidth(f.BtnFont->Caption()) + 8, f.BtnFont->Width());
    EXPECT_LE(f.BtnFont->Left() + f.BtnFont->Width(), f.ClientWidth());
    EXPECT_LE(f.BtnFont->Top() + f.BtnFont->Height(), f.ClientHeight());
    // The dialog starts from the report's font; Enter takes it.
    TFont font;
    font.Name = "Times New Roman";
    font.SetSize(11);
    f.BandRep1->SetFont(font);
    backend->ExpectModal("Γραμματοσειρά"_a, [&](TCustomForm&) { backend->PressKey(VK_RETURN); });
    backend->Click(*f.BtnFont, 4, 4);
    backend->Click(*f.BitBtn1, 10, 10);
  });
  b.N3Click(nullptr);
  EXPECT_EQ(f.BandRep1->Font().Name, "Times New Roman");
  EXPECT_EQ(f.temp_font->Font().Name, "Times New Roman");
  Run(b, 4);
  EXPECT_EQ(f.BandRep1->Font().Name, "Times New Roman");
  EXPECT_TRUE(f.RpLabel2a->Font().Style & fsBold);
  Run(b, 2);
  EXPECT_EQ(f.BandRep1->Font().Name, b.Memo1->Font().Name);
  Run(b, 3);
  EXPECT_EQ(f.BandRep1->Font().Name, "Times New Roman");
}

// The row number in the first three characters: digits only, right
// aligned; anything else is no category row, a blank between digits too.
TEST(ReportFormRowNumber, OnlyDigitsMakeARow) {
  InstallHeadlessBackend();
  std::unique_ptr<TForm> owner(NewForm<TForm>(nullptr));
  auto* memo = new TMemo(owner.get());
  memo->SetParent(owner.get());
  std::unique_ptr<TrpForm> form(NewForm<TrpForm>(nullptr));
  form->CheckReport = memo;
  form->ReportKind = 3;
  struct Case {
    const char* line;
    int groupNo;
  };
  const Case cases[] = {{" 12 ΟΔΟΠΟΙΙΑ", 12}, {"1 2 ΟΔΟΠΟΙΙΑ", 0}, {"  7 ΠΡΑΣΙΝΟ", 7},
                        {"   συνέχεια", 7},   {"1a  άλλο", 0},     {" 2 3", 2}};
  for (const Case& c : cases) memo->Lines().Add(cp1253::FromUtf8(c.line));
  bool go = true;
  form->BandRep1BeforePrint(form->BandRep1, go);
  for (const Case& c : cases) {
    bool more = false;
    EXPECT_NO_THROW(form->BandRep1NeedData(form->BandRep1, more)) << c.line;
    EXPECT_EQ(form->GroupNo, c.groupNo) << c.line;
  }
}

// The orientation chosen in the dialog holds for the pages: the check
// report upright keeps its long lines, wrapped.
TEST_F(ReportFormOnCheckReports, TheChosenOrientationHolds) {
  TUproypFrm& b = Budget(kOffers[0]);
  struct Case {
    int kind, item;
    const char* size;
  };
  for (const Case c : {Case{2, 0, "Page size: +59[56]\\.[0-9]+ x 84[12]\\."},
                       Case{3, 1, "Page size: +84[12]\\.[0-9]+ x 59[56]\\."}}) {
    SCOPED_TRACE(c.kind);
    std::string file;
    const std::string text = PrintToPdf(b, c.kind, "turned" + std::to_string(c.kind), &file, [&] {
      backend->Click(*Form().RadioGroup1, 20, c.item == 0 ? 20 : 36);
      EXPECT_EQ(Form().RadioGroup1->ItemIndex(), c.item);
    });
    const std::string info = RunCommand("pdfinfo '" + file + "' 2>&1");
    EXPECT_TRUE(std::regex_search(info, std::regex(c.size))) << info;
    const AnsiString mean = b.Memo1->Lines()[Record(b, "Μέση έκπωση Εμ="_a) - 1];
    if (c.kind == 2) {
      EXPECT_NE(text.find(Utf8(mean.substr(mean.find(")  =")))), std::string::npos) << text;
    }
  }
}

// The place and date line as the engine lays it out, per kind,
// orientation and font: one line where it fits beside the bidder's block,
// else the caption whole on the line below, starting where the line began;
// nothing beyond the page and nothing over the bidder's name.
TEST_F(ReportFormOnCheckReports, TheDateLineIsSplitOnlyWhenItCannotFit) {
  TUproypFrm& b = Budget(kOffers[0]);
  auto* edit = new TRichEdit(&b);
  edit->SetParent(&b);
  edit->Hide();
  edit->Lines().Assign(b.Memo1->Lines());
  Form().Prevform = NewForm<Tprevform>(&b, *edit, PublisherContactLine);
  const TFont checkFont = b.Memo1->Font();
  struct Case {
    int kind, item;
    const char* font;
    int size;
    int lines;
  };
  const Case cases[] = {
      {2, 1, nullptr, 0, 1},
      {2, 0, nullptr, 0, 1},
      {2, 1, "Courier New", 12, 1},
      {2, 0, "Courier New", 12, 2},
      {2, 1, "Times New Roman", 14, 1},
      {2, 1, "Courier New", 20, 2},
      {1, 0, "Courier New", 8, 1},
      {1, 1, "Arial", 16, 1},
      {3, 0, nullptr, 0, 1},
  };
  const AnsiString whole = "- - - - - - - - - - - - - - - - - - - - - -   (Τόπος και ημερομηνία)"_a;
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.kind) + " " + std::to_string(c.item) + " " + (c.font ? c.font : "default") +
                 " " + std::to_string(c.size));
    TFont font = checkFont;
    if (c.font != nullptr) {
      font.Name = c.font;
      font.SetSize(c.size);
    }
    b.Memo1->SetFont(font);
    edit->SetFont(font);
    TrpForm& f = Form();
    printed.clear();
    backend->ExpectModal("Εκτυπώσεις"_a, [&](TCustomForm&) {
      backend->Click(*f.RadioGroup1, 20, c.item == 0 ? 20 : 36);
      backend->Click(*f.BitBtn2, 10, 10);
    });
    if (c.kind == 1) f.ShowForKind(1);
    if (c.kind == 2) b.PrintProyp->Click();
    if (c.kind == 3) b.N3Click(nullptr);
    ASSERT_NE(Find("RpBand3"), nullptr);
    EXPECT_EQ(f.BandRep1->Page()->Orientation(), c.item == 0 ? poPortrait : poLandscape);
    TRpLabel& date = *f.RpLabel50;
    const TStringList& lines = *date.FormattedLines();
    const auto width = [&](const AnsiString& text) { return f.BandRep1->TextWidth(date.Font(), text); };
    const int band = f.RpBand3->Width();
    EXPECT_EQ(lines.Count(), c.lines);
    if (lines.Count() == 1) {
      EXPECT_EQ(lines[0], whole);
    } else {
      ASSERT_EQ(lines.Count(), 2);
      EXPECT_EQ(lines[1], "(Τόπος και ημερομηνία)"_a);
      // Only a line that cannot stand beside the bidder's block is split.
      EXPECT_GT(date.Left() + width(whole) + 2 + 16 + 40 + f.RpLabel51->Width(), band);
    }
    for (int i = 0; i < lines.Count(); ++i) EXPECT_LE(width(lines[i]), date.Width()) << i;
    EXPECT_LE(date.Left() + date.Width(), f.RpLabel53->Left());
    EXPECT_LE(date.Left() + date.Width(), f.RpLabel51->Left());
    EXPECT_LE(f.RpLabel53->Left() + f.RpLabel53->Width(), std::max(band, 690));
    EXPECT_LE(f.RpLabel51->Left() + f.RpLabel51->Width(), std::max(band, 690));
    EXPECT_LE(width("Ο Προσφέρων"_a), f.RpLabel51->Width());
  }
}

}  // namespace

namespace {

// A font of fixed advance: every character Advance pixels wide.
std::function<int(const AnsiString&)> FixedAdvance(int advance) {
  return [advance](const AnsiString& text) { return int(text.size()) * advance + 1; };
}

// The signature lines on bands of either orientation, in fonts of every
// width: the place and date line stays one line while it fits beside the
// bidder's block, which never leaves the band nor covers it; else its
// caption stands whole below the line to write on.
TEST(ReportFormSignature, TheDateLineStaysWholeBesideTheBidder) {
  InstallHeadlessBackend();
  const AnsiString line = "- - - - - - - - - - - - - - - - - - - - - -   (Τόπος και ημερομηνία)"_a;
  const AnsiString title = "Ο Προσφέρων"_a;
  struct Case {
    int band, advance;
    int lines, dateWidth, nameLeft;
  };
  const Case cases[] = {
      {1050, 6, 1, 430, 460},   // fits the form's box: nothing moves
      {1050, 8, 1, 547, 587},   // wider: the bidder's block makes way
      {718, 7, 1, 479, 519},    // upright: the name's box narrows
      {718, 8, 2, 448, 488},    // upright: the block at the right edge
      {718, 12, 2, 448, 488},   // a large font upright
      {1050, 14, 2, 780, 820},  // too large even across the page
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.band) + " " + std::to_string(c.advance));
    const auto measure = FixedAdvance(c.advance);
    const TSignatureLayout l = LayOutSignature(c.band, measure, line, title);
    EXPECT_EQ(l.DateLines, c.lines);
    EXPECT_EQ(l.DateWidth, c.dateWidth);
    EXPECT_EQ(l.NameLeft, c.nameLeft);
    EXPECT_EQ(l.TitleLeft - l.NameLeft, 40);
    EXPECT_GE(l.TitleWidth, measure(title));
    EXPECT_LE(l.DateLeft + l.DateWidth, l.NameLeft);
    EXPECT_LE(l.NameLeft + l.NameWidth, std::max(c.band, 690));
    EXPECT_GE(l.NameWidth, l.TitleLeft - l.NameLeft + l.TitleWidth);
    EXPECT_LE(l.TitleLeft + l.TitleWidth, std::max(c.band, 690));
    if (c.lines == 1) {
      EXPECT_EQ(l.DateCaption, line);
      EXPECT_LE(measure(line), l.DateWidth);
    } else {
      EXPECT_EQ(l.DateCaption, "- - - - - - - - - - - - - - - - - - - - - -\r(Τόπος και ημερομηνία)"_a);
    }
  }
}

}  // namespace
