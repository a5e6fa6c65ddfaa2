#include "packages/PkgImages.h"

#include <algorithm>

#include "packages/MessageService.h"
#include "platform/base/Exception.h"
#include "platform/classes/FormStream.h"
#include "platform/base/SysUtils.h"

// ---- Graphic registry ----

const std::vector<TKyGraphicFormat>& GraphicFormats() {
  static const std::vector<TKyGraphicFormat> formats{
      {"bmp", "Bitmap", "TBitmap"},   {"ico", "Icon", "TIcon"},       {"wmf", "Metafile", "TMetafile"},
      {"emf", "Metafile", "TMetafile"}, {"jpeg", "JPeg", "TJPEGImage"}, {"jpg", "JPeg", "TJPEGImage"},
  };
  return formats;
}

const TKyGraphicFormat* FindGraphicFormat(const std::string& className) {
  for (const TKyGraphicFormat& f : GraphicFormats())
    if (className == f.ClassName) return &f;
  return nullptr;
}

const TKyGraphicFormat* FindGraphicExtension(const std::string& extension) {
  std::string ext = (!extension.empty() && extension[0] == '.') ? extension.substr(1) : extension;
  for (const TKyGraphicFormat& f : GraphicFormats())
    if (SameText(ext, f.Extension)) return &f;
  return nullptr;
}

// ---- Entries ----

void TKyPkgImagesImage::Edit(const std::function<void()>& change) {
  package_->Edit([&] {
    TKyMemoryImage::InvalidateEntry(this);
    change();
  });
}

void TKyPkgImagesImage::SetId(int32_t value) {
  if (value == id_) return;
  Edit([&] {
    // Another entry may now be the one an id finds.
    TKyMemoryImage::InvalidatePackage(package_);
    id_ = value;
    package_->RebuildIndex();
  });
}

void TKyPkgImagesImage::SetPicture(const std::string& className, const TKyBytes& data, uint16_t width,
                                   uint16_t height) {
  if (className == className_ && data == data_ && width == width_ && height == height_) return;
  Edit([&] {
    className_ = className;
    data_ = data;
    bitmapCopy_.clear();
    width_ = width;
    height_ = height;
  });
}

void TKyPkgImagesImage::SetRegion1(const TKyBytes& value) {
  if (value != region1_) Edit([&] { region1_ = value; });
}

void TKyPkgImagesImage::SetRegion2(const TKyBytes& value) {
  if (value != region2_) Edit([&] { region2_ = value; });
}

void TKyPkgImagesImage::SetOption(int index, bool value) {
  if (options_.at(static_cast<size_t>(index)) != value) Edit([&] { options_[static_cast<size_t>(index)] = value; });
}

void TKyPkgImagesImage::SetSetting(int index, int32_t value) {
  if (settings_.at(static_cast<size_t>(index)) != value) Edit([&] { settings_[static_cast<size_t>(index)] = value; });
}

// ---- The package ----

namespace {

std::array<int32_t, TKyPkgImages::kPreservedCount> PreservedDefaults() {
  std::array<int32_t, TKyPkgImages::kPreservedCount> a{};
  for (int i = 0; i < TKyPkgImages::kPreservedDefaults; ++i) a[static_cast<size_t>(i)] = TKyPkgImages::kPreservedDefault;
  return a;
}

// A damaged size or count must not make us allocate or loop before the data
// runs out: refuse what the rest of the stream cannot hold.
void CheckFits(TKyReader& reader, int64_t needed, const std::string& file, const char* what) {
  int64_t left = reader.Stream().Size() - reader.Position();
  if (needed > left)
    throw EReadError(Format("Damaged package '%s': %s cannot be held by its data", {file, std::string(what)}));
}

TKyBytes ReadBlock(TKyReader& reader, const std::string& file, const char* what) {
  int32_t size = reader.ReadInteger();
  TKyBytes bytes;
  if (size <= 0) return bytes;
  CheckFits(reader, size, file, what);
  bytes.resize(static_cast<size_t>(size));
  reader.Read(bytes.data(), size);
  return bytes;
}

void WriteBlock(TKyWriter& writer, const TKyBytes& bytes) {
  writer.WriteInteger(static_cast<int32_t>(bytes.size()));
  if (!bytes.empty()) writer.Write(bytes.data(), static_cast<int32_t>(bytes.size()));
}

}  // namespace

