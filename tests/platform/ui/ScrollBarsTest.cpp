#include <gtest/gtest.h>

#include "UiFixture.h"
#include "platform/ui/ScrollBars.h"

namespace {

TEST(ScrollBarGeometry, ThumbFollowsPositionAndMapsBack) {
  TScrollBarGeometry g;
  g.Min = 0;
  g.Max = 99;
  g.Page = 10;
  g.Horizontal = false;
  const TRect bar = Rect(0, 0, 16, 232);  // 200 pixels of track
  EXPECT_EQ(g.MaxPos(), 90);
  EXPECT_EQ(g.ThumbRect(bar), Rect(0, 16, 16, 36));
  g.Pos = 90;
  EXPECT_EQ(g.ThumbRect(bar).Bottom, 216);
  EXPECT_EQ(g.PosFromThumbOffset(bar, 180), 90);
  EXPECT_EQ(g.PosFromThumbOffset(bar, 90), 45);
  EXPECT_EQ(g.PosFromThumbOffset(bar, -5), 0);
  EXPECT_EQ(g.HitTest(bar, Point(5, 5)), TScrollPart::LineUp);
  EXPECT_EQ(g.HitTest(bar, Point(5, 100)), TScrollPart::PageUp);
  EXPECT_EQ(g.HitTest(bar, Point(5, 226)), TScrollPart::LineDown);
  g.Page = 200;  // everything visible: no thumb
  EXPECT_TRUE(g.ThumbRect(bar).IsEmpty());
  EXPECT_EQ(g.Clamp(50), 0);
}

class ScrollBarTest : public UiTest {};

TEST_F(ScrollBarTest, ArrowsPagesAndThumbSendTheirCodes) {
  TDemoForm& f = ShowDemo();
  auto* bar = f.Add<TScrollBar>("Bar", 10, 100, 216, 17);
  bar->SetParams(0, 0, 100);
  bar->LargeChange = 10;
  std::vector<TScrollCode> codes;
  bar->OnScroll = [&](TObject*, TScrollCode code, int&) { codes.push_back(code); };
  int changes = 0;
  bar->OnChange = [&](TObject*) { ++changes; };
  Application->ProcessMessages();

  backend->Click(*bar, 205, 8);  // right arrow
  EXPECT_EQ(bar->Position(), 1);
  backend->Advance(1000);
  backend->Click(*bar, 150, 8);  // track right of the thumb
  EXPECT_EQ(bar->Position(), 11);
  EXPECT_EQ(changes, 2);
  ASSERT_GE(codes.size(), 2u);
  EXPECT_EQ(codes[0], scLineDown);
  EXPECT_EQ(codes.back(), scEndScroll);

  // Drag the thumb to the far end: tracking steps, then the final position.
  codes.clear();
  backend->Advance(1000);
  const int thumbX = 16 + 11 * (184 - 8) / 100 + 2;
  backend->PressMouse(*bar, thumbX, 8);
  backend->MoveMouse(*bar, 214, 8);
  EXPECT_EQ(bar->Position(), 100);
  backend->ReleaseMouse(*bar, 214, 8);
  ASSERT_GE(codes.size(), 3u);
  EXPECT_EQ(codes[0], scTrack);
  EXPECT_EQ(codes[codes.size() - 2], scPosition);

  // Holding an arrow repeats.
  backend->Advance(1000);
  backend->PressMouse(*bar, 5, 8);
  backend->Advance(1000);
  backend->ReleaseMouse(*bar, 5, 8);
  EXPECT_LT(bar->Position(), 95);
}

TEST_F(ScrollBarTest, KeysAndRangeChecks) {
  TDemoForm& f = ShowDemo();
  auto* bar = f.Add<TScrollBar>("Bar", 10, 100, 17, 200);
  bar->SetKind(sbVertical);
  bar->SetParams(5, 0, 20);
  bar->SetFocus();
  backend->PressKey(VK_DOWN);
  EXPECT_EQ(bar->Position(), 6);
  backend->PressKey(VK_END);
  EXPECT_EQ(bar->Position(), 20);
  EXPECT_THROW(bar->SetParams(0, 10, 5), EInvalidOperation);
  bar->SetPosition(500);
  EXPECT_EQ(bar->Position(), 20);
}

}  // namespace
