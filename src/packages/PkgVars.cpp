#include "packages/PkgVars.h"

#include <algorithm>
#include <type_traits>

#include "packages/MessageService.h"
#include "platform/base/FileNames.h"
#include "platform/os/LocaleInfo.h"
#include "platform/os/ProgramInfo.h"
#include "platform/base/SysUtils.h"

// ---- TKyPkgVarsItem ----

TKyPkgVarsItem::TKyPkgVarsItem(TKyPkgVars* package, TKyPkgVarsItem* parent, std::string name)
    : package_(package), parent_(parent), name_(std::move(name)) {}

TKyPkgVarsItem::~TKyPkgVarsItem() = default;

TKyPkgVarsItem* TKyPkgVarsItem::NextSibling() const {
  if (!parent_) return nullptr;
  const auto& sib = parent_->children_;
  for (size_t i = 0; i + 1 < sib.size(); ++i)
    if (sib[i].get() == this) return sib[i + 1].get();
  return nullptr;
}

int32_t TKyPkgVarsItem::AsInteger(int32_t def) const {
  switch (Type()) {
    case vtyBoolean: return std::get<bool>(value_) ? 1 : 0;
    case vtyInteger: return std::get<int32_t>(value_);
    case vtyFloat: {
      double d = std::get<TExtended>(value_).ToDouble();
      if (!(d > -2147483649.0 && d < 2147483648.0)) return def;  // NaN and out of range
      return static_cast<int32_t>(d);
    }
    case vtyString: return StrToIntDef(Trim(std::get<std::string>(value_)), def);
  }
  return def;
}

std::string TKyPkgVarsItem::AsString() const {
  switch (Type()) {
    case vtyBoolean: return std::get<bool>(value_) ? "True" : "False";
    case vtyInteger: return std::to_string(std::get<int32_t>(value_));
    case vtyFloat: return Format("%g", {std::get<TExtended>(value_).ToDouble()});
    case vtyString: return std::get<std::string>(value_);
  }
  return std::string();
}

TKyPkgVarsItem* TKyPkgVarsItem::Find(const std::string& name) const {
  for (const auto& c : children_) {
    int r = AnsiCompareText(c->name_, name);
    if (r == 0) return c.get();
    if (r > 0) break;  // sorted: nothing further can match
  }
  return nullptr;
}

TKyPkgVarsItem* TKyPkgVarsItem::Ensure(const std::string& name) {
  auto it = children_.begin();
  for (; it != children_.end(); ++it) {
    int r = AnsiCompareText((*it)->name_, name);
    if (r == 0) return it->get();
    if (r > 0) break;
  }
  it = children_.insert(it, std::make_unique<TKyPkgVarsItem>(package_, this, name));
  return it->get();
}

void TKyPkgVarsItem::Remove(TKyPkgVarsItem* child) {
  auto it = std::find_if(children_.begin(), children_.end(), [&](const auto& c) { return c.get() == child; });
  if (it != children_.end()) children_.erase(it);
}

// ---- TKyPkgVars ----

namespace {

const TKyPkgKind kVarsKind{"KyPkgVars", 4, 4, "pva", 31, 32};
enum : int32_t { kEndLevel = 0, kVariable = 1, kFolder = 2 };

TKyPkgList& VarsList() {
  static TKyPkgList list(TKyPkgVars::StaticClass());
  return list;
}

std::function<std::string()>& VarsPath() {
  static std::function<std::string()> provider;
  return provider;
}

}  // namespace

void SetVarsPathProvider(std::function<std::string()> provider) { VarsPath() = std::move(provider); }

TKyPkgVars* FindVarsPackage(const std::string& name) {
  if (SameText(name, kSystemPkg)) return nullptr;  // there is no "System" variables package
  return static_cast<TKyPkgVars*>(VarsList().Find(name));
}

int32_t ReadVarInteger(const std::string& pkgName, const std::string& path, int32_t def) {
  TKyPkgVars* pkg = FindVarsPackage(pkgName);
  return pkg ? pkg->ReadInteger(path, def) : def;
}

