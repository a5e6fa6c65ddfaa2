// Sections: kinds; blocks; the repeat timer; the speed button (state,
// mouse, groups, click, paint, publishing); the push buttons.
#include "controls/KyButtons.h"

#include <algorithm>

#include "controls/KyEdit.h"
#include "platform/windows/Menus.h"
#include "platform/windows/Publish.h"
#include "skin/Fills.h"
#include "skin/Panel.h"
#include "skin/Shapes.h"
#include "skin/TextDraw.h"

namespace {

constexpr const char* kLibraryPkg = "System";

TKyColor LibraryColor(const char* name) {
  auto* set = dynamic_cast<TKySetColor*>(LibraryDefaultSet(name));
  return set ? set->Value() : kClBlack;
}

// A state's own set: named and found in the display package.
bool Present(TKySetBackGround* set) { return set && !set->Name().empty() && set->Resolve(); }
bool Present(TKySetColor* set) { return set && !set->Name().empty() && set->Resolve(); }
bool Present(TKyMemoryImage* image) { return image && image->IsLinked() && image->Resolve(); }

// The character after a single "&" of a caption, or 0.
char AccelCharOf(const std::string& caption) {
  for (size_t i = 0; i + 1 < caption.size(); ++i) {
    if (caption[i] != '&') continue;
    if (caption[i + 1] == '&') {
      ++i;
      continue;
    }
    return static_cast<char>(std::toupper(static_cast<unsigned char>(caption[i + 1])));
  }
  return 0;
}

std::string StripAccel(const std::string& caption) {
  std::string out;
  for (size_t i = 0; i < caption.size(); ++i) {
    if (caption[i] == '&' && i + 1 < caption.size()) ++i;
    out += caption[i];
  }
  return out;
}

TRect Deflated(const TRect& r, int32_t dx, int32_t dy) { return {r.Left + dx, r.Top + dy, r.Right - dx, r.Bottom - dy}; }
TRect Moved(const TRect& r, int32_t dx, int32_t dy) { return {r.Left + dx, r.Top + dy, r.Right + dx, r.Bottom + dy}; }

// The image and caption of a button laid out in rect by margin, layout and
// spacing, then drawn.
void PaintImageAndCaption(TCanvas& canvas, TRect rect, TKyButtonImage& image, TKyButtonText& text,
                          const std::string& caption, int32_t margin, bool enabled, bool hot,
                          TKyMemoryImage* override) {
  std::unique_ptr<TGraphic> picture;
  if (image.Visible()) picture = (override ? override : image.Image())->Graphic();
  bool showText = text.Visible() && !caption.empty();
  TKyTextColours colours = SelectTextColours(text.FontStyle(), hot, text.SetColText(), text.SetColAccelChar(),
                                             text.SetColShadow(), text.SetColLight(), nullptr);
  TRect textBox{0, 0, 0, 0};
  if (showText) {
    TRect measured;
    DrawStyledText(nullptr, rect, colours.Style, measured, false, 0, false, text.Angle(), true, false, text.Layout(),
                   text.Alignment(), false, enabled, text.Spacing3D(), text.Width(), false, true, nullptr, nullptr,
                   nullptr, text.SetFont(), caption);
    textBox = measured;
  }
  int32_t pw = picture ? picture->Width() : 0, ph = picture ? picture->Height() : 0;
  int32_t tw = textBox.Width(), th = textBox.Height();
  int32_t gap = picture && showText ? image.Spacing() : 0;
  bool horizontal = image.Layout() == iclLeft || image.Layout() == iclRight;
  bool overlay = image.Layout() == iclOverlay;
  int32_t totalW = overlay ? std::max(pw, tw) : horizontal ? pw + gap + tw : std::max(pw, tw);
  int32_t totalH = overlay ? std::max(ph, th) : horizontal ? std::max(ph, th) : ph + gap + th;
  // Margin -1 centres the block; otherwise it is the distance from the
  // edge the image sits at.
  int32_t x0 = margin < 0 ? rect.Left + (rect.Width() - totalW) / 2 : rect.Left + margin;
  int32_t y0 = margin < 0 ? rect.Top + (rect.Height() - totalH) / 2 : rect.Top + margin;
  if (image.Layout() == iclRight && margin >= 0) x0 = rect.Right - margin - totalW;
  if (image.Layout() == iclBottom && margin >= 0) y0 = rect.Bottom - margin - totalH;
  int32_t ix = x0, iy = y0, tx = x0, ty = y0;
  switch (image.Layout()) {
    case iclLeft:
      iy = rect.Top + (rect.Height() - ph) / 2;
      tx = x0 + pw + gap;
      break;
    case iclRight:
      tx = x0;
      ix = x0 + tw + gap;
      iy = rect.Top + (rect.Height() - ph) / 2;
      break;
    case iclTop:
      ix = rect.Left + (rect.Width() - pw) / 2;
      ty = y0 + ph + gap;
      break;
    case iclBottom:
      ix = rect.Left + (rect.Width() - pw) / 2;
      ty = y0;
      iy = y0 + th + gap;
      break;
    case iclOverlay:
      ix = rect.Left + (rect.Width() - pw) / 2;
      iy = rect.Top + (rect.Height() - ph) / 2;
      break;
  }
  if (picture) {
    // The image's bottom-left colour shows the button through it.
    picture->SetTransparent(image.Transparent());
    canvas.Draw(ix, iy, picture.get());
  }
  if (showText) {
    TRect box = horizontal ? TRect{tx, rect.Top, std::max(tx + tw, std::min(rect.Right, tx + tw + 2)), rect.Bottom}
                           : TRect{rect.Left, ty, rect.Right, ty + th};
    if (overlay) box = rect;
    TRect out;
    DrawStyledText(&canvas, box, colours.Style, out, false, 0, false, text.Angle(), true, false,
                   horizontal ? layCenter : layTop, horizontal ? aliLeft : aliCenter, false, enabled,
                   text.Spacing3D(), text.Width(), false, false, colours.AccelChar, colours.Shadow, colours.Text,
                   text.SetFont(), caption);
  }
}

// The background of a state: its own set, else the shape's.
TKySetBackGround* ChooseBG(TKySetBackGround* own, TKySetBackGround* fallback) {
  return Present(own) ? own : fallback;
}

}  // namespace

// ---- Kinds ----

TKyButtonKindInfo ButtonKindInfo(TKyButtonKind kind) {
  static const TModalResult results[] = {mrNone, mrOk, mrCancel, mrNone, mrYes,  mrNo,   mrOk,
                                         mrAbort, mrRetry, mrIgnore, mrAll, mrNone, mrNone, mrNone};
  if (kind == bkiNone) return {false, false, mrNone, -1, -1};
  TKyButtonKindInfo info{};
  info.Default = kind == bkiOK || kind == bkiYes || kind == bkiCommit;
  info.Cancel = kind == bkiCancel || kind == bkiNo || kind == bkiClose || kind == bkiRollBack;
  info.ModalResult = results[kind];
  info.CaptionId = static_cast<int32_t>(kind) + 2;
  info.ImageId = static_cast<int32_t>(kind) + 8;
  return info;
}

// ---- Blocks ----

TKyButtonImage::TKyButtonImage(TPersistent* owner) : TKyFullImage(owner) {
  SetWidth(18);
  SetHeight(18);
  SetVisible(true);
}

