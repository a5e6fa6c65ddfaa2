// Popup menus and drag and drop on real windows with posted input.
//
// A popup menu's tracking loop runs inside TrackPopupMenu and reads the
// keyboard messages waiting in the thread's queue. The tests post the keys
// that choose (or dismiss) from OnPopup, just before the loop starts; a
// timer that calls EndMenu after a deadline ends a loop that would wait
// forever, so a fault fails the test instead of hanging it.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/classes/FormStream.h"
#include "platform/classes/TextForm.h"
#include "platform/windows/DragDrop.h"
#include "platform/windows/Menus.h"
#include "platform/windows/Publish.h"

#include "windows/WindowsTest.h"

using namespace ky_test;

namespace {

// A panel that publishes the popup menu and the drag properties.
class TTstDragPanel : public TTstPanel {
  KY_CLASS(TTstDragPanel, TTstPanel)
public:
  using TTstPanel::TTstPanel;
  static void Publish(TPublisher<TTstDragPanel>& p) {
    PublishDragProperties(p);
    PublishDragEvents(p);
    PublishPopupMenu(p);
  }
};

class TTstMenuForm : public TForm {
  KY_CLASS(TTstMenuForm, TForm)
public:
  using TForm::TForm;
  static void Publish(TPublisher<TTstMenuForm>& p) {
    p.Field("PmMain", &TTstMenuForm::PmMain);
    p.Field("MiOpen", &TTstMenuForm::MiOpen);
    p.Field("MiSub2", &TTstMenuForm::MiSub2);
    p.Field("PnLeft", &TTstMenuForm::PnLeft);
    p.Method("MenuClick", &TTstMenuForm::MenuClick);
    p.Method("PanelDragOver", &TTstMenuForm::PanelDragOver);
  }
  void MenuClick(TObject* sender) { Clicked.push_back(static_cast<TComponent*>(sender)->Name()); }
  void PanelDragOver(TObject*, TObject*, int32_t, int32_t, TDragState, bool& accept) { accept = true; }
  TPopupMenu* PmMain = nullptr;
  TMenuItem* MiOpen = nullptr;
  TMenuItem* MiSub2 = nullptr;
  TTstDragPanel* PnLeft = nullptr;
  std::vector<std::string> Clicked;
};

void RegisterOnce() {
  static bool done = false;
  if (done) return;
  done = true;
  RegisterWindowTestClasses();
  RegisterClasses({&TTstDragPanel::StaticClass(), &TTstMenuForm::StaticClass()});
}

// Keys for the menu loop: posted to the thread's queue, read once it runs.
void PostMenuKeys(HWND window, const std::vector<uint16_t>& keys) {
  for (uint16_t k : keys) {
    PostMessageA(window, WM_KEYDOWN, k, 1);
    PostMessageA(window, WM_KEYUP, k, static_cast<LPARAM>(0xC0000001u));
  }
}

// Ends a menu loop that is still running after the deadline.
class TMenuDeadline {
public:
  TMenuDeadline() : id_(SetTimer(nullptr, 0, 5000, &Expired)) {}
  ~TMenuDeadline() { KillTimer(nullptr, id_); }
  static inline bool Fired = false;

private:
  static void CALLBACK Expired(HWND, UINT, UINT_PTR, DWORD) {
    Fired = true;
    EndMenu();
  }
  UINT_PTR id_;
};

TMenuItem* AddItem(TComponent* owner, TMenuItem* parent, const std::string& name, const std::string& caption,
                   std::vector<std::string>* log) {
  auto* i = new TMenuItem(owner);
  i->SetName(name);
  i->SetCaption(caption);
  if (log) i->OnClick = [log](TObject* s) { log->push_back(static_cast<TMenuItem*>(s)->Name()); };
  parent->Add(i);
  return i;
}

class DragMenuTest : public ::testing::Test {
protected:
  void SetUp() override {
    App();
    RegisterOnce();
    form.reset(CreateForm<TForm>(nullptr));
    form->SetBounds(40, 40, 320, 200);
    left = new TTstDragPanel(form.get());
    left->SetParent(form.get());
    left->SetBounds(10, 10, 120, 150);
    right = new TTstDragPanel(form.get());
    right->SetParent(form.get());
    right->SetBounds(180, 10, 120, 150);
    shape = new TTstShape(form.get());
    shape->SetParent(left);
    shape->SetBounds(10, 100, 30, 30);
    menu = new TPopupMenu(form.get());
    menu->SetName("PmTest");
    AddItem(form.get(), menu->Items(), "MiOpen", "&Open", &chosen);
    AddItem(form.get(), menu->Items(), "MiLine", "-", &chosen);
    AddItem(form.get(), menu->Items(), "MiGray", "&Gray", &chosen)->SetEnabled(false);
    TMenuItem* more = AddItem(form.get(), menu->Items(), "MiMore", "&More", &chosen);
    AddItem(form.get(), more, "MiSub1", "Sub &1", &chosen);
    AddItem(form.get(), more, "MiSub2", "Sub &2", &chosen);
    TMenuItem* check = AddItem(form.get(), menu->Items(), "MiCheck", "&Check", &chosen);
    check->SetAutoCheck(true);
    AddItem(form.get(), menu->Items(), "MiHidden", "Hidden", &chosen)->SetVisible(false);
    menu->OnPopup = [this](TObject*) {
      ++popups;
      PostMenuKeys(form->Handle(), keys);
    };
    form->Show();
    ASSERT_TRUE(PumpUntil([&] { return left->Paints > 0 && right->Paints > 0; }));
    TMenuDeadline::Fired = false;
  }
  void TearDown() override {
    if (TDragManager::Pending()) TDragManager::Done(false);
    form.reset();
    Pump();
  }
  void RightClick(TControl* c, int x, int y) {
    PostMouse(c, WM_RBUTTONDOWN, x, y, MK_RBUTTON);
    PostMouse(c, WM_RBUTTONUP, x, y);
  }
  std::unique_ptr<TForm> form;
  TTstDragPanel* left = nullptr;
  TTstDragPanel* right = nullptr;
  TTstShape* shape = nullptr;
  TPopupMenu* menu = nullptr;
  std::vector<uint16_t> keys;
  std::vector<std::string> chosen;
  int popups = 0;
};

}  // namespace

