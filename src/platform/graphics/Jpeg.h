// JPEG pictures through libjpeg: the compressed bytes are kept as read and
// decoded to a 24-bit bitmap on first draw; a bitmap assigned in is
// compressed when the picture is saved.
#pragma once

#include <functional>

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Graphic.h"

// A JPEG stream that libjpeg could not read or write.
class EJPEG : public EInvalidGraphic { using EInvalidGraphic::EInvalidGraphic; };

// Decoding at 1/1, 1/2, 1/4 or 1/8 of the size.
KY_ENUM(TJPEGScale, uint8_t, jsFullSize, jsHalf, jsQuarter, jsEighth)
KY_ENUM(TJPEGPerformance, uint8_t, jpBestQuality, jpBestSpeed)

class TJPEGImage : public TGraphic {
  KY_CLASS(TJPEGImage, TGraphic)
public:
  TJPEGImage();
  ~TJPEGImage() override;

  // From a TJPEGImage: its data and settings; from a TBitmap: its pixels,
  // compressed when saved.
  void Assign(const TPersistent* source) override;

  bool Empty() const override { return data_.empty() && !bitmap_; }
  // The size decoding gives, after Scale.
  int32_t Width() const override;
  int32_t Height() const override;

  // 1..100, for compressing.
  int32_t CompressionQuality() const { return quality_; }
  void SetCompressionQuality(int32_t value);
  // Decode (and encode) as shades of grey.
  bool Grayscale() const { return grayscale_; }
  void SetGrayscale(bool value);
  TJPEGScale Scale() const { return scale_; }
  void SetScale(TJPEGScale value);
  TJPEGPerformance Performance() const { return performance_; }
  void SetPerformance(TJPEGPerformance value);
  bool ProgressiveEncoding() const { return progressive_; }
  void SetProgressiveEncoding(bool value);

  // The decoded picture (pf24bit); decodes on first use. Raises EJPEG on
  // data libjpeg cannot decode.
  TBitmap* Bitmap();
  // Told while decoding, every few rows and at the end, with the picture as
  // far as it is decoded (the rows below not yet written).
  using TProgress = std::function<void(TBitmap& partial, int32_t rowsDone, int32_t rows)>;
  TProgress OnProgress;
  // Compresses the assigned bitmap now, when there is no data yet.
  void Compress();
  // The compressed bytes (compressing first when needed).
  const std::vector<uint8_t>& Data();

  void Draw(TCanvas& canvas, const TRect& rect) override;
  // Reads to the end of the stream; the header is checked at once.
  void LoadFromStream(TStream& stream) override;
  void SaveToStream(TStream& stream) override;

protected:
  void AssignTo(TPersistent* dest) const override;

private:
  void DropBitmap();
  void ReadHeader();

  std::vector<uint8_t> data_;
  std::unique_ptr<TBitmap> bitmap_;
  int32_t imageWidth_ = 0;   // full size, from the header
  int32_t imageHeight_ = 0;
  int32_t quality_ = 90;
  bool grayscale_ = false;
  TJPEGScale scale_ = jsFullSize;
  TJPEGPerformance performance_ = jpBestQuality;
  bool progressive_ = false;
};

// Whether data begins like a JPEG stream (the SOI marker FF D8 FF).
bool IsJpegData(const void* data, size_t size);
