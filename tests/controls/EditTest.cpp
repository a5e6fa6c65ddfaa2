// The skinned edit with real posted input: typing through masks, Enter,
// Escape and leaving, the validation veto and its message, the side buttons
// and their shortcuts, the shared change-delay timer, the frame by pixel and
// the published properties through a text form.
#include <chrono>
#include <vector>

#include "support/WindowDriver.h"

#include "controls/ControlsTestSupport.h"
#include "controls/KyEdit.h"
#include "controls/RegisterControls.h"
#include "packages/CApplication.h"
#include "packages/CForm.h"
#include "packages/PkgDisplay.h"
#include "skin/Panel.h"
#include "packages/MessageService.h"
#include "platform/base/Stream.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Graphics.h"
#include "platform/windows/NonClient.h"
#include "platform/classes/FormStream.h"
#include "platform/classes/TextForm.h"
#include "skin/Shapes.h"
#include "platform/windows/StdCtrls.h"

using namespace ky_test;

namespace {

class EditTest : public ::testing::Test {
protected:
  void SetUp() override {
    App();
    RegisterControlClasses();
    // Errors reach the user through the configuration's display.
    lib.app.SetHandleExceptions(false);
    lib.app.SetHandleExceptions(true);
    SetExceptionDisplay([this](const std::string& message) { shown.push_back(message); });
    form.SetBorderStyle(bsNone);
    form.SetFormClientWidth(320);
    form.SetFormClientHeight(140);
    edit = Add(20, 20);
    other = Add(20, 80);
    form.Show();
    Pump();
  }
  void TearDown() override {
    form.Hide();
    Pump();
    SetExceptionDisplay(nullptr);
  }
  TKyEdit* Add(int left, int top) {
    auto* e = new TKyEdit(&form);
    e->SetParent(&form);
    e->SetBounds(left, top, 120, 22);
    return e;
  }
  void Focus(TKyEdit* e) {
    e->SetFocus();
    ASSERT_TRUE(PumpUntil([&] { return e->Focused(); }));
  }
  void Type(TKyEdit* e, const std::string& text) {
    for (char c : text) PostChar(e, c);
  }
  void UseMask(TKyEdit* e, TKyDataType type, const std::string& mask) {
    e->SetDataType(type);
    e->Mask()->SetTake(mtaNone);
    e->Mask()->SetText(mask);
  }

  TTstLibrary lib;
  std::vector<std::string> shown;
  TForm form{nullptr};
  TKyEdit* edit = nullptr;
  TKyEdit* other = nullptr;
};

}  // namespace

TEST_F(EditTest, TypingGoesThroughTheMaskAndEnterCommits) {
  struct TCase {
    TKyDataType Type;
    const char* Mask;
    const char* Typed;
    const char* Text;       // while editing
    Variant Value;          // after Enter
  };
  const TCase cases[] = {
      {dtyInteger, "", "12a3", "123", Variant(123)},           // letters refused
      {dtyInteger, "", "-45", "45", Variant(45)},              // no sign flag: '-' refused
      {dtyInteger, "-", "-45", "-45", Variant(-45)},
      {dtyString, "a", "ab1 c!", "abc", Variant("abc")},       // letters only
      {dtyString, "dw", "1 2x", "1 2", Variant("1 2")},
      {dtyString, "uad;#(3)-#(2)", "ab12cd", "AB1-2C", Variant("AB12C")},  // picture and upper case
  };
  Focus(edit);
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Typed);
    UseMask(edit, c.Type, c.Mask);
    edit->OnStartEdit = nullptr;  // the last case's counter is gone
    edit->SetValue(Variant::Null());
    edit->SelectAll();
    int starts = 0;
    edit->OnStartEdit = [&](TObject*) { ++starts; };
    Type(edit, c.Typed);
    if (std::string(c.Mask).find('#') == std::string::npos) {
      EXPECT_EQ(edit->Text(), c.Text);
    }
    EXPECT_TRUE(edit->Editing());
    EXPECT_EQ(starts, 1);
    EXPECT_TRUE(edit->Value().IsNull());
    PostKey(edit, VK_RETURN);
    EXPECT_FALSE(edit->Editing());
    EXPECT_EQ(edit->Value(), c.Value) << edit->Value().AsString() << " / " << c.Value.AsString();
    // Enter selects all of the committed text.
    EXPECT_EQ(edit->SelLength(), static_cast<int32_t>(edit->Text().size()));
  }
  EXPECT_TRUE(shown.empty());
}

