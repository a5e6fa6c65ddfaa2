// The plan of an installation: what it will write, register, link, delete
// and record, decided before anything changes. A table of situations, each
// with the plan as a person reads it; planning never changes anything, and
// what the plan refuses the installation refuses.
#include <functional>

#include "EngineFixture.h"
#include "packages/MessageService.h"
#include "platform/base/Exception.h"
#include "platform/base/SysUtils.h"
#include "platform/os/FileOps.h"
#include "setup/Environments.h"
#include "setup/InstallPlan.h"
#include "setup/ProductRecord.h"

using namespace ky_test;

class PlanSandbox;

namespace {

struct PlanCase {
  const char* name;
  // Prepares the state and returns the setup file to plan.
  std::function<std::string(PlanSandbox&)> setup;
  const char* expected;  // the plan's lines, the temporary folder as "~"; or the refusal
};

}  // namespace

// One sandbox per situation.
class PlanSandbox : public EngineTest {
public:
  void TestBody() override {}
  using EngineTest::AddEnvironment;
  using EngineTest::dir;
  using EngineTest::Install;
  using EngineTest::InstallInstaller;
  using EngineTest::installer;
  using EngineTest::MakeSetup;
  using EngineTest::Product;
  using EngineTest::Update;
  using EngineTest::Snapshot;
  using EngineTest::SnapshotDiff;
  using EngineTest::state;

  std::string Shown(const std::vector<std::string>& lines) const {
    std::string text;
    for (const std::string& line : lines) text += line + "\n";
    for (size_t at; (at = text.find(dir.Path())) != std::string::npos;) text.replace(at, dir.Path().size(), "~");
    return text;
  }
};

