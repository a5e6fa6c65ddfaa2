// Helpers of the text-drawing tests: one call description with defaults,
// the display sets it draws with, and ink read back from memory bitmaps.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "graphics/GraphicsTestUtil.h"
#include "skin/TextDraw.h"

namespace ky_test {

// Everything DrawStyledText takes but the canvas and the sets.
struct TTextArgs {
  std::string Text = "Sample";
  TRect Rect{10, 10, 250, 90};
  TKyFontStyle Style = fosNormal;
  int32_t Angle = 0;
  bool ForceBold = false;
  int32_t MarkChars = -1;
  bool DesignFrame = false;
  bool ShowAccel = true;
  bool WordWrap = false;
  TKyLayout Layout = layTop;
  TKyAlignment Alignment = aliLeft;
  bool DisabledFlat = false;
  bool Enabled = true;
  int32_t Spacing3D = 2;
  int32_t FixedWidth = 0;
  bool KeepRect = false;
};

inline constexpr TKyColor kInkText = kClBlue;
inline constexpr TKyColor kInkAccel = kClRed;
inline constexpr TKyColor kInkShadow = kClLime;

// Display sets of their own: without an application configuration they
// answer their default values, which the tests choose.
struct TTextSets {
  TKyDefaultSetFont Font{"TestTextFont", [] {
                           TKyFontData d;
                           d.Name = "Arial";
                           d.Height = -16;
                           return d;
                         }()};
  TKyDefaultSetColor Text{"TestTextColour", kInkText};
  TKyDefaultSetColor Accel{"TestAccelColour", kInkAccel};
  TKyDefaultSetColor Shadow{"TestShadowColour", kInkShadow};

  TRect Draw(TCanvas& canvas, const TTextArgs& a) {
    TRect out;
    DrawStyledText(&canvas, a.Rect, a.Style, out, a.ForceBold, a.MarkChars, a.DesignFrame, a.Angle, a.ShowAccel,
                   a.WordWrap, a.Layout, a.Alignment, a.DisabledFlat, a.Enabled, a.Spacing3D, a.FixedWidth,
                   a.KeepRect, false, &Accel, &Shadow, &Text, &Font, a.Text);
    return out;
  }
  TRect Measure(const TTextArgs& a) {
    TRect out;
    DrawStyledText(nullptr, a.Rect, a.Style, out, a.ForceBold, a.MarkChars, a.DesignFrame, a.Angle, a.ShowAccel,
                   a.WordWrap, a.Layout, a.Alignment, a.DisabledFlat, a.Enabled, a.Spacing3D, a.FixedWidth,
                   a.KeepRect, true, &Accel, &Shadow, &Text, &Font, a.Text);
    return out;
  }
};

// Pixels a predicate picks, and the smallest rectangle holding them
// (all zero when there are none).
struct TInkArea {
  int Count = 0;
  TRect Bounds;
};
inline TInkArea InkWhere(TBitmap& b, const std::function<bool(TKyColor)>& pick, const TRect* within = nullptr) {
  TInkArea ink;
  TRect box{INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN};
  for (int y = 0; y < b.Height(); ++y)
    for (int x = 0; x < b.Width(); ++x) {
      if (within && !within->Contains({x, y})) continue;
      if (!pick(PixelOf(b, x, y))) continue;
      ++ink.Count;
      box = {std::min(box.Left, x), std::min(box.Top, y), std::max(box.Right, x + 1), std::max(box.Bottom, y + 1)};
    }
  if (ink.Count) ink.Bounds = box;
  return ink;
}
// Anything not the background.
inline TInkArea InkOf(TBitmap& b, TKyColor background = kClWhite) {
  return InkWhere(b, [background](TKyColor c) { return c != background; });
}
// Pixels of one colour, give or take antialiasing.
inline TInkArea InkOfColour(TBitmap& b, TKyColor colour, int tolerance = 40) {
  return InkWhere(b, [colour, tolerance](TKyColor c) { return Near(c, colour, tolerance); });
}

inline bool SamePixels(TBitmap& a, TBitmap& b) {
  if (a.Width() != b.Width() || a.Height() != b.Height()) return false;
  for (int y = 0; y < a.Height(); ++y)
    for (int x = 0; x < a.Width(); ++x)
      if (PixelOf(a, x, y) != PixelOf(b, x, y)) return false;
  return true;
}

inline std::string RectText(const TRect& r) {
  char buf[64];
  snprintf(buf, sizeof buf, "(%d, %d, %d, %d)", r.Left, r.Top, r.Right, r.Bottom);
  return buf;
}

inline bool Inside(const TRect& inner, const TRect& outer) {
  return inner.Left >= outer.Left && inner.Top >= outer.Top && inner.Right <= outer.Right &&
         inner.Bottom <= outer.Bottom;
}

}  // namespace ky_test
