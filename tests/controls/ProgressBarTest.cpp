// The progress bar: positions mapped to blocks and to a solid bar in the
// four directions, the stored values' limits, a prompt repaint, and the
// moving pattern's thread timer: it runs only while wanted, skips frames
// while the paint lock is held, and stops cleanly, also when the bar is
// freed in the middle of it.
#include "support/WindowDriver.h"

#include <atomic>
#include <memory>
#include <string>

#include "controls/ControlsTestSupport.h"
#include "controls/KyProgressBar.h"
#include "controls/RegisterControls.h"
#include "platform/classes/FormStream.h"
#include "platform/classes/TextForm.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/Graphics.h"
#include "skin/KyTimers.h"
#include "skin/Label.h"

using namespace ky_test;

namespace {

class ProgressBarTest : public ::testing::Test {
protected:
  void SetUp() override {
    PrepareForm(form, 260, 260);
    bar = new TKyProgressBar(&form);
    bar->SetName("PrAll");
    bar->SetParent(&form);
    bar->SetBounds(10, 10, 200, 20);
    form.Show();
    ASSERT_TRUE(PumpUntil([&] { return bar->HandleAllocated() && bar->Visible(); }));
    fill = ColorToRGB(bar->SetBGProgress()->Value());
    trough = ColorToRGB(bar->SetBackGround()->Value());
    ASSERT_NE(fill, trough);
  }
  // The form pixel at along pixels from the bar's start edge, across the
  // middle.
  TKyColor Along(TSnapshot& shot, int along) {
    TRect r = bar->BarRect();
    int x = bar->Left(), y = bar->Top();
    switch (bar->Orientation()) {
      case pboRight: return shot.Pixel(x + r.Left + along, y + (r.Top + r.Bottom) / 2);
      case pboLeft: return shot.Pixel(x + r.Right - 1 - along, y + (r.Top + r.Bottom) / 2);
      case pboDown: return shot.Pixel(x + (r.Left + r.Right) / 2, y + r.Top + along);
      case pboUp: return shot.Pixel(x + (r.Left + r.Right) / 2, y + r.Bottom - 1 - along);
    }
    return 0;
  }
  TForm form{nullptr};
  TKyProgressBar* bar = nullptr;
  TKyColor fill = 0, trough = 0;
};

// Reads the window's own pixel, as the screen shows it now.
TKyColor ScreenPixel(TWinControl* c, int x, int y) {
  HDC dc = GetDC(c->Handle());
  COLORREF p = GetPixel(dc, x, y);
  ReleaseDC(c->Handle(), dc);
  return static_cast<TKyColor>(p);
}

}  // namespace

TEST_F(ProgressBarTest, PositionsFillBlocksOrASolidBarFromTheOrientationsEdge) {
  // 200 x 20 with a two-pixel frame: a bar 196 long. Blocks of 4 with gaps
  // of 2: pixel 4 lies in the first gap, 97 in the block at 96, 110 in the
  // block at 108, 195 in the last block (192..195).
  struct TCase {
    TKyTypeBar Type;
    int32_t Position;
    int At;
    bool Filled;
  };
  const TCase cases[] = {
      {tbaBlock, 0, 1, false},     {tbaBlock, 0, 195, false},  {tbaBlock, 50, 1, true},
      {tbaBlock, 50, 4, false},    {tbaBlock, 50, 97, true},   {tbaBlock, 50, 110, false},
      {tbaBlock, 50, 195, false},  {tbaBlock, 100, 1, true},   {tbaBlock, 100, 110, true},
      {tbaBlock, 100, 195, true},  {tbaSolid, 0, 1, false},    {tbaSolid, 50, 4, true},
      {tbaSolid, 50, 97, true},    {tbaSolid, 50, 110, false}, {tbaSolid, 100, 195, true},
      {tbaSolid, 100, 4, true},
  };
  for (TKyProgressBarOrientation o : {pboRight, pboLeft, pboUp, pboDown}) {
    bar->SetOrientation(o);
    if (o == pboUp || o == pboDown) {
      EXPECT_EQ(bar->Width(), 20);
      EXPECT_EQ(bar->Height(), 200);
    } else {
      EXPECT_EQ(bar->Width(), 200);
      EXPECT_EQ(bar->Height(), 20);
    }
    for (const TCase& c : cases) {
      SCOPED_TRACE(EnumInfo(o).Name(o) + " " + EnumInfo(c.Type).Name(c.Type) + " position " + std::to_string(c.Position) +
                   " at " + std::to_string(c.At));
      bar->SetTypeBar(c.Type);
      bar->SetPosition(c.Position);
      TSnapshot shot(&form);
      EXPECT_EQ(Along(shot, c.At), c.Filled ? fill : trough);
    }
  }
}

