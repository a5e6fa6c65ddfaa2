// DrawText flags for TCanvas::TextRect, for code that does not see the
// platform's headers.
#pragma once

#include <cstdint>

inline constexpr uint32_t kDtLeft = 0x0;
inline constexpr uint32_t kDtWordBreak = 0x10;
inline constexpr uint32_t kDtSingleLine = 0x20;
inline constexpr uint32_t kDtCalcRect = 0x400;
inline constexpr uint32_t kDtNoPrefix = 0x800;
