#include "controls/KyRadioGroup.h"

#include <algorithm>
#include <cctype>
#include <cmath>

#include "controls/KyCheckBox.h"
#include "platform/graphics/Graphic.h"
#include "platform/graphics/Graphics.h"
#include "platform/os/LocaleInfo.h"
#include "platform/windows/Publish.h"
#include "skin/Shapes.h"
#include "skin/TextDraw.h"

bool IsAccelerator(char ch, const std::string& text) {
  for (size_t i = 0; i + 1 < text.size(); ++i) {
    if (text[i] != '&') continue;
    if (text[i + 1] == '&') {
      ++i;  // "&&" is a plain ampersand
      continue;
    }
    return std::toupper(static_cast<unsigned char>(text[i + 1])) == std::toupper(static_cast<unsigned char>(ch));
  }
  return false;
}

void PlaceItemBox(const TRect& rect, TSize size, TKyInternalControlLayout layout, int32_t spacing, TRect& box,
              TRect& rest) {
  int32_t cx = rect.Left + (rect.Width() - size.cx) / 2;
  int32_t cy = rect.Top + (rect.Height() - size.cy) / 2;
  rest = rect;
  switch (layout) {
    case iclLeft:
      box = {rect.Left, cy, rect.Left + size.cx, cy + size.cy};
      rest.Left = box.Right + spacing;
      break;
    case iclRight:
      box = {rect.Right - size.cx, cy, rect.Right, cy + size.cy};
      rest.Right = box.Left - spacing;
      break;
    case iclTop:
      box = {cx, rect.Top, cx + size.cx, rect.Top + size.cy};
      rest.Top = box.Bottom + spacing;
      break;
    case iclBottom:
      box = {cx, rect.Bottom - size.cy, cx + size.cx, rect.Bottom};
      rest.Bottom = box.Top - spacing;
      break;
    case iclOverlay:
      box = {cx, cy, cx + size.cx, cy + size.cy};
      break;
  }
}

bool DrawItemImage(TCanvas& canvas, TKyMemoryImage* ref, const TRect& box, bool stretch, bool transparent) {
  std::unique_ptr<TGraphic> picture;
  try {
    picture = ref->Graphic();
  } catch (const Exception&) {
    return false;  // a picture that does not decode
  }
  if (!picture) return false;
  picture->SetTransparent(transparent);
  if (stretch)
    canvas.StretchDraw(box, picture.get());
  else
    canvas.Draw(box.Left + (box.Width() - picture->Width()) / 2, box.Top + (box.Height() - picture->Height()) / 2,
                picture.get());
  return true;
}

// ---- Items ----

TKyRadioGroupItems::TKyRadioGroupItems(TKyCustomRadioGroup* group) : TKyItems(group), group_(group) {}

void TKyRadioGroupItems::ItemsChanged(int kind, TCollectionItem* item) {
  TKyItems::ItemsChanged(kind, item);
  group_->ItemsChanged(kind);
}

// ---- Elements ----

TElement::TElement(TKyCustomRadioGroup* group, TKyItem* item) : group_(group), item_(item) { SetPanel(group); }

TRect TElement::MarkRect() const {
  TKyGroupRadios& radios = *group_->Radios();
  TSize size = radios.Style() == rasShape ? TSize{radios.Shape()->Width(), radios.Shape()->Height()}
                                          : TSize{radios.Image()->Width(), radios.Image()->Height()};
  TRect box, rest;
  PlaceItemBox(Bounds(), size, radios.Layout(), radios.Spacing(), box, rest);
  return box;
}

