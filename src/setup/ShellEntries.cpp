#include "setup/ShellEntries.h"

#include "setup/SetupFile.h"

std::string SetupFileExtKey() { return std::string(kClassesKey) + "\\" + kSetupFileExt; }
std::string SetupFileProgIdKey() { return std::string(kClassesKey) + "\\" + kSetupFileProgId; }

std::string InstallerUninstallKey() { return std::string(kUninstallKey) + "\\" + kInstallerName; }

std::string ProductUninstallKey(const std::string& identifier) {
  // The identifier is read from files and the record: a key name only when
  // it is a plain name of a product.
  if (CheckIdentifier(identifier, kKindData, "") != idfNone) return "";
  return std::string(kUninstallKey) + "\\" + kProductEntryPrefix + identifier;
}

std::string VersionText(const TVersion& v) {
  return std::to_string(v.Major) + "." + std::to_string(v.Minor) + "." + std::to_string(v.Release);
}

std::string CommandLine(const std::string& program, const std::string& arguments) {
  std::string line = "\"" + program + "\"";
  if (!arguments.empty()) line += " " + arguments;
  return line;
}
