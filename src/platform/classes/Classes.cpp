#include "platform/classes/Classes.h"

#include <algorithm>
#include <map>
#include <mutex>

#include "platform/base/SysUtils.h"

// ---- TObject ----

const TClassInfo& TObject::StaticClass() {
  static const TClassInfo info("TObject", nullptr, nullptr, nullptr);
  return info;
}

// ---- TPersistent ----

void TPersistent::Assign(const TPersistent* source) {
  if (source) {
    source->AssignTo(this);
    return;
  }
  throw EConvertError("Cannot assign a nil to a " + ClassName());
}

void TPersistent::AssignTo(TPersistent* dest) const {
  throw EConvertError("Cannot assign a " + ClassName() + " to a " + (dest ? dest->ClassName() : "nil"));
}

void TPersistent::DefineProperties(TFiler&) {}

std::string TPersistent::GetNamePath() const {
  std::string path = ClassName();
  if (TPersistent* owner = GetOwner()) {
    std::string ownerPath = owner->GetNamePath();
    if (!ownerPath.empty()) path = ownerPath + "." + path;
  }
  return path;
}

// ---- TComponent ----

void TComponent::Publish(TPublisher<TComponent>& p) {
  // The name travels in the component's header, not as a property.
  p.Property("Name", &TComponent::Name, &TComponent::SetName).Stored(false);
  p.Property("Tag", &TComponent::Tag, &TComponent::SetTag).Default(0);
}

TComponent::TComponent(TComponent* owner) {
  if (owner) owner->InsertComponent(this);
}

TComponent::~TComponent() {
  Destroying();
  while (!freeNotifies_.empty()) {
    TComponent* other = freeNotifies_.back();
    freeNotifies_.pop_back();
    other->DropFreeNotify(this);
    other->Notification(this, opRemove);
  }
  DestroyComponents();
  if (owner_) owner_->RemoveComponent(this);
}

bool IsValidIdent(const std::string& name) {
  if (name.empty()) return false;
  auto alpha = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; };
  if (!alpha(name[0])) return false;
  for (char c : name)
    if (!alpha(c) && !(c >= '0' && c <= '9')) return false;
  return true;
}

void TComponent::SetName(const std::string& value) {
  if (value == name_) return;
  if (!value.empty() && !IsValidIdent(value))
    throw EComponentError("'" + value + "' is not a valid component name");
  if (owner_) owner_->ValidateRename(this, name_, value);
  else ValidateRename(nullptr, name_, value);
  if (owner_ && !value.empty())
    if (const TFieldInfo* f = owner_->ClassType().FindField(value))
      if (!f->Set(*owner_, this))
        throw EComponentError("Field " + value + " of " + owner_->ClassName() + " cannot hold a " + ClassName());
  SetReference(false);
  name_ = value;
  SetReference(true);
}

void TComponent::SetReference(bool enable) {
  if (!owner_ || name_.empty()) return;
  if (const TFieldInfo* f = owner_->ClassType().FindField(name_))
    if (!f->Set(*owner_, enable ? this : nullptr))
      throw EComponentError("Field " + name_ + " of " + owner_->ClassName() + " cannot hold a " + ClassName());
}

void TComponent::ValidateRename(TComponent* component, const std::string& curName, const std::string& newName) {
  if (component && !newName.empty() && !SameText(curName, newName)) {
    TComponent* other = FindComponent(newName);
    if (other && other != component)
      throw EComponentError("A component named " + newName + " already exists");
  }
}

TComponent* TComponent::Components(int index) const {
  if (index < 0 || index >= ComponentCount())
    throw EListError(Format("List index out of bounds (%d)", {int64_t(index)}));
  return components_[static_cast<size_t>(index)];
}

int TComponent::ComponentIndex() const {
  if (!owner_) return -1;
  auto& list = owner_->components_;
  return static_cast<int>(std::find(list.begin(), list.end(), this) - list.begin());
}

void TComponent::SetComponentIndex(int value) {
  if (!owner_) return;
  auto& list = owner_->components_;
  int cur = ComponentIndex();
  value = std::clamp(value, 0, static_cast<int>(list.size()) - 1);
  if (cur == value) return;
  list.erase(list.begin() + cur);
  list.insert(list.begin() + value, this);
}

TComponent* TComponent::FindComponent(const std::string& name) const {
  if (name.empty()) return nullptr;
  for (TComponent* c : components_)
    if (SameText(c->name_, name)) return c;
  return nullptr;
}

