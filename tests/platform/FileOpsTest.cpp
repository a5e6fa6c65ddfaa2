#include <gtest/gtest.h>
#include "platform/os/WinApi.h"

#include <string>
#include <vector>

#include "platform/base/Exception.h"
#include "platform/os/FileOps.h"
#include "support/TempDir.h"

namespace {

void SetAttributes(const std::string& path, DWORD attrs) {
  ASSERT_TRUE(SetFileAttributesA(path.c_str(), attrs)) << path;
  ASSERT_EQ(GetFileAttributesA(path.c_str()), attrs) << path;
}

// root\a.txt, root\sub\b.dcu, root\sub\deeper\c.hlp, root\empty
void MakeTree(const ky_test::TempDir& dir) {
  dir.MakeDir("root");
  dir.WriteFile("root\\a.txt");
  dir.MakeDir("root\\sub");
  dir.WriteFile("root\\sub\\b.dcu");
  dir.MakeDir("root\\sub\\deeper");
  dir.WriteFile("root\\sub\\deeper\\c.hlp");
  dir.MakeDir("root\\empty");
}

}  // namespace

TEST(DeleteTree, EmptiesTheFolderAndRemovesItOnlyWhenAsked) {
  for (bool removeRoot : {false, true}) {
    SCOPED_TRACE(removeRoot);
    ky_test::TempDir dir;
    MakeTree(dir);
    DeleteTree(dir / "root", removeRoot);
    EXPECT_EQ(dir.Exists("root"), !removeRoot);
    for (const char* gone : {"root\\a.txt", "root\\sub", "root\\empty"}) EXPECT_FALSE(dir.Exists(gone)) << gone;
  }
}

TEST(DeleteTree, HiddenAndReadOnlyEntriesGoToo) {
  ky_test::TempDir dir;
  MakeTree(dir);
  dir.MakeDir("root\\sub\\hidden");
  dir.WriteFile("root\\sub\\hidden\\inside.txt");
  SetAttributes(dir / "root\\sub\\hidden", FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN);
  dir.MakeDir("root\\rodir");
  dir.WriteFile("root\\rodir\\inside.txt");
  // Not every file system keeps a folder's read-only attribute; where it does, it must not stop the walk.
  SetFileAttributesA((dir / "root\\rodir").c_str(), FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY);
  dir.WriteFile("root\\ro.txt");
  SetAttributes(dir / "root\\ro.txt", FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_READONLY);

  EXPECT_EQ(DeleteTree(dir / "root", true), std::vector<std::string>{});
  EXPECT_FALSE(dir.Exists("root"));
}

