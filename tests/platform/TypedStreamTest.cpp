#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <vector>

#include "platform/base/TypedStream.h"
#include "platform/base/Exception.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes Written(const std::function<void(TKyWriter&)>& write, int32_t bufferSize = 4096) {
  TMemoryStream m;
  {
    TKyWriter w(m, bufferSize);
    write(w);
  }
  return m.Data();
}

// Runs read on a reader over bytes and returns the error text ("" when none).
std::string ReadError(const Bytes& bytes, const std::function<void(TKyReader&)>& read) {
  TMemoryStream m(bytes);
  TKyReader r(m);
  try {
    read(r);
  } catch (const EReadError& e) {
    return e.what();
  }
  return "";
}

struct IntCase {
  int32_t value;
  Bytes bytes;
};

}  // namespace

TEST(TypedStream, IntegersTakeTheSmallestForm) {
  const IntCase cases[] = {
      {0, {2, 0}},
      {127, {2, 127}},
      {-128, {2, 0x80}},
      {128, {3, 128, 0}},
      {21, {2, 21}},
      {152, {3, 152, 0}},
      {-32768, {3, 0x00, 0x80}},
      {32767, {3, 0xFF, 0x7F}},
      {32768, {4, 0x00, 0x80, 0, 0}},
      {-32769, {4, 0xFF, 0x7F, 0xFF, 0xFF}},
      {std::numeric_limits<int32_t>::min(), {4, 0, 0, 0, 0x80}},
  };
  for (const IntCase& c : cases) {
    SCOPED_TRACE(c.value);
    Bytes b = Written([&](TKyWriter& w) { w.WriteInteger(c.value); });
    EXPECT_EQ(b, c.bytes);
    TMemoryStream m(b);
    TKyReader r(m);
    EXPECT_EQ(r.ReadInteger(), c.value);
    EXPECT_EQ(r.Position(), static_cast<int64_t>(b.size()));
  }
}

TEST(TypedStream, StringFormDependsOnlyOnLength) {
  for (size_t len : {0u, 1u, 255u, 256u, 70000u}) {
    SCOPED_TRACE(len);
    std::string s(len, 'x');
    if (len) s[len - 1] = '\xE9';  // 8-bit text passes unchanged
    Bytes b = Written([&](TKyWriter& w) { w.WriteString(s); });
    if (len <= 255) {
      ASSERT_EQ(b.size(), len + 2);
      EXPECT_EQ(b[0], vaString);
      EXPECT_EQ(b[1], len);
    } else {
      ASSERT_EQ(b.size(), len + 5);
      EXPECT_EQ(b[0], vaLString);
      EXPECT_EQ(b[1] | (b[2] << 8) | (b[3] << 16), static_cast<int>(len));
    }
    TMemoryStream m(b);
    TKyReader r(m, 64);  // small buffer: the text crosses many refills
    EXPECT_EQ(r.ReadString(), s);
  }
}

TEST(TypedStream, ReadBooleanNeverFailsAndConsumesOnlyTheTag) {
  TMemoryStream m(Bytes{vaInt8, 5, vaTrue, vaFalse, vaNil});
  TKyReader r(m);
  EXPECT_FALSE(r.ReadBoolean());
  EXPECT_EQ(r.Position(), 1);
  EXPECT_FALSE(r.ReadBoolean());  // the stray payload byte 5
  EXPECT_TRUE(r.ReadBoolean());
  EXPECT_FALSE(r.ReadBoolean());
  EXPECT_FALSE(r.ReadBoolean());
}

TEST(TypedStream, FloatsAcceptIntegerTagsAndRoundTripTheirBytes) {
  TMemoryStream m(Bytes{vaInt16, 0xE8, 0x03});
  TKyReader r(m);
  EXPECT_EQ(r.ReadFloat().ToDouble(), 1000.0);

  // 1.0 is the integer bit alone with the bias as exponent.
  EXPECT_EQ(TExtended::FromDouble(1.0).Bytes,
            (std::array<uint8_t, 10>{0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x3F}));

  // Encodings a double cannot hold (a signalling NaN payload, an unnormal,
  // a value below double range) still round-trip byte for byte.
  const std::array<uint8_t, 10> raw[] = {
      {1, 2, 3, 4, 5, 6, 7, 0xA0, 0xFF, 0x7F},
      {0x11, 0, 0, 0, 0, 0, 0, 0x40, 0x34, 0x12},
      {9, 8, 7, 6, 5, 4, 3, 0x82, 0x01, 0x00},
  };
  for (const auto& bytes : raw) {
    TExtended x;
    x.Bytes = bytes;
    Bytes b = Written([&](TKyWriter& w) { w.WriteFloat(x); });
    ASSERT_EQ(b.size(), 11u);
    EXPECT_EQ(b[0], vaExtended);
    TMemoryStream in(b);
    TKyReader rd(in);
    EXPECT_EQ(rd.ReadFloat(), x);
  }
}

