// The list box: lines drawn by the control or by OnDrawItem, single or
// multiple selection by keyboard and mouse, scrolled by the wheel.

#include <algorithm>

#include "platform/ui/ControlPaint.h"
#include "platform/ui/Input.h"
#include "platform/ui/StdCtrls.h"

namespace paint = ui::paint;

namespace {
TRect InsideBorder(const TRect& client, TBorderStyle border) {
  return border == bsNone ? client : InflateRect(client, -2, -2);
}
}  // namespace

TCustomListBox::TCustomListBox(TComponent* AOwner)
    : TCustomControl(AOwner),
      items_(std::make_unique<TStringList>()),
      lines_(
          this, [this] { return items_->Count(); }, [this] { return ItemHeight(); },
          [this] { return InsideBorder(ClientRect(), borderStyle_); }) {
  SetTabStop(true);
  SetColor(clWindow);
  SetBounds(0, 0, 121, 97);
  // OnClick means a change of selection, not a release of the mouse.
  ControlStyle >> csClickEvents;
  items_->OnChange = [this](TStrings*) { ItemsChanged(); };
}

TCustomListBox::~TCustomListBox() {
  Destroying();
  items_->OnChange = nullptr;
}

void TCustomListBox::ItemsChanged() {
  const int count = items_->Count();
  selected_.resize(static_cast<size_t>(count), false);
  if (itemIndex_ >= count) itemIndex_ = -1;
  if (anchor_ >= count) anchor_ = itemIndex_;
  lines_.Update();
  Invalidate();
}

int TCustomListBox::ItemHeight() const {
  if (itemHeight_ > 0) return itemHeight_;
  TImageCanvas measure(1, 1);
  measure.Font->Assign(Font());
  return std::max(1, measure.TextHeight("Ag"));
}

void TCustomListBox::SetItemHeight(int h) {
  itemHeight_ = std::max(h, 0);
  lines_.Update();
  Invalidate();
}

bool TCustomListBox::Sorted() const { return items_->Sorted(); }

void TCustomListBox::SetSorted(bool v) {
  items_->SetSorted(v);
  Invalidate();
}

void TCustomListBox::SetMultiSelect(bool v) {
  if (v == multiSelect_) return;
  multiSelect_ = v;
  std::fill(selected_.begin(), selected_.end(), false);
  if (itemIndex_ >= 0 && v) selected_[static_cast<size_t>(itemIndex_)] = true;
  Invalidate();
}

void TCustomListBox::SetBorderStyle(TBorderStyle b) {
  borderStyle_ = b;
  lines_.Update();
  Invalidate();
}

TRect TCustomListBox::ItemArea() const { return lines_.Area(); }

int TCustomListBox::VisibleCount() const { return lines_.VisibleCount(); }

void TCustomListBox::SetTopIndex(int index) { lines_.SetTop(index); }

void TCustomListBox::SetItemIndex(int index) {
  if (index < -1 || index >= items_->Count()) index = -1;
  if (!multiSelect_ || index < 0) std::fill(selected_.begin(), selected_.end(), false);
  itemIndex_ = index;
  anchor_ = index;
  if (index >= 0) {
    selected_[static_cast<size_t>(index)] = true;
    lines_.ScrollIntoView(index);
  }
  Invalidate();
}

bool TCustomListBox::Selected(int index) const {
  if (index < 0 || index >= items_->Count())
    throw EListError("List index out of bounds (" + IntToStr(index) + ")");
  return multiSelect_ ? selected_[static_cast<size_t>(index)] : index == itemIndex_;
}

void TCustomListBox::SetSelected(int index, bool v) {
  if (index < 0 || index >= items_->Count())
    throw EListError("List index out of bounds (" + IntToStr(index) + ")");
  if (!multiSelect_) {
    if (v)
      SetItemIndex(index);
    else if (index == itemIndex_)
      SetItemIndex(-1);
    return;
  }
  selected_[static_cast<size_t>(index)] = v;
  Invalidate();
}

int TCustomListBox::SelCount() const {
  if (!multiSelect_) return -1;
  return static_cast<int>(std::count(selected_.begin(), selected_.end(), true));
}

void TCustomListBox::ClearSelection() {
  if (!multiSelect_) {
    SetItemIndex(-1);
    return;
  }
  std::fill(selected_.begin(), selected_.end(), false);
  Invalidate();
}

void TCustomListBox::SelectAll() {
  if (!multiSelect_) return;
  std::fill(selected_.begin(), selected_.end(), true);
  Invalidate();
}

int TCustomListBox::ItemAtPos(TPoint pos, bool existing) const {
  const int count = items_->Count();
  if (pos.Y < ItemArea().Top) return existing && lines_.Top() >= count ? -1 : lines_.Top();
  const int index = lines_.RowAt(pos.Y);
  if (index < count) return index;
  return existing ? -1 : count;
}

TRect TCustomListBox::ItemRect(int index) const { return lines_.LineRect(index); }

void TCustomListBox::SelectRange(int from, int to) {
  std::fill(selected_.begin(), selected_.end(), false);
  if (from < 0) from = to;
  for (int i = std::min(from, to); i <= std::max(from, to); ++i) selected_[static_cast<size_t>(i)] = true;
}

