// What the window tests share: the driver of tests/support and small
// control classes that record what happens to them.
#pragma once

#include "support/WindowDriver.h"

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
