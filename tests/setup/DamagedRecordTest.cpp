// Record values set by someone else, then Erase: whatever the values say,
// nothing outside the product's own folders is touched, the installer's own
// removal runs only for its own key, and the record ends as the note says.
#include "platform/os/WinApi.h"

#include <functional>

#include "EngineFixture.h"
#include "platform/base/Exception.h"
#include "setup/ProductRecord.h"

using namespace ky_test;

namespace {

struct RecordCase {
  const char* what;
  // Changes the record (after Small, its bystander Other and, with
  // withUpdate, Small's update were installed).
  std::function<void(TRegistry& reg, TSetupState& state, const std::string& canary)> damage;
  bool withUpdate = false;
  const char* erase = "Small";  // the item erased
  int data = 0;                  // its item data
  // The notes the erase leaves, "%p" the products folder, "%g" the group, "%c" the canary folder.
  std::vector<std::string> notes;
  enum { keyGone, updateGone, makerGone } record = keyGone;
  // Marked in the list: a plain name is told from another product's copy
  // only when erasing reads it.
  bool listedDamaged = true;
};

void PrintTo(const RecordCase& c, std::ostream* out) { *out << c.what; }

const char* kKey = "SoftWare\\Tessaro\\Small";

std::string Damaged(const std::string& fault, const std::string& removed) {
  return "The record of 'Small' was damaged (" + fault + "). Only what lay in its own folders was removed: " +
         removed + "\r\nIts record was erased.";
}
const std::string kAllOfSmall = "\r\n%p\\Small\r\n%p\\Small.stp\r\n%g\\Small";
auto SetValue(const char* value, std::string data) {
  return [=](TRegistry& reg, TSetupState&, const std::string& canary) mutable {
    for (size_t at; (at = data.find("%c")) != std::string::npos;) data.replace(at, 2, canary);
    reg.WriteString(kKey, value, data);
  };
}

class DamagedRecordTest : public EngineTest, public ::testing::WithParamInterface<RecordCase> {
protected:
  std::string products, group;  // as installed, before the record was damaged

  std::string Expand(std::string text) const {
    for (const auto& [tag, value] : {std::pair<std::string, std::string>{"%p", products},
                                     {"%g", group}, {"%c", dir / "root\\canary"}})
      for (size_t at; (at = text.find(tag)) != std::string::npos;) text.replace(at, 2, value);
    return text;
  }
};

}  // namespace

