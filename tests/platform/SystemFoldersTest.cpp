#include <gtest/gtest.h>
#include "platform/os/WinApi.h"

#include <optional>
#include <string>
#include <vector>

#include "platform/base/SysUtils.h"
#include "platform/os/FileOps.h"
#include "platform/os/Registry.h"
#include "platform/os/SystemFolders.h"
#include "platform/os/Wow64.h"
#include "support/RegistrySandbox.h"

namespace {

// Sets an environment variable for one scope and puts the old state back.
class ScopedEnv {
public:
  ScopedEnv(const char* name, const char* value) : name_(name) {
    char buf[32768];
    DWORD n = GetEnvironmentVariableA(name, buf, sizeof buf);
    if (n > 0 && n < sizeof buf) old_ = std::string(buf, n);
    SetEnvironmentVariableA(name, value);
  }
  ~ScopedEnv() { SetEnvironmentVariableA(name_.c_str(), old_ ? old_->c_str() : nullptr); }

private:
  std::string name_;
  std::optional<std::string> old_;
};

const char* const kCurrentVersion = "Software\\Microsoft\\Windows\\CurrentVersion";
const char* const kShellFolders = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

struct ExpandCase {
  std::string path, expected;
};

void PrintTo(const ExpandCase& c, std::ostream* os) { *os << "\"" << c.path << "\""; }

class ExpandTest : public ::testing::TestWithParam<ExpandCase> {};

const std::string k259(259, 'v');
const std::string k260(260, 'w');

}  // namespace

