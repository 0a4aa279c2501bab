// The spin, date, check-box and button editors of the grid.

#include <algorithm>

#include "grid/ExtGridEditors.h"
#include "grid/ExtInplaceEdit.h"
#include "platform/ui/ControlPaint.h"
#include "platform/ui/Windows.h"

namespace {
// The common part of the editor controls: made hidden and disabled on the
// grid.
void Place(TControl& control, TExtStringGrid& grid) {
  control.SetVisible(false);
  control.SetEnabled(false);
  control.SetParent(&grid);
}
void WantTabWithGoTabs(TMessage& m, TExtStringGrid& grid) {
  if (m.Msg == WM_GETDLGCODE && grid.Options().Contains(goTabs)) m.Result |= DLGC_WANTTAB;
}
}  // namespace

bool HandEditorKey(TExtStringGrid& Grid, Word& Key, TShiftState Shift, std::initializer_list<Word> Handed,
                   const std::function<AnsiString()>& GetText,
                   const std::function<void(const AnsiString&)>& SetText) {
  if (std::find(Handed.begin(), Handed.end(), Key) == Handed.end()) return false;
  const Word key = Key;
  Key = 0;
  if (key == VK_TAB || key == VK_RETURN || key == VK_UP || key == VK_DOWN) {
    // A value the user left as it opened keeps the cell's own text.
    if (Grid.EditorValueChanged(GetText()))
      Grid.SetCellTextEdit(Grid.RealColIndex(Grid.Col()), Grid.Row(), GetText());
    if (!Grid.CommitCellEdit(Grid.GetCurrentCellText())) {
      SetText(Grid.GetCurrentCellText());
      return true;
    }
  }
  if (key == VK_TAB && Grid.Options().Contains(goTabs)) {
    Grid.HideCellEditor();
    if (Grid.CanFocus()) Grid.SetFocus();
    Grid.TabAdvance(Shift.Contains(ssShift));
    return true;
  }
  if (key == VK_ESCAPE) SetText(Grid.GetCurrentCellText());
  Grid.EditorKeyToGrid(key, Shift);
  return true;
}

// ---- spin ----

TGridSpin::TGridSpin(TExtStringGrid* AGrid) : TEsgSpinEdit(AGrid), TEditorGridLink(AGrid) {
  MaxValue = 100;
  MinValue = 0;
  Increment = 1;
  SetBorderStyle(bsNone);
  Place(*this, *AGrid);
}

void TGridSpin::Dispatch(TMessage& m) {
  if (!GridAlive()) return TEsgSpinEdit::Dispatch(m);
  if (m.Msg == WM_CHAR && (m.WParam == '\t' || m.WParam == '\r')) return;
  TEsgSpinEdit::Dispatch(m);
  WantTabWithGoTabs(m, *grid_);
}

void TGridSpin::DoExit() {
  if (GridAlive()) grid_->HideCellEditor();
  TEsgSpinEdit::DoExit();
}

void TGridSpin::FireSpin(bool Up, bool AsInteger) {
  const int realCol = grid_->RealColIndex(grid_->Col()), row = grid_->Row();
  if (AsInteger || SpinType() == sptNormal) {
    if (grid_->OnSpinClick) grid_->OnSpinClick(grid_, realCol, row, Value(), Up);
  } else if (SpinType() == sptFloat) {
    if (grid_->OnFloatSpinClick) grid_->OnFloatSpinClick(grid_, realCol, row, FloatValue(), Up);
  } else if (SpinType() == sptDate) {
    if (grid_->OnDateSpinClick) grid_->OnDateSpinClick(grid_, realCol, row, DateValue(), Up);
  } else if (grid_->OnTimeSpinClick) {
    grid_->OnTimeSpinClick(grid_, realCol, row, TimeValue(), Up);
  }
}

void TGridSpin::UpClick() {
  TEsgSpinEdit::UpClick();
  FireSpin(true, false);
}

void TGridSpin::DownClick() {
  TEsgSpinEdit::DownClick();
  FireSpin(false, false);
}

