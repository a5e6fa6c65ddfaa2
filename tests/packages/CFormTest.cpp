// The configurations on real forms under Xvfb: the loaded pass and its
// category order, the start-up events, the form configuration's styles,
// limits, background, keys and saved layout, the exception display and
// the pictures of image references.
#include "support/WindowDriver.h"

#include <algorithm>
#include <chrono>
#include <memory>

#include "packages/CApplication.h"
#include "packages/CForm.h"
#include "packages/MessageService.h"
#include "platform/base/Stream.h"
#include "platform/classes/FormStream.h"
#include "platform/classes/TextForm.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/Icon.h"
#include "platform/graphics/Jpeg.h"
#include "platform/graphics/Palette.h"
#include "platform/graphics/Region.h"
#include "platform/windows/StdCtrls.h"
#include "platform/windows/Timers.h"
#include "support/TempDir.h"

using namespace ky_test;

namespace {

// A library component of any category that logs its loaded steps.
std::vector<std::string> gLog;

class TTstLinked : public TComponent {
  KY_CLASS(TTstLinked, TComponent)
public:
  using TComponent::TComponent;
  static void Publish(TPublisher<TTstLinked>& p) {
    p.Property("Category", &TTstLinked::Category, &TTstLinked::SetCategory).Default(-1);
  }
  int32_t Category() const { return link_ ? link_->Category() : -1; }
  void SetCategory(int32_t value) {
    link_ = std::make_unique<TKyConfigLink>(this, value);
    link_->OnLoaded = [this] { gLog.push_back("loaded " + Name()); };
    link_->OnAfterLoad = [this](TKyConfigLink& l) {
      // The configurations are ready before every later category.
      bool packagesReady = FirstApplication() && !FirstApplication()->IsLoadingPackages();
      gLog.push_back("after " + Name() + (l.Category() > 1 && !packagesReady ? " (too early)" : ""));
    };
  }

private:
  std::unique_ptr<TKyConfigLink> link_;
};

class CFormTest : public ::testing::Test {
protected:
  void SetUp() override {
    App();
    RegisterApplicationClasses();
    RegisterClasses({&TTstLinked::StaticClass()});
    gLog.clear();
    savedHandler_ = App().OnException;
  }
  void TearDown() override {
    forms_.clear();
    SetExceptionDisplay(nullptr);
    App().OnException = savedHandler_;
    App().SetMainForm(nullptr);
    App().ResetTerminated();
    Pump();
  }

  // A form read from its text, freed by the fixture.
  TForm* ReadForm(const std::string& text) { return ReadForm(FormTextToBinary(text)); }
  TForm* ReadForm(const std::vector<uint8_t>& bytes) {
    auto form = std::make_unique<TForm>(nullptr);
    ReadComponentBytes(bytes, form.get());
    forms_.push_back(std::move(form));
    return forms_.back().get();
  }
  void FreeForm(TForm* form) {
    std::erase_if(forms_, [form](const std::unique_ptr<TForm>& f) { return f.get() == form; });
  }

  std::vector<std::unique_ptr<TForm>> forms_;
  TExceptionEvent savedHandler_;
};

std::string FormText(const std::string& inside, const std::string& name = "FrTest") {
  return "object " + name + ": TForm\n  ClientWidth = 300\n  ClientHeight = 200\n" + inside + "end\n";
}

// The visible top-level windows of this thread.
int VisibleTopLevelWindows() {
  int count = 0;
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND w, LPARAM p) -> BOOL {
        if (IsWindowVisible(w)) ++*reinterpret_cast<int*>(p);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&count));
  return count;
}

