// The grid's mouse buttons: presses on fixed and normal cells (whole rows,
// columns or the grid from the headings, pressed headings, nodes, radio
// groups, cell buttons, check boxes, links and the controls of mini-HTML
// text), releases (sorting by a heading click, disjunct marks, the pasting
// selection resizer) and double clicks (a column sized to its content).

#include "grid/EsgHTMLE.h"
#include "grid/ExtGrid.h"
#include "grid/ExtGridDragDrop.h"
#include "grid/GridUtil.h"
#include "grid/PictureContainer.h"
#include "platform/gfx/FrameControls.h"
#include "platform/rtl/SysUtils.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/Shell.h"
#include "platform/ui/StdCtrls.h"
#include "platform/ui/Windows.h"

namespace {

// A press or release this close to a column's side edge belongs to the
// edge (sizing), not to the cell.
constexpr int kEdgeRange = 4;

bool NearSideEdge(const TRect& cell, int X) {
  return X - cell.Left < kEdgeRange || cell.Right - X < kEdgeRange;
}

}  // namespace

AnsiString LinkNotOpenedText(const AnsiString& Link) {
  return "Δεν ήταν δυνατό να ανοιχτεί ο σύνδεσμος:\r\n"_a + Link;
}

bool TExtStringGrid::InheritedPress(TMessage& m) {
  TBaseGrid::Dispatch(m);
  return true;
}

void TExtStringGrid::Click() {
  // One click per press and release, whichever of the grid's steps fires it.
  if (mouse_.MouseDown && mouse_.Clicked) return;
  mouse_.Clicked = mouse_.MouseDown;
  TBaseGrid::Click();
  // A click starts the choice of editor afresh, so the next edit asks for
  // its kind again. While an editor shows, its mark stays: closing a
  // special editor is what stores its value, and the text editor keeps the
  // text that Escape restores.
  const TWinControl* special = EditorControl();
  const bool editorShows = (InplaceEditor() && InplaceEditor()->Visible()) ||
                           (editorActive_ && !IsTextEditorType(editorType_) && special && special->Visible());
  if (!editorShows) editorActive_ = false;
  SaveCellForEdit(Col(), Row());
}

void TExtStringGrid::DblClick() { TBaseGrid::DblClick(); }

// ---- press -----------------------------------------------------------------------------

