// Privileges packages: the numbered privileges a program defines (each with
// a description and a level), the per-user access record that grants them
// levels, and the privilege objects through which controls follow them.
//
// Two formats share the package: the definitions ("KyPrivileges", what
// ReadPackage/WritePackage and the embedded "Data" carry) and the access
// record ("KyAccess", an "acc" file read by Reload and written by Save).
// Portable: no <windows.h>.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "packages/PkgInfo.h"
#include "packages/PkgStrings.h"

class TKyPkgPrivileges;

// Access levels: hidden, shown but locked, full.
inline constexpr uint8_t kPrivilegeHidden = 0;
inline constexpr uint8_t kPrivilegeLocked = 1;
inline constexpr uint8_t kPrivilegeFull = 2;

// ---- Items -------------------------------------------------------------------------

class TKyPkgPrivilegesItem {
public:
  ~TKyPkgPrivilegesItem();
  TKyPkgPrivilegesItem(const TKyPkgPrivilegesItem&) = delete;
  TKyPkgPrivilegesItem& operator=(const TKyPkgPrivilegesItem&) = delete;

  TKyPkgPrivileges& Package() const { return *package_; }
  int32_t Id() const { return id_; }
  void SetId(int32_t value);
  const std::string& Description() const { return description_; }
  void SetDescription(const std::string& value);
  // When it finds a label, the description follows the label's caption.
  TKyMemoryLabel& DescriptionLabel() { return label_; }
  const TKyMemoryLabel& DescriptionLabel() const { return label_; }
  void SetDescriptionLabel(const std::string& pkgName, int32_t id);
  uint8_t Level() const { return level_; }
  // Levels above kPrivilegeFull are refused.
  void SetLevel(uint8_t value);

private:
  friend class TKyPkgPrivileges;
  TKyPkgPrivilegesItem(TKyPkgPrivileges& package, int32_t id, std::string description, uint8_t level);
  void FollowLabel();

  TKyPkgPrivileges* package_;
  int32_t id_;
  std::string description_;
  TKyMemoryLabel label_;
  uint8_t level_;
};

// sender, the changed item (nullptr when several changed or the list did),
// and whether any level may have changed (false: descriptions only).
using TKyPkgPrivilegesNotifyPrivilegesChanged =
    TEvent<void(TObject* sender, TKyPkgPrivilegesItem* item, bool levels)>;

// ---- The application configuration, as privileges see it ------------------------

// Implemented by the application configuration next to IKyPkgApplication;
// found with dynamic_cast on FirstPkgApplication().
class IKyPrivilegesApplication {
public:
  virtual ~IKyPrivilegesApplication() = default;
  virtual TKyPkgPrivileges* Privileges() const = 0;
  virtual std::string PrivilegesKey() const = 0;
  virtual std::string PathPrivileges() const = 0;
  virtual std::string ApplicationName() const = 0;
};

IKyPrivilegesApplication* PrivilegesApplication();

// ---- Access records ----------------------------------------------------------------

// An access record as stored, strings already unscrambled: what pkgtool
// shows and what the package checks before it applies the levels.
struct TKyAccessRecord {
  std::string Description;
  std::string Key1;
  std::string FileName;  // the bare name of the file it was written as
  std::string Key2;      // version 2 on
  std::vector<std::pair<int32_t, int32_t>> Levels;  // Id, level
};

// Every character of a scrambled string is stored xor this byte.
inline constexpr uint8_t kAccessScramble = 0xA5;
std::string ScrambleAccessText(const std::string& text);

// The body after the header. Counts the data cannot hold and levels outside
// 0..2 are refused (EReadError naming fileForMessages) before anything is kept.
TKyAccessRecord ReadAccessBody(TKyReader& reader, uint16_t version, const std::string& fileForMessages);
void WriteAccessBody(TKyWriter& writer, const TKyAccessRecord& record);

// ---- The package -----------------------------------------------------------------------

class TKyPkgPrivileges : public TKyPkgInfo {
  KY_CLASS(TKyPkgPrivileges, TKyPkgInfo)
public:
  static constexpr TKyPkgKind kKind{"KyPrivileges", 2, 2, "acc", 62, 63};
  static constexpr TKyPkgKind kAccessKind{"KyAccess", 2, 2, "acc", 62, 63};
  static constexpr int kMsgAccessRefused = 90;

  explicit TKyPkgPrivileges(TComponent* owner);
  ~TKyPkgPrivileges() override;
  static void Publish(TPublisher<TKyPkgPrivileges>& p);
  const TKyPkgKind& Kind() const override { return kKind; }

