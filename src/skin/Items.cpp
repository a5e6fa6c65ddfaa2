#include "skin/Items.h"

#include "platform/base/Exception.h"
#include "platform/base/SysUtils.h"
#include "platform/classes/StringList.h"

// ---- TKyCollection ----

TKyCollection::TKyCollection(const TClassInfo& itemClass, TComponent* owner)
    : TCollection(itemClass, owner), owner_(owner) {}

void TKyCollection::BeginUpdate() { TCollection::BeginUpdate(); }

void TKyCollection::EndUpdate() {
  bool last = UpdateCount() == 1;
  TCollection::EndUpdate();
  if (last) Report(kItemsAll, nullptr);
}

void TKyCollection::Report(int kind, TCollectionItem* item) {
  if (!owner_ || owner_->IsLoading() || owner_->IsDestroying() || UpdateCount() > 0 || quiet_ > 0) return;
  ItemsChanged(kind, item);
}

void TKyCollection::ItemsChanged(int kind, TCollectionItem* item) {
  if (OnItemsChanged) OnItemsChanged(this, kind, item);
}

void TKyCollection::Update(TCollectionItem* /*item*/) {}

void TKyCollection::Notify(TCollectionItem* item, TCollectionNotification action) {
  TCollection::Notify(item, action);
  if (action == cnDeleting) Report(kItemDeleted, item);
}

// ---- TKyCollectionItem ----

void TKyCollectionItem::Publish(TPublisher<TKyCollectionItem>& p) {
  p.Property("Index", &TKyCollectionItem::GetIndex, &TKyCollectionItem::SetIndex).Stored(false);
}

void TKyCollectionItem::SetIndex(int value) {
  if (value == Index()) return;
  TCollectionItem::SetIndex(value);
  Report(kItemMoved);
}

void TKyCollectionItem::Report(int kind) {
  if (TKyCollection* c = KyCollection()) c->Report(kind, this);
}

// ---- TKyItem ----

TKyItem::TKyItem(TCollection* collection)
    : TKyCollectionItem(collection),
      image_(std::make_unique<TKyMemoryImage>(this)),
      descriptionId_(std::make_unique<TKyMemoryLabel>(this)) {
  // A new picture: the whole entry draws again.
  image_->OnChange = [this](TKyMemoryImage*) { Report(kItemsAll); };
  descriptionId_->OnChange = [this](TKyMemoryReference*) { Report(kItemText); };
}

TKyItem::~TKyItem() = default;

void TKyItem::Publish(TPublisher<TKyItem>& p) {
  p.Property("Visible", &TKyItem::Visible, &TKyItem::SetVisible).Default(true);
  p.Property("Enabled", &TKyItem::Enabled, &TKyItem::SetEnabled).Default(true);
  p.Property("Value", &TKyItem::Value, &TKyItem::SetValue);
  p.Property("Description", &TKyItem::DescriptionText, &TKyItem::SetDescription);
  p.Property("Image", &TKyItem::Image);
  p.Property("DescriptionId", &TKyItem::DescriptionId);
}

void TKyItem::SetVisible(bool value) {
  if (value == visible_) return;
  visible_ = value;
  Report(kItemsAll);
}

void TKyItem::SetEnabled(bool value) {
  if (value == enabled_) return;
  enabled_ = value;
  Report(kItemText);
}

void TKyItem::SetValue(const std::string& value) {
  if (value == value_) return;
  TKyCollection* c = KyCollection();
  bool reading = c && c->OwnerComponent() && c->OwnerComponent()->ComponentState().Contains(csReading);
  if (description_ == value_ && !reading) description_ = value;
  value_ = value;
  Report(kItemValue);
  if (description_.empty() || description_ == value_) Report(kItemText);
}

std::string TKyItem::Description() const {
  if (descriptionId_->Id() >= 0) return descriptionId_->Caption();
  if (!Trim(description_).empty()) return description_;
  return value_;
}

void TKyItem::SetDescription(const std::string& value) {
  if (value == description_) return;
  description_ = value;
  Report(kItemText);
}

