// The application configuration: its owned packages and their reserved
// names, the list of configurations and the active one, the form stream
// with the embedded packages, the start-up load, the dialog configuration
// objects and the scaling of fonts.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include "DisplayTestSupport.h"
#include "packages/CApplication.h"
#include "packages/MessageService.h"
#include "platform/classes/FormStream.h"
#include "platform/os/LocaleInfo.h"
#include "platform/classes/TextForm.h"
#include "support/TempDir.h"

using namespace ky_test;

namespace {

class CApplicationTest : public ::testing::Test {
protected:
  void SetUp() override {
    RegisterApplicationClasses();
    savedFont_ = LibraryDefaultFont();
  }
  void TearDown() override { LibraryDefaultFont() = savedFont_; }

private:
  TKyFontData savedFont_;
};

// A form like the installer's main form: the application configuration
// with embedded setup, language, display and privileges packages and a
// variables package kept in a file.
struct TTstMainForm {
  TComponent form{nullptr};
  TKyCApplication* app;
  explicit TTstMainForm(const std::string& varsPath = "") {
    form.SetName("FrMain");
    app = new TKyCApplication(&form);
    app->SetName("CApplication");
    app->SetPathPkgVars(varsPath);
    app->PkgVars()->SetInitMode(rimFILE);
    app->PkgSetup()->Keys()->SetEnterAsTab(true);
    // Named as while the form loads: a rimFILE package named outside
    // loading reads its file at once.
    WithPkgLoading(*app->PkgVars(), [this] { app->PkgSetup()->SetVarsFileName("Setup"); });
    TKyPkgStrings& system = app->PkgLanguage()->SystemStrings();
    system.AddLabel(75, "INS");
    system.AddMessage(13, "Ya existe un objecto 'TKyCApplication' en la Forma.");
    app->PkgDisplay()->AddFont("sf6");
    app->PkgDisplay()->AddBackGround("sb12");
    app->Privileges()->AddItem(0, "prueba", 1);
    app->CfgMessages()->SetBackGround()->SetName("sb12");
    app->CfgMessages()->Buttons()->SetFont()->SetName("sf6");
  }
};

}  // namespace

TEST_F(CApplicationTest, OwnsItsPackagesUnderTheReservedNames) {
  EXPECT_EQ(FirstApplication(), nullptr);
  TKyCApplication first(nullptr);
  TKyCApplication second(nullptr);
  ASSERT_EQ(Applications().size(), 2u);
  EXPECT_EQ(FirstApplication(), &first);
  EXPECT_EQ(FirstPkgApplication(), &first);

  // "System" and "User" reach the first configuration's packages only.
  EXPECT_EQ(FindStringsPackage("System"), &first.PkgLanguage()->SystemStrings());
  EXPECT_EQ(FindStringsPackage("user"), &first.PkgLanguage()->UserStrings());
  EXPECT_EQ(FindImagesPackage("System"), &first.PkgDisplay()->SystemImages());
  EXPECT_EQ(FindImagesPackage("User"), &first.PkgDisplay()->UserImages());
  EXPECT_EQ(FindVarsPackage("User"), first.PkgVars());
  EXPECT_EQ(FindVarsPackage("System"), nullptr);
  EXPECT_EQ(ActiveDisplayPackage(), first.PkgDisplay());
  EXPECT_EQ(first.PkgVars()->PkgName(), "User");
  EXPECT_EQ(first.PkgDisplay()->SystemImages().PkgName(), "System");
  // The list lookup of a reserved name goes to the first configuration too.
  EXPECT_EQ(TKyPkgStrings::List().Find("System"), &first.PkgLanguage()->SystemStrings());

  // Defaults.
  EXPECT_FALSE(first.Scaled());
  EXPECT_TRUE(first.HandleExceptions());
  EXPECT_TRUE(first.RegisterVars());
  EXPECT_EQ(first.MinTimeLoad(), 0);
  EXPECT_EQ(first.DesignPixelsPerInch(), ScreenPixelsPerInch());
  EXPECT_FALSE(first.Icon()->IsLinked());
}

