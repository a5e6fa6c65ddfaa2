#include "controls/KyPageControl.h"

#include <algorithm>
#include <cctype>

#include "packages/CForm.h"
#include "packages/MessageService.h"
#include "platform/base/SysUtils.h"
#include "platform/classes/FormStream.h"
#include "platform/classes/StringList.h"
#include "platform/graphics/Canvas.h"
#include "platform/windows/Forms.h"
#include "platform/windows/Publish.h"
#include "skin/Fills.h"
#include "skin/Shapes.h"
#include "skin/TextDraw.h"

namespace {

// The accelerator character of a caption ("&Next" -> 'N'), or 0.
char AccelOf(const std::string& text) {
  for (size_t i = 0; i + 1 < text.size(); ++i) {
    if (text[i] != '&') continue;
    if (text[i + 1] == '&') {
      ++i;
      continue;
    }
    return text[i + 1];
  }
  return 0;
}

}  // namespace

// ---- TKyTabControl ----

TKyTabControl::TKyTabControl(TCollection* collection)
    : TKyCollectionItem(collection),
      privilege_(std::make_unique<TKyPrivilege>(this)),
      image_(std::make_unique<TKyMemoryImage>(this)),
      descriptionId_(std::make_unique<TKyMemoryLabel>(this)),
      background_(std::make_unique<TKySetBackGround>(this)) {
  privilege_->OnChange = [this](TKyPrivilege*) { Changed(); };
  image_->OnChange = [this](TKyMemoryImage*) { Changed(); };
  descriptionId_->OnChange = [this](TKyMemoryReference*) { Changed(); };
  background_->OnChange = [this](TKySetObject*) { Changed(); };
}

TKyTabControl::~TKyTabControl() = default;

void TKyTabControl::Publish(TPublisher<TKyTabControl>& p) {
  using T = TKyTabControl;
  p.Property("Visible", &T::Visible, &T::SetVisible).Default(true);
  p.Property("Enabled", &T::Enabled, &T::SetEnabled).Default(true);
  p.Property("Privilege", &T::Privilege);
  p.Property("Image", &T::Image);
  p.Property("Description", &T::DescriptionText, &T::SetDescription);
  p.Property("DescriptionId", &T::DescriptionId);
  p.Property("SetBackGround", &T::SetBackGround);
  p.Property("Active", &T::Active, &T::SetActive).Stored(false);
  // Stored as the defined property of the same name, empty when it is the index.
  p.Property("Value", &T::Value, &T::SetValue).Stored(false);
}

void TKyTabControl::DefineProperties(TFiler& filer) {
  TKyCollectionItem::DefineProperties(filer);
  filer.DefineProperty(
      "PageId", [this](TReader& r) { pageId_ = r.ReadInteger(); }, [this](TWriter& w) { w.WriteInteger(pageId_); },
      pageId_ != -1);
  filer.DefineProperty(
      "Value", [this](TReader& r) { value_ = r.ReadString(); }, [this](TWriter& w) { w.WriteString(value_); },
      !value_.empty());
}

TKyCustomPageControl* TKyTabControl::Control() const {
  auto* tabs = dynamic_cast<TKyTabsControl*>(Collection());
  return tabs ? dynamic_cast<TKyCustomPageControl*>(tabs->OwnerComponent()) : nullptr;
}

void TKyTabControl::Changed() { Report(kItemsAll); }

std::string TKyTabControl::Value() const { return value_.empty() ? std::to_string(Index()) : value_; }

void TKyTabControl::SetValue(const std::string& value) {
  if (value == value_) return;
  value_ = value;
  Changed();
}

void TKyTabControl::SetVisible(bool value) {
  if (value == visible_) return;
  visible_ = value;
  Changed();
}

void TKyTabControl::SetEnabled(bool value) {
  if (value == enabled_) return;
  enabled_ = value;
  Changed();
}

std::string TKyTabControl::Description() const {
  if (descriptionId_->Id() >= 0) return descriptionId_->Caption();
  return description_;
}

void TKyTabControl::SetDescription(const std::string& value) {
  if (value == description_) return;
  description_ = value;
  Changed();
}

bool TKyTabControl::Active() const {
  TKyCustomPageControl* c = Control();
  return c && c->ActiveTab() == this;
}

void TKyTabControl::SetActive(bool value) {
  TKyCustomPageControl* c = Control();
  if (value && c && !c->IsLoading()) c->SetValue(Variant(Value()));
}

bool TKyTabControl::Shown() const {
  uint8_t level = privilege_->Level();
  return visible_ && (level == 1 || level == kPrivilegeFull);
}

int TKyTabControl::RowPosition() const {
  TKyCustomPageControl* c = Control();
  if (!c || c->rows_ < 1) return 0;
  return (row_ - c->frontRow_ + c->rows_) % c->rows_;
}

bool TKyTabControl::Choosable() const { return Shown() && enabled_ && privilege_->Level() == kPrivilegeFull; }

std::string TKyTabControl::DisplayName() const {
  std::string d = Description();
  return d.empty() ? TKyCollectionItem::DisplayName() : d;
}

void TKyTabControl::Assign(const TPersistent* source) {
  auto* src = dynamic_cast<const TKyTabControl*>(source);
  if (!src) {
    TKyCollectionItem::Assign(source);
    return;
  }
  value_ = src->value_;
  visible_ = src->visible_;
  enabled_ = src->enabled_;
  privilege_->Assign(src->privilege_.get());
  image_->Assign(src->image_.get());
  description_ = src->description_;
  descriptionId_->Assign(src->descriptionId_.get());
  background_->Assign(src->background_.get());
  pageId_ = src->pageId_;
  Changed();
}

// ---- TKyTabsControl ----

TKyTabsControl::TKyTabsControl(TKyCustomPageControl* owner)
    : TKyCollection(TKyTabControl::StaticClass(), owner), control_(owner) {}