void TKyButtonImage::Publish(TPublisher<TKyButtonImage>& p) {
  using C = TKyButtonImage;
  p.Property("Width", &C::Width, &C::SetWidth).Default(18);
  p.Property("Height", &C::Height, &C::SetHeight).Default(18);
  p.Property("Visible", &C::Visible, &C::SetVisible).Default(true);
  p.Property("SelShadow", &C::SelShadow, &C::SetSelShadow).Default(false);
}

void TKyButtonImage::CopyFrom(const TKyBlock& source) {
  TKyFullImage::CopyFrom(source);
  selShadow_ = static_cast<const TKyButtonImage&>(source).selShadow_;
}

TKyStateImages::TKyStateImages(TPersistent* owner, bool exclusive) : TKyBlock(owner) {
  up_ = MakeImage();
  down_ = MakeImage();
  over_ = MakeImage();
  disabled_ = MakeImage();
  if (exclusive) exclusive_ = MakeImage();
}

void TKyStateImages::CopyFrom(const TKyBlock& source) {
  TKyBlock::CopyFrom(source);
  auto& s = static_cast<const TKyStateImages&>(source);
  up_->Assign(s.up_.get());
  down_->Assign(s.down_.get());
  over_->Assign(s.over_.get());
  disabled_->Assign(s.disabled_.get());
  if (exclusive_ && s.exclusive_) exclusive_->Assign(s.exclusive_.get());
}

void TKyImagesButton::Publish(TPublisher<TKyImagesButton>& p) {
  using C = TKyImagesButton;
  p.Property("ImageUp", &C::ImageUp);
  p.Property("ImageDown", &C::ImageDown);
  p.Property("ImageOver", &C::ImageOver);
  p.Property("ImageExclusive", &C::ImageExclusive);
  p.Property("ImageDisabled", &C::ImageDisabled);
}

void TKyImagesButtonDown::Publish(TPublisher<TKyImagesButtonDown>& p) {
  using C = TKyImagesButtonDown;
  p.Property("ImageUp", &C::ImageUp);
  p.Property("ImageDown", &C::ImageDown);
  p.Property("ImageOver", &C::ImageOver);
  p.Property("ImageDisabled", &C::ImageDisabled);
}

void TKyImagesBitBtn::Publish(TPublisher<TKyImagesBitBtn>& p) {
  using C = TKyImagesBitBtn;
  p.Property("ImageUp", &C::ImageUp);
  p.Property("ImageDown", &C::ImageDown);
  p.Property("ImageOver", &C::ImageOver);
  p.Property("ImageDisabled", &C::ImageDisabled);
}

TKyStateBGs::TKyStateBGs(TPersistent* owner, bool exclusive) : TKyBlock(owner) {
  up_ = MakeState();
  down_ = MakeState();
  over_ = MakeState();
  disabled_ = MakeState();
  if (exclusive) exclusive_ = MakeState();
}

std::unique_ptr<TKySetBackGround> TKyStateBGs::MakeState() {
  // No fallback: a state without its own set uses the shape's.
  auto s = std::make_unique<TKySetBackGround>(this);
  s->OnChange = [this](TKySetObject*) { Changed(); };
  return s;
}

void TKyStateBGs::CopyFrom(const TKyBlock& source) {
  TKyBlock::CopyFrom(source);
  auto& s = static_cast<const TKyStateBGs&>(source);
  up_->Assign(s.up_.get());
  down_->Assign(s.down_.get());
  over_->Assign(s.over_.get());
  disabled_->Assign(s.disabled_.get());
  if (exclusive_ && s.exclusive_) exclusive_->Assign(s.exclusive_.get());
}

void TKyBGsButton::Publish(TPublisher<TKyBGsButton>& p) {
  using C = TKyBGsButton;
  p.Property("SetBGUp", &C::SetBGUp);
  p.Property("SetBGDown", &C::SetBGDown);
  p.Property("SetBGOver", &C::SetBGOver);
  p.Property("SetBGExclusive", &C::SetBGExclusive);
  p.Property("SetBGDisabled", &C::SetBGDisabled);
}

void TKyBGsButtonDown::Publish(TPublisher<TKyBGsButtonDown>& p) {
  using C = TKyBGsButtonDown;
  p.Property("SetBGUp", &C::SetBGUp);
  p.Property("SetBGDown", &C::SetBGDown);
  p.Property("SetBGOver", &C::SetBGOver);
  // The name forms have always stored.
  p.Property("SEtBGDisabled", &C::SetBGDisabled);
}

void TKyBGsBitBtn::Publish(TPublisher<TKyBGsBitBtn>& p) {
  using C = TKyBGsBitBtn;
  p.Property("SetBGUp", &C::SetBGUp);
  p.Property("SetBGDown", &C::SetBGDown);
  p.Property("SetBGOver", &C::SetBGOver);
  p.Property("SetBGDisabled", &C::SetBGDisabled);
}

TKySpeedButtonDown::TKySpeedButtonDown(TPersistent* owner) : TKyBlock(owner) {
  shape_ = MakeBlock<TKyButtonShape>();
  image_ = MakeBlock<TKySpeedDownImage>();
  images_ = MakeBlock<TKyImagesButtonDown>();
  bgs_ = MakeBlock<TKyBGsButtonDown>();
}

void TKySpeedButtonDown::Publish(TPublisher<TKySpeedButtonDown>& p) {
  using C = TKySpeedButtonDown;
  p.Property("Style", &C::Style, &C::SetStyle).Default(btsShape);
  p.Property("Shape", &C::Shape);
  p.Property("Image", &C::Image);
  p.Property("ImagesButton", &C::ImagesButton);
  p.Property("BGsButton", &C::BGsButton);
  p.Property("Visible", &C::Visible, &C::SetVisible).Default(false);
  p.Property("Sync", &C::Sync, &C::SetSync).Default(true);
  p.Property("Width", &C::Width, &C::SetWidth).Default(13);
  p.Property("SetBackGround", &C::SetBackGround);
  p.Property("BorderStyle", &C::BorderStyle, &C::SetBorderStyle).Default(bos3D);
}

void TKySpeedButtonDown::CopyFrom(const TKyBlock& source) {
  TKyBlock::CopyFrom(source);
  auto& s = static_cast<const TKySpeedButtonDown&>(source);
  style_ = s.style_;
  shape_->Assign(s.shape_.get());
  image_->Assign(s.image_.get());
  images_->Assign(s.images_.get());
  bgs_->Assign(s.bgs_.get());
  visible_ = s.visible_;
  sync_ = s.sync_;
  width_ = s.width_;
}

// ---- The repeat timer ----

namespace {
TKyRepeatTimer* gRepeatTimer = nullptr;
}

TKyRepeatTimer& TKyRepeatTimer::Instance() {
  if (!gRepeatTimer) gRepeatTimer = new TKyRepeatTimer(nullptr);
  return *gRepeatTimer;
}

TKyRepeatTimer* TKyRepeatTimer::Existing() { return gRepeatTimer; }

void TKyRepeatTimer::Start(TKyCustomSpeedButton* button, uint32_t interval) {
  SetEnabled(false);
  button_ = button;
  SetInterval(std::max<uint32_t>(1, interval));
  SetEnabled(true);
}

void TKyRepeatTimer::Stop() { SetEnabled(false); }

void TKyRepeatTimer::Release(TKyCustomSpeedButton* button) {
  if (button_ != button) return;
  SetEnabled(false);
  button_ = nullptr;
}

