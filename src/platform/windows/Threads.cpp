#include "platform/windows/Threads.h"

#include "platform/os/WinApi.h"

#include <deque>
#include <utility>

namespace {

struct TSyncState {
  std::mutex mutex;
  std::condition_variable cv;  // work arrived or a thread finished
  std::deque<std::function<void()>> queue;
  std::function<void()> wakeup;
  DWORD mainThread = 0;
};

TSyncState& Sync() {
  static TSyncState state;
  return state;
}

void Wake() {
  TSyncState& s = Sync();
  s.cv.notify_all();
  std::function<void()> wakeup;
  {
    std::lock_guard<std::mutex> lock(s.mutex);
    wakeup = s.wakeup;
  }
  if (wakeup) wakeup();
}

}  // namespace

void SetMainThread() { Sync().mainThread = GetCurrentThreadId(); }

bool InMainThread() {
  DWORD main = Sync().mainThread;
  return main == 0 || main == GetCurrentThreadId();
}

void SetSynchronizeWakeup(std::function<void()> wakeup) {
  std::lock_guard<std::mutex> lock(Sync().mutex);
  Sync().wakeup = std::move(wakeup);
}

void Synchronize(const std::function<void()>& fn) {
  if (InMainThread()) {
    fn();
    return;
  }
  std::mutex m;
  std::condition_variable done;
  bool finished = false;
  std::exception_ptr error;
  {
    std::lock_guard<std::mutex> lock(Sync().mutex);
    Sync().queue.push_back([&] {
      try {
        fn();
      } catch (...) {
        error = std::current_exception();
      }
      std::lock_guard<std::mutex> l(m);
      finished = true;
      done.notify_one();
    });
  }
  Wake();
  std::unique_lock<std::mutex> lock(m);
  done.wait(lock, [&] { return finished; });
  if (error) std::rethrow_exception(error);
}

bool CheckSynchronize(int timeoutMs) {
  if (!InMainThread()) return false;
  TSyncState& s = Sync();
  std::deque<std::function<void()>> work;
  {
    std::unique_lock<std::mutex> lock(s.mutex);
    if (s.queue.empty() && timeoutMs > 0)
      s.cv.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return !s.queue.empty(); });
    work.swap(s.queue);
  }
  for (auto& fn : work) fn();
  return !work.empty();
}

// ---- TThread ----

TThread::~TThread() {
  if (started_ && !finished_) {
    Terminate();
    WaitFor();
  }
  if (thread_.joinable()) thread_.join();
}

void TThread::Start() {
  if (started_.exchange(true)) return;
  thread_ = std::thread([this] { Run(); });
}

void TThread::Run() {
  try {
    Execute();
  } catch (...) {
    fatal_ = std::current_exception();
  }
  if (OnTerminate) {
    try {
      Synchronize([this] { OnTerminate(this); });
    } catch (...) {
      if (!fatal_) fatal_ = std::current_exception();
    }
  }
  {
    std::lock_guard<std::mutex> lock(Sync().mutex);
    finished_ = true;
  }
  Wake();
}

int32_t TThread::WaitFor() {
  if (!started_) return returnValue_;
  if (InMainThread()) {
    // OnTerminate and Synchronize calls of the thread need this thread.
    TSyncState& s = Sync();
    while (!finished_) {
      CheckSynchronize(0);
      std::unique_lock<std::mutex> lock(s.mutex);
      s.cv.wait(lock, [&] { return finished_.load() || !s.queue.empty(); });
    }
    CheckSynchronize(0);
  }
  if (thread_.joinable()) thread_.join();
  return returnValue_;
}
