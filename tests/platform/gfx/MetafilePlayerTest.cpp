// The player on metafiles as other programs write them: mapping modes,
// world transforms, ANSI text, extended pens, saved states, clipping
// records, Bézier curves and bitmaps in the forms the system records.

#include <gtest/gtest.h>

#include <cstring>

#include "platform/gfx/Metafile.h"
#include "platform/gfx/RecordingCanvas.h"
#include "platform/rtl/ByteOrder.h"

namespace {

// A metafile of 96 × 96 reference pixels (a frame of exactly 25.4 mm)
// built record by record.
class EmfBuilder {
 public:
  EmfBuilder& Record(std::uint32_t type, std::initializer_list<std::int32_t> fields,
                     const std::string& tail = {}) {
    std::string r;
    le::Put32(r, type);
    le::Put32(r, 0);
    for (std::int32_t f : fields) le::Put32(r, static_cast<std::uint32_t>(f));
    r += tail;
    while (r.size() % 4) r += '\0';
    le::Patch32(r, 4, static_cast<std::uint32_t>(r.size()));
    records_ += r;
    ++count_;
    return *this;
  }
  std::string Build() const {
    std::string h;
    for (std::uint32_t v :
         {1u,  108u, 0u, 0u, 95u,   95u,   0u,   0u,   2540u, 2540u, 0x464D4520u, 0x10000u, 0u,     0u,
          16u, 0u,   0u, 0u, 1920u, 1440u, 508u, 381u, 0u,    0u,    0u,          508000u,  381000u})
      le::Put32(h, v);
    std::string eof;
    for (std::uint32_t v : {14u, 20u, 0u, 16u, 20u}) le::Put32(eof, v);
    std::string all = h + records_ + eof;
    le::Patch32(all, 48, static_cast<std::uint32_t>(all.size()));
    le::Patch32(all, 52, count_ + 2);
    return all;
  }
  static std::string Wide(const char16_t* text) {
    std::string s;
    for (; *text; ++text) le::Put16(s, *text);
    return s;
  }

