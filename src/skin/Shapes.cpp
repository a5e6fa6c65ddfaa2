#include "skin/Shapes.h"

#include <algorithm>
#include <memory>

#include "packages/DisplaySets.h"
#include "packages/PkgImages.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Graphic.h"
#include "skin/Fills.h"

TBrushStyle PlatformBrushStyle(TKyBrushStyle style) {
  switch (style) {
    case brsClear: return bsClear;
    case brsSolid: return bsSolid;
    case brsBDiagonal: return bsBDiagonal;
    case brsFDiagonal: return bsFDiagonal;
    case brsCross: return bsCross;
    case brsDiagCross: return bsDiagCross;
    case brsHorizontal: return bsHorizontal;
    case brsVertical: return bsVertical;
    case brsGrid: break;
  }
  return bsSolid;  // brsGrid: the caller sets the pattern bitmap
}

TPenStyle PlatformPenStyle(TKyPenStyle style) {
  switch (style) {
    case pesClear: return psClear;
    case pesSolid: return psSolid;
    case pesDash: return psDash;
    case pesDot: return psDot;
    case pesDashDot: return psDashDot;
    case pesDashDotDot: return psDashDotDot;
  }
  return psSolid;
}

// ---- The shape table ----

namespace {
TKyShapePrimitive P(std::vector<TKyGridPoint> points) { return {spkPolygon, std::move(points)}; }
TKyShapePrimitive Whole(TKyShapePrimitiveKind kind) { return {kind, {}}; }
}  // namespace

