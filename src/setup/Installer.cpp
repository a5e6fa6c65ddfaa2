#include "setup/Installer.h"

#include <cstdio>

#include "packages/MessageService.h"
#include "platform/base/Exception.h"
#include "platform/base/FileNames.h"
#include "platform/os/FileOps.h"
#include "platform/os/HelpContents.h"
#include "platform/os/Shortcuts.h"
#include "platform/os/SystemFolders.h"
#include "platform/base/SysUtils.h"
#include "setup/Environments.h"
#include "setup/InstallerMessages.h"
#include "setup/ProductRecord.h"

namespace {

// ---- file categories, decided on the upper-cased, trimmed relative name ----

bool Contains(const std::string& text, const char* part) { return text.find(part) != std::string::npos; }

bool IsLibraryProjectFile(const std::string& u) { return Contains(u, "KYLIBRARY_"); }
bool IsHeaderFile(const std::string& u) { return Contains(u, ".HPP"); }

bool IsLibraryFile(const std::string& u) {
  for (const char* ext : {".DPK", ".RES", ".DCR", ".PAS", ".DCU", ".DCP", ".DFM", ".BPK", ".CPP", ".HPP", ".OBJ",
                          ".LIB", ".BPI"})
    if (Contains(u, ext)) return true;
  return false;
}

bool IsPackage(const std::string& u) { return Contains(u, ".DPL") || Contains(u, ".BPL"); }
bool IsDesignPackage(const std::string& u) { return IsPackage(u) && u.compare(0, 3, "DCL") == 0; }
bool IsRuntimePackage(const std::string& u) { return IsPackage(u) && u.compare(0, 3, "DCL") != 0; }
bool IsHelpFile(const std::string& u) { return Contains(u, ".HLP"); }

std::string Category(const std::string& name) { return UpperCase(Trim(name)); }

// Shortcut extensions upper-cased, each with its leading dot.
std::vector<std::string> ShortcutExtensions(const std::string& commaText) {
  std::vector<std::string> exts;
  for (const std::string& e : SplitCommaText(commaText))
    if (!e.empty()) exts.push_back("." + UpperCase(e));
  return exts;
}

bool WantsShortcut(const std::string& u, const std::vector<std::string>& exts) {
  for (const std::string& e : exts)
    if (Contains(u, e.c_str())) return true;
  return false;
}

// The name with its extension replaced (or added when it has none).
std::string ChangeFileExt(const std::string& name, const std::string& ext) {
  size_t p = name.find_last_of("\\:.");
  if (p == std::string::npos || name[p] != '.') return name + ext;
  return name.substr(0, p) + ext;
}

void RemoveFile(const std::string& fileName) { std::remove(fileName.c_str()); }

std::string Below(const std::string& folder, const std::string& name) {
  return IncludeTrailingBackslash(folder) + name;
}

void SaveLines(const std::vector<std::string>& lines, const std::string& fileName) {
  TFileStream f(fileName, fmCreate);
  for (const std::string& line : lines) {
    f.WriteBuffer(line.data(), static_cast<int32_t>(line.size()));
    f.WriteBuffer("\r\n", 2);
  }
}

void WriteVersion(TRegistry& reg, const std::string& key, const char* suffix, const TVersion& v) {
  reg.WriteInteger(key, std::string("Ver1") + suffix, v.Major);
  reg.WriteInteger(key, std::string("Ver2") + suffix, v.Minor);
  reg.WriteInteger(key, std::string("Ver3") + suffix, v.Release);
}

// Same file by name, without regard to case; the stored copy of a setup
// file must not be copied onto itself.
bool SameFileName(const std::string& a, const std::string& b) {
  return SameText(ExcludeTrailingBackslash(a), ExcludeTrailingBackslash(b));
}

}  // namespace

// ---- checks before an installation ----

