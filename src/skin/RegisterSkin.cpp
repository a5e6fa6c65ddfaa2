#include "skin/RegisterSkin.h"

#include "packages/CApplication.h"
#include "packages/CForm.h"
#include "skin/Blocks.h"
#include "skin/Fills.h"
#include "skin/KyTimers.h"

void RegisterSkinClasses() {
  RegisterApplicationClasses();
  RegisterTimerClasses();
  RegisterSkinBlocks();
  SetBackgroundPainter([](TCanvas& canvas, const TRect& rect, TKySetBackGround& set, bool) {
    PaintBackGround(canvas, rect, set);
  });
}
