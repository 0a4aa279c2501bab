// The preview tool bar's pictures, drawn once into a strip of 16 x 16
// cells on a magenta key colour.
#include "report/RpPrev.h"

namespace {

constexpr TColor kKey = 0xFF00FF;
constexpr TColor kInk = 0x404040, kPaper = clWhite, kBlue = 0xA05000, kRed = 0x2020C0, kGreen = 0x208020;

void Box(TCanvas& c, int x1, int y1, int x2, int y2, TColor fill, TColor line = kInk) {
  c.Brush->Style = bsSolid;
  c.Brush->Color = fill;
  c.Pen->Color = line;
  c.Rectangle(x1, y1, x2, y2);
}

void Line(TCanvas& c, int x1, int y1, int x2, int y2, TColor color, int width = 1) {
  c.Pen->Color = color;
  c.Pen->Width = width;
  c.MoveTo(x1, y1);
  c.LineTo(x2, y2);
  c.Pen->Width = 1;
}

void Fill(TCanvas& c, const std::vector<TPoint>& points, TColor color) {
  c.Brush->Style = bsSolid;
  c.Brush->Color = color;
  c.Pen->Color = color;
  c.Polygon(points);
}

// A sheet with a folded corner.
void Sheet(TCanvas& c, int x, int y, int w, int h) {
  Fill(c, {{x, y}, {x + w - 4, y}, {x + w, y + 4}, {x + w, y + h}, {x, y + h}}, kPaper);
  c.Brush->Style = bsClear;
  c.Pen->Color = kInk;
  c.Polygon({{x, y}, {x + w - 4, y}, {x + w, y + 4}, {x + w, y + h}, {x, y + h}});
}

void Lens(TCanvas& c, int x, int y) {
  c.Brush->Style = bsSolid;
  c.Brush->Color = 0xFFF0E0;
  c.Pen->Color = kInk;
  c.Ellipse(x, y, x + 10, y + 10);
  Line(c, x + 8, y + 8, x + 13, y + 13, kInk, 2);
}

void Arrow(TCanvas& c, int x, bool left, bool bar) {
  const int tip = left ? x : x + 6, back = left ? x + 6 : x;
  Fill(c, {{tip, 8}, {back, 2}, {back, 14}}, kBlue);
  if (bar) Box(c, left ? x - 3 : x + 7, 2, left ? x - 1 : x + 9, 15, kBlue, kBlue);
}

void Printer(TCanvas& c) {
  Sheet(c, 4, 1, 8, 6);
  Box(c, 1, 6, 15, 12, 0xC0C0C0);
  Box(c, 4, 10, 12, 15, kPaper);
  Line(c, 12, 8, 13, 8, kGreen);
}

void Text(TCanvas& c, int x, int y, const AnsiString& s, TColor color) {
  c.Brush->Style = bsClear;
  c.Font->Name = "Arial";
  c.Font->SetHeight(-9);
  c.Font->Style = fsBold;
  c.Font->Color = color;
  c.TextOut(x, y, s);
}

}  // namespace

void RpDrawPreviewGlyphs(TBitmap& strip) {
  strip.SetSize(16 * kRpPreviewGlyphCount, 16);
  TCanvas& c = *strip.Canvas();
  c.Brush->Style = bsSolid;
  c.Brush->Color = kKey;
  c.FillRect(TRect{0, 0, strip.Width(), 16});
  auto at = [&](int index) {
    c.SetViewportOrgEx(16 * index, 0);
    return &c;
  };
  // Zoom to fit: a whole sheet inside the frame.
  at(0);
  Box(c, 0, 0, 16, 16, 0xE0E0E0);
  Sheet(c, 4, 2, 8, 12);
  // Zoom to width: a sheet with an arrow across.
  at(1);
  Sheet(c, 2, 1, 12, 14);
  Line(c, 3, 8, 13, 8, kBlue);
  Fill(c, {{2, 8}, {5, 5}, {5, 11}}, kBlue);
  Fill(c, {{14, 8}, {11, 5}, {11, 11}}, kBlue);
  // 100 %.
  at(2);
  Text(c, 0, 2, "1:1", kInk);
  // Zoom in and out.
  at(3);
  Lens(c, 1, 1);
  Line(c, 3, 6, 9, 6, kInk);
  Line(c, 6, 3, 6, 9, kInk);
  at(4);
  Lens(c, 1, 1);
  Line(c, 3, 6, 9, 6, kInk);
  // First, previous, next, last page.
  at(5);
  Arrow(c, 6, true, true);
  at(6);
  Arrow(c, 5, true, false);
  at(7);
  Arrow(c, 5, false, false);
  at(8);
  Arrow(c, 4, false, true);
  // Go to a page: a sheet with its number sign.
  at(9);
  Sheet(c, 2, 1, 12, 14);
  Text(c, 4, 3, "#", kBlue);
  // Search: a lens over a sheet.
  at(10);
  Sheet(c, 1, 1, 10, 13);
  Lens(c, 4, 3);
  // Copy: two sheets.
  at(11);
  Sheet(c, 1, 1, 9, 11);
  Sheet(c, 6, 4, 9, 11);
  // Printer set-up and print.
  at(12);
  Printer(c);
  Box(c, 10, 0, 16, 6, kBlue, kBlue);
  at(13);
  Printer(c);
  // Load: an open folder; save: a disk.
  at(14);
  Fill(c, {{1, 4}, {6, 4}, {7, 6}, {14, 6}, {14, 14}, {1, 14}}, 0x40C0E0);
  Fill(c, {{3, 8}, {15, 8}, {13, 14}, {1, 14}}, 0x70E0F0);
  at(15);
  Box(c, 1, 1, 15, 15, kBlue);
  Box(c, 4, 1, 12, 6, kPaper);
  Box(c, 3, 9, 13, 15, 0xE0E0E0);
  // Cancel the run: a red stop sign; close: a door with an arrow.
  at(16);
  Fill(c, {{5, 1}, {11, 1}, {15, 5}, {15, 11}, {11, 15}, {5, 15}, {1, 11}, {1, 5}}, kRed);
  Line(c, 5, 5, 11, 11, kPaper, 2);
  Line(c, 11, 5, 5, 11, kPaper, 2);
  at(17);
  Box(c, 7, 1, 15, 15, 0x4080B0);
  Line(c, 1, 8, 9, 8, kGreen, 2);
  Fill(c, {{0, 8}, {4, 4}, {4, 12}}, kGreen);
  c.SetViewportOrgEx(0, 0);
}