 private:
  std::string records_;
  std::uint32_t count_ = 0;
};

std::int32_t F(float f) {
  std::int32_t v;
  std::memcpy(&v, &f, 4);
  return v;
}

std::vector<TDrawCall> Play(const std::string& emf, TRect dest = Rect(0, 0, 96, 96)) {
  TRecordingCanvas canvas(200, 200);
  EXPECT_TRUE(PlayEnhMetafile(canvas, emf, dest));
  return canvas.Calls;
}

std::vector<TDrawCall> Only(const std::vector<TDrawCall>& calls, const char* op) {
  std::vector<TDrawCall> out;
  for (const TDrawCall& c : calls)
    if (c.Op == op) out.push_back(c);
  return out;
}

TEST(MetafilePlayer, AnisotropicMappingScalesLogicalUnits) {
  EmfBuilder b;
  b.Record(emr::SETMAPMODE, {8})
      .Record(emr::SETWINDOWORGEX, {100, 100})
      .Record(emr::SETWINDOWEXTEX, {1000, 1000})
      .Record(emr::SETVIEWPORTEXTEX, {100, 50})
      .Record(emr::RECTANGLE, {200, 300, 600, 900});
  std::vector<TDrawCall> rects = Only(Play(b.Build()), "Rectangle");
  ASSERT_EQ(rects.size(), 1u);
  EXPECT_EQ(rects[0].Args, (std::vector<int>{10, 10, 50, 40}));
}

TEST(MetafilePlayer, FixedMappingModesFlipTheYAxis) {
  EmfBuilder b;
  // 0.1 mm units, y upwards: 254 units are one inch, 96 reference pixels.
  b.Record(emr::SETMAPMODE, {2})
      .Record(emr::SETVIEWPORTORGEX, {0, 96})
      .Record(emr::ELLIPSE, {0, 254, 127, 0});
  std::vector<TDrawCall> ellipses = Only(Play(b.Build()), "Ellipse");
  ASSERT_EQ(ellipses.size(), 1u);
  EXPECT_EQ(ellipses[0].Args, (std::vector<int>{0, 0, 48, 96}));
}

TEST(MetafilePlayer, WorldTransformAndTheDestinationScale) {
  EmfBuilder b;
  b.Record(emr::SETWORLDTRANSFORM, {F(2), F(0), F(0), F(2), F(5), F(0)})
      .Record(emr::RECTANGLE, {1, 1, 11, 11})
      .Record(emr::MODIFYWORLDTRANSFORM, {F(1), F(0), F(0), F(1), F(0), F(0), 1})
      .Record(emr::RECTANGLE, {1, 1, 11, 11});
  std::vector<TDrawCall> rects = Only(Play(b.Build(), Rect(10, 10, 202, 202)), "Rectangle");
  ASSERT_EQ(rects.size(), 2u);
  EXPECT_EQ(rects[0].Args, (std::vector<int>{10 + 14, 10 + 4, 10 + 54, 10 + 44}));  // (2x + 5) doubled
  EXPECT_EQ(rects[1].Args, (std::vector<int>{12, 12, 32, 32}));                     // identity again
}

TEST(MetafilePlayer, AnsiAndUnicodeTextWithFontsAndAdvances) {
  std::string face = EmfBuilder::Wide(u"Times New Roman");
  face.resize(64, '\0');
  std::string logfont;
  for (std::int32_t v : {-20, 0, 0, 0, 700}) le::Put32(logfont, static_cast<std::uint32_t>(v));
  logfont += std::string("\1\0\0\xA1\0\0\0\0", 8);  // italic, Greek charset
  logfont += face;
  std::string ansi = "\xC1\xE8\xDE\xED\xE1";  // "Αθήνα" in code page 1253
  EmfBuilder b;
  b.Record(emr::EXTCREATEFONTINDIRECTW, {3}, logfont)
      .Record(emr::SELECTOBJECT, {3})
      .Record(emr::SETTEXTCOLOR, {0x0000FF})
      .Record(emr::SETBKMODE, {1})
      .Record(emr::SETTEXTALIGN, {TA_RIGHT | TA_BASELINE})
      .Record(
          emr::EXTTEXTOUTA, {0, 0, 0, 0, 1, 0, 0, 40, 30, 5, 76, 0, 0, 0, 0, 0, 84},
          ansi + std::string(3, '\0') + std::string("\x0A\0\0\0\x0A\0\0\0\x0A\0\0\0\x0A\0\0\0\x0A\0\0\0", 20))
      .Record(emr::EXTTEXTOUTW, {0, 0, 0, 0, 1, 0, 0, 5, 60, 2, 76, ETO_OPAQUE, 5, 60, 50, 80, 0},
              EmfBuilder::Wide(u"ΩA"))
      .Record(emr::EXTTEXTOUTW, {0, 0, 0, 0, 1, 0, 0, 5, 90, 2, 76, 0, 0, 0, 0, 0, 0},
              EmfBuilder::Wide(u"Ω→"));
  std::vector<TDrawCall> calls = Play(b.Build(), Rect(0, 0, 192, 192));
  // Wide text the code page holds plays as code page (a document draws it
  // from the font's table); the rest stays wide, keeping what the code
  // page lacks.
  std::vector<TDrawCall> texts = Only(calls, "ExtTextOut");
  std::vector<TDrawCall> wide = Only(calls, "ExtTextOutW");
  ASSERT_EQ(texts.size(), 2u);
  ASSERT_EQ(wide.size(), 1u);
  EXPECT_EQ(wide[0].WideText, u"Ω→");
  EXPECT_EQ(texts[0].Text, "Αθήνα"_a);
  EXPECT_EQ(texts[0].Font.Name, "Times New Roman");
  EXPECT_EQ(texts[0].Font.Height(), -40);  // doubled with the picture
  EXPECT_EQ(texts[0].Font.Style, static_cast<TFontStyles>(fsBold | fsItalic));
  EXPECT_EQ(texts[0].Font.Color, clRed);
  EXPECT_EQ(texts[0].Brush.Style, bsClear);
  EXPECT_EQ(texts[0].Flags >> 16, TA_RIGHT | TA_BASELINE);
  EXPECT_EQ(texts[0].Args, (std::vector<int>{80, 60, 20, 20, 20, 20, 20}));
  EXPECT_EQ(texts[1].Text, "ΩA"_a);
  EXPECT_EQ(texts[1].Args[0], 10);
  // The opaque rectangle was filled with the background colour first.
  std::vector<TDrawCall> fills = Only(Play(b.Build(), Rect(0, 0, 192, 192)), "FillRect");
  ASSERT_EQ(fills.size(), 1u);
  EXPECT_EQ(fills[0].Args, (std::vector<int>{10, 120, 100, 160}));
}

// Advances are summed at the picture's scale and each end rounded, halves
// away from zero, whichever way the text runs.
TEST(MetafilePlayer, AdvancesRoundTheirEndsHalvesAwayFromZero) {
  std::string dx;
  for (std::int32_t step : {1, 1, 1, 1, -1, -1, -1, -1, -3}) le::Put32(dx, static_cast<std::uint32_t>(step));
  EmfBuilder b;
  b.Record(emr::EXTTEXTOUTA, {0, 0, 0, 0, 1, 0, 0, 0, 0, 9, 76, 0, 0, 0, 0, 0, 88},
           std::string("abcdefghi") + std::string(3, '\0') + dx);
  // 2.5 times the picture: ends at 2.5, 5, 7.5, 10, 7.5, 5, 2.5, 0, -7.5.
  std::vector<TDrawCall> texts = Only(Play(b.Build(), Rect(0, 0, 240, 240)), "ExtTextOut");
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_EQ(texts[0].Args, (std::vector<int>{0, 0, 3, 2, 3, 2, -2, -3, -2, -3, -8}));
}

TEST(MetafilePlayer, PensBrushesAndStockObjects) {
  EmfBuilder b;
  b.Record(emr::EXTCREATEPEN, {1, 0, 0, 0, 0, 0x10000 | 1, 4, 0, 0x00FF00, 0, 0})
      .Record(emr::SELECTOBJECT, {1})
      .Record(emr::CREATEBRUSHINDIRECT, {2, 2, 0x0000FF, 4})
      .Record(emr::SELECTOBJECT, {2})
      .Record(emr::RECTANGLE, {0, 0, 10, 10})
      .Record(emr::SELECTOBJECT, {static_cast<std::int32_t>(0x80000005)})  // null brush
      .Record(emr::SELECTOBJECT, {static_cast<std::int32_t>(0x80000008)})  // null pen
      .Record(emr::RECTANGLE, {0, 0, 10, 10})
      .Record(emr::DELETEOBJECT, {1})
      .Record(emr::SELECTOBJECT, {1})  // deleted: nothing selected
      .Record(emr::SETROP2, {7})
      .Record(emr::MOVETOEX, {1, 2})
      .Record(emr::LINETO, {30, 2});
  std::vector<TDrawCall> calls = Play(b.Build());
  std::vector<TDrawCall> rects = Only(calls, "Rectangle");
  ASSERT_EQ(rects.size(), 2u);
  EXPECT_EQ(rects[0].Pen.Width, 4);
  EXPECT_EQ(rects[0].Pen.Style, psDash);
  EXPECT_EQ(rects[0].Pen.Color, clLime);
  EXPECT_EQ(rects[0].Brush.Style, bsCross);
  EXPECT_EQ(rects[0].Brush.Color, clRed);
  EXPECT_EQ(rects[1].Brush.Style, bsClear);
  EXPECT_EQ(rects[1].Pen.Style, psClear);
  std::vector<TDrawCall> lines = Only(calls, "Polyline");
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0].Args, (std::vector<int>{1, 2, 30, 2}));
  EXPECT_EQ(lines[0].Pen.Mode, pmXor);
}

