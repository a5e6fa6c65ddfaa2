// Shapes drawn into memory bitmaps and built as regions, checked pixel by
// pixel against the grid mapping and against each other.
#include "skin/Shapes.h"

#include <gtest/gtest.h>

#include "SkinTestSupport.h"
#include "platform/graphics/Bitmap.h"

using namespace ky_test;

namespace {

// Where grid point (gx, gy) of an upright shape lands in rect: offsets in
// the (transposed) box, mirrored, then turned.
TPoint ExpectedPoint(const TRect& r, TKyShapeOrientation o, bool reflection, int gx, int gy) {
  bool turned = o == sorLeft || o == sorRight;
  int boxW = turned ? r.Height() : r.Width();
  int boxH = turned ? r.Width() : r.Height();
  int u = (boxW - 1) * (gx - 1) / 14;
  int v = (boxH - 1) * (gy - 1) / 14;
  if (reflection) u = (boxW - 1) - u;
  switch (o) {
    case sorLeft: return {r.Left + v, r.Bottom - 1 - u};
    case sorRight: return {r.Right - 1 - v, r.Top + u};
    case sorDown: return {r.Right - 1 - u, r.Bottom - 1 - v};
    default: return {r.Left + u, r.Top + v};
  }
}

// The shape's area as the platform makes it from the expected points.
TRegion ExpectedRegion(const TRect& r, TKyShapes shape, TKyShapeOrientation o, bool reflection) {
  TRegion expected;
  for (const TKyShapePrimitive& p : ShapeTable()[shape].Primitives) {
    switch (p.Kind) {
      case spkEllipse: expected.Combine(TRegion::Ellipse(r), rgnOr); break;
      case spkRectangle: expected.Combine(TRegion::Rect(r), rgnOr); break;
      case spkRoundRect: {
        int c = std::min(r.Width() / 2, r.Height() / 2);
        expected.Combine(TRegion::RoundRect(r, c, c), rgnOr);
        break;
      }
      case spkPoliRect: {
        bool turned = o == sorLeft || o == sorRight;
        int m = std::min(r.Width(), r.Height());
        int boxW = turned ? r.Height() : r.Width();
        // Offsets (u, v) from the upright box's corner, mirrored and turned.
        auto at = [&](int u, int v) {
          if (reflection) u = (boxW - 1) - u;
          switch (o) {
            case sorLeft: return TPoint{r.Left + v, r.Bottom - 1 - u};
            case sorRight: return TPoint{r.Right - 1 - v, r.Top + u};
            case sorDown: return TPoint{r.Right - 1 - u, r.Bottom - 1 - v};
            default: return TPoint{r.Left + u, r.Top + v};
          }
        };
        int bottom = (turned ? r.Width() : r.Height()) - 1;
        expected.Combine(TRegion::Polygon({at(0, 0), at(m - 1, m - 1), at(m - 1, bottom), at(0, bottom), at(0, 0)}),
                         rgnOr);
        break;
      }
      case spkPolygon: {
        std::vector<TPoint> points;
        for (TKyGridPoint g : p.Points) points.push_back(ExpectedPoint(r, o, reflection, g.X, g.Y));
        expected.Combine(TRegion::Polygon(points), rgnOr);
        break;
      }
    }
  }
  return expected;
}

bool IsBoxShape(TKyShapes s) { return s == shaEllipse || s == shaRectangle || s == shaRoundRect; }

struct TSweepSize {
  int BitmapW, BitmapH;
  TRect Rect;
};
const TSweepSize kSizes[] = {
    {15, 15, TRect(0, 0, 15, 15)},
    {48, 30, TRect(3, 2, 43, 26)},  // 40 x 24, away from the origin
};
const TKyShapeOrientation kTurns[] = {sorUp, sorLeft, sorRight, sorDown};

class ShapeSweep : public ::testing::TestWithParam<int> {};

// Every shape, turned four ways, mirrored or not, at two sizes: the region
// is the expected area, the brush without a pen fills exactly the region,
// and the mask (pen and brush) is the region plus the pen's outline.
TEST_P(ShapeSweep, FillRegionAndMaskAgree) {
  auto shape = static_cast<TKyShapes>(GetParam());
  for (const TSweepSize& size : kSizes)
    for (TKyShapeOrientation o : kTurns)
      for (bool reflection : {false, true}) {
        SCOPED_TRACE(testing::Message() << EnumInfo(shape).Name(shape) << " " << EnumInfo(o).Name(o)
                                        << (reflection ? " mirrored " : " ") << size.Rect.Width() << "x"
                                        << size.Rect.Height());
        const TRect& r = size.Rect;
        TRegion region = ShapeRegion(r, shape, o, reflection);
        TPixelSet inRegion = PixelsOf(region, size.BitmapW, size.BitmapH);
        ASSERT_GT(inRegion.Count(), 0);
        EXPECT_EQ(Differences(inRegion, PixelsOf(ExpectedRegion(r, shape, o, reflection), size.BitmapW, size.BitmapH)),
                  "");

        auto filled = WhiteBitmap(size.BitmapW, size.BitmapH);
        TCanvas& fc = *filled->Canvas();
        fc.Pen()->SetStyle(psClear);
        fc.Brush()->SetColor(kClBlack);
        BuildShape(&fc, r, shape, o, reflection, nullptr);
        TPixelSet brushed = PixelsNot(*filled, kClWhite);
        if (!IsBoxShape(shape)) {
          EXPECT_EQ(Differences(brushed, inRegion), "") << "brush fill vs region";
        } else {
          // Boxes and curves filled without a pen part from their regions
          // along the right and bottom edge, never inside.
          EXPECT_EQ(DifferencesOffTheEdge(brushed, inRegion), "") << "brush fill vs region";
        }

        auto mask = WhiteBitmap(size.BitmapW, size.BitmapH);
        PaintShape(*mask->Canvas(), r, spmMask, 1, kClRed, pesDot, kClRed, brsCross, reflection, shape, o);
        auto outline = WhiteBitmap(size.BitmapW, size.BitmapH);
        PaintShape(*outline->Canvas(), r, spmOutline, 1, kClBlack, pesSolid, kClRed, brsSolid, reflection, shape, o);
        TPixelSet masked = PixelsNot(*mask, kClWhite);
        TPixelSet edge = PixelsNot(*outline, kClWhite);
        // The mask is black on white and never leaves rect.
        for (int y = 0; y < size.BitmapH; ++y)
          for (int x = 0; x < size.BitmapW; ++x) {
            TKyColor c = PixelOf(*mask, x, y);
            if (r.Contains({x, y})) {
              ASSERT_TRUE(c == kClBlack || c == kClWhite) << Hex(c);
            } else {
              ASSERT_EQ(c, kClWhite) << x << "," << y;
            }
            if (edge.At(x, y)) {
              ASSERT_TRUE(r.Contains({x, y})) << "outline outside at " << x << "," << y;
            }
          }
        if (shape == shaEllipse || shape == shaRoundRect) {
          // Curves: the filled ellipse and the region's ellipse may part
          // by a pixel along the outline, never inside it.
          EXPECT_EQ(DifferencesOffTheEdge(masked, Union(inRegion, edge)), "") << "mask vs region and outline";
        } else {
          EXPECT_EQ(Differences(masked, Union(inRegion, edge)), "") << "mask vs region and outline";
        }
      }
}

INSTANTIATE_TEST_SUITE_P(AllShapes, ShapeSweep, ::testing::Range(0, kKyShapeCount));

// ---- The grid mapping ----

TEST(ShapeGrid, FifteenPixelsMapGridToPixelMinusOne) {
  for (TRect r : {TRect(0, 0, 15, 15), TRect(7, 3, 22, 18)}) {
    TKyShapeGrid grid(r, sorUp, false);
    for (int g = 1; g <= 15; ++g) {
      EXPECT_EQ(grid.X(g), r.Left + g - 1);
      EXPECT_EQ(grid.Y(g), r.Top + g - 1);
    }
  }
}

TEST(ShapeGrid, TurnedBoxesAreTransposed) {
  TKyShapeGrid grid(TRect(10, 20, 50, 30), sorRight, false);  // 40 x 10
  EXPECT_EQ(grid.BoxWidth(), 10);
  EXPECT_EQ(grid.BoxHeight(), 40);
  EXPECT_FALSE(TKyShapeGrid(TRect(5, 5, 5, 9), sorUp, false).Valid());
}

TEST(ShapeGrid, DefaultOrientationComesFromTheTable) {
  EXPECT_EQ(EffectiveOrientation(shaTriangle, sorDefault), sorRight);
  EXPECT_EQ(EffectiveOrientation(shaEllipse, sorDefault), sorUp);
  EXPECT_EQ(EffectiveOrientation(shaLetterH, sorDefault), sorUp);
  EXPECT_EQ(EffectiveOrientation(shaTriangle, sorDown), sorDown);
}

// Which way a figure points, read from the mask at 15 x 15.
struct TPointingCase {
  const char* Name;
  TKyShapes Shape;
  TKyShapeOrientation Orientation;
  bool Reflection;
  std::vector<TPoint> Black;
  std::vector<TPoint> White;
};

class ShapePointing : public ::testing::TestWithParam<TPointingCase> {};

TEST_P(ShapePointing, MaskShowsTheTip) {
  const TPointingCase& c = GetParam();
  auto b = WhiteBitmap(15, 15, kClLime);
  PaintShape(*b->Canvas(), TRect(0, 0, 15, 15), spmMask, 1, kClBlack, pesSolid, kClBlack, brsSolid, c.Reflection,
             c.Shape, c.Orientation);
  for (TPoint p : c.Black) EXPECT_EQ(Hex(PixelOf(*b, p.X, p.Y)), Hex(kClBlack)) << p.X << "," << p.Y;
  for (TPoint p : c.White) EXPECT_EQ(Hex(PixelOf(*b, p.X, p.Y)), Hex(kClWhite)) << p.X << "," << p.Y;
}

INSTANTIATE_TEST_SUITE_P(
    Tips, ShapePointing,
    ::testing::Values(
        // The triangle's tip is grid (8, 1), its base the bottom row.
        TPointingCase{"DefaultRight", shaTriangle, sorDefault, false, {{14, 7}, {0, 0}, {0, 14}}, {{14, 0}, {14, 14}}},
        TPointingCase{"Up", shaTriangle, sorUp, false, {{7, 0}, {0, 14}, {14, 14}}, {{0, 0}, {14, 0}}},
        TPointingCase{"Left", shaTriangle, sorLeft, false, {{0, 7}, {14, 0}, {14, 14}}, {{0, 0}, {0, 14}}},
        TPointingCase{"DownMirrored", shaTriangle, sorDown, true, {{7, 14}, {0, 0}, {14, 0}}, {{0, 14}, {14, 14}}},
        // Mirroring comes before turning: the right-angled half swaps sides.
        TPointingCase{"HalfUp", shaTriangleRect, sorUp, false, {{14, 0}, {14, 14}}, {{0, 14}}},
        TPointingCase{"HalfUpMirrored", shaTriangleRect, sorUp, true, {{0, 0}, {0, 14}}, {{14, 14}}},
        TPointingCase{"HalfRightMirrored", shaTriangleRect, sorRight, true, {{14, 0}, {14, 14}}, {{0, 14}}}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST(ShapeGrid, RoundRectCornersAreHalfTheSmallerSide) {
  TRect r(0, 0, 40, 10);
  EXPECT_EQ(RoundRectCorner(r), 5);
  TRegion region = ShapeRegion(r, shaRoundRect);
  EXPECT_TRUE(region == TRegion::RoundRect(r, 5, 5));
  EXPECT_FALSE(region == TRegion::RoundRect(r, 8, 8));
  EXPECT_FALSE(region.Contains({0, 0}));
  EXPECT_TRUE(region.Contains({3, 0}));
}

// Upright in a tall box: a square's diagonal on top of a rectangle. Turned
// right (its default) in 40 x 24: the full-height part on the left, the
// slope running up to the right-hand top corner.
TEST(ShapeGrid, PoliRectEndsInADiagonal) {
  TRegion region = ShapeRegion(TRect(0, 0, 40, 24), shaPoliRect);
  for (TPoint in : {TPoint{1, 22}, TPoint{14, 22}, TPoint{30, 2}, TPoint{37, 0}})
    EXPECT_TRUE(region.Contains(in)) << in.X << "," << in.Y;
  for (TPoint out : {TPoint{30, 20}, TPoint{30, 12}, TPoint{39, 3}})
    EXPECT_FALSE(region.Contains(out)) << out.X << "," << out.Y;
  // In a wide box upright, the square meets the bottom: a triangle.
  TRegion upright = ShapeRegion(TRect(0, 0, 40, 24), shaPoliRect, sorUp);
  EXPECT_TRUE(upright.Contains({2, 20}));
  EXPECT_FALSE(upright.Contains({20, 2}));
  EXPECT_FALSE(upright.Contains({25, 22}));
}

// ---- Nothing to draw ----

TEST(ShapeEdges, EmptyRectanglesAndUnknownShapesDrawNothing) {
  struct TCase {
    TRect Rect;
    int Shape;
  };
  for (TCase c : {TCase{TRect(5, 5, 5, 20), shaRectangle}, TCase{TRect(5, 5, 20, 4), shaTriangle},
                  TCase{TRect(0, 0, 20, 20), kKyShapeCount}, TCase{TRect(0, 0, 20, 20), 200}}) {
    auto shape = static_cast<TKyShapes>(c.Shape);
    EXPECT_TRUE(ShapeRegion(c.Rect, shape).IsEmpty());
    auto b = WhiteBitmap(24, 24);
    PaintShape(*b->Canvas(), c.Rect, spmFilled, 1, kClBlack, pesSolid, kClBlack, brsSolid, false, shape, sorDefault);
    PaintShape(*b->Canvas(), c.Rect, spmMask, 1, kClBlack, pesSolid, kClBlack, brsSolid, false, shape, sorDefault);
    EXPECT_EQ(PixelsNot(*b, kClWhite).Count(), 0);
  }
}

// ---- Painting ----

TEST(PaintShape, RestoresThePenAndBrush) {
  auto b = WhiteBitmap(30, 30);
  TCanvas& c = *b->Canvas();
  c.Pen()->SetColor(kClRed);
  c.Pen()->SetStyle(psDash);
  c.Pen()->SetWidth(3);
  c.Pen()->SetMode(pmXor);
  c.Brush()->SetColor(kClBlue);
  c.Brush()->SetStyle(bsCross);
  for (auto mode : {spmMask, spmOutline, spmFilled})
    for (auto style : {brsSolid, brsGrid, brsDiagCross}) {
      PaintShape(c, TRect(2, 2, 28, 28), mode, 2, kClGreen, pesDot, kClYellow, style, false, shaStar, sorDefault);
      PaintShape(c, TRect(2, 2, 2, 28), mode, 2, kClGreen, pesDot, kClYellow, style, false, shaStar, sorDefault);
    }
  EXPECT_EQ(c.Pen()->Color(), kClRed);
  EXPECT_EQ(c.Pen()->Style(), psDash);
  EXPECT_EQ(c.Pen()->Width(), 3);
  EXPECT_EQ(c.Pen()->Mode(), pmXor);
  EXPECT_EQ(c.Brush()->Color(), kClBlue);
  EXPECT_EQ(c.Brush()->Style(), bsCross);
  EXPECT_EQ(c.Brush()->Bitmap(), nullptr);
}

// Wide pens: the stroke stays inside the rectangle and reaches its edges.
TEST(PaintShape, WidePensStayInside) {
  for (int width : {1, 2, 3, 4, 5}) {
    SCOPED_TRACE(width);
    auto b = WhiteBitmap(40, 40);
    TRect r(5, 6, 30, 27);
    PaintShape(*b->Canvas(), r, spmOutline, width, kClBlack, pesSolid, kClWhite, brsClear, false, shaRectangle,
               sorUp);
    TPixelSet on = PixelsNot(*b, kClWhite);
    for (int y = 0; y < 40; ++y)
      for (int x = 0; x < 40; ++x)
        if (on.At(x, y)) {
          EXPECT_TRUE(r.Contains({x, y})) << x << "," << y;
        }
    EXPECT_TRUE(on.At(r.Left, 15));
    EXPECT_TRUE(on.At(r.Right - 1, 15));
    EXPECT_TRUE(on.At(15, r.Top));
    EXPECT_TRUE(on.At(15, r.Bottom - 1));
    EXPECT_TRUE(on.At(r.Left + width - 1, 15));
    EXPECT_FALSE(on.At(r.Left + width, 15));
  }
}

TEST(PaintShape, FilledWithoutPenHasNoDarkOutline) {
  auto b = WhiteBitmap(30, 30);
  PaintShape(*b->Canvas(), TRect(0, 0, 30, 30), spmFilled, 1, kClBlack, pesClear, kClRed, brsSolid, false, shaEllipse,
             sorUp);
  auto mask = WhiteBitmap(30, 30);
  PaintShape(*mask->Canvas(), TRect(0, 0, 30, 30), spmMask, 1, kClBlack, pesSolid, kClBlack, brsSolid, false,
             shaEllipse, sorUp);
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 30; ++x) {
      TKyColor c = PixelOf(*b, x, y);
      ASSERT_TRUE(c == kClRed || c == kClWhite) << x << "," << y << " " << Hex(c);
      // The fill reaches the edge: just where the mask is.
      ASSERT_EQ(c == kClRed, PixelOf(*mask, x, y) == kClBlack) << x << "," << y;
    }
}

TEST(PaintShape, OutlineLeavesTheInsideAlone) {
  auto b = WhiteBitmap(30, 30, kClLime);
  PaintShape(*b->Canvas(), TRect(0, 0, 30, 30), spmOutline, 1, kClBlue, pesSolid, kClRed, brsSolid, false,
             shaRectangle, sorUp);
  EXPECT_EQ(PixelOf(*b, 15, 15), kClLime);
  EXPECT_EQ(PixelOf(*b, 0, 15), kClBlue);
  EXPECT_EQ(PixelOf(*b, 29, 29), kClBlue);
}

// Hatched and grid fills let the canvas show between their lines.
struct THatchCase {
  const char* Name;
  TKyBrushStyle Style;
  TKyColor Brush;
  TKyColor Pen;
};

class HatchFill : public ::testing::TestWithParam<THatchCase> {};

TEST_P(HatchFill, BackgroundShowsBetweenTheLines) {
  const THatchCase& c = GetParam();
  const TKyColor back = KyRGB(0, 128, 64);
  auto b = WhiteBitmap(40, 40, back);
  TRect r(4, 4, 36, 36);
  PaintShape(*b->Canvas(), r, spmFilled, 1, c.Pen, pesSolid, c.Brush, c.Style, false, shaRectangle, sorUp);
  int brush = 0, shown = 0, other = 0;
  for (int y = r.Top + 1; y < r.Bottom - 1; ++y)
    for (int x = r.Left + 1; x < r.Right - 1; ++x) {
      TKyColor p = PixelOf(*b, x, y);
      if (p == c.Brush) ++brush;
      else if (p == back) ++shown;
      else ++other;
      if (c.Style == brsGrid) {
        // The checkerboard's white squares are the see-through ones.
        EXPECT_EQ(p, (x % 2) == (y % 2) ? back : c.Brush) << x << "," << y;
      }
    }
  EXPECT_GT(brush, 0);
  EXPECT_GT(shown, 0);
  EXPECT_EQ(other, 0);
  EXPECT_EQ(PixelOf(*b, r.Left, 20), c.Pen);
  EXPECT_EQ(PixelOf(*b, 2, 20), back);
}

INSTANTIATE_TEST_SUITE_P(Styles, HatchFill,
                         ::testing::Values(THatchCase{"DiagCross", brsDiagCross, kClBlue, kClBlue},
                                           THatchCase{"WhiteHatch", brsHorizontal, kClWhite, kClRed},
                                           THatchCase{"WhiteOnBlack", brsVertical, kClWhite, kClBlack},
                                           THatchCase{"RedWithWhitePen", brsBDiagonal, kClRed, kClWhite},
                                           THatchCase{"Grid", brsGrid, kClNavy, kClNavy}),
                         [](const auto& info) { return std::string(info.param.Name); });

TEST(PaintShape, SolidGridPatternIsACheckerboard) {
  TBitmap& pattern = GridPattern(kClMaroon);
  ASSERT_EQ(pattern.Width(), 8);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) EXPECT_EQ(PixelOf(pattern, x, y), (x % 2) == (y % 2) ? kClWhite : kClMaroon);
  // The same bitmap, repainted.
  EXPECT_EQ(&GridPattern(kClBlue), &pattern);
  EXPECT_EQ(PixelOf(pattern, 1, 0), kClBlue);
}

// ---- Clipping to a shape ----

TEST(ShapeClip, PaintsOnlyInsideAndRestoresTheClip) {
  auto b = WhiteBitmap(40, 30);
  TCanvas& c = *b->Canvas();
  c.SetClipRect(TRect(0, 0, 35, 30));  // an existing clip comes back afterwards
  TRect r(2, 3, 38, 27);
  {
    TKyShapeClip clip(c, r, shaDonut);
    c.Brush()->SetColor(kClBlue);
    c.FillRect(TRect(0, 0, 40, 30));
  }
  TRegion expected = TRegion::Combine(ShapeRegion(r, shaDonut), TRegion::Rect(TRect(0, 0, 35, 30)), rgnAnd);
  EXPECT_EQ(Differences(PixelsNot(*b, kClWhite), PixelsOf(expected, 40, 30)), "");
  c.Brush()->SetColor(kClRed);
  c.FillRect(TRect(0, 0, 40, 30));
  EXPECT_EQ(PixelOf(*b, 34, 1), kClRed);
  EXPECT_EQ(PixelOf(*b, 36, 1), kClWhite);
}

// Clip regions live in device coordinates: a DC whose window origin is
// moved still clips to the shape where its drawing lands.
TEST(ShapeClip, FollowsTheWindowOrigin) {
  for (TPoint origin : {TPoint{0, 0}, TPoint{10, 5}, TPoint{-4, -3}}) {
    SCOPED_TRACE(testing::Message() << origin.X << "," << origin.Y);
    auto b = WhiteBitmap(40, 30);
    TCanvas& c = *b->Canvas();
    SetWindowOrgEx(c.Handle(), origin.X, origin.Y, nullptr);
    TRect logical = TRect(4, 3, 36, 27).Offset(origin.X, origin.Y);
    {
      TKyShapeClip clip(c, logical, shaPlus);
      c.Brush()->SetColor(kClBlue);
      c.FillRect(TRect(-20, -20, 60, 60));
    }
    SetWindowOrgEx(c.Handle(), 0, 0, nullptr);
    EXPECT_EQ(Differences(PixelsNot(*b, kClWhite), PixelsOf(ShapeRegion(TRect(4, 3, 36, 27), shaPlus), 40, 30)), "");
  }
}

// ---- The 3D frame ----

TEST(Frame3D, EdgesAndCornersByColour) {
  const TKyColor light = KyRGB(250, 250, 200), shadow = KyRGB(60, 60, 90), inside = kClWhite;
  TRect r(2, 3, 12, 10);
  struct TSpot {
    TPoint P;
    int Which;  // 0 light, 1 shadow, 2 untouched
  };
  const TSpot spots[] = {{{2, 3}, 0},  {{6, 3}, 0},  {{10, 3}, 0}, {{11, 3}, 1}, {{2, 6}, 0}, {{2, 9}, 1},
                         {{11, 6}, 1}, {{6, 9}, 1},  {{11, 9}, 1}, {{6, 6}, 2},  {{1, 3}, 2}, {{12, 6}, 2},
                         {{6, 2}, 2},  {{6, 10}, 2}};
  for (bool down : {false, true}) {
    SCOPED_TRACE(down ? "down" : "up");
    auto b = WhiteBitmap(14, 12);
    b->Canvas()->Pen()->SetWidth(4);
    Frame3DRect(*b->Canvas(), r, light, down, shadow);
    EXPECT_EQ(b->Canvas()->Pen()->Width(), 4);
    for (const TSpot& s : spots) {
      TKyColor want = s.Which == 2 ? inside : (s.Which == 0) != down ? light : shadow;
      EXPECT_EQ(Hex(PixelOf(*b, s.P.X, s.P.Y)), Hex(want)) << s.P.X << "," << s.P.Y;
    }
  }
}

// ---- Bevelled regions ----

TEST(ShapeBevel, OutputRegionIsTheOutlineGrownByOne) {
  TRect r(0, 0, 20, 10);
  EXPECT_TRUE(ShapeBevelRegion(r, bosNone, {}) == TRegion::Rect(TRect(-1, -1, 21, 11)));
  EXPECT_TRUE(ShapeBevelRegion(r, bos3D, {}) == TRegion::Rect(r));
  EXPECT_TRUE(ShapeBevelRegion(r, bosSingle, {}) == TRegion::Rect(r));
  // Any shape: the grown region holds every neighbour of the outline.
  TKyBevelShape star{shaStar, sorDefault, false, nullptr};
  TRegion outline = BevelOutline(r, bos3D, star);
  TRegion grown = ShapeBevelRegion(r, bos3D, star);
  for (int y = -2; y < 12; ++y)
    for (int x = -2; x < 22; ++x) {
      bool beside = false;
      for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx) beside = beside || outline.Contains({x + dx, y + dy});
      EXPECT_EQ(grown.Contains({x, y}), beside) << x << "," << y;
    }
}

