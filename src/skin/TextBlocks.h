// Text blocks: the font, colours, 3D style, angle and placement of a
// control's text, handed to DrawStyledText by the control. The base keeps
// every value and set object a text block may have; each class publishes
// (and makes public) only its own.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "skin/Blocks.h"
#include "skin/TextDraw.h"

class TFont;

// Where a box caption sits on the box frame.
KY_ENUM(TKyTextBoxLayout, uint8_t, tblTopLeft, tblTopCenter, tblTopRight, tblBottomLeft, tblBottomCenter,
        tblBottomRight, tblLeftTop, tblLeftCenter, tblLeftBottom, tblRightTop, tblRightCenter, tblRightBottom)

// A string that may hold line breaks.
using TKyMultiLine = std::string;

class TKyBasicText : public TKyBlock {
  KY_CLASS(TKyBasicText, TKyBlock)
public:
  static void Publish(TPublisher<TKyBasicText>& p);

  TKySetFont* SetFont() const { return font_.get(); }
  void SetSetFont(const TKySetFont* value) { font_->Assign(value); }
  TKySetColor* SetColText() const { return colText_.get(); }
  void SetSetColText(const TKySetColor* value) { colText_->Assign(value); }

protected:
  enum TColorRole : uint8_t {
    tcrLight, tcrShadow, tcrAccelChar, tcrSelected, tcrPositives, tcrNegatives, tcrDisabled,
    tcrUnChecked, tcrGrayed, tcrChecked, tcrColorCount
  };
  enum TBackRole : uint8_t { tbrSelected, tbrPositives, tbrNegatives, tbrDisabled, tbrBackCount };

  explicit TKyBasicText(TPersistent* owner);
  void CopyFrom(const TKyBlock& source) override;
  // Makes the set objects of the roles a class has.
  void HaveColors(std::initializer_list<TColorRole> roles);
  void HaveBacks(std::initializer_list<TBackRole> roles, const char* fallback = nullptr);

  bool Visible() const { return visible_; }
  void SetVisible(bool value) { Update(visible_, value); }
  int32_t Width() const { return width_; }
  void SetWidth(int32_t value) { Update(width_, value); }
  bool WordWrap() const { return wordWrap_; }
  void SetWordWrap(bool value) { Update(wordWrap_, value); }
  int32_t Angle() const { return angle_; }
  void SetAngle(int32_t value) { Update(angle_, value); }
  TKyFontStyle FontStyle() const { return fontStyle_; }
  void SetFontStyle(TKyFontStyle value) { Update(fontStyle_, value); }
  int32_t Spacing3D() const { return spacing3D_; }
  void SetSpacing3D(int32_t value) { Update(spacing3D_, value); }
  TKyLayout Layout() const { return layout_; }
  void SetLayout(TKyLayout value) { Update(layout_, value); }
  TKyAlignment Alignment() const { return alignment_; }
  void SetAlignment(TKyAlignment value) { Update(alignment_, value); }
  bool ShowAccelChar() const { return showAccelChar_; }
  void SetShowAccelChar(bool value) { Update(showAccelChar_, value); }

#define KY_TEXT_COLOR(Name, role)                                        \
  TKySetColor* Name() const { return colors_[role].get(); }              \
  void Set##Name(const TKySetColor* value) { colors_[role]->Assign(value); }
#define KY_TEXT_BACK(Name, role)                                         \
  TKySetBackGround* Name() const { return backs_[role].get(); }          \
  void Set##Name(const TKySetBackGround* value) { backs_[role]->Assign(value); }
  KY_TEXT_COLOR(SetColLight, tcrLight)
  KY_TEXT_COLOR(SetColShadow, tcrShadow)
  KY_TEXT_COLOR(SetColAccelChar, tcrAccelChar)
  KY_TEXT_COLOR(SetColSelected, tcrSelected)
  KY_TEXT_COLOR(SetColPositives, tcrPositives)
  KY_TEXT_COLOR(SetColNegatives, tcrNegatives)
  KY_TEXT_COLOR(SetColDisabled, tcrDisabled)
  KY_TEXT_COLOR(SetColUnChecked, tcrUnChecked)
  KY_TEXT_COLOR(SetColGrayed, tcrGrayed)
  KY_TEXT_COLOR(SetColChecked, tcrChecked)
  KY_TEXT_BACK(SetBGSelected, tbrSelected)
  KY_TEXT_BACK(SetBGPositives, tbrPositives)
  KY_TEXT_BACK(SetBGNegatives, tbrNegatives)
  KY_TEXT_BACK(SetBGDisabled, tbrDisabled)
#undef KY_TEXT_COLOR
#undef KY_TEXT_BACK

private:
  std::unique_ptr<TKySetFont> font_;
  std::unique_ptr<TKySetColor> colText_;
  std::array<std::unique_ptr<TKySetColor>, tcrColorCount> colors_;
  std::array<std::unique_ptr<TKySetBackGround>, tbrBackCount> backs_;
  bool visible_ = true;
  int32_t width_ = 0;
  bool wordWrap_ = false;
  int32_t angle_ = 0;
  TKyFontStyle fontStyle_ = fosNormal;
  int32_t spacing3D_ = 1;
  TKyLayout layout_ = layCenter;
  TKyAlignment alignment_ = aliLeft;
  bool showAccelChar_ = false;
};

