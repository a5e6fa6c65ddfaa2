// pictures: draws the installer's own pictures, so that none is copied from
// elsewhere. Each is drawn four times larger with plain GDI shapes and
// reduced by averaging, which smooths its edges.
//
//   pictures OUTDIR   writes OUTDIR/User/N.bmp, OUTDIR/System/N.bmp and
//                     OUTDIR/KySetup.ico
//   pictures --gallery OUTDIR
//                     writes the control gallery's pictures as form values
//                     (the class name's length and name, then the file):
//                     Landscape.pic, Product.pic (transparent), Icon.pic
//
// User 0, 1, 9, 10, 11: the flags of Spanish, English, French, Italian and
// German for the language choice; User 17: the About button's badge;
// User 20: the side picture shown when a product brings none; User 21, 22:
// the products list's marks of a product and of an update. System 2..5:
// the message icons (warning, error, information, question); System 9, 10:
// the OK and Cancel marks. Transparent pictures use a key colour that their
// bottom-left pixel carries.
#include <cmath>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "platform/base/Exception.h"
#include "platform/base/Stream.h"
#include "platform/graphics/Bitmap.h"
#include "platform/os/FileOps.h"

namespace {

constexpr int kScale = 4;
constexpr TKyColor kKey = 0x00FF00FF;  // the transparent colour

TKyColor Rgb(int r, int g, int b) { return static_cast<TKyColor>(r | (g << 8) | (b << 16)); }

// Scaled drawing: every coordinate is in picture pixels, multiplied here.
class TPainter {
public:
  explicit TPainter(TCanvas& canvas) : c_(canvas) {}
  static int S(double v) { return static_cast<int>(std::lround(v * kScale)); }
  TCanvas& Canvas() { return c_; }

  void Fill(TKyColor color, double x1, double y1, double x2, double y2) {
    c_.Brush()->SetColor(color);
    c_.Brush()->SetStyle(bsSolid);
    c_.FillRect(TRect(S(x1), S(y1), S(x2), S(y2)));
  }
  void NoPen() { c_.Pen()->SetStyle(psClear); }
  void Pen(TKyColor color, double width) {
    c_.Pen()->SetStyle(psSolid);
    c_.Pen()->SetColor(color);
    c_.Pen()->SetWidth(std::max(1, S(width)));
  }
  void Brush(TKyColor color) {
    c_.Brush()->SetStyle(bsSolid);
    c_.Brush()->SetColor(color);
  }
  void Ellipse(double x1, double y1, double x2, double y2) { c_.Ellipse(S(x1), S(y1), S(x2), S(y2)); }
  void Polygon(std::initializer_list<std::pair<double, double>> points) {
    std::vector<TPoint> p;
    for (auto [x, y] : points) p.push_back(TPoint(S(x), S(y)));
    c_.Polygon(p);
  }
  void Line(std::initializer_list<std::pair<double, double>> points) {
    std::vector<TPoint> p;
    for (auto [x, y] : points) p.push_back(TPoint(S(x), S(y)));
    c_.Polyline(p);
  }
  // A disc lit from above: ellipses shrinking from the whole disc toward a
  // spot near its top, from dark to light.
  void ShadedDisc(double x1, double y1, double x2, double y2, TKyColor light, TKyColor dark) {
    NoPen();
    const int steps = 24;
    double spotX = (x1 + x2) / 2, spotY = y1 + (y2 - y1) * 0.3;
    for (int i = 0; i < steps; ++i) {
      double t = static_cast<double>(i) / steps;
      Brush(Mix(dark, light, t));
      Ellipse(x1 + (spotX - x1) * t, y1 + (spotY - y1) * t, x2 + (spotX - x2) * t, y2 + (spotY - y2) * t);
    }
  }
  static TKyColor Mix(TKyColor a, TKyColor b, double t) {
    auto ch = [&](int shift) {
      double va = (a >> shift) & 0xFF, vb = (b >> shift) & 0xFF;
      return static_cast<TKyColor>(std::lround(va + (vb - va) * t)) << shift;
    };
    return ch(0) | ch(8) | ch(16);
  }

private:
  TCanvas& c_;
};

struct TPicture32 {
  int Width = 0, Height = 0;
  std::vector<TKyColor> Colors;   // per pixel, top row first
  std::vector<uint8_t> Coverage;  // 0..255: the share of samples not in the key colour
};

// Draws at four times the size on the key colour and reduces: a pixel is the
// average of its samples that are not the key colour, or the key colour
// when none is.
TPicture32 Draw(int width, int height, const std::function<void(TPainter&)>& draw) {
  TBitmap big(width * kScale, height * kScale, pf24bit);
  TCanvas& canvas = *big.Canvas();
  canvas.Brush()->SetColor(kKey);
  canvas.FillRect(TRect(0, 0, big.Width(), big.Height()));
  TPainter painter(canvas);
  draw(painter);
  TPicture32 out;
  out.Width = width;
  out.Height = height;
  out.Colors.resize(static_cast<size_t>(width) * height);
  out.Coverage.resize(out.Colors.size());
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      int r = 0, g = 0, b = 0, n = 0;
      for (int sy = 0; sy < kScale; ++sy) {
        auto* row = static_cast<const uint8_t*>(big.ScanLine(y * kScale + sy));
        for (int sx = 0; sx < kScale; ++sx) {
          const uint8_t* p = row + (x * kScale + sx) * 3;  // B, G, R
          if (p[0] == 0xFF && p[1] == 0x00 && p[2] == 0xFF) continue;
          b += p[0];
          g += p[1];
          r += p[2];
          ++n;
        }
      }
      size_t at = static_cast<size_t>(y) * width + x;
      out.Colors[at] = n ? Rgb(r / n, g / n, b / n) : kKey;
      out.Coverage[at] = static_cast<uint8_t>(n * 255 / (kScale * kScale));
    }
  return out;
}

