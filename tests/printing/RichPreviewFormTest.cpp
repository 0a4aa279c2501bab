// The page preview window fed by the rich-text printer: page files that
// other programs read, navigation, keys, zoom, geometry, printing a range
// and what closing leaves behind.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <optional>

#include "platform/backend/headless/Headless.h"
#include "platform/backend/screen/Screen.h"
#include "platform/rtl/FileUtils.h"
#include "platform/rtl/Registry.h"
#include "platform/ui/Application.h"
#include "printing/RichPrint.h"
#include "tests/TestOutput.h"
#include "tests/platform/OtherPrograms.h"
#include "tests/platform/backend/XvfbDisplay.h"
#include "tests/platform/rtl/TempFolder.h"
#include "tests/printing/PrintScene.h"

namespace {

class RichPreviewFormTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetRegistryStoreRoot(cp1253::FromUtf8(store.path()));
    scene.emplace();
    scene->CourierLines(-13);  // 10 points
    backend = scene->backend;
    owner = scene->owner.get();
    edit = scene->edit;
  }
  void TearDown() override {
    scene.reset();
    SetRegistryStoreRoot("");
  }
  // About 58 lines a page with the printer's defaults.
  void Lines(int n) {
    AnsiString text;
    for (int i = 1; i <= n; ++i) text += Format("Γραμμή %4d\r\n"_a, {i});
    edit->SetText(text);
  }
  // The pixels of the preview's image that are not white.
  static int Ink(TImage& image) {
    int ink = 0;
    for (const std::uint32_t p : image.Picture().Bitmap()->Pixels().Pixels) ink += (p & 0xFFFFFF) != 0xFFFFFF;
    return ink;
  }
  TRichPreviewForm* Preview(TRichPrinter& rp) {
    rp.ShowProgress = false;
    rp.Preview(edit);
    return rp.PreviewForm();
  }
  TempFolder store;
  std::optional<PrintScene> scene;
  THeadlessBackend* backend = nullptr;
  TForm* owner = nullptr;
  TRichEdit* edit = nullptr;
};

TEST_F(RichPreviewFormTest, PagesAreCompressedMetafilesThatAnotherProgramReadsAndCloseLeavesNone) {
  Lines(150);
  TRichPrinter rp(nullptr);
  rp.SetTitle("ΠΡΟΕΠΙΣΚΟΠΗΣΗ"_a);
  TRichPreviewForm* form = Preview(rp);
  ASSERT_NE(form, nullptr);
  EXPECT_TRUE(PreviewActive);
  EXPECT_FALSE(rp.Previewing());
  ASSERT_EQ(form->PageCount(), 3);
  EXPECT_EQ(form->Navigation().LastPage, 2);
  const AnsiString folder = form->Pages().Folder();
  for (int n = 0; n < 3; ++n) {
    const std::string packed = ReadWholeFile(form->Pages().PageName(n));
    ASSERT_GE(packed.size(), 2u);
    EXPECT_EQ(static_cast<unsigned char>(packed[0]), 0x78);
    EXPECT_EQ(static_cast<unsigned char>(packed[1]), 0x01);
  }
  // The second page inflated and read by emf2svg.
  TMetafile page;
  ASSERT_TRUE(form->Pages().LoadPage(1, page));
  EXPECT_NEAR(page.MMWidth(), 21000, 5);  // the whole sheet
  const std::string emf = TestOutput("page2.emf"), svg = TestOutput("page2.svg");
  {
    TFileStream out(cp1253::FromUtf8(emf), fmCreate);
    page.SaveToStream(out);
  }
  ASSERT_TRUE(Installed("emf2svg-conv", "emf2svg"));
  int status = -1;
  RunCommand("emf2svg-conv -i '" + emf + "' -o '" + svg + "' 2>&1", &status);
  EXPECT_EQ(status, 0);
  const std::string drawn = ReadWholeFile(cp1253::FromUtf8(svg));
  EXPECT_NE(drawn.find("ΠΡΟΕΠΙΣΚΟΠΗΣΗ"), std::string::npos);
  EXPECT_NE(drawn.find("Σελίδα 2"), std::string::npos);
  // Closing deletes every page file and the folder.
  form->Close();
  Application->ProcessMessages();
  EXPECT_FALSE(PreviewActive);
  EXPECT_EQ(rp.PreviewForm(), nullptr);
  EXPECT_FALSE(std::filesystem::exists(cp1253::ToUtf8(folder)));
}

