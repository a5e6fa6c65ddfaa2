// Readable package sources and pkgtool: the installer's packages as the
// build compiled them, round trips through their sources, and refusals.
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "PkgSource.h"
#include "PkgTestSupport.h"
#include "platform/base/SysUtils.h"
#include "support/RunTool.h"
#include "support/TempDir.h"

using namespace ky_test;

namespace {

const char* const kLanguages[] = {"English", "Spanish", "French", "Italian", "German"};

std::string PackagesDir() { return ToolFromEnv("KY_PACKAGES_DIR") + "\\"; }


std::unique_ptr<TKyPkgStrings> LoadIdioma(const std::string& language) {
  auto pkg = std::make_unique<TKyPkgStrings>(nullptr);
  pkg->LoadFromFile(PackagesDir() + "Idioma-" + language + ".pst");
  return pkg;
}

// The placeholders of a format, in order ("sdd").
std::string Placeholders(const std::string& format) {
  std::string kinds;
  for (size_t i = 0; i + 1 < format.size(); ++i) {
    if (format[i] != '%') continue;
    size_t j = i + 1;
    while (j < format.size() && (format[j] == '-' || format[j] == '.' || (format[j] >= '0' && format[j] <= '9'))) ++j;
    if (j < format.size() && format[j] != '%') kinds += format[j];
    i = j;
  }
  return kinds;
}

// Source text -> package -> source text -> package: the bytes must agree.
std::vector<uint8_t> CompileText(const std::string& utf8) {
  return CompileSource(TPkgSource::Parse(utf8, "test.strings"))->SaveToBytes();
}

std::string DecompileBytes(const std::vector<uint8_t>& bytes) {
  TKyPkgStrings pkg(nullptr);
  LoadBytes(pkg, bytes);
  TSourceWriter out("test.strings");
  FindKindByClass("Strings")->Decompile(pkg, out);
  return out.Utf8();
}

}  // namespace

TEST(PkgSourceTest, EveryByteSurvivesTheCodePageAndTheEscapes) {
  std::string all;
  for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
  std::string ansi;
  ASSERT_TRUE(Utf8ToAnsi(AnsiToUtf8(all), ansi));
  EXPECT_EQ(ansi, all);
  EXPECT_EQ(AnsiToUtf8("\x80\xE9"), "\xE2\x82\xAC\xC3\xA9");  // euro sign, e acute
  EXPECT_FALSE(Utf8ToAnsi("\xE4\xB8\xAD", ansi));             // not in code page 1252
  EXPECT_FALSE(Utf8ToAnsi("\xC3", ansi));                     // cut short

  for (const std::string& s : {all, std::string("a|b\\c\r\nd\re\nf "), std::string("<<"), std::string("")}) {
    std::string back, error;
    ASSERT_TRUE(UnescapeText(EscapeText(s, true), back, error)) << error;
    EXPECT_EQ(back, s);
  }
  std::string out, error;
  EXPECT_FALSE(UnescapeText("bad \\q", out, error));
  EXPECT_FALSE(UnescapeText("end \\", out, error));
  EXPECT_FALSE(UnescapeText("\\x4", out, error));
}

TEST(PkgSourceTest, AwkwardContentRoundTripsThroughTheSource) {
  TKyPkgStrings pkg(nullptr);
  pkg.SetDescription("  leading blanks, trailing one ");
  pkg.AddLabel(1, "a|bar", "hint|bar");
  pkg.AddLabel(2, "", "only a hint");
  pkg.AddLabel(3, "<<");
  pkg.AddLabel(-1, "negative id");
  pkg.AddMessage(1, "line\r\nbreak and a lone\nfeed \\ backslash");
  pkg.AddText(0, "");
  pkg.AddText(1, "ends with a break\r\n");
  pkg.AddText(2, "a line\r\n>>\r\nthat closes a block");
  pkg.AddText(3, "tab\tinside\r\ntrailing blank \r\nx");
  pkg.AddText(4, "\r\n");
  pkg.AddText(5, "single line");
  for (int i = 0; i < 5; ++i) pkg.SetPreserved(i, -i);
  std::vector<uint8_t> bytes = pkg.SaveToBytes();
  std::string source = DecompileBytes(bytes);
  EXPECT_EQ(CompileText(source), bytes) << source;
}

