// Sections: items and blocks; the list (properties, shown items, geometry,
// value and states, painting, mouse, keys); publishing.
#include "controls/KyListBox.h"

#include <algorithm>
#include <cctype>

#include "controls/KyCheckBox.h"
#include "controls/KyRadioGroup.h"
#include "platform/base/SysUtils.h"
#include "platform/graphics/Graphics.h"
#include "platform/os/LocaleInfo.h"
#include "skin/Fills.h"
#include "skin/KyTimers.h"
#include "skin/Shapes.h"
#include "skin/TextDraw.h"

// ---- Items and blocks ----

TKyListBoxItems::TKyListBoxItems(TKyCustomListBox* list)
    : TKyStateItems(list, TKyListBoxItem::StaticClass()), list_(list) {}

void TKyListBoxItems::ItemsChanged(int kind, TCollectionItem* item) {
  TKyStateItems::ItemsChanged(kind, item);
  list_->ItemsChanged(kind, item);
}

void TKyListBoxItems::Notify(TCollectionItem* item, TCollectionNotification action) {
  // Inside a batch nothing is reported, but the list must not keep a
  // pointer to an item that is going away.
  if (action == cnDeleting) list_->Forget(item);
  TKyStateItems::Notify(item, action);
}

void TKyListBoxItem::Publish(TPublisher<TKyListBoxItem>& p) {
  p.Property("State", &TKyListBoxItem::State, &TKyListBoxItem::SetState).Default(cksUnChecked).Stored(false);
}

void TKyListBoxTexts::Publish(TPublisher<TKyListBoxTexts>& p) {
  p.Property("Lines", &TKyListBoxTexts::Lines, &TKyListBoxTexts::SetLines).Default(1);
}

void TKyListBoxTexts::CopyFrom(const TKyBlock& source) {
  TKyGroupTexts::CopyFrom(source);
  lines_ = static_cast<const TKyListBoxTexts&>(source).lines_;
}

// ---- The list: properties ----

TKyCustomListBox::TKyCustomListBox(TComponent* owner)
    : TKyCustomPanel(owner),
      items_(std::make_unique<TKyListBoxItems>(this)),
      texts_(std::make_unique<TKyListBoxTexts>(this)),
      images_(std::make_unique<TKyListBoxImages>(this)),
      checks_(std::make_unique<TKyListBoxChecks>(this)) {
  SetBounds(0, 0, 121, 97);
  SetTabStop(true);
  SetBevelOuter(bes3DBottom);
  auto relayout = [this](TObject*) {
    itemHeight_ = 0;
    if (Link().IsBusy()) return;
    ClampTop();
    Invalidate();
  };
  texts_->OnChange = relayout;
  images_->OnChange = relayout;
  checks_->OnChange = relayout;
}

TKyCustomListBox::~TKyCustomListBox() {
  repeatTimer_.reset();
  shown_.clear();
  items_.reset();
}

void TKyCustomListBox::SetSorted(bool value) {
  if (value == sorted_) return;
  sorted_ = value;
  if (!Link().IsBusy()) RebuildShown();
}

void TKyCustomListBox::SetAllowGrayed(bool value) {
  if (value == allowGrayed_) return;
  allowGrayed_ = value;
  if (!Link().IsBusy() && Composite()) StoreComposite();
}

void TKyCustomListBox::SetModeSelection(TKyListModeSelection value) {
  if (value == mode_) return;
  mode_ = value;
  anchor_ = -1;
  itemHeight_ = 0;
  if (Link().IsBusy()) return;
  if (Composite()) StoreComposite();
  ClampTop();
  Invalidate();
}

void TKyCustomListBox::SetAlignValues(TKyAlignValues value) {
  if (value == alignValues_) return;
  alignValues_ = value;
  if (!Link().IsBusy() && Composite()) StoreComposite();
}

void TKyCustomListBox::SetIntegralHeight(bool value) {
  if (value == integralHeight_) return;
  integralHeight_ = value;
  if (!Link().IsBusy()) {
    SnapHeight();
    Invalidate();
  }
}

void TKyCustomListBox::SnapHeight() {
  if (!integralHeight_ || columns_ != 0 || snapping_ || IsLoading() || Align() != alNone) return;
  int32_t h = ItemHeight(), client = ClientRect().Height();
  int32_t extra = client % h;
  // At least one whole item stays; a list too low for one keeps its height.
  if (extra == 0 || client < h) return;
  snapping_ = true;
  SetHeight(Height() - extra);
  snapping_ = false;
}

void TKyCustomListBox::SetMinItemHeight(int32_t value) {
  value = std::max<int32_t>(value, 0);
  if (value == minItemHeight_) return;
  minItemHeight_ = value;
  itemHeight_ = 0;
  if (!Link().IsBusy()) {
    ClampTop();
    Invalidate();
  }
}

