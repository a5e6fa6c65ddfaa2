#include "controls/KyProgressBar.h"

#include <algorithm>
#include <utility>

#include "platform/os/Handles.h"
#include "platform/windows/Publish.h"
#include "skin/Label.h"

namespace {

constexpr uint32_t kAnimationInterval = 10;

TKyProgressGrowth GrowthOf(TKyProgressBarOrientation o) {
  switch (o) {
    case pboLeft: return TKyProgressGrowth::Left;
    case pboRight: return TKyProgressGrowth::Right;
    case pboUp: return TKyProgressGrowth::Up;
    case pboDown: return TKyProgressGrowth::Down;
  }
  return TKyProgressGrowth::Right;
}

bool IsVertical(TKyProgressBarOrientation o) { return o == pboUp || o == pboDown; }

}  // namespace

TKyCustomProgressBar::TKyCustomProgressBar(TComponent* owner) : TKyCustomPanel(owner) {
  // The caption sits outside the bar, above it.
  UseILabel(std::make_unique<TKyTopILabel>(this, InnerLabel()));
  SetBevelInner(bes3DBottom);
  SetBevelOuter(bes3DTop);
  SetTabStop(false);
  SetBounds(Left(), Top(), 150, 16);
  bgProgress_ = std::make_unique<TKySetBackGround>(
      this, "", dynamic_cast<TKySetBackGround*>(LibraryDefaultSet("Dft_EdSelectedBG")));
  bgProgress_->OnChange = [this](TKySetObject*) { Refresh(); };
}

TKyCustomProgressBar::~TKyCustomProgressBar() {
  // No tick may reach a half-destroyed control: the timer goes first and
  // waits for a frame being drawn.
  animWindow_ = nullptr;
  StopAnimation();
}

// ---- Properties ----

void TKyCustomProgressBar::SetPosition(int32_t value) {
  if (IsLoading()) {
    position_ = value;
    return;
  }
  value = std::min(value, max_);
  if (value == position_) return;
  position_ = value;
  UpdateAnimation();
  if (Link().IsBusy()) return;
  Invalidate();
  // The installation advances the bar from the main thread between file
  // copies: it shows now, not at the next message loop.
  if (HandleAllocated()) Update();
  PlaceInnerLabel();
  InnerLabel()->Update();
}

void TKyCustomProgressBar::StepBy(int32_t step) {
  if (step != 0) SetPosition(position_ + step);
}

void TKyCustomProgressBar::SetMin(int32_t value) {
  if (value == min_) return;
  min_ = value;
  Refresh();
}

void TKyCustomProgressBar::SetMax(int32_t value) {
  if (value == max_) return;
  max_ = value;
  Refresh();
}

void TKyCustomProgressBar::SetTypeBar(TKyTypeBar value) {
  if (value == typeBar_) return;
  typeBar_ = value;
  if (!IsLoading()) UpdateAnimation();
  Refresh();
}

void TKyCustomProgressBar::SetWidthBlock(int32_t value) {
  value = std::max(value, 1);
  if (value == widthBlock_) return;
  widthBlock_ = value;
  Refresh();
}

void TKyCustomProgressBar::SetSpacingBlock(int32_t value) {
  value = std::max(value, 1);
  if (value == spacingBlock_) return;
  spacingBlock_ = value;
  Refresh();
}

void TKyCustomProgressBar::SetOrientation(TKyProgressBarOrientation value) {
  if (value == orientation_) return;
  bool axisChanged = IsVertical(value) != IsVertical(orientation_);
  orientation_ = value;
  if (IsLoading()) return;
  // A bar turned to the other axis keeps its shape only when it already
  // fits it; otherwise width and height trade places.
  if (axisChanged && (IsVertical(value) ? Width() > Height() : Height() > Width()))
    SetBounds(Left(), Top(), Height(), Width());
  if (!Link().IsBusy()) Invalidate();
}

void TKyCustomProgressBar::Refresh() {
  if (Link().IsBusy()) return;
  Invalidate();
}

// ---- Display ----

void TKyCustomProgressBar::UpdateDisplay() {
  // The animation starts anew with the refreshed look.
  StopAnimation();
  TKyCustomPanel::UpdateDisplay();
  UpdateAnimation();
}

void TKyCustomProgressBar::Loaded() {
  TKyCustomPanel::Loaded();
  position_ = std::min(position_, max_);
  widthBlock_ = std::max(widthBlock_, 1);
  spacingBlock_ = std::max(spacingBlock_, 1);
}

TKyProgressLook TKyCustomProgressBar::Look() const {
  TKyProgressLook look;
  look.Growth = GrowthOf(orientation_);
  look.Kind = typeBar_ == tbaSolid ? TKyProgressKind::Solid
              : typeBar_ == tbaBlock ? TKyProgressKind::Blocks
                                     : TKyProgressKind::Moving;
  look.WidthBlock = widthBlock_;
  look.SpacingBlock = spacingBlock_;
  return look;
}

TRect TKyCustomProgressBar::BarRect() const {
  // ClientRect is already shrunk by the frame.
  return ClientRect();
}

void TKyCustomProgressBar::Paint() {
  TKyCustomPanel::Paint();
  PaintProgress(*Canvas(), BarRect(), *bgProgress_, Look(), position_, min_, max_);
}

// ---- The moving pattern ----