// ---- Popup menus ----

TEST_F(DragMenuTest, TheSystemMenuShowsTheItems) {
  HMENU h = menu->Handle();
  // The hidden item is left out; the separator stays.
  ASSERT_EQ(GetMenuItemCount(h), 5);
  char text[32];
  GetMenuStringA(h, 0, text, sizeof text, MF_BYPOSITION);
  EXPECT_STREQ(text, "&Open");
  EXPECT_TRUE(GetMenuState(h, 1, MF_BYPOSITION) & MF_SEPARATOR);
  EXPECT_TRUE(GetMenuState(h, 2, MF_BYPOSITION) & MF_GRAYED);
  HMENU sub = GetSubMenu(h, 3);
  ASSERT_NE(sub, nullptr);
  EXPECT_EQ(GetMenuItemCount(sub), 2);
  EXPECT_FALSE(GetMenuState(h, 4, MF_BYPOSITION) & MF_CHECKED);
  menu->Items()->Items(4)->SetChecked(true);
  // Each popup builds it again from the items.
  keys = {VK_ESCAPE};
  TMenuDeadline deadline;
  EXPECT_EQ(menu->Popup(100, 100), nullptr);
  EXPECT_TRUE(GetMenuState(menu->Handle(), 4, MF_BYPOSITION) & MF_CHECKED);
  EXPECT_FALSE(TMenuDeadline::Fired);
}

TEST_F(DragMenuTest, ARightClickShowsTheMenuAndTheChosenItemRuns) {
  left->SetPopupMenu(menu);
  struct TCase {
    const char* What;
    std::vector<uint16_t> Keys;
    std::vector<std::string> Chosen;
  } cases[] = {
      {"first item", {VK_DOWN, VK_RETURN}, {"MiOpen"}},
      // Down skips the separator; Right opens the submenu at its first item.
      {"nested item", {VK_END, VK_UP, VK_RIGHT, VK_DOWN, VK_RETURN}, {"MiSub2"}},
      {"dismissed", {VK_ESCAPE}, {}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.What);
    keys = c.Keys;
    chosen.clear();
    int before = popups;
    TMenuDeadline deadline;
    RightClick(left, 30, 30);
    EXPECT_TRUE(PumpUntil([&] { return popups == before + 1; }));
    Pump();
    EXPECT_EQ(chosen, c.Chosen);
    EXPECT_EQ(menu->PopupComponent(), left);
    EXPECT_FALSE(TMenuDeadline::Fired);
    EXPECT_FALSE(TPopupMenu::Tracking());
  }
}

