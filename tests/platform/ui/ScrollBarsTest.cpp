#include <gtest/gtest.h>

#include "UiFixture.h"
#include "platform/gfx/CairoCanvas.h"
#include "platform/gfx/FrameControls.h"
#include "platform/gfx/RecordingCanvas.h"
#include "platform/ui/ControlCanvas.h"
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

TEST_F(ScrollBarTest, FlatPropertiesTakeEffectOnlyWhileFlatBarsAreOn) {
  TDemoForm& f = ShowDemo();
  auto* memo = f.Add<TMemo>("Memo", 10, 100, 200, 150);
  memo->SetScrollBars(ssBoth);
  Application->ProcessMessages();
  const HWND wnd = memo->Handle();
  int value = 0;
  // Off: nothing is set or read.
  EXPECT_FALSE(FlatSB_SetScrollProp(wnd, WSB_PROP_CXVSCROLL, 30, TRUE));
  EXPECT_FALSE(FlatSB_GetScrollProp(wnd, WSB_PROP_CXVSCROLL, &value));
  EXPECT_FALSE(InitializeFlatSB(nullptr));

  ASSERT_TRUE(InitializeFlatSB(wnd));
  struct Case {
    UINT index;
    int value;
    bool accepted;
  };
  const Case cases[] = {
      {WSB_PROP_CXVSCROLL, 30, true},
      {WSB_PROP_CYHSCROLL, 10, true},
      {WSB_PROP_VBKGCOLOR, clRed, true},
      {WSB_PROP_HBKGCOLOR, clLime, true},
      {WSB_PROP_VSTYLE, FSB_FLAT_MODE, true},
      {WSB_PROP_HSTYLE, FSB_ENCARTA_MODE, true},
      {WSB_PROP_VSTYLE, 3, false},
      {WSB_PROP_HSTYLE, -1, false},
      {0x1, 5, false},  // a property flat bars here do not have
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.index);
    EXPECT_EQ(FlatSB_SetScrollProp(wnd, c.index, c.value, TRUE) != 0, c.accepted);
    if (!c.accepted) continue;
    ASSERT_TRUE(FlatSB_GetScrollProp(wnd, c.index, &value));
    EXPECT_EQ(value, c.value);
  }
  // The styles refused kept the ones before.
  FlatSB_GetScrollProp(wnd, WSB_PROP_VSTYLE, &value);
  EXPECT_EQ(value, FSB_FLAT_MODE);

  // The flat calls reach the standard bars' numbers.
  SCROLLINFO info;
  info.fMask = SIF_RANGE | SIF_PAGE;
  info.nMin = 0;
  info.nMax = 100;
  info.nPage = 10;
  FlatSB_SetScrollInfo(wnd, SB_VERT, &info, TRUE);
  FlatSB_SetScrollInfo(wnd, SB_HORZ, &info, TRUE);
  FlatSB_ShowScrollBar(wnd, SB_BOTH, TRUE);
  EXPECT_TRUE(FlatSB_GetScrollInfo(wnd, SB_VERT, &info));
  EXPECT_EQ(info.nMax, 100);

  // Off again: the standard bars, and a new start begins from them.
  EXPECT_TRUE(UninitializeFlatSB(wnd));
  EXPECT_FALSE(FlatSB_GetScrollProp(wnd, WSB_PROP_VSTYLE, &value));
  ASSERT_TRUE(InitializeFlatSB(wnd));
  FlatSB_GetScrollProp(wnd, WSB_PROP_CXVSCROLL, &value);
  EXPECT_EQ(value, kScrollBarSize);
  FlatSB_GetScrollProp(wnd, WSB_PROP_VBKGCOLOR, &value);
  EXPECT_EQ(value, static_cast<int>(clScrollBar));
  UninitializeFlatSB(wnd);
}

