// Forms read from their text forms, laid out, painted, focused and shown
// modally, driven by posted input.
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/classes/FormStream.h"
#include "platform/classes/TextForm.h"
#include "platform/windows/StdCtrls.h"
#include "windows/WindowsTest.h"

using namespace ky_test;

class TTstWinFormBase : public TForm {
  KY_CLASS(TTstWinFormBase, TForm)
public:
  using TForm::TForm;
  static void Publish(TPublisher<TTstWinFormBase>& p) {
    p.Field("PnTop", &TTstWinFormBase::PnTop);
    p.Field("PnLeft", &TTstWinFormBase::PnLeft);
    p.Field("PnClient", &TTstWinFormBase::PnClient);
    p.Field("ShA", &TTstWinFormBase::ShA);
    p.Field("ShB", &TTstWinFormBase::ShB);
    p.Method("FormKeyDown", &TTstWinFormBase::FormKeyDown);
  }
  void FormKeyDown(TObject*, uint16_t& key, TShiftState) {
    PreviewKeys.push_back(key);
    if (key == 'X') key = 0;
  }
  TTstPanel* PnTop = nullptr;
  TTstPanel* PnLeft = nullptr;
  TTstPanel* PnClient = nullptr;
  TTstShape* ShA = nullptr;
  TTstShape* ShB = nullptr;
  std::vector<uint16_t> PreviewKeys;
};

class TTstWinForm : public TTstWinFormBase {
  KY_CLASS(TTstWinForm, TTstWinFormBase)
public:
  using TTstWinFormBase::TTstWinFormBase;
  static void Publish(TPublisher<TTstWinForm>& p) {
    p.Field("PnBottom", &TTstWinForm::PnBottom);
    p.Field("BxOne", &TTstWinForm::BxOne);
    p.Field("BxTwo", &TTstWinForm::BxTwo);
    p.Field("BxThree", &TTstWinForm::BxThree);
    p.Field("BtOk", &TTstWinForm::BtOk);
    p.Field("BtCancel", &TTstWinForm::BtCancel);
    p.Method("BtOkClick", &TTstWinForm::BtOkClick);
  }
  void BtOkClick(TObject*) {
    ++OkClicks;
    if (ThrowOnOk) throw Exception("The Ok handler failed");
  }
  TTstPanel* PnBottom = nullptr;
  TTstBox* BxOne = nullptr;
  TTstBox* BxTwo = nullptr;
  TTstBox* BxThree = nullptr;
  TButton* BtOk = nullptr;
  TButton* BtCancel = nullptr;
  int OkClicks = 0;
  bool ThrowOnOk = false;
};

