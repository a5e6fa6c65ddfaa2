// The buttons: posted mouse input on speed buttons (clicks, drags off and
// back, hot state, repeat counted from the repeat timer, groups), Enter
// and Escape on bit buttons of a modal form, kinds with their "System"
// captions, painting of the states by pixel, and text-form streaming.
#include "support/WindowDriver.h"

#include <chrono>

#include "ControlsTestSupport.h"
#include "controls/ControlsTestSupport.h"
#include "controls/KyButtons.h"
#include "controls/KyEdit.h"
#include "controls/RegisterControls.h"
#include "packages/PkgDisplay.h"
#include "platform/classes/FormStream.h"
#include "platform/classes/TextForm.h"

using namespace ky_test;

namespace {

class ButtonsTest : public ::testing::Test {
protected:
  void SetUp() override {
    PrepareForm(form, 300, 120);
    form.SetColor(kClWhite);
  }
  TKySpeedButton* AddButton(int left, int top = 10, int width = 80, int height = 30) {
    auto* b = new TKySpeedButton(&form);
    b->SetParent(&form);
    b->SetBounds(left, top, width, height);
    b->OnClick = [this, b](TObject*) { clicks.push_back(b); };
    return b;
  }
  int ClicksOf(TKySpeedButton* b) const { return static_cast<int>(std::count(clicks.begin(), clicks.end(), b)); }
  void Press(TControl* c, int x, int y) { PostMouse(c, WM_LBUTTONDOWN, x, y, MK_LBUTTON); }
  void Drag(TControl* c, int x, int y) { PostMouse(c, WM_MOUSEMOVE, x, y, MK_LBUTTON); }
  void Release(TControl* c, int x, int y) { PostMouse(c, WM_LBUTTONUP, x, y); }

  TForm form{nullptr};
  std::vector<TKySpeedButton*> clicks;
};

// One object's block of a text form ("  object Name: ..." to its "  end").
std::string ObjectBlock(const std::string& text, const std::string& name) {
  size_t from = text.find("  object " + name + ":");
  if (from == std::string::npos) return "";
  size_t to = text.find("\n  end\n", from);
  return to == std::string::npos ? text.substr(from) : text.substr(from, to + 7 - from);
}

// Every line of the block written in source is in the block written back
// (order follows the class's publishing; values published twice may repeat).
void ExpectEveryLineWrittenBack(const std::string& source, const std::string& written) {
  size_t pos = 0;
  while (pos < source.size()) {
    size_t end = source.find('\n', pos);
    std::string line = source.substr(pos, end - pos + 1);
    EXPECT_NE(written.find(line), std::string::npos) << "lost: " << line;
    pos = end + 1;
  }
}

struct TMouseStep {
  uint32_t msg;
  int x, y;
  bool pressedAfter;
};

struct TMouseCase {
  const char* name;
  std::vector<TMouseStep> steps;
  int clicks;
};

}  // namespace

TEST_F(ButtonsTest, PostedMouseInputClicksOnlyWhenReleasedOverTheButton) {
  // The button covers x 10..90 of the form; 150 lies outside it.
  const TMouseCase cases[] = {
      {"click", {{WM_LBUTTONDOWN, 40, 15, true}, {WM_LBUTTONUP, 40, 15, false}}, 1},
      {"drag off and release outside",
       {{WM_LBUTTONDOWN, 40, 15, true}, {WM_MOUSEMOVE, 150, 15, false}, {WM_LBUTTONUP, 150, 15, false}},
       0},
      {"drag off and back, release on it",
       {{WM_LBUTTONDOWN, 40, 15, true},
        {WM_MOUSEMOVE, 150, 15, false},
        {WM_MOUSEMOVE, 30, 10, true},
        {WM_LBUTTONUP, 30, 10, false}},
       1},
      {"right button", {{WM_RBUTTONDOWN, 40, 15, false}, {WM_RBUTTONUP, 40, 15, false}}, 0},
  };
  TKySpeedButton* b = AddButton(10);
  form.Show();
  Pump();
  for (const TMouseCase& c : cases) {
    SCOPED_TRACE(c.name);
    clicks.clear();
    for (const TMouseStep& s : c.steps) {
      WPARAM keys = s.msg == WM_LBUTTONDOWN || s.msg == WM_MOUSEMOVE ? MK_LBUTTON : 0;
      if (s.msg == WM_RBUTTONDOWN) keys = MK_RBUTTON;
      PostMouse(b, s.msg, s.x, s.y, keys);
      EXPECT_EQ(b->DrawnPressed(), s.pressedAfter) << "after message " << std::hex << s.msg;
    }
    EXPECT_EQ(ClicksOf(b), c.clicks);
    EXPECT_FALSE(b->Down()) << "a plain button never latches";
  }
}

