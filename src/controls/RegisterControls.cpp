#include "controls/RegisterControls.h"

#include "controls/KyEdit.h"
#include "skin/RegisterSkin.h"

void RegisterControlClasses() {
  RegisterSkinClasses();
  RegisterEditClasses();
}