std::string ReadVarString(const std::string& pkgName, const std::string& path, const std::string& def) {
  TKyPkgVars* pkg = FindVarsPackage(pkgName);
  return pkg ? pkg->ReadString(path, def) : def;
}

bool WriteVarInteger(const std::string& pkgName, const std::string& path, int32_t value) {
  TKyPkgVars* pkg = FindVarsPackage(pkgName);
  if (pkg) pkg->WriteInteger(path, value);
  return pkg != nullptr;
}

bool WriteVarString(const std::string& pkgName, const std::string& path, const std::string& value) {
  TKyPkgVars* pkg = FindVarsPackage(pkgName);
  if (pkg) pkg->WriteString(path, value);
  return pkg != nullptr;
}

bool DeleteVar(const std::string& pkgName, const std::string& path) {
  TKyPkgVars* pkg = FindVarsPackage(pkgName);
  return pkg && pkg->Delete(path);
}

TKyPkgVars::TKyPkgVars(TComponent* owner)
    : TKyPkgInfo(owner), root_(std::make_unique<TKyPkgVarsItem>(this, nullptr, std::string())) {
  VarsList().Add(this);
}

TKyPkgVars::~TKyPkgVars() {
  Clear();
  VarsList().Remove(this);
}

const TKyPkgKind& TKyPkgVars::Kind() const { return kVarsKind; }

void TKyPkgVars::SetPkgName(const std::string& value) {
  if (value == PkgName()) return;
  TKyConfigLock lock;
  if (RenameFoundByName(value, VarsList())) Change();
}

std::string TKyPkgVars::GetPath() const {
  if (VarsPath()) {
    std::string path = VarsPath()();
    if (!path.empty()) return path;
  }
  return ExtractFilePath(ProgramFileName());
}

void TKyPkgVars::SetPreserved(int index, int32_t value) {
  int32_t& p = preserved_.at(static_cast<size_t>(index));
  if (p == value) return;
  p = value;
  Change();
}

std::vector<std::string> TKyPkgVars::SplitPath(const std::string& path) const {
  if (Trim(path).empty()) RaiseMessage(Name(), "System", 29);
  std::vector<std::string> parts;
  std::string part;
  auto invalid = [&] { RaiseMessageFmt(Name(), "System", 30, {path}); };
  for (char c : path) {
    if (c == '\\' || c == '/') {
      if (Trim(part).empty()) invalid();
      parts.push_back(part);
      part.clear();
    } else {
      part += c;
    }
  }
  if (Trim(part).empty()) invalid();
  parts.push_back(part);
  if (static_cast<int>(parts.size()) > kMaxDepth) invalid();
  return parts;
}

TKyPkgVarsItem* TKyPkgVars::FindItem(const std::string& path) const {
  TKyPkgVarsItem* item = root_.get();
  for (const std::string& part : SplitPath(path)) {
    item = item->Find(part);
    if (!item) return nullptr;
  }
  return item;
}

int32_t TKyPkgVars::ReadInteger(const std::string& path, int32_t def) const {
  TKyPkgVarsItem* item = FindItem(path);
  return item ? item->AsInteger(def) : def;
}

std::string TKyPkgVars::ReadString(const std::string& path, const std::string& def) const {
  TKyPkgVarsItem* item = FindItem(path);
  return item ? item->AsString() : def;
}

void TKyPkgVars::SetValue(const std::string& path, TKyPkgVarsItem::TValue value) {
  std::vector<std::string> parts = SplitPath(path);
  TKyConfigLock lock;
  TKyPkgVarsItem* item = root_.get();
  bool created = false;
  for (const std::string& part : parts) {
    TKyPkgVarsItem* next = item->Find(part);
    if (!next) {
      next = item->Ensure(part);
      created = true;
    }
    item = next;
  }
  if (!created && item->value_ == value) return;
  item->value_ = std::move(value);
  Change();
}

