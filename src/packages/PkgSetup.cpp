#include "packages/PkgSetup.h"

#include <utility>

#include "packages/CApplication.h"
#include "packages/CForm.h"

// ---- Keys ----

namespace {

constexpr const char* kKeyNames[kSetupKeyCount] = {
    "KeyRelation", "KeyMaint",   "KeyCalculator", "KeyCalendar", "KeyCustom1",
    "KeyCustom2",  "KeyInsert",  "KeyPost",       "KeyEdit",     "KeyDelete",
    "KeyRefresh",  "KeyFirst",   "KeyLast",       "KeyNext",     "KeyPrior"};

constexpr const char* kKeyDefaults[kSetupKeyCount] = {
    "F6",     "F7",       "F8",         "F8",        "(None)",    "(None)",     "Ctrl+Ins", "Ctrl+Enter",
    "F2",     "Ctrl+Del", "F5",         "Ctrl+Home", "Ctrl+End",  "Ctrl+PgDn",  "Ctrl+PgUp"};

template <size_t... I>
void PublishKeys(TPublisher<TKyPkgSetupKeys>& p, std::index_sequence<I...>) {
  (p.Property(kKeyNames[I], &TKyPkgSetupKeys::KeyOf<static_cast<TKySetupKey>(I)>,
              &TKyPkgSetupKeys::SetKeyOf<static_cast<TKySetupKey>(I)>)
       .Stored(&TKyPkgSetupKeys::KeyStored<static_cast<TKySetupKey>(I)>),
   ...);
}

}  // namespace

const char* SetupKeyName(TKySetupKey key) { return kKeyNames[key]; }

TKyPkgSetupKeys::TKyPkgSetupKeys(TPersistent* owner) : owner_(owner) { Reset(); }

TShortCut TKyPkgSetupKeys::DefaultKey(TKySetupKey key) {
  static const std::array<TShortCut, kSetupKeyCount> defaults = [] {
    std::array<TShortCut, kSetupKeyCount> d{};
    for (size_t i = 0; i < d.size(); ++i) d[i] = TextToShortCut(kKeyDefaults[i]);
    return d;
  }();
  return defaults[key];
}

void TKyPkgSetupKeys::Reset() {
  insertMode_ = true;
  enterAsTab_ = false;
  for (size_t i = 0; i < keys_.size(); ++i) keys_[i] = DefaultKey(static_cast<TKySetupKey>(i));
}

void TKyPkgSetupKeys::Publish(TPublisher<TKyPkgSetupKeys>& p) {
  p.Property("InsertMode", &TKyPkgSetupKeys::InsertMode, &TKyPkgSetupKeys::SetInsertMode).Default(true);
  p.Property("EnterAsTab", &TKyPkgSetupKeys::EnterAsTab, &TKyPkgSetupKeys::SetEnterAsTab).Default(false);
  PublishKeys(p, std::make_index_sequence<kSetupKeyCount>{});
}

void TKyPkgSetupKeys::Changed() {
  if (OnChange) OnChange();
}

void TKyPkgSetupKeys::SetInsertMode(bool value) {
  if (value == insertMode_) return;
  insertMode_ = value;
  Changed();
}

void TKyPkgSetupKeys::SetEnterAsTab(bool value) {
  if (value == enterAsTab_) return;
  enterAsTab_ = value;
  Changed();
}

void TKyPkgSetupKeys::SetKey(TKySetupKey key, TShortCut value) {
  if (value == keys_.at(key)) return;
  keys_[key] = value;
  Changed();
}

void TKyPkgSetupKeys::Assign(const TPersistent* source) {
  if (auto* s = dynamic_cast<const TKyPkgSetupKeys*>(source)) {
    if (s == this) return;
    insertMode_ = s->insertMode_;
    enterAsTab_ = s->enterAsTab_;
    keys_ = s->keys_;
    Changed();
    return;
  }
  TPersistent::Assign(source);
}

bool ShortCutMatches(TShortCut shortCut, uint16_t key, bool shift, bool ctrl, bool alt) {
  if (shortCut == 0) return false;
  return (shortCut & 0xFF) == key && ((shortCut & scShift) != 0) == shift && ((shortCut & scCtrl) != 0) == ctrl &&
         ((shortCut & scAlt) != 0) == alt;
}

// ---- The package ----

