#include "skin/Panel.h"

#include <algorithm>

#include "platform/graphics/Canvas.h"
#include "skin/Fills.h"
#include "skin/Shapes.h"
#include "packages/CForm.h"
#include "packages/MessageService.h"
#include "platform/classes/FormStream.h"
#include "platform/graphics/Region.h"
#include "platform/windows/Publish.h"
#include "platform/base/SysUtils.h"
#include "skin/Label.h"
#include "skin/TextDraw.h"

namespace {

// The colours of one bevel: light (top, left) and shadow (bottom, right).
void DrawBevel(TCanvas& canvas, const TRect& rect, TKyBevelStyle style, const char* light) {
  switch (style) {
    case besNone:
      return;
    case besSingle:
      Frame3DRect(canvas, rect, LibraryDefaultColor("Dft_ColBox"), false, LibraryDefaultColor("Dft_ColBox"));
      return;
    case bes3DTop:
      Frame3DRect(canvas, rect, LibraryDefaultColor(light), false, LibraryDefaultColor("Dft_3DShadow"));
      return;
    case bes3DBottom:
      Frame3DRect(canvas, rect, LibraryDefaultColor(light), true, LibraryDefaultColor("Dft_3DShadow"));
      return;
  }
}

}  // namespace

TKyBackgroundQuery QueryBackground(TWinControl* control) {
  TKyBackgroundQuery query;
  uint32_t msg = KyMessageMaster();
  for (TWinControl* c = control; c && !query.Set; c = c->Parent())
    c->Perform(msg, kMmBackgroundQuery, reinterpret_cast<LPARAM>(&query));
  return query;
}

// ---- TKySinglePanel ----

TKySinglePanel::TKySinglePanel(TComponent* owner) : TCustomControl(owner), link_(this, kLinkControl) {
  controlStyle_.Include(csAcceptsControls);
  SetBounds(0, 0, 185, 41);
  background_ = std::make_unique<TKySetBackGround>(
      this, "", dynamic_cast<TKySetBackGround*>(LibraryDefaultSet("Dft_BackGround")));
  background_->OnChange = [this](TKySetObject*) { DisplayChanged(); };
  privilege_ = std::make_unique<TKyPrivilege>(this);
  privilege_->OnChange = [this](TKyPrivilege*) { DisplayChanged(); };
  captionId_ = std::make_unique<TKyMemoryLabel>(this);
  captionId_->OnChange = [this](TKyMemoryReference*) { DisplayChanged(); };
  link_.OnLoaded = [this] {
    UpdateDisplay();
    RefreshBounds();
  };
}

TKySinglePanel::~TKySinglePanel() {
  Destroying();
  // Items outlive their panel only as strays.
  for (TKyPaintControl* item : paintItems_) item->panel_ = nullptr;
}

// ---- Frame ----

int32_t TKySinglePanel::FrameHorizontal() const {
  return (bevelOuter_ != besNone ? 1 : 0) + (bevelInner_ != besNone ? borderWidth_ + 1 : 0) + marginLeftRight_;
}

int32_t TKySinglePanel::FrameVertical() const {
  return (bevelOuter_ != besNone ? 1 : 0) + (bevelInner_ != besNone ? borderWidth_ + 1 : 0) + marginTopBottom_;
}

TRect TKySinglePanel::ClientRect() const {
  TRect r = TCustomControl::ClientRect();
  if (nonClientFrame_)
    return {r.Left + marginLeftRight_, r.Top + marginTopBottom_, std::max(r.Left, r.Right - marginLeftRight_),
            std::max(r.Top, r.Bottom - marginTopBottom_)};
  int32_t h = FrameHorizontal(), v = FrameVertical();
  return {r.Left + h, r.Top + v, std::max(r.Left + h, r.Right - h), std::max(r.Top + v, r.Bottom - v)};
}

void TKySinglePanel::FrameThicknessChanged(int32_t oldHorizontal) {
  if (keepClientSize_ && !IsLoading()) SetWidth(Width() + 2 * (FrameHorizontal() - oldHorizontal));
  if (nonClientFrame_) FrameChanged();
  if (link_.IsBusy()) return;
  RequestAlign();
  Invalidate();
}

