// Small pictures the grid draws inside cells: transparent bitmaps, a
// progress pie and the red underline under a cell's faulty characters.

#include <algorithm>
#include <cmath>
#include <numbers>

#include "grid/GridUtil.h"
#include "platform/gfx/Picture.h"

namespace {

// 0x00BBGGRR to the pixel block's 0xAARRGGBB, opaque.
std::uint32_t OpaquePixel(TColor color) {
  TColor rgb = ColorToRGB(color);
  return 0xFF000000u | (static_cast<std::uint32_t>(GetRValue(rgb)) << 16) |
         (static_cast<std::uint32_t>(GetGValue(rgb)) << 8) | static_cast<std::uint32_t>(GetBValue(rgb));
}

}  // namespace

TPixelBlock TransparentPixels(TBitmap& Bitmap, TColor Color) {
  TPixelBlock pixels = Bitmap.Pixels();
  if (pixels.Pixels.empty()) return pixels;
  const std::uint32_t key = pixels.At(0, 0) & 0x00FFFFFFu;
  const std::uint32_t replacement = OpaquePixel(Color);
  for (std::uint32_t& pixel : pixels.Pixels)
    if ((pixel & 0x00FFFFFFu) == key) pixel = replacement;
  return pixels;
}

void DrawBitmapTransparent(TCanvas& Canvas, TBitmap& Bitmap, TColor Color, const TRect& Rect) {
  if (Bitmap.Empty()) return;
  const TPixelBlock pixels = TransparentPixels(Bitmap, Color);
  Canvas.DrawPixels(Bounds(Rect.Left, Rect.Top, pixels.Width, pixels.Height), pixels, false, 0);
}

int FontCharHeight(const TFont& Font) {
  TBitmap scratch(1, 1);
  TCanvas& canvas = *scratch.Canvas();
  canvas.Font->Assign(Font);
  return canvas.TextHeight("0");
}

void DrawResourceBitmap(TCanvas& Canvas, TColor Color, const TRect& Rect, const AnsiString& ResourceName) {
  if (!HasBitmapResource(ResourceName)) return;
  std::unique_ptr<TBitmap> bitmap = LoadBitmapResource(ResourceName);
  if (bitmap) DrawBitmapTransparent(Canvas, *bitmap, Color, Rect);
}

// The sector is one polygon from the centre along the rim, the same area a
// flood fill between the two radii and the grey rim covers.
void DrawProgressPie(TCanvas& Canvas, const TRect& Rect, TColor Color, int Percent) {
  const int saved = Canvas.SaveDC();
  Canvas.Pen->Color = static_cast<TColor>(0x808080);
  Canvas.Pen->Width = 1;
  Canvas.Ellipse(Rect);
  const int width = Rect.Right - Rect.Left, height = Rect.Bottom - Rect.Top;
  const int cx = Rect.Left + width / 2, cy = Rect.Top + height / 2;
  const double turn = std::clamp(Percent, 0, 100) / 100.0 * 2 * std::numbers::pi;
  auto rim = [&](double angle, double rx, double ry) {
    return TPoint{cx + static_cast<int>(std::lround(std::sin(angle) * rx)),
                  cy - static_cast<int>(std::lround(std::cos(angle) * ry))};
  };
  const TPoint top{cx, Rect.Top};
  const TPoint end = rim(turn, (width + 1) / 2.0, (height + 1) / 2.0);
  if (Percent > 0) {
    std::vector<TPoint> sector{{cx, cy}, top};
    const int steps = std::max(2, static_cast<int>(turn * 16));
    for (int i = 1; i < steps; ++i) sector.push_back(rim(turn * i / steps, width / 2.0, height / 2.0));
    sector.push_back(end);
    Canvas.Brush->Color = Color;
    Canvas.Brush->Style = bsSolid;
    Canvas.Polygon(sector);
  }
  Canvas.MoveTo(top.X, top.Y);
  Canvas.LineTo(cx, cy);
  Canvas.LineTo(end.X, end.Y);
  Canvas.RestoreDC(saved);
}

// Positions come from the canvas's own character ends, so the line sits
// under the characters as the cell drew them. A position past the text is
// 4 pixels after its last character.
void DrawErrorUnderline(TCanvas& Canvas, const AnsiString& Text, int Len, int From, int LineHeight,
                        const TRect& Rect) {
  if (Len <= 0 || From < 0 || Text.empty()) return;
  const std::vector<int> ends = Canvas.CharacterEnds(Text);
  const int count = static_cast<int>(ends.size());
  if (count == 0) return;
  auto leftOf = [&](int index) {
    if (index >= count) return ends[static_cast<size_t>(count - 1)] + 4;
    return index == 0 ? 0 : ends[static_cast<size_t>(index - 1)];
  };
  const long long lastIndex = static_cast<long long>(From) + Len - 1;
  const int first = Rect.Left + leftOf(From);
  const int last = Rect.Left + (lastIndex < count ? ends[static_cast<size_t>(lastIndex)] : leftOf(count));
  const int y = Rect.Top + LineHeight + 3;
  std::vector<TPoint> zigzag;
  bool low = false;
  for (int x = first; x <= std::max(last, first + 3); x += 3, low = !low)
    zigzag.push_back({x, low ? y + 3 : y});
  const int saved = Canvas.SaveDC();
  Canvas.Pen->Color = static_cast<TColor>(0x0000FF);
  Canvas.Pen->Width = 2;
  Canvas.Polyline(zigzag);
  Canvas.RestoreDC(saved);
}
