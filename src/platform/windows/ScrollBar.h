// TVertScrollBar: the system's vertical scroll bar of a window of ours, for
// content taller than the window. It keeps the content height, the page
// (the visible height) and the position; the bar shows only while the
// content does not fit. The owning control hands it its WM_VSCROLL and
// WM_MOUSEWHEEL messages and the scrolling keys, and repaints with the
// offset when OnScroll tells it the position moved.
#pragma once

#include <cstdint>
#include <functional>

#include "platform/windows/Controls.h"

#ifndef WM_VSCROLL
#define WM_VSCROLL 0x0115
#endif

class TVertScrollBar {
public:
  explicit TVertScrollBar(TWinControl* control) : control_(control) {}
  TVertScrollBar(const TVertScrollBar&) = delete;
  TVertScrollBar& operator=(const TVertScrollBar&) = delete;

  int32_t Range() const { return range_; }
  int32_t Page() const { return page_; }
  int32_t Position() const { return position_; }
  int32_t MaxPosition() const { return range_ > page_ ? range_ - page_ : 0; }
  // Whether the content is taller than the page (the bar shows).
  bool Needed() const { return range_ > page_; }
  // A line step (arrow keys, the bar's arrows); the wheel moves three.
  int32_t LineSize() const { return lineSize_; }
  void SetLineSize(int32_t value) { lineSize_ = value > 0 ? value : 1; }

  // Content height and visible height; the position stays within them.
  void SetRange(int32_t range, int32_t page);
  void SetPosition(int32_t value);
  void ScrollBy(int32_t delta) { SetPosition(position_ + delta); }

  // WM_VSCROLL and WM_MOUSEWHEEL; true when the message was taken.
  bool HandleMessage(TMessage& message);
  // Up, Down, PageUp, PageDown, Home and End; true when the key was taken
  // (only while there is something to scroll).
  bool HandleKey(uint16_t key);

  // Hands the state to the window (after it was made anew).
  void Apply();

  // The width the bar takes from the client area.
  static int32_t BarWidth();

  // The position moved, by how much (positive: the content moved up).
  std::function<void(int32_t delta)> OnScroll;

private:
  TWinControl* control_;
  int32_t range_ = 0, page_ = 0, position_ = 0;
  int32_t lineSize_ = 16;
  int32_t wheelRest_ = 0;  // wheel turns below one notch, kept for the next
};
