#include "packages/CApplication.h"

#include <algorithm>
#include <optional>

#include "platform/os/FileOps.h"

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
  bool wasFirst = FirstApplication() == this;
  std::erase(AppList(), this);
  UnregisterPkgApplication(this);
  if (wasFirst && !ApplicationDestroying()) SwitchActive(FirstApplication(), this);
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

void TKyCApplication::SetScaled(bool value) { scaled_ = value; }

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

void TKyCApplication::Loaded() {
  TComponent::Loaded();
  if (!IsDesigning()) LoadPackages();
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
    load(*pkgSetup_);
    pkgSetup_->SetModified(false);
    load(*pkgLanguage_);
    if (pkgLanguage_->UseSystem()) pkgLanguage_->TakeSystemSettings(false);
    pkgLanguage_->SetModified(false);
    load(*pkgDisplay_);
    pkgDisplay_->SetModified(false);
    // A missing variables file is not an error: the package starts empty.
    if (pkgVars_->InitMode() == rimFILE && fromFile && !pkgVars_->FileName().empty() &&
        FileExists(pkgVars_->FullFileName()))
      pkgVars_->Reload();
    pkgVars_->SetModified(false);
    // The definitions came with the form: controls and handlers hear of them once.
    privileges_->NotifyChanged();
    privileges_->SetModified(false);
  }
  // Controls made before the packages were loaded (the main form's own,
  // which load first) re-resolve and repaint now.
  if (first)
    SwitchActive(this, nullptr);
  else
    InvalidateEmptyReferences();
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
  RegisterPackageClasses();
  RegisterImagesClasses();
  RegisterPrivilegesClasses();
  RegisterClasses({&TKyCApplication::StaticClass(), &TKyPkgSetup::StaticClass(), &TKyPkgLanguage::StaticClass(),
                   &TKyPkgVars::StaticClass()});
}
