// Bitmaps: formats, scan lines, transparency, BMP files.
#include <gtest/gtest.h>

#include "GraphicsTestUtil.h"

using ky_test::Hex;
using ky_test::PixelOf;
using ky_test::WhiteBitmap;

namespace {

TEST(Bitmap, NewBitmapIsWhite) {
  TBitmap b(3, 2, pf24bit);
  EXPECT_EQ(Hex(PixelOf(b, 2, 1)), Hex(kClWhite));
}

}  // namespace
