// What the skin tests share: pixel sets of memory bitmaps, and a stand-in
// application configuration whose display package holds the background
// sets and pictures a test adds.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "graphics/GraphicsTestUtil.h"
#include "packages/DisplaySets.h"
#include "packages/PkgDisplay.h"
#include "packages/PkgImages.h"
#include "platform/base/Stream.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Region.h"

namespace ky_test {

// Which pixels of a bitmap (or of a region) are "on", row by row.
struct TPixelSet {
  int Width = 0;
  int Height = 0;
  std::vector<uint8_t> On;
  bool At(int x, int y) const { return On[static_cast<size_t>(y * Width + x)] != 0; }
  int Count() const {
    int n = 0;
    for (uint8_t v : On) n += v;
    return n;
  }
};

inline TPixelSet PixelsNot(TBitmap& b, TKyColor background) {
  TPixelSet s{b.Width(), b.Height(), {}};
  s.On.resize(static_cast<size_t>(s.Width * s.Height));
  for (int y = 0; y < s.Height; ++y)
    for (int x = 0; x < s.Width; ++x) s.On[static_cast<size_t>(y * s.Width + x)] = PixelOf(b, x, y) != background;
  return s;
}

inline TPixelSet PixelsOf(const TRegion& r, int w, int h) {
  TPixelSet s{w, h, {}};
  s.On.resize(static_cast<size_t>(w * h));
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) s.On[static_cast<size_t>(y * w + x)] = r.Contains({x, y});
  return s;
}

inline TPixelSet Union(const TPixelSet& a, const TPixelSet& b) {
  TPixelSet s = a;
  for (size_t i = 0; i < s.On.size(); ++i) s.On[i] = a.On[i] | b.On[i];
  return s;
}

// The pixels where a and b differ, as "x,y" (at most a few), for messages.
inline std::string Differences(const TPixelSet& a, const TPixelSet& b) {
  std::string out;
  int shown = 0, total = 0;
  for (int y = 0; y < a.Height; ++y)
    for (int x = 0; x < a.Width; ++x)
      if (a.At(x, y) != b.At(x, y)) {
        ++total;
        if (shown++ < 8) out += " " + std::to_string(x) + "," + std::to_string(y) + (a.At(x, y) ? "+" : "-");
      }
  return total ? std::to_string(total) + " differ:" + out : std::string();
}

// The pixels where a and b differ away from b's edge (a pixel is on the
// edge when its 3 x 3 neighbourhood holds pixels in and out of b).
inline std::string DifferencesOffTheEdge(const TPixelSet& a, const TPixelSet& b) {
  std::string out;
  int total = 0;
  for (int y = 0; y < a.Height; ++y)
    for (int x = 0; x < a.Width; ++x) {
      if (a.At(x, y) == b.At(x, y)) continue;
      bool in = false, out_ = false;
      for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx) {
          int nx = x + dx, ny = y + dy;
          bool on = nx >= 0 && ny >= 0 && nx < b.Width && ny < b.Height && b.At(nx, ny);
          (on ? in : out_) = true;
        }
      if (in && out_) continue;
      if (total++ < 8) out += " " + std::to_string(x) + "," + std::to_string(y) + (a.At(x, y) ? "+" : "-");
    }
  return total ? std::to_string(total) + " differ inside:" + out : std::string();
}

// A picture as the bytes of a BMP file.
inline std::vector<uint8_t> BmpBytes(TBitmap& b) {
  TMemoryStream stream;
  b.SaveToStream(stream);
  return stream.Data();
}

// The first application configuration as the skin sees it: a display
// package with its "System" and "User" images packages.
class TSkinApp : public IKyPkgApplication, public IKyDisplayApplication {
public:
  TSkinApp() : holder(nullptr) {
    display = new TKyPkgDisplay(&holder);
    RegisterPkgApplication(this);
  }
  ~TSkinApp() override { UnregisterPkgApplication(this); }
  TSkinApp(const TSkinApp&) = delete;
  TSkinApp& operator=(const TSkinApp&) = delete;

  std::string PackagePath() const override { return ""; }
  TKyPkgInfo* ReservedPackage(const TClassInfo& kind, bool isUser) const override {
    if (&kind == &TKyPkgImages::StaticClass()) return isUser ? &display->UserImages() : &display->SystemImages();
    return nullptr;
  }
  TKyPkgDisplay* PkgDisplay() const override { return display; }
  bool Scaled() const override { return false; }
  int32_t ScaleHeight(int32_t h) const override { return h; }
  int32_t ScaleFontHeight(int32_t h, int32_t) const override { return h; }

  // A background set of that name.
  TKyPkgDisplaySetBackGround* BackGround(const std::string& name, uint8_t kind, TKyColor color1, TKyColor color2,
                                         TKyColor plain, int32_t imageId = -1, bool flag = false) {
    TKyPkgDisplaySetBackGround* s = display->AddBackGround(name);
    s->SetFillKind(kind);
    s->SetColor1(color1);
    s->SetColor2(color2);
    s->SetColor(plain);
    if (imageId >= 0) s->SetImage("User", imageId);
    s->SetFlag(flag);
    return s;
  }
  // A "User" picture made from a bitmap.
  void Picture(int32_t id, TBitmap& b) {
    TKyPkgImagesImage* e = display->UserImages().AddImage(id);
    e->SetPicture("TBitmap", BmpBytes(b), static_cast<uint16_t>(b.Width()), static_cast<uint16_t>(b.Height()));
  }

  TComponent holder;
  TKyPkgDisplay* display;
};

// A file beside the test program (pictures made for looking at).
inline std::string BesideProgram(const std::string& name) {
  char path[MAX_PATH];
  DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string dir(path, n);
  return dir.substr(0, dir.find_last_of("\\/") + 1) + name;
}

}  // namespace ky_test