// The text of a memo: wraps by default.
// A platform window's font takes a text block's font set (only when name,
// style or size differ, so that the window keeps its font object) and its
// text colour.
void ApplyTextFont(TFont& font, TKyBasicText& text);

class TKyMemoText : public TKyBasicText {
  KY_CLASS(TKyMemoText, TKyBasicText)
public:
  explicit TKyMemoText(TPersistent* owner = nullptr);
  static void Publish(TPublisher<TKyMemoText>& p);
  KY_BLOCK_EXPOSE(WordWrap)
};

class TKyLabelText : public TKyBasicText {
  KY_CLASS(TKyLabelText, TKyBasicText)
public:
  explicit TKyLabelText(TPersistent* owner = nullptr);
  static void Publish(TPublisher<TKyLabelText>& p);
  KY_BLOCK_EXPOSE(Visible)
  KY_BLOCK_EXPOSE(Width)
  KY_BLOCK_EXPOSE(WordWrap)
  KY_BLOCK_EXPOSE(Angle)
  KY_BLOCK_EXPOSE(FontStyle)
  KY_BLOCK_EXPOSE(Spacing3D)
  KY_BLOCK_EXPOSE(Layout)
  KY_BLOCK_EXPOSE(ShowAccelChar)
  KY_BLOCK_EXPOSE(SetColLight)
  KY_BLOCK_EXPOSE(SetColShadow)
  KY_BLOCK_EXPOSE(SetColAccelChar)
  KY_BLOCK_EXPOSE(SetColSelected)
  KY_BLOCK_EXPOSE(SetColPositives)
  KY_BLOCK_EXPOSE(SetColNegatives)
  KY_BLOCK_EXPOSE(SetBGSelected)
  KY_BLOCK_EXPOSE(SetBGPositives)
  KY_BLOCK_EXPOSE(SetBGNegatives)
};

class TKyEditText : public TKyBasicText {
  KY_CLASS(TKyEditText, TKyBasicText)
public:
  explicit TKyEditText(TPersistent* owner = nullptr);
  static void Publish(TPublisher<TKyEditText>& p);
  KY_BLOCK_EXPOSE(WordWrap)
  KY_BLOCK_EXPOSE(SetColPositives)
  KY_BLOCK_EXPOSE(SetColNegatives)
  KY_BLOCK_EXPOSE(SetColDisabled)
  KY_BLOCK_EXPOSE(SetBGPositives)
  KY_BLOCK_EXPOSE(SetBGNegatives)
  KY_BLOCK_EXPOSE(SetBGDisabled)
};

