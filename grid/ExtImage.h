#pragma once
// TExtImage: the captioned panel's background picture. It keeps a picture
// file's bytes (what a form stores) and shows them through the one picture
// loader, whatever their kind: bitmap, icon, JPEG, GIF (its first frame) or
// metafile, sized at 96 dots per inch.

#include <memory>
#include <string>
#include <string_view>

#include "platform/gfx/Graphics.h"
#include "platform/ui/Component.h"

// The picture in a file's bytes, its kind found by their content, no side
// longer than kMaxPictureSide. Memory running out raises Exception "Could
// not allocate memory for image"; bytes no reader takes, or damaged ones,
// "Could not load image. Invalid format".
std::unique_ptr<TGraphic> DecodePicture(std::string_view bytes);

class TExtImage : public TGraphic {
 public:
  TExtImage();
  ~TExtImage() override;
  TExtImage(const TExtImage&) = delete;
  TExtImage& operator=(const TExtImage&) = delete;

  // Null or an empty image empties the image; another image's bytes are
  // copied and shown. Either way the change is told.
  void Assign(const TExtImage* Source);
  // The whole picture stretched into Rect; nothing while there is none.
  void Draw(TCanvas& Canvas, const TRect& Rect) override;
  bool Empty() const override { return empty_; }
  // 0 without a picture.
  int Width() const override;
  int Height() const override;
  // The size is the picture's own.
  void SetWidth(int) {}
  void SetHeight(int) {}

  // The bytes are taken whole (a stream from its start) and shown, and the
  // change is told. Bytes that are no picture raise Exception with one of
  // the messages below after they are taken: the image is then not empty,
  // shows nothing and measures 0.
  void LoadFromFile(const AnsiString& FileName);
  void LoadFromStream(TStream& Stream) override;
  // Form loading: as LoadFromStream without telling the change.
  void ReadData(TStream& Stream);
  void SaveToStream(TStream& Stream) const override;
  void WriteData(TStream& Stream) const { SaveToStream(Stream); }
  const std::string& Data() const { return bytes_; }

  // The panel repaints on it.
  TNotifyEvent OnChange;

  static constexpr const char* kAllocFailed = "Could not allocate memory for image";
  static constexpr const char* kStreamFailed = "Could not create image stream";
  static constexpr const char* kStreamEmpty = "Empty image stream created";
  static constexpr const char* kInvalidFormat = "Could not load image. Invalid format";
  static constexpr const char* kNoPicture = "Could not load image";

 private:
  void TakeStream(TStream& stream);
  void MakePicture();
  void Changed();
  std::string bytes_;
  std::unique_ptr<TGraphic> picture_;
  bool empty_ = true;
};
