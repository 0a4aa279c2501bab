#pragma once
// Scroll bars: the standard bars a window may carry along its right and
// bottom edges, and the TScrollBar control. A bar holds a range, a page and
// a position; clicks on its arrows and track and drags of its thumb become
// WM_HSCROLL / WM_VSCROLL messages with the system's codes (SB_LINEUP...)
// to the window that owns it, which moves its contents and sets the new
// position. The geometry of a bar lives in TScrollBarGeometry, free of
// windows; every bar draws through PaintScrollBar, the classic look.

#include <functional>
#include <map>
#include <optional>

#include "platform/ui/Controls.h"

enum TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };
enum TScrollBarKind { sbHorizontal, sbVertical };
enum TScrollCode {
  scLineUp,
  scLineDown,
  scPageUp,
  scPageDown,
  scPosition,
  scTrack,
  scTop,
  scBottom,
  scEndScroll
};

struct SCROLLINFO {
  UINT cbSize = sizeof(SCROLLINFO);
  UINT fMask = 0;
  int nMin = 0;
  int nMax = 0;
  UINT nPage = 0;
  int nPos = 0;
  int nTrackPos = 0;
};
constexpr UINT SIF_RANGE = 0x1, SIF_PAGE = 0x2, SIF_POS = 0x4, SIF_DISABLENOSCROLL = 0x8, SIF_TRACKPOS = 0x10,
               SIF_ALL = 0x17;
constexpr int SM_CXVSCROLL = 2, SM_CYHSCROLL = 3, SM_CXHSCROLL = 21;
// The width of a horizontal bar's arrow button.
constexpr int kScrollArrowSize = 16;
// The thickness of the standard bars.
constexpr int kScrollBarSize = 16;
int GetScrollBarMetric(int index);

// The parts of a bar, in order along it.
enum class TScrollPart { None, LineUp, PageUp, Thumb, PageDown, LineDown };

// One bar's numbers and where its parts lie in a given rectangle.
struct TScrollBarGeometry {
  int Min = 0;
  int Max = 100;
  int Page = 0;  // 0: the thumb has its minimum length
  int Pos = 0;
  bool Horizontal = false;
  // The highest position a thumb can reach: Max - Page + 1 with a page.
  int MaxPos() const;
  int Clamp(int pos) const;
  // Thumb rectangle in Bar; empty when the bar is too short for one or the
  // range is empty.
  TRect ThumbRect(const TRect& bar) const;
  TScrollPart HitTest(const TRect& bar, TPoint p) const;
  // The position a thumb whose leading edge lies Offset pixels from the
  // start of the track stands for.
  int PosFromThumbOffset(const TRect& bar, int offset) const;
  friend bool operator==(const TScrollBarGeometry&, const TScrollBarGeometry&) = default;
};

// Draws a bar in the classic look; Pressed is the part held down. Track
// is the colour between the arrows.
void PaintScrollBar(TCanvas& canvas, const TRect& bar, const TScrollBarGeometry& g, bool enabled,
                    TScrollPart pressed, TColor track = clScrollBar);

// The looks of flat bars: the classic bar, flat parts that show raised
// under the mouse, or flat parts that show inverted under the mouse.
constexpr int FSB_REGULAR_MODE = 0, FSB_ENCARTA_MODE = 1, FSB_FLAT_MODE = 2;
// The properties of flat bars that FlatSB_SetScrollProp sets: the
// horizontal bar's height, the vertical bar's width, each bar's track
// colour and each bar's look.
constexpr UINT WSB_PROP_CYHSCROLL = 0x4, WSB_PROP_CXVSCROLL = 0x8, WSB_PROP_VBKGCOLOR = 0x40,
               WSB_PROP_HBKGCOLOR = 0x80, WSB_PROP_VSTYLE = 0x100, WSB_PROP_HSTYLE = 0x200;

// A flat bar in one of the looks above, Hot the part under the mouse.
void PaintFlatScrollBar(TCanvas& canvas, const TRect& bar, const TScrollBarGeometry& g, bool enabled,
                        TScrollPart pressed, TScrollPart hot, int style, TColor track);

// The standard bars of a window. The owner control keeps one, asks it what
// is left of its client area, lets it paint, and hands it mouse and timer
// messages first; the bars send WM_HSCROLL / WM_VSCROLL back to the owner.
class TWindowScrollBars {
 public:
  explicit TWindowScrollBars(TWinControl* owner);
  ~TWindowScrollBars();
  TWindowScrollBars(const TWindowScrollBars&) = delete;
  TWindowScrollBars& operator=(const TWindowScrollBars&) = delete;

  // Which bars show (a bar also shows only when Visible for it).
  void SetStyle(TScrollStyle style);
  // The one bar of the style fills the whole inner area (a scroll bar
  // control) instead of a strip along the edge.
  void SetFillsOwner(bool fills) { fillsOwner_ = fills; }
  TScrollStyle Style() const { return style_; }
  bool Showing(int bar) const;
  void Show(int bar, bool show);
  void Enable(int bar, bool enable);
  bool Enabled(int bar) const;

  // SetScrollInfo/GetScrollInfo semantics; the position is kept in range.
  int SetInfo(int bar, const SCROLLINFO& info, bool redraw);
  bool GetInfo(int bar, SCROLLINFO& info) const;
  int Pos(int bar) const {
    if (BeforeRead) BeforeRead();
    return Bar(bar).geometry.Pos;
  }
  // Called before the bars' numbers are read, so that an owner that sets
  // them lazily can bring them up to date first.
  std::function<void()> BeforeRead;
  int SetPos(int bar, int pos, bool redraw = true);
  void SetRange(int bar, int minPos, int maxPos, bool redraw = true);

