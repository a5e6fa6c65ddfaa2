// Images packages: pictures by number, each kept as the bytes of its own file
// format with its size and optional region data, and the reference objects
// (package name and id) through which controls and background sets show
// them. Turning the bytes into drawable pictures belongs to the graphics
// layer; here an entry only knows its graphic class by name.
// Portable: no <windows.h>.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "packages/PkgInfo.h"
#include "packages/PkgReference.h"

class TKyPkgImages;
class TGraphic;
class TRegion;
class TWinControl;

// ---- Graphic registry ----------------------------------------------------------

// One row of the library's graphic registry: a file extension, its
// description and the class that draws such pictures.
struct TKyGraphicFormat {
  const char* Extension;
  const char* Description;
  const char* ClassName;
};

const std::vector<TKyGraphicFormat>& GraphicFormats();
// The row of a registered class name (compared exactly), or nullptr.
const TKyGraphicFormat* FindGraphicFormat(const std::string& className);
// The row of an extension ("bmp", ".JPG"), or nullptr.
const TKyGraphicFormat* FindGraphicExtension(const std::string& extension);

// ---- Entries ---------------------------------------------------------------------

using TKyBytes = std::vector<uint8_t>;

class TKyPkgImagesImage {
public:
  static constexpr int kOptionCount = 3;
  static constexpr int kSettingCount = 8;

  TKyPkgImagesImage(TKyPkgImages& package, int32_t id) : package_(&package), id_(id) {}
  TKyPkgImagesImage(const TKyPkgImagesImage&) = delete;
  TKyPkgImagesImage& operator=(const TKyPkgImagesImage&) = delete;

  TKyPkgImages& Package() const { return *package_; }
  int32_t Id() const { return id_; }
  // The picture in its own file format; empty: the entry shows nothing.
  const TKyBytes& Data() const { return data_; }
  const std::string& GraphicClassName() const { return className_; }
  // The registry row of the class name; nullptr when unknown.
  const TKyGraphicFormat* GraphicClass() const { return FindGraphicFormat(className_); }
  uint16_t Width() const { return width_; }
  uint16_t Height() const { return height_; }
  // Platform region data: the window region of a control showing the
  // picture, and a second region offered the same way.
  const TKyBytes& Region1() const { return region1_; }
  const TKyBytes& Region2() const { return region2_; }
  bool Option(int index) const { return options_.at(static_cast<size_t>(index)); }
  int32_t Setting(int index) const { return settings_.at(static_cast<size_t>(index)); }
  // The bitmap rendering of a picture that is not a bitmap, made on first
  // demand (BMP file bytes); never stored, dropped when the picture changes.
  const TKyBytes& BitmapCopy() const { return bitmapCopy_; }
  void SetBitmapCopy(TKyBytes value) { bitmapCopy_ = std::move(value); }

  // Each edit runs the package's change protocol (invalidation, one pass).
  void SetId(int32_t value);
  void SetPicture(const std::string& className, const TKyBytes& data, uint16_t width, uint16_t height);
  void SetRegion1(const TKyBytes& value);
  void SetRegion2(const TKyBytes& value);
  void SetOption(int index, bool value);
  void SetSetting(int index, int32_t value);

private:
  friend class TKyPkgImages;
  void Edit(const std::function<void()>& change);

  TKyPkgImages* package_;
  int32_t id_;
  TKyBytes data_;
  std::string className_;
  uint16_t width_ = 0;
  uint16_t height_ = 0;
  TKyBytes region1_;
  TKyBytes region2_;
  TKyBytes bitmapCopy_;
  std::array<bool, kOptionCount> options_{false, true, true};
  std::array<int32_t, kSettingCount> settings_{1, 1, 1, 1, 1, 1, 1, 1};
};

// ---- The package -----------------------------------------------------------------------

class TKyPkgImages : public TKyPkgInfo {
  KY_CLASS(TKyPkgImages, TKyPkgInfo)
public:
  static constexpr TKyPkgKind kKind{"KyPkgImages", 6, 6, "pim", 39, 40};
  static constexpr int kPreservedCount = 11;   // ten, then one more
  static constexpr int kPreservedDefaults = 8;  // of them 2147483647; the rest 0
  static constexpr int32_t kPreservedDefault = 2147483647;
  // Ids from 0 up to this one are held in the index list.
  static constexpr int32_t kIndexLimit = 1 << 20;

  explicit TKyPkgImages(TComponent* owner);
  ~TKyPkgImages() override;
  static void Publish(TPublisher<TKyPkgImages>& p);
  const TKyPkgKind& Kind() const override { return kKind; }

  // Every images package, the active one of each name first.
  static TKyPkgList& List();

  int Count() const { return static_cast<int>(images_.size()); }
  TKyPkgImagesImage* Images(int index) const { return images_.at(static_cast<size_t>(index)).get(); }
  // By id through the index: the entry read last wins; none for id < 0.
  TKyPkgImagesImage* Find(int32_t id) const;

