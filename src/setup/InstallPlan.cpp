#include "setup/InstallPlan.h"

#include <cstdio>
#include <map>
#include <set>

#include "packages/MessageService.h"
#include "platform/base/FileNames.h"
#include "platform/base/SysUtils.h"
#include "platform/os/FileOps.h"
#include "setup/Environments.h"
#include "setup/InstallerMessages.h"
#include "setup/ProductRecord.h"

// ---- file categories ----

namespace {

bool Contains(const std::string& text, const char* part) { return text.find(part) != std::string::npos; }

// By the extension alone: "Evil.bpl.exe" is no package and stays out of the system folder.
bool IsPackage(const std::string& u) {
  std::string ext = ExtractFileExt(u);
  return ext == ".DPL" || ext == ".BPL";
}

std::string Below(const std::string& folder, const std::string& name) {
  return IncludeTrailingBackslash(folder) + name;
}

}  // namespace

std::string FileCategoryName(const std::string& name) { return UpperCase(Trim(name)); }
bool IsLibraryProjectFile(const std::string& u) { return Contains(u, "KYLIBRARY_"); }
bool IsHeaderFile(const std::string& u) { return Contains(u, ".HPP"); }

bool IsLibraryFile(const std::string& u) {
  for (const char* ext : {".DPK", ".RES", ".DCR", ".PAS", ".DCU", ".DCP", ".DFM", ".BPK", ".CPP", ".HPP", ".OBJ",
                          ".LIB", ".BPI"})
    if (Contains(u, ext)) return true;
  return false;
}

bool IsDesignPackage(const std::string& u) { return IsPackage(u) && u.compare(0, 3, "DCL") == 0; }
bool IsRuntimePackage(const std::string& u) { return IsPackage(u) && u.compare(0, 3, "DCL") != 0; }
bool IsHelpFile(const std::string& u) { return Contains(u, ".HLP"); }

std::vector<std::string> ShortcutExtensions(const std::string& commaText) {
  std::vector<std::string> exts;
  for (const std::string& e : SplitCommaText(commaText))
    if (!e.empty()) exts.push_back(std::string(".").append(UpperCase(e)));
  return exts;
}

bool WantsShortcut(const std::string& u, const std::vector<std::string>& exts) {
  for (const std::string& e : exts)
    if (Contains(u, e.c_str())) return true;
  return false;
}

std::string ChangeFileExt(const std::string& name, const std::string& ext) {
  size_t p = name.find_last_of("\\:.");
  if (p == std::string::npos || name[p] != '.') return name + ext;
  return name.substr(0, p) + ext;
}

std::vector<int> ProductEnvironments(int kind, const std::vector<int>& helpEnvironments) {
  if (kind == kKindData) return {};
  if (kind == kKindHelpLib) return helpEnvironments;
  return {KindEnvironment(kind)};
}

// ---- the plan ----