TEST(MetafilePlayer, SavedStatesAndClippingRecords) {
  EmfBuilder b;
  b.Record(emr::SAVEDC, {})
      .Record(emr::INTERSECTCLIPRECT, {10, 10, 50, 50})
      .Record(emr::RECTANGLE, {0, 0, 5, 5})
      .Record(emr::EXCLUDECLIPRECT, {20, 10, 30, 50})
      .Record(emr::RECTANGLE, {0, 0, 5, 5})
      .Record(emr::RESTOREDC, {-1})
      .Record(emr::RECTANGLE, {0, 0, 5, 5})
      .Record(emr::EXTSELECTCLIPRGN, {64, 5, 32, 1, 2, 32, 0, 0, 40, 40, 0, 0, 10, 10, 30, 30, 40, 40})
      .Record(emr::RECTANGLE, {0, 0, 5, 5})
      .Record(emr::EXTSELECTCLIPRGN, {0, 5})
      .Record(emr::RECTANGLE, {0, 0, 5, 5});
  std::vector<TDrawCall> rects = Only(Play(b.Build()), "Rectangle");
  ASSERT_EQ(rects.size(), 5u);
  EXPECT_EQ(rects[0].Clip, (TRegion{Rect(10, 10, 50, 50)}));
  ASSERT_TRUE(rects[1].Clip.has_value());
  EXPECT_EQ(rects[1].Clip->size(), 2u);  // the left and right parts around the hole
  EXPECT_FALSE(rects[2].Clip.has_value());
  EXPECT_EQ(rects[3].Clip, (TRegion{Rect(0, 0, 10, 10), Rect(30, 30, 40, 40)}));
  EXPECT_FALSE(rects[4].Clip.has_value());
}