TEST_F(ButtonsTest, TheMouseOverTheButtonMakesItHotAndLeavingEndsIt) {
  TKySpeedButton* b = AddButton(10);
  b->SetFlat(true);
  b->Text()->SetFontStyle(fos3DLight);
  TKySpeedButton* plain = AddButton(150);
  form.Show();
  Pump();
  PostMouse(b, WM_MOUSEMOVE, 20, 10);
  ASSERT_TRUE(PumpUntil([&] { return b->MouseInside(); }));
  EXPECT_TRUE(b->FlatHot());
  EXPECT_TRUE(b->TextHot());
  PostMouse(plain, WM_MOUSEMOVE, 20, 10);
  ASSERT_TRUE(PumpUntil([&] { return !b->MouseInside() && plain->MouseInside(); }));
  EXPECT_FALSE(b->FlatHot());
  EXPECT_FALSE(b->TextHot());
  EXPECT_FALSE(plain->FlatHot()) << "not flat";
  EXPECT_FALSE(plain->TextHot()) << "not a light style";
  // A disabled button does not light up.
  b->SetEnabled(false);
  PostMouse(b, WM_MOUSEMOVE, 20, 10);
  PumpUntil([&] { return !plain->MouseInside(); });
  EXPECT_FALSE(b->MouseInside());
}

TEST_F(ButtonsTest, AHeldRepeatButtonClicksOnEachTickOfTheRepeatTimer) {
  TKySpeedButton* b = AddButton(10);
  b->Repeats()->SetActive(true);
  b->Repeats()->SetStartTime(150);
  b->Repeats()->SetNextTime(40);
  std::vector<uint32_t> armedWith;  // the timer's interval as each click ran
  std::vector<std::chrono::steady_clock::time_point> when;
  b->OnClick = [&](TObject*) {
    clicks.push_back(b);
    when.push_back(std::chrono::steady_clock::now());
    // A tick's click: the interval the timer ran with.
    if (clicks.size() > 1) armedWith.push_back(TKyRepeatTimer::Instance().Interval());
  };
  form.Show();
  Pump();
  uint64_t ticks0 = TKyRepeatTimer::Existing() ? TKyRepeatTimer::Existing()->Ticks() : 0;
  Press(b, 40, 15);
  EXPECT_EQ(ClicksOf(b), 1) << "the press clicks at once";
  TKyRepeatTimer* timer = TKyRepeatTimer::Existing();
  ASSERT_NE(timer, nullptr);
  EXPECT_TRUE(timer->Enabled());
  EXPECT_EQ(timer->Interval(), 150u);
  ASSERT_TRUE(PumpUntil([&] { return ClicksOf(b) >= 5; }, 5000));
  // Every click after the first is one tick of the timer.
  EXPECT_EQ(static_cast<uint64_t>(ClicksOf(b) - 1), timer->Ticks() - ticks0);
  ASSERT_GE(armedWith.size(), 4u);
  EXPECT_EQ(armedWith[0], 150u) << "the second click waits StartTime";
  for (size_t i = 1; i < armedWith.size(); ++i) EXPECT_EQ(armedWith[i], 40u) << i;
  EXPECT_GE(when[1] - when[0], std::chrono::milliseconds(120));
  // Dragging off stops the timer; no tick can click any more.
  Drag(b, 150, 15);
  EXPECT_FALSE(timer->Enabled());
  int held = ClicksOf(b);
  uint64_t ticksOff = timer->Ticks();
  // Back on: it resumes at NextTime.
  Drag(b, 40, 15);
  EXPECT_TRUE(timer->Enabled());
  EXPECT_EQ(timer->Interval(), 40u);
  EXPECT_EQ(ClicksOf(b), held);
  ASSERT_TRUE(PumpUntil([&] { return ClicksOf(b) >= held + 2; }, 5000));
  EXPECT_EQ(static_cast<uint64_t>(ClicksOf(b) - held), timer->Ticks() - ticksOff);
  Release(b, 40, 15);
  EXPECT_FALSE(timer->Enabled());
  EXPECT_EQ(timer->Button(), nullptr);
  EXPECT_FALSE(b->DrawnPressed());
}

TEST_F(ButtonsTest, TheRepeatTimerServesOneButtonAtATime) {
  TKySpeedButton* a = AddButton(10);
  TKySpeedButton* b = AddButton(150);
  a->Repeats()->SetActive(true);
  b->Repeats()->SetActive(true);
  form.Show();
  Pump();
  Press(a, 10, 10);
  EXPECT_EQ(TKyRepeatTimer::Instance().Button(), a);
  Release(a, 10, 10);
  Press(b, 10, 10);
  EXPECT_EQ(&TKyRepeatTimer::Instance(), TKyRepeatTimer::Existing());
  EXPECT_EQ(TKyRepeatTimer::Instance().Button(), b);
  Release(b, 10, 10);
  // A button that goes away while it holds the timer takes it along.
  Press(b, 10, 10);
  delete b;
  EXPECT_FALSE(TKyRepeatTimer::Instance().Enabled());
  EXPECT_EQ(TKyRepeatTimer::Instance().Button(), nullptr);
  Release(a, 10, 10);
}

