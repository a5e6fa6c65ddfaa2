#include "support/WindowDriver.h"

#include <chrono>

#include "platform/windows/Register.h"

namespace ky_test {

namespace {
DWORD gPumpThread = 0;
}  // namespace

TApplication& App() {
  static TApplication* app = [] {
    RegisterWindowsClasses();
    gPumpThread = GetCurrentThreadId();
    auto* a = new TApplication(nullptr);
    // Tests see exceptions through their own handler; none may pop up a box.
    a->OnException = [](TObject*, const std::exception& e) { ADD_FAILURE() << "unhandled: " << e.what(); };
    return a;
  }();
  return *app;
}

void WakePump() {
  if (gPumpThread) PostThreadMessageA(gPumpThread, WM_NULL, 0, 0);
}

void Pump() {
  App().ProcessMessages();
}

bool PumpUntil(const std::function<bool()>& cond, int timeoutMs) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    App().ProcessMessages();
    if (cond()) return true;
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) return false;
    // Wakes for any message (timers, posted input, paints).
    MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(left.count()), QS_ALLINPUT);
  }
}

namespace {

// The window that gets a mouse message for a point of control, and the
// point in that window's client area.
HWND MouseTarget(TControl* control, int& x, int& y) {
  TControl* c = control;
  while (!dynamic_cast<TWinControl*>(c)) {
    x += c->Left();
    y += c->Top();
    c = c->Parent();
  }
  return static_cast<TWinControl*>(c)->Handle();
}

}  // namespace

void PostMouse(TControl* control, uint32_t msg, int x, int y, WPARAM keys) {
  HWND w = MouseTarget(control, x, y);
  PostMessageA(w, msg, keys, PointToLParam(x, y));
  Pump();
}

void PostClick(TControl* control, int x, int y) {
  PostMouse(control, WM_MOUSEMOVE, x, y);
  PostMouse(control, WM_LBUTTONDOWN, x, y, MK_LBUTTON);
  PostMouse(control, WM_LBUTTONUP, x, y);
}

void PostKey(TWinControl* control, uint16_t key) {
  HWND w = GetFocus();
  if (!w) w = control->Handle();
  PostMessageA(w, WM_KEYDOWN, key, 1);
  PostMessageA(w, WM_KEYUP, key, static_cast<LPARAM>(0xC0000001u));
  Pump();
}

void PostChar(TWinControl* control, char ch) {
  HWND w = GetFocus();
  if (!w) w = control->Handle();
  PostMessageA(w, WM_CHAR, static_cast<uint8_t>(ch), 1);
  Pump();
}

TKeyHeld::TKeyHeld(uint8_t vk) : vk_(vk) {
  BYTE keys[256];
  GetKeyboardState(keys);
  keys[vk_] = 0x80;
  SetKeyboardState(keys);
}

TKeyHeld::~TKeyHeld() {
  BYTE keys[256];
  GetKeyboardState(keys);
  keys[vk_] = 0;
  SetKeyboardState(keys);
}

TSnapshot::TSnapshot(TWinControl* control) {
  TRect r = control->ClientRect();
  w_ = r.Width();
  h_ = r.Height();
  HDC screen = GetDC(nullptr);
  dc_ = CreateCompatibleDC(screen);
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
  bi.bmiHeader.biWidth = w_;
  bi.bmiHeader.biHeight = -h_;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  bmp_ = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  ReleaseDC(nullptr, screen);
  old_ = SelectObject(dc_, bmp_);
  control->PaintTo(dc_, 0, 0);
  GdiFlush();
}

TSnapshot::~TSnapshot() {
  SelectObject(dc_, old_);
  DeleteObject(bmp_);
  DeleteDC(dc_);
}

TKyColor TSnapshot::Pixel(int x, int y) const { return static_cast<TKyColor>(GetPixel(dc_, x, y)); }

}  // namespace ky_test
