// A form of 30 controls (10 windows with canvases, 20 windowless ones with
// text), built and shown by the library. Reports the time from process
// start to the end of its first paint, then repaints the whole form 50
// times and reports the median and the spread of one repaint.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

// The library's own wrapper first: it takes back the A/W name macros.
#include "platform/os/WinApi.h"

#include "StartClock.h"
#include "platform/windows/Application.h"

namespace {

class TCell : public TGraphicControl {
public:
  explicit TCell(TComponent* owner) : TGraphicControl(owner) {}

protected:
  void Paint() override {
    TCanvas* c = Canvas();
    c->Brush()->SetColor(Color());
    c->Pen()->SetColor(kClBtnShadow);
    c->Rectangle(0, 0, Width(), Height());
    c->Brush()->SetStyle(bsClear);
    c->TextOut(4, 3, Caption());
    c->Brush()->SetStyle(bsSolid);
  }
};

class TBox : public TCustomControl {
public:
  explicit TBox(TComponent* owner) : TCustomControl(owner) {}
  int Paints = 0;

protected:
  void Paint() override {
    ++Paints;
    TCanvas* c = Canvas();
    c->Brush()->SetColor(Color());
    c->FillRect(ClientRect());
    c->TextOut(4, 4, Caption());
  }
};

class TBenchForm : public TForm {
public:
  using TForm::TForm;
  bool FirstPaintDone = false;
  long long FirstPaintUs = 0;

protected:
  void WndProc(TMessage& m) override {
    TForm::WndProc(m);
    if (m.Msg == WM_PAINT && !FirstPaintDone) {
      // Children paint after their parent: wait for the last one.
      PostMessageA(Handle(), WM_APP + 7, 0, 0);
    } else if (m.Msg == WM_APP + 7 && !FirstPaintDone && !GetUpdateRect(Handle(), nullptr, FALSE)) {
      GdiFlush();
      FirstPaintDone = true;
      FirstPaintUs = MicrosecondsSinceStart();
    }
  }
};

}  // namespace

int main(int argc, char** argv) {
  // "empty", "boxes" or "cells": the form with none or one kind of its
  // controls, to see what each costs.
  std::string mode = argc > 1 ? argv[1] : "";
  bool empty = mode == "empty";
  int boxes = empty || mode == "cells" ? 0 : 10;
  int cells = empty || mode == "boxes" ? 0 : 20;
  TApplication app;
  TBenchForm* form = new TBenchForm(&app);
  form->InitForm();
  form->SetBounds(100, 100, 550, 370);
  form->SetCaption("Thirty controls");
  for (int i = 0; i < boxes; ++i) {
    auto* b = new TBox(form);
    b->SetParent(form);
    b->SetBounds(10 + (i % 5) * 106, 10 + (i / 5) * 60, 100, 50);
    b->SetColor(KyRGB(static_cast<uint8_t>(200 - i * 10), 220, 240));
    b->SetCaption("Window " + std::to_string(i + 1));
  }
  for (int i = 0; i < cells; ++i) {
    auto* c = new TCell(form);
    c->SetParent(form);
    c->SetBounds(10 + (i % 5) * 106, 140 + (i / 5) * 40, 100, 32);
    c->SetColor(KyRGB(250, static_cast<uint8_t>(240 - i * 5), 200));
    c->SetCaption("Cell " + std::to_string(i + 1));
  }
  form->Show();
  while (!form->FirstPaintDone) app.HandleMessage();
  std::printf("first paint %lld us\n", form->FirstPaintUs);

  std::vector<double> ms;
  for (int i = 0; i < 50; ++i) {
    auto t0 = std::chrono::steady_clock::now();
    RedrawWindow(form->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    GdiFlush();
    auto t1 = std::chrono::steady_clock::now();
    ms.push_back(std::chrono::duration<double, std::milli>(t1 - t0).count());
  }
  std::sort(ms.begin(), ms.end());
  std::printf("full repaint median %.3f ms (min %.3f, max %.3f)\n", ms[ms.size() / 2], ms.front(), ms.back());
  return 0;
}
