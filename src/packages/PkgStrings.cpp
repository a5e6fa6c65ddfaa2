#include "packages/PkgStrings.h"

#include <algorithm>
#include <type_traits>

#include "packages/MessageService.h"
#include "platform/base/Exception.h"
#include "platform/classes/FormStream.h"
#include "platform/base/SysUtils.h"

// ---- Entries ----

TKyPkgStringsEntry::~TKyPkgStringsEntry() { TKyMemoryReference::InvalidateEntry(this); }

void TKyPkgStringsEntry::Edit(const std::function<void()>& change) {
  package_->Edit([&] {
    TKyMemoryReference::InvalidateEntry(this);
    change();
  });
}

void TKyPkgStringsEntry::SetId(int32_t value) {
  if (value == id_) return;
  Edit([&] {
    // Another entry may now be the one an id finds.
    TKyMemoryReference::InvalidateTable(table_, package_);
    id_ = value;
    if (table_ == sttLabels) package_->RebuildIndex();
  });
}

void TKyPkgStringsLabel::SetCaption(const std::string& value) {
  if (value != caption_) Edit([&] { caption_ = value; });
}

void TKyPkgStringsLabel::SetHint(const std::string& value) {
  if (value != hint_) Edit([&] { hint_ = value; });
}

void TKyPkgStringsItem::SetText(const std::string& value) {
  if (value != text_) Edit([&] { text_ = value; });
}

template <class E>
E* TKyPkgStringsList<E>::Find(int32_t id) const {
  if (id < 0) return nullptr;
  if constexpr (std::is_same_v<E, TKyPkgStringsLabel>) {
    // Every paint asks for its caption: constant time through the index.
    if (static_cast<size_t>(id) < index_.size()) return index_[static_cast<size_t>(id)];
    auto it = far_.find(id);
    return it == far_.end() ? nullptr : it->second;
  } else {
    for (const auto& e : items_)
      if (e->Id() == id) return e.get();
    return nullptr;
  }
}

template class TKyPkgStringsList<TKyPkgStringsLabel>;
template class TKyPkgStringsList<TKyPkgStringsMessage>;
template class TKyPkgStringsList<TKyPkgStringsText>;

// ---- The package ----

TKyPkgList& TKyPkgStrings::List() {
  static TKyPkgList list(TKyPkgStrings::StaticClass());
  return list;
}

TKyPkgStrings::TKyPkgStrings(TComponent* owner)
    : TKyPkgInfo(owner), preserved_{kPreservedDefault, kPreservedDefault, kPreservedDefault, kPreservedDefault, 0} {
  List().Add(this);
}

TKyPkgStrings::~TKyPkgStrings() {
  TKyConfigLock lock;
  TKyChangeBatch batch;
  ClearContent();
  List().Remove(this);
  // References that showed this package's texts find another one of the
  // name, unless everything is going away.
  bool ownerGoing = Owner() && Owner()->IsDestroying();
  if (!ApplicationDestroying() && !ownerGoing) {
    for (auto t : {sttLabels, sttMessages, sttTexts}) TKyMemoryReference::InvalidateEmpty(t);
    for (auto t : {sttLabels, sttMessages, sttTexts}) TKyMemoryReference::NotifyPass(t);
  }
}

void TKyPkgStrings::Publish(TPublisher<TKyPkgStrings>&) {}

void TKyPkgStrings::Edit(const std::function<void()>& change) {
  TKyPkgChangeScope scope(*this);
  bool loading = scope.Loading();
  change();
  if (!loading) NotifyReferences();
  Change();
}

void TKyPkgStrings::InvalidateReferences() {
  for (auto t : {sttLabels, sttMessages, sttTexts}) TKyMemoryReference::InvalidateTable(t, this);
}

void TKyPkgStrings::NotifyReferences() {
  if (IsLoading() || ApplicationDestroying()) return;
  for (auto t : {sttLabels, sttMessages, sttTexts}) TKyMemoryReference::InvalidateEmpty(t);
  for (auto t : {sttLabels, sttMessages, sttTexts}) TKyMemoryReference::NotifyPass(t);
}

