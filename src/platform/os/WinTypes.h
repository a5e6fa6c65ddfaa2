// The Win32 handle and message types by name, without <windows.h>: headers
// of the graphics and windows layers use them, and only their .cpp files
// include WinApi.h (which checks that these match the real ones).
#pragma once

#include <cstdint>

#define KY_DECLARE_HANDLE(name) \
  struct name##__;              \
  typedef struct name##__* name

KY_DECLARE_HANDLE(HWND);
KY_DECLARE_HANDLE(HDC);
KY_DECLARE_HANDLE(HFONT);
KY_DECLARE_HANDLE(HPEN);
KY_DECLARE_HANDLE(HBRUSH);
KY_DECLARE_HANDLE(HBITMAP);
KY_DECLARE_HANDLE(HRGN);
KY_DECLARE_HANDLE(HPALETTE);
KY_DECLARE_HANDLE(HICON);
KY_DECLARE_HANDLE(HENHMETAFILE);
KY_DECLARE_HANDLE(HINSTANCE);
KY_DECLARE_HANDLE(HMENU);
KY_DECLARE_HANDLE(HMONITOR);
#undef KY_DECLARE_HANDLE
typedef HICON HCURSOR;
typedef HINSTANCE HMODULE;
typedef void* HGDIOBJ;
typedef void* HANDLE;

#if defined(_WIN64)
typedef unsigned long long WPARAM;
typedef long long LPARAM;
typedef long long LRESULT;
#else
typedef unsigned int WPARAM;
typedef long LPARAM;
typedef long LRESULT;
#endif
