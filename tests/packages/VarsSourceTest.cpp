// Variables packages as readable sources: extended floats as text, round
// trips to the same bytes, older versions, what the package itself
// normalises, hand-written sources and faulty ones.
#include <gtest/gtest.h>

#include <functional>
#include <random>

#include "ExtendedText.h"
#include "PkgSource.h"
#include "PkgTestSupport.h"
#include "packages/PkgVars.h"
#include "support/RunTool.h"
#include "support/TempDir.h"

using namespace ky_test;

namespace {

using Bytes = std::vector<uint8_t>;

// An extended value from its sign-and-exponent half and its significand.
TExtended Ext(uint16_t top, uint64_t significand) {
  TExtended x;
  for (int i = 0; i < 8; ++i) x.Bytes[static_cast<size_t>(i)] = static_cast<uint8_t>(significand >> (8 * i));
  x.Bytes[8] = static_cast<uint8_t>(top);
  x.Bytes[9] = static_cast<uint8_t>(top >> 8);
  return x;
}

std::string Hex(const TExtended& x) {
  std::string s;
  for (int i = 9; i >= 0; --i) s += Format("%.2X", {int64_t{x.Bytes[static_cast<size_t>(i)]}});
  return s;
}

// One record of a variables file: marker 1 a variable, 2 a folder whose
// records follow up to an End.
void Rec(TKyWriter& w, int32_t marker, const std::string& name, const TKyPkgVarsItem::TValue& value) {
  w.WriteInteger(marker);
  w.WriteString(name);
  w.WriteInteger(static_cast<int32_t>(value.index()));
  switch (value.index()) {
    case vtyBoolean: w.WriteBoolean(std::get<bool>(value)); break;
    case vtyInteger: w.WriteInteger(std::get<int32_t>(value)); break;
    case vtyFloat: w.WriteFloat(std::get<TExtended>(value)); break;
    default: w.WriteString(std::get<std::string>(value)); break;
  }
}
void End(TKyWriter& w) { w.WriteInteger(0); }

Bytes VarsFile(uint16_t version, const std::string& description, const std::function<void(TKyWriter&)>& tree,
               const std::vector<int32_t>& preserved, const char* word = "KyPkgVars") {
  TMemoryStream m;
  {
    TKyWriter w(m);
    WritePkgHeader(w, word, version);
    w.WriteString(description);
    tree(w);
    End(w);
    for (int32_t p : preserved) w.WriteInteger(p);
  }
  return m.Data();
}

Bytes Saved(const Bytes& file) {
  TKyPkgVars pkg(nullptr);
  LoadBytes(pkg, file);
  return pkg.SaveToBytes();
}

std::string Decompile(const Bytes& bytes) {
  TKyPkgVars pkg(nullptr);
  LoadBytes(pkg, bytes);
  TSourceWriter out("test.variables");
  FindKindByClass("Variables")->Decompile(pkg, out);
  return out.Utf8();
}

std::unique_ptr<TKyPkgVars> CompileVars(const std::string& utf8) {
  std::unique_ptr<TKyPkgInfo> p = CompileSource(TPkgSource::Parse(utf8, "test.variables"));
  return std::unique_ptr<TKyPkgVars>(static_cast<TKyPkgVars*>(p.release()));
}


std::string Str(const Bytes& b) { return std::string(b.begin(), b.end()); }

const uint64_t kOne = uint64_t(1) << 63;

}  // namespace

// ---- Extended floats as text ----

