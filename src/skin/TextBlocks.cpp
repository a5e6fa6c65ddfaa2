#include "skin/TextBlocks.h"

#include "platform/graphics/Graphics.h"

namespace {

// The library default each colour and background role ends in.
const char* const kColorFallback[] = {
    "Dft_3DLight",        // light
    "Dft_ColShadow",      // shadow
    "Dft_EdAccelChar",    // accelerator
    "Dft_EdSelectedText", // selected
    "Dft_ColText",        // positives
    "Dft_StandOut",       // negatives
    "Dft_TextDisShadow",  // disabled
    "Dft_ColText",        // unchecked
    "Dft_ColText",        // grayed
    "Dft_ColText",        // checked
};
const char* const kBackFallback[] = {"Dft_EdSelectedBG", "Dft_BackGround", "Dft_BackGround", "Dft_EdDisabledBG"};

}  // namespace

// ---- Basic text ----

TKyBasicText::TKyBasicText(TPersistent* owner)
    : TKyBlock(owner), font_(MakeSet<TKySetFont>("Dft_Font")), colText_(MakeSet<TKySetColor>("Dft_ColText")) {}

void TKyBasicText::Publish(TPublisher<TKyBasicText>& p) {
  p.Property("SetFont", &TKyBasicText::SetFont);
  p.Property("SetColText", &TKyBasicText::SetColText);
}

void TKyBasicText::HaveColors(std::initializer_list<TColorRole> roles) {
  for (TColorRole r : roles) colors_[r] = MakeSet<TKySetColor>(kColorFallback[r]);
}

void TKyBasicText::HaveBacks(std::initializer_list<TBackRole> roles, const char* fallback) {
  for (TBackRole r : roles) backs_[r] = MakeSet<TKySetBackGround>(fallback ? fallback : kBackFallback[r]);
}

void TKyBasicText::CopyFrom(const TKyBlock& source) {
  TKyBlock::CopyFrom(source);
  const auto& s = static_cast<const TKyBasicText&>(source);
  font_->Assign(s.font_.get());
  colText_->Assign(s.colText_.get());
  // The source is of this class or a descendant: it has every set we have.
  for (size_t i = 0; i < colors_.size(); ++i)
    if (colors_[i] && s.colors_[i]) colors_[i]->Assign(s.colors_[i].get());
  for (size_t i = 0; i < backs_.size(); ++i)
    if (backs_[i] && s.backs_[i]) backs_[i]->Assign(s.backs_[i].get());
  visible_ = s.visible_;
  width_ = s.width_;
  wordWrap_ = s.wordWrap_;
  angle_ = s.angle_;
  fontStyle_ = s.fontStyle_;
  spacing3D_ = s.spacing3D_;
  layout_ = s.layout_;
  alignment_ = s.alignment_;
  showAccelChar_ = s.showAccelChar_;
}

// ---- Memo ----

void ApplyTextFont(TFont& font, TKyBasicText& text) {
  TKyFontData data = text.SetFont()->Value();
  TFontStyles styles;
  if (data.Bold) styles.Include(fsBold);
  if (data.Italic) styles.Include(fsItalic);
  if (data.Underline) styles.Include(fsUnderline);
  if (data.StrikeOut) styles.Include(fsStrikeOut);
  if (font.Name() != data.Name || font.Height() != data.Height || font.Style() != styles) {
    font.SetName(data.Name);
    font.SetHeight(data.Height);
    font.SetStyle(styles);
  }
  font.SetColor(text.SetColText()->Value());
}

TKyMemoText::TKyMemoText(TPersistent* owner) : TKyBasicText(owner) { SetWordWrap(true); }

void TKyMemoText::Publish(TPublisher<TKyMemoText>& p) {
  p.Property("WordWrap", &TKyMemoText::WordWrap, &TKyMemoText::SetWordWrap).Default(true);
}

// ---- Label ----