void TKyPkgStrings::ClearContent() {
  InvalidateReferences();
  labels_.index_.clear();
  labels_.far_.clear();
  labels_.items_.clear();
  messages_.items_.clear();
  texts_.items_.clear();
  preserved_ = {kPreservedDefault, kPreservedDefault, kPreservedDefault, kPreservedDefault, 0};
}

void TKyPkgStrings::IndexLabel(TKyPkgStringsLabel* label) {
  int32_t id = label->Id();
  if (id < 0) return;
  if (id <= kIndexLimit) {
    auto& index = labels_.index_;
    if (index.size() <= static_cast<size_t>(id)) index.resize(static_cast<size_t>(id) + 1, nullptr);
    index[static_cast<size_t>(id)] = label;
  } else {
    labels_.far_[id] = label;
  }
}

void TKyPkgStrings::RebuildIndex() {
  labels_.index_.clear();
  labels_.far_.clear();
  for (const auto& l : labels_.items_) IndexLabel(l.get());
}

TKyPkgStringsLabel* TKyPkgStrings::AddLabel(int32_t id, const std::string& caption, const std::string& hint) {
  TKyPkgStringsLabel* added = nullptr;
  Edit([&] {
    // The last label of an id is the one found: it may take over the id.
    TKyMemoryReference::InvalidateTable(sttLabels, this);
    labels_.items_.push_back(std::make_unique<TKyPkgStringsLabel>(*this, id, caption, hint));
    added = labels_.items_.back().get();
    IndexLabel(added);
  });
  return added;
}

TKyPkgStringsMessage* TKyPkgStrings::AddMessage(int32_t id, const std::string& text) {
  TKyPkgStringsMessage* added = nullptr;
  Edit([&] {
    messages_.items_.push_back(std::make_unique<TKyPkgStringsMessage>(*this, id, text));
    added = messages_.items_.back().get();
  });
  return added;
}

TKyPkgStringsText* TKyPkgStrings::AddText(int32_t id, const std::string& text) {
  TKyPkgStringsText* added = nullptr;
  Edit([&] {
    texts_.items_.push_back(std::make_unique<TKyPkgStringsText>(*this, id, text));
    added = texts_.items_.back().get();
  });
  return added;
}

void TKyPkgStrings::DeleteEntry(TKyPkgStringsEntry* entry) {
  if (!entry || &entry->Package() != this) return;
  Edit([&] {
    auto drop = [entry](auto& items) {
      std::erase_if(items, [entry](const auto& e) { return e.get() == entry; });
    };
    switch (entry->Table()) {
      case sttLabels:
        drop(labels_.items_);
        RebuildIndex();
        break;
      case sttMessages:
        drop(messages_.items_);
        break;
      case sttTexts:
        drop(texts_.items_);
        break;
    }
  });
}

void TKyPkgStrings::SetPreserved(int index, int32_t value) {
  if (preserved_.at(static_cast<size_t>(index)) == value) return;
  Edit([&] { preserved_[static_cast<size_t>(index)] = value; });
}

void TKyPkgStrings::Clear() {
  Edit([&] { ClearContent(); });
}

void TKyPkgStrings::SetPkgName(const std::string& value) {
  if (value == PkgName()) return;
  TKyConfigLock lock;
  if (!RenameFoundByName(value, List())) return;
  TKyChangeBatch batch;
  InvalidateReferences();
  NotifyReferences();
  Change();
}

bool TKyPkgStrings::IsActive() const {
  return !Trim(PkgName()).empty() && List().FirstNamed(PkgName()) == this;
}

void TKyPkgStrings::SetActive(bool active) {
  TKyConfigLock lock;
  TKyChangeBatch batch;
  if ((IsLoading() && !active) || List().Count() == 0 || Trim(PkgName()).empty()) return;
  auto* first = static_cast<TKyPkgStrings*>(List().FirstNamed(PkgName()));
  bool moved = false;
  if (active) {
    if (first != this) {
      List().MoveToFront(this);
      if (first) first->InvalidateReferences();
      moved = true;
    }
  } else if (first == this) {
    List().MoveToEnd(this);
    moved = true;
    if (List().FirstNamed(PkgName()) != this) InvalidateReferences();
  }
  if (moved && !ApplicationDestroying() && !IsLoading()) {
    for (auto t : {sttLabels, sttMessages, sttTexts}) TKyMemoryReference::InvalidateEmpty(t);
    for (auto t : {sttLabels, sttMessages, sttTexts}) TKyMemoryReference::NotifyPass(t);
  }
}

