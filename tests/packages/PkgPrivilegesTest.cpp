// Privileges packages: the definitions and access-record formats with their
// versions and refusals, the file-name and key checks, levels granted by an
// access record, one report per update, descriptions that follow their
// labels, and the privilege objects of controls.
#include <gtest/gtest.h>
#include <gmock/gmock.h>

#include <functional>
#include <utility>

#include "PkgTestSupport.h"
#include "packages/MessageService.h"
#include "packages/PkgPrivileges.h"
#include "platform/base/Exception.h"
#include "platform/base/FileNames.h"
#include "platform/classes/FormStream.h"
#include "platform/os/ProgramInfo.h"
#include "platform/classes/TextForm.h"
#include "support/RunTool.h"
#include "support/TempDir.h"

using namespace ky_test;
using ::testing::HasSubstr;

namespace {

using Bytes = std::vector<uint8_t>;
using Pairs = std::vector<std::pair<int32_t, int32_t>>;

struct TTstPrivilege {
  int32_t id;
  std::string description;
  std::string labelPkg;
  int32_t labelId;
  int32_t level;
};

// Definitions written by hand at any version.
Bytes DefinitionsBytes(uint16_t version, const std::string& name, const std::vector<TTstPrivilege>& items,
                       const char* word = "KyPrivileges") {
  TMemoryStream m;
  {
    TKyWriter w(m);
    WritePkgHeader(w, word, version);
    if (version >= 2) w.WriteString(name);
    w.WriteInteger(static_cast<int32_t>(items.size()));
    for (const auto& i : items) {
      w.WriteInteger(i.id);
      w.WriteString(i.description);
      w.WriteString(i.labelPkg);
      w.WriteInteger(i.labelId);
      w.WriteInteger(i.level);
    }
  }
  return m.Data();
}

std::string Scrambled(std::string s) {
  for (char& c : s) c = static_cast<char>(static_cast<uint8_t>(c) ^ kAccessScramble);
  return s;
}

// An access record written by hand at any version.
Bytes AccessBytes(uint16_t version, const std::string& fileName, const std::string& key1, const std::string& key2,
                  const Pairs& levels, const char* word = "KyAccess", const std::string& description = "Ana") {
  TMemoryStream m;
  {
    TKyWriter w(m);
    WritePkgHeader(w, word, version);
    w.WriteString(description);
    w.WriteString(Scrambled(key1));
    w.WriteString(Scrambled(fileName));
    if (version >= 2) w.WriteString(Scrambled(key2));
    w.WriteInteger(static_cast<int32_t>(levels.size()));
    for (auto [id, level] : levels) {
      w.WriteInteger(id);
      w.WriteInteger(level);
    }
  }
  return m.Data();
}

void LoadAccessBytes(TKyPkgPrivileges& pkg, const Bytes& bytes, const std::string& fileName) {
  TMemoryStream m(bytes);
  pkg.LoadAccess(m, fileName);
}

Bytes SaveAccessBytes(TKyPkgPrivileges& pkg, const std::string& fileName) {
  TMemoryStream m;
  pkg.SaveAccess(m, fileName);
  return m.Data();
}


// The first application configuration with its privileges package and the
// library's real "System" strings.
class TTstPrivilegesApp : public IKyPkgApplication, public IKyPrivilegesApplication {
public:
  TTstPrivilegesApp() : holder(nullptr) {
    holder.SetName("Holder");
    system = new TKyPkgStrings(&holder);
    system->StorePkgName(kSystemPkg);
    user = new TKyPkgStrings(&holder);
    user->StorePkgName(kUserPkg);
    privileges = new TKyPkgPrivileges(&holder);
    RegisterPkgApplication(this);
  }
  ~TTstPrivilegesApp() override { UnregisterPkgApplication(this); }

  std::string PackagePath() const override { return ""; }
  TKyPkgInfo* ReservedPackage(const TClassInfo& kind, bool isUser) const override {
    if (&kind != &TKyPkgStrings::StaticClass()) return nullptr;
    return isUser ? user : system;
  }
  TKyPkgPrivileges* Privileges() const override { return privileges; }
  std::string PrivilegesKey() const override { return key; }
  std::string PathPrivileges() const override { return path; }
  std::string ApplicationName() const override { return "KyApp"; }