namespace {

std::string Library(PlanSandbox& t) {
  t.AddEnvironment(D5);
  t.InstallInstaller();
  return t.MakeSetup("KyD5.stp", PlanSandbox::Product("KyControls", 2, {2, 1, 0}, "", "EXE"),
                     {{"KyLibrary_D5.dpk", "p"}, {"KyPanel.hpp", "h"}, {"KyPanel.dcu", "u"}, {"dclKy50.bpl", "d"},
                      {"Ky50.bpl", "r"}, {"Demo\\Demo.exe", "x"}},
                     {"Demo\\Old.exe", "Old.dcu"});
}

const PlanCase kCases[] = {
    {"new library", Library,
     "Install KyControls Delphi5 Library  Ver: 2.1.0 (KyControls_D5Lib)\n"
     "Files (6):\n"
     "  new      ~\\Products\\KyControls_D5Lib\\KyLibrary_D5.dpk\n"
     "  new      ~\\EnvD5\\Include\\KyPanel.hpp\n"
     "  new      ~\\EnvD5\\Lib\\KyPanel.dcu\n"
     "  new      ~\\EnvD5\\Bin\\dclKy50.bpl\n"
     "  new      ~\\System\\Ky50.bpl\n"
     "  new      ~\\Products\\KyControls_D5Lib\\Demo\\Demo.exe\n"
     "Packages registered:\n"
     "  D5 ~\\EnvD5\\Bin\\dclKy50.bpl = Library KyControls  (2.1.0)\n"
     "Shortcuts:\n"
     "  ~\\Programs\\Tessaro\\KyControls_D5Lib\\Demo\\Demo.lnk -> ~\\Products\\KyControls_D5Lib\\Demo\\Demo.exe\n"
     "Obsolete files deleted:\n"
     "  ~\\Products\\KyControls_D5Lib\\Demo\\Old.exe\n"
     "  ~\\Programs\\Tessaro\\KyControls_D5Lib\\Demo\\Old.lnk\n"
     "  ~\\Products\\KyControls_D5Lib\\Old.dcu\n"
     "Setup file kept as ~\\Products\\KyControls_D5Lib.stp\n"
     "Record HKEY_CURRENT_USER\\SoftWare\\Tessaro\\KyControls_D5Lib:\n"
     "  FileSetup = KyControls_D5Lib.stp\n  Ver1 = 2\n  Ver2 = 1\n  Ver3 = 0\n"
     "  Description = KyControls Delphi5 Library  Ver: 2.1.0\n"
     "Programs and Features entry: KyControls Delphi5 Library  Ver: 2.1.0\n"},
    {"the same product again replaces it",
     [](PlanSandbox& t) {
       std::string stp = Library(t);
       t.Install(stp);
       return stp;
     },
     "Install KyControls Delphi5 Library  Ver: 2.1.0 (KyControls_D5Lib)\n"
     "Removed first:\n  KyControls_D5Lib (its earlier installation)\n"
     "Files (6):\n"
     "  replace  ~\\Products\\KyControls_D5Lib\\KyLibrary_D5.dpk\n"
     "  replace  ~\\EnvD5\\Include\\KyPanel.hpp\n"
     "  replace  ~\\EnvD5\\Lib\\KyPanel.dcu\n"
     "  replace  ~\\EnvD5\\Bin\\dclKy50.bpl\n"
     "  replace  ~\\System\\Ky50.bpl\n"
     "  replace  ~\\Products\\KyControls_D5Lib\\Demo\\Demo.exe\n"
     "Packages registered:\n"
     "  D5 ~\\EnvD5\\Bin\\dclKy50.bpl = Library KyControls  (2.1.0)\n"
     "Shortcuts:\n"
     "  ~\\Programs\\Tessaro\\KyControls_D5Lib\\Demo\\Demo.lnk -> ~\\Products\\KyControls_D5Lib\\Demo\\Demo.exe\n"
     "Obsolete files deleted:\n"
     "  ~\\Products\\KyControls_D5Lib\\Demo\\Old.exe\n"
     "  ~\\Programs\\Tessaro\\KyControls_D5Lib\\Demo\\Old.lnk\n"
     "  ~\\Products\\KyControls_D5Lib\\Old.dcu\n"
     "Setup file kept as ~\\Products\\KyControls_D5Lib.stp\n"
     "Record HKEY_CURRENT_USER\\SoftWare\\Tessaro\\KyControls_D5Lib:\n"
     "  FileSetup = KyControls_D5Lib.stp\n  Ver1 = 2\n  Ver2 = 1\n  Ver3 = 0\n"
     "  Description = KyControls Delphi5 Library  Ver: 2.1.0\n"
     "Programs and Features entry: KyControls Delphi5 Library  Ver: 2.1.0\n"},
    {"an update over an older update",
     [](PlanSandbox& t) {
       t.AddEnvironment(D5);
       t.InstallInstaller();
       TSetupProduct base = PlanSandbox::Product("Ky", 2, {2, 1, 0});
       t.Install(t.MakeSetup("base.stp", base, {{"KyPanel.dcu", "base"}, {"KyGrid.dcu", "grid"}}));
       t.Install(t.MakeSetup("u1.stp", PlanSandbox::Update(base, {2, 1, 1}), {{"KyPanel.dcu", "u1"}}));
       return t.MakeSetup("u2.stp", PlanSandbox::Update(base, {2, 1, 2}), {{"KyPanel.dcu", "u2"}, {"KyNew.dcu", "n"}});
     },
     "Install Ky Delphi5 Library  Ver: 2.1.2 Update (Ky_D5Lib)\n"
     "Removed first:\n  Ky_D5Lib (its installed update)\n"
     "Files (2):\n"
     "  replace  ~\\EnvD5\\Lib\\KyPanel.dcu\n"
     "  new      ~\\EnvD5\\Lib\\KyNew.dcu\n"
     "Setup file kept as ~\\Products\\Ky_D5Lib.upd\n"
     "Record HKEY_CURRENT_USER\\SoftWare\\Tessaro\\Ky_D5Lib:\n"
     "  FileSetupUpd = Ky_D5Lib.upd\n  Ver1Upd = 2\n  Ver2Upd = 1\n  Ver3Upd = 2\n"
     "  DescriptionUpd = Ky Delphi5 Library  Ver: 2.1.2 Update\n"},
    {"another edition goes first",
     [](PlanSandbox& t) {
       t.AddEnvironment(D5);
       t.InstallInstaller();
       t.Install(t.MakeSetup("pro.stp", PlanSandbox::Product("Ky", 2, {1, 0, 0}, "Pro"), {{"A.dcu", "pro"}}));
       return t.MakeSetup("std.stp", PlanSandbox::Product("Ky", 2, {1, 0, 0}), {{"A.dcu", "std"}});
     },
     "Install Ky Delphi5 Library  Ver: 1.0.0 (Ky_D5Lib)\n"
     "Removed first:\n  Ky_D5Lib_Pro (another edition)\n"
     "Files (1):\n  replace  ~\\EnvD5\\Lib\\A.dcu\n"
     "Setup file kept as ~\\Products\\Ky_D5Lib.stp\n"
     "Record HKEY_CURRENT_USER\\SoftWare\\Tessaro\\Ky_D5Lib:\n"
     "  FileSetup = Ky_D5Lib.stp\n  Ver1 = 1\n  Ver2 = 0\n  Ver3 = 0\n"
     "  Description = Ky Delphi5 Library  Ver: 1.0.0\n"
     "Programs and Features entry: Ky Delphi5 Library  Ver: 1.0.0\n"},
    {"help for the ticked environments",
     [](PlanSandbox& t) {
       t.AddEnvironment(D3);
       t.AddEnvironment(C5);
       t.InstallInstaller();
       t.state.EnvironmentTicked[D3] = t.state.EnvironmentTicked[C5] = true;
       return t.MakeSetup("help.stp", PlanSandbox::Product("Ky", 3, {1, 0, 0}), {{"Ky.hlp", "h"}, {"Ky.cnt", "c"}});
     },
     "Install Ky Help Library  Ver: 1.0.0 (Ky_HelpLib)\n"
     "Files (4):\n"
     "  new      ~\\EnvD3\\Help\\Ky.hlp\n  new      ~\\EnvD3\\Help\\Ky.cnt\n"
     "  new      ~\\EnvC5\\Help\\Ky.hlp\n  new      ~\\EnvC5\\Help\\Ky.cnt\n"
     "Help entries:\n"
     "  ~\\EnvD3\\Help\\Delphi3.cnt: :Index Help Ky (Ky.hlp) =Ky.hlp\n"
     "  ~\\EnvD3\\Help\\Delphi3.cnt: :Include Ky.cnt\n"
     "  ~\\EnvC5\\Help\\bcb5.cnt: :Index Help Ky (Ky.hlp) =Ky.hlp\n"
     "  ~\\EnvC5\\Help\\bcb5.cnt: :Include Ky.cnt\n"
     "Shortcuts:\n"
     "  ~\\Programs\\Tessaro\\Ky_HelpLib\\Ky.lnk -> ~\\EnvD3\\Help\\Ky.hlp\n"
     "  ~\\Programs\\Tessaro\\Ky_HelpLib\\Ky.lnk -> ~\\EnvC5\\Help\\Ky.hlp\n"
     "Setup file kept as ~\\Products\\Ky_HelpLib.stp\n"
     "Record HKEY_CURRENT_USER\\SoftWare\\Tessaro\\Ky_HelpLib:\n"
     "  FileSetup = Ky_HelpLib.stp\n  Ver1 = 1\n  Ver2 = 0\n  Ver3 = 0\n"
     "  Description = Ky Help Library  Ver: 1.0.0\n  InstallLangs = D3,C5\n"
     "Programs and Features entry: Ky Help Library  Ver: 1.0.0\n"},
    {"refused: an environment folder is missing",
     [](PlanSandbox& t) {
       std::string root = t.AddEnvironment(D5);
       t.InstallInstaller();
       RemoveFolder(root + "\\Include");
       return t.MakeSetup("h.stp", PlanSandbox::Product("Ky", 2, {1, 0, 0}), {{"A.hpp", "h"}});
     },
     "The file '~\\incoming\\h.stp' installs into the folder '~\\EnvD5\\Include', which does not exist."},
    {"refused: a name twice",
     [](PlanSandbox& t) {
       t.InstallInstaller();
       return t.MakeSetup("d.stp", PlanSandbox::Product("Data", 4, {1, 0, 0}), {{"a.txt", "1"}, {"A.TXT", "2"}});
     },
     "The file '~\\incoming\\d.stp' holds the file name 'A.TXT' twice, or as a file and as a folder."},
    {"refused: the environment never started by this user",
     [](PlanSandbox& t) {
       t.InstallInstaller();
       TRegistry machine(rkLocalMachine);
       machine.WriteString(Environment(D5).Key, "RootDir", t.dir.MakeDir("EnvD5"));
       DetectEnvironments(t.state);
       return t.MakeSetup("n.stp", PlanSandbox::Product("Ky", 2, {1, 0, 0}), {{"A.dcu", "u"}});
     },
     "Borland Delphi5 has never been started by this user: start it once and close it, then go on. Its packages "
     "would otherwise not be registered."},
};

}  // namespace

