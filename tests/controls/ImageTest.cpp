// The image control: pictures of every kind from their bytes, drawn inside
// the frame and checked by pixel; frames and shadow; damaged data refused
// with nothing shown; class names, auto-size and transparency rules; the
// value object; the text form, also with the gallery's drawn pictures.
#include "support/WindowDriver.h"

#include <string>
#include <vector>

#include "controls/KyImage.h"
#include "controls/RegisterControls.h"
#include "packages/CApplication.h"
#include "packages/DisplaySets.h"
#include "packages/PkgDisplay.h"
#include "platform/classes/FormStream.h"
#include "platform/classes/TextForm.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Graphics.h"
#include "platform/graphics/Icon.h"
#include "platform/graphics/Jpeg.h"
#include "platform/graphics/Metafile.h"
#include "platform/base/Stream.h"
#include "skin/Pictures.h"

#include <algorithm>

using namespace ky_test;

namespace {

constexpr TKyColor kRed = 0x000000FF;
constexpr TKyColor kBack = 0x00E0C0A0;

std::unique_ptr<TBitmap> RedBitmap(int w, int h) {
  auto b = std::make_unique<TBitmap>(w, h, pf24bit);
  b->Canvas()->Brush()->SetColor(kRed);
  b->Canvas()->FillRect(TRect(0, 0, w, h));
  return b;
}

// The bytes of a red picture of each kind, 16 x 16.
std::vector<uint8_t> RedPicture(const std::string& kind) {
  TMemoryStream s;
  auto bmp = RedBitmap(16, 16);
  if (kind == "TBitmap") {
    bmp->SaveToStream(s);
  } else if (kind == "TJPEGImage") {
    TJPEGImage j;
    j.Assign(bmp.get());
    j.SaveToStream(s);
  } else if (kind == "TIcon") {
    auto mask = std::make_unique<TBitmap>(16, 16, pf1bit);
    mask->Canvas()->Brush()->SetColor(0);
    mask->Canvas()->FillRect(TRect(0, 0, 16, 16));
    ICONINFO info{TRUE, 0, 0, mask->Handle(), bmp->Handle()};
    TIcon icon;
    icon.SetHandle(CreateIconIndirect(&info));
    icon.SaveToStream(s);
  } else {
    TMetafile m;
    m.SetWidth(16);
    m.SetHeight(16);
    {
      TMetafileCanvas c(m);
      c.Brush()->SetColor(kRed);
      c.Pen()->SetColor(kRed);
      c.Rectangle(0, 0, 16, 16);
    }
    m.SaveToStream(s);
  }
  return s.Data();
}

bool Near(TKyColor a, TKyColor b, int tolerance = 24) {
  for (int shift : {0, 8, 16})
    if (std::abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF)) > tolerance)
      return false;
  return true;
}

class ImageTest : public ::testing::Test {
protected:
  void SetUp() override {
    App();
    RegisterControlClasses();
    form.SetBorderStyle(bsNone);
    form.SetColor(kBack);
    form.SetFormClientWidth(200);
    form.SetFormClientHeight(120);
    image = new TKyImage(&form);
    image->SetName("ImSide");
    image->SetParent(&form);
    image->SetBounds(10, 10, 60, 50);
    form.Show();
    ASSERT_TRUE(PumpUntil([&] { return form.HandleAllocated() && form.Visible(); }));
  }
  TForm form{nullptr};
  TKyImage* image = nullptr;
};

TEST_F(ImageTest, EveryPictureKindDrawsInsideTheFrame) {
  for (const char* kind : {"TBitmap", "TJPEGImage", "TIcon", "TMetafile"}) {
    SCOPED_TRACE(kind);
    image->LoadFromBytes(RedPicture(kind));
    ASSERT_NE(image->Picture()->Graphic(), nullptr);
    EXPECT_EQ(image->Picture()->Graphic()->ClassName(), kind);
    Pump();
    TSnapshot shot(&form);
    TRect r = image->PictureRect();
    // The picture at its own size from the working rectangle's corner.
    EXPECT_TRUE(Near(shot.Pixel(10 + r.Left + 3, 10 + r.Top + 3), kRed)) << std::hex << shot.Pixel(10 + r.Left + 3, 10 + r.Top + 3);
    EXPECT_TRUE(Near(shot.Pixel(10 + r.Left + 14, 10 + r.Top + 14), kRed));
    // Past its size the background of the control shows, not the picture.
    EXPECT_FALSE(Near(shot.Pixel(10 + r.Left + 25, 10 + r.Top + 25), kRed));
  }
}

TEST_F(ImageTest, StretchFillsTheWorkingRectangle) {
  image->LoadFromBytes(RedPicture("TBitmap"));
  image->Image()->SetStretch(true);
  Pump();
  TSnapshot shot(&form);
  TRect r = image->PictureRect();
  EXPECT_TRUE(Near(shot.Pixel(10 + r.Right - 2, 10 + r.Bottom - 2), kRed));
}