TEST(ShapeBevel, ThreeDRingAroundTheBackground) {
  TSkinApp app;
  app.BackGround("sbBevel", 0, kClBlack, kClBlack, KyRGB(10, 200, 30));
  TKySetBackGround set(nullptr, "sbBevel");
  const TKyColor light = ColorToRGB(kClBtnHighlight), shadow = ColorToRGB(kClBtnShadow), fill = KyRGB(10, 200, 30);
  TRect r(0, 0, 20, 12);
  for (bool down : {false, true}) {
    SCOPED_TRACE(down ? "down" : "up");
    auto b = WhiteBitmap(22, 14, kClFuchsia);
    PaintShapeBevel(*b->Canvas(), r, bos3D, {}, down, &set);
    TKyColor first = down ? shadow : light, second = down ? light : shadow;
    EXPECT_EQ(Hex(PixelOf(*b, 0, 5)), Hex(first));
    EXPECT_EQ(Hex(PixelOf(*b, 10, 0)), Hex(first));
    EXPECT_EQ(Hex(PixelOf(*b, 19, 5)), Hex(second));
    EXPECT_EQ(Hex(PixelOf(*b, 10, 11)), Hex(second));
    EXPECT_EQ(Hex(PixelOf(*b, 10, 5)), Hex(fill));
    EXPECT_EQ(Hex(PixelOf(*b, 20, 5)), Hex(kClFuchsia));
    // The clip was given back.
    b->Canvas()->Brush()->SetColor(kClBlue);
    b->Canvas()->FillRect(TRect(0, 0, 22, 14));
    EXPECT_EQ(PixelOf(*b, 21, 13), kClBlue);
  }
}

