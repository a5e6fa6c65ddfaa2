// The panel: frame thickness and client area, effective states from the
// privilege, the background it paints (its own, or its parent's when
// transparent), the frame colours and the background query.
#include "support/WindowDriver.h"

#include <algorithm>
#include <iterator>
#include <string>

#include "packages/CApplication.h"
#include "platform/graphics/Graphics.h"
#include "skin/Fills.h"
#include "skin/Panel.h"
#include "skin/RegisterSkin.h"

using namespace ky_test;

namespace {

TKyColor DefaultColorOf(const char* name) {
  return dynamic_cast<TKySetColor*>(LibraryDefaultSet(name))->Value();
}

class PanelTest : public ::testing::Test {
protected:
  void SetUp() override {
    App();
    RegisterSkinClasses();
    form.SetBorderStyle(bsNone);
    form.SetFormClientWidth(200);
    form.SetFormClientHeight(120);
    panel = new TKySinglePanel(&form);
    panel->SetParent(&form);
    panel->SetBounds(20, 10, 100, 60);
  }
  TForm form{nullptr};
  TKySinglePanel* panel = nullptr;
};

}  // namespace

TEST_F(PanelTest, FrameThicknessAndClientArea) {
  struct TCase {
    TKyBevelStyle Outer, Inner;
    int32_t Border, MarginLR, MarginTB;
    int32_t H, V;
  };
  const TCase cases[] = {
      {bes3DTop, besNone, 5, 0, 0, 1, 1},      // the border counts only with an inner bevel
      {besNone, besSingle, 2, 3, 0, 6, 3},
      {bes3DTop, besSingle, 2, 3, 1, 7, 5},
      {besNone, besNone, 4, 0, 2, 0, 2},
      {bes3DBottom, bes3DTop, 0, 0, 0, 2, 2},
  };
  for (const TCase& c : cases) {
    panel->SetBevelOuter(c.Outer);
    panel->SetBevelInner(c.Inner);
    panel->SetBorderWidth(c.Border);
    panel->SetMarginLeftRight(c.MarginLR);
    panel->SetMarginTopBottom(c.MarginTB);
    EXPECT_EQ(panel->FrameHorizontal(), c.H);
    EXPECT_EQ(panel->FrameVertical(), c.V);
    EXPECT_EQ(panel->ClientRect(), (TRect{c.H, c.V, 100 - c.H, 60 - c.V}));
  }
}

TEST_F(PanelTest, ThePrivilegeHidesOrLocksTheControl) {
  TKyCApplication app(nullptr);
  app.Privileges()->AddItem(1, "shown", 1);
  app.Privileges()->AddItem(2, "hidden", 0);
  app.Privileges()->AddItem(3, "full", 2);
  form.Show();
  struct TCase {
    int32_t Privilege;
    bool Enabled, ReadOnly;
    bool Visible, EffEnabled, EffReadOnly;
  };
  const TCase cases[] = {
      {3, true, false, true, true, false},   {1, true, false, true, false, true},
      {2, true, false, false, false, true},  {3, false, false, true, false, true},
      {3, true, true, true, true, true},     {-1, true, false, true, true, false},
  };
  for (const TCase& c : cases) {
    panel->Privilege()->SetId(c.Privilege);
    panel->Privilege()->Update();
    panel->SetEnabled(c.Enabled);
    panel->SetReadOnly(c.ReadOnly);
    panel->UpdateDisplay();
    EXPECT_EQ(panel->EffectiveVisible(), c.Visible) << c.Privilege;
    EXPECT_EQ(panel->EffectiveEnabled(), c.EffEnabled) << c.Privilege;
    EXPECT_EQ(panel->EffectiveReadOnly(), c.EffReadOnly) << c.Privilege;
    // The window shows what is in effect.
    EXPECT_EQ(IsWindowVisible(panel->Handle()) != 0, c.Visible) << c.Privilege;
    EXPECT_EQ(IsWindowEnabled(panel->Handle()) != 0, c.EffEnabled) << c.Privilege;
  }
  // Designing shows even a hidden control.
  panel->Privilege()->SetId(2);
  panel->SetDesigning(true);
  EXPECT_TRUE(panel->EffectiveVisible());
  panel->SetDesigning(false);
}