TEST(ExtendedTextTest, KnownValuesReadAndWrite) {
  struct Case {
    const char* text;
    TExtended value;
    const char* written;  // nullptr: only that it reads back
  } cases[] = {
      {"0.1", Ext(0x3FFB, 0xCCCCCCCCCCCCCCCD), "0.1"},
      {"1", Ext(0x3FFF, kOne), "1"},
      {"+2.50", Ext(0x4000, 0xA000000000000000), "2.5"},
      {"-0", Ext(0x8000, 0), "-0"},
      {"0.000", Ext(0, 0), "0"},
      {".5e1", Ext(0x4001, 0xA000000000000000), "5"},
      {"12345678901234567890", Ext(0x3FFF + 63, 12345678901234567890u), "12345678901234567890"},
      {"1e20", Ext(0x3FFF + 66, 0xAD78EBC5AC620000), "100000000000000000000"},
      {"1E21", Ext(0x3FFF + 69, 0xD8D726B7177A8000), "1E21"},
      {"0.00001", Ext(0x3FEE, 0xA7C5AC471B478423), "0.00001"},
      {"1e-8", Ext(0x3FE4, 0xABCC77118461CEFD), "1E-8"},
      {"-1.5E300", Ext(0xC3E4, 0x8F596B3002C1A5E2), nullptr},
      // The largest value, the smallest normal and the smallest denormal.
      {"1.18973149535723176502E4932", Ext(0x7FFE, ~uint64_t(0)), nullptr},
      {"3.36210314311209350626E-4932", Ext(0x0001, kOne), nullptr},
      {"3.64519953188247460253E-4951", Ext(0x0000, 1), "4E-4951"},
      {"Inf", Ext(0x7FFF, kOne), "Inf"},
      {"-inf", Ext(0xFFFF, kOne), "-Inf"},
      {"$7FFFC000000000000000", Ext(0x7FFF, 0xC000000000000000), "$7FFFC000000000000000"},
      {"$3fff0000000000000001", Ext(0x3FFF, 1), "$3FFF0000000000000001"},  // unnormal
      {"$00008000000000000000", Ext(0x0000, kOne), "$00008000000000000000"},  // pseudo-denormal
      // Below half the smallest denormal: zero, keeping the sign.
      {"1e-5000", Ext(0, 0), "0"},
      {"-1.8e-4951", Ext(0x8000, 0), "-0"},
      {"1.9e-4951", Ext(0, 1), "4E-4951"},
      // Ties go to the even significand: 1 + 2^-64, 1 + 3 * 2^-64, and just above the first.
      {"1.0000000000000000000542101086242752217003726400434970855712890625", Ext(0x3FFF, kOne), "1"},
      {"1.0000000000000000001626303258728256651011179201304912567138671875", Ext(0x3FFF, kOne + 2), nullptr},
      {"1.00000000000000000005421010862427522170037264004349708557128906250001", Ext(0x3FFF, kOne + 1), nullptr},
  };
  for (const Case& c : cases) {
    TExtended x;
    std::string error;
    ASSERT_TRUE(TextToExtended(c.text, x, error)) << c.text << ": " << error;
    EXPECT_EQ(Hex(x), Hex(c.value)) << c.text;
    std::string written = ExtendedToText(c.value);
    if (c.written) {
      EXPECT_EQ(written, c.written) << c.text;
    }
    TExtended back;
    ASSERT_TRUE(TextToExtended(written, back, error)) << written << ": " << error;
    EXPECT_EQ(Hex(back), Hex(c.value)) << written;
  }
  // A double's 0.1 is not the extended 0.1: more digits say which it is.
  TExtended d = TExtended::FromDouble(0.1), back;
  std::string text = ExtendedToText(d), error;
  EXPECT_NE(text, "0.1");
  EXPECT_EQ(text.rfind("0.1000000000000000055", 0), 0u) << text;
  ASSERT_TRUE(TextToExtended(text, back, error));
  EXPECT_EQ(back, d);
}

