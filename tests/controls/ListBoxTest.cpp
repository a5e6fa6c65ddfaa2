// The list box: choosing in each selection mode by posted clicks and keys,
// composite values, check states, type-ahead, presses released elsewhere,
// refusals rolled back, items inserted and deleted around the focus,
// scrolling, the painted selection and check boxes, the installer's text
// form, and the privileges list against a package made here.
#include "support/WindowDriver.h"

#include <set>
#include <string>
#include <vector>

#include "controls/ControlsTestSupport.h"
#include "controls/KyLBPrivileges.h"
#include "controls/KyListBox.h"
#include "controls/RegisterControls.h"
#include "packages/MessageService.h"
#include "platform/classes/FormStream.h"
#include "platform/classes/TextForm.h"
#include "platform/graphics/Graphics.h"

using namespace ky_test;

namespace {


TPoint Centre(const TRect& r) { return {(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2}; }

// The installer's form as far as the products list needs it.
class TFrProducts : public TForm {
  KY_CLASS(TFrProducts, TForm)
public:
  using TForm::TForm;
  static void Publish(TPublisher<TFrProducts>& p) { p.Method("InputValidate", &TFrProducts::InputValidate); }
  void InputValidate(TObject*) { ++Validated; }
  int Validated = 0;
};

struct TItemDef {
  const char* Value;
  const char* Description;
};

class ListBoxTest : public ::testing::Test {
protected:
  void SetUp() override {
    PrepareForm(form, 260, 200);
    list = new TKyListBox(&form);
    list->SetName("EdList");
    list->SetParent(&form);
    list->SetBounds(10, 10, 200, 160);
    list->SetBevelOuter(besNone);
    Fill({{"A", "Apple"}, {"B", "Banana"}, {"C", "Cherry"}, {"D", "Date"}, {"E", "Elder"}});
    other = new TKyListBox(&form);
    other->SetParent(&form);
    other->SetBounds(220, 10, 30, 30);
    form.Show();
    ASSERT_TRUE(PumpUntil([&] { return list->HandleAllocated(); }));
  }
  void TearDown() override { App().OnException = saved; }
  void Fill(const std::vector<TItemDef>& defs) {
    list->Items()->BeginUpdate();
    list->Items()->Clear();
    for (const TItemDef& d : defs) list->Items()->Add(d.Value, d.Description);
    list->Items()->EndUpdate();
  }
  void Focus(TWinControl* c) {
    c->SetFocus();
    ASSERT_TRUE(PumpUntil([&] { return c->Focused(); }));
  }
  TPoint At(int index) { return Centre(list->ItemRect(index)); }
  void Click(int index, WPARAM keys = 0) {
    TPoint p = At(index);
    PostMouse(list, WM_MOUSEMOVE, p.X, p.Y, keys);
    PostMouse(list, WM_LBUTTONDOWN, p.X, p.Y, keys | MK_LBUTTON);
    PostMouse(list, WM_LBUTTONUP, p.X, p.Y, keys);
  }
  void Key(uint16_t key) {
    PostKey(list, key);
    Pump();
  }
  std::string States() {
    std::string s;
    for (int i = 0; i < list->ShownCount(); ++i) s += "-g#"[list->Shown(i)->State()];
    return s;
  }
  // Exceptions that reach the message loop, kept instead of failing.
  void CatchRaised() {
    saved = App().OnException;
    App().OnException = [this](TObject*, const std::exception& e) { raised.push_back(e.what()); };
  }
  TForm form{nullptr};
  TKyListBox* list = nullptr;
  TKyListBox* other = nullptr;
  std::vector<std::string> raised;
  decltype(App().OnException) saved = App().OnException;
};

}  // namespace

TEST_F(ListBoxTest, CompositeValuesFollowTheStates) {
  struct TCase {
    TKyListModeSelection Mode;
    TKyAlignValues Align;
    bool Grayed;
    std::vector<TItemDef> Items;
    std::string States;  // '-' unchecked, 'g' grayed, '#' checked
    std::string Value;
  };
  const TCase cases[] = {
      {lmsCheck, alv2Byte, true, {{"A", ""}, {"BC", ""}, {"D", ""}}, "#g-", "1 A0BC"},
      {lmsMulti, alv1Byte, false, {{"10", ""}, {"20", ""}}, "##", "12"},
      {lmsExtended, alv3Byte, false, {{"1", ""}, {"22", ""}, {"3333", ""}}, "-##", " 22333"},
      {lmsCheck, alv1Byte, false, {{"X", ""}, {"Y", ""}}, "-#", "Y"},
      {lmsMulti, alv4Byte, false, {{"A", ""}}, "-", ""},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Value);
    list->SetModeSelection(c.Mode);
    list->SetAlignValues(c.Align);
    list->SetAllowGrayed(c.Grayed);
    Fill(c.Items);
    for (int i = 0; i < list->ShownCount(); ++i)
      list->Shown(i)->SetState(c.States[static_cast<size_t>(i)] == '#'   ? cksChecked
                               : c.States[static_cast<size_t>(i)] == 'g' ? cksGrayed
                                                                         : cksUnChecked);
    EXPECT_EQ(Text(list->Value()), c.Value);
    // The value read back gives the same states.
    for (int i = 0; i < list->ShownCount(); ++i) list->Shown(i)->SetState(cksUnChecked);
    list->SetValue(Variant(c.Value));
    EXPECT_EQ(States(), c.States);
  }
  // A disabled item does not count in the multiple modes.
  list->SetModeSelection(lmsMulti);
  list->SetAlignValues(alv1Byte);
  Fill({{"A", ""}, {"B", ""}});
  list->Shown(0)->SetState(cksChecked);
  list->Shown(1)->SetState(cksChecked);
  list->Shown(1)->SetEnabled(false);
  list->Shown(0)->SetState(cksUnChecked);
  EXPECT_EQ(Text(list->Value()), "");
}