void TKyTabsControl::Assign(const TPersistent* source) {
  auto* strings = dynamic_cast<const TStrings*>(source);
  if (!strings) {
    TKyCollection::Assign(source);
    return;
  }
  BeginUpdate();
  try {
    Clear();
    for (int i = 0; i < strings->Count(); ++i) Add()->SetDescription(strings->Strings(i));
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

void TKyTabsControl::ItemsChanged(int kind, TCollectionItem* item) {
  TKyCollection::ItemsChanged(kind, item);
  control_->TabsChanged();
}

void TKyTabsControl::Notify(TCollectionItem* item, TCollectionNotification action) {
  if (action != cnAdded) control_->TabRemoved(static_cast<TKyTabControl*>(item));
  TKyCollection::Notify(item, action);
}

// ---- TKyTabSheet ----

TKyTabSheet::TKyTabSheet(TComponent* owner) : TKyCustomPanel(owner) {
  SetTransparent(true);
  SetBevelOuter(besNone);
  TKySinglePanel::SetVisible(false);
}

TKyTabSheet::~TKyTabSheet() {
  if (control_) control_->Detach(this);
}

void TKyTabSheet::Publish(TPublisher<TKyTabSheet>& p) {
  using S = TKyTabSheet;
  p.Property("Hint", &S::Hint, &S::SetHint);
  p.Property("HelpContext", &S::HelpContext, &S::SetHelpContext).Default(0);
  p.Property("SetBackGround", &S::SetBackGround);
  p.Property("Transparent", &S::Transparent, &S::SetTransparent).Default(true);
  p.Event("OnClick", &S::OnClick);
  p.Event("OnResize", &S::OnResize);
  PublishDragEvents(p);
}

void TKyTabSheet::DefineProperties(TFiler& filer) {
  TKyCustomPanel::DefineProperties(filer);
  filer.DefineProperty(
      "PageId", [this](TReader& r) { pageId_ = r.ReadInteger(); }, [this](TWriter& w) { w.WriteInteger(pageId_); },
      true);
}

void TKyTabSheet::ShowAsPage(bool show) {
  if (show == Visible() && show == TControl::Visible()) return;
  TKySinglePanel::SetVisible(show);
}

void TKyTabSheet::SetParent(TWinControl* parent) {
  if (parent && !IsLoading() && Owner() && Owner()->IsDesigning() && !Owner()->IsLoading())
    throw EInvalidOperation("Can not paste TKyTabSheet in the form designer");
  if (control_ && control_ != parent) control_->Detach(this);
  TKyCustomPanel::SetParent(parent);
  if (auto* pc = dynamic_cast<TKyCustomPageControl*>(parent); pc && pc != control_) pc->Attach(this);
}

// ---- TKyScrollButtons ----

TKyScrollButtons::TKyScrollButtons(TPersistent* owner)
    : owner_(owner),
      background_(std::make_unique<TKySetBackGround>(
          this, "", dynamic_cast<TKySetBackGround*>(LibraryDefaultSet("Dft_BackGround")))),
      pen_(std::make_unique<TKyPen>(this)),
      up_(std::make_unique<TKyButtonShape>(this)),
      down_(std::make_unique<TKyButtonShape>(this)),
      left_(std::make_unique<TKyButtonShape>(this)),
      right_(std::make_unique<TKyButtonShape>(this)) {
  background_->OnChange = [this](TKySetObject*) { Changed(); };
  pen_->OnChange = [this] { Changed(); };
  for (TKyButtonShape* s : {up_.get(), down_.get(), left_.get(), right_.get()})
    s->OnChange = [this](TObject*) { Changed(); };
}

void TKyScrollButtons::Publish(TPublisher<TKyScrollButtons>& p) {
  using S = TKyScrollButtons;
  p.Property("BorderStyle", &S::BorderStyle, &S::SetBorderStyle).Default(bos3D);
  p.Property("SetBackGround", &S::SetBackGround);
  p.Property("Pen", &S::Pen);
  p.Property("DefaultDraw", &S::DefaultDraw, &S::SetDefaultDraw).Default(true);
  p.Property("Flat", &S::Flat, &S::SetFlat).Default(false);
  p.Property("Width", &S::Width, &S::SetWidth).Default(14);
  p.Property("Height", &S::Height, &S::SetHeight).Default(14);
  p.Property("ButtonUp", &S::ButtonUp);
  p.Property("ButtonDown", &S::ButtonDown);
  p.Property("ButtonLeft", &S::ButtonLeft);
  p.Property("ButtonRight", &S::ButtonRight);
}

#define KY_SB_SETTER(Name, field, Type) \
  void TKyScrollButtons::Set##Name(Type value) { \
    if (value == field) return;                \
    field = value;                             \
    Changed();                                 \
  }
KY_SB_SETTER(BorderStyle, border_, TKyBorderStyle)
KY_SB_SETTER(DefaultDraw, defaultDraw_, bool)
KY_SB_SETTER(Flat, flat_, bool)
KY_SB_SETTER(Width, width_, int32_t)
KY_SB_SETTER(Height, height_, int32_t)
#undef KY_SB_SETTER

// ---- TKySB ----

TKySB::TKySB(TKyCustomPageControl* control, bool next) : TKySpeedButton(control), control_(control), next_(next) {
  Repeats()->SetActive(true);
  // Each click, held ones included, moves the strip by one tab.
  OnClick = [this](TObject*) {
    if (next_)
      control_->ScrollNext();
    else
      control_->ScrollPrevious();
  };
}

// ---- TKyTabsButtons ----

TKyTabsButtons::TKyTabsButtons(TPersistent* owner) : TKyBasicShape(owner), pen_(MakePen()) {}

void TKyTabsButtons::Publish(TPublisher<TKyTabsButtons>& p) {
  using B = TKyTabsButtons;
  p.Property("Pen", &B::Pen);
  p.Property("Flat", &B::Flat, &B::SetFlat).Default(false);
  p.Property("BorderStyle", &B::BorderStyle, &B::SetBorderStyle).Default(bos3D);
  p.Property("Margin", &B::Margin, &B::SetMargin).Default(0);
}

// ---- TKyCustomPageControl ----

TKyCustomPageControl::TKyCustomPageControl(TComponent* owner)
    : TKyCustomPanel(owner),
      tabs_(std::make_unique<TKyTabsControl>(this)),
      bgTabs_(std::make_unique<TKySetBackGround>(
          this, "", dynamic_cast<TKySetBackGround*>(LibraryDefaultSet("Dft_BackGround")))),
      images_(std::make_unique<TKyGroupImages>(this)),
      texts_(std::make_unique<TKyTabsTexts>(this)),
      buttons_(std::make_unique<TKyTabsButtons>(this)),
      scrollButtons_(std::make_unique<TKyScrollButtons>(this)) {
  SetBounds(0, 0, 289, 193);
  SetTabStop(true);
  SetBevelOuter(besNone);
  TKySinglePanel::SetDataType(dtyInteger);
  auto relayout = [this](TObject*) {
    if (!Link().IsBusy()) RebuildLayout();
  };
  images_->OnChange = relayout;
  texts_->OnChange = relayout;
  buttons_->OnChange = relayout;
  bgTabs_->OnChange = [this](TKySetObject*) { Invalidate(); };
  scrollButtons_->OnChange = [this] {
    if (!Link().IsBusy()) RebuildLayout();
  };
}

TKyCustomPageControl::~TKyCustomPageControl() {
  Destroying();
  FreeScrollButtons();
  for (TKyTabSheet* s : sheets_) s->control_ = nullptr;
  active_ = hot_ = nullptr;
}

// ---- Value ----

TKyTabControl* TKyCustomPageControl::MatchingTab(const Variant& value) const {
  if (value.IsClear()) return nullptr;
  std::string text = ValueToInvariantText(value);
  for (int i = 0; i < tabs_->Count(); ++i) {
    TKyTabControl* tab = tabs_->Items(i);
    if (SameText(tab->Value(), text)) return tab->Shown() ? tab : nullptr;
  }
  return nullptr;
}

void TKyCustomPageControl::SetValue(const Variant& value) {
  if (settingValue_) return;
  Variant converted = value.IsClear() ? Variant::Null() : ConvertValue(value, DataType());
  if (converted == Value()) return;
  settingValue_ = true;
  struct TGuard {
    bool& flag;
    ~TGuard() { flag = false; }
  } guard{settingValue_};
  // Everything a failed change could leave behind comes back: the value,
  // the active tab, the strip, the page ids given and the sheets made.
  Variant previous = Value();
  TKyTabControl* previousActive = active_;
  int32_t previousOffset = offset_;
  std::vector<int32_t> pageIds;
  for (int i = 0; i < tabs_->Count(); ++i) pageIds.push_back(tabs_->Items(i)->pageId_);
  std::vector<TKyTabSheet*> sheetsBefore = sheets_;
  try {
    StartEdit();
    StoreValue(converted);
    if (OnValidate && !EventsSuppressed() && !IsLoading()) OnValidate(this);
    if (!IsLoading()) Activate(MatchingTab(converted));
  } catch (...) {
    StoreValue(previous);
    if (!IsDestroying()) {
      try {
        for (int i = 0; i < tabs_->Count() && i < static_cast<int>(pageIds.size()); ++i)
          tabs_->Items(i)->pageId_ = pageIds[i];
        std::vector<TKyTabSheet*> made;
        for (TKyTabSheet* s : sheets_)
          if (std::find(sheetsBefore.begin(), sheetsBefore.end(), s) == sheetsBefore.end()) made.push_back(s);
        for (TKyTabSheet* s : made) delete s;
        active_ = previousActive;
        offset_ = previousOffset;
        // The rows turn back with the active tab.
        if (multiLine_) RebuildLayout();
        ShowPageOf(active_);
        UpdateScrollButtons();
        Invalidate();
      } catch (...) {
        // The first error is the one the caller hears.
      }
    }
    throw;
  }
}

void TKyCustomPageControl::SelectTab(TKyTabControl* tab) {
  if (!tab || !tab->Choosable() || !CanModify()) return;
  SetValue(InvariantTextToValue(tab->Value(), DataType()));
}

// ---- Pages ----

TKyTabSheet* TKyCustomPageControl::SheetOf(int32_t pageId) const {
  for (TKyTabSheet* s : sheets_)
    if (s->PageId() == pageId) return s;
  return nullptr;
}

void TKyCustomPageControl::Attach(TKyTabSheet* sheet) {
  if (std::find(sheets_.begin(), sheets_.end(), sheet) != sheets_.end()) return;
  sheets_.push_back(sheet);
  sheet->control_ = this;
  sheet->SetBounds(pageRect_.Left, pageRect_.Top, pageRect_.Width(), pageRect_.Height());
  // A sheet that arrives for the page on show shows at once.
  TKyTabControl* match = MatchingTab(Value());
  sheet->ShowAsPage(match && match->PageId() == sheet->PageId());
}

void TKyCustomPageControl::Detach(TKyTabSheet* sheet) {
  std::erase(sheets_, sheet);
  sheet->control_ = nullptr;
}

void TKyCustomPageControl::ShowPageOf(TKyTabControl* tab) {
  if (mode_ != pmoPages) return;
  if (!tab) {
    for (TKyTabSheet* s : sheets_) s->ShowAsPage(false);
    return;
  }
  if (tab->pageId_ < 0) {
    int32_t next = 0;
    for (int i = 0; i < tabs_->Count(); ++i) next = std::max(next, tabs_->Items(i)->pageId_ + 1);
    for (TKyTabSheet* s : sheets_) next = std::max(next, s->PageId() + 1);
    tab->pageId_ = next;
  }
  TKyTabSheet* sheet = SheetOf(tab->pageId_);
  if (!sheet) {
    sheet = new TKyTabSheet(Owner() ? Owner() : this);
    sheet->SetPageId(tab->pageId_);
    sheet->SetParent(this);
  }
  sheet->SetBounds(pageRect_.Left, pageRect_.Top, pageRect_.Width(), pageRect_.Height());
  sheet->ShowAsPage(true);
  for (TKyTabSheet* s : sheets_)
    if (s != sheet) s->ShowAsPage(false);
  sheet->BringToFront();
}

void TKyCustomPageControl::Activate(TKyTabControl* tab) {
  if (tab == active_) {
    ShowPageOf(tab);
    return;
  }
  active_ = tab;
  if (tab) BringIntoView(tab);
  // Rows turn so that the chosen tab's row touches the page.
  if (tab && multiLine_ && rows_ > 1 && tab->row_ != frontRow_) RebuildLayout();
  UpdateScrollButtons();
  Invalidate();
  ShowPageOf(tab);
  if (!EventsSuppressed()) {
    if (OnChange) OnChange(this);
    if (OnShowPage) OnShowPage(this);
  }
}

void TKyCustomPageControl::TabsChanged() {
  if (Link().IsBusy() || IsDestroying()) return;
  RebuildLayout();
}

void TKyCustomPageControl::UpdateScrollButtons() {
  if (!previous_ || !next_) return;
  previous_->SetEnabled(offset_ < 0);
  bool beyond = false;
  if (!shown_.empty()) {
    const TRect& last = shown_.back()->bounds_;
    int32_t end = (Horizontal() ? last.Right : last.Bottom) + offset_;
    int32_t stripEnd = Horizontal() ? ClientRect().Right : ClientRect().Bottom;
    beyond = end + Enlargement() > stripEnd;
  }
  next_->SetEnabled(beyond);
}

void TKyCustomPageControl::HotTo(TKyTabControl* tab) {
  if (tab == hot_) return;
  hot_ = tab;
  if (IsHotFontStyle(texts_->FontStyle()) || buttons_->Flat()) Invalidate();
}

void TKyCustomPageControl::TabRemoved(TKyTabControl* tab) {
  if (tab == active_) active_ = nullptr;
  if (tab == hot_) hot_ = nullptr;
  std::erase(shown_, tab);
}

// ---- Layout ----

TSize TKyCustomPageControl::TabContentSize(TKyTabControl* tab) {
  int32_t w = 0, h = 0;
  if (images_->Visible() && tab->Image()->Resolve()) {
    w = images_->Width() + 4;
    h = images_->Height() + 4;
  }
  std::string caption = tab->Description();
  if (!caption.empty()) {
    TRect out;
    DrawStyledText(nullptr, TRect{0, 0, 10000, 10000}, texts_->FontStyle(), out, false, 0, false, 0, true, false,
                   layTop, aliLeft, false, true, texts_->Spacing3D(), texts_->Width(), false, true,
                   texts_->SetColAccelChar(), texts_->SetColShadow(), texts_->SetColText(), texts_->SetFont(),
                   caption);
    w += out.Width() + (w > 0 ? 2 : 0);
    h = std::max(h, out.Height());
  }
  return {w, h};
}

void TKyCustomPageControl::FreeScrollButtons() {
  delete previous_;
  delete next_;
  previous_ = next_ = nullptr;
}

void TKyCustomPageControl::MakeScrollButtons(int32_t stripThick) {
  const TKyScrollButtons& sb = *scrollButtons_;
  TRect client = ClientRect();
  int32_t w = sb.Width(), h = sb.Height();
  previous_ = new TKySB(this, false);
  next_ = new TKySB(this, true);
  // Side by side at the far end of the strip, 2 pixels from its edge.
  TRect slots[2];
  switch (tabsPosition_) {
    case tapTop:
      slots[0] = TRect::Bounds(client.Right - 2 - 2 * w, client.Top + (stripThick - h) / 2, w, h);
      slots[1] = TRect::Bounds(client.Right - 2 - w, client.Top + (stripThick - h) / 2, w, h);
      break;
    case tapBottom:
      slots[0] = TRect::Bounds(client.Right - 2 - 2 * w, client.Bottom - stripThick + (stripThick - h) / 2, w, h);
      slots[1] = TRect::Bounds(client.Right - 2 - w, client.Bottom - stripThick + (stripThick - h) / 2, w, h);
      break;
    case tapLeft:
      slots[0] = TRect::Bounds(client.Left + (stripThick - w) / 2, client.Bottom - 2 - 2 * h, w, h);
      slots[1] = TRect::Bounds(client.Left + (stripThick - w) / 2, client.Bottom - 2 - h, w, h);
      break;
    case tapRight:
      slots[0] = TRect::Bounds(client.Right - stripThick + (stripThick - w) / 2, client.Bottom - 2 - 2 * h, w, h);
      slots[1] = TRect::Bounds(client.Right - stripThick + (stripThick - w) / 2, client.Bottom - 2 - h, w, h);
      break;
  }
  TKySB* pair[2] = {previous_, next_};
  for (int i = 0; i < 2; ++i) {
    TKySB* b = pair[i];
    b->SetParent(this);
    b->SetBounds(slots[i].Left, slots[i].Top, slots[i].Width(), slots[i].Height());
    b->SetFlat(sb.Flat());
    b->SetBorderStyle(sb.BorderStyle());
    b->SetBackGround()->Assign(sb.SetBackGround());
    b->Shape()->Pen()->Assign(sb.Pen());
    const TKyButtonShape* arrow = Horizontal() ? (i == 0 ? sb.ButtonLeft() : sb.ButtonRight())
                                               : (i == 0 ? sb.ButtonUp() : sb.ButtonDown());
    b->Shape()->SetShape(arrow->Shape());
    b->Shape()->SetOrientation(arrow->Orientation());
    b->Shape()->SetReflection(arrow->Reflection());
    b->Image()->SetVisible(sb.DefaultDraw());
    // The library's own arrows: 73/74 across, 71/72 down.
    int32_t id = Horizontal() ? (i == 0 ? 73 : 74) : (i == 0 ? 71 : 72);
    if (sb.DefaultDraw()) b->Image()->Image()->SetReference(kSystemPkg, id);
  }
}

void TKyCustomPageControl::RebuildLayout() {
  FreeScrollButtons();
  shown_.clear();
  for (int i = 0; i < tabs_->Count(); ++i)
    if (tabs_->Items(i)->Shown()) shown_.push_back(tabs_->Items(i));
  TRect client = ClientRect();
  int32_t border = borderStyle_ != bosNone ? 1 : 0;
  const int32_t grow = Enlargement();
  overflow_ = false;
  rows_ = 1;
  std::vector<TSize> sizes;
  for (TKyTabControl* tab : shown_) {
    TSize s = TabContentSize(tab);
    if (style_ == pcsNormal) {
      if (Horizontal()) {
        s.cy += border;
        s.cx += 2 * border;
      } else {
        s.cy += 2 * border;
        s.cx += border;
      }
      if (rectFocus_) {
        s.cx += 2;
        s.cy += 2;
      }
    } else {
      s.cx += 2 * buttons_->Margin();
      s.cy += 2 * buttons_->Margin();
      if (rectFocus_) {
        s.cx += 4;
        s.cy += 4;
      }
      if (buttons_->BorderStyle() != bosNone) {
        s.cx += 2;
        s.cy += 2;
      }
    }
    s.cy += 2 * marginTabTB_;
    s.cx += 2 * marginTabLR_;
    // cx runs along the strip (down it for side tabs), cy across.
    sizes.push_back(s);
  }
  if (!tabsVisible_ || shown_.empty()) {
    stripRect_ = {};
    pageRect_ = client;
  } else {
    // (length, thickness) of each tab along the strip.
    std::vector<int32_t> len, thick;
    for (const TSize& s : sizes) {
      len.push_back(s.cx);
      thick.push_back(s.cy);
    }
    int32_t available = (Horizontal() ? client.Width() : client.Height()) - 2 * grow;
    int32_t total = 0;
    for (int32_t l : len) total += l;
    std::vector<int> rowOf(shown_.size(), 0);
    std::vector<int32_t> rowThick;
    if (multiLine_ && total > available) {
      // Greedy rows, then balanced to at most count / rows each.
      int rows = 1;
      int32_t used = 0;
      for (size_t i = 0; i < len.size(); ++i) {
        if (used > 0 && used + len[i] > available) {
          ++rows;
          used = 0;
        }
        used += len[i];
      }
      size_t perRow = (shown_.size() + rows - 1) / rows;
      int row = 0;
      size_t inRow = 0;
      used = 0;
      for (size_t i = 0; i < len.size(); ++i) {
        if (inRow > 0 && (used + len[i] > available || inRow >= perRow)) {
          ++row;
          inRow = 0;
          used = 0;
        }
        rowOf[i] = row;
        used += len[i];
        ++inRow;
      }
      rows_ = row + 1;
      // The row of the active tab (or the one the value names) is the front row.
      TKyTabControl* front = std::find(shown_.begin(), shown_.end(), active_) != shown_.end() ? active_
                                                                                                : MatchingTab(Value());
      auto at = std::find(shown_.begin(), shown_.end(), front);
      frontRow_ = at != shown_.end() ? rowOf[at - shown_.begin()] : 0;
      rowThick.assign(rows_, 0);
      for (size_t i = 0; i < len.size(); ++i) rowThick[rowOf[i]] = std::max(rowThick[rowOf[i]], thick[i]);
      // Each row fills the strip.
      for (int r = 0; r < rows_; ++r) {
        std::vector<size_t> members;
        int32_t rowLen = 0;
        for (size_t i = 0; i < len.size(); ++i)
          if (rowOf[i] == r) {
            members.push_back(i);
            rowLen += len[i];
          }
        int32_t extra = available - rowLen;
        int32_t each = members.empty() ? 0 : extra / static_cast<int32_t>(members.size());
        for (size_t k = 0; k < members.size(); ++k) {
          len[members[k]] += each;
          if (k + 1 == members.size()) len[members[k]] += extra - each * static_cast<int32_t>(members.size());
        }
      }
    } else {
      frontRow_ = 0;
      int32_t t = 0;
      for (int32_t v : thick) t = std::max(t, v);
      overflow_ = total > available;
      // The strip is at least as thick as its scroll buttons.
      if (overflow_) t = std::max(t, Horizontal() ? scrollButtons_->Height() : scrollButtons_->Width());
      rowThick.assign(1, t);
    }
    int32_t stripThick = 0;
    for (int32_t t : rowThick) stripThick += t;
    stripThick += grow;
    // Rows stack outward from the page area: row 0 lies next to it.
    int32_t W = client.Width(), H = client.Height();
    // Rows in the order they stand out from the page: the front row first,
    // the others after it in turn.
    std::vector<int32_t> rowStart(rows_, 0);  // distance from the page edge
    int32_t distance = 0;
    for (int k = 0; k < rows_; ++k) {
      int r = (frontRow_ + k) % rows_;
      rowStart[r] = distance;
      distance += rowThick[r];
    }
    std::vector<int32_t> along(rows_, grow);
    for (size_t i = 0; i < shown_.size(); ++i) {
      int r = rowOf[i];
      int32_t a0 = along[r], a1 = a0 + len[i];
      along[r] = a1;
      int32_t t0 = stripThick - rowStart[r] - rowThick[r], t1 = stripThick - rowStart[r];
      TRect b;
      switch (tabsPosition_) {
        case tapTop:
          b = {client.Left + a0, client.Top + t0, client.Left + a1, client.Top + t1};
          break;
        case tapBottom:
          b = {client.Left + a0, client.Bottom - t1, client.Left + a1, client.Bottom - t0};
          break;
        case tapLeft:
          b = {client.Left + t0, client.Top + a0, client.Left + t1, client.Top + a1};
          break;
        case tapRight:
          b = {client.Right - t1, client.Top + a0, client.Right - t0, client.Top + a1};
          break;
      }
      shown_[i]->bounds_ = b;
      shown_[i]->row_ = r;
    }
    int32_t strip = stripThick - grow;
    if (overflow_) MakeScrollButtons(stripThick);
    switch (tabsPosition_) {
      case tapTop:
        stripRect_ = {client.Left, client.Top, client.Right, client.Top + stripThick};
        pageRect_ = {client.Left, client.Top + strip + grow, client.Left + W, client.Top + H};
        break;
      case tapBottom:
        stripRect_ = {client.Left, client.Bottom - stripThick, client.Right, client.Bottom};
        pageRect_ = {client.Left, client.Top, client.Left + W, client.Bottom - strip - grow};
        break;
      case tapLeft:
        stripRect_ = {client.Left, client.Top, client.Left + stripThick, client.Bottom};
        pageRect_ = {client.Left + strip + grow, client.Top, client.Left + W, client.Top + H};
        break;
      case tapRight:
        stripRect_ = {client.Right - stripThick, client.Top, client.Right, client.Bottom};
        pageRect_ = {client.Left, client.Top, client.Right - strip - grow, client.Top + H};
        break;
    }
  }
  if (borderStyle_ != bosNone)
    pageRect_ = {pageRect_.Left + 1, pageRect_.Top + 1, std::max(pageRect_.Left + 1, pageRect_.Right - 1),
                 std::max(pageRect_.Top + 1, pageRect_.Bottom - 1)};
  ClampOffset();
  for (TKyTabSheet* s : sheets_) s->SetBounds(pageRect_.Left, pageRect_.Top, pageRect_.Width(), pageRect_.Height());
  UpdateScrollButtons();
  Activate(MatchingTab(Value()));
  Invalidate();
}

void TKyCustomPageControl::ClampOffset() {
  if (!overflow_ || shown_.empty() || multiLine_) {
    offset_ = 0;
    return;
  }
  const TRect& last = shown_.back()->bounds_;
  int32_t end = Horizontal() ? last.Right : last.Bottom;
  int32_t stripEnd = Horizontal() ? ClientRect().Right : ClientRect().Bottom;
  offset_ = std::max(offset_, stripEnd - end - Enlargement());
  offset_ = std::min(offset_, 0);
}

void TKyCustomPageControl::BringIntoView(TKyTabControl* tab) {
  if (multiLine_ || !overflow_) return;
  int32_t start = Horizontal() ? tab->bounds_.Left : tab->bounds_.Top;
  int32_t end = Horizontal() ? tab->bounds_.Right : tab->bounds_.Bottom;
  int32_t stripStart = (Horizontal() ? ClientRect().Left : ClientRect().Top) + Enlargement();
  int32_t stripEnd = Horizontal() ? ClientRect().Right : ClientRect().Bottom;
  if (start + offset_ < stripStart) offset_ = stripStart - start;
  // The active tab stands out by the enlargement: that too must show.
  else if (end + offset_ + Enlargement() > stripEnd) offset_ = stripEnd - end - Enlargement();
  ClampOffset();
}

void TKyCustomPageControl::ScrollPrevious() {
  if (!overflow_ || shown_.empty()) return;
  int32_t start = Enlargement() - offset_;
  size_t at = 0;
  bool onEdge = false;
  for (size_t i = 0; i < shown_.size(); ++i) {
    int32_t a = Horizontal() ? shown_[i]->bounds_.Left : shown_[i]->bounds_.Top;
    int32_t b = Horizontal() ? shown_[i]->bounds_.Right : shown_[i]->bounds_.Bottom;
    if (start >= a && start < b) {
      at = i;
      onEdge = start == a;
      break;
    }
  }
  if (onEdge && at > 0) --at;
  int32_t lead = Horizontal() ? shown_[at]->bounds_.Left : shown_[at]->bounds_.Top;
  int32_t old = offset_;
  offset_ = Enlargement() - lead;
  ClampOffset();
  UpdateScrollButtons();
  if (offset_ != old) Invalidate();
}

void TKyCustomPageControl::ScrollNext() {
  if (!overflow_ || shown_.empty()) return;
  int32_t start = Enlargement() - offset_;
  size_t at = 0;
  for (size_t i = 0; i < shown_.size(); ++i) {
    int32_t a = Horizontal() ? shown_[i]->bounds_.Left : shown_[i]->bounds_.Top;
    int32_t b = Horizontal() ? shown_[i]->bounds_.Right : shown_[i]->bounds_.Bottom;
    if (start >= a && start < b) {
      at = i;
      break;
    }
  }
  if (at + 1 < shown_.size()) ++at;
  int32_t lead = Horizontal() ? shown_[at]->bounds_.Left : shown_[at]->bounds_.Top;
  int32_t old = offset_;
  offset_ = Enlargement() - lead;
  ClampOffset();
  UpdateScrollButtons();
  if (offset_ != old) Invalidate();
}

TRect TKyCustomPageControl::TabRect(const TKyTabControl* tab) const {
  TRect r = tab->bounds_;
  if (Horizontal()) {
    r.Left += offset_;
    r.Right += offset_;
  } else {
    r.Top += offset_;
    r.Bottom += offset_;
  }
  if (tab == active_ && style_ == pcsNormal) {
    // The active folder tab stands out by 2 toward the strip's outer edge
    // and on both sides.
    switch (tabsPosition_) {
      case tapTop:
        r = {r.Left - 2, r.Top - 2, r.Right + 2, r.Bottom};
        break;
      case tapBottom:
        r = {r.Left - 2, r.Top, r.Right + 2, r.Bottom + 2};
        break;
      case tapLeft:
        r = {r.Left - 2, r.Top - 2, r.Right, r.Bottom + 2};
        break;
      case tapRight:
        r = {r.Left, r.Top - 2, r.Right + 2, r.Bottom + 2};
        break;
    }
  }
  return r;
}

TKyTabControl* TKyCustomPageControl::TabAt(TPoint p) const {
  if (!tabsVisible_) return nullptr;
  if (active_ && TabRect(active_).Contains(p)) return active_;
  for (TKyTabControl* tab : shown_)
    if (TabRect(tab).Contains(p)) return tab;
  return nullptr;
}

// ---- Settings ----

#define KY_PAGE_SETTER(Name, field, Type)          \
  void TKyCustomPageControl::Set##Name(Type value) { \
    if (value == field) return;                      \
    field = value;                                   \
    if (!Link().IsBusy()) RebuildLayout();           \
  }
