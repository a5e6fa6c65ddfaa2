// Strings packages: the file format and its versions, lookups, renaming,
// language switching and the reference objects with their notifications.
#include <gtest/gtest.h>

#include "PkgTestSupport.h"
#include "packages/MessageService.h"
#include "platform/base/Exception.h"
#include "platform/classes/FormStream.h"
#include "platform/classes/TextForm.h"

using namespace ky_test;

namespace {

class PkgStringsTest : public ::testing::Test {
protected:
  void SetUp() override {
    RegisterPackageClasses();
    LoadBytes(*app.system, StringsBytes(4, "", {{73, "Bloq Num", ""}},
                                        {{47, "Versión del fichero '%s' incorrecta. (PkgStrings)"},
                                         {67, "Nombre de Paquete incorrecto."}},
                                        {}, {1, 2, 3, 4, 0}));
    english = new TKyPkgStrings(&form);
    english->SetName("PsEnglish");
    english->SetPkgName("Idioma");
    spanish = new TKyPkgStrings(&form);
    spanish->SetName("PsSpanish");
    spanish->SetPkgName("Idioma");
    for (auto [pkg, words] : {std::pair{english, std::vector<std::string>{"Next", "Previous", "Close"}},
                              std::pair{spanish, std::vector<std::string>{"Siguiente", "Anterior", "Cerrar"}}}) {
      for (int i = 0; i < 3; ++i) pkg->AddLabel(6 + i, words[static_cast<size_t>(i)]);
      pkg->AddMessage(2, pkg == english ? "The group should be specified" : "Debe especificar el grupo");
    }
    english->SetActive(true);
  }

  TTstApplication app;
  TComponent form{nullptr};
  TKyPkgStrings* english = nullptr;
  TKyPkgStrings* spanish = nullptr;
};

}  // namespace

TEST_F(PkgStringsTest, RoundTripAtTheCurrentVersionKeepsOrderAndDuplicates) {
  TKyPkgStrings pkg(nullptr);
  pkg.SetDescription("English");
  pkg.AddLabel(5, "first", "hint one");
  pkg.AddLabel(1, "one");
  pkg.AddLabel(5, "second");
  pkg.AddMessage(9, "nine %d");
  pkg.AddMessage(9, "shadowed");
  pkg.AddText(0, std::string(300, 'L') + "\r\nmore");
  for (int i = 0; i < 5; ++i) pkg.SetPreserved(i, 65 + i);
  std::vector<uint8_t> bytes = pkg.SaveToBytes();
  EXPECT_EQ(bytes[32], 4);

  TKyPkgStrings back(nullptr);
  LoadBytes(back, bytes);
  EXPECT_EQ(back.SaveToBytes(), bytes);
  EXPECT_EQ(back.Description(), "English");
  ASSERT_EQ(back.Labels().Count(), 3);
  EXPECT_EQ(back.Labels().Items(0)->Caption(), "first");
  EXPECT_EQ(back.Labels().Items(0)->Hint(), "hint one");
  // Two labels with id 5: the index holds the one read last, the list both.
  EXPECT_EQ(back.FindLabel(5)->Caption(), "second");
  // Messages: the first match wins.
  EXPECT_EQ(back.FindMessage(9)->Text(), "nine %d");
  EXPECT_EQ(back.FindText(0)->Text().size(), 306u);
  EXPECT_EQ(back.Preserved(0), 65);
  EXPECT_EQ(back.Preserved(4), 69);
}

