#pragma once
// An edit with an embedded button (the grid's edit-button editors) and a
// value-plus-unit edit whose button pops up a list of units.

#include "platform/ui/Buttons.h"
#include "platform/ui/Menus.h"
#include "platform/ui/StdEdits.h"

class TExtSpeedButton : public TSpeedButton {
 public:
  explicit TExtSpeedButton(TComponent* AOwner) : TSpeedButton(AOwner) {}
  bool IsWinXP = false;
  bool Hover() const { return hover_; }
  void Dispatch(TMessage& Message) override;

 protected:
  void Paint() override;

 private:
  bool hover_ = false;
};

class TEsgEditButton : public TWinControl {
 public:
  explicit TEsgEditButton(TComponent* AOwner);
  TBitmap& Glyph() { return button_->Glyph(); }
  void SetGlyph(const TBitmap& v) { button_->SetGlyph(v); }
  const AnsiString& ButtonCaption() const { return button_->Caption(); }
  void SetButtonCaption(const AnsiString& v) { button_->SetCaption(v); }
  void SetNumGlyphs(int v) { button_->SetNumGlyphs(v); }
  void SetFlat(bool v) { button_->SetFlat(v); }
  TWinControl* FocusControl = nullptr;
  TNotifyEvent OnClick;
  TExtSpeedButton* Button() const { return button_; }

 protected:
  void BoundsChanged() override;

 private:
  TExtSpeedButton* button_;
};

class TEsgEditBtn : public TCustomEdit {
 public:
  explicit TEsgEditBtn(TComponent* AOwner);
  int ButtonWidth() const { return buttonWidth_; }
  void SetButtonWidth(int v);
  bool EditorEnabled = true;
  TBitmap& Glyph() { return button_->Glyph(); }
  void SetGlyph(const TBitmap& v) { button_->SetGlyph(v); }
  void SetButtonCaption(const AnsiString& v) { button_->SetButtonCaption(v); }
  void SetIsWinXP(bool v) {
    button_->Button()->IsWinXP = v;
    button_->Button()->Invalidate();
  }
  bool RightAlign() const { return rightAlign_; }
  void SetRightAlign(bool v);
  // The least height that shows a line of the font: the font's height and
  // a quarter of it.
  int MinHeight() const;
  TNotifyEvent OnClickBtn;
  TEsgEditButton* EditButton() const { return button_; }
  virtual void ClickBtn();
  void Dispatch(TMessage& Message) override;

 protected:
  // Pixels kept free right of the text for a unit.
  virtual int RightMargin() const { return 0; }
  void KeyDown(Word& Key, TShiftState Shift) override;
  void KeyPress(char& Key) override;
  void DoEnter() override;
  void BoundsChanged() override;
  TRect TextArea() const override;

 private:
  bool rightAlign_ = false;
  TEsgEditButton* button_;
  int buttonWidth_ = 0;
};

class TEsgUnitEditBtn : public TEsgEditBtn {
 public:
  explicit TEsgUnitEditBtn(TComponent* AOwner);
  TStringList& Units() { return units_; }
  const AnsiString& UnitID() const { return unitID_; }
  void SetUnitID(const AnsiString& v);
  int UnitSpace() const { return unitSpace_; }
  void SetUnitSpace(int v);
  // Pops up the units; the one chosen becomes UnitID.
  void ClickBtn() override;

 protected:
  int RightMargin() const override { return unitSpace_; }
  void Paint() override;

 private:
  TStringList units_;
  AnsiString unitID_;
  int unitSpace_ = 20;
};