void TElement::Paint(TCanvas& canvas) {
  TKyGroupRadios& radios = *group_->Radios();
  TKyGroupImages& images = *group_->Images();
  TKyRadioGroupTexts& texts = *group_->Texts();
  bool enabled = item_->Enabled() && !group_->EffectiveReadOnly();
  TRect cell = Bounds();
  TRect mark = MarkRect();
  TRect rest, unused;
  PlaceItemBox(cell, {mark.Width(), mark.Height()}, radios.Layout(), radios.Spacing(), unused, rest);
  TClipRecall clip(canvas);
  canvas.IntersectClipRect(cell);
  bool drawn = false;
  if (radios.Style() == rasImage) {
    TKyRadioImage& image = *radios.Image();
    drawn = DrawItemImage(canvas, checked_ ? image.Checked() : image.UnChecked(), mark, image.Stretch(),
                      image.Transparent());
  }
  if (!drawn) {
    // The shape, filled with the state's background; a locked item has a
    // flat ring.
    TKyRadioShape& shape = *radios.Shape();
    TKyBorderStyle border = shape.BorderStyle();
    if (!enabled && border == bos3D) border = bosSingle;
    PaintShapeBevel(canvas, mark, border, TKyBevelShape{shape.Shape(), shape.Orientation(), shape.Reflection(), nullptr},
                    false, checked_ ? shape.SetBGChecked() : shape.SetBGUnChecked());
  }
  if (images.Visible()) {
    TRect box, textRest;
    PlaceItemBox(rest, {images.Width(), images.Height()}, images.Layout(), images.Spacing(), box, textRest);
    if (DrawItemImage(canvas, item_->Image(), box, images.Stretch(), images.Transparent())) rest = textRest;
  }
  if (texts.Visible() && rest.Width() > 0 && rest.Height() > 0) {
    TRect out;
    DrawStyledText(&canvas, rest, texts.FontStyle(), out, false, 0, false, texts.Angle(), true, texts.WordWrap(),
                   texts.Layout(), texts.Alignment(), false, enabled, texts.Spacing3D(), texts.Width(), false, false,
                   texts.SetColAccelChar(), texts.SetColShadow(), texts.SetColText(), texts.SetFont(),
                   item_->Description());
  }
}

// ---- The group ----

TKyCustomRadioGroup::TKyCustomRadioGroup(TComponent* owner)
    : TKyCustomGroupBox(owner),
      items_(std::make_unique<TKyRadioGroupItems>(this)),
      radios_(std::make_unique<TKyGroupRadios>(this)),
      images_(std::make_unique<TKyGroupImages>(this)),
      texts_(std::make_unique<TKyRadioGroupTexts>(this)) {
  SetBounds(0, 0, 185, 105);
  SetTabStop(true);
  auto repaint = [this](TObject*) {
    if (!Link().IsBusy()) Invalidate();
  };
  radios_->OnChange = repaint;
  images_->OnChange = repaint;
  texts_->OnChange = repaint;
  // The title takes room from the items.
  Title()->OnChange = [this](TObject*) {
    if (Link().IsBusy()) return;
    LayoutElements();
    Invalidate();
  };
}

TKyCustomRadioGroup::~TKyCustomRadioGroup() {
  elements_.clear();
}

void TKyCustomRadioGroup::SetSorted(bool value) {
  if (value == sorted_) return;
  sorted_ = value;
  if (!Link().IsBusy()) RebuildElements();
}

void TKyCustomRadioGroup::SetColumns(int32_t value) {
  value = std::max(value, 1);
  if (value == columns_) return;
  columns_ = value;
  if (!Link().IsBusy()) RebuildElements();
}

void TKyCustomRadioGroup::ItemsChanged(int kind) {
  if (Link().IsBusy() || IsDestroying()) return;
  if (kind == kItemText) {
    Invalidate();
    return;
  }
  RebuildElements();
}

TRect TKyCustomRadioGroup::ItemArea() {
  TRect area = FrameRect();
  int32_t line = 0;
  switch (BorderStyle()) {
    case bbsNone:
      break;
    case bbsSingle:
      line = std::max(Pen()->Width(), 1);
      break;
    case bbs3DTop:
    case bbs3DBottom:
      line = 2;
      break;
    case bbs3DDoubleTop:
    case bbs3DDoubleBottom:
      line = 5;
      break;
  }
  area = {area.Left + line, area.Top + line, area.Right - line, area.Bottom - line};
  if (!Title()->Caption().empty()) {
    TRect title = TitleRect();
    TKyTextBoxLayout l = Title()->Layout();
    if (l <= tblTopRight) area.Top = std::max(area.Top, title.Bottom);
    else if (l <= tblBottomRight) area.Bottom = std::min(area.Bottom, title.Top);
    else if (l <= tblLeftBottom) area.Left = std::max(area.Left, title.Right);
    else area.Right = std::min(area.Right, title.Left);
  }
  return area;
}

