// The grid's keyboard: key-down and character messages, Tab walking, the
// clipboard and row shortcuts, the commit of an edited cell with its
// validation, typing-to-find, and the blinking text of the window timer.

#include <algorithm>
#include <cmath>

#include "grid/ExtGridEditors.h"
#include "grid/ExtInplaceEdit.h"
#include "grid/esgcheck.h"
#include "platform/rtl/SysUtils.h"
#include "platform/ui/Windows.h"

namespace {
bool KeyHeld(int vk) { return GetKeyState(vk) < 0; }
}  // namespace

// ---- key-down ----

bool TExtStringGrid::EditKeyDown(TMessage& m) {
  const Word key = MsgCharCode(m);
  const bool ctrl = KeyHeld(VK_CONTROL), shift = KeyHeld(VK_SHIFT), alt = KeyHeld(VK_MENU);
  const int realCol = RealColIndex(Col());
  const int oldLeft = LeftCol();
  const bool editing = Options().Contains(goEditing) || mouseActions_->RangeSelectAndEdit;
  TNavigation& nav = *navigation_;

  if (key == VK_SPACE && editing && HasCheckBoxOrRadio(realCol, Row())) {
    bool allow = true;
    if (OnCanEditCell) OnCanEditCell(this, Row(), realCol, allow);
    if (allow) {
      if (IsRadio(realCol, Row())) {
        const int index = NextRadioItem(realCol, Row());
        if (index >= 0 && OnRadioClick) OnRadioClick(this, Col(), Row(), index);
      } else if (ToggleCheckBox(realCol, Row(), false)) {
        bool state = false;
        GetCheckBoxState(realCol, Row(), state);
        if (OnCheckBoxClick) OnCheckBoxClick(this, Col(), Row(), state);
      }
      RepaintCellDispl(Col(), Row());
    }
  }
  if ((key == VK_HOME || key == VK_END) && nav.HomeEndKey == heFirstLastRow) {
    if (key == VK_HOME)
      SetRow(FixedRows());
    else
      SetRow(floatingFooter_->Visible() && RowCount() > 2 ? RowCount() - 2 : RowCount() - 1);
    SelectBaseCell();
    return true;
  }
  if (key == VK_TAB && Options().Contains(goTabs)) {
    TabAdvance(shift);
    return true;
  }

  TBaseGrid::Dispatch(m);

  if ((key == VK_PRIOR || key == VK_NEXT || key == VK_UP || key == VK_DOWN) &&
      Options().Contains(goRowSelect) && nav.KeepHorizScroll && LeftCol() != oldLeft) {
    BeginUpdate();
    SetLeftCol(oldLeft);
    EndUpdate();
  }
  if (nav.AllowClipboardShortCuts) {
    auto shortcut = [this](const TClipboardEvent& event, void (TExtStringGrid::*action)()) {
      bool allow = true;
      if (event) event(this, allow);
      if (allow) (this->*action)();
      return true;
    };
    if ((ctrl && key == 'X') || (shift && key == VK_DELETE))
      return shortcut(OnClipboardCut, &TExtStringGrid::CutSelection);
    if ((ctrl && key == 'V') || (shift && key == VK_INSERT))
      return shortcut(OnClipboardPaste, &TExtStringGrid::PasteAtSelection);
    if ((ctrl && (key == 'C' || key == VK_INSERT)))
      return shortcut(OnClipboardCopy, &TExtStringGrid::CopySelection);
  }
  if (key == VK_INSERT && nav.AllowInsertRow && !ctrl && !shift && !alt) {
    bool canInsert = true;
    if (OnCanInsertRow) OnCanInsertRow(this, Row(), canInsert);
    if (canInsert) {
      // A grid that is only its heading has no current row to go after:
      // the row is added at its end.
      if (nav.InsertPosition == pInsertBefore || selectionHidden_) {
        DoInsertRow(std::min(Row(), RowCount()));
      } else {
        DoInsertRow(Row() + 1);
        SetRow(Row() + 1);
      }
      RecalcAllFooters();
    }
    return true;
  }
  if (ctrl && key == 'A') {
    if (Options().Contains(goRowSelect) && Options().Contains(goRangeSelect))
      SetSelection(
          {FixedCols(), FixedRows(), ColCount() - fixedRightCols_ - 1, RowCount() - fixedFooters_ - 1});
    return true;
  }
  const bool moving = key == VK_PRIOR || key == VK_NEXT || key == VK_END || key == VK_HOME ||
                      key == VK_LEFT || key == VK_RIGHT || key == VK_UP || key == VK_DOWN;
  if (moving) {
    // Rows and columns keep their marks each by the same rule, together
    // when both are on: a plain move marks only the current one, Ctrl adds
    // it, Shift marks exactly those of the selected range.
    const TGridRect s = Selection();
    using Mark = void (TExtStringGrid::*)(int, bool);
    auto follow = [&](Mark mark, void (TExtStringGrid::*clear)(), int current, int count, int first,
                      int last) {
      if (!shift && !ctrl) (this->*clear)();
      if (!shift)
        (this->*mark)(current, true);
      else
        for (int i = 0; i < count; ++i) (this->*mark)(i, i >= first && i <= last);
    };
    if (mouseActions_->DisjunctRowSelect())
      follow(&TExtStringGrid::SetRowSelect, &TExtStringGrid::ClearRowSelect, Row(), RowCount(), s.Top,
             s.Bottom);
    if (mouseActions_->DisjunctColSelect())
      follow(&TExtStringGrid::SetColSelect, &TExtStringGrid::ClearColSelect, Col(), ColCount(), s.Left,
             s.Right);
  }
  if (key == VK_SPACE) {
    if (mouseActions_->DisjunctRowSelect()) SetRowSelect(Row(), !RowSelect(Row()));
    if (mouseActions_->DisjunctColSelect()) SetColSelect(Col(), !ColSelect(Col()));
  }
  // Shift+Delete is the cut only while the clipboard shortcuts are on.
  if (key == VK_DELETE && nav.AllowDeleteRow && !alt && RowCount() - fixedFooters_ - FixedRows() >= 1) {
    bool canDelete = true;
    if (OnCanDeleteRow) OnCanDeleteRow(this, Row(), canDelete);
    if (canDelete) {
      DoDeleteRow(Row());
      RecalcAllFooters();
    }
    return true;
  }
  return true;
}

