#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "UiFixture.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/StdCtrls.h"
#include "platform/ui/StdEdits.h"

namespace {

class FontDialogTest : public UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    dialog.Font.Name = "Times New Roman";
    dialog.Font.SetSize(12);
    dialog.Font.Style = fsBold;
    dialog.Font.Color = clBlack;
  }
  void Line(TCustomForm& f, const char* list, const AnsiString& text) {
    auto& box = Found<TListBox>(f, list);
    const int i = box.Items()->IndexOf(text);
    ASSERT_GE(i, 0) << list;
    const TRect r = box.ItemRect(i);
    backend->Click(box, r.Left + 2, r.Top + 2);
  }
  void Field(TCustomForm& f, const char* edit, const AnsiString& text) {
    auto& e = Found<TEdit>(f, edit);
    e.SetFocus();
    e.SelectAll();
    backend->Type(text);
  }
  TFontDialog dialog{nullptr};
};

TEST_F(FontDialogTest, StartsFromTheFontAndGivesItBackUnchanged) {
  backend->ExpectModal("Γραμματοσειρά"_a, [&](TCustomForm& f) {
    EXPECT_EQ(Found<TEdit>(f, "FaceEdit").Text(), "Times New Roman");
    EXPECT_EQ(Found<TEdit>(f, "StyleEdit").Text(), "Έντονα"_a);
    EXPECT_EQ(Found<TEdit>(f, "SizeEdit").Text(), "12");
    EXPECT_EQ(Found<TComboBox>(f, "ColorList").ItemIndex(), 0);
    if (const char* out = std::getenv("DIM_DIALOG_PNG"))
      backend->SaveWindowPng(f, std::string(out) + "/font.png");
    backend->PressKey(VK_RETURN);
  });
  ASSERT_TRUE(dialog.Execute());
  EXPECT_EQ(dialog.Font.Name, "Times New Roman");
  EXPECT_EQ(dialog.Font.Size(), 12);
  EXPECT_EQ(dialog.Font.Style, fsBold);
}

TEST_F(FontDialogTest, ChoicesMakeTheNewFont) {
  backend->ExpectModal("", [&](TCustomForm& f) {
    Line(f, "FaceList", "Courier New");
    EXPECT_EQ(Found<TEdit>(f, "FaceEdit").Text(), "Courier New");
    Line(f, "StyleList", "Πλάγια"_a);
    Line(f, "SizeList", "14");
    backend->Click(Found<TCheckBox>(f, "Underline"), 3, 3);
    auto& colors = Found<TComboBox>(f, "ColorList");
    colors.SetFocus();
    for (int i = 0; i < 9; ++i) backend->PressKey(VK_DOWN);  // to "Κόκκινο"
    backend->Click(Found<TButton>(f, "OkButton"), 3, 3);
  });
  ASSERT_TRUE(dialog.Execute());
  EXPECT_EQ(dialog.Font.Name, "Courier New");
  EXPECT_EQ(dialog.Font.Size(), 14);
  EXPECT_EQ(dialog.Font.Style, fsItalic | fsUnderline);
  EXPECT_EQ(dialog.Font.Color, clRed);
}

TEST_F(FontDialogTest, TypingAPrefixFindsTheFaceButOnlyAWholeNameIsTaken) {
  backend->ExpectModal("", [&](TCustomForm& f) {
    Field(f, "FaceEdit", "cour");
    EXPECT_EQ(Found<TListBox>(f, "FaceList").Items()->Strings(Found<TListBox>(f, "FaceList").ItemIndex()),
              "Courier New");
    backend->PressKey(VK_RETURN);
    EXPECT_EQ(f.ModalResult(), mrNone);
    Field(f, "FaceEdit", "Courier New");
    Field(f, "SizeEdit", "abc");
    backend->PressKey(VK_RETURN);
    EXPECT_EQ(f.ModalResult(), mrNone);
    Field(f, "SizeEdit", "30");
    backend->PressKey(VK_RETURN);
  });
  backend->ExpectMessageBox("Δεν υπάρχει γραμματοσειρά"_a, IDOK);
  backend->ExpectMessageBox("από 1 έως 1638"_a, IDOK);
  ASSERT_TRUE(dialog.Execute());
  EXPECT_EQ(dialog.Font.Name, "Courier New");
  EXPECT_EQ(dialog.Font.Size(), 30);
}

TEST_F(FontDialogTest, LimitedSizesAndNoEffects) {
  dialog.Options = {fdLimitSize};
  dialog.MinFontSize = 8;
  dialog.MaxFontSize = 12;
  dialog.Font.Style = fsBold | fsUnderline;
  backend->ExpectModal("", [&](TCustomForm& f) {
    EXPECT_EQ(f.FindComponent("Underline"), nullptr);
    EXPECT_EQ(Found<TListBox>(f, "SizeList").Items()->Count(), 5);  // 8, 9, 10, 11, 12
    Field(f, "SizeEdit", "14");
    backend->PressKey(VK_RETURN);
    Field(f, "SizeEdit", "9");
    backend->PressKey(VK_RETURN);
  });
  backend->ExpectMessageBox("από 8 έως 12"_a, IDOK);
  ASSERT_TRUE(dialog.Execute());
  EXPECT_EQ(dialog.Font.Size(), 9);
  EXPECT_EQ(dialog.Font.Style, fsBold | fsUnderline);  // effects kept as they were
}

TEST_F(FontDialogTest, AFaceTheProgramUsesIsOfferedAndCancelChangesNothing) {
  dialog.Font.Name = "Courier New Greek";
  backend->ExpectModal("", [&](TCustomForm& f) {
    EXPECT_GE(Found<TListBox>(f, "FaceList").Items()->IndexOf("Courier New Greek"), 0);
    Line(f, "SizeList", "20");
    backend->PressKey(VK_ESCAPE);
  });
  EXPECT_FALSE(dialog.Execute());
  EXPECT_EQ(dialog.Font.Size(), 12);
  backend->ExpectModal("", [&](TCustomForm&) { backend->PressKey(VK_RETURN); });
  EXPECT_TRUE(dialog.Execute());
  EXPECT_EQ(dialog.Font.Name, "Courier New Greek");
}

}  // namespace
