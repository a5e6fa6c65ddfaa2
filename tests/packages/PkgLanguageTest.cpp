// The language package: its locale record, the two nested strings packages
// that the application's "System" and "User" names reach, the platform's
// settings, and the refusals.
#include <gtest/gtest.h>

#include "DisplayTestSupport.h"
#include "packages/CApplication.h"
#include "packages/PkgLanguage.h"
#include "platform/os/LocaleInfo.h"

using namespace ky_test;

namespace {

// The built-in package's locale: Spanish names and conventions.
TKyPkgLanguageLocale SpanishLocale() {
  TKyPkgLanguageLocale l;
  l.CenturyLimit = 2029;
  l.DateOrder = 0;
  l.DateSeparator = "/";
  l.LongDayNames = {"domingo", "lunes", "martes", "mi\xE9rcoles", "jueves", "viernes", "s\xE1" "bado"};
  l.ShortDayNames = {"dom", "lun", "mar", "mi\xE9", "jue", "vie", "s\xE1" "b"};
  l.DateYear = dyeYear4;
  l.FurtherSetting = 0;
  l.CurrencyDecimals = 0;
  l.LongMonthNames = {"enero", "febrero", "marzo", "abril", "mayo", "junio", "julio", "agosto", "septiembre",
                      "octubre", "noviembre", "diciembre"};
  l.ShortMonthNames = {"ene", "feb", "mar", "abr", "may", "jun", "jul", "ago", "sep", "oct", "nov", "dic"};
  l.DecimalSeparator = ",";
  l.ThousandSeparator = ".";
  l.CalendarSetting1 = 6;
  l.CalendarSetting2 = 2;
  l.TimeSeparator = ":";
  return l;
}

void FillSpanish(TKyPkgLanguage& lan) {
  lan.SetDescription("Cadenas de la Aplicaci\xF3n en Espa\xF1ol");
  lan.SetLocale(SpanishLocale());
  lan.SystemStrings().SetDescription("Cadenas del Sistema en Espa\xF1ol");
  lan.SystemStrings().AddLabel(75, "INS");
  lan.SystemStrings().AddMessage(13, "Ya existe un objecto 'TKyCApplication' en la Forma.");
  lan.UserStrings().AddLabel(1, "Siguiente", "P\xE1gina siguiente");
}

// The locale fields of a language body, written by hand so that counts and
// flags can be anything.
std::vector<uint8_t> LanguageBytes(uint16_t version, const TKyPkgLanguageLocale& l, bool useSystem,
                                   const std::string& classWord = "KyPkgLanguage") {
  TMemoryStream m;
  {
    TKyWriter w(m);
    WritePkgHeader(w, classWord, version);
    w.WriteString("hand made");
    w.WriteInteger(l.CenturyLimit);
    w.WriteInteger(l.DateOrder);
    w.WriteString(l.DateSeparator);
    for (const auto* names : {&l.LongDayNames, &l.ShortDayNames}) {
      w.WriteInteger(static_cast<int32_t>(names->size()));
      for (const auto& n : *names) w.WriteString(n);
    }
    w.WriteInteger(l.DateYear);
    w.WriteInteger(l.FurtherSetting);
    w.WriteInteger(l.CurrencyDecimals);
    for (const auto* names : {&l.LongMonthNames, &l.ShortMonthNames}) {
      w.WriteInteger(static_cast<int32_t>(names->size()));
      for (const auto& n : *names) w.WriteString(n);
    }
    w.WriteString(l.DecimalSeparator);
    w.WriteString(l.ThousandSeparator);
    w.WriteInteger(l.CalendarSetting1);
    w.WriteInteger(l.CalendarSetting2);
    w.WriteString(l.TimeAMString);
    w.WriteString(l.TimePMString);
    w.WriteString(l.TimeSeparator);
    w.WriteBoolean(useSystem);
    TKyPkgStrings nested(nullptr);
    nested.WritePackage(w);
    nested.WritePackage(w);
  }
  return m.Data();
}

// Where the count of the long day names stands in a language body.
size_t LongDayCountAt(const std::vector<uint8_t>& bytes) {
  TMemoryStream m(bytes);
  TKyReader probe(m);
  ReadPkgHeader(probe);
  probe.ReadString();
  probe.ReadInteger();
  probe.ReadInteger();
  probe.ReadString();
  return static_cast<size_t>(probe.Position());
}

}  // namespace

TEST(PkgLanguageLocale, TwoDigitYearsFollowTheCenturyLimit) {
  struct TCase {
    int32_t limit, year, expected;
  };
  const TCase cases[] = {
      {2029, 29, 2029}, {2029, 30, 1930}, {2029, 0, 2000}, {2029, 99, 1999},
      {2049, 49, 2049}, {2049, 50, 1950}, {2099, 99, 2099}, {2000, 0, 2000}, {2000, 1, 1901},
  };
  for (const auto& c : cases) {
    TKyPkgLanguageLocale l;
    l.CenturyLimit = c.limit;
    EXPECT_EQ(l.ExpandYear(c.year), c.expected) << c.limit << " " << c.year;
  }
  // Without an application configuration the library's own limit holds.
  EXPECT_EQ(ActiveLocale().CenturyLimit, 2049);
  EXPECT_EQ(ActiveLocale().LongDayNames.size(), 7u);
}