TEST_F(EditTest, EscapeRestoresAndLeavingCommits) {
  UseMask(edit, dtyInteger, "");
  edit->SetValue(Variant(42));
  auto* cancel = new TButton(&form);
  cancel->SetParent(&form);
  cancel->SetBounds(200, 100, 60, 24);
  cancel->SetCancel(true);
  int cancels = 0;
  cancel->OnClick = [&](TObject*) { ++cancels; };
  Focus(edit);
  EXPECT_EQ(edit->Text(), "42");
  Type(edit, "7");  // replaces the selection
  EXPECT_EQ(edit->Text(), "7");
  PostKey(edit, VK_ESCAPE);
  EXPECT_EQ(edit->Text(), "42");
  EXPECT_EQ(edit->Value(), Variant(42));
  EXPECT_FALSE(edit->Editing());
  EXPECT_EQ(cancels, 0);  // kept by the edit while editing
  PostKey(edit, VK_ESCAPE);
  EXPECT_EQ(cancels, 1);  // not editing: the form's cancel button

  int exits = 0;
  edit->OnExit = [&](TObject*) { ++exits; };
  edit->SelectAll();
  Type(edit, "1x9");
  PostKey(edit, VK_TAB);
  ASSERT_TRUE(PumpUntil([&] { return other->Focused(); }));
  EXPECT_EQ(edit->Value(), Variant(19));
  EXPECT_FALSE(edit->Editing());
  EXPECT_EQ(exits, 1);
}

TEST_F(EditTest, AVetoRollsBackKeepsTheTextAndShowsTheMessage) {
  UseMask(edit, dtyInteger, "");
  edit->SetValue(Variant(7));
  int validations = 0;
  edit->OnValidate = [&](TObject*) {
    ++validations;
    if (edit->Value().AsInteger() > 100) throw Exception("Too large");
  };
  Focus(edit);
  Type(edit, "500");
  PostKey(edit, VK_RETURN);
  EXPECT_EQ(validations, 1);
  EXPECT_EQ(edit->Value(), Variant(7));
  EXPECT_EQ(edit->Text(), "500");  // kept for correction
  EXPECT_TRUE(edit->Editing());
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_NE(shown[0].find("Too large"), std::string::npos) << shown[0];
  // Corrected, it goes through.
  PostKey(edit, VK_BACK);
  PostKey(edit, VK_BACK);
  EXPECT_EQ(edit->Text(), "5");
  PostKey(edit, VK_RETURN);
  EXPECT_EQ(edit->Value(), Variant(5));
  // A value set in code is vetoed the same way.
  EXPECT_THROW(edit->SetValue(Variant(1000)), Exception);
  EXPECT_EQ(edit->Value(), Variant(5));
  EXPECT_EQ(edit->Text(), "5");
  // Incomplete input under a '$' picture: "System" message 6, value kept.
  edit->OnValidate = nullptr;
  UseMask(edit, dtyString, "$d;#(4)");
  edit->SetValue(Variant("1234"));
  edit->SelectAll();
  PostKey(edit, VK_DELETE);
  Type(edit, "12");
  PostKey(edit, VK_RETURN);
  EXPECT_EQ(edit->Value(), Variant("1234"));
  ASSERT_EQ(shown.size(), 2u);
  EXPECT_NE(shown[1].find(MessageText("System", 6)), std::string::npos) << shown[1];
}

