#include "grid/PictureContainer.h"

#include <map>
#include <new>

#include "grid/ExtImage.h"
#include "platform/gfx/Bitmap.h"
#include "platform/rtl/FileUtils.h"

namespace {

const char* const kAllocFailed = TExtImage::kAllocFailed;
const char* const kInvalidFormat = TExtImage::kInvalidFormat;

bool IsGif(const std::string& bytes) { return bytes.size() >= 5 && bytes.compare(0, 4, "GIF8") == 0; }

int Get16(const std::string& bytes, size_t at) {
  return static_cast<unsigned char>(bytes[at]) | (static_cast<unsigned char>(bytes[at + 1]) << 8);
}

// A graphic control extension directly followed by an image descriptor
// whose position and size lie inside the bytes.
bool FrameMarkAt(const std::string& bytes, size_t p) {
  return bytes[p] == '!' && p + 17 <= bytes.size() && static_cast<unsigned char>(bytes[p + 1]) == 0xF9 &&
         bytes[p + 2] == 0x04 && bytes[p + 8] == ',';
}

std::map<AnsiString, std::string>& RawResources() {
  static std::map<AnsiString, std::string> resources;
  return resources;
}

}  // namespace

void RegisterRawResource(const AnsiString& name, std::string bytes) {
  RawResources()[AnsiUpperCase(name)] = std::move(bytes);
}

const std::string* FindRawResource(const AnsiString& name) {
  auto it = RawResources().find(AnsiUpperCase(name));
  return it == RawResources().end() ? nullptr : &it->second;
}

// ---- THTMLPicture ----------------------------------------------------------

THTMLPicture::THTMLPicture() = default;
THTMLPicture::~THTMLPicture() = default;

int THTMLPicture::Width() const { return decoded_ ? decoded_->Width() : 0; }
int THTMLPicture::Height() const { return decoded_ ? decoded_->Height() : 0; }

int THTMLPicture::AnimationWidth() const {
  if (!decoded_) return 0;
  return screenWidth_ != 0 ? screenWidth_ : Width();
}

int THTMLPicture::AnimationHeight() const {
  if (!decoded_) return 0;
  return screenHeight_ != 0 ? screenHeight_ : Height();
}

int THTMLPicture::FrameCount() {
  if (frameCount_ != -1) return frameCount_;
  if (!IsGif(bytes_)) return -1;
  int count = 0;
  for (size_t p = 0; p < bytes_.size(); ++p)
    if (FrameMarkAt(bytes_, p)) ++count;
  frameCount_ = count;
  return count;
}

void THTMLPicture::SetFrame(int frame) {
  frame_ = frame;
  if (empty_) return;
  Decode();
  if (OnFrameChange) OnFrameChange(this);
}

void THTMLPicture::Decode() {
  frameX_ = frameY_ = frameWidth_ = frameHeight_ = 0;
  screenWidth_ = screenHeight_ = 0;
  std::string block;
  try {
    if (!IsGif(bytes_) || FrameCount() < 1) {
      block = bytes_;
    } else {
      // One frame shown: the header and whatever precedes the first frame,
      // then the chosen frame and what follows it.
      if (bytes_.size() >= 10) {
        screenWidth_ = Get16(bytes_, 6);
        screenHeight_ = Get16(bytes_, 8);
      }
      int number = 0;
      size_t firstMark = bytes_.size(), chosenMark = bytes_.size();
      for (size_t p = 0; p < bytes_.size(); ++p) {
        if (!FrameMarkAt(bytes_, p)) continue;
        if (++number == 1) firstMark = p;
        if (number == frame_) {
          chosenMark = p;
          frameX_ = Get16(bytes_, p + 9);
          frameY_ = Get16(bytes_, p + 11);
          frameWidth_ = Get16(bytes_, p + 13);
          frameHeight_ = Get16(bytes_, p + 15);
          break;
        }
      }
      block.reserve(bytes_.size());
      block.append(bytes_, 0, firstMark);
      block.append(bytes_, chosenMark, std::string::npos);
    }
  } catch (const std::bad_alloc&) {
    throw Exception(kAllocFailed);
  }
  decoded_.reset();
  std::unique_ptr<TGraphic> graphic = DecodePicture(block);
  if (graphic->Width() <= 0 || graphic->Height() <= 0) throw Exception(kInvalidFormat);
  decoded_ = std::move(graphic);
}

