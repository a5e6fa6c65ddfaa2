#include "platform/classes/FormStream.h"

#include <algorithm>
#include <cstring>

#include "platform/classes/Collection.h"
#include "platform/base/SysUtils.h"

namespace {

TFindGlobalComponent& GlobalFinder() {
  static TFindGlobalComponent finder;
  return finder;
}

[[noreturn]] void InvalidValue() { throw EReadError("Invalid property value"); }

bool IsIntegerTag(TValueType t) { return t == vaInt8 || t == vaInt16 || t == vaInt32; }

// "Name" within root, the root itself, or "Root.Name" of another root.
TComponent* ResolveReference(TComponent* root, const std::string& name) {
  size_t dot = name.find('.');
  if (dot == std::string::npos) {
    if (SameText(root->Name(), name)) return root;
    return root->FindComponent(name);
  }
  std::string rootName = name.substr(0, dot);
  TComponent* other = nullptr;
  if (SameText(root->Name(), rootName)) other = root;
  else if (GlobalFinder()) other = GlobalFinder()(rootName);
  return other ? other->FindComponent(name.substr(dot + 1)) : nullptr;
}

}  // namespace

void SetFindGlobalComponent(TFindGlobalComponent finder) { GlobalFinder() = std::move(finder); }

// ---- TFormLoading ----

TFormLoading::~TFormLoading() {
  if (!done_) Abort();
}

void TFormLoading::Add(TComponent* component, bool created) {
  if (std::find(loaded_.begin(), loaded_.end(), component) == loaded_.end()) loaded_.push_back(component);
  if (created) created_.push_back(component);
  component->state_.Include(csLoading);
  component->state_.Include(csReading);
}

namespace {

TFormLoadedHook& FormLoadedHook() {
  static TFormLoadedHook hook;
  return hook;
}

}  // namespace

void SetFormLoadedHook(TFormLoadedHook hook) { FormLoadedHook() = std::move(hook); }

void TFormLoading::Finish() {
  if (done_) return;
  try {
    for (const TFixup& f : fixups_) {
      TComponent* target = ResolveReference(f.Root, f.Name);
      if (!target)
        throw EReadError("Error reading " + f.Instance->GetNamePath() + "." + f.Prop->Name + ": unresolved reference to " +
                         f.Name);
      if (!target->InheritsFrom(*f.Prop->ObjectClass))
        throw EReadError("Error reading " + f.Instance->GetNamePath() + "." + f.Prop->Name + ": " + f.Name + " is not a " +
                         f.Prop->ObjectClass->Name());
      f.Prop->SetObj(*f.Instance, target);
    }
  } catch (...) {
    Abort();
    throw;
  }
  fixups_.clear();
  created_.clear();
  done_ = true;
  for (TComponent* c : loaded_) c->state_.Exclude(csReading);
  try {
    for (TComponent* c : loaded_) c->Loaded();
  } catch (...) {
    for (TComponent* c : loaded_) c->state_.Exclude(csLoading);
    throw;
  }
  // Also for overrides of Loaded that do not call the inherited one.
  for (TComponent* c : loaded_) c->state_.Exclude(csLoading);
  if (FormLoadedHook() && !loaded_.empty()) FormLoadedHook()(loaded_.front());
}

void TFormLoading::Abort() {
  done_ = true;
  fixups_.clear();
  for (TComponent* c : loaded_)
    if (std::find(created_.begin(), created_.end(), c) == created_.end()) {
      c->state_.Exclude(csLoading);
      c->state_.Exclude(csReading);
    }
  // Last made first: components the pass made inside others go before them.
  for (auto it = created_.rbegin(); it != created_.rend(); ++it) delete *it;
  created_.clear();
  loaded_.clear();
}

// ---- TReader ----

TReader::TReader(TStream& stream, int32_t bufferSize) : in_(stream, bufferSize) {}

