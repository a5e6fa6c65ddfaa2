#include "setup/Installer.h"

#include <cstdio>
#include <map>
#include <set>

#include "packages/MessageService.h"
#include "platform/base/Exception.h"
#include "platform/base/FileNames.h"
#include "platform/os/FileOps.h"
#include "platform/os/HelpContents.h"
#include "platform/os/Shortcuts.h"
#include "platform/os/SystemFolders.h"
#include "platform/os/WinFile.h"
#include "platform/base/SysUtils.h"
#include "setup/Environments.h"
#include "setup/InstallPlan.h"
#include "setup/InstallerMessages.h"
#include "setup/ProductRecord.h"
#include "setup/ShellEntries.h"

namespace {

std::string Below(const std::string& folder, const std::string& name) {
  return IncludeTrailingBackslash(folder) + name;
}

void SaveLines(const std::vector<std::string>& lines, TWinFileStream& f) {
  std::string text;
  for (const std::string& line : lines) text += line + "\r\n";
  f.WriteBuffer(text.data(), static_cast<int32_t>(text.size()));
  f.Close();
}

std::string JoinLines(const std::vector<std::string>& items) {
  std::string out;
  for (const std::string& item : items) out += "\r\n" + item;
  return out;
}

std::string MessageFmt(int id, const std::vector<TFormatArg>& args) {
  return CompleteMessage("", Format(MessageText(kIdioma, id), args));
}

}  // namespace

// ---- checks before an installation ----

TInstaller::TInstaller(TSetupState& state, TProgressSink& sink)
    : state_(state), scales_(sink), journal_(state.Registry) {}

TInstaller::~TInstaller() = default;

TProductCheck TInstaller::CheckProduct(const std::string& setupPath) {
  TProductCheck check;
  {
    TSetupFileReader reader(setupPath);
    check.Product = reader.ReadDescription();
  }
  const TSetupProduct& p = check.Product;
  int env = KindEnvironment(p.Kind);
  // Installed but never started: not missing; the plan says what to do.
  if (env >= 0 && !state_.EnvironmentEnabled[env] && !state_.EnvironmentNeverStarted[env]) RaiseMessage("", kIdioma, Environment(env).MissingMessage);
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
  if (SameText(item.Value, kInstallerName) || !MakerFaults(state_).empty()) return "";
  const TRecordEntry entry = ReadRecordEntry(state_.Registry, item.Value);
  const std::string& name = item.Data == 1 ? entry.FileSetupUpd : entry.FileSetup;
  return name.empty() || !entry.IdSound ? std::string() : Below(state_.PathInstall, name);
}

// ---- installation ----

void TInstaller::InstallProduct(const std::string& setupPath, int share) {
  Journaled([&] {
    scales_.Sink().SetLabel("");
    {
      TScaleGuard whole(scales_, share, 100);
      if (SameText(setupPath, kInstallerName)) InstallInstaller();
      else InstallFromFile(setupPath);
    }
    RefreshGroup();
    scales_.Sink().SetLabel("");
  });
}

void TInstaller::MakeLink(const std::string& linkFile, const std::string& target, const std::string& workingFolder) {
  if (!com_) com_ = std::make_unique<TComInit>();
  BeforeWriting(linkFile);
  CreateShellLink(linkFile, target, workingFolder);
  groupChanged_ = true;
}

void TInstaller::InstallInstaller() {
  // An update of the installer works in the folders its record names.
  if (state_.WizardMode != 0) RequireSoundMaker();
  TScaleGuard scale(scales_, 100, 4);
  const std::string folder = Below(state_.PathInstall, "KySetup\\");
  const std::string group = IncludeTrailingBackslash(state_.PathGroup);

  // What stays of the old folder or group is overwritten below, or writing
  // it fails and says so.
  DeleteTreeAside(folder);
  for (const TFolderEntry& e : ListFolder(group))
    if (!e.Folder && e.Plain && e.Name[0] != '_') DeleteAside(group + e.Name);
  scales_.Step();

  MakeFolders(folder);
  BeforeWriting(folder + "KySetup.exe");
  CopyFileReplace(state_.ProgramFile, folder + "KySetup.exe");
  SaveLines(state_.LicenseLines, *NewFile(folder + "License.txt"));
  scales_.Step();

  MakeFolders(group);
  MakeLink(group + "KySetup.lnk", folder + "KySetup.exe", folder);
  MakeLink(group + "License.lnk", folder + "License.txt", folder);
  auto shortcut = [&](const std::string& file, const std::string& address) {
    BeforeWriting(file);
    WriteInternetShortcut(file, address);
  };
  shortcut(group + "Web " + kMakerWebHost + ".url", std::string("http://") + kMakerWebHost + "/");
  for (const char* mail : {kMakerMailInfo, kMakerMailSupport, kMakerMailSales})
    shortcut(group + "Mail " + mail + ".url", std::string("mailto:") + mail);
  scales_.Step();

  if (state_.WizardMode == 0) {
    SetValue(kMakerKey, "Language", std::to_string(state_.Language));
    SetValue(kMakerKey, "PathGroup", state_.PathGroup);
    SetValue(kMakerKey, "PathInstall", state_.PathInstall);
  }
  const std::string key = ProductKey(kInstallerName);
  const std::string description = ProductText(kInstallerName, "", 0, false, kInstallerVersion);
  WriteVersion(key, "", kInstallerVersion);
  SetValue(key, "FileSetup", kInstallerName);
  SetValue(key, "Description", description);
  RegisterShellEntries(folder + "KySetup.exe", folder);
  scales_.Step();

  state_.Products.Remove(kInstallerName, 0);
  state_.Products.Add({kInstallerName, description, 0});
}

