// The panel's background picture: bytes of every kind the picture loader
// reads, shown at their size; damaged bytes kept but shown as nothing, with
// the picture errors' own texts.

#include <gtest/gtest.h>

#include "../platform/gfx/GifWriter.h"
#include "../platform/gfx/IcoWriter.h"
#include "../platform/gfx/WmfWriter.h"
#include "grid/ExtImage.h"
#include "platform/gfx/Bitmap.h"
#include "platform/gfx/Jpeg.h"
#include "platform/gfx/Metafile.h"
#include "platform/gfx/RecordingCanvas.h"
#include "platform/rtl/FileUtils.h"
#include "tests/TestOutput.h"

namespace {

std::string Emf(int width, int height) {
  TMetafile metafile;
  metafile.SetWidth(width);
  metafile.SetHeight(height);
  {
    TMetafileCanvas canvas(&metafile);
    canvas.Rectangle(1, 1, width - 1, height - 1);
  }
  return metafile.Data();
}

// A Windows metafile of one rectangle, its box Width × Height units at
// 1440 to the inch.
std::string Wmf(int width, int height) {
  wmftest::WmfWriter w;
  w.Record(0x041B, {height, width, 0, 0});
  return w.Build(0, true, width, height);
}

std::string Jpeg(int width, int height) {
  TJPEGImage jpeg;
  jpeg.Assign(TBitmap(width, height));
  return jpeg.SaveToBytes();
}

std::string Gif(int width, int height) { return giftest::MakeGif(width, height, {{0, 0, width, height}}); }

AnsiString ErrorOf(const std::function<void()>& f) {
  try {
    f();
  } catch (const Exception& e) {
    return e.Message;
  }
  return "";
}

void Load(TExtImage& image, const std::string& bytes) {
  TStringStream stream{bytes};
  stream.SetPosition(static_cast<Int64>(bytes.size()));  // read from the start whatever the position
  image.LoadFromStream(stream);
}

TEST(ExtImage, ANewImageIsEmptyAndDrawsNothing) {
  TExtImage image;
  EXPECT_TRUE(image.Empty());
  EXPECT_EQ(image.Width(), 0);
  EXPECT_EQ(image.Height(), 0);
  TRecordingCanvas canvas;
  image.Draw(canvas, Rect(0, 0, 50, 50));
  EXPECT_TRUE(canvas.Calls.empty());
}

TEST(ExtImage, EveryKindShowsAtItsSize) {
  const struct {
    const char* kind;
    std::string bytes;
    int width, height;
  } cases[] = {
      {"bmp", TBitmap(31, 17).SaveToBytes(), 31, 17},
      {"ico", MakeIco({{16, 32}}), 16, 16},
      {"jpeg", Jpeg(40, 25), 40, 25},
      {"gif", Gif(12, 9), 12, 9},
      // 2540 hundredths of a millimetre are 96 pixels.
      {"emf", Emf(96, 48), 96, 48},
      // 1440 units to the inch: an inch is 96 pixels.
      {"wmf", Wmf(1440, 720), 96, 48},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.kind);
    TExtImage image;
    int changes = 0;
    image.OnChange = [&](TObject*) { ++changes; };
    Load(image, c.bytes);
    EXPECT_FALSE(image.Empty());
    EXPECT_EQ(image.Width(), c.width);
    EXPECT_EQ(image.Height(), c.height);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(image.Data(), c.bytes);
    TStringStream saved;
    image.WriteData(saved);
    EXPECT_EQ(saved.DataString(), c.bytes);
    TRecordingCanvas canvas;
    image.Draw(canvas, Rect(5, 6, 55, 36));
    EXPECT_FALSE(canvas.Calls.empty());
  }
}

