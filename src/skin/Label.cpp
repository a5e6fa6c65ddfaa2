#include "skin/Label.h"

#include <algorithm>

#include "packages/CForm.h"
#include "platform/base/SysUtils.h"
#include "platform/classes/FormStream.h"
#include "platform/graphics/Canvas.h"
#include "platform/os/Shortcuts.h"
#include "platform/windows/Forms.h"
#include "platform/windows/Publish.h"
#include "skin/Fills.h"
#include "skin/Shapes.h"
#include "skin/TextDraw.h"

namespace {

constexpr int32_t kMinWidth = 8;
constexpr int32_t kMinHeight = 15;
constexpr const char* kNullText = "{NULL}";

// A value's sign for the sign colours: numbers by value, other values as
// the platform compares them with zero (text that is not a number: none).
int SignOf(const Variant& v) {
  if (v.IsNull() || v.IsEmpty()) return 0;
  double d;
  try {
    d = v.AsDouble();
  } catch (const Exception&) {
    return 0;
  }
  return d < 0 ? -1 : 1;
}

}  // namespace

// ---- TKyLabelImage ----

TKyLabelImage::TKyLabelImage(TPersistent* owner) : TKyFullImage(owner) {
  // Shown unless switched off; a label without a picture draws none anyway.
  SetVisible(true);
}

void TKyLabelImage::Publish(TPublisher<TKyLabelImage>& p) {
  p.Property("Visible", &TKyLabelImage::Visible, &TKyLabelImage::SetVisible).Default(true);
}

// ---- TKyBasicLabel ----

TKyBasicLabel::TKyBasicLabel(TComponent* owner) : TGraphicControl(owner), link_(this, kLinkControl) {
  SetBounds(0, 0, 65, 17);
  valueId_ = std::make_unique<TKyMemoryLabel>(this);
  messageId_ = std::make_unique<TKyMemoryMessage>(this);
  textId_ = std::make_unique<TKyMemoryText>(this);
  for (TKyMemoryReference* ref : {static_cast<TKyMemoryReference*>(valueId_.get()),
                                  static_cast<TKyMemoryReference*>(messageId_.get()),
                                  static_cast<TKyMemoryReference*>(textId_.get())})
    ref->OnChange = [this](TKyMemoryReference*) { RefreshFromConfig(); };
  mask_ = std::make_unique<TKyMaskLabel>(this, this);
  text_ = std::make_unique<TKyLabelText>(this);
  shape_ = std::make_unique<TKyFullShape>(this);
  image_ = std::make_unique<TKyLabelImage>(this);
  for (TKyBlock* block : {static_cast<TKyBlock*>(text_.get()), static_cast<TKyBlock*>(shape_.get()),
                          static_cast<TKyBlock*>(image_.get())})
    block->OnChange = [this](TObject*) { Changed(); };
  background_ = std::make_unique<TKySetBackGround>(this);
  background_->OnChange = [this](TKySetObject*) { Changed(); };
  captionId_ = std::make_unique<TKyMemoryLabel>(this);
  captionId_->OnChange = [this](TKyMemoryReference*) {
    if (captionId_->Resolve()) SetHint(captionId_->Hint());
    CaptionToInnerLabel();
  };
  privilege_ = std::make_unique<TKyPrivilege>(this);
  privilege_->OnChange = [this](TKyPrivilege*) { RefreshFromConfig(); };
  link_.OnLoaded = [this] {
    RefreshFromConfig();
    placement_.Record(*this);
  };
  Recompile();
  UpdateDisplay();
}

TKyBasicLabel::~TKyBasicLabel() = default;

bool TKyBasicLabel::IsBusy() const {
  return updateCount_ > 0 || IsLoading() || (Owner() && Owner()->IsLoading()) || IsDestroying();
}

void TKyBasicLabel::EndUpdate() {
  if (updateCount_ > 0 && --updateCount_ == 0 && !IsBusy()) UpdateDisplay();
}

void TKyBasicLabel::Changed() {
  if (IsBusy()) return;
  UpdateDisplay();
}

// ---- Value ----

