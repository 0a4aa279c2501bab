// The typed-cell grid.

#include "grid/uestrgrd.h"

#include "platform/gfx/FrameControls.h"
#include "platform/ui/Application.h"
#include "platform/ui/Mask.h"

namespace {

void RangeError(Extended value, Extended min, Extended max) {
  if (min <= value && value <= max) return;
  throw Exception(
      Format("Το %g δεν είναι έγκυρη τιμή για το πεδίο '%s'. Το επιτρεπτό όριο τιμών είναι από %g μέχρι %g"_a,
             {value, "", min, max}));
}

bool IsNumberKey(char key) { return key == '+' || key == '-' || (key >= '0' && key <= '9'); }

// Sets a flag for the life of a scope, also when an exception leaves it.
class FlagScope {
 public:
  explicit FlagScope(bool& flag) : flag_(flag) { flag_ = true; }
  ~FlagScope() { flag_ = false; }
  FlagScope(const FlagScope&) = delete;
  FlagScope& operator=(const FlagScope&) = delete;

 private:
  bool& flag_;
};

}  // namespace

TEnhStringGrid::TEnhStringGrid(TComponent* AOwner) : TStringGrid(AOwner) {}

void TEnhStringGrid::SetAdjustCol(int v) {
  if (v == adjustCol_) return;
  adjustCol_ = v;
  DoAdjustCol();
}

TGridFieldType TEnhStringGrid::GetCellFieldType(int ACol, int ARow) {
  return OnCellFieldType ? OnCellFieldType(this, ACol, ARow) : gftText;
}

void TEnhStringGrid::DoValidate(int ACol, int ARow, const TCellValue& Value) {
  if (OnValidate) OnValidate(this, ACol, ARow, Value);
}

void TEnhStringGrid::DoRowEvent(Byte Kind) {
  const TNotifyEvent* event = nullptr;
  switch (Kind) {
    case 0:
    case 4:
      event = &BeforeInsert;
      break;
    case 1:
    case 5:
      event = &AfterInsert;
      break;
    case 2:
      event = &BeforeDelete;
      break;
    case 3:
      event = &AfterDelete;
      break;
    default:
      return;
  }
  if (*event) (*event)(this);
}

bool TEnhStringGrid::IsBlankMaskText(int ACol, int ARow, const AnsiString& Value) {
  const TEditMask mask(GetEditMask(ACol, ARow));
  if (mask.Empty()) return false;
  return Value == mask.TextOf(mask.EmptyText());
}

// ---- checking a cell ---------------------------------------------------------------

void TEnhStringGrid::CheckText(const AnsiString& text, TGridFieldType type) const {
  switch (type) {
    // The text is first an integer of the class library's 32 bits; only
    // then does the type's range apply.
    case gftSmallInt:
      RangeError(StrToInt(text), -32768, 32767);
      break;
    case gftWord:
      RangeError(StrToInt(text), 0, 65535);
      break;
    case gftInteger:
      RangeError(StrToInt(text), -2147483648.0L, 2147483647.0L);
      break;
    case gftFloat:
      StrToFloat(text);
      break;
    case gftCurrency: {
      // The currency type holds ±922337203685477.5807.
      const Extended value = StrToFloat(text);
      if (!(value >= -922337203685477.5807L && value <= 922337203685477.5807L))
        throw EConvertError(Format("'%s' is not a valid floating point value", {text}));
      break;
    }
    case gftDate:
      StrToDate(text);
      break;
    case gftTime:
      StrToTime(text);
      break;
    case gftDateTime:
      StrToDateTime(text);
      break;
    case gftText:
    case gftBoolean:
      break;
  }
}

void TEnhStringGrid::ValidateCell() {
  if (!InplaceEditor() || !EditorMode()) return;
  FlagScope restoring(FRestoring);
  try {
    const AnsiString text = GetEditText(Col(), Row());
    TCellValue value;
    if (!text.empty()) {
      CheckText(text, GetCellFieldType(Col(), Row()));
      value = text;
    }
    DoValidate(Col(), Row(), value);
  } catch (const EAbort&) {
    // A handler that aborts on its own has said all it wants to.
    RestoreSavedText();
    throw;
  } catch (const std::exception&) {
    if (CanFocus()) SetFocus();
    if (Application) Application->HandleException(this);
    RestoreSavedText();
    Abort();
  }
}

