// Regions: an owned HRGN with the operations the skin builds shapes,
// window regions and clipping from, and region data as bytes (the form in
// which pictures carry their outlines).
#pragma once

#include <cstdint>
#include <vector>

#include "platform/graphics/Geometry.h"
#include "platform/graphics/Graphics.h"
#include "platform/os/Handles.h"

enum TRegionOp : uint8_t { rgnOr, rgnAnd, rgnDiff, rgnXor, rgnCopy };
enum TPolyFillMode : uint8_t { pfmAlternate, pfmWinding };

class TRegion {
public:
  // An empty region.
  TRegion();
  // Takes ownership of region (nullptr: an empty region is made).
  explicit TRegion(HRGN region);
  TRegion(TRegion&&) noexcept = default;
  TRegion& operator=(TRegion&&) noexcept = default;
  TRegion(const TRegion&) = delete;
  TRegion& operator=(const TRegion&) = delete;

  static TRegion Rect(const TRect& rect);
  // Corner ellipse of cornerWidth x cornerHeight.
  static TRegion RoundRect(const TRect& rect, int32_t cornerWidth, int32_t cornerHeight);
  static TRegion Ellipse(const TRect& rect);
  static TRegion Polygon(const std::vector<TPoint>& points, TPolyFillMode mode = pfmAlternate);
  // From the bytes Data() gives; raises EInvalidGraphic on data that does
  // not describe a region.
  static TRegion FromData(const void* data, size_t size);
  static TRegion FromData(const std::vector<uint8_t>& data) { return FromData(data.data(), data.size()); }

  TRegion Clone() const;
  // This region becomes (this op other); rgnCopy takes other.
  TRegion& Combine(const TRegion& other, TRegionOp op);
  static TRegion Combine(const TRegion& a, const TRegion& b, TRegionOp op);
  TRegion& Offset(int32_t dx, int32_t dy);

  bool Contains(TPoint p) const;
  // Whether any part of rect is in the region.
  bool Intersects(const TRect& rect) const;
  TRect Bounds() const;
  bool IsEmpty() const;
  // Same area (not the same list of rectangles).
  bool operator==(const TRegion& other) const;
  // The region as data bytes (RGNDATA: header and rectangles).
  std::vector<uint8_t> Data() const;

  HRGN Handle() const { return h_.Get(); }
  // Gives the region up; this object holds none afterwards.
  HRGN Release() { return h_.Release(); }

private:
  TRegionHandle h_;
};

// Makes region the window's shape. The window owns the region from then on
// (Windows keeps the handle until the window goes, Wine copies and deletes
// it at once), so it is taken from the caller. An empty
// TRegion() is a region too; use ClearWindowRegion to remove the shape.
void SetWindowRegion(HWND window, TRegion&& region, bool redraw);
void ClearWindowRegion(HWND window, bool redraw);
// A copy of the window's region; empty when it has none.
TRegion WindowRegion(HWND window);