void TKySinglePanel::SetBevelInner(TKyBevelStyle value) {
  if (value == bevelInner_) return;
  int32_t old = FrameHorizontal();
  bevelInner_ = value;
  FrameThicknessChanged(old);
}

void TKySinglePanel::SetBevelOuter(TKyBevelStyle value) {
  if (value == bevelOuter_) return;
  int32_t old = FrameHorizontal();
  bevelOuter_ = value;
  FrameThicknessChanged(old);
}

void TKySinglePanel::SetBorderWidth(int32_t value) {
  if (value == borderWidth_ || value < 0) return;
  int32_t old = FrameHorizontal();
  borderWidth_ = value;
  FrameThicknessChanged(old);
}

void TKySinglePanel::SetMarginLeftRight(int32_t value) {
  if (value == marginLeftRight_ || value < 0) return;
  int32_t old = FrameHorizontal();
  marginLeftRight_ = value;
  FrameThicknessChanged(old);
}

void TKySinglePanel::SetMarginTopBottom(int32_t value) {
  if (value == marginTopBottom_ || value < 0) return;
  int32_t old = FrameHorizontal();
  marginTopBottom_ = value;
  FrameThicknessChanged(old);
}

// ---- State ----

bool TKySinglePanel::EffectiveEnabled() const { return privilege_->AllowsEnabled(enabledRequest_); }

bool TKySinglePanel::EffectiveVisible() const { return IsDesigning() || privilege_->AllowsVisible(visibleRequest_); }

bool TKySinglePanel::EffectiveReadOnly() const {
  return readOnly_ || !EffectiveEnabled() || privilege_->Level() < kPrivilegeFull;
}

void TKySinglePanel::DisplayChanged() {
  if (link_.IsBusy()) return;
  if (HandleAllocated()) {
    UpdateDisplay();
    return;
  }
  // No window yet (a page not shown so far, a hidden button): the caption
  // and the states follow now, so that a language switch is not lost; the
  // rest of the update once the window exists.
  displayPending_ = true;
  ApplyCaption();
  PlaceInnerLabel();
  TControl::SetEnabled(EffectiveEnabled());
  TControl::SetVisible(EffectiveVisible());
}

void TKySinglePanel::CreateHandleDone() {
  TCustomControl::CreateHandleDone();
  if (!displayPending_) return;
  displayPending_ = false;
  if (!link_.IsBusy()) UpdateDisplay();
}

void TKySinglePanel::SetVisible(bool value) {
  visibleRequest_ = value;
  TControl::SetVisible(EffectiveVisible());
  DisplayChanged();
}

void TKySinglePanel::SetEnabled(bool value) {
  if (value == enabledRequest_) return;
  enabledRequest_ = value;
  DisplayChanged();
  if (!HandleAllocated()) TControl::SetEnabled(EffectiveEnabled());
}

void TKySinglePanel::SetReadOnly(bool value) {
  if (value == readOnly_) return;
  readOnly_ = value;
  DisplayChanged();
}

void TKySinglePanel::SetTransparent(bool value) {
  if (value == transparent_) return;
  transparent_ = value;
  DisplayChanged();
}

void TKySinglePanel::SetShadow(bool value) {
  if (value == shadow_) return;
  shadow_ = value;
  DisplayChanged();
}

void TKySinglePanel::SetAlignHor(TKyAlignHor value) {
  if (value == alignHor_) return;
  alignHor_ = value;
  if (!link_.IsBusy()) AlignInParent(*this, placement_, alignHor_, HasImageSize(), HasImageSize(), alignVer_);
}

void TKySinglePanel::SetAlignVer(TKyAlignVer value) {
  if (value == alignVer_) return;
  alignVer_ = value;
  if (!link_.IsBusy()) AlignInParent(*this, placement_, alignHor_, HasImageSize(), HasImageSize(), alignVer_);
}

// ---- Display update ----