  std::string key, path;
  TTstContainer holder;
  TKyPkgStrings* system;
  TKyPkgStrings* user;
  TKyPkgPrivileges* privileges;
};

// What a control sees of its privilege.
struct TTstGoverned {
  explicit TTstGoverned(int32_t id) {
    privilege.OnChange = [this](TKyPrivilege* p) { shown.push_back(p->AppliedLevel()); };
    privilege.SetId(id);
  }
  TKyPrivilege privilege;
  std::vector<int> shown;
};

struct TTstReport {
  TKyPkgPrivilegesItem* item;
  bool levels;
};

class PrivilegesTest : public ::testing::Test {
protected:
  void SetUp() override {
    app.system->LoadFromFile(ToolFromEnv("KY_PACKAGES_DIR") + "\\System.pst");
    pkg().AddItem(0, "prueba", 1);
    pkg().AddItem(3, "Borrar", 0);
    pkg().AddItem(7, "Editar", 2);
    pkg().OnPrivilegesChanged = [this](TObject* sender, TKyPkgPrivilegesItem* item, bool levels) {
      EXPECT_EQ(sender, &pkg());
      reports.push_back({item, levels});
    };
  }
  TKyPkgPrivileges& pkg() { return *app.privileges; }
  std::vector<int> Levels() {
    std::vector<int> l;
    for (int i = 0; i < pkg().Count(); ++i) l.push_back(pkg().Items(i)->Level());
    return l;
  }

  TTstPrivilegesApp app;
  std::vector<TTstReport> reports;
};

const std::string kIdWrong = "Identificaci\xF3n incorrecta (Privileges).";
const std::string kVersionWrong = "Versi\xF3n incorrecta (Privileges).";
const std::string k90 = "Message Unknown (System) (90).";

}  // namespace

// ---- Definitions ----

TEST_F(PrivilegesTest, TheInstallersDefinitionsAre54Bytes) {
  TKyPkgPrivileges setup(nullptr);
  setup.AddItem(0, "prueba", 1);
  Bytes bytes = setup.SaveToBytes();
  EXPECT_EQ(bytes.size(), 54u);
  EXPECT_EQ(bytes, DefinitionsBytes(2, "", {{0, "prueba", "", -1, 1}}));
}

TEST_F(PrivilegesTest, DefinitionsRoundTripKeepingOrderDuplicatesAndLabels) {
  TKyPkgPrivileges src(nullptr);
  src.SetDefinitionsName("Derechos");
  src.AddItem(9, "nueve", 2);
  src.AddItem(-4, "", 0);
  src.AddItem(9, "nueve otra vez", 1);
  src.AddItem(2147483647, "grande", 1)->SetDescriptionLabel("Idioma", 12);  // no such package: kept as stored
  Bytes bytes = src.SaveToBytes();
  EXPECT_EQ(bytes, DefinitionsBytes(2, "Derechos",
                                    {{9, "nueve", "", -1, 2},
                                     {-4, "", "", -1, 0},
                                     {9, "nueve otra vez", "", -1, 1},
                                     {2147483647, "grande", "Idioma", 12, 1}}));

  TKyPkgPrivileges copy(nullptr);
  LoadBytes(copy, bytes);
  EXPECT_EQ(copy.DefinitionsName(), "Derechos");
  ASSERT_EQ(copy.Count(), 4);
  EXPECT_EQ(copy.Items(3)->Description(), "grande");
  EXPECT_EQ(copy.Items(3)->DescriptionLabel().PkgName(), "Idioma");
  EXPECT_EQ(copy.Items(3)->DescriptionLabel().Id(), 12);
  // Of two items with one id, the last in list order is found, as for labels and images.
  EXPECT_EQ(copy.FindItem(9), copy.Items(2));
  EXPECT_EQ(copy.FindItem(-4), copy.Items(1));
  EXPECT_EQ(copy.FindItem(5), nullptr);
  EXPECT_EQ(copy.SaveToBytes(), bytes);
}

