// Tool bars with their buttons, and page controls with their tab sheets.

#include <algorithm>

#include "platform/ui/ComCtrls.h"
#include "platform/ui/ControlPaint.h"
#include "platform/ui/Menus.h"

namespace paint = ui::paint;

// ---- TToolButton ------------------------------------------------------------------------

TToolButton::TToolButton(TComponent* AOwner) : TGraphicControl(AOwner) {
  SetBounds(0, 0, 23, 22);
  ControlStyle = {csCaptureMouse};
}

TToolBar* TToolButton::ToolBar() const { return dynamic_cast<TToolBar*>(Parent()); }

void TToolButton::SetStyle(TToolButtonStyle s) {
  style_ = s;
  if (TToolBar* bar = ToolBar()) bar->ArrangeButtons();
  Invalidate();
}

void TToolButton::SetImageIndex(int i) {
  imageIndex_ = i;
  Invalidate();
}

void TToolButton::SetDown(bool v) {
  if (style_ != tbsCheck) v = false;
  if (v == down_) return;
  if (!v && Grouped && !AllowAllUp) {
    // The down button of a group comes up only when another goes down.
    bool another = false;
    if (TWinControl* parent = Parent())
      for (int i = 0; i < parent->ControlCount(); ++i)
        if (auto* b = dynamic_cast<TToolButton*>(parent->Controls(i));
            b && b != this && b->Grouped && b->down_)
          another = true;
    if (!another) return;
  }
  down_ = v;
  Invalidate();
  if (!v || !Grouped || !Parent()) return;
  // The grouped neighbours: the run of grouped check buttons around this one.
  TToolBar* bar = ToolBar();
  if (!bar) return;
  const int count = bar->ButtonCount();
  int self = 0;
  while (self < count && bar->Buttons(self) != this) ++self;
  for (int direction : {-1, 1})
    for (int i = self + direction; i >= 0 && i < count; i += direction) {
      TToolButton* b = bar->Buttons(i);
      if (!b->Grouped || b->style_ != tbsCheck) break;
      if (b->down_) {
        b->down_ = false;
        b->Invalidate();
      }
    }
}

void TToolButton::Click() {
  if (style_ == tbsSeparator || style_ == tbsDivider) return;
  TGraphicControl::Click();
}

void TToolButton::MouseDown(TMouseButton button, TShiftState shift, int X, int Y) {
  TGraphicControl::MouseDown(button, shift, X, Y);
  if (button != mbLeft || !Enabled() || style_ == tbsSeparator || style_ == tbsDivider) return;
  pressed_ = true;
  Invalidate();
}

void TToolButton::MouseMove(TShiftState shift, int X, int Y) {
  TGraphicControl::MouseMove(shift, X, Y);
  if (!pressed_) return;
  const bool inside = PtInRect(ClientRect(), Point(X, Y));
  if (inside != hot_) {
    hot_ = inside;
    Invalidate();
  }
}

void TToolButton::MouseUp(TMouseButton button, TShiftState shift, int X, int Y) {
  TGraphicControl::MouseUp(button, shift, X, Y);
  if (button != mbLeft || !pressed_) return;
  pressed_ = false;
  Invalidate();
  if (!PtInRect(ClientRect(), Point(X, Y))) return;
  if (style_ == tbsCheck) SetDown(!down_);
  Click();
}

void TToolButton::Dispatch(TMessage& m) {
  if (m.Msg == CM_MOUSEENTER || m.Msg == CM_MOUSELEAVE) {
    hot_ = m.Msg == CM_MOUSEENTER;
    Invalidate();
  }
  TGraphicControl::Dispatch(m);
}

