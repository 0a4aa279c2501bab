#include "platform/ui/ScrollBars.h"

#include <algorithm>
#include <vector>

#include "platform/gfx/CairoCanvas.h"
#include "platform/gfx/FrameControls.h"
#include "platform/ui/ControlCanvas.h"

int GetScrollBarMetric(int index) {
  if (index == SM_CXHSCROLL) return kScrollArrowSize;
  return index == SM_CXVSCROLL || index == SM_CYHSCROLL ? kScrollBarSize : 0;
}

// ---- geometry ---------------------------------------------------------------

namespace {
constexpr int kMinThumb = 8;
constexpr UINT_PTR kRepeatTimer = 0x5CB0;
constexpr UINT kFirstRepeatMs = 400, kRepeatMs = 60;

struct Track {
  int start = 0;   // first pixel of the track along the bar
  int length = 0;  // pixels between the arrows
  int arrow = 0;   // length of each arrow button
};

Track TrackOf(const TRect& bar, bool horizontal) {
  const int along = horizontal ? bar.Width() : bar.Height();
  const int across = horizontal ? bar.Height() : bar.Width();
  Track t;
  t.arrow = std::min(across, along / 2);
  t.start = (horizontal ? bar.Left : bar.Top) + t.arrow;
  t.length = std::max(0, along - 2 * t.arrow);
  return t;
}
}  // namespace

int TScrollBarGeometry::MaxPos() const {
  const int top = Page > 0 ? Max - Page + 1 : Max;
  return std::max(Min, top);
}

int TScrollBarGeometry::Clamp(int pos) const { return std::clamp(pos, Min, MaxPos()); }

TRect TScrollBarGeometry::ThumbRect(const TRect& bar) const {
  const Track t = TrackOf(bar, Horizontal);
  const long long range = static_cast<long long>(Max) - Min + 1;
  if (range <= 0 || t.length < kMinThumb || (Page > 0 && Page >= range)) return {};
  int thumb = Horizontal ? bar.Height() : bar.Width();
  if (Page > 0) thumb = static_cast<int>(static_cast<long long>(t.length) * Page / range);
  thumb = std::clamp(thumb, kMinThumb, t.length);
  const long long span = static_cast<long long>(MaxPos()) - Min;
  const int offset =
      span <= 0 ? 0
                : static_cast<int>((static_cast<long long>(Clamp(Pos)) - Min) * (t.length - thumb) / span);
  if (Horizontal) return Rect(t.start + offset, bar.Top, t.start + offset + thumb, bar.Bottom);
  return Rect(bar.Left, t.start + offset, bar.Right, t.start + offset + thumb);
}

TScrollPart TScrollBarGeometry::HitTest(const TRect& bar, TPoint p) const {
  if (!PtInRect(bar, p)) return TScrollPart::None;
  const Track t = TrackOf(bar, Horizontal);
  const int at = Horizontal ? p.X : p.Y;
  if (at < t.start) return TScrollPart::LineUp;
  if (at >= t.start + t.length) return TScrollPart::LineDown;
  const TRect thumb = ThumbRect(bar);
  if (thumb.IsEmpty()) return TScrollPart::None;
  const int thumbStart = Horizontal ? thumb.Left : thumb.Top;
  const int thumbEnd = Horizontal ? thumb.Right : thumb.Bottom;
  if (at < thumbStart) return TScrollPart::PageUp;
  if (at >= thumbEnd) return TScrollPart::PageDown;
  return TScrollPart::Thumb;
}

int TScrollBarGeometry::PosFromThumbOffset(const TRect& bar, int offset) const {
  const Track t = TrackOf(bar, Horizontal);
  const TRect thumb = ThumbRect(bar);
  const int thumbLength = Horizontal ? thumb.Width() : thumb.Height();
  const int free = t.length - thumbLength;
  if (free <= 0) return Min;
  const long long span = static_cast<long long>(MaxPos()) - Min;
  offset = std::clamp(offset, 0, free);
  // Rounded, so that each pixel of travel lands on the nearest position.
  return Clamp(static_cast<int>(Min + (span * offset + free / 2) / free));
}

