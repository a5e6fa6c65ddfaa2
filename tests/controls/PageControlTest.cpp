// The page control: pages chosen by Value, OnShowPage, validation vetoes,
// tabs by click, keys and accelerators, hidden tabs, scrolling a strip that
// overflows, and the form text of tabs and sheets.
#include "support/WindowDriver.h"

#include "controls/ControlsTestSupport.h"
#include "controls/KyPageControl.h"
#include "controls/RegisterControls.h"
#include "skin/Panel.h"
#include "platform/classes/FormStream.h"
#include "platform/classes/TextForm.h"
#include "platform/graphics/Bitmap.h"
#include "packages/PkgPrivileges.h"

using namespace ky_test;

namespace {

class PageControlTest : public ::testing::Test {
protected:
  void SetUp() override {
    PrepareForm(form, 400, 240);
    pages = new TKyPageControl(&form);
    pages->SetParent(&form);
    pages->SetBounds(10, 10, 380, 220);
  }
  // Tabs with these descriptions and page ids; sheets 0..maxPage.
  void MakeTabs(const std::vector<std::pair<std::string, int>>& tabs, int sheetsUpTo) {
    for (auto& [caption, page] : tabs) {
      TKyTabControl* t = pages->Tabs()->Add();
      t->SetDescription(caption);
      t->SetPageId(page);
    }
    for (int i = 0; i <= sheetsUpTo; ++i) {
      auto* s = new TKyTabSheet(&form);
      s->SetPageId(i);
      s->SetParent(pages);
    }
    pages->RebuildLayout();
  }
  TKyTabSheet* Shown() const { return Shown(pages); }
  static TKyTabSheet* Shown(TKyPageControl* pc) {
    TKyTabSheet* found = nullptr;
    for (TKyTabSheet* s : pc->Sheets())
      if (s->TControl::Visible()) {
        EXPECT_EQ(found, nullptr) << "two sheets show";
        found = s;
      }
    return found;
  }
  TForm form{nullptr};
  TKyPageControl* pages = nullptr;
};

}  // namespace

TEST_F(PageControlTest, ValueChoosesTheTabAndTheTabsPageIdTheSheet) {
  MakeTabs({{"Language", 0}, {"Delphis", 1}, {"Licence", 3}, {"Group", 4}, {"Folder", 5}}, 5);
  int shows = 0;
  pages->OnShowPage = [&](TObject*) { ++shows; };
  pages->SetValue(Variant(4));
  ASSERT_EQ(pages->ActiveTab(), pages->Tabs()->Items(4));
  ASSERT_NE(Shown(), nullptr);
  EXPECT_EQ(Shown()->PageId(), 5);  // the tab's page, not the fifth sheet
  EXPECT_EQ(shows, 1);
  // The same value again: nothing happens.
  pages->SetValue(Variant("4"));
  EXPECT_EQ(shows, 1);
  // No tab has this value: no tab, no sheet.
  pages->SetValue(Variant(17));
  EXPECT_EQ(pages->ActiveTab(), nullptr);
  EXPECT_EQ(Shown(), nullptr);
  // Values compare without regard to case.
  pages->SetDataType(dtyString);
  pages->Tabs()->Items(2)->SetValue("Licence");
  pages->SetValue(Variant("LICENCE"));
  EXPECT_EQ(pages->ActiveTab(), pages->Tabs()->Items(2));
  EXPECT_EQ(Shown()->PageId(), 3);
  EXPECT_THROW(pages->SetDataType(dtyBinary), Exception);
  EXPECT_EQ(pages->DataType(), dtyString);
}

TEST_F(PageControlTest, AValidationThatRaisesKeepsTheValueAndThePage) {
  MakeTabs({{"One", 0}, {"Two", 1}, {"Three", 2}}, 2);
  pages->SetValue(Variant(1));
  pages->OnValidate = [&](TObject*) {
    if (pages->Value().AsInteger() == 2) throw Exception("Accept the licence first.");
  };
  EXPECT_THROW(pages->SetValue(Variant(2)), Exception);
  EXPECT_EQ(pages->Value().AsInteger(), 1);
  EXPECT_EQ(pages->ActiveTab(), pages->Tabs()->Items(1));
  EXPECT_EQ(Shown()->PageId(), 1);
}