// Frame pixels by style: the outer edge light or dark at top-left and
// bottom-right, and the double styles a second frame one pixel inside.
TEST_F(ImageTest, FramesAndShadow) {
  auto rgb = [](const char* name) { return static_cast<TKyColor>(ColorToRGB(LibraryDefaultColor(name))); };
  TKyColor light = rgb("Dft_3DLight"), dark = rgb("Dft_3DShadow");
  struct TCase {
    TKyImageBorderStyle Style;
    TKyColor OuterTopLeft, OuterBottomRight, InnerTopLeft;
    int Frame;
  } const cases[] = {
      {ibs3DTop, light, dark, 0, 1},
      {ibs3DBottom, dark, light, 0, 1},
      {ibs3DTopBottom, light, dark, dark, 2},
      {ibs3DBottomTop, dark, light, light, 2},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.Style));
    image->SetBorderStyle(c.Style);
    EXPECT_EQ(image->FrameWidth(), c.Frame);
    Pump();
    TSnapshot shot(&form);
    EXPECT_EQ(shot.Pixel(12, 10), c.OuterTopLeft);
    EXPECT_EQ(shot.Pixel(69, 40), c.OuterBottomRight);
    if (c.Frame == 2) {
      EXPECT_EQ(shot.Pixel(13, 11), c.InnerTopLeft);
    }
  }
  image->SetBorderStyle(ibsNone);
  image->SetShadow(true);
  Pump();
  TSnapshot shot(&form);
  TKyColor shadow = rgb("Dft_ColShadow");
  EXPECT_EQ(shot.Pixel(10 + 58, 10 + 20), shadow);  // right band
  EXPECT_EQ(shot.Pixel(10 + 30, 10 + 48), shadow);  // bottom band
  EXPECT_EQ(shot.Pixel(10 + 58, 10 + 1), kBack);    // the band starts a shadow's size down
}

TEST_F(ImageTest, ADamagedJpegIsRefusedAndShowsNothing) {
  image->LoadFromBytes(RedPicture("TBitmap"));
  std::vector<uint8_t> jpeg = RedPicture("TJPEGImage");
  jpeg.resize(jpeg.size() / 3);
  try {
    image->LoadFromBytes(jpeg);
    FAIL() << "a damaged JPEG was taken";
  } catch (const Exception& e) {
    EXPECT_EQ(std::string(e.what()).rfind("ImSide: ", 0), 0u) << e.what();
  }
  EXPECT_EQ(image->Picture()->Graphic(), nullptr);
  Pump();
  TSnapshot shot(&form);
  TRect r = image->PictureRect();
  EXPECT_FALSE(Near(shot.Pixel(10 + r.Left + 3, 10 + r.Top + 3), kRed));
}

TEST_F(ImageTest, ClassNamesAutoSizeAndTransparency) {
  image->SetGraphicClass("tjpegimage");
  EXPECT_EQ(image->GraphicClass(), "TJPEGImage");
  image->SetGraphicClass("TNoSuchPicture");
  EXPECT_EQ(image->GraphicClass(), "");

  // Auto-size: the picture plus (frame + 1) x 2 plus the shadow...
  image->SetShadow(true);
  image->SetAutoSize(true);
  image->LoadFromBytes(RedPicture("TBitmap"));
  EXPECT_EQ(image->Width(), 16 + (2 + 1) * 2 + TKyCustomImage::kShadowSize);
  EXPECT_EQ(image->Left(), 10);
  // ... but never while aligned.
  image->SetAlign(alClient);
  image->LoadFromBytes(RedPicture("TJPEGImage"));
  EXPECT_EQ(image->Width(), form.ClientWidth());
  image->SetAlign(alNone);
  image->SetAutoSize(false);
  image->SetShadow(false);

  // Transparent with no picture: the frame, and the parent inside it.
  image->SetBounds(10, 10, 60, 50);
  image->Clear();
  image->SetTransparent(true);
  image->SetBorderStyle(ibsSingle);
  Pump();
  TSnapshot shot(&form);
  EXPECT_EQ(shot.Pixel(10, 30), static_cast<TKyColor>(GetSysColor(COLOR_WINDOWFRAME)));
  EXPECT_EQ(shot.Pixel(40, 30), kBack);
}

