// Setup and language packages as readable sources: the installer's two
// packages as the build compiled them, byte-exact round trips of awkward
// content, and faulty sources refused by line.
#include <gtest/gtest.h>

#include <algorithm>

#include "PkgSource.h"
#include "PkgTestSupport.h"
#include "packages/PkgLanguage.h"
#include "packages/PkgSetup.h"
#include "support/RunTool.h"
#include "support/TempDir.h"

using namespace ky_test;

namespace {

std::string PackagesDir() { return ToolFromEnv("KY_PACKAGES_DIR") + "\\"; }

std::vector<uint8_t> ReadBytes(const std::string& path) {
  TMemoryStream m;
  m.LoadFromFile(path);
  return m.Data();
}

// Package -> source -> package, in process; the source text is kept.
std::vector<uint8_t> ThroughSource(const std::vector<uint8_t>& bytes, const char* cls, std::string* text = nullptr) {
  const TPkgSourceKind* kind = FindKindByClass(cls);
  std::unique_ptr<TKyPkgInfo> pkg = kind->Create();
  LoadBytes(*pkg, bytes);
  TSourceWriter out("test.src");
  kind->Decompile(*pkg, out);
  if (text) *text = out.Utf8();
  return CompileSource(TPkgSource::Parse(out.Utf8(), "test.src"))->SaveToBytes();
}

std::string CompileError(const std::string& utf8) {
  try {
    CompileSource(TPkgSource::Parse(utf8, "bad.src"));
  } catch (const Exception& e) {
    return e.what();
  }
  return "(compiled)";
}

}  // namespace

TEST(SetupLanguageSourceTest, TheInstallersPackagesAsBuilt) {
  std::vector<uint8_t> setupBytes = ReadBytes(PackagesDir() + "Installer.stp");
  TKyPkgSetup expected(nullptr);
  expected.Keys()->SetEnterAsTab(true);
  expected.SetVarsFileName("Setup");
  EXPECT_EQ(setupBytes, expected.SaveToBytes());

  TKyPkgLanguage lan(nullptr);
  lan.LoadFromFile(PackagesDir() + "Installer.lan");
  EXPECT_EQ(lan.Description(), "Cadenas de la Aplicaci\xF3n en Espa\xF1ol");
  const TKyPkgLanguageLocale& l = lan.Locale();
  EXPECT_EQ(l.CenturyLimit, 2029);
  EXPECT_EQ(l.DateYear, dyeYear4);
  EXPECT_EQ(l.DecimalSeparator, ",");
  EXPECT_EQ(l.ThousandSeparator, ".");
  EXPECT_EQ(l.CalendarSetting1, 6);
  EXPECT_EQ(l.CalendarSetting2, 2);
  EXPECT_FALSE(l.UseSystem);
  ASSERT_EQ(l.LongDayNames.size(), 7u);
  EXPECT_EQ(l.LongDayNames[6], "s\xE1" "bado");
  ASSERT_EQ(l.ShortMonthNames.size(), 12u);
  EXPECT_EQ(l.ShortMonthNames[11], "dic");
  // The nested "System" package is the library's System.pst, byte for byte.
  TKyPkgStrings system(nullptr);
  system.LoadFromFile(PackagesDir() + "System.pst");
  EXPECT_EQ(lan.SystemStrings().SaveToBytes(), system.SaveToBytes());
  EXPECT_EQ(lan.UserStrings().Labels().Count() + lan.UserStrings().Messages().Count(), 0);

  // Both come back the same through pkgtool.
  std::string tool = ToolFromEnv("KY_PKGTOOL");
  TempDir dir;
  for (const char* name : {"Installer.stp", "Installer.lan"}) {
    std::string source = dir / (std::string(name) + ".src"), again = dir / name;
    ToolResult r = RunTool(tool, "decompile \"" + PackagesDir() + name + "\" \"" + source + "\"");
    ASSERT_EQ(r.exitCode, 0) << name << ": " << r.output;
    r = RunTool(tool, "compile \"" + source + "\" \"" + again + "\"");
    ASSERT_EQ(r.exitCode, 0) << name << ": " << r.output;
    EXPECT_EQ(ReadBytes(again), ReadBytes(PackagesDir() + name)) << name;
  }
}