TEST_F(EditTest, ReadOnlySwallowsDeletingAndPasteFiltersThroughTheMask) {
  UseMask(edit, dtyInteger, "");
  edit->SetValue(Variant(123));
  edit->SetReadOnly(true);
  Focus(edit);
  edit->SetSelStart(1);
  PostKey(edit, VK_DELETE);
  PostKey(edit, VK_BACK);
  Type(edit, "9");
  EXPECT_EQ(edit->Text(), "123");
  EXPECT_FALSE(edit->Editing());
  edit->SelectAll();
  {
    TCtrlDown ctrl;
    PostChar(edit, 3);  // Ctrl+C copies
  }
  EXPECT_EQ(ClipboardText(), "123");

  edit->SetReadOnly(false);
  SetClipboardText("4a5b6");
  edit->SelectAll();
  PostChar(edit, 22);  // Ctrl+V
  EXPECT_EQ(edit->Text(), "456");
  EXPECT_TRUE(edit->Editing());
  PostKey(edit, VK_RETURN);
  EXPECT_EQ(edit->Value(), Variant(456));
}

TEST_F(EditTest, TheChangeDelayTimerReportsOnceAfterTypingStops) {
  using Clock = std::chrono::steady_clock;
  TKyTimerChange& timer = TKyTimerChange::Instance();
  // Immediate: one report per change.
  int now = 0;
  edit->OnChange = [&](TObject*) { ++now; };
  Focus(edit);
  Type(edit, "abcde");
  EXPECT_EQ(now, 5);
  PostKey(edit, VK_RETURN);

  // Delayed: one report, TimeChange after the last key.
  edit->SetTimeChange(300);
  int delayed = 0;
  Clock::time_point reported;
  edit->OnChange = [&](TObject*) {
    ++delayed;
    reported = Clock::now();
  };
  uint64_t fired = timer.Fired();
  edit->SelectAll();
  Type(edit, "vwxyz");
  Clock::time_point lastKey = Clock::now();
  EXPECT_EQ(delayed, 0);
  EXPECT_TRUE(timer.Enabled());
  EXPECT_EQ(timer.Target(), edit);
  ASSERT_TRUE(PumpUntil([&] { return delayed > 0; }, 3000));
  EXPECT_EQ(delayed, 1);
  EXPECT_EQ(timer.Fired(), fired + 1);
  EXPECT_FALSE(timer.Enabled());  // stopped itself: nothing more comes
  EXPECT_GE(std::chrono::duration_cast<std::chrono::milliseconds>(reported - lastKey).count(), 250);

  // Another edit takes the timer: the first one's report is lost.
  other->SetTimeChange(200);
  int otherChanges = 0;
  other->OnChange = [&](TObject*) { ++otherChanges; };
  Type(edit, "q");
  EXPECT_EQ(timer.Target(), edit);
  Focus(other);
  Type(other, "r");
  EXPECT_EQ(timer.Target(), other);
  ASSERT_TRUE(PumpUntil([&] { return otherChanges == 1; }, 3000));
  EXPECT_EQ(delayed, 1);
  EXPECT_EQ(timer.Fired(), fired + 2);
}

