#include "skin/LinkEvt.h"

#include "packages/CForm.h"
#include "platform/windows/Controls.h"

bool TKyLinkEvt::IsBusy() const { return lockCount_ > 0 || !Owner() || Owner()->IsLoading(); }

void TKyLinkEvt::Notify(int32_t code, int32_t value) {
  if (!active_ || IsBusy() || Owner()->IsDestroying()) return;
  if (OnNotify) OnNotify(code, value);
  if (auto* control = dynamic_cast<TControl*>(Owner()))
    control->Perform(KyMessageMaster(), static_cast<WPARAM>(code), static_cast<LPARAM>(value));
}

bool FormEventsSuppressed(const TComponent* component) {
  for (const TComponent* c = component; c; c = c->Owner())
    if (TKyCForm* config = TKyCForm::FindOn(c)) return config->ValidationSuppressed();
  return false;
}
