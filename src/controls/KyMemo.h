// The skinned memo: the platform's multi-line EDIT window with the
// library's frame, colours and caption. Its text may come from a strings
// package (ValueId), following the active language; the blob value object
// hands its lines to the data side.
//
//   TKyCustomMemo   behaviour
//   TKyMemo         publishes
//   TKyMemoBlob     the lines as a blob
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "packages/CfgObjects.h"
#include "packages/DisplaySets.h"
#include "packages/PkgPrivileges.h"
#include "packages/PkgStrings.h"
#include "controls/KyEdit.h"
#include "platform/graphics/Bitmap.h"
#include "platform/windows/StdCtrls.h"
#include "skin/Label.h"
#include "skin/LinkEvt.h"
#include "skin/Pictures.h"
#include "skin/Placement.h"
#include "skin/TextBlocks.h"

class TKyCustomMemo;

KY_ENUM(TAlignment, uint8_t, taLeftJustify, taRightJustify, taCenter)

// The memo's lines as a blob. Every change through it starts editing,
// marks the memo modified and tells the memo's data side.
class TKyMemoBlob : public TKyBlob {
  KY_CLASS(TKyMemoBlob, TKyBlob)
public:
  explicit TKyMemoBlob(TKyCustomMemo* memo) : memo_(memo) {}
  TKyCustomMemo* Memo() const { return memo_; }

  void Clear();
  bool IsEmpty() const;
  // From another blob or a string list.
  void Assign(const TPersistent* source) override;
  void LoadFromStream(TStream& stream) override;
  void SaveToStream(TStream& stream) override;
  // Into another memo blob or a string list.
  void AssignTo(TPersistent* dest) const override;

private:
  // Runs change on the lines as one edit.
  template <typename F>
  void Change(F change);
  TKyCustomMemo* memo_;
};

class TKyCustomMemo : public TCustomMemo {
  KY_CLASS(TKyCustomMemo, TCustomMemo)
public:
  explicit TKyCustomMemo(TComponent* owner);
  ~TKyCustomMemo() override;

  TKyMemoryText* ValueId() const { return valueId_.get(); }
  TKyMemoBlob* Blob() const { return blob_.get(); }
  const std::string& RegistryDirectory() const { return registryDirectory_; }
  void SetRegistryDirectory(const std::string& value) { registryDirectory_ = value; }

  // ---- Look ----
  TKyMemoText* TextBlock() const { return text_.get(); }
  TKyILabel* ILabel() const { return iLabel_.get(); }
  TKySingleLabel* InnerLabel() const { return innerLabel_; }
  TKyMemoryLabel* CaptionId() const { return captionId_.get(); }
  TKySetBackGround* SetBackGround() const { return background_.get(); }
  TKyPrivilege* Privilege() const { return privilege_.get(); }
  TKyBorderStyle BorderStyle() const { return borderStyle_; }
  void SetBorderStyle(TKyBorderStyle value);
  bool Shadow() const { return shadow_; }
  void SetShadow(bool value);
  bool Transparent() const { return transparent_; }
  void SetTransparent(bool value);
  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment value);
  // Lines of text the memo is sized to (0: its own height).
  int32_t EditLines() const { return editLines_; }
  void SetEditLines(int32_t value);
  // The frame's thickness on each side, with the shadow's on the right
  // and at the bottom.
  TRect FrameWidths() const;
  // Whether the text shows over the parent's background now: transparent,
  // not focused (typing redraws opaquely), and the parent has one.
  bool ShowsBackdrop();

  // ---- State ----
  bool Visible() const { return visibleRequest_; }
  void SetVisible(bool value);
  bool Enabled() const { return enabledRequest_; }
  void SetEnabled(bool value);
  bool ReadOnly() const { return readOnlyRequest_; }
  void SetReadOnly(bool value);
  bool EffectiveVisible() const;
  bool EffectiveEnabled() const;
  TKyAlignHor AlignHor() const { return alignHor_; }
  void SetAlignHor(TKyAlignHor value);
  TKyAlignVer AlignVer() const { return alignVer_; }
  void SetAlignVer(TKyAlignVer value);

  // ---- Editing ----
  // Whether keys may change the text now.
  bool CanModify();
  bool Editing() const { return editing_; }
  // The first change after entry raises OnStartEdit.
  void StartEdit();
  // A change through the blob: the window's own change reports wait
  // until BlobChanged reports the whole change once (modified, OnChange).
  void BeginBlobChange() { ++blobChanging_; }
  void BlobChanged();

  // Caption, inner label, states, colours and the package text.
  virtual void UpdateDisplay();

  TKyLinkEvt& Link() { return link_; }

  TKyCanModifyEvent OnCanModify;
  TNotifyEvent OnStartEdit;

  void SetParent(TWinControl* parent) override;
  void SetBounds(int32_t left, int32_t top, int32_t width, int32_t height) override;

protected:
  void CreateParams(TCreateParams& params) override;
  void CreateHandleDone() override;
  void WndProc(TMessage& message) override;
  void KeyDown(uint16_t& key, TShiftState shift) override;
  void KeyPress(char& key) override;
  void DoExit() override;
  void Change() override;
  void Loaded() override;
  void PaintFrame(TCanvas& canvas, const TRect& window);

private:
  void LookChanged();
  void ApplyColors();
  // The package text into the lines, when ValueId names one.
  void ShowPackageText();
  bool EventsSuppressed() const;
  TKyColor BackColor();
  // Paints the parent's background over rect of a canvas whose origin is
  // at origin on the screen; false when the parent has none.
  bool PaintParentBackground(TCanvas& canvas, const TRect& rect, TPoint origin);
  // The pattern brush of the parent's background under the client area.
  HBRUSH BackdropBrush();

  TKyLinkEvt link_;
  std::unique_ptr<TKyMemoryText> valueId_;
  std::unique_ptr<TKyMemoryLabel> captionId_;
  std::unique_ptr<TKyMemoBlob> blob_;
  std::unique_ptr<TKyMemoText> text_;
  TKySingleLabel* innerLabel_;  // owned as a component
  std::unique_ptr<TKyILabel> iLabel_;
  std::unique_ptr<TKySetBackGround> background_;
  std::unique_ptr<TKyPrivilege> privilege_;
  std::string registryDirectory_;
  TKyBorderStyle borderStyle_ = bos3D;
  bool shadow_ = false;
  bool transparent_ = false;
  TAlignment alignment_ = taLeftJustify;
  int32_t editLines_ = 0;
  bool visibleRequest_ = true;
  bool enabledRequest_ = true;
  bool readOnlyRequest_ = false;
  int userInput_ = 0;
  bool editing_ = false;
  int blobChanging_ = 0;
  TKyAlignHor alignHor_ = alhLeft;
  TKyAlignVer alignVer_ = alvTop;
  TKyPlacementRef placement_;
  // The parent's background under the client area, made again when the
  // memo moves, resizes or the look changes.
  TBitmap backdrop_;
  TBrush backdropBrush_;
  TRect backdropKey_;
  bool backdropValid_ = false;
};

class TKyMemo : public TKyCustomMemo {
  KY_CLASS(TKyMemo, TKyCustomMemo)
public:
  using TKyCustomMemo::TKyCustomMemo;
  static void Publish(TPublisher<TKyMemo>& p);
};

void RegisterMemoClasses();
