#include "platform/ui/ImgList.h"

#include <algorithm>

#include "platform/ui/ControlPaint.h"

TCustomImageList::TCustomImageList(TComponent* AOwner) : TComponent(AOwner) {}

void TCustomImageList::Changed() {
  if (OnChange) OnChange(this);
}

void TCustomImageList::SetSize(int width, int height) {
  width_ = std::max(width, 1);
  height_ = std::max(height, 1);
  images_.clear();
  Changed();
}

int TCustomImageList::AddMasked(const TBitmap& image, TColor maskColor) {
  const int first = Count();
  if (image.Empty()) return -1;
  const TPixelBlock all = image.Pixels();
  const TColor key = ColorToRGB(maskColor);
  const std::uint32_t keyPixel =
      (static_cast<std::uint32_t>(GetRValue(key)) << 16) | (GetGValue(key) << 8) | GetBValue(key);
  const int pictures = std::max(1, all.Width / width_);
  for (int n = 0; n < pictures; ++n) {
    TPixelBlock picture;
    picture.Width = width_;
    picture.Height = height_;
    picture.Pixels.assign(static_cast<size_t>(width_) * height_, 0);
    for (int y = 0; y < std::min(height_, all.Height); ++y)
      for (int x = 0; x < width_ && n * width_ + x < all.Width; ++x) {
        const std::uint32_t p = all.At(n * width_ + x, y);
        // The key colour becomes see-through.
        picture.Pixels[static_cast<size_t>(y) * width_ + x] =
            (p & 0xFFFFFF) == keyPixel ? 0 : (p | 0xFF000000u);
      }
    images_.push_back(std::move(picture));
  }
  Changed();
  return first;
}

void TCustomImageList::Delete(int index) {
  if (index < 0 || index >= Count()) throw EListError("List index out of bounds (" + IntToStr(index) + ")");
  images_.erase(images_.begin() + index);
  Changed();
}

void TCustomImageList::Clear() {
  images_.clear();
  Changed();
}

void TCustomImageList::Draw(TCanvas& canvas, int X, int Y, int index, bool enabled) const {
  if (index < 0 || index >= Count()) return;
  ui::paint::Glyph(canvas, images_[static_cast<size_t>(index)], clNone, Point(X, Y), enabled);
}
