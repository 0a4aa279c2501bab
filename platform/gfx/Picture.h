#pragma once
// TPicture holds any picture, choosing its kind by the file's extension;
// named bitmaps of the program's own drawing stand in for compiled-in
// resources.

#include <functional>
#include <memory>
#include <string_view>

#include "platform/gfx/Bitmap.h"
#include "platform/gfx/Graphics.h"

class TPicture {
 public:
  TGraphic* Graphic() const { return graphic_.get(); }
  void SetGraphic(std::unique_ptr<TGraphic> graphic);
  // The bitmap held, or a new empty one replacing what was held. Drawing
  // into it later tells nobody: the drawer calls Changed when done.
  TBitmap* Bitmap();
  // Told whenever another graphic is held (set, loaded or replaced).
  std::function<void()> OnChange;
  void Changed() const {
    if (OnChange) OnChange();
  }
  int Width() const { return graphic_ ? graphic_->Width() : 0; }
  int Height() const { return graphic_ ? graphic_->Height() : 0; }
  // ".bmp", ".gif", ".ico", ".jpg", ".jpeg", ".emf" in any letter case; another
  // extension raises EInvalidGraphic "Unknown picture file extension (.xyz)".
  // A picture that cannot be read leaves the previous one in place.
  void LoadFromFile(const AnsiString& fileName);
  void SaveToFile(const AnsiString& fileName) const;
  // A new empty graphic of the kind the extension names (null for none).
  static std::unique_ptr<TGraphic> NewGraphicFor(const AnsiString& extension);

 private:
  std::unique_ptr<TGraphic> graphic_;
};

// A picture decoded from a file's bytes, its kind found by their content:
// BMP, GIF, JPEG, ICO or EMF. Raises EInvalidGraphic "Unknown picture
// format" for other bytes and the reader's own error for damaged ones.
std::unique_ptr<TGraphic> GraphicFromBytes(std::string_view bytes);

// Named bitmaps: the program registers a drawing for each name at start-up
// and LoadBitmapResource paints a fresh bitmap from it (EResNotFound
// "Resource %s not found" for an unknown name).
DIM_EXCEPTION(EResNotFound, Exception)
using TBitmapPainter = std::function<void(TBitmap&)>;
void RegisterBitmapResource(const AnsiString& name, int width, int height, TBitmapPainter painter);
std::unique_ptr<TBitmap> LoadBitmapResource(const AnsiString& name);
bool HasBitmapResource(const AnsiString& name);

// Cursors likewise, by name (numbered cursors by their number in decimal).
// The painter draws on a bitmap filled with the transparent key colour
// clFuchsia; what it leaves in that colour is not part of the cursor.
struct TCursorImage {
  std::unique_ptr<TBitmap> Picture;
  TPoint HotSpot;
};
void RegisterCursorResource(const AnsiString& name, int width, int height, TPoint hotSpot,
                            TBitmapPainter painter);
TCursorImage LoadCursorResource(const AnsiString& name);
bool HasCursorResource(const AnsiString& name);
