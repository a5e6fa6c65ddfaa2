// Variables packages: the tree with sorted siblings, paths, the file format
// with its versions, and refusals.
#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "PkgTestSupport.h"
#include "packages/MessageService.h"
#include "packages/PkgVars.h"
#include "platform/base/Exception.h"
#include "platform/base/Stream.h"
#include "platform/base/TypedStream.h"

using ky_test::Raised;

namespace {

using Bytes = std::vector<uint8_t>;

std::vector<std::string> ChildNames(const TKyPkgVarsItem* item) {
  std::vector<std::string> names;
  for (int i = 0; i < item->Count(); ++i) names.push_back(item->Items(i)->Name());
  return names;
}

// A package body written by hand: header of the given version, then values.
Bytes Body(uint16_t version, const std::function<void(TKyWriter&)>& body, const char* word = "KyPkgVars") {
  TMemoryStream s;
  {
    TKyWriter w(s);
    WritePkgHeader(w, word, version);
    body(w);
  }
  return s.Data();
}

void Load(TKyPkgVars& vars, const Bytes& bytes) {
  TMemoryStream s(bytes);
  vars.LoadFromStream(s);
}

class PkgVarsTest : public ::testing::Test {
protected:
  void SetUp() override {
    previous_ = SetMessageLookup([](const std::string& package, int id) -> std::optional<std::string> {
      if (package != "System") return std::nullopt;
      switch (id) {
        case 29: return "Ruta vacia. (PkgVars)";
        case 30: return "Ruta '%s' incorrecta. (PkgVars)";
        case 31: return "Identificación del fichero '%s' incorrecta. (PkgVars)";
        case 32: return "Verisión del fichero '%s' incorrecta. (PkgVars)";
        case 67: return "Nombre de Paquete incorrecto.";
      }
      return std::nullopt;
    });
  }
  void TearDown() override { SetMessageLookup(previous_); }
  TMessageLookup previous_;
};

}  // namespace

TEST_F(PkgVarsTest, WritingMakesFoldersAndKeepsSiblingsSorted) {
  TKyPkgVars vars(nullptr);
  vars.WriteInteger("Forms\\FrMain\\__Show__/__Info__", 7);
  vars.WriteString("Forms/beta", "b");
  vars.WriteString("forms/Alpha", "a");
  vars.WriteInteger("Forms/gamma", 3);
  ASSERT_EQ(vars.Root()->Count(), 1);
  TKyPkgVarsItem* forms = vars.Root()->Items(0);
  EXPECT_EQ(forms->Name(), "Forms");
  EXPECT_EQ(ChildNames(forms), (std::vector<std::string>{"Alpha", "beta", "FrMain", "gamma"}));
  TKyPkgVarsItem* show = vars.FindItem("FORMS/frmain/__SHOW__");
  ASSERT_NE(show, nullptr);
  EXPECT_TRUE(show->IsFolder());
  EXPECT_EQ(ChildNames(show), std::vector<std::string>{"__Info__"});
  EXPECT_EQ(vars.ReadInteger("forms\\FrMain\\__show__\\__info__", -1), 7);
  EXPECT_EQ(forms->Items(0)->NextSibling()->Name(), "beta");
  EXPECT_EQ(forms->Items(3)->NextSibling(), nullptr);
}

TEST_F(PkgVarsTest, ReadsGiveDefaultsForMissingVariablesAndConvertTypes) {
  TKyPkgVars vars(nullptr);
  vars.WriteString("a/text", "42");
  vars.WriteString("a/word", "x");
  vars.WriteBoolean("a/flag", true);
  EXPECT_EQ(vars.ReadInteger("a/missing", -5), -5);
  EXPECT_EQ(vars.ReadInteger("nowhere/at/all", 9), 9);
  EXPECT_EQ(vars.ReadString("a/missing", "def"), "def");
  EXPECT_EQ(vars.ReadInteger("a/text", 0), 42);
  EXPECT_EQ(vars.ReadInteger("a/word", 3), 3);
  EXPECT_EQ(vars.ReadInteger("a/flag", 0), 1);
  vars.WriteInteger("A/TEXT", 5);  // same variable, now an integer
  EXPECT_EQ(vars.FindItem("a/text")->Type(), vtyInteger);
  EXPECT_EQ(vars.ReadString("a/text", ""), "5");
  EXPECT_TRUE(vars.Delete("a/TEXT"));
  EXPECT_FALSE(vars.Delete("a/text"));
  int changes = 0;
  vars.OnChange = [&](TObject*) { ++changes; };
  vars.WriteString("b/empty", "");  // new, though its value is the default one
  vars.WriteString("b/empty", "");  // unchanged
  EXPECT_EQ(changes, 1);
  EXPECT_TRUE(vars.Delete("A"));
  EXPECT_EQ(vars.Root()->Count(), 1);
}

