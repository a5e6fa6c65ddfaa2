#include "packages/CApplication.h"

#include <algorithm>
#include <optional>

#include "packages/CForm.h"
#include "packages/MessageService.h"
#include "platform/graphics/Icon.h"
#include "platform/os/FileOps.h"
#include "platform/windows/Application.h"

namespace {

std::vector<TKyCApplication*>& AppList() {
  static std::vector<TKyCApplication*> apps;
  return apps;
}

// The loading state of LoadPackages, undone on every way out.
struct TLoadingGuard {
  int& n;
  explicit TLoadingGuard(int& counter) : n(counter) { ++n; }
  ~TLoadingGuard() { --n; }
};

TKyExceptionDisplay& ExceptionDisplay() {
  static TKyExceptionDisplay display;
  return display;
}

TKyCalendarForm& CalendarForm() {
  static TKyCalendarForm form;
  return form;
}

TKyCalculatorForm& CalculatorForm() {
  static TKyCalculatorForm form;
  return form;
}

// The form a component sits on (its owners upwards), or nullptr.
TCustomForm* FormOf(TComponent* component) {
  for (TComponent* c = component; c; c = c->Owner())
    if (auto* form = dynamic_cast<TCustomForm*>(c)) return form;
  return nullptr;
}

// Before each loaded pass: an application configuration exists, and every
// form with waiting components has a form configuration.
void PrepareLoadedPass(TComponent* root) {
  auto* rootForm = dynamic_cast<TCustomForm*>(root);
  if (!FirstApplication() && rootForm) new TKyCApplication(rootForm);
  std::vector<TCustomForm*> forms;
  for (TKyConfigLink* link : TKyConfigLink::WaitingLinks())
    if (TCustomForm* form = FormOf(link->Owner()))
      if (std::find(forms.begin(), forms.end(), form) == forms.end()) forms.push_back(form);
  for (TCustomForm* form : forms) EnsureFormConfig(form);
}

// The first pass of the process: the program may stop before any window.
void BeforeLoaded() {
  TKyCApplication* app = FirstApplication();
  if (!app || !app->OnBeforeLoaded) return;
  bool terminate = false;
  app->OnBeforeLoaded(app, terminate);
  app->SetTerminateBeforeLoaded(terminate);
  if (terminate && Application) Application->Terminate();
}

void InvalidateApplicationReferences(TKyCApplication* app) {
  if (!app) return;
  app->PkgDisplay()->InvalidateReferences();
  for (TKyStringsTable t : {sttLabels, sttMessages, sttTexts}) {
    TKyMemoryReference::InvalidateTable(t, &app->PkgLanguage()->SystemStrings());
    TKyMemoryReference::InvalidateTable(t, &app->PkgLanguage()->UserStrings());
  }
}

}  // namespace

void InvalidateEveryReference() {
  TKyMemoryImage::InvalidateAll();
  for (TKySetKind k : {sekFont, sekColor, sekBackGround}) TKySetObject::InvalidateAll(k);
  for (TKyStringsTable t : {sttLabels, sttMessages, sttTexts}) TKyMemoryReference::InvalidateAll(t);
}

void InvalidateEmptyReferences() {
  TKyMemoryImage::InvalidateEmpty();
  for (TKySetKind k : {sekFont, sekColor, sekBackGround}) TKySetObject::InvalidateEmpty(k);
  for (TKyStringsTable t : {sttLabels, sttMessages, sttTexts}) TKyMemoryReference::InvalidateEmpty(t);
}

void NotifyEveryReference() {
  if (ApplicationDestroying()) return;
  InvalidateEmptyReferences();
  for (TKyStringsTable t : {sttLabels, sttMessages, sttTexts}) TKyMemoryReference::NotifyPass(t);
  for (TKySetKind k : {sekFont, sekColor, sekBackGround}) TKySetObject::NotifyPass(k);
  TKyMemoryImage::NotifyPass();
}

const std::vector<TKyCApplication*>& Applications() { return AppList(); }

TKyCApplication* FirstApplication() { return AppList().empty() ? nullptr : AppList().front(); }

bool ApplicationInsertMode() {
  if (TKyCApplication* app = FirstApplication()) return app->PkgSetup()->Keys()->InsertMode();
  return true;
}

// ---- Creation and destruction ----