TEST_F(ListBoxTest, ClicksChooseInEachMode) {
  struct TClick {
    int Index;
    WPARAM Keys;
    std::string Value;
    std::string States;
  };
  struct TCase {
    TKyListModeSelection Mode;
    TKyAlignValues Align;
    std::vector<TClick> Clicks;
  };
  const TCase cases[] = {
      {lmsNormal, alv1Byte, {{2, 0, "C", "-----"}, {4, 0, "E", "-----"}, {4, 0, "E", "-----"}}},
      {lmsMulti, alv1Byte, {{0, 0, "A", "#----"}, {2, 0, "AC", "#-#--"}, {0, 0, "C", "--#--"}}},
      {lmsMulti, alvNone, {{1, 0, "B", "-#---"}, {3, 0, "D", "-#-#-"}}},
      {lmsExtended, alv1Byte,
       {{1, 0, "B", "-#---"}, {3, MK_SHIFT, "BCD", "-###-"}, {0, MK_CONTROL, "ABCD", "####-"},
        {4, 0, "E", "----#"}}},
      // A click beside the check box toggles nothing; one on it does.
      {lmsCheck, alv1Byte, {{2, 0, "{NULL}", "-----"}}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.Mode));
    list->SetModeSelection(c.Mode);
    list->SetAlignValues(c.Align);
    list->SetValue(Variant());
    for (int i = 0; i < list->ShownCount(); ++i) list->Shown(i)->SetState(cksUnChecked);
    for (const TClick& k : c.Clicks) {
      if (k.Keys & MK_SHIFT) {
        TShiftDown shift;
        Click(k.Index, k.Keys);
      } else if (k.Keys & MK_CONTROL) {
        TCtrlDown ctrl;
        Click(k.Index, k.Keys);
      } else {
        Click(k.Index);
      }
      EXPECT_TRUE(PumpUntil([&] { return Text(list->Value()) == k.Value; })) << k.Index << " " << Text(list->Value());
      EXPECT_EQ(States(), k.States) << k.Index;
      EXPECT_EQ(list->FocusedIndex(), k.Index);
      EXPECT_TRUE(list->Focused());
    }
  }
  // In the normal mode the chosen item is the selected one.
  list->SetModeSelection(lmsNormal);
  list->SetValue(Variant(std::string("d")));
  for (int i = 0; i < list->ShownCount(); ++i) EXPECT_EQ(list->IsSelected(i), i == 3) << i;
}

