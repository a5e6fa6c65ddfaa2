#include "platform/graphics/Metafile.h"

#include <cstring>
#include <vector>

#include "platform/os/WinApi.h"

namespace {
uint16_t Get16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t Get32(const uint8_t* p) { return p[0] | (p[1] << 8) | (p[2] << 16) | (uint32_t(p[3]) << 24); }
constexpr uint32_t kPlaceableKey = 0x9AC6CDD7;
constexpr uint32_t kEmfSignature = 0x464D4520;  // " EMF"

// Metafiles come from files and packages that may be damaged or hostile,
// and the platform's player trusts what the records say about themselves
// (Wine loops on a record without length and reads wherever an offset
// points). So every record must tile the data exactly, and the records
// that carry offsets, counts or object indices must keep them inside the
// record and the handle table.
class TEmfCheck {
public:
  TEmfCheck(const uint8_t* rec, uint32_t size, uint32_t handles) : r_(rec), size_(size), handles_(handles) {}

  uint32_t At(uint32_t offset) const { return offset + 4 <= size_ ? Get32(r_ + offset) : 0; }
  bool Has(uint32_t bytes) const { return bytes <= size_; }
  // count items of itemSize bytes from offset lie inside the record.
  bool Fits(uint64_t offset, uint64_t count, uint64_t itemSize) const { return offset + count * itemSize <= size_; }
  // A new object's slot: 1..handles-1 (0 is the metafile itself).
  bool NewHandle(uint32_t offset) const { return Has(offset + 4) && At(offset) >= 1 && At(offset) < handles_; }
  // A used object: a slot, or a stock object (high bit set).
  bool UsedHandle(uint32_t offset) const {
    return Has(offset + 4) && ((At(offset) & 0x80000000u) || (At(offset) >= 1 && At(offset) < handles_));
  }
  // A bitmap given by header and bits offsets: inside the record, and the
  // bits as many as the header's size needs.
  bool Dib(uint32_t at) const {
    if (!Has(at + 16)) return false;
    uint32_t offBmi = At(at), cbBmi = At(at + 4), offBits = At(at + 8), cbBits = At(at + 12);
    if (cbBmi == 0 && cbBits == 0) return true;
    if (cbBmi < 40 || !Fits(offBmi, cbBmi, 1) || !Fits(offBits, cbBits, 1)) return false;
    const uint8_t* bih = r_ + offBmi;
    uint32_t biSize = Get32(bih);
    int32_t w = static_cast<int32_t>(Get32(bih + 4)), h = static_cast<int32_t>(Get32(bih + 8));
    uint32_t bits = Get16(bih + 14), compression = Get32(bih + 16), used = Get32(bih + 32);
    if (biSize < 40 || biSize > cbBmi || w <= 0 || h == 0 || h == INT32_MIN || w > 0x10000) return false;
    if (compression != 0 && compression != 3) return compression == 1 || compression == 2;  // RLE: length given by cbBits
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) return false;
    uint64_t colors = bits <= 8 ? (used ? used : 1u << bits) : 0;
    if (bits <= 8 && colors > (1u << bits)) return false;
    if (biSize + colors * 4 + (compression == 3 ? 12 : 0) > cbBmi && bits <= 8) return false;
    uint64_t stride = ((uint64_t(w) * bits + 31) / 32) * 4;
    return stride * uint64_t(h < 0 ? -int64_t(h) : h) <= cbBits;
  }
  bool Region(uint32_t sizeAt, uint32_t dataAt) const {
    uint32_t cb = At(sizeAt);
    if (!Fits(dataAt, cb, 1) || cb < 32) return false;
    return 32 + uint64_t(Get32(r_ + dataAt + 8)) * 16 <= cb;  // header, then nCount rectangles
  }

private:
  const uint8_t* r_;
  uint32_t size_;
  uint32_t handles_;
};

constexpr uint32_t kMaxExtent = 0x8000;
uint32_t Abs(uint32_t v) { return static_cast<int32_t>(v) < 0 ? 0u - v : v; }

