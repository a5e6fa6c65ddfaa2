// The base of every configuration package: where its content comes from
// (embedded in the owner's form or a file), the 34-byte file header, loading
// and saving through the typed value stream, the modified flag and the change
// event. Also the process-wide change batch, the configuration lock and the
// per-kind name lookup lists. Portable: no <windows.h>.
//
// A kind derives from TKyPkgInfo, registers itself in its TKyPkgList (when it
// is found by name) in its constructor, calls Clear in its destructor, answers Kind() with its TKyPkgKind (class
// word, versions, default extension, the "System" message ids of its header
// refusals) and implements ReadPackage/WritePackage/Clear:
//
//   void TKyPkgFoo::ReadPackage(TKyReader& r) {
//     TKyConfigLock lock;
//     uint16_t version = ReadHeader(r);   // checks signature and version
//     ...body, gated on version...
//   }
//   void TKyPkgFoo::WritePackage(TKyWriter& w) {
//     WriteHeader(w);                     // class word and current version
//     ...body...
//   }
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "packages/ConfigLink.h"
#include "platform/classes/Classes.h"
#include "platform/base/Stream.h"
#include "platform/base/TypedStream.h"
#include "platform/base/Variant.h"

class TKyPkgInfo;

KY_ENUM(TKyRegisterInitMode, uint8_t, rimDFM, rimFILE)

// ---- Change batch ----------------------------------------------------------

// One object's share of the change batch. Change() inside a batch only marks
// the link; the outermost End fires each marked link's OnChanged once.
// Outside a batch it fires at once.
class TKyChangeLink {
public:
  TKyChangeLink();
  ~TKyChangeLink();
  TKyChangeLink(const TKyChangeLink&) = delete;
  TKyChangeLink& operator=(const TKyChangeLink&) = delete;

  std::function<void()> OnChanged;
  std::function<void()> OnReload;

  void Change();
  bool Pending() const { return pending_; }
  // Asks the owner to read its content again.
  void Reload() {
    if (OnReload) OnReload();
  }

  // A loading counter; the owner holds back its notifications while it runs.
  void BeginLoading() { ++loading_; }
  void EndLoading() {
    if (loading_ > 0) --loading_;
  }
  bool IsLoading() const { return loading_ > 0; }

private:
  friend void EndChangeBatch();
  bool pending_ = false;
  int loading_ = 0;
};

// Begin does nothing while a flush runs; End never goes below 0 and flushes
// when it reaches 0 (unless the application is being destroyed).
void BeginChangeBatch();
void EndChangeBatch();
int ChangeBatchDepth();

class TKyChangeBatch {
public:
  TKyChangeBatch() { BeginChangeBatch(); }
  ~TKyChangeBatch() { EndChangeBatch(); }
  TKyChangeBatch(const TKyChangeBatch&) = delete;
  TKyChangeBatch& operator=(const TKyChangeBatch&) = delete;
};

// Links that follow every notification pass which changed a strings,
// set or image reference (the form configurations): each is marked and
// fires once when the batch ends (at once outside a batch).
void AddPassListener(TKyChangeLink* link);
void RemovePassListener(TKyChangeLink* link);
void NotifyPassListeners();

// Set by the application object while it tears down: no flushes, no passes.
void SetApplicationDestroying(bool value);
bool ApplicationDestroying();

// ---- Configuration lock -------------------------------------------------------

// Recursive; guards every package mutation.
void LockConfig();
void UnlockConfig();
// Locks and returns true only when nobody holds or waits for the lock.
bool TryLockConfig();

class TKyConfigLock {
public:
  TKyConfigLock() { LockConfig(); }
  ~TKyConfigLock() { UnlockConfig(); }
  TKyConfigLock(const TKyConfigLock&) = delete;
  TKyConfigLock& operator=(const TKyConfigLock&) = delete;
};

class TKyPkgInfo;

// One change of a package: the configuration lock, and a change batch unless
// the package is loading (then whoever loads it flushes once at the end).
class TKyPkgChangeScope {
public:
  explicit TKyPkgChangeScope(const TKyPkgInfo& pkg);
  ~TKyPkgChangeScope() {
    if (!loading_) EndChangeBatch();
  }
  TKyPkgChangeScope(const TKyPkgChangeScope&) = delete;
  TKyPkgChangeScope& operator=(const TKyPkgChangeScope&) = delete;
  bool Loading() const { return loading_; }

private:
  TKyConfigLock lock_;
  bool loading_;
};

// ---- The application configuration, as packages see it ----------------------