void TExtStringGrid::TabAdvance(bool Backwards) {
  const TPoint span = CellSpan(RealColIndex(Col()), Row());
  const int spanX = std::max(0, span.X), spanY = std::max(0, span.Y);
  const int firstCol = FixedCols(), firstRow = FixedRows();
  const int lastCol = ColCount() - fixedRightCols_ - 1, lastRow = RowCount() - fixedFooters_ - 1;
  if (lastCol < firstCol || lastRow < firstRow) return;
  int c = Col(), r = Row();
  bool leave = false;
  const bool topBottom = navigation_->TabAdvanceDirection == adTopBottom;
  if (!Backwards) {
    if (topBottom) {
      if (r + spanY + 1 > lastRow) {
        r = firstRow;
        if (c >= lastCol) {
          c = firstCol;
          leave = true;
        } else {
          ++c;
        }
      } else {
        r += spanY + 1;
      }
    } else {
      if (c + spanX + 1 > lastCol) {
        c = firstCol;
        if (r >= lastRow) {
          r = firstRow;
          leave = true;
        } else {
          ++r;
        }
      } else {
        c += spanX + 1;
      }
    }
  } else if (topBottom) {
    if (r <= firstRow) {
      r = lastRow;
      c = c <= firstCol ? lastCol : c - 1;
    } else {
      --r;
    }
  } else {
    if (c <= firstCol) {
      c = lastCol;
      r = r <= firstRow ? lastRow : r - 1;
    } else {
      --c;
    }
  }
  FocusCell(c, r, true);
  if (leave && navigation_->TabToNextAtEnd && Parent() && Parent()->HandleAllocated())
    PostMessage(Parent()->Handle(), WM_KEYDOWN, VK_TAB, 0);
}

// ---- characters ----