TEST_F(PrivilegesTest, DefinitionVersionsAndRefusals) {
  std::vector<TTstPrivilege> items = {{1, "uno", "", -1, 0}, {2, "dos", "", -1, 2}};
  struct Case {
    const char* what;
    Bytes bytes;
    std::string error;  // empty: read
    std::string name;
  } cases[] = {
      {"version 2", DefinitionsBytes(2, "Nombre", items), "", "Nombre"},
      {"version 1 has no name", DefinitionsBytes(1, "ignored", items), "", ""},
      {"class word in other letter case", DefinitionsBytes(2, "N", items, "kyprivileges"), "", "N"},
      {"version 3", DefinitionsBytes(3, "N", items), "(PrDefs) " + kVersionWrong, ""},
      {"access record instead", DefinitionsBytes(2, "N", items, "KyAccess"), "(PrDefs) " + kIdWrong, ""},
  };
  for (const Case& c : cases) {
    TKyPkgPrivileges p(nullptr);
    p.SetName("PrDefs");
    p.SetDefinitionsName("before");
    std::string error = Raised([&] { LoadBytes(p, c.bytes); });
    if (!c.error.empty()) {
      EXPECT_EQ(error, c.error) << c.what;
      continue;
    }
    EXPECT_EQ(error, "(nothing raised)") << c.what;
    EXPECT_EQ(p.DefinitionsName(), c.name) << c.what;
    ASSERT_EQ(p.Count(), 2) << c.what;
    EXPECT_EQ(p.FindItem(2)->Description(), "dos") << c.what;
    EXPECT_EQ(p.FindItem(2)->Level(), 2) << c.what;
  }
}

TEST_F(PrivilegesTest, DamagedDefinitionsAreRefused) {
  Bytes big = DefinitionsBytes(2, "", {{1, "uno", "", -1, 0}});
  big[37] = 100;  // the count's value, after the empty name and the count's tag
  struct Case {
    const char* what;
    Bytes bytes;
    std::string part;
    int keptItems;
  } cases[] = {
      {"count beyond the data", big, "100 privileges cannot be held by its data", 0},
      {"level 3", DefinitionsBytes(2, "", {{1, "uno", "", -1, 1}, {5, "cinco", "", -1, 3}}),
       "level 3 of privilege 5 is outside 0..2", 1},
      {"level -1", DefinitionsBytes(2, "", {{6, "seis", "", -1, -1}}), "level -1 of privilege 6 is outside 0..2", 0},
  };
  for (const Case& c : cases) {
    TKyPkgPrivileges p(nullptr);
    p.AddItem(40, "antes", 1);
    std::string error;
    try {
      LoadBytes(p, c.bytes);
    } catch (const EReadError& e) {
      error = e.what();
    }
    EXPECT_THAT(error, HasSubstr(c.part)) << c.what;
    EXPECT_THAT(error, HasSubstr("Damaged package")) << c.what;
    // Cleared up to the failing point; what was read is still found.
    EXPECT_EQ(p.Count(), c.keptItems) << c.what;
    EXPECT_EQ(p.FindItem(40), nullptr) << c.what;
    if (c.keptItems) {
      EXPECT_EQ(p.FindItem(1), p.Items(0)) << c.what;
    }
  }
}

TEST_F(PrivilegesTest, NegativeCountHoldsNoItemsAndTheLastItemOfAnIdIsFound) {
  Bytes negative = DefinitionsBytes(2, "", {});
  negative[37] = 0xFF;  // count -1 as a one-byte integer
  TKyPkgPrivileges p(nullptr);
  p.AddItem(40, "antes", 1);
  LoadBytes(p, negative);
  EXPECT_EQ(p.Count(), 0);

  // Two items of one id: the later one answers, as labels and images do.
  LoadBytes(p, DefinitionsBytes(2, "", {{7, "first", "", -1, 0}, {3, "other", "", -1, 2}, {7, "second", "", -1, 1}}));
  ASSERT_EQ(p.Count(), 3);
  EXPECT_EQ(p.FindItem(7), p.Items(2));
  EXPECT_EQ(p.FindItem(3), p.Items(1));
  EXPECT_EQ(p.FindItem(8), nullptr);
  EXPECT_EQ(p.FindItem(-1), nullptr);
}

