#include <gtest/gtest.h>

#include <cmath>
#include <regex>

#include "platform/backend/headless/Headless.h"
#include "platform/rtl/FileUtils.h"
#include "platform/ui/Application.h"
#include "platform/ui/MessageLoop.h"
#include "report/RpCtrls.h"
#include "report/RpPrev.h"
#include "report/RpPrntr.h"
#include "report/RpProgress.h"
#include "tests/platform/OtherPrograms.h"
#include "tests/platform/rtl/TempFolder.h"
#include "tests/report/RpTestSupport.h"

namespace {

// The PDF printer at 600 dots per inch, its printable area 4.2 mm from the
// left and 2.1 mm from the top of the sheet.
class RpPrntrTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InstallHeadlessBackend();
    SetRpMeasureInInches(false);
    TPrinterProfile pdf = printers::PdfPrinterProfile();
    pdf.OutputFolder = folder.path();
    pdf.OffsetX = 100;
    pdf.OffsetY = 50;
    printers::UseProfiles({pdf}, 0);
    Printer()->Refresh();
    Printer()->SetPrinterIndex(0);
    Printer()->ResetDeviceMode();
    printers::ClearJobLog();
  }
  void TearDown() override {
    printers::UseSystem();
    Printer()->Refresh();
  }
  // A run of Pages pages, each with "Σελίδα N" at 30 mm, 40 mm of the sheet.
  void RunPages(TRpPrinter& p, int pages) {
    p.BeginDoc();
    for (int n = 1; n <= pages; ++n) {
      p.NewPage();
      p.Canvas()->Font->Name = "Arial";
      p.Canvas()->Font->SetSize(12);
      p.Canvas()->TextOut(p.DeviceX(300), p.DeviceY(400), "Σελίδα "_a + IntToStr(n));
    }
    p.EndDoc();
  }
  std::string Pdf(const char* name) { return folder.path() + "/" + name; }
  TempFolder folder;
};

int PdfPages(const std::string& file) {
  std::smatch m;
  const std::string info = RunCommand("pdfinfo '" + file + "' 2>&1");
  return std::regex_search(info, m, std::regex("Pages: +([0-9]+)")) ? std::stoi(m[1]) : -1;
}

TEST_F(RpPrntrTest, StateErrors) {
  TRpPrinter p;
  try {
    p.NewPage();
    FAIL();
  } catch (const ERpError& e) {
    EXPECT_EQ(e.Message, "Illegal call to NewPage");
  }
  p.BeginDoc();
  p.NewPage();
  try {
    p.BeginDoc();
    FAIL();
  } catch (const ERpError& e) {
    EXPECT_EQ(e.Message, "Δεν είναι έτοιμος ο εκτυπωτής"_a);
  }
  EXPECT_EQ(p.Status(), rpsBusy);
  EXPECT_EQ(p.PageCount(), 1);
  // While the run goes on, a closed page reads and the open one does not.
  p.NewPage();
  EXPECT_NE(p.GetPage(1), nullptr);
  EXPECT_EQ(p.GetPage(2), nullptr);
  p.EndDoc();
  EXPECT_NE(p.GetPage(2), nullptr);
  EXPECT_EQ(p.GetPage(0), nullptr);
  EXPECT_EQ(p.GetPage(3), nullptr);
}

TEST_F(RpPrntrTest, GeometryFollowsTheOrientation) {
  TRpPrinter p;
  p.SetPaperSize(TRpPaperSize::A4);
  EXPECT_EQ(p.PaperWidth(), 2100);
  p.SetOrientation(poLandscape);
  EXPECT_EQ(p.PaperWidth(), 2970);
  EXPECT_EQ(p.PaperLength(), 2100);
  EXPECT_EQ(p.Settings()->PaperWidth(), 2100);  // the settings' own stay unswapped
  p.Destination = rpdPrinter;
  p.BeginDoc();
  // Turned, the sheet's left margin is the upright sheet's top one.
  EXPECT_EQ(p.LeftOffset(), 21);
  EXPECT_EQ(p.DeviceX(121), 236);  // 10 mm past the margin at 600 per inch
  EXPECT_EQ(p.DeviceWidth(254), 600);
  p.Cancel();
}

TEST_F(RpPrntrTest, ADeviceWithoutResolutionStartsAtScreenFactors) {
  TPrinterProfile blind = printers::PdfPrinterProfile();
  blind.DpiX = blind.DpiY = 0;
  printers::UseProfiles({blind}, 0);
  Printer()->Refresh();
  TRpPrinter p;
  p.Destination = rpdPrinter;
  p.BeginDoc();
  EXPECT_EQ(p.XFactor(), 96.0L / 254);
  EXPECT_EQ(p.YFactor(), 96.0L / 254);
  // A page on the device reads its factors again: the vertical one, below
  // a tenth, becomes one pixel per tenth of a millimetre.
  p.Printer()->FileName = folder / "blind.pdf";
  p.NewPage();
  EXPECT_EQ(p.YFactor(), 1);
  EXPECT_EQ(p.XFactor(), 1);
  EXPECT_EQ(p.DeviceX(300), 300);
  p.Cancel();
  EXPECT_EQ(p.Status(), rpsFinished);
}

