#pragma once
// The editor controls the grid shows over a cell for the editor types its
// text editor does not serve, and the application's own editor link.

#include "grid/ESGEdit.h"
#include "grid/EsgUni.h"
#include "grid/ExtGrid.h"
#include "grid/ExtInplaceEdit.h"
#include "grid/esgcombo.h"
#include "grid/esgspin.h"
#include "platform/ui/ComCtrls.h"
#include "platform/ui/Forms.h"
#include "platform/ui/StdCtrls.h"

// An editor the application supplies (edCustom): the grid places it over
// the cell, or on a popup form, and reads its value back.
class TEditLink : public TComponent {
 public:
  explicit TEditLink(TComponent* AOwner) : TComponent(AOwner) {}
  // The control that receives the typed start character.
  virtual TWinControl* GetEditControl() = 0;
  virtual void CreateEditor(TWinControl* AParent) = 0;
  virtual void SetFocus(bool Value) = 0;
  virtual void SetRect(const TRect& R) = 0;
  virtual void SetVisible(bool Value) = 0;
  virtual void SetProperties() {}
  virtual void SetCellProps(TColor /*AColor*/, const TFont& /*AFont*/) {}
  virtual AnsiString GetEditorValue() = 0;
  virtual void SetEditorValue(const AnsiString& Value) = 0;
  TExtStringGrid* Grid = nullptr;
  int EditCol = -1, EditRow = -1;
  enum TEditStyle { esInplace, esPopup };
  TEditStyle EditStyle = esInplace;
  int PopupWidth = 100, PopupHeight = 100;
  // The popup form of the popup style while an edit is open.
  TForm* PopupForm = nullptr;
  // The popup takes the cell's width.
  bool WantCellWidth = false;
  // Deactivating the popup passes the value on (else only hides it).
  bool PassValueOnDeactivate = true;
  // Leaving the control only writes the value, and the edit goes on.
  bool KeepEditingOnExit = false;
  // The link made its control itself, anew for every edit: the grid frees
  // it once the edit has ended.
  bool OwnsControl = false;
  // The exit handler of the link's control (the grid sets it when it shows
  // the control); ending, storing and writing the value to the current cell
  // at the real column of the grid's current column.
  void EditLinkExit(TObject* Sender);
  void EditLinkEnd();
  void EditLinkStore();
  void EditLinkSetCell(const AnsiString& S);
};

// The combo editor (edComboEdit, edComboList): the budget grid's column of
// marks uses it.
class TGridCombo : public TESGComboBox, private TEditorGridLink {
 public:
  explicit TGridCombo(TExtStringGrid* AGrid);
  TExtStringGrid* Grid() const { return grid_; }
  // Index of the item the last completion chose, and whether one took place.
  int CompletedIndex() const { return completedIndex_; }
  bool Completed() const { return completed_; }
  // Steps the item by the grid's wheel, one notch at a time.
  void WheelStep(bool Down);
  // The grid's OnComboChange and OnComboObjectChange for the item shown.
  void FireChange();
  // The cell text of the value shown ("|\" code units for the wide combo),
  // and the showing of a cell's text.
  AnsiString CellValue() const;
  void ShowCellValue(const AnsiString& Stored);
  void Dispatch(TMessage& Message) override;

 protected:
  void KeyDown(Word& Key, TShiftState Shift) override;
  void KeyPress(char& Key) override;
  void KeyUp(Word& Key, TShiftState Shift) override;
  void DoExit() override;
  bool DoMouseWheelDown(TShiftState Shift, TPoint MousePos) override;
  bool DoMouseWheelUp(TShiftState Shift, TPoint MousePos) override;

 private:
  void Complete();
  // A click that opened the editor leaves the caret where it was made.
  void PlacePendingCaret();
  bool completion_ = true;
  int completedIndex_ = -1;
  bool completed_ = false;
};

// The wide combo editor (edUniComboEdit, edUniComboList): the combo editor
// over UTF-16 items and text.
class TGridUniCombo : public TGridCombo {
 public:
  explicit TGridUniCombo(TExtStringGrid* AGrid);
};

