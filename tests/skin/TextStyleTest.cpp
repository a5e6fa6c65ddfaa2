// The passes of the styles and of the disabled look, colours asked of their
// sets at drawing time, the outline face for turned bitmap fonts, and a
// drawing call that leaves the canvas and the GDI object count as it found
// them.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "TextDrawTestUtil.h"
#include "packages/PkgDisplay.h"
#include "platform/graphics/Graphics.h"

using namespace ky_test;

namespace {

std::unique_ptr<TBitmap> StyleDrawn(TTextSets& sets, const TTextArgs& a, TKyColor background = kClWhite) {
  auto bmp = WhiteBitmap(300, 100, background);
  sets.Draw(*bmp->Canvas(), a);
  return bmp;
}

TTextArgs Caption(TKyFontStyle style, int spacing = 2) {
  TTextArgs a;
  a.Text = "Shade";
  a.Rect = TRect(10, 10, 290, 90);
  a.Style = style;
  a.Spacing3D = spacing;
  return a;
}

// ---- Passes of the styles ---------------------------------------------------------------

struct TShadowCase {
  TKyFontStyle Style;
  int Spacing;
  int Offset;  // where the shadow copy goes, both ways
};

void PrintTo(const TShadowCase& c, std::ostream* os) { *os << "style " << int(c.Style) << " spacing " << c.Spacing; }

class ShadowStyles : public testing::TestWithParam<TShadowCase> {};

TEST_P(ShadowStyles, ShadowCopyLiesDownRightBySpacingAndTheTextKeepsItsCorner) {
  const TShadowCase& sc = GetParam();
  TTextSets sets;
  TInkArea plain = InkOfColour(*StyleDrawn(sets, Caption(fosNormal)), kInkText, 100);
  auto bmp = StyleDrawn(sets, Caption(sc.Style, sc.Spacing));
  TInkArea text = InkOfColour(*bmp, kInkText, 100);
  TInkArea shadow = InkOfColour(*bmp, kInkShadow, 100);
  ASSERT_GT(shadow.Count, 10);
  EXPECT_EQ(RectText(text.Bounds), RectText(plain.Bounds)) << "the text copy stays where plain text goes";
  // The shadow's far sides are never covered by the text copy.
  EXPECT_EQ(shadow.Bounds.Right, plain.Bounds.Right + sc.Offset);
  EXPECT_EQ(shadow.Bounds.Bottom, plain.Bounds.Bottom + sc.Offset);
  EXPECT_GE(shadow.Bounds.Left, plain.Bounds.Left + sc.Offset);
  EXPECT_GE(shadow.Bounds.Top, plain.Bounds.Top + sc.Offset);
}

INSTANTIATE_TEST_SUITE_P(Cases, ShadowStyles,
                         testing::Values(TShadowCase{fos3D, 0, 1}, TShadowCase{fos3D, 1, 1}, TShadowCase{fos3D, 2, 2},
                                         TShadowCase{fos3D, 3, 3}, TShadowCase{fos3DLight1, 5, 5},
                                         TShadowCase{fos3DLight1, -4, 1}));

TEST(TextStyles, SpacingBelowOneDrawsLikeOne) {
  TTextSets sets;
  auto zero = StyleDrawn(sets, Caption(fos3D, 0));
  auto one = StyleDrawn(sets, Caption(fos3D, 1));
  EXPECT_TRUE(SamePixels(*zero, *one));
}

TEST(TextStyles, HaloSurroundsTheTextByOnePixel) {
  TTextSets sets;
  TInkArea plain = InkOfColour(*StyleDrawn(sets, Caption(fosNormal)), kInkText, 100);
  auto bmp = StyleDrawn(sets, Caption(fos3DLight));
  EXPECT_EQ(RectText(InkOfColour(*bmp, kInkShadow, 100).Bounds), RectText(plain.Bounds.Inflate(1, 1)));
  EXPECT_EQ(RectText(InkOfColour(*bmp, kInkText, 100).Bounds), RectText(plain.Bounds));
}

TEST(TextStyles, NormalAndLightDrawOneCopy) {
  TTextSets sets;
  auto normal = StyleDrawn(sets, Caption(fosNormal));
  auto light = StyleDrawn(sets, Caption(fosLight));
  EXPECT_EQ(InkOfColour(*normal, kInkShadow, 100).Count, 0);
  EXPECT_TRUE(SamePixels(*normal, *light));
}

// ---- The disabled look ------------------------------------------------------------------

struct TDisabledCase {
  TKyFontStyle Style;
  bool Flat;
};

void PrintTo(const TDisabledCase& c, std::ostream* os) { *os << "style " << int(c.Style) << (c.Flat ? " flat" : ""); }

class Disabled : public testing::TestWithParam<TDisabledCase> {};

// On black, so that the highlight copy shows.
TEST_P(Disabled, DrawsHighlightDownRightThenShadowInPlaceWhateverTheStyle) {
  const TDisabledCase& dc = GetParam();
  TTextSets sets;
  TTextArgs a = Caption(dc.Style, 3);
  TInkArea plain = InkOfColour(*StyleDrawn(sets, Caption(fosNormal), kClBlack), kInkText, 100);
  a.Enabled = false;
  a.DisabledFlat = dc.Flat;
  auto bmp = StyleDrawn(sets, a, kClBlack);
  const TKyColor light = ColorToRGB(kClBtnHighlight), dark = ColorToRGB(kClBtnShadow);
  ASSERT_NE(Hex(light), Hex(dark));
  TInkArea lit = InkOfColour(*bmp, light, 30);
  TInkArea shaded = InkOfColour(*bmp, dark, 30);
  EXPECT_EQ(RectText(shaded.Bounds), RectText(plain.Bounds));
  if (dc.Flat) {
    EXPECT_EQ(lit.Count, 0);
  } else {
    ASSERT_GT(lit.Count, 5);
    EXPECT_EQ(lit.Bounds.Right, plain.Bounds.Right + 1);
    EXPECT_EQ(lit.Bounds.Bottom, plain.Bounds.Bottom + 1);
  }
  // The style's own colours do not show.
  EXPECT_EQ(InkOfColour(*bmp, kInkText, 100).Count, 0);
  EXPECT_EQ(InkOfColour(*bmp, kInkShadow, 100).Count, 0);
  EXPECT_EQ(InkOfColour(*bmp, kInkAccel, 100).Count, 0);
}

INSTANTIATE_TEST_SUITE_P(Cases, Disabled,
                         testing::Values(TDisabledCase{fosNormal, false}, TDisabledCase{fosNormal, true},
                                         TDisabledCase{fos3D, false}, TDisabledCase{fos3DLight, true}));

// ---- Colours from the sets ----------------------------------------------------------------

// A stand-in application configuration with a display package of its own.
class TDisplayApp : public IKyPkgApplication, public IKyDisplayApplication {
public:
  TDisplayApp() : holder(nullptr) {
    display = new TKyPkgDisplay(&holder);
    RegisterPkgApplication(this);
  }
  ~TDisplayApp() override { UnregisterPkgApplication(this); }
  std::string PackagePath() const override { return ""; }
  TKyPkgInfo* ReservedPackage(const TClassInfo&, bool) const override { return nullptr; }
  TKyPkgDisplay* PkgDisplay() const override { return display; }
  bool Scaled() const override { return false; }
  int32_t ScaleHeight(int32_t h) const override { return h; }
  int32_t ScaleFontHeight(int32_t h, int32_t) const override { return h; }

