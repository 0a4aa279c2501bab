#include "grid/ExtPanel.h"

#include <algorithm>

#include "platform/gfx/FrameControls.h"
#include "platform/ui/ControlPaint.h"
#include "platform/ui/Forms.h"
#include "platform/ui/ScrollBars.h"

namespace paint = ui::paint;

// ---- TPanelCaption -----------------------------------------------------------------

TPanelCaption::TPanelCaption(TExtPanel& owner) : owner_(owner) {}

void TPanelCaption::Changed(bool shade) {
  if (shade) owner_.ShadeChanged();
  owner_.Invalidate();
}

void TPanelCaption::Assign(const TPanelCaption& s) {
  if (&s == this) return;
  text_ = s.text_;
  color_ = s.color_;
  font_.Assign(s.font_);
  height_ = s.height_;
  indent_ = s.indent_;
  topIndent_ = s.topIndent_;
  visible_ = s.visible_;
  shape_ = s.shape_;
  flat_ = s.flat_;
  shadeType_ = s.shadeType_;
  shadeLight_ = s.shadeLight_;
  shadeGrain_ = s.shadeGrain_;
  closeButton_ = s.closeButton_;
  closeButtonColor_ = s.closeButtonColor_;
  closeColor_ = s.closeColor_;
  minMaxButton_ = s.minMaxButton_;
  minMaxButtonColor_ = s.minMaxButtonColor_;
  buttonPosition_ = s.buttonPosition_;
  owner_.Realign();
  Changed(true);
}

void TPanelCaption::SetText(const AnsiString& v) {
  text_ = v;
  Changed(false);
}

void TPanelCaption::SetColor(TColor v) {
  if (v == color_) return;
  color_ = v;
  Changed(true);
}

void TPanelCaption::SetFont(const TFont& v) {
  font_.Assign(v);
  Changed(false);
}

void TPanelCaption::SetHeight(int v) {
  if (v == height_) return;
  height_ = v;
  // The children keep below the caption bar.
  owner_.Realign();
  Changed(true);
}

void TPanelCaption::SetIndent(int v) {
  if (v == indent_) return;
  indent_ = v;
  Changed(false);
}

void TPanelCaption::SetTopIndent(int Value) {
  if (Value == topIndent_) return;
  topIndent_ = Value;
  Changed(false);
}

void TPanelCaption::SetVisible(bool v) {
  visible_ = v;
  owner_.Realign();
  Changed(false);
}

void TPanelCaption::SetShape(TCaptionShape v) {
  shape_ = v;
  Changed(true);
}

void TPanelCaption::SetFlat(bool v) {
  flat_ = v;
  Changed(true);
}

void TPanelCaption::SetShadeType(TShadeType v) {
  shadeType_ = v;
  Changed(true);
}

void TPanelCaption::SetShadeLight(int v) {
  shadeLight_ = std::max(v, 200);
  Changed(true);
}

void TPanelCaption::SetShadeGrain(Byte v) {
  shadeGrain_ = v;
  Changed(true);
}

void TPanelCaption::SetCloseButton(bool v) {
  if (v == closeButton_) return;
  closeButton_ = v;
  Changed(false);
}

void TPanelCaption::SetCloseButtonColor(TColor v) {
  if (v == closeButtonColor_) return;
  closeButtonColor_ = v;
  Changed(false);
}

void TPanelCaption::SetCloseColor(TColor v) {
  if (v == closeColor_) return;
  closeColor_ = v;
  Changed(false);
}

void TPanelCaption::SetMinMaxButton(bool v) {
  if (v == minMaxButton_) return;
  minMaxButton_ = v;
  Changed(false);
}

void TPanelCaption::SetMinMaxButtonColor(TColor v) {
  if (v == minMaxButtonColor_) return;
  minMaxButtonColor_ = v;
  Changed(false);
}

void TPanelCaption::SetButtonPosition(TCaptionButtonPosition v) {
  buttonPosition_ = v;
  Changed(false);
}

// ---- the shade --------------------------------------------------------------------------

