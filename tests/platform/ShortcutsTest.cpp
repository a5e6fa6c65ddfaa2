#include <gtest/gtest.h>
#include "platform/os/WinApi.h"
#include <objbase.h>
#include <objidl.h>
#include <shlobj.h>

#include <string>
#include <thread>

#include "platform/base/Exception.h"
#include "platform/os/Shortcuts.h"
#include "platform/os/SysError.h"
#include "support/ShellLinks.h"
#include "support/TempDir.h"

namespace {

class ShellLinkTest : public ::testing::Test {
protected:
  TComInit com;
  ky_test::TempDir dir;
};

}  // namespace

TEST(InternetShortcut, WritesTwoLinesReplacingTheFile) {
  ky_test::TempDir dir;
  dir.WriteFile("Tessaro.url", std::string(500, '#'));
  WriteInternetShortcut(dir / "Tessaro.url", "http://www.tessaro.example/kycontrols");
  EXPECT_EQ(dir.ReadFile("Tessaro.url"), "[InternetShortcut]\r\nURL=http://www.tessaro.example/kycontrols\r\n");
}

TEST(InternetShortcut, AShortcutThatCannotBeWrittenRaisesNamingIt) {
  ky_test::TempDir dir;
  dir.MakeDir("Busy.url");  // a folder in the way of the file name
  for (const std::string& file : {dir / "NoSuchGroup\\Tessaro.url", dir / "Busy.url"}) {
    SCOPED_TRACE(file);
    try {
      WriteInternetShortcut(file, "http://x");
      ADD_FAILURE() << "no error";
    } catch (const Exception& e) {
      EXPECT_NE(std::string(e.what()).find(file), std::string::npos) << e.what();
    }
  }
  EXPECT_FALSE(dir.Exists("NoSuchGroup"));
  EXPECT_NE(GetFileAttributesA((dir / "Busy.url").c_str()) & FILE_ATTRIBUTE_DIRECTORY, 0u);
}

TEST_F(ShellLinkTest, SavedLinkLoadsBackWithTargetAndFolder) {
  const std::string target = dir.WriteFile("KyDemo.exe", "MZ");
  const std::string work = dir.MakeDir("Work Folder");
  const std::string link = dir / "KyDemo.lnk";
  CreateShellLink(link, target, work);
  ky_test::LinkFields f = ky_test::LoadLink(link);
  ASSERT_TRUE(f.loaded);
  EXPECT_EQ(f.path, target);
  EXPECT_EQ(f.workingDir, work);
  EXPECT_EQ(f.arguments, "");
  EXPECT_EQ(f.description, "");

  // Saving again over it replaces the link.
  const std::string other = dir.WriteFile("Other.hlp", "?");
  CreateShellLink(link, other, dir.Path());
  f = ky_test::LoadLink(link);
  ASSERT_TRUE(f.loaded);
  EXPECT_EQ(f.path, other);
  EXPECT_EQ(f.workingDir, dir.Path());
}

TEST_F(ShellLinkTest, FailingSaveRaisesWithTheCodeAndWritesNothing) {
  const std::string target = dir.WriteFile("KyDemo.exe", "MZ");
  const std::string link = dir / "NoSuchGroup\\KyDemo.lnk";
  try {
    CreateShellLink(link, target, dir.Path());
    FAIL() << "no error";
  } catch (const EOSError& e) {
    EXPECT_TRUE(FAILED(static_cast<HRESULT>(e.Code()))) << std::hex << e.Code();
    const std::string msg = e.what();
    EXPECT_NE(msg.find(HexCode(e.Code())), std::string::npos) << msg;
    EXPECT_NE(msg.find(link), std::string::npos) << msg;
  }
  EXPECT_FALSE(dir.Exists("NoSuchGroup"));
}

TEST(ShellLink, WithoutComTheFirstCallFails) {
  ky_test::TempDir dir;
  const std::string link = dir / "KyDemo.lnk";
  unsigned long code = 0;
  // A fresh thread has no COM unless it asks for it.
  std::thread([&] {
    try {
      CreateShellLink(link, dir / "KyDemo.exe", dir.Path());
    } catch (const EOSError& e) {
      code = e.Code();
    }
  }).join();
  EXPECT_EQ(code, static_cast<unsigned long>(CO_E_NOTINITIALIZED));
  EXPECT_FALSE(dir.Exists("KyDemo.lnk"));
}