TEST_P(DamagedRecordTest, EraseStaysInsideItsOwnFoldersAndSaysWhatItDid) {
  const RecordCase& c = GetParam();
  // The products folder two levels down, so that "..\..\windows" and
  // "..\canary" land in the canary tree beside it.
  dir.MakeDir("root");
  state.PathInstall = dir.MakeDir("root\\Products");
  dir.MakeDir("windows");
  dir.WriteFile("windows\\win.ini", "[fonts]\r\n");
  dir.MakeDir("root\\canary");
  dir.WriteFile("root\\canary\\victim.txt", "victim");
  dir.WriteFile("root\\canary\\abs.txt", "absolute");
  InstallInstaller();
  TSetupProduct small = Product("Small", 4, {1, 0, 0}, "", "TXT");
  Install(MakeSetup("small.stp", small, {{"a.txt", "a"}, {"sub\\b.txt", "b"}}));
  Install(MakeSetup("other.stp", Product("Other", 4, {1, 0, 0}, "", "TXT"), {{"o.txt", "o"}}));
  if (c.withUpdate) Install(MakeSetup("small-upd.stp", Update(small, {1, 0, 1}), {{"a.txt", "a2"}, {"c.txt", "c"}}));
  products = state.PathInstall;
  group = state.PathGroup;
  const std::string canary = FolderText(dir / "windows") + FolderText(dir / "root\\canary");
  auto otherText = [&] {
    return FolderText(products + "\\Other") + FolderText(group + "\\Other") + ReadAll(products + "\\Other.stp");
  };
  const std::string other = otherText();
  const TVersion otherVersion = InstalledVersion(state.Registry, "Other", false);

  c.damage(state.Registry, state, dir / "root\\canary");
  FillProducts(state);
  const int index = state.Products.Find(c.erase, c.data);
  ASSERT_GE(index, 0);
  if (c.listedDamaged && std::string(c.erase) != "KySetup") {
    EXPECT_NE(state.Products[index].Description.find("[damaged record]"), std::string::npos)
        << state.Products[index].Description;
  }
  installer.ClearNotes();
  Remove(state.Products[index]);

  std::vector<std::string> expected;
  for (const std::string& n : c.notes) expected.push_back(Expand(n));
  EXPECT_EQ(installer.Notes(), expected);
  EXPECT_EQ(FolderText(dir / "windows") + FolderText(dir / "root\\canary"), canary);
  switch (c.record) {
    case RecordCase::keyGone:
      EXPECT_FALSE(state.Registry.KeyExists(kKey));
      EXPECT_EQ(state.Products.Find("Small"), -1);
      break;
    case RecordCase::updateGone:
      EXPECT_EQ(Reg("Small", "FileSetup"), "Small.stp");
      for (const char* v : {"FileSetupUpd", "DescriptionUpd", "Ver1Upd", "Ver2Upd", "Ver3Upd"})
        EXPECT_FALSE(HasValue("Small", v)) << v;
      EXPECT_EQ(state.Products.Find("Small", 1), -1);
      // The base is back as it was, from its own stored copy.
      EXPECT_EQ(ReadAll(products + "\\Small\\a.txt"), "a");
      EXPECT_FALSE(Exists(products + "\\Small\\c.txt"));
      EXPECT_TRUE(Exists(products + "\\Small.stp"));
      break;
    case RecordCase::makerGone:
      EXPECT_FALSE(state.Registry.KeyExists(kMakerKey));
      EXPECT_FALSE(Exists(group));
      EXPECT_FALSE(Exists(products + "\\KySetup"));
      break;
  }
  if (c.record != RecordCase::makerGone) {
    // The installer and the bystander product are untouched.
    EXPECT_EQ(Reg("KySetup", "FileSetup"), "KySetup");
    EXPECT_TRUE(Exists(products + "\\KySetup\\KySetup.exe"));
    EXPECT_TRUE(Exists(group + "\\KySetup.lnk"));
    EXPECT_EQ(otherText(), other);
    EXPECT_EQ(InstalledVersion(state.Registry, "Other", false), otherVersion);
    EXPECT_EQ(Reg("Other", "FileSetup"), "Other.stp");
  }
}

