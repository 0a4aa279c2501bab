#include "platform/ui/ExtCtrls.h"

#include "platform/ui/WindowManager.h"

TTimer::TTimer(TComponent* AOwner) : TComponent(AOwner), window_(ui::RegisterWindow(this)) { UpdateTimer(); }

TTimer::~TTimer() {
  Destroying();
  ui::UnregisterWindow(window_);
}

void TTimer::SetEnabled(bool v) {
  if (v == enabled_) return;
  enabled_ = v;
  UpdateTimer();
}

void TTimer::SetInterval(Cardinal ms) {
  if (ms == interval_) return;
  interval_ = ms;
  UpdateTimer();
}

void TTimer::UpdateTimer() {
  KillTimer(window_, 1);
  // A stopped timer (disabled, or interval 0) holds no window timer.
  if (enabled_ && interval_ != 0) SetTimer(window_, 1, interval_, nullptr);
}

void TTimer::Timer() {
  if (enabled_) FireEvent(OnTimer, this);
}

LRESULT TTimer::WindowMessage(UINT msg, WPARAM, LPARAM) {
  if (msg != WM_TIMER) return 0;
  try {
    Timer();
  } catch (...) {
    if (ui::HandleException)
      ui::HandleException(this);
    else
      throw;
  }
  return 0;
}
