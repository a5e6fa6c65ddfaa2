// What the window tests share: the one application of the test process,
// waiting for conditions while the message loop runs, posting real input,
// and small control classes that record what happens to them.
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

// The application object, made once for the whole run.
TApplication& App();

// Runs the message loop until cond holds or timeoutMs passes; true when it
// held. Waits for messages, never sleeps blindly.
bool PumpUntil(const std::function<bool()>& cond, int timeoutMs = 5000);
// Handles everything that is waiting now.
void Pump();

// Input as the platform delivers it: posted to the window under a client
// point of the control (a graphic control's parent window), then pumped.
void PostClick(TControl* control, int x, int y);
void PostMouse(TControl* control, uint32_t msg, int x, int y, WPARAM keys = 0);
void PostKey(TWinControl* control, uint16_t key);
void PostChar(TWinControl* control, char ch);
// Holds Shift (for this thread's key state) while alive.
struct TShiftDown {
  TShiftDown();
  ~TShiftDown();
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

// A windowless control that fills itself with its colour and counts paints
// and clicks.
class TTstShape : public TGraphicControl {
  KY_CLASS(TTstShape, TGraphicControl)
public:
  explicit TTstShape(TComponent* owner) : TGraphicControl(owner) { SetBounds(0, 0, 20, 20); }
  static void Publish(TPublisher<TTstShape>& p);
  int Paints = 0;
  int Clicks = 0;
  int Enters = 0, Leaves = 0;
  std::vector<std::string> Log;

protected:
  void Paint() override;
  void DoClick() override;
  void MouseDown(TMouseButton button, TShiftState shift, int32_t x, int32_t y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int32_t x, int32_t y) override;
  void WndProc(TMessage& m) override;
};

// A window with a canvas that fills itself with its colour.
class TTstPanel : public TCustomControl {
  KY_CLASS(TTstPanel, TCustomControl)
public:
  explicit TTstPanel(TComponent* owner) : TCustomControl(owner) {
    SetBounds(0, 0, 50, 50);
    controlStyle_.Include(csAcceptsControls);
  }
  static void Publish(TPublisher<TTstPanel>& p);
  int Paints = 0;

protected:
  void Paint() override;
};

// A focusable window that records the keys it gets.
class TTstBox : public TCustomControl {
  KY_CLASS(TTstBox, TCustomControl)
public:
  explicit TTstBox(TComponent* owner) : TCustomControl(owner) {
    SetBounds(0, 0, 40, 20);
    SetTabStop(true);
  }
  static void Publish(TPublisher<TTstBox>& p);
  std::vector<uint16_t> Keys;
  int Enters = 0, Exits = 0;

protected:
  void Paint() override;
  void KeyDown(uint16_t& key, TShiftState shift) override;
  void DoEnter() override;
  void DoExit() override;
};

void RegisterWindowTestClasses();
