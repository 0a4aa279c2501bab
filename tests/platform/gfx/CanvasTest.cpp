// The image canvas keeps the device conventions the drawing code relies on:
// which pixels a fill, a frame or a line covers, clipping, text cells.

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <vector>

#include "platform/gfx/CairoCanvas.h"
#include "platform/gfx/TextEngine.h"
#include "platform/rtl/SysUtils.h"

namespace {

class ImageCanvasTest : public ::testing::Test {
 protected:
  TImageCanvas canvas{40, 30};
  // Pixels of Color inside R, and outside it.
  int CountIn(const TRect& r, TColor color) {
    int n = 0;
    for (int y = r.Top; y < r.Bottom; ++y)
      for (int x = r.Left; x < r.Right; ++x) n += canvas.Pixel(x, y) == color;
    return n;
  }
  int CountAll(TColor color) { return CountIn({0, 0, canvas.Width(), canvas.Height()}, color); }
};

TEST(Colors, SystemColoursComeFromTheClassicPalette) {
  struct Case {
    TColor color, rgb;
  } cases[] = {{clBtnFace, 0xC8D0D4},    {clHighlight, 0x6A240A}, {clHighlightText, 0xFFFFFF},
               {clInfoBk, 0xE1FFFF},     {clWindow, 0xFFFFFF},    {clWindowText, 0x000000},
               {clGrayText, 0x808080},   {clBtnShadow, 0x808080}, {clBtnHighlight, 0xFFFFFF},
               {cl3DDkShadow, 0x404040}, {clRed, 0x0000FF},       {clBlue, 0xFF0000},
               {RGB(1, 2, 3), 0x030201}};
  for (const Case& c : cases) EXPECT_EQ(ColorToRGB(c.color), c.rgb) << std::hex << c.color;
}

TEST_F(ImageCanvasTest, FillRectLeavesRightAndBottomOut) {
  canvas.Brush->Color = clRed;
  canvas.FillRect(Rect(2, 3, 6, 8));
  EXPECT_EQ(CountAll(clRed), 4 * 5);
  EXPECT_EQ(canvas.Pixel(5, 7), clRed);
  EXPECT_EQ(canvas.Pixel(6, 7), clWhite);
  EXPECT_EQ(canvas.Pixel(5, 8), clWhite);
}

TEST_F(ImageCanvasTest, RectangleFramesInsideWithThePenAndFillsWithTheBrush) {
  canvas.Pen->Color = clBlack;
  canvas.Brush->Color = clRed;
  canvas.Rectangle(2, 2, 8, 7);
  EXPECT_EQ(canvas.Pixel(2, 2), clBlack);
  EXPECT_EQ(canvas.Pixel(7, 6), clBlack);
  EXPECT_EQ(canvas.Pixel(8, 6), clWhite);
  EXPECT_EQ(canvas.Pixel(7, 7), clWhite);
  EXPECT_EQ(CountIn(Rect(3, 3, 7, 6), clRed), 4 * 3);
  EXPECT_EQ(CountAll(clBlack), 2 * 6 + 2 * 3);
}

TEST_F(ImageCanvasTest, RectangleWithoutPenFillsOneUnitLess) {
  canvas.Pen->Style = psClear;
  canvas.Brush->Color = clBlue;
  canvas.Rectangle(0, 0, 5, 5);
  EXPECT_EQ(CountAll(clBlue), 16);
}

TEST_F(ImageCanvasTest, LinesLeaveTheirEndPointOut) {
  canvas.MoveTo(1, 1);
  canvas.LineTo(6, 1);
  EXPECT_EQ(CountIn(Rect(0, 0, 40, 2), clBlack), 5);
  EXPECT_EQ(canvas.Pixel(6, 1), clWhite);
  EXPECT_EQ(canvas.PenPos, Point(6, 1));
  canvas.LineTo(6, 10);
  EXPECT_EQ(canvas.Pixel(6, 1), clBlack);
  EXPECT_EQ(canvas.Pixel(6, 9), clBlack);
  EXPECT_EQ(canvas.Pixel(6, 10), clWhite);
}

TEST_F(ImageCanvasTest, AxisLinesCoverFromTheirFirstPointToBeforeTheirLastInEveryDirection) {
  struct Case {
    TPoint from, to;
    TRect covered;
  } cases[] = {{{3, 4}, {9, 4}, Rect(3, 4, 9, 5)},
               {{9, 4}, {3, 4}, Rect(4, 4, 10, 5)},
               {{5, 2}, {5, 8}, Rect(5, 2, 6, 8)},
               {{5, 8}, {5, 2}, Rect(5, 3, 6, 9)},
               {{-5, 20}, {100, 20}, Rect(0, 20, 40, 21)}};
  for (const Case& c : cases) {
    for (const bool clipped : {false, true}) {
      TImageCanvas image(40, 30);
      const TRect clip = Rect(0, 0, 6, 30);
      if (clipped) image.SelectClipRect(clip);
      image.Pen->Color = clRed;
      image.MoveTo(c.from.X, c.from.Y);
      image.LineTo(c.to.X, c.to.Y);
      const TRect expected = clipped ? IntersectRect(c.covered, clip) : c.covered;
      int red = 0, inside = 0;
      for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x)
          if (image.Pixel(x, y) == clRed) {
            ++red;
            inside += PtInRect(expected, Point(x, y));
          }
      EXPECT_EQ(red, expected.Width() * expected.Height())
          << c.from.X << "," << c.from.Y << " clipped " << clipped;
      EXPECT_EQ(inside, red);
    }
  }
  // A styled pen still draws its dots, and a point line draws nothing.
  canvas.Pen->Style = psDot;
  canvas.MoveTo(0, 3);
  canvas.LineTo(30, 3);
  EXPECT_GT(CountAll(clBlack), 5);
  EXPECT_LT(CountAll(clBlack), 25);
  canvas.Pen->Style = psSolid;
  canvas.MoveTo(10, 10);
  canvas.LineTo(10, 10);
  EXPECT_EQ(canvas.Pixel(10, 10), clWhite);
}

