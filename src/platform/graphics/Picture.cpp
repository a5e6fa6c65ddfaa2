#include "platform/graphics/Picture.h"

#include <algorithm>
#include <cstring>
#include <mutex>

#include "platform/base/SysUtils.h"
#include "platform/classes/FormStream.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Icon.h"
#include "platform/graphics/Jpeg.h"
#include "platform/graphics/Metafile.h"

namespace {

struct TGraphicClassEntry {
  const TClassInfo* Class;
  TGraphicFactory Factory;
};

struct TRegistry {
  std::recursive_mutex Lock;
  std::vector<TGraphicClassEntry> Classes;
  std::vector<TGraphicFormat> Formats;
};

std::string Lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return s;
}

std::string NormalExt(const std::string& ext) { return Lower(!ext.empty() && ext[0] == '.' ? ext.substr(1) : ext); }

template <class T>
std::unique_ptr<TGraphic> Make() {
  return std::make_unique<T>();
}

void AddClass(TRegistry& r, const TClassInfo& cls, TGraphicFactory factory) {
  for (auto& e : r.Classes)
    if (e.Class == &cls || Lower(e.Class->Name()) == Lower(cls.Name())) {
      e = {&cls, factory};
      return;
    }
  r.Classes.push_back({&cls, factory});
}

void AddFormat(TRegistry& r, const std::string& extension, const std::string& description, const TClassInfo& cls) {
  std::string ext = NormalExt(extension);
  r.Formats.erase(std::remove_if(r.Formats.begin(), r.Formats.end(), [&](const TGraphicFormat& f) { return f.Extension == ext; }),
                  r.Formats.end());
  r.Formats.push_back({ext, description, &cls});
}

TRegistry& Registry() {
  static TRegistry* registry = [] {
    auto* r = new TRegistry;
    AddClass(*r, TBitmap::StaticClass(), &Make<TBitmap>);
    AddClass(*r, TIcon::StaticClass(), &Make<TIcon>);
    AddClass(*r, TMetafile::StaticClass(), &Make<TMetafile>);
    AddClass(*r, TJPEGImage::StaticClass(), &Make<TJPEGImage>);
    AddFormat(*r, "bmp", "Bitmaps", TBitmap::StaticClass());
    AddFormat(*r, "ico", "Icons", TIcon::StaticClass());
    AddFormat(*r, "emf", "Enhanced Metafiles", TMetafile::StaticClass());
    AddFormat(*r, "wmf", "Metafiles", TMetafile::StaticClass());
    AddFormat(*r, "jpg", "JPEG Image File", TJPEGImage::StaticClass());
    AddFormat(*r, "jpeg", "JPEG Image File", TJPEGImage::StaticClass());
    return r;
  }();
  return *registry;
}

const TGraphicClassEntry* FindEntry(const std::string& className) {
  TRegistry& r = Registry();
  std::string name = Lower(className);
  for (const auto& e : r.Classes)
    if (Lower(e.Class->Name()) == name) return &e;
  return nullptr;
}

std::string ExtensionOf(const std::string& fileName) {
  size_t dot = fileName.find_last_of('.');
  size_t slash = fileName.find_last_of("\\/:");
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return "";
  return fileName.substr(dot + 1);
}

}  // namespace

void RegisterGraphicClasses() { Registry(); }

void RegisterGraphicClass(const TClassInfo& cls, TGraphicFactory factory) {
  TRegistry& r = Registry();
  std::lock_guard<std::recursive_mutex> lock(r.Lock);
  AddClass(r, cls, factory);
}

void RegisterFileFormat(const std::string& extension, const std::string& description, const TClassInfo& cls) {
  TRegistry& r = Registry();
  std::lock_guard<std::recursive_mutex> lock(r.Lock);
  AddFormat(r, extension, description, cls);
}

const TClassInfo* FindGraphicClass(const std::string& className) {
  std::lock_guard<std::recursive_mutex> lock(Registry().Lock);
  const TGraphicClassEntry* e = FindEntry(className);
  return e ? e->Class : nullptr;
}

std::unique_ptr<TGraphic> CreateGraphic(const std::string& className) {
  TGraphicFactory factory = nullptr;
  {
    std::lock_guard<std::recursive_mutex> lock(Registry().Lock);
    if (const TGraphicClassEntry* e = FindEntry(className)) factory = e->Factory;
  }
  return factory ? factory() : nullptr;
}

const TGraphicFormat* FindFileFormat(const std::string& extension) {
  TRegistry& r = Registry();
  std::lock_guard<std::recursive_mutex> lock(r.Lock);
  std::string ext = NormalExt(extension);
  for (const auto& f : r.Formats)
    if (f.Extension == ext) return &f;
  return nullptr;
}

std::vector<TGraphicFormat> GraphicFileFormats() {
  TRegistry& r = Registry();
  std::lock_guard<std::recursive_mutex> lock(r.Lock);
  return r.Formats;
}

std::string GraphicFilter(const TClassInfo* cls) {
  std::string all, each;
  for (const TGraphicFormat& f : GraphicFileFormats()) {
    if (cls && !f.Class->InheritsFrom(*cls)) continue;
    std::string mask = "*." + f.Extension;
    all += (all.empty() ? "" : ";") + mask;
    each += "|" + f.Description + " (" + mask + ")|" + mask;
  }
  if (all.empty()) return "";
  return "All (" + all + ")|" + all + each;
}

