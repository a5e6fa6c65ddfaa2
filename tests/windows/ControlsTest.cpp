// Controls on a form built in code: windows made on demand, parents and
// inherited looks, hit testing, the vertical scroll bar of a window, and
// nothing left behind.
#include <memory>
#include <vector>

#include "platform/windows/ScrollBar.h"

#include "support/GdiObjects.h"
#include "windows/WindowsTest.h"

using namespace ky_test;

namespace {

class ControlsTest : public ::testing::Test {
protected:
  void SetUp() override {
    App();
    form.reset(CreateForm<TForm>(nullptr));
    form->SetBounds(50, 50, 260, 180);
  }
  void TearDown() override {
    form.reset();
    Pump();
  }
  std::unique_ptr<TForm> form;
};

TEST_F(ControlsTest, WindowsAreMadeWhenFirstNeededWithTheirParents) {
  auto* panel = new TTstPanel(form.get());
  EXPECT_THROW(panel->Handle(), EInvalidOperation);
  panel->SetParent(form.get());
  auto* inner = new TTstPanel(form.get());
  inner->SetParent(panel);
  inner->SetBounds(5, 6, 20, 10);
  EXPECT_FALSE(panel->HandleAllocated());
  EXPECT_FALSE(inner->HandleAllocated());
  form->HandleNeeded();
  ASSERT_TRUE(inner->HandleAllocated());
  EXPECT_EQ(GetParent(inner->Handle()), panel->Handle());
  EXPECT_EQ(TWinControl::FromHandle(inner->Handle()), inner);
  RECT r;
  GetWindowRect(inner->Handle(), &r);
  MapWindowPoints(nullptr, panel->Handle(), reinterpret_cast<POINT*>(&r), 2);
  EXPECT_EQ(TRect(r.left, r.top, r.right, r.bottom), TRect(5, 6, 25, 16));
  // Moving to another parent moves the window.
  inner->SetParent(form.get());
  EXPECT_EQ(GetParent(inner->Handle()), form->Handle());
  // Hidden controls have hidden windows.
  inner->SetVisible(false);
  EXPECT_FALSE(IsWindowVisible(inner->Handle()));
}

TEST_F(ControlsTest, TextSurvivesTheWindowBeingMadeAgain) {
  auto* panel = new TTstPanel(form.get());
  panel->SetParent(form.get());
  panel->SetCaption("before the window");
  form->HandleNeeded();
  char buf[64];
  GetWindowTextA(panel->Handle(), buf, sizeof buf);
  EXPECT_STREQ(buf, "before the window");
  panel->SetCaption("in the window");
  HWND old = panel->Handle();
  panel->RecreateWnd();
  EXPECT_NE(panel->Handle(), old);
  EXPECT_FALSE(IsWindow(old));
  EXPECT_EQ(panel->Caption(), "in the window");
}

TEST_F(ControlsTest, FontAndColourComeFromTheParentUntilSetHere) {
  auto* panel = new TTstPanel(form.get());
  panel->SetParent(form.get());
  auto* shape = new TTstShape(form.get());
  shape->SetParent(panel);
  shape->SetParentColor(true);
  form->Font()->SetName("Arial");
  form->Font()->SetHeight(-17);
  EXPECT_EQ(panel->Font()->Name(), "Arial");
  EXPECT_EQ(shape->Font()->Height(), -17);
  panel->SetColor(kClYellow);
  EXPECT_EQ(shape->Color(), kClYellow);
  // A font set on the control itself stops following.
  shape->Font()->SetHeight(-9);
  EXPECT_FALSE(shape->ParentFont());
  form->Font()->SetHeight(-21);
  EXPECT_EQ(shape->Font()->Height(), -9);
  EXPECT_EQ(panel->Font()->Height(), -21);
}

TEST_F(ControlsTest, ControlAtPosFindsTheTopmostVisibleEnabledChild) {
  auto* a = new TTstShape(form.get());
  a->SetParent(form.get());
  a->SetBounds(10, 10, 50, 50);
  auto* b = new TTstShape(form.get());
  b->SetParent(form.get());
  b->SetBounds(30, 30, 50, 50);
  struct TCase {
    TPoint p;
    TControl* want;
  };
  for (TCase c : {TCase{{15, 15}, a}, TCase{{40, 40}, b}, TCase{{70, 70}, b}, TCase{{5, 5}, nullptr},
                  TCase{{80, 80}, nullptr}})
    EXPECT_EQ(form->ControlAtPos(c.p), c.want) << c.p.X << "," << c.p.Y;
  b->SetEnabled(false);
  EXPECT_EQ(form->ControlAtPos({40, 40}), a);
  EXPECT_EQ(form->ControlAtPos({40, 40}, true), b);
  b->SetVisible(false);
  EXPECT_EQ(form->ControlAtPos({40, 40}, true), a);
}

// A windowless control that hides or shows has its parent repaint its
// place: a hidden one must not stay on the screen.
TEST_F(ControlsTest, HidingOrShowingAWindowlessControlRepaintsItsPlace) {
  auto* shape = new TTstShape(form.get());
  shape->SetParent(form.get());
  shape->SetBounds(20, 30, 40, 25);
  form->Show();
  ASSERT_TRUE(PumpUntil([&] { return shape->Paints > 0; }));
  for (bool visible : {false, true}) {
    SCOPED_TRACE(visible);
    Pump();
    ValidateRect(form->Handle(), nullptr);
    shape->SetVisible(visible);
    RECT update{};
    ASSERT_TRUE(GetUpdateRect(form->Handle(), &update, FALSE));
    EXPECT_TRUE(update.left <= 20 && update.top <= 30 && update.right >= 60 && update.bottom >= 55)
        << update.left << "," << update.top << "," << update.right << "," << update.bottom;
  }
}

TEST_F(ControlsTest, FreeingAControlTakesItOutOfItsParent) {
  auto* panel = new TTstPanel(form.get());
  panel->SetParent(form.get());
  auto* shape = new TTstShape(form.get());
  shape->SetParent(panel);
  form->Show();
  PostMouse(shape, WM_MOUSEMOVE, 3, 3);
  EXPECT_EQ(MouseControl(), shape);
  HWND window = panel->Handle();
  delete panel;  // takes its window, not the shape it does not own
  EXPECT_FALSE(IsWindow(window));
  EXPECT_EQ(form->ControlCount(), 0);
  EXPECT_EQ(shape->Parent(), nullptr);
  EXPECT_NE(MouseControl(), shape);
  delete shape;
}

TEST_F(ControlsTest, AVerticalScrollBarShowsOnlyWhileTheContentDoesNotFit) {
  auto* panel = new TTstPanel(form.get());
  panel->SetParent(form.get());
  panel->SetBounds(10, 10, 120, 100);
  TVertScrollBar scroll(panel);
  std::vector<int> moves;
  scroll.OnScroll = [&](int32_t delta) { moves.push_back(delta); };
  // Before the window exists only the values change.
  scroll.SetRange(400, 100);
  scroll.SetPosition(250);
  EXPECT_FALSE(panel->HandleAllocated());
  EXPECT_EQ(scroll.Position(), 250);
  form->Show();
  Pump();
  auto shows = [&] { return (GetWindowLongA(panel->Handle(), GWL_STYLE) & WS_VSCROLL) != 0; };
  auto barInfo = [&] {
    SCROLLINFO si{};
    si.cbSize = sizeof(si);
    si.fMask = SIF_ALL;
    GetScrollInfo(panel->Handle(), SB_VERT, &si);
    return si;
  };
  EXPECT_FALSE(shows());
  scroll.Apply();
  EXPECT_TRUE(shows());
  EXPECT_EQ(panel->ClientWidth(), 120 - TVertScrollBar::BarWidth());
  SCROLLINFO si = barInfo();
  EXPECT_EQ(si.nMax, 399);
  EXPECT_EQ(si.nPage, 100u);
  EXPECT_EQ(si.nPos, 250);
  // Positions stay between 0 and range - page; a shorter range pulls the
  // position back and tells so.
  scroll.SetPosition(1000);
  scroll.SetPosition(-5);
  scroll.SetPosition(-5);
  scroll.SetRange(150, 100);
  scroll.SetPosition(80);
  EXPECT_EQ(scroll.Position(), 50);
  EXPECT_EQ(moves, (std::vector<int>{250, 50, -300, 50}));
  EXPECT_EQ(barInfo().nPos, 50);
  // Content that fits hides the bar and gives the width back.
  scroll.SetRange(100, 100);
  EXPECT_EQ(scroll.Position(), 0);
  EXPECT_FALSE(scroll.Needed());
  EXPECT_FALSE(shows());
  EXPECT_EQ(panel->ClientWidth(), 120);
  // Nothing to scroll: keys and the wheel are left to others.
  TMessage wheel{WM_MOUSEWHEEL, static_cast<WPARAM>(static_cast<uint16_t>(-120)) << 16, 0, 0};
  EXPECT_FALSE(scroll.HandleMessage(wheel));
  EXPECT_FALSE(scroll.HandleKey(VK_END));
}

TEST_F(ControlsTest, ShowingAndPaintingLeaveNoGdiObjectsBehind) {
  auto count = [] { return GdiObjects(); };
  // Warm up the shared objects (stock fonts, the window class).
  {
    std::unique_ptr<TForm> f(CreateForm<TForm>(nullptr));
    f->Show();
    Pump();
  }
  DWORD before = count();
  for (int round = 0; round < 3; ++round) {
    std::unique_ptr<TForm> f(CreateForm<TForm>(nullptr));
    auto* panel = new TTstPanel(f.get());
    panel->SetParent(f.get());
    auto* shape = new TTstShape(f.get());
    shape->SetParent(panel);
    shape->Font()->SetName("Arial");
    f->Show();
    f->Repaint();
    TSnapshot shot(f.get());
  }
  Pump();
  EXPECT_EQ(count(), before);
}

}  // namespace
