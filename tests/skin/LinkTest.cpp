// The skin's link (busy state, notifications through the registered
// message) and the placement of controls in a resized parent.
#include "support/WindowDriver.h"

#include "packages/CApplication.h"
#include "platform/classes/FormStream.h"
#include "skin/LinkEvt.h"
#include "skin/Placement.h"

using namespace ky_test;

namespace {

// A window that records the library messages it gets.
class TTstLinkedBox : public TCustomControl {
  KY_CLASS(TTstLinkedBox, TCustomControl)
public:
  explicit TTstLinkedBox(TComponent* owner) : TCustomControl(owner), link(this, 4) {
    link.OnNotify = [this](int32_t code, int32_t value) { handled.push_back({code, value}); };
    link.OnLoaded = [this] {
      ++served;
      busyWhenServed = link.IsBusy();
    };
  }
  TKyLinkEvt link;
  std::vector<std::pair<int32_t, int32_t>> handled, received;
  bool busyInLoaded = false, busyWhenServed = true;
  int served = 0;

protected:
  void Loaded() override {
    busyInLoaded = link.IsBusy();
    TCustomControl::Loaded();
  }
  void WndProc(TMessage& m) override {
    if (m.Msg == KyMessageMaster())
      received.push_back({static_cast<int32_t>(m.WParam), static_cast<int32_t>(m.LParam)});
    TCustomControl::WndProc(m);
  }
};

}  // namespace

TEST(Link, NotifiesTheHandlerAndTheControlsWindowProcedureUnlessBusy) {
  App();
  ASSERT_NE(KyMessageMaster(), 0u);
  EXPECT_EQ(KyMessageMaster(), RegisterWindowMessageA("__Ky_MessageMaster__"));
  TForm form(nullptr);
  auto* box = new TTstLinkedBox(&form);
  box->SetParent(&form);
  box->link.Notify(kMmRealign, 3);
  const std::vector<std::pair<int32_t, int32_t>> once{{kMmRealign, 3}};
  EXPECT_EQ(box->handled, once);
  EXPECT_EQ(box->received, once);

  // Locked, inactive: nothing arrives.
  {
    TKyLinkLock lock(box->link);
    EXPECT_TRUE(box->link.IsBusy());
    box->link.Notify(kMmBackgroundChanged, 0);
  }
  EXPECT_FALSE(box->link.IsBusy());
  box->link.SetActive(false);
  box->link.Notify(kMmBackgroundChanged, 0);
  box->link.SetActive(true);
  EXPECT_EQ(box->handled, once);
  EXPECT_EQ(box->received, once);
  EXPECT_TRUE(TKyLinkEvt::IsBusy(nullptr));
}

TEST(Link, AComponentIsBusyWhileItsFormLoadsAndServedOnceAfter) {
  App();
  RegisterApplicationClasses();
  RegisterClasses({&TTstLinkedBox::StaticClass()});
  std::vector<uint8_t> bytes;
  {
    TForm form(nullptr);
    auto* box = new TTstLinkedBox(&form);
    box->SetName("Box");
    box->SetParent(&form);
    bytes = WriteComponentBytes(&form);
  }
  TForm copy(nullptr);
  ReadComponentBytes(bytes, &copy);
  auto* read = copy.Find<TTstLinkedBox>("Box");
  ASSERT_NE(read, nullptr);
  EXPECT_TRUE(read->busyInLoaded);
  EXPECT_EQ(read->served, 1);
  EXPECT_FALSE(read->busyWhenServed);
  EXPECT_FALSE(read->link.Waiting());
}

// ---- Placement ----

namespace {

struct TPlaceCase {
  TKyAlignHor Hor;
  TKyAlignVer Ver;
  bool KeepW, KeepH;
  TRect Expected;  // left, top, right, bottom after the parent grows
};

}  // namespace

