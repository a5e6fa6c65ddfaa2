#include "controls/KyCheckBox.h"

#include <algorithm>
#include <utility>

#include "platform/graphics/Graphic.h"
#include "platform/graphics/Graphics.h"
#include "platform/os/LocaleInfo.h"
#include "platform/windows/Publish.h"
#include "skin/DataTypes.h"
#include "skin/Label.h"
#include "skin/Shapes.h"
#include "skin/TextDraw.h"

std::string ValueCompareText(const Variant& value) {
  return value.IsClear() ? std::string("{NULL}") : ValueToInvariantText(value);
}

bool SameValueText(const std::string& a, const std::string& b) { return AnsiCompareText(a, b) == 0; }

namespace {

// The literal mark text of a state, or the strings-package label when linked.
std::string MarkText(TKyCheckText& text, TKyCheckState s) {
  TKyMemoryLabel* id = s == cksChecked ? text.CheckedId() : s == cksGrayed ? text.GrayedId() : text.UnCheckedId();
  if (id->Resolve()) return id->Caption();
  return s == cksChecked ? text.Checked() : s == cksGrayed ? text.Grayed() : text.UnChecked();
}

TKySetColor* MarkColour(TKyCheckText& text, TKyCheckState s) {
  return s == cksChecked ? text.SetColChecked() : s == cksGrayed ? text.SetColGrayed() : text.SetColUnChecked();
}

}  // namespace

TKyCustomCheckBox::TKyCustomCheckBox(TComponent* owner)
    : TKyCustomPanel(owner), check_(std::make_unique<TKySingleCheck>(this)) {
  // The caption sits to the right of the box and shows by default.
  UseILabel(std::make_unique<TKyRightILabel>(this, InnerLabel()));
  SetBevelOuter(besNone);
  // The box is drawn over whatever its parent shows.
  SetTransparent(true);
  SetTabStop(true);
  check_->OnChange = [this](TObject*) {
    if (Link().IsBusy()) return;
    AdjustSize();
    Invalidate();
  };
  AdjustSize();
}

TKyCustomCheckBox::~TKyCustomCheckBox() = default;

// ---- Values and states ----

TKyCheckState TKyCustomCheckBox::StateOfText(const std::string& text) const {
  if (SameValueText(text, valueChecked_)) return cksChecked;
  if (allowGrayed_ && !SameValueText(text, valueUnChecked_) && SameValueText(text, valueGrayed_)) return cksGrayed;
  return cksUnChecked;
}

TKyCheckState TKyCustomCheckBox::State() const { return StateOfText(ValueCompareText(Value())); }

bool TKyCustomCheckBox::Checked() const {
  return !Value().IsClear() && SameValueText(ValueCompareText(Value()), valueChecked_);
}

void TKyCustomCheckBox::SetChecked(bool value) { SetValue(Variant(value ? valueChecked_ : valueUnChecked_)); }

void TKyCustomCheckBox::SetState(TKyCheckState value) { SetValue(Variant(StateValue(value))); }

TKyCheckState TKyCustomCheckBox::NextState(TKyCheckState s) const {
  switch (s) {
    case cksUnChecked:
      return allowGrayed_ ? cksGrayed : cksChecked;
    case cksGrayed:
      return cksChecked;
    case cksChecked:
      break;
  }
  return cksUnChecked;
}

const std::string& TKyCustomCheckBox::StateValue(TKyCheckState s) const {
  return s == cksChecked ? valueChecked_ : s == cksGrayed ? valueGrayed_ : valueUnChecked_;
}

void TKyCustomCheckBox::SetAllowGrayed(bool value) {
  if (value == allowGrayed_) return;
  allowGrayed_ = value;
  if (Link().IsBusy()) return;
  Show(State());
  Invalidate();
}

void TKyCustomCheckBox::SetValueChecked(const std::string& value) {
  if (value == valueChecked_) return;
  valueChecked_ = value;
  if (!IsLoading() && !Link().IsBusy()) Show(State());
}

void TKyCustomCheckBox::SetValueUnChecked(const std::string& value) {
  if (value == valueUnChecked_) return;
  valueUnChecked_ = value;
  if (!IsLoading() && !Link().IsBusy()) Show(State());
}

void TKyCustomCheckBox::SetValueGrayed(const std::string& value) {
  if (value == valueGrayed_) return;
  valueGrayed_ = value;
  if (!IsLoading() && !Link().IsBusy()) Show(State());
}

void TKyCustomCheckBox::Show(TKyCheckState s) {
  if (s == shown_) return;
  shown_ = s;
  Invalidate();
}

void TKyCustomCheckBox::ValueChanged() { Show(State()); }

void TKyCustomCheckBox::UpdateDisplay() {
  TKyCustomPanel::UpdateDisplay();
  Show(State());
}

void TKyCustomCheckBox::Advance() {
  TKyCheckState next = NextState(shown_);
  try {
    SetValue(Variant(StateValue(next)));
  } catch (...) {
    Show(State());
    throw;
  }
  // A value equal to the one that stands changes nothing: show what stands.
  Show(State());
}

