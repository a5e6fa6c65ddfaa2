// Draws every shape in every orientation, mirrored and not, and every
// background kind into one picture, skin_contact_sheet.bmp beside the test
// program, for a person to look at.
#include <gtest/gtest.h>

#include <string>

#include "SkinTestSupport.h"
#include "skin/Fills.h"
#include "skin/Shapes.h"

using namespace ky_test;

namespace {


TEST(ContactSheet, AllShapesAndBackGrounds) {
  const int cellW = 46, cellH = 30, shapeW = 40, shapeH = 24, label = 24;
  const TKyShapeOrientation turns[] = {sorDefault, sorUp, sorLeft, sorRight, sorDown};
  const int perRow = 10;  // five orientations, then the same mirrored
  const int shapeRows = kKyShapeCount / 2;
  const int blockW = label + perRow * cellW;
  const int bgTop = shapeRows * cellH + 16;
  const int bgW = 80, bgH = 50;
  const int width = 2 * blockW + 8, height = bgTop + 3 * (bgH + 20) + 40;

  auto sheet = WhiteBitmap(width, height, KyRGB(236, 236, 236));
  TCanvas& c = *sheet->Canvas();
  c.Font()->SetHeight(-10);
  c.Brush()->SetStyle(bsClear);

  for (int s = 0; s < kKyShapeCount; ++s) {
    int x0 = (s / shapeRows) * (blockW + 8), y0 = (s % shapeRows) * cellH;
    c.TextOut(x0 + 1, y0 + 8, std::to_string(s));
    for (int i = 0; i < perRow; ++i) {
      TRect r = TRect::Bounds(x0 + label + i * cellW + 3, y0 + 3, shapeW, shapeH);
      bool mirrored = i >= 5;
      PaintShape(c, r, spmFilled, 1, KyRGB(0, 0, 128), pesSolid, mirrored ? KyRGB(250, 180, 90) : KyRGB(120, 180, 250),
                 brsSolid, mirrored, static_cast<TKyShapes>(s), turns[i % 5]);
      // Each shape leaves paint in its cell.
      int painted = 0;
      for (int y = r.Top; y < r.Bottom; ++y)
        for (int x = r.Left; x < r.Right; ++x) painted += PixelOf(*sheet, x, y) == KyRGB(0, 0, 128);
      EXPECT_GT(painted, 0) << s << " " << i;
    }
  }

  TSkinApp app;
  auto picture = std::make_unique<TBitmap>(24, 18, pf24bit);
  TCanvas& pc = *picture->Canvas();
  pc.Brush()->SetColor(kClFuchsia);  // the bottom-left pixel: transparent
  pc.FillRect(TRect(0, 0, 24, 18));
  pc.Brush()->SetColor(KyRGB(255, 200, 0));
  pc.Ellipse(2, 2, 22, 16);
  pc.Brush()->SetColor(KyRGB(0, 120, 0));
  pc.Rectangle(8, 6, 16, 12);
  app.Picture(5, *picture);
  for (int kind = 0; kind < kFillKindCount; ++kind) {
    int x = 4 + (kind % 8) * (bgW + 12), y = bgTop + (kind / 8) * (bgH + 20);
    c.TextOut(x, y, "kind " + std::to_string(kind) + (kind == 19 ? " transp." : ""));
    std::string name = "sbKind" + std::to_string(kind);
    app.BackGround(name, static_cast<uint8_t>(kind), KyRGB(0, 60, 160), KyRGB(220, 240, 255), KyRGB(200, 120, 120), 5,
                   kind == 19);
    TKySetBackGround set(nullptr, name);
    TRect r = TRect::Bounds(x, y + 14, bgW, bgH);
    PaintBackGround(c, r, set);
    Frame3DRect(c, r.Inflate(1, 1), kClBlack, false, kClBlack);
  }
  // A shape filled with a gradient set, and a bevelled shape.
  int x = 4 + 5 * (bgW + 12), y = bgTop + 2 * (bgH + 20) + 14;
  // The brush styles over a striped canvas (hatches let it through), then
  // the pen styles in outline mode, then a raised and a sunken frame.
  int rowY = bgTop + 3 * (bgH + 20);
  for (int i = 0; i <= brsGrid; ++i) {
    TRect r = TRect::Bounds(4 + i * 52, rowY, 46, 30);
    c.Brush()->SetColor(KyRGB(255, 255, 160));
    c.FillRect(r);
    c.Brush()->SetColor(KyRGB(160, 255, 160));
    c.FillRect(TRect(r.Left, r.Top + 10, r.Right, r.Top + 20));
    PaintShape(c, r.Inflate(-2, -2), spmFilled, 2, kClNavy, pesSolid, kClMaroon, static_cast<TKyBrushStyle>(i), false,
               shaRoundRect, sorDefault);
  }
  for (int i = 0; i <= pesDashDotDot; ++i)
    PaintShape(c, TRect::Bounds(4 + (brsGrid + 1 + i) * 52, rowY, 46, 30), spmOutline, 1, kClBlack,
               static_cast<TKyPenStyle>(i), kClRed, brsSolid, false, shaHexagon, sorDefault);
  Frame3DRect(c, TRect::Bounds(4 + 15 * 52, rowY, 40, 30), kClWhite, false, kClGray);
  Frame3DRect(c, TRect::Bounds(4 + 16 * 52, rowY, 40, 30), kClWhite, true, kClGray);
  TKySetBackGround gradient(nullptr, "sbKind6");
  PaintShapeBackGround(c, TRect::Bounds(x, y, bgW, bgH), gradient, shaStar);
  TKySetBackGround tiled(nullptr, "sbKind10");
  PaintShapeBevel(c, TRect::Bounds(x + bgW + 12, y, bgW, bgH), bos3D, {shaOctagon, sorDefault, false, nullptr}, false,
                  &tiled);

  std::string file = BesideProgram("skin_contact_sheet.bmp");
  sheet->SaveToFile(file);
  TBitmap back;
  back.LoadFromFile(file);
  EXPECT_EQ(back.Width(), width);
  EXPECT_EQ(back.Height(), height);
  std::printf("contact sheet: %s\n", file.c_str());
}

}  // namespace
