// The wizard as a user walks it: every mode through its pages, the
// validations, the button states, Add and Erase, over a view in memory and
// the sandboxed registry.
#include "platform/os/WinApi.h"

#include <deque>
#include <functional>
#include <map>

#include "EngineFixture.h"
#include "platform/base/Exception.h"
#include "platform/os/FileOps.h"
#include "platform/base/SysUtils.h"
#include "platform/os/SystemFolders.h"
#include "platform/base/FileNames.h"
#include "setup/Environments.h"
#include "setup/ProductRecord.h"
#include "setup/InstallerMessages.h"
#include "setup/ProductRecord.h"
#include "setup/WizardController.h"

using namespace ky_test;

namespace {

class TestView : public TWizardView {
public:
  void SetPage(int p) override { page = p; }
  void SetButton(TWizardButtonKind kind, const TWizardButton& state) override { buttons[kind] = state; }
  int Language() const override { return language; }
  void SetLanguage(int index) override { language = index; }
  void ActivateLanguage(int index) override { activated.push_back(index); }
  bool EnvironmentTicked(int i) const override { return ticked[i]; }
  void SetEnvironmentTicked(int i, bool t) override { ticked[i] = t; }
  void SetEnvironmentEnabled(int i, bool e) override { enabled[i] = e; }
  std::string Accept() const override { return accept; }
  void SetAccept(const std::string& v) override { accept = v; }
  std::string GroupText() const override { return group; }
  void SetGroupText(const std::string& t) override { group = t; }
  std::string FolderText() const override { return folder; }
  void SetFolderText(const std::string& t) override { folder = t; }
  std::vector<std::string> LicenseLines() const override { return {"Licence", "Terms"}; }
  void ShowProducts(const TProductList& p) override { products = p.Items(); }
  int SelectedProduct() const override { return selected; }
  void SelectProduct(int index) override { selected = index; }
  void SetSituationText(const std::string& t) override { situation = t; }
  void SetPlanLines(const std::vector<std::string>& l) override { planLines = l; }
  void SetProgressText(const std::string& t) override { progress = t; }
  void SetFinalText(const std::string& t) override { final = t; }
  TProgressSink& ProgressBar() override { return bar; }
  void ShowImage(int mode, const std::vector<uint8_t>& picture) override {
    imageMode = mode;
    this->picture = picture;
  }
  std::optional<std::string> ChooseSetupFile() override {
    if (chosen.empty()) return std::nullopt;
    std::string f = chosen.front();
    chosen.pop_front();
    return f;
  }
  void SetCaption(const std::string& c) override { caption = c; }
  void Repaint() override {
    if (onRepaint) onRepaint();
  }
  void ShowError(const std::string& m) override { errors.push_back(m); }
  void UseEmbeddedVariables() override { embeddedVariables = true; }
  void Close(int result) override { closed = result; }

  int page = -1;
  std::map<TWizardButtonKind, TWizardButton> buttons;
  int language = 0;
  std::vector<int> activated;
  std::array<bool, kEnvironmentCount> ticked{}, enabled{};
  std::string accept = "F", group, folder, situation, progress, final, caption;
  std::vector<std::string> planLines;
  std::vector<TProductItem> products;
  int selected = -1;
  RecordingBar bar;
  int imageMode = -1;
  std::vector<uint8_t> picture;
  std::deque<std::string> chosen;
  std::function<void()> onRepaint;
  std::vector<std::string> errors;
  bool embeddedVariables = false;
  int closed = 0;
};

const TWizardButton kHidden{false, true, lblPrevious, wbsArrow};

class WizardTest : public EngineTest {
protected:
  WizardTest() {
    // The Program Files and Programs folders come from the (sandboxed) registry.
    TRegistry(rkLocalMachine)
        .WriteString("Software\\Microsoft\\Windows\\CurrentVersion", "ProgramFilesPath", dir.MakeDir("ProgramFiles"));
    state.Registry.WriteString("Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders", "Programs",
                               dir / "Programs");
  }

  // The error text a command raised, "" when it went through.
  static std::string Refusal(const std::function<void()>& command) {
    try {
      command();
    } catch (const Exception& e) {
      return e.what();
    }
    return "";
  }

  TWizardButton Button(TWizardButtonKind k) { return view.buttons.at(k); }

