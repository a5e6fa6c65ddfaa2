// The buttons of the library.
//
//   TKyCustomSpeedButton  windowless: state looks, groups, auto-repeat, drop-down part
//   TKySpeedButton        publishes
//   TKyButton             the platform BUTTON window: Default, Cancel, ModalResult
//   TKyCustomBitBtn       owner-drawn skinned push button, focus marks, kinds
//   TKyBitBtn             publishes
//   TKyRepeatTimer        the one timer of the process that repeats held buttons
//
// The per-state images and background sets, the drop-down part and the
// image beside the caption are blocks the buttons own.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "packages/CForm.h"
#include "packages/PkgPrivileges.h"
#include "packages/PkgStrings.h"
#include "platform/windows/StdCtrls.h"
#include "skin/AutoRepeat.h"
#include "skin/ImageBlocks.h"
#include "skin/KyTimers.h"
#include "skin/LinkEvt.h"
#include "skin/Placement.h"
#include "skin/ShapeBlocks.h"
#include "skin/TextBlocks.h"

KY_ENUM(TKyButtonStyle, uint8_t, btsShape, btsImage)
KY_ENUM(TKyDefaultAction, uint8_t, btaClick, btaMinimize, btaMaximize, btaRestore, btaClose, btaHelp, btaMenu)
KY_ENUM(TKyButtonKind, uint8_t, bkiNone, bkiOK, bkiCancel, bkiHelp, bkiYes, bkiNo, bkiClose, bkiAbort, bkiRetry,
        bkiIgnore, bkiAll, bkiCommit, bkiRollBack, bkiDetail)
KY_ENUM(TKyFocusStyle, uint8_t, fcsNone, fcsNotGrid, fcsColGrid, fcsInLine, fcsOutLine, fcsDouble)

// What a kind of bit button fills in.
struct TKyButtonKindInfo {
  bool Default;
  bool Cancel;
  TModalResult ModalResult;
  int32_t CaptionId;  // in the "System" strings
  int32_t ImageId;    // in the "System" images
};
TKyButtonKindInfo ButtonKindInfo(TKyButtonKind kind);

// ---- Blocks ----

// The image beside a button's caption.
class TKyButtonImage : public TKyFullImage {
  KY_CLASS(TKyButtonImage, TKyFullImage)
public:
  explicit TKyButtonImage(TPersistent* owner = nullptr);
  static void Publish(TPublisher<TKyButtonImage>& p);
  bool SelShadow() const { return selShadow_; }
  void SetSelShadow(bool value) { Update(selShadow_, value); }

protected:
  void CopyFrom(const TKyBlock& source) override;

private:
  bool selShadow_ = false;
};

// Per-state images; each class publishes the states it has.
class TKyStateImages : public TKyBlock {
  KY_CLASS(TKyStateImages, TKyBlock)
public:
  TKyMemoryImage* ImageUp() const { return up_.get(); }
  TKyMemoryImage* ImageDown() const { return down_.get(); }
  TKyMemoryImage* ImageOver() const { return over_.get(); }
  TKyMemoryImage* ImageDisabled() const { return disabled_.get(); }
  // Only the main part of a speed button has it; nullptr elsewhere.
  TKyMemoryImage* ImageExclusive() const { return exclusive_.get(); }

protected:
  TKyStateImages(TPersistent* owner, bool exclusive);
  void CopyFrom(const TKyBlock& source) override;

private:
  std::unique_ptr<TKyMemoryImage> up_, down_, over_, disabled_, exclusive_;
};

class TKyImagesButton : public TKyStateImages {
  KY_CLASS(TKyImagesButton, TKyStateImages)
public:
  explicit TKyImagesButton(TPersistent* owner = nullptr) : TKyStateImages(owner, true) {}
  static void Publish(TPublisher<TKyImagesButton>& p);
};

class TKyImagesButtonDown : public TKyStateImages {
  KY_CLASS(TKyImagesButtonDown, TKyStateImages)
public:
  explicit TKyImagesButtonDown(TPersistent* owner = nullptr) : TKyStateImages(owner, false) {}
  static void Publish(TPublisher<TKyImagesButtonDown>& p);
};