TEST(MetafilePlayer, CallersClipStaysAroundThePicture) {
  EmfBuilder b;
  b.Record(emr::EXTSELECTCLIPRGN, {0, 5}).Record(emr::RECTANGLE, {0, 0, 5, 5});
  TRecordingCanvas canvas(200, 200);
  canvas.SelectClipRect(Rect(0, 0, 3, 3));
  PlayEnhMetafile(canvas, b.Build(), Rect(0, 0, 96, 96));
  std::vector<TDrawCall> rects = canvas.CallsOf("Rectangle");
  ASSERT_EQ(rects.size(), 1u);
  EXPECT_EQ(rects[0].Clip, (TRegion{Rect(0, 0, 3, 3)}));
}

TEST(MetafilePlayer, BezierCurvesAndPolyPolygons) {
  EmfBuilder b;
  b.Record(emr::POLYBEZIER16,
           {0, 0, 90, 90, 4, 0 | (0 << 16), 30 | (60 << 16), 60 | (60 << 16), 90 | (0 << 16)})
      .Record(emr::POLYPOLYGON16,
              {0, 0, 9, 9, 2, 6, 3, 3, 0, 5 << 16, 5, 10, 10 | (10 << 16), 15 | (10 << 16)});
  std::vector<TDrawCall> calls = Play(b.Build());
  std::vector<TDrawCall> curves = Only(calls, "Polyline");
  ASSERT_EQ(curves.size(), 1u);
  ASSERT_EQ(curves[0].Args.size(), 2u * 17);
  EXPECT_EQ(curves[0].Args[0], 0);
  EXPECT_EQ(curves[0].Args[32], 90);
  EXPECT_EQ(curves[0].Args[17], 45);  // the middle of a symmetric curve, at its top: 3/4 of 60
  std::vector<TDrawCall> polygons = Only(calls, "Polygon");
  ASSERT_EQ(polygons.size(), 2u);
  EXPECT_EQ(polygons[0].Args, (std::vector<int>{0, 0, 0, 5, 5, 0}));
  EXPECT_EQ(polygons[1].Args, (std::vector<int>{10, 0, 10, 10, 15, 10}));
}

std::string Dib8(int width, int height, const std::vector<unsigned char>& indices) {
  std::string info;
  for (std::uint32_t v : {40u, static_cast<std::uint32_t>(width), static_cast<std::uint32_t>(height)})
    le::Put32(info, v);
  info += std::string("\1\0\x08\0", 4);
  for (int i = 0; i < 6; ++i) le::Put32(info, i == 4 ? 2 : 0);
  le::Put32(info, 0x0000FF);  // index 0: blue (B, G, R order: 0xFF, 0, 0)... as RGBQUAD
  le::Put32(info, 0xFF0000);  // index 1
  int stride = (width + 3) / 4 * 4;
  std::string bits;
  for (int row = 0; row < height; ++row) {
    std::string line(stride, '\0');
    for (int x = 0; x < width; ++x) line[x] = static_cast<char>(indices[(height - 1 - row) * width + x]);
    bits += line;
  }
  return info + bits;
}

