#include "platform/ui/ControlCanvas.h"

namespace {
// Which canvas last set the target's clipping; another one must set it again
// before drawing. Numbers, not addresses: a new canvas may reuse an address.
std::uint64_t nextCanvasId = 1;
std::uint64_t lastClipOwner = 0;
// Likewise for the mapping: a paint draws a cell in some ten calls, each
// of which handed the target the same mapping again.
std::uint64_t lastMappingOwner = 0;
}  // namespace

TControlCanvas::TControlCanvas(TCanvas& target, TPoint origin, const TRect& limit, TSize size)
    : target_(&target), origin_(origin), limit_(limit), size_(size), id_(nextCanvasId++) {
  // A fresh canvas starts from the default font, pen and brush, whatever
  // the window's canvas was last used with.
}

void TControlCanvas::Reset(TCanvas& target, TPoint origin, const TRect& limit, TSize size) {
  TCanvas::Reset();
  target_ = &target;
  origin_ = origin;
  limit_ = limit;
  size_ = size;
  // Another canvas to the target: it takes this one's clipping and mapping
  // anew.
  id_ = nextCanvasId++;
  clipDirty_ = true;
  mappingDirty_ = true;
}

void TControlCanvas::Sync(unsigned what) {
  if (what & kFont) target_->Font->Assign(*Font);
  if (what & kPen) target_->Pen->Assign(*Pen);
  if (what & kBrush) target_->Brush->Assign(*Brush);
  if (what & kAlign) target_->SetTextAlign(GetTextAlign());
  // Calls reach the target shifted by the origin; the target maps them as
  // this canvas would, then moves them by the origin.
  if (mappingDirty_ || lastMappingOwner != id_) {
    target_->CopyMapping(*this, origin_);
    mappingDirty_ = false;
    lastMappingOwner = id_;
  }
  if (clipDirty_ || lastClipOwner != id_) {
    // The limit, cut by this canvas's own clipping moved by the origin.
    targetClip_.clear();
    if (const TRegion* own = ClipRegion()) {
      for (const TRect& r : *own) {
        const TRect common = IntersectRect(limit_, Shift(r));
        if (!common.IsEmpty()) targetClip_.push_back(common);
      }
    } else {
      targetClip_.push_back(limit_);
    }
    target_->SelectClipRgn(&targetClip_);
    clipDirty_ = false;
    lastClipOwner = id_;
  }
}

const std::vector<TPoint>& TControlCanvas::Shift(const std::vector<TPoint>& points) {
  shiftedPoints_.clear();
  for (TPoint p : points) shiftedPoints_.push_back(Point(p.X + origin_.X, p.Y + origin_.Y));
  return shiftedPoints_;
}

TSize TControlCanvas::TextExtent(const AnsiString& text) {
  target_->Font->Assign(*Font);
  return target_->TextExtent(text);
}

TTextRuler TControlCanvas::Ruler(const AnsiString& text) {
  target_->Font->Assign(*Font);
  return target_->Ruler(text);
}

TTextMetric TControlCanvas::GetTextMetrics() {
  target_->Font->Assign(*Font);
  return target_->GetTextMetrics();
}

std::vector<int> TControlCanvas::CharacterEnds(const AnsiString& text) {
  target_->Font->Assign(*Font);
  return target_->CharacterEnds(text);
}

void TControlCanvas::ExtTextOut(int x, int y, unsigned options, const TRect* rect, const AnsiString& text,
                                const int* dx) {
  Sync(kAll);
  TRect shifted;
  if (rect) shifted = Shift(*rect);
  target_->ExtTextOut(x + origin_.X, y + origin_.Y, options, rect ? &shifted : nullptr, text, dx);
}

void TControlCanvas::ExtTextOutW(int x, int y, unsigned options, const TRect* rect, const WideString& text,
                                 const int* dx) {
  Sync(kAll);
  TRect shifted;
  if (rect) shifted = Shift(*rect);
  target_->ExtTextOutW(x + origin_.X, y + origin_.Y, options, rect ? &shifted : nullptr, text, dx);
}

int TControlCanvas::DrawText(const AnsiString& text, TRect& rect, unsigned format) {
  Sync(kAll);
  TRect shifted = Shift(rect);
  const int result = target_->DrawText(text, shifted, format);
  rect = OffsetRect(shifted, -origin_.X, -origin_.Y);
  return result;
}

void TControlCanvas::FillRect(const TRect& rect) {
  Sync(kBrush);
  target_->FillRect(Shift(rect));
}

void TControlCanvas::Rectangle(int x1, int y1, int x2, int y2) {
  Sync(kPen | kBrush);
  target_->Rectangle(x1 + origin_.X, y1 + origin_.Y, x2 + origin_.X, y2 + origin_.Y);
}

void TControlCanvas::RoundRect(int x1, int y1, int x2, int y2, int x3, int y3) {
  Sync(kPen | kBrush);
  target_->RoundRect(x1 + origin_.X, y1 + origin_.Y, x2 + origin_.X, y2 + origin_.Y, x3, y3);
}

void TControlCanvas::Ellipse(int x1, int y1, int x2, int y2) {
  Sync(kPen | kBrush);
  target_->Ellipse(x1 + origin_.X, y1 + origin_.Y, x2 + origin_.X, y2 + origin_.Y);
}

void TControlCanvas::Arc(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) {
  Sync(kPen);
  const int ox = origin_.X, oy = origin_.Y;
  target_->Arc(x1 + ox, y1 + oy, x2 + ox, y2 + oy, x3 + ox, y3 + oy, x4 + ox, y4 + oy);
}

void TControlCanvas::Polygon(const std::vector<TPoint>& points) {
  Sync(kPen | kBrush);
  target_->Polygon(Shift(points));
}

void TControlCanvas::Polyline(const std::vector<TPoint>& points) {
  Sync(kPen);
  target_->Polyline(Shift(points));
}

bool TControlCanvas::LineAlongAxis(TPoint from, TPoint to) {
  Sync(kPen);
  return target_->LineAlongAxis(Point(from.X + origin_.X, from.Y + origin_.Y),
                                Point(to.X + origin_.X, to.Y + origin_.Y));
}

void TControlCanvas::DrawFocusRect(const TRect& rect) {
  Sync(0);
  target_->DrawFocusRect(Shift(rect));
}

void TControlCanvas::DrawPixels(const TRect& dest, const TPixelBlock& pixels, bool transparent, TColor key) {
  Sync(0);
  target_->DrawPixels(Shift(dest), pixels, transparent, key);
}

int TControlCanvas::GetDeviceCaps(int index) const { return target_->GetDeviceCaps(index); }
