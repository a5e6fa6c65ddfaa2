#include "platform/graphics/ScreenInfo.h"

#include "platform/os/WinApi.h"

int32_t ScreenLogPixelsY() {
  HDC dc = GetDC(nullptr);
  if (!dc) return 96;
  int value = GetDeviceCaps(dc, LOGPIXELSY);
  ReleaseDC(nullptr, dc);
  return value > 0 ? value : 96;
}
