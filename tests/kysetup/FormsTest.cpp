// The installer's forms as the program loads them (from their resources,
// packages embedded), in a registry sandbox: a first run on a fresh machine.
// Input is posted; waits pump until a condition holds.
#include <gtest/gtest.h>

#include <cctype>
#include <functional>

#include "controls/KyButtons.h"
#include "controls/KyCheckBox.h"
#include "controls/KyEdit.h"
#include "controls/KyImage.h"
#include "controls/KyListBox.h"
#include "controls/KyMemo.h"
#include "controls/KyPageControl.h"
#include "controls/KyRadioGroup.h"
#include "packages/CApplication.h"
#include "packages/CForm.h"
#include "packages/PkgStrings.h"
#include "platform/base/FileNames.h"
#include "platform/graphics/Bitmap.h"
#include "platform/windows/FileCtrl.h"
#include "platform/windows/Timers.h"
#include "platform/windows/Dialogs.h"
#include "packages/PkgVars.h"
#include "platform/os/FileOps.h"
#include "platform/os/ProgramInfo.h"
#include "platform/os/Registry.h"
#include "setup/Installer.h"
#include "setup/forms/FrAbout.h"
#include "setup/forms/FrSearch.h"
#include "setup/forms/FrSetup.h"
#include "skin/Label.h"
#include "support/RegistrySandbox.h"
#include "support/TempDir.h"
#include "support/WindowDriver.h"

using namespace ky_test;

namespace {

// The forms are made once, as the program makes them, and shared by the
// tests in their order: a first run on a fresh machine.
struct TFormsTest : ::testing::Test {
  static void SetUpTestSuite() {
    DeleteFileForce(VarsFile());
    RegisterSetupForms();
    App();
    sandbox = new RegistrySandbox;
    App().CreateForm(setup);
    App().CreateForm(FrSearch);
    App().CreateForm(FrAbout);
  }
  static void TearDownTestSuite() {
    delete FrAbout;
    delete FrSearch;
    delete setup;
    FrAbout = nullptr;
    FrSearch = nullptr;
    setup = nullptr;
    delete sandbox;
    DeleteFileForce(VarsFile());
  }
  // The installed wizard's variables file, beside the program.
  static std::string VarsFile() { return ExtractFilePath(ProgramFileName()) + "Setup.pva"; }
  // A record of this installer, current: the later starts.
  static void RecordInstaller(TRegistry& reg, int ver1, int ver2, int ver3, int language) {
    reg.WriteInteger("SoftWare\\Tessaro\\KySetup", "Ver1", ver1);
    reg.WriteInteger("SoftWare\\Tessaro\\KySetup", "Ver2", ver2);
    reg.WriteInteger("SoftWare\\Tessaro\\KySetup", "Ver3", ver3);
    reg.WriteString("SoftWare\\Tessaro\\KySetup", "FileSetup", "KySetup");
    reg.WriteInteger("SoftWare\\Tessaro", "Language", language);
    reg.WriteString("SoftWare\\Tessaro", "PathInstall", "C:\\Tessaro");
    reg.WriteString("SoftWare\\Tessaro", "PathGroup", "C:\\Tessaro\\Group");
  }
  static void MakeWizardAgain() {
    delete setup;
    setup = nullptr;
    App().CreateForm(setup);
    ASSERT_NE(setup, nullptr);
  }
  void ShowWizard() {
    setup->Show();
    ASSERT_TRUE(PumpUntil([&] { return setup->HandleAllocated() && setup->Visible(); }));
  }
  int Page() const { return setup->PageControl->Value().AsInteger(); }
  // The page whose sheet is visible (sheets 4 and 5 hold pages 5 and 4), or
  // -1 unless exactly one sheet shows.
  static int VisiblePage() {
    int page = -1, visible = 0;
    for (TKyTabSheet* sheet : setup->PageControl->Sheets())
      if (sheet->Visible()) {
        ++visible;
        page = sheet->PageId() == 4 ? 5 : sheet->PageId() == 5 ? 4 : sheet->PageId();
      }
    return visible == 1 ? page : -1;
  }
  std::string Label(int language, int id) {
    TKyPkgStrings* const packages[] = {setup->PkgEnglish, setup->PkgSpanish, setup->PkgFrench, setup->PkgItalian,
                                       setup->PkgGerman};
    TKyPkgStringsLabel* label = packages[language]->FindLabel(id);
    return label ? label->Caption() : std::string("(no label)");
  }

