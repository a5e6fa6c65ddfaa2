// Language packages as readable sources:
//
//   [Package]          Class=Language, Name (where it is embedded), Description
//   [Locale]           CenturyLimit=2029, DateOrder=0 (day first) or 1,
//                      DateSeparator=/, DateYear=dyeYear4 (dyeNone, dyeYear2),
//                      FurtherSetting=0, CurrencyDecimals=0, DecimalSeparator=",",
//                      ThousandSeparator=., CalendarSetting1=6,
//                      CalendarSetting2=2, TimeAMString=, TimePMString=,
//                      TimeSeparator=:, UseSystem=False
//   [LongDayNames], [ShortDayNames]       1=domingo, 2=lunes ... (Sunday first)
//   [LongMonthNames], [ShortMonthNames]   1=enero ...
//   [System Strings]   Description and Preserved of the "System" strings
//   [System Labels], [System Messages], [System Texts]
//   [User Strings], [User Labels], [User Messages], [User Texts]
//                      the two strings packages, as in a strings source; or
//                      only Source=../system/System.strings in [System Strings]
//                      to take a strings source file instead (decompiling
//                      always writes the sections)
//
// A name list holds as many names as the file does, numbered from 1 in
// order. Locale keys left out keep the library's defaults.
#include <string>
#include <vector>

#include "ImagesSource.h"
#include "PkgSource.h"
#include "StringsSource.h"
#include "packages/PkgLanguage.h"
#include "platform/base/SysUtils.h"

