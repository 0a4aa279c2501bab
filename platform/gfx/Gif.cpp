#include "platform/gfx/Gif.h"

#include <gif_lib.h>

#include <cstring>

#include "platform/gfx/Bitmap.h"

namespace {

struct Reader {
  std::string_view bytes;
  size_t at = 0;
};

int ReadBytes(GifFileType* gif, GifByteType* buffer, int count) {
  auto* reader = static_cast<Reader*>(gif->UserData);
  const size_t n = std::min(static_cast<size_t>(std::max(count, 0)), reader->bytes.size() - reader->at);
  std::memcpy(buffer, reader->bytes.data() + reader->at, n);
  reader->at += n;
  return static_cast<int>(n);
}

struct GifCloser {
  void operator()(GifFileType* gif) const {
    int error = 0;
    DGifCloseFile(gif, &error);
  }
};

// All frames together may not hold more pixels than one picture may.
constexpr long long kMaxTotalPixels = gfx::kMaxPixels;

[[noreturn]] void Damaged() { throw EInvalidGraphic("GIF image is not valid"); }

// One image record: rows read in file order, put where interlacing says.
bool ReadFrame(GifFileType* gif, const GraphicsControlBlock& control, long long& budget,
               std::vector<TGifFrame>& frames) {
  if (DGifGetImageDesc(gif) == GIF_ERROR) return false;
  const GifImageDesc& desc = gif->Image;
  const int w = desc.Width, h = desc.Height;
  if (w <= 0 || h <= 0 || w > kMaxPictureSide || h > kMaxPictureSide) Damaged();
  const long long pixels = static_cast<long long>(w) * h;
  if (pixels > budget) Damaged();
  budget -= pixels;
  const ColorMapObject* map = desc.ColorMap ? desc.ColorMap : gif->SColorMap;

  std::vector<GifPixelType> indices(static_cast<size_t>(pixels));
  std::vector<int> rows;
  rows.reserve(static_cast<size_t>(h));
  if (desc.Interlace) {
    static const int start[] = {0, 4, 2, 1}, step[] = {8, 8, 4, 2};
    for (int pass = 0; pass < 4; ++pass)
      for (int y = start[pass]; y < h; y += step[pass]) rows.push_back(y);
  } else {
    for (int y = 0; y < h; ++y) rows.push_back(y);
  }
  for (int y : rows)
    if (DGifGetLine(gif, indices.data() + static_cast<size_t>(y) * w, w) == GIF_ERROR) return false;

  TGifFrame frame;
  frame.Left = desc.Left;
  frame.Top = desc.Top;
  frame.DelayMs = control.DelayTime * 10;
  frame.Pixels.Width = w;
  frame.Pixels.Height = h;
  frame.Pixels.Pixels.resize(static_cast<size_t>(pixels));
  for (size_t i = 0; i < indices.size(); ++i) {
    const int index = indices[i];
    if (index == control.TransparentColor) {
      frame.Pixels.Pixels[i] = 0;
    } else if (map != nullptr && index < map->ColorCount) {
      const GifColorType& c = map->Colors[index];
      frame.Pixels.Pixels[i] =
          0xFF000000u | (static_cast<std::uint32_t>(c.Red) << 16) | (c.Green << 8) | c.Blue;
    } else {
      frame.Pixels.Pixels[i] = 0xFF000000u;
    }
  }
  frames.push_back(std::move(frame));
  return true;
}

}  // namespace

void TGIFImage::SetCurrentFrame(int index) {
  if (index >= 0 && index < FrameCount()) current_ = index;
}

void TGIFImage::Draw(TCanvas& canvas, const TRect& rect) {
  if (frames_.empty()) return;
  canvas.DrawPixels(rect, Current().Pixels, false, clNone);
}

void TGIFImage::LoadFromStream(TStream& stream) { LoadFromBytes(ReadRest(stream)); }

void TGIFImage::SaveToStream(TStream& stream) const {
  stream.WriteBuffer(data_.data(), static_cast<int>(data_.size()));
}

void TGIFImage::LoadFromBytes(std::string_view bytes) {
  if (bytes.size() < 13 || bytes.substr(0, 4) != "GIF8") Damaged();
  Reader reader{bytes};
  int error = 0;
  std::unique_ptr<GifFileType, GifCloser> gif(DGifOpen(&reader, ReadBytes, &error));
  if (!gif) Damaged();

  std::vector<TGifFrame> frames;
  long long budget = kMaxTotalPixels;
  GraphicsControlBlock control{DISPOSAL_UNSPECIFIED, false, 0, NO_TRANSPARENT_COLOR};
  bool whole = true;
  for (GifRecordType type = UNDEFINED_RECORD_TYPE; whole && type != TERMINATE_RECORD_TYPE;) {
    if (DGifGetRecordType(gif.get(), &type) == GIF_ERROR) break;
    if (type == IMAGE_DESC_RECORD_TYPE) {
      whole = ReadFrame(gif.get(), control, budget, frames);
      control = {DISPOSAL_UNSPECIFIED, false, 0, NO_TRANSPARENT_COLOR};
    } else if (type == EXTENSION_RECORD_TYPE) {
      int code = 0;
      GifByteType* block = nullptr;
      if (DGifGetExtension(gif.get(), &code, &block) == GIF_ERROR) break;
      if (code == GRAPHICS_EXT_FUNC_CODE && block != nullptr && block[0] >= 4)
        DGifExtensionToGCB(block[0], block + 1, &control);
      while (block != nullptr)
        if (DGifGetExtensionNext(gif.get(), &block) == GIF_ERROR) {
          whole = false;
          break;
        }
    }
  }
  if (frames.empty()) Damaged();
  screenWidth_ = gif->SWidth;
  screenHeight_ = gif->SHeight;
  frames_ = std::move(frames);
  current_ = 0;
  data_.assign(bytes);
}
