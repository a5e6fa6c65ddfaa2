#include "controls/RegisterControls.h"

#include "controls/KyButtons.h"
#include "skin/RegisterSkin.h"

void RegisterControlClasses() {
  RegisterSkinClasses();
  RegisterButtonClasses();
}