TProductCheck TInstaller::CheckProduct(const std::string& setupPath) {
  TProductCheck check;
  {
    TSetupFileReader reader(setupPath);
    check.Product = reader.ReadDescription();
  }
  const TSetupProduct& p = check.Product;
  int env = KindEnvironment(p.Kind);
  if (env >= 0 && !state_.EnvironmentEnabled[env]) RaiseMessage("", kIdioma, Environment(env).MissingMessage);
  std::string id = p.Identifier();
  if (p.Update) {
    if (!state_.Registry.KeyExists(ProductKey(id))) RaiseMessage("", kIdioma, msgBaseMissing);
    if (CompareVersions(InstalledVersion(state_.Registry, id, false), p.BaseVersion) != 0)
      RaiseMessageFmt("", kIdioma, msgBaseVersionDiffers,
                      {int64_t{p.BaseVersion.Major}, int64_t{p.BaseVersion.Minor}, int64_t{p.BaseVersion.Release}});
  }
  check.SameVersionInstalled = InstalledVersion(state_.Registry, id, p.Update) == p.Version;
  return check;
}

std::string TInstaller::StoredSetupFile(const TProductItem& item) const {
  std::string name = state_.Registry.ReadString(ProductKey(item.Value), item.Data == 1 ? "FileSetupUpd" : "FileSetup", "");
  return name.empty() ? std::string() : Below(state_.PathInstall, name);
}

// ---- installation ----

void TInstaller::InstallProduct(const std::string& setupPath, int share) {
  scales_.Sink().SetLabel("");
  {
    TScaleGuard whole(scales_, share, 100);
    if (SameText(setupPath, kInstallerName)) InstallInstaller();
    else InstallFromFile(setupPath);
  }
  RefreshGroup();
  scales_.Sink().SetLabel("");
}

void TInstaller::InstallInstaller() {
  TScaleGuard scale(scales_, 100, 4);
  const std::string folder = Below(state_.PathInstall, "KySetup\\");
  const std::string group = IncludeTrailingBackslash(state_.PathGroup);

  DeleteTree(folder, true);
  DeleteFilesInFolder(group, "*.*");
  scales_.Step();

  ForceDirectories(folder);
  CopyFileReplace(state_.ProgramFile, folder + "KySetup.exe");
  SaveLines(state_.LicenseLines, folder + "License.txt");
  scales_.Step();

  ForceDirectories(group);
  CreateShellLink(group + "KySetup.lnk", folder + "KySetup.exe", folder);
  CreateShellLink(group + "License.lnk", folder + "License.txt", folder);
  WriteInternetShortcut(group + "Web " + kMakerWebHost + ".url", std::string("http://") + kMakerWebHost + "/");
  for (const char* mail : {kMakerMailInfo, kMakerMailSupport, kMakerMailSales})
    WriteInternetShortcut(group + "Mail " + mail + ".url", std::string("mailto:") + mail);
  scales_.Step();

  TRegistry& reg = state_.Registry;
  if (state_.WizardMode == 0) {
    reg.WriteInteger(kMakerKey, "Language", state_.Language);
    reg.WriteString(kMakerKey, "PathGroup", state_.PathGroup);
    reg.WriteString(kMakerKey, "PathInstall", state_.PathInstall);
  }
  const std::string key = ProductKey(kInstallerName);
  const std::string description = ProductText(kInstallerName, "", 0, false, kInstallerVersion);
  WriteVersion(reg, key, "", kInstallerVersion);
  reg.WriteString(key, "FileSetup", kInstallerName);
  reg.WriteString(key, "Description", description);
  scales_.Step();

  state_.Products.Remove(kInstallerName, 0);
  state_.Products.Add({kInstallerName, description, 0});
}

void TInstaller::ExtractPayloadFile(TSetupFileReader& reader, const TSetupEntry& entry,
                                    const std::string& destination) {
  scales_.Sink().SetLabel(ExtractFileName(destination));
  TFileStream out(destination, fmCreate);
  reader.CopyContent(entry, out);
}

