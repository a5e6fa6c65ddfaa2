// Faults half-way through an installation or removal, injected for real: a
// file held open, read-only files, a file where a folder belongs, a stored
// copy that cannot be put in place. The record never claims what is not on
// disk, and what could not be removed stays recorded.
#include "platform/os/WinApi.h"

#include "EngineFixture.h"
#include "platform/base/Exception.h"
#include "platform/os/FileOps.h"
#include "setup/ProductRecord.h"

using namespace ky_test;

namespace {

// A file opened without delete sharing, so that nobody can delete it.
class HeldOpen {
public:
  explicit HeldOpen(const std::string& path)
      : h_(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr)) {}
  ~HeldOpen() { Release(); }
  bool Valid() const { return h_ != INVALID_HANDLE_VALUE; }
  void Release() {
    if (Valid()) CloseHandle(h_);
    h_ = INVALID_HANDLE_VALUE;
  }

private:
  HANDLE h_;
};

std::string ErrorOf(const std::function<void()>& f) {
  try {
    f();
  } catch (const Exception& e) {
    return e.what();
  }
  return "";
}

}  // namespace

TEST_F(EngineTest, RemovalClearsReadOnlyAttributes) {
  InstallInstaller();
  Install(MakeSetup("s.stp", Product("Samples", 4, {1, 0, 0}), {{"a.txt", "a"}, {"sub\\b.txt", "b"}}));
  const std::string folder = ProductFolder("Samples");
  ASSERT_TRUE(SetFileAttributesA((folder + "\\a.txt").c_str(), FILE_ATTRIBUTE_READONLY));
  ASSERT_TRUE(SetFileAttributesA((folder + "\\sub").c_str(), FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY));
  Remove(state.Products[state.Products.Find("Samples")]);
  EXPECT_FALSE(Exists(folder));
  EXPECT_FALSE(state.Registry.KeyExists(ProductKey("Samples")));
}

TEST_F(EngineTest, RemovalThatCannotDeleteEverythingReportsItAndKeepsTheRecord) {
  const std::string root = AddEnvironment(2);
  InstallInstaller();
  Install(MakeSetup("lib.stp", Product("KyControls", 2, {2, 1, 0}),
                    {{"KyPanel.dcu", "u"}, {"KyGrid.dcu", "g"}, {"Demo.exe", "d"}}));
  const std::string unit = root + "\\Lib\\KyPanel.dcu";
  const std::string demo = ProductFolder("KyControls_D5Lib") + "\\Demo.exe";
  HeldOpen heldUnit(unit), heldDemo(demo);
  ASSERT_TRUE(heldUnit.Valid() && heldDemo.Valid());
  const TProductItem item = state.Products[state.Products.Find("KyControls_D5Lib")];
  bar.Reset();
  std::string error = ErrorOf([&] { installer.RemoveProduct(installer.StoredSetupFile(item), bar.Max(), true, true); });
  EXPECT_EQ(error, "These files or folders could not be deleted, so the product stays recorded and can be erased "
                   "again: \r\n" + unit + "\r\n" + demo + "\r\n" + ProductFolder("KyControls_D5Lib") + ".");
  EXPECT_EQ(installer.Scales().Depth(), 0);
  EXPECT_EQ(Reg("KyControls_D5Lib", "FileSetup"), "KyControls_D5Lib.stp");
  EXPECT_TRUE(Exists(state.PathInstall + "\\KyControls_D5Lib.stp"));
  EXPECT_NE(state.Products.Find("KyControls_D5Lib"), -1);
  EXPECT_EQ(ReadAll(root + "\\Lib\\KyGrid.dcu"), "g");  // the failed run was undone as a whole

  // The cause fixed, erasing again finishes the job.
  heldUnit.Release();
  heldDemo.Release();
  Remove(item);
  EXPECT_FALSE(Exists(unit));
  EXPECT_FALSE(Exists(ProductFolder("KyControls_D5Lib")));
  EXPECT_FALSE(state.Registry.KeyExists(ProductKey("KyControls_D5Lib")));
  EXPECT_FALSE(Exists(state.PathInstall + "\\KyControls_D5Lib.stp"));
}

TEST_F(EngineTest, AFileWhereAFolderBelongsStopsTheInstallationWithoutARecord) {
  InstallInstaller();
  WriteAll(ProductFolder("Samples"), "a file in the way");
  std::string stp = MakeSetup("s.stp", Product("Samples", 4, {1, 0, 0}), {{"a.txt", "a"}});
  bar.Reset();
  std::string error = ErrorOf([&] { installer.InstallProduct(stp, bar.Max()); });
  EXPECT_NE(error.find(ProductFolder("Samples")), std::string::npos) << error;
  EXPECT_EQ(installer.Scales().Depth(), 0);
  EXPECT_FALSE(state.Registry.KeyExists(ProductKey("Samples")));
  EXPECT_EQ(state.Products.Find("Samples"), -1);
  EXPECT_FALSE(Exists(state.PathInstall + "\\Samples.stp"));
}