void TInstaller::ExtractPayloadFile(TSetupFileReader& reader, const TSetupEntry& entry,
                                    const std::string& destination) {
  scales_.Sink().SetLabel(ExtractFileName(destination));
  std::unique_ptr<TWinFileStream> out = NewFile(destination);
  reader.CopyContent(entry, *out, [this] { scales_.Sink().Pulse(); });
  out->Close();
}

void TInstaller::StoreSetupFile(const std::string& setupPath, const std::string& stored) {
  // An interrupted copy is undone with the run, so it never passes for a
  // stored setup file.
  TFileStream in(setupPath, fmOpenRead);
  std::unique_ptr<TWinFileStream> out = NewFile(stored);
  out->CopyFrom(in, 0);
  out->Close();
}

void TInstaller::RequireSoundMaker() const {
  std::vector<std::string> faults = MakerFaults(state_);
  if (!faults.empty()) RaiseMessageFmt("", kIdioma, msgMakerRecordDamaged, {FaultText(faults)});
}

void TInstaller::InstallFromFile(const std::string& setupPath) {
  const TInstallPlan plan = PlanInstallation(state_, setupPath);
  RequireEnvironmentsFree(state_, plan.Environments);
  const std::string previous = ApplyPlan(plan);
  WriteRecord(plan, previous);
}

std::string TInstaller::ApplyPlan(const TInstallPlan& plan) {
  // A help product for one environment unticks the eight boxes.
  const int kind = plan.Product.Kind;
  if (kind != kKindData && kind != kKindHelpLib && !IsLibraryKind(kind)) state_.EnvironmentTicked.fill(false);
  const std::string previous = RemoveEarlier(plan);
  PlaceFiles(plan);
  DeleteObsolete(plan);
  return previous;
}

std::string TInstaller::RemoveEarlier(const TInstallPlan& plan) {
  TScaleGuard scale(scales_, 18, 100);
  std::string previous;  // this product's earlier stored copy, once its removal read it as such
  for (const TPlannedRemoval& r : plan.Removals) {
    try {
      if (RemoveRecorded(r.Id, r.Update, r.Share, true, r.KeepRecord) && SameText(r.Id, plan.Id)) previous = r.Stored;
    } catch (const EStoredCopyUnreadable& e) {
      // Its files cannot be known; the new installation goes ahead.
      notes_.push_back(e.what());
    }
  }
  return previous;
}

void TInstaller::PlaceFiles(const TInstallPlan& plan) {
  TSetupFileReader reader(plan.SetupPath);
  reader.ReadDescription(false, false);
  if (reader.ReadFileCount() != plan.FileCount)
    RaiseMessageFmt("", kIdioma, msgDamagedSetupFile, {plan.SetupPath, "changed while it was installed"});
  TScaleGuard scale(scales_, plan.Product.Kind == kKindData ? 80 : 75, static_cast<int>(plan.Files.size()));
  // Folders made once are not asked for again: with many small files that
  // question costs as much as writing them.
  std::set<std::string> made;
  for (size_t i = 0; i < plan.Files.size(); ++i) {
    const TPlannedFile& f = plan.Files[i];
    if (f.Entry == 0 && i > 0) reader.RewindFiles();  // a help product's next environment
    const TSetupEntry e = reader.ReadEntry();
    if (e.Name != f.Name || e.Size != f.Size)
      RaiseMessageFmt("", kIdioma, msgDamagedSetupFile, {plan.SetupPath, "changed while it was installed"});
    PlaceFile(reader, e, f, made);
    scales_.Step();
  }
}

