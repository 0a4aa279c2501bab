#include "grid/ExtPanel.h"

#include <algorithm>
#include <utility>

#include "grid/APXPVS.h"
#include "grid/ComponentLink.h"
#include "grid/ExtPanelGroup.h"
#include "grid/ExtPanelHTML.h"
#include "grid/PictureContainer.h"
#include "platform/gfx/FrameControls.h"
#include "platform/ui/ControlPaint.h"
#include "platform/ui/ImgList.h"

namespace paint = ui::paint;

// ---- the text renderer ------------------------------------------------------------------

namespace {
TPanelTextRenderer* g_renderer = nullptr;
}  // namespace

void SetPanelTextRenderer(TPanelTextRenderer* renderer) { g_renderer = renderer; }

TPanelTextRenderer& PanelTextRenderer() { return g_renderer ? *g_renderer : PanelHTMLRenderer(); }

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
  AssignBitmap(background_, s.background_);
  closeButton_ = s.closeButton_;
  closeButtonColor_ = s.closeButtonColor_;
  closeColor_ = s.closeColor_;
  AssignBitmap(closeMinGlyph_, s.closeMinGlyph_);
  AssignBitmap(closeMaxGlyph_, s.closeMaxGlyph_);
  minMaxButton_ = s.minMaxButton_;
  minMaxButtonColor_ = s.minMaxButtonColor_;
  AssignBitmap(minGlyph_, s.minGlyph_);
  AssignBitmap(maxGlyph_, s.maxGlyph_);
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

