// Images packages as readable sources:
//
//   [Package]  Class=Images, Name (where it is embedded), Description,
//              Preserved=eleven integers, Flags=two Booleans
//   [Images]   one group per picture, opened by its Id:
//                Id=17
//                Class=TJPEGImage      (else from the picture's extension)
//                Picture=System/17.jpg (a file beside the source)
//                Width=542, Height=343 (else read from the picture)
//                Region1=System/17.rgn, Region2=... (region data files)
//                Options=False,True,True   Settings=1,1,1,1,1,1,1,1
//                (both only when they differ from these defaults)
//
// Entries keep their order and duplicate ids.
#include "ImagesSource.h"

#include <algorithm>
#include <set>

#include "platform/base/FileNames.h"
#include "platform/os/FileOps.h"
#include "platform/base/Stream.h"
#include "platform/base/SysUtils.h"

namespace {

// Keeps the packages it owns loading: the tool reads and writes them as they
// are, without notification passes or the duplicate checks of editing.
class TSourceHolder : public TComponent, public IKyPkgContainer {
public:
  TSourceHolder() : TComponent(nullptr) {}
  bool IsLoadingPackages() const override { return true; }
};

TKyBytes LoadBytes(const TPkgSource& src, const TSourceEntry& e) {
  std::string rel = src.Text(e);
  if (rel.empty()) return {};
  std::string file = src.FileBeside(rel);
  try {
    TMemoryStream m;
    m.LoadFromFile(file);
    return m.Data();
  } catch (const Exception& ex) {
    src.Fail(e.Line, ex.what());
  }
}

void SaveBytes(const std::string& file, const TKyBytes& bytes) {
  ForceDirectories(ExtractFileDir(file));
  TMemoryStream m;
  m.Data() = bytes;
  m.SaveToFile(file);
}

std::vector<std::string> Items(const TPkgSource& src, const TSourceEntry& e, size_t count) {
  std::vector<std::string> items = SplitCommaText(src.Text(e));
  if (items.size() != count) src.Fail(e.Line, e.Key + " takes " + std::to_string(count) + " values");
  return items;
}

uint16_t Dimension(const TPkgSource& src, const TSourceEntry& e) {
  int32_t v = src.Integer(e, src.Text(e));
  if (v < 0 || v > 65535) src.Fail(e.Line, e.Key + " must be 0 to 65535");
  return static_cast<uint16_t>(v);
}

int32_t Le32(const TKyBytes& b, size_t at) {
  return static_cast<int32_t>(b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<uint32_t>(b[at + 3]) << 24));
}

// The size a picture file declares, for sources that leave it out.
bool PictureSize(const TKyBytes& b, int32_t& width, int32_t& height) {
  if (b.size() >= 26 && b[0] == 'B' && b[1] == 'M') {
    width = Le32(b, 18);
    height = std::abs(Le32(b, 22));
    return true;
  }
  if (b.size() >= 8 && b[0] == 0 && b[1] == 0 && b[2] == 1 && b[3] == 0) {  // icon directory
    width = b[6] ? b[6] : 256;
    height = b[7] ? b[7] : 256;
    return true;
  }
  if (b.size() >= 4 && b[0] == 0xFF && b[1] == 0xD8) {  // JPEG: the first frame header
    for (size_t i = 2; i + 9 < b.size();) {
      if (b[i] != 0xFF) return false;
      uint8_t marker = b[i + 1];
      size_t len = static_cast<size_t>((b[i + 2] << 8) | b[i + 3]);
      if (marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC) {
        height = (b[i + 5] << 8) | b[i + 6];
        width = (b[i + 7] << 8) | b[i + 8];
        return true;
      }
      i += 2 + len;
    }
  }
  return false;
}

// The extension a decompiled picture is saved with.
std::string PictureExtension(const TKyPkgImagesImage& image) {
  const std::string& cls = image.GraphicClassName();
  if (cls == "TBitmap") return "bmp";
  if (cls == "TJPEGImage") return "jpg";
  if (cls == "TIcon") return "ico";
  if (cls == "TMetafile") {
    const TKyBytes& d = image.Data();
    return (d.size() >= 44 && d[40] == ' ' && d[41] == 'E' && d[42] == 'M' && d[43] == 'F') ? "emf" : "wmf";
  }
  return "bin";
}

struct TImageGroup {
  TKyPkgImagesImage* image = nullptr;
  int line = 0;
  bool hasClass = false, hasWidth = false, hasHeight = false;
  std::string pictureExt;
};

