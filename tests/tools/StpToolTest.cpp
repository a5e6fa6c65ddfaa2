// stptool as a product author uses it: pack a manifest, look inside with info.
#include <gtest/gtest.h>

#include "platform/base/Stream.h"
#include "setup/NameScramble.h"
#include "setup/Installer.h"
#include "setup/SetupFile.h"
#include "platform/os/Mutex.h"
#include <memory>
#include "support/RunTool.h"
#include "support/TempDir.h"

using ky_test::RunTool;

namespace {

class StpToolTest : public ::testing::Test {
protected:
  std::string Tool() const { return ky_test::ToolFromEnv("KY_STPTOOL"); }
  ky_test::ToolResult Stp(const std::string& args) const { return RunTool(Tool(), args); }
  std::string Q(const std::string& path) const { return "\"" + path + "\""; }

  // A setup file written directly, for contents the manifest would refuse.
  std::string Crafted(const TSetupProduct& p, const std::string& fileName, const std::string& name = "") {
    TMemoryStream m;
    {
      TSetupFileWriter w(m);
      w.WriteDescription(p);
      w.WriteFileCount(name.empty() ? 0 : 1);
      if (!name.empty()) {
        TMemoryStream c(std::vector<uint8_t>{'x'});
        w.WriteEntry(name, c, 1);
      }
      w.WriteObsolete({});
      w.Flush();
    }
    std::string path = dir_ / fileName;
    m.SaveToFile(path);
    return path;
  }

  static TSetupProduct Product() {
    TSetupProduct p;
    p.Required = kInstallerVersion;
    p.Name = "Ky";
    p.Kind = 4;
    p.Version = {1, 0, 0};
    return p;
  }

  ky_test::TempDir dir_;
};

}  // namespace

TEST_F(StpToolTest, PackThenInfoRoundTrips) {
  dir_.MakeDir("src");
  dir_.MakeDir("src\\Lib");
  std::string big(70000, '\0');
  for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>(i * 31);
  dir_.WriteFile("src\\a", "1");
  dir_.WriteFile("src\\even.hlp", "");
  dir_.WriteFile("src\\Lib\\Odd.dcu", big);
  dir_.WriteFile("pic.bmp", std::string("BM") + std::string(98, 'p'));
  // The longest qualifier whose identifier still names a key and a folder (255 characters).
  const std::string qualifier(255 - std::string("KyControls_D6Lib_").size(), 'q');
  const std::string shortcuts = "EXE,HLP," + std::string(250, 'S');  // 258 bytes: the long form
  dir_.WriteFile("m.ini", "[Product]\nName=KyControls\nKind=8\nQualifier=" + qualifier +
                              "\nVersion=2.1.0\nBaseVersion=2.0.9\nUpdate=1\nShortcuts=" + shortcuts +
                              "\nPicture=pic.bmp\n[Files]\na=src\\a\nHelp\\even.hlp=src/even.hlp\n"
                              "Lib\\Odd.dcu=src\\Lib\\Odd.dcu\n[Obsolete]\nLib\\Gone.dcu\nb\n");
  ky_test::ToolResult pack = Stp("pack " + Q(dir_ / "m.ini") + " " + Q(dir_ / "out.stp"));
  ASSERT_EQ(pack.exitCode, 0) << pack.output;

  ky_test::ToolResult info = Stp("info " + Q(dir_ / "out.stp"));
  ASSERT_EQ(info.exitCode, 0) << info.output;
  const std::string expected =
      "Name:          KyControls\n"
      "Kind:          8 (D6Lib)\n"
      "Qualifier:     " + qualifier + "\n"
      "Version:       2.1.0\n"
      "Base version:  2.0.9\n"
      "Update:        yes\n"
      "Shortcuts:     " + shortcuts + "\n"
      "Requires:      2.5.15\n"
      "Picture:       100 bytes\n"
      "Identifier:    KyControls_D6Lib_" + qualifier + "\n"
      "Description:   KyControls Delphi6 Library " + qualifier + " Ver: 2.1.0 Update\n"
      "Files:         3\n"
      "             1  a\n"
      "             0  Help\\even.hlp\n"
      "         70000  Lib\\Odd.dcu\n"
      "Obsolete:      2\n"
      "  Lib\\Gone.dcu\n"
      "  b\n";
  EXPECT_EQ(info.output, expected);

  // The contents themselves come back byte for byte.
  TSetupFileReader r(dir_ / "out.stp");
  EXPECT_EQ(r.ReadDescription().Picture.size(), 100u);
  r.ReadFileCount();
  for (const std::string& want : {std::string("1"), std::string(), big}) {
    TMemoryStream out;
    r.CopyContent(r.ReadEntry(), out);
    EXPECT_EQ(std::string(out.Data().begin(), out.Data().end()), want);
  }
}