void TKyItem::Assign(const TPersistent* source) {
  auto* src = dynamic_cast<const TKyItem*>(source);
  if (!src) {
    TKyCollectionItem::Assign(source);
    return;
  }
  TKyCollection* c = KyCollection();
  if (c) c->BeginUpdate();
  try {
    SetEnabled(src->enabled_);
    SetVisible(src->visible_);
    SetValue(src->value_);
    SetDescription(src->description_);
    image_->Assign(src->image_.get());
    descriptionId_->Assign(src->descriptionId_.get());
    data_ = src->data_;
  } catch (...) {
    if (c) c->EndUpdate();
    throw;
  }
  if (c) c->EndUpdate();
}

std::string TKyItem::DisplayName() const {
  std::string shown = Description();
  return shown.empty() ? TKyCollectionItem::DisplayName() : shown;
}

// ---- TKyStateItem ----

void TKyStateItem::Publish(TPublisher<TKyStateItem>& p) {
  p.Property("State", &TKyStateItem::State, &TKyStateItem::SetState).Default(cksUnChecked);
}

void TKyStateItem::SetState(TKyCheckState value) {
  if (value == state_) return;
  state_ = value;
  Report(kItemState);
}

void TKyStateItem::Assign(const TPersistent* source) {
  TKyItem::Assign(source);
  if (auto* src = dynamic_cast<const TKyStateItem*>(source)) SetState(src->state_);
}

// ---- TKyItems ----

namespace {

// Runs fill in a quiet section of c: the item reports once, at the end.
template <class F>
void Quietly(TKyCollection& c, F&& fill) {
  c.BeginQuiet();
  try {
    fill();
  } catch (...) {
    c.EndQuiet();
    throw;
  }
  c.EndQuiet();
}

bool OwnerLoading(const TKyCollection& c) { return c.OwnerComponent() && c.OwnerComponent()->IsLoading(); }

}  // namespace

TKyItem* TKyItems::Add() {
  TKyItem* item = nullptr;
  Quietly(*this, [&] {
    item = static_cast<TKyItem*>(TCollection::Add());
    if (!OwnerLoading(*this)) item->value_ = std::to_string(item->Index());
  });
  Report(kItemAdded, item);
  return item;
}

TKyItem* TKyItems::Add(const std::string& value, const std::string& description, TObject* data, int32_t imageId,
                       const std::string& imagePkgName) {
  TKyItem* item = nullptr;
  Quietly(*this, [&] {
    item = static_cast<TKyItem*>(TCollection::Add());
    item->SetValue(value);
    item->SetDescription(description);
    item->SetData(data);
    item->Image()->SetReference(imagePkgName, imageId);
  });
  Report(kItemAdded, item);
  return item;
}

TKyItem* TKyItems::Insert(int index) {
  if (index < 0 || index > Count()) throw EListError(Format("List index out of bounds (%d)", {int64_t(index)}));
  TKyItem* item = nullptr;
  Quietly(*this, [&] {
    item = static_cast<TKyItem*>(TCollection::Add());
    item->SetIndex(index);
    if (!OwnerLoading(*this)) item->value_ = std::to_string(item->Index());
  });
  Report(kItemInserted, item);
  return item;
}

void TKyItems::Clear() {
  if (Count() == 0) return;
  BeginUpdate();
  try {
    while (Count() > 0) Delete(0);
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

TKyItem* TKyItems::FindValue(const std::string& text) const {
  for (int i = 0; i < Count(); ++i)
    if (SameText(Items(i)->Value(), text)) return Items(i);
  return nullptr;
}

void TKyItems::Assign(const TPersistent* source) {
  auto* items = dynamic_cast<const TKyItems*>(source);
  auto* strings = dynamic_cast<const TStrings*>(source);
  if (!items && !strings) {
    TKyCollection::Assign(source);
    return;
  }
  BeginUpdate();
  try {
    Clear();
    if (items) {
      for (int i = 0; i < items->Count(); ++i) Add()->Assign(items->Items(i));
    } else {
      for (int i = 0; i < strings->Count(); ++i) Add()->SetValue(strings->Strings(i));
    }
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}