void TEnhStringGrid::RestoreSavedText() {
  // The editor gets the old text too: hiding it later writes its text
  // into the cell, which must not bring the refused text back.
  if (TInplaceEdit* editor = InplaceEditor(); editor && EditorMode()) {
    editor->SetText(FSavedText);
    editor->Deselect();
  }
  SetCells(Col(), Row(), FSavedText);
}

// ---- the editor ------------------------------------------------------------------------

AnsiString TEnhStringGrid::GetEditText(int ACol, int ARow) {
  AnsiString text = TStringGrid::GetEditText(ACol, ARow);
  if (!FRestoring) FSavedText = text;
  return text;
}

void TEnhStringGrid::SetEditText(int ACol, int ARow, const AnsiString& Value) {
  TStringGrid::SetEditText(ACol, ARow, Value);
  const TGridFieldType type = GetCellFieldType(ACol, ARow);
  if ((type == gftDate || type == gftTime || type == gftDateTime) && IsBlankMaskText(ACol, ARow, Value))
    SetCells(ACol, ARow, "");
}

AnsiString TEnhStringGrid::GetEditMask(int ACol, int ARow) {
  AnsiString mask = TStringGrid::GetEditMask(ACol, ARow);
  if (!mask.empty()) return mask;
  switch (GetCellFieldType(ACol, ARow)) {
    case gftDate:
      return "!99/99/0000;1;_";
    case gftTime:
      return "!99:00;1;_";
    case gftDateTime:
      return "!99/99/0000 99:00;1;_";
    default:
      return "";
  }
}

bool TEnhStringGrid::CanEditAcceptKey(char Key) {
  switch (GetCellFieldType(Col(), Row())) {
    case gftSmallInt:
    case gftWord:
    case gftInteger:
      return IsNumberKey(Key);
    case gftFloat:
    case gftCurrency:
      return IsNumberKey(Key) || Key == 'E' || Key == 'e' || Key == DecimalSeparator;
    default:
      return true;
  }
}

bool TEnhStringGrid::CanEditShow() {
  return TStringGrid::CanEditShow() && GetCellFieldType(Col(), Row()) != gftBoolean;
}

bool TEnhStringGrid::SelectCell(int ACol, int ARow) {
  ValidateCell();
  return TStringGrid::SelectCell(ACol, ARow);
}

// ---- keyboard and mouse ------------------------------------------------------------------

void TEnhStringGrid::KeyPress(char& Key) {
  if (!Options().Contains(goAlwaysShowEditor) && Key == '\r') ValidateCell();
  if (Key == '\x1b' && Options().Contains(goEditing) && EditorMode()) {
    FlagScope restoring(FRestoring);
    RestoreSavedText();
    if (!Options().Contains(goAlwaysShowEditor)) SetEditorMode(false);
  }
  TStringGrid::KeyPress(Key);
}

void TEnhStringGrid::KeyDown(Word& Key, TShiftState Shift) {
  if (AllowInsDel) {
    if (Key == VK_DOWN && Shift.Empty() && Row() == RowCount() - 1 && !IsRowEmpty(Row()))
      AppendRow();
    else if (Key == VK_INSERT && Shift.Empty() && !EditorMode())
      InsertRow();
    else if (Key == VK_DELETE && Shift == TShiftState{ssCtrl})
      DeleteRow(Row());
  }
  if (GetCellFieldType(Col(), Row()) == gftBoolean && Options().Contains(goEditing)) {
    if (Key == VK_SPACE) {
      ToggleBoolCell(Col(), Row());
      Key = 0;
    }
    SetEditorMode(false);
  }
  TStringGrid::KeyDown(Key, Shift);
}

void TEnhStringGrid::Dispatch(TMessage& Message) {
  // A boolean cell has no editor: its characters must not open one.
  if (Message.Msg == WM_CHAR && GetCellFieldType(Col(), Row()) == gftBoolean) return;
  TStringGrid::Dispatch(Message);
}

void TEnhStringGrid::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  int col = -1, row = -1;
  MouseToCell(X, Y, col, row);
  const bool boolCell = col >= FixedCols() && row >= FixedRows() && GetCellFieldType(col, row) == gftBoolean;
  if (!boolCell || !Options().Contains(goEditing) || Button != mbLeft) {
    TStringGrid::MouseDown(Button, Shift, X, Y);
    return;
  }
  if (Shift.Contains(ssDouble)) {
    ToggleBoolCell(col, row);
    return;
  }
  TStringGrid::MouseDown(Button, Shift, X, Y);
  SetEditorMode(false);
}

