// The background painter and its pattern fills, read back from memory
// bitmaps.
#include "skin/Fills.h"

#include <gtest/gtest.h>

#include <set>

#include "SkinTestSupport.h"
#include "platform/graphics/Jpeg.h"

using namespace ky_test;

namespace {

const TKyColor kC1 = KyRGB(200, 10, 60);
const TKyColor kC2 = KyRGB(20, 120, 250);
const TKyColor kPlain = KyRGB(90, 90, 30);

// ---- Gradients ----

struct TGradientCase {
  uint8_t Kind;
  bool Vertical;
  bool Mirrored;
  TKyColor Start;  // at the near edge (and the far one when mirrored)
  TKyColor End;    // at the far edge, or at the centre when mirrored
};

class Gradient : public ::testing::TestWithParam<TGradientCase> {};

// Along the gradient each channel moves steadily from the start colour to
// the end colour (to the centre and back when mirrored); across it the
// colour stays.
TEST_P(Gradient, EndsAndSteadyInBetween) {
  const TGradientCase& c = GetParam();
  for (TSize size : {TSize(60, 40), TSize(37, 23), TSize(250, 130)}) {
    SCOPED_TRACE(testing::Message() << size.cx << "x" << size.cy);
    auto b = WhiteBitmap(size.cx + 4, size.cy + 4);
    TRect r = TRect::Bounds(2, 2, size.cx, size.cy);
    FillPattern(*b->Canvas(), r, c.Kind, kC1, kC2, kPlain, nullptr);
    int length = c.Vertical ? size.cy : size.cx;
    auto along = [&](int i, int across) {
      return c.Vertical ? PixelOf(*b, r.Left + across, r.Top + i) : PixelOf(*b, r.Left + i, r.Top + across);
    };
    EXPECT_EQ(Hex(along(0, 0)), Hex(c.Start));
    if (c.Mirrored) {
      EXPECT_EQ(Hex(along(length - 1, 0)), Hex(c.Start));
      EXPECT_EQ(Hex(along(length / 2, 0)), Hex(c.End));
    } else {
      EXPECT_EQ(Hex(along(length - 1, 0)), Hex(c.End));
    }
    int half = c.Mirrored ? (length + 1) / 2 : length;
    for (int i = 1; i < half; ++i) {
      TKyColor prev = along(i - 1, 0), cur = along(i, 0);
      for (auto channel : {KyRed, KyGreen, KyBlue}) {
        int step = channel(cur) - channel(prev);
        int way = channel(c.End) - channel(c.Start);
        EXPECT_TRUE(step == 0 || (step > 0) == (way > 0)) << "at " << i;
      }
    }
    if (c.Mirrored) {
      for (int i = 0; i < length; ++i) EXPECT_EQ(along(i, 0), along(length - 1 - i, 0)) << i;
    }
    int width = c.Vertical ? size.cx : size.cy;
    for (int i = 0; i < length; i += 7) EXPECT_EQ(along(i, 0), along(i, width - 1));
    EXPECT_EQ(PixelOf(*b, 1, 1), kClWhite);
    EXPECT_EQ(PixelOf(*b, r.Right, r.Bottom), kClWhite);
  }
}

INSTANTIATE_TEST_SUITE_P(Kinds, Gradient,
                         ::testing::Values(TGradientCase{1, true, false, kC2, kC1}, TGradientCase{2, true, false, kC1, kC2},
                                           TGradientCase{3, false, false, kC2, kC1}, TGradientCase{4, false, false, kC1, kC2},
                                           TGradientCase{5, false, true, kC2, kC1}, TGradientCase{6, false, true, kC1, kC2},
                                           TGradientCase{7, true, true, kC2, kC1}, TGradientCase{8, true, true, kC1, kC2}),
                         [](const auto& info) { return "Kind" + std::to_string(info.param.Kind); });

TEST(GradientSteps, ColoursFollowTheSizeUpToAHundred) {
  struct TCase {
    int Size, Requested, Steps;
  };
  for (TCase c : {TCase{300, 0, 100}, TCase{20, 0, 20}, TCase{300, 10, 10}, TCase{20, 50, 20}, TCase{1, 0, 1}})
    EXPECT_EQ(GradientSteps(c.Size, c.Requested), c.Steps) << c.Size << " " << c.Requested;

  // Painted: as many different colours as bands, black to white.
  for (auto [height, bands] : {std::pair{300, 100}, std::pair{20, 20}}) {
    auto b = WhiteBitmap(4, height);
    FillPattern(*b->Canvas(), TRect(0, 0, 4, height), 2, kClBlack, kClWhite, kPlain, nullptr);
    std::set<TKyColor> colours;
    for (int y = 0; y < height; ++y) colours.insert(PixelOf(*b, 1, y));
    EXPECT_EQ(static_cast<int>(colours.size()), bands) << height;
  }
  // The bands tile the size without gaps.
  std::vector<TKyGradientBand> bands = GradientBands(3, 301, kC1, kC2);
  ASSERT_EQ(bands.size(), 100u);
  EXPECT_EQ(bands.front().From, 0);
  EXPECT_EQ(bands.back().To, 301);
  for (size_t i = 1; i < bands.size(); ++i) EXPECT_EQ(bands[i].From, bands[i - 1].To);
}

TEST(GradientSteps, SystemColoursAndOnePixel) {
  auto b = WhiteBitmap(3, 1);
  FillPattern(*b->Canvas(), TRect(0, 0, 3, 1), 2, kClBtnFace, kClWindow, kPlain, nullptr);
  EXPECT_EQ(Hex(PixelOf(*b, 0, 0)), Hex(ColorToRGB(kClBtnFace)));
  FillPattern(*b->Canvas(), TRect(0, 0, 1, 1), 6, kC1, kC2, kPlain, nullptr);
  EXPECT_EQ(Hex(PixelOf(*b, 0, 0)), Hex(kC1));
}

// ---- Plain and grid ----

TEST(PatternFill, GridRepeatsEveryTwoPixels) {
  for (TRect r : {TRect(0, 0, 16, 12), TRect(3, 5, 20, 18)}) {
    auto b = WhiteBitmap(24, 24, kClLime);
    FillPattern(*b->Canvas(), r, kFillGrid, kC1, kC2, kPlain, nullptr);
    for (int y = 0; y < 24; ++y)
      for (int x = 0; x < 24; ++x) {
        TKyColor want = !r.Contains({x, y}) ? kClLime : (x % 2) == (y % 2) ? kClWhite : kPlain;
        ASSERT_EQ(Hex(PixelOf(*b, x, y)), Hex(want)) << x << "," << y;
      }
  }
}

TEST(PatternFill, PlainAndUnknownKindsFillThePlainColour) {
  for (int kind : {0, 21, 255}) {
    auto b = WhiteBitmap(10, 10);
    FillPattern(*b->Canvas(), TRect(1, 1, 9, 9), static_cast<uint8_t>(kind), kC1, kC2, kPlain, nullptr);
    EXPECT_EQ(PixelOf(*b, 1, 1), kPlain);
    EXPECT_EQ(PixelOf(*b, 8, 8), kPlain);
    EXPECT_EQ(PixelOf(*b, 9, 9), kClWhite);
  }
}

// ---- Images ----

// A picture whose every pixel tells where it is; its bottom-left pixel (the
// transparent colour) appears again at (2, 0).
std::unique_ptr<TBitmap> CodedPicture(int w, int h) {
  auto p = std::make_unique<TBitmap>(w, h, pf24bit);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) p->Canvas()->SetPixels(x, y, KyRGB(static_cast<uint8_t>(20 + 30 * x), static_cast<uint8_t>(20 + 30 * y), 7));
  p->Canvas()->SetPixels(2, 0, KyRGB(20, static_cast<uint8_t>(20 + 30 * (h - 1)), 7));
  return p;
}

