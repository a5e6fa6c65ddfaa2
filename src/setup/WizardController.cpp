#include "setup/WizardController.h"

#include "packages/MessageService.h"
#include "platform/base/Exception.h"
#include "platform/base/FileNames.h"
#include "platform/base/SysUtils.h"
#include "platform/os/SystemFolders.h"
#include "setup/Environments.h"
#include "setup/InstallPlan.h"
#include "setup/InstallerMessages.h"
#include "setup/ProductRecord.h"

namespace {

std::string Message(int id) { return MessageText(kIdioma, id); }

std::string Message(int id, const std::vector<TFormatArg>& args) { return Format(MessageText(kIdioma, id), args); }

std::string InstallerText() { return ProductText(kInstallerName, "", 0, false, kInstallerVersion); }

}  // namespace

TWizardController::TWizardController(TWizardView& view, std::string programFile)
    : view_(view), installer_(state_, view.ProgressBar()) {
  state_.ProgramFile = std::move(programFile);
}

// ---- start-up ----

void TWizardController::Start() {
  imageMode_ = 0;
  product_ = TSetupProduct();
  view_.SetPlanLines({});
  state_.Products.Clear();

  // A run stopped half-way is settled before the record is read; told once
  // the recorded language is active.
  const int recovered = RecoverInterruptedRun(state_);
  state_.SystemDir = GetSystemFolder(sfSystem);
  DetectEnvironments(state_);
  for (int i = 0; i < kEnvironmentCount; ++i) view_.SetEnvironmentEnabled(i, state_.EnvironmentEnabled[i]);
  view_.SetCaption(Format("Install Manager %d.%d.%d", {int64_t{kInstallerVersion.Major},
                                                       int64_t{kInstallerVersion.Minor},
                                                       int64_t{kInstallerVersion.Release}}));
  TRegistry& reg = state_.Registry;
  int page;
  if (InstallerInstalled(state_)) {
    TVersion installed = InstalledVersion(reg, kInstallerName, false);
    // Formatted once the recorded language is active, so it reads in that language.
    auto notice = [&] {
      return Message(msgSetupUpdate, {int64_t{installed.Major}, int64_t{installed.Minor}, int64_t{installed.Release},
                                      int64_t{kInstallerVersion.Major}, int64_t{kInstallerVersion.Minor},
                                      int64_t{kInstallerVersion.Release}});
    };
    if (CompareVersions(kInstallerVersion, installed) < 1) {
      SetLanguage(reg.ReadInteger(kMakerKey, "Language", 0));
      mode_ = 2;
      view_.SetSituationText(notice());
      state_.PathInstall = reg.ReadString(kMakerKey, "PathInstall", "");
      state_.PathGroup = reg.ReadString(kMakerKey, "PathGroup", "");
      FillProducts(state_);
      page = 9;
    } else {
      view_.UseEmbeddedVariables();
      SetLanguage(reg.ReadInteger(kMakerKey, "Language", 0));
      mode_ = 1;
      view_.SetSituationText(notice());
      state_.PathInstall = reg.ReadString(kMakerKey, "PathInstall", "");
      state_.PathGroup = IncludeTrailingBackslash(reg.ReadString(kMakerKey, "PathGroup", ""));
      page = 8;
    }
  } else {
    view_.UseEmbeddedVariables();
    mode_ = 0;
    view_.SetGroupText("Tessaro");
    state_.PathInstall = IncludeTrailingBackslash(GetSystemFolder(sfProgramFiles)) + "Tessaro";
    view_.SetFolderText(state_.PathInstall);
    state_.PathGroup = IncludeTrailingBackslash(GetSystemFolder(sfPrograms)) + "Tessaro";
    page = 0;
  }
  ShowProducts();
  view_.SelectProduct(-1);
  ShowPage(page);
  UpdateWizardState();
  if (recovered >= 0) view_.ShowError(Message(recovered));
}

void TWizardController::SetLanguage(int index) {
  if (index < 0 || index > 4) return;
  state_.Language = index;
  view_.SetLanguage(index);
  view_.ActivateLanguage(index);
}

// ---- commands ----