void TKyPkgVars::WriteInteger(const std::string& path, int32_t value) { SetValue(path, value); }
void TKyPkgVars::WriteString(const std::string& path, const std::string& value) { SetValue(path, value); }
void TKyPkgVars::WriteBoolean(const std::string& path, bool value) { SetValue(path, value); }
void TKyPkgVars::WriteFloat(const std::string& path, const TExtended& value) { SetValue(path, value); }

bool TKyPkgVars::Delete(const std::string& path) {
  TKyConfigLock lock;
  TKyPkgVarsItem* item = FindItem(path);
  if (!item) return false;
  item->parent_->Remove(item);
  Change();
  return true;
}

void TKyPkgVars::Clear() {
  TKyConfigLock lock;
  root_->children_.clear();
}

void TKyPkgVars::ReadPackage(TKyReader& reader) {
  TKyConfigLock lock;
  uint16_t version = ReadHeader(reader);
  StoreDescription(reader.ReadString());
  Clear();
  // What an older version lacks keeps its default, not the last file's.
  preserved_ = kPreservedDefaults;
  // Records level by level; an explicit stack keeps a damaged file from
  // recursing without bound.
  TKyPkgVarsItem* level = root_.get();
  int depth = 0;
  for (;;) {
    int32_t marker = reader.ReadInteger();
    if (marker == kEndLevel) {
      if (level == root_.get()) break;
      level = level->parent_;
      --depth;
      continue;
    }
    if (marker != kVariable && marker != kFolder) throw EReadError("Invalid variables record");
    std::string name = reader.ReadString();
    int32_t type = reader.ReadInteger();
    TKyPkgVarsItem::TValue value;
    switch (type) {
      case vtyBoolean: value = reader.ReadBoolean(); break;
      case vtyInteger: value = reader.ReadInteger(); break;
      case vtyFloat: value = reader.ReadFloat(); break;
      case vtyString: value = reader.ReadString(); break;
      default: throw EReadError("Invalid variables record");
    }
    // Kept in sorted place (after equal names), so lookups stay right even
    // for a file whose siblings are out of order.
    auto& sib = level->children_;
    auto it = std::upper_bound(sib.begin(), sib.end(), name, [](const std::string& n, const auto& c) {
      return AnsiCompareText(n, c->name_) < 0;
    });
    TKyPkgVarsItem* item = sib.insert(it, std::make_unique<TKyPkgVarsItem>(this, level, name))->get();
    item->value_ = std::move(value);
    if (marker == kFolder) {
      if (++depth > kMaxDepth) throw EReadError("Variables nested too deeply");
      level = item;
    }
  }
  if (version >= 3)
    for (int i = 0; i < 4; ++i) preserved_[static_cast<size_t>(i)] = reader.ReadInteger();
  if (version >= 4) preserved_[4] = reader.ReadInteger();
  Change();
}

namespace {

void WriteLevel(TKyWriter& writer, const TKyPkgVarsItem& parent) {
  for (int i = 0; i < parent.Count(); ++i) {
    const TKyPkgVarsItem& item = *parent.Items(i);
    writer.WriteInteger(item.IsFolder() ? kFolder : kVariable);
    writer.WriteString(item.Name());
    writer.WriteInteger(item.Type());
    std::visit(
        [&](const auto& v) {
          using V = std::decay_t<decltype(v)>;
          if constexpr (std::is_same_v<V, bool>) writer.WriteBoolean(v);
          else if constexpr (std::is_same_v<V, int32_t>) writer.WriteInteger(v);
          else if constexpr (std::is_same_v<V, TExtended>) writer.WriteFloat(v);
          else writer.WriteString(v);
        },
        item.Value());
    if (item.IsFolder()) WriteLevel(writer, item);  // depth is bounded by kMaxDepth
  }
  writer.WriteInteger(kEndLevel);
}

}  // namespace

void TKyPkgVars::WritePackage(TKyWriter& writer) {
  WriteHeader(writer);
  writer.WriteString(Description());
  WriteLevel(writer, *root_);
  for (int i = 0; i < 4; ++i) writer.WriteInteger(preserved_[static_cast<size_t>(i)]);
  writer.WriteInteger(0);
}