TKyCApplication::TKyCApplication(TComponent* owner)
    : TComponent(owner), designPixelsPerInch_(ScreenPixelsPerInch()) {
  // The display and language packages name their own "System" and "User"
  // images and strings packages.
  pkgDisplay_ = new TKyPkgDisplay(this);
  pkgLanguage_ = new TKyPkgLanguage(this);
  pkgSetup_ = new TKyPkgSetup(this);
  pkgVars_ = new TKyPkgVars(this);
  pkgVars_->StorePkgName(kUserPkg);
  privileges_ = new TKyPkgPrivileges(this);
  icon_ = new TKyMemoryImage(this);
  auto own = [this](auto* cfg) {
    cfg->OnChange = [this] { link_.Change(); };
    return cfg;
  };
  cfgMessages_ = own(new TKyCfgMessages(this));
  cfgHelps_ = own(new TKyCfgHelps(this));
  cfgCalculator_ = own(new TKyCfgCalculator(this));
  cfgCalendar_ = own(new TKyCfgCalendar(this));
  cfgRichEdit_ = own(new TKyCfgRichEdit(this));
  cfgPopupMenus_ = own(new TKyCfgPopupMenus(this));

  AppList().push_back(this);
  RegisterPkgApplication(this);
  loadLink_ = std::make_unique<TKyConfigLink>(this, kLinkApplication);
  loadLink_->OnAfterLoad = [this](TKyConfigLink&) {
    if (!IsDesigning()) LoadPackages();
  };
  SetVarsPathProvider([] {
    TKyCApplication* first = FirstApplication();
    return first ? first->PathPkgVars() : std::string();
  });
}

TKyCApplication::~TKyCApplication() {
  TKyConfigLock lock;
  std::optional<TKyChangeBatch> batch;
  if (ComponentCount() > 0) batch.emplace();
  // Our packages hold back their passes from here on: the switch runs them.
  Destroying();
  privileges_->Clear();
  RemoveExceptionHandler();
  bool wasFirst = FirstApplication() == this;
  std::erase(AppList(), this);
  UnregisterPkgApplication(this);
  if (wasFirst && !ApplicationDestroying()) {
    SwitchActive(FirstApplication(), this);
    if (TKyCApplication* next = FirstApplication()) {
      if (next->handleExceptions_ && !next->IsDesigning()) next->InstallExceptionHandler();
      next->ApplyIcon();
    }
  }
  delete cfgPopupMenus_;
  delete cfgRichEdit_;
  delete cfgCalendar_;
  delete cfgCalculator_;
  delete cfgHelps_;
  delete cfgMessages_;
  delete icon_;
  delete privileges_;
  delete pkgVars_;
  delete pkgSetup_;
  delete pkgLanguage_;
  delete pkgDisplay_;
}

void TKyCApplication::Publish(TPublisher<TKyCApplication>& p) {
  using A = TKyCApplication;
  p.Property("Scaled", &A::Scaled, &A::SetScaled);
  p.Property("MinTimeLoad", &A::MinTimeLoad, &A::SetMinTimeLoad).Default(0);
  p.Property("Admin", &A::Admin, &A::SetAdmin).Stored(false);
  p.Property("RegisterVars", &A::RegisterVars, &A::SetRegisterVars).Default(true);
  // Owned packages: a form text reaches their properties ("PkgSetup.Keys.EnterAsTab").
  p.Property("PkgDisplay", &A::PkgDisplay);
  p.Property("PkgLanguage", &A::PkgLanguage);
  p.Property("PkgSetup", &A::PkgSetup);
  p.Property("PkgVars", &A::PkgVars);
  p.Property("Privileges", &A::Privileges);
  p.Property("PrivilegesKey", &A::PrivilegesKey, &A::SetPrivilegesKey);
  p.Property("Icon", &A::Icon);
  p.Property("Path", &A::Path, &A::SetPath);
  p.Property("PathPkgVars", &A::PathPkgVars, &A::SetPathPkgVars);
  p.Property("PathPrivileges", &A::PathPrivileges, &A::SetPathPrivileges);
  p.Property("HandleExceptions", &A::HandleExceptions, &A::SetHandleExceptions).Default(true);
  p.Property("CfgMessages", &A::CfgMessages);
  p.Property("CfgHelps", &A::CfgHelps);
  p.Property("CfgCalculator", &A::CfgCalculator);
  p.Property("CfgCalendar", &A::CfgCalendar);
  p.Property("CfgRichEdit", &A::CfgRichEdit);
  p.Property("CfgPopupMenus", &A::CfgPopupMenus);
  p.Event("OnBeforeLoaded", &A::OnBeforeLoaded);
  p.Event("OnAfterLoaded", &A::OnAfterLoaded);
  p.Event("OnCalendar", &A::OnCalendar);
  p.Event("OnCalculator", &A::OnCalculator);
}

// ---- Resolution ----

