#pragma once
// The standard controls, drawn in the classic look: labels, push buttons,
// check boxes, radio buttons, group boxes and list boxes. (The edit
// controls are in StdEdits.h.)

#include <memory>
#include <vector>

#include "platform/rtl/Classes.h"
#include "platform/ui/Controls.h"
#include "platform/ui/Forms.h"
#include "platform/ui/LineScroller.h"
#include "platform/ui/ScrollBars.h"
#include "platform/ui/StdEdits.h"

// True when Str has the accelerator "&" before the character of VK
// (letters in either case; "&&" is a plain ampersand).
bool IsAccel(Word VK, const AnsiString& Str);
// The accelerator character of Str (after its single "&"), 0 when none.
char GetHotkey(const AnsiString& Str);

enum TOwnerDrawStateMember {
  odSelected,
  odGrayed,
  odDisabled,
  odChecked,
  odFocused,
  odDefault,
  odComboBoxEdit
};
using TOwnerDrawState = TSet<TOwnerDrawStateMember>;
using TDrawItemEvent =
    std::function<void(TWinControl* Control, int Index, const TRect& Rect, TOwnerDrawState State)>;

// ---- labels -------------------------------------------------------------------

// How a one-line label shortens a text wider than itself: not at all, by
// leaving out the middle of a path, or at its end.
enum TEllipsisPosition { epNone, epPathEllipsis, epEndEllipsis };

class TCustomLabel : public TGraphicControl {
 public:
  explicit TCustomLabel(TComponent* AOwner);
  ~TCustomLabel() override;

  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment a);
  TTextLayout Layout() const { return layout_; }
  void SetLayout(TTextLayout l);
  bool WordWrap() const { return wordWrap_; }
  void SetWordWrap(bool v);
  TEllipsisPosition EllipsisPosition() const { return ellipsis_; }
  void SetEllipsisPosition(TEllipsisPosition e);
  // Without a background: what lies under the label shows through.
  bool Transparent() const { return transparent_; }
  void SetTransparent(bool v);
  // The label takes the size of its text (only the height when it wraps).
  bool AutoSize() const { return autoSize_; }
  void SetAutoSize(bool v);
  // "&" marks the accelerator and is not shown; off, it is shown as is.
  bool ShowAccelChar() const { return showAccelChar_; }
  void SetShowAccelChar(bool v);
  // The control that takes the focus when the accelerator is typed.
  TWinControl* FocusControl() const { return focusControl_; }
  void SetFocusControl(TWinControl* c);

  void Dispatch(TMessage& Message) override;

 protected:
  void Paint() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  // Fits the bounds to the text when AutoSize is on.
  virtual void AdjustBounds();
  unsigned TextFormat() const;

 private:
  static AnsiString ShortenPath(TCanvas& c, const AnsiString& path, unsigned format, int width);

  TAlignment alignment_ = taLeftJustify;
  TTextLayout layout_ = tlTop;
  bool wordWrap_ = false;
  TEllipsisPosition ellipsis_ = epNone;
  bool transparent_ = false;
  bool autoSize_ = true;
  bool showAccelChar_ = true;
  TWinControl* focusControl_ = nullptr;
};

class TLabel : public TCustomLabel {
 public:
  explicit TLabel(TComponent* AOwner) : TCustomLabel(AOwner) {}
};

// ---- buttons ------------------------------------------------------------------

// What push buttons, check boxes and radio buttons share: they take the
// focus on a click, repaint when it comes and goes, and answer their "&"
// accelerator.
class TButtonControl : public TCustomControl {
 public:
  explicit TButtonControl(TComponent* AOwner);
  void Dispatch(TMessage& Message) override;

 protected:
  // The accelerator was typed; the default clicks.
  virtual void AcceleratorTyped();
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void KeyDown(Word& Key, TShiftState Shift) override;
  void KeyUp(Word& Key, TShiftState Shift) override;
  // Space released, or the mouse released over the control.
  virtual void Pressed() { Click(); }
  // Shown pushed: the mouse is held over it or Space is held.
  bool PushedLook() const { return spaceDown_ || (mouseDown_ && mouseInside_); }
  // The form's Enter and Escape (CM_DIALOGKEY); true when taken.
  virtual bool DialogKey(Word) { return false; }

