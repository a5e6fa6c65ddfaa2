// Installing the installer itself and products of every kind, end to end
// against the sandboxed registry and real folders.
#include "platform/os/WinApi.h"

#include "EngineFixture.h"
#include "platform/base/Exception.h"
#include "platform/base/FileNames.h"
#include "platform/os/FileOps.h"
#include "platform/base/SysUtils.h"
#include "setup/Environments.h"
#include "setup/ProductRecord.h"
#include "support/ShellLinks.h"

using namespace ky_test;

namespace {


}  // namespace

TEST_F(EngineTest, InstallerInstallsItself) {
  state.Language = 3;
  InstallInstaller();
  const std::string folder = state.PathInstall + "\\KySetup\\";
  const std::string group = state.PathGroup + "\\";
  EXPECT_EQ(ReadAll(folder + "KySetup.exe"), "MZ the installer");
  EXPECT_EQ(ReadAll(folder + "License.txt"), "KyControls licence\r\n\r\nTerms.\r\n");

  LinkFields exe = LoadLink(group + "KySetup.lnk");
  EXPECT_TRUE(exe.loaded);
  EXPECT_TRUE(SameText(exe.path, folder + "KySetup.exe")) << exe.path;
  EXPECT_TRUE(SameText(IncludeTrailingBackslash(exe.workingDir), folder)) << exe.workingDir;
  EXPECT_TRUE(SameText(LoadLink(group + "License.lnk").path, folder + "License.txt"));
  EXPECT_EQ(ReadAll(group + "Web www.tessaro.com.url"), "[InternetShortcut]\r\nURL=http://www.tessaro.com/\r\n");
  for (const char* mail : {"info@tessaro.com", "support@tessaro.com", "sales@tessaro.com"})
    EXPECT_EQ(ReadAll(group + "Mail " + mail + ".url"),
              std::string("[InternetShortcut]\r\nURL=mailto:") + mail + "\r\n");
  EXPECT_FALSE(Exists(group + "--.lnk"));

  EXPECT_EQ(state.Registry.ReadString(kMakerKey, "Language", ""), "3");
  EXPECT_EQ(state.Registry.ReadString(kMakerKey, "PathGroup", ""), state.PathGroup);
  EXPECT_EQ(state.Registry.ReadString(kMakerKey, "PathInstall", ""), state.PathInstall);
  EXPECT_EQ(Reg("KySetup", "Ver1"), "2");
  EXPECT_EQ(Reg("KySetup", "Ver2"), "5");
  EXPECT_EQ(Reg("KySetup", "Ver3"), "15");
  EXPECT_EQ(Reg("KySetup", "FileSetup"), "KySetup");
  EXPECT_EQ(Reg("KySetup", "Description"), "KySetup Ver: 2.5.15");
  EXPECT_EQ(state.Products.Items(), (std::vector<TProductItem>{{"KySetup", "KySetup Ver: 2.5.15", 0}}));
}

TEST_F(EngineTest, InstallerUpdateKeepsTheMakersValuesAndEmptiesItsGroup) {
  InstallInstaller();
  WriteAll(state.PathGroup + "\\Stale.url", "x");
  WriteAll(state.PathGroup + "\\_Keep.txt", "x");
  state.Registry.WriteString(kMakerKey, "PathGroup", "C:\\Elsewhere");
  state.WizardMode = 1;
  state.Language = 4;
  Install(kInstallerName);
  EXPECT_EQ(state.Registry.ReadString(kMakerKey, "PathGroup", ""), "C:\\Elsewhere");
  EXPECT_EQ(state.Registry.ReadString(kMakerKey, "Language", ""), "0");
  EXPECT_FALSE(Exists(state.PathGroup + "\\Stale.url"));
  EXPECT_TRUE(Exists(state.PathGroup + "\\_Keep.txt"));
  EXPECT_EQ(state.Products.Count(), 1);  // replaced, not listed twice
}

