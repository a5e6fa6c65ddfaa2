// Placement in the parent: a control keeps its place when its parent is
// resized, by AlignHor and AlignVer, against the margins it had when the
// form was loaded.
#pragma once

#include <cstdint>

#include "platform/classes/TypInfo.h"

class TControl;

KY_ENUM(TKyAlignHor, uint8_t, alhLeft, alhCentered, alhRight, alhLeftRight, alhZoom, alhZoomLeft, alhZoomRight)
KY_ENUM(TKyAlignVer, uint8_t, alvTop, alvCentered, alvBottom, alvTopBottom, alvZoom, alvZoomTop, alvZoomBottom)

// The parent's client size and the control's margins at one moment.
struct TKyPlacementRef {
  bool Valid = false;
  int32_t PW0 = 0, PH0 = 0;
  int32_t L0 = 0, R0 = 0, T0 = 0, B0 = 0;

  // Takes the control's present place (invalid without a parent).
  void Record(const TControl& control);
};

// Moves and stretches the control against the parent's present size; only
// at run time, with a valid reference, for controls without a platform
// Align. keepWidth / keepHeight leave that size alone.
void AlignInParent(TControl& control, const TKyPlacementRef& ref, TKyAlignHor alignHor, bool keepWidth,
                   bool keepHeight, TKyAlignVer alignVer);
