#include "platform/ui/WindowManager.h"

#include <algorithm>
#include <cstdlib>
#include <map>
#include <memory>

#include "platform/rtl/KeptStorage.h"
#include "platform/ui/Backend.h"
#include "platform/ui/Caret.h"
#include "platform/ui/ControlCanvas.h"
#include "platform/ui/ControlPaint.h"
#include "platform/ui/Forms.h"

namespace ui {

namespace {

// A modal form and the windows it shut off from input when it began: those
// showing then. A window shown while it runs (a preview opened from a
// dialog) takes input beside it, as the system's disabled windows work,
// whatever the stacking order the window manager gives the two.
struct ModalLevel {
  TWinControl* form;
  std::vector<TWinControl*> disabled;
};

struct Windows {
  std::vector<TWinControl*> tops;
  std::map<TWinControl*, TWindowSurface> surfaces;
  std::vector<ModalLevel> modal;
  // Storage of update regions kept from paint to paint: every key and
  // click leaves areas to paint, and each list of them grew anew.
  TRegion spareRegion;
  std::vector<const TWinControl*> askedInPass;
  TRegion scrollWaiting;
  TControl* mouseControl = nullptr;
  TControl* captureControl = nullptr;
  bool paintSourceInstalled = false;
};

// Never destroyed: a control a program keeps in a static may die after
// every other static, and leaves the windows then.
Windows& W() {
  static auto* w = new Windows;
  return *w;
}

// The window that needs painting, for the queue.
HWND NextWindowToPaint() {
  for (TWinControl* w : W().tops) {
    auto it = W().surfaces.find(w);
    // Only a live handle: a WM_PAINT nobody receives would come back forever.
    if (it != W().surfaces.end() && !it->second.Dirty.empty() && w->HandleAllocated() &&
        ui::FindWindow(w->Handle()) == static_cast<TWindowTarget*>(w))
      return w->Handle();
  }
  return nullptr;
}

void InstallPaintSource() {
  if (W().paintSourceInstalled) return;
  W().paintSourceInstalled = true;
  ui::SetPaintSource(NextWindowToPaint);
}

void Drawn(TWindowSurface& s) {
  static std::uint64_t serial = 0;
  s.DrawSerial = ++serial;
}

void FitSurface(TWinControl* window, TWindowSurface& s) {
  const int w = std::max(window->Width(), 1), h = std::max(window->Height(), 1);
  if (s.Image && s.Image->Width() == w && s.Image->Height() == h) return;
  s.Image = std::make_unique<TImageCanvas>(w, h);
  s.Dirty.assign(1, Rect(0, 0, w, h));
  s.AllAsked = true;
  Drawn(s);
}

// The parts of R outside Hole, each given to Take.
template <typename F>
void ForEachPartOutside(const TRect& r, const TRect& hole, F&& take) {
  const TRect common = IntersectRect(r, hole);
  if (common.IsEmpty()) {
    take(r);
    return;
  }
  const TRect parts[] = {Rect(r.Left, r.Top, r.Right, common.Top),
                         Rect(r.Left, common.Bottom, r.Right, r.Bottom),
                         Rect(r.Left, common.Top, common.Left, common.Bottom),
                         Rect(common.Right, common.Top, r.Right, common.Bottom)};
  for (const TRect& p : parts)
    if (!p.IsEmpty()) take(p);
}

// Region minus a rectangle, in place: each piece split into the parts
// outside it, in order. Spare: storage for the work, left holding nothing
// of use.
void SubtractRect(TRegion& region, const TRect& hole, TRegion& spare) {
  if (std::none_of(region.begin(), region.end(),
                   [&](const TRect& r) { return !IntersectRect(r, hole).IsEmpty(); }))
    return;
  spare.clear();
  for (const TRect& r : region) ForEachPartOutside(r, hole, [&](const TRect& p) { spare.push_back(p); });
  region.swap(spare);
}

// Where a control's top-left corner lies in its top-level window.
TPoint OffsetInWindow(const TControl* c) {
  TPoint p{0, 0};
  for (; c && c->Parent(); c = c->Parent()) {
    p.X += c->Left() + c->Parent()->ClientOffset().X;
    p.Y += c->Top() + c->Parent()->ClientOffset().Y;
  }
  return p;
}

}  // namespace

}  // namespace ui