TKyLabelText::TKyLabelText(TPersistent* owner) : TKyBasicText(owner) {
  HaveColors({tcrLight, tcrShadow, tcrAccelChar, tcrSelected, tcrPositives, tcrNegatives});
  HaveBacks({tbrSelected, tbrPositives, tbrNegatives});
}

void TKyLabelText::Publish(TPublisher<TKyLabelText>& p) {
  using C = TKyLabelText;
  p.Property("Visible", &C::Visible, &C::SetVisible).Default(true);
  p.Property("Width", &C::Width, &C::SetWidth).Default(0);
  p.Property("WordWrap", &C::WordWrap, &C::SetWordWrap).Default(false);
  p.Property("Angle", &C::Angle, &C::SetAngle).Default(0);
  p.Property("FontStyle", &C::FontStyle, &C::SetFontStyle).Default(fosNormal);
  p.Property("Spacing3D", &C::Spacing3D, &C::SetSpacing3D).Default(1);
  p.Property("Layout", &C::Layout, &C::SetLayout).Default(layCenter);
  p.Property("ShowAccelChar", &C::ShowAccelChar, &C::SetShowAccelChar).Default(false);
  p.Property("SetColLight", &C::SetColLight);
  p.Property("SetColShadow", &C::SetColShadow);
  p.Property("SetColAccelChar", &C::SetColAccelChar);
  p.Property("SetColSelected", &C::SetColSelected);
  p.Property("SetColPositives", &C::SetColPositives);
  p.Property("SetColNegatives", &C::SetColNegatives);
  p.Property("SetBGSelected", &C::SetBGSelected);
  p.Property("SetBGPositives", &C::SetBGPositives);
  p.Property("SetBGNegatives", &C::SetBGNegatives);
}

// ---- Edit ----

TKyEditText::TKyEditText(TPersistent* owner) : TKyBasicText(owner) {
  HaveColors({tcrPositives, tcrNegatives, tcrDisabled});
  HaveBacks({tbrPositives, tbrNegatives}, "Dft_EdBackGround");
  HaveBacks({tbrDisabled});
}

void TKyEditText::Publish(TPublisher<TKyEditText>& p) {
  using C = TKyEditText;
  p.Property("WordWrap", &C::WordWrap, &C::SetWordWrap).Default(false);
  p.Property("SetColPositives", &C::SetColPositives);
  p.Property("SetColNegatives", &C::SetColNegatives);
  p.Property("SetColDisabled", &C::SetColDisabled);
  p.Property("SetBGPositives", &C::SetBGPositives);
  p.Property("SetBGNegatives", &C::SetBGNegatives);
  p.Property("SetBGDisabled", &C::SetBGDisabled);
}

// ---- Button ----

TKyButtonText::TKyButtonText(TPersistent* owner) : TKyBasicText(owner) {
  HaveColors({tcrLight, tcrShadow, tcrAccelChar});
}

void TKyButtonText::Publish(TPublisher<TKyButtonText>& p) {
  using C = TKyButtonText;
  p.Property("Visible", &C::Visible, &C::SetVisible).Default(true);
  p.Property("Width", &C::Width, &C::SetWidth).Default(0);
  p.Property("Alignment", &C::Alignment, &C::SetAlignment).Default(aliLeft);
  p.Property("Layout", &C::Layout, &C::SetLayout).Default(layCenter);
  p.Property("Angle", &C::Angle, &C::SetAngle).Default(0);
  p.Property("Spacing3D", &C::Spacing3D, &C::SetSpacing3D).Default(1);
  p.Property("FontStyle", &C::FontStyle, &C::SetFontStyle).Default(fosNormal);
  p.Property("SetColLight", &C::SetColLight);
  p.Property("SetColShadow", &C::SetColShadow);
  p.Property("SetColAccelChar", &C::SetColAccelChar);
}

// ---- Small ----

