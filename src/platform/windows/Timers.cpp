#include "platform/windows/Timers.h"

#include "platform/os/WinApi.h"

#include <vector>

#include "platform/windows/Application.h"

namespace {

const char kTimerWindowClass[] = "KyTimerWindow";

LRESULT CALLBACK TimerWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_TIMER) {
    if (auto* timer = reinterpret_cast<TTimer*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA))) {
      try {
        timer->Timer();
      } catch (...) {
        if (Application) Application->HandleException(timer);
      }
    }
    return 0;
  }
  return DefWindowProcA(hwnd, msg, wParam, lParam);
}

HWND MakeTimerWindow(TTimer* timer) {
  static bool registered = false;
  if (!registered) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = &TimerWindowProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = kTimerWindowClass;
    RegisterClassA(&wc);
    registered = true;
  }
  HWND w = CreateWindowExA(0, kTimerWindowClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                           GetModuleHandleA(nullptr), nullptr);
  if (!w) throw EOutOfResources("Not enough timers available");
  SetWindowLongPtrA(w, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(timer));
  return w;
}

}  // namespace

TTimer::TTimer(TComponent* owner) : TComponent(owner) {}

TTimer::~TTimer() {
  if (window_) {
    KillTimer(window_, 1);
    DestroyWindow(window_);
  }
}

void TTimer::Publish(TPublisher<TTimer>& p) {
  p.Property("Enabled", &TTimer::Enabled, &TTimer::SetEnabled).Default(true);
  p.Property("Interval", &TTimer::Interval, &TTimer::SetInterval).Default(1000);
  p.Event("OnTimer", &TTimer::OnTimer);
}

void TTimer::SetEnabled(bool value) {
  if (value == enabled_) return;
  enabled_ = value;
  UpdateTimer();
}

void TTimer::SetInterval(uint32_t value) {
  if (value == interval_) return;
  interval_ = value;
  UpdateTimer();
}

void TTimer::Loaded() {
  TComponent::Loaded();
  UpdateTimer();
}

void TTimer::UpdateTimer() {
  if (running_) {
    KillTimer(window_, 1);
    running_ = false;
  }
  if (IsLoading() || IsDesigning() || !enabled_ || interval_ == 0) return;
  if (!window_) window_ = MakeTimerWindow(this);
  if (!SetTimer(window_, 1, interval_, nullptr)) throw EOutOfResources("Not enough timers available");
  running_ = true;
}

void TTimer::Timer() {
  if (running_ && OnTimer) OnTimer(this);
}

// ---- TLoopTimer ----

namespace {

std::vector<TLoopTimer*>& LoopTimers() {
  static std::vector<TLoopTimer*> timers;
  return timers;
}

void CALLBACK LoopTimerProc(HWND, UINT, UINT_PTR id, DWORD) { LoopTimerExpired(id); }

}  // namespace

void LoopTimerExpired(uintptr_t id) {
  for (TLoopTimer* t : LoopTimers())
    if (t->id_ == id) {
      // One shot: the owner arms it again.
      KillTimer(nullptr, t->id_);
      t->id_ = 0;
      std::erase(LoopTimers(), t);
      try {
        if (t->OnExpired) t->OnExpired();
      } catch (...) {
        if (Application) Application->HandleException(nullptr);
      }
      return;
    }
}

TLoopTimer::~TLoopTimer() { Stop(); }

void TLoopTimer::Arm(uint32_t ms) {
  if (ms < 1) ms = 1;
  // A windowless timer set again with its id keeps the id.
  UINT_PTR id = SetTimer(nullptr, id_, ms, &LoopTimerProc);
  if (!id) return;
  ++arms_;
  if (id_ == 0) LoopTimers().push_back(this);
  id_ = id;
}

void TLoopTimer::Stop() {
  if (!id_) return;
  KillTimer(nullptr, id_);
  id_ = 0;
  std::erase(LoopTimers(), this);
}
