#include "platform/os/Handles.h"

#include "platform/os/WinApi.h"

namespace ky_handle {
void DeleteGdiObject(HGDIOBJ h) { DeleteObject(h); }
void DeleteDc(HDC h) { DeleteDC(h); }
void DestroyWnd(HWND h) { DestroyWindow(h); }
void DestroyIco(HICON h) { DestroyIcon(h); }
void DeleteEnhMetaFile(HENHMETAFILE h) { ::DeleteEnhMetaFile(h); }
}  // namespace ky_handle

TWindowDc::TWindowDc(HWND window, bool wholeWindow)
    : window_(window), dc_(wholeWindow ? GetWindowDC(window) : GetDC(window)) {}
TWindowDc::~TWindowDc() {
  if (dc_) ReleaseDC(window_, dc_);
}

TSelectGuard::TSelectGuard(HDC dc, HGDIOBJ object) : dc_(dc), old_(object ? SelectObject(dc, object) : nullptr) {}
TSelectGuard::~TSelectGuard() {
  if (old_) SelectObject(dc_, old_);
}
