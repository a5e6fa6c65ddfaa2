// Privileges definitions and access records as readable sources through
// pkgtool: the same bytes both ways, what a hand-written access source may
// leave out, faulty sources by line, and refused files.
#include <gtest/gtest.h>

#include "PkgSource.h"
#include "PkgTestSupport.h"
#include "packages/PkgPrivileges.h"
#include "support/RunTool.h"
#include "support/TempDir.h"

using namespace ky_test;

namespace {

using Bytes = std::vector<uint8_t>;


Bytes CompilePrivileges(const std::string& utf8, const std::string& name = "test.privileges") {
  return CompileSource(TPkgSource::Parse(utf8, name))->SaveToBytes();
}

std::string Decompile(const char* kindClass, const Bytes& bytes) {
  const TPkgSourceKind* kind = FindKindByClass(kindClass);
  std::unique_ptr<TKyPkgInfo> pkg = kind->Create();
  LoadBytes(*pkg, bytes);
  TSourceWriter out("test.privileges");
  kind->Decompile(*pkg, out);
  return out.Utf8();
}

Bytes AccessRecordBytes(uint16_t version, const TKyAccessRecord& record) {
  TMemoryStream m;
  {
    TKyWriter w(m);
    WritePkgHeader(w, "KyAccess", version);
    if (version >= 2) {
      WriteAccessBody(w, record);
    } else {
      w.WriteString(record.Description);
      w.WriteString(ScrambleAccessText(record.Key1));
      w.WriteString(ScrambleAccessText(record.FileName));
      w.WriteInteger(static_cast<int32_t>(record.Levels.size()));
      for (auto [id, level] : record.Levels) {
        w.WriteInteger(id);
        w.WriteInteger(level);
      }
    }
  }
  return m.Data();
}

}  // namespace

TEST(PrivilegesSourceTest, AwkwardDefinitionsComeBackWithTheSameBytes) {
  TKyPkgPrivileges p(nullptr);
  p.SetDefinitionsName("  Derechos | de prueba ");
  p.AddItem(0, "prueba", 1);
  p.AddItem(-5, "", 0);
  p.AddItem(0, "a|bar, a \\ backslash\r\nand a break ", 2);
  p.AddItem(2147483647, "<<", 1)->SetDescriptionLabel("Id|ioma", 12);
  p.AddItem(-2147483647 - 1, "sin paquete", 0)->SetDescriptionLabel("", 5);
  p.AddItem(8, "sin id", 2)->SetDescriptionLabel("Idioma", -1);
  Bytes bytes = p.SaveToBytes();
  std::string source = Decompile("Privileges", bytes);
  EXPECT_EQ(CompilePrivileges(source), bytes) << source;
  for (const char* line : {"\n0=1|prueba\n", "\n-5=0|\n", "\n2147483647=1|\\x3C<|Id\\|ioma|12\n", "\n-2147483648=0|sin paquete||5\n", "\n8=2|sin id|Idioma|-1\n"})
    EXPECT_NE(source.find(line), std::string::npos) << line << "\n" << source;
}

TEST(PrivilegesSourceTest, TheInstallersDefinitionsAsBuilt) {
  TMemoryStream m;
  m.LoadFromFile(ToolFromEnv("KY_PACKAGES_DIR") + "\\Installer-Privileges.dat");
  Bytes bytes = m.Data();
  EXPECT_EQ(bytes.size(), 54u);
  EXPECT_EQ(CompilePrivileges("[Package]\nClass=Privileges\n[Privileges]\n0=1|prueba\n"), bytes);
  TKyPkgPrivileges p(nullptr);
  LoadBytes(p, bytes);
  EXPECT_EQ(p.DefinitionsName(), "");
  ASSERT_EQ(p.Count(), 1);
  EXPECT_EQ(p.Items(0)->Description(), "prueba");
  EXPECT_EQ(p.Items(0)->Level(), 1);
  EXPECT_EQ(p.Items(0)->DescriptionLabel().Id(), -1);
}

TEST(PrivilegesSourceTest, AccessRecordsComeBackWithTheSameBytes) {
  TKyAccessRecord r;
  r.Description = "Ana Garc\xED" "a";
  r.Key1 = " clave con blancos ";
  r.FileName = "ana.acc";
  r.Key2 = "otra|clave\\";
  r.Levels = {{0, 1}, {3, 0}, {3, 2}, {-9, 2}};
  Bytes bytes = AccessRecordBytes(2, r);
  std::string source = Decompile("Access", bytes);
  EXPECT_EQ(CompilePrivileges(source), bytes) << source;
  EXPECT_NE(source.find("\nFileName=ana.acc\n"), std::string::npos) << source;

  // A version 1 record reads with an empty second key and compiles to version 2.
  r.Key2.clear();
  std::string old = Decompile("Access", AccessRecordBytes(1, r));
  EXPECT_NE(old.find("\nKey2=\n"), std::string::npos) << old;
  EXPECT_EQ(CompilePrivileges(old), AccessRecordBytes(2, r));
}

