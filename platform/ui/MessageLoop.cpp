#include "platform/ui/MessageLoop.h"

#include <unistd.h>

#include <algorithm>
#include <array>
#include <unordered_map>
#include <vector>

#include "platform/rtl/SysUtils.h"
#include "platform/ui/Backend.h"
#include "platform/ui/Caret.h"

namespace {

struct Timer {
  HWND wnd;
  UINT_PTR id;
  UINT interval;
  DWORD due;
  TIMERPROC proc;
  std::uint64_t order;  // creation order breaks ties between equal due ticks
};

// Posted messages, taken first in first out. A deque made and freed a block
// of storage every dozen messages that went through it; this list keeps its
// storage, and moves what waits to its front when the messages taken fill
// half of it.
class TPostedQueue {
 public:
  bool empty() const { return head_ == items_.size(); }
  const TMsg& front() const { return items_[head_]; }
  void pop_front() {
    if (++head_ < items_.size()) return;
    items_.clear();
    head_ = 0;
  }
  void push_back(const TMsg& m) {
    if (head_ > 0 && head_ * 2 >= items_.size()) {
      items_.erase(items_.begin(), items_.begin() + static_cast<std::ptrdiff_t>(head_));
      head_ = 0;
    }
    items_.push_back(m);
  }
  template <typename Pred>
  void erase_if(Pred pred) {
    items_.erase(std::remove_if(items_.begin() + static_cast<std::ptrdiff_t>(head_), items_.end(), pred),
                 items_.end());
    if (!empty()) return;
    items_.clear();
    head_ = 0;
  }

 private:
  std::vector<TMsg> items_;
  size_t head_ = 0;
};

struct ThreadQueue {
  std::uintptr_t nextHandle = 0x10000;
  std::unordered_map<HWND, TWindowTarget*> windows;
  TPostedQueue posted;
  std::vector<Timer> timers;
  std::uint64_t timerOrder = 0;
  UINT_PTR nextThreadTimerId = 1;
  std::array<Byte, 256> syncKeys{};
  std::array<Byte, 256> asyncKeys{};
  HWND focus = nullptr;
  HWND capture = nullptr;
  bool quit = false;
  int quitCode = 0;
  std::function<HWND()> paintSource;
  std::function<void(HWND, HWND)> focusObserver;
  std::function<void()> pump;
};

ThreadQueue& Q() {
  // The main thread's queue is never destroyed: a control a program keeps
  // in a static may die after the thread's own objects and every other
  // static, and leaves its window then. Other threads' queues go with them.
  thread_local ThreadQueue* queue = nullptr;
  if (!queue) {
    if (gettid() == getpid()) {
      queue = new ThreadQueue;
    } else {
      thread_local ThreadQueue own;
      queue = &own;
    }
  }
  return *queue;
}

DWORD UiNow() { return HasBackend() ? Backend().TickCount() : 0; }

// Signed distance on the wrapping 32-bit tick counter.
bool TickReached(DWORD now, DWORD due) { return static_cast<std::int32_t>(now - due) >= 0; }

void ApplyKeyMessage(std::array<Byte, 256>& keys, const TMsg& msg) {
  const bool down = msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN;
  const bool up = msg.message == WM_KEYUP || msg.message == WM_SYSKEYUP;
  if (!down && !up) return;
  const int vk = static_cast<int>(msg.wParam & 0xFF);
  Byte& state = keys[vk];
  if (down) {
    if (!(state & 0x80)) state ^= 0x01;  // toggles on the press, not on auto-repeat
    state |= 0x80;
  } else {
    state &= static_cast<Byte>(~0x80);
  }
}

Timer* FindDueTimer(DWORD now) {
  Timer* best = nullptr;
  for (Timer& t : Q().timers) {
    if (!TickReached(now, t.due)) continue;
    if (!best || static_cast<std::int32_t>(t.due - best->due) < 0 ||
        (t.due == best->due && t.order < best->order))
      best = &t;
  }
  return best;
}

}  // namespace

