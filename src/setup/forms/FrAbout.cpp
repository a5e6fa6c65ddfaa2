#include "setup/forms/FrAbout.h"

#include "controls/KyButtons.h"
#include "platform/windows/Messages.h"
#include "skin/Label.h"

TFrAbout* FrAbout = nullptr;

namespace {
// The Close button's result: any result other than none ends the box.
constexpr int kCloseResult = 15;
}  // namespace

void TFrAbout::Publish(TPublisher<TFrAbout>& p) {
  p.Field("LaProduct", &TFrAbout::LaProduct);
  p.Field("BtClose", &TFrAbout::BtClose);
  p.Method("FormActivate", &TFrAbout::FormActivate);
  p.Method("FormKeyDown", &TFrAbout::FormKeyDown);
}

void TFrAbout::FormActivate(TObject*) { LaProduct->SetValue(Variant(std::string("Install Library"))); }

void TFrAbout::FormKeyDown(TObject*, uint16_t& key, TShiftState) {
  if (key == VK_ESCAPE || key == VK_RETURN) {
    key = 0;
    SetModalResult(kCloseResult);
  }
}

void ShowAbout() {
  if (FrAbout) FrAbout->ShowModal();
}
