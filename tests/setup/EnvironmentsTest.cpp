#include "EngineFixture.h"
#include "platform/base/Exception.h"
#include "setup/Environments.h"

using namespace ky_test;

TEST_F(EngineTest, EnvironmentIsDetectedOnlyWithBothKeys) {
  TRegistry machine(rkLocalMachine);
  machine.WriteString("SoftWare\\Borland\\Delphi\\3.0", "RootDir", "C:\\D3");   // never started by this user
  state.Registry.WriteString("SoftWare\\Borland\\C++Builder\\4.0", "Marker", "");  // user key only
  machine.WriteString("SoftWare\\Borland\\Delphi\\6.0", "Other", "");           // both, but no RootDir
  state.Registry.CreateKey("SoftWare\\Borland\\Delphi\\6.0");
  machine.WriteString("SoftWare\\Borland\\C++Builder\\6.0", "RootDir", "C:\\CB6\\");
  state.Registry.CreateKey("SoftWare\\Borland\\C++Builder\\6.0");
  DetectEnvironments(state);
  const std::array<bool, kEnvironmentCount> enabled = {false, false, false, true, false, false, false, true};
  EXPECT_EQ(state.EnvironmentEnabled, enabled);
  EXPECT_EQ(state.RootDir[0], "");
  EXPECT_EQ(state.RootDir[3], "");
  EXPECT_EQ(state.RootDir[7], "C:\\CB6\\");
  EXPECT_EQ(EnvironmentRoot(state, 7), "C:\\CB6\\");
  // Without a folder nothing may be placed: the drive's root is not a fallback.
  EXPECT_THROW(EnvironmentRoot(state, 3), Exception);
}

TEST_F(EngineTest, PackageRegistrationAndBothFormsOfItsRemoval) {
  RegisterPackage(state, 4, "C:\\CB3\\Bin\\dclKy.bpl", "KyControls", "Pro", 3, 0, 12);
  EXPECT_EQ(state.Registry.ReadString("SoftWare\\Borland\\C++Builder\\3.0\\Known Packages", "C:\\CB3\\Bin\\dclKy.bpl", ""),
            "Library KyControls Pro (3.0.12)");
  state.Registry.WriteString(KnownPackagesKey(4), "$(BCB)\\Bin\\dclKy.bpl", "rewritten by the environment");
  state.Registry.WriteString(KnownPackagesKey(4), "$(BCB)\\Bin\\other.bpl", "another package");
  UnregisterPackage(state, 4, "C:\\CB3\\Bin\\dclKy.bpl", "dclKy.bpl");
  EXPECT_FALSE(state.Registry.ValueExists(KnownPackagesKey(4), "C:\\CB3\\Bin\\dclKy.bpl"));
  EXPECT_FALSE(state.Registry.ValueExists(KnownPackagesKey(4), "$(BCB)\\Bin\\dclKy.bpl"));
  EXPECT_TRUE(state.Registry.ValueExists(KnownPackagesKey(4), "$(BCB)\\Bin\\other.bpl"));
  // Nothing there to delete is not an error.
  UnregisterPackage(state, 0, "C:\\D3\\Bin\\none.dpl", "none.dpl");
}