std::string TReader::ReadStr() {
  uint8_t len;
  in_.Read(&len, 1);
  std::string s(len, '\0');
  if (len) in_.Read(s.data(), len);
  return s;
}

void TReader::ReadHeader(TFilerFlags& flags, int32_t& position, std::string& className, std::string& name) {
  flags = {};
  position = -1;
  uint8_t b = in_.NextValue();
  if ((b & 0xF0) == 0xF0) {
    in_.ReadValue();
    flags = TFilerFlags::FromBits(b & 0x0F);
    if (flags.Contains(ffChildPos)) position = in_.ReadInteger();
  }
  className = ReadStr();
  name = ReadStr();
}

TComponent* TReader::ReadRootComponent(TComponent* root) {
  TFormLoading loading;
  root = ReadRootComponent(root, loading);
  loading.Finish();
  return root;
}

TComponent* TReader::ReadRootComponent(TComponent* root, TFormLoading& loading) {
  loading_ = &loading;
  char signature[4];
  in_.Read(signature, 4);
  if (std::memcmp(signature, kFormSignature, 4) != 0) throw EReadError("Invalid stream format");
  TFilerFlags flags;
  int32_t position;
  std::string className, name;
  ReadHeader(flags, position, className, name);
  if (!root) {
    root = CreateComponent(className, nullptr);
    loading.Add(root, true);
  } else {
    // A form's stream, or an ancestor's: the root must be of that class.
    const TClassInfo* cls = GetClass(className);
    if (cls && !root->InheritsFrom(*cls))
      throw EReadError("Cannot read a " + className + " into a " + root->ClassName());
    loading.Add(root, false);
  }
  root_ = root;
  root->SetName(name);
  root->ReadState(*this);
  return root;
}

void TComponent::ReadState(TReader& reader) { reader.ReadData(this); }

void TReader::ReadData(TComponent* instance) {
  ReadProperties(instance);
  while (!in_.EndOfList()) ReadComponent(instance);
  in_.ReadListEnd();
}

void TReader::ReadComponent(TComponent* parent) {
  TFilerFlags flags;
  int32_t position;
  std::string className, name;
  ReadHeader(flags, position, className, name);
  TComponent* c;
  if (flags.Contains(ffInherited)) {
    c = root_->FindComponent(name);
    if (!c) throw EReadError("Ancestor for '" + name + "' not found");
    loading_->Add(c, false);
  } else {
    const TClassInfo& cls = FindClass(className);
    TComponent* owner = parent->GetChildOwner();
    c = static_cast<TComponent*>(cls.CreateInstance(owner ? owner : root_));
    loading_->Add(c, true);
    c->SetName(name);
  }
  c->SetParentComponent(parent);
  if (position >= 0) parent->SetChildOrder(c, position);
  c->ReadState(*this);
}

void TReader::ReadProperties(TPersistent* instance) {
  while (!in_.EndOfList()) ReadProperty(instance);
  in_.ReadListEnd();
}

void TReader::SkipValue() {
  switch (in_.NextValue()) {
    case vaList:
      in_.ReadValue();
      while (!in_.EndOfList()) SkipValue();
      in_.ReadListEnd();
      break;
    case vaCollection:
      in_.ReadValue();
      while (!in_.EndOfList()) {
        if (IsIntegerTag(in_.NextValue())) in_.ReadInteger();
        in_.ReadListBegin();
        while (!in_.EndOfList()) {
          ReadStr();
          SkipValue();
        }
        in_.ReadListEnd();
      }
      in_.ReadListEnd();
      break;
    default:
      in_.SkipValue();
  }
}

void TReader::PropertyError(const std::string& message) {
  if (OnError && OnError(*this, message)) {
    SkipValue();
    return;
  }
  throw EReadError(message);
}