const TClassInfo* DetectGraphicClass(const void* data, size_t size) {
  auto* p = static_cast<const uint8_t*>(data);
  auto u32 = [&](size_t at) { return uint32_t(p[at]) | (uint32_t(p[at + 1]) << 8) | (uint32_t(p[at + 2]) << 16) | (uint32_t(p[at + 3]) << 24); };
  if (size >= 2 && p[0] == 'B' && p[1] == 'M') return &TBitmap::StaticClass();
  if (IsJpegData(data, size)) return &TJPEGImage::StaticClass();
  if (size >= 6 && p[0] == 0 && p[1] == 0 && p[2] == 1 && p[3] == 0 && (p[4] | p[5]) != 0) return &TIcon::StaticClass();
  if (size >= 44 && u32(0) == 1 && u32(40) == 0x464D4520) return &TMetafile::StaticClass();
  if (size >= 4 && u32(0) == 0x9AC6CDD7) return &TMetafile::StaticClass();
  if (size >= 6 && (p[0] == 1 || p[0] == 2) && p[1] == 0 && p[2] == 9 && p[3] == 0 && (p[4] == 0 || p[4] == 1 || p[4] == 3) && p[5] == 3)
    return &TMetafile::StaticClass();
  return nullptr;
}

const TClassInfo* DetectGraphicClass(TStream& stream) {
  uint8_t head[48]{};
  int64_t pos = stream.Position();
  int32_t n = stream.Read(head, sizeof head);
  stream.SetPosition(pos);
  return DetectGraphicClass(head, static_cast<size_t>(std::max(n, 0)));
}

// ---- TPicture ----

TPicture::TPicture() = default;
TPicture::~TPicture() = default;

void TPicture::Changed() {
  if (OnChange) OnChange(this);
}

void TPicture::Hold(std::unique_ptr<TGraphic> graphic) {
  graphic_ = std::move(graphic);
  if (graphic_) graphic_->OnChange = [this](TObject*) { Changed(); };
  Changed();
}

void TPicture::SetGraphic(const TGraphic* value) {
  if (value == graphic_.get()) return;
  if (!value) {
    Hold(nullptr);
    return;
  }
  std::unique_ptr<TGraphic> copy = CreateGraphic(value->ClassName());
  if (!copy) throw EInvalidGraphic("Unknown picture class " + value->ClassName());
  copy->Assign(value);
  Hold(std::move(copy));
}

void TPicture::TakeGraphic(std::unique_ptr<TGraphic> value) { Hold(std::move(value)); }

template <class T>
T* TPicture::As() {
  if (auto* g = dynamic_cast<T*>(graphic_.get())) return g;
  Hold(std::make_unique<T>());
  return static_cast<T*>(graphic_.get());
}

TBitmap* TPicture::Bitmap() { return As<TBitmap>(); }
TIcon* TPicture::Icon() { return As<TIcon>(); }
TMetafile* TPicture::Metafile() { return As<TMetafile>(); }

int32_t TPicture::Width() const { return graphic_ ? graphic_->Width() : 0; }
int32_t TPicture::Height() const { return graphic_ ? graphic_->Height() : 0; }

void TPicture::LoadFromFile(const std::string& fileName) {
  std::string ext = ExtensionOf(fileName);
  const TGraphicFormat* format = FindFileFormat(ext);
  if (!format) throw EInvalidGraphic("Unknown picture file extension (." + ext + ")");
  std::unique_ptr<TGraphic> graphic = CreateGraphic(format->Class->Name());
  graphic->LoadFromFile(fileName);
  Hold(std::move(graphic));
}

void TPicture::SaveToFile(const std::string& fileName) {
  if (graphic_) graphic_->SaveToFile(fileName);
}

void TPicture::LoadFromStream(TStream& stream, const std::string& className) {
  std::string name = className;
  if (name.empty()) {
    const TClassInfo* cls = DetectGraphicClass(stream);
    if (!cls) throw EInvalidGraphic("Unknown picture format");
    name = cls->Name();
  }
  std::unique_ptr<TGraphic> graphic = CreateGraphic(name);
  if (!graphic) throw EInvalidGraphic("Unknown picture class " + name);
  graphic->LoadFromStream(stream);
  Hold(std::move(graphic));
}

void TPicture::SaveToStream(TStream& stream) {
  if (graphic_) graphic_->SaveToStream(stream);
}

void TPicture::Assign(const TPersistent* source) {
  if (source == this) return;
  if (!source) {
    SetGraphic(nullptr);
  } else if (auto* pic = dynamic_cast<const TPicture*>(source)) {
    SetGraphic(pic->Graphic());
  } else if (auto* g = dynamic_cast<const TGraphic*>(source)) {
    SetGraphic(g);
  } else {
    inherited::Assign(source);
  }
}

void TPicture::AssignTo(TPersistent* dest) const {
  if (auto* g = dynamic_cast<TGraphic*>(dest)) {
    if (graphic_) {
      g->Assign(graphic_.get());
      return;
    }
  }
  inherited::AssignTo(dest);
}

void TPicture::DefineProperties(TFiler& filer) {
  filer.DefineBinaryProperty(
      "Data",
      [this](TStream& s) {
        uint8_t len = 0;
        s.ReadBuffer(&len, 1);
        std::string name(len, '\0');
        if (len) s.ReadBuffer(name.data(), len);
        std::unique_ptr<TGraphic> graphic = CreateGraphic(name);
        if (!graphic) throw EInvalidGraphic("Unknown picture class " + name);
        graphic->LoadFromStream(s);
        Hold(std::move(graphic));
      },
      [this](TStream& s) {
        const std::string& name = graphic_->ClassName();
        uint8_t len = static_cast<uint8_t>(std::min<size_t>(name.size(), 255));
        s.WriteBuffer(&len, 1);
        s.WriteBuffer(name.data(), len);
        graphic_->SaveToStream(s);
      },
      graphic_ && !graphic_->Empty());
}