Variant TKyBasicLabel::ResolveValue(const Variant& given) const {
  if (typeInfo_ != timDefault) return SystemValue(typeInfo_);
  if (valueId_->Resolve()) return Variant(valueId_->Caption());
  if (messageId_->Resolve()) return Variant(messageId_->Text());
  if (textId_->Resolve()) return Variant(textId_->Text());
  return given;
}

void TKyBasicLabel::SetValue(const Variant& value) {
  given_ = value;
  ShowGiven();
}

void TKyBasicLabel::ShowGiven() {
  Variant resolved = ResolveValue(given_);
  if (resolved.IsClear()) {
    // No value stays no value, whatever the type.
    value_ = Variant::Null();
    if (!IsBusy()) UpdateDisplay();
    return;
  }
  try {
    value_ = ConvertValue(resolved, dataType_);
  } catch (const Exception&) {
    // A text that is no value of the type is shown as it stands.
    value_ = resolved;
  }
  if (!IsBusy()) UpdateDisplay();
}

void TKyBasicLabel::SetDataType(TKyDataType value) {
  if (value == dataType_) return;
  dataType_ = value;
  Recompile();
  ShowGiven();
}

void TKyBasicLabel::SetTypeInfo(TKyTypeInfo value) {
  if (value == typeInfo_) return;
  typeInfo_ = value;
  ShowGiven();
}

void TKyBasicLabel::SetPasswordLook(bool value) {
  if (value == password_) return;
  password_ = value;
  Changed();
}

TKyCForm* TKyBasicLabel::MaskFormConfig() const {
  for (TComponent* c = Owner(); c; c = c->Owner())
    if (TKyCForm* config = TKyCForm::FindOn(c)) return config;
  return nullptr;
}

void TKyBasicLabel::Recompile() {
  try {
    mask_->Compile(compiled_);
    compiledValid_ = true;
  } catch (const Exception&) {
    compiledValid_ = false;
    throw;
  }
}

void TKyBasicLabel::MaskChanged(TKyMask&) {
  Recompile();
  Changed();
}

void TKyBasicLabel::RefreshFromConfig() {
  if (IsDestroying()) return;
  // One display update for the whole refresh.
  BeginUpdate();
  privilege_->Update();
  TControl::SetVisible(EffectiveVisible());
  TControl::SetEnabled(EffectiveEnabled());
  if (captionId_->Resolve()) SetHint(captionId_->Hint());
  CaptionToInnerLabel();
  ShowGiven();
  EndUpdate();
}

void TKyBasicLabel::CaptionToInnerLabel() {
  TKyILabel* own = OwnILabel();
  if (own && captionId_->Resolve()) own->Control()->SetValue(Variant(captionId_->Caption()));
}

// ---- Display ----

void TKyBasicLabel::UpdateDisplay() {
  TKyCForm* config = MaskFormConfig();
  if (IsDesigning() && !refValue_.empty() && config && config->RefAdjust()) {
    shown_ = refValue_;
  } else if (!compiledValid_) {
    shown_ = ValueToInvariantText(value_);
  } else if (value_.IsNull() || value_.IsEmpty()) {
    shown_ = compiled_.EmptyText();
  } else {
    shown_ = compiled_.DisplayText(value_);
  }
  if (password_) shown_.assign(shown_.size(), '*');
  SetCaption(shown_);
  if (autoSize_ && !sizing_) {
    sizing_ = true;
    TSize need = MeasureContent();
    int32_t w = need.cx, h = need.cy;
    if (!IsInnerLabel() && text_->WordWrap()) {
      int32_t turn = ((text_->Angle() % 360) + 360) % 360;
      if (turn % 180 == 0) w = Width();
      else if (turn % 180 == 90) h = Height();
    }
    SetBounds(Left(), Top(), std::max(kMinWidth, w), std::max(kMinHeight, h));
    sizing_ = false;
  }
  Invalidate();
  if (TKyILabel* own = OwnILabel()) own->Place();
}

