// The library's timers: the shared platform timer and its schedule, the
// start after loading, and thread timers on their workers.
#include "support/WindowDriver.h"

#include <algorithm>
#include <atomic>
#include <string>
#include <vector>

#include "platform/classes/FormStream.h"
#include "platform/classes/TextForm.h"
#include "platform/windows/Application.h"
#include "platform/windows/Threads.h"
#include "skin/KyTimers.h"
#include "skin/RegisterSkin.h"

using namespace ky_test;

namespace {

class TimersTest : public ::testing::Test {
protected:
  void SetUp() override {
    App();
    RegisterSkinClasses();
  }
};

}  // namespace

TEST_F(TimersTest, TimersShareOnePlatformTimerArmedForTheNearestDeadline) {
  TKyTimer a(nullptr), b(nullptr);
  std::string order;
  a.SetInterval(300);
  b.SetInterval(500);
  a.OnTimer = [&](TObject*) { order += 'A'; };
  b.OnTimer = [&](TObject*) { order += 'B'; };
  uint64_t armsBefore = TKyTimer::PlatformArmCount();
  a.SetEnabled(true);
  b.SetEnabled(true);
  ASSERT_TRUE(TKyTimer::PlatformArmed());
  // 300, 500, 600, 900, 1000 ms: A B A A B. A busy machine may swap two
  // events that fall close together; the counts stay.
  ASSERT_TRUE(PumpUntil([&] { return order.size() >= 5; }, 5000)) << order;
  std::string first5 = order.substr(0, 5);
  EXPECT_EQ(first5[0], 'A') << order;
  EXPECT_EQ(std::count(first5.begin(), first5.end(), 'A'), 3) << order;
  EXPECT_EQ(std::count(first5.begin(), first5.end(), 'B'), 2) << order;
  // One platform timer re-armed for each deadline, not one per timer tick.
  EXPECT_GE(TKyTimer::PlatformArmCount() - armsBefore, 5u);
  a.SetEnabled(false);
  b.SetEnabled(false);
  EXPECT_FALSE(TKyTimer::PlatformArmed());
}

TEST_F(TimersTest, AZeroIntervalNeverFiresNorKeepsThePlatformTimer) {
  TKyTimer idle(nullptr);
  int fired = 0;
  idle.OnTimer = [&](TObject*) { ++fired; };
  idle.SetInterval(0);
  idle.SetEnabled(true);
  EXPECT_TRUE(idle.Enabled());
  EXPECT_FALSE(TKyTimer::PlatformArmed());
  TKyTimer probe(nullptr);
  probe.SetInterval(150);
  int ticks = 0;
  probe.OnTimer = [&](TObject*) { ++ticks; };
  probe.SetEnabled(true);
  ASSERT_TRUE(PumpUntil([&] { return ticks >= 2; }));
  EXPECT_EQ(fired, 0);
}

TEST_F(TimersTest, AFailingHandlerLeavesTheScheduleRunning) {
  std::vector<std::string> reported;
  TExceptionEvent saved = App().OnException;
  App().OnException = [&](TObject*, const std::exception& e) { reported.push_back(e.what()); };
  TKyTimer bad(nullptr), good(nullptr);
  bad.SetInterval(100);
  good.SetInterval(120);
  bad.OnTimer = [](TObject*) { throw Exception("tick failed"); };
  int goodTicks = 0;
  good.OnTimer = [&](TObject*) { ++goodTicks; };
  bad.SetEnabled(true);
  good.SetEnabled(true);
  bool ok = PumpUntil([&] { return goodTicks >= 3 && reported.size() >= 2; }, 5000);
  App().OnException = saved;
  ASSERT_TRUE(ok) << goodTicks << " " << reported.size();
  EXPECT_EQ(reported[0], "tick failed");
}

TEST_F(TimersTest, ALoadedTimerStartsOnlyAfterItsFormAndADesignedOneNever) {
  std::vector<uint8_t> bytes = FormTextToBinary(
      "object Holder: TComponent\n  object Tick: TKyTimer\n    Enabled = True\n    Interval = 50\n  end\nend\n");
  TComponent holder(nullptr);
  ReadComponentBytes(bytes, &holder);
  auto* tick = holder.Find<TKyTimer>("Tick");
  ASSERT_NE(tick, nullptr);
  EXPECT_TRUE(tick->Enabled());
  int ticks = 0;
  tick->OnTimer = [&](TObject*) { ++ticks; };
  ASSERT_TRUE(PumpUntil([&] { return ticks >= 2; }));

  TComponent designed(nullptr);
  designed.SetDesigning(true);
  TKyTimer drawn(&designed);
  drawn.SetInterval(20);
  drawn.SetEnabled(true);
  // Stored as asked, never running.
  EXPECT_TRUE(drawn.Enabled());
  int designedTicks = 0;
  drawn.OnTimer = [&](TObject*) { ++designedTicks; };
  ticks = 0;
  ASSERT_TRUE(PumpUntil([&] { return ticks >= 3; }));
  EXPECT_EQ(designedTicks, 0);
  tick->SetEnabled(false);
}