TEST_F(PageControlTest, ClicksKeysAndAcceleratorsGoThroughValue) {
  MakeTabs({{"&Alpha", 0}, {"&Beta", 1}, {"&Gamma", 2}}, 2);
  pages->SetValue(Variant(0));
  form.Show();
  Pump();
  TRect second = pages->TabRect(pages->Tabs()->Items(1));
  PostClick(pages, second.Left + second.Width() / 2, second.Top + second.Height() / 2);
  EXPECT_EQ(pages->Value().AsInteger(), 1);
  EXPECT_TRUE(PumpUntil([&] { return pages->Focused(); }));
  PostKey(pages, VK_RIGHT);
  EXPECT_EQ(pages->Value().AsInteger(), 2);
  PostKey(pages, VK_RIGHT);  // the last tab: nowhere to go
  EXPECT_EQ(pages->Value().AsInteger(), 2);
  PostKey(pages, VK_LEFT);
  EXPECT_EQ(pages->Value().AsInteger(), 1);
  // A disabled tab is passed over.
  pages->Tabs()->Items(0)->SetEnabled(false);
  PostKey(pages, VK_LEFT);
  EXPECT_EQ(pages->Value().AsInteger(), 1);
  // An accelerator.
  EXPECT_EQ(form.Perform(CM_DIALOGCHAR, 'g'), 1);
  EXPECT_EQ(pages->Value().AsInteger(), 2);

  // Hidden tabs: neither clicks nor accelerators change the page.
  pages->SetTabsVisible(false);
  PostClick(pages, second.Left + 2, second.Top + 2);
  EXPECT_EQ(form.Perform(CM_DIALOGCHAR, 'b'), 0);
  EXPECT_EQ(pages->Value().AsInteger(), 2);
  EXPECT_EQ(pages->PageRect().Top, 1);  // no strip, only the border
}

TEST_F(PageControlTest, AStripThatOverflowsScrollsByWholeTabs) {
  std::vector<std::pair<std::string, int>> many;
  for (int i = 0; i < 12; ++i) many.push_back({"Page number " + std::to_string(i), i});
  MakeTabs(many, 11);
  ASSERT_TRUE(pages->Overflows());
  EXPECT_EQ(pages->ScrollOffset(), 0);
  pages->ScrollNext();
  int32_t second = pages->Tabs()->Items(1)->Bounds().Left;
  EXPECT_EQ(pages->ScrollOffset(), 2 - second);
  pages->ScrollPrevious();
  EXPECT_EQ(pages->ScrollOffset(), 0);
  // The two scroll buttons at the strip's far end do the same on a click.
  ASSERT_NE(pages->NextButton(), nullptr);
  ASSERT_NE(pages->PreviousButton(), nullptr);
  TKySB* next = pages->NextButton();
  EXPECT_EQ(next->Left() + next->Width(), pages->ClientRect().Right - 2);
  EXPECT_EQ(pages->PreviousButton()->Left() + pages->PreviousButton()->Width(), next->Left());
  EXPECT_TRUE(next->Repeats()->Active());
  form.Show();
  Pump();
  next = pages->NextButton();  // the layout was made again for the window
  ASSERT_NE(next, nullptr);
  PostClick(next, 5, 5);
  EXPECT_EQ(pages->ScrollOffset(), 2 - second);
  PostClick(pages->PreviousButton(), 5, 5);
  EXPECT_EQ(pages->ScrollOffset(), 0);
  // Choosing the last tab brings it into view; the offset is never positive.
  pages->SetValue(Variant(11));
  TRect last = pages->TabRect(pages->Tabs()->Items(11));
  EXPECT_LE(last.Right, pages->ClientRect().Right + 2);
  EXPECT_LT(pages->ScrollOffset(), 0);
  // Several lines instead: no scrolling, every tab inside.
  pages->SetMultiLine(true);
  EXPECT_FALSE(pages->Overflows());
  EXPECT_EQ(pages->NextButton(), nullptr);
  for (TKyTabControl* tab : pages->ShownTabs()) EXPECT_LE(pages->TabRect(tab).Right, pages->ClientRect().Right + 2);
}