void THTMLPicture::Changed() {
  if (OnChange) OnChange(this);
}

void THTMLPicture::Draw(TCanvas& canvas, const TRect& rect) {
  if (empty_ || !decoded_) return;
  if (Stretch) {
    decoded_->Draw(canvas, rect);
    return;
  }
  const int w = MulDiv(Width(), canvas.GetDeviceCaps(LOGPIXELSX), 96);
  const int h = MulDiv(Height(), canvas.GetDeviceCaps(LOGPIXELSY), 96);
  decoded_->Draw(canvas, Bounds(rect.Left, rect.Top, w, h));
}

void THTMLPicture::Assign(const THTMLPicture* source) {
  empty_ = true;
  decoded_.reset();
  frameCount_ = -1;
  SetFrame(1);
  if (source == nullptr) {
    bytes_.clear();
    return;
  }
  // An empty source leaves this one empty; there is nothing to decode.
  if (source->empty_)
    bytes_ = source->bytes_;
  else
    SetBytes(source->bytes_);
  Changed();
}

void THTMLPicture::SetBytes(std::string bytes) {
  bytes_ = std::move(bytes);
  empty_ = false;
  frameCount_ = -1;
  decoded_.reset();
  Decode();
}

void THTMLPicture::ReadData(TStream& stream) { SetBytes(ReadRest(stream)); }

void THTMLPicture::LoadFromStream(TStream& stream) {
  stream.SetPosition(0);
  ReadData(stream);
  Changed();
}

void THTMLPicture::LoadFromFile(const AnsiString& fileName) {
  SetBytes(ReadWholeFile(fileName));
  Changed();
}

void THTMLPicture::SaveToStream(TStream& stream) const {
  stream.WriteBuffer(bytes_.data(), static_cast<int>(bytes_.size()));
}

void THTMLPicture::LoadFromSource(const AnsiString& source) {
  const AnsiString upper = AnsiUpperCase(source);
  if (upper.rfind("RES://", 0) == 0) {
    ID = upper;
    if (const std::string* bytes = FindRawResource(upper.substr(6))) {
      TStringStream stream{*bytes};
      LoadFromStream(stream);
    }
  } else if (upper.rfind("FILE://", 0) == 0) {
    ID = upper;
    LoadFromFile(upper.substr(7));
  } else if (!Asynchronous) {
    URL = upper;
    ID = upper;
  } else if (!downloading_) {
    URL = upper;
    downloading_ = true;
    TDownLoadThread(this).Execute();
  }
}

// ---- cache, items, container ----------------------------------------------

THTMLPicture* THTMLPictureCache::NewPicture() {
  items_.push_back(std::make_unique<THTMLPicture>());
  return items_.back().get();
}

THTMLPicture* THTMLPictureCache::PictureByID(const AnsiString& ID) const {
  for (const auto& picture : items_)
    if (picture->ID == ID) return picture.get();
  return nullptr;
}

void TPictureItem::Assign(const TPictureItem& item) {
  Name = item.Name;
  Tag = item.Tag;
  picture_->Assign(item.picture_.get());
}

TPictureItem* TPictureCollection::Add() {
  items_.push_back(std::make_unique<TPictureItem>());
  return items_.back().get();
}

void TPictureCollection::Assign(const TPictureCollection& source) {
  if (&source == this) return;
  items_.clear();
  for (const auto& item : source.items_) Add()->Assign(*item);
}

TPictureContainer::TPictureContainer(TComponent* AOwner) : TComponent(AOwner) {}

THTMLPicture* TPictureContainer::PictureByName(const AnsiString& Name) const {
  for (int i = 0; i < items_.Count(); ++i)
    if (AnsiUpperCase(items_.Items(i)->Name) == Name) return items_.Items(i)->Picture();
  return nullptr;
}