TSize TKyBasicLabel::MeasureContent() {
  TRect box{0, 0, text_->WordWrap() || (IsInnerLabel() && text_->Width() > 0) ? Width() : 10000, 10000};
  TRect out;
  TKyAlignment alignment = compiled_.Alignment == '>' ? aliRight : compiled_.Alignment == '%' ? aliCenter : aliLeft;
  bool wrap = IsInnerLabel() ? text_->Width() >= 1 : text_->WordWrap();
  DrawStyledText(nullptr, box, text_->FontStyle(), out, false, 0, false, text_->Angle(), text_->ShowAccelChar(), wrap,
                 text_->Layout(), alignment, false, true, text_->Spacing3D(), text_->Width(), false, true,
                 text_->SetColAccelChar(), text_->SetColShadow(), text_->SetColText(), text_->SetFont(), shown_);
  int32_t w = out.Width() + 2 * marginLeftRight_, h = out.Height() + 2 * marginTopBottom_;
  // Room for the owner's focus frame, so that focusing never cuts the text.
  if (focusOwner_) {
    w += 4;
    h += 4;
  }
  if (shape_->Visible() && shape_->BorderStyle() != bosNone) {
    w += 2 * std::max(1, shape_->BorderWidth());
    h += 2 * std::max(1, shape_->BorderWidth());
  }
  if (image_->Visible() && image_->Image()->Resolve()) {
    TKyPkgImagesImage* pic = image_->Image()->Resolve();
    int32_t iw = pic->Width() + image_->Spacing(), ih = pic->Height();
    switch (image_->Layout()) {
      case iclTop:
      case iclBottom:
        h += pic->Height() + image_->Spacing();
        w = std::max(w, static_cast<int32_t>(pic->Width()));
        break;
      case iclOverlay:
        w = std::max(w, static_cast<int32_t>(pic->Width()));
        h = std::max(h, ih);
        break;
      default:
        w += iw;
        h = std::max(h, ih);
        break;
    }
  }
  return {w, h};
}

TRect TKyBasicLabel::ContentRect() const { return {0, 0, Width(), Height()}; }