TKySmallText::TKySmallText(TPersistent* owner) : TKyBasicText(owner) {
  HaveColors({tcrLight, tcrShadow, tcrAccelChar, tcrSelected});
  HaveBacks({tbrSelected});
}

void TKySmallText::Publish(TPublisher<TKySmallText>& p) {
  using C = TKySmallText;
  p.Property("Width", &C::Width, &C::SetWidth).Default(0);
  p.Property("Alignment", &C::Alignment, &C::SetAlignment).Default(aliLeft);
  p.Property("Layout", &C::Layout, &C::SetLayout).Default(layCenter);
  p.Property("Angle", &C::Angle, &C::SetAngle).Default(0);
  p.Property("Spacing3D", &C::Spacing3D, &C::SetSpacing3D).Default(1);
  p.Property("FontStyle", &C::FontStyle, &C::SetFontStyle).Default(fosNormal);
  p.Property("SetColLight", &C::SetColLight);
  p.Property("SetColShadow", &C::SetColShadow);
  p.Property("SetColAccelChar", &C::SetColAccelChar);
  p.Property("SetColSelected", &C::SetColSelected);
  p.Property("SetBGSelected", &C::SetBGSelected);
}

// ---- Box ----

TKyBoxText::TKyBoxText(TPersistent* owner) : TKyBasicText(owner) { HaveColors({tcrLight, tcrShadow, tcrAccelChar}); }

void TKyBoxText::Publish(TPublisher<TKyBoxText>& p) {
  using C = TKyBoxText;
  p.Property("Caption", &C::Caption, &C::SetCaption);
  p.Property("Width", &C::Width, &C::SetWidth).Default(0);
  p.Property("Alignment", &C::Alignment, &C::SetAlignment).Default(aliLeft);
  p.Property("Layout", &C::Layout, &C::SetLayout).Default(tblTopLeft);
  p.Property("Spacing3D", &C::Spacing3D, &C::SetSpacing3D).Default(1);
  p.Property("FontStyle", &C::FontStyle, &C::SetFontStyle).Default(fosNormal);
  p.Property("SetColLight", &C::SetColLight);
  p.Property("SetColShadow", &C::SetColShadow);
  p.Property("SetColAccelChar", &C::SetColAccelChar);
}

void TKyBoxText::CopyFrom(const TKyBlock& source) {
  TKyBasicText::CopyFrom(source);
  const auto& s = static_cast<const TKyBoxText&>(source);
  caption_ = s.caption_;
  boxLayout_ = s.boxLayout_;
}

// ---- Group items ----

TKyGroupTexts::TKyGroupTexts(TPersistent* owner) : TKyBasicText(owner) {
  HaveColors({tcrLight, tcrShadow, tcrSelected});
  HaveBacks({tbrSelected});
}

void TKyGroupTexts::Publish(TPublisher<TKyGroupTexts>& p) {
  using C = TKyGroupTexts;
  p.Property("Visible", &C::Visible, &C::SetVisible).Default(true);
  p.Property("WordWrap", &C::WordWrap, &C::SetWordWrap).Default(false);
  p.Property("Width", &C::Width, &C::SetWidth).Default(0);
  p.Property("Alignment", &C::Alignment, &C::SetAlignment).Default(aliLeft);
  p.Property("Layout", &C::Layout, &C::SetLayout).Default(layCenter);
  p.Property("Angle", &C::Angle, &C::SetAngle).Default(0);
  p.Property("Spacing3D", &C::Spacing3D, &C::SetSpacing3D).Default(1);
  p.Property("FontStyle", &C::FontStyle, &C::SetFontStyle).Default(fosNormal);
  p.Property("SetColLight", &C::SetColLight);
  p.Property("SetColShadow", &C::SetColShadow);
  p.Property("SetColSelected", &C::SetColSelected);
  p.Property("SetBGSelected", &C::SetBGSelected);
}

TKyRadioGroupTexts::TKyRadioGroupTexts(TPersistent* owner) : TKyBasicText(owner) {
  HaveColors({tcrLight, tcrShadow, tcrAccelChar});
}

