// The installation engine: installs, updates and removes products and the
// installer itself, without any user interface. The wizard and the command
// line drive the same engine over a state and a progress sink.
#pragma once

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "platform/base/Exception.h"
#include "setup/InstallPlan.h"
#include "setup/ProgressScales.h"
#include "setup/RunJournal.h"
#include "setup/SetupFile.h"
#include "setup/SetupState.h"

// The installer's single-instance mutex: the wizard and the command line
// hold it for their whole run, so they exclude each other.
inline constexpr const char* kInstallerMutex = "__KySETUPMUTEX__";

// A stored setup file that could not be read: its record was erased, but
// the files it installed could not be known and so stay.
class EStoredCopyUnreadable : public Exception {
  using Exception::Exception;
};

// A stored setup file of another product than the record naming it.
class EStoredCopyForeign : public Exception {
  using Exception::Exception;
};

class TComInit;
class TWinFileStream;

// What the checks before an installation found out about a setup file.
struct TProductCheck {
  TSetupProduct Product;        // header and description, picture included
  bool SameVersionInstalled = false;  // the installed version equals the file's
};

class TInstaller {
public:
  TInstaller(TSetupState& state, TProgressSink& sink);
  ~TInstaller();

  // The checks of the Add command: header and required version, a known
  // kind, the environment the kind needs, and for an update the installed
  // base and its version. Raises the "Idioma" message of the first failure.
  TProductCheck CheckProduct(const std::string& setupPath);

  // setupPath: a setup file, or "KySetup" for the installer itself. share:
  // the units of the current progress range this call consumes.
  void InstallProduct(const std::string& setupPath, int share);
  // setupPath: a stored setup file in PathInstall. Never removes the
  // installer itself, whatever the file is called.
  void RemoveProduct(const std::string& setupPath, int share, bool reinstallBase, bool deleteSetupFile);

  // The Erase command on one item of the products list: the installer's own
  // removal for its own key only; a product through its stored setup file,
  // or, when its record is damaged, only what lies in its own folders, after
  // which its record is always erased and a note says what was done.
  void EraseItem(const TProductItem& item, int share);

  // The environments erasing an item touches, from its stored setup file;
  // none when that cannot be read.
  std::vector<int> ItemEnvironments(const TProductItem& item) const;

  // The stored setup file behind an item of the products list; "" when the
  // record names none that may be used.
  std::string StoredSetupFile(const TProductItem& item) const;

  TProgressScales& Scales() { return scales_; }

