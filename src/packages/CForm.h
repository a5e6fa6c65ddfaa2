// The form configuration: the component each form of a program built on
// the library carries. It gives the form its window style, background,
// caption and icon from packages, size limits, the saved layout in a
// variables package, the keyboard of the application setup package, and
// the start-up completion of the main form. It puts its own window
// procedure in front of the form's.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "packages/ConfigLink.h"
#include "packages/DisplaySets.h"
#include "packages/PkgImages.h"
#include "packages/PkgLanguage.h"
#include "packages/PkgSetup.h"
#include "packages/PkgStrings.h"
#include "platform/windows/Forms.h"

class TKyPkgVars;

KY_ENUM(TKyRegisterOptions, uint8_t, reoNone, reoAll, reoAllNoPos)
KY_ENUM(TKyCenterOptions, uint8_t, ceoNone, ceoScreen, ceoPriorWindow)
KY_ENUM(TKyFormStyle, uint8_t, fmsNone, fmsNoBorder, fmsSingle, fmsDialog, fmsMenuDialog, fmsSizeable, fmsNoSizeable,
        fmsMDIForm, fmsMDIChildSize, fmsMDIChildNoSize, fmsToolWindow, fmsSizeToolWin)

class TKyCForm;
class TCanvas;

// Library messages: to every control of a form once the form has loaded,
// and to a main form once its window shows.
inline constexpr uint32_t CM_FORMLOADED = CM_BASE + 0x100;
inline constexpr uint32_t CM_STARTUPCOMPLETE = CM_BASE + 0x101;

// Paints a background set onto a rectangle (the skin provides it; without
// it forms show the set's plain colour).
using TKyBackgroundPainter =
    std::function<void(TCanvas& canvas, const TRect& rect, TKySetBackGround& set, bool mdiFrame)>;
void SetBackgroundPainter(TKyBackgroundPainter painter);

// The start-up completion runs once per process; a program that starts
// over (tests) forgets it.
void ResetStartUpCompletion();

// Controls that keep values of their own in the variables package.
class IKyRegisterValues {
public:
  virtual ~IKyRegisterValues() = default;
  virtual void LoadValues(TKyCForm& config) = 0;
  virtual void SaveValues(TKyCForm& config) = 0;
};

// Controls bound to a data set: the record shortcuts of the setup package
// act on it. True when the control carried the action out.
class IKyDataControl {
public:
  virtual ~IKyDataControl() = default;
  virtual bool DataAction(TKySetupKey key) = 0;
};

// Push buttons of the library: Enter is theirs, never a move to the next
// control.
class IKyPushButton {
public:
  virtual ~IKyPushButton() = default;
};

class TKyCForm : public TComponent {
  KY_CLASS(TKyCForm, TComponent)
public:
  // (Sender, the control that lost the focus, the one that got it)
  using TNotifyFocusChanged = TEvent<void(TObject*, TWinControl* from, TWinControl* to)>;

  explicit TKyCForm(TComponent* owner);
  ~TKyCForm() override;
  static void Publish(TPublisher<TKyCForm>& p);

  // The form configurations in creation order; the one of a form.
  static const std::vector<TKyCForm*>& List();
  static TKyCForm* FindOn(const TComponent* form);

  TCustomForm* Form() const { return form_; }

  // ---- Published ----
  int32_t IdentInt() const { return identInt_; }
  void SetIdentInt(int32_t value) { identInt_ = value; }
  const std::string& IdentName() const { return identName_; }
  void SetIdentName(const std::string& value) { identName_ = value; }
  TKyRegisterOptions RegisterOptions() const { return registerOptions_; }
  void SetRegisterOptions(TKyRegisterOptions value) { registerOptions_ = value; }
  TKyCenterOptions CenterOptions() const { return centerOptions_; }
  void SetCenterOptions(TKyCenterOptions value) { centerOptions_ = value; }
  const std::string& PkgVars() const { return pkgVars_; }
  void SetPkgVars(const std::string& value) { pkgVars_ = value; }
  TKyFormStyle Style() const { return style_; }
  void SetStyle(TKyFormStyle value);
  // The form's own AutoScroll (kept here without a form).
  bool AutoScroll() const;
  void SetAutoScroll(bool value);
  TBorderIcons BorderIcons() const;
  void SetBorderIcons(TBorderIcons value);
  TKySetBackGround* SetBackGround() const { return background_.get(); }
  std::string Caption() const;
  void SetCaption(const std::string& value);
  std::string Hint() const;
  void SetHint(const std::string& value);
  TKyMemoryLabel* CaptionId() const { return captionId_.get(); }
  TKyMemoryImage* Icon() const { return icon_.get(); }
  bool FormDestroy() const { return formDestroy_; }
  void SetFormDestroy(bool value) { formDestroy_ = value; }
  bool Transparent() const { return transparent_; }
  void SetTransparent(bool value);
  bool RefAdjust() const { return refAdjust_; }
  void SetRefAdjust(bool value) { refAdjust_ = value; }
  int32_t MinWidth() const { return minWidth_; }
  void SetMinWidth(int32_t value) { minWidth_ = value; }
  int32_t MaxWidth() const { return maxWidth_; }
  void SetMaxWidth(int32_t value) { maxWidth_ = value; }
  int32_t MinHeight() const { return minHeight_; }
  void SetMinHeight(int32_t value) { minHeight_ = value; }
  int32_t MaxHeight() const { return maxHeight_; }
  void SetMaxHeight(int32_t value) { maxHeight_ = value; }
  int32_t MaskDecimals() const { return maskDecimals_; }
  void SetMaskDecimals(int32_t value) { maskDecimals_ = value; }
  TKyDateYear MaskDateYear() const { return maskDateYear_; }
  void SetMaskDateYear(TKyDateYear value) { maskDateYear_ = value; }
  int32_t MaskDateYearFix() const { return maskDateYearFix_; }
  void SetMaskDateYearFix(int32_t value) { maskDateYearFix_ = value; }
  // A run-time switch: while set, the data controls of the form take
  // values without their OnValidate (a program filling a form).
  bool ValidationSuppressed() const { return validationSuppressed_; }
  void SetValidationSuppressed(bool value) { validationSuppressed_ = value; }

