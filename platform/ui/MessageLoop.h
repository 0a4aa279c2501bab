#pragma once
// The calling thread's message queue: window handles, posted messages,
// timers, the keyboard state the queue keeps in step with the messages, the
// focus and capture windows. Everything runs on the UI thread; the state is
// per thread so a second thread gets a queue of its own.

#include <functional>

#include "platform/ui/Messages.h"

// Whatever owns a window handle answers its messages here.
class TWindowTarget {
 public:
  virtual ~TWindowTarget() = default;
  virtual LRESULT WindowMessage(UINT msg, WPARAM wParam, LPARAM lParam) = 0;
};

namespace ui {

// A fresh handle for Target; handles are never reused, so a stale handle
// can never reach a later window.
HWND RegisterWindow(TWindowTarget* target);
// Forgets the handle: its queued messages, timers, focus and capture go.
void UnregisterWindow(HWND wnd);
TWindowTarget* FindWindow(HWND wnd);

// Takes the next message: posted messages in order, then a window that
// needs painting, then a due timer. Remove=false only looks. A removed key
// message updates the state GetKeyState reports.
bool PeekMessage(TMsg& msg, bool remove);
LRESULT DispatchMessage(const TMsg& msg);
// Messages waiting (posted, paint or due timers).
bool HasPendingMessages();
// True once PostQuitMessage ran; the exit code goes with it. Reset by
// ResetQuit (a new Run).
bool QuitPosted(int* exitCode = nullptr);
void ResetQuit();

// Handles every waiting message. The application installs its own pump
// (key preview, dialog keys, exceptions to the error box); without one the
// messages are simply dispatched.
void PumpMessages();
void SetPump(std::function<void()> pump);

// Tick of the earliest running timer, if any.
bool NextTimerDue(DWORD& due);
int RunningTimerCount();

// Painting asks to be polled when the queue is otherwise empty: the source
// answers a window that needs WM_PAINT, or nullptr.
void SetPaintSource(std::function<HWND()> source);

// Keyboard state changes as input arrives (async) and as key messages are
// taken from the queue (sync).
void SetAsyncKeyDown(int vk, bool down);
void ClearKeyboardState();

// Called after the focus window changed (the forms keep their ActiveControl
// in step).
void SetFocusObserver(std::function<void(HWND oldFocus, HWND newFocus)> observer);

// Everything back to the start: no windows, no messages, no timers, no keys
// down (the installed pump, paint source and focus observer stay). Tests
// call it between cases.
void ResetThreadState();

}  // namespace ui
