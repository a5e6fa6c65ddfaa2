// The ".stp" file type and the "Programs and Features" entries: written by
// the installer's own installation and by each product's, taken away with
// them, only below HKEY_CURRENT_USER, and undone with a failed run.
#include "platform/os/WinApi.h"

#include "EngineFixture.h"
#include "platform/base/Exception.h"
#include "platform/os/WinFile.h"
#include "setup/ProductRecord.h"
#include "setup/RunJournal.h"
#include "setup/ShellEntries.h"

using namespace ky_test;

namespace {

const std::string kExt = "Software\\Classes\\.stp";
const std::string kProgId = "Software\\Classes\\Tessaro.SetupFile";
const std::string kUninstall = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

class ShellEntriesTest : public EngineTest {
protected:
  std::string Program() const { return state.PathInstall + "\\KySetup\\KySetup.exe"; }
  std::string Value(const std::string& key, const std::string& value) const {
    return state.Registry.ReadString(key, value, "<missing>");
  }
};

}  // namespace

TEST_F(ShellEntriesTest, InstallerRegistersTheFileTypeAndItsEntry) {
  InstallInstaller();
  const std::string quoted = "\"" + Program() + "\"";
  EXPECT_EQ(Value(kExt, ""), "Tessaro.SetupFile");
  EXPECT_EQ(Value(kProgId, ""), "KySetup setup file");
  EXPECT_EQ(Value(kProgId + "\\DefaultIcon", ""), quoted + ",0");
  EXPECT_EQ(Value(kProgId + "\\shell\\open\\command", ""), quoted + " \"%1\"");

  const std::string key = kUninstall + "KySetup";
  EXPECT_EQ(Value(key, "DisplayName"), "KySetup 2.5.15");
  EXPECT_EQ(Value(key, "DisplayVersion"), "2.5.15");
  EXPECT_EQ(Value(key, "Publisher"), "Tessaro");
  EXPECT_EQ(Value(key, "DisplayIcon"), quoted + ",0");
  EXPECT_EQ(Value(key, "InstallLocation"), state.PathInstall + "\\KySetup");
  EXPECT_EQ(Value(key, "UninstallString"), quoted);
  // The program and the licence together are under one kilobyte here.
  EXPECT_EQ(state.Registry.ReadDword(key, "EstimatedSize", 0), 1u);
  EXPECT_EQ(state.Registry.ReadDword(key, "NoModify", 0), 1u);
  EXPECT_EQ(state.Registry.ReadDword(key, "NoRepair", 0), 1u);

  // Nothing for the whole machine.
  TRegistry machine(rkLocalMachine);
  EXPECT_FALSE(machine.KeyExists(kExt));
  EXPECT_FALSE(machine.KeyExists(kProgId));
  EXPECT_FALSE(machine.KeyExists(key));
}

TEST_F(ShellEntriesTest, EachFullProductHasAnEntryThatGoesWithIt) {
  InstallInstaller();
  const std::string stp = MakeSetup("data.stp", Product("Samples", 4, {1, 2, 3}), {{"a.txt", "a"}});
  Install(stp);
  const std::string key = kUninstall + "KySetup.Samples";
  EXPECT_EQ(Value(key, "DisplayName"), Reg("Samples", "Description"));
  EXPECT_EQ(Value(key, "DisplayVersion"), "1.2.3");
  EXPECT_EQ(Value(key, "Publisher"), "Tessaro");
  EXPECT_EQ(Value(key, "InstallLocation"), state.PathInstall + "\\Samples");
  EXPECT_EQ(Value(key, "UninstallString"), "\"" + Program() + "\" /erase Samples");
  EXPECT_EQ(state.Registry.ReadDword(key, "NoModify", 0), 1u);

  // Installed again: the same one entry.
  Install(stp);
  EXPECT_EQ(Value(key, "DisplayVersion"), "1.2.3");
  Remove({"Samples", "", 0});
  EXPECT_FALSE(state.Registry.KeyExists(key));
  EXPECT_TRUE(state.Registry.KeyExists(kUninstall + "KySetup"));
}

