// The application setup package: its keys and their defaults, the body
// format, the file names that belong to the application's packages, and the
// refusals.
#include <gtest/gtest.h>

#include "DisplayTestSupport.h"
#include "packages/CApplication.h"
#include "packages/PkgSetup.h"
#include "platform/classes/FormStream.h"
#include "platform/classes/TextForm.h"
#include "support/TempDir.h"

using namespace ky_test;

namespace {

struct TKeyCase {
  TKySetupKey key;
  TShortCut value;
};

// The defaults as numbers: F-keys are 0x70 + n, Ctrl is 0x4000.
const TKeyCase kDefaults[] = {
    {skRelation, 117},   {skMaint, 118},    {skCalculator, 119}, {skCalendar, 119}, {skCustom1, 0},
    {skCustom2, 0},      {skInsert, 16429}, {skPost, 16397},     {skEdit, 113},     {skDelete, 16430},
    {skRefresh, 116},    {skFirst, 16420},  {skLast, 16419},     {skNext, 16418},   {skPrior, 16417},
};

// The installer's embedded package: defaults, Enter as Tab, variables
// file "Setup".
TKyPkgSetup& MakeInstallerSetup(TKyPkgSetup& setup) {
  setup.Keys()->SetEnterAsTab(true);
  setup.SetVarsFileName("Setup");
  return setup;
}

}  // namespace

TEST(PkgSetupKeys, DefaultsComeFromTheShortcutTexts) {
  TKyPkgSetup setup(nullptr);
  for (const auto& c : kDefaults) EXPECT_EQ(setup.Keys()->Key(c.key), c.value) << int(c.key);
  EXPECT_TRUE(setup.Keys()->InsertMode());
  EXPECT_FALSE(setup.Keys()->EnterAsTab());
}

TEST(PkgSetupKeys, MatchingNeedsTheSameKeyAndModifiers) {
  struct TCase {
    TShortCut shortCut;
    uint16_t key;
    bool shift, ctrl, alt, matches;
  };
  const TCase cases[] = {
      {119, 119, false, false, false, true},      // F8
      {119, 119, true, false, false, false},      // Shift+F8 is another key
      {16397, 13, false, true, false, true},      // Ctrl+Enter
      {16397, 13, false, false, false, false},    // plain Enter
      {16397, 13, false, true, true, false},      // Ctrl+Alt+Enter
      {0x8000 | 'X', 'X', false, false, true, true},
      {0, 0, false, false, false, false},         // none never fires
  };
  for (const auto& c : cases)
    EXPECT_EQ(ShortCutMatches(c.shortCut, c.key, c.shift, c.ctrl, c.alt), c.matches) << c.shortCut << " " << c.key;
}

TEST(PkgSetup, InstallerPackageIs86BytesInBodyOrder) {
  TKyPkgSetup setup(nullptr);
  std::vector<uint8_t> bytes = MakeInstallerSetup(setup).SaveToBytes();
  EXPECT_EQ(bytes.size(), 86u);

  // Walk the body by hand: the keys come in file order, not declared order.
  TMemoryStream m(bytes);
  TKyReader r(m);
  TKyPkgHeader h = ReadPkgHeader(r);
  EXPECT_EQ(h.ClassWord(), "KyPkgSetup");
  EXPECT_EQ(h.Version, 1);
  EXPECT_EQ(r.ReadString(), "");
  EXPECT_TRUE(r.ReadBoolean());
  EXPECT_TRUE(r.ReadBoolean());
  const int32_t expected[] = {119, 119, 0, 0, 118, 117, 16429, 113, 16397, 16430, 116, 16420, 16419, 16417, 16418};
  for (int32_t v : expected) EXPECT_EQ(r.ReadInteger(), v);
  EXPECT_EQ(r.ReadString(), "");
  EXPECT_EQ(r.ReadString(), "");
  EXPECT_EQ(r.ReadString(), "Setup");
}

TEST(PkgSetup, RoundTripKeepsEveryKeyAltKeysIncluded) {
  TKyPkgSetup setup(nullptr);
  setup.SetDescription("Keys for the clerks");
  setup.Keys()->SetInsertMode(false);
  setup.Keys()->SetKey(skCustom1, TextToShortCut("Alt+F9"));  // above 32767: must not come back negative
  setup.Keys()->SetKey(skNext, TextToShortCut("Shift+Ctrl+Alt+Down"));
  setup.SetLanguageFileName("Spanish");
  setup.SetDisplayFileName("standard");
  setup.SetVarsFileName("Setup");
  std::vector<uint8_t> bytes = setup.SaveToBytes();

  TKyPkgSetup copy(nullptr);
  LoadBytes(copy, bytes);
  EXPECT_EQ(copy.Description(), "Keys for the clerks");
  EXPECT_FALSE(copy.Keys()->InsertMode());
  for (int k = 0; k < kSetupKeyCount; ++k)
    EXPECT_EQ(copy.Keys()->Key(TKySetupKey(k)), setup.Keys()->Key(TKySetupKey(k))) << k;
  EXPECT_EQ(copy.Keys()->Key(skCustom1), 0x8000 | 0x78);
  EXPECT_EQ(copy.LanguageFileName(), "Spanish");
  EXPECT_EQ(copy.DisplayFileName(), "standard");
  EXPECT_EQ(copy.VarsFileName(), "Setup");
  EXPECT_EQ(copy.SaveToBytes(), bytes);
}

