// Mapping modes: logical coordinates reach the device moved by the origins
// and, in the anisotropic mode, scaled (a negative extent mirrors). Said
// through the recording canvas (where calls land), the image canvas (which
// pixels change) and a metafile played back (the same pixels).

#include <gtest/gtest.h>

#include "platform/gfx/CairoCanvas.h"
#include "platform/gfx/Metafile.h"
#include "platform/gfx/RecordingCanvas.h"
#include "platform/rtl/Cp1253.h"

namespace {

// x runs from Width to 0, as a right-to-left layout draws.
void Mirror(TCanvas& canvas, int width, int height) {
  canvas.SetMapMode(MM_ANISOTROPIC);
  canvas.SetWindowOrgEx(width, 0);
  canvas.SetViewportExtEx(width, height);
  canvas.SetWindowExtEx(-width, height);
}

TEST(Mapping, MirroredCallsLandOnTheOtherSide) {
  TRecordingCanvas canvas(100, 50);
  Mirror(canvas, 100, 50);
  canvas.FillRect(Rect(10, 5, 30, 15));
  canvas.Polyline({{0, 0}, {10, 10}});
  canvas.TextOut(10, 2, "ab");
  canvas.DrawPixels(Rect(0, 0, 8, 4), TPixelBlock{2, 1, {0xFFFF0000u, 0xFF0000FFu}}, false, 0);
  canvas.RoundRect(0, 0, 20, 10, 6, 4);
  struct Expected {
    const char* op;
    std::vector<int> args;
  };
  const Expected expected[] = {
      {"FillRect", {70, 5, 90, 15}},
      {"Polyline", {100, 0, 90, 10}},
      {"ExtTextOut", {90, 2}},
      {"DrawPixels", {100, 0, 92, 4, 2, 1, 0, 0}},  // unswapped: drawn mirrored
      {"RoundRect", {80, 0, 100, 10, 6, 4}},
  };
  ASSERT_EQ(canvas.Calls.size(), std::size(expected));
  for (size_t i = 0; i < canvas.Calls.size(); ++i) {
    EXPECT_EQ(canvas.Calls[i].Op, expected[i].op);
    EXPECT_EQ(canvas.Calls[i].Args, expected[i].args) << expected[i].op;
  }
  // The clipping rectangle is logical too; the region kept is the device's.
  canvas.IntersectClipRect(Rect(0, 0, 10, 10));
  EXPECT_EQ(canvas.ClipRect(), Rect(90, 0, 100, 10));
}

TEST(Mapping, OriginsScalesRefusalsAndSavedStates) {
  TRecordingCanvas canvas(100, 50);
  auto lands = [&](const TRect& r) {
    canvas.Calls.clear();
    canvas.FillRect(r);
    const std::vector<int>& a = canvas.Calls.at(0).Args;
    return Rect(a[0], a[1], a[2], a[3]);
  };
  EXPECT_EQ(lands(Rect(1, 2, 3, 4)), Rect(1, 2, 3, 4));
  canvas.SetWindowOrgEx(5, 7);
  canvas.SetViewportOrgEx(1, 1);
  EXPECT_EQ(lands(Rect(5, 7, 6, 8)), Rect(1, 1, 2, 2));  // MM_TEXT: origins only
  canvas.SetWindowExtEx(2, 2);
  EXPECT_EQ(lands(Rect(5, 7, 6, 8)), Rect(1, 1, 2, 2));  // extents wait for MM_ANISOTROPIC
  const int saved = canvas.SaveDC();
  EXPECT_EQ(canvas.SetMapMode(MM_ANISOTROPIC), MM_TEXT);
  EXPECT_EQ(lands(Rect(5, 7, 15, 17)), Rect(1, 1, 6, 6));  // halved
  EXPECT_EQ(canvas.SetMapMode(3), 0);                      // a metric mode is refused
  canvas.SetWindowExtEx(0, 5);                             // and so is an extent of 0
  EXPECT_EQ(canvas.GetMapMode(), MM_ANISOTROPIC);
  EXPECT_EQ(lands(Rect(5, 7, 15, 17)), Rect(1, 1, 6, 6));
  canvas.RestoreDC(saved);
  EXPECT_EQ(canvas.GetMapMode(), MM_TEXT);
  canvas.SetWindowOrgEx(0, 0);
  canvas.SetViewportOrgEx(0, 0);
  EXPECT_FALSE(canvas.Maps());
}

TEST(Mapping, MirroredPixelsShapesAndText) {
  TImageCanvas mirrored(60, 20);
  Mirror(mirrored, 60, 20);
  mirrored.Brush->Color = clRed;
  mirrored.FillRect(Rect(0, 0, 10, 10));
  mirrored.DrawPixels(Rect(0, 10, 2, 11), TPixelBlock{2, 1, {0xFFFF0000u, 0xFF0000FFu}}, false, 0);
  mirrored.Brush->Style = bsClear;
  mirrored.TextOut(12, 2, "AB");
  EXPECT_EQ(mirrored.Pixel(55, 5), clRed);
  EXPECT_EQ(mirrored.Pixel(5, 5), clWhite);
  EXPECT_EQ(mirrored.Pixel(59, 10), clRed);  // the picture's first pixel at the right
  EXPECT_EQ(mirrored.Pixel(58, 10), clBlue);
  // Text keeps its glyphs upright, ending at the mapped point (logical
  // left alignment on a mirrored axis).
  TImageCanvas plain(60, 20);
  plain.Brush->Color = clRed;
  plain.FillRect(Rect(50, 0, 60, 10));
  plain.Brush->Style = bsClear;
  plain.SetTextAlign(TA_RIGHT);
  plain.TextOut(48, 2, "AB");
  int inked = 0;
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 50; ++x) inked += plain.Pixel(x, y) != clWhite;
  EXPECT_GT(inked, 20);
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 50; ++x) ASSERT_EQ(mirrored.Pixel(x, y), plain.Pixel(x, y)) << x << "," << y;
}

TEST(Mapping, AMirroredMetafilePlaysBackAsDrawn) {
  auto scene = [](TCanvas& canvas) {
    Mirror(canvas, 80, 30);
    canvas.Brush->Color = clYellow;
    canvas.FillRect(Rect(2, 2, 30, 12));
    canvas.Pen->Color = clBlue;
    canvas.Polyline({{5, 20}, {40, 20}});
    canvas.DrawPixels(Rect(0, 25, 4, 26),
                      TPixelBlock{4, 1, {0xFFFF0000u, 0xFF00FF00u, 0xFF0000FFu, 0xFF000000u}}, false, 0);
    canvas.Brush->Style = bsClear;
    canvas.TextOut(34, 2, "Αβ"_a);
  };
  TImageCanvas direct(80, 30);
  scene(direct);
  TMetafile metafile;
  metafile.SetWidth(80);
  metafile.SetHeight(30);
  {
    TMetafileCanvas canvas(&metafile);
    scene(canvas);
  }
  TImageCanvas played(80, 30);
  ASSERT_TRUE(PlayEnhMetafile(played, metafile.Data(), Rect(0, 0, 80, 30)));
  int differing = 0;
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 80; ++x) differing += direct.Pixel(x, y) != played.Pixel(x, y);
  EXPECT_LE(differing, 6);  // anti-aliased glyph edges may round apart
  EXPECT_EQ(played.Pixel(60, 5), clYellow);
  EXPECT_EQ(played.Pixel(79, 25), clRed);
}

}  // namespace
