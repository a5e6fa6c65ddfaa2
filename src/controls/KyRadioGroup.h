// The radio group: a framed group whose value is the value of one of its
// items, laid out in columns (the first column filled top to bottom, then
// the next). Each shown item is painted by an element: radio mark, image
// and caption. Mouse, arrows, Space and accelerators choose.
//
//   TKyCustomRadioGroup   behaviour
//   TKyRadioGroup         publishes
#pragma once

#include <memory>
#include <vector>

#include "skin/ImageBlocks.h"
#include "skin/Items.h"
#include "skin/MarkBlocks.h"
#include "skin/Panel.h"
#include "skin/TextBlocks.h"

class TKyCustomRadioGroup;

// The items of a radio group: every change reaches the group.
class TKyRadioGroupItems : public TKyItems {
  KY_CLASS(TKyRadioGroupItems, TKyItems)
public:
  explicit TKyRadioGroupItems(TKyCustomRadioGroup* group);

protected:
  void ItemsChanged(int kind, TCollectionItem* item) override;

private:
  TKyCustomRadioGroup* group_;
};

// One shown item: its cell, its check state, its painting.
class TElement : public TKyPaintControl {
public:
  TElement(TKyCustomRadioGroup* group, TKyItem* item);
  TKyItem* Item() const { return item_; }
  bool Checked() const { return checked_; }
  void SetChecked(bool value) { checked_ = value; }
  // Where the mark sits inside the cell.
  TRect MarkRect() const;
  void Paint(TCanvas& canvas);

private:
  TKyCustomRadioGroup* group_;
  TKyItem* item_;
  bool checked_ = false;
};

class TKyCustomRadioGroup : public TKyCustomGroupBox {
  KY_CLASS(TKyCustomRadioGroup, TKyCustomGroupBox)
public:
  explicit TKyCustomRadioGroup(TComponent* owner);
  ~TKyCustomRadioGroup() override;

  TKyRadioGroupItems* Items() const { return items_.get(); }
  void SetItems(const TKyItems* value) { items_->Assign(value); }
  bool Sorted() const { return sorted_; }
  void SetSorted(bool value);
  // Values below 1 are stored as 1.
  int32_t Columns() const { return columns_; }
  void SetColumns(int32_t value);
  TKyGroupRadios* Radios() const { return radios_.get(); }
  void SetRadios(const TKyGroupRadios* value) { radios_->Assign(value); }
  TKyGroupImages* Images() const { return images_.get(); }
  void SetImages(const TKyGroupImages* value) { images_->Assign(value); }
  TKyRadioGroupTexts* Texts() const { return texts_.get(); }
  void SetTexts(const TKyRadioGroupTexts* value) { texts_->Assign(value); }

  // The shown items in display order.
  int ElementCount() const { return static_cast<int>(elements_.size()); }
  TElement* Element(int index) const { return elements_.at(static_cast<size_t>(index)).get(); }
  // The element under a client point, or -1.
  int ElementAt(int32_t x, int32_t y) const;
  int CheckedIndex() const { return checkedIndex_; }
  int FocusedIndex() const { return focusedIndex_; }
  // The area the items share (client coordinates).
  TRect ItemArea();

protected:
  friend class TKyRadioGroupItems;
  void ApplyCaption() override;
  void UpdateDisplay() override;
  friend class TElement;
  void ItemsChanged(int kind);
  bool HasValue() const override { return true; }
  bool ScalarValueOnly() const override { return true; }
  void ValueChanged() override;
  void Paint() override;
  void Resize() override;
  void MouseDown(TMouseButton button, TShiftState shift, int32_t x, int32_t y) override;
  void MouseMove(TShiftState shift, int32_t x, int32_t y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int32_t x, int32_t y) override;
  // OnClick runs only when a press chose an item.
  void DoClick() override {}
  void KeyDown(uint16_t& key, TShiftState shift) override;
  void DoEnter() override;
  void DoExit() override;
  void WndProc(TMessage& message) override;

private:
  // New elements for the shown items, then their cells.
  void RebuildElements();
  void LayoutElements();
  int IndexOfValue() const;
  void ShowChecked(int index);
  void SetFocusedIndex(int index);
  bool Choosable(int index) const;
  // Sets the value of an element's item; a refused value shows the item of
  // the value that stands.
  void Choose(int index);
  bool DialogChar(char ch);

  std::unique_ptr<TKyRadioGroupItems> items_;
  bool sorted_ = false;
  int32_t columns_ = 1;
  std::unique_ptr<TKyGroupRadios> radios_;
  std::unique_ptr<TKyGroupImages> images_;
  std::unique_ptr<TKyRadioGroupTexts> texts_;
  std::vector<std::unique_ptr<TElement>> elements_;
  int checkedIndex_ = -1;
  int focusedIndex_ = -1;
  int pressedIndex_ = -1;
  int savedIndex_ = -1;
  int savedFocus_ = -1;
  bool tracking_ = false;
};

class TKyRadioGroup : public TKyCustomRadioGroup {
  KY_CLASS(TKyRadioGroup, TKyCustomRadioGroup)
public:
  using TKyCustomRadioGroup::TKyCustomRadioGroup;
  static void Publish(TPublisher<TKyRadioGroup>& p);
};

// A box of size placed on one side of rect (or over it); rest is what is
// left beside it for the next part of an item.
void PlaceItemBox(const TRect& rect, TSize size, TKyInternalControlLayout layout, int32_t spacing, TRect& box,
                  TRect& rest);
// An image reference drawn into box; false when it shows nothing.
bool DrawItemImage(TCanvas& canvas, TKyMemoryImage* ref, const TRect& box, bool stretch, bool transparent);

// Whether text carries ch as its accelerator ("&x"), without regard to case.
bool IsAccelerator(char ch, const std::string& text);

void RegisterRadioGroupClasses();