TEST(TypedStream, ExtendedConvertsExactlyFromAndToDouble) {
  const double values[] = {0.0, -0.0, 1.5, -2.25e300, 3.14159, 4.9e-324, 2.2250738585072014e-308,
                           std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::max()};
  for (double v : values) {
    SCOPED_TRACE(v);
    double back = TExtended::FromDouble(v).ToDouble();
    EXPECT_EQ(back, v);
    EXPECT_EQ(std::signbit(back), std::signbit(v));
  }
  EXPECT_TRUE(std::isnan(TExtended::FromDouble(std::nan("")).ToDouble()));
}

TEST(TypedStream, IdentifiersAndTheirReservedWords) {
  EXPECT_EQ(Written([](TKyWriter& w) { w.WriteIdent("TRUE"); }), Bytes{vaTrue});
  EXPECT_EQ(Written([](TKyWriter& w) { w.WriteIdent("false"); }), Bytes{vaFalse});
  EXPECT_EQ(Written([](TKyWriter& w) { w.WriteIdent("Nil"); }), Bytes{vaNil});
  EXPECT_EQ(Written([](TKyWriter& w) { w.WriteIdent("fosNormal"); }),
            (Bytes{vaIdent, 9, 'f', 'o', 's', 'N', 'o', 'r', 'm', 'a', 'l'}));

  TMemoryStream m(Bytes{vaNil, vaTrue, vaFalse, vaIdent, 2, 'o', 'k'});
  TKyReader r(m);
  EXPECT_EQ(r.ReadIdent(), "nil");
  EXPECT_EQ(r.ReadIdent(), "True");
  EXPECT_EQ(r.ReadIdent(), "False");
  EXPECT_EQ(r.ReadIdent(), "ok");
}

TEST(TypedStream, CharIsAOneCharacterString) {
  EXPECT_EQ(Written([](TKyWriter& w) { w.WriteChar('A'); }), (Bytes{vaString, 1, 'A'}));
  TMemoryStream m(Bytes{vaString, 1, 'Z'});
  TKyReader r(m);
  EXPECT_EQ(r.ReadChar(), 'Z');
}

