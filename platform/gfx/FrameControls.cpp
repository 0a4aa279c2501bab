#include "platform/gfx/FrameControls.h"

#include <algorithm>

namespace {

// Fills with a solid colour, leaving the canvas's brush as it was.
class Painter {
 public:
  explicit Painter(TCanvas& canvas) : canvas_(canvas), brush_(*canvas.Brush), pen_(*canvas.Pen) {}
  ~Painter() {
    *canvas_.Brush = brush_;
    *canvas_.Pen = pen_;
  }
  void Fill(const TRect& r, TColor color) {
    canvas_.Brush->Style = bsSolid;
    canvas_.Brush->Color = color;
    canvas_.FillRect(r);
  }
  void Pixel(int x, int y, TColor color) { Fill({x, y, x + 1, y + 1}, color); }
  TCanvas& Canvas() { return canvas_; }

 private:
  TCanvas& canvas_;
  TBrush brush_;
  TPen pen_;
};

// One ring of an edge: top and left in one colour, then bottom and right in
// the other, which therefore own the two far corners.
void Ring(Painter& p, TRect& r, unsigned flags, TColor topLeft, TColor bottomRight) {
  if (flags & BF_TOP) p.Fill({r.Left, r.Top, r.Right - 1, r.Top + 1}, topLeft);
  if (flags & BF_LEFT) p.Fill({r.Left, r.Top, r.Left + 1, r.Bottom - 1}, topLeft);
  if (flags & BF_BOTTOM) p.Fill({r.Left, r.Bottom - 1, r.Right, r.Bottom}, bottomRight);
  if (flags & BF_RIGHT) p.Fill({r.Right - 1, r.Top, r.Right, r.Bottom}, bottomRight);
  if (flags & BF_LEFT) ++r.Left;
  if (flags & BF_TOP) ++r.Top;
  if (flags & BF_RIGHT) --r.Right;
  if (flags & BF_BOTTOM) --r.Bottom;
}

void Arrow(Painter& p, const TRect& r, unsigned direction, TColor color) {
  int size = std::max(2, std::min(r.Width(), r.Height()) / 4);
  int cx = r.Left + r.Width() / 2, cy = r.Top + r.Height() / 2;
  for (int i = 0; i < size; ++i) {
    switch (direction) {
      case DFCS_SCROLLUP:
        p.Fill({cx - i, cy - size / 2 + i, cx + i + 1, cy - size / 2 + i + 1}, color);
        break;
      case DFCS_SCROLLLEFT:
        p.Fill({cx - size / 2 + i, cy - i, cx - size / 2 + i + 1, cy + i + 1}, color);
        break;
      case DFCS_SCROLLRIGHT:
        p.Fill({cx + size / 2 - i, cy - i, cx + size / 2 - i + 1, cy + i + 1}, color);
        break;
      default:  // down and the combo box
        p.Fill({cx - i, cy + size / 2 - i, cx + i + 1, cy + size / 2 - i + 1}, color);
        break;
    }
  }
}

TRect CenteredSquare(const TRect& r) {
  int side = std::min(r.Width(), r.Height());
  int left = r.Left + (r.Width() - side) / 2, top = r.Top + (r.Height() - side) / 2;
  return {left, top, left + side, top + side};
}

void CheckBox(Painter& p, const TRect& area, unsigned state) {
  TRect box = CenteredSquare(area);
  TColor face = (state & (DFCS_INACTIVE | DFCS_PUSHED)) ? clBtnFace : clWindow;
  TColor ink = (state & DFCS_INACTIVE) ? clGrayText : clWindowText;
  if (state & (DFCS_FLAT | DFCS_MONO)) {
    Ring(p, box, BF_RECT, clBtnShadow, clBtnShadow);
  } else {
    Ring(p, box, BF_RECT, clBtnShadow, clBtnHighlight);
    Ring(p, box, BF_RECT, cl3DDkShadow, cl3DLight);
  }
  p.Fill(box, face);
  if (!(state & DFCS_CHECKED) || box.Width() < 5) return;
  // The tick: a short stroke down, then a long one up, three pixels thick.
  int side = box.Width();
  int x0 = box.Left + side / 6, y0 = box.Top + side / 2 - 1;
  int down = std::max(2, side / 4), up = std::max(3, side / 2);
  for (int i = 0; i <= down; ++i) p.Fill({x0 + i, y0 + i, x0 + i + 1, y0 + i + 3}, ink);
  for (int i = 1; i <= up; ++i)
    p.Fill({x0 + down + i, y0 + down - i, x0 + down + i + 1, y0 + down - i + 3}, ink);
}

void RadioButton(Painter& p, const TRect& area, unsigned state) {
  TRect box = CenteredSquare(area);
  TCanvas& c = p.Canvas();
  TColor face = (state & (DFCS_INACTIVE | DFCS_PUSHED)) ? clBtnFace : clWindow;
  c.Pen->Style = psSolid;
  c.Pen->Width = 1;
  c.Brush->Style = bsSolid;
  c.Brush->Color = face;
  int side = box.Width();
  if (state & (DFCS_FLAT | DFCS_MONO)) {
    c.Pen->Color = clBtnShadow;
    c.Ellipse(box);
  } else {
    // Outer ring: shadow on the upper left half, highlight on the lower right.
    c.Pen->Color = clBtnHighlight;
    c.Ellipse(box);
    c.Pen->Color = clBtnShadow;
    c.Arc(box.Left, box.Top, box.Right, box.Bottom, box.Right, box.Top, box.Left, box.Bottom);
    TRect inner = InflateRect(box, -1, -1);
    c.Pen->Color = cl3DLight;
    c.Brush->Style = bsClear;
    c.Ellipse(inner);
    c.Pen->Color = cl3DDkShadow;
    c.Arc(inner.Left, inner.Top, inner.Right, inner.Bottom, inner.Right, inner.Top, inner.Left, inner.Bottom);
  }
  if ((state & DFCS_CHECKED) && side >= 6) {
    int dot = std::max(2, side / 3);
    int left = box.Left + (side - dot) / 2, top = box.Top + (side - dot) / 2;
    c.Pen->Color = (state & DFCS_INACTIVE) ? clGrayText : clWindowText;
    c.Brush->Style = bsSolid;
    c.Brush->Color = c.Pen->Color;
    c.Ellipse(left, top, left + dot, top + dot);
  }
}

}  // namespace

