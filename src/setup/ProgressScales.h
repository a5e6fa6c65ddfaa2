// Progress of installation and removal: nested scales over one progress bar.
#pragma once

#include <chrono>
#include <string>
#include <vector>

// Where progress goes: the wizard's bar or a console bar.
class TProgressSink {
public:
  virtual ~TProgressSink() = default;
  virtual int Max() const = 0;
  virtual int Position() const = 0;
  // The sink clamps the position to 0..Max().
  virtual void SetPosition(int position) = 0;
  // The text inside the bar: the file being written, or nothing.
  virtual void SetLabel(const std::string& text) = 0;
  // The run goes on (a chunk of a long file was copied): a sink that holds
  // changes back may show them now.
  virtual void Pulse() {}
};

// Paces a display: a redraw for every file would cost more than the copy.
// Due() passes at most once per interval, and always when forced (the end
// of a run must show).
class TRedrawPace {
public:
  using Clock = std::chrono::steady_clock;
  explicit TRedrawPace(Clock::duration interval) : interval_(interval) {}
  // True when a redraw is due at now; it then counts as done.
  bool Due(Clock::time_point now, bool force = false) {
    if (!force && drawn_ && now - last_ < interval_) return false;
    drawn_ = true;
    last_ = now;
    return true;
  }

private:
  Clock::duration interval_;
  Clock::time_point last_{};
  bool drawn_ = false;
};

// A stack of scales. Push(units, steps) opens a scale based at the current
// position of the bar or of the enclosing scale; its position p in 0..steps
// sets the enclosing position to base + units * p / steps.
class TProgressScales {
public:
  explicit TProgressScales(TProgressSink& sink) : sink_(sink) {}

  void Push(int units, int steps);
  void SetPosition(int position);  // of the innermost scale, clamped to its steps
  void Step();                     // innermost position + 1
  void Pop();                      // innermost to its end, then removed
  int Depth() const { return static_cast<int>(scales_.size()); }
  TProgressSink& Sink() { return sink_; }

private:
  struct TScale {
    int base, units, steps, position;
  };
  int PositionOf(size_t level) const;
  void SetPositionOf(size_t level, int position);

  TProgressSink& sink_;
  std::vector<TScale> scales_;
};

// Pushes a scale for a block and pops it on every way out of the block.
class TScaleGuard {
public:
  TScaleGuard(TProgressScales& scales, int units, int steps) : scales_(scales) { scales_.Push(units, steps); }
  ~TScaleGuard() { scales_.Pop(); }
  TScaleGuard(const TScaleGuard&) = delete;
  TScaleGuard& operator=(const TScaleGuard&) = delete;

private:
  TProgressScales& scales_;
};