KY_PAGE_SETTER(BorderStyle, borderStyle_, TKyBorderStyle)
KY_PAGE_SETTER(Style, style_, TKyPageControlStyle)
KY_PAGE_SETTER(TabsPosition, tabsPosition_, TKyTabsPosition)
KY_PAGE_SETTER(TabsVisible, tabsVisible_, bool)
KY_PAGE_SETTER(MultiLine, multiLine_, bool)
KY_PAGE_SETTER(RectFocus, rectFocus_, bool)
KY_PAGE_SETTER(MarginTabLeftRight, marginTabLR_, int32_t)
KY_PAGE_SETTER(MarginTabTopBottom, marginTabTB_, int32_t)
#undef KY_PAGE_SETTER

void TKyCustomPageControl::SetMode(TKyPageControlMode value) {
  if (value == mode_) return;
  if (IsDesigning() && !IsLoading()) {
    bool empty = true;
    if (mode_ == pmoPages) {
      for (TKyTabSheet* s : sheets_) empty = empty && s->ControlCount() == 0;
    } else {
      // The two scroll buttons are the control's own, not content.
      for (int i = 0; i < ControlCount() && empty; ++i)
        empty = Controls(i) == previous_ || Controls(i) == next_;
    }
    if (!empty) throw EInvalidOperation("To change mode it should be empty");
  }
  if (!IsLoading()) {
    // Freed here once, so that the content loop below never meets them.
    FreeScrollButtons();
    std::vector<TKyTabSheet*> sheets = sheets_;
    for (TKyTabSheet* s : sheets) delete s;
    if (mode_ == pmoTabs)
      while (ControlCount() > 0) delete Controls(ControlCount() - 1);
  }
  mode_ = value;
  if (!Link().IsBusy()) RebuildLayout();
}