bool DrawEdge(TCanvas& canvas, TRect& rect, unsigned edge, unsigned flags) {
  canvas.Note("DrawEdge", rect, edge, flags);
  Painter p(canvas);
  TRect r = rect;
  unsigned sides = flags & BF_RECT;
  if (flags & BF_MONO) {
    if (edge & BDR_OUTER) Ring(p, r, sides, clWindowFrame, clWindowFrame);
    if (edge & BDR_INNER) Ring(p, r, sides, clWindow, clWindow);
  } else if (flags & BF_FLAT) {
    if (edge & BDR_OUTER) Ring(p, r, sides, clBtnShadow, clBtnShadow);
    if (edge & BDR_INNER) Ring(p, r, sides, clBtnFace, clBtnFace);
  } else {
    if (edge & BDR_RAISEDOUTER)
      Ring(p, r, sides, (flags & BF_SOFT) ? clBtnHighlight : cl3DLight, cl3DDkShadow);
    else if (edge & BDR_SUNKENOUTER)
      Ring(p, r, sides, (flags & BF_SOFT) ? cl3DDkShadow : clBtnShadow, clBtnHighlight);
    if (edge & BDR_RAISEDINNER)
      Ring(p, r, sides, (flags & BF_SOFT) ? cl3DLight : clBtnHighlight, clBtnShadow);
    else if (edge & BDR_SUNKENINNER)
      Ring(p, r, sides, (flags & BF_SOFT) ? clBtnShadow : cl3DDkShadow, cl3DLight);
  }
  if ((flags & BF_MIDDLE) && !r.IsEmpty()) p.Fill(r, (flags & BF_MONO) ? clWindow : clBtnFace);
  if (flags & BF_ADJUST) rect = r;
  return true;
}

bool DrawFrameControl(TCanvas& canvas, TRect& rect, unsigned type, unsigned state) {
  canvas.Note("DrawFrameControl", rect, type, state);
  Painter p(canvas);
  if (type == DFC_BUTTON) {
    if (state & DFCS_BUTTONPUSH) {
      TRect r = rect;
      if (state & DFCS_FLAT)
        DrawEdge(canvas, r, (state & (DFCS_PUSHED | DFCS_CHECKED)) ? BDR_SUNKENOUTER : BDR_RAISEDINNER,
                 BF_RECT | BF_MIDDLE | BF_ADJUST);
      else if (state & (DFCS_PUSHED | DFCS_CHECKED)) {
        Ring(p, r, BF_RECT, clWindowFrame, clWindowFrame);
        Ring(p, r, BF_RECT, clBtnShadow, clBtnShadow);
        p.Fill(r, clBtnFace);
      } else {
        DrawEdge(canvas, r, EDGE_RAISED, BF_RECT | BF_MIDDLE | BF_SOFT | BF_ADJUST);
      }
      if (state & DFCS_ADJUSTRECT) rect = r;
      return true;
    }
    if (state & DFCS_BUTTONRADIO)
      RadioButton(p, rect, state);
    else
      CheckBox(p, rect, state);
    return true;
  }
  if (type == DFC_SCROLL) {
    TRect r = rect;
    if (state & DFCS_FLAT)
      Ring(p, r, BF_RECT, clBtnShadow, clBtnShadow);
    else if (state & DFCS_PUSHED)
      Ring(p, r, BF_RECT, clBtnShadow, clBtnShadow);
    else
      DrawEdge(canvas, r, EDGE_RAISED, BF_RECT | BF_SOFT | BF_ADJUST);
    // A flat arrow under the mouse shows in inverted colours.
    const bool inverted = (state & DFCS_FLAT) && (state & DFCS_HOT) && !(state & DFCS_INACTIVE);
    p.Fill(r, inverted ? clBtnShadow : clBtnFace);
    unsigned direction = state & 0xFF;
    if (state & DFCS_PUSHED) r = OffsetRect(r, 1, 1);
    if (state & DFCS_INACTIVE) {
      Arrow(p, OffsetRect(r, 1, 1), direction, clBtnHighlight);
      Arrow(p, r, direction, clBtnShadow);
    } else {
      Arrow(p, r, direction, inverted ? clBtnHighlight : clBtnText);
    }
    return true;
  }
  return false;
}
