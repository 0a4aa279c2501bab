#pragma once
// The typed-cell grid: a plain string grid whose cells each have a field
// type chosen by the application. It refuses keys that cannot belong to a
// number, checks a cell's text when the user leaves it (a message box with
// the conversion's error, the old text back and the move cancelled), puts
// the old text back on Escape, shows date and time cells through edit
// masks and boolean cells as check boxes, lets the keyboard insert, append
// and delete rows, and can stretch one column over the rest of the width.

#include <functional>
#include <optional>

#include "platform/ui/Grids.h"

enum TGridFieldType : Byte {
  gftText,
  gftSmallInt,
  gftWord,
  gftInteger,
  gftFloat,
  gftCurrency,
  gftDate,
  gftTime,
  gftDateTime,
  gftBoolean,
};

// A cell's value as the validation event sees it: the cell's text, or no
// value at all for an empty cell.
using TCellValue = std::optional<AnsiString>;

class TEnhStringGrid;
using TCellFieldTypeEvent = std::function<TGridFieldType(TObject* Sender, int ACol, int ARow)>;
// Raising an exception refuses the value.
using TCellValidateEvent = std::function<void(TObject* Sender, int ACol, int ARow, const TCellValue& Value)>;

class TEnhStringGrid : public TStringGrid {
 public:
  explicit TEnhStringGrid(TComponent* AOwner);

  // Upper bound of RowCount for keyboard inserts and appends; 0 or less is
  // no bound.
  int MaxRows = 0;
  TNotifyEvent BeforeDelete;
  TNotifyEvent AfterDelete;
  TNotifyEvent BeforeInsert;
  TNotifyEvent AfterInsert;
  TCellFieldTypeEvent OnCellFieldType;
  TCellValidateEvent OnValidate;
  // Keyboard insert (Insert), append (Down on a filled last row) and delete
  // (Ctrl+Delete) of rows.
  bool AllowInsDel = false;

  // The column that takes up the rest of the width; -1 for none.
  int AdjustCol() const { return adjustCol_; }
  void SetAdjustCol(int v);

  // Deletes a row with BeforeDelete and AfterDelete around it; the only
  // data row is cleared instead of removed.
  void DeleteRow(int ARow);
  // Checks the current cell's text against its type. A failure shows the
  // error, puts the old text back and aborts silently (EAbort).
  void ValidateCell();

  virtual void ToggleBoolCell(int ACol, int ARow);
  // 0, 4 before an insert (append), 1, 5 after it, 2 before a delete, 3
  // after it.
  virtual void DoRowEvent(Byte Kind);
  virtual TGridFieldType GetCellFieldType(int ACol, int ARow);
  virtual void DoValidate(int ACol, int ARow, const TCellValue& Value);
  // Value is what the masked editor gives back when nothing was typed.
  virtual bool IsBlankMaskText(int ACol, int ARow, const AnsiString& Value);

  void Dispatch(TMessage& Message) override;

 protected:
  bool CanEditShow() override;
  void DrawCell(int ACol, int ARow, const TRect& ARect, TGridDrawState AState) override;
  bool SelectCell(int ACol, int ARow) override;
  void KeyDown(Word& Key, TShiftState Shift) override;
  void KeyPress(char& Key) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  bool CanEditAcceptKey(char Key) override;
  AnsiString GetEditText(int ACol, int ARow) override;
  void SetEditText(int ACol, int ARow, const AnsiString& Value) override;
  AnsiString GetEditMask(int ACol, int ARow) override;
  void DoExit() override;
  void BoundsChanged() override;

 private:
  void InsertRow();
  void AppendRow();
  bool IsRowEmpty(int ARow) const;
  void DoAdjustCol();
  // The conversion of the current cell's type; raises its error.
  void CheckText(const AnsiString& text, TGridFieldType type) const;
  // Puts FSavedText back into the current cell and its editor.
  void RestoreSavedText();
  void ClearRow(int ARow);

  AnsiString FSavedText;
  bool FRestoring = false;
  int adjustCol_ = -1;
};
