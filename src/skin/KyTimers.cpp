#include "skin/KyTimers.h"

#include <algorithm>
#include <exception>
#include <limits>
#include <vector>

#include "platform/windows/Application.h"
#include "platform/windows/Timers.h"

// ---- TKyCustomTimer ----

TKyCustomTimer::TKyCustomTimer(TComponent* owner) : TComponent(owner), link_(this, kLinkTimer) {
  // After the form has loaded, the stored request takes effect.
  link_.OnAfterLoad = [this](TKyConfigLink&) { SetEnabled(requested_); };
}

TKyCustomTimer::~TKyCustomTimer() = default;

void TKyCustomTimer::Publish(TPublisher<TKyCustomTimer>& p) {
  using T = TKyCustomTimer;
  p.Property("Enabled", &T::Enabled, &T::SetEnabled).Default(false);
  p.Property("Interval", &T::Interval, &T::SetInterval).Default(1000u);
  p.Event("OnTimer", &T::OnTimer);
}

bool TKyCustomTimer::Enabled() const { return (IsLoading() || IsDesigning()) ? requested_ : enabled_.load(); }

void TKyCustomTimer::SetEnabled(bool value) {
  requested_ = value;
  // Loading keeps the request; a designed timer never runs.
  if (IsLoading() || IsDesigning() || value == enabled_) return;
  Switch(value);
}

void TKyCustomTimer::SetInterval(uint32_t value) { interval_ = value; }

void TKyCustomTimer::DoTimer() {
  if (OnTimer && !IsDestroying()) OnTimer(this);
}

// ---- TKyTimer: one platform timer for all ----

struct TKyTimerScheduler {
  std::vector<TKyTimer*> timers;
  TLoopTimer platform;
  uint64_t armedAt = 0;
  bool armed = false;  // since armedAt (the platform timer is one-shot)
  bool guard = false;

  static TKyTimerScheduler& Get() {
    static TKyTimerScheduler s;
    return s;
  }
  bool Registered(TKyTimer* t) const { return std::find(timers.begin(), timers.end(), t) != timers.end(); }

  void Run() {
    if (guard) return;
    guard = true;
    uint64_t now = SteadyTickCount();
    uint64_t elapsed = armed ? now - armedAt : 0;
    armed = false;
    platform.Stop();
    uint64_t start = now;
    std::exception_ptr failure;
    std::vector<TKyTimer*> due;
    for (TKyTimer* t : timers)
      if (t->due_) due.push_back(t);
    for (TKyTimer* t : due) {
      // A handler may switch or free the others.
      if (!Registered(t) || !t->EnabledInEffect()) continue;
      t->due_ = false;
      try {
        t->DoTimer();
      } catch (...) {
        failure = std::current_exception();
      }
      if (Registered(t)) t->elapsed_ = 0;
      // The rest stay due and fire on the next run.
      if (failure) break;
    }
    elapsed += SteadyTickCount() - start;
    bool any = false;
    uint32_t nearest = std::numeric_limits<uint32_t>::max();
    for (TKyTimer* t : timers) {
      if (!t->EnabledInEffect() || t->Interval() == 0) continue;
      any = true;
      uint64_t total = static_cast<uint64_t>(t->elapsed_) + elapsed;
      if (total >= t->Interval()) {
        t->due_ = true;
        total = t->Interval();
      }
      t->elapsed_ = static_cast<uint32_t>(total);
      nearest = std::min(nearest, t->Interval() - t->elapsed_);
    }
    armedAt = SteadyTickCount();
    if (any) {
      platform.Arm(std::max<uint32_t>(1, nearest));
      armed = true;
    }
    guard = false;
    if (failure) std::rethrow_exception(failure);
  }
};

TKyTimer::TKyTimer(TComponent* owner) : TKyCustomTimer(owner) {
  TKyTimerScheduler& s = TKyTimerScheduler::Get();
  if (s.timers.empty()) s.platform.OnExpired = [] { TKyTimerScheduler::Get().Run(); };
  s.timers.push_back(this);
}

TKyTimer::~TKyTimer() {
  TKyTimerScheduler& s = TKyTimerScheduler::Get();
  std::erase(s.timers, this);
  if (s.timers.empty()) s.platform.Stop();
}

void TKyTimer::SetInterval(uint32_t value) {
  if (value == Interval()) return;
  TKyCustomTimer::SetInterval(value);
  if (IsLoading() || IsDesigning()) return;
  elapsed_ = 0;
  due_ = false;
  RunScheduler();
}

void TKyTimer::Switch(bool on) {
  if (on) {
    // The time gone so far belongs to the others.
    RunScheduler();
    SetEnabledInEffect(true);
  } else {
    SetEnabledInEffect(false);
  }
  elapsed_ = 0;
  due_ = false;
  RunScheduler();
}

void TKyTimer::RunScheduler() { TKyTimerScheduler::Get().Run(); }
uint64_t TKyTimer::PlatformArmCount() { return TKyTimerScheduler::Get().platform.ArmCount(); }
bool TKyTimer::PlatformArmed() { return TKyTimerScheduler::Get().platform.Armed(); }

// ---- TKyThreadTimer ----