// A window's bars painted on its pixels, again and again, through a
// window's canvas or onto the image itself, whole or cut by a clip, look
// exactly as the bars drawn in place.
TEST_F(ScrollBarTest, BarsPaintedAgainOnAWindowsPixelsLookAsDrawnInPlace) {
  struct Case {
    const char* what;
    TRect inner;
    int style;  // -1: the standard bars
    TColor track;
    int pos;
    bool enabled;
  };
  const Case cases[] = {
      {"standard", Rect(3, 4, 203, 124), -1, clScrollBar, 0, true},
      {"standard, moved on", Rect(3, 4, 203, 124), -1, clScrollBar, 37, true},
      {"standard, disabled", Rect(3, 4, 203, 124), -1, clScrollBar, 37, false},
      {"standard, short", Rect(0, 0, 40, 30), -1, clScrollBar, 5, true},
      {"flat", Rect(7, 2, 150, 260), FSB_FLAT_MODE, clAqua, 60, true},
      {"encarta", Rect(7, 2, 150, 260), FSB_ENCARTA_MODE, clRed, 90, true},
  };
  TDemoForm& f = ShowDemo();
  auto* owner = f.Add<TButton>("Owner", 10, 10, 50, 50);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TWindowScrollBars bars(owner);
    bars.SetStyle(ssBoth);
    if (c.style >= 0) {
      bars.InitFlat();
      bars.SetFlatProp(WSB_PROP_VSTYLE, c.style, false);
      bars.SetFlatProp(WSB_PROP_HSTYLE, c.style, false);
      bars.SetFlatProp(WSB_PROP_VBKGCOLOR, c.track, false);
      bars.SetFlatProp(WSB_PROP_HBKGCOLOR, c.track, false);
    }
    for (int bar : {SB_HORZ, SB_VERT}) {
      SCROLLINFO info;
      info.fMask = SIF_ALL;
      info.nMin = 0;
      info.nMax = 99;
      info.nPage = bar == SB_VERT ? 10 : 0;
      info.nPos = c.pos;
      bars.SetInfo(bar, info, false);
      bars.Enable(bar, c.enabled);
    }
    const int width = c.inner.Right + 9, height = c.inner.Bottom + 6;
    // In place: each bar drawn where it lies, and the corner.
    // Each on a ground of its own colour: a bar covers every pixel of its
    // rectangle, and no more.
    const auto ground = [](TImageCanvas& image) {
      image.Brush->Color = clFuchsia;
      image.FillRect(Rect(0, 0, image.Width(), image.Height()));
    };
    TImageCanvas expected(width, height);
    ground(expected);
    for (int bar : {SB_HORZ, SB_VERT}) {
      SCROLLINFO info;
      info.fMask = SIF_ALL;
      bars.GetInfo(bar, info);
      TScrollBarGeometry g;
      g.Min = info.nMin;
      g.Max = info.nMax;
      g.Page = static_cast<int>(info.nPage);
      g.Pos = info.nPos;
      g.Horizontal = bar == SB_HORZ;
      PaintFlatScrollBar(expected, bars.BarRect(c.inner, bar), g, c.enabled, TScrollPart::None,
                         TScrollPart::None, c.style < 0 ? FSB_REGULAR_MODE : c.style, c.track);
    }
    expected.Brush->Color = clBtnFace;
    expected.FillRect(Rect(c.inner.Right - bars.Thickness(SB_VERT), c.inner.Bottom - bars.Thickness(SB_HORZ),
                           c.inner.Right, c.inner.Bottom));
    const TPixelBlock want = expected.Snapshot();
    for (int round = 0; round < 2; ++round) {
      SCOPED_TRACE(round);
      TImageCanvas direct(width, height);
      ground(direct);
      bars.Paint(direct, c.inner);
      EXPECT_TRUE(direct.Snapshot().Pixels == want.Pixels);
      // Through a window's canvas set off on the image.
      TImageCanvas window(width + 20, height + 30);
      ground(window);
      {
        TControlCanvas canvas(window, Point(20, 30), Rect(20, 30, width + 20, height + 30),
                              TSize{width, height});
        bars.Paint(canvas, c.inner);
      }
      TPixelBlock shown = window.Snapshot();
      bool same = true;
      for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) same = same && shown.At(x + 20, y + 30) == want.At(x, y);
      EXPECT_TRUE(same);
      // Cut by a clip: the bars' pixels inside it, the ground outside.
      TImageCanvas clipped(width, height);
      ground(clipped);
      const TRect cut = Rect(c.inner.Left + 5, c.inner.Top + 6, c.inner.Right - 4, c.inner.Bottom - 3);
      clipped.SelectClipRect(cut);
      bars.Paint(clipped, c.inner);
      const TPixelBlock part = clipped.Snapshot();
      TImageCanvas bare(width, height);
      ground(bare);
      const TPixelBlock ground0 = bare.Snapshot();
      same = true;
      for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
          same = same && part.At(x, y) == (PtInRect(cut, Point(x, y)) ? want : ground0).At(x, y);
      EXPECT_TRUE(same);
    }
  }
}

TEST(ScrollBarPaint, FlatLooksDrawTheirPartsFlatAndMarkThePartUnderTheMouse) {
  TScrollBarGeometry g;
  g.Min = 0;
  g.Max = 99;
  g.Page = 10;
  g.Pos = 40;
  const TRect bar = Rect(0, 0, 20, 240);
  struct Case {
    const char* what;
    int style;
    TScrollPart hot;
    unsigned upArrowState;  // the LineUp arrow's state beyond its direction
    bool thumbButton;
  };
  const Case cases[] = {
      {"regular", FSB_REGULAR_MODE, TScrollPart::LineUp, 0, true},
      {"flat", FSB_FLAT_MODE, TScrollPart::None, DFCS_FLAT, false},
      {"flat, arrow under the mouse", FSB_FLAT_MODE, TScrollPart::LineUp, DFCS_FLAT | DFCS_HOT, false},
      {"encarta", FSB_ENCARTA_MODE, TScrollPart::None, DFCS_FLAT, false},
      {"encarta, arrow under the mouse", FSB_ENCARTA_MODE, TScrollPart::LineUp, 0, false},
      {"encarta, thumb under the mouse", FSB_ENCARTA_MODE, TScrollPart::Thumb, DFCS_FLAT, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TRecordingCanvas canvas(100, 300);
    PaintFlatScrollBar(canvas, bar, g, true, TScrollPart::None, c.hot, c.style, clAqua);
    const std::vector<TDrawCall> frames = canvas.CallsOf("DrawFrameControl");
    ASSERT_GE(frames.size(), 2u);
    EXPECT_EQ(frames[0].Args[4], static_cast<int>(DFC_SCROLL));
    EXPECT_EQ(static_cast<unsigned>(frames[0].Args[5]) & ~0xFFu, c.upArrowState);
    bool button = false;
    for (const TDrawCall& f : frames) button |= f.Args[4] == static_cast<int>(DFC_BUTTON);
    EXPECT_EQ(button, c.thumbButton);
    bool track = false;
    for (const TDrawCall& f : canvas.CallsOf("FillRect"))
      track |= f.Brush.Color == clAqua && f.Args[1] == 20 && f.Args[3] == 220;
    EXPECT_TRUE(track);
  }
}

}  // namespace
