// The label: a windowless text display that shows a value formatted by a
// mask, drawn with a text block, optionally inside a shape, over a
// background set, with an image, in the colours of its value's sign. The
// value may come from a strings package or a system source. The same
// control is the inner label of the panels, placed beside its owner.
//
//   TKyBasicLabel    everything a label shows and measures
//   TKySingleLabel   the inner label control of panels and labels
//   TKyCustomLabel   + click action, an inner label of its own
//   TKyLabel         publishes
//   TKyILabel        inner-label settings (and variants by default)
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "packages/PkgPrivileges.h"
#include "packages/PkgStrings.h"
#include "platform/base/Variant.h"
#include "platform/windows/Controls.h"
#include "skin/DataTypes.h"
#include "skin/ImageBlocks.h"
#include "skin/KyMask.h"
#include "skin/LinkEvt.h"
#include "skin/Placement.h"
#include "skin/ShapeBlocks.h"
#include "skin/SysInfo.h"
#include "skin/TextBlocks.h"

class TKyILabel;
class TKySingleLabel;

// A label's mask: a value mask whose data type is the label's.
class TKyMaskLabel : public TKyMask {
  KY_CLASS(TKyMaskLabel, TKyMask)
public:
  explicit TKyMaskLabel(IKyMaskOwner* owner = nullptr, TPersistent* persistentOwner = nullptr)
      : TKyMask(owner, persistentOwner) {}
};

// The image of a label: shown unless switched off.
class TKyLabelImage : public TKyFullImage {
  KY_CLASS(TKyLabelImage, TKyFullImage)
public:
  explicit TKyLabelImage(TPersistent* owner = nullptr);
  static void Publish(TPublisher<TKyLabelImage>& p);
};

class TKyBasicLabel : public TGraphicControl, public IKyMaskOwner {
  KY_CLASS(TKyBasicLabel, TGraphicControl)
public:
  explicit TKyBasicLabel(TComponent* owner);
  ~TKyBasicLabel() override;

  // ---- Value ----
  // Replaced by the system value or the strings-package text when one is
  // set, converted to DataType; the display follows unless busy.
  Variant Value() const { return value_; }
  void SetValue(const Variant& value);
  TKyDataType DataType() const { return dataType_; }
  void SetDataType(TKyDataType value);
  TKyMemoryLabel* ValueId() const { return valueId_.get(); }
  TKyMemoryMessage* MessageId() const { return messageId_.get(); }
  TKyMemoryText* TextId() const { return textId_.get(); }
  TKyTypeInfo TypeInfo() const { return typeInfo_; }
  void SetTypeInfo(TKyTypeInfo value);
  TKyMaskLabel* Mask() const { return mask_.get(); }
  // The value as shown: through the mask (every character "*" while
  // PasswordLook is on).
  const std::string& ShownText() const { return shown_; }
  bool PasswordLook() const { return password_; }
  void SetPasswordLook(bool value);

  // ---- Look ----
  TKyLabelText* Text() const { return text_.get(); }
  TKyFullShape* Shape() const { return shape_.get(); }
  TKyLabelImage* Image() const { return image_.get(); }
  TKySetBackGround* SetBackGround() const { return background_.get(); }
  bool AutoSize() const { return autoSize_; }
  void SetAutoSize(bool value);
  bool Selected() const { return selected_; }
  void SetSelected(bool value);
  bool Shadow() const { return shadow_; }
  void SetShadow(bool value);
  int32_t MarginLeftRight() const { return marginLeftRight_; }
  void SetMarginLeftRight(int32_t value);
  int32_t MarginTopBottom() const { return marginTopBottom_; }
  void SetMarginTopBottom(int32_t value);
  const std::string& RefValue() const { return refValue_; }
  void SetRefValue(const std::string& value) { refValue_ = value; }
  TKyMemoryLabel* CaptionId() const { return captionId_.get(); }
  TKyPrivilege* Privilege() const { return privilege_.get(); }
  // Highlighted by its owner (an inner label under the mouse).
  void SetHighlighted(bool value);
  // Draws the owner's focus around the text while the owner has it.
  void SetMarksFocusOf(TWinControl* owner);

  // ---- State ----
  bool Visible() const { return visibleRequest_; }
  void SetVisible(bool value);
  bool Enabled() const { return enabledRequest_; }
  void SetEnabled(bool value);
  bool EffectiveEnabled() const;
  bool EffectiveVisible() const;
  TWinControl* FocusControl() const { return focusControl_; }
  void SetFocusControl(TWinControl* value) { focusControl_ = value; }

  // ---- Placement ----
  TKyAlignHor AlignHor() const { return alignHor_; }
  void SetAlignHor(TKyAlignHor value);
  TKyAlignVer AlignVer() const { return alignVer_; }
  void SetAlignVer(TKyAlignVer value);