namespace {

// A pixel of the shade's block from a tone of the caption colour: each
// component scaled by v/255, keeping its low 8 bits.
std::uint32_t Tone(TColor rgb, int v) {
  const int r = static_cast<int>(rgb & 0xFF), g = static_cast<int>((rgb >> 8) & 0xFF),
            b = static_cast<int>((rgb >> 16) & 0xFF);
  const auto scale = [v](int c) { return static_cast<std::uint32_t>((c * v / 255) & 0xFF); };
  return 0xFF000000u | scale(r) << 16 | scale(g) << 8 | scale(b);
}

int BlueOf(std::uint32_t pixel) { return static_cast<int>(pixel & 0xFF); }

// The tones of the shades built so far; false for a style that is filled
// plain meanwhile. W, H > 0.
bool ShadePixels(TShadeType type, TColor rgb, int light, TPixelBlock& block) {
  const int w = block.Width, h = block.Height;
  auto at = [&](int x, int y) -> std::uint32_t& { return block.Pixels[static_cast<size_t>(y) * w + x]; };
  switch (type) {
    case stDiagShade:
      for (int x = 0; x < w; ++x)
        for (int y = 0; y < h; ++y) {
          const int t = 129 * x / w + (light - BlueOf(at(x, y))) + 129 * y / h;
          at(x, y) = Tone(rgb, light - t / 2);
        }
      return true;
    case stHShade:
    case stHShadeInv:
      // x runs to W, so the inverse's column W - x covers column 0 too.
      for (int x = 0; x <= w; ++x) {
        const int column = type == stHShade ? x : w - x;
        if (column < 0 || column >= w) continue;
        const std::uint32_t tone = Tone(rgb, light - (239 * (w - x) / w + 8) / 2);
        for (int y = 0; y < h; ++y) at(column, y) = tone;
      }
      return true;
    case stVShade:
    case stVShadeInv:
      for (int y = 0; y <= h; ++y) {
        const int row = type == stVShade ? y : h - y;
        if (row < 0 || row >= h) continue;
        const std::uint32_t tone = Tone(rgb, light - (239 * y / h + 8) / 2);
        for (int x = 0; x < w; ++x) at(x, row) = tone;
      }
      return true;
    default:
      return false;
  }
}

}  // namespace

// ---- TExtPanel ---------------------------------------------------------------------------

TExtPanel::TExtPanel(TComponent* AOwner)
    : TCustomPanel(AOwner), caption_(std::make_unique<TPanelCaption>(*this)) {}

TExtPanel::~TExtPanel() = default;

void TExtPanel::SetCanSize(bool v) {
  canSize_ = v;
  Invalidate();
}

void TExtPanel::ShadeChanged() { shadeValid_ = false; }

void TExtPanel::BuildShade() {
  const int w = std::max(Width(), 1), h = std::max(caption_->Height(), 1);
  TPixelBlock block;
  block.Width = w;
  block.Height = h;
  const TColor rgb = ColorToRGB(caption_->Color());
  block.Pixels.assign(static_cast<size_t>(w) * h, 0xFFFFFFFFu);  // white first
  if (!ShadePixels(caption_->ShadeType(), rgb, caption_->ShadeLight(), block))
    std::fill(block.Pixels.begin(), block.Pixels.end(), Tone(rgb, 255));
  shade_.SetSize(w, h);
  shade_.Assign(block);
  shadeValid_ = true;
}

int TExtPanel::AnyBevelWidth() const {
  return BevelOuter() != bvNone || BevelInner() != bvNone ? BevelWidth() : 0;
}

TRect TExtPanel::CaptionRect() const {
  const int bw = AnyBevelWidth();
  TRect r = InflateRect(ClientRect(), -bw, -bw);
  r.Bottom = r.Top + caption_->Height() - 2 * BevelWidth();
  return r;
}

TRect TExtPanel::CloseButtonRect() const {
  if (!caption_->Visible() || !caption_->CloseButton()) return TRect();
  const TRect r = ClientRect();
  const int s = ButtonSize();
  return caption_->ButtonPosition() == cbpLeft ? Rect(r.Left + 2, r.Top + 2, r.Left + 2 + s, r.Top + 2 + s)
                                               : Rect(r.Right - 2 - s, r.Top + 2, r.Right - 2, r.Top + 2 + s);
}