void TKyCustomRadioGroup::RebuildElements() {
  elements_.clear();
  std::vector<TKyItem*> shown;
  for (int i = 0; i < items_->Count(); ++i)
    if (items_->Items(i)->Visible()) shown.push_back(items_->Items(i));
  if (sorted_)
    std::stable_sort(shown.begin(), shown.end(), [](TKyItem* a, TKyItem* b) {
      // By what the user reads: the accelerator marks do not count.
      auto plain = [](std::string t) {
        std::erase(t, '&');
        return t;
      };
      return AnsiCompareText(plain(a->Description()), plain(b->Description())) < 0;
    });
  for (TKyItem* item : shown) elements_.push_back(std::make_unique<TElement>(this, item));
  LayoutElements();
  checkedIndex_ = IndexOfValue();
  ShowChecked(checkedIndex_);
  if (focusedIndex_ >= ElementCount() || (focusedIndex_ < 0 && Focused()))
    focusedIndex_ = checkedIndex_ >= 0 ? checkedIndex_ : (ElementCount() > 0 ? 0 : -1);
  pressedIndex_ = -1;
  tracking_ = false;
  Invalidate();
}

void TKyCustomRadioGroup::LayoutElements() {
  int n = ElementCount();
  if (n == 0) return;
  TRect area = ItemArea();
  int32_t rows = (n + columns_ - 1) / columns_;
  double w = area.Width(), h = area.Height();
  for (int i = 0; i < n; ++i) {
    int32_t col = i / rows, row = i % rows;
    int32_t x0 = area.Left + static_cast<int32_t>(std::lrint(w / columns_ * col));
    int32_t x1 = area.Left + static_cast<int32_t>(std::lrint(w / columns_ * (col + 1)));
    int32_t y0 = area.Top + static_cast<int32_t>(std::lrint(h / rows * row));
    int32_t y1 = area.Top + static_cast<int32_t>(std::lrint(h / rows * (row + 1)));
    elements_[static_cast<size_t>(i)]->SetBounds({x0 + 1, y0 + 1, x1 - 1, y1 - 1});
  }
}

int TKyCustomRadioGroup::ElementAt(int32_t x, int32_t y) const {
  for (int i = 0; i < ElementCount(); ++i)
    if (Element(i)->Bounds().Contains({x, y})) return i;
  return -1;
}

int TKyCustomRadioGroup::IndexOfValue() const {
  std::string text = ValueCompareText(Value());
  for (int i = 0; i < ElementCount(); ++i)
    if (SameValueText(Element(i)->Item()->Value(), text)) return i;
  return -1;
}

void TKyCustomRadioGroup::ShowChecked(int index) {
  for (int i = 0; i < ElementCount(); ++i) Element(i)->SetChecked(i == index);
  Invalidate();
}

void TKyCustomRadioGroup::SetFocusedIndex(int index) {
  if (index == focusedIndex_) return;
  focusedIndex_ = index;
  Invalidate();
}

bool TKyCustomRadioGroup::Choosable(int index) const {
  return index >= 0 && index < ElementCount() && Element(index)->Item()->Enabled();
}

void TKyCustomRadioGroup::Choose(int index) {
  try {
    SetValue(Variant(Element(index)->Item()->Value()));
  } catch (...) {
    checkedIndex_ = IndexOfValue();
    ShowChecked(checkedIndex_);
    throw;
  }
  checkedIndex_ = IndexOfValue();
  ShowChecked(checkedIndex_);
}

void TKyCustomRadioGroup::ValueChanged() {
  checkedIndex_ = IndexOfValue();
  ShowChecked(checkedIndex_);
}