namespace {
// Every look of a bar: the classic one (FSB_REGULAR_MODE), or flat parts of
// which the one under the mouse or held down stands out, raised as the
// classic bar draws it (FSB_ENCARTA_MODE) or inverted (FSB_FLAT_MODE).
void PaintBar(TCanvas& canvas, const TRect& bar, const TScrollBarGeometry& g, bool enabled,
              TScrollPart pressed, TScrollPart hot, int style, TColor trackColor) {
  if (bar.IsEmpty()) return;
  const bool flat = style == FSB_ENCARTA_MODE || style == FSB_FLAT_MODE;
  const Track t = TrackOf(bar, g.Horizontal);
  const TRect thumb = g.ThumbRect(bar);
  const bool active = enabled && !thumb.IsEmpty();
  auto standsOut = [&](TScrollPart part) { return active && (pressed == part || hot == part); };
  auto arrow = [&](TRect r, TScrollPart part, unsigned direction) {
    unsigned state = direction | (active ? 0 : DFCS_INACTIVE);
    if (flat && !standsOut(part))
      state |= DFCS_FLAT;
    else if (flat && style == FSB_FLAT_MODE)
      state |= DFCS_FLAT | DFCS_HOT;
    else if (pressed == part)
      state |= DFCS_PUSHED | DFCS_FLAT;
    DrawFrameControl(canvas, r, DFC_SCROLL, state);
  };
  arrow(g.Horizontal ? Rect(bar.Left, bar.Top, t.start, bar.Bottom)
                     : Rect(bar.Left, bar.Top, bar.Right, t.start),
        TScrollPart::LineUp, g.Horizontal ? DFCS_SCROLLLEFT : DFCS_SCROLLUP);
  arrow(g.Horizontal ? Rect(t.start + t.length, bar.Top, bar.Right, bar.Bottom)
                     : Rect(bar.Left, t.start + t.length, bar.Right, bar.Bottom),
        TScrollPart::LineDown, g.Horizontal ? DFCS_SCROLLRIGHT : DFCS_SCROLLDOWN);
  const TRect track = g.Horizontal ? Rect(t.start, bar.Top, t.start + t.length, bar.Bottom)
                                   : Rect(bar.Left, t.start, bar.Right, t.start + t.length);
  canvas.Brush->Style = bsSolid;
  canvas.Brush->Color = trackColor;
  canvas.FillRect(track);
  if (!active) return;
  // The held page part darkens, as the classic bar shows it.
  if (pressed == TScrollPart::PageUp || pressed == TScrollPart::PageDown) {
    canvas.Brush->Color = clBtnShadow;
    canvas.FillRect(pressed == TScrollPart::PageUp
                        ? (g.Horizontal ? Rect(track.Left, track.Top, thumb.Left, track.Bottom)
                                        : Rect(track.Left, track.Top, track.Right, thumb.Top))
                        : (g.Horizontal ? Rect(thumb.Right, track.Top, track.Right, track.Bottom)
                                        : Rect(track.Left, thumb.Bottom, track.Right, track.Bottom)));
  }
  TRect thumbRect = thumb;
  if (!flat || (style == FSB_ENCARTA_MODE && standsOut(TScrollPart::Thumb))) {
    DrawFrameControl(canvas, thumbRect, DFC_BUTTON, DFCS_BUTTONPUSH);
    return;
  }
  const bool inverted = standsOut(TScrollPart::Thumb);
  canvas.Brush->Color = inverted ? clBtnShadow : clBtnFace;
  canvas.FillRect(thumbRect);
  canvas.Brush->Color = inverted ? clBtnText : clBtnShadow;
  canvas.FrameRect(thumbRect);
}

// A bar is drawn with some forty fills (edges, arrows, track and thumb),
// and a window's bars are painted again with every paint that reaches
// them, mostly looking as they did. On a window's pixels a bar is drawn
// once per look into a picture of its own, and the picture is copied in
// after that: the same pixels, as a bar's drawing depends only on its
// size and its look, not on where it lies.
struct BarLook {
  int width = 0, height = 0;
  TScrollBarGeometry geometry;
  bool enabled = false;
  TScrollPart pressed = TScrollPart::None, hot = TScrollPart::None;
  int style = FSB_REGULAR_MODE;
  TColor track = clScrollBar;
  friend bool operator==(const BarLook&, const BarLook&) = default;
};

struct BarPicture {
  BarLook look;
  TPixelBlock pixels;
  // What drawing the bar leaves the canvas's brush set to (the pen it
  // leaves as it found it).
  TBrush brush;
};

// The looks last drawn, the latest first; never destroyed, as bars may be
// painted while statics go.
std::vector<BarPicture>& BarPictures() {
  static auto* pictures = new std::vector<BarPicture>;
  return *pictures;
}
constexpr size_t kBarPicturesKept = 16;

// Looks drawn once, in place: a picture is made only for a look that comes
// again, as a bar whose thumb moves at every paint (a long scroll) shows
// each look once, and making its picture cost more than drawing it.
std::vector<BarLook>& BarLooksSeen() {
  static auto* seen = new std::vector<BarLook>;
  return *seen;
}

// A canvas whose calls land on an image's pixels unscaled: a window's
// paint. Recording canvases, pages and mapped canvases get the drawing
// itself.
bool DrawsOnScreenPixels(TCanvas& canvas) {
  if (canvas.Maps()) return false;
  auto* control = dynamic_cast<TControlCanvas*>(&canvas);
  return dynamic_cast<TImageCanvas*>(control ? &control->Target() : &canvas) != nullptr;
}

void PaintBarPicture(TCanvas& canvas, const TRect& bar, const TScrollBarGeometry& g, bool enabled,
                     TScrollPart pressed, TScrollPart hot, int style, TColor trackColor) {
  if (bar.IsEmpty()) return;
  if (!DrawsOnScreenPixels(canvas)) {
    PaintBar(canvas, bar, g, enabled, pressed, hot, style, trackColor);
    return;
  }
  const BarLook look{bar.Width(), bar.Height(), g, enabled, pressed, hot, style, trackColor};
  std::vector<BarPicture>& pictures = BarPictures();
  auto found =
      std::find_if(pictures.begin(), pictures.end(), [&](const BarPicture& p) { return p.look == look; });
  if (found == pictures.end()) {
    std::vector<BarLook>& seen = BarLooksSeen();
    if (const auto at = std::find(seen.begin(), seen.end(), look); at != seen.end()) {
      seen.erase(at);
    } else {
      if (seen.size() >= kBarPicturesKept) seen.pop_back();
      seen.insert(seen.begin(), look);
      PaintBar(canvas, bar, g, enabled, pressed, hot, style, trackColor);
      return;
    }
    TImageCanvas image(look.width, look.height);
    PaintBar(image, Rect(0, 0, look.width, look.height), g, enabled, pressed, hot, style, trackColor);
    if (pictures.size() >= kBarPicturesKept) pictures.pop_back();
    TPixelBlock pixels = image.Snapshot();
    pixels.Opaque = true;  // a snapshot's pixels all are
    pictures.insert(pictures.begin(), BarPicture{look, std::move(pixels), *image.Brush});
    found = pictures.begin();
  } else if (found != pictures.begin()) {
    std::rotate(pictures.begin(), found, found + 1);
    found = pictures.begin();
  }
  canvas.DrawPixels(bar, found->pixels, false, 0);
  *canvas.Brush = found->brush;
}
}  // namespace