namespace {

// A canvas for a control a paint draws, taken from those kept from paint to
// paint and given back at its end: a new one (its font, pen and brush, the
// states it saves, its clipping) cost more than the cells a paint draws
// on it. A paint inside a paint takes another.
class TPaintCanvas {
 public:
  TPaintCanvas(TCanvas& target, TPoint origin, const TRect& limit, TSize size) {
    std::vector<std::unique_ptr<TControlCanvas>>& kept = Kept();
    if (kept.empty()) {
      canvas_ = std::make_unique<TControlCanvas>(target, origin, limit, size);
    } else {
      canvas_ = std::move(kept.back());
      kept.pop_back();
      canvas_->Reset(target, origin, limit, size);
    }
  }
  ~TPaintCanvas() { Kept().push_back(std::move(canvas_)); }
  TPaintCanvas(const TPaintCanvas&) = delete;
  TPaintCanvas& operator=(const TPaintCanvas&) = delete;
  TControlCanvas& operator*() const { return *canvas_; }

 private:
  static std::vector<std::unique_ptr<TControlCanvas>>& Kept() {
    static auto* kept = new std::vector<std::unique_ptr<TControlCanvas>>;
    return *kept;
  }
  std::unique_ptr<TControlCanvas> canvas_;
};

}  // namespace

// Paints one windowed control and then its windowed children, each clipped
// to its part of the region. A control that swallows WM_PAINT (an update
// lock) keeps the pixels it had.
class TPaintPass {
 public:
  // WithCaret: the window's caret shows as on the screen (not in an image
  // of the window made by PaintTo). Asked: the windows invalidated
  // themselves (every window when null).
  TPaintPass(TCanvas& target, const TRegion& region, bool withCaret,
             const std::vector<const TWinControl*>* asked = nullptr)
      : target_(target), region_(region), withCaret_(withCaret), asked_(asked) {}

  void PaintTree(TWinControl* w, TPoint window, const TRect& visible) {
    const TRect whole = IntersectRect(visible, Bounds(window.X, window.Y, w->Width(), w->Height()));
    if (whole.IsEmpty()) return;
    // The window paints its client area; its children (a form's menu bar
    // among them) may lie anywhere in its window.
    const TPoint offset = w->ClientOffset();
    const TPoint origin = Point(window.X + offset.X, window.Y + offset.Y);
    const TRect own =
        IntersectRect(whole, Bounds(origin.X, origin.Y, w->Width() - offset.X, w->Height() - offset.Y));
    PaintOwn(w, origin, own);
    const std::optional<TRect> area = w->ChildrenArea();
    const TRect children = area ? IntersectRect(whole, OffsetRect(*area, origin.X, origin.Y)) : whole;
    for (int i = 0; i < w->ControlCount(); ++i) {
      TControl* c = w->Controls(i);
      if (!c->IsWindowed() || !c->Visible()) continue;
      PaintTree(static_cast<TWinControl*>(c), Point(origin.X + c->Left(), origin.Y + c->Top()), children);
    }
  }

