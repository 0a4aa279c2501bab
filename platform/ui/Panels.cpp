#include "platform/ui/Panels.h"

#include <algorithm>
#include <cmath>

#include "platform/ui/ControlPaint.h"
#include "platform/ui/Input.h"

namespace paint = ui::paint;

namespace {
unsigned EdgeOf(TBevelCut cut) { return cut == bvLowered ? BDR_SUNKENOUTER : BDR_RAISEDINNER; }
}  // namespace

// ---- TCustomPanel -------------------------------------------------------------------

TCustomPanel::TCustomPanel(TComponent* AOwner) : TCustomControl(AOwner) {
  ControlStyle << csAcceptsControls << csOpaque;
  SetBounds(0, 0, 185, 41);
}

void TCustomPanel::SetBevelOuter(TBevelCut b) {
  bevelOuter_ = b;
  Realign();
  Invalidate();
}

void TCustomPanel::SetBevelInner(TBevelCut b) {
  bevelInner_ = b;
  Realign();
  Invalidate();
}

void TCustomPanel::SetBevelWidth(TBevelWidth w) {
  bevelWidth_ = std::max(w, 1);
  Realign();
  Invalidate();
}

void TCustomPanel::SetBorderWidth(int w) {
  borderWidth_ = std::max(w, 0);
  Realign();
  Invalidate();
}

void TCustomPanel::SetBorderStyle(TBorderStyle b) {
  borderStyle_ = b;
  Realign();
  Invalidate();
}

void TCustomPanel::SetAlignment(TAlignment a) {
  alignment_ = a;
  Invalidate();
}

TRect TCustomPanel::InnerRect() const {
  TRect r = ClientRect();
  if (borderStyle_ != bsNone) r = InflateRect(r, -2, -2);
  int inset = borderWidth_;
  if (bevelOuter_ != bvNone) inset += bevelWidth_;
  if (bevelInner_ != bvNone) inset += bevelWidth_;
  return InflateRect(r, -inset, -inset);
}

void TCustomPanel::AlignControls(TControl* AControl, TRect& r) {
  const TRect inner = InnerRect();
  r = IntersectRect(r, inner);
  TCustomControl::AlignControls(AControl, r);
}