TEST_F(ButtonsTest, AGroupKeepsOneButtonDownUnlessAllUpIsAllowed) {
  TKySpeedButton* b[3] = {AddButton(10, 10, 60), AddButton(80, 10, 60), AddButton(150, 10, 60)};
  for (TKySpeedButton* x : b) x->SetGroupIndex(1);
  TKySpeedButton* other = AddButton(220, 10, 60);
  other->SetGroupIndex(2);
  other->SetDown(true);
  form.Show();
  Pump();
  auto downs = [&] { return std::vector<bool>{b[0]->Down(), b[1]->Down(), b[2]->Down()}; };
  PostClick(b[0], 5, 5);
  EXPECT_EQ(downs(), (std::vector<bool>{true, false, false}));
  EXPECT_EQ(ClicksOf(b[0]), 1);
  // Clicking the down button again changes nothing and does not click.
  PostClick(b[0], 5, 5);
  EXPECT_EQ(downs(), (std::vector<bool>{true, false, false}));
  EXPECT_EQ(ClicksOf(b[0]), 1);
  EXPECT_TRUE(b[0]->DrawnPressed());
  PostClick(b[2], 5, 5);
  EXPECT_EQ(downs(), (std::vector<bool>{false, false, true}));
  EXPECT_FALSE(b[0]->DrawnPressed());
  EXPECT_TRUE(other->Down()) << "another group is left alone";
  // Setting Down in code follows the same rule.
  b[1]->SetDown(true);
  EXPECT_EQ(downs(), (std::vector<bool>{false, true, false}));
  b[1]->SetDown(false);
  EXPECT_TRUE(b[1]->Down());
  // AllowAllUp on one spreads through the group: a second click raises.
  b[0]->SetAllowAllUp(true);
  EXPECT_TRUE(b[1]->AllowAllUp());
  EXPECT_TRUE(b[2]->AllowAllUp());
  int before = ClicksOf(b[1]);
  PostClick(b[1], 5, 5);
  EXPECT_EQ(downs(), (std::vector<bool>{false, false, false}));
  EXPECT_EQ(ClicksOf(b[1]), before + 1);
}

TEST_F(ButtonsTest, TheDropDownPartClicksApartFromTheMainPart) {
  TKySpeedButton* b = AddButton(10, 10, 80, 30);
  b->ButtonDown()->SetVisible(true);
  int downClicks = 0;
  b->OnDownClick = [&](TObject*) { ++downClicks; };
  form.Show();
  Pump();
  EXPECT_EQ(b->DownPartRect(), TRect(67, 0, 80, 30));
  EXPECT_EQ(b->MainRect(), TRect(0, 0, 67, 30));
  Press(b, 72, 15);
  EXPECT_TRUE(b->DownPartPressed());
  EXPECT_FALSE(b->DrawnPressed());
  Release(b, 72, 15);
  EXPECT_FALSE(b->DownPartPressed());
  EXPECT_EQ(downClicks, 1);
  EXPECT_EQ(ClicksOf(b), 0);
  // Released over the main part: neither part clicks.
  Press(b, 72, 15);
  Drag(b, 20, 15);
  Release(b, 20, 15);
  EXPECT_EQ(downClicks, 1);
  EXPECT_EQ(ClicksOf(b), 0);
  PostClick(b, 20, 15);
  EXPECT_EQ(ClicksOf(b), 1);
  EXPECT_EQ(downClicks, 1);
}

TEST_F(ButtonsTest, AMouseRegionLetsOnlyTheDrawnShapeTakeClicks) {
  TKySpeedButton* b = AddButton(10, 10, 80, 40);
  b->Shape()->SetShape(shaEllipse);
  b->SetMouseRgn(true);
  form.Show();
  Pump();
  PostClick(b, 2, 2);
  EXPECT_EQ(ClicksOf(b), 0) << "the corner lies outside the ellipse";
  PostClick(b, 40, 20);
  EXPECT_EQ(ClicksOf(b), 1);
  b->SetMouseRgn(false);
  PostClick(b, 2, 2);
  EXPECT_EQ(ClicksOf(b), 2);
}

TEST_F(ButtonsTest, AnAcceleratorClicksTheButtonWhoseCaptionHasIt) {
  TKySpeedButton* add = AddButton(10);
  add->SetCaption("&Add");
  TKySpeedButton* next = AddButton(100);
  next->SetCaption("Ne&xt");
  auto* focus = new TKyBitBtn(&form);
  focus->SetParent(&form);
  focus->SetBounds(200, 10, 80, 30);
  focus->SetTabStop(true);
  form.Show();
  form.FocusControl(focus);
  Pump();
  PostChar(focus, 'x');
  EXPECT_EQ(ClicksOf(next), 1);
  EXPECT_EQ(ClicksOf(add), 0);
  PostChar(focus, 'A');
  EXPECT_EQ(ClicksOf(add), 1);
  add->SetEnabled(false);
  PostChar(focus, 'a');
  EXPECT_EQ(ClicksOf(add), 1);
}

TEST_F(ButtonsTest, ValuesAndLooksThatSettersAdjust) {
  TKySpeedButton* b = AddButton(10);
  b->SetMargin(-5);
  EXPECT_EQ(b->Margin(), -1);
  b->SetMargin(4);
  EXPECT_EQ(b->Margin(), 4);
  b->SetStyle(btsImage);
  EXPECT_EQ(b->BorderStyle(), bosNone);
  // A hint that only repeats the visible caption goes.
  b->SetCaption("&Next");
  b->SetHint("Next");
  b->ReloadLook();
  EXPECT_EQ(b->Hint(), "");
  b->Text()->SetVisible(false);
  b->SetHint("Next");
  b->ReloadLook();
  EXPECT_EQ(b->Hint(), "Next");
}

