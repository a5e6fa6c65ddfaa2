// Helpers of the graphics tests: a 32-bit bitmap to draw on and read back.
#pragma once

#include "support/GdiObjects.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Canvas.h"
#include "platform/os/WinApi.h"

namespace ky_test {

// A white pf32bit bitmap of the given size.
inline std::unique_ptr<TBitmap> WhiteBitmap(int w, int h, TKyColor fill = kClWhite) {
  auto b = std::make_unique<TBitmap>(w, h, pf32bit);
  b->Canvas()->Brush()->SetColor(fill);
  b->Canvas()->FillRect(TRect(0, 0, w, h));
  return b;
}

// The pixel as the bits hold it, read without GDI.
inline TKyColor PixelOf(TBitmap& b, int x, int y) {
  auto* row = static_cast<const uint8_t*>(b.ScanLine(y));
  switch (b.PixelFormat()) {
    case pf24bit: return KyRGB(row[3 * x + 2], row[3 * x + 1], row[3 * x]);
    case pf32bit:
    case pfDevice: return KyRGB(row[4 * x + 2], row[4 * x + 1], row[4 * x]);
    default: return b.Canvas()->Pixels(x, y);
  }
}

inline std::string Hex(TKyColor c) {
  char buf[16];
  snprintf(buf, sizeof buf, "%06X", static_cast<unsigned>(c) & 0xFFFFFFu);
  return buf;
}

inline bool Near(TKyColor a, TKyColor b, int tolerance) {
  return std::abs(KyRed(a) - KyRed(b)) <= tolerance && std::abs(KyGreen(a) - KyGreen(b)) <= tolerance &&
         std::abs(KyBlue(a) - KyBlue(b)) <= tolerance;
}

}  // namespace ky_test