void TCustomPanel::Paint() {
  TCanvas& c = Canvas();
  TRect r = ClientRect();
  if (borderStyle_ != bsNone) DrawEdge(c, r, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
  paint::Fill(c, r, Color());
  if (bevelOuter_ != bvNone && bevelOuter_ != bvSpace)
    for (int i = 0; i < bevelWidth_; ++i) DrawEdge(c, r, EdgeOf(bevelOuter_), BF_RECT | BF_ADJUST);
  else if (bevelOuter_ == bvSpace)
    r = InflateRect(r, -bevelWidth_, -bevelWidth_);
  r = InflateRect(r, -borderWidth_, -borderWidth_);
  if (bevelInner_ != bvNone && bevelInner_ != bvSpace)
    for (int i = 0; i < bevelWidth_; ++i) DrawEdge(c, r, EdgeOf(bevelInner_), BF_RECT | BF_ADJUST);
  else if (bevelInner_ == bvSpace)
    r = InflateRect(r, -bevelWidth_, -bevelWidth_);
  if (!Caption().empty()) {
    c.Font->Assign(Font());
    const unsigned align = alignment_ == taCenter         ? DT_CENTER
                           : alignment_ == taRightJustify ? DT_RIGHT
                                                          : DT_LEFT;
    paint::Caption(c, Caption(), r, DT_EXPANDTABS | DT_SINGLELINE | DT_VCENTER | align, Enabled());
  }
  TCustomControl::Paint();
}

void TCustomPanel::Dispatch(TMessage& m) {
  if (m.Msg == CM_FONTCHANGED || m.Msg == WM_SIZE) Invalidate();
  TCustomControl::Dispatch(m);
}

// ---- TBevel -------------------------------------------------------------------------

TBevel::TBevel(TComponent* AOwner) : TGraphicControl(AOwner) { SetBounds(0, 0, 50, 50); }

void TBevel::SetShape(TBevelShape s) {
  shape_ = s;
  Invalidate();
}

void TBevel::SetStyle(TBevelStyle s) {
  style_ = s;
  Invalidate();
}

void TBevel::Paint() {
  TCanvas& c = Canvas();
  TRect r = ClientRect();
  const unsigned edge = style_ == bsLowered ? EDGE_ETCHED : EDGE_BUMP;
  switch (shape_) {
    case bsBox:
      DrawEdge(c, r, style_ == bsLowered ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT);
      break;
    case bsFrame:
      DrawEdge(c, r, edge, BF_RECT);
      break;
    case bsTopLine:
      r.Bottom = r.Top + 2;
      DrawEdge(c, r, edge, BF_TOP);
      break;
    case bsBottomLine:
      r.Top = r.Bottom - 2;
      DrawEdge(c, r, edge, BF_TOP);
      break;
    case bsLeftLine:
      r.Right = r.Left + 2;
      DrawEdge(c, r, edge, BF_LEFT);
      break;
    case bsRightLine:
      r.Left = r.Right - 2;
      DrawEdge(c, r, edge, BF_LEFT);
      break;
    case bsSpacer:
      break;
  }
}

// ---- TShape -------------------------------------------------------------------------

TShape::TShape(TComponent* AOwner) : TGraphicControl(AOwner) {
  SetBounds(0, 0, 65, 65);
  brush_.Color = clWhite;
}

void TShape::SetShape(TShapeType s) {
  shape_ = s;
  Invalidate();
}

void TShape::SetPen(const TPen& p) {
  pen_.Assign(p);
  Invalidate();
}

void TShape::SetBrush(const TBrush& b) {
  brush_.Assign(b);
  Invalidate();
}

void TShape::Paint() {
  TCanvas& c = Canvas();
  c.Pen->Assign(pen_);
  c.Brush->Assign(brush_);
  // The pen stays inside the control.
  const int half = pen_.Width / 2;
  int x = half, y = half, w = Width() - pen_.Width + 1, h = Height() - pen_.Width + 1;
  if (pen_.Width == 0) {
    --w;
    --h;
  }
  const bool square = shape_ == stSquare || shape_ == stRoundSquare || shape_ == stCircle;
  if (square) {
    const int side = std::min(w, h);
    x += (w - side) / 2;
    y += (h - side) / 2;
    w = h = side;
  }
  switch (shape_) {
    case stRectangle:
    case stSquare:
      c.Rectangle(x, y, x + w, y + h);
      break;
    case stRoundRect:
    case stRoundSquare: {
      const int corner = std::min(w, h) / 4;
      c.RoundRect(x, y, x + w, y + h, corner, corner);
      break;
    }
    case stEllipse:
    case stCircle:
      c.Ellipse(x, y, x + w, y + h);
      break;
  }
}

// ---- TImage -------------------------------------------------------------------------

TImage::TImage(TComponent* AOwner) : TGraphicControl(AOwner) { SetBounds(0, 0, 105, 105); }

TImage::~TImage() { Destroying(); }

void TImage::PictureChanged() {
  if (autoSize_ && picture_.Width() > 0 && picture_.Height() > 0)
    SetBounds(Left(), Top(), picture_.Width(), picture_.Height());
  Invalidate();
}

void TImage::LoadFromFile(const AnsiString& fileName) {
  picture_.LoadFromFile(fileName);
  PictureChanged();
}

void TImage::SetStretch(bool v) {
  stretch_ = v;
  Invalidate();
}

void TImage::SetCenter(bool v) {
  center_ = v;
  Invalidate();
}

void TImage::SetProportional(bool v) {
  proportional_ = v;
  Invalidate();
}

void TImage::SetAutoSize(bool v) {
  autoSize_ = v;
  if (v) PictureChanged();
}

TRect TImage::DestRect() const {
  int w = picture_.Width(), h = picture_.Height();
  const int cw = Width(), ch = Height();
  if (w <= 0 || h <= 0) return Rect(0, 0, 0, 0);
  if (stretch_ || (proportional_ && (w > cw || h > ch))) {
    if (proportional_) {
      const double scale = std::min(static_cast<double>(cw) / w, static_cast<double>(ch) / h);
      w = static_cast<int>(std::lround(w * scale));
      h = static_cast<int>(std::lround(h * scale));
    } else {
      w = cw;
      h = ch;
    }
  }
  if (center_) return Bounds((cw - w) / 2, (ch - h) / 2, w, h);
  return Rect(0, 0, w, h);
}

void TImage::Paint() {
  TGraphic* graphic = picture_.Graphic();
  if (!graphic || graphic->Empty()) return;
  try {
    Canvas().StretchDraw(DestRect(), graphic);
  } catch (const std::exception&) {
    // A picture that cannot be drawn leaves the area empty.
  }
}

// ---- TCustomRadioGroup --------------------------------------------------------------

TCustomRadioGroup::TCustomRadioGroup(TComponent* AOwner)
    : TCustomGroupBox(AOwner), items_(std::make_unique<TStringList>()) {
  items_->OnChange = [this](TStrings*) { UpdateButtons(); };
}

TCustomRadioGroup::~TCustomRadioGroup() {
  Destroying();
  items_->OnChange = nullptr;
}

TRadioButton* TCustomRadioGroup::Buttons(int index) const { return buttons_.at(static_cast<size_t>(index)); }

void TCustomRadioGroup::UpdateButtons() {
  const int count = items_->Count();
  while (static_cast<int>(buttons_.size()) > count) {
    delete buttons_.back();
    buttons_.pop_back();
  }
  while (static_cast<int>(buttons_.size()) < count) {
    auto* button = new TRadioButton(this);
    const int index = static_cast<int>(buttons_.size());
    button->OnClick = [this, index](TObject*) { ButtonClicked(index); };
    button->SetTabStop(false);  // until it is checked
    button->SetEnabled(Enabled());
    button->SetParent(this);
    buttons_.push_back(button);
  }
  updating_ = true;
  for (int i = 0; i < count; ++i) {
    buttons_[static_cast<size_t>(i)]->SetCaption(items_->Get(i));
    buttons_[static_cast<size_t>(i)]->SetChecked(i == itemIndex_);
  }
  updating_ = false;
  if (itemIndex_ >= count) itemIndex_ = -1;
  ArrangeButtons();
}

void TCustomRadioGroup::ArrangeButtons() {
  const int count = static_cast<int>(buttons_.size());
  if (count == 0) return;
  TImageCanvas measure(1, 1);
  measure.Font->Assign(Font());
  const int top = measure.TextHeight("0") + 2;
  const int rows = (count + columns_ - 1) / columns_;
  const int columnWidth = std::max(1, (Width() - 10) / columns_);
  const int rowHeight = std::max(1, (Height() - top - 5) / rows);
  for (int i = 0; i < count; ++i) {
    const int column = i / rows, row = i % rows;
    TRadioButton* b = buttons_[static_cast<size_t>(i)];
    const int h = std::min(rowHeight, measure.TextHeight("0") + 4);
    b->SetBounds(8 + column * columnWidth, top + row * rowHeight + (rowHeight - h) / 2, columnWidth - 8, h);
  }
}

void TCustomRadioGroup::SetItemIndex(int index) {
  if (index < -1 || index >= items_->Count()) index = -1;
  if (index == itemIndex_) return;
  if (index < 0) {
    updating_ = true;
    if (itemIndex_ >= 0) buttons_[static_cast<size_t>(itemIndex_)]->SetChecked(false);
    updating_ = false;
    itemIndex_ = -1;
    return;
  }
  buttons_[static_cast<size_t>(index)]->SetChecked(true);  // runs ButtonClicked
}

void TCustomRadioGroup::ButtonClicked(int index) {
  if (updating_) return;
  if (!buttons_[static_cast<size_t>(index)]->Checked()) return;
  itemIndex_ = index;
  Click();
}

void TCustomRadioGroup::SetColumns(int n) {
  columns_ = std::clamp(n, 1, 16);
  ArrangeButtons();
  Invalidate();
}

void TCustomRadioGroup::Dispatch(TMessage& m) {
  TCustomGroupBox::Dispatch(m);
  if (m.Msg == WM_SIZE || m.Msg == CM_FONTCHANGED) ArrangeButtons();
  // The items follow the group, so that a group that takes no clicks looks
  // so.
  if (m.Msg == CM_ENABLEDCHANGED)
    for (TRadioButton* b : buttons_) b->SetEnabled(Enabled());
}

// ---- TSplitter ----------------------------------------------------------------------

TSplitter::TSplitter(TComponent* AOwner) : TGraphicControl(AOwner) {
  SetBounds(0, 0, 3, 100);
  SetAlign(alLeft);
  SetCursor(crHSplit);
}

TControl* TSplitter::FindControl() const {
  // The neighbour touches the splitter's leading edge on the same side.
  TWinControl* parent = Parent();
  if (!parent || Align() == alNone || Align() == alClient) return nullptr;
  for (int i = 0; i < parent->ControlCount(); ++i) {
    TControl* c = parent->Controls(i);
    if (c == this || !c->Visible() || c->Align() != Align()) continue;
    const TRect r = c->BoundsRect();
    bool touches = false;
    switch (Align()) {
      case alLeft:
        touches = r.Right == Left();
        break;
      case alRight:
        touches = r.Left == Left() + Width();
        break;
      case alTop:
        touches = r.Bottom == Top();
        break;
      case alBottom:
        touches = r.Top == Top() + Height();
        break;
      default:
        break;
    }
    if (touches) return c;
  }
  return nullptr;
}

void TSplitter::Paint() {
  TCanvas& c = Canvas();
  paint::Fill(c, ClientRect(), Color());
  if (Beveled) {
    TRect r = ClientRect();
    DrawEdge(c, r, BDR_RAISEDINNER, Vertical() ? BF_LEFT | BF_RIGHT : BF_TOP | BF_BOTTOM);
  }
}

void TSplitter::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TGraphicControl::MouseDown(Button, Shift, X, Y);
  if (Button != mbLeft) return;
  sized_ = FindControl();
  if (!sized_) return;
  const TPoint p = Parent()->ScreenToClient(ClientToScreen(Point(X, Y)));
  downPos_ = Vertical() ? p.X : p.Y;
  startSize_ = Vertical() ? sized_->Width() : sized_->Height();
}

