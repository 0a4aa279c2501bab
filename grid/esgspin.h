#pragma once
// The spin edit of the grid's spin editors: a masked edit with an embedded
// pair of arrow buttons that steps an integer, a float, a date or a time.
// The buttons repeat while held: after 400 ms, then every 100 ms.

#include "platform/rtl/SysUtils.h"
#include "platform/ui/Buttons.h"
#include "platform/ui/ExtCtrls.h"
#include "platform/ui/StdEdits.h"

enum TEsgSpinType : Byte { sptNormal, sptFloat, sptDate, sptTime };
enum TSpinDirection { spVertical, spHorizontal };

// A speed button that clicks again while held down.
class TExtTimerSpeedButton : public TSpeedButton {
 public:
  explicit TExtTimerSpeedButton(TComponent* AOwner) : TSpeedButton(AOwner) {}
  ~TExtTimerSpeedButton() override;
  bool AllowTimer = true;
  bool FocusRect = false;
  // 0 down-horizontal, 1 up-horizontal, 2 up, 3 down.
  int Kind = 2;
  bool IsWinXP = false;
  // The arrow is the stock picture, not one the button was given; the
  // themed look then draws its own arrow in its place.
  bool DefaultGlyph = true;
  // A left press on the button, before its click and its repeats.
  TNotifyEvent OnPress;
  bool Hover() const { return hover_; }
  void Dispatch(TMessage& Message) override;

 protected:
  void Paint() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;

 private:
  void Tick();
  TTimer* timer_ = nullptr;
  bool hover_ = false;
};

class TEsgSpinButton : public TWinControl {
 public:
  explicit TEsgSpinButton(TComponent* AOwner);
  TSpinDirection Direction() const { return direction_; }
  void SetDirection(TSpinDirection v);
  TWinControl* FocusControl = nullptr;
  TNotifyEvent OnUpClick;
  TNotifyEvent OnDownClick;
  TExtTimerSpeedButton* UpButton() const { return up_; }
  TExtTimerSpeedButton* DownButton() const { return down_; }
  void SetIsWinXP(bool v);
  // The arrows' pictures; an empty one puts the default arrow back.
  TBitmap& UpGlyph() { return up_->Glyph(); }
  void SetUpGlyph(const TBitmap& v);
  TBitmap& DownGlyph() { return down_->Glyph(); }
  void SetDownGlyph(const TBitmap& v);
  int UpNumGlyphs() const { return up_->NumGlyphs(); }
  void SetUpNumGlyphs(int v) { up_->SetNumGlyphs(v); }
  int DownNumGlyphs() const { return down_->NumGlyphs(); }
  void SetDownNumGlyphs(int v) { down_->SetNumGlyphs(v); }
  void SetFlat(bool v);
  void SetTransparent(bool v);
  void Dispatch(TMessage& Message) override;

 protected:
  void BoundsChanged() override;
  void KeyDown(Word& Key, TShiftState Shift) override;

 private:
  void Layout();
  void Pressed(TExtTimerSpeedButton* button);
  void Clicked(TExtTimerSpeedButton* button);
  void MoveFocusRect(TExtTimerSpeedButton* to);
  TSpinDirection direction_ = spVertical;
  TExtTimerSpeedButton* up_;
  TExtTimerSpeedButton* down_;
};

class TEsgSpinEdit : public TCustomMaskEdit {
 public:
  explicit TEsgSpinEdit(TComponent* AOwner);
  TSpinDirection Direction() const { return button_->Direction(); }
  void SetDirection(TSpinDirection v) { button_->SetDirection(v); }
  bool ReturnIsTab = false;
  int Precision() const { return precision_; }
  void SetPrecision(int v);
  TEsgSpinType SpinType() const { return spinType_; }
  void SetSpinType(TEsgSpinType v);
  // Read from the text; text that is no value reads as the minimum (now for
  // an empty date, 0 for a time).
  int Value() const;
  void SetValue(int v);
  double FloatValue() const;
  void SetFloatValue(double v);
  TDateTime DateValue() const;
  void SetDateValue(TDateTime v);
  TDateTime TimeValue() const;
  void SetTimeValue(TDateTime v);
  bool SpinFlat() const { return spinFlat_; }
  void SetSpinFlat(bool v);
  bool SpinTransparent() const { return spinTransparent_; }
  void SetSpinTransparent(bool v);
  bool EditorEnabled = true;
  int Increment = 1;
  double IncrementFloat = 0;
  int MinValue = 0, MaxValue = 100;
  double MinFloatValue = 0, MaxFloatValue = 100;
  TDateTime MinDateValue = 0, MaxDateValue = 0;
  TEsgSpinButton* Button() const { return button_; }
  void SetIsWinXP(bool v);
  // The date or time set while loading reaches the text, in the spin
  // type's format.
  void Loaded() override;
  // The least height that shows a line of the font (and the border).
  int MinHeight() const;
  void Dispatch(TMessage& Message) override;
  // Whether Key may be typed; a float's thousand separator becomes its
  // decimal separator.
  virtual bool IsValidChar(char& Key);
  virtual void UpClick();
  virtual void DownClick();

 protected:
  void KeyDown(Word& Key, TShiftState Shift) override;
  void KeyPress(char& Key) override;
  void DoEnter() override;
  void DoExit() override;
  void BoundsChanged() override;
  TRect TextArea() const override;

 private:
  void Step(int Sign);
  // Rewrites the text keeping the caret.
  void SetTextKeepCaret(const AnsiString& S);
  TEsgSpinButton* button_;
  int precision_ = 0;
  TEsgSpinType spinType_ = sptNormal;
  TDateTime date_ = 0, time_ = 0;
  bool spinFlat_ = false, spinTransparent_ = false;
};
