#include <gtest/gtest.h>
#include "platform/os/WinApi.h"

#include <climits>
#include <functional>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/base/Exception.h"
#include "platform/os/Registry.h"
#include "platform/os/Wow64.h"
#include "support/RegistrySandbox.h"

namespace {

const char* const kTessaro = "SoftWare\\Tessaro";

// Direct registry access, to check the wrapper from outside its own code.
struct RawKey {
  HKEY key = nullptr;
  RawKey(HKEY root, const std::string& path) {
    EXPECT_EQ(RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS)
        << path;
  }
  ~RawKey() {
    if (key) RegCloseKey(key);
  }
  void Set(const std::string& value, DWORD type, const void* data, DWORD size) {
    ASSERT_EQ(RegSetValueExA(key, value.c_str(), 0, type, static_cast<const BYTE*>(data), size), ERROR_SUCCESS);
  }
  void SetString(const std::string& value, const std::string& text, DWORD type = REG_SZ) {
    Set(value, type, text.c_str(), static_cast<DWORD>(text.size() + 1));
  }
  // Type and raw bytes of a value; type 0 when missing.
  std::pair<DWORD, std::string> Get(const std::string& value) const {
    DWORD type = 0, size = 0;
    if (RegQueryValueExA(key, value.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return {0, ""};
    std::string data(size, '\0');
    RegQueryValueExA(key, value.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &size);
    return {type, data};
  }
};

bool RawKeyExists(HKEY root, const std::string& path) {
  HKEY key;
  if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

class RegistryTest : public ::testing::Test {
protected:
  ky_test::RegistrySandbox sandbox;
  TRegistry reg;  // current user, as the record uses it
};

}  // namespace

TEST(RegistrySandbox, RedirectsBothRootsAndLeavesNothingBehind) {
  // Reach the real parent key before any override exists.
  HKEY parent;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, ky_test::RegistrySandbox::kParent, 0, nullptr, 0, KEY_ALL_ACCESS,
                            nullptr, &parent, nullptr),
            ERROR_SUCCESS);
  const std::string probe = "SoftWare\\KySandboxProbe-" + std::to_string(GetCurrentProcessId());
  std::string name;
  {
    ky_test::RegistrySandbox sandbox;
    name = sandbox.Name().substr(std::string(ky_test::RegistrySandbox::kParent).size() + 1);
    RawKey(HKEY_CURRENT_USER, probe).SetString("Who", "user");
    RawKey(HKEY_LOCAL_MACHINE, probe).SetString("Who", "machine");
    RawKey user(parent, name + "\\CurrentUser\\" + probe);
    RawKey machine(parent, name + "\\LocalMachine\\" + probe);
    EXPECT_EQ(user.Get("Who").second, std::string("user", 5));
    EXPECT_EQ(machine.Get("Who").second, std::string("machine", 8));
  }
  EXPECT_FALSE(RawKeyExists(parent, name));
  EXPECT_FALSE(RawKeyExists(HKEY_CURRENT_USER, probe));
  EXPECT_FALSE(RawKeyExists(HKEY_LOCAL_MACHINE, probe));
  RegCloseKey(parent);
}

TEST_F(RegistryTest, WritesStringValuesUnderTheChosenRoot) {
  reg.WriteString(kTessaro, "PathInstall", "C:\\Program Files\\Tessaro");
  reg.WriteInteger(std::string(kTessaro) + "\\KySetup", "Ver3", 15);
  reg.WriteInteger(kTessaro, "Language", -4);

  RawKey tessaro(HKEY_CURRENT_USER, kTessaro);
  EXPECT_EQ(tessaro.Get("PathInstall"), std::make_pair(DWORD(REG_SZ), std::string("C:\\Program Files\\Tessaro", 25)));
  EXPECT_EQ(tessaro.Get("Language"), std::make_pair(DWORD(REG_SZ), std::string("-4", 3)));
  EXPECT_EQ(RawKey(HKEY_CURRENT_USER, std::string(kTessaro) + "\\KySetup").Get("Ver3"),
            std::make_pair(DWORD(REG_SZ), std::string("15", 3)));
  EXPECT_FALSE(RawKeyExists(HKEY_LOCAL_MACHINE, kTessaro));

  TRegistry machine(rkLocalMachine);
  EXPECT_EQ(machine.RootKey(), rkLocalMachine);
  machine.WriteString("Software\\Borland\\Delphi\\3.0", "RootDir", "C:\\Delphi3");
  EXPECT_EQ(RawKey(HKEY_LOCAL_MACHINE, "Software\\Borland\\Delphi\\3.0").Get("RootDir").second,
            std::string("C:\\Delphi3", 11));
  EXPECT_FALSE(reg.KeyExists("Software\\Borland"));
  reg.SetRootKey(rkLocalMachine);
  EXPECT_EQ(reg.ReadString("Software\\Borland\\Delphi\\3.0", "RootDir", ""), "C:\\Delphi3");
}

TEST_F(RegistryTest, WriteReplacesAndRoundTripsExtremes) {
  for (int v : {0, 1, -1, INT_MAX, INT_MIN}) {
    reg.WriteInteger(kTessaro, "Ver1", v);
    EXPECT_EQ(reg.ReadInteger(kTessaro, "Ver1", 12345), v);
  }
  reg.WriteString(kTessaro, "Description", "a longer text than the next one");
  reg.WriteString(kTessaro, "Description", "");
  EXPECT_EQ(reg.ReadString(kTessaro, "Description", "default"), "");
  EXPECT_TRUE(reg.ValueExists(kTessaro, "Description"));
}

TEST_F(RegistryTest, MissingKeyOrValueReadsAsDefault) {
  EXPECT_EQ(reg.ReadString("SoftWare\\Nobody", "PathGroup", "dflt"), "dflt");
  EXPECT_EQ(reg.ReadInteger("SoftWare\\Nobody", "Language", 3), 3);
  reg.WriteString(kTessaro, "Other", "x");
  EXPECT_EQ(reg.ReadString(kTessaro, "PathGroup", "dflt"), "dflt");
  EXPECT_EQ(reg.ReadInteger(kTessaro, "Language", -9), -9);
  EXPECT_FALSE(reg.ValueExists(kTessaro, "PathGroup"));
  // Reading never creates the key.
  EXPECT_FALSE(RawKeyExists(HKEY_CURRENT_USER, "SoftWare\\Nobody"));
}

TEST_F(RegistryTest, ReadsStoredTextAsItIs) {
  RawKey k(HKEY_CURRENT_USER, kTessaro);
  k.SetString("Expand", "%SystemDrive%\\Tessaro", REG_EXPAND_SZ);
  const char noNul[] = {'a', 'b', 'c'};
  k.Set("NoTerminator", REG_SZ, noNul, sizeof noNul);
  k.Set("Empty", REG_SZ, "", 0);
  std::string longText(5000, 'L');
  k.SetString("Long", longText);
  EXPECT_EQ(reg.ReadString(kTessaro, "Expand", ""), "%SystemDrive%\\Tessaro");
  EXPECT_EQ(reg.ReadString(kTessaro, "NoTerminator", ""), "abc");
  EXPECT_EQ(reg.ReadString(kTessaro, "Empty", "dflt"), "");
  EXPECT_EQ(reg.ReadString(kTessaro, "Long", ""), longText);
  // The value name "" is the key's default value.
  k.SetString("", "unnamed");
  EXPECT_EQ(reg.ReadString(kTessaro, "", ""), "unnamed");
}

TEST_F(RegistryTest, ValueOfAnotherTypeRaisesNamingIt) {
  RawKey k(HKEY_CURRENT_USER, kTessaro);
  DWORD dword = 2;
  k.Set("AsDword", REG_DWORD, &dword, sizeof dword);
  k.Set("AsBinary", REG_BINARY, "\x01\x02", 2);
  k.Set("AsMulti", REG_MULTI_SZ, "a\0b\0", 5);
  k.Set("AsNone", REG_NONE, nullptr, 0);
  for (const char* name : {"AsDword", "AsBinary", "AsMulti", "AsNone"}) {
    SCOPED_TRACE(name);
    try {
      reg.ReadString(kTessaro, name, "");
      ADD_FAILURE() << "no error";
    } catch (const ERegistryException& e) {
      EXPECT_NE(std::string(e.what()).find(name), std::string::npos) << e.what();
    }
    EXPECT_THROW(reg.ReadInteger(kTessaro, name, 0), ERegistryException);
  }
}

struct IntegerCase {
  const char* text;
  int expected;
};

class RegistryIntegerTest : public RegistryTest, public ::testing::WithParamInterface<IntegerCase> {};

TEST_P(RegistryIntegerTest, ConvertsStoredText) {
  RawKey(HKEY_CURRENT_USER, kTessaro).SetString("Ver1", GetParam().text);
  EXPECT_EQ(reg.ReadInteger(kTessaro, "Ver1", -77), GetParam().expected) << "\"" << GetParam().text << "\"";
}

// -77 is the default passed in: the text is not a number.
INSTANTIATE_TEST_SUITE_P(Texts, RegistryIntegerTest,
                         ::testing::Values(IntegerCase{"2", 2}, IntegerCase{"15", 15}, IntegerCase{"-3", -3},
                                           IntegerCase{"+8", 8}, IntegerCase{"007", 7},
                                           IntegerCase{"2147483647", INT_MAX}, IntegerCase{"-2147483648", INT_MIN},
                                           IntegerCase{"0x2", 2}, IntegerCase{"0x1F", 31}, IntegerCase{"0Xff", 255},
                                           IntegerCase{"0x7FFFFFFF", INT_MAX}, IntegerCase{"0xFFFFFFFF", -1},
                                           IntegerCase{"-0x10", -16}, IntegerCase{"0x0", 0},
                                           IntegerCase{"", -77}, IntegerCase{"abc", -77}, IntegerCase{"12abc", -77},
                                           IntegerCase{"1.5", -77}, IntegerCase{" 5", -77}, IntegerCase{"5 ", -77},
                                           IntegerCase{"0x", -77}, IntegerCase{"0xG1", -77}, IntegerCase{"1F", -77},
                                           IntegerCase{"-", -77}, IntegerCase{"2147483648", -77},
                                           IntegerCase{"-2147483649", -77}, IntegerCase{"0x100000000", -77},
                                           IntegerCase{"99999999999999999999", -77}));

TEST_F(RegistryTest, FailingWriteRaisesNamingTheValue) {
  // A volatile key cannot hold the non-volatile sub-key the write creates.
  // (Its parent is made first: keys created on the way would be volatile too.)
  reg.WriteString("SoftWare", "Marker", "");
  HKEY vol;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "SoftWare\\Volatile", 0, nullptr, REG_OPTION_VOLATILE,
                            KEY_ALL_ACCESS, nullptr, &vol, nullptr),
            ERROR_SUCCESS);
  RegCloseKey(vol);
  try {
    reg.WriteString("SoftWare\\Volatile\\Tessaro", "FileSetup", "KyLib.stp");
    FAIL() << "no error";
  } catch (const ERegistryException& e) {
    EXPECT_NE(std::string(e.what()).find("FileSetup"), std::string::npos) << e.what();
  }
  try {
    reg.WriteInteger("SoftWare\\Volatile\\Tessaro", "Ver2", 5);
    FAIL() << "no error";
  } catch (const ERegistryException& e) {
    EXPECT_NE(std::string(e.what()).find("Ver2"), std::string::npos) << e.what();
  }
  // A key that refuses writing.
  ASSERT_TRUE(ky_test::MakeKeyReadOnly(HKEY_CURRENT_USER, "SoftWare\\Locked"));
  EXPECT_THROW(reg.WriteString("SoftWare\\Locked", "Language", "1"), ERegistryException);
  EXPECT_FALSE(reg.ValueExists("SoftWare\\Locked", "Language"));
}

