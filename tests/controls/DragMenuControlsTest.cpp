// The library's controls with drag and drop and popup menus: items dragged
// between two list boxes (taken, refused, cancelled, a short press that
// stays a click), a speed button whose action opens its menu below it, a
// right click on a label and on an edit, and the properties in a text form.
//
// The popup menu's tracking loop runs inside TrackPopupMenu. From OnPopup a
// short thread-less timer watches for the system's menu window; once it is
// shown, the timer notes where and posts the keys that choose an item to
// the queue the loop reads. A deadline ends a loop that never showed a menu.
#include "support/WindowDriver.h"

#include <string>
#include <vector>

#include "controls/ControlsTestSupport.h"
#include "controls/KyButtons.h"
#include "controls/KyEdit.h"
#include "controls/KyListBox.h"
#include "platform/classes/FormStream.h"
#include "platform/classes/TextForm.h"
#include "platform/windows/DragDrop.h"
#include "platform/windows/Menus.h"
#include "skin/Label.h"

using namespace ky_test;

namespace {

TPoint Centre(const TRect& r) { return {(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2}; }

// Watches a popup menu's tracking loop: where its window showed, then
// posts the keys that choose; after the deadline ends the loop.
class TMenuWatch {
public:
  explicit TMenuWatch(std::vector<uint16_t> keys) : keys_(std::move(keys)) {
    current_ = this;
    id_ = SetTimer(nullptr, 0, 10, &Tick);
    start_ = GetTickCount();
  }
  ~TMenuWatch() {
    KillTimer(nullptr, id_);
    current_ = nullptr;
  }
  bool Shown = false;
  RECT Where{};
  bool TimedOut = false;

private:
  static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
    TMenuWatch* w = current_;
    if (!w || w->Shown) return;
    HWND menu = FindWindowA("#32768", nullptr);
    if (menu && IsWindowVisible(menu)) {
      w->Shown = true;
      GetWindowRect(menu, &w->Where);
      for (uint16_t k : w->keys_) {
        PostMessageA(menu, WM_KEYDOWN, k, 1);
        PostMessageA(menu, WM_KEYUP, k, static_cast<LPARAM>(0xC0000001u));
      }
    } else if (GetTickCount() - w->start_ > 5000) {
      w->TimedOut = true;
      EndMenu();
    }
  }
  static inline TMenuWatch* current_ = nullptr;
  std::vector<uint16_t> keys_;
  UINT_PTR id_ = 0;
  DWORD start_ = 0;
};

class DragMenuControlsTest : public ::testing::Test {
protected:
  void SetUp() override {
    PrepareForm(form, 420, 220);
    left = MakeList("EdLeft", 10, {"A", "B", "C"});
    right = MakeList("EdRight", 220, {"X"});
    left->SetDragMode(dmAutomatic);
    right->OnDragOver = [this](TObject* sender, TObject* source, int32_t, int32_t, TDragState, bool& accept) {
      accept = acceptDrops && source == left && sender == right;
    };
    right->OnDragDrop = [this](TObject*, TObject* source, int32_t x, int32_t y) {
      auto* from = static_cast<TKyListBox*>(source);
      TKyListBoxItem* item = from->Shown(from->FocusedIndex());
      dropped.push_back(item->Value() + "@" + std::to_string(right->ItemAt(x, y)));
      std::string value = item->Value();
      from->Items()->Delete(item->Index());
      right->Items()->Add(value, value);
    };
    left->OnEndDrag = [this](TObject*, TObject* target, int32_t, int32_t) {
      ends.push_back(target ? static_cast<TComponent*>(target)->Name() : "none");
    };
    form.Show();
    ASSERT_TRUE(PumpUntil([&] { return left->HandleAllocated() && right->HandleAllocated(); }));
  }
  void TearDown() override {
    if (TDragManager::Pending()) TDragManager::Done(false);
  }
  TKyListBox* MakeList(const char* name, int x, const std::vector<std::string>& values) {
    auto* l = new TKyListBox(&form);
    l->SetName(name);
    l->SetParent(&form);
    l->SetBounds(x, 10, 180, 120);
    l->SetBevelOuter(besNone);
    for (const std::string& v : values) l->Items()->Add(v, v);
    return l;
  }
  std::string Values(TKyListBox* l) {
    std::string s;
    for (int i = 0; i < l->ShownCount(); ++i) s += l->Shown(i)->Value();
    return s;
  }
  // Presses on an item of the left list, moves to a point of the right one
  // and releases there.
  void DragItem(int index, TPoint to) {
    TPoint p = Centre(left->ItemRect(index));
    PostMouse(left, WM_MOUSEMOVE, p.X, p.Y);
    PostMouse(left, WM_LBUTTONDOWN, p.X, p.Y, MK_LBUTTON);
    PostMouse(left, WM_MOUSEMOVE, p.X + 20, p.Y, MK_LBUTTON);
    PostMouse(right, WM_MOUSEMOVE, to.X, to.Y, MK_LBUTTON);
  }
  TForm form{nullptr};
  TKyListBox* left = nullptr;
  TKyListBox* right = nullptr;
  bool acceptDrops = true;
  std::vector<std::string> dropped, ends;
};

}  // namespace

