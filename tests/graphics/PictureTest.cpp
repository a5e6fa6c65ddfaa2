// Pictures: JPEG through libjpeg, icons, metafiles, and TPicture with the
// registry of graphic classes by name, extension and data.
#include <gtest/gtest.h>

#include "GraphicsTestUtil.h"
#include "platform/graphics/Icon.h"
#include "platform/graphics/Jpeg.h"
#include "platform/graphics/Metafile.h"
#include "platform/graphics/Picture.h"
#include "support/TempDir.h"

#include <cstdio>
#include <cstdlib>

#include <jpeglib.h>

using ky_test::Hex;
using ky_test::Near;
using ky_test::PixelOf;
using ky_test::WhiteBitmap;

namespace {

// 32 x 32 in four 16 x 16 blocks (whole JPEG blocks, so colours stay clean
// away from the borders): red, lime / blue, white.
const TKyColor kBlocks[4] = {kClRed, kClLime, kClBlue, kClWhite};

std::unique_ptr<TBitmap> Blocks() {
  auto b = WhiteBitmap(32, 32);
  for (int i = 0; i < 4; ++i) {
    b->Canvas()->Brush()->SetColor(kBlocks[i]);
    b->Canvas()->FillRect(TRect::Bounds(16 * (i % 2), 16 * (i / 2), 16, 16));
  }
  return b;
}

struct TEncoding {
  const char* Name;
  int Quality = 95;
  bool Gray = false;
  bool Progressive = false;
  TJPEGPerformance Performance = jpBestQuality;
};

std::vector<uint8_t> EncodedBlocks(const TEncoding& e = {"baseline"}) {
  auto bmp = Blocks();
  TJPEGImage jpg;
  jpg.Assign(bmp.get());
  jpg.SetCompressionQuality(e.Quality);
  jpg.SetGrayscale(e.Gray);
  jpg.SetProgressiveEncoding(e.Progressive);
  TMemoryStream s;
  jpg.SaveToStream(s);
  return s.Data();
}

std::unique_ptr<TJPEGImage> LoadJpeg(const std::vector<uint8_t>& bytes) {
  auto jpg = std::make_unique<TJPEGImage>();
  TMemoryStream s(bytes);
  jpg->LoadFromStream(s);
  return jpg;
}

TEST(Jpeg, EncodeThenDecodeGivesTheBlockColours) {
  const TEncoding encodings[] = {
      {"baseline"}, {"progressive", 95, false, true}, {"fast decoding", 95, false, false, jpBestSpeed}, {"quality 60", 60}};
  for (const TEncoding& e : encodings) {
    std::vector<uint8_t> bytes = EncodedBlocks(e);
    ASSERT_TRUE(IsJpegData(bytes.data(), bytes.size())) << e.Name;
    TJPEGImage jpg;
    TMemoryStream s(bytes);
    jpg.LoadFromStream(s);
    jpg.SetPerformance(e.Performance);
    EXPECT_EQ(jpg.Width(), 32) << e.Name;
    EXPECT_EQ(jpg.Height(), 32) << e.Name;
    TBitmap* bmp = jpg.Bitmap();
    ASSERT_NE(bmp, nullptr);
    EXPECT_EQ(bmp->PixelFormat(), pf24bit);
    for (int i = 0; i < 4; ++i) {
      int x = 16 * (i % 2) + 8, y = 16 * (i / 2) + 8;
      TKyColor got = PixelOf(*bmp, x, y);
      EXPECT_TRUE(Near(got, kBlocks[i], e.Quality >= 90 ? 8 : 16)) << e.Name << " block " << i << ": " << Hex(got);
    }
    // The compressed bytes are kept as read.
    EXPECT_EQ(jpg.Data(), bytes) << e.Name;
  }
}

// A 16 x 16 CMYK JPEG as Adobe programs write it (inverted channels, with
// the Adobe marker libjpeg adds for CMYK): one colour throughout.
std::vector<uint8_t> CmykJpeg(uint8_t c, uint8_t m, uint8_t y, uint8_t k) {
  jpeg_compress_struct cinfo;
  jpeg_error_mgr err;
  cinfo.err = jpeg_std_error(&err);
  jpeg_create_compress(&cinfo);
  unsigned char* out = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&cinfo, &out, &size);
  cinfo.image_width = 16;
  cinfo.image_height = 16;
  cinfo.input_components = 4;
  cinfo.in_color_space = JCS_CMYK;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, 100, TRUE);
  jpeg_start_compress(&cinfo, TRUE);
  std::vector<uint8_t> row;
  for (int x = 0; x < 16; ++x) row.insert(row.end(), {c, m, y, k});
  while (cinfo.next_scanline < 16) {
    JSAMPROW r = row.data();
    jpeg_write_scanlines(&cinfo, &r, 1);
  }
  jpeg_finish_compress(&cinfo);
  std::vector<uint8_t> bytes(out, out + size);
  jpeg_destroy_compress(&cinfo);
  free(out);
  return bytes;
}

