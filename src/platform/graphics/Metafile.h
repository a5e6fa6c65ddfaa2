// Enhanced metafiles: read as EMF or WMF (converted), written as EMF, and
// recorded through TMetafileCanvas.
#pragma once

#include <cstdint>

#include "platform/graphics/Canvas.h"
#include "platform/graphics/Graphic.h"

class TMetafile : public TGraphic {
  KY_CLASS(TMetafile, TGraphic)
public:
  TMetafile();
  ~TMetafile() override;

  void Assign(const TPersistent* source) override;

  bool Empty() const override { return !handle_; }
  // Pixels of the reference device; a size set here overrides the
  // recorded frame (and gives the frame of the next recording).
  int32_t Width() const override { return width_; }
  int32_t Height() const override { return height_; }
  void SetWidth(int32_t value) override;
  void SetHeight(int32_t value) override;

  HENHMETAFILE Handle() const { return handle_.Get(); }
  // Takes the metafile (owned from now on).
  void SetHandle(HENHMETAFILE value);
  HENHMETAFILE ReleaseHandle();

  void Draw(TCanvas& canvas, const TRect& rect) override;
  // EMF, placeable WMF or plain WMF.
  void LoadFromStream(TStream& stream) override;
  // Always EMF.
  void SaveToStream(TStream& stream) override;

private:
  void TakeSizeFromHeader();
  TEnhMetaFileHandle handle_;
  int32_t width_ = 0;
  int32_t height_ = 0;
};

// Records into a metafile; the recording becomes the metafile's when the
// canvas goes. The reference DC gives the resolution (nullptr: the screen).
class TMetafileCanvas : public TCanvas {
public:
  explicit TMetafileCanvas(TMetafile& metafile, HDC reference = nullptr);
  ~TMetafileCanvas() override;

private:
  TMetafile& metafile_;
  HDC recording_ = nullptr;
};
