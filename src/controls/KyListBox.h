// The list box: an owner-drawn list of items with values, captions, images
// and check states. In the normal mode its value is the value of the chosen
// item; in the multiple modes the states mark the chosen items and the
// value is the composite text of their values (or, without aligned values,
// the value of the item last clicked). Items flow in one column that
// scrolls vertically (a scroll bar shows when they overflow) or in
// Columns columns that scroll sideways.
//
//   TKyCustomListBox   behaviour
//   TKyListBox         publishes
#pragma once

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "platform/windows/Publish.h"
#include "skin/ImageBlocks.h"
#include "skin/Label.h"
#include "skin/Items.h"
#include "skin/MarkBlocks.h"
#include "skin/Panel.h"
#include "skin/TextBlocks.h"

class TKyCustomListBox;
class TKyTimer;

KY_ENUM(TKyListModeSelection, uint8_t, lmsNormal, lmsMulti, lmsCheck, lmsExtended)
KY_ENUM(TKyAlignValues, uint8_t, alvNone, alv1Byte, alv2Byte, alv3Byte, alv4Byte)

class TKyListBoxItem : public TKyStateItem {
  KY_CLASS(TKyListBoxItem, TKyStateItem)
public:
  explicit TKyListBoxItem(TCollection* collection) : TKyStateItem(collection) {}
  // The states come back from the list's value, so forms do not keep them.
  static void Publish(TPublisher<TKyListBoxItem>& p);
};

// The items of a list box: every change reaches the list.
class TKyListBoxItems : public TKyStateItems {
  KY_CLASS(TKyListBoxItems, TKyStateItems)
public:
  explicit TKyListBoxItems(TKyCustomListBox* list);
  TKyListBoxItem* Items(int index) const { return static_cast<TKyListBoxItem*>(TCollection::Items(index)); }

protected:
  void ItemsChanged(int kind, TCollectionItem* item) override;
  void Notify(TCollectionItem* item, TCollectionNotification action) override;

private:
  TKyCustomListBox* list_;
};

// Item texts: as for every item list, plus the number of text lines an
// item is high.
class TKyListBoxTexts : public TKyGroupTexts {
  KY_CLASS(TKyListBoxTexts, TKyGroupTexts)
public:
  explicit TKyListBoxTexts(TPersistent* owner = nullptr) : TKyGroupTexts(owner) {}
  static void Publish(TPublisher<TKyListBoxTexts>& p);
  // Values below 1 are stored as 1.
  int32_t Lines() const { return lines_; }
  void SetLines(int32_t value) { Update(lines_, std::max<int32_t>(value, 1)); }

protected:
  void CopyFrom(const TKyBlock& source) override;

private:
  int32_t lines_ = 1;
};

class TKyListBoxImages : public TKyGroupImages {
  KY_CLASS(TKyListBoxImages, TKyGroupImages)
public:
  explicit TKyListBoxImages(TPersistent* owner = nullptr) : TKyGroupImages(owner) {}
};

class TKyListBoxChecks : public TKyGroupChecks {
  KY_CLASS(TKyListBoxChecks, TKyGroupChecks)
public:
  explicit TKyListBoxChecks(TPersistent* owner = nullptr) : TKyGroupChecks(owner) {}
};

using TKyCustomListBoxNotifyValidateState = TEvent<void(TObject* sender, TKyListBoxItem* item)>;
using TKyCustomListBoxNotifyDisplayText = TEvent<void(TObject* sender, TKyListBoxItem* item, std::string& text)>;

class TKyCustomListBox : public TKyCustomPanel {
  KY_CLASS(TKyCustomListBox, TKyCustomPanel)
public:
  static constexpr int32_t kScrollBarWidth = 16;

  explicit TKyCustomListBox(TComponent* owner);
  ~TKyCustomListBox() override;

  TKyListBoxItems* Items() const { return items_.get(); }
  void SetItems(const TKyItems* value) { items_->Assign(value); }
  TKyListBoxTexts* Texts() const { return texts_.get(); }
  void SetTexts(const TKyListBoxTexts* value) { texts_->Assign(value); }
  TKyListBoxImages* Images() const { return images_.get(); }
  void SetImages(const TKyListBoxImages* value) { images_->Assign(value); }
  TKyListBoxChecks* Checks() const { return checks_.get(); }
  void SetChecks(const TKyListBoxChecks* value) { checks_->Assign(value); }

