#include "platform/ui/Buttons.h"

#include <algorithm>
#include <map>

#include "platform/ui/ControlPaint.h"

namespace paint = ui::paint;

// ---- glyph and caption --------------------------------------------------------------

void TButtonGlyph::Draw(TCanvas& canvas, const TRect& client, const TBitmap* glyph, const AnsiString& caption,
                        TButtonState state, unsigned textFormat) const {
  TPixelBlock image;
  if (glyph && !glyph->Empty()) {
    const int count = std::max(NumGlyphs, 1);
    int index = state == bsDisabled ? 1 : state == bsDown ? 2 : state == bsExclusive ? 3 : 0;
    if (index >= count) index = 0;
    image = paint::GlyphImage(*glyph, count, index);
  }
  const TSize text =
      caption.empty() ? TSize{0, 0} : paint::CaptionExtent(canvas, caption, textFormat | DT_SINGLELINE);
  const bool across = Layout == blGlyphLeft || Layout == blGlyphRight;
  const int room = across ? client.Width() : client.Height();
  const int glyphLength = across ? image.Width : image.Height;
  const int textLength = across ? text.cx : text.cy;
  int margin = Margin, spacing = Spacing;
  if (glyphLength == 0 || textLength == 0) spacing = 0;
  if (margin < 0) {
    if (spacing < 0) {
      spacing = (room - glyphLength - textLength) / 3;
      margin = spacing;
    } else {
      margin = (room - glyphLength - textLength - spacing) / 2;
    }
  } else if (spacing < 0) {
    spacing = (room - margin - glyphLength - textLength) / 2;
  }
  // Glyph and caption along the layout's axis, both centred across it.
  const bool glyphFirst = Layout == blGlyphLeft || Layout == blGlyphTop;
  const int glyphStart = glyphFirst ? margin : room - margin - glyphLength;
  const int textStart =
      glyphFirst ? margin + glyphLength + spacing : room - margin - glyphLength - spacing - textLength;
  TPoint glyphAt;
  TRect textRect;
  if (across) {
    glyphAt = Point(client.Left + glyphStart, client.Top + (client.Height() - image.Height) / 2);
    textRect =
        Bounds(client.Left + textStart, client.Top + (client.Height() - text.cy) / 2, text.cx, text.cy);
  } else {
    glyphAt = Point(client.Left + (client.Width() - image.Width) / 2, client.Top + glyphStart);
    textRect = Bounds(client.Left + (client.Width() - text.cx) / 2, client.Top + textStart, text.cx, text.cy);
  }
  if (image.Width > 0) {
    const bool ownDisabledImage = std::max(NumGlyphs, 1) > 1;
    paint::Glyph(canvas, image, glyph->EffectiveTransparentColor(), glyphAt,
                 state != bsDisabled || ownDisabledImage);
  }
  if (!caption.empty())
    paint::Caption(canvas, caption, textRect, textFormat | DT_SINGLELINE, state != bsDisabled);
}

// ---- stock glyphs ---------------------------------------------------------------------