TEST_F(DragMenuTest, AnAutoCheckItemTurnsOverWhenChosen) {
  left->SetPopupMenu(menu);
  TMenuItem* check = form->Find<TMenuItem>("MiCheck");
  keys = {VK_END, VK_RETURN};
  TMenuDeadline deadline;
  RightClick(left, 30, 30);
  ASSERT_TRUE(PumpUntil([&] { return chosen.size() == 1; }));
  EXPECT_EQ(chosen[0], "MiCheck");
  EXPECT_TRUE(check->Checked());
  // A disabled item does nothing when clicked in code.
  TMenuItem* gray = form->Find<TMenuItem>("MiGray");
  gray->Click();
  EXPECT_EQ(chosen.size(), 1u);
}

TEST_F(DragMenuTest, TheMenuComesFromTheControlOrItsNearestParent) {
  auto* other = new TPopupMenu(form.get());
  int otherPopups = 0;
  other->OnPopup = [&](TObject*) {
    ++otherPopups;
    PostMenuKeys(form->Handle(), {VK_ESCAPE});
  };
  keys = {VK_ESCAPE};
  struct TCase {
    const char* What;
    TPopupMenu* ShapeMenu;
    TPopupMenu* PanelMenu;
    bool AutoPopup;
    int Menu, Other;  // popups expected of each
  } cases[] = {
      {"own menu", other, menu, true, 0, 1},
      {"parent's menu", nullptr, menu, true, 1, 0},
      {"none", nullptr, nullptr, true, 0, 0},
      {"parent's menu without AutoPopup", nullptr, menu, false, 0, 0},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.What);
    shape->SetPopupMenu(c.ShapeMenu);
    left->SetPopupMenu(c.PanelMenu);
    menu->SetAutoPopup(c.AutoPopup);
    popups = otherPopups = 0;
    TMenuDeadline deadline;
    // The windowless shape sits at 10,100 in the panel.
    RightClick(shape, 5, 5);
    Pump();
    EXPECT_EQ(popups, c.Menu);
    EXPECT_EQ(otherPopups, c.Other);
    if (c.Menu + c.Other > 0) {
      EXPECT_EQ((c.Menu ? menu : other)->PopupComponent(), shape);
    }
  }
}

TEST_F(DragMenuTest, TheMenuKeyAndShiftF10ShowTheFocusedControlsMenu) {
  auto* box = new TTstBox(form.get());
  box->SetParent(right);
  box->SetBounds(10, 10, 60, 20);
  box->SetPopupMenu(menu);
  box->SetFocus();
  ASSERT_TRUE(PumpUntil([&] { return box->Focused(); }));
  keys = {VK_DOWN, VK_RETURN};
  {
    TMenuDeadline deadline;
    PostKey(box, VK_APPS);
    ASSERT_TRUE(PumpUntil([&] { return chosen.size() == 1; }));
  }
  {
    TShiftDown shift;
    TMenuDeadline deadline;
    PostMessageA(box->Handle(), WM_SYSKEYDOWN, VK_F10, 1);
    ASSERT_TRUE(PumpUntil([&] { return chosen.size() == 2; }));
  }
  EXPECT_EQ(popups, 2);
  EXPECT_EQ(chosen, (std::vector<std::string>{"MiOpen", "MiOpen"}));
  EXPECT_EQ(menu->PopupComponent(), box);
}

TEST_F(DragMenuTest, FreeingTheMenuClearsTheReference) {
  left->SetPopupMenu(menu);
  shape->SetPopupMenu(menu);
  delete menu;
  menu = nullptr;
  EXPECT_EQ(left->PopupMenu(), nullptr);
  EXPECT_EQ(shape->PopupMenu(), nullptr);
  RightClick(left, 30, 30);  // nothing to show, nothing breaks
}