 private:
  void PaintOwn(TWinControl* w, TPoint origin, const TRect& own) {
    if (own.IsEmpty()) return;
    TRect bound{};
    bool touched = false;
    for (const TRect& r : region_) {
      const TRect part = IntersectRect(r, own);
      if (part.IsEmpty()) continue;
      bound = touched ? Rect(std::min(bound.Left, part.Left), std::min(bound.Top, part.Top),
                             std::max(bound.Right, part.Right), std::max(bound.Bottom, part.Bottom))
                      : part;
      touched = true;
    }
    if (!touched) return;
    {
      const TPoint offset = w->ClientOffset();
      const TKeptStorage<TRegion> keptClip, keptSpare;
      TRegion& clip = *keptClip;
      clip.clear();
      for (const TRect& r : region_) {
        const TRect part = IntersectRect(r, own);
        if (!part.IsEmpty()) clip.push_back(OffsetRect(part, -origin.X, -origin.Y));
      }
      // A window does not paint over its child windows; they paint
      // themselves (and one that skips a paint keeps its pixels).
      // A shaped window paints only inside its shape, and leaves the rest
      // of its rectangle to its parent.
      if (const TRegion* shape = w->WindowRgn()) {
        TRegion inClient;
        for (const TRect& r : *shape) inClient.push_back(OffsetRect(r, -offset.X, -offset.Y));
        clip = IntersectRegions(clip, inClient);
      }
      // Children show only within the window's area for them (a scroll
      // box's view): beyond it, the window paints (its bars).
      const std::optional<TRect> area = w->ChildrenArea();
      const auto shown = [&](const TRect& r) { return area ? IntersectRect(r, *area) : r; };
      for (int i = 0; i < w->ControlCount(); ++i) {
        TControl* c = w->Controls(i);
        if (!c->IsWindowed() || !c->Visible()) continue;
        if (const TRegion* shape = static_cast<TWinControl*>(c)->WindowRgn()) {
          for (const TRect& r : *shape)
            ui::SubtractRect(clip, shown(OffsetRect(r, c->Left(), c->Top())), *keptSpare);
        } else {
          ui::SubtractRect(clip, shown(c->BoundsRect()), *keptSpare);
        }
      }
      // What its child windows cover whole leaves a window nothing to
      // paint, and unless it was invalidated itself it is not asked to, as
      // the system asks none: typing in an editor repainted its grid and
      // form, clipped to nothing.
      if (clip.empty() && asked_ != nullptr && std::find(asked_->begin(), asked_->end(), w) == asked_->end())
        return;
      const TPaintCanvas kept(target_, origin, own, TSize{w->Width() - offset.X, w->Height() - offset.Y});
      TControlCanvas& canvas = *kept;
      canvas.SelectClipRgn(&clip);
      w->paintCanvas_ = &canvas;
      w->paintClip_ = OffsetRect(bound, -origin.X, -origin.Y);
      try {
        w->Perform(WM_PAINT, 0, 0);
      } catch (...) {
        // Painting never raises: what could not be drawn stays as it was.
      }
      w->paintCanvas_ = nullptr;
      if (withCaret_ && w->HandleAllocated()) ui::PaintCaret(w->Handle(), canvas);
    }
  }

  TCanvas& target_;
  const TRegion& region_;
  bool withCaret_;
  const std::vector<const TWinControl*>* asked_;
};

void TWinControl::PaintControls(TCanvas& canvas, const TRect& clip) {
  // Graphic controls draw on their parent's pixels, moved to their corner
  // and limited to their own area.
  auto* parentCanvas = dynamic_cast<TControlCanvas*>(&canvas);
  TCanvas& target = parentCanvas ? parentCanvas->Target() : canvas;
  const TPoint base = parentCanvas ? parentCanvas->Origin() : TPoint{0, 0};
  for (TControl* c : controls_) {
    if (c->IsWindowed() || !c->Visible()) continue;
    const TRect area = IntersectRect(c->BoundsRect(), clip);
    if (area.IsEmpty()) continue;
    TRect limit = OffsetRect(area, base.X, base.Y);
    if (parentCanvas) limit = IntersectRect(limit, parentCanvas->TargetLimit());
    if (limit.IsEmpty()) continue;
    const TPaintCanvas kept(target, Point(base.X + c->Left(), base.Y + c->Top()), limit,
                            TSize{c->Width(), c->Height()});
    TControlCanvas& childCanvas = *kept;
    // The control's area cut by each piece of the parent's clipping, in
    // storage kept from paint to paint.
    const TKeptStorage<TRegion> keptClip;
    TRegion& childClip = *keptClip;
    childClip.clear();
    const TRect whole = Rect(0, 0, c->Width(), c->Height());
    if (const TRegion* region = canvas.ClipRegion()) {
      for (const TRect& r : *region) {
        const TRect common = IntersectRect(whole, OffsetRect(r, -c->Left(), -c->Top()));
        if (!common.IsEmpty()) childClip.push_back(common);
      }
    } else {
      childClip.push_back(whole);
    }
    childCanvas.SelectClipRgn(&childClip);
    try {
      c->Perform(WM_PAINT, reinterpret_cast<WPARAM>(&childCanvas), 0);
    } catch (...) {
      // as above: a control that cannot draw is left as it was
    }
  }
}

void TWinControl::PaintTo(TCanvas& canvas, int X, int Y) {
  const TRegion region{Bounds(X, Y, Width(), Height())};
  TPaintPass pass(canvas, region, false);
  pass.PaintTree(this, Point(X, Y), region.front());
}

