// The combo box: a field with a drop-down list, typed into (csDropDown) or
// chosen from only (csDropDownList), by keyboard and mouse.

#include <algorithm>

#include "platform/ui/ControlPaint.h"
#include "platform/ui/Input.h"
#include "platform/ui/StdCtrls.h"

namespace paint = ui::paint;

namespace {
constexpr int kButtonWidth = 17;
}  // namespace

// ---- TComboListWindow -----------------------------------------------------------------

TComboListWindow::TComboListWindow(TCustomComboBox& combo)
    : TPopupWindow(nullptr),
      combo_(combo),
      lines_(
          this, [this] { return combo_.Items()->Count(); }, [this] { return combo_.ItemHeight(); },
          [this] { return Inner(); }) {
  ControlStyle >> csClickEvents;
  SetFont(combo.Font());
}

TComboListWindow::~TComboListWindow() { Destroying(); }

int TComboListWindow::ItemAt(TPoint p) const {
  if (!PtInRect(lines_.Area(), p)) return -1;
  const int index = lines_.RowAt(p.Y);
  return index < combo_.Items()->Count() ? index : -1;
}

void TComboListWindow::Layout() { lines_.Update(); }

void TComboListWindow::Highlight(int index) {
  const int count = combo_.Items()->Count();
  if (count == 0) index = -1;
  if (index >= count) index = count - 1;
  if (index < -1) index = -1;
  highlighted_ = index;
  lines_.ScrollIntoView(index);
  Invalidate();
}

void TComboListWindow::MouseMove(TShiftState shift, int X, int Y) {
  TPopupWindow::MouseMove(shift, X, Y);
  const int index = ItemAt(Point(X, Y));
  if (index >= 0 && index != highlighted_) Highlight(index);
}

void TComboListWindow::MouseUp(TMouseButton button, TShiftState shift, int X, int Y) {
  TPopupWindow::MouseUp(button, shift, X, Y);
  const int index = ItemAt(Point(X, Y));
  if (button != mbLeft || index < 0) return;
  combo_.CloseWithChoice(index);  // frees this window: nothing of it after
}

bool TComboListWindow::DoMouseWheelDown(TShiftState, TPoint) {
  lines_.Wheel(1);
  return true;
}

bool TComboListWindow::DoMouseWheelUp(TShiftState, TPoint) {
  lines_.Wheel(-1);
  return true;
}

void TComboListWindow::Dispatch(TMessage& m) {
  if (lines_.Message(m)) return;
  switch (m.Msg) {
    case CM_CANCELMODE:
      // A press elsewhere (the combo box's button included) closes the list.
      combo_.SetDroppedDown(false);
      return;
    case CM_RELEASE:
      delete this;  // closed earlier; nothing of it is touched after this
      return;
    default:
      break;
  }
  TPopupWindow::Dispatch(m);
}

void TComboListWindow::Paint() {
  TCanvas& c = Canvas();
  paint::Fill(c, ClientRect(), combo_.Color());
  paint::Frame(c, ClientRect(), clWindowFrame);
  const int count = combo_.Items()->Count();
  const int last = std::min(count, lines_.Top() + VisibleCount());
  for (int i = lines_.Top(); i < last; ++i) {
    TOwnerDrawState state;
    if (i == highlighted_) state << odSelected << odFocused;
    combo_.DrawItem(c, i, ItemRect(i), state);
  }
  lines_.PaintBar(c);
}

// ---- TComboEdit -----------------------------------------------------------------------

TComboEdit::TComboEdit(TComponent* AOwner, TCustomComboBox& combo) : TEdit(AOwner), combo_(combo) {
  SetBorderStyle(bsNone);
  SetTabStop(false);
}

