#include "platform/graphics/FontData.h"

#include "platform/graphics/Scaling.h"

int32_t KyMulDiv(int32_t a, int32_t b, int32_t c) {
  if (c == 0) return -1;
  int64_t m = a, d = c;
  if (d < 0) {
    m = -m;
    d = -d;
  }
  int64_t p = m * b;
  int64_t r = (p >= 0) ? (p + d / 2) / d : (p - d / 2) / d;
  if (r > 2147483647 || r < -2147483647) return -1;
  return static_cast<int32_t>(r);
}

int32_t TKyFontData::Size(int pixelsPerInch) const { return -KyMulDiv(Height, 72, pixelsPerInch); }

void TKyFontData::SetSize(int32_t size, int pixelsPerInch) { Height = -KyMulDiv(size, pixelsPerInch, 72); }