TEST(Jpeg, AdobeCmykDecodesToRgb) {
  struct TCmyk {
    uint8_t C, M, Y, K;
    TKyColor Expect;
  };
  // Stored inverted: 255 is no ink.
  const TCmyk cases[] = {{255, 0, 0, 255, kClRed}, {0, 0, 255, 255, kClBlue}, {255, 255, 255, 255, kClWhite},
                         {255, 255, 255, 0, kClBlack}};
  for (const TCmyk& c : cases) {
    auto jpg = LoadJpeg(CmykJpeg(c.C, c.M, c.Y, c.K));
    TKyColor got = PixelOf(*jpg->Bitmap(), 8, 8);
    EXPECT_TRUE(Near(got, c.Expect, 6)) << Hex(got) << " for " << Hex(c.Expect);
  }
}

TEST(Jpeg, LowerQualityMakesFewerBytes) {
  EXPECT_LT(EncodedBlocks({"low", 10}).size(), EncodedBlocks({"high", 100}).size());
}

TEST(Jpeg, GrayscaleGivesGreys) {
  auto jpg = LoadJpeg(EncodedBlocks({"grey", 95, true}));
  TBitmap* bmp = jpg->Bitmap();
  TKyColor red = PixelOf(*bmp, 8, 8);
  EXPECT_EQ(KyRed(red), KyGreen(red));
  EXPECT_EQ(KyGreen(red), KyBlue(red));
  EXPECT_NEAR(KyRed(red), 76, 6);  // the luminance of pure red
  // A colour stream decoded as grey, too.
  auto colour = LoadJpeg(EncodedBlocks());
  colour->SetGrayscale(true);
  TKyColor lime = PixelOf(*colour->Bitmap(), 24, 8);
  EXPECT_EQ(KyRed(lime), KyBlue(lime));
  EXPECT_NEAR(KyGreen(lime), 150, 6);
}

TEST(Jpeg, ScaleDecodesSmaller) {
  auto jpg = LoadJpeg(EncodedBlocks());
  jpg->SetScale(jsQuarter);
  EXPECT_EQ(jpg->Width(), 8);
  TBitmap* bmp = jpg->Bitmap();
  EXPECT_EQ(bmp->Width(), 8);
  EXPECT_EQ(bmp->Height(), 8);
  EXPECT_TRUE(Near(PixelOf(*bmp, 6, 6), kClWhite, 8));
}

TEST(Jpeg, DrawsThroughTheCanvasAndAssignsToABitmap) {
  auto jpg = LoadJpeg(EncodedBlocks());
  auto target = WhiteBitmap(40, 40, kClBlack);
  target->Canvas()->Draw(4, 4, jpg.get());
  EXPECT_TRUE(Near(PixelOf(*target, 4 + 24, 4 + 24), kClWhite, 8));
  EXPECT_TRUE(Near(PixelOf(*target, 4 + 8, 4 + 24), kClBlue, 8));
  EXPECT_EQ(Hex(PixelOf(*target, 37, 37)), Hex(kClBlack));
  TBitmap bmp;
  bmp.Assign(jpg.get());
  EXPECT_EQ(bmp.Width(), 32);
  EXPECT_TRUE(Near(PixelOf(bmp, 24, 8), kClLime, 8));
}