TEST_F(RegistryTest, AKeyThatMayNotBeReadRaisesInsteadOfReadingAsMissing) {
  const std::string key = std::string(kTessaro) + "\\Hidden";
  reg.WriteString(key, "Ver1", "7");
  // Everyone may change the permissions, nobody may read.
  HKEY h;
  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, KEY_ALL_ACCESS, &h), ERROR_SUCCESS);
  PSECURITY_DESCRIPTOR sd = nullptr;
  ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorA("D:P(A;;WD;;;WD)", SDDL_REVISION_1, &sd, nullptr));
  ASSERT_EQ(RegSetKeySecurity(h, DACL_SECURITY_INFORMATION, sd), ERROR_SUCCESS);
  LocalFree(sd);
  RegCloseKey(h);
  HKEY probe;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, KEY_READ, &probe) == ERROR_SUCCESS) {
    RegCloseKey(probe);
    GTEST_SKIP() << "this registry does not enforce key permissions";
  }
  EXPECT_TRUE(reg.KeyExists(key));
  for (const auto& read : std::vector<std::function<void()>>{[&] { reg.ReadString(key, "Ver1", "d"); },
                                                             [&] { reg.ReadInteger(key, "Ver1", 0); },
                                                             [&] { reg.ValueExists(key, "Ver1"); },
                                                             [&] { reg.GetKeyNames(key); }}) {
    try {
      read();
      ADD_FAILURE() << "no error";
    } catch (const ERegistryException& e) {
      EXPECT_NE(std::string(e.what()).find("Hidden"), std::string::npos) << e.what();
    }
  }
  // Open again for the sandbox to clean up.
  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, WRITE_DAC, &h), ERROR_SUCCESS);
  ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorA("D:P(A;;KA;;;WD)", SDDL_REVISION_1, &sd, nullptr));
  EXPECT_EQ(RegSetKeySecurity(h, DACL_SECURITY_INFORMATION, sd), ERROR_SUCCESS);
  LocalFree(sd);
  RegCloseKey(h);
}