TEST_F(PkgVarsTest, EmptyAndInvalidPathsAreRefused) {
  TKyPkgVars vars(nullptr);
  vars.SetName("PvUser");
  EXPECT_EQ(Raised([&] { vars.WriteInteger("  ", 1); }), "(PvUser) Ruta vacia. (PkgVars).");  // completed with "."
  struct Case {
    const char* path;
  } invalid[] = {{"a//b"}, {"a/"}, {"\\a"}, {"a/ /b"}};
  for (const Case& c : invalid)
    EXPECT_EQ(Raised([&] { vars.ReadInteger(c.path, 0); }),
              std::string("(PvUser) Ruta '") + c.path + "' incorrecta. (PkgVars).")
        << c.path;
  std::string deep;
  for (int i = 0; i <= TKyPkgVars::kMaxDepth; ++i) deep += "d/";
  deep += "v";
  EXPECT_NE(Raised([&] { vars.WriteInteger(deep, 1); }).find("incorrecta"), std::string::npos);
  EXPECT_EQ(vars.Root()->Count(), 0);
}

TEST_F(PkgVarsTest, RoundTripKeepsEveryTypeTreeAndPreservedValues) {
  TKyPkgVars vars(nullptr);
  vars.SetDescription("Form layouts");
  vars.WriteInteger("Forms/FrMain/Left", -120000);
  vars.WriteString("Forms/FrMain/Caption", std::string(300, 'x'));
  vars.WriteBoolean("Flags/On", true);
  vars.WriteFloat("Ratio", TExtended::FromDouble(2.5));
  vars.SetPreserved(0, 65);
  vars.SetPreserved(3, -7);
  Bytes bytes = vars.SaveToBytes();

  TKyPkgVars back(nullptr);
  Load(back, bytes);
  EXPECT_EQ(back.Description(), "Form layouts");
  EXPECT_EQ(back.ReadInteger("forms/frmain/left", 0), -120000);
  EXPECT_EQ(back.ReadString("Forms/FrMain/Caption", ""), std::string(300, 'x'));
  EXPECT_EQ(back.FindItem("Flags/On")->Type(), vtyBoolean);
  EXPECT_EQ(std::get<TExtended>(back.FindItem("ratio")->Value()).ToDouble(), 2.5);
  EXPECT_EQ(back.Preserved(0), 65);
  EXPECT_EQ(back.Preserved(3), -7);
  EXPECT_EQ(back.SaveToBytes(), bytes);
}

// The records of one folder holding one integer variable.
void SmallTree(TKyWriter& w) {
  w.WriteString("d");
  w.WriteInteger(2);  // folder
  w.WriteString("F");
  w.WriteInteger(3);
  w.WriteString("");
  w.WriteInteger(1);  // variable
  w.WriteString("v");
  w.WriteInteger(1);
  w.WriteInteger(12);
  w.WriteInteger(0);  // end of F
  w.WriteInteger(0);  // end of the top level
}

TEST_F(PkgVarsTest, OlderVersionsLackThePreservedValues) {
  struct Case {
    uint16_t version;
    std::vector<int32_t> preserved;  // in the file
    std::vector<int32_t> expected;
  } cases[] = {
      {2, {}, {2147483647, 2147483647, 2147483647, 2147483647, 0}},
      {3, {1, 2, 3, 4}, {1, 2, 3, 4, 0}},
      {4, {1, 2, 3, 4, 5}, {1, 2, 3, 4, 5}},
  };
  // One package for all: what a version lacks must not keep the last file's values.
  TKyPkgVars vars(nullptr);
  int changes = 0;
  vars.OnChange = [&](TObject*) { ++changes; };
  for (const Case& c : {cases[2], cases[0], cases[1]}) {
    changes = 0;
    Load(vars, Body(c.version, [&](TKyWriter& w) {
           SmallTree(w);
           for (int32_t p : c.preserved) w.WriteInteger(p);
         }));
    EXPECT_EQ(vars.ReadInteger("F/v", 0), 12) << c.version;
    for (int i = 0; i < 5; ++i) EXPECT_EQ(vars.Preserved(i), c.expected[static_cast<size_t>(i)]) << c.version;
    EXPECT_EQ(changes, 1) << c.version;  // one change per read, the description included
  }
}

