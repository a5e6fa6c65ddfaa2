// Verifying installed products against their stored setup files: one
// installation, damaged in one way per case, and what verify says of it.
#include <functional>

#include "EngineFixture.h"
#include "platform/base/SysUtils.h"
#include "platform/os/FileOps.h"
#include "setup/Environments.h"
#include "setup/ProductRecord.h"
#include "setup/Verify.h"

using namespace ky_test;

namespace {


class VerifySandbox : public EngineTest {
public:
  void TestBody() override {}
  using EngineTest::dir;
  using EngineTest::state;
  using EngineTest::WriteAll;
  using EngineTest::Snapshot;
  using EngineTest::SnapshotDiff;

  std::string d5, d3;
  VerifySandbox() {
    d5 = AddEnvironment(D5);
    d3 = AddEnvironment(D3);
    InstallInstaller();
    Install(MakeSetup("lib.stp", Product("KyControls", 2, {2, 1, 0}),
                      {{"KyPanel.hpp", "head"}, {"KyPanel.dcu", "unit"}, {"dclKy50.bpl", "design"}}));
    state.EnvironmentTicked[D3] = true;
    Install(MakeSetup("help.stp", Product("Ky", 3, {1, 0, 0}), {{"Ky.hlp", "help"}, {"Ky.cnt", "contents"}}));
  }
  // The report with the temporary folder as "~".
  std::string Report() const {
    const TVerifyReport r = VerifyInstallation(state);
    std::string text = std::to_string(r.Products) + " items\n";
    for (const std::string& line : r.Differences) text += line + "\n";
    for (size_t at; (at = text.find(dir.Path())) != std::string::npos;) text.replace(at, dir.Path().size(), "~");
    return text;
  }
};

struct Damage {
  const char* name;
  std::function<void(VerifySandbox&)> damage;
  const char* report;
};

const Damage kDamages[] = {
    {"nothing", [](VerifySandbox&) {}, "2 items\n"},
    {"a changed byte", [](VerifySandbox& t) { t.WriteAll(t.d5 + "\\Lib\\KyPanel.dcu", "uniT"); },
     "2 items\nKyControls_D5Lib: ~\\EnvD5\\Lib\\KyPanel.dcu differs from byte 3\n"},
    {"another size", [](VerifySandbox& t) { t.WriteAll(t.d5 + "\\Lib\\KyPanel.dcu", "un"); },
     "2 items\nKyControls_D5Lib: ~\\EnvD5\\Lib\\KyPanel.dcu has 2 bytes, not 4\n"},
    {"a deleted file", [](VerifySandbox& t) { DeleteFileForce(t.d5 + "\\Include\\KyPanel.hpp"); },
     "2 items\nKyControls_D5Lib: ~\\EnvD5\\Include\\KyPanel.hpp is missing\n"},
    {"an unregistered package",
     [](VerifySandbox& t) { t.state.Registry.DeleteValue(KnownPackagesKey(D5), t.d5 + "\\Bin\\dclKy50.bpl"); },
     "2 items\nKyControls_D5Lib: the package ~\\EnvD5\\Bin\\dclKy50.bpl is not registered in "
     "HKEY_CURRENT_USER\\SoftWare\\Borland\\Delphi\\5.0\\Known Packages\n"},
    {"a package the environment rewrote to its macro form",
     [](VerifySandbox& t) {
       t.state.Registry.DeleteValue(KnownPackagesKey(D5), t.d5 + "\\Bin\\dclKy50.bpl");
       t.state.Registry.WriteString(KnownPackagesKey(D5), "$(DELPHI)\\Bin\\dclKy50.bpl", "Library KyControls  (2.1.0)");
     },
     "2 items\n"},
    {"a help entry taken out",
     [](VerifySandbox& t) { t.WriteAll(t.d3 + "\\Help\\Delphi3.cnt", ":Base Borland.hlp\r\n:Include Ky.cnt\r\n"); },
     "2 items\nKy_HelpLib: the help entry of Ky.hlp is missing from ~\\EnvD3\\Help\\Delphi3.cnt\n"},
    {"a record value changed",
     [](VerifySandbox& t) { t.state.Registry.WriteString(ProductKey("KyControls_D5Lib"), "Ver3", "9"); },
     "2 items\nKyControls_D5Lib: the record's \"Ver3\" is \"9\", not \"0\"\n"},
    {"the stored copy gone", [](VerifySandbox& t) { DeleteFileForce(t.state.PathInstall + "\\Ky_HelpLib.stp"); },
     "2 items\nKy_HelpLib: its stored setup file ~\\Products\\Ky_HelpLib.stp is missing\n"},
};

}  // namespace

TEST(Verify, FindsEachDamageOfAnInstallation) {
  for (const Damage& d : kDamages) {
    SCOPED_TRACE(d.name);
    VerifySandbox t;
    d.damage(t);
    const std::string before = t.Snapshot();
    EXPECT_EQ(t.Report(), d.report);
    EXPECT_EQ(VerifySandbox::SnapshotDiff(before, t.Snapshot()), "");  // verify changes nothing
  }
}

TEST_F(EngineTest, VerifyMatchesAnUpdatedFileAgainstTheUpdate) {
  AddEnvironment(D5);
  InstallInstaller();
  TSetupProduct base = Product("Ky", 2, {2, 1, 0});
  Install(MakeSetup("base.stp", base, {{"KyPanel.dcu", "base"}, {"KyGrid.dcu", "grid"}}));
  Install(MakeSetup("upd.stp", Update(base, {2, 1, 1}), {{"KyPanel.dcu", "update"}}));
  TVerifyReport r = VerifyInstallation(state);
  EXPECT_EQ(r.Products, 2);
  EXPECT_EQ(r.Differences, std::vector<std::string>{});
  WriteAll(dir / "EnvD5\\Lib\\KyPanel.dcu", "base");  // the base's bytes where the update's belong
  r = VerifyInstallation(state, "KY_D5LIB");
  ASSERT_EQ(r.Differences.size(), 1u);
  EXPECT_EQ(r.Differences[0], "Ky_D5Lib (update): " + dir / "EnvD5\\Lib\\KyPanel.dcu has 4 bytes, not 6");
}
