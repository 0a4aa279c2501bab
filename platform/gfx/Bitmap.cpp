#include "platform/gfx/Bitmap.h"

#include <cairo.h>

#include <algorithm>
#include <cstring>

#include "platform/rtl/ByteOrder.h"

namespace {

const char* const kBadBitmap = "Bitmap image is not valid";
const char* const kBadIcon = "Icon image is not valid";

using le::Get16;
using le::Get32;
using le::Put16;
using le::Put32;

// What the header of a bitmap-info block says.
struct DibHeader {
  int width = 0, height = 0;
  bool topDown = false;
  int bitsPerPixel = 0;
  std::uint32_t compression = 0;
  size_t headerSize = 0;
  size_t paletteAt = 0, paletteEntries = 0, paletteEntrySize = 4;
  std::uint32_t masks[3] = {0, 0, 0};
  size_t InfoSize() const { return paletteAt + paletteEntries * paletteEntrySize; }
};

constexpr std::uint32_t kBiRgb = 0, kBiBitfields = 3;

DibHeader ParseDibHeader(std::string_view info) {
  DibHeader h;
  if (info.size() < 4) throw EInvalidGraphic(kBadBitmap);
  h.headerSize = Get32(info, 0);
  if (h.headerSize == 12) {
    if (info.size() < 12) throw EInvalidGraphic(kBadBitmap);
    h.width = Get16(info, 4);
    h.height = Get16(info, 6);
    h.bitsPerPixel = Get16(info, 10);
    h.paletteEntrySize = 3;
  } else if (h.headerSize >= 40 && h.headerSize <= info.size() && h.headerSize <= 1024) {
    h.width = static_cast<std::int32_t>(Get32(info, 4));
    std::int32_t height = static_cast<std::int32_t>(Get32(info, 8));
    if (height == INT32_MIN) throw EInvalidGraphic(kBadBitmap);
    h.topDown = height < 0;
    h.height = height < 0 ? -height : height;
    h.bitsPerPixel = Get16(info, 14);
    h.compression = Get32(info, 16);
    h.paletteEntries = Get32(info, 32);
  } else {
    throw EInvalidGraphic(kBadBitmap);
  }
  h.paletteAt = h.headerSize;
  if (h.width <= 0 || h.height <= 0 || static_cast<long long>(h.width) * h.height > gfx::kMaxPixels)
    throw EInvalidGraphic(kBadBitmap);
  switch (h.bitsPerPixel) {
    case 1:
    case 4:
    case 8:
      if (h.compression != kBiRgb) throw EInvalidGraphic(kBadBitmap);
      if (h.paletteEntries == 0) h.paletteEntries = size_t{1} << h.bitsPerPixel;
      if (h.paletteEntries > 256) throw EInvalidGraphic(kBadBitmap);
      break;
    case 16:
    case 24:
    case 32:
      h.paletteEntries = 0;
      if (h.compression == kBiBitfields && h.bitsPerPixel != 24) {
        // The masks follow a plain 40-byte header, or sit inside a larger one.
        size_t at = 40;
        if (info.size() < at + 12) throw EInvalidGraphic(kBadBitmap);
        for (int i = 0; i < 3; ++i) h.masks[i] = Get32(info, at + 4 * i);
        if (h.headerSize == 40) h.paletteAt += 12;
      } else if (h.compression == kBiRgb) {
        if (h.bitsPerPixel == 16) {
          h.masks[0] = 0x7C00;
          h.masks[1] = 0x03E0;
          h.masks[2] = 0x001F;
        } else {
          h.masks[0] = 0xFF0000;
          h.masks[1] = 0x00FF00;
          h.masks[2] = 0x0000FF;
        }
      } else {
        throw EInvalidGraphic(kBadBitmap);
      }
      break;
    default:
      throw EInvalidGraphic(kBadBitmap);
  }
  if (h.InfoSize() > info.size()) throw EInvalidGraphic(kBadBitmap);
  return h;
}

// A channel picked out by a mask, scaled to eight bits.
std::uint32_t Channel(std::uint32_t value, std::uint32_t mask) {
  if (mask == 0) return 0;
  int shift = 0;
  while (!((mask >> shift) & 1)) ++shift;
  std::uint32_t m = mask >> shift, v = (value & mask) >> shift;
  return static_cast<std::uint32_t>((static_cast<std::uint64_t>(v) * 255 + m / 2) / m);
}

size_t RowStride(int width, int bitsPerPixel) {
  return ((static_cast<size_t>(width) * bitsPerPixel + 31) / 32) * 4;
}

TPixelBlock DecodeWith(const DibHeader& h, std::string_view info, std::string_view bits) {
  size_t stride = RowStride(h.width, h.bitsPerPixel);
  if (stride * h.height > bits.size()) throw EInvalidGraphic(kBadBitmap);
  std::uint32_t palette[256] = {};
  for (size_t i = 0; i < h.paletteEntries; ++i) {
    size_t at = h.paletteAt + i * h.paletteEntrySize;
    palette[i] = 0xFF000000u | (static_cast<unsigned char>(info[at + 2]) << 16) |
                 (static_cast<unsigned char>(info[at + 1]) << 8) | static_cast<unsigned char>(info[at]);
  }
  TPixelBlock block{h.width, h.height, {}};
  block.Pixels.resize(static_cast<size_t>(h.width) * h.height);
  for (int row = 0; row < h.height; ++row) {
    const auto* src = reinterpret_cast<const unsigned char*>(bits.data()) + stride * row;
    int y = h.topDown ? row : h.height - 1 - row;
    std::uint32_t* out = &block.Pixels[static_cast<size_t>(y) * h.width];
    for (int x = 0; x < h.width; ++x) {
      std::uint32_t p = 0;
      switch (h.bitsPerPixel) {
        case 1:
          p = palette[(src[x / 8] >> (7 - x % 8)) & 1];
          break;
        case 4:
          p = palette[(src[x / 2] >> (x % 2 ? 0 : 4)) & 0xF];
          break;
        case 8:
          p = palette[src[x]];
          break;
        case 24:
          p = 0xFF000000u | (src[3 * x + 2] << 16) | (src[3 * x + 1] << 8) | src[3 * x];
          break;
        case 16:
        case 32: {
          std::uint32_t v =
              h.bitsPerPixel == 16
                  ? static_cast<std::uint32_t>(src[2 * x] | (src[2 * x + 1] << 8))
                  : static_cast<std::uint32_t>(src[4 * x] | (src[4 * x + 1] << 8) | (src[4 * x + 2] << 16)) |
                        (static_cast<std::uint32_t>(src[4 * x + 3]) << 24);
          p = 0xFF000000u | (Channel(v, h.masks[0]) << 16) | (Channel(v, h.masks[1]) << 8) |
              Channel(v, h.masks[2]);
          break;
        }
      }
      out[x] = p;
    }
  }
  return block;
}

}  // namespace

