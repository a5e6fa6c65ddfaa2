#include "platform/graphics/Region.h"

#include <cstring>

#include "platform/os/WinApi.h"

namespace {
HRGN Check(HRGN h) {
  if (!h) throw EOutOfResources("Cannot create a region");
  return h;
}
}  // namespace

TRegion::TRegion() : h_(Check(CreateRectRgn(0, 0, 0, 0))) {}

TRegion::TRegion(HRGN region) : h_(region ? region : Check(CreateRectRgn(0, 0, 0, 0))) {}

TRegion TRegion::Rect(const TRect& r) { return TRegion(Check(CreateRectRgn(r.Left, r.Top, r.Right, r.Bottom))); }

TRegion TRegion::RoundRect(const TRect& r, int32_t cornerWidth, int32_t cornerHeight) {
  return TRegion(Check(CreateRoundRectRgn(r.Left, r.Top, r.Right, r.Bottom, cornerWidth, cornerHeight)));
}

TRegion TRegion::Ellipse(const TRect& r) {
  return TRegion(Check(CreateEllipticRgn(r.Left, r.Top, r.Right, r.Bottom)));
}

TRegion TRegion::Polygon(const std::vector<TPoint>& points, TPolyFillMode mode) {
  if (points.size() < 3) return TRegion();
  return TRegion(Check(CreatePolygonRgn(reinterpret_cast<const POINT*>(points.data()), static_cast<int>(points.size()),
                                        mode == pfmWinding ? WINDING : ALTERNATE)));
}

TRegion TRegion::FromData(const void* data, size_t size) {
  if (size < sizeof(RGNDATAHEADER)) throw EInvalidGraphic("Invalid region data");
  RGNDATAHEADER header;
  std::memcpy(&header, data, sizeof header);
  if (header.dwSize != sizeof(RGNDATAHEADER) || header.iType != RDH_RECTANGLES ||
      header.nCount > (size - sizeof header) / sizeof(RECT))
    throw EInvalidGraphic("Invalid region data");
  HRGN h = ExtCreateRegion(nullptr, static_cast<DWORD>(sizeof header + header.nCount * sizeof(RECT)),
                           static_cast<const RGNDATA*>(data));
  if (!h) throw EInvalidGraphic("Invalid region data");
  return TRegion(h);
}

TRegion TRegion::Clone() const {
  TRegion copy;
  CombineRgn(copy.h_.Get(), h_.Get(), nullptr, RGN_COPY);
  return copy;
}

TRegion& TRegion::Combine(const TRegion& other, TRegionOp op) {
  static const int modes[] = {RGN_OR, RGN_AND, RGN_DIFF, RGN_XOR, RGN_COPY};
  // RGN_COPY copies its first source.
  int result = op == rgnCopy ? CombineRgn(h_.Get(), other.h_.Get(), nullptr, RGN_COPY)
                             : CombineRgn(h_.Get(), h_.Get(), other.h_.Get(), modes[op]);
  if (result == ERROR)
    throw EOutOfResources("Cannot combine regions");
  return *this;
}

TRegion TRegion::Combine(const TRegion& a, const TRegion& b, TRegionOp op) {
  TRegion r = a.Clone();
  r.Combine(b, op);
  return r;
}

TRegion& TRegion::Offset(int32_t dx, int32_t dy) {
  OffsetRgn(h_.Get(), dx, dy);
  return *this;
}

bool TRegion::Contains(TPoint p) const { return PtInRegion(h_.Get(), p.X, p.Y) != 0; }

bool TRegion::Intersects(const TRect& rect) const {
  return RectInRegion(h_.Get(), reinterpret_cast<const RECT*>(&rect)) != 0;
}

TRect TRegion::Bounds() const {
  RECT r{};
  if (GetRgnBox(h_.Get(), &r) == NULLREGION) return {};
  return {r.left, r.top, r.right, r.bottom};
}

bool TRegion::IsEmpty() const {
  RECT r;
  return GetRgnBox(h_.Get(), &r) == NULLREGION;
}

// By area: EqualRgn compares the lists of rectangles, and Wine keeps equal
// areas in different lists (a region rebuilt from its data compares unequal).
bool TRegion::operator==(const TRegion& other) const {
  TRegion diff;
  return CombineRgn(diff.h_.Get(), h_.Get(), other.h_.Get(), RGN_XOR) == NULLREGION;
}

std::vector<uint8_t> TRegion::Data() const {
  DWORD size = GetRegionData(h_.Get(), 0, nullptr);
  std::vector<uint8_t> data(size);
  if (size && GetRegionData(h_.Get(), size, reinterpret_cast<RGNDATA*>(data.data())) != size)
    throw EOutOfResources("Cannot read region data");
  return data;
}

void SetWindowRegion(HWND window, TRegion&& region, bool redraw) {
  TRegion taken = std::move(region);
  if (SetWindowRgn(window, taken.Handle(), redraw)) taken.Release();
}

void ClearWindowRegion(HWND window, bool redraw) { SetWindowRgn(window, nullptr, redraw); }

TRegion WindowRegion(HWND window) {
  TRegion r;
  if (GetWindowRgn(window, r.Handle()) == ERROR) return TRegion();
  return r;
}