TKyPkgList& TKyPkgImages::List() {
  static TKyPkgList list(TKyPkgImages::StaticClass());
  return list;
}

TKyPkgImages::TKyPkgImages(TComponent* owner) : TKyPkgInfo(owner), preserved_(PreservedDefaults()) { List().Add(this); }

TKyPkgImages::~TKyPkgImages() {
  TKyConfigLock lock;
  TKyChangeBatch batch;
  ClearContent();
  List().Remove(this);
  bool ownerGoing = Owner() && Owner()->IsDestroying();
  if (!ApplicationDestroying() && !ownerGoing) {
    TKyMemoryImage::InvalidateEmpty();
    TKyMemoryImage::NotifyPass();
  }
}

void TKyPkgImages::Publish(TPublisher<TKyPkgImages>&) {}

void TKyPkgImages::Edit(const std::function<void()>& change) {
  TKyPkgChangeScope scope(*this);
  bool loading = scope.Loading();
  change();
  if (!loading && !ApplicationDestroying()) {
    TKyMemoryImage::InvalidateEmpty();
    TKyMemoryImage::NotifyPass();
  }
  Change();
}

void TKyPkgImages::InvalidateReferences() { TKyMemoryImage::InvalidatePackage(this); }

void TKyPkgImages::ClearContent() {
  InvalidateReferences();
  index_.clear();
  far_.clear();
  images_.clear();
  preserved_ = PreservedDefaults();
  flags_ = {};
}

void TKyPkgImages::IndexImage(TKyPkgImagesImage* image) {
  int32_t id = image->Id();
  if (id < 0) return;
  if (id <= kIndexLimit) {
    if (index_.size() <= static_cast<size_t>(id)) index_.resize(static_cast<size_t>(id) + 1, nullptr);
    index_[static_cast<size_t>(id)] = image;
  } else {
    // An odd id must not make the index list gigabytes long.
    far_[id] = image;
  }
}

void TKyPkgImages::RebuildIndex() {
  index_.clear();
  far_.clear();
  for (const auto& i : images_) IndexImage(i.get());
}

TKyPkgImagesImage* TKyPkgImages::Find(int32_t id) const {
  if (id < 0) return nullptr;
  if (static_cast<size_t>(id) < index_.size()) return index_[static_cast<size_t>(id)];
  auto it = far_.find(id);
  return it == far_.end() ? nullptr : it->second;
}

TKyPkgImagesImage* TKyPkgImages::AddImage(int32_t id) {
  TKyPkgImagesImage* added = nullptr;
  Edit([&] {
    // The later entry of an id is the one found: it may take over the id.
    TKyMemoryImage::InvalidatePackage(this);
    images_.push_back(std::make_unique<TKyPkgImagesImage>(*this, id));
    added = images_.back().get();
    IndexImage(added);
  });
  return added;
}

void TKyPkgImages::DeleteImage(TKyPkgImagesImage* image) {
  if (!image || &image->Package() != this) return;
  Edit([&] {
    TKyMemoryImage::InvalidateEntry(image);
    std::erase_if(images_, [image](const auto& i) { return i.get() == image; });
    RebuildIndex();
  });
}

void TKyPkgImages::SetPreserved(int index, int32_t value) {
  if (preserved_.at(static_cast<size_t>(index)) != value) Edit([&] { preserved_[static_cast<size_t>(index)] = value; });
}

void TKyPkgImages::SetPreservedFlag(int index, bool value) {
  if (flags_.at(static_cast<size_t>(index)) != value) Edit([&] { flags_[static_cast<size_t>(index)] = value; });
}

void TKyPkgImages::Clear() {
  Edit([&] { ClearContent(); });
}

void TKyPkgImages::SetPkgName(const std::string& value) {
  if (value == PkgName()) return;
  TKyConfigLock lock;
  if (!RenameFoundByName(value, List())) return;
  TKyChangeBatch batch;
  InvalidateReferences();
  if (!ApplicationDestroying()) {
    TKyMemoryImage::InvalidateEmpty();
    TKyMemoryImage::NotifyPass();
  }
  Change();
}