TEST(ExtendedTextTest, EveryBitPatternComesBackExactlyInFewDigits) {
  std::mt19937 rng(20240611);
  std::uniform_int_distribution<uint32_t> word;
  auto significand = [&] { return (static_cast<uint64_t>(word(rng)) << 32) | word(rng); };
  const uint16_t edges[] = {0, 1, 2, 0x3FFF, 0x7FFD, 0x7FFE, 0x7FFF};
  int decimals = 0;
  for (int i = 0; i < 500; ++i) {
    uint16_t exponent = (i % 3 == 0) ? edges[(i / 3) % 7] : static_cast<uint16_t>(word(rng) & 0x7FFF);
    uint64_t m = significand();
    if (i % 5 != 0) m = exponent ? (m | kOne) : (m & ~kOne);  // mostly canonical numbers
    if (i % 11 == 0) m &= ~uint64_t(0) << (word(rng) % 64);   // short significands
    TExtended x = Ext(static_cast<uint16_t>(exponent | ((i & 1) << 15)), m);
    std::string text = ExtendedToText(x), error;
    TExtended back;
    ASSERT_TRUE(TextToExtended(text, back, error)) << text << ": " << error;
    ASSERT_EQ(Hex(back), Hex(x)) << text;
    bool integerBit = (m & kOne) != 0;
    bool number = exponent == 0 ? !integerBit : (integerBit && exponent != 0x7FFF);
    if (exponent == 0x7FFF && m == kOne) {
      EXPECT_EQ(text.substr(text.size() - 3), "Inf");
    } else {
      EXPECT_EQ(text[0] == '$', !number) << Hex(x) << " " << text;
    }
    if (!number || text[0] == '$') continue;
    ++decimals;
    size_t digits = 0;
    for (char c : text.substr(0, text.find('E'))) digits += (c >= '0' && c <= '9');
    EXPECT_LE(digits, 21u + (text.find("0.") != std::string::npos ? 8u : 0u)) << text;
  }
  EXPECT_GT(decimals, 250);
}

TEST(ExtendedTextTest, NonNumbersAndTooLargeAreRefused) {
  struct Case {
    const char* text;
    const char* error;
  } cases[] = {
      {"", "'' is not a float"},
      {"abc", "'abc' is not a float"},
      {"1.2.3", "'1.2.3' is not a float"},
      {"1,5", "'1,5' is not a float"},
      {"1e", "'1e' is not a float"},
      {"1e+", "'1e+' is not a float"},
      {"--1", "'--1' is not a float"},
      {"0x10", "'0x10' is not a float"},
      {"NaN", "'NaN' is not a float"},
      {".", "'.' is not a float"},
      {"$123", "'$123' is not a float: '$' takes 20 hexadecimal digits"},
      {"$7FFFC00000000000000G", "'$7FFFC00000000000000G' is not a float: '$' takes 20 hexadecimal digits"},
      {"1e5000", "'1e5000' is too large for an extended float"},
      {"-1.2e4932", "'-1.2e4932' is too large for an extended float"},
      {"1.18973149535723176509E4932", "'1.18973149535723176509E4932' is too large for an extended float"},
  };
  for (const Case& c : cases) {
    TExtended x;
    std::string error;
    EXPECT_FALSE(TextToExtended(c.text, x, error)) << c.text;
    EXPECT_EQ(error, c.error);
  }
}

// ---- Sources ----

