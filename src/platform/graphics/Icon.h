// Icons: ICO files with one or more images; the icon handle is made from
// the image that fits the system icon size best.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/graphics/Graphic.h"

class TIcon : public TGraphic {
  KY_CLASS(TIcon, TGraphic)
public:
  TIcon();
  ~TIcon() override;

  void Assign(const TPersistent* source) override;

  bool Empty() const override { return !icon_ && data_.empty(); }
  int32_t Width() const override { return width_; }
  int32_t Height() const override { return height_; }
  // Icons always keep their masked parts out.
  bool Transparent() const override { return true; }

  // Made from the file data on first use; nullptr while empty.
  HICON Handle();
  // Takes the icon (owned from now on); the file data is rebuilt from it
  // when the icon is saved.
  void SetHandle(HICON value);
  HICON ReleaseHandle();
  // The program's icon resource of that name ("MAINICON"); false, and the
  // icon left as it was, when the program has none.
  bool LoadFromResourceName(const std::string& name);

  void Draw(TCanvas& canvas, const TRect& rect) override;
  void LoadFromStream(TStream& stream) override;
  void SaveToStream(TStream& stream) override;

private:
  void Clear();
  std::vector<uint8_t> BuildFromHandle() const;

  std::vector<uint8_t> data_;  // the ICO file as read
  size_t imageOffset_ = 0;     // the chosen image within data_
  size_t imageSize_ = 0;
  TIconHandle icon_;
  int32_t width_ = 0;
  int32_t height_ = 0;
};