TEST_F(RichPreviewFormTest, NavigationKeysAndZoom) {
  Lines(290);  // five pages
  TRichPrinter rp(nullptr);
  backend->ScreenW = 1000;  // no room for the facing window
  TRichPreviewForm* form = Preview(rp);
  ASSERT_NE(form, nullptr);
  ASSERT_EQ(form->PageCount(), 5);
  EXPECT_EQ(form->FacingWindow(), nullptr);
  EXPECT_FALSE(form->ArrowButton1->Enabled());
  EXPECT_TRUE(form->ArrowButton2->Enabled());
  EXPECT_EQ(form->Label10->Caption(), "(5)");
  struct Step {
    Word key;
    int current;
    const char* label;
  };
  for (const Step& s : {Step{VK_NEXT, 1, "2"}, Step{VK_END, 4, "5"}, Step{VK_NEXT, 4, "5"},
                        Step{VK_PRIOR, 3, "4"}, Step{VK_HOME, 0, "1"}}) {
    Word key = s.key;
    form->FormKeyDown(form, key, {});
    EXPECT_EQ(form->Navigation().Current, s.current) << s.key;
    EXPECT_EQ(form->Edit1->Text(), s.label);
  }
  // Four to a view: five pages are two views.
  form->CheckBox1->SetChecked(true);
  form->CheckBox1Click(form);
  EXPECT_EQ(form->Edit1->Text(), "1-4");
  form->ArrowButton2Click(form);
  EXPECT_EQ(form->Edit1->Text(), "5");
  EXPECT_FALSE(form->ArrowButton2->Enabled());
  // A typed page.
  form->CheckBox1->SetChecked(false);
  form->CheckBox1Click(form);
  form->Edit1->SetText("3");
  Word enter = VK_RETURN;
  form->Edit1KeyUp(form, enter, {});
  EXPECT_EQ(form->Navigation().Current, 2);
  // Zoom by key, never below 1.
  char k = 'm';
  form->FormKeyPress(form, k);
  EXPECT_EQ(form->Label7->Caption(), "1.250");
  EXPECT_TRUE(form->SpeedButton3->Enabled());
  EXPECT_GT(form->Image1->Width(), form->ScrollBox1->ClientWidth());
  EXPECT_TRUE(form->ScrollBox1->HorzScrollBar().IsScrollBarVisible());
  EXPECT_TRUE(form->ScrollBox1->VertScrollBar().IsScrollBarVisible());
  // The page has the keys: the arrows scroll it by the bar's increment.
  EXPECT_EQ(form->ActiveControl(), form->ScrollBox1);
  backend->PressKey(VK_RIGHT);
  backend->PressKey(VK_DOWN);
  EXPECT_EQ(form->ScrollBox1->HorzScrollBar().Position(), form->ScrollBox1->HorzScrollBar().Increment);
  EXPECT_EQ(form->ScrollBox1->VertScrollBar().Position(), form->ScrollBox1->VertScrollBar().Increment);
  k = "σ"_a[0];
  form->FormKeyPress(form, k);
  form->FormKeyPress(form, k);
  EXPECT_EQ(form->Label7->Caption(), "1.000");
  EXPECT_FALSE(form->SpeedButton3->Enabled());
  form->MaskEdit1->SetText("x.___");
  form->SpeedButton2Click(form);
  EXPECT_EQ(form->Label7->Caption(), "1.100");
  form->Label7DblClick(form);
  EXPECT_EQ(form->Label7->Caption(), "1.000");
  form->Close();
  Application->ProcessMessages();
}

TEST_F(RichPreviewFormTest, GeometryFollowsTheScreenAndAFacingWindowOpensWhenThereIsRoom) {
  struct Screen {
    int w, h;
    bool facing;
  };
  for (const Screen& s : {Screen{1920, 1080, true}, Screen{1024, 768, true}, Screen{800, 1000, false},
                          Screen{640, 480, true}}) {
    SCOPED_TRACE(s.w);
    backend->ScreenW = s.w;
    backend->ScreenH = s.h;
    Lines(150);
    TRichPrinter rp(nullptr);
    TRichPreviewForm* form = Preview(rp);
    ASSERT_NE(form, nullptr);
    // The client area is the window's 0.95 of the screen less its caption.
    EXPECT_EQ(form->ClientHeight(), static_cast<int>(Round(0.95L * s.h)) - 27);
    EXPECT_LE(form->Width(), s.w);
    const int ch = form->ClientHeight();
    EXPECT_EQ(form->ScrollBox1->Height(), static_cast<int>(Round(ch * 0.98L - 87)));
    EXPECT_EQ(form->FacingWindow() != nullptr, s.facing);
    // Every control of the panel that shows lies inside the window.
    for (int i = 0; i < form->Panel1->ControlCount(); ++i) {
      const TControl& c = *form->Panel1->Controls(i);
      if (!c.Visible()) continue;
      EXPECT_LE(form->Panel1->Left() + c.Left() + c.Width(), form->ClientWidth()) << c.Name();
      EXPECT_LE(form->Panel1->Top() + c.Top() + c.Height(), form->ClientHeight()) << c.Name();
    }
    if (form->FacingWindow()) {
      EXPECT_EQ(form->FacingWindow()->Left(), form->Left() + form->Width());
      EXPECT_EQ(form->Left(), (s.w - 2 * form->Width()) / 2);
      // Next moves by two pages with the facing window.
      form->ArrowButton2Click(form);
      EXPECT_EQ(form->Navigation().Current, 2);
    }
    form->Close();
    Application->ProcessMessages();
  }
}