  // Installs the installer through the wizard's first run and lands on the products page.
  void FirstRun() {
    wizard.Start();
    wizard.Next();
    view.accept = "T";
    wizard.Next();
    wizard.Next();
    view.folder = state.PathInstall;
    wizard.Next();
    ASSERT_EQ(view.page, 7);
    wizard.Next();
    ASSERT_EQ(view.page, 9);
  }

  // Adds a setup file and installs it through the pages of mode 2, back on the products page.
  void AddAndInstall(const std::string& setupFile) {
    view.chosen = {setupFile};
    wizard.Add();
    wizard.Next();
    view.accept = "T";
    wizard.Next();
    ASSERT_EQ(view.page, 7);
    wizard.Next();
  }

  TestView view;
  TWizardController wizard{view, state.ProgramFile};
};

}  // namespace

TEST_F(WizardTest, FirstRunWalksThroughItsPages) {
  wizard.Start();
  EXPECT_EQ(view.caption, "Install Manager 2.5.15");
  EXPECT_EQ(wizard.Mode(), 0);
  EXPECT_EQ(view.page, 0);
  EXPECT_TRUE(view.embeddedVariables);
  EXPECT_EQ(view.group, "Tessaro");
  EXPECT_EQ(view.folder, dir / "ProgramFiles\\Tessaro");
  EXPECT_EQ(view.imageMode, 1);
  EXPECT_FALSE(Button(wbAdd).Visible);
  EXPECT_FALSE(Button(wbPrior).Visible);
  EXPECT_EQ(Button(wbNext), (TWizardButton{true, true, lblNext, wbsArrow}));

  wizard.Next();
  EXPECT_EQ(view.page, 3);
  EXPECT_TRUE(Button(wbPrior).Visible);
  EXPECT_FALSE(Button(wbNext).Enabled);  // the licence is not accepted yet
  wizard.Next();                          // Enter before accepting does nothing
  EXPECT_EQ(view.page, 3);
  view.accept = "T";
  wizard.InputChanged();
  EXPECT_TRUE(Button(wbNext).Enabled);
  wizard.Previous();
  EXPECT_EQ(view.page, 0);
  wizard.Next();
  wizard.Next();
  EXPECT_EQ(view.page, 4);
  EXPECT_EQ(Button(wbNext), (TWizardButton{true, true, lblNext, wbsArrow}));

  view.group = "  ";
  EXPECT_EQ(Refusal([&] { wizard.Next(); }), "The group should be specified.");
  EXPECT_EQ(view.page, 4);
  wizard.Previous();
  EXPECT_EQ(view.page, 3);
  wizard.Next();
  view.group = " My Group ";
  wizard.Next();
  EXPECT_EQ(view.page, 5);
  EXPECT_EQ(Button(wbNext), (TWizardButton{true, true, lblInstall, wbsRound}));

  std::string windows = GetSystemFolder(sfWindows), system = GetSystemFolder(sfSystem);
  for (std::string reserved : {LowerCase(windows), UpperCase(IncludeTrailingBackslash(windows)), " " + system + " "}) {
    view.folder = reserved;
    EXPECT_EQ(Refusal([&] { wizard.Next(); }), "Folder name reserved.") << reserved;
  }
  view.folder = "";
  EXPECT_EQ(Refusal([&] { wizard.Next(); }), "The folder should be specified.");
  EXPECT_EQ(view.page, 5);
  wizard.Previous();
  EXPECT_EQ(view.page, 4);
  wizard.Next();

  view.folder = dir / "Products";
  view.language = 2;
  std::map<TWizardButtonKind, TWizardButton> onProgressPage;
  view.onRepaint = [&] { onProgressPage = view.buttons; };
  wizard.Next();
  EXPECT_EQ(view.progress, "Installing: KySetup Ver: 2.5.15.");
  EXPECT_FALSE(onProgressPage.at(wbPrior).Visible);
  EXPECT_EQ(onProgressPage.at(wbNext), (TWizardButton{true, true, lblInstall, wbsRound}));
  EXPECT_EQ(view.page, 7);
  EXPECT_EQ(view.final, "The process has finished successfully.");
  EXPECT_TRUE(view.errors.empty());
  EXPECT_EQ(view.bar.position, view.bar.Max());
  EXPECT_FALSE(Button(wbPrior).Visible);
  EXPECT_EQ(Button(wbNext), (TWizardButton{true, true, lblNext, wbsArrow}));
  EXPECT_EQ(state.Registry.ReadString(kMakerKey, "PathGroup", ""), dir / "Programs\\My Group");
  EXPECT_EQ(state.Registry.ReadString(kMakerKey, "Language", ""), "2");
  EXPECT_TRUE(Exists(dir / "Products\\KySetup\\KySetup.exe"));
  EXPECT_EQ(ReadAll(dir / "Products\\KySetup\\License.txt"), "Licence\r\nTerms\r\n");

  view.selected = 0;
  wizard.Next();
  EXPECT_EQ(wizard.Mode(), 2);
  EXPECT_EQ(view.page, 9);
  EXPECT_EQ(view.accept, "F");
  EXPECT_EQ(view.selected, -1);
  EXPECT_EQ(view.products, (std::vector<TProductItem>{{"KySetup", "KySetup Ver: 2.5.15", 0}}));
}

