// The installer in its five languages: the "Idioma" packages the build made
// from their sources, switched through the wizard.
#include <regex>
#include <set>

#include "EngineFixture.h"
#include "packages/MessageService.h"
#include "platform/base/Exception.h"
#include "platform/base/SysUtils.h"
#include "setup/InstallerLanguages.h"
#include "setup/InstallerMessages.h"
#include "setup/ProductRecord.h"
#include "setup/WizardController.h"
#include "support/RunTool.h"

using namespace ky_test;

namespace {

// The wizard's view as the form shows it: captions and texts resolved
// through the active "Idioma" package whenever they are looked at.
class LanguageView : public TWizardView {
public:
  explicit LanguageView(TInstallerLanguages& languages) : languages_(languages) {}
  void SetPage(int) override {}
  void SetButton(TWizardButtonKind kind, const TWizardButton& state) override { captionIds[kind] = state.CaptionId; }
  int Language() const override { return language; }
  void SetLanguage(int index) override { language = index; }
  void ActivateLanguage(int index) override { languages_.Activate(index); }
  bool EnvironmentTicked(int) const override { return false; }
  void SetEnvironmentTicked(int, bool) override {}
  void SetEnvironmentEnabled(int, bool) override {}
  std::string Accept() const override { return accept; }
  void SetAccept(const std::string& v) override { accept = v; }
  std::string GroupText() const override { return group; }
  void SetGroupText(const std::string& t) override { group = t; }
  std::string FolderText() const override { return ""; }
  void SetFolderText(const std::string&) override {}
  std::vector<std::string> LicenseLines() const override { return {}; }
  void ShowProducts(const TProductList&) override {}
  int SelectedProduct() const override { return -1; }
  void SelectProduct(int) override {}
  void SetSituationText(const std::string& t) override { situation = t; }
  void SetPlanLines(const std::vector<std::string>&) override {}
  void SetProgressText(const std::string&) override {}
  void SetFinalText(const std::string&) override {}
  TProgressSink& ProgressBar() override { return bar; }
  void ShowImage(int, const std::vector<uint8_t>&) override {}
  std::optional<std::string> ChooseSetupFile() override { return std::nullopt; }
  void SetCaption(const std::string&) override {}
  void Repaint() override {}
  void ShowError(const std::string&) override {}
  void UseEmbeddedVariables() override {}
  void Close(int) override {}

  // What a bound caption shows now.
  static std::string Caption(int labelId) {
    TKyPkgStrings* pkg = FindStringsPackage(kIdioma);
    TKyPkgStringsLabel* label = pkg ? pkg->FindLabel(labelId) : nullptr;
    return label ? label->Caption() : "<none>";
  }
  std::string ButtonCaption(TWizardButtonKind kind) const { return Caption(captionIds.at(kind)); }

  std::map<TWizardButtonKind, int> captionIds;
  int language = 0;
  std::string accept = "F", group, situation;
  RecordingBar bar;

private:
  TInstallerLanguages& languages_;
};

class LanguagesTest : public EngineTest {
protected:
  LanguagesTest() {
    previous_ = SetMessageLookup(nullptr);  // only the packages answer
    languages.LoadFolder(WindowsPath(std::getenv("KY_PACKAGES_DIR") ? std::getenv("KY_PACKAGES_DIR") : ""));
  }
  ~LanguagesTest() override { SetMessageLookup(previous_); }

  TComponent form{nullptr};
  TInstallerLanguages languages{&form};
  TMessageLookup previous_;
};

// The placeholders of a message in order: "%s", "%d", ...
std::vector<std::string> Placeholders(const std::string& text) {
  std::vector<std::string> out;
  static const std::regex placeholder("%[-0-9.]*[a-zA-Z%]");
  for (auto it = std::sregex_iterator(text.begin(), text.end(), placeholder); it != std::sregex_iterator(); ++it)
    out.push_back(it->str());
  return out;
}

}  // namespace