void TComboEdit::Dispatch(TMessage& m) {
  if (m.Msg == WM_GETDLGCODE) {
    TEdit::Dispatch(m);
    // While the list shows, Enter and Escape belong to it.
    if (combo_.DroppedDown()) m.Result |= DLGC_WANTALLKEYS;
    return;
  }
  if (m.Msg == WM_KILLFOCUS || m.Msg == WM_SETFOCUS) {
    combo_.FocusMoved(m.Msg == WM_SETFOCUS, reinterpret_cast<HWND>(m.WParam));
    combo_.Invalidate();
  }
  if (m.Msg == CM_EXIT) combo_.SetDroppedDown(false);
  TEdit::Dispatch(m);
  // The edit is part of the box: the mouse over it is over the box.
  if ((m.Msg == CM_MOUSEENTER || m.Msg == CM_MOUSELEAVE) && m.LParam == reinterpret_cast<LPARAM>(this))
    combo_.Perform(m.Msg, 0, reinterpret_cast<LPARAM>(&combo_));
}

void TComboEdit::KeyDown(Word& key, TShiftState shift) {
  // The combo box's own handlers and events see the key first.
  combo_.KeyDown(key, shift);
  if (key == 0) return;
  TEdit::KeyDown(key, shift);
}

void TComboEdit::KeyPress(char& key) {
  combo_.KeyPress(key);
  if (key == 0) return;
  TEdit::KeyPress(key);
}

void TComboEdit::Change() {
  TEdit::Change();
  combo_.EditTextChanged();
}

// ---- TCustomComboBox ------------------------------------------------------------------

TCustomComboBox::TCustomComboBox(TComponent* AOwner)
    : TCustomControl(AOwner), items_(std::make_unique<TStringList>()) {
  SetTabStop(true);
  SetColor(clWindow);
  ControlStyle >> csClickEvents >> csDoubleClicks;
  SetBounds(0, 0, 145, 21);
  items_->OnChange = [this](TStrings*) { ItemsChanged(); };
  SetStyle(csDropDown);
}

TCustomComboBox::~TCustomComboBox() {
  Destroying();
  items_->OnChange = nullptr;
  delete list_;
  list_ = nullptr;
}

void TCustomComboBox::SetStyle(TComboBoxStyle s) {
  if (s == csSimple) s = csDropDown;  // the list always drops down here
  const bool wantsEdit = s == csDropDown;
  style_ = s;
  if (wantsEdit && !edit_) {
    edit_ = new TComboEdit(nullptr, *this);
    edit_->SetParent(this);
    edit_->SetFont(Font());
    PlaceEdit();
    if (itemIndex_ >= 0) edit_->SetText(items_->Get(itemIndex_));
  } else if (!wantsEdit && edit_) {
    TComboEdit* edit = edit_;
    edit_ = nullptr;
    delete edit;
  }
  Invalidate();
}

void TCustomComboBox::PlaceEdit() {
  if (!edit_) return;
  edit_->SetBounds(3, 3, std::max(0, Width() - ButtonAreaWidth() - 5), std::max(0, Height() - 6));
}

void TCustomComboBox::BoundsChanged() {
  TCustomControl::BoundsChanged();
  PlaceEdit();
}

int TCustomComboBox::ButtonAreaWidth() const { return kButtonWidth; }

TRect TCustomComboBox::ButtonRect() const {
  return Rect(Width() - 2 - ButtonAreaWidth(), 2, Width() - 2, Height() - 2);
}

int TCustomComboBox::ItemHeight() const {
  if (itemHeight_ > 0) return itemHeight_;
  TImageCanvas measure(1, 1);
  measure.Font->Assign(Font());
  return std::max(1, measure.TextHeight("Ag") + 2);
}

void TCustomComboBox::SetItemHeight(int h) {
  itemHeight_ = std::max(h, 0);
  Invalidate();
}

int TCustomComboBox::MaxLength() const { return edit_ ? edit_->MaxLength() : 0; }

void TCustomComboBox::SetMaxLength(int v) {
  if (edit_) edit_->SetMaxLength(v);
}

void TCustomComboBox::ItemsChanged() {
  if (itemIndex_ >= items_->Count()) itemIndex_ = -1;
  if (list_) {
    list_->Layout();
    list_->Invalidate();
  }
  Invalidate();
}

AnsiString TCustomComboBox::Text() const {
  if (edit_) return edit_->TControl::Text();
  return itemIndex_ >= 0 ? items_->Get(itemIndex_) : AnsiString();
}

