#include <gtest/gtest.h>

#include "platform/base/Exception.h"
#include "platform/base/Stream.h"

TEST(MemoryStream, WritesGrowAndSeeksClamp) {
  TMemoryStream m;
  m.WriteBuffer("abcdef", 6);
  EXPECT_EQ(m.Size(), 6);
  m.SetPosition(4);
  m.WriteBuffer("XYZ", 3);
  EXPECT_EQ(std::string(m.Data().begin(), m.Data().end()), "abcdXYZ");
  EXPECT_EQ(m.Seek(-100, soCurrent), 0);
  char buf[8] = {};
  EXPECT_EQ(m.Read(buf, 8), 7);
  EXPECT_EQ(m.Read(buf, 8), 0);
}

TEST(MemoryStream, ShortReadBufferRaisesReadError) {
  TMemoryStream m({1, 2, 3});
  char buf[4];
  try {
    m.ReadBuffer(buf, 4);
    FAIL() << "no error";
  } catch (const EReadError& e) {
    EXPECT_STREQ(e.what(), "Stream read error");
  }
}

TEST(FileStream, MissingFileRaisesOpenErrorNamingIt) {
  try {
    TFileStream f("no-such-dir\\no-such-file.bin", fmOpenRead);
    FAIL() << "no error";
  } catch (const EFOpenError& e) {
    EXPECT_NE(std::string(e.what()).find("no-such-file.bin"), std::string::npos);
  }
}