// A 16 x 16 red icon without transparent parts.
HICON SolidIcon() {
  HDC screen = GetDC(nullptr);
  HBITMAP color = CreateCompatibleBitmap(screen, 16, 16);
  HBITMAP mask = CreateBitmap(16, 16, 1, 1, nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HGDIOBJ old = SelectObject(dc, color);
  RECT all{0, 0, 16, 16};
  HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
  FillRect(dc, &all, red);
  SelectObject(dc, mask);
  PatBlt(dc, 0, 0, 16, 16, BLACKNESS);
  SelectObject(dc, old);
  DeleteObject(red);
  DeleteDC(dc);
  ReleaseDC(nullptr, screen);
  ICONINFO info{TRUE, 0, 0, mask, color};
  HICON icon = CreateIconIndirect(&info);
  DeleteObject(color);
  DeleteObject(mask);
  return icon;
}

struct TTrackLimits {
  int MinW, MinH, MaxW, MaxH;
};

// What the window manager gets when it asks the window for its limits.
TTrackLimits AskLimits(TWinControl* form) {
  MINMAXINFO info{};
  info.ptMinTrackSize = {1, 1};
  info.ptMaxTrackSize = {5000, 5000};
  SendMessageA(form->Handle(), WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
  return {info.ptMinTrackSize.x, info.ptMinTrackSize.y, info.ptMaxTrackSize.x, info.ptMaxTrackSize.y};
}

}  // namespace

// ---- The loaded pass ----

TEST_F(CFormTest, LoadedStepsRunOnceAfterTheWholeFormInCategoryOrder) {
  std::string inside;
  // Registered in this order; served 2, 3, 1, 4, 5, 6, 7, 8, 0.
  for (int c : {0, 8, 1, 6, 4, 2, 7, 3, 5})
    inside += "  object L" + std::to_string(c) + ": TTstLinked\n    Category = " + std::to_string(c) + "\n  end\n";
  TForm* form = ReadForm(FormText(inside));
  std::vector<std::string> expected;
  for (int c : {2, 3, 1, 4, 5, 6, 7, 8}) {
    expected.push_back("loaded L" + std::to_string(c));
    expected.push_back("after L" + std::to_string(c));
  }
  // Packages' category: the loaded step only.
  expected.push_back("loaded L0");
  EXPECT_EQ(gLog, expected);

  // The form had no configurations: the pass made them, on this form.
  ASSERT_NE(FirstApplication(), nullptr);
  EXPECT_EQ(FirstApplication()->Owner(), form);
  TKyCForm* config = TKyCForm::FindOn(form);
  ASSERT_NE(config, nullptr);
  EXPECT_FALSE(config->FormDestroy());

  // A later pass serves nobody twice.
  gLog.clear();
  RunLibraryLoadedPass(form);
  EXPECT_TRUE(gLog.empty());
  // A second form gets its own form configuration but no second application one.
  TForm* second = ReadForm(FormText("  object L1: TTstLinked\n    Category = 4\n  end\n", "FrOther"));
  EXPECT_EQ(Applications().size(), 1u);
  EXPECT_NE(TKyCForm::FindOn(second), nullptr);
  EXPECT_EQ(gLog, (std::vector<std::string>{"loaded L1", "after L1"}));
}

TEST_F(CFormTest, NothingIsMadeForAFormBeingDesignedOrWithoutLibraryComponents) {
  TForm* plain = ReadForm(FormText("  object Bt: TButton\n  end\n"));
  EXPECT_EQ(TKyCForm::FindOn(plain), nullptr);
  EXPECT_EQ(FirstApplication(), nullptr);

  TForm designed(nullptr);
  designed.SetDesigning(true);
  auto* linked = new TTstLinked(&designed);
  linked->SetCategory(3);
  RunLibraryLoadedPass(&designed);
  EXPECT_TRUE(gLog.empty());
  EXPECT_EQ(FirstApplication(), nullptr);
  delete linked;
}

TEST_F(CFormTest, TerminateInBeforeLoadedEndsTheProgramBeforeAnyWindowShows) {
  ResetLoadingStart();
  ResetStartUpCompletion();
  auto* form = new TForm(nullptr);
  forms_.emplace_back(form);
  auto* app = new TKyCApplication(form);
  int before = 0;
  app->OnBeforeLoaded = [&](TObject*, bool& terminate) {
    ++before;
    terminate = true;
  };
  int shows = 0;
  form->OnShow = [&](TObject*) { ++shows; };
  Pump();
  int windowsBefore = VisibleTopLevelWindows();
  RunLibraryLoadedPass(form);
  EXPECT_EQ(before, 1);
  EXPECT_TRUE(App().TerminateRequested());
  App().SetMainForm(form);
  App().Run();
  EXPECT_TRUE(App().Terminated());
  EXPECT_EQ(shows, 0);
  EXPECT_EQ(VisibleTopLevelWindows(), windowsBefore);
  EXPECT_GT(LoadingStartTick(), 0u);
  // Only the first pass of the process raises it.
  new TTstLinked(form);
  RunLibraryLoadedPass(form);
  EXPECT_EQ(before, 1);
}

TEST_F(CFormTest, MinTimeLoadKeepsTheMainFormDisabledThenAfterLoadedRuns) {
  ResetLoadingStart();
  ResetStartUpCompletion();
  TForm* form = ReadForm(FormText("  object CApplication: TKyCApplication\n    MinTimeLoad = 1\n  end\n"));
  TKyCApplication* app = FirstApplication();
  ASSERT_NE(app, nullptr);
  uint64_t start = LoadingStartTick();
  ASSERT_GT(start, 0u);
  // One look at the form during the wait; then no message comes until a
  // late one at 4 s: the wait must end by itself at its deadline.
  bool enabledDuringWait = true;
  int waits = 0;
  TTimer probe(nullptr), late(nullptr);
  probe.SetInterval(300);
  probe.OnTimer = [&](TObject*) {
    ++waits;
    enabledDuringWait = enabledDuringWait && IsWindowEnabled(form->Handle());
    probe.SetEnabled(false);
  };
  late.SetInterval(4000);
  late.OnTimer = [&](TObject*) { late.SetEnabled(false); };
  uint64_t afterAt = 0;
  bool enabledAfter = false;
  app->OnAfterLoaded = [&](TObject*, bool&) {
    afterAt = SteadyTickCount();
    enabledAfter = IsWindowEnabled(form->Handle());
  };
  App().SetMainForm(form);
  form->Show();
  ASSERT_TRUE(PumpUntil([&] { return afterAt != 0; }, 6000));
  EXPECT_GE(afterAt - start, 1000u);
  EXPECT_LT(afterAt - start, 2500u);
  EXPECT_EQ(waits, 1);
  EXPECT_FALSE(enabledDuringWait);
  EXPECT_TRUE(enabledAfter);
  probe.SetEnabled(false);
}

TEST_F(CFormTest, TerminateInAfterLoadedHidesTheFormAndEndsTheProgram) {
  ResetLoadingStart();
  ResetStartUpCompletion();
  TForm* form = ReadForm(FormText("  object CApplication: TKyCApplication\n  end\n"));
  FirstApplication()->OnAfterLoaded = [](TObject*, bool& terminate) { terminate = true; };
  App().SetMainForm(form);
  App().Run();
  EXPECT_TRUE(App().Terminated());
  EXPECT_FALSE(IsWindowVisible(form->Handle()));
}

// ---- Styles and limits ----

TEST_F(CFormTest, EachStyleSetsTheWindowBitsBorderIconsAndLimits) {
  struct TCase {
    TKyFormStyle Style;
    bool Caption, Thick, MaximizeBox, Tool, Topmost;
    bool FixedSize;   // max tracking size = loaded size
    bool MinFromSize; // min tracking size = loaded size
  };
  const TCase cases[] = {
      {fmsNone, true, true, true, false, false, false, true},
      {fmsNoBorder, false, false, false, false, false, false, true},
      {fmsSingle, true, false, true, false, false, false, false},
      {fmsDialog, true, false, false, false, false, false, false},
      {fmsMenuDialog, true, true, false, false, false, true, true},
      {fmsSizeable, true, true, true, false, false, false, true},
      {fmsNoSizeable, true, true, false, false, false, true, true},
      {fmsMDIForm, true, true, true, false, false, false, true},
      {fmsMDIChildSize, true, true, true, false, false, false, true},
      {fmsMDIChildNoSize, true, true, false, false, false, true, true},
      {fmsToolWindow, true, false, false, true, true, false, false},
      {fmsSizeToolWin, true, true, false, true, true, false, true},
  };
  for (const TCase& c : cases) {
    std::string name = EnumInfo(fmsNone).Name(c.Style);
    TForm* form = ReadForm(FormText("  object CForm: TKyCForm\n    Style = " + name + "\n  end\n"));
    HWND w = form->Handle();
    LONG style = GetWindowLongA(w, GWL_STYLE), ex = GetWindowLongA(w, GWL_EXSTYLE);
    EXPECT_EQ((style & WS_CAPTION) == WS_CAPTION, c.Caption) << name;
    EXPECT_EQ((style & WS_THICKFRAME) != 0, c.Thick) << name;
    EXPECT_EQ((style & WS_MAXIMIZEBOX) != 0, c.MaximizeBox) << name;
    EXPECT_EQ((ex & WS_EX_TOOLWINDOW) != 0, c.Tool) << name;
    EXPECT_EQ((ex & WS_EX_TOPMOST) != 0, c.Topmost) << name;
    TKyCForm* config = TKyCForm::FindOn(form);
    ASSERT_NE(config, nullptr);
    TTrackLimits limits = AskLimits(form);
    if (c.FixedSize) {
      EXPECT_EQ(limits.MaxW, form->Width()) << name;
      EXPECT_EQ(limits.MaxH, form->Height()) << name;
      EXPECT_FALSE(form->BorderIcons().Contains(biMaximize)) << name;
    } else {
      EXPECT_EQ(limits.MaxW, 5000) << name;
      EXPECT_EQ(config->MaxWidth(), -1) << name;
    }
    if (c.MinFromSize) {
      EXPECT_EQ(limits.MinW, form->Width()) << name;
      EXPECT_EQ(limits.MinH, form->Height()) << name;
    } else {
      EXPECT_EQ(config->MinWidth(), -1) << name;
    }
    FreeForm(form);
  }
}

TEST_F(CFormTest, StoredLimitsReplaceThePlatformsOnesAndTheWindowKeepsThem) {
  TForm* form = ReadForm(FormText(
      "  object CForm: TKyCForm\n    Style = fmsSizeable\n    MinWidth = 150\n    MaxWidth = 400\n"
      "    MaxHeight = 350\n  end\n"));
  TTrackLimits limits = AskLimits(form);
  EXPECT_EQ(limits.MinW, 150);
  EXPECT_EQ(limits.MaxW, 400);
  EXPECT_EQ(limits.MaxH, 350);
  // MinHeight was -1: the loaded height.
  EXPECT_EQ(limits.MinH, form->Height());
  form->Show();
  SetWindowPos(form->Handle(), nullptr, 0, 0, 900, 900, SWP_NOMOVE | SWP_NOZORDER);
  Pump();
  RECT r;
  GetWindowRect(form->Handle(), &r);
  EXPECT_LE(r.right - r.left, 400);
  EXPECT_LE(r.bottom - r.top, 350);
}

// ---- Look from the packages ----

TEST_F(CFormTest, BackgroundCaptionAndIconComeFromThePackagesAndFollowTheirChanges) {
  TForm* form = ReadForm(FormText(
      "  object CApplication: TKyCApplication\n  end\n"
      "  object CForm: TKyCForm\n    SetBackGround.Name = 'sbForm'\n    CaptionId.PkgName = 'User'\n"
      "    CaptionId.Id = 4\n    Icon.PkgName = 'User'\n    Icon.Id = 2\n  end\n"));
  TKyCApplication* app = FirstApplication();
  ASSERT_NE(app, nullptr);
  // Without the set the form shows the library default.
  TSnapshot plain(form);
  TKyColor defaultColor = plain.Pixel(10, 10);

  TKyPkgDisplaySetBackGround* set = app->PkgDisplay()->AddBackGround("sbForm");
  set->SetColor(KyRGB(200, 30, 40));
  app->PkgLanguage()->UserStrings().AddLabel(4, "Install Program 2.0", "The installer");
  TIcon icon;
  icon.SetHandle(SolidIcon());
  TMemoryStream iconData;
  icon.SaveToStream(iconData);
  app->PkgDisplay()->UserImages().AddImage(2)->SetPicture("TIcon", iconData.Data(), 16, 16);
  Pump();
  EXPECT_EQ(form->Caption(), "Install Program 2.0");
  EXPECT_EQ(form->Hint(), "The installer");
  EXPECT_FALSE(form->Icon()->Empty());
  TSnapshot red(form);
  EXPECT_EQ(red.Pixel(10, 10), KyRGB(200, 30, 40));
  EXPECT_NE(defaultColor, KyRGB(200, 30, 40));

  set->SetColor(KyRGB(20, 140, 60));
  Pump();
  TSnapshot green(form);
  EXPECT_EQ(green.Pixel(150, 100), KyRGB(20, 140, 60));
}

// ---- Saved layout ----

namespace {

// A main form whose "User" variables live in dir\Setup.pva, the file named
// by its embedded setup package as in the installer.
std::vector<uint8_t> LayoutForm(const std::string& dir) {
  TForm form(nullptr);
  form.SetName("FrTest");
  form.SetFormClientWidth(300);
  form.SetFormClientHeight(200);
  auto* app = new TKyCApplication(&form);
  app->SetName("CApplication");
  app->SetPathPkgVars(dir + "\\");
  app->PkgVars()->SetInitMode(rimFILE);
  WithPkgLoading(*app->PkgVars(), [app] { app->PkgSetup()->SetVarsFileName("Setup"); });
  auto* config = new TKyCForm(&form);
  config->SetName("CForm");
  config->SetStyle(fmsSizeable);
  config->SetCenterOptions(ceoScreen);
  return WriteComponentBytes(&form);
}

}  // namespace

TEST_F(CFormTest, LayoutIsSavedWhenTheFormGoesAndRestoredWhenItComesBack) {
  TempDir dir;
  TForm* form = ReadForm(LayoutForm(dir.Path()));
  form->Show();
  Pump();
  form->SetBounds(120, 90, form->Width(), form->Height());
  form->SetFormClientWidth(340);
  form->SetFormClientHeight(230);
  Pump();
  form->Hide();
  // Saved to the file when the form went.
  TKyPkgVars saved(nullptr);
  saved.LoadFromFile(dir / "Setup.pva");
  std::string info = saved.ReadString("FrTest\\__Show__/__Info__", "");
  EXPECT_EQ(info.substr(0, info.find(",", info.find(",", info.find(",", info.find(",") + 1) + 1) + 1)),
            "120,90,340,230");
  FreeForm(form);
  ASSERT_EQ(FirstApplication(), nullptr);

  // A new start reads the file and the form comes back where it was.
  TForm* again = ReadForm(LayoutForm(dir.Path()));
  EXPECT_EQ(FirstApplication()->ReadVarString("FrTest\\__Show__/__Info__", ""), info);
  again->Show();
  Pump();
  EXPECT_EQ(again->Left(), 120);
  EXPECT_EQ(again->Top(), 90);
  EXPECT_EQ(again->ClientWidth(), 340);
  EXPECT_EQ(again->ClientHeight(), 230);
}

TEST_F(CFormTest, ModalAndShownLayoutsAreKeptApart) {
  TempDir dir;
  TForm* form = ReadForm(LayoutForm(dir.Path()));
  form->Show();
  form->SetBounds(40, 50, form->Width(), form->Height());
  form->Hide();
  form->OnShow = [form](TObject*) {
    form->SetBounds(200, 210, form->Width(), form->Height());
    form->SetModalResult(mrOk);
  };
  EXPECT_EQ(form->ShowModal(), mrOk);
  TKyCApplication* app = FirstApplication();
  std::string shown = app->ReadVarString("FrTest\\__Show__/__Info__", "");
  std::string modal = app->ReadVarString("FrTest\\__Modal__/__Info__", "");
  EXPECT_EQ(shown.rfind("40,50,", 0), 0u) << shown;
  EXPECT_EQ(modal.rfind("200,210,", 0), 0u) << modal;
  // The identification: IdentName, or the name before "_", and IdentInt.
  TKyCForm* config = TKyCForm::FindOn(form);
  form->SetName("FrMain_2");
  config->SetIdentInt(3);
  EXPECT_EQ(config->VarPath("__Info__"), "FrMain_3\\__Show__/__Info__");
  config->SetIdentName("Forms/Main/");
  EXPECT_EQ(config->VarPath("x"), "Forms/Main/_3\\__Show__/x");
}

TEST_F(CFormTest, AnUnusableSavedLayoutCentresTheFormAsDesigned) {
  const char* damaged[] = {
      "",                                    // nothing saved
      "1,2,300,200,0,-1,-1,-1,-1",           // nine values
      "1,2,300,200,0,-1,-1,-1,-1,96,7",      // eleven
      "1,2,three,200,0,-1,-1,-1,-1,96",      // not a number
      "1,2,-300,200,0,-1,-1,-1,-1,96",       // no size
      "1,2,300,200,9,-1,-1,-1,-1,96",        // no such window state
  };
  TempDir dir;
  for (const char* info : damaged) {
    TForm* form = ReadForm(LayoutForm(dir.Path()));
    if (*info) FirstApplication()->WriteVarString("FrTest\\__Show__/__Info__", info);
    form->Show();
    Pump();
    TRect area = Screen->WorkArea();
    EXPECT_NEAR(form->Left() + form->Width() / 2, (area.Left + area.Right) / 2, 1) << info;
    EXPECT_NEAR(form->Top() + form->Height() / 2, (area.Top + area.Bottom) / 2, 1) << info;
    EXPECT_EQ(form->ClientWidth(), 300) << info;
    EXPECT_EQ(form->WindowState(), wsNormal) << info;
    form->Hide();
    FreeForm(form);
  }
}

TEST_F(CFormTest, ADamagedVariablesFileIsReportedOnceAndTheFormStillOpens) {
  TempDir dir;
  {
    TFileStream junk(dir / "Setup.pva", fmCreate);
    junk.Write("not a package at all", 20);
  }
  std::vector<std::string> shown;
  SetExceptionDisplay([&](const std::string& message) { shown.push_back(message); });
  TForm* form = ReadForm(LayoutForm(dir.Path()));
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_NE(shown[0].find("Setup.pva"), std::string::npos) << shown[0];
  form->Show();
  Pump();
  EXPECT_TRUE(IsWindowVisible(form->Handle()));
  // Closing writes a sound file in its place.
  form->Hide();
  TKyPkgVars saved(nullptr);
  saved.LoadFromFile(dir / "Setup.pva");
  EXPECT_NE(saved.ReadString("FrTest\\__Show__/__Info__", ""), "");
  EXPECT_EQ(shown.size(), 1u);
}

// ---- Keyboard ----

TEST_F(CFormTest, InsertCtrlArrowsAndEnterAsTabAreTheFormsKeys) {
  TForm* form = ReadForm(FormText(
      "  object CApplication: TKyCApplication\n  end\n  object CForm: TKyCForm\n  end\n"
      "  object EdA: TEdit\n    Left = 10\n    Top = 10\n    TabOrder = 0\n  end\n"
      "  object EdB: TEdit\n    Left = 10\n    Top = 40\n    TabOrder = 1\n  end\n"
      "  object BtC: TButton\n    Left = 10\n    Top = 70\n    TabOrder = 2\n  end\n"));
  auto* a = form->Find<TEdit>("EdA");
  auto* b = form->Find<TEdit>("EdB");
  auto* c = form->Find<TButton>("BtC");
  TKyPkgSetupKeys* keys = FirstApplication()->PkgSetup()->Keys();
  form->Show();
  form->FocusControl(a);
  Pump();

  bool insert = keys->InsertMode();
  PostKey(a, VK_INSERT);
  EXPECT_EQ(keys->InsertMode(), !insert);
  EXPECT_TRUE(FirstApplication()->PkgSetup()->Modified());
  {
    TCtrlDown ctrl;
    PostKey(a, VK_DOWN);
  }
  EXPECT_TRUE(PumpUntil([&] { return form->ActiveControl() == b; }));
  {
    TCtrlDown ctrl;
    PostKey(b, VK_UP);
  }
  EXPECT_TRUE(PumpUntil([&] { return form->ActiveControl() == a; }));

  // Enter moves on only with EnterAsTab, and never away from a push button.
  PostKey(a, VK_RETURN);
  EXPECT_EQ(form->ActiveControl(), a);
  keys->SetEnterAsTab(true);
  PostKey(a, VK_RETURN);
  EXPECT_TRUE(PumpUntil([&] { return form->ActiveControl() == b; }));
  {
    TCtrlDown ctrl;
    PostKey(b, VK_RETURN);
  }
  EXPECT_EQ(form->ActiveControl(), b);
  PostKey(b, VK_RETURN);
  EXPECT_TRUE(PumpUntil([&] { return form->ActiveControl() == c; }));
  int clicks = 0;
  c->OnClick = [&](TObject*) { ++clicks; };
  PostKey(c, VK_RETURN);
  Pump();
  EXPECT_EQ(form->ActiveControl(), c);
}

// With Enter-as-Tab, a form that wants Enter (a wizard's Next) must see it
// before the focus moves: from a control when it previews keys, and always
// when the form itself has the focus (after a common dialog, say).
TEST_F(CFormTest, EnterAsTabLetsTheFormSeeEnterFirst) {
  TForm* form = ReadForm(FormText(
      "  object CApplication: TKyCApplication\n  end\n  object CForm: TKyCForm\n  end\n"
      "  object EdA: TEdit\n    Left = 10\n    Top = 10\n    TabOrder = 0\n  end\n"
      "  object EdB: TEdit\n    Left = 10\n    Top = 40\n    TabOrder = 1\n  end\n"));
  auto* a = form->Find<TEdit>("EdA");
  FirstApplication()->PkgSetup()->Keys()->SetEnterAsTab(true);
  int seen = 0;
  bool take = false;
  form->OnKeyDown = [&](TObject*, uint16_t& key, TShiftState) {
    if (key != VK_RETURN) return;
    ++seen;
    if (take) key = 0;
  };
  form->Show();
  Pump();
  struct TCase {
    bool Preview, FormFocused, Take;
    int Seen;
    bool Moves;  // the focus goes on to the next control
  };
  const TCase cases[] = {
      {false, false, false, 0, true},  {true, false, false, 1, true}, {true, false, true, 1, false},
      {false, true, false, 1, true},   {false, true, true, 1, false}, {true, true, true, 1, false},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(testing::Message() << "preview " << c.Preview << ", form focused " << c.FormFocused << ", taken "
                                    << c.Take);
    form->SetKeyPreview(c.Preview);
    take = c.Take;
    seen = 0;
    form->FocusControl(a);
    Pump();
    TWinControl* target = a;
    if (c.FormFocused) {
      form->SetActiveControl(nullptr);
      ::SetFocus(form->Handle());
      ASSERT_TRUE(PumpUntil([&] { return ::GetFocus() == form->Handle(); }));
      target = form;
    }
    PostKey(target, VK_RETURN);
    Pump();
    EXPECT_EQ(seen, c.Seen);
    EXPECT_EQ(::GetFocus() != target->Handle(), c.Moves);
  }
}

// ---- Unhandled errors ----

TEST_F(CFormTest, AnExceptionInAnEventHandlerReachesTheInstalledDisplay) {
  std::vector<std::string> shown;
  SetExceptionDisplay([&](const std::string& message) { shown.push_back(message); });
  TForm* form = ReadForm(FormText("  object CApplication: TKyCApplication\n  end\n"
                                  "  object Bt: TButton\n    Left = 10\n    Top = 10\n    Width = 80\n  end\n"));
  TKyCApplication* app = FirstApplication();
  ASSERT_TRUE(app->ExceptionHandlerInstalled());
  auto* button = form->Find<TButton>("Bt");
  button->OnClick = [](TObject*) { throw Exception("The folder 'C:\\Ky' cannot be made."); };
  form->Show();
  Pump();
  PostClick(button, 10, 5);
  ASSERT_TRUE(PumpUntil([&] { return !shown.empty(); }));
  EXPECT_EQ(shown, (std::vector<std::string>{"The folder 'C:\\Ky' cannot be made."}));

  // Switched off, the application's own handling is back.
  app->SetHandleExceptions(false);
  EXPECT_FALSE(app->ExceptionHandlerInstalled());
  EXPECT_FALSE(static_cast<bool>(App().OnException));
  app->SetHandleExceptions(true);
  EXPECT_TRUE(app->ExceptionHandlerInstalled());
}

// ---- Pictures of image references ----

namespace {

std::vector<uint8_t> BitmapBytes(TKyColor color, int w, int h) {
  TBitmap bitmap(w, h, pf24bit);
  bitmap.Canvas()->Brush()->SetColor(color);
  bitmap.Canvas()->FillRect({0, 0, w, h});
  TMemoryStream out;
  bitmap.SaveToStream(out);
  return out.Data();
}

std::vector<uint8_t> JpegBytes(TKyColor color, int w, int h) {
  TBitmap bitmap(w, h, pf24bit);
  bitmap.Canvas()->Brush()->SetColor(color);
  bitmap.Canvas()->FillRect({0, 0, w, h});
  TJPEGImage jpeg;
  jpeg.Assign(&bitmap);
  TMemoryStream out;
  jpeg.SaveToStream(out);
  return out.Data();
}

// Near: JPEG is lossy.
void ExpectColorNear(TKyColor got, TKyColor want, const char* what) {
  auto ch = [](TKyColor c, int shift) { return static_cast<int>((c >> shift) & 0xFF); };
  for (int s : {0, 8, 16}) EXPECT_NEAR(ch(got, s), ch(want, s), 12) << what;
}

}  // namespace

TEST_F(CFormTest, ImageReferencesDrawBitmapsAndJpegsAndGiveWindowsTheirRegion) {
  TForm* form = ReadForm(FormText("  object CApplication: TKyCApplication\n  end\n"));
  TKyPkgImages& images = FirstApplication()->PkgDisplay()->UserImages();
  images.AddImage(1)->SetPicture("TBitmap", BitmapBytes(KyRGB(0, 0, 255), 20, 10), 20, 10);
  images.AddImage(2)->SetPicture("TJPEGImage", JpegBytes(KyRGB(0, 160, 0), 24, 16), 24, 16);
  images.AddImage(3)->SetPicture("TJPEGImage", {0xFF, 0xD8, 0xFF, 0xE0, 1, 2, 3}, 24, 16);
  images.AddImage(4)->SetPicture("TBitmap", {}, 0, 0);

  struct TCase {
    int32_t Id;
    TKyColor Color;
    int W, H;
  };
  for (TCase c : {TCase{1, KyRGB(0, 0, 255), 20, 10}, TCase{2, KyRGB(0, 160, 0), 24, 16}}) {
    TKyMemoryImage ref(nullptr);
    ref.SetReference("User", c.Id);
    std::unique_ptr<TGraphic> graphic = ref.Graphic();
    ASSERT_NE(graphic, nullptr) << c.Id;
    EXPECT_EQ(graphic->Width(), c.W);
    TBitmap target(40, 40, pf32bit);
    target.Canvas()->Brush()->SetColor(kClWhite);
    target.Canvas()->FillRect({0, 0, 40, 40});
    target.Canvas()->Draw(5, 5, graphic.get());
    ExpectColorNear(target.Canvas()->Pixels(6, 6), c.Color, "inside");
    EXPECT_EQ(target.Canvas()->Pixels(5 + c.W + 2, 5), kClWhite) << c.Id;
    // As a bitmap: the bytes themselves, or a rendering made once.
    std::vector<uint8_t> bmp = ref.BitmapData();
    TBitmap copy;
    TMemoryStream in(bmp);
    copy.LoadFromStream(in);
    EXPECT_EQ(copy.Width(), c.W);
    ExpectColorNear(copy.Canvas()->Pixels(c.W / 2, c.H / 2), c.Color, "bitmap data");
  }
  TKyPkgImagesImage* jpegEntry = images.Find(2);
  ASSERT_FALSE(jpegEntry->BitmapCopy().empty());
  const uint8_t* cached = jpegEntry->BitmapCopy().data();
  TKyMemoryImage again(nullptr);
  again.SetReference("User", 2);
  again.BitmapData();
  EXPECT_EQ(jpegEntry->BitmapCopy().data(), cached);

  // Damaged data raises; no data and no entry give nothing.
  TKyMemoryImage damaged(nullptr), empty(nullptr), missing(nullptr);
  damaged.SetReference("User", 3);
  empty.SetReference("User", 4);
  missing.SetReference("User", 99);
  EXPECT_THROW(damaged.Graphic(), Exception);
  EXPECT_EQ(empty.Graphic(), nullptr);
  EXPECT_EQ(missing.Graphic(), nullptr);
  EXPECT_TRUE(missing.BitmapData().empty());
  EXPECT_EQ(missing.WindowRegion(), nullptr);

  // The region of the picture becomes the window's outline.
  TKyPkgImagesImage* shaped = images.Find(1);
  shaped->SetRegion1(TRegion::Ellipse({0, 0, 100, 60}).Data());
  shaped->SetRegion2(TRegion::Rect({0, 0, 10, 10}).Data());
  TKyMemoryImage outline(nullptr);
  outline.SetReference("User", 1);
  EXPECT_TRUE(outline.SecondRegion()->Contains({5, 5}));
  outline.ApplyRegion(form);
  HRGN rgn = CreateRectRgn(0, 0, 0, 0);
  ASSERT_NE(GetWindowRgn(form->Handle(), rgn), ERROR);
  EXPECT_TRUE(PtInRegion(rgn, 50, 30));
  EXPECT_FALSE(PtInRegion(rgn, 2, 2));
  EXPECT_FALSE(PtInRegion(rgn, 99, 59));
  // A picture without region data takes the outline away.
  shaped->SetRegion1({});
  outline.ApplyRegion(form);
  EXPECT_EQ(GetWindowRgn(form->Handle(), rgn), ERROR);
  DeleteObject(rgn);
}

// ---- Package changes, background, scrolling, scaling, window state ----

namespace {

// A windowed control that counts the library's "background changed"
// notices (the registered message, code 6).
class TTstWindowed : public TWinControl {
  KY_CLASS(TTstWindowed, TWinControl)
public:
  using TWinControl::TWinControl;
  int Code6 = 0;
  void WndProc(TMessage& m) override {
    if (m.Msg == KyMessageMaster() && static_cast<int32_t>(m.WParam) == kMmBackgroundChanged) ++Code6;
    TWinControl::WndProc(m);
  }
};

TTstWindowed* AddWindowed(TForm* form, int left, int top) {
  auto* w = new TTstWindowed(form);
  w->SetBounds(left, top, 40, 30);
  w->SetParent(form);
  return w;
}

}  // namespace

// Every kind of package change reaches the form configuration: caption,
// hint and icon are applied again, the form repaints, and each windowed
// control on it hears code 6 once per change.
TEST_F(CFormTest, EveryPackageChangeReappliesTheFormAndTellsItsControlsOnce) {
  TForm* form = ReadForm(FormText(
      "  object CApplication: TKyCApplication\n  end\n"
      "  object PkA: TKyPkgStrings\n    PkgName = 'Idioma'\n  end\n"
      "  object PkB: TKyPkgStrings\n    PkgName = 'Idioma'\n  end\n"
      "  object CForm: TKyCForm\n    SetBackGround.Name = 'sbForm'\n    CaptionId.PkgName = 'Idioma'\n"
      "    CaptionId.Id = 6\n    Icon.PkgName = 'User'\n    Icon.Id = 2\n  end\n"));
  TKyCApplication* app = FirstApplication();
  ASSERT_NE(app, nullptr);
  auto* pkA = form->Find<TKyPkgStrings>("PkA");
  auto* pkB = form->Find<TKyPkgStrings>("PkB");
  ASSERT_TRUE(pkA && pkB);
  TTstWindowed* one = AddWindowed(form, 10, 10);
  TTstWindowed* two = AddWindowed(form, 60, 10);
  form->Show();
  Pump();
  TKyPkgDisplaySetBackGround* set = nullptr;
  TMemoryStream iconData;
  {
    TIcon icon;
    icon.SetHandle(SolidIcon());
    icon.SaveToStream(iconData);
  }

  struct TCase {
    const char* what;
    std::function<void()> change;
    std::function<bool()> seen;
  };
  const TCase cases[] = {
      {"strings: the label is added",
       [&] { pkA->AddLabel(6, "Next", "Go on"); },
       [&] { return form->Caption() == "Next" && form->Hint() == "Go on"; }},
      {"strings: another package of the name is switched on",
       [&] {
         pkB->AddLabel(6, "Siguiente");
         pkB->SetActive(true);
       },
       [&] { return form->Caption() == "Siguiente"; }},
      // Edits grouped in one batch are one change.
      {"display: the background set comes",
       [&] {
         TKyChangeBatch batch;
         set = app->PkgDisplay()->AddBackGround("sbForm");
         set->SetColor(KyRGB(200, 30, 40));
       },
       [&] { return TSnapshot(form).Pixel(150, 100) == KyRGB(200, 30, 40); }},
      {"display: the set is edited",
       [&] { set->SetColor(KyRGB(20, 140, 60)); },
       [&] { return TSnapshot(form).Pixel(150, 100) == KyRGB(20, 140, 60); }},
      {"images: the icon comes",
       [&] {
         TKyChangeBatch batch;
         app->PkgDisplay()->UserImages().AddImage(2)->SetPicture("TIcon", iconData.Data(), 16, 16);
       },
       [&] { return !form->Icon()->Empty(); }},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.what);
    int before1 = one->Code6, before2 = two->Code6;
    c.change();
    Pump();
    EXPECT_TRUE(c.seen());
    EXPECT_EQ(one->Code6 - before1, 1);
    EXPECT_EQ(two->Code6 - before2, 1);
  }
}

