// Check and radio marks: which block draws the mark (text, image or shape)
// and, for the marks of every item of a list box or radio group, where it
// sits beside the item text.
#pragma once

#include <cstdint>
#include <memory>

#include "skin/Blocks.h"
#include "skin/ImageBlocks.h"
#include "skin/ShapeBlocks.h"
#include "skin/TextBlocks.h"

KY_ENUM(TKyCheckStyle, uint8_t, cksText, cksImage, cksShape)
KY_ENUM(TKyRadioStyle, uint8_t, rasImage, rasShape)
KY_ENUM(TKyCheckState, uint8_t, cksUnChecked, cksGrayed, cksChecked)

class TKySingleCheck : public TKyBlock {
  KY_CLASS(TKySingleCheck, TKyBlock)
public:
  explicit TKySingleCheck(TPersistent* owner = nullptr);
  static void Publish(TPublisher<TKySingleCheck>& p);

  TKyCheckStyle Style() const { return style_; }
  void SetStyle(TKyCheckStyle value) { Update(style_, value); }
  TKyCheckImage* Image() const { return image_.get(); }
  void SetImage(const TKyCheckImage* value) { image_->Assign(value); }
  TKyCheckText* Text() const { return text_.get(); }
  void SetText(const TKyCheckText* value) { text_->Assign(value); }
  TKyCheckShape* Shape() const { return shape_.get(); }
  void SetShape(const TKyCheckShape* value) { shape_->Assign(value); }

protected:
  void CopyFrom(const TKyBlock& source) override;

  TKyInternalControlLayout Layout() const { return layout_; }
  void SetLayout(TKyInternalControlLayout value) { Update(layout_, value); }
  int32_t Spacing() const { return spacing_; }
  void SetSpacing(int32_t value) { Update(spacing_, value); }

private:
  TKyCheckStyle style_ = cksImage;
  std::unique_ptr<TKyCheckImage> image_;
  std::unique_ptr<TKyCheckText> text_;
  std::unique_ptr<TKyCheckShape> shape_;
  TKyInternalControlLayout layout_ = iclLeft;
  int32_t spacing_ = 2;
};

class TKyGroupChecks : public TKySingleCheck {
  KY_CLASS(TKyGroupChecks, TKySingleCheck)
public:
  explicit TKyGroupChecks(TPersistent* owner = nullptr) : TKySingleCheck(owner) {}
  static void Publish(TPublisher<TKyGroupChecks>& p);
  KY_BLOCK_EXPOSE(Layout)
  KY_BLOCK_EXPOSE(Spacing)
};

class TKySingleRadio : public TKyBlock {
  KY_CLASS(TKySingleRadio, TKyBlock)
public:
  explicit TKySingleRadio(TPersistent* owner = nullptr);
  static void Publish(TPublisher<TKySingleRadio>& p);

  TKyRadioStyle Style() const { return style_; }
  void SetStyle(TKyRadioStyle value) { Update(style_, value); }
  TKyRadioImage* Image() const { return image_.get(); }
  void SetImage(const TKyRadioImage* value) { image_->Assign(value); }
  TKyRadioShape* Shape() const { return shape_.get(); }
  void SetShape(const TKyRadioShape* value) { shape_->Assign(value); }

protected:
  void CopyFrom(const TKyBlock& source) override;

  TKyInternalControlLayout Layout() const { return layout_; }
  void SetLayout(TKyInternalControlLayout value) { Update(layout_, value); }
  int32_t Spacing() const { return spacing_; }
  void SetSpacing(int32_t value) { Update(spacing_, value); }

private:
  TKyRadioStyle style_ = rasImage;
  std::unique_ptr<TKyRadioImage> image_;
  std::unique_ptr<TKyRadioShape> shape_;
  TKyInternalControlLayout layout_ = iclLeft;
  int32_t spacing_ = 2;
};

class TKyGroupRadios : public TKySingleRadio {
  KY_CLASS(TKyGroupRadios, TKySingleRadio)
public:
  explicit TKyGroupRadios(TPersistent* owner = nullptr) : TKySingleRadio(owner) {}
  static void Publish(TPublisher<TKyGroupRadios>& p);
  KY_BLOCK_EXPOSE(Layout)
  KY_BLOCK_EXPOSE(Spacing)
};