TEST_F(ButtonsTest, TheKindFillsInDefaultCancelResultAndTheSystemCaption) {
  TTstLibrary library;
  struct TKindCase {
    TKyButtonKind kind;
    bool isDefault, cancel;
    TModalResult result;
    int32_t captionId, imageId;
  };
  const TKindCase cases[] = {
      {bkiOK, true, false, mrOk, 3, 9},       {bkiCancel, false, true, mrCancel, 4, 10},
      {bkiHelp, false, false, mrNone, 5, 11}, {bkiYes, true, false, mrYes, 6, 12},
      {bkiNo, false, true, mrNo, 7, 13},      {bkiClose, false, true, mrOk, 8, 14},
      {bkiAbort, false, false, mrAbort, 9, 15}, {bkiRetry, false, false, mrRetry, 10, 16},
      {bkiIgnore, false, false, mrIgnore, 11, 17}, {bkiAll, false, false, mrAll, 12, 18},
      {bkiCommit, true, false, mrNone, 13, 19}, {bkiRollBack, false, true, mrNone, 14, 20},
      {bkiDetail, false, false, mrNone, 15, 21},
  };
  for (const TKindCase& c : cases) {
    SCOPED_TRACE(EnumInfo(c.kind).Name(c.kind));
    TKyBitBtn b(&form);
    b.SetKind(c.kind);
    EXPECT_EQ(b.Default(), c.isDefault);
    EXPECT_EQ(b.Cancel(), c.cancel);
    EXPECT_EQ(b.ModalResult(), c.result);
    EXPECT_EQ(b.CaptionId()->PkgName(), "System");
    EXPECT_EQ(b.CaptionId()->Id(), c.captionId);
    EXPECT_EQ(b.Image()->Image()->Id(), c.imageId);
    // The caption is the library's own text of that id.
    std::string expected = TKyMemoryLabel(nullptr, "System", c.captionId).Caption();
    EXPECT_FALSE(expected.empty());
    EXPECT_EQ(b.Caption(), expected);
  }
}

TEST_F(ButtonsTest, EnterAndEscapeOnAModalFormGiveTheKindsModalResult) {
  TTstLibrary library;
  struct TKeyCase {
    uint16_t key;
    TModalResult want;
  };
  for (TKeyCase c : {TKeyCase{VK_RETURN, mrOk}, TKeyCase{VK_ESCAPE, mrCancel}}) {
    SCOPED_TRACE(c.key);
    TForm dialog(nullptr);
    dialog.SetFormClientWidth(240);
    dialog.SetFormClientHeight(80);
    auto* ok = new TKyBitBtn(&dialog);
    ok->SetParent(&dialog);
    ok->SetBounds(10, 10, 90, 30);
    ok->SetKind(bkiOK);
    auto* cancel = new TKyBitBtn(&dialog);
    cancel->SetParent(&dialog);
    cancel->SetBounds(120, 10, 90, 30);
    cancel->SetKind(bkiCancel);
    auto* edit = new TEdit(&dialog);
    edit->SetParent(&dialog);
    edit->SetBounds(10, 50, 90, 20);
    EXPECT_NE(dynamic_cast<IKyPushButton*>(ok), nullptr);
    int okClicks = 0, cancelClicks = 0;
    ok->OnClick = [&](TObject*) { ++okClicks; };
    cancel->OnClick = [&](TObject*) { ++cancelClicks; };
    dialog.SetActiveControl(edit);
    dialog.HandleNeeded();
    // Waiting in the queue when the modal loop starts.
    PostMessageA(edit->Handle(), WM_KEYDOWN, c.key, 1);
    EXPECT_EQ(dialog.ShowModal(), c.want);
    EXPECT_EQ(okClicks, c.key == VK_RETURN ? 1 : 0);
    EXPECT_EQ(cancelClicks, c.key == VK_ESCAPE ? 1 : 0);
    EXPECT_FALSE(dialog.Visible());
  }
}

TEST_F(ButtonsTest, AMouseClickOnABitButtonClicksOnce) {
  auto* b = new TKyBitBtn(&form);
  b->SetParent(&form);
  b->SetBounds(10, 10, 90, 30);
  int n = 0;
  b->OnClick = [&](TObject*) { ++n; };
  form.Show();
  Pump();
  PostClick(b, 20, 10);
  EXPECT_TRUE(PumpUntil([&] { return n == 1; }));
  PostMouse(b, WM_LBUTTONDOWN, 20, 10, MK_LBUTTON);
  PostMouse(b, WM_MOUSEMOVE, 200, 10, MK_LBUTTON);
  PostMouse(b, WM_LBUTTONUP, 200, 10);
  Pump();
  EXPECT_EQ(n, 1) << "released outside";
}