TEST_F(ImageTest, TheValueObjectAsksBeforeChanging) {
  int started = 0;
  bool allow = false;
  image->OnCanModify = [&](TObject*, bool& ok) { ok = allow; };
  image->OnStartEdit = [&](TObject*) { ++started; };
  TKyImageBlob blob(image);
  TMemoryStream bytes(RedPicture("TBitmap"));
  blob.LoadFromStream(bytes);
  EXPECT_TRUE(blob.IsEmpty());
  EXPECT_EQ(started, 0);
  allow = true;
  bytes.SetPosition(0);
  blob.LoadFromStream(bytes);
  EXPECT_FALSE(blob.IsEmpty());
  TPicture copy;
  copy.Assign(&blob);
  EXPECT_EQ(copy.Width(), 16);
  blob.Clear();
  EXPECT_TRUE(blob.IsEmpty());
  EXPECT_EQ(started, 1);  // once per editing
}

TEST(ImageForm, PropertiesStreamFromText) {
  App();
  RegisterControlClasses();
  const std::string text =
      "object Fr: TForm\n"
      "  object ImageInstall: TKyImage\n"
      "    Left = 12\n"
      "    Top = 200\n"
      "    Width = 157\n"
      "    Height = 101\n"
      "    GraphicClass = 'TBitmap'\n"
      "    Image.Quality = qugHigh\n"
      "    Image.Transparent = True\n"
      "    Image.Stretch = True\n"
      "    BorderStyle = ibsNone\n"
      "    Transparent = True\n"
      "    Shadow = True\n"
      "    ILabel.Visible = True\n"
      "    ILabel.Caption = 'Side'\n"
      "  end\n"
      "end\n";
  TForm root(nullptr);
  ReadComponentBytes(FormTextToBinary(text), &root);
  auto* image = root.Find<TKyImage>("ImageInstall");
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(image->GraphicClass(), "TBitmap");
  EXPECT_EQ(image->Image()->Quality(), qugHigh);
  EXPECT_TRUE(image->Image()->Transparent());
  EXPECT_TRUE(image->Image()->Stretch());
  EXPECT_EQ(image->BorderStyle(), ibsNone);
  EXPECT_TRUE(image->Transparent());
  EXPECT_TRUE(image->Shadow());
  EXPECT_EQ(image->ILabel()->Caption(), "Side");
  // And back: what differs from the defaults is written.
  std::string back = FormBinaryToText(WriteComponentBytes(&root));
  for (const char* line : {"GraphicClass = 'TBitmap'", "Image.Quality = qugHigh", "BorderStyle = ibsNone"})
    EXPECT_NE(back.find(line), std::string::npos) << line;
  EXPECT_EQ(back.find("AutoDetect"), std::string::npos);
}

// The pictures the build draws for the gallery, as its form holds them: a
// landscape, a product box on the transparent colour, an icon. Each loads
// from a text form, then shows over the test's form.
TEST_F(ImageTest, TheGallerysDrawnPicturesLoadFromATextFormAndPaint) {
  std::string dir = std::string("Z:") + KY_GALLERY_PICTURES_BUILT;
  for (char& c : dir)
    if (c == '/') c = '\\';
  struct TCase {
    const char* File;
    const char* Class;
    int Width, Height;
    bool Transparent;
  };
  const TCase cases[] = {
      {"Landscape.pic", "TBitmap", 88, 56, false},
      {"Product.pic", "TBitmap", 48, 48, true},
      {"Icon.pic", "TIcon", 32, 32, true},
  };
  // The control's own background in a colour of its own: a transparent
  // control must not show it.
  TKyCApplication app(nullptr);
  app.PkgDisplay()->AddBackGround("sbImage")->SetColor(kRed);
  image->SetBackGround()->SetName("sbImage");
  image->SetBorderStyle(ibsNone);
  image->SetAutoSize(true);
  for (const TCase& c : cases) {
    TMemoryStream data;
    data.LoadFromFile(dir + "\\" + c.File);
    std::string hex;
    static const char kHex[] = "0123456789ABCDEF";
    for (size_t i = 0; i < data.Data().size(); ++i) {
      if (i % 32 == 0) hex += "\n      ";
      hex += kHex[data.Data()[i] >> 4];
      hex += kHex[data.Data()[i] & 15];
    }
    TForm root(nullptr);
    ReadComponentBytes(FormTextToBinary("object Fr: TForm\n  object Im: TKyImage\n    AutoSize = True\n"
                                        "    Picture.Data = {" + hex + "}\n  end\nend\n"),
                       &root);
    auto* loaded = root.Find<TKyImage>("Im");
    ASSERT_NE(loaded, nullptr) << c.File;
    ASSERT_NE(loaded->Picture()->Graphic(), nullptr) << c.File;
    EXPECT_EQ(loaded->Picture()->Graphic()->ClassName(), c.Class) << c.File;
    EXPECT_EQ(loaded->Picture()->Width(), c.Width) << c.File;
    EXPECT_EQ(loaded->Picture()->Height(), c.Height) << c.File;

    image->SetTransparent(c.Transparent);
    image->Image()->SetTransparent(c.Transparent);
    image->SetPicture(loaded->Picture());
    EXPECT_EQ(image->Width(), c.Width + 2) << c.File;  // the one-pixel margin each side
    Pump();
    TSnapshot shot(&form);
    TRect r = image->PictureRect();
    int left = image->Left() + r.Left, top = image->Top() + r.Top;
    // The middle is drawn; a transparent picture's corner shows the form,
    // an opaque control its own background around the picture.
    TKyColor formBack = shot.Pixel(190, 110);
    EXPECT_NE(formBack, kRed);
    EXPECT_NE(shot.Pixel(left + c.Width / 2, top + c.Height / 2), formBack) << c.File;
    if (c.Transparent) {
      EXPECT_EQ(shot.Pixel(left, top + c.Height - 1), formBack) << c.File;
      EXPECT_EQ(shot.Pixel(left - 1, top + c.Height - 1), formBack) << c.File;
    } else {
      EXPECT_NE(shot.Pixel(left, top + c.Height - 1), formBack) << c.File;
      EXPECT_EQ(shot.Pixel(left - 1, top + c.Height - 1), kRed) << c.File;
    }
  }
}

}  // namespace