// A tree with every type, values on folders, odd names and odd floats, and a
// chain as deep as the package reads.
void OddTree(TKyWriter& w) {
  Rec(w, 2, "Forms", std::string());
  Rec(w, 2, "FrMain", std::string());
  Rec(w, 2, "__Show__", std::string());
  Rec(w, 1, "__Info__", int32_t{7});
  End(w);
  Rec(w, 1, "Caption", std::string("Main window"));
  Rec(w, 1, "Left", int32_t{-120000});
  Rec(w, 1, "Memo", std::string("line 1\r\nline 2\r\n"));
  Rec(w, 1, "Long", std::string(300, 'x'));
  Rec(w, 1, "Lone breaks", std::string("a\rb\nc "));
  End(w);
  End(w);
  Rec(w, 2, "Folder with a value", int32_t{5});
  Rec(w, 1, "Inner", false);
  End(w);
  Rec(w, 2, "Float folder", Ext(0x3FFB, 0xCCCCCCCCCCCCCCCD));
  Rec(w, 1, "x", true);
  End(w);
  Rec(w, 2, "Text folder", std::string("folder text"));
  Rec(w, 1, "y", std::string());
  End(w);
  struct {
    const char* name;
    TExtended value;
  } floats[] = {
      {"f 0.1", Ext(0x3FFB, 0xCCCCCCCCCCCCCCCD)},    {"f 0.1 of a double", TExtended::FromDouble(0.1)},
      {"f -0", Ext(0x8000, 0)},                      {"f largest", Ext(0x7FFE, ~uint64_t(0))},
      {"f -largest", Ext(0xFFFE, ~uint64_t(0))},     {"f smallest", Ext(0, 1)},
      {"f denormal", Ext(0, 0x7123456789ABCDEF)},    {"f inf", Ext(0x7FFF, kOne)},
      {"f -inf", Ext(0xFFFF, kOne)},                 {"f nan", Ext(0xFFFF, 0xC000000000000001)},
      {"f unnormal", Ext(0x4000, 0x1234)},           {"f pseudo-denormal", Ext(0, kOne | 5)},
      {"f third", Ext(0x3FFD, 0xAAAAAAAAAAAAAAAB)},  {"f 1e300", TExtended::FromDouble(1e300)},
  };
  for (const auto& f : floats) Rec(w, 1, f.name, f.value);
  const char* names[] = {"has = sign", " blanks at both ends ", "slash/back\\slash", "Gr\xF6\xDF" "e \x80",
                         "", "\"\"", " ", "<<", "tab\there", ";not a comment", "[not a section]", "\x81\x9D"};
  int32_t n = 0;
  for (const char* name : names) Rec(w, 1, name, int32_t{n++});
  Rec(w, 1, "Yes", true);
  Rec(w, 1, "Escapes", std::string("bar | backslash \\ nul \x01 end"));
  for (int i = 0; i < TKyPkgVars::kMaxDepth; ++i) Rec(w, 2, std::string("d").append(std::to_string(i)), std::string());
  Rec(w, 1, "bottom", int32_t{256});
  for (int i = 0; i < TKyPkgVars::kMaxDepth; ++i) End(w);
}

TEST(VarsSourceTest, EveryTypeOddNamesAndOddFloatsComeBackWithTheSameBytes) {
  Bytes bytes = Saved(VarsFile(4, "Form layouts \\ 100%\r\nsecond line", OddTree, {1, -2, 3, -4, 0}));
  std::string source = Decompile(bytes);
  EXPECT_EQ(CompileVars(source)->SaveToBytes(), bytes) << source;
  // The source of the compiled package is the same text again.
  EXPECT_EQ(Decompile(CompileVars(source)->SaveToBytes()), source);

  std::string utf8Name = AnsiToUtf8("Gr\xF6\xDF" "e \x80");
  for (const std::string& line : std::vector<std::string>{"Class=Variables", "Preserved=1,-2,3,-4,0",
                           "Integer Forms/FrMain/__Show__/__Info__=7", "String Forms/FrMain/Caption=Main window",
                           "String Forms/FrMain/Memo=<<\nline 1\nline 2\n\n>>", "Integer Folder with a value=5",
                           "Boolean Folder with a value/Inner=False", "Float Float folder=0.1",
                           "String Text folder=folder text", "String Text folder/y=", "Float f 0.1=0.1",
                           "Float f -0=-0", "Float f inf=Inf", "Float f -inf=-Inf", "Float f nan=$FFFFC000000000000001",
                           "Float f unnormal=$40000000000000001234", "Float f third=0.33333333333333333334",
                           "Integer has \\x3D sign=0", "Integer \\x20blanks at both ends\\x20=1",
                           "Integer slash\\x2Fback\\\\slash=2", "Integer " + utf8Name + "=3", "Integer \"\"=4",
                           "Integer \\x22\"=5", "Integer \\x20=6", "Integer tab\\x09here=8",
                           "String Escapes=bar | backslash \\\\ nul \\x01 end", "Boolean Yes=True"})
    EXPECT_NE(source.find("\n" + line + "\n"), std::string::npos) << line << "\n" << source;
  // A folder without a value of its own has no line.
  EXPECT_EQ(source.find("String Forms="), std::string::npos);
  EXPECT_EQ(source.find("String Forms/FrMain="), std::string::npos);
}