TEST_F(PkgStringsTest, OlderVersionsReadWithDefaults) {
  struct Case {
    uint16_t version;
    std::vector<int32_t> written;
    std::vector<int32_t> expected;
  } cases[] = {
      {2, {}, {2147483647, 2147483647, 2147483647, 2147483647, 0}},
      {3, {10, 20, 30, 40}, {10, 20, 30, 40, 0}},
      {4, {10, 20, 30, 40, 50}, {10, 20, 30, 40, 50}},
  };
  for (const Case& c : cases) {
    TKyPkgStrings pkg(nullptr);
    // Values left from an earlier load must not survive a read of an older file.
    for (int i = 0; i < 5; ++i) pkg.SetPreserved(i, -7);
    LoadBytes(pkg, StringsBytes(c.version, "old", {{1, "a", "b"}}, {{2, "m"}}, {{3, "t"}}, c.written));
    for (int i = 0; i < 5; ++i) EXPECT_EQ(pkg.Preserved(i), c.expected[static_cast<size_t>(i)]) << c.version;
    EXPECT_EQ(pkg.FindLabel(1)->Hint(), "b");
    EXPECT_EQ(pkg.FindText(3)->Text(), "t");
  }
}

TEST_F(PkgStringsTest, RefusesVersionFiveAndDamagedCounts) {
  TKyPkgStrings pkg(nullptr);
  EXPECT_EQ(Raised([&] { LoadBytes(pkg, StringsBytes(5, "", {}, {}, {}, {})); }),
            "Versión del fichero '" + pkg.FullFileName() + "' incorrecta. (PkgStrings).");
  // Counts that the data cannot hold are refused before anything is made;
  // a negative count holds nothing, as a loop up to it reads nothing.
  for (int32_t count : {-1, -2147483647, 1000000, 2147483647}) {
    pkg.AddLabel(1, "kept until the read");
    std::vector<uint8_t> bytes = StringsBytes(4, "d", {}, {}, {}, {1, 2, 3, 4, 5});
    TMemoryStream m(std::vector<uint8_t>(bytes.begin(), bytes.begin() + 34 + 3));  // header, description
    m.Seek(0, soEnd);
    {
      TKyWriter w(m);
      w.WriteInteger(count);
      w.WriteInteger(0);
      w.WriteInteger(0);
      for (int32_t preserved : {1, 2, 3, 4, 5}) w.WriteInteger(preserved);
    }
    m.SetPosition(0);
    std::string msg = Raised([&] { pkg.LoadFromStream(m); });
    if (count < 0) EXPECT_EQ(msg, "(nothing raised)") << count;
    else EXPECT_NE(msg.find("Damaged package"), std::string::npos) << count << ": " << msg;
    // Read like any package: cleared, then filled up to the failing point.
    EXPECT_EQ(pkg.Labels().Count(), 0);
  }
  // Cut short: the stream's own error.
  std::vector<uint8_t> bytes = StringsBytes(4, "d", {{1, "abc", ""}}, {}, {}, {1, 2, 3, 4, 5});
  bytes.resize(bytes.size() - 12);
  EXPECT_EQ(Raised([&] { LoadBytes(pkg, bytes); }), "Stream read error");
}

TEST_F(PkgStringsTest, SparseIndexList) {
  TKyPkgStrings pkg(nullptr);
  LoadBytes(pkg, StringsBytes(4, "", {{0, "zero", ""}, {1000, "thousand", ""}, {2, "two", ""}}, {}, {}, {1, 2, 3, 4, 5}));
  EXPECT_EQ(pkg.FindLabel(1000)->Caption(), "thousand");
  EXPECT_EQ(pkg.FindLabel(999), nullptr);
  EXPECT_EQ(pkg.FindLabel(1001), nullptr);
  EXPECT_EQ(pkg.FindLabel(-1), nullptr);
  // A huge id does not make the index list huge, and is still found.
  LoadBytes(pkg, StringsBytes(4, "", {{2147483647, "max", ""}, {-5, "negative", ""}}, {}, {}, {1, 2, 3, 4, 5}));
  EXPECT_EQ(pkg.FindLabel(2147483647)->Caption(), "max");
  EXPECT_EQ(pkg.FindLabel(-5), nullptr);
  EXPECT_EQ(pkg.Labels().Count(), 2);
}