TEST_F(PageControlTest, TabsSheetsAndTheValueGoThroughTheFormText) {
  TForm root(nullptr);
  root.SetName("FrPages");
  auto* pc = new TKyPageControl(&root);
  pc->SetName("PageControl");
  pc->SetParent(&root);
  pc->SetStyle(pcsButton);
  pc->SetTabsVisible(false);
  TKyTabControl* t = pc->Tabs()->Add();
  t->SetDescription("Idioma");
  t->SetPageId(0);
  TKyTabControl* t2 = pc->Tabs()->Add();
  t2->SetDescription("Delphis");
  t2->SetPageId(1);
  for (int page : {0, 1}) {
    auto* sheet = new TKyTabSheet(&root);
    sheet->SetName("KyTabSheet" + std::to_string(page + 1));
    sheet->SetPageId(page);
    sheet->SetParent(pc);
  }
  pc->SetValue(Variant(0));
  std::string text = FormBinaryToText(WriteComponentBytes(&root));
  for (const char* expected : {"Style = pcsButton", "TabsVisible = False", "Description = 'Idioma'", "PageId = 0",
                               "object KyTabSheet1: TKyTabSheet", "xValue = '0'"})
    EXPECT_NE(text.find(expected), std::string::npos) << expected << "\n" << text;

  TForm copy(nullptr);
  ReadComponentBytes(FormTextToBinary(text), &copy);
  auto* read = copy.Find<TKyPageControl>("PageControl");
  ASSERT_NE(read, nullptr);
  EXPECT_EQ(read->Value().AsInteger(), 0);
  // Only the page on show shows, also once loading and the privileges
  // have had their say about the sheets' visibility.
  ASSERT_EQ(read->Sheets().size(), 2u);
  auto pageOnShow = [&] {
    EXPECT_TRUE(read->SheetOf(0)->TControl::Visible());
    EXPECT_FALSE(read->SheetOf(1)->TControl::Visible());
  };
  pageOnShow();
  TKyPrivilege::UpdateAll();
  pageOnShow();
  read->SetValue(Variant(1));
  EXPECT_FALSE(read->SheetOf(0)->TControl::Visible());
  EXPECT_TRUE(read->SheetOf(1)->TControl::Visible());

  // "{null}" in any case reads back as no value.
  std::string nulls = text;
  nulls.replace(nulls.find("xValue = '0'"), 12, "xValue = '{nuLL}'");
  TForm none(nullptr);
  ReadComponentBytes(FormTextToBinary(nulls), &none);
  EXPECT_TRUE(none.Find<TKyPageControl>("PageControl")->Value().IsNull());
}

// A picture of folder and button tabs, for looking at
// (controls_pages_sheet.bmp beside the test program).
TEST_F(PageControlTest, PictureOfFolderAndButtonTabs) {
  MakeTabs({{"&General", 0}, {"Folders", 1}, {"Shortcuts", 2}}, 2);
  auto* buttons = new TKyPageControl(&form);
  buttons->SetParent(&form);
  buttons->SetBounds(10, 130, 380, 100);
  buttons->SetStyle(pcsButton);
  buttons->SetTabsPosition(tapBottom);
  for (const char* c : {"Back", "Next", "Finish"}) buttons->Tabs()->Add()->SetDescription(c);
  buttons->RebuildLayout();
  buttons->SetValue(Variant(1));
  pages->SetBounds(10, 10, 380, 110);
  pages->SetValue(Variant(0));
  form.Show();
  Pump();
  TSnapshot shot(&form);
  TBitmap sheet(shot.Width(), shot.Height(), pf24bit);
  for (int y = 0; y < shot.Height(); ++y)
    for (int x = 0; x < shot.Width(); ++x) sheet.Canvas()->SetPixels(x, y, shot.Pixel(x, y));
  char path[MAX_PATH];
  std::string dir(path, GetModuleFileNameA(nullptr, path, MAX_PATH));
  std::string file = dir.substr(0, dir.find_last_of("\\/") + 1) + "controls_pages_sheet.bmp";
  sheet.SaveToFile(file);
  TBitmap back;
  back.LoadFromFile(file);
  EXPECT_EQ(back.Width(), 400);
}