namespace gfx {

TPixelBlock DecodeDib(std::string_view info, std::string_view bits) {
  DibHeader h = ParseDibHeader(info);
  return DecodeWith(h, info, bits);
}

std::string EncodeDibInfo(int width, int height, int bitsPerPixel) {
  std::string s;
  Put32(s, 40);
  Put32(s, static_cast<std::uint32_t>(width));
  Put32(s, static_cast<std::uint32_t>(height));
  Put16(s, 1);
  Put16(s, static_cast<std::uint16_t>(bitsPerPixel));
  Put32(s, kBiRgb);
  Put32(s, static_cast<std::uint32_t>(RowStride(width, bitsPerPixel) * height));
  Put32(s, 3780);  // 96 dots per inch
  Put32(s, 3780);
  Put32(s, 0);
  Put32(s, 0);
  return s;
}

std::string EncodeDibBits(const TPixelBlock& pixels, int bitsPerPixel) {
  size_t stride = RowStride(pixels.Width, bitsPerPixel);
  std::string bits(stride * pixels.Height, '\0');
  // A row at a time from its first pixel: a page that shows a picture
  // writes it anew for every page.
  const size_t width = static_cast<size_t>(pixels.Width);
  for (int row = 0; row < pixels.Height; ++row) {
    const std::uint32_t* in = pixels.Pixels.data() + static_cast<size_t>(pixels.Height - 1 - row) * width;
    char* out = bits.data() + stride * row;
    if (bitsPerPixel == 32) {
      for (size_t x = 0; x < width; ++x, out += 4) {
        std::memcpy(out, in + x, 4);
        out[3] = 0;
      }
    } else {
      for (size_t x = 0; x < width; ++x, out += 3) {
        const std::uint32_t p = in[x];
        out[0] = static_cast<char>(p & 0xFF);
        out[1] = static_cast<char>((p >> 8) & 0xFF);
        out[2] = static_cast<char>((p >> 16) & 0xFF);
      }
    }
  }
  return bits;
}

}  // namespace gfx