TEST_F(DragMenuControlsTest, AnItemDraggedToTheOtherListMovesOnlyWhenItIsTaken) {
  struct TCase {
    const char* What;
    bool Accept;
    bool Escape;
    std::string Left, Right, End;
    TCursor Cursor;
  } cases[] = {
      {"taken", true, false, "AC", "XB", "EdRight", crDrag},
      {"refused", false, false, "ABC", "X", "none", crNoDrop},
      {"cancelled by Escape", true, true, "ABC", "X", "none", crDrag},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.What);
    left->Items()->Clear();
    for (const char* v : {"A", "B", "C"}) left->Items()->Add(v, v);
    right->Items()->Clear();
    right->Items()->Add("X", "X");
    dropped.clear();
    ends.clear();
    acceptDrops = c.Accept;
    TPoint target = Centre(right->ItemRect(0));
    DragItem(1, target);
    ASSERT_TRUE(left->Dragging());
    EXPECT_EQ(GetCursor(), Screen->Cursors(c.Cursor));
    if (c.Escape) PostKey(&form, VK_ESCAPE);
    PostMouse(right, WM_LBUTTONUP, target.X, target.Y);
    EXPECT_FALSE(TDragManager::Pending());
    EXPECT_EQ(Values(left), c.Left);
    EXPECT_EQ(Values(right), c.Right);
    EXPECT_EQ(ends, std::vector<std::string>{c.End});
    EXPECT_EQ(dropped.size(), c.End == "EdRight" ? 1u : 0u);
    if (!dropped.empty()) {
      EXPECT_EQ(dropped[0], "B@0");
    }
  }
}

TEST_F(DragMenuControlsTest, AShortPressOnADraggableListStillChooses) {
  TPoint p = Centre(left->ItemRect(2));
  PostMouse(left, WM_MOUSEMOVE, p.X, p.Y);
  PostMouse(left, WM_LBUTTONDOWN, p.X, p.Y, MK_LBUTTON);
  PostMouse(left, WM_MOUSEMOVE, p.X + 1, p.Y + 1, MK_LBUTTON);
  EXPECT_FALSE(left->Dragging());
  PostMouse(left, WM_LBUTTONUP, p.X + 1, p.Y + 1);
  EXPECT_FALSE(TDragManager::Pending());
  EXPECT_EQ(left->Value().AsString(), "C");
  EXPECT_TRUE(ends.empty());
}

TEST_F(DragMenuControlsTest, AMenuButtonOpensItsMenuBelowItInsteadOfClicking) {
  auto* menu = new TPopupMenu(&form);
  std::vector<std::string> chosen;
  for (const char* name : {"MiOne", "MiTwo"}) {
    auto* i = new TMenuItem(&form);
    i->SetName(name);
    i->SetCaption(name);
    i->OnClick = [&chosen](TObject* s) { chosen.push_back(static_cast<TComponent*>(s)->Name()); };
    menu->Items()->Add(i);
  }
  auto* button = new TKySpeedButton(&form);
  button->SetParent(&form);
  button->SetBounds(10, 150, 80, 25);
  button->SetDefaultAction(btaMenu);
  int clicks = 0;
  button->OnClick = [&](TObject*) { ++clicks; };
  std::unique_ptr<TMenuWatch> watch;
  menu->OnPopup = [&](TObject*) { watch = std::make_unique<TMenuWatch>(std::vector<uint16_t>{VK_DOWN, VK_DOWN, VK_RETURN}); };
  // Without a menu the action is a click.
  PostClick(button, 10, 10);
  EXPECT_EQ(clicks, 1);
  button->SetPopupMenu(menu);
  PostClick(button, 10, 10);
  ASSERT_TRUE(PumpUntil([&] { return !chosen.empty(); }));
  ASSERT_TRUE(watch);
  EXPECT_TRUE(watch->Shown);
  EXPECT_FALSE(watch->TimedOut);
  TPoint below = button->ClientToScreen({0, button->Height()});
  EXPECT_EQ(watch->Where.left, below.X);
  EXPECT_EQ(watch->Where.top, below.Y);
  EXPECT_EQ(chosen, std::vector<std::string>{"MiTwo"});
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(menu->PopupComponent(), button);
}

