#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "platform/rtl/FileUtils.h"
#include "report/RpCtrls.h"
#include "report/RpPrev.h"
#include "tests/platform/OtherPrograms.h"
#include "tests/platform/rtl/TempFolder.h"
#include "tests/platform/ui/ControlsFixture.h"
#include "tests/report/RpTestSupport.h"

namespace {

// Reports of whole pages: one detail band fills a page, a footer numbers it.
class CompositeTest : public ControlsTest {
 protected:
  void SetUp() override {
    ControlsTest::SetUp();
    SetRpMeasureInInches(false);
    composite = new TRpCompositeReport(Form.get());
  }
  void TearDown() override {
    printers::UseSystem();
    Printer()->Refresh();
    ControlsTest::TearDown();
  }
  TRpLabel* AddLabel(TWinControl* band, const AnsiString& caption) {
    auto* l = new TRpLabel(Form.get());
    l->SetParent(band);
    l->Size()->Units = TRpUnit::Native;
    l->Size()->SetValue(TRpPrintableSize::iWidth, 1500);
    l->Size()->SetValue(TRpPrintableSize::iHeight, 50);
    l->AutoSize = false;
    l->SetCaption(caption);
    return l;
  }
  TRpCustomBand* AddBand(TBandRep* rep, int index, Extended height) {
    rep->Bands()->Set(index, true);
    TRpCustomBand* band = rep->Bands()->Band(index);
    band->Size()->Units = TRpUnit::Native;
    band->Size()->SetValue(TRpBandSize::iHeight, height);
    return band;
  }
  // A report of Pages pages, its lines named "R<n> line <k>".
  TBandRep* AddReport(int pages, TComponent* owner = nullptr) {
    const int number = static_cast<int>(reports.size()) + 1;
    TBandRep* rep = NewA4Report(owner != nullptr ? owner : Form.get());
    rep->SetParent(Form.get());
    TRpLabel* line = AddLabel(AddBand(rep, TBandRepBands::iDetail, 2000), "");
    auto* footer = new TRpSysData(Form.get());
    footer->SetParent(AddBand(rep, TBandRepBands::iPageFooter, 60));
    footer->Size()->Units = TRpUnit::Native;
    footer->Size()->SetValue(TRpPrintableSize::iWidth, 1500);
    footer->Size()->SetValue(TRpPrintableSize::iHeight, 50);
    footer->AutoSize = false;
    footer->SetData(rpsPageNumber);
    footer->SetText("Σελίδα "_a);
    auto fed = std::make_shared<int>(0);
    rep->BeforePrint = [fed](TObject*, bool&) { *fed = 0; };
    rep->OnNeedData() = [this, rep, line, fed, pages, number](TObject*, bool& more) {
      more = *fed < pages;
      if (!more) return;
      ++*fed;
      line->SetCaption("R"_a + IntToStr(number) + " line "_a + IntToStr(*fed));
      if (cancelAt == number && *fed == 2) rep->Cancel();
    };
    reports.push_back(rep);
    return rep;
  }
  void UsePdfPrinter() { UsePdfPrinterIn(folder.path()); }
  std::vector<std::string> Pdfs() { return PdfsIn(folder.path()); }
  // Adds the reports on every run, recording what the composite does.
  void Listen() {
    composite->OnAddReports = [this](TObject*) {
      calls.push_back("add");
      for (TBandRep* r : reports) composite->Reports.push_back(r);
    };
    composite->OnStartReport = [this](TObject*, TObject* report, int i) {
      calls.push_back("start " + std::to_string(i) + " tag " +
                      std::to_string(static_cast<TComponent*>(report)->Tag));
    };
    composite->OnFinished = [this](TObject* sender) {
      calls.push_back(sender == composite ? "finished" : "finished report");
    };
  }
  TRpCompositeReport* composite = nullptr;
  std::vector<TBandRep*> reports;
  std::vector<std::string> calls;
  int cancelAt = 0;
  TempFolder folder;
};

TEST_F(CompositeTest, ThreeReportsPrintAsOneDocumentNumberedThrough) {
  if (::testing::AssertionResult have = Installed("pdfinfo", "poppler-utils"); !have)
    FAIL() << have.message();
  UsePdfPrinter();
  AddReport(2);
  AddReport(3)->Tag = 7;
  TBandRep* last = AddReport(1);
  last->Tag = 5;
  int tagDuringRun = 0;
  last->AfterPrint = [&](TObject*) { tagDuringRun = last->Tag; };
  Listen();
  composite->ReportTitle = "Σύνθετη"_a;
  composite->Print();
  EXPECT_EQ(tagDuringRun, 999);
  EXPECT_EQ(last->Tag, 5);
  EXPECT_EQ(reports[1]->Tag, 7);
  EXPECT_EQ(calls,
            (std::vector<std::string>{"add", "add", "start 0 tag 0", "finished report", "start 1 tag 7",
                                      "finished report", "start 2 tag 999", "finished report", "finished"}));
  EXPECT_FALSE(composite->Printing());
  EXPECT_EQ(composite->JobPrinter(), nullptr);
  for (TBandRep* r : reports) EXPECT_EQ(r->RpPrinter(), nullptr);
  const std::vector<std::string> files = Pdfs();
  ASSERT_EQ(files.size(), 1u);
  const std::string info = RunCommand("pdfinfo '" + files[0] + "' 2>&1");
  EXPECT_NE(info.find("Pages:           6"), std::string::npos) << info;
  for (int page = 1; page <= 6; ++page) {
    const std::string text = RunCommand("pdftotext -enc UTF-8 -f " + std::to_string(page) + " -l " +
                                        std::to_string(page) + " '" + files[0] + "' - 2>/dev/null");
    EXPECT_NE(text.find("Σελίδα " + std::to_string(page)), std::string::npos) << page << ": " << text;
  }
  const std::string all = RunCommand("pdftotext -enc UTF-8 '" + files[0] + "' - 2>/dev/null");
  for (const char* line : {"R1 line 2", "R2 line 1", "R2 line 3", "R3 line 1"})
    EXPECT_NE(all.find(line), std::string::npos) << line;
}

TEST_F(CompositeTest, CancellingTheSecondReportLeavesNoDocument) {
  UsePdfPrinter();
  AddReport(2);
  AddReport(3);
  AddReport(1);
  cancelAt = 2;
  Listen();
  composite->Print();
  EXPECT_EQ(calls, (std::vector<std::string>{"add", "add", "start 0 tag 0", "finished report",
                                             "start 1 tag 0", "finished"}));
  EXPECT_TRUE(reports[1]->Cancelled);
  EXPECT_TRUE(Pdfs().empty());
  EXPECT_EQ(composite->JobPrinter(), nullptr);
}

TEST_F(CompositeTest, WithoutReportsOnlyTheHandlersOfAnEmptyRunAreCalled) {
  UsePdfPrinter();
  Listen();
  composite->Print();
  EXPECT_EQ(calls, (std::vector<std::string>{"add"}));
  calls.clear();
  TRpXLSFilter filter(folder / "none.xls");
  composite->ExportToFilter(&filter);
  EXPECT_EQ(calls, (std::vector<std::string>{"add", "finished"}));
  EXPECT_TRUE(Pdfs().empty());
  EXPECT_FALSE(std::filesystem::exists(folder.path() + "/none.xls"));
}

TEST_F(CompositeTest, AStaleListIsClearedBeforeTheReportsAreAdded) {
  UsePdfPrinter();
  TBandRep* stale = AddReport(1);
  reports.clear();
  AddReport(1);
  composite->Reports.push_back(stale);
  Listen();
  composite->Print();
  EXPECT_EQ(calls.size(), 5u);
  ASSERT_EQ(composite->Reports.size(), 1u);
  EXPECT_EQ(composite->Reports[0], reports[0]);
}

TEST_F(CompositeTest, ExportedToASpreadsheetTheRowsContinueAcrossReports) {
  AddReport(2);
  AddReport(3);
  AddReport(1);
  Listen();
  const std::string file = folder.path() + "/all.xls";
  TRpXLSFilter filter(file);
  composite->ExportToFilter(&filter);
  EXPECT_EQ(calls.back(), "finished");
  ASSERT_TRUE(std::filesystem::exists(file));
  if (!Have("/usr/bin/python3")) FAIL() << "python3 is missing";
  int status = -1;
  const std::string cells = RunCommand(
      "/usr/bin/python3 '" + std::string(DIM_TEST_DATA) + "/xls_cells.py' '" + file + "'", &status);
  if (WEXITSTATUS(status) == 2) FAIL() << "the reader is missing: install the Debian package python3-xlrd";
  // Every line of every report, each on a row of its own, in order.
  std::istringstream in(cells);
  std::vector<std::string> lines;
  std::vector<int> rows;
  for (std::string l; std::getline(in, l);) {
    const auto at = l.find(" line ");
    if (at == std::string::npos) continue;
    lines.push_back(l.substr(l.rfind('R'), std::string::npos));
    rows.push_back(std::stoi(l));
  }
  EXPECT_EQ(lines, (std::vector<std::string>{"R1 line 1", "R1 line 2", "R2 line 1", "R2 line 2", "R2 line 3",
                                             "R3 line 1"}))
      << cells;
  for (std::size_t i = 1; i < rows.size(); ++i) EXPECT_GT(rows[i], rows[i - 1]) << cells;
}

TEST_F(CompositeTest, TheMessageWindowPrintsAndLetsGoOfTheJobPrinter) {
  UsePdfPrinter();
  AddReport(1);
  Listen();
  TRpCompositeWinControl* window = composite->WinControl();
  ASSERT_NE(window, nullptr);
  SendMessage(window->Handle(), WM_RP_PRINT, 0, 0);
  EXPECT_EQ(Pdfs().size(), 1u);
  SendMessage(window->Handle(), WM_RP_PREVIEWCLOSED, 0, 0);
  EXPECT_EQ(composite->JobPrinter(), nullptr);
  delete window;
  EXPECT_EQ(composite->WinControl(), nullptr);
}

}  // namespace

