// Keyboard shortcuts as 16-bit values (virtual-key code in the low byte,
// 0x2000 Shift, 0x4000 Ctrl, 0x8000 Alt) and their texts ("Ctrl+Ins").
// Portable.
#pragma once

#include <cstdint>
#include <string>

using TShortCut = uint16_t;

inline constexpr TShortCut scShift = 0x2000;
inline constexpr TShortCut scCtrl = 0x4000;
inline constexpr TShortCut scAlt = 0x8000;

// "Shift+Ctrl+Alt+Key"; 0 gives "(None)"; a key without a name gives "".
std::string ShortCutToText(TShortCut shortCut);
// The inverse, modifiers and key names without regard to case; "(None)" and
// anything it does not know give 0.
TShortCut TextToShortCut(const std::string& text);