TEST_F(EngineTest, LibraryProductPlacesEveryCategory) {
  const std::string root = AddEnvironment(D5);
  InstallInstaller();
  TSetupProduct p = Product("KyControls", 2, {2, 1, 0}, "", "EXE,HLP");
  std::string stp = MakeSetup("KyD5.stp", p,
                              {{"KyLibrary_D5.dpk", "project"},
                               {"KyPanel.hpp", "header"},
                               {"KyPanel.dcu", "unit"},
                               {"KyPanel.dfm", "form"},
                               {"dclKy50.bpl", "design"},
                               {"Ky50.bpl", "runtime"},
                               {"Demo\\Demo.exe", "demo"},
                               {"Read.me", ""}});
  Install(stp);
  const std::string product = ProductFolder("KyControls_D5Lib") + "\\";
  struct Placed {
    std::string path, content;
  };
  for (const Placed& f : {Placed{product + "KyLibrary_D5.dpk", "project"}, Placed{root + "\\Include\\KyPanel.hpp", "header"},
                          Placed{root + "\\Lib\\KyPanel.dcu", "unit"}, Placed{root + "\\Lib\\KyPanel.dfm", "form"},
                          Placed{root + "\\Bin\\dclKy50.bpl", "design"}, Placed{state.SystemDir + "\\Ky50.bpl", "runtime"},
                          Placed{product + "Demo\\Demo.exe", "demo"}, Placed{product + "Read.me", ""}})
    EXPECT_EQ(Exists(f.path) ? ReadAll(f.path) : "<missing>", f.content) << f.path;
  // Nothing of the library went to the product folder by mistake.
  EXPECT_FALSE(Exists(product + "KyPanel.dcu"));
  EXPECT_FALSE(Exists(product + "Ky50.bpl"));

  EXPECT_EQ(state.Registry.ReadString(KnownPackagesKey(D5), root + "\\Bin\\dclKy50.bpl", ""),
            "Library KyControls  (2.1.0)");
  LinkFields demo = LoadLink(GroupFolder("KyControls_D5Lib") + "\\Demo\\Demo.lnk");
  EXPECT_TRUE(SameText(demo.path, product + "Demo\\Demo.exe")) << demo.path;
  EXPECT_FALSE(Exists(GroupFolder("KyControls_D5Lib") + "\\KyLibrary_D5.lnk"));

  EXPECT_EQ(Reg("KyControls_D5Lib", "FileSetup"), "KyControls_D5Lib.stp");
  EXPECT_EQ(Reg("KyControls_D5Lib", "Ver1") + Reg("KyControls_D5Lib", "Ver2") + Reg("KyControls_D5Lib", "Ver3"), "210");
  EXPECT_EQ(Reg("KyControls_D5Lib", "Description"), "KyControls Delphi5 Library  Ver: 2.1.0");
  EXPECT_FALSE(HasValue("KyControls_D5Lib", "InstallLangs"));
  EXPECT_EQ(ReadAll(state.PathInstall + "\\KyControls_D5Lib.stp"), ReadAll(stp));
  EXPECT_EQ(state.Products.Find("KyControls_D5Lib", 0), 1);
  // The bar's label named each file as it was written.
  EXPECT_EQ(bar.labels.size(), 8u);
  EXPECT_EQ(bar.labels[1], "KyPanel.hpp");
}

TEST_F(EngineTest, RootDirWithOrWithoutFinalBackslashGivesTheSameFolders) {
  for (bool backslash : {false, true}) {
    SCOPED_TRACE(backslash);
    std::string root = AddEnvironment(D3, backslash);
    EXPECT_EQ(EnvironmentRoot(state, D3), root + "\\");
    DeleteTree(root, true);
  }
}

