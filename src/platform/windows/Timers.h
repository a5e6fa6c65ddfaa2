// TTimer: OnTimer every Interval milliseconds in the user-interface thread,
// from a platform timer on a small message window of its own.
#pragma once

#include <cstdint>
#include <functional>

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

class TLoopTimer;
// The platform's timer callback ends up here.
void LoopTimerExpired(uintptr_t id);

// A platform timer of the user-interface thread without a window: the
// message loop calls OnExpired once per arming (Arm again for the next).
class TLoopTimer {
public:
  TLoopTimer() = default;
  ~TLoopTimer();
  TLoopTimer(const TLoopTimer&) = delete;
  TLoopTimer& operator=(const TLoopTimer&) = delete;

  // (Re)arms for ms milliseconds (at least 1).
  void Arm(uint32_t ms);
  void Stop();
  bool Armed() const { return id_ != 0; }
  // How many times the platform timer was armed (for tests and benchmarks).
  uint64_t ArmCount() const { return arms_; }

  std::function<void()> OnExpired;

private:
  friend void LoopTimerExpired(uintptr_t id);
  uintptr_t id_ = 0;
  uint64_t arms_ = 0;
};