TEST(PrivilegesSourceTest, ThroughTheToolAndIntoAPackage) {
  std::string tool = ToolFromEnv("KY_PKGTOOL");
  TempDir dir;
  // Without FileName the record carries the name it is compiled into.
  dir.WriteFile("ana.access", "[Package]\nClass=Access\nDescription=Ana\nKey2=llave\n[Levels]\n3=2\n99=0\n");
  ToolResult r = RunTool(tool, "compile \"" + (dir / "ana.access") + "\" \"" + (dir / "ana.acc") + "\"");
  ASSERT_EQ(r.exitCode, 0) << r.output;
  ASSERT_TRUE(CopyFileA((dir / "ana.acc").c_str(), (dir / "luis.acc").c_str(), FALSE));

  TKyPkgPrivileges p(nullptr);
  p.SetName("PrUser");
  p.SetKey("llave");
  p.AddItem(3, "Borrar", 0);
  p.LoadAccessFromFile(dir / "ana.acc");
  EXPECT_EQ(p.FindItem(3)->Level(), 2);
  EXPECT_EQ(p.Description(), "Ana");
  EXPECT_THROW(p.LoadAccessFromFile(dir / "luis.acc"), Exception);

  // Decompiled and compiled again, both kinds give back the same bytes.
  p.SaveToFile(dir / "Privileges.bin");
  struct Case {
    std::string file, source;
  } cases[] = {{"Privileges.bin", "Privileges.privileges"}, {"ana.acc", "ana2.access"}};
  for (const Case& c : cases) {
    std::string again = dir / (c.file + ".again");
    r = RunTool(tool, "decompile \"" + (dir / c.file) + "\" \"" + (dir / c.source) + "\"");
    ASSERT_EQ(r.exitCode, 0) << r.output;
    r = RunTool(tool, "compile \"" + (dir / c.source) + "\" \"" + again + "\"");
    ASSERT_EQ(r.exitCode, 0) << r.output;
    EXPECT_EQ(ReadAll(again), ReadAll(dir / c.file)) << c.file;
  }
}

TEST(PrivilegesSourceTest, RefusedFilesGiveTheLibrarysMessage) {
  std::string tool = ToolFromEnv("KY_PKGTOOL");
  TempDir dir;
  TKyPkgPrivileges p(nullptr);
  p.AddItem(1, "uno", 1);
  Bytes defsBytes = p.SaveToBytes();
  std::string defs(defsBytes.begin(), defsBytes.end());
  TKyAccessRecord rec;
  rec.Levels = {{1, 2}};
  Bytes accBytes = AccessRecordBytes(2, rec);
  std::string acc(accBytes.begin(), accBytes.end());
  std::string defsV3 = defs, accV3 = acc, accLevel = acc;
  defsV3[32] = 3;
  accV3[32] = 3;
  accLevel[accLevel.size() - 1] = 3;  // the level of the only pair
  struct Case {
    std::string name, bytes, output;
  } cases[] = {
      {"v3.bin", defsV3, "Versi\xF3n incorrecta (Privileges).\n"},
      {"v3.acc", accV3, "Versi\xF3n incorrecta (Privileges).\n"},
      {"level.acc", accLevel, "Damaged package '" + (dir / "level.acc") + "': level 3 of privilege 1 is outside 0..2\n"},
  };
  for (const Case& c : cases) {
    ToolResult r = RunTool(tool, "decompile \"" + dir.WriteFile(c.name, c.bytes) + "\" \"" + (dir / "out.src") + "\"");
    EXPECT_EQ(r.exitCode, 1) << c.name;
    EXPECT_EQ(r.output, c.output) << c.name;
  }
  EXPECT_FALSE(dir.Exists("out.src"));
}

TEST(PrivilegesSourceTest, FaultySourcesNameTheirLine) {
  const std::string defs = "[Package]\nClass=Privileges\n[Privileges]\n";
  const std::string access = "[Package]\nClass=Access\n[Levels]\n";
  struct Case {
    std::string text, expected;
  } cases[] = {
      {defs + "0=3|x\n", "test.privileges(4): a level is 0, 1 or 2"},
      {defs + "0=-1|x\n", "test.privileges(4): a level is 0, 1 or 2"},
      {defs + "0=1\n", "test.privileges(4): expected level|description or level|description|label package|label id"},
      {defs + "0=1|x|Idioma\n", "test.privileges(4): expected level|description or level|description|label package|label id"},
      {defs + "0=1|x|Idioma|doce\n", "test.privileges(4): 'doce' is not an integer"},
      {defs + "x=1|y\n", "test.privileges(4): 'x' is not an integer"},
      {defs + "0=<<\ntwo\nlines\n>>\n", "test.privileges(4): a privilege is one line"},
      {"[Package]\nClass=Privileges\nDescription=d\n", "test.privileges(3): unknown key 'Description' in [Package]"},
      {access + "5=7\n", "test.privileges(4): a level is 0, 1 or 2"},
      {access + "5=uno\n", "test.privileges(4): 'uno' is not an integer"},
      {"[Package]\nClass=Access\n[Privileges]\n", "test.privileges(3): unknown section [Privileges]"},
  };
  for (const Case& c : cases) {
    try {
      CompilePrivileges(c.text);
      ADD_FAILURE() << "accepted: " << c.text;
    } catch (const ESourceError& e) {
      EXPECT_EQ(std::string(e.what()), c.expected);
    }
  }
}
