// Styled text: every skinned caption is drawn and measured here. The outer
// layer (DrawStyledText) decides the passes of a style, the disabled look
// and the colours; the inner layer (DrawTextPass) lays out and draws one
// pass: word wrap, alignment, vertical layout, rotation, accelerators, tabs
// and the trailing "..." of text that does not fit.
//
// Fonts and colours come as display sets and are asked for their value at
// the moment of drawing, so a new display package restyles every caption.
#pragma once

#include <cstdint>
#include <string>

#include "packages/DisplaySets.h"
#include "platform/classes/TypInfo.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/Geometry.h"

// The pass scheme of a caption; stored as one byte, in this order.
KY_ENUM(TKyFontStyle, uint8_t, fosNormal, fosLight, fos3DLight, fos3D, fos3DLight1)
// Vertical placement of the text block in its box.
KY_ENUM(TKyLayout, uint8_t, layTop, layCenter, layBottom)
// Horizontal placement of each line.
KY_ENUM(TKyAlignment, uint8_t, aliLeft, aliCenter, aliRight)

// Draws Text into Rect (shrunk by one pixel on every side) in the passes of
// FontStyle, or with Measure set computes the box the drawing fills into
// OutRect without drawing (Canvas may then be nullptr: the screen measures).
// In drawing mode OutRect receives Rect. Colour sets may be nullptr for their
// library defaults ("Dft_EdAccelChar", "Dft_ColShadow", "Dft_ColText"), as
// may SetFont ("Dft_Font"). Angle is in degrees, counter-clockwise.
void DrawStyledText(TCanvas* Canvas, const TRect& Rect, TKyFontStyle FontStyle, TRect& OutRect, bool ForceBold,
                    int32_t MarkChars, bool DesignFrame, int32_t Angle, bool ShowAccelChar, bool WordWrap,
                    TKyLayout Layout, TKyAlignment Alignment, bool DisabledFlat, bool Enabled, int32_t Spacing3D,
                    int32_t FixedWidth, bool KeepRect, bool Measure, TKySetColor* SetColAccelChar,
                    TKySetColor* SetColShadow, TKySetColor* SetColText, TKySetFont* SetFont, const std::string& Text);

// One layout-and-draw pass in two resolved colours. With Measure, OutRect
// receives the extent of the text block at Rect's top-left corner: the
// rotated box, or with KeepRect the unrotated block; Canvas may be nullptr
// there. Otherwise OutRect receives Rect.
void DrawTextPass(TCanvas* Canvas, const TRect& Rect, const std::string& Text, TRect& OutRect, bool ForceBold,
                  int32_t MarkChars, bool DesignFrame, int32_t Angle, bool ShowAccelChar, bool WordWrap,
                  TKyLayout Layout, TKyAlignment Alignment, int32_t FixedWidth, bool KeepRect, bool Measure,
                  TKyColor AccelColor, TKyColor TextColor, TKySetFont* SetFont);

// The colours and style of a caption that may be highlighted (selected, or
// under the mouse). The sets are handed on, not resolved, so that the
// drawing still asks them at its own moment.
struct TKyTextColours {
  TKySetColor* Text = nullptr;
  TKySetColor* AccelChar = nullptr;
  TKySetColor* Shadow = nullptr;
  TKyFontStyle Style = fosNormal;
};
TKyTextColours SelectTextColours(TKyFontStyle Style, bool Highlight, TKySetColor* SetColText,
                                 TKySetColor* SetColAccelChar, TKySetColor* SetColShadow, TKySetColor* SetColLight,
                                 TKySetColor* SetColSelected);

// The light styles make a caption light up under the mouse.
constexpr bool IsHotFontStyle(TKyFontStyle style) {
  return style == fosLight || style == fos3DLight || style == fos3DLight1;
}