TEST_F(RegistryTest, DeleteValueRemovesOnlyThatValue) {
  const std::string key = std::string(kTessaro) + "\\KyLib";
  reg.WriteString(key, "DescriptionUpd", "x Update");
  reg.WriteInteger(key, "Ver1Upd", 1);
  EXPECT_TRUE(reg.DeleteValue(key, "DescriptionUpd"));
  EXPECT_FALSE(reg.ValueExists(key, "DescriptionUpd"));
  EXPECT_EQ(reg.ReadInteger(key, "Ver1Upd", 0), 1);
  EXPECT_FALSE(reg.DeleteValue(key, "DescriptionUpd"));
  EXPECT_FALSE(reg.DeleteValue("SoftWare\\Nobody", "Ver1Upd"));
}

TEST_F(RegistryTest, EraseSectionRemovesTheWholeTreeAndNothingBeside) {
  const std::string product = std::string(kTessaro) + "\\KyLib";
  reg.WriteString(product, "Description", "d");
  reg.WriteString(product + "\\Sub", "A", "1");
  reg.WriteString(product + "\\Sub\\Deeper\\Deepest", "B", "2");
  reg.WriteString(product + "\\Other", "C", "3");
  reg.WriteString(std::string(kTessaro) + "\\KyLibPlus", "Description", "sibling sharing the prefix");
  reg.WriteString(kTessaro, "Language", "1");

  EXPECT_TRUE(reg.EraseSection(product));
  EXPECT_FALSE(RawKeyExists(HKEY_CURRENT_USER, product));
  EXPECT_EQ(reg.ReadString(std::string(kTessaro) + "\\KyLibPlus", "Description", ""), "sibling sharing the prefix");
  EXPECT_EQ(reg.ReadInteger(kTessaro, "Language", 0), 1);
  EXPECT_FALSE(reg.EraseSection(product));

  // The empty path would be the root itself: refused, nothing lost.
  EXPECT_FALSE(reg.EraseSection(""));
  EXPECT_FALSE(reg.EraseSection("\\"));
  EXPECT_TRUE(reg.KeyExists(kTessaro));

  EXPECT_TRUE(reg.EraseSection(kTessaro));
  EXPECT_FALSE(reg.KeyExists(kTessaro));
  EXPECT_TRUE(reg.KeyExists("SoftWare"));
}