void TKyCustomListBox::SetInternalLeftRight(int32_t value) {
  value = std::max<int32_t>(value, 0);
  if (value == internalLeftRight_) return;
  internalLeftRight_ = value;
  if (!Link().IsBusy()) Invalidate();
}

void TKyCustomListBox::SetInternalTopBottom(int32_t value) {
  value = std::max<int32_t>(value, 0);
  if (value == internalTopBottom_) return;
  internalTopBottom_ = value;
  itemHeight_ = 0;
  if (!Link().IsBusy()) {
    ClampTop();
    Invalidate();
  }
}

void TKyCustomListBox::SetColumns(int32_t value) {
  value = std::max<int32_t>(value, 0);
  if (value == columns_) return;
  columns_ = value;
  if (Link().IsBusy()) return;
  ClampTop();
  EnsureVisible(focused_);
  Invalidate();
}

void TKyCustomListBox::SetDataType(TKyDataType value) {
  if (value == DataType()) return;
  if (!IsLoading() && mode_ != lmsNormal) return;
  TKySinglePanel::SetDataType(value);
}

// ---- Shown items ----

int TKyCustomListBox::ShownIndexOf(const TKyItem* item) const {
  for (int i = 0; i < ShownCount(); ++i)
    if (shown_[static_cast<size_t>(i)] == item) return i;
  return -1;
}

void TKyCustomListBox::Forget(const TCollectionItem* item) {
  auto it = std::find(shown_.begin(), shown_.end(), item);
  if (it == shown_.end()) return;
  int index = static_cast<int>(it - shown_.begin());
  shown_.erase(it);
  // The focus stays on the same item, or on the one that takes its place.
  if (focused_ > index || focused_ >= ShownCount()) --focused_;
  if (anchor_ > index || anchor_ >= ShownCount()) --anchor_;
  if (downFocus_ > index || downFocus_ >= ShownCount()) --downFocus_;
  if (top_ > index) --top_;
}

void TKyCustomListBox::RebuildShown(const TCollectionItem* gone) {
  // Old pointers are only compared, never followed: after a batch some may
  // be gone.
  const TKyListBoxItem* focusedItem = focused_ >= 0 && focused_ < ShownCount() ? Shown(focused_) : nullptr;
  const TKyListBoxItem* topItem = top_ >= 0 && top_ < ShownCount() ? Shown(top_) : nullptr;
  const TKyListBoxItem* anchorItem = anchor_ >= 0 && anchor_ < ShownCount() ? Shown(anchor_) : nullptr;
  int oldFocused = focused_;
  shown_.clear();
  for (int i = 0; i < items_->Count(); ++i) {
    TKyListBoxItem* item = items_->Items(i);
    if (item != gone && item->Visible()) shown_.push_back(item);
  }
  if (sorted_)
    std::stable_sort(shown_.begin(), shown_.end(), [](TKyListBoxItem* a, TKyListBoxItem* b) {
      return AnsiCompareText(a->Description(), b->Description()) < 0;
    });
  int n = ShownCount();
  int f = focusedItem ? ShownIndexOf(focusedItem) : -1;
  focused_ = f >= 0 ? f : std::min(oldFocused, n - 1);
  int t = topItem ? ShownIndexOf(topItem) : -1;
  if (t >= 0) top_ = t;
  anchor_ = anchorItem ? ShownIndexOf(anchorItem) : -1;
  downFocus_ = -1;
  tracking_ = false;
  ClampTop();
  Invalidate();
}

void TKyCustomListBox::ItemsChanged(int kind, TCollectionItem* item) {
  if (Link().IsBusy() || IsDestroying()) return;
  auto* changed = dynamic_cast<TKyListBoxItem*>(item);
  switch (kind) {
    case kItemText:
      if (sorted_) RebuildShown();
      Invalidate();
      return;
    case kItemState:
      if (changed) StateChanged(changed);
      if (Composite() && !composing_) StoreComposite();
      Invalidate();
      return;
    case kItemDeleted:
      RebuildShown(item);
      break;
    default:
      RebuildShown();
      break;
  }
  if ((kind == kItemAdded || kind == kItemInserted) && adjustValue_ && changed) {
    int index = ShownIndexOf(changed);
    if (index >= 0) SetFocusedIndex(index);
  }
  if (Composite() && !composing_) StoreComposite();
}

bool TKyCustomListBox::Choosable(int index) const {
  return index >= 0 && index < ShownCount() && Shown(index)->Enabled();
}

void TKyCustomListBox::SetFocusedIndex(int index) {
  index = std::clamp(index, -1, ShownCount() - 1);
  if (index != focused_) {
    focused_ = index;
    Invalidate();
  }
  EnsureVisible(index);
}

void TKyCustomListBox::SetTopIndex(int index) {
  int old = top_;
  top_ = index;
  ClampTop();
  if (top_ != old) Invalidate();
}

