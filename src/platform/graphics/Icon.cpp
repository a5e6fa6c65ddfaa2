#include "platform/graphics/Icon.h"

#include <cstring>

#include "platform/graphics/Canvas.h"
#include "platform/os/WinApi.h"

namespace {
uint16_t Get16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t Get32(const uint8_t* p) { return p[0] | (p[1] << 8) | (p[2] << 16) | (uint32_t(p[3]) << 24); }
void Put16(std::vector<uint8_t>& out, uint16_t v) {
  for (int i = 0; i < 2; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}
void Put32(std::vector<uint8_t>& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}
}  // namespace

TIcon::TIcon() = default;
TIcon::~TIcon() = default;

void TIcon::Clear() {
  data_.clear();
  icon_.Reset();
  width_ = height_ = 0;
  imageOffset_ = imageSize_ = 0;
}

void TIcon::Assign(const TPersistent* source) {
  if (source == this) return;
  if (!source) {
    Clear();
    Changed();
    return;
  }
  auto* src = dynamic_cast<const TIcon*>(source);
  if (!src) {
    inherited::Assign(source);
    return;
  }
  Clear();
  data_ = src->data_;
  imageOffset_ = src->imageOffset_;
  imageSize_ = src->imageSize_;
  width_ = src->width_;
  height_ = src->height_;
  if (data_.empty() && src->icon_) icon_.Reset(CopyIcon(src->icon_.Get()));
  Changed();
}

HICON TIcon::Handle() {
  if (!icon_ && !data_.empty()) {
    HICON h = CreateIconFromResourceEx(data_.data() + imageOffset_, static_cast<DWORD>(imageSize_), TRUE, 0x00030000,
                                       width_, height_, LR_DEFAULTCOLOR);
    if (!h) throw EInvalidGraphic("Icon image is not valid");
    icon_.Reset(h);
  }
  return icon_.Get();
}

bool TIcon::LoadFromResourceName(const std::string& name) {
  auto icon = static_cast<HICON>(
      LoadImageA(GetModuleHandleA(nullptr), name.c_str(), IMAGE_ICON, 0, 0, LR_DEFAULTSIZE | LR_SHARED));
  if (!icon) return false;
  // Shared icons belong to the system: keep a copy of our own.
  HICON own = CopyIcon(icon);
  if (!own) return false;
  SetHandle(own);
  return true;
}

void TIcon::SetHandle(HICON value) {
  if (value && value == icon_.Get()) return;
  Clear();
  icon_.Reset(value);
  if (value) {
    ICONINFO info{};
    if (!GetIconInfo(value, &info)) throw EInvalidGraphic("Invalid icon handle");
    TBitmapHandle color(info.hbmColor), mask(info.hbmMask);
    BITMAP bm{};
    GetObjectA(color ? color.Get() : mask.Get(), sizeof bm, &bm);
    width_ = bm.bmWidth;
    height_ = color ? bm.bmHeight : bm.bmHeight / 2;
  }
  Changed();
}

HICON TIcon::ReleaseHandle() {
  Handle();
  HICON h = icon_.Release();
  Clear();
  Changed();
  return h;
}

void TIcon::Draw(TCanvas& canvas, const TRect& rect) {
  HICON h = Handle();
  if (!h) return;
  DrawIconEx(canvas.Handle(), rect.Left, rect.Top, h, rect.Width(), rect.Height(), 0, nullptr, DI_NORMAL);
}

void TIcon::LoadFromStream(TStream& stream) {
  int64_t start = stream.Position();
  int64_t available = stream.Size() - start;
  uint8_t head[6];
  if (available < 6) throw EInvalidGraphic("Icon image is not valid");
  stream.ReadBuffer(head, 6);
  uint16_t count = Get16(head + 4);
  if (Get16(head) != 0 || Get16(head + 2) != 1 || count == 0 || available < 6 + 16 * int64_t(count))
    throw EInvalidGraphic("Icon image is not valid");
  std::vector<uint8_t> dir(16 * size_t(count));
  stream.ReadBuffer(dir.data(), static_cast<int32_t>(dir.size()));
  // The file ends where its last image ends; every image must lie inside the data.
  int64_t end = 6 + int64_t(dir.size());
  int best = -1;
  int bestScore = -1;
  int want = GetSystemMetrics(SM_CXICON);
  for (int i = 0; i < count; ++i) {
    const uint8_t* e = &dir[16 * size_t(i)];
    int64_t size = Get32(e + 8), offset = Get32(e + 12);
    if (size < 40 || offset < 6 + int64_t(dir.size()) || offset + size > available)
      throw EInvalidGraphic("Icon image is not valid");
    end = std::max(end, offset + size);
    int w = e[0] ? e[0] : 256;
    int bits = Get16(e + 6);
    // The system size first, then the largest, then the most colours.
    int score = (w == want ? 1 << 20 : 0) + w * 64 + bits;
    if (score > bestScore) bestScore = score, best = i;
  }
  std::vector<uint8_t> data(static_cast<size_t>(end));
  std::memcpy(data.data(), head, 6);
  std::memcpy(data.data() + 6, dir.data(), dir.size());
  stream.ReadBuffer(data.data() + 6 + dir.size(), static_cast<int32_t>(end - 6 - int64_t(dir.size())));
  const uint8_t* e = &data[6 + 16 * size_t(best)];
  Clear();
  data_ = std::move(data);
  width_ = e[0] ? e[0] : 256;
  height_ = e[1] ? e[1] : 256;
  imageSize_ = Get32(e + 8);
  imageOffset_ = Get32(e + 12);
  Changed();
}

std::vector<uint8_t> TIcon::BuildFromHandle() const {
  ICONINFO info{};
  if (!GetIconInfo(icon_.Get(), &info)) throw EInvalidGraphic("Invalid icon handle");
  TBitmapHandle color(info.hbmColor), mask(info.hbmMask);
  if (!color) throw EInvalidGraphicOperation("Cannot save a monochrome icon");
  int w = width_, h = height_;
  TWindowDc screen(nullptr);
  BITMAPINFOHEADER bih{};
  bih.biSize = sizeof bih;
  bih.biWidth = w;
  bih.biHeight = h;
  bih.biPlanes = 1;
  bih.biBitCount = 32;
  bih.biCompression = BI_RGB;
  std::vector<uint8_t> xorBits(size_t(w) * h * 4);
  GetDIBits(screen.Get(), color.Get(), 0, h, xorBits.data(), reinterpret_cast<BITMAPINFO*>(&bih), DIB_RGB_COLORS);
  struct {
    BITMAPINFOHEADER h;
    RGBQUAD c[2];
  } mbi{};
  mbi.h = bih;
  mbi.h.biBitCount = 1;
  int maskStride = ((w + 31) / 32) * 4;
  std::vector<uint8_t> andBits(size_t(maskStride) * h);
  GetDIBits(screen.Get(), mask.Get(), 0, h, andBits.data(), reinterpret_cast<BITMAPINFO*>(&mbi), DIB_RGB_COLORS);
  // Without alpha in the colour bits the mask decides: opaque where it is 0.
  bool hasAlpha = false;
  for (size_t i = 3; i < xorBits.size(); i += 4) hasAlpha |= xorBits[i] != 0;
  if (!hasAlpha)
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x)
        if (!(andBits[size_t(y) * maskStride + x / 8] & (0x80 >> (x % 8)))) xorBits[(size_t(y) * w + x) * 4 + 3] = 255;

