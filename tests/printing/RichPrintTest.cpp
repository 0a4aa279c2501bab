// The rich-text printer: geometry and clamping on test printers, the line
// printer's columns, fit and macros, its failures, the settings store, and
// whole documents on the PDF printer read back by other programs.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <regex>

#include "platform/backend/headless/Headless.h"
#include "platform/rtl/FileUtils.h"
#include "platform/rtl/Registry.h"
#include "platform/ui/Application.h"
#include "printing/RichPrint.h"
#include "tests/TestOutput.h"
#include "tests/platform/OtherPrograms.h"
#include "tests/platform/PdfStrokes.h"
#include "tests/platform/rtl/TempFolder.h"

namespace {

TPrinterProfile TestPrinter(int dpi, int offset) {
  TPrinterProfile p = printers::PdfPrinterProfile();
  p.Name = "Test" + IntToStr(dpi);
  p.DpiX = p.DpiY = dpi;
  p.OffsetX = p.OffsetY = offset;
  return p;
}

class RichPrintTest : public ::testing::Test {
 protected:
  void SetUp() override {
    backend = &InstallHeadlessBackend();
    SetRegistryStoreRoot(cp1253::FromUtf8(store.path()));
    UsePrinter(TestPrinter(600, 100));
    owner.reset(NewForm<TForm>(nullptr));
    edit = new TRichEdit(owner.get());
    edit->SetParent(owner.get());
    edit->SetWordWrap(false);
  }
  void TearDown() override {
    owner.reset();
    Application->ProcessMessages();
    printers::UseSystem();
    Printer()->Refresh();
    SetRegistryStoreRoot("");
  }
  void UsePrinter(const TPrinterProfile& p) {
    printers::UseProfiles({p}, 0);
    Printer()->Refresh();
    Printer()->SetPrinterIndex(0);
  }
  void Text(int lines) {
    TFont font;
    font.Name = "Courier New";
    font.SetSize(10);
    edit->SetFont(font);
    AnsiString text;
    for (int i = 1; i <= lines; ++i) text += Format("Γραμμή %3d της αναφοράς υπολογισμών\r\n"_a, {i});
    edit->SetText(text);
  }
  THeadlessBackend* backend = nullptr;
  TempFolder store;
  std::unique_ptr<TForm> owner;
  TRichEdit* edit = nullptr;
};

TEST_F(RichPrintTest, MarginsAreClampedToThePrintersGutters) {
  TRichPrinter rp(nullptr);
  const double gutter = 100 / 600.0 * 25.4;  // 4.233 mm
  EXPECT_NEAR(rp.GutterLeft(), gutter, 1e-9);
  EXPECT_NEAR(rp.GutterBottom(), gutter, 0.01);
  struct Case {
    double set, expect;
  };
  const double width = std::lround(210 / 25.4 * 600) / 600.0 * 25.4;
  const double height = std::lround(297 / 25.4 * 600) / 600.0 * 25.4;
  for (const Case& c : {Case{0, gutter}, Case{12.5, 12.5}, Case{1000, width - gutter}}) {
    rp.SetMarginLeft(c.set);
    EXPECT_NEAR(rp.MarginLeft(), c.expect, 0.01) << c.set;
    rp.SetMarginRight(c.set);
    EXPECT_NEAR(rp.MarginRight(), c.expect, 0.01) << c.set;
  }
  rp.SetMarginTop(1000);
  EXPECT_NEAR(rp.MarginTop(), height - gutter, 0.01);
  rp.SetMarginBottom(-5);
  EXPECT_NEAR(rp.MarginBottom(), gutter, 0.01);
  // Pixels from the printable corner: 25 mm less the gutter.
  rp.SetMarginLeft(25);
  EXPECT_EQ(rp.LeftMarginPx(), static_cast<int>(std::lround((25 - gutter) / 25.4 * 600)));
  // The same in inches.
  rp.SetMeasureUnit(muInches);
  EXPECT_NEAR(rp.MarginLeft(), 25 / 25.4, 1e-6);
  rp.SetMarginTop(0);
  EXPECT_NEAR(rp.MarginTop(), 100 / 600.0, 1e-9);
}

TEST_F(RichPrintTest, EveryFailureHasItsText) {
  printers::UseProfiles({}, -1);
  Printer()->Refresh();
  try {
    TRichPrinter none(nullptr);
    ADD_FAILURE() << "no printer, no failure";
  } catch (const ELinePrinter& e) {
    EXPECT_EQ(e.Message, "There have to be at least one printer installed will printing functioning.");
  }
  UsePrinter(TestPrinter(600, 0));
  TRichPrinter rp(nullptr);
  const auto expectText = [](const std::function<void()>& f, const char* text) {
    try {
      f();
      ADD_FAILURE() << "no failure for " << text;
    } catch (const ELinePrinter& e) {
      EXPECT_EQ(e.Message, text);
    }
  };
  // Before printing: ending or turning a page the printer has not begun.
  expectText([&] { rp.EndDoc(); }, "Not be able to end the printing.");
  expectText([&] { rp.NewPage(); }, "Not be able to print a new page.");
  Printer()->FileName = TestOutput("failures.pdf");
  Printer()->BeginDoc();
  expectText([&] { rp.SetMarginTop(10); }, "Unable to change top margin while printing");
  expectText([&] { rp.SetMarginBottom(10); }, "Unable to change bottom margin while printing");
  expectText([&] { rp.SetMarginLeft(10); }, "Unable to change left margin while printing");
  expectText([&] { rp.SetMarginRight(10); }, "Unable to change right margin while printing");
  expectText([&] { rp.SetTitle("x"); }, "Unable to change title while printing");
  expectText([&] { rp.SetOrientation(poLandscape); }, "Unable to change orientation while printing");
  expectText([&] { rp.BeginDoc(); }, "Not be able to start the printing.");
  Printer()->EndDoc();
  // A file that cannot be written.
  Printer()->FileName = "/nonexistent-folder/x.pdf";
  rp.ShowProgress = false;
  rp.BeginDoc();
  expectText([&] { rp.EndDoc(); }, "Not be able to print to a file.");
  if (Printer()->Printing()) Printer()->Abort();
  Printer()->FileName.clear();
}

TEST(RichPrintColumns, FormatsFitAndMacros) {
  struct Case {
    const char* format;
    TAlignment alignment;
    double width;
  };
  const Case cases[] = {{">100", taRightJustify, 100}, {"^20.5", taCenter, 20.5},
                        {"<7", taLeftJustify, 7},      {"30", taLeftJustify, 30},
                        {"", taLeftJustify, 12},       {">", taRightJustify, 12},
                        {"^", taCenter, 12},           {">  3,937", taRightJustify, 3.937},
                        {"<x", taLeftJustify, 0}};
  for (const Case& c : cases) {
    const TColumnFormat f = TRichPrinter::ParseColumnFormat(c.format, 12);
    EXPECT_EQ(f.Alignment, c.alignment) << c.format;
    EXPECT_NEAR(f.Width, c.width, 1e-9) << c.format;
  }
  TImageCanvas canvas(10, 10);
  canvas.Font->Name = "Courier New";
  canvas.Font->SetHeight(-20);
  const int w = canvas.TextWidth("abcdefghij");
  EXPECT_EQ(TRichPrinter::FitText(canvas, "abcdefghij", w), "abcdefghij");
  EXPECT_EQ(TRichPrinter::FitText(canvas, "abcdefghij", w * 6 / 10), "abcdef");
  EXPECT_EQ(TRichPrinter::FitText(canvas, "abcdefghij", w / 10 - 1), "");
  EXPECT_EQ(TRichPrinter::FitText(canvas, "abcdefghij", w / 10), "a");
}

TEST_F(RichPrintTest, MacrosAndTheLinePrintersColumns) {
  TRichPrinter rp(nullptr);
  rp.SetTitle("Τίτλος"_a);
  rp.ShowProgress = false;
  EXPECT_EQ(rp.ExpandMacros("{$TITLE} {$PAGE}/{$LINE} {$TITLE}"), "Τίτλος 0/0 Τίτλος"_a);
  EXPECT_EQ(rp.ExpandMacros("{$DATE}"), FormatDateTime("ddddd", Now()));
  // A line with more texts than columns prints as many as there are
  // columns; the line number goes on.
  Printer()->FileName = TestOutput("columns.pdf");
  rp.Header.clear();
  rp.Footer.clear();
  rp.BeginDoc();
  rp.SetColumnFormats("<40|>30");
  rp.PrintLine("ΑΡΙΣΤΕΡΑ|ΔΕΞΙΑ|ΠΕΡΙΤΤΟ"_a);
  rp.PrintLine("{$LINE}");
  EXPECT_EQ(rp.LineNumber(), 2);
  rp.EndDoc();
  std::string text;
  ASSERT_TRUE(PdfText(TestOutput("columns.pdf"), text));
  EXPECT_NE(text.find("ΑΡΙΣΤΕΡΑ"), std::string::npos) << text;
  EXPECT_NE(text.find("ΔΕΞΙΑ"), std::string::npos) << text;
  EXPECT_EQ(text.find("ΠΕΡΙΤΤΟ"), std::string::npos) << text;
  EXPECT_NE(text.find("1"), std::string::npos) << text;
}

TEST_F(RichPrintTest, SettingsRoundTripInBothUnits) {
  for (TMeasureUnit unit : {muMillimeters, muInches}) {
    SCOPED_TRACE(unit);
    {
      TRichPrinter rp(nullptr);
      rp.SetMeasureUnit(unit);
      const double k = unit == muMillimeters ? 1 : 1 / 25.4;
      rp.SetMarginLeft(21 * k);
      rp.SetMarginTop(32 * k);
      rp.SetMarginBottom(23 * k);
      rp.SetMarginRight(14 * k);
      rp.SetOrientation(poLandscape);
      rp.SaveSettings();
    }
    Printer()->SetOrientation(poPortrait);
    TRichPrinter back(nullptr);
    back.LoadSettings();
    EXPECT_EQ(back.MeasureUnit(), unit);
    const double k = unit == muMillimeters ? 1 : 1 / 25.4;
    EXPECT_NEAR(back.MarginLeft(), 21 * k, 1e-9);
    EXPECT_NEAR(back.MarginTop(), 32 * k, 1e-9);
    EXPECT_NEAR(back.MarginBottom(), 23 * k, 1e-9);
    EXPECT_NEAR(back.MarginRight(), 14 * k, 1e-9);
    EXPECT_EQ(back.Orientation(), poLandscape);
    Printer()->SetOrientation(poPortrait);
  }
  TRegistryIniFile ini(kRichPrnKey);
  EXPECT_EQ(ini.ReadInteger("Marges", "CodeMeasurement", -1), 0);
  EXPECT_EQ(ini.ReadInteger("Marges", "CodeDirection", -1), 0);
}

TEST_F(RichPrintTest, AUnitChangeRescalesMarginsFormatsAndLogo) {
  TRichPrinter rp(nullptr);
  rp.HeaderFormat = "<50|^20";
  rp.SetMeasureUnit(muInches);
  EXPECT_NEAR(rp.MarginTop(), 30 / 25.4, 1e-9);
  EXPECT_NEAR(rp.BorderOffset, 2 / 25.4, 1e-12);
  EXPECT_NEAR(rp.LogoWidth, 25 / 25.4, 1e-12);
  EXPECT_EQ(rp.HeaderFormat, "<" + Format("%8.3f", {50 / 25.4L}) + "|^" + Format("%8.3f", {20 / 25.4L}));
  EXPECT_EQ(rp.FooterFormat, ">" + Format("%8.3f", {100 / 25.4L}));
  EXPECT_EQ(rp.Footer, "Σελίδα {$PAGE}"_a);
  rp.SetMeasureUnit(muMillimeters);
  EXPECT_NEAR(rp.MarginTop(), 30, 1e-9);
  EXPECT_NEAR(TRichPrinter::ParseColumnFormat(rp.FooterFormat, 0).Width, 100, 0.02);
}

// The words pdftotext finds with their boxes, in points.
struct TWord {
  std::string text;
  double xMin, yMin, xMax, yMax;
  int page;
};
std::vector<TWord> Words(const std::string& pdf) {
  std::vector<TWord> words;
  if (!Installed("pdftotext", "poppler-utils")) return words;
  const std::string html = RunCommand("pdftotext -bbox -enc UTF-8 '" + pdf + "' - 2>/dev/null");
  const std::regex word(
      R"re(<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">([^<]*)</word>)re");
  int page = 0;
  size_t at = 0;
  for (auto it = std::sregex_iterator(html.begin(), html.end(), word); it != std::sregex_iterator(); ++it) {
    const size_t pos = static_cast<size_t>(it->position());
    for (size_t p = html.find("<page", at); p != std::string::npos && p < pos;
         p = html.find("<page", p + 1)) {
      ++page;
      at = p + 1;
    }
    words.push_back(
        {(*it)[5], std::stod((*it)[1]), std::stod((*it)[2]), std::stod((*it)[3]), std::stod((*it)[4]), page});
  }
  return words;
}

TEST_F(RichPrintTest, ATextPrintsOnPagesWithHeaderFooterAndBorders) {
  UsePrinter(TestPrinter(600, 0));
  Text(150);
  TRichPrinter rp(nullptr);
  rp.SetTitle("ΥΠΟΛΟΓΙΣΜΟΙ"_a);
  rp.PageBorders = {pbTop, pbBottom, pbLeft, pbRight};
  int pagesStarted = 0;
  rp.OnNewPage = [&](TObject*) { ++pagesStarted; };
  const std::string file = TestOutput("richprint.pdf");
  Printer()->FileName = cp1253::FromUtf8(file);
  rp.PrintRichEdit(edit, 1);
  EXPECT_EQ(rp.ProgressDialog(), nullptr);
  EXPECT_TRUE(PdfIsSound(file));
  ASSERT_TRUE(Installed("pdfinfo", "poppler-utils"));
  const std::string info = RunCommand("pdfinfo '" + file + "'");
  std::smatch m;
  ASSERT_TRUE(std::regex_search(info, m, std::regex(R"(Pages:\s+(\d+))"))) << info;
  const int pages = std::stoi(m[1]);
  EXPECT_EQ(pages, pagesStarted);
  EXPECT_EQ(pages, 3);
  EXPECT_NE(info.find("595.32 x 841.92"), std::string::npos) << info;  // A4 in points
  // Header and footer where they belong, to a pixel: centred in the top and
  // bottom margins, right-aligned in their 100 mm column.
  const std::vector<TWord> words = Words(file);
  const double px = 72.0 / 600;
  const int lh = rp.LineHeight();
  const int top = rp.TopMarginPx();
  const TRect area = rp.TextArea();
  const double headerTop = static_cast<double>(std::lround((top - lh) / 2.0)) * px;
  const double footerTop = (std::lround((rp.BottomMarginPx() - lh) / 2.0) + area.Height() + top) * px;
  const double columnRight = (rp.LeftMarginPx() + rp.ToPixelsX(100) - 6) * px;
  int headers = 0, footers = 0;
  for (const TWord& w : words) {
    if (w.text == "ΥΠΟΛΟΓΙΣΜΟΙ") {
      ++headers;
      EXPECT_NEAR(w.yMin, headerTop, px) << "page " << w.page;
      EXPECT_NEAR(w.xMax, columnRight, px);
    }
    if (w.text == "Σελίδα") {
      ++footers;
      EXPECT_NEAR(w.yMin, footerTop, px) << "page " << w.page;
    }
  }
  EXPECT_EQ(headers, 3);
  EXPECT_EQ(footers, 3);
  // "Σελίδα 2" on the second page.
  bool two = false;
  for (size_t i = 0; i + 1 < words.size(); ++i)
    two |= words[i].text == "Σελίδα" && words[i + 1].text == "2" && words[i].page == 2;
  EXPECT_TRUE(two);
  // The text itself: every line once.
  int lines = 0;
  for (const TWord& w : words) lines += w.text == "Γραμμή";
  EXPECT_EQ(lines, 150);
}

// The borders stand the offset off the text area, the bottom one twice
// that below it, and the pen is two pixels wide at 600 dpi; below 600 dpi
// it is the thinnest line, one pixel.
TEST_F(RichPrintTest, BordersStandOffTheTextAreaAndTheirPenFollowsTheResolution) {
  for (const auto& [dpi, penPx] : {std::pair{600, 2}, {300, 1}}) {
    SCOPED_TRACE(dpi);
    UsePrinter(TestPrinter(dpi, 0));
    edit->Clear();
    TRichPrinter rp(nullptr);
    rp.PageBorders = {pbTop, pbBottom, pbLeft, pbRight};
    rp.Header.clear();
    rp.Footer.clear();
    const std::string file = TestOutput("borders" + std::to_string(dpi) + ".pdf");
    Printer()->FileName = cp1253::FromUtf8(file);
    rp.PrintRichEdit(edit, 1);
    const double px = 72.0 / dpi;
    const std::vector<TStroke> strokes = PdfStrokes(file, 841.92);
    ASSERT_EQ(strokes.size(), 4u);
    const TRect area = rp.TextArea();
    const int left = rp.LeftMarginPx(), top = rp.TopMarginPx();
    const int ox = rp.ToPixelsX(rp.BorderOffset), oy = rp.ToPixelsY(rp.BorderOffset);
    const double l = (left - ox) * px, r = (left + area.Width() + ox) * px;
    const double t = (top - oy) * px, b = (top + area.Height() + 2 * oy) * px;
    const TStroke expected[] = {{0, l, t, r, t}, {0, l, b, r, b}, {0, l, t, l, b}, {0, r, t, r, b}};
    for (size_t i = 0; i < 4; ++i) {
      EXPECT_NEAR(strokes[i].width, penPx * px, 1e-3) << i;
      EXPECT_NEAR(strokes[i].x1, expected[i].x1, px) << i;
      EXPECT_NEAR(strokes[i].y1, expected[i].y1, px) << i;
      EXPECT_NEAR(strokes[i].x2, expected[i].x2, px) << i;
      EXPECT_NEAR(strokes[i].y2, expected[i].y2, px) << i;
    }
  }
}

TEST_F(RichPrintTest, AnEmptyTextPrintsOnePageWithHeaderAndFooter) {
  UsePrinter(TestPrinter(600, 0));
  edit->Clear();
  TRichPrinter rp(nullptr);
  rp.SetTitle("ΚΕΝΟ"_a);
  const std::string file = TestOutput("empty.pdf");
  Printer()->FileName = cp1253::FromUtf8(file);
  rp.PrintRichEdit(edit, 1);
  std::string text;
  ASSERT_TRUE(PdfText(file, text));
  EXPECT_NE(text.find("ΚΕΝΟ"), std::string::npos);
  EXPECT_NE(text.find("Σελίδα 1"), std::string::npos);
  EXPECT_EQ(printers::JobLog().back().Pages, 1);
}

TEST_F(RichPrintTest, APageRangeAndASelectionPrintOnlyThose) {
  UsePrinter(TestPrinter(600, 0));
  Text(150);
  TRichPrinter rp(nullptr);
  rp.SetTitle("Τ"_a);
  const std::string file = TestOutput("range.pdf");
  Printer()->FileName = cp1253::FromUtf8(file);
  rp.PrintRichEditRange(edit, 1, 2, 3);
  EXPECT_EQ(printers::JobLog().back().Pages, 2);
  std::string text;
  ASSERT_TRUE(PdfText(file, text, true));
  EXPECT_FALSE(std::regex_search(text, std::regex("Γραμμή\\s+1 ")));
  EXPECT_NE(text.find("Σελίδα 2"), std::string::npos);
  EXPECT_NE(text.find("Σελίδα 3"), std::string::npos);
  EXPECT_NE(text.find("150"), std::string::npos);
  // The selection: lines 10 and 11 only.
  const int from = edit->Perform(EM_LINEINDEX, 9, 0), to = edit->Perform(EM_LINEINDEX, 11, 0);
  rp.PrintRichEditRange(edit, 1, 0, 0, from, to);
  EXPECT_EQ(printers::JobLog().back().Pages, 1);
  ASSERT_TRUE(PdfText(file, text, true));
  const auto has = [&](int n) {
    return std::regex_search(text, std::regex("Γραμμή\\s+" + std::to_string(n) + " "));
  };
  EXPECT_TRUE(has(10)) << text;
  EXPECT_TRUE(has(11)) << text;
  EXPECT_FALSE(has(12)) << text;
  EXPECT_FALSE(has(9)) << text;
}

// A document that cannot be written says so, and the printer is free for
// the next one.
TEST_F(RichPrintTest, AFailedDocumentLeavesThePrinterFreeForTheNext) {
  UsePrinter(TestPrinter(600, 0));
  Text(80);
  TRichPrinter rp(nullptr);
  rp.SetTitle("ΥΠΟΛΟΓΙΣΜΟΙ"_a);
  // While it prints, the progress dialog says what and which page.
  std::vector<AnsiString> seen;
  rp.OnNewPage = [&](TObject*) {
    ASSERT_NE(rp.ProgressDialog(), nullptr);
    TRichPrntProgDlg& d = *rp.ProgressDialog();
    seen.push_back(d.Caption() + "|" + d.lblTitle->Caption() + "|" + d.lblPageNumber->Caption());
  };
  Printer()->FileName = "/nonexistent-folder/x.pdf";
  try {
    rp.PrintRichEdit(edit, 1);
    ADD_FAILURE() << "an unwritable file printed";
  } catch (const ELinePrinter& e) {
    EXPECT_EQ(e.Message, "Not be able to print to a file.");
  }
  EXPECT_FALSE(Printer()->Printing());
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[1], "Print Progress|ΥΠΟΛΟΓΙΣΜΟΙ|2"_a);
  // No progress dialog is left behind by the failure.
  EXPECT_EQ(rp.ProgressDialog(), nullptr);
  const std::string file = TestOutput("after-failure.pdf");
  Printer()->FileName = cp1253::FromUtf8(file);
  rp.PrintRichEdit(edit, 1);
  EXPECT_TRUE(PdfIsSound(file));
}