bool TExtStringGrid::EditChar(TMessage& m) {
  char key = static_cast<char>(m.WParam & 0xFF);
  const int realCol = RealColIndex(Col());
  const bool checkCell = HasCheckBoxOrRadio(realCol, Row());
  // The plain grid opens the text editor with the character; a special
  // editor had it posted when it showed.
  auto startEditing = [&] {
    if (static_cast<unsigned char>(key) < ' ' && key != '\b') return false;
    editStartKey_ = key;
    TBaseGrid::Dispatch(m);
    editStartKey_ = 0;
    return true;
  };
  // The keypad's point is the locale's separator however the editor opens,
  // as it is in an open one.
  if (ExcelStyleDecimalSeparator && key == '.' && (m.LParam & (LPARAM{1} << 22)) != 0) {
    key = DecimalSeparator;
    m.WParam = static_cast<unsigned char>(key);
  }
  if (mouseActions_->RangeSelectAndEdit && !checkCell && CanEditCell(realCol, Row())) {
    SetOptions(Options() + TGridOptions{goEditing});
    // Typing into a selected range acts as a press on the current cell
    // would, with editing on or off: its editor opens for the character and
    // the range stays selected.
    const TRect cell = CellRect(Col(), Row());
    TMessage press{WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(cell.Left + 2, cell.Top + 2), 0};
    // A key never opens a link or works a cell's button.
    mouse_.TypedPress = true;
    try {
      WMLButtonDown(press);
    } catch (...) {
      mouse_.TypedPress = mouse_.MouseDown = false;
      throw;
    }
    // No button is really down: nothing waits for its release.
    mouse_.TypedPress = mouse_.MouseDown = false;
    if (MouseCapture()) SetMouseCapture(false);
    return startEditing();
  }
  if (checkCell && key != '\r') return true;
  if (!Options().Contains(goEditing)) return false;
  return startEditing();
}

void TExtStringGrid::KeyPress(char& Key) {
  if (Key == '\x1b' && Options().Contains(goEditing) && editorActive_) RestoreEditCell();
  const bool editorFocused = InplaceEditor() && InplaceEditor()->Focused();
  if (Key == '\r' && (editorFocused || HasCheckBoxOrRadio(RealColIndex(Col()), Row()))) {
    const int leftCol = Col();
    AdvanceCell(Col(), Row(), true, editorFocused, false);
    if (HasCheckBoxOrRadio(RealColIndex(leftCol), Row())) {
      Key = 0;
      return;
    }
  }
  if (!Options().Contains(goEditing) && navigation_->AutoGotoWhenSorted) {
    bool search = false;
    if (static_cast<unsigned char>(Key) >= ' ') {
      if (navigation_->AutoGotoIncremental)
        lookupText_ += Key;
      else
        lookupText_ = AnsiString(1, Key);
      search = true;
    } else if (Key == '\b' && !lookupText_.empty()) {
      // The shorter text finds its first row again; nothing typed is left
      // to look for once the last character goes.
      lookupText_.pop_back();
      search = !lookupText_.empty();
    }
    if (search) {
      const int row = FindRowByPrefix(AnsiUpperCase(lookupText_));
      if (row >= 0) SetRow(row);
    }
  }
  TBaseGrid::KeyPress(Key);
}

void TExtStringGrid::KeyUp(Word& Key, TShiftState Shift) {
  const Word key = Key;
  switch (key) {
    case VK_PRIOR:
    case VK_NEXT:
    case VK_END:
    case VK_LEFT:
    case VK_RIGHT:
    case VK_UP:
    case VK_DOWN:
    case VK_INSERT:
    case VK_DELETE:
      lookupText_.clear();
      break;
    default:
      break;
  }
  TBaseGrid::KeyUp(Key, Shift);
  const bool arrow = key == VK_LEFT || key == VK_RIGHT || key == VK_UP || key == VK_DOWN;
  if (navigation_->AlwaysEdit && (arrow || (key == VK_TAB && Options().Contains(goTabs))))
    ShowInplaceEditor();
}

void TExtStringGrid::ShowInplaceEditor() {
  if (HasCheckBoxOrRadio(RealColIndex(Col()), Row())) return;
  ShowEditor();
}

int TExtStringGrid::FindRowByPrefix(const AnsiString& Text) {
  if (RowCount() < 2) return -1;
  const int column = sortSettings_->Show ? sortSettings_->Column : 1;
  for (int r = FixedRows(); r < RowCount(); ++r) {
    const AnsiString cell = GetCellText(column, r);
    if (cell.size() < Text.size()) continue;
    if (AnsiUpperCase(cell.substr(0, Text.size())) == Text) return r;
  }
  return -1;
}

// ---- commit ----

void TExtStringGrid::SaveCellForEdit(int ACol, int ARow) {
  editCol_ = ACol;
  editRow_ = ARow;
  oldCellText_ = GetCellText(RealColIndex(ACol), ARow);
  editPending_ = true;
}