TEST_F(StpToolTest, InfoRefusesBadFilesWithTheSystemsMessages) {
  TSetupProduct newer = Product();
  newer.Required = {2, 5, 16};
  TSetupProduct kind = Product();
  kind.Kind = 18;
  std::string notSetup = dir_.WriteFile("readme.stp", std::string(64, 'r'));
  std::string tooNew = Crafted(newer, "new.stp");
  std::string badKind = Crafted(kind, "kind.stp");
  std::string unsafe = Crafted(Product(), "unsafe.stp", "..\\..\\evil.dll");
  std::string cut = Crafted(Product(), "cut.stp", "fine.txt");
  {
    std::string data = dir_.ReadFile("cut.stp");
    dir_.WriteFile("cut.stp", data.substr(0, data.size() - 3));
  }
  struct Case {
    std::string file, message;
  };
  const Case cases[] = {
      {notSetup, "The file '" + notSetup + "' doesn't have the setup format."},
      {tooNew, "To be able to install the selected file you should update the setup program to the version "
               "'2.5.16' or superior."},
      {badKind, "The file '" + badKind + "' holds the unknown product kind 18."},
      {unsafe, "The file '" + unsafe + "' holds the unsafe file name '..\\..\\evil.dll'."},
      {cut, "The file '" + cut + "' is damaged: the content length 1 exceeds the file."},
  };
  for (const Case& c : cases) {
    ky_test::ToolResult r = Stp("info " + Q(c.file));
    EXPECT_EQ(r.exitCode, 1) << c.file;
    // Standard output may hold the lines read before the fault; the message ends the output.
    ASSERT_GE(r.output.size(), c.message.size() + 1) << r.output;
    EXPECT_EQ(r.output.substr(r.output.size() - c.message.size() - 1), c.message + "\n");
  }
  ky_test::ToolResult missing = Stp("info " + Q(dir_ / "none.stp"));
  EXPECT_EQ(missing.exitCode, 1);
  EXPECT_NE(missing.output.find("none.stp"), std::string::npos) << missing.output;
}

TEST_F(StpToolTest, PackRefusalsLeaveNoOutput) {
  dir_.WriteFile("m.ini", "[Product]\nName=Ky\nKind=4\nVersion=1.0.0\n[Files]\na.txt=missing.txt\n");
  ky_test::ToolResult r = Stp("pack " + Q(dir_ / "m.ini") + " " + Q(dir_ / "out.stp"));
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.output.find("line 6: Cannot open file"), std::string::npos) << r.output;
  EXPECT_FALSE(dir_.Exists("out.stp"));

  dir_.WriteFile("bad.ini", "[Product]\nName=Ky\nKind=19\nVersion=1.0.0\n");
  r = Stp("pack " + Q(dir_ / "bad.ini") + " " + Q(dir_ / "out.stp"));
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.output.find("bad.ini(3): Kind must be a number from 0 to 17"), std::string::npos) << r.output;
}

TEST_F(StpToolTest, WrongUsageExitsWithTwo) {
  for (const char* args : {"", "pack onlyone.ini", "info", "info a b", "unpack x"}) {
    ky_test::ToolResult r = Stp(args);
    EXPECT_EQ(r.exitCode, 2) << args;
    EXPECT_NE(r.output.find("Usage:"), std::string::npos) << args;
  }
}

TEST_F(StpToolTest, SmallestProductHasNoPictureNoFilesAndDefaults) {
  dir_.WriteFile("m.ini", "[Product]\nName=Data\nKind=4\nVersion=1.0.0\n");
  ASSERT_EQ(Stp("pack " + Q(dir_ / "m.ini") + " " + Q(dir_ / "d.stp")).exitCode, 0);
  ky_test::ToolResult info = Stp("info " + Q(dir_ / "d.stp"));
  ASSERT_EQ(info.exitCode, 0) << info.output;
  for (const char* line : {"Picture:       0 bytes\n", "Files:         0\n", "Obsolete:      0\n",
                           "Requires:      2.5.15\n", "Base version:  0.0.0\n", "Update:        no\n",
                           "Identifier:    Data\n", "Description:   Data  Ver: 1.0.0\n"})
    EXPECT_NE(info.output.find(line), std::string::npos) << line << info.output;
}

TEST_F(StpToolTest, EngineCommandsWaitForNobodyWhileAnotherCopyRuns) {
  // The installer's mutex held elsewhere (the wizard, or another stptool).
  auto held = std::make_unique<TNamedMutex>(kInstallerMutex);
  for (const char* cmd : {"list", "remove Nothing"}) {
    SCOPED_TRACE(cmd);
    ky_test::ToolResult r = Stp(cmd);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.output, "Another copy of the setup program is running.\n");
  }
  // Packing touches no record and is not held back.
  dir_.WriteFile("m.ini", "[Product]\nName=Ky\nKind=4\nVersion=1.0.0\n");
  EXPECT_EQ(Stp("pack " + Q(dir_ / "m.ini") + " " + Q(dir_ / "o.stp")).exitCode, 0);
  held.reset();
  EXPECT_EQ(Stp("list").exitCode, 0);
}

TEST_F(StpToolTest, PacksMoreFilesThanTheRuntimeCanKeepOpen) {
  std::string ini = "[Product]\nName=Many\nKind=4\nVersion=1.0.0\n[Files]\n";
  dir_.MakeDir("src");
  for (int i = 0; i < 600; ++i) {
    const std::string name = "f" + std::to_string(i) + ".txt";
    dir_.WriteFile("src\\" + name, std::to_string(i));
    ini += name + "=src\\" + name + "\n";
  }
  dir_.WriteFile("m.ini", ini);
  ky_test::ToolResult r = Stp("pack " + Q(dir_ / "m.ini") + " " + Q(dir_ / "many.stp"));
  ASSERT_EQ(r.exitCode, 0) << r.output;
  TSetupFileReader reader(dir_ / "many.stp");
  reader.ReadDescription();
  ASSERT_EQ(reader.ReadFileCount(), 600);
  for (int i = 0; i < 600; ++i) {
    TSetupEntry e = reader.ReadEntry();
    EXPECT_EQ(e.Name, "f" + std::to_string(i) + ".txt");
    TMemoryStream content;
    reader.CopyContent(e, content);
    EXPECT_EQ(std::string(content.Data().begin(), content.Data().end()), std::to_string(i));
  }
}