TKyPkgSetup::TKyPkgSetup(TComponent* owner) : TKyPkgInfo(owner), keys_(new TKyPkgSetupKeys(this)) {
  keys_->OnChange = [this] { Change(); };
}

TKyPkgSetup::~TKyPkgSetup() { delete keys_; }

void TKyPkgSetup::Publish(TPublisher<TKyPkgSetup>& p) { p.Property("Keys", &TKyPkgSetup::Keys); }

TKyPkgInfo* TKyPkgSetup::FileTarget(TFileSlot slot) const {
  auto* app = dynamic_cast<TKyCApplication*>(Owner());
  if (!app || app->PkgSetup() != this) return nullptr;
  switch (slot) {
    case fsLanguage:
      return app->PkgLanguage();
    case fsDisplay:
      return app->PkgDisplay();
    case fsVars:
      return app->PkgVars();
  }
  return nullptr;
}

std::string TKyPkgSetup::FileNameOf(TFileSlot slot) const {
  if (TKyPkgInfo* target = FileTarget(slot)) return target->FileName();
  return fileNames_.at(slot);
}

void TKyPkgSetup::SetFileNameOf(TFileSlot slot, const std::string& value) {
  if (TKyPkgInfo* target = FileTarget(slot))
    target->SetFileName(value);
  else
    fileNames_.at(slot) = value;
  Change();
}

std::string TKyPkgSetup::LanguageFileName() const { return FileNameOf(fsLanguage); }
void TKyPkgSetup::SetLanguageFileName(const std::string& value) { SetFileNameOf(fsLanguage, value); }
std::string TKyPkgSetup::DisplayFileName() const { return FileNameOf(fsDisplay); }
void TKyPkgSetup::SetDisplayFileName(const std::string& value) { SetFileNameOf(fsDisplay, value); }
std::string TKyPkgSetup::VarsFileName() const { return FileNameOf(fsVars); }
void TKyPkgSetup::SetVarsFileName(const std::string& value) { SetFileNameOf(fsVars, value); }

void TKyPkgSetup::Clear() {
  TKyConfigLock lock;
  StoreDescription("");
  keys_->Reset();
  for (auto& name : fileNames_) name.clear();
  Change();
}

void TKyPkgSetup::ReadPackage(TKyReader& reader) {
  TKyPkgChangeScope scope(*this);
  bool loading = scope.Loading();
  ReadHeader(reader);
  // The files of the other packages may change: nothing cached stays valid.
  InvalidateEveryReference();
  StoreDescription(reader.ReadString());
  bool insertMode = reader.ReadBoolean();
  bool enterAsTab = reader.ReadBoolean();
  std::array<TShortCut, kSetupKeyCount> keys{};
  for (TKySetupKey k : kBodyOrder) keys[k] = static_cast<TShortCut>(reader.ReadInteger() & 0xFFFF);
  std::string language = reader.ReadString();
  std::string display = reader.ReadString();
  std::string vars = reader.ReadString();
  {
    // One change for the whole package, not one per field.
    auto notify = std::exchange(keys_->OnChange, nullptr);
    keys_->SetInsertMode(insertMode);
    keys_->SetEnterAsTab(enterAsTab);
    for (size_t i = 0; i < keys.size(); ++i) keys_->SetKey(static_cast<TKySetupKey>(i), keys[i]);
    keys_->OnChange = std::move(notify);
  }
  for (auto [slot, value] : {std::pair{fsLanguage, &language}, {fsDisplay, &display}, {fsVars, &vars}}) {
    if (TKyPkgInfo* target = FileTarget(slot))
      target->SetFileName(*value);
    else
      fileNames_[slot] = *value;
  }
  if (!loading) NotifyReloaded();
  Change();
}

void TKyPkgSetup::NotifyReloaded() {
  if (ApplicationDestroying()) return;
  TKyChangeBatch batch;
  NotifyEveryReference();
  TKyCForm::NotifyAll();
}

void TKyPkgSetup::WritePackage(TKyWriter& writer) {
  WriteHeader(writer);
  writer.WriteString(Description());
  writer.WriteBoolean(keys_->InsertMode());
  writer.WriteBoolean(keys_->EnterAsTab());
  for (TKySetupKey k : kBodyOrder) writer.WriteInteger(keys_->Key(k));
  writer.WriteString(LanguageFileName());
  writer.WriteString(DisplayFileName());
  writer.WriteString(VarsFileName());
}