void TKyPkgImages::ReadPackage(TKyReader& reader) {
  TKyPkgChangeScope scope(*this);
  bool loading = scope.Loading();
  uint16_t version = ReadHeader(reader);
  std::string file = HeaderFileName();
  StoreDescription(reader.ReadString());
  ClearContent();
  int32_t count = reader.ReadInteger();
  // Smallest entry: the 8-byte head, an empty class name and a size of 0.
  if (count > 0) CheckFits(reader, int64_t{count} * 12, file, "the image count");
  for (int32_t i = 0; i < count; ++i) {
    // The head is raw bytes, not typed values.
    uint8_t head[8];
    reader.Read(head, 8);
    int32_t id = static_cast<int32_t>(static_cast<uint32_t>(head[0]) | (static_cast<uint32_t>(head[1]) << 8) |
                                      (static_cast<uint32_t>(head[2]) << 16) | (static_cast<uint32_t>(head[3]) << 24));
    images_.push_back(std::make_unique<TKyPkgImagesImage>(*this, id));
    TKyPkgImagesImage& image = *images_.back();
    image.width_ = static_cast<uint16_t>(head[4] | (head[5] << 8));
    image.height_ = static_cast<uint16_t>(head[6] | (head[7] << 8));
    image.className_ = reader.ReadString();
    if (version >= 2) reader.ReadBoolean();
    image.data_ = ReadBlock(reader, file, "a picture");
    if (version >= 2) image.region1_ = ReadBlock(reader, file, "a region");
    if (version >= 3)
      for (bool& o : image.options_) o = reader.ReadBoolean();
    if (version >= 5)
      for (int32_t& s : image.settings_) s = reader.ReadInteger();
    if (version >= 6) image.region2_ = ReadBlock(reader, file, "a region");
    IndexImage(&image);
  }
  if (version >= 3)
    for (int i = 0; i < 10; ++i) preserved_[static_cast<size_t>(i)] = reader.ReadInteger();
  if (version >= 4) preserved_[10] = reader.ReadInteger();
  if (version >= 6)
    for (bool& f : flags_) f = reader.ReadBoolean();
  if (!loading && !ApplicationDestroying()) {
    TKyMemoryImage::InvalidateEmpty();
    TKyMemoryImage::NotifyPass();
  }
  Change();
}

void TKyPkgImages::WritePackage(TKyWriter& writer) {
  WriteHeader(writer);
  writer.WriteString(Description());
  writer.WriteInteger(Count());
  for (const auto& i : images_) {
    uint32_t id = static_cast<uint32_t>(i->id_);
    uint8_t head[8] = {static_cast<uint8_t>(id), static_cast<uint8_t>(id >> 8), static_cast<uint8_t>(id >> 16),
                       static_cast<uint8_t>(id >> 24), static_cast<uint8_t>(i->width_),
                       static_cast<uint8_t>(i->width_ >> 8), static_cast<uint8_t>(i->height_),
                       static_cast<uint8_t>(i->height_ >> 8)};
    writer.Write(head, 8);
    writer.WriteString(i->className_);
    writer.WriteBoolean(false);
    WriteBlock(writer, i->data_);
    WriteBlock(writer, i->region1_);
    for (bool o : i->options_) writer.WriteBoolean(o);
    for (int32_t s : i->settings_) writer.WriteInteger(s);
    WriteBlock(writer, i->region2_);
  }
  for (int32_t v : preserved_) writer.WriteInteger(v);
  for (bool f : flags_) writer.WriteBoolean(f);
}

TKyPkgImages* FindImagesPackage(const std::string& name) {
  return static_cast<TKyPkgImages*>(TKyPkgImages::List().Find(name));
}

// ---- Reference object ----

namespace {

TKyRefList<TKyMemoryImage>& ImageRefs() {
  static TKyRefList<TKyMemoryImage> refs;
  return refs;
}

TKyPkgImagesImage* FindImage(const std::string& pkgName, int32_t id) {
  TKyPkgImages* pkg = FindImagesPackage(pkgName);
  return pkg ? pkg->Find(id) : nullptr;
}

}  // namespace

TKyMemoryImage::TKyMemoryImage(TPersistent* owner) : owner_(owner) { ImageRefs().Add(this); }

