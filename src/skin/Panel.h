// The panel: the windowed base of the skinned controls. One frame (outer
// and inner bevels, border width, margins), one background (a set, or the
// parent's when transparent), a privilege that hides or locks the control,
// a caption from a strings package, an optional skin image with its window
// region and drop shadow, and one display update that applies all of it.
//
//   TKySinglePanel   frame, background, effective state, display update
//   TKyCustomPanel   + skin image, inner label, caption from a package
//   TKyPanel         publishes
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "packages/DisplaySets.h"
#include "packages/PkgImages.h"
#include "packages/PkgPrivileges.h"
#include "packages/PkgStrings.h"
#include "platform/windows/Controls.h"
#include "platform/base/Variant.h"
#include "skin/DataTypes.h"
#include "skin/LinkEvt.h"
#include "skin/Placement.h"
#include "skin/TextBlocks.h"

class TKyPaintControl;
class TKyILabel;
class TKySingleLabel;

KY_ENUM(TKyBevelStyle, uint8_t, besNone, besSingle, bes3DTop, bes3DBottom)

// Asks control (or, when it does not answer, its parents) which background
// shows behind it.
TKyBackgroundQuery QueryBackground(TWinControl* control);

class TKySinglePanel : public TCustomControl {
  KY_CLASS(TKySinglePanel, TCustomControl)
public:
  explicit TKySinglePanel(TComponent* owner);
  ~TKySinglePanel() override;

  // ---- Frame ----
  TKyBevelStyle BevelInner() const { return bevelInner_; }
  void SetBevelInner(TKyBevelStyle value);
  TKyBevelStyle BevelOuter() const { return bevelOuter_; }
  void SetBevelOuter(TKyBevelStyle value);
  int32_t BorderWidth() const { return borderWidth_; }
  void SetBorderWidth(int32_t value);
  int32_t MarginLeftRight() const { return marginLeftRight_; }
  void SetMarginLeftRight(int32_t value);
  int32_t MarginTopBottom() const { return marginTopBottom_; }
  void SetMarginTopBottom(int32_t value);
  // What the frame takes from each side.
  int32_t FrameHorizontal() const;
  int32_t FrameVertical() const;
  // The window shrunk by the frame.
  TRect ClientRect() const override;

  // ---- Look and state ----
  bool FullRepaint() const { return fullRepaint_; }
  void SetFullRepaint(bool value) { fullRepaint_ = value; }
  bool Locked() const { return locked_; }
  void SetLocked(bool value) { locked_ = value; }
  bool Shadow() const { return shadow_; }
  void SetShadow(bool value);
  bool Transparent() const { return transparent_; }
  void SetTransparent(bool value);
  TKySetBackGround* SetBackGround() const { return background_.get(); }
  TKyPrivilege* Privilege() const { return privilege_.get(); }
  TKyMemoryLabel* CaptionId() const { return captionId_.get(); }
  bool DesignCaption() const { return designCaption_; }
  void SetDesignCaption(bool value) { designCaption_ = value; }

  // The requested states; what shows combines them with the privilege.
  bool Visible() const { return visibleRequest_; }
  void SetVisible(bool value);
  bool Enabled() const { return enabledRequest_; }
  void SetEnabled(bool value);
  bool ReadOnly() const { return readOnly_; }
  void SetReadOnly(bool value);
  bool EffectiveEnabled() const;
  bool EffectiveVisible() const;
  bool EffectiveReadOnly() const;

  // ---- Placement ----
  TKyAlignHor AlignHor() const { return alignHor_; }
  void SetAlignHor(TKyAlignHor value);
  TKyAlignVer AlignVer() const { return alignVer_; }
  void SetAlignVer(TKyAlignVer value);

  // ---- Value (published by the data controls) ----
  Variant Value() const { return value_; }
  // An equal value changes nothing; otherwise the value is stored converted
  // to DataType and OnValidate runs; when it raises, the previous value
  // comes back and the exception goes on.
  void SetValue(const Variant& value);
  TKyDataType DataType() const { return dataType_; }
  void SetDataType(TKyDataType value);
  TNotifyEvent OnValidate;
  // The first value change after the control was entered.
  TNotifyEvent OnStartEdit;
  // Asked before the user changes the value; Allow starts true.
  using TCanModifyEvent = TEvent<void(TObject* sender, bool& allow)>;
  TCanModifyEvent OnCanModify;
  // Whether the user may change the value now: not read-only and no
  // OnCanModify handler refusing.
  bool CanModify();
  bool EditingStarted() const { return editing_; }

