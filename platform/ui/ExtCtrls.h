#pragma once
// The timer component: OnTimer every Interval milliseconds of the UI clock
// while Enabled, through a window timer of its own.

#include "platform/ui/Component.h"
#include "platform/ui/MessageLoop.h"
// The panels, shapes, images, radio groups and splitters live beside the
// timer for code that expects them in one unit.
#include "platform/ui/Panels.h"

class TTimer : public TComponent, private TWindowTarget {
 public:
  explicit TTimer(TComponent* AOwner);
  ~TTimer() override;
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool v);
  // Milliseconds; 0 stops the timer.
  Cardinal Interval() const { return interval_; }
  void SetInterval(Cardinal ms);
  TNotifyEvent OnTimer;

 protected:
  virtual void Timer();

 private:
  LRESULT WindowMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
  void UpdateTimer();
  HWND window_;
  bool enabled_ = true;
  Cardinal interval_ = 1000;
};
