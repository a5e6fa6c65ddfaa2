// A progress sink on standard error: a redrawn bar on a console, a line per
// tenth of the way otherwise (logs, pipes).
#pragma once

#include <string>

#include "setup/ProgressScales.h"

class TConsoleProgress : public TProgressSink {
public:
  explicit TConsoleProgress(bool console);
  ~TConsoleProgress() override;

  int Max() const override { return kMax; }
  int Position() const override { return position_; }
  void SetPosition(int position) override;
  void SetLabel(const std::string& text) override;
  // Ends the bar's line.
  void Finish();

private:
  static constexpr int kMax = 1000;
  void Draw();

  bool console_;
  bool drawn_ = false;
  int position_ = 0;
  int lastTenth_ = -1;
  std::string label_;
};