TEST_F(PanelTest, BackgroundFrameAndTransparency) {
  TKyCApplication app(nullptr);
  TKyPkgDisplaySetBackGround* own = app.PkgDisplay()->AddBackGround("sbPanel");
  own->SetColor(KyRGB(0, 128, 0));
  // The parent: a horizontal gradient across the whole form.
  TKySinglePanel* parent = new TKySinglePanel(&form);
  parent->SetParent(&form);
  parent->SetBounds(0, 0, 200, 120);
  parent->SetBevelOuter(besNone);
  TKyPkgDisplaySetBackGround* fade = app.PkgDisplay()->AddBackGround("sbFade");
  fade->SetFillKind(4);
  fade->SetColor1(KyRGB(0, 0, 0));
  fade->SetColor2(KyRGB(250, 250, 250));
  parent->SetBackGround()->SetName("sbFade");
  panel->SetParent(parent);
  panel->SetBackGround()->SetName("sbPanel");
  panel->SetBevelOuter(besSingle);
  form.Show();
  Pump();

  TSnapshot own1(&form);
  EXPECT_EQ(own1.Pixel(20 + 50, 10 + 30), KyRGB(0, 128, 0));
  // A single outer bevel in the box colour.
  EXPECT_EQ(own1.Pixel(20, 10 + 30), DefaultColorOf("Dft_ColBox"));

  // Transparent: the parent's gradient continues under the panel.
  panel->SetTransparent(true);
  panel->SetBevelOuter(besNone);
  Pump();
  TSnapshot through(&form);
  for (int x : {25, 60, 115})
    EXPECT_EQ(through.Pixel(x, 40), through.Pixel(x, 100)) << x;  // same column inside and below the panel
  EXPECT_LT(GetRValue(through.Pixel(25, 40)), GetRValue(through.Pixel(115, 40)));

  // The query: a transparent panel passes it on to its parent.
  TKyBackgroundQuery q = QueryBackground(panel);
  EXPECT_EQ(q.Set, parent->SetBackGround());
  EXPECT_EQ(q.Owner, parent);
  panel->SetTransparent(false);
  q = QueryBackground(panel);
  EXPECT_EQ(q.Owner, panel);
}

// The margins are inside the window: its background covers them, a
// gradient running on to the very edges (a group box with margins once
// showed a band of another shade on its right).
TEST_F(PanelTest, TheBackgroundCoversTheMargins) {
  TKyCApplication app(nullptr);
  TKyPkgDisplaySetBackGround* fade = app.PkgDisplay()->AddBackGround("sbFade");
  fade->SetFillKind(4);
  fade->SetColor1(KyRGB(0, 0, 0));
  fade->SetColor2(KyRGB(250, 250, 250));
  panel->SetBackGround()->SetName("sbFade");
  panel->SetBevelOuter(besNone);
  panel->SetMarginLeftRight(10);
  panel->SetMarginTopBottom(6);
  form.Show();
  Pump();
  TSnapshot shot(&form);
  auto red = [&](int x) { return GetRValue(shot.Pixel(20 + x, 10 + 30)); };
  // Brighter to the right all the way, the margins included.
  for (int x = 4; x < 100; x += 4) EXPECT_LE(red(x - 4), red(x)) << x;
  EXPECT_GT(red(99), 235);
  EXPECT_LT(red(0), 15);
  // Each column the same from top to bottom, margins included.
  for (int x : {1, 50, 98}) EXPECT_EQ(shot.Pixel(20 + x, 10), shot.Pixel(20 + x, 10 + 59)) << x;
}

TEST(PaintControl, OneSelectedItemPerPanel) {
  TKySinglePanel a(nullptr), b(nullptr);
  TKyPaintControl one, two, three;
  one.SetPanel(&a);
  two.SetPanel(&a);
  three.SetPanel(&b);
  one.SetSelected(true);
  two.SetSelected(true);
  three.SetSelected(true);
  EXPECT_FALSE(one.Selected());
  EXPECT_TRUE(two.Selected());
  EXPECT_TRUE(three.Selected());
  three.SetPanel(&a);
  EXPECT_EQ(a.PaintItems().size(), 3u);
  EXPECT_TRUE(b.PaintItems().empty());
}

TEST_F(PanelTest, AGroupBoxDrawsItsFrameThroughTheMiddleOfItsTitle) {
  auto* group = new TKyCustomGroupBox(&form);
  group->SetParent(&form);
  group->SetBounds(10, 10, 180, 100);
  group->Title()->SetCaption("Language");
  form.Show();
  Pump();
  TRect title = group->TitleRect();
  TRect frame = group->FrameRect();
  ASSERT_GT(title.Height(), 4);
  EXPECT_EQ(frame.Top, title.Top + title.Height() / 2);
  EXPECT_EQ(frame.Left, 0);

  TKyColor light = ColorToRGB(DefaultColorOf("Dft_3DLight")), shadow = ColorToRGB(DefaultColorOf("Dft_3DShadow"));
  TSnapshot shot(&form);
  // The etched line: shadow then light one pixel further in, on the left
  // edge; broken where the title is.
  EXPECT_EQ(shot.Pixel(10 + frame.Left, 10 + frame.Top + 20), shadow);
  EXPECT_EQ(shot.Pixel(10 + frame.Left + 1, 10 + frame.Top + 20), light);
  EXPECT_EQ(shot.Pixel(10 + title.Left - 5, 10 + frame.Top), shadow);
  int lineInTitle = 0;
  for (int x = title.Left - 2; x < title.Right + 2; ++x)
    lineInTitle += shot.Pixel(10 + x, 10 + frame.Top) == shadow && shot.Pixel(10 + x, 10 + frame.Top + 1) == light;
  EXPECT_EQ(lineInTitle, 0);

  // Bottom and side layouts move the line to that side.
  group->Title()->SetLayout(tblBottomCenter);
  EXPECT_EQ(group->FrameRect().Bottom, group->ClientRect().Bottom - group->TitleRect().Height() / 2);
  group->Title()->SetLayout(tblLeftCenter);
  EXPECT_EQ(group->FrameRect().Left, group->TitleRect().Width() / 2);
  group->SetBorderStyle(bbsNone);
  Pump();
  TSnapshot none(&form);
  EXPECT_NE(none.Pixel(10 + group->FrameRect().Left, 10 + 5), shadow);
}

