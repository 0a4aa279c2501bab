#include "platform/gfx/RecordingCanvas.h"

#include "platform/gfx/TextEngine.h"

TRecordingCanvas::TRecordingCanvas(int width, int height, int dpi) {
  Caps.LogPixelsX = Caps.LogPixelsY = dpi;
  Caps.HorzRes = Caps.PhysicalWidth = width;
  Caps.VertRes = Caps.PhysicalHeight = height;
  Font->PixelsPerInch = dpi;
  Font->SetSize(8);
}

void TRecordingCanvas::Log(const char* op, std::vector<int> args, const AnsiString& text, unsigned flags) {
  const TRegion* clip = ClipRegion();
  Calls.push_back({op,
                   std::move(args),
                   text,
                   {},
                   flags,
                   *Font,
                   *Pen,
                   *Brush,
                   clip ? std::optional<TRegion>(*clip) : std::nullopt});
}

std::vector<TDrawCall> TRecordingCanvas::CallsOf(const AnsiString& op) const {
  std::vector<TDrawCall> result;
  for (const TDrawCall& call : Calls)
    if (call.Op == op) result.push_back(call);
  return result;
}

AnsiString TRecordingCanvas::TextDrawn() const {
  AnsiString text;
  for (const TDrawCall& call : Calls)
    if (call.Op == "ExtTextOut" || call.Op == "ExtTextOutW") text += call.Text + "\n";
  return text;
}

std::vector<int> TRecordingCanvas::Corners(const TRect& logical) const {
  const TRect r = LPtoDP(logical);
  return {r.Left, r.Top, r.Right, r.Bottom};
}

std::vector<int> TRecordingCanvas::Points(const std::vector<TPoint>& logical) const {
  std::vector<int> args;
  for (TPoint p : LPtoDP(logical)) args.insert(args.end(), {p.X, p.Y});
  return args;
}

void TRecordingCanvas::ExtTextOut(int x, int y, unsigned options, const TRect* rect, const AnsiString& text,
                                  const int* dx) {
  std::vector<int> args = Points({{x, y}});
  if (rect != nullptr) args = Concat(args, Corners(*rect));
  if (dx != nullptr) args.insert(args.end(), dx, dx + text.size());
  Log("ExtTextOut", std::move(args), text, options | (textAlign_ << 16));
}

int TRecordingCanvas::DrawText(const AnsiString& text, TRect& rect, unsigned format) {
  Log("DrawText", Corners(rect), text, format);
  return TCanvas::DrawText(text, rect, format);
}

void TRecordingCanvas::ExtTextOutW(int x, int y, unsigned options, const TRect* rect, const WideString& text,
                                   const int* dx) {
  std::vector<int> args = Points({{x, y}});
  if (rect != nullptr) args = Concat(args, Corners(*rect));
  if (dx != nullptr) args.insert(args.end(), dx, dx + text.size());
  Log("ExtTextOutW", std::move(args), cp1253::FromWide(text), options | (textAlign_ << 16));
  Calls.back().WideText = text;
}

int TRecordingCanvas::DrawTextW(const WideString& text, TRect& rect, unsigned format) {
  Log("DrawTextW", Corners(rect), cp1253::FromWide(text), format);
  Calls.back().WideText = text;
  return TCanvas::DrawTextW(text, rect, format);
}

void TRecordingCanvas::FillRect(const TRect& r) { Log("FillRect", Corners(r)); }
void TRecordingCanvas::Rectangle(int x1, int y1, int x2, int y2) {
  Log("Rectangle", Corners({x1, y1, x2, y2}));
}
void TRecordingCanvas::RoundRect(int x1, int y1, int x2, int y2, int x3, int y3) {
  Log("RoundRect", Concat(Corners({x1, y1, x2, y2}), {LengthToDeviceX(x3), LengthToDeviceY(y3)}));
}
void TRecordingCanvas::Ellipse(int x1, int y1, int x2, int y2) { Log("Ellipse", Corners({x1, y1, x2, y2})); }
void TRecordingCanvas::Arc(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) {
  Log("Arc", Points({{x1, y1}, {x2, y2}, {x3, y3}, {x4, y4}}));
}
void TRecordingCanvas::Polygon(const std::vector<TPoint>& points) { Log("Polygon", Points(points)); }
void TRecordingCanvas::Polyline(const std::vector<TPoint>& points) { Log("Polyline", Points(points)); }
void TRecordingCanvas::DrawFocusRect(const TRect& r) { Log("DrawFocusRect", Corners(r)); }
void TRecordingCanvas::DrawPixels(const TRect& d, const TPixelBlock& pixels, bool transparent, TColor key) {
  // Corners as mapped, unswapped: a mirrored picture shows as a right edge
  // left of its left edge.
  Log("DrawPixels", Concat(Points({{d.Left, d.Top}, {d.Right, d.Bottom}}),
                           {pixels.Width, pixels.Height, transparent ? 1 : 0, static_cast<int>(key)}));
}

int TRecordingCanvas::GetDeviceCaps(int index) const {
  switch (index) {
    case LOGPIXELSX:
      return Caps.LogPixelsX;
    case LOGPIXELSY:
      return Caps.LogPixelsY;
    case HORZRES:
      return Caps.HorzRes;
    case VERTRES:
      return Caps.VertRes;
    case PHYSICALWIDTH:
      return Caps.PhysicalWidth;
    case PHYSICALHEIGHT:
      return Caps.PhysicalHeight;
    case PHYSICALOFFSETX:
      return Caps.PhysicalOffsetX;
    case PHYSICALOFFSETY:
      return Caps.PhysicalOffsetY;
    case BITSPIXEL:
      return 32;
    default:
      return 0;
  }
}

void TRecordingCanvas::Note(const char* op, const TRect& r, unsigned flags1, unsigned flags2) {
  Log(op, {r.Left, r.Top, r.Right, r.Bottom, static_cast<int>(flags1), static_cast<int>(flags2)});
}
