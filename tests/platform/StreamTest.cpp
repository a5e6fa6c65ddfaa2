#include <gtest/gtest.h>

#include "platform/base/Exception.h"
#include "platform/base/Stream.h"
#include "support/TempDir.h"

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

TEST(FileStream, ErrorsNameTheFileAndTheReason) {
  ky_test::TempDir dir;
  const std::string path = dir.WriteFile("data.bin", "abc");
  {
    TFileStream f(path, fmOpenRead);
    char buf[8];
    try {
      f.ReadBuffer(buf, 8);
      FAIL() << "no error";
    } catch (const EReadError& e) {
      EXPECT_EQ(std::string(e.what()), "Stream read error: " + path + " (the file ends early)");
    }
    // Writing to a file opened for reading: the system's reason follows the file.
    try {
      f.WriteBuffer("x", 1);
      FAIL() << "no error";
    } catch (const EWriteError& e) {
      const std::string text = e.what();
      EXPECT_EQ(text.rfind("Stream write error: " + path + " (", 0), 0u) << text;
      EXPECT_GT(text.size(), ("Stream write error: " + path + " ()").size()) << text;
    }
  }
  // Creating replaces an existing file's content, and a new one is made as new.
  {
    TFileStream f(path, fmCreate);
    f.WriteBuffer("z", 1);
    f.Close();
    f.Close();  // closing twice is harmless
  }
  {
    TFileStream f(dir / "new.bin", fmCreate);
    f.WriteBuffer("new", 3);
    f.Close();
  }
  EXPECT_EQ(dir.ReadFile("data.bin"), "z");
  EXPECT_EQ(dir.ReadFile("new.bin"), "new");
}
