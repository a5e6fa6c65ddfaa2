// Where Windows users meet the installer: the ".stp" file type and the
// "Programs and Features" entries of the installer and of each product,
// all below HKEY_CURRENT_USER. Only names and texts here; the engine writes
// them through its run's journal.
#pragma once

#include <string>

#include "setup/ProductInfo.h"

inline constexpr const char* kClassesKey = "Software\\Classes";
inline constexpr const char* kSetupFileExt = ".stp";
inline constexpr const char* kSetupFileProgId = "Tessaro.SetupFile";
inline constexpr const char* kSetupFileTypeText = "KySetup setup file";
inline constexpr const char* kUninstallKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
inline constexpr const char* kPublisher = "Tessaro";
// The prefix of the products' entries, so that only ours are ever touched.
inline constexpr const char* kProductEntryPrefix = "KySetup.";

// "Software\Classes\.stp" and "Software\Classes\Tessaro.SetupFile".
std::string SetupFileExtKey();
std::string SetupFileProgIdKey();
// The installer's own entry, and a product's ("KySetup.<identifier>"); ""
// for an identifier that may not name a key.
std::string InstallerUninstallKey();
std::string ProductUninstallKey(const std::string& identifier);
// "2.5.15".
std::string VersionText(const TVersion& v);
// The program quoted, then the arguments: "\"C:\...\KySetup.exe\" /erase Id".
std::string CommandLine(const std::string& program, const std::string& arguments);