TEST_F(ImageCanvasTest, XorPenDrawnTwiceLeavesNoTrace) {
  canvas.Brush->Color = clYellow;
  canvas.FillRect(Rect(0, 0, 20, 20));
  canvas.Pen->Mode = pmXor;
  canvas.Pen->Color = clWhite;
  canvas.MoveTo(0, 5);
  canvas.LineTo(20, 5);
  EXPECT_EQ(canvas.Pixel(3, 5), clBlue);  // yellow xor white
  canvas.MoveTo(0, 5);
  canvas.LineTo(20, 5);
  EXPECT_EQ(CountIn(Rect(0, 0, 20, 20), clYellow), 400);
}

TEST_F(ImageCanvasTest, FocusRectangleIsDottedAndUndoesItself) {
  canvas.DrawFocusRect(Rect(2, 2, 12, 10));
  int black = CountAll(clBlack);
  EXPECT_GT(black, 10);
  EXPECT_LT(black, 2 * 10 + 2 * 8);
  canvas.DrawFocusRect(Rect(2, 2, 12, 10));
  EXPECT_EQ(CountAll(clBlack), 0);
}

// The frame inverts the pixels of its edges where x + y is even, inside the
// box of the clipping and the surface: checked pixel by pixel against
// frames of every shape, at odd and even corners, cut by clips and edges.
TEST_F(ImageCanvasTest, FocusRectangleInvertsEveryOtherEdgePixelInsideTheClipBox) {
  const TRect frames[] = {Rect(2, 2, 12, 10), Rect(3, 1, 4, 9),    Rect(1, 4, 9, 5),   Rect(5, 5, 6, 6),
                          Rect(3, 3, 9, 5),   Rect(4, 3, 5, 11),   Rect(-3, -2, 7, 6), Rect(33, 25, 45, 37),
                          Rect(7, 8, 30, 27), Rect(-5, 12, 50, 13)};
  const std::vector<TRegion> clips = {{}, {Rect(5, 4, 20, 9)}, {Rect(0, 0, 6, 6), Rect(20, 20, 25, 26)}};
  for (const TRect& frame : frames)
    for (size_t c = 0; c < clips.size(); ++c) {
      canvas.SelectClipRgn(nullptr);
      for (int y = 0; y < canvas.Height(); ++y)
        for (int x = 0; x < canvas.Width(); ++x) canvas.SetPixel(x, y, RGB(x * 6, y * 8, (x + y) * 3));
      if (!clips[c].empty()) canvas.SelectClipRgn(&clips[c]);
      canvas.DrawFocusRect(frame);
      const TRect box = IntersectRect(clips[c].empty() ? Rect(0, 0, 40, 30) : RegionBox(clips[c]),
                                      Rect(0, 0, canvas.Width(), canvas.Height()));
      for (int y = 0; y < canvas.Height(); ++y)
        for (int x = 0; x < canvas.Width(); ++x) {
          const bool edge = PtInRect(frame, {x, y}) && (x == frame.Left || x == frame.Right - 1 ||
                                                        y == frame.Top || y == frame.Bottom - 1);
          const bool inverted = edge && PtInRect(box, {x, y}) && (x + y) % 2 == 0;
          const TColor plain = RGB(x * 6, y * 8, (x + y) * 3);
          ASSERT_EQ(canvas.Pixel(x, y), inverted ? (plain ^ 0xFFFFFF) : plain)
              << x << "," << y << " frame " << frame.Left << "," << frame.Top << " clip " << c;
        }
    }
}

