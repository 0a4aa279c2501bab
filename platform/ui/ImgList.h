#pragma once
// A list of small pictures of one size, drawn by index (tool buttons, menus).

#include <vector>

#include "platform/gfx/Bitmap.h"
#include "platform/ui/Component.h"

class TCustomImageList : public TComponent {
 public:
  explicit TCustomImageList(TComponent* AOwner);
  int Width() const { return width_; }
  int Height() const { return height_; }
  // Clears the list: the pictures have one size.
  void SetSize(int width, int height);
  int Count() const { return static_cast<int>(images_.size()); }
  // Cuts Image into as many pictures of Width as it holds, left to right;
  // pixels of the bitmap's key colour stay transparent. Returns the index
  // of the first one added.
  int AddMasked(const TBitmap& Image, TColor MaskColor);
  int Add(const TBitmap& Image) { return AddMasked(Image, Image.EffectiveTransparentColor()); }
  void Delete(int Index);
  void Clear();
  // A picture outside the list draws nothing; disabled ones are embossed.
  void Draw(TCanvas& Canvas, int X, int Y, int Index, bool Enabled = true) const;
  const TPixelBlock& Image(int Index) const { return images_.at(static_cast<size_t>(Index)); }
  TNotifyEvent OnChange;

 private:
  void Changed();
  int width_ = 16, height_ = 16;
  std::vector<TPixelBlock> images_;
};

class TImageList : public TCustomImageList {
 public:
  explicit TImageList(TComponent* AOwner) : TCustomImageList(AOwner) {}
};