namespace ui {

const std::vector<TWinControl*>& TopLevels() { return W().tops; }

bool IsShownTopLevel(const TWinControl* window) {
  const auto& tops = W().tops;
  return std::find(tops.begin(), tops.end(), window) != tops.end();
}

void AddTopLevel(TWinControl* window) {
  InstallPaintSource();
  auto& tops = W().tops;
  if (std::find(tops.begin(), tops.end(), window) == tops.end()) tops.push_back(window);
  FitSurface(window, W().surfaces[window]);
  if (HasBackend()) Backend().WindowShown(*window);
}

void RemoveTopLevel(TWinControl* window) {
  auto& tops = W().tops;
  const bool was = std::find(tops.begin(), tops.end(), window) != tops.end();
  std::erase(tops, window);
  W().surfaces.erase(window);
  if (was && HasBackend()) Backend().WindowHidden(*window);
}

void RaiseTopLevel(TWinControl* window) {
  auto& tops = W().tops;
  if (std::find(tops.begin(), tops.end(), window) == tops.end()) return;
  std::erase(tops, window);
  // Popups and stay-on-top forms stay above plain forms.
  tops.push_back(window);
  std::stable_partition(tops.begin(), tops.end(), [](TWinControl* w) {
    auto* f = dynamic_cast<TCustomForm*>(w);
    return f && f->FormStyle != fsStayOnTop;
  });
}

TWindowSurface* SurfaceOf(TWinControl* window) {
  auto it = W().surfaces.find(window);
  if (it == W().surfaces.end()) return nullptr;
  FitSurface(window, it->second);
  return &it->second;
}

void AddDirty(TWinControl* window, const TRect& r) {
  TWindowSurface* s = SurfaceOf(window);
  if (!s || r.IsEmpty()) return;
  // A rectangle inside one already waiting adds nothing.
  for (const TRect& d : s->Dirty)
    if (IntersectRect(d, r) == r) return;
  std::erase_if(s->Dirty, [&](const TRect& d) { return IntersectRect(r, d) == d; });
  // Pieces that overlap so much that their box is no larger than the two
  // together are painted as one: every drawing call is cut by each piece.
  // Pieces that only touch stay apart.
  TRect piece = r;
  for (bool merged = true; merged;) {
    merged = false;
    for (auto it = s->Dirty.begin(); it != s->Dirty.end(); ++it) {
      const TRect box = Rect(std::min(it->Left, piece.Left), std::min(it->Top, piece.Top),
                             std::max(it->Right, piece.Right), std::max(it->Bottom, piece.Bottom));
      auto area = [](const TRect& a) { return static_cast<long long>(a.Width()) * a.Height(); };
      if (!IntersectRect(*it, piece).IsEmpty() && area(box) <= area(*it) + area(piece)) {
        piece = box;
        s->Dirty.erase(it);
        merged = true;
        break;
      }
    }
  }
  s->Dirty.push_back(piece);
}

void AskPaint(TWinControl* top, const TWinControl* window) {
  TWindowSurface* s = SurfaceOf(top);
  if (!s || s->AllAsked || std::find(s->Asked.begin(), s->Asked.end(), window) != s->Asked.end()) return;
  s->Asked.push_back(window);
}

void TopLevelBoundsChanged(TWinControl* window) {
  SurfaceOf(window);  // refits the pixels: a new size leaves them all to paint
  if (HasBackend()) Backend().WindowBoundsChanged(*window);
}

void TopLevelCaptionChanged(TWinControl* window) {
  if (IsShownTopLevel(window) && HasBackend()) Backend().WindowCaptionChanged(*window);
}

void PaintTopLevel(TWinControl* window) {
  TWindowSurface* s = SurfaceOf(window);
  if (!s || s->Dirty.empty()) return;
  TRegion region;
  region.swap(s->Dirty);
  s->Dirty.swap(W().spareRegion);
  s->Dirty.clear();
  Drawn(*s);
  std::vector<const TWinControl*>& asked = W().askedInPass;
  asked.swap(s->Asked);
  const bool allAsked = std::exchange(s->AllAsked, false);
  {
    TPaintPass pass(*s->Image, region, true, allAsked ? nullptr : &asked);
    pass.PaintTree(window, Point(0, 0), Rect(0, 0, window->Width(), window->Height()));
  }
  // Its storage kept for the next pass, as the region's is; windows that
  // asked during the pass stay asked.
  asked.clear();
  region.clear();
  if (region.capacity() > W().spareRegion.capacity()) W().spareRegion.swap(region);
  s->Image->SelectClipRgn(nullptr);
  s->PresentPending = false;
  if (HasBackend()) Backend().WindowPainted(*window, *s->Image);
}

void PresentPending() {
  for (TWinControl* w : W().tops) {
    auto it = W().surfaces.find(w);
    if (it == W().surfaces.end() || !it->second.PresentPending) continue;
    it->second.PresentPending = false;
    it->second.Image->SelectClipRgn(nullptr);
    if (HasBackend()) Backend().WindowPainted(*w, *it->second.Image);
  }
}

namespace {

// Where Area (client coordinates of Window) shows in its top-level window,
// and the rectangles of that window whose pixels are not Window's own:
// its children and the windows above it and above its parents. False when
// the pixels shown cannot be told apart (a shaped window on the way up) or
// Window does not show.
bool ShownArea(TWinControl* window, const TRect& area, TRect& shown, std::vector<TRect>& foreign) {
  shown = area;
  foreign.clear();
  for (int i = 0; i < window->ControlCount(); ++i)
    if (TControl* child = window->Controls(i); child->Visible()) foreign.push_back(child->BoundsRect());
  TControl* c = window;
  while (true) {
    if (!c->Visible()) return false;
    if (c->IsWindowed() && static_cast<TWinControl*>(c)->WindowRgn()) return false;
    const TPoint offset = c->ClientOffset();
    const TRect own = Rect(0, 0, c->Width(), c->Height());
    shown = IntersectRect(OffsetRect(shown, offset.X, offset.Y), own);
    for (TRect& r : foreign) r = OffsetRect(r, offset.X, offset.Y);
    TWinControl* parent = c->Parent();
    if (!parent) break;
    shown = OffsetRect(shown, c->Left(), c->Top());
    for (TRect& r : foreign) r = OffsetRect(r, c->Left(), c->Top());
    if (const std::optional<TRect> room = parent->ChildrenArea()) shown = IntersectRect(shown, *room);
    // Windows later in the parent's list are painted after, over this one.
    bool above = false;
    for (int i = 0; i < parent->ControlCount(); ++i) {
      TControl* sibling = parent->Controls(i);
      if (above && sibling->IsWindowed() && sibling->Visible()) foreign.push_back(sibling->BoundsRect());
      above = above || sibling == c;
    }
    c = parent;
  }
  if (!c->IsWindowed() || !IsShownTopLevel(static_cast<TWinControl*>(c))) return false;
  std::erase_if(foreign, [&](TRect& r) { return (r = IntersectRect(r, shown)).IsEmpty(); });
  return true;
}

}  // namespace

std::unique_ptr<TCanvas> OutsideCanvas(TControl* control) {
  TWinControl* top = control->TopLevel();
  TWindowSurface* s = top ? SurfaceOf(top) : nullptr;
  if (!s || !control->Showing()) {
    // Not on the screen: a scratch image the size of the control, so that
    // measuring and drawing still work.
    return std::make_unique<TImageCanvas>(std::max(control->Width(), 1), std::max(control->Height(), 1));
  }
  s->PresentPending = true;
  Drawn(*s);
  const TPoint origin = OffsetInWindow(control);
  const TRect limit = IntersectRect(Bounds(origin.X, origin.Y, control->Width(), control->Height()),
                                    Rect(0, 0, top->Width(), top->Height()));
  return std::make_unique<TControlCanvas>(*s->Image, origin, limit,
                                          TSize{control->Width(), control->Height()});
}

std::uint64_t paint::DrawSerialOf(TControl* control) {
  TWinControl* top = control->TopLevel();
  TWindowSurface* s = top && control->Showing() ? SurfaceOf(top) : nullptr;
  return s ? s->DrawSerial : 0;
}

bool paint::PaintPendingOver(TControl* control, const TRect& area) {
  TWinControl* top = control->TopLevel();
  TWindowSurface* s = top && control->Showing() ? SurfaceOf(top) : nullptr;
  if (!s || area.IsEmpty()) return false;
  const TPoint origin = OffsetInWindow(control);
  const TRect r = OffsetRect(area, origin.X, origin.Y);
  return std::any_of(s->Dirty.begin(), s->Dirty.end(),
                     [&](const TRect& d) { return IntersectRect(d, r) == r; });
}

bool InputAllowed(TWinControl* window) {
  const auto& modal = W().modal;
  if (modal.empty()) return true;
  if (dynamic_cast<TPopupWindow*>(window)) return true;
  if (!IsShownTopLevel(window)) return false;
  return std::none_of(modal.begin(), modal.end(), [&](const ModalLevel& level) {
    return std::find(level.disabled.begin(), level.disabled.end(), window) != level.disabled.end();
  });
}

void PushModal(TWinControl* form) {
  ModalLevel level{form, {}};
  for (TWinControl* w : W().tops)
    if (w != form && !dynamic_cast<TPopupWindow*>(w)) level.disabled.push_back(w);
  W().modal.push_back(std::move(level));
}

void PopModal(TWinControl* form) {
  std::erase_if(W().modal, [&](const ModalLevel& level) { return level.form == form; });
}

TWinControl* TopModal() { return W().modal.empty() ? nullptr : W().modal.back().form; }

TControl*& MouseControlRef() { return W().mouseControl; }
TControl*& CaptureControlRef() { return W().captureControl; }

void ForgetControl(TControl* control) {
  // A window freed while shut off leaves no trace for one made later at
  // its address.
  for (ModalLevel& level : W().modal) std::erase(level.disabled, control);
  if (W().mouseControl == control) W().mouseControl = nullptr;
  if (W().captureControl == control) {
    W().captureControl = nullptr;
    ::ReleaseCapture();
  }
}

}  // namespace ui

