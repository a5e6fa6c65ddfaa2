#include "skin/ShapeBlocks.h"

// ---- Brush ----

TKyBrush::TKyBrush(TPersistent* owner) : TKyBlock(owner), backGround_(MakeSet<TKySetBackGround>("Dft_BackGround")) {}

void TKyBrush::Publish(TPublisher<TKyBrush>& p) {
  p.Property("SetBackGround", &TKyBrush::SetBackGround);
  p.Property("Style", &TKyBrush::Style, &TKyBrush::SetStyle).Default(brsSolid);
}

void TKyBrush::CopyFrom(const TKyBlock& source) {
  TKyBlock::CopyFrom(source);
  const auto& s = static_cast<const TKyBrush&>(source);
  backGround_->Assign(s.backGround_.get());
  style_ = s.style_;
}

// ---- Basic shape ----

void TKyBasicShape::Publish(TPublisher<TKyBasicShape>& p) {
  p.Property("Shape", &TKyBasicShape::Shape, &TKyBasicShape::SetShape).Default(shaRectangle);
  p.Property("Reflection", &TKyBasicShape::Reflection, &TKyBasicShape::SetReflection).Default(false);
  p.Property("Orientation", &TKyBasicShape::Orientation, &TKyBasicShape::SetOrientation).Default(sorDefault);
}

void TKyBasicShape::HaveStateBacks(bool grayed) {
  if (grayed) bgGrayed_ = MakeSet<TKySetBackGround>("Dft_CkGrayedBG");
  bgChecked_ = MakeSet<TKySetBackGround>("Dft_CkCheckedBG");
  bgUnChecked_ = MakeSet<TKySetBackGround>("Dft_CkUnCheckedBG");
}

void TKyBasicShape::CopyFrom(const TKyBlock& source) {
  TKyBlock::CopyFrom(source);
  const auto& s = static_cast<const TKyBasicShape&>(source);
  shape_ = s.shape_;
  reflection_ = s.reflection_;
  orientation_ = s.orientation_;
  width_ = s.width_;
  height_ = s.height_;
  borderStyle_ = s.borderStyle_;
  borderWidth_ = s.borderWidth_;
  marginLeftRight_ = s.marginLeftRight_;
  marginTopBottom_ = s.marginTopBottom_;
  visible_ = s.visible_;
  down_ = s.down_;
  // The source is of this class or a descendant: it owns what we own.
  if (pen_) pen_->Assign(s.pen_.get());
  if (brush_) brush_->Assign(s.brush_.get());
  if (bgGrayed_) bgGrayed_->Assign(s.bgGrayed_.get());
  if (bgChecked_) bgChecked_->Assign(s.bgChecked_.get());
  if (bgUnChecked_) bgUnChecked_->Assign(s.bgUnChecked_.get());
  if (backGround_) backGround_->Assign(s.backGround_.get());
}

// ---- Check and radio marks ----

TKyCheckShape::TKyCheckShape(TPersistent* owner) : TKyBasicShape(owner) {
  SetWidth(16);
  SetHeight(16);
  HaveStateBacks(true);
  HavePen();
}

void TKyCheckShape::Publish(TPublisher<TKyCheckShape>& p) {
  using C = TKyCheckShape;
  p.Property("Width", &C::Width, &C::SetWidth).Default(16);
  p.Property("Height", &C::Height, &C::SetHeight).Default(16);
  p.Property("BorderStyle", &C::BorderStyle, &C::SetBorderStyle).Default(bos3D);
  p.Property("SetBGGrayed", &C::SetBGGrayed);
  p.Property("SetBGChecked", &C::SetBGChecked);
  p.Property("SetBGUnChecked", &C::SetBGUnChecked);
  p.Property("Pen", &C::Pen);
}

TKyRadioShape::TKyRadioShape(TPersistent* owner) : TKyBasicShape(owner) {
  SetWidth(10);
  SetHeight(10);
  HaveStateBacks(false);
  HavePen();
}

void TKyRadioShape::Publish(TPublisher<TKyRadioShape>& p) {
  using C = TKyRadioShape;
  p.Property("Width", &C::Width, &C::SetWidth).Default(10);
  p.Property("Height", &C::Height, &C::SetHeight).Default(10);
  p.Property("BorderStyle", &C::BorderStyle, &C::SetBorderStyle).Default(bos3D);
  p.Property("SetBGChecked", &C::SetBGChecked);
  p.Property("SetBGUnChecked", &C::SetBGUnChecked);
  p.Property("Pen", &C::Pen);
}

// ---- Buttons ----

TKyButtonShape::TKyButtonShape(TPersistent* owner) : TKyBasicShape(owner) {
  HaveBrush();
  HavePen();
}

void TKyButtonShape::Publish(TPublisher<TKyButtonShape>& p) {
  using C = TKyButtonShape;
  p.Property("BorderStyle", &C::BorderStyle, &C::SetBorderStyle).Default(bos3D);
  p.Property("BorderWidth", &C::BorderWidth, &C::SetBorderWidth).Default(1);
  p.Property("Brush", &C::Brush);
  p.Property("Pen", &C::Pen);
  p.Property("MarginLeftRight", &C::MarginLeftRight, &C::SetMarginLeftRight).Default(0);
  p.Property("MarginTopBottom", &C::MarginTopBottom, &C::SetMarginTopBottom).Default(0);
}

TKyBitBtnShape::TKyBitBtnShape(TPersistent* owner) : TKyBasicShape(owner) {
  HaveBackGround();
  HavePen();
}

void TKyBitBtnShape::Publish(TPublisher<TKyBitBtnShape>& p) {
  using C = TKyBitBtnShape;
  p.Property("BorderStyle", &C::BorderStyle, &C::SetBorderStyle).Default(bos3D);
  p.Property("SetBackGround", &C::SetBackGround);
  p.Property("Pen", &C::Pen);
}

TKyFullShape::TKyFullShape(TPersistent* owner) : TKyBasicShape(owner) {
  SetBorderStyle(bosSingle);
  HaveBrush();
  HavePen();
}

void TKyFullShape::Publish(TPublisher<TKyFullShape>& p) {
  using C = TKyFullShape;
  p.Property("Visible", &C::Visible, &C::SetVisible).Default(false);
  p.Property("BorderStyle", &C::BorderStyle, &C::SetBorderStyle).Default(bosSingle);
  p.Property("BorderWidth", &C::BorderWidth, &C::SetBorderWidth).Default(1);
  p.Property("Down", &C::Down, &C::SetDown).Default(false);
  p.Property("Brush", &C::Brush);
  p.Property("Pen", &C::Pen);
}