const std::array<TKyShapeDef, kKyShapeCount>& ShapeTable() {
  // Grid points (x, y) on 1..15, upright; a repeated first point closes
  // the outline.
  static const std::array<TKyShapeDef, kKyShapeCount> table{{
      {sorUp, {Whole(spkEllipse)}},  // shaEllipse
      {sorRight, {P({{8, 1}, {1, 15}, {15, 15}, {8, 1}})}},  // shaTriangle
      {sorUp, {Whole(spkRectangle)}},  // shaRectangle
      {sorUp, {Whole(spkRoundRect)}},  // shaRoundRect
      {sorRight, {P({{8, 1}, {1, 15}, {8, 8}, {15, 15}, {8, 1}})}},  // shaTrianEx1
      {sorRight, {Whole(spkPoliRect)}},  // shaPoliRect
      {sorRight, {P({{8, 1}, {15, 8}, {11, 8}, {11, 15}, {5, 15}, {5, 8}, {1, 8}, {8, 1}})}},  // shaArrow
      {sorUp, {P({{8, 1}, {1, 15}, {13, 15}, {8, 1}}), P({{8, 1}, {15, 9}, {13, 15}})}},  // shaPyramid
      {sorRight, {P({{7, 1}, {7, 7}, {1, 7}}), P({{9, 1}, {9, 7}, {15, 7}}), P({{1, 9}, {7, 9}, {7, 15}}), P({{9, 9}, {15, 9}, {9, 15}})}},  // shaKite
      {sorRight, {P({{8, 1}, {1, 4}, {15, 4}}), P({{1, 6}, {15, 6}, {15, 10}, {1, 10}}), P({{1, 12}, {15, 12}, {8, 15}})}},  // shaArrowDouble
      {sorRight, {P({{8, 1}, {1, 8}, {8, 15}, {15, 8}, {8, 1}})}},  // shaRhombus
      {sorRight, {P({{8, 1}, {1, 7}, {15, 7}}), P({{1, 9}, {15, 9}, {8, 15}})}},  // shaRhombusLine
      {sorRight, {P({{5, 1}, {1, 5}, {1, 11}, {5, 15}, {11, 15}, {15, 11}, {15, 5}, {11, 1}, {5, 1}})}},  // shaOctagon
      {sorRight, {P({{15, 1}, {10, 1}, {15, 6}, {15, 1}})}},  // shaTriangleBorder1
      {sorRight, {P({{1, 1}, {15, 1}, {15, 15}, {1, 1}})}},  // shaTriangleRect
      {sorRight, {P({{15, 1}, {7, 1}, {1, 7}, {1, 15}, {5, 15}, {5, 9}, {9, 5}, {15, 5}, {15, 1}})}},  // shaArc
      {sorRight, {P({{5, 1}, {1, 5}, {1, 15}, {6, 15}, {6, 6}, {10, 6}, {10, 15}, {15, 15}, {15, 5}, {11, 1}, {5, 1}})}},  // shaArcHorseShoe
      {sorRight, {P({{6, 1}, {6, 6}, {1, 6}, {1, 10}, {6, 10}, {6, 15}, {10, 15}, {10, 10}, {15, 10}, {15, 6}, {10, 6}, {10, 1}, {6, 1}})}},  // shaPlus
      {sorRight, {P({{8, 1}, {1, 8}, {1, 15}, {15, 15}, {15, 8}, {8, 1}})}},  // shaArrowBig
      {sorRight, {P({{8, 1}, {1, 15}, {5, 15}, {8, 1}}), P({{8, 1}, {11, 15}, {15, 15}, {8, 1}})}},  // shaArrowStyle
      {sorRight, {P({{1, 1}, {15, 1}, {15, 15}, {11, 11}, {7, 15}, {1, 9}, {5, 5}, {1, 1}})}},  // shaArrowRect
      {sorRight, {P({{1, 13}, {15, 13}, {15, 15}, {1, 15}}), P({{1, 11}, {8, 1}, {15, 11}})}},  // shaArrowBar1
      {sorRight, {P({{1, 13}, {15, 13}, {15, 15}, {1, 15}}), P({{1, 9}, {15, 9}, {15, 11}, {1, 11}}), P({{1, 7}, {8, 1}, {15, 7}})}},  // shaArrowBar2
      {sorRight, {P({{5, 1}, {1, 5}, {1, 9}, {5, 9}, {5, 15}, {11, 15}, {11, 9}, {15, 9}, {15, 5}, {11, 1}, {5, 1}})}},  // shaMushroom
      {sorRight, {P({{15, 1}, {7, 1}, {1, 5}, {1, 15}, {7, 15}, {7, 4}, {15, 4}, {15, 1}})}},  // shaArcRect
      {sorUp, {P({{1, 6}, {15, 6}, {15, 10}, {1, 10}, {1, 6}})}},  // shaMinus
      {sorUp, {P({{1, 1}, {1, 15}, {5, 15}, {5, 10}, {11, 10}, {11, 15}, {15, 15}, {15, 1}, {11, 1}, {11, 6}, {5, 6}, {5, 1}, {1, 1}})}},  // shaLetterH
      {sorRight, {P({{15, 1}, {10, 1}, {15, 6}, {15, 1}}), P({{1, 15}, {1, 10}, {6, 15}, {1, 15}})}},  // shaTriangleBorder2
      {sorRight, {P({{15, 1}, {10, 1}, {15, 6}, {15, 1}}), P({{1, 15}, {1, 10}, {6, 15}, {1, 15}}), P({{1, 1}, {6, 1}, {1, 6}, {1, 1}}), P({{15, 10}, {15, 15}, {10, 15}, {15, 10}})}},  // shaTriangleBorder4
      {sorUp, {P({{1, 1}, {5, 1}, {8, 6}, {11, 1}, {15, 1}, {10, 9}, {10, 15}, {6, 15}, {6, 9}, {1, 1}})}},  // shaLetterY
      {sorRight, {P({{1, 1}, {15, 1}, {15, 5}, {1, 5}, {1, 1}}), P({{1, 11}, {15, 11}, {15, 15}, {1, 15}, {1, 11}})}},  // shaParallel
      {sorRight, {P({{5, 1}, {11, 1}, {15, 8}, {11, 15}, {5, 15}, {1, 8}, {5, 1}})}},  // shaHexagon
      {sorUp, {P({{8, 1}, {1, 8}, {5, 15}, {11, 15}, {15, 8}, {8, 1}})}},  // shaPentagon
      {sorRight, {P({{1, 1}, {4, 6}, {1, 8}, {4, 10}, {1, 15}, {6, 12}, {8, 15}, {10, 12}, {15, 15}, {12, 10}, {15, 8}, {12, 6}, {15, 1}, {10, 4}, {8, 1}, {6, 4}, {1, 1}})}},  // shaStar
      {sorUp, {P({{15, 3}, {12, 1}, {4, 1}, {1, 3}, {4, 5}, {12, 5}}), P({{1, 5}, {4, 7}, {4, 15}, {1, 13}}), P({{12, 7}, {15, 5}, {15, 13}, {12, 15}}), P({{6, 7}, {10, 7}, {10, 15}, {6, 15}})}},  // shaCilinder
      {sorUp, {P({{8, 1}, {1, 13}, {5, 15}, {11, 15}, {15, 13}, {8, 1}})}},  // shaCone
      {sorRight, {P({{15, 1}, {4, 1}, {1, 4}, {1, 6}, {6, 6}, {6, 15}, {11, 15}, {11, 6}, {15, 6}, {15, 1}})}},  // shaHammer
      {sorUp, {P({{1, 1}, {15, 1}, {15, 5}, {10, 5}, {10, 15}, {6, 15}, {6, 5}, {1, 5}, {1, 1}})}},  // shaLetterT
      {sorUp, {P({{1, 1}, {15, 1}, {15, 5}, {5, 5}, {5, 11}, {15, 11}, {15, 15}, {1, 15}, {1, 1}})}},  // shaLetterC
      {sorUp, {P({{15, 1}, {7, 9}, {4, 5}, {1, 8}, {8, 15}, {15, 1}})}},  // shaOk
      {sorRight, {P({{3, 1}, {8, 6}, {12, 2}, {15, 7}, {11, 9}, {14, 12}, {9, 15}, {7, 12}, {3, 15}, {1, 13}, {5, 9}, {1, 3}, {3, 1}})}},  // shaCancel
      {sorUp, {P({{7, 1}, {4, 2}, {2, 4}, {1, 6}, {1, 10}, {2, 12}, {4, 14}, {7, 15}}), P({{9, 1}, {12, 2}, {14, 4}, {15, 6}, {15, 10}, {14, 12}, {12, 14}, {9, 15}})}},  // shaCircleLine
      {sorUp, {P({{7, 1}, {4, 2}, {2, 4}, {1, 7}, {7, 7}}), P({{1, 9}, {2, 12}, {4, 14}, {7, 15}, {7, 9}}), P({{9, 15}, {12, 14}, {14, 12}, {15, 9}, {9, 9}}), P({{15, 7}, {14, 4}, {12, 2}, {9, 1}, {9, 7}})}},  // shaCircleCross
      {sorUp, {P({{7, 1}, {4, 2}, {2, 4}, {1, 7}, {1, 9}, {2, 12}, {4, 14}, {7, 15}, {9, 15}, {12, 14}, {14, 12}, {15, 9}, {15, 7}, {14, 4}, {12, 2}, {9, 1}, {9, 3}, {11, 4}, {12, 5}, {13, 7}, {13, 9}, {12, 11}, {11, 12}, {9, 13}, {7, 13}, {5, 12}, {4, 11}, {3, 9}, {3, 7}, {4, 5}, {5, 4}, {7, 3}})}},  // shaDonut
  }};
  return table;
}