TEST(PkgSourceTest, FaultySourcesNameTheirLine) {
  struct Case {
    std::string text, expected;
  } cases[] = {
      {"[Package]\nClass=Strings\n[Labels]\nx=caption\n", "test.strings(4): 'x' is not an integer"},
      {"[Package]\nClass=Strings\n[Label]\n", "test.strings(3): unknown section [Label]"},
      {"[Package]\nClass=Strings\nColour=red\n", "test.strings(3): unknown key 'Colour' in [Package]"},
      {"[Package]\nClass=Nothing\n", "test.strings(1): unknown package class 'Nothing'"},
      {"[Package]\nClass=Strings\n[Texts]\n0=<<\nnever closed\n", "test.strings(4): the text block has no closing '>>' line"},
      {"[Package]\nClass=Strings\n[Messages]\n1=bad \\q escape\n", "test.strings(4): unknown escape \\q"},
      {"[Package]\nClass=Strings\nPreserved=1,2,3\n", "test.strings(3): Preserved takes five integers"},
      {"Class=Strings\n", "test.strings(1): a value before the first section"},
      {"[Package]\nClass=Strings\n[Messages]\n1=\xE4\xB8\xAD\n",
       "test.strings(4): text that is not UTF-8 or has a character outside code page 1252"},
  };
  for (const Case& c : cases) {
    try {
      CompileText(c.text);
      ADD_FAILURE() << "accepted: " << c.text;
    } catch (const ESourceError& e) {
      EXPECT_EQ(std::string(e.what()), c.expected);
    }
  }
}

TEST(PkgToolTest, DecompileThenCompileGivesTheSameBytes) {
  std::string tool = ToolFromEnv("KY_PKGTOOL");
  TempDir dir;
  std::vector<std::string> names;
  for (const char* lang : kLanguages) names.push_back(std::string("Idioma-") + lang);
  names.push_back("System");
  for (const std::string& name : names) {
    std::string original = PackagesDir() + name + ".pst";
    std::string source = dir / (name + ".strings"), again = dir / (name + ".pst");
    ToolResult r = RunTool(tool, "decompile \"" + original + "\" \"" + source + "\"");
    ASSERT_EQ(r.exitCode, 0) << name << ": " << r.output;
    r = RunTool(tool, "compile \"" + source + "\" \"" + again + "\"");
    ASSERT_EQ(r.exitCode, 0) << name << ": " << r.output;
    EXPECT_EQ(ReadAll(again), ReadAll(original)) << name;
  }
}

TEST(PkgToolTest, RefusalsAndExitCodes) {
  std::string tool = ToolFromEnv("KY_PKGTOOL");
  TempDir dir;
  std::string good = ReadAll(PackagesDir() + "Idioma-English.pst");
  std::string v5 = good, sig = good, cut = good.substr(0, good.size() - 4), shrunk = good.substr(0, 100);
  v5[32] = 5;
  sig[5] = 'X';
  struct Case {
    std::string args;
    int exitCode;
    std::string output;
  } cases[] = {
      {"decompile \"" + dir.WriteFile("v5.pst", v5) + "\" \"" + (dir / "o.strings") + "\"", 1,
       "Versi\xF3n del fichero '" + (dir / "v5.pst") + "' incorrecta. (PkgStrings).\n"},
      {"decompile \"" + dir.WriteFile("sig.pst", sig) + "\" \"" + (dir / "o.strings") + "\"", 1,
       "Identificaci\xF3n del fichero '" + (dir / "sig.pst") + "' incorrecta. (PkgStrings).\n"},
      {"decompile \"" + dir.WriteFile("cut.pst", cut) + "\" \"" + (dir / "o.strings") + "\"", 1,
       "Stream read error: " + (dir / "cut.pst") + " (the file ends early)\n"},
      // Counts that the data cannot hold are refused before reading on.
      {"decompile \"" + dir.WriteFile("shrunk.pst", shrunk) + "\" \"" + (dir / "o.strings") + "\"", 1,
       "Damaged package '" + (dir / "shrunk.pst") + "': 39 entries cannot be held by its data\n"},
      {"decompile \"" + dir.WriteFile("other.pst", std::string(40, 'z')) + "\" \"" + (dir / "o.strings") + "\"", 1,
       "File '" + (dir / "other.pst") + "' is not a package of a known kind.\n"},
      {"compile \"" + dir.WriteFile("bad.strings", "[Package]\nClass=Strings\n[Labels]\n1\n") + "\" \"" +
           (dir / "bad.pst") + "\"",
       1, (dir / "bad.strings") + "(4): expected 'key=value', a section or a comment\n"},
      {"compile", 2, ""},
      {"pack a b", 2, ""},
  };
  for (const Case& c : cases) {
    ToolResult r = RunTool(tool, c.args);
    EXPECT_EQ(r.exitCode, c.exitCode) << c.args << "\n" << r.output;
    if (c.exitCode == 2) EXPECT_NE(r.output.find("usage: pkgtool"), std::string::npos) << r.output;
    else EXPECT_EQ(r.output, c.output) << c.args;
  }
  // Nothing is written for a refused source or package.
  EXPECT_FALSE(dir.Exists("bad.pst"));
  EXPECT_FALSE(dir.Exists("o.strings"));
}