TEST_F(PkgVarsTest, OperationsByPackageName) {
  TComponent form(nullptr);
  auto* vars = new TKyPkgVars(&form);
  vars->SetPkgName("Settings");
  EXPECT_TRUE(WriteVarInteger("settings", "Win/Left", 40));
  EXPECT_TRUE(WriteVarString("Settings", "Win/Title", "Main"));
  EXPECT_EQ(ReadVarInteger("SETTINGS", "Win\\Left", 0), 40);
  EXPECT_EQ(ReadVarString("Settings", "Win/Title", ""), "Main");
  EXPECT_TRUE(DeleteVar("Settings", "Win/Left"));
  EXPECT_FALSE(DeleteVar("Settings", "Win/Left"));
  EXPECT_EQ(ReadVarInteger("Settings", "Win/Left", -1), -1);
  // No package of that name: the defaults, nothing written.
  EXPECT_EQ(ReadVarInteger("Nobody", "Win/Left", 7), 7);
  EXPECT_EQ(ReadVarString("System", "Win/Title", "none"), "none");
  EXPECT_FALSE(WriteVarInteger("Nobody", "Win/Left", 1));
  EXPECT_FALSE(DeleteVar("Nobody", "Win"));
}

TEST_F(PkgVarsTest, RenamingRefusesReservedNamesAndPutsThePackageLast) {
  TComponent form(nullptr);
  auto* first = new TKyPkgVars(&form);
  first->SetName("PvFirst");
  first->SetPkgName("Settings");
  first->WriteInteger("x", 1);
  auto* second = new TKyPkgVars(&form);
  second->SetName("PvSecond");
  second->WriteInteger("x", 2);
  for (const char* reserved : {"User", "system"}) {
    EXPECT_EQ(Raised([&] { second->SetPkgName(reserved); }), "(PvSecond) Nombre de Paquete incorrecto.") << reserved;
    EXPECT_EQ(second->PkgName(), "");
  }
  // Not owned by a form, only "User" is refused.
  TKyPkgVars loose(nullptr);
  loose.SetName("PvLoose");
  EXPECT_EQ(Raised([&] { loose.SetPkgName("user"); }), "(PvLoose) Nombre de Paquete incorrecto.");
  EXPECT_EQ(Raised([&] { loose.SetPkgName("System"); }), "(nothing raised)");
  // The renamed one goes to the end: the package that had the name first still answers.
  second->SetPkgName("settings");
  EXPECT_EQ(ReadVarInteger("Settings", "x", 0), 1);
  first->SetPkgName("Other");
  EXPECT_EQ(ReadVarInteger("Settings", "x", 0), 2);
}

TEST_F(PkgVarsTest, WrongSignatureAndNewerVersionAreRefused) {
  TKyPkgVars vars(nullptr);
  std::string sig = Raised([&] { Load(vars, Body(4, SmallTree, "KyPkgVarz")); });
  EXPECT_EQ(sig.rfind("Identificación del fichero '", 0), 0u) << sig;
  EXPECT_NE(sig.find("incorrecta. (PkgVars)"), std::string::npos);
  std::string ver = Raised([&] { Load(vars, Body(5, SmallTree)); });
  EXPECT_EQ(ver.rfind("Verisión del fichero '", 0), 0u) << ver;
  // The signature compares without regard to case.
  Load(vars, Body(4, [](TKyWriter& w) {
         SmallTree(w);
         for (int i = 0; i < 5; ++i) w.WriteInteger(0);
       }, "KYPKGVARS"));
  EXPECT_EQ(vars.ReadInteger("f/V", 0), 12);
}

TEST_F(PkgVarsTest, DamagedTreesAreRefused) {
  auto record = [](TKyWriter& w, int32_t marker, int32_t type) {
    w.WriteInteger(marker);
    w.WriteString("n");
    w.WriteInteger(type);
    w.WriteInteger(1);
  };
  std::function<void(TKyWriter&)> damaged[] = {
      [&](TKyWriter& w) { w.WriteString(""); record(w, 3, 1); },           // unknown marker
      [&](TKyWriter& w) { w.WriteString(""); record(w, 1, 9); },           // unknown type
      [&](TKyWriter& w) { w.WriteString(""); record(w, 1, 1); },           // cut short
      [&](TKyWriter& w) {                                                  // nested without end
        w.WriteString("");
        for (int i = 0; i <= TKyPkgVars::kMaxDepth + 1; ++i) record(w, 2, 1);
      },
  };
  for (const auto& body : damaged) {
    TKyPkgVars vars(nullptr);
    EXPECT_NE(Raised([&] { Load(vars, Body(4, body)); }), "(nothing raised)");
  }
}

TEST_F(PkgVarsTest, SiblingsOutOfOrderInAFileAreSortedWhenRead) {
  TKyPkgVars vars(nullptr);
  Load(vars, Body(4, [](TKyWriter& w) {
         w.WriteString("");
         for (const char* n : {"zeta", "Alpha", "mid"}) {
           w.WriteInteger(1);
           w.WriteString(n);
           w.WriteInteger(1);
           w.WriteInteger(1);
         }
         w.WriteInteger(0);
         for (int i = 0; i < 5; ++i) w.WriteInteger(0);
       }));
  EXPECT_EQ(ChildNames(vars.Root()), (std::vector<std::string>{"Alpha", "mid", "zeta"}));
  EXPECT_EQ(vars.ReadInteger("ZETA", 0), 1);
}
