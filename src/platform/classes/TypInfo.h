// Run-time type information of the component framework: class descriptions
// with their published properties and handler methods, enumeration names,
// sets and bound events. Portable: no <windows.h>.
//
// A class takes part by opening its body with KY_CLASS and, when it
// publishes anything, by defining a static Publish function:
//
//   class TKyPanel : public TKyCustomPanel {
//     KY_CLASS(TKyPanel, TKyCustomPanel)
//   public:
//     explicit TKyPanel(TComponent* owner);
//     static void Publish(TPublisher<TKyPanel>& p);
//   };
//
//   void TKyPanel::Publish(TPublisher<TKyPanel>& p) {
//     p.Property("Caption", &TKyPanel::Caption, &TKyPanel::SetCaption);
//     p.Property("Visible", &TKyPanel::Visible, &TKyPanel::SetVisible).Default(true);
//     p.Property("Font", &TKyPanel::Font);              // owned object: nested
//     p.Event("OnClick", &TKyPanel::OnClick);
//   }
//
// Publish runs once, the first time the class's properties are asked for.
#pragma once

#include <any>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <mutex>
#include <string>
#include <type_traits>
#include <typeindex>
#include <utility>
#include <vector>

class TObject;
class TPersistent;
class TComponent;
class TClassInfo;
template <class T>
class TPublisher;

// ---- Sets ----------------------------------------------------------------

// A set of up to 32 values of a plain enumeration, as one bit per value.
template <class E>
class TSet {
  static_assert(std::is_enum_v<E>, "TSet holds enumeration values");

public:
  using TElement = E;
  constexpr TSet() = default;
  constexpr TSet(std::initializer_list<E> items) {
    for (E e : items) bits_ |= Bit(e);
  }
  static constexpr TSet FromBits(uint32_t bits) {
    TSet s;
    s.bits_ = bits;
    return s;
  }
  constexpr uint32_t Bits() const { return bits_; }
  constexpr bool Contains(E e) const { return (bits_ & Bit(e)) != 0; }
  constexpr bool Empty() const { return bits_ == 0; }
  constexpr TSet& Include(E e) {
    bits_ |= Bit(e);
    return *this;
  }
  constexpr TSet& Exclude(E e) {
    bits_ &= ~Bit(e);
    return *this;
  }
  constexpr TSet operator+(TSet o) const { return FromBits(bits_ | o.bits_); }
  constexpr TSet operator-(TSet o) const { return FromBits(bits_ & ~o.bits_); }
  constexpr TSet operator*(TSet o) const { return FromBits(bits_ & o.bits_); }
  constexpr bool operator==(const TSet&) const = default;

private:
  static constexpr uint32_t Bit(E e) { return uint32_t(1) << static_cast<unsigned>(e); }
  uint32_t bits_ = 0;
};

template <class T>
struct IsTSet : std::false_type {};
template <class E>
struct IsTSet<TSet<E>> : std::true_type {};

// ---- Enumeration names ---------------------------------------------------

// The value names of an enumeration whose values run from 0 without gaps.
class TEnumInfo {
public:
  TEnumInfo(std::string typeName, std::vector<std::string> names);
  // names as the comma-separated text of the enumerators (KY_ENUM)
  TEnumInfo(const char* typeName, const char* names);

  const std::string& TypeName() const { return typeName_; }
  int Count() const { return static_cast<int>(names_.size()); }
  // The name of a value; empty when out of range.
  const std::string& Name(int value) const;
  // The value of a name, compared without regard to case; -1 when unknown.
  int Value(const std::string& name) const;

private:
  std::string typeName_;
  std::vector<std::string> names_;
};

