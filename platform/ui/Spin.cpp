#include "platform/ui/Spin.h"

#include <algorithm>

TSpinEdit::TSpinEdit(TComponent* AOwner) : TCustomEdit(AOwner), button_(new TUpDown(nullptr)) {
  button_->SetParent(this);
  button_->SetTabStop(false);
  // The buttons step through the edit, which keeps the bounds.
  button_->SetMin(-2147483647);
  button_->SetMax(2147483647);
  button_->OnClick = [this](TObject*, TUDBtnType b) {
    if (b == btNext)
      UpClick();
    else
      DownClick();
    button_->SetPosition(0);
  };
  SetBounds(0, 0, 121, 22);
  SetText("0");
  PlaceButton();
}

TSpinEdit::~TSpinEdit() { Destroying(); }

void TSpinEdit::PlaceButton() {
  const TRect inner = InnerRect();
  button_->SetBounds(inner.Right - 15, inner.Top, 15, inner.Height());
}

void TSpinEdit::BoundsChanged() {
  TCustomEdit::BoundsChanged();
  PlaceButton();
}

TRect TSpinEdit::TextArea() const {
  TRect r = TCustomEdit::TextArea();
  r.Right -= 15;
  return r;
}

void TSpinEdit::SetMinValue(int v) {
  minValue_ = v;
  SetValue(Value());
}

void TSpinEdit::SetMaxValue(int v) {
  maxValue_ = v;
  SetValue(Value());
}

int TSpinEdit::CheckValue(int v) const {
  if (maxValue_ != minValue_)
    v = std::clamp(v, std::min(minValue_, maxValue_), std::max(minValue_, maxValue_));
  return v;
}

int TSpinEdit::Value() const { return CheckValue(StrToIntDef(Trim(TControl::Text()), minValue_)); }

void TSpinEdit::SetValue(int v) {
  const AnsiString text = IntToStr(CheckValue(v));
  if (text != TControl::Text()) SetText(text);
}

void TSpinEdit::UpClick() {
  if (ReadOnly()) {
    MessageBeep(0);
    return;
  }
  SetValue(Value() + Increment);
}

void TSpinEdit::DownClick() {
  if (ReadOnly()) {
    MessageBeep(0);
    return;
  }
  SetValue(Value() - Increment);
}

bool TSpinEdit::IsValidChar(char key) const {
  const bool allowed =
      (key >= '0' && key <= '9') || key == '-' || key == '+' || static_cast<unsigned char>(key) < ' ';
  return allowed && (EditorEnabled || static_cast<unsigned char>(key) < ' ');
}

void TSpinEdit::KeyDown(Word& key, TShiftState shift) {
  if (key == VK_UP) {
    UpClick();
    key = 0;
  } else if (key == VK_DOWN) {
    DownClick();
    key = 0;
  }
  if (key != 0) TCustomEdit::KeyDown(key, shift);
}

void TSpinEdit::KeyPress(char& key) {
  if (!IsValidChar(key)) {
    key = 0;
    MessageBeep(0);
  }
  if (key != 0) TCustomEdit::KeyPress(key);
}

void TSpinEdit::DoExit() {
  // What was typed comes back within the bounds on leaving.
  SetValue(Value());
  TCustomEdit::DoExit();
}

void TSpinEdit::Dispatch(TMessage& m) {
  if (m.Msg == WM_PASTE && !EditorEnabled) return;
  if (m.Msg == CM_ENABLEDCHANGED) button_->SetEnabled(Enabled());
  TCustomEdit::Dispatch(m);
}
