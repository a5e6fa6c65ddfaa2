// What every window test shares: the one application of the test process,
// waiting for conditions while the message loop runs, posting real input,
// and reading back what a form painted.
#pragma once

#include "platform/os/WinApi.h"

#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/windows/Application.h"
#include "platform/windows/Controls.h"
#include "platform/windows/Forms.h"

namespace ky_test {

// The application object, made once for the whole run, after the window
// classes are registered. Exceptions that reach it fail the test.
TApplication& App();

// Runs the message loop until cond holds or timeoutMs passes; true when it
// held. Waits for messages, never sleeps blindly.
bool PumpUntil(const std::function<bool()>& cond, int timeoutMs = 5000);
// Handles everything that is waiting now.
void Pump();
// From another thread: a waiting PumpUntil looks at its condition again.
void WakePump();

// Input as the platform delivers it: posted to the window under a client
// point of the control (a graphic control's parent window), then pumped.
void PostClick(TControl* control, int x, int y);
void PostMouse(TControl* control, uint32_t msg, int x, int y, WPARAM keys = 0);
void PostKey(TWinControl* control, uint16_t key);
void PostChar(TWinControl* control, char ch);
// Holds a key (for this thread's key state) while alive.
class TKeyHeld {
public:
  explicit TKeyHeld(uint8_t vk);
  ~TKeyHeld();
  TKeyHeld(const TKeyHeld&) = delete;
  TKeyHeld& operator=(const TKeyHeld&) = delete;

private:
  uint8_t vk_;
};
struct TShiftDown : TKeyHeld {
  TShiftDown() : TKeyHeld(VK_SHIFT) {}
};
struct TCtrlDown : TKeyHeld {
  TCtrlDown() : TKeyHeld(VK_CONTROL) {}
};

// A form's client area as the paint pass draws it, into a 32-bit memory
// bitmap; Pixel reads it back.
class TSnapshot {
public:
  explicit TSnapshot(TWinControl* control);
  ~TSnapshot();
  TKyColor Pixel(int x, int y) const;
  int Width() const { return w_; }
  int Height() const { return h_; }

private:
  int w_ = 0, h_ = 0;
  HDC dc_ = nullptr;
  HBITMAP bmp_ = nullptr;
  HGDIOBJ old_ = nullptr;
};

}  // namespace ky_test
