#include "ConsoleProgress.h"

#include <algorithm>
#include <cstdio>

TConsoleProgress::TConsoleProgress() = default;

TConsoleProgress::~TConsoleProgress() { Finish(); }

void TConsoleProgress::SetPosition(int position) {
  position = std::clamp(position, 0, kMax);
  if (position == position_ && drawn_) return;
  position_ = position;
  pending_ = true;
  Draw(false);
}

void TConsoleProgress::SetLabel(const std::string& text) {
  if (text == label_) return;
  label_ = text;
  if (!out_.IsConsole()) return;
  pending_ = true;
  Draw(false);
}

void TConsoleProgress::Draw(bool force) {
  int percent = position_ * 100 / kMax;
  if (out_.IsConsole()) {
    if (!pace_.Due(TRedrawPace::Clock::now(), force || !drawn_)) return;
    constexpr int kWidth = 30;
    int filled = position_ * kWidth / kMax;
    std::string bar(static_cast<size_t>(filled), '#');
    bar.append(static_cast<size_t>(kWidth - filled), '.');
    char line[128];
    std::snprintf(line, sizeof line, "\r[%s] %3d%% %-40.40s", bar.c_str(), percent, label_.c_str());
    out_.Write(line);
    drawn_ = true;
    pending_ = false;
    return;
  }
  pending_ = false;
  int tenth = percent / 10;
  if (tenth == lastTenth_) return;
  lastTenth_ = tenth;
  char head[32];
  std::snprintf(head, sizeof head, "progress %3d%%", tenth * 10);
  out_.Write(head + std::string(label_.empty() ? "" : " ") + label_ + "\n");
}

void TConsoleProgress::Finish() {
  if (!out_.IsConsole()) return;
  if (pending_) Draw(true);
  if (drawn_) {
    out_.Write("\n");
    drawn_ = false;
  }
}
