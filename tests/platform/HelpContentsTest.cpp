#include <gtest/gtest.h>

#include <string>

#include "platform/base/Exception.h"
#include "platform/os/HelpContents.h"
#include "support/TempDir.h"

namespace {

enum TKind { Index, Include };

struct RemoveCase {
  const char* what;
  std::string before;
  TKind kind;
  std::string name;
  std::string after;
};

void PrintTo(const RemoveCase& c, std::ostream* os) { *os << c.what; }

class HelpRemoveTest : public ::testing::TestWithParam<RemoveCase> {
protected:
  ky_test::TempDir dir;
};

const std::string kLong(300, 'n');

}  // namespace

TEST_P(HelpRemoveTest, DeletesTheLowestMatchingLineAndSaves) {
  const RemoveCase& c = GetParam();
  dir.WriteFile("Delphi3.cnt", c.before);
  if (c.kind == Index)
    RemoveHelpIndex(dir / "Delphi3.cnt", c.name);
  else
    RemoveHelpInclude(dir / "Delphi3.cnt", c.name);
  EXPECT_EQ(dir.ReadFile("Delphi3.cnt"), c.after);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, HelpRemoveTest,
    ::testing::Values(
        RemoveCase{"two index lines for one file: only the lower goes",
                   ":Base Delphi3.hlp\r\n:Index A =KyLib.hlp\r\n:Index B =KyLib.hlp\r\n:Include x.cnt\r\n", Index,
                   "KyLib.hlp", ":Base Delphi3.hlp\r\n:Index A =KyLib.hlp\r\n:Include x.cnt\r\n"},
        RemoveCase{"a folder before the name does not match", ":Index A =Help\\KyLib.hlp\r\n", Index, "KyLib.hlp",
                   ":Index A =Help\\KyLib.hlp\r\n"},
        RemoveCase{"lower-case line matches", ":index help kylib (kylib.hlp) =kylib.hlp\r\n:Index Z =Z.hlp\r\n",
                   Index, "KyLib.HLP", ":Index Z =Z.hlp\r\n"},
        RemoveCase{"no blank before = matches", "first\r\n:Index A=KyLib.hlp\r\nlast\r\n", Index, "KyLib.hlp",
                   "first\r\nlast\r\n"},
        RemoveCase{"blanks around the name are trimmed", ":Index A =  KyLib.hlp \t\r\n", Index, "KyLib.hlp", ""},
        RemoveCase{"the name starts after the first =", ":Index A=B =KyLib.hlp\r\n", Index, "KyLib.hlp",
                   ":Index A=B =KyLib.hlp\r\n"},
        RemoveCase{"a line without :Index is no index line", ":Link A =KyLib.hlp\r\n:Include =KyLib.hlp\r\n",
                   Index, "KyLib.hlp", ":Link A =KyLib.hlp\r\n:Include =KyLib.hlp\r\n"},
        RemoveCase{"a name beyond 255 characters matches whole, so what was added can go",
                   ":Index A =" + kLong + "\r\n", Index, kLong, ""},
        RemoveCase{"and not by its first 255", ":Index A =" + kLong + "\r\n", Index, kLong.substr(0, 255),
                   ":Index A =" + kLong + "\r\n"},
        RemoveCase{"two include lines: only the lower goes", ":include kylib.cnt\r\n:INCLUDE   KyLib.CNT \r\n",
                   Include, "KyLib.cnt", ":include kylib.cnt\r\n"},
        RemoveCase{"include name with a folder does not match", ":Include Help\\KyLib.cnt\r\n", Include,
                   "KyLib.cnt", ":Include Help\\KyLib.cnt\r\n"},
        RemoveCase{"include removal leaves index lines alone", ":Index KyLib.cnt =KyLib.cnt\r\n", Include,
                   "KyLib.cnt", ":Index KyLib.cnt =KyLib.cnt\r\n"},
        RemoveCase{"nothing matched: saved with CRLF all the same", "a\nb\r\rc", Index, "KyLib.hlp",
                   "a\r\nb\r\n\r\nc\r\n"},
        RemoveCase{"empty lines stay", "a\r\n\r\n:Index A =K.hlp\r\n\r\n", Index, "k.hlp", "a\r\n\r\n\r\n"},
        RemoveCase{"empty file stays empty", "", Include, "KyLib.cnt", ""}));

TEST(HelpContents, AddingTwiceLeavesOneLineAtTheEnd) {
  ky_test::TempDir dir;
  const std::string file =
      dir.WriteFile("bcb5.cnt",
                    ":Base bcb5.hlp\r\n:Index Help KyLib (KyLib.hlp) =KyLib.hlp\r\n:Include KyLib.cnt\r\n"
                    ":Index Other =Other.hlp\r\n:Include Other.cnt\r\n");
  for (int i = 0; i < 2; ++i) {
    AddHelpIndex(file, "Help KyLib (KyLib.hlp)", "KyLib.hlp");
    AddHelpInclude(file, "KyLib.cnt");
  }
  EXPECT_EQ(dir.ReadFile("bcb5.cnt"),
            ":Base bcb5.hlp\r\n:Index Other =Other.hlp\r\n:Include Other.cnt\r\n"
            ":Index Help KyLib (KyLib.hlp) =KyLib.hlp\r\n:Include KyLib.cnt\r\n");

  RemoveHelpIndex(file, "KyLib.hlp");
  RemoveHelpInclude(file, "KyLib.cnt");
  EXPECT_EQ(dir.ReadFile("bcb5.cnt"), ":Base bcb5.hlp\r\n:Index Other =Other.hlp\r\n:Include Other.cnt\r\n");
}

TEST(HelpContents, MissingFileRaisesOpenErrorAndCreatesNothing) {
  ky_test::TempDir dir;
  const std::string file = dir / "Delphi4.cnt";
  EXPECT_THROW(AddHelpIndex(file, "Help KyLib (KyLib.hlp)", "KyLib.hlp"), EFOpenError);
  EXPECT_THROW(AddHelpInclude(file, "KyLib.cnt"), EFOpenError);
  EXPECT_THROW(RemoveHelpIndex(file, "KyLib.hlp"), EFOpenError);
  EXPECT_THROW(RemoveHelpInclude(file, "KyLib.cnt"), EFOpenError);
  EXPECT_FALSE(dir.Exists("Delphi4.cnt"));
}