// The background: the form's palette is in the DC while the set paints;
// a transparent form inside another control continues that control's
// background, a transparent form on its own paints its own set.
TEST_F(CFormTest, ErasingSelectsThePaletteAndATransparentFormContinuesItsParent) {
  TForm* outer = ReadForm(FormText(
      "  object CApplication: TKyCApplication\n  end\n"
      "  object CForm: TKyCForm\n    SetBackGround.Name = 'sbOuter'\n  end\n",
      "FrOuter"));
  TKyCApplication* app = FirstApplication();
  app->PkgDisplay()->AddBackGround("sbOuter")->SetColor(KyRGB(200, 30, 40));
  app->PkgDisplay()->AddBackGround("sbInner")->SetColor(KyRGB(20, 140, 60));
  TPaletteHandle palette = CreateLogicalPalette({{10, 20, 30, 0}, {200, 30, 40, 0}});

  struct TCase {
    bool transparent, inside;
    TKyColor expected;
  };
  const TCase cases[] = {
      {false, false, KyRGB(20, 140, 60)},
      {false, true, KyRGB(20, 140, 60)},
      {true, false, KyRGB(20, 140, 60)},
      {true, true, KyRGB(200, 30, 40)},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(std::string(c.transparent ? "transparent" : "opaque") + (c.inside ? ", inside" : ", alone"));
    TForm* inner = ReadForm(FormText("  object CForm: TKyCForm\n    SetBackGround.Name = 'sbInner'\n    Transparent = " +
                                         std::string(c.transparent ? "True" : "False") + "\n  end\n",
                                     "FrInner"));
    inner->SetPalette(palette.Get());
    if (c.inside) {
      inner->SetParent(outer);
      inner->SetBorderStyle(bsNone);
      inner->SetBounds(50, 40, 120, 80);
      ASSERT_NE(GetWindowLongA(inner->Handle(), GWL_STYLE) & WS_CHILD, 0);
    }
    HPALETTE seen = nullptr;
    SetBackgroundPainter([&](TCanvas& canvas, const TRect& rect, TKySetBackGround& set, bool) {
      seen = static_cast<HPALETTE>(GetCurrentObject(canvas.Handle(), OBJ_PAL));
      canvas.Brush()->SetColor(set.Value());
      canvas.FillRect(rect);
    });
    TSnapshot shot(inner);
    SetBackgroundPainter(nullptr);
    EXPECT_EQ(seen, palette.Get());
    EXPECT_EQ(shot.Pixel(5, 5), c.expected);
    EXPECT_EQ(shot.Pixel(shot.Width() - 5, shot.Height() - 5), c.expected);
    inner->SetParent(nullptr);
    FreeForm(inner);
  }
}