void TSplitter::MouseMove(TShiftState Shift, int X, int Y) {
  TGraphicControl::MouseMove(Shift, X, Y);
  if (!sized_ || !MouseCapture()) return;
  const TPoint p = Parent()->ScreenToClient(ClientToScreen(Point(X, Y)));
  int delta = (Vertical() ? p.X : p.Y) - downPos_;
  if (Align() == alRight || Align() == alBottom) delta = -delta;
  // Neither the neighbour nor what remains opposite falls below MinSize.
  const TRect client = Parent()->ClientRect();
  int others = 0;
  for (int i = 0; i < Parent()->ControlCount(); ++i) {
    TControl* c = Parent()->Controls(i);
    if (c->Visible() && c != sized_ && c->Align() != alClient && c->Align() != alNone &&
        (Vertical() ? (c->Align() == alLeft || c->Align() == alRight)
                    : (c->Align() == alTop || c->Align() == alBottom)))
      others += Vertical() ? c->Width() : c->Height();
  }
  const int room = (Vertical() ? client.Width() : client.Height()) - others;
  int size = std::clamp(startSize_ + delta, MinSize, std::max(MinSize, room - MinSize));
  bool accept = true;
  if (OnCanResize) OnCanResize(this, size, accept);
  if (!accept) return;
  const int current = Vertical() ? sized_->Width() : sized_->Height();
  if (size == current) return;
  if (Vertical())
    sized_->SetWidth(size);
  else
    sized_->SetHeight(size);
  if (OnMoved) OnMoved(this);
}