TEST_F(ProgressBarTest, MinAndMaxScaleTheFill) {
  bar->SetTypeBar(tbaSolid);
  bar->SetMin(50);
  bar->SetMax(150);
  bar->SetPosition(100);
  TSnapshot shot(&form);
  EXPECT_EQ(Along(shot, 96), fill);
  EXPECT_EQ(Along(shot, 100), trough);
  // Below Min is kept as given and shows nothing.
  bar->SetPosition(20);
  EXPECT_EQ(bar->Position(), 20);
  TSnapshot empty(&form);
  EXPECT_EQ(Along(empty, 1), trough);
}

TEST_F(ProgressBarTest, StoredValuesKeepTheirLimits) {
  bar->SetPosition(150);
  EXPECT_EQ(bar->Position(), 100);
  bar->SetPosition(-5);
  EXPECT_EQ(bar->Position(), -5);
  bar->SetPosition(10);
  bar->StepBy(0);
  EXPECT_EQ(bar->Position(), 10);
  bar->StepBy(25);
  EXPECT_EQ(bar->Position(), 35);
  bar->StepBy(100);
  EXPECT_EQ(bar->Position(), 100);
  for (int32_t v : {0, -3}) {
    bar->SetWidthBlock(v);
    EXPECT_EQ(bar->WidthBlock(), 1);
    bar->SetSpacingBlock(v);
    EXPECT_EQ(bar->SpacingBlock(), 1);
  }
}

TEST_F(ProgressBarTest, APositionShowsWithoutWaitingForTheMessageLoop) {
  bar->SetTypeBar(tbaSolid);
  Pump();
  TRect r = bar->BarRect();
  int y = (r.Top + r.Bottom) / 2;
  EXPECT_EQ(ScreenPixel(bar, r.Right - 2, y), trough);
  // As the installation does between copies: no messages in between.
  bar->SetPosition(100);
  EXPECT_EQ(ScreenPixel(bar, r.Right - 2, y), fill);
  bar->SetPosition(0);
  EXPECT_EQ(ScreenPixel(bar, r.Left + 1, y), trough);
}

TEST_F(ProgressBarTest, TheMovingPatternRunsOnlyWhileIndeterminateAndAboveZero) {
  std::atomic<int> frames{0};
  bar->OnAnimationFrame = [&] {
    ++frames;
    WakePump();
  };
  bar->SetTypeBar(tbaIndeterminate);
  EXPECT_FALSE(bar->Animating());
  {
    TSnapshot shot(&form);
    for (int at = 0; at < 196; at += 3) ASSERT_EQ(Along(shot, at), trough) << at;
  }
  bar->SetPosition(1);
  ASSERT_TRUE(bar->Animating());
  // The pattern moves: the row on the screen differs between frames.
  auto row = [&] {
    std::string pixels;
    TRect r = bar->BarRect();
    for (int x = r.Left; x < r.Right; ++x)
      pixels += ScreenPixel(bar, x, (r.Top + r.Bottom) / 2) == fill ? '#' : '.';
    return pixels;
  };
  ASSERT_TRUE(PumpUntil([&] { return frames >= 3; }));
  std::string first = row();
  EXPECT_NE(first.find('#'), std::string::npos) << first;
  ASSERT_TRUE(PumpUntil([&] { return row() != first; }));
  // Back to 0: the timer is gone at once.
  bar->SetPosition(0);
  EXPECT_FALSE(bar->Animating());
  bar->SetPosition(5);
  EXPECT_TRUE(bar->Animating());
  // Another type stops it at once: no frame follows.
  bar->SetTypeBar(tbaSolid);
  EXPECT_FALSE(bar->Animating());
  int stoppedAt = frames;
  // A clock of its own shows that time went by.
  TKyThreadTimer clock(nullptr);
  std::atomic<int> ticks{0};
  clock.SetSynchronize(false);
  clock.SetInterval(10);
  clock.OnTimer = [&](TObject*) {
    ++ticks;
    WakePump();
  };
  clock.SetEnabled(true);
  ASSERT_TRUE(PumpUntil([&] { return ticks >= 10; }));
  EXPECT_EQ(frames, stoppedAt);
  // Position 0 while indeterminate: the trough only.
  bar->SetTypeBar(tbaIndeterminate);
  bar->SetPosition(0);
  EXPECT_FALSE(bar->Animating());
}