TEST_F(ListBoxTest, CheckBoxesToggleThroughGrayed) {
  list->SetModeSelection(lmsCheck);
  list->SetAlignValues(alv1Byte);
  list->SetAllowGrayed(true);
  std::vector<std::string> validated;
  list->OnValidateState = [&](TObject*, TKyListBoxItem* item) { validated.push_back(item->Value()); };
  auto clickBox = [&](int index) {
    TPoint p = Centre(list->CheckRect(index));
    PostClick(list, p.X, p.Y);
  };
  const struct {
    int Index;
    std::string States, Value;
  } steps[] = {{1, "-g---", "0B"}, {1, "-#---", "1B"}, {3, "-#-g-", "1B0D"}, {1, "---g-", "0D"}};
  for (const auto& s : steps) {
    clickBox(s.Index);
    EXPECT_TRUE(PumpUntil([&] { return States() == s.States; })) << States();
    EXPECT_EQ(Text(list->Value()), s.Value);
  }
  EXPECT_EQ(validated, (std::vector<std::string>{"B", "B", "D", "B"}));
  // Space steps the focused item; without grayed it goes straight to checked.
  list->SetAllowGrayed(false);
  Key(VK_HOME);
  Key(VK_SPACE);
  EXPECT_TRUE(PumpUntil([&] { return States() == "#--g-"; })) << States();
  EXPECT_EQ(Text(list->Value()), "AD");
  // A disabled item keeps its state.
  list->Shown(4)->SetEnabled(false);
  clickBox(4);
  Pump();
  EXPECT_EQ(States(), "#--g-");
}

TEST_F(ListBoxTest, KeysMoveTheFocusAndChoose) {
  list->Items()->Items(2)->SetEnabled(false);
  Focus(list);
  EXPECT_EQ(list->FocusedIndex(), 0);
  struct TStep {
    uint16_t Key;
    int Focused;
    std::string Value;
  };
  const TStep steps[] = {{VK_DOWN, 1, "B"},  {VK_DOWN, 3, "D"},  // the disabled item is passed over
                         {VK_END, 4, "E"},   {VK_DOWN, 4, "E"},  {VK_HOME, 0, "A"},
                         {VK_NEXT, 4, "E"},  {VK_PRIOR, 0, "A"}, {VK_RIGHT, 1, "B"},
                         {VK_LEFT, 0, "A"},  {VK_UP, 0, "A"}};
  for (const TStep& s : steps) {
    Key(s.Key);
    EXPECT_TRUE(PumpUntil([&] { return list->FocusedIndex() == s.Focused; })) << s.Key << " " << list->FocusedIndex();
    EXPECT_EQ(Text(list->Value()), s.Value) << s.Key;
    EXPECT_TRUE(list->Focused());
  }
  // A read-only list keeps its value under the keys.
  list->SetReadOnly(true);
  Key(VK_END);
  Pump();
  EXPECT_EQ(Text(list->Value()), "A");
  list->SetReadOnly(false);

  // Extended: Shift takes the anchor at the first move and selects the range.
  list->SetModeSelection(lmsExtended);
  list->Items()->Items(2)->SetEnabled(true);
  Key(VK_HOME);
  EXPECT_EQ(States(), "#----");
  {
    TShiftDown shift;
    Key(VK_DOWN);
    Key(VK_DOWN);
    EXPECT_TRUE(PumpUntil([&] { return States() == "###--"; })) << States();
    EXPECT_EQ(list->AnchorIndex(), 0);
    Key(VK_UP);
    EXPECT_TRUE(PumpUntil([&] { return States() == "##---"; })) << States();
  }
  EXPECT_EQ(Text(list->Value()), "AB");
  Key(VK_END);  // without Shift: the anchor goes, the item alone
  EXPECT_TRUE(PumpUntil([&] { return States() == "----#"; })) << States();
  EXPECT_EQ(list->AnchorIndex(), -1);
}

TEST_F(ListBoxTest, TypeAheadFindsTheNextItemByItsFirstLetter) {
  Fill({{"1", "Alpha"}, {"2", "beta"}, {"3", "Bravo"}, {"4", "Charlie"}, {"5", "Bolt"}});
  list->Items()->Items(4)->SetEnabled(false);
  Focus(list);
  struct TStep {
    char Ch;
    int Focused;
    std::string Value;
  };
  const TStep steps[] = {{'b', 1, "2"}, {'B', 2, "3"},  // the next one, without regard to case
                         {'b', 1, "2"},                  // disabled 'Bolt' passed over, wrapping to the top
                         {'z', 1, "2"},                  // no match: nothing changes
                         {'c', 3, "4"}};
  for (const TStep& s : steps) {
    PostChar(list, s.Ch);
    Pump();
    EXPECT_TRUE(PumpUntil([&] { return list->FocusedIndex() == s.Focused; })) << s.Ch;
    EXPECT_EQ(Text(list->Value()), s.Value) << s.Ch;
  }
  // The check mode ignores typing.
  list->SetModeSelection(lmsCheck);
  PostChar(list, 'a');
  Pump();
  EXPECT_EQ(list->FocusedIndex(), 3);
  EXPECT_EQ(States(), "-----");
}

