// The canvas drawing into memory bitmaps, checked by pixel; its objects,
// events and locks.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <functional>
#include <thread>

#include "GraphicsTestUtil.h"
#include "platform/graphics/Graphics.h"
#include "platform/graphics/Jpeg.h"

using ky_test::Hex;
using ky_test::PixelOf;
using ky_test::WhiteBitmap;

namespace {

struct TProbe {
  int X, Y;
  TKyColor Expect;
};

struct TDrawCase {
  const char* Name;
  std::function<void(TCanvas&)> Draw;
  std::vector<TProbe> Probes;
};

void SolidPen(TCanvas& c, TKyColor color, int width = 1) {
  c.Pen()->SetColor(color);
  c.Pen()->SetWidth(width);
  c.Pen()->SetStyle(psSolid);
}

void NoPen(TCanvas& c) { c.Pen()->SetStyle(psClear); }

const TKyColor W = kClWhite;

// Each case draws on a white 20 x 20 bitmap; probes sit inside, outside and
// on the edges, where the exclusive right and bottom show.
const std::vector<TDrawCase>& DrawCases() {
  static const std::vector<TDrawCase> cases{
      {"FillRect leaves right and bottom out",
       [](TCanvas& c) {
         c.Brush()->SetColor(kClRed);
         c.FillRect(TRect(2, 2, 8, 8));
       },
       {{2, 2, kClRed}, {7, 7, kClRed}, {8, 8, W}, {1, 1, W}, {8, 2, W}, {2, 8, W}}},
      {"Rectangle: pen on the edge, brush inside",
       [](TCanvas& c) {
         SolidPen(c, kClBlack);
         c.Brush()->SetColor(kClBlue);
         c.Rectangle(2, 2, 10, 10);
       },
       {{2, 2, kClBlack}, {9, 9, kClBlack}, {9, 5, kClBlack}, {5, 5, kClBlue}, {10, 10, W}, {1, 5, W}}},
      {"Rectangle without a pen fills one pixel less",
       [](TCanvas& c) {
         NoPen(c);
         c.Brush()->SetColor(kClBlue);
         c.Rectangle(2, 2, 10, 10);
       },
       {{2, 2, kClBlue}, {8, 8, kClBlue}, {9, 9, W}}},
      {"Wide pen stays centred on the outline",
       [](TCanvas& c) {
         SolidPen(c, kClGreen, 3);
         c.Brush()->SetStyle(bsClear);
         c.Rectangle(5, 5, 15, 15);
       },
       {{4, 10, kClGreen}, {6, 10, kClGreen}, {3, 10, W}, {10, 10, W}}},
      {"Inside-frame pen stays inside the box",
       [](TCanvas& c) {
         SolidPen(c, kClGreen, 3);
         c.Pen()->SetStyle(psInsideFrame);
         c.Brush()->SetStyle(bsClear);
         c.Rectangle(5, 5, 15, 15);
       },
       {{4, 10, W}, {5, 10, kClGreen}, {7, 10, kClGreen}, {8, 10, W}}},
      {"Ellipse fills its middle, not its corners",
       [](TCanvas& c) {
         NoPen(c);
         c.Brush()->SetColor(kClLime);
         c.Ellipse(0, 0, 20, 20);
       },
       {{10, 10, kClLime}, {1, 1, W}, {18, 18, W}, {10, 1, kClLime}}},
      {"RoundRect rounds the corners only",
       [](TCanvas& c) {
         NoPen(c);
         c.Brush()->SetColor(kClNavy);
         c.RoundRect(0, 0, 20, 20, 10, 10);
       },
       {{0, 0, W}, {10, 10, kClNavy}, {0, 10, kClNavy}, {10, 0, kClNavy}}},
      {"Polygon fills the triangle",
       [](TCanvas& c) {
         NoPen(c);
         c.Brush()->SetColor(kClRed);
         c.Polygon({{0, 0}, {19, 0}, {0, 19}});
       },
       {{2, 2, kClRed}, {17, 17, W}, {12, 2, kClRed}}},
      {"Polyline draws no fill and leaves the last point out",
       [](TCanvas& c) {
         SolidPen(c, kClBlue);
         c.Brush()->SetColor(kClRed);
         c.Polyline({{2, 2}, {12, 2}, {12, 12}});
       },
       {{2, 2, kClBlue}, {12, 7, kClBlue}, {12, 12, W}, {5, 5, W}}},
      {"LineTo leaves its end point out",
       [](TCanvas& c) {
         SolidPen(c, kClRed);
         c.MoveTo(0, 5);
         c.LineTo(10, 5);
       },
       {{0, 5, kClRed}, {9, 5, kClRed}, {10, 5, W}, {5, 4, W}}},
      {"Pie from three to twelve o'clock fills the top-right quarter",
       [](TCanvas& c) {
         NoPen(c);
         c.Brush()->SetColor(kClRed);
         c.Pie(0, 0, 20, 20, 20, 10, 10, 0);
       },
       {{14, 6, kClRed}, {6, 14, W}, {6, 6, W}, {14, 14, W}}},
      {"Chord fills only the cut-off part",
       [](TCanvas& c) {
         NoPen(c);
         c.Brush()->SetColor(kClRed);
         c.Chord(0, 0, 20, 20, 20, 10, 10, 0);
       },
       {{16, 4, kClRed}, {11, 9, W}}},
      {"Arc draws the outline, no fill",
       [](TCanvas& c) {
         SolidPen(c, kClBlack);
         c.Brush()->SetColor(kClRed);
         c.Arc(0, 0, 20, 20, 20, 10, 10, 0);
       },
       {{14, 6, W}, {10, 10, W}}},
      {"FrameRect draws a one-pixel ring",
       [](TCanvas& c) {
         c.Brush()->SetColor(kClBlack);
         c.FrameRect(TRect(2, 2, 10, 10));
       },
       {{2, 2, kClBlack}, {9, 9, kClBlack}, {5, 5, W}, {10, 10, W}}},
      {"Pixels sets one pixel",
       [](TCanvas& c) { c.SetPixels(3, 4, kClFuchsia); },
       {{3, 4, kClFuchsia}, {4, 4, W}, {3, 3, W}}},
      {"System colours resolve",
       [](TCanvas& c) {
         c.Brush()->SetColor(kClBtnFace);
         c.FillRect(TRect(0, 0, 5, 5));
       },
       {{0, 0, static_cast<TKyColor>(GetSysColor(COLOR_BTNFACE))}}},
      {"pmNot inverts what is there",
       [](TCanvas& c) {
         c.Brush()->SetColor(kClRed);
         c.FillRect(TRect(0, 0, 20, 20));
         SolidPen(c, kClBlack);
         c.Pen()->SetMode(pmNot);
         c.MoveTo(0, 3);
         c.LineTo(20, 3);
       },
       {{5, 3, kClAqua}, {5, 4, kClRed}}},
      {"Clip rectangle limits a fill",
       [](TCanvas& c) {
         c.SetClipRect(TRect(0, 0, 5, 5));
         c.Brush()->SetColor(kClRed);
         c.FillRect(TRect(0, 0, 20, 20));
       },
       {{4, 4, kClRed}, {5, 5, W}, {10, 0, W}}},
      {"Reset clip lifts the limit",
       [](TCanvas& c) {
         c.SetClipRect(TRect(0, 0, 5, 5));
         c.ResetClip();
         c.Brush()->SetColor(kClRed);
         c.FillRect(TRect(0, 0, 20, 20));
       },
       {{4, 4, kClRed}, {15, 15, kClRed}}},
      {"Excluded rectangle is kept",
       [](TCanvas& c) {
         c.ExcludeClipRect(TRect(5, 5, 10, 10));
         c.Brush()->SetColor(kClRed);
         c.FillRect(TRect(0, 0, 20, 20));
       },
       {{4, 4, kClRed}, {5, 5, W}, {9, 9, W}, {10, 10, kClRed}}},
      {"Colour change alone re-applies to the next call",
       [](TCanvas& c) {
         c.Brush()->SetColor(kClRed);
         c.FillRect(TRect(0, 0, 5, 5));
         c.Brush()->SetColor(kClBlue);
         c.FillRect(TRect(5, 0, 10, 5));
       },
       {{2, 2, kClRed}, {7, 2, kClBlue}}},
  };
  return cases;
}

class CanvasDraw : public testing::TestWithParam<size_t> {};

TEST_P(CanvasDraw, PixelsAsDrawn) {
  const TDrawCase& dc = DrawCases()[GetParam()];
  auto bmp = WhiteBitmap(20, 20);
  dc.Draw(*bmp->Canvas());
  for (const TProbe& p : dc.Probes)
    EXPECT_EQ(Hex(PixelOf(*bmp, p.X, p.Y)), Hex(p.Expect)) << dc.Name << " at (" << p.X << ", " << p.Y << ")";
}

INSTANTIATE_TEST_SUITE_P(Cases, CanvasDraw, testing::Range<size_t>(0, DrawCases().size()));

// Every case enlarged four times on one sheet, with text samples, saved as
// a picture to look at: KY_GRAPHICS_SHEET names the file (.bmp or .jpg),
// else it goes to the temporary folder.
TEST(CanvasSheet, DrawsEveryCaseOnOneSheet) {
  const int cell = 88, cols = 8;
  int rows = static_cast<int>((DrawCases().size() + cols - 1) / cols);
  auto sheet = WhiteBitmap(cols * cell, rows * cell + 120, kClSilver);
  TCanvas& c = *sheet->Canvas();
  for (size_t i = 0; i < DrawCases().size(); ++i) {
    auto bmp = WhiteBitmap(20, 20);
    DrawCases()[i].Draw(*bmp->Canvas());
    int x = static_cast<int>(i % cols) * cell + 4, y = static_cast<int>(i / cols) * cell + 4;
    c.StretchDraw(TRect::Bounds(x, y, 80, 80), bmp.get());
  }
  int y = rows * cell + 8;
  c.Brush()->SetStyle(bsClear);
  struct TSample {
    const char* Face;
    int Height;
    TFontStyles Style;
    int Escapement;
  };
  const TSample samples[] = {{"MS Sans Serif", -11, {}, 0},      {"Arial", -16, {fsBold}, 0},
                             {"Times New Roman", -18, {fsItalic}, 0}, {"Courier New", -14, {fsUnderline}, 0},
                             {"Arial", -14, {}, 300}};
  const int textTop = y;
  for (const TSample& s : samples) {
    c.Font()->SetName(s.Face);
    c.Font()->SetHeight(s.Height);
    c.Font()->SetStyle(s.Style);
    c.Font()->SetEscapement(s.Escapement);
    c.Font()->SetOrientation(s.Escapement);
    c.Font()->SetColor(s.Escapement ? kClMaroon : kClBlack);
    if (s.Escapement) {
      c.TextOut(300, textTop + 100, s.Face);
      continue;
    }
    c.TextOut(8, y, s.Face);
    y += c.TextHeight(s.Face) + 4;
  }
  std::string path;
  if (const char* env = std::getenv("KY_GRAPHICS_SHEET")) path = env;
  if (path.empty()) {
    char tmp[MAX_PATH];
    GetTempPathA(MAX_PATH, tmp);
    path = std::string(tmp) + "graphics-sheet.bmp";
  }
  if (path.size() > 4 && path.substr(path.size() - 4) == ".jpg") {
    TJPEGImage jpg;
    jpg.Assign(sheet.get());
    jpg.SaveToFile(path);
    TJPEGImage back;
    back.LoadFromFile(path);
    EXPECT_EQ(back.Width(), sheet->Width());
  } else {
    sheet->SaveToFile(path);
    TBitmap back;
    back.LoadFromFile(path);
    ASSERT_EQ(back.Width(), sheet->Width());
    EXPECT_EQ(Hex(back.Canvas()->Pixels(5, 5)), Hex(sheet->Canvas()->Pixels(5, 5)));
  }
}

// Dark pixels of a bitmap within and outside a rectangle.
struct TInk {
  int Inside = 0, Outside = 0;
  TRect Bounds{INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN};
};
TInk InkOf(TBitmap& b, const TRect& area) {
  TInk ink;
  for (int y = 0; y < b.Height(); ++y)
    for (int x = 0; x < b.Width(); ++x) {
      TKyColor c = PixelOf(b, x, y);
      if (KyRed(c) > 128 || KyGreen(c) > 128 || KyBlue(c) > 128) continue;
      (area.Contains({x, y}) ? ink.Inside : ink.Outside)++;
      ink.Bounds = {std::min(ink.Bounds.Left, x), std::min(ink.Bounds.Top, y), std::max(ink.Bounds.Right, x + 1),
                    std::max(ink.Bounds.Bottom, y + 1)};
    }
  return ink;
}

TEST(CanvasText, TextOutStaysInItsExtent) {
  auto bmp = WhiteBitmap(80, 40);
  TCanvas& c = *bmp->Canvas();
  c.Font()->SetName("Arial");
  c.Font()->SetHeight(-16);
  c.Font()->SetColor(kClBlack);
  c.Brush()->SetStyle(bsClear);
  TSize ext = c.TextExtent("Wg");
  ASSERT_GT(ext.cx, 0);
  ASSERT_GT(ext.cy, 10);
  c.TextOut(10, 5, "Wg");
  TInk ink = InkOf(*bmp, TRect::Bounds(10, 5, ext.cx, ext.cy));
  EXPECT_GT(ink.Inside, 10);
  EXPECT_EQ(ink.Outside, 0);
  EXPECT_EQ(c.TextWidth("Wg"), ext.cx);
  EXPECT_EQ(c.TextHeight("Wg"), ext.cy);
  EXPECT_EQ(c.TextExtent("").cx, 0);
}

TEST(CanvasText, SolidBrushPaintsTheTextBackground) {
  auto bmp = WhiteBitmap(60, 30);
  TCanvas& c = *bmp->Canvas();
  c.Font()->SetColor(kClBlack);
  c.Brush()->SetColor(kClYellow);
  TSize ext = c.TextExtent("i");
  c.TextOut(0, 0, "i");
  // The cell's corner is background, not ink, and not the white below.
  EXPECT_EQ(Hex(PixelOf(*bmp, ext.cx - 1, 0)), Hex(kClYellow));
  EXPECT_EQ(Hex(PixelOf(*bmp, ext.cx + 1, 0)), Hex(kClWhite));
}

TEST(CanvasText, TextRectClipsToItsRectangle) {
  auto bmp = WhiteBitmap(80, 30);
  TCanvas& c = *bmp->Canvas();
  c.Font()->SetColor(kClBlack);
  c.Brush()->SetStyle(bsClear);
  c.TextRect(TRect(0, 0, 12, 30), 0, 0, "WWWWWWWW");
  TInk ink = InkOf(*bmp, TRect(0, 0, 12, 30));
  EXPECT_GT(ink.Inside, 0);
  EXPECT_EQ(ink.Outside, 0);
}

TEST(CanvasText, DrawTextFlagsCentreAndMeasure) {
  auto bmp = WhiteBitmap(100, 30);
  TCanvas& c = *bmp->Canvas();
  c.Font()->SetColor(kClBlack);
  c.Brush()->SetStyle(bsClear);
  TRect measured(0, 0, 100, 30);
  int h = c.TextRect(measured, "Hi", DT_CALCRECT | DT_SINGLELINE);
  EXPECT_EQ(measured.Width(), c.TextWidth("Hi"));
  EXPECT_EQ(h, c.TextHeight("Hi"));
  TRect box(0, 0, 100, 30);
  c.TextRect(box, "Hi", DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  TInk ink = InkOf(*bmp, box);
  // Centred: the ink's middle lies near the box's middle.
  int mid = (ink.Bounds.Left + ink.Bounds.Right) / 2;
  EXPECT_NEAR(mid, 50, 3);
}

TEST(CanvasText, EscapementTurnsTheBaseline) {
  auto bmp = WhiteBitmap(60, 120);
  TCanvas& c = *bmp->Canvas();
  c.Font()->SetName("Arial");
  c.Font()->SetHeight(-14);
  c.Font()->SetColor(kClBlack);
  c.Font()->SetEscapement(900);
  c.Font()->SetOrientation(900);
  c.Brush()->SetStyle(bsClear);
  c.TextOut(10, 110, "WWWWW");
  TInk ink = InkOf(*bmp, TRect(0, 0, 60, 120));
  ASSERT_GT(ink.Inside, 0);
  // Upwards from the start point: taller than wide.
  EXPECT_GT(ink.Bounds.Height(), 2 * ink.Bounds.Width());
  EXPECT_LE(ink.Bounds.Bottom, 111);
}

TEST(CanvasCopy, CopyRectStretchesAndUsesTheCopyMode) {
  auto src = WhiteBitmap(2, 2, kClRed);
  auto dst = WhiteBitmap(10, 10);
  dst->Canvas()->CopyRect(TRect(0, 0, 4, 4), *src->Canvas(), TRect(0, 0, 2, 2));
  EXPECT_EQ(Hex(PixelOf(*dst, 3, 3)), Hex(kClRed));
  EXPECT_EQ(Hex(PixelOf(*dst, 4, 4)), Hex(kClWhite));
  dst->Canvas()->SetCopyMode(cmNotSrcCopy);
  dst->Canvas()->CopyRect(TRect(5, 5, 7, 7), *src->Canvas(), TRect(0, 0, 2, 2));
  EXPECT_EQ(Hex(PixelOf(*dst, 5, 5)), Hex(kClAqua));
}

TEST(CanvasCopy, PixelsOutsideTheBitmapAreNone) {
  auto bmp = WhiteBitmap(4, 4);
  EXPECT_EQ(bmp->Canvas()->Pixels(1, 1), kClWhite);
  EXPECT_EQ(bmp->Canvas()->Pixels(10, 10), kClNone);
}

TEST(CanvasClip, ClipRectReportsTheLimit) {
  auto bmp = WhiteBitmap(20, 20);
  TCanvas& c = *bmp->Canvas();
  EXPECT_EQ(c.ClipRect(), TRect(0, 0, 20, 20));
  c.SetClipRect(TRect(2, 3, 8, 9));
  EXPECT_EQ(c.ClipRect(), TRect(2, 3, 8, 9));
  c.IntersectClipRect(TRect(4, 0, 20, 5));
  EXPECT_EQ(c.ClipRect(), TRect(4, 3, 8, 5));
  c.ResetClip();
  EXPECT_EQ(c.ClipRect(), TRect(0, 0, 20, 20));
}

TEST(CanvasHatch, HatchGapsKeepTheBackground) {
  auto bmp = WhiteBitmap(16, 16, kClRed);
  TCanvas& c = *bmp->Canvas();
  c.Brush()->SetColor(kClBlack);
  c.Brush()->SetStyle(bsDiagCross);
  c.FillRect(TRect(0, 0, 16, 16));
  int black = 0, red = 0, other = 0;
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) {
      TKyColor p = PixelOf(*bmp, x, y);
      (p == kClBlack ? black : p == kClRed ? red : other)++;
    }
  EXPECT_GT(black, 16);
  EXPECT_GT(red, 64);
  EXPECT_EQ(other, 0);
}

TEST(CanvasHatch, PatternBrushRepeatsItsBitmap) {
  TBitmap pattern(2, 2, pf24bit);
  pattern.Canvas()->SetPixels(0, 0, kClRed);
  pattern.Canvas()->SetPixels(1, 1, kClRed);
  auto bmp = WhiteBitmap(8, 8, kClBlue);
  bmp->Canvas()->Brush()->SetBitmap(&pattern);
  bmp->Canvas()->FillRect(TRect(0, 0, 6, 6));
  for (int y = 0; y < 6; ++y)
    for (int x = 0; x < 6; ++x)
      EXPECT_EQ(Hex(PixelOf(*bmp, x, y)), Hex((x + y) % 2 ? kClWhite : kClRed)) << x << ", " << y;
  EXPECT_EQ(Hex(PixelOf(*bmp, 6, 6)), Hex(kClBlue));
  bmp->Canvas()->Brush()->SetBitmap(nullptr);
}

// ---- Handles and objects ----

TEST(CanvasHandle, GivesTheDcItsOwnObjectsBack) {
  TMemoryDcHandle dc(CreateCompatibleDC(nullptr));
  HGDIOBJ font = GetCurrentObject(dc.Get(), OBJ_FONT);
  HGDIOBJ pen = GetCurrentObject(dc.Get(), OBJ_PEN);
  HGDIOBJ brush = GetCurrentObject(dc.Get(), OBJ_BRUSH);
  {
    TCanvas c;
    c.SetHandle(dc.Get());
    c.Brush()->SetColor(kClRed);
    c.Rectangle(0, 0, 2, 2);
    c.TextOut(0, 0, "x");
    EXPECT_NE(GetCurrentObject(dc.Get(), OBJ_FONT), font);
    EXPECT_EQ(GetCurrentObject(dc.Get(), OBJ_BRUSH), c.Brush()->Handle());
    // A change while selected puts the DC's own brush back first.
    c.Brush()->SetColor(kClBlue);
    EXPECT_EQ(GetCurrentObject(dc.Get(), OBJ_BRUSH), brush);
    c.Rectangle(0, 0, 2, 2);
    c.SetHandle(nullptr);
    EXPECT_FALSE(c.HandleAllocated());
    EXPECT_EQ(GetCurrentObject(dc.Get(), OBJ_FONT), font);
    EXPECT_EQ(GetCurrentObject(dc.Get(), OBJ_PEN), pen);
    EXPECT_EQ(GetCurrentObject(dc.Get(), OBJ_BRUSH), brush);
  }
}

TEST(CanvasHandle, WithoutADcDrawingRaises) {
  TCanvas c;
  EXPECT_FALSE(c.HandleAllocated());
  EXPECT_THROW(c.FillRect(TRect(0, 0, 1, 1)), EInvalidGraphicOperation);
}

// A canvas that makes its DC on demand, as a control's canvas does.
class TOnDemandCanvas : public TCanvas {
public:
  ~TOnDemandCanvas() override {
    SetHandle(nullptr);
  }
  int Made = 0;
  TMemoryDcHandle Dc;

protected:
  void CreateHandle() override {
    ++Made;
    Dc.Reset(CreateCompatibleDC(nullptr));
    SetHandle(Dc.Get());
  }
};

TEST(CanvasHandle, CreateHandleRunsOnceOnFirstUse) {
  TOnDemandCanvas c;
  EXPECT_FALSE(c.HandleAllocated());
  EXPECT_EQ(c.Made, 0);
  c.MoveTo(1, 2);
  EXPECT_EQ(c.PenPos(), TPoint(1, 2));
  c.LineTo(3, 3);
  EXPECT_EQ(c.PenPos(), TPoint(3, 3));
  EXPECT_EQ(c.Made, 1);
}

TEST(CanvasEvents, ChangingAndChangeBracketEveryDrawing) {
  auto bmp = WhiteBitmap(4, 4);
  TCanvas& c = *bmp->Canvas();
  std::string log;
  c.OnChanging = [&](TObject* s) {
    EXPECT_EQ(s, &c);
    log += "<";
  };
  c.OnChange = [&](TObject*) { log += ">"; };
  c.FillRect(TRect(0, 0, 1, 1));
  c.TextOut(0, 0, "a");
  c.TextExtent("a");  // measuring changes nothing
  EXPECT_EQ(log, "<><>");
}

struct TSetterCase {
  const char* Name;
  std::function<void(TFont&, TPen&, TBrush&)> Set;
  int FontChanges, PenChanges, BrushChanges;
};

TEST(GraphicsObjects, SettersChangeOnceAndNotWhenEqual) {
  const std::vector<TSetterCase> cases{
      {"font name", [](TFont& f, TPen&, TBrush&) { f.SetName("Arial"); }, 1, 0, 0},
      {"font same name", [](TFont& f, TPen&, TBrush&) { f.SetName(f.Name()); }, 0, 0, 0},
      {"font style", [](TFont& f, TPen&, TBrush&) { f.SetStyle({fsBold, fsItalic}); }, 1, 0, 0},
      {"font same size", [](TFont& f, TPen&, TBrush&) { f.SetSize(f.Size()); }, 0, 0, 0},
      {"font data at once",
       [](TFont& f, TPen&, TBrush&) {
         TKyFontData d = f.Data();
         d.Bold = true;
         d.Height = -20;
         d.Color = kClRed;
         f.SetData(d);
       },
       1, 0, 0},
      {"font same data", [](TFont& f, TPen&, TBrush&) { f.SetData(f.Data()); }, 0, 0, 0},
      {"pen width 0 is 1", [](TFont&, TPen& p, TBrush&) { p.SetWidth(0); }, 0, 0, 0},
      {"pen mode", [](TFont&, TPen& p, TBrush&) { p.SetMode(pmXor); }, 0, 1, 0},
      {"brush colour", [](TFont&, TPen&, TBrush& b) { b.SetColor(kClRed); }, 0, 0, 1},
      {"brush same style", [](TFont&, TPen&, TBrush& b) { b.SetStyle(bsSolid); }, 0, 0, 0},
  };
  for (const TSetterCase& sc : cases) {
    TFont f;
    TPen p;
    TBrush b;
    int fc = 0, pc = 0, bc = 0;
    f.OnChange = [&](TObject* s) {
      EXPECT_EQ(s, &f);
      ++fc;
    };
    p.OnChange = [&](TObject*) { ++pc; };
    b.OnChange = [&](TObject*) { ++bc; };
    sc.Set(f, p, b);
    EXPECT_EQ(fc, sc.FontChanges) << sc.Name;
    EXPECT_EQ(pc, sc.PenChanges) << sc.Name;
    EXPECT_EQ(bc, sc.BrushChanges) << sc.Name;
  }
}

TEST(GraphicsObjects, FontHandleFollowsTheValues) {
  TFont f;
  f.SetName("Arial");
  f.SetHeight(-13);
  f.SetStyle({fsBold});
  HFONT h = f.Handle();
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(f.Handle(), h);  // kept while nothing changes
  LOGFONTA lf{};
  ASSERT_EQ(GetObjectA(h, sizeof lf, &lf), static_cast<int>(sizeof lf));
  EXPECT_EQ(lf.lfHeight, -13);
  EXPECT_EQ(lf.lfWeight, FW_BOLD);
  EXPECT_STREQ(lf.lfFaceName, "Arial");
  f.SetColor(kClRed);  // colour is not part of the font object
  EXPECT_EQ(f.Handle(), h);
  f.SetEscapement(450);
  ASSERT_EQ(GetObjectA(f.Handle(), sizeof lf, &lf), static_cast<int>(sizeof lf));
  EXPECT_EQ(lf.lfEscapement, 450);
}

TEST(GraphicsObjects, AssignCopiesValuesAndSharesTheHandle) {
  TFont a;
  a.SetName("Courier New");
  a.SetStyle({fsUnderline});
  a.SetColor(kClMaroon);
  HFONT h = a.Handle();
  TFont b;
  b.Assign(&a);
  EXPECT_EQ(b.Data(), a.Data());
  EXPECT_EQ(b.Handle(), h);
  // Each keeps working after the other lets go.
  a.SetHeight(-30);
  LOGFONTA lf{};
  EXPECT_EQ(GetObjectA(b.Handle(), sizeof lf, &lf), static_cast<int>(sizeof lf));
  EXPECT_TRUE(lf.lfUnderline);
  TPen p;
  EXPECT_THROW(p.Assign(&a), EConvertError);
}

TEST(GraphicsObjects, FontSizeFollowsPixelsPerInch) {
  TFont f;
  f.SetPixelsPerInch(96);
  f.SetSize(9);
  EXPECT_EQ(f.Height(), -12);
  f.SetPixelsPerInch(120);
  EXPECT_EQ(f.Height(), -12);
  EXPECT_EQ(f.Size(), 7);
}

TEST(GraphicsObjects, BrushColourAndClearStyleGoTogether) {
  TBrush b;
  b.SetStyle(bsClear);
  b.SetColor(kClRed);
  EXPECT_EQ(b.Style(), bsSolid);
  b.SetColor(kClNone);
  EXPECT_EQ(b.Style(), bsClear);
}

TEST(GraphicsObjects, ColorToRgbResolvesSystemColours) {
  EXPECT_EQ(ColorToRGB(kClRed), 0x0000FF);
  EXPECT_EQ(ColorToRGB(kClWindowText), static_cast<int32_t>(GetSysColor(COLOR_WINDOWTEXT)));
  EXPECT_EQ(ColorToRGB(kClHighlight), static_cast<int32_t>(GetSysColor(COLOR_HIGHLIGHT)));
  EXPECT_EQ(ColorToRGB(kClNone), 0);
}

TEST(CanvasRecall, PutsPenAndBrushBack) {
  auto bmp = WhiteBitmap(4, 4);
  TCanvas& c = *bmp->Canvas();
  c.Pen()->SetColor(kClRed);
  c.Brush()->SetStyle(bsCross);
  {
    TPenRecall pen(c);
    TBrushRecall brush(c);
    c.Pen()->SetColor(kClBlue);
    c.Pen()->SetWidth(3);
    c.Brush()->SetColor(kClGreen);
    c.Brush()->SetStyle(bsSolid);
  }
  EXPECT_EQ(c.Pen()->Color(), kClRed);
  EXPECT_EQ(c.Pen()->Width(), 1);
  EXPECT_EQ(c.Brush()->Style(), bsCross);
  EXPECT_EQ(c.Brush()->Color(), kClWhite);
}

// ---- Locks ----

TEST(CanvasLock, TryLockFromAnotherThreadFailsWhileHeld) {
  TCanvas c;
  c.Lock();
  c.Lock();  // recursive
  EXPECT_EQ(c.LockCount(), 2);
  std::atomic<int> got{-1};
  std::thread([&] { got = c.TryLock() ? 1 : 0; }).join();
  EXPECT_EQ(got, 0);
  c.Unlock();
  c.Unlock();
  EXPECT_EQ(c.LockCount(), 0);
  std::thread([&] {
    got = c.TryLock() ? 1 : 0;
    if (got) c.Unlock();
  }).join();
  EXPECT_EQ(got, 1);
}

TEST(CanvasLock, PaintLockIsOneForTheProcess) {
  EXPECT_EQ(&GlobalPaintLock(), &GlobalPaintLock());
  GlobalPaintLock().Lock();
  EXPECT_TRUE(GlobalPaintLock().TryLock());  // same thread: recursive
  GlobalPaintLock().Unlock();
  std::atomic<int> got{-1};
  std::thread([&] { got = GlobalPaintLock().TryLock() ? 1 : 0; }).join();
  EXPECT_EQ(got, 0);
  GlobalPaintLock().Unlock();
  std::thread([&] {
    got = GlobalPaintLock().TryLock() ? 1 : 0;
    if (got) GlobalPaintLock().Unlock();
  }).join();
  EXPECT_EQ(got, 1);
}

}  // namespace
