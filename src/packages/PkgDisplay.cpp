#include "packages/PkgDisplay.h"


#include "packages/MessageService.h"
#include "platform/base/Exception.h"
#include "platform/base/SysUtils.h"
#ifdef _WIN32
#include "platform/graphics/ScreenInfo.h"
#endif

TKyPkgDisplay* ActiveDisplayPackage() {
  if (auto* app = dynamic_cast<IKyDisplayApplication*>(FirstPkgApplication())) return app->PkgDisplay();
  return nullptr;
}

int32_t ScreenPixelsPerInch() {
#ifdef _WIN32
  return ScreenLogPixelsY();
#else
  return 96;
#endif
}

int32_t ScaleFontHeightFor(int32_t height, int32_t screenPixelsPerInch, int32_t designPixelsPerInch) {
  if (screenPixelsPerInch <= 0 || designPixelsPerInch <= 0) return height;
  return KyMulDiv(height, screenPixelsPerInch, designPixelsPerInch);
}

// ---- Set entries ----

TKyPkgDisplaySet::~TKyPkgDisplaySet() { TKySetObject::InvalidateSet(this); }

TKyPkgDisplay& TKyPkgDisplaySet::Package() const { return container_->Package(); }

TKySetKind TKyPkgDisplaySet::Kind() const { return container_->Kind(); }

void TKyPkgDisplaySet::Edit(const std::function<void()>& change) {
  Package().Edit(Kind(), [&] {
    TKySetObject::InvalidateSet(this);
    change();
  });
}

namespace {

int DuplicateMessage(TKySetKind kind) {
  switch (kind) {
    case sekFont:
      return 15;
    case sekBackGround:
      return 16;
    case sekColor:
      return 17;
  }
  return 15;
}

}  // namespace

void TKyPkgDisplaySet::SetName(const std::string& value) {
  if (value == name_) return;
  TKyPkgDisplay& pkg = Package();
  if (!SameText(value, name_) && !pkg.IsLoading()) {
    TKyPkgDisplaySet* other = container_->FindSet(value);
    if (other && other != this) RaiseMessageFmt(pkg.ErrorTitle(), kSystemPkg, DuplicateMessage(Kind()), {value});
  }
  Edit([&] {
    name_ = value;
    container_->hashValid_ = false;
    // Objects that fell back because nothing carried this name may find it
    // now; only the active package's names matter to them.
    if (!pkg.IsLoading() && ActiveDisplayPackage() == &pkg) TKySetObject::InvalidateAll(Kind());
  });
}

void TKyPkgDisplaySet::SetDescription(const std::string& value) {
  if (value != description_) Edit([&] { description_ = value; });
}

void TKyPkgDisplaySet::SetDescriptionLabel(const std::string& pkgName, int32_t id) {
  if (pkgName == label_.PkgName() && id == label_.Id()) return;
  Edit([&] { label_.SetReference(pkgName, id); });
}

void TKyPkgDisplaySetFont::SetFont(const TKyFontData& value) {
  if (!(value == font_)) Edit([&] { font_ = value; });
}

void TKyPkgDisplaySetColor::SetColor(TKyColor value) {
  if (value != color_) Edit([&] { color_ = value; });
}

void TKyPkgDisplaySetBackGround::SetFillKind(uint8_t value) {
  if (value != fillKind_) Edit([&] { fillKind_ = value; });
}

void TKyPkgDisplaySetBackGround::SetColor1(TKyColor value) {
  if (value != color1_) Edit([&] { color1_ = value; });
}

void TKyPkgDisplaySetBackGround::SetColor2(TKyColor value) {
  if (value != color2_) Edit([&] { color2_ = value; });
}

void TKyPkgDisplaySetBackGround::SetColor(TKyColor value) {
  if (value != color_) Edit([&] { color_ = value; });
}

void TKyPkgDisplaySetBackGround::SetImage(const std::string& pkgName, int32_t id) {
  if (pkgName == image_.PkgName() && id == image_.Id()) return;
  Edit([&] { image_.SetReference(pkgName, id); });
}

void TKyPkgDisplaySetBackGround::SetFlag(bool value) {
  if (value != flag_) Edit([&] { flag_ = value; });
}

// ---- A table of sets ----

uint32_t TKyDisplaySets::HashName(const std::string& name) {
  uint32_t h = 0;
  for (unsigned char c : name) {
    if (c >= 'a' && c <= 'z') c = static_cast<unsigned char>(c - 'a' + 'A');
    h = (h << 4) + c;
    uint32_t g = h & 0xF0000000u;
    if (g != 0) h ^= g >> 24;
    h &= ~g;
  }
  return h;
}

