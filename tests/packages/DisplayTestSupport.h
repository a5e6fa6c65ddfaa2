// What the display and images tests share: a stand-in application
// configuration that owns a display package and the "System" (the library's
// own messages, from the build's System.pst) and "User" strings packages, a
// control-like object counting its notifications, and package bytes of any
// version written by hand.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "PkgTestSupport.h"
#include "packages/PkgDisplay.h"
#include "packages/PkgImages.h"
#include "support/RunTool.h"

namespace ky_test {

class TTstDisplayApp : public IKyPkgApplication, public IKyDisplayApplication {
public:
  TTstDisplayApp() : holder(nullptr) {
    display = new TKyPkgDisplay(&holder);
    system = new TKyPkgStrings(&holder);
    system->StorePkgName(kSystemPkg);
    user = new TKyPkgStrings(&holder);
    user->StorePkgName(kUserPkg);
    system->LoadFromFile(ToolFromEnv("KY_PACKAGES_DIR") + "\\System.pst");
    RegisterPkgApplication(this);
  }
  ~TTstDisplayApp() override { UnregisterPkgApplication(this); }

  std::string PackagePath() const override { return ""; }
  TKyPkgInfo* ReservedPackage(const TClassInfo& kind, bool isUser) const override {
    if (&kind == &TKyPkgStrings::StaticClass()) return isUser ? user : system;
    if (&kind == &TKyPkgImages::StaticClass())
      return isUser ? &display->UserImages() : &display->SystemImages();
    return nullptr;
  }
  TKyPkgDisplay* PkgDisplay() const override { return display; }
  bool Scaled() const override { return scaled; }
  int32_t ScaleHeight(int32_t h) const override { return scaled ? ScaleFontHeightFor(h, screen, design) : h; }
  int32_t ScaleFontHeight(int32_t h, int32_t d) const override { return scaled ? ScaleFontHeightFor(h, screen, d) : h; }

  TTstContainer holder;
  TKyPkgDisplay* display;
  TKyPkgStrings* system;
  TKyPkgStrings* user;
  bool scaled = false;
  int32_t screen = 96;
  int32_t design = 96;
};

// A control with one set object: it hears of changes through the object and
// repaints once per change batch through its own change link.
template <class S>
class TTstSkinned {
public:
  explicit TTstSkinned(const std::string& name) : set(nullptr, name) {
    set.OnChange = [this](TKySetObject*) {
      ++told;
      link.Change();
    };
    link.OnChanged = [this] { ++repaints; };
  }
  S set;
  TKyChangeLink link;
  int told = 0;
  int repaints = 0;
};

// ---- Hand-written package bytes ----

struct TTstImage {
  int32_t id;
  uint16_t width, height;
  std::string className;
  std::vector<uint8_t> data, region1, region2;
  std::vector<bool> options;       // written from version 3
  std::vector<int32_t> settings;   // written from version 5
};

// The body of an images package (header included) at any version.
inline void WriteImagesPackage(TKyWriter& w, uint16_t version, const std::string& description,
                               const std::vector<TTstImage>& images, const std::vector<int32_t>& preserved = {},
                               const std::vector<bool>& flags = {}, const std::string& classWord = "KyPkgImages") {
  WritePkgHeader(w, classWord, version);
  w.WriteString(description);
  w.WriteInteger(static_cast<int32_t>(images.size()));
  for (const TTstImage& i : images) {
    uint32_t id = static_cast<uint32_t>(i.id);
    uint8_t head[8] = {uint8_t(id), uint8_t(id >> 8), uint8_t(id >> 16), uint8_t(id >> 24),
                       uint8_t(i.width), uint8_t(i.width >> 8), uint8_t(i.height), uint8_t(i.height >> 8)};
    w.Write(head, 8);
    w.WriteString(i.className);
    if (version >= 2) w.WriteBoolean(true);  // read and ignored
    w.WriteInteger(static_cast<int32_t>(i.data.size()));
    if (!i.data.empty()) w.Write(i.data.data(), static_cast<int32_t>(i.data.size()));
    if (version >= 2) {
      w.WriteInteger(static_cast<int32_t>(i.region1.size()));
      if (!i.region1.empty()) w.Write(i.region1.data(), static_cast<int32_t>(i.region1.size()));
    }
    if (version >= 3)
      for (bool o : i.options) w.WriteBoolean(o);
    if (version >= 5)
      for (int32_t s : i.settings) w.WriteInteger(s);
    if (version >= 6) {
      w.WriteInteger(static_cast<int32_t>(i.region2.size()));
      if (!i.region2.empty()) w.Write(i.region2.data(), static_cast<int32_t>(i.region2.size()));
    }
  }
  for (int32_t v : preserved) w.WriteInteger(v);
  for (bool f : flags) w.WriteBoolean(f);
}

inline std::vector<uint8_t> ImagesBytes(uint16_t version, const std::string& description,
                                        const std::vector<TTstImage>& images, const std::vector<int32_t>& preserved = {},
                                        const std::vector<bool>& flags = {}, const std::string& classWord = "KyPkgImages") {
  TMemoryStream m;
  {
    TKyWriter w(m);
    WriteImagesPackage(w, version, description, images, preserved, flags, classWord);
  }
  return m.Data();
}

struct TTstFontSet {
  std::string name;
  std::string fontName;
  int32_t size;    // written always, used below version 2
  int32_t height;  // written from version 2
  bool bold;
};

// A display package at any version: two empty images packages of version
// 6, one colour set, the fonts, one background set.
inline std::vector<uint8_t> DisplayBytes(uint16_t version, const std::vector<TTstFontSet>& fonts,
                                         int32_t designPixelsPerInch = 96,
                                         const std::string& classWord = "KyPkgDisplay",
                                         const std::string& imagesClassWord = "KyPkgImages") {
  TMemoryStream m;
  {
    TKyWriter w(m);
    WritePkgHeader(w, classWord, version);
    w.WriteString("Display config 1 (Display)");
    w.WriteString("ColorA=66CCFF\r\nColorB=FFFFFFFF");
    WriteImagesPackage(w, 6, "sys", {}, std::vector<int32_t>(11, 0), {false, false}, imagesClassWord);
    WriteImagesPackage(w, 6, "usr", {}, std::vector<int32_t>(11, 0), {false, false});
    w.WriteInteger(1);
    for (const char* s : {"sc1", "text colour", ""}) w.WriteString(s);
    w.WriteInteger(-1);
    w.WriteInteger(0x00336699);
    if (version >= 3) w.WriteInteger(designPixelsPerInch);
    w.WriteInteger(static_cast<int32_t>(fonts.size()));
    for (const TTstFontSet& f : fonts) {
      for (const std::string& s : {f.name, std::string("d"), std::string()}) w.WriteString(s);
      w.WriteInteger(-1);
      w.WriteString(f.fontName);
      w.WriteInteger(0);  // charset
      w.WriteInteger(0);  // pitch
      w.WriteInteger(f.size);
      w.WriteBoolean(f.bold);
      for (int k = 0; k < 3; ++k) w.WriteBoolean(false);
      w.WriteInteger(0);  // colour
      if (version >= 2) w.WriteInteger(f.height);
    }
    w.WriteInteger(1);
    for (const char* s : {"sb1", "back", ""}) w.WriteString(s);
    w.WriteInteger(-1);
    for (int32_t v : {4, 0x0000FF, 0x00FF00, 0x123456}) w.WriteInteger(v);
    w.WriteString("User");
    w.WriteInteger(3);
    w.WriteBoolean(true);
  }
  return m.Data();
}

}  // namespace ky_test
