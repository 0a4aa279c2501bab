// Windows metafiles, as the older drawing programs saved pictures: shapes,
// objects in the slots the format assigns, text in code page 1253 and
// bitmaps, drawn through the one metafile player and sized by their box.

#include <gtest/gtest.h>

#include <fstream>

#include "WmfWriter.h"
#include "platform/gfx/Bitmap.h"
#include "platform/gfx/Metafile.h"
#include "platform/gfx/Picture.h"
#include "platform/gfx/RecordingCanvas.h"
#include "platform/gfx/WinMetafile.h"
#include "tests/TestOutput.h"

namespace {

using wmftest::Hi;
using wmftest::Lo;
using wmftest::WmfWriter;

enum : std::uint16_t {
  SETWINDOWORG = 0x020B,
  SETWINDOWEXT = 0x020C,
  CREATEBRUSHINDIRECT = 0x02FC,
  CREATEPENINDIRECT = 0x02FA,
  CREATEFONTINDIRECT = 0x02FB,
  CREATEPALETTE = 0x00F7,
  SELECTOBJECT = 0x012D,
  DELETEOBJECT = 0x01F0,
  RECTANGLE = 0x041B,
  POLYGON = 0x0324,
  EXTTEXTOUT = 0x0A32,
  TEXTOUT = 0x0521,
  STRETCHDIB = 0x0F43,
};

constexpr std::uint32_t kRed = 0x0000FF, kGreen = 0x00FF00, kBlue = 0xFF0000;

WmfWriter& Brush(WmfWriter& w, std::uint32_t colour) {
  return w.Record(CREATEBRUSHINDIRECT, {0, Lo(colour), Hi(colour), 0});
}
WmfWriter& NullPen(WmfWriter& w) { return w.Record(CREATEPENINDIRECT, {5, 0, 0, 0, 0}); }
// Left, top, right, bottom, stored the other way round.
WmfWriter& Rect4(WmfWriter& w, int l, int t, int r, int b) { return w.Record(RECTANGLE, {b, r, t, l}); }

std::unique_ptr<TBitmap> Drawn(const std::string& wmf, int width = 96, int height = 48) {
  std::unique_ptr<TGraphic> g = GraphicFromBytes(wmf);
  auto bmp = std::make_unique<TBitmap>(width, height);
  bmp->Canvas()->Brush->Color = clWhite;
  bmp->Canvas()->FillRect(Rect(0, 0, width, height));
  g->Draw(*bmp->Canvas(), Rect(0, 0, width, height));
  return bmp;
}

TEST(WinMetafile, APlaceableFileIsSizedByItsBoxAndDrawsItsShapes) {
  WmfWriter w;
  w.Record(SETWINDOWORG, {0, 0}).Record(SETWINDOWEXT, {720, 1440});
  Brush(w, kRed).Record(SELECTOBJECT, {0});
  NullPen(w).Record(SELECTOBJECT, {1});
  Rect4(w, 0, 0, 720, 720);
  const std::string wmf = w.Build(2);
  ASSERT_TRUE(LooksLikeWinMetafile(wmf));
  std::unique_ptr<TGraphic> g = GraphicFromBytes(wmf);
  ASSERT_NE(dynamic_cast<TMetafile*>(g.get()), nullptr);
  EXPECT_EQ(g->Width(), 96);  // an inch at 1440 units to the inch
  EXPECT_EQ(g->Height(), 48);
  EXPECT_EQ(static_cast<TMetafile*>(g.get())->MMWidth(), 2540);
  auto bmp = Drawn(wmf);
  EXPECT_EQ(bmp->Pixel(20, 24), clRed);
  EXPECT_EQ(bmp->Pixel(70, 24), clWhite);
  // Stretched into a larger rectangle, the shape follows.
  auto big = Drawn(wmf, 192, 96);
  EXPECT_EQ(big->Pixel(90, 90), clRed);
  EXPECT_EQ(big->Pixel(100, 10), clWhite);
}

TEST(WinMetafile, ObjectsTakeTheLowestFreeSlot) {
  struct Case {
    const char* what;
    std::function<void(WmfWriter&)> objects;
    std::uint32_t expected;
  };
  const Case cases[] = {
      {"a freed slot is taken again",
       [](WmfWriter& w) {
         Brush(w, kRed);
         Brush(w, kBlue);
         w.Record(DELETEOBJECT, {0});
         Brush(w, kGreen).Record(SELECTOBJECT, {0});
       },
       kGreen},
      {"a palette holds its slot though it draws nothing",
       [](WmfWriter& w) {
         w.Record(CREATEPALETTE, {0x300, 1, 0, 0});
         Brush(w, kBlue).Record(SELECTOBJECT, {1});
       },
       kBlue},
      {"selecting an empty slot changes nothing",
       [](WmfWriter& w) { Brush(w, kRed).Record(SELECTOBJECT, {0}).Record(SELECTOBJECT, {2}); }, kRed},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.what);
    WmfWriter w;
    k.objects(w);
    NullPen(w).Record(SELECTOBJECT, {3});
    Rect4(w, 0, 0, 1440, 720);
    w.Record(POLYGON, {3, 0, 0, 10, 0, 0, 10});  // after the slots are settled
    EXPECT_EQ(Drawn(w.Build(4))->Pixel(48, 24), static_cast<TColor>(k.expected));
  }
}

