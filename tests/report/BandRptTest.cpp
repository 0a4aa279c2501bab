#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <map>
#include <regex>

#include "platform/gfx/Metafile.h"
#include "platform/ui/StdCtrls.h"
#include "report/RpCtrls.h"
#include "tests/platform/OtherPrograms.h"
#include "tests/platform/db/TestDatabase.h"
#include "tests/platform/rtl/TempFolder.h"
#include "tests/platform/ui/ControlsFixture.h"
#include "tests/report/BandRptFixture.h"
#include "tests/report/RpTestSupport.h"

namespace {

using namespace bandrpt_test;

TEST_F(BandRptTest, NeedDataLinesFlowOverPagesWithHeadersFootersAndSummary) {
  Standard(120);
  Run();
  // Room on a page: 2970 - 100 - 100 - footer 60 = 2710, less the header 60
  // (and the title 100 on page 1) in lines of 50.
  const int first = (2710 - 60 - 100) / 50, later = (2710 - 60) / 50;
  const auto pages = Pages();
  ASSERT_EQ(static_cast<int>(pages.size()), 1 + (120 - first + later - 1) / later);
  int line = 0;
  for (size_t n = 0; n < pages.size(); ++n) {
    const auto& t = pages[n];
    ASSERT_GE(t.size(), 3u);
    EXPECT_EQ(t[0].S, "Κεφαλίδα"_a);
    EXPECT_EQ(t[0].Y, PxY(100));
    size_t k = 1;
    if (n == 0) {
      EXPECT_EQ(t[1].S, "Τίτλος"_a);
      EXPECT_EQ(t[1].Y, PxY(160));
      k = 2;
    }
    const int top = n == 0 ? 260 : 160;
    for (int row = 0; k < t.size() && t[k].S.rfind("Γραμμή"_a, 0) == 0; ++k, ++row) {
      EXPECT_EQ(t[k].S, "Γραμμή "_a + IntToStr(++line));
      EXPECT_EQ(t[k].Y, PxY(top + 50 * row));
      EXPECT_LE(top + 50 * (row + 1), 2970 - 100 - 60);
    }
    if (n + 1 == pages.size()) {
      EXPECT_EQ(t[k++].S, "Τέλος"_a);
    }
    ASSERT_LT(k, t.size());
    EXPECT_EQ(t[k].S, "Σελίδα "_a + IntToStr(static_cast<int>(n) + 1));
    // The lines fill each page exactly, so the footer follows them at the
    // bottom; the final pass puts it there on the last page.
    EXPECT_EQ(t[k].Y, PxY(2970 - 100 - 60));
  }
  EXPECT_EQ(line, 120);
  EXPECT_EQ(rep->GetRecordNumber(), 120);
  EXPECT_TRUE(rep->Available);
}

TEST_F(BandRptTest, APrintableLetsGoOfTheRunsPrinterWhenTheRunEnds) {
  Standard(3);
  bool seenDuring = false;
  rep->OnNeedData() = [this, &seenDuring](TObject*, bool& more) {
    seenDuring = seenDuring || detail->RpPrinter == printer.get();
    more = fed < total;
    if (more) detail->SetCaption("Γραμμή "_a + IntToStr(++fed));
  };
  Run();
  EXPECT_TRUE(seenDuring);
  // The printer may be freed now; nothing keeps its address.
  EXPECT_EQ(detail->RpPrinter, nullptr);
}

TEST_F(BandRptTest, OptionsLeaveOutTheFirstHeaderAndTheLastFooter) {
  Standard(3);
  rep->Options = {};
  Run();
  const auto pages = Pages();
  ASSERT_EQ(pages.size(), 1u);
  EXPECT_EQ(Strings(pages[0]),
            (std::vector<AnsiString>{"Τίτλος"_a, "Γραμμή 1"_a, "Γραμμή 2"_a, "Γραμμή 3"_a, "Τέλος"_a}));
  EXPECT_EQ(pages[0][1].Y, PxY(200));
}

TEST_F(BandRptTest, BottomAlignedSummarySitsAboveTheFooter) {
  Standard(3);
  rep->Bands()->Band(TBandRepBands::iSummary)->AlignToBottom = true;
  Run();
  auto t = PageTexts(*printer, 1);
  ASSERT_EQ(t.size(), 7u);
  EXPECT_EQ(t[5].S, "Τέλος"_a);
  EXPECT_EQ(t[5].Y, PxY(2970 - 100 - 60 - 80));
  // Without the last page footer the summary takes the footer's room.
  rep->Options = {FirstPageHeader};
  Run();
  t = PageTexts(*printer, 1);
  ASSERT_EQ(t.size(), 6u);
  EXPECT_EQ(t[5].Y, PxY(2970 - 100 - 80));
}

TEST_F(BandRptTest, LandscapeBreaksAtTheShortSide) {
  Standard(80);
  rep->Page()->SetOrientation(poLandscape);
  Run();
  const auto pages = Pages();
  const int first = (2100 - 200 - 60 - 60 - 100) / 50;
  ASSERT_GE(pages.size(), 2u);
  int lines = 0;
  for (const Text& t : pages[0])
    if (t.S.rfind("Γραμμή"_a, 0) == 0) {
      ++lines;
      EXPECT_LE(t.Y + PxY(50), PxY(2100 - 100 - 60));
    }
  EXPECT_EQ(lines, first);
  // Before the last page the footer follows the last line that fitted.
  EXPECT_EQ(pages[0].back().Y, PxY(100 + 60 + 100 + 50 * first));
}

TEST_F(BandRptTest, PrintsToThePdfPrinter) {
  TempFolder folder;
  UsePdfPrinterIn(folder.path());
  Standard(120);
  rep->ReportTitle = "Δοκιμή"_a;
  rep->ShowProgress_ = true;
  rep->Print();
  const std::string file = PrintedPdf(folder);
  ASSERT_FALSE(file.empty());
  const std::string info = RunCommand("pdfinfo '" + file + "' 2>&1");
  EXPECT_NE(info.find("Pages:           3"), std::string::npos) << info;
  const std::string text = RunCommand("pdftotext -layout -enc UTF-8 '" + file + "' - 2>/dev/null");
  for (int n : {1, 50, 120})
    EXPECT_NE(text.find("Γραμμή " + std::to_string(n) + "\n"), std::string::npos) << n;
  EXPECT_NE(text.find("Σελίδα 3"), std::string::npos);
  // Positions on the sheet, in points: the first line below the title.
  const std::string html = RunCommand("pdftotext -bbox -enc UTF-8 -f 1 -l 1 '" + file + "' - 2>/dev/null");
  std::smatch m;
  ASSERT_TRUE(std::regex_search(html, m, std::regex("yMin=\"([0-9.]+)\"[^>]*>Γραμμή")));
  EXPECT_NEAR(std::stod(m[1]), 26.0 / 25.4 * 72, 3);
}

// White labels on white bands print their lines alone: the backgrounds
// lie on paper still blank and each line's clip cuts none of its ink, so
// the PDF holds neither. A coloured band and the labels on it are filled.
TEST_F(BandRptTest, PrintedLinesLeaveOutWhatShowsNothing) {
  ASSERT_TRUE(Installed("qpdf", "qpdf"));
  const auto print = [&](const char* name) {
    TempFolder folder;
    UsePdfPrinterIn(folder.path());
    rep->ReportTitle = name;
    fed = 0;
    rep->Print();
    const std::string file = PrintedPdf(folder);
    std::string content, words;
    if (file.empty()) return std::tuple{content, words};
    RunCommand("qpdf --qdf --stream-data=uncompress '" + file + "' '" + folder.path() + "/qdf.pdf' 2>&1");
    content = ReadBytes(folder.path() + "/qdf.pdf");
    words = RunCommand("pdftotext -bbox -enc UTF-8 '" + file + "' - 2>/dev/null");
    return std::tuple{content, words};
  };
  const auto count = [](const std::string& text, const std::string& what) {
    int n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
  };
  Standard(60);
  const auto [plain, plainWords] = print("plain");
  ASSERT_FALSE(plain.empty());
  EXPECT_EQ(count(plain, " re f"), 0);
  // Only a line whose accents reach above its top keeps its clip: the
  // title's and the summary's.
  EXPECT_LE(count(plain, " re W n"), 2);
  for (int n : {1, 17, 38, 60})
    EXPECT_NE(plainWords.find(">" + std::to_string(n) + "</word>"), std::string::npos) << n;

  // A yellow detail band with a tall font beside each line: the bands
  // are filled, and the white labels on them too.
  TRpCustomBand* band = rep->Bands()->Band(TBandRepBands::iDetail);
  band->SetColor(clYellow);
  TRpLabel* tallLabel = AddControl<TRpLabel>(band, 1100, 0, 200, 30);
  tallLabel->AutoSize = false;
  tallLabel->Font().SetSize(40);
  tallLabel->SetCaption("Ψηλά"_a);
  const auto [tall, tallWords] = print("tall");
  // Each line: its band, the line's label and the tall one.
  EXPECT_GE(count(tall, " re f"), 3 * 60);
  for (int n : {1, 17, 38, 60})
    EXPECT_NE(tallWords.find(">" + std::to_string(n) + "</word>"), std::string::npos) << n;
}

TEST_F(BandRptTest, EmptySources) {
  Standard(0);
  Run();
  // The need-data handler's first "no more" prints nothing of the level.
  EXPECT_EQ(printer->PageCount(), 0);
  rep->OnNeedData() = nullptr;
  detail->SetCaption("Κενή"_a);
  Run();
  ASSERT_EQ(printer->PageCount(), 1);
  EXPECT_EQ(Strings(PageTexts(*printer, 1)),
            (std::vector<AnsiString>{"Κεφαλίδα"_a, "Τίτλος"_a, "Κενή"_a, "Τέλος"_a, "Σελίδα 1"_a}));
}

TEST_F(BandRptTest, CancelStopsAtTheNextRecordAndAFailureLeavesTheReportIdle) {
  Standard(200);
  rep->OnNeedData() = [this](TObject*, bool& more) {
    more = true;
    detail->SetCaption("Γραμμή "_a + IntToStr(++fed));
    if (fed == 30) rep->Cancel();
  };
  Run();
  EXPECT_TRUE(rep->Cancelled);
  EXPECT_TRUE(rep->Available);
  // The record fetched when cancelling is not printed.
  EXPECT_EQ(rep->GetRecordNumber(), 29);
  EXPECT_EQ(printer->Status(), rpsFinished);
  rep->OnNeedData() = [this](TObject*, bool& more) {
    if (++fed == 5) throw Exception("broken");
    more = true;
  };
  EXPECT_THROW(Run(), Exception);
  EXPECT_TRUE(rep->Available);
  EXPECT_EQ(rep->Units(), TRpUnit::Native);
  Feed(2);
  Run();
  EXPECT_FALSE(rep->Cancelled);
  EXPECT_EQ(printer->PageCount(), 1);
}

TEST_F(BandRptTest, ChildBandsFollowTheirParentEvenWhenItIsDisabled) {
  Standard(2);
  TRpCustomBand* band = rep->Bands()->Band(TBandRepBands::iDetail);
  band->SetHasChild(true);
  TRpChildBand* child = band->ChildBand();
  ASSERT_NE(child, nullptr);
  child->Size()->Units = TRpUnit::Native;
  child->Size()->SetValue(TRpBandSize::iHeight, 50);
  AddLabel(child, "Παιδί"_a);
  std::vector<bool> printed;
  band->AfterPrint = [&](TObject*, bool p) { printed.push_back(p); };
  band->SetEnabled(false);
  Run();
  EXPECT_EQ(printed, (std::vector<bool>{false, false}));
  EXPECT_EQ(Strings(PageTexts(*printer, 1)), (std::vector<AnsiString>{"Κεφαλίδα"_a, "Τίτλος"_a, "Παιδί"_a,
                                                                      "Παιδί"_a, "Τέλος"_a, "Σελίδα 1"_a}));
  band->SetEnabled(true);
  child->PrintOrder = cboBeforeParent;
  Run();
  EXPECT_EQ(Strings(PageTexts(*printer, 1)),
            (std::vector<AnsiString>{"Κεφαλίδα"_a, "Τίτλος"_a, "Παιδί"_a, "Γραμμή 1"_a, "Παιδί"_a,
                                     "Γραμμή 2"_a, "Τέλος"_a, "Σελίδα 1"_a}));
}

TEST_F(BandRptTest, ColumnsAndForcedBreaks) {
  Standard(60);
  rep->Page()->SetColumns(2);
  rep->Page()->SetValue(TRpPage::iColumnSpace, 100);
  rep->RebuildBandList();
  Run();
  auto t = PageTexts(*printer, 1);
  const int perColumn = (2710 - 60 - 100) / 50;
  // The second column starts below the title, a column and a gap across.
  const int columnWidth = (1900 - 100) / 2;
  ASSERT_GT(t.size(), static_cast<size_t>(2 + perColumn));
  EXPECT_EQ(t[2 + perColumn].S, "Γραμμή "_a + IntToStr(perColumn + 1));
  EXPECT_EQ(t[2 + perColumn].X, static_cast<int>(Round((100 + columnWidth + 100) * 96 / 254.0L)));
  EXPECT_EQ(t[2 + perColumn].Y, PxY(260));
  // Every detail on its own page; the first stays below the title.
  rep->Page()->SetColumns(1);
  rep->RebuildBandList();
  Feed(3);
  rep->Bands()->Band(TBandRepBands::iDetail)->ForceNewPage = true;
  Run();
  ASSERT_EQ(printer->PageCount(), 3);
  EXPECT_EQ(PageTexts(*printer, 1)[2].S, "Γραμμή 1"_a);
  EXPECT_EQ(PageTexts(*printer, 2)[1].S, "Γραμμή 2"_a);
}

TEST_F(BandRptTest, AStretchingMemoContinuesOnTheNextPage) {
  AddLabel(AddBand(TBandRepBands::iPageHeader, 60), "Κεφαλίδα"_a);
  TRpCustomBand* band = AddBand(TBandRepBands::iDetail, 50);
  auto* memo = AddControl<TRpMemo>(band, 0, 0, 1000, 50);
  memo->AutoSize = false;
  memo->SetAutoStretch(true);
  for (int i = 1; i <= 150; ++i) memo->Lines()->Add("Σειρά "_a + IntToStr(i));
  Feed(1);
  rep->OnNeedData() = [this](TObject*, bool& more) { more = fed++ == 0; };
  Run();
  ASSERT_GE(printer->PageCount(), 2);
  int line = 0;
  for (int n = 1; n <= printer->PageCount(); ++n) {
    auto t = PageTexts(*printer, n);
    EXPECT_EQ(t[0].S, "Κεφαλίδα"_a);
    EXPECT_EQ(t[1].Y, PxY(160));
    for (size_t k = 1; k < t.size(); ++k) EXPECT_EQ(t[k].S, "Σειρά "_a + IntToStr(++line));
  }
  EXPECT_EQ(line, 150);
}

TEST_F(BandRptTest, KeepOnOnePageMovesTheWholeBand) {
  Standard(0);
  TRpCustomBand* band = rep->Bands()->Band(TBandRepBands::iDetail);
  auto* memo = AddControl<TRpMemo>(band, 0, 0, 1000, 50);
  memo->AutoSize = false;
  memo->SetAutoStretch(true);
  band->KeepOnOnePage = true;
  int n = 0;
  rep->OnNeedData() = [&](TObject*, bool& more) {
    more = n < 2;
    memo->Lines()->Clear();
    for (int i = 0; i < 30; ++i) memo->Lines()->Add("Μ"_a + IntToStr(n) + "." + IntToStr(i));
    ++n;
  };
  Run();
  ASSERT_EQ(printer->PageCount(), 2);
  auto second = PageTexts(*printer, 2);
  EXPECT_EQ(second[1].S, "Μ1.0"_a);
}

TEST_F(BandRptTest, GroupsOnADataSet) {
  TTable table(nullptr);
  table.SetDatabaseName(MakeTestDatabase(
      "report_bands",
      "CREATE TABLE sales(region TEXT, city TEXT, amount INTEGER);"
      "INSERT INTO sales VALUES('N','Athens',1),('N','Athens',2),('N','Patra',3),('S','Chania',4);"));
  table.SetTableName("sales");
  table.SetName("Sales");
  table.Open();
  AddBand(TBandRepBands::iDetail, 50);
  auto* amount = AddControl<TRpDBText>(rep->Bands()->Band(TBandRepBands::iDetail), 0, 0, 1000, 50);
  amount->AutoSize = false;
  amount->SetDataSet(&table);
  amount->SetDataField("AMOUNT");
  rep->SetDataSet(&table);
  auto group = [&](const char* expression) {
    auto* g = new TRpGroup(Form.get());
    g->SetParent(rep);
    g->Expression = expression;
    g->Size()->Units = TRpUnit::Native;
    g->Size()->SetValue(TRpBandSize::iHeight, 50);
    auto* e = AddControl<TRpExpr>(g, 0, 0, 1000, 50);
    e->AutoSize = false;
    e->SetExpression("'H ' + " + AnsiString(expression));
    auto* f = new TRpBand(Form.get());
    f->SetParent(rep);
    f->Size()->Units = TRpUnit::Native;
    f->Size()->SetValue(TRpBandSize::iHeight, 50);
    g->SetFooterBand(f);
    auto* sum = AddControl<TRpExpr>(f, 0, 0, 1000, 50);
    sum->AutoSize = false;
    sum->SetExpression("'F ' + " + AnsiString(expression) + " + ' ' + STR(SUM(AMOUNT))");
    sum->ResetAfterPrint = true;
  };
  group("REGION");
  group("CITY");
  Run();
  EXPECT_EQ(Strings(PageTexts(*printer, 1)),
            (std::vector<AnsiString>{"H N", "H Athens", "1", "2", "F Athens 3", "H Patra", "3", "F Patra 3",
                                     "F N 6", "H S", "H Chania", "4", "F Chania 4", "F S 4"}));
  EXPECT_EQ(rep->GetRecordNumber(), 4);
}

TEST_F(BandRptTest, TotalsPageVariablesAndThePreviewPageLimit) {
  Standard(0);
  rep->Functions()->AddFunction("AMOUNT", "0");
  TRpCustomBand* summary = rep->Bands()->Band(TBandRepBands::iSummary);
  auto* total = AddControl<TRpExpr>(summary, 0, 0, 1000, 50);
  total->AutoSize = false;
  total->SetExpression("'Σύνολο ' + STR(SUM(AMOUNT))"_a);
  auto* page = AddControl<TRpExpr>(rep->Bands()->Band(TBandRepBands::iPageHeader), 1000, 0, 800, 50);
  page->AutoSize = false;
  page->SetExpression("'Σ. ' + STR(PAGENUMBER)"_a);
  rep->OnNeedData() = [&](TObject*, bool& more) {
    more = fed < 100;
    if (!more) return;
    ++fed;
    rep->Functions()->SetIntegerConstant(rep->Functions()->GetConstant("AMOUNT"), fed);
  };
  Run();
  const auto pages = Pages();
  ASSERT_EQ(pages.size(), 2u);
  EXPECT_EQ(pages[0][1].S, "Σ. 1"_a);
  EXPECT_EQ(pages[1][1].S, "Σ. 2"_a);
  const auto& last = pages[1];
  bool found = false;
  for (const Text& t : last) found = found || t.S == "Σύνολο 5050"_a;
  EXPECT_TRUE(found);
  // The run ends at the first record after the printer holds one page more.
  rep->PagesInPreview = 1;
  Run();
  EXPECT_EQ(printer->PageCount(), 2);
  EXPECT_LT(rep->GetRecordNumber(), 100);
  EXPECT_EQ(total->Caption(), "'Σύνολο ' + STR(SUM(AMOUNT))"_a);
}

TEST_F(BandRptTest, ThePrintDialogLeavesItsAnswerInTag) {
  printers::UseProfiles({printers::PdfPrinterProfile()}, 0);
  Printer()->Refresh();
  Printer()->SetPrinterIndex(0);
  rep->Page()->SetOrientation(poLandscape);
  rep->PrinterSettings.Copies = 1;
  backend->ExpectModal("Εκτύπωση"_a,
                       [&](TCustomForm& f) { backend->Click(Found<TButton>(f, "CancelButton"), 3, 3); });
  rep->PrinterSetupDialog();
  EXPECT_EQ(rep->Tag, 1);
  backend->ExpectModal("Εκτύπωση"_a,
                       [&](TCustomForm& f) { backend->Click(Found<TButton>(f, "OkButton"), 3, 3); });
  rep->PrinterSetupDialog();
  EXPECT_EQ(rep->Tag, 0);
  // The dialog opened on the report's orientation and gave it back.
  EXPECT_EQ(rep->Page()->Orientation(), poLandscape);
  EXPECT_EQ(rep->PrinterSettings.PrinterIndex, 0);
  EXPECT_EQ(rep->PrinterSettings.FirstPage, 0);
  // With no run going the choices wait for the next one.
  EXPECT_EQ(rep->DialogSettings.PrinterIndex, 0);
  EXPECT_EQ(rep->DialogSettings.Orientation, poLandscape);
  printers::UseSystem();
  Printer()->Refresh();
}

TEST_F(BandRptTest, SubDetailsRunTheirLevelAfterOrBeforeEachRecord) {
  Standard(2);
  auto* sub = new TRpSubDetail(Form.get());
  sub->SetParent(rep);
  sub->Size()->Units = TRpUnit::Native;
  sub->Size()->SetValue(TRpBandSize::iHeight, 50);
  TRpLabel* item = AddLabel(sub, "");
  int n = 0;
  sub->OnNeedData() = [&](TObject* sender, bool& more) {
    EXPECT_EQ(sender, sub);
    more = n % 3 != 2;
    ++n;
    if (more) item->SetCaption("Υπο "_a + IntToStr(n));
  };
  auto* count = AddControl<TRpExpr>(rep->Bands()->Band(TBandRepBands::iSummary), 1000, 0, 800, 50);
  count->AutoSize = false;
  count->SetExpression("COUNT");
  count->SetMaster(sub);
  Run();
  EXPECT_EQ(Strings(PageTexts(*printer, 1)),
            (std::vector<AnsiString>{"Κεφαλίδα"_a, "Τίτλος"_a, "Γραμμή 1"_a, "Υπο 1"_a, "Υπο 2"_a,
                                     "Γραμμή 2"_a, "Υπο 4"_a, "Υπο 5"_a, "Τέλος"_a, "4", "Σελίδα 1"_a}));
  sub->SetPrintBefore(true);
  n = 0;
  Run();
  EXPECT_EQ(Strings(PageTexts(*printer, 1))[2], "Υπο 1"_a);
  // The level gone, the count is the report's own.
  delete sub;
  EXPECT_EQ(count->Master(), nullptr);
  Run();
  const auto texts = Strings(PageTexts(*printer, 1));
  EXPECT_NE(std::find(texts.begin(), texts.end(), "2"), texts.end());
}

TEST_F(BandRptTest, BandsShowTheirKindAndTakeTheirNames) {
  const char* const names[] = {"Title",         "Page Header",  "Detail",       "Page Footer",
                               "Summary",       "Group Header", "Group Footer", "Sub Detail",
                               "Column Header", "Overlay",      "Wild",         "Child"};
  for (int t = 0; t < kRpBandTypeCount; ++t) {
    EXPECT_EQ(RpBandTypeName(static_cast<TRpBandType>(t)), names[t]);
    AnsiString prefix = names[t];
    prefix.erase(std::remove(prefix.begin(), prefix.end(), ' '), prefix.end());
    EXPECT_EQ(RpBandNamePrefix(static_cast<TRpBandType>(t)), prefix + "Band");
  }
  TRpCustomBand* band = AddBand(TBandRepBands::iPageFooter, 50);
  EXPECT_EQ(band->Name(), "PageFooterBand1");
  EXPECT_EQ(rep->CreateBand(rbPageFooter)->Name(), "PageFooterBand2");
  ShowForm();
  std::vector<AnsiString> texts;
  for (const auto& call : Record(*band)->CallsOf("ExtTextOut")) texts.push_back(call.Text);
  EXPECT_EQ(texts, std::vector<AnsiString>{"Page Footer"});
}

TEST_F(BandRptTest, PrintablesPrintWhenEnabledAndAlignInTheirBand) {
  TRpCustomBand* band = AddBand(TBandRepBands::iDetail, 50);
  band->SetWidth(200);
  auto* label = new TRpShape(Form.get());
  label->SetParent(band);
  label->SetBounds(0, 0, 50, 20);
  struct Row {
    bool enabled, visible, prints;
  };
  for (const Row& r :
       {Row{true, true, true}, Row{true, false, true}, Row{false, true, false}, Row{false, false, true}}) {
    label->SetEnabled(r.enabled);
    label->SetVisible(r.visible);
    EXPECT_EQ(label->CanPrint(), r.prints) << r.enabled << r.visible;
  }
  label->SetAlignToBand(true);
  label->SetAlignment(taRightJustify);
  EXPECT_EQ(label->Left(), 150);
  band->SetWidth(201);
  label->SetAlignment(taCenter);
  EXPECT_EQ(label->Left(), 75);
  // Sizes in millimetres are kept in tenths and shown in screen pixels.
  label->Size()->Units = TRpUnit::MM;
  label->Size()->SetValue(TRpPrintableSize::iWidth, 25);
  EXPECT_EQ(label->NativeValue(TRpPrintableSize::iWidth), 250);
  EXPECT_EQ(label->Width(), static_cast<int>(Round(250 * 96 / 254.0L)));
  // Placed on the report itself, each prints on every page by the same rule.
  Standard(1);
  std::vector<std::pair<TRpLabel*, bool>> overlay;
  for (const Row& r : {Row{true, true, true}, Row{false, true, false}, Row{false, false, true}}) {
    TRpLabel* l = AddLabel(rep, "Επικάλυψη "_a + IntToStr(static_cast<int>(overlay.size())), 1500);
    l->SetEnabled(r.enabled);
    l->SetVisible(r.visible);
    overlay.emplace_back(l, r.prints);
  }
  Run();
  const std::vector<AnsiString> texts = Strings(PageTexts(*printer, 1));
  for (std::size_t i = 0; i < overlay.size(); ++i)
    EXPECT_EQ(std::count(texts.begin(), texts.end(), overlay[i].first->Caption()), overlay[i].second ? 1 : 0)
        << i;
}

TEST_F(BandRptTest, AForcedColumnBreakWaitsOnceInTheFirstColumn) {
  Standard(4);
  rep->Page()->SetColumns(2);
  rep->RebuildBandList();
  rep->Bands()->Band(TBandRepBands::iDetail)->ForceNewColumn = true;
  Run();
  ASSERT_EQ(printer->PageCount(), 2);
  // The title began page 1, so the first line only notes the break and
  // prints below it; each later line takes the next column.
  auto first = PageTexts(*printer, 1), second = PageTexts(*printer, 2);
  EXPECT_EQ(first[2].S, "Γραμμή 1"_a);
  EXPECT_EQ(first[3].S, "Γραμμή 2"_a);
  EXPECT_GT(first[3].X, first[2].X);
  EXPECT_EQ(second[1].S, "Γραμμή 3"_a);
  EXPECT_EQ(second[1].X, first[2].X);
  EXPECT_EQ(second[2].S, "Γραμμή 4"_a);
  EXPECT_EQ(second[2].X, first[3].X);
}

TEST_F(BandRptTest, AnOpenGroupRepeatsItsHeaderOnEachNewPage) {
  Standard(0);
  rep->Functions()->AddFunction("PART", "0");
  auto* g = new TRpGroup(Form.get());
  g->SetParent(rep);
  g->Expression = "PART";
  g->ReprintOnNewPage = true;
  g->Size()->Units = TRpUnit::Native;
  g->Size()->SetValue(TRpBandSize::iHeight, 50);
  auto* e = AddControl<TRpExpr>(g, 0, 0, 1000, 50);
  e->AutoSize = false;
  e->SetExpression("'Μέρος ' + STR(PART)"_a);
  rep->OnNeedData() = [&](TObject*, bool& more) {
    more = fed < 120;
    if (!more) return;
    detail->SetCaption("Γραμμή "_a + IntToStr(++fed));
    rep->Functions()->SetIntegerConstant(rep->Functions()->GetConstant("PART"), fed <= 100 ? 1 : 2);
  };
  Run();
  ASSERT_EQ(printer->PageCount(), 3);
  EXPECT_EQ(PageTexts(*printer, 1)[2].S, "Μέρος 1"_a);
  EXPECT_EQ(PageTexts(*printer, 2)[1].S, "Μέρος 1"_a);
  int headers = 0;
  for (int n = 1; n <= 3; ++n)
    for (const Text& t : PageTexts(*printer, n)) headers += t.S.rfind("Μέρος"_a, 0) == 0;
  EXPECT_EQ(headers, 4);
}

// Every call a run makes of its export filter.

TEST_F(BandRptTest, ExportsHandTheFilterTextsBandsAndPages) {
  detail = AddLabel(AddBand(TBandRepBands::iDetail, 50), "Μία"_a);
  detail->OnPrint = [](TObject*, AnsiString& value) { value = "Μία"_a; };
  Feed(2);
  RecordingFilter filter;
  rep->ExportToFilter(&filter);
  EXPECT_EQ(filter.calls,
            (std::vector<std::string>{"Start 2100x2970", "NewPage", "Text 100 Μία"_a, "Band 100",
                                      "Text 150 Μία"_a, "Band 150", "EndPage", "Finish"}));
  EXPECT_FALSE(rep->Exporting);
  EXPECT_TRUE(rep->PrinterOutput);
}

TEST_F(BandRptTest, FramesReachTheFilterAsShapes) {
  TRpLabel* boxed = detail = AddLabel(AddBand(TBandRepBands::iDetail, 50), "Α"_a);
  boxed->Size()->Units = TRpUnit::Native;
  boxed->Size()->SetValue(TRpPrintableSize::iWidth, 400);
  boxed->Frame()->SetDrawTop(true);
  boxed->Frame()->SetDrawBottom(true);
  boxed->Frame()->SetDrawLeft(true);
  boxed->Frame()->SetDrawRight(true);
  Feed(1);
  RecordingFilter all;
  rep->ExportToFilter(&all);
  // The band's background first, then one rectangle, frame included.
  EXPECT_EQ(all.shapes, (std::vector<std::string>{"0 solid nopen 1900", "0 clear pen 404"}));
  boxed->Frame()->SetDrawLeft(false);
  boxed->Frame()->SetDrawRight(false);
  boxed->SetTransparent(false);
  boxed->SetColor(clYellow);
  fed = 0;
  RecordingFilter two;
  rep->ExportToFilter(&two);
  // The band's background, the label's, then a line per drawn side.
  EXPECT_EQ(two.shapes, (std::vector<std::string>{"0 solid nopen 1900", "0 solid nopen 400",
                                                  "3 solid pen 404", "3 solid pen 404"}));
}

// The drawing records of a page: type and the first four numbers after
// the bounds (a line's end, a rectangle's corners, a picture's place).
std::vector<std::pair<std::uint32_t, std::vector<std::int32_t>>> PageRecords(TRpPrinter& p, int n) {
  std::vector<std::pair<std::uint32_t, std::vector<std::int32_t>>> out;
  auto page = p.GetPage(n);
  EnumEnhMetafile(page->Data(), [&](std::uint32_t type, std::string_view rec) {
    std::vector<std::int32_t> v;
    for (size_t at = 8; at + 4 <= rec.size() && v.size() < 8; at += 4) {
      std::int32_t x;
      std::memcpy(&x, rec.data() + at, 4);
      v.push_back(x);
    }
    out.emplace_back(type, v);
    return true;
  });
  return out;
}

TEST_F(BandRptTest, ShapesAndPicturesPrintAtTheirPlace) {
  Standard(1);
  TRpCustomBand* summary = rep->Bands()->Band(TBandRepBands::iSummary);
  summary->Size()->SetValue(TRpBandSize::iHeight, 400);
  auto* rule = AddControl<TRpShape>(summary, 0, 100, 1000, 60);
  rule->SetShape(rpsHorLine);
  auto* image = AddControl<TRpImage>(summary, 500, 200, 254, 254);
  auto bitmap = std::make_unique<TBitmap>(48, 24);
  image->Picture()->SetGraphic(std::move(bitmap));
  auto* guide = AddControl<TRpFrameline>(summary, 0, 0, 10, 400);
  (void)guide;
  // A background picture on the report, stretched over its place on every
  // page before the page header.
  auto* back = AddControl<TRpImage>(rep, 0, 0, 2100, 2970);
  back->SetName("Back");
  back->Picture()->SetGraphic(std::make_unique<TBitmap>(8, 8));
  rep->BackImageControl = "Back";
  Run();
  {
    const auto records = PageRecords(*printer, 1);
    auto first =
        std::find_if(records.begin(), records.end(), [](auto& r) { return r.first == emr::STRETCHDIBITS; });
    ASSERT_NE(first, records.end());
    EXPECT_EQ(first->second[4], 0);
    EXPECT_EQ(first->second[5], 0);
  }
  // The summary starts at 100 + 60 + 100 + 50 = 310 from the top.
  bool line = false, picture = false;
  for (const auto& [type, v] : PageRecords(*printer, 1)) {
    if (type == emr::STRETCHDIBITS && v[4] == 0) continue;  // the background
    // A line's bounds: across the control at half its height.
    if ((type == emr::POLYLINE16 || type == emr::POLYLINE) && v[0] == PxY(100) && v[2] >= PxY(1100) - 1 &&
        v[1] <= PxY(310 + 100 + 30) && v[3] >= PxY(310 + 100 + 30) && v[3] - v[1] <= 2)
      line = true;
    if (type == emr::STRETCHDIBITS) {
      // Its natural size: 48 x 24 screen pixels from the control's corner.
      EXPECT_EQ(v[4], PxY(100 + 500));
      EXPECT_EQ(v[5], PxY(310 + 200));
      EXPECT_EQ(v[2] - v[0] + 1, 48);
      picture = true;
    }
  }
  EXPECT_TRUE(line);
  EXPECT_TRUE(picture);
}

// A label's lines lie on its own background, filled once: each line is
// drawn in the transparent background mode, not on a fill of its own.
TEST_F(BandRptTest, LabelLinesAreDrawnInTheTransparentBackgroundMode) {
  Standard(3);
  detail->SetTransparent(false);
  detail->SetColor(clYellow);
  Run();
  int texts = 0;
  std::int32_t mode = 2;  // opaque, the device's default
  for (const auto& [type, v] : PageRecords(*printer, 1)) {
    if (type == emr::SETBKMODE) mode = v.empty() ? mode : v[0];
    if (type == emr::EXTTEXTOUTA || type == emr::EXTTEXTOUTW) {
      ++texts;
      EXPECT_EQ(mode, 1) << "text record " << texts;
    }
  }
  EXPECT_GE(texts, 6);  // header, title, three lines, page number, summary
}

TEST_F(BandRptTest, DataSetPicturesPrintFromTheirBlobField) {
  std::string hex;
  for (unsigned char b : TBitmap(48, 24).SaveToBytes()) {
    static const char digits[] = "0123456789abcdef";
    hex += digits[b >> 4];
    hex += digits[b & 15];
  }
  TTable table(nullptr);
  table.SetDatabaseName(MakeTestDatabase(
      "report_bands",
      "CREATE TABLE pics(pic BLOB);INSERT INTO pics VALUES(x'" + hex + "'),(x'00ff'),(NULL);"));
  table.SetTableName("pics");
  table.Open();
  rep->SetDataSet(&table);
  TRpCustomBand* band = AddBand(TBandRepBands::iDetail, 300);
  auto* image = AddControl<TRpDBImage>(band, 100, 0, 254, 254);
  image->SetDataSet(&table);
  image->DataField = "PIC";
  image->SetCenter(false);
  Run();
  // One picture: the damaged bytes and the empty field print nothing.
  int pictures = 0;
  for (const auto& [type, v] : PageRecords(*printer, 1))
    if (type == emr::STRETCHDIBITS) {
      ++pictures;
      EXPECT_EQ(v[4], PxY(200));
      EXPECT_EQ(v[5], PxY(100));
    }
  EXPECT_EQ(pictures, 1);
  EXPECT_EQ(rep->GetRecordNumber(), 3);
}

TEST_F(BandRptTest, TextControlsTakeTheirTextFromTheirSource) {
  auto* sys = new TRpSysData(Form.get());
  sys->SetText("Σελίδα "_a);
  sys->SetData(rpsPageNumber);
  EXPECT_EQ(sys->Caption(), "Σελίδα (Page#)"_a);
  auto* expr = new TRpExpr(Form.get());
  EXPECT_EQ(expr->Caption(), "(none)");
  struct Row {
    TRpEvResult value;
    const char* mask;
    const char* text;
  };
  const Row rows[] = {
      {TRpEvResult::OfInteger(1234), "#,##0.00", "1,234.00"},
      {TRpEvResult::OfFloat(2.5), "0.000", "2.500"},
      {TRpEvResult::OfFloat(2.5), "", "2.5"},
      {TRpEvResult::OfBoolean(true), "", "True"},
      {TRpEvResult::OfError("Cannot divide by 0"), "0.00", "Cannot divide by 0"},
      {TRpEvResult::OfString("Κείμενο"), "0.00", "Κείμενο"},
  };
  for (const Row& r : rows) EXPECT_EQ(TRpExpr::FormatValue(r.value, r.mask), AnsiString(r.text)) << r.mask;
  // A mask the formatter refuses prints its error, not garbage.
  EXPECT_FALSE(TRpExpr::FormatValue(TRpEvResult::OfFloat(1), "%m %d %s").empty());
}

TEST_F(BandRptTest, WordsWrapToTheControlsWidth) {
  Standard(0);
  TRpCustomBand* band = rep->Bands()->Band(TBandRepBands::iDetail);
  auto* label = AddControl<TRpLabel>(band, 0, 0, 1000, 50);
  label->AutoSize = false;
  const int one = rep->TextWidth(label->Font(), "Πρώτη "_a),
            both = rep->TextWidth(label->Font(), "Πρώτη δεύτερη"_a);
  label->SetWidth((one + both) / 2);
  label->SetCaption("Πρώτη δεύτερη"_a);
  EXPECT_EQ(label->FormattedLines()->Text(), "Πρώτη \r\nδεύτερη\r\n"_a);
  label->SetWidth(rep->TextWidth(label->Font(), "αντι-πρόταση"_a) - 5);
  label->SetCaption("αντι-πρόταση"_a);
  EXPECT_EQ(label->FormattedLines()->Text(), "αντι-\r\nπρόταση\r\n"_a);
  // A word wider than the control keeps what fits; the rest is dropped.
  label->SetWidth(rep->TextWidth(label->Font(), "Μακρύ"_a));
  label->SetCaption("Μακρύτατο"_a);
  ASSERT_EQ(label->FormattedLines()->Count(), 2);
  EXPECT_EQ(label->FormattedLines()->Strings(0).rfind("Μακρ"_a, 0), 0u);
  EXPECT_EQ(label->FormattedLines()->Strings(1), "");
  // Paragraphs end at carriage returns; line feeds go.
  label->SetWidth(1000);
  label->SetCaption("α\r\nβ\rγ"_a);
  EXPECT_EQ(label->FormattedLines()->Text(), "α\r\nβ\r\nγ\r\n"_a);
}

TEST_F(BandRptTest, AWordWiderThanTheControlKeepsItsLongestPrefixThatFits) {
  Standard(0);
  TRpCustomBand* band = rep->Bands()->Band(TBandRepBands::iDetail);
  auto* label = AddControl<TRpLabel>(band, 0, 0, 1000, 50);
  label->AutoSize = false;
  const AnsiString word = "Μακρύτατο1234567890ΑΒΓΔΕabcdefWWWiii.,;ΩΩ"_a;
  // Each prefix measured in turn: the first line takes the prefixes
  // narrower than the control, a word after a line the ones no wider.
  const auto prefix = [&](int width, bool narrower) {
    std::size_t k = 0;
    while (k < word.size()) {
      const int w = rep->TextWidth(label->Font(), word.substr(0, k + 1));
      if (narrower ? w >= width : w > width) break;
      ++k;
    }
    return word.substr(0, k);
  };
  const int lead = rep->TextWidth(label->Font(), "x "_a), full = rep->TextWidth(label->Font(), word);
  for (int width = 1; width < full; width += 2) {
    label->SetWidth(width);
    label->SetCaption(word);
    ASSERT_EQ(label->FormattedLines()->Count(), 2) << width;
    EXPECT_EQ(label->FormattedLines()->Strings(0), prefix(width, true)) << width;
    if (width < lead) continue;
    label->SetCaption("x "_a + word);
    ASSERT_EQ(label->FormattedLines()->Count(), 3) << width;
    EXPECT_EQ(label->FormattedLines()->Strings(0), "x "_a) << width;
    EXPECT_EQ(label->FormattedLines()->Strings(1), prefix(width, false)) << width;
  }
}

// Text controls side by side on one detail band, each printing one of the
// layout rules of a label (texts told apart by their left edge), with the
// pinned fonts: an Arial 10 line is 15 pixels, about 40 tenths of a
// millimetre.
TEST_F(BandRptTest, LabelsKeepTheirLineAndJustificationRules) {
  TRpCustomBand* band = AddBand(TBandRepBands::iDetail, 50);
  auto label = [&](Extended left, Extended height, const AnsiString& caption) {
    auto* l = AddControl<TRpLabel>(band, left, 0, 380, height);
    l->AutoSize = false;
    l->SetCaption(caption);
    return l;
  };
  // Lower than one and a half lines: each line is the label's height.
  label(0, 50, "α\rβ\rγ"_a)->SetAutoStretch(true);
  // Not stretching: what fits in the height and one tenth more.
  label(400, 100, "1\r2\r3\r4"_a);
  // Stretching with strike-out: justified but for the last line, printed
  // without the strike-out.
  TRpLabel* justified = label(800, 50, "Πρώτη δεύτερη τρίτη τέταρτη πέμπτη έκτη έβδομη όγδοη"_a);
  justified->SetAutoStretch(true);
  justified->Font().Style = fsStrikeOut;
  justified->FontChanged();
  ASSERT_GE(justified->FormattedLines()->Count(), 3);
  // What OnPrint hands back prints, for this print only.
  TRpLabel* replaced = label(1200, 50, "Αρχικό"_a);
  replaced->OnPrint = [](TObject*, AnsiString& value) { value = "Άλλο"_a; };
  // Sized to its text and right-aligned: it shrinks and keeps its right edge.
  auto* sized = AddControl<TRpLabel>(band, 1600, 0, 380, 50);
  sized->SetAlignment(taRightJustify);
  const int right = sized->Left() + sized->Width();
  sized->SetCaption("Σύνολο"_a);
  EXPECT_EQ(sized->Left() + sized->Width(), right);
  EXPECT_EQ(sized->Width(), rep->TextWidth(sized->Font(), "Σύνολο"_a));
  rep->OnNeedData() = [this](TObject*, bool& more) { more = fed++ == 0; };
  Run();
  std::map<int, std::vector<Text>> byLeft;
  for (const Text& t : PageTexts(*printer, 1)) byLeft[t.X].push_back(t);
  auto column = [&](Extended left) { return byLeft[static_cast<int>(Round((100 + left) * 96 / 254))]; };
  const auto low = column(0);
  ASSERT_EQ(low.size(), 3u);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(low[i].Y, PxY(100 + 50 * i)) << i;
  const auto clipped = column(400);
  ASSERT_EQ(clipped.size(), 2u);
  EXPECT_EQ(clipped[1].Y - clipped[0].Y, 15);
  const auto lines = column(800);
  ASSERT_EQ(static_cast<int>(lines.size()), justified->FormattedLines()->Count());
  for (size_t i = 0; i < lines.size(); ++i) {
    const AnsiString formatted = Trim(justified->FormattedLines()->Strings(static_cast<int>(i)));
    if (i + 1 < lines.size())
      EXPECT_GT(lines[i].S.size(), formatted.size()) << i;
    else
      EXPECT_EQ(lines[i].S, justified->FormattedLines()->Strings(static_cast<int>(i)));
    AnsiString single = lines[i].S;  // the inserted blanks taken out again
    for (std::size_t at; (at = single.find("  ")) != AnsiString::npos;) single.erase(at, 1);
    EXPECT_EQ(single, formatted) << i;
  }
  int struck = 0;
  EnumEnhMetafile(printer->GetPage(1)->Data(), [&](std::uint32_t type, std::string_view rec) {
    struck += type == emr::EXTCREATEFONTINDIRECTW && rec.size() > 34 && rec[34] != 0;
    return true;
  });
  EXPECT_EQ(struck, 0);
  ASSERT_EQ(column(1200).size(), 1u);
  EXPECT_EQ(column(1200)[0].S, "Άλλο"_a);
  EXPECT_EQ(replaced->PrintText(), "Αρχικό"_a);
  // A transparent label hands an export no background, whatever its colour.
  for (TControl* c : std::vector<TControl*>{justified, replaced, sized}) c->SetEnabled(false);
  label(0, 50, "Διάφανο"_a)->SetTransparent(true);
  TRpLabel* coloured = label(400, 50, "Χρώμα"_a);
  coloured->SetTransparent(true);
  coloured->SetColor(clYellow);
  // The band is transparent too, so that it hands no background either.
  dynamic_cast<TRpCustomBand*>(coloured->Parent())->TransparentBand = true;
  fed = 0;
  RecordingFilter filter;
  rep->ExportToFilter(&filter);
  EXPECT_TRUE(filter.shapes.empty());
}

// A label's font size travels through a stored form as "FontSize": the
// size read waits for Loaded, which applies a positive one and formats the
// text again in it; a value that is no small integer is refused.
TEST_F(BandRptTest, TheFontSizeOfAStoredFormIsAppliedWhenLoaded) {
  TRpCustomBand* band = AddBand(TBandRepBands::iDetail, 50);
  auto* stored = AddControl<TRpLabel>(band, 0, 0, 100, 50);
  stored->Font().SetSize(16);
  TMemoryStream stream;
  TComponentWriter writer(stream, "TRpLabel", "Stored");
  stored->WriteFontSize(writer);
  writer.End();
  stream.SetPosition(0);
  const TComponentImage image = ReadComponentImage(stream);
  ASSERT_EQ(image.Properties.size(), 1u);
  EXPECT_EQ(image.Properties[0].first, "FontSize");
  struct Row {
    TStreamValue value;
    int applied;  // the font size after Loaded; 0: refused
  };
  TStreamValue text;
  text.Type = vaString;
  text.Str = "16";
  TStreamValue huge;
  huge.Type = vaInt32;
  huge.Int = 1 << 20;
  TStreamValue zero;
  zero.Type = vaInt8;
  const Row rows[] = {{image.Properties[0].second, 16}, {zero, 10}, {text, 0}, {huge, 0}};
  for (const Row& r : rows) {
    auto* label = AddControl<TRpLabel>(band, 0, 0, 100, 50);
    label->SetCaption("Σύνολο προσφορών"_a);
    const int width = label->Width();
    if (r.applied == 0) {
      EXPECT_THROW(label->ReadFontSize(r.value), EReadError);
      EXPECT_EQ(label->StoredFontSize, 0);
      continue;
    }
    label->ReadFontSize(r.value);
    EXPECT_EQ(label->Font().Size(), 10) << "applied before loading ended";
    label->Loaded();
    EXPECT_EQ(label->Font().Size(), r.applied);
    // The automatic size follows the font.
    EXPECT_EQ(label->Width() > width, r.applied > 10);
  }
}

// The shape of the program's report form: a page number in the header, a
// word-wrapped memo fed one line per record, a child band of 75 labels and
// three rules, a summary with a picture; printed upright and on its side.
class BandRptFormTest : public BandRptTest, public ::testing::WithParamInterface<TPrinterOrientation> {};

TEST_P(BandRptFormTest, PrintsToThePdfPrinter) {
  TempFolder folder;
  UsePdfPrinterIn(folder.path());
  rep->Page()->SetOrientation(GetParam());
  rep->Frame()->SetDrawTop(true);
  rep->Frame()->SetDrawBottom(true);
  auto* number = AddControl<TRpSysData>(AddBand(TBandRepBands::iPageHeader, 50), 0, 0, 400, 40);
  number->SetData(rpsPageNumber);
  number->SetText("Σελίδα "_a);
  TRpCustomBand* band = AddBand(TBandRepBands::iDetail, 45);
  auto* memo = AddControl<TRpMemo>(band, 0, 0, 1800, 45);
  memo->AutoSize = false;
  memo->SetAlignToBand(true);
  band->SetHasChild(true);
  TRpCustomBand* child = band->ChildBand();
  child->Size()->Units = TRpUnit::Native;
  child->Size()->SetValue(TRpBandSize::iHeight, 400);
  for (int i = 0; i < 75; ++i)
    AddControl<TRpLabel>(child, 100 * (i % 15), 60 * (i / 15), 100, 50)->SetCaption("Λ"_a + IntToStr(i));
  for (int i = 0; i < 3; ++i) AddControl<TRpShape>(child, 0, 300 + 30 * i, 1800, 20)->SetShape(rpsHorLine);
  child->SetEnabled(false);
  TRpCustomBand* summary = AddBand(TBandRepBands::iSummary, 300);
  AddLabel(summary, "Ο Προσφέρων"_a);
  AddControl<TRpImage>(summary, 0, 100, 200, 100)->Picture()->SetGraphic(std::make_unique<TBitmap>(40, 20));
  const int lines = 300;
  int n = 0;
  rep->OnNeedData() = [&](TObject*, bool& more) {
    memo->Lines()->Clear();
    memo->Lines()->Add("Εργασία "_a + IntToStr(++n) + " με κείμενο που αναδιπλώνεται"_a);
    child->SetEnabled(n == lines);
    more = n <= lines;
  };
  rep->Print();
  const std::string file = PrintedPdf(folder);
  ASSERT_FALSE(file.empty());
  const std::string info = RunCommand("pdfinfo '" + file + "' 2>&1");
  const bool landscape = GetParam() == poLandscape;
  EXPECT_NE(info.find(landscape ? "841.92 x 595.32" : "595.32 x 841.92"), std::string::npos) << info;
  std::smatch m;
  ASSERT_TRUE(std::regex_search(info, m, std::regex("Pages: +([0-9]+)")));
  const int pages = std::stoi(m[1]);
  // Upright: 60 lines of 45 under the header fill five pages, the labels
  // and the summary take a sixth. On its side: 41 a page, the last of
  // eight pages has room for the rest.
  EXPECT_EQ(pages, landscape ? 8 : 6) << info;
  const std::string text = RunCommand("pdftotext -enc UTF-8 '" + file + "' - 2>/dev/null");
  for (const char* t : {"Εργασία 1 ", "Εργασία 300 ", "Λ74", "Ο Προσφέρων", "Σελίδα 2"})
    EXPECT_NE(text.find(t), std::string::npos) << t;
}

INSTANTIATE_TEST_SUITE_P(Orientations, BandRptFormTest, ::testing::Values(poPortrait, poLandscape));

}  // namespace
