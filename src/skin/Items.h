// Item collections: the entries of list boxes, radio groups and combo
// boxes. Each entry has a value, a shown description (possibly from a
// strings package), an image, visible and enabled flags and, for list and
// combo boxes, a check state. Every change reaches the owning control with
// a change kind, so that it updates only what changed.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "packages/PkgImages.h"
#include "packages/PkgStrings.h"
#include "platform/classes/Collection.h"
#include "skin/MarkBlocks.h"

class TStrings;


// What changed, as reported to the owner.
inline constexpr int kItemsAll = 0;        // end of a batch: everything
inline constexpr int kItemInserted = 1;
inline constexpr int kItemAdded = 2;
inline constexpr int kItemDeleted = 3;
inline constexpr int kItemText = 4;        // the shown text
inline constexpr int kItemState = 5;       // the check state
inline constexpr int kItemMoved = 8;
inline constexpr int kItemValue = 10;

class TKyCollection : public TCollection {
  KY_CLASS(TKyCollection, TCollection)
public:
  TKyCollection(const TClassInfo& itemClass, TComponent* owner);

  TComponent* OwnerComponent() const { return owner_; }

  // A batch: nothing is reported until the last one ends, which reports
  // kItemsAll.
  void BeginUpdate() override;
  void EndUpdate() override;
  // While an item is being filled in: only the final report goes out.
  void BeginQuiet() { ++quiet_; }
  void EndQuiet() {
    if (quiet_ > 0) --quiet_;
  }

  // Reports a change when the owner is a live, loaded component and no
  // batch or quiet section is open.
  void Report(int kind, TCollectionItem* item);

  // Told of every reported change; controls' own collections may instead
  // override ItemsChanged.
  std::function<void(TKyCollection* sender, int kind, TCollectionItem* item)> OnItemsChanged;

protected:
  virtual void ItemsChanged(int kind, TCollectionItem* item);
  // The platform collection's own reports are replaced by the kinds.
  void Update(TCollectionItem* item) override;
  void Notify(TCollectionItem* item, TCollectionNotification action) override;

private:
  TComponent* owner_;
  int quiet_ = 0;
};

class TKyCollectionItem : public TCollectionItem {
  KY_CLASS(TKyCollectionItem, TCollectionItem)
public:
  explicit TKyCollectionItem(TCollection* collection) : TCollectionItem(collection) {}
  static void Publish(TPublisher<TKyCollectionItem>& p);
  // Moving an item reports kItemMoved.
  void SetIndex(int value) override;
  int GetIndex() const { return Index(); }

protected:
  TKyCollection* KyCollection() const { return dynamic_cast<TKyCollection*>(Collection()); }
  void Report(int kind);
};

class TKyItem : public TKyCollectionItem {
  KY_CLASS(TKyItem, TKyCollectionItem)
public:
  explicit TKyItem(TCollection* collection);
  ~TKyItem() override;
  static void Publish(TPublisher<TKyItem>& p);

  // Supplied by the owner; copied by Assign, never owned.
  TObject* Data() const { return data_; }
  void SetData(TObject* value) { data_ = value; }
  bool Visible() const { return visible_; }
  void SetVisible(bool value);
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool value);
  const std::string& Value() const { return value_; }
  // A description that showed the old value follows the new one.
  void SetValue(const std::string& value);
  // The shown text: the label of DescriptionId when it has an id, else the
  // stored description unless blank, else the value.
  std::string Description() const;
  // The stored description (what forms keep).
  const std::string& DescriptionText() const { return description_; }
  void SetDescription(const std::string& value);
  TKyMemoryImage* Image() const { return image_.get(); }
  void SetImage(const TKyMemoryImage* value) { image_->Assign(value); }
  TKyMemoryLabel* DescriptionId() const { return descriptionId_.get(); }
  void SetDescriptionId(const TKyMemoryLabel* value) { descriptionId_->Assign(value); }

  void Assign(const TPersistent* source) override;
  std::string DisplayName() const override;

private:
  // New items take their index as value without a description following it.
  friend class TKyItems;
  TObject* data_ = nullptr;
  bool visible_ = true;
  bool enabled_ = true;
  std::string value_;
  std::string description_;
  std::unique_ptr<TKyMemoryImage> image_;
  std::unique_ptr<TKyMemoryLabel> descriptionId_;
};

class TKyStateItem : public TKyItem {
  KY_CLASS(TKyStateItem, TKyItem)
public:
  explicit TKyStateItem(TCollection* collection) : TKyItem(collection) {}
  static void Publish(TPublisher<TKyStateItem>& p);
  TKyCheckState State() const { return state_; }
  void SetState(TKyCheckState value);
  void Assign(const TPersistent* source) override;

private:
  TKyCheckState state_ = cksUnChecked;
};

class TKyItems : public TKyCollection {
  KY_CLASS(TKyItems, TKyCollection)
public:
  explicit TKyItems(TComponent* owner, const TClassInfo& itemClass = TKyItem::StaticClass())
      : TKyCollection(itemClass, owner) {}

  TKyItem* Items(int index) const { return static_cast<TKyItem*>(TCollection::Items(index)); }
  // A new item whose value is its index (unless the owner is loading).
  TKyItem* Add();
  // The same, filled in before the single report.
  TKyItem* Add(const std::string& value, const std::string& description, TObject* data = nullptr,
               int32_t imageId = -1, const std::string& imagePkgName = "");
  // 0 <= index <= Count, else "List index out of bounds (%d)".
  TKyItem* Insert(int index);
  // One report for the whole clearing.
  void Clear();
  // The first item whose value equals text without regard to case.
  TKyItem* FindValue(const std::string& text) const;

  // From items: one item per source item; from a string list: one item per
  // string, the string as value; otherwise the collection's own copy.
  void Assign(const TPersistent* source) override;
};

class TKyStateItems : public TKyItems {
  KY_CLASS(TKyStateItems, TKyItems)
public:
  explicit TKyStateItems(TComponent* owner, const TClassInfo& itemClass = TKyStateItem::StaticClass())
      : TKyItems(owner, itemClass) {}
  TKyStateItem* Items(int index) const { return static_cast<TKyStateItem*>(TCollection::Items(index)); }
};