TEST_F(PrivilegesTest, DefinitionsAreEmbeddedWhateverTheInitMode) {
  RegisterPrivilegesClasses();
  TComponent form(nullptr);
  form.SetName("FmMain");
  auto* p = new TKyPkgPrivileges(&form);
  p->SetName("PrUser");
  p->SetKey("clave");
  p->AddItem(4, "cuatro", 1);
  p->SetInitMode(rimFILE);  // the access record's mode, not the definitions'
  TComponent copy(nullptr);
  ReadComponentBytes(WriteComponentBytes(&form), &copy);
  auto* read = copy.Find<TKyPkgPrivileges>("PrUser");
  ASSERT_NE(read, nullptr);
  EXPECT_EQ(read->Key(), "clave");
  EXPECT_EQ(read->InitMode(), rimFILE);
  ASSERT_EQ(read->Count(), 1);
  EXPECT_EQ(read->FindItem(4)->Description(), "cuatro");
  EXPECT_EQ(read->DefaultExt(), "acc");
}

// ---- Access records ----

TEST_F(PrivilegesTest, AccessRecordsRoundTripWithScrambledStrings) {
  app.key = "secreto";
  pkg().SetKey("llave");
  pkg().SetDescription("Ana Garc\xED" "a");
  Bytes bytes = SaveAccessBytes(pkg(), "C:\\Datos\\ana.acc");
  EXPECT_EQ(bytes, AccessBytes(2, "ana.acc", "secreto", "llave", {{0, 1}, {3, 0}, {7, 2}}, "KyAccess", "Ana Garc\xED" "a"));
  std::string raw(bytes.begin(), bytes.end());
  EXPECT_EQ(raw.find("secreto"), std::string::npos);
  EXPECT_EQ(raw.find("ana.acc"), std::string::npos);

  pkg().FindItem(0)->SetLevel(2);
  pkg().FindItem(3)->SetLevel(2);
  pkg().SetDescription("");
  LoadAccessBytes(pkg(), bytes, "ana.acc");
  EXPECT_EQ(Levels(), (std::vector<int>{1, 0, 2}));
  EXPECT_EQ(pkg().Description(), "Ana Garc\xED" "a");

  // A version 1 record has no second key string.
  LoadAccessBytes(pkg(), AccessBytes(1, "ana.acc", "secreto", "never read", {{3, 1}}), "ana.acc");
  EXPECT_EQ(Levels(), (std::vector<int>{1, 1, 2}));
  TMemoryStream m(AccessBytes(1, "ana.acc", "", "", {{5, 1}}));
  TKyReader r(m);
  ReadPkgHeader(r);
  TKyAccessRecord rec = ReadAccessBody(r, 1, "ana.acc");
  EXPECT_EQ(rec.Key2, "");
  EXPECT_EQ(rec.Levels, (Pairs{{5, 1}}));
}

TEST_F(PrivilegesTest, AccessRecordRefusals) {
  TKyPkgPrivileges loose(nullptr);
  loose.SetName("PrLoose");
  loose.AddItem(3, "Borrar", 0);
  struct Case {
    const char* what;
    TKyPkgPrivileges* target;
    Bytes bytes;
    std::string readAs;
    std::string error;  // empty: accepted
  } cases[] = {
      {"same name", &pkg(), AccessBytes(2, "ana.acc", "", "", {{3, 2}}), "C:\\x\\ana.acc", ""},
      {"letter case only", &pkg(), AccessBytes(2, "Ana.ACC", "", "", {{3, 2}}), "ANA.acc", ""},
      {"kept outside a file", &pkg(), AccessBytes(2, "", "", "", {{3, 2}}), "", ""},
      {"renamed file", &pkg(), AccessBytes(2, "ana.acc", "", "", {{3, 2}}), "C:\\x\\luis.acc", "(KyApp) " + k90},
      {"named, read from elsewhere", &pkg(), AccessBytes(2, "ana.acc", "", "", {{3, 2}}), "", "(KyApp) " + k90},
      {"renamed, not the application's", &loose, AccessBytes(2, "ana.acc", "", "", {{3, 2}}), "luis.acc",
       "(PrLoose) " + k90},
      {"version 3", &pkg(), AccessBytes(3, "ana.acc", "", "", {}), "ana.acc", "(Holder) " + kVersionWrong},
      {"definitions instead", &pkg(), DefinitionsBytes(2, "", {}), "ana.acc", "(Holder) " + kIdWrong},
      {"other word", &loose, AccessBytes(2, "ana.acc", "", "", {}, "KyAccesos"), "ana.acc",
       "(PrLoose) " + kIdWrong},
  };
  for (const Case& c : cases) {
    c.target->FindItem(3)->SetLevel(0);
    EXPECT_EQ(Raised([&] { LoadAccessBytes(*c.target, c.bytes, c.readAs); }),
              c.error.empty() ? "(nothing raised)" : c.error)
        << c.what;
    EXPECT_EQ(c.target->FindItem(3)->Level(), c.error.empty() ? 2 : 0) << c.what;
  }
}