  TKyLinkEvt& Link() { return link_; }
  // Applies caption, inner label, effective states, region and size.
  virtual void UpdateDisplay();

  // Painter items registered with this panel.
  const std::vector<TKyPaintControl*>& PaintItems() const { return paintItems_; }

protected:
  // Records the placement reference after a display update.
  virtual void RefreshBounds();
  virtual void AdjustSize() {}
  virtual bool HasImageSize() const { return false; }
  virtual bool HasImageRegion() const { return false; }
  virtual bool IsFullRepaint() const { return fullRepaint_; }
  // The window's outline (none here; skins cut it to their image).
  virtual void ApplyRegion() {}
  // The look, painted into the pass: background, frame, design caption.
  void Paint() override;
  void PaintBackground(TCanvas& canvas, const TRect& rect);
  void PaintFrame(TCanvas& canvas);
  void PaintDesignCaption(TCanvas& canvas);
  // The panel's own part of the display update, for descendants.
  virtual void ApplyCaption() {}
  virtual void PlaceInnerLabel() {}
  bool KeepsFrameInNonClient() const { return nonClientFrame_; }
  void SetKeepsFrameInNonClient(bool value);
  TRect NonClientInsets() const override;
  void PaintNonClient(TCanvas& canvas, const TRect& window) override;
  // The bevels on rect (the window, or the client area when they are in it).
  void DrawFrame(TCanvas& canvas, TRect rect);
  // Client size kept when the frame changes (the width follows it).
  bool KeepsClientSize() const { return keepClientSize_; }
  void SetKeepsClientSize(bool value) { keepClientSize_ = value; }

  void WndProc(TMessage& message) override;
  void Resize() override;
  void Loaded() override;
  void CreateHandleDone() override;
  // The value as it is, without conversion or validation (for controls
  // that run their own protocol).
  void StoreValue(const Variant& value) { value_ = value; }
  // Streams Value as "xValue" ("{NULL}" for no value) when the class
  // publishes it.
  virtual bool HasValue() const { return false; }
  void DefineProperties(TFiler& filer) override;
  // The value stands: descendants show it.
  virtual void ValueChanged() { Invalidate(); }
  // Controls that hold one selectable value refuse binary and memo types.
  virtual bool ScalarValueOnly() const { return false; }
  // Raises OnStartEdit once per entry into the control.
  void StartEdit();
  // Whether the form's configuration has events and validation switched off.
  bool EventsSuppressed() const;
  void DoExit() override;
  // The library message; code 5, 6 and 17 are the panel's.
  virtual void LibraryMessage(int32_t code, int32_t value, TMessage& message);
  // The frame changed: new client area, new paint.
  void FrameThicknessChanged(int32_t oldHorizontal);

private:
  friend class TKyPaintControl;
  void DisplayChanged();

  TKyLinkEvt link_;
  bool displayPending_ = false;  // changed while it had no window
  bool fullRepaint_ = false;
  bool locked_ = false;
  TKyAlignHor alignHor_ = alhLeft;
  TKyAlignVer alignVer_ = alvTop;
  TKyBevelStyle bevelInner_ = besNone;
  TKyBevelStyle bevelOuter_ = bes3DTop;
  int32_t borderWidth_ = 0;
  bool shadow_ = false;
  std::unique_ptr<TKySetBackGround> background_;
  std::unique_ptr<TKyPrivilege> privilege_;
  std::unique_ptr<TKyMemoryLabel> captionId_;
  bool visibleRequest_ = true;
  bool enabledRequest_ = true;
  bool readOnly_ = false;
  bool transparent_ = false;
  std::vector<TKyPaintControl*> paintItems_;
  int32_t marginLeftRight_ = 0;
  int32_t marginTopBottom_ = 0;
  bool designCaption_ = true;
  bool nonClientFrame_ = false;
  bool keepClientSize_ = false;
  TKyPlacementRef placement_;
  bool resizing_ = false;
  Variant value_;
  TKyDataType dataType_ = dtyString;
  bool editing_ = false;
  bool settingValue_ = false;
  TSize lastSize_{-1, -1};
};

KY_ENUM(TKyTextBoxBorderStyle, uint8_t, bbsNone, bbsSingle, bbs3DTop, bbs3DBottom, bbs3DDoubleTop, bbs3DDoubleBottom)