void TKyPkgStrings::Reload() {
  TKyPkgInfo::Reload();
  if (IsDesigning() && !dynamic_cast<const IKyPkgContainer*>(Owner())) {
    TKyConfigLock lock;
    TKyChangeBatch batch;
    for (auto t : {sttLabels, sttMessages, sttTexts}) TKyMemoryReference::InvalidateAll(t);
    NotifyReferences();
  }
}

void TKyPkgStrings::ReadPackage(TKyReader& reader) {
  TKyConfigLock lock;
  uint16_t version = ReadHeader(reader);
  StoreDescription(reader.ReadString());
  TKyPkgChangeScope scope(*this);
  bool loading = scope.Loading();
  ClearContent();
  // Negative counts hold nothing, as loops up to them read nothing.
  int32_t labelCount = std::max(reader.ReadInteger(), 0);
  int32_t messageCount = std::max(reader.ReadInteger(), 0);
  int32_t textCount = std::max(reader.ReadInteger(), 0);
  // Smallest encodings: an id of 2 bytes, each string 2 bytes.
  CheckPkgCount(reader, labelCount, 6, HeaderFileName(), "entries");
  CheckPkgCount(reader, messageCount, 4, HeaderFileName(), "entries");
  CheckPkgCount(reader, textCount, 4, HeaderFileName(), "entries");
  for (int32_t i = 0; i < labelCount; ++i) {
    int32_t id = reader.ReadInteger();
    std::string caption = reader.ReadString();
    std::string hint = reader.ReadString();
    labels_.items_.push_back(std::make_unique<TKyPkgStringsLabel>(*this, id, std::move(caption), std::move(hint)));
    IndexLabel(labels_.items_.back().get());
  }
  for (int32_t i = 0; i < messageCount; ++i) {
    int32_t id = reader.ReadInteger();
    messages_.items_.push_back(std::make_unique<TKyPkgStringsMessage>(*this, id, reader.ReadString()));
  }
  for (int32_t i = 0; i < textCount; ++i) {
    int32_t id = reader.ReadInteger();
    texts_.items_.push_back(std::make_unique<TKyPkgStringsText>(*this, id, reader.ReadString()));
  }
  if (version >= 3)
    for (int i = 0; i < 4; ++i) preserved_[static_cast<size_t>(i)] = reader.ReadInteger();
  if (version >= 4) preserved_[4] = reader.ReadInteger();
  if (!loading) NotifyReferences();
  Change();
}

void TKyPkgStrings::WritePackage(TKyWriter& writer) {
  WriteHeader(writer);
  writer.WriteString(Description());
  writer.WriteInteger(labels_.Count());
  writer.WriteInteger(messages_.Count());
  writer.WriteInteger(texts_.Count());
  for (const auto& l : labels_.items_) {
    writer.WriteInteger(l->Id());
    writer.WriteString(l->Caption());
    writer.WriteString(l->Hint());
  }
  for (const auto& m : messages_.items_) {
    writer.WriteInteger(m->Id());
    writer.WriteString(m->Text());
  }
  for (const auto& t : texts_.items_) {
    writer.WriteInteger(t->Id());
    writer.WriteString(t->Text());
  }
  for (int32_t v : preserved_) writer.WriteInteger(v);
}

TKyPkgStrings* FindStringsPackage(const std::string& name) {
  return static_cast<TKyPkgStrings*>(TKyPkgStrings::List().Find(name));
}

// ---- Reference objects ----

namespace {

TKyRefList<TKyMemoryReference>& Refs(TKyStringsTable table) {
  static TKyRefList<TKyMemoryReference> lists[3];
  return lists[table];
}

}  // namespace

TKyMemoryReference::TKyMemoryReference(TKyStringsTable table, TPersistent* owner) : table_(table), owner_(owner) {
  Refs(table_).Add(this);
}

TKyMemoryReference::TKyMemoryReference(TKyStringsTable table, TPersistent* owner, const std::string& defPkgName,
                                       int32_t defId)
    : table_(table), owner_(owner), key_(defPkgName, defId) {
  Refs(table_).Add(this);
}