// AutoScroll is the form's own: a form configuration turns it off when it
// is made; a text that turns it on gives the form scroll bars for a
// control beyond the client area, and the bar moves the controls.
TEST_F(CFormTest, AutoScrollIsTheFormsOwnAndScrollsItsControls) {
  TForm* fixed = ReadForm(FormText("  AutoScroll = True\n  object CForm: TKyCForm\n  end\n"));
  EXPECT_FALSE(fixed->AutoScroll());
  EXPECT_FALSE(TKyCForm::FindOn(fixed)->AutoScroll());

  TForm* form = ReadForm(FormText("  object CForm: TKyCForm\n    AutoScroll = True\n  end\n"));
  TKyCForm* config = TKyCForm::FindOn(form);
  EXPECT_TRUE(form->AutoScroll());
  TTstWindowed* beyond = AddWindowed(form, 400, 20);
  form->Show();
  Pump();
  EXPECT_NE(GetWindowLongA(form->Handle(), GWL_STYLE) & WS_HSCROLL, 0);
  EXPECT_EQ(GetWindowLongA(form->Handle(), GWL_STYLE) & WS_VSCROLL, 0);
  PostMessageA(form->Handle(), WM_HSCROLL, SB_LINEDOWN, 0);
  ASSERT_TRUE(PumpUntil([&] { return beyond->Left() == 392; }));
  PostMessageA(form->Handle(), WM_HSCROLL, SB_BOTTOM, 0);
  ASSERT_TRUE(PumpUntil([&] { return beyond->Left() + beyond->Width() == form->ClientWidth(); }));
  RECT r;
  GetWindowRect(beyond->Handle(), &r);
  EXPECT_EQ(r.left, form->ClientOrigin().X + beyond->Left());

  // A style set at run time turns it off: everything goes back.
  config->SetStyle(fmsSizeable);
  EXPECT_FALSE(form->AutoScroll());
  EXPECT_EQ(beyond->Left(), 400);
  EXPECT_EQ(GetWindowLongA(form->Handle(), GWL_STYLE) & WS_HSCROLL, 0);
}