void PaintScrollBar(TCanvas& canvas, const TRect& bar, const TScrollBarGeometry& g, bool enabled,
                    TScrollPart pressed, TColor trackColor) {
  PaintBar(canvas, bar, g, enabled, pressed, TScrollPart::None, FSB_REGULAR_MODE, trackColor);
}

void PaintFlatScrollBar(TCanvas& canvas, const TRect& bar, const TScrollBarGeometry& g, bool enabled,
                        TScrollPart pressed, TScrollPart hot, int style, TColor trackColor) {
  PaintBar(canvas, bar, g, enabled, pressed, hot, style, trackColor);
}

// ---- the standard bars of a window -----------------------------------------------

namespace {
// Never destroyed: a control a program keeps in a static may die after
// every other static, and its bars leave this registry then.
std::map<TWinControl*, TWindowScrollBars*>& Registry() {
  static auto* registry = new std::map<TWinControl*, TWindowScrollBars*>;
  return *registry;
}

TWindowScrollBars* BarsOf(HWND wnd) {
  auto* control = dynamic_cast<TWinControl*>(ui::FindWindow(wnd));
  if (!control) return nullptr;
  auto it = Registry().find(control);
  return it == Registry().end() ? nullptr : it->second;
}
}  // namespace

TWindowScrollBars::TWindowScrollBars(TWinControl* owner) : owner_(owner) {
  bars_[0].geometry.Horizontal = true;
  bars_[1].geometry.Horizontal = false;
  Registry()[owner] = this;
}

TWindowScrollBars::~TWindowScrollBars() {
  if (tracking_ >= 0 && owner_->HandleAllocated()) KillTimer(owner_->Handle(), kRepeatTimer);
  Registry().erase(owner_);
}

void TWindowScrollBars::SetStyle(TScrollStyle style) {
  if (style == style_) return;
  style_ = style;
  owner_->Invalidate();
}