void TInstaller::PlaceFile(TSetupFileReader& reader, const TSetupEntry& e, const TPlannedFile& f,
                           std::set<std::string>& made) {
  auto makeFolders = [&](const std::string& folder) {
    if (made.insert(UpperCase(folder)).second) MakeFolders(folder);
  };
  if (f.CreateFolders) makeFolders(ExtractFilePath(f.Path));
  ExtractPayloadFile(reader, e, f.Path);
  if (f.DesignPackage) SetValue(KnownPackagesKey(f.Environment), f.Path, f.PackageText);
  if (!f.Link.empty()) {
    makeFolders(ExtractFilePath(f.Link));
    MakeLink(f.Link, f.Path, ExtractFilePath(f.Path));
  }
  if (f.HelpContents.empty()) return;
  EditFile(f.HelpContents);
  if (!f.HelpTitle.empty()) AddHelpIndex(f.HelpContents, f.HelpTitle, f.Name);
  else AddHelpInclude(f.HelpContents, f.Name);
}

void TInstaller::DeleteObsolete(const TInstallPlan& plan) {
  // One that stays is told, not fatal.
  std::vector<std::string> stayed;
  for (const TPlannedObsolete& o : plan.Obsolete) {
    if (!DeleteAside(o.Path)) stayed.push_back(o.Path);
    journal_.FolderEmptied(ExtractFilePath(o.Path), true);
    if (o.Link.empty()) continue;
    if (FileExists(o.Link)) groupChanged_ = true;
    if (!DeleteAside(o.Link)) stayed.push_back(o.Link);
    journal_.FolderEmptied(ExtractFilePath(o.Link), true);
  }
  if (!stayed.empty()) notes_.push_back(MessageFmt(msgObsoleteNotDeleted, {JoinLines(stayed)}));
  scales_.Step();
}

void TInstaller::WriteRecord(const TInstallPlan& plan, const std::string& previous) {
  // The stored copy before the record, so that the record never names a
  // setup file that is not complete on disk.
  MakeFolders(state_.PathInstall);
  if (!SameFilePath(plan.SetupPath, plan.Stored)) StoreSetupFile(plan.SetupPath, plan.Stored);
  for (const TPlannedValue& v : plan.Record) SetValue(v.Key, v.Name, v.Data);
  const TSetupProduct& p = plan.Product;
  const std::string description = p.Text();
  if (plan.ProductEntry) AddProductEntry(plan.Id, description, p.Version);
  // A copy stored by an earlier version under another name is now unused.
  if (!previous.empty() && !SameText(previous, plan.StoredName)) {
    const std::string old = Below(state_.PathInstall, previous);
    if (!SameFilePath(old, plan.Stored) && !DeleteAside(old))
      notes_.push_back(MessageFmt(msgNotDeleted, {JoinLines({old})}));
  }
  state_.Products.Remove(plan.Id, p.Update ? 1 : 0);
  state_.Products.Add({plan.Id, description, p.Update ? 1 : 0});
  scales_.Step();
}

// ---- removal ----

void TInstaller::RemoveProduct(const std::string& setupPath, int share, bool reinstallBase, bool deleteSetupFile) {
  Journaled([&] { RemoveChecked(setupPath, share, reinstallBase, deleteSetupFile, false); });
}

std::vector<int> TInstaller::ItemEnvironments(const TProductItem& item) const {
  const std::string stored = StoredSetupFile(item);
  if (stored.empty()) return {};
  try {
    TSetupFileReader reader(stored);
    const int kind = reader.ReadDescription(false, false).Kind;
    return ProductEnvironments(kind, TagEnvironments(RecordedLangs(item.Value)));
  } catch (const Exception&) {
    return {};  // the removal says why it cannot be read
  }
}

void TInstaller::EraseItem(const TProductItem& item, int share) {
  if (!SameText(item.Value, kInstallerName)) RequireEnvironmentsFree(state_, ItemEnvironments(item));
  Journaled([&] {
    // Only the installer's own key removes the installer, never a value naming it.
    if (!SameText(item.Value, kInstallerName)) {
      RemoveRecorded(item.Value, item.Data == 1, share, true, false);
      return;
    }
    scales_.Sink().SetLabel("");
    {
      TScaleGuard whole(scales_, share, 100);
      RemoveInstaller();
    }
    scales_.Sink().SetLabel("");
  });
}

