// Placement in the parent: children loaded from a text form follow their
// parent's resize through the library's realignment notice, by AlignHor and
// AlignVer, with and without keeping their size.
#include "support/WindowDriver.h"

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "platform/classes/FormStream.h"
#include "platform/classes/TextForm.h"
#include "platform/classes/TypInfo.h"
#include "skin/Label.h"
#include "skin/Panel.h"
#include "skin/RegisterSkin.h"

using namespace ky_test;

namespace {

// One axis: the loaded parent is 200 wide (100 high), the child starts at
// 20 (10) with size 60 (30); the parent grows to 300 (150). Start and size
// afterwards, given the size the child keeps (or -1 when it may change).
struct TAxis {
  const char* name;
  int start;  // -1: (parent - size) / 2, centred
  int size;   // -1: unchanged
};

const TAxis kHor[] = {
    {"alhLeft", 20, -1},      {"alhCentered", -1, -1}, {"alhRight", 120, -1}, {"alhLeftRight", 20, 160},
    {"alhZoom", 30, 90},      {"alhZoomLeft", 30, 50}, {"alhZoomRight", 20, 100},
};
const TAxis kVer[] = {
    {"alvTop", 10, -1},       {"alvCentered", -1, -1}, {"alvBottom", 60, -1},   {"alvTopBottom", 10, 80},
    {"alvZoom", 15, 45},      {"alvZoomTop", 15, 25},  {"alvZoomBottom", 10, 50},
};

// Where a child of size `own` (kept, or the table's) lands on an axis of
// the grown parent.
std::pair<int, int> Expected(const TAxis& a, int parent, int own, bool keep) {
  int size = keep || a.size < 0 ? own : a.size;
  int start = a.start;
  if (start < 0) start = std::max(0, (parent - size) / 2);
  return {start, size};
}

class PlacementTest : public ::testing::Test {
protected:
  void SetUp() override {
    App();
    RegisterSkinClasses();
  }
};

}  // namespace

TEST_F(PlacementTest, ChildrenFollowTheirParentsResizeByAlignHorAndAlignVer) {
  // Panels may change size; auto-sized labels keep theirs.
  std::string text = R"(object FrPlace: TForm
  Left = 0
  Top = 0
  Width = 400
  Height = 300
  BorderStyle = bsNone
  object PaHost: TKyPanel
    Left = 0
    Top = 0
    Width = 200
    Height = 100
    BevelOuter = besNone
)";
  int n = 0;
  for (const TAxis& h : kHor)
    for (const TAxis& v : kVer)
      for (bool label : {false, true}) {
        text += std::string("    object C") + std::to_string(n++) + ": " + (label ? "TKyLabel" : "TKyPanel") +
                "\n      Left = 20\n      Top = 10\n      Width = 60\n      Height = 30\n      AlignHor = " + h.name +
                "\n      AlignVer = " + v.name + "\n" + (label ? "      xValue = 'Name'\n" : "") + "    end\n";
      }
  text += "  end\nend\n";
  TForm form(nullptr);
  ReadComponentBytes(FormTextToBinary(text), &form);
  auto* host = form.Find<TKyPanel>("PaHost");
  ASSERT_NE(host, nullptr);
  ASSERT_EQ(host->ClientRect().Width(), 200);
  form.Show();
  Pump();
  // The sizes the controls had when loaded: labels sized by their text.
  std::vector<TSize> own;
  for (int i = 0; i < n; ++i) {
    auto* c = form.Find<TControl>("C" + std::to_string(i));
    ASSERT_NE(c, nullptr);
    own.push_back({c->Width(), c->Height()});
  }
  host->SetBounds(0, 0, 300, 150);
  n = 0;
  for (const TAxis& h : kHor)
    for (const TAxis& v : kVer)
      for (bool label : {false, true}) {
        SCOPED_TRACE(testing::Message() << h.name << " x " << v.name << (label ? " label (keeps size)" : " panel"));
        auto* c = form.Find<TControl>("C" + std::to_string(n));
        TSize size = own[n++];
        auto [left, width] = Expected(h, 300, size.cx, label);
        auto [top, height] = Expected(v, 150, size.cy, label);
        if (!label) {
          ASSERT_EQ(size.cx, 60);
          ASSERT_EQ(size.cy, 30);
        }
        EXPECT_EQ(c->BoundsRect(), TRect::Bounds(left, top, width, height));
      }
  // And back: the reference is the loaded state, not the last one (a
  // centred axis centres again instead).
  host->SetBounds(0, 0, 200, 100);
  n = 0;
  for (const TAxis& h : kHor)
    for (const TAxis& v : kVer)
      for (bool label : {false, true}) {
        auto* c = form.Find<TControl>("C" + std::to_string(n++));
        if (label) continue;
        TRect loaded = TRect::Bounds(h.start < 0 ? 70 : 20, v.start < 0 ? 35 : 10, 60, 30);
        EXPECT_EQ(c->BoundsRect(), loaded) << h.name << " x " << v.name;
      }
}

