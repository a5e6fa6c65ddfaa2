// Binary content that value-bound controls hand around (a memo's lines, an
// image's picture), and the picture container of the image controls, which
// reads the pictures of older forms: an optional class name and an optional
// bitmap size prefix before the graphic's own bytes.
#pragma once

#include <string>

#include "platform/base/Stream.h"
#include "platform/graphics/Picture.h"

// Content with its own stream format; descendants read and write it.
class TKyBlob : public TPersistent {
  KY_CLASS(TKyBlob, TPersistent)
public:
  virtual void LoadFromStream(TStream& stream) = 0;
  virtual void SaveToStream(TStream& stream) = 0;
  // The file stream lives only for the call, also when loading fails.
  void LoadFromFile(const std::string& fileName);
  // Creates the file, or truncates an existing one.
  void SaveToFile(const std::string& fileName);
};

class TKyPicture : public TPicture {
  KY_CLASS(TKyPicture, TPicture)
public:
  // With storesClass the data starts with the graphic's class name;
  // otherwise every graphic is of fixedClass.
  explicit TKyPicture(bool storesClass = true, const TClassInfo* fixedClass = nullptr);

  // Told when the picture takes another graphic or is cleared, not when the
  // graphic held changes itself (drawing into its canvas).
  TNotifyEvent OnChange;

  bool StoresClass() const { return storesClass_; }
  const TClassInfo& FixedClass() const { return *fixedClass_; }
  // The class its owner chose (nullptr: none); data stored without a class
  // name of its own reads as this class rather than the fixed one.
  const TClassInfo* GraphicClass() const { return graphicClass_; }
  void SetGraphicClass(const TClassInfo* value) { graphicClass_ = value; }

  // A blob copies itself into the picture; other sources as for TPicture.
  void Assign(const TPersistent* source) override;

  // The stored form of the picture, from the stream's position to its end.
  void ReadData(TStream& stream);
  void WriteData(TStream& stream);

protected:
  void DefineProperties(TFiler& filer) override;

private:
  void PictureChanged();

  bool storesClass_;
  const TClassInfo* fixedClass_;
  const TClassInfo* graphicClass_ = nullptr;
};
