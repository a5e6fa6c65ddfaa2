// The page control: a skinned tab control whose current page is a value.
// Setting Value selects the tab with that value and shows the tab sheet
// carrying the tab's page number; clicks, keys and accelerators all go
// through Value.
//
//   TKyTabControl / TKyTabsControl   one tab, the Tabs collection
//   TKyTabSheet                      one page
//   TKyCustomPageControl             tabs, pages, value, navigation, paint
//   TKyPageControl                   publishes
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "skin/ImageBlocks.h"
#include "skin/Label.h"
#include "skin/Items.h"
#include "skin/Panel.h"
#include "skin/ShapeBlocks.h"
#include "skin/TextBlocks.h"
#include "controls/KyButtons.h"

class TKyCustomPageControl;

KY_ENUM(TKyPageControlStyle, uint8_t, pcsNormal, pcsButton)
KY_ENUM(TKyPageControlMode, uint8_t, pmoPages, pmoTabs)
KY_ENUM(TKyTabsPosition, uint8_t, tapTop, tapBottom, tapLeft, tapRight)

class TKyTabControl : public TKyCollectionItem {
  KY_CLASS(TKyTabControl, TKyCollectionItem)
public:
  explicit TKyTabControl(TCollection* collection);
  ~TKyTabControl() override;
  static void Publish(TPublisher<TKyTabControl>& p);

  // The tab's index in decimal when empty.
  std::string Value() const;
  void SetValue(const std::string& value);
  bool Visible() const { return visible_; }
  void SetVisible(bool value);
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool value);
  TKyPrivilege* Privilege() const { return privilege_.get(); }
  TKyMemoryImage* Image() const { return image_.get(); }
  // From DescriptionId when it names a label, else the stored text.
  std::string Description() const;
  const std::string& DescriptionText() const { return description_; }
  void SetDescription(const std::string& value);
  TKyMemoryLabel* DescriptionId() const { return descriptionId_.get(); }
  TKySetBackGround* SetBackGround() const { return background_.get(); }
  bool Active() const;
  void SetActive(bool value);
  int32_t PageId() const { return pageId_; }
  void SetPageId(int32_t value) { pageId_ = value; }

  // Shown: Visible and an access level of 1 or 2; choosable: Enabled and 2.
  bool Shown() const;
  bool Choosable() const;
  // Where the layout put it (without the scroll offset).
  TRect Bounds() const { return bounds_; }
  int Row() const { return row_; }
  // Rows away from the page area (0: the row that touches it).
  int RowPosition() const;

  std::string DisplayName() const override;
  void Assign(const TPersistent* source) override;

protected:
  void DefineProperties(TFiler& filer) override;

private:
  friend class TKyCustomPageControl;
  TKyCustomPageControl* Control() const;
  void Changed();

  std::string value_;
  bool visible_ = true;
  bool enabled_ = true;
  std::unique_ptr<TKyPrivilege> privilege_;
  std::unique_ptr<TKyMemoryImage> image_;
  std::string description_;
  std::unique_ptr<TKyMemoryLabel> descriptionId_;
  std::unique_ptr<TKySetBackGround> background_;
  int32_t pageId_ = -1;
  TRect bounds_;
  int row_ = 0;
};

class TKyTabsControl : public TKyCollection {
  KY_CLASS(TKyTabsControl, TKyCollection)
public:
  explicit TKyTabsControl(TKyCustomPageControl* owner);
  TKyTabControl* Items(int index) const { return static_cast<TKyTabControl*>(TCollection::Items(index)); }
  TKyTabControl* Add() { return static_cast<TKyTabControl*>(TCollection::Add()); }
  // A string list makes one tab per line with that line as description.
  void Assign(const TPersistent* source) override;

protected:
  void ItemsChanged(int kind, TCollectionItem* item) override;
  void Notify(TCollectionItem* item, TCollectionNotification action) override;

private:
  TKyCustomPageControl* control_;
};

class TKyTabSheet : public TKyCustomPanel {
  KY_CLASS(TKyTabSheet, TKyCustomPanel)
public:
  explicit TKyTabSheet(TComponent* owner);
  ~TKyTabSheet() override;
  static void Publish(TPublisher<TKyTabSheet>& p);

  int32_t PageId() const { return pageId_; }
  void SetPageId(int32_t value) { pageId_ = value; }
  TKyCustomPageControl* PageControl() const { return control_; }
  void SetParent(TWinControl* parent) override;

protected:
  void DefineProperties(TFiler& filer) override;

private:
  friend class TKyCustomPageControl;
  // Whether this is the page on show: the page control's request, which
  // the panel's own visibility steps (loading, privileges) then keep.
  void ShowAsPage(bool show);
  int32_t pageId_ = -1;
  TKyCustomPageControl* control_ = nullptr;
};