TEST_F(WizardTest, PreviousFromTheProgressPageOfTheFirstRun) {
  wizard.Start();
  wizard.Next();
  view.accept = "T";
  wizard.Next();
  wizard.Next();
  view.folder = dir / "Products";
  int pageAfterPrevious = -1;
  // Page 6 only exists while a run goes on: the command arrives from there.
  view.onRepaint = [&] {
    view.onRepaint = nullptr;
    wizard.Previous();
    pageAfterPrevious = view.page;
  };
  wizard.Next();
  EXPECT_EQ(pageAfterPrevious, 5);
  EXPECT_EQ(view.page, 7);
}

TEST_F(WizardTest, CurrentInstallerStartsOnTheProductsList) {
  FirstRun();
  state.Registry.WriteString(kMakerKey, "Language", "4");
  state.Registry.WriteString(ProductKey("Other"), "FileSetup", "Other.stp");
  state.Registry.WriteString(ProductKey("Other"), "Description", "Other product");
  state.Registry.WriteString(ProductKey("Other"), "FileSetupUpd", "Other.upd");
  state.Registry.WriteString(ProductKey("Other"), "DescriptionUpd", "Other update");
  TestView second;
  TWizardController again(second, state.ProgramFile);
  again.Start();
  EXPECT_EQ(again.Mode(), 2);
  EXPECT_EQ(second.page, 9);
  EXPECT_EQ(second.activated, std::vector<int>{4});
  EXPECT_FALSE(second.embeddedVariables);
  EXPECT_EQ(second.situation, "Warning: It will be updated the setup version 2.5.15 for 2.5.15.");
  EXPECT_EQ(second.products, (std::vector<TProductItem>{{"KySetup", "KySetup Ver: 2.5.15", 0},
                                                         {"Other", "Other product", 0},
                                                         {"Other", "Other update", 1}}));
  EXPECT_EQ(second.imageMode, 2);
  EXPECT_EQ(second.buttons.at(wbAdd).Visible, true);
  EXPECT_EQ(second.buttons.at(wbNext), (TWizardButton{true, true, lblClose, wbsRound}));
  EXPECT_EQ(second.buttons.at(wbPrior), (TWizardButton{true, false, lblErase, wbsRound}));  // nothing selected
  second.selected = 0;  // the installer, while another product is installed
  again.InputChanged();
  EXPECT_FALSE(second.buttons.at(wbPrior).Enabled);
  second.selected = 2;
  again.InputChanged();
  EXPECT_TRUE(second.buttons.at(wbPrior).Enabled);
  again.Next();
  EXPECT_EQ(second.closed, 1);
}