void TPanelCaption::SetBackground(const TBitmap& v) {
  AssignBitmap(background_, v);
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

void TPanelCaption::SetCloseMinGlyph(const TBitmap& v) {
  AssignBitmap(closeMinGlyph_, v);
  Changed(false);
}

void TPanelCaption::SetCloseMaxGlyph(const TBitmap& v) {
  AssignBitmap(closeMaxGlyph_, v);
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

// ---- TExtPanel: properties -----------------------------------------------------------------

TExtPanel::TExtPanel(TComponent* AOwner)
    : TCustomPanel(AOwner),
      caption_(std::make_unique<TPanelCaption>(*this)),
      position_(std::make_unique<TPanelPosition>(*this)),
      autoSize_(std::make_unique<TAutoSize>(*this)),
      background_(std::make_unique<TExtImage>()),
      pictureCache_(std::make_unique<THTMLPictureCache>()),
      loadColor_(Color()) {
  background_->OnChange = [this](TObject*) { Invalidate(); };
  style_.PictureCache = pictureCache_.get();
}

TExtPanel::~TExtPanel() {
  // The window goes with the base class, too late for this class to see
  // (and a window is only made when first needed).
  SaveOnDestroy();
}

void TExtPanel::SaveOnDestroy() {
  if (!position_->Save || savedOnDestroy_) return;
  savedOnDestroy_ = true;
  try {
    position_->SavePosition();
  } catch (const Exception&) {
    // A store that cannot be written keeps the last place; closing goes on.
  }
}

void TExtPanel::Loaded() {
  TCustomPanel::Loaded();
  if (position_->Save) position_->LoadPosition();
  RecordLoadState();
}

void TExtPanel::CreateWnd() {
  TCustomPanel::CreateWnd();
  savedOnDestroy_ = false;
  EnsureLoadState();
  // A panel dropped on a group while designing takes its place there.
  if (ComponentState().Contains(csDesigning))
    if (auto* group = dynamic_cast<TExtPanelGroup*>(Parent())) group->PlaceDesignedPanel(*this);
}

void TExtPanel::EnsureLoadState() {
  // A panel built in code is never loaded: its state when it is first
  // shown, moved, sized, hovered or collapsed stands in for the loaded one.
  if (!loaded_) RecordLoadState();
}

void TExtPanel::RecordLoadState() {
  origin_ = ClientOrigin();
  loadWidth_ = Width();
  loadHeight_ = Height();
  loadCursor_ = Cursor();
  loadColor_ = Color();
  loaded_ = true;
}

void TExtPanel::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  TCustomPanel::SetBounds(ALeft, ATop, AWidth, AHeight);
  if (!collaps_ && !collapsing_) fullHeight_ = Height();
  // While designing, a panel moved or sized in a group has the stack follow.
  if (ComponentState().Contains(csDesigning)) ArrangeGroup();
}

void TExtPanel::SetText(const AnsiString& v) {
  text_ = v;
  Invalidate();
  DoAutoSize();
}

void TExtPanel::SetBackgroundPosition(TBackGroundPosition v) {
  backgroundPosition_ = v;
  Invalidate();
}

void TExtPanel::SetImages(TCustomImageList* v) {
  LinkComponent(*this, style_.Images, v);
  Invalidate();
}

void TExtPanel::SetPictureContainer(TPictureContainer* v) {
  LinkComponent(*this, style_.PictureContainer, v);
}

void TExtPanel::Notification(TComponent* AComponent, TOperation Operation) {
  TCustomPanel::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  ForgetFreed(style_.Images, AComponent);
  ForgetFreed(style_.PictureContainer, AComponent);
}

void TExtPanel::SetTextVAlign(TTextVAlignment v) {
  textVAlign_ = v;
  Invalidate();
}

void TExtPanel::SetURLColor(TColor v) {
  style_.URLColor = v;
  Invalidate();
}

void TExtPanel::SetShadowColor(TColor v) {
  style_.ShadowColor = v;
  Invalidate();
}

void TExtPanel::SetShadowOffset(int v) {
  style_.ShadowOffset = v;
  Invalidate();
}

void TExtPanel::SetCanSize(bool v) {
  canSize_ = v;
  Invalidate();
}

void TExtPanel::ShadeChanged() { shadeValid_ = false; }

void TExtPanel::BuildShade() {
  TPixelBlock block;
  block.Width = std::max(Width(), 0);
  block.Height = std::max(caption_->Height(), 0);
  BuildShadePixels(caption_->ShadeType(), ColorToRGB(caption_->Color()), caption_->ShadeLight(),
                   caption_->ShadeGrain(), block);
  shade_.SetSize(block.Width, block.Height);
  if (!block.Pixels.empty()) shade_.Assign(block);
  shadeValid_ = true;
}

void TExtPanel::AlignControls(TControl* AControl, TRect& r) {
  if (caption_ && caption_->Visible()) r.Top = std::max(r.Top, caption_->Height());
  TCustomPanel::AlignControls(AControl, r);
}

// ---- TExtPanel: geometry ------------------------------------------------------------------

int TExtPanel::AnyBevelWidth() const {
  return BevelOuter() != bvNone || BevelInner() != bvNone ? BevelWidth() : 0;
}

bool TExtPanel::ThemedCaption() const {
  // The themed-system flag holds here: the theme library decides alone.
  return caption_->ShadeType() == stXPCaption && APXPVS::ThemeLibraryAvailable() &&
         APXPVS::IsThemeActive() != 0;
}

int TExtPanel::ButtonSize() const {
  if (!caption_->CloseMinGlyph().Empty() && !caption_->CloseMaxGlyph().Empty())
    return caption_->CloseMinGlyph().Width();
  return ThemedCaption() ? 16 : 12;
}

int TExtPanel::VisibleButtons() const {
  return (caption_->CloseButton() ? 1 : 0) + (caption_->MinMaxButton() ? 1 : 0);
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

TRect TExtPanel::MinMaxButtonRect() const {
  if (!caption_->Visible() || !caption_->MinMaxButton()) return TRect();
  const int s = ButtonSize();
  // Next to the close button when there is one.
  const int shift = caption_->CloseButton() ? (caption_->ButtonPosition() == cbpLeft ? s : -s) : 0;
  const TRect r = ClientRect();
  const TRect first = caption_->ButtonPosition() == cbpLeft
                          ? Rect(r.Left + 2, r.Top + 2, r.Left + 2 + s, r.Top + 2 + s)
                          : Rect(r.Right - 2 - s, r.Top + 2, r.Right - 2, r.Top + 2 + s);
  return OffsetRect(first, shift, 0);
}

bool TExtPanel::InCaptionStrip(int X, int Y) const {
  return caption_->Visible() && X >= 0 && X < ClientWidth() - 2 && Y >= 0 && Y < caption_->Height();
}

// The body below the caption, inside the border and bevels: where Paint
// draws the text and the hit-test looks for anchors.
TRect TExtPanel::BodyRect() const {
  TRect r = ClientRect();
  if (BorderStyle() != bsNone) r = InflateRect(r, -2, -2);
  const auto bevel = [&](TBevelCut cut) {
    if (cut != bvNone) r = InflateRect(r, -BevelWidth(), -BevelWidth());
  };
  bevel(BevelOuter());
  r = InflateRect(r, -BorderWidth(), -BorderWidth());
  bevel(BevelInner());
  if (caption_->Visible()) r.Top += caption_->Height() - 2 * BevelWidth();
  return r;
}

int TExtPanel::CloseButtonWidth() const {
  if (!caption_->CloseButton()) return 0;
  if (ThemedCaption()) return 14;
  const TBitmap &closeMin = caption_->CloseMinGlyph(), &closeMax = caption_->CloseMaxGlyph();
  if (!closeMin.Empty() && !closeMax.Empty()) return (collaps_ ? closeMin : closeMax).Width();
  return 12;
}

// The caption text's rectangle: the bar less the close button and 20 pixels
// for each button, as high as the caption, after the indents.
TRect TExtPanel::CaptionTextRect() const {
  TRect text = CaptionRect();
  const int narrow = CloseButtonWidth() + 20 * VisibleButtons();
  if (caption_->ButtonPosition() == cbpLeft)
    text.Left += narrow;
  else
    text.Right -= narrow;
  text.Bottom = text.Top + caption_->Height();
  text.Left += caption_->Indent();
  text.Top += caption_->TopIndent();
  return text;
}

TSize TExtPanel::MeasureBody(TCanvas& c, const TRect& r) {
  c.Font->Assign(Font());
  return PanelTextRenderer().Draw(c, r, text_, style_, true);
}

void TExtPanel::ApplyVAlign(TRect& r, const TSize& text) const {
  if (textVAlign_ == tvaTop || text.cy >= r.Height()) return;
  if (textVAlign_ == tvaCenter)
    r.Top += (r.Height() - text.cy) / 2;
  else
    r.Top = r.Bottom - text.cy;
}

// ---- TExtPanel: painting ---------------------------------------------------------------------

namespace {

// Count columns of Picture from First on (as many as there are) into Part.
void Columns(const TBitmap& picture, int first, int count, TBitmap& part) {
  const TPixelBlock all = picture.Pixels();
  TPixelBlock cut;
  cut.Width = std::min(count, all.Width - first);
  cut.Height = all.Height;
  for (int y = 0; y < cut.Height; ++y)
    for (int x = 0; x < cut.Width; ++x) cut.Pixels.push_back(all.At(first + x, y));
  part.SetSize(cut.Width, cut.Height);
  part.Assign(cut);
}

}  // namespace

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
    paint::Frame(c, r, Color());
    r = InflateRect(r, -1, -1);
  }
  bevel(BevelInner());
  r = BodyRect();
  paint::Fill(c, r, Color());

  // The background picture and the body text, clipped to the body.
  const int saved = c.SaveDC();
  c.IntersectClipRect(r);
  PaintBackground(c, r);
  if (!text_.empty()) {
    c.Font->Assign(Font());
    if (textVAlign_ != tvaTop) ApplyVAlign(r, MeasureBody(c, r));
    TPanelTextStyle style = style_;
    style.HoverIndex = bodyHover_.Hit.Index;
    PanelTextRenderer().Draw(c, r, text_, style, false);
  }
  c.RestoreDC(saved);
  if (caption_->Visible()) PaintCaption(c);
  if (!collaps_ && canSize_) PaintSizeGrip(c);
  TCustomControl::Paint();
}

