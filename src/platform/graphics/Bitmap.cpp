#include "platform/graphics/Bitmap.h"

#include <cstring>

#include "platform/os/WinApi.h"

namespace {

struct TBitmapInfo256 {
  BITMAPINFOHEADER Header;
  RGBQUAD Colors[256];
};

RGBQUAD ToQuad(TKyColor c) {
  int32_t rgb = ColorToRGB(c);
  return RGBQUAD{KyBlue(rgb), KyGreen(rgb), KyRed(rgb), 0};
}

TKyColor FromQuad(const uint8_t* q) { return KyRGB(q[2], q[1], q[0]); }

const std::vector<TKyColor>& DefaultColors(int bits) {
  static const std::vector<TKyColor> mono{kClBlack, kClWhite};
  static const std::vector<TKyColor> vga{kClBlack, kClMaroon, kClGreen,  KyRGB(128, 128, 0), kClNavy,
                                         KyRGB(128, 0, 128), KyRGB(0, 128, 128), kClSilver, kClGray, kClRed,
                                         kClLime, kClYellow, kClBlue, kClFuchsia, kClAqua, kClWhite};
  static const std::vector<TKyColor> full = [] {
    // The 16 VGA colours, the 6x6x6 cube, then greys.
    std::vector<TKyColor> v = vga;
    for (int b = 0; b < 6; ++b)
      for (int g = 0; g < 6; ++g)
        for (int r = 0; r < 6; ++r) v.push_back(KyRGB(uint8_t(r * 51), uint8_t(g * 51), uint8_t(b * 51)));
    for (int k = 1; v.size() < 256; ++k) v.push_back(KyRGB(uint8_t(k * 10), uint8_t(k * 10), uint8_t(k * 10)));
    return v;
  }();
  return bits == 1 ? mono : bits == 4 ? vga : full;
}

int32_t StrideOf(int32_t width, int32_t bits) { return ((width * bits + 31) / 32) * 4; }

// A memory DC that holds a bitmap for as long as it lives.
class TBitmapDc {
public:
  explicit TBitmapDc(HBITMAP bitmap) : dc_(CreateCompatibleDC(nullptr)) {
    if (!dc_) throw EOutOfResources("Cannot create a memory DC");
    old_ = SelectObject(dc_.Get(), bitmap);
  }
  ~TBitmapDc() { SelectObject(dc_.Get(), old_); }
  HDC Get() const { return dc_.Get(); }

private:
  TMemoryDcHandle dc_;
  HGDIOBJ old_;
};

uint32_t Read32(const uint8_t* p) { return p[0] | (p[1] << 8) | (p[2] << 16) | (uint32_t(p[3]) << 24); }
uint16_t Read16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
void Put32(std::vector<uint8_t>& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}
void Put16(std::vector<uint8_t>& out, uint16_t v) {
  out.push_back(static_cast<uint8_t>(v));
  out.push_back(static_cast<uint8_t>(v >> 8));
}

// One channel of a bit-field pixel scaled to 0..255.
uint8_t Channel(uint32_t pixel, uint32_t mask) {
  if (!mask) return 0;
  int shift = 0;
  while (!((mask >> shift) & 1)) ++shift;
  uint32_t max = mask >> shift;
  return static_cast<uint8_t>(((pixel & mask) >> shift) * 255 / max);
}

}  // namespace

int32_t PixelFormatBits(TPixelFormat format) {
  static const int32_t bits[] = {32, 1, 4, 8, 16, 16, 24, 32};
  return bits[format];
}

// ---- The bitmap's canvas ----

class TBitmap::TBitmapCanvas : public TCanvas {
public:
  explicit TBitmapCanvas(TBitmap& owner) : owner_(owner) { OnChange = [this](TObject*) { owner_.Changed(); }; }
  ~TBitmapCanvas() override { Release(); }

  void Release() {
    if (!dc_) return;
    SetHandle(nullptr);
    if (old_) SelectObject(dc_.Get(), old_);
    old_ = nullptr;
    dc_.Reset();
  }

protected:
  void CreateHandle() override {
    TMemoryDcHandle dc(CreateCompatibleDC(nullptr));
    if (!dc) throw EOutOfResources("Cannot create a memory DC");
    if (owner_.handle_) old_ = SelectObject(dc.Get(), owner_.handle_.Get());
    dc_ = std::move(dc);
    SetHandle(dc_.Get());
  }

private:
  TBitmap& owner_;
  TMemoryDcHandle dc_;
  HGDIOBJ old_ = nullptr;
};