TEST_F(LanguagesTest, AllFiveHoldTheSameIdsAndTheirMessagesFormat) {
  const TKyPkgStrings& english = languages.Package(0);
  ASSERT_GT(english.Labels().Count(), 20);
  ASSERT_GT(english.Messages().Count(), 29);
  ASSERT_EQ(english.Texts().Count(), 1);
  for (int lang = 0; lang < kLanguageCount; ++lang) {
    SCOPED_TRACE(TInstallerLanguages::LanguageName(lang));
    const TKyPkgStrings& pkg = languages.Package(lang);
    EXPECT_EQ(pkg.PkgName(), "Idioma");
    ASSERT_EQ(pkg.Labels().Count(), english.Labels().Count());
    ASSERT_EQ(pkg.Messages().Count(), english.Messages().Count());
    ASSERT_EQ(pkg.Texts().Count(), english.Texts().Count());
    for (int i = 0; i < english.Labels().Count(); ++i) {
      EXPECT_EQ(pkg.Labels().Items(i)->Id(), english.Labels().Items(i)->Id());
      EXPECT_FALSE(pkg.Labels().Items(i)->Caption().empty());
    }
    for (int i = 0; i < english.Messages().Count(); ++i) {
      const std::string& text = pkg.Messages().Items(i)->Text();
      EXPECT_EQ(pkg.Messages().Items(i)->Id(), english.Messages().Items(i)->Id());
      std::vector<std::string> holes = Placeholders(text);
      EXPECT_EQ(holes, Placeholders(english.Messages().Items(i)->Text())) << text;
      std::vector<TFormatArg> args;
      for (const std::string& h : holes) {
        if (h.back() == 's') args.emplace_back(std::string("X"));
        else args.emplace_back(int64_t{7});
      }
      std::string formatted;
      EXPECT_NO_THROW(formatted = Format(text, args)) << text;
      EXPECT_EQ(formatted.find('%'), std::string::npos) << formatted;
    }
    EXPECT_GT(pkg.FindText(0)->Text().size(), 500u);  // the licence
  }
  // The texts really are translations, not copies.
  std::set<std::string> nexts;
  for (int lang = 0; lang < kLanguageCount; ++lang) nexts.insert(languages.Package(lang).FindLabel(6)->Caption());
  EXPECT_EQ(nexts.size(), 5u);
}

TEST_F(LanguagesTest, TheRecordedLanguageIsActiveAtStartAndTheRadioGroupSwitchesIt) {
  InstallInstaller();
  state.Registry.WriteString(kMakerKey, "Language", "4");
  LanguageView view(languages);
  TWizardController wizard(view, state.ProgramFile);
  wizard.Start();
  EXPECT_EQ(view.ButtonCaption(wbNext), "Schlie\xDF" "en");  // code page 1252
  EXPECT_EQ(view.ButtonCaption(wbPrior), languages.Package(4).FindLabel(17)->Caption());
  EXPECT_EQ(MessageText(kIdioma, msgFinished), languages.Package(4).FindMessage(msgFinished)->Text());

  struct Case {
    int language;
    const char* close;
  };
  for (const Case& c : {Case{1, "Cerrar"}, Case{2, "Fermer"}, Case{3, "Chiudi"}, Case{0, "Close"}}) {
    view.language = c.language;
    wizard.LanguageChanged();
    EXPECT_EQ(view.ButtonCaption(wbNext), c.close);
    EXPECT_EQ(view.ButtonCaption(wbAdd), languages.Package(c.language).FindLabel(16)->Caption());
    EXPECT_EQ(MessageText(kIdioma, msgFolderMissing), languages.Package(c.language).FindMessage(msgFolderMissing)->Text());
  }
  view.language = 9;  // not a language: nothing changes
  wizard.LanguageChanged();
  EXPECT_EQ(view.ButtonCaption(wbNext), "Close");
}

