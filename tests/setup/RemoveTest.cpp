// Erasing products and updates, and the update sequence as a whole.
#include "platform/os/WinApi.h"

#include "EngineFixture.h"
#include "platform/base/Exception.h"
#include "platform/os/FileOps.h"
#include "setup/Environments.h"
#include "setup/ProductRecord.h"

using namespace ky_test;

namespace {


}  // namespace

TEST_F(EngineTest, ErasingALibraryProductUndoesItsInstallation) {
  const std::string root = AddEnvironment(D5);
  InstallInstaller();
  Install(MakeSetup("KyD5.stp", Product("KyControls", 2, {2, 1, 0}, "", "EXE"),
                    {{"KyPanel.hpp", "h"}, {"KyPanel.dcu", "u"}, {"dclKy50.bpl", "d"}, {"Ky50.bpl", "r"},
                     {"Demo.exe", "x"}, {"KyLibrary_D5.dpk", "p"}}));
  // The environment may have rewritten the registration in its macro form.
  state.Registry.WriteString(KnownPackagesKey(D5), "$(DELPHI)\\Bin\\dclKy50.bpl", "Library KyControls  (2.1.0)");
  WriteAll(root + "\\Lib\\Foreign.dcu", "not ours");

  Remove(state.Products[state.Products.Find("KyControls_D5Lib")]);
  for (const std::string& gone : {root + "\\Include\\KyPanel.hpp", root + "\\Lib\\KyPanel.dcu",
                                  root + "\\Bin\\dclKy50.bpl", state.SystemDir + "\\Ky50.bpl",
                                  ProductFolder("KyControls_D5Lib"), GroupFolder("KyControls_D5Lib"),
                                  state.PathInstall + "\\KyControls_D5Lib.stp"})
    EXPECT_FALSE(Exists(gone)) << gone;
  EXPECT_TRUE(Exists(root + "\\Lib\\Foreign.dcu"));
  EXPECT_TRUE(state.Registry.GetKeyNames(KnownPackagesKey(D5)).empty());
  EXPECT_FALSE(state.Registry.ValueExists(KnownPackagesKey(D5), root + "\\Bin\\dclKy50.bpl"));
  EXPECT_FALSE(state.Registry.ValueExists(KnownPackagesKey(D5), "$(DELPHI)\\Bin\\dclKy50.bpl"));
  EXPECT_FALSE(state.Registry.KeyExists(ProductKey("KyControls_D5Lib")));
  EXPECT_EQ(state.Products.Items(), (std::vector<TProductItem>{{"KySetup", "KySetup Ver: 2.5.15", 0}}));
}

TEST_F(EngineTest, ErasingAHelpProductCleansEveryEnvironmentItWentTo) {
  std::string d3 = AddEnvironment(D3), c5 = AddEnvironment(C5);
  InstallInstaller();
  state.EnvironmentTicked[D3] = state.EnvironmentTicked[C5] = true;
  Install(MakeSetup("help.stp", Product("Ky", 3, {1, 0, 0}), {{"Ky.hlp", "h"}, {"Ky.cnt", "c"}}));
  state.EnvironmentTicked.fill(false);  // the record, not the ticks, says where it went
  Remove(state.Products[state.Products.Find("Ky_HelpLib")]);
  for (const std::string& root : {d3, c5}) {
    EXPECT_FALSE(Exists(root + "\\Help\\Ky.hlp"));
    EXPECT_FALSE(Exists(root + "\\Help\\Ky.cnt"));
  }
  EXPECT_EQ(ReadAll(d3 + "\\Help\\Delphi3.cnt"), ":Base Borland.hlp\r\n");
  EXPECT_EQ(ReadAll(c5 + "\\Help\\bcb5.cnt"), ":Base Borland.hlp\r\n");
  EXPECT_FALSE(Exists(GroupFolder("Ky_HelpLib")));
}

