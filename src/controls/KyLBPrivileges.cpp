#include "controls/KyLBPrivileges.h"

#include <string>

#include "platform/base/SysUtils.h"

namespace {

// Sets flag for the life of the guard.
struct TFlagGuard {
  explicit TFlagGuard(bool& flag) : flag_(flag), old_(flag) { flag_ = true; }
  ~TFlagGuard() { flag_ = old_; }
  bool& flag_;
  bool old_;
};

}  // namespace

TKyLBPrivileges::TKyLBPrivileges(TComponent* owner) : TKyCustomListBox(owner) {
  SetModeSelection(lmsCheck);
  SetAllowGrayed(true);
  SetAlignValues(alvNone);
}

TKyLBPrivileges::~TKyLBPrivileges() {
  if (package_) package_->RemoveFreeNotification(this);
}

TKyCheckState TKyLBPrivileges::StateOfLevel(uint8_t level) {
  return level >= kPrivilegeFull ? cksChecked : level == kPrivilegeLocked ? cksGrayed : cksUnChecked;
}

uint8_t TKyLBPrivileges::LevelOfState(TKyCheckState state) {
  return state == cksChecked ? kPrivilegeFull : state == cksGrayed ? kPrivilegeLocked : kPrivilegeHidden;
}

void TKyLBPrivileges::SetPkgPrivileges(TKyPkgPrivileges* value) {
  if (value == package_) return;
  if (package_) package_->RemoveFreeNotification(this);
  package_ = value;
  if (package_) package_->FreeNotification(this);
  if (!IsLoading()) RefreshItems();
}

void TKyLBPrivileges::Notification(TComponent* component, TOperation operation) {
  TKyCustomListBox::Notification(component, operation);
  if (operation == opRemove && component == package_) {
    package_ = nullptr;
    if (!IsDestroying()) RefreshItems();
  }
}

void TKyLBPrivileges::RefreshItems() {
  TFlagGuard guard(refreshing_);
  TKyListBoxItems& items = *Items();
  items.BeginUpdate();
  try {
    items.Clear();
    for (int i = 0; package_ && i < package_->Count(); ++i) {
      TKyPkgPrivilegesItem* entry = package_->Items(i);
      auto* item = static_cast<TKyListBoxItem*>(items.Add(std::to_string(entry->Id()), entry->Description()));
      item->SetState(StateOfLevel(entry->Level()));
    }
  } catch (...) {
    items.EndUpdate();
    throw;
  }
  items.EndUpdate();
}

void TKyLBPrivileges::UpdateDisplay() {
  {
    // The package holds the levels: a streamed value must not write them.
    TFlagGuard guard(refreshing_);
    TKyCustomListBox::UpdateDisplay();
  }
  RefreshItems();
}

void TKyLBPrivileges::StateChanged(TKyListBoxItem* item) {
  if (refreshing_ || !package_) return;
  int32_t id = 0;
  if (!TryStrToInt(item->Value(), id)) return;
  if (TKyPkgPrivilegesItem* entry = package_->FindItem(id)) entry->SetLevel(LevelOfState(item->State()));
}

void TKyLBPrivileges::Publish(TPublisher<TKyLBPrivileges>& p) {
  PublishListBox(p);
  p.Property("PkgPrivileges", &TKyLBPrivileges::PkgPrivileges, &TKyLBPrivileges::SetPkgPrivileges);
}

void RegisterLBPrivilegesClasses() { RegisterClasses({&TKyLBPrivileges::StaticClass()}); }