// ---- TBitmap ----

TBitmap::TBitmap() = default;

TBitmap::TBitmap(int32_t width, int32_t height, TPixelFormat format) : format_(format) { SetSize(width, height); }

TBitmap::~TBitmap() { FreeContext(); }

void TBitmap::FreeContext() {
  if (canvas_) canvas_->Release();
}

void TBitmap::Rebuild(int32_t width, int32_t height, TPixelFormat format, const std::vector<TKyColor>& colors,
                      bool keep) {
  if (width < 0 || height < 0) throw EInvalidGraphicOperation("Invalid bitmap size");
  int32_t bits = PixelFormatBits(format);
  std::vector<TKyColor> table;
  if (bits <= 8) {
    table = colors.empty() ? DefaultColors(bits) : colors;
    table.resize(size_t(1) << bits, kClBlack);
  }
  FreeContext();
  TBitmapHandle fresh;
  uint8_t* freshBits = nullptr;
  int32_t stride = 0;
  if (width > 0 && height > 0) {
    if (int64_t(width) * height > 0x4000000 || width > 0x10000 || height > 0x10000)
      throw EInvalidGraphicOperation("Bitmap too large");
    TBitmapInfo256 bi{};
    bi.Header.biSize = sizeof(BITMAPINFOHEADER);
    bi.Header.biWidth = width;
    bi.Header.biHeight = height;
    bi.Header.biPlanes = 1;
    bi.Header.biBitCount = static_cast<WORD>(bits);
    bi.Header.biCompression = BI_RGB;
    if (format == pf16bit) {
      bi.Header.biCompression = BI_BITFIELDS;
      DWORD masks[3] = {0xF800, 0x07E0, 0x001F};
      std::memcpy(bi.Colors, masks, sizeof masks);
    }
    for (size_t i = 0; i < table.size(); ++i) bi.Colors[i] = ToQuad(table[i]);
    bi.Header.biClrUsed = static_cast<DWORD>(table.size());
    void* p = nullptr;
    fresh.Reset(CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&bi), DIB_RGB_COLORS, &p, nullptr, 0));
    if (!fresh) throw EOutOfResources("Cannot create a bitmap of " + std::to_string(width) + " x " +
                                      std::to_string(height));
    freshBits = static_cast<uint8_t*>(p);
    stride = StrideOf(width, bits);
    TBitmapDc dst(fresh.Get());
    PatBlt(dst.Get(), 0, 0, width, height, WHITENESS);
    if (keep && handle_) {
      TBitmapDc src(handle_.Get());
      BitBlt(dst.Get(), 0, 0, std::min(width, width_), std::min(height, height_), src.Get(), 0, 0, SRCCOPY);
    }
    GdiFlush();
  }
  handle_ = std::move(fresh);
  bits_ = freshBits;
  stride_ = stride;
  width_ = handle_ ? width : 0;
  height_ = handle_ ? height : 0;
  format_ = format;
  colors_ = std::move(table);
}

void TBitmap::SetSize(int32_t width, int32_t height) {
  if (width == width_ && height == height_) return;
  Rebuild(width, height, format_, colors_, true);
  Changed();
}

void TBitmap::SetPixelFormat(TPixelFormat value) {
  if (value == format_) return;
  // A new paletted format takes its default colours, not the old table.
  Rebuild(width_, height_, value, {}, true);
  Changed();
}

void TBitmap::SetMonochrome(bool value) {
  if (value == Monochrome()) return;
  SetPixelFormat(value ? pf1bit : pfDevice);
}

void TBitmap::SetColorTable(const std::vector<TKyColor>& colors) {
  int32_t bits = PixelFormatBits(format_);
  if (bits > 8) return;
  std::vector<TKyColor> table = colors;
  table.resize(size_t(1) << bits, kClBlack);
  if (table == colors_) return;
  colors_ = table;
  if (handle_) {
    std::vector<RGBQUAD> quads;
    for (TKyColor c : table) quads.push_back(ToQuad(c));
    SetDIBColorTable(Canvas()->Handle(), 0, static_cast<UINT>(quads.size()), quads.data());
  }
  Changed();
}