void TGridSpin::KeyDown(Word& Key, TShiftState Shift) {
  const bool isFloat = SpinType() == sptFloat;
  switch (Key) {
    case VK_PRIOR:
    case VK_NEXT: {
      const int sign = Key == VK_PRIOR ? 1 : -1;
      if (isFloat) {
        const double next = FloatValue() + sign * IncrementFloat;
        if (next >= MinFloatValue && next <= MaxFloatValue) SetFloatValue(next);
      } else {
        const int next = Value() + sign * Increment;
        if (next >= MinValue && next <= MaxValue) SetValue(next);
      }
      FireSpin(sign > 0, true);
      Key = 0;
      return;
    }
    case VK_HOME:
    case VK_END: {
      const bool home = Key == VK_HOME;
      if (isFloat)
        SetFloatValue(home ? MaxFloatValue : MinFloatValue);
      else
        SetValue(home ? MaxValue : MinValue);
      FireSpin(home, true);
      Key = 0;
      return;
    }
    default:
      break;
  }
  if (HandEditorKey(
          *grid_, Key, Shift, {VK_TAB, VK_RETURN, VK_ESCAPE, VK_UP, VK_DOWN}, [this] { return Text(); },
          [this](const AnsiString& s) {
            SetText(s);
            SetSelStart(static_cast<int>(s.size()));
          }))
    return;
  TEsgSpinEdit::KeyDown(Key, Shift);
}

void TGridSpin::KeyPress(char& Key) {
  if (Key == '\r') {
    Key = 0;
    return;
  }
  TEsgSpinEdit::KeyPress(Key);
}

// ---- date and time ----

TGridDatePicker::TGridDatePicker(TExtStringGrid* AGrid) : TDateTimePicker(AGrid), TEditorGridLink(AGrid) {
  Place(*this, *AGrid);
}

void TGridDatePicker::Dispatch(TMessage& m) {
  if (!GridAlive()) return TDateTimePicker::Dispatch(m);
  TDateTimePicker::Dispatch(m);
  WantTabWithGoTabs(m, *grid_);
}

void TGridDatePicker::DoExit() {
  if (GridAlive()) grid_->HideCellEditor();
  TDateTimePicker::DoExit();
}

void TGridDatePicker::DropDown() {
  dropped_ = true;
  TDateTimePicker::DropDown();
}

void TGridDatePicker::CloseUp() {
  dropped_ = false;
  TDateTimePicker::CloseUp();
}

void TGridDatePicker::Paint() {
  TDateTimePicker::Paint();
  TRect r = ClientRect();
  for (int ring = 0; ring < 2; ++ring) {
    ui::paint::Frame(Canvas(), r, clWindow);
    r = InflateRect(r, -1, -1);
  }
}

void TGridDatePicker::KeyDown(Word& Key, TShiftState Shift) {
  if (!DroppedDown()) {
    const Word key = Key;
    if (key == VK_ESCAPE) {
      TDateTime value = 0;
      const AnsiString stored = grid_->GetCurrentCellText();
      if (Kind() == dtkTime) {
        if (TryStrToTime(stored, value)) SetTime(value);
      } else {
        SetDate(TryStrToDate(stored, value) ? value : Now());
      }
    }
    if (key == VK_TAB || key == VK_RETURN || key == VK_ESCAPE || key == VK_PRIOR || key == VK_NEXT ||
        key == VK_END) {
      Key = 0;
      if (key == VK_TAB && grid_->Options().Contains(goTabs)) {
        grid_->HideCellEditor();
        if (grid_->CanFocus()) grid_->SetFocus();
        grid_->TabAdvance(Shift.Contains(ssShift));
      } else {
        grid_->EditorKeyToGrid(key, Shift);
      }
      return;
    }
  }
  TDateTimePicker::KeyDown(Key, Shift);
}

// ---- check box ----

TGridCheckBox::TGridCheckBox(TExtStringGrid* AGrid) : TCheckBox(AGrid), TEditorGridLink(AGrid) {
  Place(*this, *AGrid);
}

void TGridCheckBox::Dispatch(TMessage& m) {
  if (!GridAlive()) return TCheckBox::Dispatch(m);
  TCheckBox::Dispatch(m);
  if (m.Msg == WM_GETDLGCODE) m.Result |= DLGC_WANTARROWS;
}

void TGridCheckBox::DoExit() {
  if (GridAlive()) grid_->HideCellEditor();
  TCheckBox::DoExit();
}

void TGridCheckBox::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (Button == mbLeft && Enabled()) {
    Toggle();
    toggledByPress_ = true;
  }
  TCheckBox::MouseDown(Button, Shift, X, Y);
}