bool TInstaller::RemoveRecorded(const std::string& id, bool update, int share, bool reinstallBase, bool keepRecord) {
  const TRecordEntry entry = ReadRecordEntry(state_.Registry, id);
  std::vector<std::string> faults = MakerFaults(state_);
  const std::string& name = update ? entry.FileSetupUpd : entry.FileSetup;
  // Damaged versions do not stop a removal through the stored copy; a name
  // or folder that cannot be used does.
  if (faults.empty() && entry.IdSound && !name.empty()) {
    try {
      RemoveChecked(Below(state_.PathInstall, name), share, reinstallBase, true, keepRecord, id, update);
      return true;
    } catch (const EStoredCopyForeign&) {
      faults.push_back("\"" + std::string(update ? "FileSetupUpd" : "FileSetup") + "\" = \"" + name + "\"");
    }
  } else {
    const std::vector<std::string>& own = update ? entry.UpdateFaults : entry.Faults;
    faults.insert(faults.end(), own.begin(), own.end());
  }
  scales_.Sink().SetLabel("");
  {
    TScaleGuard whole(scales_, share, 100);
    EraseDamaged(id, update, faults);
  }
  if (DirectoryExists(state_.PathGroup)) RefreshGroup();
  scales_.Sink().SetLabel("");
  if (update && reinstallBase) ReinstallBase(id);
  return false;
}

void TInstaller::EraseDamaged(const std::string& id, bool update, const std::vector<std::string>& faults) {
  // Nothing is known of its files but its own folders and stored copies,
  // and those only where the key name and the maker's folders can be used.
  const bool idSound = CheckIdentifier(id, kKindData, "") == idfNone;
  std::vector<std::string> removed, stayed;
  auto removeTree = [&](const std::string& folder) {
    if (!DirectoryExists(folder)) return;
    std::vector<std::string> failed = DeleteTreeAside(folder);
    if (failed.empty()) removed.push_back(folder);
    stayed.insert(stayed.end(), failed.begin(), failed.end());
  };
  auto removeFile = [&](const std::string& file) {
    if (!FileExists(file)) return;
    if (DeleteAside(file)) removed.push_back(file);
    else stayed.push_back(file);
  };
  if (idSound && IsSoundMakerFolder(state_.PathInstall)) {
    if (!update) removeTree(Below(state_.PathInstall, id));
    if (!update) removeFile(Below(state_.PathInstall, StoredSetupName(id, false)));
    removeFile(Below(state_.PathInstall, StoredSetupName(id, true)));
  }
  if (!update && idSound && IsSoundMakerFolder(state_.PathGroup)) {
    if (DirectoryExists(Below(state_.PathGroup, id))) groupChanged_ = true;
    removeTree(Below(state_.PathGroup, id));
  }
  scales_.Step();
  EraseRecord(id, update);
  scales_.Step();

  const std::string what = FaultText(faults);
  notes_.push_back(removed.empty() ? MessageFmt(msgDamagedRecordNothingFound, {id, what})
                                   : MessageFmt(msgDamagedRecordErased, {id, what, JoinLines(removed)}));
  if (!stayed.empty()) notes_.push_back(MessageFmt(msgLeftInPlace, {JoinLines(stayed)}));
}

void TInstaller::EraseRecord(const std::string& id, bool update) {
  if (update) {
    for (const char* value : {"DescriptionUpd", "FileSetupUpd", "Ver1Upd", "Ver2Upd", "Ver3Upd", "InstallLangs"})
      DropValue(ProductKey(id), value);
    state_.Products.Remove(id, 1);
  } else {
    DropKey(ProductKey(id));
    DropProductEntry(id);
    // The whole sub-key is gone, so no item of it may stay.
    while (state_.Products.Remove(id)) {
    }
  }
}

void TInstaller::ReinstallBase(const std::string& id) {
  // The base's own stored copy, only when its record may be used.
  if (!MakerFaults(state_).empty()) return;
  const TRecordEntry entry = ReadRecordEntry(state_.Registry, id);
  if (!entry.IdSound || entry.FileSetup.empty()) return;
  const std::string base = Below(state_.PathInstall, entry.FileSetup);
  RemoveChecked(base, 100, true, false, true, id, false);
  InstallProduct(base, 100);
}

void TInstaller::RemoveChecked(const std::string& setupPath, int share, bool reinstallBase, bool deleteSetupFile,
                               bool keepRecord, const std::string& expectedId, bool expectedUpdate) {
  scales_.Sink().SetLabel("");
  {
    TScaleGuard whole(scales_, share, 100);
    RemoveFromFile(setupPath, reinstallBase, deleteSetupFile, keepRecord, expectedId, expectedUpdate);
  }
  if (DirectoryExists(state_.PathGroup)) RefreshGroup();
  scales_.Sink().SetLabel("");
}