TEST_F(DragMenuTest, AFormTextCarriesTheMenuItsItemsAndTheReference) {
  const std::string text =
      "object MenuForm: TTstMenuForm\n"
      "  Left = 60\n"
      "  Top = 60\n"
      "  Width = 200\n"
      "  Height = 150\n"
      "  object PnLeft: TTstDragPanel\n"
      "    DragCursor = crHandPoint\n"
      "    DragMode = dmAutomatic\n"
      "    PopupMenu = PmMain\n"
      "    OnDragOver = PanelDragOver\n"
      "  end\n"
      "  object PmMain: TPopupMenu\n"
      "    Alignment = paRight\n"
      "    object MiOpen: TMenuItem\n"
      "      Caption = '&Open'\n"
      "      Checked = True\n"
      "      OnClick = MenuClick\n"
      "    end\n"
      "    object MiMore: TMenuItem\n"
      "      Caption = 'More'\n"
      "      object MiSub1: TMenuItem\n"
      "        Caption = 'Sub 1'\n"
      "        Enabled = False\n"
      "      end\n"
      "      object MiSub2: TMenuItem\n"
      "        Caption = 'Sub 2'\n"
      "        OnClick = MenuClick\n"
      "      end\n"
      "    end\n"
      "  end\n"
      "end\n";
  auto f = std::make_unique<TTstMenuForm>(nullptr);
  ReadComponentBytes(FormTextToBinary(text), f.get());
  ASSERT_NE(f->PnLeft, nullptr);
  ASSERT_NE(f->PmMain, nullptr);
  EXPECT_EQ(f->PnLeft->PopupMenu(), f->PmMain);
  EXPECT_EQ(f->PnLeft->DragMode(), dmAutomatic);
  EXPECT_EQ(f->PnLeft->DragCursor(), crHandPoint);
  EXPECT_EQ(f->PmMain->Alignment(), paRight);
  ASSERT_EQ(f->PmMain->Items()->Count(), 2);
  EXPECT_EQ(f->PmMain->Items()->Items(0), f->MiOpen);
  EXPECT_TRUE(f->MiOpen->Checked());
  TMenuItem* more = f->PmMain->Items()->Items(1);
  ASSERT_EQ(more->Count(), 2);
  EXPECT_FALSE(more->Items(0)->Enabled());
  EXPECT_EQ(more->Items(1), f->MiSub2);
  EXPECT_EQ(f->MiSub2->Menu(), f->PmMain);
  f->MiSub2->Click();
  EXPECT_EQ(f->Clicked, std::vector<std::string>{"MiSub2"});
  bool accept = false;
  f->PnLeft->DragOver(f->PnLeft, 0, 0, dsDragMove, accept);
  EXPECT_TRUE(accept);
  // Written back: the reference by name, the menu with its items inside.
  std::string written = FormBinaryToText(WriteComponentBytes(f.get()));
  for (const char* line : {"    DragCursor = crHandPoint\n", "    DragMode = dmAutomatic\n", "    PopupMenu = PmMain\n"})
    EXPECT_NE(written.find(line), std::string::npos) << line << written;
  size_t menuAt = text.find("  object PmMain");
  std::string menuText = text.substr(menuAt, text.size() - menuAt - 4);  // without the form's "end"
  EXPECT_NE(written.find(menuText), std::string::npos) << written;
}

// ---- Drag and drop ----

namespace {

struct TDragLog {
  std::vector<std::string> Lines;
  void Watch(TControl* c, const std::string& name, bool accept) {
    c->OnStartDrag = [this, name](TObject*, TDragObject*&) { Lines.push_back(name + " start"); };
    c->OnEndDrag = [this, name](TObject*, TObject* target, int32_t x, int32_t y) {
      std::string t = target ? static_cast<TComponent*>(target)->Name() : "none";
      Lines.push_back(name + " end " + t + " " + std::to_string(x) + "," + std::to_string(y));
    };
    c->OnDragOver = [this, name, accept](TObject*, TObject* source, int32_t, int32_t, TDragState state, bool& a) {
      static const char* states[] = {"enter", "leave", "move"};
      if (state != dsDragMove) Lines.push_back(name + " " + states[state] + " from " +
                                               static_cast<TComponent*>(source)->Name());
      a = accept;
    };
    c->OnDragDrop = [this, name](TObject*, TObject* source, int32_t x, int32_t y) {
      Lines.push_back(name + " drop " + static_cast<TComponent*>(source)->Name() + " " + std::to_string(x) + "," +
                      std::to_string(y));
    };
  }
};

}  // namespace

