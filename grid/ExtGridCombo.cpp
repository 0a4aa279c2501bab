// The grid's combo editor: keys handed back to the grid, commit before
// leaving, the wheel stepping the item, and completion from the items.

#include "grid/ExtGridEditors.h"
#include "platform/rtl/SysUtils.h"
#include "platform/ui/Windows.h"

TGridCombo::TGridCombo(TExtStringGrid* AGrid) : TESGComboBox(AGrid), TEditorGridLink(AGrid) {
  SetVisible(false);
  SetEnabled(false);
  SetTabStop(false);
  SetButtonWidth(16);
  SetParent(AGrid);
}

AnsiString TGridCombo::CellValue() const { return UniMode() ? CellTextFromWide(WideText()) : Text(); }

void TGridCombo::ShowCellValue(const AnsiString& Stored) {
  if (UniMode()) {
    SetItemIndex(WideItems().IndexOf(WideFromCellText(Stored)));
    if (Style() != csDropDownList) SetWideText(WideFromCellText(Stored));
    return;
  }
  SetItemIndex(Items()->IndexOf(Stored));
  if (Style() != csDropDownList) SetText(Stored);
}

void TGridCombo::FireChange() {
  const int index = ItemIndex();
  const int realCol = grid_->RealColIndex(grid_->Col());
  const AnsiString selection = index >= 0 ? (*Items())[index] : AnsiString();
  if (grid_->OnComboChange) grid_->OnComboChange(grid_, realCol, grid_->Row(), index, selection);
  if (grid_->OnComboObjectChange)
    grid_->OnComboObjectChange(grid_, realCol, grid_->Row(), index, selection,
                               index >= 0 ? static_cast<TObject*>(Items()->Objects(index)) : nullptr);
}

void TGridCombo::WheelStep(bool Down) {
  const int index = ItemIndex();
  if (Down) {
    if (index + 1 >= Items()->Count()) return;
    SetItemIndex(index + 1);
  } else {
    if (index <= 0) return;
    SetItemIndex(index - 1);
  }
  FireChange();
}

bool TGridCombo::DoMouseWheelDown(TShiftState, TPoint) {
  WheelStep(true);
  return true;
}

bool TGridCombo::DoMouseWheelUp(TShiftState, TPoint) {
  WheelStep(false);
  return true;
}

void TGridCombo::DoExit() {
  if (!GridAlive()) return TESGComboBox::DoExit();
  if (grid_->LookupHistory && !Text().empty() && Items()->IndexOf(Text()) < 0) {
    if (UniMode())
      WideItems().Add(WideText());
    else
      Items()->Add(Text());
  }
  grid_->HideCellEditor();
  TESGComboBox::DoExit();
}

void TGridCombo::Dispatch(TMessage& m) {
  if (!GridAlive()) return TESGComboBox::Dispatch(m);
  if (m.Msg == WM_GETDLGCODE) {
    TESGComboBox::Dispatch(m);
    if (grid_->Options().Contains(goTabs)) m.Result |= DLGC_WANTTAB;
    return;
  }
  TESGComboBox::Dispatch(m);
  if (m.Msg == WM_SETFOCUS) PlacePendingCaret();
}

void TGridCombo::PlacePendingCaret() {
  TCustomEdit* edit = EditControl();
  if (!grid_->CaretPending() || !edit || Style() != csDropDown || !edit->Visible()) return;
  const TPoint p = edit->ScreenToClient(grid_->ClientToScreen(grid_->CaretPoint()));
  if (!PtInRect(edit->ClientRect(), p)) return;
  const int at = edit->CharFromPos(p);
  if (at < 0) return;
  edit->SetSelStart(at);
  edit->SetSelLength(0);
  grid_->SetCaretPending(false);
}