TEST(PkgSetup, RefusedWithTheSetupMessages) {
  TTstDisplayApp app;
  TKyPkgSetup setup(nullptr);
  setup.Keys()->SetInsertMode(false);
  std::vector<uint8_t> good = TKyPkgSetup(nullptr).SaveToBytes();

  std::vector<uint8_t> wrong = good;
  wrong[11] = 'X';  // the signature's second marker
  EXPECT_EQ(Raised([&] { LoadBytes(setup, wrong); }),
            "Identificaci\xF3n del fichero '" + setup.FullFileName() + "' incorrecta. (Configuraciones Generales).");
  std::vector<uint8_t> newer = good;
  newer[32] = 2;
  EXPECT_EQ(Raised([&] { LoadBytes(setup, newer); }),
            "Versi\xF3n del fichero '" + setup.FullFileName() + "' incorrecta. (Configuraciones Generales).");
  // A refused file changes nothing.
  EXPECT_FALSE(setup.Keys()->InsertMode());
}

TEST(PkgSetup, KeysAreStreamedByNameInForms) {
  RegisterApplicationClasses();
  TComponent form(nullptr);
  form.SetName("FmKeys");
  auto* setup = new TKyPkgSetup(&form);
  setup->SetName("PsSetup");
  setup->Keys()->SetKey(skCustom1, 112);
  setup->Keys()->SetEnterAsTab(true);
  std::string text = FormBinaryToText(WriteComponentBytes(&form));
  // Only what differs from the defaults.
  EXPECT_NE(text.find("Keys.EnterAsTab = True\n    Keys.KeyCustom1 = 112\n"), std::string::npos) << text;
  EXPECT_EQ(text.find("KeyRelation"), std::string::npos) << text;

  TComponent copy(nullptr);
  ReadComponentBytes(FormTextToBinary(text), &copy);
  auto* read = copy.Find<TKyPkgSetup>("PsSetup");
  ASSERT_NE(read, nullptr);
  EXPECT_EQ(read->Keys()->Key(skCustom1), 112);
  EXPECT_TRUE(read->Keys()->EnterAsTab());
}

TEST(PkgSetup, FileNamesBelongToTheApplicationsPackages) {
  TempDir dir;
  TKyCApplication app(nullptr);
  app.SetPath(dir.Path() + "\\");
  app.SetPathPkgVars(dir.Path() + "\\vars\\");
  TKyPkgSetup& setup = *app.PkgSetup();
  int changes = 0;
  setup.OnChange = [&](TObject*) { ++changes; };

  // A variables file "Setup" in the variables folder, with the default extension.
  CreateDirectoryA((dir / "vars").c_str(), nullptr);
  TKyPkgVars vars(nullptr);
  vars.WriteInteger("Wizard\\Page", 3);
  vars.SaveToFile(dir / "vars\\Setup.pva");

  // Embedded packages ignore a name outside loading; a file package takes
  // it and reads its file at once.
  app.PkgVars()->SetInitMode(rimFILE);
  TKyPkgSetup source(nullptr);
  source.SetVarsFileName("Setup");
  source.SetDisplayFileName("standard");
  LoadBytes(setup, source.SaveToBytes());
  EXPECT_EQ(app.PkgVars()->FileName(), "Setup");
  EXPECT_EQ(setup.VarsFileName(), "Setup");
  EXPECT_EQ(app.PkgVars()->ReadInteger("Wizard\\Page", 0), 3);
  EXPECT_EQ(app.PkgDisplay()->FileName(), "");
  EXPECT_EQ(setup.DisplayFileName(), "");
  EXPECT_EQ(changes, 1);

  // Assigned through the setup package: the same rules, one change each.
  app.PkgLanguage()->SetInitMode(rimFILE);
  EXPECT_EQ(Raised([&] { setup.SetLanguageFileName("Spanish"); }),
            "File '" + dir.Path() + "\\Spanish.lan' not found.");
  EXPECT_EQ(setup.LanguageFileName(), "Spanish");
  setup.SetVarsFileName("Setup");  // unchanged name: no reload, still a change
  EXPECT_EQ(changes, 2);

  // A setup package of anything else keeps the names itself.
  TKyPkgSetup loose(nullptr);
  loose.SetLanguageFileName("French");
  EXPECT_EQ(loose.LanguageFileName(), "French");
  EXPECT_EQ(app.PkgLanguage()->FileName(), "Spanish");
}

TEST(PkgSetup, ReadingRenewsEveryReferenceOnce) {
  TTstDisplayApp app;
  TTstCaptioned control("System", 75);
  ASSERT_NE(control.caption.Resolve(), nullptr);
  control.told = 0;
  TKyPkgSetup setup(nullptr);
  LoadBytes(setup, TKyPkgSetup(nullptr).SaveToBytes());
  EXPECT_EQ(control.told, 1);
  EXPECT_EQ(control.repaints, 1);
}
