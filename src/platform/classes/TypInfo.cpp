#include "platform/classes/TypInfo.h"

#include "platform/base/Exception.h"
#include "platform/base/SysUtils.h"

// ---- TEnumInfo ----

TEnumInfo::TEnumInfo(std::string typeName, std::vector<std::string> names)
    : typeName_(std::move(typeName)), names_(std::move(names)) {}

TEnumInfo::TEnumInfo(const char* typeName, const char* names) : typeName_(typeName) {
  // The preprocessor's text of the enumerator list: "a, b, c" (an explicit
  // "= value" is not expected; the names run from 0).
  std::string text(names);
  size_t start = 0;
  while (start <= text.size()) {
    size_t comma = text.find(',', start);
    if (comma == std::string::npos) comma = text.size();
    std::string item = text.substr(start, comma - start);
    size_t eq = item.find('=');
    if (eq != std::string::npos) item.erase(eq);
    item = Trim(item);
    if (!item.empty()) names_.push_back(item);
    start = comma + 1;
  }
}

const std::string& TEnumInfo::Name(int value) const {
  static const std::string none;
  if (value < 0 || value >= Count()) return none;
  return names_[static_cast<size_t>(value)];
}

int TEnumInfo::Value(const std::string& name) const {
  for (size_t i = 0; i < names_.size(); ++i)
    if (SameText(names_[i], name)) return static_cast<int>(i);
  return -1;
}

// ---- TIdentMap ----

TIdentMap::TIdentMap(std::initializer_list<std::pair<int32_t, const char*>> entries) {
  for (const auto& e : entries) entries_.emplace_back(e.first, e.second);
}

bool TIdentMap::IntToIdent(int32_t value, std::string& ident) const {
  for (const auto& e : entries_)
    if (e.first == value) {
      ident = e.second;
      return true;
    }
  return false;
}

bool TIdentMap::IdentToInt(const std::string& ident, int32_t& value) const {
  for (const auto& e : entries_)
    if (SameText(e.second, ident)) {
      value = e.first;
      return true;
    }
  return false;
}

// ---- TPropInfo ----

bool TPropInfo::IsStored(const TPersistent& instance) const {
  if (!StoredConst) return false;
  return !StoredFn || StoredFn(instance);
}

// ---- TClassInfo ----

TClassInfo::TClassInfo(const char* name, const TClassInfo* parent, TFactory factory, TPublishFn publish)
    : name_(name), parent_(parent), factory_(factory), publish_(publish) {}

bool TClassInfo::InheritsFrom(const TClassInfo& other) const {
  for (const TClassInfo* c = this; c; c = c->parent_)
    if (c == &other) return true;
  return false;
}

TPersistent* TClassInfo::CreateInstance(TPersistent* owner) const {
  if (!factory_) throw Exception("Cannot create an instance of the class " + name_);
  return factory_(owner);
}

void TClassInfo::Build() const {
  std::call_once(built_, [this] {
    if (parent_) all_ = parent_->Properties();
    if (publish_) publish_(const_cast<TClassInfo&>(*this));
    for (const auto& p : own_) {
      bool replaced = false;
      for (const TPropInfo*& q : all_)
        if (SameText(q->Name, p->Name)) {
          q = p.get();
          replaced = true;
          break;
        }
      if (!replaced) all_.push_back(p.get());
    }
  });
}

const std::vector<const TPropInfo*>& TClassInfo::Properties() const {
  Build();
  return all_;
}

const TPropInfo* TClassInfo::FindProperty(const std::string& name) const {
  for (const TPropInfo* p : Properties())
    if (SameText(p->Name, name)) return p;
  return nullptr;
}

const TMethodInfo* TClassInfo::FindMethod(const std::string& name) const {
  for (const TClassInfo* c = this; c; c = c->parent_) {
    c->Build();
    for (const TMethodInfo& m : c->methods_)
      if (SameText(m.Name, name)) return &m;
  }
  return nullptr;
}

const TFieldInfo* TClassInfo::FindField(const std::string& name) const {
  for (const TClassInfo* c = this; c; c = c->parent_) {
    c->Build();
    for (const TFieldInfo& f : c->fields_)
      if (SameText(f.Name, name)) return &f;
  }
  return nullptr;
}

TPropInfo& TClassInfo::AddProperty(const std::string& name, TTypeKind kind) {
  auto p = std::make_unique<TPropInfo>();
  p->Name = name;
  p->Kind = kind;
  own_.push_back(std::move(p));
  return *own_.back();
}

void TClassInfo::AddMethod(TMethodInfo method) { methods_.push_back(std::move(method)); }

void TClassInfo::AddField(TFieldInfo field) { fields_.push_back(std::move(field)); }
