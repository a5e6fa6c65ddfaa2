// Timers of the library. TKyTimer multiplexes every timer of the process
// onto one platform timer in the user-interface thread; TKyThreadTimer
// runs each timer on a worker thread that calls the handler directly or
// through the user-interface thread. Both start only once their form has
// been loaded and configured.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>

#include "platform/windows/Threads.h"
#include "skin/LinkEvt.h"

class TKyCustomTimer : public TComponent {
  KY_CLASS(TKyCustomTimer, TComponent)
public:
  explicit TKyCustomTimer(TComponent* owner);
  ~TKyCustomTimer() override;
  static void Publish(TPublisher<TKyCustomTimer>& p);

  // In effect at run time; while loading or designing, the stored request.
  bool Enabled() const;
  void SetEnabled(bool value);
  uint32_t Interval() const { return interval_; }
  virtual void SetInterval(uint32_t value);

  TNotifyEvent OnTimer;

protected:
  // Switches the timer on or off at run time (the value differs); the
  // kinds start and stop what serves them.
  virtual void Switch(bool on) { SetEnabledInEffect(on); }
  // Calls OnTimer unless the timer is being destroyed.
  virtual void DoTimer();
  bool EnabledInEffect() const { return enabled_; }
  void SetEnabledInEffect(bool value) { enabled_ = value; }
  TKyLinkEvt& Link() { return link_; }

private:
  std::atomic<bool> enabled_{false};
  bool requested_ = false;
  std::atomic<uint32_t> interval_{1000};
  TKyLinkEvt link_;
};

class TKyTimer : public TKyCustomTimer {
  KY_CLASS(TKyTimer, TKyCustomTimer)
public:
  explicit TKyTimer(TComponent* owner);
  ~TKyTimer() override;

  void SetInterval(uint32_t value) override;

  // One run of the scheduler: fires the due timers, credits the elapsed
  // time, and arms the platform timer for the nearest deadline.
  static void RunScheduler();
  // How often the shared platform timer has been armed, and whether it is.
  static uint64_t PlatformArmCount();
  static bool PlatformArmed();

protected:
  void Switch(bool on) override;

private:
  friend struct TKyTimerScheduler;
  uint32_t elapsed_ = 0;
  bool due_ = false;
};

struct TKyThreadTimerState;

class TKyThreadTimer : public TKyCustomTimer {
  KY_CLASS(TKyThreadTimer, TKyCustomTimer)
public:
  explicit TKyThreadTimer(TComponent* owner);
  ~TKyThreadTimer() override;
  static void Publish(TPublisher<TKyThreadTimer>& p);

  void SetInterval(uint32_t value) override;
  TThreadPriority Priority() const { return priority_; }
  void SetPriority(TThreadPriority value);
  // True: OnTimer runs in the user-interface thread; false: on the worker,
  // where it must not touch windows or packages.
  bool Synchronize() const;
  void SetSynchronize(bool value);
  // Whether a worker serves the timer now.
  bool HasWorker() const { return worker_ != nullptr; }

protected:
  void Switch(bool on) override;

private:
  friend class TKyThTimer;
  void StartWorker();
  void StopWorker();

  TThreadPriority priority_ = tpNormal;
  std::shared_ptr<TKyThreadTimerState> state_;
  class TKyThTimer* worker_ = nullptr;
};

void RegisterTimerClasses();
