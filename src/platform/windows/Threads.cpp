#include "platform/windows/Threads.h"

#include "platform/os/WinApi.h"

#include <chrono>
#include <deque>

#include "platform/base/Exception.h"
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

bool WaitSynchronizePending(int timeoutMs) {
  TSyncState& s = Sync();
  std::unique_lock<std::mutex> lock(s.mutex);
  return s.cv.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return !s.queue.empty(); });
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

// ---- TWaitEvent ----

TWaitEvent::TWaitEvent() : handle_(CreateEventA(nullptr, FALSE, FALSE, nullptr)) {
  if (!handle_) throw Exception("Cannot create an event object");
}

TWaitEvent::~TWaitEvent() { CloseHandle(handle_); }

void TWaitEvent::Signal() { SetEvent(handle_); }

bool TWaitEvent::Wait(uint32_t timeoutMs) { return WaitForSingleObject(handle_, timeoutMs) == WAIT_OBJECT_0; }

// ---- TThread ----

namespace {

int PlatformPriority(TThreadPriority p) {
  static const int values[] = {THREAD_PRIORITY_IDLE,          THREAD_PRIORITY_LOWEST,  THREAD_PRIORITY_BELOW_NORMAL,
                               THREAD_PRIORITY_NORMAL,        THREAD_PRIORITY_ABOVE_NORMAL, THREAD_PRIORITY_HIGHEST,
                               THREAD_PRIORITY_TIME_CRITICAL};
  return values[p];
}

}  // namespace

void TThread::SetPriority(TThreadPriority value) {
  priority_ = value;
  std::lock_guard<std::mutex> lock(handleMutex_);
  if (handle_) SetThreadPriority(handle_, PlatformPriority(value));
}

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
  {
    std::lock_guard<std::mutex> lock(handleMutex_);
    HANDLE self = nullptr;
    if (DuplicateHandle(GetCurrentProcess(), GetCurrentThread(), GetCurrentProcess(), &self, 0, FALSE,
                        DUPLICATE_SAME_ACCESS))
      handle_ = self;
    if (handle_ && priority_ != tpNormal) SetThreadPriority(handle_, PlatformPriority(priority_));
  }
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
    std::lock_guard<std::mutex> lock(handleMutex_);
    if (handle_) CloseHandle(handle_);
    handle_ = nullptr;
  }
  if (freeOnTerminate_) {
    // Nobody waits for a thread that frees itself.
    thread_.detach();
    finished_ = true;
    delete this;
    return;
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