TEST_F(CApplicationTest, FormStreamEmbedsThePackagesInOrder) {
  TTstMainForm main;
  std::vector<uint8_t> bytes = WriteComponentBytes(&main.form);
  std::string text = FormBinaryToText(bytes);
  const char* order[] = {"Scaled = False",       "CfgMessages.SetBackGround.Name = 'sb12'",
                         "CfgMessages.Buttons.SetFont.Name = 'sf6'", "PixelsPerInch = ",
                         "DefaultTextHeight = ", "PkgVarsInitMode = rimFILE",
                         "PkgSetupData = {",     "PkgLanguageData = {",
                         "PkgDisplayData = {",   "PkgVarsData = {}",
                         "PrivilegesData = {"};
  size_t at = 0;
  for (const char* item : order) {
    size_t found = text.find(item, at);
    ASSERT_NE(found, std::string::npos) << item << "\n" << text;
    at = found;
  }
  // Defaults are not written; the run-time flag never is.
  for (const char* absent : {"Admin", "HandleExceptions", "RegisterVars", "PkgSetupInitMode", "PkgSetupFileName",
                             "MinTimeLoad"})
    EXPECT_EQ(text.find(absent), std::string::npos) << absent;

  std::vector<uint8_t> setup = main.app->PkgSetup()->SaveToBytes();
  std::vector<uint8_t> privileges = main.app->Privileges()->SaveToBytes();
  EXPECT_EQ(setup.size(), 86u);
  EXPECT_EQ(privileges.size(), 54u);

  TComponent copy(nullptr);
  ReadComponentBytes(bytes, &copy);
  auto* read = copy.Find<TKyCApplication>("CApplication");
  ASSERT_NE(read, nullptr);
  EXPECT_EQ(read->PkgSetup()->SaveToBytes(), setup);
  EXPECT_EQ(read->Privileges()->SaveToBytes(), privileges);
  EXPECT_EQ(read->PkgLanguage()->SaveToBytes(), main.app->PkgLanguage()->SaveToBytes());
  EXPECT_EQ(read->PkgDisplay()->SaveToBytes(), main.app->PkgDisplay()->SaveToBytes());
  EXPECT_EQ(read->PkgVars()->InitMode(), rimFILE);
  // The setup package named the variables file while the form loaded.
  EXPECT_EQ(read->PkgVars()->FileName(), "Setup");
  EXPECT_EQ(read->CfgMessages()->SetBackGround()->Name(), "sb12");
  EXPECT_EQ(read->CfgMessages()->Buttons()->SetFont()->Name(), "sf6");
  EXPECT_FALSE(read->PkgSetup()->Modified());
  EXPECT_FALSE(read->PkgLanguage()->Modified());
}