TEST_F(ListBoxTest, AReleaseOutsideEveryItemRestoresTheFocus) {
  list->SetValue(Variant(std::string("B")));
  Focus(list);
  ASSERT_EQ(list->FocusedIndex(), 1);
  TPoint p = At(3);
  PostMouse(list, WM_LBUTTONDOWN, p.X, p.Y, MK_LBUTTON);
  EXPECT_TRUE(PumpUntil([&] { return list->FocusedIndex() == 3; }));
  // Below the last item there is no item.
  TRect last = list->ItemRect(4);
  ASSERT_LT(last.Bottom + 5, list->ItemArea().Bottom);
  PostMouse(list, WM_MOUSEMOVE, p.X, last.Bottom + 5, MK_LBUTTON);
  PostMouse(list, WM_LBUTTONUP, p.X, last.Bottom + 5);
  EXPECT_TRUE(PumpUntil([&] { return list->FocusedIndex() == 1; })) << list->FocusedIndex();
  EXPECT_EQ(Text(list->Value()), "B");
}

TEST_F(ListBoxTest, ARefusedValueRollsBack) {
  CatchRaised();
  list->SetValue(Variant(std::string("B")));
  list->OnValidate = [&](TObject*) {
    if (Text(list->Value()) == "D" || Text(list->Value()) == "ABC")
      throw Exception("Not this one.");
  };
  Focus(list);
  Click(3);
  EXPECT_TRUE(PumpUntil([&] { return raised.size() == 1; }));
  EXPECT_EQ(Text(list->Value()), "B");
  EXPECT_EQ(list->FocusedIndex(), 1);
  EXPECT_TRUE(list->IsSelected(1));
  Key(VK_DOWN);  // C is fine
  EXPECT_TRUE(PumpUntil([&] { return Text(list->Value()) == "C"; }));
  Key(VK_DOWN);  // D refused: the focus goes back to C
  EXPECT_TRUE(PumpUntil([&] { return raised.size() == 2; }));
  EXPECT_EQ(Text(list->Value()), "C");
  EXPECT_EQ(list->FocusedIndex(), 2);
  // In a multiple mode the states come back too.
  list->SetModeSelection(lmsMulti);
  list->SetValue(Variant(std::string("AB")));
  EXPECT_EQ(States(), "##---");
  Click(2);
  EXPECT_TRUE(PumpUntil([&] { return raised.size() == 3; }));
  EXPECT_EQ(States(), "##---");
  EXPECT_EQ(Text(list->Value()), "AB");
  EXPECT_EQ(raised.back(), "Not this one.");
}

TEST_F(ListBoxTest, InsertingAndDeletingKeepTheFocusedItem) {
  Focus(list);
  list->SetValue(Variant(std::string("C")));
  ASSERT_EQ(list->FocusedIndex(), 2);
  list->Items()->Insert(0)->SetValue("Z");
  EXPECT_EQ(list->FocusedIndex(), 3);
  EXPECT_EQ(list->Shown(3)->Value(), "C");
  list->Items()->Delete(1);  // A
  EXPECT_EQ(list->FocusedIndex(), 2);
  EXPECT_EQ(list->Shown(2)->Value(), "C");
  list->Items()->Delete(3);  // D, after the focus
  EXPECT_EQ(list->FocusedIndex(), 2);
  // The focused item itself: the next one takes the focus.
  list->Items()->Delete(2);
  EXPECT_EQ(list->FocusedIndex(), 2);
  EXPECT_EQ(list->Shown(2)->Value(), "E");
  // AdjustValue puts the focus on a new item.
  list->SetAdjustValue(true);
  auto* added = static_cast<TKyListBoxItem*>(list->Items()->Add());
  EXPECT_EQ(list->FocusedIndex(), list->ShownIndexOf(added));
  // A hidden item takes no row; sorted lists go by description.
  Fill({{"1", "pear"}, {"2", "Apple"}, {"3", "fig"}});
  list->SetSorted(true);
  EXPECT_EQ(list->Shown(0)->Value(), "2");
  EXPECT_EQ(list->Shown(2)->Value(), "1");
  list->Items()->Items(0)->SetVisible(false);
  EXPECT_EQ(list->ShownCount(), 2);
}