  TComponent holder;
  TKyPkgDisplay* display;
};

TEST(TextColours, AreAskedOfTheSetsAtEveryDrawing) {
  TDisplayApp app;
  TKyPkgDisplaySetColor* entry = app.display->AddColor("scCaption");
  entry->SetColor(kClRed);
  TTextSets sets;
  TKySetColor caption(nullptr, "scCaption", &sets.Text);
  TKySetColor missing(nullptr, "scMissing", &sets.Text);
  auto draw = [&](TKySetColor* colour) {
    auto bmp = WhiteBitmap(200, 50);
    TRect out;
    DrawStyledText(bmp->Canvas(), TRect(0, 0, 200, 50), fosNormal, out, false, -1, false, 0, true, false, layTop,
                   aliLeft, false, true, 2, 0, false, false, nullptr, nullptr, colour, &sets.Font, "Colour");
    return bmp;
  };
  EXPECT_GT(InkOfColour(*draw(&caption), kClRed, 100).Count, 10);
  entry->SetColor(kClGreen);
  auto after = draw(&caption);
  EXPECT_EQ(InkOfColour(*after, kClRed, 100).Count, 0);
  EXPECT_GT(InkOfColour(*after, kClGreen, 60).Count, 10);
  // A name the package does not hold takes its fallback's colour.
  EXPECT_GT(InkOfColour(*draw(&missing), kInkText, 100).Count, 10);
}

TEST(TextColours, MissingSetsMeanTheLibraryDefaults) {
  TTextSets sets;
  auto bmp = WhiteBitmap(200, 50);
  TRect out;
  DrawStyledText(bmp->Canvas(), TRect(0, 0, 200, 50), fos3D, out, false, -1, false, 0, true, false, layTop, aliLeft,
                 false, true, 2, 0, false, false, nullptr, nullptr, nullptr, nullptr, "&Default");
  EXPECT_EQ(out, TRect(0, 0, 200, 50));
  const TKyColor text = ColorToRGB(kClWindowText), shadow = ColorToRGB(kClBtnShadow);
  ASSERT_NE(Hex(text), Hex(shadow));
  EXPECT_GT(InkOfColour(*bmp, text, 30).Count, 5);
  EXPECT_GT(InkOfColour(*bmp, shadow, 30).Count, 5);
}

TEST(TextColours, HighlightChoosesSetsAndStyleByStyle) {
  TKySetColor text, accel, shadow, light, selected;
  struct {
    TKyFontStyle Style;
    TKySetColor *Text, *Accel, *Shadow;
    TKyFontStyle Drawn;
  } rows[] = {
      {fosNormal, &selected, &selected, &shadow, fosNormal},   {fosLight, &light, &light, &shadow, fosLight},
      {fos3DLight, &text, &accel, &light, fos3DLight},         {fos3D, &selected, &selected, &light, fosNormal},
      {fos3DLight1, &light, &light, &shadow, fos3DLight1},
  };
  for (auto r : rows) {
    TKyTextColours hot = SelectTextColours(r.Style, true, &text, &accel, &shadow, &light, &selected);
    EXPECT_EQ(hot.Text, r.Text) << r.Style;
    EXPECT_EQ(hot.AccelChar, r.Accel) << r.Style;
    EXPECT_EQ(hot.Shadow, r.Shadow) << r.Style;
    EXPECT_EQ(hot.Style, r.Drawn) << r.Style;
    TKyTextColours cold = SelectTextColours(r.Style, false, &text, &accel, &shadow, &light, &selected);
    EXPECT_EQ(cold.Text, &text);
    EXPECT_EQ(cold.AccelChar, &accel);
    EXPECT_EQ(cold.Shadow, &shadow);
    EXPECT_EQ(cold.Style, r.Style);
  }
  EXPECT_FALSE(IsHotFontStyle(fosNormal));
  EXPECT_FALSE(IsHotFontStyle(fos3D));
  EXPECT_TRUE(IsHotFontStyle(fosLight));
  EXPECT_TRUE(IsHotFontStyle(fos3DLight));
  EXPECT_TRUE(IsHotFontStyle(fos3DLight1));
}

// ---- Fonts ------------------------------------------------------------------------------

TEST(TextFonts, ForceBoldDrawsHeavierAndWider) {
  TTextSets sets;
  TTextArgs a = Caption(fosNormal);
  TTextArgs bold = a;
  bold.ForceBold = true;
  TInkArea thin = InkOf(*StyleDrawn(sets, a)), heavy = InkOf(*StyleDrawn(sets, bold));
  EXPECT_GT(heavy.Count, thin.Count * 5 / 4);
  EXPECT_GT(sets.Measure(bold).Width(), sets.Measure(a).Width());
}

// Wine's own bitmap fonts live beside it; a private copy makes one known.
class BitmapFont : public testing::Test {
protected:
  void SetUp() override {
    path_ = "Z:\\usr\\share\\wine\\fonts\\coure.fon";
    if (GetFileAttributesA(path_.c_str()) == INVALID_FILE_ATTRIBUTES) GTEST_SKIP() << "no bitmap font at " << path_;
    ASSERT_GT(AddFontResourceExA(path_.c_str(), FR_PRIVATE, nullptr), 0);
    added_ = true;
  }
  void TearDown() override {
    if (added_) RemoveFontResourceExA(path_.c_str(), FR_PRIVATE, nullptr);
  }
  std::string path_;
  bool added_ = false;
};

TEST_F(BitmapFont, TurnedBitmapFontDrawsInCourierNew) {
  auto probe = WhiteBitmap(8, 8);
  probe->Canvas()->Font()->SetName("Courier");
  probe->Canvas()->Font()->SetHeight(-13);
  ASSERT_FALSE(probe->Canvas()->TextMetrics().TrueType()) << "Courier should be a bitmap face here";

  TTextSets bitmapSets, outlineSets;
  bitmapSets.Font.DefaultValue().Name = "Courier";
  bitmapSets.Font.DefaultValue().Height = -13;
  outlineSets.Font.DefaultValue().Name = "Courier New";
  outlineSets.Font.DefaultValue().Height = -13;
  TTextArgs a;
  a.Text = "Turned";
  a.Rect = TRect(10, 10, 200, 200);
  for (int angle : {45, 90}) {
    a.Angle = angle;
    auto bmpBitmap = WhiteBitmap(220, 220), bmpOutline = WhiteBitmap(220, 220);
    bitmapSets.Draw(*bmpBitmap->Canvas(), a);
    outlineSets.Draw(*bmpOutline->Canvas(), a);
    EXPECT_GT(InkOf(*bmpBitmap).Count, 20);
    EXPECT_TRUE(SamePixels(*bmpBitmap, *bmpOutline)) << angle;
  }
  // Unturned, the bitmap face itself draws.
  a.Angle = 0;
  auto flatBitmap = WhiteBitmap(220, 220), flatOutline = WhiteBitmap(220, 220);
  bitmapSets.Draw(*flatBitmap->Canvas(), a);
  outlineSets.Draw(*flatOutline->Canvas(), a);
  EXPECT_FALSE(SamePixels(*flatBitmap, *flatOutline));
}

// ---- What a drawing call leaves behind --------------------------------------------------

TEST(TextResources, NoGdiObjectOutlivesADrawingCallAndTheCanvasIsAsBefore) {
  TTextSets sets;
  auto bmp = WhiteBitmap(300, 300);
  TCanvas& c = *bmp->Canvas();
  c.Font()->SetName("Times New Roman");
  c.Font()->SetColor(kClMaroon);
  c.Brush()->SetColor(kClYellow);
  c.Pen()->SetColor(kClNavy);
  c.TextOut(0, 0, "warm");  // the canvas's own objects exist before counting
  c.Rectangle(0, 0, 2, 2);
  const DWORD before = GdiObjects();
  TTextArgs a;
  a.Rect = TRect(10, 10, 290, 290);
  a.Text = "&Rotated bold\ttext with an accelerator and more words than fit";
  a.WordWrap = true;
  a.ForceBold = true;
  a.MarkChars = 5;
  a.DesignFrame = true;
  for (TKyFontStyle style : {fosNormal, fos3D, fos3DLight})
    for (int angle : {0, 30, 90})
      for (bool enabled : {true, false}) {
        a.Style = style;
        a.Angle = angle;
        a.Enabled = enabled;
        sets.Draw(c, a);
        sets.Measure(a);
      }
  EXPECT_EQ(GdiObjects(), before);
  EXPECT_EQ(c.Font()->Name(), "Times New Roman");
  EXPECT_EQ(c.Font()->Color(), kClMaroon);
  EXPECT_EQ(c.Font()->Escapement(), 0);
  EXPECT_EQ(c.Brush()->Color(), kClYellow);
  EXPECT_EQ(c.Brush()->Style(), bsSolid);
  EXPECT_EQ(c.Pen()->Color(), kClNavy);
}

TEST(TextResources, AnEmptyBoxDrawsNothing) {
  TTextSets sets;
  for (TRect r : {TRect(10, 10, 12, 50), TRect(10, 10, 50, 12), TRect(10, 10, 5, 5)}) {
    TTextArgs a;
    a.Rect = r;
    a.Style = fos3D;
    auto bmp = StyleDrawn(sets, a);
    EXPECT_EQ(InkOf(*bmp).Count, 0) << RectText(r);
  }
}

}  // namespace

