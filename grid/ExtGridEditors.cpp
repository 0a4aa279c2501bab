// Editor dispatch: which editor a cell gets, showing it over the cell and
// storing its value back when the edit ends.

#include "grid/ExtGridEditors.h"

#include <type_traits>
#include <vector>

#include "grid/EsgHTMLE.h"
#include "grid/EsgUni.h"
#include "grid/ExtGridFooter.h"
#include "grid/ExtInplaceEdit.h"
#include "grid/GridUtil.h"
#include "platform/ui/Application.h"

bool TExtStringGrid::IsTextEditorType(TEditorType t) const {
  return t == edNormal || (t >= edNumeric && t <= edPassword) || t == edLowerCase || t == edUpperCase;
}

WideString TExtStringGrid::GetUnicodeCell(int ACol, int ARow) {
  return WideFromCellText(GetCellText(ACol, ARow));
}

void TExtStringGrid::SetUnicodeCell(int ACol, int ARow, const WideString& Value) {
  SetCellText(ACol, ARow, CellTextFromWide(Value));
}

TInplaceEdit* TExtStringGrid::CreateEditor() { return new TExtInplaceEdit(this); }

TExtInplaceEdit* TExtStringGrid::ExtInplaceEditor() const {
  return static_cast<TExtInplaceEdit*>(InplaceEditor());
}

AnsiString TExtStringGrid::GetEditText(int ACol, int ARow) {
  AnsiString value = GetCellText(RealColIndex(ACol), ARow);
  // The editor shows what the cell reads, unless its tags are to be edited.
  if (!EditWithTags && ClassifyCellText(value, EnableHTML) == ctkHTML) value = StripHTML(value);
  if (OnGetEditText) OnGetEditText(this, ACol, ARow, value);
  return value;
}

void TExtStringGrid::SetEditText(int ACol, int ARow, const AnsiString& Value) {
  SetCellText(RealColIndex(ACol), ARow, Value);
  TDrawGrid::SetEditText(ACol, ARow, Value);
}

void TExtStringGrid::SetCellTextEdit(int ACol, int ARow, const AnsiString& Value) {
  SetEditText(DisplColIndex(ACol), ARow, Value);
}

void TExtStringGrid::RestoreEditCell() {
  SetCellText(RealColIndex(Col()), Row(), restoreText_);
  RepaintCellDispl(Col(), Row());
}

bool TExtStringGrid::CanEditShow() {
  if (!TBaseGrid::CanEditShow()) return false;
  if (ComponentState().Contains(csDesigning)) return true;
  const TPoint base = BaseCell(RealColIndex(Col()), Row());
  if (HasCheckBoxOrRadio(base.X, base.Y)) return false;
  if (!editorActive_) {
    restoreText_ = GetCellText(base.X, base.Y);
    SaveCellForEdit(Col(), Row());
    editorType_ = edNormal;
    editorType_ = GetCellEditor(base.X, base.Y);
    editorActive_ = true;
    if (!IsTextEditorType(editorType_)) {
      ShowCellEditor(DisplColIndex(base.X), base.Y);
      return false;
    }
  }
  return IsTextEditorType(editorType_);
}