  bool Sorted() const { return sorted_; }
  void SetSorted(bool value);
  bool AllowGrayed() const { return allowGrayed_; }
  void SetAllowGrayed(bool value);
  TKyListModeSelection ModeSelection() const { return mode_; }
  void SetModeSelection(TKyListModeSelection value);
  TKyAlignValues AlignValues() const { return alignValues_; }
  void SetAlignValues(TKyAlignValues value);
  bool ThumbTrack() const { return thumbTrack_; }
  void SetThumbTrack(bool value) { thumbTrack_ = value; }
  bool AdjustValue() const { return adjustValue_; }
  void SetAdjustValue(bool value) { adjustValue_ = value; }
  bool IntegralHeight() const { return integralHeight_; }
  void SetIntegralHeight(bool value);
  int32_t DropDownCount() const { return dropDownCount_; }
  void SetDropDownCount(int32_t value) { dropDownCount_ = std::max<int32_t>(value, 0); }
  int32_t MinItemHeight() const { return minItemHeight_; }
  void SetMinItemHeight(int32_t value);
  int32_t InternalLeftRight() const { return internalLeftRight_; }
  void SetInternalLeftRight(int32_t value);
  int32_t InternalTopBottom() const { return internalTopBottom_; }
  void SetInternalTopBottom(int32_t value);
  // 0: one vertical list; more: items flow top to bottom in that many
  // visible columns. Values below 0 are stored as 0.
  int32_t Columns() const { return columns_; }
  void SetColumns(int32_t value);

  // Honoured only in the normal mode outside loading (the composite value
  // of the other modes stays text); binary and memo are refused.
  // An empty variant chooses none: the value becomes Null.
  void SetValue(const Variant& value) { TKySinglePanel::SetValue(value.IsEmpty() ? Variant::Null() : value); }
  TKyDataType DataType() const { return TKySinglePanel::DataType(); }
  void SetDataType(TKyDataType value);

  TKyCustomListBoxNotifyValidateState OnValidateState;
  TKyCustomListBoxNotifyDisplayText OnDisplayText;

  // ---- Shown items ----
  int ShownCount() const { return static_cast<int>(shown_.size()); }
  TKyListBoxItem* Shown(int index) const { return shown_.at(static_cast<size_t>(index)); }
  int ShownIndexOf(const TKyItem* item) const;
  int FocusedIndex() const { return focused_; }
  // Moves the focus mark (and scrolls it into view) without choosing.
  void SetFocusedIndex(int index);
  int TopIndex() const { return top_; }
  void SetTopIndex(int index);
  int AnchorIndex() const { return anchor_; }
  // Whether a shown item is drawn selected.
  bool IsSelected(int index) const;
  // The text shown for an item (after OnDisplayText).
  std::string DisplayText(TKyListBoxItem* item);

  // ---- Geometry (client coordinates) ----
  int32_t ItemHeight();
  // Where the items go: the client area less the scroll bar.
  TRect ItemArea();
  // Whole rows that fit in a column (at least 1).
  int RowsPerColumn();
  // Items shown at once.
  int PageSize();
  // An item's rectangle; empty when it is scrolled out of view.
  TRect ItemRect(int index);
  // An item's rectangle less the padding: where its parts go.
  TRect ContentRect(const TRect& cell) const;
  // The check box inside an item's rectangle (lmsCheck).
  TRect CheckRect(int index);
  // The shown item under a client point, or -1.
  int ItemAt(int32_t x, int32_t y);
  bool ScrollBarVisible();
  TRect ScrollBarRect();
  TRect ThumbRect();

  // The composite value of the current states.
  std::string CompositeValue() const;
  // Steps an item's state as a click does: unchecked, (grayed,) checked.
  TKyCheckState NextState(TKyCheckState s) const;