TKyMemoryReference::~TKyMemoryReference() { Refs(table_).Remove(this); }

void TKyMemoryReference::SetPkgName(const std::string& value) {
  if (key_.SetPkgName(value)) Changed();
}

void TKyMemoryReference::SetId(int32_t value) {
  if (key_.SetId(value)) Changed();
}

void TKyMemoryReference::SetReference(const std::string& pkgName, int32_t id) {
  if (key_.SetReference(pkgName, id)) Changed();
}

TKyPkgStringsEntry* TKyMemoryReference::Lookup(const std::string& pkgName, int32_t id) const {
  TKyPkgStrings* pkg = FindStringsPackage(pkgName);
  if (!pkg) return nullptr;
  switch (table_) {
    case sttLabels:
      return pkg->FindLabel(id);
    case sttMessages:
      return pkg->FindMessage(id);
    case sttTexts:
      return pkg->FindText(id);
  }
  return nullptr;
}

TKyPkgStringsEntry* TKyMemoryReference::ResolveEntry() {
  return key_.Resolve([this](const std::string& name, int32_t id) { return Lookup(name, id); });
}

void TKyMemoryReference::Changed() {
  if (OnChange) OnChange(this);
}

void TKyMemoryReference::Assign(const TPersistent* source) {
  auto* s = dynamic_cast<const TKyMemoryReference*>(source);
  if (!s || &s->ClassType() != &ClassType()) {
    TPersistent::Assign(source);
    return;
  }
  if (key_.CopyFrom(s->key_)) Changed();
}

void TKyMemoryReference::DefineProperties(TFiler& filer) {
  TPersistent::DefineProperties(filer);
  TPersistent* a = filer.Ancestor();
  auto* anc = (a && &a->ClassType() == &ClassType()) ? static_cast<const TKyMemoryReference*>(a) : nullptr;
  key_.Define(
      filer, anc ? &anc->key_ : nullptr, a != nullptr, [this](const std::string& v) { SetPkgName(v); },
      [this](int32_t v) { SetId(v); });
}

void TKyMemoryReference::InvalidateTable(TKyStringsTable table, const TKyPkgStrings* package) {
  Refs(table).ForEach([package](TKyMemoryReference* r) {
    if (r->key_.Cached() && &r->key_.Cached()->Package() == package) r->key_.Invalidate();
  });
}

void TKyMemoryReference::InvalidateEntry(const TKyPkgStringsEntry* entry) {
  Refs(entry->Table()).ForEach([entry](TKyMemoryReference* r) {
    if (r->key_.Cached() == entry) r->key_.Invalidate();
  });
}

void TKyMemoryReference::InvalidateEmpty(TKyStringsTable table) {
  Refs(table).ForEach([](TKyMemoryReference* r) {
    if (r->key_.Resolved() && !r->key_.Cached()) r->key_.Invalidate();
  });
}

void TKyMemoryReference::InvalidateAll(TKyStringsTable table) {
  Refs(table).ForEach([](TKyMemoryReference* r) { r->key_.Invalidate(); });
}

void TKyMemoryReference::NotifyPass(TKyStringsTable table) {
  TKyChangeBatch batch;
  bool changed = false;
  Refs(table).ForEach([&changed](TKyMemoryReference* r) {
    if (r->key_.Renotify([r](const std::string& name, int32_t id) { return r->Lookup(name, id); })) {
      changed = true;
      r->Changed();
    }
  });
  if (changed) NotifyPassListeners();
}

int TKyMemoryReference::LiveCount(TKyStringsTable table) { return Refs(table).LiveCount(); }

std::string TKyMemoryLabel::Caption() {
  TKyPkgStringsLabel* e = Resolve();
  return e ? e->Caption() : std::string();
}

std::string TKyMemoryLabel::Hint() {
  TKyPkgStringsLabel* e = Resolve();
  return e ? e->Hint() : std::string();
}

std::string TKyMemoryMessage::Text() {
  TKyPkgStringsMessage* e = Resolve();
  return e ? e->Text() : std::string();
}

std::string TKyMemoryText::Text() {
  TKyPkgStringsText* e = Resolve();
  return e ? e->Text() : std::string();
}

void RegisterPackageClasses() { RegisterClasses({&TKyPkgStrings::StaticClass()}); }