TEST_F(ButtonsTest, EachStatePaintsItsOwnBackground) {
  TKyCApplication app(nullptr);
  const TKyColor up = KyRGB(200, 0, 0), over = KyRGB(0, 160, 0), down = KyRGB(0, 0, 200),
                 disabled = KyRGB(120, 120, 120), exclusive = KyRGB(200, 200, 0);
  app.PkgDisplay()->AddBackGround("sbUp")->SetColor(up);
  app.PkgDisplay()->AddBackGround("sbOver")->SetColor(over);
  app.PkgDisplay()->AddBackGround("sbDown")->SetColor(down);
  app.PkgDisplay()->AddBackGround("sbDisabled")->SetColor(disabled);
  app.PkgDisplay()->AddBackGround("sbExclusive")->SetColor(exclusive);
  TKySpeedButton* b = AddButton(10, 10, 80, 40);
  TKySpeedButton* away = AddButton(150, 10, 80, 40);
  b->BGsButton()->SetBGUp()->SetName("sbUp");
  b->BGsButton()->SetBGOver()->SetName("sbOver");
  b->BGsButton()->SetBGDown()->SetName("sbDown");
  b->BGsButton()->SetBGDisabled()->SetName("sbDisabled");
  b->BGsButton()->SetBGExclusive()->SetName("sbExclusive");
  form.Show();
  Pump();
  auto centre = [&] { return TSnapshot(&form).Pixel(50, 30); };
  auto formPixel = [&] { return TSnapshot(&form).Pixel(5, 5); };
  EXPECT_EQ(centre(), up);
  EXPECT_EQ(formPixel(), kClWhite) << "nothing outside the button";
  PostMouse(b, WM_MOUSEMOVE, 40, 20);
  ASSERT_TRUE(PumpUntil([&] { return b->MouseInside(); }));
  EXPECT_EQ(centre(), over);
  Press(b, 40, 20);
  EXPECT_EQ(centre(), over) << "the mouse over the button wins over pressed";
  PostMouse(away, WM_MOUSEMOVE, 5, 5, MK_LBUTTON);
  PumpUntil([&] { return !b->MouseInside(); });
  Drag(b, 40, 20);
  PumpUntil([&] { return b->DrawnPressed(); });
  b->BGsButton()->SetBGOver()->SetName("");
  EXPECT_EQ(centre(), down);
  Release(b, 40, 20);
  EXPECT_NE(centre(), down);
  // A grouped button that is down shows the exclusive look.
  b->SetGroupIndex(1);
  b->SetDown(true);
  EXPECT_EQ(centre(), exclusive);
  b->SetEnabled(false);
  EXPECT_EQ(centre(), disabled);
  // Without its own set a state falls back to the shape's background.
  b->BGsButton()->SetBGDisabled()->SetName("");
  b->SetBackGround()->SetName("sbUp");
  EXPECT_EQ(centre(), up);
}

TEST_F(ButtonsTest, ABitButtonPaintsItsBackgroundAndItsFocusMark) {
  TKyCApplication app(nullptr);
  const TKyColor face = KyRGB(0, 120, 200), focusColour = KyRGB(250, 0, 250);
  app.PkgDisplay()->AddBackGround("bbFace")->SetColor(face);
  app.PkgDisplay()->AddColor("bbFocus")->SetColor(focusColour);
  auto* b = new TKyBitBtn(&form);
  b->SetParent(&form);
  b->SetBounds(10, 10, 90, 40);
  b->SetTabStop(true);
  b->SetBackGround()->SetName("bbFace");
  b->SetFocusStyle(fcsDouble);
  b->SetDefaultStyle(fcsNone);
  b->SetColFocus()->SetName("bbFocus");
  auto* other = new TKyBitBtn(&form);
  other->SetParent(&form);
  other->SetBounds(150, 10, 90, 40);
  other->SetTabStop(true);
  form.Show();
  form.FocusControl(other);
  Pump();
  auto pixel = [&](int x, int y) { return TSnapshot(&form).Pixel(10 + x, 10 + y); };
  EXPECT_EQ(pixel(45, 20), face);
  EXPECT_NE(pixel(3, 20), focusColour);
  form.FocusControl(b);
  ASSERT_TRUE(PumpUntil([&] { return b->Focused(); }));
  EXPECT_EQ(pixel(45, 20), face);
  // fcsDouble: two pixels of the colour inside the 2-pixel inset.
  EXPECT_EQ(pixel(2, 20), focusColour);
  EXPECT_EQ(pixel(3, 20), focusColour);
  EXPECT_EQ(pixel(86, 20), focusColour);
  b->SetEnabled(false);
  Pump();
  EXPECT_NE(pixel(2, 20), focusColour) << "no mark on a disabled button";
}

