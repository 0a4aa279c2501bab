#include <gtest/gtest.h>

#include "platform/gfx/CairoCanvas.h"
#include "platform/ui/ControlCanvas.h"

namespace {

// Canvases of two controls on one window's pixels, drawing in turn, each
// with mappings it changes between its calls: every call lands where its
// own canvas's mapping of its time puts it.
TEST(ControlCanvas, EachCallLandsWhereItsCanvasMapsItAtTheTime) {
  TImageCanvas window(60, 40);
  TControlCanvas left(window, Point(0, 0), Rect(0, 0, 30, 40), TSize{30, 40});
  TControlCanvas right(window, Point(30, 0), Rect(30, 0, 60, 40), TSize{30, 40});
  struct Step {
    TControlCanvas* canvas;
    int windowOrgX;  // set before the fill; mirrored when negative
    TRect fill;
    TRect expected;  // on the window
  } steps[] = {
      {&left, 0, Rect(1, 1, 3, 3), Rect(1, 1, 3, 3)},
      {&right, 0, Rect(1, 1, 3, 3), Rect(31, 1, 33, 3)},
      {&left, 0, Rect(4, 1, 6, 3), Rect(4, 1, 6, 3)},
      {&left, 2, Rect(4, 5, 6, 7), Rect(2, 5, 4, 7)},
      {&right, 0, Rect(4, 5, 6, 7), Rect(34, 5, 36, 7)},
      {&left, 2, Rect(4, 9, 6, 11), Rect(2, 9, 4, 11)},
      {&left, 0, Rect(4, 13, 6, 15), Rect(4, 13, 6, 15)},
      {&right, -1, Rect(1, 17, 3, 19), Rect(57, 17, 59, 19)},
      {&right, 0, Rect(1, 21, 3, 23), Rect(31, 21, 33, 23)},
  };
  TColor colour = 0x101010;
  for (const Step& s : steps) {
    SCOPED_TRACE(s.expected.Top);
    TControlCanvas& c = *s.canvas;
    if (s.windowOrgX < 0) {
      c.SetMapMode(MM_ANISOTROPIC);
      c.SetWindowOrgEx(30, 0);
      c.SetViewportExtEx(30, 40);
      c.SetWindowExtEx(-30, 40);
    } else {
      c.SetMapMode(MM_TEXT);
      c.SetWindowOrgEx(s.windowOrgX, 0);
    }
    colour += 0x081008;
    c.Brush->Color = colour;
    c.FillRect(s.fill);
    for (int y = 0; y < 40; ++y)
      for (int x = 0; x < 60; ++x)
        if (PtInRect(s.expected, Point(x, y))) {
          EXPECT_EQ(window.Pixel(x, y), colour) << x << ", " << y;
        }
    int painted = 0;
    for (int y = 0; y < 40; ++y)
      for (int x = 0; x < 60; ++x) painted += window.Pixel(x, y) == colour;
    EXPECT_EQ(painted, s.expected.Width() * s.expected.Height());
  }
}

// A canvas kept from paint to paint and set anew for another control draws
// as a new canvas for that control: none of its font, pen, brush,
// alignment, clipping, mapping or saved states carries over.
TEST(ControlCanvas, ACanvasSetAnewDrawsAsANewOne) {
  auto draw = [](TControlCanvas& c) {
    c.SelectClipRect(Rect(2, 2, 40, 30));
    c.Brush->Color = clTeal;
    c.FillRect(Rect(0, 0, 50, 50));
    c.Pen->Color = clRed;
    c.MoveTo(1, 5);
    c.LineTo(45, 5);
    c.Brush->Style = bsClear;
    c.TextOut(3, 8, "Ab 12");
    TRect box = Rect(0, 10, 44, 30);
    c.DrawText("kg", box, DT_SINGLELINE | DT_RIGHT | DT_VCENTER);
  };
  TImageCanvas fresh(80, 60), reused(80, 60);
  TControlCanvas a(fresh, Point(10, 5), Rect(10, 5, 60, 45), TSize{50, 40});
  draw(a);
  TImageCanvas other(80, 60);
  TControlCanvas b(other, Point(0, 0), Rect(0, 0, 80, 60), TSize{80, 60});
  b.Font->Name = "Times New Roman";
  b.Font->SetSize(14);
  b.Font->Style = fsBold;
  b.Font->Color = clBlue;
  b.Pen->Width = 3;
  b.Brush->Color = clYellow;
  b.SetTextAlign(TA_RIGHT | TA_BOTTOM);
  b.SaveDC();
  b.IntersectClipRect(Rect(1, 1, 5, 5));
  b.SaveDC();
  b.SetMapMode(MM_ANISOTROPIC);
  b.SetWindowExtEx(-80, 60);
  b.SetViewportExtEx(80, 60);
  b.FillRect(Rect(0, 0, 3, 3));
  b.Reset(reused, Point(10, 5), Rect(10, 5, 60, 45), TSize{50, 40});
  EXPECT_FALSE(b.HasClip());
  EXPECT_FALSE(b.RestoreDC(-1));
  EXPECT_EQ(b.GetMapMode(), MM_TEXT);
  EXPECT_EQ(&b.Target(), &reused);
  draw(b);
  EXPECT_TRUE(fresh.Snapshot().Pixels == reused.Snapshot().Pixels);
}

}  // namespace

namespace {

// A control's line point to point lands on the window's pixels as the same
// two points drawn as a polyline do, moved to the control's corner and cut
// to its area and clip.
TEST(ControlCanvas, ALineToLandsAsAPolylineOfItsTwoPointsDoes) {
  const std::pair<TPoint, TPoint> lines[] = {{{1, 2}, {25, 2}}, {{25, 4}, {1, 4}},  {{3, 1}, {3, 30}},
                                             {{6, 30}, {6, 0}}, {{2, 3}, {20, 19}}, {{-4, 8}, {40, 8}}};
  const TRegion clip{Rect(2, 0, 12, 40), Rect(14, 10, 28, 20)};
  for (const auto& [from, to] : lines)
    for (const bool clipped : {false, true}) {
      TImageCanvas byLine(60, 40), byPolyline(60, 40);
      TControlCanvas lineCanvas(byLine, Point(20, 5), Rect(20, 5, 50, 35), TSize{30, 30});
      TControlCanvas polylineCanvas(byPolyline, Point(20, 5), Rect(20, 5, 50, 35), TSize{30, 30});
      for (TControlCanvas* c : {&lineCanvas, &polylineCanvas}) {
        c->Pen->Color = clTeal;
        if (clipped) c->SelectClipRgn(&clip);
      }
      lineCanvas.MoveTo(from.X, from.Y);
      lineCanvas.LineTo(to.X, to.Y);
      polylineCanvas.Polyline({from, to});
      ASSERT_EQ(byLine.Snapshot().Pixels, byPolyline.Snapshot().Pixels)
          << from.X << "," << from.Y << " to " << to.X << "," << to.Y << " clipped " << clipped;
    }
}

}  // namespace
