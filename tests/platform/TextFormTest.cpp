// The form text: what each notation becomes in the binary stream, the
// canonical text the converter writes back, and the faults it reports.
#include <gtest/gtest.h>

#include <cstring>

#include "platform/base/Exception.h"
#include "platform/classes/TextForm.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes Str(const std::string& s) { return Bytes(s.begin(), s.end()); }

Bytes Cat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

// The stream of "object A: T  P = <value>  end": the value's bytes in the middle.
Bytes FormWithValue(const Bytes& value) {
  return Cat({Str("TPF0"), {1, 'T', 1, 'A', 1, 'P'}, value, {0, 0}});
}

TEST(TextForm, EachNotationBecomesItsTypedValue) {
  struct Case {
    const char* text;
    Bytes value;
  };
  const Case cases[] = {
      {"127", {2, 127}},
      {"-128", {2, 0x80}},
      {"128", {3, 0x80, 0}},
      {"-32769", {4, 0xFF, 0x7F, 0xFF, 0xFF}},
      {"2147483647", {4, 0xFF, 0xFF, 0xFF, 0x7F}},
      {"-2147483648", {4, 0, 0, 0, 0x80}},
      {"$FF", {3, 0xFF, 0}},
      {"$FFFFFFFF", {2, 0xFF}},
      {"''", {6, 0}},
      {"'abc'", {6, 3, 'a', 'b', 'c'}},
      {"'It''s'#13#10", {6, 6, 'I', 't', '\'', 's', 13, 10}},
      {"#$41'b'#233", {6, 3, 'A', 'b', 0xE9}},
      {"'a' +\n  'b'", {6, 2, 'a', 'b'}},
      {"True", {9}},
      {"false", {8}},
      {"nil", {13}},
      {"fosBold", Cat({{7, 7}, Str("fosBold")})},
      {"FrMain.BtOk", Cat({{7, 11}, Str("FrMain.BtOk")})},
      {"[]", {11, 0}},
      {"[akLeft, akTop]", Cat({{11, 6}, Str("akLeft"), {5}, Str("akTop"), {0}})},
      {"1.5", {5, 0, 0, 0, 0, 0, 0, 0, 0xC0, 0xFF, 0x3F}},
      {"-2.0", {5, 0, 0, 0, 0, 0, 0, 0, 0x80, 0x00, 0xC0}},
      {"1e3", {5, 0, 0, 0, 0, 0, 0, 0, 0xFA, 0x08, 0x40}},
      {"$X3FFF8000000000000001", {5, 1, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x3F}},
      {"{}", {10, 0, 0, 0, 0}},
      {"{0A 0b\n 1F}", {10, 3, 0, 0, 0, 0x0A, 0x0B, 0x1F}},
      {"()", {1, 0}},
      {"(1 'x' (2))", {1, 2, 1, 6, 1, 'x', 1, 2, 2, 0, 0}},
      {"<>", {14, 0}},
      {"<item end>", {14, 1, 0, 0}},
      {"<item [3] X = 1 end item end>", {14, 2, 3, 1, 1, 'X', 2, 1, 0, 1, 0, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(FormTextToBinary(std::string("object A: T\n  P = ") + c.text + "\nend\n"), FormWithValue(c.value));
  }
}

TEST(TextForm, StringsLongerThan255BytesTakeTheLongForm) {
  std::string s(256, 'q');
  Bytes bin = FormTextToBinary("object A: T\n  P = '" + s + "'\nend\n");
  EXPECT_EQ(bin, FormWithValue(Cat({{12, 0, 1, 0, 0}, Str(s)})));
  s.pop_back();
  bin = FormTextToBinary("object A: T\n  P = '" + s + "'\nend\n");
  EXPECT_EQ(bin, FormWithValue(Cat({{6, 255}, Str(s)})));
}

TEST(TextForm, HeadersCarryTheirFlags) {
  EXPECT_EQ(FormTextToBinary("inherited A: T\nend"), Cat({Str("TPF0"), {0xF1, 1, 'T', 1, 'A', 0, 0}}));
  EXPECT_EQ(FormTextToBinary("inline A: T [2]\nend"), Cat({Str("TPF0"), {0xF6, 2, 2, 1, 'T', 1, 'A', 0, 0}}));
  EXPECT_EQ(FormTextToBinary("object T\nend"), Cat({Str("TPF0"), {1, 'T', 0, 0, 0}}));
}

// What the converter writes is read back to the same bytes, which are
// written as the same text again.
TEST(TextForm, CanonicalTextSurvivesBothConversions) {
  const std::string texts[] = {
      "object Fm: TFm\n"
      "  Big = -100000\n"
      "  Floats = (\n"
      "    0.30000000000000004\n"
      "    1e+300\n"
      "    -0.0\n"
      "    5e-324\n"
      "    100.0\n"
      "    $X7FFF8000000000000000\n"
      "    $XFFFFC000000000000000\n"
      "    $X3FFF8000000000000001)\n"
      "  Bin = {\n"
      "    000102030405060708090A0B0C0D0E0F101112131415161718191A1B1C1D1E1F\n"
      "    2021}\n"
      "  Empty = {}\n"
      "  Text = 'aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa' +\n"
      "    'bbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbb' +\n"
      "    'cccccccccccccccccccccccccccccccccccccccccccccccccccccccccccccccc' +\n"
      "    'dddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddd' +\n"
      "    'ee'#0#1#127#128#255\n"
      "  Lists = (\n"
      "    ()\n"
      "    (\n"
      "      'x'\n"
      "      [a, b]))\n"
      "  Coll = <\n"
      "    item [7]\n"
      "      X = <>\n"
      "    end\n"
      "    item\n"
      "    end>\n"
      "  inherited = 1\n"
      "  object TUnnamed\n"
      "  end\n"
      "  inline Fr: TFrame [2]\n"
      "    inherited Bt: TButton\n"
      "      end = nil\n"
      "    end\n"
      "  end\n"
      "end\n",
  };
  for (const std::string& text : texts) {
    Bytes bin = FormTextToBinary(text);
    EXPECT_EQ(FormBinaryToText(bin), text);
  }
}

TEST(TextForm, FaultsNameTheirLine) {
  struct Case {
    const char* text;
    const char* message;
  };
  const Case cases[] = {
      {"thing A: T\nend\n", "Line 1: 'object' expected"},
      {"object A: T\n  P = 'abc\nend\n", "Line 2: Unterminated string"},
      {"object A: T\n  P 1\nend\n", "Line 2: '=' expected"},
      {"object A: T\n\n  P = {0A1}\nend\n", "Line 3: Odd number of hexadecimal digits"},
      {"object A: T\n  P = {0G}\nend\n", "Line 2: Invalid binary value"},
      {"object A: T\n  P = 2147483648\nend\n", "Line 2: Integer out of range"},
      {"object A: T\n  P = $100000000\nend\n", "Line 2: Integer out of range"},
      {"object A: T\n  P = 1.5x\nend\n", "Line 2: Invalid number"},
      {"object A: T\n  P = #300\nend\n", "Line 2: Invalid character code"},
      {"object A: T\n  P = [a b]\nend\n", "Line 2: ',' expected"},
      {"object A: T\n  P = <item X = 1>\nend\n", "Line 2: Property name expected"},
      {"object A: T\n  P = <X>\nend\n", "Line 2: 'item' or '>' expected"},
      {"object A: T\n  P = ?\nend\n", "Line 2: Invalid character '?'"},
      {"object A: T\n  P = $X3FFF\nend\n", "Line 2: Invalid extended value"},
      {"object A: T\n  P = 1\n", "Line 3: 'end' expected"},
      {"object A: T\nend\nend\n", "Line 3: End of text expected"},
      {"object A.B: T\nend\n", "Line 1: Identifier expected"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    try {
      FormTextToBinary(c.text);
      ADD_FAILURE() << "no error";
    } catch (const EParserError& e) {
      EXPECT_STREQ(e.what(), c.message);
    }
  }
}

TEST(TextForm, DamagedBinaryRaisesReadErrors) {
  struct Case {
    Bytes binary;
    const char* message;
  };
  const Case cases[] = {
      {Cat({Str("TPF1"), {1, 'T', 0, 0, 0}}), "Invalid stream format"},
      {FormWithValue({15}), "Invalid property value"},
      {Cat({Str("TPF0"), {1, 'T', 1, 'A', 1, 'P', 2}}), "Stream read error"},
      {Cat({Str("TPF0"), {1, 'T', 1, 'A', 0}}), "Stream read error"},
  };
  for (const Case& c : cases) {
    try {
      FormBinaryToText(c.binary);
      ADD_FAILURE() << c.message;
    } catch (const EReadError& e) {
      EXPECT_STREQ(e.what(), c.message);
    }
  }
}

TEST(TextForm, StreamsAreConvertedFromTheirCurrentPosition) {
  Bytes bin = FormTextToBinary("object A: T\n  P = 1\nend\n");
  TMemoryStream in;
  in.WriteBuffer("junk", 4);
  in.WriteBuffer(bin.data(), static_cast<int32_t>(bin.size()));
  in.WriteBuffer("tail", 4);
  in.SetPosition(4);
  TMemoryStream out;
  ObjectBinaryToText(in, out);
  EXPECT_EQ(std::string(out.Data().begin(), out.Data().end()), "object A: T\n  P = 1\nend\n");
  EXPECT_EQ(in.Position(), 4 + static_cast<int64_t>(bin.size()));
}

}  // namespace
