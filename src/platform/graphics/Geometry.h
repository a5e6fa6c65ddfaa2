// Points, sizes and rectangles in device pixels, laid out like POINT, SIZE
// and RECT so that the platform layer can pass them straight through.
// Portable.
#pragma once

#include <algorithm>
#include <cstdint>

struct TPoint {
  int32_t X = 0;
  int32_t Y = 0;
  constexpr TPoint() = default;
  constexpr TPoint(int32_t x, int32_t y) : X(x), Y(y) {}
  constexpr bool operator==(const TPoint&) const = default;
  constexpr TPoint operator+(TPoint o) const { return {X + o.X, Y + o.Y}; }
  constexpr TPoint operator-(TPoint o) const { return {X - o.X, Y - o.Y}; }
};

struct TSize {
  int32_t cx = 0;
  int32_t cy = 0;
  constexpr TSize() = default;
  constexpr TSize(int32_t w, int32_t h) : cx(w), cy(h) {}
  constexpr bool operator==(const TSize&) const = default;
};

// Right and Bottom are outside the rectangle, as the platform has them.
struct TRect {
  int32_t Left = 0;
  int32_t Top = 0;
  int32_t Right = 0;
  int32_t Bottom = 0;
  constexpr TRect() = default;
  constexpr TRect(int32_t l, int32_t t, int32_t r, int32_t b) : Left(l), Top(t), Right(r), Bottom(b) {}
  constexpr TRect(TPoint topLeft, TPoint bottomRight)
      : Left(topLeft.X), Top(topLeft.Y), Right(bottomRight.X), Bottom(bottomRight.Y) {}
  static constexpr TRect Bounds(int32_t left, int32_t top, int32_t width, int32_t height) {
    return {left, top, left + width, top + height};
  }

  constexpr int32_t Width() const { return Right - Left; }
  constexpr int32_t Height() const { return Bottom - Top; }
  constexpr TPoint TopLeft() const { return {Left, Top}; }
  constexpr TPoint BottomRight() const { return {Right, Bottom}; }
  constexpr bool IsEmpty() const { return Right <= Left || Bottom <= Top; }
  constexpr bool Contains(TPoint p) const { return p.X >= Left && p.X < Right && p.Y >= Top && p.Y < Bottom; }
  constexpr TRect Offset(int32_t dx, int32_t dy) const { return {Left + dx, Top + dy, Right + dx, Bottom + dy}; }
  constexpr TRect Inflate(int32_t dx, int32_t dy) const { return {Left - dx, Top - dy, Right + dx, Bottom + dy}; }
  // The common part; empty (all zero) when there is none.
  constexpr TRect Intersect(const TRect& o) const {
    TRect r{std::max(Left, o.Left), std::max(Top, o.Top), std::min(Right, o.Right), std::min(Bottom, o.Bottom)};
    return r.IsEmpty() ? TRect{} : r;
  }
  constexpr bool Intersects(const TRect& o) const { return !Intersect(o).IsEmpty(); }
  // The smallest rectangle holding both; an empty one adds nothing.
  constexpr TRect Union(const TRect& o) const {
    if (IsEmpty()) return o;
    if (o.IsEmpty()) return *this;
    return {std::min(Left, o.Left), std::min(Top, o.Top), std::max(Right, o.Right), std::max(Bottom, o.Bottom)};
  }
  constexpr bool operator==(const TRect&) const = default;
};
