// Colour values as the platform keeps them: 0x00BBGGRR, or a system colour
// index with the high bit set. Portable.
#pragma once

#include <cstdint>

using TKyColor = int32_t;
// The colour VCL-era code calls TColor.
using TColor = TKyColor;

inline constexpr TKyColor kClBlack = 0x00000000;
inline constexpr TKyColor kClMaroon = 0x00000080;
inline constexpr TKyColor kClGreen = 0x00008000;
inline constexpr TKyColor kClNavy = 0x00800000;
inline constexpr TKyColor kClGray = 0x00808080;
inline constexpr TKyColor kClSilver = 0x00C0C0C0;
inline constexpr TKyColor kClRed = 0x000000FF;
inline constexpr TKyColor kClLime = 0x0000FF00;
inline constexpr TKyColor kClYellow = 0x0000FFFF;
inline constexpr TKyColor kClBlue = 0x00FF0000;
inline constexpr TKyColor kClFuchsia = 0x00FF00FF;
inline constexpr TKyColor kClAqua = 0x00FFFF00;
inline constexpr TKyColor kClWhite = 0x00FFFFFF;
inline constexpr TKyColor kClMediumLight = 0x00E2E2E2;
// No colour: a transparent fill or a pen that draws nothing.
inline constexpr TKyColor kClNone = 0x1FFFFFFF;
inline constexpr TKyColor kClDefault = 0x20000000;

// System colours: 0x80000000 | the GetSysColor index.
inline constexpr TKyColor KySysColor(int index) { return static_cast<TKyColor>(0x80000000u | static_cast<uint32_t>(index)); }
inline constexpr TKyColor kClScrollBar = KySysColor(0);
inline constexpr TKyColor kClBackground = KySysColor(1);
inline constexpr TKyColor kClActiveCaption = KySysColor(2);
inline constexpr TKyColor kClInactiveCaption = KySysColor(3);
inline constexpr TKyColor kClMenu = KySysColor(4);
inline constexpr TKyColor kClWindow = KySysColor(5);
inline constexpr TKyColor kClWindowFrame = KySysColor(6);
inline constexpr TKyColor kClMenuText = KySysColor(7);
inline constexpr TKyColor kClWindowText = KySysColor(8);
inline constexpr TKyColor kClCaptionText = KySysColor(9);
inline constexpr TKyColor kClHighlight = KySysColor(13);
inline constexpr TKyColor kClHighlightText = KySysColor(14);
inline constexpr TKyColor kClBtnFace = KySysColor(15);
inline constexpr TKyColor kClBtnShadow = KySysColor(16);
inline constexpr TKyColor kClGrayText = KySysColor(17);
inline constexpr TKyColor kClBtnText = KySysColor(18);
inline constexpr TKyColor kClBtnHighlight = KySysColor(20);
inline constexpr TKyColor kCl3DDkShadow = KySysColor(21);
inline constexpr TKyColor kCl3DLight = KySysColor(22);
inline constexpr TKyColor kClInfoText = KySysColor(23);
inline constexpr TKyColor kClInfoBk = KySysColor(24);

inline constexpr bool KyIsSysColor(TKyColor c) { return (static_cast<uint32_t>(c) & 0xFF000000u) == 0x80000000u; }

// The parts of a plain 0x00BBGGRR colour.
inline constexpr uint8_t KyRed(TKyColor c) { return static_cast<uint8_t>(c & 0xFF); }
inline constexpr uint8_t KyGreen(TKyColor c) { return static_cast<uint8_t>((c >> 8) & 0xFF); }
inline constexpr uint8_t KyBlue(TKyColor c) { return static_cast<uint8_t>((c >> 16) & 0xFF); }
inline constexpr TKyColor KyRGB(uint8_t r, uint8_t g, uint8_t b) {
  return static_cast<TKyColor>(r | (g << 8) | (b << 16));
}