namespace {

TEST_F(CompositeTest, AReportOwnedByTheCompositePrintsTheWholeComposite) {
  UsePdfPrinter();
  AddReport(2);
  auto* owned = new TBandRep(composite);
  Listen();
  owned->Print();
  EXPECT_EQ(calls.front(), "add");
  EXPECT_EQ(calls.back(), "finished");
  EXPECT_EQ(Pdfs().size(), 1u);
}

}  // namespace

namespace {

TRpStandardPreview* PreviewWindow() {
  for (int i = Screen->FormCount() - 1; i >= 0; --i)
    if (auto* w = dynamic_cast<TRpStandardPreview*>(Screen->Forms(i))) return w;
  return nullptr;
}

TEST_F(CompositeTest, APreviewedReportLeavesPrintingAgainToTheComposite) {
  UsePdfPrinter();
  TBandRep* first = AddReport(2, composite);
  AddReport(3);
  Listen();
  first->Preview();
  TRpPrinter* shown = first->PreviewPrinter();
  ASSERT_NE(shown, nullptr);
  ASSERT_NE(PreviewWindow(), nullptr);
  EXPECT_EQ(shown->PreviewWindow, composite->WinControl()->Handle());
  EXPECT_EQ(shown->PageCount(), 2);
  // Printing again asks the composite's window, which prints every report.
  shown->SetPrintMetaFile(false);
  calls.clear();
  shown->Print();
  EXPECT_TRUE(Pdfs().empty());  // posted: nothing printed yet
  Application->ProcessMessages();
  EXPECT_EQ(calls.front(), "add");
  EXPECT_EQ(calls.back(), "finished");
  const std::vector<std::string> files = Pdfs();
  ASSERT_EQ(files.size(), 1u);
  EXPECT_NE(RunCommand("pdfinfo '" + files[0] + "' 2>&1").find("Pages:           5"), std::string::npos);
  PreviewWindow()->Close();
  Application->ProcessMessages();
  EXPECT_EQ(PreviewWindow(), nullptr);
}

TEST_F(CompositeTest, ClosingThePreviewWhileTheCompositePrintsCancelsTheJob) {
  UsePdfPrinter();
  TBandRep* first = AddReport(2, composite);
  TBandRep* second = AddReport(3);
  Listen();
  first->Preview();
  ASSERT_NE(PreviewWindow(), nullptr);
  // The preview closes while the second report prints.
  auto feed = second->OnNeedData();
  second->OnNeedData() = [&, feed](TObject* sender, bool& more) {
    feed(sender, more);
    if (TRpStandardPreview* w = PreviewWindow(); w != nullptr && w->Visible()) w->Close();
  };
  calls.clear();
  first->PreviewPrinter()->SetPrintMetaFile(false);
  first->PreviewPrinter()->Print();
  Application->ProcessMessages();
  EXPECT_TRUE(second->Cancelled);
  EXPECT_EQ(calls, (std::vector<std::string>{"add", "add", "start 0 tag 0", "finished report",
                                             "start 1 tag 999", "finished"}));
  EXPECT_TRUE(Pdfs().empty());
  EXPECT_EQ(composite->JobPrinter(), nullptr);
}

TEST_F(CompositeTest, ThePreviewSavesTheWholeCompositeToASpreadsheet) {
  TRpExcelFilter excel(nullptr);
  TBandRep* first = AddReport(2, composite);
  AddReport(1);
  Listen();
  first->Preview();
  TRpStandardPreview* w = PreviewWindow();
  ASSERT_NE(w, nullptr);
  const std::string file = folder.path() + "/both.xls";
  backend->ExpectModal("Δημιουργία Αρχείου Αποθήκευσης εκτύπωσης"_a, [&](TCustomForm& f) {
    Found<TComboBox>(f, "FilterList").SetFocus();
    backend->PressKey(VK_DOWN);
    backend->PressKey(VK_DOWN);
    auto& edit = Found<TEdit>(f, "FileNameEdit");
    edit.SetText(file);
    edit.SetFocus();
    backend->PressKey(VK_RETURN);
  });
  backend->ExpectMessageBox("both.xls", IDOK);
  calls.clear();
  const AnsiString cwd = GetCurrentDir();
  w->SaveReport->Click();
  SetCurrentDir(cwd);  // the file dialog moves it into the test's folder
  EXPECT_EQ(backend->PendingAnswers(), 0);
  EXPECT_EQ(calls.front(), "add");
  EXPECT_EQ(calls.back(), "finished");
  ASSERT_TRUE(std::filesystem::exists(file));
  int status = -1;
  const std::string cells = RunCommand(
      "/usr/bin/python3 '" + std::string(DIM_TEST_DATA) + "/xls_cells.py' '" + file + "'", &status);
  if (WEXITSTATUS(status) == 2) FAIL() << "the reader is missing: install the Debian package python3-xlrd";
  for (const char* line : {"R1 line 1", "R1 line 2", "R2 line 1"})
    EXPECT_NE(cells.find(line), std::string::npos) << line << "\n" << cells;
  w->Close();
  Application->ProcessMessages();
}

}  // namespace

