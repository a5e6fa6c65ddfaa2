// Timers in the message loop, worker threads and the way back to the
// user-interface thread.
#include <atomic>
#include <memory>
#include <stdexcept>

#include "platform/windows/Threads.h"
#include "platform/windows/Timers.h"
#include "windows/WindowsTest.h"

using namespace ky_test;

namespace {

TEST(Timers, FireInTheLoopUntilDisabled) {
  App();
  TTimer timer(nullptr), other(nullptr);
  timer.SetInterval(10);
  other.SetInterval(10);
  int ticks = 0, otherTicks = 0;
  DWORD thread = 0;
  timer.OnTimer = [&](TObject* sender) {
    EXPECT_EQ(sender, &timer);
    ++ticks;
    thread = GetCurrentThreadId();
  };
  other.OnTimer = [&](TObject*) { ++otherTicks; };
  EXPECT_TRUE(timer.Running());
  ASSERT_TRUE(PumpUntil([&] { return ticks >= 3; }));
  EXPECT_EQ(thread, GetCurrentThreadId());
  timer.SetEnabled(false);
  EXPECT_FALSE(timer.Running());
  int stopped = ticks;
  // Another timer of the same interval ticks twice meanwhile.
  int from = otherTicks;
  ASSERT_TRUE(PumpUntil([&] { return otherTicks >= from + 2; }));
  EXPECT_EQ(ticks, stopped);
  // No interval, no timer.
  timer.SetInterval(0);
  timer.SetEnabled(true);
  EXPECT_FALSE(timer.Running());
}

TEST(Timers, AnExceptionInOnTimerReachesTheApplication) {
  App();
  std::string seen;
  TExceptionEvent saved = App().OnException;
  App().OnException = [&](TObject*, const std::exception& e) { seen = e.what(); };
  TTimer timer(nullptr);
  timer.SetInterval(5);
  timer.OnTimer = [&](TObject*) {
    timer.SetEnabled(false);
    throw std::runtime_error("tick failed");
  };
  bool got = PumpUntil([&] { return !seen.empty(); });
  App().OnException = saved;
  EXPECT_TRUE(got);
  EXPECT_EQ(seen, "tick failed");
}

class TCounterThread : public TThread {
public:
  std::atomic<int> steps{0};
  int mainSide = 0;
  DWORD syncThread = 0;
  bool fail = false;

protected:
  void Execute() override {
    for (int i = 0; i < 5 && !Terminated(); ++i) {
      ++steps;
      Synchronize([this] {
        ++mainSide;
        syncThread = GetCurrentThreadId();
      });
    }
    if (fail) throw std::runtime_error("worker failed");
    SetReturnValue(steps);
  }
};

TEST(Threads, SynchronizeRunsInTheUserInterfaceThreadWhileWaitForWaits) {
  App();
  TCounterThread t;
  int terminated = 0;
  DWORD main = GetCurrentThreadId();
  t.OnTerminate = [&](TObject* sender) {
    EXPECT_EQ(sender, &t);
    EXPECT_EQ(GetCurrentThreadId(), main);
    ++terminated;
  };
  t.Start();
  EXPECT_EQ(t.WaitFor(), 5);
  EXPECT_TRUE(t.Finished());
  EXPECT_EQ(t.mainSide, 5);
  EXPECT_EQ(t.syncThread, GetCurrentThreadId());
  EXPECT_EQ(terminated, 1);
  EXPECT_FALSE(t.FatalException());
}

TEST(Threads, TheMessageLoopServesSynchronizeToo) {
  App();
  TCounterThread t;
  t.Start();
  ASSERT_TRUE(PumpUntil([&] { return t.Finished(); }));
  EXPECT_EQ(t.mainSide, 5);
}

TEST(Threads, WhatExecuteRaisesIsKeptForTheOwner) {
  App();
  TCounterThread t;
  t.fail = true;
  t.Start();
  t.WaitFor();
  ASSERT_TRUE(t.FatalException());
  try {
    std::rethrow_exception(t.FatalException());
  } catch (const std::runtime_error& e) {
    EXPECT_STREQ(e.what(), "worker failed");
  }
}

class TEndlessThread : public TThread {
public:
  explicit TEndlessThread(std::atomic<int>& steps) : steps_(steps) {}

protected:
  void Execute() override {
    while (!Terminated()) Synchronize([this] { ++steps_; });
  }

private:
  std::atomic<int>& steps_;
};

TEST(Threads, FreeingARunningThreadStopsItAndWaits) {
  App();
  std::atomic<int> steps{0};
  auto t = std::make_unique<TEndlessThread>(steps);
  t->Start();
  ASSERT_TRUE(PumpUntil([&] { return steps >= 3; }));
  t.reset();  // asks it to end, serving its last Synchronize meanwhile
  int after = steps;
  Pump();
  EXPECT_EQ(steps, after);
}

}  // namespace