bool TWindowScrollBars::Showing(int bar) const {
  const bool styled = bar == SB_VERT ? (style_ == ssVertical || style_ == ssBoth)
                                     : (style_ == ssHorizontal || style_ == ssBoth);
  return styled && Bar(bar).visible;
}

void TWindowScrollBars::Show(int bar, bool show) {
  if (bar == SB_BOTH) {
    Show(SB_HORZ, show);
    Show(SB_VERT, show);
    return;
  }
  if (Bar(bar).visible == show) return;
  Bar(bar).visible = show;
  owner_->Invalidate();
}

void TWindowScrollBars::Enable(int bar, bool enable) {
  Bar(bar).enabled = enable;
  InvalidateBar(bar);
}

bool TWindowScrollBars::Enabled(int bar) const { return Bar(bar).enabled; }

int TWindowScrollBars::SetInfo(int bar, const SCROLLINFO& info, bool redraw) {
  TScrollBarGeometry& g = Bar(bar).geometry;
  const TScrollBarGeometry was = g;
  if (info.fMask & SIF_RANGE) {
    g.Min = info.nMin;
    g.Max = std::max(info.nMin, info.nMax);
  }
  if (info.fMask & SIF_PAGE) g.Page = static_cast<int>(std::min<UINT>(info.nPage, 0x7FFFFFFF));
  if (info.fMask & SIF_POS) g.Pos = info.nPos;
  g.Pos = g.Clamp(g.Pos);
  if (redraw && (g.Min != was.Min || g.Max != was.Max || g.Page != was.Page || g.Pos != was.Pos))
    InvalidateBar(bar);
  return g.Pos;
}

bool TWindowScrollBars::GetInfo(int bar, SCROLLINFO& info) const {
  if (BeforeRead) BeforeRead();
  const BarState& b = Bar(bar);
  if (info.fMask & SIF_RANGE) {
    info.nMin = b.geometry.Min;
    info.nMax = b.geometry.Max;
  }
  if (info.fMask & SIF_PAGE) info.nPage = static_cast<UINT>(b.geometry.Page);
  if (info.fMask & SIF_POS) info.nPos = b.geometry.Pos;
  if (info.fMask & SIF_TRACKPOS) info.nTrackPos = tracking_ == bar ? b.trackPos : b.geometry.Pos;
  return true;
}

int TWindowScrollBars::SetPos(int bar, int pos, bool redraw) {
  const int old = Bar(bar).geometry.Pos;
  SCROLLINFO info;
  info.fMask = SIF_POS;
  info.nPos = pos;
  SetInfo(bar, info, redraw);
  return old;
}

void TWindowScrollBars::SetRange(int bar, int minPos, int maxPos, bool redraw) {
  SCROLLINFO info;
  info.fMask = SIF_RANGE;
  info.nMin = minPos;
  info.nMax = maxPos;
  SetInfo(bar, info, redraw);
}

int TWindowScrollBars::Thickness(int bar) const { return flat_ ? Bar(bar).thickness : kScrollBarSize; }

TRect TWindowScrollBars::ContentRect(const TRect& inner) const {
  if (fillsOwner_) return {};
  TRect r = inner;
  if (Showing(SB_VERT)) r.Right = std::max(r.Left, r.Right - Thickness(SB_VERT));
  if (Showing(SB_HORZ)) r.Bottom = std::max(r.Top, r.Bottom - Thickness(SB_HORZ));
  return r;
}

void TWindowScrollBars::InitFlat() {
  if (flat_) return;
  flat_ = true;
  owner_->Invalidate();
}

void TWindowScrollBars::DoneFlat() {
  if (!flat_) return;
  // A later start begins from the standard properties again.
  for (BarState& b : bars_) {
    b.style = FSB_REGULAR_MODE;
    b.track = clScrollBar;
    b.thickness = kScrollBarSize;
  }
  flat_ = false;
  hotBar_ = -1;
  hot_ = TScrollPart::None;
  owner_->Invalidate();
}

bool TWindowScrollBars::SetFlatProp(UINT index, int value, bool redraw) {
  if (!flat_) return false;
  switch (index) {
    case WSB_PROP_CYHSCROLL:
      Bar(SB_HORZ).thickness = std::max(0, value);
      break;
    case WSB_PROP_CXVSCROLL:
      Bar(SB_VERT).thickness = std::max(0, value);
      break;
    case WSB_PROP_HBKGCOLOR:
      Bar(SB_HORZ).track = static_cast<TColor>(value);
      break;
    case WSB_PROP_VBKGCOLOR:
      Bar(SB_VERT).track = static_cast<TColor>(value);
      break;
    case WSB_PROP_HSTYLE:
    case WSB_PROP_VSTYLE:
      if (value < FSB_REGULAR_MODE || value > FSB_FLAT_MODE) return false;
      Bar(index == WSB_PROP_HSTYLE ? SB_HORZ : SB_VERT).style = value;
      break;
    default:
      return false;
  }
  // A thickness moves the owner's contents as well as the bar.
  if (redraw) owner_->Invalidate();
  return true;
}

