// The flat combo box: its frame, its button and the colours kept while it
// is disabled.

#include "grid/esgcombo.h"

#include "grid/ExtXPVS.h"
#include "platform/gfx/FrameControls.h"
#include "platform/ui/ControlPaint.h"
#include "platform/ui/Forms.h"
#include "platform/ui/ScrollBars.h"
#include "platform/ui/Windows.h"

TESGCustomCombo::TESGCustomCombo(TComponent* AOwner)
    // The system's scroll arrow width and the room around it.
    : TCustomComboBox(AOwner), buttonWidth_(GetScrollBarMetric(SM_CXVSCROLL) + 4) {
  DropDownCount = 8;
}

void TESGCustomCombo::SetButtonWidth(int v) {
  if (v < 14 || v > 32) return;
  buttonWidth_ = v;
  BoundsChanged();
  Invalidate();
}

void TESGCustomCombo::SetFlat(bool v) {
  flat_ = v;
  Invalidate();
}

void TESGCustomCombo::SetEtched(bool v) {
  etched_ = v;
  Invalidate();
}

void TESGCustomCombo::SetFocusBorder(bool v) {
  focusBorder_ = v;
  Invalidate();
}

void TESGCustomCombo::SetIsWinXP(bool v) {
  if (v == isWinXP_) return;
  isWinXP_ = v;
  Invalidate();
}

void TESGCustomCombo::SetDropWidth(int v) {
  dropWidth_ = v;
  if (v > 0) DropDownWidth = v;
}

bool TESGCustomCombo::ActiveLook() const {
  if (ComponentState().Contains(csDesigning)) return false;
  return mouseInside_ || Focused();
}

void TESGCustomCombo::Dispatch(TMessage& m) {
  switch (m.Msg) {
    case CM_MOUSEENTER:
    case CM_MOUSELEAVE:
      if (Enabled()) {
        mouseInside_ = m.Msg == CM_MOUSEENTER;
        if (mouseInside_ && AutoFocus && CanFocus() && !Focused()) SetFocus();
        Invalidate();
      }
      break;
    case CM_ENABLEDCHANGED:
      // Disabled it takes its parent's colour; enabled its own comes back.
      if (flat_ && !Enabled()) {
        savedColor_ = Color();
        savedParentColor_ = ParentColor();
        SetParentColor(true);
      } else if (flat_ && Enabled()) {
        SetColor(savedColor_);
        SetParentColor(savedParentColor_);
      }
      break;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case CM_ENTER:
    case CM_EXIT:
      Invalidate();
      break;
    default:
      break;
  }
  TCustomComboBox::Dispatch(m);
}

void TESGCustomCombo::Paint() {
  TCustomComboBox::Paint();
  if (!flat_) return;
  TCanvas& c = Canvas();
  const bool active = ActiveLook();
  // The wide combo sinks with the focus, the mouse or FocusBorder alone and
  // shows its button's edge with it; the 8-bit one sinks only when the
  // focus border meets the active look, and its button stands out in the
  // active look alone.
  const bool sunken = UniMode() ? active || focusBorder_ : active && focusBorder_;
  const bool buttonEdge = UniMode() ? sunken : active;
  const TColor field = Enabled() ? Color() : clBtnFace;
  TRect r = ClientRect();
  if (sunken) {
    DrawEdge(c, r, BDR_SUNKENOUTER, BF_RECT | BF_ADJUST);
    ui::paint::Frame(c, r, clBtnFace);
    ui::paint::Frame(c, InflateRect(r, -1, -1), field);
  } else if (UniMode()) {
    // Idle, the border melts into the face around it.
    for (int i = 0; i < 3; ++i) ui::paint::Frame(c, InflateRect(r, -i, -i), clBtnFace);
  } else {
    // A flat edit's look: the face around it, the field up to its edge.
    ui::paint::Frame(c, r, clBtnFace);
    ui::paint::Frame(c, InflateRect(r, -1, -1), field);
  }
  TRect button = Rect(ClientWidth() - buttonWidth_ - 2, 2, ClientWidth() - 2, ClientHeight() - 2);
  ui::paint::Fill(c, button, clBtnFace);
  if (buttonEdge) {
    // The open list holds the button down.
    TRect edge = button;
    DrawEdge(c, edge, DroppedDown() ? EDGE_SUNKEN : etched_ ? EDGE_ETCHED : EDGE_RAISED, BF_RECT);
  }
  TRect arrow = InflateRect(button, -1, -1);
  const bool mouseDown = GetAsyncKeyState(VK_LBUTTON) < 0 || GetAsyncKeyState(VK_RBUTTON) < 0;
  if (isWinXP_) {
    if (DrawThemedPart(Handle(), u"combobox", c, 1, mouseDown ? 3 : 1, arrow)) return;
    // No theme draws it: the themed button face and arrow by hand, held
    // down while the list is open or a mouse button is down on it.
    const int state = !Enabled() ? 1 : mouseDown || DroppedDown() ? 3 : active ? 2 : 1;
    DrawOwnThemedButton(c, arrow, state, Enabled());
    DrawOwnThemedArrow(c, OffsetRect(arrow, 0, state == 3 ? 1 : 0), DFCS_SCROLLDOWN, Enabled());
    return;
  }
  DrawFrameControl(
      c, arrow, DFC_SCROLL,
      DFCS_SCROLLCOMBOBOX | DFCS_FLAT | (DroppedDown() ? DFCS_PUSHED : 0) | (Enabled() ? 0 : DFCS_INACTIVE));
}