TKyMemoryImage::TKyMemoryImage(TPersistent* owner, const std::string& defPkgName, int32_t defId)
    : owner_(owner), key_(defPkgName, defId) {
  ImageRefs().Add(this);
}

TKyMemoryImage::~TKyMemoryImage() { ImageRefs().Remove(this); }

void TKyMemoryImage::SetPkgName(const std::string& value) {
  if (key_.SetPkgName(value)) Changed();
}

void TKyMemoryImage::SetId(int32_t value) {
  if (key_.SetId(value)) Changed();
}

void TKyMemoryImage::SetReference(const std::string& pkgName, int32_t id) {
  if (key_.SetReference(pkgName, id)) Changed();
}

TKyPkgImagesImage* TKyMemoryImage::ResolveEntry() { return key_.Resolve(FindImage); }

TKyPkgImagesImage* TKyMemoryImage::Resolve() {
  TKyPkgImagesImage* e = ResolveEntry();
  return (e && !e->Data().empty()) ? e : nullptr;
}

std::string TKyMemoryImage::GraphicClassName() {
  TKyPkgImagesImage* e = Resolve();
  return (e && e->GraphicClass()) ? e->GraphicClassName() : std::string();
}

TKyBytes TKyMemoryImage::PictureData() {
  TKyPkgImagesImage* e = Resolve();
  // Without a known graphic class the bytes cannot become a picture.
  return (e && e->GraphicClass()) ? e->Data() : TKyBytes();
}

TKyBytes TKyMemoryImage::WindowRegionData() {
  TKyPkgImagesImage* e = Resolve();
  return e ? e->Region1() : TKyBytes();
}

TKyBytes TKyMemoryImage::SecondRegionData() {
  TKyPkgImagesImage* e = Resolve();
  return e ? e->Region2() : TKyBytes();
}

void TKyMemoryImage::Changed() {
  if (OnChange) OnChange(this);
}

void TKyMemoryImage::Assign(const TPersistent* source) {
  auto* s = dynamic_cast<const TKyMemoryImage*>(source);
  if (!s) {
    TPersistent::Assign(source);
    return;
  }
  if (key_.CopyFrom(s->key_)) Changed();
}

void TKyMemoryImage::DefineProperties(TFiler& filer) {
  TPersistent::DefineProperties(filer);
  TPersistent* a = filer.Ancestor();
  auto* anc = (a && &a->ClassType() == &ClassType()) ? static_cast<const TKyMemoryImage*>(a) : nullptr;
  key_.Define(
      filer, anc ? &anc->key_ : nullptr, a != nullptr, [this](const std::string& v) { SetPkgName(v); },
      [this](int32_t v) { SetId(v); });
}

void TKyMemoryImage::InvalidatePackage(const TKyPkgImages* package) {
  ImageRefs().ForEach([package](TKyMemoryImage* r) {
    if (r->key_.Cached() && &r->key_.Cached()->Package() == package) r->key_.Invalidate();
  });
}

void TKyMemoryImage::InvalidateEntry(const TKyPkgImagesImage* entry) {
  ImageRefs().ForEach([entry](TKyMemoryImage* r) {
    if (r->key_.Cached() == entry) r->key_.Invalidate();
  });
}

void TKyMemoryImage::InvalidateEmpty() {
  ImageRefs().ForEach([](TKyMemoryImage* r) {
    if (r->key_.Resolved() && !r->key_.Cached()) r->key_.Invalidate();
  });
}

void TKyMemoryImage::InvalidateAll() {
  ImageRefs().ForEach([](TKyMemoryImage* r) { r->key_.Invalidate(); });
}

void TKyMemoryImage::NotifyPass() {
  TKyChangeBatch batch;
  bool changed = false;
  ImageRefs().ForEach([&changed](TKyMemoryImage* r) {
    if (r->key_.Renotify(FindImage)) {
      changed = true;
      r->Changed();
    }
  });
  if (changed) NotifyPassListeners();
}

int TKyMemoryImage::LiveCount() { return ImageRefs().LiveCount(); }

void RegisterImagesClasses() { RegisterClasses({&TKyPkgImages::StaticClass()}); }
