// Setup files made to reach outside what they install: each is refused with
// its message before anything is written or deleted, and the refusal leaves
// the folders and the record exactly as they were.
#include "platform/os/WinApi.h"

#include "EngineFixture.h"
#include "platform/base/Exception.h"
#include "platform/os/FileOps.h"
#include "setup/Environments.h"
#include "setup/ProductRecord.h"

using namespace ky_test;

namespace {


struct HostileCase {
  const char* what;
  TSetupProduct product;
  std::vector<PayloadFile> files;
  std::vector<std::string> obsolete;
  std::string message;  // "%f" stands for the setup file's path, "%r" for the temporary folder
};

class HostileSetupTest : public EngineTest {
protected:
  // A record with the installer, a library and a data product in it, so that
  // a refusal that deleted anything would show.
  void InstallVictims() {
    root_ = AddEnvironment(D5);
    InstallInstaller();
    Install(MakeSetup("lib.stp", Product("KyControls", 2, {2, 1, 0}), {{"KyPanel.dcu", "unit"}, {"Ky.exe", "x"}}));
    Install(MakeSetup("data.stp", Product("Samples", 4, {1, 0, 0}, "", "TXT"), {{"a.txt", "a"}}));
  }

  std::string Expand(std::string message, const std::string& file) const {
    for (const auto& [tag, value] : {std::pair<std::string, std::string>{"%f", file}, {"%r", dir.Path()}})
      for (size_t at; (at = message.find(tag)) != std::string::npos;) message.replace(at, 2, value);
    return message;
  }

  std::string root_;
};

const std::string kLong(40000, 'a');
const std::string k200(200, 'b');

const std::string kUnsafeName = "The file '%f' holds the product name or qualifier '";
const std::string kNameTail = "', which cannot name a folder or a registry key.";

}  // namespace