void TGridCheckBox::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TCheckBox::MouseUp(Button, Shift, X, Y);
  if (Button == mbLeft) toggledByPress_ = false;
}

void TGridCheckBox::Pressed() {
  // The press of this click has toggled already; Space toggles here.
  if (!toggledByPress_) TCheckBox::Pressed();
}

void TGridCheckBox::KeyDown(Word& Key, TShiftState Shift) {
  const Word key = Key;
  switch (key) {
    case VK_RETURN:
    case VK_ESCAPE:
    case VK_PRIOR:
    case VK_NEXT:
    case VK_END:
    case VK_LEFT:
    case VK_UP:
    case VK_RIGHT:
    case VK_DOWN:
      break;
    default:
      TCheckBox::KeyDown(Key, Shift);
      return;
  }
  Key = 0;
  if (key == VK_ESCAPE) SetCaption(grid_->GetCurrentCellText());
  grid_->HideCellEditor();
  if (grid_->CanFocus()) grid_->SetFocus();
  if (key == VK_RETURN) {
    grid_->AdvanceCell(grid_->Col(), grid_->Row(), true, false, false);
  } else if (key == VK_UP || key == VK_DOWN) {
    Word arrow = key;
    grid_->KeyDown(arrow, Shift);
  }
}

// ---- button ----

TGridButton::TGridButton(TExtStringGrid* AGrid) : TButton(AGrid), TEditorGridLink(AGrid) {
  Place(*this, *AGrid);
}

void TGridButton::Click() {
  AnsiString s = Caption();
  grid_->DoEllipsClick(s);
}

void TGridButton::Dispatch(TMessage& m) {
  if (!GridAlive()) return TButton::Dispatch(m);
  TButton::Dispatch(m);
  if (m.Msg == WM_GETDLGCODE) m.Result |= DLGC_WANTARROWS;
}

void TGridButton::DoExit() {
  if (GridAlive()) grid_->HideCellEditor();
  TButton::DoExit();
}

void TGridButton::Dismiss() {
  SetVisible(false);
  SetEnabled(false);
  grid_->editorActive_ = false;
  grid_->editorType_ = edNormal;
  grid_->HideEditor();
}

void TGridButton::KeyDown(Word& Key, TShiftState Shift) {
  if (Key != VK_ESCAPE) {
    TButton::KeyDown(Key, Shift);
    return;
  }
  Key = 0;
  Dismiss();
  if (grid_->CanFocus()) grid_->SetFocus();
  grid_->RestoreEditCell();
  grid_->Perform(WM_KEYDOWN, VK_ESCAPE, 0);
}

void TGridButton::KeyUp(Word& Key, TShiftState Shift) {
  const Word key = Key;
  if (key != VK_LEFT && key != VK_RIGHT && key != VK_UP && key != VK_DOWN) {
    TButton::KeyUp(Key, Shift);
    return;
  }
  Key = 0;
  Dismiss();
  if (grid_->CanFocus()) grid_->SetFocus();
  grid_->Perform(WM_KEYDOWN, key, 0);
  grid_->Perform(WM_KEYUP, key, 0);
}

// ---- edit buttons ----

namespace {
constexpr std::initializer_list<Word> kEditBtnKeys = {VK_TAB,  VK_RETURN, VK_ESCAPE, VK_PRIOR,
                                                      VK_NEXT, VK_UP,     VK_DOWN};

// Enter is swallowed; the numeric and float types filter as the text
// editor does, the others but the plain one take no character.
bool EditBtnChar(TMessage& m, TCustomEdit& edit, TEditorType type) {
  if (m.Msg != WM_CHAR) return true;
  const char key = static_cast<char>(m.WParam & 0xFF);
  if (key == '\r') return false;
  switch (type) {
    case edEditBtn:
    case edUnitEditBtn:
      return true;
    case edNumericEditBtn:
    case edFloatEditBtn: {
      bool beep = false;
      if (NumericKeyAllowed(type, key, edit.Text(), edit.SelStart(), edit.SelLength(), beep)) return true;
      if (beep) MessageBeep(0);
      return false;
    }
    default:
      return false;
  }
}
}  // namespace

TGridEditBtn::TGridEditBtn(TExtStringGrid* AGrid) : TEsgEditBtn(AGrid), TEditorGridLink(AGrid) {
  SetBorderStyle(bsNone);
  SetButtonCaption("...");
  Place(*this, *AGrid);
  OnClickBtn = [this](TObject*) {
    AnsiString s = Text();
    grid_->DoEllipsClick(s);
    SetText(s);
    SelectAll();
    Invalidate();
  };
}

