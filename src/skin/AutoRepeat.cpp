#include "skin/AutoRepeat.h"

void TKyButtonRepeats::Publish(TPublisher<TKyButtonRepeats>& p) {
  using C = TKyButtonRepeats;
  p.Property("Active", &C::Active, &C::SetActive).Default(false);
  p.Property("StartTime", &C::StartTime, &C::SetStartTime).Default(400);
  p.Property("NextTime", &C::NextTime, &C::SetNextTime).Default(80);
}

void TKyButtonRepeats::CopyFrom(const TKyBlock& source) {
  TKyBlock::CopyFrom(source);
  const auto& s = static_cast<const TKyButtonRepeats&>(source);
  active_ = s.active_;
  startTime_ = s.startTime_;
  nextTime_ = s.nextTime_;
}
