#include "platform/classes/Collection.h"

#include <algorithm>

#include "platform/base/SysUtils.h"

namespace {

[[noreturn]] void IndexError(int index) {
  throw EListError(Format("List index out of bounds (%d)", {int64_t(index)}));
}

}  // namespace

// ---- TCollectionItem ----

TCollectionItem::TCollectionItem(TCollection* collection) {
  if (collection) collection->InsertItem(this);
}

TCollectionItem::~TCollectionItem() {
  // Only the base part is left here, so the collection is not asked to
  // look at the item (no Notify); its owner still hears of the change.
  if (collection_) collection_->RemoveItem(this, false);
}

void TCollectionItem::SetCollection(TCollection* value) {
  if (value == collection_) return;
  if (collection_) collection_->RemoveItem(this, true);
  if (value) {
    value->InsertItem(this);
    value->Notify(this, cnAdded);
    value->Changed();
  }
}

int TCollectionItem::Index() const {
  if (!collection_) return -1;
  const auto& items = collection_->items_;
  return static_cast<int>(std::find(items.begin(), items.end(), this) - items.begin());
}

void TCollectionItem::SetIndex(int value) {
  int cur = Index();
  if (cur < 0 || cur == value) return;
  collection_->MoveItem(cur, value);
  Changed(true);
}

std::string TCollectionItem::DisplayName() const { return ClassName(); }

std::string TCollectionItem::GetNamePath() const {
  if (!collection_) return ClassName();
  return Format("%s[%d]", {collection_->GetNamePath(), int64_t(Index())});
}

void TCollectionItem::Changed(bool allItems) {
  if (collection_ && collection_->updateCount_ == 0) collection_->Update(allItems ? nullptr : this);
}

TPersistent* TCollectionItem::GetOwner() const { return collection_; }

// ---- TCollection ----

TCollection::TCollection(const TClassInfo& itemClass, TPersistent* owner) : itemClass_(itemClass), owner_(owner) {
  if (!itemClass.InheritsFrom(TCollectionItem::StaticClass()) || !itemClass.Creatable())
    throw EConvertError("Class " + itemClass.Name() + " is not a collection item class");
}

TCollection::~TCollection() {
  // Nothing is reported while the collection goes away.
  ++updateCount_;
  while (!items_.empty()) delete items_.back();
}

TCollectionItem* TCollection::Items(int index) const {
  if (index < 0 || index >= Count()) IndexError(index);
  return items_[static_cast<size_t>(index)];
}

TCollectionItem* TCollection::Add() {
  auto* item = static_cast<TCollectionItem*>(itemClass_.CreateInstance(this));
  // Reported only now that the item is complete.
  Notify(item, cnAdded);
  Changed();
  return item;
}

TCollectionItem* TCollection::Insert(int index) {
  if (index < 0 || index > Count()) IndexError(index);
  BeginUpdate();
  TCollectionItem* item;
  try {
    item = Add();
    MoveItem(Count() - 1, index);
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
  return item;
}

void TCollection::Delete(int index) {
  TCollectionItem* item = Items(index);
  Notify(item, cnDeleting);
  RemoveItem(item, true);
  delete item;
}

void TCollection::Clear() {
  if (items_.empty()) return;
  BeginUpdate();
  try {
    while (!items_.empty()) Delete(Count() - 1);
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

TCollectionItem* TCollection::FindItemID(int id) const {
  for (TCollectionItem* item : items_)
    if (item->id_ == id) return item;
  return nullptr;
}

void TCollection::BeginUpdate() { ++updateCount_; }

void TCollection::EndUpdate() {
  if (updateCount_ > 0) --updateCount_;
  Changed();
}

void TCollection::Assign(const TPersistent* source) {
  auto* other = dynamic_cast<const TCollection*>(source);
  if (!other) {
    TPersistent::Assign(source);
    return;
  }
  if (other == this) return;
  BeginUpdate();
  try {
    Clear();
    for (TCollectionItem* item : other->items_) Add()->Assign(item);
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

std::string TCollection::GetNamePath() const {
  if (!owner_) return ClassName();
  std::string ownerPath = owner_->GetNamePath();
  // The name of the owner's property that holds this collection.
  for (const TPropInfo* p : owner_->ClassType().Properties())
    if (p->Kind == tkClass && p->GetObj(*owner_) == this) return ownerPath.empty() ? p->Name : ownerPath + "." + p->Name;
  return ownerPath;
}

void TCollection::Update(TCollectionItem* item) {
  if (OnUpdate) OnUpdate(this, item);
}

void TCollection::Notify(TCollectionItem*, TCollectionNotification) {}

void TCollection::Changed() {
  if (updateCount_ == 0) Update(nullptr);
}

void TCollection::InsertItem(TCollectionItem* item) {
  items_.push_back(item);
  item->collection_ = this;
  item->id_ = nextId_++;
}

void TCollection::RemoveItem(TCollectionItem* item, bool notify) {
  if (notify) Notify(item, cnExtracting);
  auto it = std::find(items_.begin(), items_.end(), item);
  if (it != items_.end()) items_.erase(it);
  item->collection_ = nullptr;
  Changed();
}

void TCollection::MoveItem(int from, int to) {
  if (to < 0 || to >= Count()) IndexError(to);
  TCollectionItem* item = items_[static_cast<size_t>(from)];
  items_.erase(items_.begin() + from);
  items_.insert(items_.begin() + to, item);
}