TEST(ShapeBevel, SingleBorderIsARingOfTheBoxColour) {
  TSkinApp app;
  app.BackGround("sbRing", 0, kClBlack, kClBlack, kClYellow);
  TKySetBackGround set(nullptr, "sbRing");
  auto b = WhiteBitmap(24, 24);
  PaintShapeBevel(*b->Canvas(), TRect(0, 0, 24, 24), bosSingle, {shaEllipse, sorDefault, false, nullptr}, false, &set);
  const TKyColor box = ColorToRGB(DftColBox().Value());
  // Along the middle row from either side: white, one ring pixel, the fill.
  for (int dir : {1, -1}) {
    int x = dir > 0 ? 0 : 23;
    while (PixelOf(*b, x, 12) == kClWhite) x += dir;
    EXPECT_EQ(Hex(PixelOf(*b, x, 12)), Hex(box)) << x;
    EXPECT_EQ(Hex(PixelOf(*b, x + dir, 12)), Hex(kClYellow)) << x;
  }
  EXPECT_EQ(Hex(PixelOf(*b, 12, 12)), Hex(kClYellow));
  EXPECT_EQ(Hex(PixelOf(*b, 1, 1)), Hex(kClWhite));
}

// An image's outline comes from its region data, placed at the rectangle;
// the picture shows inside it, moved by one pixel when down.
TEST(ShapeBevel, ImageOutlineAndPicture) {
  TSkinApp app;
  auto picture = WhiteBitmap(12, 10, kClRed);
  app.Picture(3, *picture);
  TRegion outline = TRegion::Rect(TRect(2, 2, 10, 8));
  outline.Combine(TRegion::Rect(TRect(0, 4, 12, 6)), rgnOr);
  app.display->UserImages().Find(3)->SetRegion1(outline.Data());
  TKyMemoryImage image;
  image.SetReference("User", 3);
  TKyBevelShape source;
  source.Image = &image;

  TRect r(5, 5, 19, 17);
  TRegion placed = outline.Clone();
  placed.Offset(6, 6);  // the inset rectangle's corner
  EXPECT_TRUE(BevelOutline(r, bos3D, source) == placed);
  EXPECT_TRUE(BevelOutline(r, bosNone, source) == outline.Clone().Offset(5, 5));

  for (bool down : {false, true}) {
    auto b = WhiteBitmap(24, 22);
    PaintShapeBevel(*b->Canvas(), r, bos3D, source, down, nullptr);
    for (int y = 0; y < 22; ++y)
      for (int x = 0; x < 24; ++x)
        if (placed.Contains({x, y})) {
          // Down moves the picture, not the outline: its first column and
          // row keep the ring's paint.
          bool covered = !down || (x >= 7 && y >= 7);
          ASSERT_EQ(PixelOf(*b, x, y) == kClRed, covered) << x << "," << y << " " << down;
        }
  }
  // No region data, or damaged data: the whole inset rectangle.
  for (std::vector<uint8_t> data : {std::vector<uint8_t>{}, std::vector<uint8_t>{1, 2, 3, 4, 5}}) {
    app.display->UserImages().Find(3)->SetRegion1(data);
    EXPECT_TRUE(BevelOutline(r, bosSingle, source) == TRegion::Rect(TRect(6, 6, 18, 16)));
  }
}

