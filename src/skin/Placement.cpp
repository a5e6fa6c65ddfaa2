#include "skin/Placement.h"

#include <algorithm>

#include "packages/ConfigLink.h"
#include "platform/windows/Controls.h"

namespace {

bool OnLeft(TKyExternalControlLayout l) {
  return l == eclCornerLeftTop || l == eclCornerLeftBottom || l == eclLeftTop || l == eclLeftCenter ||
         l == eclLeftBottom;
}
bool OnRight(TKyExternalControlLayout l) {
  return l == eclCornerRightTop || l == eclCornerRightBottom || l == eclRightTop || l == eclRightCenter ||
         l == eclRightBottom;
}
bool OnTop(TKyExternalControlLayout l) {
  return l == eclCornerLeftTop || l == eclCornerRightTop || l == eclTopLeft || l == eclTopCenter ||
         l == eclTopRight;
}
bool OnBottom(TKyExternalControlLayout l) {
  return l == eclCornerLeftBottom || l == eclCornerRightBottom || l == eclBottomLeft || l == eclBottomCenter ||
         l == eclBottomRight;
}

}  // namespace

TPoint PlaceBeside(const TRect& owner, TSize size, TKyExternalControlLayout layout, int32_t gap) {
  const int32_t L = owner.Left, T = owner.Top, W = owner.Width(), H = owner.Height();
  const int32_t w = size.cx, h = size.cy;
  int32_t x = L, y = T;
  if (OnLeft(layout)) x = L - w - gap;
  else if (OnRight(layout)) x = L + W + gap;
  else if (layout == eclTopCenter || layout == eclBottomCenter) x = L + (W - w) / 2;
  else if (layout == eclTopRight || layout == eclBottomRight) x = L + W - w;
  if (OnTop(layout)) y = T - h - gap;
  else if (OnBottom(layout)) y = T + H + gap;
  else if (layout == eclLeftCenter || layout == eclRightCenter) y = T + (H - h) / 2;
  else if (layout == eclLeftBottom || layout == eclRightBottom) y = T + H - h;
  return {x, y};
}

TPoint PlaceBesideOnScreen(const TRect& owner, TSize size, TKyExternalControlLayout layout, int32_t gap,
                           const TRect& screen) {
  TPoint p = PlaceBeside(owner, size, layout, gap);
  if (p.X < screen.Left) p.X = OnLeft(layout) ? owner.Right + gap : screen.Left;
  else if (p.X + size.cx > screen.Right) p.X = OnRight(layout) ? owner.Left - size.cx - gap : screen.Right - size.cx;
  if (p.Y < screen.Top) p.Y = OnTop(layout) ? owner.Bottom + gap : screen.Top;
  else if (p.Y + size.cy > screen.Bottom) p.Y = OnBottom(layout) ? owner.Top - size.cy - gap : screen.Bottom - size.cy;
  return p;
}

void TKyPlacementRef::Record(const TControl& control) {
  // From the first recorded placement on, a parent that changes size tells
  // its children (code 17 of the library's message) to place themselves.
  static const bool noticeInstalled = [] {
    if (KyMessageMaster() != 0) SetParentResizeNotice(KyMessageMaster(), kMmRealign);
    return true;
  }();
  (void)noticeInstalled;
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
  // Against the scroll range when the content is larger than the client area.
  TKyScrollInfo scroll;
  if (KyMessageMaster() != 0) parent->Perform(KyMessageMaster(), kMmScrollInfo, reinterpret_cast<LPARAM>(&scroll));
  const int32_t w = std::max(client.Width(), scroll.RangeWidth), h = std::max(client.Height(), scroll.RangeHeight);
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
  // A computed place is where the content stands now.
  if (alignHor != alhLeft) left -= scroll.X;
  if (alignVer != alvTop) top -= scroll.Y;
  // Sizes never go below nothing.
  width = std::max(0, width);
  height = std::max(0, height);
  if (left != control.Left() || top != control.Top() || width != control.Width() || height != control.Height())
    control.SetBounds(left, top, width, height);
}