namespace {
constexpr TColor kGlyphKey = 0xFF00FF;  // magenta

void DrawCheck(TCanvas& c, TColor color) {
  c.Pen->Color = color;
  c.Pen->Width = 3;
  c.Polyline({{3, 9}, {7, 13}, {15, 4}});
}
void DrawCross(TCanvas& c, TColor color) {
  c.Pen->Color = color;
  c.Pen->Width = 3;
  c.Polyline({{4, 4}, {14, 14}});
  c.Polyline({{14, 4}, {4, 14}});
}
void DrawMark(TCanvas& c, const char* text, TColor color) {
  c.Font->Color = color;
  c.Font->Style = fsBold;
  c.Font->SetHeight(-14);
  c.Brush->Style = bsClear;
  TRect r = Rect(0, 0, 18, 18);
  c.DrawText(text, r, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
}

std::unique_ptr<TBitmap> MakeStockGlyph(TBitBtnKind kind) {
  if (kind == bkCustom) return std::make_unique<TBitmap>();
  auto glyph = std::make_unique<TBitmap>(18, 18);
  TCanvas& c = *glyph->Canvas();
  paint::Fill(c, Rect(0, 0, 18, 18), kGlyphKey);
  switch (kind) {
    case bkOK:
    case bkYes:
      DrawCheck(c, clGreen);
      break;
    case bkAll:
      DrawCheck(c, clGreen);
      c.Pen->Width = 1;
      c.Polyline({{3, 15}, {15, 15}});
      break;
    case bkCancel:
    case bkNo:
    case bkAbort:
      DrawCross(c, clRed);
      break;
    case bkHelp:
      DrawMark(c, "?", clNavy);
      break;
    case bkRetry:
      DrawMark(c, "\xBB", clGreen);  // a repeat arrow
      break;
    case bkIgnore:
      DrawMark(c, "-", clNavy);
      break;
    case bkClose:
      // A door standing open.
      c.Pen->Color = clBlack;
      c.Pen->Width = 1;
      c.Brush->Color = clOlive;
      c.Rectangle(5, 2, 13, 16);
      c.Brush->Color = clYellow;
      c.Polygon({{5, 2}, {10, 4}, {10, 17}, {5, 15}});
      break;
    case bkCustom:
      break;
  }
  glyph->TransparentColor = kGlyphKey;
  return glyph;
}

struct KindInfo {
  const char* caption;  // UTF-8
  TModalResult result;
  bool isDefault;
  bool isCancel;
};

KindInfo InfoOf(TBitBtnKind kind) {
  switch (kind) {
    case bkOK:
      return {"OK", mrOk, true, false};
    case bkCancel:
      return {"Ακυρο", mrCancel, false, true};
    case bkHelp:
      return {"&Help", mrNone, false, false};
    case bkYes:
      return {"&Ναι", mrYes, true, false};
    case bkNo:
      return {"&Οχι", mrNo, false, true};
    case bkClose:
      return {"&Close", mrNone, false, false};
    case bkAbort:
      return {"Abort", mrAbort, false, true};
    case bkRetry:
      return {"&Retry", mrRetry, false, false};
    case bkIgnore:
      return {"&Ignore", mrIgnore, false, false};
    case bkAll:
      return {"&All", mrAll, true, false};
    case bkCustom:
      break;
  }
  return {"", mrNone, false, false};
}
}  // namespace

const TBitmap& StockGlyph(TBitBtnKind kind) {
  static std::map<TBitBtnKind, std::unique_ptr<TBitmap>> cache;
  auto& glyph = cache[kind];
  if (!glyph) glyph = MakeStockGlyph(kind);
  return *glyph;
}

// ---- TBitBtn ----------------------------------------------------------------------

TBitBtn::TBitBtn(TComponent* AOwner) : TButton(AOwner) {}

TBitBtn::~TBitBtn() { Destroying(); }

void TBitBtn::SetGlyph(const TBitmap& bitmap) {
  glyph_.Glyph.Assign(bitmap.Pixels());
  glyph_.Glyph.TransparentColor = bitmap.TransparentColor;
  Invalidate();
}

void TBitBtn::SetNumGlyphs(int n) {
  glyph_.NumGlyphs = std::clamp(n, 1, 4);
  Invalidate();
}

void TBitBtn::SetLayout(TButtonLayout l) {
  glyph_.Layout = l;
  Invalidate();
}

void TBitBtn::SetMargin(int m) {
  glyph_.Margin = std::max(m, -1);
  Invalidate();
}

void TBitBtn::SetSpacing(int s) {
  glyph_.Spacing = std::max(s, -1);
  Invalidate();
}

void TBitBtn::SetKind(TBitBtnKind k) {
  if (k == kind_) return;
  kind_ = k;
  if (k == bkCustom) {
    Invalidate();
    return;
  }
  const KindInfo info = InfoOf(k);
  SetCaption(cp1253::FromUtf8(info.caption));
  ModalResult = info.result;
  SetDefault(info.isDefault);
  Cancel = info.isCancel;
  Invalidate();
}

void TBitBtn::Click() {
  if (kind_ == bkClose) {
    if (TCustomForm* form = GetParentForm()) {
      form->Close();
      TButtonControl::Click();
      return;
    }
  }
  TButton::Click();
}

void TBitBtn::PaintFace(TCanvas& c, const TRect& face, bool pushed) {
  c.Font->Assign(Font());
  const TBitmap* glyph = !glyph_.Glyph.Empty() ? &glyph_.Glyph : &StockGlyph(kind_);
  const TButtonState state = !Enabled() ? bsDisabled : pushed ? bsDown : bsUp;
  glyph_.Draw(c, pushed ? OffsetRect(face, 1, 1) : face, glyph, Caption(), state, DT_LEFT);
}

// ---- TSpeedButton -----------------------------------------------------------------

TSpeedButton::TSpeedButton(TComponent* AOwner) : TGraphicControl(AOwner) {
  SetBounds(0, 0, 23, 22);
  ControlStyle = {csCaptureMouse, csDoubleClicks};
}

TSpeedButton::~TSpeedButton() { Destroying(); }

void TSpeedButton::SetGroupIndex(int g) {
  groupIndex_ = g;
  if (g == 0 && down_) SetDown(false);
  UpdateExclusive();
}

void TSpeedButton::UpdateExclusive() {
  // The buttons of one group agree on AllowAllUp, and the one down keeps
  // the others up.
  if (groupIndex_ == 0 || !Parent()) return;
  for (int i = 0; i < Parent()->ControlCount(); ++i) {
    auto* other = dynamic_cast<TSpeedButton*>(Parent()->Controls(i));
    if (!other || other == this || other->groupIndex_ != groupIndex_) continue;
    other->allowAllUp_ = allowAllUp_;
    if (down_ && other->down_) {
      other->down_ = false;
      other->state_ = bsUp;
      other->Invalidate();
    }
  }
}

void TSpeedButton::SetDown(bool v) {
  if (groupIndex_ == 0) v = false;
  if (v == down_) return;
  if (down_ && !allowAllUp_) return;
  down_ = v;
  state_ = v ? bsExclusive : bsUp;
  Invalidate();
  if (v) UpdateExclusive();
}

void TSpeedButton::SetAllowAllUp(bool v) {
  allowAllUp_ = v;
  UpdateExclusive();
}

void TSpeedButton::SetFlat(bool v) {
  flat_ = v;
  Invalidate();
}

void TSpeedButton::SetTransparent(bool v) {
  transparent_ = v;
  Invalidate();
}

void TSpeedButton::SetGlyph(const TBitmap& bitmap) {
  glyph_.Glyph.Assign(bitmap.Pixels());
  glyph_.Glyph.TransparentColor = bitmap.TransparentColor;
  Invalidate();
}

void TSpeedButton::SetNumGlyphs(int n) {
  glyph_.NumGlyphs = std::clamp(n, 1, 4);
  Invalidate();
}

void TSpeedButton::SetLayout(TButtonLayout l) {
  glyph_.Layout = l;
  Invalidate();
}

void TSpeedButton::SetMargin(int m) {
  glyph_.Margin = std::max(m, -1);
  Invalidate();
}

void TSpeedButton::SetSpacing(int s) {
  glyph_.Spacing = std::max(s, -1);
  Invalidate();
}

void TSpeedButton::Click() { TGraphicControl::Click(); }

void TSpeedButton::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TGraphicControl::MouseDown(Button, Shift, X, Y);
  if (Button != mbLeft || !Enabled()) return;
  if (!down_) {
    state_ = bsDown;
    Invalidate();
  }
  dragging_ = true;
}

