#include "grid/ExtPanelGroup.h"

#include <algorithm>

TExtPanelGroup::TExtPanelGroup(TComponent* AOwner) : TExtPanel(AOwner) {
  scrollBar_ = new TScrollBar(this);
  scrollBar_->SetKind(sbVertical);
  scrollBar_->SetAlign(alRight);
  scrollBar_->SetWidth(kScrollBarSize);
  scrollBar_->SetPosition(0);
  scrollBar_->LargeChange = 20;
  scrollBar_->SmallChange = 2;
  scrollBar_->SetTabStop(false);
  scrollBar_->SetVisible(false);
  scrollBar_->SetParent(this);
  scrollBar_->OnChange = [this](TObject*) {
    const int last = scrollBar_->Max() - scrollBar_->PageSize();
    if (scrollBar_->Position() > last) scrollBar_->SetPosition(std::max(last, scrollBar_->Min()));
    ArrangeControls();
  };
}

TExtPanelGroup::~TExtPanelGroup() = default;

void TExtPanelGroup::SetGroupStyle(TGroupStyle v) {
  if (v == groupStyle_) return;
  groupStyle_ = v;
  Rearrange();
}

void TExtPanelGroup::SetHorzPadding(int v) {
  if (v == horzPadding_) return;
  horzPadding_ = v;
  ArrangeControls();
}

void TExtPanelGroup::SetVertPadding(int v) {
  if (v == vertPadding_) return;
  vertPadding_ = v;
  ArrangeControls();
}

void TExtPanelGroup::Rearrange() {
  // The members' moves while the group places them ask for nothing more.
  if (busy_) return;
  UpdateScrollBar();
  ArrangeControls();
}

void TExtPanelGroup::PlaceDesignedPanel(TExtPanel& Panel) {
  if (groupStyle_ == gsVertical)
    Panel.SetBounds(horzPadding_, std::max(vertPadding_, Panel.Top()), Width() - 2 * horzPadding_,
                    Panel.Height());
  else
    Panel.SetBounds(std::max(horzPadding_, Panel.Left()), vertPadding_, Panel.Width(),
                    Height() - 2 * vertPadding_);
}

void TExtPanelGroup::Loaded() {
  TExtPanel::Loaded();
  Rearrange();
}

void TExtPanelGroup::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  TExtPanel::SetBounds(ALeft, ATop, AWidth, AHeight);
  ArrangeControls();
}

void TExtPanelGroup::Dispatch(TMessage& m) {
  TExtPanel::Dispatch(m);
  if (m.Msg == WM_SIZE) UpdateScrollBar();
}

std::vector<TExtPanel*> TExtPanelGroup::Members() const {
  std::vector<TExtPanel*> panels;
  for (int i = 0; i < ControlCount(); ++i)
    if (auto* panel = dynamic_cast<TExtPanel*>(Controls(i))) panels.push_back(panel);
  const bool vertical = groupStyle_ == gsVertical;
  std::stable_sort(panels.begin(), panels.end(), [vertical](const TExtPanel* a, const TExtPanel* b) {
    return vertical ? a->Top() < b->Top() : a->Left() < b->Left();
  });
  return panels;
}

void TExtPanelGroup::ArrangeControls() {
  if (busy_ || ComponentState().Contains(csLoading) || !scrollBar_) return;
  busy_ = true;
  const bool bar = scrollBar_->Visible();
  const int scroll = bar ? scrollBar_->Position() : 0;
  if (groupStyle_ == gsVertical) {
    int y = vertPadding_ - scroll;
    const int width = Width() - 2 * horzPadding_ - (bar ? scrollBar_->Width() : 0);
    for (TExtPanel* panel : Members()) {
      panel->SetBounds(horzPadding_, y, width, panel->Height());
      if (panel->Visible()) y += panel->Height() + vertPadding_;
    }
  } else {
    int x = horzPadding_ - scroll;
    const int height = Height() - 2 * vertPadding_ - (bar ? scrollBar_->Height() : 0);
    for (TExtPanel* panel : Members()) {
      panel->SetBounds(x, vertPadding_, panel->Width(), height);
      if (panel->Visible()) x += panel->Width() + horzPadding_;
    }
  }
  busy_ = false;
}

void TExtPanelGroup::UpdateScrollBar() {
  if (!scrollBar_) return;
  const bool vertical = groupStyle_ == gsVertical;
  scrollBar_->SetKind(vertical ? sbVertical : sbHorizontal);
  scrollBar_->SetAlign(vertical ? alRight : alBottom);
  if (vertical)
    scrollBar_->SetWidth(kScrollBarSize);
  else
    scrollBar_->SetHeight(kScrollBarSize);
  const int padding = vertical ? vertPadding_ : horzPadding_;
  int total = padding;
  for (TExtPanel* panel : Members())
    if (panel->Visible()) total += (vertical ? panel->Height() : panel->Width()) + padding;
  const int room = vertical ? Height() : Width();
  if (total > room && total >= 1) {
    if (scrollBar_->Position() > total) scrollBar_->SetPosition(total);
    scrollBar_->SetPageSize(room);
    scrollBar_->SetMax(total);
  }
  scrollBar_->SetVisible(total > room);
  scrollBar_->Invalidate();
}