// Switching Mode at run time drops the content (sheets, or the plain
// children of a tab strip) and keeps the control sound, with and without
// a strip that overflows and shows its scroll buttons; at design time the
// scroll buttons do not count as content.
TEST_F(PageControlTest, ModeSwitchesDropTheContentAndNeverTheScrollButtonsTwice) {
  struct Case {
    TKyPageControlMode from, to;
    bool overflow;
  };
  const Case cases[] = {{pmoTabs, pmoPages, true},  {pmoTabs, pmoPages, false}, {pmoPages, pmoTabs, true},
                        {pmoPages, pmoTabs, false}, {pmoTabs, pmoTabs, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "from " << int(c.from) << " to " << int(c.to) << " overflow " << c.overflow);
    TForm f(nullptr);
    PrepareForm(f, 400, 240);
    auto* pc = new TKyPageControl(&f);
    pc->SetParent(&f);
    pc->SetBounds(10, 10, 380, 220);
    pc->SetMode(c.from);
    int n = c.overflow ? 12 : 2;
    for (int i = 0; i < n; ++i) {
      TKyTabControl* t = pc->Tabs()->Add();
      t->SetDescription("Page number " + std::to_string(i));
      t->SetPageId(i);
    }
    if (c.from == pmoPages) {
      auto* s = new TKyTabSheet(&f);
      s->SetPageId(0);
      s->SetParent(pc);
    } else {
      auto* child = new TKyPanel(&f);
      child->SetParent(pc);
    }
    pc->RebuildLayout();
    ASSERT_EQ(pc->Overflows(), c.overflow);
    ASSERT_EQ(pc->NextButton() != nullptr, c.overflow);
    f.Show();
    Pump();
    pc->SetMode(c.to);
    EXPECT_EQ(pc->Mode(), c.to);
    EXPECT_TRUE(pc->Sheets().empty());
    int others = 0;
    for (int i = 0; i < pc->ControlCount(); ++i)
      if (pc->Controls(i) != pc->PreviousButton() && pc->Controls(i) != pc->NextButton()) ++others;
    EXPECT_EQ(others, c.from == c.to ? 1 : 0);
    // The strip is made again for the new mode, buttons included.
    EXPECT_EQ(pc->NextButton() != nullptr, c.overflow);
    pc->SetValue(Variant(1));
    Pump();
  }
  // Design time: a tab strip that holds only its scroll buttons is empty.
  TForm f(nullptr);
  PrepareForm(f, 400, 240);
  auto* pc = new TKyPageControl(&f);
  pc->SetParent(&f);
  pc->SetBounds(10, 10, 380, 220);
  pc->SetMode(pmoTabs);
  for (int i = 0; i < 12; ++i) pc->Tabs()->Add()->SetDescription("Page number " + std::to_string(i));
  pc->RebuildLayout();
  ASSERT_NE(pc->NextButton(), nullptr);
  pc->SetDesigning(true);
  EXPECT_EQ(Raised([&] { pc->SetMode(pmoPages); }), "");
  EXPECT_EQ(pc->Mode(), pmoPages);
  pc->SetMode(pmoTabs);
  (new TKyPanel(&f))->SetParent(pc);
  EXPECT_EQ(Raised([&] { pc->SetMode(pmoPages); }), "To change mode it should be empty");
  EXPECT_EQ(pc->Mode(), pmoTabs);
  pc->SetDesigning(false);
}