void* TBitmap::ScanLine(int32_t y) {
  if (y < 0 || y >= height_ || !bits_) throw EInvalidGraphicOperation("Scan line index out of range");
  GdiFlush();
  return bits_ + static_cast<size_t>(height_ - 1 - y) * stride_;
}

TCanvas* TBitmap::Canvas() {
  if (!canvas_) canvas_ = std::make_unique<TBitmapCanvas>(*this);
  return canvas_.get();
}

void TBitmap::SetHandle(HBITMAP value) {
  if (value == handle_.Get()) return;
  TBitmapHandle taken(value);
  if (!value) {
    Rebuild(0, 0, format_, colors_, false);
    Changed();
    return;
  }
  BITMAP bm{};
  if (!GetObjectA(value, sizeof bm, &bm)) throw EInvalidGraphic("Invalid bitmap handle");
  int bits = bm.bmBitsPixel * bm.bmPlanes;
  TPixelFormat format = bits == 1 ? pf1bit : bits == 4 ? pf4bit : bits == 8 ? pf8bit : bits == 24 ? pf24bit : pf32bit;
  std::vector<TKyColor> colors;
  if (bits <= 8 && bm.bmBits) {
    TBitmapDc src(value);
    RGBQUAD quads[256];
    UINT n = GetDIBColorTable(src.Get(), 0, 256, quads);
    for (UINT i = 0; i < n; ++i) colors.push_back(FromQuad(&quads[i].rgbBlue));
  }
  Rebuild(bm.bmWidth, bm.bmHeight, format, colors, false);
  if (handle_) {
    TBitmapDc src(value);
    TBitmapDc dst(handle_.Get());
    BitBlt(dst.Get(), 0, 0, width_, height_, src.Get(), 0, 0, SRCCOPY);
    GdiFlush();
  }
  Changed();
}

HBITMAP TBitmap::ReleaseHandle() {
  FreeContext();
  HBITMAP h = handle_.Release();
  bits_ = nullptr;
  width_ = height_ = stride_ = 0;
  Changed();
  return h;
}

void TBitmap::Dormant() { FreeContext(); }

void TBitmap::Assign(const TPersistent* source) {
  if (source == this) return;
  if (!source) {
    Rebuild(0, 0, format_, colors_, false);
    Changed();
    return;
  }
  if (auto* src = dynamic_cast<const TBitmap*>(source)) {
    Rebuild(src->width_, src->height_, src->format_, src->colors_, false);
    if (bits_ && src->bits_) {
      GdiFlush();
      std::memcpy(bits_, src->bits_, static_cast<size_t>(stride_) * height_);
    }
    SetTransparent(src->Transparent());
    transparentMode_ = src->transparentMode_;
    transparentColor_ = src->transparentColor_;
    Changed();
    return;
  }
  if (auto* graphic = dynamic_cast<const TGraphic*>(source)) {
    auto* g = const_cast<TGraphic*>(graphic);
    Rebuild(g->Width(), g->Height(), format_ == pf1bit ? pfDevice : format_, {}, false);
    if (handle_) Canvas()->Draw(0, 0, g);
    Changed();
    return;
  }
  inherited::Assign(source);
}

void TBitmap::SetTransparent(bool value) {
  if (value == Transparent()) return;
  TGraphic::SetTransparent(value);
}

TKyColor TBitmap::TransparentColor() const {
  if (transparentMode_ == tmFixed) return transparentColor_;
  if (!handle_) return kClDefault;
  // The bottom-left pixel, through the canvas: the bitmap can only be
  // selected into one DC at a time.
  return const_cast<TBitmap*>(this)->Canvas()->Pixels(0, height_ - 1);
}

void TBitmap::SetTransparentColor(TKyColor value) {
  TTransparentMode mode = value == kClDefault ? tmAuto : tmFixed;
  if (value == transparentColor_ && mode == transparentMode_) return;
  transparentColor_ = value;
  transparentMode_ = mode;
  Changed();
}

void TBitmap::SetTransparentMode(TTransparentMode value) {
  if (value == transparentMode_) return;
  if (value == tmFixed && transparentColor_ == kClDefault) transparentColor_ = TransparentColor();
  transparentMode_ = value;
  Changed();
}

void TBitmap::Changed() { TGraphic::Changed(); }