bool TWindowScrollBars::GetFlatProp(UINT index, int& value) const {
  if (!flat_) return false;
  switch (index) {
    case WSB_PROP_CYHSCROLL:
      value = Bar(SB_HORZ).thickness;
      return true;
    case WSB_PROP_CXVSCROLL:
      value = Bar(SB_VERT).thickness;
      return true;
    case WSB_PROP_HBKGCOLOR:
      value = static_cast<int>(Bar(SB_HORZ).track);
      return true;
    case WSB_PROP_VBKGCOLOR:
      value = static_cast<int>(Bar(SB_VERT).track);
      return true;
    case WSB_PROP_HSTYLE:
      value = Bar(SB_HORZ).style;
      return true;
    case WSB_PROP_VSTYLE:
      value = Bar(SB_VERT).style;
      return true;
    default:
      return false;
  }
}

void TWindowScrollBars::SetHot(int bar, TScrollPart part) {
  if (part == TScrollPart::None) bar = -1;
  if (bar == hotBar_ && part == hot_) return;
  const int old = hotBar_;
  hotBar_ = bar;
  hot_ = part;
  if (old >= 0) InvalidateBar(old);
  if (bar >= 0 && bar != old) InvalidateBar(bar);
}

void TWindowScrollBars::MouseLeft() {
  if (tracking_ < 0) SetHot(-1, TScrollPart::None);
}

TRect TWindowScrollBars::BarRect(const TRect& inner, int bar) const {
  if (!Showing(bar)) return {};
  if (fillsOwner_) return inner;
  const TRect content = ContentRect(inner);
  if (bar == SB_VERT) return Rect(content.Right, inner.Top, inner.Right, content.Bottom);
  return Rect(inner.Left, content.Bottom, content.Right, inner.Bottom);
}

void TWindowScrollBars::Paint(TCanvas& canvas, const TRect& inner) {
  inner_ = inner;
  // A bar the clip leaves out is not drawn again.
  const TRect clip = canvas.ClipRect();
  for (int bar : {SB_HORZ, SB_VERT}) {
    const TRect r = BarRect(inner, bar);
    if (IntersectRect(r, clip).IsEmpty()) continue;
    TScrollBarGeometry g = Bar(bar).geometry;
    if (tracking_ == bar && pressed_ == TScrollPart::Thumb) g.Pos = Bar(bar).trackPos;
    const bool enabled = Bar(bar).enabled && owner_->Enabled();
    const TScrollPart pressed = tracking_ == bar ? pressed_ : TScrollPart::None;
    if (flat_)
      PaintBarPicture(canvas, r, g, enabled, pressed, HotPart(bar), Bar(bar).style, Bar(bar).track);
    else
      PaintBarPicture(canvas, r, g, enabled, pressed, TScrollPart::None, FSB_REGULAR_MODE, clScrollBar);
  }
  // The corner where both bars meet.
  const TRect corner =
      Rect(inner.Right - Thickness(SB_VERT), inner.Bottom - Thickness(SB_HORZ), inner.Right, inner.Bottom);
  if (!fillsOwner_ && Showing(SB_HORZ) && Showing(SB_VERT) && !IntersectRect(corner, clip).IsEmpty()) {
    canvas.Brush->Style = bsSolid;
    canvas.Brush->Color = clBtnFace;
    canvas.FillRect(corner);
  }
}

void TWindowScrollBars::InvalidateBar(int bar) {
  // Bars are drawn inside the owner, where it last put them; its paint
  // redraws them. A bar that does not show draws nothing (showing it
  // repaints the owner).
  const TRect r = BarRect(inner_.value_or(owner_->ClientRect()), bar);
  if (!r.IsEmpty()) owner_->InvalidateRect(r);
}

void TWindowScrollBars::Send(int bar, int code, int pos) {
  const UINT msg = bar == SB_VERT ? WM_VSCROLL : WM_HSCROLL;
  owner_->Perform(msg, MAKEWPARAM(code, pos), 0);
}