class TKyImagesBitBtn : public TKyStateImages {
  KY_CLASS(TKyImagesBitBtn, TKyStateImages)
public:
  explicit TKyImagesBitBtn(TPersistent* owner = nullptr) : TKyStateImages(owner, false) {}
  static void Publish(TPublisher<TKyImagesBitBtn>& p);
};

// Per-state background sets.
class TKyStateBGs : public TKyBlock {
  KY_CLASS(TKyStateBGs, TKyBlock)
public:
  TKySetBackGround* SetBGUp() const { return up_.get(); }
  TKySetBackGround* SetBGDown() const { return down_.get(); }
  TKySetBackGround* SetBGOver() const { return over_.get(); }
  TKySetBackGround* SetBGDisabled() const { return disabled_.get(); }
  TKySetBackGround* SetBGExclusive() const { return exclusive_.get(); }

protected:
  TKyStateBGs(TPersistent* owner, bool exclusive);
  void CopyFrom(const TKyBlock& source) override;

private:
  std::unique_ptr<TKySetBackGround> MakeState();
  std::unique_ptr<TKySetBackGround> up_, down_, over_, disabled_, exclusive_;
};

class TKyBGsButton : public TKyStateBGs {
  KY_CLASS(TKyBGsButton, TKyStateBGs)
public:
  explicit TKyBGsButton(TPersistent* owner = nullptr) : TKyStateBGs(owner, true) {}
  static void Publish(TPublisher<TKyBGsButton>& p);
};

class TKyBGsButtonDown : public TKyStateBGs {
  KY_CLASS(TKyBGsButtonDown, TKyStateBGs)
public:
  explicit TKyBGsButtonDown(TPersistent* owner = nullptr) : TKyStateBGs(owner, false) {}
  static void Publish(TPublisher<TKyBGsButtonDown>& p);
};

class TKyBGsBitBtn : public TKyStateBGs {
  KY_CLASS(TKyBGsBitBtn, TKyStateBGs)
public:
  explicit TKyBGsBitBtn(TPersistent* owner = nullptr) : TKyStateBGs(owner, false) {}
  static void Publish(TPublisher<TKyBGsBitBtn>& p);
};

// The drop-down part at the right edge of a speed button.
class TKySpeedButtonDown : public TKyBlock {
  KY_CLASS(TKySpeedButtonDown, TKyBlock)
public:
  explicit TKySpeedButtonDown(TPersistent* owner = nullptr);
  static void Publish(TPublisher<TKySpeedButtonDown>& p);

  TKyButtonStyle Style() const { return style_; }
  void SetStyle(TKyButtonStyle value) { Update(style_, value); }
  TKyButtonShape* Shape() const { return shape_.get(); }
  TKySpeedDownImage* Image() const { return image_.get(); }
  TKyImagesButtonDown* ImagesButton() const { return images_.get(); }
  TKyBGsButtonDown* BGsButton() const { return bgs_.get(); }
  bool Visible() const { return visible_; }
  void SetVisible(bool value) { Update(visible_, value); }
  // Takes style, shape, images and backgrounds from the main button.
  bool Sync() const { return sync_; }
  void SetSync(bool value) { Update(sync_, value); }
  int32_t Width() const { return width_; }
  void SetWidth(int32_t value) { Update(width_, std::max<int32_t>(0, value)); }
  TKySetBackGround* SetBackGround() const { return shape_->Brush()->SetBackGround(); }
  TKyBorderStyle BorderStyle() const { return shape_->BorderStyle(); }
  void SetBorderStyle(TKyBorderStyle value) { shape_->SetBorderStyle(value); }

protected:
  void CopyFrom(const TKyBlock& source) override;

private:
  TKyButtonStyle style_ = btsShape;
  std::unique_ptr<TKyButtonShape> shape_;
  std::unique_ptr<TKySpeedDownImage> image_;
  std::unique_ptr<TKyImagesButtonDown> images_;
  std::unique_ptr<TKyBGsButtonDown> bgs_;
  bool visible_ = false;
  bool sync_ = true;
  int32_t width_ = 13;
};

class TKyCustomSpeedButton;

