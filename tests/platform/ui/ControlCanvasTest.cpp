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
        if (PtInRect(s.expected, Point(x, y))) EXPECT_EQ(window.Pixel(x, y), colour) << x << ", " << y;
    int painted = 0;
    for (int y = 0; y < 40; ++y)
      for (int x = 0; x < 60; ++x) painted += window.Pixel(x, y) == colour;
    EXPECT_EQ(painted, s.expected.Width() * s.expected.Height());
  }
}

}  // namespace