// A line drawn point to point shows what the same two points drawn as a
// polyline show, whatever the pen, the mapping and the clipping: along an
// axis it takes a shorter way to the pixels.
TEST(CanvasLines, ALineToShowsWhatAPolylineOfItsTwoPointsShows) {
  struct Pen {
    int width;
    TPenStyle style;
    TPenMode mode;
  } pens[] = {{1, psSolid, pmCopy}, {0, psSolid, pmCopy}, {2, psSolid, pmCopy},
              {1, psDot, pmCopy},   {1, psSolid, pmXor},  {1, psClear, pmCopy}};
  const std::pair<TPoint, TPoint> lines[] = {{{3, 4}, {30, 4}},  {{30, 6}, {3, 6}},   {{5, 2}, {5, 25}},
                                             {{7, 25}, {7, 2}},  {{2, 2}, {20, 17}},  {{9, 9}, {9, 9}},
                                             {{-5, 3}, {50, 3}}, {{38, -4}, {38, 40}}};
  const TRegion clip{Rect(4, 0, 18, 12), Rect(20, 14, 36, 28)};
  for (const Pen& pen : pens)
    for (const auto& [from, to] : lines)
      for (const bool clipped : {false, true})
        for (const bool scaled : {false, true}) {
          TImageCanvas byLine(40, 30), byPolyline(40, 30);
          for (TImageCanvas* c : {&byLine, &byPolyline}) {
            c->Brush->Color = clSilver;
            c->FillRect(Rect(0, 0, 40, 30));
            c->Pen->Color = clMaroon;
            c->Pen->Width = pen.width;
            c->Pen->Style = pen.style;
            c->Pen->Mode = pen.mode;
            if (clipped) c->SelectClipRgn(&clip);
            if (scaled) {
              c->SetMapMode(MM_ANISOTROPIC);
              c->SetWindowExtEx(2, 2);
              c->SetViewportExtEx(3, 3);
              c->SetWindowOrgEx(1, 0);
            }
          }
          byLine.MoveTo(from.X, from.Y);
          byLine.LineTo(to.X, to.Y);
          byPolyline.Polyline({from, to});
          const TPixelBlock a = byLine.Snapshot(), b = byPolyline.Snapshot();
          ASSERT_EQ(a.Pixels, b.Pixels) << from.X << "," << from.Y << " to " << to.X << "," << to.Y << " pen "
                                        << pen.width << " clipped " << clipped << " scaled " << scaled;
        }
}