TEST_F(DragMenuTest, AnAutomaticDragDropsOnATargetThatAccepts) {
  left->SetName("Left");
  right->SetName("Right");
  left->SetDragMode(dmAutomatic);
  for (bool accept : {true, false}) {
    SCOPED_TRACE(accept ? "accepted" : "refused");
    TDragLog log;
    log.Watch(left, "L", true);
    log.Watch(right, "R", accept);
    PostMouse(left, WM_LBUTTONDOWN, 20, 20, MK_LBUTTON);
    EXPECT_TRUE(TDragManager::Pending());
    EXPECT_FALSE(left->Dragging());
    PostMouse(left, WM_MOUSEMOVE, 40, 20, MK_LBUTTON);
    ASSERT_TRUE(left->Dragging());
    EXPECT_NE(GetCapture(), nullptr);
    // Over the source itself, which accepts: the drag cursor.
    EXPECT_EQ(GetCursor(), Screen->Cursors(crDrag));
    PostMouse(right, WM_MOUSEMOVE, 30, 40, MK_LBUTTON);
    EXPECT_EQ(GetCursor(), Screen->Cursors(accept ? crDrag : crNoDrop));
    PostMouse(right, WM_LBUTTONUP, 31, 41);
    EXPECT_FALSE(TDragManager::Pending());
    EXPECT_EQ(GetCapture(), nullptr);
    std::vector<std::string> expected{"L start", "L enter from Left", "L leave from Left", "R enter from Left",
                                      "R leave from Left"};
    if (accept) {
      expected.push_back("R drop Left 31,41");
      expected.push_back("L end Right 31,41");
    } else {
      // Refused: the end point in the source's coordinates.
      expected.push_back("L end none 201,41");
    }
    EXPECT_EQ(log.Lines, expected);
  }
}

TEST_F(DragMenuTest, TheDragCursorIsTheSourcesOwn) {
  left->SetDragCursor(crHandPoint);
  TDragLog log;
  log.Watch(right, "R", true);
  left->BeginDrag(true);
  PostMouse(right, WM_MOUSEMOVE, 30, 40, MK_LBUTTON);
  EXPECT_EQ(GetCursor(), Screen->Cursors(crHandPoint));
  PostMouse(left, WM_MOUSEMOVE, 30, 40, MK_LBUTTON);  // left has no OnDragOver: refuses
  EXPECT_EQ(GetCursor(), Screen->Cursors(crNoDrop));
  left->EndDrag(false);
  EXPECT_FALSE(TDragManager::Pending());
}

TEST_F(DragMenuTest, EscapeTheRightButtonOrAStolenCaptureCancel) {
  left->SetName("Left");
  right->SetName("Right");
  // A manual drag, begun by the press.
  left->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int32_t, int32_t) { left->BeginDrag(false, 5); };
  right->SetPopupMenu(menu);
  keys = {VK_ESCAPE};
  struct TCase {
    const char* What;
    std::function<void()> Cancel;
    int Popups;  // of the right release after the drag
  } cases[] = {
      {"Escape", [&] { PostKey(form.get(), VK_ESCAPE); }, 1},
      {"right button", [&] { PostMouse(right, WM_RBUTTONDOWN, 30, 40, MK_LBUTTON | MK_RBUTTON); }, 0},
      {"capture taken",
       [&] {
         SetCapture(form->Handle());
         Pump();
       },
       1},
      {"EndDrag(false)", [&] { left->EndDrag(false); }, 1},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.What);
    TDragLog log;
    log.Watch(left, "L", true);
    log.Watch(right, "R", true);
    PostMouse(left, WM_LBUTTONDOWN, 20, 20, MK_LBUTTON);
    EXPECT_TRUE(TDragManager::Pending());
    PostMouse(right, WM_MOUSEMOVE, 30, 40, MK_LBUTTON);
    ASSERT_TRUE(left->Dragging());
    c.Cancel();
    EXPECT_FALSE(TDragManager::Pending());
    // The releases that follow are ordinary ones: no drop, and the right
    // button that cancelled opens no menu.
    ReleaseCapture();
    popups = 0;
    TMenuDeadline deadline;
    PostMouse(right, WM_LBUTTONUP, 30, 40);
    PostMouse(right, WM_RBUTTONUP, 30, 40);
    Pump();
    EXPECT_EQ(popups, c.Popups);
    EXPECT_EQ(log.Lines, (std::vector<std::string>{"L start", "R enter from Left", "R leave from Left",
                                                   "L end none 200,40"}));
  }
}

