#pragma once
// The money edit: a one-line numeric edit whose text is the display of the
// calculator in MoneyCalc.h. A small button inside its right edge, or F4,
// drops the keypad down below it (above it near the screen's bottom); the
// same keys can be typed into the edit.

#include <memory>

#include "platform/gfx/Bitmap.h"
#include "platform/ui/Buttons.h"
#include "platform/ui/Forms.h"
#include "platform/ui/StdEdits.h"
#include "printing/MoneyCalc.h"

class TMoneyEdit;

// How the keypad looks: key size, key and background colours, font, a key
// picture and flat keys.
class TCalculatorLook {
 public:
  int ButtonWidth = 24;
  int ButtonHeight = 24;
  TColor ButtonColor = static_cast<TColor>(0xC0C0C0);
  TColor Color = static_cast<TColor>(0xFFFFFF);
  TFont Font;
  TBitmap ButtonBkg;
  bool Flat = false;
  void Assign(const TCalculatorLook& other);
};

// Captions of up to four extra keys; an empty caption is no key.
class TExtraButtons {
 public:
  AnsiString Extra1, Extra2, Extra3, Extra4;
  void Assign(const TExtraButtons& other) { *this = other; }
};

using TExtraButtonClickEvent = std::function<void(TObject* Sender, int Index, long double& Value)>;

// The drop button, 15 × 17 pixels inside the edit's right edge.
class TDropCalculatorButton : public TSpeedButton {
 public:
  explicit TDropCalculatorButton(TMoneyEdit* edit);

 protected:
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void Paint() override;

 private:
  TMoneyEdit* edit_;
};

// The dropped keypad: a borderless window on top of the others.
class TTabForm : public TPopupWindow {
 public:
  // Takes the edit's look and extra keys as they are when it drops.
  explicit TTabForm(TMoneyEdit* edit);
  const TCalcKeypadLayout& Layout() const { return layout_; }
  // The key at a client point, or -1.
  int KeyAt(int X, int Y) const;
  void Dispatch(TMessage& Message) override;

 protected:
  void Paint() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;

 private:
  TMoneyEdit* edit_;
  TCalcKeypadLayout layout_;
  int pressed_ = -1;
};

class TMoneyEdit : public TCustomEdit {
 public:
  explicit TMoneyEdit(TComponent* AOwner);
  ~TMoneyEdit() override;

  TCalculatorLook& CalculatorLook() { return look_; }
  TExtraButtons& ExtraButtons() { return extras_; }
  bool EditorEnabled() const { return editorEnabled_; }
  void SetEditorEnabled(bool v);
  TBitmap& ButtonGlyph() { return button_->Glyph(); }
  TDropCalculatorButton* Button() const { return button_; }
  TNotifyEvent OnClickBtn;
  TExtraButtonClickEvent OnExtraButtonClick;

  // The keypad: dropped down, closed, and whether it is down.
  void DropDown();
  void CloseUp();
  bool Dropped() const { return keypad_ && keypad_->Visible(); }
  TTabForm* Keypad() const { return keypad_.get(); }
  // A key of the keypad by its tag (digits 0..9, the operations, extra
  // keys 19..22), as a press on it does.
  void PressKey(int tag);
  const TMoneyCalculator& Calculator() const { return calc_; }
  // The mouse pointer is over the drop button.
  bool PointerOnButton() const;
  void Dispatch(TMessage& Message) override;

 protected:
  void KeyDown(Word& Key, TShiftState Shift) override;
  void KeyPress(char& Key) override;
  void Change() override;
  void BoundsChanged() override;
  void DoEnter() override;
  // The keypad goes when the focus leaves the edit, by Tab or otherwise.
  void DoExit() override;

 private:
  void Sync();
  void Show(bool caretAtEnd);
  // The operation, "=", Enter or C that a typed character is, applied;
  // false for any other character.
  bool OperationKey(char ch);
  void PlaceButton();
  // Makes the edit tall enough for its font; true when it had to grow.
  bool KeepLeastHeight();

  TMoneyCalculator calc_;
  TCalculatorLook look_;
  TExtraButtons extras_;
  TDropCalculatorButton* button_;
  std::unique_ptr<TTabForm> keypad_;
  bool editorEnabled_ = true;
  bool fixing_ = false;
  // The numeric keypad's decimal key is down: its character is the
  // decimal separator.
  bool decimalKeyDown_ = false;
};
