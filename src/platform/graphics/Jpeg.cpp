#include "platform/graphics/Jpeg.h"

#include <csetjmp>
#include <cstdio>
#include <cstring>

#include "platform/os/WinApi.h"

#include <jpeglib.h>
#include <jerror.h>

// libjpeg reports fatal errors through error_exit, which must not return:
// it longjmps back to the function that started the work. Those functions
// keep every C++ object outside the jump's reach (made before setjmp, with
// nothing but libjpeg's C frames between the call and the jump) and throw
// from the landing branch, so no destructor is skipped.

namespace {

struct TErrorMgr {
  jpeg_error_mgr Pub;
  std::jmp_buf Jump;
  char Message[JMSG_LENGTH_MAX];
};

[[noreturn]] void ErrorExit(j_common_ptr cinfo) {
  auto* err = reinterpret_cast<TErrorMgr*>(cinfo->err);
  (*cinfo->err->format_message)(cinfo, err->Message);
  std::longjmp(err->Jump, 1);
}

// Warnings are tolerated, except data that ends before the image does.
void EmitMessage(j_common_ptr cinfo, int level) {
  if (level < 0) {
    if (cinfo->err->msg_code == JWRN_JPEG_EOF) ErrorExit(cinfo);
    cinfo->err->num_warnings++;
  }
}

void OutputMessage(j_common_ptr) {}

void InitError(TErrorMgr& err) {
  jpeg_std_error(&err.Pub);
  err.Pub.error_exit = ErrorExit;
  err.Pub.emit_message = EmitMessage;
  err.Pub.output_message = OutputMessage;
  err.Message[0] = 0;
}

// ---- A source reading a TStream ----

struct TSourceMgr {
  jpeg_source_mgr Pub;
  TStream* Stream;
  JOCTET Buffer[4096];
};

void InitSource(j_decompress_ptr) {}

boolean FillInputBuffer(j_decompress_ptr cinfo) {
  auto* src = reinterpret_cast<TSourceMgr*>(cinfo->src);
  int32_t n = 0;
  try {
    n = src->Stream->Read(src->Buffer, sizeof src->Buffer);
  } catch (...) {
    n = 0;
  }
  if (n <= 0) {
    // The usual answer to an early end: a warning and a fake end marker.
    WARNMS(cinfo, JWRN_JPEG_EOF);
    src->Buffer[0] = 0xFF;
    src->Buffer[1] = JPEG_EOI;
    n = 2;
  }
  src->Pub.next_input_byte = src->Buffer;
  src->Pub.bytes_in_buffer = static_cast<size_t>(n);
  return TRUE;
}

void SkipInputData(j_decompress_ptr cinfo, long count) {
  auto* src = reinterpret_cast<TSourceMgr*>(cinfo->src);
  while (count > static_cast<long>(src->Pub.bytes_in_buffer)) {
    count -= static_cast<long>(src->Pub.bytes_in_buffer);
    FillInputBuffer(cinfo);
  }
  if (count > 0) {
    src->Pub.next_input_byte += count;
    src->Pub.bytes_in_buffer -= static_cast<size_t>(count);
  }
}

void TermSource(j_decompress_ptr) {}

void SetSource(j_decompress_ptr cinfo, TSourceMgr& src, TStream& stream) {
  src.Stream = &stream;
  src.Pub.init_source = InitSource;
  src.Pub.fill_input_buffer = FillInputBuffer;
  src.Pub.skip_input_data = SkipInputData;
  src.Pub.resync_to_restart = jpeg_resync_to_restart;
  src.Pub.term_source = TermSource;
  src.Pub.bytes_in_buffer = 0;
  src.Pub.next_input_byte = nullptr;
  cinfo->src = &src.Pub;
}

// ---- A destination writing a TStream ----

struct TDestMgr {
  jpeg_destination_mgr Pub;
  TStream* Stream;
  JOCTET Buffer[4096];
};

void InitDestination(j_compress_ptr cinfo) {
  auto* dest = reinterpret_cast<TDestMgr*>(cinfo->dest);
  dest->Pub.next_output_byte = dest->Buffer;
  dest->Pub.free_in_buffer = sizeof dest->Buffer;
}

bool WriteOut(TDestMgr* dest, size_t count) {
  try {
    dest->Stream->WriteBuffer(dest->Buffer, static_cast<int32_t>(count));
    return true;
  } catch (...) {
    return false;
  }
}

boolean EmptyOutputBuffer(j_compress_ptr cinfo) {
  auto* dest = reinterpret_cast<TDestMgr*>(cinfo->dest);
  if (!WriteOut(dest, sizeof dest->Buffer)) ERREXIT(cinfo, JERR_FILE_WRITE);
  dest->Pub.next_output_byte = dest->Buffer;
  dest->Pub.free_in_buffer = sizeof dest->Buffer;
  return TRUE;
}

void TermDestination(j_compress_ptr cinfo) {
  auto* dest = reinterpret_cast<TDestMgr*>(cinfo->dest);
  size_t count = sizeof dest->Buffer - dest->Pub.free_in_buffer;
  if (count && !WriteOut(dest, count)) ERREXIT(cinfo, JERR_FILE_WRITE);
}

// ---- A read-only stream over bytes, for decoding without a copy ----

class TByteStream : public TStream {
public:
  TByteStream(const uint8_t* data, size_t size) : data_(data), size_(static_cast<int64_t>(size)) {}
  int32_t Read(void* buffer, int32_t count) override {
    int64_t n = std::min<int64_t>(count, size_ - pos_);
    if (n <= 0) return 0;
    std::memcpy(buffer, data_ + pos_, static_cast<size_t>(n));
    pos_ += n;
    return static_cast<int32_t>(n);
  }
  int32_t Write(const void*, int32_t) override { return 0; }
  int64_t Seek(int64_t offset, TSeekOrigin origin) override {
    int64_t base = origin == soBeginning ? 0 : origin == soCurrent ? pos_ : size_;
    pos_ = std::clamp<int64_t>(base + offset, 0, size_);
    return pos_;
  }

private:
  const uint8_t* data_;
  int64_t size_;
  int64_t pos_ = 0;
};

struct TDecompressGuard {
  jpeg_decompress_struct* Info;
  ~TDecompressGuard() { jpeg_destroy_decompress(Info); }
};
struct TCompressGuard {
  jpeg_compress_struct* Info;
  ~TCompressGuard() { jpeg_destroy_compress(Info); }
};

struct TDecodeOptions {
  bool Grayscale;
  TJPEGScale Scale;
  TJPEGPerformance Performance;
};

void ReadSize(TStream& stream, int32_t& width, int32_t& height) {
  jpeg_decompress_struct cinfo;
  TErrorMgr err;
  TSourceMgr src;
  InitError(err);
  cinfo.err = &err.Pub;
  jpeg_create_decompress(&cinfo);
  TDecompressGuard guard{&cinfo};
  if (setjmp(err.Jump)) throw EJPEG(std::string("JPEG error: ") + err.Message);
  SetSource(&cinfo, src, stream);
  jpeg_read_header(&cinfo, TRUE);
  width = static_cast<int32_t>(cinfo.image_width);
  height = static_cast<int32_t>(cinfo.image_height);
}

// Rows between two progress reports.
constexpr JDIMENSION kProgressRows = 16;

void Decode(TStream& stream, const TDecodeOptions& options, TBitmap& out, const TJPEGImage::TProgress* progress) {
  jpeg_decompress_struct cinfo;
  TErrorMgr err;
  TSourceMgr src;
  InitError(err);
  cinfo.err = &err.Pub;
  jpeg_create_decompress(&cinfo);
  TDecompressGuard guard{&cinfo};
  if (setjmp(err.Jump)) throw EJPEG(std::string("JPEG error: ") + err.Message);
  SetSource(&cinfo, src, stream);
  jpeg_read_header(&cinfo, TRUE);
  bool cmyk = cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK;
  bool gray = options.Grayscale || cinfo.jpeg_color_space == JCS_GRAYSCALE;
  // libjpeg gives blue-green-red rows straight into the bitmap, except for
  // grey and CMYK, which go through a row of their own.
  cinfo.out_color_space = cmyk ? JCS_CMYK : gray ? JCS_GRAYSCALE : JCS_EXT_BGR;
  cinfo.scale_num = 1;
  cinfo.scale_denom = 1u << options.Scale;
  if (options.Performance == jpBestSpeed) {
    cinfo.dct_method = JDCT_IFAST;
    cinfo.do_fancy_upsampling = FALSE;
  }
  jpeg_start_decompress(&cinfo);
  out.SetPixelFormat(pf24bit);
  out.SetSize(static_cast<int32_t>(cinfo.output_width), static_cast<int32_t>(cinfo.output_height));
  JSAMPARRAY row = nullptr;
  if (cinfo.out_color_space != JCS_EXT_BGR)
    row = (*cinfo.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&cinfo), JPOOL_IMAGE,
                                      cinfo.output_width * cinfo.output_components, 1);
  // An Adobe CMYK stream stores its channels inverted.
  bool inverted = cinfo.saw_Adobe_marker;
  while (cinfo.output_scanline < cinfo.output_height) {
    if (progress && cinfo.output_scanline > 0 && cinfo.output_scanline % kProgressRows == 0)
      (*progress)(out, static_cast<int32_t>(cinfo.output_scanline), static_cast<int32_t>(cinfo.output_height));
    auto* line = static_cast<uint8_t*>(out.ScanLine(static_cast<int32_t>(cinfo.output_scanline)));
    if (!row) {
      JSAMPROW target = line;
      jpeg_read_scanlines(&cinfo, &target, 1);
      continue;
    }
    jpeg_read_scanlines(&cinfo, row, 1);
    const JSAMPLE* in = row[0];
    for (JDIMENSION x = 0; x < cinfo.output_width; ++x) {
      if (cinfo.out_color_space == JCS_GRAYSCALE) {
        line[3 * x] = line[3 * x + 1] = line[3 * x + 2] = in[x];
        continue;
      }
      int c = in[4 * x], m = in[4 * x + 1], y = in[4 * x + 2], k = in[4 * x + 3];
      if (!inverted) c = 255 - c, m = 255 - m, y = 255 - y, k = 255 - k;
      line[3 * x + 2] = static_cast<uint8_t>(c * k / 255);
      line[3 * x + 1] = static_cast<uint8_t>(m * k / 255);
      line[3 * x] = static_cast<uint8_t>(y * k / 255);
    }
  }
  jpeg_finish_decompress(&cinfo);
}