// The form as the parent, resized as a user would (the window's size).
TEST_F(PlacementTest, AFormsResizeMovesItsChildren) {
  TForm form(nullptr);
  ReadComponentBytes(FormTextToBinary(R"(object FrPlace: TForm
  BorderStyle = bsNone
  ClientWidth = 200
  ClientHeight = 100
  object PaRight: TKyPanel
    Left = 120
    Top = 50
    Width = 60
    Height = 30
    AlignHor = alhRight
    AlignVer = alvBottom
  end
end
)"),
                     &form);
  form.Show();
  Pump();
  auto* panel = form.Find<TKyPanel>("PaRight");
  ASSERT_NE(panel, nullptr);
  ASSERT_EQ(form.ClientWidth(), 200);
  SetWindowPos(form.Handle(), nullptr, 0, 0, 260, 140, SWP_NOZORDER | SWP_NOMOVE | SWP_NOACTIVATE);
  ASSERT_TRUE(PumpUntil([&] { return form.ClientWidth() == 260; }));
  EXPECT_EQ(panel->Left(), 180);
  EXPECT_EQ(panel->Top(), 140 - 30 - 20);
}

namespace {

// A parent whose content is larger than its client area and scrolled.
class TTstScrollHost : public TKyPanel {
  KY_CLASS(TTstScrollHost, TKyPanel)
public:
  using TKyPanel::TKyPanel;
  static void Publish(TPublisher<TTstScrollHost>&) {}
  TKyScrollInfo scroll;

protected:
  void LibraryMessage(int32_t code, int32_t value, TMessage& m) override {
    if (code == kMmScrollInfo) {
      if (auto* info = reinterpret_cast<TKyScrollInfo*>(static_cast<LPARAM>(m.LParam))) *info = scroll;
      m.Result = 1;
      return;
    }
    TKyPanel::LibraryMessage(code, value, m);
  }
};

}  // namespace

// A parent that scrolls: placement works against its scroll range when that
// is larger than the client area, and a computed place is moved by the
// scroll position; a left or top that is not computed stays.
TEST_F(PlacementTest, AScrollingParentPlacesByItsRangeAndPosition) {
  RegisterClasses({&TTstScrollHost::StaticClass()});
  struct Case {
    const char* alignHor;
    int left, width;
  };
  // Loaded in a 200 x 100 host at 20 with width 60; the content is 400 wide, scrolled by 30.
  const Case cases[] = {{"alhLeft", 20, 60},     {"alhCentered", 140, 60}, {"alhRight", 190, 60},
                        {"alhLeftRight", -10, 260}, {"alhZoom", 10, 120}};
  std::string text = "object FrScroll: TForm\n  Width = 400\n  Height = 300\n  BorderStyle = bsNone\n"
                     "  object PaHost: TTstScrollHost\n    Width = 200\n    Height = 100\n    BevelOuter = besNone\n";
  int n = 0;
  for (const Case& c : cases)
    text += "    object C" + std::to_string(n++) + ": TKyPanel\n      Left = 20\n      Top = 10\n      Width = 60\n"
            "      Height = 30\n      AlignHor = " + c.alignHor + "\n      AlignVer = alvBottom\n    end\n";
  text += "  end\nend\n";
  TForm form(nullptr);
  ReadComponentBytes(FormTextToBinary(text), &form);
  auto* host = form.Find<TTstScrollHost>("PaHost");
  ASSERT_NE(host, nullptr);
  form.Show();
  Pump();
  host->scroll = {400, 160, 30, 5};
  n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.alignHor);
    auto* child = form.Find<TControl>("C" + std::to_string(n++));
    ASSERT_NE(child, nullptr);
    child->Perform(KyMessageMaster(), kMmRealign, 0);
    // Bottom: the range's height less the loaded bottom margin (60), less the scroll.
    EXPECT_EQ(child->BoundsRect(), TRect::Bounds(c.left, 160 - 30 - 60 - 5, c.width, 30));
  }
}