// ---- Events ----

void TKyCustomPageControl::Loaded() {
  TKyCustomPanel::Loaded();
  RebuildLayout();
}

void TKyCustomPageControl::Resize() {
  TKyCustomPanel::Resize();
  TSize size{Width(), Height()};
  if (size.cx == lastSize_.cx && size.cy == lastSize_.cy) return;
  lastSize_ = size;
  if (!IsLoading()) RebuildLayout();
}

void TKyCustomPageControl::MouseDown(TMouseButton button, TShiftState shift, int32_t x, int32_t y) {
  TKyCustomPanel::MouseDown(button, shift, x, y);
  if (button != mbLeft || shift.Contains(ssShift) || shift.Contains(ssCtrl) || shift.Contains(ssAlt)) return;
  bool any = std::any_of(shown_.begin(), shown_.end(), [](TKyTabControl* t) { return t->Choosable(); });
  if (any && CanFocus() && !Focused()) SetFocus();
  SelectTab(TabAt({x, y}));
}

void TKyCustomPageControl::MouseMove(TShiftState shift, int32_t x, int32_t y) {
  TKyCustomPanel::MouseMove(shift, x, y);
  if (IsDesigning()) return;
  HotTo(TabAt({x, y}));
}

void TKyCustomPageControl::KeyDown(uint16_t& key, TShiftState shift) {
  TKyCustomPanel::KeyDown(key, shift);
  if (key == 0 || !shift.Empty() || !EffectiveEnabled()) return;
  bool back = key == VK_LEFT || key == VK_UP, forward = key == VK_RIGHT || key == VK_DOWN;
  if (!back && !forward) return;
  auto it = std::find(shown_.begin(), shown_.end(), active_);
  TKyTabControl* target = nullptr;
  if (forward) {
    for (auto i = it == shown_.end() ? shown_.begin() : it + 1; i != shown_.end(); ++i)
      if ((*i)->Choosable()) {
        target = *i;
        break;
      }
  } else if (it != shown_.end()) {
    for (auto i = it; i != shown_.begin();) {
      --i;
      if ((*i)->Choosable()) {
        target = *i;
        break;
      }
    }
  }
  if (target) SelectTab(target);
  key = 0;
}

