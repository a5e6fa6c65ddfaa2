// Collections: ordered lists of persistent items of one class, written in
// forms as a collection value (Items = <item ... end>). Portable.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/classes/Classes.h"

class TCollection;

enum TCollectionNotification : uint8_t { cnAdded, cnExtracting, cnDeleting };

class TCollectionItem : public TPersistent {
  KY_CLASS(TCollectionItem, TPersistent)
public:
  using TCreateArg = TCollection*;

  // Joins collection at its end. Items are normally made by the collection's
  // Add or Insert, which report the addition once the item is complete.
  explicit TCollectionItem(TCollection* collection);
  // Leaves the collection; freed this way (not by Delete) an item is
  // reported through Update only, not Notify.
  ~TCollectionItem() override;

  TCollection* Collection() const { return collection_; }
  // Moves the item to another collection (or none).
  void SetCollection(TCollection* value);
  int Index() const;
  // Moves the item within its collection; raises EListError out of range.
  virtual void SetIndex(int value);
  // A number unique within the collection, kept for the item's life.
  int ID() const { return id_; }
  virtual std::string DisplayName() const;
  std::string GetNamePath() const override;

protected:
  // Reports a change of this item (or of all items) to the collection.
  void Changed(bool allItems);
  TPersistent* GetOwner() const override;

private:
  friend class TCollection;
  TCollection* collection_ = nullptr;
  int id_ = 0;
};

class TCollection : public TPersistent {
  KY_CLASS(TCollection, TPersistent)
public:
  // itemClass must be a creatable TCollectionItem class; owner is the object
  // that holds the collection (for name paths and update callbacks).
  explicit TCollection(const TClassInfo& itemClass, TPersistent* owner = nullptr);
  ~TCollection() override;

  const TClassInfo& ItemClass() const { return itemClass_; }
  int Count() const { return static_cast<int>(items_.size()); }
  // Raises EListError "List index out of bounds (%d)" outside 0..Count-1.
  TCollectionItem* Items(int index) const;
  template <class T>
  T* ItemAs(int index) const {
    return static_cast<T*>(Items(index));
  }

  TCollectionItem* Add();
  // index in 0..Count; else EListError.
  TCollectionItem* Insert(int index);
  void Delete(int index);
  void Clear();
  TCollectionItem* FindItemID(int id) const;

  // While the counter is above zero changes are not reported; the last
  // EndUpdate reports one change of everything.
  virtual void BeginUpdate();
  virtual void EndUpdate();
  int UpdateCount() const { return updateCount_; }

  // Copies another collection item by item (the items' own Assign).
  void Assign(const TPersistent* source) override;
  std::string GetNamePath() const override;
  TPersistent* Owner() const { return owner_; }

  // Told of every reported change: the item, or nullptr for all items.
  std::function<void(TCollection* sender, TCollectionItem* item)> OnUpdate;

protected:
  // A change to report: item, or nullptr for all.
  virtual void Update(TCollectionItem* item);
  // An item added, about to be taken out, or about to be freed.
  virtual void Notify(TCollectionItem* item, TCollectionNotification action);
  void Changed();
  TPersistent* GetOwner() const override { return owner_; }

private:
  friend class TCollectionItem;
  void InsertItem(TCollectionItem* item);
  void RemoveItem(TCollectionItem* item, bool notify);
  void MoveItem(int from, int to);

  const TClassInfo& itemClass_;
  TPersistent* owner_;
  std::vector<TCollectionItem*> items_;
  int updateCount_ = 0;
  int nextId_ = 0;
};