  // Re-reads the value from its references, formats, sizes and repaints.
  void RefreshFromConfig();
  // Formats the value through the mask, sizes and repaints (unless busy).
  virtual void UpdateDisplay();
  // The size the content needs (text, margins, shape border, image).
  TSize MeasureContent();
  // Batches changes: the display follows once at the last EndUpdate.
  void BeginUpdate() { ++updateCount_; }
  void EndUpdate();
  bool IsBusy() const;

  TNotifyEvent OnMouseEnter;
  TNotifyEvent OnMouseLeave;

  // ---- IKyMaskOwner ----
  TKyDataType MaskDataType() const override { return dataType_; }
  TKyCForm* MaskFormConfig() const override;
  bool MaskOwnerLoading() const override { return IsLoading(); }
  void MaskChanged(TKyMask& mask) override;
  std::string MaskOwnerName() const override { return Name(); }

  TKyLinkEvt& Link() { return link_; }

protected:
  void Paint() override;
  void DoClick() override;
  void WndProc(TMessage& message) override;
  void DefineProperties(TFiler& filer) override;
  void Loaded() override;
  void Resize() override;
public:
  void SetBounds(int32_t left, int32_t top, int32_t width, int32_t height) override;
protected:
  // The inner label of this label, when it has one (custom labels).
  virtual TKyILabel* OwnILabel() const { return nullptr; }
  // Whether this label is the inner label of a control.
  virtual bool IsInnerLabel() const { return false; }
  void Changed();

private:
  Variant ResolveValue(const Variant& given) const;
  // The value from the references, or the one assigned when none resolves.
  void ShowGiven();
  // The caption of CaptionId into the label's own inner label.
  void CaptionToInnerLabel();
  void Recompile();
  TRect ContentRect() const;

  TKyLinkEvt link_;
  Variant value_;
  // What was assigned, kept so that it shows again when a reference stops
  // resolving.
  Variant given_;
  TKyDataType dataType_ = dtyString;
  std::unique_ptr<TKyMemoryLabel> valueId_;
  std::unique_ptr<TKyMemoryMessage> messageId_;
  std::unique_ptr<TKyMemoryText> textId_;
  TKyTypeInfo typeInfo_ = timDefault;
  std::unique_ptr<TKyMaskLabel> mask_;
  TKyCompiledMask compiled_;
  bool compiledValid_ = false;
  std::string shown_;
  bool password_ = false;
  std::unique_ptr<TKyLabelText> text_;
  std::unique_ptr<TKyFullShape> shape_;
  std::unique_ptr<TKyLabelImage> image_;
  std::unique_ptr<TKySetBackGround> background_;
  std::unique_ptr<TKyMemoryLabel> captionId_;
  std::unique_ptr<TKyPrivilege> privilege_;
  bool autoSize_ = true;
  bool selected_ = false;
  bool highlighted_ = false;
  bool shadow_ = false;
  int32_t marginLeftRight_ = 0;
  int32_t marginTopBottom_ = 0;
  std::string refValue_;
  bool visibleRequest_ = true;
  bool enabledRequest_ = true;
  TWinControl* focusControl_ = nullptr;
  TWinControl* focusOwner_ = nullptr;
  TKyAlignHor alignHor_ = alhLeft;
  TKyAlignVer alignVer_ = alvTop;
  TKyPlacementRef placement_;
  int updateCount_ = 0;
  bool sizing_ = false;
};

// The inner label control that panels and labels place beside themselves.
class TKySingleLabel : public TKyBasicLabel {
  KY_CLASS(TKySingleLabel, TKyBasicLabel)
public:
  using TKyBasicLabel::TKyBasicLabel;

protected:
  bool IsInnerLabel() const override { return true; }
  // Also tells the owner (a check box advances on it).
  void DoClick() override;
};

class TKyCustomLabel : public TKyBasicLabel {
  KY_CLASS(TKyCustomLabel, TKyBasicLabel)
public:
  explicit TKyCustomLabel(TComponent* owner);
  ~TKyCustomLabel() override;

  // Opened with the shell's "open" on click.
  const std::string& Execute() const { return execute_; }
  void SetExecute(const std::string& value) { execute_ = value; }
  TKyILabel* ILabel() const { return iLabel_.get(); }

protected:
  void DoClick() override;
  TKyILabel* OwnILabel() const override { return iLabel_.get(); }

public:
  void SetParent(TWinControl* parent) override;

protected:
  void Resize() override;
  void VisibleChanging() override;

private:
  std::string execute_;
  std::unique_ptr<TKyILabel> iLabel_;
};

class TKyLabel : public TKyCustomLabel {
  KY_CLASS(TKyLabel, TKyCustomLabel)
public:
  using TKyCustomLabel::TKyCustomLabel;
  static void Publish(TPublisher<TKyLabel>& p);
};

