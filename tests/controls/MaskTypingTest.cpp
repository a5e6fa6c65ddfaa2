#include <gtest/gtest.h>

#include "ControlsTestSupport.h"
#include "skin/KyMask.h"

using namespace ky_test;

namespace {

// Types each character; returns the characters that were accepted.
std::string TypeAll(const TKyCompiledMask& m, TKyMaskEditState& s, const std::string& chars) {
  std::string accepted;
  for (char c : chars)
    if (m.TypeChar(s, c)) accepted += c;
  return accepted;
}

TKyMaskEditState State(const std::string& text, int caret, bool insert = true, int selLength = 0) {
  TKyMaskEditState s;
  s.Text = text;
  s.SelStart = caret;
  s.SelLength = selLength;
  s.InsertMode = insert;
  return s;
}

}  // namespace

TEST(MaskTyping, CharacterClassesOfEachDataType) {
  TTstLibrary library(SpanishLocale());
  const struct {
    const char* mask;
    TKyDataType type;
    int decimals;
    const char* typed;
    const char* accepted;
  } cases[] = {
      // Spanish decimals are ','; a typed '.' stands for it.
      {"", dtyCurrency, 2, "12.5,-a+ ", "12.5,-"},
      {"", dtyCurrency, 0, "1.,", "1"},
      {"", dtyInteger, 2, "-7,", "7"},  // no sign flag; integers take no decimals
      {"+", dtyInteger, 0, "-7", "-7"},
      {"", dtyDateTime, 0, "12/a05", "1205"},
      {"d", dtyString, 0, "a5 #", "5"},
      {"a", dtyString, 0, "Zz\xD1\xF1\xE9" "5 ", "Zz\xD1\xF1"},  // é is no letter of the mask language
      {"w", dtyString, 0, "a ", " "},
      {"s", dtyString, 0, "#!a\xE9 ", "#!\xE9"},
      {"", dtyString, 0, "a1 !\t", "a1 !"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.mask + std::string(" ") + c.typed);
    TKyCompiledMask m = Compiled(c.mask, c.type, c.decimals);
    TKyMaskEditState s = State("", 0);
    EXPECT_EQ(TypeAll(m, s, c.typed), c.accepted);
    // What went in is the text, the decimal point already converted.
    if (c.type == dtyCurrency && c.decimals == 2) {
      EXPECT_EQ(s.Text, "12,5,-");
    }
  }
}

TEST(MaskTyping, FreeTextHonoursMaxLengthAndOverwrite) {
  TTstLibrary library;
  TKyCompiledMask m = Compiled("", dtyString);
  TKyMaskEditState s = State("abc", 3);
  s.MaxLength = 3;
  EXPECT_FALSE(m.TypeChar(s, 'd'));
  EXPECT_EQ(s.Text, "abc");
  // A selection is replaced, so the length stays within the limit.
  s.SelStart = 1, s.SelLength = 1;
  EXPECT_TRUE(m.TypeChar(s, 'X'));
  EXPECT_EQ(s.Text, "aXc");
  EXPECT_EQ(s.SelStart, 2);
  // Overwrite replaces the character at the caret.
  s.InsertMode = false;
  EXPECT_TRUE(m.TypeChar(s, 'Y'));
  EXPECT_EQ(s.Text, "aXY");
  EXPECT_TRUE(m.TypeChar(s, '\b'));
  EXPECT_EQ(s.Text, "aX");
  s.SelStart = 0;
  m.DeleteChar(s);
  EXPECT_EQ(s.Text, "X");
}