TEST_F(ProgressBarTest, FramesAreSkippedWhileThePaintLockIsHeld) {
  std::atomic<int> frames{0};
  bar->OnAnimationFrame = [&] {
    ++frames;
    WakePump();
  };
  bar->SetTypeBar(tbaIndeterminate);
  bar->SetPosition(10);
  ASSERT_TRUE(PumpUntil([&] { return frames >= 2; }));
  TKyThreadTimer clock(nullptr);
  std::atomic<int> ticks{0};
  clock.SetSynchronize(false);
  clock.SetInterval(10);
  clock.OnTimer = [&](TObject*) {
    ++ticks;
    WakePump();
  };
  for (bool canvasLock : {false, true}) {
    SCOPED_TRACE(canvasLock ? "canvas lock" : "paint lock");
    if (canvasLock)
      bar->Canvas()->Lock();
    else
      GlobalPaintLock().Lock();
    // A frame under way may finish; none starts after it.
    ticks = 0;
    clock.SetEnabled(true);
    ASSERT_TRUE(PumpUntil([&] { return ticks >= 2; }));
    int held = frames;
    ticks = 0;
    ASSERT_TRUE(PumpUntil([&] { return ticks >= 10; }));
    EXPECT_EQ(frames, held);
    clock.SetEnabled(false);
    if (canvasLock)
      bar->Canvas()->Unlock();
    else
      GlobalPaintLock().Unlock();
    ASSERT_TRUE(PumpUntil([&] { return frames > held; }));
  }
}

TEST_F(ProgressBarTest, FreeingARunningBarStopsItsFramesAndDoesNotHang) {
  auto frames = std::make_shared<std::atomic<int>>(0);
  for (int round = 0; round < 5; ++round) {
    SCOPED_TRACE(round);
    auto* running = new TKyProgressBar(&form);
    running->SetParent(&form);
    running->SetBounds(10, 40 + 20 * round, 200, 16);
    running->OnAnimationFrame = [frames] {
      ++*frames;
      WakePump();
    };
    running->SetTypeBar(tbaIndeterminate);
    ASSERT_TRUE(PumpUntil([&] { return running->HandleAllocated(); }));
    running->SetPosition(50);
    int before = *frames;
    ASSERT_TRUE(PumpUntil([&] { return *frames >= before + 1 + round; }));
    // Mid-run: the next frame may be drawing now.
    delete running;
  }
  int atEnd = *frames;
  // Time goes by on the fixture's bar; the freed ones stay silent.
  std::atomic<int> own{0};
  bar->OnAnimationFrame = [&] {
    ++own;
    WakePump();
  };
  bar->SetTypeBar(tbaIndeterminate);
  bar->SetPosition(3);
  ASSERT_TRUE(PumpUntil([&] { return own >= 10; }));
  EXPECT_EQ(*frames, atEnd);
}