void FinishGroup(const TPkgSource& src, TImageGroup& g) {
  if (!g.image) return;
  TKyPkgImagesImage& im = *g.image;
  std::string cls = im.GraphicClassName();
  if (!g.hasClass && !im.Data().empty()) {
    const TKyGraphicFormat* f = FindGraphicExtension(g.pictureExt);
    if (!f) src.Fail(g.line, "give the Class of a picture with the extension '" + g.pictureExt + "'");
    cls = f->ClassName;
  }
  int32_t w = im.Width(), h = im.Height();
  if ((!g.hasWidth || !g.hasHeight) && !im.Data().empty()) {
    int32_t pw = 0, ph = 0;
    if (!PictureSize(im.Data(), pw, ph)) src.Fail(g.line, "give the Width and Height of this picture");
    if (!g.hasWidth) w = pw;
    if (!g.hasHeight) h = ph;
  }
  im.SetPicture(cls, im.Data(), static_cast<uint16_t>(w), static_cast<uint16_t>(h));
  g = TImageGroup{};
}

}  // namespace

TComponent* SourcePackageHolder() {
  static TSourceHolder* holder = new TSourceHolder;
  return holder;
}

std::string SourceBaseName(const std::string& fileName) {
  std::string name = ExtractFileName(NativePath(fileName));
  std::string ext = ExtractFileExt(name);
  return name.substr(0, name.size() - ext.size());
}

void CompileImagesPackageKeys(const TPkgSource& src, const TSourceEntry& e, TKyPkgImages& pkg) {
  if (SameText(e.Key, "Description")) {
    pkg.SetDescription(src.Text(e));
  } else if (SameText(e.Key, "Preserved")) {
    std::vector<std::string> items = Items(src, e, TKyPkgImages::kPreservedCount);
    for (int i = 0; i < TKyPkgImages::kPreservedCount; ++i)
      pkg.SetPreserved(i, src.Integer(e, items[static_cast<size_t>(i)]));
  } else if (SameText(e.Key, "Flags")) {
    std::vector<std::string> items = Items(src, e, 2);
    for (int i = 0; i < 2; ++i) pkg.SetPreservedFlag(i, src.Boolean(e, items[static_cast<size_t>(i)]));
  }
}

void DecompileImagesPackageKeys(TKyPkgImages& pkg, TSourceWriter& out) {
  out.Value("Description", pkg.Description());
  std::vector<std::string> preserved;
  for (int i = 0; i < TKyPkgImages::kPreservedCount; ++i) preserved.push_back(std::to_string(pkg.Preserved(i)));
  out.Raw("Preserved", JoinCommaText(preserved));
  out.Raw("Flags", std::string(pkg.PreservedFlag(0) ? "True" : "False") + "," + (pkg.PreservedFlag(1) ? "True" : "False"));
}

void CompileImageEntries(const TPkgSource& src, const TSourceSection& section, TKyPkgImages& pkg, bool packageKeys) {
  TImageGroup g;
  for (const TSourceEntry& e : section.Entries) {
    if (SameText(e.Key, "Id")) {
      FinishGroup(src, g);
      g.image = pkg.AddImage(src.Integer(e, src.Text(e)));
      g.line = e.Line;
      continue;
    }
    if (!g.image) {
      if (packageKeys && (SameText(e.Key, "Description") || SameText(e.Key, "Preserved") || SameText(e.Key, "Flags"))) {
        CompileImagesPackageKeys(src, e, pkg);
        continue;
      }
      src.Fail(e.Line, "'" + e.Key + "' before the first Id of [" + section.Name + "]");
    }
    TKyPkgImagesImage& im = *g.image;
    if (SameText(e.Key, "Class")) {
      im.SetPicture(src.Text(e), im.Data(), im.Width(), im.Height());
      g.hasClass = true;
    } else if (SameText(e.Key, "Picture")) {
      im.SetPicture(im.GraphicClassName(), LoadBytes(src, e), im.Width(), im.Height());
      g.pictureExt = ExtractFileExt(src.Text(e));
    } else if (SameText(e.Key, "Width")) {
      im.SetPicture(im.GraphicClassName(), im.Data(), Dimension(src, e), im.Height());
      g.hasWidth = true;
    } else if (SameText(e.Key, "Height")) {
      im.SetPicture(im.GraphicClassName(), im.Data(), im.Width(), Dimension(src, e));
      g.hasHeight = true;
    } else if (SameText(e.Key, "Region1")) {
      im.SetRegion1(LoadBytes(src, e));
    } else if (SameText(e.Key, "Region2")) {
      im.SetRegion2(LoadBytes(src, e));
    } else if (SameText(e.Key, "Options")) {
      std::vector<std::string> items = Items(src, e, TKyPkgImagesImage::kOptionCount);
      for (int i = 0; i < TKyPkgImagesImage::kOptionCount; ++i)
        im.SetOption(i, src.Boolean(e, items[static_cast<size_t>(i)]));
    } else if (SameText(e.Key, "Settings")) {
      std::vector<std::string> items = Items(src, e, TKyPkgImagesImage::kSettingCount);
      for (int i = 0; i < TKyPkgImagesImage::kSettingCount; ++i)
        im.SetSetting(i, src.Integer(e, items[static_cast<size_t>(i)]));
    } else {
      src.Fail(e.Line, "unknown key '" + e.Key + "' of an image");
    }
  }
  FinishGroup(src, g);
}