// The picture in the body R, placed against the whole panel (W x H) less
// the bevel.
void TExtPanel::PaintBackground(TCanvas& c, const TRect& r) {
  TExtImage& picture = *background_;
  const int pw = picture.Width(), ph = picture.Height();
  if (picture.Empty() || pw <= 0 || ph <= 0) return;
  const int W = Width(), H = Height(), bw = BevelWidth();
  const int right = std::max(r.Left, W - pw - bw), bottom = std::max(r.Top, H - ph - bw);
  auto at = [&](int x, int y) { picture.Draw(c, Bounds(x, y, pw, ph)); };
  switch (backgroundPosition_) {
    case bpTopLeft:
      at(r.Left, r.Top);
      break;
    case bpTopRight:
      at(right, r.Top);
      break;
    case bpBottomLeft:
      at(r.Left, bottom);
      break;
    case bpBottomRight:
      at(right, bottom);
      break;
    case bpTiled: {
      // A tiny picture over a large panel stops at a bound number of tiles.
      constexpr int kMaxTiles = 16384;
      int tiles = 0;
      for (int y = r.Top; y < H && tiles < kMaxTiles; y += ph)
        for (int x = r.Left; x < W && tiles < kMaxTiles; x += pw, ++tiles) at(x, y);
      break;
    }
    case bpStretched:
      picture.Draw(c, r);
      break;
    case bpCenter:
      // Halved as unsigned numbers.
      at(static_cast<int>(static_cast<unsigned>(right) / 2),
         static_cast<int>(static_cast<unsigned>(bottom) / 2));
      break;
  }
}