TEST(PkgLanguage, RoundTripKeepsLocaleAndBothStringsPackages) {
  TKyPkgLanguage lan(nullptr);
  FillSpanish(lan);
  std::vector<uint8_t> bytes = lan.SaveToBytes();

  TKyPkgLanguage copy(nullptr);
  LoadBytes(copy, bytes);
  EXPECT_EQ(copy.Description(), lan.Description());
  EXPECT_EQ(copy.Locale(), SpanishLocale());
  EXPECT_EQ(copy.SystemStrings().Description(), "Cadenas del Sistema en Espa\xF1ol");
  ASSERT_NE(copy.SystemStrings().FindMessage(13), nullptr);
  EXPECT_EQ(copy.UserStrings().FindLabel(1)->Hint(), "P\xE1gina siguiente");
  // The nested packages keep their reserved names.
  EXPECT_EQ(copy.SystemStrings().PkgName(), "System");
  EXPECT_EQ(copy.UserStrings().PkgName(), "User");
  EXPECT_EQ(copy.SaveToBytes(), bytes);
}

TEST(PkgLanguage, NameCountsInTheFileDecideTheListLengths) {
  TKyPkgLanguageLocale l = SpanishLocale();
  l.LongDayNames.resize(5);
  l.ShortMonthNames.clear();
  TKyPkgLanguage lan(nullptr);
  FillSpanish(lan);  // longer lists first: each is cleared before it is filled
  LoadBytes(lan, LanguageBytes(1, l, false));
  EXPECT_EQ(lan.Locale().LongDayNames.size(), 5u);
  EXPECT_EQ(lan.Locale().ShortDayNames.size(), 7u);
  EXPECT_TRUE(lan.Locale().ShortMonthNames.empty());
  // The nested packages were replaced too.
  EXPECT_EQ(lan.SystemStrings().Messages().Count(), 0);
}

TEST(PkgLanguage, RefusalsAndDamagedCounts) {
  TTstDisplayApp app;
  TKyPkgLanguage lan(nullptr);
  FillSpanish(lan);
  TKyPkgLanguageLocale l = SpanishLocale();
  EXPECT_EQ(Raised([&] { LoadBytes(lan, LanguageBytes(1, l, false, "KyPkgLanguages")); }),
            "Identificaci\xF3n del fichero '" + lan.FullFileName() + "' incorrecta (Configuraciones de Lenguaje).");
  EXPECT_EQ(Raised([&] { LoadBytes(lan, LanguageBytes(2, l, false)); }),
            "Versi\xF3n del fichero '" + lan.FullFileName() + "' incorrecta (Configuraciones de Lenguaje).");

  // A count the data cannot hold is refused before anything is allocated,
  // and the locale stays as it was.
  std::vector<uint8_t> bytes = LanguageBytes(1, l, false);
  const size_t countAt = LongDayCountAt(bytes);
  ASSERT_EQ(bytes[countAt + 1], 7);  // an 8-bit integer: tag then value
  std::vector<uint8_t> damaged(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(countAt));
  TMemoryStream big;
  {
    TKyWriter w(big);
    w.WriteInteger(100000000);
  }
  damaged.insert(damaged.end(), big.Data().begin(), big.Data().end());
  damaged.insert(damaged.end(), bytes.begin() + static_cast<std::ptrdiff_t>(countAt) + 2, bytes.end());
  EXPECT_NE(Raised([&] { LoadBytes(lan, damaged); }).find("cannot be held by its data"), std::string::npos);
  EXPECT_EQ(lan.Locale(), SpanishLocale());
}

TEST(PkgLanguage, SeparatorsAreOneCharacterAndNegativeCountsHoldNoNames) {
  TTstDisplayApp app;
  TKyPkgLanguageLocale l = SpanishLocale();
  for (const char* separator : {"", "..", "ab"}) {
    SCOPED_TRACE(separator);
    TKyPkgLanguageLocale bad = l;
    bad.DecimalSeparator = separator;
    TKyPkgLanguage lan(nullptr);
    EXPECT_EQ(Raised([&] { LoadBytes(lan, LanguageBytes(1, bad, false)); }), "Invalid property value");
  }
  // A count of -1 reads as no names, as a loop up to it reads none.
  std::vector<uint8_t> bytes = LanguageBytes(1, l, false);
  const size_t countAt = LongDayCountAt(bytes);
  ASSERT_EQ(bytes[countAt + 1], 7);  // an 8-bit integer: tag then value
  std::vector<uint8_t> negative(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(countAt));
  for (uint8_t b : {2, 0xFF}) negative.push_back(b);  // -1, and the seven names dropped
  TMemoryStream m(bytes);
  TKyReader probe(m);
  probe.SetPosition(static_cast<int64_t>(countAt));
  probe.ReadInteger();
  for (int i = 0; i < 7; ++i) probe.ReadString();
  negative.insert(negative.end(), bytes.begin() + probe.Position(), bytes.end());
  TKyPkgLanguage lan(nullptr);
  LoadBytes(lan, negative);
  EXPECT_TRUE(lan.Locale().LongDayNames.empty());
  EXPECT_EQ(lan.Locale().ShortDayNames, l.ShortDayNames);
  EXPECT_EQ(lan.Locale().DecimalSeparator, l.DecimalSeparator);
  // Written back, every separator is one character again.
  TKyPkgLanguageLocale empty = l;
  empty.TimeSeparator = "";
  lan.SetLocale(empty);
  TKyPkgLanguage copy(nullptr);
  LoadBytes(copy, lan.SaveToBytes());
  EXPECT_EQ(copy.Locale().TimeSeparator, ":");
}