TKyPkgInfo* TKyCApplication::ReservedPackage(const TClassInfo& kind, bool user) const {
  if (&kind == &TKyPkgStrings::StaticClass())
    return user ? &pkgLanguage_->UserStrings() : &pkgLanguage_->SystemStrings();
  if (&kind == &TKyPkgImages::StaticClass())
    return user ? &pkgDisplay_->UserImages() : &pkgDisplay_->SystemImages();
  if (&kind == &TKyPkgVars::StaticClass()) return user ? pkgVars_ : nullptr;
  return nullptr;
}

bool TKyCApplication::IsLoadingPackages() const { return IsLoading() || loadingPackages_ > 0; }

void TKyCApplication::SetScaled(bool value) {
  scaled_ = value;
  if (FirstApplication() != this) return;
  for (TKyCForm* config : TKyCForm::List())
    if (config->Form()) config->Form()->SetScaled(value);
}

int32_t TKyCApplication::ScaleHeight(int32_t height) const {
  return ScaleFontHeight(height, designPixelsPerInch_);
}

int32_t TKyCApplication::ScaleFontHeight(int32_t height, int32_t designPixelsPerInch) const {
  if (!scaled_) return height;
  return ScaleFontHeightFor(height, ScreenPixelsPerInch(), designPixelsPerInch);
}

// ---- Streaming ----

void TKyCApplication::DefineProperties(TFiler& filer) {
  TComponent::DefineProperties(filer);
  auto* ancestor = dynamic_cast<TKyCApplication*>(filer.Ancestor());
  auto of = [ancestor](auto member) { return ancestor ? (ancestor->*member)() : nullptr; };
  filer.DefineProperty(
      "PixelsPerInch", [this](TReader& r) { designPixelsPerInch_ = r.ReadInteger(); },
      [](TWriter& w) { w.WriteInteger(ScreenPixelsPerInch()); }, true);
  filer.DefineProperty(
      "DefaultTextHeight",
      [this](TReader& r) {
        int32_t height = r.ReadInteger();
        if (FirstApplication() == this) LibraryDefaultFont().Height = height;
      },
      [](TWriter& w) { w.WriteInteger(LibraryDefaultFont().Height); }, true);
  pkgSetup_->DefineInitMode(filer, "PkgSetupInitMode", of(&TKyCApplication::PkgSetup));
  pkgLanguage_->DefineInitMode(filer, "PkgLanguageInitMode", of(&TKyCApplication::PkgLanguage));
  pkgDisplay_->DefineInitMode(filer, "PkgDisplayInitMode", of(&TKyCApplication::PkgDisplay));
  pkgVars_->DefineInitMode(filer, "PkgVarsInitMode", of(&TKyCApplication::PkgVars));
  pkgSetup_->DefineFileName(filer, "PkgSetupFileName", of(&TKyCApplication::PkgSetup));
  pkgSetup_->DefineData(filer, "PkgSetupData", of(&TKyCApplication::PkgSetup));
  pkgLanguage_->DefineData(filer, "PkgLanguageData", of(&TKyCApplication::PkgLanguage));
  pkgDisplay_->DefineData(filer, "PkgDisplayData", of(&TKyCApplication::PkgDisplay));
  pkgVars_->DefineData(filer, "PkgVarsData", of(&TKyCApplication::PkgVars));
  privileges_->DefineData(filer, "PrivilegesData", of(&TKyCApplication::Privileges));
}

// ---- Start-up ----

void TKyCApplication::LoadPackages() {
  TKyConfigLock lock;
  bool first = FirstApplication() == this;
  bool fromFile = first || IsDesigning();
  {
    TLoadingGuard loading(loadingPackages_);
    auto load = [fromFile](TKyPkgInfo& pkg) {
      if (pkg.InitMode() == rimFILE && fromFile) pkg.Reload();
    };
    // Each package's dependants hear of it once read (its own passes are
    // held back while we load).
    load(*pkgSetup_);
    pkgSetup_->NotifyReloaded();
    pkgSetup_->SetModified(false);
    load(*pkgLanguage_);
    pkgLanguage_->NotifyReloaded();
    if (pkgLanguage_->UseSystem()) pkgLanguage_->TakeSystemSettings(false);
    pkgLanguage_->SetModified(false);
    load(*pkgDisplay_);
    pkgDisplay_->NotifyReloaded();
    pkgDisplay_->SetModified(false);
    if (pkgVars_->InitMode() == rimFILE && fromFile) LoadVarsFile();
    pkgVars_->SetModified(false);
    // The definitions came with the form: controls and handlers hear of them once.
    privileges_->NotifyChanged();
    privileges_->SetModified(false);
  }
  ApplyIcon();
  InvalidateEmptyReferences();
  // A configuration that becomes the first after the program has its main
  // form takes over every cache; on the main form itself the reload
  // notifications above did that.
  if (first && Application && Application->MainForm()) SwitchActive(this, nullptr);
  if (handleExceptions_ && first && !IsDesigning()) InstallExceptionHandler();
}