std::string ReadRest(TStream& stream) {
  Int64 left = stream.Size() - stream.Position();
  std::string bytes;
  if (left <= 0) return bytes;
  if (left > (Int64{1} << 31) - 1) throw EInvalidGraphic("Picture too large");
  bytes.resize(static_cast<size_t>(left));
  stream.ReadBuffer(bytes.data(), static_cast<int>(left));
  return bytes;
}

// ---- TBitmap ----------------------------------------------------------------

TBitmap::TBitmap() = default;
TBitmap::TBitmap(int width, int height) { SetSize(width, height); }
TBitmap::~TBitmap() = default;

void TBitmap::SetSize(int width, int height) {
  width = std::max(0, width);
  height = std::max(0, height);
  if (static_cast<long long>(width) * height > gfx::kMaxPixels) throw EInvalidGraphic("Bitmap too large");
  if (width == width_ && height == height_) return;
  std::unique_ptr<TImageCanvas> image;
  if (width > 0 && height > 0) {
    image = std::make_unique<TImageCanvas>(width, height);
    if (image_) image->DrawPixels(Bounds(0, 0, width_, height_), image_->Snapshot(), false, clNone);
  }
  image_ = std::move(image);
  width_ = width;
  height_ = height;
}

TCanvas* TBitmap::Canvas() { return image_.get(); }

TColor TBitmap::EffectiveTransparentColor() const {
  if (TransparentColor != clDefault) return TransparentColor;
  return Empty() ? clWhite : Pixel(0, height_ - 1);
}

TColor TBitmap::Pixel(int x, int y) const { return image_ ? image_->Pixel(x, y) : clNone; }
void TBitmap::SetPixel(int x, int y, TColor color) {
  if (image_) image_->SetPixel(x, y, color);
}

TPixelBlock TBitmap::Pixels() const { return image_ ? image_->Snapshot() : TPixelBlock{}; }

void TBitmap::Assign(const TPixelBlock& pixels) {
  image_.reset();
  width_ = height_ = 0;
  SetSize(pixels.Width, pixels.Height);
  if (image_) image_->PutPixels(pixels);
}

void TBitmap::Draw(TCanvas& canvas, const TRect& rect) {
  if (Empty()) return;
  canvas.DrawPixels(rect, Pixels(), Transparent, EffectiveTransparentColor());
}

void TBitmap::LoadFromBytes(std::string_view bytes) {
  if (bytes.size() < 14 + 12 || bytes[0] != 'B' || bytes[1] != 'M') throw EInvalidGraphic(kBadBitmap);
  std::uint32_t offBits = Get32(bytes, 10);
  std::string_view info = bytes.substr(14);
  DibHeader h = ParseDibHeader(info);
  if (offBits < 14 + h.InfoSize() || offBits > bytes.size())
    offBits = static_cast<std::uint32_t>(14 + h.InfoSize());
  TPixelBlock pixels = DecodeWith(h, info, bytes.substr(offBits));
  Assign(pixels);
  switch (h.bitsPerPixel) {
    case 1:
      PixelFormat = pf1bit;
      break;
    case 4:
      PixelFormat = pf4bit;
      break;
    case 8:
      PixelFormat = pf8bit;
      break;
    case 16:
      PixelFormat = pf16bit;
      break;
    case 32:
      PixelFormat = pf32bit;
      break;
    default:
      PixelFormat = pf24bit;
      break;
  }
}