TEST_F(DragMenuTest, AReleaseBeforeTheThresholdIsAClick) {
  shape->SetName("Shape");
  shape->SetDragMode(dmAutomatic);
  int clicks = 0;
  shape->OnClick = [&](TObject*) { ++clicks; };
  TDragLog log;
  log.Watch(shape, "S", true);
  int threshold = TDragManager::DefaultThreshold();
  struct TCase {
    int Dx, Dy;
    bool Drags;
  } cases[] = {{0, 0, false}, {threshold - 1, 0, false}, {0, threshold - 1, false}, {threshold, 0, true},
               {0, -threshold, true}};
  for (const TCase& c : cases) {
    SCOPED_TRACE(std::to_string(c.Dx) + "," + std::to_string(c.Dy));
    clicks = 0;
    log.Lines.clear();
    PostMouse(shape, WM_LBUTTONDOWN, 15, 15, MK_LBUTTON);
    PostMouse(shape, WM_MOUSEMOVE, 15 + c.Dx, 15 + c.Dy, MK_LBUTTON);
    EXPECT_EQ(shape->Dragging(), c.Drags);
    PostMouse(shape, WM_LBUTTONUP, 15 + c.Dx, 15 + c.Dy);
    EXPECT_FALSE(TDragManager::Pending());
    EXPECT_EQ(clicks, c.Drags ? 0 : 1);
    if (c.Drags) {
      // Dropped on itself: a windowless control is a target too.
      ASSERT_FALSE(log.Lines.empty());
      EXPECT_EQ(log.Lines.front(), "S start");
      EXPECT_EQ(log.Lines.back(), "S end Shape " + std::to_string(15 + c.Dx) + "," + std::to_string(15 + c.Dy));
    } else {
      EXPECT_TRUE(log.Lines.empty());
    }
  }
}

TEST_F(DragMenuTest, ControlHeldOrManualModeStartsNoDrag) {
  left->SetDragMode(dmAutomatic);
  {
    TCtrlDown ctrl;
    PostMouse(left, WM_LBUTTONDOWN, 20, 20, MK_LBUTTON | MK_CONTROL);
    EXPECT_FALSE(TDragManager::Pending());
    PostMouse(left, WM_LBUTTONUP, 20, 20, MK_CONTROL);
  }
  left->SetDragMode(dmManual);
  PostMouse(left, WM_LBUTTONDOWN, 20, 20, MK_LBUTTON);
  EXPECT_FALSE(TDragManager::Pending());
  PostMouse(left, WM_LBUTTONUP, 20, 20);
}

TEST_F(DragMenuTest, ASourceFreedWhileDraggingEndsTheDrag) {
  TDragLog log;
  log.Watch(right, "R", true);
  shape->SetName("Shape");
  shape->BeginDrag(true);
  PostMouse(right, WM_MOUSEMOVE, 30, 40, MK_LBUTTON);
  ASSERT_TRUE(shape->Dragging());
  delete shape;
  shape = nullptr;
  EXPECT_FALSE(TDragManager::Pending());
  EXPECT_EQ(GetCapture(), nullptr);
  PostMouse(right, WM_LBUTTONUP, 30, 40);
  // The target heard the drag come; the source is gone, so no more events.
  EXPECT_EQ(log.Lines, (std::vector<std::string>{"R enter from Shape"}));
}

TEST_F(DragMenuTest, ADragObjectOfTheHandlersOwnIsTheSource) {
  class TMyDrag : public TDragObject {};
  TMyDrag mine;
  left->OnStartDrag = [&](TObject*, TDragObject*& d) { d = &mine; };
  TObject* seen = nullptr;
  TObject* ended = nullptr;
  right->OnDragOver = [&](TObject*, TObject* source, int32_t, int32_t, TDragState, bool& a) {
    seen = source;
    a = true;
  };
  left->OnEndDrag = [&](TObject*, TObject* target, int32_t, int32_t) { ended = target; };
  left->BeginDrag(true);
  PostMouse(right, WM_MOUSEMOVE, 30, 40, MK_LBUTTON);
  EXPECT_EQ(seen, &mine);
  EXPECT_EQ(TDragManager::Object(), &mine);
  EXPECT_EQ(mine.DragTarget(), right);
  PostMouse(right, WM_LBUTTONUP, 30, 40);
  EXPECT_EQ(ended, right);
}