TEST_F(EditTest, SideButtonsByClickAndByShortcut) {
  std::vector<TKyEditButton> pressed;
  edit->OnButtons = [&](TObject* sender, TKyEditButton b) {
    EXPECT_EQ(sender, edit);
    pressed.push_back(b);
  };
  edit->Buttons()->SetButtons({edbRelation, edbCalculator, edbCalendar, edbCustom1});
  edit->Buttons()->SetKey1(scCtrl | 'K');
  lib.app.PkgSetup()->Keys()->SetKey(skRelation, TextToShortCut("F9"));
  Pump();
  // The row sits right of the edit, in the order of the kinds.
  TKyEditBtnControl* relation = edit->ButtonControl(edbRelation);
  TKyEditBtnControl* custom1 = edit->ButtonControl(edbCustom1);
  ASSERT_NE(relation, nullptr);
  ASSERT_NE(custom1, nullptr);
  EXPECT_EQ(edit->ButtonControl(edbMaint), nullptr);
  EXPECT_EQ(relation->Parent(), &form);
  EXPECT_EQ(relation->Left(), edit->Left() + edit->Width() + edit->Buttons()->ExtSpacing());
  EXPECT_LT(relation->Left(), custom1->Left());

  PostClick(custom1, 5, 5);
  PostClick(relation, 5, 5);
  Focus(edit);
  PostKey(edit, VK_F9);  // the application's relation key
  PostKey(edit, VK_F6);  // the default no longer applies
  {
    TCtrlDown ctrl;
    PostKey(edit, 'K');  // the edit's own custom key
  }
  EXPECT_EQ(pressed, (std::vector<TKyEditButton>{edbCustom1, edbRelation, edbRelation, edbCustom1}));

  // The calculator and calendar go through the application.
  UseMask(edit, dtyDouble, "");
  edit->Mask()->SetDecimals(2);
  int32_t askedDecimals = -1;
  double offered = 0;
  lib.app.OnCalculator = [&](TObject*, bool& accept, double& value, int32_t decimals) {
    askedDecimals = decimals;
    offered = value;
    value = 12.5;
    accept = true;
  };
  edit->SetValue(Variant(3.25));
  PostKey(edit, VK_F8);
  EXPECT_EQ(askedDecimals, 2);
  EXPECT_DOUBLE_EQ(offered, 3.25);
  EXPECT_EQ(edit->Value(), Variant(12.5));

  UseMask(edit, dtyDateTime, "dmy");
  TDateTime offeredDate{};
  lib.app.OnCalendar = [&](TObject*, bool& accept, TDateTime& date) {
    offeredDate = date;
    date = EncodeDate(2001, 2, 1);
    accept = true;
  };
  edit->SetValue(Variant::Null());
  PostClick(edit->ButtonControl(edbCalendar), 5, 5);
  EXPECT_EQ(offeredDate, Today());  // an empty text asks from today
  EXPECT_EQ(edit->Value(), Variant(EncodeDate(2001, 2, 1)));
  EXPECT_EQ(pressed.size(), 4u);

  edit->Buttons()->SetButtons({});
  EXPECT_EQ(edit->ButtonControl(edbRelation), nullptr);
}

TEST_F(EditTest, TheFrameIsDrawnInTheBoxColourAndTheFocusColour) {
  lib.app.PkgDisplay()->AddColor("scBox")->SetColor(KyRGB(200, 0, 0));
  lib.app.PkgDisplay()->AddColor("scSel")->SetColor(KyRGB(0, 0, 200));
  TKyColor shadow = ColorToRGB(dynamic_cast<TKySetColor*>(LibraryDefaultSet("Dft_3DShadow"))->Value());
  edit->SetColBox()->SetName("scBox");
  edit->SetColSelBox()->SetName("scSel");
  auto frameAt = [&](int dx, int dy) {
    TSnapshot shot(&form);
    return shot.Pixel(edit->Left() + dx, edit->Top() + dy);
  };
  edit->SetBorderStyle(ebsSingle);
  Pump();
  EXPECT_EQ(edit->FrameWidths(), (TRect{1, 1, 1, 1}));
  EXPECT_EQ(frameAt(0, 10), KyRGB(200, 0, 0));
  EXPECT_EQ(frameAt(60, 21), KyRGB(200, 0, 0));
  Focus(edit);
  EXPECT_EQ(frameAt(0, 10), KyRGB(0, 0, 200));
  EXPECT_EQ(frameAt(119, 10), KyRGB(0, 0, 200));

  edit->SetBorderStyle(ebs3D);
  Pump();
  EXPECT_EQ(static_cast<int32_t>(frameAt(0, 10)), static_cast<int32_t>(shadow));            // sunken outside
  EXPECT_EQ(frameAt(1, 10), KyRGB(0, 0, 200));  // the focus colour inside

  edit->SetBorderStyle(ebsLine);
  other->SetFocus();
  ASSERT_TRUE(PumpUntil([&] { return other->Focused(); }));
  EXPECT_EQ(edit->FrameWidths(), (TRect{0, 0, 0, 1}));
  EXPECT_EQ(frameAt(60, 21), KyRGB(200, 0, 0));
  EXPECT_NE(frameAt(0, 10), KyRGB(200, 0, 0));
}