TEST_F(EngineTest, UpdateOverBaseThenErasingTheUpdateReinstallsTheBase) {
  const std::string root = AddEnvironment(D5);
  InstallInstaller();
  TSetupProduct base = Product("KyControls", 2, {2, 1, 0});
  Install(MakeSetup("base.stp", base, {{"KyPanel.dcu", "base unit"}, {"KyGrid.dcu", "base grid"}}));
  Install(MakeSetup("upd1.stp", Update(base, {2, 1, 1}), {{"KyPanel.dcu", "update unit"}, {"KyNew.dcu", "new"}}));
  EXPECT_EQ(ReadAll(root + "\\Lib\\KyPanel.dcu"), "update unit");
  EXPECT_EQ(Reg("KyControls_D5Lib", "FileSetupUpd"), "KyControls_D5Lib.upd");
  EXPECT_EQ(Reg("KyControls_D5Lib", "Ver3Upd"), "1");
  EXPECT_EQ(Reg("KyControls_D5Lib", "DescriptionUpd"), "KyControls Delphi5 Library  Ver: 2.1.1 Update");
  EXPECT_EQ(Reg("KyControls_D5Lib", "Ver3"), "0");
  ASSERT_EQ(state.Products.Count(), 3);
  EXPECT_EQ(state.Products[2], (TProductItem{"KyControls_D5Lib", "KyControls Delphi5 Library  Ver: 2.1.1 Update", 1}));

  Remove(state.Products[2]);
  EXPECT_EQ(ReadAll(root + "\\Lib\\KyPanel.dcu"), "base unit");
  EXPECT_EQ(ReadAll(root + "\\Lib\\KyGrid.dcu"), "base grid");
  EXPECT_FALSE(Exists(root + "\\Lib\\KyNew.dcu"));
  for (const char* value : {"FileSetupUpd", "Ver1Upd", "Ver2Upd", "Ver3Upd", "DescriptionUpd"})
    EXPECT_FALSE(HasValue("KyControls_D5Lib", value)) << value;
  EXPECT_EQ(Reg("KyControls_D5Lib", "FileSetup"), "KyControls_D5Lib.stp");
  EXPECT_EQ(Reg("KyControls_D5Lib", "Description"), "KyControls Delphi5 Library  Ver: 2.1.0");
  EXPECT_TRUE(Exists(state.PathInstall + "\\KyControls_D5Lib.stp"));
  EXPECT_FALSE(Exists(state.PathInstall + "\\KyControls_D5Lib.upd"));
  EXPECT_EQ(state.Products.Find("KyControls_D5Lib", 1), -1);
  EXPECT_GE(state.Products.Find("KyControls_D5Lib", 0), 0);
}

TEST_F(EngineTest, UpdateOverUpdateReplacesTheOldUpdate) {
  const std::string root = AddEnvironment(D5);
  InstallInstaller();
  TSetupProduct base = Product("KyControls", 2, {2, 1, 0});
  Install(MakeSetup("base.stp", base, {{"KyPanel.dcu", "base"}, {"KyGrid.dcu", "base grid"}}));
  Install(MakeSetup("upd1.stp", Update(base, {2, 1, 1}), {{"KyGrid.dcu", "grid 1"}, {"KyOnlyIn1.dcu", "1"}}));
  Install(MakeSetup("upd2.stp", Update(base, {2, 1, 2}), {{"KyPanel.dcu", "panel 2"}}));
  EXPECT_EQ(ReadAll(root + "\\Lib\\KyPanel.dcu"), "panel 2");
  EXPECT_EQ(ReadAll(root + "\\Lib\\KyGrid.dcu"), "base grid");  // the base came back before update 2
  EXPECT_FALSE(Exists(root + "\\Lib\\KyOnlyIn1.dcu"));
  EXPECT_EQ(ReadAll(state.PathInstall + "\\KyControls_D5Lib.upd"), ReadAll(dir / "incoming\\upd2.stp"));
  EXPECT_EQ(Reg("KyControls_D5Lib", "FileSetupUpd"), "KyControls_D5Lib.upd");
  EXPECT_EQ(Reg("KyControls_D5Lib", "Ver3Upd"), "2");
  int updates = 0;
  for (const TProductItem& item : state.Products.Items()) updates += item.Data == 1;
  EXPECT_EQ(updates, 1);
}

TEST_F(EngineTest, ErasingABaseWithAnUpdateErasesBoth) {
  InstallInstaller();
  TSetupProduct base = Product("Samples", 4, {1, 0, 0});
  Install(MakeSetup("s.stp", base, {{"a.txt", "a"}}));
  Install(MakeSetup("s-upd.stp", Update(base, {1, 0, 1}), {{"b.txt", "b"}}));
  Remove(state.Products[state.Products.Find("Samples", 0)]);
  EXPECT_FALSE(state.Registry.KeyExists(ProductKey("Samples")));
  EXPECT_EQ(state.Products.Find("Samples"), -1);
  EXPECT_FALSE(Exists(ProductFolder("Samples")));
  EXPECT_FALSE(Exists(state.PathInstall + "\\Samples.stp"));
  EXPECT_FALSE(Exists(state.PathInstall + "\\Samples.upd"));
}