// A missing variables file is not an error: the package starts empty. Nor
// is a damaged one, which must not keep the program from starting: it is
// reported once and replaced when the forms save their layout.
void TKyCApplication::LoadVarsFile() {
  if (pkgVars_->FileName().empty() || !FileExists(pkgVars_->FullFileName())) return;
  try {
    pkgVars_->Reload();
  } catch (const Exception& e) {
    pkgVars_->Clear();
    ShowExceptionMessage(e.Message());
  }
}

void TKyCApplication::ApplyIcon() {
  if (!Application || FirstApplication() != this) return;
  std::unique_ptr<TGraphic> graphic;
  try {
    graphic = icon_->Graphic();
  } catch (const Exception&) {
    // A picture that does not decode: the program's own icon instead.
  }
  if (auto* icon = dynamic_cast<TIcon*>(graphic.get()))
    Application->Icon()->Assign(icon);
  else
    Application->Icon()->LoadFromResourceName("MAINICON");
}

// ---- Exceptions ----

void SetExceptionDisplay(TKyExceptionDisplay display) { ExceptionDisplay() = std::move(display); }

void ShowExceptionMessage(const std::string& message) {
  if (ExceptionDisplay()) {
    ExceptionDisplay()(message);
    return;
  }
  if (Application) Application->ShowException(Exception(message));
}

void TKyCApplication::SetHandleExceptions(bool value) {
  if (value == handleExceptions_) return;
  handleExceptions_ = value;
  if (IsLoading() || IsLoadingPackages()) return;
  if (value && FirstApplication() == this && !IsDesigning())
    InstallExceptionHandler();
  else if (!value)
    RemoveExceptionHandler();
}

void TKyCApplication::InstallExceptionHandler() {
  if (handlerInstalled_ || !Application) return;
  Application->OnException = [](TObject*, const std::exception& e) { ShowExceptionMessage(e.what()); };
  handlerInstalled_ = true;
}

void TKyCApplication::RemoveExceptionHandler() {
  if (!handlerInstalled_) return;
  handlerInstalled_ = false;
  if (Application) Application->OnException = nullptr;
}

// ---- Calendar and calculator ----

void SetCalendarForm(TKyCalendarForm form) { CalendarForm() = std::move(form); }
void SetCalculatorForm(TKyCalculatorForm form) { CalculatorForm() = std::move(form); }

bool TKyCApplication::ShowCalendar(TDateTime& date) {
  bool accept = true;
  TDateTime value = date;
  if (OnCalendar)
    OnCalendar(this, accept, value);
  else if (CalendarForm())
    accept = CalendarForm()(value, pkgLanguage_->Locale());
  else
    accept = false;
  if (accept) date = value;
  return accept;
}

bool TKyCApplication::ShowCalculator(int32_t decimals, double& value) {
  bool accept = true;
  double result = value;
  if (OnCalculator)
    OnCalculator(this, accept, result, decimals);
  else if (CalculatorForm())
    accept = CalculatorForm()(result, decimals);
  else
    accept = false;
  if (accept) value = result;
  return accept;
}

void TKyCApplication::SwitchActive(TKyCApplication* newApp, TKyCApplication* oldApp) {
  TKyConfigLock lock;
  TKyChangeBatch batch;
  InvalidateApplicationReferences(oldApp);
  InvalidateApplicationReferences(newApp);
  if (ApplicationDestroying()) return;
  NotifyEveryReference();
  TKyPrivilege::UpdateAll();
}

// ---- Variables ----

int32_t TKyCApplication::ReadVarInteger(const std::string& path, int32_t def) const {
  return pkgVars_->ReadInteger(path, def);
}

std::string TKyCApplication::ReadVarString(const std::string& path, const std::string& def) const {
  return pkgVars_->ReadString(path, def);
}

void TKyCApplication::WriteVarInteger(const std::string& path, int32_t value) { pkgVars_->WriteInteger(path, value); }

void TKyCApplication::WriteVarString(const std::string& path, const std::string& value) {
  pkgVars_->WriteString(path, value);
}

bool TKyCApplication::DeleteVar(const std::string& path) { return pkgVars_->Delete(path); }

void RegisterApplicationClasses() {
  SetLoadedPassHooks({&PrepareLoadedPass, &BeforeLoaded});
  RegisterFormConfigClasses();
  RegisterPackageClasses();
  RegisterImagesClasses();
  RegisterPrivilegesClasses();
  RegisterClasses({&TKyCApplication::StaticClass(), &TKyPkgSetup::StaticClass(), &TKyPkgLanguage::StaticClass(),
                   &TKyPkgVars::StaticClass()});
}