TEST_F(HostileSetupTest, RefusedBeforeAnythingChanges) {
  InstallVictims();
  auto named = [](const std::string& name, int kind = 4, const std::string& qualifier = "") {
    return Product(name, kind, {1, 0, 0}, qualifier, "TXT");
  };
  const PayloadFile plain{"ok.txt", "ok"};
  // A name that just fits the product folder; its link in the deeper group folder does not.
  const std::string fitting(259 - (dir / "Products\\Ky\\").size() - 4, 'c');
  const HostileCase cases[] = {
      // The identifier's parts.
      {"name ..", named(".."), {plain}, {}, kUnsafeName + ".." + kNameTail},
      {"name climbing to windows", named("..\\..\\windows"), {plain}, {}, kUnsafeName + "..\\..\\windows" + kNameTail},
      {"qualifier climbing", named("Ky", 2, "\\..\\..\\..\\windows"), {plain}, {},
       kUnsafeName + "\\..\\..\\..\\windows" + kNameTail},
      {"empty name", named(""), {plain}, {}, kUnsafeName + kNameTail},
      {"name .", named("."), {plain}, {}, kUnsafeName + "." + kNameTail},
      {"drive path", named("C:\\x"), {plain}, {}, kUnsafeName + "C:\\x" + kNameTail},
      {"share path", named("\\\\srv\\share"), {plain}, {}, kUnsafeName + "\\\\srv\\share" + kNameTail},
      {"device name", named("NUL"), {plain}, {}, kUnsafeName + "NUL" + kNameTail},
      {"device with extension", named("Ky", 4, "com1.txt"), {plain}, {}, kUnsafeName + "com1.txt" + kNameTail},
      {"trailing dot", named("Samples."), {plain}, {}, kUnsafeName + "Samples." + kNameTail},
      {"trailing blank", named("Samples "), {plain}, {}, kUnsafeName + "Samples " + kNameTail},
      {"control character", named("Sam\tples"), {plain}, {}, kUnsafeName + "Sam\tples" + kNameTail},
      {"wildcard", named("Sam*"), {plain}, {}, kUnsafeName + "Sam*" + kNameTail},
      {"the installer's own identifier", named("kysetup"), {plain}, {},
       "The file '%f' holds the product identifier 'kysetup', which is reserved for the setup program."},
      {"a stored copy's name", named("KyControls_D5Lib.stp"), {plain}, {},
       "The file '%f' holds the product identifier 'KyControls_D5Lib.stp', which is reserved for the setup "
       "program."},
      // Entry and obsolete names.
      {"device entry", named("Ky"), {{"NUL", "x"}}, {}, "The file '%f' holds the unsafe file name 'NUL'."},
      {"device entry in a folder", named("Ky"), {{"doc\\aux.txt", "x"}}, {},
       "The file '%f' holds the unsafe file name 'doc\\aux.txt'."},
      {"entry with a trailing dot", named("Ky"), {{"a.txt.", "x"}}, {},
       "The file '%f' holds the unsafe file name 'a.txt.'."},
      {"entry with a . part", named("Ky"), {{"x\\.\\y", "x"}}, {}, "The file '%f' holds the unsafe file name 'x\\.\\y'."},
      {"entry of 40,000 characters", named("Ky"), {{kLong, "x"}}, {},
       "The file '%f' holds the unsafe file name '" + kLong + "'."},
      {"entries equal but for case", named("Ky"), {{"Read.txt", "1"}, plain, {"READ.TXT", "2"}}, {},
       "The file '%f' holds the file name 'READ.TXT' twice, or as a file and as a folder."},
      {"a file where a folder goes", named("Ky"), {{"Demo", "1"}, {"demo\\x.txt", "2"}}, {},
       "The file '%f' holds the file name 'demo' twice, or as a file and as a folder."},
      {"path beyond the limit", named("Ky"), {plain, {k200 + "\\" + k200, "x"}}, {},
       "The file '%f' would install '%r\\Products\\Ky\\" + k200 + "\\" + k200 + "', a path longer than the system "
       "allows."},
      {"shortcut beyond the limit", named("Ky"), {{fitting + ".txt", "x"}}, {},
       "The file '%f' would install '%r\\Programs\\Tessaro\\Ky\\" + fitting +
           ".lnk', a path longer than the system allows."},
      {"obsolete name climbing, after good entries", named("Samples"), {plain}, {"..\\..\\KySetup\\KySetup.exe"},
       "The file '%f' holds the unsafe file name '..\\..\\KySetup\\KySetup.exe'."},
      {"obsolete device name", named("Samples"), {plain}, {"con"}, "The file '%f' holds the unsafe file name 'con'."},
      {"obsolete path beyond the limit", named("Samples"), {plain}, {k200 + "\\" + k200},
       "The file '%f' would install '%r\\Products\\Samples\\" + k200 + "\\" + k200 +
           "', a path longer than the system allows."},
  };
  const std::string before = Snapshot();
  for (const HostileCase& c : cases) {
    SCOPED_TRACE(c.what);
    std::string stp = MakeSetup("hostile.stp", c.product, c.files, c.obsolete);
    const std::string expected = Expand(c.message, stp);
    std::string got;
    try {
      installer.InstallProduct(stp, bar.Max());
    } catch (const Exception& e) {
      got = e.what();
    }
    EXPECT_EQ(got, expected);
    EXPECT_EQ(installer.Scales().Depth(), 0);
    ASSERT_TRUE(DeleteFileA(stp.c_str()));  // closed on the way out
    EXPECT_EQ(SnapshotDiff(before, Snapshot()), "");
    // The Add command's reading refuses the identifier too, before anything is shown.
    if (c.message.find("product") != std::string::npos) {
      stp = MakeSetup("hostile.stp", c.product, c.files, c.obsolete);
      EXPECT_THROW(installer.CheckProduct(stp), Exception);
      ASSERT_TRUE(DeleteFileA(stp.c_str()));
    }
  }
  EXPECT_EQ(state.Products.Count(), 3);
}

TEST_F(HostileSetupTest, EmptyRootDirIsRefusedBeforeTheEarlierInstallationGoes) {
  InstallVictims();
  TRegistry(rkLocalMachine).WriteString(Environment(D5).Key, "RootDir", " ");
  DetectEnvironments(state);
  const std::string message = "The folder of Borland Delphi5 is not known (no \"RootDir\").";
  std::string stp = MakeSetup("again.stp", Product("KyControls", 2, {2, 2, 0}), {{"KyPanel.dcu", "new"}});
  const std::string before = Snapshot();
  for (bool install : {true, false}) {
    SCOPED_TRACE(install ? "install" : "erase");
    std::string got;
    try {
      if (install) installer.InstallProduct(stp, bar.Max());
      else installer.RemoveProduct(installer.StoredSetupFile(state.Products[1]), bar.Max(), true, true);
    } catch (const Exception& e) {
      got = e.what();
    }
    EXPECT_EQ(got, message);
    EXPECT_EQ(SnapshotDiff(before, Snapshot()), "");
  }
}

