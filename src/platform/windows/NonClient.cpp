#include "platform/windows/NonClient.h"

#include <cstring>

#include "platform/os/WinApi.h"

void KeepNonClientFrame(TMessage& m, const TRect& frame) {
  auto* r = reinterpret_cast<RECT*>(m.LParam);  // the first RECT of NCCALCSIZE_PARAMS too
  r->left += frame.Left;
  r->top += frame.Top;
  r->right -= frame.Right;
  r->bottom -= frame.Bottom;
  if (r->right < r->left) r->right = r->left;
  if (r->bottom < r->top) r->bottom = r->top;
  m.Result = 0;
}

bool PaintNonClientFrame(TWinControl& control, TMessage& m,
                         const std::function<void(TCanvas&, const TRect&)>& paint) {
  if (m.Msg != WM_NCPAINT && !(m.Msg == WM_PRINT && (m.LParam & PRF_NONCLIENT))) return false;
  if (!control.HandleAllocated()) return false;
  HWND h = control.Handle();
  RECT wr, cr;
  GetWindowRect(h, &wr);
  GetClientRect(h, &cr);
  POINT origin{0, 0};
  ::ClientToScreen(h, &origin);
  int cx = origin.x - wr.left, cy = origin.y - wr.top;
  TRect window{0, 0, wr.right - wr.left, wr.bottom - wr.top};
  bool own = m.Msg == WM_NCPAINT;
  HDC dc = own ? GetWindowDC(h) : reinterpret_cast<HDC>(m.WParam);
  if (!dc) return false;
  int saved = SaveDC(dc);
  ExcludeClipRect(dc, cx, cy, cx + cr.right, cy + cr.bottom);
  {
    TCanvas canvas;
    canvas.SetHandle(dc);
    try {
      paint(canvas, window);
    } catch (...) {
      canvas.SetHandle(nullptr);
      RestoreDC(dc, saved);
      if (own) ReleaseDC(h, dc);
      throw;
    }
    canvas.SetHandle(nullptr);
  }
  RestoreDC(dc, saved);
  if (own) {
    ReleaseDC(h, dc);
    m.Result = 0;
    return true;
  }
  m.LParam &= ~static_cast<LPARAM>(PRF_NONCLIENT);
  if ((m.LParam & (PRF_CLIENT | PRF_CHILDREN | PRF_ERASEBKGND)) != 0) return false;
  m.Result = 0;
  return true;
}

void NonClientFrameChanged(TWinControl& control) {
  if (!control.HandleAllocated()) return;
  SetWindowPos(control.Handle(), nullptr, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

void RedrawNonClientFrame(TWinControl& control) {
  if (!control.HandleAllocated()) return;
  RedrawWindow(control.Handle(), nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_NOCHILDREN);
}

std::string ClipboardText() {
  std::string text;
  if (!OpenClipboard(nullptr)) return text;
  if (HANDLE data = GetClipboardData(CF_TEXT)) {
    if (const char* p = static_cast<const char*>(GlobalLock(data))) {
      text = p;
      GlobalUnlock(data);
    }
  }
  CloseClipboard();
  return text;
}

void SetClipboardText(const std::string& text) {
  if (!OpenClipboard(nullptr)) return;
  EmptyClipboard();
  if (HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1)) {
    if (char* p = static_cast<char*>(GlobalLock(mem))) {
      memcpy(p, text.c_str(), text.size() + 1);
      GlobalUnlock(mem);
      if (!SetClipboardData(CF_TEXT, mem)) GlobalFree(mem);
    } else {
      GlobalFree(mem);
    }
  }
  CloseClipboard();
}
