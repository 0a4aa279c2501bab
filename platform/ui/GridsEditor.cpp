// The in-place editor and the grid's side of it.

#include "platform/ui/Forms.h"
#include "platform/ui/Grids.h"

// ---- TInplaceEdit --------------------------------------------------------------

TInplaceEdit::TInplaceEdit(TComponent* AOwner) : TCustomMaskEdit(AOwner) {
  SetBorderStyle(bsNone);
  SetTabStop(false);
  AutoSelect = false;
  SetVisible(false);
}

void TInplaceEdit::Move(const TRect& r) {
  if (r.IsEmpty()) {
    HideEdit();
    return;
  }
  // Shown first, as the system places and shows the editor in one step: an
  // editor that fits itself to its cell does so only while it shows.
  SetVisible(true);
  SetBounds(r.Left, r.Top, r.Width(), r.Height());
  Invalidate();
  if (grid_ && grid_->Focused()) ::SetFocus(Handle());
}

void TInplaceEdit::HideEdit() {
  if (!Visible()) return;
  const bool hadFocus = Focused();
  SetVisible(false);
  if (hadFocus && grid_) ::SetFocus(grid_->Handle());
}

void TInplaceEdit::UpdateContents() {
  if (!grid_) return;
  updating_ = true;
  try {
    SetEditMask("");
    SetText("");
    SetEditMask(grid_->GetEditMask(grid_->Col(), grid_->Row()));
    SetText(grid_->GetEditText(grid_->Col(), grid_->Row()));
    const int limit = grid_->GetEditLimit();
    grid_->canEditModify_ = limit != -1;
    if (!IsMasked()) SetMaxLength(limit > 0 ? limit : 0);
    Modified = false;
    ClearUndo();
  } catch (...) {
    updating_ = false;
    throw;
  }
  updating_ = false;
}

void TInplaceEdit::Deselect() {
  const int end = static_cast<int>(EditText().size());
  Perform(EM_SETSEL, static_cast<WPARAM>(end), end);
}

void TInplaceEdit::BoundsChanged() {
  TCustomMaskEdit::BoundsChanged();
  // The text stands where the grid draws a cell's text.
  TRect r = Rect(2, 2, std::max(2, Width() - 2), Height());
  Perform(EM_SETRECTNP, 0, reinterpret_cast<LPARAM>(&r));
}

void TInplaceEdit::WndProc(TMessage& m) {
  if (m.Msg == WM_SETFOCUS && grid_) {
    // For the form the grid keeps the focus while its editor has it: the
    // grid sees no exit when its editor opens.
    TCustomForm* form = GetParentForm();
    if (form && !form->SetFocusedControl(grid_)) return;
    Dispatch(m);
    return;
  }
  TCustomMaskEdit::WndProc(m);
}

void TInplaceEdit::Dispatch(TMessage& m) {
  if (m.Msg == WM_GETDLGCODE) {
    m.Result = DLGC_WANTARROWS | DLGC_WANTCHARS;
    if (grid_ && grid_->Options().Contains(goTabs)) m.Result |= DLGC_WANTTAB;
    return;
  }
  TCustomMaskEdit::Dispatch(m);
}

void TInplaceEdit::KeyDown(Word& Key, TShiftState Shift) {
  if (!grid_) {
    TCustomMaskEdit::KeyDown(Key, Shift);
    return;
  }
  const int length = static_cast<int>(EditText().size());
  const int start = SelStart(), end = SelStart() + SelLength();
  const bool rightSide = (start == 0 || end == start) && end == length;
  const bool leftSide = start == 0 && (end == 0 || end == length);
  // Navigation keys are the grid's; the grid's KeyDown runs in their place.
  auto sendToGrid = [&] {
    grid_->KeyDown(Key, Shift);
    Key = 0;
  };
  const bool ctrl = Shift.Contains(ssCtrl);
  switch (Key) {
    case VK_UP:
    case VK_DOWN:
    case VK_PRIOR:
    case VK_NEXT:
    case VK_ESCAPE:
      sendToGrid();
      break;
    case VK_INSERT:
      if (Shift.Empty())
        sendToGrid();
      else if (Shift == TShiftState{ssShift} && !grid_->CanEditModify())
        Key = 0;
      break;
    case VK_LEFT:
    case VK_HOME:
      if (leftSide) sendToGrid();
      break;
    case VK_RIGHT:
    case VK_END:
      if (rightSide) sendToGrid();
      break;
    case VK_F2:
      if (grid_->OnKeyDown) grid_->OnKeyDown(grid_, Key, Shift);
      if (Key == VK_F2) {
        Deselect();
        Key = 0;
      }
      return;
    case VK_TAB:
      if (!Shift.Contains(ssAlt)) sendToGrid();
      break;
    case VK_DELETE:
      if (ctrl)
        sendToGrid();
      else if (!grid_->CanEditModify())
        Key = 0;
      break;
    default:
      break;
  }
  if (Key == 0) return;
  // The rest reach the grid's OnKeyDown before the edit acts.
  if (grid_->OnKeyDown) grid_->OnKeyDown(grid_, Key, Shift);
  if (Key != 0) TCustomMaskEdit::KeyDown(Key, Shift);
}