void TWindowScrollBars::RepeatPart(const TRect& inner) {
  if (tracking_ < 0) return;
  const TRect r = BarRect(inner, tracking_);
  // A page part repeats only while the mouse still rests on it.
  const TScrollPart under = Bar(tracking_).geometry.HitTest(r, lastMouse_);
  if (under != pressed_) return;
  switch (pressed_) {
    case TScrollPart::LineUp:
      Send(tracking_, SB_LINEUP, 0);
      break;
    case TScrollPart::LineDown:
      Send(tracking_, SB_LINEDOWN, 0);
      break;
    case TScrollPart::PageUp:
      Send(tracking_, SB_PAGEUP, 0);
      break;
    case TScrollPart::PageDown:
      Send(tracking_, SB_PAGEDOWN, 0);
      break;
    default:
      break;
  }
}

bool TWindowScrollBars::MouseMessage(TMessage& m, const TRect& inner) {
  inner_ = inner;
  const TPoint p = Point(MsgX(m), MsgY(m));
  if (m.Msg == WM_LBUTTONDOWN || m.Msg == WM_LBUTTONDBLCLK) {
    for (int bar : {SB_HORZ, SB_VERT}) {
      const TRect r = BarRect(inner, bar);
      if (!PtInRect(r, p)) continue;
      BarState& b = Bar(bar);
      if (!b.enabled) return true;
      const TScrollPart part = b.geometry.HitTest(r, p);
      if (part == TScrollPart::None) return true;
      tracking_ = bar;
      pressed_ = part;
      lastMouse_ = p;
      b.trackPos = b.geometry.Pos;
      owner_->SetMouseCapture(true);
      if (part == TScrollPart::Thumb) {
        const TRect thumb = b.geometry.ThumbRect(r);
        thumbGrab_ = b.geometry.Horizontal ? p.X - thumb.Left : p.Y - thumb.Top;
      } else {
        RepeatPart(inner);
        if (tracking_ >= 0) SetTimer(owner_->Handle(), kRepeatTimer, kFirstRepeatMs);
      }
      InvalidateBar(bar);
      return true;
    }
    return false;
  }
  if (tracking_ < 0) {
    // Flat bars show the part under the mouse; the owner still gets the move.
    if (flat_ && m.Msg == WM_MOUSEMOVE) {
      int hotBar = -1;
      TScrollPart part = TScrollPart::None;
      for (int bar : {SB_HORZ, SB_VERT}) {
        const TRect r = BarRect(inner, bar);
        if (!PtInRect(r, p) || !Bar(bar).enabled) continue;
        hotBar = bar;
        part = Bar(bar).geometry.HitTest(r, p);
      }
      SetHot(hotBar, part);
    }
    return false;
  }
  const int bar = tracking_;
  BarState& b = Bar(bar);
  const TRect r = BarRect(inner, bar);
  lastMouse_ = p;
  if (m.Msg == WM_MOUSEMOVE) {
    if (pressed_ == TScrollPart::Thumb) {
      const TRect thumb = b.geometry.ThumbRect(r);
      const int trackStart = TrackOf(r, b.geometry.Horizontal).start;
      const int offset = (b.geometry.Horizontal ? p.X : p.Y) - thumbGrab_ - trackStart;
      (void)thumb;
      const int pos = b.geometry.PosFromThumbOffset(r, offset);
      if (pos != b.trackPos) {
        b.trackPos = pos;
        Send(bar, SB_THUMBTRACK, pos);
        InvalidateBar(bar);
      }
    }
    return true;
  }
  if (m.Msg == WM_LBUTTONUP) {
    const TScrollPart part = pressed_;
    KillTimer(owner_->Handle(), kRepeatTimer);
    owner_->SetMouseCapture(false);
    // The owner reads the track position (SIF_TRACKPOS) while it handles
    // the final position, so the tracking ends after it.
    if (part == TScrollPart::Thumb) Send(bar, SB_THUMBPOSITION, b.trackPos);
    tracking_ = -1;
    pressed_ = TScrollPart::None;
    Send(bar, SB_ENDSCROLL, 0);
    InvalidateBar(bar);
    return true;
  }
  return m.Msg >= WM_MOUSEFIRST && m.Msg <= WM_MOUSELAST && m.Msg != WM_MOUSEWHEEL;
}

bool TWindowScrollBars::TimerMessage(const TMessage& m, const TRect& inner) {
  if (m.WParam != kRepeatTimer) return false;
  if (tracking_ < 0) {
    KillTimer(owner_->Handle(), kRepeatTimer);
    return true;
  }
  SetTimer(owner_->Handle(), kRepeatTimer, kRepeatMs);
  RepeatPart(inner);
  return true;
}