bool TExtStringGrid::WMLButtonDown(TMessage& m) {
  const int X = MsgX(m), Y = MsgY(m);
  const TShiftState shift = KeysToShiftState(MsgKeys(m));
  mouse_.MouseDown = true;
  mouse_.Clicked = false;
  mouse_.MoveEnded = false;
  mouse_.RangePress = false;
  if (mouse_.Panning) StopPanning();

  if (mouse_.CursorKind == ckSelectionResizer) {
    // The grabbed corner copies the selection; the release pastes it over
    // the selection the drag makes.
    CopySelection();
    mouse_.PasteOnRelease = true;
    const TGridRect selection = Selection();
    if (!Options().Contains(goEditing)) TBaseGrid::Dispatch(m);
    SetSelection(selection);
    // The handle is the bottom-right corner, and the drag moves that
    // corner: it becomes the selection's moving end, the top-left cell the
    // current one, so the selection grows from where it starts.
    std::swap(anchor_, current_);
    RepaintCellDispl(selection.Left, selection.Top);
    RepaintCellDispl(selection.Right, selection.Bottom);
    // With editing on the class library press would open the editor rather
    // than select, so the corner's drag starts here, holding the mouse as
    // that press does: past the visible edge it scrolls and grows the
    // selection as it does with editing off.
    if (Options().Contains(goEditing)) {
      SetMouseCapture(true);
      BeginSelecting();
    }
    MouseMove(shift, X, Y);
    return true;
  }

  lookupText_.clear();
  mouse_.DragPending = false;
  mouse_.ButtonCell = {-1, -1};
  int C = -1, R = -1;
  MouseToCell(X, Y, C, R);
  int sc = -1, sr = -1;
  if (R == 0)
    MouseToCell(X - kEdgeRange, Y, sc, sr);
  else if (C == 0)
    MouseToCell(X, Y - kEdgeRange, sc, sr);
  else
    MouseToCell(X - kEdgeRange, Y - kEdgeRange, sc, sr);
  mouse_.SizeCell = {sc, sr};
  mouse_.SizeCellWidth = sc >= 0 ? ColWidths(sc) : 0;
  mouse_.SizeCellHeight = sr >= 0 ? RowHeights(sr) : 0;
  mouse_.DownPoint = Point(X, Y);
  mouse_.DownRow = R;

  if (C < 0 || R < 0) {
    HideCellEditor();
    return InheritedPress(m);
  }

  const TPoint base = BaseCell(C, R);
  C = base.X;
  R = base.Y;
  const int realC = RealColIndex(C);
  if (mouseActions_->CaretPositioning) SetCaretPending(true, Point(X, Y));
  if (mouse_.FixedColSizeArmed && mouseActions_->SizeFixedCol) {
    mouse_.SizingFixedCol = true;
    mouse_.FixedColSizeX = X;
    DrawSizingLine(X);
    return true;
  }

  const bool fixedByPlace = C < FixedCols() || R < FixedRows();
  bool fixedByEvent = false;
  if (!fixedByPlace) IsFixedCell(realC, R, fixedByEvent);
  if (fixedByPlace || fixedByEvent) {
    HideCellEditor();
    if (FixedAsButtons && Options().Contains(goFixedVertLine) && Options().Contains(goFixedHorzLine) &&
        !Flat()) {
      TRect r = CellRect(C, R);
      mouse_.FixedPressedRect = r;
      DrawEdge(Canvas(), r, BDR_SUNKENINNER, BF_RECT);
      mouse_.FixedPressed = true;
    }
  }
  if (ComponentState().Contains(csDesigning)) return true;

  if (C == 0 && R >= FixedRows() && IsNode(R)) {
    const int realRow = RealRowIndex(R);
    if (GetNodeState(R)) {
      ExpandNode(realRow);
      if (OnExpandNode) OnExpandNode(this, R, realRow);
    } else {
      ContractNode(realRow);
      if (OnContractNode) OnContractNode(this, R, realRow);
    }
    SetRow(R);
    return true;
  }

  const bool dataCell = !fixedByPlace && !fixedByEvent;
  const bool editing = Options().Contains(goEditing) || mouseActions_->RangeSelectAndEdit;
  if (dataCell && IsRadio(realC, R) && editing && CanEditCell(realC, R)) {
    HideCellEditor();
    const TRect r = CellRect(C, R);
    SelectRadioAt(C, R, X - r.Left, Y - r.Top);
    return true;
  }
  if (C == 0 && HasNodes()) return true;

  const TGridRect selection = Selection();
  const bool inSelection =
      mouseActions_->DisjunctRowSelect()
          ? R >= FixedRows() && R < RowCount() && RowSelect(R)
          : C >= selection.Left && C <= selection.Right && R >= selection.Top && R <= selection.Bottom;
  if ((inSelection || (R < FixedRows() && !EnhRowColMove)) && !Options().Contains(goEditing) &&
      dragDropSettings_->OleDropSource && !mouseActions_->ColSelect && !mouseActions_->AllSelect) {
    if (!(Options().Contains(goColSizing) && NearSideEdge(CellRect(C, R), X))) {
      // A press that may start a drag is still a press in the grid: the
      // keys go to it from now on, as after any other click.
      if (CanFocus()) SetFocus();
      mouse_.DragPending = true;
      if (OnClickCell) OnClickCell(this, R, C);
      return true;
    }
  }

  if (dataCell && IsButton(realC, R)) {
    HideCellEditor();
    FocusCell(C, R, true);
    if (!mouse_.TypedPress && PtInRect(GetButtonRect(realC, R), Point(X, Y))) {
      if (TCellGraphic* g = GetCellGraphic(realC, R)) g->CellBoolean = true;
      RepaintCellDispl(C, R);
      mouse_.ButtonCell = {C, R};
      SetMouseCapture(true);
    }
    if (OnClickCell) OnClickCell(this, R, C);
    return true;
  }

  PressCell(m, C, R, shift);
  return true;
}