void TBitmap::Draw(TCanvas& canvas, const TRect& rect) {
  if (Empty()) return;
  HDC dest = canvas.Handle();
  HDC src = Canvas()->Handle();
  if (Transparent()) {
    COLORREF key = static_cast<COLORREF>(ColorToRGB(TransparentColor()));
    GdiTransparentBlt(dest, rect.Left, rect.Top, rect.Width(), rect.Height(), src, 0, 0, width_, height_, key);
    return;
  }
  if (rect.Width() == width_ && rect.Height() == height_) {
    BitBlt(dest, rect.Left, rect.Top, width_, height_, src, 0, 0, canvas.CopyMode());
    return;
  }
  int oldMode = SetStretchBltMode(dest, Monochrome() ? BLACKONWHITE : COLORONCOLOR);
  StretchBlt(dest, rect.Left, rect.Top, rect.Width(), rect.Height(), src, 0, 0, width_, height_, canvas.CopyMode());
  if (oldMode) SetStretchBltMode(dest, oldMode);
}

// ---- BMP files ----

void TBitmap::LoadFromStream(TStream& stream) {
  int64_t start = stream.Position();
  int64_t available = stream.Size() - start;
  uint8_t fh[14];
  uint8_t ih[124]{};
  if (available < 18) throw EInvalidGraphic("Bitmap image is not valid");
  stream.ReadBuffer(fh, 14);
  if (fh[0] != 'B' || fh[1] != 'M') throw EInvalidGraphic("Bitmap image is not valid");
  uint32_t offBits = Read32(fh + 10);
  stream.ReadBuffer(ih, 4);
  uint32_t headerSize = Read32(ih);
  if (headerSize != 12 && (headerSize < 40 || headerSize > 124) ) throw EInvalidGraphic("Bitmap image is not valid");
  if (available < 14 + int64_t(headerSize)) throw EInvalidGraphic("Bitmap image is not valid");
  stream.ReadBuffer(ih + 4, static_cast<int32_t>(headerSize - 4));

  int32_t width, height, bits;
  uint32_t compression = 0, clrUsed = 0;
  bool core = headerSize == 12;
  if (core) {
    width = Read16(ih + 4);
    height = static_cast<int16_t>(Read16(ih + 6));
    bits = Read16(ih + 10);
  } else {
    width = static_cast<int32_t>(Read32(ih + 4));
    height = static_cast<int32_t>(Read32(ih + 8));
    bits = Read16(ih + 14);
    compression = Read32(ih + 16);
    clrUsed = Read32(ih + 32);
  }
  bool topDown = height < 0;
  if (topDown) height = height == INT32_MIN ? 0 : -height;
  if (width < 0 || height < 0 || width > 0x10000 || height > 0x10000)
    throw EInvalidGraphic("Bitmap image is not valid");
  if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32)
    throw EInvalidGraphic("Bitmap image is not valid");
  if (compression == BI_RLE8 || compression == BI_RLE4) throw EInvalidGraphic("Compressed bitmaps are not supported");
  if (compression != BI_RGB && !(compression == BI_BITFIELDS && (bits == 16 || bits == 32)))
    throw EInvalidGraphic("Bitmap image is not valid");

  uint32_t masks[3] = {0, 0, 0};
  if (compression == BI_BITFIELDS) {
    if (headerSize >= 52) {
      for (int i = 0; i < 3; ++i) masks[i] = Read32(ih + 40 + 4 * i);
    } else {
      uint8_t m[12];
      stream.ReadBuffer(m, 12);
      for (int i = 0; i < 3; ++i) masks[i] = Read32(m + 4 * i);
    }
  } else if (bits == 16) {
    masks[0] = 0x7C00, masks[1] = 0x03E0, masks[2] = 0x001F;
  } else if (bits == 32) {
    masks[0] = 0xFF0000, masks[1] = 0xFF00, masks[2] = 0xFF;
  }

  std::vector<TKyColor> colors;
  if (bits <= 8) {
    uint32_t count = clrUsed ? clrUsed : (1u << bits);
    if (count > (1u << bits)) count = 1u << bits;
    int entry = core ? 3 : 4;
    if (stream.Size() - stream.Position() < int64_t(count) * entry) throw EInvalidGraphic("Bitmap image is not valid");
    std::vector<uint8_t> table(count * entry);
    if (count) stream.ReadBuffer(table.data(), static_cast<int32_t>(table.size()));
    for (uint32_t i = 0; i < count; ++i) colors.push_back(FromQuad(&table[i * entry]));
  }

  int32_t srcStride = StrideOf(width, bits);
  int64_t size = int64_t(srcStride) * height;
  if (offBits >= 14 + headerSize && offBits != stream.Position() - start) {
    if (int64_t(offBits) > available) throw EInvalidGraphic("Bitmap image is not valid");
    stream.SetPosition(start + offBits);
  }
  // Refuse sizes the data cannot hold before allocating.
  if (stream.Size() - stream.Position() < size) throw EInvalidGraphic("Bitmap image is not valid: data too short");
  std::vector<uint8_t> pixels(static_cast<size_t>(size));
  if (size) stream.ReadBuffer(pixels.data(), static_cast<int32_t>(size));

  TPixelFormat format;
  bool convert = false;
  switch (bits) {
    case 1: format = pf1bit; break;
    case 4: format = pf4bit; break;
    case 8: format = pf8bit; break;
    case 16:
      if (masks[0] == 0x7C00 && masks[1] == 0x03E0 && masks[2] == 0x001F) format = pf15bit;
      else if (masks[0] == 0xF800 && masks[1] == 0x07E0 && masks[2] == 0x001F) format = pf16bit;
      else format = pf32bit, convert = true;
      break;
    case 24: format = pf24bit; break;
    default:
      format = pf32bit;
      convert = !(masks[0] == 0xFF0000 && masks[1] == 0xFF00 && masks[2] == 0xFF);
  }
  Rebuild(width, height, format, colors, false);
  for (int32_t row = 0; row < height; ++row) {
    // File rows run bottom-up unless the height was negative.
    const uint8_t* in = pixels.data() + size_t(topDown ? height - 1 - row : row) * srcStride;
    uint8_t* out = bits_ + size_t(row) * stride_;
    if (!convert) {
      std::memcpy(out, in, static_cast<size_t>(srcStride));
      continue;
    }
    for (int32_t x = 0; x < width; ++x) {
      uint32_t v = bits == 16 ? Read16(in + 2 * x) : Read32(in + 4 * x);
      out[4 * x] = Channel(v, masks[2]);
      out[4 * x + 1] = Channel(v, masks[1]);
      out[4 * x + 2] = Channel(v, masks[0]);
      out[4 * x + 3] = 0;
    }
  }
  Changed();
}