  uint32_t imageSize = 40 + static_cast<uint32_t>(xorBits.size() + andBits.size());
  std::vector<uint8_t> out;
  Put16(out, 0);
  Put16(out, 1);
  Put16(out, 1);
  out.push_back(static_cast<uint8_t>(w >= 256 ? 0 : w));
  out.push_back(static_cast<uint8_t>(h >= 256 ? 0 : h));
  out.push_back(0);
  out.push_back(0);
  Put16(out, 1);
  Put16(out, 32);
  Put32(out, imageSize);
  Put32(out, 22);
  Put32(out, 40);
  Put32(out, static_cast<uint32_t>(w));
  Put32(out, static_cast<uint32_t>(h * 2));
  Put16(out, 1);
  Put16(out, 32);
  for (int i = 0; i < 6; ++i) Put32(out, 0);
  out.insert(out.end(), xorBits.begin(), xorBits.end());
  out.insert(out.end(), andBits.begin(), andBits.end());
  return out;
}

void TIcon::SaveToStream(TStream& stream) {
  if (Empty()) return;
  if (data_.empty()) {
    std::vector<uint8_t> built = BuildFromHandle();
    stream.WriteBuffer(built.data(), static_cast<int32_t>(built.size()));
    return;
  }
  stream.WriteBuffer(data_.data(), static_cast<int32_t>(data_.size()));
}