// The shadow: bands along the right and bottom edges outside the frame,
// taken from the client area; the corners beside them show the form.
TEST_F(EditTest, TheShadowLiesOutsideTheFrameAndTakesItsRoomFromTheText) {
  edit->SetBorderStyle(ebsSingle);
  edit->SetShadow(true);
  Pump();
  const int32_t n = kDropShadowSize;
  EXPECT_EQ(edit->FrameWidths(), (TRect{1, 1, 1 + n, 1 + n}));
  RECT client;
  GetClientRect(edit->Handle(), &client);
  EXPECT_EQ(client.right, 120 - 2 - n);
  EXPECT_EQ(client.bottom, 22 - 2 - n);
  const TKyColor shadow = ColorToRGB(LibraryDefaultColor("Dft_ColShadow"));
  const TKyColor box = ColorToRGB(LibraryDefaultColor("Dft_ColBox"));
  const TKyColor form = ColorToRGB(this->form.Color());
  struct TCase {
    int X, Y;
    TKyColor Expected;
    const char* What;
  };
  const TCase cases[] = {
      {119, 11, shadow, "right band"},         {60, 21, shadow, "bottom band"},
      {119, 1, form, "corner beside the top"}, {1, 21, form, "corner beside the left"},
      {120 - n - 1, 11, box, "right frame"},   {60, 22 - n - 1, box, "bottom frame"},
  };
  TSnapshot shot(&this->form);
  for (const TCase& c : cases)
    EXPECT_EQ(shot.Pixel(edit->Left() + c.X, edit->Top() + c.Y), c.Expected) << c.What;
  // Without it the frame is back at the edges.
  edit->SetShadow(false);
  Pump();
  GetClientRect(edit->Handle(), &client);
  EXPECT_EQ(client.right, 120 - 2);
  TSnapshot after(&this->form);
  EXPECT_EQ(after.Pixel(edit->Left() + 119, edit->Top() + 11), box);
}

// An edit whose window is made only when its container shows (a page shown
// later), after its look was applied, still keeps its frame outside the text.
TEST_F(EditTest, AnEditWhoseWindowIsMadeLateKeepsItsFrame) {
  TWinControl* holder = new TWinControl(&form);
  holder->SetVisible(false);
  holder->SetParent(&form);
  holder->SetBounds(0, 60, 300, 60);
  auto* late = new TKyEdit(&form);
  late->SetParent(holder);
  late->SetBounds(10, 10, 120, 22);
  late->UpdateDisplay();
  ASSERT_FALSE(late->HandleAllocated());
  holder->SetVisible(true);
  ASSERT_TRUE(PumpUntil([&] { return late->HandleAllocated(); }));
  Pump();
  RECT client;
  GetClientRect(late->Handle(), &client);
  EXPECT_EQ(client.right, 120 - 4);
  EXPECT_EQ(client.bottom, 22 - 4);
  TSnapshot shot(&form);
  EXPECT_EQ(shot.Pixel(10, 60 + 10 + 11), ColorToRGB(LibraryDefaultColor("Dft_3DShadow")));
}