TEST_F(ImageCanvasTest, ClippingSelectsIntersectsAndIsRemoved) {
  canvas.Brush->Color = clRed;
  canvas.SelectClipRect(Rect(0, 0, 10, 10));
  canvas.IntersectClipRect(Rect(5, 5, 20, 20));
  EXPECT_EQ(canvas.ClipRect(), Rect(5, 5, 10, 10));
  canvas.FillRect(Rect(0, 0, 40, 30));
  EXPECT_EQ(CountAll(clRed), 25);

  TRegion two{Rect(20, 0, 22, 2), Rect(30, 10, 33, 11)};
  canvas.SelectClipRgn(&two);
  canvas.Brush->Color = clBlue;
  canvas.FillRect(Rect(0, 0, 40, 30));
  EXPECT_EQ(CountAll(clBlue), 4 + 3);

  canvas.SelectClipRgn(nullptr);
  EXPECT_FALSE(canvas.HasClip());
  canvas.Brush->Color = clLime;
  canvas.FillRect(Rect(0, 0, 40, 30));
  EXPECT_EQ(CountAll(clLime), 40 * 30);
}

// Fills reach the pixels without cairo, which is given the clip only when
// it draws: whichever goes first, each call keeps to the clip of its time.
TEST(ImageCanvasClip, FillsAndShapesKeepToTheClipOfTheirTime) {
  const auto everywhere = [](TCanvas& c) {
    c.Pen->Style = psClear;
    c.Polygon({{-10, -10}, {100, -10}, {100, 100}, {-10, 100}});
  };
  struct Case {
    const char* name;
    std::function<void(TCanvas&)> draw;
    std::vector<TRect> red;
  } cases[] = {
      {"a fill under two rectangles",
       [](TCanvas& c) {
         const TRegion two{Rect(2, 2, 10, 10), Rect(20, 5, 30, 25)};
         c.SelectClipRgn(&two);
         c.FillRect(Rect(0, 0, 40, 30));
       },
       {Rect(2, 2, 10, 10), Rect(20, 5, 30, 25)}},
      {"a fill beyond the image",
       [](TCanvas& c) { c.FillRect(Rect(-5, -5, 100, 100)); },
       {Rect(0, 0, 40, 30)}},
      {"a fill under an empty region",
       [](TCanvas& c) {
         const TRegion none;
         c.SelectClipRgn(&none);
         c.FillRect(Rect(0, 0, 40, 30));
       },
       {}},
      {"a shape after a narrowed clip is restored",
       [&](TCanvas& c) {
         c.SelectClipRect(Rect(5, 5, 30, 20));
         const int saved = c.SaveDC();
         c.IntersectClipRect(Rect(0, 0, 10, 10));
         c.FillRect(Rect(0, 0, 40, 30));
         c.RestoreDC(saved);
         everywhere(c);
       },
       {Rect(5, 5, 30, 20)}},
      {"a shape under a clip set after a fill",
       [&](TCanvas& c) {
         c.SelectClipRect(Rect(0, 0, 40, 30));
         c.Brush->Color = clBlue;
         everywhere(c);
         c.SelectClipRect(Rect(30, 0, 40, 5));
         c.FillRect(Rect(0, 0, 40, 30));
         c.SelectClipRect(Rect(2, 2, 12, 12));
         c.Brush->Color = clRed;
         everywhere(c);
       },
       {Rect(2, 2, 12, 12)}},
      {"a line along an axis under a region",
       [](TCanvas& c) {
         const TRegion two{Rect(0, 0, 5, 30), Rect(10, 0, 15, 30)};
         c.SelectClipRgn(&two);
         c.Pen->Color = clRed;
         c.MoveTo(0, 3);
         c.LineTo(40, 3);
       },
       {Rect(0, 3, 5, 4), Rect(10, 3, 15, 4)}},
  };
  for (const Case& k : cases) {
    TImageCanvas canvas(40, 30);
    canvas.Brush->Color = clRed;
    k.draw(canvas);
    for (int y = 0; y < 30; ++y)
      for (int x = 0; x < 40; ++x) {
        bool inside = false;
        for (const TRect& r : k.red) inside = inside || PtInRect(r, Point(x, y));
        if ((canvas.Pixel(x, y) == clRed) != inside) ADD_FAILURE() << k.name << " at " << x << ", " << y;
      }
  }
}

