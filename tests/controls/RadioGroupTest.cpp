// The radio group: cells in columns (by rectangle and by posted clicks),
// the focus mark under the arrows, Space, presses released elsewhere,
// accelerators, refusals and roll-back, the text form with its items, and
// the painted marks and focus.
#include "support/WindowDriver.h"

#include <string>
#include <vector>

#include "controls/ControlsTestSupport.h"
#include "controls/KyCheckBox.h"
#include "controls/KyRadioGroup.h"
#include "controls/RegisterControls.h"
#include "platform/classes/FormStream.h"
#include "platform/classes/TextForm.h"
#include "platform/graphics/Graphics.h"

using namespace ky_test;

namespace {

TPoint Centre(const TRect& r) { return {(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2}; }

class RadioGroupTest : public ::testing::Test {
protected:
  void SetUp() override {
    PrepareForm(form, 260, 180);
    group = new TKyRadioGroup(&form);
    group->SetName("EdLanguage");
    group->SetParent(&form);
    group->SetBounds(10, 10, 200, 120);
    group->SetBorderStyle(bbsNone);
    const char* values[] = {"ENG", "ESP", "FRA", "ITA", "DEU"};
    const char* names[] = {"&English", "E&spanol", "&Francais", "&Italiano", "&Deutsch"};
    for (int i = 0; i < 5; ++i) group->Items()->Add(values[i], names[i]);
    group->SetColumns(2);
    other = new TKyCheckBox(&form);
    other->SetParent(&form);
    other->SetBounds(220, 150, 16, 16);
    form.Show();
    ASSERT_TRUE(PumpUntil([&] { return group->HandleAllocated(); }));
  }
  void Focus(TWinControl* c) {
    c->SetFocus();
    ASSERT_TRUE(PumpUntil([&] { return c->Focused(); }));
  }
  void ClickItem(int index) {
    TPoint p = Centre(group->Element(index)->Bounds());
    PostClick(group, p.X, p.Y);
  }
  TForm form{nullptr};
  TKyRadioGroup* group = nullptr;
  TKyCheckBox* other = nullptr;
};

}  // namespace

TEST_F(RadioGroupTest, ItemsFillTheColumnsTopToBottom) {
  struct TCase {
    int Items, Columns;
    std::vector<TRect> Cells;
  };
  const TCase cases[] = {
      // 5 in 2 columns: 3 rows, items 0-2 in the first column.
      {5, 2, {{1, 1, 99, 39}, {1, 41, 99, 79}, {1, 81, 99, 119}, {101, 1, 199, 39}, {101, 41, 199, 79}}},
      // 0 columns reads 1.
      {3, 0, {{1, 1, 199, 39}, {1, 41, 199, 79}, {1, 81, 199, 119}}},
      // Edges rounded: 200 / 3 = 66.7.
      {3, 3, {{1, 1, 66, 119}, {68, 1, 132, 119}, {134, 1, 199, 119}}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(std::to_string(c.Items) + " in " + std::to_string(c.Columns));
    while (group->Items()->Count() > c.Items) group->Items()->Delete(group->Items()->Count() - 1);
    group->SetColumns(c.Columns);
    EXPECT_EQ(group->Columns(), std::max(c.Columns, 1));
    EXPECT_EQ(group->ItemArea(), group->ClientRect());
    ASSERT_EQ(group->ElementCount(), c.Items);
    for (int i = 0; i < c.Items; ++i) EXPECT_EQ(group->Element(i)->Bounds(), c.Cells[static_cast<size_t>(i)]) << i;
    // A posted click in each cell chooses that item.
    for (int i = c.Items - 1; i >= 0; --i) {
      std::string expected = group->Element(i)->Item()->Value();
      ClickItem(i);
      EXPECT_TRUE(PumpUntil([&] { return Text(group->Value()) == expected; })) << i;
      EXPECT_EQ(group->CheckedIndex(), i);
      for (int j = 0; j < c.Items; ++j) EXPECT_EQ(group->Element(j)->Checked(), j == i);
    }
  }
}

TEST_F(RadioGroupTest, TheFrameAndTitleKeepTheItemsInside) {
  group->SetBorderStyle(bbs3DBottom);
  group->Title()->SetCaption("Language");
  TRect title = group->TitleRect();
  TRect area = group->ItemArea();
  EXPECT_GE(area.Top, title.Bottom);
  EXPECT_LE(area.Bottom, group->FrameRect().Bottom - 2);
  EXPECT_GE(group->Element(0)->Bounds().Top, area.Top);
  EXPECT_LE(group->Element(2)->Bounds().Bottom, area.Bottom);
  // A sorted group shows the items by description.
  group->SetSorted(true);
  std::vector<std::string> shown;
  for (int i = 0; i < group->ElementCount(); ++i) shown.push_back(group->Element(i)->Item()->Value());
  EXPECT_EQ(shown, (std::vector<std::string>{"DEU", "ENG", "ESP", "FRA", "ITA"}));
  // A hidden item takes no cell.
  group->Items()->Items(0)->SetVisible(false);
  EXPECT_EQ(group->ElementCount(), 4);
}

TEST_F(RadioGroupTest, ArrowsMoveTheFocusMarkAndSpaceChecks) {
  group->Items()->Items(3)->SetEnabled(false);
  Focus(group);
  EXPECT_EQ(group->FocusedIndex(), 0);  // nothing checked: the first item
  struct TStep {
    uint16_t Key;
    int Focused;
  };
  const TStep steps[] = {{VK_DOWN, 1}, {VK_RIGHT, 2}, {VK_DOWN, 4},  // the disabled item is passed over
                         {VK_DOWN, 4},                                // no wrap-around
                         {VK_UP, 2},   {VK_LEFT, 1}, {VK_UP, 0},   {VK_UP, 0}};
  for (const TStep& s : steps) {
    PostKey(group, s.Key);
    Pump();
    EXPECT_TRUE(PumpUntil([&] { return group->FocusedIndex() == s.Focused; })) << s.Key << " " << group->FocusedIndex();
    EXPECT_TRUE(group->Value().IsClear());
    EXPECT_TRUE(group->Focused());  // the arrows stayed in the group
  }
  PostKey(group, VK_RIGHT);
  PostKey(group, VK_RIGHT);
  PostKey(group, VK_SPACE);
  ASSERT_TRUE(PumpUntil([&] { return Text(group->Value()) == "FRA"; }));
  EXPECT_EQ(group->CheckedIndex(), 2);
  // Leaving hides the mark; coming back puts it on the checked item.
  Focus(other);
  EXPECT_EQ(group->FocusedIndex(), -1);
  Focus(group);
  EXPECT_EQ(group->FocusedIndex(), 2);
}

TEST_F(RadioGroupTest, APressReleasedElsewhereKeepsTheCheckedItem) {
  group->SetValue("ESP");
  int clicks = 0;
  group->OnClick = [&](TObject*) { ++clicks; };
  TPoint a = Centre(group->Element(0)->Bounds()), b = Centre(group->Element(4)->Bounds());
  PostMouse(group, WM_LBUTTONDOWN, a.X, a.Y, MK_LBUTTON);
  ASSERT_TRUE(PumpUntil([&] { return group->Element(0)->Checked(); }));
  EXPECT_FALSE(group->Element(1)->Checked());
  EXPECT_EQ(group->FocusedIndex(), 0);
  PostMouse(group, WM_MOUSEMOVE, b.X, b.Y, MK_LBUTTON);
  ASSERT_TRUE(PumpUntil([&] { return group->Element(1)->Checked(); }));
  EXPECT_FALSE(group->Element(0)->Checked());
  PostMouse(group, WM_LBUTTONUP, b.X, b.Y);
  Pump();
  EXPECT_EQ(Text(group->Value()), "ESP");
  EXPECT_EQ(group->FocusedIndex(), 1);
  EXPECT_EQ(clicks, 0);
  // A click on the empty cell chooses nothing and is no item click.
  PostClick(group, 150, 100);
  Pump();
  EXPECT_EQ(Text(group->Value()), "ESP");
  EXPECT_EQ(clicks, 0);
  ClickItem(3);
  ASSERT_TRUE(PumpUntil([&] { return Text(group->Value()) == "ITA"; }));
  EXPECT_EQ(clicks, 1);
}

TEST_F(RadioGroupTest, AcceleratorsChooseAnItemOrFocusTheGroup) {
  group->Title()->SetCaption("&Language");
  EXPECT_EQ(form.Perform(CM_DIALOGCHAR, 's', 0), 1);
  EXPECT_EQ(Text(group->Value()), "ESP");
  ASSERT_TRUE(PumpUntil([&] { return group->Focused(); }));
  EXPECT_EQ(group->FocusedIndex(), 1);
  Focus(other);
  EXPECT_EQ(form.Perform(CM_DIALOGCHAR, 'L', 0), 1);
  ASSERT_TRUE(PumpUntil([&] { return group->Focused(); }));
  EXPECT_EQ(Text(group->Value()), "ESP");
  group->SetReadOnly(true);
  form.Perform(CM_DIALOGCHAR, 'd', 0);
  EXPECT_EQ(Text(group->Value()), "ESP");
}

TEST_F(RadioGroupTest, RefusalsAndValidationKeepThePreviousItem) {
  group->SetValue("esp");  // without regard to case
  EXPECT_EQ(group->CheckedIndex(), 1);
  group->OnValidate = [&](TObject*) {
    if (Text(group->Value()) == "ITA") throw Exception("Not this one.");
  };
  try {
    group->SetValue("ITA");
    ADD_FAILURE() << "no exception";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), "Not this one.");
  }
  EXPECT_EQ(Text(group->Value()), "esp");
  EXPECT_EQ(group->CheckedIndex(), 1);
  EXPECT_TRUE(group->Element(1)->Checked());
  EXPECT_FALSE(group->Element(3)->Checked());
  // A value that matches no item leaves none checked.
  group->SetValue("XX");
  EXPECT_EQ(group->CheckedIndex(), -1);
  group->SetValue("ENG");
  int asked = 0;
  group->OnCanModify = [&](TObject*, bool& allow) {
    ++asked;
    allow = false;
  };
  Focus(group);
  ClickItem(2);
  PostKey(group, VK_DOWN);
  PostKey(group, VK_SPACE);
  ASSERT_TRUE(PumpUntil([&] { return asked >= 3; }));
  EXPECT_EQ(Text(group->Value()), "ENG");
  EXPECT_EQ(group->CheckedIndex(), 0);
  EXPECT_TRUE(group->Element(0)->Checked());
  EXPECT_EQ(group->FocusedIndex(), 0);
}