void TKyDisplaySets::RebuildHash() {
  buckets_.fill(nullptr);
  // Each set becomes the head of its chain: of two sets with one name the
  // later one is found.
  for (const auto& s : items_) {
    TKyPkgDisplaySet*& head = buckets_[static_cast<size_t>(Bucket(s->name_))];
    s->next_ = head;
    head = s.get();
  }
  hashValid_ = true;
}

TKyPkgDisplaySet* TKyDisplaySets::FindSet(const std::string& name) {
  if (Trim(name).empty()) return nullptr;
  if (!hashValid_) RebuildHash();
  for (TKyPkgDisplaySet* s = buckets_[static_cast<size_t>(Bucket(name))]; s; s = s->next_)
    if (SameText(s->name_, name)) return s;
  return nullptr;
}

std::unique_ptr<TKyPkgDisplaySet> TKyDisplaySets::MakeSet(const std::string& name) {
  switch (kind_) {
    case sekFont:
      return std::make_unique<TKyPkgDisplaySetFont>(*this, name);
    case sekColor:
      return std::make_unique<TKyPkgDisplaySetColor>(*this, name);
    case sekBackGround:
      return std::make_unique<TKyPkgDisplaySetBackGround>(*this, name);
  }
  return nullptr;
}

void TKyDisplaySets::Append(std::unique_ptr<TKyPkgDisplaySet> set) {
  items_.push_back(std::move(set));
  hashValid_ = false;
}

TKyPkgDisplaySet* TKyDisplaySets::AddSet(const std::string& name) {
  bool loading = package_->IsLoading();
  if (!loading && FindSet(name))
    RaiseMessageFmt(package_->ErrorTitle(), kSystemPkg, DuplicateMessage(kind_), {name});
  TKyPkgDisplaySet* added = nullptr;
  package_->Edit(kind_, [&] {
    Append(MakeSet(name));
    added = items_.back().get();
    if (!loading && ActiveDisplayPackage() == package_) TKySetObject::InvalidateAll(kind_);
  });
  return added;
}

void TKyDisplaySets::DeleteSet(TKyPkgDisplaySet* set) {
  if (!set || set->container_ != this) return;
  package_->Edit(kind_, [&] {
    TKySetObject::InvalidateSet(set);
    std::erase_if(items_, [set](const auto& s) { return s.get() == set; });
    hashValid_ = false;
  });
}

void TKyDisplaySets::Clear() {
  buckets_.fill(nullptr);
  items_.clear();
  hashValid_ = false;
}

// ---- The package ----

TKyPkgDisplay::TKyPkgDisplay(TComponent* owner)
    : TKyPkgInfo(owner),
      fonts_(*this, sekFont),
      backgrounds_(*this, sekBackGround),
      colors_(*this, sekColor),
      systemImages_(new TKyPkgImages(this)),
      userImages_(new TKyPkgImages(this)),
      pixelsPerInch_(ScreenPixelsPerInch()) {
  systemImages_->StorePkgName(kSystemPkg);
  userImages_->StorePkgName(kUserPkg);
}

TKyPkgDisplay::~TKyPkgDisplay() {
  TKyConfigLock lock;
  TKyChangeBatch batch;
  InvalidateReferences();
  ClearContent();
  bool ownerGoing = Owner() && Owner()->IsDestroying();
  // Freed here, while this is still a container they can ask.
  Destroying();
  delete userImages_;
  delete systemImages_;
  if (!ApplicationDestroying() && !ownerGoing) {
    for (TKySetKind k : {sekFont, sekColor, sekBackGround}) {
      TKySetObject::InvalidateEmpty(k);
      TKySetObject::NotifyPass(k);
    }
    TKyMemoryImage::InvalidateEmpty();
    TKyMemoryImage::NotifyPass();
  }
}

TKyDisplaySets& TKyPkgDisplay::Sets(TKySetKind kind) {
  switch (kind) {
    case sekFont:
      return fonts_;
    case sekColor:
      return colors_;
    case sekBackGround:
      return backgrounds_;
  }
  return fonts_;
}

TKyPkgDisplaySetFont* TKyPkgDisplay::FindFont(const std::string& name) {
  return static_cast<TKyPkgDisplaySetFont*>(fonts_.FindSet(name));
}

TKyPkgDisplaySetColor* TKyPkgDisplay::FindColor(const std::string& name) {
  return static_cast<TKyPkgDisplaySetColor*>(colors_.FindSet(name));
}

TKyPkgDisplaySetBackGround* TKyPkgDisplay::FindBackGround(const std::string& name) {
  return static_cast<TKyPkgDisplaySetBackGround*>(backgrounds_.FindSet(name));
}

TKyPkgDisplaySetFont* TKyPkgDisplay::AddFont(const std::string& name) {
  return static_cast<TKyPkgDisplaySetFont*>(fonts_.AddSet(name));
}