// Text reaches cairo without a clip when the clip of its time leaves it
// whole: whatever clip cairo had from before, a text inside the clip shows
// whole, one reaching out of it is cut, and the shapes after it keep to
// their own clip.
TEST(ImageCanvasClip, TextKeepsToTheClipOfItsTime) {
  const TRect shape = Rect(0, 0, 6, 6);
  const auto prepare = [&](TCanvas& c, bool background) {
    c.Font->Name = "Arial";
    c.Font->SetSize(10);
    // Cairo is given a clip elsewhere first.
    c.SelectClipRect(shape);
    c.Pen->Style = psClear;
    c.Brush->Color = clRed;
    c.Polygon({{-10, -10}, {100, -10}, {100, 100}, {-10, 100}});
    c.Brush->Style = background ? bsSolid : bsClear;
    c.Brush->Color = clYellow;
  };
  struct Case {
    const char* name;
    TRect clip;          // where the text may show
    bool clippedOption;  // the clip given as ETO_CLIPPED instead
    bool background;
  } cases[] = {
      {"inside the clip", Rect(10, 8, 90, 30), false, false},
      {"inside the clip, with its background", Rect(10, 8, 90, 30), false, true},
      {"cut by the clip", Rect(10, 8, 30, 30), false, false},
      {"cut at its top", Rect(10, 16, 90, 30), false, true},
      {"inside its own rectangle", Rect(10, 8, 90, 30), true, false},
      {"cut by its own rectangle", Rect(10, 8, 28, 30), true, true},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    // The text drawn alone, no clip anywhere.
    TImageCanvas alone(100, 40);
    prepare(alone, k.background);
    alone.SelectClipRgn(nullptr);
    alone.TextOut(14, 12, "Ax gj 12,5");
    TImageCanvas canvas(100, 40);
    prepare(canvas, k.background);
    if (k.clippedOption) {
      canvas.SelectClipRgn(nullptr);
      canvas.ExtTextOut(14, 12, ETO_CLIPPED, &k.clip, "Ax gj 12,5");
    } else {
      canvas.SelectClipRect(k.clip);
      canvas.TextOut(14, 12, "Ax gj 12,5");
    }
    // A shape after the text keeps to its clip.
    canvas.SelectClipRect(Rect(94, 34, 100, 40));
    canvas.Brush->Style = bsSolid;
    canvas.Brush->Color = clBlue;
    canvas.Polygon({{-10, -10}, {200, -10}, {200, 200}, {-10, 200}});
    int wrong = 0;
    for (int y = 0; y < 40; ++y)
      for (int x = 0; x < 100; ++x) {
        const TPoint p = Point(x, y);
        const TColor want = PtInRect(Rect(94, 34, 100, 40), p)          ? clBlue
                            : PtInRect(k.clip, p) || PtInRect(shape, p) ? alone.Pixel(x, y)
                                                                        : clWhite;
        wrong += canvas.Pixel(x, y) != want;
      }
    EXPECT_EQ(wrong, 0);
  }
}

TEST_F(ImageCanvasTest, RestoreBringsBackClipAndObjects) {
  canvas.Font->Name = "Arial";
  canvas.Brush->Color = clRed;
  int saved = canvas.SaveDC();
  canvas.SelectClipRect(Rect(0, 0, 1, 1));
  canvas.Font->Name = "Courier New";
  canvas.Brush->Color = clBlue;
  EXPECT_TRUE(canvas.RestoreDC(saved));
  EXPECT_FALSE(canvas.HasClip());
  EXPECT_EQ(canvas.Font->Name, "Arial");
  EXPECT_EQ(canvas.Brush->Color, clRed);
  EXPECT_FALSE(canvas.RestoreDC(saved));
  EXPECT_FALSE(canvas.RestoreDC(-1));
}