TEST_P(ExpandTest, ReplacesOneReference) {
  ScopedEnv drive("SystemDrive", "Q:");
  ScopedEnv a("KY_A", "alpha");
  ScopedEnv b("KY_B", "beta");
  ScopedEnv unset("KY_UNSET", nullptr);
  ScopedEnv fits("KY_259", k259.c_str());
  ScopedEnv tooLong("KY_260", k260.c_str());
  EXPECT_EQ(ExpandEnvironmentReference(GetParam().path), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, ExpandTest,
    ::testing::Values(ExpandCase{"%SystemDrive%\\Program Files", "Q:\\Program Files"},
                      ExpandCase{"%KY_A%\\x\\%KY_B%\\y", "%KY_A%\\x\\beta\\y"},
                      ExpandCase{"%KY_A%%KY_B%", "%KY_A%beta"},
                      ExpandCase{"pre%KY_A%post", "prealphapost"},
                      ExpandCase{"%ky_a%", "alpha"},  // variable names ignore case
                      ExpandCase{"C:\\50%\\x", "C:\\50%\\x"},
                      ExpandCase{"%KY_A%\\%", "%KY_A%\\%"},  // a third "%" opens again after the close
                      ExpandCase{"%KY_UNSET%\\x", "%KY_UNSET%\\x"},
                      ExpandCase{"%%\\x", "%%\\x"},
                      ExpandCase{"no reference", "no reference"},
                      ExpandCase{"", ""},
                      ExpandCase{"%KY_259%", k259},
                      ExpandCase{"%KY_260%", k260},  // longer values are read whole
                      ExpandCase{"a%KY_260%b", "a" + k260 + "b"}));

class SystemFolderTest : public ::testing::Test {
protected:
  ky_test::RegistrySandbox sandbox;
  TRegistry user{rkCurrentUser};
  TRegistry machine{rkLocalMachine};
};

TEST_F(SystemFolderTest, ProgramFilesAndProgramsComeFromTheRegistryExpanded) {
  ScopedEnv drive("SystemDrive", "Q:");
  machine.WriteString(kCurrentVersion, "ProgramFilesPath", "%SystemDrive%\\Program Files");
  user.WriteString(kShellFolders, "Programs", "C:\\Users\\ky\\Start Menu\\Programs");
  EXPECT_EQ(GetSystemFolder(sfProgramFiles), "Q:\\Program Files");
  EXPECT_EQ(GetSystemFolder(sfPrograms), "C:\\Users\\ky\\Start Menu\\Programs");
}

TEST_F(SystemFolderTest, MissingKeyOrValueGivesEmptyAndCreatesNothing) {
  EXPECT_EQ(GetSystemFolder(0), "");
  EXPECT_EQ(GetSystemFolder(1), "");
  EXPECT_FALSE(machine.KeyExists(kCurrentVersion));
  EXPECT_FALSE(user.KeyExists(kShellFolders));
  machine.WriteString(kCurrentVersion, "ProgramFilesDir", "C:\\Program Files");
  user.WriteString(kShellFolders, "Desktop", "C:\\Desktop");
  EXPECT_EQ(GetSystemFolder(0), "");
  EXPECT_EQ(GetSystemFolder(1), "");
}

TEST_F(SystemFolderTest, ReadOnlyKeyIsStillRead) {
  machine.WriteString(kCurrentVersion, "ProgramFilesPath", "D:\\Apps");
  ASSERT_TRUE(ky_test::MakeKeyReadOnly(HKEY_LOCAL_MACHINE, kCurrentVersion));
  HKEY key;
  ASSERT_NE(RegOpenKeyExA(HKEY_LOCAL_MACHINE, kCurrentVersion, 0, KEY_ALL_ACCESS, &key), ERROR_SUCCESS);

  EXPECT_EQ(GetSystemFolder(0), "D:\\Apps");
}

TEST(SystemFolder, WindowsSystemAndTempAreExistingFolders) {
  for (int n : {sfWindows, sfSystem, sfTemp}) {
    SCOPED_TRACE(n);
    std::string folder = GetSystemFolder(n);
    ASSERT_FALSE(folder.empty());
    EXPECT_TRUE(DirectoryExists(folder)) << folder;
  }
  EXPECT_NE(GetSystemFolder(sfWindows), GetSystemFolder(sfSystem));
}

// Expanded as a 32-bit program's environment has it: a 64-bit build on a
// 64-bit Windows takes the (x86) folder for %ProgramFiles%.
TEST_F(SystemFolderTest, ProgramFilesIsThe32BitProgramsFolder) {
  ScopedEnv native("ProgramFiles", "P:\\Native");
  ScopedEnv x86("ProgramFiles(x86)", "P:\\X86");
  machine.WriteString(kCurrentVersion, "ProgramFilesPath", "%ProgramFiles%\\Apps");
  bool mapped = sizeof(void*) == 8 && SystemHas32BitView();
  EXPECT_EQ(GetSystemFolder(sfProgramFiles), mapped ? "P:\\X86\\Apps" : "P:\\Native\\Apps");
  // Other references stay as they are.
  machine.WriteString(kCurrentVersion, "ProgramFilesPath", "%SystemDrive%\\Apps");
  ScopedEnv drive("SystemDrive", "Q:");
  EXPECT_EQ(GetSystemFolder(sfProgramFiles), "Q:\\Apps");
}

// The prefix's real keys: where the system never filled the 32-bit view in,
// the native value, still expanded for 32-bit programs.
TEST(SystemFolder, RealProgramFilesAndSystemFoldersAreThoseOf32BitPrograms) {
  std::string programFiles = GetSystemFolder(sfProgramFiles);
  ASSERT_FALSE(programFiles.empty());
  EXPECT_TRUE(DirectoryExists(programFiles)) << programFiles;
  std::string system = GetSystemFolder(sfSystem);
  if (SystemHas32BitView()) {
    EXPECT_NE(programFiles.find("(x86)"), std::string::npos) << programFiles;
    EXPECT_EQ(system, System32BitFolder());
    EXPECT_NE(UpperCase(system).find("SYSWOW64"), std::string::npos) << system;
  } else {
    EXPECT_EQ(System32BitFolder(), "");
  }
}

TEST(SystemFolder, TheWindowsAndBothSystemFoldersAreTheSystemsOwn) {
  char native[MAX_PATH], windows[MAX_PATH];
  ASSERT_GT(GetSystemDirectoryA(native, MAX_PATH), 0u);
  ASSERT_GT(GetWindowsDirectoryA(windows, MAX_PATH), 0u);
  std::vector<std::string> own = {windows, std::string(windows) + "\\", native, UpperCase(native) + "\\",
                                  "  " + std::string(native) + " ", GetSystemFolder(sfSystem)};
  for (const std::string& f : own) EXPECT_TRUE(IsWindowsSystemFolder(f)) << f;
  std::vector<std::string> others = {"", "  ", "C:\\", std::string(windows) + "\\Temp", "C:\\Tessaro",
                                     std::string(native) + "x"};
  for (const std::string& f : others) EXPECT_FALSE(IsWindowsSystemFolder(f)) << f;
}

TEST(SystemFolder, OtherNumbersGiveEmpty) {
  for (int n : {-1, 5, 100}) EXPECT_EQ(GetSystemFolder(n), "") << n;
}
