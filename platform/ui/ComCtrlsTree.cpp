// The tree view: nodes laid out one a line under their parents, opened and
// closed by their buttons, a double click or the keyboard; the selection
// follows clicks and arrows and is announced through OnChange.

#include "platform/ui/ComCtrlsTree.h"

#include <algorithm>

#include "platform/gfx/FrameControls.h"
#include "platform/ui/ControlPaint.h"
#include "platform/ui/Input.h"

namespace paint = ui::paint;

// ---- nodes -----------------------------------------------------------------------

TTreeNode::TTreeNode(TTreeNodes& owner, TTreeNode* parent, const AnsiString& text)
    : owner_(owner), parent_(parent), text_(text) {}

void TTreeNode::SetText(const AnsiString& text) {
  text_ = text;
  owner_.Changed();
}

TTreeNode* TTreeNode::Item(int index) const {
  if (index < 0 || index >= Count()) throw EListError("List index out of bounds (" + IntToStr(index) + ")");
  return children_[static_cast<size_t>(index)].get();
}

int TTreeNode::Level() const {
  int level = 0;
  for (const TTreeNode* p = parent_; p != nullptr; p = p->parent_) ++level;
  return level;
}

int TTreeNode::Index() const {
  const auto& siblings = owner_.Siblings(parent_);
  for (size_t i = 0; i < siblings.size(); ++i)
    if (siblings[i].get() == this) return static_cast<int>(i);
  return -1;
}

int TTreeNode::AbsoluteIndex() const {
  int index = 0;
  for (const TTreeNode* n = owner_.GetFirstNode(); n != nullptr && n != this; n = n->GetNext()) ++index;
  return index;
}

TTreeNode* TTreeNode::GetNext() const {
  if (!children_.empty()) return children_.front().get();
  for (const TTreeNode* n = this; n != nullptr; n = n->parent_) {
    const auto& siblings = owner_.Siblings(n->parent_);
    const int at = n->Index();
    if (at + 1 < static_cast<int>(siblings.size())) return siblings[static_cast<size_t>(at + 1)].get();
  }
  return nullptr;
}

void TTreeNode::SetExpanded(bool expanded) {
  if (expanded == expanded_) return;
  expanded_ = expanded;
  owner_.Changed();
  TCustomTreeView& view = owner_.Owner();
  // A closed parent takes the selection from a child it hides.
  if (!expanded && view.selected_ != nullptr)
    for (const TTreeNode* p = view.selected_->parent_; p != nullptr; p = p->parent_)
      if (p == this) {
        view.SetSelected(this);
        break;
      }
  if (!HasChildren()) return;
  if (expanded && view.OnExpanded) view.OnExpanded(&view, this);
  if (!expanded && view.OnCollapsed) view.OnCollapsed(&view, this);
}

void TTreeNode::Expand(bool recurse) {
  SetExpanded(true);
  if (recurse)
    for (auto& child : children_) child->Expand(true);
}

void TTreeNode::Collapse(bool recurse) {
  if (recurse)
    for (auto& child : children_) child->Collapse(true);
  SetExpanded(false);
}

bool TTreeNode::Selected() const { return owner_.Owner().Selected() == this; }

bool TTreeNode::IsVisible() const {
  for (const TTreeNode* p = parent_; p != nullptr; p = p->parent_)
    if (!p->expanded_) return false;
  return true;
}

void TTreeNode::MakeVisible() {
  for (TTreeNode* p = parent_; p != nullptr; p = p->parent_) p->SetExpanded(true);
  TCustomTreeView& view = owner_.Owner();
  view.lines_.ScrollIntoView(view.RowOf(this));
}

TCustomTreeView* TTreeNode::TreeView() const { return &owner_.Owner(); }

// ---- the nodes of a view --------------------------------------------------------

std::vector<std::unique_ptr<TTreeNode>>& TTreeNodes::Siblings(TTreeNode* parent) {
  return parent != nullptr ? parent->children_ : top_;
}

TTreeNode* TTreeNodes::AddChild(TTreeNode* parent, const AnsiString& text) {
  auto& siblings = Siblings(parent);
  siblings.push_back(std::make_unique<TTreeNode>(*this, parent, text));
  TTreeNode* node = siblings.back().get();
  Changed();
  return node;
}

TTreeNode* TTreeNodes::Add(TTreeNode* sibling, const AnsiString& text) {
  return AddChild(sibling != nullptr ? sibling->parent_ : nullptr, text);
}

void TTreeNodes::Delete(TTreeNode* node) {
  if (node == nullptr) return;
  auto& siblings = Siblings(node->parent_);
  const auto found = std::find_if(siblings.begin(), siblings.end(),
                                  [node](const std::unique_ptr<TTreeNode>& n) { return n.get() == node; });
  if (found == siblings.end()) return;
  owner_.NodeFreed(node);
  siblings.erase(found);
  Changed();
}