TEST(PkgIdiomaTest, AllFiveHoldTheSameIds) {
  auto ids = [](const TKyPkgStrings& p) {
    std::vector<std::set<int32_t>> sets(3);
    for (int i = 0; i < p.Labels().Count(); ++i) sets[0].insert(p.Labels().Items(i)->Id());
    for (int i = 0; i < p.Messages().Count(); ++i) sets[1].insert(p.Messages().Items(i)->Id());
    for (int i = 0; i < p.Texts().Count(); ++i) sets[2].insert(p.Texts().Items(i)->Id());
    return sets;
  };
  auto english = LoadIdioma("English");
  EXPECT_EQ(english->Labels().Count(), 39);  // 21 of the wizard, 18 of the library's dialogs
  EXPECT_EQ(english->Preserved(0), 65);
  for (const char* lang : kLanguages) EXPECT_EQ(ids(*LoadIdioma(lang)), ids(*english)) << lang;
}

TEST(PkgIdiomaTest, EveryMessageFormatsWithTheArgumentsTheInstallerPasses) {
  auto english = LoadIdioma("English");
  int checked = 0;
  for (const char* lang : kLanguages) {
    auto pkg = LoadIdioma(lang);
    for (int i = 0; i < pkg->Messages().Count(); ++i) {
      const TKyPkgStringsMessage* m = pkg->Messages().Items(i);
      // The installer's arguments follow the English placeholders.
      std::string kinds = Placeholders(english->FindMessage(m->Id())->Text());
      EXPECT_EQ(Placeholders(m->Text()), kinds) << lang << " message " << m->Id();
      if (kinds.empty()) continue;
      std::vector<TFormatArg> args;
      for (char k : kinds) args.push_back(k == 's' ? TFormatArg(std::string("ARG")) : TFormatArg(int64_t{7}));
      std::string text;
      EXPECT_NO_THROW(text = Format(m->Text(), args)) << lang << " message " << m->Id();
      EXPECT_EQ(text.find('%'), std::string::npos) << text;
      ++checked;
    }
  }
  EXPECT_GE(checked, 5 * 10);
}

TEST(PkgSystemTest, TheLibrarysSystemPackageHoldsItsMessages) {
  TKyPkgStrings system(nullptr);
  system.LoadFromFile(PackagesDir() + "System.pst");
  EXPECT_EQ(system.Description(), "Cadenas del Sistema en Espa\xF1ol");
  EXPECT_EQ(system.FindMessage(46)->Text(), "Identificaci\xF3n del fichero '%s' incorrecta. (PkgStrings)");
  EXPECT_EQ(system.FindMessage(67)->Text(), "Nombre de Paquete incorrecto.");
  EXPECT_EQ(system.FindMessage(90), nullptr);
  EXPECT_EQ(system.FindLabel(16)->Caption(), "Precauci\xF3n");
  EXPECT_EQ(system.FindLabel(13)->Hint(), "Actualizar cambios");
  for (int i = 0; i < 4; ++i) EXPECT_EQ(system.Preserved(i), 2147483647);
  EXPECT_EQ(system.Preserved(4), 0);
}