void TExtPanel::AlignControls(TControl* AControl, TRect& r) {
  if (caption_ && caption_->Visible()) r.Top = std::max(r.Top, caption_->Height());
  TCustomPanel::AlignControls(AControl, r);
}

void TExtPanel::Paint() {
  TCanvas& c = Canvas();
  TRect r = ClientRect();
  const auto bevel = [&](TBevelCut cut) {
    if (cut == bvNone) return;
    if (cut == bvSpace) {
      r = InflateRect(r, -BevelWidth(), -BevelWidth());
      return;
    }
    const unsigned edge = cut == bvLowered ? BDR_SUNKENOUTER : BDR_RAISEDINNER;
    for (int i = 0; i < BevelWidth(); ++i) DrawEdge(c, r, edge, BF_RECT | BF_ADJUST);
  };
  if (BorderStyle() != bsNone) DrawEdge(c, r, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
  bevel(BevelOuter());
  // The frame between the bevels in the panel's colour.
  for (int i = 0; i < BorderWidth(); ++i) {
    c.Brush->Style = bsSolid;
    c.Brush->Color = Color();
    c.FrameRect(r);
    r = InflateRect(r, -1, -1);
  }
  bevel(BevelInner());
  if (caption_->Visible()) r.Top += caption_->Height() - 2 * BevelWidth();
  paint::Fill(c, r, Color());
  if (caption_->Visible()) PaintCaption(c);
  if (canSize_) PaintSizeGrip(c);
  TCustomControl::Paint();
}

void TExtPanel::PaintCaption(TCanvas& c) {
  TRect r = CaptionRect();
  const TShadeType type = caption_->ShadeType();
  if (!shadeValid_ || shade_.Width() != std::max(Width(), 1)) BuildShade();
  if (type == stNormal || type == stXPCaption) {
    paint::Fill(c, r, caption_->Color());
  } else {
    if (!caption_->Flat()) {
      c.Pen->Width = 1;
      c.Pen->Style = psSolid;
      c.Pen->Color = clGray;
      c.MoveTo(r.Left, r.Bottom - 1);
      c.LineTo(r.Right - 1, r.Bottom - 1);
      c.LineTo(r.Right - 1, r.Top - 1);
      c.Pen->Color = clWhite;
      c.MoveTo(r.Left, r.Bottom - 1);
      c.LineTo(r.Left, r.Top);
      c.LineTo(r.Right - 1, r.Top);
      r = InflateRect(r, -1, -1);
    }
    const int saved = c.SaveDC();
    c.IntersectClipRect(r);
    c.Draw(r.Left, r.Top, &shade_);
    c.RestoreDC(saved);
  }

  TRect text = CaptionRect();
  text.Bottom = text.Top + caption_->Height();
  if (caption_->CloseButton()) {
    // A cross of two 2-pixel lines, 4 to 10 pixels in from the side and top.
    const TRect bar = CaptionRect();
    const bool left = caption_->ButtonPosition() == cbpLeft;
    const int x1 = left ? bar.Left + 4 : bar.Right - 10, x2 = left ? bar.Left + 10 : bar.Right - 4;
    c.Pen->Color = caption_->CloseButtonColor();
    c.Pen->Width = 2;
    c.Pen->Style = psSolid;
    c.MoveTo(x1, bar.Top + 4);
    c.LineTo(x2, bar.Top + 10);
    c.MoveTo(x2, bar.Top + 4);
    c.LineTo(x1, bar.Top + 10);
    c.Pen->Width = 1;
    if (caption_->ButtonPosition() == cbpLeft)
      text.Left += ButtonSize() + 20;
    else
      text.Right -= ButtonSize() + 20;
  }
  text.Left += caption_->Indent();
  text.Top += caption_->TopIndent();
  // The caption is plain text until the panel draws its mini-HTML.
  c.Font->Assign(caption_->Font());
  c.Brush->Style = bsClear;
  c.DrawText(caption_->Text(), text, DT_LEFT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX);
  c.Brush->Style = bsSolid;
}

void TExtPanel::PaintSizeGrip(TCanvas& c) {
  TRect r = ClientRect();
  if (AnyBevelWidth()) r = InflateRect(r, -2 * BevelWidth(), -2 * BevelWidth());
  const int x = r.Right, y = r.Bottom;
  c.Pen->Style = psSolid;
  c.Pen->Color = clGray;
  c.Pen->Width = 2;
  for (int d : {11, 6, 3}) {
    c.MoveTo(x, y - d);
    c.LineTo(x - d, y);
  }
  c.Pen->Color = clWhite;
  c.Pen->Width = 1;
  for (int d : {12, 8, 4}) {
    c.MoveTo(x, y - d);
    c.LineTo(x - d, y);
  }
}

bool TExtPanel::InCaptionStrip(int X, int Y) const {
  return caption_->Visible() && X >= 0 && X < ClientWidth() && Y >= 0 && Y < caption_->Height();
}

bool TExtPanel::InSizeGrip(int X, int Y) const {
  return canSize_ && X > Width() - kScrollBarSize && Y > Height() - kScrollBarSize;
}

void TExtPanel::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TCustomPanel::MouseDown(Button, Shift, X, Y);
  if (Button != mbLeft) return;
  if (InSizeGrip(X, Y))
    drag_ = TDrag::Size;
  else if (CanMove && InCaptionStrip(X, Y) && !PtInRect(CloseButtonRect(), Point(X, Y)))
    drag_ = TDrag::Move;
  else
    return;
  BringToFront();
  dragFrom_ = ClientToScreen(Point(X, Y));
  dragBounds_ = BoundsRect();
}