// A resolution chosen for the job is the one the page is drawn at: the
// canvas, the page in pixels and the factors of the run follow it, and the
// text lands where it does at the printer's own resolution.
TEST_F(RpPrntrTest, AChosenResolutionIsTheResolutionDrawnAt) {
  ASSERT_TRUE(Have("pdftotext")) << "pdftotext is needed";
  std::vector<std::string> places;
  for (int dpi : {600, 300, 1200}) {
    SCOPED_TRACE(dpi);
    TRpPrinter p;
    p.SetPrintQuality(dpi);
    p.Destination = rpdPrinter;
    p.Printer()->FileName = folder / ("dpi" + std::to_string(dpi) + ".pdf").c_str();
    p.BeginDoc();
    p.NewPage();
    TCanvas& c = *p.Canvas();
    EXPECT_EQ(c.GetDeviceCaps(LOGPIXELSX), dpi);
    EXPECT_EQ(c.GetDeviceCaps(LOGPIXELSY), dpi);
    // A4 less the margins, 100 and 50 dots at 600 on each side.
    const int width = static_cast<int>(std::lround(210 / 25.4 * dpi)),
              height = static_cast<int>(std::lround(297 / 25.4 * dpi));
    EXPECT_EQ(c.GetDeviceCaps(PHYSICALWIDTH), width);
    EXPECT_EQ(p.Printer()->PageWidth(), width - 2 * (100 * dpi / 600));
    EXPECT_EQ(p.Printer()->PageHeight(), height - 2 * (50 * dpi / 600));
    EXPECT_EQ(p.Settings()->PixelsPerInchX, dpi);
    EXPECT_EQ(p.Settings()->PixelsPerInchY, dpi);
    EXPECT_EQ(p.XFactor(), dpi / 254.0L);
    EXPECT_EQ(p.DeviceX(p.LeftOffset() + 254), dpi);
    c.Font->Name = "Arial";
    c.Font->SetSize(12);
    c.TextOut(p.DeviceX(300), p.DeviceY(400), "Ανάλυση"_a);
    p.EndDoc();
    const std::string html =
        RunCommand("pdftotext -bbox -enc UTF-8 '" + Pdf(("dpi" + std::to_string(dpi) + ".pdf").c_str()) +
                   "' - 2>/dev/null");
    std::smatch m;
    ASSERT_TRUE(std::regex_search(
        html, m, std::regex("xMin=\"([0-9]+)[0-9.]*\" yMin=\"([0-9]+)[0-9.]*\"[^>]*>Ανάλυση")))
        << html;
    places.push_back(m[1].str() + "," + m[2].str());
  }
  EXPECT_EQ(places[1], places[0]);
  EXPECT_EQ(places[2], places[0]);
  ASSERT_EQ(printers::JobLog().size(), 3u);
  EXPECT_EQ(printers::JobLog()[1].Mode.dmPrintQuality, 300);
}

TEST_F(RpPrntrTest, PagesOutOfRangeGoToThrowAwayMetafiles) {
  TRpPrinter p;
  p.Destination = rpdPrinter;
  p.FirstPage = 3;
  p.LastPage = 4;
  p.Printer()->FileName = folder / "range.pdf";
  int afterPrint = 0;
  p.AfterPrint = [&](TRpPrinter* sender) {
    EXPECT_EQ(sender, &p);
    EXPECT_FALSE(p.Printer()->Printing());  // the job is out
    ++afterPrint;
  };
  RunPages(p, 6);
  EXPECT_EQ(afterPrint, 1);
  EXPECT_EQ(p.PageCount(), 6);
  ASSERT_EQ(PdfPages(Pdf("range.pdf")), 2);
  std::string text;
  ASSERT_TRUE(PdfText(Pdf("range.pdf"), text)) << "pdftotext is needed";
  EXPECT_NE(text.find("Σελίδα 3"), std::string::npos);
  EXPECT_NE(text.find("Σελίδα 4"), std::string::npos);
  EXPECT_EQ(text.find("Σελίδα 5"), std::string::npos);
}