void TKyBasicLabel::Paint() {
  TCanvas& canvas = *Canvas();
  TRect rect = ContentRect();
  // 1. Colours and style.
  bool highlight = selected_ || highlighted_;
  TKyTextColours colours = SelectTextColours(text_->FontStyle(), highlight, text_->SetColText(),
                                             text_->SetColAccelChar(), text_->SetColShadow(), text_->SetColLight(),
                                             text_->SetColSelected());
  TKySetColor* textColour = colours.Text;
  TKySetColor* accelColour = colours.AccelChar;
  // 2. The owner's focus.
  if (focusOwner_ && focusOwner_->Focused()) {
    canvas.DrawFocusRect(rect);
    rect = {rect.Left + 2, rect.Top + 2, rect.Right - 2, rect.Bottom - 2};
  }
  TRect textRect = rect;
  bool shaped = shape_->Visible();
  // The label's own background, or the selected one.
  bool selectedLook = selected_ && (text_->FontStyle() == fosNormal || text_->FontStyle() == fos3D);
  if (selectedLook && text_->SetBGSelected()->Resolve())
    PaintBackGround(canvas, rect, *text_->SetBGSelected());
  else if (!background_->Name().empty())
    PaintBackGround(canvas, rect, *background_);
  if (shaped) {
    // The shape's shadow two pixels down and right, then the shape.
    TRect body = rect;
    if (shadow_ && !selected_) {
      body = {rect.Left, rect.Top, rect.Right - 2, rect.Bottom - 2};
      TKyColor dark = LibraryDefaultColor("Dft_3DShadow");
      PaintShape(canvas, {rect.Left + 2, rect.Top + 2, rect.Right, rect.Bottom}, spmFilled, 1, dark, pesClear, dark,
                 brsSolid, shape_->Reflection(), shape_->Shape(), shape_->Orientation());
    }
    TKyBrush* brush = shape_->Brush();
    TKyPen* pen = shape_->Pen();
    TKyBorderStyle border = shape_->BorderStyle();
    bool down = shape_->Down();
    if (border != bosNone) {
      // The border ring around the outline (its 3D colours swapped when
      // down), the background inside, one pixel down and right when down.
      TKyBevelShape source{shape_->Shape(), shape_->Orientation(), shape_->Reflection(), nullptr};
      bool solid = brush->Style() == brsSolid;
      TClipRecall clip(canvas);
      if (!solid) {
        // A clear or hatched shape keeps what lies inside: only the ring is painted.
        TRegion ring = ShapeBevelRegion(body, border, source);
        ring.Combine(BevelOutline(body, border, source), rgnDiff);
        TPoint origin = canvas.WindowOrigin();
        canvas.IntersectClipRegion(ring.Clone().Offset(-origin.X, -origin.Y).Handle());
      }
      PaintShapeBevel(canvas, body, border, source, down, solid ? brush->SetBackGround() : nullptr);
      body = body.Inflate(-1, -1);
      if (down) body = body.Offset(1, 1);
    } else if (brush->Style() == brsSolid) {
      PaintShapeBackGround(canvas, body, *brush->SetBackGround(), shape_->Shape(), shape_->Orientation(),
                           shape_->Reflection());
    }
    PaintShape(canvas, body, brush->Style() == brsSolid ? spmOutline : spmFilled, pen->Width(),
               pen->SetColor()->Value(), pen->Style(), brush->SetBackGround()->Value(), brush->Style(),
               shape_->Reflection(), shape_->Shape(), shape_->Orientation());
    int32_t inset = std::max(1, std::max(shape_->BorderWidth(), pen->Width()));
    textRect = {body.Left + inset, body.Top + inset, body.Right - inset, body.Bottom - inset};
  }
  // 5. Sign colours: zero counts as positive.
  int sign = SignOf(value_);
  bool numeric = !value_.IsNull() && !value_.IsEmpty() && IsNumericDataType(dataType_);
  if (numeric) {
    TKySetBackGround* back = sign < 0 ? text_->SetBGNegatives() : text_->SetBGPositives();
    TKySetColor* colour = sign < 0 ? text_->SetColNegatives() : text_->SetColPositives();
    if (back->Resolve()) PaintBackGround(canvas, textRect, *back);
    if (colour->Resolve()) textColour = accelColour = colour;
  }
  // The image beside the text.
  if (image_->Visible()) {
    if (std::unique_ptr<TGraphic> picture = image_->Image()->Graphic()) {
      picture->SetTransparent(image_->Transparent());
      int32_t pw = picture->Width(), ph = picture->Height(), gap = image_->Spacing();
      int32_t x = textRect.Left + marginLeftRight_, y = textRect.Top + (textRect.Height() - ph) / 2;
      switch (image_->Layout()) {
        case iclRight:
          x = textRect.Right - marginLeftRight_ - pw;
          textRect.Right = x - gap;
          break;
        case iclTop:
          x = textRect.Left + (textRect.Width() - pw) / 2;
          y = textRect.Top + marginTopBottom_;
          textRect.Top = y + ph + gap;
          break;
        case iclBottom:
          x = textRect.Left + (textRect.Width() - pw) / 2;
          y = textRect.Bottom - marginTopBottom_ - ph;
          textRect.Bottom = y - gap;
          break;
        case iclOverlay:
          x = textRect.Left + (textRect.Width() - pw) / 2;
          break;
        default:
          textRect.Left = x + pw + gap;
          break;
      }
      canvas.Draw(x, y, picture.get());
    }
  }
  // 6. The text.
  textRect = {textRect.Left + marginLeftRight_, textRect.Top + marginTopBottom_, textRect.Right - marginLeftRight_,
              textRect.Bottom - marginTopBottom_};
  TKyAlignment alignment = compiled_.Alignment == '>' ? aliRight : compiled_.Alignment == '%' ? aliCenter : aliLeft;
  bool wrap = IsInnerLabel() ? text_->Width() >= 1 : text_->WordWrap();
  TRect out;
  DrawStyledText(&canvas, textRect, colours.Style, out, false, IsDesigning() ? compiled_.Size : 0, false,
                 text_->Angle(), text_->ShowAccelChar(), wrap, text_->Layout(), alignment, false, EffectiveEnabled(),
                 text_->Spacing3D(), text_->Width(), false, false, accelColour, colours.Shadow, textColour,
                 text_->SetFont(), shown_);
}

