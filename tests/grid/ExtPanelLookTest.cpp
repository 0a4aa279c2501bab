// The panel's look beside its shades: caption bars from a bitmap, the bar's
// colour while collapsed, the body text at the bottom or the middle,
// children hidden or kept while collapsed, a metafile picture named in the
// text, and a background cleared by an empty picture.

#include <gtest/gtest.h>

#include "../platform/gfx/WmfWriter.h"
#include "grid/PictureContainer.h"
#include "platform/gfx/Bitmap.h"
#include "platform/ui/StdCtrls.h"
#include "tests/TestOutput.h"
#include "tests/grid/PanelFixture.h"

namespace {

class PanelLookTest : public ExtPanelTest {
 protected:
  // Pictures drawn in the caption bar (above the body's top at 24), as
  // left, top, right, bottom and the picture's width and height.
  std::vector<std::vector<int>> CaptionPictures() {
    std::vector<std::vector<int>> out;
    for (const auto& call : Record()->CallsOf("DrawPixels"))
      if (call.Args[1] < 24)
        out.push_back({call.Args[0], call.Args[1], call.Args[2], call.Args[3], call.Args[4], call.Args[5]});
    return out;
  }
  // The colour the caption bar (1, 1)-(450, 24) was filled with, clNone
  // when it was not filled whole.
  TColor BarFill() {
    TColor colour = clNone;
    for (const auto& call : Record()->CallsOf("FillRect"))
      if (call.Args == std::vector<int>{1, 1, 450, 24}) colour = call.Brush.Color;
    return colour;
  }
};

TEST_F(PanelLookTest, BitmapCaptionsStretchThePictureOrItsEdgeColumns) {
  // The bar is (1, 1)-(450, 24) inside the raised bevel; the panel is 451 wide.
  panel->Caption().SetBackground(TBitmap(40, 10));
  using Calls = std::vector<std::vector<int>>;
  const struct {
    TShadeType type;
    Calls drawn;
  } cases[] = {
      {stBitmap, {{1, 1, 450, 24, 40, 10}}},
      // Unscaled at the left, its last three columns over the rest.
      {stBitmapRStretch, {{1, 1, 41, 11, 40, 10}, {41, 1, 450, 24, 3, 10}}},
      // Unscaled at the panel's width less its own, its first two columns
      // from the panel's left edge up to it.
      {stBitmapLStretch, {{412, 1, 452, 11, 40, 10}, {0, 1, 412, 24, 2, 10}}},
  };
  ShowForm();
  for (const auto& c : cases) {
    panel->Caption().SetShadeType(c.type);
    EXPECT_EQ(CaptionPictures(), c.drawn) << c.type;
  }
  // Without a picture the bar is the plain caption colour.
  panel->Caption().SetBackground(TBitmap());
  EXPECT_TRUE(CaptionPictures().empty());
  EXPECT_EQ(BarFill(), static_cast<TColor>(0xFF8000));
}

TEST_F(PanelLookTest, ACollapsedBarTakesTheCloseColour) {
  panel->Caption().SetCloseColor(clMaroon);
  ShowForm();
  for (TShadeType type : {stNormal, stBitmap}) {
    panel->Caption().SetShadeType(type);
    panel->SetCollaps(false);
    EXPECT_EQ(BarFill(), static_cast<TColor>(0xFF8000)) << type;
    panel->SetCollaps(true);
    EXPECT_EQ(BarFill(), clMaroon) << type;
  }
}

TEST_F(PanelLookTest, TheBodyTextSitsAtTheTopMiddleOrBottom) {
  FakeAnchors renderer;  // measures every text as 120 x 30
  SetPanelTextRenderer(&renderer);
  panel->SetText("body");
  ShowForm();
  // The body runs from 24 to 149.
  const struct {
    TTextVAlignment align;
    int top;
  } cases[] = {{tvaTop, 24}, {tvaCenter, 24 + (125 - 30) / 2}, {tvaBottom, 149 - 30}};
  for (const auto& c : cases) {
    panel->SetTextVAlign(c.align);
    int top = -1;
    for (const auto& call : Record()->CallsOf("DrawText"))
      if (call.Text == "body") top = call.Args[1];
    EXPECT_EQ(top, c.top) << c.align;
  }
  SetPanelTextRenderer(nullptr);
}

TEST_F(PanelLookTest, ChildrenHideWhileCollapsedUnlessKept) {
  auto* label = new TLabel(form.get());
  label->SetParent(panel);
  label->SetBounds(10, 40, 80, 16);
  ShowForm();
  panel->SetCollaps(true);
  EXPECT_FALSE(label->Visible());
  panel->SetCollaps(false);
  EXPECT_TRUE(label->Visible());
  panel->AutoHideChildren = false;
  panel->SetCollaps(true);
  EXPECT_TRUE(label->Visible());
  EXPECT_EQ(panel->Height(), 25);
  panel->SetCollaps(false);
  EXPECT_EQ(panel->Height(), 150);
}

TEST_F(PanelLookTest, AMetafileNamedInTheTextComesFromThePictureContainer) {
  // A red rectangle filling a box of one inch by half an inch: 96 x 48.
  wmftest::WmfWriter w;
  w.Record(0x02FC, {0, 0x00FF, 0, 0}).Record(0x012D, {0}).Record(0x041B, {720, 1440, 0, 0});
  TPictureContainer container(form.get());
  TPictureItem* item = container.Items().Add();
  item->Name = "Plan";
  TStringStream wmf{w.Build(1)};
  item->Picture()->LoadFromStream(wmf);
  ASSERT_EQ(item->Picture()->Width(), 96);
  ASSERT_EQ(item->Picture()->Height(), 48);
  panel->SetPictureContainer(&container);
  panel->SetText(R"(<IMG SRC="plan">)");
  ShowForm();
  const auto rectangles = Record()->CallsOf("Rectangle");
  ASSERT_FALSE(rectangles.empty());
  EXPECT_EQ(rectangles.back().Brush.Color, clRed);
  // At the body's top left (1, 24), the picture's own size.
  EXPECT_EQ(rectangles.back().Args, (std::vector<int>{1, 24, 97, 72}));
  // And on the screen: red inside the picture, the panel's face beside it.
  backend->SaveWindowPng(*form, TestOutput("panel_metafile_in_text.png"));
  const TImageCanvas* image = backend->Render(*form);
  const auto pixel = [&](int x, int y) {
    const TPoint at = form->ScreenToClient(panel->ClientToScreen(Point(x, y)));
    return image->Pixel(at.X, at.Y);
  };
  EXPECT_EQ(pixel(50, 48), RGB(255, 0, 0));
  EXPECT_EQ(pixel(150, 48), ColorToRGB(clBtnFace));
  panel->SetPictureContainer(nullptr);
}

TEST_F(PanelLookTest, AnEmptyPictureClearsTheBackground) {
  TExtImage picture;
  TStringStream bmp{TBitmap(40, 20).SaveToBytes()};
  picture.LoadFromStream(bmp);
  panel->SetBackground(picture);
  ShowForm();
  ASSERT_FALSE(panel->Background().Empty());
  const TExtImage none;
  EXPECT_NO_THROW(panel->SetBackground(none));
  EXPECT_TRUE(panel->Background().Empty());
  EXPECT_TRUE(panel->Background().Data().empty());
  for (const auto& call : Record()->CallsOf("DrawPixels")) EXPECT_LT(call.Args[1], 24);
}

}  // namespace
