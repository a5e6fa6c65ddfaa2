#include "skin/Pictures.h"

#include <cstdint>
#include <memory>

#include "platform/classes/FormStream.h"
#include "platform/graphics/Bitmap.h"

// ---- Blob ----

void TKyBlob::LoadFromFile(const std::string& fileName) {
  TFileStream stream(fileName, fmOpenRead);
  LoadFromStream(stream);
}

void TKyBlob::SaveToFile(const std::string& fileName) {
  TFileStream stream(fileName, fmCreate);
  SaveToStream(stream);
  stream.Close();
}

// ---- Picture ----

namespace {

// The longest class name a stored picture may give; a longer one means
// data that is not a picture.
constexpr uint8_t kMaxClassName = 63;

}  // namespace

TKyPicture::TKyPicture(bool storesClass, const TClassInfo* fixedClass)
    : storesClass_(storesClass), fixedClass_(fixedClass ? fixedClass : &TBitmap::StaticClass()) {
  TPicture::OnChange = [this](TObject*) { PictureChanged(); };
}

void TKyPicture::PictureChanged() {
  // The graphic's own changes stay with it.
  if (Graphic()) Graphic()->OnChange.Clear();
  if (OnChange) OnChange(this);
}

void TKyPicture::Assign(const TPersistent* source) {
  if (dynamic_cast<const TKyBlob*>(source)) {
    TPersistent::Assign(source);
    return;
  }
  TPicture::Assign(source);
}

void TKyPicture::ReadData(TStream& stream) {
  std::string className = (graphicClass_ ? graphicClass_ : fixedClass_)->Name();
  if (storesClass_) {
    uint8_t len = 0;
    stream.ReadBuffer(&len, 1);
    if (len > kMaxClassName) {
      SetGraphic(nullptr);
      return;
    }
    className.assign(len, '\0');
    if (len) stream.ReadBuffer(className.data(), len);
  }
  std::unique_ptr<TGraphic> graphic = CreateGraphic(className);
  if (!graphic) throw EInvalidGraphic("Unknown picture class " + className);
  if (dynamic_cast<TBitmap*>(graphic.get())) {
    // Some writers put a small header before the bitmap: 1, 256 and the
    // length of what follows. Anything else is the bitmap itself.
    int64_t start = stream.Position();
    int64_t left = stream.Size() - start;
    if (left >= 8) {
      uint16_t a = 0, b = 0;
      uint32_t size = 0;
      stream.ReadBuffer(&a, 2);
      stream.ReadBuffer(&b, 2);
      stream.ReadBuffer(&size, 4);
      if (!(a == 1 && b == 256 && static_cast<int64_t>(size) == left - 8)) stream.SetPosition(start);
    }
  }
  graphic->LoadFromStream(stream);
  TakeGraphic(std::move(graphic));
}

void TKyPicture::WriteData(TStream& stream) {
  TGraphic* graphic = Graphic();
  if (!graphic) return;
  if (storesClass_) {
    const std::string& name = graphic->ClassName();
    // A longer name would read back as an empty picture.
    if (name.size() > kMaxClassName) throw EInvalidGraphic("Picture class name too long: " + name);
    uint8_t len = static_cast<uint8_t>(name.size());
    stream.WriteBuffer(&len, 1);
    stream.WriteBuffer(name.data(), len);
  }
  graphic->SaveToStream(stream);
}

void TKyPicture::DefineProperties(TFiler& filer) {
  // Replaces the platform's "Data" with this picture's format.
  filer.DefineBinaryProperty(
      "Data", [this](TStream& s) { ReadData(s); }, [this](TStream& s) { WriteData(s); },
      Graphic() && !Graphic()->Empty());
}