TKyShapeOrientation EffectiveOrientation(TKyShapes shape, TKyShapeOrientation orientation) {
  if (orientation != sorDefault || shape >= kKyShapeCount) return orientation;
  return ShapeTable()[shape].Orientation;
}

// ---- The grid mapping ----

TKyShapeGrid::TKyShapeGrid(const TRect& rect, TKyShapeOrientation orientation, bool reflection)
    : rect_(rect), orientation_(orientation), reflection_(reflection) {
  if (orientation == sorLeft || orientation == sorRight) {
    x0_ = rect.Top;
    y0_ = rect.Left;
    w_ = rect.Bottom - rect.Top;
    h_ = rect.Right - rect.Left;
  } else {
    x0_ = rect.Left;
    y0_ = rect.Top;
    w_ = rect.Right - rect.Left;
    h_ = rect.Bottom - rect.Top;
  }
}

TPoint TKyShapeGrid::Transform(TPoint p) const {
  if (reflection_) p.X = X(15) - (p.X - X(1));
  int32_t d = p.Y - Y(1);
  int32_t e = p.X - X(1);
  switch (orientation_) {
    case sorLeft: return {rect_.Left + d, rect_.Bottom - e - 1};
    case sorRight: return {rect_.Right - d - 1, rect_.Top + e};
    case sorDown: return {rect_.Right - e - 1, rect_.Bottom - d - 1};
    default: return p;
  }
}

std::vector<TPoint> TKyShapeGrid::Polygon(const TKyShapePrimitive& primitive) const {
  std::vector<TPoint> points;
  if (primitive.Kind == spkPoliRect) {
    // A square as wide as the box's smaller side, on the left of the box.
    int32_t m1 = std::min(w_, h_) - 1;
    TPoint a{X(1), Y(1)};
    TPoint b{X(1), Y(15)};
    for (TPoint p : {a, TPoint{a.X + m1, a.Y + m1}, TPoint{b.X + m1, b.Y}, b, a}) points.push_back(Transform(p));
    return points;
  }
  points.reserve(primitive.Points.size());
  for (TKyGridPoint g : primitive.Points) points.push_back(Map(g));
  return points;
}