class ImageFill : public ::testing::Test {
protected:
  void SetUp() override {
    picture = CodedPicture(6, 4);
    app.Picture(1, *picture);
    image.SetReference("User", 1);
    missing.SetReference("User", 99);
  }
  TKyColor Pic(int x, int y) { return PixelOf(*picture, x, y); }

  TSkinApp app;
  std::unique_ptr<TBitmap> picture;
  TKyMemoryImage image;
  TKyMemoryImage missing;
};

TEST_F(ImageFill, StretchedOverTheRectangle) {
  auto b = WhiteBitmap(16, 12);
  FillPattern(*b->Canvas(), TRect(2, 2, 14, 10), kFillStretch, kC1, kC2, kPlain, &image);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 6; ++x) {
      EXPECT_EQ(Hex(PixelOf(*b, 2 + 2 * x, 2 + 2 * y)), Hex(Pic(x, y)));
      EXPECT_EQ(Hex(PixelOf(*b, 3 + 2 * x, 3 + 2 * y)), Hex(Pic(x, y)));
    }
  EXPECT_EQ(PixelOf(*b, 14, 10), kClWhite);
}

TEST_F(ImageFill, TiledFromTheTopLeftAndCutAtTheEdges) {
  auto b = WhiteBitmap(20, 14);
  TRect r(3, 1, 18, 12);  // 15 x 11: two and a half tiles across, under three down
  FillPattern(*b->Canvas(), r, kFillTile, kC1, kC2, kPlain, &image);
  for (int y = 0; y < 14; ++y)
    for (int x = 0; x < 20; ++x) {
      TKyColor want = r.Contains({x, y}) ? Pic((x - r.Left) % 6, (y - r.Top) % 4) : kClWhite;
      ASSERT_EQ(Hex(PixelOf(*b, x, y)), Hex(want)) << x << "," << y;
    }
}

