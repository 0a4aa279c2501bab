#include <gtest/gtest.h>

#include <memory>

#include "platform/backend/headless/Headless.h"
#include "platform/gfx/CairoCanvas.h"
#include "platform/gfx/RecordingCanvas.h"
#include "platform/rtl/FileUtils.h"
#include "platform/ui/Application.h"
#include "printing/Prevunt.h"

namespace {

class PrevuntTest : public ::testing::Test {
 protected:
  void SetUp() override {
    backend = &InstallHeadlessBackend();
    Application->Title = "Δημοπρασία"_a;
    owner.reset(NewForm<TForm>(nullptr));
    report = new TRichEdit(owner.get());
    report->SetParent(owner.get());
    report->Hide();
    report->SetWordWrap(false);
    TFont font;
    font.Name = "Courier New";
    font.SetHeight(-11);
    report->SetFont(font);
    report->Lines().Add("ΠΙΝΑΚΑΣ ΜΕΙΟΔΟΣΙΑΣ"_a);
    report->Lines().Add("");
    report->Lines().Add("  1  ΑΛΦΑ Α.Τ.Ε.              12,345"_a);
  }
  void TearDown() override {
    for (const auto& text : backend->UnexpectedDialogs) ADD_FAILURE() << cp1253::ToUtf8(text);
    owner.reset();
  }
  Tprevform* Create() { return NewForm<Tprevform>(owner.get(), *report, credit); }
  static std::vector<AnsiString> LinesOf(const TStrings& strings) {
    std::vector<AnsiString> lines;
    for (int i = 0; i < strings.Count(); ++i) lines.push_back(strings[i]);
    return lines;
  }
  std::vector<AnsiString> Expected() const {
    auto lines = LinesOf(report->Lines());
    lines.push_back("");
    lines.push_back(credit);
    return lines;
  }
  THeadlessBackend* backend = nullptr;
  std::unique_ptr<TForm> owner;
  TRichEdit* report = nullptr;
  const AnsiString credit = "Πρόγραμμα δημοπρασιών - τηλ. 210 0000000"_a;
};

TEST_F(PrevuntTest, CreationCopiesTheReportItsFontAndAddsTheClosingLine) {
  Tprevform* preview = Create();
  EXPECT_EQ(preview->Owner(), owner.get());
  EXPECT_EQ(LinesOf(preview->Prevmemo->Lines()), Expected());
  EXPECT_EQ(preview->Prevmemo->Font(), report->Font());
  EXPECT_FALSE(preview->Prevmemo->Modified);
  // Named in the program's folder, the user's.
  EXPECT_EQ(ExtractFileName(preview->FileName), "Προεπισκόπηση υπολογισμών"_a);
  EXPECT_EQ(ExtractFilePath(preview->FileName), GetProgramFolder());
  EXPECT_EQ(preview->Caption(), "Προεπισκόπηση υπολογισμών - Δημοπρασία"_a);
  EXPECT_FALSE(preview->Visible());
}

TEST_F(PrevuntTest, TheEditorFillsTheWindowWithBothBarsAndNoWrap) {
  Tprevform* preview = Create();
  TRichEdit* memo = preview->Prevmemo;
  EXPECT_EQ(memo->Parent(), preview);
  EXPECT_EQ(memo->Align(), alClient);
  EXPECT_EQ(memo->ScrollBars(), ssBoth);
  EXPECT_FALSE(memo->WordWrap());
  EXPECT_FALSE(memo->HideSelection);
  preview->Show();
  Application->ProcessMessages();
  // Between the tool bars and ruler above and the status bar below.
  EXPECT_EQ(memo->Left(), 0);
  EXPECT_EQ(memo->Width(), preview->ClientWidth());
  EXPECT_EQ(memo->Top(), preview->Ruler->Top() + preview->Ruler->Height());
  EXPECT_EQ(memo->Top() + memo->Height(), preview->StatusBar->Top());
}

TEST_F(PrevuntTest, AnEmptyReportGivesOnlyTheClosingLine) {
  TRichEdit empty(nullptr);
  Tprevform* preview = NewForm<Tprevform>(owner.get(), empty, credit);
  EXPECT_EQ(LinesOf(preview->Prevmemo->Lines()), (std::vector<AnsiString>{"", credit}));
  preview->CopyReport(*report);
  preview->CopyReport(empty);
  EXPECT_EQ(LinesOf(preview->Prevmemo->Lines()), (std::vector<AnsiString>{"", credit}));
}

TEST_F(PrevuntTest, EachRefreshReplacesTheTextAndAddsTheClosingLineOnce) {
  Tprevform* preview = Create();
  preview->Prevmemo->Lines().Add("ο χρήστης έγραψε"_a);
  report->Lines().Clear();
  report->Lines().Add("ΝΕΟΣ ΠΙΝΑΚΑΣ"_a);
  TFont bigger = report->Font();
  bigger.SetHeight(-15);
  report->SetFont(bigger);
  for (int round = 0; round < 3; ++round) {
    preview->CopyReport(*report);
    EXPECT_EQ(LinesOf(preview->Prevmemo->Lines()), Expected()) << round;
  }
  EXPECT_EQ(preview->Prevmemo->Font().Height(), -15);
  EXPECT_EQ(report->Lines().Count(), 1);  // the source is left as it was
}

TEST_F(PrevuntTest, TheShownEditorDrawsTheReportInTheReportsFont) {
  Tprevform* preview = Create();
  preview->Show();
  Application->ProcessMessages();
  TRecordingCanvas canvas(preview->Width(), preview->Height());
  preview->Prevmemo->PaintTo(canvas, 0, 0);
  std::vector<AnsiString> drawn;
  for (const auto& call : canvas.CallsOf("ExtTextOut")) {
    if (call.Text.empty()) continue;
    drawn.push_back(call.Text);
    EXPECT_EQ(call.Font.Name, "Courier New");
  }
  EXPECT_EQ(drawn, (std::vector<AnsiString>{"ΠΙΝΑΚΑΣ ΜΕΙΟΔΟΣΙΑΣ"_a, "  1  ΑΛΦΑ Α.Τ.Ε.              12,345"_a,
                                            credit}));
}

TEST_F(PrevuntTest, ClosingHidesTheWindowAndKeepsItsText) {
  Tprevform* preview = Create();
  preview->Show();
  Application->ProcessMessages();
  preview->Close();
  Application->ProcessMessages();
  EXPECT_FALSE(preview->Visible());
  ASSERT_EQ(owner->ComponentCount(), 2);  // the report control and the preview
  EXPECT_EQ(LinesOf(preview->Prevmemo->Lines()), Expected());
  preview->Show();
  EXPECT_TRUE(preview->Visible());
}

TEST_F(PrevuntTest, ALongReportIsCopiedWhole) {
  report->Lines().BeginUpdate();
  report->Lines().Clear();
  for (int i = 1; i <= 1200; ++i) report->Lines().Add(Format("%4d %s", {i, AnsiString(80, '-')}));
  report->Lines().EndUpdate();
  Tprevform* preview = Create();
  preview->CopyReport(*report);
  ASSERT_EQ(preview->Prevmemo->Lines().Count(), 1202);
  EXPECT_EQ(preview->Prevmemo->Lines()[1199], report->Lines()[1199]);
  EXPECT_EQ(preview->Prevmemo->Lines()[1201], credit);
}

// The calculator of the window drops a keypad of 30 × 30 flat aqua keys on
// white.
TEST_F(PrevuntTest, TheCalculatorsKeypadHasLargeFlatAquaKeysOnWhite) {
  Tprevform* preview = Create();
  preview->Show();
  preview->Panel1->SetVisible(true);
  preview->MoneyEdit1->SetFocus();
  backend->PressKey(VK_F4);
  TTabForm* keypad = preview->MoneyEdit1->Keypad();
  ASSERT_NE(keypad, nullptr);
  ASSERT_TRUE(keypad->Visible());
  const TCalcKeypadLayout& layout = keypad->Layout();
  EXPECT_EQ(layout.Width, 32 * 5 + 4);
  EXPECT_EQ(layout.Height, 32 * 4 + 4);
  TImageCanvas picture(keypad->Width(), keypad->Height());
  keypad->PaintTo(picture, 0, 0);
  for (const TCalcKeySpec& key : layout.Keys) {
    SCOPED_TRACE(key.Tag);
    EXPECT_EQ(key.Bounds.Width(), 30);
    EXPECT_EQ(key.Bounds.Height(), 30);
    // Flat: the key's colour runs to its edge, with no raised border.
    EXPECT_EQ(picture.Pixel(key.Bounds.Left + 1, key.Bounds.Top + 1), clAqua);
    EXPECT_EQ(picture.Pixel(key.Bounds.Right - 2, key.Bounds.Bottom - 2), clAqua);
  }
  EXPECT_EQ(picture.Pixel(keypad->Width() - 2, 1), clWhite);  // beside the + key: no key there
  backend->PressKey(VK_ESCAPE);
  preview->Close();
}

}  // namespace
