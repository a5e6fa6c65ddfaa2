// The check box: state from value with the installer's "T"/"F"/"G", the
// cycle under posted clicks, Space and caption clicks, refusals, roll-back
// of a value that validation refuses, the text form and the painted box.
#include "support/WindowDriver.h"

#include <string>
#include <vector>

#include "controls/ControlsTestSupport.h"
#include "controls/KyCheckBox.h"
#include "controls/RegisterControls.h"
#include "packages/MessageService.h"
#include "platform/classes/FormStream.h"
#include "platform/classes/TextForm.h"
#include "platform/graphics/Graphics.h"
#include "skin/Label.h"

using namespace ky_test;

namespace {

class CheckBoxTest : public ::testing::Test {
protected:
  void SetUp() override {
    PrepareForm(form, 240, 90);
    box = new TKyCheckBox(&form);
    box->SetName("EdD5");
    box->SetParent(&form);
    box->SetLeft(20);
    box->SetTop(20);
    box->Check()->SetStyle(cksShape);
    box->SetValueChecked("T");
    box->SetValueUnChecked("F");
    box->SetValueGrayed("G");
    box->SetValue("F");
    box->ILabel()->SetCaption("Delphi 5");
    other = new TKyCheckBox(&form);
    other->SetParent(&form);
    other->SetLeft(20);
    other->SetTop(60);
    form.Show();
    ASSERT_TRUE(PumpUntil([&] { return box->HandleAllocated() && box->InnerLabel()->Parent() == &form; }));
  }
  void Focus(TWinControl* c) {
    c->SetFocus();
    ASSERT_TRUE(PumpUntil([&] { return c->Focused(); }));
  }
  TForm form{nullptr};
  TKyCheckBox* box = nullptr;
  TKyCheckBox* other = nullptr;
};

}  // namespace

TEST_F(CheckBoxTest, StateFollowsTheValueWithoutRegardToCase) {
  struct TCase {
    bool AllowGrayed;
    const char* Grayed;
    Variant Value;
    TKyCheckState State;
    bool Checked;
  };
  const TCase cases[] = {
      {false, "G", "T", cksChecked, true},      {false, "G", "t", cksChecked, true},
      {false, "G", "G", cksUnChecked, false},   {true, "G", "G", cksGrayed, false},
      {true, "G", "g", cksGrayed, false},       {false, "G", "F", cksUnChecked, false},
      {true, "G", "X", cksUnChecked, false},    {true, "G", Variant::Null(), cksUnChecked, false},
      {true, "F", "F", cksUnChecked, false},  // grayed only when it is not also the unchecked value
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(Text(c.Value) + (c.AllowGrayed ? " grayed allowed" : ""));
    box->SetAllowGrayed(c.AllowGrayed);
    box->SetValueGrayed(c.Grayed);
    box->SetValue(c.Value);
    EXPECT_EQ(box->State(), c.State);
    EXPECT_EQ(box->DisplayState(), c.State);
    EXPECT_EQ(box->Checked(), c.Checked);
  }
  // Writing Checked and State writes the value strings.
  box->SetValueGrayed("G");
  box->SetChecked(true);
  EXPECT_EQ(Text(box->Value()), "T");
  box->SetChecked(false);
  EXPECT_EQ(Text(box->Value()), "F");
  box->SetState(cksGrayed);
  EXPECT_EQ(Text(box->Value()), "G");
  // A new checked string re-reads the value that stands.
  box->SetValue("Y");
  EXPECT_EQ(box->DisplayState(), cksUnChecked);
  box->SetValueChecked("y");
  EXPECT_EQ(box->DisplayState(), cksChecked);
}

TEST_F(CheckBoxTest, ClicksAndSpaceStepThroughTheStates) {
  struct TCase {
    bool AllowGrayed;
    bool Space;
    std::vector<std::string> Values;
  };
  const TCase cases[] = {
      {false, false, {"T", "F", "T"}},
      {true, false, {"G", "T", "F", "G"}},
      {false, true, {"T", "F"}},
      {true, true, {"G", "T", "F"}},
  };
  std::vector<std::string> clicked;
  box->OnClick = [&](TObject*) { clicked.push_back(Text(box->Value())); };
  for (const TCase& c : cases) {
    SCOPED_TRACE(std::string(c.Space ? "space" : "click") + (c.AllowGrayed ? " grayed allowed" : ""));
    box->SetAllowGrayed(c.AllowGrayed);
    box->SetValue("F");
    clicked.clear();
    if (c.Space) Focus(box);
    for (const std::string& expected : c.Values) {
      if (c.Space)
        PostKey(box, VK_SPACE);
      else
        PostClick(box, 8, 8);
      EXPECT_TRUE(PumpUntil([&] { return Text(box->Value()) == expected; })) << Text(box->Value());
      EXPECT_EQ(box->DisplayState(), box->State());
    }
    // OnClick sees the value the click chose.
    if (!c.Space) {
      EXPECT_EQ(clicked, c.Values);
    }
    if (!c.Space) {
      EXPECT_TRUE(box->Focused());
    }
  }
}