struct TPlaceCase {
  uint8_t Kind;
  TPoint TopLeft;  // of the 6 x 4 picture in (0, 0, 20, 16)
};

class ImagePlaced : public ImageFill, public ::testing::WithParamInterface<TPlaceCase> {};

TEST_P(ImagePlaced, OnceAtItsPlaceThePlainColourAround) {
  const TPlaceCase& c = GetParam();
  TRect r(0, 0, 20, 16);
  EXPECT_EQ(ImagePlacement(c.Kind, r, {6, 4}).TopLeft(), c.TopLeft);
  auto b = WhiteBitmap(20, 16);
  FillPattern(*b->Canvas(), r, c.Kind, kC1, kC2, kPlain, &image);
  TRect placed = TRect::Bounds(c.TopLeft.X, c.TopLeft.Y, 6, 4);
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 20; ++x) {
      TKyColor want = placed.Contains({x, y}) ? Pic(x - placed.Left, y - placed.Top) : kPlain;
      ASSERT_EQ(Hex(PixelOf(*b, x, y)), Hex(want)) << x << "," << y;
    }
}

INSTANTIATE_TEST_SUITE_P(Positions, ImagePlaced,
                         ::testing::Values(TPlaceCase{11, {0, 0}}, TPlaceCase{12, {0, 6}}, TPlaceCase{13, {0, 12}},
                                           TPlaceCase{14, {7, 0}}, TPlaceCase{15, {7, 6}}, TPlaceCase{16, {7, 12}},
                                           TPlaceCase{17, {14, 0}}, TPlaceCase{18, {14, 6}}, TPlaceCase{19, {14, 12}}),
                         [](const auto& info) { return "Kind" + std::to_string(info.param.Kind); });

// A picture larger than the rectangle: centred ones lose both sides, the
// others the side away from their edge.
TEST_F(ImageFill, LargerPicturesAreCut) {
  struct TCase {
    uint8_t Kind;
    TPoint Shown;  // picture pixel at the rectangle's top-left
  };
  for (TCase c : {TCase{11, {0, 0}}, TCase{15, {1, 1}}, TCase{19, {2, 2}}, TCase{17, {2, 0}}, TCase{13, {0, 2}}}) {
    auto b = WhiteBitmap(6, 4);
    TRect r(1, 1, 5, 3);  // 4 x 2
    FillPattern(*b->Canvas(), r, c.Kind, kC1, kC2, kPlain, &image);
    for (int y = 0; y < 2; ++y)
      for (int x = 0; x < 4; ++x)
        EXPECT_EQ(Hex(PixelOf(*b, 1 + x, 1 + y)), Hex(Pic(c.Shown.X + x, c.Shown.Y + y)))
            << int(c.Kind) << " " << x << "," << y;
    EXPECT_EQ(PixelOf(*b, 0, 0), kClWhite);
    EXPECT_EQ(PixelOf(*b, 5, 3), kClWhite);
  }
}

TEST_F(ImageFill, TransparentPicturesShowThePlainColour) {
  for (uint8_t kind : {kFillStretch, kFillTile, uint8_t(11)}) {
    SCOPED_TRACE(int(kind));
    auto b = WhiteBitmap(6, 4);
    FillPattern(*b->Canvas(), TRect(0, 0, 6, 4), kind, kC1, kC2, kPlain, &image, 0, true);
    EXPECT_EQ(Hex(PixelOf(*b, 0, 3)), Hex(kPlain));
    EXPECT_EQ(Hex(PixelOf(*b, 2, 0)), Hex(kPlain));
    EXPECT_EQ(Hex(PixelOf(*b, 1, 1)), Hex(Pic(1, 1)));
  }
}