// Where the compressed image data begins: after the start-of-scan segment.
size_t StartOfScan(const std::vector<uint8_t>& jpg) {
  for (size_t i = 0; i + 3 < jpg.size(); ++i)
    if (jpg[i] == 0xFF && jpg[i + 1] == 0xDA) return i + 2 + (jpg[i + 2] << 8 | jpg[i + 3]);
  return jpg.size();
}

TEST(Jpeg, DamagedDataRaisesInsteadOfEnding) {
  std::vector<uint8_t> good = EncodedBlocks();
  struct TBad {
    const char* Name;
    std::vector<uint8_t> Bytes;
    bool AtLoad;  // the header already fails
  };
  std::vector<TBad> bad{
      {"not a JPEG", {'G', 'I', 'F', '8', '9', 'a', 0, 0, 0, 0}, true},
      {"start marker only", {0xFF, 0xD8}, true},
      {"empty", {}, true},
      {"cut in the header", std::vector<uint8_t>(good.begin(), good.begin() + 100), true},
      {"cut in the image data", std::vector<uint8_t>(good.begin(), good.begin() + (StartOfScan(good) + good.size()) / 2), false},
  };
  for (const TBad& b : bad) {
    TJPEGImage jpg;
    TMemoryStream s(b.Bytes);
    if (b.AtLoad) {
      EXPECT_THROW(jpg.LoadFromStream(s), EJPEG) << b.Name;
      continue;
    }
    jpg.LoadFromStream(s);
    EXPECT_EQ(jpg.Width(), 32) << b.Name;
    try {
      jpg.Bitmap();
      ADD_FAILURE() << b.Name << ": decoded";
    } catch (const EJPEG& e) {
      EXPECT_NE(std::string(e.what()).find("JPEG"), std::string::npos) << e.what();
    }
  }
}

// ---- Icons ----

