#pragma once
// A canvas for one control on the pixels of its window: coordinates are the
// control's own (its top-left corner is 0, 0) and drawing never leaves the
// area it was given. Every call is passed on to the window's canvas with the
// offset added and the clipping combined.

#include <cstdint>

#include "platform/gfx/Graphics.h"

class TControlCanvas : public TCanvas {
 public:
  // Target: the window's canvas. Origin: where this canvas's (0, 0) lies on
  // Target. Limit: the area of Target this canvas may touch (Target's
  // coordinates); Size: the control's size.
  TControlCanvas(TCanvas& target, TPoint origin, const TRect& limit, TSize size);
  // As a new canvas of these, keeping this one's storage.
  void Reset(TCanvas& target, TPoint origin, const TRect& limit, TSize size);

  TSize TextExtent(const AnsiString& text) override;
  TTextMetric GetTextMetrics() override;
  std::vector<int> CharacterEnds(const AnsiString& text) override;
  TTextRuler Ruler(const AnsiString& text) override;
  void ExtTextOut(int x, int y, unsigned options, const TRect* rect, const AnsiString& text,
                  const int* dx = nullptr) override;
  void ExtTextOutW(int x, int y, unsigned options, const TRect* rect, const WideString& text,
                   const int* dx = nullptr) override;
  int DrawText(const AnsiString& text, TRect& rect, unsigned format) override;
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
  // The helpers' notes reach a recording target, where the control lies.
  void Note(const char* op, const TRect& rect, unsigned flags1, unsigned flags2) override {
    target_->Note(op, Shift(rect), flags1, flags2);
  }

  TCanvas& Target() const { return *target_; }
  // Where this canvas's (0, 0) lies on Target.
  TPoint Origin() const { return origin_; }
  // The area of Target this canvas may touch, in Target's coordinates.
  TRect TargetLimit() const { return limit_; }
  // The area this canvas may draw on, in its own coordinates.
  TRect Limit() const { return OffsetRect(limit_, -origin_.X, -origin_.Y); }

 protected:
  void ClipChanged() override { clipDirty_ = true; }
  void MappingChanged() override { mappingDirty_ = true; }
  TSize SurfaceSize() const override { return size_; }

 private:
  // What of this canvas a call of the target reads besides the mapping and
  // the clipping: a fill needs no font, a line no font nor brush.
  enum : unsigned { kFont = 1, kPen = 2, kBrush = 4, kAlign = 8, kAll = 15 };
  // Brings the target's mapping, clipping and the parts named in What in
  // line with this canvas before a call; the target's other parts are left
  // as the last call found them, for every call brings in what it reads.
  void Sync(unsigned what);
  TRect Shift(const TRect& r) const { return OffsetRect(r, origin_.X, origin_.Y); }
  // Points moved by the origin, into storage the canvas keeps: edges and
  // frames draw many short lines.
  const std::vector<TPoint>& Shift(const std::vector<TPoint>& points);

  TCanvas* target_;
  TPoint origin_;
  TRect limit_;
  TSize size_;
  std::uint64_t id_;
  bool clipDirty_ = true;
  bool mappingDirty_ = true;
  // The region handed to the target, kept for its storage.
  TRegion targetClip_;
  std::vector<TPoint> shiftedPoints_;
};
