// Bitmaps, icons, JPEG pictures and TPicture: every depth reads to the
// right pixels, writing and reading give the same picture back, and
// damaged files are refused without touching what was loaded.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>

#include "../rtl/TempFolder.h"
#include "IcoWriter.h"
#include "platform/gfx/Jpeg.h"
#include "platform/gfx/Metafile.h"
#include "platform/gfx/Picture.h"
#include "platform/rtl/ByteOrder.h"
#include "platform/rtl/FileUtils.h"

namespace {

using le::Put16;
using le::Put32;

// A BMP file written byte by byte, independent of the code under test.
// Rows are given top to bottom as palette indices or 0xRRGGBB values.
std::string MakeBmp(int bpp, const std::vector<std::vector<std::uint32_t>>& rows,
                    const std::vector<std::uint32_t>& palette = {}, bool topDown = false) {
  int h = static_cast<int>(rows.size()), w = static_cast<int>(rows[0].size());
  int stride = ((w * bpp + 31) / 32) * 4;
  std::string bits;
  for (int r = 0; r < h; ++r) {
    const auto& row = rows[topDown ? r : h - 1 - r];
    std::string line(stride, '\0');
    for (int x = 0; x < w; ++x) {
      std::uint32_t v = row[x];
      switch (bpp) {
        case 1:
          line[x / 8] |= static_cast<char>((v & 1) << (7 - x % 8));
          break;
        case 4:
          line[x / 2] |= static_cast<char>((v & 0xF) << (x % 2 ? 0 : 4));
          break;
        case 8:
          line[x] = static_cast<char>(v);
          break;
        case 24:
        case 32:
          line[x * bpp / 8] = static_cast<char>(v & 0xFF);
          line[x * bpp / 8 + 1] = static_cast<char>((v >> 8) & 0xFF);
          line[x * bpp / 8 + 2] = static_cast<char>((v >> 16) & 0xFF);
          break;
      }
    }
    bits += line;
  }
  std::string info;
  Put32(info, 40);
  Put32(info, w);
  Put32(info, topDown ? -h : h);
  Put16(info, 1);
  Put16(info, bpp);
  Put32(info, 0);
  Put32(info, bits.size());
  Put32(info, 0);
  Put32(info, 0);
  Put32(info, palette.size());
  Put32(info, 0);
  for (std::uint32_t c : palette) Put32(info, c);
  std::string file = "BM";
  Put32(file, 14 + info.size() + bits.size());
  Put32(file, 0);
  Put32(file, 14 + info.size());
  return file + info + bits;
}

TEST(Bitmap, ReadsEveryDepth) {
  const std::uint32_t red = 0xFF0000, green = 0x00FF00, blue = 0x0000FF;
  struct Case {
    int bpp;
    std::vector<std::uint32_t> palette;
    std::vector<std::vector<std::uint32_t>> rows;
    TPixelFormat format;
  } cases[] = {
      {1, {red, blue}, {{0, 1, 1, 0, 1, 0, 0, 0, 1}, {1, 1, 1, 1, 1, 1, 1, 1, 0}}, pf1bit},
      {4, {red, green, blue}, {{0, 1, 2}, {2, 1, 0}, {1, 1, 1}}, pf4bit},
      {8, {red, green, blue}, {{2, 0}, {1, 2}}, pf8bit},
      {24, {}, {{red, green, blue}, {blue, blue, red}}, pf24bit},
      {32, {}, {{red, green}, {blue, red}}, pf32bit},
  };
  for (const Case& c : cases) {
    for (bool topDown : {false, true}) {
      TBitmap bitmap;
      bitmap.LoadFromBytes(MakeBmp(c.bpp, c.rows, c.palette, topDown));
      SCOPED_TRACE(std::to_string(c.bpp) + (topDown ? " top-down" : ""));
      ASSERT_EQ(bitmap.Height(), static_cast<int>(c.rows.size()));
      ASSERT_EQ(bitmap.Width(), static_cast<int>(c.rows[0].size()));
      EXPECT_EQ(bitmap.PixelFormat, c.format);
      for (size_t y = 0; y < c.rows.size(); ++y)
        for (size_t x = 0; x < c.rows[y].size(); ++x) {
          std::uint32_t rgb = c.palette.empty() ? c.rows[y][x] : c.palette[c.rows[y][x]];
          EXPECT_EQ(bitmap.Pixel(x, y), RGB(rgb >> 16, (rgb >> 8) & 0xFF, rgb & 0xFF)) << x << "," << y;
        }
    }
  }
}

TEST(Bitmap, WritesAndReadsBack24And32Bits) {
  for (TPixelFormat format : {pf24bit, pf32bit, pf8bit}) {
    TBitmap bitmap(7, 5);
    bitmap.PixelFormat = format;
    for (int y = 0; y < 5; ++y)
      for (int x = 0; x < 7; ++x) bitmap.SetPixel(x, y, RGB(x * 30, y * 40, 200 - x * y));
    std::string bytes = bitmap.SaveToBytes();
    EXPECT_EQ(static_cast<unsigned char>(bytes[28]), format == pf32bit ? 32 : 24);
    TBitmap copy;
    copy.LoadFromBytes(bytes);
    EXPECT_EQ(copy.Pixels().Pixels, bitmap.Pixels().Pixels);
  }
}

TEST(Bitmap, StreamReadsOnlyItsOwnBytes) {
  std::string first = MakeBmp(24, {{0xFF0000}}), second = MakeBmp(24, {{0x0000FF, 0x0000FF}});
  TMemoryStream stream;
  stream.WriteBuffer((first + second).data(), static_cast<int>(first.size() + second.size()));
  stream.SetPosition(0);
  TBitmap a, b;
  a.LoadFromStream(stream);
  EXPECT_EQ(stream.Position(), static_cast<Int64>(first.size()));
  b.LoadFromStream(stream);
  EXPECT_EQ(a.Width(), 1);
  EXPECT_EQ(b.Width(), 2);
  EXPECT_EQ(b.Pixel(1, 0), clBlue);
}

TEST(Bitmap, DamagedFilesAreRefusedAndKeepThePicture) {
  std::string good = MakeBmp(8, {{0, 1}, {1, 0}}, {0xFF0000, 0x00FF00});
  auto patched = [&](size_t at, std::uint32_t value) {
    std::string s = good;
    for (int i = 0; i < 4; ++i) s[at + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
    return s;
  };
  std::vector<std::string> damaged = {
      "",
      "BM",
      "XX" + good.substr(2),
      good.substr(0, good.size() - 1),  // truncated bits
      good.substr(0, 30),               // truncated header
      patched(18, 0),                   // zero width
      patched(18, 0x7FFFFFFF),          // huge width
      patched(22, 0x80000000),          // most negative height
      patched(14, 39),                  // unknown header size
      patched(46, 300),                 // palette of more than 256 colours
      patched(30, 1),                   // run-length coding
  };
  TBitmap bitmap;
  bitmap.LoadFromBytes(good);
  for (size_t i = 0; i < damaged.size(); ++i) {
    EXPECT_THROW(bitmap.LoadFromBytes(damaged[i]), EInvalidGraphic) << i;
    EXPECT_EQ(bitmap.Width(), 2);
    EXPECT_EQ(bitmap.Pixel(1, 0), clLime);
  }
  try {
    bitmap.LoadFromBytes("BMxx");
  } catch (const EInvalidGraphic& e) {
    EXPECT_EQ(e.Message, "Bitmap image is not valid");
  }
}

TEST(Bitmap, CanvasDrawsOnItAndResizingKeepsTheContent) {
  TBitmap bitmap(10, 10);
  bitmap.Canvas()->Brush->Color = clRed;
  bitmap.Canvas()->FillRect(Rect(0, 0, 5, 5));
  bitmap.SetSize(20, 8);
  EXPECT_EQ(bitmap.Pixel(4, 4), clRed);
  EXPECT_EQ(bitmap.Pixel(15, 4), clWhite);
  EXPECT_EQ(bitmap.Height(), 8);
  bitmap.SetSize(0, 0);
  EXPECT_TRUE(bitmap.Empty());
  EXPECT_EQ(bitmap.Canvas(), nullptr);
  EXPECT_EQ(bitmap.SaveToBytes(), "");
}

TEST(Bitmap, TransparentDrawingLeavesTheKeyColourOut) {
  TBitmap bitmap(4, 4);
  bitmap.Canvas()->Brush->Color = clFuchsia;
  bitmap.Canvas()->FillRect(Rect(0, 0, 4, 4));
  bitmap.SetPixel(1, 1, clBlue);
  TImageCanvas target(8, 8);
  target.Brush->Color = clYellow;
  target.FillRect(Rect(0, 0, 8, 8));
  bitmap.Transparent = true;  // key: the bottom-left pixel
  target.StretchDraw(Rect(0, 0, 8, 8), &bitmap);
  EXPECT_EQ(target.Pixel(0, 0), clYellow);
  EXPECT_EQ(target.Pixel(2, 2), clBlue);
  EXPECT_EQ(target.Pixel(3, 3), clBlue);
  bitmap.Transparent = false;
  target.Draw(0, 0, &bitmap);
  EXPECT_EQ(target.Pixel(0, 0), clFuchsia);
  EXPECT_EQ(target.Pixel(5, 5), clYellow);
}

TEST(Icon, PicksThe32PixelImageAndHonoursTransparency) {
  for (int bpp : {24, 32}) {
    TIcon icon;
    icon.LoadFromBytes(MakeIco({{16, bpp}, {32, bpp}, {48, bpp}}));
    ASSERT_EQ(icon.Width(), 32);
    EXPECT_EQ(icon.Pixels().At(5, 5) & 0xFF, 32u);
    TImageCanvas target(32, 32);
    target.Brush->Color = clLime;
    target.FillRect(Rect(0, 0, 32, 32));
    target.Draw(0, 0, &icon);
    EXPECT_EQ(target.Pixel(0, 7), clLime) << bpp;
    EXPECT_EQ(target.Pixel(1, 7), RGB(0x80, 0, 32)) << bpp;
  }
  TIcon largest;
  largest.LoadFromBytes(MakeIco({{16, 24}, {48, 24}}));
  EXPECT_EQ(largest.Width(), 48);
}

TEST(Icon, PngImagesInsideIcons) {
  TImageCanvas source(20, 20);
  source.Brush->Color = clRed;
  source.FillRect(Rect(0, 0, 20, 20));
  std::vector<std::uint8_t> png = source.PngBytes();
  std::string ico;
  Put16(ico, 0);
  Put16(ico, 1);
  Put16(ico, 1);
  ico += std::string("\x14\x14\0\0", 4);
  Put16(ico, 1);
  Put16(ico, 32);
  Put32(ico, png.size());
  Put32(ico, 22);
  ico.append(png.begin(), png.end());
  TIcon icon;
  icon.LoadFromBytes(ico);
  EXPECT_EQ(icon.Width(), 20);
  EXPECT_EQ(icon.Pixels().At(3, 3), 0xFFFF0000u);
}

TEST(Icon, DamagedIconsAreRefused) {
  std::string good = MakeIco({{16, 24}});
  std::vector<std::string> damaged = {
      "",
      good.substr(0, 5),
      good.substr(0, 21),
      good.substr(0, good.size() - 200),
      std::string("\0\0\3\0\1\0", 6) + good.substr(6),  // not an icon
      std::string("\0\0\1\0\0\0", 6),                   // no images
  };
  std::string farOffset = good;
  farOffset[18] = '\x7F';
  damaged.push_back(farOffset);
  TIcon icon;
  for (size_t i = 0; i < damaged.size(); ++i)
    EXPECT_THROW(icon.LoadFromBytes(damaged[i]), EInvalidGraphic) << i;
  EXPECT_TRUE(icon.Empty());
}

TEST(Jpeg, EncodesAndDecodes) {
  TBitmap bitmap(16, 8);
  bitmap.Canvas()->Brush->Color = clBlue;
  bitmap.Canvas()->FillRect(Rect(0, 0, 8, 8));
  TJPEGImage jpeg;
  jpeg.Assign(bitmap);
  std::string bytes = jpeg.SaveToBytes();
  ASSERT_GT(bytes.size(), 100u);
  EXPECT_EQ(static_cast<unsigned char>(bytes[0]), 0xFF);
  EXPECT_EQ(static_cast<unsigned char>(bytes[1]), 0xD8);
  TJPEGImage back;
  back.LoadFromBytes(bytes);
  EXPECT_EQ(back.Width(), 16);
  EXPECT_EQ(back.Height(), 8);
  std::uint32_t left = back.Pixels().At(2, 4), right = back.Pixels().At(13, 4);
  EXPECT_LT((left >> 16) & 0xFF, 40u);
  EXPECT_GT(left & 0xFF, 200u);
  EXPECT_GT((right >> 16) & 0xFF, 200u);
  EXPECT_EQ(back.SaveToBytes(), bytes);  // the bytes as read
}

TEST(Jpeg, DamagedDataRaisesInsteadOfEndingTheProcess) {
  TBitmap bitmap(8, 8);
  TJPEGImage jpeg;
  jpeg.Assign(bitmap);
  std::string good = jpeg.SaveToBytes();
  size_t frame = 0;
  for (size_t i = 0; i + 8 < good.size() && frame == 0; ++i)
    if (static_cast<unsigned char>(good[i]) == 0xFF && static_cast<unsigned char>(good[i + 1]) == 0xC0)
      frame = i;
  ASSERT_NE(frame, 0u);
  std::string badPrecision = good;
  badPrecision[frame + 4] = '\x03';
  std::string hugeSize = good;
  hugeSize[frame + 5] = '\x7F';  // height
  hugeSize[frame + 7] = '\x7F';  // width
  // 4000 × 4000 claimed by a few hundred bytes: refused before decoding.
  std::string largeClaim = good;
  largeClaim[frame + 5] = '\x0F';
  largeClaim[frame + 6] = '\xA0';
  largeClaim[frame + 7] = '\x0F';
  largeClaim[frame + 8] = '\xA0';
  TJPEGImage target;
  for (const std::string& bytes : {std::string(), std::string("\xFF\xD8"), good.substr(0, good.size() / 2),
                                   std::string("not a jpeg at all"), badPrecision, hugeSize, largeClaim}) {
    EXPECT_THROW(target.LoadFromBytes(bytes), EInvalidGraphic);
    EXPECT_TRUE(target.Empty());
  }
}

TEST(PictureFiles, ChoosesTheKindByExtension) {
  TempFolder folder;
  const auto Path = [&](const char* name) { return folder / name; };
  TBitmap bitmap(3, 2);
  bitmap.SetPixel(0, 0, clRed);
  bitmap.SaveToFile(Path("a.BMP"));
  TJPEGImage jpeg;
  jpeg.Assign(bitmap);
  jpeg.SaveToFile(Path("b.jpeg"));
  TPicture picture;
  picture.LoadFromFile(Path("a.BMP"));
  ASSERT_NE(dynamic_cast<TBitmap*>(picture.Graphic()), nullptr);
  EXPECT_EQ(picture.Bitmap()->Pixel(0, 0), clRed);
  picture.LoadFromFile(Path("b.jpeg"));
  EXPECT_NE(dynamic_cast<TJPEGImage*>(picture.Graphic()), nullptr);
  EXPECT_EQ(picture.Width(), 3);
  try {
    picture.LoadFromFile(Path("c.tif"));
    FAIL();
  } catch (const EInvalidGraphic& e) {
    EXPECT_EQ(e.Message, "Unknown picture file extension (.tif)");
  }
  EXPECT_THROW(picture.LoadFromFile(Path("missing.bmp")), EFOpenError);
  // A bitmap file with a JPEG name: refused, the picture stays.
  std::filesystem::copy_file(folder.path() + "/a.BMP", folder.path() + "/wrong.jpg");
  EXPECT_THROW(picture.LoadFromFile(Path("wrong.jpg")), EInvalidGraphic);
  EXPECT_NE(dynamic_cast<TJPEGImage*>(picture.Graphic()), nullptr);
  EXPECT_NE(dynamic_cast<TMetafile*>(TPicture::NewGraphicFor(".EMF").get()), nullptr);
}

// A pipe, a folder or a file past the bound under a picture's name is
// refused at once with the file's name, and the picture stays as it was.
TEST(PictureFiles, OnlyRegularFilesWithinTheBoundAreRead) {
  TempFolder folder;
  TBitmap bitmap(2, 2);
  bitmap.SaveToFile(folder / "good.bmp");
  TPicture picture;
  picture.LoadFromFile(folder / "good.bmp");
  ASSERT_EQ(::mkfifo((folder.path() + "/pipe.bmp").c_str(), 0600), 0);
  std::filesystem::create_directory(folder.path() + "/folder.jpg");
  { std::ofstream sparse(folder.path() + "/huge.bmp", std::ios::binary); }
  std::filesystem::resize_file(folder.path() + "/huge.bmp",
                               static_cast<std::uintmax_t>(MaxPictureFileSize) + 1);
  const struct {
    const char* name;
    bool tooLarge;
  } cases[] = {{"pipe.bmp", false}, {"folder.jpg", false}, {"huge.bmp", true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    try {
      picture.LoadFromFile(folder / c.name);
      FAIL();
    } catch (const EReadError& e) {
      EXPECT_TRUE(c.tooLarge);
      EXPECT_NE(e.Message.find(c.name), AnsiString::npos);
    } catch (const EFOpenError& e) {
      EXPECT_FALSE(c.tooLarge);
      EXPECT_NE(e.Message.find(c.name), AnsiString::npos);
    }
    EXPECT_EQ(picture.Width(), 2);
  }
}

TEST(Resources, NamedBitmapsArePaintedOnRequest) {
  RegisterBitmapResource("TestArrow", 5, 4, [](TBitmap& b) { b.SetPixel(2, 1, clNavy); });
  EXPECT_TRUE(HasBitmapResource("TESTARROW"));
  std::unique_ptr<TBitmap> bitmap = LoadBitmapResource("testarrow");
  EXPECT_EQ(bitmap->Width(), 5);
  EXPECT_EQ(bitmap->Pixel(2, 1), clNavy);
  EXPECT_THROW(LoadBitmapResource("NoSuch"), EResNotFound);
}

TEST(Resources, CursorsKeepTheirHotSpotAndTransparency) {
  RegisterCursorResource("8011", 8, 8, {3, 4}, [](TBitmap& b) {
    b.Canvas()->Brush->Color = clBlack;
    b.Canvas()->FillRect(Rect(2, 2, 5, 5));
  });
  EXPECT_TRUE(HasCursorResource("8011"));
  EXPECT_FALSE(HasBitmapResource("8011"));
  TCursorImage cursor = LoadCursorResource("8011");
  EXPECT_EQ(cursor.HotSpot, Point(3, 4));
  TImageCanvas target(8, 8);
  target.Brush->Color = clYellow;
  target.FillRect(Rect(0, 0, 8, 8));
  target.Draw(0, 0, cursor.Picture.get());
  EXPECT_EQ(target.Pixel(0, 0), clYellow);
  EXPECT_EQ(target.Pixel(3, 3), clBlack);
  EXPECT_THROW(LoadCursorResource("8099"), EResNotFound);
}

}  // namespace

namespace {

// Every committed fuzzing input (crashes found included) loads or is
// refused with EInvalidGraphic.
TEST(Pictures, FuzzCorporaLoadOrAreRefused) {
  std::filesystem::path corpora = std::filesystem::path(DIM_TEST_DATA) / "../../../fuzz/corpus";
  struct Reader {
    const char* folder;
    std::function<void(const std::string&)> load;
  } readers[] = {
      {"gfx_bmp", [](const std::string& b) { TBitmap().LoadFromBytes(b); }},
      {"gfx_ico", [](const std::string& b) { TIcon().LoadFromBytes(b); }},
      {"gfx_jpeg", [](const std::string& b) { TJPEGImage().LoadFromBytes(b); }},
  };
  int files = 0;
  for (const Reader& reader : readers)
    for (const auto& entry : std::filesystem::directory_iterator(corpora / reader.folder)) {
      std::string bytes = ReadWholeFile(entry.path().string());
      try {
        reader.load(bytes);
      } catch (const EInvalidGraphic&) {
      }
      ++files;
    }
  EXPECT_GE(files, 6);
}

}  // namespace