// ---- Region growth ----

TEST(RegionGrowth, ThickenAndTile) {
  TRegion r = TRegion::Rect(TRect(0, 0, 2, 2));
  ThickenRegion(r, 3, true);
  EXPECT_TRUE(r == TRegion::Rect(TRect(0, 0, 5, 2)));
  ThickenRegion(r, 2, false);
  EXPECT_TRUE(r == TRegion::Rect(TRect(0, 0, 5, 4)));

  TRegion tiles = TileRegion(TRegion::Rect(TRect(1, 0, 4, 2)), 5, true, TRect(0, 0, 13, 2));
  TRegion want = TRegion::Rect(TRect(1, 0, 4, 2));
  want.Combine(TRegion::Rect(TRect(6, 0, 9, 2)), rgnOr).Combine(TRegion::Rect(TRect(11, 0, 13, 2)), rgnOr);
  EXPECT_TRUE(tiles == want);
  TRegion down = TileRegion(TRegion::Rect(TRect(0, 0, 2, 3)), 4, false, TRect(0, 0, 2, 10));
  EXPECT_TRUE(down.Contains({0, 9}));
  EXPECT_FALSE(down.Contains({0, 3}));
  EXPECT_FALSE(down.Contains({0, 10}));
}

// ---- Resources ----