TKyPkgDisplaySetColor* TKyPkgDisplay::AddColor(const std::string& name) {
  return static_cast<TKyPkgDisplaySetColor*>(colors_.AddSet(name));
}

TKyPkgDisplaySetBackGround* TKyPkgDisplay::AddBackGround(const std::string& name) {
  return static_cast<TKyPkgDisplaySetBackGround*>(backgrounds_.AddSet(name));
}

void TKyPkgDisplay::SetCustomColors(const std::string& text) {
  if (text == customColors_) return;
  TKyConfigLock lock;
  customColors_ = text;
  Change();
}

std::vector<std::string> TKyPkgDisplay::CustomColorLines() const {
  TStringList list;
  list.SetText(customColors_);
  return list.ToVector();
}

void TKyPkgDisplay::SetPixelsPerInch(int32_t value) {
  if (value == pixelsPerInch_) return;
  pixelsPerInch_ = value;
  Change();
}

bool TKyPkgDisplay::IsLoadingPackages() const { return IsLoading() || readingNested_ > 0; }

void TKyPkgDisplay::Edit(TKySetKind kind, const std::function<void()>& change) {
  TKyPkgChangeScope scope(*this);
  bool loading = scope.Loading();
  change();
  if (!loading) TKySetObject::NotifyPass(kind);
  Change();
}

void TKyPkgDisplay::InvalidateReferences() {
  for (TKySetKind k : {sekFont, sekColor, sekBackGround}) TKySetObject::InvalidatePackage(k, this);
  TKyMemoryImage::InvalidatePackage(systemImages_);
  TKyMemoryImage::InvalidatePackage(userImages_);
}

void TKyPkgDisplay::NotifyReferences() {
  if (IsLoading()) return;
  NotifyReloaded();
}

void TKyPkgDisplay::NotifyReloaded() {
  if (ApplicationDestroying()) return;
  TKyChangeBatch batch;
  for (TKySetKind k : {sekFont, sekColor, sekBackGround}) TKySetObject::InvalidateEmpty(k);
  TKyMemoryImage::InvalidateEmpty();
  for (TKySetKind k : {sekFont, sekColor, sekBackGround}) TKySetObject::NotifyPass(k);
  TKyMemoryImage::NotifyPass();
}

void TKyPkgDisplay::ClearContent() {
  fonts_.Clear();
  backgrounds_.Clear();
  colors_.Clear();
  systemImages_->ClearContent();
  userImages_->ClearContent();
  customColors_.clear();
}

void TKyPkgDisplay::Clear() {
  TKyPkgChangeScope scope(*this);
  InvalidateReferences();
  ClearContent();
  NotifyReferences();
  Change();
}

bool TKyPkgDisplay::BelongsToFirstApplication() const {
  auto* app = dynamic_cast<IKyDisplayApplication*>(FirstPkgApplication());
  return app && app->PkgDisplay() == this;
}