void TKyCustomPageControl::WndProc(TMessage& m) {
  switch (m.Msg) {
    case CM_MOUSELEAVE:
      // No tab stays hot once the pointer has left the control.
      HotTo(nullptr);
      break;
    case WM_GETDLGCODE:
      TKyCustomPanel::WndProc(m);
      if (!KeyboardShiftState().Contains(ssCtrl)) m.Result |= DLGC_WANTARROWS;
      return;
    case CM_DIALOGCHAR: {
      if (!tabsVisible_ || !CanFocus()) break;
      char ch = static_cast<char>(m.WParam);
      for (TKyTabControl* tab : shown_) {
        char accel = AccelOf(tab->Description());
        if (accel && tab->Choosable() && std::toupper(static_cast<unsigned char>(accel)) ==
                                             std::toupper(static_cast<unsigned char>(ch))) {
          if (!Focused()) SetFocus();
          SelectTab(tab);
          m.Result = 1;
          return;
        }
      }
      break;
    }
  }
  TKyCustomPanel::WndProc(m);
}

void TKyCustomPageControl::LibraryMessage(int32_t code, int32_t value, TMessage& m) {
  if (code == kMmBackgroundQuery) {
    auto* query = reinterpret_cast<TKyBackgroundQuery*>(static_cast<LPARAM>(m.LParam));
    if (!query) return;
    TKySetBackGround* set = active_ && active_->SetBackGround()->Resolve() ? active_->SetBackGround() : bgTabs_.get();
    if (Transparent() && !(active_ && active_->SetBackGround()->Resolve())) return;  // the parent answers
    query->Set = set;
    query->Owner = this;
    m.Result = 1;
    return;
  }
  TKyCustomPanel::LibraryMessage(code, value, m);
}

