// Strings packages: labels (caption and hint), messages and long texts by
// id, and the reference objects through which controls show them. Several
// packages may share a name (one per language); the front one of the
// process-wide list is active. Portable: no <windows.h>.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "packages/PkgInfo.h"
#include "packages/PkgReference.h"

class TKyPkgStrings;
class TKyMemoryReference;

// ---- Entries and their containers ----------------------------------------------

enum TKyStringsTable : uint8_t { sttLabels, sttMessages, sttTexts };

class TKyPkgStringsEntry {
public:
  virtual ~TKyPkgStringsEntry();
  TKyPkgStringsEntry(const TKyPkgStringsEntry&) = delete;
  TKyPkgStringsEntry& operator=(const TKyPkgStringsEntry&) = delete;

  int32_t Id() const { return id_; }
  void SetId(int32_t value);
  TKyPkgStrings& Package() const { return *package_; }
  TKyStringsTable Table() const { return table_; }

protected:
  TKyPkgStringsEntry(TKyPkgStrings& package, TKyStringsTable table, int32_t id)
      : package_(&package), table_(table), id_(id) {}
  // Runs one edit of this entry with invalidation and notification.
  void Edit(const std::function<void()>& change);

private:
  friend class TKyPkgStrings;
  TKyPkgStrings* package_;
  TKyStringsTable table_;
  int32_t id_;
};

class TKyPkgStringsLabel : public TKyPkgStringsEntry {
public:
  TKyPkgStringsLabel(TKyPkgStrings& package, int32_t id, std::string caption, std::string hint)
      : TKyPkgStringsEntry(package, sttLabels, id), caption_(std::move(caption)), hint_(std::move(hint)) {}
  const std::string& Caption() const { return caption_; }
  const std::string& Hint() const { return hint_; }
  void SetCaption(const std::string& value);
  void SetHint(const std::string& value);

private:
  std::string caption_;
  std::string hint_;
};

// A message or a text: an id and one string.
class TKyPkgStringsItem : public TKyPkgStringsEntry {
public:
  TKyPkgStringsItem(TKyPkgStrings& package, TKyStringsTable table, int32_t id, std::string text)
      : TKyPkgStringsEntry(package, table, id), text_(std::move(text)) {}
  const std::string& Text() const { return text_; }
  void SetText(const std::string& value);

private:
  std::string text_;
};

class TKyPkgStringsMessage : public TKyPkgStringsItem {
public:
  TKyPkgStringsMessage(TKyPkgStrings& package, int32_t id, std::string text)
      : TKyPkgStringsItem(package, sttMessages, id, std::move(text)) {}
};

class TKyPkgStringsText : public TKyPkgStringsItem {
public:
  TKyPkgStringsText(TKyPkgStrings& package, int32_t id, std::string text)
      : TKyPkgStringsItem(package, sttTexts, id, std::move(text)) {}
};

// One table in file order. Editing through it runs the change protocol.
template <class E>
class TKyPkgStringsList {
public:
  int Count() const { return static_cast<int>(items_.size()); }
  E* Items(int index) const { return items_.at(static_cast<size_t>(index)).get(); }
  // Messages and texts: the first entry of that id; labels: the index.
  E* Find(int32_t id) const;

private:
  friend class TKyPkgStrings;
  std::vector<std::unique_ptr<E>> items_;
  // Labels only: position n holds the entry of id n (the last read wins).
  std::vector<E*> index_;
  // Ids too large for the index list (a damaged or odd file must not make
  // it gigabytes long) are kept here, still found in constant time.
  std::unordered_map<int32_t, E*> far_;
};

using TKyPkgStringsLabels = TKyPkgStringsList<TKyPkgStringsLabel>;
using TKyPkgStringsMessages = TKyPkgStringsList<TKyPkgStringsMessage>;
using TKyPkgStringsTexts = TKyPkgStringsList<TKyPkgStringsText>;

// ---- The package ---------------------------------------------------------------------

class TKyPkgStrings : public TKyPkgInfo {
  KY_CLASS(TKyPkgStrings, TKyPkgInfo)
public:
  static constexpr TKyPkgKind kKind{"KyPkgStrings", 4, 4, "pst", 46, 47};
  static constexpr int32_t kPreservedDefault = 2147483647;
  // Ids from 0 up to this one are held in the label index list.
  static constexpr int32_t kIndexLimit = 1 << 20;

  explicit TKyPkgStrings(TComponent* owner);
  ~TKyPkgStrings() override;
  static void Publish(TPublisher<TKyPkgStrings>& p);
  const TKyPkgKind& Kind() const override { return kKind; }

  // Every strings package, the active one of each name first.
  static TKyPkgList& List();

  const TKyPkgStringsLabels& Labels() const { return labels_; }
  const TKyPkgStringsMessages& Messages() const { return messages_; }
  const TKyPkgStringsTexts& Texts() const { return texts_; }
  TKyPkgStringsLabel* FindLabel(int32_t id) const { return labels_.Find(id); }
  TKyPkgStringsMessage* FindMessage(int32_t id) const { return messages_.Find(id); }
  TKyPkgStringsText* FindText(int32_t id) const { return texts_.Find(id); }

  // Editing, each one change with invalidation and notification.
  TKyPkgStringsLabel* AddLabel(int32_t id, const std::string& caption, const std::string& hint = "");
  TKyPkgStringsMessage* AddMessage(int32_t id, const std::string& text);
  TKyPkgStringsText* AddText(int32_t id, const std::string& text);
  void DeleteEntry(TKyPkgStringsEntry* entry);

