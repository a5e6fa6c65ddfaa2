#include <gtest/gtest.h>

#include <algorithm>

#include "setup/ProgressScales.h"

namespace {

// A bar that clamps like the real one and keeps every position it was given.
class TBar : public TProgressSink {
public:
  explicit TBar(int max) : max_(max) {}
  int Max() const override { return max_; }
  int Position() const override { return position_; }
  void SetPosition(int p) override {
    position_ = std::clamp(p, 0, max_);
    history.push_back(position_);
  }
  void SetLabel(const std::string&) override {}
  std::vector<int> history;

private:
  int max_;
  int position_ = 0;
};

}  // namespace

TEST(ProgressScales, NestedScalesMapIntoTheirEnclosingRange) {
  TBar bar(1000);
  TProgressScales s(bar);
  s.Push(1000, 100);      // the whole run
  s.Push(18, 100);        // 18 % of it
  s.SetPosition(50);      // half of that: 9 % of the bar
  EXPECT_EQ(bar.Position(), 90);
  s.Pop();                // to its end: 18 %
  EXPECT_EQ(bar.Position(), 180);
  s.Push(75, 3);
  s.Step();               // 25 of 100, truncated
  EXPECT_EQ(bar.Position(), 180 + 250);
  s.SetPosition(99);      // clamped to the scale's 3 steps
  EXPECT_EQ(bar.Position(), 180 + 750);
  s.Pop();
  s.Step();
  EXPECT_EQ(bar.Position(), 940);
  s.Pop();
  EXPECT_EQ(bar.Position(), 1000);
  EXPECT_EQ(s.Depth(), 0);
  EXPECT_TRUE(std::is_sorted(bar.history.begin(), bar.history.end()));
}

TEST(ProgressScales, IntegerDivisionAndEmptyScales) {
  TBar bar(100);
  TProgressScales s(bar);
  s.Push(100, 100);
  s.Push(40, 7);
  for (int i = 0; i < 7; ++i) s.Step();
  EXPECT_EQ(bar.Position(), 40);
  s.Pop();
  s.Push(30, 0);          // nothing to do: it moves only when it ends
  s.Step();
  EXPECT_EQ(bar.Position(), 40);
  s.Pop();
  EXPECT_EQ(bar.Position(), 70);
  s.Pop();
  s.Pop();                // popping an empty stack is harmless
  EXPECT_EQ(bar.Position(), 100);
}

TEST(ProgressScales, BarClampsAtItsMaximum) {
  TBar bar(50);
  TProgressScales s(bar);
  s.Push(80, 1);          // a share larger than the bar
  s.Step();
  EXPECT_EQ(bar.Position(), 50);
}

TEST(ProgressScales, GuardPopsOnEveryWayOut) {
  TBar bar(100);
  TProgressScales s(bar);
  try {
    TScaleGuard outer(s, 100, 100);
    TScaleGuard inner(s, 50, 10);
    throw 1;
  } catch (int) {
  }
  EXPECT_EQ(s.Depth(), 0);
  EXPECT_EQ(bar.Position(), 100);
}

// A display paced at 50 ms over calls at chosen times (ms), some forced.
TEST(RedrawPace, PassesOncePerIntervalAndAlwaysWhenForced) {
  struct Call {
    int at;
    bool force, due;
  };
  const Call calls[] = {
      {0, false, true},    // the first change always shows
      {10, false, false},  {49, false, false},
      {50, false, true},   // one interval after the last redraw
      {60, true, true},    // the end of a run
      {70, false, false},  // the interval counts from the forced redraw
      {110, false, true},  {500, false, true},
  };
  TRedrawPace pace(std::chrono::milliseconds(50));
  const auto start = TRedrawPace::Clock::time_point{} + std::chrono::hours(1);
  for (const Call& c : calls)
    EXPECT_EQ(pace.Due(start + std::chrono::milliseconds(c.at), c.force), c.due) << "at " << c.at << " ms";
}
