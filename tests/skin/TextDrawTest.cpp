// Layout of styled text, checked by pixel in memory bitmaps: measuring gives
// the box drawing fills (also rotated), alignment and vertical layout place
// the ink, wrapping breaks lines as explicit line breaks would, tabs,
// accelerators and the trailing "..." of text that does not fit.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "TextDrawTestUtil.h"

using namespace ky_test;

namespace {

// Widths as the drawing measures them, for the expectations.
struct TFontProbe {
  explicit TFontProbe(TTextSets& sets) : bmp(WhiteBitmap(8, 8)) {
    bmp->Canvas()->Font()->SetData(sets.Font.Value());
  }
  int32_t Width(const std::string& s) { return bmp->Canvas()->TextWidth(s); }
  int32_t LineHeight() {
    TKyTextMetrics m = bmp->Canvas()->TextMetrics();
    return m.Height + m.ExternalLeading;
  }
  std::unique_ptr<TBitmap> bmp;
};

std::unique_ptr<TBitmap> Drawn(TTextSets& sets, const TTextArgs& a, int w = 420, int h = 420) {
  auto bmp = WhiteBitmap(w, h);
  sets.Draw(*bmp->Canvas(), a);
  return bmp;
}

// ---- Measuring gives the box that drawing fills -------------------------------------

struct TMeasureCase {
  const char* Name;
  std::function<void(TTextArgs&)> Set;
  bool Italic = false;
};
void PrintTo(const TMeasureCase& c, std::ostream* os) { *os << c.Name; }

class MeasureFills : public testing::TestWithParam<TMeasureCase> {};

TEST_P(MeasureFills, InkStaysInsideTheMeasuredBoxAndReachesItsSides) {
  const TMeasureCase& tc = GetParam();
  TTextSets sets;
  sets.Font.DefaultValue().Italic = tc.Italic;
  TTextArgs a;
  a.Rect = TRect(20, 20, 400, 400);
  tc.Set(a);
  TRect box = sets.Measure(a);
  EXPECT_EQ(box.TopLeft(), a.Rect.TopLeft()) << tc.Name;
  a.Rect = box;
  auto bmp = Drawn(sets, a);
  TInkArea ink = InkOf(*bmp);
  ASSERT_GT(ink.Count, 20) << tc.Name;
  EXPECT_TRUE(Inside(ink.Bounds, box)) << tc.Name << ": ink " << RectText(ink.Bounds) << " box " << RectText(box);
  // Filled: the box is not larger than the text needs. Sides along the
  // lines hold glyph bearings, sides across them leading and descent;
  // turned boxes have empty corners by nature.
  int slack = (a.Angle % 90 == 0) ? 6 : 12;
  EXPECT_LE(ink.Bounds.Left - box.Left, slack) << tc.Name;
  EXPECT_LE(ink.Bounds.Top - box.Top, slack) << tc.Name;
  // A fixed width is the block's width whatever the lines need.
  if (a.FixedWidth > 0) EXPECT_EQ(box.Width(), a.FixedWidth + 2) << tc.Name;
  else EXPECT_LE(box.Right - ink.Bounds.Right, slack) << tc.Name;
  EXPECT_LE(box.Bottom - ink.Bounds.Bottom, slack) << tc.Name;
}

const TMeasureCase kMeasureCases[] = {
    {"plain", [](TTextArgs& a) { a.Text = "Wgy Ab"; }},
    {"two lines", [](TTextArgs& a) { a.Text = "First line\r\nSecond"; }},
    {"wrapped to a fixed width",
     [](TTextArgs& a) {
       a.Text = "one two three four five six";
       a.WordWrap = true;
       a.FixedWidth = 90;
     }},
    {"accelerators", [](TTextArgs& a) { a.Text = "&File &&Edit"; }},
    {"tab", [](TTextArgs& a) { a.Text = "a\tWb"; }},
    {"forced bold", [](TTextArgs& a) {
       a.Text = "Bold Wide";
       a.ForceBold = true;
     }},
    {"italic", [](TTextArgs& a) { a.Text = "Italic f"; }, true},
    {"3D shadow", [](TTextArgs& a) {
       a.Text = "Shadow";
       a.Style = fos3D;
       a.Spacing3D = 3;
     }},
    {"3D light halo", [](TTextArgs& a) {
       a.Text = "Halo";
       a.Style = fos3DLight;
     }},
    {"disabled", [](TTextArgs& a) {
       a.Text = "Disabled";
       a.Enabled = false;
     }},
    {"90 degrees", [](TTextArgs& a) {
       a.Text = "Rotated\r\ntext";
       a.Angle = 90;
     }},
    {"180 degrees", [](TTextArgs& a) {
       a.Text = "Rotated\r\ntext";
       a.Angle = 180;
     }},
    {"270 degrees", [](TTextArgs& a) {
       a.Text = "Rotated\r\ntext";
       a.Angle = 270;
     }},
    {"45 degrees", [](TTextArgs& a) {
       a.Text = "Rotated text";
       a.Angle = 45;
     }},
    {"135 degrees", [](TTextArgs& a) {
       a.Text = "Wgy";
       a.Angle = 135;
     }},
    {"300 degrees, 3D", [](TTextArgs& a) {
       a.Text = "Tilted";
       a.Angle = 300;
       a.Style = fos3D;
     }},
    {"-90 degrees", [](TTextArgs& a) {
       a.Text = "Down";
       a.Angle = -90;
     }},
};
INSTANTIATE_TEST_SUITE_P(Cases, MeasureFills, testing::ValuesIn(kMeasureCases));

TEST(TextMeasure, EmptyTextIsOneLineHighAndNoWidth) {
  TTextSets sets;
  TFontProbe probe(sets);
  TTextArgs a;
  a.Text = "";
  TRect box = sets.Measure(a);
  // The one-pixel margin on every side stays.
  EXPECT_EQ(box.Width(), 2);
  EXPECT_EQ(box.Height(), probe.LineHeight() + 2);
  auto bmp = Drawn(sets, a);
  EXPECT_EQ(InkOf(*bmp).Count, 0);
}

TEST(TextMeasure, KeepRectGivesTheUnrotatedInnerBlock) {
  TTextSets sets;
  TFontProbe probe(sets);
  TTextArgs a;
  a.Text = "Block";
  a.Angle = 90;
  a.KeepRect = true;
  TRect kept = sets.Measure(a);
  EXPECT_EQ(kept.TopLeft(), a.Rect.TopLeft() + TPoint(1, 1));
  // The last glyph's ink past its advance counts.
  const int lean = std::max(0, -probe.bmp->Canvas()->CharABC('k').C);
  EXPECT_EQ(kept.Width(), probe.Width("Block ") - probe.Width(" ") + lean);
  EXPECT_EQ(kept.Height(), probe.LineHeight());
  a.KeepRect = false;
  TRect grown = sets.Measure(a);
  EXPECT_EQ(grown.Width(), kept.Height() + 2);
  EXPECT_EQ(grown.Height(), kept.Width() + 2);
  // The shadow styles keep room for the shadow: half the spacing each side.
  a.Angle = 0;
  a.Style = fos3D;
  a.Spacing3D = 4;
  TRect shadowed = sets.Measure(a);
  EXPECT_EQ(shadowed.Width(), kept.Width() + 2 + 4);
  EXPECT_EQ(shadowed.Height(), kept.Height() + 2 + 4);
}

TEST(TextRotation, AnglesReduceModuloAFullTurn) {
  TTextSets sets;
  const std::pair<int, int> same[] = {{450, 90}, {-90, 270}, {360, 0}, {-315, 45}};
  for (auto [angle, reduced] : same) {
    TTextArgs a, b;
    a.Text = b.Text = "Turn Wg";
    a.Rect = b.Rect = TRect(10, 10, 200, 200);
    a.Angle = angle;
    b.Angle = reduced;
    auto x = Drawn(sets, a, 220, 220), y = Drawn(sets, b, 220, 220);
    EXPECT_TRUE(SamePixels(*x, *y)) << angle << " against " << reduced;
    EXPECT_GT(InkOf(*x).Count, 20);
  }
}

// ---- Alignment and vertical layout ----------------------------------------------------

struct TPlaceCase {
  int Angle;
  TKyAlignment Alignment;
  TKyLayout Layout;
};
void PrintTo(const TPlaceCase& c, std::ostream* os) {
  *os << "angle " << c.Angle << " alignment " << int(c.Alignment) << " layout " << int(c.Layout);
}

class Placement : public testing::TestWithParam<TPlaceCase> {};

// Against the same text at left and top: the ink moves by exactly the
// alignment and layout offsets, turned with the text.
TEST_P(Placement, MovesTheInkByTheAlignmentAndLayoutOffsets) {
  const TPlaceCase& pc = GetParam();
  TTextSets sets;
  TTextArgs a;
  a.Text = "Hgy";
  a.Rect = TRect(10, 10, 250, 110);
  a.Angle = pc.Angle;
  TTextArgs kept = a;
  kept.KeepRect = true;
  kept.Angle = 0;
  TRect block = sets.Measure(kept);
  auto reference = Drawn(sets, a, 260, 120);
  a.Alignment = pc.Alignment;
  a.Layout = pc.Layout;
  auto placed = Drawn(sets, a, 260, 120);

  bool across = pc.Angle % 180 != 0;
  int frameW = across ? a.Rect.Height() - 2 : a.Rect.Width() - 2;
  int frameH = across ? a.Rect.Width() - 2 : a.Rect.Height() - 2;
  int dx = pc.Alignment == aliLeft ? 0 : pc.Alignment == aliCenter ? (frameW - block.Width()) / 2 : frameW - block.Width();
  int dy = pc.Layout == layTop ? 0 : pc.Layout == layCenter ? (frameH - block.Height()) / 2 : frameH - block.Height();
  // Frame x runs along the baseline, y down the lines.
  const int cosA[] = {1, 0, -1, 0}, sinA[] = {0, 1, 0, -1};
  int q = pc.Angle / 90;
  TPoint shift(dx * cosA[q] + dy * sinA[q], -dx * sinA[q] + dy * cosA[q]);

  // Turned glyphs land within a pixel of their point (the platform rounds
  // the turned origin); unturned ones exactly.
  TRect want = InkOf(*reference).Bounds.Offset(shift.X, shift.Y);
  TRect got = InkOf(*placed).Bounds;
  const int tolerance = pc.Angle == 0 ? 0 : 1;
  EXPECT_EQ(got.Width(), want.Width());
  EXPECT_EQ(got.Height(), want.Height());
  EXPECT_LE(std::abs(got.Left - want.Left), tolerance) << RectText(got) << " want " << RectText(want);
  EXPECT_LE(std::abs(got.Top - want.Top), tolerance) << RectText(got) << " want " << RectText(want);
}

std::vector<TPlaceCase> PlaceCases() {
  std::vector<TPlaceCase> cases;
  for (int angle : {0, 90, 180, 270})
    for (TKyAlignment al : {aliLeft, aliCenter, aliRight})
      for (TKyLayout lay : {layTop, layCenter, layBottom})
        if (angle == 0 || static_cast<int>(al) != static_cast<int>(lay))  // a sample of the turned ones
          cases.push_back({angle, al, lay});
  return cases;
}
INSTANTIATE_TEST_SUITE_P(Cases, Placement, testing::ValuesIn(PlaceCases()));

TEST(TextPlacement, FixedWidthCentresTheBlockInAWiderBox) {
  TTextSets sets;
  TTextArgs a;
  a.Text = "Centre";
  a.Rect = TRect(10, 10, 250, 60);
  auto left = Drawn(sets, a, 260, 70);
  a.FixedWidth = 100;
  auto fixed = Drawn(sets, a, 260, 70);
  // The 100-pixel block sits in the middle of the 238-pixel inner box.
  EXPECT_EQ(RectText(InkOf(*fixed).Bounds), RectText(InkOf(*left).Bounds.Offset((238 - 100) / 2, 0)));
}

// ---- Word wrap, line breaks and tabs ----------------------------------------------------

struct TWrapCase {
  const char* Text;
  const char* FitsOneLine;  // the widest line the box must hold
  const char* Explicit;     // the same text with its breaks written out
  TKyAlignment Alignment;
};

void PrintTo(const TWrapCase& c, std::ostream* os) { *os << '"' << c.Text << '"'; }

class WordWrap : public testing::TestWithParam<TWrapCase> {};

TEST_P(WordWrap, BreaksWhereExplicitLineBreaksWould) {
  const TWrapCase& wc = GetParam();
  TTextSets sets;
  TFontProbe probe(sets);
  TTextArgs a;
  a.Alignment = wc.Alignment;
  a.Rect = TRect::Bounds(10, 10, probe.Width(wc.FitsOneLine) + 4, 150);
  a.Text = wc.Text;
  a.WordWrap = true;
  auto wrapped = Drawn(sets, a, 300, 170);
  a.Text = wc.Explicit;
  a.WordWrap = false;
  auto broken = Drawn(sets, a, 300, 170);
  EXPECT_GT(InkOf(*wrapped).Count, 20);
  EXPECT_TRUE(SamePixels(*wrapped, *broken)) << wc.Text;
  // Measuring wraps the same way.
  a.KeepRect = true;
  TRect explicitBlock = sets.Measure(a);
  a.Text = wc.Text;
  a.WordWrap = true;
  EXPECT_EQ(sets.Measure(a).Height(), explicitBlock.Height()) << wc.Text;
}

const TWrapCase kWrapCases[] = {
    {"alpha beta gamma", "alpha beta", "alpha beta\r\ngamma", aliLeft},
    {"alpha beta     gamma delta", "gamma delta", "alpha beta\r\ngamma delta", aliLeft},
    {"alpha beta gamma\r\ndelta", "alpha beta", "alpha beta\r\ngamma\r\ndelta", aliLeft},
    {"one two three four five", "three four", "one two\r\nthree four\r\nfive", aliCenter},
    {"one two three four five", "three four", "one two\r\nthree four\r\nfive", aliRight},
    {"alpha\nbeta gamma", "beta gamma", "alpha\r\nbeta gamma", aliLeft},
};
INSTANTIATE_TEST_SUITE_P(Cases, WordWrap, testing::ValuesIn(kWrapCases));

TEST(TextLines, LineBreaksCountOnceAndIndentationOnlyOnTheLeft) {
  TTextSets sets;
  TFontProbe probe(sets);
  const int lh = probe.LineHeight();
  struct {
    const char* Text;
    int Lines;
  } breaks[] = {{"ab\r\ncd", 2}, {"ab\ncd", 2}, {"ab\rcd", 2}, {"ab\r\n\r\ncd", 3}, {"ab\n\rcd", 3}, {"ab\r\n", 1}};
  for (auto b : breaks) {
    TTextArgs a;
    a.Text = b.Text;
    a.KeepRect = true;
    EXPECT_EQ(sets.Measure(a).Height(), b.Lines * lh) << b.Text;
  }
  // Leading spaces indent a left-aligned line but do not widen a centred one.
  TTextArgs a;
  a.Text = "   x";
  a.KeepRect = true;
  EXPECT_EQ(sets.Measure(a).Width(), 3 * probe.Width(" ") + probe.Width("x ") - probe.Width(" "));
  a.Alignment = aliCenter;
  EXPECT_EQ(sets.Measure(a).Width(), probe.Width("x ") - probe.Width(" "));
}

TEST(TextLines, ATabAdvancesByEightSpaces) {
  TTextSets sets;
  TTextArgs a;
  a.Text = "a\tb";
  auto tab = Drawn(sets, a, 300, 100);
  a.Text = "a        b";
  auto spaces = Drawn(sets, a, 300, 100);
  EXPECT_TRUE(SamePixels(*tab, *spaces));
  a.KeepRect = true;
  TFontProbe probe(sets);
  TRect one = sets.Measure(a);
  a.Text = "a\t\tb";
  EXPECT_EQ(sets.Measure(a).Width(), one.Width() + 8 * probe.Width(" "));
}

// ---- Text that does not fit ---------------------------------------------------------------

// The last inked columns of a band are three dots on the baseline: three
// separate blobs, none taller than a few rows.
bool EndsInEllipsis(TBitmap& b, int bandTop, int bandBottom, int dotsWidth) {
  TRect band(0, bandTop, b.Width(), bandBottom);
  TInkArea inBand = InkWhere(b, [](TKyColor c) { return c != kClWhite; }, &band);
  if (!inBand.Count) return false;
  TRect tail(inBand.Bounds.Right - dotsWidth + 1, bandTop, inBand.Bounds.Right, bandBottom);
  TInkArea dots = InkWhere(b, [](TKyColor c) { return c != kClWhite; }, &tail);
  if (dots.Bounds.Height() > 4) return false;
  int blobs = 0;
  bool inBlob = false;
  for (int x = tail.Left; x < tail.Right; ++x) {
    TRect column(x, bandTop, x + 1, bandBottom);
    bool inked = InkWhere(b, [](TKyColor c) { return c != kClWhite; }, &column).Count > 0;
    if (inked && !inBlob) ++blobs;
    inBlob = inked;
  }
  return blobs == 3;
}

TEST(TextEllipsis, AppearsExactlyWhenALineIsTooWide) {
  TTextSets sets;
  TFontProbe probe(sets);
  const int dots = probe.Width("...");
  TTextArgs a;
  a.Text = "Wide caption";
  a.KeepRect = true;
  const int need = sets.Measure(a).Width();
  a.KeepRect = false;
  a.Rect = TRect(10, 10, 400, 60);
  auto free = Drawn(sets, a, 420, 70);
  ASSERT_FALSE(EndsInEllipsis(*free, 11, 60, dots));
  for (int inner : {need, need + 1, need - 1, need - 8, dots + 2}) {
    a.Rect = TRect::Bounds(10, 10, inner + 2, 50);
    auto bmp = Drawn(sets, a, 420, 70);
    bool cut = inner < need;
    EXPECT_EQ(EndsInEllipsis(*bmp, 11, 60, dots), cut) << "inner width " << inner << " of " << need;
    EXPECT_EQ(SamePixels(*bmp, *free), !cut) << "inner width " << inner;
    EXPECT_TRUE(Inside(InkOf(*bmp).Bounds, a.Rect.Inflate(-1, -1))) << "inner width " << inner;
  }
}

TEST(TextEllipsis, TheLastWholeLineEndsInDotsAndNoPartLineFollows) {
  TTextSets sets;
  TFontProbe probe(sets);
  const int lh = probe.LineHeight(), dots = probe.Width("...");
  TTextArgs a;
  a.Text = "First\r\nSecond\r\nThird\r\nFourth";
  // Room for two lines and most of a third.
  a.Rect = TRect::Bounds(10, 10, 200, 2 * lh + lh * 3 / 4 + 2);
  auto bmp = Drawn(sets, a, 220, 120);
  const int top = 11;
  TRect below(0, top + 2 * lh, 220, 120);
  EXPECT_EQ(InkWhere(*bmp, [](TKyColor c) { return c != kClWhite; }, &below).Count, 0);
  EXPECT_FALSE(EndsInEllipsis(*bmp, top, top + lh, dots));
  EXPECT_TRUE(EndsInEllipsis(*bmp, top + lh, top + 2 * lh, dots));

  // Exactly as many lines as fit: nothing is cut.
  a.Text = "First\r\nSecond";
  a.Rect = TRect::Bounds(10, 10, 200, 2 * lh + 2);
  auto fits = Drawn(sets, a, 220, 120);
  EXPECT_FALSE(EndsInEllipsis(*fits, top + lh, top + 2 * lh, dots));
}

TEST(TextEllipsis, AWordLongerThanTheLineStaysAloneAndIsCut) {
  TTextSets sets;
  TFontProbe probe(sets);
  const int lh = probe.LineHeight(), dots = probe.Width("...");
  TTextArgs a;
  a.Text = "a Extraordinarily b";
  a.WordWrap = true;
  a.Rect = TRect::Bounds(10, 10, probe.Width("Extraord") + 2, 3 * lh + 2);
  auto bmp = Drawn(sets, a, 300, 120);
  const int top = 11;
  EXPECT_FALSE(EndsInEllipsis(*bmp, top, top + lh, dots));
  EXPECT_TRUE(EndsInEllipsis(*bmp, top + lh, top + 2 * lh, dots));
  TRect third(0, top + 2 * lh, 300, top + 3 * lh);
  EXPECT_GT(InkWhere(*bmp, [](TKyColor c) { return c != kClWhite; }, &third).Count, 0) << "b on its own line";
  EXPECT_TRUE(Inside(InkOf(*bmp).Bounds, a.Rect.Inflate(-1, -1)));
}

// ---- Accelerators ----------------------------------------------------------------------------

struct TAccelCase {
  const char* Text;
  bool Show;
  // Shown characters drawn as accelerators (indexes into the shown text).
  std::vector<int> Marked;
  // What the same call shows when read literally (ShowAccelChar off).
  const char* Shown;
  int Angle = 0;
};

void PrintTo(const TAccelCase& c, std::ostream* os) {
  *os << '"' << c.Text << (c.Show ? "\" shown" : "\" literal") << " at " << c.Angle;
}

// A rectangle of the text frame (x along the baseline, y down the lines) on
// the device, for text turned by a quarter angle with its frame corner at o.
TRect FrameToDevice(int angle, TPoint o, int x0, int y0, int x1, int y1) {
  switch (angle) {
    case 90: return TRect(o.X + y0, o.Y - x1, o.X + y1, o.Y - x0);
    case 180: return TRect(o.X - x1, o.Y - y1, o.X - x0, o.Y - y0);
    case 270: return TRect(o.X - y1, o.Y + x0, o.X - y0, o.Y + x1);
    default: return TRect(o.X + x0, o.Y + y0, o.X + x1, o.Y + y1);
  }
}

class Accelerators : public testing::TestWithParam<TAccelCase> {};

TEST_P(Accelerators, UnderlineOnlyTheMarkedCharactersInTheirColour) {
  const TAccelCase& ac = GetParam();
  TTextSets sets;
  TFontProbe probe(sets);
  TTextArgs a;
  a.Text = ac.Text;
  a.ShowAccel = ac.Show;
  a.Angle = ac.Angle;
  a.Rect = TRect(10, 10, 150, 150);
  auto bmp = Drawn(sets, a, 160, 160);
  auto isAccel = [](TKyColor c) { return Near(c, kInkAccel, 100); };
  TInkArea red = InkWhere(*bmp, isAccel);
  if (ac.Marked.empty()) {
    EXPECT_EQ(red.Count, 0);
    // Drawn as the literal text is.
    TTextArgs literal = a;
    literal.Text = ac.Shown;
    literal.ShowAccel = false;
    auto expect = Drawn(sets, literal, 160, 160);
    EXPECT_TRUE(SamePixels(*bmp, *expect));
    return;
  }
  // Where the frame's corner lands: the inner box's corner the text starts from.
  const TPoint corners[] = {{11, 11}, {11, 149}, {149, 149}, {149, 11}};
  const TPoint o = corners[ac.Angle / 90];
  const std::string shown = ac.Shown;
  const int line = probe.LineHeight();
  int inMarked = 0;
  for (int i : ac.Marked) {
    // The character's span along the line, a pixel of bearing either side.
    int from = probe.Width(shown.substr(0, i)) - 1, to = probe.Width(shown.substr(0, i + 1)) + 1;
    TRect span = FrameToDevice(ac.Angle, o, from, 0, to, line);
    TInkArea mine = InkWhere(*bmp, isAccel, &span);
    EXPECT_GT(mine.Count, 5) << "char " << i;
    inMarked += mine.Count;
    // The underline: a line along the baseline, in the half of the span
    // below the glyph, carries red most of the way.
    bool underline = false;
    for (int y = line / 2; y < line && !underline; ++y) {
      TRect scan = FrameToDevice(ac.Angle, o, from, y, to, y + 1);
      underline = InkWhere(*bmp, isAccel, &scan).Count >= (to - from) * 6 / 10;
    }
    EXPECT_TRUE(underline) << "char " << i;
  }
  // Every red pixel belongs to a marked character.
  EXPECT_EQ(inMarked, red.Count);
  EXPECT_GT(InkOfColour(*bmp, kInkText, 100).Count, 10) << "the rest in the text colour";
}

const TAccelCase kAccelCases[] = {
    {"a&bc", true, {1}, "abc"},
    {"&Open &Save", true, {0, 5}, "Open Save"},
    {"a&bc", false, {}, "a&bc"},
    {"a&&bc", true, {}, "a&bc"},
    {"ab& c", true, {}, "ab& c"},
    {"abc&", true, {}, "abc&"},
    {"x&&&y", true, {2}, "x&y"},
    {"&Open &Save", true, {0, 5}, "Open Save", 90},
    {"a&bc", true, {1}, "abc", 180},
    {"a&bc", true, {1}, "abc", 270},
    {"a&&bc", true, {}, "a&bc", 90},
};
INSTANTIATE_TEST_SUITE_P(Cases, Accelerators, testing::ValuesIn(kAccelCases));

}  // namespace