// The look of the two scroll buttons of a tab strip that overflows.
class TKyScrollButtons : public TPersistent {
  KY_CLASS(TKyScrollButtons, TPersistent)
public:
  explicit TKyScrollButtons(TPersistent* owner = nullptr);
  static void Publish(TPublisher<TKyScrollButtons>& p);
  TKyBorderStyle BorderStyle() const { return border_; }
  void SetBorderStyle(TKyBorderStyle value);
  TKySetBackGround* SetBackGround() const { return background_.get(); }
  TKyPen* Pen() const { return pen_.get(); }
  bool DefaultDraw() const { return defaultDraw_; }
  void SetDefaultDraw(bool value);
  bool Flat() const { return flat_; }
  void SetFlat(bool value);
  int32_t Width() const { return width_; }
  void SetWidth(int32_t value);
  int32_t Height() const { return height_; }
  void SetHeight(int32_t value);
  TKyButtonShape* ButtonUp() const { return up_.get(); }
  TKyButtonShape* ButtonDown() const { return down_.get(); }
  TKyButtonShape* ButtonLeft() const { return left_.get(); }
  TKyButtonShape* ButtonRight() const { return right_.get(); }
  std::function<void()> OnChange;

protected:
  TPersistent* GetOwner() const override { return owner_; }

private:
  void Changed() {
    if (OnChange) OnChange();
  }
  TPersistent* owner_;
  TKyBorderStyle border_ = bos3D;
  std::unique_ptr<TKySetBackGround> background_;
  std::unique_ptr<TKyPen> pen_;
  bool defaultDraw_ = true;
  bool flat_ = false;
  int32_t width_ = 14;
  int32_t height_ = 14;
  std::unique_ptr<TKyButtonShape> up_, down_, left_, right_;
};

// A scroll button of the tab strip: a repeating speed button that moves
// the strip by one tab.
class TKySB : public TKySpeedButton {
  KY_CLASS(TKySB, TKySpeedButton)
public:
  TKySB(TKyCustomPageControl* control, bool next);
  bool Next() const { return next_; }

private:
  TKyCustomPageControl* control_;
  bool next_;
};

// The shape of the tabs in button style.
class TKyTabsButtons : public TKyBasicShape {
  KY_CLASS(TKyTabsButtons, TKyBasicShape)
public:
  explicit TKyTabsButtons(TPersistent* owner = nullptr);
  static void Publish(TPublisher<TKyTabsButtons>& p);
  TKyPen* Pen() const { return pen_.get(); }
  bool Flat() const { return flat_; }
  void SetFlat(bool value) { Update(flat_, value); }
  TKyBorderStyle BorderStyle() const { return border_; }
  void SetBorderStyle(TKyBorderStyle value) { Update(border_, value); }
  int32_t Margin() const { return margin_; }
  void SetMargin(int32_t value) { Update(margin_, value); }

private:
  std::unique_ptr<TKyPen> pen_;
  bool flat_ = false;
  TKyBorderStyle border_ = bos3D;
  int32_t margin_ = 0;
};

class TKyCustomPageControl : public TKyCustomPanel {
  KY_CLASS(TKyCustomPageControl, TKyCustomPanel)
public:
  explicit TKyCustomPageControl(TComponent* owner);
  ~TKyCustomPageControl() override;

  // ---- Value ----
  // An equal value changes nothing; otherwise StartEdit, the converted
  // value, OnValidate and the tab whose value matches (without regard to
  // case); anything raised brings the previous value back.
  Variant Value() const { return TKySinglePanel::Value(); }
  void SetValue(const Variant& value);
  TKyDataType DataType() const { return TKySinglePanel::DataType(); }
  void SetDataType(TKyDataType value) { TKySinglePanel::SetDataType(value); }

  // ---- Tabs and pages ----
  TKyTabsControl* Tabs() const { return tabs_.get(); }
  TKyTabControl* ActiveTab() const { return active_; }
  TKyTabControl* HotTab() const { return hot_; }
  const std::vector<TKyTabControl*>& ShownTabs() const { return shown_; }
  const std::vector<TKyTabSheet*>& Sheets() const { return sheets_; }
  TKyTabSheet* SheetOf(int32_t pageId) const;
  // The page area in client coordinates.
  TRect PageRect() const { return pageRect_; }
  // A tab's rectangle as it shows (moved by the scroll offset).
  TRect TabRect(const TKyTabControl* tab) const;
  TKyTabControl* TabAt(TPoint p) const;
  int32_t ScrollOffset() const { return offset_; }
  // One tab back or forward along a strip that overflows.
  void ScrollPrevious();
  void ScrollNext();
  bool Overflows() const { return overflow_; }