void DecompileImageEntries(TKyPkgImages& pkg, TSourceWriter& out, const std::string& section,
                           const std::string& folder, bool packageKeys) {
  out.Section(section);
  if (packageKeys) DecompileImagesPackageKeys(pkg, out);
  std::set<std::string> used;
  auto fileFor = [&](const std::string& stem, const std::string& ext) {
    std::string rel = folder + "/" + stem + "." + ext;
    // Two entries may share an id: the later one gets a suffix.
    for (int n = 2; !used.insert(LowerCase(rel)).second; ++n) rel = folder + "/" + stem + "-" + std::to_string(n) + "." + ext;
    return rel;
  };
  for (int i = 0; i < pkg.Count(); ++i) {
    TKyPkgImagesImage& im = *pkg.Images(i);
    if (packageKeys || i > 0) out.BlankLine();
    std::string stem = std::to_string(im.Id());
    out.Raw("Id", stem);
    out.Value("Class", im.GraphicClassName());
    if (!im.Data().empty()) {
      std::string rel = fileFor(stem, PictureExtension(im));
      SaveBytes(out.FileBeside(rel), im.Data());
      out.Value("Picture", rel);
    }
    out.Raw("Width", std::to_string(im.Width()));
    out.Raw("Height", std::to_string(im.Height()));
    if (!im.Region1().empty()) {
      std::string rel = fileFor(stem, "rgn");
      SaveBytes(out.FileBeside(rel), im.Region1());
      out.Value("Region1", rel);
    }
    if (!im.Region2().empty()) {
      std::string rel = fileFor(stem, "rgn2");
      SaveBytes(out.FileBeside(rel), im.Region2());
      out.Value("Region2", rel);
    }
    bool optionsDefault = !im.Option(0) && im.Option(1) && im.Option(2);
    if (!optionsDefault) {
      std::string text;
      for (int k = 0; k < TKyPkgImagesImage::kOptionCount; ++k) text += std::string(k ? "," : "") + (im.Option(k) ? "True" : "False");
      out.Raw("Options", text);
    }
    bool settingsDefault = true;
    std::vector<std::string> settings;
    for (int k = 0; k < TKyPkgImagesImage::kSettingCount; ++k) {
      settings.push_back(std::to_string(im.Setting(k)));
      if (im.Setting(k) != 1) settingsDefault = false;
    }
    if (!settingsDefault) out.Raw("Settings", JoinCommaText(settings));
  }
}

namespace {

std::unique_ptr<TKyPkgInfo> CreateImages() { return std::make_unique<TKyPkgImages>(SourcePackageHolder()); }

void CompileImages(const TPkgSource& src, TKyPkgInfo& pkg) {
  auto& p = static_cast<TKyPkgImages&>(pkg);
  src.CheckLayout({"Images"}, {"Description", "Preserved", "Flags"});
  if (const TSourceSection* s = src.Section("Package"))
    for (const auto& e : s->Entries) CompileImagesPackageKeys(src, e, p);
  if (const TSourceSection* s = src.Section("Images")) CompileImageEntries(src, *s, p, false);
}

void DecompileImages(TKyPkgInfo& pkg, TSourceWriter& out) {
  auto& p = static_cast<TKyPkgImages&>(pkg);
  out.Section("Package");
  out.Raw("Class", "Images");
  DecompileImagesPackageKeys(p, out);
  DecompileImageEntries(p, out, "Images", SourceBaseName(out.FileName()), false);
}

}  // namespace

extern const TPkgSourceKind kImagesSource;
const TPkgSourceKind kImagesSource{"Images", "KyPkgImages", &CreateImages, &CompileImages, &DecompileImages};