TEST(VarsSourceTest, ThroughTheToolCurrentFilesKeepTheirBytesAndOlderOnesBecomeCurrent) {
  std::string tool = ToolFromEnv("KY_PKGTOOL");
  TempDir dir;
  auto small = [](TKyWriter& w) {
    Rec(w, 2, "F", std::string());
    Rec(w, 1, "v", int32_t{12});
    End(w);
    Rec(w, 1, "Ratio", Ext(0x3FFB, 0xCCCCCCCCCCCCCCCD));
  };
  struct Case {
    const char* name;
    Bytes file;
    const char* preservedLine;
  } cases[] = {
      {"current", Saved(VarsFile(4, "now", OddTree, {9, 8, 7, 6, 0})), "Preserved=9,8,7,6,0"},
      {"v2", VarsFile(2, "old", small, {}), "Preserved=2147483647,2147483647,2147483647,2147483647,0"},
      {"v3", VarsFile(3, "older", small, {1, 2, 3, 4}), "Preserved=1,2,3,4,0"},
      // The package reads the fifth and writes 0 in its place, compiled or saved.
      {"fifth", VarsFile(4, "", small, {1, 2, 3, 4, 5}), "Preserved=1,2,3,4,5"},
  };
  for (const Case& c : cases) {
    std::string file = dir.WriteFile(std::string(c.name) + ".pva", Str(c.file));
    std::string source = dir / (std::string(c.name) + ".variables"), again = dir / (std::string(c.name) + "-again.pva");
    ToolResult r = RunTool(tool, "decompile \"" + file + "\" \"" + source + "\"");
    ASSERT_EQ(r.exitCode, 0) << c.name << ": " << r.output;
    r = RunTool(tool, "compile \"" + source + "\" \"" + again + "\"");
    ASSERT_EQ(r.exitCode, 0) << c.name << ": " << r.output;
    std::string out = ReadAll(again);
    EXPECT_EQ(out, Str(Saved(c.file))) << c.name;
    ASSERT_GT(out.size(), 34u);
    EXPECT_EQ(out[32], 4) << c.name;
    EXPECT_NE(ReadAll(source).find(std::string("\n") + c.preservedLine + "\n"), std::string::npos) << c.name;
  }
  EXPECT_EQ(ReadAll(dir / "current-again.pva"), Str(cases[0].file));
  TKyPkgVars fifth(nullptr);
  fifth.LoadFromFile(dir / "fifth-again.pva");
  EXPECT_EQ(fifth.Preserved(3), 4);
  EXPECT_EQ(fifth.Preserved(4), 0);
}

TEST(VarsSourceTest, ThroughTheToolRefusedFilesGiveTheLibrarysMessage) {
  std::string tool = ToolFromEnv("KY_PKGTOOL");
  TempDir dir;
  auto one = [](TKyWriter& w) { Rec(w, 1, "v", int32_t{1}); };
  Bytes cut = VarsFile(4, "", one, {0, 0, 0, 0, 0});
  cut.resize(cut.size() - 3);
  Bytes sig = VarsFile(4, "", one, {0, 0, 0, 0, 0});
  sig[5] = 'X';  // a damaged prefix before the class word
  struct Case {
    const char* name;
    Bytes file;
    std::string output;
  } cases[] = {
      {"v5.pva", VarsFile(5, "", one, {0, 0, 0, 0, 0}),
       "Verisi\xF3n del fichero '" + (dir / "v5.pva") + "' incorrecta. (PkgVars).\n"},
      {"sig.pva", sig,
       "Identificaci\xF3n del fichero '" + (dir / "sig.pva") + "' incorrecta. (PkgVars).\n"},
      {"cut.pva", cut, "Stream read error: " + (dir / "cut.pva") + " (the file ends early)\n"},
      {"marker.pva", VarsFile(4, "", [](TKyWriter& w) { Rec(w, 3, "v", int32_t{1}); }, {0, 0, 0, 0, 0}),
       "Invalid variables record\n"},
  };
  for (const Case& c : cases) {
    std::string file = dir.WriteFile(c.name, Str(c.file));
    ToolResult r = RunTool(tool, "decompile \"" + file + "\" \"" + (dir / "out.variables") + "\"");
    EXPECT_EQ(r.exitCode, 1) << c.name;
    EXPECT_EQ(r.output, c.output) << c.name;
  }
  std::string bad = dir.WriteFile("bad.variables", "[Package]\nClass=Variables\n[Variables]\nInteger a=1\nInteger A=2\n");
  ToolResult r = RunTool(tool, "compile \"" + bad + "\" \"" + (dir / "out.pva") + "\"");
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.output, bad + "(5): 'A' is given twice (also on line 4)\n");
  EXPECT_FALSE(dir.Exists("out.variables"));
  EXPECT_FALSE(dir.Exists("out.pva"));
}