void TReader::ReadProperty(TPersistent* instance) {
  std::string path = ReadStr();
  // Errors name the outermost property once, with the object's path.
  struct Depth {
    int& d;
    explicit Depth(int& v) : d(v) { ++d; }
    ~Depth() { --d; }
  } depth(depth_);
  try {
    TPersistent* obj = instance;
    size_t start = 0;
    for (size_t dot; (dot = path.find('.', start)) != std::string::npos; start = dot + 1) {
      const TPropInfo* p = obj->ClassType().FindProperty(path.substr(start, dot - start));
      if (!p || p->Kind != tkClass) {
        PropertyError("Property " + path + " does not exist");
        return;
      }
      obj = p->GetObj(*obj);
      if (!obj) throw EReadError("Property " + p->Name + " holds no object");
    }
    std::string last = path.substr(start);
    if (const TPropInfo* p = obj->ClassType().FindProperty(last)) {
      ReadPropValue(obj, *p);
      return;
    }
    std::string saveWanted = wanted_;
    bool saveFound = found_;
    wanted_ = last;
    found_ = false;
    ancestor_ = nullptr;
    try {
      obj->DefineProperties(*this);
    } catch (...) {
      wanted_ = saveWanted;
      found_ = saveFound;
      throw;
    }
    bool found = found_;
    wanted_ = saveWanted;
    found_ = saveFound;
    if (!found) PropertyError("Property " + path + " does not exist");
  } catch (const Exception& e) {
    if (depth_ > 1) throw;
    throw EReadError("Error reading " + instance->GetNamePath() + "." + path + ": " + e.what());
  }
}

void TReader::ReadPropValue(TPersistent* obj, const TPropInfo& p) {
  switch (p.Kind) {
    case tkInteger:
      if (p.Idents && in_.NextValue() == vaIdent) {
        int32_t v;
        if (!p.Idents->IdentToInt(in_.ReadIdent(), v)) InvalidValue();
        p.SetOrd(*obj, v);
      } else {
        p.SetOrd(*obj, in_.ReadInteger());
      }
      break;
    case tkBoolean: {
      TValueType t = in_.ReadValue();
      if (t != vaTrue && t != vaFalse) InvalidValue();
      p.SetOrd(*obj, t == vaTrue ? 1 : 0);
      break;
    }
    case tkEnumeration: {
      int v = p.EnumType->Value(in_.ReadIdent());
      if (v < 0) InvalidValue();
      p.SetOrd(*obj, v);
      break;
    }
    case tkSet: {
      uint32_t bits = 0;
      for (const std::string& n : in_.ReadSet()) {
        int v = p.EnumType->Value(n);
        if (v < 0 || v >= 32) InvalidValue();
        bits |= uint32_t(1) << v;
      }
      p.SetOrd(*obj, static_cast<int32_t>(bits));
      break;
    }
    case tkFloat:
      p.SetFloat(*obj, in_.ReadFloat().ToDouble());
      break;
    case tkString:
      p.SetStr(*obj, in_.ReadString());
      break;
    case tkClass: {
      TPersistent* o = p.GetObj(*obj);
      TValueType t = in_.NextValue();
      if (t == vaCollection && dynamic_cast<TCollection*>(o)) ReadCollection(o);
      else InvalidValue();
      break;
    }
    case tkReference:
      if (in_.NextValue() == vaNil) {
        in_.ReadValue();
        p.SetObj(*obj, nullptr);
      } else {
        std::string name = in_.ReadIdent();
        // Resolved once the whole tree exists: the component may come later.
        loading_->fixups_.push_back({obj, &p, name, root_});
      }
      break;
    case tkMethod:
      if (in_.NextValue() == vaNil) {
        in_.ReadValue();
        p.SetMethod(*obj, nullptr, nullptr);
      } else {
        std::string name = in_.ReadIdent();
        const TMethodInfo* m = root_->ClassType().FindMethod(name);
        if (!m) throw EReadError("Method " + name + " not found in " + root_->ClassName());
        if (!p.SetMethod(*obj, root_, m)) throw EReadError("Method " + name + " does not fit the event " + p.Name);
      }
      break;
  }
}

