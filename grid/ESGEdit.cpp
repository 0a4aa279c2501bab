// The edit with a button and the unit edit.

#include "grid/ESGEdit.h"

#include <algorithm>

#include "grid/ExtXPVS.h"
#include "grid/GridUtil.h"
#include "platform/gfx/FrameControls.h"
#include "platform/ui/ControlPaint.h"
#include "platform/ui/Windows.h"

void TExtSpeedButton::Dispatch(TMessage& m) {
  if (m.Msg == CM_MOUSEENTER || m.Msg == CM_MOUSELEAVE) {
    hover_ = m.Msg == CM_MOUSEENTER;
    Invalidate();
  }
  TSpeedButton::Dispatch(m);
}

void TExtSpeedButton::Paint() {
  TCanvas& c = Canvas();
  const TRect r = ClientRect();
  const TButtonState shown = !Enabled() ? bsDisabled : ButtonState();
  const bool pushed = shown == bsDown || shown == bsExclusive;
  if (IsWinXP) {
    const int state = pushed ? 3 : hover_ ? 2 : 1;
    if (!DrawThemedPart(nullptr, u"button", c, 1, state, r)) {
      ui::paint::Fill(c, r, Color());
      DrawOwnThemedButton(c, r, state, Enabled());
    }
  } else if (Flat()) {
    ui::paint::Fill(c, r, Color());
    if (hover_ || pushed) {
      TRect edge = r;
      DrawEdge(c, edge, pushed ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT | BF_MIDDLE);
    }
  } else {
    TRect face = r;
    DrawFrameControl(c, face, DFC_BUTTON, DFCS_BUTTONPUSH | (pushed ? DFCS_PUSHED : 0));
  }
  // The glyph and the caption centred over the face, the caption with no
  // background of its own.
  TButtonGlyph content;
  content.NumGlyphs = NumGlyphs();
  content.Layout = Layout();
  content.Margin = Margin();
  content.Spacing = Spacing();
  c.Font->Assign(Font());
  c.Brush->Style = bsClear;
  TRect inner = InflateRect(r, -2, -2);
  if (pushed) inner = OffsetRect(inner, 1, 1);
  content.Draw(c, inner, &Glyph(), Caption(), shown, DT_LEFT);
}

TEsgEditButton::TEsgEditButton(TComponent* AOwner) : TWinControl(AOwner) {
  button_ = new TExtSpeedButton(this);
  button_->SetParent(this);
  button_->OnClick = [this](TObject*) {
    TWinControl* focus = FocusControl ? FocusControl : this;
    if (focus->CanFocus() && !focus->Focused()) focus->SetFocus();
    if (OnClick) OnClick(this);
  };
  SetBounds(0, 0, 20, 25);
}

void TEsgEditButton::BoundsChanged() {
  TWinControl::BoundsChanged();
  button_->SetBounds(0, 0, std::max(15, Width()), Height());
}

TEsgEditBtn::TEsgEditBtn(TComponent* AOwner) : TCustomEdit(AOwner) {
  button_ = new TEsgEditButton(this);
  button_->SetBounds(0, 0, 18, 18);
  button_->SetParent(this);
  button_->FocusControl = this;
  button_->OnClick = [this](TObject*) { ClickBtn(); };
  SetText("0");
}

void TEsgEditBtn::SetButtonWidth(int v) {
  buttonWidth_ = v;
  button_->SetWidth(v);
  BoundsChanged();
}

void TEsgEditBtn::ClickBtn() {
  if (OnClickBtn) OnClickBtn(this);
}

void TEsgEditBtn::KeyDown(Word& Key, TShiftState Shift) {
  if (Key == VK_F4) {
    ClickBtn();
    Key = 0;
    return;
  }
  TCustomEdit::KeyDown(Key, Shift);
}

void TEsgEditBtn::KeyPress(char& Key) {
  if (!EditorEnabled) Key = 0;
  if (Key != 0) TCustomEdit::KeyPress(Key);
}

void TEsgEditBtn::DoEnter() {
  if (AutoSelect && !ControlState.Contains(csLButtonDown)) SelectAll();
  TCustomEdit::DoEnter();
}

void TEsgEditBtn::Dispatch(TMessage& m) {
  if ((m.Msg == WM_PASTE || m.Msg == WM_CUT) && (!EditorEnabled || ReadOnly())) return;
  TCustomEdit::Dispatch(m);
}

void TEsgEditBtn::SetRightAlign(bool v) {
  rightAlign_ = v;
  SetAlignment(v ? taRightJustify : taLeftJustify);
}

int TEsgEditBtn::MinHeight() const {
  // The system font is never the smaller here: the control's font counts.
  const int h = FontCharHeight(Font());
  return h + h / 4;
}

void TEsgEditBtn::BoundsChanged() {
  // Never lower than a line of text.
  if (const int least = MinHeight(); Height() < least) {
    SetHeight(least);
    return;
  }
  TCustomEdit::BoundsChanged();
  const bool border = BorderStyle() != bsNone;
  const int b = border ? 5 : 1;
  const int w = button_->Width();
  button_->SetBounds(std::max(0, ClientWidth() - w - (border ? b - 1 : 0)), 0, w,
                     std::max(1, ClientHeight() - (border ? b - 1 : 0)));
}

TRect TEsgEditBtn::TextArea() const {
  TRect r = TCustomEdit::TextArea();
  // The value's line stands where the unit beside it is drawn.
  r.Top = std::min(r.Bottom, r.Top + (BorderStyle() != bsNone ? 1 : 2));
  r.Right = std::max(r.Left, std::min(r.Right, ClientWidth() - button_->Width() - 3 - RightMargin()));
  return r;
}

TEsgUnitEditBtn::TEsgUnitEditBtn(TComponent* AOwner) : TEsgEditBtn(AOwner) { SetRightAlign(true); }

void TEsgUnitEditBtn::SetUnitID(const AnsiString& v) {
  unitID_ = v;
  Invalidate();
}

void TEsgUnitEditBtn::SetUnitSpace(int v) {
  unitSpace_ = v;
  InvalidateLayout();
  Invalidate();
}

void TEsgUnitEditBtn::ClickBtn() {
  TPopupMenu menu(nullptr);
  for (int i = 0; i < units_.Count(); ++i) {
    auto* item = new TMenuItem(&menu);
    item->SetCaption(units_[i]);
    menu.Items()->Add(item);
  }
  const TPoint at = ClientToScreen(Point(ClientWidth() - 15, ClientHeight()));
  const int command = menu.TrackReturnCmd(at.X, at.Y);
  for (int i = 0; i < menu.Items()->Count(); ++i)
    if (command != 0 && menu.Items()->Items(i)->Command() == command) SetUnitID(units_[i]);
}

void TEsgUnitEditBtn::Paint() {
  TEsgEditBtn::Paint();
  TCanvas& c = Canvas();
  const int right = ClientWidth() - EditButton()->Width() - 3;
  TRect r = Rect(right - unitSpace_, 2, right, ClientHeight());
  c.Font->Assign(Font());
  c.Brush->Style = bsClear;
  c.DrawText(unitID_, r, DT_SINGLELINE | DT_EDITCONTROL);
}