// A 24-bit BMP; pixels less than half covered become the key colour, and
// with a transparent picture the bottom-left pixel is always the key.
void PaintBmp(const TPicture32& picture, TBitmap& bmp, bool transparent) {
  for (int y = 0; y < picture.Height; ++y) {
    auto* row = static_cast<uint8_t*>(bmp.ScanLine(y));
    for (int x = 0; x < picture.Width; ++x) {
      size_t at = static_cast<size_t>(y) * picture.Width + x;
      TKyColor c = picture.Colors[at];
      if (transparent && picture.Coverage[at] < 128) c = kKey;
      if (!transparent && c == kKey) c = Rgb(255, 255, 255);
      row[x * 3] = static_cast<uint8_t>(c >> 16);
      row[x * 3 + 1] = static_cast<uint8_t>(c >> 8);
      row[x * 3 + 2] = static_cast<uint8_t>(c);
    }
  }
  if (transparent) {
    auto* row = static_cast<uint8_t*>(bmp.ScanLine(picture.Height - 1));
    row[0] = 0xFF, row[1] = 0x00, row[2] = 0xFF;
  }
}

void SaveBmp(const TPicture32& picture, const std::string& file, bool transparent) {
  TBitmap bmp(picture.Width, picture.Height, pf24bit);
  PaintBmp(picture, bmp, transparent);
  bmp.SaveToFile(file);
}

void Put16(std::vector<uint8_t>& out, uint32_t v) {
  out.push_back(static_cast<uint8_t>(v));
  out.push_back(static_cast<uint8_t>(v >> 8));
}
void Put32(std::vector<uint8_t>& out, uint32_t v) {
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
}