void TBitmap::LoadFromStream(TStream& stream) {
  char header[14];
  if (stream.Read(header, 14) != 14) throw EInvalidGraphic(kBadBitmap);
  std::uint32_t size = Get32(std::string_view(header, 14), 2);
  Int64 left = stream.Size() - stream.Position();
  std::string bytes(header, 14);
  if (size > 14 && size - 14 <= left) {
    bytes.resize(size);
    stream.ReadBuffer(bytes.data() + 14, static_cast<int>(size - 14));
  } else {
    bytes += ReadRest(stream);
  }
  LoadFromBytes(bytes);
}

std::string TBitmap::SaveToBytes() const {
  if (Empty()) return {};
  int bpp = PixelFormat == pf32bit ? 32 : 24;
  std::string info = gfx::EncodeDibInfo(width_, height_, bpp);
  std::string bits = gfx::EncodeDibBits(Pixels(), bpp);
  std::string file = "BM";
  Put32(file, static_cast<std::uint32_t>(14 + info.size() + bits.size()));
  Put32(file, 0);
  Put32(file, static_cast<std::uint32_t>(14 + info.size()));
  return file + info + bits;
}

void TBitmap::SaveToStream(TStream& stream) const {
  std::string bytes = SaveToBytes();
  stream.WriteBuffer(bytes.data(), static_cast<int>(bytes.size()));
}

// ---- TIcon ------------------------------------------------------------------

namespace {

struct PngReader {
  std::string_view data;
  size_t at = 0;
};

cairo_status_t ReadPng(void* closure, unsigned char* out, unsigned int length) {
  auto* reader = static_cast<PngReader*>(closure);
  if (reader->data.size() - reader->at < length) return CAIRO_STATUS_READ_ERROR;
  std::memcpy(out, reader->data.data() + reader->at, length);
  reader->at += length;
  return CAIRO_STATUS_SUCCESS;
}

// An icon image: a bitmap of twice the height whose lower half in the file
// is the AND mask that marks transparent pixels.
TPixelBlock DecodeIconImage(std::string_view data) {
  static const char kPngSignature[] = "\x89PNG\r\n\x1a\n";
  if (data.size() >= 8 && data.substr(0, 8) == std::string_view(kPngSignature, 8))
    return gfx::DecodePng(data, kBadIcon);
  std::string info(data.substr(0, std::min<size_t>(data.size(), 1024 + 12 + 1024)));
  if (info.size() < 40) throw EInvalidGraphic(kBadIcon);
  std::int32_t doubled = static_cast<std::int32_t>(Get32(info, 8));
  if (doubled <= 1 || doubled % 2 != 0) throw EInvalidGraphic(kBadIcon);
  int height = doubled / 2;
  for (int i = 0; i < 4; ++i)
    info[8 + i] = static_cast<char>((static_cast<std::uint32_t>(height) >> (8 * i)) & 0xFF);
  DibHeader h;
  try {
    h = ParseDibHeader(info);
  } catch (const EInvalidGraphic&) {
    throw EInvalidGraphic(kBadIcon);
  }
  size_t infoSize = h.InfoSize();
  size_t xorSize = RowStride(h.width, h.bitsPerPixel) * h.height;
  size_t andStride = RowStride(h.width, 1);
  if (infoSize + xorSize > data.size()) throw EInvalidGraphic(kBadIcon);
  TPixelBlock block = DecodeWith(h, info, data.substr(infoSize));
  bool hasAlpha = false;
  if (h.bitsPerPixel == 32) {
    // 32-bit icons carry their own alpha in the fourth byte.
    for (int row = 0; row < h.height; ++row)
      for (int x = 0; x < h.width; ++x) {
        unsigned char a =
            static_cast<unsigned char>(data[infoSize + RowStride(h.width, 32) * row + 4 * x + 3]);
        hasAlpha |= a != 0;
        std::uint32_t& p = block.Pixels[static_cast<size_t>(h.height - 1 - row) * h.width + x];
        p = (p & 0xFFFFFF) | (static_cast<std::uint32_t>(a) << 24);
      }
    if (!hasAlpha)
      for (std::uint32_t& p : block.Pixels) p |= 0xFF000000u;
  }
  size_t andAt = infoSize + xorSize;
  if (!hasAlpha && andAt + andStride * h.height <= data.size()) {
    for (int row = 0; row < h.height; ++row)
      for (int x = 0; x < h.width; ++x) {
        unsigned char byte = static_cast<unsigned char>(data[andAt + andStride * row + x / 8]);
        if ((byte >> (7 - x % 8)) & 1)
          block.Pixels[static_cast<size_t>(h.height - 1 - row) * h.width + x] = 0;
      }
  }
  return block;
}

}  // namespace