  TNotifyEvent OnInitExec;
  TNotifyEvent OnFormDestroy;
  TNotifyEvent OnLoadRegistry;
  TNotifyEvent OnSaveRegistry;
  TNotifyEvent OnActivate;
  TNotifyEvent OnDeactivate;
  TNotifyFocusChanged OnFocusChanged;

  // ---- Saved layout ----
  // The form's identification: IdentName, or the component name cut before
  // its first "_"; "_" and IdentInt appended when IdentInt > 0.
  std::string Identification() const;
  // Where a saved value of this form lives in the variables package.
  std::string VarPath(const std::string& valueName) const;
  // Whether the form is (or is about to be) shown modally: the two ways
  // of showing keep separate layouts.
  bool ShownModally() const;
  // The variables package named by PkgVars, or nullptr.
  TKyPkgVars* VarsPackage() const;
  void LoadRegistry();
  void SaveRegistry();
  // The layout as "__Info__" holds it: ten integers.
  std::string LayoutText() const;

  // The restored (normal) left, top, client width and client height.
  struct TNormalLayout {
    int32_t Left = 0, Top = 0, ClientWidth = 0, ClientHeight = 0;
  };
  const TNormalLayout& Normal() const { return normal_; }
  // The window state LoadRegistry found, applied when the form shows.
  TWindowState StateToRestore() const { return stateToRestore_; }

  // Caption, hint and icon from the packages again; the form and its
  // controls repaint (the controls through the library message, code 6).
  void PackagesChanged();
  // Every form configuration: after the setup or language package is read.
  static void NotifyAll();

protected:
  void ReadState(TReader& reader) override;

private:
  void FormLoaded();
  void ApplyStyle();
  void ApplyCaption();
  void ApplyIcon();
  bool IsFixedSize() const;
  bool RestoresSize() const;
  void CenterForm();
  void RecordNormal();
  void WndProc(TMessage& message);
  bool ChildKey(uint16_t key, TWinControl* control);
  void Shown(bool show);
  void PaintBackground(TMessage& message);
  void CompleteStartUp();
  void SaveVarsFiles();

  TCustomForm* form_ = nullptr;
  std::unique_ptr<TKyConfigLink> link_;
  // Marked by every notification pass that changed a reference.
  TKyChangeLink passLink_;
  TControl::TWndMethod savedProc_;
  bool hooked_ = false;

  int32_t identInt_ = 0;
  std::string identName_;
  TKyRegisterOptions registerOptions_ = reoAll;
  TKyCenterOptions centerOptions_ = ceoPriorWindow;
  std::string pkgVars_ = "User";
  TKyFormStyle style_ = fmsNone;
  bool autoScroll_ = false;
  std::string caption_, hint_;  // without a form
  std::unique_ptr<TKySetBackGround> background_;
  std::unique_ptr<TKyMemoryLabel> captionId_;
  std::unique_ptr<TKyMemoryImage> icon_;
  bool formDestroy_ = false;
  bool transparent_ = false;
  bool refAdjust_ = false;
  int32_t minWidth_ = -1, maxWidth_ = -1, minHeight_ = -1, maxHeight_ = -1;
  int32_t maskDecimals_ = 0;
  TKyDateYear maskDateYear_ = dyeYear4;
  int32_t maskDateYearFix_ = 0;
  bool validationSuppressed_ = false;

  TNormalLayout normal_;
  TWindowState stateToRestore_ = wsNormal;
  bool shownModally_ = false;
  bool shown_ = false;
  bool loadedDone_ = false;
};

// The form configuration that the library's loaded pass puts on a form
// without one (FormDestroy false).
TKyCForm* EnsureFormConfig(TCustomForm* form);

void RegisterFormConfigClasses();