void TKyCustomListBox::ClampTop() {
  int n = ShownCount();
  int rows = RowsPerColumn();
  int maxTop;
  if (columns_ == 0) {
    maxTop = std::max(0, n - rows);
  } else {
    int lastColumn = n > 0 ? (n - 1) / rows : 0;
    maxTop = std::max(0, lastColumn - columns_ + 1) * rows;
    top_ = top_ / rows * rows;
  }
  top_ = std::clamp(top_, 0, maxTop);
}

void TKyCustomListBox::EnsureVisible(int index) {
  if (index < 0 || index >= ShownCount()) return;
  int rows = RowsPerColumn();
  int old = top_;
  if (columns_ == 0) {
    if (index < top_) top_ = index;
    else if (index >= top_ + rows) top_ = index - rows + 1;
  } else {
    int column = index / rows, first = top_ / rows;
    if (column < first) first = column;
    else if (column >= first + columns_) first = column - columns_ + 1;
    top_ = first * rows;
  }
  ClampTop();
  if (top_ != old) Invalidate();
}

bool TKyCustomListBox::IsSelected(int index) const {
  if (index < 0 || index >= ShownCount()) return false;
  switch (mode_) {
    case lmsNormal:
      return index == IndexOfValue();
    case lmsMulti:
    case lmsExtended:
      return Shown(index)->State() == cksChecked;
    case lmsCheck:
      return false;  // the check boxes show the choice
  }
  return false;
}

std::string TKyCustomListBox::DisplayText(TKyListBoxItem* item) {
  std::string text = item->Description();
  if (OnDisplayText) OnDisplayText(this, item, text);
  return text;
}

// ---- Geometry ----

int32_t TKyCustomListBox::ItemHeight() {
  if (itemHeight_ > 0) return itemHeight_;
  TRect out;
  DrawStyledText(nullptr, TRect{0, 0, 1000, 1000}, texts_->FontStyle(), out, false, 0, false, 0, false, false, layTop,
                 aliLeft, false, true, texts_->Spacing3D(), 0, false, true, nullptr, texts_->SetColShadow(),
                 texts_->SetColText(), texts_->SetFont(), "Ag");
  int32_t h = texts_->Visible() ? out.Height() * texts_->Lines() : 0;
  auto beside = [&](int32_t partHeight, TKyInternalControlLayout layout, int32_t spacing) {
    if (layout == iclTop || layout == iclBottom)
      h += partHeight + spacing;
    else
      h = std::max(h, partHeight);
  };
  if (images_->Visible()) beside(images_->Height(), images_->Layout(), images_->Spacing());
  if (mode_ == lmsCheck) beside(CheckMarkSize(*checks_).cy, checks_->Layout(), checks_->Spacing());
  // One pixel above and below keeps the focus rectangle off the content.
  h += 2 * internalTopBottom_ + 2;
  itemHeight_ = std::max({h, minItemHeight_, int32_t(1)});
  return itemHeight_;
}

bool TKyCustomListBox::ScrollBarVisible() {
  if (columns_ != 0) return false;
  TRect client = ClientRect();
  int rows = std::max<int32_t>(1, client.Height() / ItemHeight());
  return ShownCount() > rows && client.Width() > 2 * kScrollBarWidth;
}

TRect TKyCustomListBox::ItemArea() {
  TRect area = ClientRect();
  if (ScrollBarVisible()) area.Right -= kScrollBarWidth;
  return area;
}

TRect TKyCustomListBox::ScrollBarRect() {
  TRect client = ClientRect();
  return {client.Right - kScrollBarWidth, client.Top, client.Right, client.Bottom};
}

int TKyCustomListBox::RowsPerColumn() {
  return std::max<int32_t>(1, ClientRect().Height() / ItemHeight());
}

int TKyCustomListBox::PageSize() { return columns_ == 0 ? RowsPerColumn() : RowsPerColumn() * columns_; }

TRect TKyCustomListBox::ItemRect(int index) {
  if (index < top_ || index >= ShownCount()) return {};
  TRect area = ItemArea();
  int32_t h = ItemHeight();
  int rows = RowsPerColumn();
  int rel = index - top_;
  if (columns_ == 0) {
    // Without whole rows the last one shows in part.
    int shown = integralHeight_ ? rows : rows + 1;
    if (rel >= shown) return {};
    return {area.Left, area.Top + rel * h, area.Right, area.Top + (rel + 1) * h};
  }
  int column = rel / rows, row = rel % rows;
  if (column >= columns_) return {};
  int32_t w = area.Width() / columns_;
  return {area.Left + column * w, area.Top + row * h, area.Left + (column + 1) * w, area.Top + (row + 1) * h};
}