TEST_F(RpPrntrTest, StoredPagesPrintAtTheirPlaceOnTheSheet) {
  TRpPrinter p;
  p.Title = "Αποθηκευμένες"_a;
  RunPages(p, 3);
  p.Printer()->FileName = folder / "stored.pdf";
  p.FirstPage = 2;
  p.LastPage = 9;  // past the last page: no blank sheets
  p.Print();
  ASSERT_EQ(PdfPages(Pdf("stored.pdf")), 2);
  ASSERT_TRUE(Have("pdftotext")) << "pdftotext is needed";
  const std::string html = RunCommand("pdftotext -bbox -enc UTF-8 '" + Pdf("stored.pdf") + "' - 2>/dev/null");
  std::smatch m;
  ASSERT_TRUE(std::regex_search(html, m, std::regex("xMin=\"([0-9.]+)\" yMin=\"([0-9.]+)\"[^>]*>Σελίδα")));
  // 30 mm and 40 mm from the sheet's corner, in points; the text's cell
  // starts at the reference point's top.
  EXPECT_NEAR(std::stod(m[1]), 30 / 25.4 * 72, 1.5);
  EXPECT_NEAR(std::stod(m[2]), 40 / 25.4 * 72, 3);
  ASSERT_EQ(printers::JobLog().size(), 1u);
  EXPECT_EQ(printers::JobLog()[0].Title, "Αποθηκευμένες"_a);
}

// A run drawn straight on the printer puts its text where the report
// asked, measured from the sheet's corner, however the sheet is turned:
// the unprintable margins are the device's as it prints, not as it stood
// when the printer was chosen.
TEST_F(RpPrntrTest, APrinterRunPlacesItsTextOnTheSheetEitherWayRound) {
  for (TPrinterOrientation orientation : {poPortrait, poLandscape}) {
    SCOPED_TRACE(orientation);
    TRpPrinter p;
    p.SetPaperSize(TRpPaperSize::A4);
    p.SetOrientation(orientation);
    p.Destination = rpdPrinter;
    const char* name = orientation == poPortrait ? "portrait.pdf" : "landscape.pdf";
    p.Printer()->FileName = folder / name;
    RunPages(p, 1);
    EXPECT_EQ(p.LeftOffset(), orientation == poPortrait ? 42 : 21);
    EXPECT_EQ(p.TopOffset(), orientation == poPortrait ? 21 : 42);
    ASSERT_TRUE(Have("pdftotext")) << "pdftotext is needed";
    const std::string html = RunCommand("pdftotext -bbox -enc UTF-8 '" + Pdf(name) + "' - 2>/dev/null");
    std::smatch m;
    ASSERT_TRUE(std::regex_search(html, m, std::regex("page width=\"([0-9.]+)\"")));
    EXPECT_NEAR(std::stod(m[1]), (orientation == poPortrait ? 210 : 297) / 25.4 * 72, 1);
    ASSERT_TRUE(std::regex_search(html, m, std::regex("xMin=\"([0-9.]+)\" yMin=\"([0-9.]+)\"[^>]*>Σελίδα")));
    EXPECT_NEAR(std::stod(m[1]), 30 / 25.4 * 72, 1.5);
    EXPECT_NEAR(std::stod(m[2]), 40 / 25.4 * 72, 3);
  }
}

// A report printed on its side lands on the sheet where it lands on a
// printer with no unprintable margins, whatever margins the device keeps.
TEST_F(RpPrntrTest, AReportOnItsSideLandsAsOnAPrinterWithoutMargins) {
  ASSERT_TRUE(Have("pdftotext")) << "pdftotext is needed";
  TForm form(nullptr);
  for (TPrinterOrientation orientation : {poPortrait, poLandscape}) {
    SCOPED_TRACE(orientation);
    std::vector<std::pair<double, double>> places;
    for (int offset : {0, 1}) {
      const std::string out = folder.path() + "/side" + std::to_string(orientation) + std::to_string(offset);
      ForceDirectories(out);
      TPrinterProfile pdf = printers::PdfPrinterProfile();
      pdf.OutputFolder = out;
      pdf.OffsetX = offset * 100;
      pdf.OffsetY = offset * 50;
      printers::UseProfiles({pdf}, 0);
      Printer()->Refresh();
      TBandRep* rep = NewA4Report(&form);
      rep->SetParent(&form);
      rep->Page()->SetOrientation(orientation);
      rep->Bands()->SetHasDetail(true);
      TRpCustomBand* band = rep->Bands()->Band(TBandRepBands::iDetail);
      band->Size()->Units = TRpUnit::Native;
      band->Size()->SetValue(TRpBandSize::iHeight, 500);
      auto* label = new TRpLabel(&form);
      label->SetParent(band);
      label->Size()->Units = TRpUnit::Native;
      label->Size()->SetValue(TRpPrintableSize::iLeft, 300);
      label->Size()->SetValue(TRpPrintableSize::iTop, 100);
      label->Size()->SetValue(TRpPrintableSize::iWidth, 1000);
      label->Size()->SetValue(TRpPrintableSize::iHeight, 60);
      label->SetCaption("Θέση"_a);
      bool fed = false;
      rep->OnNeedData() = [&](TObject*, bool& more) {
        more = !fed;
        fed = true;
      };
      rep->Print();
      const std::vector<std::string> pdfs = PdfsIn(out);
      ASSERT_EQ(pdfs.size(), 1u);
      const std::string html = RunCommand("pdftotext -bbox -enc UTF-8 '" + pdfs[0] + "' - 2>/dev/null");
      std::smatch m;
      ASSERT_TRUE(std::regex_search(html, m, std::regex("xMin=\"([0-9.]+)\" yMin=\"([0-9.]+)\"[^>]*>Θέση")))
          << html;
      places.push_back({std::stod(m[1]), std::stod(m[2])});
      delete rep;
    }
    // Within a printer dot (0.12 pt at 600 per inch) of each other.
    EXPECT_NEAR(places[0].first, places[1].first, 0.25);
    EXPECT_NEAR(places[0].second, places[1].second, 0.25);
  }
}