TEST_F(EngineTest, HelpProductGoesIntoEveryTickedEnvironment) {
  std::string roots[3] = {AddEnvironment(D3), AddEnvironment(D5), AddEnvironment(C5)};
  AddEnvironment(1);  // D4: detected but not ticked
  InstallInstaller();
  state.EnvironmentTicked[D3] = state.EnvironmentTicked[D5] = state.EnvironmentTicked[C5] = true;
  std::string stp = MakeSetup("KyHelp.stp", Product("KyControls", 3, {2, 1, 0}, "English"),
                              {{"KyControls.hlp", "help"}, {"KyControls.cnt", "contents"}});
  Install(stp);

  const char* contents[3] = {"Help\\Delphi3.cnt", "Help\\Delphi5.cnt", "Help\\bcb5.cnt"};
  for (int i = 0; i < 3; ++i) {
    SCOPED_TRACE(roots[i]);
    EXPECT_EQ(ReadAll(roots[i] + "\\Help\\KyControls.hlp"), "help");
    EXPECT_EQ(ReadAll(roots[i] + "\\Help\\KyControls.cnt"), "contents");
    EXPECT_EQ(ReadAll(roots[i] + "\\" + contents[i]),
              ":Base Borland.hlp\r\n:Index Help KyControls (KyControls.hlp) =KyControls.hlp\r\n"
              ":Include KyControls.cnt\r\n");
  }
  EXPECT_FALSE(Exists(dir / "EnvD4\\Help\\KyControls.hlp"));
  EXPECT_EQ(Reg("KyControls_HelpLib_English", "InstallLangs"), "D3,D5,C5");
  LinkFields link = LoadLink(GroupFolder("KyControls_HelpLib_English") + "\\KyControls.lnk");
  EXPECT_TRUE(link.loaded);
  EXPECT_TRUE(SameText(link.path, roots[2] + "\\Help\\KyControls.hlp")) << link.path;  // the last one written
  EXPECT_EQ(bar.labels.size(), 6u);  // each file once per environment
}

TEST_F(EngineTest, HelpProductWithNoTickPlacesNothingButStillReadsItsObsoleteList) {
  std::string root = AddEnvironment(D3);
  InstallInstaller();
  std::string product = ProductFolder("Ky_HelpLib");
  ForceDirectories(product);
  WriteAll(product + "\\Old.hlp", "old");
  std::string stp = MakeSetup("h.stp", Product("Ky", 3, {1, 0, 0}), {{"Ky.hlp", "help"}}, {"Old.hlp"});
  Install(stp);
  EXPECT_FALSE(Exists(root + "\\Help\\Ky.hlp"));
  EXPECT_FALSE(Exists(product + "\\Old.hlp"));
  EXPECT_EQ(Reg("Ky_HelpLib", "InstallLangs"), "");
}

TEST_F(EngineTest, SingleEnvironmentHelpUsesItsOwnEnvironmentAndClearsTheTicks) {
  std::string c5 = AddEnvironment(C5);
  AddEnvironment(D3);
  InstallInstaller();
  state.EnvironmentTicked[D3] = true;
  Install(MakeSetup("h.stp", Product("Ky", 16, {1, 0, 0}), {{"Ky.hlp", "help"}}));
  EXPECT_TRUE(Exists(c5 + "\\Help\\Ky.hlp"));
  EXPECT_FALSE(Exists(dir / "EnvD3\\Help\\Ky.hlp"));
  EXPECT_EQ(state.EnvironmentTicked, (std::array<bool, kEnvironmentCount>{}));
  EXPECT_FALSE(HasValue("Ky_C5Help", "InstallLangs"));
}

TEST_F(EngineTest, DataProductWithShortcutsAndObsoleteFiles) {
  InstallInstaller();
  const std::string product = ProductFolder("Samples") + "\\";
  const std::string group = GroupFolder("Samples") + "\\";
  // Left behind by an older version: removed as obsolete, with their links.
  ForceDirectories(product + "Old");
  ForceDirectories(group + "Old");
  WriteAll(product + "Old\\Gone.txt", "old");
  WriteAll(group + "Old\\Gone.lnk", "old link");
  WriteAll(product + "Kept.dat", "kept");
  TSetupProduct p = Product("Samples", 4, {1, 2, 0}, "", "TXT EXE");
  Install(MakeSetup("samples.stp", p,
                    {{"Readme.txt", "read me"}, {"README.TXT.BAK", "backup"}, {"Bin\\Tool.exe", "tool"},
                     {"Data\\Empty.dat", ""}},
                    {"Old\\Gone.txt", "Missing.txt"}));
  EXPECT_EQ(ReadAll(product + "Data\\Empty.dat"), "");
  EXPECT_EQ(ReadAll(product + "Bin\\Tool.exe"), "tool");
  EXPECT_EQ(ReadAll(product + "Kept.dat"), "kept");
  EXPECT_TRUE(LoadLink(group + "Readme.lnk").loaded);
  EXPECT_TRUE(LoadLink(group + "README.TXT.lnk").loaded);  // a substring test: ".TXT" occurs in the name
  EXPECT_TRUE(LoadLink(group + "Bin\\Tool.lnk").loaded);
  EXPECT_FALSE(Exists(group + "Data"));
  EXPECT_FALSE(Exists(product + "Old"));
  EXPECT_FALSE(Exists(group + "Old"));
  EXPECT_EQ(Reg("Samples", "Description"), "Samples  Ver: 1.2.0");
}