void TInstaller::RemoveInstaller() {
  TScaleGuard scale(scales_, 100, 4);
  // The group first: what stays of it is reported while the record still
  // lets the user erase again. Folders the record cannot vouch for stay.
  if (IsSoundMakerFolder(state_.PathGroup)) {
    std::vector<std::string> failed = DeleteTreeAside(state_.PathGroup);
    groupChanged_ = true;
    if (!failed.empty()) RaiseMessageFmt("", kIdioma, msgNotDeleted, {JoinLines(failed)});
  }
  DropKey(kMakerKey);
  DropShellEntries();
  scales_.Step();
  state_.Products.Remove(kInstallerName);
  scales_.Step();
  // The installer's own files; a running copy of it may have to stay.
  if (IsSoundMakerFolder(state_.PathInstall)) {
    std::vector<std::string> failed = DeleteTreeAside(Below(state_.PathInstall, kInstallerName));
    if (!failed.empty()) notes_.push_back(MessageFmt(msgLeftInPlace, {JoinLines(failed)}));
  }
  scales_.Step();
  scales_.Step();
}

void TInstaller::ForgetUnreadable(const std::string& setupPath, const std::string& reason, bool keepRecord,
                                  const std::string& expectedId, bool expectedUpdate) {
  // The record entry that names this stored copy goes, so that the product
  // can be installed or erased again.
  const std::string name = ExtractFileName(setupPath);
  TRegistry& reg = state_.Registry;
  if (!keepRecord) {
    if (!expectedId.empty()) {
      EraseRecord(expectedId, expectedUpdate);
    } else {
      for (const std::string& id : reg.GetKeyNames(kMakerKey)) {
        if (SameText(id, kInstallerName)) continue;
        const TRecordEntry entry = ReadRecordEntry(reg, id);
        if (SameText(entry.FileSetup, name) || SameText(entry.FileSetupUpd, name)) {
          EraseRecord(id, SameText(entry.FileSetupUpd, name));
          break;
        }
      }
    }
    DeleteAside(setupPath);
  }
  throw EStoredCopyUnreadable(MessageFmt(msgStoredCopyUnreadable, {setupPath, reason}));
}

TInstaller::TStoredCopy TInstaller::ReadStoredCopy(const std::string& setupPath, bool keepRecord,
                                                   const std::string& expectedId, bool expectedUpdate) {
  // Everything the stored copy says is read first; one that cannot be read
  // must not keep the product in the record for ever.
  TStoredCopy copy;
  try {
    TSetupFileReader reader(setupPath);
    copy.Product = reader.ReadDescription(false, false);
    // A copy of another product, or a full product where an update is
    // recorded, says nothing about this record's files.
    if (!expectedId.empty() && (!SameText(copy.Product.Identifier(), expectedId) || copy.Product.Update != expectedUpdate))
      throw EStoredCopyForeign(setupPath);
    const int32_t fileCount = reader.ReadFileCount();
    for (int32_t i = 0; i < fileCount; ++i) {
      TSetupEntry e = reader.ReadEntry();
      reader.SkipContent(e);
      copy.Names.push_back(e.Name);
    }
  } catch (const EStoredCopyForeign&) {
    throw;
  } catch (const EFOpenError&) {
    // A copy that is there but cannot be opened now (in use) is no reason to forget it.
    if (FileExists(setupPath)) throw;
    ForgetUnreadable(setupPath, "missing", keepRecord, expectedId, expectedUpdate);
  } catch (const Exception& e) {
    ForgetUnreadable(setupPath, e.what(), keepRecord, expectedId, expectedUpdate);
  }
  return copy;
}

std::string TInstaller::RecordedLangs(const std::string& id) const {
  try {
    return state_.Registry.ReadString(ProductKey(id), "InstallLangs", "");
  } catch (const ERegistryException&) {
    return "";  // not a text: no environment to clean
  }
}