// ---- Look setters ----

void TKyBasicLabel::SetAutoSize(bool value) {
  if (value == autoSize_) return;
  autoSize_ = value;
  Changed();
}

void TKyBasicLabel::SetSelected(bool value) {
  if (value == selected_) return;
  selected_ = value;
  Invalidate();
}

void TKyBasicLabel::SetHighlighted(bool value) {
  if (value == highlighted_) return;
  highlighted_ = value;
  Invalidate();
}

void TKyBasicLabel::SetMarksFocusOf(TWinControl* owner) {
  if (owner == focusOwner_) return;
  focusOwner_ = owner;
  // The focus frame takes 2 pixels on each side: the size follows.
  Changed();
}

void TKyBasicLabel::SetShadow(bool value) {
  if (value == shadow_) return;
  shadow_ = value;
  Changed();
}

void TKyBasicLabel::SetMarginLeftRight(int32_t value) {
  if (value == marginLeftRight_ || value < 0) return;
  marginLeftRight_ = value;
  Changed();
}

void TKyBasicLabel::SetMarginTopBottom(int32_t value) {
  if (value == marginTopBottom_ || value < 0) return;
  marginTopBottom_ = value;
  Changed();
}

// ---- State ----

bool TKyBasicLabel::EffectiveEnabled() const { return privilege_->AllowsEnabled(enabledRequest_); }

bool TKyBasicLabel::EffectiveVisible() const { return IsDesigning() || privilege_->AllowsVisible(visibleRequest_); }

void TKyBasicLabel::SetVisible(bool value) {
  visibleRequest_ = value;
  TControl::SetVisible(EffectiveVisible());
}

void TKyBasicLabel::SetEnabled(bool value) {
  enabledRequest_ = value;
  TControl::SetEnabled(EffectiveEnabled());
  Invalidate();
}

void TKyBasicLabel::SetAlignHor(TKyAlignHor value) {
  if (value == alignHor_) return;
  alignHor_ = value;
  if (!link_.IsBusy()) AlignInParent(*this, placement_, alignHor_, autoSize_, autoSize_, alignVer_);
}

void TKyBasicLabel::SetAlignVer(TKyAlignVer value) {
  if (value == alignVer_) return;
  alignVer_ = value;
  if (!link_.IsBusy()) AlignInParent(*this, placement_, alignHor_, autoSize_, autoSize_, alignVer_);
}

// ---- Messages, click, streaming ----

void TKyBasicLabel::WndProc(TMessage& m) {
  if (m.Msg == KyMessageMaster() && KyMessageMaster() != 0) {
    if (static_cast<int32_t>(m.WParam) == kMmRealign)
      AlignInParent(*this, placement_, alignHor_, autoSize_, autoSize_, alignVer_);
    return;
  }
  switch (m.Msg) {
    case CM_VISIBLECHANGED:
      // The inner label shows and hides with its owner.
      if (TKyILabel* own = OwnILabel(); own && !IsDestroying()) own->Update();
      break;
    case CM_MOUSEENTER:
      if (OnMouseEnter) OnMouseEnter(this);
      break;
    case CM_MOUSELEAVE:
      if (OnMouseLeave) OnMouseLeave(this);
      break;
  }
  TGraphicControl::WndProc(m);
}

void TKyBasicLabel::DoClick() {
  if (!EffectiveEnabled()) return;
  TGraphicControl::DoClick();
  if (focusControl_ && focusControl_->CanFocus()) focusControl_->SetFocus();
}

void TKySingleLabel::DoClick() {
  if (!EffectiveEnabled()) return;
  TKyBasicLabel::DoClick();
  if (TWinControl* owner = FocusControl(); owner && KyMessageMaster() != 0)
    owner->Perform(KyMessageMaster(), kMmInnerLabelClick, 0);
}

void TKyBasicLabel::Resize() {
  TGraphicControl::Resize();
  if (TKyILabel* own = OwnILabel()) own->Place();
}