void TKyRadioGroupTexts::Publish(TPublisher<TKyRadioGroupTexts>& p) {
  using C = TKyRadioGroupTexts;
  p.Property("Visible", &C::Visible, &C::SetVisible).Default(true);
  p.Property("WordWrap", &C::WordWrap, &C::SetWordWrap).Default(false);
  p.Property("Width", &C::Width, &C::SetWidth).Default(0);
  p.Property("Alignment", &C::Alignment, &C::SetAlignment).Default(aliLeft);
  p.Property("Layout", &C::Layout, &C::SetLayout).Default(layCenter);
  p.Property("Angle", &C::Angle, &C::SetAngle).Default(0);
  p.Property("Spacing3D", &C::Spacing3D, &C::SetSpacing3D).Default(1);
  p.Property("FontStyle", &C::FontStyle, &C::SetFontStyle).Default(fosNormal);
  p.Property("SetColLight", &C::SetColLight);
  p.Property("SetColShadow", &C::SetColShadow);
  p.Property("SetColAccelChar", &C::SetColAccelChar);
}

// ---- Check marks as text ----

TKyCheckText::TKyCheckText(TPersistent* owner)
    : TKyBasicText(owner), unCheckedId_(MakeLabel()), grayedId_(MakeLabel()), checkedId_(MakeLabel()) {
  HaveColors({tcrUnChecked, tcrGrayed, tcrChecked});
}

void TKyCheckText::Publish(TPublisher<TKyCheckText>& p) {
  using C = TKyCheckText;
  p.Property("UnChecked", &C::UnChecked, &C::SetUnChecked);
  p.Property("Grayed", &C::Grayed, &C::SetGrayed);
  p.Property("Checked", &C::Checked, &C::SetChecked);
  p.Property("UnCheckedId", &C::UnCheckedId);
  p.Property("GrayedId", &C::GrayedId);
  p.Property("CheckedId", &C::CheckedId);
  p.Property("SetColUnChecked", &C::SetColUnChecked);
  p.Property("SetColGrayed", &C::SetColGrayed);
  p.Property("SetColChecked", &C::SetColChecked);
  p.Property("Box", &C::Box, &C::SetBox).Default(true);
}

void TKyCheckText::CopyFrom(const TKyBlock& source) {
  TKyBasicText::CopyFrom(source);
  const auto& s = static_cast<const TKyCheckText&>(source);
  unChecked_ = s.unChecked_;
  grayed_ = s.grayed_;
  checked_ = s.checked_;
  unCheckedId_->Assign(s.unCheckedId_.get());
  grayedId_->Assign(s.grayedId_.get());
  checkedId_->Assign(s.checkedId_.get());
  box_ = s.box_;
}

// ---- Tabs ----

TKyTabsTexts::TKyTabsTexts(TPersistent* owner) : TKyBasicText(owner) { HaveColors({tcrLight, tcrShadow, tcrAccelChar}); }

void TKyTabsTexts::Publish(TPublisher<TKyTabsTexts>& p) {
  using C = TKyTabsTexts;
  p.Property("Visible", &C::Visible, &C::SetVisible).Default(true);
  p.Property("Width", &C::Width, &C::SetWidth).Default(0);
  p.Property("Alignment", &C::Alignment, &C::SetAlignment).Default(aliLeft);
  p.Property("Layout", &C::Layout, &C::SetLayout).Default(layCenter);
  p.Property("Angle", &C::Angle, &C::SetAngle).Default(0);
  p.Property("Spacing3D", &C::Spacing3D, &C::SetSpacing3D).Default(1);
  p.Property("FontStyle", &C::FontStyle, &C::SetFontStyle).Default(fosNormal);
  p.Property("SetColLight", &C::SetColLight);
  p.Property("SetColShadow", &C::SetColShadow);
  p.Property("SetColAccelChar", &C::SetColAccelChar);
}