TEST(ShapeResources, PaintingLeavesNoGdiObjects) {
  auto b = WhiteBitmap(40, 30, kClSilver);
  TCanvas& c = *b->Canvas();
  auto paintAll = [&] {
    for (int s = 0; s < kKyShapeCount; s += 3)
      for (auto mode : {spmMask, spmOutline, spmFilled})
        for (auto style : {brsSolid, brsClear, brsDiagCross, brsGrid}) {
          PaintShape(c, TRect(1, 1, 39, 29), mode, 2, kClRed, pesDash, kClBlue, style, true,
                     static_cast<TKyShapes>(s), sorLeft);
        }
    { TKyShapeClip clip(c, TRect(0, 0, 40, 30), shaCancel); }
    Frame3DRect(c, TRect(0, 0, 40, 30), kClWhite, true, kClBlack);
    PaintShapeBevel(c, TRect(0, 0, 40, 30), bos3D, {shaOctagon, sorDefault, false, nullptr}, true, &DftBackGround());
    (void)ShapeBevelRegion(TRect(0, 0, 40, 30), bosSingle, {shaOk, sorDefault, false, nullptr});
  };
  paintAll();  // the grid pattern and the canvas's own objects come once
  DWORD before = GdiObjects();
  for (int i = 0; i < 3; ++i) paintAll();
  EXPECT_EQ(GdiObjects(), before);
}

}  // namespace