namespace ui {

HWND RegisterWindow(TWindowTarget* target) {
  auto& q = Q();
  HWND wnd = reinterpret_cast<HWND>(q.nextHandle);
  q.nextHandle += 4;
  q.windows[wnd] = target;
  return wnd;
}

void UnregisterWindow(HWND wnd) {
  auto& q = Q();
  q.windows.erase(wnd);
  q.posted.erase_if([wnd](const TMsg& m) { return m.hwnd == wnd; });
  std::erase_if(q.timers, [wnd](const Timer& t) { return t.wnd == wnd; });
  if (q.focus == wnd) q.focus = nullptr;
  if (q.capture == wnd) q.capture = nullptr;
}

TWindowTarget* FindWindow(HWND wnd) {
  auto& q = Q();
  auto it = q.windows.find(wnd);
  return it == q.windows.end() ? nullptr : it->second;
}

bool PeekMessage(TMsg& msg, bool remove) {
  auto& q = Q();
  if (!q.posted.empty()) {
    msg = q.posted.front();
    if (remove) {
      q.posted.pop_front();
      ApplyKeyMessage(q.syncKeys, msg);
    }
    return true;
  }
  if (q.paintSource) {
    if (HWND wnd = q.paintSource()) {
      msg = TMsg{wnd, WM_PAINT, 0, 0, UiNow()};
      return true;
    }
  }
  const DWORD now = UiNow();
  if (Timer* t = FindDueTimer(now)) {
    msg = TMsg{t->wnd, WM_TIMER, t->id, reinterpret_cast<LPARAM>(t->proc), now};
    if (remove) t->due = now + t->interval;
    return true;
  }
  return false;
}

LRESULT DispatchMessage(const TMsg& msg) {
  if (msg.message == WM_TIMER && msg.lParam != 0) {
    auto proc = reinterpret_cast<TIMERPROC>(msg.lParam);
    proc(msg.hwnd, msg.message, msg.wParam, msg.time);
    return 0;
  }
  if (TWindowTarget* target = FindWindow(msg.hwnd))
    return target->WindowMessage(msg.message, msg.wParam, msg.lParam);
  return 0;
}

bool HasPendingMessages() {
  TMsg msg;
  return PeekMessage(msg, false);
}

void PumpMessages() {
  if (Q().pump) {
    Q().pump();
    return;
  }
  TMsg msg;
  while (PeekMessage(msg, true)) DispatchMessage(msg);
}

void SetPump(std::function<void()> pump) { Q().pump = std::move(pump); }

bool QuitPosted(int* exitCode) {
  if (exitCode) *exitCode = Q().quitCode;
  return Q().quit;
}

void ResetQuit() {
  Q().quit = false;
  Q().quitCode = 0;
}

bool NextTimerDue(DWORD& due) {
  auto& q = Q();
  if (q.timers.empty()) return false;
  const DWORD now = UiNow();
  bool found = false;
  std::int32_t bestDistance = 0;
  for (const Timer& t : q.timers) {
    const std::int32_t distance = static_cast<std::int32_t>(t.due - now);
    if (!found || distance < bestDistance) {
      bestDistance = distance;
      due = t.due;
      found = true;
    }
  }
  return found;
}

int RunningTimerCount() { return static_cast<int>(Q().timers.size()); }

void SetPaintSource(std::function<HWND()> source) { Q().paintSource = std::move(source); }

void SetAsyncKeyDown(int vk, bool down) {
  Byte& state = Q().asyncKeys[static_cast<Byte>(vk)];
  if (down) {
    if (!(state & 0x80)) state ^= 0x01;
    state |= 0x80;
  } else {
    state &= static_cast<Byte>(~0x80);
  }
}

void ClearKeyboardState() {
  Q().syncKeys.fill(0);
  Q().asyncKeys.fill(0);
}

void SetFocusObserver(std::function<void(HWND, HWND)> observer) { Q().focusObserver = std::move(observer); }

void ResetThreadState() {
  auto& q = Q();
  ThreadQueue fresh;
  fresh.nextHandle = q.nextHandle;  // stale handles from earlier cases must stay dead
  fresh.paintSource = std::move(q.paintSource);
  fresh.focusObserver = std::move(q.focusObserver);
  fresh.pump = std::move(q.pump);
  q = std::move(fresh);
  ResetCaret();
}

}  // namespace ui