void TKyRepeatTimer::DoTimer() {
  SetEnabled(false);
  TKyCustomSpeedButton* button = button_;
  if (!button) return;
  ++ticks_;
  button->ClickAction();
  // The click may have released the button (or the timer).
  if (button_ == button && button->tracking_ && button->pressed_)
    Start(button, static_cast<uint32_t>(button->Repeats()->NextTime()));
}

// ---- The speed button: state ----

TKyCustomSpeedButton::TKyCustomSpeedButton(TComponent* owner)
    : TGraphicControl(owner), link_(this, kLinkControl) {
  SetBounds(0, 0, 25, 25);
  controlStyle_ = {csCaptureMouse, csDoubleClicks};
  repeats_ = std::make_unique<TKyButtonRepeats>(this);
  buttonDown_ = std::make_unique<TKySpeedButtonDown>(this);
  text_ = std::make_unique<TKyButtonText>(this);
  shape_ = std::make_unique<TKyButtonShape>(this);
  image_ = std::make_unique<TKyButtonImage>(this);
  images_ = std::make_unique<TKyImagesButton>(this);
  bgs_ = std::make_unique<TKyBGsButton>(this);
  for (TKyBlock* block : std::initializer_list<TKyBlock*>{buttonDown_.get(), text_.get(), shape_.get(), image_.get(),
                                                          images_.get(), bgs_.get()})
    block->OnChange = [this](TObject*) { LookChanged(); };
  colBox_ = std::make_unique<TKySetColor>(this, "", dynamic_cast<TKySetColor*>(LibraryDefaultSet("Dft_ColBox")));
  colSelBox_ = std::make_unique<TKySetColor>(this);
  for (TKySetColor* set : {colBox_.get(), colSelBox_.get()}) set->OnChange = [this](TKySetObject*) { LookChanged(); };
  captionId_ = std::make_unique<TKyMemoryLabel>(this);
  captionId_->OnChange = [this](TKyMemoryReference*) { LookChanged(); };
  privilege_ = std::make_unique<TKyPrivilege>(this);
  privilege_->OnChange = [this](TKyPrivilege*) { LookChanged(); };
  link_.OnLoaded = [this] {
    ReloadLook();
    placement_.Record(*this);
  };
}

TKyCustomSpeedButton::~TKyCustomSpeedButton() {
  if (auto* timer = TKyRepeatTimer::Existing()) timer->Release(this);
}

bool TKyCustomSpeedButton::Busy() const {
  return updateCount_ > 0 || IsLoading() || (Owner() && Owner()->IsLoading()) || IsDestroying();
}

void TKyCustomSpeedButton::EndUpdate() {
  if (updateCount_ > 0 && --updateCount_ == 0 && !Busy()) ReloadLook();
}

void TKyCustomSpeedButton::LookChanged() {
  if (!Busy()) ReloadLook();
}

bool TKyCustomSpeedButton::EffectiveVisible() const { return privilege_->AllowsVisible(visibleRequest_); }

bool TKyCustomSpeedButton::EffectiveEnabled() const { return privilege_->AllowsEnabled(enabledRequest_); }

void TKyCustomSpeedButton::SetVisible(bool value) {
  if (value == visibleRequest_) return;
  visibleRequest_ = value;
  TControl::SetVisible(EffectiveVisible());
}

void TKyCustomSpeedButton::SetEnabled(bool value) {
  if (value == enabledRequest_) return;
  enabledRequest_ = value;
  TControl::SetEnabled(EffectiveEnabled());
  Invalidate();
}

void TKyCustomSpeedButton::ReloadLook() {
  TControl::SetVisible(EffectiveVisible());
  TControl::SetEnabled(EffectiveEnabled());
  if (captionId_->Resolve()) {
    SetCaption(captionId_->Caption());
    SetHint(captionId_->Hint());
  }
  // A hint that only repeats the visible caption says nothing.
  if (text_->Visible() && !Hint().empty() && Hint() == StripAccel(Caption())) SetHint("");
  SetPressed(down_ && groupIndex_ > 0 ? true : pressed_ && tracking_);
  SizeToImage();
  Invalidate();
}

void TKyCustomSpeedButton::SetMargin(int32_t value) {
  value = std::max<int32_t>(-1, value);
  if (value == margin_) return;
  margin_ = value;
  LookChanged();
}

void TKyCustomSpeedButton::SetShadow(bool value) {
  if (value == shadow_) return;
  shadow_ = value;
  LookChanged();
}

void TKyCustomSpeedButton::SetFlat(bool value) {
  if (value == flat_) return;
  flat_ = value;
  LookChanged();
}

void TKyCustomSpeedButton::SetStyle(TKyButtonStyle value) {
  if (value == style_) return;
  style_ = value;
  // State images carry their own edges.
  if (value == btsImage) shape_->SetBorderStyle(bosNone);
  LookChanged();
}

void TKyCustomSpeedButton::SetAlignHor(TKyAlignHor value) {
  if (value == alignHor_) return;
  alignHor_ = value;
  if (!Busy()) AlignInParent(*this, placement_, alignHor_, false, false, alignVer_);
}

void TKyCustomSpeedButton::SetAlignVer(TKyAlignVer value) {
  if (value == alignVer_) return;
  alignVer_ = value;
  if (!Busy()) AlignInParent(*this, placement_, alignHor_, false, false, alignVer_);
}

void TKyCustomSpeedButton::SetDefaultAction(TKyDefaultAction value) {
  if (value == defaultAction_) return;
  defaultAction_ = value;
  if (IsDesigning() && value >= btaMinimize && value <= btaHelp) {
    // The window buttons: small, centred, a picture and a hint from the
    // library's own package.
    static const int32_t images[] = {88, 90, 89, 91, 92};
    static const int32_t captions[] = {99, 100, 96, 101, 102};
    int i = value - btaMinimize;
    BeginUpdate();
    SetBounds(Left(), Top(), 18, 18);
    SetAlignHor(alhCentered);
    text_->SetVisible(false);
    image_->Image()->SetReference(kLibraryPkg, images[i]);
    captionId_->SetReference(kLibraryPkg, captions[i]);
    EndUpdate();
  }
}

void TKyCustomSpeedButton::Loaded() {
  TGraphicControl::Loaded();
  // A restore button shows only once its form is maximised.
  if (defaultAction_ == btaRestore && !IsDesigning()) visibleRequest_ = false;
  TControl::SetVisible(EffectiveVisible());
  TControl::SetEnabled(EffectiveEnabled());
  if (down_ && groupIndex_ > 0) pressed_ = true;
}

void TKyCustomSpeedButton::SetDownState(bool value, bool withClick) {
  if (IsLoading()) {
    down_ = value;
    return;
  }
  if (value == down_) return;
  // A group without AllowAllUp always keeps one button down.
  if (!value && groupIndex_ > 0 && !allowAllUp_) return;
  down_ = value;
  if (withClick) {
    SetPressed(true);
    ClickAction();
  }
  if (groupIndex_ < 1) down_ = false;
  SetPressed(down_);
  Invalidate();
  if (down_) BroadcastGroup();
}

void TKyCustomSpeedButton::SetGroupIndex(int32_t value) {
  if (value == groupIndex_) return;
  groupIndex_ = value;
  if (!Busy()) BroadcastGroup();
}