namespace {

// Design-time marks: corners around the text box and the width marker, on
// the main copy only.
TEST(TextDesignMarks, CornersFrameTheBoxAndTheMarkerComesOnce) {
  TTextSets sets;
  TTextArgs a = Caption(fosNormal);
  a.DesignFrame = true;
  auto framed = StyleDrawn(sets, a);
  const TRect inner = a.Rect.Inflate(-1, -1);
  for (TPoint p : {inner.TopLeft(), TPoint(inner.Right - 1, inner.Top), TPoint(inner.Left, inner.Bottom - 1),
                   TPoint(inner.Right - 1, inner.Bottom - 1)})
    EXPECT_EQ(Hex(PixelOf(*framed, p.X, p.Y)), Hex(kClBlack)) << p.X << ", " << p.Y;
  EXPECT_EQ(Hex(PixelOf(*framed, (inner.Left + inner.Right) / 2, inner.Top)), Hex(kClWhite)) << "corners only";

  const TKyColor green = KyRGB(0, 128, 0);
  a.DesignFrame = false;
  a.MarkChars = 6;
  TInkArea normal = InkOfColour(*StyleDrawn(sets, a), green, 10);
  EXPECT_GT(normal.Count, 4);
  EXPECT_LE(normal.Bounds.Bottom, inner.Top + 6) << "on the top edge";
  a.Style = fos3D;
  EXPECT_EQ(InkOfColour(*StyleDrawn(sets, a), green, 10).Count, normal.Count) << "the shadow pass has no marker";
  a.MarkChars = 0;
  EXPECT_EQ(InkOfColour(*StyleDrawn(sets, a), green, 10).Count, 0);
}

}  // namespace