void TGridCombo::KeyDown(Word& Key, TShiftState Shift) {
  const bool listLike = Style() == csDropDownList || DroppedDown();
  bool handed = false;
  switch (Key) {
    case VK_TAB:
    case VK_RETURN:
    case VK_ESCAPE:
      handed = true;
      break;
    case VK_LEFT:
    case VK_RIGHT:
      handed = listLike;
      break;
    case VK_PRIOR:
    case VK_NEXT:
    case VK_END:
    case VK_UP:
    case VK_DOWN:
      handed = !listLike && !Shift.Contains(ssAlt);
      break;
    default:
      break;
  }
  if (!handed) {
    TESGComboBox::KeyDown(Key, Shift);
    return;
  }
  const Word key = Key;
  Key = 0;
  if (key == VK_ESCAPE) {
    SetDroppedDown(false);
    ShowCellValue(grid_->GetCurrentCellText());
    grid_->EditorKeyToGrid(VK_ESCAPE, Shift);
    return;
  }
  if (key == VK_RETURN && DroppedDown()) {
    // The highlighted line is the choice.
    Word choose = VK_RETURN;
    TESGComboBox::KeyDown(choose, {});
  }
  if (key == VK_TAB || key == VK_RETURN || key == VK_UP || key == VK_DOWN) {
    grid_->SetCellTextEdit(grid_->RealColIndex(grid_->Col()), grid_->Row(), CellValue());
    if (!grid_->CommitCellEdit(CellValue())) {
      ShowCellValue(grid_->GetCurrentCellText());
      Invalidate();
      return;
    }
  }
  if (key == VK_TAB && grid_->Options().Contains(goTabs)) {
    grid_->HideCellEditor();
    if (grid_->CanFocus()) grid_->SetFocus();
    grid_->TabAdvance(Shift.Contains(ssShift));
    return;
  }
  if (listLike) {
    if (key == VK_LEFT || key == VK_RIGHT) {
      grid_->HideCellEditor();
      Word arrow = key;
      grid_->KeyDown(arrow, Shift);
    }
    const bool asNoKey = key == VK_PRIOR || key == VK_NEXT || key == VK_LEFT || key == VK_RIGHT ||
                         key == VK_UP || key == VK_DOWN;
    grid_->EditorKeyToGrid(asNoKey ? 0 : key, Shift);
    return;
  }
  grid_->EditorKeyToGrid(key, Shift);
}

void TGridCombo::KeyPress(char& Key) {
  if (Key == '\t' || Key == '\r') Key = 0;
  TESGComboBox::KeyPress(Key);
}

void TGridCombo::KeyUp(Word& Key, TShiftState Shift) {
  completion_ = Key != VK_BACK && Key != VK_DELETE;
  TESGComboBox::KeyUp(Key, Shift);
  if (Key != VK_RETURN) Complete();
}

void TGridCombo::Complete() {
  TCustomEdit* edit = EditControl();
  if (!completion_ || !grid_->Lookup || !edit || Style() != csDropDown) return;
  const AnsiString typed = edit->Text().substr(0, static_cast<size_t>(edit->SelStart()));
  if (typed.empty()) return;
  const bool exact = grid_->LookupCaseSensitive;
  const AnsiString prefix = exact ? typed : AnsiUpperCase(typed);
  for (int i = 0; i < Items()->Count(); ++i) {
    const AnsiString item = (*Items())[i];
    const AnsiString compared = exact ? item : AnsiUpperCase(item);
    if (compared.compare(0, prefix.size(), prefix) != 0) continue;
    AnsiString completed = typed + item.substr(typed.size());
    if (completed.size() > 255) completed.resize(255);
    SetItemIndex(i);
    SetText(completed);
    edit->SetSelStart(static_cast<int>(typed.size()));
    edit->SetSelLength(static_cast<int>(completed.size() - typed.size()));
    completedIndex_ = i;
    completed_ = true;
    return;
  }
}

TGridUniCombo::TGridUniCombo(TExtStringGrid* AGrid) : TGridCombo(AGrid) { SetUniMode(); }