 private:
  bool mouseDown_ = false;
  bool mouseInside_ = false;
  bool spaceDown_ = false;
};

class TButton : public TButtonControl {
 public:
  explicit TButton(TComponent* AOwner);
  // Enter on the form presses the default button unless another button has
  // the focus; Escape presses the cancel button.
  bool Default() const { return default_; }
  void SetDefault(bool v);
  bool Cancel = false;
  // Given to the form on a click; a modal form then closes with it.
  TModalResult ModalResult = mrNone;
  void Click() override;

 protected:
  void Paint() override;
  bool DialogKey(Word key) override;
  // Draws what lies on the face (the caption; a glyph too in descendants)
  // inside Face, shifted one pixel when pushed.
  virtual void PaintFace(TCanvas& canvas, const TRect& face, bool pushed);
  // True when this button shows the thick frame of the button Enter presses.
  bool IsActiveDefault() const;

 private:
  bool default_ = false;
};

enum TCheckBoxState { cbUnchecked, cbChecked, cbGrayed };

// Check boxes and radio buttons: a mark with the caption beside it.
class TMarkButton : public TButtonControl {
 public:
  explicit TMarkButton(TComponent* AOwner);
  // taRightJustify (the default) puts the caption right of the mark.
  TLeftRight Alignment() const { return alignment_; }
  void SetAlignment(TLeftRight a);
  bool WordWrap = false;

 protected:
  // DrawFrameControl's state for the mark (checked, grayed...).
  virtual unsigned MarkState() const = 0;
  virtual unsigned MarkKind() const = 0;
  void Paint() override;

 private:
  TLeftRight alignment_ = taRightJustify;
};

class TCheckBox : public TMarkButton {
 public:
  explicit TCheckBox(TComponent* AOwner);
  TCheckBoxState State() const { return state_; }
  // A change of state repaints and runs OnClick, in code as by the user.
  void SetState(TCheckBoxState s);
  bool Checked() const { return state_ == cbChecked; }
  void SetChecked(bool v) { SetState(v ? cbChecked : cbUnchecked); }
  // The user's clicks pass through the grayed state too.
  bool AllowGrayed = false;
  // The next state, as a click makes it.
  virtual void Toggle();

 protected:
  unsigned MarkState() const override;
  unsigned MarkKind() const override;
  void Pressed() override { Toggle(); }
  void AcceleratorTyped() override;

 private:
  TCheckBoxState state_ = cbUnchecked;
};

class TRadioButton : public TMarkButton {
 public:
  explicit TRadioButton(TComponent* AOwner);
  bool Checked() const { return checked_; }
  // Checking one unchecks the other radio buttons of the same parent and
  // runs OnClick. A button checked or unchecked becomes a tab stop or stops
  // being one, so that Tab reaches a group at its checked button.
  void SetChecked(bool v);

 protected:
  unsigned MarkState() const override;
  unsigned MarkKind() const override;
  void Pressed() override { SetChecked(true); }
  void AcceleratorTyped() override;
  void DoEnter() override;

 private:
  bool checked_ = false;
};

// ---- group box ----------------------------------------------------------------

class TCustomGroupBox : public TCustomControl {
 public:
  explicit TCustomGroupBox(TComponent* AOwner);
  void AlignControls(TControl* AControl, TRect& Rect) override;
  void Dispatch(TMessage& Message) override;

 protected:
  void Paint() override;
};

class TGroupBox : public TCustomGroupBox {
 public:
  explicit TGroupBox(TComponent* AOwner) : TCustomGroupBox(AOwner) {}
};

// ---- list box -----------------------------------------------------------------

enum TListBoxStyle { lbStandard, lbOwnerDrawFixed, lbOwnerDrawVariable };

class TCustomListBox : public TCustomControl {
 public:
  explicit TCustomListBox(TComponent* AOwner);
  ~TCustomListBox() override;