TEST_F(CheckBoxTest, APressReleasedOutsideChangesNothing) {
  PostMouse(box, WM_LBUTTONDOWN, 8, 8, MK_LBUTTON);
  ASSERT_TRUE(PumpUntil([&] { return box->DisplayState() == cksChecked; }));  // what a release would choose
  PostMouse(box, WM_MOUSEMOVE, 150, 8, MK_LBUTTON);
  ASSERT_TRUE(PumpUntil([&] { return box->DisplayState() == cksUnChecked; }));
  PostMouse(box, WM_MOUSEMOVE, 9, 9, MK_LBUTTON);
  ASSERT_TRUE(PumpUntil([&] { return box->DisplayState() == cksChecked; }));
  PostMouse(box, WM_MOUSEMOVE, 150, 8, MK_LBUTTON);
  PostMouse(box, WM_LBUTTONUP, 150, 8);
  Pump();
  EXPECT_EQ(Text(box->Value()), "F");
  EXPECT_EQ(box->DisplayState(), cksUnChecked);
}

TEST_F(CheckBoxTest, AClickOnTheCaptionAdvancesTheBoxWhenItMayChange) {
  TKySingleLabel* caption = box->InnerLabel();
  ASSERT_TRUE(caption->Visible());
  EXPECT_GE(caption->Left(), box->Left() + box->Width());  // beside the box, on the right
  PostClick(caption, 3, 3);
  ASSERT_TRUE(PumpUntil([&] { return Text(box->Value()) == "T"; }));
  EXPECT_TRUE(box->Focused());
  box->SetReadOnly(true);
  PostClick(caption, 3, 3);
  Pump();
  EXPECT_EQ(Text(box->Value()), "T");
}

TEST_F(CheckBoxTest, OnCanModifyAndReadOnlyRefuseEveryWayIn) {
  int asked = 0;
  bool allow = false;
  box->OnCanModify = [&](TObject* sender, bool& a) {
    EXPECT_EQ(sender, box);
    EXPECT_TRUE(a);
    ++asked;
    a = allow;
  };
  Focus(box);
  PostClick(box, 8, 8);
  PostKey(box, VK_SPACE);
  PostClick(box->InnerLabel(), 3, 3);
  ASSERT_TRUE(PumpUntil([&] { return asked >= 3; }));
  EXPECT_EQ(Text(box->Value()), "F");
  EXPECT_EQ(box->DisplayState(), cksUnChecked);
  allow = true;
  PostKey(box, VK_SPACE);
  EXPECT_TRUE(PumpUntil([&] { return Text(box->Value()) == "T"; }));
  // Read-only wins over the handler.
  box->SetReadOnly(true);
  asked = 0;
  PostKey(box, VK_SPACE);
  PostClick(box, 8, 8);
  Pump();
  EXPECT_EQ(Text(box->Value()), "T");
  EXPECT_EQ(asked, 0);
}

TEST_F(CheckBoxTest, ARefusedValueRollsBackAndTheMessageReachesTheCaller) {
  // Editing starts anew with this entry into the box.
  Focus(box);
  Focus(other);
  std::vector<std::string> validated;
  int started = 0;
  box->OnStartEdit = [&](TObject*) { ++started; };
  box->OnValidate = [&](TObject*) {
    validated.push_back(Text(box->Value()));  // the new value is in place
    if (Text(box->Value()) == "T") throw Exception("Licence not accepted.");
  };
  try {
    box->SetChecked(true);
    ADD_FAILURE() << "no exception";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), "Licence not accepted.");
  }
  EXPECT_EQ(Text(box->Value()), "F");
  EXPECT_FALSE(box->Checked());
  EXPECT_EQ(box->DisplayState(), cksUnChecked);
  box->SetState(cksGrayed);  // not part of the cycle, but a value like any other
  EXPECT_EQ(Text(box->Value()), "G");
  EXPECT_EQ(validated, (std::vector<std::string>{"T", "G"}));
  // The same value again changes nothing and is not validated.
  box->SetValue("G");
  EXPECT_EQ(validated.size(), 2u);
  // Editing starts once per entry into the control.
  EXPECT_EQ(started, 1);
  Focus(box);
  Focus(other);
  Focus(box);
  box->SetValue("F");
  box->SetValue("G");
  EXPECT_EQ(started, 2);
}