TEST_F(EditTest, EveryPublishedPropertyGoesThroughATextForm) {
  TForm root(nullptr);
  root.SetName("FrEdit");
  auto* e = new TKyEdit(&root);
  e->SetName("EdGroup");
  e->SetParent(&root);
  e->SetBounds(8, 16, 150, 24);
  e->SetHint("Group");
  e->SetHelpContext(7);
  e->SetTabStop(false);
  e->SetAlignHor(alhRight);
  e->SetAlignVer(alvBottom);
  e->SetDataType(dtyInteger);
  e->ValueId()->SetPkgName("Idioma");
  e->ValueId()->SetId(12);
  e->SetEnterApply(true);
  e->Mask()->SetTake(mtaNone);
  e->Mask()->SetText(">-");
  e->Mask()->SetSize(9);
  e->SetTimeChange(500);
  e->SetMaxLength(6);
  e->ILabel()->SetExtLayout(eclTopLeft);
  e->ILabel()->SetVisible(true);
  e->CaptionId()->SetPkgName("Idioma");
  e->CaptionId()->SetId(3);
  e->Buttons()->SetButtons({edbCalendar, edbCustom2});
  e->Buttons()->SetKey2(scCtrl | 'J');
  e->TextBlock()->SetColText()->SetName("scText");
  e->Image()->SetVisible(true);
  e->SetRefValue("123456");
  e->SetShadow(true);
  e->SetBackGround()->SetName("sbEdit");
  e->SetColBox()->SetName("scBox");
  e->SetColSelBox()->SetName("scSel");
  e->SetBorderStyle(ebs3DBottomLine);
  e->SetEditLines(2);
  e->SetTransparent(true);
  e->Privilege()->SetId(4);
  e->SetReadOnly(true);
  e->SetVisible(false);
  e->SetEnabled(false);
  e->SetValue(Variant(-42));
  std::string text = FormBinaryToText(WriteComponentBytes(&root));
  for (const char* stored : {"EnterApply = True", "TimeChange = 500", "BorderStyle = ebs3DBottomLine",
                             "xValue = '-42'", "DataType = dtyInteger", "EditLines = 2"})
    EXPECT_NE(text.find(stored), std::string::npos) << stored << "\n" << text;

  TForm copy(nullptr);
  ReadComponentBytes(FormTextToBinary(text), &copy);
  auto* r = copy.Find<TKyEdit>("EdGroup");
  ASSERT_NE(r, nullptr);
  // Two edit lines make the edit as tall as they need.
  EXPECT_EQ(r->BoundsRect(), e->BoundsRect());
  EXPECT_GT(r->Height(), 24);
  EXPECT_EQ(r->Hint(), "Group");
  EXPECT_EQ(r->HelpContext(), 7);
  EXPECT_FALSE(r->TabStop());
  EXPECT_EQ(r->AlignHor(), alhRight);
  EXPECT_EQ(r->AlignVer(), alvBottom);
  EXPECT_EQ(r->DataType(), dtyInteger);
  EXPECT_EQ(r->ValueId()->PkgName(), "Idioma");
  EXPECT_EQ(r->ValueId()->Id(), 12);
  EXPECT_TRUE(r->EnterApply());
  EXPECT_EQ(r->Mask()->Take(), mtaNone);
  EXPECT_EQ(r->Mask()->Text(), ">-");
  EXPECT_EQ(r->Mask()->Size(), 9);
  EXPECT_EQ(r->TimeChange(), 500);
  EXPECT_EQ(r->MaxLength(), 6);
  EXPECT_EQ(r->ILabel()->ExtLayout(), eclTopLeft);
  EXPECT_TRUE(r->ILabel()->Visible());
  EXPECT_EQ(r->CaptionId()->Id(), 3);
  EXPECT_EQ(r->Buttons()->Buttons(), (TKyEditButtons{edbCalendar, edbCustom2}));
  EXPECT_EQ(r->Buttons()->Key2(), scCtrl | 'J');
  EXPECT_EQ(r->TextBlock()->SetColText()->Name(), "scText");
  EXPECT_TRUE(r->Image()->Visible());
  EXPECT_EQ(r->RefValue(), "123456");
  EXPECT_TRUE(r->Shadow());
  EXPECT_EQ(r->SetBackGround()->Name(), "sbEdit");
  EXPECT_EQ(r->SetColBox()->Name(), "scBox");
  EXPECT_EQ(r->SetColSelBox()->Name(), "scSel");
  EXPECT_EQ(r->BorderStyle(), ebs3DBottomLine);
  EXPECT_EQ(r->EditLines(), 2);
  EXPECT_TRUE(r->Transparent());
  EXPECT_EQ(r->Privilege()->Id(), 4);
  EXPECT_TRUE(r->ReadOnly());
  EXPECT_FALSE(r->Visible());
  EXPECT_FALSE(r->Enabled());
  EXPECT_EQ(r->Value(), Variant(-42));
  // Written again, the edit's part is the same text.
  auto editPart = [](const std::string& t) {
    size_t from = t.find("  object EdGroup");
    return t.substr(from, t.find("\n  end\n", from) - from);
  };
  EXPECT_EQ(editPart(FormBinaryToText(WriteComponentBytes(&copy))), editPart(text));
  // The side buttons and the inner label are the edit's, never the form's.
  EXPECT_EQ(text.find("TKyEditBtnControl"), std::string::npos) << text;
  EXPECT_EQ(text.find("TKySingleLabel"), std::string::npos) << text;
}