void TKyBasicLabel::SetBounds(int32_t left, int32_t top, int32_t width, int32_t height) {
  TGraphicControl::SetBounds(left, top, width, height);
  // A move without a resize moves the inner label too.
  if (TKyILabel* own = OwnILabel(); own && !IsDestroying()) own->Place();
}

void TKyBasicLabel::Loaded() {
  TGraphicControl::Loaded();
  Recompile();
}

void TKyBasicLabel::DefineProperties(TFiler& filer) {
  TGraphicControl::DefineProperties(filer);
  filer.DefineProperty(
      "xValue",
      [this](TReader& r) {
        std::string text = r.ReadString();
        if (SameText(text, kNullText)) {
          value_ = given_ = Variant();
          return;
        }
        try {
          value_ = InvariantTextToValue(text, dataType_);
        } catch (const Exception&) {
          value_ = Variant(text);
        }
        given_ = value_;
      },
      [this](TWriter& w) { w.WriteString(value_.IsNull() ? kNullText : ValueToInvariantText(value_)); },
      !value_.IsEmpty());
}

// ---- TKyCustomLabel ----

TKyCustomLabel::TKyCustomLabel(TComponent* owner) : TKyBasicLabel(owner) {
  // The inner label of a label: a plain inner label control, never one
  // with an inner label of its own.
  auto* control = new TKySingleLabel(this);
  iLabel_ = std::make_unique<TKyLabelILabel>(this, control);
  iLabel_->OnChange = [this](TKyILabel*) { iLabel_->Update(); };
}

TKyCustomLabel::~TKyCustomLabel() = default;

void TKyCustomLabel::DoClick() {
  if (!EffectiveEnabled()) return;
  TKyBasicLabel::DoClick();
  if (execute_.empty()) return;
  TCustomForm* form = ParentForm();
  ShellOpen(execute_, form && form->HandleAllocated() ? form->Handle() : nullptr);
}

void TKyCustomLabel::SetParent(TWinControl* parent) {
  TKyBasicLabel::SetParent(parent);
  if (iLabel_) iLabel_->Update();
}

void TKyCustomLabel::Resize() {
  TKyBasicLabel::Resize();
  if (iLabel_) iLabel_->Place();
}

void TKyCustomLabel::VisibleChanging() {
  TKyBasicLabel::VisibleChanging();
}

void TKyLabel::Publish(TPublisher<TKyLabel>& p) {
  using L = TKyLabel;
  PublishBounds(p);
  p.Property("AlignHor", &L::AlignHor, &L::SetAlignHor).Default(alhLeft);
  p.Property("AlignVer", &L::AlignVer, &L::SetAlignVer).Default(alvTop);
  p.Property("ValueId", &L::ValueId);
  p.Property("MessageId", &L::MessageId);
  p.Property("TextId", &L::TextId);
  p.Property("DataType", &L::DataType, &L::SetDataType).Default(dtyString);
  p.Property("Mask", &L::Mask);
  p.Property("TypeInfo", &L::TypeInfo, &L::SetTypeInfo).Default(timDefault);
  p.Property("AutoSize", &L::AutoSize, &L::SetAutoSize).Default(true);
  p.Property("Text", &L::Text);
  p.Property("Shape", &L::Shape);
  p.Property("Image", &L::Image);
  p.Property("Selected", &L::Selected, &L::SetSelected).Default(false);
  p.Property("MarginLeftRight", &L::MarginLeftRight, &L::SetMarginLeftRight).Default(0);
  p.Property("MarginTopBottom", &L::MarginTopBottom, &L::SetMarginTopBottom).Default(0);
  p.Property("ILabel", &L::ILabel);
  p.Property("Shadow", &L::Shadow, &L::SetShadow).Default(false);
  p.Property("SetBackGround", &L::SetBackGround);
  p.Property("RefValue", &L::RefValue, &L::SetRefValue);
  p.Property("CaptionId", &L::CaptionId);
  p.Property("Hint", &L::Hint, &L::SetHint);
  p.Property("Execute", &L::Execute, &L::SetExecute);
  p.Property("Privilege", &L::Privilege);
  p.Property("Enabled", &L::Enabled, &L::SetEnabled).Default(true);
  p.Property("Visible", &L::Visible, &L::SetVisible).Default(true);
  p.Property("Cursor", &L::Cursor, &L::SetCursor).Default(crDefault).Idents(CursorIdents());
  p.Property("FocusControl", &L::FocusControl, &L::SetFocusControl);
  PublishMouseEvents(p);
  p.Event("OnMouseEnter", &L::OnMouseEnter);
  p.Event("OnMouseLeave", &L::OnMouseLeave);
  PublishDragProperties(p);
  PublishPopupMenu(p);
  PublishDragEvents(p);
}

