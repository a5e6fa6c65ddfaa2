#include "skin/RegisterSkin.h"

#include "packages/CApplication.h"
#include "packages/CForm.h"
#include "platform/windows/Menus.h"
#include "skin/Blocks.h"
#include "skin/Fills.h"
#include "skin/KyTimers.h"
#include "skin/Label.h"
#include "skin/Panel.h"

void RegisterSkinClasses() {
  RegisterApplicationClasses();
  RegisterTimerClasses();
  RegisterSkinBlocks();
  RegisterLabelClasses();
  RegisterPanelClasses();
  // The controls name their popup menus in forms.
  RegisterMenuClasses();
  SetBackgroundPainter([](TCanvas& canvas, const TRect& rect, TKySetBackGround& set, bool) {
    PaintBackGround(canvas, rect, set);
  });
}