bool ValidEmfRecord(const TEmfCheck& c, uint32_t type) {
  switch (type) {
    case 2: case 3: case 4: case 5: case 6:  // poly..., 32-bit points
      return c.Has(28) && c.Fits(28, c.At(24), 8);
    case 85: case 86: case 87: case 88: case 89:  // the same with 16-bit points
      return c.Has(28) && c.Fits(28, c.At(24), 4);
    case 7: case 8: case 90: case 91: {  // polypolyline, polypolygon
      uint32_t polys = c.At(24), points = c.At(28), pointSize = type >= 90 ? 4 : 8;
      if (!c.Has(32) || !c.Fits(32, polys, 4) || !c.Fits(32 + uint64_t(polys) * 4, points, pointSize)) return false;
      uint64_t sum = 0;
      for (uint32_t i = 0; i < polys; ++i) sum += c.At(32 + 4 * i);
      return sum <= points;
    }
    case 56: return c.Has(28) && c.Fits(28, c.At(24), 9);  // polydraw: points and types
    case 92: return c.Has(28) && c.Fits(28, c.At(24), 5);
    case 37: case 40: case 48: return c.UsedHandle(8);  // select, delete object; select palette
    // Pens and fonts of absurd size take the player minutes to draw.
    case 38: return c.NewHandle(8) && c.Has(28) && c.At(16) <= kMaxExtent;  // create pen

    case 39: return c.NewHandle(8) && c.Has(24);  // create brush
    case 82:  // create font
      return c.NewHandle(8) && c.Has(104) && Abs(c.At(12)) <= kMaxExtent && Abs(c.At(16)) <= kMaxExtent;
    case 49: return c.NewHandle(8) && c.Has(16) && c.Fits(16, c.At(12) >> 16, 4);  // create palette
    case 50: return c.UsedHandle(8) && c.Has(20) && c.Fits(20, c.At(16), 4);  // set palette entries
    case 51: return c.UsedHandle(8);
    case 93: case 94: return c.NewHandle(8) && c.Dib(16);  // mono / DIB pattern brush
    case 95:  // ext pen
      return c.NewHandle(8) && c.Dib(12) && c.Has(52) && c.At(32) <= kMaxExtent && c.Fits(52, c.At(48), 4);
    case 76: case 77: return c.Has(100) && c.Dib(84);  // bitblt, stretchblt
    case 78: return c.Has(128) && c.Dib(84) && c.Dib(112);  // maskblt
    case 79: return c.Has(140) && c.Dib(96) && c.Dib(124);  // plgblt
    case 80: return c.Has(76) && c.Dib(48);  // set DI bits
    case 81: return c.Has(80) && c.Dib(48);  // stretch DI bits
    case 83: case 84: {  // ext text out A / W
      uint32_t chars = c.At(44), offString = c.At(48), offDx = c.At(72);
      return c.Has(76) && c.Fits(offString, chars, type == 84 ? 2 : 1) && (!offDx || c.Fits(offDx, chars, 4));
    }
    case 96: case 97: return false;  // poly text out: not produced by this system
    case 71: return c.UsedHandle(28) && c.Region(24, 32);  // fill region
    case 72: return c.UsedHandle(28) && c.Region(24, 40);  // frame region
    case 73: case 74: return c.Region(24, 28);              // invert, paint region
    case 75: return c.At(8) == 0 ? c.Has(16) : c.Region(8, 16);  // select clip region (0: default clip)
    default: return true;
  }
}

bool ValidEmfRecords(const std::vector<uint8_t>& data) {
  size_t at = 0, n = data.size();
  uint32_t type = 0, records = 0, handles = 0;
  while (at + 8 <= n) {
    type = Get32(&data[at]);
    uint32_t size = Get32(&data[at + 4]);
    if (size < 8 || size % 4 || size > n - at || type == 0 || type > 122) return false;
    if (at == 0) {
      // The header: the whole length, a handle table, a description inside.
      if (type != 1 || size < 88 || Get32(&data[48]) != n) return false;
      handles = Get16(&data[56]);
      // The reference device and the frame: sizes a screen or printer can
      // have (extreme ones make the player scale everything beyond reach).
      for (size_t field : {72u, 76u, 80u, 84u})
        if (Get32(&data[field]) < 1 || Get32(&data[field]) > 0x10000) return false;
      for (size_t field = 8; field < 40; field += 4)
        if (Abs(Get32(&data[field])) > 0x1000000) return false;
      uint32_t descChars = Get32(&data[60]), descAt = Get32(&data[64]);
      if (handles < 1 || (descChars && uint64_t(descAt) + uint64_t(descChars) * 2 > size)) return false;
    } else if (type == 1 || !ValidEmfRecord(TEmfCheck(&data[at], size, handles), type)) {
      return false;
    }
    ++records;
    at += size;
  }
  return at == n && type == 14 && records == Get32(&data[52]);  // EMR_EOF last, as many as counted
}

// A bitmap inside a WMF record: header, colours and bits within the record.
bool ValidWmfDib(const uint8_t* p, size_t bytes) {
  if (bytes < 40) return false;
  uint32_t biSize = Get32(p);
  int32_t w = static_cast<int32_t>(Get32(p + 4)), h = static_cast<int32_t>(Get32(p + 8));
  uint32_t bits = Get16(p + 14), compression = Get32(p + 16), used = Get32(p + 32);
  if (biSize < 40 || biSize > bytes || w <= 0 || w > 0x10000 || h == 0 || h == INT32_MIN) return false;
  if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) return false;
  if (compression != 0 && compression != 3) return false;
  uint64_t colors = bits <= 8 ? (used ? used : 1u << bits) : (compression == 3 ? 3 : 0);
  if (bits <= 8 && colors > (1u << bits)) return false;
  uint64_t stride = ((uint64_t(w) * bits + 31) / 32) * 4;
  return biSize + colors * 4 + stride * uint64_t(h < 0 ? -int64_t(h) : h) <= bytes;
}