  TKyPkgImagesImage* AddImage(int32_t id);
  void DeleteImage(TKyPkgImagesImage* image);

  int32_t Preserved(int index) const { return preserved_.at(static_cast<size_t>(index)); }
  void SetPreserved(int index, int32_t value);
  bool PreservedFlag(int index) const { return flags_.at(static_cast<size_t>(index)); }
  void SetPreservedFlag(int index, bool value);

  // Refuses "System" and "User" on a form, "User" elsewhere (message 67).
  void SetPkgName(const std::string& value) override;

  void Clear() override;
  void ReadPackage(TKyReader& reader) override;
  void WritePackage(TKyWriter& writer) override;

  // Drops every image reference cache that points into this package.
  void InvalidateReferences();

private:
  friend class TKyPkgImagesImage;
  friend class TKyPkgDisplay;
  void ClearContent();
  void RebuildIndex();
  void IndexImage(TKyPkgImagesImage* image);
  // Lock, batch unless loading, the change, the pass, Change.
  void Edit(const std::function<void()>& change);

  std::vector<std::unique_ptr<TKyPkgImagesImage>> images_;
  std::vector<TKyPkgImagesImage*> index_;
  std::unordered_map<int32_t, TKyPkgImagesImage*> far_;
  std::array<int32_t, kPreservedCount> preserved_{};
  std::array<bool, 2> flags_{};
};

// The active images package of that name ("System" and "User": the display
// package's), or nullptr.
TKyPkgImages* FindImagesPackage(const std::string& name);

// ---- Reference object ---------------------------------------------------------------------

// A package name and an id, resolved through the active images package of
// that name. Id -1: not linked; -2: the default reference given at creation.
class TKyMemoryImage : public TPersistent {
  KY_CLASS(TKyMemoryImage, TPersistent)
public:
  using TOwnerNotify = std::function<void(TKyMemoryImage* sender)>;

  explicit TKyMemoryImage(TPersistent* owner = nullptr);
  TKyMemoryImage(TPersistent* owner, const std::string& defPkgName, int32_t defId);
  ~TKyMemoryImage() override;

  const std::string& PkgName() const { return key_.PkgName(); }
  void SetPkgName(const std::string& value);
  int32_t Id() const { return key_.Id(); }
  void SetId(int32_t value);
  void SetReference(const std::string& pkgName, int32_t id);
  bool HasDefault() const { return key_.HasDefault(); }

  // An application configuration exists and the reference names an entry
  // (Id >= 0 with a package name) or its default (Id -2).
  bool IsLinked() const { return key_.IsLinked(); }
  // The entry, or nullptr when unresolved or when it holds no picture.
  TKyPkgImagesImage* Resolve();
  bool Resolved() const { return key_.Resolved(); }
  // Of the resolved entry: the class name ("" when none or unknown to the
  // registry), the picture bytes and the two regions (empty when none).
  std::string GraphicClassName();
  TKyBytes PictureData();
  TKyBytes WindowRegionData();
  TKyBytes SecondRegionData();

  // ---- Pictures (Windows builds) ----
  // A new picture of the entry's graphic class loaded from its data;
  // nullptr when the reference resolves to nothing or the class is not
  // registered. Damaged data raises EInvalidGraphic.
  std::unique_ptr<TGraphic> Graphic();
  // The picture as the bytes of a BMP file: the data itself for bitmaps,
  // for other classes a rendering made once per entry and kept with it.
  // Empty when the reference resolves to nothing.
  TKyBytes BitmapData();
  // Regions made from the entry's region data 1 and 2; nullptr when none.
  std::unique_ptr<TRegion> WindowRegion();
  std::unique_ptr<TRegion> SecondRegion();
  // Gives the control's window the outline of region data 1, or takes its
  // outline away when there is none.
  void ApplyRegion(TWinControl* control);

  // Told whenever the resolved picture may have changed.
  TOwnerNotify OnChange;

  void Assign(const TPersistent* source) override;

  // Cache passes over every live image reference.
  static void InvalidatePackage(const TKyPkgImages* package);
  static void InvalidateEntry(const TKyPkgImagesImage* entry);
  static void InvalidateEmpty();
  static void InvalidateAll();
  // Each invalid linked reference resolves again and tells its owner when it
  // had an entry before or finds one now.
  static void NotifyPass();
  static int LiveCount();

protected:
  void DefineProperties(TFiler& filer) override;
  TPersistent* GetOwner() const override { return owner_; }
  virtual void Changed();

private:
  TKyPkgImagesImage* ResolveEntry();

  TPersistent* owner_;
  TKyRefKey<TKyPkgImagesImage> key_;
};

// Registers the images package class with the class registry.
void RegisterImagesClasses();
