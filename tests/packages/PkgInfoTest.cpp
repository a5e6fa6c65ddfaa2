// The package base: header, InitMode and FileName rules, files, the "Data"
// property in forms, the change batch, the configuration lock and the name
// lookup. Exercised through the strings kind, the simplest one.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "PkgTestSupport.h"
#include "platform/base/Exception.h"
#include "platform/classes/FormStream.h"
#include "platform/base/FileNames.h"
#include "platform/os/ProgramInfo.h"
#include "platform/classes/TextForm.h"
#include "support/TempDir.h"

using namespace ky_test;

namespace {

// A kind that lives only in files, as the access records do.
class TTstFilePkg : public TKyPkgStrings {
  KY_CLASS(TTstFilePkg, TKyPkgStrings)
public:
  using TCreateArg = TComponent*;
  explicit TTstFilePkg(TComponent* owner) : TKyPkgStrings(owner) { SetFileOnly(true); }
};

class PkgInfoTest : public ::testing::Test {
protected:
  void SetUp() override {
    RegisterPackageClasses();
    RegisterClasses({&TTstFilePkg::StaticClass()});
  }
  TTstApplication app;  // the System messages come from the real package
  // Short stand-ins for the System messages, to see which one is raised.
  void SetUpSystem() {
    LoadBytes(*app.system, StringsBytes(4, "", {},
                                        {{46, "Ident '%s' (PkgStrings)"}, {47, "Version '%s'."}, {3, "No name."}},
                                        {}, {1, 2, 3, 4, 0}));
  }
};

}  // namespace

TEST(PkgHeaderTest, LayoutIsThirtyFourBytes) {
  TMemoryStream m;
  {
    TKyWriter w(m);
    WritePkgHeader(w, "KyPkgStrings", 4);
  }
  const auto& b = m.Data();
  ASSERT_EQ(b.size(), 34u);
  EXPECT_EQ(b[0], 23);
  EXPECT_EQ(std::string(b.begin() + 1, b.begin() + 24), std::string("\x01" "123456789" "\x01" "KyPkgStrings"));
  EXPECT_EQ(b[32], 4);
  EXPECT_EQ(b[33], 0);
  TMemoryStream in(b);
  TKyReader r(in);
  TKyPkgHeader h = ReadPkgHeader(r);
  EXPECT_EQ(h.ClassWord(), "KyPkgStrings");
  EXPECT_EQ(h.Version, 4);
}

TEST(PkgHeaderTest, DamagedLengthStaysInsideTheHeader) {
  std::vector<uint8_t> b(34, 'A');
  b[0] = 255;
  b[32] = 7;
  b[33] = 1;
  TMemoryStream in(b);
  TKyReader r(in);
  TKyPkgHeader h = ReadPkgHeader(r);
  EXPECT_EQ(h.Signature.size(), 31u);
  EXPECT_EQ(h.Version, 0x107);
  EXPECT_EQ(h.ClassWord(), "");
}

TEST_F(PkgInfoTest, HeaderRefusalsUseTheKindsMessagesAndIgnoreCase) {
  SetUpSystem();
  TKyPkgStrings pkg(nullptr);
  // Letter case of the signature does not matter.
  LoadBytes(pkg, StringsBytes(4, "ok", {}, {}, {}, {1, 2, 3, 4, 5}, "KYPKGSTRINGS"));
  EXPECT_EQ(pkg.Description(), "ok");
  pkg.SetName("PsTest");
  std::string name = pkg.FullFileName();
  EXPECT_EQ(Raised([&] { LoadBytes(pkg, StringsBytes(4, "", {}, {}, {}, {}, "KyPkgStringz")); }),
            "(PsTest) Ident '" + name + "' (PkgStrings).");
  EXPECT_EQ(Raised([&] { LoadBytes(pkg, StringsBytes(5, "", {}, {}, {}, {})); }), "(PsTest) Version '" + name + "'.");
}

TEST_F(PkgInfoTest, InitModeAndFileNameRules) {
  TComponent form(nullptr);
  auto* pkg = new TKyPkgStrings(&form);
  EXPECT_EQ(pkg->InitMode(), rimDFM);
  // Embedded content has no file name at run time.
  pkg->SetFileName("Other");
  EXPECT_EQ(pkg->FileName(), "");

  TempDir dir;
  app.path = dir.Path() + "\\";
  TKyPkgStrings source(nullptr);
  source.AddLabel(1, "one");
  source.SaveToFile(dir / "Texts.pst");

  pkg->SetInitMode(rimFILE);
  pkg->SetFileName("Texts");  // reloads from the package folder
  EXPECT_EQ(pkg->FileName(), "Texts");
  ASSERT_NE(pkg->FindLabel(1), nullptr);
  EXPECT_FALSE(pkg->Modified());
  // Back to embedded: the file name goes.
  pkg->SetInitMode(rimDFM);
  EXPECT_EQ(pkg->FileName(), "");

  pkg->SetInitMode(rimFILE);
  pkg->SetName("PsTexts");
  EXPECT_EQ(Raised([&] { pkg->SetFileName("Missing"); }),
            "File '" + dir.Path() + "\\Missing.pst' not found.");

  // File-only packages are always rimFILE.
  TKyPkgStrings fileOnly(nullptr);
  fileOnly.SetFileOnly(true);
  fileOnly.SetInitMode(rimDFM);
  EXPECT_EQ(fileOnly.InitMode(), rimFILE);
}