void TExtPanel::PaintCaption(TCanvas& c) {
  const TRect bar = CaptionRect();
  const TColor color = collaps_ ? caption_->CloseColor() : caption_->Color();
  const TShadeType type = caption_->ShadeType();
  if (!shadeValid_ || shade_.Width() != std::max(Width(), 0) || shade_.Height() != caption_->Height())
    BuildShade();
  if (type == stNormal || (type == stXPCaption && !ThemedCaption()))
    paint::Fill(c, bar, color);
  else
    PaintCaptionBackground(c, bar);

  // The buttons on their side; the close button narrows the bar for the
  // min/max button.
  if (caption_->CloseButton()) PaintCloseButton(c, bar);
  const int closeWidth = CloseButtonWidth();
  if (caption_->MinMaxButton()) PaintMinMaxButton(c, bar, closeWidth);
  const TRect text = CaptionTextRect();
  c.Font->Assign(caption_->Font());
  TPanelTextStyle style = style_;
  style.HoverIndex = captionHover_.Hit.Index;
  PanelTextRenderer().Draw(c, text, caption_->Text(), style, false);
  c.Brush->Style = bsSolid;
}

void TExtPanel::PaintCaptionBackground(TCanvas& c, TRect r) {
  const TShadeType type = caption_->ShadeType();
  if (type == stXPCaption) {
    DrawWindowThemePart(c, InflateRect(r, 1, 1), 1);
    return;
  }
  if (type == stBitmap || type == stBitmapRStretch || type == stBitmapLStretch) {
    const TBitmap& picture = caption_->Background();
    if (picture.Empty()) {
      // No picture: the bar as a plain one would be, collapsed or not.
      paint::Fill(c, r, collaps_ ? caption_->CloseColor() : caption_->Color());
      return;
    }
    TBitmap& bmp = const_cast<TBitmap&>(picture);
    const int pw = picture.Width();
    if (type == stBitmap) {
      c.StretchDraw(r, &bmp);
    } else if (type == stBitmapRStretch) {
      // The picture at the left, its last three columns stretched over the
      // rest of the bar.
      c.Draw(r.Left, r.Top, &bmp);
      TBitmap tail;
      Columns(picture, std::max(0, pw - 3), 3, tail);
      c.StretchDraw(Rect(r.Left + pw, r.Top, r.Right, r.Bottom), &tail);
    } else {
      // The picture at the right, its first two columns stretched over the
      // strip before it.
      const int x = r.Left + std::max(0, Width() - pw);
      c.Draw(x, r.Top, &bmp);
      TBitmap head;
      Columns(picture, 0, 2, head);
      c.StretchDraw(Rect(0, r.Top, x, r.Bottom), &head);
    }
    return;
  }
  const TCaptionShape shape = caption_->Shape();
  if (!caption_->Flat()) {
    // A one-pixel edge: white along the top and left, grey along the
    // bottom and right (for rounded bars the same lines, inside the corners).
    const int in = shape == csRectangle ? 0 : 16;
    const int rightIn = shape == csRounded ? in : 0;
    c.Pen->Width = 1;
    c.Pen->Style = psSolid;
    c.Pen->Color = clGray;
    c.MoveTo(r.Left + in, r.Bottom - 1);
    c.LineTo(r.Right - 1 - rightIn, r.Bottom - 1);
    c.MoveTo(r.Right - 1, r.Bottom - 1 - rightIn);
    c.LineTo(r.Right - 1, r.Top - 1 + rightIn);
    c.Pen->Color = clWhite;
    c.MoveTo(r.Left, r.Bottom - 1 - in);
    c.LineTo(r.Left, r.Top + in);
    c.MoveTo(r.Left + in, r.Top);
    c.LineTo(r.Right - 1 - rightIn, r.Top);
    r = InflateRect(r, -1, -1);
  }
  const int saved = c.SaveDC();
  c.ExtSelectClipRgnAnd(CaptionShapeRegion(shape, r));
  c.Draw(r.Left, r.Top, &shade_);
  c.RestoreDC(saved);
}

