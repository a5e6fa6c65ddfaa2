// Image blocks: an images-package reference (or one per check state) with
// the box it is drawn in and its place beside the control's text, handed
// to the image painter by the control. The base keeps every value an image
// block may have; each class publishes only its own.
#pragma once

#include <cstdint>
#include <memory>

#include "skin/Blocks.h"

// The place of an image (or mark) beside the control's text.
KY_ENUM(TKyInternalControlLayout, uint8_t, iclLeft, iclRight, iclTop, iclBottom, iclOverlay)

class TKyBasicImage : public TKyBlock {
  KY_CLASS(TKyBasicImage, TKyBlock)
public:
  static void Publish(TPublisher<TKyBasicImage>& p);

  int32_t Width() const { return width_; }
  void SetWidth(int32_t value) { Update(width_, value); }
  int32_t Height() const { return height_; }
  void SetHeight(int32_t value) { Update(height_, value); }
  bool Stretch() const { return stretch_; }
  void SetStretch(bool value) { Update(stretch_, value); }
  bool Transparent() const { return transparent_; }
  void SetTransparent(bool value) { Update(transparent_, value); }

protected:
  TKyBasicImage(TPersistent* owner, int32_t width, int32_t height) : TKyBlock(owner), width_(width), height_(height) {}
  void CopyFrom(const TKyBlock& source) override;
  void HaveImage() { image_ = MakeImage(); }
  void HaveStateImages(bool grayed);

  bool Visible() const { return visible_; }
  void SetVisible(bool value) { Update(visible_, value); }
  TKyInternalControlLayout Layout() const { return layout_; }
  void SetLayout(TKyInternalControlLayout value) { Update(layout_, value); }
  int32_t Spacing() const { return spacing_; }
  void SetSpacing(int32_t value) { Update(spacing_, value); }

#define KY_IMAGE_REF(Name, member)                                    \
  TKyMemoryImage* Name() const { return member.get(); }               \
  void Set##Name(const TKyMemoryImage* value) { member->Assign(value); }
  KY_IMAGE_REF(Image, image_)
  KY_IMAGE_REF(UnChecked, unChecked_)
  KY_IMAGE_REF(Grayed, grayed_)
  KY_IMAGE_REF(Checked, checked_)
#undef KY_IMAGE_REF

private:
  int32_t width_;
  int32_t height_;
  bool stretch_ = false;
  bool transparent_ = true;
  bool visible_ = false;
  TKyInternalControlLayout layout_ = iclLeft;
  int32_t spacing_ = 2;
  std::unique_ptr<TKyMemoryImage> image_;
  std::unique_ptr<TKyMemoryImage> unChecked_;
  std::unique_ptr<TKyMemoryImage> grayed_;
  std::unique_ptr<TKyMemoryImage> checked_;
};

class TKyStaticImage : public TKyBasicImage {
  KY_CLASS(TKyStaticImage, TKyBasicImage)
public:
  explicit TKyStaticImage(TPersistent* owner = nullptr) : TKyStaticImage(owner, 16, 16) {}
  static void Publish(TPublisher<TKyStaticImage>& p);
  KY_BLOCK_EXPOSE(Image)

protected:
  TKyStaticImage(TPersistent* owner, int32_t width, int32_t height) : TKyBasicImage(owner, width, height) {
    HaveImage();
  }
};

// The image inside an edit: hidden until asked for.
class TKyEditImage : public TKyStaticImage {
  KY_CLASS(TKyEditImage, TKyStaticImage)
public:
  explicit TKyEditImage(TPersistent* owner = nullptr) : TKyStaticImage(owner, 16, 16) {}
  static void Publish(TPublisher<TKyEditImage>& p);
  KY_BLOCK_EXPOSE(Visible)
};

// The arrow of a drop-down button.
class TKyDownImage : public TKyStaticImage {
  KY_CLASS(TKyDownImage, TKyStaticImage)
public:
  explicit TKyDownImage(TPersistent* owner = nullptr) : TKyStaticImage(owner, 15, 13) {}
  static void Publish(TPublisher<TKyDownImage>& p);
};

class TKySpeedDownImage : public TKyStaticImage {
  KY_CLASS(TKySpeedDownImage, TKyStaticImage)
public:
  explicit TKySpeedDownImage(TPersistent* owner = nullptr) : TKyStaticImage(owner, 13, 13) {}
  static void Publish(TPublisher<TKySpeedDownImage>& p);
};

// The images of the items of list boxes and menus; the items name them.
class TKyGroupImages : public TKyBasicImage {
  KY_CLASS(TKyGroupImages, TKyBasicImage)
public:
  explicit TKyGroupImages(TPersistent* owner = nullptr) : TKyBasicImage(owner, 16, 16) {}
  static void Publish(TPublisher<TKyGroupImages>& p);
  KY_BLOCK_EXPOSE(Layout)
  KY_BLOCK_EXPOSE(Spacing)
  KY_BLOCK_EXPOSE(Visible)
};

// The mark of an image-style check box, one image per state.
class TKyCheckImage : public TKyBasicImage {
  KY_CLASS(TKyCheckImage, TKyBasicImage)
public:
  explicit TKyCheckImage(TPersistent* owner = nullptr) : TKyBasicImage(owner, 16, 16) { HaveStateImages(true); }
  static void Publish(TPublisher<TKyCheckImage>& p);
  KY_BLOCK_EXPOSE(UnChecked)
  KY_BLOCK_EXPOSE(Grayed)
  KY_BLOCK_EXPOSE(Checked)
};

class TKyRadioImage : public TKyBasicImage {
  KY_CLASS(TKyRadioImage, TKyBasicImage)
public:
  explicit TKyRadioImage(TPersistent* owner = nullptr) : TKyBasicImage(owner, 16, 16) { HaveStateImages(false); }
  static void Publish(TPublisher<TKyRadioImage>& p);
  KY_BLOCK_EXPOSE(UnChecked)
  KY_BLOCK_EXPOSE(Checked)
};

// The image of a button or label, placed beside its text.
class TKyFullImage : public TKyBasicImage {
  KY_CLASS(TKyFullImage, TKyBasicImage)
public:
  explicit TKyFullImage(TPersistent* owner = nullptr) : TKyBasicImage(owner, 16, 16) { HaveImage(); }
  static void Publish(TPublisher<TKyFullImage>& p);
  KY_BLOCK_EXPOSE(Visible)
  KY_BLOCK_EXPOSE(Image)
  KY_BLOCK_EXPOSE(Layout)
  KY_BLOCK_EXPOSE(Spacing)
};
