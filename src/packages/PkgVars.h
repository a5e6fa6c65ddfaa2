// Variables packages: a small tree of named, typed values (folders holding
// variables and further folders) kept beside the program, addressed by
// package name and a path such as "Forms\FrMain\__Show__/__Info__".
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <variant>
#include <vector>

#include "packages/PkgInfo.h"
#include "platform/base/TypedStream.h"

class TKyPkgVars;

enum TKyPkgVarsType : uint8_t { vtyBoolean = 0, vtyInteger = 1, vtyFloat = 2, vtyString = 3 };

// One node; a node with children is a folder (and keeps a value of its
// own, which the file carries too). Children are kept in ascending order of
// name, compared ignoring case by the user's collation.
class TKyPkgVarsItem {
public:
  using TValue = std::variant<bool, int32_t, TExtended, std::string>;

  TKyPkgVarsItem(TKyPkgVars* package, TKyPkgVarsItem* parent, std::string name);
  ~TKyPkgVarsItem();
  TKyPkgVarsItem(const TKyPkgVarsItem&) = delete;
  TKyPkgVarsItem& operator=(const TKyPkgVarsItem&) = delete;

  TKyPkgVars* Package() const { return package_; }
  TKyPkgVarsItem* Parent() const { return parent_; }
  const std::string& Name() const { return name_; }
  bool IsFolder() const { return !children_.empty(); }
  int Count() const { return static_cast<int>(children_.size()); }
  TKyPkgVarsItem* Items(int index) const { return children_.at(static_cast<size_t>(index)).get(); }
  TKyPkgVarsItem* FirstChild() const { return children_.empty() ? nullptr : children_.front().get(); }
  TKyPkgVarsItem* NextSibling() const;

  TKyPkgVarsType Type() const { return static_cast<TKyPkgVarsType>(value_.index()); }
  const TValue& Value() const { return value_; }
  // Integer view: Booleans 0/1, floats truncated, texts as decimal or def.
  int32_t AsInteger(int32_t def) const;
  // Text view: integers in decimal, Booleans "True"/"False".
  std::string AsString() const;

  // The child of that name (ignoring case), or nullptr; walks the sorted
  // children and stops at the first that sorts after the name.
  TKyPkgVarsItem* Find(const std::string& name) const;

private:
  friend class TKyPkgVars;
  // The child of that name, made in its sorted place when missing.
  TKyPkgVarsItem* Ensure(const std::string& name);
  void Remove(TKyPkgVarsItem* child);

  TKyPkgVars* package_;
  TKyPkgVarsItem* parent_;
  std::string name_;
  TValue value_ = std::string();
  std::vector<std::unique_ptr<TKyPkgVarsItem>> children_;
};

class TKyPkgVars : public TKyPkgInfo {
  KY_CLASS(TKyPkgVars, TKyPkgInfo)
public:
  static constexpr uint16_t kVersion = 4;
  // Deeper trees are refused, so that damaged files and paths cannot
  // exhaust the stack.
  static constexpr int kMaxDepth = 256;

  explicit TKyPkgVars(TComponent* owner);
  ~TKyPkgVars() override;

  // The top-level items (children of an unnamed root).
  TKyPkgVarsItem* Root() const { return root_.get(); }
  int32_t Preserved(int index) const { return preserved_.at(static_cast<size_t>(index)); }
  void SetPreserved(int index, int32_t value);

  // By path ("a\b/c"): the item, or nullptr when any part is missing.
  // An empty path raises message 29, an invalid one message 30.
  TKyPkgVarsItem* FindItem(const std::string& path) const;
  int32_t ReadInteger(const std::string& path, int32_t def) const;
  std::string ReadString(const std::string& path, const std::string& def) const;
  // Make the missing folders and the variable, which takes the given type.
  void WriteInteger(const std::string& path, int32_t value);
  void WriteString(const std::string& path, const std::string& value);
  void WriteBoolean(const std::string& path, bool value);
  void WriteFloat(const std::string& path, const TExtended& value);
  // Deletes a variable or a whole folder; false when there is none.
  bool Delete(const std::string& path);

  const TKyPkgKind& Kind() const override;
  void Clear() override;
  // Found by name: renaming checks the reserved names and puts the package
  // at the end of the lookup list, as the other kinds found by name do.
  void SetPkgName(const std::string& value) override;
  void ReadPackage(TKyReader& reader) override;
  void WritePackage(TKyWriter& writer) override;
  // Its own folder: PathPkgVars of the active application configuration
  // when it gives one, else the program's folder.
  std::string GetPath() const override;

private:
  std::vector<std::string> SplitPath(const std::string& path) const;
  TKyPkgVarsItem* MakeItem(const std::string& path);
  void SetValue(const std::string& path, TKyPkgVarsItem::TValue value);

  static constexpr std::array<int32_t, 5> kPreservedDefaults{2147483647, 2147483647, 2147483647, 2147483647, 0};
  std::unique_ptr<TKyPkgVarsItem> root_;
  std::array<int32_t, 5> preserved_ = kPreservedDefaults;
};

// The variables package of that name: "User" the first application
// configuration's, "System" none, others the front one of the name.
TKyPkgVars* FindVarsPackage(const std::string& name);
// By package name and path. Reads give the default when the package or the
// variable is missing; writes and deletes answer whether there was a
// package (and, for deletes, something to delete).
int32_t ReadVarInteger(const std::string& pkgName, const std::string& path, int32_t def);
std::string ReadVarString(const std::string& pkgName, const std::string& path, const std::string& def);
bool WriteVarInteger(const std::string& pkgName, const std::string& path, int32_t value);
bool WriteVarString(const std::string& pkgName, const std::string& path, const std::string& value);
bool DeleteVar(const std::string& pkgName, const std::string& path);
// Where the variables file lives; the application configuration sets it.
void SetVarsPathProvider(std::function<std::string()> provider);