// A 16 x 16 red icon whose top-left 4 x 4 corner is masked out.
HICON RedIcon() {
  TWindowDc screen(nullptr);
  TBitmapHandle color(CreateCompatibleBitmap(screen.Get(), 16, 16));
  TBitmapHandle mask(CreateBitmap(16, 16, 1, 1, nullptr));
  {
    TMemoryDcHandle dc(CreateCompatibleDC(screen.Get()));
    {
      TSelectGuard sel(dc.Get(), color.Get());
      RECT all{0, 0, 16, 16}, corner{0, 0, 4, 4};
      TBrushHandle red(CreateSolidBrush(RGB(255, 0, 0)));
      FillRect(dc.Get(), &all, red.Get());
      FillRect(dc.Get(), &corner, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    }
    TSelectGuard sel(dc.Get(), mask.Get());
    PatBlt(dc.Get(), 0, 0, 16, 16, BLACKNESS);
    PatBlt(dc.Get(), 0, 0, 4, 4, WHITENESS);
  }
  ICONINFO info{TRUE, 0, 0, mask.Get(), color.Get()};
  return CreateIconIndirect(&info);
}

void ExpectRedIconOverBlue(TIcon& icon, const char* what) {
  auto bg = WhiteBitmap(20, 20, kClBlue);
  bg->Canvas()->Draw(2, 2, &icon);
  EXPECT_EQ(Hex(PixelOf(*bg, 3, 3)), Hex(kClBlue)) << what;
  EXPECT_EQ(Hex(PixelOf(*bg, 10, 10)), Hex(kClRed)) << what;
  EXPECT_EQ(Hex(PixelOf(*bg, 17, 17)), Hex(kClRed)) << what;
  EXPECT_EQ(Hex(PixelOf(*bg, 18, 18)), Hex(kClBlue)) << what;
}

TEST(Icon, DrawsMaskedAndRoundTripsThroughIcoFiles) {
  TIcon icon;
  icon.SetHandle(RedIcon());
  EXPECT_EQ(icon.Width(), 16);
  EXPECT_EQ(icon.Height(), 16);
  EXPECT_TRUE(icon.Transparent());
  ExpectRedIconOverBlue(icon, "from the handle");
  TMemoryStream s;
  icon.SaveToStream(s);
  ASSERT_GT(s.Size(), 22);
  EXPECT_EQ(DetectGraphicClass(s.Data().data(), s.Data().size()), &TIcon::StaticClass());
  s.SetPosition(0);
  TIcon back;
  back.LoadFromStream(s);
  EXPECT_EQ(s.Position(), s.Size());
  EXPECT_EQ(back.Width(), 16);
  ExpectRedIconOverBlue(back, "read back");
  // Written again, the file is the one read.
  TMemoryStream again;
  back.SaveToStream(again);
  EXPECT_EQ(again.Data(), s.Data());
}

TEST(Icon, DamagedDirectoryRaises) {
  TIcon icon;
  icon.SetHandle(RedIcon());
  TMemoryStream s;
  icon.SaveToStream(s);
  std::vector<uint8_t> bytes = s.Data();
  std::vector<std::vector<uint8_t>> bad{
      std::vector<uint8_t>(bytes.begin(), bytes.end() - 10),       // image cut
      [&] { auto b = bytes; b[4] = 50; return b; }(),               // more entries than data
      [&] { auto b = bytes; b[2] = 2; return b; }(),                // a cursor
      [&] { auto b = bytes; b[18] = 0xFF; b[19] = 0xFF; return b; }(),  // offset beyond
  };
  for (size_t i = 0; i < bad.size(); ++i) {
    TIcon t;
    TMemoryStream in(bad[i]);
    EXPECT_THROW(t.LoadFromStream(in), EInvalidGraphic) << i;
  }
}

// ---- Metafiles ----

// A 40 x 20 metafile whose left half is red.
void RecordHalfRed(TMetafile& mf) {
  mf.SetWidth(40);
  mf.SetHeight(20);
  TMetafileCanvas c(mf);
  c.Brush()->SetColor(kClRed);
  c.Pen()->SetStyle(psClear);
  c.Rectangle(0, 0, 21, 21);
}

void ExpectHalfRed(TMetafile& mf, const char* what) {
  auto bmp = WhiteBitmap(40, 20);
  bmp->Canvas()->StretchDraw(TRect(0, 0, 40, 20), &mf);
  EXPECT_EQ(Hex(PixelOf(*bmp, 5, 10)), Hex(kClRed)) << what;
  EXPECT_EQ(Hex(PixelOf(*bmp, 35, 10)), Hex(kClWhite)) << what;
}

TEST(Metafile, RecordsPlaysAndRoundTripsAsEmf) {
  TMetafile mf;
  RecordHalfRed(mf);
  ASSERT_FALSE(mf.Empty());
  EXPECT_EQ(mf.Width(), 40);
  EXPECT_EQ(mf.Height(), 20);
  ExpectHalfRed(mf, "recorded");
  TMemoryStream s;
  mf.SaveToStream(s);
  EXPECT_EQ(DetectGraphicClass(s.Data().data(), s.Data().size()), &TMetafile::StaticClass());
  s.SetPosition(0);
  TMetafile back;
  back.LoadFromStream(s);
  EXPECT_EQ(s.Position(), s.Size());
  EXPECT_NEAR(back.Width(), 40, 1);
  EXPECT_NEAR(back.Height(), 20, 1);
  ExpectHalfRed(back, "read back");
}

TEST(Metafile, ReadsOldWindowsMetafiles) {
  TMetafile mf;
  RecordHalfRed(mf);
  TWindowDc screen(nullptr);
  UINT size = GetWinMetaFileBits(mf.Handle(), 0, nullptr, MM_ANISOTROPIC, screen.Get());
  ASSERT_GT(size, 18u);
  std::vector<uint8_t> wmf(size);
  GetWinMetaFileBits(mf.Handle(), size, wmf.data(), MM_ANISOTROPIC, screen.Get());
  EXPECT_EQ(DetectGraphicClass(wmf.data(), wmf.size()), &TMetafile::StaticClass());
  TMetafile back;
  TMemoryStream s(wmf);
  back.LoadFromStream(s);
  EXPECT_FALSE(back.Empty());
  ExpectHalfRed(back, "from WMF");
}

TEST(Metafile, DamagedDataRaises) {
  TMetafile mf;
  RecordHalfRed(mf);
  TMemoryStream s;
  mf.SaveToStream(s);
  std::vector<uint8_t> cut(s.Data().begin(), s.Data().end() - 8);
  TMemoryStream in(cut);
  TMetafile t;
  EXPECT_THROW(t.LoadFromStream(in), EInvalidGraphic);
  std::vector<uint8_t> junk(40, 0x55);
  TMemoryStream j(junk);
  EXPECT_THROW(t.LoadFromStream(j), EInvalidGraphic);
}

// ---- The registry and TPicture ----

TEST(GraphicRegistry, ClassesByName) {
  struct TName {
    const char* Name;
    const TClassInfo* Class;
  };
  const TName names[] = {{"TBitmap", &TBitmap::StaticClass()},     {"tbitmap", &TBitmap::StaticClass()},
                         {"TJPEGImage", &TJPEGImage::StaticClass()}, {"TIcon", &TIcon::StaticClass()},
                         {"TMetafile", &TMetafile::StaticClass()},   {"TGraphic", nullptr},
                         {"TNoSuchGraphic", nullptr},                {"", nullptr}};
  for (const TName& n : names) {
    EXPECT_EQ(FindGraphicClass(n.Name), n.Class) << n.Name;
    std::unique_ptr<TGraphic> g = CreateGraphic(n.Name);
    if (!n.Class) {
      EXPECT_EQ(g, nullptr) << n.Name;
      continue;
    }
    ASSERT_NE(g, nullptr) << n.Name;
    EXPECT_EQ(&g->ClassType(), n.Class);
    EXPECT_TRUE(g->Empty());
  }
}

TEST(GraphicRegistry, ExtensionsAndDescriptions) {
  struct TExt {
    const char* Ext;
    const TClassInfo* Class;
    const char* Description;
  };
  const TExt exts[] = {{"jpg", &TJPEGImage::StaticClass(), "JPEG Image File"},
                       {".JPEG", &TJPEGImage::StaticClass(), "JPEG Image File"},
                       {"bmp", &TBitmap::StaticClass(), "Bitmaps"},
                       {"ico", &TIcon::StaticClass(), "Icons"},
                       {"emf", &TMetafile::StaticClass(), "Enhanced Metafiles"},
                       {"wmf", &TMetafile::StaticClass(), "Metafiles"},
                       {"gif", nullptr, nullptr}};
  for (const TExt& e : exts) {
    const TGraphicFormat* f = FindFileFormat(e.Ext);
    if (!e.Class) {
      EXPECT_EQ(f, nullptr) << e.Ext;
      continue;
    }
    ASSERT_NE(f, nullptr) << e.Ext;
    EXPECT_EQ(f->Class, e.Class) << e.Ext;
    EXPECT_EQ(f->Description, e.Description) << e.Ext;
  }
  std::string filter = GraphicFilter();
  EXPECT_EQ(filter.rfind("All (", 0), 0u) << filter;
  EXPECT_NE(filter.find("|JPEG Image File (*.jpg)|*.jpg"), std::string::npos) << filter;
  EXPECT_EQ(GraphicFilter(&TBitmap::StaticClass()), "All (*.bmp)|*.bmp|Bitmaps (*.bmp)|*.bmp");
}

TEST(GraphicRegistry, DetectsTheKindFromTheFirstBytes) {
  auto bmp = Blocks();
  TMemoryStream bmpBytes;
  bmp->SaveToStream(bmpBytes);
  std::vector<uint8_t> jpg = EncodedBlocks();
  struct TData {
    const char* Name;
    std::vector<uint8_t> Bytes;
    const TClassInfo* Class;
  };
  const std::vector<TData> data{
      {"bitmap", bmpBytes.Data(), &TBitmap::StaticClass()},
      {"jpeg", jpg, &TJPEGImage::StaticClass()},
      {"placeable wmf", {0xD7, 0xCD, 0xC6, 0x9A, 0, 0}, &TMetafile::StaticClass()},
      {"text", {'h', 'e', 'l', 'l', 'o', ' ', 'w', 'o', 'r', 'l', 'd'}, nullptr},
      {"one byte", {'B'}, nullptr},
      {"icon header without images", {0, 0, 1, 0, 0, 0}, nullptr},
      {"nothing", {}, nullptr},
  };
  for (const TData& d : data) EXPECT_EQ(DetectGraphicClass(d.Bytes.data(), d.Bytes.size()), d.Class) << d.Name;
}

TEST(Picture, LoadsByDetectionAndByClassName) {
  std::vector<uint8_t> jpg = EncodedBlocks();
  TPicture pic;
  int changes = 0;
  pic.OnChange = [&](TObject* s) {
    EXPECT_EQ(s, &pic);
    ++changes;
  };
  TMemoryStream s(jpg);
  pic.LoadFromStream(s);
  ASSERT_NE(pic.Graphic(), nullptr);
  EXPECT_EQ(pic.Graphic()->ClassName(), "TJPEGImage");
  EXPECT_EQ(pic.Width(), 32);
  EXPECT_EQ(changes, 1);
  // By name the data is not looked at.
  TMemoryStream again(jpg);
  EXPECT_THROW(pic.LoadFromStream(again, "TBitmap"), EInvalidGraphic);
  EXPECT_EQ(pic.Graphic()->ClassName(), "TJPEGImage");  // unchanged after the failure
  TMemoryStream junk(std::vector<uint8_t>{1, 2, 3, 4});
  EXPECT_THROW(pic.LoadFromStream(junk), EInvalidGraphic);
  TMemoryStream unknown(jpg);
  EXPECT_THROW(pic.LoadFromStream(unknown, "TNoSuchGraphic"), EInvalidGraphic);
}

TEST(Picture, HoldsCopiesAndPassesChangesOn) {
  auto bmp = Blocks();
  TPicture pic;
  pic.SetGraphic(bmp.get());
  ASSERT_NE(pic.Graphic(), bmp.get());
  EXPECT_EQ(pic.Graphic()->ClassName(), "TBitmap");
  int changes = 0;
  pic.OnChange = [&](TObject*) { ++changes; };
  pic.Bitmap()->Canvas()->SetPixels(0, 0, kClBlack);  // the held bitmap's change
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(Hex(PixelOf(*bmp, 0, 0)), Hex(kClRed));  // the original untouched
  TPicture other;
  other.Assign(&pic);
  EXPECT_EQ(Hex(PixelOf(*other.Bitmap(), 0, 0)), Hex(kClBlack));
  // Asking for an icon replaces the bitmap with an empty icon.
  TIcon* icon = pic.Icon();
  EXPECT_TRUE(icon->Empty());
  EXPECT_EQ(pic.Graphic(), icon);
  pic.Assign(nullptr);
  EXPECT_EQ(pic.Graphic(), nullptr);
  EXPECT_EQ(pic.Width(), 0);
}

TEST(Picture, FilesByExtension) {
  ky_test::TempDir dir;
  auto bmp = Blocks();
  bmp->SaveToFile(dir / "blocks.bmp");
  TJPEGImage jpg;
  jpg.Assign(bmp.get());
  jpg.SaveToFile(dir / "blocks.JPG");
  TPicture pic;
  pic.LoadFromFile(dir / "blocks.bmp");
  EXPECT_EQ(pic.Graphic()->ClassName(), "TBitmap");
  EXPECT_EQ(Hex(PixelOf(*pic.Bitmap(), 20, 20)), Hex(kClWhite));
  pic.LoadFromFile(dir / "blocks.JPG");
  EXPECT_EQ(pic.Graphic()->ClassName(), "TJPEGImage");
  dir.WriteFile("blocks.xyz", "BM");
  EXPECT_THROW(pic.LoadFromFile(dir / "blocks.xyz"), EInvalidGraphic);
  EXPECT_THROW(pic.LoadFromFile(dir / "missing.bmp"), EFOpenError);
  EXPECT_EQ(pic.Graphic()->ClassName(), "TJPEGImage");
}

}  // namespace