// MultiLine: whatever the side of the strip, choosing a tab turns the rows
// so that its row touches the page area; the rows keep their round order.
TEST_F(PageControlTest, MultiLineRowsTurnSoThatTheActiveRowTouchesThePage) {
  const TKyTabsPosition sides[] = {tapTop, tapBottom, tapLeft, tapRight};
  for (TKyTabsPosition side : sides) {
    SCOPED_TRACE(testing::Message() << "side " << int(side));
    TForm f(nullptr);
    PrepareForm(f, 400, 240);
    auto* pc = new TKyPageControl(&f);
    pc->SetParent(&f);
    pc->SetBounds(10, 10, 380, 220);
    pc->SetTabsPosition(side);
    pc->SetMultiLine(true);
    for (int i = 0; i < 14; ++i) pc->Tabs()->Add()->SetDescription("Tab number " + std::to_string(i));
    pc->RebuildLayout();
    pc->SetValue(Variant(0));
    ASSERT_GE(pc->ShownTabs().back()->Row(), 2) << "three rows or more";
    const int rows = pc->ShownTabs().back()->Row() + 1;
    auto touches = [&](TKyTabControl* tab) {
      TRect b = tab->Bounds(), page = pc->PageRect();
      switch (side) {
        case tapTop: return b.Bottom == page.Top - 1;
        case tapBottom: return b.Top == page.Bottom + 1;
        case tapLeft: return b.Right == page.Left - 1;
        default: return b.Left == page.Right + 1;
      }
    };
    for (int pick : {13, 6, 0, 7}) {
      SCOPED_TRACE(testing::Message() << "tab " << pick);
      pc->SetValue(Variant(pick));
      TKyTabControl* active = pc->ActiveTab();
      ASSERT_EQ(active, pc->Tabs()->Items(pick));
      EXPECT_EQ(active->RowPosition(), 0);
      EXPECT_TRUE(touches(active));
      for (TKyTabControl* t : pc->ShownTabs()) {
        EXPECT_EQ(t->RowPosition(), (t->Row() - active->Row() + rows) % rows);
        EXPECT_EQ(touches(t), t->Row() == active->Row()) << t->Description();
      }
    }
  }
}

// Whatever raises after the value was taken (the page's creation,
// OnChange, OnShowPage) brings everything back: the value, the active
// tab, the page on show, the rows, the page ids and no sheet made for it.
TEST_F(PageControlTest, ARaisingChangeOrShowPageRollsEverythingBack) {
  enum TWhere { Change, ShowPage };
  for (TWhere where : {Change, ShowPage}) {
    for (bool multiLine : {false, true}) {
      SCOPED_TRACE(testing::Message() << (where == Change ? "OnChange" : "OnShowPage") << " multi " << multiLine);
      TForm f(nullptr);
      PrepareForm(f, 400, 240);
      auto* pc = new TKyPageControl(&f);
      pc->SetParent(&f);
      pc->SetBounds(10, 10, 380, 220);
      pc->SetMultiLine(multiLine);
      // Tabs 0..8; only tab 0 has a sheet, the others get theirs on demand.
      for (int i = 0; i < 9; ++i) pc->Tabs()->Add()->SetDescription("Tab number " + std::to_string(i));
      pc->Tabs()->Items(0)->SetPageId(0);
      auto* sheet = new TKyTabSheet(&f);
      sheet->SetPageId(0);
      sheet->SetParent(pc);
      pc->RebuildLayout();
      pc->SetValue(Variant(0));
      ASSERT_EQ(pc->Sheets().size(), 1u);
      std::vector<TRect> before;
      for (TKyTabControl* t : pc->ShownTabs()) before.push_back(t->Bounds());
      bool raise = true;
      auto veto = [&](TObject*) {
        if (raise) throw Exception("not now");
      };
      (where == Change ? pc->OnChange : pc->OnShowPage) = veto;
      EXPECT_EQ(Raised([&] { pc->SetValue(Variant(8)); }), "not now");
      EXPECT_EQ(pc->Value(), Variant(0));
      EXPECT_EQ(pc->ActiveTab(), pc->Tabs()->Items(0));
      EXPECT_EQ(pc->Sheets().size(), 1u) << "the sheet made for tab 8 is gone";
      EXPECT_EQ(pc->Tabs()->Items(8)->PageId(), -1);
      ASSERT_NE(Shown(pc), nullptr);
      EXPECT_EQ(Shown(pc)->PageId(), 0);
      for (size_t i = 0; i < before.size(); ++i) EXPECT_EQ(pc->ShownTabs()[i]->Bounds(), before[i]) << i;
      // Let through, the same change works.
      raise = false;
      pc->SetValue(Variant(8));
      EXPECT_EQ(pc->ActiveTab(), pc->Tabs()->Items(8));
      EXPECT_EQ(pc->Sheets().size(), 2u);
    }
  }
}