// Declares a plain enumeration together with its value names:
//   KY_ENUM(TKyFontStyle, uint8_t, fosNormal, fosBold, fosItalic)
#define KY_ENUM(Type, Base, ...)                                  \
  enum Type : Base { __VA_ARGS__ };                               \
  inline const TEnumInfo& EnumInfo(Type) {                        \
    static const TEnumInfo info(#Type, #__VA_ARGS__);             \
    return info;                                                  \
  }

// Integers that may be written as identifiers (colours: clBtnFace).
class TIdentMap {
public:
  TIdentMap(std::initializer_list<std::pair<int32_t, const char*>> entries);
  bool IntToIdent(int32_t value, std::string& ident) const;
  bool IdentToInt(const std::string& ident, int32_t& value) const;

private:
  std::vector<std::pair<int32_t, std::string>> entries_;
};

// ---- Bound events --------------------------------------------------------

// A handler method of a class that form streams may bind by name.
struct TMethodInfo {
  std::string Name;
  std::type_index Signature;
  // Makes a std::function of the method's signature bound to target, in an any.
  std::function<std::any(TObject& target)> Bind;
};

// A component field of a class that names it: a form's BtNext, set when a
// component of that name joins (or leaves) an instance as its owner.
struct TFieldInfo {
  std::string Name;
  // False when value is not of the field's class.
  std::function<bool(TObject& owner, TComponent* value)> Set;
};

template <class Sig>
class TEvent;

// An event: a handler with the sender first, plus the name of the method it
// was bound to when a form stream bound it (so the form can be written back).
template <class R, class... A>
class TEvent<R(A...)> {
public:
  using THandler = std::function<R(A...)>;

  TEvent() = default;
  TEvent(THandler handler) : handler_(std::move(handler)) {}
  TEvent& operator=(THandler handler) {
    handler_ = std::move(handler);
    method_.clear();
    return *this;
  }

  explicit operator bool() const { return static_cast<bool>(handler_); }
  R operator()(A... args) const { return handler_(std::forward<A>(args)...); }
  const THandler& Handler() const { return handler_; }
  // The method name it was bound by; empty for handlers set in code.
  const std::string& MethodName() const { return method_; }

  // Binds to a method of target; false when the method's signature differs.
  bool Bind(TObject& target, const TMethodInfo& method) {
    if (method.Signature != std::type_index(typeid(R(A...)))) return false;
    handler_ = std::any_cast<THandler>(method.Bind(target));
    method_ = method.Name;
    return true;
  }
  void Clear() {
    handler_ = nullptr;
    method_.clear();
  }

private:
  THandler handler_;
  std::string method_;
};

using TNotifyEvent = TEvent<void(TObject*)>;

template <class T>
struct IsTEvent : std::false_type {};
template <class Sig>
struct IsTEvent<TEvent<Sig>> : std::true_type {};

// ---- Published properties ------------------------------------------------

enum TTypeKind : uint8_t {
  tkInteger,      // 32-bit integer
  tkBoolean,
  tkEnumeration,  // written by value name
  tkSet,          // written as the names of its members
  tkFloat,
  tkString,
  tkClass,        // owned persistent object or sub-component: nested properties or a collection
  tkReference,    // another component, written by name
  tkMethod,       // event handler, written by method name
};

// One published property. The accessors that fit the kind are set:
// ordinal kinds (integer, Boolean, enumeration, set bits) use GetOrd/SetOrd.
struct TPropInfo {
  std::string Name;
  TTypeKind Kind = tkInteger;
  const TEnumInfo* EnumType = nullptr;      // enumerations; element type of sets
  const TIdentMap* Idents = nullptr;        // integers with identifier names
  const TClassInfo* ObjectClass = nullptr;  // objects and references: declared class

  std::function<int32_t(const TPersistent&)> GetOrd;
  std::function<void(TPersistent&, int32_t)> SetOrd;
  std::function<double(const TPersistent&)> GetFloat;
  std::function<void(TPersistent&, double)> SetFloat;
  std::function<std::string(const TPersistent&)> GetStr;
  std::function<void(TPersistent&, const std::string&)> SetStr;
  std::function<TPersistent*(const TPersistent&)> GetObj;
  std::function<void(TPersistent&, TPersistent*)> SetObj;  // references; owned objects assign
  std::function<std::string(const TPersistent&)> GetMethodName;
  // Binds to a method of target (nullptr method: unbinds); false on a signature mismatch.
  std::function<bool(TPersistent&, TObject* target, const TMethodInfo* method)> SetMethod;

  // Storage: ordinals are always written unless they have a default;
  // floats default to 0 and strings to empty unless told otherwise.
  bool HasDefault = false;
  int32_t OrdDefault = 0;
  double FloatDefault = 0;
  std::string StrDefault;
  bool StoredConst = true;
  std::function<bool(const TPersistent&)> StoredFn;

  // The stored-when rule of the property (not its default).
  bool IsStored(const TPersistent& instance) const;
};

// ---- Class descriptions --------------------------------------------------

class TClassInfo {
public:
  using TFactory = TPersistent* (*)(TPersistent* owner);
  using TPublishFn = void (*)(TClassInfo&);

  TClassInfo(const char* name, const TClassInfo* parent, TFactory factory, TPublishFn publish);
  TClassInfo(const TClassInfo&) = delete;
  TClassInfo& operator=(const TClassInfo&) = delete;

  const std::string& Name() const { return name_; }
  const TClassInfo* Parent() const { return parent_; }
  bool InheritsFrom(const TClassInfo& other) const;

  // Whether instances can be made from the description (concrete components
  // and collection items), and making one.
  bool Creatable() const { return factory_ != nullptr; }
  TPersistent* CreateInstance(TPersistent* owner) const;

  // Published properties, inherited ones first; a class that publishes a name
  // again replaces the inherited entry in place (to change its default).
  const std::vector<const TPropInfo*>& Properties() const;
  // By name, without regard to case; nullptr when none.
  const TPropInfo* FindProperty(const std::string& name) const;
  // Handler methods, along the class tree; nullptr when none.
  const TMethodInfo* FindMethod(const std::string& name) const;
  // Component fields, along the class tree; nullptr when none.
  const TFieldInfo* FindField(const std::string& name) const;

  // For TPublisher while Publish runs.
  TPropInfo& AddProperty(const std::string& name, TTypeKind kind);
  void AddMethod(TMethodInfo method);
  void AddField(TFieldInfo field);

private:
  void Build() const;

  std::string name_;
  const TClassInfo* parent_;
  TFactory factory_;
  TPublishFn publish_;
  mutable std::once_flag built_;
  mutable std::vector<std::unique_ptr<TPropInfo>> own_;
  mutable std::vector<const TPropInfo*> all_;
  mutable std::vector<TMethodInfo> methods_;
  mutable std::vector<TFieldInfo> fields_;
};

// Chooses how the registry makes an instance: a class that declares its
// constructor argument type (TComponent: the owner; TCollectionItem: the
// collection) and can be built from it is creatable.
template <class T>
struct TClassOf {
  static TPersistent* Create(TPersistent* owner) {
    if constexpr (requires { typename T::TCreateArg; }) {
      using Arg = typename T::TCreateArg;
      if constexpr (!std::is_abstract_v<T> && std::is_constructible_v<T, Arg>)
        return new T(static_cast<Arg>(owner));
    }
    return nullptr;
  }
  static constexpr TClassInfo::TFactory Factory() {
    if constexpr (requires { typename T::TCreateArg; }) {
      if constexpr (!std::is_abstract_v<T> && std::is_constructible_v<T, typename T::TCreateArg>)
        return &Create;
    }
    return nullptr;
  }
  static void Publish(TClassInfo& info) {
    // Only a Publish the class declares itself; an inherited one takes a
    // publisher of the base class and does not match.
    if constexpr (requires(TPublisher<T>& p) { T::Publish(p); }) {
      TPublisher<T> p(info);
      T::Publish(p);
    }
  }
};

// Opens the body of every class of the tree. Leaves the access private.
#define KY_CLASS(Self, Parent)                                                              \
 public:                                                                                    \
  using inherited = Parent;                                                                 \
  static const TClassInfo& StaticClass() {                                                  \
    static const TClassInfo info(#Self, &Parent::StaticClass(), TClassOf<Self>::Factory(), \
                                 &TClassOf<Self>::Publish);                                 \
    return info;                                                                            \
  }                                                                                         \
  const TClassInfo& ClassType() const override { return StaticClass(); }                    \
                                                                                            \
 private:

// ---- Publishing ----------------------------------------------------------

template <class T>
class TPropBuilder {
public:
  explicit TPropBuilder(TPropInfo& info) : info_(info) {}

  // The value at which the property is not written.
  template <class V>
  TPropBuilder& Default(V value) {
    using D = std::decay_t<V>;
    info_.HasDefault = true;
    if constexpr (IsTSet<D>::value) {
      info_.OrdDefault = static_cast<int32_t>(value.Bits());
    } else if constexpr (std::is_enum_v<D> || std::is_integral_v<D>) {
      info_.OrdDefault = static_cast<int32_t>(value);
    } else if constexpr (std::is_floating_point_v<D>) {
      info_.FloatDefault = static_cast<double>(value);
    } else {
      info_.StrDefault = std::string(value);
    }
    return *this;
  }
  // Never written (false) or always considered (true).
  TPropBuilder& Stored(bool stored) {
    info_.StoredConst = stored;
    return *this;
  }
  // Written only when the method says so.
  template <class C>
  TPropBuilder& Stored(bool (C::*fn)() const) {
    static_assert(std::is_base_of_v<C, T>);
    info_.StoredFn = [fn](const TPersistent& o) { return (static_cast<const T&>(o).*fn)(); };
    return *this;
  }
  // An integer that is written by name where the map knows its value.
  TPropBuilder& Idents(const TIdentMap& map) {
    info_.Idents = &map;
    return *this;
  }

private:
  TPropInfo& info_;
};

template <class T>
class TPublisher {
public:
  explicit TPublisher(TClassInfo& info) : info_(info) {}

  // A value property (integer, Boolean, enumeration, set, float, string) or,
  // when the getter returns a component pointer, a reference by name.
  template <class C, class G, class S>
  TPropBuilder<T> Property(const char* name, G (C::*get)() const, void (C::*set)(S)) {
    static_assert(std::is_base_of_v<C, T>);
    using V = std::remove_cvref_t<G>;
    if constexpr (std::is_pointer_v<V>) {
      using O = std::remove_cv_t<std::remove_pointer_t<V>>;
      static_assert(std::is_base_of_v<TComponent, O>,
                    "object properties with a setter are references to components");
      TPropInfo& p = info_.AddProperty(name, tkReference);
      p.ObjectClass = &O::StaticClass();
      p.GetObj = [get](const TPersistent& o) -> TPersistent* {
        return const_cast<O*>((static_cast<const T&>(o).*get)());
      };
      p.SetObj = [set](TPersistent& o, TPersistent* v) {
        (static_cast<T&>(o).*set)(static_cast<O*>(v));
      };
      return TPropBuilder<T>(p);
    } else if constexpr (std::is_same_v<V, bool>) {
      TPropInfo& p = info_.AddProperty(name, tkBoolean);
      p.GetOrd = [get](const TPersistent& o) -> int32_t { return (static_cast<const T&>(o).*get)() ? 1 : 0; };
      p.SetOrd = [set](TPersistent& o, int32_t v) { (static_cast<T&>(o).*set)(v != 0); };
      return TPropBuilder<T>(p);
    } else if constexpr (std::is_enum_v<V>) {
      TPropInfo& p = info_.AddProperty(name, tkEnumeration);
      p.EnumType = &EnumInfo(V{});
      p.GetOrd = [get](const TPersistent& o) { return static_cast<int32_t>((static_cast<const T&>(o).*get)()); };
      p.SetOrd = [set](TPersistent& o, int32_t v) { (static_cast<T&>(o).*set)(static_cast<V>(v)); };
      return TPropBuilder<T>(p);
    } else if constexpr (IsTSet<V>::value) {
      using E = typename V::TElement;
      TPropInfo& p = info_.AddProperty(name, tkSet);
      p.EnumType = &EnumInfo(E{});
      p.GetOrd = [get](const TPersistent& o) {
        return static_cast<int32_t>((static_cast<const T&>(o).*get)().Bits());
      };
      p.SetOrd = [set](TPersistent& o, int32_t v) {
        (static_cast<T&>(o).*set)(V::FromBits(static_cast<uint32_t>(v)));
      };
      return TPropBuilder<T>(p);
    } else if constexpr (std::is_integral_v<V>) {
      TPropInfo& p = info_.AddProperty(name, tkInteger);
      p.GetOrd = [get](const TPersistent& o) { return static_cast<int32_t>((static_cast<const T&>(o).*get)()); };
      p.SetOrd = [set](TPersistent& o, int32_t v) { (static_cast<T&>(o).*set)(static_cast<V>(v)); };
      return TPropBuilder<T>(p);
    } else if constexpr (std::is_floating_point_v<V>) {
      TPropInfo& p = info_.AddProperty(name, tkFloat);
      p.GetFloat = [get](const TPersistent& o) { return static_cast<double>((static_cast<const T&>(o).*get)()); };
      p.SetFloat = [set](TPersistent& o, double v) { (static_cast<T&>(o).*set)(static_cast<V>(v)); };
      return TPropBuilder<T>(p);
    } else {
      static_assert(std::is_same_v<V, std::string>, "unsupported property type");
      TPropInfo& p = info_.AddProperty(name, tkString);
      p.GetStr = [get](const TPersistent& o) { return std::string((static_cast<const T&>(o).*get)()); };
      p.SetStr = [set](TPersistent& o, const std::string& v) { (static_cast<T&>(o).*set)(v); };
      return TPropBuilder<T>(p);
    }
  }

  // An owned persistent object: its properties are written nested
  // ("Font.Style"), a collection as a collection value. A component that
  // the instance owns (a sub-component: "PkgSetup.Keys.EnterAsTab") is
  // written nested the same way, never by reference.
  template <class C, class O>
  TPropBuilder<T> Property(const char* name, O* (C::*get)() const) {
    static_assert(std::is_base_of_v<C, T>);
    static_assert(std::is_base_of_v<TPersistent, O>, "owned object properties hold persistent objects");
    TPropInfo& p = info_.AddProperty(name, tkClass);
    p.ObjectClass = &std::remove_cv_t<O>::StaticClass();
    p.GetObj = [get](const TPersistent& o) -> TPersistent* {
      return const_cast<std::remove_cv_t<O>*>((static_cast<const T&>(o).*get)());
    };
    return TPropBuilder<T>(p);
  }

  // An event held in a data member.
  template <class C, class Sig>
  TPropBuilder<T> Event(const char* name, TEvent<Sig> C::*field) {
    static_assert(std::is_base_of_v<C, T>);
    TPropInfo& p = info_.AddProperty(name, tkMethod);
    p.GetMethodName = [field](const TPersistent& o) { return (static_cast<const T&>(o).*field).MethodName(); };
    p.SetMethod = [field](TPersistent& o, TObject* target, const TMethodInfo* m) {
      TEvent<Sig>& e = static_cast<T&>(o).*field;
      if (!m) {
        e.Clear();
        return true;
      }
      return e.Bind(*target, *m);
    };
    return TPropBuilder<T>(p);
  }

  // A handler method that forms bind by name (a form's BtNextClick).
  template <class C, class R, class... A>
  void Method(const char* name, R (C::*method)(A...)) {
    static_assert(std::is_base_of_v<C, T>);
    info_.AddMethod(TMethodInfo{
        name, std::type_index(typeid(R(A...))), [method](TObject& target) -> std::any {
          C* self = static_cast<C*>(&static_cast<T&>(target));
          return std::function<R(A...)>([self, method](A... args) -> R {
            return (self->*method)(std::forward<A>(args)...);
          });
        }});
  }

  // A field that holds the owned component of that name (a form's BtNext).
  template <class C, class F>
  void Field(const char* name, F* C::*field) {
    static_assert(std::is_base_of_v<C, T>);
    static_assert(std::is_base_of_v<TComponent, F>, "fields hold components");
    info_.AddField(TFieldInfo{name, [field](TObject& owner, TComponent* value) {
                                F* typed = value ? dynamic_cast<F*>(value) : nullptr;
                                if (value && !typed) return false;
                                static_cast<T&>(owner).*field = typed;
                                return true;
                              }});
  }

private:
  TClassInfo& info_;
};