// The one repeat timer of the process: each tick clicks the button that
// holds it and re-arms with that button's NextTime.
class TKyRepeatTimer : public TKyTimer {
  KY_CLASS(TKyRepeatTimer, TKyTimer)
public:
  explicit TKyRepeatTimer(TComponent* owner) : TKyTimer(owner) {}
  // Made on first use; lives as long as the process.
  static TKyRepeatTimer& Instance();
  // The instance if it was ever made (tests look at it).
  static TKyRepeatTimer* Existing();
  void Start(TKyCustomSpeedButton* button, uint32_t interval);
  void Stop();
  // Stops when button holds the timer (a button going away).
  void Release(TKyCustomSpeedButton* button);
  TKyCustomSpeedButton* Button() const { return button_; }
  // Ticks since the process started; each one clicked its button.
  uint64_t Ticks() const { return ticks_; }

protected:
  void DoTimer() override;

private:
  TKyCustomSpeedButton* button_ = nullptr;
  uint64_t ticks_ = 0;
};

// ---- The speed button ----

class TKyCustomSpeedButton : public TGraphicControl {
  KY_CLASS(TKyCustomSpeedButton, TGraphicControl)
public:
  explicit TKyCustomSpeedButton(TComponent* owner);
  ~TKyCustomSpeedButton() override;

  // ---- State ----
  bool Down() const { return down_; }
  void SetDown(bool value) { SetDownState(value, false); }
  int32_t GroupIndex() const { return groupIndex_; }
  void SetGroupIndex(int32_t value);
  bool AllowAllUp() const { return allowAllUp_; }
  void SetAllowAllUp(bool value);
  TModalResult ModalResult() const { return modalResult_; }
  void SetModalResult(TModalResult value) { modalResult_ = value; }
  TKyDefaultAction DefaultAction() const { return defaultAction_; }
  void SetDefaultAction(TKyDefaultAction value);
  TKyButtonRepeats* Repeats() const { return repeats_.get(); }
  TKySpeedButtonDown* ButtonDown() const { return buttonDown_.get(); }

  // ---- Look ----
  TKyButtonText* Text() const { return text_.get(); }
  TKyButtonShape* Shape() const { return shape_.get(); }
  TKyButtonImage* Image() const { return image_.get(); }
  TKyImagesButton* ImagesButton() const { return images_.get(); }
  TKyBGsButton* BGsButton() const { return bgs_.get(); }
  TKySetBackGround* SetBackGround() const { return shape_->Brush()->SetBackGround(); }
  TKySetColor* SetColBox() const { return colBox_.get(); }
  TKySetColor* SetColSelBox() const { return colSelBox_.get(); }
  TKyBorderStyle BorderStyle() const { return shape_->BorderStyle(); }
  void SetBorderStyle(TKyBorderStyle value) { shape_->SetBorderStyle(value); }
  int32_t Margin() const { return margin_; }
  // Below -1 is stored as -1 (centred).
  void SetMargin(int32_t value);
  bool Shadow() const { return shadow_; }
  void SetShadow(bool value);
  bool Flat() const { return flat_; }
  void SetFlat(bool value);
  TKyButtonStyle Style() const { return style_; }
  void SetStyle(TKyButtonStyle value);
  bool MouseRgn() const { return mouseRgn_; }
  void SetMouseRgn(bool value) { mouseRgn_ = value; }
  TKyMemoryLabel* CaptionId() const { return captionId_.get(); }
  TKyPrivilege* Privilege() const { return privilege_.get(); }
  TKyAlignHor AlignHor() const { return alignHor_; }
  void SetAlignHor(TKyAlignHor value);
  TKyAlignVer AlignVer() const { return alignVer_; }
  void SetAlignVer(TKyAlignVer value);

  // The requested states; what shows combines them with the privilege.
  bool Visible() const { return visibleRequest_; }
  void SetVisible(bool value);
  bool Enabled() const { return enabledRequest_; }
  void SetEnabled(bool value);
  bool EffectiveVisible() const;
  bool EffectiveEnabled() const;

  // ---- Run-time look state ----
  bool MouseInside() const { return mouseInside_; }
  bool DrawnPressed() const { return pressed_; }
  bool DownPartPressed() const { return downPressed_; }
  bool TextHot() const { return textHot_; }
  bool FlatHot() const { return flatHot_; }

  // ---- Geometry (client coordinates) ----
  int32_t DownPartWidth();
  TRect MainRect();
  TRect DownPartRect();

  // Performs DefaultAction.
  virtual void ClickAction();
  // Privilege, caption and hint from their packages, size, repaint.
  virtual void ReloadLook();
  void BeginUpdate() { ++updateCount_; }
  void EndUpdate();