TEST_F(PrivilegesTest, KeysMustMatchAfterTrimming) {
  struct Case {
    std::string key1, key2, appKey, pkgKey;
    bool accepted;
  } cases[] = {
      {"", "", "", "", true},
      {"", "", "X", "Y", true},  // a record without keys opens anywhere
      {" \t", "", "", "", true},
      {"abc", "", "abc", "", true},
      {" abc ", "", "abc", "", true},
      {"abc", "", "\tabc ", "", true},
      {"", "abc", "", "abc", true},
      {"abc", "def", "", "def", true},
      {"abc", "def", "def", "zzz", true},
      {"abc", "", "ABC", "", false},  // letter case counts
      {"abc", "", "", "", false},     // a blank key of ours never matches
      {"abc", "", "xyz", "uvw", false},
      {"abc", "", " ", " ", false},
      {"abc", "def", "abcdef", "", false},
  };
  for (const Case& c : cases) {
    app.key = c.appKey;
    pkg().SetKey(c.pkgKey);
    pkg().FindItem(7)->SetLevel(2);
    std::string error = Raised([&] { LoadAccessBytes(pkg(), AccessBytes(2, "k.acc", c.key1, c.key2, {{7, 0}}), "k.acc"); });
    std::string label = "[" + c.key1 + "][" + c.key2 + "] app [" + c.appKey + "] pkg [" + c.pkgKey + "]";
    EXPECT_EQ(error, c.accepted ? "(nothing raised)" : "(KyApp) " + k90) << label;
    EXPECT_EQ(pkg().FindItem(7)->Level(), c.accepted ? 0 : 2) << label;
  }
}

TEST_F(PrivilegesTest, DamagedAccessRecordsChangeNothing) {
  Bytes big = AccessBytes(2, "a.acc", "", "", {{3, 2}});
  big[big.size() - 5] = 50;  // the pair count
  struct Case {
    const char* what;
    Bytes bytes;
    std::string part;
  } cases[] = {
      {"count beyond the data", big, "50 levels cannot be held by its data"},
      {"level 3", AccessBytes(2, "a.acc", "", "", {{0, 2}, {3, 3}}), "level 3 of privilege 3 is outside 0..2"},
      {"level -2", AccessBytes(2, "a.acc", "", "", {{7, -2}}), "level -2 of privilege 7 is outside 0..2"},
  };
  for (const Case& c : cases) {
    reports.clear();
    std::string error;
    try {
      LoadAccessBytes(pkg(), c.bytes, "a.acc");
    } catch (const EReadError& e) {
      error = e.what();
    }
    EXPECT_EQ(error, "Damaged package 'a.acc': " + c.part) << c.what;
    EXPECT_EQ(Levels(), (std::vector<int>{1, 0, 2})) << c.what;
    EXPECT_TRUE(reports.empty()) << c.what;
  }
}