TEST(DeleteTree, ReportsWhatStaysAndKeepsItsFolders) {
  // A file held open without delete sharing cannot go; neither can the
  // folders above it. Everything else goes.
  ky_test::TempDir dir;
  MakeTree(dir);
  HANDLE held = CreateFileA((dir / "root\\sub\\b.dcu").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  std::vector<std::string> failed = DeleteTree(dir / "root", true);
  CloseHandle(held);
  EXPECT_EQ(failed, (std::vector<std::string>{dir / "root\\sub\\b.dcu", dir / "root\\sub", dir / "root"}));
  for (const char* gone : {"root\\a.txt", "root\\sub\\deeper", "root\\empty"}) EXPECT_FALSE(dir.Exists(gone)) << gone;
  EXPECT_TRUE(dir.Exists("root\\sub\\b.dcu"));
  // A missing folder is nothing to delete; a file in place of the folder stays and is reported.
  EXPECT_EQ(DeleteTree(dir / "none", true), std::vector<std::string>{});
  dir.WriteFile("plain");
  EXPECT_EQ(DeleteTree(dir / "plain", true), std::vector<std::string>{dir / "plain"});
}

TEST(DeleteFileForce, ClearsReadOnlyAndTellsWhetherTheNameIsGone) {
  ky_test::TempDir dir;
  dir.WriteFile("ro.txt");
  SetAttributes(dir / "ro.txt", FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_READONLY);
  EXPECT_TRUE(DeleteFileForce(dir / "ro.txt"));
  EXPECT_FALSE(dir.Exists("ro.txt"));
  EXPECT_TRUE(DeleteFileForce(dir / "never.txt"));
  dir.MakeDir("folder");
  EXPECT_FALSE(DeleteFileForce(dir / "folder"));
}

TEST(DeleteFilesInFolder, DeletesOnlyPlainMatchingFiles) {
  struct Case {
    const char* mask;
    std::vector<const char*> gone, kept;
  };
  const Case cases[] = {
      {"*.*", {"a.txt", "b.dcu", "c"}, {"_keep.txt", "_b.dcu", "ro.txt", "hid.dcu", "sub", "sub\\inner.txt"}},
      {"*.dcu", {"b.dcu"}, {"a.txt", "c", "_b.dcu", "hid.dcu", "sub\\inner.txt"}},
      {"nothing.*", {}, {"a.txt", "b.dcu", "c"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.mask);
    ky_test::TempDir dir;
    for (const char* name : {"a.txt", "b.dcu", "c", "_keep.txt", "_b.dcu", "ro.txt", "hid.dcu"})
      dir.WriteFile(name);
    dir.MakeDir("sub");
    dir.WriteFile("sub\\inner.txt");
    SetAttributes(dir / "ro.txt", FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_READONLY);
    SetAttributes(dir / "hid.dcu", FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_HIDDEN);

    EXPECT_EQ(DeleteFilesInFolder(dir.Path(), c.mask), std::vector<std::string>{});
    for (const char* name : c.gone) EXPECT_FALSE(dir.Exists(name)) << name;
    for (const char* name : c.kept) EXPECT_TRUE(dir.Exists(name)) << name;
  }
}

TEST(RemoveEmptyFolder, RemovesTheFolderAndWithoutFinalBackslashItsParent) {
  struct Case {
    const char* what;
    const char* path;             // given relative to the temp folder
    std::vector<const char*> files;  // extra files to create
    std::vector<const char*> gone, kept;
  };
  // Folders top\mid\leaf exist in every case.
  const Case cases[] = {
      {"no final backslash: leaf and parent", "top\\mid\\leaf", {}, {"top\\mid"}, {"top"}},
      {"final backslash: leaf only", "top\\mid\\leaf\\", {}, {"top\\mid\\leaf"}, {"top\\mid"}},
      {"leaf not empty: nothing", "top\\mid\\leaf", {"top\\mid\\leaf\\x.dcu"}, {}, {"top\\mid\\leaf\\x.dcu"}},
      {"parent not empty: leaf only", "top\\mid\\leaf", {"top\\mid\\x.dcu"}, {"top\\mid\\leaf"},
       {"top\\mid\\x.dcu"}},
      {"missing folder: nothing", "top\\mid\\none", {}, {}, {"top\\mid\\leaf"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ky_test::TempDir dir;
    dir.MakeDir("top");
    dir.MakeDir("top\\mid");
    dir.MakeDir("top\\mid\\leaf");
    for (const char* f : c.files) dir.WriteFile(f);
    RemoveEmptyFolder(dir / c.path);
    for (const char* name : c.gone) EXPECT_FALSE(dir.Exists(name)) << name;
    for (const char* name : c.kept) EXPECT_TRUE(dir.Exists(name)) << name;
  }
}

TEST(CopyFileReplace, ReplacesTheTarget) {
  ky_test::TempDir dir;
  const std::string src = dir.WriteFile("new.dcu", "new contents");
  const std::string dst = dir.WriteFile("old.dcu", "old contents that are longer");
  CopyFileReplace(src, dst);
  EXPECT_EQ(dir.ReadFile("old.dcu"), "new contents");
  EXPECT_EQ(dir.ReadFile("new.dcu"), "new contents");
}

TEST(CopyFileReplace, FailureNamesBothFiles) {
  ky_test::TempDir dir;
  const std::string src = dir / "missing.dcu";
  const std::string dst = dir / "copy.dcu";
  try {
    CopyFileReplace(src, dst);
    FAIL() << "no error";
  } catch (const EOSError& e) {
    const std::string msg = e.what();
    EXPECT_NE(msg.find(src), std::string::npos) << msg;
    EXPECT_NE(msg.find(dst), std::string::npos) << msg;
    EXPECT_EQ(e.Code(), static_cast<unsigned long>(ERROR_FILE_NOT_FOUND));
  }
  EXPECT_FALSE(dir.Exists("copy.dcu"));
}

TEST(ForceDirectories, CreatesEveryMissingLevel) {
  ky_test::TempDir dir;
  ForceDirectories(dir / "Tessaro\\KyLib\\Help");
  EXPECT_TRUE(DirectoryExists(dir / "Tessaro\\KyLib\\Help"));
  ForceDirectories(dir / "Tessaro\\KyLib\\Help");  // already there
  ForceDirectories(dir / "Tessaro\\Other\\");
  EXPECT_TRUE(DirectoryExists(dir / "Tessaro\\Other"));
  EXPECT_TRUE(DirectoryExists(dir / "Tessaro\\KyLib\\Help"));
}

TEST(ForceDirectories, FileInTheWayRaisesNamingTheFolder) {
  ky_test::TempDir dir;
  dir.WriteFile("Tessaro");
  try {
    ForceDirectories(dir / "Tessaro\\KyLib");
    FAIL() << "no error";
  } catch (const EOSError& e) {
    EXPECT_NE(std::string(e.what()).find(dir / "Tessaro"), std::string::npos) << e.what();
  }
  EXPECT_TRUE(FileExists(dir / "Tessaro"));
}

TEST(FileExists, TellsFilesFromFolders) {
  ky_test::TempDir dir;
  const std::string file = dir.WriteFile("a.dcu");
  const std::string folder = dir.MakeDir("sub");
  EXPECT_TRUE(FileExists(file));
  EXPECT_FALSE(DirectoryExists(file));
  EXPECT_FALSE(FileExists(folder));
  EXPECT_TRUE(DirectoryExists(folder));
  EXPECT_FALSE(FileExists(dir / "none"));
  EXPECT_FALSE(DirectoryExists(dir / "none"));
}

TEST(FileNames, SplitWindowsPaths) {
  struct Case {
    const char* name;
    const char* path;
    const char* dir;
    const char* file;
    const char* ext;
  };
  const Case cases[] = {
      {"C:\\Tessaro\\KyLib.stp", "C:\\Tessaro\\", "C:\\Tessaro", "KyLib.stp", ".stp"},
      {"C:\\KyLib.stp", "C:\\", "C:\\", "KyLib.stp", ".stp"},
      {"C:KyLib", "C:", "C:", "KyLib", ""},
      {"KyLib.tar.gz", "", "", "KyLib.tar.gz", ".gz"},
      {"C:\\my.folder\\readme", "C:\\my.folder\\", "C:\\my.folder", "readme", ""},
      {"\\\\server\\share\\a.b", "\\\\server\\share\\", "\\\\server\\share", "a.b", ".b"},
      {"C:\\Tessaro\\", "C:\\Tessaro\\", "C:\\Tessaro", "", ""},
      {"", "", "", "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(ExtractFilePath(c.name), c.path);
    EXPECT_EQ(ExtractFileDir(c.name), c.dir);
    EXPECT_EQ(ExtractFileName(c.name), c.file);
    EXPECT_EQ(ExtractFileExt(c.name), c.ext);
  }
  EXPECT_EQ(IncludeTrailingBackslash("C:\\a"), "C:\\a\\");
  EXPECT_EQ(IncludeTrailingBackslash("C:\\a\\"), "C:\\a\\");
  EXPECT_EQ(ExcludeTrailingBackslash("C:\\a\\"), "C:\\a");
  EXPECT_EQ(ExcludeTrailingBackslash("C:\\a"), "C:\\a");
}
