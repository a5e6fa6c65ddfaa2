// The skin's catalogue of 44 shapes. Each is defined once on a 15 x 15 grid,
// pointing up, and fitted to any rectangle, turned in steps of 90 degrees
// and optionally mirrored. The one definition serves drawing (pen and
// brush), regions (window and mouse regions, the union of the primitives)
// and clipping a painting to the shape.
//
// Sections: enumerations; the shape table; the grid mapping; building,
// painting and clipping; the 3D frame; bevelled shape regions; region growth.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "packages/CfgObjects.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/PenStyle.h"
#include "platform/graphics/Region.h"

class TBitmap;
class TKyMemoryImage;
class TKySetBackGround;

// ---- Enumerations --------------------------------------------------------------

KY_ENUM(TKyShapes, uint8_t, shaEllipse, shaTriangle, shaRectangle, shaRoundRect, shaTrianEx1, shaPoliRect, shaArrow,
        shaPyramid, shaKite, shaArrowDouble, shaRhombus, shaRhombusLine, shaOctagon, shaTriangleBorder1,
        shaTriangleRect, shaArc, shaArcHorseShoe, shaPlus, shaArrowBig, shaArrowStyle, shaArrowRect, shaArrowBar1,
        shaArrowBar2, shaMushroom, shaArcRect, shaMinus, shaLetterH, shaTriangleBorder2, shaTriangleBorder4,
        shaLetterY, shaParallel, shaHexagon, shaPentagon, shaStar, shaCilinder, shaCone, shaHammer, shaLetterT,
        shaLetterC, shaOk, shaCancel, shaCircleLine, shaCircleCross, shaDonut)
inline constexpr int kKyShapeCount = 44;

// sorDefault takes the shape's own orientation from the table.
KY_ENUM(TKyShapeOrientation, uint8_t, sorDefault, sorUp, sorLeft, sorRight, sorDown)

// brsGrid has no platform style: it fills with an 8 x 8 checkerboard bitmap.
KY_ENUM(TKyBrushStyle, uint8_t, brsClear, brsSolid, brsBDiagonal, brsFDiagonal, brsCross, brsDiagCross,
        brsHorizontal, brsVertical, brsGrid)

TBrushStyle PlatformBrushStyle(TKyBrushStyle style);
TPenStyle PlatformPenStyle(TKyPenStyle style);

// ---- The shape table -----------------------------------------------------------------

// What a primitive covers: the whole box (ellipse, rectangle, rounded
// rectangle), a polygon of grid points, or the one polygon whose points
// depend on the box in pixels (shaPoliRect).
enum TKyShapePrimitiveKind : uint8_t { spkEllipse, spkRectangle, spkRoundRect, spkPolygon, spkPoliRect };

struct TKyGridPoint {
  uint8_t X;
  uint8_t Y;
};

struct TKyShapePrimitive {
  TKyShapePrimitiveKind Kind;
  std::vector<TKyGridPoint> Points;  // spkPolygon only
};

struct TKyShapeDef {
  TKyShapeOrientation Orientation;  // the default one
  std::vector<TKyShapePrimitive> Primitives;
};

// The 44 definitions, indexed by TKyShapes.
const std::array<TKyShapeDef, kKyShapeCount>& ShapeTable();

// sorDefault resolved through the table; other values stay.
TKyShapeOrientation EffectiveOrientation(TKyShapes shape, TKyShapeOrientation orientation);

// ---- The grid mapping -------------------------------------------------------------

// A shape fitted to a rectangle: the box (transposed for sorLeft and
// sorRight, where the shape is computed upright and then turned), the
// grid-to-pixel mapping and the point transform.
class TKyShapeGrid {
public:
  // orientation must already be effective (not sorDefault).
  TKyShapeGrid(const TRect& rect, TKyShapeOrientation orientation, bool reflection);

  // The box is at least one pixel each way.
  bool Valid() const { return w_ >= 1 && h_ >= 1; }
  int32_t BoxWidth() const { return w_; }
  int32_t BoxHeight() const { return h_; }
  // Grid coordinate 1..15 to pixel, upright in the box.
  int32_t X(int32_t g) const { return x0_ + (w_ - 1) * (g - 1) / 14; }
  int32_t Y(int32_t g) const { return y0_ + (h_ - 1) * (g - 1) / 14; }
  // Reflection, then the turn, of a point already in pixels.
  TPoint Transform(TPoint p) const;
  TPoint Map(TKyGridPoint g) const { return Transform({X(g.X), Y(g.Y)}); }
  // The points of a polygon primitive in pixels, transformed.
  std::vector<TPoint> Polygon(const TKyShapePrimitive& primitive) const;

private:
  TRect rect_;
  TKyShapeOrientation orientation_;
  bool reflection_;
  int32_t x0_, y0_, w_, h_;
};