void TInstaller::RemoveFromFile(const std::string& setupPath, bool reinstallBase, bool deleteSetupFile,
                                bool keepRecord, const std::string& expectedId, bool expectedUpdate) {
  const TStoredCopy copy = ReadStoredCopy(setupPath, keepRecord, expectedId, expectedUpdate);
  const TSetupProduct& p = copy.Product;
  const std::string id = p.Identifier();
  const std::string langs = RecordedLangs(id);
  const TRecordEntry entry = ReadRecordEntry(state_.Registry, id);
  const std::string stored = p.Update ? entry.FileSetupUpd : entry.FileSetup;
  // The environments' folders before anything changes.
  TTargets targets;
  targets.Environments = ProductEnvironments(p.Kind, TagEnvironments(langs));
  for (int env : targets.Environments) targets.Roots.push_back(EnvironmentRoot(state_, env));
  {
    TScaleGuard scale(scales_, 28, 100);
    if (!p.Update && (!entry.FileSetupUpd.empty() || !entry.UpdateFaults.empty())) {
      try {
        RemoveRecorded(id, true, 100, false, false);
      } catch (const EStoredCopyUnreadable& e) {
        notes_.push_back(e.what());
      }
    }
  }
  // Files and folders first; what cannot be deleted is reported and keeps
  // the record, so that the user can fix the cause and erase again.
  const std::vector<std::string> failed = DeleteProductFiles(p, copy.Names, targets);
  if (!failed.empty()) RaiseMessageFmt("", kIdioma, msgNotDeleted, {JoinLines(failed)});
  if (!keepRecord) {
    EraseRecord(id, p.Update);
    if (deleteSetupFile && !stored.empty()) {
      const std::string old = Below(state_.PathInstall, stored);
      if (!DeleteAside(old)) notes_.push_back(MessageFmt(msgNotDeleted, {JoinLines({old})}));
    }
  }
  scales_.Step();
  TScaleGuard scale(scales_, 30, 100);
  if (reinstallBase && p.Update) {
    // The update's removal took the base's environment list with it; the
    // base goes back where it was.
    if (p.Kind == kKindHelpLib) {
      state_.EnvironmentTicked.fill(false);
      for (int env : TagEnvironments(langs)) state_.EnvironmentTicked[env] = true;
    }
    ReinstallBase(id);
  }
}

std::vector<int> TInstaller::TagEnvironments(const std::string& langs) {
  std::vector<int> out;
  for (const std::string& tag : SplitCommaText(langs))
    if (int env = EnvironmentIndex(tag); env >= 0) out.push_back(env);
  return out;
}

std::vector<std::string> TInstaller::DeleteProductFiles(const TSetupProduct& p, const std::vector<std::string>& names,
                                                        const TTargets& targets) {
  std::vector<std::string> failed;
  const std::string id = p.Identifier();
  if (p.Kind == kKindData) {
    TScaleGuard scale(scales_, 40, 2);
    DeleteProductFolders(id, failed);
  } else if (IsLibraryKind(p.Kind)) {
    TScaleGuard scale(scales_, 40, static_cast<int>(names.size()) + 2);
    DeleteLibraryFiles(names, targets.Environments[0], targets.Roots[0], failed);
    DeleteProductFolders(id, failed);
  } else {
    TScaleGuard scale(scales_, 40, static_cast<int>(targets.Environments.size() * names.size()));
    for (size_t k = 0; k < targets.Environments.size(); ++k)
      DeleteHelpFiles(id, names, targets.Environments[k], targets.Roots[k], failed);
  }
  return failed;
}

void TInstaller::DeleteProductFolders(const std::string& id, std::vector<std::string>& failed) {
  const std::string groupFolder = Below(state_.PathGroup, id);
  for (std::string& f : DeleteTreeAside(Below(state_.PathInstall, id))) failed.push_back(std::move(f));
  scales_.Step();
  if (DirectoryExists(groupFolder)) groupChanged_ = true;
  for (std::string& f : DeleteTreeAside(groupFolder)) failed.push_back(std::move(f));
  scales_.Step();
}

void TInstaller::DeleteLibraryFiles(const std::vector<std::string>& names, int env, const std::string& root,
                                    std::vector<std::string>& failed) {
  auto deleteFile = [&](const std::string& path) {
    if (!DeleteAside(path)) failed.push_back(path);
  };
  for (const std::string& name : names) {
    const std::string u = FileCategoryName(name);
    if (IsHeaderFile(u)) {
      deleteFile(root + "Include\\" + name);
    } else if (IsLibraryFile(u)) {
      deleteFile(root + "Lib\\" + name);
    } else if (IsDesignPackage(u)) {
      deleteFile(root + "Bin\\" + name);
      journal_.ChangingValue(KnownPackagesKey(env), root + "Bin\\" + name);
      journal_.ChangingValue(KnownPackagesKey(env), Environment(env).PackageMacro + name);
      UnregisterPackage(state_, env, root + "Bin\\" + name, name);
    } else if (IsRuntimePackage(u)) {
      deleteFile(Below(state_.SystemDir, name));
    }
    scales_.Step();
  }
}