  void UpdateDisplay() override;

protected:
  friend class TKyListBoxItems;
  void ItemsChanged(int kind, TCollectionItem* item);
  // An item leaves the collection (also inside a batch).
  void Forget(const TCollectionItem* item);
  bool HasValue() const override { return true; }
  bool ScalarValueOnly() const override { return true; }
  void ValueChanged() override;
  void Paint() override;
  void Resize() override;
  void MouseDown(TMouseButton button, TShiftState shift, int32_t x, int32_t y) override;
  void MouseMove(TShiftState shift, int32_t x, int32_t y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int32_t x, int32_t y) override;
  void KeyDown(uint16_t& key, TShiftState shift) override;
  void KeyPress(char& key) override;
  void DoEnter() override;
  void DoExit() override;
  void WndProc(TMessage& message) override;
  // A privileges list keeps its items' levels in step with their states.
  virtual void StateChanged(TKyListBoxItem* /*item*/) {}

private:
  bool Composite() const { return mode_ != lmsNormal && alignValues_ != alvNone; }
  bool Choosable(int index) const;
  // The shown list anew; focus and first row stay on the same items where
  // they still show. gone: an item about to leave the collection.
  void RebuildShown(const TCollectionItem* gone = nullptr);
  void ClampTop();
  void EnsureVisible(int index);
  int IndexOfValue() const;
  // Normal mode and alvNone: the value of a shown item through the value
  // protocol; a refused value puts the focus back on the item that stands
  // (or, when none does, on before).
  void Choose(int index, int before);
  // A user's state change: the new composite value goes through the
  // protocol; a refusal restores the states.
  void ApplyStates(const std::vector<TKyCheckState>& states, int changed);
  std::vector<TKyCheckState> States() const;
  void Toggle(int index);
  // Extended mode: only the items from anchor to index selected.
  void SelectRange(int anchor, int index);
  // The composite value read back into the states.
  void StatesFromValue();
  // Whole items only: the height loses what a last item would show in part.
  void SnapHeight();
  bool snapping_ = false;
  void StoreComposite();
  int StepFrom(int from, int delta) const;
  void PaintItem(TCanvas& canvas, int index, bool selected);
  void PaintScrollBar(TCanvas& canvas);
  bool PointerOutside(int32_t x, int32_t y, bool& before);
  void RepeatStep();
  void StartRepeat();
  void StopRepeat();
  // Thumb position for a pointer y while it is dragged.
  int TopForThumb(int32_t y);

  std::unique_ptr<TKyListBoxItems> items_;
  std::unique_ptr<TKyListBoxTexts> texts_;
  std::unique_ptr<TKyListBoxImages> images_;
  std::unique_ptr<TKyListBoxChecks> checks_;
  bool sorted_ = false;
  bool allowGrayed_ = false;
  TKyListModeSelection mode_ = lmsNormal;
  TKyAlignValues alignValues_ = alv1Byte;
  bool thumbTrack_ = true;
  bool adjustValue_ = false;
  bool integralHeight_ = true;
  int32_t dropDownCount_ = 0;
  int32_t minItemHeight_ = 0;
  int32_t internalLeftRight_ = 0;
  int32_t internalTopBottom_ = 0;
  int32_t columns_ = 0;

  // Measured once per paint and after a change of the look.
  int32_t itemHeight_ = 0;
  std::vector<TKyListBoxItem*> shown_;
  int focused_ = -1;
  int anchor_ = -1;
  int downFocus_ = -1;
  bool tracking_ = false;
  int top_ = 0;
  // Scroll bar: the thumb being dragged and where it was taken.
  bool thumbDrag_ = false;
  int32_t thumbGrab_ = 0;
  int thumbTop_ = 0;
  // What a held button repeats: scroll-bar arrows and track, or the
  // scrolling toward a pointer held outside the items.
  enum TRepeat : uint8_t { rptNone, rptLineUp, rptLineDown, rptPageUp, rptPageDown, rptTrack };
  static constexpr uint32_t kRepeatStart = 300;
  static constexpr uint32_t kRepeatNext = 60;
  TRepeat repeat_ = rptNone;
  std::unique_ptr<TKyTimer> repeatTimer_;
  TPoint lastMouse_{};
  // Set while the list stores a value it composed itself.
  bool composing_ = false;
};

class TKyListBox : public TKyCustomListBox {
  KY_CLASS(TKyListBox, TKyCustomListBox)
public:
  using TKyCustomListBox::TKyCustomListBox;
  static void Publish(TPublisher<TKyListBox>& p);
};