TEST(Placement, ControlsFollowTheirParentByTheirAlignment) {
  App();
  // The parent goes from 200 x 100 to 300 x 160; the control sits at
  // (20, 10) 50 x 30: margins L0 20, R0 130, T0 10, B0 60.
  const TPlaceCase cases[] = {
      {alhLeft, alvTop, false, false, {20, 10, 70, 40}},
      {alhCentered, alvCentered, false, false, {125, 65, 175, 95}},
      {alhRight, alvBottom, false, false, {120, 70, 170, 100}},
      {alhLeftRight, alvTopBottom, false, false, {20, 10, 170, 100}},
      {alhZoom, alvZoom, false, false, {30, 16, 105, 64}},
      {alhZoomLeft, alvZoomTop, false, false, {30, 16, 70, 40}},
      {alhZoomRight, alvZoomBottom, false, false, {20, 10, 105, 64}},
      // Kept sizes: only the position moves.
      {alhLeftRight, alvTopBottom, true, true, {20, 10, 70, 40}},
      {alhZoom, alvZoom, true, true, {30, 16, 80, 46}},
  };
  for (const TPlaceCase& c : cases) {
    TForm form(nullptr);
    form.SetBorderStyle(bsNone);
    form.SetFormClientWidth(200);
    form.SetFormClientHeight(100);
    auto* child = new TTstLinkedBox(&form);
    child->SetParent(&form);
    child->SetBounds(20, 10, 50, 30);
    TKyPlacementRef ref;
    ref.Record(*child);
    ASSERT_TRUE(ref.Valid);
    EXPECT_EQ(ref.R0, 130);
    EXPECT_EQ(ref.B0, 60);
    form.SetFormClientWidth(300);
    form.SetFormClientHeight(160);
    AlignInParent(*child, ref, c.Hor, c.KeepW, c.KeepH, c.Ver);
    EXPECT_EQ(child->BoundsRect(), c.Expected)
        << EnumInfo(alhLeft).Name(c.Hor) << "/" << EnumInfo(alvTop).Name(c.Ver) << (c.KeepW ? " kept" : "");
  }
}

TEST(Placement, NeverMovesAlignedDesignedOrUnrecordedControls) {
  App();
  TForm form(nullptr);
  form.SetBorderStyle(bsNone);
  form.SetFormClientWidth(200);
  form.SetFormClientHeight(100);
  auto* child = new TTstLinkedBox(&form);
  child->SetParent(&form);
  child->SetBounds(20, 10, 50, 30);
  TKyPlacementRef ref;
  ref.Record(*child);
  form.SetFormClientWidth(400);
  // No reference yet.
  AlignInParent(*child, TKyPlacementRef{}, alhRight, false, false, alvTop);
  EXPECT_EQ(child->Left(), 20);
  // Designing.
  child->SetDesigning(true);
  AlignInParent(*child, ref, alhRight, false, false, alvTop);
  EXPECT_EQ(child->Left(), 20);
  child->SetDesigning(false);
  // The right edge distance as loaded: 400 - (200 - 20).
  AlignInParent(*child, ref, alhRight, false, false, alvTop);
  EXPECT_EQ(child->Left(), 220);
  // A platform-aligned control is the platform's.
  child->SetAlign(alTop);
  TRect aligned = child->BoundsRect();
  AlignInParent(*child, ref, alhCentered, false, false, alvBottom);
  EXPECT_EQ(child->BoundsRect(), aligned);
}

TEST(Placement, BesideTheOwnerByEveryLayout) {
  // Owner at (100, 50), 60 x 20; a 30 x 10 box, 2 pixels away.
  const TRect owner{100, 50, 160, 70};
  const std::pair<TKyExternalControlLayout, TPoint> cases[] = {
      {eclCornerLeftTop, {68, 38}},     {eclCornerRightTop, {162, 38}},  {eclCornerLeftBottom, {68, 72}},
      {eclCornerRightBottom, {162, 72}}, {eclTopLeft, {100, 38}},        {eclTopCenter, {115, 38}},
      {eclTopRight, {130, 38}},         {eclBottomLeft, {100, 72}},      {eclBottomCenter, {115, 72}},
      {eclBottomRight, {130, 72}},      {eclLeftTop, {68, 50}},          {eclLeftCenter, {68, 55}},
      {eclLeftBottom, {68, 60}},        {eclRightTop, {162, 50}},        {eclRightCenter, {162, 55}},
      {eclRightBottom, {162, 60}},
  };
  for (auto [layout, expected] : cases)
    EXPECT_EQ(PlaceBeside(owner, {30, 10}, layout, 2), expected) << EnumInfo(eclCornerLeftTop).Name(layout);
  // Centring truncates toward zero when the box is the larger.
  EXPECT_EQ(PlaceBeside(owner, {71, 10}, eclTopCenter, 2).X, 100 - 5);

  // Kept on a 400 x 300 screen: flipped to the other side, or pushed in.
  const TRect screen{0, 0, 400, 300};
  EXPECT_EQ(PlaceBesideOnScreen({10, 100, 70, 120}, {30, 10}, eclLeftCenter, 2, screen), (TPoint{72, 105}));
  EXPECT_EQ(PlaceBesideOnScreen({100, 5, 160, 25}, {30, 10}, eclTopLeft, 2, screen), (TPoint{100, 27}));
  EXPECT_EQ(PlaceBesideOnScreen({380, 100, 400, 120}, {30, 10}, eclTopLeft, 2, screen), (TPoint{370, 88}));
}