void TInstaller::InstallFromFile(const std::string& setupPath) {
  TSetupFileReader reader(setupPath);
  const TSetupProduct p = reader.ReadDescription(false, false);
  const int32_t fileCount = reader.ReadFileCount();
  const std::string id = p.Identifier();
  const std::string productFolder = Below(state_.PathInstall, id + "\\");
  const std::string groupFolder = Below(state_.PathGroup, id + "\\");
  const std::string key = ProductKey(id);
  const std::vector<std::string> shortcuts = ShortcutExtensions(p.Shortcuts);
  TRegistry& reg = state_.Registry;

  // Replace an earlier installation of this product or of another qualifier of it.
  {
    TScaleGuard scale(scales_, 18, 100);
    if (p.Update) {
      std::string old = reg.ReadString(key, "FileSetupUpd", "");
      if (!old.empty()) RemoveProduct(Below(state_.PathInstall, old), 100, true, true);
    } else {
      std::string old = reg.ReadString(key, "FileSetup", "");
      if (!old.empty()) RemoveProduct(Below(state_.PathInstall, old), 50, true, true);
      if (p.Kind != kKindData) {
        std::string family = UpperCase(p.Name + "_" + KindTag(p.Kind));
        for (const TProductItem& item : state_.Products.Items()) {
          if (UpperCase(item.Value).find(family) == std::string::npos) continue;
          std::string other = reg.ReadString(ProductKey(item.Value), "FileSetup", "");
          if (!other.empty()) RemoveProduct(Below(state_.PathInstall, other), 50, true, true);
          break;
        }
      }
    }
  }

  // A file of the product folder, with its shortcut in the product group when wanted.
  auto placeInProductFolder = [&](const TSetupEntry& e) {
    std::string dest = productFolder + e.Name;
    ForceDirectories(ExtractFilePath(dest));
    ExtractPayloadFile(reader, e, dest);
    if (WantsShortcut(Category(e.Name), shortcuts)) {
      ForceDirectories(groupFolder + ExtractFilePath(e.Name));
      CreateShellLink(groupFolder + ChangeFileExt(e.Name, ".lnk"), dest, ExtractFilePath(dest));
    }
  };

  std::vector<int> helpEnvironments;
  if (p.Kind == kKindData) {
    TScaleGuard scale(scales_, 80, fileCount);
    for (int32_t i = 0; i < fileCount; ++i) {
      placeInProductFolder(reader.ReadEntry());
      scales_.Step();
    }
  } else if (IsLibraryKind(p.Kind)) {
    const int env = KindEnvironment(p.Kind);
    const std::string root = EnvironmentRoot(state_, env);
    TScaleGuard scale(scales_, 75, fileCount);
    for (int32_t i = 0; i < fileCount; ++i) {
      TSetupEntry e = reader.ReadEntry();
      std::string u = Category(e.Name);
      if (IsLibraryProjectFile(u)) {
        std::string dest = productFolder + e.Name;
        ForceDirectories(ExtractFilePath(dest));
        ExtractPayloadFile(reader, e, dest);
      } else if (IsHeaderFile(u)) {
        ExtractPayloadFile(reader, e, root + "Include\\" + e.Name);
      } else if (IsLibraryFile(u)) {
        ExtractPayloadFile(reader, e, root + "Lib\\" + e.Name);
      } else if (IsDesignPackage(u)) {
        std::string dest = root + "Bin\\" + e.Name;
        ExtractPayloadFile(reader, e, dest);
        RegisterPackage(state_, env, dest, p.Name, p.Qualifier, p.Version.Major, p.Version.Minor, p.Version.Release);
      } else if (IsRuntimePackage(u)) {
        ExtractPayloadFile(reader, e, Below(state_.SystemDir, e.Name));
      } else {
        placeInProductFolder(e);
      }
      scales_.Step();
    }
  } else {
    // Help: the ticked environments for kind 3, else the kind's own one.
    if (p.Kind == kKindHelpLib) {
      for (int i = 0; i < kEnvironmentCount; ++i)
        if (state_.EnvironmentTicked[i]) helpEnvironments.push_back(i);
    } else {
      state_.EnvironmentTicked.fill(false);
      helpEnvironments.push_back(KindEnvironment(p.Kind));
    }
    TScaleGuard scale(scales_, 75, fileCount * static_cast<int>(helpEnvironments.size()));
    for (int env : helpEnvironments) {
      reader.RewindFiles();
      const std::string root = EnvironmentRoot(state_, env);
      const std::string contents = root + Environment(env).HelpContents;
      for (int32_t i = 0; i < fileCount; ++i) {
        TSetupEntry e = reader.ReadEntry();
        std::string dest = root + "Help\\" + e.Name;
        ExtractPayloadFile(reader, e, dest);
        if (IsHelpFile(Category(e.Name))) {
          AddHelpIndex(contents, "Help " + p.Name + " (" + e.Name + ")", e.Name);
          ForceDirectories(groupFolder + ExtractFilePath(e.Name));
          CreateShellLink(groupFolder + ChangeFileExt(e.Name, ".lnk"), dest, ExtractFilePath(dest));
        } else {
          AddHelpInclude(contents, e.Name);
        }
        scales_.Step();
      }
    }
    // With no environment the entries were never read; the obsolete list follows them.
    if (helpEnvironments.empty())
      for (int32_t i = 0; i < fileCount; ++i) reader.SkipContent(reader.ReadEntry());
  }

  for (const std::string& name : reader.ReadObsolete()) {
    RemoveFile(productFolder + name);
    RemoveEmptyFolder(ExtractFilePath(productFolder + name));
    if (WantsShortcut(Category(name), shortcuts)) {
      std::string link = groupFolder + ChangeFileExt(name, ".lnk");
      RemoveFile(link);
      RemoveEmptyFolder(ExtractFilePath(link));
    }
  }

  const std::string setupName = ExtractFileName(setupPath);
  const std::string description = p.Text();
  if (p.Update) {
    reg.WriteString(key, "FileSetupUpd", setupName);
    WriteVersion(reg, key, "Upd", p.Version);
    reg.WriteString(key, "DescriptionUpd", description);
  } else {
    reg.WriteString(key, "FileSetup", setupName);
    WriteVersion(reg, key, "", p.Version);
    reg.WriteString(key, "Description", description);
    if (p.Kind == kKindHelpLib) {
      std::vector<std::string> tags;
      for (int env : helpEnvironments) tags.push_back(Environment(env).Tag);
      reg.WriteString(key, "InstallLangs", JoinCommaText(tags));
    }
  }
  state_.Products.Remove(id, p.Update ? 1 : 0);
  state_.Products.Add({id, description, p.Update ? 1 : 0});
  scales_.Step();

  reader.Close();
  ForceDirectories(state_.PathInstall);
  const std::string stored = Below(state_.PathInstall, setupName);
  if (!SameFileName(stored, setupPath)) CopyFileReplace(setupPath, stored);
  scales_.Step();
}

