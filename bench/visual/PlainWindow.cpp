// The reference: a plain Win32 program that creates one window, paints it
// once and reports the time from process start to the end of that paint.
#include <cstdio>

#include "StartClock.h"

namespace {

bool gPainted = false;

LRESULT CALLBACK Proc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_PAINT) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(w, &ps);
    RECT r;
    GetClientRect(w, &r);
    FillRect(dc, &r, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
    TextOutA(dc, 10, 10, "Plain window", 12);
    EndPaint(w, &ps);
    if (!gPainted) {
      gPainted = true;
      GdiFlush();
      std::printf("first paint %lld us\n", MicrosecondsSinceStart());
      PostQuitMessage(0);
    }
    return 0;
  }
  return DefWindowProcA(w, msg, wp, lp);
}

}  // namespace

int main() {
  WNDCLASSA wc{};
  wc.lpfnWndProc = Proc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  wc.lpszClassName = "PlainWindow";
  RegisterClassA(&wc);
  HWND w = CreateWindowExA(0, "PlainWindow", "Plain", WS_OVERLAPPEDWINDOW, 100, 100, 550, 370, nullptr, nullptr,
                           wc.hInstance, nullptr);
  ShowWindow(w, SW_SHOW);
  UpdateWindow(w);
  MSG m;
  while (GetMessageA(&m, nullptr, 0, 0) > 0) DispatchMessageA(&m);
  return 0;
}
