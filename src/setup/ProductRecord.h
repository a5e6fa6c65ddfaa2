// The installed-products record below HKEY_CURRENT_USER "SoftWare\Tessaro":
// the maker's values, one sub-key per product and one for the installer.
// Everything read back from it is data: checked before it names a file.
#pragma once

#include <string>
#include <vector>

#include "setup/ProductInfo.h"
#include "setup/SetupState.h"

inline constexpr const char* kMakerKey = "SoftWare\\Tessaro";

// "SoftWare\Tessaro\<identifier>".
std::string ProductKey(const std::string& identifier);

// Installed version of a product sub-key ("Ver1".."Ver3", or the "Upd"
// values for its update); missing values read 0.
TVersion InstalledVersion(const TRegistry& registry, const std::string& identifier, bool update);

// An absolute folder on a drive letter ("C:\Program Files\Tessaro"), every
// part a plain name; no share, no "..", no drive root.
bool IsDriveFolderPath(const std::string& path);

// A folder the maker's values may name: an absolute folder of a local
// drive, neither the Windows nor the system folder.
bool IsSoundMakerFolder(const std::string& path);

// What is wrong with the maker's "PathInstall" and "PathGroup" as the
// state holds them: each damaged value as `"Name" = "text"`; empty when both
// are absolute folders of a local drive, neither the Windows nor the
// system folder.
std::vector<std::string> MakerFaults(const TSetupState& state);

// One product sub-key, checked. A stored-copy name is kept only when it is
// the name this installer writes, or a plain file name of an older record.
struct TRecordEntry {
  std::string Id;
  bool IdSound = false;             // the key name can name a folder
  std::string FileSetup;            // "" when missing or damaged
  std::string FileSetupUpd;
  std::vector<std::string> Faults;        // of the base values
  std::vector<std::string> UpdateFaults;  // of the update values
  bool Damaged(bool update) const { return !(update ? UpdateFaults : Faults).empty(); }
};
TRecordEntry ReadRecordEntry(const TRegistry& registry, const std::string& id);

// The faults joined for a message: `"FileSetup" = "..\x", "Ver1" = "a"`.
std::string FaultText(const std::vector<std::string>& faults);

// Fills the products list from the record: per product sub-key in
// enumeration order a base item, and an update item when "DescriptionUpd"
// is not empty. Items of a damaged record carry a mark in their text.
void FillProducts(TSetupState& state);