void TExtStringGrid::PressCell(TMessage& m, int C, int R, TShiftState Shift) {
  const int X = MsgX(m), Y = MsgY(m);
  const int realC = RealColIndex(C);
  const bool ctrl = Shift.Contains(ssCtrl);
  if (mouse_.SizeCell.X >= 0 && mouse_.SizeCell.Y >= 0) {
    const TRect sized = CellRectEx(mouse_.SizeCell.X, mouse_.SizeCell.Y);
    mouse_.DownOffset = Point(sized.Right - X, sized.Bottom - Y);
  }
  // A marking press: the release marks what it selected; Ctrl keeps the
  // other marks and a Ctrl press on a marked row unmarks it.
  if (mouseActions_->DisjunctRowSelect() && R >= FixedRows()) {
    mouse_.RowMarkDrag = true;
    if (!ctrl)
      ClearRowSelect();
    else if (RowSelect(R))
      mouse_.UnmarkOnRelease = true;
  }
  if (mouseActions_->DisjunctColSelect() && C >= FixedCols()) {
    mouse_.ColMarkDrag = true;
    if (!ctrl)
      ClearColSelect();
    else if (ColSelect(C))
      mouse_.ColUnmarkOnRelease = true;
  }

  if (!mouse_.TypedPress && PressLinkOrControl(C, R, X, Y)) return;

  // Whole rows, columns or the grid from the headings.
  if (Options().Contains(goRangeSelect)) {
    auto selectFromHeading = [&](const TGridRect& r, int anchor, TGridCursorKind mode) {
      const TGridRect old = Selection();
      if (CanFocus()) SetFocus();
      // The grid's exit: OnExit, and editor mode left unless it always shows.
      DoExit();
      SetSelection(r);
      mouse_.SelectAnchor = anchor;
      mouse_.DragMode = mode;
      if (activeCellShow_) {
        for (const TGridRect& s : {old, r}) {
          RepaintCellDispl(s.Left, 0);
          RepaintCellDispl(0, s.Top);
        }
      }
    };
    // The footers and the right fixed columns are headings too: never part
    // of what a heading selects.
    const int lastCol = ColCount() - fixedRightCols_ - 1, lastRow = RowCount() - fixedFooters_ - 1;
    if (C < FixedCols() && R < FixedRows() && mouseActions_->AllSelect && mouse_.CursorKind == ckSelectAll &&
        lastCol >= FixedCols() && lastRow >= FixedRows()) {
      selectFromHeading({FixedCols(), FixedRows(), lastCol, lastRow}, -1, ckSelectAll);
      return;
    }
    if (C < FixedCols() && R >= FixedRows() && mouseActions_->RowSelect && mouse_.CursorKind == ckRowSelect &&
        lastCol >= FixedCols()) {
      selectFromHeading({FixedCols(), R, lastCol, R}, R, ckRowSelect);
      return;
    }
    if (R < FixedRows() && C >= FixedCols() && mouseActions_->ColSelect &&
        mouse_.CursorKind == ckColumnSelect && lastRow >= FixedRows()) {
      selectFromHeading({C, FixedRows(), C, lastRow}, C, ckColumnSelect);
      return;
    }
  }

  if (R < FixedRows() && C >= FixedCols())
    mouse_.MoveSource = C;
  else if (C < FixedCols() && R >= FixedRows())
    mouse_.MoveSource = R;
  else
    mouse_.MoveSource = -1;

  const bool fixedByPlace = C < FixedCols() || R < FixedRows();
  bool fixedByEvent = false;
  if (!fixedByPlace) IsFixedCell(realC, R, fixedByEvent);
  const bool dataCell = !fixedByPlace && !fixedByEvent;
  bool canEdit = Options().Contains(goEditing) || mouseActions_->RangeSelectAndEdit;
  if (canEdit && OnCanEditCell) OnCanEditCell(this, R, realC, canEdit);

  if (dataCell && canEdit && HasCheckBox(realC, R)) {
    HideCellEditor();
    if (CanFocus()) SetFocus();
    if (ToggleCheckBox(realC, R, false)) {
      bool state = false;
      GetCheckBoxState(realC, R, state);
      if (OnCheckBoxClick) OnCheckBoxClick(this, C, R, state);
    }
    if (!navigation_->AlwaysEdit) FocusCell(C, R, true);
    if (HideFocusRect) RepaintCellDispl(C, R);
    Click();
    return;
  }
  if (mouseActions_->DirectEdit && dataCell && canEdit) {
    if (CanFocus()) SetFocus();
    HideEditor();
  }

  if (fixedByEvent) {
    if (OnClickCell) OnClickCell(this, R, C);
    return;
  }
  const bool alwaysEdit = navigation_->AlwaysEdit;
  const int oldLeft = LeftCol(), oldTop = TopRow();
  const TGridCoord oldCell{Col(), Row()};
  // A range started on the partly shown last row or column stays where it
  // is seen when the grid says so.
  const bool keepInPlace = mouseActions_->NoAutoRangeScroll && Options().Contains(goRangeSelect) &&
                           (R == TopRow() + VisibleRowCount() || C == LeftCol() + VisibleColCount());
  navigation_->AlwaysEdit = false;
  mouse_.RangePress = mouseActions_->RangeSelectAndEdit && dataCell;
  try {
    TBaseGrid::Dispatch(m);
  } catch (...) {
    navigation_->AlwaysEdit = alwaysEdit;
    throw;
  }
  navigation_->AlwaysEdit = alwaysEdit;
  if ((keepInPlace || (Options().Contains(goRowSelect) && navigation_->KeepHorizScroll)) &&
      LeftCol() != oldLeft)
    SetLeftCol(oldLeft);
  if (keepInPlace && TopRow() != oldTop) SetTopRow(oldTop);
  if (OnClickCell) OnClickCell(this, R, C);
  if (OnCellValidate) SaveCellForEdit(Col(), Row());
  if (dataCell && IsMergedCell(C, R)) {
    const TPoint span = CellSpan(C, R);
    if (span.X > 0 || span.Y > 0) {
      const TGridRect area{C, R, std::min(ColCount() - 1, C + span.X), std::min(RowCount() - 1, R + span.Y)};
      SetSelection(area);
      if (oldCell == TGridCoord{C, R} && canEdit && Options().Contains(goEditing)) ShowInplaceEditor();
    }
  }
  if (mouseActions_->DirectEdit && dataCell && canEdit && !HasCheckBoxOrRadio(realC, R)) {
    const TRect r = CellRect(C, R);
    if (X >= r.Left + kEdgeRange && X <= r.Right - kEdgeRange && Options().Contains(goEditing))
      ShowInplaceEditor();
  }
}

