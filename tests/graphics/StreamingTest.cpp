// Fonts, pens, brushes and pictures as published properties of a
// component, through the form stream and its text.
#include <gtest/gtest.h>

#include "GraphicsTestUtil.h"
#include "platform/classes/FormStream.h"
#include "platform/classes/TextForm.h"
#include "platform/graphics/Jpeg.h"
#include "platform/graphics/Picture.h"

using ky_test::Hex;
using ky_test::PixelOf;

namespace {

class TTstDrawing : public TComponent {
  KY_CLASS(TTstDrawing, TComponent)
public:
  explicit TTstDrawing(TComponent* owner) : TComponent(owner) {}
  static void Publish(TPublisher<TTstDrawing>& p) {
    p.Property("Brush", &TTstDrawing::Brush);
    p.Property("Font", &TTstDrawing::Font);
    p.Property("Pen", &TTstDrawing::Pen);
    p.Property("Picture", &TTstDrawing::Picture);
  }
  TBrush* Brush() const { return brush_.get(); }
  TFont* Font() const { return font_.get(); }
  TPen* Pen() const { return pen_.get(); }
  TPicture* Picture() const { return picture_.get(); }

private:
  std::unique_ptr<TBrush> brush_ = std::make_unique<TBrush>();
  std::unique_ptr<TFont> font_ = std::make_unique<TFont>();
  std::unique_ptr<TPen> pen_ = std::make_unique<TPen>();
  std::unique_ptr<TPicture> picture_ = std::make_unique<TPicture>();
};

TEST(GraphicsStreaming, OnlyChangedValuesAreWrittenAndReadBack) {
  TTstDrawing a(nullptr);
  a.SetName("Drawing");
  a.Font()->SetName("Arial");
  a.Font()->SetStyle({fsBold, fsUnderline});
  a.Font()->SetHeight(-15);
  a.Pen()->SetWidth(3);
  a.Brush()->SetStyle(bsDiagCross);
  TBitmap bmp(3, 2, pf24bit);
  bmp.Canvas()->SetPixels(2, 1, kClRed);
  a.Picture()->SetGraphic(&bmp);

  std::vector<uint8_t> bytes = WriteComponentBytes(&a);
  std::string text = FormBinaryToText(bytes);
  EXPECT_NE(text.find("Font.Name = 'Arial'"), std::string::npos) << text;
  EXPECT_NE(text.find("Font.Style = [fsBold, fsUnderline]"), std::string::npos) << text;
  EXPECT_NE(text.find("Font.Height = -15"), std::string::npos) << text;
  EXPECT_NE(text.find("Pen.Width = 3"), std::string::npos) << text;
  EXPECT_NE(text.find("Brush.Style = bsDiagCross"), std::string::npos) << text;
  EXPECT_NE(text.find("Picture.Data = {"), std::string::npos) << text;
  // Defaults and values that are not stored stay out.
  for (const char* absent : {"Font.Color", "Font.Charset", "Font.Pitch", "Font.Size", "Pen.Color", "Pen.Mode",
                             "Brush.Color"})
    EXPECT_EQ(text.find(absent), std::string::npos) << absent << " in\n" << text;

  TTstDrawing b(nullptr);
  ReadComponentBytes(bytes, &b);
  EXPECT_EQ(b.Font()->Data(), a.Font()->Data());
  EXPECT_EQ(b.Pen()->Width(), 3);
  EXPECT_EQ(b.Brush()->Style(), bsDiagCross);
  ASSERT_NE(b.Picture()->Graphic(), nullptr);
  EXPECT_EQ(b.Picture()->Graphic()->ClassName(), "TBitmap");
  EXPECT_EQ(b.Picture()->Width(), 3);
  EXPECT_EQ(Hex(PixelOf(*b.Picture()->Bitmap(), 2, 1)), Hex(kClRed));
}

TEST(GraphicsStreaming, AJpegPictureKeepsItsClassAndBytes) {
  TTstDrawing a(nullptr);
  a.SetName("Drawing");
  TBitmap bmp(24, 8, pf24bit);
  TJPEGImage jpg;
  jpg.Assign(&bmp);
  a.Picture()->SetGraphic(&jpg);
  std::vector<uint8_t> bytes = WriteComponentBytes(&a);
  TTstDrawing b(nullptr);
  ReadComponentBytes(bytes, &b);
  auto* back = dynamic_cast<TJPEGImage*>(b.Picture()->Graphic());
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(back->Width(), 24);
  EXPECT_EQ(back->Data(), dynamic_cast<TJPEGImage*>(a.Picture()->Graphic())->Data());
}

TEST(GraphicsStreaming, AnEmptyPictureWritesNoData) {
  TTstDrawing a(nullptr);
  a.SetName("Drawing");
  std::string text = FormBinaryToText(WriteComponentBytes(&a));
  EXPECT_EQ(text.find("Picture"), std::string::npos) << text;
}

TEST(GraphicsStreaming, SizeIsReadAndAnUnknownPictureClassRaises) {
  TTstDrawing a(nullptr);
  a.Font()->SetPixelsPerInch(96);
  std::vector<uint8_t> bytes = FormTextToBinary(
      "object Drawing: TTstDrawing\n"
      "  Font.Size = 12\n"
      "  Picture.Data = {\n"
      "    07544E6F537563680000}\n"
      "end\n");
  EXPECT_THROW(ReadComponentBytes(bytes, &a), Exception);
  EXPECT_EQ(a.Font()->Height(), -16);
}

}  // namespace