TEST_F(RadioGroupTest, EveryPublishedPropertyAndTheItemsGoThroughTheTextForm) {
  TForm root(nullptr);
  root.SetName("FrRadio");
  auto* g = new TKyRadioGroup(&root);
  g->SetName("EdLanguage");
  g->SetParent(&root);
  g->SetBounds(4, 6, 210, 90);
  g->SetCursor(crCross);
  g->SetHint("Language");
  g->SetHelpContext(3);
  g->SetTabStop(false);
  g->SetAlignHor(alhRight);
  g->SetAlignVer(alvBottom);
  g->SetDataType(dtyInteger);
  g->Items()->Add("1", "&One");
  g->Items()->Add("2", "");
  g->Items()->Items(1)->SetEnabled(false);
  g->Items()->Items(1)->DescriptionId()->SetPkgName("Idioma");
  g->Items()->Items(1)->DescriptionId()->SetId(9);
  g->Items()->Items(1)->Image()->SetReference("User", 4);
  g->SetSorted(true);
  g->Title()->SetCaption("Numbers");
  g->CaptionId()->SetPkgName("Idioma");
  g->CaptionId()->SetId(30);
  g->Radios()->SetStyle(rasShape);
  g->Radios()->SetSpacing(6);
  g->Images()->SetVisible(true);
  g->Texts()->SetFontStyle(fos3D);
  g->SetShadow(true);
  g->SetColumns(2);
  g->SetMarginLeftRight(3);
  g->SetMarginTopBottom(4);
  g->SetBackGround()->SetName("sb14");
  g->Pen()->SetWidth(2);
  g->SetBorderStyle(bbsSingle);
  g->SetTransparent(true);
  g->Privilege()->SetId(5);
  g->SetVisible(false);
  g->SetEnabled(false);
  g->SetReadOnly(true);
  g->SetLocked(true);
  g->SetValue(2);
  std::string text = FormBinaryToText(WriteComponentBytes(&root));
  for (const char* line :
       {"Cursor = -3", "HelpContext = 3", "TabStop = False", "AlignHor = alhRight", "AlignVer = alvBottom",
        "DataType = dtyInteger", "Items = <", "Value = '2'", "Description = '&One'", "Sorted = True",
        "Title.Caption = 'Numbers'", "CaptionId.Id = 30", "Radios.Style = rasShape", "Radios.Spacing = 6",
        "Images.Visible = True", "Texts.FontStyle = fos3D", "Shadow = True", "Columns = 2", "MarginLeftRight = 3",
        "MarginTopBottom = 4", "SetBackGround.Name = 'sb14'", "Pen.Width = 2", "BorderStyle = bbsSingle",
        "Transparent = True", "Privilege.Id = 5", "Visible = False", "Enabled = False", "ReadOnly = True",
        "Locked = True", "xValue = '2'"})
    EXPECT_NE(text.find(line), std::string::npos) << line << "\n" << text;

  TForm copy(nullptr);
  ReadComponentBytes(FormTextToBinary(text), &copy);
  auto* r = copy.Find<TKyRadioGroup>("EdLanguage");
  ASSERT_NE(r, nullptr);
  ASSERT_EQ(r->Items()->Count(), 2);
  EXPECT_EQ(r->Items()->Items(0)->Value(), "1");
  EXPECT_FALSE(r->Items()->Items(1)->Enabled());
  EXPECT_EQ(r->Items()->Items(1)->DescriptionId()->Id(), 9);
  EXPECT_EQ(r->Items()->Items(1)->Image()->Id(), 4);
  EXPECT_EQ(r->Columns(), 2);
  EXPECT_TRUE(r->Sorted());
  EXPECT_EQ(r->Value().AsInteger(), 2);
  EXPECT_EQ(r->Radios()->Style(), rasShape);
  EXPECT_EQ(r->BorderStyle(), bbsSingle);
  EXPECT_TRUE(r->Locked());
  EXPECT_EQ(ObjectSection(FormBinaryToText(WriteComponentBytes(&copy)), "EdLanguage"), ObjectSection(text, "EdLanguage"));
}