TEST_F(ButtonsTest, EveryPublishedPropertyOfASpeedButtonStreamsThroughATextForm) {
  const std::string text =
      "object FrTest: TForm\n"
      "  object BtNext: TKySpeedButton\n"
      "    Left = 12\n"
      "    Top = 14\n"
      "    Width = 90\n"
      "    Height = 28\n"
      "    Cursor = crHandPoint\n"
      "    Hint = 'Go on'\n"
      "    AlignVer = alvBottom\n"
      "    AlignHor = alhRight\n"
      "    AllowAllUp = True\n"
      "    GroupIndex = 3\n"
      "    Down = True\n"
      "    ModalResult = mrOk\n"
      "    Repeats.Active = True\n"
      "    Repeats.StartTime = 300\n"
      "    Repeats.NextTime = 50\n"
      "    DefaultAction = btaMenu\n"
      "    ButtonDown.Style = btsImage\n"
      "    ButtonDown.Shape.Shape = shaEllipse\n"
      "    ButtonDown.Image.Image.PkgName = 'System'\n"
      "    ButtonDown.Image.Image.Id = 7\n"
      "    ButtonDown.ImagesButton.ImageUp.PkgName = 'Img'\n"
      "    ButtonDown.ImagesButton.ImageUp.Id = 1\n"
      "    ButtonDown.BGsButton.SEtBGDisabled.Name = 'sbGrey'\n"
      "    ButtonDown.Visible = True\n"
      "    ButtonDown.Sync = False\n"
      "    ButtonDown.Width = 15\n"
      "    ButtonDown.SetBackGround.Name = 'sbDrop'\n"
      "    ButtonDown.BorderStyle = bosSingle\n"
      "    Text.FontStyle = fos3DLight\n"
      "    Text.Angle = 90\n"
      "    Text.SetFont.Name = 'sf2'\n"
      "    Text.SetColLight.Name = 'sc5'\n"
      "    Shape.MarginLeftRight = 2\n"
      "    Shape.Pen.Width = 2\n"
      "    Margin = 3\n"
      "    Image.Width = 20\n"
      "    Image.Visible = False\n"
      "    Image.Layout = iclTop\n"
      "    Image.SelShadow = True\n"
      "    Caption = '&Next'\n"
      "    CaptionId.PkgName = 'Idioma'\n"
      "    CaptionId.Id = 12\n"
      "    Shadow = True\n"
      "    Flat = True\n"
      "    Style = btsImage\n"
      "    ImagesButton.ImageUp.PkgName = 'Img'\n"
      "    ImagesButton.ImageUp.Id = 2\n"
      "    ImagesButton.ImageExclusive.PkgName = 'Img'\n"
      "    ImagesButton.ImageExclusive.Id = 3\n"
      "    BGsButton.SetBGOver.Name = 'sbOver'\n"
      "    BGsButton.SetBGExclusive.Name = 'sbExcl'\n"
      "    SetBackGround.Name = 'sb14'\n"
      "    SetColBox.Name = 'scBox'\n"
      "    SetColSelBox.Name = 'scSel'\n"
      "    BorderStyle = bosSingle\n"
      "    MouseRgn = True\n"
      "    Privilege.Id = 4\n"
      "    Visible = False\n"
      "    Enabled = False\n"
      "  end\n"
      "end\n";
  TForm root(nullptr);
  ReadComponentBytes(FormTextToBinary(text), &root);
  auto* b = root.Find<TKySpeedButton>("BtNext");
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(b->GroupIndex(), 3);
  EXPECT_TRUE(b->Down());
  EXPECT_EQ(b->Repeats()->NextTime(), 50);
  EXPECT_EQ(b->ButtonDown()->Width(), 15);
  EXPECT_EQ(b->ButtonDown()->BGsButton()->SetBGDisabled()->Name(), "sbGrey");
  EXPECT_EQ(b->Text()->Angle(), 90);
  EXPECT_EQ(b->Image()->Layout(), iclTop);
  EXPECT_TRUE(b->Image()->SelShadow());
  EXPECT_EQ(b->Caption(), "&Next");
  EXPECT_EQ(b->CaptionId()->Id(), 12);
  EXPECT_EQ(b->ImagesButton()->ImageExclusive()->Id(), 3);
  EXPECT_EQ(b->BGsButton()->SetBGExclusive()->Name(), "sbExcl");
  EXPECT_EQ(b->SetColSelBox()->Name(), "scSel");
  EXPECT_EQ(b->BorderStyle(), bosSingle);
  EXPECT_FALSE(b->Visible());
  EXPECT_FALSE(b->Enabled());
  EXPECT_EQ(b->DefaultAction(), btaMenu);
  // Written back, every value is there again, as it was read.
  std::string written = FormBinaryToText(WriteComponentBytes(&root));
  ExpectEveryLineWrittenBack(ObjectBlock(text, "BtNext"), ObjectBlock(written, "BtNext"));
  // What was written reads back to the same form.
  TForm again(nullptr);
  ReadComponentBytes(FormTextToBinary(written), &again);
  EXPECT_EQ(ObjectBlock(FormBinaryToText(WriteComponentBytes(&again)), "BtNext"), ObjectBlock(written, "BtNext"));
}

TEST_F(ButtonsTest, EveryPublishedPropertyOfABitButtonStreamsThroughATextForm) {
  const std::string text =
      "object FrTest: TForm\n"
      // Sized so that the centred button sits where it is written.
      "  BorderStyle = bsNone\n"
      "  ClientWidth = 140\n"
      "  ClientHeight = 92\n"
      "  object BtOk: TKyBitBtn\n"
      "    Left = 20\n"
      "    Top = 30\n"
      "    Width = 100\n"
      "    Height = 32\n"
      "    Hint = 'Accept'\n"
      "    HelpContext = 7\n"
      "    AlignVer = alvCentered\n"
      "    AlignHor = alhCentered\n"
      "    ModalResult = mrYes\n"
      "    Cancel = True\n"
      "    Default = True\n"
      "    UpdateValues = False\n"
      "    Style = btsImage\n"
      "    Text.FontStyle = fos3D\n"
      "    BorderStyle = bosNone\n"
      "    SetBackGround.Name = 'sb3'\n"
      "    Shadow = True\n"
      "    Margin = 6\n"
      "    Image.Layout = iclRight\n"
      "    Image.Spacing = 4\n"
      "    ImagesButton.ImageUp.PkgName = 'Img'\n"
      "    ImagesButton.ImageUp.Id = 5\n"
      "    ImagesButton.ImageDisabled.PkgName = 'Img'\n"
      "    ImagesButton.ImageDisabled.Id = 6\n"
      "    BGsButton.SetBGDown.Name = 'sbDown'\n"
      "    BGsButton.SetBGDisabled.Name = 'sbGrey'\n"
      "    Caption = '&Yes'\n"
      "    CaptionId.PkgName = 'Idioma'\n"
      "    CaptionId.Id = 4\n"
      "    Shape.Shape = shaRoundRect\n"
      "    Shape.Pen.Width = 3\n"
      "    Grid = False\n"
      "    FocusStyle = fcsColGrid\n"
      "    DefaultStyle = fcsDouble\n"
      "    SetColFocus.Name = 'scFoc'\n"
      "    SetColDefault.Name = 'scDef'\n"
      "    Privilege.Id = 4\n"
      "    Visible = False\n"
      "    Enabled = False\n"
      "    TabStop = True\n"
      "  end\n"
      "end\n";
  TForm root(nullptr);
  ReadComponentBytes(FormTextToBinary(text), &root);
  auto* b = root.Find<TKyBitBtn>("BtOk");
  ASSERT_NE(b, nullptr);
  EXPECT_TRUE(b->Default());
  EXPECT_TRUE(b->Cancel());
  EXPECT_EQ(b->ModalResult(), mrYes);
  EXPECT_FALSE(b->UpdateValues());
  EXPECT_EQ(b->Style(), btsImage);
  EXPECT_EQ(b->Shape()->Shape(), shaRoundRect);
  EXPECT_EQ(b->FocusStyle(), fcsColGrid);
  EXPECT_EQ(b->DefaultStyle(), fcsDouble);
  EXPECT_EQ(b->SetColDefault()->Name(), "scDef");
  EXPECT_EQ(b->BGsButton()->SetBGDisabled()->Name(), "sbGrey");
  EXPECT_EQ(b->Margin(), 6);
  EXPECT_FALSE(b->Grid());
  EXPECT_TRUE(b->TabStop());
  std::string written = FormBinaryToText(WriteComponentBytes(&root));
  ExpectEveryLineWrittenBack(ObjectBlock(text, "BtOk"), ObjectBlock(written, "BtOk"));
  // What was written reads back to the same form.
  TForm again(nullptr);
  ReadComponentBytes(FormTextToBinary(written), &again);
  EXPECT_EQ(ObjectBlock(FormBinaryToText(WriteComponentBytes(&again)), "BtOk"), ObjectBlock(written, "BtOk"));
}