  static inline RegistrySandbox* sandbox = nullptr;
  static inline TFrSetup* setup = nullptr;
};

TEST_F(TFormsTest, AFreshMachineStartsOnTheLanguagePageOfTheFirstRun) {
  ASSERT_FALSE(App().TerminateRequested());
  ASSERT_NE(setup->Controller(), nullptr);
  EXPECT_EQ(setup->Controller()->Mode(), 0);
  EXPECT_EQ(Page(), 0);
  EXPECT_EQ(VisiblePage(), 0);
  ShowWizard();
  EXPECT_EQ(VisiblePage(), 0);
  EXPECT_EQ(setup->Width(), 550);
  EXPECT_EQ(setup->Height(), 370);
  RECT outer{};
  GetWindowRect(setup->Handle(), &outer);
  EXPECT_EQ(outer.right - outer.left, 550);
  EXPECT_EQ(outer.bottom - outer.top, 370);
  EXPECT_EQ(setup->Caption(), "Install Manager 2.5.15");
  EXPECT_EQ(setup->EdGroup->Text(), "Tessaro");
  EXPECT_FALSE(setup->BtPrior->Visible());
  EXPECT_FALSE(setup->BtAdd->Visible());
  EXPECT_TRUE(setup->BtNext->Visible() && setup->BtNext->Enabled());
  EXPECT_EQ(setup->OpenStp->Filter(), "Setup Files (*.stp)|*.stp|All Files (*.*)|*.*");
  // Message and error dialogs take the installer's look.
  TKyCfgMessages* messages = setup->KyCApplication1->CfgMessages();
  EXPECT_EQ(messages->SetBackGround()->Name(), "sb12");
  EXPECT_EQ(messages->Buttons()->SetFont()->Name(), "sf6");
  TKyPkgDisplay* display = setup->KyCApplication1->PkgDisplay();
  ASSERT_NE(display->FindBackGround("sb12"), nullptr);
  EXPECT_EQ(messages->SetBackGround()->Value(), display->FindBackGround("sb12")->Color());
  TKyCForm* config = TKyCForm::FindOn(setup);
  ASSERT_NE(config, nullptr);
  EXPECT_EQ(config->Icon()->PkgName(), "User");
  EXPECT_EQ(config->Style(), fmsNoSizeable);
  EXPECT_FALSE(setup->BorderIcons().Contains(biMaximize));
}

// Every caption bound to "Idioma" follows the language radio group at once.
TEST_F(TFormsTest, ChoosingALanguageChangesEveryCaption) {
  ShowWizard();
  for (int language : {2, 4, 1, 3, 0}) {
    SCOPED_TRACE(language);
    setup->Edlanguage->SetValue(Variant(std::to_string(language)));
    Pump();
    EXPECT_EQ(setup->BtNext->Caption(), Label(language, 6));
    // Also the captions of what does not show on page 0.
    EXPECT_EQ(setup->BtPrior->Caption(), Label(language, 7));
    EXPECT_EQ(setup->KySpeedButton1->Caption(), Label(language, 20));
    EXPECT_EQ(setup->EdAccept->InnerLabel()->Caption(), Label(language, 11));
    EXPECT_EQ(setup->EdGroup->InnerLabel()->Caption(), Label(language, 2));
    EXPECT_EQ(setup->EdDirectory->InnerLabel()->Caption(), Label(language, 1));
    EXPECT_EQ(setup->Edlanguage->Items()->ItemAs<TKyItem>(1)->Description(), Label(language, 8));
    TKyPkgStrings* const packages[] = {setup->PkgEnglish, setup->PkgSpanish, setup->PkgFrench, setup->PkgItalian,
                                       setup->PkgGerman};
    TKyPkgStringsText* licence = packages[language]->FindText(0);
    ASSERT_NE(licence, nullptr);
    // The memo shows the text's lines (its line breaks as the window's).
    EXPECT_EQ(setup->EdLicense->Lines()->Strings(0), licence->Text().substr(0, licence->Text().find('\r')));
  }
}

TEST_F(TFormsTest, KeysOfTheFirstPages) {
  ShowWizard();
  // Escape on page 0 does nothing: Previous is hidden there.
  PostKey(setup->Edlanguage, VK_ESCAPE);
  Pump();
  EXPECT_EQ(Page(), 0);
  // Enter is Next, with Shift too: page 3, with the focus on the acceptance.
  {
    TShiftDown shift;
    PostKey(setup->Edlanguage, VK_RETURN);
    ASSERT_TRUE(PumpUntil([&] { return Page() == 3 && setup->EdAccept->Focused(); }));
  }
  // Not accepted yet: Enter does nothing; Space accepts, then Enter goes on.
  PostKey(setup->EdAccept, VK_RETURN);
  Pump();
  EXPECT_EQ(Page(), 3);
  EXPECT_FALSE(setup->BtNext->Enabled());
  PostKey(setup->EdAccept, VK_SPACE);
  PostChar(setup->EdAccept, ' ');
  ASSERT_TRUE(PumpUntil([&] { return setup->Accept() == "T" && setup->BtNext->Enabled(); }));
  PostKey(setup->EdAccept, VK_RETURN);
  ASSERT_TRUE(PumpUntil([&] { return Page() == 4 && setup->EdGroup->Focused(); }));
  // Escape is Previous, with Ctrl too.
  TCtrlDown ctrl;
  PostKey(setup->EdGroup, VK_ESCAPE);
  ASSERT_TRUE(PumpUntil([&] { return Page() == 3 && setup->EdAccept->Focused(); }));
}

// Answers a modal dialog from inside its own message loop: a timer fires
// there and acts once the dialog is the active form.
class TModalAnswer {
public:
  TModalAnswer(TCustomForm* dialog, std::function<void()> act) {
    timer_.SetInterval(10);
    timer_.OnTimer = [this, dialog, act = std::move(act)](TObject*) {
      if (answered_ || !dialog->Active()) return;
      answered_ = true;
      act();
    };
  }
  bool Answered() const { return answered_; }

private:
  TTimer timer_{nullptr};
  bool answered_ = false;
};

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

// A folder tree of its own: Root\Chosen.
struct TSearchFolders {
  TempDir Temp;
  std::string Root = Temp.Path(), Chosen = Temp.MakeDir("Chosen");
};

// The dialog opens on the parent of the folder; only a confirmation (Ok
// clicked, or Enter on it: elsewhere Enter moves on, as everywhere in the
// installer) changes the folder, to the chosen directory and the group.
TEST_F(TFormsTest, TheSearchDialogChangesTheFolderOnlyWhenConfirmed) {
  TSearchFolders dirs;
  enum TAnswer { anEnter, anClickOk, anEscape, anClickCancel };
  struct TCase {
    TAnswer Answer;
    bool Confirmed;
  };
  const TCase cases[] = {{anEnter, true}, {anClickOk, true}, {anEscape, false}, {anClickCancel, false}};
  for (const TCase& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.Answer));
    const std::string before = dirs.Root + "\\Tessaro";
    std::string folder = before, opened;
    TModalAnswer answer(FrSearch, [&] {
      opened = FrSearch->DirectoryList->Directory();
      FrSearch->DirectoryList->SetDirectory(dirs.Chosen);
      switch (c.Answer) {
        case anEnter:
          FrSearch->FocusControl(FrSearch->BtOk);
          PostKey(FrSearch->BtOk, VK_RETURN);
          break;
        case anEscape: PostKey(FrSearch->DirectoryList, VK_ESCAPE); break;
        case anClickOk: PostClick(FrSearch->BtOk, 10, 10); break;
        case anClickCancel: PostClick(FrSearch->BtCancel, 10, 10); break;
      }
    });
    EXPECT_EQ(SelectFolder(folder, "Tessaro"), c.Confirmed);
    EXPECT_TRUE(answer.Answered());
    EXPECT_EQ(Lower(ExcludeTrailingBackslash(opened)), Lower(dirs.Root));
    EXPECT_EQ(Lower(folder), Lower(c.Confirmed ? dirs.Chosen + "\\Tessaro" : before));
  }
}