bool TExtStringGrid::CommitCellEdit(const AnsiString& NewText) {
  if (!editPending_ || validating_) return true;
  editPending_ = false;
  validating_ = true;
  bool valid = true;
  try {
    const int realCol = RealColIndex(editCol_);
    if (NewText != oldCellText_) {
      RecalcFooter(realCol);
      AnsiString value = NewText;
      if (cellChecker_ && cellChecker_->AutoCorrect)
        value = cellChecker_->CheckCorrect(realCol, editRow_, value);
      if (OnCellValidate) OnCellValidate(this, realCol, editRow_, value, valid);
      if (cellChecker_ && cellChecker_->AutoMarkError)
        value = cellChecker_->CheckMarkError(realCol, editRow_, value);
      // Reported once the cell holds what it keeps, so that the footers and
      // the handler count the checker's or the handler's value.
      if (valid) {
        SetCellText(realCol, editRow_, value);
        CellsChanged(Rect(realCol, editRow_, realCol, editRow_));
      } else {
        // Rejected: editor mode ends first, so that the editor stores the
        // refused text as it closes and what is written next is what stays;
        // then the old text, or the handler's own, and the editor open on
        // the cell again.
        if (EditorMode()) HideEditor();
        SetCellText(realCol, editRow_, value != NewText ? value : oldCellText_);
        CellsChanged(Rect(realCol, editRow_, realCol, editRow_));
        if (Col() != editCol_ || Row() != editRow_) FocusCell(editCol_, editRow_, true);
        if (!HasCheckBoxOrRadio(realCol, editRow_) && Options().Contains(goEditing)) {
          ShowEditor();
          if (InplaceEditor() && InplaceEditor()->Visible()) {
            InplaceEditor()->UpdateContents();
            InplaceEditor()->Deselect();
          }
        }
        RepaintCellDispl(editCol_, editRow_);
      }
      oldCellText_ = GetCellText(realCol, editRow_);
    }
    SaveCellForEdit(Col(), Row());
  } catch (...) {
    validating_ = false;
    throw;
  }
  validating_ = false;
  return valid;
}

bool TExtStringGrid::LeaveEditedCell(int ACol, int ARow) {
  if (ACol == Col() && ARow == Row()) return true;
  // A special editor still open ends first, storing its value.
  if (editorActive_ && !IsTextEditorType(editorType_)) HideCellEditor();
  editorActive_ = false;
  editorType_ = edNormal;
  if (!editPending_ || validating_ || editCol_ < 0 || editRow_ >= RowCount() || editCol_ >= ColCount())
    return true;
  return CommitCellEdit(GetCellText(RealColIndex(editCol_), editRow_));
}

void TExtStringGrid::SwitchEditingFor(int ACol, int ARow) {
  if (ACol < 0 || ARow < 0 || ACol >= ColCount() || ARow >= RowCount()) return;
  const int realCol = RealColIndex(ACol);
  if (HasCheckBoxOrRadio(realCol, ARow)) return;
  const bool editing = Options().Contains(goEditing);
  if (!editing && !editSwitch_) return;
  if (CanEditCell(realCol, ARow)) {
    editSwitch_ = false;
    if (!editing) {
      SaveCellForEdit(ACol, ARow);
      suppressInvalidate_ = true;
      SetOptions(Options() + TGridOptions{goEditing});
    }
  } else if (editing) {
    editSwitch_ = true;
    SetOptions(Options() - TGridOptions{goEditing});
  }
}

void TExtStringGrid::FocusReceived(HWND From) {
  if (HasCheckBoxOrRadio(RealColIndex(Col()), Row())) return;
  // An editor control that stayed open while the focus was away (an
  // application's editor that keeps editing when left) is closed now that
  // the grid has it, its value stored; not while the date picker's calendar
  // is down, whose coming and going moves the focus under the edit, nor
  // the rich-text editor while the focus lock holds it open. The text
  // editor's kind stays chosen: it ends with its own storing.
  if (editorActive_ && !IsTextEditorType(editorType_) && !(datePicker_ && datePicker_->Dropped()) &&
      !(FocusLock && editorType_ == edRichEdit))
    HideCellEditor();
  const bool fromEditor =
      InplaceEditor() && InplaceEditor()->HandleAllocated() && From == InplaceEditor()->Handle();
  if (!fromEditor && navigation_->AlwaysEdit && GridState() == gsNormal && !handingKey_ &&
      Options().Contains(goEditing) && CellEditable(RealColIndex(Col()), Row()))
    ShowEditor();
  // A grid that is only its heading has no cell to show as current: the
  // focus would otherwise be drawn on the heading.
  if ((RowCount() == 1 && FixedRowAlways) || (ColCount() == 1 && FixedColAlways)) HideSelection();
}