namespace {

TEST_F(CompositeTest, AnExportCancelledInTheSecondReportWritesNoFile) {
  AddReport(2);
  AddReport(3);
  AddReport(1);
  cancelAt = 2;
  Listen();
  for (const char* name : {"cut.xls", "cut.rtf"}) {
    SCOPED_TRACE(name);
    calls.clear();
    const std::string file = folder.path() + "/" + name;
    std::unique_ptr<TRpExportFilter> filter;
    if (std::string(name).ends_with(".xls"))
      filter = std::make_unique<TRpXLSFilter>(file);
    else
      filter = std::make_unique<TRpRTFExportFilter>(file);
    composite->ExportToFilter(filter.get());
    EXPECT_EQ(calls, (std::vector<std::string>{"add", "start 0 tag 0", "finished report", "start 1 tag 0",
                                               "finished"}));
    EXPECT_TRUE(reports[1]->Cancelled);
    EXPECT_FALSE(std::filesystem::exists(file));
    EXPECT_EQ(composite->JobPrinter(), nullptr);
  }
}

// The printer the composite's export runs on holds to the composite's own
// choices: the program's printer when it asks for it, and its memory limit
// for the pages kept.
TEST_F(CompositeTest, TheExportsPrinterTakesTheCompositesPrinterAndMemoryLimit) {
  AddReport(1);
  AddReport(1);
  Listen();
  for (bool standard : {false, true}) {
    SCOPED_TRACE(standard);
    composite->PrinterSettings.UseStandardprinter = standard;
    composite->PrinterSettings.MemoryLimit = standard ? 4096 : 250000;
    std::vector<std::pair<bool, int>> seen;
    composite->OnStartReport = [&](TObject*, TObject* report, int) {
      TRpPrinter* job = static_cast<TCustomBandRep*>(report)->RpPrinter();
      ASSERT_NE(job, nullptr);
      seen.push_back({job->Printer() == Printer(), job->Stream()->MemoryLimit()});
    };
    TRpXLSFilter filter(folder / (standard ? "standard.xls" : "own.xls"));
    composite->ExportToFilter(&filter);
    const std::pair<bool, int> expected{standard, standard ? 4096 : 250000};
    EXPECT_EQ(seen, (std::vector<std::pair<bool, int>>{expected, expected}));
  }
}

}  // namespace
