// The privileges list: one check item per entry of a privileges package,
// its state showing the entry's level (checked full, grayed locked,
// unchecked hidden). Changing a state writes the level back.
#pragma once

#include "controls/KyListBox.h"
#include "packages/PkgPrivileges.h"

class TKyLBPrivileges : public TKyCustomListBox {
  KY_CLASS(TKyLBPrivileges, TKyCustomListBox)
public:
  explicit TKyLBPrivileges(TComponent* owner);
  ~TKyLBPrivileges() override;
  static void Publish(TPublisher<TKyLBPrivileges>& p);

  TKyPkgPrivileges* PkgPrivileges() const { return package_; }
  void SetPkgPrivileges(TKyPkgPrivileges* value);
  // The items anew from the package (after it changed elsewhere).
  void RefreshItems();

  static TKyCheckState StateOfLevel(uint8_t level);
  static uint8_t LevelOfState(TKyCheckState state);

  void UpdateDisplay() override;

protected:
  void Notification(TComponent* component, TOperation operation) override;
  void StateChanged(TKyListBoxItem* item) override;

private:
  TKyPkgPrivileges* package_ = nullptr;
  bool refreshing_ = false;
};

void RegisterLBPrivilegesClasses();