TEST_F(ListBoxTest, ItemsThatOverflowScroll) {
  std::vector<TItemDef> many;
  std::vector<std::string> names;
  for (int i = 0; i < 40; ++i) names.push_back("Item " + std::to_string(i));
  for (const std::string& n : names) many.push_back({n.c_str(), ""});
  Fill(many);
  ASSERT_TRUE(list->ScrollBarVisible());
  EXPECT_EQ(list->ItemArea().Right, list->ClientRect().Right - TKyCustomListBox::kScrollBarWidth);
  int rows = list->RowsPerColumn();
  EXPECT_EQ(rows, list->ClientRect().Height() / list->ItemHeight());
  Focus(list);
  Key(VK_END);
  EXPECT_TRUE(PumpUntil([&] { return Text(list->Value()) == "Item 39"; }));
  EXPECT_EQ(list->TopIndex(), 40 - rows);
  EXPECT_GT(list->ItemRect(39).Width(), 0);
  EXPECT_EQ(list->ItemRect(0).Width(), 0);
  // The arrow buttons scroll by one item, the track by a page.
  TRect bar = list->ScrollBarRect();
  PostClick(list, bar.Left + 5, bar.Top + 5);
  EXPECT_TRUE(PumpUntil([&] { return list->TopIndex() == 40 - rows - 1; }));
  PostClick(list, bar.Left + 5, list->ThumbRect().Top - 3);
  EXPECT_TRUE(PumpUntil([&] { return list->TopIndex() == 40 - 2 * rows - 1; }));
  EXPECT_EQ(Text(list->Value()), "Item 39");  // scrolling chooses nothing
  // Dragging the thumb to the top.
  TPoint thumb = Centre(list->ThumbRect());
  PostMouse(list, WM_LBUTTONDOWN, thumb.X, thumb.Y, MK_LBUTTON);
  PostMouse(list, WM_MOUSEMOVE, thumb.X, bar.Top, MK_LBUTTON);
  PostMouse(list, WM_LBUTTONUP, thumb.X, bar.Top);
  EXPECT_TRUE(PumpUntil([&] { return list->TopIndex() == 0; }));
  // A press dragged below the items scrolls on its own, the focus following;
  // released out there it chooses nothing and the focus goes back.
  Key(VK_HOME);
  ASSERT_EQ(Text(list->Value()), "Item 0");
  TPoint press = At(1);
  int32_t below = list->ClientRect().Bottom + 20;
  PostMouse(list, WM_LBUTTONDOWN, press.X, press.Y, MK_LBUTTON);
  PostMouse(list, WM_MOUSEMOVE, press.X, below, MK_LBUTTON);
  EXPECT_TRUE(PumpUntil([&] { return list->TopIndex() == 40 - rows; })) << list->TopIndex();
  EXPECT_EQ(list->FocusedIndex(), 39);
  PostMouse(list, WM_LBUTTONUP, press.X, below);
  EXPECT_TRUE(PumpUntil([&] { return list->FocusedIndex() == 0; })) << list->FocusedIndex();
  EXPECT_EQ(Text(list->Value()), "Item 0");
  // A held arrow button repeats.
  PostMouse(list, WM_LBUTTONDOWN, bar.Left + 5, bar.Top + 5, MK_LBUTTON);
  EXPECT_TRUE(PumpUntil([&] { return list->TopIndex() <= 40 - rows - 3; })) << list->TopIndex();
  PostMouse(list, WM_LBUTTONUP, bar.Left + 5, bar.Top + 5);
  list->SetTopIndex(0);
  // Columns: no scroll bar, rows flow into the next column.
  list->SetColumns(3);
  EXPECT_FALSE(list->ScrollBarVisible());
  TRect first = list->ItemRect(0), second = list->ItemRect(rows);
  EXPECT_EQ(second.Top, first.Top);
  EXPECT_EQ(second.Left, first.Right);
  Key(VK_HOME);
  Key(VK_RIGHT);
  EXPECT_TRUE(PumpUntil([&] { return list->FocusedIndex() == rows; }));
}

TEST_F(ListBoxTest, DataTypeChangesFollowTheMode) {
  TTstLibrary lib;
  Fill({{"1", "One"}, {"2", "Two"}});
  list->SetValue(Variant(std::string("2")));
  list->SetDataType(dtyInteger);
  EXPECT_EQ(list->DataType(), dtyInteger);
  EXPECT_EQ(list->Value().AsInteger(), 2);
  EXPECT_EQ(list->FocusedIndex(), 1);
  std::string message = Raised([&] { list->SetDataType(dtyMemo); });
  EXPECT_FALSE(message.empty());
  EXPECT_EQ(message, Raised([&] { RaiseMessage("EdList", "System", 1); }));
  EXPECT_EQ(list->DataType(), dtyInteger);
  list->SetModeSelection(lmsMulti);
  list->SetDataType(dtyDouble);  // ignored: the composite value stays text
  EXPECT_EQ(list->DataType(), dtyInteger);
}