TEST_F(PrivilegesTest, ReloadAndSaveUseTheAccessFileInThePrivilegesFolder) {
  TempDir dir;
  EXPECT_EQ(pkg().GetPath(), ExtractFilePath(ProgramFileName()));
  app.path = dir.Path() + "\\";
  EXPECT_EQ(pkg().GetPath(), app.path);

  pkg().SaveAccessToFile(dir / "ana.acc");
  pkg().FindItem(0)->SetLevel(2);
  pkg().SetInitMode(rimFILE);
  reports.clear();
  pkg().SetFileName("ana");  // reloads
  EXPECT_EQ(Levels(), (std::vector<int>{1, 0, 2}));
  EXPECT_EQ(reports.size(), 1u);
  EXPECT_FALSE(pkg().Modified());

  pkg().FindItem(7)->SetLevel(1);
  EXPECT_TRUE(pkg().Modified());
  pkg().Save();
  EXPECT_FALSE(pkg().Modified());
  Bytes saved = SaveAccessBytes(pkg(), "ana.acc");
  EXPECT_EQ(ReadAll(dir / "ana.acc"), std::string(saved.begin(), saved.end()));
  TKyPkgPrivileges other(nullptr);
  other.AddItem(7, "", 2);
  other.LoadAccessFromFile(dir / "ana.acc");
  EXPECT_EQ(other.FindItem(7)->Level(), 1);

  // A copy under another user's name is refused.
  ASSERT_TRUE(CopyFileA((dir / "ana.acc").c_str(), (dir / "luis.acc").c_str(), FALSE));
  EXPECT_EQ(Raised([&] { pkg().SetFileName("luis"); }), "(KyApp) " + k90);
  EXPECT_EQ(Raised([&] { pkg().SetFileName("nadie"); }),
            "(Holder) File '" + (dir / "nadie.acc") + "' not found.");
}

// ---- Changes ----

TEST_F(PrivilegesTest, OneReportPerUpdate) {
  TKyPkgPrivilegesItem* first = pkg().Items(0);
  struct Case {
    const char* what;
    std::function<void(TKyPkgPrivileges&)> change;
    size_t reports;
    bool several;  // else the first item is reported
    bool levels;
  } cases[] = {
      {"one level", [](TKyPkgPrivileges& p) { p.Items(0)->SetLevel(2); }, 1, false, true},
      {"one item twice", [](TKyPkgPrivileges& p) {
         p.Items(0)->SetLevel(0);
         p.Items(0)->SetDescription("otra");
       }, 1, false, true},
      {"a description only", [](TKyPkgPrivileges& p) { p.Items(0)->SetDescription("prueba"); }, 1, false, false},
      {"an id and back", [](TKyPkgPrivileges& p) {
         p.Items(0)->SetId(4);
         p.Items(0)->SetId(0);
       }, 1, false, true},
      {"two items, nested", [](TKyPkgPrivileges& p) {
         p.Items(0)->SetLevel(1);
         p.BeginUpdate();
         p.Items(1)->SetLevel(1);
         p.EndUpdate();
       }, 1, true, true},
      {"an added item", [](TKyPkgPrivileges& p) { p.AddItem(11, "once", 1); }, 1, true, true},
      {"a deleted item", [](TKyPkgPrivileges& p) { p.DeleteItem(p.FindItem(11)); }, 1, true, true},
      {"the same level again", [](TKyPkgPrivileges& p) { p.Items(2)->SetLevel(2); }, 0, false, false},
      {"an undefined id granted", [](TKyPkgPrivileges& p) {
         LoadAccessBytes(p, AccessBytes(2, "a.acc", "", "", {{99, 0}, {-1, 0}}), "a.acc");
       }, 0, false, false},
      {"a record of three", [](TKyPkgPrivileges& p) {
         LoadAccessBytes(p, AccessBytes(2, "a.acc", "", "", {{0, 0}, {3, 2}, {7, 0}, {99, 0}}), "a.acc");
       }, 1, true, true},
  };
  TTstGoverned erase(3);
  for (const Case& c : cases) {
    reports.clear();
    int changes = 0;
    pkg().OnChange = [&](TObject*) { ++changes; };
    pkg().BeginUpdate();
    c.change(pkg());
    EXPECT_TRUE(reports.empty()) << c.what;
    pkg().EndUpdate();
    ASSERT_EQ(reports.size(), c.reports) << c.what;
    EXPECT_EQ(changes, static_cast<int>(c.reports)) << c.what;
    if (c.reports == 0) continue;
    EXPECT_EQ(reports[0].item, c.several ? nullptr : first) << c.what;
    EXPECT_EQ(reports[0].levels, c.levels) << c.what;
  }
  // Id 3 went 0 -> 1 -> 2 over the cases; its control saw each once.
  EXPECT_EQ(erase.shown, (std::vector<int>{0, 1, 2}));
  EXPECT_EQ(pkg().UpdateCount(), 0);
  pkg().EndUpdate();  // an unmatched end does nothing
  EXPECT_EQ(pkg().UpdateCount(), 0);
}

