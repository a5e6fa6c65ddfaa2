// What every building block of the skin shares: the owner's change
// callback, setters that call it only for a real change, owned set,
// reference and nested objects whose changes become the block's own, and
// an Assign that copies a block of the same class with one change at the end.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "packages/CfgObjects.h"
#include "packages/DisplaySets.h"
#include "packages/PkgImages.h"
#include "packages/PkgStrings.h"
#include "platform/classes/Classes.h"

// Makes a protected property of the base public in a class that has it.
#define KY_BLOCK_EXPOSE(Name) \
 public:                      \
  using inherited::Name;      \
  using inherited::Set##Name;

class TKyBlock : public TPersistent {
  KY_CLASS(TKyBlock, TPersistent)
public:
  // Lets a class description make a block with its owner (CreateInstance).
  using TCreateArg = TPersistent*;

  // Set by the owning control; called with the block as sender.
  TNotifyEvent OnChange;

  // A block of this class (or a descendant) is copied whole, then the
  // owner hears of it once; anything else takes the persistent fallback.
  void Assign(const TPersistent* source) override;

protected:
  explicit TKyBlock(TPersistent* owner) : owner_(owner) {}
  TPersistent* GetOwner() const override { return owner_; }

  // The changed step: tells the owner, unless an Assign is copying.
  void Changed();

  template <class V>
  void Update(V& field, V value) {
    if (field == value) return;
    field = value;
    Changed();
  }

  // Copies this class's own fields from source, whose class is this
  // block's class or a descendant; each class copies its part and calls
  // its base first.
  virtual void CopyFrom(const TKyBlock& source);

  // Owned objects made here report their changes as this block's.
  template <class S>
  std::unique_ptr<S> MakeSet(const char* fallback) {
    auto s = std::make_unique<S>(this, "", dynamic_cast<S*>(LibraryDefaultSet(fallback)));
    s->OnChange = [this](TKySetObject*) { Changed(); };
    return s;
  }
  std::unique_ptr<TKyMemoryLabel> MakeLabel();
  std::unique_ptr<TKyMemoryImage> MakeImage();
  std::unique_ptr<TKyPen> MakePen(TKyPenStyle defaultStyle = pesClear);
  template <class B>
  std::unique_ptr<B> MakeBlock() {
    auto b = std::make_unique<B>(this);
    b->OnChange = [this](TObject*) { Changed(); };
    return b;
  }

private:
  TPersistent* owner_;
  int copying_ = 0;
};

// Every block class, bases first: for the registry and for checks that
// walk all of them.
const std::vector<const TClassInfo*>& SkinBlockClasses();
// Publishes every block class at start, so that a fault in a class's
// description shows before the first form streams in.
void RegisterSkinBlocks();