TEST_F(ListBoxTest, SelectionChecksAndFocusArePainted) {
  TKyColor back = ColorToRGB(list->Texts()->SetBGSelected()->Value());
  Focus(other);
  list->SetValue(Variant(std::string("C")));
  Pump();
  TSnapshot shot(&form);
  auto inside = [&](int index) {
    TRect r = list->ItemRect(index);
    return TPoint{10 + r.Right - 3, 10 + r.Top + 3};  // a corner the text does not reach
  };
  for (int i = 0; i < 5; ++i) {
    TPoint p = inside(i);
    if (i == 2)
      EXPECT_EQ(shot.Pixel(p.X, p.Y), back) << i;
    else
      EXPECT_NE(shot.Pixel(p.X, p.Y), back) << i;
  }
  // The focus rectangle runs along the focused item's edge.
  TRect cell = list->ItemRect(2);
  auto edge = [&](const TSnapshot& s) {
    std::vector<TKyColor> row;
    for (int x = cell.Left; x < cell.Right; ++x) row.push_back(s.Pixel(10 + x, 10 + cell.Top));
    return row;
  };
  auto before = edge(shot);
  Focus(list);
  EXPECT_NE(edge(TSnapshot(&form)), before);
  Focus(other);
  EXPECT_EQ(edge(TSnapshot(&form)), before);
  // OnDisplayText changes what an item shows: an emptied text leaves the
  // row bare.
  auto inks = [&](const TSnapshot& s, int index) {
    std::set<TKyColor> colours;
    TRect r = list->ItemRect(index);
    for (int y = r.Top; y < r.Bottom; ++y)
      for (int x = r.Left; x < r.Right; ++x) colours.insert(s.Pixel(10 + x, 10 + y));
    return colours.size();
  };
  EXPECT_GT(inks(TSnapshot(&form), 0), 1u);
  list->OnDisplayText = [](TObject*, TKyListBoxItem* item, std::string& t) {
    if (item->Value() == "A") t.clear();
  };
  list->Invalidate();
  Pump();
  EXPECT_EQ(inks(TSnapshot(&form), 0), 1u);
  EXPECT_EQ(list->DisplayText(list->Shown(0)), "");
  EXPECT_EQ(list->DisplayText(list->Shown(1)), "Banana");
  list->OnDisplayText = nullptr;
  // Check boxes drawn as shapes show each state's fill.
  list->SetModeSelection(lmsCheck);
  list->SetAllowGrayed(true);
  list->Checks()->SetStyle(cksShape);
  TKyCheckShape* shape = list->Checks()->Shape();
  list->Shown(0)->SetState(cksChecked);
  list->Shown(1)->SetState(cksGrayed);
  Pump();
  TSnapshot marks(&form);
  auto mark = [&](int index) {
    TPoint c = Centre(list->CheckRect(index));
    return marks.Pixel(10 + c.X, 10 + c.Y);
  };
  EXPECT_EQ(mark(0), ColorToRGB(shape->SetBGChecked()->Value()));
  EXPECT_EQ(mark(1), ColorToRGB(shape->SetBGGrayed()->Value()));
  EXPECT_NE(mark(2), mark(0));
  EXPECT_NE(mark(2), mark(1));
  EXPECT_EQ(mark(2), mark(3));
  // The check mode shows no selected background.
  EXPECT_NE(marks.Pixel(inside(2).X, inside(2).Y), back);
}