// ---- Inner labels ----

// The text settings of an inner label, kept in its control's text block
// (the alignment in its mask text).
class TKyILabelText : public TPersistent {
  KY_CLASS(TKyILabelText, TPersistent)
public:
  explicit TKyILabelText(TKyILabel* owner) : owner_(owner) {}
  static void Publish(TPublisher<TKyILabelText>& p);

  int32_t Width() const;
  void SetWidth(int32_t value);
  TKyAlignment Alignment() const;
  void SetAlignment(TKyAlignment value);
  TKyFontStyle FontStyle() const;
  void SetFontStyle(TKyFontStyle value);
  int32_t Angle() const;
  void SetAngle(int32_t value);
  int32_t Spacing3D() const;
  void SetSpacing3D(int32_t value);
  TKyLayout Layout() const;
  void SetLayout(TKyLayout value);
  TKySetFont* SetFont() const;
  TKySetColor* SetColText() const;
  TKySetColor* SetColLight() const;
  TKySetColor* SetColShadow() const;
  TKySetColor* SetColAccelChar() const;

protected:
  TPersistent* GetOwner() const override;

private:
  TKyLabelText* Block() const;
  TKyILabel* owner_;
};

class TKyILabel : public TPersistent {
  KY_CLASS(TKyILabel, TPersistent)
public:
  // owner: the control the label sits beside; control: the inner label.
  TKyILabel(TControl* owner, TKySingleLabel* control, bool visible = true,
            TKyExternalControlLayout layout = eclLeftCenter);
  ~TKyILabel() override;
  static void Publish(TPublisher<TKyILabel>& p);

  TControl* OwnerControl() const { return owner_; }
  TKySingleLabel* Control() const { return control_; }
  int32_t ExtSpacing() const { return extSpacing_; }
  void SetExtSpacing(int32_t value);
  TKyExternalControlLayout ExtLayout() const { return extLayout_; }
  void SetExtLayout(TKyExternalControlLayout value);
  bool Visible() const { return visible_; }
  void SetVisible(bool value);
  TKyILabelText* Text() const { return text_.get(); }

  // Kept in the inner label control.
  TKyFullShape* Shape() const;
  TKyLabelImage* Image() const;
  int32_t MarginLeftRight() const;
  void SetMarginLeftRight(int32_t value);
  int32_t MarginTopBottom() const;
  void SetMarginTopBottom(int32_t value);
  bool Shadow() const;
  void SetShadow(bool value);
  TKySetBackGround* SetBackGround() const;
  std::string Caption() const;
  void SetCaption(const std::string& value);

  // Shows it beside the owner (in the owner's parent) or hides it.
  void Update();
  // Moves it beside the owner when shown.
  void Place();

  // Told of every change of the settings.
  std::function<void(TKyILabel* sender)> OnChange;

  bool DefaultVisible() const { return defaultVisible_; }
  TKyExternalControlLayout DefaultLayout() const { return defaultLayout_; }

protected:
  TPersistent* GetOwner() const override { return owner_; }

private:
  void Changed();
  bool ExtLayoutStored() const { return extLayout_ != defaultLayout_; }
  bool VisibleStored() const { return visible_ != defaultVisible_; }

  TControl* owner_;
  TKySingleLabel* control_;
  int32_t extSpacing_ = 2;
  TKyExternalControlLayout extLayout_;
  bool visible_;
  bool defaultVisible_;
  TKyExternalControlLayout defaultLayout_;
  std::unique_ptr<TKyILabelText> text_;
  // Shared with the control's OnResize handler; cleared when this goes.
  std::shared_ptr<TKyILabel*> self_;
};

void RegisterLabelClasses();

// The inner-label settings with other defaults.
class TKyLabelILabel : public TKyILabel {
  KY_CLASS(TKyLabelILabel, TKyILabel)
public:
  TKyLabelILabel(TControl* owner, TKySingleLabel* control) : TKyILabel(owner, control, false, eclLeftCenter) {}
};
class TKyPanelILabel : public TKyILabel {
  KY_CLASS(TKyPanelILabel, TKyILabel)
public:
  TKyPanelILabel(TControl* owner, TKySingleLabel* control) : TKyILabel(owner, control, false, eclTopLeft) {}
};
class TKyTopILabel : public TKyILabel {
  KY_CLASS(TKyTopILabel, TKyILabel)
public:
  TKyTopILabel(TControl* owner, TKySingleLabel* control) : TKyILabel(owner, control, true, eclTopLeft) {}
};
class TKyRightILabel : public TKyILabel {
  KY_CLASS(TKyRightILabel, TKyILabel)
public:
  TKyRightILabel(TControl* owner, TKySingleLabel* control) : TKyILabel(owner, control, true, eclRightCenter) {}
};