void TGridEditBtn::Dispatch(TMessage& m) {
  if (!GridAlive()) return TEsgEditBtn::Dispatch(m);
  if (!EditBtnChar(m, *this, grid_->EditorType())) return;
  TEsgEditBtn::Dispatch(m);
  WantTabWithGoTabs(m, *grid_);
}

void TGridEditBtn::DoExit() {
  if (GridAlive()) grid_->HideCellEditor();
  TEsgEditBtn::DoExit();
}

void TGridEditBtn::KeyDown(Word& Key, TShiftState Shift) {
  if (!Shift.Contains(ssCtrl) && HandEditorKey(
                                     *grid_, Key, Shift, kEditBtnKeys, [this] { return Text(); },
                                     [this](const AnsiString& s) {
                                       SetText(s);
                                       SetSelStart(static_cast<int>(s.size()));
                                       Invalidate();
                                     }))
    return;
  TEsgEditBtn::KeyDown(Key, Shift);
}

TGridUnitEditBtn::TGridUnitEditBtn(TExtStringGrid* AGrid) : TEsgUnitEditBtn(AGrid), TEditorGridLink(AGrid) {
  SetBorderStyle(bsNone);
  SetButtonCaption("...");
  Place(*this, *AGrid);
}

void TGridUnitEditBtn::Dispatch(TMessage& m) {
  if (!GridAlive()) return TEsgUnitEditBtn::Dispatch(m);
  if (!EditBtnChar(m, *this, edUnitEditBtn)) return;
  TEsgUnitEditBtn::Dispatch(m);
  WantTabWithGoTabs(m, *grid_);
}

void TGridUnitEditBtn::DoExit() {
  if (GridAlive()) grid_->HideCellEditor();
  TEsgUnitEditBtn::DoExit();
}

void TGridUnitEditBtn::KeyDown(Word& Key, TShiftState Shift) {
  if (!Shift.Contains(ssCtrl) && HandEditorKey(
                                     *grid_, Key, Shift, kEditBtnKeys, [this] { return Text() + UnitID(); },
                                     [this](const AnsiString& s) {
                                       SetValueAndUnit(s);
                                       SetSelStart(static_cast<int>(Text().size()));
                                       Invalidate();
                                     }))
    return;
  TEsgUnitEditBtn::KeyDown(Key, Shift);
}

void TGridUnitEditBtn::SetValueAndUnit(const AnsiString& S) {
  // Digits, ",", "-" and "." make the value; everything else, the blank
  // before the unit too, the unit.
  AnsiString value, unit;
  for (char c : S) ((c >= '0' && c <= '9') || c == ',' || c == '-' || c == '.' ? value : unit) += c;
  SetText(value);
  SetUnitID(unit);
}

// ---- UTF-16 ----

TGridUniEdit::TGridUniEdit(TExtStringGrid* AGrid) : TEsgUniEdit(AGrid), TEditorGridLink(AGrid) {
  SetBorderStyle(bsNone);
  Place(*this, *AGrid);
}

void TGridUniEdit::Dispatch(TMessage& m) {
  if (!GridAlive()) return TEsgUniEdit::Dispatch(m);
  if (m.Msg == WM_CHAR && (m.WParam == '\t' || m.WParam == '\r')) return;
  TEsgUniEdit::Dispatch(m);
  WantTabWithGoTabs(m, *grid_);
}

void TGridUniEdit::DoExit() {
  if (GridAlive()) grid_->HideCellEditor();
  TEsgUniEdit::DoExit();
}

void TGridUniEdit::KeyDown(Word& Key, TShiftState Shift) {
  if (HandEditorKey(
          *grid_, Key, Shift, {VK_TAB, VK_RETURN, VK_ESCAPE, VK_UP, VK_DOWN},
          [this] { return CellTextFromWide(Text()); },
          [this](const AnsiString& s) {
            SetText(WideFromCellText(s));
            SetSelStart(static_cast<int>(Text().size()));
          }))
    return;
  TEsgUniEdit::KeyDown(Key, Shift);
}

void TGridUniEdit::KeyPress(char& Key) {
  if (Key == '\r') {
    Key = 0;
    return;
  }
  TEsgUniEdit::KeyPress(Key);
}