void TKySinglePanel::UpdateDisplay() {
  ApplyCaption();
  TControl::SetEnabled(EffectiveEnabled());
  TControl::SetVisible(EffectiveVisible());
  // After the effective states: the inner label shows the owner's new
  // visibility, not the old one.
  PlaceInnerLabel();
  if (nonClientFrame_) FrameChanged();
  ApplyRegion();
  Invalidate();
  AdjustSize();
}

void TKySinglePanel::RefreshBounds() {
  if (!placement_.Valid) placement_.Record(*this);
}

void TKySinglePanel::Loaded() {
  TCustomControl::Loaded();
  // The platform's states follow the requested ones until the deferred
  // step applies the privilege.
  TControl::SetVisible(EffectiveVisible());
}

// ---- Painting ----

void TKySinglePanel::PaintBackground(TCanvas& canvas, const TRect& rect) {
  TKyBackgroundQuery query;
  if (!transparent_) {
    query.Set = background_.get();
    query.Owner = this;
  } else if (Parent()) {
    query = QueryBackground(Parent());
  }
  if (!query.Set || !query.Owner) {
    canvas.Brush()->SetColor(background_->Value());
    canvas.FillRect(rect);
    return;
  }
  // The owner's area in our coordinates: a picture continues without a
  // seam. The whole of its window, which its background fills, margins
  // and frame included.
  TPoint offset = query.Owner->ClientOrigin() - ClientOrigin();
  // The owner's whole client area, frame band and margins included (its
  // ClientRect may be the area inside its frame).
  TRect ownerArea = query.Owner->TWinControl::ClientRect();
  TRect backgroundRect{offset.X, offset.Y, offset.X + ownerArea.Width(), offset.Y + ownerArea.Height()};
  PaintBackGround(canvas, rect, TRect{}, *query.Set, backgroundRect);
}

void TKySinglePanel::PaintFrame(TCanvas& canvas) {
  if (nonClientFrame_) return;
  DrawFrame(canvas, TRect{0, 0, Width(), Height()});
}

void TKySinglePanel::SetKeepsFrameInNonClient(bool value) {
  if (value == nonClientFrame_) return;
  nonClientFrame_ = value;
  FrameChanged();
  Invalidate();
}

TRect TKySinglePanel::NonClientInsets() const {
  if (!nonClientFrame_) return {};
  int32_t h = FrameHorizontal() - marginLeftRight_, v = FrameVertical() - marginTopBottom_;
  return {h, v, h, v};
}

void TKySinglePanel::PaintNonClient(TCanvas& canvas, const TRect& window) {
  // The band between the bevels shows the panel's own colour.
  canvas.Brush()->SetColor(background_->Value());
  canvas.FillRect(window);
  DrawFrame(canvas, window);
}

void TKySinglePanel::DrawFrame(TCanvas& canvas, TRect r) {
  DrawBevel(canvas, r, bevelOuter_, "Dft_3DMLight");
  if (bevelOuter_ != besNone) r = {r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1};
  if (bevelInner_ != besNone) {
    r = {r.Left + borderWidth_, r.Top + borderWidth_, r.Right - borderWidth_, r.Bottom - borderWidth_};
    DrawBevel(canvas, r, bevelInner_, "Dft_3DLight");
  }
}

void TKySinglePanel::PaintDesignCaption(TCanvas& canvas) {
  if (!IsDesigning() || !designCaption_) return;
  TRect out;
  DrawStyledText(&canvas, TRect{0, 0, Width(), Height()}, fosNormal, out, false, 0, false, 0, false, false,
                 layCenter, aliCenter, false, true, 1, 0, false, false, nullptr, nullptr,
                 dynamic_cast<TKySetColor*>(LibraryDefaultSet("Dft_3DMLight")), nullptr, Name());
}

void TKySinglePanel::Paint() {
  TCanvas& canvas = *Canvas();
  PaintBackground(canvas, TRect{0, 0, Width(), Height()});
  PaintFrame(canvas);
  PaintDesignCaption(canvas);
}

// ---- Messages ----

