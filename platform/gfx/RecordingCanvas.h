#pragma once
// A canvas that draws nothing and logs every call with its arguments and
// the font, pen, brush and clipping in force, so that tests can say what
// was drawn. Text is measured like on the real canvases. Coordinates are
// logged where they land on the device, after the mapping mode.

#include <optional>
#include <vector>

#include "platform/gfx/CairoCanvas.h"
#include "platform/gfx/Graphics.h"

struct TDrawCall {
  AnsiString Op;  // the call's name: "FillRect", "ExtTextOut", "DrawText", ...
  std::vector<int> Args;
  AnsiString Text;
  WideString WideText;  // of the wide calls ("ExtTextOutW", "DrawTextW"); Text then has it in 1253
  unsigned Flags = 0;   // ExtTextOut options, DrawText format, text alignment
  TFont Font;
  TPen Pen;
  TBrush Brush;
  std::optional<TRegion> Clip;
};

class TRecordingCanvas : public TCanvas {
 public:
  explicit TRecordingCanvas(int width = 1024, int height = 768, int dpi = 96);

  std::vector<TDrawCall> Calls;
  TDeviceCaps Caps;
  // The calls of one kind, in order.
  std::vector<TDrawCall> CallsOf(const AnsiString& op) const;
  // Every text drawn by ExtTextOut, one line each.
  AnsiString TextDrawn() const;

  void ExtTextOut(int x, int y, unsigned options, const TRect* rect, const AnsiString& text,
                  const int* dx = nullptr) override;
  int DrawText(const AnsiString& text, TRect& rect, unsigned format) override;
  void ExtTextOutW(int x, int y, unsigned options, const TRect* rect, const WideString& text,
                   const int* dx = nullptr) override;
  int DrawTextW(const WideString& text, TRect& rect, unsigned format) override;
  void FillRect(const TRect& rect) override;
  void Rectangle(int x1, int y1, int x2, int y2) override;
  using TCanvas::Rectangle;
  void RoundRect(int x1, int y1, int x2, int y2, int x3, int y3) override;
  void Ellipse(int x1, int y1, int x2, int y2) override;
  using TCanvas::Ellipse;
  void Arc(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) override;
  void Polygon(const std::vector<TPoint>& points) override;
  void Polyline(const std::vector<TPoint>& points) override;
  void DrawFocusRect(const TRect& rect) override;
  void DrawPixels(const TRect& dest, const TPixelBlock& pixels, bool transparent, TColor key) override;
  int GetDeviceCaps(int index) const override;
  // Logged with the rectangle and both flags as arguments.
  void Note(const char* op, const TRect& rect, unsigned flags1, unsigned flags2) override;

 protected:
  void ClipChanged() override {}
  TSize SurfaceSize() const override { return {Caps.HorzRes, Caps.VertRes}; }

 private:
  void Log(const char* op, std::vector<int> args, const AnsiString& text = {}, unsigned flags = 0);
  std::vector<int> Corners(const TRect& logical) const;
  std::vector<int> Points(const std::vector<TPoint>& logical) const;
  static std::vector<int> Concat(std::vector<int> a, const std::vector<int>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
  }
};
