// The installer's forms as the program loads them (from their resources,
// packages embedded), in a registry sandbox: a first run on a fresh machine.
// Input is posted; waits pump until a condition holds.
#include <gtest/gtest.h>

#include "controls/KyButtons.h"
#include "controls/KyCheckBox.h"
#include "controls/KyEdit.h"
#include "controls/KyListBox.h"
#include "controls/KyMemo.h"
#include "controls/KyPageControl.h"
#include "controls/KyRadioGroup.h"
#include "packages/PkgStrings.h"
#include "platform/windows/Dialogs.h"
#include "setup/Installer.h"
#include "setup/forms/FrAbout.h"
#include "setup/forms/FrSearch.h"
#include "setup/forms/FrSetup.h"
#include "skin/Label.h"
#include "support/RegistrySandbox.h"
#include "support/WindowDriver.h"

using namespace ky_test;

namespace {

// The forms are made once, as the program makes them, and shared by the
// tests in their order: a first run on a fresh machine.
struct TFormsTest : ::testing::Test {
  static void SetUpTestSuite() {
    RegisterSetupForms();
    App();
    sandbox = new RegistrySandbox;
    App().CreateForm(setup);
    App().CreateForm(FrSearch);
    App().CreateForm(FrAbout);
  }
  static void TearDownTestSuite() {
    delete FrAbout;
    delete FrSearch;
    delete setup;
    FrAbout = nullptr;
    FrSearch = nullptr;
    setup = nullptr;
    delete sandbox;
  }
  void ShowWizard() {
    setup->Show();
    ASSERT_TRUE(PumpUntil([&] { return setup->HandleAllocated() && setup->Visible(); }));
  }
  int Page() const { return setup->PageControl->Value().AsInteger(); }
  std::string Label(int language, int id) {
    TKyPkgStrings* const packages[] = {setup->PkgEnglish, setup->PkgSpanish, setup->PkgFrench, setup->PkgItalian,
                                       setup->PkgGerman};
    TKyPkgStringsLabel* label = packages[language]->FindLabel(id);
    return label ? label->Caption() : std::string("(no label)");
  }

  static inline RegistrySandbox* sandbox = nullptr;
  static inline TFrSetup* setup = nullptr;
};

TEST_F(TFormsTest, AFreshMachineStartsOnTheLanguagePageOfTheFirstRun) {
  ASSERT_FALSE(App().TerminateRequested());
  ASSERT_NE(setup->Controller(), nullptr);
  EXPECT_EQ(setup->Controller()->Mode(), 0);
  EXPECT_EQ(Page(), 0);
  EXPECT_EQ(setup->Caption(), "Install Manager 2.5.15");
  EXPECT_EQ(setup->EdGroup->Text(), "Tessaro");
  EXPECT_FALSE(setup->BtPrior->Visible());
  EXPECT_FALSE(setup->BtAdd->Visible());
  EXPECT_TRUE(setup->BtNext->Visible() && setup->BtNext->Enabled());
  EXPECT_EQ(setup->OpenStp->Filter(), "Setup Files (*.stp)|*.stp|All Files (*.*)|*.*");
}

// Every caption bound to "Idioma" follows the language radio group at once.
TEST_F(TFormsTest, ChoosingALanguageChangesEveryCaption) {
  ShowWizard();
  for (int language : {2, 4, 1, 3, 0}) {
    SCOPED_TRACE(language);
    setup->Edlanguage->SetValue(Variant(std::to_string(language)));
    Pump();
    EXPECT_EQ(setup->BtNext->Caption(), Label(language, 6));
    EXPECT_EQ(setup->KySpeedButton1->Caption(), Label(language, 20));
    EXPECT_EQ(setup->EdAccept->InnerLabel()->Caption(), Label(language, 11));
    EXPECT_EQ(setup->EdGroup->InnerLabel()->Caption(), Label(language, 2));
    EXPECT_EQ(setup->EdDirectory->InnerLabel()->Caption(), Label(language, 1));
    EXPECT_EQ(setup->Edlanguage->Items()->ItemAs<TKyItem>(1)->Description(), Label(language, 8));
    TKyPkgStrings* const packages[] = {setup->PkgEnglish, setup->PkgSpanish, setup->PkgFrench, setup->PkgItalian,
                                       setup->PkgGerman};
    TKyPkgStringsText* licence = packages[language]->FindText(0);
    ASSERT_NE(licence, nullptr);
    // The memo shows the text's lines (its line breaks as the window's).
    EXPECT_EQ(setup->EdLicense->Lines()->Strings(0), licence->Text().substr(0, licence->Text().find('\r')));
  }
}

TEST_F(TFormsTest, KeysOfTheFirstPages) {
  ShowWizard();
  // Escape on page 0 does nothing: Previous is hidden there.
  PostKey(setup->Edlanguage, VK_ESCAPE);
  Pump();
  EXPECT_EQ(Page(), 0);
  // Enter is Next: page 3, with the focus on the acceptance.
  PostKey(setup->Edlanguage, VK_RETURN);
  ASSERT_TRUE(PumpUntil([&] { return Page() == 3 && setup->EdAccept->Focused(); }));
  // Not accepted yet: Enter does nothing; Space accepts, then Enter goes on.
  PostKey(setup->EdAccept, VK_RETURN);
  Pump();
  EXPECT_EQ(Page(), 3);
  EXPECT_FALSE(setup->BtNext->Enabled());
  PostKey(setup->EdAccept, VK_SPACE);
  PostChar(setup->EdAccept, ' ');
  ASSERT_TRUE(PumpUntil([&] { return setup->Accept() == "T" && setup->BtNext->Enabled(); }));
  PostKey(setup->EdAccept, VK_RETURN);
  ASSERT_TRUE(PumpUntil([&] { return Page() == 4 && setup->EdGroup->Focused(); }));
  // Escape is Previous.
  PostKey(setup->EdGroup, VK_ESCAPE);
  ASSERT_TRUE(PumpUntil([&] { return Page() == 3 && setup->EdAccept->Focused(); }));
}

}  // namespace