  // Four integers kept with the package (default 2147483647) and a fifth
  // (default 0); the library does not interpret them.
  int32_t Preserved(int index) const { return preserved_.at(static_cast<size_t>(index)); }
  void SetPreserved(int index, int32_t value);

  // Refuses "System" (on a form) and "User" with message 67.
  void SetPkgName(const std::string& value) override;
  // Makes this package the active one of its name, or stops it being so.
  void SetActive(bool active);
  bool IsActive() const;

  void Clear() override;
  void Reload() override;
  void ReadPackage(TKyReader& reader) override;
  void WritePackage(TKyWriter& writer) override;

  // Drops every cache that points into this package.
  void InvalidateReferences();
  // The pass after a change: references that found nothing try again, and
  // every invalid linked reference resolves and tells its owner.
  void NotifyReferences();

private:
  friend class TKyPkgStringsEntry;
  void ClearContent();
  void IndexLabel(TKyPkgStringsLabel* label);
  void RebuildIndex();
  // Runs an edit: lock, batch unless loading, the change, the pass, Change.
  void Edit(const std::function<void()>& change);

  TKyPkgStringsLabels labels_;
  TKyPkgStringsMessages messages_;
  TKyPkgStringsTexts texts_;
  std::vector<int32_t> preserved_;
};

// The active strings package of that name ("System" and "User": the
// application configuration's), or nullptr.
TKyPkgStrings* FindStringsPackage(const std::string& name);

// ---- Reference objects -------------------------------------------------------------------

// A package name and an id, resolved through the active package of that
// name. Id -1: not linked; -2: the default reference given at creation.
class TKyMemoryReference : public TPersistent {
  KY_CLASS(TKyMemoryReference, TPersistent)
public:
  using TOwnerNotify = std::function<void(TKyMemoryReference* sender)>;

  ~TKyMemoryReference() override;

  const std::string& PkgName() const { return key_.PkgName(); }
  void SetPkgName(const std::string& value);
  int32_t Id() const { return key_.Id(); }
  void SetId(int32_t value);
  void SetReference(const std::string& pkgName, int32_t id);
  bool HasDefault() const { return key_.HasDefault(); }
  const std::string& DefaultPkgName() const { return key_.DefaultPkgName(); }
  int32_t DefaultId() const { return key_.DefaultId(); }

  // Usable: an application configuration exists and the reference names an
  // entry (Id >= 0 with a package name) or its default (Id -2).
  bool IsLinked() const { return key_.IsLinked(); }
  // The entry, cached until a package change invalidates it.
  TKyPkgStringsEntry* ResolveEntry();
  bool Resolved() const { return key_.Resolved(); }

  // Told whenever the resolved text may have changed.
  TOwnerNotify OnChange;

  void Assign(const TPersistent* source) override;

  // Cache passes over every live reference of the given table.
  static void InvalidateTable(TKyStringsTable table, const TKyPkgStrings* package);
  static void InvalidateEntry(const TKyPkgStringsEntry* entry);
  static void InvalidateEmpty(TKyStringsTable table);
  static void InvalidateAll(TKyStringsTable table);
  static void NotifyPass(TKyStringsTable table);
  // Live references of a table, for tests and the application configuration.
  static int LiveCount(TKyStringsTable table);

protected:
  TKyMemoryReference(TKyStringsTable table, TPersistent* owner);
  TKyMemoryReference(TKyStringsTable table, TPersistent* owner, const std::string& defPkgName, int32_t defId);
  void DefineProperties(TFiler& filer) override;
  TPersistent* GetOwner() const override { return owner_; }
  // The notification to the owner; by default OnChange.
  virtual void Changed();

private:
  TKyPkgStringsEntry* Lookup(const std::string& pkgName, int32_t id) const;

  TKyStringsTable table_;
  TPersistent* owner_;
  TKyRefKey<TKyPkgStringsEntry> key_;
};

class TKyMemoryLabel : public TKyMemoryReference {
  KY_CLASS(TKyMemoryLabel, TKyMemoryReference)
public:
  explicit TKyMemoryLabel(TPersistent* owner = nullptr) : TKyMemoryReference(sttLabels, owner) {}
  TKyMemoryLabel(TPersistent* owner, const std::string& defPkgName, int32_t defId)
      : TKyMemoryReference(sttLabels, owner, defPkgName, defId) {}
  TKyPkgStringsLabel* Resolve() { return static_cast<TKyPkgStringsLabel*>(ResolveEntry()); }
  std::string Caption();
  std::string Hint();
};

class TKyMemoryMessage : public TKyMemoryReference {
  KY_CLASS(TKyMemoryMessage, TKyMemoryReference)
public:
  explicit TKyMemoryMessage(TPersistent* owner = nullptr) : TKyMemoryReference(sttMessages, owner) {}
  TKyMemoryMessage(TPersistent* owner, const std::string& defPkgName, int32_t defId)
      : TKyMemoryReference(sttMessages, owner, defPkgName, defId) {}
  TKyPkgStringsMessage* Resolve() { return static_cast<TKyPkgStringsMessage*>(ResolveEntry()); }
  std::string Text();
};

class TKyMemoryText : public TKyMemoryReference {
  KY_CLASS(TKyMemoryText, TKyMemoryReference)
public:
  explicit TKyMemoryText(TPersistent* owner = nullptr) : TKyMemoryReference(sttTexts, owner) {}
  TKyMemoryText(TPersistent* owner, const std::string& defPkgName, int32_t defId)
      : TKyMemoryReference(sttTexts, owner, defPkgName, defId) {}
  TKyPkgStringsText* Resolve() { return static_cast<TKyPkgStringsText*>(ResolveEntry()); }
  std::string Text();
};

// Registers the package classes with the class registry (form streams).
void RegisterPackageClasses();
