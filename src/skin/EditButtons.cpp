#include "skin/EditButtons.h"

TKyEditBtns::TKyEditBtns(TPersistent* owner)
    : TKyBlock(owner),
      shape_(MakeBlock<TKyButtonShape>()),
      image1_(MakeImage()),
      image2_(MakeImage()),
      captionId1_(MakeLabel()),
      captionId2_(MakeLabel()) {}

void TKyEditBtns::Publish(TPublisher<TKyEditBtns>& p) {
  using C = TKyEditBtns;
  p.Property("Buttons", &C::Buttons, &C::SetButtons).Default(TKyEditButtons{});
  p.Property("ExtLayout", &C::ExtLayout, &C::SetExtLayout).Default(eclRightCenter);
  p.Property("ExtSpacing", &C::ExtSpacing, &C::SetExtSpacing).Default(3);
  p.Property("Width", &C::Width, &C::SetWidth).Default(18);
  p.Property("Height", &C::Height, &C::SetHeight).Default(18);
  p.Property("Spacing", &C::Spacing, &C::SetSpacing).Default(2);
  p.Property("Shape", &C::Shape);
  p.Property("Flat", &C::Flat, &C::SetFlat).Default(true);
  p.Property("Image1", &C::Image1);
  p.Property("Image2", &C::Image2);
  p.Property("Key1", &C::Key1, &C::SetKey1).Default(0);
  p.Property("Key2", &C::Key2, &C::SetKey2).Default(0);
  p.Property("Hint1", &C::Hint1, &C::SetHint1);
  p.Property("Hint2", &C::Hint2, &C::SetHint2);
  p.Property("CaptionId1", &C::CaptionId1);
  p.Property("CaptionId2", &C::CaptionId2);
  p.Property("Margin", &C::Margin, &C::SetMargin).Default(-1);
}

void TKyEditBtns::CopyFrom(const TKyBlock& source) {
  TKyBlock::CopyFrom(source);
  const auto& s = static_cast<const TKyEditBtns&>(source);
  buttons_ = s.buttons_;
  extLayout_ = s.extLayout_;
  extSpacing_ = s.extSpacing_;
  width_ = s.width_;
  height_ = s.height_;
  spacing_ = s.spacing_;
  shape_->Assign(s.shape_.get());
  flat_ = s.flat_;
  image1_->Assign(s.image1_.get());
  image2_->Assign(s.image2_.get());
  key1_ = s.key1_;
  key2_ = s.key2_;
  hint1_ = s.hint1_;
  hint2_ = s.hint2_;
  captionId1_->Assign(s.captionId1_.get());
  captionId2_->Assign(s.captionId2_.get());
  margin_ = s.margin_;
}