void TSplitter::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TGraphicControl::MouseUp(Button, Shift, X, Y);
  if (Button == mbLeft) sized_ = nullptr;
}

// ---- scrolling ----------------------------------------------------------------------

void TControlScrollBar::SetPosition(int v) { owner_.ScrollTo(bar_, v); }

void TControlScrollBar::SetRange(int v) {
  range_ = std::max(v, 0);
  owner_.UpdateScrollBars();
}

void TControlScrollBar::SetVisible(bool v) {
  visible_ = v;
  owner_.UpdateScrollBars();
}

bool TControlScrollBar::IsScrollBarVisible() const { return owner_.bars_.Showing(bar_); }

TScrollingWinControl::TScrollingWinControl(TComponent* AOwner)
    : TCustomControl(AOwner), bars_(this), horz_(*this, SB_HORZ), vert_(*this, SB_VERT) {
  ControlStyle << csAcceptsControls;
  bars_.SetStyle(ssBoth);
  bars_.Show(SB_HORZ, false);
  bars_.Show(SB_VERT, false);
}

TScrollingWinControl::~TScrollingWinControl() { Destroying(); }

int TScrollingWinControl::ContentExtent(int bar) const {
  const TControlScrollBar& b = bar == SB_HORZ ? horz_ : vert_;
  if (b.range_ > 0) return b.range_;
  // The far edge of the farthest child, where it lies with the view at 0.
  int extent = 0;
  for (int i = 0; i < ControlCount(); ++i) {
    TControl* c = Controls(i);
    if (!c->Visible()) continue;
    if (bar == SB_HORZ && c->Align() != alClient && c->Align() != alTop && c->Align() != alBottom)
      extent = std::max(extent, c->Left() + c->Width() + b.position_ - InnerArea().Left);
    if (bar == SB_VERT && c->Align() != alClient && c->Align() != alLeft && c->Align() != alRight)
      extent = std::max(extent, c->Top() + c->Height() + b.position_ - InnerArea().Top);
  }
  return extent;
}

