// The object model: the root object, persistent objects that stream their
// published properties, components that own components, and the class
// registry that makes components by class name. Portable: no <windows.h>.
#pragma once

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "platform/base/Exception.h"
#include "platform/classes/TypInfo.h"

class TFiler;
class TReader;
class TWriter;
class TFormLoading;

// A component that cannot be named, inserted or found as asked.
class EComponentError : public Exception { using Exception::Exception; };
// A class name that the registry does not know.
class EClassNotFound : public Exception { using Exception::Exception; };
// An assignment between classes that do not know each other.
class EConvertError : public Exception { using Exception::Exception; };
// An index outside a list.
class EListError : public Exception { using Exception::Exception; };

// The root of the class tree: class identity only.
class TObject {
public:
  TObject() = default;
  TObject(const TObject&) = delete;
  TObject& operator=(const TObject&) = delete;
  virtual ~TObject() = default;

  static const TClassInfo& StaticClass();
  virtual const TClassInfo& ClassType() const { return StaticClass(); }
  const std::string& ClassName() const { return ClassType().Name(); }
  bool InheritsFrom(const TClassInfo& cls) const { return ClassType().InheritsFrom(cls); }
};

class TPersistent : public TObject {
  KY_CLASS(TPersistent, TObject)
public:
  // Copies source into this object; without a way to, raises EConvertError.
  virtual void Assign(const TPersistent* source);
  // "Form.Panel.Font": the object's place, for messages.
  virtual std::string GetNamePath() const;

protected:
  // Called by Assign when this class does not know the source's class.
  virtual void AssignTo(TPersistent* dest) const;
  // Custom streamed values; filer.Ancestor() is the object of the ancestor
  // form being compared with, when there is one.
  virtual void DefineProperties(TFiler& filer);
  // The object this one belongs to, for GetNamePath.
  virtual TPersistent* GetOwner() const { return nullptr; }

  friend class TReader;
  friend class TWriter;
  friend class TCollection;
};

KY_ENUM(TComponentStateItem, uint8_t, csLoading, csReading, csWriting, csDestroying, csDesigning,
        csAncestor, csUpdating, csFixups, csFreeNotification, csInline)
using TComponentState = TSet<TComponentStateItem>;

enum TOperation : uint8_t { opInsert, opRemove };

class TComponent : public TPersistent {
  KY_CLASS(TComponent, TPersistent)
public:
  using TCreateArg = TComponent*;
  using TGetChildProc = std::function<void(TComponent*)>;

  // The owner (may be nullptr) frees this component with itself.
  explicit TComponent(TComponent* owner);
  // Frees the owned components, last first, then leaves the owner.
  ~TComponent() override;
  static void Publish(TPublisher<TComponent>& p);

  const std::string& Name() const { return name_; }
  // A valid identifier (or empty) that no other component of the owner has.
  virtual void SetName(const std::string& value);
  int32_t Tag() const { return tag_; }
  void SetTag(int32_t value) { tag_ = value; }

  TComponent* Owner() const { return owner_; }
  int ComponentCount() const { return static_cast<int>(components_.size()); }
  TComponent* Components(int index) const;
  int ComponentIndex() const;
  void SetComponentIndex(int value);
  // An owned component by name, without regard to case; nullptr when none.
  TComponent* FindComponent(const std::string& name) const;
  template <class T>
  T* Find(const std::string& name) const {
    return dynamic_cast<T*>(FindComponent(name));
  }
  void InsertComponent(TComponent* component);
  void RemoveComponent(TComponent* component);
  // Frees every owned component, the last one first.
  void DestroyComponents();
  // Marks this component and every owned one as being destroyed.
  void Destroying();

  TComponentState ComponentState() const { return state_; }
  bool IsLoading() const { return state_.Contains(csLoading); }
  bool IsDesigning() const { return state_.Contains(csDesigning); }
  bool IsDestroying() const { return state_.Contains(csDestroying); }
  void SetDesigning(bool value, bool setChildren = true);

  // Asks to be told (Notification opRemove) when component is freed, for
  // references to components of another owner.
  void FreeNotification(TComponent* component);
  void RemoveFreeNotification(TComponent* component);

  // Form streams: the components written inside this one, and the parent
  // relation of visual components (none for a plain component).
  virtual void GetChildren(const TGetChildProc& proc, TComponent* root);
  virtual bool HasParent() const { return false; }
  virtual TComponent* GetParentComponent() const { return nullptr; }
  virtual void SetParentComponent(TComponent* /*parent*/) {}
  // Who owns the components read inside this one; nullptr: the root.
  virtual TComponent* GetChildOwner() { return nullptr; }
  // A form stream gives a child its place among this one's children
  // (inherited forms that insert new controls before inherited ones).
  virtual void SetChildOrder(TComponent* /*child*/, int /*order*/) {}
  // Reads this component's properties and the components inside it from a
  // form stream (reader.ReadData); a class that must act once its own part
  // of the stream is read overrides it and calls the inherited one first.
  virtual void ReadState(TReader& reader);

  std::string GetNamePath() const override { return name_; }

protected:
  // After a form stream built the whole tree; ends the loading state.
  virtual void Loaded();
  // Every owned component hears of components inserted into and removed
  // from the owner; free notifications reach components of other owners.
  virtual void Notification(TComponent* component, TOperation operation);
  virtual void ValidateRename(TComponent* component, const std::string& curName, const std::string& newName);
  TPersistent* GetOwner() const override { return owner_; }

  void SetState(TComponentStateItem item, bool on) {
    if (on) state_.Include(item);
    else state_.Exclude(item);
  }

private:
  // Points the owner's field of this component's name at it (or clears it).
  void SetReference(bool enable);
  void Insert(TComponent* component);
  void Remove(TComponent* component);
  void DropFreeNotify(TComponent* component);

  TComponent* owner_ = nullptr;
  std::vector<TComponent*> components_;
  std::vector<TComponent*> freeNotifies_;
  std::string name_;
  int32_t tag_ = 0;
  TComponentState state_;

  friend class TReader;
  friend class TWriter;
  friend class TFormLoading;
};

// True for "Letters_09" style names (a letter or underscore first).
bool IsValidIdent(const std::string& name);

// ---- Class registry ----

// Registers component classes so that form streams can make them by name.
void RegisterClasses(std::initializer_list<const TClassInfo*> classes);
// The registered class of that name (without regard to case), or nullptr.
const TClassInfo* GetClass(const std::string& name);
// As GetClass, but raises EClassNotFound "Class %s not found".
const TClassInfo& FindClass(const std::string& name);
// Makes a component of a registered class.
TComponent* CreateComponent(const std::string& className, TComponent* owner);
// The platform's own component classes.
void RegisterPlatformClasses();