int32_t RoundRectCorner(const TRect& rect) { return std::min(rect.Width() / 2, rect.Height() / 2); }

// ---- Building, painting and clipping ----

void BuildShape(TCanvas* canvas, const TRect& rect, TKyShapes shape, TKyShapeOrientation orientation, bool reflection,
                TRegion* region) {
  if (region) *region = TRegion();
  if (shape >= kKyShapeCount) return;
  TKyShapeGrid grid(rect, EffectiveOrientation(shape, orientation), reflection);
  if (!grid.Valid()) return;
  for (const TKyShapePrimitive& primitive : ShapeTable()[shape].Primitives) {
    switch (primitive.Kind) {
      case spkEllipse:
        if (region) region->Combine(TRegion::Ellipse(rect), rgnOr);
        else if (canvas) canvas->Ellipse(rect);
        break;
      case spkRectangle:
        if (region) region->Combine(TRegion::Rect(rect), rgnOr);
        else if (canvas) canvas->Rectangle(rect);
        break;
      case spkRoundRect: {
        int32_t corner = RoundRectCorner(rect);
        if (region) region->Combine(TRegion::RoundRect(rect, corner, corner), rgnOr);
        else if (canvas) canvas->RoundRect(rect.Left, rect.Top, rect.Right, rect.Bottom, corner, corner);
        break;
      }
      case spkPolygon:
      case spkPoliRect: {
        std::vector<TPoint> points = grid.Polygon(primitive);
        if (region) region->Combine(TRegion::Polygon(points, pfmAlternate), rgnOr);
        else if (canvas) canvas->Polygon(points);
        break;
      }
    }
  }
}

TRegion ShapeRegion(const TRect& rect, TKyShapes shape, TKyShapeOrientation orientation, bool reflection) {
  TRegion region;
  BuildShape(nullptr, rect, shape, orientation, reflection, &region);
  return region;
}

TBitmap& GridPattern(TKyColor color) {
  // Made once and kept for the process.
  static TBitmap* pattern = new TBitmap(8, 8, pf32bit);
  TKyColor rgb = ColorToRGB(color);
  for (int32_t y = 0; y < 8; ++y) {
    auto* row = static_cast<uint8_t*>(pattern->ScanLine(y));
    for (int32_t x = 0; x < 8; ++x) {
      TKyColor c = (x % 2) == (y % 2) ? kClWhite : rgb;
      row[4 * x] = KyBlue(c);
      row[4 * x + 1] = KyGreen(c);
      row[4 * x + 2] = KyRed(c);
      row[4 * x + 3] = 0;
    }
  }
  // The pixels changed behind the DIB section's back; drop the memory DC
  // so that the pattern brush reads the bits as they are now.
  pattern->Dormant();
  return *pattern;
}

namespace {
void SetShapeBrush(TBrush& brush, TKyColor color, TKyBrushStyle style) {
  // A brush made from the pattern keeps the old colours: always make anew.
  brush.SetBitmap(nullptr);
  brush.SetColor(color == kClNone ? kClBlack : color);
  brush.SetStyle(PlatformBrushStyle(style));
  if (style == brsGrid) brush.SetBitmap(&GridPattern(color));
}

void SetShapePen(TPen& pen, TKyColor color, TKyPenStyle style, int32_t width) {
  pen.SetColor(color);
  pen.SetStyle(PlatformPenStyle(style));
  pen.SetWidth(width);
  pen.SetMode(pmCopy);
}

// A colour for the transparent key of hatched fills that neither the brush
// nor the pen draws.
TKyColor HatchKey(TKyColor brush, TKyColor pen) {
  for (TKyColor key : {kClWhite, kClBlack, kClRed, kClLime, kClBlue})
    if (key != brush && key != pen) return key;
  return kClFuchsia;
}
}  // namespace