TEST(VarsSourceTest, WhatThePackageNormalisesOnReadingTheSourceFollows) {
  // Siblings out of order, a folder record with nothing in it (read as a
  // variable) and a float stored with an integer tag: the source gives the
  // bytes the package itself saves, not the file's own.
  Bytes file = VarsFile(4, "", [](TKyWriter& w) {
    Rec(w, 1, "zeta", int32_t{1});
    Rec(w, 2, "Empty", int32_t{3});
    End(w);
    Rec(w, 1, "alpha", int32_t{2});
    w.WriteInteger(1);
    w.WriteString("Mid");
    w.WriteInteger(vtyFloat);
    w.WriteInteger(1000);
  }, {0, 0, 0, 0, 0});
  Bytes saved = Saved(file);
  ASSERT_NE(saved, file);
  std::string source = Decompile(file);
  EXPECT_EQ(CompileVars(source)->SaveToBytes(), saved);
  EXPECT_LT(source.find("Integer alpha=2"), source.find("Integer Empty=3"));
  EXPECT_LT(source.find("Integer Empty=3"), source.find("Float Mid=1000"));
  EXPECT_LT(source.find("Float Mid=1000"), source.find("Integer zeta=1"));

  // Lines in any order give the package's order.
  const char* const head = "[Package]\nClass=Variables\nPreserved=0,0,0,0,0\n[Variables]\n";
  std::string shuffled = std::string(head) + "Integer zeta=1\nFloat Mid=1000\nInteger Empty=3\nInteger alpha=2\n";
  std::string sorted = std::string(head) + "Integer alpha=2\nInteger Empty=3\nFloat Mid=1000\nInteger zeta=1\n";
  EXPECT_EQ(CompileVars(shuffled)->SaveToBytes(), CompileVars(sorted)->SaveToBytes());
  EXPECT_EQ(CompileVars(sorted)->SaveToBytes(), saved);
}

TEST(VarsSourceTest, AHandWrittenSourceNamesFoldersByTheirPaths) {
  auto vars = CompileVars(
      "; remembered by the installer\n"
      "[Package]\nClass=Variables\nName=PvSetup\nDescription=Setup\n"
      "[Variables]\n"
      "Integer   Forms/FrMain/Left=-12\n"
      "integer FORMS/frmain/Top=$10\n"       // same folders, any case; the first spelling names them
      "String Forms=folder's own value\n"    // given after its children
      "BOOLEAN Forms/FrMain/Max=true\n"
      "String Forms/FrMain/Notes=<<\nfirst\nsecond\n>>\n"
      "\n"
      "Float Ratio=2.5e0\n"
      "String Title= leading blank kept\n"
      "String Gr\xC3\xB6\xC3\x9F" "e=\xE2\x82\xAC\n");
  EXPECT_EQ(vars->Description(), "Setup");
  EXPECT_EQ(vars->Preserved(0), 2147483647);
  EXPECT_EQ(vars->Preserved(4), 0);
  ASSERT_EQ(vars->Root()->Count(), 4);
  TKyPkgVarsItem* forms = vars->FindItem("forms");
  ASSERT_NE(forms, nullptr);
  EXPECT_EQ(forms->Name(), "Forms");
  EXPECT_EQ(forms->AsString(), "folder's own value");
  EXPECT_EQ(forms->Count(), 1);
  EXPECT_EQ(forms->Items(0)->Name(), "FrMain");
  EXPECT_EQ(vars->ReadInteger("Forms\\FrMain\\Left", 0), -12);
  EXPECT_EQ(vars->ReadInteger("Forms\\FrMain\\Top", 0), 16);
  EXPECT_EQ(vars->FindItem("Forms/FrMain/Max")->Type(), vtyBoolean);
  EXPECT_EQ(vars->ReadInteger("Forms/FrMain/Max", 0), 1);
  EXPECT_EQ(vars->ReadString("Forms/FrMain/Notes", ""), "first\r\nsecond");
  EXPECT_EQ(std::get<TExtended>(vars->FindItem("Ratio")->Value()).ToDouble(), 2.5);
  EXPECT_EQ(vars->ReadString("Title", ""), " leading blank kept");
  EXPECT_EQ(vars->ReadString("Gr\xF6\xDF" "e", ""), "\x80");
  // An empty source is an empty package.
  EXPECT_EQ(CompileVars("[Package]\nClass=Variables\n")->Root()->Count(), 0);
}

