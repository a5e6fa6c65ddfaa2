// The skinned edit: the platform EDIT window showing a typed value through
// a mask. Typing goes through the mask; Enter or leaving commits the text
// into Value (OnValidate may veto), Escape restores it. The edit draws its
// own frame, offers up to six side buttons with shortcuts, and reports
// changes at once or through the one shared change-delay timer.
//
//   TKyCustomEdit   behaviour
//   TKyEdit         publishes
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "packages/CfgObjects.h"
#include "packages/DisplaySets.h"
#include "packages/PkgPrivileges.h"
#include "packages/PkgStrings.h"
#include "platform/base/Variant.h"
#include "platform/graphics/Bitmap.h"
#include "platform/windows/StdCtrls.h"
#include "skin/EditButtons.h"
#include "skin/ImageBlocks.h"
#include "skin/KyMask.h"
#include "skin/KyTimers.h"
#include "skin/Label.h"
#include "skin/LinkEvt.h"
#include "skin/Placement.h"
#include "skin/TextBlocks.h"

class TKyCustomEdit;



using TKyNotifyEditButtons = TEvent<void(TObject* sender, TKyEditButton button)>;
// (Sender, var CanModify)
using TKyCanModifyEvent = TEvent<void(TObject* sender, bool& canModify)>;

// An edit's mask: a value mask whose data type is the edit's.
class TKyMaskEdit : public TKyMask {
  KY_CLASS(TKyMaskEdit, TKyMask)
public:
  explicit TKyMaskEdit(IKyMaskOwner* owner = nullptr, TPersistent* persistentOwner = nullptr)
      : TKyMask(owner, persistentOwner) {}
};

// The one change-delay timer of the process: pointed at one edit at a
// time; when it fires it stops and reports that edit's change.
class TKyTimerChange : public TKyTimer {
  KY_CLASS(TKyTimerChange, TKyTimer)
public:
  explicit TKyTimerChange(TComponent* owner) : TKyTimer(owner) {}
  static TKyTimerChange& Instance();

  // Takes the timer (from any other edit) and starts it anew.
  void StartFor(TKyCustomEdit* edit, uint32_t interval);
  // The edit goes away: a pending report for it is dropped.
  void Forget(TKyCustomEdit* edit);
  TKyCustomEdit* Target() const { return target_; }
  // How often it has fired.
  uint64_t Fired() const { return fired_; }

protected:
  void DoTimer() override;

private:
  TKyCustomEdit* target_ = nullptr;
  uint64_t fired_ = 0;
};

// One of the side buttons, a graphic control in the edit's parent.
class TKyEditBtnControl : public TGraphicControl {
  KY_CLASS(TKyEditBtnControl, TGraphicControl)
public:
  TKyEditBtnControl(TKyCustomEdit* edit, TKyEditButton kind);
  TKyEditButton Kind() const { return kind_; }
  // The letter drawn on it when it has no picture.
  std::string Glyph() const;

protected:
  void Paint() override;
  void DoClick() override;
  void MouseDown(TMouseButton button, TShiftState shift, int32_t x, int32_t y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int32_t x, int32_t y) override;

private:
  TKyCustomEdit* edit_;
  TKyEditButton kind_;
  bool down_ = false;
};

class TKyCustomEdit : public TCustomEdit, public IKyMaskOwner {
  KY_CLASS(TKyCustomEdit, TCustomEdit)
public:
  explicit TKyCustomEdit(TComponent* owner);
  ~TKyCustomEdit() override;

  // ---- Value ----
  Variant Value() const { return value_; }
  // Converted to DataType; OnValidate may veto (the previous value comes
  // back and the exception goes on); the text then shows the value.
  void SetValue(const Variant& value);
  TKyDataType DataType() const { return dataType_; }
  void SetDataType(TKyDataType value);
  TKyMaskEdit* Mask() const { return mask_.get(); }
  const TKyCompiledMask& CompiledMask() const { return compiled_; }
  TKyMemoryLabel* ValueId() const { return valueId_.get(); }
  const std::string& RefValue() const { return refValue_; }
  void SetRefValue(const std::string& value);

  // ---- Editing ----
  bool EnterApply() const { return enterApply_; }
  void SetEnterApply(bool value) { enterApply_ = value; }
  int32_t TimeChange() const { return timeChange_; }
  void SetTimeChange(int32_t value) { timeChange_ = value < 0 ? 0 : value; }
  bool Editing() const { return editing_; }
  // Whether the user may change the text now.
  bool CanModify();
  // Commits the text being edited into Value.
  void ApplyText();
  // Drops the text being edited.
  void Cancel();
  // A side button (or its shortcut).
  void ButtonClick(TKyEditButton button);
  // The shortcut of a side button: the edit's own for the custom ones,
  // else the application's.
  TShortCut ButtonShortCut(TKyEditButton button) const;
  TKyEditBtnControl* ButtonControl(TKyEditButton button) const;