namespace {

class FormsTest : public ::testing::Test {
protected:
  void SetUp() override {
    App();
    RegisterClasses({&TTstWinFormBase::StaticClass(), &TTstWinForm::StaticClass()});
    form.reset(CreateForm<TTstWinForm>(nullptr));
  }
  void TearDown() override {
    form.reset();
    Pump();
  }
  // A point of a control's client area in the form's client area.
  TPoint InForm(TControl* c, int x, int y) {
    for (; c && c != form.get(); c = c->Parent()) {
      x += c->Left();
      y += c->Top();
    }
    return {x, y};
  }
  std::unique_ptr<TTstWinForm> form;
};

TEST_F(FormsTest, ReadsNestedChildrenAndTheInsertedChildsPlace) {
  ASSERT_NE(form->PnBottom, nullptr);
  ASSERT_NE(form->BxThree, nullptr);
  EXPECT_EQ(form->Caption(), "Derived form");
  EXPECT_TRUE(form->KeyPreview());
  // "[0]" put the derived form's panel before the inherited ones.
  ASSERT_EQ(form->ControlCount(), 4);
  EXPECT_EQ(form->Controls(0), form->PnBottom);
  EXPECT_EQ(form->Controls(1), form->PnTop);
  EXPECT_EQ(form->Controls(3), form->PnClient);
  EXPECT_EQ(form->ShB->Parent(), form->PnClient);
  EXPECT_EQ(form->BtOk->Parent(), form->PnClient);
  EXPECT_EQ(form->BtOk->OnClick.MethodName(), "BtOkClick");
  EXPECT_EQ(form->ClientWidth(), 300);
  EXPECT_EQ(form->ClientHeight(), 200);
  // The window made later has that client size, whatever its frame.
  form->HandleNeeded();
  RECT r;
  GetClientRect(form->Handle(), &r);
  EXPECT_EQ(r.right, 300);
  EXPECT_EQ(r.bottom, 200);
}

TEST_F(FormsTest, WritesTheChildPlaceItReadsBack) {
  std::unique_ptr<TTstWinFormBase> base(CreateForm<TTstWinFormBase>(nullptr));
  std::string text = FormBinaryToText(WriteComponentBytes(form.get(), base.get()));
  EXPECT_NE(text.find("object PnBottom: TTstPanel [0]"), std::string::npos) << text;
  EXPECT_NE(text.find("inherited PnTop: TTstPanel [1]"), std::string::npos) << text;

  // Read into a fresh form of the derived class on top of the ancestor's resource.
  std::unique_ptr<TTstWinForm> again(new TTstWinForm(nullptr));
  TFormLoading loading;
  std::vector<uint8_t> baseBytes;
  ASSERT_TRUE(FindFormResource("TTstWinFormBase", baseBytes));
  TMemoryStream baseStream(baseBytes);
  TReader(baseStream).ReadRootComponent(again.get(), loading);
  std::vector<uint8_t> bytes = FormTextToBinary(text);
  TMemoryStream derived(bytes);
  TReader(derived).ReadRootComponent(again.get(), loading);
  loading.Finish();
  ASSERT_EQ(again->ControlCount(), 4);
  EXPECT_EQ(again->Controls(0)->Name(), "PnBottom");
  EXPECT_EQ(again->Controls(1)->Name(), "PnTop");
}

struct TAlignCase {
  int w, h;
};

TEST_F(FormsTest, AlignedChildrenFollowEveryResize) {
  form->HandleNeeded();
  // Sizes above the platform's smallest window; 40 high leaves the middle
  // row nothing.
  for (TAlignCase c : {TAlignCase{300, 200}, TAlignCase{420, 260}, TAlignCase{160, 60}, TAlignCase{200, 40}}) {
    SCOPED_TRACE(std::to_string(c.w) + "x" + std::to_string(c.h));
    form->SetFormClientWidth(c.w);
    form->SetFormClientHeight(c.h);
    Pump();
    ASSERT_EQ(form->ClientWidth(), c.w);
    ASSERT_EQ(form->ClientHeight(), c.h);
    int middle = std::max(c.h - 50, 0);
    EXPECT_EQ(form->PnTop->BoundsRect(), TRect(0, 0, c.w, 30));
    EXPECT_EQ(form->PnBottom->BoundsRect(), TRect(0, c.h - 20, c.w, c.h));
    EXPECT_EQ(form->PnLeft->BoundsRect(), TRect(0, 30, 40, 30 + middle));
    EXPECT_EQ(form->PnClient->BoundsRect(), TRect(40, 30, std::max(c.w, 40), 30 + middle));
    // The windows are where the controls say.
    RECT r;
    GetWindowRect(form->PnClient->Handle(), &r);
    MapWindowPoints(nullptr, form->Handle(), reinterpret_cast<POINT*>(&r), 2);
    EXPECT_EQ(TRect(r.left, r.top, r.right, r.bottom), form->PnClient->BoundsRect());
  }
}

TEST_F(FormsTest, PaintsChildrenInZOrderClippedToTheirBounds) {
  form->HandleNeeded();
  struct TProbe {
    TControl* in;
    int x, y;
    TKyColor want;
  };
  auto check = [&](std::initializer_list<TProbe> probes) {
    TSnapshot shot(form.get());
    for (const TProbe& p : probes) {
      TPoint at = InForm(p.in, p.x, p.y);
      EXPECT_EQ(shot.Pixel(at.X, at.Y), p.want) << p.in->Name() << " at " << p.x << "," << p.y;
    }
  };
  check({{form->PnTop, 5, 5, kClRed},
         {form->PnBottom, 5, 5, kClBlue},
         {form->PnLeft, 5, 5, kClLime},
         {form->PnClient, 5, 5, kClWhite},
         {form->ShA, 5, 5, kClGreen},
         {form->ShB, 35, 35, kClNavy},
         // The overlap belongs to the later control.
         {form->ShA, 35, 35, kClNavy},
         // A shape's paint stays inside its bounds.
         {form->PnClient, 75, 75, kClWhite}});
  form->ShA->BringToFront();
  check({{form->ShA, 35, 35, kClGreen}, {form->ShB, 35, 35, kClNavy}});
  form->ShA->SetVisible(false);
  check({{form->ShA, 5, 5, kClWhite}, {form->ShA, 35, 35, kClNavy}});
}

TEST_F(FormsTest, EraseBackgroundLeavesEverythingToThePaintPass) {
  form->Show();
  EXPECT_EQ(SendMessageA(form->Handle(), WM_ERASEBKGND, 0, 0), 1);
  int before = form->PnClient->Paints;
  form->PnClient->Invalidate();
  ASSERT_TRUE(PumpUntil([&] { return form->PnClient->Paints > before; }));
}

TEST_F(FormsTest, TabMovesThroughTheTabOrderBothWays) {
  form->Show();
  form->FocusControl(form->BxTwo);
  Pump();
  ASSERT_TRUE(form->BxTwo->Focused());
  // Tab order: BxTwo (0), BxThree (1), BxOne (2), the buttons after them.
  std::vector<TWinControl*> forward = {form->BxThree, form->BxOne, form->BtOk, form->BtCancel, form->BxTwo};
  for (TWinControl* next : forward) {
    PostKey(form->BxTwo, VK_TAB);
    ASSERT_TRUE(PumpUntil([&] { return next->Focused(); })) << next->Name();
    EXPECT_EQ(form->ActiveControl(), next);
  }
  {
    TShiftDown shift;
    PostKey(form->BxTwo, VK_TAB);
    ASSERT_TRUE(PumpUntil([&] { return form->BtCancel->Focused(); }));
  }
  EXPECT_GE(form->BxTwo->Exits, 1);
  EXPECT_GE(form->BxThree->Enters, 1);
}

TEST_F(FormsTest, KeyPreviewSeesKeysFirstAndMaySwallowThem) {
  form->Show();
  form->FocusControl(form->BxTwo);
  Pump();
  PostKey(form->BxTwo, 'A');
  PostKey(form->BxTwo, 'X');
  PostKey(form->BxTwo, 'B');
  EXPECT_EQ(form->PreviewKeys, (std::vector<uint16_t>{'A', 'X', 'B'}));
  EXPECT_EQ(form->BxTwo->Keys, (std::vector<uint16_t>{'A', 'B'}));
  form->SetKeyPreview(false);
  PostKey(form->BxTwo, 'C');
  EXPECT_EQ(form->PreviewKeys.size(), 3u);
  EXPECT_EQ(form->BxTwo->Keys.back(), 'C');
}

struct TModalCase {
  uint16_t key;
  TModalResult want;
  int okClicks;
};

TEST_F(FormsTest, EnterAndEscapeClickTheDefaultAndCancelButtonsOfAModalForm) {
  for (TModalCase c : {TModalCase{VK_RETURN, mrOk, 1}, TModalCase{VK_ESCAPE, mrCancel, 0}}) {
    SCOPED_TRACE(c.key);
    form->OkClicks = 0;
    form->SetActiveControl(form->BxTwo);
    form->HandleNeeded();
    // Waiting in the queue when the modal loop starts.
    PostMessageA(form->BxTwo->Handle(), WM_KEYDOWN, c.key, 1);
    EXPECT_EQ(form->ShowModal(), c.want);
    EXPECT_EQ(form->OkClicks, c.okClicks);
    EXPECT_FALSE(form->Visible());
  }
}

TEST_F(FormsTest, AnOtherButtonWithTheFocusTakesEnterFromTheDefaultOne) {
  form->Show();
  form->FocusControl(form->BtCancel);
  Pump();
  EXPECT_TRUE(form->BtCancel->IsActive());
  EXPECT_FALSE(form->BtOk->IsActive());
  form->FocusControl(form->BxOne);
  Pump();
  EXPECT_TRUE(form->BtOk->IsActive());
}

TEST_F(FormsTest, CloseQueryCanKeepAModalFormOpen) {
  int asked = 0;
  form->OnCloseQuery = [&](TObject*, bool& canClose) {
    canClose = ++asked > 1;
    if (asked == 1) PostMessageA(form->Handle(), WM_CLOSE, 0, 0);
  };
  form->HandleNeeded();
  PostMessageA(form->Handle(), WM_CLOSE, 0, 0);
  EXPECT_EQ(form->ShowModal(), mrCancel);
  EXPECT_EQ(asked, 2);
}

TEST_F(FormsTest, AnExceptionInAHandlerReachesOnException) {
  std::vector<std::string> seen;
  TExceptionEvent saved = App().OnException;
  App().OnException = [&](TObject* sender, const std::exception& e) {
    seen.push_back(std::string(e.what()) + " from " + static_cast<TComponent*>(sender)->Name());
  };
  form->ThrowOnOk = true;
  form->Show();
  PostClick(form->BtOk, 5, 5);
  PumpUntil([&] { return !seen.empty(); });
  App().OnException = saved;
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0], "The Ok handler failed from BtOk");
  EXPECT_EQ(form->OkClicks, 1);
  // The loop goes on.
  form->ThrowOnOk = false;
  PostClick(form->BtOk, 5, 5);
  EXPECT_TRUE(PumpUntil([&] { return form->OkClicks == 2; }));
}