void TExtStringGrid::ShowCellEditor(int ACol, int ARow) {
  const int realCol = RealColIndex(ACol);
  // Another cell's text editor goes first.
  if (InplaceEditor() && InplaceEditor()->Visible()) InplaceEditor()->HideEdit();
  const TRect r = MergedCellRect(ACol, ARow);
  const int w = r.Width() - 1, h = r.Height() - 1;
  TBrush brush;
  brush.Color = Color();
  TFont font;
  font.Assign(Font());
  GetCellColors(realCol, ARow, TGridDrawState{gdFocused}, false, false, false, brush, font);
  const AnsiString editText = GetEditText(ACol, ARow);
  const char startKey = editStartKey_;
  editStartKey_ = 0;
  auto postStart = [startKey](TWinControl* target) {
    if (startKey != 0 && target && target->HandleAllocated())
      PostMessage(target->Handle(), WM_CHAR, static_cast<unsigned char>(startKey), 0);
  };
  switch (editorType_) {
    case edComboEdit:
    case edComboList:
    case edUniComboEdit:
    case edUniComboList: {
      const bool wide = editorType_ == edUniComboEdit || editorType_ == edUniComboList;
      const bool list = editorType_ == edComboList || editorType_ == edUniComboList;
      TGridCombo& c = wide ? *UniCombo() : *Combo();
      c.SetDroppedDown(false);
      c.SetStyle(list ? csDropDownList : csDropDown);
      if (wide) c.SetUniMode();
      c.SetBounds(r.Left, r.Top, w, h);
      const AnsiString cellText = wide ? GetCellText(realCol, ARow) : editText;
      if (list) {
        // A cell that matches no item opens on the first; an empty list
        // with none.
        c.ShowCellValue(cellText);
        if (c.ItemIndex() < 0 && c.Items()->Count() > 0) c.SetItemIndex(0);
      } else {
        c.ShowCellValue(cellText);
      }
      openedText_ = c.CellValue();
      c.SetEnabled(true);
      c.SetColor(brush.Color);
      c.SetFont(font);
      c.SetVisible(true);
      const bool soft = Look() == glSoft || Look() == glQir;
      c.SetFlat(soft);
      c.SetEtched(soft);
      if (Navigation().AutoComboDropSize) {
        int width = c.Width();
        const bool scrolled = c.Items()->Count() > c.DropDownCount;
        Canvas().Font->Assign(Font());
        for (int i = 0; i < c.Items()->Count(); ++i) {
          const int tw = Canvas().TextWidth((*c.Items())[i]);
          if (scrolled && tw > width - 25)
            width = tw + 25;
          else if (!scrolled && tw > width - 5)
            width = tw + 8;
        }
        c.DropDownWidth = width;
      } else {
        c.DropDownWidth = 0;
      }
      if (CanFocus()) c.SetFocus();
      c.SetDroppedDown(MouseActions().DirectComboDrop);
      if (!wide)
        postStart(c.EditControl() && c.Style() == csDropDown ? static_cast<TWinControl*>(c.EditControl())
                                                             : &c);
      break;
    }
    case edCustom: {
      if (!EditLink) break;
      TEditLink& link = *EditLink;
      link.Grid = this;
      link.EditCol = realCol;
      link.EditRow = ARow;
      if (link.EditStyle == TEditLink::esPopup) {
        if (link.WantCellWidth) link.PopupWidth = r.Width();
        // A borderless form of the application's over the cell; leaving it
        // ends the edit.
        TForm* popup = NewForm<TForm>(Application);
        popup->BorderStyle = bsNone;
        const TPoint at = ClientToScreen(Point(r.Left, r.Top));
        popup->SetBounds(at.X, at.Y, link.PopupWidth, link.PopupHeight);
        popup->OnDeactivate = [this, &link, popup](TObject*) {
          // A popup already let go of deactivates once more as it hides.
          if (link.PopupForm != popup) return;
          if (InplaceEditor()) InplaceEditor()->SetText(link.GetEditorValue());
          if (link.PassValueOnDeactivate)
            HideCellEditor();
          else if (link.PopupForm)
            link.PopupForm->Hide();
        };
        link.PopupForm = popup;
        popup->Show();
        link.CreateEditor(popup);
        link.SetRect(Rect(0, 0, link.PopupWidth, link.PopupHeight));
      } else {
        link.CreateEditor(this);
        link.SetRect(r);
      }
      // Leaving the control stores the value (and ends the edit, unless
      // the link keeps editing); an edit the grid ended first is left alone.
      if (TWinControl* control = link.GetEditControl())
        control->OnExit = [this](TObject* Sender) {
          if (editorActive_ && editorType_ == edCustom && EditLink && EditLink->GetEditControl() == Sender)
            EditLink->EditLinkExit(Sender);
        };
      link.SetVisible(true);
      link.SetCellProps(brush.Color, font);
      link.SetProperties();
      if (OnGetEditorProp) OnGetEditorProp(this, realCol, ARow, &link);
      link.SetEditorValue(editText);
      link.SetFocus(true);
      postStart(link.GetEditControl());
      break;
    }
    case edSpinEdit:
    case edFloatSpinEdit:
    case edTimeSpinEdit:
    case edDateSpinEdit: {
      TGridSpin& sp = *Spin();
      sp.SetBounds(r.Left, r.Top, w, h);
      sp.SetVisible(true);
      sp.SetEnabled(true);
      sp.SetColor(brush.Color);
      // Text that is no value opens as the minimum (now for a date).
      if (editorType_ == edSpinEdit) {
        sp.SetSpinType(sptNormal);
        sp.SetText(editText);
        sp.SetValue(sp.Value());
      } else if (editorType_ == edFloatSpinEdit) {
        sp.SetSpinType(sptFloat);
        sp.SetText(NormalizeNumberText(editText));
        sp.SetFloatValue(sp.FloatValue());
      } else if (editorType_ == edTimeSpinEdit) {
        sp.SetText(editText);
        sp.SetSpinType(sptTime);
      } else {
        // Text that is no date opens on now.
        TDateTime date = 0;
        sp.SetDateValue(TryStrToDate(editText, date) ? date : Now());
        sp.SetSpinType(sptDate);
      }
      openedText_ = sp.Text();
      if (CanFocus()) sp.SetFocus();
      postStart(&sp);
      break;
    }
    case edDateEdit:
    case edDateEditUpDown:
    case edTimeEdit: {
      if (!DatePicker()) break;
      TGridDatePicker& dp = *datePicker_;
      TDateTime value = 0;
      if (editorType_ == edTimeEdit) {
        dp.SetKind(dtkTime);
        dp.SetTime(TryStrToTime(editText, value) ? value : Now());
        dp.SetBounds(r.Left, r.Top, w, h);
      } else {
        dp.SetKind(dtkDate);
        // Each opening takes the mode its type asks for.
        dp.SetDateMode(editorType_ == edDateEditUpDown ? dmUpDown : dmComboBox);
        dp.SetDate(TryStrToDate(editText, value) ? value : Now());
        dp.SetBounds(r.Left, r.Top, w, dp.Height());
      }
      openedText_ = DatePickerValue();
      dp.SetEnabled(true);
      dp.SetVisible(true);
      dp.SetColor(brush.Color);
      if (CanFocus()) dp.SetFocus();
      break;
    }
    case edCheckBox: {
      TGridCheckBox& cb = *CheckBoxEditor();
      cb.SetBounds(r.Left, r.Top, w, h);
      cb.SetCaption(editText);
      cb.SetEnabled(true);
      cb.SetChecked(false);
      cb.SetVisible(true);
      if (CanFocus()) cb.SetFocus();
      break;
    }
    case edEditBtn:
    case edNumericEditBtn:
    case edFloatEditBtn: {
      TGridEditBtn& e = *EditBtn();
      e.SetBounds(r.Left, r.Top, w, h);
      e.SetText(editText);
      e.SetMaxLength(GetEditLimit());
      e.SetVisible(true);
      e.SetEnabled(true);
      e.SetColor(brush.Color);
      openedText_ = e.Text();
      if (CanFocus()) e.SetFocus();
      postStart(&e);
      break;
    }
    case edUnitEditBtn: {
      TGridUnitEditBtn& e = *UnitEditBtn();
      e.SetBounds(r.Left, r.Top, w, h);
      e.SetMaxLength(GetEditLimit());
      e.SetValueAndUnit(editText);
      e.SetVisible(true);
      e.SetEnabled(true);
      e.SetColor(brush.Color);
      openedText_ = e.Text() + e.UnitID();
      if (CanFocus()) e.SetFocus();
      postStart(&e);
      break;
    }
    case edUniEdit: {
      TGridUniEdit& e = *UniEdit();
      constexpr int margin = 2;
      e.SetBounds(r.Left + 2 + margin, r.Top + 2 + margin, w - 2 - 2 * margin, h - 2 - 2 * margin);
      e.SetVisible(true);
      e.SetEnabled(true);
      e.SetColor(brush.Color);
      e.SetFont(Font());
      e.Font().Charset = 255;
      e.SetText(GetUnicodeCell(realCol, ARow));
      openedText_ = CellTextFromWide(e.Text());
      if (CanFocus()) e.SetFocus();
      postStart(&e);
      break;
    }
    case edRichEdit: {
      TExtRichEdit& e = *RichInplaceEditor();
      // Loading the cell is no typing: the row keeps its height.
      e.BeginNoResize();
      // Drawn as part of the cell: no edge of its own, the cell's colour.
      e.SetBorderStyle(bsNone);
      e.SetBounds(r.Left, r.Top, w, h);
      CellToRichEdit(realCol, ARow, e);
      // The whole text selected, and kept so while the focus is elsewhere:
      // typing replaces it, as a typed character does in the text editor.
      e.HideSelection = false;
      e.SelectAll();
      e.EndNoResize();
      e.SetVisible(true);
      e.SetEnabled(true);
      TRect format = Rect(2, 2, r.Width() - 2, r.Height() - 2);
      e.Perform(EM_SETRECT, 0, reinterpret_cast<LPARAM>(&format));
      e.SetColor(brush.Color);
      openedText_ = GetCellText(realCol, ARow);
      if (CanFocus()) e.SetFocus();
      postStart(&e);
      break;
    }
    case edButton: {
      TGridButton& b = *ButtonEditor();
      b.SetBounds(r.Left - 1, r.Top - 1, w + 2, h + 2);
      b.SetCaption(editText);
      b.SetVisible(true);
      b.SetEnabled(true);
      if (CanFocus()) b.SetFocus();
      break;
    }
    default:
      // The editors of the remaining types come with their controls.
      break;
  }
}