  // ---- Look ----
  TKyEditBtns* Buttons() const { return buttons_.get(); }
  TKyEditText* TextBlock() const { return text_.get(); }
  TKyEditImage* Image() const { return image_.get(); }
  TKyILabel* ILabel() const { return iLabel_.get(); }
  TKySingleLabel* InnerLabel() const { return innerLabel_; }
  TKyMemoryLabel* CaptionId() const { return captionId_.get(); }
  TKySetBackGround* SetBackGround() const { return background_.get(); }
  TKySetColor* SetColBox() const { return colBox_.get(); }
  TKySetColor* SetColSelBox() const { return colSelBox_.get(); }
  TKyPrivilege* Privilege() const { return privilege_.get(); }
  bool Shadow() const { return shadow_; }
  void SetShadow(bool value);
  bool Transparent() const { return transparent_; }
  void SetTransparent(bool value);
  TKyEditBorderStyle BorderStyle() const { return borderStyle_; }
  void SetBorderStyle(TKyEditBorderStyle value);
  int32_t EditLines() const { return editLines_; }
  void SetEditLines(int32_t value);
  // The frame's thickness on each side (the image sits in the left one).
  TRect FrameWidths() const;
  // The colour the frame is drawn in now.
  TKyColor FrameColor();
  bool Hot() const { return hot_; }

  // ---- State ----
  bool Visible() const { return visibleRequest_; }
  void SetVisible(bool value);
  bool Enabled() const { return enabledRequest_; }
  void SetEnabled(bool value);
  bool EffectiveVisible() const;
  bool EffectiveEnabled() const;
  TKyAlignHor AlignHor() const { return alignHor_; }
  void SetAlignHor(TKyAlignHor value);
  TKyAlignVer AlignVer() const { return alignVer_; }
  void SetAlignVer(TKyAlignVer value);

  // Applies caption, inner label, buttons, states and look.
  virtual void UpdateDisplay();

  TKyLinkEvt& Link() { return link_; }

  TKyCanModifyEvent OnCanModify;
  TNotifyEvent OnStartEdit;
  TNotifyEvent OnValidate;
  TKyNotifyEditButtons OnButtons;

  // ---- Mask owner ----
  TKyDataType MaskDataType() const override { return dataType_; }
  TKyCForm* MaskFormConfig() const override;
  bool MaskOwnerLoading() const override { return IsLoading(); }
  void MaskChanged(TKyMask& mask) override;
  std::string MaskOwnerName() const override { return Name(); }

  void SetParent(TWinControl* parent) override;
  void SetBounds(int32_t left, int32_t top, int32_t width, int32_t height) override;

protected:
  void CreateParams(TCreateParams& params) override;
  void WndProc(TMessage& message) override;
  void CreateHandleDone() override;
  void KeyDown(uint16_t& key, TShiftState shift) override;
  void KeyPress(char& key) override;
  void DoEnter() override;
  void DoExit() override;
  void Change() override;
  void Loaded() override;
  void DefineProperties(TFiler& filer) override;
  // After a commit: the text shows the committed value.
  virtual void AfterApply();
  void PaintFrame(TCanvas& canvas, const TRect& window);

private:
  void StartEdit();
  void Recompile(bool raise = false);
  // The text for the value, in edit form while focused.
  void ShowValue();
  void SetOwnText(const std::string& text);
  TKyMaskEditState EditState() const;
  void ApplyEditState(const TKyMaskEditState& state);
  void Paste();
  void Cut();
  void NotifyChange();
  void LookChanged();
  void PlaceButtons();
  void ApplyColors();

  TKyLinkEvt link_;
  Variant value_;
  TKyDataType dataType_ = dtyString;
  std::unique_ptr<TKyMaskEdit> mask_;
  TKyCompiledMask compiled_;
  std::unique_ptr<TKyMemoryLabel> valueId_;
  std::unique_ptr<TKyMemoryLabel> captionId_;
  std::string refValue_;
  bool enterApply_ = false;
  int32_t timeChange_ = 0;
  bool editing_ = false;
  bool applying_ = false;
  bool settingValue_ = false;
  bool focused_ = false;
  bool hot_ = false;
  int ownChanges_ = 0;
  std::unique_ptr<TKyEditBtns> buttons_;
  std::unique_ptr<TKyEditText> text_;
  std::unique_ptr<TKyEditImage> image_;
  TKySingleLabel* innerLabel_;  // owned as a component
  std::unique_ptr<TKyILabel> iLabel_;
  std::vector<TKyEditBtnControl*> buttonControls_;  // owned as components
  std::unique_ptr<TKySetBackGround> background_;
  std::unique_ptr<TKySetColor> colBox_;
  std::unique_ptr<TKySetColor> colSelBox_;
  std::unique_ptr<TKyPrivilege> privilege_;
  bool shadow_ = false;
  bool transparent_ = false;
  TKyEditBorderStyle borderStyle_ = ebs3D;
  int32_t editLines_ = 1;
  // The picture behind the text while the edit is not focused: its own
  // background set when that is more than a colour, or what the parent
  // shows when transparent.
  bool ShowsBackdrop();
  HBRUSH BackdropBrush();
  TBitmap backdrop_;
  TBrush backdropBrush_;
  TRect backdropKey_;
  bool backdropValid_ = false;
  // Enter makes a new line: several lines, free text, no EnterApply.
  bool EnterMakesLine() const;
  bool visibleRequest_ = true;
  bool enabledRequest_ = true;
  TKyAlignHor alignHor_ = alhLeft;
  TKyAlignVer alignVer_ = alvTop;
  TKyPlacementRef placement_;
};

class TKyEdit : public TKyCustomEdit {
  KY_CLASS(TKyEdit, TKyCustomEdit)
public:
  using TKyCustomEdit::TKyCustomEdit;
  static void Publish(TPublisher<TKyEdit>& p);
};

void RegisterEditClasses();
