// TPicture holds one graphic of any registered class, and the registry of
// graphic classes: by class name (as images packages and image controls
// store them), by file extension with a description (for file dialogs),
// and by the first bytes of the data.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/graphics/Graphic.h"

class TBitmap;
class TIcon;
class TMetafile;

using TGraphicFactory = std::unique_ptr<TGraphic> (*)();

struct TGraphicFormat {
  std::string Extension;  // without the dot, lower case
  std::string Description;
  const TClassInfo* Class = nullptr;
};

// Makes the built-in classes known (TBitmap, TIcon, TMetafile,
// TJPEGImage); runs by itself on the first use of the registry, and may be
// called again.
void RegisterGraphicClasses();
// A graphic class by name; registering a name again replaces its factory.
void RegisterGraphicClass(const TClassInfo& cls, TGraphicFactory factory);
// An extension (with or without the dot) for a registered class; a later
// registration of the same extension wins.
void RegisterFileFormat(const std::string& extension, const std::string& description, const TClassInfo& cls);

// By class name, without regard to case; nullptr when not registered.
const TClassInfo* FindGraphicClass(const std::string& className);
// A new empty graphic of that class; nullptr when not registered.
std::unique_ptr<TGraphic> CreateGraphic(const std::string& className);
// The format of an extension ("jpg", ".JPG"); nullptr when unknown. The
// entry stays valid until the next RegisterFileFormat.
const TGraphicFormat* FindFileFormat(const std::string& extension);
std::vector<TGraphicFormat> GraphicFileFormats();
// A file dialog filter: "All (*.bmp;...)|*.bmp;...|Bitmaps (*.bmp)|*.bmp|...";
// only the formats of cls (and its descendants) when given.
std::string GraphicFilter(const TClassInfo* cls = nullptr);

// The graphic class the data begins with: "BM" bitmaps, FF D8 FF JPEG,
// icon directories, EMF and WMF headers. nullptr when none fits.
const TClassInfo* DetectGraphicClass(const void* data, size_t size);
// The same from a stream's next bytes; the position is kept.
const TClassInfo* DetectGraphicClass(TStream& stream);

class TPicture : public TPersistent {
  KY_CLASS(TPicture, TPersistent)
public:
  TPicture();
  ~TPicture() override;

  TNotifyEvent OnChange;

  // nullptr while empty.
  TGraphic* Graphic() const { return graphic_.get(); }
  // Holds a copy of value (nullptr: empty).
  void SetGraphic(const TGraphic* value);
  // Holds value itself.
  void TakeGraphic(std::unique_ptr<TGraphic> value);
  // The graphic as a bitmap, icon or metafile; a graphic of another class
  // is replaced by an empty one of the class asked for.
  TBitmap* Bitmap();
  TIcon* Icon();
  TMetafile* Metafile();

  int32_t Width() const;
  int32_t Height() const;

  // By the file's extension; EInvalidGraphic for an unknown one.
  void LoadFromFile(const std::string& fileName);
  void SaveToFile(const std::string& fileName);
  // A graphic of className from the stream; an empty className detects the
  // class from the data. EInvalidGraphic when neither gives a class.
  void LoadFromStream(TStream& stream, const std::string& className = "");
  void SaveToStream(TStream& stream);

  // A TPicture, a TGraphic (copied) or nullptr (clears).
  void Assign(const TPersistent* source) override;

protected:
  void AssignTo(TPersistent* dest) const override;
  // "Data": the class name as a short string, then the graphic's own bytes.
  void DefineProperties(TFiler& filer) override;

private:
  void Hold(std::unique_ptr<TGraphic> graphic);
  template <class T>
  T* As();
  void Changed();

  std::unique_ptr<TGraphic> graphic_;
};
