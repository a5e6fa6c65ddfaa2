#include <gtest/gtest.h>

#include "Manifest.h"
#include "platform/base/Exception.h"
#include "support/TempDir.h"

namespace {

std::string ParseError(const std::string& text) {
  try {
    ParseManifest(text, "m.ini", "C:\\src\\");
  } catch (const Exception& e) {
    return e.what();
  }
  return "";
}

const char kProduct[] = "[Product]\nName=Ky\nKind=2\nVersion=1.2.3\n";

}  // namespace

TEST(Manifest, ReadsEveryKeyWithDefaults) {
  TManifest m = ParseManifest(
      "; comment\r\n[product]\r\nname = KyControls\r\nKind=3\r\nQualifier=English\r\nVersion=2.1.10\r\n"
      "BaseVersion=2.1.0\r\nUpdate=1\r\nShortcuts=EXE,HLP\r\nRequires=2.4.0\r\n"
      "[Files]\r\nHelp\\Ky.hlp=docs/Ky.hlp\r\nKy.cnt = D:\\abs\\Ky.cnt\r\n[Obsolete]\r\nOld.hlp\r\nHelp\\Old.cnt\r\n",
      "m.ini", "C:\\src\\");
  const TSetupProduct& p = m.Product;
  EXPECT_EQ(p.Name, "KyControls");
  EXPECT_EQ(p.Kind, 3);
  EXPECT_EQ(p.Qualifier, "English");
  EXPECT_EQ(p.Version, (TVersion{2, 1, 10}));
  EXPECT_EQ(p.BaseVersion, (TVersion{2, 1, 0}));
  EXPECT_TRUE(p.Update);
  EXPECT_EQ(p.Shortcuts, "EXE,HLP");
  EXPECT_EQ(p.Required, (TVersion{2, 4, 0}));
  ASSERT_EQ(m.Files.size(), 2u);
  EXPECT_EQ(m.Files[0].Name, "Help\\Ky.hlp");
  EXPECT_EQ(m.Files[0].Source, "C:\\src\\docs\\Ky.hlp");
  EXPECT_EQ(m.Files[1].Source, "D:\\abs\\Ky.cnt");
  EXPECT_EQ(m.Obsolete, (std::vector<std::string>{"Old.hlp", "Help\\Old.cnt"}));

  TManifest d = ParseManifest(kProduct, "m.ini", "");
  EXPECT_EQ(d.Product.Required, kInstallerVersion);
  EXPECT_EQ(d.Product.BaseVersion, (TVersion{0, 0, 0}));
  EXPECT_FALSE(d.Product.Update);
  EXPECT_TRUE(d.Files.empty());
}

TEST(Manifest, ErrorsNameTheLine) {
  const std::string p = kProduct;  // lines 1 to 4
  struct Case {
    std::string text, error;
  };
  const Case cases[] = {
      {p + "Colour=red\n", "m.ini(5): unknown key Colour"},
      {p + "Kind=3\n", "m.ini(5): key Kind given twice"},
      {"[Product]\nName=Ky\nKind=18\n", "m.ini(3): Kind must be a number from 0 to 17, not \"18\""},
      {"[Product]\nName=Ky\nKind=two\n", "m.ini(3): Kind must be a number from 0 to 17, not \"two\""},
      {"[Product]\nVersion=2.1\n", "m.ini(2): version \"2.1\" must read major.minor.release"},
      {"[Product]\nVersion=2.1.x\n", "m.ini(2): version \"2.1.x\" must read major.minor.release"},
      {"[Product]\nRequires=2.70000.0\n", "m.ini(2): Requires \"2.70000.0\": each number must fit 16 bits"},
      {p + "Update=yes\n", "m.ini(5): Update must be 0 or 1, not \"yes\""},
      {"[Product]\nName=..\\x\n", "m.ini(2): Name \"..\\x\" cannot name a folder or a registry key"},
      {"[Product]\nName=NUL\n", "m.ini(2): Name \"NUL\" cannot name a folder or a registry key"},
      {"[Product]\nName=Ky\nQualifier=Pro.\n",
       "m.ini(3): Qualifier \"Pro.\" cannot name a folder or a registry key"},
      {"[Product]\nName=KySetup\nKind=4\nVersion=1.0.0\n",
       "m.ini: the product identifier \"KySetup\" is reserved for the setup program"},
      {"[Product]\nName=Ky\nKind=4\nVersion=1.0.0\n[Files]\nRead.me=a\nREAD.ME=b\n",
       "m.ini(7): \"READ.ME\" is listed twice (line 6)"},
      {"[Product]\nName=Ky\nKind=4\nVersion=1.0.0\n[Files]\nDemo=a\ndemo\\x.exe=b\n",
       "m.ini(7): \"demo\\x.exe\" needs a folder where line 6 puts the file \"Demo\""},
      {"[Product]\nName=Ky\nKind=4\nVersion=1.0.0\n[Files]\naux.txt=a\n", "m.ini(6): unsafe installed name \"aux.txt\""},
      {"[Product]\nName=Ky\nKind=4\nVersion=1.0.0\n[Obsolete]\nold.txt.\n", "m.ini(6): unsafe installed name \"old.txt.\""},
      {"Name=Ky\n", "m.ini(1): a line outside any section"},
      {p + "[Setup]\n", "m.ini(5): unknown section [Setup]"},
      {p + "[Files\n", "m.ini(5): a section header must end with \"]\""},
      {p + "[Files]\nreadme.txt\n", "m.ini(6): expected key=value"},
      {p + "[Files]\n..\\evil.dll=evil.dll\n", "m.ini(6): unsafe installed name \"..\\evil.dll\""},
      {p + "[Files]\nC:\\evil.dll=evil.dll\n", "m.ini(6): unsafe installed name \"C:\\evil.dll\""},
      {p + "[Files]\na.txt=\n", "m.ini(6): no source file for \"a.txt\""},
      {p + "[Files]\na.txt=x\nA.TXT=y\n", "m.ini(7): \"A.TXT\" is listed twice (line 6)"},
      {p + "[Obsolete]\n\\Windows\\win.ini\n", "m.ini(6): unsafe installed name \"\\Windows\\win.ini\""},
      {p + "[Product]\n", "m.ini(5): section [Product] appears twice"},
      {"[Product]\nName=Ky\nVersion=1.0.0\n", "m.ini: [Product] needs the key Kind"},
      {"[Files]\n", "m.ini: the [Product] section is missing"},
  };
  for (const Case& c : cases) EXPECT_EQ(ParseError(c.text), c.error) << c.text;
}

TEST(Manifest, PictureMustBeABitmapFile) {
  ky_test::TempDir dir;
  dir.WriteFile("pic.bmp", std::string("BM\x20\0\0\0", 6));
  dir.WriteFile("pic.jpg", "\xFF\xD8\xFF\xE0");
  TManifest m = ParseManifest(std::string(kProduct) + "Picture=pic.bmp\n", "m.ini", dir.Path() + "\\");
  EXPECT_EQ(m.Product.Picture.size(), 6u);

  std::string jpg = ParseError(std::string(kProduct) + "Picture=" + dir.Path() + "\\pic.jpg\n");
  EXPECT_NE(jpg.find("m.ini(5): the picture"), std::string::npos) << jpg;
  EXPECT_NE(jpg.find("is not a BMP file"), std::string::npos) << jpg;
  std::string missing = ParseError(std::string(kProduct) + "Picture=" + dir.Path() + "\\none.bmp\n");
  EXPECT_NE(missing.find("m.ini(5): Cannot open file"), std::string::npos) << missing;
}