TEST_F(ListBoxTest, TheInstallersTextFormLoadsPaintsAndChooses) {
  const std::string text = R"(object FrProducts: TFrProducts
  object Products: TKyListBox
    Left = 3
    Top = 28
    Width = 342
    Height = 141
    AdjustValue = True
    SetBackGround.Name = 'sb4'
    Texts.SetFont.Name = 'sf6'
    Texts.Lines = 2
    Images.Visible = True
    Images.Width = 10
    Images.Height = 10
    CaptionId.PkgName = 'Idioma'
    CaptionId.Id = 12
    ILabel.Visible = True
    ILabel.ExtLayout = eclTopLeft
    OnValidate = InputValidate
  end
end
)";
  TFrProducts root(nullptr);
  int& validated = root.Validated;
  ReadComponentBytes(FormTextToBinary(text), &root);
  auto* products = root.Find<TKyListBox>("Products");
  ASSERT_NE(products, nullptr);
  EXPECT_TRUE(products->AdjustValue());
  EXPECT_EQ(products->Images()->Width(), 10);
  EXPECT_TRUE(products->Images()->Visible());
  EXPECT_EQ(products->Texts()->Lines(), 2);
  EXPECT_EQ(products->CaptionId()->Id(), 12);
  // The wizard fills it as it does at start.
  TKyListBoxItems* items = products->Items();
  items->BeginUpdate();
  items->Clear();
  for (const char* id : {"KySetup", "KyControls"}) {
    auto* item = static_cast<TKyListBoxItem*>(items->Add());
    item->SetValue(std::string(id));
    item->SetDescription(std::string(id) + " 2.5.15");
    item->Image()->SetReference("User", 21);
  }
  items->EndUpdate();
  EXPECT_TRUE(products->Value().IsClear());
  products->SetValue(Variant(std::string("KySetup")));
  EXPECT_EQ(validated, 1);
  EXPECT_TRUE(products->IsSelected(0));
  products->SetValue(Variant());
  EXPECT_TRUE(products->Value().IsNull());
  EXPECT_FALSE(products->IsSelected(0));
  root.SetBorderStyle(bsNone);
  root.SetFormClientWidth(360);
  root.SetFormClientHeight(200);
  root.Show();
  ASSERT_TRUE(PumpUntil([&] { return products->HandleAllocated(); }));
  // Two lines per item: twice the single-line height and more.
  EXPECT_GE(products->ItemHeight(), 2 * 12);
  TPoint p = Centre(products->ItemRect(1));
  PostClick(products, p.X, p.Y);
  EXPECT_TRUE(PumpUntil([&] { return Text(products->Value()) == "KyControls"; }));
  EXPECT_EQ(validated, 3);
  TKyColor back = ColorToRGB(products->Texts()->SetBGSelected()->Value());
  TRect cell = products->ItemRect(1);
  TPoint offset{products->ClientOrigin().X - root.ClientOrigin().X, products->ClientOrigin().Y - root.ClientOrigin().Y};
  TSnapshot shot(&root);
  EXPECT_EQ(shot.Pixel(offset.X + cell.Right - 3, offset.Y + cell.Top + 3), back);
  // Written back, the list keeps what it read.
  std::string written = FormBinaryToText(WriteComponentBytes(&root));
  for (const char* line : {"AdjustValue = True", "Images.Width = 10", "Texts.Lines = 2", "ILabel.Visible = True",
                           "xValue = 'KyControls'", "Value = 'KySetup'"})
    EXPECT_NE(written.find(line), std::string::npos) << line << "\n" << written;
}

TEST_F(ListBoxTest, AMultipleValueComesBackFromTheTextForm) {
  TForm root(nullptr);
  root.SetName("FrMulti");
  auto* l = new TKyListBox(&root);
  l->SetName("EdMulti");
  l->SetParent(&root);
  l->SetModeSelection(lmsCheck);
  l->SetAlignValues(alv2Byte);
  l->SetAllowGrayed(true);
  l->SetColumns(2);
  l->Items()->Add("A", "");
  l->Items()->Add("BC", "");
  l->Items()->Add("D", "");
  l->Items()->Items(0)->SetState(cksChecked);
  l->Items()->Items(1)->SetState(cksGrayed);
  ASSERT_EQ(Text(l->Value()), "1 A0BC");
  std::string text = FormBinaryToText(WriteComponentBytes(&root));
  for (const char* line : {"ModeSelection = lmsCheck", "AlignValues = alv2Byte", "AllowGrayed = True", "Columns = 2",
                           "xValue = '1 A0BC'"})
    EXPECT_NE(text.find(line), std::string::npos) << line << "\n" << text;
  TForm copy(nullptr);
  ReadComponentBytes(FormTextToBinary(text), &copy);
  auto* r = copy.Find<TKyListBox>("EdMulti");
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(Text(r->Value()), "1 A0BC");
  std::string states;
  for (int i = 0; i < r->ShownCount(); ++i) states += "-g#"[r->Shown(i)->State()];
  EXPECT_EQ(states, "#g-");
}