void PaintShape(TCanvas& canvas, const TRect& rect, TKyShapePaintMode mode, int32_t penWidth, TKyColor penColor,
                TKyPenStyle penStyle, TKyColor brushColor, TKyBrushStyle brushStyle, bool reflection,
                TKyShapes shape, TKyShapeOrientation orientation) {
  TPenRecall penRecall(canvas);
  TBrushRecall brushRecall(canvas);
  if (rect.IsEmpty() || shape >= kKyShapeCount) return;
  penWidth = std::max(penWidth, 1);
  // The stroke stays inside rect.
  TRect box = rect.Inflate(-(penWidth / 2), -(penWidth / 2));
  if (penWidth % 2 == 0) {
    ++box.Right;
    ++box.Bottom;
  }
  TBrush& brush = *canvas.Brush();
  TPen& pen = *canvas.Pen();
  switch (mode) {
    case spmMask:
      SetShapeBrush(brush, kClWhite, brsSolid);
      canvas.FillRect(rect);
      SetShapeBrush(brush, kClBlack, brsSolid);
      SetShapePen(pen, kClBlack, pesSolid, penWidth);
      BuildShape(&canvas, box, shape, orientation, reflection, nullptr);
      return;
    case spmOutline:
      SetShapeBrush(brush, kClWhite, brsClear);
      SetShapePen(pen, penColor, penStyle, penWidth);
      BuildShape(&canvas, box, shape, orientation, reflection, nullptr);
      return;
    case spmFilled:
      break;
  }
  // Without a pen the outline is drawn in the brush colour, so that the
  // fill reaches the edge.
  if (penStyle == pesClear) {
    penColor = brushColor;
    penStyle = pesSolid;
  }
  TKyColor brushRgb = ColorToRGB(brushColor);
  TKyColor penRgb = ColorToRGB(penColor);
  if (brushStyle < brsBDiagonal) {
    SetShapeBrush(brush, brushColor, brushStyle);
    SetShapePen(pen, penColor, penStyle, penWidth);
    BuildShape(&canvas, box, shape, orientation, reflection, nullptr);
    return;
  }
  // Hatches keep their gaps transparent: draw on a key colour, copy without it.
  TKyColor key = HatchKey(brushRgb, penRgb);
  TBitmap temp(rect.Width(), rect.Height(), pf32bit);
  TCanvas& tc = *temp.Canvas();
  SetShapeBrush(*tc.Brush(), key, brsSolid);
  tc.FillRect(TRect(0, 0, rect.Width(), rect.Height()));
  SetShapeBrush(*tc.Brush(), brushColor, brushStyle);
  SetShapePen(*tc.Pen(), penColor, penStyle, penWidth);
  BuildShape(&tc, box.Offset(-rect.Left, -rect.Top), shape, orientation, reflection, nullptr);
  tc.Brush()->SetBitmap(nullptr);
  temp.SetTransparentColor(key);
  temp.SetTransparent(true);
  canvas.Draw(rect.Left, rect.Top, &temp);
}

TKyShapeClip::TKyShapeClip(TCanvas& canvas, const TRect& rect, TKyShapes shape, TKyShapeOrientation orientation,
                           bool reflection)
    : recall_(canvas) {
  TRegion region = ShapeRegion(rect, shape, orientation, reflection);
  // Clip regions are in device coordinates.
  TPoint origin = canvas.WindowOrigin();
  region.Offset(-origin.X, -origin.Y);
  canvas.IntersectClipRegion(region.Handle());
}

// ---- The 3D frame ----

void Frame3DRect(TCanvas& canvas, const TRect& rect, TKyColor light, bool down, TKyColor shadow) {
  if (rect.IsEmpty()) return;
  if (down) std::swap(light, shadow);
  TPenRecall penRecall(canvas);
  TPen& pen = *canvas.Pen();
  SetShapePen(pen, light, pesSolid, 1);
  int32_t r = rect.Right - 1;
  int32_t b = rect.Bottom - 1;
  const TPoint upper[] = {{rect.Left, b}, {rect.Left, rect.Top}, {r, rect.Top}};
  canvas.Polyline(upper, 3);
  pen.SetColor(shadow);
  const TPoint lower[] = {{r, rect.Top}, {r, b}, {rect.Left - 1, b}};
  canvas.Polyline(lower, 3);
}

TRect PaintDropShadow(TCanvas& canvas, const TRect& rect) {
  const int32_t n = kDropShadowSize;
  canvas.Brush()->SetStyle(bsSolid);
  canvas.Brush()->SetColor(LibraryDefaultColor("Dft_ColShadow"));
  canvas.FillRect(TRect(rect.Right - n, rect.Top + n, rect.Right, rect.Bottom));
  canvas.FillRect(TRect(rect.Left + n, rect.Bottom - n, rect.Right - n, rect.Bottom));
  return TRect(rect.Left, rect.Top, rect.Right - n, rect.Bottom - n);
}

