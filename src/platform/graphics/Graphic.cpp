#include "platform/graphics/Graphic.h"

void TGraphic::SetWidth(int32_t) {
  throw EInvalidGraphicOperation("Cannot change the size of a " + ClassName());
}

void TGraphic::SetHeight(int32_t) {
  throw EInvalidGraphicOperation("Cannot change the size of a " + ClassName());
}

void TGraphic::SetTransparent(bool value) {
  if (value == transparent_) return;
  transparent_ = value;
  Changed();
}

void TGraphic::SetModified(bool value) {
  if (value) Changed();
  else modified_ = false;
}

void TGraphic::Changed() {
  modified_ = true;
  if (OnChange) OnChange(this);
}

void TGraphic::LoadFromFile(const std::string& fileName) {
  TFileStream stream(fileName, fmOpenRead);
  LoadFromStream(stream);
}

void TGraphic::SaveToFile(const std::string& fileName) {
  TMemoryStream data;
  SaveToStream(data);
  // Written whole only once the graphic could be saved.
  TFileStream stream(fileName, fmCreate);
  if (!data.Data().empty()) stream.WriteBuffer(data.Data().data(), static_cast<int32_t>(data.Data().size()));
}