TEST_F(PkgInfoTest, FullFileNameAddsTheDefaultExtensionOnlyWhenMissing) {
  TKyPkgStrings pkg(nullptr);
  pkg.SetInitMode(rimFILE);
  std::string programFolder = ExtractFilePath(ProgramFileName());
  struct Case {
    std::string path, fileName, defaultExt, expected;
  } cases[] = {
      {"", "Setup", "stp", programFolder + "Setup.stp"},
      {"", "Setup", ".stp", programFolder + "Setup.stp"},
      {"", "Setup.dat", "stp", programFolder + "Setup.dat"},
      {"C:\\Pkgs\\", "Texts", "", "C:\\Pkgs\\Texts"},
      // The application's path is put in front as given.
      {"C:\\Pkgs", "Texts", "pst", "C:\\PkgsTexts.pst"},
  };
  for (const Case& c : cases) {
    app.path = c.path;
    pkg.SetDefaultExt(c.defaultExt);
    // Assigning the name reloads; a missing file is fine to test the name only.
    try {
      pkg.SetFileName(c.fileName);
    } catch (const Exception&) {
    }
    EXPECT_EQ(pkg.FullFileName(), c.expected) << c.path << " " << c.fileName;
  }
}

TEST_F(PkgInfoTest, SaveAndLoadFilesAndRefuseEmptyNames) {
  SetUpSystem();
  TempDir dir;
  TKyPkgStrings pkg(nullptr);
  pkg.SetName("PsOne");
  pkg.AddMessage(4, "four");
  EXPECT_TRUE(pkg.Modified());
  pkg.SaveToFile(dir / "a.pst");
  EXPECT_FALSE(pkg.Modified());
  EXPECT_EQ(pkg.CurrentFile(), "");
  TKyPkgStrings back(nullptr);
  back.LoadFromFile(dir / "a.pst");
  ASSERT_NE(back.FindMessage(4), nullptr);
  EXPECT_EQ(back.FindMessage(4)->Text(), "four");
  EXPECT_GT(back.FileDate().Value, 36526.0);  // after 2000
  EXPECT_EQ(Raised([&] { pkg.SaveToFile(" \t"); }), "(PsOne) No name.");
  EXPECT_EQ(Raised([&] { pkg.LoadFromFile(""); }), "(PsOne) No name.");
  // A refused file names itself in the message.
  std::string bad = dir.WriteFile("bad.pst", std::string(40, 'x'));
  EXPECT_EQ(Raised([&] { back.LoadFromFile(bad); }), "Ident '" + bad + "' (PkgStrings).");
}

TEST_F(PkgInfoTest, ChangeBatchFlushesOnceAtTheOutermostEnd) {
  TKyChangeLink a, b;
  int na = 0, nb = 0;
  a.OnChanged = [&] { ++na; };
  b.OnChanged = [&] { ++nb; };
  a.Change();  // outside a batch: at once
  EXPECT_EQ(na, 1);
  BeginChangeBatch();
  BeginChangeBatch();
  for (int i = 0; i < 10; ++i) a.Change();
  b.Change();
  EndChangeBatch();
  EXPECT_EQ(na, 1);
  EndChangeBatch();
  EXPECT_EQ(na, 2);
  EXPECT_EQ(nb, 1);
  EXPECT_FALSE(a.Pending());
  // An unbalanced End does not go below zero.
  EndChangeBatch();
  EXPECT_EQ(ChangeBatchDepth(), 0);
  // A link freed while pending is not called, and one freed by a
  // notification during the flush is skipped safely.
  auto* c = new TKyChangeLink;
  auto* d = new TKyChangeLink;
  int nd = 0;
  c->OnChanged = [&] { delete d; d = nullptr; };
  d->OnChanged = [&] { ++nd; };
  {
    TKyChangeBatch batch;
    c->Change();
    d->Change();
  }
  EXPECT_EQ(nd, 0);
  delete c;
}

TEST(PkgLockTest, RecursiveLockAndTryLock) {
  EXPECT_TRUE(TryLockConfig());
  UnlockConfig();
  LockConfig();
  LockConfig();  // recursive
  // Held (even by this thread): TryLockConfig does not take it.
  EXPECT_FALSE(TryLockConfig());
  std::atomic<bool> other{true};
  std::thread t([&] { other = TryLockConfig(); });
  t.join();
  EXPECT_FALSE(other);
  UnlockConfig();
  UnlockConfig();
  std::thread t2([&] {
    other = TryLockConfig();
    if (other) UnlockConfig();
  });
  t2.join();
  EXPECT_TRUE(other);
}

