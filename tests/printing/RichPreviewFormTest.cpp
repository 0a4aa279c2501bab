// The page preview window fed by the rich-text printer: page files that
// other programs read, navigation, keys, zoom, geometry, printing a range
// and what closing leaves behind.
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>

#include "platform/backend/headless/Headless.h"
#include "platform/rtl/FileUtils.h"
#include "platform/rtl/Registry.h"
#include "platform/ui/Application.h"
#include "printing/RichPrint.h"
#include "tests/TestOutput.h"
#include "tests/platform/OtherPrograms.h"
#include "tests/platform/rtl/TempFolder.h"
#include "tests/printing/PrintScene.h"

namespace {

class RichPreviewFormTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetRegistryStoreRoot(cp1253::FromUtf8(store.path()));
    scene.emplace();
    scene->CourierLines(-13);  // 10 points
    backend = &scene->backend;
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
  for (const Screen& s : {Screen{1920, 1080, true}, Screen{800, 1000, false}}) {
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

TEST_F(RichPreviewFormTest, PrintingFromThePreviewPrintsTheChosenPagesEachAsAJob) {
  Lines(290);
  TRichPrinter rp(nullptr);
  TRichPreviewForm* form = Preview(rp);
  ASSERT_NE(form, nullptr);
  printers::ClearJobLog();
  Printer()->FileName = cp1253::FromUtf8(TestOutput("preview-print.pdf"));
  backend->ExpectModal("Εκτύπωση"_a, [&](TCustomForm& f) {
    dynamic_cast<TRadioButton*>(f.FindComponent("PageNums"))->SetChecked(true);
    dynamic_cast<TEdit*>(f.FindComponent("FromPage"))->SetText("2");
    dynamic_cast<TEdit*>(f.FindComponent("ToPage"))->SetText("3");
    f.SetModalResult(mrNone);
    backend->PressKey(VK_RETURN);
  });
  char p = 'p';
  form->FormKeyPress(form, p);
  ASSERT_EQ(printers::JobLog().size(), 2u);
  std::string text;
  ASSERT_TRUE(PdfText(TestOutput("preview-print.pdf"), text));
  EXPECT_NE(text.find("Σελίδα 3"), std::string::npos) << text;
  form->Close();
  Application->ProcessMessages();
}

}  // namespace