void TCustomComboBox::SetText(const AnsiString& s) {
  if (edit_) {
    settingText_ = true;
    edit_->SetText(s);
    settingText_ = false;
    itemIndex_ = items_->IndexOf(s);
  } else {
    // A list-style box shows only its lines.
    itemIndex_ = items_->IndexOf(s);
  }
  TControl::SetText(s);
  Invalidate();
}

void TCustomComboBox::SetItemIndex(int index) {
  if (index < -1 || index >= items_->Count()) index = -1;
  itemIndex_ = index;
  const AnsiString text = index >= 0 ? items_->Get(index) : AnsiString();
  if (edit_) {
    settingText_ = true;
    edit_->SetText(text);
    edit_->SelectAll();
    settingText_ = false;
  }
  TControl::SetText(text);
  if (list_) list_->Highlight(index);
  Invalidate();
}

void TCustomComboBox::EditTextChanged() {
  if (settingText_) return;
  // Typing picks the line of that text, or none.
  itemIndex_ = items_->IndexOf(edit_->TControl::Text());
  TControl::SetText(edit_->TControl::Text());
  if (list_ && itemIndex_ >= 0) list_->Highlight(itemIndex_);
  Notify(CBN_EDITCHANGE);
  Change();
}

void TCustomComboBox::ChooseByUser(int index) {
  if (index < 0 || index >= items_->Count()) return;
  AnnounceChoice(TakeChoice(index));
}

void TCustomComboBox::CloseWithChoice(int index) {
  if (index < 0 || index >= items_->Count()) {
    SetDroppedDown(false);
    return;
  }
  // Whoever hears of the close-up reads the box: it already holds the line
  // chosen, and the choice itself is told after the list has gone.
  const bool changed = TakeChoice(index);
  SetDroppedDown(false);
  AnnounceChoice(changed);
}

bool TCustomComboBox::TakeChoice(int index) {
  const bool changed = index != itemIndex_ || Text() != items_->Get(index);
  SetItemIndex(index);
  SelectionChanged(index);
  return changed;
}

void TCustomComboBox::AnnounceChoice(bool changed) {
  Notify(CBN_SELCHANGE);
  if (changed) Change();
  Select();
}

void TCustomComboBox::Notify(Word code) {
  if (ComponentState().Contains(csDestroying) || !HandleAllocated()) return;
  TWinControl* parent = Parent();
  if (!parent || !parent->HandleAllocated() || parent->ComponentState().Contains(csDestroying)) return;
  SendMessage(parent->Handle(), WM_COMMAND, MAKEWPARAM(0, code), reinterpret_cast<LPARAM>(Handle()));
}

bool TCustomComboBox::IsOwnWindow(HWND wnd) {
  if (!wnd) return false;
  if (HandleAllocated() && wnd == Handle()) return true;
  return edit_ && edit_->HandleAllocated() && wnd == edit_->Handle();
}

void TCustomComboBox::FocusMoved(bool gained, HWND other) {
  // Passing the focus between the box and its edit is no news to the parent.
  if (!IsOwnWindow(other)) Notify(gained ? CBN_SETFOCUS : CBN_KILLFOCUS);
}

void TCustomComboBox::Change() {
  if (OnChange) OnChange(this);
}

void TCustomComboBox::Select() {
  if (OnSelect) OnSelect(this);
  if (OnClick) OnClick(this);
}

void TCustomComboBox::DropDown() {
  if (OnDropDown) OnDropDown(this);
}

void TCustomComboBox::CloseUp() {
  if (OnCloseUp) OnCloseUp(this);
}

bool TCustomComboBox::DroppedDown() const { return list_ && list_->Visible(); }

void TCustomComboBox::SetDroppedDown(bool v) {
  if (v == DroppedDown()) return;
  if (v) {
    Notify(CBN_DROPDOWN);
    DropDown();  // may fill the items
    list_ = new TComboListWindow(*this);
    const int count = std::max(1, std::min(items_->Count(), std::max(DropDownCount, 1)));
    const int width = std::max(DropDownWidth, Width());
    const int height = count * ItemHeight() + 2;
    TPoint at = ClientToScreen(Point(0, Height()));
    // A list that would pass the bottom of the screen opens upwards.
    const int sh = Screen ? Screen->Height() : 768;
    if (at.Y + height > sh) at.Y = ClientToScreen(Point(0, 0)).Y - height;
    list_->Popup(Bounds(at.X, at.Y, width, height));
    list_->Layout();
    list_->Highlight(itemIndex_);
    Invalidate();
    return;
  }
  TComboListWindow* list = list_;
  list_ = nullptr;
  list->SetVisible(false);
  // The list may be handling the message that closes it: it goes later.
  PostMessage(list->Handle(), CM_RELEASE, 0, 0);
  Invalidate();
  Notify(CBN_CLOSEUP);
  CloseUp();
}