// IncrementalDisplay: the picture shows band by band while it decodes
// (the top already red, the bottom not yet), with OnProgress at each band;
// without it, no reports.
TEST_F(ImageTest, IncrementalDisplayShowsThePictureWhileItDecodes) {
  image->SetBorderStyle(ibsNone);
  image->SetBounds(10, 10, 100, 100);
  TMemoryStream s;
  {
    auto red = RedBitmap(64, 96);
    TJPEGImage j;
    j.Assign(red.get());
    j.SaveToStream(s);
  }
  std::vector<uint8_t> bytes = s.Data();
  for (bool incremental : {true, false}) {
    SCOPED_TRACE(incremental);
    image->Clear();
    Pump();
    image->SetIncrementalDisplay(incremental);
    std::vector<int32_t> percents;
    bool halfShown = false;
    image->OnProgress = [&](TObject*, int32_t, int32_t percent) {
      percents.push_back(percent);
      if (percent >= 40 && percent <= 60 && !halfShown) {
        halfShown = true;
        TSnapshot shot(&form);
        EXPECT_TRUE(Near(shot.Pixel(10 + 1 + 30, 10 + 1 + 4), kRed)) << "the top is decoded";
        EXPECT_FALSE(Near(shot.Pixel(10 + 1 + 30, 10 + 1 + 90), kRed)) << "the bottom is not yet";
      }
    };
    image->LoadFromBytes(bytes);
    image->OnProgress = nullptr;
    if (incremental) {
      ASSERT_GE(percents.size(), 5u);
      EXPECT_TRUE(std::is_sorted(percents.begin(), percents.end()));
      EXPECT_TRUE(halfShown);
      EXPECT_EQ(percents.back(), 100);
    } else {
      EXPECT_TRUE(percents.empty());
    }
    Pump();
    TSnapshot shot(&form);
    EXPECT_TRUE(Near(shot.Pixel(10 + 1 + 30, 10 + 1 + 90), kRed)) << "all of it in the end";
  }
}

// ReadOnly: the value object may not change the picture.
TEST_F(ImageTest, AReadOnlyImageRefusesTheValueObject) {
  image->SetReadOnly(true);
  TKyImageBlob blob(image);
  TMemoryStream bytes(RedPicture("TBitmap"));
  blob.LoadFromStream(bytes);
  EXPECT_TRUE(blob.IsEmpty());
  image->SetReadOnly(false);
  bytes.SetPosition(0);
  blob.LoadFromStream(bytes);
  EXPECT_FALSE(blob.IsEmpty());
  image->SetReadOnly(true);
  blob.Clear();
  EXPECT_FALSE(blob.IsEmpty());
  ASSERT_NE(TKyImage::StaticClass().FindProperty("ReadOnly"), nullptr);
}

// GraphicClass goes into the picture: stored data of a picture that does
// not store its class reads as the chosen class.
TEST_F(ImageTest, TheGraphicClassIsKeptInThePicture) {
  image->SetGraphicClass("TJPEGImage");
  ASSERT_NE(image->Picture()->GraphicClass(), nullptr);
  EXPECT_EQ(image->Picture()->GraphicClass()->Name(), "TJPEGImage");
  image->SetGraphicClass("");
  EXPECT_EQ(image->Picture()->GraphicClass(), nullptr);
  // A picture without stored class names reads by the kept class.
  TKyPicture picture(false);
  picture.SetGraphicClass(&TJPEGImage::StaticClass());
  TMemoryStream data(RedPicture("TJPEGImage"));
  picture.ReadData(data);
  EXPECT_NE(dynamic_cast<TJPEGImage*>(picture.Graphic()), nullptr);
}
