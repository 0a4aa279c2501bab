#pragma once
// JPEG pictures through libjpeg. Its errors come back as EInvalidGraphic
// instead of ending the process, and damaged data never leaves a half
// picture behind.

#include <string>
#include <string_view>

#include "platform/gfx/Bitmap.h"
#include "platform/gfx/Graphics.h"

class TJPEGImage : public TGraphic {
 public:
  int Width() const override { return pixels_.Width; }
  int Height() const override { return pixels_.Height; }
  bool Empty() const override { return pixels_.Width == 0; }
  const TPixelBlock& Pixels() const { return pixels_; }
  // 1..100, used when a picture assigned from a bitmap is written.
  int CompressionQuality = 90;
  bool Grayscale() const { return grayscale_; }

  void Assign(const TBitmap& bitmap);
  void Draw(TCanvas& canvas, const TRect& rect) override;
  // Reads the rest of the stream.
  void LoadFromStream(TStream& stream) override;
  // The bytes as read, or a fresh encoding of an assigned bitmap.
  void SaveToStream(TStream& stream) const override;
  void LoadFromBytes(std::string_view bytes);
  std::string SaveToBytes() const;

 private:
  TPixelBlock pixels_;
  std::string data_;
  bool grayscale_ = false;
};