TRect TKyCustomListBox::ContentRect(const TRect& cell) const {
  // Two pixels at the sides keep the content off the frame and the focus
  // rectangle, as in every list.
  return {cell.Left + internalLeftRight_ + 2, cell.Top + internalTopBottom_ + 1, cell.Right - internalLeftRight_ - 2,
          cell.Bottom - internalTopBottom_ - 1};
}

TRect TKyCustomListBox::CheckRect(int index) {
  TRect cell = ItemRect(index);
  if (cell.Width() <= 0 || mode_ != lmsCheck) return {};
  TRect box, rest;
  PlaceItemBox(ContentRect(cell), CheckMarkSize(*checks_), checks_->Layout(), checks_->Spacing(), box, rest);
  return box;
}

int TKyCustomListBox::ItemAt(int32_t x, int32_t y) {
  TRect area = ItemArea();
  if (!area.Contains({x, y})) return -1;
  int last = std::min(ShownCount(), top_ + PageSize() + 1);
  for (int i = top_; i < last; ++i)
    if (ItemRect(i).Contains({x, y})) return i;
  return -1;
}

TRect TKyCustomListBox::ThumbRect() {
  TRect bar = ScrollBarRect();
  int32_t arrow = std::min<int32_t>(kScrollBarWidth, bar.Height() / 2);
  TRect track{bar.Left, bar.Top + arrow, bar.Right, bar.Bottom - arrow};
  int n = ShownCount(), rows = RowsPerColumn();
  if (n <= rows || track.Height() <= 0) return {};
  int32_t length = std::max<int32_t>(8, track.Height() * rows / n);
  length = std::min(length, track.Height());
  int32_t top = track.Top + (track.Height() - length) * top_ / (n - rows);
  return {track.Left, top, track.Right, top + length};
}

int TKyCustomListBox::TopForThumb(int32_t y) {
  TRect bar = ScrollBarRect();
  int32_t arrow = std::min<int32_t>(kScrollBarWidth, bar.Height() / 2);
  int32_t trackHeight = bar.Height() - 2 * arrow;
  TRect thumb = ThumbRect();
  int32_t free = trackHeight - thumb.Height();
  int n = ShownCount(), rows = RowsPerColumn();
  if (free <= 0 || n <= rows) return 0;
  int32_t pos = y - thumbGrab_ - (bar.Top + arrow);
  return (pos * (n - rows) + free / 2) / free;
}

// ---- Value and states ----

int TKyCustomListBox::IndexOfValue() const {
  if (Value().IsClear()) return -1;
  std::string text = ValueCompareText(Value());
  for (int i = 0; i < ShownCount(); ++i)
    if (SameValueText(Shown(i)->Value(), text)) return i;
  return -1;
}

TKyCheckState TKyCustomListBox::NextState(TKyCheckState s) const {
  switch (s) {
    case cksUnChecked:
      return mode_ == lmsCheck && allowGrayed_ ? cksGrayed : cksChecked;
    case cksGrayed:
      return cksChecked;
    case cksChecked:
      return cksUnChecked;
  }
  return cksUnChecked;
}

std::string TKyCustomListBox::CompositeValue() const {
  size_t width = static_cast<size_t>(alignValues_);
  std::string text;
  auto add = [&](const std::string& value) {
    std::string cut = value.substr(0, width);
    text += std::string(width - cut.size(), ' ') + cut;
  };
  // In item order, also when the list shows its items sorted.
  for (int i = 0; i < items_->Count(); ++i) {
    TKyListBoxItem* item = items_->Items(i);
    if (std::find(shown_.begin(), shown_.end(), item) == shown_.end()) continue;
    if (mode_ == lmsCheck) {
      if (item->State() == cksUnChecked) continue;
      if (allowGrayed_) text += item->State() == cksChecked ? '1' : '0';
      add(item->Value());
    } else if (item->Enabled() && item->State() == cksChecked) {
      add(item->Value());
    }
  }
  return text;
}

std::vector<TKyCheckState> TKyCustomListBox::States() const {
  std::vector<TKyCheckState> states;
  for (TKyListBoxItem* item : shown_) states.push_back(item->State());
  return states;
}

void TKyCustomListBox::StoreComposite() {
  composing_ = true;
  StoreValue(Variant(CompositeValue()));
  composing_ = false;
  Invalidate();
}

void TKyCustomListBox::StatesFromValue() {
  std::string text = Value().IsClear() ? std::string() : Value().AsString();
  size_t width = static_cast<size_t>(alignValues_);
  bool prefixed = mode_ == lmsCheck && allowGrayed_;
  std::vector<std::pair<std::string, TKyCheckState>> parts;
  for (size_t pos = 0; pos < text.size();) {
    TKyCheckState s = cksChecked;
    if (prefixed) s = text[pos++] == '0' ? cksGrayed : cksChecked;
    parts.emplace_back(text.substr(pos, width), s);
    pos += width;
  }
  composing_ = true;
  try {
    for (TKyListBoxItem* item : shown_) {
      std::string cut = item->Value().substr(0, width);
      cut = std::string(width - cut.size(), ' ') + cut;
      TKyCheckState s = cksUnChecked;
      for (auto& [part, state] : parts)
        if (part == cut) s = state;
      item->SetState(s);
    }
  } catch (...) {
    composing_ = false;
    throw;
  }
  composing_ = false;
  Invalidate();
}

