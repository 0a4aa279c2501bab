#pragma once
// The canvas over cairo: on an image (screen pixels at 96 dots per inch)
// or on PDF pages (printer dots). Shapes on images are drawn without
// anti-aliasing so that pixels land where the graphics device interface
// puts them; inverting pen modes work on images.

#include <cairo.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/gfx/Graphics.h"
#include "platform/gfx/TextEngine.h"

// What a device tells about itself through GetDeviceCaps.
struct TDeviceCaps {
  int LogPixelsX = 96;
  int LogPixelsY = 96;
  int HorzRes = 0;  // printable width in device units
  int VertRes = 0;
  int PhysicalWidth = 0;  // whole sheet
  int PhysicalHeight = 0;
  int PhysicalOffsetX = 0;  // unprintable margin
  int PhysicalOffsetY = 0;
  friend bool operator==(const TDeviceCaps&, const TDeviceCaps&) = default;
};

class TCairoCanvas : public TCanvas {
 public:
  ~TCairoCanvas() override;

  void ExtTextOut(int x, int y, unsigned options, const TRect* rect, const AnsiString& text,
                  const int* dx = nullptr) override;
  void ExtTextOutW(int x, int y, unsigned options, const TRect* rect, const WideString& text,
                   const int* dx = nullptr) override;
  // Known on whole pixels, for upright code-page text the font's table
  // draws.
  bool TextInkWithin(const AnsiString& text, int x, int y, const TRect& rect) override;
  void FillRect(const TRect& rect) override;
  void Rectangle(int x1, int y1, int x2, int y2) override;
  using TCanvas::Rectangle;
  void RoundRect(int x1, int y1, int x2, int y2, int x3, int y3) override;
  void Ellipse(int x1, int y1, int x2, int y2) override;
  using TCanvas::Ellipse;
  void Arc(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) override;
  void Polygon(const std::vector<TPoint>& points) override;
  void Polyline(const std::vector<TPoint>& points) override;
  bool LineAlongAxis(TPoint from, TPoint to) override;
  void DrawFocusRect(const TRect& rect) override;
  void DrawPixels(const TRect& dest, const TPixelBlock& pixels, bool transparent, TColor key) override;
  int GetDeviceCaps(int index) const override;
  const TDeviceCaps& DeviceCaps() const { return caps_; }

 protected:
  // Takes a reference to Surface. User space is device units; Scale maps
  // them onto the surface's own units.
  TCairoCanvas(cairo_surface_t* surface, const TDeviceCaps& caps, double scaleX, double scaleY,
               bool pixelExact);
  void ClipChanged() override;
  TSize SurfaceSize() const override { return {caps_.HorzRes, caps_.VertRes}; }
  // Reinstates the transform and clipping after the surface starts a new
  // page, a blank one.
  void ResetContext();
  // For a surface whose pages start blank and are seen on white (a
  // document): where the page has ink is noted, so that what changes
  // nothing that can be seen is left out of the document: white laid where
  // nothing was drawn yet, and a text's clip that cuts none of its ink.
  void KeepTrackOfInk(bool on) { tracksInk_ = on; }
  // Where device point (0, 0) lies on the surface, in device units: the
  // printable area of a sheet starts at the physical offset.
  double originX_ = 0, originY_ = 0;

  cairo_surface_t* surface_;
  cairo_t* cr_;

 private:
  // CodePage, when given, is the text before conversion: it is measured
  // and drawn from the font's tables.
  void ShowText(const gfx::ResolvedFont& font, int x, int y, unsigned options, const TRect* rect,
                const gfx::ResolvedFont::Converted& text, const int* dx,
                const AnsiString* codePage = nullptr);
  void SetColor(TColor color);
  // The same, leaving a source of that colour in place.
  void SetColorOnce(TColor color);
  void MapCorners(int& x1, int& y1, int& x2, int& y2) const {
    const TPoint a = LPtoDP(TPoint{x1, y1}), b = LPtoDP(TPoint{x2, y2});
    x1 = a.X, y1 = a.Y, x2 = b.X, y2 = b.Y;
  }
  bool PenVisible() const;
  bool BrushVisible() const;
  void ApplyPen();
  void FillWithBrush();
  void StrokeWithPen();
  // A one-pixel solid line along an axis drawn as the box of pixels it
  // covers; false where only the stroke gives the same pixels.
  bool FillAxisLine(TPoint from, TPoint to);
  void ApplyClip(cairo_t* cr) const;
  // Cairo's clip follows the canvas's only before cairo draws: a paint sets
  // and restores the clipping for every cell, and most of those clips see
  // only fills, which reach the pixels without cairo. Called before a call
  // starts a path.
  void UseClip();
  void GiveCairoTheClip();
  // Whether the device box lies within a piece of the clipping, and cairo
  // may draw it with no clip at all.
  bool WithinClip(double x1, double y1, double x2, double y2) const;
  void LeaveCairoUnclipped();
  // An opaque box of a colour straight onto an image's pixels, cut by the
  // clipping; false where only cairo gives the same pixels (a page, a
  // scale).
  bool FillPixels(const TRect& box, TColor color);
  // A picture at its own size straight onto an image's pixels, cut by the
  // clipping; false where only cairo gives the same pixels.
  bool CopyPixels(const TRect& dest, const TPixelBlock& pixels, bool transparent, TColor key);
  // The device box may have ink from now on (a path's points are widened
  // by the pen).
  void Inked(double x1, double y1, double x2, double y2);
  void InkedByPen(double x1, double y1, double x2, double y2);
  void InkedByPoints(const std::vector<TPoint>& points);
  void InkedEverywhere() { inkEverywhere_ = tracksInk_; }
  // Whether a white fill of the device box shows nothing new.
  bool WhiteOnBlank(const TRect& box) const;
  void InvertUnderMask(cairo_path_t* path, bool fill);

  TDeviceCaps caps_;
  double scaleX_, scaleY_;
  bool pixelExact_;
  // Whole device pixels of an image, unscaled: FillPixels may write them.
  bool directPixels_ = false;
  // The clipping may have changed since cairo was last given it, which was
  // AppliedClip (none when HasAppliedClip is false).
  bool clipStale_ = false;
  bool hasAppliedClip_ = false;
  TRegion appliedClip_;
  // The page's inked boxes and their union; past a few hundred boxes they
  // are folded into their union, so that a crowded page costs no more
  // per fill.
  struct InkBox {
    double x1, y1, x2, y2;
  };
  bool tracksInk_ = false;
  bool inkEverywhere_ = false;
  std::vector<InkBox> inked_;
  InkBox inkUnion_{0, 0, 0, 0};
};

// A white image of screen pixels.
class TImageCanvas : public TCairoCanvas {
 public:
  TImageCanvas(int width, int height);
  int Width() const { return width_; }
  int Height() const { return height_; }
  // 0x00BBGGRR.
  TColor Pixel(int x, int y) const;
  void SetPixel(int x, int y, TColor color);
  TPixelBlock Snapshot() const;
  // Copies a block of the same size onto the image (alpha is dropped).
  void PutPixels(const TPixelBlock& pixels);
  // Moves the pixels of Area (cut to the image) by DX, DY: what would land
  // outside Area is dropped, and the part of Area the move uncovers keeps
  // the pixels it had.
  void MovePixels(const TRect& area, int dx, int dy);
  std::vector<std::uint8_t> PngBytes() const;
  void SaveToPng(const std::string& fileName) const;  // EInOutError when it cannot be written

 private:
  int width_, height_;
};