// Half-way angles measure as one degree lower, so that a box turned by 45
// degrees is the one of 44 (and 135 the one of 134), never of 46.
TEST(TextMeasure, HalfWayAnglesMeasureOneDegreeLower) {
  TTextSets sets;
  auto measure = [&](int32_t angle) {
    TTextArgs a;
    a.Text = "A long rotated line";
    a.Rect = TRect(20, 20, 400, 400);
    a.Angle = angle;
    return sets.Measure(a);
  };
  for (int32_t half : {45, 135, 225, 315}) {
    SCOPED_TRACE(half);
    EXPECT_EQ(measure(half), measure(half - 1));
    EXPECT_NE(measure(half), measure(half + 1));
  }
}

// The ink past a line's last advance counts once: the italic overhang and
// the lean of the last glyph are not added together.
TEST(TextMeasure, TheOverhangOfAnItalicLineCountsOnce) {
  for (const char* face : {"Arial", "MS Sans Serif"}) {
    SCOPED_TRACE(face);
    TTextSets sets;
    sets.Font.DefaultValue().Name = face;
    sets.Font.DefaultValue().Italic = true;
    TFontProbe probe(sets);
    const std::string text = "Italic f";
    int32_t advance = probe.Width(text + " ") - probe.Width(" ");
    int32_t italic = std::max(0, 2 * probe.Width(" ") - probe.Width("  "));
    int32_t lean = std::max(0, -probe.bmp->Canvas()->CharABC('f').C);
    TTextArgs a;
    a.Text = text;
    a.Rect = TRect(0, 0, 400, 100);
    TRect box = sets.Measure(a);
    EXPECT_EQ(box.Width(), advance + std::max(italic, lean) + 2) << "italic " << italic << " lean " << lean;
  }
}