void TExtPanel::MouseMove(TShiftState Shift, int X, int Y) {
  TCustomPanel::MouseMove(Shift, X, Y);
  if (drag_ == TDrag::None) return;
  const TPoint now = ClientToScreen(Point(X, Y));
  const int dx = now.X - dragFrom_.X, dy = now.Y - dragFrom_.Y;
  const TRect& b = dragBounds_;
  if (drag_ == TDrag::Move)
    SetBounds(FixedLeft ? b.Left : b.Left + dx, FixedTop ? b.Top : b.Top + dy, b.Width(), b.Height());
  else
    SetBounds(b.Left, b.Top, FixedWidth ? b.Width() : std::max(b.Width() + dx, 2 * ButtonSize()),
              FixedHeight ? b.Height() : std::max(b.Height() + dy, caption_->Height()));
}

void TExtPanel::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  const bool dragged = drag_ != TDrag::None && BoundsRect() != dragBounds_;
  drag_ = TDrag::None;
  TCustomPanel::MouseUp(Button, Shift, X, Y);
  if (dragged) {
    if (OnEndMoveSize) OnEndMoveSize(this);
    return;
  }
  if (!caption_->Visible()) return;
  if (caption_->CloseButton() && PtInRect(CloseButtonRect(), Point(X, Y))) {
    Hide();
    if (OnClose) OnClose(this);
    return;
  }
  if (X >= 0 && X < ClientWidth() - 2 && Y >= 0 && Y < caption_->Height() && OnCaptionClick)
    OnCaptionClick(this);
}

void TExtPanel::Dispatch(TMessage& m) {
  if (m.Msg == WM_SETCURSOR && Screen && Screen->Cursor() == crDefault) {
    // The grip shows the sizing cursor, a caption drag the moving one.
    TPoint p;
    GetCursorPos(&p);
    p = ScreenToClient(p);
    TCursor shape = crDefault;
    if (drag_ == TDrag::Size || (drag_ == TDrag::None && InSizeGrip(p.X, p.Y)))
      shape = crSizeNWSE;
    else if (drag_ == TDrag::Move && ShowMoveCursor)
      shape = crSizeAll;
    if (shape != crDefault) {
      Screen->ShowCursorShape(shape);
      m.Result = 1;
      return;
    }
  }
  TCustomPanel::Dispatch(m);
  if (m.Msg == WM_LBUTTONDBLCLK && caption_->Visible() && OnCaptionDBlClick &&
      InCaptionStrip(MsgX(m), MsgY(m)))
    OnCaptionDBlClick(this);
}