void TEnhStringGrid::ToggleBoolCell(int ACol, int ARow) {
  const AnsiString old = Cells(ACol, ARow);
  const AnsiString toggled = old == "1" ? "0" : "1";
  SetCells(ACol, ARow, toggled);
  try {
    DoValidate(ACol, ARow, toggled);
  } catch (const std::exception&) {
    SetCells(ACol, ARow, old);
  }
  InvalidateCell(ACol, ARow);
}

void TEnhStringGrid::DoExit() {
  try {
    ValidateCell();
  } catch (const EAbort&) {
    // The focus went back to the grid: the exit did not happen.
    return;
  }
  TStringGrid::DoExit();
}

// ---- drawing ---------------------------------------------------------------------------

void TEnhStringGrid::DrawCell(int ACol, int ARow, const TRect& ARect, TGridDrawState AState) {
  if (GetCellFieldType(ACol, ARow) != gftBoolean) {
    TStringGrid::DrawCell(ACol, ARow, ARect, AState);
    return;
  }
  TCanvas& canvas = Canvas();
  canvas.SetTextAlign(TA_LEFT | TA_TOP);
  TRect box = InflateRect(ARect, -1, -1);
  const AnsiString text = Cells(ACol, ARow);
  unsigned state = DFCS_BUTTONCHECK;
  if (text == "1")
    state |= DFCS_CHECKED;
  else if (text.empty())
    state |= DFCS_INACTIVE;
  DrawFrameControl(canvas, box, DFC_BUTTON, state);
}

// ---- rows ------------------------------------------------------------------------------

void TEnhStringGrid::ClearRow(int ARow) {
  for (int c = 0; c < ColCount(); ++c) {
    SetCells(c, ARow, "");
    SetObjects(c, ARow, nullptr);
  }
}

bool TEnhStringGrid::IsRowEmpty(int ARow) const {
  for (int c = FixedCols(); c < ColCount(); ++c)
    if (!Cells(c, ARow).empty()) return false;
  return true;
}

void TEnhStringGrid::InsertRow() {
  DoRowEvent(0);
  if (MaxRows > 0 && MaxRows <= RowCount()) return;
  SetRowCount(RowCount() + 1);
  for (int r = RowCount() - 1; r > Row(); --r) {
    for (int c = 0; c < ColCount(); ++c) {
      SetCells(c, r, Cells(c, r - 1));
      SetObjects(c, r, Objects(c, r - 1));
    }
  }
  ClearRow(Row());
  DoRowEvent(1);
}

void TEnhStringGrid::AppendRow() {
  DoRowEvent(4);
  if (MaxRows >= 1 && MaxRows <= RowCount()) return;
  SetRowCount(RowCount() + 1);
  SetRow(RowCount() - 1);
  ClearRow(RowCount() - 1);
  DoRowEvent(5);
}

void TEnhStringGrid::DeleteRow(int ARow) {
  if (ARow < 0 || ARow >= RowCount()) return;
  const bool onlyDataRow = ARow == FixedRows() && RowCount() == FixedRows() + 1;
  const int current = Row();
  if (ARow >= FixedRows()) SetRow(ARow);
  DoRowEvent(2);
  if (onlyDataRow)
    ClearRow(ARow);
  else
    TStringGrid::DeleteRow(ARow);
  DoRowEvent(3);
  if (RowCount() > current) SetRow(current);
}

// ---- the stretch column ------------------------------------------------------------------

// The width is that of the cell area: the border and scroll bars lie
// inside this system's client rectangle, and the stretched column must not
// reach under them.
void TEnhStringGrid::DoAdjustCol() {
  if (adjustCol_ < 0 || adjustCol_ >= ColCount()) return;
  long long others = 0;
  for (int c = 0; c < ColCount(); ++c)
    if (c != adjustCol_) others += ColWidths(c) + GridLineWidth();
  const TRect area = GridArea();
  const long long width = area.Right - area.Left;
  if (width > GridLineWidth() + others + 1)
    SetColWidths(adjustCol_, static_cast<int>(width - others - GridLineWidth()));
}

void TEnhStringGrid::BoundsChanged() {
  TStringGrid::BoundsChanged();
  if (adjustCol_ >= 0) DoAdjustCol();
}