// The form configuration hands the first application configuration's
// Scaled to its form while the form is read, whatever the form says.
TEST_F(CFormTest, TheApplicationsScaledDecidesTheFormsWhenItIsRead) {
  for (bool appScaled : {false, true})
    for (bool formScaled : {false, true}) {
      SCOPED_TRACE(std::to_string(appScaled) + std::to_string(formScaled));
      TForm* form = ReadForm(FormText(std::string("  Scaled = ") + (formScaled ? "True" : "False") +
                                      "\n  object CApplication: TKyCApplication\n    Scaled = " +
                                      (appScaled ? "True" : "False") + "\n  end\n  object CForm: TKyCForm\n  end\n"));
      EXPECT_EQ(form->Scaled(), appScaled);
      // Without a form configuration the form keeps its own.
      TForm* plain = ReadForm(FormText(std::string("  Scaled = ") + (formScaled ? "True" : "False") + "\n"));
      EXPECT_EQ(plain->Scaled(), formScaled);
      FreeForm(plain);
      FreeForm(form);
    }
}

// The saved window state is remembered when the layout is read and taken
// by the window when it shows, never at once.
TEST_F(CFormTest, TheSavedWindowStateWaitsForTheShowing) {
  TempDir dir;
  TForm* form = ReadForm(LayoutForm(dir.Path()));
  TKyCForm* config = TKyCForm::FindOn(form);
  form->Show();
  Pump();
  TKyPkgVars* vars = config->VarsPackage();
  ASSERT_NE(vars, nullptr);
  vars->WriteString(config->VarPath("__Info__"), "30,40,300,200,2,-1,-1,-1,-1,96");
  config->LoadRegistry();
  Pump();
  EXPECT_EQ(config->StateToRestore(), wsMaximized);
  EXPECT_EQ(form->WindowState(), wsNormal);
  EXPECT_FALSE(IsZoomed(form->Handle()));

  // Hidden, the form keeps its normal layout; shown again with a
  // maximised one saved, it comes back maximised.
  form->Hide();
  Pump();
  vars->WriteString(config->VarPath("__Info__"), "30,40,300,200,2,-1,-1,-1,-1,96");
  form->Show();
  ASSERT_TRUE(PumpUntil([&] { return IsZoomed(form->Handle()) != 0; }));
  EXPECT_EQ(form->WindowState(), wsMaximized);
}