// The message that names the file written is not hidden behind the
// progress window that stays on top: that window is gone by then.
TEST_F(RichPrintTest, TheProgressWindowIsGoneWhenTheFileIsNamed) {
  TPrinterProfile p = TestPrinter(600, 0);
  const std::string folder = TestOutput("progress-and-message");
  std::filesystem::create_directories(folder);
  p.OutputFolder = cp1253::FromUtf8(folder);
  UsePrinter(p);
  Printer()->FileName = "";
  Text(80);
  TRichPrinter rp(nullptr);
  rp.ShowProgress = true;
  rp.SetTitle("ΥΠΟΛΟΓΙΣΜΟΙ"_a);
  bool shownWhilePrinting = false;
  rp.OnNewPage = [&](TObject*) { shownWhilePrinting = rp.ProgressDialog() != nullptr; };
  int told = 0;
  printers::OnFileWritten = [&](const TPrintJobRecord& job) {
    ++told;
    EXPECT_EQ(rp.ProgressDialog(), nullptr);
    for (int i = 0; i < Screen->FormCount(); ++i)
      EXPECT_FALSE(Screen->Forms(i)->Visible() && Screen->Forms(i)->FormStyle == fsStayOnTop)
          << cp1253::ToUtf8(Screen->Forms(i)->Caption());
    EXPECT_NE(job.Destination.find("ΥΠΟΛΟΓΙΣΜΟΙ"_a), AnsiString::npos);
  };
  rp.PrintRichEdit(edit, 1);
  printers::OnFileWritten = nullptr;
  EXPECT_TRUE(shownWhilePrinting);
  EXPECT_EQ(told, 1);
}