// The same care for the older format, which the platform turns into an
// enhanced metafile by playing it: object indices inside the object table,
// arrays and bitmaps inside their records. Regions are refused.
bool ValidWmfRecord(const uint8_t* r, uint32_t words, uint16_t function, uint32_t objects) {
  auto parm = [&](uint32_t i) -> uint32_t { return 3 + i < words ? Get16(r + 6 + 2 * i) : 0xFFFFFFFFu; };
  auto object = [&](uint32_t i) { return parm(i) < objects; };
  uint64_t params = words - 3;
  switch (function) {
    case 0x012D: case 0x01F0: case 0x0234: case 0x012C: case 0x012A: case 0x012B: case 0x0139:
      return object(0);  // select, delete, select palette, clip, invert, paint region, resize palette
    case 0x0228: case 0x0429: return object(0) && object(1);  // fill, frame region
    case 0x0324: case 0x0325: return params >= 1 && 1 + 2 * uint64_t(parm(0)) <= params;  // polygon, polyline
    case 0x0538: {  // polypolygon
      uint32_t polys = parm(0);
      if (params < 1 || 1 + uint64_t(polys) > params) return false;
      uint64_t points = 0;
      for (uint32_t i = 0; i < polys; ++i) points += parm(1 + i);
      return 1 + polys + 2 * points <= params;
    }
    case 0x0521: return params >= 1 && 1 + (uint64_t(parm(0)) + 1) / 2 + 2 <= params;  // text out
    case 0x0a32: {  // ext text out: y, x, count, options, [rect], string
      if (params < 4) return false;
      uint64_t need = 4 + ((parm(3) & 0x0006) ? 4 : 0) + (uint64_t(parm(2)) + 1) / 2;
      return need <= params;
    }
    case 0x00f7: return params >= 2 && 2 + 2 * uint64_t(parm(1)) <= params;  // create palette
    case 0x0037: case 0x0436: return object(0) || (params >= 2 && 2 + 2 * uint64_t(parm(1)) <= params);
    case 0x0940: return params <= 9 || ValidWmfDib(r + 6 + 16, (params - 8) * 2);   // DIB bitblt
    case 0x0b41: return params <= 11 || ValidWmfDib(r + 6 + 20, (params - 10) * 2);  // DIB stretchblt
    case 0x0f43: return params > 11 && ValidWmfDib(r + 6 + 22, (params - 11) * 2);  // stretch DIB
    case 0x0d33: return params > 9 && ValidWmfDib(r + 6 + 18, (params - 9) * 2);    // set DIB to device
    case 0x0142: return params > 2 && (parm(0) != 5 || ValidWmfDib(r + 6 + 4, (params - 2) * 2));  // DIB brush
    case 0x06ff: return false;  // create region
    default: return true;
  }
}

bool ValidWmfRecords(const std::vector<uint8_t>& data) {
  size_t at = 18, n = data.size();
  uint32_t objects = Get16(&data[10]), maxRecord = Get32(&data[12]);
  uint16_t function = 1;
  while (at + 6 <= n) {
    uint32_t words = Get32(&data[at]);
    function = Get16(&data[at + 4]);
    if (words < 3 || words > (n - at) / 2 || words > maxRecord) return false;
    if (!ValidWmfRecord(&data[at], words, function, objects)) return false;
    at += size_t(words) * 2;
    if (function == 0) break;
  }
  return function == 0;
}
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
    width_ = static_cast<int32_t>(int64_t(h.rclFrame.right - h.rclFrame.left) * h.szlDevice.cx / (int64_t(h.szlMillimeters.cx) * 100));
    height_ = static_cast<int32_t>(int64_t(h.rclFrame.bottom - h.rclFrame.top) * h.szlDevice.cy / (int64_t(h.szlMillimeters.cy) * 100));
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
    if (!ValidEmfRecords(data)) throw EInvalidGraphic("Metafile is not valid");
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
    if (!ValidWmfRecords(data)) throw EInvalidGraphic("Metafile is not valid");
    h = SetWinMetaFileBits(static_cast<UINT>(data.size()), data.data(), nullptr, placeable ? &pict : nullptr);
    // The conversion may take an enhanced metafile embedded in comments
    // as it stands: that one is checked like any other.
    if (h) {
      TEnhMetaFileHandle converted(h);
      UINT size = GetEnhMetaFileBits(h, 0, nullptr);
      std::vector<uint8_t> emf(size);
      if (!size || GetEnhMetaFileBits(h, size, emf.data()) != size || !ValidEmfRecords(emf))
        throw EInvalidGraphic("Metafile is not valid");
      h = converted.Release();
    }
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