TEST(MetafilePlayer, BitmapsInStretchAndBlockTransferRecords) {
  std::string dib = Dib8(2, 2, {0, 1, 1, 0});
  std::int32_t bmiSize = 48, bitsSize = static_cast<std::int32_t>(dib.size()) - 48;
  EmfBuilder b;
  b.Record(emr::STRETCHDIBITS,
           {0, 0, 9, 9, 10, 20, 0, 0, 2, 2, 80, bmiSize, 80 + bmiSize, bitsSize, 0, 0xCC0020, 40, 20}, dib)
      .Record(emr::BITBLT, {0, 0,    9, 9, 50,       50, 1,   1,       0xCC0020,      1,       0, F(1), 0,
                            0, F(1), 0, 0, 0xFFFFFF, 0,  100, bmiSize, 100 + bmiSize, bitsSize},
              dib)
      .Record(emr::BITBLT,
              {0, 0, 9, 9, 60, 60, 5, 5, 0x00F00021, 0, 0, F(1), 0, 0, F(1), 0, 0, 0, 0, 0, 0, 0, 0});
  TImageCanvas image(96, 96);
  EXPECT_TRUE(PlayEnhMetafile(image, b.Build(), Rect(0, 0, 96, 96)));
  // Index 0 is 0x0000FF as RGBQUAD (blue 0xFF), index 1 red.
  EXPECT_EQ(image.Pixel(10, 20), clBlue);
  EXPECT_EQ(image.Pixel(39, 29), clRed);
  EXPECT_EQ(image.Pixel(30, 30), clBlue);
  EXPECT_EQ(image.Pixel(39, 39), clBlue);
  EXPECT_EQ(image.Pixel(49, 39), clBlue);
  EXPECT_EQ(image.Pixel(50, 39), clWhite);
  EXPECT_EQ(image.Pixel(49, 40), clWhite);
  // The block transfer takes source pixel (1, 0), counted from the top: red.
  EXPECT_EQ(image.Pixel(50, 50), clRed);
  EXPECT_EQ(image.Pixel(51, 50), clWhite);
  // A pattern copy without a source fills with the brush: white stock brush.
  EXPECT_EQ(image.Pixel(62, 62), clWhite);
  TRecordingCanvas canvas(100, 100);
  PlayEnhMetafile(canvas, b.Build(), Rect(0, 0, 96, 96));
  std::vector<TDrawCall> fills = canvas.CallsOf("FillRect");
  ASSERT_EQ(fills.size(), 1u);
  EXPECT_EQ(fills[0].Args, (std::vector<int>{60, 60, 65, 65}));
  EXPECT_EQ(fills[0].Brush.Color, clWhite);
}

// Fills one unit across, drawn at half size, keep a pixel's breadth: a
// page's frame lines show whole in a small preview and its thumbnails.
TEST(MetafilePlayer, ThinFillsKeepAPixelWhenScaledDown) {
  EmfBuilder b;
  auto fill = [&](int x, int y, int cx, int cy) {
    b.Record(emr::BITBLT,
             {0, 0, 95, 95, x, y, cx, cy, 0x00000042, 0, 0, F(1), 0, 0, F(1), 0, 0, 0, 0, 0, 0, 0, 0});
  };
  fill(11, 41, 60, 1);  // a line across
  fill(41, 11, 1, 60);  // a line down
  fill(80, 80, 0, 5);   // nothing across: stays nothing
  TRecordingCanvas canvas(100, 100);
  PlayEnhMetafile(canvas, b.Build(), Rect(0, 0, 48, 48));
  std::vector<TDrawCall> fills = canvas.CallsOf("FillRect");
  ASSERT_EQ(fills.size(), 3u);
  for (const TDrawCall& c : fills) EXPECT_EQ(c.Brush.Color, clBlack);
  const auto& across = fills[0].Args;
  const auto& down = fills[1].Args;
  EXPECT_EQ(across[3] - across[1], 1);
  EXPECT_GT(across[2] - across[0], 20);
  EXPECT_EQ(down[2] - down[0], 1);
  EXPECT_GT(down[3] - down[1], 20);
  EXPECT_EQ(fills[2].Args[2] - fills[2].Args[0], 0);
  TImageCanvas image(48, 48);
  EXPECT_TRUE(PlayEnhMetafile(image, b.Build(), Rect(0, 0, 48, 48)));
  EXPECT_EQ(image.Pixel(20, across[1]), clBlack);
  EXPECT_EQ(image.Pixel(down[0], 20), clBlack);
}

}  // namespace