void TKyCustomSpeedButton::SetAllowAllUp(bool value) {
  if (value == allowAllUp_) return;
  allowAllUp_ = value;
  if (!Busy()) BroadcastGroup();
}

void TKyCustomSpeedButton::BroadcastGroup() {
  if (groupIndex_ <= 0 || !Parent()) return;
  TMessage m{CM_BUTTONPRESSED, static_cast<WPARAM>(groupIndex_), reinterpret_cast<LPARAM>(this), 0};
  Parent()->Broadcast(m);
}

void TKyCustomSpeedButton::ButtonPressed(int32_t group, TKyCustomSpeedButton* sender) {
  if (group != groupIndex_ || group <= 0 || sender == this || !sender) return;
  if (sender->down_ && down_) {
    down_ = false;
    SetPressed(false);
    Invalidate();
  }
  allowAllUp_ = sender->allowAllUp_;
}

void TKyCustomSpeedButton::SetPressed(bool value) {
  if (value == pressed_) return;
  pressed_ = value;
  Invalidate();
}

// ---- The speed button: mouse ----

void TKyCustomSpeedButton::MouseDown(TMouseButton button, TShiftState shift, int32_t x, int32_t y) {
  TGraphicControl::MouseDown(button, shift, x, y);
  if (button != mbLeft || !EffectiveEnabled()) return;
  TPoint p{x, y};
  if (MainRect().Contains(p)) {
    tracking_ = true;
    SetPressed(true);
    Repaint();
    if (repeats_->Active() && groupIndex_ < 1) {
      ClickAction();
      if (tracking_) TKyRepeatTimer::Instance().Start(this, static_cast<uint32_t>(repeats_->StartTime()));
    }
  } else if (DownPartRect().Contains(p) && !downTracking_) {
    downTracking_ = true;
    downPressed_ = true;
    Repaint();
  }
}

void TKyCustomSpeedButton::MouseMove(TShiftState shift, int32_t x, int32_t y) {
  TGraphicControl::MouseMove(shift, x, y);
  if (!tracking_) return;
  bool inside = MainRect().Contains({x, y});
  bool now = down_ || inside;
  if (now == pressed_) return;
  if (!TRect(0, 0, Width(), Height()).Contains({x, y}) && mouseInside_) Perform(CM_MOUSELEAVE);
  pressed_ = now;
  Repaint();
  if (repeats_->Active() && groupIndex_ < 1) {
    if (now)
      TKyRepeatTimer::Instance().Start(this, static_cast<uint32_t>(repeats_->NextTime()));
    else
      TKyRepeatTimer::Instance().Release(this);
  }
}

void TKyCustomSpeedButton::MouseUp(TMouseButton button, TShiftState shift, int32_t x, int32_t y) {
  TPoint p{x, y};
  if (tracking_ && button == mbLeft) {
    bool repeating = repeats_->Active() && groupIndex_ < 1;
    tracking_ = false;
    if (repeating) TKyRepeatTimer::Instance().Release(this);
    if (!repeating && MainRect().Contains(p)) SetDownState(!down_, true);
    pressed_ = down_;
    if (groupIndex_ > 0 && down_) Invalidate();
    Invalidate();
  }
  if (downTracking_ && button == mbLeft) {
    if (DownPartRect().Contains(p) && OnDownClick && EffectiveEnabled()) {
      downPressed_ = true;
      OnDownClick(this);
      Invalidate();
    }
    downPressed_ = false;
    downTracking_ = false;
    Invalidate();
  }
  TGraphicControl::MouseUp(button, shift, x, y);
}

// Clicks come from the button's own rules, not from the platform's.
namespace {

// The edit being typed in on the button's form commits its text first, so
// that the click sees the new value (a veto raises and the click is off).
void CommitActiveEdit(TControl& button) {
  TCustomForm* form = button.ParentForm();
  if (!form) return;
  if (auto* edit = dynamic_cast<TKyCustomEdit*>(form->ActiveControl())) edit->ApplyText();
}

}  // namespace

void TKyCustomSpeedButton::DoClick() {}

void TKyCustomSpeedButton::ClickAction() {
  TCustomForm* form = ParentForm();
  switch (defaultAction_) {
    case btaMinimize:
      if (form) form->Perform(WM_SYSCOMMAND, SC_MINIMIZE);
      return;
    case btaMaximize:
      if (form) form->Perform(WM_SYSCOMMAND, SC_MAXIMIZE);
      return;
    case btaRestore:
      if (form) form->Perform(WM_SYSCOMMAND, SC_RESTORE);
      return;
    case btaClose:
      if (form) form->Perform(WM_SYSCOMMAND, SC_CLOSE);
      return;
    case btaHelp:
      if (form) form->Perform(WM_SYSCOMMAND, SC_CONTEXTHELP);
      return;
    default:
      break;
  }
  CommitActiveEdit(*this);
  // A form configuration holding events back (a program driving the form)
  // stops the click after the commit.
  if (FormEventsSuppressed(this)) return;
  if (form) form->SetModalResult(modalResult_);
  bool oldDown = down_, oldPressed = pressed_;
  // Drawn pressed while the handler runs (a plain button counts as down).
  if (groupIndex_ < 1) down_ = true;
  pressed_ = true;
  Repaint();
  struct TRestore {
    TKyCustomSpeedButton* b;
    bool down, pressed;
    ~TRestore() {
      b->down_ = down;
      b->pressed_ = pressed;
      b->Invalidate();
    }
  } restore{this, oldDown, oldPressed};
  if (defaultAction_ == btaMenu && PopupMenu()) {
    // The menu opens below the button, which stays drawn pressed meanwhile.
    TPoint at = ClientToScreen({0, Height()});
    PopupMenu()->SetPopupComponent(this);
    PopupMenu()->Popup(at.X, at.Y);
  } else if (OnClick) {
    OnClick(this);
  }
  // The handler may have left a new text in the edit.
  CommitActiveEdit(*this);
  if (form && modalResult_ != mrNone && !form->Modal()) form->Close();
}

bool TKyCustomSpeedButton::HitTest(TPoint p) {
  if (!mouseRgn_ || IsDesigning()) return true;
  auto partHit = [&](const TRect& rect, bool main) {
    if (rect.Width() <= 0) return false;
    if (PartStyle(main) == btsShape) {
      TKyButtonShape* shape = PartShape(main);
      TRect body = rect;
      if (shadow_ && !flat_) body = {body.Left, body.Top, body.Right - 1, body.Bottom - 1};
      body = Deflated(body, shape->MarginLeftRight(), shape->MarginTopBottom());
      return ShapeRegion(body, shape->Shape(), shape->Orientation(), shape->Reflection()).Contains(p);
    }
    TKyMemoryImage* up = PartImages(main)->ImageUp();
    TSize size = ImageSize(up);
    int32_t shift = PartShape(main)->BorderStyle() != bosNone ? 1 : 0;
    TPoint origin{rect.Left + shift, rect.Top + (rect.Height() - size.cy) / 2 + shift};
    if (auto region = up->WindowRegion()) return region->Contains({p.X - origin.X, p.Y - origin.Y});
    return TRect::Bounds(origin.X, origin.Y, size.cx, size.cy).Contains(p);
  };
  return partHit(MainRect(), true) || (buttonDown_->Visible() && partHit(DownPartRect(), false));
}