TEST_F(LanguagesTest, TheInstallerUpdateNoticeReadsInTheRecordedLanguage) {
  InstallInstaller();
  state.Registry.WriteString(ProductKey("KySetup"), "Ver3", "14");
  for (int language : {4, 1, 0}) {
    SCOPED_TRACE(language);
    languages.Activate(0);  // whatever was active before the start
    state.Registry.WriteString(kMakerKey, "Language", std::to_string(language));
    LanguageView view(languages);
    TWizardController wizard(view, state.ProgramFile);
    wizard.Start();
    ASSERT_EQ(wizard.Mode(), 1);
    EXPECT_EQ(view.situation, Format(languages.Package(language).FindMessage(msgSetupUpdate)->Text(),
                                     {int64_t{2}, int64_t{5}, int64_t{14}, int64_t{2}, int64_t{5}, int64_t{15}}));
  }
}

TEST_F(LanguagesTest, ValidationMessagesComeInTheChosenLanguage) {
  LanguageView view(languages);
  TWizardController wizard(view, state.ProgramFile);
  wizard.Start();  // first run: the language page
  view.language = 1;
  wizard.LanguageChanged();
  wizard.Next();
  view.accept = "T";
  wizard.Next();
  view.group = " ";
  std::string refusal;
  try {
    wizard.Next();
  } catch (const Exception& e) {
    refusal = e.what();
  }
  EXPECT_EQ(wizard.Page(), 4);
  EXPECT_EQ(refusal, CompleteMessage("", languages.Package(1).FindMessage(msgGroupMissing)->Text()));
  EXPECT_NE(refusal, CompleteMessage("", languages.Package(0).FindMessage(msgGroupMissing)->Text()));
}

// Programs without the wizard's packages (the command-line tool) carry the
// English texts compiled in; they must say what the English package says.
TEST_F(LanguagesTest, CompiledInEnglishTextsMatchTheEnglishPackage) {
  const TKyPkgStrings& english = languages.Package(0);
  for (int i = 0; i < english.Messages().Count(); ++i) {
    const TKyPkgStringsMessage* m = english.Messages().Items(i);
    EXPECT_EQ(EnglishInstallerMessage(m->Id()).value_or("<missing>"), m->Text()) << m->Id();
  }
  EXPECT_EQ(EnglishInstallerMessage(99), std::nullopt);
  EXPECT_EQ(EnglishLicenseText(), english.FindText(0)->Text());
}

TEST_F(LanguagesTest, TheSystemDialogsButtonsAndCaptionsFollowTheLanguage) {
  // The library's "System" strings start in Spanish, as its language package holds them.
  TKyPkgStrings system(&form);
  system.AddLabel(3, "Aceptar", "Aceptar");
  system.AddLabel(21, "Not a dialog label");
  struct Expected {
    const char *ok, *cancel, *yes, *error;
  };
  const Expected expected[kLanguageCount] = {{"OK", "Cancel", "&Yes", "Error"},
                                             {"Aceptar", "Cancelar", "&Si", "Error"},
                                             {"OK", "Annuler", "&Oui", "Erreur"},
                                             {"OK", "Annulla", "&S\xEC", "Errore"},
                                             {"OK", "Abbrechen", "&Ja", "Fehler"}};
  // Switched there and back: each time the labels of that language, none twice.
  for (int round = 0; round < 2; ++round) {
    for (int i = 0; i < kLanguageCount; ++i) {
      SCOPED_TRACE(TInstallerLanguages::LanguageName(i));
      TInstallerLanguages::ApplySystemLabels(languages.Package(i), system);
      EXPECT_EQ(system.FindLabel(3)->Caption(), expected[i].ok);
      EXPECT_EQ(system.FindLabel(4)->Caption(), expected[i].cancel);
      EXPECT_EQ(system.FindLabel(6)->Caption(), expected[i].yes);
      EXPECT_EQ(system.FindLabel(17)->Caption(), expected[i].error);
      EXPECT_EQ(system.Labels().Count(), 19);  // 2..19 and the other one
      EXPECT_EQ(system.FindLabel(21)->Caption(), "Not a dialog label");
    }
  }
}
