// The image control: a windowless picture with a skinned frame, a drop
// shadow, a background set and an inner label. Its picture is of a graphic
// class chosen by name or detected from the data (bitmaps, icons,
// metafiles, JPEG).
//
//   TKyImageImage    the drawing options (size, stretch, transparency,
//                    decoding quality)
//   TKyCustomImage   the behaviour; TKyImage publishes it
//   TKyImageBlob     the picture as a value object
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "packages/PkgPrivileges.h"
#include "packages/PkgStrings.h"
#include "packages/DisplaySets.h"
#include "platform/windows/Controls.h"
#include "skin/ImageBlocks.h"
#include "skin/Label.h"
#include "skin/LinkEvt.h"
#include "skin/Pictures.h"
#include "skin/Placement.h"
#include "skin/Shapes.h"

KY_ENUM(TKyQualityGraphic, uint8_t, qugHigh, qugMiddle, qugLow, qugVeryLow)
KY_ENUM(TKyImageBorderStyle, uint8_t, ibsNone, ibsSingle, ibs3DTop, ibs3DBottom, ibs3DTopBottom, ibs3DBottomTop)

class TKyCustomImage;

class TKyImageImage : public TKyBasicImage {
  KY_CLASS(TKyImageImage, TKyBasicImage)
public:
  explicit TKyImageImage(TPersistent* owner = nullptr);
  static void Publish(TPublisher<TKyImageImage>& p);

  TKyQualityGraphic Quality() const { return quality_; }
  void SetQuality(TKyQualityGraphic value) { Update(quality_, value); }

protected:
  void CopyFrom(const TKyBlock& source) override;

private:
  TKyQualityGraphic quality_ = qugMiddle;
};

// (Sender, stage 0 starting / 1 running / 2 ending, percent done)
using TKyProgressEvent = TEvent<void(TObject* sender, int32_t stage, int32_t percent)>;

class TKyCustomImage : public TGraphicControl {
  KY_CLASS(TKyCustomImage, TGraphicControl)
public:
  explicit TKyCustomImage(TComponent* owner);
  ~TKyCustomImage() override;

  // The shadow's width along the right and bottom edges.
  static constexpr int32_t kShadowSize = kDropShadowSize;

  // ---- Picture ----
  TKyPicture* Picture() const { return picture_.get(); }
  // Copies the picture in.
  void SetPicture(const TPicture* value);
  // A registered graphic class name, or empty: an unknown name clears it.
  const std::string& GraphicClass() const { return graphicClass_; }
  void SetGraphicClass(const std::string& value);
  bool AutoDetect() const { return autoDetect_; }
  void SetAutoDetect(bool value);
  // The picture from encoded bytes: of GraphicClass, or detected from the
  // data when AutoDetect (or no class) says so. A picture that does not
  // decode leaves the control empty and raises with the control's name.
  void LoadFromBytes(const std::vector<uint8_t>& bytes);
  void LoadFromStream(TStream& stream);
  void Clear();
  bool IncrementalDisplay() const { return incrementalDisplay_; }
  void SetIncrementalDisplay(bool value) { incrementalDisplay_ = value; }
  // The value object may not change the picture.
  bool ReadOnly() const { return readOnly_; }
  void SetReadOnly(bool value) { readOnly_ = value; }
  const std::string& RegistryDirectory() const { return registryDirectory_; }
  void SetRegistryDirectory(const std::string& value) { registryDirectory_ = value; }

  // ---- Look ----
  TKyImageImage* Image() const { return image_.get(); }
  TKySetBackGround* SetBackGround() const { return background_.get(); }
  TKyImageBorderStyle BorderStyle() const { return borderStyle_; }
  void SetBorderStyle(TKyImageBorderStyle value);
  bool Shadow() const { return shadow_; }
  void SetShadow(bool value);
  bool AutoSize() const { return autoSize_; }
  void SetAutoSize(bool value);
  bool Transparent() const { return transparent_; }
  void SetTransparent(bool value);
  TKyILabel* ILabel() const { return iLabel_.get(); }
  TKyMemoryLabel* CaptionId() const { return captionId_.get(); }
  TKyPrivilege* Privilege() const { return privilege_.get(); }

