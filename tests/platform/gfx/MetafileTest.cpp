// Enhanced Metafiles: the records our canvas writes, what our player makes
// of them, and damaged files. Another program reads them in SceneTest.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/gfx/Metafile.h"
#include "platform/gfx/Picture.h"
#include "platform/gfx/RecordingCanvas.h"
#include "platform/rtl/ByteOrder.h"

namespace {

using le::Get32;
std::int32_t I32(std::string_view s, size_t at) { return static_cast<std::int32_t>(le::Get32(s, at)); }

struct Record {
  std::uint32_t type;
  std::string bytes;
};
std::vector<Record> Records(const TMetafile& mf) {
  std::vector<Record> out;
  EXPECT_TRUE(EnumEnhMetafile(mf.Data(), [&](std::uint32_t type, std::string_view r) {
    out.push_back({type, std::string(r)});
    return true;
  }));
  return out;
}
std::vector<Record> OfType(const TMetafile& mf, std::uint32_t type) {
  std::vector<Record> out;
  for (Record& r : Records(mf))
    if (r.type == type) out.push_back(r);
  return out;
}

TMetafile Recorded(int width, int height, const std::function<void(TCanvas&)>& draw) {
  TMetafile mf;
  mf.SetWidth(width);
  mf.SetHeight(height);
  {
    TMetafileCanvas canvas(&mf);
    draw(canvas);
  }
  return mf;
}

TEST(Metafile, HeaderDescribesTheFile) {
  TMetafile mf = Recorded(794, 1123, [](TCanvas& c) {
    c.Pen->Color = clRed;
    c.Rectangle(10, 20, 110, 220);
    c.Pen->Color = clBlue;
    c.Rectangle(5, 5, 50, 50);
  });
  const std::string& d = mf.Data();
  EXPECT_EQ(Get32(d, 0), emr::HEADER);
  EXPECT_EQ(d.substr(40, 4), " EMF");
  EXPECT_EQ(Get32(d, 44), 0x10000u);
  EXPECT_EQ(Get32(d, 48), d.size());
  std::vector<Record> records = Records(mf);
  EXPECT_EQ(Get32(d, 52), records.size());
  // rclBounds: inclusive box of what was drawn; rclFrame: the page in 0.01 mm.
  EXPECT_EQ(I32(d, 8), 5);
  EXPECT_EQ(I32(d, 12), 5);
  EXPECT_EQ(I32(d, 16), 109);
  EXPECT_EQ(I32(d, 20), 219);
  EXPECT_EQ(I32(d, 24), 0);
  EXPECT_EQ(I32(d, 32), 21008);  // 794 px at 96 dpi
  EXPECT_EQ(I32(d, 36), 29713);
  // A 96-dot reference: pixels over millimetres.
  EXPECT_NEAR(I32(d, 72) * 25.4 / I32(d, 80), 96.0, 1e-9);
  EXPECT_NEAR(I32(d, 76) * 25.4 / I32(d, 84), 96.0, 1e-9);
  EXPECT_EQ(mf.MMWidth(), 21008);
  EXPECT_EQ(mf.Width(), 794);
  // Stock objects first, the end record last.
  ASSERT_GE(records.size(), 5u);
  EXPECT_EQ(records[1].type, emr::SELECTOBJECT);
  EXPECT_EQ(Get32(records[1].bytes, 8), 0x80000000u);  // white brush
  EXPECT_EQ(Get32(records[2].bytes, 8), 0x80000007u);  // black pen
  EXPECT_EQ(Get32(records[3].bytes, 8), 0x8000000Du);  // system font
  EXPECT_EQ(records.back().type, emr::EOF_);
  // nHandles counts the slots used, the metafile's own slot included.
  std::uint32_t highest = 0;
  for (const Record& r : records)
    if (r.type == emr::CREATEPEN || r.type == emr::CREATEBRUSHINDIRECT ||
        r.type == emr::EXTCREATEFONTINDIRECTW)
      highest = std::max(highest, Get32(r.bytes, 8));
  EXPECT_EQ(d[56] | (d[57] << 8), static_cast<int>(highest + 1));
}

TEST(Metafile, ObjectsAreCreatedOnlyWhenTheyChange) {
  TMetafile mf = Recorded(100, 100, [](TCanvas& c) {
    c.Pen->Color = clRed;
    c.Rectangle(0, 0, 10, 10);
    c.Rectangle(10, 10, 20, 20);
    c.Pen->Color = clGreen;
    c.Rectangle(0, 0, 10, 10);
  });
  std::vector<Record> pens = OfType(mf, emr::CREATEPEN);
  ASSERT_EQ(pens.size(), 2u);
  EXPECT_EQ(Get32(pens[0].bytes, 24), static_cast<std::uint32_t>(clRed));
  EXPECT_EQ(Get32(pens[1].bytes, 24), static_cast<std::uint32_t>(clGreen));
  std::vector<Record> deleted = OfType(mf, emr::DELETEOBJECT);
  ASSERT_EQ(deleted.size(), 1u);
  EXPECT_EQ(Get32(deleted[0].bytes, 8), Get32(pens[0].bytes, 8));
  EXPECT_EQ(OfType(mf, emr::RECTANGLE).size(), 3u);
  EXPECT_EQ(OfType(mf, emr::CREATEBRUSHINDIRECT).size(), 1u);
}

TEST(Metafile, TextRecordsCarryUnicodeAndAdvances) {
  AnsiString text = "Προσφορά 12,50 €"_a;
  int width = 0;
  TMetafile mf = Recorded(400, 100, [&](TCanvas& c) {
    c.Font->Name = "Arial";
    c.Font->SetSize(10);
    c.Font->Style = fsBold;
    c.Brush->Style = bsClear;
    c.TextOut(15, 25, text);
    width = c.TextWidth(text);
  });
  std::vector<Record> texts = OfType(mf, emr::EXTTEXTOUTW);
  ASSERT_EQ(texts.size(), 1u);
  const std::string& r = texts[0].bytes;
  EXPECT_EQ(I32(r, 36), 15);
  EXPECT_EQ(I32(r, 40), 25);
  EXPECT_EQ(Get32(r, 44), text.size());
  EXPECT_EQ(static_cast<unsigned char>(r[Get32(r, 48)]), 0xA0);  // Π is U+03A0
  EXPECT_EQ(static_cast<unsigned char>(r[Get32(r, 48) + 1]), 0x03);
  int sum = 0;
  for (size_t i = 0; i < text.size(); ++i) sum += I32(r, Get32(r, 72) + 4 * i);
  EXPECT_EQ(sum, width);
  AnsiString back;
  ASSERT_TRUE(TextOfRecord(r, back));
  EXPECT_EQ(back, text);
  std::vector<Record> fonts = OfType(mf, emr::EXTCREATEFONTINDIRECTW);
  ASSERT_EQ(fonts.size(), 1u);
  EXPECT_EQ(I32(fonts[0].bytes, 12), -13);
  EXPECT_EQ(I32(fonts[0].bytes, 28), 700);
  EXPECT_EQ(fonts[0].bytes.substr(40, 10), std::string("A\0r\0i\0a\0l\0", 10));
  EXPECT_EQ(Get32(OfType(mf, emr::SETBKMODE).at(0).bytes, 8), 1u);  // transparent
}

TEST(Metafile, SymbolFontTextComesBackByteForByte) {
  TMetafile mf = Recorded(100, 100, [](TCanvas& c) {
    c.Font->Name = "Symbol";
    c.TextOut(0, 0, "\xB7o");
  });
  AnsiString back;
  ASSERT_TRUE(TextOfRecord(OfType(mf, emr::EXTTEXTOUTW).at(0).bytes, back));
  EXPECT_EQ(back, "\xB7o");
}

// Drawing on the metafile and playing it back at the same size gives the
// picture that drawing directly gives.
void Scene(TCanvas& c) {
  c.Brush->Color = clInfoBk;
  c.FillRect(Rect(0, 0, 200, 120));
  c.Pen->Color = clNavy;
  c.Pen->Width = 1;
  c.Brush->Color = clYellow;
  c.Rectangle(10, 10, 90, 50);
  c.Brush->Style = bsClear;
  c.Ellipse(100, 10, 190, 60);
  c.Pen->Style = psDot;
  c.MoveTo(10, 70);
  c.LineTo(190, 70);
  c.Pen->Style = psSolid;
  c.Polygon({{20, 110}, {60, 80}, {100, 110}});
  c.RoundRect(110, 75, 190, 115, 10, 10);
  c.Font->Name = "Arial";
  c.Font->SetHeight(-13);
  c.Font->Color = clMaroon;
  c.TextOut(15, 20, "Αθήνα Abc"_a);
  c.SelectClipRect(Rect(100, 30, 150, 50));
  c.Brush->Color = clRed;
  c.Brush->Style = bsSolid;
  c.FillRect(Rect(0, 0, 200, 120));
  c.SelectClipRgn(nullptr);
  TPixelBlock block{3, 2, {0xFF0000FF, 0xFF00FF00, 0xFFFF0000, 0xFFFFFFFF, 0xFF000000, 0xFF808080}};
  c.DrawPixels(Rect(160, 90, 166, 94), block, false, clNone);
}

TEST(Metafile, PlaybackMatchesDirectDrawing) {
  TImageCanvas direct(200, 120);
  Scene(direct);
  TMetafile mf = Recorded(200, 120, Scene);
  TImageCanvas played(200, 120);
  EXPECT_TRUE(PlayEnhMetafile(played, mf.Data(), Rect(0, 0, 200, 120)));
  int differing = 0;
  for (int y = 0; y < 120; ++y)
    for (int x = 0; x < 200; ++x) differing += direct.Pixel(x, y) != played.Pixel(x, y);
  EXPECT_EQ(differing, 0);
}

TEST(Metafile, PlaybackStretchesTheFrameIntoTheRectangle) {
  TMetafile mf = Recorded(100, 50, [](TCanvas& c) {
    c.Brush->Color = clBlue;
    c.FillRect(Rect(10, 10, 20, 20));
  });
  TImageCanvas target(300, 200);
  target.Draw(50, 20, &mf);  // natural size
  EXPECT_EQ(target.Pixel(60, 30), clBlue);
  EXPECT_EQ(target.Pixel(69, 39), clBlue);
  EXPECT_EQ(target.Pixel(70, 40), clWhite);
  TImageCanvas twice(300, 200);
  twice.StretchDraw(Rect(0, 0, 200, 100), &mf);
  EXPECT_EQ(twice.Pixel(20, 20), clBlue);
  EXPECT_EQ(twice.Pixel(39, 39), clBlue);
  EXPECT_EQ(twice.Pixel(40, 40), clWhite);
  EXPECT_EQ(twice.Pixel(19, 19), clWhite);
}

TEST(Metafile, PlaybackKeepsTheCallersClipAndState) {
  TMetafile mf = Recorded(100, 100, [](TCanvas& c) {
    c.Brush->Color = clRed;
    c.FillRect(Rect(0, 0, 100, 100));
  });
  TImageCanvas target(100, 100);
  target.SelectClipRect(Rect(0, 0, 50, 100));
  target.Brush->Color = clLime;
  target.Draw(0, 0, &mf);
  EXPECT_EQ(target.Pixel(49, 50), clRed);
  EXPECT_EQ(target.Pixel(50, 50), clWhite);
  EXPECT_EQ(target.Brush->Color, clLime);
  EXPECT_EQ(target.ClipRect(), Rect(0, 0, 50, 100));
}

TEST(Metafile, PrinterReferenceSetsTheUnits) {
  TRecordingCanvas printer(4960, 7016, 600);
  TMetafile mf;
  mf.SetWidth(4960);
  mf.SetHeight(7016);
  { TMetafileCanvas canvas(&mf, &printer); }
  EXPECT_EQ(I32(mf.Data(), 32), 20997);  // 4960 dots at 600 dpi in 0.01 mm
  EXPECT_EQ(mf.MMWidth(), 20997);
}

TEST(Metafile, StreamsReadExactlyTheirBytes) {
  TMetafile a = Recorded(50, 50, [](TCanvas& c) { c.Rectangle(1, 1, 9, 9); });
  TMetafile b = Recorded(60, 40, [](TCanvas& c) { c.Ellipse(1, 1, 9, 9); });
  TMemoryStream stream;
  a.SaveToStream(stream);
  b.SaveToStream(stream);
  stream.WriteBuffer("tail", 4);
  stream.SetPosition(0);
  TMetafile first, second;
  first.LoadFromStream(stream);
  second.LoadFromStream(stream);
  EXPECT_EQ(first.Data(), a.Data());
  EXPECT_EQ(second.Data(), b.Data());
  EXPECT_EQ(second.Width(), 60);
  EXPECT_EQ(stream.Position(), stream.Size() - 4);
  TMetafile bad;
  EXPECT_THROW(bad.LoadFromStream(stream), EInvalidGraphic);
  EXPECT_THROW(bad.SetData("not a metafile"), EInvalidGraphic);
  std::string shortened = a.Data().substr(0, a.Data().size() - 4);
  EXPECT_THROW(bad.SetData(shortened), EInvalidGraphic);
  EXPECT_TRUE(bad.Empty());
}

// A metafile with one extra record spliced in before the end record.
std::string WithRecord(const std::string& emf, const std::string& record) {
  std::string out = emf.substr(0, emf.size() - 20) + record + emf.substr(emf.size() - 20);
  le::Patch32(out, 48, static_cast<std::uint32_t>(out.size()));
  return out;
}
std::string MakeRecord(std::uint32_t type, std::vector<std::uint32_t> fields,
                       std::uint32_t declaredSize = 0) {
  std::string r;
  const auto put = [&](std::uint32_t v) { le::Put32(r, v); };
  put(type);
  // 0x80000000 stands for a declared size of zero.
  put(declaredSize == 0x80000000 ? 0
      : declaredSize             ? declaredSize
                                 : static_cast<std::uint32_t>(8 + 4 * fields.size()));
  for (std::uint32_t f : fields) put(f);
  return r;
}

TEST(Metafile, DamagedMetafilesAreRefusedWithoutHarm) {
  TMetafile mf = Recorded(100, 100, [](TCanvas& c) {
    c.Brush->Color = clRed;
    c.FillRect(Rect(0, 0, 100, 100));
  });
  const std::string& good = mf.Data();
  struct Case {
    const char* what;
    std::string bytes;
    bool sound;
  } cases[] = {
      {"empty", "", false},
      {"truncated header", good.substr(0, 60), false},
      {"cut in a record", good.substr(0, good.size() - 30), false},
      {"unknown record", WithRecord(good, MakeRecord(999, {1, 2, 3})), true},
      {"record size zero", WithRecord(good, MakeRecord(emr::RECTANGLE, {0, 0, 5, 5}, 0x80000000)), false},
      {"record size not a multiple of four", WithRecord(good, MakeRecord(emr::RECTANGLE, {0, 0, 5, 5}, 22)),
       false},
      {"record longer than the file", WithRecord(good, MakeRecord(emr::RECTANGLE, {0, 0, 5, 5}, 4000)),
       false},
      {"rectangle too short", WithRecord(good, MakeRecord(emr::RECTANGLE, {0, 0})), false},
      {"huge polygon count", WithRecord(good, MakeRecord(emr::POLYGON16, {0, 0, 9, 9, 0x7FFFFFFF, 0})),
       false},
      {"huge polypolygon", WithRecord(good, MakeRecord(emr::POLYPOLYGON16, {0, 0, 9, 9, 0x40000000, 3, 1})),
       false},
      {"text string outside",
       WithRecord(good,
                  MakeRecord(emr::EXTTEXTOUTW, {0, 0, 0, 0, 1, 0, 0, 0, 0, 50, 5000, 0, 0, 0, 0, 0, 0})),
       false},
      {"text count huge",
       WithRecord(
           good, MakeRecord(emr::EXTTEXTOUTA, {0, 0, 0, 0, 1, 0, 0, 0, 0, 0xFFFFFFFF, 76, 0, 0, 0, 0, 0, 0})),
       false},
      {"handle out of range", WithRecord(good, MakeRecord(emr::SELECTOBJECT, {60000})), true},
      {"clip region too long", WithRecord(good, MakeRecord(emr::EXTSELECTCLIPRGN, {0x7FFFFFF0, 5})), false},
      {"bitmap bits outside",
       WithRecord(good, MakeRecord(emr::STRETCHDIBITS, {0, 0, 9, 9, 0, 0, 0, 0, 4, 4, 80, 40, 120, 0x7FFFFFFF,
                                                        0, 0xCC0020, 4, 4})),
       false},
      {"restore without save", WithRecord(good, MakeRecord(emr::RESTOREDC, {0xFFFFFF00})), true},
      {"zero window extent", WithRecord(good, MakeRecord(emr::SETWINDOWEXTEX, {0, 0})), true},
  };
  for (const Case& c : cases) {
    TImageCanvas target(100, 100);
    EXPECT_EQ(PlayEnhMetafile(target, c.bytes, Rect(0, 0, 100, 100)), c.sound) << c.what;
    if (c.sound) {
      EXPECT_EQ(target.Pixel(50, 50), clRed) << c.what;
    }
  }
}

TEST(Metafile, RecordEnumerationFindsText) {
  TMetafile mf = Recorded(300, 100, [](TCanvas& c) {
    c.TextOut(0, 0, "Σελίδα 1"_a);
    c.TextOut(0, 20, "Σύνολο"_a);
  });
  std::vector<AnsiString> texts;
  EXPECT_TRUE(EnumEnhMetafile(mf.Data(), [&](std::uint32_t, std::string_view r) {
    AnsiString t;
    if (TextOfRecord(r, t)) texts.push_back(t);
    return true;
  }));
  EXPECT_EQ(texts, (std::vector<AnsiString>{"Σελίδα 1"_a, "Σύνολο"_a}));
  int visited = 0;
  EnumEnhMetafile(mf.Data(), [&](std::uint32_t, std::string_view) { return ++visited < 3; });
  EXPECT_EQ(visited, 3);
  EXPECT_FALSE(EnumEnhMetafile("junk", [](std::uint32_t, std::string_view) { return true; }));
}

// Every committed fuzzing input plays (as far as it is sound) without harm.
TEST(Metafile, FuzzCorpusPlaysSafely) {
  std::filesystem::path corpus = std::filesystem::path(DIM_TEST_DATA) / "../../../fuzz/corpus/gfx_emf";
  int files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(corpus)) {
    std::ifstream in(entry.path(), std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    TImageCanvas target(40, 30);
    PlayEnhMetafile(target, bytes.str(), Rect(0, 0, 40, 30));
    ++files;
  }
  EXPECT_GE(files, 3);
}

}  // namespace