void TWizardController::Next() {
  switch (mode_) {
    case 0:
      NextFirstRun();
      break;
    case 1:
      if (page_ == 8) {
        ShowPage(3);
      } else if (page_ == 3 && view_.Accept() == "T") {
        Run(Message(msgUpdating, {InstallerText()}),
            [&](int share) { installer_.InstallProduct(kInstallerName, share); });
      } else if (page_ == 7) {
        view_.Close(1);
      }
      break;
    case 2:
      if (page_ == 9) {
        view_.Close(1);
      } else if (page_ == 8) {
        RequireEnvironmentsFree();
        ShowPage(HelpForTickedEnvironments() ? 1 : 3);
      } else if (page_ == 1) {
        for (int i = 0; i < kEnvironmentCount; ++i)
          if (view_.EnvironmentTicked(i)) {
            ShowPage(3);
            break;
          }
      } else if (page_ == 3 && view_.Accept() == "T") {
        TakeTicks();
        Run(Message(msgInstalling, {product_.Text()}),
            [&](int share) { installer_.InstallProduct(setupFileName_, share); });
      } else if (page_ == 7) {
        view_.SetAccept("F");
        ShowPage(9);
      }
      break;
    case 3:
      if (page_ == 8) {
        if (eraseIndex_ < 0 || eraseIndex_ >= state_.Products.Count()) break;
        RequireEnvironmentsFree();
        TProductItem item = state_.Products[eraseIndex_];
        Run(Message(msgEliminating, {item.Description}), [&](int share) { installer_.EraseItem(item, share); });
      } else if (page_ == 7) {
        if (state_.Products.Count() == 0) {
          view_.Close(1);
        } else {
          mode_ = 2;
          ShowPage(9);
        }
      }
      break;
  }
  UpdateWizardState();
}

void TWizardController::NextFirstRun() {
  switch (page_) {
    case 0:
      ShowPage(3);
      break;
    case 3:
      if (view_.Accept() == "T") ShowPage(4);
      break;
    case 4:
      if (Trim(view_.GroupText()).empty()) RaiseMessage("", kIdioma, msgGroupMissing);
      ShowPage(5);
      break;
    case 5: {
      std::string folder = view_.FolderText();
      if (Trim(folder).empty()) RaiseMessage("", kIdioma, msgFolderMissing);
      if (IsWindowsSystemFolder(folder)) RaiseMessage("", kIdioma, msgFolderReserved);
      state_.PathInstall = folder;
      state_.PathGroup = IncludeTrailingBackslash(GetSystemFolder(sfPrograms)) + Trim(view_.GroupText());
      state_.Language = view_.Language();
      Run(Message(msgInstalling, {InstallerText()}),
          [&](int share) { installer_.InstallProduct(kInstallerName, share); });
      break;
    }
    case 7:
      view_.SetAccept("F");
      view_.SelectProduct(-1);
      mode_ = 2;
      ShowPage(9);
      break;
  }
}

void TWizardController::Previous() {
  if (mode_ == 0) {
    if (page_ >= 3 && page_ <= 6) ShowPage(page_ == 3 ? 0 : page_ - 1);
  } else if (mode_ == 1) {
    if (page_ == 6) ShowPage(3);
    else if (page_ == 3) ShowPage(8);
  } else {
    switch (page_) {
      case 9: {
        int selected = view_.SelectedProduct();
        if (selected < 0 || selected >= state_.Products.Count()) break;
        eraseIndex_ = selected;
        mode_ = 3;
        view_.SetPlanLines({});
        ShowSituation(Message(msgEraseProduct, {state_.Products[selected].Description}));
        ShowPage(8);
        break;
      }
      case 6:
        ShowPage(3);
        break;
      case 3:
        ShowPage(HelpForTickedEnvironments() ? 1 : 8);
        break;
      case 1:
        ShowPage(8);
        break;
      case 8:
        mode_ = 2;
        ShowPage(9);
        break;
    }
  }
  UpdateWizardState();
}

void TWizardController::Add() {
  std::optional<std::string> chosen = view_.ChooseSetupFile();
  if (chosen) AddFile(*chosen);
}

bool TWizardController::RefuseRequest() {
  if (mode_ < 2)
    view_.ShowError(page_ == 6 ? "The installer is busy: try again when the installation has ended."
                               : "The installer is not installed yet: finish its installation, then open the "
                                 "setup file again.");
  else
    view_.ShowError("The installer is busy: try again from its products page.");
  return false;
}

bool TWizardController::OpenSetupFile(const std::string& file) {
  if (!CanTakeRequest()) return RefuseRequest();
  AddFile(file);
  return true;
}