void TCustomListBox::MoveTo(int index, TShiftState shift, bool toggle) {
  const int count = items_->Count();
  if (count == 0) return;
  index = std::clamp(index, 0, count - 1);
  const auto before = selected_;
  const int oldIndex = itemIndex_;
  itemIndex_ = index;
  if (!multiSelect_) {
    std::fill(selected_.begin(), selected_.end(), false);
    selected_[static_cast<size_t>(index)] = true;
    anchor_ = index;
  } else if (toggle) {
    selected_[static_cast<size_t>(index)] = !selected_[static_cast<size_t>(index)];
    anchor_ = index;
  } else if (ExtendedSelect && shift.Contains(ssShift)) {
    SelectRange(anchor_, index);
  } else if (ExtendedSelect && shift.Contains(ssCtrl)) {
    // Ctrl moves the focus line alone.
  } else if (ExtendedSelect) {
    SelectRange(index, index);
    anchor_ = index;
  }
  lines_.ScrollIntoView(index);
  Invalidate();
  if (before != selected_ || oldIndex != itemIndex_) Click();
}

void TCustomListBox::KeyDown(Word& key, TShiftState shift) {
  TCustomControl::KeyDown(key, shift);
  if (items_->Count() == 0) return;
  const int page = std::max(1, VisibleCount() - 1);
  const int current = std::max(itemIndex_, 0);
  int target = -1;
  switch (key) {
    case VK_UP:
    case VK_LEFT:
      target = itemIndex_ < 0 ? 0 : current - 1;
      break;
    case VK_DOWN:
    case VK_RIGHT:
      target = itemIndex_ < 0 ? 0 : current + 1;
      break;
    case VK_PRIOR:
      target = current - page;
      break;
    case VK_NEXT:
      target = current + page;
      break;
    case VK_HOME:
      target = 0;
      break;
    case VK_END:
      target = items_->Count() - 1;
      break;
    case VK_SPACE:
      if (multiSelect_ && (!ExtendedSelect || shift.Contains(ssCtrl)) && itemIndex_ >= 0) {
        MoveTo(itemIndex_, shift, true);
        key = 0;
      }
      return;
    default:
      return;
  }
  MoveTo(target, shift, false);
  key = 0;
}

void TCustomListBox::KeyPress(char& key) {
  TCustomControl::KeyPress(key);
  if (static_cast<unsigned char>(key) < ' ' || items_->Count() == 0) return;
  // A typed character moves to the next line starting with it, wrapping.
  if (const int found = FindByFirstChar(*items_, itemIndex_, key); found >= 0) MoveTo(found, {}, false);
  key = 0;
}

void TCustomListBox::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  if (button == mbLeft) {
    if (CanFocus() && !Focused()) SetFocus();
    const int index = ItemAtPos(Point(x, y), true);
    if (index >= 0) {
      const bool toggle = multiSelect_ && (!ExtendedSelect || shift.Contains(ssCtrl));
      MoveTo(index, shift, toggle);
      dragging_ = !toggle;
    }
  }
  TCustomControl::MouseDown(button, shift, x, y);
}

void TCustomListBox::MouseMove(TShiftState shift, int x, int y) {
  if (dragging_ && MouseCapture()) {
    // Dragging past the top or bottom scrolls one line at a time.
    const TRect area = ItemArea();
    int index = ItemAtPos(Point(x, y), false);
    if (y < area.Top) index = lines_.Top() - 1;
    if (index >= 0 && index < items_->Count() + 1)
      MoveTo(index, multiSelect_ ? TShiftState{ssShift} : TShiftState{}, false);
  } else {
    dragging_ = false;
  }
  TCustomControl::MouseMove(shift, x, y);
}

bool TCustomListBox::DoMouseWheelDown(TShiftState, TPoint) {
  lines_.Wheel(1);
  return true;
}

bool TCustomListBox::DoMouseWheelUp(TShiftState, TPoint) {
  lines_.Wheel(-1);
  return true;
}

void TCustomListBox::Dispatch(TMessage& m) {
  if (lines_.ListMessage(m)) return;
  switch (m.Msg) {
    case WM_GETDLGCODE:
      m.Result = DLGC_WANTARROWS | DLGC_WANTCHARS;
      return;
    case WM_LBUTTONUP:
      dragging_ = false;
      break;
    case WM_LBUTTONDBLCLK:
      DblClick();
      break;
    default:
      break;
  }
  TCustomControl::Dispatch(m);
}

void TCustomListBox::Paint() {
  lines_.PaintList(Canvas(), borderStyle_ == bsNone, Color(), [this] {
    TCanvas& c = Canvas();
    const int last = std::min(items_->Count(), lines_.Top() + VisibleCount() + 1);
    for (int i = lines_.Top(); i < last; ++i) {
      TOwnerDrawState state;
      if (Selected(i)) state << odSelected;
      if (!Enabled()) state << odDisabled;
      if (i == itemIndex_ && Focused()) state << odFocused;
      const TRect r = ItemRect(i);
      paint::ItemColours(c, Font(), Color(), state.Contains(odSelected));
      DrawItem(i, r, state);
      if (state.Contains(odFocused)) paint::FocusRect(c, r);
    }
    if (itemIndex_ < 0 && Focused() && items_->Count() == 0) {
      c.Brush->Color = Color();
      paint::FocusRect(c, ItemRect(0));
    }
  });
}

void TCustomListBox::DrawItem(int index, const TRect& r, TOwnerDrawState state) {
  if (Style != lbStandard && OnDrawItem) {
    OnDrawItem(this, index, r, state);
    return;
  }
  TCanvas& c = Canvas();
  c.FillRect(r);
  TRect text = r;
  text.Left += 2;
  c.Brush->Style = bsClear;
  c.DrawText(items_->Get(index), text, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_LEFT);
}
