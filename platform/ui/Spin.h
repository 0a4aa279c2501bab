#pragma once
// The spin edit: a number typed or stepped with its up-down buttons (and
// the Up and Down keys) between MinValue and MaxValue.

#include "platform/ui/ComCtrls.h"
#include "platform/ui/StdEdits.h"

class TSpinEdit : public TCustomEdit {
 public:
  explicit TSpinEdit(TComponent* AOwner);
  ~TSpinEdit() override;
  // With both 0 the value has no bounds.
  int MinValue() const { return minValue_; }
  void SetMinValue(int v);
  int MaxValue() const { return maxValue_; }
  void SetMaxValue(int v);
  int Increment = 1;
  // The number in the text, kept within the bounds; text that is no number
  // counts as MinValue.
  int Value() const;
  void SetValue(int v);
  // Off, the text cannot be typed into; the buttons still step.
  bool EditorEnabled = true;
  TUpDown* Button() const { return button_; }
  void Dispatch(TMessage& Message) override;

 protected:
  virtual bool IsValidChar(char Key) const;
  virtual void UpClick();
  virtual void DownClick();
  void KeyDown(Word& Key, TShiftState Shift) override;
  void KeyPress(char& Key) override;
  void DoExit() override;
  void BoundsChanged() override;
  TRect TextArea() const override;

 private:
  int CheckValue(int v) const;
  void PlaceButton();
  int minValue_ = 0, maxValue_ = 0;
  TUpDown* button_;
};
