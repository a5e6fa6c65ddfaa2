#include "skin/Blocks.h"

#include "skin/AutoRepeat.h"
#include "skin/EditButtons.h"
#include "skin/ImageBlocks.h"
#include "skin/MarkBlocks.h"
#include "skin/Pictures.h"
#include "skin/ShapeBlocks.h"
#include "skin/TextBlocks.h"

void TKyBlock::Assign(const TPersistent* source) {
  if (source && source->InheritsFrom(ClassType())) {
    if (source == this) return;
    // The owned objects report their own changes while being copied; the
    // owner hears of the whole copy once.
    ++copying_;
    try {
      CopyFrom(static_cast<const TKyBlock&>(*source));
    } catch (...) {
      --copying_;
      throw;
    }
    --copying_;
    Changed();
    return;
  }
  TPersistent::Assign(source);
}

void TKyBlock::CopyFrom(const TKyBlock&) {}

void TKyBlock::Changed() {
  if (copying_ == 0 && OnChange) OnChange(this);
}

std::unique_ptr<TKyMemoryLabel> TKyBlock::MakeLabel() {
  auto r = std::make_unique<TKyMemoryLabel>(this);
  r->OnChange = [this](TKyMemoryReference*) { Changed(); };
  return r;
}

std::unique_ptr<TKyMemoryImage> TKyBlock::MakeImage() {
  auto r = std::make_unique<TKyMemoryImage>(this);
  r->OnChange = [this](TKyMemoryImage*) { Changed(); };
  return r;
}

std::unique_ptr<TKyPen> TKyBlock::MakePen(TKyPenStyle defaultStyle) {
  auto p = std::make_unique<TKyPen>(this, defaultStyle);
  p->OnChange = [this] { Changed(); };
  return p;
}

const std::vector<const TClassInfo*>& SkinBlockClasses() {
  static const std::vector<const TClassInfo*> classes = {
      &TKyBasicText::StaticClass(),      &TKyMemoText::StaticClass(),        &TKyLabelText::StaticClass(),
      &TKyEditText::StaticClass(),       &TKyButtonText::StaticClass(),      &TKySmallText::StaticClass(),
      &TKyBoxText::StaticClass(),        &TKyGroupTexts::StaticClass(),      &TKyRadioGroupTexts::StaticClass(),
      &TKyCheckText::StaticClass(),      &TKyTabsTexts::StaticClass(),       &TKyBrush::StaticClass(),
      &TKyBasicShape::StaticClass(),     &TKyCheckShape::StaticClass(),      &TKyRadioShape::StaticClass(),
      &TKyButtonShape::StaticClass(),    &TKyBitBtnShape::StaticClass(),     &TKyFullShape::StaticClass(),
      &TKyBasicImage::StaticClass(),     &TKyStaticImage::StaticClass(),     &TKyEditImage::StaticClass(),
      &TKyDownImage::StaticClass(),      &TKySpeedDownImage::StaticClass(),  &TKyGroupImages::StaticClass(),
      &TKyCheckImage::StaticClass(),     &TKyRadioImage::StaticClass(),      &TKyFullImage::StaticClass(),
      &TKySingleCheck::StaticClass(),    &TKyGroupChecks::StaticClass(),     &TKySingleRadio::StaticClass(),
      &TKyGroupRadios::StaticClass(),    &TKyButtonRepeats::StaticClass(),   &TKyEditBtns::StaticClass(),
  };
  return classes;
}

void RegisterSkinBlocks() {
  for (const TClassInfo* c : SkinBlockClasses()) c->Properties();
  TKyPen::StaticClass().Properties();
  TKyCfgMainPen::StaticClass().Properties();
  TKyPicture::StaticClass().Properties();
}
