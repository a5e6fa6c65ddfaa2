#include "setup/ProgressScales.h"

#include <algorithm>

int TProgressScales::PositionOf(size_t level) const {
  // Level 0 is the bar itself; scale k is level k + 1.
  return level == 0 ? sink_.Position() : scales_[level - 1].position;
}

void TProgressScales::SetPositionOf(size_t level, int position) {
  if (level == 0) {
    sink_.SetPosition(position);
    return;
  }
  TScale& s = scales_[level - 1];
  s.position = std::clamp(position, 0, std::max(s.steps, 0));
  // A scale without steps moves its enclosing level only when it ends.
  int advance = s.steps > 0 ? static_cast<int>(static_cast<long long>(s.units) * s.position / s.steps) : 0;
  SetPositionOf(level - 1, s.base + advance);
}

void TProgressScales::Push(int units, int steps) {
  scales_.push_back({PositionOf(scales_.size()), units, steps, 0});
}

void TProgressScales::SetPosition(int position) {
  if (!scales_.empty()) SetPositionOf(scales_.size(), position);
}

void TProgressScales::Step() {
  if (!scales_.empty()) SetPosition(scales_.back().position + 1);
}

void TProgressScales::Pop() {
  if (scales_.empty()) return;
  TScale s = scales_.back();
  size_t level = scales_.size();
  if (s.steps > 0) SetPositionOf(level, s.steps);
  else SetPositionOf(level - 1, s.base + s.units);
  scales_.pop_back();
}
