// The skinned progress bar: a panel whose client area shows how far a
// position has come between Min and Max, as blocks or one solid bar, in
// any of four directions; or, for an amount not known, a pattern moved by
// a thread timer straight onto the window.
//
//   TKyCustomProgressBar   behaviour
//   TKyProgressBar         publishes
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>

#include "skin/Fills.h"
#include "skin/KyTimers.h"
#include "skin/Panel.h"

KY_ENUM(TKyTypeBar, uint8_t, tbaBlock, tbaSolid, tbaIndeterminate)
KY_ENUM(TKyProgressBarOrientation, uint8_t, pboLeft, pboRight, pboUp, pboDown)

class TKyCustomProgressBar : public TKyCustomPanel {
  KY_CLASS(TKyCustomProgressBar, TKyCustomPanel)
public:
  explicit TKyCustomProgressBar(TComponent* owner);
  ~TKyCustomProgressBar() override;

  int32_t Position() const { return position_; }
  // Above Max stores Max; a change repaints at once.
  void SetPosition(int32_t value);
  // Adds step to Position (nothing for 0).
  void StepBy(int32_t step);
  int32_t Min() const { return min_; }
  void SetMin(int32_t value);
  int32_t Max() const { return max_; }
  void SetMax(int32_t value);
  TKyTypeBar TypeBar() const { return typeBar_; }
  void SetTypeBar(TKyTypeBar value);
  TKyProgressBarOrientation Orientation() const { return orientation_; }
  void SetOrientation(TKyProgressBarOrientation value);
  int32_t WidthBlock() const { return widthBlock_; }
  void SetWidthBlock(int32_t value);
  int32_t SpacingBlock() const { return spacingBlock_; }
  void SetSpacingBlock(int32_t value);
  TKySetBackGround* SetBGProgress() const { return bgProgress_.get(); }

  // The rectangle the bar is drawn in (client coordinates).
  TRect BarRect() const;
  // Whether the moving pattern's timer exists, and how many frames it drew.
  bool Animating() const { return timer_ != nullptr; }
  uint64_t FramesDrawn() const { return frames_.load(); }

  void UpdateDisplay() override;

  // Told on the timer's thread after each frame of the moving pattern.
  std::function<void()> OnAnimationFrame;

protected:
  void Paint() override;
  void WndProc(TMessage& message) override;
  void Loaded() override;

private:
  TKyProgressLook Look() const;
  void Refresh();
  // The timer exists exactly while the type is indeterminate and the
  // position above 0.
  void UpdateAnimation();
  void StopAnimation();
  // On the timer's thread: one frame, only when the locks come free.
  void Tick();

  int32_t position_ = 0;
  int32_t min_ = 0;
  int32_t max_ = 100;
  TKyTypeBar typeBar_ = tbaBlock;
  TKyProgressBarOrientation orientation_ = pboRight;
  int32_t widthBlock_ = 4;
  int32_t spacingBlock_ = 2;
  std::unique_ptr<TKySetBackGround> bgProgress_;
  std::unique_ptr<TKyThreadTimer> timer_;
  // The window the timer draws on; cleared under the canvas lock before
  // the window goes.
  std::atomic<HWND> animWindow_{nullptr};
  int32_t animOffset_ = 0;  // the timer thread's
  std::atomic<uint64_t> frames_{0};
};

class TKyProgressBar : public TKyCustomProgressBar {
  KY_CLASS(TKyProgressBar, TKyCustomProgressBar)
public:
  using TKyCustomProgressBar::TKyCustomProgressBar;
  static void Publish(TPublisher<TKyProgressBar>& p);
};

void RegisterProgressBarClasses();