  // ---- Settings ----
  TKyBorderStyle BorderStyle() const { return borderStyle_; }
  void SetBorderStyle(TKyBorderStyle value);
  TKyPageControlStyle Style() const { return style_; }
  void SetStyle(TKyPageControlStyle value);
  TKyPageControlMode Mode() const { return mode_; }
  void SetMode(TKyPageControlMode value);
  TKyTabsPosition TabsPosition() const { return tabsPosition_; }
  void SetTabsPosition(TKyTabsPosition value);
  bool TabsVisible() const { return tabsVisible_; }
  void SetTabsVisible(bool value);
  bool MultiLine() const { return multiLine_; }
  void SetMultiLine(bool value);
  bool RectFocus() const { return rectFocus_; }
  void SetRectFocus(bool value);
  int32_t MarginTabLeftRight() const { return marginTabLR_; }
  void SetMarginTabLeftRight(int32_t value);
  int32_t MarginTabTopBottom() const { return marginTabTB_; }
  void SetMarginTabTopBottom(int32_t value);
  TKySetBackGround* SetBGTabs() const { return bgTabs_.get(); }
  TKyGroupImages* Images() const { return images_.get(); }
  TKyTabsTexts* Texts() const { return texts_.get(); }
  TKyTabsButtons* Buttons() const { return buttons_.get(); }
  TKyScrollButtons* ScrollButtons() const { return scrollButtons_.get(); }
  // The two scroll buttons while the strip overflows, else nullptr.
  TKySB* PreviousButton() const { return previous_; }
  TKySB* NextButton() const { return next_; }

  TNotifyEvent OnChange;
  TNotifyEvent OnShowPage;

  // Rebuilds the tab rectangles, the strip and the page area.
  void RebuildLayout();

protected:
  void Paint() override;
  void Loaded() override;
  void Resize() override;
  void WndProc(TMessage& message) override;
  void MouseDown(TMouseButton button, TShiftState shift, int32_t x, int32_t y) override;
  void MouseMove(TShiftState shift, int32_t x, int32_t y) override;
  void KeyDown(uint16_t& key, TShiftState shift) override;
  // Binary and memo values cannot name a page.
  bool ScalarValueOnly() const override { return true; }
  void LibraryMessage(int32_t code, int32_t value, TMessage& message) override;
  bool HasValue() const override { return true; }

private:
  friend class TKyTabControl;
  friend class TKyTabsControl;
  friend class TKyTabSheet;
  void Attach(TKyTabSheet* sheet);
  void Detach(TKyTabSheet* sheet);
  void TabsChanged();
  void TabRemoved(TKyTabControl* tab);
  void Activate(TKyTabControl* tab);
  void ShowPageOf(TKyTabControl* tab);
  TKyTabControl* MatchingTab(const Variant& value) const;
  void SelectTab(TKyTabControl* tab);
  int32_t Enlargement() const { return style_ == pcsNormal ? 2 : 0; }
  bool Horizontal() const { return tabsPosition_ == tapTop || tabsPosition_ == tapBottom; }
  void ClampOffset();
  void BringIntoView(TKyTabControl* tab);
  // Previous usable while the strip is scrolled, next while tabs lie beyond its end.
  void UpdateScrollButtons();
  void HotTo(TKyTabControl* tab);
  void PaintTab(TCanvas& canvas, TKyTabControl* tab);
  TSize TabContentSize(TKyTabControl* tab);

  std::unique_ptr<TKyTabsControl> tabs_;
  std::vector<TKyTabControl*> shown_;
  std::vector<TKyTabSheet*> sheets_;
  TKyTabControl* active_ = nullptr;
  TKyTabControl* hot_ = nullptr;
  TKyBorderStyle borderStyle_ = bos3D;
  TKyPageControlStyle style_ = pcsNormal;
  TKyPageControlMode mode_ = pmoPages;
  TKyTabsPosition tabsPosition_ = tapTop;
  bool tabsVisible_ = true;
  bool multiLine_ = false;
  bool rectFocus_ = true;
  int32_t marginTabLR_ = 0;
  int32_t marginTabTB_ = 0;
  std::unique_ptr<TKySetBackGround> bgTabs_;
  std::unique_ptr<TKyGroupImages> images_;
  std::unique_ptr<TKyTabsTexts> texts_;
  std::unique_ptr<TKyTabsButtons> buttons_;
  std::unique_ptr<TKyScrollButtons> scrollButtons_;
  TKySB* previous_ = nullptr;
  TKySB* next_ = nullptr;
  void FreeScrollButtons();
  void MakeScrollButtons(int32_t stripThick);
  TRect pageRect_;
  TRect stripRect_;
  int rows_ = 1;
  int frontRow_ = 0;
  int32_t offset_ = 0;
  bool overflow_ = false;
  bool settingValue_ = false;
  TSize lastSize_{-1, -1};
};

class TKyPageControl : public TKyCustomPageControl {
  KY_CLASS(TKyPageControl, TKyCustomPageControl)
public:
  using TKyCustomPageControl::TKyCustomPageControl;
  static void Publish(TPublisher<TKyPageControl>& p);
};

void RegisterPageControlClasses();