TEST_F(RegistryTest, KeyExistsForPathsOfEveryDepth) {
  reg.WriteString(std::string(kTessaro) + "\\KyLib", "Ver1", "1");
  EXPECT_TRUE(reg.KeyExists("SoftWare"));
  EXPECT_TRUE(reg.KeyExists(kTessaro));
  EXPECT_TRUE(reg.KeyExists("software\\tessaro\\kylib"));  // names ignore case
  EXPECT_TRUE(reg.KeyExists("\\SoftWare\\Tessaro"));
  EXPECT_FALSE(reg.KeyExists(std::string(kTessaro) + "\\KyLi"));
  EXPECT_FALSE(reg.KeyExists(std::string(kTessaro) + "\\KyLib\\Sub"));
  EXPECT_FALSE(reg.KeyExists("SoftWare\\Nobody"));
}

TEST_F(RegistryTest, KeyNamesComeInRegistryOrder) {
  // Created out of order; the registry lists names alphabetically without
  // regard to case, and keeps each name's own case.
  const std::string longName(200, 'z');
  for (const char* name : {"b", "C", "a"}) reg.WriteString(std::string(kTessaro) + "\\" + name, "V", "");
  reg.WriteString(std::string(kTessaro) + "\\" + longName, "V", "");
  reg.WriteString(std::string(kTessaro) + "\\a\\nested", "V", "");
  EXPECT_EQ(reg.GetKeyNames(kTessaro), (std::vector<std::string>{"a", "b", "C", longName}));
  EXPECT_EQ(reg.GetKeyNames(std::string(kTessaro) + "\\b"), std::vector<std::string>{});
  EXPECT_EQ(reg.GetKeyNames("SoftWare\\Nobody"), std::vector<std::string>{});

  std::vector<std::string> many;
  for (int i = 0; i < 300; ++i) {
    char name[16];
    std::snprintf(name, sizeof name, "P%03d", i);
    many.push_back(name);
  }
  for (auto it = many.rbegin(); it != many.rend(); ++it) reg.WriteString("SoftWare\\Many\\" + *it, "V", "");
  EXPECT_EQ(reg.GetKeyNames("SoftWare\\Many"), many);
}