// ---- Size and painting ----

TSize CheckMarkSize(const TKySingleCheck& check) {
  switch (check.Style()) {
    case cksImage:
      return {check.Image()->Width(), check.Image()->Height()};
    case cksShape:
      return {check.Shape()->Width(), check.Shape()->Height()};
    case cksText: {
      TKyCheckText& text = *check.Text();
      int32_t w = 0, h = 0;
      for (TKyCheckState s : {cksUnChecked, cksGrayed, cksChecked}) {
        std::string t = MarkText(text, s);
        if (t.empty()) continue;
        TRect out;
        DrawStyledText(nullptr, TRect{0, 0, 1000, 1000}, fosNormal, out, false, 0, false, 0, false, false, layTop,
                       aliLeft, false, true, 1, 0, false, true, nullptr, nullptr, MarkColour(text, s), text.SetFont(), t);
        w = std::max(w, out.Width());
        h = std::max(h, out.Height());
      }
      if (w == 0 || h == 0) return {16, 16};
      int32_t frame = text.Box() ? 4 : 0;
      return {w + frame, h + frame};
    }
  }
  return {16, 16};
}

TSize TKyCustomCheckBox::MarkSize() const { return CheckMarkSize(*check_); }

void TKyCustomCheckBox::AdjustSize() {
  if (HasImageSize()) {
    TKyCustomPanel::AdjustSize();
    return;
  }
  TSize size = MarkSize();
  if (size.cx > 0 && size.cy > 0 && (Width() != size.cx || Height() != size.cy))
    SetBounds(Left(), Top(), size.cx, size.cy);
}

TRect TKyCustomCheckBox::MarkRect() const { return {0, 0, Width(), Height()}; }

void PaintCheckMark(TCanvas& canvas, const TRect& box, const TKySingleCheck& check, TKyCheckState s, bool enabled) {
  if (check.Style() == cksText) {
    TKyCheckText& text = *check.Text();
    if (text.Box())
      Frame3DRect(canvas, box, LibraryDefaultColor(enabled ? "Dft_3DLight" : "Dft_3DMLight"), true,
                  LibraryDefaultColor("Dft_3DShadow"));
    TRect out;
    std::string t = MarkText(text, s);
    if (!t.empty())
      DrawStyledText(&canvas, box, fosNormal, out, false, 0, false, 0, false, false, layCenter, aliCenter, false,
                     enabled, 1, 0, false, false, nullptr, nullptr, MarkColour(text, s), text.SetFont(), t);
    return;
  }
  if (check.Style() == cksImage) {
    TKyCheckImage& image = *check.Image();
    TKyMemoryImage* ref = s == cksChecked ? image.Checked() : s == cksGrayed ? image.Grayed() : image.UnChecked();
    std::unique_ptr<TGraphic> picture;
    try {
      picture = ref->Graphic();
    } catch (const Exception&) {
      // A picture that does not decode: the shape stands in for it.
    }
    if (picture) {
      picture->SetTransparent(image.Transparent());
      if (image.Stretch())
        canvas.StretchDraw(box, picture.get());
      else
        canvas.Draw(box.Left + (box.Width() - picture->Width()) / 2, box.Top + (box.Height() - picture->Height()) / 2,
                    picture.get());
      return;
    }
  }
  // The shape, filled with the state's background; a locked box has a flat
  // ring.
  TKyCheckShape& shape = *check.Shape();
  TKyBorderStyle border = shape.BorderStyle();
  if (!enabled && border == bos3D) border = bosSingle;
  TKySetBackGround* back =
      s == cksChecked ? shape.SetBGChecked() : s == cksGrayed ? shape.SetBGGrayed() : shape.SetBGUnChecked();
  PaintShapeBevel(canvas, box, border, TKyBevelShape{shape.Shape(), shape.Orientation(), shape.Reflection(), nullptr},
                  false, back);
}

void TKyCustomCheckBox::PaintMark(TCanvas& canvas, const TRect& box, TKyCheckState s) {
  PaintCheckMark(canvas, box, *check_, s, !EffectiveReadOnly());
}

void TKyCustomCheckBox::Paint() {
  if (HasImageSize()) {
    TKyCustomPanel::Paint();
  } else {
    TCanvas& canvas = *Canvas();
    PaintBackground(canvas, TRect{0, 0, Width(), Height()});
    PaintMark(canvas, MarkRect(), shown_);
    PaintDesignCaption(canvas);
  }
  // Without a caption beside it the box marks its own focus.
  if (Focused() && !(ILabel()->Visible() && InnerLabel()->Parent())) Canvas()->DrawFocusRect(MarkRect());
}

// ---- Input ----

void TKyCustomCheckBox::MouseDown(TMouseButton button, TShiftState shift, int32_t x, int32_t y) {
  TKyCustomPanel::MouseDown(button, shift, x, y);
  if (button != mbLeft || !CanModify()) return;
  if (CanFocus() && TabStop() && !Focused()) SetFocus();
  downState_ = shown_;
  pendingState_ = NextState(shown_);
  tracking_ = true;
  Show(pendingState_);
}