TEST_F(WizardTest, OlderInstallerIsUpdated) {
  FirstRun();
  state.Registry.WriteString(ProductKey("KySetup"), "Ver3", "14");
  state.Registry.WriteString(kMakerKey, "PathGroup", state.PathGroup);  // as written, without a final "\"
  TestView update;
  TWizardController wizard2(update, state.ProgramFile);
  wizard2.Start();
  EXPECT_EQ(wizard2.Mode(), 1);
  EXPECT_EQ(update.page, 8);
  EXPECT_TRUE(update.embeddedVariables);
  EXPECT_EQ(update.situation, "Warning: It will be updated the setup version 2.5.14 for 2.5.15.");
  EXPECT_EQ(wizard2.State().PathGroup, state.PathGroup + "\\");
  EXPECT_FALSE(update.buttons.at(wbPrior).Visible);
  EXPECT_EQ(update.buttons.at(wbNext), (TWizardButton{true, true, lblNext, wbsArrow}));
  EXPECT_EQ(update.imageMode, 1);

  wizard2.Next();
  EXPECT_EQ(update.page, 3);
  EXPECT_TRUE(update.buttons.at(wbPrior).Visible);
  EXPECT_EQ(update.buttons.at(wbNext), (TWizardButton{true, false, lblInstall, wbsRound}));
  wizard2.Previous();
  EXPECT_EQ(update.page, 8);
  wizard2.Next();
  update.accept = "T";
  std::map<TWizardButtonKind, TWizardButton> onProgressPage;
  int previousGoesTo = -1;
  update.onRepaint = [&] {
    onProgressPage = update.buttons;
    wizard2.Previous();  // mode 1, page 6 leads back to the licence
    previousGoesTo = update.page;
  };
  wizard2.Next();
  EXPECT_EQ(update.progress, "Updating: KySetup Ver: 2.5.15.");
  EXPECT_FALSE(onProgressPage.at(wbPrior).Visible);
  EXPECT_EQ(onProgressPage.at(wbNext), (TWizardButton{true, true, lblInstall, wbsRound}));
  EXPECT_EQ(previousGoesTo, 3);
  EXPECT_EQ(update.page, 7);
  EXPECT_EQ(update.final, "The process has finished successfully.");
  EXPECT_EQ(Reg("KySetup", "Ver3"), "15");
  EXPECT_FALSE(update.buttons.at(wbPrior).Visible);
  EXPECT_EQ(update.buttons.at(wbNext), (TWizardButton{true, true, lblClose, wbsRound}));
  wizard2.Next();
  EXPECT_EQ(update.closed, 1);
}

TEST_F(WizardTest, AddRefusesWhatCannotBeInstalledAndLeavesTheListAsItWas) {
  FirstRun();
  std::string notSetup = dir.WriteFile("incoming\\readme.stp", std::string(50, 'x'));
  std::string needsD3 = MakeSetup("d3.stp", Product("Ky", 0, {1, 0, 0}), {});
  std::string orphanUpdate = MakeSetup("u.stp", Update(Product("Ky", 4, {1, 0, 0}), {1, 0, 1}), {});
  TSetupProduct tooNewProduct = Product("Ky", 4, {1, 0, 0});
  tooNewProduct.Required = {2, 6, 0};
  std::string tooNew = MakeSetup("new.stp", tooNewProduct, {});
  struct Case {
    std::string file, message;
  };
  for (const Case& c : {Case{notSetup, "The file '" + notSetup + "' doesn't have the setup format."},
                        Case{needsD3, "Before of adding the product you should install Delphi 3."},
                        Case{orphanUpdate, "You haven't instaled the base file for the selected update."},
                        Case{tooNew, "To be able to install the selected file you should update the setup program to "
                                     "the version '2.6.0' or superior."}}) {
    view.chosen = {c.file};
    EXPECT_EQ(Refusal([&] { wizard.Add(); }), c.message);
    EXPECT_EQ(view.page, 9);
    EXPECT_EQ(wizard.Mode(), 2);
    EXPECT_EQ(wizard.SetupFileName(), "");
    EXPECT_TRUE(DeleteFileA(c.file.c_str())) << "left open: " << c.file;
  }
  wizard.Add();  // cancelled: nothing happens
  EXPECT_EQ(view.page, 9);

  // No development environment is installed here: each kind names the one it needs.
  struct KindCase {
    int kind;
    const char* needs;
  };
  for (const KindCase& k : {KindCase{1, "Delphi 4"}, KindCase{2, "Delphi 5"}, KindCase{9, "Delphi 6"},
                            KindCase{10, "C++Builder3"}, KindCase{15, "C++Builder4"}, KindCase{12, "C++Builder5"},
                            KindCase{17, "C++Builder6"}}) {
    view.chosen = {MakeSetup("k.stp", Product("Ky", k.kind, {1, 0, 0}), {})};
    EXPECT_EQ(Refusal([&] { wizard.Add(); }),
              std::string("Before of adding the product you should install ") + k.needs + ".")
        << k.kind;
    EXPECT_EQ(view.page, 9);
  }
}