TEST_F(TimersTest, ThreadTimersCallInTheUserInterfaceThreadOrOnTheirWorker) {
  for (bool sync : {true, false}) {
    TKyThreadTimer timer(nullptr);
    timer.SetSynchronize(sync);
    timer.SetInterval(30);
    timer.SetPriority(tpHigher);
    std::atomic<int> ticks{0};
    std::atomic<bool> inMain{!sync};
    timer.OnTimer = [&](TObject*) {
      inMain = InMainThread();
      ++ticks;
      WakePump();
    };
    timer.SetEnabled(true);
    EXPECT_TRUE(timer.HasWorker());
    ASSERT_TRUE(PumpUntil([&] { return ticks >= 3; })) << sync;
    EXPECT_EQ(inMain.load(), sync);
    timer.SetEnabled(false);
    EXPECT_FALSE(timer.HasWorker());
    int after = ticks;
    Pump();
    EXPECT_EQ(ticks.load(), after) << sync;
  }
}

TEST_F(TimersTest, AThreadTimerSwitchedOffFromItsOwnHandlerEndsWithoutWaiting) {
  for (bool sync : {true, false}) {
    TKyThreadTimer timer(nullptr);
    timer.SetSynchronize(sync);
    timer.SetInterval(20);
    std::atomic<int> ticks{0};
    timer.OnTimer = [&](TObject*) {
      ++ticks;
      timer.SetEnabled(false);
      WakePump();
    };
    timer.SetEnabled(true);
    ASSERT_TRUE(PumpUntil([&] { return ticks >= 1 && !timer.HasWorker(); })) << sync;
    // Nothing fires after the switch (while a probe ticks several of the
    // timer's intervals); the worker freed itself.
    TKyTimer probe(nullptr);
    probe.SetInterval(40);
    int probeTicks = 0;
    probe.OnTimer = [&](TObject*) { ++probeTicks; };
    probe.SetEnabled(true);
    ASSERT_TRUE(PumpUntil([&] { return probeTicks >= 3; }));
    EXPECT_EQ(ticks.load(), 1) << sync;
    // And it starts again.
    timer.OnTimer = [&](TObject*) {
      ++ticks;
      WakePump();
    };
    timer.SetEnabled(true);
    ASSERT_TRUE(PumpUntil([&] { return ticks >= 3; })) << sync;
    timer.SetEnabled(false);
  }
}

// A synchronised tick already waiting for the main thread when the timer is
// switched off or freed is dropped: OnTimer never runs after the stop.
TEST_F(TimersTest, ATickWaitingForTheMainThreadIsDroppedByStopOrDestruction) {
  for (bool destroy : {false, true}) {
    SCOPED_TRACE(destroy ? "destroyed" : "switched off");
    auto* timer = new TKyThreadTimer(nullptr);
    timer->SetInterval(5);
    std::atomic<int> ticks{0};
    timer->OnTimer = [&](TObject*) { ++ticks; };
    Pump();
    timer->SetEnabled(true);
    // The worker's tick now waits in its synchronised call.
    ASSERT_TRUE(WaitSynchronizePending(5000));
    if (destroy) {
      delete timer;
      timer = nullptr;
    } else {
      timer->SetEnabled(false);
    }
    Pump();
    EXPECT_EQ(ticks.load(), 0);
    if (timer) {
      // Switched on again it ticks as before.
      timer->SetEnabled(true);
      EXPECT_TRUE(PumpUntil([&] { return ticks >= 2; }));
      delete timer;
    }
  }
}

// A handler that raises is reported to the application in the main thread,
// on the worker or synchronised, and the timer keeps ticking.
TEST_F(TimersTest, AThreadTimerHandlerThatRaisesIsReportedAndTheTimerGoesOn) {
  for (bool sync : {true, false}) {
    SCOPED_TRACE(sync ? "synchronised" : "on the worker");
    std::vector<std::string> seen;
    std::atomic<bool> reportedInMain{true};
    TExceptionEvent saved = App().OnException;
    App().OnException = [&](TObject*, const std::exception& e) {
      reportedInMain = reportedInMain && InMainThread();
      seen.push_back(e.what());
    };
    TKyThreadTimer timer(nullptr);
    timer.SetSynchronize(sync);
    timer.SetInterval(10);
    std::atomic<int> ticks{0};
    timer.OnTimer = [&](TObject*) {
      ++ticks;
      WakePump();
      throw std::runtime_error("tick failed");
    };
    timer.SetEnabled(true);
    bool got = PumpUntil([&] { return seen.size() >= 3; });
    timer.SetEnabled(false);
    App().OnException = saved;
    ASSERT_TRUE(got);
    EXPECT_EQ(seen[0], "tick failed");
    EXPECT_TRUE(reportedInMain.load());
    EXPECT_GE(ticks.load(), 3);
  }
}