TEST_F(EngineTest, AStoredCopyThatCannotBePutInPlaceLeavesNoRecordAndNoPartialCopy) {
  InstallInstaller();
  dir.MakeDir("Products\\Samples.stp");  // in the way of the stored copy
  dir.WriteFile("Products\\Samples.stp\\x", "x");
  std::string stp = MakeSetup("s.stp", Product("Samples", 4, {1, 0, 0}), {{"a.txt", std::string(100000, 'a')}});
  bar.Reset();
  std::string error = ErrorOf([&] { installer.InstallProduct(stp, bar.Max()); });
  EXPECT_NE(error.find(state.PathInstall + "\\Samples.stp"), std::string::npos) << error;
  EXPECT_FALSE(state.Registry.KeyExists(ProductKey("Samples")));
  EXPECT_EQ(state.Products.Find("Samples"), -1);
  // Only the obstacle: the placed files went with the failed run, and no
  // partial copy is left behind.
  int entries = 0;
  WIN32_FIND_DATAA fd;
  HANDLE h = FindFirstFileA((state.PathInstall + "\\*").c_str(), &fd);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  do {
    std::string name = fd.cFileName;
    if (name == "." || name == "..") continue;
    ++entries;
    EXPECT_TRUE(name == "KySetup" || name == "Samples.stp") << name;
  } while (FindNextFileA(h, &fd));
  FindClose(h);
  EXPECT_EQ(entries, 2);
  EXPECT_EQ(ReadAll(state.PathInstall + "\\Samples.stp\\x"), "x");
}

TEST_F(EngineTest, ReinstallFailingHalfWayKeepsTheProductRecordedAndErasable) {
  const std::string root = AddEnvironment(2);
  InstallInstaller();
  Install(MakeSetup("v1.stp", Product("KyControls", 2, {2, 1, 0}), {{"KyPanel.dcu", "1"}, {"Demo.exe", "1"}}));
  // A folder where a new file goes: the new version fails after the old files went.
  dir.MakeDir("EnvD5\\Lib\\KyGrid.dcu");
  std::string stp = MakeSetup("v2.stp", Product("KyControls", 2, {2, 2, 0}), {{"KyPanel.dcu", "2"}, {"KyGrid.dcu", "g"}});
  bar.Reset();
  EXPECT_THROW(installer.InstallProduct(stp, bar.Max()), EStreamError);
  EXPECT_EQ(installer.Scales().Depth(), 0);
  // As a new session sees it: still recorded, with the version on record, and erasable.
  FillProducts(state);
  ASSERT_NE(state.Products.Find("KyControls_D5Lib"), -1);
  EXPECT_EQ(Reg("KyControls_D5Lib", "Ver2"), "1");
  Remove(state.Products[state.Products.Find("KyControls_D5Lib")]);
  EXPECT_FALSE(Exists(root + "\\Lib\\KyPanel.dcu"));
  EXPECT_FALSE(Exists(ProductFolder("KyControls_D5Lib")));
  EXPECT_FALSE(state.Registry.KeyExists(ProductKey("KyControls_D5Lib")));
}

TEST_F(EngineTest, WhatCannotBeDeletedIsToldAndNothingFailsSilently) {
  InstallInstaller();
  TSetupProduct base = Product("Samples", 4, {1, 0, 0});
  Install(MakeSetup("s1.stp", base, {{"a.txt", "a"}, {"old.txt", "o"}}));
  const std::string a = ProductFolder("Samples") + "\\a.txt";
  const std::string old = ProductFolder("Samples") + "\\old.txt";
  {
    // An update's obsolete file that stays: the update is installed and says so.
    HeldOpen held(old);
    ASSERT_TRUE(held.Valid());
    installer.ClearNotes();
    Install(MakeSetup("u.stp", Update(base, {1, 0, 1}), {{"b.txt", "b"}}, {"old.txt"}));
    EXPECT_EQ(Reg("Samples", "FileSetupUpd"), "Samples.upd");
    ASSERT_EQ(installer.Notes().size(), 1u);
    EXPECT_EQ(installer.Notes()[0], "These obsolete files could not be deleted: \r\n" + old + ".");
  }
  {
    // A re-install whose earlier files cannot all go stops before placing
    // anything, and the record still says what is there.
    HeldOpen held(a);
    bar.Reset();
    std::string error = ErrorOf([&] {
      installer.InstallProduct(MakeSetup("s2.stp", Product("Samples", 4, {1, 1, 0}), {{"a.txt", "a2"}}), bar.Max());
    });
    EXPECT_NE(error.find(a), std::string::npos) << error;
    EXPECT_EQ(installer.Scales().Depth(), 0);
    EXPECT_EQ(Reg("Samples", "Ver2"), "0");
    EXPECT_EQ(ReadAll(a), "a");
  }

  // Erasing the installer while its group holds an open file: told, and the record stays.
  Remove(state.Products[state.Products.Find("Samples", 0)]);
  const std::string link = state.PathGroup + "\\KySetup.lnk";
  HeldOpen held(link);
  ASSERT_TRUE(held.Valid());
  bar.Reset();
  std::string error = ErrorOf([&] {
    installer.EraseItem(state.Products[state.Products.Find("KySetup")], bar.Max());
  });
  EXPECT_NE(error.find(link), std::string::npos) << error;
  EXPECT_TRUE(state.Registry.KeyExists(ProductKey("KySetup")));
  EXPECT_NE(state.Products.Find("KySetup"), -1);
}