// OnAfterLoaded is called once, with Terminate false, whatever happened
// before; a request from either event hides the form and ends the program.
TEST_F(CFormTest, AfterLoadedAlwaysRunsAndEitherEventsRequestEndsTheProgram) {
  struct TCase {
    bool before, after;
  };
  for (TCase c : {TCase{false, false}, TCase{false, true}, TCase{true, false}}) {
    SCOPED_TRACE(std::to_string(c.before) + std::to_string(c.after));
    ResetLoadingStart();
    ResetStartUpCompletion();
    auto* form = new TForm(nullptr);
    forms_.emplace_back(form);
    form->SetName("FrAfter");
    form->SetFormClientWidth(200);
    auto* app = new TKyCApplication(form);
    app->OnBeforeLoaded = [&](TObject*, bool& terminate) { terminate = c.before; };
    int calls = 0;
    bool terminateOnEntry = true;
    app->OnAfterLoaded = [&](TObject*, bool& terminate) {
      ++calls;
      terminateOnEntry = terminate;
      terminate = c.after;
    };
    RunLibraryLoadedPass(form);
    App().SetMainForm(form);
    form->Show();
    ASSERT_TRUE(PumpUntil([&] { return calls > 0; }));
    Pump();
    EXPECT_EQ(calls, 1);
    EXPECT_FALSE(terminateOnEntry);
    bool ends = c.before || c.after;
    EXPECT_EQ(App().TerminateRequested(), ends);
    EXPECT_EQ(IsWindowVisible(form->Handle()) != 0, !ends);
    App().SetMainForm(nullptr);
    App().ResetTerminated();
    FreeForm(form);
  }
}

