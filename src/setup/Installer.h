// The installation engine: installs, updates and removes products and the
// installer itself, without any user interface. The wizard and the command
// line drive the same engine over a state and a progress sink.
#pragma once

#include <string>

#include "setup/ProgressScales.h"
#include "setup/SetupFile.h"
#include "setup/SetupState.h"

// What the checks before an installation found out about a setup file.
struct TProductCheck {
  TSetupProduct Product;        // header and description, picture included
  bool SameVersionInstalled = false;  // the installed version equals the file's
};

class TInstaller {
public:
  TInstaller(TSetupState& state, TProgressSink& sink) : state_(state), scales_(sink) {}

  // The checks of the Add command: header and required version, a known
  // kind, the environment the kind needs, and for an update the installed
  // base and its version. Raises the "Idioma" message of the first failure.
  TProductCheck CheckProduct(const std::string& setupPath);

  // setupPath: a setup file, or "KySetup" for the installer itself. share:
  // the units of the current progress range this call consumes.
  void InstallProduct(const std::string& setupPath, int share);
  // setupPath: a stored setup file in PathInstall, or one named "KySetup"
  // for the installer itself.
  void RemoveProduct(const std::string& setupPath, int share, bool reinstallBase, bool deleteSetupFile);

  // The stored setup file behind an item of the products list.
  std::string StoredSetupFile(const TProductItem& item) const;

  TProgressScales& Scales() { return scales_; }

private:
  void InstallInstaller();
  void InstallFromFile(const std::string& setupPath);
  void RemoveInstaller();
  void RemoveFromFile(const std::string& setupPath, bool reinstallBase, bool deleteSetupFile);
  void ExtractPayloadFile(TSetupFileReader& reader, const TSetupEntry& entry, const std::string& destination);
  void RefreshGroup();

  TSetupState& state_;
  TProgressScales scales_;
};

// The maker's addresses behind the program group's internet shortcuts.
inline constexpr const char* kMakerWebHost = "www.tessaro.com";
inline constexpr const char* kMakerMailInfo = "info@tessaro.com";
inline constexpr const char* kMakerMailSupport = "support@tessaro.com";
inline constexpr const char* kMakerMailSales = "sales@tessaro.com";

// What every session of the engine starts from: the system folder, the
// detected environments and, when the installer is installed, its folders,
// language and the products list from the record.
void LoadRecordState(TSetupState& state);

// True when the record holds the installer ("SoftWare\Tessaro\KySetup").
bool InstallerInstalled(const TSetupState& state);