void TToolButton::Paint() {
  TCanvas& c = Canvas();
  TRect r = ClientRect();
  if (style_ == tbsSeparator) return;
  if (style_ == tbsDivider) {
    TRect line = Rect(r.Width() / 2 - 1, r.Top, r.Width() / 2 + 1, r.Bottom);
    DrawEdge(c, line, EDGE_ETCHED, BF_LEFT);
    return;
  }
  TToolBar* bar = ToolBar();
  const bool flat = bar && bar->Flat();
  const bool pushed = (pressed_ && hot_) || down_;
  if (down_ && !pressed_) paint::Fill(c, InflateRect(r, -1, -1), cl3DLight);
  if (flat) {
    if (pushed)
      DrawEdge(c, r, BDR_SUNKENOUTER, BF_RECT);
    else if (hot_ && Enabled())
      DrawEdge(c, r, BDR_RAISEDINNER, BF_RECT);
  } else {
    TRect face = r;
    DrawFrameControl(c, face, DFC_BUTTON,
                     DFCS_BUTTONPUSH | (pushed ? DFCS_PUSHED : 0) | (down_ ? DFCS_CHECKED : 0));
    if (down_ && !pressed_) paint::Fill(c, InflateRect(r, -2, -2), cl3DLight);
  }
  const int shift = pushed ? 1 : 0;
  TCustomImageList* images = bar ? bar->Images() : nullptr;
  const bool captions = bar && bar->ShowCaptions();
  int imageBottom = r.Top;
  if (images && imageIndex_ >= 0 && imageIndex_ < images->Count()) {
    const int x = (r.Width() - images->Width()) / 2 + shift;
    const int y = captions ? 3 + shift : (r.Height() - images->Height()) / 2 + shift;
    images->Draw(c, x, y, imageIndex_, Enabled());
    imageBottom = y + images->Height();
  }
  if (captions && !Caption().empty()) {
    c.Font->Assign(Font());
    TRect text = Rect(r.Left + 2 + shift, imageBottom + 1, r.Right - 2 + shift, r.Bottom - 2 + shift);
    paint::Caption(c, Caption(), text, DT_CENTER | DT_SINGLELINE | DT_VCENTER, Enabled());
  }
}

// ---- TToolBar -----------------------------------------------------------------------------

TToolBar::TToolBar(TComponent* AOwner) : TCustomControl(AOwner) {
  ControlStyle << csAcceptsControls;
  SetBounds(0, 0, 150, 29);
  SetAlign(alTop);
}

TToolBar::~TToolBar() {
  Destroying();
  if (images_) images_->RemoveFreeNotification(this);
}

void TToolBar::Notification(TComponent* AComponent, TOperation Operation) {
  TCustomControl::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == images_) images_ = nullptr;
}

void TToolBar::SetImages(TCustomImageList* list) {
  if (images_) images_->RemoveFreeNotification(this);
  images_ = list;
  if (list) list->FreeNotification(this);
  Invalidate();
}

void TToolBar::SetButtonSize(int width, int height) {
  buttonWidth_ = std::max(width, 1);
  buttonHeight_ = std::max(height, 1);
  ArrangeButtons();
}

void TToolBar::SetFlat(bool v) {
  flat_ = v;
  Invalidate();
}

void TToolBar::SetShowCaptions(bool v) {
  showCaptions_ = v;
  ArrangeButtons();
}

int TToolBar::ButtonCount() const {
  int n = 0;
  for (int i = 0; i < ControlCount(); ++i)
    if (dynamic_cast<TToolButton*>(Controls(i))) ++n;
  return n;
}

TToolButton* TToolBar::Buttons(int index) const {
  for (int i = 0; i < ControlCount(); ++i)
    if (auto* b = dynamic_cast<TToolButton*>(Controls(i)); b && index-- == 0) return b;
  return nullptr;
}

void TToolBar::ArrangeButtons() {
  if (arranging_) return;
  arranging_ = true;
  int x = 0;
  // Other controls on the bar (check boxes, edits) take their own width in
  // the row, centred on the buttons' height.
  for (int i = 0; i < ControlCount(); ++i) {
    TControl* c = Controls(i);
    if (!c->Visible()) continue;
    auto* b = dynamic_cast<TToolButton*>(c);
    if (b == nullptr) {
      c->SetBounds(x, 2 + std::max(0, (buttonHeight_ - c->Height()) / 2), c->Width(), c->Height());
      x += c->Width();
      continue;
    }
    const int w = b->Style() == tbsSeparator || b->Style() == tbsDivider ? 8 : buttonWidth_;
    b->SetBounds(x, 2, w, buttonHeight_);
    x += w;
  }
  arranging_ = false;
  Invalidate();
}