// Saves with and without a clipping, clippings set inside them and the
// states restored, over and over: each restore brings back the clipping of
// its save, whatever storage the regions moved through.
TEST_F(ImageCanvasTest, SavedClippingsComeBackThroughEveryCycle) {
  struct Step {
    std::optional<TRect> before;  // the clipping at the save, if any
    std::vector<TRect> inside;    // intersected after it
  };
  const std::vector<Step> steps = {
      {std::nullopt, {Rect(1, 1, 20, 20)}},     {std::nullopt, {Rect(2, 2, 30, 30), Rect(5, 5, 10, 10)}},
      {Rect(0, 0, 40, 40), {Rect(3, 3, 9, 9)}}, {std::nullopt, {}},
      {std::nullopt, {Rect(4, 4, 6, 6)}},       {Rect(1, 2, 3, 4), {}},
      {std::nullopt, {Rect(0, 0, 50, 50)}},
  };
  for (int round = 0; round < 3; ++round)
    for (size_t n = 0; n < steps.size(); ++n) {
      SCOPED_TRACE(testing::Message() << round << " " << n);
      const Step& step = steps[n];
      if (step.before)
        canvas.SelectClipRect(*step.before);
      else
        canvas.SelectClipRgn(nullptr);
      const int saved = canvas.SaveDC();
      std::optional<TRect> expected = step.before;
      for (const TRect& r : step.inside) {
        canvas.IntersectClipRect(r);
        expected = expected ? IntersectRect(*expected, r) : r;
        ASSERT_TRUE(canvas.HasClip());
        EXPECT_EQ(canvas.ClipRect(), *expected);
      }
      ASSERT_TRUE(canvas.RestoreDC(saved));
      ASSERT_EQ(canvas.HasClip(), step.before.has_value());
      if (step.before) {
        EXPECT_EQ(canvas.ClipRect(), *step.before);
      }
    }
}

TEST_F(ImageCanvasTest, TextLandsInsideItsCellBelowTheReferencePoint) {
  canvas.Font->Name = "Arial";
  canvas.Font->SetHeight(-13);
  canvas.Brush->Style = bsClear;
  canvas.TextOut(3, 4, "ΕΛ"_a);
  TSize size = canvas.TextExtent("ΕΛ"_a);
  int inside = 0, outside = 0;
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 40; ++x) {
      bool ink = canvas.Pixel(x, y) != clWhite;
      bool in = PtInRect(Bounds(3, 4, size.cx, size.cy), {x, y});
      (in ? inside : outside) += ink;
    }
  EXPECT_GT(inside, 10);
  EXPECT_EQ(outside, 0);
  EXPECT_EQ(canvas.PenPos, Point(3 + size.cx, 4));
}

TEST_F(ImageCanvasTest, SolidBrushPaintsTheTextCell) {
  canvas.Font->Name = "Arial";
  canvas.Brush->Color = clYellow;
  canvas.TextOut(2, 2, "a");
  TSize size = canvas.TextExtent("a");
  EXPECT_GT(CountIn(Bounds(2, 2, size.cx, size.cy), clYellow), 0);
  EXPECT_EQ(CountAll(clYellow) + CountIn(Bounds(2, 2, size.cx, size.cy), clWhite),
            CountIn(Bounds(2, 2, size.cx, size.cy), clYellow) + 0);
}

TEST_F(ImageCanvasTest, TextAlignmentPlacesTheReferencePoint) {
  canvas.Font->Name = "Arial";
  canvas.Brush->Color = clRed;
  int width = canvas.TextWidth("HH");
  canvas.SetTextAlign(TA_RIGHT);
  canvas.ExtTextOut(30, 2, 0, nullptr, "HH");
  EXPECT_EQ(canvas.Pixel(30 - width, 3), clRed);
  EXPECT_EQ(canvas.Pixel(29, 3), clRed);
  EXPECT_EQ(canvas.Pixel(30, 3), clWhite);
  EXPECT_EQ(canvas.Pixel(30 - width - 1, 3), clWhite);
  canvas.SetTextAlign(TA_CENTER);
  canvas.Brush->Color = clBlue;
  canvas.ExtTextOut(20, 16, 0, nullptr, "HH");
  EXPECT_EQ(canvas.Pixel(20 - width / 2, 17), clBlue);
  EXPECT_EQ(canvas.Pixel(20 - width / 2 - 1, 17), clWhite);
}

TEST_F(ImageCanvasTest, OpaqueClippedTextStaysInItsRectangle) {
  canvas.Font->Name = "Arial";
  canvas.Font->SetHeight(-20);
  canvas.Brush->Color = clAqua;
  canvas.TextRect(Rect(5, 5, 15, 12), 5, 5, "ΩΩΩΩ"_a);
  EXPECT_EQ(CountIn(Rect(0, 0, 40, 30), clWhite), 40 * 30 - 10 * 7);
}