// Implemented by the application configuration component, which is built on
// top of this layer. The first registered one is the active configuration:
// its Path prefixes package files, and it answers the reserved names.
class IKyPkgApplication {
public:
  virtual ~IKyPkgApplication() = default;
  // The folder of the package files as given (may be empty).
  virtual std::string PackagePath() const = 0;
  // The "System" (user false) or "User" (user true) package of a kind,
  // identified by its class (TKyPkgStrings::StaticClass()...); nullptr when none.
  virtual TKyPkgInfo* ReservedPackage(const TClassInfo& kind, bool user) const = 0;
};

void RegisterPkgApplication(IKyPkgApplication* app);
void UnregisterPkgApplication(IKyPkgApplication* app);
IKyPkgApplication* FirstPkgApplication();

// Implemented by components that own packages and load them as a whole (the
// application configuration, display and language packages): while such an
// owner loads, its packages count as loading.
class IKyPkgContainer {
public:
  virtual ~IKyPkgContainer() = default;
  virtual bool IsLoadingPackages() const = 0;
};

// ---- Header -------------------------------------------------------------------

// What a kind's header looks like and how it is refused.
struct TKyPkgKind {
  const char* ClassWord;   // "KyPkgStrings"
  uint16_t Version;        // written
  uint16_t HighestRead;    // newer files are refused
  const char* DefaultExt;  // "pst"
  int MsgSignature;        // "System" message for a wrong signature
  int MsgVersion;          // "System" message for a version too new
};

inline constexpr int kPkgHeaderSize = 34;

// 0x01 "123456789" 0x01 followed by the class word.
std::string PkgSignature(const std::string& classWord);

struct TKyPkgHeader {
  std::string Signature;  // the signature text as stored
  uint16_t Version = 0;
  // The class word when the signature has the common prefix, else "".
  std::string ClassWord() const;
};

// The 34 header bytes, unchecked (a damaged length byte is clamped).
TKyPkgHeader ReadPkgHeader(TKyReader& reader);
void WritePkgHeader(TKyWriter& writer, const std::string& classWord, uint16_t version);

// A damaged count must not make a reader allocate or loop before the data
// runs out: refuses a negative count, or one whose entries (each at least
// minBytes long) the rest of the stream cannot hold.
void CheckPkgCount(TKyReader& reader, int64_t count, int minBytes, const std::string& file, const std::string& what);

// ---- Name lookup lists --------------------------------------------------------

// The process-wide list of one kind's packages, in which the front package of
// a name is the active one.
class TKyPkgList {
public:
  explicit TKyPkgList(const TClassInfo& kind) : kind_(kind) {}

  void Add(TKyPkgInfo* pkg);
  void Remove(TKyPkgInfo* pkg);
  void MoveToFront(TKyPkgInfo* pkg);
  void MoveToEnd(TKyPkgInfo* pkg);
  const std::vector<TKyPkgInfo*>& Items() const { return items_; }
  int Count() const { return static_cast<int>(items_.size()); }

  // "System"/"User" reach the application's packages; otherwise the first
  // form-owned package of that name (ignoring case), moved to the front.
  TKyPkgInfo* Find(const std::string& name);
  // The first package of that name, whatever its owner; nothing moves.
  TKyPkgInfo* FirstNamed(const std::string& name) const;

private:
  const TClassInfo& kind_;
  std::vector<TKyPkgInfo*> items_;
};

// Reserved package names.
inline constexpr const char* kSystemPkg = "System";
inline constexpr const char* kUserPkg = "User";

// ---- TKyPkgInfo ------------------------------------------------------------------

class TKyPkgInfo : public TComponent {
  KY_CLASS(TKyPkgInfo, TComponent)
public:
  explicit TKyPkgInfo(TComponent* owner);
  ~TKyPkgInfo() override;
  static void Publish(TPublisher<TKyPkgInfo>& p);

  virtual const TKyPkgKind& Kind() const = 0;

  const std::string& PkgName() const { return pkgName_; }
  virtual void SetPkgName(const std::string& value);
  // Stores the name without checks: for containers naming their nested
  // packages ("System", "User") at creation.
  void StorePkgName(const std::string& value) { pkgName_ = value; }
  // The shared part of renaming a kind found by name, under the caller's
  // configuration lock: while loading the name is only stored (false);
  // otherwise "User", and on a form "System", are refused with message 67
  // of "System", and the package goes to the end of its lookup list with
  // the new name (true: the caller refreshes what depends on the name).
  bool RenameFoundByName(const std::string& value, class TKyPkgList& list);