TEST_F(EngineTest, InstallingTheSameProductAgainRemovesTheFirstInstallation) {
  InstallInstaller();
  Install(MakeSetup("s1.stp", Product("Samples", 4, {1, 0, 0}), {{"a.txt", "1"}, {"only-in-1.txt", "1"}}));
  Install(MakeSetup("s2.stp", Product("Samples", 4, {1, 1, 0}), {{"a.txt", "2"}}));
  EXPECT_EQ(ReadAll(ProductFolder("Samples") + "\\a.txt"), "2");
  EXPECT_FALSE(Exists(ProductFolder("Samples") + "\\only-in-1.txt"));
  EXPECT_FALSE(Exists(state.PathInstall + "\\s1.stp"));
  EXPECT_EQ(Reg("Samples", "FileSetup"), "Samples.stp");
  EXPECT_EQ(ReadAll(state.PathInstall + "\\Samples.stp"), ReadAll(dir / "incoming\\s2.stp"));
  EXPECT_EQ(state.Products.Count(), 2);
}

TEST_F(EngineTest, FullProductReplacesAnotherQualifierOfItself) {
  std::string root = AddEnvironment(D5);
  InstallInstaller();
  Install(MakeSetup("pro.stp", Product("KyControls", 2, {2, 0, 0}, "Pro"), {{"KyPro.dcu", "pro"}}));
  ASSERT_TRUE(Exists(root + "\\Lib\\KyPro.dcu"));
  Install(MakeSetup("std.stp", Product("KyControls", 2, {2, 1, 0}), {{"KyStd.dcu", "std"}}));
  EXPECT_FALSE(Exists(root + "\\Lib\\KyPro.dcu"));
  EXPECT_FALSE(state.Registry.KeyExists(ProductKey("KyControls_D5Lib_Pro")));
  EXPECT_EQ(state.Products.Find("KyControls_D5Lib_Pro"), -1);
  EXPECT_EQ(state.Products.Find("KyControls_D5Lib"), 1);
}

TEST_F(EngineTest, RunFailingHalfWayLeavesTheDiskAndTheRecordAsTheyWere) {
  std::string root = AddEnvironment(D5);
  InstallInstaller();
  dir.MakeDir("EnvD5\\Lib\\KyGrid.dcu");  // a folder where the third file goes
  std::string stp = MakeSetup("broken.stp", Product("KyControls", 2, {2, 1, 0}),
                              {{"KyPanel.dcu", "unit"}, {"KyPanel.hpp", "header"}, {"KyGrid.dcu", "unit"}});
  const std::string before = Snapshot();
  const std::vector<TProductItem> items = state.Products.Items();
  bar.Reset();
  try {
    installer.InstallProduct(stp, bar.Max());
    ADD_FAILURE() << "no error";
  } catch (const EStreamError& e) {
    EXPECT_NE(std::string(e.what()).find(root + "\\Lib\\KyGrid.dcu"), std::string::npos) << e.what();
  }
  EXPECT_EQ(installer.Scales().Depth(), 0);
  EXPECT_EQ(SnapshotDiff(before, Snapshot()), "");
  EXPECT_EQ(state.Products.Items(), items);
  // The setup file was closed on the way out.
  EXPECT_TRUE(DeleteFileA(stp.c_str()));
}

