// A form with a form configuration paints its background set through the
// skin's painter, and paints again when the set changes.
#include "support/WindowDriver.h"

#include "packages/CApplication.h"
#include "packages/CForm.h"
#include "skin/Fills.h"
#include "skin/RegisterSkin.h"

using namespace ky_test;

TEST(SkinForm, FormsPaintTheirBackgroundSetWithTheSkinsPainter) {
  App();
  RegisterSkinClasses();
  TForm form(nullptr);
  form.SetBorderStyle(bsNone);
  form.SetFormClientWidth(120);
  form.SetFormClientHeight(100);
  auto* app = new TKyCApplication(&form);
  auto* config = new TKyCForm(&form);
  ASSERT_EQ(FirstApplication(), app);
  TKyPkgDisplaySetBackGround* set = app->PkgDisplay()->AddBackGround("sbGradient");
  set->SetFillKind(2);  // colour 1 at the top, colour 2 at the bottom
  ASSERT_TRUE(IsVerticalGradient(2));
  set->SetColor1(KyRGB(255, 0, 0));
  set->SetColor2(KyRGB(0, 0, 255));
  config->SetBackGround()->SetName("sbGradient");

  TSnapshot down(&form);
  EXPECT_EQ(down.Pixel(60, 0), KyRGB(255, 0, 0));
  EXPECT_EQ(down.Pixel(60, 99), KyRGB(0, 0, 255));
  // Across the gradient's direction nothing changes.
  EXPECT_EQ(down.Pixel(0, 50), down.Pixel(119, 50));

  set->SetFillKind(kFillPlain);
  set->SetColor(KyRGB(10, 200, 30));
  Pump();
  TSnapshot plain(&form);
  EXPECT_EQ(plain.Pixel(60, 0), KyRGB(10, 200, 30));
  EXPECT_EQ(plain.Pixel(60, 99), KyRGB(10, 200, 30));
}