// The about box names the site and the addresses that the installation's
// internet shortcuts open.
TEST_F(TFormsTest, TheAboutBoxAndTheShortcutsNameTheSameSite) {
  struct TCase {
    const char* Label;
    std::string Shown, Opens;
  };
  const TCase cases[] = {
      {"LaWeb", kMakerWebHost, std::string("http://") + kMakerWebHost + "/"},
      {"LaInfo", kMakerMailInfo, std::string("mailto:") + kMakerMailInfo},
      {"LaSales", kMakerMailSales, std::string("mailto:") + kMakerMailSales},
      {"LaSupport", kMakerMailSupport, std::string("mailto:") + kMakerMailSupport},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Label);
    auto* label = FrAbout->Find<TKyLabel>(c.Label);
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->Value().AsString(), c.Shown);
    EXPECT_EQ(label->Execute(), c.Opens);
  }
}

// The folder page's Search button: the wizard's folder follows the dialog.
TEST_F(TFormsTest, TheFolderPagesSearchButtonFillsTheFolder) {
  TSearchFolders dirs;
  ShowWizard();
  setup->Controller()->Next();  // page 3, accepted: the group
  setup->Controller()->Next();  // the folder
  ASSERT_EQ(Page(), 5);
  setup->SetGroupText("Tessaro Tools");
  setup->SetFolderText(dirs.Root + "\\Tessaro");
  const std::string before = setup->EdDirectory->Text();
  std::string opened;
  {
    TModalAnswer cancel(FrSearch, [&] {
      opened = FrSearch->DirectoryList->Directory();
      PostKey(FrSearch->DirectoryList, VK_ESCAPE);
    });
    setup->KySpeedButton1->ClickAction();
    EXPECT_TRUE(cancel.Answered());
  }
  EXPECT_EQ(Lower(ExcludeTrailingBackslash(opened)), Lower(dirs.Root));
  EXPECT_EQ(setup->EdDirectory->Text(), before);
  {
    TModalAnswer choose(FrSearch, [&] {
      FrSearch->DirectoryList->SetDirectory(dirs.Chosen);
      PostClick(FrSearch->BtOk, 10, 10);
    });
    setup->KySpeedButton1->ClickAction();
    EXPECT_TRUE(choose.Answered());
  }
  EXPECT_EQ(Lower(setup->EdDirectory->Text()), Lower(dirs.Chosen + "\\Tessaro Tools"));
}