  // Inner: the owner's area inside its border. Returns what is left for the
  // contents once the showing bars took their strips.
  TRect ContentRect(const TRect& inner) const;
  // Flat bars: from InitFlat until DoneFlat the bars take their look,
  // track colour and thickness from the flat properties (WSB_PROP_...).
  void InitFlat();
  void DoneFlat();
  bool Flat() const { return flat_; }
  // False for a property flat bars do not have, or while they are off.
  bool SetFlatProp(UINT index, int value, bool redraw);
  bool GetFlatProp(UINT index, int& value) const;
  // The bar's thickness across: the standard size unless flat bars set it.
  int Thickness(int bar) const;
  // The part of a bar the mouse rests on (flat bars only).
  TScrollPart HotPart(int bar) const { return hotBar_ == bar ? hot_ : TScrollPart::None; }
  // The mouse left the owner: no part is under it any more.
  void MouseLeft();
  TRect BarRect(const TRect& inner, int bar) const;
  void Paint(TCanvas& canvas, const TRect& inner);

  // Mouse messages of the owner (client coordinates); true when a bar took
  // it. The owner passes every mouse message while a bar is tracking.
  bool MouseMessage(TMessage& m, const TRect& inner);
  bool Tracking() const { return tracking_ >= 0; }
  // WM_TIMER of the owner: auto-repeat of a held arrow or track.
  bool TimerMessage(const TMessage& m, const TRect& inner);

 private:
  struct BarState {
    TScrollBarGeometry geometry;
    bool visible = true;
    bool enabled = true;
    int trackPos = 0;
    // Flat properties.
    int style = FSB_REGULAR_MODE;
    TColor track = clScrollBar;
    int thickness = kScrollBarSize;
  };
  void SetHot(int bar, TScrollPart part);
  BarState& Bar(int bar) { return bars_[bar == SB_VERT ? 1 : 0]; }
  const BarState& Bar(int bar) const { return bars_[bar == SB_VERT ? 1 : 0]; }
  void Send(int bar, int code, int pos);
  void RepeatPart(const TRect& inner);
  void InvalidateBar(int bar);

  TWinControl* owner_;
  // Where the owner last put the bars (inside its border, say); its client
  // area until it first paints them.
  std::optional<TRect> inner_;
  TScrollStyle style_ = ssNone;
  bool fillsOwner_ = false;
  BarState bars_[2];
  int tracking_ = -1;  // SB_HORZ / SB_VERT while the mouse holds a part
  TScrollPart pressed_ = TScrollPart::None;
  int thumbGrab_ = 0;  // where in the thumb the mouse took it
  TPoint lastMouse_;
  bool flat_ = false;
  int hotBar_ = -1;
  TScrollPart hot_ = TScrollPart::None;
};

// Windows' calls on a window's standard bars; a window without bars
// answers 0 / false.
int SetScrollInfo(HWND wnd, int bar, const SCROLLINFO* info, BOOL redraw);
BOOL GetScrollInfo(HWND wnd, int bar, SCROLLINFO* info);
int SetScrollPos(HWND wnd, int bar, int pos, BOOL redraw);
int GetScrollPos(HWND wnd, int bar);
BOOL SetScrollRange(HWND wnd, int bar, int minPos, int maxPos, BOOL redraw);
BOOL GetScrollRange(HWND wnd, int bar, int* minPos, int* maxPos);
BOOL ShowScrollBar(HWND wnd, int bar, BOOL show);

// The flat bars of a window: InitializeFlatSB turns them on (true when the
// window has standard bars), UninitializeFlatSB off; the FlatSB_ calls act
// on the standard bars as their plain namesakes do.
BOOL InitializeFlatSB(HWND wnd);
BOOL UninitializeFlatSB(HWND wnd);
BOOL FlatSB_SetScrollProp(HWND wnd, UINT index, int value, BOOL redraw);
BOOL FlatSB_GetScrollProp(HWND wnd, UINT index, int* value);
int FlatSB_SetScrollInfo(HWND wnd, int bar, const SCROLLINFO* info, BOOL redraw);
BOOL FlatSB_GetScrollInfo(HWND wnd, int bar, SCROLLINFO* info);
BOOL FlatSB_ShowScrollBar(HWND wnd, int bar, BOOL show);

// A scroll bar as a control of its own: OnScroll for each step (the handler
// may change ScrollPos), then OnChange when Position moved.
using TScrollEvent = std::function<void(TObject* Sender, TScrollCode ScrollCode, int& ScrollPos)>;

class TScrollBar : public TCustomControl {
 public:
  explicit TScrollBar(TComponent* AOwner);
  TScrollBarKind Kind() const { return kind_; }
  void SetKind(TScrollBarKind kind);
  int Min() const;
  int Max() const;
  int Position() const;
  int PageSize() const;
  void SetMin(int v) { SetParams(Position(), v, Max()); }
  void SetMax(int v) { SetParams(Position(), Min(), v); }
  void SetPosition(int v) { SetParams(v, Min(), Max()); }
  void SetPageSize(int v);
  // Raises EInvalidOperation when AMin > AMax.
  void SetParams(int APosition, int AMin, int AMax);
  int SmallChange = 1;
  int LargeChange = 1;
  TNotifyEvent OnChange;
  TScrollEvent OnScroll;
  void Dispatch(TMessage& Message) override;

 protected:
  virtual void Change();
  virtual void Scroll(TScrollCode ScrollCode, int& ScrollPos);
  void Paint() override;
  void KeyDown(Word& Key, TShiftState Shift) override;

 private:
  int BarId() const { return kind_ == sbVertical ? SB_VERT : SB_HORZ; }
  void Step(int code, int trackPos);
  TScrollBarKind kind_ = sbHorizontal;
  TWindowScrollBars bar_;
};
