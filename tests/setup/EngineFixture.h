// A sandbox for the installation engine: the registry redirected to scratch
// keys, every folder (products, group, system, environments) in a temporary
// folder, fake development environments, and a progress bar that records.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/os/Shortcuts.h"
#include "setup/Installer.h"
#include "setup/SetupFile.h"
#include "support/RegistrySandbox.h"
#include "support/TempDir.h"

namespace ky_test {

// Environment numbers the tests name: Delphi 3, Delphi 5, C++Builder 5.
constexpr int D3 = 0, D5 = 2, C5 = 6;

class RecordingBar : public TProgressSink {
public:
  int Max() const override { return 1000; }
  int Position() const override { return position; }
  void SetPosition(int p) override;
  void SetLabel(const std::string& text) override;
  void Reset();

  int position = 0;
  bool wentBack = false;
  std::vector<std::string> labels;  // every non-empty label in order
  std::string label;
};

struct PayloadFile {
  std::string name;
  std::string content;
};

class EngineTest : public ::testing::Test {
protected:
  EngineTest();

  // Makes an environment installed: its machine key with "RootDir", its user
  // key, and a root folder with Include, Lib, Bin and Help and an empty
  // help contents file. Returns the root (without a final "\").
  std::string AddEnvironment(int env, bool finalBackslash = false);

  static TSetupProduct Product(const std::string& name, int kind, TVersion version, const std::string& qualifier = "",
                               const std::string& shortcuts = "");
  static TSetupProduct Update(TSetupProduct base, TVersion version);
  // Writes a setup file into the "incoming" folder and returns its path.
  std::string MakeSetup(const std::string& fileName, const TSetupProduct& product,
                        const std::vector<PayloadFile>& files, const std::vector<std::string>& obsolete = {});

  void InstallInstaller();
  // Runs a routine with the whole bar as its share and checks that the bar
  // only moved forward and ended at its maximum.
  void Install(const std::string& setupPath);
  void Remove(const TProductItem& item);

  std::string Reg(const std::string& id, const std::string& value) const;
  bool HasValue(const std::string& id, const std::string& value) const;
  std::string ProductFolder(const std::string& id) const { return state.PathInstall + "\\" + id; }
  std::string GroupFolder(const std::string& id) const { return state.PathGroup + "\\" + id; }

  // Everything the engine could have touched, as text: every entry below
  // the temporary folder (with the contents of files) and every key and
  // value of the sandboxed registry. Equal before and after means nothing
  // was written or deleted.
  std::string Snapshot() const;
  // The lines only one of two snapshots has, each marked "-" or "+"; "" when equal.
  static std::string SnapshotDiff(const std::string& before, const std::string& after);

  // Every entry below folder with the contents of its files, as text.
  static std::string FolderText(const std::string& folder);
  static bool Exists(const std::string& path);
  static std::string ReadAll(const std::string& path);
  static void WriteAll(const std::string& path, const std::string& data);

  RegistrySandbox sandbox;
  TempDir dir;
  TComInit com;
  RecordingBar bar;
  TSetupState state;
  TInstaller installer{state, bar};
};

}  // namespace ky_test