void TKySinglePanel::LibraryMessage(int32_t code, int32_t value, TMessage& m) {
  switch (code) {
    case kMmBackgroundQuery: {
      auto* query = reinterpret_cast<TKyBackgroundQuery*>(static_cast<LPARAM>(m.LParam));
      if (!query || transparent_) return;  // the parent answers for a transparent panel
      query->Set = background_.get();
      query->Owner = this;
      query->NonClient = nonClientFrame_;
      m.Result = 1;
      return;
    }
    case kMmBackgroundChanged:
      // What shows through a transparent panel changed; so did its children's.
      if (transparent_) Invalidate();
      for (int i = 0; i < ControlCount(); ++i)
        if (auto* w = dynamic_cast<TWinControl*>(Controls(i))) w->Perform(m.Msg, kMmBackgroundChanged, 0);
      if (!transparent_) UpdateDisplay();
      return;
    case kMmRealign:
      AlignInParent(*this, placement_, alignHor_, HasImageSize(), HasImageSize(), alignVer_);
      return;
  }
  (void)value;
}

void TKySinglePanel::WndProc(TMessage& m) {
  if (m.Msg == KyMessageMaster() && KyMessageMaster() != 0) {
    LibraryMessage(static_cast<int32_t>(m.WParam), static_cast<int32_t>(m.LParam), m);
    return;
  }
  TCustomControl::WndProc(m);
}

void TKySinglePanel::Resize() {
  if (resizing_) return;
  resizing_ = true;
  struct TGuard {
    bool& flag;
    ~TGuard() { flag = false; }
  } guard{resizing_};
  TSize size{Width(), Height()};
  bool grown = lastSize_.cx >= 0;
  if (HandleAllocated() && grown) {
    // A picture or a gradient spans the whole panel: only a plain one may
    // keep what was painted.
    bool stripsOnly = !transparent_ && !IsFullRepaint() && background_->IsPlain();
    if (stripsOnly) {
      // Only what came into view, with the frame that moved with it.
      int32_t fh = FrameHorizontal() + 1, fv = FrameVertical() + 1;
      InvalidateRect({std::min(lastSize_.cx, size.cx) - fh, 0, size.cx, size.cy}, false);
      InvalidateRect({0, std::min(lastSize_.cy, size.cy) - fv, size.cx, size.cy}, false);
    } else {
      Invalidate();
    }
  }
  if (size.cx != lastSize_.cx || size.cy != lastSize_.cy) AdjustSize();
  ApplyRegion();
  if (!link_.IsBusy()) AlignInParent(*this, placement_, alignHor_, HasImageSize(), HasImageSize(), alignVer_);
  PlaceInnerLabel();
  lastSize_ = size;
  TCustomControl::Resize();
}

// ---- Value ----

bool TKySinglePanel::EventsSuppressed() const {
  TKyCForm* config = nullptr;
  for (TComponent* c = Owner(); c && !config; c = c->Owner()) config = TKyCForm::FindOn(c);
  return config && config->ValidationSuppressed();
}

bool TKySinglePanel::CanModify() {
  if (EffectiveReadOnly()) return false;
  bool allow = true;
  if (OnCanModify) OnCanModify(this, allow);
  return allow;
}

void TKySinglePanel::StartEdit() {
  if (editing_ || IsLoading()) return;
  editing_ = true;
  if (OnStartEdit && !EventsSuppressed()) OnStartEdit(this);
}

void TKySinglePanel::DoExit() {
  editing_ = false;
  TCustomControl::DoExit();
}

void TKySinglePanel::SetValue(const Variant& value) {
  // A handler that sets the value again must not start a second round.
  if (settingValue_) return;
  Variant converted = ConvertValue(value, dataType_);
  if (converted == value_) return;
  settingValue_ = true;
  struct TGuard {
    bool& flag;
    ~TGuard() { flag = false; }
  } guard{settingValue_};
  StartEdit();
  Variant previous = value_;
  value_ = converted;
  if (OnValidate && !IsLoading() && !EventsSuppressed()) {
    try {
      OnValidate(this);
    } catch (...) {
      value_ = previous;
      throw;
    }
  }
  if (!link_.IsBusy()) ValueChanged();
}

void TKySinglePanel::SetDataType(TKyDataType value) {
  if (value == dataType_) return;
  if (ScalarValueOnly() && !IsScalarDataType(value)) RaiseMessage(Name(), "System", 1);
  dataType_ = value;
  if (!value_.IsClear()) value_ = ConvertValue(value_, dataType_);
  if (!link_.IsBusy()) ValueChanged();
}