INSTANTIATE_TEST_SUITE_P(
    Values, DamagedRecordTest,
    ::testing::Values(
        RecordCase{"climbing to the windows folder", SetValue("FileSetup", "..\\..\\windows\\win.ini"), false, "Small",
                   0, {Damaged("\"FileSetup\" = \"..\\..\\windows\\win.ini\"", kAllOfSmall)}},
        RecordCase{"beside the products folder", SetValue("FileSetup", "..\\canary\\victim.txt"), false, "Small", 0,
                   {Damaged("\"FileSetup\" = \"..\\canary\\victim.txt\"", kAllOfSmall)}},
        RecordCase{"an absolute path", SetValue("FileSetup", "%c\\abs.txt"), false, "Small", 0,
                   {Damaged("\"FileSetup\" = \"%c\\abs.txt\"", kAllOfSmall)}},
        RecordCase{"a path ending in KySetup", SetValue("FileSetup", "sub\\KySetup"), false, "Small", 0,
                   {Damaged("\"FileSetup\" = \"sub\\KySetup\"", kAllOfSmall)}},
        RecordCase{"the installer's name", SetValue("FileSetup", "KySetup"), false, "Small", 0,
                   {Damaged("\"FileSetup\" = \"KySetup\"", kAllOfSmall)}},
        RecordCase{"another product's stored copy", SetValue("FileSetup", "Other.stp"), false, "Small", 0,
                   {Damaged("\"FileSetup\" = \"Other.stp\"", kAllOfSmall)}, RecordCase::keyGone, false},
        RecordCase{"empty", SetValue("FileSetup", ""), false, "Small", 0,
                   {Damaged("\"FileSetup\" = \"\"", kAllOfSmall)}},
        RecordCase{"a key with no values",
                   [](TRegistry& reg, TSetupState&, const std::string&) {
                     reg.EraseSection(kKey);
                     reg.CreateKey(kKey);
                   },
                   false, "Small", 0, {Damaged("\"FileSetup\" = \"\"", kAllOfSmall)}},
        RecordCase{"a version that is no number", SetValue("Ver1", "one"), false, "Small", 0, {}},
        RecordCase{"PathInstall missing",
                   [](TRegistry& reg, TSetupState& state, const std::string&) {
                     reg.DeleteValue(kMakerKey, "PathInstall");
                     state.PathInstall = reg.ReadString(kMakerKey, "PathInstall", "");
                   },
                   false, "Small", 0, {Damaged("\"PathInstall\" = \"\"", "\r\n%g\\Small")}},
        RecordCase{"PathGroup relative",
                   [](TRegistry& reg, TSetupState& state, const std::string&) {
                     reg.WriteString(kMakerKey, "PathGroup", "..\\Programs");
                     state.PathGroup = "..\\Programs";
                   },
                   false, "Small", 0,
                   {Damaged("\"PathGroup\" = \"..\\Programs\"", "\r\n%p\\Small\r\n%p\\Small.stp")}},
        RecordCase{"an update climbing out", SetValue("FileSetupUpd", "..\\canary\\victim.txt"), true, "Small", 1,
                   {"The record of 'Small' was damaged (\"FileSetupUpd\" = \"..\\canary\\victim.txt\"). Only what lay "
                    "in its own folders was removed: \r\n%p\\Small.upd\r\nIts record was erased."},
                   RecordCase::updateGone},
        RecordCase{"an update naming the base's copy", SetValue("FileSetupUpd", "Small.stp"), true, "Small", 1,
                   {"The record of 'Small' was damaged (\"FileSetupUpd\" = \"Small.stp\"). Only what lay in its own "
                    "folders was removed: \r\n%p\\Small.upd\r\nIts record was erased."},
                   RecordCase::updateGone},
        RecordCase{"the installer's own key",
                   [](TRegistry& reg, TSetupState& state, const std::string&) {
                     // Only the installer left, whose values point outside.
                     reg.EraseSection(kKey);
                     reg.EraseSection("SoftWare\\Tessaro\\Other");
                     reg.WriteString("SoftWare\\Tessaro\\KySetup", "FileSetup", "..\\canary\\victim.txt");
                     (void)state;
                   },
                   false, "KySetup", 0, {}, RecordCase::makerGone}),
    [](const ::testing::TestParamInfo<RecordCase>& info) {
      std::string name;
      for (const char* p = info.param.what; *p; ++p)
        if (std::isalnum(static_cast<unsigned char>(*p))) name += *p;
      return name;
    });

TEST_F(EngineTest, InstallingWithADamagedFolderInTheRecordIsRefusedBeforeAnythingChanges) {
  InstallInstaller();
  const std::string stp = MakeSetup("s.stp", Product("Samples", 4, {1, 0, 0}), {{"a.txt", "a"}});
  for (const auto& [value, text] : {std::pair<const char*, std::string>{"PathInstall", ""},
                                    {"PathInstall", "Products"},
                                    {"PathGroup", "\\\\server\\share\\Tessaro"},
                                    {"PathGroup", "C:\\"}}) {
    SCOPED_TRACE(std::string(value) + " = " + text);
    const std::string install = state.PathInstall, group = state.PathGroup;
    (std::string(value) == "PathInstall" ? state.PathInstall : state.PathGroup) = text;
    const std::string before = Snapshot();
    std::string error;
    try {
      installer.InstallProduct(stp, bar.Max());
    } catch (const Exception& e) {
      error = e.what();
    }
    EXPECT_EQ(error, "The record of the setup program is damaged (\"" + std::string(value) + "\" = \"" + text +
                         "\"): erase the setup program and install it again.");
    EXPECT_EQ(SnapshotDiff(before, Snapshot()), "");
    state.PathInstall = install;
    state.PathGroup = group;
  }
}
