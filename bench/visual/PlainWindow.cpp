// The reference: a plain Win32 program that creates one window, paints it
// once and reports the time from process start to the end of that paint.
// With "children" it also gets the ten child windows of the library's
// benchmark form, painted directly, and reports the median of a full
// repaint: what the platform itself costs per window. With "stay" it keeps
// its window until closed: the reference for start-up and memory seen from
// outside. With "dialog" it then shows the system's open dialog (the one
// KySetup's Add shows), the reference for memory with that dialog loaded.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "StartClock.h"

#include <commdlg.h>

namespace {

bool gPainted = false;
bool gStay = false;
bool gDialog = false;
constexpr UINT kOpenDialog = WM_APP + 1;

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
      if (gDialog) PostMessageA(w, kOpenDialog, 0, 0);
      else if (!gStay) PostQuitMessage(0);
    }
    return 0;
  }
  if (msg == kOpenDialog) {
    char file[MAX_PATH] = "";
    OPENFILENAMEA ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = w;
    ofn.lpstrFilter = "Setup files (*.stp)\0*.stp\0";
    ofn.lpstrFile = file;
    ofn.nMaxFile = MAX_PATH;
    ofn.Flags = OFN_EXPLORER | OFN_ENABLESIZING | OFN_HIDEREADONLY | OFN_FILEMUSTEXIST;
    // Loaded here, as KySetup loads it: the plain program stays plain.
    if (HMODULE comdlg32 = LoadLibraryA("comdlg32.dll")) {
      auto open = reinterpret_cast<decltype(&GetOpenFileNameA)>(GetProcAddress(comdlg32, "GetOpenFileNameA"));
      if (open) open(&ofn);
    }
    return 0;
  }
  if (msg == WM_DESTROY) PostQuitMessage(0);
  return DefWindowProcA(w, msg, wp, lp);
}

LRESULT CALLBACK ChildProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_PAINT) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(w, &ps);
    RECT r;
    GetClientRect(w, &r);
    FillRect(dc, &r, reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1));
    TextOutA(dc, 4, 4, "Window", 6);
    EndPaint(w, &ps);
    return 0;
  }
  return DefWindowProcA(w, msg, wp, lp);
}

}  // namespace

int main(int argc, char** argv) {
  bool children = argc > 1 && std::string(argv[1]) == "children";
  gStay = argc > 1 && std::string(argv[1]) == "stay";
  gDialog = argc > 1 && std::string(argv[1]) == "dialog";
  WNDCLASSA wc{};
  wc.lpfnWndProc = Proc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  wc.lpszClassName = "PlainWindow";
  RegisterClassA(&wc);
  HWND w = CreateWindowExA(0, "PlainWindow", "Plain", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 100, 100, 550, 370,
                           nullptr, nullptr, wc.hInstance, nullptr);
  if (children) {
    WNDCLASSA cc{};
    cc.lpfnWndProc = ChildProc;
    cc.hInstance = wc.hInstance;
    cc.lpszClassName = "PlainChild";
    RegisterClassA(&cc);
    for (int i = 0; i < 10; ++i)
      CreateWindowExA(0, "PlainChild", "", WS_CHILD | WS_VISIBLE, 10 + (i % 5) * 106, 10 + (i / 5) * 60, 100, 50, w,
                      nullptr, wc.hInstance, nullptr);
  }
  ShowWindow(w, SW_SHOW);
  UpdateWindow(w);
  MSG m;
  while (GetMessageA(&m, nullptr, 0, 0) > 0) DispatchMessageA(&m);
  if (children) {
    std::vector<double> ms;
    for (int i = 0; i < 50; ++i) {
      auto t0 = std::chrono::steady_clock::now();
      RedrawWindow(w, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
      GdiFlush();
      ms.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count());
    }
    std::sort(ms.begin(), ms.end());
    std::printf("full repaint median %.3f ms (min %.3f, max %.3f)\n", ms[ms.size() / 2], ms.front(), ms.back());
  }
  return 0;
}
