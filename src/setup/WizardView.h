// What the wizard controller sees of its window: pages, command buttons,
// inputs, texts, the products list, the progress bar and the picture. The
// skinned form implements it over its controls; tests implement it in memory.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "setup/ProgressScales.h"
#include "setup/SetupState.h"

enum TWizardButtonKind { wbAdd, wbPrior, wbNext };
// The form draws these as the arrow bar and the round rectangle shapes.
enum TWizardButtonShape { wbsArrow, wbsRound };

// Caption ids are labels of the strings package "Idioma".
enum TWizardLabel : int {
  lblInstall = 4,
  lblNext = 6,
  lblPrevious = 7,
  lblClose = 10,
  lblErase = 17,
};

struct TWizardButton {
  bool Visible = true;
  bool Enabled = true;
  int CaptionId = lblNext;
  TWizardButtonShape Shape = wbsArrow;
  bool operator==(const TWizardButton&) const = default;
};

class TWizardView {
public:
  virtual ~TWizardView() = default;

  virtual void SetPage(int page) = 0;
  virtual void SetButton(TWizardButtonKind kind, const TWizardButton& state) = 0;

  // The language radio group (0 English .. 4 German) and the switch of the
  // strings packages named "Idioma".
  virtual int Language() const = 0;
  virtual void SetLanguage(int index) = 0;
  virtual void ActivateLanguage(int index) = 0;

  virtual bool EnvironmentTicked(int index) const = 0;
  virtual void SetEnvironmentTicked(int index, bool ticked) = 0;
  virtual void SetEnvironmentEnabled(int index, bool enabled) = 0;

  virtual std::string Accept() const = 0;  // "T" or "F"
  virtual void SetAccept(const std::string& value) = 0;
  virtual std::string GroupText() const = 0;
  virtual void SetGroupText(const std::string& text) = 0;
  virtual std::string FolderText() const = 0;
  virtual void SetFolderText(const std::string& text) = 0;
  // The licence as the user saw it, saved as License.txt.
  virtual std::vector<std::string> LicenseLines() const = 0;

  // The products list shows the items; -1 selects none.
  virtual void ShowProducts(const TProductList& products) = 0;
  virtual int SelectedProduct() const = 0;
  virtual void SelectProduct(int index) = 0;

  virtual void SetSituationText(const std::string& text) = 0;  // page 8
  // Page 8, below the situation: what Install will do, a line each; no
  // lines hide the list.
  virtual void SetPlanLines(const std::vector<std::string>& lines) = 0;
  virtual void SetProgressText(const std::string& text) = 0;   // page 6
  virtual void SetFinalText(const std::string& text) = 0;      // page 7
  virtual TProgressSink& ProgressBar() = 0;
  // 0 nothing, 1 and 2 the picture cleared, 3 to 5 the product picture shown.
  virtual void ShowImage(int imageMode, const std::vector<uint8_t>& picture) = 0;

  // The setup-file chooser; nothing when the user cancels.
  virtual std::optional<std::string> ChooseSetupFile() = 0;
  virtual void SetCaption(const std::string& caption) = 0;
  // Paints the window now, before a long run.
  virtual void Repaint() = 0;
  // The application's display of an error.
  virtual void ShowError(const std::string& message) = 0;
  // Variables come from the form, not from a file, while the installer is not current.
  virtual void UseEmbeddedVariables() = 0;
  virtual void Close(int modalResult) = 0;
};
