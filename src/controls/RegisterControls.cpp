#include "controls/RegisterControls.h"

#include "controls/KyPageControl.h"
#include "controls/KyEdit.h"
#include "controls/KyCheckBox.h"
#include "controls/KyRadioGroup.h"
#include "controls/KyButtons.h"
#include "controls/KyListBox.h"
#include "controls/KyLBPrivileges.h"
#include "controls/KyImage.h"
#include "controls/KyProgressBar.h"
#include "controls/KyMemo.h"
#include "controls/KyVeMessage.h"
#include "skin/RegisterSkin.h"

void RegisterControlClasses() {
  RegisterSkinClasses();
  RegisterPageControlClasses();
  RegisterEditClasses();
  RegisterCheckClasses();
  RegisterRadioGroupClasses();
  RegisterButtonClasses();
  RegisterListBoxClasses();
  RegisterLBPrivilegesClasses();
  RegisterImageClasses();
  RegisterProgressBarClasses();
  RegisterMemoClasses();
  RegisterMessageClasses();
}