void TExtStringGrid::ReleaseButtonControl() {
  if (mouse_.ButtonControlDown.X < 0) return;
  const TGridCoord cell = mouse_.ButtonControlDown;
  mouse_.ButtonControlDown = {-1, -1};
  RepaintCellDispl(cell.X, cell.Y);
}

bool TExtStringGrid::PressLinkOrControl(int C, int R, int X, int Y) {
  const int realC = RealColIndex(C);
  const AnsiString text = GetCellText(realC, R);
  const int kind = ClassifyCellText(text, EnableHTML);
  if (kind != ctkHTML && !URLShow()) return false;
  AnsiString link, controlID, controlValue, controlType;
  TRect controlRect{};
  if (kind != ctkHTML) {
    if (!IsURL(text)) return false;
    link = text;
  } else {
    TRect r = InflateRect(CellRect(C, R), 1, 1);
    r.Left += XYOffset.X;
    r.Top += XYOffset.Y;
    if (HasCheckBox(realC, R)) r.Left += controlLook_->CheckSize();
    AnsiString plainText, focusedHref;
    int extentX = 0, extentY = 0, anchorCount = 0, mouseAnchor = 0;
    TRect anchorRect;
    HTMLDraw(Canvas(), text, r, gridImages_, X, Y, -1, 0, 1, true, false, false, false, true, false,
             !EnhTextSize, false, 0, URLColor(), clNotSet, clNotSet, clGray, link, plainText, focusedHref,
             extentX, extentY, anchorCount, mouseAnchor, anchorRect, controlRect, controlID, controlValue,
             controlType, &PictureCache(), pictureContainer_, Handle());
    if (link.empty() && controlID.empty()) return false;
  }

  if (!controlID.empty()) {
    if (!mouse_.CtrlType.empty()) ControlEditDone();
    const AnsiString type = UpperCase(controlType);
    if (type == "BUTTON") {
      mouse_.ButtonControlDown = {C, R};
      mouse_.ButtonControlPoint = Point(X, Y);
      RepaintCellDispl(C, R);
    } else if (type == "CHECK") {
      controlValue = UpperCase(controlValue) == "TRUE" ? "FALSE" : "TRUE";
      AnsiString rewritten = text;
      SetHTMLControlValue(rewritten, controlID, controlValue);
      SetCellText(realC, R, rewritten);
    }
    if (OnControlClick) OnControlClick(this, R, C, controlID, controlType, controlValue);
    if (type == "EDIT" || type == "COMBO") {
      mouse_.CtrlCell = {C, R};
      mouse_.CtrlID = controlID;
      mouse_.CtrlType = type;
      OpenControlEditor(C, R, controlRect, controlValue);
    }
    return true;
  }

  bool autoHandle = true;
  if (OnAnchorClick) OnAnchorClick(this, R, C, link, autoHandle);
  if (!autoHandle) return true;
  if (UpperCase(link).find("CELL://") == AnsiString::npos) {
    // Only links the desktop may open safely leave the program; the path
    // of a document or a folder goes as its file:// link would.
    // The desktop's handler is waited for a moment: one that fails, or
    // none at all, is told to the user rather than leaving the click
    // unanswered.
    if ((IsOpenableLink(link) || IsOpenableDocumentName(link)) &&
        ShellExecute(Handle(), "open", link, "", "", SW_SHOWNORMAL) <= 32)
      MessageDlg(LinkNotOpenedText(link), mtWarning, {mbOK});
    return true;
  }
  const TGridCoord target = ParseRowColRef(UpperCase(link.substr(link.size() >= 7 ? 7 : link.size())));
  if (target.X >= 0 && target.Y >= 0 && target.X < ColCount() && target.Y < RowCount()) {
    FocusCell(target.X, target.Y, true);
    ScrollInView(target.X, target.Y);
  }
  return true;
}

