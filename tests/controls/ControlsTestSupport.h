// What the control tests share: an application configuration carrying the
// library's "System" strings (the build's System.pst) and a chosen locale,
// locales of three languages, the text of a raised error, and the form a
// test puts its controls on.
#pragma once

#include <cstdlib>
#include <functional>
#include <string>

#include "controls/RegisterControls.h"
#include "packages/CApplication.h"
#include "packages/PkgLanguage.h"
#include "skin/KyMask.h"
#include "platform/base/Exception.h"
#include "platform/windows/Forms.h"
#include "support/WindowDriver.h"

namespace ky_test {

// One component's block of a text form.
inline std::string ObjectSection(const std::string& text, const std::string& name) {
  size_t from = text.find("object " + name);
  size_t to = text.find("\n  end\n", from);
  return from == std::string::npos ? std::string() : text.substr(from, to - from);
}

inline std::string Text(const Variant& v) { return v.IsClear() ? "{NULL}" : v.AsString(); }

inline TKyCompiledMask Compiled(const std::string& text, TKyDataType type, int decimals = 0,
                                TKyDateYear year = dyeYear4, int size = 0) {
  TKyCompiledMask m;
  m.Decimals = decimals;
  m.DateYear = year;
  m.Size = size;
  CompileMask(m, text, type);
  return m;
}

inline std::string PackagesDir() {
  const char* p = std::getenv("KY_PACKAGES_DIR");
  std::string dir = p && *p ? p : KY_PACKAGES_DIR_BUILT;
  if (!dir.empty() && dir[0] == '/') dir = "Z:" + dir;
  for (char& c : dir)
    if (c == '/') c = '\\';
  return dir;
}

// United States: month first, '.' decimals, ',' thousands.
inline TKyPkgLanguageLocale EnglishLocale() {
  TKyPkgLanguageLocale l = LibraryDefaultLocale();
  l.CenturyLimit = 2029;
  l.DateOrder = 1;
  l.DateSeparator = "/";
  l.DecimalSeparator = ".";
  l.ThousandSeparator = ",";
  l.CurrencyDecimals = 2;
  l.DateYear = dyeYear4;
  return l;
}

// The built-in package's: day first, ',' decimals, '.' thousands.
inline TKyPkgLanguageLocale SpanishLocale() {
  TKyPkgLanguageLocale l = EnglishLocale();
  l.DateOrder = 0;
  l.DecimalSeparator = ",";
  l.ThousandSeparator = ".";
  l.CurrencyDecimals = 0;
  l.LongDayNames = {"domingo", "lunes", "martes", "miércoles", "jueves", "viernes", "sábado"};
  l.ShortDayNames = {"dom", "lun", "mar", "mié", "jue", "vie", "sáb"};
  l.LongMonthNames = {"enero", "febrero", "marzo",      "abril",   "mayo",      "junio",
                      "julio", "agosto",  "septiembre", "octubre", "noviembre", "diciembre"};
  l.ShortMonthNames = {"ene", "feb", "mar", "abr", "may", "jun", "jul", "ago", "sep", "oct", "nov", "dic"};
  return l;
}

// Day first with '.' between the date fields.
inline TKyPkgLanguageLocale GermanLocale() {
  TKyPkgLanguageLocale l = SpanishLocale();
  l.DateSeparator = std::string(1, '.');  // not a literal: GCC 12 warns falsely (-Wrestrict)
  l.LongDayNames = {"Sonntag", "Montag", "Dienstag", "Mittwoch", "Donnerstag", "Freitag", "Samstag"};
  l.ShortDayNames = {"So", "Mo", "Di", "Mi", "Do", "Fr", "Sa"};
  l.LongMonthNames = {"Januar", "Februar", "März",      "April",   "Mai",      "Juni",
                      "Juli",   "August",  "September", "Oktober", "November", "Dezember"};
  l.ShortMonthNames = {"Jan", "Feb", "Mär", "Apr", "Mai", "Jun", "Jul", "Aug", "Sep", "Okt", "Nov", "Dez"};
  return l;
}

// Year first with '-' (date order 2).
inline TKyPkgLanguageLocale IsoLocale() {
  TKyPkgLanguageLocale l = EnglishLocale();
  l.DateOrder = 2;
  l.DateSeparator = "-";
  return l;
}

// The active application configuration of a test: its language package
// holds the library's "System" strings and the locale given.
class TTstLibrary {
public:
  explicit TTstLibrary(const TKyPkgLanguageLocale& locale = EnglishLocale()) : app(nullptr) {
    app.PkgLanguage()->SystemStrings().LoadFromFile(PackagesDir() + "\\System.pst");
    app.PkgLanguage()->SetLocale(locale);
  }
  void Use(const TKyPkgLanguageLocale& locale) { app.PkgLanguage()->SetLocale(locale); }
  TKyCApplication app;
};

// The message of the error a call raises; "" when it raises nothing.
inline std::string Raised(const std::function<void()>& call) {
  try {
    call();
  } catch (const Exception& e) {
    return e.Message();
  }
  return "";
}

// A borderless form of the given client size, with the application made
// and the control classes registered.
inline void PrepareForm(TForm& form, int width, int height) {
  App();
  RegisterControlClasses();
  form.SetBorderStyle(bsNone);
  form.SetFormClientWidth(width);
  form.SetFormClientHeight(height);
}

}  // namespace ky_test