TEST_F(ListBoxTest, ThePrivilegesListShowsAndWritesLevels) {
  TForm root(nullptr);
  auto* package = new TKyPkgPrivileges(&root);
  package->AddItem(0, "prueba", kPrivilegeLocked);
  package->AddItem(7, "Install", kPrivilegeFull);
  package->AddItem(9, "Erase", kPrivilegeHidden);
  auto* privileges = new TKyLBPrivileges(&root);
  privileges->SetName("EdPrivileges");
  privileges->SetParent(&form);
  privileges->SetBounds(10, 10, 200, 100);
  privileges->SetPkgPrivileges(package);
  ASSERT_EQ(privileges->ShownCount(), 3);
  std::string states;
  for (int i = 0; i < 3; ++i) states += "-g#"[privileges->Shown(i)->State()];
  EXPECT_EQ(states, "g#-");
  EXPECT_EQ(privileges->Shown(1)->Description(), "Install");
  EXPECT_EQ(privileges->Shown(1)->Value(), "7");
  // A click on a check box steps the level: hidden, locked, full.
  list->SetVisible(false);
  Pump();
  TPoint p = Centre(privileges->CheckRect(2));
  PostClick(privileges, p.X, p.Y);
  EXPECT_TRUE(PumpUntil([&] { return package->FindItem(9)->Level() == kPrivilegeLocked; }));
  PostClick(privileges, p.X, p.Y);
  EXPECT_TRUE(PumpUntil([&] { return package->FindItem(9)->Level() == kPrivilegeFull; }));
  EXPECT_EQ(package->FindItem(7)->Level(), kPrivilegeFull);
  // Changes made elsewhere show after a refresh; a freed package empties it.
  package->FindItem(7)->SetLevel(kPrivilegeHidden);
  privileges->RefreshItems();
  EXPECT_EQ(privileges->Shown(1)->State(), cksUnChecked);
  delete package;
  EXPECT_EQ(privileges->PkgPrivileges(), nullptr);
  EXPECT_EQ(privileges->ShownCount(), 0);
  // The published property names the package in a text form.
  auto* again = new TKyPkgPrivileges(&root);
  again->SetName("PkgRights");
  again->AddItem(3, "Backup", kPrivilegeFull);
  again->AddItem(4, "Restore", kPrivilegeLocked);
  privileges->SetPkgPrivileges(again);
  privileges->SetParent(&root);
  root.SetName("FrRights");
  std::string text = FormBinaryToText(WriteComponentBytes(&root));
  EXPECT_NE(text.find("PkgPrivileges = PkgRights"), std::string::npos) << text;
  EXPECT_NE(text.find("ModeSelection = lmsCheck"), std::string::npos) << text;
  // Read back, the list finds its package and lists the entries it carries.
  TForm copy(nullptr);
  ReadComponentBytes(FormTextToBinary(text), &copy);
  auto* read = copy.Find<TKyLBPrivileges>("EdPrivileges");
  ASSERT_NE(read, nullptr);
  ASSERT_NE(read->PkgPrivileges(), nullptr);
  EXPECT_EQ(read->PkgPrivileges()->Name(), "PkgRights");
  ASSERT_EQ(read->ShownCount(), 2);
  EXPECT_EQ(read->Shown(0)->Description(), "Backup");
  EXPECT_EQ(read->Shown(1)->State(), cksGrayed);
}

// Sorted shows the items by description, but the composite value keeps
// the items' own order.
TEST_F(ListBoxTest, ACompositeValueFollowsTheItemOrderWhenSorted) {
  list->SetModeSelection(lmsMulti);
  list->SetAlignValues(alv1Byte);
  Fill({{"1", "Pear"}, {"2", "Apple"}, {"3", "Melon"}});
  list->SetSorted(true);
  ASSERT_EQ(list->Shown(0)->Value(), "2");
  for (int i = 0; i < list->ShownCount(); ++i) list->Shown(i)->SetState(cksChecked);
  EXPECT_EQ(list->Value(), Variant("123"));
  list->Items()->Items(1)->SetState(cksUnChecked);
  EXPECT_EQ(list->Value(), Variant("13"));
}

// IntegralHeight: the height loses what a last item would show in part;
// switched off, any height stays.
TEST_F(ListBoxTest, IntegralHeightSnapsTheHeightToWholeItems) {
  const int32_t h = list->ItemHeight();
  ASSERT_GT(h, 4);
  for (int32_t asked : {160, 5 * h + 1, 5 * h + h - 1, 5 * h}) {
    SCOPED_TRACE(asked);
    list->SetHeight(asked + (list->Height() - list->ClientRect().Height()));
    EXPECT_EQ(list->ClientRect().Height() % h, 0);
    EXPECT_EQ(list->ClientRect().Height(), asked / h * h);
  }
  list->SetIntegralHeight(false);
  list->SetHeight(5 * h + 3 + (list->Height() - list->ClientRect().Height()));
  EXPECT_EQ(list->ClientRect().Height(), 5 * h + 3);
  list->SetIntegralHeight(true);
  EXPECT_EQ(list->ClientRect().Height(), 5 * h);
}