// The PDF printer takes the chosen pages as one document: one file that
// holds them all, and one message naming it.
TEST_F(RichPreviewFormTest, PrintingFromThePreviewPrintsTheChosenPagesIntoOneFile) {
  Lines(290);
  TRichPrinter rp(nullptr);
  TRichPreviewForm* form = Preview(rp);
  ASSERT_NE(form, nullptr);
  printers::ClearJobLog();
  Printer()->FileName = cp1253::FromUtf8(TestOutput("preview-print.pdf"));
  scene->ExpectPrintedPages(2, 3);
  char p = 'p';
  form->FormKeyPress(form, p);
  ASSERT_EQ(printers::JobLog().size(), 1u);
  EXPECT_EQ(printers::JobLog()[0].Pages, 2);
  std::string text;
  ASSERT_TRUE(PdfText(TestOutput("preview-print.pdf"), text));
  EXPECT_NE(text.find("Σελίδα 2"), std::string::npos) << text;
  EXPECT_NE(text.find("Σελίδα 3"), std::string::npos) << text;
  EXPECT_EQ(text.find("Σελίδα 4"), std::string::npos) << text;
  // A file the printer names itself is told of once.
  TPrinterProfile pdf = printers::PdfPrinterProfile();
  pdf.OutputFolder = cp1253::FromUtf8(TestOutput("preview-named"));
  std::filesystem::create_directories(TestOutput("preview-named"));
  printers::UseProfiles({pdf}, 0);
  Printer()->Refresh();
  Printer()->SetPrinterIndex(0);
  Printer()->FileName = "";
  int told = 0;
  printers::OnFileWritten = [&](const TPrintJobRecord&) { ++told; };
  scene->ExpectPrintedPages(1, 3);
  p = 'p';
  form->FormKeyPress(form, p);
  printers::OnFileWritten = nullptr;
  EXPECT_EQ(backend->PendingAnswers(), 0);
  for (const auto& m : backend->UnexpectedDialogs) ADD_FAILURE() << cp1253::ToUtf8(m);
  EXPECT_EQ(told, 1);
  EXPECT_EQ(printers::JobLog().back().Pages, 3);
  form->Close();
  Application->ProcessMessages();
}

// A page file damaged on disk draws a blank page and prints an empty one;
// the pages around it still show.
TEST_F(RichPreviewFormTest, ADamagedPageFileDrawsAndPrintsNothing) {
  Lines(150);
  backend->ScreenW = 1000;  // one window
  TRichPrinter rp(nullptr);
  TRichPreviewForm* form = Preview(rp);
  ASSERT_NE(form, nullptr);
  ASSERT_EQ(form->PageCount(), 3);
  EXPECT_GT(Ink(*form->Image1), 0);
  static const char kDamaged[] = "\x78\x01 not a metafile at all";
  SafeWriteFile(form->Pages().PageName(1), std::string(kDamaged, sizeof kDamaged - 1));
  for (const bool blank : {true, false}) {
    Word next = VK_NEXT;
    form->FormKeyDown(form, next, {});
    EXPECT_EQ(Ink(*form->Image1) == 0, blank) << form->Navigation().Current;
  }
  printers::ClearJobLog();
  const std::string file = TestOutput("damaged-page.pdf");
  Printer()->FileName = cp1253::FromUtf8(file);
  scene->ExpectPrintedPages(2, 2);
  form->SpeedButton1Click(form);
  ASSERT_EQ(printers::JobLog().size(), 1u);
  std::string text;
  ASSERT_TRUE(PdfText(file, text));
  EXPECT_EQ(text.find("Γραμμή"), std::string::npos) << text;
  form->Close();
  Application->ProcessMessages();
}