void TKyCustomListBox::ValueChanged() {
  if (composing_) {
    Invalidate();
    return;
  }
  if (Composite()) {
    StatesFromValue();
  } else {
    int index = IndexOfValue();
    if (index >= 0) SetFocusedIndex(index);
  }
  Invalidate();
}

void TKyCustomListBox::UpdateDisplay() {
  itemHeight_ = 0;  // the display sets may name other fonts now
  TKyCustomPanel::UpdateDisplay();
  RebuildShown();
  // States are not stored: a streamed composite value brings them back.
  if (Composite()) StatesFromValue();
  else if (int index = IndexOfValue(); index >= 0) SetFocusedIndex(index);
}

void TKyCustomListBox::Choose(int index, int before) {
  try {
    SetValue(Variant(Shown(index)->Value()));
  } catch (...) {
    int standing = IndexOfValue();
    SetFocusedIndex(standing >= 0 ? standing : before);
    Invalidate();
    throw;
  }
  int standing = IndexOfValue();
  if (standing >= 0) SetFocusedIndex(standing);
  Invalidate();
}

void TKyCustomListBox::ApplyStates(const std::vector<TKyCheckState>& states, int changed) {
  std::vector<TKyCheckState> old = States();
  if (old == states) return;
  auto put = [this](const std::vector<TKyCheckState>& s) {
    composing_ = true;
    for (size_t i = 0; i < s.size() && i < shown_.size(); ++i) shown_[i]->SetState(s[i]);
    composing_ = false;
  };
  put(states);
  if (Composite()) {
    composing_ = true;
    try {
      SetValue(Variant(CompositeValue()));
    } catch (...) {
      composing_ = false;
      put(old);
      Invalidate();
      throw;
    }
    composing_ = false;
  } else {
    StartEdit();
  }
  Invalidate();
  if (OnValidateState && changed >= 0 && changed < ShownCount() && !EventsSuppressed())
    OnValidateState(this, Shown(changed));
}

void TKyCustomListBox::Toggle(int index) {
  if (!Choosable(index)) return;
  std::vector<TKyCheckState> states = States();
  states[static_cast<size_t>(index)] = NextState(states[static_cast<size_t>(index)]);
  ApplyStates(states, index);
}

void TKyCustomListBox::SelectRange(int anchor, int index) {
  if (anchor < 0) anchor = index;
  std::vector<TKyCheckState> states = States();
  int from = std::min(anchor, index), to = std::max(anchor, index);
  for (int i = 0; i < ShownCount(); ++i)
    states[static_cast<size_t>(i)] = i >= from && i <= to && Choosable(i) ? cksChecked : cksUnChecked;
  ApplyStates(states, index);
}

// ---- Painting ----

void TKyCustomListBox::PaintItem(TCanvas& canvas, int index, bool selected) {
  TRect cell = ItemRect(index);
  if (cell.Width() <= 0 || cell.Height() <= 0) return;
  TKyListBoxItem* item = Shown(index);
  bool enabled = item->Enabled() && EffectiveEnabled();
  if (selected) PaintBackGround(canvas, cell, *texts_->SetBGSelected());
  TRect rest = ContentRect(cell);
  TClipRecall clip(canvas);
  canvas.IntersectClipRect(cell);
  TRect box, next;
  if (mode_ == lmsCheck) {
    PlaceItemBox(rest, CheckMarkSize(*checks_), checks_->Layout(), checks_->Spacing(), box, next);
    PaintCheckMark(canvas, box, *checks_, item->State(), enabled && !EffectiveReadOnly());
    rest = next;
  }
  if (images_->Visible()) {
    // The room is kept even without a picture, so the texts line up.
    PlaceItemBox(rest, {images_->Width(), images_->Height()}, images_->Layout(), images_->Spacing(), box, next);
    DrawItemImage(canvas, item->Image(), box, images_->Stretch(), images_->Transparent());
    rest = next;
  }
  if (texts_->Visible() && rest.Width() > 0 && rest.Height() > 0) {
    TRect out;
    DrawStyledText(&canvas, rest, texts_->FontStyle(), out, false, 0, false, texts_->Angle(), false,
                   texts_->WordWrap() || texts_->Lines() > 1, texts_->Layout(), texts_->Alignment(), false, enabled,
                   texts_->Spacing3D(), texts_->Width(), false, false, nullptr, texts_->SetColShadow(),
                   selected ? texts_->SetColSelected() : texts_->SetColText(), texts_->SetFont(), DisplayText(item));
  }
}

