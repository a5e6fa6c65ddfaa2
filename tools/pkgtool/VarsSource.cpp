// Variables packages as readable sources:
//
//   [Package]    Class=Variables, Name (where it is embedded), Description,
//                Preserved=a,b,c,d,e (the five kept integers)
//   [Variables]  one line per value, "Type path=value": the type Boolean,
//                Integer, Float or String; the path the names from the top
//                level down joined by "/". A folder is a name that other
//                paths run through; a line with the folder's own path gives
//                its own value (a String "" when there is none).
//
// Names are escaped like values, and also "/" and "=" (\x2F, \x3D) and a
// blank at either end; the empty name is written "". The package sorts
// siblings, so the lines may come in any order; a name given twice under one
// folder (ignoring case) is refused.
#include <algorithm>
#include <memory>
#include <string>
#include <type_traits>

#include "ExtendedText.h"
#include "PkgSource.h"
#include "packages/PkgVars.h"
#include "platform/os/LocaleInfo.h"
#include "platform/base/Stream.h"
#include "platform/base/SysUtils.h"

namespace {

const char* const kTypeWords[] = {"Boolean", "Integer", "Float", "String"};

// ---- Names ----

std::string EscapeName(const std::string& name) {
  if (name.empty()) return "\"\"";
  std::string out;
  for (char c : EscapeText(name, false)) {
    if (c == '/') out += "\\x2F";
    else if (c == '=') out += "\\x3D";
    else out += c;
  }
  // The key is trimmed when read.
  if (out[0] == ' ') out.replace(0, 1, "\\x20");
  if (out == "\"\"") out = "\\x22\"";
  return out;
}

// ---- Compiling ----

// The tree as the source gives it, each level sorted as the package sorts.
struct TNode {
  std::string Name;
  TKyPkgVarsItem::TValue Value = std::string();
  int Line = 0;  // of the line that gave the value; 0 while only paths run through
  std::vector<std::unique_ptr<TNode>> Children;
};

TNode* Child(TNode& parent, const std::string& name) {
  auto& c = parent.Children;
  auto it = std::lower_bound(c.begin(), c.end(), name,
                             [](const auto& n, const std::string& k) { return AnsiCompareText(n->Name, k) < 0; });
  if (it != c.end() && AnsiCompareText((*it)->Name, name) == 0) return it->get();
  auto node = std::make_unique<TNode>();
  node->Name = name;
  return c.insert(it, std::move(node))->get();
}

// "Type path": the type and the names along the path.
TKyPkgVarsType ParseKey(const TPkgSource& src, const TSourceEntry& e, std::string& path,
                        std::vector<std::string>& names) {
  std::string key;
  if (!Utf8ToAnsi(e.Key, key)) src.Fail(e.Line, "text that is not UTF-8 or has a character outside code page 1252");
  size_t blank = key.find_first_of(" \t");
  std::string word = key.substr(0, blank);
  int type = 0;
  while (type < 4 && !SameText(word, kTypeWords[type])) ++type;
  if (type == 4) src.Fail(e.Line, "'" + word + "' is not a type (Boolean, Integer, Float or String)");
  path = blank == std::string::npos ? "" : Trim(key.substr(blank));
  if (path.empty()) src.Fail(e.Line, "the path is missing after " + word);
  names.clear();
  for (size_t start = 0;;) {
    size_t slash = path.find('/', start);
    std::string part = path.substr(start, slash == std::string::npos ? std::string::npos : slash - start);
    std::string name, error;
    if (part.empty()) src.Fail(e.Line, "an empty name in '" + path + "' (write \"\" for the empty name)");
    if (part != "\"\"" && !UnescapeText(part, name, error)) src.Fail(e.Line, error);
    names.push_back(name);
    if (slash == std::string::npos) break;
    start = slash + 1;
  }
  // As deep as the package reads: the folders above the last name.
  if (static_cast<int>(names.size()) > TKyPkgVars::kMaxDepth + 1)
    src.Fail(e.Line, "the path runs through more than " + std::to_string(TKyPkgVars::kMaxDepth) + " folders");
  return static_cast<TKyPkgVarsType>(type);
}

TKyPkgVarsItem::TValue ParseValue(const TPkgSource& src, const TSourceEntry& e, TKyPkgVarsType type) {
  if (e.Block && type != vtyString) src.Fail(e.Line, "only a String takes a text block");
  std::string text = src.Text(e);
  switch (type) {
    case vtyBoolean: return src.Boolean(e, text);
    case vtyInteger: return src.Integer(e, text);
    case vtyFloat: {
      TExtended x;
      std::string error;
      if (!TextToExtended(text, x, error)) src.Fail(e.Line, error);
      return x;
    }
    case vtyString: break;
  }
  return text;
}

// The records of one item as the package file holds them.
void WriteNode(TKyWriter& w, const TNode& n) {
  w.WriteInteger(n.Children.empty() ? 1 : 2);  // variable, or folder whose children follow
  w.WriteString(n.Name);
  w.WriteInteger(static_cast<int32_t>(n.Value.index()));
  std::visit(
      [&](const auto& v) {
        using V = std::decay_t<decltype(v)>;
        if constexpr (std::is_same_v<V, bool>) w.WriteBoolean(v);
        else if constexpr (std::is_same_v<V, int32_t>) w.WriteInteger(v);
        else if constexpr (std::is_same_v<V, TExtended>) w.WriteFloat(v);
        else w.WriteString(v);
      },
      n.Value);
  if (n.Children.empty()) return;
  for (const auto& c : n.Children) WriteNode(w, *c);  // depth is bounded by the path check
  w.WriteInteger(0);
}

std::unique_ptr<TKyPkgInfo> CreateVars() { return std::make_unique<TKyPkgVars>(nullptr); }

void CompileVars(const TPkgSource& src, TKyPkgInfo& pkg) {
  auto& vars = static_cast<TKyPkgVars&>(pkg);
  src.CheckLayout({"Variables"}, {"Description", "Preserved"});
  int32_t preserved[5];
  for (int i = 0; i < 5; ++i) preserved[i] = vars.Preserved(i);
  if (const TSourceSection* p = src.Section("Package"))
    for (const auto& e : p->Entries)
      if (SameText(e.Key, "Preserved")) {
        std::vector<std::string> items = SplitCommaText(src.Text(e));
        if (items.size() != 5) src.Fail(e.Line, "Preserved takes five integers");
        for (size_t i = 0; i < 5; ++i) preserved[i] = src.Integer(e, items[i]);
      }

  TNode root;
  if (const TSourceSection* s = src.Section("Variables"))
    for (const auto& e : s->Entries) {
      std::string path;
      std::vector<std::string> names;
      TKyPkgVarsType type = ParseKey(src, e, path, names);
      TNode* node = &root;
      for (const std::string& name : names) node = Child(*node, name);
      if (node->Line) src.Fail(e.Line, "'" + path + "' is given twice (also on line " + std::to_string(node->Line) + ")");
      node->Value = ParseValue(src, e, type);
      node->Line = e.Line;
    }

  // The package has no way to add an item of any name (paths cannot hold
  // "/" or an empty name), so it reads the tree as a file would hold it.
  TMemoryStream body;
  {
    TKyWriter w(body);
    WritePkgHeader(w, vars.Kind().ClassWord, TKyPkgVars::kVersion);
    w.WriteString(src.PackageValue("Description"));
    for (const auto& c : root.Children) WriteNode(w, *c);
    w.WriteInteger(0);
    for (int32_t p : preserved) w.WriteInteger(p);
  }
  body.Seek(0, soBeginning);
  vars.LoadFromStream(body);
}

// ---- Decompiling ----

std::string ValueText(const TKyPkgVarsItem& item) {
  switch (item.Type()) {
    case vtyBoolean: return std::get<bool>(item.Value()) ? "True" : "False";
    case vtyInteger: return std::to_string(std::get<int32_t>(item.Value()));
    case vtyFloat: return ExtendedToText(std::get<TExtended>(item.Value()));
    case vtyString: break;
  }
  return std::get<std::string>(item.Value());
}

// Items in the package's order, each top-level folder set apart by blank lines.
void DecompileLevel(const TKyPkgVarsItem& parent, const std::string& prefix, TSourceWriter& out, int& lines,
                    bool& blankNext) {
  for (int i = 0; i < parent.Count(); ++i) {
    const TKyPkgVarsItem& item = *parent.Items(i);
    std::string path = prefix + EscapeName(item.Name());
    bool topFolder = prefix.empty() && item.IsFolder();
    if (topFolder && lines > 0) blankNext = true;
    bool plainFolder = item.IsFolder() && item.Type() == vtyString && std::get<std::string>(item.Value()).empty();
    if (!plainFolder) {
      if (blankNext) out.BlankLine();
      blankNext = false;
      ++lines;
      std::string key = AnsiToUtf8(std::string(kTypeWords[item.Type()]) + " " + path);
      if (item.Type() == vtyString) out.Text(key, std::get<std::string>(item.Value()));
      else out.Raw(key, ValueText(item));
    }
    if (item.IsFolder()) DecompileLevel(item, path + "/", out, lines, blankNext);
    if (topFolder) blankNext = true;
  }
}

void DecompileVars(TKyPkgInfo& pkg, TSourceWriter& out) {
  auto& vars = static_cast<TKyPkgVars&>(pkg);
  out.Section("Package");
  out.Raw("Class", "Variables");
  out.Value("Description", vars.Description());
  std::vector<std::string> preserved;
  for (int i = 0; i < 5; ++i) preserved.push_back(std::to_string(vars.Preserved(i)));
  out.Raw("Preserved", JoinCommaText(preserved));
  out.Section("Variables");
  int lines = 0;
  bool blankNext = false;
  DecompileLevel(*vars.Root(), "", out, lines, blankNext);
}

}  // namespace

extern const TPkgSourceKind kVarsSource;
const TPkgSourceKind kVarsSource{"Variables", "KyPkgVars", &CreateVars, &CompileVars, &DecompileVars};