class TKyButtonText : public TKyBasicText {
  KY_CLASS(TKyButtonText, TKyBasicText)
public:
  explicit TKyButtonText(TPersistent* owner = nullptr);
  static void Publish(TPublisher<TKyButtonText>& p);
  KY_BLOCK_EXPOSE(Visible)
  KY_BLOCK_EXPOSE(Width)
  KY_BLOCK_EXPOSE(Alignment)
  KY_BLOCK_EXPOSE(Layout)
  KY_BLOCK_EXPOSE(Angle)
  KY_BLOCK_EXPOSE(Spacing3D)
  KY_BLOCK_EXPOSE(FontStyle)
  KY_BLOCK_EXPOSE(SetColLight)
  KY_BLOCK_EXPOSE(SetColShadow)
  KY_BLOCK_EXPOSE(SetColAccelChar)
};

class TKySmallText : public TKyBasicText {
  KY_CLASS(TKySmallText, TKyBasicText)
public:
  explicit TKySmallText(TPersistent* owner = nullptr);
  static void Publish(TPublisher<TKySmallText>& p);
  KY_BLOCK_EXPOSE(Width)
  KY_BLOCK_EXPOSE(Alignment)
  KY_BLOCK_EXPOSE(Layout)
  KY_BLOCK_EXPOSE(Angle)
  KY_BLOCK_EXPOSE(Spacing3D)
  KY_BLOCK_EXPOSE(FontStyle)
  KY_BLOCK_EXPOSE(SetColLight)
  KY_BLOCK_EXPOSE(SetColShadow)
  KY_BLOCK_EXPOSE(SetColAccelChar)
  KY_BLOCK_EXPOSE(SetColSelected)
  KY_BLOCK_EXPOSE(SetBGSelected)
};

// The caption of a group box, placed on the box frame.
class TKyBoxText : public TKyBasicText {
  KY_CLASS(TKyBoxText, TKyBasicText)
public:
  explicit TKyBoxText(TPersistent* owner = nullptr);
  static void Publish(TPublisher<TKyBoxText>& p);
  KY_BLOCK_EXPOSE(Width)
  KY_BLOCK_EXPOSE(Alignment)
  KY_BLOCK_EXPOSE(Spacing3D)
  KY_BLOCK_EXPOSE(FontStyle)
  KY_BLOCK_EXPOSE(SetColLight)
  KY_BLOCK_EXPOSE(SetColShadow)
  KY_BLOCK_EXPOSE(SetColAccelChar)

public:
  const TKyMultiLine& Caption() const { return caption_; }
  void SetCaption(const TKyMultiLine& value) { Update(caption_, value); }
  TKyTextBoxLayout Layout() const { return boxLayout_; }
  void SetLayout(TKyTextBoxLayout value) { Update(boxLayout_, value); }

protected:
  void CopyFrom(const TKyBlock& source) override;

private:
  TKyMultiLine caption_;
  TKyTextBoxLayout boxLayout_ = tblTopLeft;
};

// The item texts of list boxes and menus.
class TKyGroupTexts : public TKyBasicText {
  KY_CLASS(TKyGroupTexts, TKyBasicText)
public:
  explicit TKyGroupTexts(TPersistent* owner = nullptr);
  static void Publish(TPublisher<TKyGroupTexts>& p);
  KY_BLOCK_EXPOSE(Visible)
  KY_BLOCK_EXPOSE(WordWrap)
  KY_BLOCK_EXPOSE(Width)
  KY_BLOCK_EXPOSE(Alignment)
  KY_BLOCK_EXPOSE(Layout)
  KY_BLOCK_EXPOSE(Angle)
  KY_BLOCK_EXPOSE(Spacing3D)
  KY_BLOCK_EXPOSE(FontStyle)
  KY_BLOCK_EXPOSE(SetColLight)
  KY_BLOCK_EXPOSE(SetColShadow)
  KY_BLOCK_EXPOSE(SetColSelected)
  KY_BLOCK_EXPOSE(SetBGSelected)
};