// A flat button at rest lets its parent show; under the mouse it shows its
// frame and background.
TEST_F(ButtonsTest, AFlatButtonAtRestShowsItsParent) {
  TKySpeedButton* b = AddButton(20);
  b->SetFlat(true);
  form.Show();
  ASSERT_TRUE(PumpUntil([&] { return form.HandleAllocated() && form.Visible(); }));
  Pump();
  {
    TSnapshot shot(&form);
    EXPECT_EQ(shot.Pixel(20 + 40, 10 + 15), kClWhite);
  }
  PostMouse(b, WM_MOUSEMOVE, 40, 15);
  ASSERT_TRUE(PumpUntil([&] { return b->FlatHot(); }));
  Pump();
  TSnapshot shot(&form);
  EXPECT_NE(shot.Pixel(20 + 40, 10 + 15), kClWhite);
}

// The edit being typed in commits before a button's click: speed buttons
// always, bit buttons when UpdateValues is set, by mouse, accelerator (no
// focus change) and Enter on the default button; a veto stops the click.
TEST_F(ButtonsTest, TheActiveEditCommitsBeforeTheClick) {
  enum TKind { Speed, Bit };
  enum THow { Mouse, Accelerator, Enter };
  struct Case {
    TKind kind;
    bool updateValues;
    THow how;
    bool committed;
  };
  const Case cases[] = {{Speed, true, Mouse, true},     {Speed, false, Mouse, true},
                        {Bit, true, Accelerator, true}, {Bit, false, Accelerator, false},
                        {Bit, true, Enter, true},       {Bit, false, Enter, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << (c.kind == Speed ? "speed" : "bit") << " UpdateValues " << c.updateValues
                                    << " how " << int(c.how));
    TForm f(nullptr);
    PrepareForm(f, 300, 120);
    auto* edit = new TKyEdit(&f);
    edit->SetParent(&f);
    edit->SetBounds(10, 10, 120, 22);
    edit->SetDataType(dtyInteger);
    edit->SetValue(Variant(1));
    int validations = 0;
    edit->OnValidate = [&](TObject*) { ++validations; };
    TControl* button = nullptr;
    Variant seen;
    bool clicked = false;
    auto onClick = [&](TObject*) {
      clicked = true;
      seen = edit->Value();
    };
    if (c.kind == Speed) {
      auto* b = new TKySpeedButton(&f);
      b->SetParent(&f);
      b->SetBounds(150, 10, 80, 30);
      b->OnClick = onClick;
      button = b;
    } else {
      auto* b = new TKyBitBtn(&f);
      b->SetParent(&f);
      b->SetBounds(150, 10, 80, 30);
      b->SetUpdateValues(c.updateValues);
      b->SetDefault(true);
      b->OnClick = onClick;
      button = b;
    }
    f.Show();
    Pump();
    edit->SetFocus();
    ASSERT_TRUE(PumpUntil([&] { return edit->Focused(); }));
    edit->SelectAll();
    PostChar(edit, '4');
    PostChar(edit, '2');
    ASSERT_TRUE(edit->Editing());
    switch (c.how) {
      case Mouse:
        PostClick(button, 5, 5);
        break;
      case Accelerator:
        button->Click();
        break;
      case Enter:
        PostKey(edit, VK_RETURN);
        break;
    }
    ASSERT_TRUE(clicked);
    EXPECT_EQ(seen, c.committed ? Variant(42) : Variant(1));
    EXPECT_EQ(validations, c.committed ? 1 : 0);
    EXPECT_EQ(edit->Editing(), !c.committed);
  }
  // A veto of the commit stops the click.
  TForm f(nullptr);
  PrepareForm(f, 300, 120);
  auto* edit = new TKyEdit(&f);
  edit->SetParent(&f);
  edit->SetBounds(10, 10, 120, 22);
  auto* b = new TKySpeedButton(&f);
  b->SetParent(&f);
  b->SetBounds(150, 10, 80, 30);
  int clicks = 0;
  b->OnClick = [&](TObject*) { ++clicks; };
  f.Show();
  Pump();
  edit->SetFocus();
  ASSERT_TRUE(PumpUntil([&] { return edit->Focused(); }));
  edit->OnValidate = [](TObject*) { throw Exception("no"); };
  PostChar(edit, 'x');
  std::vector<std::string> reported;
  TExceptionEvent saved = App().OnException;
  App().OnException = [&](TObject*, const std::exception& e) { reported.push_back(e.what()); };
  PostClick(b, 5, 5);
  App().OnException = saved;
  EXPECT_EQ(clicks, 0);
  ASSERT_EQ(reported.size(), 1u);
  EXPECT_EQ(reported[0], "no");
}