TEST_F(RegistryTest, OpenKeyExistingNeverCreatesAndFallsBackToReading) {
  TRegKey missing = reg.OpenKeyExisting("SoftWare\\Nobody");
  EXPECT_FALSE(missing.IsOpen());
  EXPECT_EQ(missing.ReadString("Any", "dflt"), "dflt");
  EXPECT_FALSE(RawKeyExists(HKEY_CURRENT_USER, "SoftWare\\Nobody"));

  reg.WriteString(kTessaro, "PathGroup", "C:\\Group");
  TRegKey full = reg.OpenKeyExisting(kTessaro);
  ASSERT_TRUE(full.IsOpen());
  EXPECT_FALSE(full.ReadOnly());
  full.WriteString("PathGroup", "C:\\Other");
  EXPECT_EQ(full.ReadString("PathGroup", ""), "C:\\Other");

  RawKey(HKEY_CURRENT_USER, "SoftWare\\Locked").SetString("Programs", "C:\\Menu");
  ASSERT_TRUE(ky_test::MakeKeyReadOnly(HKEY_CURRENT_USER, "SoftWare\\Locked"));
  TRegKey locked = reg.OpenKeyExisting("SoftWare\\Locked");
  ASSERT_TRUE(locked.IsOpen());
  EXPECT_TRUE(locked.ReadOnly());
  EXPECT_EQ(locked.ReadString("Programs", ""), "C:\\Menu");
  EXPECT_THROW(locked.WriteString("Programs", "x"), ERegistryException);

  TRegKey moved = std::move(full);
  EXPECT_FALSE(full.IsOpen());
  EXPECT_TRUE(moved.IsOpen());
}

// The two views of the machine's keys, on the test prefix's real HKLM (a
// sandbox key has no 32-bit view). A 64-bit Windows keeps them apart.
TEST(RegistryViews, The32BitViewIsSeparateAndEveryOperationStaysInIt) {
  if (!SystemHas32BitView()) GTEST_SKIP() << "a 32-bit Windows has one view only";
  const std::string path = "SoftWare\\KySetupViewTest-" + std::to_string(GetCurrentProcessId());
  auto raw = [&](REGSAM view) {
    HKEY key = nullptr;
    EXPECT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | view, nullptr, &key,
                              nullptr),
              ERROR_SUCCESS);
    return key;
  };
  HKEY k32 = raw(KEY_WOW64_32KEY), k64 = raw(KEY_WOW64_64KEY);
  ASSERT_TRUE(k32 && k64);
  RegSetValueExA(k32, "RootDir", 0, REG_SZ, reinterpret_cast<const BYTE*>("C:\\D32"), 7);
  RegSetValueExA(k64, "RootDir", 0, REG_SZ, reinterpret_cast<const BYTE*>("C:\\D64"), 7);
  RegCloseKey(k32);
  RegCloseKey(k64);

  TRegistry view32(rkLocalMachine, rv32);
  TRegistry view64(rkLocalMachine);  // the native view, of a 64-bit build only
  EXPECT_EQ(view32.ReadString(path, "RootDir", ""), "C:\\D32");
  if (sizeof(void*) == 8) {
    EXPECT_EQ(view64.ReadString(path, "RootDir", ""), "C:\\D64");
  }

  view32.WriteString(path + "\\Sub", "Only32", "yes");
  EXPECT_TRUE(view32.ValueExists(path + "\\Sub", "Only32"));
  EXPECT_EQ(view32.GetKeyNames(path), std::vector<std::string>{"Sub"});
  EXPECT_TRUE(view32.OpenKeyExisting(path + "\\Sub").IsOpen());
  if (sizeof(void*) == 8) {
    EXPECT_FALSE(view64.KeyExists(path + "\\Sub"));
    EXPECT_TRUE(view64.GetKeyNames(path).empty());
  }

  EXPECT_TRUE(view32.EraseSection(path));
  EXPECT_FALSE(view32.KeyExists(path));
  if (sizeof(void*) == 8) {
    EXPECT_EQ(view64.ReadString(path, "RootDir", ""), "C:\\D64");  // the other view's key stays
    EXPECT_TRUE(view64.EraseSection(path));
  }
  EXPECT_FALSE(TRegistry(rkLocalMachine, rv32).KeyExists(path));
}
