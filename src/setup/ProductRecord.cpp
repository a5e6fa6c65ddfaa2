#include "setup/ProductRecord.h"

#include <cctype>

#include "packages/MessageService.h"
#include "platform/base/Exception.h"
#include "platform/base/FileNames.h"
#include "platform/base/SysUtils.h"
#include "platform/os/FileOps.h"
#include "platform/os/SystemFolders.h"
#include "setup/InstallerMessages.h"
#include "setup/SetupFile.h"

namespace {

std::string Fault(const std::string& value, const std::string& data) { return "\"" + value + "\" = \"" + data + "\""; }

// A value's text; one that is not a text value is a fault of its own.
std::string ReadChecked(const TRegistry& reg, const std::string& key, const std::string& value,
                        std::vector<std::string>& faults) {
  try {
    return reg.ReadString(key, value, "");
  } catch (const Exception&) {
    faults.push_back("\"" + value + "\"");
    return "";
  }
}

// The name of a stored setup file: the one this installer writes, or a plain
// file name an older version wrote. Never a path, never the installer's name.
bool IsStoredCopyName(const std::string& id, const std::string& name, bool update) {
  if (SameText(name, StoredSetupName(id, update))) return true;
  return IsPlainName(name) && !SameText(name, kInstallerName) && !SameText(name, "KySetup.exe");
}

void CheckVersions(const TRegistry& reg, const std::string& key, const char* suffix, std::vector<std::string>& faults) {
  for (const char* v : {"Ver1", "Ver2", "Ver3"}) {
    const std::string name = std::string(v) + suffix;
    const std::string text = ReadChecked(reg, key, name, faults);
    int32_t n = 0;
    if (reg.ValueExists(key, name) && (!TryStrToInt(text, n) || n < 0)) faults.push_back(Fault(name, text));
  }
}

std::string FolderKey(const std::string& folder) { return UpperCase(IncludeTrailingBackslash(folder)); }

}  // namespace

std::string ProductKey(const std::string& identifier) { return std::string(kMakerKey) + "\\" + identifier; }

TVersion InstalledVersion(const TRegistry& registry, const std::string& identifier, bool update) {
  std::string key = ProductKey(identifier);
  const char* suffix = update ? "Upd" : "";
  return {registry.ReadInteger(key, std::string("Ver1") + suffix, 0),
          registry.ReadInteger(key, std::string("Ver2") + suffix, 0),
          registry.ReadInteger(key, std::string("Ver3") + suffix, 0)};
}

bool IsDriveFolderPath(const std::string& path) {
  if (path.size() < 4 || path.size() > 247 || !std::isalpha(static_cast<unsigned char>(path[0])) || path[1] != ':' ||
      (path[2] != '\\' && path[2] != '/'))
    return false;
  std::string rest = path.substr(3);
  if (!rest.empty() && (rest.back() == '\\' || rest.back() == '/')) rest.pop_back();
  return IsSafeRelativeName(rest);
}

bool IsSoundMakerFolder(const std::string& path) {
  return IsDriveFolderPath(path) && IsLocalDrivePath(path) && FolderKey(path) != FolderKey(GetSystemFolder(sfWindows)) &&
         FolderKey(path) != FolderKey(GetSystemFolder(sfSystem));
}

std::vector<std::string> MakerFaults(const TSetupState& state) {
  std::vector<std::string> faults;
  if (!IsSoundMakerFolder(state.PathInstall)) faults.push_back(Fault("PathInstall", state.PathInstall));
  if (!IsSoundMakerFolder(state.PathGroup)) faults.push_back(Fault("PathGroup", state.PathGroup));
  return faults;
}

TRecordEntry ReadRecordEntry(const TRegistry& reg, const std::string& id) {
  TRecordEntry e;
  e.Id = id;
  const std::string key = ProductKey(id);
  // The key name becomes a folder name; the installer's own key is no product.
  e.IdSound = CheckIdentifier(id, kKindData, "") == idfNone;
  if (!e.IdSound) {
    e.Faults.push_back("\"" + id + "\"");
    e.UpdateFaults.push_back("\"" + id + "\"");
  }
  const std::string file = ReadChecked(reg, key, "FileSetup", e.Faults);
  if (IsStoredCopyName(id, file, false)) e.FileSetup = file;
  else e.Faults.push_back(Fault("FileSetup", file));
  CheckVersions(reg, key, "", e.Faults);

  std::vector<std::string> ignored;  // an unreadable description only shows as the key name
  const bool hasUpdate =
      reg.ValueExists(key, "FileSetupUpd") || !ReadChecked(reg, key, "DescriptionUpd", ignored).empty();
  if (hasUpdate) {
    const std::string upd = ReadChecked(reg, key, "FileSetupUpd", e.UpdateFaults);
    if (IsStoredCopyName(id, upd, true) && !SameText(upd, e.FileSetup)) e.FileSetupUpd = upd;
    else e.UpdateFaults.push_back(Fault("FileSetupUpd", upd));
    CheckVersions(reg, key, "Upd", e.UpdateFaults);
  }
  return e;
}

std::string FaultText(const std::vector<std::string>& faults) {
  std::string out;
  for (const std::string& f : faults) out += (out.empty() ? "" : ", ") + f;
  return out;
}

void FillProducts(TSetupState& state) {
  state.Products.Clear();
  // Asked once, and only when there is a product: the drive's type is a slow question.
  int makerSound = -1;
  auto sound = [&] {
    if (makerSound < 0) makerSound = MakerFaults(state).empty();
    return makerSound == 1;
  };
  auto marked = [&](const std::string& text, bool damaged) {
    return damaged ? Format(MessageText(kIdioma, msgDamagedRecordItem), {text}) : text;
  };
  for (const std::string& id : state.Registry.GetKeyNames(kMakerKey)) {
    std::string key = ProductKey(id);
    if (SameText(id, kInstallerName)) {
      state.Products.Add({id, state.Registry.ReadString(key, "Description", id), 0});
      continue;
    }
    const TRecordEntry entry = ReadRecordEntry(state.Registry, id);
    std::vector<std::string> ignored;
    const std::string description = ReadChecked(state.Registry, key, "Description", ignored);
    state.Products.Add({id, marked(description.empty() ? id : description, !sound() || entry.Damaged(false)), 0});
    std::string update = ReadChecked(state.Registry, key, "DescriptionUpd", ignored);
    if (!update.empty()) state.Products.Add({id, marked(update, !sound() || entry.Damaged(true)), 1});
  }
}