// A page file that cannot be made is reported once and the other pages
// still come.
TEST_F(RichPreviewFormTest, APageThatCannotBeSavedIsReportedAndTheRestFollow) {
  Lines(150);
  backend->ScreenW = 1000;
  TRichPrinter rp(nullptr);
  rp.ShowProgress = false;
  std::string blocker;
  int pages = 0;
  rp.OnNewPage = [&](TObject*) {
    // While the second page is drawn, its plain file's name is taken.
    if (++pages == 2 && rp.PreviewForm()) {
      blocker = cp1253::ToUtf8(rp.PreviewForm()->Pages().Folder()) + "PreviewMetafile1";
      std::filesystem::create_directory(blocker);
    }
  };
  backend->ExpectMessageBox("Can not save the page information (MetaFiles)", IDOK);
  rp.Preview(edit);
  TRichPreviewForm* form = rp.PreviewForm();
  ASSERT_NE(form, nullptr);
  EXPECT_EQ(backend->PendingAnswers(), 0);
  EXPECT_EQ(form->PageCount(), 3);
  TMetafile page;
  EXPECT_FALSE(form->Pages().LoadPage(1, page));
  EXPECT_TRUE(form->Pages().LoadPage(2, page));
  std::filesystem::remove(blocker);
  form->Close();
  Application->ProcessMessages();
}

// Four pages to a sheet: the print dialog offers ceil(pages / 4) sheets
// and printing all of them is one document of that many sheets.
TEST_F(RichPreviewFormTest, FourUpPrintingOffersASheetForEveryFourPages) {
  const struct { int lines, pages, sheets; } cases[] = {{20, 1, 1}, {200, 4, 1}, {260, 5, 2}, {440, 8, 2}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.pages);
    Lines(c.lines);
    TRichPrinter rp(nullptr);
    TRichPreviewForm* form = Preview(rp);
    ASSERT_NE(form, nullptr);
    ASSERT_EQ(form->PageCount(), c.pages);
    form->CheckBox1->SetChecked(true);
    form->CheckBox1Click(form);
    printers::ClearJobLog();
    Printer()->FileName = cp1253::FromUtf8(TestOutput("four-up.pdf"));
    int offered = 0;
    backend->ExpectModal("Εκτύπωση"_a, [&](TCustomForm&) {
      offered = form->PrintDialog1->MaxPage;
      backend->PressKey(VK_RETURN);
    });
    form->SpeedButton1Click(form);
    EXPECT_EQ(offered, c.sheets);
    ASSERT_EQ(printers::JobLog().size(), 1u);
    EXPECT_EQ(printers::JobLog()[0].Pages, c.sheets);
    form->Close();
    Application->ProcessMessages();
  }
}

// The preview as it shows on a real screen, for the review: the page and
// the facing page beside it.
TEST(RichPreviewScreen, ThePreviewOnAVirtualDisplay) {
  ASSERT_TRUE(XvfbDisplay::Installed()) << "Xvfb is missing: install the Debian package xvfb";
  TempFolder store;
  SetRegistryStoreRoot(cp1253::FromUtf8(store.path()));
  std::unique_ptr<XvfbDisplay> display = XvfbDisplay::OpenScreenBackend();
  auto* screen = HasBackend() ? dynamic_cast<TScreenBackend*>(&Backend()) : nullptr;
  if (screen) {
    PrintScene scene(nullptr);
    scene.CourierLines(-13);
    AnsiString text;
    for (int i = 1; i <= 150; ++i) text += Format("Γραμμή %4d του υπολογισμού\r\n"_a, {i});
    scene.edit->SetText(text);
    TRichPrinter rp(nullptr);
    rp.ShowProgress = false;
    rp.SetTitle("ΥΠΟΛΟΓΙΣΜΟΙ"_a);
    rp.Preview(scene.edit);
    TRichPreviewForm* form = rp.PreviewForm();
    ASSERT_NE(form, nullptr);
    Application->ProcessMessages();
    const std::string path = TestOutput("rich-preview-screen.png");
    screen->SaveScreenshot(*form, path);
    std::printf("picture for review: %s\n", path.c_str());
    EXPECT_GT(std::filesystem::file_size(path), 1000u);
    EXPECT_NE(form->FacingWindow(), nullptr);  // 1024 pixels hold two pages
    EXPECT_GT(form->Image1->Picture().Bitmap()->Width(), 0);
    form->Close();
    Application->ProcessMessages();
  }
  unsetenv("DIM_BACKEND");
  unsetenv("DISPLAY");
  InstallHeadlessBackend();
  SetRegistryStoreRoot("");
  ASSERT_NE(screen, nullptr) << "no virtual display could be opened";
}

}  // namespace