// The corner diameter of shaRoundRect: half the smaller side.
int32_t RoundRectCorner(const TRect& rect);

// ---- Building, painting and clipping ---------------------------------------------------

// With region: *region becomes the union of the shape's primitives.
// Without: the primitives are drawn on canvas with its current pen and brush.
// An empty rectangle or an unknown shape draws nothing (an empty region).
void BuildShape(TCanvas* canvas, const TRect& rect, TKyShapes shape, TKyShapeOrientation orientation, bool reflection,
                TRegion* region);
TRegion ShapeRegion(const TRect& rect, TKyShapes shape, TKyShapeOrientation orientation = sorDefault,
                    bool reflection = false);

// PaintShape modes.
enum TKyShapePaintMode : uint8_t {
  spmMask = 0,     // black shape on a white rectangle
  spmOutline = 1,  // pen only
  spmFilled = 2,   // pen and brush
};

// Draws a shape with these pen and brush settings; the canvas keeps its own
// pen and brush.
void PaintShape(TCanvas& canvas, const TRect& rect, TKyShapePaintMode mode, int32_t penWidth, TKyColor penColor,
                TKyPenStyle penStyle, TKyColor brushColor, TKyBrushStyle brushStyle, bool reflection,
                TKyShapes shape, TKyShapeOrientation orientation);

// The process's 8 x 8 grid pattern, repainted in color: every pixel whose
// column and row have the same parity is white, the others color.
TBitmap& GridPattern(TKyColor color);

// Saves a canvas's clipping and puts it back on the way out, limiting
// drawing to the shape in between.
class TKyShapeClip {
public:
  TKyShapeClip(TCanvas& canvas, const TRect& rect, TKyShapes shape, TKyShapeOrientation orientation = sorDefault,
               bool reflection = false);

private:
  TClipRecall recall_;
};

// ---- The 3D frame ---------------------------------------------------------------------

// A one-pixel frame: the left and top edges in light, right and bottom in
// shadow (the corners top-right and bottom-left are shadow's); the colours
// swap when down.
void Frame3DRect(TCanvas& canvas, const TRect& rect, TKyColor light, bool down, TKyColor shadow);

// The drop shadow of a framed control: bands of kDropShadowSize in
// "Dft_ColShadow" along the right edge (from kDropShadowSize down) and the
// bottom edge (from kDropShadowSize right). Returns rect without them.
inline constexpr int32_t kDropShadowSize = 4;
TRect PaintDropShadow(TCanvas& canvas, const TRect& rect);

// ---- Bevelled shape regions --------------------------------------------------------------

// The outline of a control: a shape, or an image's opaque pixels (its
// window region data) when Image is given.
struct TKyBevelShape {
  TKyShapes Shape = shaRectangle;
  TKyShapeOrientation Orientation = sorDefault;
  bool Reflection = false;
  TKyMemoryImage* Image = nullptr;
};

// The outline for rect (inset by 1 when bordered, leaving room for the
// ring) in rect's coordinates; an image without region data gives the
// whole inset rectangle.
TRegion BevelOutline(const TRect& rect, TKyBorderStyle border, const TKyBevelShape& source);
// The window or mouse region: the outline grown by one pixel every way.
TRegion ShapeBevelRegion(const TRect& rect, TKyBorderStyle border, const TKyBevelShape& source);
// Paints the ring (bosSingle: "Dft_ColBox"; bos3D: "Dft_3DLight" above and
// left, "Dft_3DShadow" below and right, swapped when down), then the image
// or the background inside the outline, one pixel down and right when down.
void PaintShapeBevel(TCanvas& canvas, const TRect& rect, TKyBorderStyle border, const TKyBevelShape& source,
                     bool down, TKySetBackGround* background);

// ---- Region growth -----------------------------------------------------------------------

// Unites the region with copies moved 1..n pixels right (horizontal) or down.
void ThickenRegion(TRegion& region, int32_t n, bool horizontal);
// Copies of tile moved by its step (right or down) until rect is covered,
// cut to rect.
TRegion TileRegion(const TRegion& tile, int32_t step, bool horizontal, const TRect& rect);
