#include "grid/ExtImage.h"

#include <new>

#include "platform/gfx/Gif.h"
#include "platform/gfx/Picture.h"
#include "platform/rtl/FileUtils.h"

std::unique_ptr<TGraphic> DecodePicture(std::string_view bytes) {
  std::unique_ptr<TGraphic> graphic;
  try {
    graphic = GraphicFromBytes(bytes);
  } catch (const std::bad_alloc&) {
    throw Exception(TExtImage::kAllocFailed);
  } catch (const Exception&) {
    throw Exception(TExtImage::kInvalidFormat);
  }
  if (graphic->Width() > kMaxPictureSide || graphic->Height() > kMaxPictureSide)
    throw Exception(TExtImage::kInvalidFormat);
  return graphic;
}

TExtImage::TExtImage() = default;
TExtImage::~TExtImage() = default;

void TExtImage::Changed() {
  if (OnChange) OnChange(nullptr);
}

int TExtImage::Width() const { return picture_ ? picture_->Width() : 0; }
int TExtImage::Height() const { return picture_ ? picture_->Height() : 0; }

void TExtImage::Draw(TCanvas& Canvas, const TRect& Rect) {
  if (empty_ || !picture_) return;
  picture_->Draw(Canvas, Rect);
}

void TExtImage::MakePicture() {
  picture_.reset();
  std::unique_ptr<TGraphic> picture = DecodePicture(bytes_);
  if (picture->Empty() || picture->Width() <= 0 || picture->Height() <= 0) throw Exception(kNoPicture);
  picture_ = std::move(picture);
}

void TExtImage::Assign(const TExtImage* Source) {
  // An empty image copies as an empty one: it has no bytes that could fail
  // to load, and clearing a background by one must not raise. (Asked
  // before this image changes: it may be its own source.)
  const bool sourceEmpty = Source == nullptr || Source->Empty();
  empty_ = true;
  picture_.reset();
  if (sourceEmpty) {
    bytes_.clear();
    Changed();
    return;
  }
  bytes_ = Source->bytes_;
  empty_ = false;
  MakePicture();
  Changed();
}

// The whole stream from its start, as the bytes of the picture.
void TExtImage::TakeStream(TStream& stream) {
  std::string bytes;
  try {
    const Int64 size = stream.Size();
    if (size < 0 || size > (Int64{1} << 30)) throw std::bad_alloc();
    bytes.resize(static_cast<size_t>(size));
    stream.SetPosition(0);
    const int got = bytes.empty() ? 0 : stream.Read(bytes.data(), static_cast<int>(bytes.size()));
    if (!bytes.empty() && got == 0) throw Exception(kStreamEmpty);
    if (got != static_cast<int>(bytes.size())) throw Exception(kStreamFailed);
  } catch (const std::bad_alloc&) {
    throw Exception(kAllocFailed);
  }
  bytes_ = std::move(bytes);
  empty_ = false;
  picture_.reset();
}

void TExtImage::ReadData(TStream& Stream) {
  TakeStream(Stream);
  MakePicture();
}

void TExtImage::LoadFromStream(TStream& Stream) {
  ReadData(Stream);
  Changed();
}

void TExtImage::LoadFromFile(const AnsiString& FileName) {
  std::string bytes = ReadWholeFile(FileName);
  bytes_ = std::move(bytes);
  empty_ = false;
  MakePicture();
  Changed();
}

void TExtImage::SaveToStream(TStream& Stream) const {
  if (!bytes_.empty()) Stream.WriteBuffer(bytes_.data(), static_cast<int>(bytes_.size()));
}