TEST_F(PkgStringsTest, ReservedNamesAreRefused) {
  struct Case {
    bool onForm;
    std::string name;
    bool refused;
  } cases[] = {
      {true, "system", true}, {true, "SYSTEM", true}, {true, "User", true},
      {false, "System", false}, {false, "user", true}, {true, "Sistema", false},
  };
  for (const Case& c : cases) {
    auto* pkg = new TKyPkgStrings(c.onForm ? &form : nullptr);
    pkg->SetName("PsX");
    std::string msg = Raised([&] { pkg->SetPkgName(c.name); });
    if (c.refused) {
      EXPECT_EQ(msg, "(PsX) Nombre de Paquete incorrecto.") << c.name;
      EXPECT_EQ(pkg->PkgName(), "");
    } else {
      EXPECT_EQ(pkg->PkgName(), c.name);
    }
    delete pkg;
  }
}

TEST_F(PkgStringsTest, ReferencesResolveCaseInsensitivelyAndOnlyWhenLinked) {
  TKyMemoryLabel ref;
  ref.SetReference("IDIOMA", 6);
  EXPECT_TRUE(ref.IsLinked());
  EXPECT_EQ(ref.Caption(), "Next");
  // -1 with a package name: not linked, no default, empty.
  TKyMemoryLabel unlinked;
  unlinked.SetReference("Idioma", -1);
  EXPECT_FALSE(unlinked.IsLinked());
  EXPECT_EQ(unlinked.Caption(), "");
  // Created with a default and never assigned: the default's label.
  TKyMemoryLabel keyboard(nullptr, "System", 73);
  EXPECT_EQ(keyboard.Id(), -2);
  EXPECT_EQ(keyboard.Caption(), "Bloq Num");
  keyboard.SetId(-1);  // not linked, still the default
  EXPECT_FALSE(keyboard.IsLinked());
  EXPECT_EQ(keyboard.Caption(), "Bloq Num");
  TKyMemoryMessage msg;
  msg.SetReference("Idioma", 2);
  EXPECT_EQ(msg.Text(), "The group should be specified");
  TKyMemoryText missing;
  missing.SetReference("Nowhere", 0);
  EXPECT_EQ(missing.Text(), "");
}

TEST_F(PkgStringsTest, WithoutApplicationReferencesYieldNothing) {
  TKyMemoryLabel ref;
  ref.SetReference("Idioma", 6);
  UnregisterPkgApplication(&app);
  EXPECT_FALSE(ref.IsLinked());
  EXPECT_EQ(ref.Caption(), "");
  EXPECT_FALSE(ref.Resolved());
  RegisterPkgApplication(&app);
  EXPECT_EQ(ref.Caption(), "Next");
}

TEST_F(PkgStringsTest, ReferenceChangesNotifyOnlyOnRealChanges) {
  TTstCaptioned c("Idioma", 6);
  EXPECT_EQ(c.caption.Caption(), "Next");
  c.caption.SetPkgName("idioma");  // case only: no notification
  EXPECT_EQ(c.told, 0);
  EXPECT_EQ(c.caption.PkgName(), "idioma");
  c.caption.SetId(7);
  EXPECT_EQ(c.told, 1);
  EXPECT_EQ(c.caption.Caption(), "Previous");
  TKyMemoryLabel other;
  other.SetReference("IDIOMA", 7);
  c.caption.Assign(&other);  // same name ignoring case and same id
  EXPECT_EQ(c.told, 1);
  other.SetId(8);
  c.caption.Assign(&other);
  EXPECT_EQ(c.told, 2);
  EXPECT_EQ(c.caption.Caption(), "Close");
}