// Freed and made again in one process (its configuration, display and
// packages with it): it starts and switches languages as the first did.
TEST_F(TFormsTest, TheWizardCanBeMadeAgain) {
  delete setup;
  setup = nullptr;
  App().CreateForm(setup);
  ASSERT_NE(setup, nullptr);
  ASSERT_FALSE(App().TerminateRequested());
  ShowWizard();
  EXPECT_EQ(Page(), 0);
  EXPECT_EQ(setup->Caption(), "Install Manager 2.5.15");
  setup->Edlanguage->SetValue(Variant(std::string("4")));
  Pump();
  EXPECT_EQ(setup->BtNext->Caption(), Label(4, 6));
  setup->Edlanguage->SetValue(Variant(std::string("0")));
  Pump();
  EXPECT_EQ(setup->BtNext->Caption(), Label(0, 6));
}

// Each start shows the controller's page, in the recorded language: the
// update of an older installer its notice (8), a current one the products
// (9), also when the record is newer than this program.
TEST_F(TFormsTest, AStartShowsTheControllersPage) {
  struct TCase {
    int Ver1, Ver2, Ver3, Language, Mode, Page;
  };
  const TCase cases[] = {{2, 5, 14, 1, 1, 8}, {2, 5, 15, 4, 2, 9}, {3, 0, 0, 2, 2, 9}, {1, 0, 0, 0, 1, 8}};
  TRegistry reg;
  for (const TCase& c : cases) {
    SCOPED_TRACE(testing::Message() << c.Ver1 << "." << c.Ver2 << "." << c.Ver3);
    RecordInstaller(reg, c.Ver1, c.Ver2, c.Ver3, c.Language);
    MakeWizardAgain();
    ASSERT_NE(setup->Controller(), nullptr);
    EXPECT_EQ(setup->Controller()->Mode(), c.Mode);
    EXPECT_EQ(Page(), c.Page);
    EXPECT_EQ(VisiblePage(), c.Page);
    ShowWizard();
    EXPECT_EQ(VisiblePage(), c.Page);
    EXPECT_EQ(setup->Language(), c.Language);
    EXPECT_EQ(setup->BtNext->Caption(), Label(c.Language, c.Mode == 1 ? 6 : 10));
    EXPECT_EQ(setup->BtAdd->TControl::Visible(), c.Mode == 2);
    if (c.Mode != 2) continue;
    // Erase of the installer, the only product: its notice without Add.
    setup->SelectProduct(0);
    setup->Controller()->Previous();
    EXPECT_EQ(setup->Controller()->Mode(), 3);
    EXPECT_EQ(VisiblePage(), 8);
    EXPECT_FALSE(setup->BtAdd->TControl::Visible());
    EXPECT_TRUE(setup->BtPrior->TControl::Visible());
    EXPECT_EQ(setup->BtNext->Caption(), Label(c.Language, 17));
  }
  reg.EraseSection("SoftWare\\Tessaro");
}