TWinControl* TExtStringGrid::EditorControl() const {
  switch (editorType_) {
    case edComboEdit:
    case edComboList:
      return combo_;
    case edUniComboEdit:
    case edUniComboList:
      return uniCombo_;
    case edSpinEdit:
    case edFloatSpinEdit:
    case edTimeSpinEdit:
    case edDateSpinEdit:
      return spin_;
    case edDateEdit:
    case edDateEditUpDown:
    case edTimeEdit:
      return datePicker_;
    case edCheckBox:
      return checkBox_;
    case edUniEdit:
      return uniEdit_;
    case edRichEdit:
      return richInplace_;
    case edEditBtn:
    case edNumericEditBtn:
    case edFloatEditBtn:
      return editBtn_;
    case edUnitEditBtn:
      return unitEditBtn_;
    case edButton:
      return button_;
    default:
      return nullptr;
  }
}

void TExtStringGrid::CloseCellEditor(int ACol, int ARow) {
  const int realCol = RealColIndex(ACol);
  editStartKey_ = 0;
  switch (editorType_) {
    case edComboEdit:
    case edComboList:
      if (editorActive_ && combo_) {
        editorActive_ = false;
        SetCellTextEdit(realCol, ARow, combo_->Text());
        combo_->SetDroppedDown(false);
      }
      break;
    case edUniComboEdit:
    case edUniComboList:
      editorActive_ = false;
      if (uniCombo_ && EditorValueChanged(uniCombo_->CellValue()))
        SetCellTextEdit(realCol, ARow, uniCombo_->CellValue());
      if (uniCombo_) uniCombo_->SetDroppedDown(false);
      break;
    case edSpinEdit:
    case edFloatSpinEdit:
    case edTimeSpinEdit:
    case edDateSpinEdit:
      editorActive_ = false;
      if (spin_ && EditorValueChanged(spin_->Text())) {
        if (editorType_ == edFloatSpinEdit)
          SetCellFloat(realCol, ARow, spin_->FloatValue());
        else if (editorType_ == edDateSpinEdit)
          SetCellDate(realCol, ARow, spin_->DateValue());
        else
          SetCellTextEdit(realCol, ARow, spin_->Text());
      }
      break;
    case edDateEdit:
    case edDateEditUpDown:
    case edTimeEdit:
      // Unticking the picker's check box empties the cell although the
      // date shown stays the same.
      if (datePicker_ && EditorValueChanged(DatePickerValue()))
        SetCellTextEdit(realCol, ARow, DatePickerValue());
      editorActive_ = false;
      break;
    case edUniEdit:
      editorActive_ = false;
      if (uniEdit_ && EditorValueChanged(CellTextFromWide(uniEdit_->Text())))
        SetCellTextEdit(realCol, ARow, CellTextFromWide(uniEdit_->Text()));
      break;
    case edEditBtn:
    case edNumericEditBtn:
    case edFloatEditBtn:
      if (editBtn_) SetCellTextEdit(realCol, ARow, editBtn_->Text());
      editorActive_ = false;
      break;
    case edUnitEditBtn:
      if (unitEditBtn_) SetCellTextEdit(realCol, ARow, unitEditBtn_->Text() + unitEditBtn_->UnitID());
      editorActive_ = false;
      break;
    case edRichEdit:
      editorActive_ = false;
      if (richInplace_) {
        richInplace_->BeginNoResize();
        AnsiString rtf;
        RichEditToRTF(*richInplace_, rtf);
        richInplace_->EndNoResize();
        if (rtf != openedText_) SetCellTextEdit(realCol, ARow, rtf);
      }
      break;
    case edCustom:
      // Hiding the control takes its focus: its exit handler must find the
      // edit over.
      editorActive_ = false;
      if (EditLink) {
        SetCellTextEdit(realCol, ARow, EditLink->GetEditorValue());
        if (EditLink->EditStyle != TEditLink::esPopup) EditLink->SetVisible(false);
        if (TForm* popup = EditLink->PopupForm) {
          // Freed once its own messages are through: this may run inside
          // its deactivation.
          EditLink->PopupForm = nullptr;
          popup->Hide();
          popup->Release();
        }
      }
      editorActive_ = false;
      break;
    default:
      editorActive_ = false;
      break;
  }
  if (TWinControl* control = EditorControl()) {
    control->SetEnabled(false);
    control->SetVisible(false);
  }
  DoEditingDone();
}