// An icon file with 32-bit images (colour with alpha, and the AND mask for
// systems that ignore alpha).
std::vector<uint8_t> IcoBytes(const std::vector<TPicture32>& images) {
  std::vector<std::vector<uint8_t>> bodies;
  for (const TPicture32& p : images) {
    std::vector<uint8_t> body;
    Put32(body, 40);
    Put32(body, p.Width);
    Put32(body, p.Height * 2);
    Put16(body, 1);
    Put16(body, 32);
    for (int i = 0; i < 6; ++i) Put32(body, 0);
    for (int y = p.Height - 1; y >= 0; --y)
      for (int x = 0; x < p.Width; ++x) {
        size_t at = static_cast<size_t>(y) * p.Width + x;
        TKyColor c = p.Coverage[at] ? p.Colors[at] : 0;
        body.push_back(static_cast<uint8_t>(c >> 16));
        body.push_back(static_cast<uint8_t>(c >> 8));
        body.push_back(static_cast<uint8_t>(c));
        body.push_back(p.Coverage[at]);
      }
    int maskStride = ((p.Width + 31) / 32) * 4;
    for (int y = p.Height - 1; y >= 0; --y) {
      std::vector<uint8_t> row(maskStride, 0);
      for (int x = 0; x < p.Width; ++x)
        if (p.Coverage[static_cast<size_t>(y) * p.Width + x] < 128) row[x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
      body.insert(body.end(), row.begin(), row.end());
    }
    bodies.push_back(std::move(body));
  }
  std::vector<uint8_t> out;
  Put16(out, 0);
  Put16(out, 1);
  Put16(out, static_cast<uint32_t>(images.size()));
  uint32_t offset = 6 + 16 * static_cast<uint32_t>(images.size());
  for (size_t i = 0; i < images.size(); ++i) {
    out.push_back(static_cast<uint8_t>(images[i].Width));
    out.push_back(static_cast<uint8_t>(images[i].Height));
    out.push_back(0);
    out.push_back(0);
    Put16(out, 1);
    Put16(out, 32);
    Put32(out, static_cast<uint32_t>(bodies[i].size()));
    Put32(out, offset);
    offset += static_cast<uint32_t>(bodies[i].size());
  }
  for (auto& b : bodies) out.insert(out.end(), b.begin(), b.end());
  return out;
}

void SaveIco(const std::vector<TPicture32>& images, const std::string& file) {
  std::vector<uint8_t> bytes = IcoBytes(images);
  TMemoryStream stream;
  stream.WriteBuffer(bytes.data(), bytes.size());
  stream.SaveToFile(file);
}

// A picture as a form stores it: the graphic class's name, then its file.
void SavePictureValue(const std::string& className, const std::vector<uint8_t>& bytes, const std::string& file) {
  TMemoryStream stream;
  uint8_t len = static_cast<uint8_t>(className.size());
  stream.WriteBuffer(&len, 1);
  stream.WriteBuffer(className.data(), className.size());
  stream.WriteBuffer(bytes.data(), bytes.size());
  stream.SaveToFile(file);
}

std::vector<uint8_t> BmpBytes(const TPicture32& picture, bool transparent) {
  TBitmap bmp(picture.Width, picture.Height, pf24bit);
  PaintBmp(picture, bmp, transparent);
  TMemoryStream stream;
  bmp.SaveToStream(stream);
  return stream.Data();
}

// ---- The pictures ----

constexpr int kFlagW = 24, kFlagH = 16;

void FlagFrame(TPainter& p) {
  p.Canvas().Brush()->SetStyle(bsClear);
  p.Pen(Rgb(70, 70, 80), 0.75);
  p.Canvas().Rectangle(0, 0, TPainter::S(kFlagW), TPainter::S(kFlagH));
}

void Bands(TPainter& p, bool across, std::initializer_list<std::pair<double, TKyColor>> bands) {
  double at = 0, total = across ? kFlagW : kFlagH;
  for (auto [share, color] : bands) {
    double next = at + share * total;
    if (across) p.Fill(color, at, 0, next, kFlagH);
    else p.Fill(color, 0, at, kFlagW, next);
    at = next;
  }
}

void FlagSpanish(TPainter& p) {
  Bands(p, false, {{0.25, Rgb(198, 11, 30)}, {0.5, Rgb(255, 196, 0)}, {0.25, Rgb(198, 11, 30)}});
  FlagFrame(p);
}
void FlagFrench(TPainter& p) {
  Bands(p, true, {{1 / 3.0, Rgb(0, 35, 149)}, {1 / 3.0, Rgb(255, 255, 255)}, {1 / 3.0, Rgb(237, 41, 57)}});
  FlagFrame(p);
}
void FlagItalian(TPainter& p) {
  Bands(p, true, {{1 / 3.0, Rgb(0, 146, 70)}, {1 / 3.0, Rgb(255, 255, 255)}, {1 / 3.0, Rgb(206, 43, 55)}});
  FlagFrame(p);
}
void FlagGerman(TPainter& p) {
  Bands(p, false, {{1 / 3.0, Rgb(20, 20, 20)}, {1 / 3.0, Rgb(221, 0, 0)}, {1 / 3.0, Rgb(255, 206, 0)}});
  FlagFrame(p);
}
void FlagEnglish(TPainter& p) {
  const TKyColor blue = Rgb(1, 33, 105), red = Rgb(200, 16, 46), white = Rgb(255, 255, 255);
  p.Fill(blue, 0, 0, kFlagW, kFlagH);
  double w = kFlagW, h = kFlagH;
  p.Pen(white, 3.2);
  p.Line({{0, 0}, {w, h}});
  p.Line({{w, 0}, {0, h}});
  p.Pen(red, 1.1);
  p.Line({{0, 0}, {w, h}});
  p.Line({{w, 0}, {0, h}});
  p.Fill(white, w / 2 - 2.6, 0, w / 2 + 2.6, h);
  p.Fill(white, 0, h / 2 - 2.6, w, h / 2 + 2.6);
  p.Fill(red, w / 2 - 1.5, 0, w / 2 + 1.5, h);
  p.Fill(red, 0, h / 2 - 1.5, w, h / 2 + 1.5);
  FlagFrame(p);
}

// A round badge with a white "i": the About button's picture and the
// information icon.
void InfoBadge(TPainter& p, double size, TKyColor light, TKyColor dark) {
  p.ShadedDisc(1, 1, size - 1, size - 1, light, dark);
  p.NoPen();
  p.Brush(Rgb(255, 255, 255));
  double u = size / 32.0;
  p.Ellipse(14 * u, 6.5 * u, 18.5 * u, 11 * u);
  p.Polygon({{13 * u, 13.5 * u}, {18.5 * u, 13.5 * u}, {18.5 * u, 23.5 * u}, {20 * u, 23.5 * u},
             {20 * u, 26 * u}, {12 * u, 26 * u}, {12 * u, 23.5 * u}, {14 * u, 23.5 * u},
             {14 * u, 16 * u}, {13 * u, 16 * u}});
}

void IconWarning(TPainter& p) {
  p.Pen(Rgb(150, 100, 0), 1);
  p.Brush(Rgb(255, 204, 40));
  p.Polygon({{16, 2}, {30.5, 29}, {1.5, 29}});
  p.NoPen();
  p.Brush(Rgb(40, 30, 10));
  p.Polygon({{14.5, 10}, {17.5, 10}, {16.8, 21}, {15.2, 21}});
  p.Ellipse(14.4, 23, 17.6, 26.2);
}

void IconError(TPainter& p) {
  p.ShadedDisc(1, 1, 31, 31, Rgb(240, 90, 80), Rgb(170, 20, 20));
  p.Pen(Rgb(255, 255, 255), 3.2);
  p.Line({{10.5, 10.5}, {21.5, 21.5}});
  p.Line({{21.5, 10.5}, {10.5, 21.5}});
}

void IconInformation(TPainter& p) { InfoBadge(p, 32, Rgb(110, 170, 240), Rgb(20, 70, 170)); }

void IconQuestion(TPainter& p) {
  p.ShadedDisc(1, 1, 31, 31, Rgb(110, 190, 130), Rgb(20, 120, 60));
  p.Pen(Rgb(255, 255, 255), 3);
  p.Canvas().Brush()->SetStyle(bsClear);
  // The hook of the question mark: an arc over the top, then down.
  // GDI arcs run counterclockwise: from the right, over the top, to the left.
  p.Canvas().Arc(TPainter::S(11), TPainter::S(6.5), TPainter::S(21), TPainter::S(16.5), TPainter::S(21),
                 TPainter::S(14), TPainter::S(11), TPainter::S(11));
  p.Line({{20.2, 14.5}, {16, 17.5}, {16, 20.5}});
  p.NoPen();
  p.Brush(Rgb(255, 255, 255));
  p.Ellipse(14.2, 22.5, 17.8, 26.1);
}

void MarkOk(TPainter& p) {
  p.Pen(Rgb(30, 140, 50), 2.6);
  p.Line({{3, 8.5}, {6.5, 12}, {13, 4}});
}

void MarkCancel(TPainter& p) {
  p.Pen(Rgb(200, 40, 40), 2.4);
  p.Line({{4, 4}, {12, 12}});
  p.Line({{12, 4}, {4, 12}});
}

// A closed product box seen from above the front-left corner, with a disc
// leaning on it; size is the box's front edge.
void ProductBox(TPainter& p, double x, double y, double size) {
  double d = size * 0.45;  // depth drawn up and to the right
  const TKyColor front = Rgb(70, 120, 200), side = Rgb(40, 80, 150), top = Rgb(130, 175, 235);
  p.Pen(Rgb(25, 45, 90), size / 40);
  p.Brush(front);
  p.Polygon({{x, y + d}, {x + size, y + d}, {x + size, y + d + size * 0.8}, {x, y + d + size * 0.8}});
  p.Brush(side);
  p.Polygon({{x + size, y + d}, {x + size + d, y}, {x + size + d, y + size * 0.8}, {x + size, y + d + size * 0.8}});
  p.Brush(top);
  p.Polygon({{x, y + d}, {x + d, y}, {x + size + d, y}, {x + size, y + d}});
  // The ribbon across the top and down the front.
  p.NoPen();
  p.Brush(Rgb(245, 200, 60));
  double r = size * 0.09;
  p.Polygon({{x + size * 0.5 - r, y + d}, {x + size * 0.5 + d - r, y}, {x + size * 0.5 + d + r, y},
             {x + size * 0.5 + r, y + d}});
  p.Fill(Rgb(245, 200, 60), x + size * 0.5 - r, y + d, x + size * 0.5 + r, y + d + size * 0.8);
}

void Disc(TPainter& p, double cx, double cy, double radius) {
  p.Pen(Rgb(120, 120, 140), radius / 25);
  p.Brush(Rgb(215, 220, 232));
  p.Ellipse(cx - radius, cy - radius, cx + radius, cy + radius);
  p.NoPen();
  p.Brush(Rgb(180, 205, 240));
  p.Ellipse(cx - radius * 0.8, cy - radius * 0.8, cx + radius * 0.35, cy + radius * 0.35);
  p.Brush(Rgb(245, 245, 250));
  p.Ellipse(cx - radius * 0.28, cy - radius * 0.28, cx + radius * 0.28, cy + radius * 0.28);
  p.Pen(Rgb(120, 120, 140), radius / 25);
  p.Brush(Rgb(200, 200, 210));
  p.Ellipse(cx - radius * 0.12, cy - radius * 0.12, cx + radius * 0.12, cy + radius * 0.12);
}

void SidePicture(TPainter& p) {
  // A soft shadow under the box, then the box and the disc.
  p.NoPen();
  p.Brush(Rgb(196, 200, 210));
  p.Ellipse(22, 84, 132, 99);
  ProductBox(p, 30, 10, 70);
  Disc(p, 118, 70, 24);
}

// The products list's item marks: a blue bead for a product, a green one
// for an update.
void Bead(TPainter& p, TKyColor light, TKyColor dark) { p.ShadedDisc(0.5, 0.5, 9.5, 9.5, light, dark); }

void AppIcon(TPainter& p, double size) {
  double u = size / 32.0;
  ProductBox(p, 2 * u, 5 * u, 19 * u);
  Disc(p, 24 * u, 22 * u, 7.5 * u);
}

// The gallery's landscape: a morning sky, the sun, hills and a lake.
void Landscape(TPainter& p, double w, double h) {
  const int bands = 12;
  for (int i = 0; i < bands; ++i)
    p.Fill(TPainter::Mix(Rgb(70, 130, 210), Rgb(200, 225, 250), static_cast<double>(i) / (bands - 1)), 0,
           h * 0.62 * i / bands, w, h * 0.62 * (i + 1) / bands + 0.5);
  p.ShadedDisc(w * 0.66, h * 0.12, w * 0.66 + h * 0.26, h * 0.38, Rgb(255, 245, 170), Rgb(245, 180, 40));
  p.NoPen();
  p.Brush(Rgb(110, 150, 120));
  p.Ellipse(-w * 0.2, h * 0.42, w * 0.65, h * 1.1);
  p.Brush(Rgb(80, 150, 70));
  p.Ellipse(w * 0.35, h * 0.5, w * 1.3, h * 1.2);
  p.Brush(Rgb(90, 150, 215));
  p.Ellipse(w * 0.05, h * 0.78, w * 0.55, h * 0.96);
  // A fir on the near hill.
  p.Brush(Rgb(35, 95, 45));
  p.Polygon({{w * 0.78, h * 0.3}, {w * 0.86, h * 0.62}, {w * 0.70, h * 0.62}});
  p.Fill(Rgb(100, 70, 40), w * 0.77, h * 0.62, w * 0.79, h * 0.7);
}

void SaveGalleryPictures(const std::string& out) {
  ForceDirectories(out);
  constexpr int kLandW = 88, kLandH = 56;
  SavePictureValue("TBitmap", BmpBytes(Draw(kLandW, kLandH, [](TPainter& p) { Landscape(p, kLandW, kLandH); }), false),
                   out + "/Landscape.pic");
  SavePictureValue("TBitmap", BmpBytes(Draw(48, 48, [](TPainter& p) { AppIcon(p, 48); }), true), out + "/Product.pic");
  SavePictureValue(
      "TIcon",
      IcoBytes({Draw(32, 32, [](TPainter& p) { AppIcon(p, 32); }), Draw(16, 16, [](TPainter& p) { AppIcon(p, 16); })}),
      out + "/Icon.pic");
}

}  // namespace