TEST(MaskTyping, PicturesFillEditablePositionsAroundTheLiterals) {
  TTstLibrary library;
  TKyCompiledMask m = Compiled("sadw;#(3)-#(2);_", dtyString);
  ASSERT_EQ(m.EmptyText(), "___-__");

  // Insert: after each character the caret passes it; the literal is skipped.
  TKyMaskEditState s = State(m.EmptyText(), 0);
  EXPECT_EQ(TypeAll(m, s, "ABCDEF"), "ABCDE");
  EXPECT_EQ(s.Text, "ABC-DE");
  // Full: no more room to shift into.
  s.SelStart = 0;
  EXPECT_FALSE(m.TypeChar(s, 'Z'));

  // Insert in the middle shifts the following characters right.
  s = State("AB_-__", 0);
  EXPECT_TRUE(m.TypeChar(s, 'X'));
  EXPECT_EQ(s.Text, "XAB-__");
  EXPECT_EQ(s.SelStart, 1);
  s.SelStart = 2;
  EXPECT_TRUE(m.TypeChar(s, 'Y'));
  EXPECT_EQ(s.Text, "XAY-B_");

  // Overwrite: the caret moves to the next editable position.
  s = State("XAY-B_", 2, false);
  EXPECT_TRUE(m.TypeChar(s, 'Q'));
  EXPECT_EQ(s.Text, "XAQ-B_");
  EXPECT_EQ(s.SelStart, 4);
  // At the last position the caret ends after it; beyond it nothing goes in.
  s.SelStart = 5;
  EXPECT_TRUE(m.TypeChar(s, 'R'));
  EXPECT_EQ(s.SelStart, 6);
  EXPECT_FALSE(m.TypeChar(s, 'S'));
  EXPECT_EQ(s.Text, "XAQ-BR");

  // A selection blanks its editable positions first.
  s = State("ABC-DE", 1, false, 4);
  EXPECT_TRUE(m.TypeChar(s, 'x'));
  EXPECT_EQ(s.Text, "Ax_-_E");
}

TEST(MaskTyping, WithoutSpacesInsertMayNotLeaveGapsBehind) {
  TTstLibrary library;
  TKyCompiledMask m = Compiled("ad;###;_", dtyString);
  TKyMaskEditState s = State("A__", 2);
  EXPECT_FALSE(m.TypeChar(s, 'B'));
  EXPECT_EQ(s.Text, "A__");
  s.SelStart = 1;
  EXPECT_TRUE(m.TypeChar(s, 'B'));
  EXPECT_EQ(s.Text, "AB_");
  // With 'w' the same gap is allowed.
  TKyCompiledMask spaced = Compiled("adw;###;_", dtyString);
  s = State("A__", 2);
  EXPECT_TRUE(spaced.TypeChar(s, 'B'));
  EXPECT_EQ(s.Text, "A_B");
}

TEST(MaskTyping, DeleteAndBackspaceShiftLeftAndKeepTheLiterals) {
  TTstLibrary library;
  TKyCompiledMask m = Compiled("sadw;##-##;_", dtyString);
  TKyMaskEditState s = State("AB-CD", 0);
  m.DeleteChar(s);
  EXPECT_EQ(s.Text, "BC-D_");
  EXPECT_EQ(s.SelStart, 0);
  // Backspace just after the literal deletes the position before it.
  s = State("AB-CD", 3);
  EXPECT_TRUE(m.TypeChar(s, '\b'));
  EXPECT_EQ(s.Text, "AC-D_");
  EXPECT_EQ(s.SelStart, 1);
  // At the start there is nothing to take back.
  s = State("AB-CD", 0);
  EXPECT_FALSE(m.TypeChar(s, '\b'));
  // Delete on the literal deletes at the next editable position.
  s = State("AB-CD", 2);
  m.DeleteChar(s);
  EXPECT_EQ(s.Text, "AB-D_");
  // A selection is blanked, nothing moves.
  s = State("AB-CD", 1, true, 3);
  m.DeleteChar(s);
  EXPECT_EQ(s.Text, "A_-_D");
}

TEST(MaskTyping, DateMasksTakeDigitsIntoTheirPicture) {
  TTstLibrary library(GermanLocale());
  TKyCompiledMask m = Compiled("", dtyDateTime);
  TKyMaskEditState s = State(m.EmptyText(), 0);
  EXPECT_EQ(s.Text, "__.__.____");
  EXPECT_EQ(TypeAll(m, s, "01.02/2001"), "01022001");
  EXPECT_EQ(s.Text, "01.02.2001");
  EXPECT_TRUE(m.TextToValue(s.Text) == Variant(EncodeDate(2001, 2, 1)));
  // A text without the picture's shape (set from outside) is laid into it first.
  s = State("0102", 0, false);
  EXPECT_TRUE(m.TypeChar(s, '3'));
  EXPECT_EQ(s.Text, "31.02.____");
  EXPECT_EQ(s.SelStart, 1);
}
