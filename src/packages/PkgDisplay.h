// The display package: three tables of named sets (fonts, colours,
// backgrounds) found through a 53-bucket hash, the "System" and "User"
// images packages, and the custom colours of the colour dialog. Controls
// reach it through their set objects (DisplaySets.h). Portable.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "packages/DisplaySets.h"
#include "packages/PkgImages.h"
#include "packages/PkgInfo.h"
#include "packages/PkgStrings.h"
#include "platform/classes/StringList.h"

class TKyDisplaySets;

// What the display package needs of the application configuration, which
// implements this beside IKyPkgApplication.
class IKyDisplayApplication {
public:
  virtual ~IKyDisplayApplication() = default;
  virtual TKyPkgDisplay* PkgDisplay() const = 0;
  virtual bool Scaled() const = 0;
  // Unchanged unless scaled; else by screen / design pixels per inch.
  virtual int32_t ScaleHeight(int32_t height) const = 0;
  virtual int32_t ScaleFontHeight(int32_t height, int32_t designPixelsPerInch) const = 0;
};

// The display package of the first application configuration, or nullptr.
TKyPkgDisplay* ActiveDisplayPackage();
// The screen's pixels per inch (96 where there is no screen).
int32_t ScreenPixelsPerInch();
// The scaling rule of the application configuration: height * screen /
// design, rounded as MulDiv; unchanged when either resolution is not positive.
int32_t ScaleFontHeightFor(int32_t height, int32_t screenPixelsPerInch, int32_t designPixelsPerInch);

// ---- Set entries ---------------------------------------------------------------------

class TKyPkgDisplaySet {
public:
  virtual ~TKyPkgDisplaySet();
  TKyPkgDisplaySet(const TKyPkgDisplaySet&) = delete;
  TKyPkgDisplaySet& operator=(const TKyPkgDisplaySet&) = delete;

  TKyDisplaySets& Container() const { return *container_; }
  TKyPkgDisplay& Package() const;
  TKySetKind Kind() const;

  const std::string& Name() const { return name_; }
  // Refused with message 15, 16 or 17 when another set has the name.
  void SetName(const std::string& value);
  const std::string& Description() const { return description_; }
  void SetDescription(const std::string& value);
  // When linked, the description becomes its caption after each load.
  TKyMemoryLabel& DescriptionLabel() { return label_; }
  const TKyMemoryLabel& DescriptionLabel() const { return label_; }
  void SetDescriptionLabel(const std::string& pkgName, int32_t id);

protected:
  TKyPkgDisplaySet(TKyDisplaySets& container, std::string name) : container_(&container), name_(std::move(name)) {}
  // One edit with invalidation, the notification pass and Change.
  void Edit(const std::function<void()>& change);

private:
  friend class TKyDisplaySets;
  friend class TKyPkgDisplay;
  TKyDisplaySets* container_;
  std::string name_;
  std::string description_;
  TKyMemoryLabel label_;
  TKyPkgDisplaySet* next_ = nullptr;  // the bucket's chain
};

class TKyPkgDisplaySetFont : public TKyPkgDisplaySet {
public:
  TKyPkgDisplaySetFont(TKyDisplaySets& container, std::string name) : TKyPkgDisplaySet(container, std::move(name)) {}
  const TKyFontData& Font() const { return font_; }
  void SetFont(const TKyFontData& value);

private:
  friend class TKyPkgDisplay;
  TKyFontData font_;
};

class TKyPkgDisplaySetColor : public TKyPkgDisplaySet {
public:
  TKyPkgDisplaySetColor(TKyDisplaySets& container, std::string name) : TKyPkgDisplaySet(container, std::move(name)) {}
  TKyColor Color() const { return color_; }
  void SetColor(TKyColor value);

private:
  friend class TKyPkgDisplay;
  TKyColor color_ = kClBlack;
};

class TKyPkgDisplaySetBackGround : public TKyPkgDisplaySet {
public:
  TKyPkgDisplaySetBackGround(TKyDisplaySets& container, std::string name)
      : TKyPkgDisplaySet(container, std::move(name)) {}
  // The background painter's fill kind; 0 is a plain fill.
  uint8_t FillKind() const { return fillKind_; }
  void SetFillKind(uint8_t value);
  // The two colours of gradients and patterns.
  TKyColor Color1() const { return color1_; }
  void SetColor1(TKyColor value);
  TKyColor Color2() const { return color2_; }
  void SetColor2(TKyColor value);
  // The plain colour, which the set reports as its colour.
  TKyColor Color() const { return color_; }
  void SetColor(TKyColor value);
  TKyMemoryImage& Image() { return image_; }
  const TKyMemoryImage& Image() const { return image_; }
  void SetImage(const std::string& pkgName, int32_t id);
  // Stored with the set for the image painter.
  bool Flag() const { return flag_; }
  void SetFlag(bool value);

private:
  friend class TKyPkgDisplay;
  uint8_t fillKind_ = 0;
  TKyColor color1_ = kClBlack;
  TKyColor color2_ = kClBlack;
  TKyColor color_ = kClBtnFace;
  TKyMemoryImage image_;
  bool flag_ = false;
};