// The hot tab follows the pointer and is gone once the pointer leaves.
TEST_F(PageControlTest, TheHotTabEndsWhenThePointerLeaves) {
  MakeTabs({{"One", 0}, {"Two", 1}}, 1);
  pages->Texts()->SetFontStyle(fosLight);
  pages->SetBounds(10, 10, 300, 200);
  form.Show();
  Pump();
  TRect second = pages->TabRect(pages->Tabs()->Items(1));
  PostMouse(pages, WM_MOUSEMOVE, second.Left + 3, second.Top + 3);
  ASSERT_TRUE(PumpUntil([&] { return pages->HotTab() == pages->Tabs()->Items(1); }));
  PostMouse(&form, WM_MOUSEMOVE, 380, 230);
  EXPECT_TRUE(PumpUntil([&] { return pages->HotTab() == nullptr; }));
}

// The scroll buttons are usable only where the strip can go: previous once
// it has scrolled, next while tabs lie beyond its end, after each choice.
TEST_F(PageControlTest, ScrollButtonsFollowTheActiveTab) {
  std::vector<std::pair<std::string, int>> many;
  for (int i = 0; i < 12; ++i) many.push_back({"Page number " + std::to_string(i), i});
  MakeTabs(many, 11);
  ASSERT_TRUE(pages->Overflows());
  struct Step {
    int value;
    bool previous, next;
  };
  const Step steps[] = {{0, false, true}, {11, true, false}, {5, true, true}, {0, false, true}};
  for (const Step& s : steps) {
    SCOPED_TRACE(s.value);
    pages->SetValue(Variant(s.value));
    EXPECT_EQ(pages->PreviousButton()->Enabled(), s.previous);
    EXPECT_EQ(pages->NextButton()->Enabled(), s.next);
  }
  pages->ScrollNext();
  EXPECT_TRUE(pages->PreviousButton()->Enabled());
}

// A transparent child asks the control for its background: the active
// tab's when it resolves, else SetBGTabs.
TEST_F(PageControlTest, TheBackgroundAnswerIsTheActiveTabsOrTheTabsSet) {
  TTstLibrary library;
  library.app.PkgDisplay()->AddBackGround("sbTabs")->SetColor(TKyColor(0x0000FF));
  library.app.PkgDisplay()->AddBackGround("sbOwn")->SetColor(TKyColor(0x00FF00));
  MakeTabs({{"One", 0}, {"Two", 1}}, 1);
  pages->SetBGTabs()->SetName("sbTabs");
  pages->Tabs()->Items(1)->SetBackGround()->SetName("sbOwn");
  pages->SetValue(Variant(0));
  TKyBackgroundQuery q = QueryBackground(pages);
  ASSERT_NE(q.Set, nullptr);
  EXPECT_EQ(q.Set, pages->SetBGTabs());
  EXPECT_EQ(q.Owner, pages);
  pages->SetValue(Variant(1));
  q = QueryBackground(pages);
  EXPECT_EQ(q.Set, pages->Tabs()->Items(1)->SetBackGround());
}

// The events a user of the control binds, and the tab's Value, are published.
TEST_F(PageControlTest, EventsAndTheTabsValueArePublished) {
  for (const char* name : {"OnChange", "OnShowPage", "OnValidate", "OnCanModify", "OnStartEdit", "OnClick",
                           "OnDblClick", "OnEnter", "OnExit", "OnMouseDown", "OnMouseMove", "OnMouseUp", "OnResize",
                           "OnKeyPress", "OnKeyDown"})
    EXPECT_NE(TKyPageControl::StaticClass().FindProperty(name), nullptr) << name;
  const TPropInfo* value = TKyTabControl::StaticClass().FindProperty("Value");
  ASSERT_NE(value, nullptr);
  MakeTabs({{"One", 0}, {"Two", 1}}, 1);
  TKyTabControl* tab = pages->Tabs()->Items(1);
  EXPECT_EQ(value->GetStr(*tab), "1") << "the index while empty";
  value->SetStr(*tab, "two");
  EXPECT_EQ(tab->Value(), "two");
}
