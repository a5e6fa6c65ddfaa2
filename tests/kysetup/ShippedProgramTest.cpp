// The program users get is the 32-bit build. Where the tests run another
// build (a machine without 32-bit code runs the x86_64 one), both must be
// the same program: the same forms, packages, pictures, manifest and
// version, and no library beside the system's.
#include <gtest/gtest.h>

#include <cstdlib>
#include <set>
#include <string>

#include "support/PeImage.h"

namespace {

using ky_test::PeImage;

std::string Env(const char* name) {
  const char* v = std::getenv(name);
  return v ? v : "";
}

// The libraries every Windows has; a MinGW runtime library (libstdc++,
// libgcc, libwinpthread) would have to travel beside the program.
bool IsSystemLibrary(const std::string& lib) {
  static const std::set<std::string> system = {
      "kernel32.dll", "user32.dll",   "gdi32.dll",   "advapi32.dll", "shell32.dll",
      "ole32.dll",    "oleaut32.dll", "comdlg32.dll", "comctl32.dll", "msvcrt.dll",
      "shlwapi.dll",  "version.dll",  "winmm.dll",   "msimg32.dll"};
  return system.count(lib) > 0;
}

struct Program {
  const char* name;
  const char* testedVar;
  const char* shippedVar;
  uint16_t subsystem;
};

const Program kPrograms[] = {
    {"KySetup.exe", "KY_TESTED_KYSETUP", "KY_SHIPPED_KYSETUP", PeImage::kSubsystemGui},
    {"stptool.exe", "KY_TESTED_STPTOOL", "KY_SHIPPED_STPTOOL", PeImage::kSubsystemConsole},
};

void PrintTo(const Program& p, std::ostream* os) { *os << p.name; }

class ShippedProgramTest : public ::testing::TestWithParam<Program> {};

}  // namespace

TEST_P(ShippedProgramTest, Is32BitAndNeedsOnlySystemLibraries) {
  const Program& p = GetParam();
  std::string path = Env(p.shippedVar);
  ASSERT_FALSE(path.empty()) << p.shippedVar << " is not set";
  PeImage shipped(path);
  EXPECT_EQ(shipped.Machine(), PeImage::kMachineI386) << path;
  EXPECT_EQ(shipped.Subsystem(), p.subsystem) << path;
  ASSERT_FALSE(shipped.Imports().empty());
  for (const std::string& lib : shipped.Imports()) EXPECT_TRUE(IsSystemLibrary(lib)) << path << " imports " << lib;
}

TEST_P(ShippedProgramTest, TheTestedBuildIsTheSameProgram) {
  const Program& p = GetParam();
  std::string testedPath = Env(p.testedVar), shippedPath = Env(p.shippedVar);
  if (testedPath == shippedPath) GTEST_SKIP() << "the tested build is the shipped one";
  PeImage tested(testedPath), shipped(shippedPath);
  EXPECT_EQ(tested.Machine(), PeImage::kMachineAmd64) << testedPath;
  EXPECT_EQ(tested.Subsystem(), shipped.Subsystem());
  for (const std::string& lib : tested.Imports()) EXPECT_TRUE(IsSystemLibrary(lib)) << testedPath << " imports " << lib;

  // Every resource of either, byte for byte: forms with their packages,
  // pictures and icons, the manifest, the version.
  const auto& a = tested.Resources();
  const auto& b = shipped.Resources();
  for (const auto& [key, bytes] : a) {
    auto it = b.find(key);
    std::string what = std::get<0>(key) + "/" + std::get<1>(key);
    if (it == b.end()) {
      ADD_FAILURE() << what << " only in " << testedPath;
      continue;
    }
    EXPECT_TRUE(it->second == bytes) << what << " differs: " << bytes.size() << " against " << it->second.size()
                                     << " bytes";
  }
  for (const auto& [key, bytes] : b)
    if (!a.count(key)) ADD_FAILURE() << std::get<0>(key) << "/" << std::get<1>(key) << " only in " << shippedPath;
  if (std::string(p.name) == "KySetup.exe") {
    for (const char* form : {"TFRSETUP", "TFRSEARCH", "TFRABOUT", "TFRMESSAGE"})
      EXPECT_TRUE(b.count({"#10", form, 0}) || b.count({"#10", form, 1033})) << "no form " << form;
    EXPECT_FALSE(b.empty());
  }
}

INSTANTIATE_TEST_SUITE_P(Programs, ShippedProgramTest, ::testing::ValuesIn(kPrograms),
                         [](const auto& info) { return std::string(info.param.name).substr(0, 7); });