void TKyCustomSpeedButton::WndProc(TMessage& m) {
  if (m.Msg == KyMessageMaster() && KyMessageMaster() != 0) {
    if (static_cast<int32_t>(m.WParam) == kMmRealign)
      AlignInParent(*this, placement_, alignHor_, false, false, alignVer_);
    return;
  }
  switch (m.Msg) {
    case CM_BUTTONPRESSED:
      ButtonPressed(static_cast<int32_t>(m.WParam), dynamic_cast<TKyCustomSpeedButton*>(
                                                        reinterpret_cast<TObject*>(m.LParam)));
      return;
    case CM_DIALOGCHAR: {
      char accel = AccelCharOf(Caption());
      if (accel && EffectiveEnabled() && Parent() && Parent()->Showing() &&
          accel == static_cast<char>(std::toupper(static_cast<int>(m.WParam & 0xFF)))) {
        SetDownState(!down_, true);
        m.Result = 1;
        return;
      }
      break;
    }
    case CM_SYSCOLORCHANGE:
      ReloadLook();
      return;
    case CM_MOUSEENTER:
      if (EffectiveEnabled()) {
        mouseInside_ = true;
        textHot_ = IsHotFontStyle(text_->FontStyle());
        flatHot_ = flat_;
        Invalidate();
      }
      break;
    case CM_MOUSELEAVE:
      mouseInside_ = textHot_ = flatHot_ = false;
      Invalidate();
      break;
    case CM_HITTEST:
      m.Result = HitTest({LoWordOf(m.LParam), HiWordOf(m.LParam)}) ? HTCLIENT : HTNOWHERE;
      return;
    case CM_DESIGNHITTEST:
      m.Result = 0;
      return;
    case WM_WINDOWPOSCHANGED:
      if (!tracking_ && !IsDesigning()) {
        AlignInParent(*this, placement_, alignHor_, false, false, alignVer_);
        SizeToImage();
      }
      break;
  }
  TGraphicControl::WndProc(m);
}

// ---- The speed button: geometry and paint ----

TKyStateImages* TKyCustomSpeedButton::PartImages(bool main) const {
  return main || buttonDown_->Sync() ? static_cast<TKyStateImages*>(images_.get())
                                     : static_cast<TKyStateImages*>(buttonDown_->ImagesButton());
}

TKyStateBGs* TKyCustomSpeedButton::PartBGs(bool main) const {
  return main || buttonDown_->Sync() ? static_cast<TKyStateBGs*>(bgs_.get())
                                     : static_cast<TKyStateBGs*>(buttonDown_->BGsButton());
}

TKyButtonShape* TKyCustomSpeedButton::PartShape(bool main) const {
  return main || buttonDown_->Sync() ? shape_.get() : buttonDown_->Shape();
}

TKyButtonStyle TKyCustomSpeedButton::PartStyle(bool main) const {
  return main || buttonDown_->Sync() ? style_ : buttonDown_->Style();
}

TSize TKyCustomSpeedButton::ImageSize(TKyMemoryImage* image) {
  if (std::unique_ptr<TGraphic> g = image->Graphic()) return {g->Width(), g->Height()};
  return {0, 0};
}

int32_t TKyCustomSpeedButton::ImageEnlarge() const {
  int32_t n = 0;
  if (shape_->BorderStyle() != bosNone) ++n;
  if (shadow_) ++n;
  if (shape_->BorderStyle() == bos3D) ++n;
  return n;
}

int32_t TKyCustomSpeedButton::DownPartWidth() {
  if (!buttonDown_->Visible()) return 0;
  if (PartStyle(false) == btsShape) return std::min(buttonDown_->Width(), Width());
  TSize size = ImageSize(PartImages(false)->ImageUp());
  if (size.cx == 0) return std::min(buttonDown_->Width(), Width());
  return std::max(4, size.cx + 2 * ImageEnlarge());
}

TRect TKyCustomSpeedButton::MainRect() { return {0, 0, Width() - DownPartWidth(), Height()}; }

TRect TKyCustomSpeedButton::DownPartRect() {
  int32_t w = DownPartWidth();
  return {Width() - w, 0, Width(), Height()};
}

void TKyCustomSpeedButton::SizeToImage() {
  if (style_ != btsImage || sizing_ || Busy()) return;
  TSize up = ImageSize(images_->ImageUp());
  if (up.cx == 0 || image_->Stretch()) return;
  int32_t enlarge = 2 * ImageEnlarge();
  int32_t downW = DownPartWidth();
  int32_t downH = 0;
  if (buttonDown_->Visible()) downH = PartStyle(false) == btsImage ? ImageSize(PartImages(false)->ImageUp()).cy : 0;
  sizing_ = true;
  SetBounds(Left(), Top(), up.cx + enlarge + downW, std::max(up.cy + enlarge, downH + enlarge));
  sizing_ = false;
}

void TKyCustomSpeedButton::Paint() {
  TCanvas& canvas = *Canvas();
  PaintPart(canvas, MainRect(), true);
  if (OnPaint) OnPaint(this);
  if (buttonDown_->Visible()) PaintPart(canvas, DownPartRect(), false);
}