TEST_F(RpPrntrTest, SavedRunLoadsBackWithItsPaper) {
  TRpPrinter p;
  p.Settings()->SetPaperSize(TRpPaperSize::A4);
  p.Settings()->SetOrientation(poLandscape);
  RunPages(p, 2);
  const AnsiString file = folder / "landscape.rpp";
  p.Save(file);
  EXPECT_EQ(ReadWholeFile(file).size(), static_cast<size_t>(p.Stream()->Size()));
  TRpPrinter q;
  q.Settings()->SetPaperSize(TRpPaperSize::Letter);
  // Loading stops a run still going.
  q.BeginDoc();
  q.NewPage();
  q.Load(file);
  EXPECT_TRUE(q.Cancelled);
  EXPECT_EQ(q.Status(), rpsFinished);
  EXPECT_EQ(q.PageCount(), 2);
  EXPECT_TRUE(q.LoadedFromFile());
  EXPECT_EQ(q.Settings()->Orientation(), poLandscape);
  // A4's row and the later row of the same size: the later one is taken.
  EXPECT_EQ(q.Settings()->PaperSize(), TRpPaperSize::A4Small);
  EXPECT_EQ(q.PaperWidth(), 2970);
  // A sheet of no listed size leaves the paper and orientation as they are.
  TRpPrinter odd;
  odd.SetPaperSize(TRpPaperSize::Custom);
  odd.SetPaperWidth(1230);
  odd.SetPaperLength(770);
  RunPages(odd, 1);
  odd.Save(folder / "odd.rpp");
  q.Load(folder / "odd.rpp");
  EXPECT_EQ(q.PageCount(), 1);
  EXPECT_EQ(q.Settings()->PaperSize(), TRpPaperSize::A4Small);
  EXPECT_EQ(q.Settings()->Orientation(), poLandscape);
  // Loading lets go of the run's handlers for the preview and has the
  // preview print the loaded pages as they are.
  q.PreviewSetup = [] {};
  q.PreviewExport = [](TRpExportFilter*) {};
  RpPreviewPrintsPages = false;
  q.Load(file);
  EXPECT_FALSE(q.PreviewSetup);
  EXPECT_FALSE(q.PreviewExport);
  EXPECT_TRUE(RpPreviewPrintsPages);
  // A damaged page shows blank, reported once.
  std::string bytes = ReadWholeFile(file);
  bytes[128 + 8 + 40] = '_';  // the metafile signature
  SafeWriteFile(file, bytes);
  int reports = 0;
  q.OnDamagedPage = [&](const AnsiString&) { ++reports; };
  q.Load(file);
  SafeWriteFile(folder / "junk.rpp", "junk");
  EXPECT_THROW(q.Load(folder / "junk.rpp"), ERpError);
  EXPECT_EQ(q.PageCount(), 2);
  auto blank = q.GetPage(1);
  q.GetPage(1);
  ASSERT_NE(blank, nullptr);
  EXPECT_EQ(reports, 1);
}

TEST_F(RpPrntrTest, RecordedPagesOpenInADrawingProgram) {
  ASSERT_TRUE(Have("soffice")) << "LibreOffice (libreoffice-draw-nogui) is needed";
  TRpPrinter p;
  p.Settings()->SetPaperSize(TRpPaperSize::A4);
  RunPages(p, 2);
  p.GetPage(2)->SaveToFile(folder / "page2.emf");
  int status = -1;
  const std::string out =
      RunCommand("cd '" + folder.path() + "' && soffice -env:UserInstallation=file://" + folder.path() +
                     "/profile --headless --convert-to pdf page2.emf 2>&1",
                 &status);
  ASSERT_EQ(status, 0) << out;
  const std::string info = RunCommand("pdfinfo '" + Pdf("page2.pdf") + "' 2>&1");
  std::smatch m;
  ASSERT_TRUE(std::regex_search(info, m, std::regex("Page size: +([0-9.]+) x ([0-9.]+)"))) << info << out;
  EXPECT_NEAR(std::stod(m[1]), 210 / 25.4 * 72, 2);
  EXPECT_NEAR(std::stod(m[2]), 297 / 25.4 * 72, 2);
  std::string text;
  ASSERT_TRUE(PdfText(Pdf("page2.pdf"), text));
  EXPECT_NE(text.find("Σελίδα 2"), std::string::npos);
}