TEST_F(ImageCanvasTest, HatchBrushLeavesGaps) {
  canvas.Brush->Style = bsCross;
  canvas.Brush->Color = clBlack;
  canvas.FillRect(Rect(0, 0, 16, 16));
  int black = CountIn(Rect(0, 0, 16, 16), clBlack);
  EXPECT_EQ(black, 4 * 15);
}

TEST_F(ImageCanvasTest, TransparentPixelsKeepTheBackground) {
  TPixelBlock block{2, 2, {0xFFFF0000, 0xFF00FF00, 0xFF00FF00, 0x800000FF}};
  canvas.DrawPixels(Rect(0, 0, 4, 4), block, true, clLime);
  EXPECT_EQ(canvas.Pixel(0, 0), clRed);  // pixel blocks are 0xAARRGGBB
  EXPECT_EQ(canvas.Pixel(3, 0), clWhite);
  EXPECT_EQ(canvas.Pixel(1, 1), clRed);
  EXPECT_EQ(canvas.Pixel(3, 3), clBlue);
  EXPECT_EQ(CountAll(clWhite), 40 * 30 - 8);
}

// A picture at its own size reaches the pixels without cairo: each pixel
// shows when its alpha is 0x80 or more and, with a key, when it is not the
// key's colour, whole rows or not, and only inside the clip.
TEST(ImageCanvasPictures, APictureAtItsOwnSizeShowsThePixelsCairoWouldShow) {
  const std::uint32_t mixed[] = {0xFFFF0000, 0x00FF0000, 0x7F00FF00, 0x8000FF00, 0xFF00FF00, 0x800000FF};
  struct Case {
    const char* name;
    bool transparent;
    bool opaque;
  } cases[] = {
      {"alpha alone", false, false}, {"alpha and the key", true, false}, {"whole rows", false, true}};
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    TPixelBlock block{6, 3, {}};
    for (int y = 0; y < 3; ++y)
      for (std::uint32_t p : mixed) block.Pixels.push_back(k.opaque ? (p | 0xFF000000u) : p);
    block.Opaque = k.opaque;
    TImageCanvas canvas(20, 10);
    canvas.Brush->Color = clSilver;
    canvas.FillRect(Rect(0, 0, 20, 10));
    const TRegion clip{Rect(0, 0, 20, 5), Rect(5, 5, 8, 10)};
    canvas.SelectClipRgn(&clip);
    canvas.DrawPixels(Bounds(4, 3, 6, 3), block, k.transparent, clLime);
    for (int y = 0; y < 10; ++y)
      for (int x = 0; x < 20; ++x) {
        TColor want = clSilver;
        const bool inside = x >= 4 && x < 10 && y >= 3 && y < 6 && PtInRegion(clip, x, y);
        if (inside) {
          const std::uint32_t p = block.At(x - 4, y - 3);
          const TColor colour = RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
          if ((p >> 24) >= 0x80 && !(k.transparent && colour == clLime)) want = colour;
        }
        EXPECT_EQ(canvas.Pixel(x, y), want) << x << ", " << y;
      }
  }
}

TEST_F(ImageCanvasTest, ShapesStayInTheirBoundingBox) {
  canvas.Brush->Color = clRed;
  canvas.Ellipse(5, 5, 25, 20);
  canvas.RoundRect(26, 2, 38, 12, 6, 6);
  canvas.Polygon({{2, 25}, {10, 22}, {10, 28}});
  canvas.Arc(26, 14, 38, 28, 38, 21, 26, 21);
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 40; ++x) {
      if (canvas.Pixel(x, y) == clWhite) continue;
      bool inBox = PtInRect(Rect(5, 5, 25, 20), {x, y}) || PtInRect(Rect(26, 2, 38, 12), {x, y}) ||
                   PtInRect(Rect(2, 22, 11, 29), {x, y}) || PtInRect(Rect(26, 14, 38, 22), {x, y});
      EXPECT_TRUE(inBox) << x << "," << y;
    }
  EXPECT_EQ(canvas.Pixel(15, 12), clRed);
  EXPECT_EQ(canvas.Pixel(5, 5), clWhite);  // the ellipse's corner
  EXPECT_EQ(canvas.Pixel(32, 7), clRed);
}