void TTreeNodes::Clear() {
  if (top_.empty()) return;
  owner_.NodeFreed(nullptr);
  top_.clear();
  Changed();
}

int TTreeNodes::Count() const {
  int count = 0;
  for (const TTreeNode* n = GetFirstNode(); n != nullptr; n = n->GetNext()) ++count;
  return count;
}

TTreeNode* TTreeNodes::Item(int index) const {
  TTreeNode* n = GetFirstNode();
  for (int i = 0; n != nullptr && i < index; ++i) n = n->GetNext();
  if (index < 0 || n == nullptr) throw EListError("List index out of bounds (" + IntToStr(index) + ")");
  return n;
}

void TTreeNodes::BeginUpdate() { ++updating_; }

void TTreeNodes::EndUpdate() {
  if (updating_ > 0 && --updating_ == 0) Changed();
}

void TTreeNodes::Changed() {
  owner_.rowsStale_ = true;
  if (updating_ == 0) owner_.NodesChanged();
}

// ---- the view ---------------------------------------------------------------------

TCustomTreeView::TCustomTreeView(TComponent* AOwner)
    : TCustomControl(AOwner),
      lines_(
          this, [this] { return static_cast<int>(Rows().size()); }, [this] { return LineHeight(); },
          [this] { return borderStyle_ == bsNone ? ClientRect() : InflateRect(ClientRect(), -2, -2); }) {
  SetTabStop(true);
  SetColor(clWindow);
  SetBounds(0, 0, 121, 97);
  // OnClick is a click, the selection has OnChange.
  ControlStyle >> csClickEvents;
}

TCustomTreeView::~TCustomTreeView() {
  Destroying();
  OnChange = nullptr;
  nodes_.top_.clear();
}

void TCustomTreeView::SetBorderStyle(TBorderStyle border) {
  borderStyle_ = border;
  NodesChanged();
}

const std::vector<TTreeNode*>& TCustomTreeView::Rows() const {
  if (rowsStale_) {
    rows_.clear();
    for (TTreeNode* n = nodes_.GetFirstNode(); n != nullptr; n = n->GetNext())
      if (n->IsVisible()) rows_.push_back(n);
    rowsStale_ = false;
  }
  return rows_;
}

int TCustomTreeView::RowOf(const TTreeNode* node) const {
  const auto& rows = Rows();
  const auto found = std::find(rows.begin(), rows.end(), node);
  return found == rows.end() ? -1 : static_cast<int>(found - rows.begin());
}

int TCustomTreeView::LineHeight() const {
  TImageCanvas measure(1, 1);
  measure.Font->Assign(Font());
  return std::max(16, measure.TextHeight("Ag") + 2);
}

int TCustomTreeView::ButtonLeft(const TTreeNode* node) const {
  return lines_.Area().Left + 2 + (node->Level() + (ShowRoot ? 1 : 0)) * Indent - Indent;
}

void TCustomTreeView::NodesChanged() {
  lines_.Update();
  Invalidate();
}

void TCustomTreeView::NodeFreed(TTreeNode* node) {
  // The selection goes with the node that holds it or holds its parent.
  for (const TTreeNode* s = selected_; s != nullptr; s = s->Parent())
    if (node == nullptr || s == node) {
      selected_ = nullptr;
      if (OnChange && !ComponentState().Contains(csDestroying)) OnChange(this, nullptr);
      break;
    }
  rowsStale_ = true;
}

void TCustomTreeView::SetSelected(TTreeNode* node) {
  if (node == selected_) return;
  selected_ = node;
  if (node != nullptr) node->MakeVisible();
  Invalidate();
  if (OnChange) OnChange(this, node);
}

TTreeNode* TCustomTreeView::GetNodeAt(int, int y) const {
  const TRect area = lines_.Area();
  if (y < area.Top || y >= area.Bottom) return nullptr;
  const int row = lines_.RowAt(y);
  const auto& rows = Rows();
  return row >= 0 && row < static_cast<int>(rows.size()) ? rows[static_cast<size_t>(row)] : nullptr;
}

TRect TCustomTreeView::NodeRect(const TTreeNode* node) const {
  const int row = RowOf(node);
  return row < 0 ? TRect{} : lines_.LineRect(row);
}

void TCustomTreeView::FullExpand() {
  nodes_.BeginUpdate();
  for (auto& n : nodes_.top_) n->Expand(true);
  nodes_.EndUpdate();
}

void TCustomTreeView::FullCollapse() {
  nodes_.BeginUpdate();
  for (auto& n : nodes_.top_) n->Collapse(true);
  nodes_.EndUpdate();
}

void TCustomTreeView::Toggle(TTreeNode* node) {
  if (node != nullptr && node->HasChildren()) node->SetExpanded(!node->Expanded());
}