// ---- TKyILabelText ----

TKyLabelText* TKyILabelText::Block() const { return owner_->Control()->Text(); }
TPersistent* TKyILabelText::GetOwner() const { return owner_; }

void TKyILabelText::Publish(TPublisher<TKyILabelText>& p) {
  using T = TKyILabelText;
  p.Property("Width", &T::Width, &T::SetWidth).Default(0);
  p.Property("Alignment", &T::Alignment, &T::SetAlignment).Default(aliLeft);
  p.Property("FontStyle", &T::FontStyle, &T::SetFontStyle).Default(fosNormal);
  p.Property("Angle", &T::Angle, &T::SetAngle).Default(0);
  p.Property("Spacing3D", &T::Spacing3D, &T::SetSpacing3D).Default(1);
  p.Property("Layout", &T::Layout, &T::SetLayout).Default(layCenter);
  p.Property("SetFont", &T::SetFont);
  p.Property("SetColText", &T::SetColText);
  p.Property("SetColLight", &T::SetColLight);
  p.Property("SetColShadow", &T::SetColShadow);
  p.Property("SetColAccelChar", &T::SetColAccelChar);
}

int32_t TKyILabelText::Width() const { return Block()->Width(); }
void TKyILabelText::SetWidth(int32_t value) { Block()->SetWidth(value); }
TKyFontStyle TKyILabelText::FontStyle() const { return Block()->FontStyle(); }
void TKyILabelText::SetFontStyle(TKyFontStyle value) { Block()->SetFontStyle(value); }
int32_t TKyILabelText::Angle() const { return Block()->Angle(); }
void TKyILabelText::SetAngle(int32_t value) { Block()->SetAngle(value); }
int32_t TKyILabelText::Spacing3D() const { return Block()->Spacing3D(); }
void TKyILabelText::SetSpacing3D(int32_t value) { Block()->SetSpacing3D(value); }
TKyLayout TKyILabelText::Layout() const { return Block()->Layout(); }
void TKyILabelText::SetLayout(TKyLayout value) { Block()->SetLayout(value); }
TKySetFont* TKyILabelText::SetFont() const { return Block()->SetFont(); }
TKySetColor* TKyILabelText::SetColText() const { return Block()->SetColText(); }
TKySetColor* TKyILabelText::SetColLight() const { return Block()->SetColLight(); }
TKySetColor* TKyILabelText::SetColShadow() const { return Block()->SetColShadow(); }
TKySetColor* TKyILabelText::SetColAccelChar() const { return Block()->SetColAccelChar(); }

// The alignment lives in the inner control's mask text.
TKyAlignment TKyILabelText::Alignment() const {
  const std::string& text = owner_->Control()->Mask()->Text();
  if (text.empty() || text == "<") return aliLeft;
  return text == "%" ? aliCenter : aliRight;
}

void TKyILabelText::SetAlignment(TKyAlignment value) {
  owner_->Control()->Mask()->SetText(value == aliLeft ? "<" : value == aliCenter ? "%" : ">");
}

// ---- TKyILabel ----

TKyILabel::TKyILabel(TControl* owner, TKySingleLabel* control, bool visible, TKyExternalControlLayout layout)
    : owner_(owner),
      control_(control),
      extLayout_(layout),
      visible_(visible),
      defaultVisible_(visible),
      defaultLayout_(layout),
      text_(std::make_unique<TKyILabelText>(this)) {
  control_->SetVisible(false);
  if (auto* windowed = dynamic_cast<TWinControl*>(owner)) control_->SetFocusControl(windowed);
  // The control's own changes (a new text size) move it beside the owner.
  auto self = std::make_shared<TKyILabel*>(this);
  self_ = self;
  control_->OnResize = [self](TObject*) {
    if (*self) (*self)->Place();
  };
}