void TExtPanel::DrawWindowThemePart(TCanvas& c, const TRect& r, int part) {
  HTHEME theme = APXPVS::OpenThemeData(Handle(), u"window");
  APXPVS::DrawThemeBackground(theme, &c, part, 1, &r, nullptr);
  APXPVS::CloseThemeData(theme);
}

// A themed button's 14 x 14 square, 2 pixels in from the button side of R
// and 4 from its top.
TRect TExtPanel::ThemedButtonSquare(const TRect& r) const {
  return caption_->ButtonPosition() == cbpLeft ? Bounds(r.Left + 2, r.Top + 4, 14, 14)
                                               : Bounds(r.Right - 16, r.Top + 4, 14, 14);
}

void TExtPanel::PaintCloseButton(TCanvas& c, const TRect& bar) {
  const bool left = caption_->ButtonPosition() == cbpLeft;
  // Pixels N in from the button side's edge.
  const auto side = [&](int n) { return left ? bar.Left + n : bar.Right - n; };
  if (ThemedCaption()) {
    DrawWindowThemePart(c, ThemedButtonSquare(bar), 18);
    return;
  }
  const TBitmap& closeMin = caption_->CloseMinGlyph();
  const TBitmap& closeMax = caption_->CloseMaxGlyph();
  if (!closeMin.Empty() && !closeMax.Empty()) {
    const TBitmap& glyph = collaps_ ? closeMin : closeMax;
    const TPixelBlock image = glyph.Pixels();
    paint::Glyph(c, image, glyph.EffectiveTransparentColor(),
                 Point(left ? bar.Left : bar.Right - glyph.Width(), bar.Top), true);
    return;
  }
  // A cross of two 2-pixel lines, 4 to 10 pixels in from the side and top.
  c.Pen->Color = caption_->CloseButtonColor();
  c.Pen->Width = 2;
  c.Pen->Style = psSolid;
  c.MoveTo(side(4), bar.Top + 4);
  c.LineTo(side(10), bar.Top + 10);
  c.MoveTo(side(10), bar.Top + 4);
  c.LineTo(side(4), bar.Top + 10);
  c.Pen->Width = 1;
}

void TExtPanel::PaintMinMaxButton(TCanvas& c, const TRect& bar, int closeWidth) {
  const bool left = caption_->ButtonPosition() == cbpLeft;
  const TRect r = left ? Rect(bar.Left + closeWidth, bar.Top, bar.Right, bar.Bottom)
                       : Rect(bar.Left, bar.Top, bar.Right - closeWidth, bar.Bottom);
  const auto side = [&](int n) { return left ? r.Left + n : r.Right - n; };
  if (ThemedCaption()) {
    DrawWindowThemePart(c, ThemedButtonSquare(r), collaps_ ? 17 : 15);
    return;
  }
  const TBitmap& glyph = collaps_ ? caption_->MaxGlyph() : caption_->MinGlyph();
  if (!glyph.Empty()) {
    paint::Glyph(c, glyph.Pixels(), glyph.EffectiveTransparentColor(),
                 Point(left ? r.Left : r.Right - glyph.Width(), r.Top), true);
    return;
  }
  // A triangle pointing down while collapsed, up while expanded.
  const int base = collaps_ ? 5 : 8, tip = collaps_ ? 8 : 5;
  c.Pen->Color = caption_->MinMaxButtonColor();
  c.Pen->Width = 1;
  c.Pen->Style = psSolid;
  c.Brush->Color = caption_->MinMaxButtonColor();
  c.Brush->Style = bsSolid;
  c.Polygon({Point(side(4), r.Top + base), Point(side(10), r.Top + base), Point(side(7), r.Top + tip)});
}

void TExtPanel::PaintSizeGrip(TCanvas& c) {
  TRect r = ClientRect();
  if (AnyBevelWidth()) r = InflateRect(r, -2 * BevelWidth(), -2 * BevelWidth());
  const int x = r.Right, y = r.Bottom;
  c.Pen->Style = psSolid;
  c.Pen->Color = clGray;
  c.Pen->Width = 2;
  for (auto [up, left] : {std::pair{11, 11}, {6, 7}, {3, 3}}) {
    c.MoveTo(x, y - up);
    c.LineTo(x - left, y);
  }
  c.Pen->Color = clWhite;
  c.Pen->Width = 1;
  for (int d : {12, 8, 4}) {
    c.MoveTo(x, y - d);
    c.LineTo(x - d, y);
  }
}