void TKySinglePanel::DefineProperties(TFiler& filer) {
  TCustomControl::DefineProperties(filer);
  if (!HasValue()) return;
  filer.DefineProperty(
      "xValue",
      [this](TReader& r) {
        std::string text = r.ReadString();
        value_ = SameText(text, "{NULL}") ? Variant::Null() : InvariantTextToValue(text, dataType_);
      },
      [this](TWriter& w) { w.WriteString(value_.IsClear() ? "{NULL}" : ValueToInvariantText(value_)); },
      !value_.IsEmpty());
}

// ---- TKyPanelSkin ----

TKyPanelSkin::TKyPanelSkin(TPersistent* owner) : owner_(owner), image_(std::make_unique<TKyMemoryImage>(this)) {
  image_->OnChange = [this](TKyMemoryImage*) { Changed(); };
}

void TKyPanelSkin::Publish(TPublisher<TKyPanelSkin>& p) {
  using S = TKyPanelSkin;
  p.Property("Image", &S::Image);
  p.Property("WinRgn", &S::WinRgn, &S::SetWinRgn).Default(true);
  p.Property("Shadow", &S::Shadow, &S::SetShadow).Default(false);
  p.Property("SmoothSh", &S::SmoothSh, &S::SetSmoothSh).Default(70);
  p.Property("MarginSh", &S::MarginSh, &S::SetMarginSh).Default(5);
}

void TKyPanelSkin::SetWinRgn(bool value) {
  if (value == winRgn_) return;
  winRgn_ = value;
  Changed();
}
void TKyPanelSkin::SetShadow(bool value) {
  if (value == shadow_) return;
  shadow_ = value;
  Changed();
}
void TKyPanelSkin::SetSmoothSh(int32_t value) {
  if (value == smoothSh_) return;
  smoothSh_ = value;
  Changed();
}
void TKyPanelSkin::SetMarginSh(int32_t value) {
  if (value == marginSh_ || value < 0) return;
  marginSh_ = value;
  Changed();
}

void TKyPanelSkin::Assign(const TPersistent* source) {
  auto* src = dynamic_cast<const TKyPanelSkin*>(source);
  if (!src) {
    TPersistent::Assign(source);
    return;
  }
  auto notify = std::exchange(OnChange, nullptr);
  image_->Assign(src->image_.get());
  winRgn_ = src->winRgn_;
  shadow_ = src->shadow_;
  smoothSh_ = src->smoothSh_;
  marginSh_ = src->marginSh_;
  OnChange = std::move(notify);
  Changed();
}

// ---- TKyCustomPanel ----

TKyCustomPanel::TKyCustomPanel(TComponent* owner)
    : TKySinglePanel(owner), skin_(std::make_unique<TKyPanelSkin>(this)), innerLabel_(new TKySingleLabel(this)) {
  skin_->OnChange = [this] {
    if (!Link().IsBusy() && HandleAllocated()) UpdateDisplay();
  };
  UseILabel(std::make_unique<TKyPanelILabel>(this, innerLabel_));
}

void TKyCustomPanel::UseILabel(std::unique_ptr<TKyILabel> label) {
  iLabel_ = std::move(label);
  iLabel_->OnChange = [this](TKyILabel*) {
    if (!Link().IsBusy()) PlaceInnerLabel();
  };
}

TKyCustomPanel::~TKyCustomPanel() = default;

bool TKyCustomPanel::HasImageSize() const { return skin_->Image()->Resolve() != nullptr; }

bool TKyCustomPanel::HasImageRegion() const {
  return skin_->WinRgn() && !skin_->Image()->WindowRegionData().empty();
}

bool TKyCustomPanel::IsFullRepaint() const { return TKySinglePanel::IsFullRepaint() || HasImageSize(); }

void TKyCustomPanel::AdjustSize() {
  if (TKyPkgImagesImage* pic = skin_->Image()->Resolve())
    if (pic->Width() > 0 && pic->Height() > 0 && (Width() != pic->Width() || Height() != pic->Height()))
      SetBounds(Left(), Top(), pic->Width(), pic->Height());
}