namespace {

// The longest path the system's file calls take (MAX_PATH without its
// terminating character), and the longest folder CreateDirectory takes.
constexpr size_t kMaxFilePath = 259;
constexpr size_t kMaxFolderPath = 247;

void RequireFits(const TInstallPlan& plan, const std::string& path, bool createsFolders) {
  const bool fits = path.size() <= kMaxFilePath &&
                    (!createsFolders || ExcludeTrailingBackslash(ExtractFilePath(path)).size() <= kMaxFolderPath);
  if (!fits) RaiseMessageFmt("", kIdioma, msgPathTooLong, {plan.SetupPath, path});
}

std::string VersionInParens(const TVersion& v) {
  return Format("(%d.%d.%d)", {int64_t{v.Major}, int64_t{v.Minor}, int64_t{v.Release}});
}

// Product, folders and target environments.
void PlanProduct(const TSetupState& state, TInstallPlan& plan, TSetupFileReader& reader) {
  plan.Product = reader.ReadDescription(false, false);
  const TSetupProduct& p = plan.Product;
  plan.FileCount = reader.ReadFileCount();
  plan.Id = p.Identifier();
  plan.ProductFolder = Below(state.PathInstall, plan.Id + "\\");
  plan.GroupFolder = Below(state.PathGroup, plan.Id + "\\");
  plan.Key = ProductKey(plan.Id);
  plan.StoredName = StoredSetupName(plan.Id, p.Update);
  plan.Stored = Below(state.PathInstall, plan.StoredName);
  std::vector<int> ticked;
  for (int i = 0; i < kEnvironmentCount; ++i)
    if (state.EnvironmentTicked[i]) ticked.push_back(i);
  plan.Environments = ProductEnvironments(p.Kind, ticked);
  for (int env : plan.Environments) {
    // Its user key is where packages are registered: never made here.
    if (state.EnvironmentNeverStarted[env])
      RaiseError("", Format(MessageText(kIdioma, msgIdeNeverStarted), {std::string(Environment(env).Caption)}));
    plan.Roots.push_back(EnvironmentRoot(state, env));
  }
  RequireFits(plan, plan.Stored, false);
  RequireFits(plan, plan.ProductFolder, true);
}

// Where one entry goes; k: the environment's place in the plan (-1 for none).
TPlannedFile Place(const TSetupState& state, const TInstallPlan& plan, const std::vector<std::string>& shortcuts,
                   const TSetupEntry& e, int32_t index, int k) {
  const TSetupProduct& p = plan.Product;
  const std::string u = FileCategoryName(e.Name);
  const std::string root = k >= 0 ? plan.Roots[static_cast<size_t>(k)] : std::string();
  const int env = k >= 0 ? plan.Environments[static_cast<size_t>(k)] : -1;
  TPlannedFile f;
  f.Entry = index, f.Name = e.Name, f.Size = e.Size;
  bool shortcut = false;
  auto inProductFolder = [&](bool wanted) {
    f.Path = plan.ProductFolder + e.Name;
    f.CreateFolders = true;
    shortcut = wanted && WantsShortcut(u, shortcuts);
  };
  auto inEnvironment = [&](const char* folder) {
    f.Path = root + folder + e.Name;
    f.Environment = env;
  };
  if (p.Kind == kKindData) inProductFolder(true);
  else if (!IsLibraryKind(p.Kind)) inEnvironment("Help\\"), shortcut = IsHelpFile(u);
  else if (IsLibraryProjectFile(u)) inProductFolder(false);
  else if (IsHeaderFile(u)) inEnvironment("Include\\");
  else if (IsLibraryFile(u)) inEnvironment("Lib\\");
  else if (IsDesignPackage(u)) inEnvironment("Bin\\"), f.DesignPackage = true;
  else if (IsRuntimePackage(u)) f.Path = Below(state.SystemDir, e.Name);
  else inProductFolder(true);
  if (p.Kind != kKindData && !IsLibraryKind(p.Kind)) {
    f.HelpContents = root + Environment(env).HelpContents;
    if (IsHelpFile(u)) f.HelpTitle = "Help " + p.Name + " (" + e.Name + ")";
  }
  if (f.DesignPackage) f.PackageText = "Library " + p.Name + " " + p.Qualifier + " " + VersionInParens(p.Version);
  if (shortcut) f.Link = plan.GroupFolder + ChangeFileExt(e.Name, ".lnk");
  f.Replaces = FileExists(f.Path);
  return f;
}

// Every entry: its name unique (also against the folders others need),
// each destination within the limits and in a folder that exists.
void PlanFiles(const TSetupState& state, TInstallPlan& plan, TSetupFileReader& reader) {
  std::vector<TSetupEntry> entries;
  std::map<std::string, std::string> names, folders;  // upper-cased, with their first spelling
  for (int32_t i = 0; i < plan.FileCount; ++i) {
    TSetupEntry e = reader.ReadEntry();
    reader.SkipContent(e);
    const std::string u = UpperCase(e.Name);
    if (!names.emplace(u, e.Name).second) RaiseMessageFmt("", kIdioma, msgDuplicateFileName, {plan.SetupPath, e.Name});
    for (size_t at = u.find_first_of("\\/"); at != std::string::npos; at = u.find_first_of("\\/", at + 1))
      folders.emplace(u.substr(0, at), e.Name.substr(0, at));
    entries.push_back(e);
  }
  for (const auto& [upper, spelling] : folders)
    if (names.count(upper)) RaiseMessageFmt("", kIdioma, msgDuplicateFileName, {plan.SetupPath, spelling});
  // A help product's entries once per environment, in table order.
  const bool help = plan.Product.Kind != kKindData && !IsLibraryKind(plan.Product.Kind);
  const int passes = help ? static_cast<int>(plan.Environments.size()) : 1;
  const std::vector<std::string> shortcuts = ShortcutExtensions(plan.Product.Shortcuts);
  std::set<std::string> checked;  // target folders known to exist
  for (int k = 0; k < passes; ++k) {
    for (int32_t i = 0; i < plan.FileCount; ++i) {
      TPlannedFile f = Place(state, plan, shortcuts, entries[static_cast<size_t>(i)], i, plan.Roots.empty() ? -1 : k);
      RequireFits(plan, f.Path, f.CreateFolders);
      // The environment's and the system's folders are written into, not made.
      const std::string folder = ExtractFilePath(f.Path);
      if (!f.CreateFolders && checked.insert(UpperCase(folder)).second && !DirectoryExists(folder))
        RaiseMessageFmt("", kIdioma, msgTargetFolderMissing, {plan.SetupPath, ExcludeTrailingBackslash(folder)});
      if (!f.Link.empty()) RequireFits(plan, f.Link, true);
      plan.Files.push_back(std::move(f));
    }
  }
}

void PlanObsolete(TInstallPlan& plan, TSetupFileReader& reader) {
  const std::vector<std::string> shortcuts = ShortcutExtensions(plan.Product.Shortcuts);
  for (const std::string& name : reader.ReadObsolete()) {
    TPlannedObsolete o{plan.ProductFolder + name, ""};
    RequireFits(plan, o.Path, false);
    if (WantsShortcut(FileCategoryName(name), shortcuts)) {
      o.Link = plan.GroupFolder + ChangeFileExt(name, ".lnk");
      RequireFits(plan, o.Link, false);
    }
    plan.Obsolete.push_back(o);
  }
}

// An earlier installation of this product, and another edition of it (the
// same name and kind, then "_" and its qualifier, or nothing).
void PlanRemovals(const TSetupState& state, TInstallPlan& plan) {
  const TSetupProduct& p = plan.Product;
  const TRecordEntry entry = ReadRecordEntry(state.Registry, plan.Id);
  if (p.Update) {
    if (!entry.FileSetupUpd.empty() || !entry.UpdateFaults.empty())
      plan.Removals.push_back({plan.Id, true, 100, false, entry.FileSetupUpd});
    return;
  }
  if (state.Registry.KeyExists(plan.Key)) plan.Removals.push_back({plan.Id, false, 50, true, entry.FileSetup});
  if (p.Kind == kKindData) return;
  const std::string family = p.Name + "_" + KindTag(p.Kind);
  for (const TProductItem& item : state.Products.Items()) {
    if (item.Data != 0 || SameText(item.Value, plan.Id)) continue;
    const bool sameFamily = SameText(item.Value.substr(0, family.size()), family) &&
                            (item.Value.size() == family.size() || item.Value[family.size()] == '_');
    if (!sameFamily) continue;
    if (state.Registry.KeyExists(ProductKey(item.Value))) plan.Removals.push_back({item.Value, false, 50, false, ""});
    break;
  }
}

void PlanRecord(TInstallPlan& plan) {
  const TSetupProduct& p = plan.Product;
  const char* suffix = p.Update ? "Upd" : "";
  auto value = [&](const std::string& name, const std::string& data) {
    plan.Record.push_back({plan.Key, name + suffix, data});
  };
  value("FileSetup", plan.StoredName);
  value("Ver1", std::to_string(p.Version.Major));
  value("Ver2", std::to_string(p.Version.Minor));
  value("Ver3", std::to_string(p.Version.Release));
  value("Description", p.Text());
  plan.ProductEntry = !p.Update;
  if (!p.Update && p.Kind == kKindHelpLib) {
    std::vector<std::string> tags;
    for (int env : plan.Environments) tags.push_back(Environment(env).Tag);
    plan.Record.push_back({plan.Key, "InstallLangs", JoinCommaText(tags)});
  }
}

}  // namespace