TEST_F(ShellEntriesTest, TheInstallersRemovalTakesEverythingAwayButAForeignFileType) {
  InstallInstaller();
  Install(MakeSetup("data.stp", Product("Samples", 4, {1, 0, 0}), {{"a.txt", "a"}}));
  // Another program's entry with a name like ours stays.
  state.Registry.WriteString(kUninstall + "Other", "DisplayName", "Other");
  Remove({"KySetup", "", 0});
  EXPECT_FALSE(state.Registry.KeyExists(kExt));
  EXPECT_FALSE(state.Registry.KeyExists(kProgId));
  EXPECT_FALSE(state.Registry.KeyExists(kUninstall + "KySetup"));
  EXPECT_FALSE(state.Registry.KeyExists(kUninstall + "KySetup.Samples"));
  EXPECT_TRUE(state.Registry.KeyExists(kUninstall + "Other"));

  // When another program has taken ".stp" since, it keeps it.
  state.WizardMode = 0;
  InstallInstaller();
  state.Registry.WriteString(kExt, "", "Other.Type");
  Remove({"KySetup", "", 0});
  EXPECT_EQ(Value(kExt, ""), "Other.Type");
  EXPECT_FALSE(state.Registry.KeyExists(kProgId));
}

TEST_F(ShellEntriesTest, AnIdentifierThatIsNoPlainNameNamesNoKey) {
  for (const char* id : {"..\\..\\Run", "a\\b", "", "KySetup", "x.stp"})
    EXPECT_EQ(ProductUninstallKey(id), "") << id;
  EXPECT_EQ(ProductUninstallKey("KyControls_D5Lib"), kUninstall + "KySetup.KyControls_D5Lib");

  // A record key that may not name a key (here a stored-copy name) is
  // erased as damaged; an entry spelled like it is none of ours and stays.
  InstallInstaller();
  state.Registry.WriteString(ProductKey("x.stp"), "FileSetup", "x.stp");
  state.Registry.WriteString(kUninstall + "KySetup.x.stp", "DisplayName", "not ours");
  LoadRecordState(state);
  const int at = state.Products.Find("x.stp");
  ASSERT_GE(at, 0);
  Remove(state.Products[at]);
  EXPECT_FALSE(state.Registry.KeyExists(ProductKey("x.stp")));
  EXPECT_EQ(Value(kUninstall + "KySetup.x.stp", "DisplayName"), "not ours");
}

TEST_F(ShellEntriesTest, AFailedOrStoppedRunTakesTheNewKeysAwayWhole) {
  state.Registry.WriteString(kExt, "", "Other.Type");
  const std::string before = Snapshot();
  auto change = [&](TRunJournal& journal) {
    for (const std::string& key : {kExt, kProgId, kProgId + "\\shell\\open\\command"}) {
      journal.ChangingValue(key, "");
      state.Registry.WriteString(key, "", "new");
    }
    journal.ChangingValue(kUninstall + "KySetup", "NoModify");
    state.Registry.WriteDword(kUninstall + "KySetup", "NoModify", 1);
  };
  {
    TRunJournal journal(state.Registry);
    journal.Begin("");
    change(journal);
    journal.End(false);
  }
  EXPECT_EQ(SnapshotDiff(before, Snapshot()), "");
  const std::string file = dir / "run.jnl";
  {
    TRunJournal journal(state.Registry);
    journal.Begin(file);
    change(journal);
  }  // stopped: the journal stays on disk
  EXPECT_EQ(TRunJournal::Recover(file, state.Registry), TRunJournal::rcUndone);
  EXPECT_EQ(Value(kExt, ""), "Other.Type");
  EXPECT_FALSE(state.Registry.KeyExists(kProgId));
  EXPECT_FALSE(state.Registry.KeyExists(kUninstall + "KySetup"));
}