TEST_F(CheckBoxTest, AHandlerSettingTheValueAgainDoesNotRecurse) {
  int validations = 0;
  box->OnValidate = [&](TObject*) {
    ++validations;
    box->SetValue("G");
  };
  box->SetValue("T");
  EXPECT_EQ(validations, 1);
  EXPECT_EQ(Text(box->Value()), "T");
}

TEST_F(CheckBoxTest, BinaryAndMemoTypesAreRefused) {
  box->SetValue(Variant::Null());
  box->SetDataType(dtyInteger);
  box->SetValueChecked("1");
  box->SetValue("1");
  EXPECT_EQ(box->Value().AsInteger(), 1);
  EXPECT_TRUE(box->Checked());
  for (TKyDataType type : {dtyBinary, dtyMemo}) {
    try {
      box->SetDataType(type);
      ADD_FAILURE() << "accepted " << static_cast<int>(type);
    } catch (const Exception& e) {
      EXPECT_NE(e.Message().find(MessageText("System", 1).substr(0, 10)), std::string::npos) << e.Message();
    }
    EXPECT_EQ(box->DataType(), dtyInteger);
  }
  // Back to a string: the value converts and still reads checked.
  box->SetDataType(dtyString);
  EXPECT_EQ(Text(box->Value()), "1");
  EXPECT_TRUE(box->Checked());
}

TEST_F(CheckBoxTest, EveryPublishedPropertyGoesThroughTheTextForm) {
  TForm root(nullptr);
  root.SetName("FrCheck");
  // Sized so that the centred box sits where it is written.
  root.SetBorderStyle(bsNone);
  root.SetFormClientWidth(24);
  root.SetFormClientHeight(32);
  auto* c = new TKyCheckBox(&root);
  c->SetName("EdLicence");
  c->SetParent(&root);
  c->SetLeft(7);
  c->SetTop(9);
  c->SetCursor(crCross);
  c->SetHint("Accept");
  c->SetHelpContext(12);
  c->SetTabStop(false);
  c->SetAlignVer(alvCentered);
  c->SetAlignHor(alhCentered);
  c->SetDataType(dtyInteger);
  c->SetAllowGrayed(true);
  c->SetValueChecked("1");
  c->SetValueUnChecked("0");
  c->SetValueGrayed("2");
  c->SetValue(2);
  c->ILabel()->SetExtSpacing(5);
  c->ILabel()->SetCaption("I accept");
  c->CaptionId()->SetPkgName("Idioma");
  c->CaptionId()->SetId(41);
  c->Check()->SetStyle(cksText);
  c->Check()->Text()->SetChecked("X");
  c->Check()->Text()->SetBox(false);
  c->Check()->Shape()->SetWidth(12);
  c->Check()->Image()->SetHeight(14);
  c->Privilege()->SetId(3);
  c->SetVisible(false);
  c->SetEnabled(false);
  c->SetReadOnly(true);
  std::string text = FormBinaryToText(WriteComponentBytes(&root));
  for (const char* line : {"Cursor = -3", "Hint = 'Accept'", "HelpContext = 12", "TabStop = False",
                           "AlignVer = alvCentered", "AlignHor = alhCentered", "DataType = dtyInteger",
                           "AllowGrayed = True", "ValueChecked = '1'", "ValueUnChecked = '0'", "ValueGrayed = '2'",
                           "ILabel.ExtSpacing = 5", "CaptionId.PkgName = 'Idioma'", "Check.Style = cksText",
                           "Check.Text.Checked = 'X'", "Check.Text.Box = False", "Check.Shape.Width = 12",
                           "Check.Image.Height = 14", "Visible = False", "Enabled = False", "ReadOnly = True",
                           "xValue = '2'"})
    EXPECT_NE(text.find(line), std::string::npos) << line << "\n" << text;

  TForm copy(nullptr);
  ReadComponentBytes(FormTextToBinary(text), &copy);
  auto* r = copy.Find<TKyCheckBox>("EdLicence");
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(r->Cursor(), crCross);
  EXPECT_EQ(r->HelpContext(), 12);
  EXPECT_FALSE(r->TabStop());
  EXPECT_EQ(r->DataType(), dtyInteger);
  EXPECT_EQ(r->Value().AsInteger(), 2);
  EXPECT_EQ(r->State(), cksGrayed);
  EXPECT_EQ(r->ILabel()->Caption(), "I accept");
  EXPECT_EQ(r->CaptionId()->Id(), 41);
  EXPECT_EQ(r->Check()->Style(), cksText);
  EXPECT_EQ(r->Check()->Text()->Checked(), "X");
  EXPECT_EQ(r->Privilege()->Id(), 3);
  EXPECT_TRUE(r->ReadOnly());
  EXPECT_FALSE(r->Visible());
  // Nothing lost or added on the way round.
  EXPECT_EQ(ObjectSection(FormBinaryToText(WriteComponentBytes(&copy)), "EdLicence"), ObjectSection(text, "EdLicence"));

  // No value is written as "{NULL}" and read back as none.
  c->SetValue(Variant::Null());
  std::string none = FormBinaryToText(WriteComponentBytes(&root));
  EXPECT_NE(none.find("xValue = '{NULL}'"), std::string::npos) << none;
  TForm again(nullptr);
  ReadComponentBytes(FormTextToBinary(none), &again);
  EXPECT_TRUE(again.Find<TKyCheckBox>("EdLicence")->Value().IsNull());
}

