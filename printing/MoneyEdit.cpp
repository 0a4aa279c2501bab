#include "printing/MoneyEdit.h"

#include "platform/ui/ControlPaint.h"

namespace {

constexpr int kButtonWidth = 15;
constexpr int kButtonHeight = 17;
// The height of the system font, which with the edit's own font sets how
// low the edit may become.
constexpr int kSystemFontHeight = 16;

}  // namespace

// ---- the drop button ----------------------------------------------------

TDropCalculatorButton::TDropCalculatorButton(TMoneyEdit* edit) : TSpeedButton(edit), edit_(edit) {
  SetParent(edit);
  SetBounds(0, 0, kButtonWidth, kButtonHeight);
}

void TDropCalculatorButton::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TSpeedButton::MouseDown(Button, Shift, X, Y);
  if (Button != mbLeft) return;
  if (!edit_->Focused()) edit_->SetFocus();
  if (edit_->Dropped())
    edit_->CloseUp();
  else
    edit_->DropDown();
  if (edit_->OnClickBtn) edit_->OnClickBtn(edit_);
}

void TDropCalculatorButton::Paint() {
  TSpeedButton::Paint();
  if (!Glyph().Empty()) return;
  // Without a picture of its own: a keypad of three by three keys.
  TCanvas& c = Canvas();
  const int left = (Width() - 8) / 2, top = (Height() - 8) / 2;
  for (int row = 0; row < 3; ++row)
    for (int col = 0; col < 3; ++col)
      ui::paint::Fill(c, Rect(left + col * 3, top + row * 3, left + col * 3 + 2, top + row * 3 + 2),
                      Enabled() ? clBtnText : clGrayText);
}

// ---- the keypad -----------------------------------------------------------

void TCalculatorLook::Assign(const TCalculatorLook& other) {
  ButtonWidth = other.ButtonWidth;
  ButtonHeight = other.ButtonHeight;
  ButtonColor = other.ButtonColor;
  Color = other.Color;
  Font.Assign(other.Font);
  if (other.ButtonBkg.Empty())
    ButtonBkg.SetSize(0, 0);
  else
    ButtonBkg.Assign(other.ButtonBkg.Pixels());
  Flat = other.Flat;
}

TTabForm::TTabForm(TMoneyEdit* edit) : TPopupWindow(edit), edit_(edit) {
  const TCalculatorLook& look = edit->CalculatorLook();
  const TExtraButtons& extras = edit->ExtraButtons();
  const AnsiString captions[4] = {extras.Extra1, extras.Extra2, extras.Extra3, extras.Extra4};
  layout_ = CalcKeypadLayout(look.ButtonWidth, look.ButtonHeight, captions);
  SetColor(look.Color);
  SetBounds(0, 0, layout_.Width, layout_.Height);
}

int TTabForm::KeyAt(int X, int Y) const {
  for (const TCalcKeySpec& key : layout_.Keys) {
    const TRect& r = key.Bounds;
    if (X >= r.Left && X < r.Right && Y >= r.Top && Y < r.Bottom) return key.Tag;
  }
  return -1;
}

void TTabForm::Dispatch(TMessage& Message) {
  // A press on the drop button closes the keypad through the button; were
  // it closed here first, the same press would drop it down again.
  if (Message.Msg == CM_CANCELMODE && edit_->PointerOnButton()) return;
  TPopupWindow::Dispatch(Message);
}