bool TCustomComboBox::ComboKey(Word key, TShiftState shift) {
  const int count = items_->Count();
  if ((key == VK_DOWN || key == VK_UP) && shift.Contains(ssAlt)) {
    SetDroppedDown(!DroppedDown());
    return true;
  }
  if (key == VK_F4 && !shift.Contains(ssAlt)) {
    SetDroppedDown(!DroppedDown());
    return true;
  }
  if (DroppedDown()) {
    const int current = list_->Highlighted();
    const int page = std::max(1, list_->VisibleCount() - 1);
    switch (key) {
      case VK_RETURN:
        CloseWithChoice(current);
        return true;
      case VK_ESCAPE:
        SetDroppedDown(false);
        return true;
      case VK_DOWN:
        list_->Highlight(current < 0 ? 0 : current + 1);
        return true;
      case VK_UP:
        list_->Highlight(current < 0 ? 0 : std::max(0, current - 1));
        return true;
      case VK_NEXT:
        list_->Highlight(std::max(current, 0) + page);
        return true;
      case VK_PRIOR:
        list_->Highlight(std::max(0, current - page));
        return true;
      case VK_HOME:
        if (edit_) return false;
        list_->Highlight(0);
        return true;
      case VK_END:
        if (edit_) return false;
        list_->Highlight(count - 1);
        return true;
      default:
        return false;
    }
  }
  if (count == 0) return false;
  // Closed: the keys step through the lines at once.
  int target = -1;
  switch (key) {
    case VK_DOWN:
    case VK_RIGHT:
      if (edit_ && key == VK_RIGHT) return false;
      target = itemIndex_ + 1;
      break;
    case VK_UP:
    case VK_LEFT:
      if (edit_ && key == VK_LEFT) return false;
      target = std::max(0, itemIndex_ - 1);
      break;
    case VK_NEXT:
      target = itemIndex_ + DropDownCount - 1;
      break;
    case VK_PRIOR:
      target = itemIndex_ - DropDownCount + 1;
      break;
    case VK_HOME:
      if (edit_) return false;
      target = 0;
      break;
    case VK_END:
      if (edit_) return false;
      target = count - 1;
      break;
    default:
      return false;
  }
  target = std::clamp(target, 0, count - 1);
  if (target != itemIndex_) ChooseByUser(target);
  return true;
}

void TCustomComboBox::KeyDown(Word& key, TShiftState shift) {
  TCustomControl::KeyDown(key, shift);
  if (key != 0 && ComboKey(key, shift)) key = 0;
}

void TCustomComboBox::KeyPress(char& key) {
  TCustomControl::KeyPress(key);
  if (key == 0 || edit_) return;
  if (key == '\r' || key == '\x1b') {
    key = 0;
    return;
  }
  // A list-style box finds the next line starting with the character.
  if (static_cast<unsigned char>(key) >= ' ') {
    const int from = DroppedDown() ? list_->Highlighted() : itemIndex_;
    const int found = FindByFirstChar(*items_, from, key);
    if (found >= 0) {
      if (DroppedDown())
        list_->Highlight(found);
      else if (found != itemIndex_)
        ChooseByUser(found);
    }
    key = 0;
  }
}

void TCustomComboBox::MouseDown(TMouseButton button, TShiftState shift, int X, int Y) {
  if (button == mbLeft) {
    if (CanFocus() && !Focused()) SetFocus();
    // The list style drops down from anywhere on the field, the edit style
    // from its button.
    if (!edit_ || PtInRect(ButtonRect(), Point(X, Y))) SetDroppedDown(!DroppedDown());
  }
  TCustomControl::MouseDown(button, shift, X, Y);
}