void TInstaller::DeleteHelpFiles(const std::string& id, const std::vector<std::string>& names, int env,
                                 const std::string& root, std::vector<std::string>& failed) {
  const std::string groupFolder = Below(state_.PathGroup, id);
  const std::string contents = root + Environment(env).HelpContents;
  for (const std::string& name : names) {
    if (!DeleteAside(root + "Help\\" + name)) failed.push_back(root + "Help\\" + name);
    EditFile(contents);
    if (IsHelpFile(FileCategoryName(name))) RemoveHelpIndex(contents, name);
    else RemoveHelpInclude(contents, name);
    const std::string link = Below(groupFolder, ChangeFileExt(name, ".lnk"));
    if (FileExists(link)) groupChanged_ = true;
    if (!DeleteAside(link)) failed.push_back(link);
    journal_.FolderEmptied(groupFolder, true);
    scales_.Step();
  }
}

// ---- changes through the journal ----

template <class F>
void TInstaller::Journaled(F&& run) {
  const bool outermost = journal_.Depth() == 0;
  const TProductList products = outermost ? state_.Products : TProductList();
  journal_.Begin(state_.JournalFile);
  try {
    run();
  } catch (const EStoredCopyUnreadable&) {
    // Told, not failed: the record of the unreadable copy is gone for good.
    journal_.End(true);
    throw;
  } catch (...) {
    // The list goes back with the record.
    if (journal_.End(false)) state_.Products = products;
    throw;
  }
  journal_.End(true);
}

void TInstaller::MakeFolders(const std::string& folder) {
  std::vector<std::string> missing;
  for (std::string dir = ExcludeTrailingBackslash(folder); !dir.empty() && dir.back() != ':' && !DirectoryExists(dir);) {
    missing.push_back(dir);
    const std::string parent = ExtractFileDir(dir);
    if (parent == dir) break;
    dir = parent;
  }
  for (auto it = missing.rbegin(); it != missing.rend(); ++it) journal_.CreatingFolder(*it);
  ForceDirectories(folder);
}

std::unique_ptr<TWinFileStream> TInstaller::NewFile(const std::string& path) {
  // Created only when there is none, which is one call on a fresh folder.
  journal_.CreatingFile(path);
  auto out = std::make_unique<TWinFileStream>(path, wfmCreateNew);
  if (out->IsOpen()) return out;
  journal_.FileExisted(path);
  // A folder in the way is not ours to move: creating fails and says why.
  if (DirectoryExists(path)) return std::make_unique<TWinFileStream>(path, wfmCreate);
  journal_.MoveAside(path);
  journal_.CreatingFile(path);
  return std::make_unique<TWinFileStream>(path, wfmCreate);
}

void TInstaller::BeforeWriting(const std::string& path) {
  if (FileExists(path)) journal_.MoveAside(path);
  else journal_.CreatingFile(path);
}

bool TInstaller::DeleteAside(const std::string& path) {
  if (DirectoryExists(path)) return false;
  if (!FileExists(path)) return true;
  try {
    journal_.MoveAside(path);
    return true;
  } catch (const EOSError&) {
    return false;
  }
}

std::vector<std::string> TInstaller::DeleteTreeAside(const std::string& folder) {
  const std::string root = ExcludeTrailingBackslash(folder);
  std::vector<std::string> failed;
  if (!DirectoryExists(root)) {
    if (FileExists(root)) failed.push_back(root);
    return failed;
  }
  for (const TFolderEntry& e : ListFolder(root)) {
    const std::string path = root + "\\" + e.Name;
    if (e.Folder) {
      std::vector<std::string> sub = DeleteTreeAside(path);
      failed.insert(failed.end(), sub.begin(), sub.end());
    } else if (!DeleteAside(path)) {
      failed.push_back(path);
    }
  }
  // The folder goes once the run succeeded and what was moved aside is gone.
  journal_.FolderEmptied(root, false);
  if (!failed.empty()) failed.push_back(root);
  return failed;
}

void TInstaller::EditFile(const std::string& path) { journal_.CopyAside(path); }

void TInstaller::SetValue(const std::string& section, const std::string& value, const std::string& data) {
  journal_.ChangingValue(section, value);
  state_.Registry.WriteString(section, value, data);
}

void TInstaller::DropValue(const std::string& section, const std::string& value) {
  journal_.ChangingValue(section, value);
  state_.Registry.DeleteValue(section, value);
}

void TInstaller::DropKey(const std::string& section) {
  journal_.ErasingKey(section);
  state_.Registry.EraseSection(section);
}

void TInstaller::SetNumber(const std::string& section, const std::string& value, unsigned long data) {
  journal_.ChangingValue(section, value);
  state_.Registry.WriteDword(section, value, data);
}

// ---- the file type and the "Programs and Features" entries ----