void TReader::ReadCollection(TPersistent* collection) {
  auto* coll = static_cast<TCollection*>(collection);
  in_.ReadValue();
  coll->BeginUpdate();
  try {
    coll->Clear();
    while (!in_.EndOfList()) {
      // An item may carry its position; items are read in order anyway.
      if (IsIntegerTag(in_.NextValue())) in_.ReadInteger();
      in_.ReadListBegin();
      TCollectionItem* item = coll->Add();
      while (!in_.EndOfList()) ReadProperty(item);
      in_.ReadListEnd();
    }
    in_.ReadListEnd();
  } catch (...) {
    coll->EndUpdate();
    throw;
  }
  coll->EndUpdate();
}

void TReader::DefineProperty(const std::string& name, const TReadProc& readData, const TWriteProc&, bool) {
  if (found_ || wanted_.empty() || !SameText(name, wanted_)) return;
  found_ = true;
  if (readData) readData(*this);
  else SkipValue();
}

void TReader::DefineBinaryProperty(const std::string& name, const TStreamProc& readData, const TStreamProc&, bool) {
  if (found_ || wanted_.empty() || !SameText(name, wanted_)) return;
  found_ = true;
  std::vector<uint8_t> bytes = in_.ReadBinary();
  if (readData) {
    TMemoryStream data(std::move(bytes));
    readData(data);
  }
}

// ---- TWriter ----

TWriter::TWriter(TStream& stream, int32_t bufferSize) : out_(stream, bufferSize) {}

void TWriter::WriteStr(const std::string& s) {
  if (s.size() > 255) throw EWriteError("Name too long to write: " + s.substr(0, 32) + "...");
  uint8_t len = static_cast<uint8_t>(s.size());
  out_.Write(&len, 1);
  out_.Write(s.data(), len);
}

void TWriter::WriteRootComponent(TComponent* root) { WriteDescendent(root, nullptr); }

void TWriter::WriteDescendent(TComponent* root, TComponent* ancestor) {
  root_ = root;
  ancestorRoot_ = ancestor;
  out_.Write(kFormSignature, 4);
  WriteComponent(root, ancestor);
  out_.FlushBuffer();
}

void TWriter::WriteComponent(TComponent* component, TComponent* ancestor, int32_t position) {
  TFilerFlags flags;
  if (ancestor) flags.Include(ffInherited);
  if (position >= 0) flags.Include(ffChildPos);
  if (!flags.Empty()) {
    uint8_t b = static_cast<uint8_t>(0xF0 | flags.Bits());
    out_.Write(&b, 1);
    if (position >= 0) out_.WriteInteger(position);
  }
  WriteStr(component->ClassName());
  WriteStr(component->Name());
  component->state_.Include(csWriting);
  try {
    WriteProperties(component, ancestor);
    out_.WriteListEnd();
    std::vector<TComponent*> children;
    component->GetChildren([&children](TComponent* child) { children.push_back(child); }, root_);
    std::vector<TComponent*> ancestors(children.size(), nullptr);
    for (size_t i = 0; i < children.size(); ++i) {
      TComponent* child = children[i];
      if (ancestorRoot_ && !child->Name().empty()) {
        TComponent* a = ancestorRoot_->FindComponent(child->Name());
        if (a && child->InheritsFrom(a->ClassType())) ancestors[i] = a;
      }
    }
    // Reading puts inherited children where the ancestor has them and new
    // ones after them; when that is not this order, every child says where
    // it goes.
    bool inheritedSeen = false, needPositions = false;
    for (size_t i = children.size(); i-- > 0;) {
      if (ancestors[i]) inheritedSeen = true;
      else if (inheritedSeen) needPositions = true;
    }
    if (ancestor && !needPositions) {
      std::vector<TComponent*> order;
      ancestor->GetChildren(
          [&](TComponent* a) {
            for (size_t i = 0; i < children.size(); ++i)
              if (ancestors[i] == a) order.push_back(a);
          },
          ancestorRoot_);
      size_t k = 0;
      for (size_t i = 0; i < children.size(); ++i)
        if (ancestors[i] && (k >= order.size() || order[k++] != ancestors[i])) needPositions = true;
    }
    for (size_t i = 0; i < children.size(); ++i)
      WriteComponent(children[i], ancestors[i], needPositions ? static_cast<int32_t>(i) : -1);
    out_.WriteListEnd();
  } catch (...) {
    component->state_.Exclude(csWriting);
    throw;
  }
  component->state_.Exclude(csWriting);
}