TEST_F(HostileSetupTest, OtherEditionsAreFoundByTheirExactIdentifier) {
  InstallVictims();
  // "Controls" is part of "KyControls_D5Lib", but no edition of it.
  Install(MakeSetup("c.stp", Product("Controls", 2, {1, 0, 0}), {{"Controls.dcu", "c"}}));
  EXPECT_NE(state.Products.Find("KyControls_D5Lib"), -1);
  EXPECT_TRUE(Exists(root_ + "\\Lib\\KyPanel.dcu"));
  // A qualified edition of the same name and kind is.
  Install(MakeSetup("pro.stp", Product("KyControls", 2, {2, 2, 0}, "Pro"), {{"KyPro.dcu", "p"}}));
  EXPECT_EQ(state.Products.Find("KyControls_D5Lib"), -1);
  EXPECT_FALSE(Exists(root_ + "\\Lib\\KyPanel.dcu"));
  EXPECT_NE(state.Products.Find("Controls_D5Lib"), -1);
  EXPECT_TRUE(Exists(root_ + "\\Lib\\Controls.dcu"));
}

TEST_F(HostileSetupTest, OnlyPackageExtensionsGoToTheSystemFolder) {
  InstallVictims();
  Install(MakeSetup("p.stp", Product("Pk", 2, {1, 0, 0}),
                    {{"Evil.bpl.exe", "e"}, {"Run.BPL", "r"}, {"dclDesign.dpl", "d"}, {"x.dpl.txt", "t"}}));
  EXPECT_TRUE(Exists(state.SystemDir + "\\Run.BPL"));
  EXPECT_TRUE(Exists(root_ + "\\Bin\\dclDesign.dpl"));
  EXPECT_FALSE(Exists(state.SystemDir + "\\Evil.bpl.exe"));
  EXPECT_TRUE(Exists(ProductFolder("Pk_D5Lib") + "\\Evil.bpl.exe"));
  EXPECT_TRUE(Exists(ProductFolder("Pk_D5Lib") + "\\x.dpl.txt"));
}

TEST_F(HostileSetupTest, StoredCopiesAreNamedAfterTheProductNotTheFile) {
  // Two products shipped under one file name, and one named like the installer's record.
  InstallInstaller();
  std::string a = MakeSetup("setup.stp", Product("Alpha", 4, {1, 0, 0}), {{"a.txt", "a"}});
  Install(a);
  std::string b = MakeSetup("setup.stp", Product("Beta", 4, {1, 0, 0}), {{"b.txt", "b"}});
  Install(b);
  std::string k = MakeSetup("KySetup", Product("Gamma", 4, {1, 0, 0}), {{"g.txt", "g"}});
  Install(k);
  EXPECT_EQ(Reg("Alpha", "FileSetup"), "Alpha.stp");
  EXPECT_EQ(Reg("Beta", "FileSetup"), "Beta.stp");
  EXPECT_EQ(Reg("Gamma", "FileSetup"), "Gamma.stp");
  Remove(state.Products[state.Products.Find("Alpha")]);
  EXPECT_FALSE(Exists(ProductFolder("Alpha")));
  EXPECT_TRUE(Exists(ProductFolder("Beta") + "\\b.txt"));
  Remove(state.Products[state.Products.Find("Gamma")]);
  EXPECT_TRUE(state.Registry.KeyExists(ProductKey("KySetup")));
  EXPECT_TRUE(Exists(state.PathGroup));
  EXPECT_EQ(Reg("Beta", "FileSetup"), "Beta.stp");

  // A record written by an earlier version names the copy by the user's file; it still works.
  WriteAll(state.PathInstall + "\\old name.stp", ReadAll(state.PathInstall + "\\Beta.stp"));
  ASSERT_TRUE(DeleteFileA((state.PathInstall + "\\Beta.stp").c_str()));
  state.Registry.WriteString(ProductKey("Beta"), "FileSetup", "old name.stp");
  Remove(state.Products[state.Products.Find("Beta")]);
  EXPECT_FALSE(Exists(ProductFolder("Beta")));
  EXPECT_FALSE(Exists(state.PathInstall + "\\old name.stp"));
}

TEST_F(HostileSetupTest, InstallingFromTheStoredCopyByAnotherSpellingOfItsPath) {
  InstallInstaller();
  Install(MakeSetup("s.stp", Product("Samples", 4, {1, 0, 0}), {{"a.txt", "a"}}));
  const std::string stored = state.PathInstall + "\\Samples.stp";
  const std::string content = ReadAll(stored);
  Install(state.PathInstall + "\\.\\SAMPLES.STP");
  EXPECT_EQ(ReadAll(stored), content);
  EXPECT_EQ(Reg("Samples", "FileSetup"), "Samples.stp");
  EXPECT_TRUE(Exists(ProductFolder("Samples") + "\\a.txt"));
}