void TKyCustomPanel::ApplyRegion() {
  if (!HandleAllocated()) return;
  if (HasImageRegion())
    skin_->Image()->ApplyRegion(this);
  else
    ClearWindowRegion(Handle(), true);
}

void TKyCustomPanel::ApplyCaption() {
  if (!CaptionId()->Resolve()) return;
  innerLabel_->SetValue(Variant(CaptionId()->Caption()));
  SetHint(CaptionId()->Hint());
}

void TKyCustomPanel::PlaceInnerLabel() {
  iLabel_->Update();
  innerLabel_->SetEnabled(!EffectiveReadOnly());
}

void TKyCustomPanel::WndProc(TMessage& m) {
  TKySinglePanel::WndProc(m);
  // The inner label shows and hides with its owner.
  if (m.Msg == CM_VISIBLECHANGED && iLabel_ && !IsDestroying()) iLabel_->Update();
}

void TKyCustomPanel::SetBounds(int32_t left, int32_t top, int32_t width, int32_t height) {
  TKySinglePanel::SetBounds(left, top, width, height);
  // A move without a resize moves the inner label too.
  if (iLabel_ && !IsDestroying()) iLabel_->Place();
}

void TKyCustomPanel::SetParent(TWinControl* parent) {
  TKySinglePanel::SetParent(parent);
  if (!IsDestroying()) iLabel_->Update();
}

void TKyCustomPanel::Paint() {
  TKyMemoryImage* image = skin_->Image();
  std::unique_ptr<TGraphic> picture;
  try {
    picture = image->Graphic();
  } catch (const Exception&) {
    // A picture that does not decode: the plain panel.
  }
  if (!picture) {
    TKySinglePanel::Paint();
    return;
  }
  TCanvas& canvas = *Canvas();
  TRect all{0, 0, Width(), Height()};
  PaintBackground(canvas, all);
  if (skin_->Shadow()) {
    // The outline moved down and right, stepped back towards the image,
    // each step lighter: darkest nearest the image.
    std::unique_ptr<TRegion> outline = image->WindowRegion();
    TRegion shape = outline ? std::move(*outline) : TRegion::Rect({0, 0, picture->Width(), picture->Height()});
    int32_t depth = skin_->MarginSh();
    TKyColor back = SetBackGround()->Value();
    int32_t strength = std::clamp(skin_->SmoothSh(), 0, 255);
    shape.Offset(2 * depth, 2 * depth);
    for (int32_t step = 0; step < depth; ++step) {
      // From the background towards a shade of strength.
      int32_t t = depth > 1 ? (step + 1) * 255 / depth : 255;
      auto mix = [&](int shift) {
        int32_t b = (back >> shift) & 0xFF;
        int32_t dark = b * (255 - strength) / 255;
        return static_cast<uint8_t>(b + (dark - b) * t / 255);
      };
      canvas.Brush()->SetColor(KyRGB(mix(0), mix(8), mix(16)));
      canvas.FillRegion(shape.Handle());
      shape.Offset(-1, -1);
    }
  }
  canvas.Draw(0, 0, picture.get());
  PaintDesignCaption(canvas);
}

