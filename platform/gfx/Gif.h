#pragma once
// GIF pictures, read through giflib: every frame with its own or the global
// colour table, interlaced rows put in order, the transparent index of its
// graphic control block left undrawn. The picture is the frame shown, at
// that frame's own size; where the frame lies on the file's logical screen
// is told by FrameLeft and FrameTop.

#include <string>
#include <string_view>
#include <vector>

#include "platform/gfx/Graphics.h"

// Frames larger than this on a side are refused as damaged.
constexpr int kMaxPictureSide = 16384;

struct TGifFrame {
  int Left = 0, Top = 0;
  TPixelBlock Pixels;  // transparent pixels have alpha 0
  int DelayMs = 0;
};

class TGIFImage : public TGraphic {
 public:
  int Width() const override { return frames_.empty() ? 0 : Current().Pixels.Width; }
  int Height() const override { return frames_.empty() ? 0 : Current().Pixels.Height; }
  bool Empty() const override { return frames_.empty(); }
  int ScreenWidth() const { return screenWidth_; }
  int ScreenHeight() const { return screenHeight_; }
  int FrameCount() const { return static_cast<int>(frames_.size()); }
  const TGifFrame& Frames(int index) const { return frames_.at(static_cast<size_t>(index)); }
  // 0-based; out of range is ignored.
  int CurrentFrame() const { return current_; }
  void SetCurrentFrame(int index);

  // The shown frame stretched into Rect.
  void Draw(TCanvas& canvas, const TRect& rect) override;
  // Reads the rest of the stream; damaged data raises EInvalidGraphic and
  // leaves the picture as it was. A file cut short keeps the frames that
  // were whole.
  void LoadFromStream(TStream& stream) override;
  void SaveToStream(TStream& stream) const override;
  void LoadFromBytes(std::string_view bytes);

 private:
  const TGifFrame& Current() const { return frames_[static_cast<size_t>(current_)]; }
  std::vector<TGifFrame> frames_;
  int screenWidth_ = 0, screenHeight_ = 0, current_ = 0;
  std::string data_;
};