int SetScrollInfo(HWND wnd, int bar, const SCROLLINFO* info, BOOL redraw) {
  TWindowScrollBars* bars = BarsOf(wnd);
  if (!bars || !info) return 0;
  return bars->SetInfo(bar, *info, redraw != 0);
}

BOOL GetScrollInfo(HWND wnd, int bar, SCROLLINFO* info) {
  TWindowScrollBars* bars = BarsOf(wnd);
  if (!bars || !info) return 0;
  return bars->GetInfo(bar, *info) ? 1 : 0;
}

int SetScrollPos(HWND wnd, int bar, int pos, BOOL redraw) {
  TWindowScrollBars* bars = BarsOf(wnd);
  return bars ? bars->SetPos(bar, pos, redraw != 0) : 0;
}

int GetScrollPos(HWND wnd, int bar) {
  TWindowScrollBars* bars = BarsOf(wnd);
  return bars ? bars->Pos(bar) : 0;
}

BOOL SetScrollRange(HWND wnd, int bar, int minPos, int maxPos, BOOL redraw) {
  TWindowScrollBars* bars = BarsOf(wnd);
  if (!bars) return 0;
  bars->SetRange(bar, minPos, maxPos, redraw != 0);
  return 1;
}

BOOL GetScrollRange(HWND wnd, int bar, int* minPos, int* maxPos) {
  TWindowScrollBars* bars = BarsOf(wnd);
  if (!bars) return 0;
  SCROLLINFO info;
  info.fMask = SIF_RANGE;
  bars->GetInfo(bar, info);
  if (minPos) *minPos = info.nMin;
  if (maxPos) *maxPos = info.nMax;
  return 1;
}

BOOL ShowScrollBar(HWND wnd, int bar, BOOL show) {
  TWindowScrollBars* bars = BarsOf(wnd);
  if (!bars) return 0;
  bars->Show(bar, show != 0);
  return 1;
}

BOOL InitializeFlatSB(HWND wnd) {
  TWindowScrollBars* bars = BarsOf(wnd);
  if (!bars) return 0;
  bars->InitFlat();
  return 1;
}

BOOL UninitializeFlatSB(HWND wnd) {
  TWindowScrollBars* bars = BarsOf(wnd);
  if (!bars) return 0;
  bars->DoneFlat();
  return 1;
}

BOOL FlatSB_SetScrollProp(HWND wnd, UINT index, int value, BOOL redraw) {
  TWindowScrollBars* bars = BarsOf(wnd);
  return bars && bars->SetFlatProp(index, value, redraw != 0) ? 1 : 0;
}

BOOL FlatSB_GetScrollProp(HWND wnd, UINT index, int* value) {
  TWindowScrollBars* bars = BarsOf(wnd);
  int v = 0;
  if (!bars || !value || !bars->GetFlatProp(index, v)) return 0;
  *value = v;
  return 1;
}

int FlatSB_SetScrollInfo(HWND wnd, int bar, const SCROLLINFO* info, BOOL redraw) {
  return SetScrollInfo(wnd, bar, info, redraw);
}

BOOL FlatSB_GetScrollInfo(HWND wnd, int bar, SCROLLINFO* info) { return GetScrollInfo(wnd, bar, info); }

BOOL FlatSB_ShowScrollBar(HWND wnd, int bar, BOOL show) { return ShowScrollBar(wnd, bar, show); }

// ---- TScrollBar ----------------------------------------------------------------

TScrollBar::TScrollBar(TComponent* AOwner) : TCustomControl(AOwner), bar_(this) {
  SetTabStop(true);
  bar_.SetFillsOwner(true);
  bar_.SetStyle(ssHorizontal);
  bar_.SetRange(SB_HORZ, 0, 100, false);
  bar_.SetRange(SB_VERT, 0, 100, false);
  SetBounds(0, 0, 121, kScrollBarSize + 1);
}

int TScrollBar::Min() const {
  SCROLLINFO info;
  info.fMask = SIF_RANGE;
  bar_.GetInfo(BarId(), info);
  return info.nMin;
}

int TScrollBar::Max() const {
  SCROLLINFO info;
  info.fMask = SIF_RANGE;
  bar_.GetInfo(BarId(), info);
  return info.nMax;
}

int TScrollBar::Position() const { return bar_.Pos(BarId()); }