// The skin image of a panel: its picture as the body, its outline as the
// window, a soft drop shadow.
class TKyPanelSkin : public TPersistent {
  KY_CLASS(TKyPanelSkin, TPersistent)
public:
  explicit TKyPanelSkin(TPersistent* owner = nullptr);
  static void Publish(TPublisher<TKyPanelSkin>& p);
  TKyMemoryImage* Image() const { return image_.get(); }
  bool WinRgn() const { return winRgn_; }
  void SetWinRgn(bool value);
  bool Shadow() const { return shadow_; }
  void SetShadow(bool value);
  int32_t SmoothSh() const { return smoothSh_; }
  void SetSmoothSh(int32_t value);
  int32_t MarginSh() const { return marginSh_; }
  void SetMarginSh(int32_t value);
  std::function<void()> OnChange;
  void Assign(const TPersistent* source) override;

protected:
  TPersistent* GetOwner() const override { return owner_; }

private:
  void Changed() {
    if (OnChange) OnChange();
  }
  TPersistent* owner_;
  std::unique_ptr<TKyMemoryImage> image_;
  bool winRgn_ = true;
  bool shadow_ = false;
  int32_t smoothSh_ = 70;
  int32_t marginSh_ = 5;
};

class TKyCustomPanel : public TKySinglePanel {
  KY_CLASS(TKyCustomPanel, TKySinglePanel)
public:
  explicit TKyCustomPanel(TComponent* owner);
  ~TKyCustomPanel() override;

  TKyPanelSkin* Skin() const { return skin_.get(); }
  TKyILabel* ILabel() const { return iLabel_.get(); }
  TKySingleLabel* InnerLabel() const { return innerLabel_; }

protected:
  void Paint() override;
  void AdjustSize() override;
  bool HasImageSize() const override;
  bool HasImageRegion() const override;
  bool IsFullRepaint() const override;
  void ApplyRegion() override;
  void ApplyCaption() override;
  void PlaceInnerLabel() override;
  // Descendants whose caption sits elsewhere by default bring their own
  // inner-label settings (same control, other defaults).
  void UseILabel(std::unique_ptr<TKyILabel> label);

  void WndProc(TMessage& message) override;

public:
  void SetParent(TWinControl* parent) override;
  void SetBounds(int32_t left, int32_t top, int32_t width, int32_t height) override;

private:
  std::unique_ptr<TKyPanelSkin> skin_;
  TKySingleLabel* innerLabel_;  // owned as a component
  std::unique_ptr<TKyILabel> iLabel_;
};

class TKyPanel : public TKyCustomPanel {
  KY_CLASS(TKyPanel, TKyCustomPanel)
public:
  using TKyCustomPanel::TKyCustomPanel;
  static void Publish(TPublisher<TKyPanel>& p);
};

// A framed group with a title on its frame line (the base of the radio
// group).
class TKyCustomGroupBox : public TKySinglePanel {
  KY_CLASS(TKyCustomGroupBox, TKySinglePanel)
public:
  explicit TKyCustomGroupBox(TComponent* owner);
  ~TKyCustomGroupBox() override;

  TKyBoxText* Title() const { return title_.get(); }
  TKyPen* Pen() const { return pen_.get(); }
  TKyTextBoxBorderStyle BorderStyle() const { return borderStyle_; }
  void SetBorderStyle(TKyTextBoxBorderStyle value);

  // Where the title goes and the frame line it sits on (client coordinates).
  TRect TitleRect();
  TRect FrameRect();

protected:
  void Paint() override;

private:
  std::unique_ptr<TKyBoxText> title_;
  std::unique_ptr<TKyPen> pen_;
  TKyTextBoxBorderStyle borderStyle_ = bbs3DBottom;
};

// A light painter item that a panel keeps in its list: bounds, visible and
// one selected item per panel.
class TKyPaintControl {
public:
  TKyPaintControl() = default;
  ~TKyPaintControl();
  TKyPaintControl(const TKyPaintControl&) = delete;
  TKyPaintControl& operator=(const TKyPaintControl&) = delete;

  TKySinglePanel* Panel() const { return panel_; }
  void SetPanel(TKySinglePanel* value);
  TRect Bounds() const { return bounds_; }
  void SetBounds(const TRect& value) { bounds_ = value; }
  bool Visible() const { return visible_; }
  void SetVisible(bool value) { visible_ = value; }
  bool Selected() const { return selected_; }
  // Selecting one item clears the others of its panel.
  void SetSelected(bool value);

private:
  friend class TKySinglePanel;
  TKySinglePanel* panel_ = nullptr;
  TRect bounds_;
  bool visible_ = true;
  bool selected_ = false;
};

void RegisterPanelClasses();