TEST_F(FormsTest, MouseInputReachesWindowlessControlsInTheirOwnCoordinates) {
  form->Show();
  TTstShape* b = form->ShB;
  PostClick(b, 35, 35);
  EXPECT_EQ(b->Clicks, 1);
  EXPECT_EQ(b->Log, (std::vector<std::string>{"down 35,35", "click", "up 35,35"}));
  EXPECT_EQ(form->ShA->Clicks, 0);
  // Pressed inside, released outside: the capture keeps the control, no click.
  b->Log.clear();
  PostMouse(b, WM_LBUTTONDOWN, 5, 5, MK_LBUTTON);
  PostMouse(b, WM_MOUSEMOVE, 60, 60, MK_LBUTTON);
  PostMouse(b, WM_LBUTTONUP, 60, 60);
  EXPECT_EQ(b->Log, (std::vector<std::string>{"down 5,5", "up 60,60"}));
  EXPECT_EQ(b->Clicks, 1);
  // Disabled controls get nothing.
  b->SetEnabled(false);
  PostClick(b, 35, 35);
  EXPECT_EQ(b->Clicks, 1);
}

TEST_F(FormsTest, MovingTheMouseBetweenControlsSendsEnterAndLeave) {
  form->Show();
  PostMouse(form->ShA, WM_MOUSEMOVE, 5, 5);
  EXPECT_EQ(form->ShA->Enters, 1);
  EXPECT_EQ(MouseControl(), form->ShA);
  PostMouse(form->ShB, WM_MOUSEMOVE, 30, 30);
  EXPECT_EQ(form->ShA->Leaves, 1);
  EXPECT_EQ(form->ShB->Enters, 1);
  PostMouse(form->PnClient, WM_MOUSEMOVE, 2, 2);
  EXPECT_EQ(form->ShB->Leaves, 1);
  EXPECT_EQ(MouseControl(), form->PnClient);
}

