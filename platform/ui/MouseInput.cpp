#include <map>
#include <memory>
#include <set>

#include "platform/gfx/Types.h"
#include "platform/ui/Forms.h"
#include "platform/ui/Input.h"
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
  static MouseState m;
  return m;
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
    if (!w->HandleAllocated() || !M().acceptsFiles.count(w->Handle())) continue;
    static std::uintptr_t next = 1;
    auto drop = std::make_unique<Drop>(Drop{files, w->ScreenToClient(M().screen)});
    const HDROP handle = reinterpret_cast<HDROP>(next++);
    Drops()[handle] = std::move(drop);
    PostMessage(w->Handle(), WM_DROPFILES, reinterpret_cast<WPARAM>(handle), 0);
    return;
  }
}

UINT WheelScrollLines() { return M().wheelLines; }
void SetWheelScrollLines(UINT lines) { M().wheelLines = lines; }
UINT DoubleClickTime() { return 500; }

void MouseMove(TWinControl* window, int x, int y) {
  TPoint client;
  TWinControl* target = Target(window, x, y, client);
  if (!target) return;
  const HWND h = target->Handle();
  SendMessage(h, WM_SETCURSOR, reinterpret_cast<WPARAM>(h), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
  PostMessage(h, WM_MOUSEMOVE, KeyFlags(), MAKELPARAM(client.X, client.Y));
}

void MouseButton(TWinControl* window, int button, bool down, int x, int y) {
  if (button < 0 || button > 2) return;
  if (down) {
    // A press anywhere but inside an open popup closes it.
    const auto popups = OpenPopups();
    for (auto it = popups.rbegin(); it != popups.rend(); ++it)
      if (*it != window) (*it)->Perform(CM_CANCELMODE, 0, 0);
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
