#include "skin/Panel.h"

#include <algorithm>

#include "platform/graphics/Canvas.h"
#include "skin/Fills.h"
#include "skin/Shapes.h"
#include "skin/TextDraw.h"

namespace {

TKyColor DefaultColor(const char* name) {
  auto* set = dynamic_cast<TKySetColor*>(LibraryDefaultSet(name));
  return set ? set->Value() : kClBlack;
}

// The colours of one bevel: light (top, left) and shadow (bottom, right).
void DrawBevel(TCanvas& canvas, const TRect& rect, TKyBevelStyle style, const char* light) {
  switch (style) {
    case besNone:
      return;
    case besSingle:
      Frame3DRect(canvas, rect, DefaultColor("Dft_ColBox"), false, DefaultColor("Dft_ColBox"));
      return;
    case bes3DTop:
      Frame3DRect(canvas, rect, DefaultColor(light), false, DefaultColor("Dft_3DShadow"));
      return;
    case bes3DBottom:
      Frame3DRect(canvas, rect, DefaultColor(light), true, DefaultColor("Dft_3DShadow"));
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
  if (nonClientFrame_) return r;
  int32_t h = FrameHorizontal(), v = FrameVertical();
  return {r.Left + h, r.Top + v, std::max(r.Left + h, r.Right - h), std::max(r.Top + v, r.Bottom - v)};
}

void TKySinglePanel::FrameChanged(int32_t oldHorizontal) {
  if (keepClientSize_ && !IsLoading()) SetWidth(Width() + 2 * (FrameHorizontal() - oldHorizontal));
  if (link_.IsBusy()) return;
  RequestAlign();
  Invalidate();
}

void TKySinglePanel::SetBevelInner(TKyBevelStyle value) {
  if (value == bevelInner_) return;
  int32_t old = FrameHorizontal();
  bevelInner_ = value;
  FrameChanged(old);
}

void TKySinglePanel::SetBevelOuter(TKyBevelStyle value) {
  if (value == bevelOuter_) return;
  int32_t old = FrameHorizontal();
  bevelOuter_ = value;
  FrameChanged(old);
}

void TKySinglePanel::SetBorderWidth(int32_t value) {
  if (value == borderWidth_ || value < 0) return;
  int32_t old = FrameHorizontal();
  borderWidth_ = value;
  FrameChanged(old);
}

void TKySinglePanel::SetMarginLeftRight(int32_t value) {
  if (value == marginLeftRight_ || value < 0) return;
  int32_t old = FrameHorizontal();
  marginLeftRight_ = value;
  FrameChanged(old);
}

void TKySinglePanel::SetMarginTopBottom(int32_t value) {
  if (value == marginTopBottom_ || value < 0) return;
  int32_t old = FrameHorizontal();
  marginTopBottom_ = value;
  FrameChanged(old);
}

// ---- State ----

bool TKySinglePanel::EffectiveEnabled() const { return enabledRequest_ && privilege_->Level() == kPrivilegeFull; }

bool TKySinglePanel::EffectiveVisible() const {
  uint8_t level = privilege_->Level();
  return IsDesigning() || (visibleRequest_ && level >= 1);
}

bool TKySinglePanel::EffectiveReadOnly() const {
  return readOnly_ || !EffectiveEnabled() || privilege_->Level() < kPrivilegeFull;
}

void TKySinglePanel::DisplayChanged() {
  if (!link_.IsBusy() && HandleAllocated()) UpdateDisplay();
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
  PlaceInnerLabel();
  TControl::SetEnabled(EffectiveEnabled());
  TControl::SetVisible(EffectiveVisible());
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
  // The owner's area in our coordinates: a picture continues without a seam.
  TPoint offset = query.Owner->ClientOrigin() - ClientOrigin();
  TRect ownerArea = query.Owner->ClientRect();
  TRect backgroundRect{offset.X, offset.Y, offset.X + ownerArea.Right, offset.Y + ownerArea.Bottom};
  PaintBackGround(canvas, rect, TRect{}, *query.Set, backgroundRect);
}

void TKySinglePanel::PaintFrame(TCanvas& canvas) {
  if (nonClientFrame_) return;
  TRect r{0, 0, Width(), Height()};
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