TEST_F(ImageFill, MissingPicturesFillThePlainColour) {
  for (uint8_t kind = kFillStretch; kind <= kFillPlacedLast; ++kind) {
    for (TKyMemoryImage* ref : {&missing, static_cast<TKyMemoryImage*>(nullptr)}) {
      auto b = WhiteBitmap(8, 8);
      FillPattern(*b->Canvas(), TRect(0, 0, 8, 8), kind, kC1, kC2, kPlain, ref);
      EXPECT_EQ(PixelsNot(*b, kPlain).Count(), 0) << int(kind);
    }
  }
}

// JPEG pictures go through the same paths (colours within the codec's loss).
TEST_F(ImageFill, JpegPicturesArePlacedToo) {
  auto halves = WhiteBitmap(16, 16, kClRed);
  halves->Canvas()->Brush()->SetColor(kClBlue);
  halves->Canvas()->FillRect(TRect(8, 0, 16, 16));
  TJPEGImage jpeg;
  jpeg.Assign(halves.get());
  TMemoryStream bytes;
  jpeg.SaveToStream(bytes);
  app.display->UserImages().AddImage(7)->SetPicture("TJPEGImage", bytes.Data(), 16, 16);
  TKyMemoryImage ref;
  ref.SetReference("User", 7);
  auto b = WhiteBitmap(30, 30);
  FillPattern(*b->Canvas(), TRect(0, 0, 30, 30), 15, kC1, kC2, kPlain, &ref);
  EXPECT_TRUE(Near(PixelOf(*b, 9, 15), kClRed, 40)) << Hex(PixelOf(*b, 9, 15));
  EXPECT_TRUE(Near(PixelOf(*b, 20, 15), kClBlue, 40)) << Hex(PixelOf(*b, 20, 15));
  EXPECT_EQ(Hex(PixelOf(*b, 3, 3)), Hex(kPlain));
  EXPECT_EQ(Hex(PixelOf(*b, 26, 26)), Hex(kPlain));
}

// Damaged picture data is no picture: the plain colour.
TEST_F(ImageFill, DamagedPicturesFillThePlainColour) {
  app.display->UserImages().AddImage(8)->SetPicture("TBitmap", {'B', 'M', 1, 2, 3}, 4, 4);
  TKyMemoryImage ref;
  ref.SetReference("User", 8);
  auto b = WhiteBitmap(8, 8);
  FillPattern(*b->Canvas(), TRect(0, 0, 8, 8), kFillTile, kC1, kC2, kPlain, &ref);
  EXPECT_EQ(PixelsNot(*b, kPlain).Count(), 0);
}

// ---- Background sets ----

TEST_F(ImageFill, BackGroundSetsByKind) {
  app.BackGround("sbPlain", 0, kC1, kC2, kPlain);
  app.BackGround("sbDown", 2, kC1, kC2, kPlain);
  app.BackGround("sbPicture", 19, kC1, kC2, kPlain, 1, true);
  TKySetBackGround plain(nullptr, "SBPLAIN"), down(nullptr, "sbDown"), picture(nullptr, "sbPicture"),
      absent(nullptr, "sb99");
  auto b = WhiteBitmap(20, 16);
  PaintBackGround(*b->Canvas(), TRect(0, 0, 20, 16), plain);
  EXPECT_EQ(PixelsNot(*b, kPlain).Count(), 0);
  PaintBackGround(*b->Canvas(), TRect(0, 0, 20, 16), down);
  EXPECT_EQ(Hex(PixelOf(*b, 5, 0)), Hex(kC1));
  EXPECT_EQ(Hex(PixelOf(*b, 5, 15)), Hex(kC2));
  PaintBackGround(*b->Canvas(), TRect(0, 0, 20, 16), picture);
  EXPECT_EQ(Hex(PixelOf(*b, 15, 13)), Hex(Pic(1, 1)));
  EXPECT_EQ(Hex(PixelOf(*b, 14, 15)), Hex(kPlain));  // the transparent corner
  EXPECT_EQ(Hex(PixelOf(*b, 0, 0)), Hex(kPlain));
  // Not in the package: the colour of the set object's fallback chain.
  PaintBackGround(*b->Canvas(), TRect(0, 0, 20, 16), absent);
  EXPECT_EQ(PixelsNot(*b, ColorToRGB(absent.Value())).Count(), 0);
  EXPECT_EQ(Hex(ColorToRGB(absent.Value())), Hex(ColorToRGB(kClBtnFace)));
}