void Encode(TBitmap& bitmap, int quality, bool grayscale, bool progressive, TStream& stream) {
  jpeg_compress_struct cinfo;
  TErrorMgr err;
  TDestMgr dest;
  InitError(err);
  cinfo.err = &err.Pub;
  jpeg_create_compress(&cinfo);
  TCompressGuard guard{&cinfo};
  if (setjmp(err.Jump)) throw EJPEG(std::string("JPEG error: ") + err.Message);
  dest.Stream = &stream;
  dest.Pub.init_destination = InitDestination;
  dest.Pub.empty_output_buffer = EmptyOutputBuffer;
  dest.Pub.term_destination = TermDestination;
  cinfo.dest = &dest.Pub;
  cinfo.image_width = static_cast<JDIMENSION>(bitmap.Width());
  cinfo.image_height = static_cast<JDIMENSION>(bitmap.Height());
  cinfo.input_components = 3;
  cinfo.in_color_space = JCS_EXT_BGR;
  jpeg_set_defaults(&cinfo);
  if (grayscale) jpeg_set_colorspace(&cinfo, JCS_GRAYSCALE);
  jpeg_set_quality(&cinfo, quality, TRUE);
  if (progressive) jpeg_simple_progression(&cinfo);
  jpeg_start_compress(&cinfo, TRUE);
  while (cinfo.next_scanline < cinfo.image_height) {
    JSAMPROW row = static_cast<JSAMPROW>(bitmap.ScanLine(static_cast<int32_t>(cinfo.next_scanline)));
    jpeg_write_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_compress(&cinfo);
}

int32_t Scaled(int32_t size, TJPEGScale scale) {
  int32_t d = 1 << scale;
  return (size + d - 1) / d;
}

}  // namespace