TKyILabel::~TKyILabel() {
  *self_ = nullptr;
  // Still the control's handler (another inner label may have taken over):
  // the control is alive, as it holds it.
  if (self_.use_count() > 1) control_->OnResize = nullptr;
}

void TKyILabel::Publish(TPublisher<TKyILabel>& p) {
  using I = TKyILabel;
  p.Property("ExtSpacing", &I::ExtSpacing, &I::SetExtSpacing).Default(2);
  p.Property("ExtLayout", &I::ExtLayout, &I::SetExtLayout).Stored(&I::ExtLayoutStored);
  p.Property("Visible", &I::Visible, &I::SetVisible).Stored(&I::VisibleStored);
  p.Property("Text", &I::Text);
  p.Property("Shape", &I::Shape);
  p.Property("Image", &I::Image);
  p.Property("MarginLeftRight", &I::MarginLeftRight, &I::SetMarginLeftRight).Default(0);
  p.Property("MarginTopBottom", &I::MarginTopBottom, &I::SetMarginTopBottom).Default(0);
  p.Property("Shadow", &I::Shadow, &I::SetShadow).Default(false);
  p.Property("SetBackGround", &I::SetBackGround);
  p.Property("Caption", &I::Caption, &I::SetCaption);
}

void TKyILabel::Changed() {
  if (OnChange) OnChange(this);
}

void TKyILabel::SetExtSpacing(int32_t value) {
  if (value == extSpacing_) return;
  extSpacing_ = value;
  Changed();
}

void TKyILabel::SetExtLayout(TKyExternalControlLayout value) {
  if (value == extLayout_) return;
  extLayout_ = value;
  Changed();
}

void TKyILabel::SetVisible(bool value) {
  if (value == visible_) return;
  visible_ = value;
  Changed();
}

TKyFullShape* TKyILabel::Shape() const { return control_->Shape(); }
TKyLabelImage* TKyILabel::Image() const { return control_->Image(); }
int32_t TKyILabel::MarginLeftRight() const { return control_->MarginLeftRight(); }
void TKyILabel::SetMarginLeftRight(int32_t value) { control_->SetMarginLeftRight(value); }
int32_t TKyILabel::MarginTopBottom() const { return control_->MarginTopBottom(); }
void TKyILabel::SetMarginTopBottom(int32_t value) { control_->SetMarginTopBottom(value); }
bool TKyILabel::Shadow() const { return control_->Shadow(); }
void TKyILabel::SetShadow(bool value) { control_->SetShadow(value); }
TKySetBackGround* TKyILabel::SetBackGround() const { return control_->SetBackGround(); }

std::string TKyILabel::Caption() const {
  Variant v = control_->Value();
  return v.IsNull() || v.IsEmpty() ? std::string() : v.AsString();
}

void TKyILabel::SetCaption(const std::string& value) {
  if (value == Caption()) return;
  control_->SetValue(Variant(value));
  Changed();
}

void TKyILabel::Update() {
  TWinControl* parent = owner_->Parent();
  bool show = visible_ && parent && owner_->Visible();
  if (!show) {
    control_->SetVisible(false);
    control_->SetParent(nullptr);
    return;
  }
  if (control_->Parent() != parent) control_->SetParent(parent);
  control_->SetVisible(true);
  Place();
}

void TKyILabel::Place() {
  if (!control_->Parent() || control_->Parent() != owner_->Parent()) return;
  TPoint p = PlaceBeside(owner_->BoundsRect(), {control_->Width(), control_->Height()}, extLayout_, extSpacing_);
  if (p.X != control_->Left() || p.Y != control_->Top())
    control_->SetBounds(p.X, p.Y, control_->Width(), control_->Height());
}

void RegisterLabelClasses() { RegisterClasses({&TKyLabel::StaticClass()}); }
