#include "setup/forms/ScreenShots.h"

#include <cstdio>
#include <memory>

#include "controls/KyListBox.h"
#include "controls/KyProgressBar.h"
#include "controls/KyVeMessage.h"
#include "packages/MessageService.h"
#include "platform/base/SysUtils.h"
#include "platform/graphics/Bitmap.h"
#include "platform/os/FileOps.h"
#include "platform/windows/Application.h"
#include "setup/InstallerMessages.h"
#include "setup/ProductInfo.h"
#include "setup/forms/FrAbout.h"
#include "setup/forms/FrSearch.h"
#include "setup/forms/FrSetup.h"

namespace {

// Each page as the wizard shows it in a typical moment: the mode it is
// reached in and its three buttons.
struct TShotPage {
  int Page;
  TWizardButton Add, Prior, Next;
};

constexpr TWizardButton kHidden{false, true, lblNext, wbsArrow};
constexpr TWizardButton kPrevious{true, true, lblPrevious, wbsArrow};
constexpr TWizardButton kNext{true, true, lblNext, wbsArrow};

const TShotPage kPages[] = {
    {0, kHidden, kHidden, kNext},
    {1, kHidden, kPrevious, kNext},
    {3, kHidden, kPrevious, {true, false, lblNext, wbsArrow}},
    {4, kHidden, kPrevious, kNext},
    {5, kHidden, kPrevious, {true, true, lblInstall, wbsRound}},
    {6, kHidden, kHidden, {true, false, lblInstall, wbsRound}},
    {7, kHidden, kHidden, kNext},
    {8, kHidden, kPrevious, kNext},
    {9, {true, true, 16, wbsRound}, {true, true, lblErase, wbsRound}, {true, true, lblClose, wbsRound}},
};

const char* const kLanguageTags[] = {"en", "es", "fr", "it", "de"};

void Save(TForm& form, const std::string& file) {
  Application->ProcessMessages();
  TBitmap picture(form.ClientWidth(), form.ClientHeight(), pf24bit);
  form.PaintTo(picture.Canvas()->Handle(), 0, 0);
  picture.SaveToFile(file);
  std::printf("%s\n", file.c_str());
}

std::string Message(int id) { return MessageText(kIdioma, id); }

}  // namespace

int WriteScreenShots(TFrSetup& form, const std::string& folder) {
  ForceDirectories(folder);
  const std::string product = ProductText("KyControls", "", 2, false, TVersion{2, 1, 0});
  TProductList products;
  products.Add({"KySetup", ProductText(kInstallerName, "", 0, false, kInstallerVersion), 0});
  products.Add({"KyControls", product, 0});
  products.Add({"KyControls", ProductText("KyControls", "", 2, true, TVersion{2, 1, 4}), 1});
  form.Show();
  for (int language = 0; language < 5; ++language) {
    form.SetLanguage(language);
    form.ActivateLanguage(language);
    std::string tag = kLanguageTags[language];
    for (const TShotPage& shot : kPages) {
      form.SetPage(shot.Page);
      form.SetButton(wbAdd, shot.Add);
      form.SetButton(wbPrior, shot.Prior);
      form.SetButton(wbNext, shot.Next);
      switch (shot.Page) {
        case 1: form.SetEnvironmentTicked(2, true); break;
        case 6:
          form.SetProgressText(Format(Message(msgInstalling), {product}));
          form.ProgressBar().SetPosition(form.ProgressBar().Max() * 2 / 5);
          form.ProgressBar().SetLabel("Lib\\KyButtons.dcu");
          break;
        case 7: form.SetFinalText(Message(msgFinished)); break;
        case 8:
          form.SetSituationText(Format(Message(msgSelectedProduct), {product}));
          form.SetPlanLines({"Install " + product + " (KyControls_D5Lib)", "Files (2):",
                             "  new      C:\\Program Files\\Borland\\Delphi5\\Lib\\KyButtons.dcu",
                             "  new      C:\\Program Files\\Borland\\Delphi5\\Lib\\KyPanel.dcu"});
          break;
        case 9:
          form.ShowProducts(products);
          form.SelectProduct(1);
          break;
        default: break;
      }
      Save(form, folder + "/" + tag + "-page" + std::to_string(shot.Page) + ".bmp");
      if (shot.Page == 8) {
        // The erase notice: no plan below the situation.
        form.SetPlanLines({});
        form.SetSituationText(Format(Message(msgEraseProduct), {product}));
        form.SetButton(wbNext, {true, true, lblErase, wbsRound});
        Save(form, folder + "/" + tag + "-page8e.bmp");
      }
    }
    {
      // An error as the wizard shows one: an empty group on its page.
      std::unique_ptr<TFrMessage> message(CreateForm<TFrMessage>(Application));
      message->Prepare(kMsgError, Message(msgGroupMissing), {bkiOK}, bkiOK, 0, "");
      message->Show();
      Save(*message, folder + "/" + tag + "-message.bmp");
      message->Hide();
    }
    for (TForm* dialog : {static_cast<TForm*>(FrSearch), static_cast<TForm*>(FrAbout)}) {
      if (!dialog) continue;
      // The search dialog as the folder page's Search button opens it.
      if (dialog == FrSearch) PrepareSearch(form.FolderText());
      dialog->Show();
      Save(*dialog, folder + "/" + tag + (dialog == FrSearch ? "-search.bmp" : "-about.bmp"));
      dialog->Hide();
    }
  }
  return 0;
}
