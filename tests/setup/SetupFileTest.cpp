#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>

#include "platform/base/TypedStream.h"
#include "platform/base/Exception.h"
#include "setup/InstallerMessages.h"
#include "setup/NameScramble.h"
#include "setup/SetupFile.h"

namespace fs = std::filesystem;

namespace {

struct File {
  std::string name;
  std::string content;
};

TSetupProduct SampleProduct() {
  TSetupProduct p;
  p.Required = kInstallerVersion;
  p.Name = "KyControls";
  p.Kind = 2;
  p.Qualifier = "Pro";
  p.Version = {2, 1, 4};
  p.BaseVersion = {2, 1, 0};
  p.Shortcuts = "EXE,HLP";
  p.Update = true;
  p.Picture = {'B', 'M', 1, 2, 3};
  return p;
}

class SetupFileTest : public ::testing::Test {
protected:
  void SetUp() override {
    UseEnglishInstallerMessages();
    dir_ = fs::temp_directory_path() /
           ("kysetup-stp-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::string Path(const std::string& name) const { return (dir_ / name).string(); }

  std::string Write(const TSetupProduct& p, const std::vector<File>& files,
                    const std::vector<std::string>& obsolete, const std::string& name = "p.stp") {
    TMemoryStream m;
    {
      TSetupFileWriter w(m);
      w.WriteDescription(p);
      w.WriteFileCount(static_cast<int32_t>(files.size()));
      for (const File& f : files) {
        TMemoryStream c(std::vector<uint8_t>(f.content.begin(), f.content.end()));
        w.WriteEntry(f.name, c, static_cast<int32_t>(f.content.size()));
      }
      w.WriteObsolete(obsolete);
      w.Flush();
    }
    m.SaveToFile(Path(name));
    return Path(name);
  }

  // Builds a file by hand: the header, then the body written by body().
  std::string Raw(const std::function<void(TKyWriter&)>& body, const char* signature = kSetupSignature,
                  TVersion required = kInstallerVersion) {
    TMemoryStream m;
    {
      TKyWriter w(m);
      uint8_t header[kSetupHeaderSize] = {};
      header[0] = static_cast<uint8_t>(std::strlen(signature));
      std::memcpy(header + 1, signature, header[0]);
      int32_t v[3] = {required.Major, required.Minor, required.Release};
      for (int i = 0; i < 3; ++i) {
        header[32 + 2 * i] = static_cast<uint8_t>(v[i]);
        header[33 + 2 * i] = static_cast<uint8_t>(v[i] >> 8);
      }
      w.Write(header, kSetupHeaderSize);
      body(w);
    }
    m.SaveToFile(Path("raw.stp"));
    return Path("raw.stp");
  }

  static void Description(TKyWriter& w, int32_t kind = 0, int32_t pictureSize = 0) {
    w.WriteString("P");
    w.WriteInteger(kind);
    w.WriteString("");
    for (int i = 0; i < 6; ++i) w.WriteInteger(1);
    w.WriteString("");
    w.WriteBoolean(false);
    for (int i = 0; i < 4; ++i) w.WriteString("");
    w.WriteInteger(pictureSize);
  }

  static std::string Refusal(const std::string& file, bool whole = true) {
    try {
      TSetupFileReader r(file);
      r.ReadDescription();
      if (whole) {
        int32_t n = r.ReadFileCount();
        for (int32_t i = 0; i < n; ++i) r.SkipContent(r.ReadEntry());
        r.ReadObsolete();
      }
    } catch (const Exception& e) {
      return e.what();
    }
    return "";
  }

  fs::path dir_;
};

}  // namespace

TEST_F(SetupFileTest, WholeFileRoundTrips) {
  TSetupProduct p = SampleProduct();
  std::vector<File> files = {
      {"a", "1"},               // one-byte name
      {"ab", ""},               // empty content
      {"Lib\\KyPanel.dcu", std::string(100000, 'x')},
      {"Help\\Sub\\Odd.hlp", "hlp"},
  };
  std::string file = Write(p, files, {"Lib\\Old.dcu", "x"});

  TSetupFileReader r(file);
  const TSetupProduct& got = r.ReadDescription();
  EXPECT_EQ(got.Name, p.Name);
  EXPECT_EQ(got.Kind, p.Kind);
  EXPECT_EQ(got.Qualifier, p.Qualifier);
  EXPECT_EQ(got.Version, p.Version);
  EXPECT_EQ(got.BaseVersion, p.BaseVersion);
  EXPECT_EQ(got.Shortcuts, p.Shortcuts);
  EXPECT_TRUE(got.Update);
  EXPECT_EQ(got.Picture, p.Picture);
  EXPECT_EQ(got.Required, kInstallerVersion);
  EXPECT_EQ(got.Identifier(), "KyControls_D5Lib_Pro");

  // The file section can be read again from the remembered position.
  ASSERT_EQ(r.ReadFileCount(), 4);
  for (int pass = 0; pass < 2; ++pass) {
    r.RewindFiles();
    for (const File& f : files) {
      TSetupEntry e = r.ReadEntry();
      EXPECT_EQ(e.Name, f.name);
      ASSERT_EQ(e.Size, static_cast<int32_t>(f.content.size()));
      TMemoryStream out;
      r.CopyContent(e, out);
      EXPECT_EQ(std::string(out.Data().begin(), out.Data().end()), f.content);
    }
  }
  EXPECT_EQ(r.ReadObsolete(), (std::vector<std::string>{"Lib\\Old.dcu", "x"}));
}

TEST_F(SetupFileTest, NamesAreStoredScrambled) {
  std::string file = Write(SampleProduct(), {{"Lib\\KyPanel.dcu", "z"}}, {});
  std::ifstream in(file, std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(in)), {});
  EXPECT_EQ(bytes.find("KyPanel"), std::string::npos);
  std::string scrambled = "Lib\\KyPanel.dcu";
  ScrambleName(scrambled);
  EXPECT_NE(bytes.find(scrambled), std::string::npos);
}

TEST_F(SetupFileTest, DescriptionWithoutPictureAndSkippedPicture) {
  TSetupProduct p = SampleProduct();
  p.Picture.clear();
  std::string file = Write(p, {{"f.txt", "abc"}}, {});
  TSetupFileReader r(file);
  EXPECT_TRUE(r.ReadDescription().Picture.empty());

  std::string withPicture = Write(SampleProduct(), {{"f.txt", "abc"}}, {}, "q.stp");
  TSetupFileReader r2(withPicture);
  EXPECT_TRUE(r2.ReadDescription(false).Picture.empty());
  ASSERT_EQ(r2.ReadFileCount(), 1);
  EXPECT_EQ(r2.ReadEntry().Name, "f.txt");
}

TEST_F(SetupFileTest, SignatureIsComparedWithoutCase) {
  std::string upper = Raw([](TKyWriter& w) { Description(w); }, "\x01" "123456789" "\x01" "KYSETUP");
  TSetupFileReader r(upper);
  EXPECT_EQ(r.ReadDescription().Name, "P");
}

TEST_F(SetupFileTest, RequiredVersionChecks) {
  struct Case {
    TVersion required;
    bool accepted;
  };
  for (const Case& c : {Case{{2, 5, 15}, true}, Case{{1, 9, 99}, true}, Case{{2, 5, 16}, false},
                        Case{{2, 6, 0}, false}, Case{{65535, 0, 0}, false}}) {
    std::string file = Raw([](TKyWriter& w) { Description(w); }, kSetupSignature, c.required);
    std::string expected =
        c.accepted ? ""
                   : "To be able to install the selected file you should update the setup program to the version '" +
                         std::to_string(c.required.Major) + "." + std::to_string(c.required.Minor) + "." +
                         std::to_string(c.required.Release) + "' or superior.";
    EXPECT_EQ(Refusal(file, false), expected);
  }
}

TEST_F(SetupFileTest, RefusalsNameTheFile) {
  const std::string notSetup = "The file '%s' doesn't have the setup format.";
  struct Case {
    const char* what;
    std::function<std::string()> make;
    std::string message;  // %s stands for the file path
  };
  const Case cases[] = {
      {"wrong signature", [&] { return Raw([](TKyWriter& w) { Description(w); }, "\x01" "123456789" "\x01" "KySetuq"); },
       notSetup},
      {"shorter than the header", [&] {
         std::ofstream(Path("short.stp"), std::ios::binary) << "\x12\x01" "123";
         return Path("short.stp");
       }, notSetup},
      {"kind 18", [&] { return Raw([](TKyWriter& w) { Description(w, 18); }); },
       "The file '%s' holds the unknown product kind 18."},
      {"kind -1", [&] { return Raw([](TKyWriter& w) { Description(w, -1); }); },
       "The file '%s' holds the unknown product kind -1."},
      {"negative picture", [&] { return Raw([](TKyWriter& w) { Description(w, 0, -5); }); },
       "The file '%s' is damaged: negative picture length -5."},
      {"picture beyond the end", [&] { return Raw([](TKyWriter& w) { Description(w, 0, 1000); }); },
       "The file '%s' is damaged: the picture length 1000 exceeds the file."},
      {"file count beyond the data", [&] {
         return Raw([](TKyWriter& w) {
           Description(w);
           w.WriteInteger(100000000);
         });
       }, "The file '%s' is damaged: the file count 100000000 exceeds the file."},
      {"negative file count", [&] {
         return Raw([](TKyWriter& w) {
           Description(w);
           w.WriteInteger(-1);
         });
       }, "The file '%s' is damaged: negative file count -1."},
      {"negative content length", [&] {
         return Raw([](TKyWriter& w) {
           Description(w);
           w.WriteInteger(1);
           std::string n = "a.txt";
           ScrambleName(n);
           w.WriteString(n);
           w.WriteInteger(-2);
         });
       }, "The file '%s' is damaged: negative content length -2."},
      {"cut in the middle of a content", [&] {
         std::string f = Write(SampleProduct(), {{"big.bin", std::string(5000, 'b')}}, {});
         fs::resize_file(f, fs::file_size(f) - 100);
         return f;
       }, "The file '%s' is damaged: the content length 5000 exceeds the file."},
      {"obsolete count beyond the data", [&] {
         std::string f = Write(SampleProduct(), {{"a.bin", "abc"}}, {"old.txt"});
         fs::resize_file(f, fs::file_size(f) - 9);
         return f;
       }, "The file '%s' is damaged: the obsolete count 1 exceeds the file."},
      {"cut inside an obsolete name", [&] {
         std::string f = Write(SampleProduct(), {{"a.bin", "abc"}}, {"old.txt"});
         fs::resize_file(f, fs::file_size(f) - 4);
         return f;
       }, "Stream read error: %s (the file ends early)"},
      {"wrong tag for the kind", [&] {
         return Raw([](TKyWriter& w) {
           w.WriteString("P");
           w.WriteString("2");
         });
       }, "Invalid property value"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::string file = c.make();
    std::string message = c.message;
    if (size_t at = message.find("%s"); at != std::string::npos) message.replace(at, 2, file);
    EXPECT_EQ(Refusal(file), message);
  }
}

TEST_F(SetupFileTest, UnsafeNamesAreRefusedInFilesAndObsoleteList) {
  const std::string unsafe[] = {"..\\evil.dll", "Lib\\..\\..\\evil.dll", "\\Windows\\evil.dll", "/etc/evil",
                                "C:\\evil.dll", "c:evil.dll", "Lib/../x", "..", "Lib\\... \\x", "a.txt:stream", "",
                                // Device names, with an extension, in a folder, before blanks.
                                "NUL", "con", "aux.txt", "Lib\\COM1", "lpt9.dcu", "prn .txt", "COM\xB9",
                                // Names the system would change: trailing dots and blanks.
                                "a.txt.", "a.txt ", "Lib.\\a.dcu", "x\\.\\y",
                                // Empty parts, wildcards, control characters, overlong parts.
                                "a\\\\b", "a\\", "a*b", "a?b", "a\tb", "a|b", std::string(256, 'n')};
  for (const std::string& name : unsafe) {
    SCOPED_TRACE(name);
    EXPECT_FALSE(IsSafeRelativeName(name));
    std::string inFiles = Write(SampleProduct(), {{name, "x"}}, {}, "f.stp");
    EXPECT_EQ(Refusal(inFiles), "The file '" + inFiles + "' holds the unsafe file name '" + name + "'.");
    std::string inObsolete = Write(SampleProduct(), {}, {name}, "o.stp");
    EXPECT_EQ(Refusal(inObsolete), "The file '" + inObsolete + "' holds the unsafe file name '" + name + "'.");
  }
  for (const std::string& name : {std::string("a"), std::string("Lib\\KyPanel.dcu"), std::string("..x\\y..z"),
                                  std::string("Help\\.hidden"), std::string("CONSOLE.txt"), std::string("COM10"),
                                  std::string("nul_x"), std::string(255, 'n')})
    EXPECT_TRUE(IsSafeRelativeName(name)) << name;
}