TEST(BackGround, WithoutADisplayPackageTheSetReportsItsColour) {
  TKyDefaultSetBackGround set("sbLoose", kClAqua);
  auto b = WhiteBitmap(5, 5);
  PaintBackGround(*b->Canvas(), TRect(0, 0, 5, 5), set);
  EXPECT_EQ(PixelsNot(*b, kClAqua).Count(), 0);
}

// The clip-aware form paints a part of the owner's background, seamlessly.
TEST(BackGround, ClippedPartContinuesTheOwnersBackground) {
  TSkinApp app;
  app.BackGround("sbAcross", 4, kClBlack, kClWhite, kPlain);
  TKySetBackGround set(nullptr, "sbAcross");
  TRect owner(-10, -4, 30, 24);
  auto whole = WhiteBitmap(20, 20);
  PaintBackGround(*whole->Canvas(), owner, set);

  auto part = WhiteBitmap(20, 20);
  TCanvas& c = *part->Canvas();
  c.SetClipRect(TRect(0, 0, 18, 20));
  TRect paint(5, 5, 19, 15), excluded(8, 8, 10, 10);
  PaintBackGround(c, paint, excluded, set, owner);
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 20; ++x) {
      bool painted = paint.Contains({x, y}) && !excluded.Contains({x, y}) && x < 18;
      ASSERT_EQ(Hex(PixelOf(*part, x, y)), Hex(painted ? PixelOf(*whole, x, y) : kClWhite)) << x << "," << y;
    }
  // The canvas's own clip is back.
  c.Brush()->SetColor(kClRed);
  c.FillRect(TRect(0, 0, 20, 20));
  EXPECT_EQ(PixelOf(*part, 17, 0), kClRed);
  EXPECT_EQ(PixelOf(*part, 18, 0), kClWhite);
}

// A shape filled with a background set: the pattern inside, the canvas
// untouched outside.
TEST(BackGround, ShapeShowsThePatternInsideOnly) {
  TSkinApp app;
  app.BackGround("sbShape", 6, kC1, kC2, kPlain);
  app.BackGround("sbFlat", 0, kC1, kC2, kPlain);
  TKySetBackGround set(nullptr, "sbShape"), flat(nullptr, "sbFlat");
  TRect r(3, 2, 43, 26);
  for (TKyShapes shape : {shaEllipse, shaStar, shaDonut, shaArrowBar2}) {
    SCOPED_TRACE(EnumInfo(shape).Name(shape));
    auto full = WhiteBitmap(46, 28);
    FillPattern(*full->Canvas(), r, 6, kC1, kC2, kPlain, nullptr);
    auto mask = WhiteBitmap(46, 28);
    PaintShape(*mask->Canvas(), r, spmMask, 1, kClBlack, pesSolid, kClBlack, brsSolid, false, shape, sorDefault);

    auto b = WhiteBitmap(46, 28, kClLime);
    PaintShapeBackGround(*b->Canvas(), r, set, shape);
    auto f = WhiteBitmap(46, 28, kClLime);
    PaintShapeBackGround(*f->Canvas(), r, flat, shape);
    for (int y = 0; y < 28; ++y)
      for (int x = 0; x < 46; ++x) {
        bool inside = PixelOf(*mask, x, y) == kClBlack && r.Contains({x, y});
        ASSERT_EQ(Hex(PixelOf(*b, x, y)), Hex(inside ? PixelOf(*full, x, y) : kClLime)) << x << "," << y;
        ASSERT_EQ(Hex(PixelOf(*f, x, y)), Hex(inside ? kPlain : kClLime)) << x << "," << y;
      }
  }
}

// ---- The shared palette ----