// ---- removal ----

void TInstaller::RemoveProduct(const std::string& setupPath, int share, bool reinstallBase, bool deleteSetupFile) {
  scales_.Sink().SetLabel("");
  {
    TScaleGuard whole(scales_, share, 100);
    if (SameText(ExtractFileName(setupPath), kInstallerName)) RemoveInstaller();
    else RemoveFromFile(setupPath, reinstallBase, deleteSetupFile);
  }
  if (DirectoryExists(state_.PathGroup)) RefreshGroup();
  scales_.Sink().SetLabel("");
}

void TInstaller::RemoveInstaller() {
  TScaleGuard scale(scales_, 100, 4);
  state_.Registry.EraseSection(kMakerKey);
  scales_.Step();
  state_.Products.Remove(kInstallerName);
  scales_.Step();
  scales_.Step();
  DeleteTree(state_.PathGroup, true);
  scales_.Step();
}

void TInstaller::RemoveFromFile(const std::string& setupPath, bool reinstallBase, bool deleteSetupFile) {
  TSetupFileReader reader(setupPath);
  const TSetupProduct p = reader.ReadDescription(false, false);
  const int32_t fileCount = reader.ReadFileCount();
  const std::string id = p.Identifier();
  const std::string productFolder = Below(state_.PathInstall, id);
  const std::string groupFolder = Below(state_.PathGroup, id);
  const std::string key = ProductKey(id);
  TRegistry& reg = state_.Registry;
  const std::string langs = reg.ReadString(key, "InstallLangs", "");
  const std::string stored = reg.ReadString(key, p.Update ? "FileSetupUpd" : "FileSetup", "");

  {
    TScaleGuard scale(scales_, 28, 100);
    if (!p.Update) {
      std::string update = reg.ReadString(key, "FileSetupUpd", "");
      if (!update.empty()) RemoveProduct(Below(state_.PathInstall, update), 100, false, true);
    }
  }

  if (p.Update) {
    for (const char* value : {"DescriptionUpd", "FileSetupUpd", "Ver1Upd", "Ver2Upd", "Ver3Upd", "InstallLangs"})
      reg.DeleteValue(key, value);
    state_.Products.Remove(id, 1);
  } else {
    reg.EraseSection(key);
    // The whole sub-key is gone, so no item of it may stay.
    while (state_.Products.Remove(id)) {
    }
  }
  scales_.Step();

  if (p.Kind == kKindData) {
    TScaleGuard scale(scales_, 40, 2);
    DeleteTree(productFolder, true);
    scales_.Step();
    DeleteTree(groupFolder, true);
    scales_.Step();
  } else if (IsLibraryKind(p.Kind)) {
    const int env = KindEnvironment(p.Kind);
    const std::string root = EnvironmentRoot(state_, env);
    TScaleGuard scale(scales_, 40, fileCount + 2);
    for (int32_t i = 0; i < fileCount; ++i) {
      TSetupEntry e = reader.ReadEntry();
      reader.SkipContent(e);
      std::string u = Category(e.Name);
      if (IsHeaderFile(u)) {
        RemoveFile(root + "Include\\" + e.Name);
      } else if (IsLibraryFile(u)) {
        RemoveFile(root + "Lib\\" + e.Name);
      } else if (IsDesignPackage(u)) {
        RemoveFile(root + "Bin\\" + e.Name);
        UnregisterPackage(state_, env, root + "Bin\\" + e.Name, e.Name);
      } else if (IsRuntimePackage(u)) {
        RemoveFile(Below(state_.SystemDir, e.Name));
      }
      scales_.Step();
    }
    DeleteTree(productFolder, true);
    scales_.Step();
    DeleteTree(groupFolder, true);
    scales_.Step();
  } else {
    std::vector<int> environments;
    if (p.Kind == kKindHelpLib) {
      for (const std::string& tag : SplitCommaText(langs)) {
        int env = EnvironmentIndex(tag);
        if (env >= 0) environments.push_back(env);
      }
    } else {
      environments.push_back(KindEnvironment(p.Kind));
    }
    std::vector<std::string> names;
    for (int32_t i = 0; i < fileCount; ++i) {
      TSetupEntry e = reader.ReadEntry();
      reader.SkipContent(e);
      names.push_back(e.Name);
    }
    TScaleGuard scale(scales_, 40, static_cast<int>(environments.size() * names.size()));
    for (int env : environments) {
      const std::string root = EnvironmentRoot(state_, env);
      const std::string contents = root + Environment(env).HelpContents;
      for (const std::string& name : names) {
        RemoveFile(root + "Help\\" + name);
        if (IsHelpFile(Category(name))) RemoveHelpIndex(contents, name);
        else RemoveHelpInclude(contents, name);
        RemoveFile(Below(groupFolder, ChangeFileExt(name, ".lnk")));
        RemoveEmptyFolder(groupFolder);
        scales_.Step();
      }
    }
  }
  reader.Close();

  if (deleteSetupFile && !stored.empty()) RemoveFile(Below(state_.PathInstall, stored));
  scales_.Step();

  TScaleGuard scale(scales_, 30, 100);
  if (reinstallBase && p.Update) {
    std::string base = reg.ReadString(key, "FileSetup", "");
    if (!base.empty()) {
      // The update's removal took the base's environment list with it; the
      // base goes back where it was.
      if (p.Kind == kKindHelpLib) {
        state_.EnvironmentTicked.fill(false);
        for (const std::string& tag : SplitCommaText(langs))
          if (int env = EnvironmentIndex(tag); env >= 0) state_.EnvironmentTicked[env] = true;
      }
      RemoveProduct(Below(state_.PathInstall, base), 100, true, false);
      InstallProduct(Below(state_.PathInstall, base), 100);
    }
  }
}

void TInstaller::RefreshGroup() {
  // A link saved and deleted at once makes the shell re-read the group.
  std::string link = Below(state_.PathGroup, "--.lnk");
  CreateShellLink(link, "", "");
  RemoveFile(link);
}

// ---- session start ----

bool InstallerInstalled(const TSetupState& state) {
  return state.Registry.KeyExists(ProductKey(kInstallerName));
}

void LoadRecordState(TSetupState& state) {
  state.SystemDir = GetSystemFolder(sfSystem);
  DetectEnvironments(state);
  state.Products.Clear();
  if (!InstallerInstalled(state)) return;
  state.Language = state.Registry.ReadInteger(kMakerKey, "Language", 0);
  state.PathInstall = state.Registry.ReadString(kMakerKey, "PathInstall", "");
  state.PathGroup = state.Registry.ReadString(kMakerKey, "PathGroup", "");
  FillProducts(state);
}