void TExtStringGrid::ColumnMoved(int FromIndex, int ToIndex) {
  // The cells move by real column: hidden columns between the two keep
  // their data and their hidden state, shifting by one with the rest.
  const int realFrom = RealColIndex(FromIndex), realTo = RealColIndex(ToIndex);
  auto follow = [realFrom, realTo](int c) {
    if (c == realFrom) return realTo;
    if (realFrom < realTo && c > realFrom && c <= realTo) return c - 1;
    if (realFrom > realTo && c >= realTo && c < realFrom) return c + 1;
    return c;
  };
  if (columnOrder_.size() < static_cast<size_t>(StoreCols()))
    for (int c = static_cast<int>(columnOrder_.size()); c < StoreCols(); ++c) columnOrder_.push_back(c);
  auto rotate = [realFrom, realTo](auto& items) {
    const auto first = items.begin();
    if (static_cast<size_t>(std::max(realFrom, realTo)) >= items.size()) return;
    if (realFrom < realTo)
      std::rotate(first + realFrom, first + realFrom + 1, first + realTo + 1);
    else
      std::rotate(first + realTo, first + realFrom, first + realFrom + 1);
  };
  rotate(columnOrder_);
  if (hiddenColCount_ > 0) {
    rotate(colVisible_);
    for (auto& [col, width] : hiddenColWidths_) col = follow(col);
  }
  TBaseGrid::ColumnMoved(realFrom, realTo);
  for (int r = 0; r < StoreRowCount(); ++r)
    for (int c = std::min(realFrom, realTo); c <= std::max(realFrom, realTo) && c < StoreColCount(r); ++c)
      if (TCellProperties* props = FindCellProperties(c, r)) props->OwnerCol = c;
  if (EnhRowColMove) mouse_.MovedOrSized = true;
  sortSettings_->Column = follow(sortSettings_->Column);
  sortIndexes_.Remap(follow);
}

void TExtStringGrid::DoEnter() {
  TBaseGrid::DoEnter();
  // The cell is taken again as the current one, its handler asked again.
  SelectCell(Col(), Row());
  SaveCellForEdit(Col(), Row());
}

// ---- the window timer ----

void TExtStringGrid::TimerTick() {
  ++timerTicks_;
  if (Hovering && !ComponentState().Contains(csDesigning)) HoverTick();
  if (EnableBlink) BlinkTick();
}

void TExtStringGrid::HoverTick() {
  if (MouseControl() != this) return;
  TPoint p;
  GetCursorPos(&p);
  if (!PtInRect(ClientRect(), ScreenToClient(p))) return;
  int c = -1, r = -1;
  MouseToCellScreen(p, c, r);
  // The footers and the right fixed columns are fixed cells as well.
  if (c < FixedCols() || r < FixedRows() || c >= ColCount() - fixedRightCols_ ||
      r >= RowCount() - fixedFooters_)
    return;
  if (CanFocus() && !Focused()) SetFocus();
  if (c != Col() || r != Row()) FocusCell(c, r, true);
}

void TExtStringGrid::ScaleColumnsWithWidth() {
  const int width = ClientWidth();
  // A window shrunk to nothing would leave every column at 0 for good.
  if (width <= 0) return;
  if (columnSize_->SynchWithGrid && lastWidth_ > 0 && width != lastWidth_) {
    HideCellEditor();
    for (int c = 0; c < ColCount(); ++c)
      SetColWidths(c, static_cast<int>(std::lround(static_cast<double>(ColWidths(c)) * width / lastWidth_)));
  }
  lastWidth_ = width;
}

void TExtStringGrid::BlinkTick() {
  // Blinking text shows while the phase is off, so it starts shown.
  blinkPhase_ = !blinkPhase_;
  auto blinks = [this](int c, int r) {
    if (c >= ColCount() || r >= RowCount()) return;
    const AnsiString text = AnsiUpperCase(GetCellText(RealColIndex(c), r));
    if (text.find("<BLI") != AnsiString::npos) RepaintCellDispl(c, r);
  };
  const int lastRow = TopRow() + VisibleRowCount(), lastCol = LeftCol() + VisibleColCount();
  for (int r = TopRow(); r <= lastRow; ++r)
    for (int c = LeftCol(); c <= lastCol; ++c) blinks(c, r);
  for (int r = 0; r < FixedRows(); ++r)
    for (int c = LeftCol(); c <= lastCol; ++c) blinks(c, r);
  for (int c = 0; c < FixedCols(); ++c)
    for (int r = TopRow(); r <= lastRow; ++r) blinks(c, r);
}
