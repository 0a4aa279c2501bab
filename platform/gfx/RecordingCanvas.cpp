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

TSize TRecordingCanvas::TextExtent(const AnsiString& text) {
  const gfx::ResolvedFont& font = gfx::Resolve(*Font);
  return {font.Width(text), font.Metrics().tmHeight};
}

TTextMetric TRecordingCanvas::GetTextMetrics() { return gfx::Resolve(*Font).Metrics(); }

std::vector<int> TRecordingCanvas::CharacterEnds(const AnsiString& text) {
  return gfx::Resolve(*Font).CharacterEnds(text);
}

void TRecordingCanvas::ExtTextOut(int x, int y, unsigned options, const TRect* rect, const AnsiString& text,
                                  const int* dx) {
  std::vector<int> args{x, y};
  if (rect != nullptr) args.insert(args.end(), {rect->Left, rect->Top, rect->Right, rect->Bottom});
  if (dx != nullptr) args.insert(args.end(), dx, dx + text.size());
  Log("ExtTextOut", std::move(args), text, options | (textAlign_ << 16));
}

int TRecordingCanvas::DrawText(const AnsiString& text, TRect& rect, unsigned format) {
  Log("DrawText", {rect.Left, rect.Top, rect.Right, rect.Bottom}, text, format);
  return TCanvas::DrawText(text, rect, format);
}

void TRecordingCanvas::ExtTextOutW(int x, int y, unsigned options, const TRect* rect, const WideString& text,
                                   const int* dx) {
  std::vector<int> args{x, y};
  if (rect != nullptr) args.insert(args.end(), {rect->Left, rect->Top, rect->Right, rect->Bottom});
  if (dx != nullptr) args.insert(args.end(), dx, dx + text.size());
  Log("ExtTextOutW", std::move(args), cp1253::FromWide(text), options | (textAlign_ << 16));
  Calls.back().WideText = text;
}

int TRecordingCanvas::DrawTextW(const WideString& text, TRect& rect, unsigned format) {
  Log("DrawTextW", {rect.Left, rect.Top, rect.Right, rect.Bottom}, cp1253::FromWide(text), format);
  Calls.back().WideText = text;
  return TCanvas::DrawTextW(text, rect, format);
}

void TRecordingCanvas::FillRect(const TRect& r) { Log("FillRect", {r.Left, r.Top, r.Right, r.Bottom}); }
void TRecordingCanvas::Rectangle(int x1, int y1, int x2, int y2) { Log("Rectangle", {x1, y1, x2, y2}); }
void TRecordingCanvas::RoundRect(int x1, int y1, int x2, int y2, int x3, int y3) {
  Log("RoundRect", {x1, y1, x2, y2, x3, y3});
}
void TRecordingCanvas::Ellipse(int x1, int y1, int x2, int y2) { Log("Ellipse", {x1, y1, x2, y2}); }
void TRecordingCanvas::Arc(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) {
  Log("Arc", {x1, y1, x2, y2, x3, y3, x4, y4});
}
void TRecordingCanvas::Polygon(const std::vector<TPoint>& points) {
  std::vector<int> args;
  for (TPoint p : points) args.insert(args.end(), {p.X, p.Y});
  Log("Polygon", std::move(args));
}
void TRecordingCanvas::Polyline(const std::vector<TPoint>& points) {
  std::vector<int> args;
  for (TPoint p : points) args.insert(args.end(), {p.X, p.Y});
  Log("Polyline", std::move(args));
}
void TRecordingCanvas::DrawFocusRect(const TRect& r) {
  Log("DrawFocusRect", {r.Left, r.Top, r.Right, r.Bottom});
}
void TRecordingCanvas::DrawPixels(const TRect& d, const TPixelBlock& pixels, bool transparent, TColor key) {
  Log("DrawPixels",
      {d.Left, d.Top, d.Right, d.Bottom, pixels.Width, pixels.Height, transparent ? 1 : 0, key});
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
