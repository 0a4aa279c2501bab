#pragma once
// The grid's text editor: the plain grid's in-place editor with the key
// filters of the text editor types, a length limit that holds for pasting
// too, the clipboard events, validation when the cell is left, word wrap, a
// password mode, completion from the lookup list and caret walking into the
// neighbouring cells.

#include "grid/ExtGrid.h"

// An editor control's grid. The controls get messages while the grid is
// being destroyed, when it may no longer be used.
class TEditorGridLink {
 public:
  explicit TEditorGridLink(TExtStringGrid* AGrid) : grid_(AGrid), component_(AGrid) {}
  bool GridAlive() const { return !component_->ComponentState().Contains(csDestroying); }

 protected:
  TExtStringGrid* grid_;

 private:
  TComponent* component_;
};

class TExtInplaceEdit : public TInplaceEdit, private TEditorGridLink {
 public:
  explicit TExtInplaceEdit(TExtStringGrid* AGrid);
  TExtStringGrid* ExtGrid() const { return grid_; }
  // 0: none; the grid's MaxEditLength when still 0 on showing.
  SmallInt LengthLimit = 0;
  bool WordWrap() const { return wordWrap_; }
  void SetWordWrap(bool v);
  void UpdateContents() override;
  void Dispatch(TMessage& Message) override;

 protected:
  void KeyDown(Word& Key, TShiftState Shift) override;
  void KeyPress(char& Key) override;
  void KeyUp(Word& Key, TShiftState Shift) override;
  void BoundsChanged() override;
  bool MultiLine() const override { return wordWrap_ || (grid_ && grid_->Multilinecells); }
  bool WrapLines() const override { return wordWrap_; }

 private:
  // The text, caret and selection of a change the filters let through.
  bool FilterChar(char& Key);
  // Commits the text; on rejection the stored text comes back with the
  // caret at its end.
  bool CommitOrReject();
  void Paste();
  void Complete();
  // Ctrl+Enter: the row takes the line about to be added.
  void GrowRowForNewLine();
  void KillFocus(HWND NewFocus);
  void SetFocusCaret();
  using TEditorGridLink::grid_;
  bool wordWrap_ = false;
  bool completion_ = true;
};

// Whether Key may be typed into Text (caret at SelStart, SelLength
// selected) by an editor of type Type: the filters of the numeric and float
// editors, which the edit-button editors share. Beep tells whether a refusal
// beeps.
bool NumericKeyAllowed(TEditorType Type, char Key, const AnsiString& Text, int SelStart, int SelLength,
                       bool& Beep);