TInstallPlan PlanInstallation(const TSetupState& state, const std::string& setupPath) {
  if (std::vector<std::string> faults = MakerFaults(state); !faults.empty())
    RaiseMessageFmt("", kIdioma, msgMakerRecordDamaged, {FaultText(faults)});
  TInstallPlan plan;
  plan.SetupPath = setupPath;
  TSetupFileReader reader(setupPath);
  PlanProduct(state, plan, reader);
  PlanFiles(state, plan, reader);
  PlanObsolete(plan, reader);
  PlanRemovals(state, plan);
  PlanRecord(plan);
  return plan;
}

// ---- the plan shown ----

namespace {

std::string Tag(int env) { return env >= 0 ? Environment(env).Tag : ""; }

std::string HelpLine(const TPlannedFile& f) {
  return f.HelpTitle.empty() ? ":Include " + f.Name : ":Index " + f.HelpTitle + " =" + f.Name;
}

void Section(std::vector<std::string>& out, const std::string& heading, const std::vector<std::string>& lines) {
  if (lines.empty()) return;
  out.push_back(heading);
  for (const std::string& line : lines) out.push_back("  " + line);
}

std::string RemovalText(const TInstallPlan& plan, const TPlannedRemoval& r) {
  if (!SameText(r.Id, plan.Id)) return r.Id + " (another edition)";
  return r.Id + (r.Update ? " (its installed update)" : " (its earlier installation)");
}

}  // namespace