TEST_F(PrivilegesTest, OutsideAnUpdateEveryChangeReportsAtOnce) {
  TKyPkgPrivilegesItem* first = pkg().Items(0);
  TKyPkgPrivilegesItem* second = pkg().Items(1);
  first->SetLevel(2);
  second->SetDescription("quitar");
  pkg().Clear();
  ASSERT_EQ(reports.size(), 3u);
  EXPECT_EQ(reports[0].item, first);
  EXPECT_TRUE(reports[0].levels);
  EXPECT_EQ(reports[1].item, second);
  EXPECT_FALSE(reports[1].levels);
  EXPECT_EQ(reports[2].item, nullptr);
  pkg().Clear();  // nothing left to clear
  EXPECT_EQ(reports.size(), 3u);
  EXPECT_THROW(pkg().AddItem(1, "", 3), Exception);
}

TEST_F(PrivilegesTest, NothingIsReportedWhileLoading) {
  app.holder.loading = true;
  pkg().Items(0)->SetLevel(2);
  LoadBytes(pkg(), DefinitionsBytes(2, "", {{1, "uno", "", -1, 0}}));
  EXPECT_TRUE(reports.empty());
  app.holder.loading = false;
  TTstGoverned control(1);
  EXPECT_EQ(control.privilege.AppliedLevel(), 0);
  // The application reports the loaded package itself.
  pkg().NotifyChanged();
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0].item, nullptr);
}

TEST_F(PrivilegesTest, DescriptionsFollowTheirLabels) {
  app.user->AddLabel(12, "Borrar productos");
  TKyPkgPrivilegesItem* erase = pkg().FindItem(3);
  erase->SetDescriptionLabel("User", 12);
  EXPECT_EQ(erase->Description(), "Borrar productos");
  app.user->FindLabel(12)->SetCaption("Quitar productos");
  EXPECT_EQ(erase->Description(), "Quitar productos");
  EXPECT_FALSE(reports.back().levels);
  erase->SetDescriptionLabel("Nadie", 4);  // finds nothing: the description stays
  EXPECT_EQ(erase->Description(), "Quitar productos");

  // Read definitions follow their labels too.
  LoadBytes(pkg(), DefinitionsBytes(2, "", {{3, "guardada", "User", 12, 1}, {4, "sola", "User", 99, 1}}));
  EXPECT_EQ(pkg().FindItem(3)->Description(), "Quitar productos");
  EXPECT_EQ(pkg().FindItem(4)->Description(), "sola");
}

// ---- Privilege objects ----

TEST_F(PrivilegesTest, PrivilegeLevelsAndOwnerNotifications) {
  pkg().AddItem(-1, "sin control", 0);  // even a defined -1 governs nothing
  struct Case {
    int32_t id;
    int level;
  } cases[] = {{-1, 2}, {-7, 2}, {0, 1}, {3, 0}, {7, 2}, {99, 2}};
  for (const Case& c : cases) {
    TTstGoverned control(c.id);
    EXPECT_EQ(control.privilege.Level(), c.level) << c.id;
    EXPECT_EQ(control.privilege.AppliedLevel(), c.level) << c.id;
    // Told only when the shown level changes from the initial full access.
    EXPECT_EQ(control.shown, c.level == 2 ? std::vector<int>{} : std::vector<int>{c.level}) << c.id;
  }

  TTstGoverned erase(3), edit(7), ungoverned(-1);
  pkg().BeginUpdate();
  pkg().FindItem(3)->SetLevel(1);
  pkg().FindItem(3)->SetLevel(2);
  pkg().FindItem(7)->SetLevel(0);
  EXPECT_EQ(edit.shown, std::vector<int>{});
  pkg().EndUpdate();
  EXPECT_EQ(erase.shown, (std::vector<int>{0, 2}));
  EXPECT_EQ(edit.shown, std::vector<int>{0});
  EXPECT_EQ(ungoverned.shown, std::vector<int>{});

  erase.privilege.SetId(7);
  EXPECT_EQ(erase.shown, (std::vector<int>{0, 2, 0}));
  TKyPrivilege copy;
  copy.Assign(&erase.privilege);
  EXPECT_EQ(copy.Id(), 7);
}