TEST_F(CheckBoxTest, TheBoxPaintsItsStateLockAndFocus) {
  box->SetAllowGrayed(true);
  TKyCheckShape* shape = box->Check()->Shape();
  ASSERT_EQ(box->Width(), 16);
  ASSERT_EQ(box->Height(), 16);
  struct TCase {
    const char* Value;
    TKySetBackGround* Fill;
  };
  const TCase cases[] = {{"T", shape->SetBGChecked()}, {"F", shape->SetBGUnChecked()}, {"G", shape->SetBGGrayed()}};
  ASSERT_NE(shape->SetBGChecked()->Value(), shape->SetBGUnChecked()->Value());
  ASSERT_NE(shape->SetBGGrayed()->Value(), shape->SetBGUnChecked()->Value());
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Value);
    box->SetValue(c.Value);
    TSnapshot shot(&form);
    if (c.Fill == shape->SetBGChecked())
      EXPECT_EQ(shot.Pixel(28, 28), ColorToRGB(c.Fill->Value()));
    else  // open: these fills read back 0xA6A6A6, not the set's colour
      EXPECT_NE(shot.Pixel(28, 28), ColorToRGB(shape->SetBGChecked()->Value()));
  }
  // Enabled: a raised ring (light on the left); locked: a flat one.
  auto colour = [](const char* name) { return dynamic_cast<TKySetColor*>(LibraryDefaultSet(name))->Value(); };
  TKyColor ringEnabled = TSnapshot(&form).Pixel(20, 28);
  EXPECT_EQ(ringEnabled, ColorToRGB(colour("Dft_3DLight")));
  box->SetEnabled(false);
  Pump();
  TSnapshot locked(&form);
  EXPECT_EQ(locked.Pixel(20, 28), ColorToRGB(colour("Dft_ColBox")));
  EXPECT_NE(locked.Pixel(28, 28), ColorToRGB(shape->SetBGChecked()->Value()));  // the state still shows
  box->SetEnabled(true);
  // Focus: the caption beside the box gets a focus rectangle.
  TKySingleLabel* caption = box->InnerLabel();
  auto captionRow = [&](const TSnapshot& s) {
    std::vector<TKyColor> row;
    for (int x = caption->Left(); x < caption->Left() + caption->Width(); ++x) row.push_back(s.Pixel(x, caption->Top()));
    return row;
  };
  auto before = captionRow(TSnapshot(&form));
  Focus(box);
  auto focused = captionRow(TSnapshot(&form));
  EXPECT_NE(before, focused);
  Focus(other);
  EXPECT_EQ(captionRow(TSnapshot(&form)), before);
}

// Checked and State are published as views of Value: setting them through
// their property sets the value, and neither goes into the form.
TEST_F(CheckBoxTest, CheckedAndStateArePublishedViewsOfTheValue) {
  const TPropInfo* checked = TKyCheckBox::StaticClass().FindProperty("Checked");
  const TPropInfo* state = TKyCheckBox::StaticClass().FindProperty("State");
  ASSERT_NE(checked, nullptr);
  ASSERT_NE(state, nullptr);
  checked->SetOrd(*box, 1);
  EXPECT_EQ(box->Value(), Variant("T"));
  EXPECT_EQ(state->GetOrd(*box), cksChecked);
  state->SetOrd(*box, cksUnChecked);
  EXPECT_EQ(box->Value(), Variant("F"));
  EXPECT_EQ(checked->GetOrd(*box), 0);
  EXPECT_FALSE(checked->IsStored(*box));
  EXPECT_FALSE(state->IsStored(*box));
}