// ---- A table of sets ---------------------------------------------------------------------

class TKyDisplaySets {
public:
  static constexpr int kBuckets = 53;

  TKyDisplaySets(TKyPkgDisplay& package, TKySetKind kind) : package_(&package), kind_(kind) {}
  TKyDisplaySets(const TKyDisplaySets&) = delete;
  TKyDisplaySets& operator=(const TKyDisplaySets&) = delete;

  TKyPkgDisplay& Package() const { return *package_; }
  TKySetKind Kind() const { return kind_; }
  int Count() const { return static_cast<int>(items_.size()); }
  TKyPkgDisplaySet* Items(int index) const { return items_.at(static_cast<size_t>(index)).get(); }

  // None for a blank name; otherwise through the hash, ignoring case; of two
  // sets with one name the later in the list.
  TKyPkgDisplaySet* FindSet(const std::string& name);
  // Appends a set; outside loading a name already held is refused with
  // "System" message 15 (fonts), 16 (backgrounds) or 17 (colours).
  TKyPkgDisplaySet* AddSet(const std::string& name);
  void DeleteSet(TKyPkgDisplaySet* set);
  bool HashValid() const { return hashValid_; }

  // The ELF hash of the upper-cased name, and its bucket.
  static uint32_t HashName(const std::string& name);
  static int Bucket(const std::string& name) { return static_cast<int>(HashName(name) % kBuckets); }

private:
  friend class TKyPkgDisplay;
  friend class TKyPkgDisplaySet;
  std::unique_ptr<TKyPkgDisplaySet> MakeSet(const std::string& name);
  void Append(std::unique_ptr<TKyPkgDisplaySet> set);
  void RebuildHash();
  void Clear();

  TKyPkgDisplay* package_;
  TKySetKind kind_;
  std::vector<std::unique_ptr<TKyPkgDisplaySet>> items_;
  std::array<TKyPkgDisplaySet*, kBuckets> buckets_{};
  bool hashValid_ = false;
};

// ---- The package -----------------------------------------------------------------------------

class TKyPkgDisplay : public TKyPkgInfo, public IKyPkgContainer {
  KY_CLASS(TKyPkgDisplay, TKyPkgInfo)
public:
  static constexpr TKyPkgKind kKind{"KyPkgDisplay", 3, 3, "dis", 18, 19};

  explicit TKyPkgDisplay(TComponent* owner);
  ~TKyPkgDisplay() override;
  const TKyPkgKind& Kind() const override { return kKind; }

  TKyDisplaySets& FontSets() { return fonts_; }
  TKyDisplaySets& ColorSets() { return colors_; }
  TKyDisplaySets& BackGroundSets() { return backgrounds_; }
  TKyDisplaySets& Sets(TKySetKind kind);
  TKyPkgDisplaySetFont* FindFont(const std::string& name);
  TKyPkgDisplaySetColor* FindColor(const std::string& name);
  TKyPkgDisplaySetBackGround* FindBackGround(const std::string& name);
  TKyPkgDisplaySetFont* AddFont(const std::string& name);
  TKyPkgDisplaySetColor* AddColor(const std::string& name);
  TKyPkgDisplaySetBackGround* AddBackGround(const std::string& name);

  // The "System" and "User" images packages.
  TKyPkgImages& SystemImages() { return *systemImages_; }
  TKyPkgImages& UserImages() { return *userImages_; }

  // The custom colours of the colour dialog: "ColorA=66CCFF" ...
  // "ColorP=FFFFFFFF", lines joined by CR LF, kept as the text read.
  const std::string& CustomColors() const { return customColors_; }
  void SetCustomColors(const std::string& text);
  std::vector<std::string> CustomColorLines() const;

  // The resolution of the font heights held: the design resolution read,
  // or the screen's when the heights were scaled to it. Written with them.
  int32_t PixelsPerInch() const { return pixelsPerInch_; }
  void SetPixelsPerInch(int32_t value);

  bool IsLoadingPackages() const override;

  void Clear() override;
  void ReadPackage(TKyReader& reader) override;
  void WritePackage(TKyWriter& writer) override;

  // Drops every set object and image reference cache that points into
  // this package (and its images packages).
  void InvalidateReferences();
  // Objects that found nothing try again, then every invalid one resolves
  // and tells its owner; fonts, colours, backgrounds and images.
  void NotifyReferences();
  // The same after a reload by the owner, which held our passes back.
  void NotifyReloaded();

private:
  friend class TKyDisplaySets;
  friend class TKyPkgDisplaySet;
  // Lock, batch unless loading, the change, the given passes, Change.
  void Edit(TKySetKind kind, const std::function<void()>& change);
  void ClearContent();
  bool BelongsToFirstApplication() const;

  TKyDisplaySets fonts_;
  TKyDisplaySets backgrounds_;
  TKyDisplaySets colors_;
  TKyPkgImages* systemImages_;
  TKyPkgImages* userImages_;
  std::string customColors_;
  int32_t pixelsPerInch_;
  int readingNested_ = 0;
};