struct TStyleCase {
  TFormBorderStyle style;
  TBorderIcons icons;
  uint32_t styleOn, styleOff, exOn, exOff;
};

TEST(FormWindows, BorderStylesAndIconsGiveTheirWindowBits) {
  App();
  const TBorderIcons all{biSystemMenu, biMinimize, biMaximize};
  const TStyleCase cases[] = {
      {bsNone, all, WS_POPUP, WS_CAPTION | WS_THICKFRAME | WS_SYSMENU, 0, 0},
      {bsSingle, all, WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX, WS_THICKFRAME, 0, WS_EX_TOOLWINDOW},
      {bsSizeable, all, WS_CAPTION | WS_THICKFRAME | WS_MAXIMIZEBOX, 0, 0, WS_EX_DLGMODALFRAME},
      {bsSizeable, {biSystemMenu}, WS_SYSMENU, WS_MINIMIZEBOX | WS_MAXIMIZEBOX, 0, WS_EX_CONTEXTHELP},
      {bsSizeable, {biMinimize}, WS_CAPTION, WS_SYSMENU | WS_MINIMIZEBOX, 0, 0},
      {bsDialog, all, WS_CAPTION | WS_SYSMENU, WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX, WS_EX_DLGMODALFRAME, 0},
      {bsDialog, {biSystemMenu, biHelp}, WS_SYSMENU, WS_MINIMIZEBOX, WS_EX_CONTEXTHELP, 0},
      {bsToolWindow, all, WS_CAPTION | WS_SYSMENU, WS_THICKFRAME | WS_MINIMIZEBOX, WS_EX_TOOLWINDOW, 0},
      {bsSizeToolWin, all, WS_THICKFRAME, WS_MAXIMIZEBOX, WS_EX_TOOLWINDOW, 0},
  };
  for (const TStyleCase& c : cases) {
    SCOPED_TRACE(EnumInfo(c.style).Name(c.style) + " " + std::to_string(c.icons.Bits()));
    std::unique_ptr<TForm> f(CreateForm<TForm>(nullptr));
    f->SetBorderStyle(c.style);
    f->SetBorderIcons(c.icons);
    f->SetBounds(10, 10, 200, 150);
    uint32_t style = static_cast<uint32_t>(GetWindowLongA(f->Handle(), GWL_STYLE));
    uint32_t ex = static_cast<uint32_t>(GetWindowLongA(f->Handle(), GWL_EXSTYLE));
    EXPECT_EQ(style & c.styleOn, c.styleOn);
    EXPECT_EQ(style & c.styleOff, 0u);
    EXPECT_EQ(ex & c.exOn, c.exOn);
    EXPECT_EQ(ex & c.exOff, 0u);
    // The client size survives a change of style.
    f->SetFormClientWidth(180);
    f->SetBorderStyle(c.style == bsNone ? bsSingle : bsNone);
    EXPECT_EQ(f->ClientWidth(), 180);
  }
}

