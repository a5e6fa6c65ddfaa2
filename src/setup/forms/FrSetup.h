// The installer's main window: a page control with hidden tabs holding one
// sheet per wizard page, the command buttons, the product picture and the
// installer's configuration. It is the wizard controller's view; the form
// itself is read from its text form (TFrSetup.kfm).
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/windows/Forms.h"
#include "setup/WizardController.h"
#include "setup/WizardView.h"

class TKyCApplication;
class TKyCheckBox;
class TKyEdit;
class TKyImage;
class TKyLabel;
class TKyListBox;
class TKyMemo;
class TKyPageControl;
class TKyPkgStrings;
class TKyProgressBar;
class TKyRadioGroup;
class TKySpeedButton;
class TNamedMutex;
class TOpenDialog;

class TFrSetup : public TForm, public TWizardView {
  KY_CLASS(TFrSetup, TForm)
public:
  explicit TFrSetup(TComponent* owner);
  ~TFrSetup() override;
  static void Publish(TPublisher<TFrSetup>& p);

  // The installer program that its own installation copies (this program).
  static void SetProgramFile(const std::string& file);

  TKyCApplication* KyCApplication1 = nullptr;
  TKyPageControl* PageControl = nullptr;
  TKySpeedButton* BtNext = nullptr;
  TKySpeedButton* BtPrior = nullptr;
  TKySpeedButton* BtAdd = nullptr;
  TKySpeedButton* BtHelp = nullptr;
  TKySpeedButton* KySpeedButton1 = nullptr;
  TKyRadioGroup* Edlanguage = nullptr;
  TKyCheckBox* EdDelphi3 = nullptr;
  TKyCheckBox* EdDelphi4 = nullptr;
  TKyCheckBox* EdDelphi5 = nullptr;
  TKyCheckBox* EdDelphi6 = nullptr;
  TKyCheckBox* EdCBuilder3 = nullptr;
  TKyCheckBox* EdCBuilder4 = nullptr;
  TKyCheckBox* EdCBuilder5 = nullptr;
  TKyCheckBox* EdCBuilder6 = nullptr;
  TKyMemo* EdLicense = nullptr;
  TKyCheckBox* EdAccept = nullptr;
  TKyEdit* EdGroup = nullptr;
  TKyEdit* EdDirectory = nullptr;
  TKyLabel* LaProgress = nullptr;
  TKyProgressBar* PrAll = nullptr;
  TKyLabel* LaMessage = nullptr;
  TKyLabel* LaStart = nullptr;
  TKyLabel* LaPlan = nullptr;
  TKyMemo* EdPlan = nullptr;
  TKyListBox* Products = nullptr;
  TKyImage* ImageInstall = nullptr;
  TOpenDialog* OpenStp = nullptr;
  TKyPkgStrings* PkgEnglish = nullptr;
  TKyPkgStrings* PkgSpanish = nullptr;
  TKyPkgStrings* PkgFrench = nullptr;
  TKyPkgStrings* PkgItalian = nullptr;
  TKyPkgStrings* PkgGerman = nullptr;

  // ---- Handlers named by the form text ----
  void KyCApplication1BeforeLoaded(TObject* sender, bool& terminate);
  void FormCreate(TObject* sender);
  void FormDestroy(TObject* sender);
  void FormKeyDown(TObject* sender, uint16_t& key, TShiftState shift);
  void BtNextClick(TObject* sender);
  void BtPriorClick(TObject* sender);
  void BtAddClick(TObject* sender);
  void BtHelpClick(TObject* sender);
  void KySpeedButton1Click(TObject* sender);
  void PageControlShowPage(TObject* sender);
  void EdlanguageValidate(TObject* sender);
  void InputValidate(TObject* sender);

  TWizardController* Controller() const { return controller_.get(); }

  // A request from the command line or a second copy ("open" or "erase",
  // a tab, the file or identifier); refused with a word while a command
  // (a dialog, a run) is in progress.
  void TakeRequest(const std::string& request);

  // ---- The wizard's view ----
  void SetPage(int page) override;
  void SetButton(TWizardButtonKind kind, const TWizardButton& state) override;
  int Language() const override;
  void SetLanguage(int index) override;
  void ActivateLanguage(int index) override;
  bool EnvironmentTicked(int index) const override;
  void SetEnvironmentTicked(int index, bool ticked) override;
  void SetEnvironmentEnabled(int index, bool enabled) override;
  std::string Accept() const override;
  void SetAccept(const std::string& value) override;
  std::string GroupText() const override;
  void SetGroupText(const std::string& text) override;
  std::string FolderText() const override;
  void SetFolderText(const std::string& text) override;
  std::vector<std::string> LicenseLines() const override;
  void ShowProducts(const TProductList& products) override;
  int SelectedProduct() const override;
  void SelectProduct(int index) override;
  void SetSituationText(const std::string& text) override;
  void SetPlanLines(const std::vector<std::string>& lines) override;
  void SetProgressText(const std::string& text) override;
  void SetFinalText(const std::string& text) override;
  TProgressSink& ProgressBar() override;
  void ShowImage(int imageMode, const std::vector<uint8_t>& picture) override;
  std::optional<std::string> ChooseSetupFile() override;
  void SetCaption(const std::string& caption) override;
  void Repaint() override;
  void ShowError(const std::string& message) override;
  void UseEmbeddedVariables() override;
  void Close(int modalResult) override;

private:
  class TBarSink;
  TKyCheckBox* Environment(int index) const;
  TKySpeedButton* Button(TWizardButtonKind kind) const;
  // Runs a controller command; the state is updated even when it raises.
  template <class F>
  void Command(F command);

  std::unique_ptr<TNamedMutex> mutex_;
  std::unique_ptr<TWizardController> controller_;
  std::unique_ptr<TBarSink> bar_;
  TProductList shown_;  // the products as the list shows them
  bool settingLanguage_ = false;
  int busy_ = 0;  // commands in progress
};

// Makes the three forms, and every class their texts name, known to the
// form reader.
void RegisterSetupForms();
