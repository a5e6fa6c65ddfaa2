// A picture of the skin's controls on one form, skin_controls_sheet.bmp
// beside the test program: panels (bevels, transparency over a gradient,
// inner label), labels (3D text, shapes, sign colours, images) and a group
// box. Made for looking at; the test checks only that it was written whole.
#include "support/WindowDriver.h"

#include "SkinTestSupport.h"
#include "packages/CApplication.h"
#include "platform/graphics/Bitmap.h"
#include "skin/Label.h"
#include "skin/Panel.h"
#include "skin/RegisterSkin.h"

using namespace ky_test;

TEST(ControlsSheet, PanelsLabelsAndGroupBox) {
  App();
  RegisterSkinClasses();
  TForm form(nullptr);
  form.SetBorderStyle(bsNone);
  form.SetFormClientWidth(420);
  form.SetFormClientHeight(240);
  TKyCApplication app(&form);
  TKyPkgDisplay& d = *app.PkgDisplay();
  TKyPkgDisplaySetBackGround* fade = d.AddBackGround("sbFade");
  fade->SetFillKind(2);
  fade->SetColor1(KyRGB(226, 236, 248));
  fade->SetColor2(KyRGB(150, 176, 214));
  d.AddBackGround("sbCard")->SetColor(KyRGB(250, 250, 244));
  d.AddColor("scTitle")->SetColor(KyRGB(20, 50, 110));
  d.AddColor("scShadow")->SetColor(KyRGB(160, 170, 190));
  d.AddColor("scMinus")->SetColor(KyRGB(190, 20, 20));
  TKyFontData titleFont;
  titleFont.Name = "Arial";
  titleFont.Height = -20;
  titleFont.Bold = true;
  d.AddFont("sfTitle")->SetFont(titleFont);
  app.PkgLanguage()->UserStrings().AddLabel(1, "Products", "Installed products");

  auto* back = new TKyPanel(&form);
  back->SetParent(&form);
  back->SetBounds(0, 0, 420, 240);
  back->SetBevelOuter(besNone);
  back->SetBackGround()->SetName("sbFade");

  auto* title = new TKyLabel(&form);
  title->SetParent(back);
  title->SetBounds(16, 10, 300, 30);
  title->Text()->SetFont()->SetName("sfTitle");
  title->Text()->SetColText()->SetName("scTitle");
  title->Text()->SetColShadow()->SetName("scShadow");
  title->Text()->SetFontStyle(fos3D);
  title->Text()->SetSpacing3D(2);
  title->SetValue(Variant("Install Program 2.0"));

  auto* card = new TKyPanel(&form);
  card->SetParent(back);
  card->SetBounds(16, 70, 180, 80);
  card->SetBevelOuter(bes3DTop);
  card->SetBevelInner(bes3DBottom);
  card->SetBorderWidth(2);
  card->SetBackGround()->SetName("sbCard");
  card->CaptionId()->SetReference("User", 1);
  card->ILabel()->SetVisible(true);
  card->UpdateDisplay();

  auto* glass = new TKyPanel(&form);
  glass->SetParent(back);
  glass->SetBounds(214, 70, 90, 80);
  glass->SetTransparent(true);
  glass->SetBevelOuter(besSingle);

  auto* amount = new TKyLabel(&form);
  amount->SetParent(back);
  amount->SetBounds(320, 76, 80, 24);
  amount->SetDataType(dtyDouble);
  amount->Text()->SetColNegatives()->SetName("scMinus");
  amount->SetValue(Variant(-1250.5));

  auto* badge = new TKyLabel(&form);
  badge->SetParent(back);
  badge->SetBounds(320, 110, 90, 30);
  badge->SetAutoSize(false);
  badge->Shape()->SetVisible(true);
  badge->Shape()->SetShape(shaRoundRect);
  badge->Shape()->Brush()->SetBackGround()->SetName("sbCard");
  badge->Mask()->SetText("%");
  badge->SetValue(Variant("Ready"));

  auto* group = new TKyCustomGroupBox(&form);
  group->SetParent(back);
  group->SetBounds(16, 160, 388, 70);
  group->SetTransparent(true);
  group->Title()->SetCaption("&Language");

  form.Show();
  Pump();
  TSnapshot shot(&form);
  TBitmap sheet(shot.Width(), shot.Height(), pf24bit);
  for (int y = 0; y < shot.Height(); ++y)
    for (int x = 0; x < shot.Width(); ++x) sheet.Canvas()->SetPixels(x, y, shot.Pixel(x, y));
  std::string file = BesideProgram("skin_controls_sheet.bmp");
  sheet.SaveToFile(file);
  TBitmap again;
  again.LoadFromFile(file);
  EXPECT_EQ(again.Width(), 420);
  EXPECT_EQ(again.Height(), 240);
  std::printf("controls sheet: %s\n", file.c_str());
}