class MessageLog : public TWindowTarget {
 public:
  LRESULT WindowMessage(UINT msg, WPARAM wParam, LPARAM lParam) override {
    log.push_back({msg - WM_USER, static_cast<int>(wParam)});
    lParams.push_back(lParam);
    return 0;
  }
  std::vector<std::pair<UINT, int>> log;
  std::vector<LPARAM> lParams;
};

TEST_F(RpPrntrTest, ProgressAndPageCountsArriveInOrder) {
  MessageLog window;
  TRpPrinter p;
  p.Client = ui::RegisterWindow(&window);
  p.BeginDoc();
  p.NewPage();
  p.NewPage();
  p.SetProgress(50);
  p.EndDoc();
  Application->ProcessMessages();
  EXPECT_EQ(window.log, (std::vector<std::pair<UINT, int>>{{1, 1}, {0, 50}, {1, 2}}));
  ui::UnregisterWindow(p.Client);
}

TEST_F(RpPrntrTest, ClosingThePreviewStopsTheRunAndTellsItsWindow) {
  MessageLog window;
  TRpPrinter p;
  p.PreviewWindow = ui::RegisterWindow(&window);
  int afterPreview = 0;
  p.AfterPreview = [&](TRpPrinter*) { ++afterPreview; };
  p.SetShowingPreview(true);
  p.BeginDoc();
  p.NewPage();
  p.ClosePreview();
  EXPECT_TRUE(p.Cancelled);
  EXPECT_EQ(p.Status(), rpsFinished);
  EXPECT_EQ(afterPreview, 1);
  EXPECT_EQ(p.PageList()->PageCount(), 1);  // the partial page is kept
  // Printing a run the preview owns asks the preview to run it again.
  p.Print();
  Application->ProcessMessages();
  EXPECT_EQ(window.log, (std::vector<std::pair<UINT, int>>{{4, 0}, {2, 0}}));
  // The closing notice names the printer whose preview closed.
  EXPECT_EQ(window.lParams, (std::vector<LPARAM>{reinterpret_cast<LPARAM>(&p), 0}));
  EXPECT_EQ(p.DefaultPaperIndex(), static_cast<int>(TRpPaperSize::A4));
  ui::UnregisterWindow(p.PreviewWindow);
}

TEST_F(RpPrntrTest, LinksGoToTheShellOrTheirHandler) {
  std::vector<AnsiString> opened, claimed;
  auto saved = RpShellOpen;
  RpShellOpen = [&](const AnsiString& target) { opened.push_back(target); };
  TRpPrinter p;
  p.ProcessHyperlink("eXt:https://example.org");
  p.ProcessHyperlink("INT:nothing");
  RegisterRpLinkHandler("page:", [&](const AnsiString& rest) { claimed.push_back(rest); });
  p.ProcessHyperlink("INT:page:4");
  p.ProcessHyperlink("page:5");
  p.ProcessHyperlink("mailto:a@b");
  ClearRpLinkHandlers();
  RpShellOpen = saved;
  EXPECT_EQ(opened, (std::vector<AnsiString>{"https://example.org", "mailto:a@b"}));
  EXPECT_EQ(claimed, (std::vector<AnsiString>{"4", "5"}));
}

// Without a handler of the program's own, a link leaves through the
// desktop's "open"; an internal one nobody claims goes nowhere.
TEST_F(RpPrntrTest, ALinkLeavesThroughTheDesktopsOpen) {
  THeadlessBackend& backend = InstallHeadlessBackend();
  backend.ShellRequests.clear();
  TRpPrinter p;
  p.ProcessHyperlink("Ext:https://example.org/page");
  p.ProcessHyperlink("INT:nobody");
  p.ProcessHyperlink("mailto:epitropi@example.gr");
  ASSERT_EQ(backend.ShellRequests.size(), 2u);
  EXPECT_EQ(backend.ShellRequests[0].Verb, "open");
  EXPECT_EQ(backend.ShellRequests[0].File, "https://example.org/page");
  EXPECT_EQ(backend.ShellRequests[1].File, "mailto:epitropi@example.gr");
}

TEST_F(RpPrntrTest, ProgressWindowShowsEveryFifthPercentAndCancels) {
  TRpPrinter p;
  TRpProgressForm form(nullptr);
  form.RpPrinter = &p;
  EXPECT_EQ(form.Caption(), "Πρόοδος εκτύπωσης"_a);
  EXPECT_EQ(form.CancelButton->Caption(), "Ακυρο"_a);
  p.Client = form.Handle();
  p.SetProgress(33);
  Application->ProcessMessages();
  EXPECT_EQ(form.Gauge->Position(), 0);
  p.SetProgress(35);
  Application->ProcessMessages();
  EXPECT_EQ(form.Gauge->Position(), 35);
  EXPECT_EQ(form.Info->Caption(), "35%  Ολοκληρώθηκε"_a);
  form.CancelButton->Click();
  EXPECT_TRUE(p.Cancelled);
}

