#pragma once
// The combo box of the grid's combo editor: a flat or etched frame and
// drop-down button of its own, a focus border, a button width from 14 to
// 32, focus on mouse entry, and a drop-down list width of its own.

#include <memory>

#include "grid/EsgUni.h"
#include "platform/ui/StdCtrls.h"

class TESGCustomCombo : public TCustomComboBox {
 public:
  explicit TESGCustomCombo(TComponent* AOwner);
  bool AutoFocus = false;
  int ButtonWidth() const { return buttonWidth_; }
  // Only 14 to 32 are taken.
  void SetButtonWidth(int v);
  bool Flat() const { return flat_; }
  void SetFlat(bool v);
  bool Etched() const { return etched_; }
  void SetEtched(bool v);
  bool FocusBorder() const { return focusBorder_; }
  void SetFocusBorder(bool v);
  int DropWidth() const { return dropWidth_; }
  void SetDropWidth(int v);
  bool IsWinXP() const { return isWinXP_; }
  void SetIsWinXP(bool v);
  // The mouse over it or the focus in it.
  bool ActiveLook() const;
  // UTF-16 items and text (the wide combo): the 8-bit Items follow
  // WideItems converted, and the edit holds UTF-16. Called again after a
  // change of style.
  bool UniMode() const { return wideItems_ != nullptr; }
  void SetUniMode();
  TWideStrings& WideItems() { return *wideItems_; }
  WideString WideText() const;
  void SetWideText(const WideString& Value);
  void Dispatch(TMessage& Message) override;

 protected:
  int ButtonAreaWidth() const override { return buttonWidth_; }
  void Paint() override;
  void DrawItem(TCanvas& canvas, int Index, const TRect& Rect, TOwnerDrawState State) override;
  void SelectionChanged(int Index) override;

 private:
  int buttonWidth_;
  bool flat_ = true;
  bool etched_ = false;
  bool focusBorder_ = false;
  int dropWidth_ = 0;
  bool isWinXP_ = false;
  bool mouseInside_ = false;
  TColor savedColor_ = clWindow;
  bool savedParentColor_ = false;
  std::unique_ptr<TWideStrings> wideItems_;
};

class TESGComboBox : public TESGCustomCombo {
 public:
  explicit TESGComboBox(TComponent* AOwner) : TESGCustomCombo(AOwner) {}
};

// The flat combo of UTF-16 items and text.
class TESGUniComboBox : public TESGCustomCombo {
 public:
  explicit TESGUniComboBox(TComponent* AOwner) : TESGCustomCombo(AOwner) { SetUniMode(); }
};