  TNotifyEvent OnDownClick;
  TNotifyEvent OnPaint;

protected:
  void Paint() override;
  void WndProc(TMessage& message) override;
  void Loaded() override;
  void DoClick() override;
  void MouseDown(TMouseButton button, TShiftState shift, int32_t x, int32_t y) override;
  void MouseMove(TShiftState shift, int32_t x, int32_t y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int32_t x, int32_t y) override;
  bool Busy() const;
  void LookChanged();

private:
  friend class TKyRepeatTimer;
  void SetDownState(bool value, bool withClick);
  void SetPressed(bool value);
  void BroadcastGroup();
  void ButtonPressed(int32_t group, TKyCustomSpeedButton* sender);
  void PaintPart(TCanvas& canvas, const TRect& rect, bool main);
  void PaintContent(TCanvas& canvas, TRect rect);
  bool HitTest(TPoint p);
  void SizeToImage();
  TKyStateImages* PartImages(bool main) const;
  TKyStateBGs* PartBGs(bool main) const;
  TKyButtonShape* PartShape(bool main) const;
  TKyButtonStyle PartStyle(bool main) const;
  TSize ImageSize(TKyMemoryImage* image);
  int32_t ImageEnlarge() const;

  TKyLinkEvt link_;
  bool down_ = false;
  int32_t groupIndex_ = 0;
  bool allowAllUp_ = false;
  TModalResult modalResult_ = mrNone;
  TKyDefaultAction defaultAction_ = btaClick;
  std::unique_ptr<TKyButtonRepeats> repeats_;
  std::unique_ptr<TKySpeedButtonDown> buttonDown_;
  std::unique_ptr<TKyButtonText> text_;
  std::unique_ptr<TKyButtonShape> shape_;
  std::unique_ptr<TKyButtonImage> image_;
  std::unique_ptr<TKyImagesButton> images_;
  std::unique_ptr<TKyBGsButton> bgs_;
  std::unique_ptr<TKySetColor> colBox_;
  std::unique_ptr<TKySetColor> colSelBox_;
  std::unique_ptr<TKyMemoryLabel> captionId_;
  std::unique_ptr<TKyPrivilege> privilege_;
  int32_t margin_ = -1;
  bool shadow_ = false;
  bool flat_ = false;
  TKyButtonStyle style_ = btsShape;
  bool mouseRgn_ = false;
  TKyAlignHor alignHor_ = alhLeft;
  TKyAlignVer alignVer_ = alvTop;
  TKyPlacementRef placement_;
  bool visibleRequest_ = true;
  bool enabledRequest_ = true;
  int updateCount_ = 0;
  // Run-time state.
  bool pressed_ = false;
  bool downPressed_ = false;
  bool tracking_ = false;
  bool downTracking_ = false;
  bool mouseInside_ = false;
  bool textHot_ = false;
  bool flatHot_ = false;
  bool sizing_ = false;
};

class TKySpeedButton : public TKyCustomSpeedButton {
  KY_CLASS(TKySpeedButton, TKyCustomSpeedButton)
public:
  using TKyCustomSpeedButton::TKyCustomSpeedButton;
  static void Publish(TPublisher<TKySpeedButton>& p);
};

// ---- The push buttons ----

// The platform BUTTON window: Enter clicks the default button and Escape
// the cancel button through the form's dialog keys; a modal result closes
// a modal form.
class TKyButton : public TButton, public IKyPushButton {
  KY_CLASS(TKyButton, TButton)
public:
  explicit TKyButton(TComponent* owner);
};

class TKyCustomBitBtn : public TKyButton {
  KY_CLASS(TKyCustomBitBtn, TKyButton)
public:
  explicit TKyCustomBitBtn(TComponent* owner);
  ~TKyCustomBitBtn() override;