// A product of thousands of files: page 8 lists the beginning of its plan
// and says how much more there is; the list's window is made all the same.
TEST_F(TFormsTest, APlanOfThousandsOfLinesShowsItsBeginning) {
  ShowWizard();
  std::vector<std::string> lines;
  for (int i = 0; i < 5000; ++i) lines.push_back("new      C:\\Data\\file" + std::to_string(i) + ".bin");
  setup->SetPlanLines(lines);
  setup->SetPage(8);
  ASSERT_TRUE(PumpUntil([&] { return setup->EdPlan->HandleAllocated(); }));
  ASSERT_EQ(setup->EdPlan->Lines()->Count(), 201);
  EXPECT_EQ(setup->EdPlan->Lines()->Strings(199), lines[199]);
  EXPECT_EQ(setup->EdPlan->Lines()->Strings(200), "... 4800 more (stptool plan lists them all)");
  setup->SetPlanLines({});
}

// The product picture: modes 1 and 2 clear it, 3 to 5 show the product's
// (nothing when it has none or it does not decode), 0 leaves it.
TEST_F(TFormsTest, TheImageModeShowsOrClearsTheProductPicture) {
  auto shown = [&]() -> std::pair<int, int> {
    TGraphic* g = setup->ImageInstall->Picture()->Graphic();
    return g && !g->Empty() ? std::pair{g->Width(), g->Height()} : std::pair{0, 0};
  };
  EXPECT_EQ(shown(), (std::pair{0, 0}));  // every start clears it
  TBitmap bitmap(40, 30, pf24bit);
  TMemoryStream bytes;
  bitmap.SaveToStream(bytes);
  const std::vector<uint8_t> picture = bytes.Data(), junk{'B', 'M', 1, 2, 3};
  struct TCase {
    int Mode;
    const std::vector<uint8_t>* Picture;
    std::pair<int, int> Shows;
  };
  const std::vector<uint8_t> none;
  const TCase cases[] = {{5, &picture, {40, 30}}, {0, &none, {40, 30}}, {2, &none, {0, 0}},
                         {3, &picture, {40, 30}}, {1, &none, {0, 0}},   {4, &picture, {40, 30}},
                         {4, &junk, {0, 0}},      {3, &picture, {40, 30}}, {5, &none, {0, 0}}};
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Mode);
    setup->ShowImage(c.Mode, *c.Picture);
    EXPECT_EQ(shown(), c.Shows);
  }
}

// The installed wizard keeps its layout in its variables file beside the
// program: moved, closed and started again, it comes back where it was.
// While it installs or updates itself it leaves that file alone.
TEST_F(TFormsTest, TheInstalledWizardRemembersWhereItWas) {
  TRegistry reg;
  DeleteFileForce(VarsFile());
  MakeWizardAgain();  // a first run
  ShowWizard();
  setup->SetBounds(40, 30, setup->Width(), setup->Height());
  Pump();
  MakeWizardAgain();
  EXPECT_FALSE(FileExists(VarsFile()));

  RecordInstaller(reg, 2, 5, 15, 0);
  MakeWizardAgain();
  ASSERT_EQ(setup->Controller()->Mode(), 2);
  ShowWizard();
  EXPECT_NE(setup->Left(), 123);
  setup->SetBounds(123, 77, setup->Width(), setup->Height());
  Pump();
  const int width = setup->Width(), height = setup->Height();
  MakeWizardAgain();
  ASSERT_TRUE(FileExists(VarsFile()));
  TKyPkgVars saved(nullptr);
  saved.LoadFromFile(VarsFile());
  EXPECT_EQ(saved.ReadString("FrSetup\\__Show__/__Info__", "").rfind("123,77,", 0), 0u)
      << saved.ReadString("FrSetup\\__Show__/__Info__", "");
  ShowWizard();
  EXPECT_EQ(setup->Left(), 123);
  EXPECT_EQ(setup->Top(), 77);
  EXPECT_EQ(setup->Width(), width);
  EXPECT_EQ(setup->Height(), height);
  reg.EraseSection("SoftWare\\Tessaro");
  MakeWizardAgain();
  DeleteFileForce(VarsFile());
}

}  // namespace
