#include "platform/graphics/Metafile.h"

#include <cstring>
#include <vector>

#include "platform/os/WinApi.h"

namespace {
uint16_t Get16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t Get32(const uint8_t* p) { return p[0] | (p[1] << 8) | (p[2] << 16) | (uint32_t(p[3]) << 24); }
constexpr uint32_t kPlaceableKey = 0x9AC6CDD7;
constexpr uint32_t kEmfSignature = 0x464D4520;  // " EMF"
}  // namespace

TMetafile::TMetafile() = default;
TMetafile::~TMetafile() = default;

void TMetafile::Assign(const TPersistent* source) {
  if (source == this) return;
  if (!source) {
    SetHandle(nullptr);
    return;
  }
  auto* src = dynamic_cast<const TMetafile*>(source);
  if (!src) {
    inherited::Assign(source);
    return;
  }
  handle_.Reset(src->handle_ ? CopyEnhMetaFileA(src->handle_.Get(), nullptr) : nullptr);
  width_ = src->width_;
  height_ = src->height_;
  Changed();
}

void TMetafile::SetWidth(int32_t value) {
  if (value == width_) return;
  width_ = value;
  Changed();
}

void TMetafile::SetHeight(int32_t value) {
  if (value == height_) return;
  height_ = value;
  Changed();
}

void TMetafile::TakeSizeFromHeader() {
  width_ = height_ = 0;
  ENHMETAHEADER h{};
  if (!handle_ || !GetEnhMetaFileHeader(handle_.Get(), sizeof h, &h)) return;
  // The frame is in 0.01 mm; the reference device says how many pixels a millimetre has.
  if (h.szlMillimeters.cx > 0 && h.szlMillimeters.cy > 0) {
    width_ = MulDiv(h.rclFrame.right - h.rclFrame.left, h.szlDevice.cx, h.szlMillimeters.cx * 100);
    height_ = MulDiv(h.rclFrame.bottom - h.rclFrame.top, h.szlDevice.cy, h.szlMillimeters.cy * 100);
  }
}

void TMetafile::SetHandle(HENHMETAFILE value) {
  if (value && value == handle_.Get()) return;
  handle_.Reset(value);
  TakeSizeFromHeader();
  Changed();
}

HENHMETAFILE TMetafile::ReleaseHandle() {
  HENHMETAFILE h = handle_.Release();
  width_ = height_ = 0;
  Changed();
  return h;
}

void TMetafile::Draw(TCanvas& canvas, const TRect& rect) {
  if (!handle_) return;
  PlayEnhMetaFile(canvas.Handle(), handle_.Get(), reinterpret_cast<const RECT*>(&rect));
}

void TMetafile::LoadFromStream(TStream& stream) {
  int64_t available = stream.Size() - stream.Position();
  uint8_t head[22]{};
  if (available < 18) throw EInvalidGraphic("Metafile is not valid");
  stream.ReadBuffer(head, 18);
  HENHMETAFILE h = nullptr;
  if (Get32(head) == 1 && available >= 88) {
    // EMF: the header record says how long the whole file is.
    std::vector<uint8_t> data(88);
    std::memcpy(data.data(), head, 18);
    stream.ReadBuffer(data.data() + 18, 88 - 18);
    uint32_t bytes = Get32(&data[48]);
    if (Get32(&data[40]) != kEmfSignature || bytes < 88 || bytes > available)
      throw EInvalidGraphic("Metafile is not valid");
    data.resize(bytes);
    stream.ReadBuffer(data.data() + 88, static_cast<int32_t>(bytes - 88));
    h = SetEnhMetaFileBits(bytes, data.data());
  } else {
    METAFILEPICT pict{};
    bool placeable = Get32(head) == kPlaceableKey;
    size_t skip = 0;
    if (placeable) {
      if (available < 22 + 18) throw EInvalidGraphic("Metafile is not valid");
      stream.ReadBuffer(head + 18, 4);
      int inch = Get16(head + 14);
      if (inch <= 0) inch = 1440;
      int w = static_cast<int16_t>(Get16(head + 10)) - static_cast<int16_t>(Get16(head + 6));
      int hgt = static_cast<int16_t>(Get16(head + 12)) - static_cast<int16_t>(Get16(head + 8));
      pict.mm = MM_ANISOTROPIC;
      pict.xExt = MulDiv(w, 2540, inch);
      pict.yExt = MulDiv(hgt, 2540, inch);
      skip = 22;
    }
    uint8_t mh[18];
    if (placeable) stream.ReadBuffer(mh, 18);
    else std::memcpy(mh, head, 18);
    uint32_t words = Get32(mh + 6);
    uint16_t type = Get16(mh), headerWords = Get16(mh + 2);
    if ((type != 1 && type != 2) || headerWords != 9 || words < 9 || int64_t(words) * 2 > available - int64_t(skip))
      throw EInvalidGraphic("Metafile is not valid");
    std::vector<uint8_t> data(size_t(words) * 2);
    std::memcpy(data.data(), mh, 18);
    stream.ReadBuffer(data.data() + 18, static_cast<int32_t>(data.size() - 18));
    h = SetWinMetaFileBits(static_cast<UINT>(data.size()), data.data(), nullptr, placeable ? &pict : nullptr);
  }
  if (!h) throw EInvalidGraphic("Metafile is not valid");
  handle_.Reset(h);
  TakeSizeFromHeader();
  Changed();
}

void TMetafile::SaveToStream(TStream& stream) {
  if (!handle_) return;
  UINT size = GetEnhMetaFileBits(handle_.Get(), 0, nullptr);
  std::vector<uint8_t> data(size);
  if (!size || GetEnhMetaFileBits(handle_.Get(), size, data.data()) != size)
    throw EInvalidGraphicOperation("Cannot read the metafile");
  stream.WriteBuffer(data.data(), static_cast<int32_t>(size));
}

TMetafileCanvas::TMetafileCanvas(TMetafile& metafile, HDC reference) : metafile_(metafile) {
  TWindowDc screen(nullptr);
  HDC ref = reference ? reference : screen.Get();
  RECT frame{};
  const RECT* framePtr = nullptr;
  if (metafile.Width() > 0 && metafile.Height() > 0) {
    // Pixels to 0.01 mm at the reference device's resolution.
    frame.right = MulDiv(metafile.Width(), GetDeviceCaps(ref, HORZSIZE) * 100, GetDeviceCaps(ref, HORZRES));
    frame.bottom = MulDiv(metafile.Height(), GetDeviceCaps(ref, VERTSIZE) * 100, GetDeviceCaps(ref, VERTRES));
    framePtr = &frame;
  }
  recording_ = CreateEnhMetaFileA(reference, nullptr, framePtr, nullptr);
  if (!recording_) throw EOutOfResources("Cannot record a metafile");
  SetHandle(recording_);
}

TMetafileCanvas::~TMetafileCanvas() {
  int32_t w = metafile_.Width(), h = metafile_.Height();
  SetHandle(nullptr);
  metafile_.SetHandle(CloseEnhMetaFile(recording_));
  // A size given before recording stays the metafile's size.
  if (w > 0 && h > 0) {
    metafile_.SetWidth(w);
    metafile_.SetHeight(h);
  }
}