// The owned packages are published: a form text sets their properties,
// and writing the form back keeps them, nested under the package.
TEST_F(CApplicationTest, AFormTextReachesThePropertiesOfTheOwnedPackages) {
  struct Case {
    const char* line;
    std::function<bool(TKyCApplication&)> holds;
  };
  const Case cases[] = {
      {"PkgSetup.Keys.EnterAsTab = True", [](TKyCApplication& a) { return a.PkgSetup()->Keys()->EnterAsTab(); }},
      {"PkgSetup.Keys.KeyCustom1 = 8304",
       [](TKyCApplication& a) { return a.PkgSetup()->Keys()->Key(skCustom1) == 8304; }},
      {"PkgDisplay.DefaultExt = 'dsx'", [](TKyCApplication& a) { return a.PkgDisplay()->DefaultExt() == "dsx"; }},
      {"PkgLanguage.Tag = 7", [](TKyCApplication& a) { return a.PkgLanguage()->Tag() == 7; }},
      {"PkgVars.DefaultExt = 'lay'", [](TKyCApplication& a) { return a.PkgVars()->DefaultExt() == "lay"; }},
      {"Privileges.Key = 'K-2'", [](TKyCApplication& a) { return a.Privileges()->Key() == "K-2"; }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    std::string text = std::string("object FrMain: TComponent\n  object CApplication: TKyCApplication\n") +
                       "    Scaled = False\n    " + c.line + "\n  end\nend\n";
    TComponent form(nullptr);
    ReadComponentBytes(FormTextToBinary(text), &form);
    auto* app = form.Find<TKyCApplication>("CApplication");
    ASSERT_NE(app, nullptr);
    EXPECT_TRUE(c.holds(*app));

    std::string written = FormBinaryToText(WriteComponentBytes(&form));
    EXPECT_NE(written.find(std::string("\n    ") + c.line + "\n"), std::string::npos) << written;
    // The packages' own parts stay with the configuration's names.
    for (const char* absent : {"PkgVars.PkgName", ".Data", ".InitMode", "object PkgSetup"})
      EXPECT_EQ(written.find(absent), std::string::npos) << absent << "\n" << written;
    TComponent again(nullptr);
    ReadComponentBytes(FormTextToBinary(written), &again);
    EXPECT_TRUE(c.holds(*again.Find<TKyCApplication>("CApplication")));
  }
}

TEST_F(CApplicationTest, StartUpReadsTheVariablesFileOnlyWhenPresent) {
  TempDir dir;
  std::vector<uint8_t> bytes;
  {
    TTstMainForm main(dir.Path() + "\\");
    bytes = WriteComponentBytes(&main.form);
  }
  // Missing: the form loads and the package starts empty.
  {
    TComponent copy(nullptr);
    ReadComponentBytes(bytes, &copy);
    auto* read = copy.Find<TKyCApplication>("CApplication");
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(read->PkgVars()->Root()->Count(), 0);
  }
  // Present: read at start-up, found through "User".
  TKyPkgVars vars(nullptr);
  vars.WriteString("Install\\Folder", "C:\\Ky");
  vars.SaveToFile(dir / "Setup.pva");
  TComponent copy(nullptr);
  ReadComponentBytes(bytes, &copy);
  auto* read = copy.Find<TKyCApplication>("CApplication");
  EXPECT_EQ(read->ReadVarString("Install\\Folder", ""), "C:\\Ky");
  EXPECT_EQ(FindVarsPackage("User")->ReadString("Install\\Folder", ""), "C:\\Ky");
  read->WriteVarInteger("Install\\Count", 2);
  EXPECT_EQ(read->ReadVarInteger("Install\\Count", 0), 2);
  EXPECT_TRUE(read->DeleteVar("Install"));
  EXPECT_EQ(read->ReadVarInteger("Install\\Count", 7), 7);
}

TEST_F(CApplicationTest, AMissingPackageFileStopsTheStartUp) {
  TempDir dir;
  std::vector<uint8_t> bytes;
  {
    TTstMainForm main;
    main.app->SetPath(dir.Path() + "\\");
    main.app->PkgLanguage()->SetInitMode(rimFILE);
    // Named outside loading, the package looks for its file at once.
    EXPECT_THROW(main.app->PkgSetup()->SetLanguageFileName("Spanish"), Exception);
    bytes = WriteComponentBytes(&main.form);
  }
  {
    TComponent copy(nullptr);
    std::string raised = Raised([&] { ReadComponentBytes(bytes, &copy); });
    EXPECT_NE(raised.find("File '" + dir.Path() + "\\Spanish.lan' not found."), std::string::npos) << raised;
  }
  // With the file in the package folder the form starts with that language.
  TKyPkgLanguage spanish(nullptr);
  spanish.UserStrings().AddLabel(1, "Siguiente");
  spanish.SaveToFile(dir / "Spanish.lan");
  // A control made before the configuration finds nothing, and is told
  // once the packages are loaded.
  TTstCaptioned next("User", 1);
  EXPECT_EQ(next.caption.Caption(), "");
  TComponent copy(nullptr);
  ReadComponentBytes(bytes, &copy);
  auto* read = copy.Find<TKyCApplication>("CApplication");
  ASSERT_NE(read, nullptr);
  EXPECT_EQ(read->PkgLanguage()->FileName(), "Spanish");
  EXPECT_EQ(next.told, 1);
  EXPECT_EQ(next.caption.Caption(), "Siguiente");
  EXPECT_FALSE(read->PkgLanguage()->Modified());
}

TEST_F(CApplicationTest, DestroyingTheFirstMakesTheNextActive) {
  auto* first = new TKyCApplication(nullptr);
  TKyCApplication second(nullptr);
  first->PkgLanguage()->UserStrings().AddLabel(1, "Siguiente");
  second.PkgLanguage()->UserStrings().AddLabel(1, "Next");
  first->PkgDisplay()->AddColor("sc1")->SetColor(kClRed);

  TTstCaptioned next("User", 1);
  TTstSkinned<TKySetColor> box("sc1");
  EXPECT_EQ(next.caption.Caption(), "Siguiente");
  EXPECT_EQ(box.set.Value(), kClRed);
  next.told = box.told = 0;

  delete first;
  EXPECT_EQ(FirstApplication(), &second);
  EXPECT_EQ(next.caption.Caption(), "Next");
  EXPECT_EQ(next.told, 1);
  EXPECT_EQ(next.repaints, 1);
  // The colour set is gone: back to the library default, told once.
  EXPECT_EQ(box.told, 1);
  EXPECT_NE(box.set.Value(), kClRed);
}

TEST_F(CApplicationTest, ScalingFollowsTheDesignResolution) {
  TKyCApplication app(nullptr);
  int32_t screen = ScreenPixelsPerInch();
  EXPECT_EQ(app.ScaleHeight(-11), -11);  // not scaled
  app.SetScaled(true);
  app.SetDesignPixelsPerInch(screen);
  EXPECT_EQ(app.ScaleHeight(-11), -11);
  struct TCase {
    int32_t height, design;
  };
  for (TCase c : {TCase{-11, 72}, TCase{-11, 120}, TCase{-13, 96}, TCase{12, 144}}) {
    app.SetDesignPixelsPerInch(c.design);
    // Rounded half away from zero, as MulDiv does.
    int32_t expected = static_cast<int32_t>(std::lround(double(c.height) * screen / c.design));
    EXPECT_EQ(app.ScaleHeight(c.height), expected) << c.height << " " << c.design;
    EXPECT_EQ(app.ScaleFontHeight(c.height, c.design), expected);
  }
  // The rule itself: -11 at 96 shows as -14 at 120 (rounded as MulDiv).
  EXPECT_EQ(ScaleFontHeightFor(-11, 120, 96), -14);

  // A form keeps the resolution it was designed at.
  TComponent form(nullptr);
  auto* designed = new TKyCApplication(&form);
  designed->SetName("CApplication");
  designed->SetScaled(true);
  std::string text = FormBinaryToText(WriteComponentBytes(&form));
  size_t at = text.find("PixelsPerInch = ");
  ASSERT_NE(at, std::string::npos);
  text.replace(at, text.find('\n', at) - at, "PixelsPerInch = 48");
  TComponent copy(nullptr);
  ReadComponentBytes(FormTextToBinary(text), &copy);
  EXPECT_EQ(copy.Find<TKyCApplication>("CApplication")->DesignPixelsPerInch(), 48);
}

TEST_F(CApplicationTest, DialogObjectsFallBackToTheLibraryDefaultsAndTellTheApplication) {
  TKyCApplication app(nullptr);
  struct TCase {
    TKySetObject* object;
    const char* fallback;
  };
  const TCase cases[] = {
      {app.CfgMessages()->SetBackGround(), "Dft_BackGround"},
      {app.CfgMessages()->Buttons()->SetColAccelChar(), "Dft_EdAccelChar"},
      {app.CfgHelps()->SetBackGround(), "Dft_HelpBG"},
      {app.CfgCalculator()->Display()->SetFont(), "Dft_Font"},
      {app.CfgCalculator()->MainButtons()->Pen()->SetColor(), "Dft_ColBox"},
      {app.CfgCalendar()->Calendar()->SetBackGround(), "Dft_EdBackGround"},
      {app.CfgCalendar()->Calendar()->SetColSunday(), "Dft_StandOut"},
      {app.CfgCalendar()->Calendar()->SetBGSelected(), "Dft_EdSelectedBG"},
      {app.CfgRichEdit()->Edits()->SetColText(), "Dft_ColText"},
      {app.CfgPopupMenus()->SetColSelected(), "Dft_EdSelectedText"},
  };
  for (const auto& c : cases) {
    ASSERT_NE(c.object->Fallback(), nullptr) << c.fallback;
    EXPECT_EQ(c.object->Fallback(), LibraryDefaultSet(c.fallback)) << c.fallback;
  }
  EXPECT_EQ(app.CfgCalendar()->MainButtons()->Pen()->Style(), pesSolid);
  EXPECT_EQ(app.CfgCalendar()->Buttons()->BorderStyle(), bos3D);
  EXPECT_EQ(app.CfgRichEdit()->Edits()->BorderStyle(), ebs3D);

  // A set appearing in the package reaches the object, which tells the
  // application's change link once per batch.
  int changed = 0;
  app.ChangeLink().OnChanged = [&] { ++changed; };
  app.CfgPopupMenus()->SetColSelected()->SetName("scSel");
  app.CfgHelps()->SetFont()->SetName("sfHelp");
  changed = 0;
  {
    TKyChangeBatch batch;
    app.PkgDisplay()->AddColor("scSel")->SetColor(kClRed);
    app.PkgDisplay()->AddFont("sfHelp");
  }
  EXPECT_EQ(changed, 1);
  EXPECT_EQ(app.CfgPopupMenus()->SetColSelected()->Value(), kClRed);
  app.CfgCalendar()->MainButtons()->Pen()->SetWidth(2);
  EXPECT_EQ(changed, 2);
}

TEST_F(CApplicationTest, InsertModeAndLocaleComeFromTheFirstConfiguration) {
  EXPECT_TRUE(ApplicationInsertMode());
  EXPECT_EQ(&ActiveLocale(), &LibraryDefaultLocale());
  TKyCApplication app(nullptr);
  app.PkgSetup()->Keys()->SetInsertMode(false);
  EXPECT_FALSE(ApplicationInsertMode());
  EXPECT_TRUE(app.PkgSetup()->Modified());
  EXPECT_EQ(&ActiveLocale(), &app.PkgLanguage()->Locale());
}

TEST_F(CApplicationTest, MessagesComeFromTheLanguagesSystemStrings) {
  TKyCApplication app(nullptr);
  EXPECT_EQ(Raised([] { RaiseMessage("", "System", 13); }), "Message Unknown (System) (13).");
  app.PkgLanguage()->SystemStrings().LoadFromFile(ToolFromEnv("KY_PACKAGES_DIR") + "\\System.pst");
  EXPECT_EQ(Raised([] { RaiseMessage("CApplication", "System", 13); }),
            "(CApplication) Ya existe un objecto 'TKyCApplication' en la Forma.");
}

TEST_F(CApplicationTest, OnlyTheFirstConfigurationSetsTheDefaultTextHeight) {
  std::string text;
  {
    TComponent form(nullptr);
    auto* app = new TKyCApplication(&form);
    app->SetName("CApplication");
    text = FormBinaryToText(WriteComponentBytes(&form));
  }
  size_t at = text.find("DefaultTextHeight = ");
  ASSERT_NE(at, std::string::npos);
  int32_t height = LibraryDefaultFont().Height;
  text.replace(at, text.find('\n', at) - at, "DefaultTextHeight = " + std::to_string(height - 4));
  std::vector<uint8_t> bytes = FormTextToBinary(text);
  {
    TKyCApplication first(nullptr);
    TComponent second(nullptr);
    ReadComponentBytes(bytes, &second);
    EXPECT_EQ(LibraryDefaultFont().Height, height);
  }
  TComponent only(nullptr);
  ReadComponentBytes(bytes, &only);
  EXPECT_EQ(LibraryDefaultFont().Height, height - 4);
}

TEST_F(CApplicationTest, AnEmbeddedLanguageWithUseSystemTakesThePlatformsSettingsAtStartUp) {
  std::vector<uint8_t> bytes;
  {
    TTstMainForm main;
    TKyPkgLanguageLocale l = main.app->PkgLanguage()->Locale();
    l.DecimalSeparator = "#";  // nothing a platform reports
    main.app->PkgLanguage()->SetLocale(l);
    // Stored with UseSystem on but the values above, as a file from
    // another machine would be.
    WithPkgLoading(*main.app->PkgLanguage(), [&] { main.app->PkgLanguage()->SetUseSystem(true); });
    EXPECT_EQ(main.app->PkgLanguage()->Locale().DecimalSeparator, "#");
    bytes = WriteComponentBytes(&main.form);
  }
  TComponent copy(nullptr);
  ReadComponentBytes(bytes, &copy);
  auto* read = copy.Find<TKyCApplication>("CApplication");
  ASSERT_NE(read, nullptr);
  EXPECT_TRUE(read->PkgLanguage()->UseSystem());
  EXPECT_EQ(read->PkgLanguage()->Locale().DecimalSeparator, GetPlatformLocale().DecimalSeparator);
  EXPECT_FALSE(read->PkgLanguage()->Modified());
}