  // The definitions' own name (they carry no description).
  const std::string& DefinitionsName() const { return definitionsName_; }
  void SetDefinitionsName(const std::string& value);
  // An access record must carry this key (or the application's) when it
  // carries any.
  const std::string& Key() const { return key_; }
  void SetKey(const std::string& value) { key_ = value; }

  int Count() const { return static_cast<int>(items_.size()); }
  TKyPkgPrivilegesItem* Items(int index) const { return items_.at(static_cast<size_t>(index)).get(); }
  // The first item of that id in list order, or nullptr.
  TKyPkgPrivilegesItem* FindItem(int32_t id) const;
  TKyPkgPrivilegesItem* AddItem(int32_t id, const std::string& description, uint8_t level);
  void DeleteItem(TKyPkgPrivilegesItem* item);

  // Changes made while an update is open are reported once, at its end.
  void BeginUpdate() { ++updateCount_; }
  void EndUpdate();
  int UpdateCount() const { return updateCount_; }
  // Reports a change of several items now (after the application loaded
  // the package, or when levels were granted elsewhere).
  void NotifyChanged();

  TKyPkgPrivilegesNotifyPrivilegesChanged OnPrivilegesChanged;

  void Clear() override;
  // Definitions.
  void ReadPackage(TKyReader& reader) override;
  void WritePackage(TKyWriter& writer) override;
  // The definitions are embedded whatever InitMode says: the mode and the
  // file name belong to the access record.
  void ReadData(TStream& stream) override;
  void WriteData(TStream& stream) override;

  // Access records. fileName is the file the record is read from or written
  // as (only its bare name counts; empty for a record kept elsewhere).
  void LoadAccess(TStream& stream, const std::string& fileName);
  void SaveAccess(TStream& stream, const std::string& fileName);
  void LoadAccessFromFile(const std::string& name);
  void SaveAccessToFile(const std::string& name);
  // In rimFILE mode: the access record of FullFileName.
  void Reload() override;
  void Save() override;
  // PathPrivileges of the application configuration, else the program's folder.
  std::string GetPath() const override;

private:
  friend class TKyPkgPrivilegesItem;
  using TItemList = std::vector<std::unique_ptr<TKyPkgPrivilegesItem>>;

  // A level, description or list change: reported now, counted inside an
  // update, dropped while loading. item nullptr: the list changed.
  void Changed(TKyPkgPrivilegesItem* item, bool levels);
  void ApplyChanges(TKyPkgPrivilegesItem* item, bool levels);
  // Runs fn inside an update, closing it on every way out.
  void WithUpdate(const std::function<void()>& fn);
  void RebuildIndex();
  void ClearContent();
  void ReadAccess(TKyReader& reader, const std::string& fileName);
  void WriteAccess(TKyWriter& writer, const std::string& fileName);
  [[noreturn]] void RefuseAccess() const;

  std::string definitionsName_;
  std::string key_;
  TItemList items_;
  std::vector<TKyPkgPrivilegesItem*> index_;  // by id, list order within one id
  int updateCount_ = 0;
  int pendingCount_ = 0;
  TKyPkgPrivilegesItem* pendingItem_ = nullptr;  // meaningful unless pendingSeveral_
  bool pendingSeveral_ = false;
  bool pendingLevels_ = false;
};

// ---- Privilege objects of controls ----------------------------------------------------

// Names the privilege that governs a control. Id -1: not governed.
class TKyPrivilege : public TPersistent {
  KY_CLASS(TKyPrivilege, TPersistent)
public:
  using TOwnerNotify = std::function<void(TKyPrivilege* sender)>;

  explicit TKyPrivilege(TPersistent* owner = nullptr);
  ~TKyPrivilege() override;

  int32_t Id() const { return id_; }
  void SetId(int32_t value);
  // The level of the application's item with this id; full access without
  // an application configuration, for Id below 0 or an id nobody defines.
  uint8_t Level() const;
  // The level last applied, which the owner shows.
  uint8_t AppliedLevel() const { return applied_; }
  // Applies Level(); tells the owner when it differs from the applied one.
  void Update();
  // What a control asked to be may be under this privilege: shown from
  // the locked level up, enabled only with full access.
  bool AllowsVisible(bool requested) const { return requested && Level() >= kPrivilegeLocked; }
  bool AllowsEnabled(bool requested) const { return requested && Level() == kPrivilegeFull; }

  TOwnerNotify OnChange;

  void Assign(const TPersistent* source) override;

  // Re-evaluates every live privilege object.
  static void UpdateAll();
  static int LiveCount();

protected:
  void DefineProperties(TFiler& filer) override;
  TPersistent* GetOwner() const override { return owner_; }

private:
  TPersistent* owner_;
  int32_t id_ = -1;
  uint8_t applied_ = kPrivilegeFull;
};

// Registers the privileges package class with the class registry.
void RegisterPrivilegesClasses();