TEST_F(WizardTest, AddingAndInstallingAProduct) {
  FirstRun();
  TSetupProduct p = Product("Samples", 4, {1, 0, 0});
  p.Picture = {'B', 'M', 7};
  std::string stp = MakeSetup("samples.stp", p, {{"a.txt", "a"}});
  view.chosen = {stp};
  wizard.Add();
  EXPECT_EQ(view.page, 8);
  EXPECT_EQ(wizard.SetupFileName(), stp);
  EXPECT_EQ(view.situation, "You have selected the product  'Samples  Ver: 1.0.0'.");
  // Below it, what Install will do: the plan stptool prints.
  ASSERT_GE(view.planLines.size(), 3u);
  EXPECT_EQ(view.planLines[0], "Install Samples  Ver: 1.0.0 (Samples)");
  EXPECT_EQ(view.planLines[2], "  new      " + IncludeTrailingBackslash(wizard.State().PathInstall) + "Samples\\a.txt");
  EXPECT_EQ(view.imageMode, 5);
  EXPECT_EQ(view.picture, p.Picture);
  EXPECT_FALSE(Button(wbAdd).Visible);
  EXPECT_EQ(Button(wbPrior), (TWizardButton{true, true, lblPrevious, wbsArrow}));
  EXPECT_EQ(Button(wbNext), (TWizardButton{true, true, lblNext, wbsArrow}));

  wizard.Next();  // not a help product: straight to the licence
  EXPECT_EQ(view.page, 3);
  EXPECT_EQ(Button(wbNext), (TWizardButton{true, false, lblInstall, wbsRound}));
  wizard.Previous();
  EXPECT_EQ(view.page, 8);
  wizard.Previous();
  EXPECT_EQ(view.page, 9);
  EXPECT_EQ(wizard.Mode(), 2);

  view.chosen = {stp};
  wizard.Add();
  wizard.Next();
  view.accept = "T";
  std::map<TWizardButtonKind, TWizardButton> onProgressPage;
  view.onRepaint = [&] { onProgressPage = view.buttons; };
  wizard.Next();
  EXPECT_EQ(view.progress, "Installing: Samples  Ver: 1.0.0.");
  EXPECT_FALSE(onProgressPage.at(wbPrior).Visible);
  EXPECT_EQ(onProgressPage.at(wbNext), (TWizardButton{true, true, lblInstall, wbsRound}));
  EXPECT_EQ(view.page, 7);
  EXPECT_EQ(view.final, "The process has finished successfully.");
  EXPECT_EQ(Button(wbNext), (TWizardButton{true, true, lblNext, wbsArrow}));
  EXPECT_EQ(view.products.size(), 2u);
  wizard.Next();
  EXPECT_EQ(view.page, 9);
  EXPECT_EQ(view.accept, "F");

  // The same version again: a notice, and the user may go on.
  view.chosen = {stp};
  wizard.Add();
  EXPECT_EQ(view.situation,
            "The version of the product  'Samples  Ver: 1.0.0' is already installed. If you continue it will be "
            "replaced.");
  EXPECT_EQ(view.page, 8);
}

TEST_F(WizardTest, HelpProductAsksForItsEnvironments) {
  std::string d5 = AddEnvironment(2);
  AddEnvironment(6);
  FirstRun();
  EXPECT_TRUE(view.enabled[2]);
  EXPECT_FALSE(view.enabled[0]);
  view.chosen = {MakeSetup("h.stp", Product("Ky", 3, {1, 0, 0}), {{"Ky.hlp", "h"}})};
  wizard.Add();
  EXPECT_EQ(view.imageMode, 4);
  wizard.Next();
  EXPECT_EQ(view.page, 1);
  EXPECT_FALSE(Button(wbNext).Enabled);
  wizard.Next();  // nothing ticked: stays
  EXPECT_EQ(view.page, 1);
  view.ticked[2] = true;
  wizard.InputChanged();
  EXPECT_TRUE(Button(wbNext).Enabled);
  wizard.Previous();
  EXPECT_EQ(view.page, 8);
  wizard.Next();
  wizard.Next();
  EXPECT_EQ(view.page, 3);
  wizard.Previous();
  EXPECT_EQ(view.page, 1);
  wizard.Next();
  view.accept = "T";
  wizard.Next();
  EXPECT_EQ(view.final, "The process has finished successfully.");
  EXPECT_EQ(ReadAll(d5 + "\\Help\\Ky.hlp"), "h");
  EXPECT_EQ(Reg("Ky_HelpLib", "InstallLangs"), "D5");
}