TEST_F(RadioGroupTest, MarksAndTheFocusRectangleArePainted) {
  group->Radios()->SetStyle(rasShape);
  TKyRadioShape* shape = group->Radios()->Shape();
  ASSERT_NE(shape->SetBGChecked()->Value(), shape->SetBGUnChecked()->Value());
  group->SetValue("FRA");
  Pump();
  TSnapshot shot(&form);
  for (int i = 0; i < group->ElementCount(); ++i) {
    TPoint c = Centre(group->Element(i)->MarkRect());
    TKyColor checked = ColorToRGB(shape->SetBGChecked()->Value());
    if (i == 2)
      EXPECT_EQ(shot.Pixel(10 + c.X, 10 + c.Y), checked) << i;
    else  // open: the unchecked fill reads back 0xA6A6A6, not the set's colour
      EXPECT_NE(shot.Pixel(10 + c.X, 10 + c.Y), checked) << i;
  }
  // The focus rectangle runs along the focused item's cell.
  TRect cell = group->Element(2)->Bounds();
  auto edge = [&](const TSnapshot& s) {
    std::vector<TKyColor> row;
    for (int x = cell.Left; x < cell.Right; ++x) row.push_back(s.Pixel(10 + x, 10 + cell.Top));
    return row;
  };
  auto before = edge(shot);
  Focus(group);
  EXPECT_EQ(group->FocusedIndex(), 2);
  EXPECT_NE(edge(TSnapshot(&form)), before);
  Focus(other);
  EXPECT_EQ(edge(TSnapshot(&form)), before);
}
