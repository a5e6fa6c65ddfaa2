// A progress sink on standard error: a redrawn bar on a console, at most ten
// times a second; a line per tenth of the way otherwise (logs, pipes).
#pragma once

#include <chrono>
#include <string>

#include "platform/os/Console.h"
#include "setup/ProgressScales.h"

class TConsoleProgress : public TProgressSink {
public:
  TConsoleProgress();
  ~TConsoleProgress() override;

  int Max() const override { return kMax; }
  int Position() const override { return position_; }
  void SetPosition(int position) override;
  void SetLabel(const std::string& text) override;
  void Pulse() override { if (pending_) Draw(false); }
  // Draws the last state and ends the bar's line.
  void Finish();

private:
  static constexpr int kMax = 1000;
  void Draw(bool force);

  TErrorOutput out_;
  bool drawn_ = false;
  bool pending_ = false;  // a change not drawn yet
  int position_ = 0;
  int lastTenth_ = -1;
  std::string label_;
  TRedrawPace pace_{std::chrono::milliseconds(100)};
};