TEST(TypedStream, WrongTagsAndCutValuesRaiseTheirTwoErrors) {
  struct Case {
    const char* what;
    Bytes bytes;
    std::function<void(TKyReader&)> read;
    const char* error;
  };
  const Case cases[] = {
      {"integer on a string", {vaString, 0}, [](TKyReader& r) { r.ReadInteger(); }, "Invalid property value"},
      {"string on an integer", {vaInt8, 1}, [](TKyReader& r) { r.ReadString(); }, "Invalid property value"},
      {"string on an identifier", {vaIdent, 1, 'a'}, [](TKyReader& r) { r.ReadString(); },
       "Invalid property value"},
      {"char of length 2", {vaString, 2, 'a', 'b'}, [](TKyReader& r) { r.ReadChar(); }, "Invalid property value"},
      {"identifier on a string", {vaString, 1, 'a'}, [](TKyReader& r) { r.ReadIdent(); },
       "Invalid property value"},
      {"float on a string", {vaString, 0}, [](TKyReader& r) { r.ReadFloat(); }, "Invalid property value"},
      {"negative long string", {vaLString, 0xFF, 0xFF, 0xFF, 0xFF}, [](TKyReader& r) { r.ReadString(); },
       "Invalid property value"},
      {"tag beyond the last", {15}, [](TKyReader& r) { r.SkipValue(); }, "Invalid property value"},
      {"empty stream", {}, [](TKyReader& r) { r.ReadInteger(); }, "Stream read error"},
      {"cut 32-bit integer", {vaInt32, 1, 2}, [](TKyReader& r) { r.ReadInteger(); }, "Stream read error"},
      {"cut short string", {vaString, 5, 'a', 'b'}, [](TKyReader& r) { r.ReadString(); }, "Stream read error"},
      // A huge declared length fails at the end of the data, not on allocation.
      {"cut long string", {vaLString, 0xFF, 0xFF, 0xFF, 0x7F, 'a'}, [](TKyReader& r) { r.ReadString(); },
       "Stream read error"},
      {"cut extended", {vaExtended, 1, 2, 3}, [](TKyReader& r) { r.ReadFloat(); }, "Stream read error"},
      {"cut raw bytes", {1, 2}, [](TKyReader& r) { uint8_t b[3]; r.Read(b, 3); }, "Stream read error"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(ReadError(c.bytes, c.read), c.error);
  }
}

TEST(TypedStream, PositionAccountsForTheBufferAndSetPositionRefills) {
  Bytes b = Written([](TKyWriter& w) {
    for (int i = 0; i < 100; ++i) w.WriteInteger(i * 1000);
  });
  TMemoryStream m(b);
  TKyReader r(m, 16);
  r.ReadInteger();
  r.ReadInteger();
  int64_t mark = r.Position();
  EXPECT_EQ(mark, 2 + 3);
  int32_t third = r.ReadInteger();
  for (int i = 0; i < 50; ++i) r.ReadInteger();
  r.SetPosition(mark);
  EXPECT_EQ(r.ReadInteger(), third);
  EXPECT_EQ(r.NextValue(), vaInt16);  // peeking does not move
  EXPECT_EQ(r.Position(), mark + 3);
}

TEST(TypedStream, ReaderLeavesTheStreamAtItsLogicalPosition) {
  TMemoryStream m(Bytes{vaInt8, 1, vaInt8, 2, vaInt8, 3});
  {
    TKyReader r(m);
    r.ReadInteger();
  }
  EXPECT_EQ(m.Position(), 2);
}

TEST(TypedStream, WriterFlushesWhenFullAndOnDestruction) {
  TMemoryStream m;
  {
    TKyWriter w(m, 16);
    for (int i = 0; i < 20; ++i) w.WriteInteger(i);  // 40 bytes through a 16-byte buffer
    EXPECT_EQ(m.Size(), 32);
    EXPECT_EQ(w.Position(), 40);
  }
  EXPECT_EQ(m.Size(), 40);
  TKyReader r(m);
  m.SetPosition(0);
  for (int i = 0; i < 20; ++i) EXPECT_EQ(r.ReadInteger(), i);
}

TEST(TypedStream, SkipValueSkipsNestedStructures) {
  Bytes b = Written([](TKyWriter& w) {
    w.WriteListBegin();
    w.WriteString(std::string(300, 'a'));
    w.WriteSet({"akLeft", "akTop"});
    w.WriteBinary("xyz", 3);
    w.WriteValue(vaCollection);
    w.WriteInteger(7);
    w.WriteListBegin();
    w.WriteIdent("Caption");
    w.WriteFloat(TExtended::FromDouble(2.5));
    w.WriteListEnd();
    w.WriteListEnd();
    w.WriteListEnd();
    w.WriteInteger(99);
  });
  TMemoryStream m(b);
  TKyReader r(m);
  r.SkipValue();
  EXPECT_EQ(r.ReadInteger(), 99);

  TMemoryStream again(b);
  TKyReader r2(again);
  r2.ReadListBegin();
  r2.SkipValue();
  EXPECT_EQ(r2.ReadSet(), (std::vector<std::string>{"akLeft", "akTop"}));
  EXPECT_EQ(r2.ReadBinary(), (Bytes{'x', 'y', 'z'}));
}

TEST(TypedStream, ReaderPositionsHoldInsideAndOutsideItsBuffer) {
  // Values of several sizes; the reader's buffer (16 bytes) holds only a few.
  TMemoryStream m;
  std::vector<int64_t> at;
  std::vector<int32_t> values;
  {
    TKyWriter w(m);
    for (int32_t i = 0; i < 300; ++i) {
      at.push_back(w.Position());
      int32_t v = (i % 3 == 0) ? i : (i % 3 == 1) ? i * 1000 : -i * 100000;
      values.push_back(v);
      w.WriteInteger(v);
    }
  }
  // Starting elsewhere than 0: the reader asks the stream once, then follows it.
  m.SetPosition(at[5]);
  TKyReader r(m, 16);
  EXPECT_EQ(r.Position(), at[5]);
  EXPECT_EQ(r.ReadInteger(), values[5]);
  // Forward and back, near (inside the buffer) and far (outside it).
  for (size_t i : {6u, 8u, 7u, 6u, 120u, 119u, 121u, 3u, 299u, 0u, 1u, 150u, 149u}) {
    r.SetPosition(at[i]);
    EXPECT_EQ(r.Position(), at[i]) << i;
    EXPECT_EQ(r.ReadInteger(), values[i]) << i;
    if (i + 1 < at.size()) {
      EXPECT_EQ(r.Position(), at[i + 1]) << i;
    }
  }
}