namespace {

// A panel whose frame lives in the non-client area, as list boxes keep it.
class TTstFramedPanel : public TKySinglePanel {
  KY_CLASS(TTstFramedPanel, TKySinglePanel)
public:
  explicit TTstFramedPanel(TComponent* owner) : TKySinglePanel(owner) { SetKeepsFrameInNonClient(true); }
};

}  // namespace

TEST_F(PanelTest, AFrameInTheNonClientAreaLeavesTheWholeClientToTheControl) {
  auto* framed = new TTstFramedPanel(&form);
  framed->SetParent(&form);
  framed->SetBounds(10, 10, 100, 60);
  framed->SetBevelOuter(besSingle);
  framed->SetBevelInner(bes3DTop);
  framed->SetBorderWidth(2);
  framed->SetMarginLeftRight(3);
  form.Show();
  Pump();
  RECT client;
  GetClientRect(framed->Handle(), &client);
  // Outer 1, border 2, inner 1 on each side; the margins stay inside.
  EXPECT_EQ(client.right, 100 - 2 * 4);
  EXPECT_EQ(client.bottom, 60 - 2 * 4);
  EXPECT_EQ(framed->ClientRect(), (TRect{3, 0, 100 - 8 - 3, 60 - 8}));
  // The outer bevel in the box colour on the window's own DC.
  HDC dc = GetWindowDC(framed->Handle());
  EXPECT_EQ(static_cast<TKyColor>(GetPixel(dc, 0, 30)), ColorToRGB(DefaultColorOf("Dft_ColBox")));
  EXPECT_EQ(static_cast<TKyColor>(GetPixel(dc, 3, 30)), ColorToRGB(DefaultColorOf("Dft_3DLight")));
  ReleaseDC(framed->Handle(), dc);
}

// The background covers the whole panel: the band between the bevels and
// the margins show the panel's own colour, never the form's, on every side.
TEST_F(PanelTest, TheBackgroundCoversTheFrameBandAndTheMargins) {
  struct Case {
    TKyBevelStyle outer, inner;
    int border, marginLR, marginTB;
  };
  const Case cases[] = {{bes3DTop, besNone, 0, 0, 0},   {bes3DTop, bes3DBottom, 3, 0, 0}, {besSingle, besSingle, 2, 3, 1},
                        {besNone, bes3DTop, 1, 4, 4},   {bes3DTop, besNone, 5, 2, 0},    {besNone, besNone, 0, 3, 3}};
  TKyCApplication app(nullptr);
  const TKyColor green = KyRGB(0, 128, 0), magenta = KyRGB(255, 0, 255);
  app.PkgDisplay()->AddBackGround("sbPanel")->SetColor(green);
  form.SetColor(magenta);
  panel->SetBackGround()->SetName("sbPanel");
  form.Show();
  const TKyColor frame[] = {ColorToRGB(DefaultColorOf("Dft_3DMLight")), ColorToRGB(DefaultColorOf("Dft_3DShadow")),
                            ColorToRGB(DefaultColorOf("Dft_3DLight")), ColorToRGB(DefaultColorOf("Dft_ColBox"))};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "outer " << int(c.outer) << " inner " << int(c.inner) << " border "
                                    << c.border << " margins " << c.marginLR << "," << c.marginTB);
    panel->SetBevelOuter(c.outer);
    panel->SetBevelInner(c.inner);
    panel->SetBorderWidth(c.border);
    panel->SetMarginLeftRight(c.marginLR);
    panel->SetMarginTopBottom(c.marginTB);
    panel->Invalidate();
    Pump();
    TSnapshot shot(&form);
    int others = 0, greens = 0;
    std::string first;
    for (int y = 0; y < 60; ++y)
      for (int x = 0; x < 100; ++x) {
        TKyColor p = shot.Pixel(20 + x, 10 + y);
        if (p == green) {
          ++greens;
          continue;
        }
        if (std::find(std::begin(frame), std::end(frame), p) != std::end(frame)) continue;
        if (others++ == 0) first = std::to_string(x) + "," + std::to_string(y) + " colour " + std::to_string(p);
      }
    EXPECT_EQ(others, 0) << "first at " << first;
    // The pixels just inside the right and bottom outer edge belong to the
    // band or the margin unless an inner bevel sits there.
    if (c.marginLR > 0 || (c.inner != besNone && c.border > 0)) {
      int x = 100 - 1 - (c.outer != besNone ? 1 : 0) - (c.inner != besNone && c.border == 0 ? 1 : 0);
      EXPECT_EQ(shot.Pixel(20 + x, 10 + 30), green);
    }
    EXPECT_GT(greens, 0);
  }
}