void TExtStringGrid::OpenControlEditor(int C, int R, const TRect& ControlRect, const AnsiString& Value) {
  if (mouse_.CtrlType == "EDIT") {
    if (!controlEdit_) {
      controlEdit_ = new TEdit(this);
      controlEdit_->SetBorderStyle(bsNone);
      controlEdit_->SetVisible(false);
      controlEdit_->SetParent(this);
      controlEdit_->OnExit = [this](TObject*) { ControlEditDone(); };
      controlEdit_->OnKeyPress = [this](TObject*, char& Key) {
        if (Key == '\r') {
          Key = 0;
          ControlEditDone();
          if (CanFocus()) SetFocus();
        }
      };
    }
    controlEdit_->SetBounds(ControlRect.Left + 3, ControlRect.Top + 5,
                            ControlRect.Right - ControlRect.Left - 4,
                            ControlRect.Bottom - ControlRect.Top - 4);
    controlEdit_->SetText(Value);
    controlEdit_->SetVisible(true);
    controlEdit_->BringToFront();
    if (controlEdit_->CanFocus()) controlEdit_->SetFocus();
  } else {
    if (!controlCombo_) {
      controlCombo_ = new TComboBox(this);
      controlCombo_->SetVisible(false);
      controlCombo_->SetParent(this);
      controlCombo_->OnExit = [this](TObject*) { ControlEditDone(); };
      controlCombo_->OnKeyPress = [this](TObject* Sender, char& Key) { ControlEnterKey(Sender, Key); };
      controlCombo_->OnCloseUp = [this](TObject*) {
        if (controlCombo_->Style() == csDropDownList) ControlEditDone();
      };
    }
    bool edit = true;
    int dropCount = 8;
    controlCombo_->Items()->Clear();
    if (OnControlComboList)
      OnControlComboList(this, R, C, mouse_.CtrlID, mouse_.CtrlType, Value, *controlCombo_->Items(), edit,
                         dropCount);
    controlCombo_->SetStyle(edit ? csDropDown : csDropDownList);
    controlCombo_->DropDownCount = dropCount;
    // The list below it shows DropCount lines; the box itself keeps the
    // height of a closed combo instead of spreading over the rows below.
    controlCombo_->SetBounds(ControlRect.Left + 3, ControlRect.Top + 5,
                             ControlRect.Right - ControlRect.Left - 4, controlCombo_->Height());
    controlCombo_->SetItemIndex(controlCombo_->Items()->IndexOf(Value));
    if (edit) controlCombo_->SetText(Value);
    controlCombo_->SetVisible(true);
    controlCombo_->BringToFront();
    if (controlCombo_->CanFocus()) controlCombo_->SetFocus();
    controlCombo_->SetDroppedDown(true);
  }
  mouse_.CtrlEditing = true;
}