void TExtStringGrid::HideCellEditor() {
  if (!editorActive_) return;
  const bool textEditor = IsTextEditorType(editorType_);
  // The text editor reports its end itself when it loses the focus.
  HideEditor();
  if (!textEditor) {
    TWinControl* control = EditorControl();
    const bool hadFocus =
        control && (control->Focused() || (combo_ && control == combo_ && combo_->Focused()));
    CloseCellEditor(Col(), Row());
    if (hadFocus && CanFocus()) SetFocus();
  }
  editorActive_ = false;
  editorType_ = edNormal;
  SelectCell(Col(), Row());
}

void TExtStringGrid::EditorKeyToGrid(Word Key, TShiftState Shift) {
  handingKey_ = true;
  const bool savedAlwaysEdit = Navigation().AlwaysEdit;
  try {
    HideCellEditor();
    Navigation().AlwaysEdit = false;
    if (CanFocus()) SetFocus();
    if (Key == VK_TAB || Key == VK_LEFT || Key == VK_RIGHT || Key == VK_UP || Key == VK_DOWN) {
      // The grid's own key handling, Tab walking included.
      (void)Shift;
      Perform(WM_KEYDOWN, Key, 0);
    } else if (Key == VK_RETURN) {
      AdvanceCell(Col(), Row(), true, false, false);
    }
  } catch (...) {
    Navigation().AlwaysEdit = savedAlwaysEdit;
    handingKey_ = false;
    throw;
  }
  Navigation().AlwaysEdit = savedAlwaysEdit;
  handingKey_ = false;
}