  // The lines; changing them repaints and keeps ItemIndex in range.
  TStrings* Items() const { return items_.get(); }
  // The selected line (the focused one with MultiSelect), -1 for none.
  // Setting it in code runs no event.
  int ItemIndex() const { return itemIndex_; }
  void SetItemIndex(int index);
  int TopIndex() const { return lines_.Top(); }
  void SetTopIndex(int index);
  int ItemHeight() const;
  void SetItemHeight(int h);
  TListBoxStyle Style = lbStandard;
  bool Sorted() const;
  void SetSorted(bool v);
  // Several lines may be selected; ExtendedSelect adds Shift ranges and
  // Ctrl toggling (otherwise a click or Space toggles one line).
  bool MultiSelect() const { return multiSelect_; }
  void SetMultiSelect(bool v);
  bool ExtendedSelect = true;
  bool Selected(int index) const;
  void SetSelected(int index, bool v);
  int SelCount() const;
  void ClearSelection();
  void SelectAll();
  TBorderStyle BorderStyle() const { return borderStyle_; }
  void SetBorderStyle(TBorderStyle b);
  void Clear() { items_->Clear(); }

  // The line under a client point; with Existing, -1 below the last line
  // (otherwise the count).
  int ItemAtPos(TPoint Pos, bool Existing) const;
  TRect ItemRect(int Index) const;
  // Lines that fit in the client area.
  int VisibleCount() const;

  TDrawItemEvent OnDrawItem;

  void Dispatch(TMessage& Message) override;

 protected:
  void Paint() override;
  // Draws one line; OnDrawItem draws owner-drawn ones.
  virtual void DrawItem(int Index, const TRect& Rect, TOwnerDrawState State);
  void KeyDown(Word& Key, TShiftState Shift) override;
  void KeyPress(char& Key) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  bool DoMouseWheelDown(TShiftState Shift, TPoint MousePos) override;
  bool DoMouseWheelUp(TShiftState Shift, TPoint MousePos) override;
  // The area the lines take (inside the border).
  TRect ItemArea() const;

 private:
  void ItemsChanged();
  // Moves the focus line by the user's hand: selects, scrolls it into
  // view and runs OnClick when the selection changed.
  void MoveTo(int index, TShiftState shift, bool toggle);
  void SelectRange(int from, int to);

  std::unique_ptr<TStringList> items_;
  std::vector<bool> selected_;
  int itemIndex_ = -1;
  int anchor_ = -1;
  int itemHeight_ = 0;
  bool multiSelect_ = false;
  bool dragging_ = false;
  TBorderStyle borderStyle_ = bsSingle;
  TLineScroller lines_;
};

class TListBox : public TCustomListBox {
 public:
  explicit TListBox(TComponent* AOwner) : TCustomListBox(AOwner) {}
};

// ---- combo box -----------------------------------------------------------------

enum TComboBoxStyle { csDropDown, csSimple, csDropDownList, csOwnerDrawFixed, csOwnerDrawVariable };

class TCustomComboBox;

// The dropped-down list of a combo box. It never takes the focus: the
// combo box hands it the keys while it shows.
class TComboListWindow : public TPopupWindow {
 public:
  explicit TComboListWindow(TCustomComboBox& combo);
  ~TComboListWindow() override;
  // The highlighted line, -1 for none.
  int Highlighted() const { return highlighted_; }
  void Highlight(int index);
  int TopIndex() const { return lines_.Top(); }
  int VisibleCount() const { return lines_.VisibleCount(); }
  TRect ItemRect(int index) const { return lines_.LineRect(index); }
  int ItemAt(TPoint p) const;
  void Layout();
  void Dispatch(TMessage& Message) override;

 protected:
  void Paint() override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  bool DoMouseWheelDown(TShiftState Shift, TPoint MousePos) override;
  bool DoMouseWheelUp(TShiftState Shift, TPoint MousePos) override;

 private:
  TRect Inner() const { return InflateRect(ClientRect(), -1, -1); }
  TCustomComboBox& combo_;
  int highlighted_ = -1;
  TLineScroller lines_;
};

// The edit part of a drop-down combo box: its keys reach the combo box first.
class TComboEdit : public TEdit {
 public:
  TComboEdit(TComponent* AOwner, TCustomComboBox& combo);
  void Dispatch(TMessage& Message) override;

 protected:
  void KeyDown(Word& Key, TShiftState Shift) override;
  void KeyPress(char& Key) override;
  void Change() override;

 private:
  TCustomComboBox& combo_;
};