// ---- Painting ----

void TKyCustomPageControl::PaintTab(TCanvas& canvas, TKyTabControl* tab) {
  TRect r = TabRect(tab);
  bool active = tab == active_;
  TKySetBackGround& back = tab->SetBackGround()->Resolve() ? *tab->SetBackGround() : *bgTabs_;
  TKyColor light = LibraryDefaultColor("Dft_3DLight"), shadow = LibraryDefaultColor("Dft_3DShadow");
  if (style_ == pcsButton) {
    PaintShapeBackGround(canvas, r, back, buttons_->Shape(), buttons_->Orientation(), buttons_->Reflection());
    if (buttons_->BorderStyle() == bos3D && !(buttons_->Flat() && tab != hot_ && !active))
      Frame3DRect(canvas, r, light, active, shadow);
    else if (buttons_->BorderStyle() == bosSingle)
      Frame3DRect(canvas, r, buttons_->Pen()->SetColor()->Value(), false, buttons_->Pen()->SetColor()->Value());
  } else {
    PaintBackGround(canvas, r, back);
    // A folder tab: open toward the page, the active one joined to it.
    TRect f = r;
    switch (tabsPosition_) {
      case tapTop:
        f.Bottom += active ? 2 : 0;
        break;
      case tapBottom:
        f.Top -= active ? 2 : 0;
        break;
      case tapLeft:
        f.Right += active ? 2 : 0;
        break;
      case tapRight:
        f.Left -= active ? 2 : 0;
        break;
    }
    if (borderStyle_ != bosNone) Frame3DRect(canvas, f, light, false, shadow);
  }
  TRect content{r.Left + 2 + marginTabLR_, r.Top + 1 + marginTabTB_, r.Right - 2 - marginTabLR_,
                r.Bottom - 1 - marginTabTB_};
  if (images_->Visible()) {
    try {
      if (std::unique_ptr<TGraphic> pic = tab->Image()->Graphic()) {
        int32_t slot = images_->Width() + 4;
        canvas.StretchDraw(TRect::Bounds(content.Left + 2, content.Top + (content.Height() - images_->Height()) / 2,
                                         images_->Width(), images_->Height()),
                           pic.get());
        content.Left += slot + 2;
      }
    } catch (const Exception&) {
      // A picture that does not decode: the caption alone.
    }
  }
  TKyTextColours colours = SelectTextColours(texts_->FontStyle(), tab == hot_, texts_->SetColText(),
                                             texts_->SetColAccelChar(), texts_->SetColShadow(), texts_->SetColLight(),
                                             nullptr);
  TRect out;
  DrawStyledText(&canvas, content, colours.Style, out, false, 0, false, 0, true, false, layCenter, aliCenter, false,
                 tab->Choosable() && EffectiveEnabled(), texts_->Spacing3D(), 0, false, false, colours.AccelChar,
                 colours.Shadow, colours.Text, texts_->SetFont(), tab->Description());
  if (active && rectFocus_ && Focused()) canvas.DrawFocusRect({r.Left + 2, r.Top + 2, r.Right - 2, r.Bottom - 2});
}

