// Placement in the parent: a control keeps its place when its parent is
// resized, by AlignHor and AlignVer, against the margins it had when the
// form was loaded.
#pragma once

#include <cstdint>

#include "platform/classes/TypInfo.h"
#include "platform/graphics/Geometry.h"

class TControl;

KY_ENUM(TKyAlignHor, uint8_t, alhLeft, alhCentered, alhRight, alhLeftRight, alhZoom, alhZoomLeft, alhZoomRight)
KY_ENUM(TKyAlignVer, uint8_t, alvTop, alvCentered, alvBottom, alvTopBottom, alvZoom, alvZoomTop, alvZoomBottom)

// Where something sits outside its owner: a corner, or a side and where
// along it.
KY_ENUM(TKyExternalControlLayout, uint8_t, eclCornerLeftTop, eclCornerRightTop, eclCornerLeftBottom,
        eclCornerRightBottom, eclTopLeft, eclTopCenter, eclTopRight, eclBottomLeft, eclBottomCenter, eclBottomRight,
        eclLeftTop, eclLeftCenter, eclLeftBottom, eclRightTop, eclRightCenter, eclRightBottom)

// The top-left corner of a w x h box placed gap pixels outside owner (in
// the same coordinates) by layout.
TPoint PlaceBeside(const TRect& owner, TSize size, TKyExternalControlLayout layout, int32_t gap);
// The same for drop-down windows, kept on screen: a box that would leave
// it on the side of the layout flips to the owner's other side, otherwise
// it is pushed back inside.
TPoint PlaceBesideOnScreen(const TRect& owner, TSize size, TKyExternalControlLayout layout, int32_t gap,
                           const TRect& screen);

// The parent's client size and the control's margins at one moment.
// A parent whose content scrolls answers the library message with this
// code (LParam: a TKyScrollInfo to fill): the extent of its content and how
// far it is scrolled. Parents that do not scroll leave it empty.
inline constexpr int32_t kMmScrollInfo = 18;
struct TKyScrollInfo {
  int32_t RangeWidth = 0, RangeHeight = 0;
  int32_t X = 0, Y = 0;
};

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