void TWriter::WriteProperties(TPersistent* instance, TPersistent* ancestor) {
  if (ancestor && !instance->InheritsFrom(ancestor->ClassType())) ancestor = nullptr;
  for (const TPropInfo* p : instance->ClassType().Properties())
    if (p->IsStored(*instance)) WriteProperty(instance, ancestor, *p);
  TPersistent* saveAncestor = ancestor_;
  ancestor_ = ancestor;
  try {
    instance->DefineProperties(*this);
  } catch (...) {
    ancestor_ = saveAncestor;
    throw;
  }
  ancestor_ = saveAncestor;
}

std::string TWriter::ReferenceName(TPersistent* p) const {
  auto* c = static_cast<TComponent*>(p);
  if (!c || c->Name().empty()) return "";
  if (c == root_ || c == ancestorRoot_) return c->Name();
  if (c->Owner() == root_ || (ancestorRoot_ && c->Owner() == ancestorRoot_)) return c->Name();
  if (c->Owner() && !c->Owner()->Name().empty()) return c->Owner()->Name() + "." + c->Name();
  return "";
}

void TWriter::WriteProperty(TPersistent* instance, TPersistent* ancestor, const TPropInfo& p) {
  // The same property of the ancestor's object, when there is one.
  const TPropInfo* ap = ancestor ? ancestor->ClassType().FindProperty(p.Name) : nullptr;
  if (ap && ap->Kind != p.Kind) ap = nullptr;
  std::string name = prefix_ + p.Name;
  switch (p.Kind) {
    case tkInteger:
    case tkBoolean:
    case tkEnumeration:
    case tkSet: {
      int32_t v = p.GetOrd(*instance);
      if (ap ? v == ap->GetOrd(*ancestor) : (p.HasDefault && v == p.OrdDefault)) return;
      WriteStr(name);
      if (p.Kind == tkInteger) {
        std::string ident;
        if (p.Idents && p.Idents->IntToIdent(v, ident)) out_.WriteIdent(ident);
        else out_.WriteInteger(v);
      } else if (p.Kind == tkBoolean) {
        out_.WriteBoolean(v != 0);
      } else if (p.Kind == tkEnumeration) {
        const std::string& n = p.EnumType->Name(v);
        if (n.empty()) throw EWriteError(Format("Value %d of %s is not a %s", {int64_t(v), name, p.EnumType->TypeName()}));
        out_.WriteIdent(n);
      } else {
        std::vector<std::string> names;
        for (int i = 0; i < 32; ++i)
          if (static_cast<uint32_t>(v) & (uint32_t(1) << i)) {
            const std::string& n = p.EnumType->Name(i);
            if (n.empty()) throw EWriteError("Set " + name + " holds a value outside " + p.EnumType->TypeName());
            names.push_back(n);
          }
        out_.WriteSet(names);
      }
      break;
    }
    case tkFloat: {
      double v = p.GetFloat(*instance);
      if (ap ? v == ap->GetFloat(*ancestor) : v == p.FloatDefault) return;
      WriteStr(name);
      out_.WriteFloat(TExtended::FromDouble(v));
      break;
    }
    case tkString: {
      std::string v = p.GetStr(*instance);
      if (ap ? v == ap->GetStr(*ancestor) : v == p.StrDefault) return;
      WriteStr(name);
      out_.WriteString(v);
      break;
    }
    case tkMethod: {
      std::string v = p.GetMethodName(*instance);
      if (ap ? v == ap->GetMethodName(*ancestor) : v.empty()) return;
      WriteStr(name);
      if (v.empty()) out_.WriteValue(vaNil);
      else out_.WriteIdent(v);
      break;
    }
    case tkReference: {
      std::string v = ReferenceName(p.GetObj(*instance));
      if (ap ? v == ReferenceName(ap->GetObj(*ancestor)) : v.empty()) return;
      WriteStr(name);
      if (v.empty()) out_.WriteValue(vaNil);
      else out_.WriteIdent(v);
      break;
    }
    case tkClass: {
      TPersistent* o = p.GetObj(*instance);
      if (!o) return;
      // A component goes nested only when the instance owns it; another's
      // would be written twice (and read into the wrong object).
      if (auto* c = dynamic_cast<TComponent*>(o); c && c->Owner() != instance) return;
      TPersistent* ao = ap ? ap->GetObj(*ancestor) : nullptr;
      if (auto* coll = dynamic_cast<TCollection*>(o)) {
        if (ao ? SameCollection(coll, ao) : coll->Count() == 0) return;
        WriteStr(name);
        WriteCollection(coll);
      } else {
        std::string savePrefix = prefix_;
        prefix_ = name + ".";
        try {
          WriteProperties(o, ao);
        } catch (...) {
          prefix_ = savePrefix;
          throw;
        }
        prefix_ = savePrefix;
      }
      break;
    }
  }
}

