#include "platform/ui/ControlPaint.h"

#include <algorithm>

namespace ui::paint {

void Caption(TCanvas& canvas, const AnsiString& text, TRect rect, unsigned format, bool enabled) {
  canvas.Brush->Style = bsClear;
  if (enabled) {
    canvas.DrawText(text, rect, format);
    return;
  }
  const TColor ink = canvas.Font->Color;
  TRect shifted = OffsetRect(rect, 1, 1);
  canvas.Font->Color = clBtnHighlight;
  canvas.DrawText(text, shifted, format);
  canvas.Font->Color = clBtnShadow;
  canvas.DrawText(text, rect, format);
  canvas.Font->Color = ink;
}

TSize CaptionExtent(TCanvas& canvas, const AnsiString& text, unsigned format, int width) {
  TRect r = Rect(0, 0, width > 0 ? width : 1, 0);
  canvas.DrawText(text.empty() ? AnsiString(" ") : text, r, format | DT_CALCRECT);
  return {r.Width(), r.Height()};
}

TPixelBlock GlyphImage(const TBitmap& strip, int count, int index) {
  TPixelBlock all = strip.Pixels();
  count = std::max(count, 1);
  const int width = all.Width / count;
  if (index < 0 || index >= count) index = 0;
  TPixelBlock part;
  part.Width = width;
  part.Height = all.Height;
  part.Pixels.reserve(static_cast<size_t>(width) * all.Height);
  for (int y = 0; y < all.Height; ++y)
    for (int x = 0; x < width; ++x) part.Pixels.push_back(all.At(index * width + x, y));
  return part;
}

namespace {
// The same shape in one colour: every pixel drawn becomes Color, the key
// colour stays out.
TPixelBlock Silhouette(const TPixelBlock& image, std::uint32_t key, TColor color) {
  const TColor rgb = ColorToRGB(color);
  const std::uint32_t pixel = 0xFF000000u | (static_cast<std::uint32_t>(GetRValue(rgb)) << 16) |
                              (GetGValue(rgb) << 8) | GetBValue(rgb);
  TPixelBlock out = image;
  for (auto& p : out.Pixels) {
    const bool shown = (p >> 24) >= 0x80 && (p & 0xFFFFFF) != key;
    // Light pixels of the glyph vanish in the embossed look, as on the
    // classic desktop.
    const int r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, b = p & 0xFF;
    p = shown && (r * 30 + g * 59 + b * 11) / 100 < 192 ? pixel : 0;
  }
  return out;
}
}  // namespace

void Glyph(TCanvas& canvas, const TPixelBlock& image, TColor key, TPoint at, bool enabled) {
  if (image.Width <= 0 || image.Height <= 0) return;
  const TRect dest = Bounds(at.X, at.Y, image.Width, image.Height);
  // Without a key colour only the pixels' own transparency counts.
  const bool keyed = key != clNone;
  const TColor keyRgb = ColorToRGB(key);
  if (enabled) {
    canvas.DrawPixels(dest, image, keyed, keyRgb);
    return;
  }
  const std::uint32_t keyPixel = keyed ? (static_cast<std::uint32_t>(GetRValue(keyRgb)) << 16) |
                                             (GetGValue(keyRgb) << 8) | GetBValue(keyRgb)
                                       : 0xFFFFFFFFu;  // matches no pixel's colour
  canvas.DrawPixels(OffsetRect(dest, 1, 1), Silhouette(image, keyPixel, clBtnHighlight), false, clNone);
  canvas.DrawPixels(dest, Silhouette(image, keyPixel, clBtnShadow), false, clNone);
}

void ItemColours(TCanvas& canvas, const TFont& font, TColor color, bool selected) {
  canvas.Font->Assign(font);
  canvas.Brush->Style = bsSolid;
  if (selected) {
    canvas.Brush->Color = clHighlight;
    canvas.Font->Color = clHighlightText;
  } else {
    canvas.Brush->Color = color;
  }
}

void FocusRect(TCanvas& canvas, const TRect& rect) { canvas.DrawFocusRect(rect); }

void Fill(TCanvas& canvas, const TRect& rect, TColor color) {
  const TBrush saved = *canvas.Brush;
  canvas.Brush->Color = color;
  canvas.Brush->Style = bsSolid;
  canvas.FillRect(rect);
  canvas.Brush->Assign(saved);
}

void Frame(TCanvas& canvas, const TRect& rect, TColor color) {
  const TBrush saved = *canvas.Brush;
  canvas.Brush->Color = color;
  canvas.Brush->Style = bsSolid;
  canvas.FrameRect(rect);
  canvas.Brush->Assign(saved);
}

}  // namespace ui::paint