void TKyCustomListBox::PaintScrollBar(TCanvas& canvas) {
  TRect bar = ScrollBarRect();
  int32_t arrow = std::min<int32_t>(kScrollBarWidth, bar.Height() / 2);
  TKyColor face = LibraryDefaultColor("Dft_3DMLight");
  TKyColor light = LibraryDefaultColor("Dft_3DLight");
  TKyColor shadow = LibraryDefaultColor("Dft_3DShadow");
  TKyColor mark = LibraryDefaultColor(EffectiveEnabled() ? "Dft_ColText" : "Dft_3DShadow");
  canvas.Brush()->SetStyle(bsSolid);
  canvas.Brush()->SetColor(light);
  canvas.FillRect(bar);
  auto button = [&](const TRect& r, bool up) {
    canvas.Brush()->SetColor(face);
    canvas.FillRect(r);
    Frame3DRect(canvas, r, light, false, shadow);
    int32_t cx = (r.Left + r.Right) / 2, cy = (r.Top + r.Bottom) / 2;
    int32_t s = std::max<int32_t>(2, std::min(r.Width(), r.Height()) / 4);
    canvas.Brush()->SetColor(mark);
    canvas.Pen()->SetColor(mark);
    if (up)
      canvas.Polygon({{cx - s, cy + s / 2}, {cx + s, cy + s / 2}, {cx, cy - s / 2 - 1}});
    else
      canvas.Polygon({{cx - s, cy - s / 2}, {cx + s, cy - s / 2}, {cx, cy + s / 2 + 1}});
  };
  button({bar.Left, bar.Top, bar.Right, bar.Top + arrow}, true);
  button({bar.Left, bar.Bottom - arrow, bar.Right, bar.Bottom}, false);
  TRect thumb = ThumbRect();
  if (thumb.Height() > 0) {
    canvas.Brush()->SetColor(face);
    canvas.FillRect(thumb);
    Frame3DRect(canvas, thumb, light, false, shadow);
  }
}

void TKyCustomListBox::Paint() {
  itemHeight_ = 0;
  TKyCustomPanel::Paint();
  TCanvas& canvas = *Canvas();
  int selected = mode_ == lmsNormal ? IndexOfValue() : -1;
  {
    TClipRecall clip(canvas);
    canvas.IntersectClipRect(ItemArea());
    int last = std::min(ShownCount(), top_ + PageSize() + 1);
    for (int i = top_; i < last; ++i)
      PaintItem(canvas, i, mode_ == lmsNormal ? i == selected : IsSelected(i));
  }
  if (ScrollBarVisible()) PaintScrollBar(canvas);
  if (Focused() && focused_ >= 0) {
    TRect cell = ItemRect(focused_);
    if (cell.Width() > 0) canvas.DrawFocusRect(cell);
  }
}

void TKyCustomListBox::Resize() {
  TKyCustomPanel::Resize();
  SnapHeight();
  ClampTop();
  EnsureVisible(focused_);
  Invalidate();
}

// ---- Mouse ----

void TKyCustomListBox::MouseDown(TMouseButton button, TShiftState shift, int32_t x, int32_t y) {
  TKyCustomPanel::MouseDown(button, shift, x, y);
  if (button != mbLeft) return;
  if (CanFocus() && !Focused()) SetFocus();
  lastMouse_ = {x, y};
  if (ScrollBarVisible() && ScrollBarRect().Contains({x, y})) {
    TRect bar = ScrollBarRect();
    int32_t arrow = std::min<int32_t>(kScrollBarWidth, bar.Height() / 2);
    TRect thumb = ThumbRect();
    if (thumb.Contains({x, y}) && !(y < bar.Top + arrow || y >= bar.Bottom - arrow)) {
      thumbDrag_ = true;
      thumbGrab_ = y - thumb.Top;
      thumbTop_ = top_;
      return;
    }
    // Arrows and track repeat while held.
    repeat_ = y < bar.Top + arrow         ? rptLineUp
              : y >= bar.Bottom - arrow   ? rptLineDown
              : y < thumb.Top             ? rptPageUp
                                          : rptPageDown;
    RepeatStep();
    StartRepeat();
    return;
  }
  if (!EffectiveEnabled() || !CanModify()) return;
  int index = ItemAt(x, y);
  if (index >= 0 && !Choosable(index)) return;
  if (mode_ == lmsCheck && index >= 0 && CheckRect(index).Contains({x, y})) {
    Toggle(index);
    if (alignValues_ == alvNone) Choose(index, focused_);
  }
  if (shift.Contains(ssDouble)) return;
  downFocus_ = focused_;
  if (!shift.Contains(ssShift) || anchor_ < 0) anchor_ = index >= 0 ? index : focused_;
  tracking_ = true;
  if (index >= 0) SetFocusedIndex(index);
}

