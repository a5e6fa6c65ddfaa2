// Worker threads and the way back to the user-interface thread. Everything
// that touches windows or packages runs in the user-interface thread; a
// worker hands such work over with Synchronize and waits for it.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>

#include "platform/classes/Classes.h"

// The calling thread becomes the user-interface thread (the application
// does this when it is made).
void SetMainThread();
bool InMainThread();
// Runs fn in the user-interface thread and waits for it; an exception of fn
// reaches the caller. In the user-interface thread fn runs at once.
void Synchronize(const std::function<void()>& fn);
// In the user-interface thread: runs the work other threads handed over,
// waiting up to timeoutMs for some when there is none. True when it ran any.
bool CheckSynchronize(int timeoutMs = 0);
// Waits up to timeoutMs, without running it, until work handed over by
// another thread waits for the user-interface thread. True when some does.
bool WaitSynchronizePending(int timeoutMs);
// How a waiting message loop is woken when work arrives.
void SetSynchronizeWakeup(std::function<void()> wakeup);

KY_ENUM(TThreadPriority, uint8_t, tpIdle, tpLowest, tpLower, tpNormal, tpHigher, tpHighest, tpTimeCritical)

// An event object that resets itself when a wait ends by it (the one
// waiter it lets through), for waking a worker at once.
class TWaitEvent {
public:
  TWaitEvent();
  ~TWaitEvent();
  TWaitEvent(const TWaitEvent&) = delete;
  TWaitEvent& operator=(const TWaitEvent&) = delete;
  void Signal();
  // True when signalled within timeoutMs, false on time-out.
  bool Wait(uint32_t timeoutMs);

private:
  void* handle_;
};

class TThread : public TObject {
public:
  // Starts with Start, once the derived object exists (Execute is virtual).
  TThread() = default;
  // Asks the thread to end and waits for it.
  ~TThread() override;
  TThread(const TThread&) = delete;
  TThread& operator=(const TThread&) = delete;

  void Start();
  void Terminate() { terminated_ = true; }
  bool Terminated() const { return terminated_; }
  bool Finished() const { return finished_; }
  bool Started() const { return started_; }
  // Waits for the end (running handed-over work meanwhile when called from
  // the user-interface thread) and returns ReturnValue.
  int32_t WaitFor();
  int32_t ReturnValue() const { return returnValue_; }
  // What Execute raised, if it did.
  std::exception_ptr FatalException() const { return fatal_; }
  // A thread set to free itself deletes itself when Execute and
  // OnTerminate are done; nobody may hold it or wait for it afterwards.
  void SetFreeOnTerminate(bool value) { freeOnTerminate_ = value; }
  bool FreeOnTerminate() const { return freeOnTerminate_; }
  TThreadPriority Priority() const { return priority_; }
  void SetPriority(TThreadPriority value);

  // Runs in the user-interface thread after Execute (when it is pumping).
  TNotifyEvent OnTerminate;

protected:
  virtual void Execute() = 0;
  void SetReturnValue(int32_t value) { returnValue_ = value; }

private:
  void Run();

  std::thread thread_;
  std::atomic<bool> terminated_{false};
  std::atomic<bool> finished_{false};
  std::atomic<bool> started_{false};
  int32_t returnValue_ = 0;
  std::exception_ptr fatal_;
  std::atomic<bool> freeOnTerminate_{false};
  std::atomic<TThreadPriority> priority_{tpNormal};
  std::mutex handleMutex_;
  void* handle_ = nullptr;  // the running thread, for its priority
};