// What the worker reads; it outlives the timer when a worker frees itself.
struct TKyThreadTimerState {
  std::atomic<bool> enabled{false};
  std::atomic<uint32_t> interval{1000};
  std::atomic<bool> synchronize{true};
  // Held while a callback runs; the timer's destructor may run inside its
  // own (synchronised) callback, on the same thread.
  std::recursive_mutex callback;
  TKyThreadTimer* timer = nullptr;  // cleared when the timer goes
};

class TKyThTimer : public TThread {
public:
  explicit TKyThTimer(std::shared_ptr<TKyThreadTimerState> state) : state_(std::move(state)) {}
  TWaitEvent Event;
  // Taken by the worker around entering and leaving its callback, and by
  // the timer deciding whether it may wait for the worker.
  std::mutex Gate;
  bool InCallback = false;
  // Set by the timer when it lets go of a worker busy in its callback.
  bool Forgotten = false;

protected:
  void Execute() override {
    while (!Terminated()) {
      if (!state_->enabled) break;
      // Signalled: the timer wants the worker to end now.
      if (Event.Wait(state_->interval)) break;
      {
        std::lock_guard<std::mutex> gate(Gate);
        if (Terminated() || Forgotten) break;
        InCallback = true;
      }
      auto fire = [this] {
        std::lock_guard<std::recursive_mutex> lock(state_->callback);
        // Stopped, restarted with another worker or being destroyed since
        // the wait ended (a synchronised call waits for the main thread):
        // the tick is dropped.
        {
          std::lock_guard<std::mutex> gate(Gate);
          if (Terminated() || Forgotten) return;
        }
        if (!state_->enabled) return;
        TKyThreadTimer* t = state_->timer;
        if (!t) return;
        try {
          t->DoTimer();
        } catch (...) {
          // Synchronised: reported here, in the main thread.
          if (!InMainThread()) throw;
          if (Application) Application->HandleException(t);
        }
      };
      try {
        if (state_->synchronize)
          ::Synchronize(fire);
        else
          fire();
      } catch (...) {
        // A handler on the worker failed: reported in the main thread (the
        // worker must not touch windows) while the worker still counts as
        // in its callback, so that nobody waits for it meanwhile. The timer
        // keeps running.
        std::exception_ptr failure = std::current_exception();
        ::Synchronize([failure] {
          try {
            std::rethrow_exception(failure);
          } catch (...) {
            if (Application) Application->HandleException(nullptr);
          }
        });
      }
      std::lock_guard<std::mutex> gate(Gate);
      InCallback = false;
      if (Forgotten || !state_->enabled) break;
    }
  }

private:
  std::shared_ptr<TKyThreadTimerState> state_;
};

TKyThreadTimer::TKyThreadTimer(TComponent* owner)
    : TKyCustomTimer(owner), state_(std::make_shared<TKyThreadTimerState>()) {
  state_->timer = this;
}

TKyThreadTimer::~TKyThreadTimer() {
  SetEnabledInEffect(false);
  state_->enabled = false;
  StopWorker();
  std::lock_guard<std::recursive_mutex> lock(state_->callback);
  state_->timer = nullptr;
}

void TKyThreadTimer::Publish(TPublisher<TKyThreadTimer>& p) {
  p.Property("Priority", &TKyThreadTimer::Priority, &TKyThreadTimer::SetPriority).Default(tpNormal);
  p.Property("Synchronize", &TKyThreadTimer::Synchronize, &TKyThreadTimer::SetSynchronize).Default(true);
}

bool TKyThreadTimer::Synchronize() const { return state_->synchronize; }
void TKyThreadTimer::SetSynchronize(bool value) { state_->synchronize = value; }

void TKyThreadTimer::SetInterval(uint32_t value) {
  TKyCustomTimer::SetInterval(value);
  // The worker reads it before every wait.
  state_->interval = value;
  if (value < 1 && !IsLoading()) StopWorker();
}

void TKyThreadTimer::SetPriority(TThreadPriority value) {
  priority_ = value;
  if (worker_) worker_->SetPriority(value);
}

void TKyThreadTimer::Switch(bool on) {
  SetEnabledInEffect(on);
  state_->enabled = on;
  if (on) {
    if (Interval() >= 1 && !worker_) StartWorker();
  } else {
    StopWorker();
  }
}

void TKyThreadTimer::StartWorker() {
  auto* worker = new TKyThTimer(state_);
  worker->SetPriority(priority_);
  worker_ = worker;
  worker->Start();
}

void TKyThreadTimer::StopWorker() {
  TKyThTimer* worker = worker_;
  if (!worker) return;
  worker_ = nullptr;
  {
    std::lock_guard<std::mutex> gate(worker->Gate);
    if (worker->InCallback) {
      // Called from inside the callback (or while it runs): waiting would
      // wait for ourselves. The worker ends after the callback and frees
      // itself.
      worker->SetFreeOnTerminate(true);
      worker->Forgotten = true;
      return;
    }
  }
  worker->Terminate();
  worker->Event.Signal();
  worker->WaitFor();
  delete worker;
}

void RegisterTimerClasses() { RegisterClasses({&TKyTimer::StaticClass(), &TKyThreadTimer::StaticClass()}); }