void TKyCustomSpeedButton::PaintPart(TCanvas& canvas, const TRect& rect, bool main) {
  if (rect.Width() <= 0 || rect.Height() <= 0) return;
  bool enabled = EffectiveEnabled();
  bool pressed = main ? pressed_ : downPressed_;
  TKyStateImages* images = PartImages(main);
  TKyStateBGs* bgs = PartBGs(main);
  TKyButtonShape* shape = PartShape(main);
  TKyButtonStyle style = PartStyle(main);
  TKySetBackGround* fallback = main || buttonDown_->Sync() ? SetBackGround() : buttonDown_->SetBackGround();

  // The look of the state.
  TKyMemoryImage* image = images->ImageUp();
  TKySetBackGround* bg = bgs->SetBGUp();
  if (enabled && pressed) {
    if (main && groupIndex_ > 0) {
      if (Present(images->ImageExclusive())) image = images->ImageExclusive();
      else if (Present(images->ImageDown())) image = images->ImageDown();
      if (Present(bgs->SetBGExclusive())) bg = bgs->SetBGExclusive();
      else if (Present(bgs->SetBGDown())) bg = bgs->SetBGDown();
    } else {
      if (Present(images->ImageDown())) image = images->ImageDown();
      if (Present(bgs->SetBGDown())) bg = bgs->SetBGDown();
    }
  }
  if (enabled && mouseInside_) {
    if (Present(images->ImageOver()) && (!pressed || !Present(images->ImageDown()))) image = images->ImageOver();
    if (Present(bgs->SetBGOver())) bg = bgs->SetBGOver();
  }
  if (!enabled) {
    if (Present(images->ImageDisabled())) image = images->ImageDisabled();
    if (Present(bgs->SetBGDisabled())) bg = bgs->SetBGDisabled();
  }
  bg = ChooseBG(bg, fallback);
  bool showShadow = shadow_ && !flat_ && enabled;
  TKyColor shadowColour = LibraryColor("Dft_3DShadow");

  if (style == btsShape) {
    TRect body = Deflated(rect, 1, 1);
    if (showShadow) body = Moved(body, -1, -1);
    body = Deflated(body, shape->MarginLeftRight(), shape->MarginTopBottom());
    if (showShadow && !pressed)
      PaintShape(canvas, Moved(body, 2, 2), spmFilled, 1, shadowColour, pesClear, shadowColour, brsSolid,
                 shape->Reflection(), shape->Shape(), shape->Orientation());
    bool framed = !flat_ || flatHot_ || pressed || IsDesigning();
    TKyBorderStyle border = framed ? shape->BorderStyle() : bosNone;
    TKyBevelShape source{shape->Shape(), shape->Orientation(), shape->Reflection(), nullptr};
    // A flat button at rest shows what lies below it.
    PaintShapeBevel(canvas, body, border, source, pressed, framed ? bg : nullptr);
    TKySetColor* box = mouseInside_ && Present(colSelBox_.get()) ? colSelBox_.get() : colBox_.get();
    if (framed && (border == bosSingle || Present(box)))
      PaintShape(canvas, body, spmOutline, 1, box->Value(), pesSolid, kClNone, brsClear, shape->Reflection(),
                 shape->Shape(), shape->Orientation());
  } else if (std::unique_ptr<TGraphic> picture = image->Graphic()) {
    int32_t shift = shape->BorderStyle() != bosNone ? 1 : 0;
    int32_t x = rect.Left + shift, y = rect.Top + (rect.Height() - picture->Height()) / 2 + shift;
    bool pressedWithoutOwn = pressed && !Present(images->ImageDown());
    if (showShadow && (!pressed || pressedWithoutOwn)) {
      std::unique_ptr<TRegion> own = image->WindowRegion();
      TRegion region = own ? std::move(*own) : TRegion::Rect(TRect::Bounds(0, 0, picture->Width(), picture->Height()));
      region.Offset(x + 2, y + 2);
      canvas.Brush()->SetColor(shadowColour);
      canvas.Brush()->SetStyle(bsSolid);
      canvas.FillRegion(region.Handle());
    }
    if (pressedWithoutOwn) {
      x += 1;
      y += 1;
    }
    canvas.Draw(x, y, picture.get());
  }

  TRect content = Deflated(rect, 2, 2);
  if (pressed) content = Moved(content, 1, 1);
  if (main) {
    PaintImageAndCaption(canvas, content, *image_, *text_, Caption(), margin_, enabled, textHot_, nullptr);
  } else if (std::unique_ptr<TGraphic> arrow = buttonDown_->Image()->Image()->Graphic()) {
    int32_t x = content.Left + (content.Width() - arrow->Width()) / 2;
    int32_t y = content.Top + (content.Height() - arrow->Height()) / 2;
    canvas.Draw(x, y, arrow.get());
  }
}

void TKySpeedButton::Publish(TPublisher<TKySpeedButton>& p) {
  using C = TKySpeedButton;
  PublishBounds(p);
  p.Property("Cursor", &C::Cursor, &C::SetCursor).Default(crDefault).Idents(CursorIdents());
  p.Property("Hint", &C::Hint, &C::SetHint);
  p.Property("AlignVer", &C::AlignVer, &C::SetAlignVer).Default(alvTop);
  p.Property("AlignHor", &C::AlignHor, &C::SetAlignHor).Default(alhLeft);
  p.Property("AllowAllUp", &C::AllowAllUp, &C::SetAllowAllUp).Default(false);
  p.Property("GroupIndex", &C::GroupIndex, &C::SetGroupIndex).Default(0);
  p.Property("Down", &C::Down, &C::SetDown).Default(false);
  p.Property("ModalResult", &C::ModalResult, &C::SetModalResult).Default(mrNone).Idents(ModalResultIdents());
  p.Property("Repeats", &C::Repeats);
  p.Property("DefaultAction", &C::DefaultAction, &C::SetDefaultAction).Default(btaClick);
  p.Property("ButtonDown", &C::ButtonDown);
  p.Property("Text", &C::Text);
  p.Property("Shape", &C::Shape);
  p.Property("Margin", &C::Margin, &C::SetMargin).Default(-1);
  p.Property("Image", &C::Image);
  p.Property("Caption", &C::Caption, &C::SetCaption);
  p.Property("CaptionId", &C::CaptionId);
  p.Property("Shadow", &C::Shadow, &C::SetShadow).Default(false);
  p.Property("Flat", &C::Flat, &C::SetFlat).Default(false);
  p.Property("Style", &C::Style, &C::SetStyle).Default(btsShape);
  p.Property("ImagesButton", &C::ImagesButton);
  p.Property("BGsButton", &C::BGsButton);
  p.Property("SetBackGround", &C::SetBackGround);
  p.Property("SetColBox", &C::SetColBox);
  p.Property("SetColSelBox", &C::SetColSelBox);
  p.Property("BorderStyle", &C::BorderStyle, &C::SetBorderStyle).Default(bos3D);
  p.Property("MouseRgn", &C::MouseRgn, &C::SetMouseRgn).Default(false);
  p.Property("Privilege", &C::Privilege);
  p.Property("Visible", &C::Visible, &C::SetVisible).Default(true);
  p.Property("Enabled", &C::Enabled, &C::SetEnabled).Default(true);
  p.Event("OnClick", &C::OnClick);
  p.Event("OnDownClick", &C::OnDownClick);
  p.Event("OnPaint", &C::OnPaint);
  p.Event("OnDblClick", &C::OnDblClick);
  p.Event("OnMouseDown", &C::OnMouseDown);
  p.Event("OnMouseMove", &C::OnMouseMove);
  p.Event("OnMouseUp", &C::OnMouseUp);
  PublishPopupMenu(p);
  p.Event("OnDragDrop", &C::OnDragDrop);
  p.Event("OnDragOver", &C::OnDragOver);
  p.Event("OnStartDrag", &C::OnStartDrag);
}

// ---- The push buttons ----

TKyButton::TKyButton(TComponent* owner) : TButton(owner) {}

TKyCustomBitBtn::TKyCustomBitBtn(TComponent* owner)
    : TKyButton(owner), link_(this, kLinkControl), canvas_(std::make_unique<TControlCanvas>(this)) {
  SetTabStop(false);
  text_ = std::make_unique<TKyButtonText>(this);
  shape_ = std::make_unique<TKyBitBtnShape>(this);
  image_ = std::make_unique<TKyButtonImage>(this);
  images_ = std::make_unique<TKyImagesBitBtn>(this);
  bgs_ = std::make_unique<TKyBGsBitBtn>(this);
  for (TKyBlock* block :
       std::initializer_list<TKyBlock*>{text_.get(), shape_.get(), image_.get(), images_.get(), bgs_.get()})
    block->OnChange = [this](TObject*) { LookChanged(); };
  colFocus_ =
      std::make_unique<TKySetColor>(this, "", dynamic_cast<TKySetColor*>(LibraryDefaultSet("Dft_BBColFocus")));
  colDefault_ =
      std::make_unique<TKySetColor>(this, "", dynamic_cast<TKySetColor*>(LibraryDefaultSet("Dft_BBColDefault")));
  for (TKySetColor* set : {colFocus_.get(), colDefault_.get()})
    set->OnChange = [this](TKySetObject*) { LookChanged(); };
  captionId_ = std::make_unique<TKyMemoryLabel>(this);
  captionId_->OnChange = [this](TKyMemoryReference*) { LookChanged(); };
  privilege_ = std::make_unique<TKyPrivilege>(this);
  privilege_->OnChange = [this](TKyPrivilege*) { LookChanged(); };
  link_.OnLoaded = [this] {
    ReloadLook();
    placement_.Record(*this);
  };
}