bool IsJpegData(const void* data, size_t size) {
  auto* p = static_cast<const uint8_t*>(data);
  return size >= 3 && p[0] == 0xFF && p[1] == 0xD8 && p[2] == 0xFF;
}

TJPEGImage::TJPEGImage() = default;
TJPEGImage::~TJPEGImage() = default;

void TJPEGImage::Assign(const TPersistent* source) {
  if (source == this) return;
  if (!source) {
    data_.clear();
    bitmap_.reset();
    imageWidth_ = imageHeight_ = 0;
    Changed();
    return;
  }
  if (auto* src = dynamic_cast<const TJPEGImage*>(source)) {
    data_ = src->data_;
    imageWidth_ = src->imageWidth_;
    imageHeight_ = src->imageHeight_;
    quality_ = src->quality_;
    grayscale_ = src->grayscale_;
    scale_ = src->scale_;
    performance_ = src->performance_;
    progressive_ = src->progressive_;
    bitmap_.reset();
    if (src->bitmap_) {
      bitmap_ = std::make_unique<TBitmap>();
      bitmap_->Assign(src->bitmap_.get());
    }
    Changed();
    return;
  }
  if (auto* bmp = dynamic_cast<const TBitmap*>(source)) {
    auto copy = std::make_unique<TBitmap>();
    copy->Assign(bmp);
    copy->SetPixelFormat(pf24bit);
    data_.clear();
    bitmap_ = std::move(copy);
    imageWidth_ = bitmap_->Width();
    imageHeight_ = bitmap_->Height();
    scale_ = jsFullSize;
    Changed();
    return;
  }
  inherited::Assign(source);
}