void TInstaller::RegisterShellEntries(const std::string& program, const std::string& folder) {
  // Parents before their sub-keys, so that a failed run takes new keys away whole.
  const std::string progId = SetupFileProgIdKey();
  SetValue(progId, "", kSetupFileTypeText);
  SetValue(progId + "\\DefaultIcon", "", CommandLine(program, "") + ",0");
  SetValue(progId + "\\shell", "", "open");
  SetValue(progId + "\\shell\\open\\command", "", CommandLine(program, "\"%1\""));
  SetValue(SetupFileExtKey(), "", kSetupFileProgId);

  int64_t bytes = 0;
  for (const TFolderEntry& e : ListFolder(folder))
    if (!e.Folder) bytes += TWinFileStream(Below(folder, e.Name), wfmRead).Size();
  const std::string key = InstallerUninstallKey();
  SetValue(key, "DisplayName", std::string(kInstallerName) + " " + VersionText(kInstallerVersion));
  SetValue(key, "DisplayVersion", VersionText(kInstallerVersion));
  SetValue(key, "Publisher", kPublisher);
  SetValue(key, "DisplayIcon", CommandLine(program, "") + ",0");
  SetValue(key, "InstallLocation", ExcludeTrailingBackslash(folder));
  // Without arguments the installed program opens on its products page.
  SetValue(key, "UninstallString", CommandLine(program, ""));
  SetNumber(key, "EstimatedSize", static_cast<unsigned long>((bytes + 1023) / 1024));
  SetNumber(key, "NoModify", 1);
  SetNumber(key, "NoRepair", 1);
}

void TInstaller::DropShellEntries() {
  TRegistry& reg = state_.Registry;
  DropKey(SetupFileProgIdKey());
  // The extension only while it still opens with us: another program may have taken it.
  std::string owner;
  try {
    owner = reg.ReadString(SetupFileExtKey(), "", "");
  } catch (const ERegistryException&) {
  }
  if (SameText(owner, kSetupFileProgId)) DropKey(SetupFileExtKey());
  DropKey(InstallerUninstallKey());
  // The products' entries open an installer that is gone, with a record that is gone.
  for (const std::string& name : reg.GetKeyNames(kUninstallKey)) {
    const size_t n = std::string(kProductEntryPrefix).size();
    if (name.size() > n && SameText(name.substr(0, n), kProductEntryPrefix)) DropProductEntry(name.substr(n));
  }
}

void TInstaller::AddProductEntry(const std::string& id, const std::string& description, const TVersion& version) {
  const std::string key = ProductUninstallKey(id);
  if (key.empty()) return;
  const std::string program = Below(state_.PathInstall, "KySetup\\KySetup.exe");
  SetValue(key, "DisplayName", description);
  SetValue(key, "DisplayVersion", VersionText(version));
  SetValue(key, "Publisher", kPublisher);
  SetValue(key, "DisplayIcon", CommandLine(program, "") + ",0");
  SetValue(key, "InstallLocation", Below(state_.PathInstall, id));
  SetValue(key, "UninstallString", CommandLine(program, "/erase " + id));
  SetNumber(key, "NoModify", 1);
  SetNumber(key, "NoRepair", 1);
}

void TInstaller::DropProductEntry(const std::string& id) {
  const std::string key = ProductUninstallKey(id);
  if (!key.empty()) DropKey(key);
}

void TInstaller::WriteVersion(const std::string& key, const char* suffix, const TVersion& v) {
  SetValue(key, std::string("Ver1") + suffix, std::to_string(v.Major));
  SetValue(key, std::string("Ver2") + suffix, std::to_string(v.Minor));
  SetValue(key, std::string("Ver3") + suffix, std::to_string(v.Release));
}

void TInstaller::RefreshGroup() {
  // A link saved and deleted at once makes the shell re-read the group;
  // only worth its cost when the group changed.
  if (!groupChanged_) return;
  groupChanged_ = false;
  std::string link = Below(state_.PathGroup, "--.lnk");
  MakeLink(link, "", "");
  groupChanged_ = false;
  DeleteFileForce(link);
}

// ---- session start ----

int RecoverInterruptedRun(TSetupState& state) {
  if (state.JournalFile.empty()) state.JournalFile = IncludeTrailingBackslash(GetSystemFolder(sfTemp)) + "KySetup.jnl";
  switch (TRunJournal::Recover(state.JournalFile, state.Registry)) {
    case TRunJournal::rcUndone:
      return msgRunUndone;
    case TRunJournal::rcFinished:
      return msgRunFinished;
    default:
      return -1;
  }
}

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