TEST(SkinPalette, CubeGreysAndStaticColours) {
  std::vector<TPaletteEntry> system(256);
  for (size_t i = 0; i < system.size(); ++i) system[i] = {uint8_t(i), uint8_t(255 - i), 1, 0};
  std::vector<TPaletteEntry> p = SkinPaletteEntries(system);
  ASSERT_EQ(p.size(), 256u);
  for (int i = 0; i < 10; ++i) {
    EXPECT_EQ(p[i], system[i]);
    EXPECT_EQ(p[246 + i], system[246 + i]);
  }
  // Red fastest, then green, then blue.
  EXPECT_EQ(p[10], (TPaletteEntry{0, 0, 0, kPcNoCollapse}));
  EXPECT_EQ(p[11], (TPaletteEntry{51, 0, 0, kPcNoCollapse}));
  EXPECT_EQ(p[16], (TPaletteEntry{0, 51, 0, kPcNoCollapse}));
  EXPECT_EQ(p[46], (TPaletteEntry{0, 0, 51, kPcNoCollapse}));
  EXPECT_EQ(p[225], (TPaletteEntry{255, 255, 255, kPcNoCollapse}));
  EXPECT_EQ(p[226], (TPaletteEntry{0, 0, 0, kPcNoCollapse}));
  EXPECT_EQ(p[245], (TPaletteEntry{247, 247, 247, kPcNoCollapse}));
  // Twenty static colours of a short list: its first and last ten.
  std::vector<TPaletteEntry> stock = PaletteEntries(nullptr);
  ASSERT_EQ(stock.size(), 20u);
  std::vector<TPaletteEntry> q = SkinPaletteEntries(stock);
  EXPECT_EQ(q[9], stock[9]);
  EXPECT_EQ(q[246], stock[10]);
  EXPECT_EQ(q[255], stock[19]);
}

TEST(SkinPalette, NoneOnTrueColourScreens) {
  ASSERT_NE(ScreenColorDepth(), 8) << "the test display is expected to be true colour";
  EXPECT_EQ(SkinPalette(), nullptr);
}

// ---- Resources ----

TEST_F(ImageFill, PaintingLeavesNoGdiObjects) {
  app.BackGround("sbLeak", 6, kC1, kC2, kPlain);
  app.BackGround("sbLeakImage", 10, kC1, kC2, kPlain, 1, true);
  TKySetBackGround set(nullptr, "sbLeak"), tiled(nullptr, "sbLeakImage");
  auto b = WhiteBitmap(30, 20);
  TCanvas& c = *b->Canvas();
  auto paintAll = [&] {
    for (int kind = 0; kind < kFillKindCount; ++kind)
      FillPattern(c, TRect(0, 0, 30, 20), static_cast<uint8_t>(kind), kC1, kC2, kPlain, &image, 0, kind % 2 == 0);
    PaintBackGround(c, TRect(0, 0, 30, 20), set);
    PaintBackGround(c, TRect(2, 2, 20, 10), TRect(3, 3, 5, 5), tiled, TRect(-5, -5, 40, 40));
    PaintShapeBackGround(c, TRect(0, 0, 30, 20), set, shaHexagon);
    PaintShapeBackGround(c, TRect(0, 0, 30, 20), tiled, shaRhombus);
  };
  paintAll();
  DWORD before = GdiObjects();
  for (int i = 0; i < 3; ++i) paintAll();
  EXPECT_EQ(GdiObjects(), before);
}

}  // namespace

// ---- Progress bars ----

TEST(Progress, FilledLengthIsTheShareOfTheRange) {
  struct TCase {
    int32_t Length, Position, Min, Max, Filled;
  };
  const TCase cases[] = {
      {100, 0, 0, 100, 0},    {100, 50, 0, 100, 50},  {100, 100, 0, 100, 100}, {100, 150, 0, 100, 100},
      {100, -5, 0, 100, 0},   {196, 100, 50, 150, 98}, {100, 5, 10, 10, 0},     {100, 5, 10, 0, 0},
      {0, 50, 0, 100, 0},     {337, 1, 0, 2000000000, 0}, {337, 1000000000, -2000000000, 2000000000, 252},
  };
  for (const TCase& c : cases)
    EXPECT_EQ(ProgressLength(c.Length, c.Position, c.Min, c.Max), c.Filled)
        << c.Length << " " << c.Position << " " << c.Min << ".." << c.Max;
}