void TComponent::InsertComponent(TComponent* component) {
  if (component->owner_) component->owner_->RemoveComponent(component);
  ValidateRename(component, "", component->name_);
  Insert(component);
  component->SetReference(true);
  if (IsDesigning()) component->SetDesigning(true);
  Notification(component, opInsert);
}

void TComponent::RemoveComponent(TComponent* component) {
  if (component->owner_ != this) return;
  Notification(component, opRemove);
  component->SetReference(false);
  Remove(component);
}

void TComponent::Insert(TComponent* component) {
  components_.push_back(component);
  component->owner_ = this;
}

void TComponent::Remove(TComponent* component) {
  auto it = std::find(components_.begin(), components_.end(), component);
  if (it != components_.end()) components_.erase(it);
  component->owner_ = nullptr;
}

void TComponent::DestroyComponents() {
  while (!components_.empty()) {
    TComponent* c = components_.back();
    // Siblings being freed with the owner need not hear of each other;
    // components of other owners still do, through their free notifications.
    Remove(c);
    delete c;
  }
}

void TComponent::Destroying() {
  if (state_.Contains(csDestroying)) return;
  state_.Include(csDestroying);
  for (TComponent* c : components_) c->Destroying();
}

void TComponent::SetDesigning(bool value, bool setChildren) {
  SetState(csDesigning, value);
  if (setChildren)
    for (TComponent* c : components_) c->SetDesigning(value, true);
}

void TComponent::FreeNotification(TComponent* component) {
  if (!component || component == this) return;
  if (std::find(freeNotifies_.begin(), freeNotifies_.end(), component) == freeNotifies_.end()) {
    freeNotifies_.push_back(component);
    component->FreeNotification(this);
  }
  state_.Include(csFreeNotification);
}

void TComponent::RemoveFreeNotification(TComponent* component) {
  DropFreeNotify(component);
  component->DropFreeNotify(this);
}

void TComponent::DropFreeNotify(TComponent* component) {
  auto it = std::find(freeNotifies_.begin(), freeNotifies_.end(), component);
  if (it != freeNotifies_.end()) freeNotifies_.erase(it);
}

void TComponent::Notification(TComponent* component, TOperation operation) {
  if (operation == opRemove && component) RemoveFreeNotification(component);
  // A handler may free components: walk a copy, skipping those gone meanwhile.
  std::vector<TComponent*> list = components_;
  for (auto it = list.rbegin(); it != list.rend(); ++it) {
    TComponent* c = *it;
    if (std::find(components_.begin(), components_.end(), c) != components_.end()) c->Notification(component, operation);
  }
}

void TComponent::GetChildren(const TGetChildProc& proc, TComponent* root) {
  // The root writes the components it owns that no parent writes.
  if (root != this) return;
  for (TComponent* c : components_)
    if (!c->HasParent()) proc(c);
}

void TComponent::Loaded() { state_.Exclude(csLoading); }

// ---- Class registry ----

namespace {

struct NoCaseLess {
  bool operator()(const std::string& a, const std::string& b) const { return LowerCase(a) < LowerCase(b); }
};

std::mutex& RegistryLock() {
  static std::mutex m;
  return m;
}

std::map<std::string, const TClassInfo*, NoCaseLess>& Registry() {
  static std::map<std::string, const TClassInfo*, NoCaseLess> r;
  return r;
}

}  // namespace

void RegisterClasses(std::initializer_list<const TClassInfo*> classes) {
  std::lock_guard<std::mutex> lock(RegistryLock());
  for (const TClassInfo* c : classes) {
    if (!c->InheritsFrom(TComponent::StaticClass()) || !c->Creatable())
      throw EComponentError("Class " + c->Name() + " is not a component class that can be created");
    auto [it, inserted] = Registry().emplace(c->Name(), c);
    if (!inserted && it->second != c) throw EComponentError("Class " + c->Name() + " is already registered");
  }
}

const TClassInfo* GetClass(const std::string& name) {
  std::lock_guard<std::mutex> lock(RegistryLock());
  auto it = Registry().find(name);
  return it == Registry().end() ? nullptr : it->second;
}

const TClassInfo& FindClass(const std::string& name) {
  const TClassInfo* c = GetClass(name);
  if (!c) throw EClassNotFound("Class " + name + " not found");
  return *c;
}

TComponent* CreateComponent(const std::string& className, TComponent* owner) {
  return static_cast<TComponent*>(FindClass(className).CreateInstance(owner));
}

void RegisterPlatformClasses() { RegisterClasses({&TComponent::StaticClass()}); }
