// The installer as a wizard: a state machine over a wizard mode and a page,
// with the Next, Previous and Add commands, their validations and the
// button states, over an abstract view.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "setup/Installer.h"
#include "setup/SetupState.h"
#include "setup/WizardView.h"

class TWizardController {
public:
  // programFile: the installer program that its own installation copies.
  TWizardController(TWizardView& view, std::string programFile);

  // Reads the record, detects the environments and chooses mode and page.
  void Start();
  // The commands. Validation failures raise the "Idioma" message; the
  // page then stays as it was.
  void Next();
  void Previous();  // on the products page: Erase
  void Add();

  // Requests from the command line or from a second copy of the program: a
  // setup file to Add, or a product to open on its erase page. Taken only
  // on the products page or page 8 of an installed installer, with no run
  // in progress; otherwise the view is told why and false returned. A file
  // that fails Add's checks raises its message as Add does.
  bool CanTakeRequest() const { return mode_ >= 2 && (page_ == 9 || page_ == 8); }
  bool OpenSetupFile(const std::string& file);
  bool OpenErase(const std::string& identifier);

  // The view calls these when the user changes an input.
  void LanguageChanged();
  void InputChanged();  // an environment tick, the acceptance or the selected product

  void UpdateWizardState();
  void SetLanguage(int index);

  int Mode() const { return mode_; }
  int Page() const { return page_; }
  int ImageMode() const { return imageMode_; }
  const std::string& SetupFileName() const { return setupFileName_; }
  const TSetupState& State() const { return state_; }

private:
  void ShowPage(int page);
  void AddFile(const std::string& file);
  bool RefuseRequest();
  void ShowProducts();
  void SetImageMode(int mode);
  void SetButton(TWizardButtonKind kind, bool visible, bool enabled, int caption, TWizardButtonShape shape);
  void Run(const std::string& message, const std::function<void(int share)>& routine);
  void TakeTicks();
  void NextFirstRun();
  bool HelpForTickedEnvironments() const;
  // Page 8: the situation with what stands in a run's way (a running IDE,
  // one never started), and the plan of the chosen setup file.
  void ShowSituation(const std::string& text);
  void ShowPlan();
  std::vector<int> TouchedEnvironments() const;
  // Next on page 8 waits until nothing stands in the way: raises the first obstacle.
  void RequireEnvironmentsFree();

  TWizardView& view_;
  TSetupState state_;
  TInstaller installer_;
  int mode_ = 0;
  int page_ = 0;
  int imageMode_ = 0;
  TSetupProduct product_;        // of the setup file chosen with Add
  std::string setupFileName_;
  int eraseIndex_ = -1;          // the item the Erase command works on
  std::string situation_;        // page 8's text before any obstacle
};