TEST(ExtImage, BytesThatAreNoPictureAreKeptAndShowNothing) {
  std::string cutJpeg = Jpeg(40, 25);
  cutJpeg.resize(cutJpeg.size() / 2);
  std::string cutGif = Gif(12, 9);
  cutGif.resize(20);
  std::string wide = Emf(96, 48);
  le::Patch32(wide, 32, 2540 * 200);  // a frame 19,200 pixels wide
  const std::string cases[] = {"not a picture", cutJpeg, cutGif, wide, std::string("BM\0\0", 4), ""};
  for (const std::string& bytes : cases) {
    SCOPED_TRACE(bytes.size());
    TExtImage image;
    int changes = 0;
    image.OnChange = [&](TObject*) { ++changes; };
    EXPECT_EQ(ErrorOf([&] { Load(image, bytes); }), "Could not load image. Invalid format");
    EXPECT_FALSE(image.Empty());
    EXPECT_EQ(image.Width(), 0);
    EXPECT_EQ(image.Data(), bytes);
    EXPECT_EQ(changes, 0);
    TRecordingCanvas canvas;
    image.Draw(canvas, Rect(0, 0, 10, 10));
    EXPECT_TRUE(canvas.Calls.empty());
  }
}

// A stream that says it holds more than it gives.
class ShortStream : public TStringStream {
 public:
  ShortStream(std::string bytes, int give) : TStringStream(std::move(bytes)), give_(give) {}
  int Read(void* buffer, int count) override { return TStringStream::Read(buffer, std::min(count, give_)); }

 private:
  int give_;
};

TEST(ExtImage, AStreamThatGivesLessThanItHoldsIsRefused) {
  TExtImage image;
  ShortStream none(TBitmap(4, 4).SaveToBytes(), 0);
  EXPECT_EQ(ErrorOf([&] { image.LoadFromStream(none); }), "Empty image stream created");
  ShortStream some(TBitmap(4, 4).SaveToBytes(), 10);
  EXPECT_EQ(ErrorOf([&] { image.LoadFromStream(some); }), "Could not create image stream");
  EXPECT_TRUE(image.Empty());
}

TEST(ExtImage, AssignCopiesTheBytesOrEmpties) {
  TExtImage copy;
  int changes = 0;
  copy.OnChange = [&](TObject*) { ++changes; };
  {
    TExtImage source;
    Load(source, TBitmap(8, 3).SaveToBytes());
    copy.Assign(&source);
  }
  EXPECT_EQ(copy.Width(), 8);
  EXPECT_EQ(copy.Height(), 3);
  EXPECT_EQ(changes, 1);
  copy.Assign(nullptr);
  EXPECT_TRUE(copy.Empty());
  EXPECT_TRUE(copy.Data().empty());
  EXPECT_EQ(changes, 2);
}

// An empty image has no bytes that could fail to load: copying it empties
// the copy and tells the change, where loading its nothing would raise.
TEST(ExtImage, AssigningAnEmptyImageEmpties) {
  TExtImage copy;
  Load(copy, TBitmap(8, 3).SaveToBytes());
  int changes = 0;
  copy.OnChange = [&](TObject*) { ++changes; };
  const TExtImage none;
  EXPECT_EQ(ErrorOf([&] { copy.Assign(&none); }), "");
  EXPECT_TRUE(copy.Empty());
  EXPECT_TRUE(copy.Data().empty());
  EXPECT_EQ(copy.Width(), 0);
  EXPECT_EQ(changes, 1);
  // An image copied onto itself stays what it was.
  TExtImage self;
  Load(self, TBitmap(8, 3).SaveToBytes());
  self.Assign(&self);
  EXPECT_FALSE(self.Empty());
  EXPECT_EQ(self.Width(), 8);
  // Bytes that are no picture still raise when copied, and stay.
  TExtImage damaged;
  EXPECT_NE(ErrorOf([&] { Load(damaged, "no picture"); }), "");
  EXPECT_EQ(ErrorOf([&] { copy.Assign(&damaged); }), "Could not load image. Invalid format");
  EXPECT_FALSE(copy.Empty());
  EXPECT_EQ(copy.Data(), "no picture");
}

TEST(ExtImage, FormLoadingTellsNoChangeAndFilesLoadWhole) {
  TExtImage image;
  int changes = 0;
  image.OnChange = [&](TObject*) { ++changes; };
  TStringStream stream{Gif(5, 7)};
  image.ReadData(stream);
  EXPECT_EQ(image.Width(), 5);
  EXPECT_EQ(changes, 0);
  const std::string file = TestOutput("picture.ico");
  SafeWriteFile(file, MakeIco({{32, 24}}));
  image.LoadFromFile(file);
  EXPECT_EQ(image.Width(), 32);
  EXPECT_EQ(changes, 1);
}

}  // namespace