AnsiString TExtStringGrid::DatePickerValue() const {
  if (editorType_ == edTimeEdit) return TimeToStr(datePicker_->Time());
  return datePicker_->Checked() ? DateToStr(datePicker_->Date()) : AnsiString();
}

template <class T>
T* TExtStringGrid::EditorControlMade(T*& Slot) const {
  if (Slot || ComponentState().Contains(csDestroying)) return Slot;
  if constexpr (std::is_same_v<T, TGridDatePicker>)
    if (!HasNewCommonControls) return nullptr;
  auto* self = const_cast<TExtStringGrid*>(this);
  Slot = new T(self);
  self->SetUpEditorControl(*Slot);
  self->OrderEditorControls();
  return Slot;
}

template TGridCombo* TExtStringGrid::EditorControlMade(TGridCombo*&) const;
template TGridUniCombo* TExtStringGrid::EditorControlMade(TGridUniCombo*&) const;
template TGridSpin* TExtStringGrid::EditorControlMade(TGridSpin*&) const;
template TGridDatePicker* TExtStringGrid::EditorControlMade(TGridDatePicker*&) const;
template TGridCheckBox* TExtStringGrid::EditorControlMade(TGridCheckBox*&) const;
template TGridEditBtn* TExtStringGrid::EditorControlMade(TGridEditBtn*&) const;
template TGridUnitEditBtn* TExtStringGrid::EditorControlMade(TGridUnitEditBtn*&) const;
template TGridUniEdit* TExtStringGrid::EditorControlMade(TGridUniEdit*&) const;
template TGridButton* TExtStringGrid::EditorControlMade(TGridButton*&) const;
template TExtRichEdit* TExtStringGrid::EditorControlMade(TExtRichEdit*&) const;