TEST_F(PkgInfoTest, NameLookupReservedNamesFormsOnlyAndMoveToFront) {
  TComponent form(nullptr);
  auto* first = new TKyPkgStrings(&form);
  first->SetPkgName("Idioma");
  auto* second = new TKyPkgStrings(&form);
  second->SetPkgName("IDIOMA");
  TKyPkgStrings loose(nullptr);  // not on a form: never found by name
  loose.SetPkgName("Loose");

  EXPECT_EQ(FindStringsPackage("system"), app.system);
  EXPECT_EQ(FindStringsPackage("USER"), app.user);
  EXPECT_EQ(FindStringsPackage("  "), nullptr);
  EXPECT_EQ(FindStringsPackage("Loose"), nullptr);
  EXPECT_EQ(FindStringsPackage("idioma"), first);
  // The one moved to the front is found first from then on.
  TKyPkgStrings::List().MoveToFront(second);
  EXPECT_EQ(FindStringsPackage("Idioma"), second);
  EXPECT_EQ(TKyPkgStrings::List().Items().front(), second);
  // A lookup moves what it finds to the front.
  auto* other = new TKyPkgStrings(&form);
  other->SetPkgName("Other");
  ASSERT_NE(TKyPkgStrings::List().Items().front(), other);
  EXPECT_EQ(FindStringsPackage("other"), other);
  EXPECT_EQ(TKyPkgStrings::List().Items().front(), other);
  EXPECT_EQ(FindStringsPackage("Idioma"), second);
  EXPECT_EQ(TKyPkgStrings::List().Items().front(), second);
}

TEST_F(PkgInfoTest, DataInAFormWithoutAndWithAncestor) {
  TComponent base(nullptr);
  base.SetName("FmBase");
  auto* pkg = new TKyPkgStrings(&base);
  pkg->SetName("PsIdioma");
  pkg->SetPkgName("Idioma");
  pkg->AddLabel(6, "Next");
  auto* file = new TTstFilePkg(&base);
  file->SetName("PsFile");
  std::vector<uint8_t> bytes = WriteComponentBytes(&base);
  std::string text = FormBinaryToText(bytes);
  // Embedded: the package blob; file-only: no InitMode, an empty blob.
  EXPECT_NE(text.find("object PsIdioma: TKyPkgStrings\n    PkgName = 'Idioma'\n    Data = {"), std::string::npos) << text;
  EXPECT_NE(text.find("object PsFile: TTstFilePkg\n    Data = {}\n  end"), std::string::npos) << text;

  TComponent copy(nullptr);
  ReadComponentBytes(bytes, &copy);
  auto* read = copy.Find<TKyPkgStrings>("PsIdioma");
  ASSERT_NE(read, nullptr);
  ASSERT_NE(read->FindLabel(6), nullptr);
  EXPECT_EQ(read->FindLabel(6)->Caption(), "Next");
  EXPECT_FALSE(read->Modified());
  EXPECT_EQ(copy.Find<TKyPkgStrings>("PsFile")->InitMode(), rimFILE);

  // An empty blob in an embedded package means nothing embedded: the form
  // still reads, the package stays empty.
  TComponent loose(nullptr);
  auto* empty = new TKyPkgStrings(&loose);
  empty->SetName("PsEmpty");
  std::string emptyText = FormBinaryToText(WriteComponentBytes(&loose));
  size_t at = emptyText.find("Data = {");
  ASSERT_NE(at, std::string::npos);
  emptyText.replace(at, emptyText.find('}', at) - at + 1, "Data = {}");
  TComponent emptyCopy(nullptr);
  ReadComponentBytes(FormTextToBinary(emptyText), &emptyCopy);
  EXPECT_EQ(emptyCopy.Find<TKyPkgStrings>("PsEmpty")->Labels().Count(), 0);

  // A descendant writes an embedded blob only when its package differs (a
  // file-only package's empty blob is always written).
  std::string same = FormBinaryToText(WriteComponentBytes(&copy, &base));
  EXPECT_NE(same.find("inherited PsIdioma: TKyPkgStrings\n  end"), std::string::npos) << same;
  read->FindLabel(6)->SetCaption("Siguiente");
  std::string differs = FormBinaryToText(WriteComponentBytes(&copy, &base));
  EXPECT_NE(differs.find("inherited PsIdioma: TKyPkgStrings\n    Data = {"), std::string::npos) << differs;

  // A mode that differs from the ancestor's is written; in rimFILE the blob is empty.
  copy.Find<TKyPkgStrings>("PsIdioma")->SetInitMode(rimFILE);
  std::string mode = FormBinaryToText(WriteComponentBytes(&copy, &base));
  EXPECT_NE(mode.find("InitMode = rimFILE\n    Data = {}"), std::string::npos) << mode;
}
