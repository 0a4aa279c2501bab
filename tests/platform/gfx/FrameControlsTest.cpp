// The classic edges: which colour lands on which side, and what the frame
// controls draw for their states.

#include <gtest/gtest.h>

#include "platform/gfx/CairoCanvas.h"
#include "platform/gfx/FrameControls.h"
#include "platform/gfx/RecordingCanvas.h"

namespace {

TEST(DrawEdge, RingsAndColoursPerEdgeKind) {
  struct Case {
    unsigned edge;
    TColor outerTopLeft, outerBottomRight, innerTopLeft, innerBottomRight;
  } cases[] = {
      {EDGE_RAISED, cl3DLight, cl3DDkShadow, clBtnHighlight, clBtnShadow},
      {EDGE_SUNKEN, clBtnShadow, clBtnHighlight, cl3DDkShadow, cl3DLight},
      {EDGE_ETCHED, clBtnShadow, clBtnHighlight, clBtnHighlight, clBtnShadow},
      {EDGE_BUMP, cl3DLight, cl3DDkShadow, cl3DDkShadow, cl3DLight},
  };
  for (const Case& c : cases) {
    TImageCanvas canvas(20, 20);
    canvas.Brush->Color = clRed;
    TRect r = Rect(2, 2, 12, 12);
    DrawEdge(canvas, r, c.edge, BF_RECT | BF_ADJUST);
    SCOPED_TRACE(c.edge);
    EXPECT_EQ(canvas.Pixel(2, 5), ColorToRGB(c.outerTopLeft));
    EXPECT_EQ(canvas.Pixel(5, 2), ColorToRGB(c.outerTopLeft));
    EXPECT_EQ(canvas.Pixel(11, 5), ColorToRGB(c.outerBottomRight));
    EXPECT_EQ(canvas.Pixel(5, 11), ColorToRGB(c.outerBottomRight));
    EXPECT_EQ(canvas.Pixel(11, 2), ColorToRGB(c.outerBottomRight));  // far corners go to the dark side
    EXPECT_EQ(canvas.Pixel(3, 5), ColorToRGB(c.innerTopLeft));
    EXPECT_EQ(canvas.Pixel(10, 5), ColorToRGB(c.innerBottomRight));
    EXPECT_EQ(canvas.Pixel(5, 5), clWhite);  // no BF_MIDDLE
    EXPECT_EQ(r, Rect(4, 4, 10, 10));
    EXPECT_EQ(canvas.Brush->Color, clRed);
  }
}

TEST(DrawEdge, SidesMiddleAndFlat) {
  TImageCanvas canvas(20, 20);
  TRect r = Rect(0, 0, 10, 10);
  DrawEdge(canvas, r, BDR_RAISEDINNER, BF_LEFT | BF_MIDDLE);
  EXPECT_EQ(canvas.Pixel(0, 4), ColorToRGB(clBtnHighlight));
  EXPECT_EQ(canvas.Pixel(4, 0), ColorToRGB(clBtnFace));  // top not drawn: middle reaches it
  EXPECT_EQ(canvas.Pixel(9, 9), ColorToRGB(clBtnFace));
  EXPECT_EQ(r, Rect(0, 0, 10, 10));  // no BF_ADJUST
  TRect flat = Rect(10, 10, 20, 20);
  DrawEdge(canvas, flat, EDGE_SUNKEN, BF_RECT | BF_FLAT);
  EXPECT_EQ(canvas.Pixel(10, 15), ColorToRGB(clBtnShadow));
  EXPECT_EQ(canvas.Pixel(19, 15), ColorToRGB(clBtnShadow));
  EXPECT_EQ(canvas.Pixel(11, 15), ColorToRGB(clBtnFace));
}

int CountColour(const TImageCanvas& canvas, TColor color) {
  int n = 0;
  for (int y = 0; y < canvas.Height(); ++y)
    for (int x = 0; x < canvas.Width(); ++x) n += canvas.Pixel(x, y) == ColorToRGB(color);
  return n;
}

TEST(DrawFrameControl, CheckBoxStates) {
  struct Case {
    unsigned state;
    bool tick;
    TColor face;
  } cases[] = {
      {DFCS_BUTTONCHECK, false, clWindow},
      {DFCS_BUTTONCHECK | DFCS_CHECKED, true, clWindow},
      {DFCS_BUTTONCHECK | DFCS_CHECKED | DFCS_INACTIVE, true, clBtnFace},
      {DFCS_BUTTONCHECK | DFCS_CHECKED | DFCS_FLAT, true, clWindow},
  };
  for (const Case& c : cases) {
    TImageCanvas canvas(13, 13);
    canvas.Brush->Color = clRed;
    canvas.FillRect(Rect(0, 0, 13, 13));
    TRect r = Rect(0, 0, 13, 13);
    DrawFrameControl(canvas, r, DFC_BUTTON, c.state);
    SCOPED_TRACE(c.state);
    EXPECT_EQ(CountColour(canvas, clRed), 0);
    TColor ink = (c.state & DFCS_INACTIVE) ? clGrayText : clWindowText;
    if (c.state & DFCS_FLAT) {
      EXPECT_EQ(canvas.Pixel(0, 6), ColorToRGB(clBtnShadow));
      EXPECT_EQ(canvas.Pixel(12, 6), ColorToRGB(clBtnShadow));
    } else {
      EXPECT_EQ(canvas.Pixel(0, 6), ColorToRGB(clBtnShadow));
      EXPECT_EQ(canvas.Pixel(12, 6), ColorToRGB(clBtnHighlight));
      EXPECT_EQ(canvas.Pixel(1, 6), ColorToRGB(cl3DDkShadow));
    }
    EXPECT_EQ(canvas.Pixel(3, 3) == ColorToRGB(c.face) || canvas.Pixel(3, 3) == ColorToRGB(ink), true);
    int inked = 0;
    for (int y = 2; y < 11; ++y)
      for (int x = 2; x < 11; ++x) inked += canvas.Pixel(x, y) == ColorToRGB(ink);
    if (c.tick)
      EXPECT_GT(inked, 10);
    else
      EXPECT_EQ(inked, 0);
  }
}

TEST(DrawFrameControl, RadioAndPushButtons) {
  TImageCanvas canvas(40, 20);
  TRect radio = Rect(0, 0, 13, 13);
  DrawFrameControl(canvas, radio, DFC_BUTTON, DFCS_BUTTONRADIO | DFCS_CHECKED);
  EXPECT_EQ(canvas.Pixel(6, 6), ColorToRGB(clWindowText));
  EXPECT_EQ(canvas.Pixel(0, 0), clWhite);  // round: the corner stays
  TRect push = Rect(15, 0, 40, 20);
  DrawFrameControl(canvas, push, DFC_BUTTON, DFCS_BUTTONPUSH | DFCS_ADJUSTRECT);
  EXPECT_EQ(canvas.Pixel(27, 10), ColorToRGB(clBtnFace));
  EXPECT_EQ(canvas.Pixel(39, 10), ColorToRGB(cl3DDkShadow));
  EXPECT_EQ(push, Rect(17, 2, 38, 18));
  TRect pushed = Rect(15, 0, 40, 20);
  DrawFrameControl(canvas, pushed, DFC_BUTTON, DFCS_BUTTONPUSH | DFCS_PUSHED);
  EXPECT_EQ(canvas.Pixel(15, 10), ColorToRGB(clWindowFrame));
  EXPECT_EQ(canvas.Pixel(16, 10), ColorToRGB(clBtnShadow));
}

TEST(DrawFrameControl, ScrollArrowsPointTheirWay) {
  // The arrow's widest row is at its base: up arrows widen downwards.
  auto rowWidths = [](unsigned direction) {
    TImageCanvas canvas(16, 16);
    TRect r = Rect(0, 0, 16, 16);
    DrawFrameControl(canvas, r, DFC_SCROLL, direction);
    std::vector<int> widths;
    for (int y = 2; y < 14; ++y) {
      int n = 0;
      for (int x = 2; x < 14; ++x) n += canvas.Pixel(x, y) == ColorToRGB(clBtnText);
      if (n) widths.push_back(n);
    }
    return widths;
  };
  std::vector<int> up = rowWidths(DFCS_SCROLLUP), down = rowWidths(DFCS_SCROLLDOWN);
  ASSERT_GE(up.size(), 2u);
  EXPECT_LT(up.front(), up.back());
  EXPECT_GT(down.front(), down.back());
  EXPECT_EQ(rowWidths(DFCS_SCROLLCOMBOBOX), down);
  TImageCanvas canvas(16, 16);
  TRect r = Rect(0, 0, 16, 16);
  DrawFrameControl(canvas, r, DFC_SCROLL, DFCS_SCROLLUP | DFCS_INACTIVE);
  EXPECT_EQ(CountColour(canvas, clBtnText), 0);
  EXPECT_GT(CountColour(canvas, clBtnShadow), 0);
}

TEST(DrawFrameControl, TheRecorderNotesTheCallsThemselves) {
  TRecordingCanvas canvas;
  TRect r = Rect(1, 2, 14, 15);
  DrawFrameControl(canvas, r, DFC_BUTTON, DFCS_BUTTONCHECK | DFCS_CHECKED | DFCS_FLAT);
  TRect e = Rect(0, 0, 20, 10);
  DrawEdge(canvas, e, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
  std::vector<TDrawCall> controls = canvas.CallsOf("DrawFrameControl");
  ASSERT_EQ(controls.size(), 1u);
  EXPECT_EQ(controls[0].Args,
            (std::vector<int>{1, 2, 14, 15, DFC_BUTTON, DFCS_BUTTONCHECK | DFCS_CHECKED | DFCS_FLAT}));
  std::vector<TDrawCall> edges = canvas.CallsOf("DrawEdge");
  ASSERT_EQ(edges.size(), 1u);
  EXPECT_EQ(edges[0].Args, (std::vector<int>{0, 0, 20, 10, EDGE_SUNKEN, BF_RECT | BF_ADJUST}));
  EXPECT_FALSE(canvas.CallsOf("FillRect").empty());
}

}  // namespace
