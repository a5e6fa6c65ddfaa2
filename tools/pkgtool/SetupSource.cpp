// Application setup packages as readable sources:
//
//   [Package]  Class=Setup, Name (where it is embedded), Description
//   [Keys]     InsertMode=True, EnterAsTab=False, then one shortcut per key:
//              KeyRelation=F6 ... KeyPrior=Ctrl+PgUp; "(None)" for none, a
//              number for a value that has no text
//   [Files]    Language=, Display=, Variables=Setup (names without folder)
//
// Keys left out keep their defaults.
#include <string>

#include "ImagesSource.h"
#include "PkgSource.h"
#include "packages/PkgSetup.h"
#include "platform/base/SysUtils.h"

namespace {

std::unique_ptr<TKyPkgInfo> CreateSetup() { return std::make_unique<TKyPkgSetup>(SourcePackageHolder()); }

// The text when it reads back as the same value, else the number.
std::string ShortCutSource(TShortCut value) {
  if (value == 0) return "(None)";
  std::string text = ShortCutToText(value);
  if (!text.empty() && TextToShortCut(text) == value) return text;
  return std::to_string(value);
}

TShortCut ParseShortCut(const TPkgSource& src, const TSourceEntry& e) {
  std::string text = Trim(src.Text(e));
  if (SameText(text, "(None)")) return 0;
  if (TShortCut sc = TextToShortCut(text)) return sc;
  int32_t v;
  if (TryStrToInt(text, v) && v >= 0 && v <= 0xFFFF) return static_cast<TShortCut>(v);
  src.Fail(e.Line, "'" + text + "' is not a shortcut");
}

void CompileSetup(const TPkgSource& src, TKyPkgInfo& pkg) {
  auto& s = static_cast<TKyPkgSetup&>(pkg);
  src.CheckLayout({"Keys", "Files"}, {"Description"});
  s.SetDescription(src.PackageValue("Description"));
  TKyPkgSetupKeys& keys = *s.Keys();
  if (const TSourceSection* section = src.Section("Keys"))
    for (const auto& e : section->Entries) {
      if (SameText(e.Key, "InsertMode")) {
        keys.SetInsertMode(src.Boolean(e));
        continue;
      }
      if (SameText(e.Key, "EnterAsTab")) {
        keys.SetEnterAsTab(src.Boolean(e));
        continue;
      }
      int k = 0;
      while (k < kSetupKeyCount && !SameText(e.Key, SetupKeyName(static_cast<TKySetupKey>(k)))) ++k;
      if (k == kSetupKeyCount) src.Fail(e.Line, "unknown key '" + e.Key + "' in [Keys]");
      keys.SetKey(static_cast<TKySetupKey>(k), ParseShortCut(src, e));
    }
  if (const TSourceSection* section = src.Section("Files"))
    for (const auto& e : section->Entries) {
      if (SameText(e.Key, "Language")) s.SetLanguageFileName(src.Text(e));
      else if (SameText(e.Key, "Display")) s.SetDisplayFileName(src.Text(e));
      else if (SameText(e.Key, "Variables")) s.SetVarsFileName(src.Text(e));
      else src.Fail(e.Line, "unknown key '" + e.Key + "' in [Files]");
    }
}

void DecompileSetup(TKyPkgInfo& pkg, TSourceWriter& out) {
  auto& s = static_cast<TKyPkgSetup&>(pkg);
  const TKyPkgSetupKeys& keys = *s.Keys();
  out.Section("Package");
  out.Raw("Class", "Setup");
  out.Value("Description", s.Description());
  out.Section("Keys");
  out.Raw("InsertMode", keys.InsertMode() ? "True" : "False");
  out.Raw("EnterAsTab", keys.EnterAsTab() ? "True" : "False");
  for (int k = 0; k < kSetupKeyCount; ++k) out.Value(SetupKeyName(static_cast<TKySetupKey>(k)), ShortCutSource(keys.Key(static_cast<TKySetupKey>(k))));
  out.Section("Files");
  out.Value("Language", s.LanguageFileName());
  out.Value("Display", s.DisplayFileName());
  out.Value("Variables", s.VarsFileName());
}

}  // namespace

extern const TPkgSourceKind kSetupSource;
const TPkgSourceKind kSetupSource{"Setup", "KyPkgSetup", &CreateSetup, &CompileSetup, &DecompileSetup};
