// Bitmaps: formats, scan lines, transparency, BMP files.
#include <gtest/gtest.h>

#include <cstring>

#include "GraphicsTestUtil.h"

using ky_test::Hex;
using ky_test::PixelOf;
using ky_test::WhiteBitmap;

namespace {

// Colours every format holds exactly (the 16 VGA colours are in the
// default 4- and 8-bit tables; 5-bit channels keep 0 and 255... as 0xF8/0xFF).
const TKyColor kPattern[] = {kClBlack, kClWhite, kClRed, kClLime, kClBlue, kClYellow};

void Paint(TBitmap& b, bool mono) {
  for (int y = 0; y < b.Height(); ++y)
    for (int x = 0; x < b.Width(); ++x)
      b.Canvas()->SetPixels(x, y, mono ? ((x + y) % 3 ? kClBlack : kClWhite) : kPattern[(x + 2 * y) % 6]);
}

std::vector<uint8_t> Save(TBitmap& b) {
  TMemoryStream s;
  b.SaveToStream(s);
  return s.Data();
}

TEST(Bitmap, NewBitmapIsWhiteAndEmptyWithoutSize) {
  TBitmap b(3, 2, pf24bit);
  EXPECT_EQ(Hex(PixelOf(b, 2, 1)), Hex(kClWhite));
  TBitmap empty;
  EXPECT_TRUE(empty.Empty());
  EXPECT_EQ(empty.Handle(), nullptr);
  b.SetSize(0, 5);
  EXPECT_TRUE(b.Empty());
}

TEST(Bitmap, ScanLineZeroIsTheTopRow) {
  TBitmap b(4, 3, pf24bit);
  auto* top = static_cast<uint8_t*>(b.ScanLine(0));
  top[0] = 0x10, top[1] = 0x20, top[2] = 0x30;  // blue, green, red
  auto* bottom = static_cast<uint8_t*>(b.ScanLine(2));
  std::memset(bottom, 0, 3);
  EXPECT_EQ(Hex(b.Canvas()->Pixels(0, 0)), Hex(KyRGB(0x30, 0x20, 0x10)));
  EXPECT_EQ(Hex(b.Canvas()->Pixels(0, 2)), Hex(kClBlack));
  EXPECT_EQ(b.BytesPerScanLine(), 12);
  EXPECT_THROW(b.ScanLine(3), EInvalidGraphicOperation);
  EXPECT_THROW(b.ScanLine(-1), EInvalidGraphicOperation);
  // Drawing shows in the bits at once.
  b.Canvas()->SetPixels(1, 1, kClBlue);
  EXPECT_EQ(Hex(PixelOf(b, 1, 1)), Hex(kClBlue));
}

TEST(Bitmap, ResizeKeepsWhatStillFits) {
  auto b = WhiteBitmap(4, 4, kClRed);
  b->SetSize(6, 2);
  EXPECT_EQ(b->Width(), 6);
  EXPECT_EQ(b->Height(), 2);
  EXPECT_EQ(Hex(PixelOf(*b, 3, 1)), Hex(kClRed));
  EXPECT_EQ(Hex(PixelOf(*b, 5, 0)), Hex(kClWhite));
}

TEST(Bitmap, PixelFormatConversionKeepsPaletteColours) {
  for (TPixelFormat f : {pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit}) {
    auto b = WhiteBitmap(6, 1);
    Paint(*b, false);
    b->SetPixelFormat(f);
    EXPECT_EQ(b->PixelFormat(), f);
    for (int x = 0; x < 6; ++x)
      EXPECT_EQ(Hex(b->Canvas()->Pixels(x, 0)), Hex(kPattern[x])) << "format " << EnumInfo(f).Name(f) << " x " << x;
  }
}

TEST(Bitmap, MonochromeIsBlackAndWhite) {
  auto b = WhiteBitmap(4, 1);
  b->Canvas()->SetPixels(1, 0, kClBlack);
  b->Canvas()->SetPixels(2, 0, KyRGB(30, 30, 30));
  b->SetMonochrome(true);
  EXPECT_TRUE(b->Monochrome());
  EXPECT_EQ(b->ColorTable(), (std::vector<TKyColor>{kClBlack, kClWhite}));
  EXPECT_EQ(Hex(b->Canvas()->Pixels(0, 0)), Hex(kClWhite));
  EXPECT_EQ(Hex(b->Canvas()->Pixels(1, 0)), Hex(kClBlack));
  EXPECT_EQ(Hex(b->Canvas()->Pixels(2, 0)), Hex(kClBlack));
}

TEST(Bitmap, ColorTableRecoloursPalettedPixels) {
  TBitmap b(2, 1, pf1bit);
  b.Canvas()->SetPixels(0, 0, kClBlack);
  b.SetColorTable({kClRed, kClBlue});
  EXPECT_EQ(Hex(b.Canvas()->Pixels(0, 0)), Hex(kClRed));
  EXPECT_EQ(Hex(b.Canvas()->Pixels(1, 0)), Hex(kClBlue));
}

TEST(Bitmap, AssignCopiesPixelsNotTheHandle) {
  auto a = WhiteBitmap(3, 3, kClNavy);
  a->SetTransparentColor(kClNavy);
  TBitmap b;
  b.Assign(a.get());
  EXPECT_NE(b.Handle(), a->Handle());
  EXPECT_EQ(Hex(PixelOf(b, 2, 2)), Hex(kClNavy));
  EXPECT_EQ(b.TransparentMode(), tmFixed);
  a->Canvas()->SetPixels(2, 2, kClRed);
  EXPECT_EQ(Hex(PixelOf(b, 2, 2)), Hex(kClNavy));
}

TEST(Bitmap, TakesADeviceBitmap) {
  TWindowDc screen(nullptr);
  HBITMAP ddb = CreateCompatibleBitmap(screen.Get(), 5, 4);
  {
    TMemoryDcHandle dc(CreateCompatibleDC(screen.Get()));
    TSelectGuard sel(dc.Get(), ddb);
    RECT r{0, 0, 5, 4};
    TBrushHandle red(CreateSolidBrush(RGB(255, 0, 0)));
    FillRect(dc.Get(), &r, red.Get());
  }
  TBitmap b;
  b.SetHandle(ddb);
  EXPECT_EQ(b.Width(), 5);
  EXPECT_EQ(b.Height(), 4);
  EXPECT_EQ(Hex(b.Canvas()->Pixels(4, 3)), Hex(kClRed));
  EXPECT_NE(b.Handle(), ddb);
  EXPECT_EQ(GetObjectType(ddb), 0u);  // taken and converted, the device bitmap is gone
}

TEST(Bitmap, ChangesReachOnChange) {
  auto b = WhiteBitmap(2, 2);
  int changes = 0;
  b->OnChange = [&](TObject* s) {
    EXPECT_EQ(s, b.get());
    ++changes;
  };
  b->Canvas()->FillRect(TRect(0, 0, 1, 1));
  EXPECT_EQ(changes, 1);
  b->SetSize(2, 2);
  EXPECT_EQ(changes, 1);
  b->SetSize(3, 2);
  EXPECT_EQ(changes, 2);
  EXPECT_TRUE(b->Modified());
}

// ---- Transparency ----

struct TTransparentCase {
  TPixelFormat Format;
  bool Fixed;
  bool Stretch;
};

class BitmapTransparent : public testing::TestWithParam<TTransparentCase> {};

// A lime bitmap with a red middle drawn over blue: the transparent colour
// (lime by the bottom-left pixel, or a fixed red) lets the blue through.
TEST_P(BitmapTransparent, LeavesTheBackgroundWhereTheKeyWas) {
  const TTransparentCase& tc = GetParam();
  auto pic = WhiteBitmap(4, 4, kClLime);
  pic->Canvas()->Brush()->SetColor(kClRed);
  pic->Canvas()->FillRect(TRect(1, 1, 3, 3));
  pic->SetPixelFormat(tc.Format);
  pic->SetTransparent(true);
  if (tc.Fixed) pic->SetTransparentColor(kClRed);
  EXPECT_EQ(Hex(pic->TransparentColor()), Hex(tc.Fixed ? kClRed : kClLime));
  auto bg = WhiteBitmap(12, 12, kClBlue);
  int scale = tc.Stretch ? 2 : 1;
  if (tc.Stretch) bg->Canvas()->StretchDraw(TRect(2, 2, 10, 10), pic.get());
  else bg->Canvas()->Draw(2, 2, pic.get());
  TKyColor corner = tc.Fixed ? kClLime : kClBlue, middle = tc.Fixed ? kClBlue : kClRed;
  EXPECT_EQ(Hex(PixelOf(*bg, 2, 2)), Hex(corner));
  EXPECT_EQ(Hex(PixelOf(*bg, 2 + 4 * scale - 1, 2 + 4 * scale - 1)), Hex(corner));
  EXPECT_EQ(Hex(PixelOf(*bg, 2 + 2 * scale, 2 + 2 * scale)), Hex(middle));
  EXPECT_EQ(Hex(PixelOf(*bg, 1, 1)), Hex(kClBlue));
  EXPECT_EQ(Hex(PixelOf(*bg, 2 + 4 * scale, 2 + 4 * scale)), Hex(kClBlue));
}

INSTANTIATE_TEST_SUITE_P(Cases, BitmapTransparent,
                         testing::Values(TTransparentCase{pf24bit, false, false}, TTransparentCase{pf32bit, false, false},
                                         TTransparentCase{pf8bit, false, false}, TTransparentCase{pf4bit, false, false},
                                         TTransparentCase{pf24bit, true, false}, TTransparentCase{pf24bit, false, true},
                                         TTransparentCase{pf8bit, true, true}));

TEST(Bitmap, OpaqueDrawCopiesEverything) {
  auto pic = WhiteBitmap(2, 2, kClLime);
  auto bg = WhiteBitmap(4, 4, kClBlue);
  bg->Canvas()->Draw(1, 1, pic.get());
  EXPECT_EQ(Hex(PixelOf(*bg, 1, 1)), Hex(kClLime));
  EXPECT_EQ(Hex(PixelOf(*bg, 2, 2)), Hex(kClLime));
  EXPECT_EQ(Hex(PixelOf(*bg, 3, 3)), Hex(kClBlue));
}

// ---- BMP files ----

class BitmapFile : public testing::TestWithParam<TPixelFormat> {};

TEST_P(BitmapFile, RoundTripKeepsFormatSizeAndPixels) {
  TPixelFormat f = GetParam();
  TBitmap b(7, 5, f);  // odd width: rows are padded
  Paint(b, f == pf1bit);
  std::vector<uint8_t> bytes = Save(b);
  ASSERT_GE(bytes.size(), 54u);
  EXPECT_EQ(bytes[0], 'B');
  EXPECT_EQ(bytes[1], 'M');
  TBitmap c;
  TMemoryStream in(bytes);
  c.LoadFromStream(in);
  EXPECT_EQ(in.Position(), static_cast<int64_t>(bytes.size()));
  EXPECT_EQ(c.PixelFormat(), f == pfDevice ? pf32bit : f);
  ASSERT_EQ(c.Width(), 7);
  ASSERT_EQ(c.Height(), 5);
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 7; ++x)
      ASSERT_EQ(Hex(c.Canvas()->Pixels(x, y)), Hex(b.Canvas()->Pixels(x, y))) << "(" << x << ", " << y << ")";
  EXPECT_EQ(Save(c), bytes);
}

