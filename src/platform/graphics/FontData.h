// The values of a platform font, as display sets hold them and TFont
// applies them. Portable.
#pragma once

#include <cstdint>
#include <string>

#include "platform/graphics/Color.h"

// Height is in pixels (negative: character height); the point size follows
// from it and a resolution.
struct TKyFontData {
  std::string Name = "MS Sans Serif";
  int32_t Charset = 1;  // DEFAULT_CHARSET
  int32_t Pitch = 0;    // default pitch
  int32_t Height = -11;
  bool Bold = false;
  bool Italic = false;
  bool Underline = false;
  bool StrikeOut = false;
  TKyColor Color = kClWindowText;

  int32_t Size(int pixelsPerInch) const;
  void SetSize(int32_t size, int pixelsPerInch);
  bool operator==(const TKyFontData&) const = default;
};