void TKyCustomRadioGroup::ApplyCaption() {
  if (!CaptionId()->Resolve()) return;
  Title()->SetCaption(CaptionId()->Caption());
  SetHint(CaptionId()->Hint());
}

void TKyCustomRadioGroup::UpdateDisplay() {
  TKyCustomGroupBox::UpdateDisplay();
  RebuildElements();
}

void TKyCustomRadioGroup::Resize() {
  TKyCustomGroupBox::Resize();
  LayoutElements();
}

void TKyCustomRadioGroup::Paint() {
  TKyCustomGroupBox::Paint();
  TCanvas& canvas = *Canvas();
  for (auto& element : elements_)
    if (element->Visible()) element->Paint(canvas);
  if (Focused() && focusedIndex_ >= 0 && focusedIndex_ < ElementCount())
    canvas.DrawFocusRect(Element(focusedIndex_)->Bounds());
}

// ---- Input ----

void TKyCustomRadioGroup::MouseDown(TMouseButton button, TShiftState shift, int32_t x, int32_t y) {
  TKyCustomGroupBox::MouseDown(button, shift, x, y);
  if (button != mbLeft) return;
  if (CanFocus() && !Focused()) SetFocus();
  int index = ElementAt(x, y);
  // A read-only group keeps its value under the mouse as under the keys.
  if (!Choosable(index) || !CanFocus() || !EffectiveEnabled() || !CanModify()) return;
  savedIndex_ = checkedIndex_;
  savedFocus_ = focusedIndex_;
  pressedIndex_ = index;
  ShowChecked(index);
  SetFocusedIndex(index);
  tracking_ = true;
}

void TKyCustomRadioGroup::MouseMove(TShiftState shift, int32_t x, int32_t y) {
  TKyCustomGroupBox::MouseMove(shift, x, y);
  if (!tracking_) return;
  ShowChecked(ElementAt(x, y) == pressedIndex_ ? pressedIndex_ : savedIndex_);
}

void TKyCustomRadioGroup::MouseUp(TMouseButton button, TShiftState shift, int32_t x, int32_t y) {
  if (button == mbLeft && tracking_) {
    tracking_ = false;
    if (ElementAt(x, y) == pressedIndex_) {
      Choose(pressedIndex_);
      TKyCustomGroupBox::DoClick();
    } else {
      ShowChecked(savedIndex_);
      SetFocusedIndex(savedIndex_ >= 0 ? savedIndex_ : savedFocus_);
    }
  }
  TKyCustomGroupBox::MouseUp(button, shift, x, y);
}

void TKyCustomRadioGroup::KeyDown(uint16_t& key, TShiftState shift) {
  TKyCustomGroupBox::KeyDown(key, shift);
  if (!CanModify()) return;
  switch (key) {
    case VK_UP:
    case VK_LEFT: {
      for (int i = focusedIndex_ - 1; i >= 0; --i)
        if (Choosable(i)) {
          SetFocusedIndex(i);
          break;
        }
      key = 0;
      return;
    }
    case VK_DOWN:
    case VK_RIGHT: {
      for (int i = focusedIndex_ + 1; i < ElementCount(); ++i)
        if (Choosable(i)) {
          SetFocusedIndex(i);
          break;
        }
      key = 0;
      return;
    }
    case VK_SPACE:
      if (Choosable(focusedIndex_)) Choose(focusedIndex_);
      key = 0;
      return;
  }
}

void TKyCustomRadioGroup::DoEnter() {
  TKyCustomGroupBox::DoEnter();
  SetFocusedIndex(checkedIndex_ >= 0 ? checkedIndex_ : (ElementCount() > 0 ? 0 : -1));
  Invalidate();
}

void TKyCustomRadioGroup::DoExit() {
  if (tracking_) {
    tracking_ = false;
    ShowChecked(checkedIndex_);
  }
  SetFocusedIndex(-1);
  TKyCustomGroupBox::DoExit();
}