void TKyCustomPageControl::Paint() {
  TCanvas& canvas = *Canvas();
  PaintBackground(canvas, TRect{0, 0, Width(), Height()});
  TKySetBackGround* pageBack = active_ && active_->SetBackGround()->Resolve() ? active_->SetBackGround() : nullptr;
  if (pageBack) PaintBackGround(canvas, pageRect_, *pageBack);
  if (borderStyle_ != bosNone)
    Frame3DRect(canvas, {pageRect_.Left - 1, pageRect_.Top - 1, pageRect_.Right + 1, pageRect_.Bottom + 1},
                LibraryDefaultColor("Dft_3DLight"), false, LibraryDefaultColor("Dft_3DShadow"));
  if (tabsVisible_) {
    TClipRecall clip(canvas);
    canvas.IntersectClipRect(stripRect_);
    for (TKyTabControl* tab : shown_)
      if (tab != active_) PaintTab(canvas, tab);
    if (active_ && std::find(shown_.begin(), shown_.end(), active_) != shown_.end()) PaintTab(canvas, active_);
  }
  PaintFrame(canvas);
  PaintDesignCaption(canvas);
}

// ---- Publishing ----

void TKyPageControl::Publish(TPublisher<TKyPageControl>& p) {
  using P = TKyPageControl;
  PublishBounds(p);
  p.Property("Hint", &P::Hint, &P::SetHint);
  p.Property("Align", &P::Align, &P::SetAlign).Default(alNone);
  p.Property("AlignHor", &P::AlignHor, &P::SetAlignHor).Default(alhLeft);
  p.Property("AlignVer", &P::AlignVer, &P::SetAlignVer).Default(alvTop);
  p.Property("BorderStyle", &P::BorderStyle, &P::SetBorderStyle).Default(bos3D);
  p.Property("Style", &P::Style, &P::SetStyle).Default(pcsNormal);
  p.Property("Mode", &P::Mode, &P::SetMode).Default(pmoPages);
  p.Property("TabsPosition", &P::TabsPosition, &P::SetTabsPosition).Default(tapTop);
  p.Property("Shadow", &P::Shadow, &P::SetShadow).Default(false);
  p.Property("SetBackGround", &P::SetBackGround);
  p.Property("SetBGTabs", &P::SetBGTabs);
  p.Property("ILabel", &P::ILabel);
  p.Property("CaptionId", &P::CaptionId);
  p.Property("TabsVisible", &P::TabsVisible, &P::SetTabsVisible).Default(true);
  p.Property("MultiLine", &P::MultiLine, &P::SetMultiLine).Default(false);
  p.Property("Images", &P::Images);
  p.Property("Texts", &P::Texts);
  p.Property("Buttons", &P::Buttons);
  p.Property("ScrollButtons", &P::ScrollButtons);
  p.Property("Transparent", &P::Transparent, &P::SetTransparent).Default(false);
  p.Property("MarginTabLeftRight", &P::MarginTabLeftRight, &P::SetMarginTabLeftRight).Default(0);
  p.Property("MarginTabTopBottom", &P::MarginTabTopBottom, &P::SetMarginTabTopBottom).Default(0);
  p.Property("RectFocus", &P::RectFocus, &P::SetRectFocus).Default(true);
  p.Property("DataType", &P::DataType, &P::SetDataType).Default(dtyInteger);
  p.Property("Tabs", &P::Tabs);
  p.Property("Privilege", &P::Privilege);
  p.Property("ReadOnly", &P::ReadOnly, &P::SetReadOnly).Default(false);
  p.Property("Enabled", &P::Enabled, &P::SetEnabled).Default(true);
  p.Property("Visible", &P::Visible, &P::SetVisible).Default(true);
  p.Property("TabStop", &P::TabStop, &P::SetTabStop).Default(true);
  p.Property("TabOrder", &P::TabOrder, &P::SetTabOrder).Default(-1);
  p.Event("OnChange", &P::OnChange);
  p.Event("OnShowPage", &P::OnShowPage);
  p.Event("OnValidate", &P::OnValidate);
  p.Event("OnCanModify", &P::OnCanModify);
  p.Event("OnStartEdit", &P::OnStartEdit);
  p.Event("OnClick", &P::OnClick);
  p.Event("OnEnter", &P::OnEnter);
  p.Event("OnExit", &P::OnExit);
  p.Event("OnResize", &P::OnResize);
  p.Event("OnDblClick", &P::OnDblClick);
  p.Event("OnMouseDown", &P::OnMouseDown);
  p.Event("OnMouseMove", &P::OnMouseMove);
  p.Event("OnMouseUp", &P::OnMouseUp);
  p.Event("OnKeyPress", &P::OnKeyPress);
  p.Event("OnKeyDown", &P::OnKeyDown);
  PublishDragProperties(p);
  PublishDragEvents(p);
}

void RegisterPageControlClasses() {
  RegisterClasses({&TKyPageControl::StaticClass(), &TKyTabSheet::StaticClass()});
}
