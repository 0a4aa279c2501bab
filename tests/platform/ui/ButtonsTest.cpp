#include <gtest/gtest.h>

#include "ControlsFixture.h"
#include "platform/ui/Buttons.h"
#include "platform/ui/ControlPaint.h"

namespace {

using ButtonsTest = ControlsTest;

TEST_F(ButtonsTest, StockKindsGiveCaptionResultAndDefaultOrCancel) {
  struct Case {
    TBitBtnKind kind;
    const char* caption;
    TModalResult result;
    bool isDefault, isCancel;
  } cases[] = {{bkOK, "OK", mrOk, true, false},
               {bkCancel, "Ακυρο", mrCancel, false, true},
               {bkYes, "&Ναι", mrYes, true, false},
               {bkNo, "&Οχι", mrNo, false, true},
               {bkAbort, "Abort", mrAbort, false, true},
               {bkRetry, "&Retry", mrRetry, false, false},
               {bkIgnore, "&Ignore", mrIgnore, false, false},
               {bkAll, "&All", mrAll, true, false}};
  for (const auto& c : cases) {
    auto* b = Add<TBitBtn>(10, 10, 90, 25);
    b->SetKind(c.kind);
    EXPECT_EQ(b->Caption(), cp1253::FromUtf8(c.caption));
    EXPECT_EQ(b->ModalResult, c.result);
    EXPECT_EQ(b->Default(), c.isDefault) << c.caption;
    EXPECT_EQ(b->Cancel, c.isCancel) << c.caption;
    EXPECT_FALSE(StockGlyph(c.kind).Empty());
    delete b;
  }
  EXPECT_TRUE(StockGlyph(bkCustom).Empty());
}

TEST_F(ButtonsTest, BitBtnDrawsGlyphBesideTheCaptionAsTheLayoutSays) {
  auto* b = Add<TBitBtn>(10, 10, 120, 30);
  b->SetKind(bkYes);
  ShowForm();
  auto where = [&] {
    auto drawn = Record(*Form);
    const auto pixels = drawn->CallsOf("DrawPixels");
    const auto texts = drawn->CallsOf("DrawText");
    EXPECT_EQ(pixels.size(), 1u);
    std::pair<TRect, TRect> out;
    if (!pixels.empty())
      out.first = Rect(pixels[0].Args[0], pixels[0].Args[1], pixels[0].Args[2], pixels[0].Args[3]);
    for (const auto& t : texts)
      if (!(t.Flags & DT_CALCRECT)) out.second = Rect(t.Args[0], t.Args[1], t.Args[2], t.Args[3]);
    return out;
  };
  auto [glyph, text] = where();
  EXPECT_EQ(glyph.Width(), 18);
  EXPECT_LE(glyph.Right + 4, text.Left + 1);
  b->SetLayout(blGlyphRight);
  std::tie(glyph, text) = where();
  EXPECT_GE(glyph.Left, text.Right - 1);
  b->SetLayout(blGlyphTop);
  b->SetHeight(60);
  std::tie(glyph, text) = where();
  EXPECT_LE(glyph.Bottom, text.Top);
  // A glyph of one's own replaces the stock one.
  TBitmap own(10, 8);
  b->SetGlyph(own);
  std::tie(glyph, text) = where();
  EXPECT_EQ(glyph.Width(), 10);
}

TEST_F(ButtonsTest, CloseKindClosesTheForm) {
  auto* b = Add<TBitBtn>(10, 10, 90, 25);
  b->SetKind(bkClose);
  ShowForm();
  backend->Click(*b, 5, 5);
  EXPECT_FALSE(Form->Visible());
}

class SpeedButtonTest : public ControlsTest {
 protected:
  void MakeGroup(bool allowAllUp) {
    for (int i = 0; i < 3; ++i) {
      buttons[i] = Add<TSpeedButton>(10 + 25 * i, 10, 23, 22);
      buttons[i]->SetGroupIndex(1);
      buttons[i]->OnClick = [this, i](TObject*) { clicks.push_back(i); };
    }
    buttons[0]->SetAllowAllUp(allowAllUp);
    ShowForm();
  }
  TSpeedButton* buttons[3] = {};
  std::vector<int> clicks;
};

TEST_F(SpeedButtonTest, OneButtonOfAGroupIsDown) {
  MakeGroup(false);
  backend->Click(*buttons[1], 5, 5);
  EXPECT_TRUE(buttons[1]->Down());
  backend->Click(*buttons[2], 5, 5);
  EXPECT_FALSE(buttons[1]->Down());
  EXPECT_TRUE(buttons[2]->Down());
  // Without AllowAllUp the down button stays down, but still clicks.
  backend->Click(*buttons[2], 5, 5);
  EXPECT_TRUE(buttons[2]->Down());
  EXPECT_EQ(clicks, (std::vector<int>{1, 2, 2}));
  buttons[2]->SetDown(false);
  EXPECT_TRUE(buttons[2]->Down());
  buttons[0]->SetDown(true);
  EXPECT_FALSE(buttons[2]->Down());
}

TEST_F(SpeedButtonTest, AllowAllUpLetsTheDownButtonComeUp) {
  MakeGroup(true);
  EXPECT_TRUE(buttons[2]->AllowAllUp());  // shared by the group
  backend->Click(*buttons[0], 5, 5);
  backend->Click(*buttons[0], 5, 5);
  EXPECT_FALSE(buttons[0]->Down());
}

TEST_F(SpeedButtonTest, ButtonWithoutGroupNeverStaysDown) {
  auto* b = Add<TSpeedButton>(10, 10, 23, 22);
  int clicks = 0;
  b->OnClick = [&](TObject*) { ++clicks; };
  ShowForm();
  b->SetDown(true);
  EXPECT_FALSE(b->Down());
  backend->Click(*b, 5, 5);
  EXPECT_EQ(clicks, 1);
  EXPECT_FALSE(b->Down());
  backend->PressMouse(*b, 5, 5);
  backend->MoveMouse(*b, 50, 5);
  backend->ReleaseMouse(*b, 50, 5);
  EXPECT_EQ(clicks, 1);
}

TEST_F(SpeedButtonTest, FlatButtonShowsItsFrameOnlyUnderTheMouse) {
  auto* b = Add<TSpeedButton>(10, 10, 23, 22);
  b->SetFlat(true);
  ShowForm();
  const TColor face = ColorToRGB(clBtnFace);
  EXPECT_EQ(PixelOf(*b, 0, 0), face);
  backend->MoveMouse(*b, 5, 5);
  EXPECT_EQ(PixelOf(*b, 0, 0), ColorToRGB(clBtnHighlight));
  backend->MoveMouse(*Form, 200, 200);
  EXPECT_EQ(PixelOf(*b, 0, 0), face);
}

TEST_F(SpeedButtonTest, DisabledGlyphIsEmbossedUnlessTheStripHasItsOwn) {
  TBitmap strip(20, 10);
  TCanvas& c = *strip.Canvas();
  ui::paint::Fill(c, Rect(0, 0, 20, 10), clFuchsia);
  ui::paint::Fill(c, Rect(2, 2, 8, 8), clBlack);    // up image
  ui::paint::Fill(c, Rect(12, 2, 18, 8), clGreen);  // disabled image
  auto* b = Add<TSpeedButton>(10, 10, 30, 30);
  b->SetGlyph(strip);
  ShowForm();
  // The strip as one image, centred: its black square lies at 7..13, 12..18.
  EXPECT_EQ(PixelOf(*b, 9, 14), ColorToRGB(clBlack));
  EXPECT_EQ(PixelOf(*b, 4, 14), ColorToRGB(clBtnFace));  // the key colour
  b->SetEnabled(false);
  Application->ProcessMessages();
  EXPECT_EQ(PixelOf(*b, 9, 14), ColorToRGB(clBtnShadow));
  b->SetNumGlyphs(2);  // now two images of 10: the second for disabled
  Application->ProcessMessages();
  EXPECT_EQ(PixelOf(*b, 14, 14), ColorToRGB(clGreen));
}

}  // namespace