// The spin editor (edSpinEdit, edFloatSpinEdit, edTimeSpinEdit,
// edDateSpinEdit): the arrows and the buttons step the value, Page Up and
// Page Down step within the bounds, Home and End jump to them.
class TGridSpin : public TEsgSpinEdit, private TEditorGridLink {
 public:
  explicit TGridSpin(TExtStringGrid* AGrid);
  void Dispatch(TMessage& Message) override;
  void UpClick() override;
  void DownClick() override;

 protected:
  void KeyDown(Word& Key, TShiftState Shift) override;
  void KeyPress(char& Key) override;
  void DoExit() override;

 private:
  void FireSpin(bool Up, bool AsInteger);
};

// The date and time editors (edDateEdit, edDateEditUpDown, edTimeEdit).
class TGridDatePicker : public TDateTimePicker, private TEditorGridLink {
 public:
  explicit TGridDatePicker(TExtStringGrid* AGrid);
  void Dispatch(TMessage& Message) override;
  // The calendar is dropped down, as its notifications told: the grid
  // taking the focus meanwhile leaves the edit open.
  bool Dropped() const { return dropped_; }

 protected:
  void KeyDown(Word& Key, TShiftState Shift) override;
  void DoExit() override;
  void DropDown() override;
  void CloseUp() override;
  // The picker's sunken border, painted over in the window colour: in a cell
  // the value stands flat like the text editor's.
  void Paint() override;

 private:
  bool dropped_ = false;
};

// The check-box editor (edCheckBox): its state is not stored in the cell.
class TGridCheckBox : public TCheckBox, private TEditorGridLink {
 public:
  explicit TGridCheckBox(TExtStringGrid* AGrid);
  void Dispatch(TMessage& Message) override;

 protected:
  void KeyDown(Word& Key, TShiftState Shift) override;
  void DoExit() override;
  // A press ticks or unticks at once; the release that ends the same click
  // leaves the box as the press set it, so that a click shows one change.
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void Pressed() override;

 private:
  bool toggledByPress_ = false;
};

// The button editor (edButton): a click reports the cell's ellipsis click.
class TGridButton : public TButton, private TEditorGridLink {
 public:
  explicit TGridButton(TExtStringGrid* AGrid);
  void Click() override;
  void Dispatch(TMessage& Message) override;

 protected:
  void KeyDown(Word& Key, TShiftState Shift) override;
  void KeyUp(Word& Key, TShiftState Shift) override;
  void DoExit() override;

 private:
  // Hidden and disabled, the edit over, without storing.
  void Dismiss();
};

// The edit-button editors (edEditBtn, edNumericEditBtn, edFloatEditBtn):
// the button reports the cell's ellipsis click.
class TGridEditBtn : public TEsgEditBtn, private TEditorGridLink {
 public:
  explicit TGridEditBtn(TExtStringGrid* AGrid);
  void Dispatch(TMessage& Message) override;

 protected:
  void KeyDown(Word& Key, TShiftState Shift) override;
  void DoExit() override;
};

// The unit editor (edUnitEditBtn): a value and its unit.
class TGridUnitEditBtn : public TEsgUnitEditBtn, private TEditorGridLink {
 public:
  explicit TGridUnitEditBtn(TExtStringGrid* AGrid);
  void Dispatch(TMessage& Message) override;
  // Splits a cell's text into the value and the unit.
  void SetValueAndUnit(const AnsiString& S);

 protected:
  void KeyDown(Word& Key, TShiftState Shift) override;
  void DoExit() override;
};

// The UTF-16 editor (edUniEdit): the cell keeps its text as "|\" code
// units.
class TGridUniEdit : public TEsgUniEdit, private TEditorGridLink {
 public:
  explicit TGridUniEdit(TExtStringGrid* AGrid);
  void Dispatch(TMessage& Message) override;

 protected:
  void KeyDown(Word& Key, TShiftState Shift) override;
  void KeyPress(char& Key) override;
  void DoExit() override;
};

// Keys that editor controls hand back to the grid (Tab, Enter, Esc and
// the others of Handed): the text is stored and committed before Tab,
// Enter, Up and Down; a rejected text comes back and the key ends there.
// GetText and SetText read and write the control's text. True when the key
// was the grid's.
bool HandEditorKey(TExtStringGrid& Grid, Word& Key, TShiftState Shift, std::initializer_list<Word> Handed,
                   const std::function<AnsiString()>& GetText,
                   const std::function<void(const AnsiString&)>& SetText);