bool TKyCustomListBox::PointerOutside(int32_t x, int32_t y, bool& before) {
  TRect area = ItemArea();
  before = columns_ == 0 ? y < area.Top : x < area.Left;
  bool after = columns_ == 0 ? y >= area.Bottom : x >= area.Right;
  return before || after;
}

void TKyCustomListBox::RepeatStep() {
  int rows = RowsPerColumn();
  switch (repeat_) {
    case rptNone:
      return;
    case rptLineUp:
      SetTopIndex(top_ - (columns_ == 0 ? 1 : rows));
      return;
    case rptLineDown:
      SetTopIndex(top_ + (columns_ == 0 ? 1 : rows));
      return;
    case rptPageUp:
    case rptPageDown: {
      // The track pages until the thumb reaches the pointer.
      TRect thumb = ThumbRect();
      if (repeat_ == rptPageUp && lastMouse_.Y < thumb.Top) SetTopIndex(top_ - rows);
      else if (repeat_ == rptPageDown && lastMouse_.Y >= thumb.Bottom) SetTopIndex(top_ + rows);
      return;
    }
    case rptTrack: {
      bool before = false;
      if (!tracking_ || !PointerOutside(lastMouse_.X, lastMouse_.Y, before)) return;
      // Outside the list it scrolls toward the pointer, the focus on the
      // item that comes into view.
      SetTopIndex(top_ + (before ? -1 : 1) * (columns_ == 0 ? 1 : rows));
      int target = before ? top_ : std::min(ShownCount(), top_ + PageSize()) - 1;
      if (Choosable(target)) SetFocusedIndex(target);
      return;
    }
  }
}

void TKyCustomListBox::StartRepeat() {
  if (!repeatTimer_) {
    repeatTimer_ = std::make_unique<TKyTimer>(nullptr);
    repeatTimer_->OnTimer = [this](TObject*) {
      repeatTimer_->SetInterval(kRepeatNext);
      RepeatStep();
    };
  }
  repeatTimer_->SetEnabled(false);
  repeatTimer_->SetInterval(kRepeatStart);
  repeatTimer_->SetEnabled(true);
}

void TKyCustomListBox::StopRepeat() {
  repeat_ = rptNone;
  if (repeatTimer_) repeatTimer_->SetEnabled(false);
}

void TKyCustomListBox::MouseMove(TShiftState shift, int32_t x, int32_t y) {
  TKyCustomPanel::MouseMove(shift, x, y);
  lastMouse_ = {x, y};
  if (thumbDrag_) {
    thumbTop_ = TopForThumb(y);
    if (thumbTrack_) SetTopIndex(thumbTop_);
    return;
  }
  if (!tracking_) return;
  bool before = false;
  if (PointerOutside(x, y, before)) {
    if (repeat_ != rptTrack) {
      repeat_ = rptTrack;
      RepeatStep();
      StartRepeat();
    }
    return;
  }
  if (repeat_ == rptTrack) StopRepeat();
  int index = ItemAt(x, y);
  if (Choosable(index)) SetFocusedIndex(index);
}

void TKyCustomListBox::MouseUp(TMouseButton button, TShiftState shift, int32_t x, int32_t y) {
  if (button == mbLeft) StopRepeat();
  if (button == mbLeft && thumbDrag_) {
    thumbDrag_ = false;
    if (!thumbTrack_) SetTopIndex(thumbTop_);
  } else if (button == mbLeft && tracking_) {
    tracking_ = false;
    int index = ItemAt(x, y);
    int before = downFocus_;
    downFocus_ = -1;
    if (!Choosable(index)) {
      SetFocusedIndex(before);
    } else {
      SetFocusedIndex(index);
      switch (mode_) {
        case lmsNormal:
          Choose(index, before);
          break;
        case lmsMulti:
          Toggle(index);
          if (alignValues_ == alvNone) Choose(index, before);
          break;
        case lmsExtended:
          if (shift.Contains(ssCtrl)) {
            Toggle(index);
            anchor_ = index;
          } else {
            SelectRange(shift.Contains(ssShift) ? anchor_ : index, index);
            if (!shift.Contains(ssShift)) anchor_ = index;
          }
          if (alignValues_ == alvNone) Choose(index, before);
          break;
        case lmsCheck:
          if (alignValues_ == alvNone) Choose(index, before);
          break;
      }
    }
  }
  TKyCustomPanel::MouseUp(button, shift, x, y);
}

// ---- Keys ----