bool TWizardController::OpenErase(const std::string& identifier) {
  if (!CanTakeRequest()) return RefuseRequest();
  mode_ = 2;
  ShowPage(9);
  const int index = state_.Products.Find(identifier, 0);
  if (index < 0) {
    view_.SelectProduct(-1);
    UpdateWizardState();
    view_.ShowError("The product '" + identifier + "' is not installed.");
    return true;
  }
  view_.SelectProduct(index);
  Previous();  // the Erase command on the selected product
  return true;
}

void TWizardController::AddFile(const std::string& file) {
  TProductCheck check = installer_.CheckProduct(file);  // closes the file, also on failure
  product_ = check.Product;
  if (IsLibraryKind(product_.Kind)) SetImageMode(3);
  else if (product_.Kind == kKindHelpLib) SetImageMode(4);
  else if (product_.Kind == kKindData) SetImageMode(5);
  mode_ = 2;
  setupFileName_ = file;
  ShowPlan();
  ShowSituation(Message(check.SameVersionInstalled ? msgAlreadyInstalled : msgSelectedProduct, {product_.Text()}));
  ShowPage(8);
  UpdateWizardState();
}

void TWizardController::ShowPlan() {
  TakeTicks();
  std::vector<std::string> lines;
  try {
    const std::vector<std::string> plan = PlanLines(PlanInstallation(state_, setupFileName_));
    lines.insert(lines.end(), plan.begin(), plan.end());
  } catch (const std::exception& e) {
    lines.push_back(e.what());  // what Install would refuse
  }
  view_.SetPlanLines(lines);
}

std::vector<int> TWizardController::TouchedEnvironments() const {
  if (mode_ == 3 && eraseIndex_ >= 0 && eraseIndex_ < state_.Products.Count())
    return installer_.ItemEnvironments(state_.Products[eraseIndex_]);
  if (mode_ != 2 || setupFileName_.empty()) return {};
  std::vector<int> ticked;
  for (int i = 0; i < kEnvironmentCount; ++i)
    if (view_.EnvironmentTicked(i)) ticked.push_back(i);
  return ProductEnvironments(product_.Kind, ticked);
}

void TWizardController::ShowSituation(const std::string& text) {
  situation_ = text;
  std::string shown = text;
  for (const std::string& obstacle : EnvironmentObstacles(state_, TouchedEnvironments())) shown += "\n" + obstacle;
  view_.SetSituationText(shown);
}

void TWizardController::RequireEnvironmentsFree() {
  // An environment started meanwhile has its user key now.
  const auto neverStarted = state_.EnvironmentNeverStarted;
  DetectEnvironments(state_);
  for (int i = 0; i < kEnvironmentCount; ++i) view_.SetEnvironmentEnabled(i, state_.EnvironmentEnabled[i]);
  if (mode_ == 2 && neverStarted != state_.EnvironmentNeverStarted) ShowPlan();
  const std::vector<std::string> found = EnvironmentObstacles(state_, TouchedEnvironments());
  ShowSituation(situation_);
  if (!found.empty()) RaiseError("", found.front());
}

void TWizardController::LanguageChanged() {
  SetLanguage(view_.Language());
  UpdateWizardState();
}

void TWizardController::InputChanged() { UpdateWizardState(); }

// ---- runs ----

void TWizardController::Run(const std::string& message, const std::function<void(int share)>& routine) {
  TProgressSink& bar = view_.ProgressBar();
  bar.SetPosition(0);
  view_.SetProgressText(message);
  ShowPage(6);
  UpdateWizardState();
  view_.Repaint();
  state_.LicenseLines = view_.LicenseLines();
  state_.WizardMode = mode_;
  installer_.ClearNotes();
  try {
    routine(bar.Max());
    view_.SetFinalText(Message(msgFinished));
  } catch (const std::exception& e) {
    view_.ShowError(e.what());
    view_.SetFinalText(Message(msgCanceled));
  }
  // What the run could not clean up without failing is told all the same.
  for (const std::string& note : installer_.Notes()) view_.ShowError(note);
  installer_.ClearNotes();
  // A help product for one environment unticks all eight boxes.
  for (int i = 0; i < kEnvironmentCount; ++i)
    if (view_.EnvironmentTicked(i) != state_.EnvironmentTicked[i]) view_.SetEnvironmentTicked(i, state_.EnvironmentTicked[i]);
  ShowProducts();
  ShowPage(7);
}