void TInplaceEdit::KeyPress(char& Key) {
  if (!grid_) {
    TCustomMaskEdit::KeyPress(Key);
    return;
  }
  grid_->KeyPress(Key);
  const auto byte = static_cast<unsigned char>(Key);
  if (byte >= ' ' && !grid_->CanEditAcceptKey(Key)) {
    Key = 0;
    MessageBeep(0);
  }
  switch (Key) {
    case '\t':
    case '\x1b':
      Key = 0;
      break;
    case '\r':
      if (SelLength() == 0) SelectAll();
      Key = 0;
      break;
    case '\b':
    case 0x16:
    case 0x18:
      if (!grid_->CanEditModify()) Key = 0;
      break;
    default:
      if (static_cast<unsigned char>(Key) >= ' ' && !grid_->CanEditModify()) Key = 0;
      break;
  }
  if (Key != 0) TCustomMaskEdit::KeyPress(Key);
}

void TInplaceEdit::KeyUp(Word& Key, TShiftState Shift) {
  if (grid_)
    grid_->KeyUp(Key, Shift);
  else
    TCustomMaskEdit::KeyUp(Key, Shift);
}

void TInplaceEdit::DblClick() {
  if (grid_) grid_->DblClick();
}

void TInplaceEdit::Change() {
  TCustomMaskEdit::Change();
  if (grid_ && !updating_) grid_->UpdateText();
}

// ---- the grid's editor host ------------------------------------------------------

TInplaceEdit* TCustomGrid::CreateEditor() { return new TInplaceEdit(this); }

bool TCustomGrid::IsActiveControl() const {
  if (const TCustomForm* form = GetParentForm()) return form->ActiveControl() == this;
  return GridFocused();
}

bool TCustomGrid::CanEditShow() {
  return options_.Contains(goEditing) && !options_.Contains(goRowSelect) && editorMode_ &&
         HandleAllocated() && (options_.Contains(goAlwaysShowEditor) || IsActiveControl());
}

bool TCustomGrid::CanEditModify() { return canEditModify_; }
bool TCustomGrid::CanEditAcceptKey(char) { return true; }
AnsiString TCustomGrid::GetEditText(int, int) { return ""; }
void TCustomGrid::SetEditText(int, int, const AnsiString&) {}
AnsiString TCustomGrid::GetEditMask(int, int) { return ""; }
int TCustomGrid::GetEditLimit() { return 0; }

void TCustomGrid::UpdateText() {
  if (inplaceCol_ != -1 && inplaceRow_ != -1 && inplaceEdit_)
    SetEditText(inplaceCol_, inplaceRow_, inplaceEdit_->Text());
}

void TCustomGrid::ValidateEditor() {
  if (!inplaceEdit_ || !inplaceEdit_->Visible() || !inplaceEdit_->Modified || inplaceCol_ == -1) return;
  try {
    inplaceEdit_->ValidateEdit();
  } catch (...) {
    if (GridFocused() && !inplaceEdit_->Focused() && inplaceEdit_->CanFocus())
      ::SetFocus(inplaceEdit_->Handle());
    throw;
  }
}

void TCustomGrid::HideEdit() {
  if (!inplaceEdit_) return;
  try {
    UpdateText();
  } catch (...) {
    inplaceCol_ = inplaceRow_ = -1;
    inplaceEdit_->HideEdit();
    throw;
  }
  inplaceCol_ = inplaceRow_ = -1;
  inplaceEdit_->HideEdit();
}

void TCustomGrid::UpdateEdit() {
  // Moving the focus between the grid and its editor comes back here.
  if (updatingEdit_ || !CanEditShow()) return;
  updatingEdit_ = true;
  try {
    auto fill = [this] {
      inplaceCol_ = Col();
      inplaceRow_ = Row();
      inplaceEdit_->UpdateContents();
      inplaceEdit_->SelectAll();
    };
    if (!inplaceEdit_) {
      inplaceEdit_ = CreateEditor();
      inplaceEdit_->SetGrid(this);
      inplaceEdit_->SetParent(this);
      fill();
    } else if (Col() != inplaceCol_ || Row() != inplaceRow_) {
      HideEdit();
      fill();
    }
    if (CanEditShow()) inplaceEdit_->Move(CellRect(Col(), Row()));
  } catch (...) {
    updatingEdit_ = false;
    throw;
  }
  updatingEdit_ = false;
}

void TCustomGrid::ShowEditor() {
  editorMode_ = true;
  UpdateEdit();
}

void TCustomGrid::HideEditor() {
  editorMode_ = false;
  HideEdit();
}

void TCustomGrid::SetEditorMode(bool v) {
  if (!v) {
    HideEditor();
    return;
  }
  ShowEditor();
  if (inplaceEdit_) inplaceEdit_->Deselect();
}

void TCustomGrid::InvalidateEditor() {
  inplaceCol_ = inplaceRow_ = -1;
  UpdateEdit();
}

void TCustomGrid::ShowEditorChar(char ch) {
  ShowEditor();
  if (inplaceEdit_ && inplaceEdit_->Visible())
    PostMessage(inplaceEdit_->Handle(), WM_CHAR, static_cast<unsigned char>(ch), 0);
}

void TCustomGrid::DoEnter() { TCustomControl::DoEnter(); }

void TCustomGrid::DoExit() {
  TCustomControl::DoExit();
  if (options_.Contains(goAlwaysShowEditor)) return;
  try {
    ValidateEditor();
  } catch (...) {
    // The focus goes back to the editor that the error is about.
    if (inplaceEdit_->CanFocus()) ::SetFocus(inplaceEdit_->Handle());
    throw;
  }
  HideEditor();
}