TEST_F(EngineTest, MissingTargetFoldersAreFoundBeforeAnythingChanges) {
  // The environment's Include folder is gone, and a library file wants a
  // sub-folder of Lib: both are written into, never made.
  std::string root = AddEnvironment(D5);
  InstallInstaller();
  Install(MakeSetup("v1.stp", Product("KyControls", 2, {2, 1, 0}), {{"KyPanel.dcu", "1"}}));
  DeleteTree(root + "\\Include", true);
  struct Case {
    const char* what;
    std::vector<PayloadFile> files;
    std::string folder;
  } cases[] = {
      {"Include missing", {{"KyPanel.dcu", "2"}, {"KyPanel.hpp", "h"}}, root + "\\Include"},
      {"a sub-folder of Lib", {{"KyPanel.dcu", "2"}, {"Sub\\KyGrid.dcu", "g"}}, root + "\\Lib\\Sub"},
  };
  const std::string before = Snapshot();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::string stp = MakeSetup("v2.stp", Product("KyControls", 2, {2, 2, 0}), c.files);
    std::string got;
    try {
      installer.InstallProduct(stp, bar.Max());
    } catch (const Exception& e) {
      got = e.what();
    }
    EXPECT_EQ(got, "The file '" + stp + "' installs into the folder '" + c.folder + "', which does not exist.");
    ASSERT_TRUE(DeleteFileA(stp.c_str()));
    EXPECT_EQ(SnapshotDiff(before, Snapshot()), "");
  }
}

TEST_F(EngineTest, ChecksBeforeInstalling) {
  AddEnvironment(D5);
  InstallInstaller();
  Install(MakeSetup("base.stp", Product("KyControls", 2, {2, 1, 0}), {{"Ky.dcu", "1"}}));
  struct Case {
    const char* what;
    TSetupProduct product;
    std::string message;  // "" when accepted
  };
  TSetupProduct wrongBase = Update(Product("KyControls", 2, {2, 0, 0}), {2, 0, 5});
  const Case cases[] = {
      {"Delphi 3 missing", Product("Ky", 0, {1, 0, 0}), "Before of adding the product you should install Delphi 3."},
      {"Delphi 4 help missing", Product("Ky", 6, {1, 0, 0}), "Before of adding the product you should install Delphi 4."},
      {"Delphi 6 missing", Product("Ky", 8, {1, 0, 0}), "Before of adding the product you should install Delphi 6."},
      {"C++Builder3 missing", Product("Ky", 14, {1, 0, 0}),
       "Before of adding the product you should install C++Builder3."},
      {"C++Builder6 missing", Product("Ky", 13, {1, 0, 0}),
       "Before of adding the product you should install C++Builder6."},
      {"Delphi 5 present", Product("Ky", 7, {1, 0, 0}), ""},
      {"help for ticked environments", Product("Ky", 3, {1, 0, 0}), ""},
      {"data", Product("Ky", 4, {1, 0, 0}), ""},
      {"update without base", Update(Product("Other", 4, {1, 0, 0}), {1, 0, 1}),
       "You haven't instaled the base file for the selected update."},
      {"update of another base version", wrongBase,
       "The base file version installed doesn't correspond with the version of this update. The selected file "
       "updates to the version : '2.0.0'."},
      {"update of this base", Update(Product("KyControls", 2, {2, 1, 0}), {2, 1, 1}), ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::string stp = MakeSetup("check.stp", c.product, {});
    std::string got;
    try {
      installer.CheckProduct(stp);
    } catch (const Exception& e) {
      got = e.what();
    }
    EXPECT_EQ(got, c.message);
  }
  EXPECT_TRUE(installer.CheckProduct(MakeSetup("same.stp", Product("KyControls", 2, {2, 1, 0}), {})).SameVersionInstalled);
  EXPECT_FALSE(installer.CheckProduct(MakeSetup("new.stp", Product("KyControls", 2, {2, 2, 0}), {})).SameVersionInstalled);
}