void TKyCustomCheckBox::MouseMove(TShiftState shift, int32_t x, int32_t y) {
  TKyCustomPanel::MouseMove(shift, x, y);
  if (!tracking_) return;
  Show(TRect{0, 0, Width(), Height()}.Contains({x, y}) ? pendingState_ : downState_);
}

void TKyCustomCheckBox::MouseUp(TMouseButton button, TShiftState shift, int32_t x, int32_t y) {
  if (button == mbLeft && tracking_) {
    tracking_ = false;
    bool click = std::exchange(clickPending_, false);
    if (TRect{0, 0, Width(), Height()}.Contains({x, y})) {
      shown_ = downState_;  // the step starts from the state before the press
      Advance();
      if (click) TKyCustomPanel::DoClick();
    } else {
      Show(downState_);
    }
  }
  TKyCustomPanel::MouseUp(button, shift, x, y);
}

void TKyCustomCheckBox::DoClick() {
  if (tracking_) {
    clickPending_ = true;
    return;
  }
  TKyCustomPanel::DoClick();
}

void TKyCustomCheckBox::KeyDown(uint16_t& key, TShiftState shift) {
  TKyCustomPanel::KeyDown(key, shift);
  if (key != VK_SPACE || !CanModify()) return;
  key = 0;
  Advance();
}

void TKyCustomCheckBox::DoEnter() {
  TKyCustomPanel::DoEnter();
  InnerLabel()->SetMarksFocusOf(this);
  Invalidate();
}

void TKyCustomCheckBox::DoExit() {
  tracking_ = false;
  InnerLabel()->SetMarksFocusOf(nullptr);
  Invalidate();
  TKyCustomPanel::DoExit();
}

void TKyCustomCheckBox::LibraryMessage(int32_t code, int32_t value, TMessage& message) {
  if (code == kMmInnerLabelClick) {
    if (CanModify()) Advance();
    message.Result = 1;
    return;
  }
  TKyCustomPanel::LibraryMessage(code, value, message);
}

// ---- Publishing ----

void TKyCheckBox::Publish(TPublisher<TKyCheckBox>& p) {
  using C = TKyCheckBox;
  PublishBounds(p);
  p.Property("Cursor", &C::Cursor, &C::SetCursor).Default(crDefault);
  p.Property("Hint", &C::Hint, &C::SetHint);
  p.Property("HelpContext", &C::HelpContext, &C::SetHelpContext).Default(0);
  p.Property("TabOrder", &C::TabOrder, &C::SetTabOrder).Default(-1);
  p.Property("TabStop", &C::TabStop, &C::SetTabStop).Default(true);
  p.Property("AlignVer", &C::AlignVer, &C::SetAlignVer).Default(alvTop);
  p.Property("AlignHor", &C::AlignHor, &C::SetAlignHor).Default(alhLeft);
  p.Property("DataType", &C::DataType, &C::SetDataType).Default(dtyString);
  p.Property("AllowGrayed", &C::AllowGrayed, &C::SetAllowGrayed).Default(false);
  p.Property("ValueChecked", &C::ValueChecked, &C::SetValueChecked);
  p.Property("ValueUnChecked", &C::ValueUnChecked, &C::SetValueUnChecked);
  p.Property("ValueGrayed", &C::ValueGrayed, &C::SetValueGrayed);
  // Views of Value: the value itself goes into the form.
  p.Property("Checked", &C::Checked, &C::SetChecked).Stored(false);
  p.Property("State", &C::State, &C::SetState).Stored(false);
  p.Property("ILabel", &C::ILabel);
  p.Property("CaptionId", &C::CaptionId);
  p.Property("Check", &C::Check);
  p.Property("Privilege", &C::Privilege);
  p.Property("Visible", &C::Visible, &C::SetVisible).Default(true);
  p.Property("Enabled", &C::Enabled, &C::SetEnabled).Default(true);
  p.Property("ReadOnly", &C::ReadOnly, &C::SetReadOnly).Default(false);
  p.Event("OnCanModify", &C::OnCanModify);
  p.Event("OnStartEdit", &C::OnStartEdit);
  p.Event("OnValidate", &C::OnValidate);
  p.Event("OnClick", &C::OnClick);
  p.Event("OnDblClick", &C::OnDblClick);
  p.Event("OnEnter", &C::OnEnter);
  p.Event("OnExit", &C::OnExit);
  p.Event("OnMouseDown", &C::OnMouseDown);
  p.Event("OnMouseMove", &C::OnMouseMove);
  p.Event("OnMouseUp", &C::OnMouseUp);
  p.Event("OnKeyDown", &C::OnKeyDown);
  p.Event("OnKeyPress", &C::OnKeyPress);
  p.Event("OnKeyUp", &C::OnKeyUp);
  PublishDragProperties(p);
  PublishDragEvents(p);
}

void RegisterCheckClasses() { RegisterClasses({&TKyCheckBox::StaticClass()}); }
