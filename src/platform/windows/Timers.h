// TTimer: OnTimer every Interval milliseconds in the user-interface thread,
// from a platform timer on a small message window of its own.
#pragma once

#include <cstdint>

#include "platform/classes/Classes.h"
#include "platform/os/WinTypes.h"

class TTimer : public TComponent {
  KY_CLASS(TTimer, TComponent)
public:
  explicit TTimer(TComponent* owner);
  ~TTimer() override;
  static void Publish(TPublisher<TTimer>& p);

  bool Enabled() const { return enabled_; }
  void SetEnabled(bool value);
  uint32_t Interval() const { return interval_; }
  void SetInterval(uint32_t value);
  // Whether the platform timer runs now (enabled, with an interval, loaded).
  bool Running() const { return running_; }

  TNotifyEvent OnTimer;
  // Called by the timer's window.
  void Timer();

protected:
  void Loaded() override;

private:
  void UpdateTimer();

  bool enabled_ = true;
  uint32_t interval_ = 1000;
  bool running_ = false;
  HWND window_ = nullptr;
};