void TKyPanel::Publish(TPublisher<TKyPanel>& p) {
  using P = TKyPanel;
  PublishBounds(p);
  p.Property("Align", &P::Align, &P::SetAlign).Default(alNone);
  p.Property("AlignHor", &P::AlignHor, &P::SetAlignHor).Default(alhLeft);
  p.Property("AlignVer", &P::AlignVer, &P::SetAlignVer).Default(alvTop);
  p.Property("BevelInner", &P::BevelInner, &P::SetBevelInner).Default(besNone);
  p.Property("BevelOuter", &P::BevelOuter, &P::SetBevelOuter).Default(bes3DTop);
  p.Property("BorderWidth", &P::BorderWidth, &P::SetBorderWidth).Default(0);
  p.Property("MarginLeftRight", &P::MarginLeftRight, &P::SetMarginLeftRight).Default(0);
  p.Property("MarginTopBottom", &P::MarginTopBottom, &P::SetMarginTopBottom).Default(0);
  p.Property("FullRepaint", &P::FullRepaint, &P::SetFullRepaint).Default(false);
  p.Property("Locked", &P::Locked, &P::SetLocked).Default(false);
  p.Property("Shadow", &P::Shadow, &P::SetShadow).Default(false);
  p.Property("Transparent", &P::Transparent, &P::SetTransparent).Default(false);
  p.Property("SetBackGround", &P::SetBackGround);
  p.Property("Privilege", &P::Privilege);
  p.Property("CaptionId", &P::CaptionId);
  p.Property("Skin", &P::Skin);
  p.Property("ILabel", &P::ILabel);
  p.Property("Visible", &P::Visible, &P::SetVisible).Default(true);
  p.Property("Enabled", &P::Enabled, &P::SetEnabled).Default(true);
  p.Property("Hint", &P::Hint, &P::SetHint);
  p.Property("TabOrder", &P::TabOrder, &P::SetTabOrder).Default(-1);
  p.Event("OnClick", &P::OnClick);
  p.Event("OnResize", &P::OnResize);
  PublishDragProperties(p);
  PublishPopupMenu(p);
  PublishDragEvents(p);
}

// ---- TKyCustomGroupBox ----

TKyCustomGroupBox::TKyCustomGroupBox(TComponent* owner)
    : TKySinglePanel(owner), title_(std::make_unique<TKyBoxText>(this)), pen_(std::make_unique<TKyPen>(this)) {
  SetBevelOuter(besNone);
  title_->OnChange = [this](TObject*) {
    if (!Link().IsBusy()) Invalidate();
  };
  pen_->OnChange = [this] {
    if (!Link().IsBusy()) Invalidate();
  };
}

TKyCustomGroupBox::~TKyCustomGroupBox() = default;

void TKyCustomGroupBox::SetBorderStyle(TKyTextBoxBorderStyle value) {
  if (value == borderStyle_) return;
  borderStyle_ = value;
  if (!Link().IsBusy()) Invalidate();
}

namespace {

bool TitleOnTop(TKyTextBoxLayout l) { return l <= tblTopRight; }
bool TitleOnBottom(TKyTextBoxLayout l) { return l >= tblBottomLeft && l <= tblBottomRight; }
bool TitleOnLeft(TKyTextBoxLayout l) { return l >= tblLeftTop && l <= tblLeftBottom; }

}  // namespace

TRect TKyCustomGroupBox::TitleRect() {
  TRect client = ClientRect();
  TRect measured;
  if (!title_->Caption().empty()) {
    DrawStyledText(nullptr, TRect{0, 0, 10000, 10000}, title_->FontStyle(), measured, false, 0, false, 0, true,
                   false, layTop, aliLeft, false, true, title_->Spacing3D(), title_->Width(), false, true,
                   title_->SetColAccelChar(), title_->SetColShadow(), title_->SetColText(), title_->SetFont(),
                   title_->Caption());
  }
  int32_t w = measured.Width(), h = measured.Height();
  TKyTextBoxLayout l = title_->Layout();
  // Along the line: start, centre or end, 8 pixels in from the corners.
  auto along = [&](int32_t from, int32_t to, int32_t size, int which) {
    if (which == 0) return from + 8;
    if (which == 1) return from + (to - from - size) / 2;
    return to - 8 - size;
  };
  int which = static_cast<int>(l) % 3;
  if (TitleOnTop(l)) {
    int32_t x = along(client.Left, client.Right, w, which);
    return {x, client.Top, x + w, client.Top + h};
  }
  if (TitleOnBottom(l)) {
    int32_t x = along(client.Left, client.Right, w, which);
    return {x, client.Bottom - h, x + w, client.Bottom};
  }
  int32_t y = along(client.Top, client.Bottom, h, which);
  if (TitleOnLeft(l)) return {client.Left, y, client.Left + w, y + h};
  return {client.Right - w, y, client.Right, y + h};
}