TKyCustomBitBtn::~TKyCustomBitBtn() = default;

bool TKyCustomBitBtn::Busy() const {
  return updateCount_ > 0 || IsLoading() || (Owner() && Owner()->IsLoading()) || IsDestroying();
}

void TKyCustomBitBtn::EndUpdate() {
  if (updateCount_ > 0 && --updateCount_ == 0 && !Busy()) ReloadLook();
}

void TKyCustomBitBtn::LookChanged() {
  if (!Busy()) ReloadLook();
}

bool TKyCustomBitBtn::EffectiveVisible() const { return privilege_->AllowsVisible(visibleRequest_); }
bool TKyCustomBitBtn::EffectiveEnabled() const { return privilege_->AllowsEnabled(enabledRequest_); }

void TKyCustomBitBtn::SetVisible(bool value) {
  if (value == visibleRequest_) return;
  visibleRequest_ = value;
  TControl::SetVisible(EffectiveVisible());
}

void TKyCustomBitBtn::SetEnabled(bool value) {
  if (value == enabledRequest_) return;
  enabledRequest_ = value;
  TControl::SetEnabled(EffectiveEnabled());
  Invalidate();
}

void TKyCustomBitBtn::ReloadLook() {
  TControl::SetVisible(EffectiveVisible());
  TControl::SetEnabled(EffectiveEnabled());
  if (captionId_->Resolve()) {
    SetCaption(captionId_->Caption());
    SetHint(captionId_->Hint());
  }
  if (text_->Visible() && !Hint().empty() && Hint() == StripAccel(Caption())) SetHint("");
  Invalidate();
}

void TKyCustomBitBtn::SetKind(TKyButtonKind value) {
  if (value == kind_) return;
  kind_ = value;
  if (value == bkiNone || updateCount_ > 0) return;
  TKyButtonKindInfo info = ButtonKindInfo(value);
  if (info.Default) SetDefault(true);
  if (info.Cancel) SetCancel(true);
  SetModalResult(info.ModalResult);
  captionId_->SetReference(kLibraryPkg, info.CaptionId);
  image_->Image()->SetReference(kLibraryPkg, info.ImageId);
}

void TKyCustomBitBtn::SetStyle(TKyButtonStyle value) {
  if (value == style_) return;
  style_ = value;
  if (value == btsImage) shape_->SetBorderStyle(bosNone);
  LookChanged();
}

void TKyCustomBitBtn::SetShadow(bool value) {
  if (value == shadow_) return;
  shadow_ = value;
  LookChanged();
}

void TKyCustomBitBtn::SetMargin(int32_t value) {
  value = std::max<int32_t>(-1, value);
  if (value == margin_) return;
  margin_ = value;
  LookChanged();
}

void TKyCustomBitBtn::SetGrid(bool value) {
  if (value == grid_) return;
  grid_ = value;
  LookChanged();
}

void TKyCustomBitBtn::SetFocusStyle(TKyFocusStyle value) {
  if (value == focusStyle_) return;
  focusStyle_ = value;
  LookChanged();
}

void TKyCustomBitBtn::SetDefaultStyle(TKyFocusStyle value) {
  if (value == defaultStyle_) return;
  defaultStyle_ = value;
  LookChanged();
}

void TKyCustomBitBtn::SetAlignHor(TKyAlignHor value) {
  if (value == alignHor_) return;
  alignHor_ = value;
  if (!Busy()) AlignInParent(*this, placement_, alignHor_, false, false, alignVer_);
}

void TKyCustomBitBtn::SetAlignVer(TKyAlignVer value) {
  if (value == alignVer_) return;
  alignVer_ = value;
  if (!Busy()) AlignInParent(*this, placement_, alignHor_, false, false, alignVer_);
}

void TKyCustomBitBtn::Loaded() {
  TKyButton::Loaded();
  TControl::SetVisible(EffectiveVisible());
  TControl::SetEnabled(EffectiveEnabled());
}

void TKyCustomBitBtn::CreateParams(TCreateParams& params) {
  TKyButton::CreateParams(params);
  // The skin draws every state; the platform keeps focus and clicks.
  params.Style = (params.Style & ~kButtonStyleMask) | kButtonOwnerDraw;
}

void TKyCustomBitBtn::DoClick() {
  if (updateValues_) CommitActiveEdit(*this);
  if (FormEventsSuppressed(this)) return;
  pressed_ = true;
  Repaint();
  struct TRestore {
    TKyCustomBitBtn* b;
    ~TRestore() {
      b->pressed_ = false;
      b->Invalidate();
    }
  } restore{this};
  TKyButton::DoClick();
  // The handler may have left a new text in the edit.
  if (updateValues_) CommitActiveEdit(*this);
  // A form that is not modal has no loop to end: it closes.
  TCustomForm* form = ParentForm();
  if (form && ModalResult() != mrNone && !form->Modal()) form->Close();
}

void TKyCustomBitBtn::WndProc(TMessage& m) {
  if (m.Msg == KyMessageMaster() && KyMessageMaster() != 0) {
    if (static_cast<int32_t>(m.WParam) == kMmRealign)
      AlignInParent(*this, placement_, alignHor_, false, false, alignVer_);
    return;
  }
  switch (m.Msg) {
    case BM_SETSTYLE:
      // The default look is drawn by the skin; the window stays owner-drawn.
      m.WParam = (m.WParam & ~static_cast<WPARAM>(kButtonStyleMask)) | kButtonOwnerDraw;
      TKyButton::WndProc(m);
      Invalidate();
      return;
    case CN_DRAWITEM: {
      TOwnerDrawItem item = OwnerDrawItemOf(m);
      pressed_ = item.State.Contains(odSelected);
      PrintClient(item.DC);
      m.Result = 1;
      return;
    }
    case WM_LBUTTONDBLCLK:
      // A double click is two clicks.
      m.Msg = WM_LBUTTONDOWN;
      break;
    case CM_MOUSEENTER:
      if (EffectiveEnabled()) {
        mouseInside_ = true;
        Invalidate();
      }
      break;
    case CM_MOUSELEAVE:
      mouseInside_ = false;
      Invalidate();
      break;
    case WM_ERASEBKGND:
      m.Result = 1;
      return;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      TKyButton::WndProc(m);
      Invalidate();
      return;
    case WM_WINDOWPOSCHANGED:
      TKyButton::WndProc(m);
      Invalidate();
      return;
  }
  TKyButton::WndProc(m);
}