// Runs that fail at their last file, after they changed everything else:
// the files they made go, the files they replaced or deleted come back, the
// help contents, package registrations and the record are as they were.
TEST_F(EngineTest, AFailedRunLeavesTheDiskAndTheRecordAsTheyWere) {
  const std::string d5 = AddEnvironment(2);
  InstallInstaller();
  const TSetupProduct lib1 = Product("KyControls", 2, {2, 1, 0}, "", "EXE");
  const std::vector<PayloadFile> libFiles = {
      {"KyPanel.hpp", "h1"}, {"KyPanel.dcu", "u1"}, {"dclKy50.bpl", "d1"}, {"Ky50.bpl", "r1"}, {"Demo\\Demo.exe", "x1"}};
  const TSetupProduct help = Product("KyHelp", 7, {1, 0, 0});
  const TSetupProduct data = Product("Samples", 4, {1, 0, 0}, "", "TXT");
  struct Case {
    const char* what;
    std::function<void()> before;  // what is installed first
    std::string obstacle;          // a folder where the failing run's last file goes
    std::function<std::string()> setup;  // the setup file whose installation fails
  };
  auto install = [&](const char* file, const TSetupProduct& p, std::vector<PayloadFile> files) {
    Install(MakeSetup(file, p, files));
  };
  auto withLast = [](std::vector<PayloadFile> files, PayloadFile last) {
    files.push_back(last);
    return files;
  };
  const Case cases[] = {
      {"a new library", [] {}, d5 + "\\Lib\\Zlast.dcu",
       [&] { return MakeSetup("n.stp", lib1, withLast(libFiles, {"Zlast.dcu", "z"})); }},
      {"a library over itself", [&] { install("l1.stp", lib1, libFiles); }, d5 + "\\Lib\\Zlast.dcu",
       [&] {
         TSetupProduct v2 = lib1;
         v2.Version = {2, 2, 0};
         return MakeSetup("l2.stp", v2, withLast({{"KyPanel.dcu", "u2"}, {"dclKy50.bpl", "d2"}}, {"Zlast.dcu", "z"}));
       }},
      {"help over itself", [&] { install("h1.stp", help, {{"KyHelp.hlp", "1"}, {"KyHelp.cnt", "1"}}); },
       d5 + "\\Help\\Zlast.hlp",
       [&] { return MakeSetup("h2.stp", help, {{"KyHelp.hlp", "2"}, {"Zlast.hlp", "z"}}); }},
      {"an update over an update",
       [&] {
         install("s.stp", data, {{"a.txt", "a"}, {"b.txt", "b"}});
         install("u1.stp", Update(data, {1, 0, 1}), {{"a.txt", "a1"}, {"c.txt", "c1"}});
       },
       ProductFolder("Samples") + "\\zz.txt",
       [&] { return MakeSetup("u2.stp", Update(data, {1, 0, 2}), {{"b.txt", "b2"}, {"zz.txt", "z"}}); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    c.before();
    ASSERT_TRUE(CreateDirectoryA(c.obstacle.c_str(), nullptr) || Exists(c.obstacle));
    const std::string stp = c.setup();
    const std::string before = Snapshot();
    const std::vector<TProductItem> items = state.Products.Items();
    bar.Reset();
    EXPECT_THROW(installer.InstallProduct(stp, bar.Max()), EStreamError);
    EXPECT_EQ(installer.Scales().Depth(), 0);
    EXPECT_EQ(SnapshotDiff(before, Snapshot()), "");
    EXPECT_EQ(state.Products.Items(), items);
    // Clean for the next case.
    RemoveDirectoryA(c.obstacle.c_str());
    for (const TProductItem& item : std::vector<TProductItem>(state.Products.Items()))
      if (item.Value != "KySetup" && item.Data == 0 && state.Products.Find(item.Value, 0) >= 0)
        Remove(state.Products[state.Products.Find(item.Value, 0)]);
  }
}