bool TWriter::SameCollection(TPersistent* a, TPersistent* b) {
  if (!dynamic_cast<TCollection*>(b)) return false;
  auto bytes = [this](TPersistent* c) {
    TMemoryStream m;
    TWriter w(m);
    w.root_ = root_;
    w.ancestorRoot_ = ancestorRoot_;
    w.WriteCollection(c);
    w.FlushBuffer();
    return m.Data();
  };
  return bytes(a) == bytes(b);
}

void TWriter::WriteCollection(TPersistent* collection) {
  auto* coll = static_cast<TCollection*>(collection);
  out_.WriteValue(vaCollection);
  std::string savePrefix = prefix_;
  prefix_.clear();
  try {
    for (int i = 0; i < coll->Count(); ++i) {
      out_.WriteListBegin();
      WriteProperties(coll->Items(i), nullptr);
      out_.WriteListEnd();
    }
  } catch (...) {
    prefix_ = savePrefix;
    throw;
  }
  prefix_ = savePrefix;
  out_.WriteListEnd();
}

void TWriter::DefineProperty(const std::string& name, const TReadProc&, const TWriteProc& writeData, bool hasData) {
  if (!hasData || !writeData) return;
  WriteStr(prefix_ + name);
  writeData(*this);
}

void TWriter::DefineBinaryProperty(const std::string& name, const TStreamProc&, const TStreamProc& writeData,
                                   bool hasData) {
  if (!hasData || !writeData) return;
  TMemoryStream data;
  writeData(data);
  WriteStr(prefix_ + name);
  out_.WriteBinary(data.Data().data(), static_cast<int32_t>(data.Data().size()));
}

// ---- Whole streams ----

void WriteComponentStream(TStream& stream, TComponent* root, TComponent* ancestor) {
  TWriter w(stream);
  w.WriteDescendent(root, ancestor);
}

std::vector<uint8_t> WriteComponentBytes(TComponent* root, TComponent* ancestor) {
  TMemoryStream m;
  WriteComponentStream(m, root, ancestor);
  return m.Data();
}

TComponent* ReadComponentStream(TStream& stream, TComponent* root) {
  TReader r(stream);
  return r.ReadRootComponent(root);
}

TComponent* ReadComponentBytes(const std::vector<uint8_t>& bytes, TComponent* root) {
  TMemoryStream m(bytes);
  return ReadComponentStream(m, root);
}