void TToolBar::AlignControls(TControl* AControl, TRect& r) {
  TCustomControl::AlignControls(AControl, r);
  ArrangeButtons();
}

void TToolBar::Paint() {
  TCanvas& c = Canvas();
  paint::Fill(c, ClientRect(), Color());
  TRect r = ClientRect();
  DrawEdge(c, r, EDGE_ETCHED, BF_TOP);
}

// ---- TTabSheet ----------------------------------------------------------------------------

TTabSheet::TTabSheet(TComponent* AOwner) : TCustomControl(AOwner) {
  ControlStyle << csAcceptsControls;
  SetVisibleFlag(false);
}

TTabSheet::~TTabSheet() {
  Destroying();
  SetPageControl(nullptr);
}

void TTabSheet::SetPageControl(TPageControl* p) {
  if (p == pageControl_) return;
  if (pageControl_) pageControl_->RemovePage(this);
  pageControl_ = p;
  if (p) p->InsertPage(this);
}

int TTabSheet::PageIndex() const {
  if (!pageControl_) return -1;
  const auto& pages = pageControl_->pages_;
  return static_cast<int>(std::find(pages.begin(), pages.end(), this) - pages.begin());
}

void TTabSheet::SetTabVisible(bool v) {
  tabVisible_ = v;
  if (pageControl_) pageControl_->Invalidate();
}

void TTabSheet::Paint() {
  paint::Fill(Canvas(), ClientRect(), Color());
  TCustomControl::Paint();
}

// ---- TPageControl -------------------------------------------------------------------------

TPageControl::TPageControl(TComponent* AOwner) : TCustomControl(AOwner) {
  SetTabStop(true);
  SetBounds(0, 0, 289, 193);
}

TPageControl::~TPageControl() {
  Destroying();
  for (TTabSheet* page : pages_) page->pageControl_ = nullptr;
}

void TPageControl::InsertPage(TTabSheet* page) {
  pages_.push_back(page);
  page->SetParent(this);
  page->SetBoundsRect(DisplayRect());
  if (!active_) SetActivePage(page);
  Invalidate();
}

void TPageControl::RemovePage(TTabSheet* page) {
  const bool wasActive = page == active_;
  std::erase(pages_, page);
  if (page->Parent() == this) page->SetParent(nullptr);
  if (wasActive) {
    active_ = nullptr;
    if (!pages_.empty()) SetActivePage(pages_.front());
  }
  Invalidate();
}

int TPageControl::TabHeight() const {
  TImageCanvas measure(1, 1);
  measure.Font->Assign(Font());
  return measure.TextHeight("Ag") + 6;
}

TRect TPageControl::DisplayRect() const {
  return Rect(4, TabHeight() + 4, std::max(4, Width() - 4), std::max(TabHeight() + 4, Height() - 4));
}

void TPageControl::AlignControls(TControl* AControl, TRect& r) {
  for (TTabSheet* page : pages_) page->SetBoundsRect(DisplayRect());
  TCustomControl::AlignControls(AControl, r);
}

int TPageControl::ActivePageIndex() const { return active_ ? active_->PageIndex() : -1; }

void TPageControl::SetActivePageIndex(int index) {
  SetActivePage(index >= 0 && index < PageCount() ? pages_[static_cast<size_t>(index)] : nullptr);
}

void TPageControl::SetActivePage(TTabSheet* page) {
  if (page && page->pageControl_ != this) return;
  if (page == active_) return;
  TTabSheet* old = active_;
  active_ = page;
  if (page) {
    page->SetBoundsRect(DisplayRect());
    page->SetVisible(true);
  }
  if (old) {
    // The focus inside the page going away comes to the page control.
    TCustomForm* form = GetParentForm();
    if (form && old->ContainsControl(form->ActiveControl()) && Showing() && CanFocus()) SetFocus();
    old->SetVisible(false);
  }
  Invalidate();
}

bool TPageControl::ChangeByUser(TTabSheet* page) {
  if (!page || page == active_) return true;
  bool allow = true;
  if (OnChanging) OnChanging(this, allow);
  if (!allow) return false;
  SetActivePage(page);
  if (OnChange) OnChange(this);
  return true;
}