void TBitmap::SaveToStream(TStream& stream) {
  int32_t bits = PixelFormatBits(format_);
  uint32_t tableBytes = bits <= 8 ? 4u << bits : format_ == pf16bit ? 12 : 0;
  uint32_t offBits = 14 + 40 + tableBytes;
  uint32_t imageBytes = static_cast<uint32_t>(stride_) * height_;
  std::vector<uint8_t> out;
  out.reserve(offBits);
  out.push_back('B');
  out.push_back('M');
  Put32(out, offBits + imageBytes);
  Put32(out, 0);
  Put32(out, offBits);
  Put32(out, 40);
  Put32(out, static_cast<uint32_t>(width_));
  Put32(out, static_cast<uint32_t>(height_));
  Put16(out, 1);
  Put16(out, static_cast<uint16_t>(bits));
  Put32(out, format_ == pf16bit ? BI_BITFIELDS : BI_RGB);
  Put32(out, imageBytes);
  Put32(out, 3780);  // 96 dpi in pixels per metre
  Put32(out, 3780);
  Put32(out, bits <= 8 ? 1u << bits : 0);
  Put32(out, 0);
  if (format_ == pf16bit) {
    Put32(out, 0xF800);
    Put32(out, 0x07E0);
    Put32(out, 0x001F);
  }
  if (bits <= 8) {
    for (size_t i = 0; i < (size_t(1) << bits); ++i) {
      RGBQUAD q = ToQuad(i < colors_.size() ? colors_[i] : kClBlack);
      out.insert(out.end(), {q.rgbBlue, q.rgbGreen, q.rgbRed, 0});
    }
  }
  stream.WriteBuffer(out.data(), static_cast<int32_t>(out.size()));
  if (imageBytes) {
    GdiFlush();
    stream.WriteBuffer(bits_, static_cast<int32_t>(imageBytes));
  }
}