TEST_F(EditTest, ACustomSideButtonShowsItsPicture) {
  // A 10 x 10 red picture in the application's images.
  TBitmap red(10, 10, pf24bit);
  red.Canvas()->Brush()->SetColor(KyRGB(220, 0, 0));
  red.Canvas()->FillRect({0, 0, 10, 10});
  TMemoryStream bytes;
  red.SaveToStream(bytes);
  lib.app.PkgDisplay()->UserImages().AddImage(5)->SetPicture("TBitmap", bytes.Data(), 10, 10);
  edit->Buttons()->SetButtons({edbCustom1, edbCustom2});
  edit->Buttons()->Image1()->SetReference("User", 5);
  Pump();
  TKyEditBtnControl* custom1 = edit->ButtonControl(edbCustom1);
  TKyEditBtnControl* custom2 = edit->ButtonControl(edbCustom2);
  ASSERT_NE(custom1, nullptr);
  ASSERT_NE(custom2, nullptr);
  TSnapshot shot(&form);
  auto centre = [&](TControl* c) { return shot.Pixel(c->Left() + c->Width() / 2, c->Top() + c->Height() / 2); };
  EXPECT_EQ(centre(custom1), KyRGB(220, 0, 0));
  // Without a picture, its letter on the button's face.
  EXPECT_NE(centre(custom2), KyRGB(220, 0, 0));
}

// An OnValidate that writes Value ends: a write from inside the setter's
// own OnValidate is ignored; after Enter the write is an ordinary one,
// validated once more. OnStartEdit reports the write in code, and a vetoed
// write leaves the edit not editing.
TEST_F(EditTest, AnOnValidateThatWritesValueRunsOnce) {
  UseMask(edit, dtyInteger, "");
  int validations = 0, starts = 0;
  edit->OnStartEdit = [&](TObject*) { ++starts; };
  edit->OnValidate = [&](TObject*) {
    ++validations;
    if (validations > 50) throw Exception("endless");
    if (edit->Value().AsInteger() > 100) edit->SetValue(Variant(100));
  };
  edit->SetValue(Variant(500));
  EXPECT_EQ(validations, 1);
  EXPECT_EQ(edit->Value(), Variant(500));
  EXPECT_EQ(starts, 1);
  EXPECT_FALSE(edit->Editing());
  Focus(edit);
  edit->SelectAll();
  Type(edit, "300");
  PostKey(edit, VK_RETURN);
  EXPECT_EQ(validations, 3);
  EXPECT_EQ(edit->Value(), Variant(100));
  EXPECT_EQ(edit->Text(), "100");
  EXPECT_EQ(starts, 2);
  EXPECT_FALSE(edit->Editing());
  EXPECT_TRUE(shown.empty());
  edit->OnValidate = [&](TObject*) { throw Exception("no"); };
  EXPECT_THROW(edit->SetValue(Variant(7)), Exception);
  EXPECT_FALSE(edit->Editing());
  edit->OnStartEdit = nullptr;
}