// What was made before the application configuration loaded (the main
// form's own controls, made while it is read) hears of each package once
// it is read: with no main form yet through the packages' reload
// notifications, with one through the switch of the active configuration.
TEST_F(CFormTest, PackagesReadAtStartUpTellWhatWasMadeBefore) {
  std::vector<uint8_t> bytes;
  {
    TForm builder(nullptr);
    builder.SetName("FrStart");
    auto* app = new TKyCApplication(&builder);
    app->SetName("CApplication");
    app->PkgLanguage()->UserStrings().AddLabel(4, "Install Program 2.0");
    app->PkgDisplay()->AddBackGround("sbStart")->SetColor(KyRGB(20, 140, 60));
    TIcon icon;
    icon.SetHandle(SolidIcon());
    TMemoryStream iconData;
    icon.SaveToStream(iconData);
    app->PkgDisplay()->UserImages().AddImage(2)->SetPicture("TIcon", iconData.Data(), 16, 16);
    bytes = WriteComponentBytes(&builder);
  }
  ASSERT_EQ(FirstApplication(), nullptr);
  for (bool mainForm : {false, true}) {
    SCOPED_TRACE(mainForm ? "with a main form" : "without a main form");
    TForm other(nullptr);
    if (mainForm) App().SetMainForm(&other);
    TKyMemoryLabel label(nullptr);
    label.SetPkgName("User");
    label.SetId(4);
    TKySetBackGround background(nullptr, "sbStart");
    TKyMemoryImage image(nullptr);
    image.SetPkgName("User");
    image.SetId(2);
    int labelTold = 0, backgroundTold = 0, imageTold = 0;
    label.OnChange = [&](TKyMemoryReference*) { ++labelTold; };
    background.OnChange = [&](TKySetObject*) { ++backgroundTold; };
    image.OnChange = [&](TKyMemoryImage*) { ++imageTold; };
    // Nothing to find yet.
    EXPECT_EQ(label.Caption(), "");
    EXPECT_EQ(background.Resolve(), nullptr);

    TForm* form = ReadForm(bytes);
    EXPECT_GE(labelTold, 1);
    EXPECT_GE(backgroundTold, 1);
    EXPECT_GE(imageTold, 1);
    EXPECT_EQ(label.Caption(), "Install Program 2.0");
    EXPECT_EQ(background.Value(), KyRGB(20, 140, 60));
    EXPECT_NE(image.Graphic(), nullptr);
    FreeForm(form);
    App().SetMainForm(nullptr);
  }
}