// ---- UTF-16 ----

void TESGCustomCombo::SetUniMode() {
  if (!wideItems_) {
    // As the wide edit: its font says it carries no one code page, and is
    // its own from then on.
    Font().Charset = 255;
    SetParentFont(false);
    wideItems_ = std::make_unique<TWideStrings>();
    wideItems_->Assign(*Items());
    wideItems_->OnChange = [this](TObject*) { wideItems_->AssignTo(*Items()); };
  }
  // A change of style makes a new edit.
  if (TCustomEdit* edit = EditControl()) edit->SetWideMode(true);
}

WideString TESGCustomCombo::WideText() const {
  if (!wideItems_) return cp1253::ToWide(Text());
  const int index = ItemIndex();
  const bool indexed = index >= 0 && index < wideItems_->Count();
  if (TCustomEdit* edit = EditControl()) {
    // An item chosen shows its 8-bit text in the edit; the item holds the
    // UTF-16 text.
    if (indexed && edit->TControl::Text() == cp1253::FromWide(wideItems_->Get(index)) &&
        edit->WideText() == cp1253::ToWide(edit->TControl::Text()))
      return wideItems_->Get(index);
    return edit->WideText();
  }
  return indexed ? wideItems_->Get(index) : WideString();
}

void TESGCustomCombo::SetWideText(const WideString& Value) {
  if (!wideItems_) {
    SetText(cp1253::FromWide(Value));
    return;
  }
  const int index = wideItems_->IndexOf(Value);
  if (EditControl()) {
    SetText(cp1253::FromWide(Value));
    EditControl()->SetWideText(Value);
  } else {
    SetItemIndex(index);
  }
}

void TESGCustomCombo::SelectionChanged(int Index) {
  // Two items the code page cannot tell apart read the same 8-bit text:
  // the edit takes the chosen item's own UTF-16 text before anyone hears
  // of the choice.
  if (!wideItems_ || Index < 0 || Index >= wideItems_->Count()) return;
  if (TCustomEdit* edit = EditControl()) edit->SetWideText(wideItems_->Get(Index));
}

void TESGCustomCombo::DrawItem(TCanvas& c, int Index, const TRect& R, TOwnerDrawState State) {
  if (!wideItems_ || Index < 0 || Index >= wideItems_->Count() || Style() == csOwnerDrawFixed ||
      Style() == csOwnerDrawVariable) {
    TCustomComboBox::DrawItem(c, Index, R, State);
    return;
  }
  c.Font->Assign(Font());
  c.Brush->Style = bsSolid;
  c.Brush->Color = State.Contains(odSelected) ? clHighlight : Color();
  if (State.Contains(odSelected)) c.Font->Color = clHighlightText;
  c.FillRect(R);
  TRect text = R;
  text.Left += 2;
  c.Brush->Style = bsClear;
  if (!Enabled()) c.Font->Color = clGrayText;
  c.DrawTextW(wideItems_->Get(Index), text, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_LEFT);
}
