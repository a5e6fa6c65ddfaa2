#include "ConsoleProgress.h"

#include <algorithm>
#include <cstdio>

TConsoleProgress::TConsoleProgress(bool console) : console_(console) {}

TConsoleProgress::~TConsoleProgress() { Finish(); }

void TConsoleProgress::SetPosition(int position) {
  position = std::clamp(position, 0, kMax);
  if (position == position_ && drawn_) return;
  position_ = position;
  Draw();
}

void TConsoleProgress::SetLabel(const std::string& text) {
  if (text == label_) return;
  label_ = text;
  if (console_) Draw();
}

void TConsoleProgress::Draw() {
  int percent = position_ * 100 / kMax;
  if (console_) {
    constexpr int kWidth = 30;
    int filled = position_ * kWidth / kMax;
    std::string bar(static_cast<size_t>(filled), '#');
    bar.append(static_cast<size_t>(kWidth - filled), '.');
    std::string label = label_.substr(0, 40);
    std::fprintf(stderr, "\r[%s] %3d%% %-40s", bar.c_str(), percent, label.c_str());
    std::fflush(stderr);
    drawn_ = true;
    return;
  }
  int tenth = percent / 10;
  if (tenth == lastTenth_) return;
  lastTenth_ = tenth;
  std::fprintf(stderr, "progress %3d%%%s%s\n", tenth * 10, label_.empty() ? "" : " ", label_.c_str());
}

void TConsoleProgress::Finish() {
  if (console_ && drawn_) {
    std::fputc('\n', stderr);
    drawn_ = false;
  }
}