class TCustomComboBox : public TCustomControl {
 public:
  explicit TCustomComboBox(TComponent* AOwner);
  ~TCustomComboBox() override;

  TComboBoxStyle Style() const { return style_; }
  void SetStyle(TComboBoxStyle s);
  TStrings* Items() const { return items_.get(); }
  bool Sorted() const { return items_->Sorted(); }
  void SetSorted(bool v) { items_->SetSorted(v); }
  // The chosen line, -1 for none; setting it in code runs no event. With
  // csDropDown, typing text that matches no line makes it -1.
  int ItemIndex() const { return itemIndex_; }
  void SetItemIndex(int index);
  // The text shown (the chosen line, or what was typed).
  AnsiString Text() const;
  void SetText(const AnsiString& s);
  bool DroppedDown() const;
  void SetDroppedDown(bool v);
  // Lines the list shows at most before it scrolls.
  int DropDownCount = 8;
  // The list's width; 0 takes the control's.
  int DropDownWidth = 0;
  int ItemHeight() const;
  void SetItemHeight(int h);
  int MaxLength() const;
  void SetMaxLength(int v);
  // The edit part (csDropDown only).
  TCustomEdit* EditControl() const { return edit_; }
  // The drop-down list while it shows.
  TComboListWindow* ListWindow() const { return list_; }
  // The rectangle of the drop-down button.
  TRect ButtonRect() const;
  // The drop-down button's width; a descendant may draw a wider or
  // narrower one.
  virtual int ButtonAreaWidth() const;

  TNotifyEvent OnChange;
  TNotifyEvent OnDropDown;
  TNotifyEvent OnCloseUp;
  // The user chose a line (keyboard or list).
  TNotifyEvent OnSelect;
  TDrawItemEvent OnDrawItem;

  void Dispatch(TMessage& Message) override;
  // The box or its edit has the focus.
  bool Focused() const;
  // Focusing a box whose edit holds the focus leaves it there, unless Tab is
  // down: the box takes its edit's focus only as the form moves over it.
  void SetFocus() override;

 protected:
  void Paint() override;
  void KeyDown(Word& Key, TShiftState Shift) override;
  void KeyPress(char& Key) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  bool DoMouseWheelDown(TShiftState Shift, TPoint MousePos) override;
  bool DoMouseWheelUp(TShiftState Shift, TPoint MousePos) override;
  virtual void Change();
  virtual void Select();
  // The user chose line Index: the text already follows it, the parent and
  // the events are told after this.
  virtual void SelectionChanged(int Index) { (void)Index; }
  virtual void DropDown();
  virtual void CloseUp();
  // Draws line Index in Rect (the list and the field of a list-style box).
  virtual void DrawItem(TCanvas& canvas, int Index, const TRect& Rect, TOwnerDrawState State);
  void BoundsChanged() override;

 private:
  friend class TComboListWindow;
  friend class TComboEdit;
  // The user's choice of a line: the text follows, OnChange and OnSelect run.
  void ChooseByUser(int index);
  // The user's choice of a line from the open list (-1: none): the box
  // holds it before the list closes, the choice is told after.
  void CloseWithChoice(int index);
  // The text and the line follow the choice; true when they changed.
  bool TakeChoice(int index);
  void AnnounceChoice(bool changed);
  // Keys the combo box handles for itself and its edit; true when used.
  bool ComboKey(Word key, TShiftState shift);
  // Tells the parent window what happened (WM_COMMAND with a CBN_ code),
  // before the combo box's own events run.
  void Notify(Word code);
  // The box or its edit part.
  bool IsOwnWindow(HWND wnd);
  // The focus moved between the combo box (box or edit) and elsewhere.
  void FocusMoved(bool gained, HWND other);
  void EditTextChanged();
  void PlaceEdit();
  void ItemsChanged();

  std::unique_ptr<TStringList> items_;
  TComboBoxStyle style_ = csDropDown;
  int itemIndex_ = -1;
  int itemHeight_ = 0;
  TComboEdit* edit_ = nullptr;
  TComboListWindow* list_ = nullptr;
  bool settingText_ = false;
};

class TComboBox : public TCustomComboBox {
 public:
  explicit TComboBox(TComponent* AOwner) : TCustomComboBox(AOwner) {}
};
