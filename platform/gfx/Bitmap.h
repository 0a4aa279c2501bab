#pragma once
// Device-independent bitmaps: BMP files (1, 4, 8, 24 and 32 bits per pixel
// read; 24 and 32 written), bitmaps to draw on, and icons (ICO files).

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "platform/gfx/CairoCanvas.h"
#include "platform/gfx/Graphics.h"

enum TPixelFormat { pfDevice, pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit };

namespace gfx {

// Decodes a bitmap-info block (header and palette) and its pixel bits, as
// found in BMP files, icons and metafile records. Every size is checked
// against the bytes at hand; damaged data raises EInvalidGraphic.
TPixelBlock DecodeDib(std::string_view info, std::string_view bits);
// A BITMAPINFOHEADER and bottom-up rows of 24 or 32 bits per pixel.
std::string EncodeDibInfo(int width, int height, int bitsPerPixel);
std::string EncodeDibBits(const TPixelBlock& pixels, int bitsPerPixel);
// A PNG file's pixels with their alpha; damaged or oversized data raises
// EInvalidGraphic with Message.
TPixelBlock DecodePng(std::string_view data, const char* message);
// Pictures larger than this many pixels are refused as damaged.
constexpr long long kMaxPixels = 1LL << 26;

}  // namespace gfx

class TBitmap : public TGraphic {
 public:
  TBitmap();
  TBitmap(int width, int height);
  ~TBitmap() override;

  int Width() const override { return width_; }
  int Height() const override { return height_; }
  bool Empty() const override { return width_ == 0 || height_ == 0; }
  // Keeps the part of the picture that still fits; new area is white.
  void SetSize(int width, int height);
  // Drawing on the bitmap itself; null while the bitmap is empty.
  TCanvas* Canvas();
  TPixelFormat PixelFormat = pf24bit;
  // The key colour of transparent drawing; clDefault takes the bottom-left
  // pixel, as the class library does.
  TColor TransparentColor = clDefault;
  TColor EffectiveTransparentColor() const;

  TColor Pixel(int x, int y) const;
  void SetPixel(int x, int y, TColor color);
  TPixelBlock Pixels() const;
  void Assign(const TPixelBlock& pixels);

  void Draw(TCanvas& canvas, const TRect& rect) override;
  // BMP from the stream's position; the file header's size says how much
  // belongs to the bitmap.
  void LoadFromStream(TStream& stream) override;
  // 32-bit bitmaps stay 32-bit; every other format is written as 24-bit.
  void SaveToStream(TStream& stream) const override;
  void LoadFromBytes(std::string_view bytes);
  std::string SaveToBytes() const;

 private:
  int width_ = 0, height_ = 0;
  std::unique_ptr<TImageCanvas> image_;
};

class TIcon : public TGraphic {
 public:
  int Width() const override { return pixels_.Width; }
  int Height() const override { return pixels_.Height; }
  bool Empty() const override { return pixels_.Width == 0; }
  // The image drawn: the 32 × 32 one when the file has it, else the largest.
  const TPixelBlock& Pixels() const { return pixels_; }
  void Draw(TCanvas& canvas, const TRect& rect) override;
  // Reads the rest of the stream as an ICO file.
  void LoadFromStream(TStream& stream) override;
  // The file as it was read.
  void SaveToStream(TStream& stream) const override;
  void LoadFromBytes(std::string_view bytes);

 private:
  TPixelBlock pixels_;
  std::string data_;
};

// Reads the rest of a stream.
std::string ReadRest(TStream& stream);