void TExtStringGrid::ControlEditDone() {
  if (mouse_.CtrlType.empty()) return;
  const AnsiString type = mouse_.CtrlType;
  // Cleared first: hiding the control moves the focus, which ends the edit
  // a second time.
  mouse_.CtrlType.clear();
  mouse_.CtrlEditing = false;
  const TGridCoord cell = mouse_.CtrlCell;
  AnsiString value;
  TWinControl* control = nullptr;
  if (type == "EDIT" && controlEdit_) {
    value = controlEdit_->Text();
    control = controlEdit_;
  } else if (type == "COMBO" && controlCombo_) {
    value = controlCombo_->Text();
    control = controlCombo_;
  }
  if (cell.X >= 0 && cell.Y >= 0 && cell.X < ColCount() && cell.Y < RowCount()) {
    const int realC = RealColIndex(cell.X);
    AnsiString text = GetCellText(realC, cell.Y);
    if (SetHTMLControlValue(text, mouse_.CtrlID, value)) SetCellText(realC, cell.Y, text);
  }
  if (control) control->SetVisible(false);
  if (OnControlEditDone) OnControlEditDone(this, cell.Y, cell.X, mouse_.CtrlID, type, value);
}

void TExtStringGrid::SelectRadioAt(int ACol, int ARow, int DX, int /*DY*/) {
  const int realC = RealColIndex(ACol);
  if (ARow != Row()) SetRow(ARow);
  TCellGraphic* g = GetCellGraphic(realC, ARow);
  if (!g || g->CellType != ctRadio) return;
  const int style = controlLook_->ControlStyle();
  const int radioSize = style == 0 || style == 1 ? controlLook_->RadioSize() : 16;
  const TStrings* choices = GetRadioChoices(realC, ARow);
  if (!choices || choices->Count() == 0) return;
  TCanvas& canvas = Canvas();
  canvas.Font->Assign(Font());
  int left = 0, chosen = -1;
  for (int i = 0; i < choices->Count(); ++i) {
    const int width = canvas.TextWidth((*choices)[i]) + radioSize + 2;
    if (DX >= left && DX < left + width) {
      chosen = i;
      break;
    }
    left += width;
  }
  if (chosen < 0) return;
  ChooseRadioItem(*g, realC, ARow, *choices, chosen);
  RepaintCellDispl(ACol, ARow);
  if (OnRadioClick) OnRadioClick(this, ACol, ARow, chosen);
}

// ---- release ---------------------------------------------------------------------------