TEST_F(ImageCanvasTest, PngOutput) {
  std::vector<std::uint8_t> png = canvas.PngBytes();
  ASSERT_GT(png.size(), 8u);
  EXPECT_EQ(png[1], 'P');
  EXPECT_EQ(png[2], 'N');
  EXPECT_THROW(canvas.SaveToPng("/nonexistent-folder/x.png"), EInOutError);
}

}  // namespace

namespace {

TEST(RotatedText, EscapementTurnsTheBaseLine) {
  TImageCanvas canvas(60, 60);
  canvas.Font->Name = "Arial";
  canvas.Font->SetHeight(-12);
  canvas.Brush->Style = bsClear;
  canvas.Font->Orientation = 900;  // a quarter turn counter-clockwise: the text reads upwards
  canvas.TextOut(30, 55, "ΑΒΓΔΕ"_a);
  int above = 0, below = 0, left = 0, right = 0;
  for (int y = 0; y < 60; ++y)
    for (int x = 0; x < 60; ++x) {
      if (canvas.Pixel(x, y) == clWhite) continue;
      (y < 55 ? above : below)++;
      (x < 30 ? left : right)++;
    }
  EXPECT_GT(above, 20);
  EXPECT_EQ(below, 0);
  // The cell lies to the right of the base line once turned, as its top
  // (the reference point) is the left edge now.
  EXPECT_GT(right, 20);
  EXPECT_EQ(left, 0);
}

}  // namespace

namespace {

// A dashed line far longer than anything shown draws, where it shows, the
// dashes it would have drawn whole: same phase, same pixels, in any pen mode.
TEST(ImageCanvasFarShapes, AMilesLongDashedLineShowsTheDashesOfItsVisiblePart) {
  struct Case {
    TPenStyle style;
    int period;  // one repeat of the style's dashes
    TPenMode mode;
  } cases[] = {{psDash, 24, pmCopy}, {psDashDot, 24, pmCopy}, {psDot, 6, pmNotXor}};
  for (const Case& c : cases) {
    auto draw = [&](int fromX, TImageCanvas& canvas) {
      canvas.Brush->Color = clWhite;
      canvas.FillRect(Rect(0, 0, 80, 20));
      canvas.Pen->Color = clBlack;
      canvas.Pen->Style = c.style;
      canvas.Pen->Mode = c.mode;
      canvas.MoveTo(fromX, 10);
      canvas.LineTo(80, 10);
    };
    TImageCanvas whole(80, 20), visible(80, 20);
    // A quarter of a million repeats to the left (the drawing library keeps
    // coordinates within ±8,388,608).
    draw(-c.period * 250'000, whole);
    draw(0, visible);
    int differing = 0, ink = 0;
    for (int x = 0; x < 80; ++x) {
      differing += whole.Pixel(x, 10) != visible.Pixel(x, 10);
      ink += visible.Pixel(x, 10) != clWhite;
    }
    EXPECT_EQ(differing, 0) << c.style;
    EXPECT_GT(ink, 0) << c.style;
    EXPECT_LT(ink, 80) << c.style;
  }
}

}  // namespace

namespace {

// A rectangle millions of pixels wide, in an inverting pen, draws what shows
// of it: its top and bottom sides across the canvas, as a rectangle just
// wider than the canvas does.
TEST(ImageCanvasFarShapes, AMilesWideInvertedRectangleDrawsWhatShows) {
  for (const int pen : {1, 2}) {
    auto draw = [&](int reach, TImageCanvas& canvas) {
      canvas.Brush->Color = clWhite;
      canvas.FillRect(Rect(0, 0, 64, 48));
      canvas.Brush->Style = bsClear;
      canvas.Pen->Color = clRed;
      canvas.Pen->Width = pen;
      canvas.Pen->Mode = pmXor;
      canvas.Rectangle(-reach, 5, 64 + reach, 30);
    };
    TImageCanvas wide(64, 48), near(64, 48);
    draw(6'000'000, wide);
    draw(40, near);
    int differing = 0;
    for (int y = 0; y < 48; ++y)
      for (int x = 0; x < 64; ++x) differing += wide.Pixel(x, y) != near.Pixel(x, y);
    EXPECT_EQ(differing, 0) << pen;
    EXPECT_NE(near.Pixel(10, 5), clWhite) << pen;
  }
}

}  // namespace