void TSpeedButton::MouseMove(TShiftState Shift, int X, int Y) {
  TGraphicControl::MouseMove(Shift, X, Y);
  if (!dragging_) return;
  const TButtonState wanted = PtInRect(ClientRect(), Point(X, Y)) ? (down_ ? bsExclusive : bsDown)
                              : down_                             ? bsExclusive
                                                                  : bsUp;
  if (wanted != state_) {
    state_ = wanted;
    Invalidate();
  }
}

void TSpeedButton::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TGraphicControl::MouseUp(Button, Shift, X, Y);
  if (Button != mbLeft || !dragging_) return;
  dragging_ = false;
  const bool clicked = PtInRect(ClientRect(), Point(X, Y));
  if (groupIndex_ == 0) {
    state_ = bsUp;
  } else if (clicked) {
    SetDown(!down_);
  }
  state_ = down_ ? bsExclusive : bsUp;
  Invalidate();
  if (clicked) Click();
}

void TSpeedButton::Dispatch(TMessage& m) {
  switch (m.Msg) {
    case CM_MOUSEENTER:
    case CM_MOUSELEAVE:
      mouseInControl_ = m.Msg == CM_MOUSEENTER;
      if (flat_ && Enabled()) Invalidate();
      break;
    case CM_DIALOGCHAR:
      if (IsAccel(MsgCharCode(m), Caption()) && Enabled() && Visible() && Showing()) {
        Click();
        m.Result = 1;
      }
      return;
    case CM_ENABLEDCHANGED:
      if (!Enabled()) dragging_ = false;
      state_ = !Enabled() ? bsDisabled : down_ ? bsExclusive : bsUp;
      break;
    case CM_CANCELMODE:
    case WM_CANCELMODE:
      if (dragging_) {
        dragging_ = false;
        state_ = down_ ? bsExclusive : bsUp;
        Invalidate();
      }
      break;
    default:
      break;
  }
  TGraphicControl::Dispatch(m);
}

void TSpeedButton::Paint() {
  TCanvas& c = Canvas();
  TRect r = ClientRect();
  const TButtonState shown = !Enabled() ? bsDisabled : state_;
  const bool pushed = shown == bsDown || shown == bsExclusive;
  if (!flat_ || !transparent_) paint::Fill(c, r, Color());
  if (flat_) {
    if (pushed)
      DrawEdge(c, r, BDR_SUNKENOUTER, BF_RECT);
    else if (mouseInControl_ && Enabled())
      DrawEdge(c, r, BDR_RAISEDINNER, BF_RECT);
  } else {
    TRect face = r;
    DrawFrameControl(
        c, face, DFC_BUTTON,
        DFCS_BUTTONPUSH | (shown == bsDown ? DFCS_PUSHED : 0) | (shown == bsExclusive ? DFCS_CHECKED : 0));
  }
  if (shown == bsExclusive && (!flat_ || !mouseInControl_)) {
    // A button that stays down shows a lighter face, as on the classic desktop.
    paint::Fill(c, InflateRect(r, -2, -2), cl3DLight);
  }
  c.Font->Assign(Font());
  TRect inner = InflateRect(r, -2, -2);
  if (pushed) inner = OffsetRect(inner, 1, 1);
  glyph_.Draw(c, inner, &glyph_.Glyph, Caption(), shown, DT_LEFT);
}
