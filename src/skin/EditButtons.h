// The side buttons of an edit: which buttons show, where their row sits
// outside the edit, their size, shape and the two custom buttons' image,
// shortcut, hint and caption.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/base/ShortCutText.h"
#include "skin/Blocks.h"
#include "skin/Placement.h"
#include "skin/ShapeBlocks.h"

KY_ENUM(TKyEditButton, uint8_t, edbRelation, edbMaint, edbCalculator, edbCalendar, edbCustom1, edbCustom2)
using TKyEditButtons = TSet<TKyEditButton>;

// The place of a row of buttons outside a control.
class TKyEditBtns : public TKyBlock {
  KY_CLASS(TKyEditBtns, TKyBlock)
public:
  explicit TKyEditBtns(TPersistent* owner = nullptr);
  static void Publish(TPublisher<TKyEditBtns>& p);

  TKyEditButtons Buttons() const { return buttons_; }
  void SetButtons(TKyEditButtons value) { Update(buttons_, value); }
  TKyExternalControlLayout ExtLayout() const { return extLayout_; }
  void SetExtLayout(TKyExternalControlLayout value) { Update(extLayout_, value); }
  int32_t ExtSpacing() const { return extSpacing_; }
  void SetExtSpacing(int32_t value) { Update(extSpacing_, value); }
  int32_t Width() const { return width_; }
  void SetWidth(int32_t value) { Update(width_, value); }
  int32_t Height() const { return height_; }
  void SetHeight(int32_t value) { Update(height_, value); }
  int32_t Spacing() const { return spacing_; }
  void SetSpacing(int32_t value) { Update(spacing_, value); }
  TKyButtonShape* Shape() const { return shape_.get(); }
  void SetShape(const TKyButtonShape* value) { shape_->Assign(value); }
  bool Flat() const { return flat_; }
  void SetFlat(bool value) { Update(flat_, value); }
  TKyMemoryImage* Image1() const { return image1_.get(); }
  void SetImage1(const TKyMemoryImage* value) { image1_->Assign(value); }
  TKyMemoryImage* Image2() const { return image2_.get(); }
  void SetImage2(const TKyMemoryImage* value) { image2_->Assign(value); }
  TShortCut Key1() const { return key1_; }
  void SetKey1(TShortCut value) { Update(key1_, value); }
  TShortCut Key2() const { return key2_; }
  void SetKey2(TShortCut value) { Update(key2_, value); }
  const std::string& Hint1() const { return hint1_; }
  void SetHint1(const std::string& value) { Update(hint1_, value); }
  const std::string& Hint2() const { return hint2_; }
  void SetHint2(const std::string& value) { Update(hint2_, value); }
  TKyMemoryLabel* CaptionId1() const { return captionId1_.get(); }
  void SetCaptionId1(const TKyMemoryLabel* value) { captionId1_->Assign(value); }
  TKyMemoryLabel* CaptionId2() const { return captionId2_.get(); }
  void SetCaptionId2(const TKyMemoryLabel* value) { captionId2_->Assign(value); }
  // The image margin as for buttons; -1 centres the image.
  int32_t Margin() const { return margin_; }
  void SetMargin(int32_t value) { Update(margin_, value); }

protected:
  void CopyFrom(const TKyBlock& source) override;

private:
  TKyEditButtons buttons_;
  TKyExternalControlLayout extLayout_ = eclRightCenter;
  int32_t extSpacing_ = 3;
  int32_t width_ = 18;
  int32_t height_ = 18;
  int32_t spacing_ = 2;
  std::unique_ptr<TKyButtonShape> shape_;
  bool flat_ = true;
  std::unique_ptr<TKyMemoryImage> image1_;
  std::unique_ptr<TKyMemoryImage> image2_;
  TShortCut key1_ = 0;
  TShortCut key2_ = 0;
  std::string hint1_;
  std::string hint2_;
  std::unique_ptr<TKyMemoryLabel> captionId1_;
  std::unique_ptr<TKyMemoryLabel> captionId2_;
  int32_t margin_ = -1;
};