// Every published property of a list box, for the classes that publish
// them (the privileges list adds its own).
template <class R>
void PublishListBox(TPublisher<R>& p) {
  PublishBounds(p);
  p.Property("Align", &R::Align, &R::SetAlign).Default(alNone);
  p.Property("AlignVer", &R::AlignVer, &R::SetAlignVer).Default(alvTop);
  p.Property("AlignHor", &R::AlignHor, &R::SetAlignHor).Default(alhLeft);
  p.Property("Cursor", &R::Cursor, &R::SetCursor).Default(crDefault);
  p.Property("Hint", &R::Hint, &R::SetHint);
  p.Property("HelpContext", &R::HelpContext, &R::SetHelpContext).Default(0);
  p.Property("TabOrder", &R::TabOrder, &R::SetTabOrder).Default(-1);
  p.Property("TabStop", &R::TabStop, &R::SetTabStop).Default(true);
  p.Property("ModeSelection", &R::ModeSelection, &R::SetModeSelection).Default(lmsNormal);
  p.Property("AlignValues", &R::AlignValues, &R::SetAlignValues).Default(alv1Byte);
  p.Property("AllowGrayed", &R::AllowGrayed, &R::SetAllowGrayed).Default(false);
  p.Property("DataType", &R::DataType, &R::SetDataType).Default(dtyString);
  p.Property("Items", &R::Items);
  p.Property("Sorted", &R::Sorted, &R::SetSorted).Default(false);
  p.Property("ThumbTrack", &R::ThumbTrack, &R::SetThumbTrack).Default(true);
  p.Property("AdjustValue", &R::AdjustValue, &R::SetAdjustValue).Default(false);
  p.Property("ILabel", &R::ILabel);
  p.Property("CaptionId", &R::CaptionId);
  p.Property("Images", &R::Images);
  p.Property("Texts", &R::Texts);
  p.Property("Checks", &R::Checks);
  p.Property("IntegralHeight", &R::IntegralHeight, &R::SetIntegralHeight).Default(true);
  p.Property("DropDownCount", &R::DropDownCount, &R::SetDropDownCount).Default(0);
  p.Property("MinItemHeight", &R::MinItemHeight, &R::SetMinItemHeight).Default(0);
  p.Property("MarginLeftRight", &R::MarginLeftRight, &R::SetMarginLeftRight).Default(0);
  p.Property("MarginTopBottom", &R::MarginTopBottom, &R::SetMarginTopBottom).Default(0);
  p.Property("InternalLeftRight", &R::InternalLeftRight, &R::SetInternalLeftRight).Default(0);
  p.Property("InternalTopBottom", &R::InternalTopBottom, &R::SetInternalTopBottom).Default(0);
  p.Property("Shadow", &R::Shadow, &R::SetShadow).Default(false);
  p.Property("SetBackGround", &R::SetBackGround);
  p.Property("BevelInner", &R::BevelInner, &R::SetBevelInner).Default(besNone);
  p.Property("BevelOuter", &R::BevelOuter, &R::SetBevelOuter).Default(bes3DBottom);
  p.Property("BorderWidth", &R::BorderWidth, &R::SetBorderWidth).Default(0);
  p.Property("Columns", &R::Columns, &R::SetColumns).Default(0);
  p.Property("Transparent", &R::Transparent, &R::SetTransparent).Default(false);
  p.Property("Privilege", &R::Privilege);
  p.Property("Visible", &R::Visible, &R::SetVisible).Default(true);
  p.Property("Enabled", &R::Enabled, &R::SetEnabled).Default(true);
  p.Property("ReadOnly", &R::ReadOnly, &R::SetReadOnly).Default(false);
  p.Event("OnCanModify", &R::OnCanModify);
  p.Event("OnStartEdit", &R::OnStartEdit);
  p.Event("OnValidate", &R::OnValidate);
  p.Event("OnValidateState", &R::OnValidateState);
  p.Event("OnDisplayText", &R::OnDisplayText);
  p.Event("OnClick", &R::OnClick);
  p.Event("OnDblClick", &R::OnDblClick);
  p.Event("OnEnter", &R::OnEnter);
  p.Event("OnExit", &R::OnExit);
  p.Event("OnMouseDown", &R::OnMouseDown);
  p.Event("OnMouseMove", &R::OnMouseMove);
  p.Event("OnMouseUp", &R::OnMouseUp);
  p.Event("OnKeyDown", &R::OnKeyDown);
  p.Event("OnKeyPress", &R::OnKeyPress);
  p.Event("OnKeyUp", &R::OnKeyUp);
  PublishDragProperties(p);
  PublishPopupMenu(p);
  PublishDragEvents(p);
}

void RegisterListBoxClasses();