// The progress window a run or a print takes: shown only when asked for,
// fed by the printer while the work runs, and gone with the printer's
// messages sent back where they went before, however the work ends.
TEST_F(RpPrntrTest, RunWithProgressLendsThePrinterItsWindowForTheWorkOnly) {
  struct Case {
    bool show, follow, fail;
    const char* caption;
  } cases[] = {{true, true, false, ""},
               {true, true, true, "Exporting Progress"},
               {true, false, false, "Exporting Progress"},
               {false, true, false, ""}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.show << c.follow << c.fail);
    TRpPrinter p;
    TForm owner(nullptr);
    p.Client = owner.Handle();
    const int before = Screen->FormCount();
    bool ran = false;
    auto work = [&] {
      ran = true;
      TRpProgressForm* shown = nullptr;
      for (int i = 0; i < Screen->FormCount(); ++i)
        if (auto* f = dynamic_cast<TRpProgressForm*>(Screen->Forms(i))) shown = f;
      EXPECT_EQ(shown != nullptr, c.show);
      if (shown != nullptr) {
        EXPECT_TRUE(shown->Visible());
        EXPECT_EQ(shown->RpPrinter, &p);
        EXPECT_EQ(shown->Caption(), *c.caption ? AnsiString(c.caption) : "Πρόοδος εκτύπωσης"_a);
        EXPECT_EQ(p.Client, c.follow ? shown->Handle() : owner.Handle());
      }
      if (c.fail) throw ERpError("stop");
    };
    if (c.fail)
      EXPECT_THROW(RunWithProgress(p, c.show, c.caption, c.follow, work), ERpError);
    else
      RunWithProgress(p, c.show, c.caption, c.follow, work);
    EXPECT_TRUE(ran);
    EXPECT_EQ(p.Client, owner.Handle());
    EXPECT_EQ(Screen->FormCount(), before);
  }
}

// A report that shows the progress of a print, and takes the place of the
// user's Cancel at the moment a page is about to be drawn.
class ProgressMaster : public TRpPrinterMaster {
 public:
  const TBandRepPrinterSettings& MasterPrinterSettings() const override { return settings; }
  bool ShowProgress() const override { return true; }
  TRpPage& MasterPage() override {
    if (printer != nullptr) {
      progress.push_back(printer->Progress());
      if (cancelAtPage == static_cast<int>(progress.size())) printer->Cancelled = true;
    }
    return page;
  }
  void MasterAfterPrint() override { ++afterPrint; }
  void RequestStop() override {}
  TBandRepPrinterSettings settings;
  TRpPage page;
  TRpPrinter* printer = nullptr;
  std::vector<int> progress;
  int cancelAtPage = 0, afterPrint = 0;
};

// A print the user cancelled stops at the page it was on; the next print
// of the same pages starts afresh and prints all of them, and a range late
// in the pages counts its progress from its own first page.
TEST_F(RpPrntrTest, APrintAfterACancelledOnePrintsEveryPage) {
  ProgressMaster master;
  TRpPrinter p(&master);
  master.printer = &p;
  p.SetPaperSize(TRpPaperSize::A4);
  master.page.SetPaperSize(TRpPaperSize::A4);
  RunPages(p, 6);
  struct Case {
    int first, last, cancelAt;
    const char* file;
    std::vector<int> progress;
    bool aborted;
    int pages;
  } cases[] = {{5, 6, 0, "late.pdf", {50, 100}, false, 2},
               {0, 0, 2, "cancelled.pdf", {17, 33}, true, 0},
               {0, 0, 0, "again.pdf", {17, 33, 50, 67, 83, 100}, false, 6}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    printers::ClearJobLog();
    master.progress.clear();
    master.cancelAtPage = c.cancelAt;
    p.FirstPage = c.first;
    p.LastPage = c.last;
    p.Printer()->FileName = folder / c.file;
    p.Print();
    EXPECT_EQ(master.progress, c.progress);
    ASSERT_EQ(printers::JobLog().size(), 1u);
    EXPECT_EQ(printers::JobLog()[0].Aborted, c.aborted);
    if (c.pages > 0) {
      EXPECT_EQ(PdfPages(Pdf(c.file)), c.pages);
    } else {
      EXPECT_FALSE(FileExists(Pdf(c.file)));
    }
  }
  EXPECT_EQ(master.afterPrint, 3);
  std::string text;
  ASSERT_TRUE(PdfText(Pdf("again.pdf"), text)) << "pdftotext is needed";
  EXPECT_NE(text.find("Σελίδα 1"), std::string::npos);
  EXPECT_NE(text.find("Σελίδα 6"), std::string::npos);
}