void TKyCustomProgressBar::UpdateAnimation() {
  bool wanted = typeBar_ == tbaIndeterminate && position_ > 0 && !IsDestroying() && !IsDesigning() &&
                !IsLoading() && HandleAllocated();
  if (!wanted) {
    StopAnimation();
    return;
  }
  animWindow_ = Handle();
  if (timer_) return;
  timer_ = std::make_unique<TKyThreadTimer>(nullptr);
  // The frames are drawn on the timer's own thread.
  timer_->SetSynchronize(false);
  timer_->SetInterval(kAnimationInterval);
  timer_->OnTimer = [this](TObject*) { Tick(); };
  timer_->SetEnabled(true);
}

void TKyCustomProgressBar::StopAnimation() {
  // Freeing the timer waits for a frame being drawn; the frame never
  // waits for anything, so this cannot deadlock.
  timer_.reset();
  animOffset_ = 0;
}

void TKyCustomProgressBar::Tick() {
  TPaintLock& paintLock = GlobalPaintLock();
  if (!paintLock.TryLock()) return;
  TCanvas* canvas = Canvas();
  if (!canvas->TryLock()) {
    paintLock.Unlock();
    return;
  }
  bool drawn = false;
  HWND window = animWindow_.load();
  if (window && !IsDestroying()) {
    TWindowDc dc(window);
    if (dc.Get()) {
      TCanvas screen;
      screen.SetHandle(dc.Get());
      PaintProgressFrame(screen, BarRect(), SetBackGround(), *bgProgress_, Look(), animOffset_);
      screen.SetHandle(nullptr);
      ++frames_;
      drawn = true;
    }
  }
  canvas->Unlock();
  paintLock.Unlock();
  if (drawn && OnAnimationFrame) OnAnimationFrame();
}

void TKyCustomProgressBar::WndProc(TMessage& message) {
  if (message.Msg == WM_DESTROY) {
    // The timer's frames stop before the window goes.
    Canvas()->Lock();
    animWindow_ = nullptr;
    Canvas()->Unlock();
  } else if (message.Msg == WM_CREATE) {
    TKyCustomPanel::WndProc(message);
    if (!IsLoading()) UpdateAnimation();
    return;
  }
  TKyCustomPanel::WndProc(message);
}

// ---- Publishing ----

void TKyProgressBar::Publish(TPublisher<TKyProgressBar>& p) {
  using C = TKyProgressBar;
  PublishBounds(p);
  p.Property("Cursor", &C::Cursor, &C::SetCursor).Default(crDefault);
  p.Property("Hint", &C::Hint, &C::SetHint);
  p.Property("HelpContext", &C::HelpContext, &C::SetHelpContext).Default(0);
  p.Property("TabOrder", &C::TabOrder, &C::SetTabOrder).Default(-1);
  p.Property("TabStop", &C::TabStop, &C::SetTabStop).Default(false);
  p.Property("AlignHor", &C::AlignHor, &C::SetAlignHor).Default(alhLeft);
  p.Property("AlignVer", &C::AlignVer, &C::SetAlignVer).Default(alvTop);
  p.Property("TypeBar", &C::TypeBar, &C::SetTypeBar).Default(tbaBlock);
  p.Property("WidthBlock", &C::WidthBlock, &C::SetWidthBlock).Default(4);
  p.Property("SpacingBlock", &C::SpacingBlock, &C::SetSpacingBlock).Default(2);
  p.Property("BevelInner", &C::BevelInner, &C::SetBevelInner).Default(bes3DBottom);
  p.Property("BevelOuter", &C::BevelOuter, &C::SetBevelOuter).Default(bes3DTop);
  p.Property("BorderWidth", &C::BorderWidth, &C::SetBorderWidth).Default(0);
  p.Property("MarginLeftRight", &C::MarginLeftRight, &C::SetMarginLeftRight).Default(0);
  p.Property("MarginTopBottom", &C::MarginTopBottom, &C::SetMarginTopBottom).Default(0);
  p.Property("Shadow", &C::Shadow, &C::SetShadow).Default(false);
  p.Property("SetBackGround", &C::SetBackGround);
  p.Property("SetBGProgress", &C::SetBGProgress);
  p.Property("ILabel", &C::ILabel);
  p.Property("CaptionId", &C::CaptionId);
  p.Property("Transparent", &C::Transparent, &C::SetTransparent).Default(false);
  p.Property("Orientation", &C::Orientation, &C::SetOrientation).Default(pboRight);
  p.Property("Min", &C::Min, &C::SetMin).Default(0);
  p.Property("Max", &C::Max, &C::SetMax).Default(100);
  p.Property("Position", &C::Position, &C::SetPosition).Default(0);
  p.Property("Privilege", &C::Privilege);
  p.Property("Enabled", &C::Enabled, &C::SetEnabled).Default(true);
  p.Property("Visible", &C::Visible, &C::SetVisible).Default(true);
  p.Property("Locked", &C::Locked, &C::SetLocked).Default(false);
  PublishMouseEvents(p);
  p.Event("OnKeyDown", &C::OnKeyDown);
  p.Event("OnKeyPress", &C::OnKeyPress);
  p.Event("OnKeyUp", &C::OnKeyUp);
  PublishDragEvents(p);
}

void RegisterProgressBarClasses() { RegisterClasses({&TKyProgressBar::StaticClass()}); }
