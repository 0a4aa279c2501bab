#include <gtest/gtest.h>

#include "GifWriter.h"
#include "platform/gfx/Gif.h"
#include "platform/gfx/Picture.h"

namespace {

using giftest::Frame;
using giftest::MakeGif;

TEST(Gif, ReadsEveryFrameWithItsPlaceAndColours) {
  Frame first{0, 0, 4, 2};
  Frame second{2, 1, 2, 2, {2, 3, 0, 2}};
  second.Transparent = 0;
  Frame third{1, 1, 1, 1};
  third.LocalColours = {{9, 8, 7}, {1, 2, 3}};
  third.Indices = {1};
  TGIFImage gif;
  gif.LoadFromBytes(MakeGif(6, 5, {first, second, third}));
  ASSERT_EQ(gif.FrameCount(), 3);
  EXPECT_EQ(gif.ScreenWidth(), 6);
  EXPECT_EQ(gif.ScreenHeight(), 5);
  EXPECT_EQ(gif.Width(), 4);
  EXPECT_EQ(gif.Frames(0).Pixels.At(0, 0), 0xFFFF0000u);
  const TGifFrame& f2 = gif.Frames(1);
  EXPECT_EQ(f2.Left, 2);
  EXPECT_EQ(f2.Top, 1);
  EXPECT_EQ(f2.Pixels.At(0, 0), 0xFF00FF00u);
  EXPECT_EQ(f2.Pixels.At(1, 0), 0xFF0000FFu);
  EXPECT_EQ(f2.Pixels.At(0, 1), 0u);  // transparent
  EXPECT_EQ(gif.Frames(2).Pixels.At(0, 0), 0xFF010203u);
  gif.SetCurrentFrame(1);
  EXPECT_EQ(gif.Width(), 2);
  gif.SetCurrentFrame(7);
  EXPECT_EQ(gif.CurrentFrame(), 1);
}

TEST(Gif, PutsInterlacedRowsInOrder) {
  Frame f{0, 0, 1, 10};
  f.Interlace = true;
  for (int y = 0; y < 10; ++y) f.Indices.push_back(static_cast<unsigned char>(y % 4));
  TGIFImage gif;
  gif.LoadFromBytes(MakeGif(1, 10, {f}));
  const std::uint32_t expected[] = {0xFF000000u, 0xFFFF0000u, 0xFF00FF00u, 0xFF0000FFu};
  for (int y = 0; y < 10; ++y) EXPECT_EQ(gif.Frames(0).Pixels.At(0, y), expected[y % 4]) << y;
}

TEST(Gif, RefusesDamagedFilesAndKeepsWholeFrames) {
  const std::string good = MakeGif(4, 4, {Frame{0, 0, 4, 4}, Frame{0, 0, 4, 4}});
  TGIFImage gif;
  for (const std::string& bad : {std::string("GIF89a"), std::string("GIF89a\1\0\1\0\0\0\0;"),
                                 good.substr(0, 20), std::string("not a gif at all")})
    EXPECT_THROW(gif.LoadFromBytes(bad), EInvalidGraphic);
  EXPECT_TRUE(gif.Empty());
  // Cut inside the second frame: the first stays.
  gif.LoadFromBytes(good.substr(0, good.size() - 6));
  EXPECT_EQ(gif.FrameCount(), 1);
  // A frame larger than a picture may be.
  EXPECT_THROW(gif.LoadFromBytes(MakeGif(4, 4, {Frame{0, 0, 20000, 1}})), EInvalidGraphic);
}

TEST(Gif, PicturesAreRecognisedByTheirBytes) {
  TBitmap bmp(3, 2);
  struct Case {
    std::string bytes;
    int width;
  } cases[] = {{bmp.SaveToBytes(), 3}, {MakeGif(5, 5, {Frame{0, 0, 5, 1}}), 5}};
  for (const Case& c : cases) EXPECT_EQ(GraphicFromBytes(c.bytes)->Width(), c.width);
  EXPECT_THROW(GraphicFromBytes("PK\3\4 zip"), EInvalidGraphic);
  EXPECT_THROW(GraphicFromBytes(""), EInvalidGraphic);
  EXPECT_NE(dynamic_cast<TGIFImage*>(TPicture::NewGraphicFor(".GIF").get()), nullptr);
}

}  // namespace