TEST(InstallPlan, EachSituationPlansWhatTheInstallationWillDoAndChangesNothing) {
  for (const PlanCase& c : kCases) {
    SCOPED_TRACE(c.name);
    PlanSandbox t;
    const std::string stp = c.setup(t);
    const std::string before = t.Snapshot();
    std::string shown;
    try {
      shown = t.Shown(PlanLines(PlanInstallation(t.state, stp)));
    } catch (const Exception& e) {
      shown = t.Shown({e.what()});
      shown.pop_back();
      // The installation refuses the same way and leaves everything as it was.
      try {
        t.installer.InstallProduct(stp, 1000);
        ADD_FAILURE() << "the installation went ahead";
      } catch (const Exception& again) {
        EXPECT_EQ(std::string(again.what()), std::string(e.what()));
      }
    }
    EXPECT_EQ(shown, c.expected);
    EXPECT_EQ(PlanSandbox::SnapshotDiff(before, t.Snapshot()), "");
  }
}

TEST(InstallPlan, TheInstallationDoesWhatItsPlanSaid) {
  PlanSandbox t;
  TSetupState& state = t.state;
  const std::string stp = Library(t);
  const TInstallPlan plan = PlanInstallation(state, stp);
  t.Install(stp);
  for (const TPlannedFile& f : plan.Files) EXPECT_TRUE(FileExists(f.Path)) << f.Path;
  for (const TPlannedFile& f : plan.Files) {
    if (!f.Link.empty()) {
      EXPECT_TRUE(FileExists(f.Link)) << f.Link;
    }
  }
  for (const TPlannedValue& v : plan.Record) EXPECT_EQ(state.Registry.ReadString(v.Key, v.Name, "?"), v.Data) << v.Name;
  EXPECT_EQ(state.Registry.ReadString(KnownPackagesKey(D5), plan.Files[3].Path, ""), plan.Files[3].PackageText);
  // Planned again, every file now replaces one.
  for (const TPlannedFile& f : PlanInstallation(state, stp).Files) EXPECT_TRUE(f.Replaces) << f.Path;
}

TEST(InstallPlan, JsonCarriesTheSamePlan) {
  PlanSandbox t;
  const std::string stp = Library(t);
  const std::string json = PlanJson(PlanInstallation(t.state, stp));
  for (const char* part : {"\"identifier\": \"KyControls_D5Lib\"", "\"environments\": [\n    \"D5\"\n  ]",
                           "\"package\": \"Library KyControls  (2.1.0)\"", "\"replaces\": false",
                           "\"name\": \"Demo\\\\Demo.exe\"", "\"programsAndFeatures\": true"})
    EXPECT_NE(json.find(part), std::string::npos) << part << "\n" << json;
}