// A form configuration holding events back: the click commits the edit but
// runs no OnClick, gives no modal result, and the edit's OnChange stays
// quiet; let go, everything runs again.
TEST_F(ButtonsTest, SuppressedEventsStopTheClickTheModalResultAndTheEditsChange) {
  enum TKind { Speed, Bit };
  for (TKind kind : {Speed, Bit}) {
    for (bool suppressed : {false, true}) {
      SCOPED_TRACE(testing::Message() << (kind == Speed ? "speed" : "bit") << " suppressed " << suppressed);
      TForm f(nullptr);
      PrepareForm(f, 300, 120);
      auto* config = new TKyCForm(&f);
      config->SetValidationSuppressed(suppressed);
      auto* edit = new TKyEdit(&f);
      edit->SetParent(&f);
      edit->SetBounds(10, 10, 120, 22);
      int changes = 0;
      edit->OnChange = [&](TObject*) { ++changes; };
      int clicks = 0;
      TControl* button = nullptr;
      if (kind == Speed) {
        auto* b = new TKySpeedButton(&f);
        b->SetModalResult(mrYes);
        b->OnClick = [&](TObject*) { ++clicks; };
        button = b;
      } else {
        auto* b = new TKyBitBtn(&f);
        b->SetModalResult(mrYes);
        b->OnClick = [&](TObject*) { ++clicks; };
        button = b;
      }
      button->SetParent(&f);
      button->SetBounds(150, 10, 80, 30);
      f.Show();
      Pump();
      edit->SetFocus();
      ASSERT_TRUE(PumpUntil([&] { return edit->Focused(); }));
      PostChar(edit, 'a');
      EXPECT_EQ(changes, suppressed ? 0 : 1);
      ASSERT_TRUE(edit->Editing());
      PostClick(button, 5, 5);
      EXPECT_FALSE(edit->Editing()) << "the commit runs either way";
      EXPECT_EQ(edit->Value(), Variant("a"));
      EXPECT_EQ(clicks, suppressed ? 0 : 1);
      EXPECT_EQ(f.ModalResult(), suppressed ? mrNone : mrYes);
      // A form that is not modal closes on a modal result.
      EXPECT_EQ(f.Visible(), suppressed);
    }
  }
}

namespace {
// Counts the focus notices a button hears.
class TCountingBitBtn : public TKyBitBtn {
public:
  using TKyBitBtn::TKyBitBtn;
  int notices = 0;

protected:
  void WndProc(TMessage& m) override {
    if (m.Msg == CM_FOCUSCHANGED) ++notices;
    TKyBitBtn::WndProc(m);
  }
};
}  // namespace

// Default tells the whole form: every button hears the notice and shows
// the default look only while no other button has the focus.
TEST_F(ButtonsTest, DefaultRestylesEveryButtonOfTheForm) {
  auto* edit = new TKyEdit(&form);
  edit->SetParent(&form);
  edit->SetBounds(10, 80, 100, 22);
  auto* a = new TCountingBitBtn(&form);
  a->SetParent(&form);
  a->SetBounds(10, 10, 80, 30);
  auto* b = new TCountingBitBtn(&form);
  b->SetParent(&form);
  b->SetBounds(100, 10, 80, 30);
  form.Show();
  Pump();
  edit->SetFocus();
  ASSERT_TRUE(PumpUntil([&] { return edit->Focused(); }));
  a->notices = b->notices = 0;
  a->SetDefault(true);
  EXPECT_EQ(b->notices, 1) << "the other button hears it";
  EXPECT_TRUE(a->IsActive());
  EXPECT_FALSE(b->IsActive());
  a->SetDefault(false);
  b->SetDefault(true);
  EXPECT_FALSE(a->IsActive());
  EXPECT_TRUE(b->IsActive());
  // A focused button takes the look from the default one.
  a->SetFocus();
  ASSERT_TRUE(PumpUntil([&] { return a->Focused(); }));
  EXPECT_TRUE(a->IsActive());
  EXPECT_FALSE(b->IsActive());
  b->SetDefault(false);
  b->SetDefault(true);
  EXPECT_FALSE(b->IsActive()) << "the focused button keeps the default look";
  EXPECT_TRUE(a->IsActive());
}