class TKyRadioGroupTexts : public TKyBasicText {
  KY_CLASS(TKyRadioGroupTexts, TKyBasicText)
public:
  explicit TKyRadioGroupTexts(TPersistent* owner = nullptr);
  static void Publish(TPublisher<TKyRadioGroupTexts>& p);
  KY_BLOCK_EXPOSE(Visible)
  KY_BLOCK_EXPOSE(WordWrap)
  KY_BLOCK_EXPOSE(Width)
  KY_BLOCK_EXPOSE(Alignment)
  KY_BLOCK_EXPOSE(Layout)
  KY_BLOCK_EXPOSE(Angle)
  KY_BLOCK_EXPOSE(Spacing3D)
  KY_BLOCK_EXPOSE(FontStyle)
  KY_BLOCK_EXPOSE(SetColLight)
  KY_BLOCK_EXPOSE(SetColShadow)
  KY_BLOCK_EXPOSE(SetColAccelChar)
};

// The mark texts of a text-style check box, one per state.
class TKyCheckText : public TKyBasicText {
  KY_CLASS(TKyCheckText, TKyBasicText)
public:
  explicit TKyCheckText(TPersistent* owner = nullptr);
  static void Publish(TPublisher<TKyCheckText>& p);
  KY_BLOCK_EXPOSE(SetColUnChecked)
  KY_BLOCK_EXPOSE(SetColGrayed)
  KY_BLOCK_EXPOSE(SetColChecked)

public:
  const std::string& UnChecked() const { return unChecked_; }
  void SetUnChecked(const std::string& value) { Update(unChecked_, value); }
  const std::string& Grayed() const { return grayed_; }
  void SetGrayed(const std::string& value) { Update(grayed_, value); }
  const std::string& Checked() const { return checked_; }
  void SetChecked(const std::string& value) { Update(checked_, value); }
  TKyMemoryLabel* UnCheckedId() const { return unCheckedId_.get(); }
  void SetUnCheckedId(const TKyMemoryLabel* value) { unCheckedId_->Assign(value); }
  TKyMemoryLabel* GrayedId() const { return grayedId_.get(); }
  void SetGrayedId(const TKyMemoryLabel* value) { grayedId_->Assign(value); }
  TKyMemoryLabel* CheckedId() const { return checkedId_.get(); }
  void SetCheckedId(const TKyMemoryLabel* value) { checkedId_->Assign(value); }
  bool Box() const { return box_; }
  void SetBox(bool value) { Update(box_, value); }

protected:
  void CopyFrom(const TKyBlock& source) override;

private:
  std::string unChecked_;
  std::string grayed_;
  std::string checked_;
  std::unique_ptr<TKyMemoryLabel> unCheckedId_;
  std::unique_ptr<TKyMemoryLabel> grayedId_;
  std::unique_ptr<TKyMemoryLabel> checkedId_;
  bool box_ = true;
};

class TKyTabsTexts : public TKyBasicText {
  KY_CLASS(TKyTabsTexts, TKyBasicText)
public:
  explicit TKyTabsTexts(TPersistent* owner = nullptr);
  static void Publish(TPublisher<TKyTabsTexts>& p);
  KY_BLOCK_EXPOSE(Visible)
  KY_BLOCK_EXPOSE(Width)
  KY_BLOCK_EXPOSE(Alignment)
  KY_BLOCK_EXPOSE(Layout)
  KY_BLOCK_EXPOSE(Angle)
  KY_BLOCK_EXPOSE(Spacing3D)
  KY_BLOCK_EXPOSE(FontStyle)
  KY_BLOCK_EXPOSE(SetColLight)
  KY_BLOCK_EXPOSE(SetColShadow)
  KY_BLOCK_EXPOSE(SetColAccelChar)
};
