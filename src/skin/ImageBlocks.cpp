#include "skin/ImageBlocks.h"

void TKyBasicImage::Publish(TPublisher<TKyBasicImage>& p) {
  using C = TKyBasicImage;
  p.Property("Width", &C::Width, &C::SetWidth).Default(16);
  p.Property("Height", &C::Height, &C::SetHeight).Default(16);
  p.Property("Stretch", &C::Stretch, &C::SetStretch).Default(false);
  p.Property("Transparent", &C::Transparent, &C::SetTransparent).Default(true);
}

void TKyBasicImage::HaveStateImages(bool grayed) {
  unChecked_ = MakeImage();
  if (grayed) grayed_ = MakeImage();
  checked_ = MakeImage();
}

void TKyBasicImage::CopyFrom(const TKyBlock& source) {
  TKyBlock::CopyFrom(source);
  const auto& s = static_cast<const TKyBasicImage&>(source);
  width_ = s.width_;
  height_ = s.height_;
  stretch_ = s.stretch_;
  transparent_ = s.transparent_;
  visible_ = s.visible_;
  layout_ = s.layout_;
  spacing_ = s.spacing_;
  // The source is of this class or a descendant: it owns what we own.
  if (image_) image_->Assign(s.image_.get());
  if (unChecked_) unChecked_->Assign(s.unChecked_.get());
  if (grayed_) grayed_->Assign(s.grayed_.get());
  if (checked_) checked_->Assign(s.checked_.get());
}

void TKyStaticImage::Publish(TPublisher<TKyStaticImage>& p) { p.Property("Image", &TKyStaticImage::Image); }

void TKyEditImage::Publish(TPublisher<TKyEditImage>& p) {
  using C = TKyEditImage;
  p.Property("Visible", &C::Visible, &C::SetVisible).Default(false);
  p.Property("Width", &C::Width, &C::SetWidth).Default(16);
  p.Property("Height", &C::Height, &C::SetHeight).Default(16);
}

void TKyDownImage::Publish(TPublisher<TKyDownImage>& p) {
  p.Property("Width", &TKyDownImage::Width, &TKyDownImage::SetWidth).Default(15);
  p.Property("Height", &TKyDownImage::Height, &TKyDownImage::SetHeight).Default(13);
}

void TKySpeedDownImage::Publish(TPublisher<TKySpeedDownImage>& p) {
  p.Property("Width", &TKySpeedDownImage::Width, &TKySpeedDownImage::SetWidth).Default(13);
  p.Property("Height", &TKySpeedDownImage::Height, &TKySpeedDownImage::SetHeight).Default(13);
}

void TKyGroupImages::Publish(TPublisher<TKyGroupImages>& p) {
  using C = TKyGroupImages;
  p.Property("Layout", &C::Layout, &C::SetLayout).Default(iclLeft);
  p.Property("Spacing", &C::Spacing, &C::SetSpacing).Default(2);
  p.Property("Visible", &C::Visible, &C::SetVisible).Default(false);
}

void TKyCheckImage::Publish(TPublisher<TKyCheckImage>& p) {
  using C = TKyCheckImage;
  p.Property("Width", &C::Width, &C::SetWidth).Default(16);
  p.Property("Height", &C::Height, &C::SetHeight).Default(16);
  p.Property("UnChecked", &C::UnChecked);
  p.Property("Grayed", &C::Grayed);
  p.Property("Checked", &C::Checked);
}

void TKyRadioImage::Publish(TPublisher<TKyRadioImage>& p) {
  using C = TKyRadioImage;
  p.Property("Width", &C::Width, &C::SetWidth).Default(16);
  p.Property("Height", &C::Height, &C::SetHeight).Default(16);
  p.Property("UnChecked", &C::UnChecked);
  p.Property("Checked", &C::Checked);
}

void TKyFullImage::Publish(TPublisher<TKyFullImage>& p) {
  using C = TKyFullImage;
  p.Property("Visible", &C::Visible, &C::SetVisible).Default(false);
  p.Property("Image", &C::Image);
  p.Property("Layout", &C::Layout, &C::SetLayout).Default(iclLeft);
  p.Property("Spacing", &C::Spacing, &C::SetSpacing).Default(2);
}