void TPageControl::SelectNextPage(bool forward) {
  const int count = PageCount();
  if (count == 0) return;
  int i = std::max(ActivePageIndex(), 0);
  for (int n = 0; n < count; ++n) {
    i = (i + (forward ? 1 : -1) + count) % count;
    if (pages_[static_cast<size_t>(i)]->TabVisible()) {
      ChangeByUser(pages_[static_cast<size_t>(i)]);
      return;
    }
  }
}

TRect TPageControl::TabRect(int index) {
  TImageCanvas measure(1, 1);
  measure.Font->Assign(Font());
  int x = 2;
  for (int i = 0; i < PageCount(); ++i) {
    TTabSheet* page = pages_[static_cast<size_t>(i)];
    if (!page->TabVisible()) {
      if (i == index) return Rect(x, 2, x, 2 + TabHeight());
      continue;
    }
    const int w = measure.TextWidth(StripHotkey(page->Caption())) + 12;
    if (i == index) return Rect(x, 2, x + w, 2 + TabHeight());
    x += w;
  }
  return Rect(x, 2, x, 2 + TabHeight());
}

TTabSheet* TPageControl::PageAtTab(TPoint p) {
  for (int i = 0; i < PageCount(); ++i)
    if (pages_[static_cast<size_t>(i)]->TabVisible() && PtInRect(TabRect(i), p))
      return pages_[static_cast<size_t>(i)];
  return nullptr;
}

void TPageControl::MouseDown(TMouseButton button, TShiftState shift, int X, int Y) {
  TCustomControl::MouseDown(button, shift, X, Y);
  if (button != mbLeft) return;
  if (TTabSheet* page = PageAtTab(Point(X, Y))) {
    if (ChangeByUser(page) && CanFocus()) SetFocus();
  }
}

void TPageControl::KeyDown(Word& key, TShiftState shift) {
  TCustomControl::KeyDown(key, shift);
  if (key == VK_RIGHT || key == VK_LEFT) {
    SelectNextPage(key == VK_RIGHT);
    key = 0;
  }
}

void TPageControl::Dispatch(TMessage& m) {
  switch (m.Msg) {
    case WM_GETDLGCODE:
      m.Result = DLGC_WANTARROWS;
      return;
    case CM_DIALOGKEY:
      // Ctrl+Tab and Ctrl+Shift+Tab turn the pages from anywhere inside.
      if (MsgCharCode(m) == VK_TAB && GetKeyState(VK_CONTROL) < 0 && Showing()) {
        TCustomForm* form = GetParentForm();
        if (form && ContainsControl(form->ActiveControl())) {
          SelectNextPage(GetKeyState(VK_SHIFT) >= 0);
          m.Result = 1;
          return;
        }
      }
      break;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      Invalidate();
      break;
    case WM_SIZE:
    case CM_FONTCHANGED:
      for (TTabSheet* page : pages_) page->SetBoundsRect(DisplayRect());
      break;
    default:
      break;
  }
  TCustomControl::Dispatch(m);
}

void TPageControl::Paint() {
  TCanvas& c = Canvas();
  paint::Fill(c, ClientRect(), Color());
  TRect body = Rect(0, TabHeight() + 2, Width(), Height());
  DrawEdge(c, body, EDGE_RAISED, BF_RECT);
  c.Font->Assign(Font());
  for (int i = 0; i < PageCount(); ++i) {
    TTabSheet* page = pages_[static_cast<size_t>(i)];
    if (!page->TabVisible()) continue;
    TRect tab = TabRect(i);
    const bool active = page == active_;
    // The active tab stands up and joins the page below it.
    if (active) tab = Rect(tab.Left - 2, tab.Top - 2, tab.Right + 2, tab.Bottom + 1);
    paint::Fill(c, tab, Color());
    TRect edge = tab;
    DrawEdge(c, edge, EDGE_RAISED, BF_LEFT | BF_TOP | BF_RIGHT);
    TRect text = tab;
    paint::Caption(c, page->Caption(), text, DT_CENTER | DT_VCENTER | DT_SINGLELINE, Enabled());
    if (active && Focused()) {
      c.Brush->Color = Color();
      paint::FocusRect(c, InflateRect(tab, -3, -3));
    }
  }
}