void TExtStringGrid::WMLButtonUp(TMessage& m) {
  const int X = MsgX(m), Y = MsgY(m);
  const TShiftState shift = KeysToShiftState(MsgKeys(m));
  mouse_.MovedOrSized = false;
  const bool rowMarkDrag = mouse_.RowMarkDrag, unmark = mouse_.UnmarkOnRelease;
  const bool colMarkDrag = mouse_.ColMarkDrag, colUnmark = mouse_.ColUnmarkOnRelease;
  mouse_.RowMarkDrag = mouse_.UnmarkOnRelease = mouse_.ColMarkDrag = mouse_.ColUnmarkOnRelease = false;
  mouse_.CursorKind = ckNone;
  mouse_.DragMode = ckNone;
  mouse_.SelectAnchor = -1;
  ReleaseButtonControl();
  mouse_.MouseDown = false;
  if (mouse_.SizingFixedCol) {
    DrawSizingLine(mouse_.FixedColSizeX);
    mouse_.SizingFixedCol = false;
    if (X > 0) SetColWidths(0, X);
    mouse_.MovedOrSized = true;
  }
  if (mouse_.FixedPressed) {
    mouse_.FixedPressed = false;
    InvalidateRect(mouse_.FixedPressedRect);
  }

  if (mouse_.ButtonCell.X >= 0) {
    const TGridCoord cell = mouse_.ButtonCell;
    mouse_.ButtonCell = {-1, -1};
    if (cell.X < ColCount() && cell.Y < RowCount()) {
      if (TCellGraphic* g = GetCellGraphic(RealColIndex(cell.X), cell.Y)) g->CellBoolean = false;
      RepaintCellDispl(cell.X, cell.Y);
    }
    if (OnButtonClick) OnButtonClick(this, cell.X, cell.Y);
    SetMouseCapture(false);
    TBaseGrid::Dispatch(m);
    return;
  }

  HideSizingHint();
  int C = -1, R = -1;
  MouseToCell(X, Y, C, R);
  const TGridState state = GridState();
  if (C >= 0 && R >= 0 && IsButton(RealColIndex(C), R) &&
      PtInRect(GetButtonRect(RealColIndex(C), R), Point(X, Y))) {
    TBaseGrid::Dispatch(m);
    return;
  }

  mouse_.MouseDown = true;  // Click counts once for this release
  const bool headingEdge = R >= 0 && R < FixedRows() && Options().Contains(goColSizing) && Screen &&
                           Screen->ShownCursor() == crHSplit;
  if (!headingEdge) Click();

  if (mouse_.DragPending) {
    mouse_.DragPending = false;
    if (C >= FixedCols() && R >= FixedRows()) {
      if (Options().Contains(goRowSelect))
        SetSelection({FixedCols(), R, ColCount() - 1, R});
      else
        SetSelection({C, R, C, R});
    }
  }

  if (mouseActions_->DisjunctRowSelect() && (rowMarkDrag || unmark)) {
    const TGridRect s = Selection();
    for (int r = std::max(s.Top, FixedRows()); r <= s.Bottom && r < RowCount(); ++r) SetRowSelect(r, true);
    if (unmark && R >= FixedRows() && R < RowCount()) SetRowSelect(R, false);
  }
  if (mouseActions_->DisjunctColSelect() && (colMarkDrag || colUnmark)) {
    const TGridRect s = Selection();
    for (int c = std::max(s.Left, FixedCols()); c <= s.Right && c < ColCount(); ++c) SetColSelect(c, true);
    if (colUnmark && C >= FixedCols() && C < ColCount()) SetColSelect(C, false);
  }

  const bool moving = state == gsColMoving || state == gsRowMoving;
  try {
    TBaseGrid::Dispatch(m);
  } catch (...) {
    mouse_.MouseDown = false;
    throw;
  }
  mouse_.MouseDown = false;
  if (moving && EnhRowColMove) mouse_.MoveEnded = true;
  if (dropMarkers_) dropMarkers_->DragIndicator().SetVisible(false);
  if (state == gsColSizing || state == gsRowSizing) mouse_.MovedOrSized = true;
  if (mouse_.PasteOnRelease) {
    mouse_.PasteOnRelease = false;
    const bool smart = navigation_->AllowSmartClipboard;
    navigation_->AllowSmartClipboard = true;
    try {
      PasteAtSelection();
    } catch (...) {
      navigation_->AllowSmartClipboard = smart;
      throw;
    }
    navigation_->AllowSmartClipboard = smart;
  }
  ReleaseSort(C, R, X, shift);
}