  TKyRegisterInitMode InitMode() const { return initMode_; }
  void SetInitMode(TKyRegisterInitMode value);
  const std::string& FileName() const { return fileName_; }
  void SetFileName(const std::string& value);
  const std::string& Description() const { return description_; }
  void SetDescription(const std::string& value);
  // The kind's extension until one is assigned.
  std::string DefaultExt() const;
  void SetDefaultExt(const std::string& value) { defaultExt_ = value; }
  bool FileOnly() const { return fileOnly_; }
  // Kinds that live only in files set it at construction.
  void SetFileOnly(bool value);

  virtual bool GetModified() const { return modified_; }
  virtual void SetModified(bool value) { modified_ = value; }
  bool Modified() const { return GetModified(); }
  TDateTime FileDate() const { return fileDate_; }
  // The bare name of the file being loaded or saved; empty otherwise.
  const std::string& CurrentFile() const { return currentFile_; }

  // Re-reads the file in rimFILE mode ("File '%s' not found" when missing).
  virtual void Reload();
  // Writes the file in rimFILE mode.
  virtual void Save();
  void LoadFromFile(const std::string& name);
  void SaveToFile(const std::string& name);
  // A whole package (header and body) from or to a stream at its position.
  void LoadFromStream(TStream& stream);
  void SaveToStream(TStream& stream);
  std::vector<uint8_t> SaveToBytes();

  // GetPath followed by FileName, with DefaultExt when it has no extension.
  std::string FullFileName() const;
  // The folder that prefixes FileName, ending with a separator when it is
  // the program's folder.
  virtual std::string GetPath() const;

  // While the form or the owning container loads it, or a reload runs.
  bool IsLoading() const;
  // Sets modified and fires OnChange, unless loading.
  virtual void Change();
  // Empties the content.
  virtual void Clear() {}

  TKyChangeLink& ChangeLink() { return *link_; }
  TNotifyEvent OnChange;

  // The "Data" handlers: the whole package as a blob in rimDFM.
  virtual void ReadData(TStream& stream);
  virtual void WriteData(TStream& stream);

  // The streamed parts of a package under names of an owner's choosing
  // ("PkgSetupInitMode"), for owners that embed packages in their own
  // stream; the ancestor is the same package of the ancestor form.
  void DefineInitMode(TFiler& filer, const std::string& name, const TKyPkgInfo* ancestor);
  void DefineFileName(TFiler& filer, const std::string& name, const TKyPkgInfo* ancestor);
  void DefineData(TFiler& filer, const std::string& name, TKyPkgInfo* ancestor);

  // Header and body; kinds implement both.
  virtual void ReadPackage(TKyReader& reader) = 0;
  virtual void WritePackage(TKyWriter& writer) = 0;

protected:
  void DefineProperties(TFiler& filer) override;
  // Fired by the change link at the end of a batch; empty here.
  virtual void LinkChanged() {}

  // Reads the header and checks it against Kind(): a wrong signature or a
  // version above HighestRead raises the kind's "System" message with the
  // package's file name. Returns the version.
  uint16_t ReadHeader(TKyReader& reader) { return ReadHeader(reader, Kind()); }
  // The same against another format the package reads.
  uint16_t ReadHeader(TKyReader& reader, const TKyPkgKind& kind);
  // The header with the kind's class word and current version.
  void WriteHeader(TKyWriter& writer) const;
  // Sets the description as read, without Change.
  void StoreDescription(const std::string& value) { description_ = value; }
  // The title of this package's errors: its name, or its owner's.
  std::string ErrorTitle() const;
  // The name that header messages show: the file being read, or the full
  // file name built from FileName.
  std::string HeaderFileName() const;

  // Whether the owner counts as a form for the name lookup and the reserved
  // names: any owner that is not a package container.
  bool IsFormOwned() const;

private:
  // False for a package of a container, which streams it under its own names.
  bool IsOwnStreamed() const;
  bool IsInitModeStored(const TKyPkgInfo* ancestor) const;
  bool IsDefaultExtStored() const;

  std::unique_ptr<TKyChangeLink> link_;
  std::unique_ptr<TKyConfigLink> loadLink_;
  std::string pkgName_;
  TKyRegisterInitMode initMode_ = rimDFM;
  std::string fileName_;
  std::string description_;
  std::optional<std::string> defaultExt_;
  bool modified_ = false;
  TDateTime fileDate_;
  std::string currentFile_;
  std::string currentPath_;  // the full name of that file, for messages
  bool fileOnly_ = false;

  friend class TKyPkgList;
};

// Runs fn with the package in its loading state (nested calls allowed).
void WithPkgLoading(TKyPkgInfo& pkg, const std::function<void()>& fn);
