#include <gtest/gtest.h>

#include "../platform/gfx/GifWriter.h"
#include "HTMLTestSupport.h"
#include "platform/rtl/FileUtils.h"

namespace {

using giftest::Frame;

std::string ThreeFrames() {
  return giftest::MakeGif(20, 20, {Frame{0, 0, 20, 20}, Frame{3, 4, 5, 6}, Frame{7, 8, 2, 2}});
}

void Load(THTMLPicture& picture, const std::string& bytes) {
  TStringStream stream{bytes};
  picture.LoadFromStream(stream);
}

TEST(PictureContainer, ShowsOneFrameOfAnAnimation) {
  THTMLPicture picture;
  int frameChanges = 0, changes = 0;
  picture.OnFrameChange = [&](TObject*) { ++frameChanges; };
  picture.OnChange = [&](TObject*) { ++changes; };
  Load(picture, ThreeFrames());
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(picture.FrameCount(), 3);
  EXPECT_EQ(picture.Width(), 20);
  picture.SetFrame(2);
  EXPECT_EQ(frameChanges, 1);
  EXPECT_EQ(picture.Width(), 5);
  EXPECT_EQ(picture.Height(), 6);
  EXPECT_EQ(picture.FrameXPos(), 3);
  EXPECT_EQ(picture.FrameYPos(), 4);
  EXPECT_EQ(picture.AnimationWidth(), 20);

  // The renderer clears the animation's area and draws the frame at its offset.
  TPictureContainer container(nullptr);
  TPictureItem* item = container.Items().Add();
  item->Name = "anim";
  item->SetPicture(&picture);
  item->Picture()->SetFrame(2);
  HtmlCall h;
  h.container = &container;
  h.Draw(R"(<IMG SRC="ANIM">)");
  const auto fills = h.canvas.CallsOf("FillRect");
  ASSERT_EQ(fills.size(), 1u);
  EXPECT_EQ(fills[0].Args, (std::vector<int>{1, 0, 21, 20}));
  EXPECT_EQ(fills[0].Brush.Color, clWhite);
  const auto pixels = h.canvas.CallsOf("DrawPixels");
  ASSERT_EQ(pixels.size(), 1u);
  EXPECT_EQ(std::vector<int>(pixels[0].Args.begin(), pixels[0].Args.begin() + 4),
            (std::vector<int>{4, 4, 9, 10}));
}

TEST(PictureContainer, CountsFramesByControlBlocks) {
  THTMLPicture picture;
  EXPECT_EQ(picture.FrameCount(), -1);
  Load(picture, TBitmap(2, 2).SaveToBytes());
  EXPECT_EQ(picture.FrameCount(), -1);
  Frame plain{0, 0, 3, 3};
  plain.Control = false;
  Load(picture, giftest::MakeGif(3, 3, {plain, plain}));
  EXPECT_EQ(picture.FrameCount(), 0);
  EXPECT_EQ(picture.Width(), 3);
  // A frame mark too near the end is no frame.
  std::string cut = ThreeFrames();
  const size_t last = cut.rfind("!\xF9\x04");
  cut.resize(last + 12);
  THTMLPicture damaged;
  EXPECT_THROW(Load(damaged, cut.substr(0, 9)), Exception);
  damaged.Assign(nullptr);
  TStringStream stream{cut};
  damaged.ReadData(stream);
  EXPECT_EQ(damaged.FrameCount(), 2);
}

TEST(PictureContainer, FailuresKeepTheBytesAndDrawNothing) {
  THTMLPicture picture;
  try {
    Load(picture, "not a picture");
    FAIL();
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message, "Could not load image. Invalid format");
  }
  EXPECT_FALSE(picture.Empty());
  EXPECT_EQ(picture.Width(), 0);
  TMemoryStream saved;
  picture.SaveToStream(saved);
  EXPECT_EQ(saved.Size(), 13);
  EXPECT_THROW(Load(picture, giftest::MakeGif(20000, 1, {Frame{0, 0, 16385, 1}})), Exception);
  EXPECT_THROW(picture.LoadFromFile("/no/such/picture.gif"), Exception);
  picture.Assign(nullptr);
  EXPECT_TRUE(picture.Empty());
}

TEST(PictureContainer, SourcesCacheAndNames) {
  THTMLPicture picture;
  picture.LoadFromSource("res://nothing");
  EXPECT_TRUE(picture.Empty());
  EXPECT_EQ(picture.ID, "RES://NOTHING");
  RegisterRawResource("dot", TBitmap(4, 4).SaveToBytes());
  picture.LoadFromSource("RES://DOT");
  EXPECT_EQ(picture.Width(), 4);

  THTMLPicture remote;
  remote.Asynchronous = false;
  remote.LoadFromSource("http://host/a.gif");
  EXPECT_EQ(remote.ID, "HTTP://HOST/A.GIF");
  EXPECT_EQ(remote.URL, remote.ID);
  EXPECT_TRUE(remote.Empty());
  THTMLPicture async;
  async.LoadFromSource("http://host/a.gif");
  EXPECT_TRUE(async.Downloading());
  EXPECT_EQ(async.ID, "");

  // FILE:// names are upper-cased and found whatever their case.
  const AnsiString file = "html_picture_test.gif";
  SafeWriteFile(file, ThreeFrames());
  THTMLPictureCache cache;
  HtmlCall h;
  h.cache = &cache;
  h.Draw("<IMG SRC=\"file://" + ExpandFileName(file) +
         "\"><IMG SRC=\"FILE://missing.gif\"><IMG SRC=\"c:x.gif\">");
  EXPECT_EQ(cache.Count(), 2);
  EXPECT_EQ(h.extentX, 20);
  EXPECT_EQ(cache.PictureByID("FILE://MISSING.GIF")->Empty(), true);
  h.Draw("<IMG SRC=\"file://" + ExpandFileName(file) + "\">");
  EXPECT_EQ(cache.Count(), 2);
  DeleteFile(file);

  TPictureContainer container(nullptr);
  TPictureItem* item = container.Items().Add();
  item->Name = "MixedCase";
  item->Tag = 7;
  EXPECT_EQ(container.PictureByName("MIXEDCASE"), item->Picture());
  EXPECT_EQ(container.PictureByName("MixedCase"), nullptr);
  TPictureCollection copy;
  copy.Assign(container.Items());
  EXPECT_EQ(copy.Items(0)->Name, "MixedCase");
  EXPECT_EQ(copy.Items(0)->Tag, 7);
}

}  // namespace