  // ---- State and placement ----
  bool Visible() const { return visibleRequest_; }
  void SetVisible(bool value);
  bool Enabled() const { return enabledRequest_; }
  void SetEnabled(bool value);
  bool EffectiveVisible() const;
  bool EffectiveEnabled() const;
  TKyAlignHor AlignHor() const { return alignHor_; }
  void SetAlignHor(TKyAlignHor value);
  TKyAlignVer AlignVer() const { return alignVer_; }
  void SetAlignVer(TKyAlignVer value);

  // The frame's thickness in pixels by BorderStyle.
  int32_t FrameWidth() const;
  // The rectangle the picture is drawn in, after shadow and frame.
  TRect PictureRect() const;
  // Sets the size from the picture when AutoSize is on and not aligned.
  void ApplyAutoSize();

  // ---- Value object protocol ----
  // OnCanModify may refuse; OnStartEdit runs once per editing.
  bool StartEdit();
  void EndEdit() { editing_ = false; }

  using TCanModifyEvent = TEvent<void(TObject* sender, bool& allow)>;
  TCanModifyEvent OnCanModify;
  TNotifyEvent OnStartEdit;
  TKyProgressEvent OnProgress;

  TKyLinkEvt& Link() { return link_; }

protected:
  void Paint() override;
  // After painting: three hooks for descendants (the last answers 0), then
  // the change notification and the loaded-state update.
  virtual void PaintExtra(TCanvas&) {}
  virtual void PaintOverlay(TCanvas&) {}
  virtual int32_t PaintResult() { return 0; }
  virtual void PictureChanged();
  virtual void UpdateLoadedState();

  void WndProc(TMessage& message) override;
  void Loaded() override;
  void Resize() override;

public:
  void SetParent(TWinControl* parent) override;

private:
  void ApplyQuality();
  void SetOpaque(bool opaque);
  void RefreshFromConfig();
  void DrawFrame(TCanvas& canvas, TRect& rect) const;

  TKyLinkEvt link_;
  std::unique_ptr<TKyPicture> picture_;
  std::string graphicClass_;
  bool readOnly_ = false;
  // While a picture decodes for IncrementalDisplay: what is decoded so far.
  TBitmap* partial_ = nullptr;
  bool autoDetect_ = true;
  bool incrementalDisplay_ = false;
  std::string registryDirectory_;
  std::unique_ptr<TKyImageImage> image_;
  std::unique_ptr<TKySetBackGround> background_;
  TKyImageBorderStyle borderStyle_ = ibs3DTopBottom;
  bool shadow_ = false;
  bool autoSize_ = false;
  bool transparent_ = false;
  TKySingleLabel* innerLabel_;
  std::unique_ptr<TKyILabel> iLabel_;
  std::unique_ptr<TKyMemoryLabel> captionId_;
  std::unique_ptr<TKyPrivilege> privilege_;
  bool visibleRequest_ = true;
  bool enabledRequest_ = true;
  TKyAlignHor alignHor_ = alhLeft;
  TKyAlignVer alignVer_ = alvTop;
  TKyPlacementRef placement_;
  bool editing_ = false;
};

class TKyImage : public TKyCustomImage {
  KY_CLASS(TKyImage, TKyCustomImage)
public:
  using TKyCustomImage::TKyCustomImage;
  static void Publish(TPublisher<TKyImage>& p);
};

// The picture of an image control as a value object: every change through
// it starts editing (when allowed) and repaints.
class TKyImageBlob : public TKyBlob {
  KY_CLASS(TKyImageBlob, TKyBlob)
public:
  explicit TKyImageBlob(TKyCustomImage* image) : image_(image) {}

  void Clear();
  bool IsEmpty() const;
  // From a picture, another image blob, or nullptr (clears).
  void Assign(const TPersistent* source) override;
  void LoadFromStream(TStream& stream) override;
  void SaveToStream(TStream& stream) override;

protected:
  void AssignTo(TPersistent* dest) const override;

private:
  bool Edit();
  TKyCustomImage* image_;
};

void RegisterImageClasses();
