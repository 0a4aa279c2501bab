#include "grid/ExtPanelShade.h"

#include <algorithm>
#include <cmath>

namespace {

Cardinal ClockSeed() {
  Randomize();
  return RandSeed;
}

TShadeSeedSource g_seedSource = &ClockSeed;

int BlueOf(std::uint32_t pixel) { return static_cast<int>(pixel & 0xFF); }

// The pixel grid a shade draws on: points outside are ignored, as a pixel
// set outside a bitmap is.
class TShadeCanvas {
 public:
  TShadeCanvas(TPixelBlock& block, TColor rgb) : b_(block), rgb_(rgb) {}
  int W() const { return b_.Width; }
  int H() const { return b_.Height; }
  bool Inside(int x, int y) const { return x >= 0 && y >= 0 && x < b_.Width && y < b_.Height; }
  // The blue of a pixel; 255 (white) outside.
  int Blue(int x, int y) const { return Inside(x, y) ? BlueOf(b_.At(x, y)) : 255; }
  void Set(int x, int y, int v) {
    if (Inside(x, y)) b_.Pixels[static_cast<size_t>(y) * b_.Width + x] = ShadeTone(rgb_, v);
  }
  void Column(int x, int v) {
    for (int y = 0; y < H(); ++y) Set(x, y, v);
  }
  void Row(int y, int v) {
    for (int x = 0; x < W(); ++x) Set(x, y, v);
  }

 private:
  TPixelBlock& b_;
  TColor rgb_;
};

int Half(int n) { return n / 2; }

// The bump profile of a position a in -127..128 scaled by Scale/128.
int Bump(int a, int scale) { return a * a * a / 128 / 128 * scale / 128 + 128; }

// The diagonal pass: every pixel darker towards the bottom right, taking
// the blue the pixel has now into account.
void Diagonal(TShadeCanvas& c, int light, int slope) {
  for (int x = 0; x <= c.W(); ++x)
    for (int y = 0; y <= c.H(); ++y) {
      const int t = slope * x / c.W() + (light - c.Blue(x, y)) + slope * y / c.H();
      c.Set(x, y, light - Half(t));
    }
}

void MetalStrokes(TShadeCanvas& c, int light, bool right) {
  const int w = c.W(), h = c.H();
  for (int stroke = 0; stroke < 251; ++stroke) {
    const int cx = Random(w);
    const int cy = Random(h);
    const int n = Random(std::min(w, h) / 2);
    const int v = light - Random(40);
    for (int i = 0; i < n; ++i) {
      // One arm runs left-down (right metal) or right-down (left metal),
      // the other the opposite way; an arm stops at the bitmap's edge.
      const int x1 = right ? cx - i : cx + i, y1 = cy + i;
      const int x2 = right ? cx + i : cx - i, y2 = cy - i;
      if ((right ? x1 > 0 : x1 < w) && y1 < h) c.Set(x1, y1, v);
      if ((right ? x2 < w : x2 > 0) && y2 > 0) c.Set(x2, y2, v);
    }
  }
  Diagonal(c, light, 120);
}

void Radial(TShadeCanvas& c, int light, bool inner) {
  const int w = c.W(), h = c.H();
  const long double cx = w / 2, cy = h / 2;
  const long double d0 = std::max(1.0L, std::sqrt(cx * cx + cy * cy));
  for (int x = 0; x <= w / 2; ++x)
    for (int y = 0; y <= h / 2; ++y) {
      const long double dx = x - cx, dy = y - cy;
      const long double d = std::nearbyint(std::sqrt(dx * dx + dy * dy));
      const long double t = inner ? d0 - d : d;
      const int v = static_cast<int>(std::nearbyint(t / d0 * light));
      c.Set(x, y, v);
      c.Set(w - x, h - y, v);
      c.Set(w - x, y, v);
      c.Set(x, h - y, v);
    }
}

void HardBump(TShadeCanvas& c, int light) {
  const int w = c.W(), h = c.H();
  for (int y = 0; y <= h; ++y) c.Row(y, light - Half(Bump(y * 255 / h - 127, 112)));
  const int k = std::min(16, w / 6), q = h * h / 4;
  for (int x = 0; x <= w; ++x)
    for (int y = 0; y <= h; ++y) {
      const int dy = y - h / 2, dx = x - w / 2;
      const int e = dy * dy * k / q + w / 2 - k;
      if (dx > e)
        c.Set(x, y, light - Half((w - x) * 128 / k + 8));
      else if (dx + e < 0)
        c.Set(x, y, light - Half(247 - x * 128 / k));
    }
}

// True when the shade divides by nothing that is 0 for this bitmap.
bool Divisible(TShadeType type, int w, int h) {
  if (w <= 0 || h <= 0) return false;
  if (type == stHardBump) return std::min(16, w / 6) > 0 && h * h / 4 > 0;
  return true;
}

}  // namespace