void TScrollingWinControl::UpdateScrollBars() {
  if (updating_) return;
  updating_ = true;
  const TRect inner = InnerArea();
  const int width = ContentExtent(SB_HORZ), height = ContentExtent(SB_VERT);
  // A bar takes room from the other direction, which may then need its bar.
  bool showH = false, showV = false;
  for (int pass = 0; pass < 2; ++pass) {
    const int viewW = inner.Width() - (showV ? kScrollBarSize : 0);
    const int viewH = inner.Height() - (showH ? kScrollBarSize : 0);
    showH = horz_.visible_ && width > viewW;
    showV = vert_.visible_ && height > viewH;
  }
  const bool changed = showH != bars_.Showing(SB_HORZ) || showV != bars_.Showing(SB_VERT);
  bars_.Show(SB_HORZ, showH);
  bars_.Show(SB_VERT, showV);
  const TRect view = ViewArea();
  for (int bar : {SB_HORZ, SB_VERT}) {
    const int extent = bar == SB_HORZ ? width : height;
    const int page = bar == SB_HORZ ? view.Width() : view.Height();
    SCROLLINFO info;
    info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    info.nMax = std::max(0, extent - 1);
    info.nPage = static_cast<UINT>(std::max(page, 0));
    TControlScrollBar& b = bar == SB_HORZ ? horz_ : vert_;
    info.nPos = b.position_;
    SCROLLINFO now;
    now.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    bars_.GetInfo(bar, now);
    // Unchanged numbers leave the bar alone (this runs while painting).
    if (now.nMax != info.nMax || now.nPage != info.nPage || now.nPos != info.nPos)
      bars_.SetInfo(bar, info, true);
  }
  updating_ = false;
  // Contents that shrank pull the view back.
  const int maxX = std::max(0, width - view.Width()), maxY = std::max(0, height - view.Height());
  if (horz_.position_ > maxX || vert_.position_ > maxY)
    ScrollBy(horz_.position_ - std::min(horz_.position_, maxX),
             vert_.position_ - std::min(vert_.position_, maxY));
  if (changed) Invalidate();
}

void TScrollingWinControl::ScrollBy(int dx, int dy) {
  if (dx == 0 && dy == 0) return;
  horz_.position_ -= dx;
  vert_.position_ -= dy;
  DisableAlign();
  for (int i = 0; i < ControlCount(); ++i) {
    TControl* c = Controls(i);
    if (c->Align() == alNone) c->SetBounds(c->Left() + dx, c->Top() + dy, c->Width(), c->Height());
  }
  EnableAlign();
  bars_.SetPos(SB_HORZ, horz_.position_);
  bars_.SetPos(SB_VERT, vert_.position_);
  Invalidate();
}

void TScrollingWinControl::ScrollTo(int bar, int pos) {
  UpdateScrollBars();
  const TRect view = ViewArea();
  const int page = bar == SB_HORZ ? view.Width() : view.Height();
  pos = std::clamp(pos, 0, std::max(0, ContentExtent(bar) - page));
  const int current = bar == SB_HORZ ? horz_.position_ : vert_.position_;
  if (bar == SB_HORZ)
    ScrollBy(current - pos, 0);
  else
    ScrollBy(0, current - pos);
}

void TScrollingWinControl::ScrollInView(TControl* control) {
  if (!control || !ContainsControl(control) || control == this) return;
  UpdateScrollBars();
  const TPoint at = ScreenToClient(control->ClientToScreen(Point(0, 0)));
  const TRect view = ViewArea();
  auto into = [](int start, int size, int viewStart, int viewSize) {
    if (start < viewStart) return start - viewStart;
    if (start + size > viewStart + viewSize)
      return std::min(start - viewStart, start + size - viewStart - viewSize);
    return 0;
  };
  const int dx = into(at.X, control->Width(), view.Left, view.Width());
  const int dy = into(at.Y, control->Height(), view.Top, view.Height());
  if (dx != 0) ScrollTo(SB_HORZ, horz_.position_ + dx);
  if (dy != 0) ScrollTo(SB_VERT, vert_.position_ + dy);
}