void TKyCustomBitBtn::PaintButton(TCanvas& canvas, const TRect& client, bool pressed, bool focused) {
  bool enabled = EffectiveEnabled();
  // The parent's background behind a shaped button.
  TKySetBackGround* parentBG = Parent() ? QueryBackground(this).Set : nullptr;
  if (parentBG) {
    PaintBackGround(canvas, client, *parentBG);
  } else {
    canvas.Brush()->SetStyle(bsSolid);
    canvas.Brush()->SetColor(Parent() ? Parent()->Color() : kClBtnFace);
    canvas.FillRect(client);
  }

  TKyMemoryImage* image = images_->ImageUp();
  TKySetBackGround* bg = bgs_->SetBGUp();
  if (enabled && pressed) {
    if (Present(images_->ImageDown())) image = images_->ImageDown();
    if (Present(bgs_->SetBGDown())) bg = bgs_->SetBGDown();
  }
  if (enabled && mouseInside_) {
    if (Present(images_->ImageOver()) && (!pressed || !Present(images_->ImageDown()))) image = images_->ImageOver();
    if (Present(bgs_->SetBGOver())) bg = bgs_->SetBGOver();
  }
  if (!enabled) {
    if (Present(images_->ImageDisabled())) image = images_->ImageDisabled();
    if (Present(bgs_->SetBGDisabled())) bg = bgs_->SetBGDisabled();
  }
  bg = ChooseBG(bg, SetBackGround());
  TRect body = client;
  if (style_ == btsShape) {
    if (shadow_ && enabled) {
      body = {client.Left, client.Top, client.Right - 2, client.Bottom - 2};
      TKyColor dark = LibraryColor("Dft_3DShadow");
      if (!pressed)
        PaintShape(canvas, Moved(body, 2, 2), spmFilled, 1, dark, pesClear, dark, brsSolid, shape_->Reflection(),
                   shape_->Shape(), shape_->Orientation());
    }
    TKyBevelShape source{shape_->Shape(), shape_->Orientation(), shape_->Reflection(), nullptr};
    PaintShapeBevel(canvas, body, shape_->BorderStyle(), source, pressed, bg);
  } else if (std::unique_ptr<TGraphic> picture = image->Graphic()) {
    int32_t shift = pressed && !Present(images_->ImageDown()) ? 1 : 0;
    canvas.Draw(client.Left + shift, client.Top + (client.Height() - picture->Height()) / 2 + shift, picture.get());
  }
  // The content inside the client deflated by 3.
  TRect content = Deflated(body, 3, 3);
  if (pressed) content = Moved(content, 1, 1);
  PaintImageAndCaption(canvas, content, *image_, *text_, Caption(), margin_, enabled, false, nullptr);
  if (OnPaint) OnPaint(this);
  // The marks: focus first, the default mark on a button without focus.
  if (focused && enabled) PaintMark(canvas, body, focusStyle_, colFocus_->Value());
  else if (IsActive() && enabled) PaintMark(canvas, body, defaultStyle_, colDefault_->Value());
}

void TKyCustomBitBtn::PaintMark(TCanvas& canvas, const TRect& client, TKyFocusStyle style, TKyColor colour) {
  if (style == fcsNone) return;
  int32_t inset = style == fcsInLine ? 1 : 2;
  TRect r = Deflated(client, inset, inset);
  TRegion region = ShapeRegion(r, shape_->Shape(), shape_->Orientation(), shape_->Reflection());
  switch (style) {
    case fcsNotGrid:
    case fcsColGrid: {
      if (!grid_ && style == fcsNotGrid) return;
      TClipRecall recall(canvas);
      canvas.IntersectClipRegion(region.Handle());
      canvas.Pen()->SetMode(style == fcsNotGrid ? pmNot : pmCopy);
      canvas.Pen()->SetColor(colour);
      canvas.Pen()->SetWidth(1);
      canvas.Pen()->SetStyle(psSolid);
      // Diagonals every second pixel.
      int32_t h = r.Height();
      for (int32_t d = -h; d < r.Width(); d += 2) {
        canvas.MoveTo(r.Left + d, r.Top);
        canvas.LineTo(r.Left + d + h, r.Top + h);
      }
      canvas.Pen()->SetMode(pmCopy);
      break;
    }
    case fcsInLine:
    case fcsOutLine:
    case fcsDouble: {
      int32_t n = style == fcsDouble ? 2 : 1;
      canvas.Brush()->SetStyle(bsSolid);
      canvas.Brush()->SetColor(colour);
      canvas.FrameRegion(region.Handle(), n, n);
      break;
    }
    default:
      break;
  }
}

void TKyBitBtn::Publish(TPublisher<TKyBitBtn>& p) {
  using C = TKyBitBtn;
  PublishBounds(p);
  p.Property("Hint", &C::Hint, &C::SetHint);
  p.Property("HelpContext", &C::HelpContext, &C::SetHelpContext).Default(0);
  p.Property("AlignVer", &C::AlignVer, &C::SetAlignVer).Default(alvTop);
  p.Property("AlignHor", &C::AlignHor, &C::SetAlignHor).Default(alhLeft);
  p.Property("Kind", &C::Kind, &C::SetKind).Default(bkiNone);
  p.Property("ModalResult", &C::ModalResult, &C::SetModalResult).Default(mrNone).Idents(ModalResultIdents());
  p.Property("Cancel", &C::Cancel, &C::SetCancel).Default(false);
  p.Property("Default", &C::Default, &C::SetDefault).Default(false);
  p.Property("UpdateValues", &C::UpdateValues, &C::SetUpdateValues).Default(true);
  p.Property("Style", &C::Style, &C::SetStyle).Default(btsShape);
  p.Property("Text", &C::Text);
  p.Property("BorderStyle", &C::BorderStyle, &C::SetBorderStyle).Default(bos3D);
  p.Property("SetBackGround", &C::SetBackGround);
  p.Property("Shadow", &C::Shadow, &C::SetShadow).Default(false);
  p.Property("Margin", &C::Margin, &C::SetMargin).Default(-1);
  p.Property("Image", &C::Image);
  p.Property("ImagesButton", &C::ImagesButton);
  p.Property("BGsButton", &C::BGsButton);
  p.Property("Caption", &C::Caption, &C::SetCaption);
  p.Property("CaptionId", &C::CaptionId);
  p.Property("Shape", &C::Shape);
  p.Property("Grid", &C::Grid, &C::SetGrid).Default(true);
  p.Property("FocusStyle", &C::FocusStyle, &C::SetFocusStyle).Default(fcsNotGrid);
  p.Property("DefaultStyle", &C::DefaultStyle, &C::SetDefaultStyle).Default(fcsInLine);
  p.Property("SetColFocus", &C::SetColFocus);
  p.Property("SetColDefault", &C::SetColDefault);
  p.Property("Privilege", &C::Privilege);
  p.Property("Visible", &C::Visible, &C::SetVisible).Default(true);
  p.Property("Enabled", &C::Enabled, &C::SetEnabled).Default(true);
  p.Property("TabStop", &C::TabStop, &C::SetTabStop).Default(false);
  p.Property("TabOrder", &C::TabOrder, &C::SetTabOrder);
  p.Event("OnPaint", &C::OnPaint);
  p.Event("OnClick", &C::OnClick);
  PublishFocusKeyEvents(p);
  p.Event("OnMouseDown", &C::OnMouseDown);
  p.Event("OnMouseMove", &C::OnMouseMove);
  p.Event("OnMouseUp", &C::OnMouseUp);
  PublishDragProperties(p);
  PublishPopupMenu(p);
  PublishDragEvents(p);
}

void RegisterButtonClasses() {
  RegisterClasses({&TKySpeedButton::StaticClass(), &TKyBitBtn::StaticClass()});
}

void TKyCustomBitBtn::PrintClient(HDC dc) {
  canvas_->Lock();
  canvas_->SetPaintHandle(dc);
  struct TEnd {
    TControlCanvas* c;
    ~TEnd() {
      c->SetPaintHandle(nullptr);
      c->Unlock();
    }
  } end{canvas_.get()};
  // The whole button, whatever part the platform asks for.
  PaintButton(*canvas_, TRect(0, 0, Width(), Height()), pressed_, Focused());
}