TEST_F(ProgressBarTest, EveryPublishedPropertyGoesThroughATextForm) {
  TForm root(nullptr);
  root.SetName("FrProgress");
  auto* p = new TKyProgressBar(&root);
  p->SetName("PrAll");
  p->SetParent(&root);
  p->SetBounds(8, 16, 337, 16);
  p->SetHint("Files");
  p->SetHelpContext(9);
  p->SetTabStop(true);
  p->SetAlignHor(alhRight);
  p->SetAlignVer(alvBottom);
  p->SetTypeBar(tbaSolid);
  p->SetWidthBlock(7);
  p->SetSpacingBlock(3);
  p->SetBevelInner(besSingle);
  p->SetBevelOuter(besNone);
  p->SetBorderWidth(2);
  p->SetMarginLeftRight(4);
  p->SetMarginTopBottom(1);
  p->SetShadow(true);
  p->SetBackGround()->SetName("sb6");
  p->SetBGProgress()->SetName("sb12");
  p->ILabel()->SetVisible(true);
  p->CaptionId()->SetPkgName("Idioma");
  p->CaptionId()->SetId(40);
  p->SetTransparent(true);
  p->SetOrientation(pboLeft);
  p->SetMin(-10);
  p->SetMax(500);
  p->SetPosition(250);
  p->Privilege()->SetId(3);
  p->SetLocked(true);
  p->SetEnabled(false);
  p->SetVisible(false);
  std::string text = FormBinaryToText(WriteComponentBytes(&root));
  for (const char* stored : {"TypeBar = tbaSolid", "Orientation = pboLeft", "Position = 250", "Min = -10",
                             "SetBGProgress.Name = 'sb12'", "WidthBlock = 7"})
    EXPECT_NE(text.find(stored), std::string::npos) << stored << "\n" << text;

  TForm copy(nullptr);
  ReadComponentBytes(FormTextToBinary(text), &copy);
  auto* r = copy.Find<TKyProgressBar>("PrAll");
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(r->BoundsRect(), (TRect{8, 16, 345, 32}));
  EXPECT_EQ(r->Hint(), "Files");
  EXPECT_EQ(r->HelpContext(), 9);
  EXPECT_TRUE(r->TabStop());
  EXPECT_EQ(r->AlignHor(), alhRight);
  EXPECT_EQ(r->AlignVer(), alvBottom);
  EXPECT_EQ(r->TypeBar(), tbaSolid);
  EXPECT_EQ(r->WidthBlock(), 7);
  EXPECT_EQ(r->SpacingBlock(), 3);
  EXPECT_EQ(r->BevelInner(), besSingle);
  EXPECT_EQ(r->BevelOuter(), besNone);
  EXPECT_EQ(r->BorderWidth(), 2);
  EXPECT_EQ(r->MarginLeftRight(), 4);
  EXPECT_EQ(r->MarginTopBottom(), 1);
  EXPECT_TRUE(r->Shadow());
  EXPECT_EQ(r->SetBackGround()->Name(), "sb6");
  EXPECT_EQ(r->SetBGProgress()->Name(), "sb12");
  EXPECT_TRUE(r->ILabel()->Visible());
  EXPECT_EQ(r->CaptionId()->Id(), 40);
  EXPECT_TRUE(r->Transparent());
  EXPECT_EQ(r->Orientation(), pboLeft);
  EXPECT_EQ(r->Min(), -10);
  EXPECT_EQ(r->Max(), 500);
  EXPECT_EQ(r->Position(), 250);
  EXPECT_EQ(r->Privilege()->Id(), 3);
  EXPECT_TRUE(r->Locked());
  EXPECT_FALSE(r->Enabled());
  EXPECT_FALSE(r->Visible());
  // Written again, the same text; the inner label is the bar's own.
  auto barPart = [](const std::string& t) {
    size_t from = t.find("  object PrAll");
    return t.substr(from, t.find("\n  end\n", from) - from);
  };
  EXPECT_EQ(barPart(FormBinaryToText(WriteComponentBytes(&copy))), barPart(text));
  EXPECT_EQ(text.find("TKySingleLabel"), std::string::npos) << text;
}