bool TKyCustomRadioGroup::DialogChar(char ch) {
  if (IsAccelerator(ch, Title()->Caption())) {
    if (!CanFocus()) return false;
    SetFocus();
    return true;
  }
  if (!CanModify()) return false;
  for (int i = 0; i < ElementCount(); ++i) {
    if (!Choosable(i) || !IsAccelerator(ch, Element(i)->Item()->Description())) continue;
    Choose(i);
    if (CanFocus()) SetFocus();
    SetFocusedIndex(i);
    return true;
  }
  return false;
}

void TKyCustomRadioGroup::WndProc(TMessage& m) {
  switch (m.Msg) {
    case WM_GETDLGCODE:
      // Arrows move between the items unless Ctrl is held.
      m.Result = KeyboardShiftState().Contains(ssCtrl) ? 0 : DLGC_WANTARROWS;
      return;
    case CM_DIALOGCHAR:
      if (Showing() && DialogChar(static_cast<char>(m.WParam))) {
        m.Result = 1;
        return;
      }
      break;
  }
  TKyCustomGroupBox::WndProc(m);
}

// ---- Publishing ----

void TKyRadioGroup::Publish(TPublisher<TKyRadioGroup>& p) {
  using R = TKyRadioGroup;
  PublishBounds(p);
  p.Property("Cursor", &R::Cursor, &R::SetCursor).Default(crDefault);
  p.Property("Hint", &R::Hint, &R::SetHint);
  p.Property("HelpContext", &R::HelpContext, &R::SetHelpContext).Default(0);
  p.Property("TabOrder", &R::TabOrder, &R::SetTabOrder).Default(-1);
  p.Property("TabStop", &R::TabStop, &R::SetTabStop).Default(true);
  p.Property("AlignHor", &R::AlignHor, &R::SetAlignHor).Default(alhLeft);
  p.Property("AlignVer", &R::AlignVer, &R::SetAlignVer).Default(alvTop);
  p.Property("DataType", &R::DataType, &R::SetDataType).Default(dtyString);
  p.Property("Items", &R::Items);
  p.Property("Sorted", &R::Sorted, &R::SetSorted).Default(false);
  p.Property("Title", &R::Title);
  p.Property("CaptionId", &R::CaptionId);
  p.Property("Radios", &R::Radios);
  p.Property("Images", &R::Images);
  p.Property("Texts", &R::Texts);
  p.Property("Shadow", &R::Shadow, &R::SetShadow).Default(false);
  p.Property("Columns", &R::Columns, &R::SetColumns).Default(1);
  p.Property("MarginLeftRight", &R::MarginLeftRight, &R::SetMarginLeftRight).Default(0);
  p.Property("MarginTopBottom", &R::MarginTopBottom, &R::SetMarginTopBottom).Default(0);
  p.Property("SetBackGround", &R::SetBackGround);
  p.Property("Pen", &R::Pen);
  p.Property("BorderStyle", &R::BorderStyle, &R::SetBorderStyle).Default(bbs3DBottom);
  p.Property("Transparent", &R::Transparent, &R::SetTransparent).Default(false);
  p.Property("Privilege", &R::Privilege);
  p.Property("Visible", &R::Visible, &R::SetVisible).Default(true);
  p.Property("Enabled", &R::Enabled, &R::SetEnabled).Default(true);
  p.Property("ReadOnly", &R::ReadOnly, &R::SetReadOnly).Default(false);
  p.Property("Locked", &R::Locked, &R::SetLocked).Default(false);
  p.Event("OnStartEdit", &R::OnStartEdit);
  p.Event("OnValidate", &R::OnValidate);
  p.Event("OnCanModify", &R::OnCanModify);
  p.Event("OnClick", &R::OnClick);
  p.Event("OnDblClick", &R::OnDblClick);
  p.Event("OnEnter", &R::OnEnter);
  p.Event("OnExit", &R::OnExit);
  p.Event("OnMouseDown", &R::OnMouseDown);
  p.Event("OnMouseMove", &R::OnMouseMove);
  p.Event("OnMouseUp", &R::OnMouseUp);
  PublishDragProperties(p);
  PublishDragEvents(p);
}

void RegisterRadioGroupClasses() { RegisterClasses({&TKyRadioGroup::StaticClass()}); }