TEST(Progress, TheMovingRunAdvancesErasesBehindItselfAndWraps) {
  TKyDefaultSetBackGround fill("sbRun", kClAqua), trough("sbTrough", kClNavy);
  TKyProgressLook look;
  look.Kind = TKyProgressKind::Moving;
  look.WidthBlock = 3;
  look.SpacingBlock = 1;
  const int32_t length = 60, run = kProgressRunBlocks * 4;
  for (TKyProgressGrowth growth : {TKyProgressGrowth::Right, TKyProgressGrowth::Left}) {
    auto b = WhiteBitmap(length, 6);
    TRect bar(0, 0, length, 6);
    // The filled columns, counted from the growth's start edge.
    auto filled = [&] {
      std::set<int> on;
      for (int i = 0; i < length; ++i) {
        int x = growth == TKyProgressGrowth::Right ? i : length - 1 - i;
        if (PixelOf(*b, x, 3) == kClAqua) on.insert(i);
        else EXPECT_EQ(Hex(PixelOf(*b, x, 3)), Hex(kClNavy)) << i;
      }
      return on;
    };
    look.Growth = growth;
    int32_t offset = 10;
    PaintProgressFrame(*b->Canvas(), bar, &trough, fill, look, offset);
    EXPECT_EQ(offset, 10 + kProgressStep);
    std::set<int> first = filled();
    // Five blocks of three from 10 on.
    EXPECT_EQ(first.size(), 15u);
    EXPECT_EQ(*first.begin(), 10);
    EXPECT_EQ(*first.rbegin(), 10 + run - 2);
    PaintProgressFrame(*b->Canvas(), bar, &trough, fill, look, offset);
    std::set<int> second = filled();
    EXPECT_EQ(*second.begin(), 10 + kProgressStep);
    EXPECT_EQ(second.size(), 15u);
    // At the far end the run leaves cut, then starts again before the start
    // edge and enters.
    offset = length - 2;
    PaintProgressFrame(*b->Canvas(), bar, &trough, fill, look, offset);
    EXPECT_EQ(filled(), (std::set<int>{length - 2, length - 1}));
    EXPECT_EQ(offset, -run);
    for (int32_t step = 0; step * kProgressStep < run - 3; ++step)
      PaintProgressFrame(*b->Canvas(), bar, &trough, fill, look, offset);
    std::set<int> entering = filled();
    ASSERT_FALSE(entering.empty());
    EXPECT_EQ(*entering.begin(), 0);
    EXPECT_LT(entering.size(), 15u);
  }
}

TEST(Progress, BlocksAndSolidBarsFromEachEdge) {
  TKyDefaultSetBackGround fill("sbFill", kClAqua);
  for (TKyProgressGrowth growth :
       {TKyProgressGrowth::Right, TKyProgressGrowth::Left, TKyProgressGrowth::Up, TKyProgressGrowth::Down}) {
    bool vertical = growth == TKyProgressGrowth::Up || growth == TKyProgressGrowth::Down;
    TRect bar = vertical ? TRect(2, 2, 8, 42) : TRect(2, 2, 42, 8);
    for (TKyProgressKind kind : {TKyProgressKind::Blocks, TKyProgressKind::Solid, TKyProgressKind::Moving}) {
      auto b = WhiteBitmap(44, 44);
      TKyProgressLook look{growth, kind, 4, 2};
      PaintProgress(*b->Canvas(), bar, fill, look, 25, 0, 100);
      // Pixel i of the bar from the start edge, across its middle.
      auto at = [&](int i) {
        TRect part = ProgressPart(bar, growth, i, i + 1);
        return PixelOf(*b, vertical ? 5 : part.Left, vertical ? part.Top : 5);
      };
      SCOPED_TRACE(testing::Message() << int(growth) << " kind " << int(kind));
      if (kind == TKyProgressKind::Moving) {
        // The pattern is the timer's: a plain paint leaves the trough.
        EXPECT_EQ(PixelsNot(*b, kClWhite).Count(), 0);
        continue;
      }
      // 25 of 100 over 40 pixels: 10 filled; blocks at 0, 6 (to 9, whole).
      EXPECT_EQ(Hex(at(0)), Hex(kClAqua));
      EXPECT_EQ(Hex(at(4)), Hex(kind == TKyProgressKind::Solid ? kClAqua : kClWhite));
      EXPECT_EQ(Hex(at(9)), Hex(kClAqua));
      EXPECT_EQ(Hex(at(12)), Hex(kClWhite));
      EXPECT_EQ(Hex(at(39)), Hex(kClWhite));
      // Nothing outside the bar.
      EXPECT_EQ(Hex(PixelOf(*b, 1, 1)), Hex(kClWhite));
    }
  }
}
