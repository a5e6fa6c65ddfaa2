// A bitmap held as a DIB section: its pixels are memory the program can
// reach row by row (ScanLine) and a canvas draws on them through a memory
// DC of its own. Reads and writes BMP files.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/graphics/Canvas.h"
#include "platform/graphics/Graphic.h"

// pfDevice is kept as 32 bits per pixel, like pf32bit; pf15bit is 5-5-5,
// pf16bit 5-6-5.
KY_ENUM(TPixelFormat, uint8_t, pfDevice, pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit)
// tmAuto: the transparent colour is the bottom-left pixel; tmFixed: the one set.
KY_ENUM(TTransparentMode, uint8_t, tmAuto, tmFixed)

int32_t PixelFormatBits(TPixelFormat format);

class TBitmap : public TGraphic {
  KY_CLASS(TBitmap, TGraphic)
public:
  TBitmap();
  TBitmap(int32_t width, int32_t height, TPixelFormat format = pfDevice);
  ~TBitmap() override;

  // From a TBitmap: a copy of the pixels. From any other graphic (or to a
  // bitmap from a graphic that converts itself): the graphic drawn on
  // white at its own size.
  void Assign(const TPersistent* source) override;

  bool Empty() const override { return width_ == 0 || height_ == 0; }
  int32_t Width() const override { return width_; }
  int32_t Height() const override { return height_; }
  void SetWidth(int32_t value) override { SetSize(value, height_); }
  void SetHeight(int32_t value) override { SetSize(width_, value); }
  // Keeps the pixels that still fit; new ones are white.
  void SetSize(int32_t width, int32_t height);

  TPixelFormat PixelFormat() const { return format_; }
  // Converts the pixels (through the colour table for the paletted formats).
  void SetPixelFormat(TPixelFormat value);
  // A 1-bit bitmap with a black and white colour table.
  bool Monochrome() const { return format_ == pf1bit; }
  void SetMonochrome(bool value);
  // The colours of a 1/4/8-bit bitmap; empty for the others.
  std::vector<TKyColor> ColorTable() const { return colors_; }
  // At most 2^bits entries; missing ones are black.
  void SetColorTable(const std::vector<TKyColor>& colors);

  // Row y (0 the top) of the pixels, as the DIB keeps them: bytes per row
  // rounded up to four. Raises EInvalidGraphicOperation for a row outside.
  void* ScanLine(int32_t y);
  int32_t BytesPerScanLine() const { return stride_; }

  // The canvas on the bitmap's own memory DC.
  TCanvas* Canvas();
  // The DIB section; nullptr while empty.
  HBITMAP Handle() const { return handle_.Get(); }
  // Takes any bitmap that no DC holds selected: its pixels are copied into
  // a DIB section of the nearest format and the bitmap itself is deleted.
  void SetHandle(HBITMAP value);
  // Gives the DIB section up; the bitmap becomes empty.
  HBITMAP ReleaseHandle();
  // Releases the canvas's memory DC; the next Canvas() use makes it again.
  void Dormant();

  void SetTransparent(bool value) override;
  TKyColor TransparentColor() const;
  // Fixes the colour (tmFixed); kClDefault returns to tmAuto.
  void SetTransparentColor(TKyColor value);
  TTransparentMode TransparentMode() const { return transparentMode_; }
  void SetTransparentMode(TTransparentMode value);

  void Draw(TCanvas& canvas, const TRect& rect) override;

  void LoadFromStream(TStream& stream) override;
  void SaveToStream(TStream& stream) override;

protected:
  // Drawing on the canvas, resizing, converting and loading all end here.
  void Changed() override;

private:
  class TBitmapCanvas;
  // Makes a new DIB section; copies the old pixels when keep is set.
  void Rebuild(int32_t width, int32_t height, TPixelFormat format, const std::vector<TKyColor>& colors, bool keep);
  void FreeContext();
  void ReadBmp(const std::vector<uint8_t>& data);

  int32_t width_ = 0;
  int32_t height_ = 0;
  TPixelFormat format_ = pfDevice;
  int32_t stride_ = 0;
  std::vector<TKyColor> colors_;
  TBitmapHandle handle_;
  uint8_t* bits_ = nullptr;
  std::unique_ptr<TBitmapCanvas> canvas_;
  TTransparentMode transparentMode_ = tmAuto;
  TKyColor transparentColor_ = kClDefault;
};
