#include <deque>
#include <map>
#include <memory>
#include <set>

#include "platform/gfx/Types.h"
#include "platform/rtl/Cp1253.h"
#include "platform/rtl/FileUtils.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/DragDrop.h"
#include "platform/ui/Forms.h"
#include "platform/ui/Input.h"
#include "platform/ui/MessageLoop.h"
#include "platform/ui/WindowManager.h"

namespace {

struct MouseState {
  TPoint screen{0, 0};
  int lastButton = -1;
  DWORD lastTime = 0;
  TPoint lastPos{0, 0};
  HWND lastWindow = nullptr;
  UINT wheelLines = 3;
  std::set<HWND> acceptsFiles;
};

struct Drop {
  std::vector<AnsiString> files;
  TPoint point;
};

std::map<HDROP, std::unique_ptr<Drop>>& Drops() {
  static std::map<HDROP, std::unique_ptr<Drop>> drops;
  return drops;
}

MouseState& M() {
  static auto* m = new MouseState;  // past the last control, as the windows
  return *m;
}

// Dropped names the code page cannot hold, told to the user from the
// message loop: a box shown while the drop is handled would keep the
// dragging program waiting for the drop's end.
class TRefusedDrops : public TWindowTarget {
 public:
  void Tell(std::string name) {
    pending_.push_back(std::move(name));
    if (ui::FindWindow(handle_) != this) handle_ = ui::RegisterWindow(this);
    PostMessage(handle_, kTell, 0, 0);
  }
  LRESULT WindowMessage(UINT msg, WPARAM, LPARAM) override {
    if (msg != kTell || pending_.empty()) return 0;
    const std::string name = std::move(pending_.front());
    pending_.pop_front();
    MessageDlg(UnheldNameMessage(name), mtWarning, {mbOK});
    return 0;
  }

 private:
  static constexpr UINT kTell = WM_USER + 1;
  HWND handle_ = nullptr;
  std::deque<std::string> pending_;
};

TRefusedDrops& RefusedDrops() {
  static auto* refused = new TRefusedDrops;  // past the last window
  return *refused;
}

constexpr Word kButtonVk[3] = {VK_LBUTTON, VK_RBUTTON, VK_MBUTTON};
constexpr UINT kDown[3] = {WM_LBUTTONDOWN, WM_RBUTTONDOWN, WM_MBUTTONDOWN};
constexpr UINT kUp[3] = {WM_LBUTTONUP, WM_RBUTTONUP, WM_MBUTTONUP};
constexpr UINT kDbl[3] = {WM_LBUTTONDBLCLK, WM_RBUTTONDBLCLK, WM_MBUTTONDBLCLK};

WPARAM KeyFlags() {
  WPARAM k = 0;
  if (GetAsyncKeyState(VK_LBUTTON) < 0) k |= MK_LBUTTON;
  if (GetAsyncKeyState(VK_RBUTTON) < 0) k |= MK_RBUTTON;
  if (GetAsyncKeyState(VK_MBUTTON) < 0) k |= MK_MBUTTON;
  if (GetAsyncKeyState(VK_SHIFT) < 0) k |= MK_SHIFT;
  if (GetAsyncKeyState(VK_CONTROL) < 0) k |= MK_CONTROL;
  return k;
}

// A point of a top-level window on the screen.
TPoint WindowToScreen(const TWinControl* window, TPoint p) {
  return Point(window->Left() + p.X, window->Top() + p.Y);
}

// The deepest visible windowed control under a point of Window; nullptr
// when that control (or one above it) is disabled.
TWinControl* WindowAt(TWinControl* window, TPoint p) {
  TWinControl* w = window;
  p = Point(p.X - window->ClientOffset().X, p.Y - window->ClientOffset().Y);
  for (;;) {
    TControl* c = w->ControlAtPos(p, true, true);
    if (!c || !c->IsWindowed()) break;
    p = Point(p.X - c->Left() - c->ClientOffset().X, p.Y - c->Top() - c->ClientOffset().Y);
    w = static_cast<TWinControl*>(c);
  }
  for (TControl* c = w; c; c = c->Parent())
    if (!c->Enabled()) return nullptr;
  return w;
}

}  // namespace