void TJPEGImage::AssignTo(TPersistent* dest) const {
  if (auto* bmp = dynamic_cast<TBitmap*>(dest)) {
    bmp->Assign(const_cast<TJPEGImage*>(this)->Bitmap());
    return;
  }
  inherited::AssignTo(dest);
}

int32_t TJPEGImage::Width() const {
  if (data_.empty()) return bitmap_ ? bitmap_->Width() : 0;
  return Scaled(imageWidth_, scale_);
}

int32_t TJPEGImage::Height() const {
  if (data_.empty()) return bitmap_ ? bitmap_->Height() : 0;
  return Scaled(imageHeight_, scale_);
}

void TJPEGImage::DropBitmap() {
  // Without compressed data the bitmap is the picture itself.
  if (!data_.empty()) bitmap_.reset();
}

void TJPEGImage::SetCompressionQuality(int32_t value) {
  value = std::clamp(value, 1, 100);
  if (value == quality_) return;
  quality_ = value;
  Changed();
}

void TJPEGImage::SetGrayscale(bool value) {
  if (value == grayscale_) return;
  grayscale_ = value;
  DropBitmap();
  Changed();
}

void TJPEGImage::SetScale(TJPEGScale value) {
  if (value == scale_) return;
  scale_ = value;
  DropBitmap();
  Changed();
}

void TJPEGImage::SetPerformance(TJPEGPerformance value) {
  if (value == performance_) return;
  performance_ = value;
  DropBitmap();
  Changed();
}

void TJPEGImage::SetProgressiveEncoding(bool value) {
  if (value == progressive_) return;
  progressive_ = value;
  Changed();
}

TBitmap* TJPEGImage::Bitmap() {
  if (!bitmap_ && !data_.empty()) {
    auto bmp = std::make_unique<TBitmap>();
    TByteStream stream(data_.data(), data_.size());
    Decode(stream, {grayscale_, scale_, performance_}, *bmp, OnProgress ? &OnProgress : nullptr);
    if (OnProgress) OnProgress(*bmp, bmp->Height(), bmp->Height());
    bitmap_ = std::move(bmp);
  }
  return bitmap_.get();
}

void TJPEGImage::Compress() {
  if (!data_.empty() || !bitmap_ || bitmap_->Empty()) return;
  TMemoryStream out;
  Encode(*bitmap_, quality_, grayscale_, progressive_, out);
  data_ = std::move(out.Data());
}

const std::vector<uint8_t>& TJPEGImage::Data() {
  Compress();
  return data_;
}

void TJPEGImage::Draw(TCanvas& canvas, const TRect& rect) {
  if (TBitmap* bmp = Bitmap()) bmp->Draw(canvas, rect);
}

void TJPEGImage::LoadFromStream(TStream& stream) {
  int64_t size = stream.Size() - stream.Position();
  if (size <= 0 || size > 0x7FFFFFFF) throw EJPEG("JPEG error: no image data");
  std::vector<uint8_t> data(static_cast<size_t>(size));
  stream.ReadBuffer(data.data(), static_cast<int32_t>(size));
  int32_t w = 0, h = 0;
  TByteStream header(data.data(), data.size());
  ReadSize(header, w, h);
  data_ = std::move(data);
  imageWidth_ = w;
  imageHeight_ = h;
  bitmap_.reset();
  Changed();
}

void TJPEGImage::SaveToStream(TStream& stream) {
  const std::vector<uint8_t>& data = Data();
  if (!data.empty()) stream.WriteBuffer(data.data(), static_cast<int32_t>(data.size()));
}
