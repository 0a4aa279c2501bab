// The panel's body: its background picture in each placement, its mini-HTML
// text with real anchors, and the image sources it forgets when they go.

#include <gtest/gtest.h>

#include "../platform/gfx/WmfWriter.h"
#include "grid/PictureContainer.h"
#include "platform/gfx/Bitmap.h"
#include "platform/ui/ImgList.h"
#include "tests/grid/PanelFixture.h"

namespace {

class PanelBodyTest : public ExtPanelTest {
 protected:
  // Where pictures were drawn in the body (below the caption's shade), as
  // left, top, right, bottom.
  std::vector<std::vector<int>> Pictures() {
    std::vector<std::vector<int>> out;
    for (const auto& call : Record()->CallsOf("DrawPixels"))
      if (call.Args[1] >= 24) out.push_back({call.Args[0], call.Args[1], call.Args[2], call.Args[3]});
    return out;
  }
};

TEST_F(PanelBodyTest, TheBackgroundTakesItsPlaceInTheBody) {
  TExtImage picture;
  TStringStream bmp{TBitmap(40, 20).SaveToBytes()};
  picture.LoadFromStream(bmp);
  panel->SetBackground(picture);
  ShowForm();
  // The body inside the raised bevel of 1 and below the caption: (1, 24)
  // to (450, 149) of a 451 x 150 panel.
  using Rects = std::vector<std::vector<int>>;
  const struct {
    TBackGroundPosition position;
    Rects drawn;
  } cases[] = {
      {bpTopLeft, {{1, 24, 41, 44}}},      {bpTopRight, {{410, 24, 450, 44}}},
      {bpBottomLeft, {{1, 129, 41, 149}}}, {bpBottomRight, {{410, 129, 450, 149}}},
      {bpStretched, {{1, 24, 450, 149}}},  {bpCenter, {{205, 64, 245, 84}}},
  };
  for (const auto& c : cases) {
    panel->SetBackgroundPosition(c.position);
    EXPECT_EQ(Pictures(), c.drawn) << c.position;
  }
  panel->SetBackgroundPosition(bpTiled);
  const Rects tiles = Pictures();
  ASSERT_EQ(tiles.size(), 7u * 12u);  // rows from 24 while below 150, columns from 1 while left of 451
  EXPECT_EQ(tiles.front(), (std::vector<int>{1, 24, 41, 44}));
  EXPECT_EQ(tiles.back(), (std::vector<int>{441, 144, 481, 164}));
  // Emptied, it draws nothing and the panel repaints.
  Application->ProcessMessages();
  panel->Background().Assign(nullptr);
  EXPECT_TRUE(PanelAreaDirty());
  EXPECT_TRUE(Pictures().empty());
}

TEST_F(PanelBodyTest, AWindowsMetafileBackgroundIsDrawn) {
  // A red rectangle filling a box of one inch by half an inch.
  wmftest::WmfWriter w;
  w.Record(0x02FC, {0, 0x00FF, 0, 0}).Record(0x012D, {0}).Record(0x041B, {720, 1440, 0, 0});
  TExtImage picture;
  TStringStream wmf{w.Build(1)};
  picture.LoadFromStream(wmf);
  ASSERT_EQ(picture.Width(), 96);
  panel->SetBackground(picture);
  panel->SetBackgroundPosition(bpTopLeft);
  ShowForm();
  const auto rectangles = Record()->CallsOf("Rectangle");
  ASSERT_FALSE(rectangles.empty());
  const TDrawCall& drawn = rectangles.back();
  EXPECT_EQ(drawn.Brush.Color, clRed);
  EXPECT_EQ(drawn.Args, (std::vector<int>{1, 24, 97, 72}));
}

TEST_F(PanelBodyTest, TheBodyIsMiniHtmlWithLiveAnchors) {
  std::vector<AnsiString> clicks;
  panel->OnAnchorClick = [&](TObject*, const AnsiString& a) { clicks.push_back(a); };
  panel->SetHover(true);
  panel->SetText(R"(<B>Εγγύηση</B> <A HREF="details">λεπτομέρειες</A>)"_a);
  ShowForm();
  auto record = Record();
  const TDrawCall* bold = nullptr;
  const TDrawCall* anchor = nullptr;
  for (const auto& call : record->Calls) {
    if (call.Op != "DrawText" || (call.Flags & DT_CALCRECT)) continue;
    if (call.Text == "Εγγύηση"_a) bold = &call;
    if (call.Text == "λεπτομέρειες"_a) anchor = &call;
  }
  ASSERT_NE(bold, nullptr);
  ASSERT_NE(anchor, nullptr);
  EXPECT_EQ(bold->Font.Style, fsBold);
  EXPECT_EQ(anchor->Font.Style, 0u);  // hover: underlined only under the mouse
  const int x = anchor->Args[0] + 5, y = anchor->Args[1] + 5;
  const TPanelTextHit hit = panel->AnchorAt(x, y);
  EXPECT_EQ(hit.Anchor, "details");
  EXPECT_EQ(hit.Index, 0);
  backend->MoveMouse(*panel, x, y);
  EXPECT_EQ(panel->Cursor(), crHandPoint);
  bool underlined = false;
  for (const auto& call : Record()->CallsOf("DrawText"))
    if (call.Text == "λεπτομέρειες"_a && (call.Font.Style & fsUnderline)) underlined = true;
  EXPECT_TRUE(underlined);
  backend->Click(*panel, x, y);
  EXPECT_EQ(clicks, std::vector<AnsiString>{"details"});
}

TEST_F(PanelBodyTest, ImageSourcesAreForgottenWhenFreed) {
  auto* images = new TImageList(form.get());
  auto* container = new TPictureContainer(form.get());
  panel->SetImages(images);
  panel->SetPictureContainer(container);
  EXPECT_EQ(panel->Images(), images);
  delete images;
  delete container;
  EXPECT_EQ(panel->Images(), nullptr);
  EXPECT_EQ(panel->PictureContainer(), nullptr);
  panel->SetText(R"(<IMG SRC="IDX:0"><IMG SRC="X">)");
  ShowForm();
  EXPECT_TRUE(Pictures().empty());
}

}  // namespace
