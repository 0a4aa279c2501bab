#include "platform/gfx/Picture.h"

#include <map>

#include "platform/gfx/Gif.h"
#include "platform/gfx/Jpeg.h"
#include "platform/gfx/Metafile.h"
#include "platform/gfx/WinMetafile.h"
#include "platform/rtl/FileUtils.h"

void TPicture::SetGraphic(std::unique_ptr<TGraphic> graphic) {
  graphic_ = std::move(graphic);
  Changed();
}

TBitmap* TPicture::Bitmap() {
  auto* bitmap = dynamic_cast<TBitmap*>(graphic_.get());
  if (bitmap == nullptr) {
    graphic_ = std::make_unique<TBitmap>();
    bitmap = static_cast<TBitmap*>(graphic_.get());
    Changed();
  }
  return bitmap;
}

std::unique_ptr<TGraphic> TPicture::NewGraphicFor(const AnsiString& extension) {
  AnsiString ext = LowerCase(extension);
  if (ext == ".bmp") return std::make_unique<TBitmap>();
  if (ext == ".ico") return std::make_unique<TIcon>();
  if (ext == ".gif") return std::make_unique<TGIFImage>();
  if (ext == ".jpg" || ext == ".jpeg") return std::make_unique<TJPEGImage>();
  if (ext == ".emf" || ext == ".wmf") return std::make_unique<TMetafile>();
  return nullptr;
}

void TPicture::LoadFromFile(const AnsiString& fileName) {
  AnsiString ext = ExtractFileExt(fileName);
  std::unique_ptr<TGraphic> graphic = NewGraphicFor(ext);
  if (!graphic) throw EInvalidGraphic("Unknown picture file extension (" + ext + ")");
  graphic->LoadFromFile(fileName);
  graphic_ = std::move(graphic);
  Changed();
}

std::unique_ptr<TGraphic> GraphicFromBytes(std::string_view bytes) {
  auto starts = [&](std::string_view mark, size_t at = 0) {
    return bytes.size() >= at + mark.size() && bytes.substr(at, mark.size()) == mark;
  };
  using namespace std::string_view_literals;
  std::unique_ptr<TGraphic> graphic;
  if (starts("BM"))
    graphic = std::make_unique<TBitmap>();
  else if (starts("GIF8"))
    graphic = std::make_unique<TGIFImage>();
  else if (starts("\xFF\xD8"))
    graphic = std::make_unique<TJPEGImage>();
  else if (starts("\0\0\1\0"sv))
    graphic = std::make_unique<TIcon>();
  else if ((starts("\1\0\0\0"sv) && starts(" EMF", 40)) || LooksLikeWinMetafile(bytes))
    graphic = std::make_unique<TMetafile>();
  else
    throw EInvalidGraphic("Unknown picture format");
  TStringStream stream{AnsiString(bytes)};
  graphic->LoadFromStream(stream);
  return graphic;
}

void TPicture::SaveToFile(const AnsiString& fileName) const {
  if (graphic_) graphic_->SaveToFile(fileName);
}

namespace {
struct Resource {
  int width, height;
  TBitmapPainter painter;
  TPoint hotSpot;
};
std::map<AnsiString, Resource>& Resources() {
  static std::map<AnsiString, Resource> resources;
  return resources;
}
std::map<AnsiString, Resource>& Cursors() {
  static std::map<AnsiString, Resource> cursors;
  return cursors;
}
}  // namespace

void RegisterBitmapResource(const AnsiString& name, int width, int height, TBitmapPainter painter) {
  Resources()[UpperCase(name)] = {width, height, std::move(painter), {}};
}

bool HasBitmapResource(const AnsiString& name) { return Resources().count(UpperCase(name)) != 0; }

std::unique_ptr<TBitmap> LoadBitmapResource(const AnsiString& name) {
  auto it = Resources().find(UpperCase(name));
  if (it == Resources().end()) throw EResNotFound("Resource " + name + " not found");
  auto bitmap = std::make_unique<TBitmap>(it->second.width, it->second.height);
  it->second.painter(*bitmap);
  return bitmap;
}

void RegisterCursorResource(const AnsiString& name, int width, int height, TPoint hotSpot,
                            TBitmapPainter painter) {
  Cursors()[UpperCase(name)] = {width, height, std::move(painter), hotSpot};
}

bool HasCursorResource(const AnsiString& name) { return Cursors().count(UpperCase(name)) != 0; }

TCursorImage LoadCursorResource(const AnsiString& name) {
  auto it = Cursors().find(UpperCase(name));
  if (it == Cursors().end()) throw EResNotFound("Resource " + name + " not found");
  auto bitmap = std::make_unique<TBitmap>(it->second.width, it->second.height);
  bitmap->Canvas()->Brush->Color = clFuchsia;
  bitmap->Canvas()->FillRect(Rect(0, 0, it->second.width, it->second.height));
  bitmap->Canvas()->Brush->Color = clWhite;
  bitmap->Transparent = true;
  bitmap->TransparentColor = clFuchsia;
  it->second.painter(*bitmap);
  return {std::move(bitmap), it->second.hotSpot};
}