TEST_F(WizardTest, LibraryProductShowsItsPictureModeAndUpdateChecksTheBase) {
  AddEnvironment(2);
  FirstRun();
  TSetupProduct base = Product("KyControls", 2, {2, 1, 0});
  state.Registry.WriteString(ProductKey("KyControls_D5Lib"), "Ver1", "2");
  state.Registry.WriteString(ProductKey("KyControls_D5Lib"), "Ver2", "0");
  view.chosen = {MakeSetup("u.stp", Update(base, {2, 1, 1}), {})};
  EXPECT_EQ(Refusal([&] { wizard.Add(); }),
            "The base file version installed doesn't correspond with the version of this update. The selected file "
            "updates to the version : '2.1.0'.");
  view.chosen = {MakeSetup("l.stp", base, {})};
  wizard.Add();
  EXPECT_EQ(view.imageMode, 3);
}

TEST_F(WizardTest, ErasingProductsAndFinallyTheInstaller) {
  FirstRun();
  AddAndInstall(MakeSetup("s.stp", Product("Samples", 4, {1, 0, 0}), {{"a.txt", "a"}}));
  ASSERT_EQ(view.products.size(), 2u);

  view.selected = 1;
  wizard.InputChanged();
  wizard.Previous();  // Erase
  EXPECT_EQ(wizard.Mode(), 3);
  EXPECT_EQ(view.page, 8);
  EXPECT_EQ(view.situation, "Warning: The 'Samples  Ver: 1.0.0'. product will be erased.");
  EXPECT_EQ(Button(wbNext), (TWizardButton{true, true, lblErase, wbsRound}));
  wizard.Previous();  // changed my mind
  EXPECT_EQ(wizard.Mode(), 2);
  EXPECT_EQ(view.page, 9);

  view.selected = 1;
  wizard.Previous();
  std::map<TWizardButtonKind, TWizardButton> onProgressPage;
  view.onRepaint = [&] { onProgressPage = view.buttons; };
  wizard.Next();
  EXPECT_EQ(view.progress, "Eliminating: Samples  Ver: 1.0.0.");
  EXPECT_EQ(onProgressPage.at(wbNext), (TWizardButton{true, true, lblErase, wbsRound}));
  EXPECT_EQ(view.page, 7);
  EXPECT_FALSE(Exists(ProductFolder("Samples")));
  EXPECT_EQ(Button(wbNext), (TWizardButton{true, true, lblNext, wbsArrow}));  // products are left
  wizard.Next();
  EXPECT_EQ(wizard.Mode(), 2);
  EXPECT_EQ(view.page, 9);

  // Only the installer left: it may go, and the wizard closes after it.
  view.selected = 0;
  wizard.InputChanged();
  EXPECT_TRUE(Button(wbPrior).Enabled);
  wizard.Previous();
  wizard.Next();
  EXPECT_EQ(view.page, 7);
  EXPECT_TRUE(view.products.empty());
  EXPECT_EQ(Button(wbNext), (TWizardButton{true, true, lblClose, wbsRound}));
  EXPECT_FALSE(state.Registry.KeyExists(kMakerKey));
  EXPECT_EQ(view.closed, 0);
  wizard.Next();
  EXPECT_EQ(view.closed, 1);
}

TEST_F(WizardTest, FailedRunEndsOnTheFinalPageWithTheCancelMessage) {
  FirstRun();
  AddAndInstall(MakeSetup("s.stp", Product("Samples", 4, {1, 0, 0}), {{"a.txt", "a"}}));
  // The stored copy gone: the record goes all the same, and the error says its files stay.
  ASSERT_TRUE(DeleteFileA((state.PathInstall + "\\Samples.stp").c_str()));
  view.selected = 1;
  wizard.Previous();
  wizard.Next();
  EXPECT_EQ(view.page, 7);
  EXPECT_EQ(view.final, "The process has been canceled.");
  ASSERT_EQ(view.errors.size(), 1u);
  EXPECT_NE(view.errors[0].find("Samples.stp' could not be read"), std::string::npos) << view.errors[0];
  EXPECT_EQ(state.Products.Find("Samples"), -1);
  EXPECT_FALSE(state.Registry.KeyExists("SoftWare\\Tessaro\\Samples"));
}