int main(int argc, char** argv) {
  bool gallery = argc == 3 && std::string(argv[1]) == "--gallery";
  if (argc != 2 && !gallery) {
    std::fputs("usage: pictures OUTDIR   draws the installer's pictures into OUTDIR\n"
               "       pictures --gallery OUTDIR   draws the control gallery's pictures\n",
               stderr);
    return 2;
  }
  std::string out = argv[gallery ? 2 : 1];
  try {
    if (gallery) {
      SaveGalleryPictures(out);
      return 0;
    }
    for (const char* dir : {"", "/User", "/System"}) ForceDirectories(out + dir);
    struct TItem {
      const char* File;
      int Width, Height;
      bool Transparent;
      std::function<void(TPainter&)> Paint;
    };
    const TItem items[] = {
        {"/User/0.bmp", kFlagW, kFlagH, false, FlagSpanish},
        {"/User/1.bmp", kFlagW, kFlagH, false, FlagEnglish},
        {"/User/9.bmp", kFlagW, kFlagH, false, FlagFrench},
        {"/User/10.bmp", kFlagW, kFlagH, false, FlagItalian},
        {"/User/11.bmp", kFlagW, kFlagH, false, FlagGerman},
        {"/User/17.bmp", 40, 40, true, [](TPainter& p) { InfoBadge(p, 40, Rgb(255, 215, 120), Rgb(215, 120, 20)); }},
        {"/User/20.bmp", 157, 101, true, SidePicture},
        {"/User/21.bmp", 10, 10, true, [](TPainter& p) { Bead(p, Rgb(120, 175, 240), Rgb(25, 80, 170)); }},
        {"/User/22.bmp", 10, 10, true, [](TPainter& p) { Bead(p, Rgb(130, 210, 140), Rgb(25, 130, 60)); }},
        {"/System/2.bmp", 32, 32, true, IconWarning},
        {"/System/3.bmp", 32, 32, true, IconError},
        {"/System/4.bmp", 32, 32, true, IconInformation},
        {"/System/5.bmp", 32, 32, true, IconQuestion},
        {"/System/9.bmp", 16, 16, true, MarkOk},
        {"/System/10.bmp", 16, 16, true, MarkCancel},
    };
    for (const TItem& item : items) SaveBmp(Draw(item.Width, item.Height, item.Paint), out + item.File, item.Transparent);
    SaveIco({Draw(32, 32, [](TPainter& p) { AppIcon(p, 32); }), Draw(16, 16, [](TPainter& p) { AppIcon(p, 16); })},
            out + "/KySetup.ico");
  } catch (const Exception& e) {
    std::fprintf(stderr, "pictures: %s\n", e.what());
    return 1;
  }
  return 0;
}