TEST_F(DragMenuControlsTest, ARightClickOnALabelOrAnEditShowsItsMenu) {
  auto* menu = new TPopupMenu(&form);
  auto* item = new TMenuItem(&form);
  item->SetCaption("Only");
  int chosen = 0;
  item->OnClick = [&](TObject*) { ++chosen; };
  menu->Items()->Add(item);
  auto* label = new TKyLabel(&form);
  label->SetParent(&form);
  label->SetBounds(200, 150, 80, 20);
  label->SetAutoSize(false);
  label->SetPopupMenu(menu);
  auto* edit = new TKyEdit(&form);
  edit->SetParent(&form);
  edit->SetBounds(300, 150, 100, 22);
  edit->SetPopupMenu(menu);
  Pump();
  std::unique_ptr<TMenuWatch> watch;
  menu->OnPopup = [&](TObject*) { watch = std::make_unique<TMenuWatch>(std::vector<uint16_t>{VK_DOWN, VK_RETURN}); };
  int expected = 0;
  for (TControl* c : std::initializer_list<TControl*>{label, edit}) {
    SCOPED_TRACE(c->ClassName());
    watch.reset();
    PostMouse(c, WM_RBUTTONDOWN, 5, 5, MK_RBUTTON);
    PostMouse(c, WM_RBUTTONUP, 5, 5);
    ASSERT_TRUE(PumpUntil([&] { return chosen == expected + 1; }));
    ++expected;
    ASSERT_TRUE(watch);
    EXPECT_TRUE(watch->Shown);
    EXPECT_EQ(menu->PopupComponent(), c);
  }
}

TEST_F(DragMenuControlsTest, TheLibraryControlsReadTheirDragAndMenuPropertiesFromAForm) {
  const std::string text =
      "object Form: TForm\n"
      "  object PmForm: TPopupMenu\n"
      "    object MiA: TMenuItem\n"
      "      Caption = 'A'\n"
      "    end\n"
      "  end\n"
      "  object EdList: TKyListBox\n"
      "    DragCursor = crHandPoint\n"
      "    DragMode = dmAutomatic\n"
      "    PopupMenu = PmForm\n"
      "  end\n"
      "  object LaText: TKyLabel\n"
      "    DragKind = dkDock\n"
      "    PopupMenu = PmForm\n"
      "  end\n"
      "  object BtMenu: TKySpeedButton\n"
      "    DefaultAction = btaMenu\n"
      "    PopupMenu = PmForm\n"
      "  end\n"
      "  object BtOk: TKyBitBtn\n"
      "    DragMode = dmAutomatic\n"
      "    PopupMenu = PmForm\n"
      "  end\n"
      "  object EdName: TKyEdit\n"
      "    DragMode = dmAutomatic\n"
      "    PopupMenu = PmForm\n"
      "  end\n"
      "end\n";
  TForm loaded{nullptr};
  ReadComponentBytes(FormTextToBinary(text), &loaded);
  auto* menu = loaded.Find<TPopupMenu>("PmForm");
  ASSERT_NE(menu, nullptr);
  for (const char* name : {"EdList", "LaText", "BtMenu", "BtOk", "EdName"}) {
    auto* c = loaded.Find<TControl>(name);
    ASSERT_NE(c, nullptr) << name;
    EXPECT_EQ(c->PopupMenu(), menu) << name;
  }
  EXPECT_EQ(loaded.Find<TControl>("EdList")->DragCursor(), crHandPoint);
  EXPECT_EQ(loaded.Find<TControl>("EdList")->DragMode(), dmAutomatic);
  EXPECT_EQ(loaded.Find<TControl>("BtOk")->DragMode(), dmAutomatic);
  EXPECT_EQ(loaded.Find<TControl>("EdName")->DragMode(), dmAutomatic);
  EXPECT_EQ(loaded.Find<TControl>("LaText")->DragKind(), dkDock);
}