bool TCustomComboBox::DoMouseWheelDown(TShiftState shift, TPoint) {
  if (!DroppedDown() && Focused()) ComboKey(VK_DOWN, shift - TShiftState{ssAlt});
  return true;
}

bool TCustomComboBox::DoMouseWheelUp(TShiftState shift, TPoint) {
  if (!DroppedDown() && Focused()) ComboKey(VK_UP, shift - TShiftState{ssAlt});
  return true;
}

bool TCustomComboBox::Focused() const { return TWinControl::Focused() || (edit_ && edit_->Focused()); }

void TCustomComboBox::SetFocus() {
  if (edit_ && edit_->HandleAllocated() && edit_->Focused() && GetKeyState(VK_TAB) >= 0) return;
  TWinControl::SetFocus();
}

void TCustomComboBox::Dispatch(TMessage& m) {
  switch (m.Msg) {
    case WM_GETDLGCODE:
      m.Result = DLGC_WANTARROWS | DLGC_WANTCHARS | (DroppedDown() ? DLGC_WANTALLKEYS : 0);
      return;
    case WM_SETFOCUS:
      FocusMoved(true, reinterpret_cast<HWND>(m.WParam));
      // The edit style types into its edit; Shift+Tab from the edit passes
      // over the box to the control before it.
      if (edit_ && edit_->CanFocus()) {
        if (edit_->HandleAllocated() && reinterpret_cast<HWND>(m.WParam) == edit_->Handle()) {
          if (TCustomForm* form = GetParentForm()) form->SelectNext(this, false, true);
        } else {
          edit_->SetFocus();
          edit_->SelectAll();
        }
      }
      Invalidate();
      break;
    case WM_KILLFOCUS:
    case CM_EXIT:
      if (m.Msg == WM_KILLFOCUS) FocusMoved(false, reinterpret_cast<HWND>(m.WParam));
      if (m.Msg == CM_EXIT) SetDroppedDown(false);
      Invalidate();
      break;
    case CM_FONTCHANGED:
      if (edit_) edit_->SetFont(Font());
      break;
    case CM_ENABLEDCHANGED:
      if (edit_) edit_->SetEnabled(Enabled());
      if (!Enabled()) SetDroppedDown(false);
      break;
    default:
      break;
  }
  TCustomControl::Dispatch(m);
}

void TCustomComboBox::DrawItem(TCanvas& c, int index, const TRect& r, TOwnerDrawState state) {
  paint::ItemColours(c, Font(), Color(), state.Contains(odSelected));
  if ((style_ == csOwnerDrawFixed || style_ == csOwnerDrawVariable) && OnDrawItem) {
    OnDrawItem(this, index, r, state);
    return;
  }
  c.FillRect(r);
  TRect text = r;
  text.Left += 2;
  c.Brush->Style = bsClear;
  if (!Enabled()) c.Font->Color = clGrayText;
  c.DrawText(items_->Get(index), text, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_LEFT);
}

void TCustomComboBox::Paint() {
  TCanvas& c = Canvas();
  TRect r = ClientRect();
  DrawEdge(c, r, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
  paint::Fill(c, r, Enabled() ? Color() : clBtnFace);
  TRect button = ButtonRect();
  DrawFrameControl(
      c, button, DFC_SCROLL,
      DFCS_SCROLLCOMBOBOX | (DroppedDown() ? DFCS_PUSHED | DFCS_FLAT : 0) | (Enabled() ? 0 : DFCS_INACTIVE));
  if (edit_) return;
  // The list style shows its line, highlighted while it has the focus.
  TRect field = Rect(r.Left + 1, r.Top + 1, button.Left - 1, r.Bottom - 1);
  TOwnerDrawState state;
  if (TWinControl::Focused() && !DroppedDown()) state << odSelected << odFocused;
  if (!Enabled()) state << odDisabled;
  if (itemIndex_ >= 0) {
    DrawItem(c, itemIndex_, field, state);
  } else if (state.Contains(odSelected)) {
    paint::Fill(c, field, clHighlight);
  }
  if (state.Contains(odFocused)) {
    c.Brush->Color = clHighlight;
    c.Font->Color = clHighlightText;
    paint::FocusRect(c, field);
  }
}