namespace gfx {

TPixelBlock DecodePng(std::string_view data, const char* message) {
  // The header's size is checked before the decoder allocates anything.
  if (data.size() < 24) throw EInvalidGraphic(message);
  const auto big = [&](size_t at) { return be::Get32(data, at); };
  if (big(16) > 65535 || big(20) > 65535 || static_cast<long long>(big(16)) * big(20) > gfx::kMaxPixels)
    throw EInvalidGraphic(message);
  PngReader reader{data};
  cairo_surface_t* s = cairo_image_surface_create_from_png_stream(ReadPng, &reader);
  if (cairo_surface_status(s) != CAIRO_STATUS_SUCCESS) {
    cairo_surface_destroy(s);
    throw EInvalidGraphic(message);
  }
  int w = cairo_image_surface_get_width(s), h = cairo_image_surface_get_height(s);
  int stride = cairo_image_surface_get_stride(s) / 4;
  const auto* d = reinterpret_cast<const std::uint32_t*>(cairo_image_surface_get_data(s));
  TPixelBlock block{w, h, {}};
  block.Pixels.resize(static_cast<size_t>(w) * h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      std::uint32_t p = d[y * stride + x];
      std::uint32_t a = p >> 24;
      if (a == 0) {
        block.Pixels[static_cast<size_t>(y) * w + x] = 0;
        continue;
      }
      // Cairo keeps colours premultiplied.
      auto un = [a](std::uint32_t c) { return std::min<std::uint32_t>(255, (c * 255 + a / 2) / a); };
      block.Pixels[static_cast<size_t>(y) * w + x] =
          (a << 24) | (un((p >> 16) & 0xFF) << 16) | (un((p >> 8) & 0xFF) << 8) | un(p & 0xFF);
    }
  cairo_surface_destroy(s);
  return block;
}

}  // namespace gfx

void TIcon::LoadFromBytes(std::string_view bytes) {
  if (bytes.size() < 6 || Get16(bytes, 0) != 0 || (Get16(bytes, 2) != 1 && Get16(bytes, 2) != 2))
    throw EInvalidGraphic(kBadIcon);
  int count = Get16(bytes, 4);
  if (count == 0 || 6 + 16 * static_cast<size_t>(count) > bytes.size()) throw EInvalidGraphic(kBadIcon);
  // The 32 × 32 image when there is one, else the largest.
  int chosen = -1, chosenSize = -1;
  for (int i = 0; i < count; ++i) {
    size_t e = 6 + 16 * static_cast<size_t>(i);
    int w = static_cast<unsigned char>(bytes[e]), h = static_cast<unsigned char>(bytes[e + 1]);
    if (w == 0) w = 256;
    if (h == 0) h = 256;
    int score = (w == 32 && h == 32) ? 1 << 20 : w * h;
    if (score > chosenSize) {
      chosen = i;
      chosenSize = score;
    }
  }
  size_t e = 6 + 16 * static_cast<size_t>(chosen);
  std::uint32_t length = Get32(bytes, e + 8), offset = Get32(bytes, e + 12);
  if (offset > bytes.size() || length > bytes.size() - offset) throw EInvalidGraphic(kBadIcon);
  TPixelBlock pixels = DecodeIconImage(bytes.substr(offset, length));
  pixels_ = std::move(pixels);
  data_.assign(bytes);
}

void TIcon::LoadFromStream(TStream& stream) { LoadFromBytes(ReadRest(stream)); }

void TIcon::SaveToStream(TStream& stream) const {
  stream.WriteBuffer(data_.data(), static_cast<int>(data_.size()));
}

void TIcon::Draw(TCanvas& canvas, const TRect& rect) {
  if (Empty()) return;
  canvas.DrawPixels(rect, pixels_, false, clNone);
}
