#include "skin/MarkBlocks.h"

// ---- Check marks ----

TKySingleCheck::TKySingleCheck(TPersistent* owner)
    : TKyBlock(owner),
      image_(MakeBlock<TKyCheckImage>()),
      text_(MakeBlock<TKyCheckText>()),
      shape_(MakeBlock<TKyCheckShape>()) {}

void TKySingleCheck::Publish(TPublisher<TKySingleCheck>& p) {
  p.Property("Style", &TKySingleCheck::Style, &TKySingleCheck::SetStyle).Default(cksImage);
  p.Property("Image", &TKySingleCheck::Image);
  p.Property("Text", &TKySingleCheck::Text);
  p.Property("Shape", &TKySingleCheck::Shape);
}

void TKySingleCheck::CopyFrom(const TKyBlock& source) {
  TKyBlock::CopyFrom(source);
  const auto& s = static_cast<const TKySingleCheck&>(source);
  style_ = s.style_;
  image_->Assign(s.image_.get());
  text_->Assign(s.text_.get());
  shape_->Assign(s.shape_.get());
  layout_ = s.layout_;
  spacing_ = s.spacing_;
}

void TKyGroupChecks::Publish(TPublisher<TKyGroupChecks>& p) {
  p.Property("Layout", &TKyGroupChecks::Layout, &TKyGroupChecks::SetLayout).Default(iclLeft);
  p.Property("Spacing", &TKyGroupChecks::Spacing, &TKyGroupChecks::SetSpacing).Default(2);
}

// ---- Radio marks ----

TKySingleRadio::TKySingleRadio(TPersistent* owner)
    : TKyBlock(owner), image_(MakeBlock<TKyRadioImage>()), shape_(MakeBlock<TKyRadioShape>()) {}

void TKySingleRadio::Publish(TPublisher<TKySingleRadio>& p) {
  p.Property("Style", &TKySingleRadio::Style, &TKySingleRadio::SetStyle).Default(rasImage);
  p.Property("Image", &TKySingleRadio::Image);
  p.Property("Shape", &TKySingleRadio::Shape);
}

void TKySingleRadio::CopyFrom(const TKyBlock& source) {
  TKyBlock::CopyFrom(source);
  const auto& s = static_cast<const TKySingleRadio&>(source);
  style_ = s.style_;
  image_->Assign(s.image_.get());
  shape_->Assign(s.shape_.get());
  layout_ = s.layout_;
  spacing_ = s.spacing_;
}

void TKyGroupRadios::Publish(TPublisher<TKyGroupRadios>& p) {
  p.Property("Layout", &TKyGroupRadios::Layout, &TKyGroupRadios::SetLayout).Default(iclLeft);
  p.Property("Spacing", &TKyGroupRadios::Spacing, &TKyGroupRadios::SetSpacing).Default(2);
}
