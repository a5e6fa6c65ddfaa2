// A contact sheet of styled text to look at: every style and the disabled
// look at several angles, then alignment, layout, wrapping, accelerators and
// cut text. KY_SKIN_SHEET names the file; else "skin-text-sheet.bmp" in the
// working folder (the build's tests/skin under CTest).
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "TextDrawTestUtil.h"

using namespace ky_test;

namespace {

const int kCell = 120;

void Frame(TCanvas& c, const TRect& r) {
  TBrushRecall keep(c);
  c.Brush()->SetColor(kClGray);
  c.FrameRect(r);
}

TEST(TextSheet, DrawsStylesAnglesAndStatesOnOneSheet) {
  TTextSets sets;
  sets.Font.DefaultValue().Name = "Arial";
  sets.Font.DefaultValue().Height = -15;
  sets.Font.DefaultValue().Bold = true;
  TKyDefaultSetColor text("SheetText", kClNavy), accel("SheetAccel", kClRed), shadow("SheetShadow", kClGray);

  struct TRow {
    const char* Label;
    TKyFontStyle Style;
    bool Enabled;
    bool Flat;
  } rows[] = {{"fosNormal", fosNormal, true, false},   {"fosLight", fosLight, true, false},
              {"fos3DLight", fos3DLight, true, false}, {"fos3D", fos3D, true, false},
              {"fos3DLight1", fos3DLight1, true, false}, {"disabled", fosNormal, false, false},
              {"disabled flat", fos3D, false, true}};
  const int angles[] = {0, 45, 90, 180, 270, 315};
  const int cols = 1 + static_cast<int>(std::size(angles));
  const int nRows = static_cast<int>(std::size(rows)) + 2;
  auto sheet = WhiteBitmap(cols * kCell, nRows * kCell, kClSilver);
  TCanvas& c = *sheet->Canvas();

  auto draw = [&](const TRect& r, const std::string& s, TKyFontStyle style, int angle, bool enabled, bool flat,
                  TKyAlignment al, TKyLayout lay, bool wrap) {
    Frame(c, r);
    TRect out;
    DrawStyledText(&c, r, style, out, false, -1, false, angle, true, wrap, lay, al, flat, enabled, 3, 0, false, false,
                   &accel, &shadow, &text, &sets.Font, s);
  };
  auto label = [&](int row, const char* s) {
    draw(TRect::Bounds(4, row * kCell + 4, kCell - 8, kCell - 8), s, fosNormal, 0, true, false, aliLeft, layCenter,
         true);
  };

  for (int row = 0; row < static_cast<int>(std::size(rows)); ++row) {
    label(row, rows[row].Label);
    for (int col = 0; col < static_cast<int>(std::size(angles)); ++col) {
      TRect r = TRect::Bounds((col + 1) * kCell + 4, row * kCell + 4, kCell - 8, kCell - 8);
      draw(r, "&Styled\r\ntext", rows[row].Style, angles[col], rows[row].Enabled, rows[row].Flat, aliCenter,
           layCenter, false);
    }
  }
  // Alignment and layout, wrapping, cut text.
  int row = static_cast<int>(std::size(rows));
  label(row, "align / layout");
  const struct {
    TKyAlignment Al;
    TKyLayout Lay;
  } places[] = {{aliLeft, layTop}, {aliCenter, layCenter}, {aliRight, layBottom},
                {aliLeft, layBottom}, {aliRight, layTop}, {aliCenter, layTop}};
  for (int col = 0; col < 6; ++col)
    draw(TRect::Bounds((col + 1) * kCell + 4, row * kCell + 4, kCell - 8, kCell - 8), "A&b", fosNormal, 0, true,
         false, places[col].Al, places[col].Lay, false);
  ++row;
  label(row, "wrap / cut");
  const char* samples[] = {"Words that wrap inside the box", "One two\tthree", "A line far too long for it",
                           "Many\r\nlines\r\nthat\r\ndo\r\nnot\r\nfit\r\nin\r\nhere", "Tab\there &&amp; &Key",
                           "Wrapped and turned text"};
  for (int col = 0; col < 6; ++col)
    draw(TRect::Bounds((col + 1) * kCell + 4, row * kCell + 4, kCell - 8, kCell - 8), samples[col],
         col == 5 ? fos3D : fosNormal, col == 5 ? 90 : 0, true, false, col == 1 ? aliRight : aliLeft, layTop,
         col != 2);

  std::string path = "skin-text-sheet.bmp";
  if (const char* env = std::getenv("KY_SKIN_SHEET")) path = env;
  sheet->SaveToFile(path);
  TBitmap back;
  back.LoadFromFile(path);
  ASSERT_EQ(back.Width(), sheet->Width());
  ASSERT_EQ(back.Height(), sheet->Height());
  // The sheet holds the text colour and the shadow colour.
  EXPECT_GT(InkOfColour(*sheet, kClNavy, 40).Count, 100);
  EXPECT_GT(InkOfColour(*sheet, kClRed, 60).Count, 20);
}

}  // namespace
