// The auto-repeat of a held button: whether it repeats and its two
// delays. The button runs the repeating with the process-wide timer.
#pragma once

#include <cstdint>

#include "skin/Blocks.h"

class TKyButtonRepeats : public TKyBlock {
  KY_CLASS(TKyButtonRepeats, TKyBlock)
public:
  explicit TKyButtonRepeats(TPersistent* owner = nullptr) : TKyBlock(owner) {}
  static void Publish(TPublisher<TKyButtonRepeats>& p);

  bool Active() const { return active_; }
  void SetActive(bool value) { Update(active_, value); }
  // Milliseconds from the press to the second click.
  int32_t StartTime() const { return startTime_; }
  void SetStartTime(int32_t value) { Update(startTime_, value); }
  // Milliseconds between the later clicks.
  int32_t NextTime() const { return nextTime_; }
  void SetNextTime(int32_t value) { Update(nextTime_, value); }

protected:
  void CopyFrom(const TKyBlock& source) override;

private:
  bool active_ = false;
  int32_t startTime_ = 400;
  int32_t nextTime_ = 80;
};