void TExtStringGrid::ReleaseSort(int C, int R, int X, TShiftState Shift) {
  if (mouse_.MovedOrSized || C < 0 || R < 0) return;
  if (C < FixedCols() && !sortSettings_->FixedCols) return;
  if (C >= ColCount() || R >= RowCount()) return;
  const int realC = RealColIndex(C);
  // Heading cells too: the program answers a check box there itself.
  bool state = false;
  if (HasCheckBox(realC, R) && GetCheckBoxState(realC, R, state)) {
    if (OnCheckBoxMouseUp) OnCheckBoxMouseUp(this, C, R, state);
  } else if (IsRadio(realC, R)) {
    int index = -1;
    GetRadioIdx(realC, R, index);
    if (OnRadioMouseUp) OnRadioMouseUp(this, C, R, index);
  }
  if (mouse_.NoSortClick) {
    mouse_.NoSortClick = false;
    return;
  }
  const TRect cell = CellRect(C, R);
  if (R == 0 && Options().Contains(goColSizing) && NearSideEdge(cell, X)) return;
  if (R < FixedRows() && GetCellStyle(realC, R) && X > cell.Right - 16) return;
  const bool moveEnded = mouse_.MoveEnded;
  mouse_.MoveEnded = false;
  if (R != sortSettings_->Row() || R != mouse_.DownRow || FixedRows() < 1 || !sortSettings_->Show ||
      RowCount() <= 2 || moveEnded)
    return;
  HeadingClickSort(C, Shift.Contains(ssShift));
}

// ---- double click and the right button ---------------------------------------------------

void TExtStringGrid::WMLButtonDblClk(TMessage& m) {
  const int X = MsgX(m), Y = MsgY(m);
  mouse_.Clicked = false;
  int C = -1, R = -1;
  MouseToCell(X, Y, C, R);
  if (R == 0 && C >= 0 && Options().Contains(goColSizing)) {
    const TRect cell = CellRect(C, R);
    int sized = -1;
    if (X - cell.Left < kEdgeRange && C - 1 >= FixedCols())
      sized = C - 1;
    else if (cell.Right - X < kEdgeRange && C >= FixedCols())
      sized = C;
    if (sized >= 0) {
      mouse_.NoSortClick = true;
      bool allow = true;
      if (OnColumnSize) OnColumnSize(this, sized, allow);
      if (allow) {
        AutoSizeCol(sized);
        if (OnEndColumnSize) OnEndColumnSize(this, sized);
      }
      return;
    }
  }
  // The grid fires its clicks itself (it has no click events of the
  // control's own), so the double click too.
  DblClick();
  TBaseGrid::Dispatch(m);
  if (OnDblClickCell) OnDblClickCell(this, R, C);
  if (mouseActions_->RangeSelectAndEdit && C >= FixedCols() && R >= FixedRows() &&
      CanEditCell(RealColIndex(C), R)) {
    SetOptions(Options() + TGridOptions{goEditing});
    TMessage press{WM_LBUTTONDOWN, m.WParam, m.LParam, 0};
    WMLButtonDown(press);
  }
}

void TExtStringGrid::WMRButtonDown(TMessage& m) {
  const int X = MsgX(m), Y = MsgY(m);
  TBaseGrid::Dispatch(m);
  int C = -1, R = -1;
  MouseToCell(X, Y, C, R);
  if (OnRightClickCell) OnRightClickCell(this, R, C);
  if (URLShow() && URLEdit && C >= FixedCols() && R >= FixedRows()) {
    const AnsiString text = GetCellText(RealColIndex(C), R);
    if (ClassifyCellText(text, EnableHTML) != ctkHTML && IsURL(text)) {
      FocusCell(C, R, true);
      if (Options().Contains(goEditing)) ShowInplaceEditor();
    }
  }
}

bool TExtStringGrid::WMRButtonUp(TMessage& m) {
  // No context menu while a row or column is dragged.
  if (EnhRowColMove && (GridState() == gsColMoving || GridState() == gsRowMoving)) {
    m.Result = 0;
    return true;
  }
  return false;
}
