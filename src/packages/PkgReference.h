// What every reference object shares (labels, messages, texts, images): a
// package name and an id with the creator's default, the cached entry, and
// the process-wide list of live references that cache passes walk.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "packages/PkgInfo.h"
#include "platform/classes/FormStream.h"
#include "platform/base/SysUtils.h"

// Live references of one class. A pass walks the list by index; references
// freed meanwhile leave holes that are closed when the outermost pass ends.
template <class R>
class TKyRefList {
public:
  void Add(R* ref) { items_.push_back(ref); }
  void Remove(R* ref) {
    auto it = std::find(items_.begin(), items_.end(), ref);
    if (it == items_.end()) return;
    if (walking_ > 0) *it = nullptr;
    else items_.erase(it);
  }
  template <class F>
  void ForEach(F fn) {
    ++walking_;
    struct TEnd {
      TKyRefList& l;
      ~TEnd() {
        if (--l.walking_ == 0) std::erase(l.items_, nullptr);
      }
    } end{*this};
    for (size_t i = 0; i < items_.size(); ++i)
      if (R* r = items_[i]) fn(r);
  }
  int LiveCount() const {
    return static_cast<int>(std::count_if(items_.begin(), items_.end(), [](R* r) { return r != nullptr; }));
  }

private:
  std::vector<R*> items_;
  int walking_ = 0;
};

// The state of one reference. Setters answer whether the owner must be told.
// Id -1: not linked; -2: the default reference given at creation.
template <class E>
class TKyRefKey {
public:
  TKyRefKey() = default;
  TKyRefKey(const std::string& defPkgName, int32_t defId)
      : id_(-2), defPkgName_(defPkgName), defId_(defId), hasDefault_(true) {}

  const std::string& PkgName() const { return pkgName_; }
  int32_t Id() const { return id_; }
  bool HasDefault() const { return hasDefault_; }
  const std::string& DefaultPkgName() const { return defPkgName_; }
  int32_t DefaultId() const { return defId_; }
  bool Resolved() const { return resolved_; }
  E* Cached() const { return cached_; }

  bool SetPkgName(const std::string& value) {
    if (value == pkgName_) return false;
    bool sameName = SameText(value, pkgName_);
    pkgName_ = value;
    // Letter case alone names the same package.
    if (sameName) return false;
    Forget();
    return true;
  }
  bool SetId(int32_t value) {
    if (value == id_) return false;
    id_ = value;
    Forget();
    return true;
  }
  bool SetReference(const std::string& pkgName, int32_t id) {
    if (pkgName == pkgName_ && id == id_) return false;
    pkgName_ = pkgName;
    id_ = id;
    Forget();
    return true;
  }
  // Copies name, id and cache unless both already name the same entry.
  bool CopyFrom(const TKyRefKey& s) {
    if (SameText(pkgName_, s.pkgName_) && id_ == s.id_) return false;
    pkgName_ = s.pkgName_;
    id_ = s.id_;
    resolved_ = s.resolved_;
    cached_ = s.cached_;
    hadEntry_ = s.hadEntry_;
    return true;
  }

  // Usable: an application configuration exists and the reference names an
  // entry (Id >= 0 with a package name) or its default (Id -2).
  bool IsLinked() const {
    if (!FirstPkgApplication()) return false;
    return (id_ >= 0 && !Trim(pkgName_).empty()) || id_ == -2;
  }

  // lookup(pkgName, id) finds an entry in the active package of that name.
  template <class Lookup>
  E* Resolve(Lookup lookup) {
    if (!FirstPkgApplication()) return nullptr;
    if (resolved_) return cached_;
    E* entry = nullptr;
    if (id_ >= 0 && IsLinked()) entry = lookup(pkgName_, id_);
    else if (!Trim(defPkgName_).empty() && defId_ >= 0) entry = lookup(defPkgName_, defId_);
    resolved_ = true;
    cached_ = entry;
    return entry;
  }

  void Invalidate() {
    if (resolved_) hadEntry_ = cached_ != nullptr;
    resolved_ = false;
    cached_ = nullptr;
  }

  // The notification pass for one reference: resolves an invalid linked
  // reference again and answers whether its owner must be told (it had an
  // entry before, or finds one now).
  template <class Lookup>
  bool Renotify(Lookup lookup) {
    if (resolved_ || !IsLinked()) return false;
    bool had = hadEntry_;
    hadEntry_ = false;
    return Resolve(lookup) != nullptr || had;
  }

  // "PkgName" and "Id" in the owner's form. ancestor: the ancestor form's
  // reference of the same class, or nullptr; hasAncestor: the filer has one.
  template <class SetName, class SetId>
  void Define(TFiler& filer, const TKyRefKey* ancestor, bool hasAncestor, SetName setName, SetId setId) {
    bool nameStored = hasAncestor ? (!ancestor || ancestor->pkgName_ != pkgName_) : !pkgName_.empty();
    // An explicit -1 survives when the creator gave a default; -2 is never written.
    bool idStored = hasAncestor ? (!ancestor || ancestor->id_ != id_) : (hasDefault_ ? id_ >= -1 : id_ >= 0);
    filer.DefineProperty(
        "PkgName", [setName](TReader& r) { setName(r.ReadString()); },
        [this](TWriter& w) { w.WriteString(pkgName_); }, nameStored);
    filer.DefineProperty(
        "Id", [setId](TReader& r) { setId(r.ReadInteger()); }, [this](TWriter& w) { w.WriteInteger(id_); },
        idStored);
  }

private:
  void Forget() {
    resolved_ = false;
    cached_ = nullptr;
    hadEntry_ = false;
  }

  std::string pkgName_;
  int32_t id_ = -1;
  std::string defPkgName_;
  int32_t defId_ = -1;
  bool hasDefault_ = false;
  bool resolved_ = false;
  bool hadEntry_ = false;  // the cache held an entry before it was invalidated
  E* cached_ = nullptr;
};