TEST_F(WizardTest, SingleEnvironmentHelpUnticksEveryBoxAndTheSelectionStaysAfterARun) {
  AddEnvironment(2);
  FirstRun();
  AddAndInstall(MakeSetup("s.stp", Product("Samples", 4, {1, 0, 0}), {{"a.txt", "a"}}));
  view.ticked.fill(true);  // left from an earlier help product of kind 3
  view.selected = 1;
  AddAndInstall(MakeSetup("h.stp", Product("Ky", 7, {1, 0, 0}), {{"Ky.hlp", "h"}}));
  EXPECT_EQ(view.ticked, (std::array<bool, kEnvironmentCount>{}));
  EXPECT_EQ(view.selected, 1);
  ASSERT_EQ(view.products.size(), 3u);

  // Erasing the last item: a selection beyond the shorter list goes.
  view.selected = 2;
  wizard.Previous();
  wizard.Next();
  ASSERT_EQ(view.page, 7);
  EXPECT_EQ(view.products.size(), 2u);
  EXPECT_EQ(view.selected, -1);
}

TEST_F(WizardTest, WhatARunCouldNotCleanUpIsToldAfterItFinishes) {
  FirstRun();
  AddAndInstall(MakeSetup("s.stp", Product("Samples", 4, {1, 0, 0}), {{"a.txt", "a"}}));
  ASSERT_TRUE(DeleteFileA((state.PathInstall + "\\Samples.stp").c_str()));
  view.chosen = {MakeSetup("s2.stp", Product("Samples", 4, {1, 1, 0}), {{"b.txt", "b"}})};
  wizard.Add();
  wizard.Next();
  view.accept = "T";
  wizard.Next();
  ASSERT_EQ(view.page, 7);
  EXPECT_EQ(view.final, "The process has finished successfully.");
  ASSERT_EQ(view.errors.size(), 1u);
  EXPECT_NE(view.errors[0].find("Samples.stp' could not be read"), std::string::npos) << view.errors[0];
  EXPECT_EQ(Reg("Samples", "Ver2"), "1");
}

TEST_F(WizardTest, AStoppedRunIsUndoneBeforeTheWizardReadsTheRecordAndItSaysSo) {
  FirstRun();
  // What a run killed half-way through a new product leaves: its first file
  // and the start of its record, and the journal that names them.
  const std::string journal = IncludeTrailingBackslash(GetSystemFolder(sfTemp)) + "KySetup.jnl";
  const std::string file = state.PathInstall + "\\Half\\a.txt";
  dir.MakeDir("Products\\Half");
  WriteAll(file, "a");
  state.Registry.WriteString(ProductKey("Half"), "FileSetup", "Half.stp");
  auto escaped = [](std::string text) {  // the journal doubles its backslashes
    for (size_t at = 0; (at = text.find('\\', at)) != std::string::npos; at += 2) text.insert(at, 1, '\\');
    return text;
  };
  WriteAll(journal, "DIR\t" + escaped(state.PathInstall + "\\Half") + "\nNEW\t" + escaped(file) + "\nNEWKEY\t" +
                        escaped(ProductKey("Half")) + "\n");
  TestView second;
  TWizardController again(second, state.ProgramFile);
  again.Start();
  EXPECT_EQ(second.errors, std::vector<std::string>{
                               "The setup program had been stopped in the middle of a run; what that run had changed "
                               "was undone."});
  EXPECT_FALSE(Exists(state.PathInstall + "\\Half"));
  EXPECT_FALSE(Exists(journal));
  EXPECT_FALSE(state.Registry.KeyExists(ProductKey("Half")));
  EXPECT_EQ(second.products, (std::vector<TProductItem>{{"KySetup", "KySetup Ver: 2.5.15", 0}}));
}