TEST_F(EngineTest, HelpUpdateOfKindThreeGoesBackWhereTheBaseWas) {
  std::string d3 = AddEnvironment(D3), c5 = AddEnvironment(C5);
  InstallInstaller();
  state.EnvironmentTicked[D3] = state.EnvironmentTicked[C5] = true;
  TSetupProduct base = Product("Ky", 3, {1, 0, 0});
  Install(MakeSetup("h.stp", base, {{"Ky.hlp", "base"}}));
  Install(MakeSetup("h-upd.stp", Update(base, {1, 0, 1}), {{"Ky.hlp", "update"}}));
  EXPECT_EQ(ReadAll(c5 + "\\Help\\Ky.hlp"), "update");
  state.EnvironmentTicked.fill(false);
  Remove(state.Products[state.Products.Find("Ky_HelpLib", 1)]);
  EXPECT_EQ(ReadAll(d3 + "\\Help\\Ky.hlp"), "base");
  EXPECT_EQ(ReadAll(c5 + "\\Help\\Ky.hlp"), "base");
  EXPECT_EQ(Reg("Ky_HelpLib", "InstallLangs"), "D3,C5");
}

TEST_F(EngineTest, ErasingTheInstallerLeavesNoRecordAndNoGroup) {
  InstallInstaller();
  Install(MakeSetup("s.stp", Product("Samples", 4, {1, 0, 0}, "", "TXT"), {{"a.txt", "a"}}));
  Remove(state.Products[state.Products.Find("Samples")]);
  Remove(state.Products[state.Products.Find("KySetup")]);
  EXPECT_FALSE(state.Registry.KeyExists(kMakerKey));
  EXPECT_FALSE(Exists(state.PathGroup));
  EXPECT_FALSE(Exists(state.PathInstall + "\\KySetup"));  // the installer's own files go with it
  EXPECT_TRUE(Exists(state.PathInstall));
  EXPECT_EQ(state.Products.Count(), 0);
}

TEST_F(EngineTest, UnreadableStoredSetupFileStillErasesTheRecordAndSaysWhatStays) {
  // Missing, or cut short: either way its file list cannot be known.
  for (bool missing : {true, false}) {
    SCOPED_TRACE(missing ? "missing" : "truncated");
    InstallInstaller();
    Install(MakeSetup("s.stp", Product("Samples", 4, {1, 0, 0}), {{"a.txt", "a"}}));
    const std::string stored = state.PathInstall + "\\Samples.stp";
    if (missing) ASSERT_TRUE(DeleteFileA(stored.c_str()));
    else WriteAll(stored, ReadAll(stored).substr(0, 60));
    bar.Reset();
    TProductItem item = state.Products[state.Products.Find("Samples")];
    try {
      installer.RemoveProduct(installer.StoredSetupFile(item), bar.Max(), true, true);
      ADD_FAILURE() << "no error";
    } catch (const EStoredCopyUnreadable& e) {
      EXPECT_EQ(std::string(e.what()).find("The stored setup file '" + stored + "' could not be read ("), 0u)
          << e.what();
    }
    EXPECT_EQ(installer.Scales().Depth(), 0);
    EXPECT_FALSE(state.Registry.KeyExists(ProductKey("Samples")));
    EXPECT_EQ(state.Products.Find("Samples"), -1);
    EXPECT_FALSE(Exists(stored));
    EXPECT_TRUE(Exists(ProductFolder("Samples") + "\\a.txt"));  // what it installed is unknown, so it stays

    // Nor does it block installing again: the same with the copy gone before a new installation.
    Install(MakeSetup("s.stp", Product("Samples", 4, {1, 0, 0}), {{"a.txt", "a"}}));
    if (missing) ASSERT_TRUE(DeleteFileA(stored.c_str()));
    else WriteAll(stored, "KySetup");
    installer.ClearNotes();
    Install(MakeSetup("s2.stp", Product("Samples", 4, {1, 1, 0}), {{"b.txt", "b"}}));
    EXPECT_EQ(Reg("Samples", "Ver2"), "1");
    EXPECT_EQ(ReadAll(stored), ReadAll(dir / "incoming\\s2.stp"));
    ASSERT_EQ(installer.Notes().size(), 1u);
    EXPECT_NE(installer.Notes()[0].find(stored), std::string::npos) << installer.Notes()[0];
    Remove(state.Products[state.Products.Find("Samples")]);
    Remove(state.Products[state.Products.Find("KySetup")]);
  }
}