int TScrollBar::PageSize() const {
  SCROLLINFO info;
  info.fMask = SIF_PAGE;
  bar_.GetInfo(BarId(), info);
  return static_cast<int>(info.nPage);
}

void TScrollBar::SetKind(TScrollBarKind kind) {
  if (kind == kind_) return;
  const int pos = Position(), lo = Min(), hi = Max(), page = PageSize();
  kind_ = kind;
  bar_.SetStyle(kind == sbVertical ? ssVertical : ssHorizontal);
  SetBounds(Left(), Top(), Height(), Width());
  SetParams(pos, lo, hi);
  SetPageSize(page);
}

void TScrollBar::SetPageSize(int v) {
  SCROLLINFO info;
  info.fMask = SIF_PAGE;
  info.nPage = static_cast<UINT>(std::max(0, v));
  const int before = Position();
  bar_.SetInfo(BarId(), info, true);
  if (Position() != before) Change();
}

void TScrollBar::SetParams(int APosition, int AMin, int AMax) {
  if (AMin > AMax) throw EInvalidOperation("Scroll bar property out of range");
  const int before = Position();
  SCROLLINFO info;
  info.fMask = SIF_RANGE | SIF_POS;
  info.nMin = AMin;
  info.nMax = AMax;
  info.nPos = APosition;
  bar_.SetInfo(BarId(), info, true);
  if (Position() != before) Change();
}

void TScrollBar::Change() {
  if (OnChange) OnChange(this);
}

void TScrollBar::Scroll(TScrollCode ScrollCode, int& ScrollPos) {
  if (OnScroll) OnScroll(this, ScrollCode, ScrollPos);
}

void TScrollBar::Step(int code, int trackPos) {
  int pos = Position();
  switch (code) {
    case SB_LINEUP:
      pos -= SmallChange;
      break;
    case SB_LINEDOWN:
      pos += SmallChange;
      break;
    case SB_PAGEUP:
      pos -= LargeChange;
      break;
    case SB_PAGEDOWN:
      pos += LargeChange;
      break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK:
      pos = trackPos;
      break;
    case SB_TOP:
      pos = Min();
      break;
    case SB_BOTTOM:
      pos = Max();
      break;
    default:
      break;
  }
  SCROLLINFO info;
  info.fMask = SIF_RANGE | SIF_PAGE;
  bar_.GetInfo(BarId(), info);
  TScrollBarGeometry g;
  g.Min = info.nMin;
  g.Max = info.nMax;
  g.Page = static_cast<int>(info.nPage);
  pos = g.Clamp(pos);
  Scroll(static_cast<TScrollCode>(code), pos);
  SetPosition(pos);
}

void TScrollBar::Dispatch(TMessage& m) {
  switch (m.Msg) {
    case WM_HSCROLL:
    case WM_VSCROLL:
      Step(m.WParamLo(), static_cast<SmallInt>(m.WParamHi()));
      return;
    case WM_TIMER:
      if (bar_.TimerMessage(m, ClientRect())) return;
      break;
    case WM_GETDLGCODE:
      m.Result = DLGC_WANTARROWS;
      return;
    default:
      if (m.Msg >= WM_MOUSEFIRST && m.Msg < WM_MOUSEWHEEL && bar_.MouseMessage(m, ClientRect())) {
        if (m.Msg == WM_LBUTTONDOWN && CanFocus()) SetFocus();
        return;
      }
      break;
  }
  TCustomControl::Dispatch(m);
}

void TScrollBar::KeyDown(Word& Key, TShiftState Shift) {
  TCustomControl::KeyDown(Key, Shift);
  const bool vertical = kind_ == sbVertical;
  int code = -1;
  switch (Key) {
    case VK_UP:
      code = vertical ? SB_LINEUP : -1;
      break;
    case VK_LEFT:
      code = vertical ? -1 : SB_LINEUP;
      break;
    case VK_DOWN:
      code = vertical ? SB_LINEDOWN : -1;
      break;
    case VK_RIGHT:
      code = vertical ? -1 : SB_LINEDOWN;
      break;
    case VK_PRIOR:
      code = SB_PAGEUP;
      break;
    case VK_NEXT:
      code = SB_PAGEDOWN;
      break;
    case VK_HOME:
      code = SB_TOP;
      break;
    case VK_END:
      code = SB_BOTTOM;
      break;
    default:
      break;
  }
  if (code < 0) return;
  Step(code, 0);
  Step(SB_ENDSCROLL, 0);
  Key = 0;
}

void TScrollBar::Paint() { bar_.Paint(Canvas(), ClientRect()); }
