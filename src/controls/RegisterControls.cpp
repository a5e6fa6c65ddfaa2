#include "controls/RegisterControls.h"

#include "controls/KyCheckBox.h"
#include "controls/KyRadioGroup.h"
#include "skin/RegisterSkin.h"

void RegisterControlClasses() {
  RegisterSkinClasses();
  RegisterCheckClasses();
  RegisterRadioGroupClasses();
}