void TCustomTreeView::KeyDown(Word& key, TShiftState shift) {
  TCustomControl::KeyDown(key, shift);
  const auto& rows = Rows();
  if (rows.empty()) return;
  const int count = static_cast<int>(rows.size());
  const int current = std::max(RowOf(selected_), 0);
  const int page = std::max(1, lines_.VisibleCount() - 1);
  int target = -1;
  switch (key) {
    case VK_UP:
      target = selected_ == nullptr ? 0 : current - 1;
      break;
    case VK_DOWN:
      target = selected_ == nullptr ? 0 : current + 1;
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
      target = count - 1;
      break;
    case VK_LEFT:
      // An open node closes; a closed one or a leaf goes to its parent.
      if (selected_ == nullptr) return;
      if (selected_->Expanded() && selected_->HasChildren())
        selected_->SetExpanded(false);
      else if (selected_->Parent() != nullptr)
        SetSelected(selected_->Parent());
      key = 0;
      return;
    case VK_RIGHT:
      // A closed node opens; an open one goes to its first child.
      if (selected_ == nullptr || !selected_->HasChildren()) return;
      if (!selected_->Expanded())
        selected_->SetExpanded(true);
      else
        SetSelected(selected_->Item(0));
      key = 0;
      return;
    case VK_ADD:
    case VK_SUBTRACT:
      if (selected_ != nullptr) selected_->SetExpanded(key == VK_ADD);
      key = 0;
      return;
    default:
      return;
  }
  TTreeNode* node = rows[static_cast<size_t>(std::clamp(target, 0, count - 1))];
  SetSelected(node);
  lines_.ScrollIntoView(RowOf(node));
  key = 0;
}

void TCustomTreeView::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  if (button == mbLeft) {
    if (CanFocus() && !Focused()) SetFocus();
    if (TTreeNode* node = GetNodeAt(x, y)) {
      const int left = ButtonLeft(node);
      // The button opens or closes; anywhere else on the line selects.
      if (ShowButtons && node->HasChildren() && x >= left && x < left + Indent)
        Toggle(node);
      else
        SetSelected(node);
    }
  }
  TCustomControl::MouseDown(button, shift, x, y);
}

bool TCustomTreeView::DoMouseWheelDown(TShiftState, TPoint) {
  lines_.Wheel(1);
  return true;
}

bool TCustomTreeView::DoMouseWheelUp(TShiftState, TPoint) {
  lines_.Wheel(-1);
  return true;
}

void TCustomTreeView::Dispatch(TMessage& m) {
  if (lines_.ListMessage(m)) return;
  switch (m.Msg) {
    case WM_GETDLGCODE:
      m.Result = DLGC_WANTARROWS;
      return;
    case WM_LBUTTONDBLCLK:
      Toggle(GetNodeAt(GET_X_LPARAM(m.LParam), GET_Y_LPARAM(m.LParam)));
      DblClick();
      break;
    default:
      break;
  }
  TCustomControl::Dispatch(m);
}

void TCustomTreeView::Paint() {
  lines_.PaintList(Canvas(), borderStyle_ == bsNone, Color(), [this] {
    TCanvas& c = Canvas();
    const auto& rows = Rows();
    const int last = std::min(static_cast<int>(rows.size()), lines_.Top() + lines_.VisibleCount() + 1);
    for (int row = lines_.Top(); row < last; ++row) {
      const TTreeNode* node = rows[static_cast<size_t>(row)];
      const TRect line = lines_.LineRect(row);
      const int left = ButtonLeft(node);
      c.Font->Assign(Font());
      if (ShowButtons && node->HasChildren()) {
        // A small box with a minus when open, a plus when closed.
        const int cx = left + Indent / 2, cy = (line.Top + line.Bottom) / 2;
        c.Pen->Color = clGrayText;
        c.Brush->Style = bsSolid;
        c.Brush->Color = Color();
        c.Rectangle(cx - 4, cy - 4, cx + 5, cy + 5);
        c.Pen->Color = clWindowText;
        c.MoveTo(cx - 2, cy);
        c.LineTo(cx + 3, cy);
        if (!node->Expanded()) {
          c.MoveTo(cx, cy - 2);
          c.LineTo(cx, cy + 3);
        }
      }
      const int textLeft = left + Indent;
      const int textWidth = c.TextWidth(node->Text()) + 4;
      const TRect text{textLeft, line.Top, std::min(textLeft + textWidth, line.Right), line.Bottom};
      const bool marked = node == selected_ && (Focused() || !HideSelection);
      c.Brush->Style = bsSolid;
      c.Brush->Color = marked ? (Focused() ? clHighlight : clBtnFace) : Color();
      c.Font->Color = marked && Focused() ? clHighlightText : Font().Color;
      c.FillRect(text);
      TRect inner = text;
      inner.Left += 2;
      c.Brush->Style = bsClear;
      c.DrawText(node->Text(), inner, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_LEFT);
      if (node == selected_ && Focused()) paint::FocusRect(c, text);
    }
  });
}