void TExtStringGrid::SetUpEditorControl(TWinControl& Control) {
  // Hidden and disabled until an edit shows it; a form may set it up (a
  // spin's limits, the combo's items, the units) before the first edit.
  if (auto* combo = dynamic_cast<TGridCombo*>(&Control)) {
    combo->SetIsWinXP(themedLook_);
    if (combo == uniCombo_ && !(Font() == madeFont_)) {
      // The wide combo took the grid's font as it was placed and made it
      // its own: the one the grid was made with, as it would have had,
      // with its children told of it before the character set changed.
      combo->Font().Assign(madeFont_);
      combo->Perform(CM_FONTCHANGED, 0, 0);
      combo->Font().Charset = 255;
    }
  } else if (auto* spin = dynamic_cast<TGridSpin*>(&Control)) {
    spin->SetIsWinXP(themedLook_);
  } else if (auto* editBtn = dynamic_cast<TGridEditBtn*>(&Control)) {
    editBtn->SetIsWinXP(themedLook_);
  } else if (auto* unitEditBtn = dynamic_cast<TGridUnitEditBtn*>(&Control)) {
    unitEditBtn->SetIsWinXP(themedLook_);
  } else if (&Control == richInplace_) {
    richInplace_->OnSelectionChange = [this](TObject*) {
      if (OnRichEditSelectionChange) OnRichEditSelectionChange(this);
    };
    richInplace_->SetVisible(false);
    richInplace_->SetParent(this);
  }
}

void TExtStringGrid::OrderEditorControls() {
  // Each stands where it would had they all been made with the grid: in
  // this order, behind the grid's other children and first of its tab
  // order.
  TWinControl* const all[] = {combo_,   uniCombo_,    spin_,    datePicker_, checkBox_,
                              editBtn_, unitEditBtn_, uniEdit_, button_,     richInplace_};
  std::vector<TWinControl*> made;
  for (TWinControl* control : all)
    if (control && control->Parent() == this) made.push_back(control);
  bool inPlace = true;
  for (size_t i = 0; i < made.size(); ++i) {
    made[i]->SetTabOrder(static_cast<int>(i));
    inPlace = inPlace && Controls(static_cast<int>(i)) == made[i];
  }
  if (inPlace) return;
  for (auto it = made.rbegin(); it != made.rend(); ++it) (*it)->SendToBack();
}

void TExtStringGrid::ClearEditorComboItems() { Combo()->Items()->Clear(); }

void TExtStringGrid::AddEditorComboItem(const AnsiString& S) { Combo()->Items()->Add(S); }
