// The application configuration: the component, placed once on the main
// form, that owns everything application-wide of the component library —
// the display, language, setup, "User" variables and privileges packages,
// the folders of their files, the look of the standard dialogs and the
// scaling of fonts. Every reference and set object resolves through the
// first one created (FirstApplication).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "packages/CfgObjects.h"
#include "packages/ConfigLink.h"
#include "packages/PkgDisplay.h"
#include "packages/PkgImages.h"
#include "packages/PkgInfo.h"
#include "packages/PkgLanguage.h"
#include "packages/PkgPrivileges.h"
#include "packages/PkgSetup.h"
#include "packages/PkgStrings.h"
#include "packages/PkgVars.h"
#include "platform/base/Variant.h"

class TKyCApplication : public TComponent,
                        public IKyPkgApplication,
                        public IKyDisplayApplication,
                        public IKyPkgContainer,
                        public IKyPrivilegesApplication {
  KY_CLASS(TKyCApplication, TComponent)
public:
  // (Sender, var Terminate)
  using TNotifyLoaded = TEvent<void(TObject*, bool&)>;
  // (Sender, var Accept, var Date): the handler decides alone.
  using TNotifyCalendar = TEvent<void(TObject*, bool& accept, TDateTime& date)>;
  // (Sender, var Accept, var Value, Decimals)
  using TNotifyCalculator = TEvent<void(TObject*, bool& accept, double& value, int32_t decimals)>;

  explicit TKyCApplication(TComponent* owner);
  ~TKyCApplication() override;
  static void Publish(TPublisher<TKyCApplication>& p);

  // ---- Published ----
  bool Scaled() const override { return scaled_; }
  // On the first configuration also the Scaled of every form that has a
  // form configuration.
  void SetScaled(bool value);
  int32_t MinTimeLoad() const { return minTimeLoad_; }
  void SetMinTimeLoad(int32_t value) { minTimeLoad_ = value; }
  // Set by the program at run time; never stored.
  bool Admin() const { return admin_; }
  void SetAdmin(bool value) { admin_ = value; }
  bool RegisterVars() const { return registerVars_; }
  void SetRegisterVars(bool value) { registerVars_ = value; }
  TKyPkgDisplay* PkgDisplay() const override { return pkgDisplay_; }
  TKyPkgLanguage* PkgLanguage() const { return pkgLanguage_; }
  TKyPkgSetup* PkgSetup() const { return pkgSetup_; }
  TKyPkgVars* PkgVars() const { return pkgVars_; }
  TKyPkgPrivileges* Privileges() const override { return privileges_; }
  std::string PrivilegesKey() const override { return privilegesKey_; }
  void SetPrivilegesKey(const std::string& value) { privilegesKey_ = value; }
  TKyMemoryImage* Icon() const { return icon_; }
  const std::string& Path() const { return path_; }
  void SetPath(const std::string& value) { path_ = value; }
  const std::string& PathPkgVars() const { return pathPkgVars_; }
  void SetPathPkgVars(const std::string& value) { pathPkgVars_ = value; }
  std::string PathPrivileges() const override { return pathPrivileges_; }
  void SetPathPrivileges(const std::string& value) { pathPrivileges_ = value; }
  bool HandleExceptions() const { return handleExceptions_; }
  // Installs or removes the exception handler at once (not while loading).
  void SetHandleExceptions(bool value);
  bool ExceptionHandlerInstalled() const { return handlerInstalled_; }

  TKyCfgMessages* CfgMessages() const { return cfgMessages_; }
  TKyCfgHelps* CfgHelps() const { return cfgHelps_; }
  TKyCfgCalculator* CfgCalculator() const { return cfgCalculator_; }
  TKyCfgCalendar* CfgCalendar() const { return cfgCalendar_; }
  TKyCfgRichEdit* CfgRichEdit() const { return cfgRichEdit_; }
  TKyCfgPopupMenus* CfgPopupMenus() const { return cfgPopupMenus_; }

  TNotifyLoaded OnBeforeLoaded;
  TNotifyLoaded OnAfterLoaded;
  // Whether OnBeforeLoaded asked to end the program: the start-up
  // completion ends it too, whatever OnAfterLoaded says.
  bool TerminateBeforeLoaded() const { return terminateBeforeLoaded_; }
  void SetTerminateBeforeLoaded(bool value) { terminateBeforeLoaded_ = value; }
  TNotifyCalendar OnCalendar;
  TNotifyCalculator OnCalculator;

  // ---- Resolution ----
  std::string PackagePath() const override { return path_; }
  TKyPkgInfo* ReservedPackage(const TClassInfo& kind, bool user) const override;
  std::string ApplicationName() const override { return Name(); }
  bool IsLoadingPackages() const override;

  // The resolution the form was designed at (the screen's at creation,
  // then as streamed).
  int32_t DesignPixelsPerInch() const { return designPixelsPerInch_; }
  void SetDesignPixelsPerInch(int32_t value) { designPixelsPerInch_ = value; }
  int32_t ScaleHeight(int32_t height) const override;
  int32_t ScaleFontHeight(int32_t height, int32_t designPixelsPerInch) const override;

  // The start-up load of the packages: setup, language, display, variables
  // and privileges, in that order. Files are read only by the first
  // application configuration (or one being designed).
  void LoadPackages();

  // Moves every cache from one active configuration to another (either may
  // be null) and runs the notification passes.
  static void SwitchActive(TKyCApplication* newApp, TKyCApplication* oldApp);

  // The application's icon: the Icon picture when it is an icon, else the
  // program's "MAINICON" resource.
  void ApplyIcon();

  // Ask for a date or a number: OnCalendar / OnCalculator when assigned,
  // else the library's calendar or calculator form. True when the user
  // accepted; the value changes only then.
  bool ShowCalendar(TDateTime& date);
  bool ShowCalculator(int32_t decimals, double& value);

  // The "User" variables package.
  int32_t ReadVarInteger(const std::string& path, int32_t def) const;
  std::string ReadVarString(const std::string& path, const std::string& def) const;
  void WriteVarInteger(const std::string& path, int32_t value);
  void WriteVarString(const std::string& path, const std::string& value);
  bool DeleteVar(const std::string& path);

  // Told whenever a configuration object changes.
  TKyChangeLink& ChangeLink() { return link_; }

protected:
  void DefineProperties(TFiler& filer) override;

private:
  void InstallExceptionHandler();
  void RemoveExceptionHandler();
  void LoadVarsFile();

  TKyChangeLink link_;
  std::unique_ptr<TKyConfigLink> loadLink_;
  bool handlerInstalled_ = false;
  bool terminateBeforeLoaded_ = false;
  bool scaled_ = false;
  int32_t minTimeLoad_ = 0;
  bool admin_ = false;
  bool registerVars_ = true;
  std::string privilegesKey_;
  std::string path_;
  std::string pathPkgVars_;
  std::string pathPrivileges_;
  bool handleExceptions_ = true;
  int32_t designPixelsPerInch_;
  int loadingPackages_ = 0;

  TKyPkgDisplay* pkgDisplay_;
  TKyPkgLanguage* pkgLanguage_;
  TKyPkgSetup* pkgSetup_;
  TKyPkgVars* pkgVars_;
  TKyPkgPrivileges* privileges_;
  TKyMemoryImage* icon_;
  TKyCfgMessages* cfgMessages_;
  TKyCfgHelps* cfgHelps_;
  TKyCfgCalculator* cfgCalculator_;
  TKyCfgCalendar* cfgCalendar_;
  TKyCfgRichEdit* cfgRichEdit_;
  TKyCfgPopupMenus* cfgPopupMenus_;
};