TRect TKyCustomGroupBox::FrameRect() {
  TRect r = ClientRect();
  TRect t = TitleRect();
  TKyTextBoxLayout l = title_->Layout();
  // The frame line runs through the middle of the title.
  if (TitleOnTop(l)) r.Top += t.Height() / 2;
  else if (TitleOnBottom(l)) r.Bottom -= t.Height() / 2;
  else if (TitleOnLeft(l)) r.Left += t.Width() / 2;
  else r.Right -= t.Width() / 2;
  return r;
}

void TKyCustomGroupBox::Paint() {
  TCanvas& canvas = *Canvas();
  TRect all{0, 0, Width(), Height()};
  TRect title = TitleRect();
  TRect frame = FrameRect();
  {
    TClipRecall clip(canvas);
    if (Transparent() && !SetBackGround()->Name().empty()) canvas.ExcludeClipRect(title);
    PaintBackground(canvas, all);
  }
  {
    TClipRecall clip(canvas);
    // The frame line stops 3 pixels before and after the title.
    TKyTextBoxLayout l = title_->Layout();
    TRect gap = title;
    if (TitleOnTop(l) || TitleOnBottom(l)) {
      gap.Left -= 3;
      gap.Right += 3;
    } else {
      gap.Top -= 3;
      gap.Bottom += 3;
    }
    if (!title_->Caption().empty()) canvas.ExcludeClipRect(gap);
    auto etched = [&](const TRect& r, bool downFirst) {
      TKyColor light = dynamic_cast<TKySetColor*>(LibraryDefaultSet("Dft_3DLight"))->Value();
      TKyColor shadow = dynamic_cast<TKySetColor*>(LibraryDefaultSet("Dft_3DShadow"))->Value();
      if (r.Width() < 3 || r.Height() < 3) return;
      Frame3DRect(canvas, {r.Left, r.Top, r.Right - 1, r.Bottom - 1}, light, downFirst, shadow);
      Frame3DRect(canvas, {r.Left + 1, r.Top + 1, r.Right, r.Bottom}, light, !downFirst, shadow);
    };
    switch (borderStyle_) {
      case bbsNone:
        break;
      case bbsSingle:
        if (frame.Width() >= 1 && frame.Height() >= 1)
          PaintShape(canvas, frame, spmOutline, pen_->Width(), pen_->SetColor()->Value(),
                     pen_->Style() == pesClear ? pesSolid : pen_->Style(), kClBlack, brsClear, false, shaRectangle,
                     sorDefault);
        break;
      case bbs3DTop:
      case bbs3DBottom:
        etched(frame, borderStyle_ == bbs3DBottom);
        break;
      case bbs3DDoubleTop:
      case bbs3DDoubleBottom:
        etched(frame, borderStyle_ == bbs3DDoubleBottom);
        etched({frame.Left + 3, frame.Top + 3, frame.Right - 3, frame.Bottom - 3}, borderStyle_ == bbs3DDoubleBottom);
        break;
    }
  }
  if (!title_->Caption().empty()) {
    TRect out;
    DrawStyledText(&canvas, title, title_->FontStyle(), out, false, 0, false, 0, true, false, layTop,
                   title_->Alignment(), false, !EffectiveReadOnly(), title_->Spacing3D(), title_->Width(), false,
                   false, title_->SetColAccelChar(), title_->SetColShadow(), title_->SetColText(), title_->SetFont(),
                   title_->Caption());
  }
  PaintDesignCaption(canvas);
}

// ---- TKyPaintControl ----

TKyPaintControl::~TKyPaintControl() { SetPanel(nullptr); }

void TKyPaintControl::SetPanel(TKySinglePanel* value) {
  if (value == panel_) return;
  if (panel_) {
    std::erase(panel_->paintItems_, this);
    if (panel_->paintItems_.empty()) panel_->paintItems_.shrink_to_fit();
  }
  panel_ = value;
  if (panel_) panel_->paintItems_.push_back(this);
}

void TKyPaintControl::SetSelected(bool value) {
  if (value == selected_) return;
  selected_ = value;
  if (value && panel_)
    for (TKyPaintControl* other : panel_->paintItems_)
      if (other != this) other->selected_ = false;
}

void RegisterPanelClasses() { RegisterClasses({&TKyPanel::StaticClass()}); }