std::vector<std::string> PlanLines(const TInstallPlan& plan) {
  std::vector<std::string> out, removals, files, packages, help, links, obsolete, record;
  out.push_back("Install " + plan.Product.Text() + " (" + plan.Id + ")");
  for (const TPlannedRemoval& r : plan.Removals) removals.push_back(RemovalText(plan, r));
  for (const TPlannedFile& f : plan.Files) {
    files.push_back(std::string(f.Replaces ? "replace  " : "new      ") + f.Path);
    if (f.DesignPackage) packages.push_back(Tag(f.Environment) + " " + f.Path + " = " + f.PackageText);
    if (!f.HelpContents.empty()) help.push_back(f.HelpContents + ": " + HelpLine(f));
    if (!f.Link.empty()) links.push_back(f.Link + " -> " + f.Path);
  }
  for (const TPlannedObsolete& o : plan.Obsolete) {
    obsolete.push_back(o.Path);
    if (!o.Link.empty()) obsolete.push_back(o.Link);
  }
  for (const TPlannedValue& v : plan.Record) record.push_back(v.Name + " = " + v.Data);
  Section(out, "Removed first:", removals);
  Section(out, "Files (" + std::to_string(plan.Files.size()) + "):", files);
  Section(out, "Packages registered:", packages);
  Section(out, "Help entries:", help);
  Section(out, "Shortcuts:", links);
  Section(out, "Obsolete files deleted:", obsolete);
  out.push_back("Setup file kept as " + plan.Stored);
  Section(out, "Record HKEY_CURRENT_USER\\" + plan.Key + ":", record);
  if (plan.ProductEntry) out.push_back("Programs and Features entry: " + plan.Product.Text());
  return out;
}

namespace {

std::string Quote(const std::string& text) {
  std::string out = "\"";
  for (unsigned char c : text) {
    if (c == '"' || c == '\\') out += '\\', out += static_cast<char>(c);
    else if (c < 0x20) {
      char hex[8];
      std::snprintf(hex, sizeof(hex), "\\u%04x", c);
      out += hex;
    } else out += static_cast<char>(c);
  }
  return out + "\"";
}

std::string Bool(bool b) { return b ? "true" : "false"; }

std::string List(const std::vector<std::string>& items, const char* indent) {
  if (items.empty()) return "[]";
  std::string out = "[";
  for (size_t i = 0; i < items.size(); ++i) out += (i ? ",\n" : "\n") + std::string(indent) + "  " + items[i];
  return out + "\n" + indent + "]";
}

std::string FileJson(const TPlannedFile& f) {
  std::string s = "{\"name\": " + Quote(f.Name) + ", \"size\": " + std::to_string(f.Size) +
                  ", \"path\": " + Quote(f.Path) + ", \"replaces\": " + Bool(f.Replaces) +
                  ", \"environment\": " + Quote(Tag(f.Environment));
  if (f.DesignPackage) s += ", \"package\": " + Quote(f.PackageText);
  if (!f.HelpContents.empty()) s += ", \"helpContents\": " + Quote(f.HelpContents) + ", \"helpLine\": " + Quote(HelpLine(f));
  if (!f.Link.empty()) s += ", \"shortcut\": " + Quote(f.Link);
  return s + "}";
}

}  // namespace

std::string PlanJson(const TInstallPlan& plan) {
  const TSetupProduct& p = plan.Product;
  std::vector<std::string> envs, removals, files, obsolete, record;
  for (int env : plan.Environments) envs.push_back(Quote(Tag(env)));
  for (const TPlannedRemoval& r : plan.Removals)
    removals.push_back("{\"identifier\": " + Quote(r.Id) + ", \"update\": " + Bool(r.Update) + "}");
  for (const TPlannedFile& f : plan.Files) files.push_back(FileJson(f));
  for (const TPlannedObsolete& o : plan.Obsolete)
    obsolete.push_back("{\"path\": " + Quote(o.Path) + (o.Link.empty() ? "" : ", \"shortcut\": " + Quote(o.Link)) + "}");
  for (const TPlannedValue& v : plan.Record) record.push_back("{\"name\": " + Quote(v.Name) + ", \"data\": " + Quote(v.Data) + "}");
  std::string s = "{\n";
  s += "  \"setupFile\": " + Quote(plan.SetupPath) + ",\n";
  s += "  \"identifier\": " + Quote(plan.Id) + ",\n";
  s += "  \"description\": " + Quote(p.Text()) + ",\n";
  s += "  \"kind\": " + std::to_string(p.Kind) + ",\n";
  s += "  \"update\": " + Bool(p.Update) + ",\n";
  s += "  \"environments\": " + List(envs, "  ") + ",\n";
  s += "  \"removedFirst\": " + List(removals, "  ") + ",\n";
  s += "  \"files\": " + List(files, "  ") + ",\n";
  s += "  \"obsolete\": " + List(obsolete, "  ") + ",\n";
  s += "  \"storedCopy\": " + Quote(plan.Stored) + ",\n";
  s += "  \"recordKey\": " + Quote("HKEY_CURRENT_USER\\" + plan.Key) + ",\n";
  s += "  \"record\": " + List(record, "  ") + ",\n";
  s += "  \"programsAndFeatures\": " + Bool(plan.ProductEntry) + "\n}\n";
  return s;
}