// The page set-up dialog shows the margins in hundredths of a millimetre
// or thousandths of an inch, stands centred a third down the screen, and
// what it gives back is clamped, taken and saved; Cancel keeps them.
TEST_F(RichPrintTest, PageSetUpInBothUnitsTakesOkAndKeepsCancel) {
  TRichPrinter rp(nullptr);
  rp.SaveMargins = true;
  const auto edit = [](TCustomForm& f, const char* name) -> TEdit& {
    return *dynamic_cast<TEdit*>(f.FindComponent(name));
  };
  backend->ExpectModal("Διαμόρφωση σελίδας"_a, [&](TCustomForm& f) {
    EXPECT_EQ(f.Left(), (backend->ScreenW - f.Width()) / 2);
    EXPECT_EQ(f.Top(), (backend->ScreenH - f.Height()) / 3);
    EXPECT_EQ(edit(f, "MarginLeft").Text(), "25");
    EXPECT_EQ(edit(f, "MarginTop").Text(), "30");
    edit(f, "MarginLeft").SetText("20,5");
    edit(f, "MarginBottom").SetText("1");  // inside the printer's edge
    dynamic_cast<TRadioButton*>(f.FindComponent("Landscape"))->SetChecked(true);
    dynamic_cast<TButton*>(f.FindComponent("OkButton"))->Click();
  });
  rp.PageSetup();
  EXPECT_NEAR(rp.MarginLeft(), 20.5, 1e-9);
  EXPECT_NEAR(rp.MarginBottom(), rp.GutterBottom(), 0.01);
  EXPECT_EQ(rp.Orientation(), poLandscape);
  TRegistryIniFile ini(kRichPrnKey);
  EXPECT_NEAR(ini.ReadFloat("Marges", "MarginLeft", 0), 20.5, 1e-9);
  EXPECT_EQ(ini.ReadInteger("Marges", "CodeDirection", -1), 0);
  // In inches: thousandths; Cancel gives back what was there. (Kept
  // settings would bring their own unit back first.)
  rp.SaveMargins = false;
  rp.SetMeasureUnit(muInches);
  const double top = rp.MarginTop();
  backend->ExpectModal("Διαμόρφωση σελίδας"_a, [&](TCustomForm& f) {
    EXPECT_EQ(edit(f, "MarginTop").Text(), FormatFloat("0.###", Round(top * 1000) / 1000.0L));
    edit(f, "MarginTop").SetText("2");
    f.SetModalResult(mrCancel);
  });
  rp.PageSetup();
  EXPECT_NEAR(rp.MarginTop(), top, 0.0005);
  EXPECT_EQ(backend->PendingAnswers(), 0);
  Printer()->SetOrientation(poPortrait);
}

}  // namespace