void TKyPkgDisplay::ReadPackage(TKyReader& reader) {
  TKyPkgChangeScope scope(*this);
  bool loading = scope.Loading();
  uint16_t version = ReadHeader(reader);
  std::string file = HeaderFileName();
  auto* app = dynamic_cast<IKyDisplayApplication*>(FirstPkgApplication());
  if (BelongsToFirstApplication() && !LibraryDefaultFontScaled()) {
    LibraryDefaultFont().Height = app->ScaleHeight(LibraryDefaultFont().Height);
    SetLibraryDefaultFontScaled(true);
  }
  InvalidateReferences();
  ClearContent();

  StoreDescription(reader.ReadString());
  customColors_ = reader.ReadString();
  {
    // The nested packages hold back their own passes: ours runs at the end.
    ++readingNested_;
    struct TEnd {
      int& n;
      ~TEnd() { --n; }
    } end{readingNested_};
    systemImages_->ReadPackage(reader);
    userImages_->ReadPackage(reader);
  }

  int32_t count = reader.ReadInteger();
  // A count below one holds nothing.
  if (count > 0) CheckPkgCount(reader, count, 10, file, "colour sets");
  for (int32_t i = 0; i < count; ++i) {
    auto set = std::make_unique<TKyPkgDisplaySetColor>(colors_, reader.ReadString());
    set->description_ = reader.ReadString();
    std::string labelPkg = reader.ReadString();
    set->label_.SetReference(labelPkg, reader.ReadInteger());
    set->color_ = reader.ReadInteger();
    colors_.Append(std::move(set));
  }

  int32_t screen = ScreenPixelsPerInch();
  int32_t design = version >= 3 ? reader.ReadInteger() : screen;
  // A damaged resolution must not turn every height into -1.
  if (design <= 0) design = screen;

  count = reader.ReadInteger();
  if (count > 0) CheckPkgCount(reader, count, version >= 2 ? 24 : 22, file, "font sets");
  for (int32_t i = 0; i < count; ++i) {
    auto set = std::make_unique<TKyPkgDisplaySetFont>(fonts_, reader.ReadString());
    set->description_ = reader.ReadString();
    std::string labelPkg = reader.ReadString();
    set->label_.SetReference(labelPkg, reader.ReadInteger());
    TKyFontData& f = set->font_;
    f.Name = reader.ReadString();
    f.Charset = reader.ReadInteger();
    f.Pitch = reader.ReadInteger();
    int32_t size = reader.ReadInteger();
    f.Bold = reader.ReadBoolean();
    f.Italic = reader.ReadBoolean();
    f.Underline = reader.ReadBoolean();
    f.StrikeOut = reader.ReadBoolean();
    f.Color = reader.ReadInteger();
    if (version >= 2) {
      int32_t height = reader.ReadInteger();
      f.Height = app ? app->ScaleFontHeight(height, design) : height;
    } else {
      f.SetSize(size, screen);
    }
    fonts_.Append(std::move(set));
  }

  count = reader.ReadInteger();
  if (count > 0) CheckPkgCount(reader, count, 21, file, "background sets");
  for (int32_t i = 0; i < count; ++i) {
    auto set = std::make_unique<TKyPkgDisplaySetBackGround>(backgrounds_, reader.ReadString());
    set->description_ = reader.ReadString();
    std::string labelPkg = reader.ReadString();
    set->label_.SetReference(labelPkg, reader.ReadInteger());
    set->fillKind_ = static_cast<uint8_t>(reader.ReadInteger());
    set->color1_ = reader.ReadInteger();
    set->color2_ = reader.ReadInteger();
    set->color_ = reader.ReadInteger();
    std::string imagePkg = reader.ReadString();
    set->image_.SetReference(imagePkg, reader.ReadInteger());
    set->flag_ = reader.ReadBoolean();
    backgrounds_.Append(std::move(set));
  }
  // The heights now belong to the screen when they were scaled to it, and
  // are written with that resolution.
  pixelsPerInch_ = (version >= 2 && app && app->Scaled()) ? screen : design;

  if (!loading) {
    for (TKySetKind k : {sekFont, sekColor, sekBackGround})
      for (const auto& s : Sets(k).items_)
        if (s->label_.IsLinked()) s->description_ = s->label_.Caption();
    NotifyReferences();
  }
  Change();
}

void TKyPkgDisplay::WritePackage(TKyWriter& writer) {
  WriteHeader(writer);
  writer.WriteString(Description());
  writer.WriteString(customColors_);
  systemImages_->WritePackage(writer);
  userImages_->WritePackage(writer);

  auto writeHead = [&writer](const TKyPkgDisplaySet& s) {
    writer.WriteString(s.name_);
    writer.WriteString(s.description_);
    writer.WriteString(s.label_.PkgName());
    writer.WriteInteger(s.label_.Id());
  };
  writer.WriteInteger(colors_.Count());
  for (const auto& p : colors_.items_) {
    auto& s = static_cast<const TKyPkgDisplaySetColor&>(*p);
    writeHead(s);
    writer.WriteInteger(s.color_);
  }
  writer.WriteInteger(pixelsPerInch_);
  writer.WriteInteger(fonts_.Count());
  for (const auto& p : fonts_.items_) {
    auto& s = static_cast<const TKyPkgDisplaySetFont&>(*p);
    writeHead(s);
    const TKyFontData& f = s.font_;
    writer.WriteString(f.Name);
    writer.WriteInteger(f.Charset);
    writer.WriteInteger(f.Pitch);
    writer.WriteInteger(f.Size(pixelsPerInch_));
    writer.WriteBoolean(f.Bold);
    writer.WriteBoolean(f.Italic);
    writer.WriteBoolean(f.Underline);
    writer.WriteBoolean(f.StrikeOut);
    writer.WriteInteger(f.Color);
    writer.WriteInteger(f.Height);
  }
  writer.WriteInteger(backgrounds_.Count());
  for (const auto& p : backgrounds_.items_) {
    auto& s = static_cast<const TKyPkgDisplaySetBackGround&>(*p);
    writeHead(s);
    writer.WriteInteger(s.fillKind_);
    writer.WriteInteger(s.color1_);
    writer.WriteInteger(s.color2_);
    writer.WriteInteger(s.color_);
    writer.WriteString(s.image_.PkgName());
    writer.WriteInteger(s.image_.Id());
    writer.WriteBoolean(s.flag_);
  }
}