TEST(VarsSourceTest, FaultySourcesNameTheirLine) {
  std::string deep;
  for (int i = 0; i <= TKyPkgVars::kMaxDepth; ++i) deep += "d/";
  const std::string head = "[Package]\nClass=Variables\n[Variables]\n";
  struct Case {
    std::string text, expected;
  } cases[] = {
      {head + "Integr a=1\n", "(4): 'Integr' is not a type (Boolean, Integer, Float or String)"},
      {head + "a=1\n", "(4): 'a' is not a type (Boolean, Integer, Float or String)"},
      {head + "Integer =1\n", "(4): the path is missing after Integer"},
      {head + "Integer a=1.5\n", "(4): '1.5' is not an integer"},
      {head + "Integer a=3000000000\n", "(4): '3000000000' is not an integer"},
      {head + "Float a=1,5\n", "(4): '1,5' is not a float"},
      {head + "Float a=1e5000\n", "(4): '1e5000' is too large for an extended float"},
      {head + "Boolean a=yes\n", "(4): 'yes' is not True or False"},
      {head + "Integer a=1\nString A=x\n", "(5): 'A' is given twice (also on line 4)"},
      {head + "Integer f/a=1\n\nInteger F/A=2\n", "(6): 'F/A' is given twice (also on line 4)"},
      {head + "String f=1\nInteger f/a=1\nString F=2\n", "(6): 'F' is given twice (also on line 4)"},
      {head + "Integer a//b=1\n", "(4): an empty name in 'a//b' (write \"\" for the empty name)"},
      {head + "Integer a/=1\n", "(4): an empty name in 'a/' (write \"\" for the empty name)"},
      {head + "Integer a\\q=1\n", "(4): unknown escape \\q"},
      {head + "Integer a/b\\/c=1\n", "(4): a backslash ends the value (write \\\\ for one)"},
      {head + "String a=bad \\q\n", "(4): unknown escape \\q"},
      {head + "Integer " + deep + "v=1\n", "(4): the path runs through more than 256 folders"},
      {head + "Integer a=<<\n1\n>>\n", "(4): only a String takes a text block"},
      {head + "String \xE4\xB8\xAD=x\n", "(4): text that is not UTF-8 or has a character outside code page 1252"},
      {"[Package]\nClass=Variables\n[Vars]\n", "(3): unknown section [Vars]"},
      {"[Package]\nClass=Variables\nPreserved=1,2\n", "(3): Preserved takes five integers"},
      {"[Package]\nClass=Variables\nPreserved=1,2,3,4,x\n", "(3): 'x' is not an integer"},
  };
  for (const Case& c : cases) {
    try {
      CompileVars(c.text);
      ADD_FAILURE() << "accepted: " << c.text;
    } catch (const ESourceError& e) {
      EXPECT_EQ(std::string(e.what()), "test.variables" + c.expected) << c.text;
    }
  }
}
