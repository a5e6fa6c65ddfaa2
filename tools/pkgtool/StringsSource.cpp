// Strings packages as readable sources:
//
//   [Package]   Class=Strings, Name (where it is embedded), Description,
//               Preserved=a,b,c,d,e (the five kept integers)
//   [Labels]    id=caption or id=caption|hint
//   [Messages]  id=text
//   [Texts]     id=text, or id=<< ... >> for a text of several lines
//
// Entries keep their order and duplicate ids.
#include <string>

#include "PkgSource.h"
#include "StringsSource.h"
#include "packages/PkgStrings.h"
#include "platform/base/SysUtils.h"

namespace {

std::unique_ptr<TKyPkgInfo> CreateStrings() { return std::make_unique<TKyPkgStrings>(nullptr); }

}  // namespace

void CompileStringsKeys(const TPkgSource& src, const TSourceSection* keys, TKyPkgStrings& s) {
  if (!keys) return;
  for (const auto& e : keys->Entries)
    if (SameText(e.Key, "Description")) {
      s.SetDescription(src.Text(e));
    } else if (SameText(e.Key, "Preserved")) {
      std::vector<std::string> items = SplitCommaText(src.Text(e));
      if (items.size() != 5) src.Fail(e.Line, "Preserved takes five integers");
      for (int i = 0; i < 5; ++i) s.SetPreserved(i, src.Integer(e, items[static_cast<size_t>(i)]));
    } else if (!SameText(keys->Name, "Package")) {
      src.Fail(e.Line, "unknown key '" + e.Key + "' in [" + keys->Name + "]");
    }
}

void CompileStringsTables(const TPkgSource& src, const std::string& prefix, TKyPkgStrings& s) {
  if (const TSourceSection* labels = src.Section(prefix + "Labels"))
    for (const auto& e : labels->Entries) {
      if (e.Block) src.Fail(e.Line, "a label is one line");
      // Caption and hint: cut at the first bar only.
      std::vector<std::string> parts = src.BarParts(e, 2);
      s.AddLabel(src.KeyInteger(e), parts[0], parts.size() > 1 ? parts[1] : "");
    }
  if (const TSourceSection* messages = src.Section(prefix + "Messages"))
    for (const auto& e : messages->Entries) {
      if (e.Block) src.Fail(e.Line, "a message is one line");
      s.AddMessage(src.KeyInteger(e), src.Text(e));
    }
  if (const TSourceSection* texts = src.Section(prefix + "Texts"))
    for (const auto& e : texts->Entries) s.AddText(src.KeyInteger(e), src.Text(e));
}

void DecompileStringsKeys(TKyPkgStrings& s, TSourceWriter& out) {
  out.Value("Description", s.Description());
  std::vector<std::string> preserved;
  for (int i = 0; i < 5; ++i) preserved.push_back(std::to_string(s.Preserved(i)));
  out.Raw("Preserved", JoinCommaText(preserved));
}

void DecompileStringsTables(TKyPkgStrings& s, TSourceWriter& out, const std::string& prefix) {
  out.Section(prefix + "Labels");
  for (int i = 0; i < s.Labels().Count(); ++i) {
    const TKyPkgStringsLabel* l = s.Labels().Items(i);
    std::string text = EscapeText(l->Caption(), true);
    if (!l->Hint().empty()) {
      text += '|';
      text += EscapeText(l->Hint(), true);
    }
    out.Raw(std::to_string(l->Id()), text);
  }
  out.Section(prefix + "Messages");
  for (int i = 0; i < s.Messages().Count(); ++i)
    out.Value(std::to_string(s.Messages().Items(i)->Id()), s.Messages().Items(i)->Text());
  out.Section(prefix + "Texts");
  for (int i = 0; i < s.Texts().Count(); ++i) out.Text(std::to_string(s.Texts().Items(i)->Id()), s.Texts().Items(i)->Text());
}

namespace {

void CompileStrings(const TPkgSource& src, TKyPkgInfo& pkg) {
  auto& s = static_cast<TKyPkgStrings&>(pkg);
  src.CheckLayout({"Labels", "Messages", "Texts"}, {"Description", "Preserved"});
  CompileStringsKeys(src, src.Section("Package"), s);
  CompileStringsTables(src, "", s);
}

void DecompileStrings(TKyPkgInfo& pkg, TSourceWriter& out) {
  auto& s = static_cast<TKyPkgStrings&>(pkg);
  out.Section("Package");
  out.Raw("Class", "Strings");
  DecompileStringsKeys(s, out);
  DecompileStringsTables(s, out, "");
}

}  // namespace

extern const TPkgSourceKind kStringsSource;
const TPkgSourceKind kStringsSource{"Strings", "KyPkgStrings", &CreateStrings, &CompileStrings, &DecompileStrings};