// A document asked for while a run is going or finished is refused with
// everything of that run as it was: its pages, its counts, its cancel mark
// and the sheet's margins it draws against.
TEST_F(RpPrntrTest, ARefusedBeginDocLeavesTheRunAsItWas) {
  for (int destination : {rpdMetafile, rpdPrinter}) {
    for (bool finish : {false, true}) {
      SCOPED_TRACE(testing::Message() << destination << finish);
      TRpPrinter p;
      p.Destination = destination;
      p.Printer()->FileName = folder / "refused.pdf";
      p.BeginDoc();
      p.NewPage();
      p.NewPage();
      if (finish) p.EndDoc();
      p.Cancelled = true;
      const int status = p.Status(), pages = p.AvailablePages(), left = p.LeftOffset();
      const Extended x = p.XFactor();
      EXPECT_THROW(p.BeginDoc(), ERpError);
      EXPECT_EQ(p.Status(), status);
      EXPECT_EQ(p.PageCount(), 2);
      EXPECT_EQ(p.AvailablePages(), pages);
      EXPECT_EQ(p.LeftOffset(), left);
      EXPECT_EQ(p.XFactor(), x);
      EXPECT_TRUE(p.Cancelled);
      if (!finish) {
        // The page being drawn is still the one drawn on.
        ASSERT_NE(p.Canvas(), nullptr);
        p.Canvas()->TextOut(p.DeviceX(300), p.DeviceY(400), "Μετά"_a);
        p.EndDoc();
      }
      if (destination == rpdMetafile) {
        EXPECT_EQ(p.PageList()->PageCount(), 2);
      }
      if (destination == rpdPrinter) {
        EXPECT_EQ(PdfPages(Pdf("refused.pdf")), 2);
      }
    }
  }
}

// Stored pages print only once their run has finished and only when the
// machine has a printer; otherwise nothing happens at all.
TEST_F(RpPrntrTest, PrintingStoredPagesWaitsForTheRunAndAPrinter) {
  {
    TRpPrinter p;
    p.Print();  // no run yet
    p.BeginDoc();
    p.NewPage();
    p.Print();  // the run is still going
    EXPECT_EQ(p.Status(), rpsBusy);
    EXPECT_FALSE(p.Printer()->Printing());
    p.EndDoc();
  }
  EXPECT_TRUE(printers::JobLog().empty());
  printers::UseProfiles({}, -1);
  Printer()->Refresh();
  TRpPrinter none;
  EXPECT_FALSE(none.PrinterOK());
  RunPages(none, 2);
  none.Print();
  EXPECT_TRUE(printers::JobLog().empty());
}

// The device's own sides code, read when the printer was chosen, does not
// undo a two-sided print asked for afterwards; one the caller gave stays.
TEST_F(RpPrntrTest, TwoSidedPrintingAskedForReachesTheJob) {
  struct Case {
    std::vector<int> extendedFirst;  // codes given before Duplex
    bool duplex;
    int sides;
  } cases[] = {{{}, true, DMDUP_HORIZONTAL},
               {{}, false, DMDUP_SIMPLEX},
               {{DMDUP_VERTICAL}, true, DMDUP_VERTICAL},
               {{DMDUP_VERTICAL}, false, DMDUP_SIMPLEX}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.extendedFirst.size() << c.duplex);
    printers::ClearJobLog();
    TRpPrinter p;
    EXPECT_EQ(p.Settings()->ExtendedDuplex, DMDUP_SIMPLEX);  // as the device says
    for (int code : c.extendedFirst) p.SetExtendedDuplex(code);
    p.SetDuplex(c.duplex);
    p.Destination = rpdPrinter;
    p.Printer()->FileName = folder / "sides.pdf";
    RunPages(p, 1);
    ASSERT_EQ(printers::JobLog().size(), 1u);
    EXPECT_EQ(printers::JobLog()[0].Mode.dmDuplex, c.sides);
  }
}

// The settings' events reach the caller through the printer: the device
// mode is shown once when another printer is chosen, and before each job
// it may be changed, or kept from the device altogether.
TEST_F(RpPrntrTest, TheSettingsEventsSeeTheDeviceModeOfTheJob) {
  TPrinterProfile second = printers::PdfPrinterProfile();
  second.Name = "Δεύτερος"_a;
  second.OutputFolder = folder.path();
  second.Defaults.dmCopies = 4;
  printers::UseProfiles({printers::Profiles()[0], second}, 0);
  Printer()->Refresh();
  for (bool keepFromDevice : {false, true}) {
    SCOPED_TRACE(keepFromDevice);
    printers::ClearJobLog();
    TRpPrinter p;
    std::vector<int> read;
    p.SetOnGetPrinterSettings(
        [&](TPrinterSettings*, bool&, TDeviceMode* mode) { read.push_back(mode->dmCopies); });
    p.SetPrinterIndex(1);
    p.SetPrinterIndex(1);  // the same printer is not read again
    EXPECT_EQ(read, std::vector<int>{4});
    EXPECT_EQ(p.Settings()->Copies(), 4);
    p.SetCopies(2);
    p.SetOnApplyPrinterSettings([&](TPrinterSettings*, bool& cancel, TDeviceMode* mode) {
      EXPECT_EQ(mode->dmCopies, 2);
      mode->dmCollate = 1;
      cancel = keepFromDevice;
    });
    p.Destination = rpdPrinter;
    p.Printer()->FileName = folder / "events.pdf";
    RunPages(p, 1);
    ASSERT_EQ(printers::JobLog().size(), 1u);
    EXPECT_EQ(printers::JobLog()[0].Printer, "Δεύτερος"_a);
    EXPECT_EQ(printers::JobLog()[0].Mode.dmCopies, keepFromDevice ? 4 : 2);
    EXPECT_EQ(printers::JobLog()[0].Mode.dmCollate, keepFromDevice ? 0 : 1);
  }
}