TEST_F(PkgStringsTest, SetActiveSwitchesEveryLinkedReferenceOnce) {
  TTstCaptioned next("Idioma", 6), prev("Idioma", 7), close("Idioma", 8), none("Idioma", 99);
  TTstCaptioned unlinked("Idioma", -1);
  for (auto* c : {&next, &prev, &close, &none, &unlinked}) c->caption.Caption();
  spanish->SetActive(true);
  EXPECT_TRUE(spanish->IsActive());
  EXPECT_EQ(next.caption.Caption(), "Siguiente");
  EXPECT_EQ(prev.caption.Caption(), "Anterior");
  EXPECT_EQ(close.caption.Caption(), "Cerrar");
  for (auto* c : {&next, &prev, &close}) {
    EXPECT_EQ(c->told, 1);
    EXPECT_EQ(c->repaints, 1);
  }
  // Found nothing before and after; not linked: not told.
  EXPECT_EQ(none.told, 0);
  EXPECT_EQ(unlinked.told, 0);
  // Activating the active one does nothing.
  spanish->SetActive(true);
  EXPECT_EQ(next.told, 1);
  // Deactivating the front one hands over to the next of the name.
  spanish->SetActive(false);
  EXPECT_EQ(next.caption.Caption(), "Next");
  EXPECT_EQ(next.told, 2);
  // The message service follows the active package.
  EXPECT_EQ(MessageText("Idioma", 2), "The group should be specified");
  spanish->SetActive(true);
  EXPECT_EQ(MessageText("Idioma", 2), "Debe especificar el grupo");
}

TEST_F(PkgStringsTest, TenChangesInOneBatchRepaintEachControlOnce) {
  TTstCaptioned a("Idioma", 6), b("Idioma", 7), c("Idioma", 8);
  for (auto* t : {&a, &b, &c}) t->caption.Caption();
  {
    TKyChangeBatch batch;
    for (int i = 0; i < 10; ++i) english->FindLabel(6 + i % 3)->SetCaption("v" + std::to_string(i));
    EXPECT_EQ(a.repaints, 0);
  }
  for (auto* t : {&a, &b, &c}) EXPECT_EQ(t->repaints, 1);
  EXPECT_EQ(a.caption.Caption(), "v9");
  EXPECT_EQ(b.caption.Caption(), "v7");
  EXPECT_EQ(c.caption.Caption(), "v8");
}

TEST_F(PkgStringsTest, EntriesAndPackagesGoingAwayLeaveNoDanglingCache) {
  TTstCaptioned a("Idioma", 6);
  EXPECT_EQ(a.caption.Caption(), "Next");
  english->DeleteEntry(english->FindLabel(6));
  EXPECT_EQ(a.caption.Caption(), "");
  EXPECT_EQ(a.told, 1);
  // A label that appears later is found by a reference that failed before.
  english->AddLabel(6, "Again");
  EXPECT_EQ(a.caption.Caption(), "Again");
  EXPECT_EQ(a.told, 2);
  // The active package freed: the other one of the name takes over.
  delete english;
  english = nullptr;
  EXPECT_EQ(a.caption.Caption(), "Siguiente");
  EXPECT_EQ(a.told, 3);
}

TEST_F(PkgStringsTest, RereadingAPackageRefreshesReferences) {
  TTstCaptioned a("Idioma", 6);
  a.caption.Caption();
  LoadBytes(*english, StringsBytes(4, "new", {{6, "Forward", ""}}, {}, {}, {1, 2, 3, 4, 5}));
  EXPECT_EQ(a.caption.Caption(), "Forward");
  EXPECT_EQ(a.told, 1);
  EXPECT_EQ(a.repaints, 1);
}