// EditLines above 1: the edit is as tall as its lines, and Enter (free
// text, no EnterApply) makes a new line instead of committing; with
// EnterApply or a number it commits as a one-line edit does.
TEST_F(EditTest, SeveralEditLinesMakeAMultiLineEdit) {
  const int32_t single = edit->Height();
  edit->SetEditLines(3);
  EXPECT_GT(edit->Height(), 2 * single) << "three lines high";
  edit->SetBounds(20, 20, 120, 22);
  EXPECT_GT(edit->Height(), 2 * single) << "the height follows the lines, not the bounds asked";
  ASSERT_TRUE(PumpUntil([&] { return edit->HandleAllocated(); }));
  Focus(edit);
  Type(edit, "ab");
  PostChar(edit, '\r');
  Type(edit, "cd");
  EXPECT_EQ(edit->Text(), "ab\r\ncd");
  EXPECT_TRUE(edit->Editing()) << "Enter did not commit";
  other->SetFocus();
  ASSERT_TRUE(PumpUntil([&] { return other->Focused(); }));
  EXPECT_EQ(edit->Value(), Variant("ab\r\ncd")) << edit->Value().AsString();
  // EnterApply: Enter commits.
  edit->SetEnterApply(true);
  Focus(edit);
  edit->SelectAll();
  Type(edit, "x");
  PostChar(edit, '\r');
  EXPECT_FALSE(edit->Editing());
  EXPECT_EQ(edit->Value(), Variant("x"));
}

// The client area shows the background set itself (here a gradient), not
// only its colour, while the edit is not focused; a transparent edit shows
// its parent's picture.
TEST_F(EditTest, TheClientAreaShowsTheBackgroundSetAndTheParentWhenTransparent) {
  TKyPkgDisplaySetBackGround* fade = lib.app.PkgDisplay()->AddBackGround("sbFade");
  fade->SetFillKind(4);  // left to right, colour 1 to colour 2
  fade->SetColor1(KyRGB(255, 0, 0));
  fade->SetColor2(KyRGB(0, 0, 255));
  edit->SetBorderStyle(ebsNone);
  edit->SetBackGround()->SetName("sbFade");
  Pump();
  auto at = [&](TKyEdit* e, int dx) {
    TSnapshot shot(&form);
    return shot.Pixel(e->Left() + dx, e->Top() + e->Height() - 2);
  };
  TKyColor left = at(edit, 2), right = at(edit, 117);
  EXPECT_GT(left & 0xFF, 150) << std::hex << left;            // red side
  EXPECT_GT((right >> 16) & 0xFF, 150) << std::hex << right;  // blue side
  // Transparent over a panel with the gradient.
  auto* panel = new TKyPanel(&form);
  panel->SetParent(&form);
  panel->SetBounds(150, 10, 160, 120);
  panel->SetBackGround()->SetName("sbFade");
  auto* inner = new TKyEdit(&form);
  inner->SetParent(panel);
  inner->SetBounds(10, 40, 140, 22);
  inner->SetBorderStyle(ebsNone);
  inner->SetTransparent(true);
  Pump();
  TSnapshot shot(&form);
  for (int dx : {3, 70, 136}) {
    SCOPED_TRACE(dx);
    int x = 150 + 10 + dx;
    EXPECT_EQ(shot.Pixel(x, 10 + 40 + 20), shot.Pixel(x, 10 + 100)) << "the panel's picture goes on behind";
  }
}

// A wrong mask text is refused with the library's message; the edit takes
// free text until it is corrected. At design time RefValue shows.
TEST_F(EditTest, AWrongMaskRaisesAndRefValueShowsWhileDesigning) {
  edit->SetDataType(dtyInteger);
  edit->Mask()->SetTake(mtaNone);
  EXPECT_NE(Raised([&] { edit->Mask()->SetText("x"); }), "");
  EXPECT_EQ(Raised([&] { edit->Mask()->SetText(""); }), "");
  auto* config = new TKyCForm(&form);
  config->SetRefAdjust(true);
  edit->SetRefValue("Reference");
  EXPECT_NE(edit->Text(), "Reference") << "at run time the value shows";
  edit->SetDesigning(true);
  edit->SetRefValue("Other");
  EXPECT_EQ(edit->Text(), "Other");
  edit->SetDesigning(false);
}