// A preview goes to the handler that replaces the standard one, or else to
// a window of the registered kind, whose maker lives only for the call.
TEST_F(RpPrntrTest, APreviewGoesToItsHandlerOrToTheRegisteredKindOfWindow) {
  struct Recorder : TRpPreviewInterface {
    Recorder(std::vector<TRpPrinter*>& shown, int& alive)
        : TRpPreviewInterface(nullptr), shown(shown), alive(alive) {
      ++alive;
    }
    ~Recorder() override { --alive; }
    TCustomForm* Show(TRpPrinter* printer) override {
      shown.push_back(printer);
      return nullptr;
    }
    std::vector<TRpPrinter*>& shown;
    int& alive;
  };
  std::vector<TRpPrinter*> shown, handled;
  int alive = 0;
  const TRpPreviewInterfaceClass saved = RpPreviewInterfaceClass();
  RpPreviewInterfaceClass() = [&](TComponent*) { return std::make_unique<Recorder>(shown, alive); };
  TRpPrinter p;
  RunPages(p, 1);
  p.Preview();
  p.OnPreview = [&](TRpPrinter* sender) { handled.push_back(sender); };
  p.Preview();
  RpPreviewInterfaceClass() = saved;
  EXPECT_EQ(shown, std::vector<TRpPrinter*>{&p});
  EXPECT_EQ(handled, std::vector<TRpPrinter*>{&p});
  EXPECT_EQ(alive, 0);
}

// A preview bound to a run hears of each page as the run hands it over and
// of the progress, shows its page once that page is closed, and lets go
// of the printer when the printer goes.
TEST_F(RpPrntrTest, APreviewFollowsTheRunPageByPage) {
  TForm form(nullptr);
  auto* preview = new TRpPreview(&form);
  preview->SetParent(&form);
  std::vector<int> available, progress;
  preview->OnPageAvailable = [&](TObject*, int pages) { available.push_back(pages); };
  preview->OnProgressUpdate = [&](TObject*, int percent) { progress.push_back(percent); };
  std::vector<bool> shown;
  {
    TRpPrinter p;
    preview->SetRpPrinter(&p);
    EXPECT_EQ(p.Client, preview->Handle());
    p.BeginDoc();
    for (int n = 1; n <= 3; ++n) {
      p.NewPage();
      p.Canvas()->TextOut(p.DeviceX(300), p.DeviceY(400), "Σελίδα "_a + IntToStr(n));
      p.SetProgress(n * 30);
      Application->ProcessMessages();
      shown.push_back(preview->Image()->PageMetafile() != nullptr);
    }
    p.EndDoc();
    Application->ProcessMessages();
    shown.push_back(preview->Image()->PageMetafile() != nullptr);
  }
  EXPECT_EQ(available, (std::vector<int>{1, 2, 3}));
  EXPECT_EQ(progress, (std::vector<int>{30, 60, 90}));
  // The first page shows once the second has begun, which closed it.
  EXPECT_EQ(shown, (std::vector<bool>{false, true, true, true}));
  EXPECT_EQ(preview->RpPrinter(), nullptr);
}

// The printer's own drawing surface is the page of the job being printed.
TEST_F(RpPrntrTest, ThePrinterHandleDrawsOnThePrintedPage) {
  TRpPrinter p;
  p.Destination = rpdPrinter;
  p.Printer()->FileName = folder / "handle.pdf";
  p.BeginDoc();
  p.NewPage();
  TCanvas* handle = p.GetPrinterHandle();
  ASSERT_NE(handle, nullptr);
  EXPECT_EQ(handle, p.Canvas());
  handle->TextOut(p.DeviceX(500), p.DeviceY(500), "Απευθείας"_a);
  p.EndDoc();
  std::string text;
  ASSERT_TRUE(PdfText(Pdf("handle.pdf"), text)) << "pdftotext is needed";
  EXPECT_NE(text.find("Απευθείας"), std::string::npos);
}

}  // namespace