void TScrollingWinControl::AlignControls(TControl* AControl, TRect& r) {
  r = ViewArea();
  TCustomControl::AlignControls(AControl, r);
  UpdateScrollBars();
}

bool TScrollingWinControl::DoMouseWheelDown(TShiftState, TPoint) {
  UpdateScrollBars();
  if (!bars_.Showing(SB_VERT)) return false;
  ScrollTo(SB_VERT, vert_.position_ + vert_.Increment * static_cast<int>(ui::input::WheelScrollLines()));
  return true;
}

bool TScrollingWinControl::DoMouseWheelUp(TShiftState, TPoint) {
  UpdateScrollBars();
  if (!bars_.Showing(SB_VERT)) return false;
  ScrollTo(SB_VERT, vert_.position_ - vert_.Increment * static_cast<int>(ui::input::WheelScrollLines()));
  return true;
}

void TScrollingWinControl::Dispatch(TMessage& m) {
  if (m.Msg >= WM_MOUSEFIRST && m.Msg < WM_MOUSEWHEEL && bars_.MouseMessage(m, InnerArea())) return;
  switch (m.Msg) {
    case WM_HSCROLL:
    case WM_VSCROLL: {
      const int bar = m.Msg == WM_HSCROLL ? SB_HORZ : SB_VERT;
      TControlScrollBar& b = bar == SB_HORZ ? horz_ : vert_;
      const TRect view = ViewArea();
      const int page = std::max(1, bar == SB_HORZ ? view.Width() : view.Height());
      const int pos = static_cast<SmallInt>(m.WParamHi());
      switch (m.WParamLo()) {
        case SB_LINEUP:
          ScrollTo(bar, b.position_ - b.Increment);
          break;
        case SB_LINEDOWN:
          ScrollTo(bar, b.position_ + b.Increment);
          break;
        case SB_PAGEUP:
          ScrollTo(bar, b.position_ - page);
          break;
        case SB_PAGEDOWN:
          ScrollTo(bar, b.position_ + page);
          break;
        case SB_THUMBTRACK:
          if (b.Tracking) ScrollTo(bar, pos);
          break;
        case SB_THUMBPOSITION:
          ScrollTo(bar, pos);
          break;
        case SB_TOP:
          ScrollTo(bar, 0);
          break;
        case SB_BOTTOM:
          ScrollTo(bar, ContentExtent(bar));
          break;
        default:
          break;
      }
      return;
    }
    case WM_TIMER:
      if (bars_.TimerMessage(m, InnerArea())) return;
      break;
    case WM_SIZE:
      TCustomControl::Dispatch(m);
      UpdateScrollBars();
      return;
    case WM_PAINT:
      if (paintCanvas_) {
        // Children drawn on the box's own pixels (a picture larger than
        // the view) stay inside the view and leave the bars visible.
        const TRect clip = paintClip_;
        paintClip_ = IntersectRect(clip, ViewArea());
        try {
          TCustomControl::Dispatch(m);
        } catch (...) {
          paintClip_ = clip;
          throw;
        }
        paintClip_ = clip;
        return;
      }
      break;
    default:
      break;
  }
  TCustomControl::Dispatch(m);
}

TScrollBox::TScrollBox(TComponent* AOwner) : TScrollingWinControl(AOwner) {
  SetBounds(0, 0, 185, 41);
  SetTabStop(false);
}

void TScrollBox::SetBorderStyle(TBorderStyle b) {
  borderStyle_ = b;
  Realign();
  Invalidate();
}

TRect TScrollBox::InnerArea() const {
  return borderStyle_ == bsNone ? ClientRect() : InflateRect(ClientRect(), -2, -2);
}

void TScrollBox::Paint() {
  // Children come and go and move without telling the box: measure now.
  UpdateScrollBars();
  TCanvas& c = Canvas();
  TRect r = ClientRect();
  if (borderStyle_ != bsNone) DrawEdge(c, r, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
  paint::Fill(c, r, Color());
  PaintScrollBars(c);
  TCustomControl::Paint();
}