namespace {

struct TNameList {
  const char* Section;
  std::vector<std::string> TKyPkgLanguageLocale::*Names;
};

const TNameList kNameLists[] = {
    {"LongDayNames", &TKyPkgLanguageLocale::LongDayNames},
    {"ShortDayNames", &TKyPkgLanguageLocale::ShortDayNames},
    {"LongMonthNames", &TKyPkgLanguageLocale::LongMonthNames},
    {"ShortMonthNames", &TKyPkgLanguageLocale::ShortMonthNames},
};

struct TIntKey {
  const char* Key;
  int32_t TKyPkgLanguageLocale::*Field;
};

const TIntKey kIntKeys[] = {
    {"CenturyLimit", &TKyPkgLanguageLocale::CenturyLimit},
    {"DateOrder", &TKyPkgLanguageLocale::DateOrder},
    {"FurtherSetting", &TKyPkgLanguageLocale::FurtherSetting},
    {"CurrencyDecimals", &TKyPkgLanguageLocale::CurrencyDecimals},
};

struct TTextKey {
  const char* Key;
  std::string TKyPkgLanguageLocale::*Field;
};

const TTextKey kTextKeys[] = {
    {"DateSeparator", &TKyPkgLanguageLocale::DateSeparator},
    {"DecimalSeparator", &TKyPkgLanguageLocale::DecimalSeparator},
    {"ThousandSeparator", &TKyPkgLanguageLocale::ThousandSeparator},
    {"TimeAMString", &TKyPkgLanguageLocale::TimeAMString},
    {"TimePMString", &TKyPkgLanguageLocale::TimePMString},
    {"TimeSeparator", &TKyPkgLanguageLocale::TimeSeparator},
};

std::unique_ptr<TKyPkgInfo> CreateLanguage() { return std::make_unique<TKyPkgLanguage>(SourcePackageHolder()); }

// The enumeration name when it has one, else the number as stored.
std::string DateYearSource(int32_t value) {
  std::string name = EnumInfo(dyeNone).Name(value);
  return name.empty() ? std::to_string(value) : name;
}

int32_t ParseDateYear(const TPkgSource& src, const TSourceEntry& e) {
  std::string text = Trim(src.Text(e));
  int v = EnumInfo(dyeNone).Value(text);
  return v >= 0 ? v : src.Integer(e, text);
}

uint8_t ParseByte(const TPkgSource& src, const TSourceEntry& e) {
  int32_t v = src.Integer(e, src.Text(e));
  if (v < 0 || v > 255) src.Fail(e.Line, "'" + e.Key + "' takes 0 to 255");
  return static_cast<uint8_t>(v);
}

void CompileLocale(const TPkgSource& src, const TSourceSection& section, TKyPkgLanguageLocale& l) {
  for (const auto& e : section.Entries) {
    bool known = false;
    for (const auto& k : kIntKeys)
      if (SameText(e.Key, k.Key)) {
        l.*k.Field = src.Integer(e, src.Text(e));
        known = true;
      }
    for (const auto& k : kTextKeys)
      if (SameText(e.Key, k.Key)) {
        l.*k.Field = src.Text(e);
        known = true;
      }
    if (known) continue;
    if (SameText(e.Key, "DateYear")) l.DateYear = ParseDateYear(src, e);
    else if (SameText(e.Key, "CalendarSetting1")) l.CalendarSetting1 = ParseByte(src, e);
    else if (SameText(e.Key, "CalendarSetting2")) l.CalendarSetting2 = ParseByte(src, e);
    else if (SameText(e.Key, "UseSystem")) l.UseSystem = src.Boolean(e);
    else src.Fail(e.Line, "unknown key '" + e.Key + "' in [Locale]");
  }
}

void CompileNames(const TPkgSource& src, const TSourceSection& section, std::vector<std::string>& names) {
  names.clear();
  for (const auto& e : section.Entries) {
    if (src.KeyInteger(e) != static_cast<int32_t>(names.size()) + 1)
      src.Fail(e.Line, "names are numbered 1, 2, 3 ... in order");
    names.push_back(src.Text(e));
  }
}

// A nested strings package: its sections here, or a strings source named
// by Source (relative to this one), so that one source serves both.
void CompileNested(const TPkgSource& src, const std::string& prefix, TKyPkgStrings& strings) {
  const TSourceSection* keys = src.Section(prefix + "Strings");
  const TSourceEntry* source = nullptr;
  if (keys)
    for (const auto& e : keys->Entries)
      if (SameText(e.Key, "Source")) source = &e;
  if (!source) {
    CompileStringsKeys(src, keys, strings);
    CompileStringsTables(src, prefix, strings);
    return;
  }
  if (keys->Entries.size() > 1) src.Fail(source->Line, "[" + keys->Name + "] with Source takes nothing else");
  for (const char* part : {"Labels", "Messages", "Texts"})
    if (src.Section(prefix + part)) src.Fail(source->Line, "[" + prefix + part + "] beside a strings Source");
  std::string file = src.FileBeside(src.Text(*source));
  TPkgSource nested = TPkgSource::Load(file);
  if (!SameText(nested.PackageValue("Class"), "Strings")) src.Fail(source->Line, "'" + file + "' is not a strings source");
  nested.CheckLayout({"Labels", "Messages", "Texts"}, {"Description", "Preserved"});
  CompileStringsKeys(nested, nested.Section("Package"), strings);
  CompileStringsTables(nested, "", strings);
}

void CompileLanguage(const TPkgSource& src, TKyPkgInfo& pkg) {
  auto& lan = static_cast<TKyPkgLanguage&>(pkg);
  std::vector<std::string> sections = {"Locale"};
  for (const auto& n : kNameLists) sections.push_back(n.Section);
  for (const char* prefix : {"System ", "User "})
    for (const char* part : {"Strings", "Labels", "Messages", "Texts"}) sections.push_back(std::string(prefix) + part);
  src.CheckLayout(sections, {"Description"});
  lan.SetDescription(src.PackageValue("Description"));

  TKyPkgLanguageLocale l = LibraryDefaultLocale();
  if (const TSourceSection* s = src.Section("Locale")) CompileLocale(src, *s, l);
  for (const auto& n : kNameLists)
    if (const TSourceSection* s = src.Section(n.Section)) CompileNames(src, *s, l.*n.Names);
  // The tool's packages are loading: UseSystem is kept, not acted on.
  lan.SetLocale(l);

  CompileNested(src, "System ", lan.SystemStrings());
  CompileNested(src, "User ", lan.UserStrings());
}

void DecompileLanguage(TKyPkgInfo& pkg, TSourceWriter& out) {
  auto& lan = static_cast<TKyPkgLanguage&>(pkg);
  const TKyPkgLanguageLocale& l = lan.Locale();
  out.Section("Package");
  out.Raw("Class", "Language");
  out.Value("Description", lan.Description());

  out.Section("Locale");
  out.Raw("CenturyLimit", std::to_string(l.CenturyLimit));
  out.Raw("DateOrder", std::to_string(l.DateOrder));
  out.Value("DateSeparator", l.DateSeparator);
  out.Raw("DateYear", DateYearSource(l.DateYear));
  out.Raw("FurtherSetting", std::to_string(l.FurtherSetting));
  out.Raw("CurrencyDecimals", std::to_string(l.CurrencyDecimals));
  out.Value("DecimalSeparator", l.DecimalSeparator);
  out.Value("ThousandSeparator", l.ThousandSeparator);
  out.Raw("CalendarSetting1", std::to_string(l.CalendarSetting1));
  out.Raw("CalendarSetting2", std::to_string(l.CalendarSetting2));
  out.Value("TimeAMString", l.TimeAMString);
  out.Value("TimePMString", l.TimePMString);
  out.Value("TimeSeparator", l.TimeSeparator);
  out.Raw("UseSystem", l.UseSystem ? "True" : "False");
  for (const auto& n : kNameLists) {
    out.Section(n.Section);
    const auto& names = l.*n.Names;
    for (size_t i = 0; i < names.size(); ++i) out.Value(std::to_string(i + 1), names[i]);
  }

  for (auto [prefix, strings] : {std::pair<const char*, TKyPkgStrings*>{"System ", &lan.SystemStrings()},
                                 {"User ", &lan.UserStrings()}}) {
    out.Section(std::string(prefix) + "Strings");
    DecompileStringsKeys(*strings, out);
    DecompileStringsTables(*strings, out, prefix);
  }
}

}  // namespace

extern const TPkgSourceKind kLanguageSource;
const TPkgSourceKind kLanguageSource{"Language", "KyPkgLanguage", &CreateLanguage, &CompileLanguage,
                                     &DecompileLanguage};
