#include <gtest/gtest.h>

#include <fstream>

#include "ControlsTestSupport.h"
#include "skin/DataTypes.h"
#include "skin/SysInfo.h"
#include "platform/os/ProgramInfo.h"
#include "platform/os/SystemFolders.h"
#include "support/TempDir.h"

using namespace ky_test;

// This executable carries a version resource (TestVersion.rc).
TEST(SysInfo, VersionFieldsOfTheProgramFile) {
  TTstLibrary library;
  const struct {
    TKyTypeInfo kind;
    const char* value;
  } cases[] = {
      {timCompanyName, "Tessaro Test"},       {timFileDescription, "Pruebas de controles"},
      {timFileVersion, "2.5.15.0"},           {timInternalName, "controls_tests"},
      {timLegalCopyright, "(c) Tessaro"},     {timOriginalFileName, "controls_tests.exe"},
      {timProductName, "KySetup"},            {timProductVersion, "2.5.15"},
      {timComments, ""},  // not in the resource
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(VersionFieldName(c.kind));
    Variant v = SystemValue(c.kind);
    ASSERT_EQ(v.VarType(), varString);
    EXPECT_EQ(v.AsString(), c.value);
  }
  EXPECT_FALSE(FileVersionField(ProgramFileName(), "Comments").has_value());
}

TEST(SysInfo, FilesWithoutAVersionResourceOrMissing) {
  TempDir dir;
  std::string plain = dir.Path() + "\\plain.txt";
  std::ofstream(plain, std::ios::binary) << "twelve bytes";
  EXPECT_FALSE(FileVersionField(plain, "FileVersion").has_value());
  EXPECT_FALSE(FileVersionField(dir.Path() + "\\missing.dll", "FileVersion").has_value());
  EXPECT_EQ(FileValue(timFileVersion, plain).AsString(), "");
  EXPECT_TRUE(FileValue(timFileSize, dir.Path() + "\\missing.dll").IsNull());
  EXPECT_TRUE(FileValue(timFileSize, plain) == Variant(int32_t{12}));
  // Just written: its date is today's.
  TDateTime before = Today();
  Variant date = FileValue(timFileDateTime, plain);
  ASSERT_EQ(date.VarType(), varDate);
  EXPECT_GE(date.AsDateTime().Value, before.Value);
  EXPECT_LT(date.AsDateTime().Value, Now().Value + 1.0 / 1440);
}

TEST(SysInfo, ASystemLibraryHasAFileVersion) {
  // This process's own system folder: the 32-bit one a 64-bit build may
  // name holds no library of its architecture.
  char system[MAX_PATH];
  ASSERT_GT(GetSystemDirectoryA(system, MAX_PATH), 0u);
  std::string kernel = std::string(system) + "\\kernel32.dll";
  std::optional<std::string> version = FileVersionField(kernel, "FileVersion");
  ASSERT_TRUE(version.has_value());
  EXPECT_NE(version->find('.'), std::string::npos) << *version;
}

TEST(SysInfo, ProgramFileAndKeyStates) {
  TTstLibrary library;
  TFileStamp stamp;
  ASSERT_TRUE(GetFileStamp(ProgramFileName(), stamp));
  EXPECT_TRUE(SystemValue(timFileSize) == Variant(static_cast<int32_t>(stamp.Size)));
  EXPECT_GT(stamp.Size, 0);
  Variant fileDate = SystemValue(timFileDateTime);
  ASSERT_EQ(fileDate.VarType(), varDate);
  EXPECT_LE(fileDate.AsDateTime().Value, Now().Value + 1.0 / 1440);
  EXPECT_TRUE(SystemValue(timDefault).IsNull());
  EXPECT_EQ(SystemValue(timDateTime).VarType(), varDate);
  // The library runs inside the program here, so the keys show the
  // "System" strings: the caption when on, nothing when off.
  EXPECT_FALSE(CodeInLibraryModule());
  EXPECT_EQ(SystemValue(timCapsLock).AsString(), KeyToggled(0x14) ? "Bloq May\xFAs" : "");
  EXPECT_EQ(SystemValue(timNumLock).AsString(), KeyToggled(0x90) ? "Bloq Num" : "");
  // Insert mode is the library's default without a setup package change.
  EXPECT_EQ(SystemValue(timInsertMode).AsString(), ApplicationInsertMode() ? "Insertar" : "Sobrescribir");
}