// The topmost showing window at a screen point that takes input (windows
// that take none, disabled ones and markers, are seen through): its
// deepest window there, or the nearest parent with a drop target.
HWND ui::dragdrop::WindowAt(TPoint screen) {
  const auto& tops = ui::TopLevels();
  for (auto it = tops.rbegin(); it != tops.rend(); ++it) {
    TWinControl* top = *it;
    if (!top->Enabled() || !ui::InputAllowed(top)) continue;
    if (!PtInRect(Bounds(top->Left(), top->Top(), top->Width(), top->Height()), screen)) continue;
    TWinControl* w = ::WindowAt(top, Point(screen.X - top->Left(), screen.Y - top->Top()));
    if (!w) return nullptr;
    // A child window (an editor, a footer) drops on its parent's target.
    // (A window gets its handle here if it has none yet: it registers its
    // target when the handle is made.)
    for (TWinControl* p = w; p; p = p->Parent())
      if (ui::dragdrop::HasTarget(p->Handle())) return p->Handle();
    return w->Handle();
  }
  return nullptr;
}

namespace {

// Where a mouse event at a window point goes, and the point in its client
// coordinates.
TWinControl* Target(TWinControl* window, int x, int y, TPoint& client) {
  M().screen = WindowToScreen(window, Point(x, y));
  TWinControl* target = nullptr;
  if (HWND capture = GetCapture()) target = dynamic_cast<TWinControl*>(ui::FindWindow(capture));
  if (!target) {
    if (!ui::IsShownTopLevel(window) || !ui::InputAllowed(window)) return nullptr;
    target = WindowAt(window, Point(x, y));
  }
  if (target) client = target->ScreenToClient(M().screen);
  return target;
}

// ---- the system's move and size loop for child windows -----------------------------
// A press where a child window answers WM_NCHITTEST with its caption or a
// sizing corner or edge starts the loop instead of a button message: the
// window takes the capture, every move proposes a rectangle (screen
// coordinates) through WM_MOVING or WM_SIZING that the window may change,
// and the window is placed there; the release ends the loop with
// WM_EXITSIZEMOVE. No button message reaches the window meanwhile.

struct SizeMoveLoop {
  HWND window = nullptr;  // by handle: the window may go during the loop
  int hit = HTNOWHERE;
  TPoint from;   // screen point of the press
  TRect bounds;  // screen rectangle then
};

SizeMoveLoop& Loop() {
  static auto* loop = new SizeMoveLoop;  // past the last control, as the windows
  return *loop;
}

TWinControl* LoopWindow() { return dynamic_cast<TWinControl*>(ui::FindWindow(Loop().window)); }

bool IsSizingHit(int hit) { return hit >= HTLEFT && hit <= HTBOTTOMRIGHT; }

TRect ScreenBounds(const TWinControl* w) {
  const TPoint at = w->Parent()->ClientToScreen(Point(w->Left(), w->Top()));
  return Bounds(at.X, at.Y, w->Width(), w->Height());
}

// Starts the loop when Target answers a caption or sizing hit at the
// mouse; false otherwise.
bool StartSizeMove(TWinControl* target) {
  if (!target->Parent() || GetCapture()) return false;
  const HWND h = target->Handle();
  const int hit = static_cast<int>(SendMessage(h, WM_NCHITTEST, 0, MAKELPARAM(M().screen.X, M().screen.Y)));
  if (hit != HTCAPTION && !IsSizingHit(hit)) return false;
  SendMessage(h, WM_SETCURSOR, reinterpret_cast<WPARAM>(h), MAKELPARAM(hit, WM_LBUTTONDOWN));
  Loop() = {h, hit, M().screen, ScreenBounds(target)};
  SendMessage(h, WM_ENTERSIZEMOVE, 0, 0);
  SetCapture(h);
  return true;
}

// The rectangle a sizing hit proposes after the mouse moved by Dx, Dy,
// within the window's tracking limits, and the edge WM_SIZING names.
TRect ProposedSize(TWinControl* window, int hit, TRect r, int dx, int dy, int& edge) {
  static constexpr int kEdge[] = {WMSZ_LEFT,     WMSZ_RIGHT,  WMSZ_TOP,        WMSZ_TOPLEFT,
                                  WMSZ_TOPRIGHT, WMSZ_BOTTOM, WMSZ_BOTTOMLEFT, WMSZ_BOTTOMRIGHT};
  edge = kEdge[hit - HTLEFT];
  const bool left = hit == HTLEFT || hit == HTTOPLEFT || hit == HTBOTTOMLEFT;
  const bool right = hit == HTRIGHT || hit == HTTOPRIGHT || hit == HTBOTTOMRIGHT;
  const bool top = hit == HTTOP || hit == HTTOPLEFT || hit == HTTOPRIGHT;
  const bool bottom = hit == HTBOTTOM || hit == HTBOTTOMLEFT || hit == HTBOTTOMRIGHT;
  MINMAXINFO limits;
  window->Perform(WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
  const int dw = right ? dx : left ? -dx : 0;
  const int dh = bottom ? dy : top ? -dy : 0;
  const int w = std::clamp(r.Width() + dw, limits.ptMinTrackSizeX,
                           std::max(limits.ptMinTrackSizeX, limits.ptMaxTrackSizeX));
  const int h = std::clamp(r.Height() + dh, limits.ptMinTrackSizeY,
                           std::max(limits.ptMinTrackSizeY, limits.ptMaxTrackSizeY));
  if (left)
    r.Left = r.Right - w;
  else
    r.Right = r.Left + w;
  if (top)
    r.Top = r.Bottom - h;
  else
    r.Bottom = r.Top + h;
  return r;
}

void TrackSizeMove(TWinControl* window) {
  const SizeMoveLoop loop = Loop();
  const int dx = M().screen.X - loop.from.X, dy = M().screen.Y - loop.from.Y;
  TRect r;
  if (loop.hit == HTCAPTION) {
    r = OffsetRect(loop.bounds, dx, dy);
    SendMessage(loop.window, WM_MOVING, 0, reinterpret_cast<LPARAM>(&r));
  } else {
    int edge = 0;
    r = ProposedSize(window, loop.hit, loop.bounds, dx, dy, edge);
    SendMessage(loop.window, WM_SIZING, static_cast<WPARAM>(edge), reinterpret_cast<LPARAM>(&r));
  }
  if (!(window = LoopWindow()) || !window->Parent()) return;
  const TPoint at = window->Parent()->ScreenToClient(Point(r.Left, r.Top));
  window->SetBounds(at.X, at.Y, r.Width(), r.Height());
}

// Ends the loop: the capture goes and the window hears of the end.
void EndSizeMove() {
  const HWND h = Loop().window;
  Loop() = {};
  if (GetCapture() == h) ReleaseCapture();
  SendMessage(h, WM_EXITSIZEMOVE, 0, 0);
}

// The window of the loop in progress; a window that went away or lost the
// capture has ended it.
TWinControl* SizeMoveWindow() {
  if (!Loop().window) return nullptr;
  TWinControl* window = LoopWindow();
  if (!window) {
    Loop() = {};
    return nullptr;
  }
  if (GetCapture() != Loop().window) {
    EndSizeMove();
    return nullptr;
  }
  return window;
}

}  // namespace

BOOL GetCursorPos(TPoint* point) {
  if (!point) return 0;
  *point = M().screen;
  return 1;
}

void DragAcceptFiles(HWND wnd, BOOL accept) {
  if (accept)
    M().acceptsFiles.insert(wnd);
  else
    M().acceptsFiles.erase(wnd);
}

UINT DragQueryFile(HDROP drop, UINT index, char* buffer, UINT size) {
  auto it = Drops().find(drop);
  if (it == Drops().end()) return 0;
  const auto& files = it->second->files;
  if (index == 0xFFFFFFFF) return static_cast<UINT>(files.size());
  if (index >= files.size()) return 0;
  const AnsiString& name = files[index];
  if (!buffer || size == 0) return static_cast<UINT>(name.size());
  const size_t n = std::min<size_t>(name.size(), size - 1);
  std::copy_n(name.data(), n, buffer);
  buffer[n] = '\0';
  return static_cast<UINT>(n);
}

BOOL DragQueryPoint(HDROP drop, TPoint* point) {
  auto it = Drops().find(drop);
  if (it == Drops().end() || !point) return 0;
  *point = it->second->point;
  return 1;
}

void DragFinish(HDROP drop) { Drops().erase(drop); }

namespace ui::input {

void DropFiles(TWinControl* window, int x, int y, const std::vector<AnsiString>& files) {
  if (files.empty() || !ui::IsShownTopLevel(window) || !ui::InputAllowed(window)) return;
  M().screen = WindowToScreen(window, Point(x, y));
  for (TWinControl* w = WindowAt(window, Point(x, y)); w; w = w->Parent()) {
    // A window with a drop target takes the files as a dragged file list.
    if (w->HandleAllocated() && ui::dragdrop::DeliverFiles(w->Handle(), M().screen, files)) return;
    if (!w->HandleAllocated() || !M().acceptsFiles.count(w->Handle())) continue;
    static std::uintptr_t next = 1;
    auto drop = std::make_unique<Drop>(Drop{files, w->ScreenToClient(M().screen)});
    const HDROP handle = reinterpret_cast<HDROP>(next++);
    Drops()[handle] = std::move(drop);
    PostMessage(w->Handle(), WM_DROPFILES, reinterpret_cast<WPARAM>(handle), 0);
    return;
  }
}

bool HeldDroppedNames(const std::vector<std::string>& utf8, std::vector<AnsiString>& names) {
  names.clear();
  for (const std::string& name : utf8) {
    AnsiString held;
    if (!cp1253::TryFromUtf8(name, held)) {
      names.clear();
      RefusedDrops().Tell(name);
      return false;
    }
    names.push_back(std::move(held));
  }
  return true;
}

bool AcceptsFiles(TWinControl* window, int x, int y) {
  if (!ui::IsShownTopLevel(window) || !ui::InputAllowed(window)) return false;
  for (TWinControl* w = WindowAt(window, Point(x, y)); w; w = w->Parent()) {
    if (!w->HandleAllocated()) continue;
    if (ui::dragdrop::HasTarget(w->Handle())) return false;
    if (M().acceptsFiles.count(w->Handle())) return true;
  }
  return false;
}

UINT WheelScrollLines() { return M().wheelLines; }
void SetWheelScrollLines(UINT lines) { M().wheelLines = lines; }
UINT DoubleClickTime() { return 500; }

void MouseMove(TWinControl* window, int x, int y) {
  // A drag takes the mouse for itself: no window hears of it meanwhile.
  if (ui::dragdrop::Dragging()) {
    M().screen = WindowToScreen(window, Point(x, y));
    ui::dragdrop::MouseMove(ui::dragdrop::WindowAt(M().screen), M().screen);
    return;
  }
  if (TWinControl* moving = SizeMoveWindow()) {
    M().screen = WindowToScreen(window, Point(x, y));
    TrackSizeMove(moving);
    return;
  }
  TPoint client;
  const bool captured = GetCapture() != nullptr;
  TWinControl* target = Target(window, x, y, client);
  if (!target) return;
  const HWND h = target->Handle();
  // Outside its client area (its caption or sizing border, as it answers)
  // a window gets no client mouse message.
  const int hit =
      captured ? HTCLIENT
               : static_cast<int>(SendMessage(h, WM_NCHITTEST, 0, MAKELPARAM(M().screen.X, M().screen.Y)));
  SendMessage(h, WM_SETCURSOR, reinterpret_cast<WPARAM>(h), MAKELPARAM(hit, WM_MOUSEMOVE));
  if (hit == HTCLIENT) PostMessage(h, WM_MOUSEMOVE, KeyFlags(), MAKELPARAM(client.X, client.Y));
}

void MouseButton(TWinControl* window, int button, bool down, int x, int y) {
  if (button < 0 || button > 2) return;
  if (ui::dragdrop::Dragging()) {
    ui::SetAsyncKeyDown(kButtonVk[button], down);
    M().screen = WindowToScreen(window, Point(x, y));
    if (!down && button == 0) ui::dragdrop::ButtonUp();
    return;
  }
  if (down) {
    // A press anywhere but inside an open popup closes it.
    const auto popups = OpenPopups();
    for (auto it = popups.rbegin(); it != popups.rend(); ++it)
      if (*it != window) (*it)->Perform(CM_CANCELMODE, 0, 0);
  }
  if (SizeMoveWindow()) {
    ui::SetAsyncKeyDown(kButtonVk[button], down);
    M().screen = WindowToScreen(window, Point(x, y));
    if (!down && button == 0) EndSizeMove();
    return;
  }
  TPoint client;
  TWinControl* target = Target(window, x, y, client);
  ui::SetAsyncKeyDown(kButtonVk[button], down);
  if (!target) {
    if (down && !ui::InputAllowed(window)) MessageBeep(0);
    return;
  }
  if (down) {
    if (TCustomForm* form = target->GetParentForm();
        form && !form->Active() && !dynamic_cast<TPopupWindow*>(window))
      form->Show();  // a click activates its form
  }
  if (down && button == 0 && StartSizeMove(target)) return;
  const HWND h = target->Handle();
  const LPARAM at = MAKELPARAM(client.X, client.Y);
  if (!down) {
    PostMessage(h, kUp[button], KeyFlags(), at);
    return;
  }
  auto& m = M();
  const DWORD now = GetTickCount();
  const bool dbl = m.lastButton == button && m.lastWindow == h && now - m.lastTime <= DoubleClickTime() &&
                   std::abs(m.screen.X - m.lastPos.X) <= kDoubleClickDistance &&
                   std::abs(m.screen.Y - m.lastPos.Y) <= kDoubleClickDistance;
  if (dbl) {
    m.lastButton = -1;  // a third press starts over
    PostMessage(h, kDbl[button], KeyFlags(), at);
  } else {
    m.lastButton = button;
    m.lastTime = now;
    m.lastPos = m.screen;
    m.lastWindow = h;
    PostMessage(h, kDown[button], KeyFlags(), at);
  }
}

void MouseWheel(TWinControl* window, int delta, int x, int y) {
  if (ui::dragdrop::Dragging()) return;
  TPoint client;
  TWinControl* target = Target(window, x, y, client);
  if (!target) return;
  PostMessage(target->Handle(), WM_MOUSEWHEEL, MAKEWPARAM(static_cast<int>(KeyFlags()), delta),
              MAKELPARAM(M().screen.X, M().screen.Y));
}

void MouseLeave(TWinControl* window) {
  TControl* over = ui::MouseControlRef();
  if (!over || over->TopLevel() != window) return;
  ui::MouseControlRef() = nullptr;
  over->Perform(CM_MOUSELEAVE, 0, reinterpret_cast<LPARAM>(over));
}

bool CancelSizeMove() {
  TWinControl* window = SizeMoveWindow();
  if (!window) return false;
  const TRect& r = Loop().bounds;
  const TPoint at = window->Parent()->ScreenToClient(Point(r.Left, r.Top));
  window->SetBounds(at.X, at.Y, r.Width(), r.Height());
  EndSizeMove();
  return true;
}

void ResizeWindow(TWinControl* window, int width, int height) {
  if (const auto* form = dynamic_cast<const TCustomForm*>(window))
    if (form->BorderStyle != bsSizeable && form->BorderStyle != bsSizeToolWin) return;
  MINMAXINFO limits;
  window->Perform(WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
  width = std::clamp(width, limits.ptMinTrackSizeX, std::max(limits.ptMinTrackSizeX, limits.ptMaxTrackSizeX));
  height =
      std::clamp(height, limits.ptMinTrackSizeY, std::max(limits.ptMinTrackSizeY, limits.ptMaxTrackSizeY));
  window->SetBounds(window->Left(), window->Top(), width, height);
}

}  // namespace ui::input