TEST(PkgLanguage, UseSystemTakesThePlatformsSettings) {
  TPlatformLocale platform = GetPlatformLocale();
  TKyPkgLanguageLocale stored = SpanishLocale();
  stored.DecimalSeparator = "#";  // nothing the platform would report
  stored.LongMonthNames.assign(12, "x");

  TKyPkgLanguage lan(nullptr);
  LoadBytes(lan, LanguageBytes(1, stored, true));
  EXPECT_TRUE(lan.UseSystem());
  EXPECT_EQ(lan.Locale().DecimalSeparator, platform.DecimalSeparator);
  EXPECT_EQ(lan.Locale().LongMonthNames[0], platform.LongMonthNames[0]);
  // What the platform does not give is kept from the file.
  EXPECT_EQ(lan.Locale().CenturyLimit, 2029);
  EXPECT_EQ(lan.Locale().CalendarSetting1, 6);

  // Turning it on later refills at once and tells the owner once.
  TKyPkgLanguage other(nullptr);
  other.SetLocale(stored);
  int changes = 0;
  other.OnChange = [&](TObject*) { ++changes; };
  other.SetUseSystem(true);
  EXPECT_EQ(other.Locale().DecimalSeparator, platform.DecimalSeparator);
  EXPECT_EQ(changes, 1);
}

TEST(PkgLanguage, SettingsFromAShortDateFormat) {
  struct TCase {
    const char* format;
    int32_t order, year;
  };
  // The pictures are tested as written: "d" and "yyyy" in lower case.
  const TCase cases[] = {{"dd/MM/yyyy", 0, dyeYear4}, {"d.M.yy", 0, dyeYear2}, {"M/d/yyyy", 1, dyeYear4},
                         {"yyyy-MM-dd", 1, dyeYear4}, {"MM/dd/yy", 1, dyeYear2}, {"", 1, dyeYear2},
                         {"DD/MM/YYYY", 1, dyeYear2}, {"Dd/MM/yYYY", 1, dyeYear2}};
  TPlatformLocale s;
  s.DecimalSeparator = ",";
  s.ThousandSeparator = ". ";  // longer than one character: the first stands for it
  s.DateSeparator = "-";
  s.TimeSeparator = ".";
  s.TimeAMString = "a.m.";
  s.CurrencyDecimals = 3;
  for (auto& n : s.LongDayNames) n = "day";
  for (const auto& c : cases) {
    s.ShortDateFormat = c.format;
    TKyPkgLanguage lan(nullptr);
    lan.TakeSettings(s, false);
    EXPECT_EQ(lan.Locale().DateOrder, c.order) << c.format;
    EXPECT_EQ(lan.Locale().DateYear, c.year) << c.format;
    EXPECT_EQ(lan.Locale().DateSeparator, "-");
    EXPECT_EQ(lan.Locale().ThousandSeparator, ".");
    EXPECT_EQ(lan.Locale().TimeAMString, "a.m.");
    EXPECT_EQ(lan.Locale().CurrencyDecimals, 3);
    EXPECT_EQ(lan.Locale().LongDayNames, std::vector<std::string>(7, "day"));
  }
}

TEST(PkgLanguage, LoadingAnotherLanguageChangesEveryCaptionOnce) {
  TKyCApplication app(nullptr);
  TKyPkgLanguage spanish(nullptr);
  FillSpanish(spanish);
  LoadBytes(*app.PkgLanguage(), spanish.SaveToBytes());
  EXPECT_EQ(&ActiveLocale(), &app.PkgLanguage()->Locale());
  EXPECT_EQ(ActiveLocale().CenturyLimit, 2029);

  TTstCaptioned insert("System", 75);
  TTstCaptioned next("User", 1);
  EXPECT_EQ(insert.caption.Caption(), "INS");
  EXPECT_EQ(next.caption.Caption(), "Siguiente");
  insert.told = next.told = 0;

  TKyPkgLanguage english(nullptr);
  english.SystemStrings().AddLabel(75, "INS");
  english.UserStrings().AddLabel(1, "Next");
  LoadBytes(*app.PkgLanguage(), english.SaveToBytes());
  EXPECT_EQ(next.caption.Caption(), "Next");
  EXPECT_EQ(next.told, 1);
  EXPECT_EQ(next.repaints, 1);
  // Same caption, other package: still re-resolved and told once.
  EXPECT_EQ(insert.told, 1);
  EXPECT_EQ(insert.caption.Caption(), "INS");
}