void SetShadeSeedSource(TShadeSeedSource source) { g_seedSource = source ? source : &ClockSeed; }

TShadeSeedSource ShadeSeedSource() { return g_seedSource; }

std::uint32_t ShadeTone(TColor rgb, int v) {
  const int r = static_cast<int>(rgb & 0xFF), g = static_cast<int>((rgb >> 8) & 0xFF),
            b = static_cast<int>((rgb >> 16) & 0xFF);
  const auto scale = [v](int component) { return static_cast<std::uint32_t>((component * v / 255) & 0xFF); };
  return 0xFF000000u | scale(r) << 16 | scale(g) << 8 | scale(b);
}

void BuildShadePixels(TShadeType type, TColor rgb, int light, Byte grain, TPixelBlock& block) {
  const int w = block.Width, h = block.Height;
  block.Pixels.assign(static_cast<size_t>(std::max(w, 0)) * std::max(h, 0), 0xFFFFFFFFu);
  RandSeed = g_seedSource();
  TShadeCanvas c(block, rgb);
  const bool plain = type == stNormal || type >= stXPCaption;
  if (plain || !Divisible(type, w, h)) {
    std::fill(block.Pixels.begin(), block.Pixels.end(), ShadeTone(rgb, 255));
    return;
  }
  switch (type) {
    case stNoise:
      for (int x = 0; x <= w; ++x)
        for (int y = 0; y <= h; ++y) c.Set(x, y, light - Half(Random(grain) + 128));
      break;
    case stDiagShade:
      Diagonal(c, light, 129);
      break;
    case stHShade:
    case stHShadeInv:
      for (int x = 0; x <= w; ++x)
        c.Column(type == stHShade ? x : w - x, light - Half(239 * (w - x) / w + 8));
      break;
    case stVShade:
    case stVShadeInv:
      for (int y = 0; y <= h; ++y) c.Row(type == stVShade ? y : h - y, light - Half(239 * y / h + 8));
      break;
    case stHBump:
      for (int x = 0; x <= w; ++x) c.Column(x, light - Half(Bump((w - x) * 255 / w - 127, 120)));
      break;
    case stVBump:
      for (int y = 0; y <= h; ++y) c.Row(y, light - Half(Bump(y * 255 / h - 127, 120)));
      break;
    case stSoftBump:
      for (int x = 0; x <= w; ++x)
        for (int y = 0; y <= h; ++y) {
          const int a = y * 255 / h - 127, e = (w - x) * 255 / w - 127;
          const int m = std::clamp((a * a * a / 128 / 128 + e * e * e / 128 / 128) * 120 / 128 + 128, 8, 247);
          c.Set(x, y, light - Half(m));
        }
      break;
    case stHardBump:
      HardBump(c, light);
      break;
    case stLMetal:
    case stRMetal:
      MetalStrokes(c, light, type == stRMetal);
      break;
    case stIRadial:
    case stORadial:
      Radial(c, light, type == stIRadial);
      break;
    default:
      break;
  }
}

TRegion CaptionShapeRegion(TCaptionShape shape, const TRect& rect) {
  if (shape == csRectangle || rect.IsEmpty()) return {rect};
  // One band per pixel row where the corner ellipses cut in, one band for
  // the straight middle. The ellipse of radius 16 is sampled at the row's
  // centre.
  const int radius = std::min({16, rect.Width() / 2, rect.Height() / 2});
  TRegion region;
  const auto inset = [&](int row) {
    if (radius <= 0) return 0;
    const long double dy = radius - (row + 0.5L);
    if (dy <= 0) return 0;
    const long double dx = std::sqrt(std::max(0.0L, radius * static_cast<long double>(radius) - dy * dy));
    return static_cast<int>(std::lround(radius - dx));
  };
  const auto band = [&](int top, int bottom, int in) {
    const int left = rect.Left + in, right = shape == csRounded ? rect.Right - in : rect.Right;
    if (top < bottom && left < right) region.push_back(Rect(left, top, right, bottom));
  };
  for (int row = 0; row < radius; ++row) band(rect.Top + row, rect.Top + row + 1, inset(row));
  band(rect.Top + radius, rect.Bottom - radius, 0);
  for (int row = radius - 1; row >= 0; --row) band(rect.Bottom - row - 1, rect.Bottom - row, inset(row));
  return region;
}