void TWizardController::TakeTicks() {
  for (int i = 0; i < kEnvironmentCount; ++i) state_.EnvironmentTicked[i] = view_.EnvironmentTicked(i);
}

bool TWizardController::HelpForTickedEnvironments() const {
  return product_.Kind == kKindHelpLib && !product_.Update;
}

// ---- view state ----

void TWizardController::ShowPage(int page) {
  page_ = page;
  view_.SetPage(page);
}

void TWizardController::ShowProducts() {
  // The selection stays where it was (it is cleared only at start and after
  // the first run); one beyond a list that shrank goes.
  const int selected = view_.SelectedProduct();
  view_.ShowProducts(state_.Products);
  view_.SelectProduct(selected < state_.Products.Count() ? selected : -1);
}

void TWizardController::SetImageMode(int mode) {
  imageMode_ = mode;
  view_.ShowImage(mode, mode >= 3 ? product_.Picture : std::vector<uint8_t>());
}

void TWizardController::SetButton(TWizardButtonKind kind, bool visible, bool enabled, int caption,
                                  TWizardButtonShape shape) {
  view_.SetButton(kind, TWizardButton{visible, enabled, caption, shape});
}

void TWizardController::UpdateWizardState() {
  const bool accepted = view_.Accept() == "T";
  // Defaults: Add hidden, Previous an enabled arrow, Next an enabled arrow "Next".
  bool addVisible = false;
  bool priorVisible = true, priorEnabled = true;
  int priorCaption = lblPrevious;
  TWizardButtonShape priorShape = wbsArrow;
  bool nextEnabled = true;
  int nextCaption = lblNext;
  TWizardButtonShape nextShape = wbsArrow;

  if (mode_ == 0) {
    priorVisible = page_ != 0 && page_ != 6 && page_ != 7;
    switch (page_) {
      case 0:
        SetImageMode(1);
        break;
      case 3:
        nextEnabled = accepted;
        break;
      case 5:
      case 6:
        nextShape = wbsRound;
        nextCaption = lblInstall;
        break;
    }
  } else if (mode_ == 1) {
    priorVisible = page_ != 8 && page_ != 6 && page_ != 7;
    switch (page_) {
      case 8:
        SetImageMode(1);
        break;
      case 3:
        nextShape = wbsRound;
        nextCaption = lblInstall;
        nextEnabled = accepted;
        break;
      case 5:
      case 6:
        nextShape = wbsRound;
        nextCaption = lblInstall;
        break;
      case 7:
        nextShape = wbsRound;
        nextCaption = lblClose;
        break;
    }
  } else {
    const bool erasing = mode_ == 3;
    switch (page_) {
      case 9: {
        addVisible = true;
        priorShape = wbsRound;
        priorCaption = lblErase;
        int selected = view_.SelectedProduct();
        priorEnabled = false;
        if (selected >= 0 && selected < state_.Products.Count()) {
          bool installer = SameText(state_.Products[selected].Value, kInstallerName);
          priorEnabled = !installer || state_.Products.Count() == 1;
        }
        nextShape = wbsRound;
        nextCaption = lblClose;
        SetImageMode(2);
        break;
      }
      case 8:
        if (erasing) {
          nextShape = wbsRound;
          nextCaption = lblErase;
        }
        break;
      case 1: {
        bool anyTicked = false;
        for (int i = 0; i < kEnvironmentCount; ++i) anyTicked = anyTicked || view_.EnvironmentTicked(i);
        nextEnabled = anyTicked;
        break;
      }
      case 3:
        nextShape = wbsRound;
        nextCaption = lblInstall;
        nextEnabled = accepted;
        break;
      case 6:
        priorVisible = false;
        nextShape = wbsRound;
        nextCaption = erasing ? lblErase : lblInstall;
        break;
      case 7:
        priorVisible = false;
        if (erasing && state_.Products.Count() == 0) {
          nextShape = wbsRound;
          nextCaption = lblClose;
        }
        break;
    }
  }
  SetButton(wbAdd, addVisible, true, 16, wbsRound);
  SetButton(wbPrior, priorVisible, priorEnabled, priorCaption, priorShape);
  SetButton(wbNext, true, nextEnabled, nextCaption, nextShape);
}
