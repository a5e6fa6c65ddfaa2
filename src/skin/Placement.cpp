#include "skin/Placement.h"

#include <algorithm>

#include "platform/windows/Controls.h"

void TKyPlacementRef::Record(const TControl& control) {
  TWinControl* parent = control.Parent();
  Valid = parent != nullptr;
  if (!parent) return;
  TRect client = parent->ClientRect();
  PW0 = client.Width();
  PH0 = client.Height();
  L0 = control.Left();
  R0 = PW0 - control.Left() - control.Width();
  T0 = control.Top();
  B0 = PH0 - control.Top() - control.Height();
}

void AlignInParent(TControl& control, const TKyPlacementRef& ref, TKyAlignHor alignHor, bool keepWidth,
                   bool keepHeight, TKyAlignVer alignVer) {
  if (!ref.Valid || control.IsDesigning() || control.Align() != alNone) return;
  if (alignHor == alhLeft && alignVer == alvTop) return;
  TWinControl* parent = control.Parent();
  if (!parent) return;
  TRect client = parent->ClientRect();
  const int32_t w = client.Width(), h = client.Height();
  int32_t left = control.Left(), width = control.Width();
  int32_t top = control.Top(), height = control.Height();

  // A zoom against a parent that had no size keeps the control as it is.
  switch (alignHor) {
    case alhLeft:
      break;
    case alhCentered:
      left = std::max(0, (w - width) / 2);
      break;
    case alhRight:
      left = w - (ref.PW0 - ref.L0);
      break;
    case alhLeftRight:
      left = ref.L0;
      if (!keepWidth) width = w - ref.L0 - ref.R0;
      break;
    case alhZoom:
      if (ref.PW0 <= 0) break;
      left = ref.L0 * w / ref.PW0;
      if (!keepWidth) width = (ref.PW0 - ref.R0) * w / ref.PW0 - left;
      break;
    case alhZoomLeft:
      if (ref.PW0 <= 0) break;
      left = ref.L0 * w / ref.PW0;
      if (!keepWidth) width = ref.PW0 - ref.R0 - left;
      break;
    case alhZoomRight:
      if (ref.PW0 <= 0) break;
      left = ref.L0;
      if (!keepWidth) width = (ref.PW0 - ref.R0) * w / ref.PW0 - ref.L0;
      break;
  }
  switch (alignVer) {
    case alvTop:
      break;
    case alvCentered:
      top = std::max(0, (h - height) / 2);
      break;
    case alvBottom:
      top = h - height - ref.B0;
      break;
    case alvTopBottom:
      top = ref.T0;
      if (!keepHeight) height = h - ref.T0 - ref.B0;
      break;
    case alvZoom:
      if (ref.PH0 <= 0) break;
      top = ref.T0 * h / ref.PH0;
      if (!keepHeight) height = (ref.PH0 - ref.B0) * h / ref.PH0 - top;
      break;
    case alvZoomTop:
      if (ref.PH0 <= 0) break;
      top = ref.T0 * h / ref.PH0;
      if (!keepHeight) height = ref.PH0 - ref.B0 - top;
      break;
    case alvZoomBottom:
      if (ref.PH0 <= 0) break;
      top = ref.T0;
      if (!keepHeight) height = (ref.PH0 - ref.B0) * h / ref.PH0 - ref.T0;
      break;
  }
  // Sizes never go below nothing.
  width = std::max(0, width);
  height = std::max(0, height);
  if (left != control.Left() || top != control.Top() || width != control.Width() || height != control.Height())
    control.SetBounds(left, top, width, height);
}