int TKyCustomListBox::StepFrom(int from, int delta) const {
  int n = ShownCount();
  if (n == 0) return -1;
  int start = from < 0 ? 0 : std::clamp(from + delta, 0, n - 1);
  int dir = delta >= 0 ? 1 : -1;
  if (from < 0) dir = 1;
  for (int i = start; i >= 0 && i < n; i += dir)
    if (Choosable(i)) return i;
  // Nothing further that way: the nearest one back toward the start.
  for (int i = start - dir; i >= 0 && i < n && i != from; i -= dir)
    if (Choosable(i)) return i;
  return from;
}

void TKyCustomListBox::KeyDown(uint16_t& key, TShiftState shift) {
  TKyCustomPanel::KeyDown(key, shift);
  if (key == 0 || ShownCount() == 0) return;
  if (mode_ == lmsNormal && !CanModify()) return;
  int rows = RowsPerColumn();
  int target;
  switch (key) {
    case VK_UP:
      target = StepFrom(focused_, -1);
      break;
    case VK_DOWN:
      target = StepFrom(focused_, 1);
      break;
    case VK_LEFT:
      target = StepFrom(focused_, columns_ > 0 ? -rows : -1);
      break;
    case VK_RIGHT:
      target = StepFrom(focused_, columns_ > 0 ? rows : 1);
      break;
    case VK_PRIOR:
      target = StepFrom(focused_, -PageSize());
      break;
    case VK_NEXT:
      target = StepFrom(focused_, PageSize());
      break;
    case VK_HOME:
      target = StepFrom(-1, 1);
      break;
    case VK_END:
      target = StepFrom(ShownCount(), -1);
      break;
    case VK_SPACE:
      if ((mode_ == lmsMulti || mode_ == lmsCheck) && CanModify()) Toggle(focused_);
      key = 0;
      return;
    default:
      return;
  }
  key = 0;
  if (target < 0) return;
  int previous = focused_;
  bool shiftOnly = shift.Contains(ssShift) && !shift.Contains(ssCtrl) && !shift.Contains(ssAlt);
  if (mode_ == lmsExtended) {
    if (shiftOnly) {
      if (anchor_ < 0) anchor_ = focused_ >= 0 ? focused_ : target;
      SetFocusedIndex(target);
      if (CanModify()) SelectRange(anchor_, target);
    } else {
      anchor_ = -1;
      SetFocusedIndex(target);
      // A plain move selects the item alone; with Ctrl only the focus moves.
      if (!shift.Contains(ssCtrl) && CanModify()) SelectRange(target, target);
    }
  } else {
    SetFocusedIndex(target);
  }
  if (mode_ == lmsNormal || (alignValues_ == alvNone && CanModify())) Choose(target, previous);
}

void TKyCustomListBox::KeyPress(char& key) {
  TKyCustomPanel::KeyPress(key);
  auto c = static_cast<unsigned char>(key);
  if (key == 0 || mode_ == lmsCheck || !(std::isalnum(c) || c >= 0xC0)) return;
  if (mode_ == lmsNormal && !CanModify()) return;
  int n = ShownCount();
  std::string typed(1, key);
  for (int step = 1; step <= n; ++step) {
    int i = ((focused_ < 0 ? -1 : focused_) + step) % n;
    if (!Choosable(i)) continue;
    std::string description = Shown(i)->Description();
    if (description.empty() || AnsiCompareText(description.substr(0, 1), typed) != 0) continue;
    key = 0;
    int previous = focused_;
    SetFocusedIndex(i);
    if (mode_ == lmsNormal || (alignValues_ == alvNone && CanModify())) Choose(i, previous);
    return;
  }
}

void TKyCustomListBox::DoEnter() {
  TKyCustomPanel::DoEnter();
  if (focused_ < 0 && ShownCount() > 0) {
    int index = mode_ == lmsNormal ? IndexOfValue() : -1;
    SetFocusedIndex(index >= 0 ? index : StepFrom(-1, 1));
  }
  Invalidate();
}

void TKyCustomListBox::DoExit() {
  StopRepeat();
  tracking_ = false;
  thumbDrag_ = false;
  Invalidate();
  TKyCustomPanel::DoExit();
}

void TKyCustomListBox::WndProc(TMessage& m) {
  switch (m.Msg) {
    case WM_GETDLGCODE:
      m.Result = DLGC_WANTARROWS | DLGC_WANTCHARS;
      return;
    case WM_MOUSEWHEEL: {
      auto delta = static_cast<int16_t>((m.WParam >> 16) & 0xFFFF);
      int step = columns_ == 0 ? 3 : RowsPerColumn();
      SetTopIndex(top_ - delta / 120 * step);
      m.Result = 0;
      return;
    }
  }
  TKyCustomPanel::WndProc(m);
}

// ---- Publishing ----

void TKyListBox::Publish(TPublisher<TKyListBox>& p) { PublishListBox(p); }

void RegisterListBoxClasses() { RegisterClasses({&TKyListBox::StaticClass()}); }