void TTabForm::Paint() {
  TCalculatorLook& look = edit_->CalculatorLook();
  TCanvas& c = Canvas();
  ui::paint::Fill(c, ClientRect(), look.Color);
  c.Font->Assign(look.Font);
  for (const TCalcKeySpec& key : layout_.Keys) {
    TRect r = key.Bounds;
    if (!look.ButtonBkg.Empty())
      look.ButtonBkg.Draw(c, r);
    else
      ui::paint::Fill(c, r, look.ButtonColor);
    const bool down = key.Tag == pressed_;
    if (!look.Flat || down) DrawEdge(c, r, down ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
    ui::paint::Caption(c, key.Caption, r, DT_CENTER | DT_VCENTER | DT_SINGLELINE, true);
  }
}

void TTabForm::MouseDown(TMouseButton Button, TShiftState, int X, int Y) {
  if (Button != mbLeft) return;
  pressed_ = KeyAt(X, Y);
  Invalidate();
}

void TTabForm::MouseUp(TMouseButton Button, TShiftState, int X, int Y) {
  if (Button != mbLeft) return;
  const int key = pressed_ == KeyAt(X, Y) ? pressed_ : -1;
  pressed_ = -1;
  Invalidate();
  if (key >= 0) edit_->PressKey(key);
}

// ---- the edit -------------------------------------------------------------

TMoneyEdit::TMoneyEdit(TComponent* AOwner) : TCustomEdit(AOwner) {
  button_ = new TDropCalculatorButton(this);
  SetAlignment(taRightJustify);
  SetText("0");
  PlaceButton();
}

TMoneyEdit::~TMoneyEdit() { keypad_.reset(); }

void TMoneyEdit::SetEditorEnabled(bool v) {
  editorEnabled_ = v;
  SetReadOnly(!v);
}

void TMoneyEdit::PlaceButton() {
  const TRect inner = InnerRect();
  button_->SetBounds(inner.Right - kButtonWidth, inner.Top, kButtonWidth,
                     std::min(kButtonHeight, std::max(0, inner.Height())));
  // The text never runs under the button.
  TRect format = ClientRect();
  format.Left = inner.Left + (BorderStyle() == bsNone ? 1 : 2);
  format.Top = inner.Top;
  format.Bottom = inner.Bottom;
  format.Right = std::max(format.Left, button_->Left() - 3);
  Perform(EM_SETRECTNP, 0, reinterpret_cast<LPARAM>(&format));
}

bool TMoneyEdit::KeepLeastHeight() {
  const int fontHeight = LineHeight();
  const int least = fontHeight + std::min(kSystemFontHeight, fontHeight) / 4;
  const int inner = InnerRect().Height();
  if (inner >= least) return false;
  SetHeight(Height() + least - inner);  // places the button again
  return true;
}

void TMoneyEdit::BoundsChanged() {
  TCustomEdit::BoundsChanged();
  if (!KeepLeastHeight()) PlaceButton();
}

void TMoneyEdit::Dispatch(TMessage& Message) {
  TCustomEdit::Dispatch(Message);
  // A larger font would otherwise be cut by the edit's old height.
  if (Message.Msg == CM_FONTCHANGED && !KeepLeastHeight()) PlaceButton();
}

bool TMoneyEdit::PointerOnButton() const {
  TPoint at;
  if (!button_->Visible() || !GetCursorPos(&at)) return false;
  return PtInRect(button_->ClientRect(), button_->ScreenToClient(at));
}

void TMoneyEdit::DoEnter() {
  TCustomEdit::DoEnter();
  if (AutoSelect && !(GetKeyState(VK_LBUTTON) & 0x8000)) SelectAll();
}

void TMoneyEdit::DoExit() {
  CloseUp();
  TCustomEdit::DoExit();
}

void TMoneyEdit::Sync() { calc_.Text = Text(); }

void TMoneyEdit::Show(bool caretAtEnd) {
  fixing_ = true;
  SetText(calc_.Text);
  fixing_ = false;
  if (caretAtEnd) SetSelStart(static_cast<int>(Text().size()));
}

void TMoneyEdit::Change() {
  if (!fixing_ && Text().empty()) {
    fixing_ = true;
    SetText("0");
    fixing_ = false;
    SetSelStart(1);
  }
  TCustomEdit::Change();
}

void TMoneyEdit::PressKey(int tag) {
  Sync();
  if (tag >= 19 && tag <= 22) {
    calc_.Extra(tag - 18, [this](int index, long double& value) {
      if (OnExtraButtonClick) OnExtraButtonClick(this, index, value);
    });
  } else {
    calc_.Key(tag);
  }
  Show(true);
}

void TMoneyEdit::DropDown() {
  if (Dropped()) return;
  keypad_ = std::make_unique<TTabForm>(this);
  const TPoint at = ClientToScreen(Point(0, 0));
  const TCalcKeypadLayout& layout = keypad_->Layout();
  const TPoint to =
      CalcKeypadPosition(Rect(at.X, at.Y, at.X + Width(), at.Y + Height()), layout.Height, Screen->Height());
  keypad_->Popup(Rect(to.X, to.Y, to.X + layout.Width, to.Y + layout.Height));
}

void TMoneyEdit::CloseUp() {
  if (keypad_) keypad_->CloseUp();
}

void TMoneyEdit::KeyDown(Word& Key, TShiftState Shift) {
  decimalKeyDown_ = Key == VK_DECIMAL;
  TCustomEdit::KeyDown(Key, Shift);
  switch (Key) {
    case VK_F4:
      if (Dropped())
        CloseUp();
      else
        DropDown();
      Key = 0;
      break;
    case VK_ESCAPE:
      if (Dropped()) {
        CloseUp();
        Key = 0;
      }
      break;
    case VK_TAB:
      CloseUp();
      break;
    case VK_DELETE:
      if (Dropped()) Key = 0;  // the keypad has no such key
      break;
    default:
      break;
  }
}

bool TMoneyEdit::OperationKey(char ch) {
  switch (ch) {
    case '+':
      calc_.Key(ckAdd);
      break;
    case '-':
      calc_.Key(ckSubtract);
      break;
    case '*':
      calc_.Key(ckMultiply);
      break;
    case '/':
      calc_.Key(ckDivide);
      break;
    case '%':
      calc_.Key(ckPercent);
      break;
    case '=':
    case '\r':
      calc_.Key(ckEquals);
      break;
    case 'C':
    case 'c':
      calc_.TypedClear();
      break;
    default:
      return false;
  }
  return true;
}

void TMoneyEdit::KeyPress(char& Key) {
  TCustomEdit::KeyPress(Key);
  const char ch = Key;
  // The decimal separator is the user's (the comma under Greek settings);
  // the numeric keypad's decimal key types it whatever its character, and
  // the thousands separator is dropped.
  const bool decimalKey = decimalKeyDown_;
  decimalKeyDown_ = false;
  const bool point = ch == DecimalSeparator || (decimalKey && (ch == '.' || ch == ','));
  if (ch == 0 || ch == 0x03) return;  // copying stays the edit's
  // While the keypad is down the keys are its own, Backspace included.
  const bool keypad = Dropped();
  if (ch == '\b' && !keypad) {
    // Deleting stays the edit's, but the last character leaves "0",
    // wherever the caret stands in it.
    if (Text().size() == 1 && !ReadOnly()) {
      Key = 0;
      calc_.Text = "0";
      Show(true);
    }
    return;
  }
  Key = 0;
  if (ReadOnly()) return;
  Sync();
  if (keypad) {
    if (ch >= '0' && ch <= '9')
      calc_.Key(ch - '0');
    else if (ch == '\b')
      calc_.KeypadBackspace();
    else if (point)
      calc_.Key(ckPoint);
    else if (!OperationKey(ch))
      return;
    Show(true);
    if (ch == '\r') CloseUp();
    return;
  }
  if (ch >= '0' && ch <= '9') {
    // A digit that starts a number replaces the display; others are typed.
    if (calc_.Text == "0" || calc_.NewNumber) {
      calc_.Key(ch - '0');
      Show(true);
    } else {
      Key = ch;
    }
    return;
  }
  if (point) {
    if (calc_.Text.find(DecimalSeparator) == AnsiString::npos) Key = DecimalSeparator;
    return;
  }
  if (!OperationKey(ch)) return;  // every other character is dropped
  Show(true);
}
