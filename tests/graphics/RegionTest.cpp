// Regions, window regions and palettes.
#include <gtest/gtest.h>

#include "GraphicsTestUtil.h"
#include "platform/graphics/Palette.h"
#include "platform/graphics/Region.h"

using ky_test::Hex;
using ky_test::PixelOf;
using ky_test::WhiteBitmap;

namespace {

struct TCombineCase {
  TRegionOp Op;
  bool In[4];  // at (2,2) only in A, (7,7) in both, (12,12) only in B, (20,20) in none
};

TEST(Region, CombineOperations) {
  const TCombineCase cases[] = {
      {rgnOr, {true, true, true, false}},
      {rgnAnd, {false, true, false, false}},
      {rgnDiff, {true, false, false, false}},
      {rgnXor, {true, false, true, false}},
      {rgnCopy, {false, true, true, false}},
  };
  const TPoint probes[] = {{2, 2}, {7, 7}, {12, 12}, {20, 20}};
  for (const TCombineCase& c : cases) {
    TRegion a = TRegion::Rect(TRect(0, 0, 10, 10));
    TRegion b = TRegion::Rect(TRect(5, 5, 15, 15));
    TRegion r = TRegion::Combine(a, b, c.Op);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(r.Contains(probes[i]), c.In[i]) << "op " << int(c.Op) << " probe " << i;
    // The operands stay as they were.
    EXPECT_EQ(a.Bounds(), TRect(0, 0, 10, 10));
  }
}

TEST(Region, ShapesContainTheirInsideNotTheirCorners) {
  TRegion rect = TRegion::Rect(TRect(0, 0, 10, 10));
  EXPECT_TRUE(rect.Contains({9, 9}));
  EXPECT_FALSE(rect.Contains({10, 10}));
  TRegion ellipse = TRegion::Ellipse(TRect(0, 0, 20, 20));
  EXPECT_TRUE(ellipse.Contains({10, 10}));
  EXPECT_FALSE(ellipse.Contains({1, 1}));
  TRegion round = TRegion::RoundRect(TRect(0, 0, 20, 20), 10, 10);
  EXPECT_FALSE(round.Contains({0, 0}));
  EXPECT_TRUE(round.Contains({10, 0}));
  EXPECT_TRUE(round.Contains({0, 10}));
  TRegion tri = TRegion::Polygon({{0, 0}, {20, 0}, {0, 20}});
  EXPECT_TRUE(tri.Contains({3, 3}));
  EXPECT_FALSE(tri.Contains({15, 15}));
  EXPECT_TRUE(TRegion::Polygon({{0, 0}, {5, 5}}).IsEmpty());
  EXPECT_TRUE(TRegion::Rect(TRect(5, 5, 5, 9)).IsEmpty());
}

TEST(Region, OffsetBoundsAndEquality) {
  TRegion r = TRegion::Rect(TRect(0, 0, 4, 3));
  r.Offset(10, 20);
  EXPECT_EQ(r.Bounds(), TRect(10, 20, 14, 23));
  EXPECT_TRUE(r.Contains({10, 20}));
  EXPECT_FALSE(r.Contains({0, 0}));
  EXPECT_TRUE(r == TRegion::Rect(TRect(10, 20, 14, 23)));
  EXPECT_FALSE(r == TRegion::Rect(TRect(10, 20, 14, 24)));
  TRegion empty;
  EXPECT_TRUE(empty.IsEmpty());
  EXPECT_EQ(empty.Bounds(), TRect());
  EXPECT_TRUE(r.Intersects(TRect(13, 22, 30, 30)));
  EXPECT_FALSE(r.Intersects(TRect(14, 23, 30, 30)));
}

TEST(Region, DataBytesRoundTrip) {
  TRegion shape = TRegion::Ellipse(TRect(0, 0, 30, 20));
  shape.Combine(TRegion::Rect(TRect(40, 0, 50, 5)), rgnOr);
  std::vector<uint8_t> data = shape.Data();
  ASSERT_GT(data.size(), 32u);
  TRegion back = TRegion::FromData(data);
  EXPECT_TRUE(back == shape);
  EXPECT_TRUE(back.Contains({45, 2}));
  EXPECT_FALSE(back == TRegion::Ellipse(TRect(0, 0, 30, 20)));
  EXPECT_TRUE(TRegion::FromData(TRegion().Data()).IsEmpty());
}

TEST(Region, DamagedDataRaises) {
  std::vector<uint8_t> data = TRegion::Rect(TRect(0, 0, 5, 5)).Data();
  std::vector<std::vector<uint8_t>> bad{
      {},
      std::vector<uint8_t>(data.begin(), data.begin() + 20),
      std::vector<uint8_t>(data.begin(), data.end() - 4),  // fewer rectangles than counted
      [&] { auto d = data; d[0] = 7; return d; }(),          // header size
      [&] { auto d = data; d[4] = 2; return d; }(),          // not rectangles
  };
  for (size_t i = 0; i < bad.size(); ++i) EXPECT_THROW(TRegion::FromData(bad[i]), EInvalidGraphic) << i;
}

TEST(Region, ClipsAndFillsACanvas) {
  auto bmp = WhiteBitmap(20, 20);
  TRegion ellipse = TRegion::Ellipse(TRect(0, 0, 20, 20));
  bmp->Canvas()->SetClipRegion(ellipse.Handle());
  bmp->Canvas()->Brush()->SetColor(kClRed);
  bmp->Canvas()->FillRect(TRect(0, 0, 20, 20));
  EXPECT_EQ(Hex(PixelOf(*bmp, 10, 10)), Hex(kClRed));
  EXPECT_EQ(Hex(PixelOf(*bmp, 0, 0)), Hex(kClWhite));
  bmp->Canvas()->ResetClip();
  bmp->Canvas()->Brush()->SetColor(kClBlue);
  bmp->Canvas()->FillRegion(TRegion::Rect(TRect(0, 0, 2, 2)).Handle());
  EXPECT_EQ(Hex(PixelOf(*bmp, 1, 1)), Hex(kClBlue));
  EXPECT_EQ(Hex(PixelOf(*bmp, 2, 2)), Hex(kClWhite));
}

TEST(Region, WindowRegionBelongsToTheWindow) {
  HWND wnd = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 50, 50, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(wnd, nullptr);
  TWindowHandle owner(wnd);
  TRegion shape = TRegion::Ellipse(TRect(0, 0, 50, 50));
  TRegion expected = shape.Clone();
  SetWindowRegion(wnd, std::move(shape), false);
  EXPECT_EQ(shape.Handle(), nullptr);  // no longer ours to delete
  EXPECT_TRUE(WindowRegion(wnd) == expected);
  ClearWindowRegion(wnd, false);
  EXPECT_TRUE(WindowRegion(wnd).IsEmpty());
}

// ---- Palettes ----

TEST(Palette, MadeFromEntriesAndReadBack) {
  std::vector<TPaletteEntry> entries{{255, 0, 0, 0}, {0, 255, 0, kPcNoCollapse}, {1, 2, 3, 0}};
  TPaletteHandle pal = CreateLogicalPalette(entries);
  ASSERT_TRUE(pal);
  EXPECT_EQ(PaletteEntries(pal.Get()), entries);
  EXPECT_THROW(CreateLogicalPalette({}), EInvalidGraphicOperation);
  EXPECT_THROW(CreateLogicalPalette(std::vector<TPaletteEntry>(257)), EInvalidGraphicOperation);
  EXPECT_EQ(CreateLogicalPalette(std::vector<TPaletteEntry>(256)) ? 1 : 0, 1);
  // The stock palette carries the 20 static colours.
  std::vector<TPaletteEntry> stock = PaletteEntries(nullptr);
  ASSERT_EQ(stock.size(), 20u);
  EXPECT_EQ(stock[0], (TPaletteEntry{0, 0, 0, 0}));
  EXPECT_EQ(stock[19], (TPaletteEntry{255, 255, 255, 0}));
}

TEST(Palette, SelectionPutsTheOldPaletteBack) {
  TPaletteHandle pal = CreateLogicalPalette({{10, 20, 30, 0}});
  TMemoryDcHandle dc(CreateCompatibleDC(nullptr));
  HGDIOBJ before = GetCurrentObject(dc.Get(), OBJ_PAL);
  {
    TPaletteSelection sel(dc.Get(), pal.Get());
    EXPECT_EQ(GetCurrentObject(dc.Get(), OBJ_PAL), pal.Get());
  }
  EXPECT_EQ(GetCurrentObject(dc.Get(), OBJ_PAL), before);
}

TEST(Palette, ScreenAnswersAgree) {
  int depth = ScreenColorDepth();
  EXPECT_GT(depth, 0);
  // A palette device has a system palette to read; others have none.
  EXPECT_EQ(SystemPaletteEntries().empty(), !ScreenIsPaletteDevice());
  if (depth > 8) {
    EXPECT_FALSE(ScreenIsPaletteDevice());
  }
}

}  // namespace