  TKyButtonKind Kind() const { return kind_; }
  void SetKind(TKyButtonKind value);
  // Commit the active edit's value before a click.
  bool UpdateValues() const { return updateValues_; }
  void SetUpdateValues(bool value) { updateValues_ = value; }
  TKyButtonStyle Style() const { return style_; }
  void SetStyle(TKyButtonStyle value);
  TKyButtonText* Text() const { return text_.get(); }
  TKyBitBtnShape* Shape() const { return shape_.get(); }
  TKyButtonImage* Image() const { return image_.get(); }
  TKyImagesBitBtn* ImagesButton() const { return images_.get(); }
  TKyBGsBitBtn* BGsButton() const { return bgs_.get(); }
  TKySetBackGround* SetBackGround() const { return shape_->SetBackGround(); }
  TKyBorderStyle BorderStyle() const { return shape_->BorderStyle(); }
  void SetBorderStyle(TKyBorderStyle value) { shape_->SetBorderStyle(value); }
  bool Shadow() const { return shadow_; }
  void SetShadow(bool value);
  int32_t Margin() const { return margin_; }
  void SetMargin(int32_t value);
  bool Grid() const { return grid_; }
  void SetGrid(bool value);
  TKyFocusStyle FocusStyle() const { return focusStyle_; }
  void SetFocusStyle(TKyFocusStyle value);
  TKyFocusStyle DefaultStyle() const { return defaultStyle_; }
  void SetDefaultStyle(TKyFocusStyle value);
  TKySetColor* SetColFocus() const { return colFocus_.get(); }
  TKySetColor* SetColDefault() const { return colDefault_.get(); }
  TKyMemoryLabel* CaptionId() const { return captionId_.get(); }
  TKyPrivilege* Privilege() const { return privilege_.get(); }
  TKyAlignHor AlignHor() const { return alignHor_; }
  void SetAlignHor(TKyAlignHor value);
  TKyAlignVer AlignVer() const { return alignVer_; }
  void SetAlignVer(TKyAlignVer value);

  bool Visible() const { return visibleRequest_; }
  void SetVisible(bool value);
  bool Enabled() const { return enabledRequest_; }
  void SetEnabled(bool value);
  bool EffectiveVisible() const;
  bool EffectiveEnabled() const;

  bool MouseInside() const { return mouseInside_; }
  bool DrawnPressed() const { return pressed_; }

  virtual void ReloadLook();
  void BeginUpdate() { ++updateCount_; }
  void EndUpdate();

  TNotifyEvent OnPaint;

protected:
  void CreateParams(TCreateParams& params) override;
  void WndProc(TMessage& message) override;
  // Pictures of the form show the button as it paints itself.
  void PrintClient(HDC dc) override;
  void Loaded() override;
  void DoClick() override;
  bool Busy() const;
  void LookChanged();
  // Draws the whole button into canvas (client coordinates).
  void PaintButton(TCanvas& canvas, const TRect& client, bool pressed, bool focused);

private:
  void PaintMark(TCanvas& canvas, const TRect& client, TKyFocusStyle style, TKyColor colour);

  TKyLinkEvt link_;
  TKyButtonKind kind_ = bkiNone;
  bool updateValues_ = true;
  TKyButtonStyle style_ = btsShape;
  std::unique_ptr<TKyButtonText> text_;
  std::unique_ptr<TKyBitBtnShape> shape_;
  std::unique_ptr<TKyButtonImage> image_;
  std::unique_ptr<TKyImagesBitBtn> images_;
  std::unique_ptr<TKyBGsBitBtn> bgs_;
  std::unique_ptr<TKySetColor> colFocus_;
  std::unique_ptr<TKySetColor> colDefault_;
  std::unique_ptr<TKyMemoryLabel> captionId_;
  std::unique_ptr<TKyPrivilege> privilege_;
  std::unique_ptr<TControlCanvas> canvas_;
  bool shadow_ = false;
  int32_t margin_ = -1;
  bool grid_ = true;
  TKyFocusStyle focusStyle_ = fcsNotGrid;
  TKyFocusStyle defaultStyle_ = fcsInLine;
  TKyAlignHor alignHor_ = alhLeft;
  TKyAlignVer alignVer_ = alvTop;
  TKyPlacementRef placement_;
  bool visibleRequest_ = true;
  bool enabledRequest_ = true;
  int updateCount_ = 0;
  bool mouseInside_ = false;
  bool pressed_ = false;
};

class TKyBitBtn : public TKyCustomBitBtn {
  KY_CLASS(TKyBitBtn, TKyCustomBitBtn)
public:
  using TKyCustomBitBtn::TKyCustomBitBtn;
  static void Publish(TPublisher<TKyBitBtn>& p);
};

void RegisterButtonClasses();