TEST_F(WizardTest, ASetupFileFromOutsideIsAddedOnlyWhereAddCouldBe) {
  // Before the installer is installed there is nowhere to add it.
  wizard.Start();
  const std::string stp = MakeSetup("samples.stp", Product("Samples", 4, {1, 0, 0}), {{"a.txt", "a"}});
  EXPECT_FALSE(wizard.OpenSetupFile(stp));
  EXPECT_EQ(view.page, 0);
  ASSERT_EQ(view.errors.size(), 1u);
  EXPECT_NE(view.errors[0].find("not installed yet"), std::string::npos) << view.errors[0];
  view.errors.clear();

  FirstRun();
  EXPECT_TRUE(wizard.OpenSetupFile(stp));
  EXPECT_EQ(view.page, 8);
  EXPECT_EQ(wizard.SetupFileName(), stp);
  EXPECT_EQ(view.situation, "You have selected the product  'Samples  Ver: 1.0.0'.");
  // A second file on page 8 replaces the first.
  const std::string other = MakeSetup("other.stp", Product("Other", 4, {2, 0, 0}), {{"b.txt", "b"}});
  EXPECT_TRUE(wizard.OpenSetupFile(other));
  EXPECT_EQ(view.page, 8);
  EXPECT_EQ(wizard.SetupFileName(), other);
  EXPECT_EQ(view.situation, "You have selected the product  'Other  Ver: 2.0.0'.");

  // Mid-way through an installation (the licence page) it is refused, and nothing changes.
  wizard.Next();
  ASSERT_EQ(view.page, 3);
  EXPECT_FALSE(wizard.OpenSetupFile(stp));
  EXPECT_EQ(view.page, 3);
  EXPECT_EQ(wizard.SetupFileName(), other);
  ASSERT_EQ(view.errors.size(), 1u);
  EXPECT_NE(view.errors[0].find("busy"), std::string::npos) << view.errors[0];

  // A file that fails the checks says so as Add does and leaves the page.
  wizard.Previous();
  wizard.Previous();
  ASSERT_EQ(view.page, 9);
  const std::string bad = dir / "bad.stp";
  WriteAll(bad, "not a setup file");
  EXPECT_NE(Refusal([&] { wizard.OpenSetupFile(bad); }), "");
  EXPECT_EQ(view.page, 9);
  EXPECT_EQ(wizard.Mode(), 2);
}

TEST_F(WizardTest, AnEraseRequestOpensTheProductsErasePage) {
  FirstRun();
  AddAndInstall(MakeSetup("samples.stp", Product("Samples", 4, {1, 0, 0}), {{"a.txt", "a"}}));
  ASSERT_EQ(view.page, 9);
  EXPECT_TRUE(wizard.OpenErase("samples"));
  EXPECT_EQ(view.page, 8);
  EXPECT_EQ(wizard.Mode(), 3);
  EXPECT_NE(view.situation.find("Samples  Ver: 1.0.0"), std::string::npos) << view.situation;
  wizard.Next();  // erase it
  EXPECT_EQ(view.page, 7);
  wizard.Next();
  EXPECT_EQ(state.Registry.KeyExists(ProductKey("Samples")), false);

  // A product that is not there: the products page and a word why.
  EXPECT_TRUE(wizard.OpenErase("Samples"));
  EXPECT_EQ(view.page, 9);
  EXPECT_EQ(wizard.Mode(), 2);
  ASSERT_FALSE(view.errors.empty());
  EXPECT_EQ(view.errors.back(), "The product 'Samples' is not installed.");
}

TEST_F(WizardTest, AnEnvironmentNeverStartedIsToldOnTheNoticePageAndNextWaitsForIt) {
  // Delphi 5 installed (its machine key) but never started by this user.
  const std::string root = dir.MakeDir("EnvD5");
  dir.MakeDir("EnvD5\\Lib");
  TRegistry(rkLocalMachine).WriteString(Environment(2).Key, "RootDir", root);
  FirstRun();
  view.chosen = {MakeSetup("lib.stp", Product("Ky", 2, {1, 0, 0}), {{"A.dcu", "u"}})};
  wizard.Add();
  ASSERT_EQ(view.page, 8);
  const std::string told =
      "Borland Delphi5 has never been started by this user: start it once and close it, then go on. Its packages "
      "would otherwise not be registered.";
  EXPECT_EQ(view.situation, "You have selected the product  'Ky Delphi5 Library  Ver: 1.0.0'.\n" + told);
  EXPECT_EQ(view.planLines, std::vector<std::string>{told});
  EXPECT_EQ(Refusal([&] { wizard.Next(); }), told);
  EXPECT_EQ(view.page, 8);
  EXPECT_FALSE(state.Registry.KeyExists(Environment(2).Key));  // never made by the installer
  // The user starts it once: Next goes on, and the list shows the plan.
  state.Registry.CreateKey(Environment(2).Key);
  EXPECT_EQ(Refusal([&] { wizard.Next(); }), "");
  EXPECT_EQ(view.page, 3);
  EXPECT_EQ(view.situation, "You have selected the product  'Ky Delphi5 Library  Ver: 1.0.0'.");
  ASSERT_FALSE(view.planLines.empty());
  EXPECT_EQ(view.planLines[0], "Install Ky Delphi5 Library  Ver: 1.0.0 (Ky_D5Lib)");
}