  // What a routine could not clean up without failing: obsolete files that
  // stayed, an earlier installation whose stored setup file was unreadable.
  // Collected until cleared; the caller shows them after the run.
  const std::vector<std::string>& Notes() const { return notes_; }
  void ClearNotes() { notes_.clear(); }

private:
  void InstallInstaller();
  // A setup file: plan, apply, record.
  void InstallFromFile(const std::string& setupPath);
  // The earlier installation removed, the files placed, the obsolete ones
  // deleted; returns the earlier stored copy that the record replaces.
  std::string ApplyPlan(const TInstallPlan& plan);
  // Returns this product's earlier stored copy when its removal used it.
  std::string RemoveEarlier(const TInstallPlan& plan);
  void PlaceFiles(const TInstallPlan& plan);
  void PlaceFile(TSetupFileReader& reader, const TSetupEntry& e, const TPlannedFile& f, std::set<std::string>& made);
  void DeleteObsolete(const TInstallPlan& plan);
  void WriteRecord(const TInstallPlan& plan, const std::string& previous);
  void RemoveInstaller();
  // keepRecord: a full product being replaced by a new installation of
  // itself keeps its record and stored copy until the new ones are in place.
  // expectedId: the record key the stored copy must belong to ("" when
  // the caller has only a path).
  void RemoveChecked(const std::string& setupPath, int share, bool reinstallBase, bool deleteSetupFile,
                     bool keepRecord, const std::string& expectedId = "", bool expectedUpdate = false);
  // What a stored setup file says: its product and its file names.
  struct TStoredCopy {
    TSetupProduct Product;
    std::vector<std::string> Names;
  };
  // The environments a product was placed in, with their RootDir.
  struct TTargets {
    std::vector<int> Environments;
    std::vector<std::string> Roots;
  };
  TStoredCopy ReadStoredCopy(const std::string& setupPath, bool keepRecord, const std::string& expectedId,
                             bool expectedUpdate);
  std::string RecordedLangs(const std::string& id) const;
  static std::vector<int> TagEnvironments(const std::string& langs);
  // Returns what could not be deleted.
  std::vector<std::string> DeleteProductFiles(const TSetupProduct& p, const std::vector<std::string>& names,
                                              const TTargets& targets);
  void DeleteProductFolders(const std::string& id, std::vector<std::string>& failed);
  void DeleteLibraryFiles(const std::vector<std::string>& names, int env, const std::string& root,
                          std::vector<std::string>& failed);
  void DeleteHelpFiles(const std::string& id, const std::vector<std::string>& names, int env, const std::string& root,
                       std::vector<std::string>& failed);
  void RemoveFromFile(const std::string& setupPath, bool reinstallBase, bool deleteSetupFile, bool keepRecord,
                      const std::string& expectedId, bool expectedUpdate);
  // A product, or its update, by its record: through the stored copy when
  // the record may be used, otherwise as a damaged record.
  // True when it went through the stored copy, which was then this product's.
  bool RemoveRecorded(const std::string& id, bool update, int share, bool reinstallBase, bool keepRecord);
  void EraseRecord(const std::string& id, bool update);
  void ReinstallBase(const std::string& id);
  void EraseDamaged(const std::string& id, bool update, const std::vector<std::string>& faults);
  void RequireSoundMaker() const;
  [[noreturn]] void ForgetUnreadable(const std::string& setupPath, const std::string& reason, bool keepRecord,
                                     const std::string& expectedId, bool expectedUpdate);
  void ExtractPayloadFile(TSetupFileReader& reader, const TSetupEntry& entry, const std::string& destination);
  void StoreSetupFile(const std::string& setupPath, const std::string& stored);
  void MakeLink(const std::string& linkFile, const std::string& target, const std::string& workingFolder);
  void RefreshGroup();
  void WriteVersion(const std::string& key, const char* suffix, const TVersion& v);
  // The ".stp" type and the "Programs and Features" entries (ShellEntries.h).
  void RegisterShellEntries(const std::string& program, const std::string& folder);
  void DropShellEntries();
  void AddProductEntry(const std::string& id, const std::string& description, const TVersion& version);
  void DropProductEntry(const std::string& id);

  // Every change goes through the run's journal: a run that fails is undone
  // and leaves the disk and the record as they were.
  template <class F>
  void Journaled(F&& run);
  void MakeFolders(const std::string& folder);
  // A new file; one that is there is moved aside first.
  std::unique_ptr<TWinFileStream> NewFile(const std::string& path);
  // Before a system call writes path (a copy, a link).
  void BeforeWriting(const std::string& path);
  // Deletion that waits for the run to succeed: false when the file stays.
  bool DeleteAside(const std::string& path);
  std::vector<std::string> DeleteTreeAside(const std::string& folder);
  void EditFile(const std::string& path);
  void SetValue(const std::string& section, const std::string& value, const std::string& data);
  void DropValue(const std::string& section, const std::string& value);
  void DropKey(const std::string& section);
  void SetNumber(const std::string& section, const std::string& value, unsigned long data);

  TSetupState& state_;
  TProgressScales scales_;
  std::vector<std::string> notes_;
  TRunJournal journal_;
  std::unique_ptr<TComInit> com_;  // started with the first shell link
  bool groupChanged_ = false;      // the program group gained or lost an entry
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

// Undoes, or completes, a run that was stopped before its end, before
// anything else reads the record. Returns the "Idioma" message saying what
// it did, or -1 when there was nothing to do.
int RecoverInterruptedRun(TSetupState& state);

// True when the record holds the installer ("SoftWare\Tessaro\KySetup").
bool InstallerInstalled(const TSetupState& state);