void ui::ScrollArea(TWinControl* window, TRect area, int dx, int dy) {
  area = IntersectRect(area, window->ClientRect());
  if (area.IsEmpty() || (dx == 0 && dy == 0)) return;
  TRect shown;
  std::vector<TRect> foreign;
  TWinControl* top = window->TopLevel();
  ui::TWindowSurface* s = top ? ui::SurfaceOf(top) : nullptr;
  if (!s || !ui::ShownArea(window, area, shown, foreign)) {
    window->InvalidateRect(area);
    return;
  }
  if (shown.IsEmpty()) return;
  // What the move uncovers is the window's own to paint again.
  ui::AskPaint(top, window);
  if (std::abs(dx) >= shown.Width() || std::abs(dy) >= shown.Height()) {
    ui::AddDirty(top, shown);
    return;
  }
  s->Image->MovePixels(shown, dx, dy);
  auto dirtyMoved = [&](const TRect& r) {
    const TRect part = IntersectRect(r, shown);
    if (part.IsEmpty()) return;
    ui::AddDirty(top, part);
    ui::AddDirty(top, IntersectRect(OffsetRect(part, dx, dy), shown));
  };
  // What waited for painting waits where its pixels went, and where it was.
  // Walked from a copy, as marking them adds to them; the copy's storage is
  // kept, since every scroll of a key or wheel turn walks them.
  TRegion& waiting = ui::W().scrollWaiting;
  waiting.assign(s->Dirty.begin(), s->Dirty.end());
  for (const TRect& r : waiting) dirtyMoved(r);
  ui::ForEachPartOutside(shown, OffsetRect(shown, dx, dy),
                         [&](const TRect& piece) { ui::AddDirty(top, piece); });
  // Other windows' pixels came along; the windows themselves stayed.
  for (const TRect& r : foreign) dirtyMoved(r);
  // So did the caret's inverted pixels.
  if (TRect caret = window->HandleAllocated() ? ui::ShownCaretRect(window->Handle()) : TRect{};
      !caret.IsEmpty()) {
    const TPoint corner = ui::OffsetInWindow(window), offset = window->ClientOffset();
    const TPoint origin = Point(corner.X + offset.X, corner.Y + offset.Y);
    dirtyMoved(OffsetRect(caret, origin.X, origin.Y));
  }
  s->PresentPending = true;
  ui::Drawn(*s);
}

BOOL ScrollWindow(HWND wnd, int XAmount, int YAmount, const TRect* Rect, const TRect* ClipRect) {
  auto* window = dynamic_cast<TWinControl*>(ui::FindWindow(wnd));
  if (!window) return FALSE;
  TRect area = window->ClientRect();
  if (Rect) area = IntersectRect(area, *Rect);
  if (ClipRect) area = IntersectRect(area, *ClipRect);
  ui::ScrollArea(window, area, XAmount, YAmount);
  return TRUE;
}
