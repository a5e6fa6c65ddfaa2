// The picture container of the image controls reading stored pictures
// (class name, bitmap size prefix, damaged class names), its change calls,
// and blobs with their files.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "SkinTestSupport.h"
#include "platform/classes/FormStream.h"
#include "platform/classes/TextForm.h"
#include "skin/Pictures.h"
#include "support/TempDir.h"

namespace {

using ky_test::BmpBytes;
using ky_test::PixelOf;

// A 3 x 2 bitmap with one red pixel, as the bytes of a BMP file.
std::vector<uint8_t> SmallBmp() {
  TBitmap b(3, 2, pf24bit);
  b.Canvas()->Brush()->SetColor(kClWhite);
  b.Canvas()->FillRect(TRect(0, 0, 3, 2));
  b.Canvas()->SetPixels(1, 0, 0x000000FF);
  return BmpBytes(b);
}

std::vector<uint8_t> ClassName(const std::string& name) {
  std::vector<uint8_t> out{static_cast<uint8_t>(name.size())};
  out.insert(out.end(), name.begin(), name.end());
  return out;
}

std::vector<uint8_t> SizePrefix(uint16_t a, uint16_t b, uint32_t size) {
  std::vector<uint8_t> out(8);
  out[0] = a & 0xFF, out[1] = a >> 8, out[2] = b & 0xFF, out[3] = b >> 8;
  for (int i = 0; i < 4; ++i) out[4 + i] = static_cast<uint8_t>(size >> (8 * i));
  return out;
}

std::vector<uint8_t> Join(std::initializer_list<std::vector<uint8_t>> parts) {
  std::vector<uint8_t> out;
  for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

void Read(TKyPicture& picture, std::vector<uint8_t> data) {
  TMemoryStream s(std::move(data));
  picture.ReadData(s);
}

TEST(KyPicture, ReadsTheStoredForms) {
  std::vector<uint8_t> bmp = SmallBmp();
  uint32_t n = static_cast<uint32_t>(bmp.size());
  struct Case {
    const char* what;
    bool storesClass;
    std::vector<uint8_t> data;
  };
  const Case cases[] = {
      {"class name, plain bitmap", true, Join({ClassName("TBitmap"), bmp})},
      {"class name, size prefix", true, Join({ClassName("TBitmap"), SizePrefix(1, 256, n), bmp})},
      {"fixed class, plain bitmap", false, bmp},
      {"fixed class, size prefix", false, Join({SizePrefix(1, 256, n), bmp})},
  };
  for (const Case& c : cases) {
    TKyPicture picture(c.storesClass);
    Read(picture, c.data);
    auto* b = dynamic_cast<TBitmap*>(picture.Graphic());
    ASSERT_NE(b, nullptr) << c.what;
    EXPECT_EQ(b->Width(), 3) << c.what;
    EXPECT_EQ(b->Height(), 2) << c.what;
    EXPECT_EQ(PixelOf(*b, 1, 0), 0x000000FFu) << c.what;
    EXPECT_EQ(PixelOf(*b, 0, 0), kClWhite) << c.what;
  }
}

// A prefix that is not the size header stays part of the data: here the
// bitmap reader sees it and refuses it, proving it was not skipped.
TEST(KyPicture, APrefixThatDoesNotFitIsNotSkipped) {
  std::vector<uint8_t> bmp = SmallBmp();
  uint32_t n = static_cast<uint32_t>(bmp.size());
  for (auto prefix : {SizePrefix(1, 256, n + 1), SizePrefix(2, 256, n), SizePrefix(1, 255, n)}) {
    TKyPicture picture(false);
    EXPECT_ANY_THROW(Read(picture, Join({prefix, bmp})));
  }
}

TEST(KyPicture, AClassNameLongerThan63ClearsThePicture) {
  TKyPicture picture;
  Read(picture, Join({ClassName("TBitmap"), SmallBmp()}));
  ASSERT_NE(picture.Graphic(), nullptr);
  int calls = 0;
  picture.OnChange = [&](TObject* sender) {
    ++calls;
    EXPECT_EQ(sender, &picture);
  };
  std::vector<uint8_t> data{64};
  data.resize(100, 'A');
  Read(picture, data);
  EXPECT_EQ(picture.Graphic(), nullptr);
  EXPECT_EQ(calls, 1);

  // 63 is still a name: unknown here, so an error, not a silent clear.
  std::vector<uint8_t> named{63};
  named.resize(100, 'A');
  EXPECT_THROW(Read(picture, named), EInvalidGraphic);
}

TEST(KyPicture, OnlyChangesOfThePictureItselfAreTold) {
  TKyPicture picture;
  int calls = 0;
  picture.OnChange = [&](TObject*) { ++calls; };
  Read(picture, Join({ClassName("TBitmap"), SmallBmp()}));
  EXPECT_EQ(calls, 1);
  // The graphic changing itself stays with the graphic.
  picture.Bitmap()->SetSize(5, 5);
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(picture.Width(), 5);
  // Another graphic, or none, is a change of the picture.
  TBitmap other(2, 2);
  picture.Assign(&other);
  EXPECT_EQ(calls, 2);
  picture.Assign(nullptr);
  EXPECT_EQ(calls, 3);
}

class TTstPictureHolder : public TComponent {
  KY_CLASS(TTstPictureHolder, TComponent)
public:
  using TCreateArg = TComponent*;
  explicit TTstPictureHolder(TComponent* owner) : TComponent(owner) {}
  static void Publish(TPublisher<TTstPictureHolder>& p) { p.Property("Picture", &TTstPictureHolder::Picture); }
  TKyPicture* Picture() const { return const_cast<TKyPicture*>(&picture_); }

private:
  TKyPicture picture_;
};

TEST(KyPicture, StreamsInForms) {
  RegisterClasses({&TTstPictureHolder::StaticClass()});
  TComponent root(nullptr);
  root.SetName("FmPicture");
  auto* empty = new TTstPictureHolder(&root);
  empty->SetName("ImEmpty");
  auto* full = new TTstPictureHolder(&root);
  full->SetName("ImFull");
  Read(*full->Picture(), Join({ClassName("TBitmap"), SmallBmp()}));
  std::string text = FormBinaryToText(WriteComponentBytes(&root));
  EXPECT_NE(text.find("object ImEmpty: TTstPictureHolder\n  end"), std::string::npos) << text;
  EXPECT_NE(text.find("Picture.Data = {\n      07544269746D6170"), std::string::npos) << text;

  TComponent copy(nullptr);
  ReadComponentBytes(FormTextToBinary(text), &copy);
  auto* b = dynamic_cast<TBitmap*>(copy.Find<TTstPictureHolder>("ImFull")->Picture()->Graphic());
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(PixelOf(*b, 1, 0), 0x000000FFu);
  EXPECT_EQ(copy.Find<TTstPictureHolder>("ImEmpty")->Picture()->Graphic(), nullptr);
}

// ---- Blobs ----

// A blob of text that copies itself into pictures as a bitmap as wide as
// the text is long.
class TTstTextBlob : public TKyBlob {
  KY_CLASS(TTstTextBlob, TKyBlob)
public:
  std::string text;
  void LoadFromStream(TStream& stream) override {
    text.assign(static_cast<size_t>(stream.Size() - stream.Position()), '\0');
    if (!text.empty()) stream.ReadBuffer(text.data(), static_cast<int32_t>(text.size()));
  }
  void SaveToStream(TStream& stream) override {
    if (!text.empty()) stream.WriteBuffer(text.data(), static_cast<int32_t>(text.size()));
  }

protected:
  void AssignTo(TPersistent* dest) const override {
    if (auto* p = dynamic_cast<TKyPicture*>(dest)) {
      TBitmap b(static_cast<int32_t>(text.size()), 1);
      p->Assign(&b);
      return;
    }
    TKyBlob::AssignTo(dest);
  }
};

TEST(KyBlob, FilesAreWrittenWholeAndReadBack) {
  ky_test::TempDir dir;
  std::string path = dir.WriteFile("blob.bin", std::string(100, 'z'));
  TTstTextBlob blob;
  blob.text = "short";
  // An existing longer file is truncated, not overwritten in part.
  blob.SaveToFile(path);
  EXPECT_EQ(dir.ReadFile("blob.bin"), "short");
  TTstTextBlob back;
  back.LoadFromFile(path);
  EXPECT_EQ(back.text, "short");
  // The file is closed again: it can be removed at once.
  EXPECT_EQ(std::remove(path.c_str()), 0);
  EXPECT_THROW(back.LoadFromFile(dir / "missing.bin"), EFOpenError);
}

TEST(KyBlob, CopiesItselfIntoAPicture) {
  TTstTextBlob blob;
  blob.text = "four";
  TKyPicture picture;
  picture.Assign(&blob);
  ASSERT_NE(picture.Graphic(), nullptr);
  EXPECT_EQ(picture.Width(), 4);
  // A blob into something it does not know: the persistent fallback.
  TPicture plain;
  TTstTextBlob other;
  EXPECT_THROW(other.Assign(&plain), EConvertError);
}

}  // namespace