INSTANTIATE_TEST_SUITE_P(Formats, BitmapFile,
                         testing::Values(pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit, pfDevice));

// A BMP file from its parts: 40-byte header, optional masks and colours.
std::vector<uint8_t> MakeBmp(int w, int h, int bits, uint32_t compression, const std::vector<uint32_t>& extra,
                             const std::vector<uint8_t>& pixels) {
  std::vector<uint8_t> out;
  auto put = [&](uint32_t v, int n) {
    for (int i = 0; i < n; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
  };
  uint32_t off = 14 + 40 + 4 * static_cast<uint32_t>(extra.size());
  out.push_back('B');
  out.push_back('M');
  put(off + static_cast<uint32_t>(pixels.size()), 4);
  put(0, 4);
  put(off, 4);
  put(40, 4);
  put(static_cast<uint32_t>(w), 4);
  put(static_cast<uint32_t>(h), 4);
  put(1, 2);
  put(static_cast<uint32_t>(bits), 2);
  put(compression, 4);
  put(static_cast<uint32_t>(pixels.size()), 4);
  put(0, 4);
  put(0, 4);
  put(compression == BI_RGB && bits <= 8 ? static_cast<uint32_t>(extra.size()) : 0, 4);
  put(0, 4);
  for (uint32_t v : extra) put(v, 4);
  out.insert(out.end(), pixels.begin(), pixels.end());
  return out;
}

TEST(BitmapFileRead, TopDownRowsComeFirst) {
  // 1 x 2, 24 bits, height -2: the first row in the file is the top.
  std::vector<uint8_t> px{0, 0, 255, 0, /*red*/ 255, 0, 0, 0 /*blue*/};
  TBitmap b;
  TMemoryStream s(MakeBmp(1, -2, 24, BI_RGB, {}, px));
  b.LoadFromStream(s);
  EXPECT_EQ(Hex(b.Canvas()->Pixels(0, 0)), Hex(kClRed));
  EXPECT_EQ(Hex(b.Canvas()->Pixels(0, 1)), Hex(kClBlue));
}

TEST(BitmapFileRead, BitFieldsOfAnyOrder) {
  // 32 bits with red in the low byte, 16 bits 5-6-5.
  std::vector<uint8_t> px32{0x11, 0x22, 0x33, 0};
  TBitmap a;
  TMemoryStream s32(MakeBmp(1, 1, 32, BI_BITFIELDS, {0xFF, 0xFF00, 0xFF0000}, px32));
  a.LoadFromStream(s32);
  EXPECT_EQ(Hex(a.Canvas()->Pixels(0, 0)), Hex(KyRGB(0x11, 0x22, 0x33)));
  std::vector<uint8_t> px16{0x00, 0xF8, 0, 0};  // pure red in 5-6-5
  TBitmap b;
  TMemoryStream s16(MakeBmp(1, 1, 16, BI_BITFIELDS, {0xF800, 0x07E0, 0x001F}, px16));
  b.LoadFromStream(s16);
  EXPECT_EQ(b.PixelFormat(), pf16bit);
  EXPECT_EQ(Hex(b.Canvas()->Pixels(0, 0)), Hex(kClRed));
}

TEST(BitmapFileRead, PaletteOfFewerColoursThanTheDepthAllows) {
  // 8 bits with a two-colour table: index 1 is green.
  std::vector<uint8_t> px{1, 0, 0, 0};
  TBitmap b;
  TMemoryStream s(MakeBmp(1, 1, 8, BI_RGB, {0x000000, 0x00FF00}, px));
  b.LoadFromStream(s);
  EXPECT_EQ(b.PixelFormat(), pf8bit);
  EXPECT_EQ(Hex(b.Canvas()->Pixels(0, 0)), Hex(kClLime));
}

TEST(BitmapFileRead, TwoFilesInOneStreamReadInTurn) {
  TBitmap red(2, 2, pf24bit), blue(3, 1, pf8bit);
  red.Canvas()->Brush()->SetColor(kClRed);
  red.Canvas()->FillRect(TRect(0, 0, 2, 2));
  blue.Canvas()->Brush()->SetColor(kClBlue);
  blue.Canvas()->FillRect(TRect(0, 0, 3, 1));
  TMemoryStream s;
  red.SaveToStream(s);
  blue.SaveToStream(s);
  s.SetPosition(0);
  TBitmap a, b;
  a.LoadFromStream(s);
  b.LoadFromStream(s);
  EXPECT_EQ(Hex(a.Canvas()->Pixels(1, 1)), Hex(kClRed));
  EXPECT_EQ(b.Width(), 3);
  EXPECT_EQ(Hex(b.Canvas()->Pixels(2, 0)), Hex(kClBlue));
}

TEST(BitmapFileRead, DamagedFilesRaiseBeforeAllocating) {
  std::vector<uint8_t> good = MakeBmp(2, 2, 24, BI_RGB, {}, std::vector<uint8_t>(16, 0));
  struct TBad {
    const char* Name;
    std::vector<uint8_t> Bytes;
  };
  std::vector<TBad> bad{
      {"no signature", [&] { auto b = good; b[0] = 'X'; return b; }()},
      {"cut in the header", std::vector<uint8_t>(good.begin(), good.begin() + 30)},
      {"cut in the pixels", std::vector<uint8_t>(good.begin(), good.end() - 1)},
      {"huge size, few bytes", MakeBmp(60000, 60000, 32, BI_RGB, {}, std::vector<uint8_t>(16, 0))},
      {"odd depth", MakeBmp(2, 2, 7, BI_RGB, {}, std::vector<uint8_t>(16, 0))},
      {"bit fields on 24 bits", MakeBmp(2, 2, 24, BI_BITFIELDS, {1, 2, 4}, std::vector<uint8_t>(16, 0))},
      {"run-length data", MakeBmp(2, 2, 8, BI_RLE8, {}, std::vector<uint8_t>(16, 0))},
      {"header size", [&] { auto b = good; b[14] = 20; return b; }()},
      {"empty", {}},
  };
  for (const TBad& b : bad) {
    TBitmap bmp(1, 1);
    TMemoryStream s(b.Bytes);
    EXPECT_THROW(bmp.LoadFromStream(s), EInvalidGraphic) << b.Name;
  }
}

}  // namespace