TEST(PrivilegeTest, WithoutAnApplicationEverythingIsFullAccess) {
  TKyPkgPrivileges loose(nullptr);
  loose.AddItem(3, "", 0);
  int live = TKyPrivilege::LiveCount();
  {
    TTstGoverned control(3);
    EXPECT_EQ(control.privilege.Level(), 2);
    EXPECT_EQ(TKyPrivilege::LiveCount(), live + 1);
    loose.FindItem(3)->SetLevel(1);
    EXPECT_EQ(control.shown, std::vector<int>{});
  }
  EXPECT_EQ(TKyPrivilege::LiveCount(), live);
}

TEST(PrivilegeTest, ControlsGoBackToFullAccessWhenTheApplicationGoes) {
  auto app = std::make_unique<TTstPrivilegesApp>();
  app->privileges->AddItem(5, "", 0);
  TTstGoverned control(5);
  EXPECT_EQ(control.privilege.AppliedLevel(), 0);
  app->privileges->Clear();
  EXPECT_EQ(control.shown, (std::vector<int>{0, 2}));
  app->privileges->AddItem(5, "", 1);
  app.reset();
  TKyPrivilege::UpdateAll();
  EXPECT_EQ(control.shown, (std::vector<int>{0, 2, 1, 2}));
}

namespace {

class TTstGuarded : public TComponent {
  KY_CLASS(TTstGuarded, TComponent)
public:
  using TCreateArg = TComponent*;
  explicit TTstGuarded(TComponent* owner) : TComponent(owner), privilege_(this) {}
  static void Publish(TPublisher<TTstGuarded>& p) { p.Property("Privilege", &TTstGuarded::Privilege); }
  TKyPrivilege* Privilege() const { return const_cast<TKyPrivilege*>(&privilege_); }

private:
  TKyPrivilege privilege_;
};

}  // namespace

TEST(PrivilegeTest, IdStreamsInFormsWhenItGovernsSomething) {
  RegisterClasses({&TTstGuarded::StaticClass()});
  TComponent base(nullptr);
  base.SetName("FmBase");
  auto* erase = new TTstGuarded(&base);
  erase->SetName("BtErase");
  erase->Privilege()->SetId(0);
  auto* next = new TTstGuarded(&base);
  next->SetName("BtNext");
  std::string text = FormBinaryToText(WriteComponentBytes(&base));
  EXPECT_NE(text.find("object BtErase: TTstGuarded\n    Privilege.Id = 0\n  end"), std::string::npos) << text;
  EXPECT_NE(text.find("object BtNext: TTstGuarded\n  end"), std::string::npos) << text;

  TComponent copy(nullptr);
  ReadComponentBytes(WriteComponentBytes(&base), &copy);
  EXPECT_EQ(copy.Find<TTstGuarded>("BtErase")->Privilege()->Id(), 0);
  EXPECT_EQ(copy.Find<TTstGuarded>("BtNext")->Privilege()->Id(), -1);

  // Against an ancestor, a change back to -1 is written.
  copy.Find<TTstGuarded>("BtErase")->Privilege()->SetId(-1);
  std::string derived = FormBinaryToText(WriteComponentBytes(&copy, &base));
  EXPECT_NE(derived.find("inherited BtErase: TTstGuarded\n    Privilege.Id = -1\n  end"), std::string::npos)
      << derived;
  EXPECT_EQ(derived.find("inherited BtNext: TTstGuarded\n    Privilege"), std::string::npos) << derived;
}