BOOL PostMessage(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto& q = Q();
  if (wnd != nullptr && !ui::FindWindow(wnd)) return 0;
  q.posted.push_back(TMsg{wnd, msg, wParam, lParam, UiNow()});
  return 1;
}

LRESULT SendMessage(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  TWindowTarget* target = ui::FindWindow(wnd);
  return target ? target->WindowMessage(msg, wParam, lParam) : 0;
}

void PostQuitMessage(int exitCode) {
  Q().quit = true;
  Q().quitCode = exitCode;
}

BOOL IsWindow(HWND wnd) { return ui::FindWindow(wnd) != nullptr; }

UINT_PTR SetTimer(HWND wnd, UINT_PTR id, UINT elapseMs, TIMERPROC proc) {
  auto& q = Q();
  if (wnd != nullptr && !ui::FindWindow(wnd)) return 0;
  if (elapseMs == 0) elapseMs = 1;  // as the system does: a zero interval still waits a tick
  if (wnd == nullptr) id = q.nextThreadTimerId++;
  const DWORD due = UiNow() + elapseMs;
  for (Timer& t : q.timers) {
    if (t.wnd == wnd && t.id == id) {
      t.interval = elapseMs;
      t.due = due;
      t.proc = proc;
      return wnd ? 1 : id;
    }
  }
  q.timers.push_back(Timer{wnd, id, elapseMs, due, proc, q.timerOrder++});
  return wnd ? 1 : id;
}

BOOL KillTimer(HWND wnd, UINT_PTR id) {
  auto& timers = Q().timers;
  const auto before = timers.size();
  std::erase_if(timers, [&](const Timer& t) { return t.wnd == wnd && t.id == id; });
  // A WM_TIMER already taken from the queue is gone with the timer.
  return timers.size() != before;
}

DWORD GetTickCount() { return UiNow(); }

SmallInt GetKeyState(int vk) {
  const Byte state = Q().syncKeys[static_cast<Byte>(vk)];
  return static_cast<SmallInt>(((state & 0x80) ? 0x8000 : 0) | (state & 0x01));
}

SmallInt GetAsyncKeyState(int vk) {
  const Byte state = Q().asyncKeys[static_cast<Byte>(vk)];
  return static_cast<SmallInt>((state & 0x80) ? 0x8000 : 0);
}

HWND GetFocus() { return Q().focus; }

HWND SetFocus(HWND wnd) {
  auto& q = Q();
  const HWND old = q.focus;
  if (wnd != nullptr && !ui::FindWindow(wnd)) return nullptr;
  if (old == wnd) return old;
  q.focus = wnd;
  if (old) SendMessage(old, WM_KILLFOCUS, reinterpret_cast<WPARAM>(wnd), 0);
  // The handler of the kill may have moved the focus again; only the window
  // that still has it is told.
  if (wnd && q.focus == wnd) SendMessage(wnd, WM_SETFOCUS, reinterpret_cast<WPARAM>(old), 0);
  if (q.focusObserver) q.focusObserver(old, q.focus);
  return old;
}

HWND GetCapture() { return Q().capture; }

HWND SetCapture(HWND wnd) {
  auto& q = Q();
  const HWND old = q.capture;
  if (wnd != nullptr && !ui::FindWindow(wnd)) return old;
  q.capture = wnd;
  if (old && old != wnd) SendMessage(old, WM_CAPTURECHANGED, 0, reinterpret_cast<LPARAM>(wnd));
  return old;
}

BOOL ReleaseCapture() {
  auto& q = Q();
  const HWND old = q.capture;
  q.capture = nullptr;
  if (old) SendMessage(old, WM_CAPTURECHANGED, 0, 0);
  return 1;
}

BOOL MessageBeep(UINT type) {
  if (HasBackend()) Backend().Beep(type);
  return 1;
}