TEST(WinMetafile, TextKeepsItsCodePageAndFont) {
  std::string face = "Arial";
  face.resize(32, '\0');
  WmfWriter w;
  w.Record(CREATEFONTINDIRECT, {-200, 0, 0, 0, 700, 0, 0, 161 << 8, 0}, face)
      .Record(SELECTOBJECT, {0})
      .Record(EXTTEXTOUT, {100, 50, 3, 0},
              std::string("\xC1\xE2\xE3\0", 4) + std::string("\x64\0\x64\0\x64\0", 6))
      .Record(TEXTOUT, {2}, std::string("\xE4\xE5", 2) + std::string("\x32\0\x2C\x01", 4));
  TRecordingCanvas canvas;
  GraphicFromBytes(w.Build(1))->Draw(canvas, Rect(0, 0, 96, 48));
  const auto texts = canvas.CallsOf("ExtTextOut");
  ASSERT_EQ(texts.size(), 2u);
  EXPECT_EQ(texts[0].Text, "Αβγ"_a);
  EXPECT_EQ(texts[0].Font.Name, "Arial");
  EXPECT_TRUE(texts[0].Font.Style & fsBold);
  EXPECT_EQ(texts[1].Text, "δε"_a);
  ASSERT_GE(texts[1].Args.size(), 2u);
  // (300, 50) of a 1440-unit inch: 20 pixels right, 3 down.
  EXPECT_NEAR(texts[1].Args[0], 20, 1);
  EXPECT_NEAR(texts[1].Args[1], 3, 1);
}

TEST(WinMetafile, BitmapsAreStretchedIntoPlace) {
  // Two pixels, blue then red, bottom-up rows padded to four bytes.
  std::string dib;
  for (std::uint32_t v : {40u, 2u, 1u}) le::Put32(dib, v);
  le::Put16(dib, 1);
  le::Put16(dib, 24);
  for (int i = 0; i < 6; ++i) le::Put32(dib, 0);
  dib += std::string("\xFF\0\0\0\0\xFF\0\0", 8);
  WmfWriter w;
  w.Record(STRETCHDIB, {0x0020, 0x00CC, 0, 1, 2, 0, 0, 720, 1440, 0, 0}, dib);
  auto bmp = Drawn(w.Build(0));
  EXPECT_EQ(bmp->Pixel(10, 24), clBlue);
  EXPECT_EQ(bmp->Pixel(80, 24), clRed);
}

TEST(WinMetafile, WithoutThePlaceableHeaderTheWindowGivesTheSize) {
  WmfWriter w;
  w.Record(SETWINDOWEXT, {100, 200});
  Brush(w, kRed).Record(SELECTOBJECT, {0});
  Rect4(w, 0, 0, 200, 100);
  std::unique_ptr<TGraphic> g = GraphicFromBytes(w.Build(1, false));
  EXPECT_EQ(g->Width(), 200);
  EXPECT_EQ(g->Height(), 100);
  // With no window either, there is no size to give.
  WmfWriter none;
  Rect4(none, 0, 0, 10, 10);
  EXPECT_THROW(GraphicFromBytes(none.Build(0, false)), EInvalidGraphic);
}

TEST(WinMetafile, DamagedFilesAreRefused) {
  WmfWriter w;
  Brush(w, kRed).Record(SELECTOBJECT, {0});
  Rect4(w, 0, 0, 720, 720);
  const std::string good = w.Build(1);
  struct Case {
    const char* what;
    std::string bytes;
  };
  auto patched = [&](size_t at, std::string with) {
    std::string b = good;
    b.replace(at, with.size(), with);
    return b;
  };
  const size_t header = 22, first = header + 18;
  const Case cases[] = {
      {"only the placeable header", good.substr(0, header)},
      {"a standard header of another size", patched(header + 2, std::string("\x0A\0", 2))},
      {"an unknown version", patched(header + 4, std::string("\x00\x02", 2))},
      {"a box of no width", patched(10, std::string("\0\0", 2))},
      {"no units to the inch", patched(14, std::string("\0\0", 2))},
      {"a record of no size", patched(first, std::string("\0\0\0\0", 4))},
      {"a record past the end", patched(first, std::string("\xFF\xFF\0\0", 4))},
      {"a polygon with more points than its record", WmfWriter().Record(POLYGON, {200, 0, 0}).Build(0)},
      {"a text longer than its record", WmfWriter().Record(TEXTOUT, {50, 0x4141}).Build(0)},
      {"a bitmap without its header",
       WmfWriter().Record(STRETCHDIB, {0x20, 0xCC, 0, 1, 1, 0, 0, 1, 1, 0, 0}, "ab").Build(0)},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.what);
    EXPECT_THROW(GraphicFromBytes(k.bytes), EInvalidGraphic);
  }
  // Cut anywhere: refused or drawn as far as it goes, never anything else.
  for (size_t cut = 0; cut < good.size(); ++cut) {
    try {
      GraphicFromBytes(good.substr(0, cut));
    } catch (const EInvalidGraphic&) {
    }
  }
}

TEST(WinMetafile, APictureFileOfTheKindLoads) {
  WmfWriter w;
  Brush(w, kGreen).Record(SELECTOBJECT, {0});
  Rect4(w, 0, 0, 1440, 720);
  const std::string path = TestOutput("picture.wmf");
  std::ofstream(path, std::ios::binary) << w.Build(1);
  TPicture picture;
  picture.LoadFromFile(path);
  ASSERT_NE(picture.Graphic(), nullptr);
  EXPECT_EQ(picture.Width(), 96);
  TBitmap bmp(96, 48);
  picture.Graphic()->Draw(*bmp.Canvas(), Rect(0, 0, 96, 48));
  EXPECT_EQ(bmp.Pixel(50, 20), clLime);
}

}  // namespace