// ---- Bevelled shape regions ----

namespace {
TRect BevelInset(const TRect& rect, TKyBorderStyle border) {
  return border == bosNone ? rect : rect.Inflate(-1, -1);
}
}  // namespace

TRegion BevelOutline(const TRect& rect, TKyBorderStyle border, const TKyBevelShape& source) {
  TRect inset = BevelInset(rect, border);
  if (inset.IsEmpty()) return TRegion();
  if (!source.Image) return ShapeRegion(inset, source.Shape, source.Orientation, source.Reflection);
  std::unique_ptr<TRegion> region;
  try {
    region = source.Image->WindowRegion();
  } catch (const EInvalidGraphic&) {
    // Damaged region data: the picture keeps its plain rectangle.
  }
  if (!region) return TRegion::Rect(inset);
  region->Offset(inset.Left, inset.Top);
  return std::move(*region);
}

TRegion ShapeBevelRegion(const TRect& rect, TKyBorderStyle border, const TKyBevelShape& source) {
  TRegion outline = BevelOutline(rect, border, source);
  TRegion grown = outline.Clone();
  for (int32_t dy = -1; dy <= 1; ++dy)
    for (int32_t dx = -1; dx <= 1; ++dx)
      if (dx || dy) grown.Combine(outline.Clone().Offset(dx, dy), rgnOr);
  return grown;
}

void PaintShapeBevel(TCanvas& canvas, const TRect& rect, TKyBorderStyle border, const TKyBevelShape& source,
                     bool down, TKySetBackGround* background) {
  TRegion outline = BevelOutline(rect, border, source);
  if (outline.IsEmpty()) return;
  if (border != bosNone) {
    TKyColor first = border == bos3D ? LibraryDefaultColor("Dft_3DLight") : DftColBox().Value();
    TKyColor second = border == bos3D ? LibraryDefaultColor("Dft_3DShadow") : first;
    if (down && border == bos3D) std::swap(first, second);
    TBrushRecall brushRecall(canvas);
    SetShapeBrush(*canvas.Brush(), first, brsSolid);
    for (TPoint d : {TPoint{-1, 0}, TPoint{-1, -1}, TPoint{0, -1}})
      canvas.FillRegion(outline.Clone().Offset(d.X, d.Y).Handle());
    SetShapeBrush(*canvas.Brush(), second, brsSolid);
    for (TPoint d : {TPoint{0, 1}, TPoint{1, 1}, TPoint{1, 0}})
      canvas.FillRegion(outline.Clone().Offset(d.X, d.Y).Handle());
  }
  TClipRecall clipRecall(canvas);
  TPoint origin = canvas.WindowOrigin();
  canvas.IntersectClipRegion(outline.Clone().Offset(-origin.X, -origin.Y).Handle());
  TRect inside = BevelInset(rect, border);
  if (down) inside = inside.Offset(1, 1);
  if (source.Image) {
    std::unique_ptr<TGraphic> graphic;
    try {
      graphic = source.Image->Graphic();
    } catch (const EInvalidGraphic&) {
      return;  // a damaged picture shows nothing
    }
    if (graphic && !graphic->Empty()) canvas.Draw(inside.Left, inside.Top, graphic.get());
  } else if (background) {
    PaintBackGround(canvas, inside, *background);
  }
}

// ---- Region growth ----

void ThickenRegion(TRegion& region, int32_t n, bool horizontal) {
  TRegion copy = region.Clone();
  for (int32_t i = 0; i < n; ++i) {
    copy.Offset(horizontal ? 1 : 0, horizontal ? 0 : 1);
    region.Combine(copy, rgnOr);
  }
}

TRegion TileRegion(const TRegion& tile, int32_t step, bool horizontal, const TRect& rect) {
  TRegion result;
  if (step <= 0 || rect.IsEmpty() || tile.IsEmpty()) return result;
  TRegion copy = tile.Clone();
  TRect bounds = tile.Bounds();
  int32_t start = horizontal ? bounds.Left : bounds.Top;
  int32_t end = horizontal ? rect.Right : rect.Bottom;
  for (int32_t at = start; at < end; at += step) {
    result.Combine(copy, rgnOr);
    copy.Offset(horizontal ? step : 0, horizontal ? 0 : step);
  }
  result.Combine(TRegion::Rect(rect), rgnAnd);
  return result;
}