TEST(SetupLanguageSourceTest, SetupKeysWithAndWithoutTexts) {
  TKyPkgSetup setup(nullptr);
  setup.SetDescription("keys | odd");
  setup.Keys()->SetInsertMode(false);
  setup.Keys()->SetKey(skCustom1, '1');                     // the digit key: its text is "1"
  setup.Keys()->SetKey(skCustom2, scCtrl | 0xFF);           // no text: kept as a number
  setup.Keys()->SetKey(skRelation, 0);                      // none
  setup.Keys()->SetKey(skFirst, scShift | scAlt | 0x24);    // Shift+Alt+Home
  setup.SetLanguageFileName("Fran\xE7" "ais");
  std::vector<uint8_t> bytes = setup.SaveToBytes();
  std::string text;
  EXPECT_EQ(ThroughSource(bytes, "Setup", &text), bytes);
  EXPECT_NE(text.find("KeyCustom1=1\n"), std::string::npos) << text;
  EXPECT_NE(text.find("KeyCustom2=16639\n"), std::string::npos) << text;
  EXPECT_NE(text.find("KeyRelation=(None)\n"), std::string::npos) << text;
  EXPECT_NE(text.find("Language=Fran\xC3\xA7" "ais\n"), std::string::npos) << text;
}

TEST(SetupLanguageSourceTest, LanguageContentComesBackByteForByte) {
  TTstContainer holder(nullptr);
  holder.loading = true;  // as the tool holds it: UseSystem is kept, not acted on
  TKyPkgLanguage lan(&holder);
  TKyPkgLanguageLocale l = LibraryDefaultLocale();
  l.UseSystem = true;
  l.DateYear = 7;                                    // no name: kept as a number
  l.LongDayNames = {"", " lead", "a, b", "x=y", "\"q\""};  // five, awkward
  l.ShortMonthNames.clear();
  l.ThousandSeparator = " ";
  l.TimeAMString = "a.m.";
  l.CalendarSetting1 = 255;
  lan.SetLocale(l);
  lan.SystemStrings().AddLabel(3, "Aceptar", "Pulse | aqu\xED");
  lan.SystemStrings().SetPreserved(0, 5);
  lan.UserStrings().AddText(1, "line one\r\nline two");
  lan.UserStrings().SetDescription("User's");
  std::vector<uint8_t> bytes = lan.SaveToBytes();

  std::string text;
  EXPECT_EQ(ThroughSource(bytes, "Language", &text), bytes);
  EXPECT_NE(text.find("UseSystem=True\n"), std::string::npos) << text;
  EXPECT_NE(text.find("DateYear=7\n"), std::string::npos) << text;
  EXPECT_NE(text.find("[System Labels]\n3=Aceptar|Pulse \\| aqu\xC3\xAD\n"), std::string::npos) << text;
}

TEST(SetupLanguageSourceTest, FaultySourcesNameTheirLine) {
  TempDir dir;
  dir.WriteFile("Images.strings", "[Package]\nClass=Display\n");
  std::string imagesSource = dir / "Images.strings";
  std::string slashed = imagesSource;  // sources name files with "/"
  std::replace(slashed.begin(), slashed.end(), '\\', '/');
  struct TCase {
    std::string source;
    std::string message;
  };
  const TCase cases[] = {
      {"[Package]\nClass=Setup\n[Keys]\nKeyNothing=F2\n", "bad.src(4): unknown key 'KeyNothing' in [Keys]"},
      {"[Package]\nClass=Setup\n[Keys]\nKeyEdit=Hyper+F2\n", "bad.src(4): 'Hyper+F2' is not a shortcut"},
      {"[Package]\nClass=Setup\n[Keys]\nKeyEdit=70000\n", "bad.src(4): '70000' is not a shortcut"},
      {"[Package]\nClass=Setup\n[Keys]\nInsertMode=yes\n", "bad.src(4): 'yes' is not True or False"},
      {"[Package]\nClass=Setup\n[Files]\nHelp=x\n", "bad.src(4): unknown key 'Help' in [Files]"},
      {"[Package]\nClass=Language\n[LongDayNames]\n1=a\n3=c\n", "bad.src(5): names are numbered 1, 2, 3 ... in order"},
      {"[Package]\nClass=Language\n[Locale]\nCalendarSetting2=300\n", "bad.src(4): 'CalendarSetting2' takes 0 to 255"},
      {"[Package]\nClass=Language\n[Locale]\nDateYear=dyeYear3\n", "bad.src(4): 'dyeYear3' is not an integer"},
      {"[Package]\nClass=Language\n[Locale]\nWeekStart=1\n", "bad.src(4): unknown key 'WeekStart' in [Locale]"},
      {"[Package]\nClass=Language\n[System Strings]\nPreserve=1\n",
       "bad.src(4): unknown key 'Preserve' in [System Strings]"},
      {"[Package]\nClass=Language\n[System Strings]\nSource=x.strings\n[System Labels]\n1=a\n",
       "bad.src(4): [System Labels] beside a strings Source"},
      {"[Package]\nClass=Language\n[User Strings]\nSource=" + slashed + "\n",
       "bad.src(4): '" + imagesSource + "' is not a strings source"},
  };
  for (const auto& c : cases) EXPECT_EQ(CompileError(c.source), c.message) << c.source;
}
