// Display set objects: the small property objects through which controls
// name their font, colours and background ('sf2', 'sc5', 'sb14'). Each
// resolves its name through the display package of the first application
// configuration and, when that fails, asks its fallback, ending in one of the
// 36 library default sets. Fonts and colours are plain values here; the
// drawing layer turns them into platform objects. Portable: no <windows.h>.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/classes/Classes.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/FontData.h"
#include "platform/graphics/Scaling.h"

class TKyPkgDisplay;
class TKyPkgDisplaySet;
class TKyPkgDisplaySetFont;
class TKyPkgDisplaySetColor;
class TKyPkgDisplaySetBackGround;

KY_ENUM(TKySetKind, uint8_t, sekFont, sekColor, sekBackGround)

// ---- Property objects ------------------------------------------------------------

class TKySetObject : public TPersistent {
  KY_CLASS(TKySetObject, TPersistent)
public:
  using TOwnerNotify = std::function<void(TKySetObject* sender)>;
  // The name that always takes the fallback's value.
  static constexpr const char* kDefaultName = "<Default>";

  ~TKySetObject() override;

  TKySetKind SetKind() const { return kind_; }
  const std::string& Name() const { return name_; }
  void SetName(const std::string& value);
  // Consulted when this object does not resolve; nullptr only for the
  // library defaults, which end every chain.
  TKySetObject* Fallback() const { return fallback_; }
  bool UsesDefaultName() const { return usesDefaultName_; }

  // The set of this object, or else its fallback's; cached until a package
  // change invalidates it. None without an application configuration.
  TKyPkgDisplaySet* ResolveSet();
  bool IsResolved() { return ResolveSet() != nullptr; }
  // The cache is valid.
  bool Resolved() const { return resolved_; }

  // Told when the resolved value may have changed.
  TOwnerNotify OnChange;

  void Assign(const TPersistent* source) override;

  // Cache passes over every live object of one kind.
  static void InvalidateSet(const TKyPkgDisplaySet* set);
  static void InvalidatePackage(TKySetKind kind, const TKyPkgDisplay* package);
  static void InvalidateEmpty(TKySetKind kind);
  static void InvalidateAll(TKySetKind kind);
  // Each object without a valid cache resolves again and tells its owner
  // when it had a set before or finds one now.
  static void NotifyPass(TKySetKind kind);
  static int LiveCount(TKySetKind kind);

protected:
  // A null fallback means the library default of the kind, unless root.
  TKySetObject(TKySetKind kind, TPersistent* owner, const std::string& name, TKySetObject* fallback, bool root);
  void DefineProperties(TFiler& filer) override;
  TPersistent* GetOwner() const override { return owner_; }
  virtual void Changed();

private:
  void Invalidate();
  static void CascadeFromRoots(TKySetKind kind);

  TKySetKind kind_;
  TPersistent* owner_;
  std::string name_;
  std::string createdName_;  // not written while the name is still this one
  bool resolved_ = false;
  bool hadSet_ = false;
  bool fromFallback_ = false;
  TKyPkgDisplaySet* cached_ = nullptr;
  TKySetObject* fallback_ = nullptr;
  bool usesDefaultName_ = false;
};

class TKySetFont : public TKySetObject {
  KY_CLASS(TKySetFont, TKySetObject)
public:
  explicit TKySetFont(TPersistent* owner = nullptr, const std::string& name = "", TKySetFont* fallback = nullptr)
      : TKySetObject(sekFont, owner, name, fallback, false) {}
  TKyPkgDisplaySetFont* Resolve();
  // The resolved set's font, or the fallback's.
  virtual TKyFontData Value();

protected:
  TKySetFont(TPersistent* owner, const std::string& name, bool root) : TKySetObject(sekFont, owner, name, nullptr, root) {}
};

class TKySetColor : public TKySetObject {
  KY_CLASS(TKySetColor, TKySetObject)
public:
  explicit TKySetColor(TPersistent* owner = nullptr, const std::string& name = "", TKySetColor* fallback = nullptr)
      : TKySetObject(sekColor, owner, name, fallback, false) {}
  TKyPkgDisplaySetColor* Resolve();
  virtual TKyColor Value();

protected:
  TKySetColor(TPersistent* owner, const std::string& name, bool root) : TKySetObject(sekColor, owner, name, nullptr, root) {}
};

class TKySetBackGround : public TKySetObject {
  KY_CLASS(TKySetBackGround, TKySetObject)
public:
  explicit TKySetBackGround(TPersistent* owner = nullptr, const std::string& name = "",
                            TKySetBackGround* fallback = nullptr)
      : TKySetObject(sekBackGround, owner, name, fallback, false) {}
  TKyPkgDisplaySetBackGround* Resolve();
  // The set's plain colour.
  virtual TKyColor Value();
  // Nothing resolves, or the set is a plain fill (kind 0).
  bool IsPlain();

protected:
  TKySetBackGround(TPersistent* owner, const std::string& name, bool root)
      : TKySetObject(sekBackGround, owner, name, nullptr, root) {}
};

// The ends of the chains: without a set they answer their default value.
class TKyDefaultSetFont : public TKySetFont {
  KY_CLASS(TKyDefaultSetFont, TKySetFont)
public:
  TKyDefaultSetFont(const std::string& name, const TKyFontData& value) : TKySetFont(nullptr, name, true), default_(value) {}
  TKyFontData Value() override;
  TKyFontData& DefaultValue() { return default_; }

private:
  TKyFontData default_;
};

class TKyDefaultSetColor : public TKySetColor {
  KY_CLASS(TKyDefaultSetColor, TKySetColor)
public:
  TKyDefaultSetColor(const std::string& name, TKyColor value) : TKySetColor(nullptr, name, true), default_(value) {}
  TKyColor Value() override;
  TKyColor DefaultValue() const { return default_; }

private:
  TKyColor default_;
};

class TKyDefaultSetBackGround : public TKySetBackGround {
  KY_CLASS(TKyDefaultSetBackGround, TKySetBackGround)
public:
  TKyDefaultSetBackGround(const std::string& name, TKyColor value)
      : TKySetBackGround(nullptr, name, true), default_(value) {}
  TKyColor Value() override;
  TKyColor DefaultValue() const { return default_; }

private:
  TKyColor default_;
};

// ---- Library defaults ------------------------------------------------------------

// The 36 library default sets, created at the first use, in their order
// ("Dft_BackGround", "Dft_Font", "Dft_ColText", ...). They live for the
// whole process.
const std::vector<TKySetObject*>& LibraryDefaultSets();
// By name, ignoring case; nullptr when none.
TKySetObject* LibraryDefaultSet(const std::string& name);
// The colour a library colour set ("Dft_3DShadow") shows now, through the
// display package; black for a name that is no colour set.
TKyColor LibraryDefaultColor(const std::string& name);
TKyDefaultSetFont& DftFont();
TKyDefaultSetColor& DftColBox();
TKyDefaultSetBackGround& DftBackGround();
// The library's default font ("Dft_Font"'s value).
TKyFontData& LibraryDefaultFont();
// Whether the default font's height was scaled in this process; display
// packages of the first application configuration scale it once.
bool LibraryDefaultFontScaled();
void SetLibraryDefaultFontScaled(bool value);