// The application configurations in creation order, and the active one.
const std::vector<TKyCApplication*>& Applications();
TKyCApplication* FirstApplication();

// Passes over every image reference, set object and strings reference:
// drop every cache; drop the caches that found nothing; then those drop and
// every invalid one resolves again and tells its owner.
void InvalidateEveryReference();
void InvalidateEmptyReferences();
void NotifyEveryReference();

// The InsertMode of the first application configuration's setup package, or
// the library's default (insert) without one.
bool ApplicationInsertMode();

// Where unhandled errors are shown: the skinned message dialog plugs in
// here; without one, the platform's message box.
using TKyExceptionDisplay = std::function<void(const std::string& message)>;
void SetExceptionDisplay(TKyExceptionDisplay display);
void ShowExceptionMessage(const std::string& message);

// The library's calendar and calculator forms, when a program has them.
using TKyCalendarForm = std::function<bool(TDateTime& date, const TKyPkgLanguageLocale& locale)>;
using TKyCalculatorForm = std::function<bool(double& value, int32_t decimals)>;
void SetCalendarForm(TKyCalendarForm form);
void SetCalculatorForm(TKyCalculatorForm form);

// Registers the application and form configurations and the package
// classes that a form stream may name, and joins them to the library's
// loaded pass.
void RegisterApplicationClasses();