namespace {

class TTstCaptionHolder : public TComponent {
  KY_CLASS(TTstCaptionHolder, TComponent)
public:
  using TCreateArg = TComponent*;
  explicit TTstCaptionHolder(TComponent* owner)
      : TComponent(owner), captionId_(this), statusId_(this, "System", 73) {}
  static void Publish(TPublisher<TTstCaptionHolder>& p) {
    p.Property("CaptionId", &TTstCaptionHolder::CaptionId);
    p.Property("StatusId", &TTstCaptionHolder::StatusId);
  }
  TKyMemoryLabel* CaptionId() const { return const_cast<TKyMemoryLabel*>(&captionId_); }
  TKyMemoryLabel* StatusId() const { return const_cast<TKyMemoryLabel*>(&statusId_); }

private:
  TKyMemoryLabel captionId_;
  TKyMemoryLabel statusId_;
};

}  // namespace

TEST_F(PkgStringsTest, ReferencesStreamInForms) {
  RegisterClasses({&TTstCaptionHolder::StaticClass()});
  TComponent base(nullptr);
  base.SetName("FmBase");
  auto* h = new TTstCaptionHolder(&base);
  h->SetName("BtNext");
  h->CaptionId()->SetReference("Idioma", 6);
  auto* plain = new TTstCaptionHolder(&base);
  plain->SetName("BtPlain");
  plain->StatusId()->SetId(-1);  // an explicit -1 survives; the default -2 is not written
  std::string text = FormBinaryToText(WriteComponentBytes(&base));
  EXPECT_NE(text.find("object BtNext: TTstCaptionHolder\n    CaptionId.PkgName = 'Idioma'\n    CaptionId.Id = 6\n  end"),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("object BtPlain: TTstCaptionHolder\n    StatusId.Id = -1\n  end"), std::string::npos) << text;

  TComponent copy(nullptr);
  ReadComponentBytes(WriteComponentBytes(&base), &copy);
  auto* read = copy.Find<TTstCaptionHolder>("BtNext");
  EXPECT_EQ(read->CaptionId()->Caption(), "Next");
  EXPECT_EQ(read->StatusId()->Id(), -2);
  EXPECT_EQ(copy.Find<TTstCaptionHolder>("BtPlain")->StatusId()->Id(), -1);

  // With an ancestor only what differs; a letter-case change of the name counts.
  read->CaptionId()->SetPkgName("IDIOMA");
  std::string derived = FormBinaryToText(WriteComponentBytes(&copy, &base));
  EXPECT_NE(derived.find("inherited BtNext: TTstCaptionHolder\n    CaptionId.PkgName = 'IDIOMA'\n  end"),
            std::string::npos)
      << derived;
}

TEST_F(PkgStringsTest, MessagesComeFromTheStringsPackagesBeforeTheFallback) {
  TMessageLookup previous = SetMessageLookup([](const std::string& pkg, int id) -> std::optional<std::string> {
    if (pkg == "Other" && id == 1) return "from the fallback";
    if (pkg == "Idioma") return "never asked while a package of the name exists";
    return std::nullopt;
  });
  EXPECT_EQ(MessageText("Other", 1), "from the fallback");
  EXPECT_EQ(MessageText("Idioma", 2), "The group should be specified");
  EXPECT_EQ(MessageText("Idioma", 55), "Message Unknown (Idioma) (55)");
  EXPECT_EQ(Raised([] { RaiseMessage("EdX", "System", 90); }), "(EdX) Message Unknown (System) (90).");
  SetMessageLookup(previous);
}

TEST_F(PkgStringsTest, ALaterLabelOfAnIdTakesItOverForLinkedReferences) {
  auto* pkg = new TKyPkgStrings(&form);
  pkg->SetPkgName("Captions");
  pkg->AddLabel(5, "Old");
  TTstCaptioned control("Captions", 5);
  EXPECT_EQ(control.caption.Caption(), "Old");
  control.told = 0;
  TKyPkgStringsLabel* later = pkg->AddLabel(5, "New");
  EXPECT_EQ(control.caption.Caption(), "New");
  EXPECT_EQ(control.told, 1);
  // Renumbering it away gives the id back to the first.
  later->SetId(6);
  EXPECT_EQ(control.caption.Caption(), "Old");
  EXPECT_EQ(control.told, 2);
}