TEST(FormWindows, ScreenCenterPutsTheFormInTheMiddleOfTheWorkArea) {
  App();
  std::unique_ptr<TForm> f(CreateForm<TForm>(nullptr));
  f->SetBounds(0, 0, 300, 200);
  f->SetPosition(poScreenCenter);
  f->Show();
  RECT work;
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  EXPECT_NEAR(f->Left() + 150, (work.left + work.right) / 2, 1);
  EXPECT_NEAR(f->Top() + 100, (work.top + work.bottom) / 2, 1);
  EXPECT_TRUE(IsWindowVisible(f->Handle()));
  f->Hide();
  EXPECT_FALSE(IsWindowVisible(f->Handle()));
}

TEST(FormWindows, ClosingTheMainFormEndsTheRun) {
  App();
  std::unique_ptr<TForm> f(CreateForm<TForm>(nullptr));
  TCustomForm* savedMain = App().MainForm();
  App().SetMainForm(f.get());
  int closes = 0;
  f->OnClose = [&](TObject*, TCloseAction&) { ++closes; };
  f->OnShow = [&](TObject*) { PostMessageA(f->Handle(), WM_CLOSE, 0, 0); };
  App().Run();
  EXPECT_TRUE(App().Terminated());
  EXPECT_EQ(closes, 1);
  App().ResetTerminated();
  App().SetMainForm(savedMain);
  // The quit message of Terminate is gone; the next pump must not end anything.
  Pump();
  EXPECT_FALSE(App().Terminated());
}

}  // namespace

namespace {

// The message box of the fallback report runs its own modal loop: a hook on
// this thread notes its text and answers it when it is activated.
HHOOK gReportHook = nullptr;
std::vector<std::string> gReportBoxes;

LRESULT CALLBACK AnswerReportBox(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HCBT_ACTIVATE) {
    HWND box = reinterpret_cast<HWND>(wParam);
    char cls[32] = {0};
    GetClassNameA(box, cls, sizeof cls);
    if (std::string(cls) == "#32770") {
      char text[256] = {0};
      GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
      gReportBoxes.push_back(text);
      PostMessageA(box, WM_COMMAND, IDOK, 0);
    }
  }
  return CallNextHookEx(gReportHook, code, wParam, lParam);
}

}  // namespace

// An OnException that itself raises never leaves HandleException (so never
// the window procedure), whatever was raised first: one plain box says so.
TEST(ApplicationExceptions, ADisplayThatRaisesStaysInsideHandleException) {
  App();
  TExceptionEvent saved = App().OnException;
  int calls = 0;
  App().OnException = [&](TObject*, const std::exception&) {
    ++calls;
    throw std::runtime_error("the display failed");
  };
  gReportHook = SetWindowsHookExA(WH_CBT, &AnswerReportBox, nullptr, GetCurrentThreadId());
  ASSERT_NE(gReportHook, nullptr);
  gReportBoxes.clear();
  auto handle = [](auto raise) {
    try {
      raise();
    } catch (...) {
      App().HandleException(nullptr);
    }
  };
  EXPECT_NO_THROW(handle([] { throw std::runtime_error("first"); }));
  EXPECT_NO_THROW(handle([] { throw 42; }));  // not a standard exception
  UnhookWindowsHookEx(gReportHook);
  App().OnException = saved;
  EXPECT_EQ(calls, 2);
  ASSERT_EQ(gReportBoxes.size(), 2u);
  for (const std::string& text : gReportBoxes) EXPECT_EQ(text, "An error occurred while reporting an error.");
}
