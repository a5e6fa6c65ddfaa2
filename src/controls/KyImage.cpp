#include "controls/KyImage.h"

#include "controls/RegisterControls.h"
#include "platform/base/Exception.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Jpeg.h"
#include "platform/windows/Messages.h"
#include "platform/windows/Publish.h"
#include "skin/Fills.h"
#include "skin/Shapes.h"

// ---- TKyImageImage ----

TKyImageImage::TKyImageImage(TPersistent* owner) : TKyBasicImage(owner, 0, 0) { SetTransparent(false); }

void TKyImageImage::CopyFrom(const TKyBlock& source) {
  TKyBasicImage::CopyFrom(source);
  if (auto* src = dynamic_cast<const TKyImageImage*>(&source)) quality_ = src->quality_;
}

void TKyImageImage::Publish(TPublisher<TKyImageImage>& p) {
  using I = TKyImageImage;
  p.Property("Width", &I::Width, &I::SetWidth).Default(0);
  p.Property("Height", &I::Height, &I::SetHeight).Default(0);
  p.Property("Stretch", &I::Stretch, &I::SetStretch).Default(false);
  p.Property("Transparent", &I::Transparent, &I::SetTransparent).Default(false);
  p.Property("Quality", &I::Quality, &I::SetQuality).Default(qugMiddle);
}

// ---- TKyCustomImage ----

TKyCustomImage::TKyCustomImage(TComponent* owner)
    : TGraphicControl(owner), link_(this, kLinkControl), innerLabel_(new TKySingleLabel(this)) {
  SetBounds(0, 0, 105, 105);
  picture_ = std::make_unique<TKyPicture>();
  picture_->OnChange = [this](TObject*) { PictureChanged(); };
  image_ = std::make_unique<TKyImageImage>(this);
  image_->OnChange = [this](TObject*) {
    ApplyQuality();
    Invalidate();
  };
  background_ = std::make_unique<TKySetBackGround>(this);
  background_->OnChange = [this](TKySetObject*) { Invalidate(); };
  iLabel_ = std::make_unique<TKyPanelILabel>(this, innerLabel_);
  iLabel_->OnChange = [this](TKyILabel*) {
    if (!link_.IsBusy()) iLabel_->Update();
  };
  captionId_ = std::make_unique<TKyMemoryLabel>(this);
  captionId_->OnChange = [this](TKyMemoryReference*) { RefreshFromConfig(); };
  privilege_ = std::make_unique<TKyPrivilege>(this);
  privilege_->OnChange = [this](TKyPrivilege*) { RefreshFromConfig(); };
  link_.OnLoaded = [this] {
    RefreshFromConfig();
    placement_.Record(*this);
  };
  SetOpaque(true);
}

TKyCustomImage::~TKyCustomImage() = default;

void TKyCustomImage::SetPicture(const TPicture* value) { picture_->Assign(value); }

void TKyCustomImage::SetGraphicClass(const std::string& value) {
  const TClassInfo* cls = value.empty() ? nullptr : FindGraphicClass(value);
  graphicClass_ = cls ? cls->Name() : std::string();
  // The picture keeps the class: stored data without a class name of its
  // own reads as this one.
  picture_->SetGraphicClass(cls);
  Invalidate();
}

void TKyCustomImage::SetAutoDetect(bool value) {
  autoDetect_ = value;
  Invalidate();
}

void TKyCustomImage::LoadFromStream(TStream& stream) {
  std::string cls = autoDetect_ || graphicClass_.empty() ? std::string() : graphicClass_;
  try {
    TPicture decoded;
    decoded.LoadFromStream(stream, cls);
    // Decoded now, not at the first paint: a damaged JPEG fails here.
    if (auto* jpeg = dynamic_cast<TJPEGImage*>(decoded.Graphic())) {
      if (incrementalDisplay_) {
        // Shown as it decodes, row band by row band.
        jpeg->OnProgress = [this](TBitmap& partial, int32_t done, int32_t rows) {
          partial_ = &partial;
          struct TForget {
            TBitmap*& p;
            ~TForget() { p = nullptr; }
          } forget{partial_};
          if (OnProgress) OnProgress(this, done < rows ? 1 : 2, rows > 0 ? done * 100 / rows : 100);
          Repaint();
        };
      }
      struct TQuiet {
        TJPEGImage* j;
        ~TQuiet() { j->OnProgress = nullptr; }
      } quiet{jpeg};
      jpeg->Bitmap();
    }
    picture_->Assign(&decoded);
  } catch (const Exception& e) {
    Clear();
    throw Exception(Name().empty() ? std::string(e.what()) : Name() + ": " + e.what());
  }
}

void TKyCustomImage::LoadFromBytes(const std::vector<uint8_t>& bytes) {
  TMemoryStream stream(bytes);
  LoadFromStream(stream);
}

void TKyCustomImage::Clear() { picture_->Assign(nullptr); }

void TKyCustomImage::ApplyQuality() {
  auto* jpeg = dynamic_cast<TJPEGImage*>(picture_->Graphic());
  if (!jpeg) return;
  // Quality chooses the decoder's scale and its speed against its care.
  static constexpr TJPEGScale kScale[] = {jsFullSize, jsFullSize, jsHalf, jsQuarter};
  TKyQualityGraphic q = image_->Quality();
  if (jpeg->Scale() != kScale[q]) jpeg->SetScale(kScale[q]);
  TJPEGPerformance performance = q == qugHigh ? jpBestQuality : jpBestSpeed;
  if (jpeg->Performance() != performance) jpeg->SetPerformance(performance);
}

void TKyCustomImage::PictureChanged() {
  ApplyQuality();
  ApplyAutoSize();
  Invalidate();
  UpdateLoadedState();
}

void TKyCustomImage::UpdateLoadedState() {
  if (OnProgress && incrementalDisplay_) OnProgress(this, 2, 100);
}

void TKyCustomImage::SetBorderStyle(TKyImageBorderStyle value) {
  if (value == borderStyle_) return;
  borderStyle_ = value;
  ApplyAutoSize();
  Invalidate();
}

void TKyCustomImage::SetShadow(bool value) {
  if (value == shadow_) return;
  shadow_ = value;
  ApplyAutoSize();
  Invalidate();
}

void TKyCustomImage::SetAutoSize(bool value) {
  autoSize_ = value;
  ApplyAutoSize();
}

void TKyCustomImage::SetTransparent(bool value) {
  if (value == transparent_) return;
  transparent_ = value;
  SetOpaque(!value);
  Invalidate();
}

// Only an opaque image keeps its parent from painting below it.
void TKyCustomImage::SetOpaque(bool opaque) {
  TControlStyle style = ControlStyle();
  if (opaque) style.Include(csOpaque);
  else style.Exclude(csOpaque);
  SetControlStyle(style);
}

void TKyCustomImage::ApplyAutoSize() {
  if (!autoSize_ || Align() != alNone || IsLoading() || !picture_->Graphic()) return;
  int32_t extra = (FrameWidth() + 1) * 2 + (shadow_ ? kShadowSize : 0);
  SetBounds(Left(), Top(), picture_->Width() + extra, picture_->Height() + extra);
}

// ---- State and placement ----

bool TKyCustomImage::EffectiveEnabled() const { return privilege_->AllowsEnabled(enabledRequest_); }

bool TKyCustomImage::EffectiveVisible() const { return IsDesigning() || privilege_->AllowsVisible(visibleRequest_); }

void TKyCustomImage::SetVisible(bool value) {
  visibleRequest_ = value;
  TControl::SetVisible(EffectiveVisible());
  if (iLabel_ && !IsDestroying()) iLabel_->Update();
}

void TKyCustomImage::SetEnabled(bool value) {
  enabledRequest_ = value;
  TControl::SetEnabled(EffectiveEnabled());
  Invalidate();
}

void TKyCustomImage::SetAlignHor(TKyAlignHor value) {
  if (value == alignHor_) return;
  alignHor_ = value;
  if (!link_.IsBusy()) AlignInParent(*this, placement_, alignHor_, false, false, alignVer_);
}

void TKyCustomImage::SetAlignVer(TKyAlignVer value) {
  if (value == alignVer_) return;
  alignVer_ = value;
  if (!link_.IsBusy()) AlignInParent(*this, placement_, alignHor_, false, false, alignVer_);
}

void TKyCustomImage::RefreshFromConfig() {
  if (IsDestroying()) return;
  privilege_->Update();
  TControl::SetVisible(EffectiveVisible());
  TControl::SetEnabled(EffectiveEnabled());
  if (captionId_->Resolve()) {
    innerLabel_->SetValue(Variant(captionId_->Caption()));
    SetHint(captionId_->Hint());
  }
  iLabel_->Update();
  Invalidate();
}

void TKyCustomImage::SetParent(TWinControl* parent) {
  TGraphicControl::SetParent(parent);
  if (iLabel_ && !IsDestroying()) iLabel_->Update();
}

void TKyCustomImage::Resize() {
  TGraphicControl::Resize();
  if (iLabel_) iLabel_->Place();
}

void TKyCustomImage::Loaded() {
  TGraphicControl::Loaded();
  ApplyQuality();
  ApplyAutoSize();
}

void TKyCustomImage::WndProc(TMessage& m) {
  if (m.Msg == KyMessageMaster() && KyMessageMaster() != 0) {
    if (static_cast<int32_t>(m.WParam) == kMmRealign) AlignInParent(*this, placement_, alignHor_, false, false, alignVer_);
    return;
  }
  TGraphicControl::WndProc(m);
}

// ---- Value object protocol ----

bool TKyCustomImage::StartEdit() {
  bool allow = EffectiveEnabled() && !readOnly_;
  if (allow && OnCanModify) OnCanModify(this, allow);
  if (!allow) return false;
  if (!editing_) {
    editing_ = true;
    if (OnStartEdit) OnStartEdit(this);
  }
  return true;
}

// ---- Painting ----

// The double frames take two pixels: the background starts inside both.
int32_t TKyCustomImage::FrameWidth() const {
  switch (borderStyle_) {
    case ibsNone: return 0;
    case ibs3DTopBottom:
    case ibs3DBottomTop: return 2;
    default: return 1;
  }
}

TRect TKyCustomImage::PictureRect() const {
  TRect r(0, 0, Width(), Height());
  if (shadow_) {
    r.Right -= kShadowSize;
    r.Bottom -= kShadowSize;
  }
  int32_t inset = FrameWidth() + 1;
  return r.Inflate(-inset, -inset);
}

void TKyCustomImage::DrawFrame(TCanvas& canvas, TRect& r) const {
  TKyColor light = LibraryDefaultColor("Dft_3DLight"), dark = LibraryDefaultColor("Dft_3DShadow");
  auto frame = [&](bool down) { Frame3DRect(canvas, r, light, down, dark); };
  switch (borderStyle_) {
    case ibsNone:
      if (IsDesigning()) {
        canvas.Pen()->SetStyle(psDash);
        canvas.Pen()->SetColor(kClBlack);
        canvas.Brush()->SetStyle(bsClear);
        canvas.Rectangle(r);
      }
      return;
    case ibsSingle: {
      TKyColor c = static_cast<TKyColor>(kClWindowFrame);
      Frame3DRect(canvas, r, c, false, c);
      break;
    }
    case ibs3DTop: frame(false); break;
    case ibs3DBottom: frame(true); break;
    case ibs3DTopBottom:
      frame(false);
      r = r.Inflate(-1, -1);
      frame(true);
      break;
    case ibs3DBottomTop:
      frame(true);
      r = r.Inflate(-1, -1);
      frame(false);
      break;
  }
  r = r.Inflate(-1, -1);
}

void TKyCustomImage::Paint() {
  TCanvas& canvas = *Canvas();
  TRect r(0, 0, Width(), Height());
  if (shadow_) r = PaintDropShadow(canvas, r);
  DrawFrame(canvas, r);
  if (!transparent_) PaintBackGround(canvas, r, *background_);
  r = r.Inflate(-1, -1);
  TGraphic* shown = partial_ ? static_cast<TGraphic*>(partial_) : picture_->Graphic();
  if (TGraphic* graphic = shown; graphic && !graphic->Empty()) {
    graphic->SetTransparent(image_->Transparent());
    TRect target = r;
    if (!image_->Stretch()) target = TRect(r.Left, r.Top, r.Left + graphic->Width(), r.Top + graphic->Height());
    TClipRecall recall(canvas);
    canvas.IntersectClipRect(r);
    try {
      canvas.StretchDraw(target, graphic);
    } catch (const Exception&) {
      // A picture that fails while drawing shows nothing; loading reported it.
    }
  }
  PaintExtra(canvas);
  PaintOverlay(canvas);
  PaintResult();
}

// ---- Publishing ----

void TKyImage::Publish(TPublisher<TKyImage>& p) {
  using I = TKyImage;
  PublishBounds(p);
  p.Property("Cursor", &I::Cursor, &I::SetCursor).Default(crDefault).Idents(CursorIdents());
  p.Property("Hint", &I::Hint, &I::SetHint);
  p.Property("Align", &I::Align, &I::SetAlign).Default(alNone);
  p.Property("AlignHor", &I::AlignHor, &I::SetAlignHor).Default(alhLeft);
  p.Property("AlignVer", &I::AlignVer, &I::SetAlignVer).Default(alvTop);
  p.Property("AutoDetect", &I::AutoDetect, &I::SetAutoDetect).Default(true);
  p.Property("GraphicClass", &I::GraphicClass, &I::SetGraphicClass);
  p.Property("Picture", &I::Picture);
  p.Property("IncrementalDisplay", &I::IncrementalDisplay, &I::SetIncrementalDisplay).Default(false);
  p.Property("RegistryDirectory", &I::RegistryDirectory, &I::SetRegistryDirectory);
  p.Property("Image", &I::Image);
  p.Property("ILabel", &I::ILabel);
  p.Property("CaptionId", &I::CaptionId);
  p.Property("SetBackGround", &I::SetBackGround);
  p.Property("BorderStyle", &I::BorderStyle, &I::SetBorderStyle).Default(ibs3DTopBottom);
  p.Property("Shadow", &I::Shadow, &I::SetShadow).Default(false);
  p.Property("AutoSize", &I::AutoSize, &I::SetAutoSize).Default(false);
  p.Property("Transparent", &I::Transparent, &I::SetTransparent).Default(false);
  p.Property("Privilege", &I::Privilege);
  p.Property("Visible", &I::Visible, &I::SetVisible).Default(true);
  p.Property("Enabled", &I::Enabled, &I::SetEnabled).Default(true);
  p.Property("ReadOnly", &I::ReadOnly, &I::SetReadOnly).Default(false);
  p.Event("OnStartEdit", &I::OnStartEdit);
  p.Event("OnCanModify", &I::OnCanModify);
  p.Event("OnProgress", &I::OnProgress);
  PublishMouseEvents(p);
  PublishPopupMenu(p);
  PublishDragEvents(p);
}

// ---- TKyImageBlob ----

bool TKyImageBlob::Edit() { return image_ && image_->StartEdit(); }

void TKyImageBlob::Clear() {
  if (Edit()) image_->Clear();
}

bool TKyImageBlob::IsEmpty() const {
  return !image_ || !image_->Picture()->Graphic() || image_->Picture()->Graphic()->Empty();
}

void TKyImageBlob::Assign(const TPersistent* source) {
  if (!Edit()) return;
  if (auto* blob = dynamic_cast<const TKyImageBlob*>(source)) {
    image_->SetPicture(blob->image_ ? blob->image_->Picture() : nullptr);
    return;
  }
  if (!source || dynamic_cast<const TPicture*>(source) || dynamic_cast<const TGraphic*>(source)) {
    image_->Picture()->Assign(source);
    return;
  }
  TKyBlob::Assign(source);
}

void TKyImageBlob::AssignTo(TPersistent* dest) const {
  if (auto* picture = dynamic_cast<TPicture*>(dest)) {
    picture->Assign(image_ ? image_->Picture() : nullptr);
    return;
  }
  TKyBlob::AssignTo(dest);
}

void TKyImageBlob::LoadFromStream(TStream& stream) {
  if (Edit()) image_->LoadFromStream(stream);
}

void TKyImageBlob::SaveToStream(TStream& stream) {
  if (image_ && image_->Picture()->Graphic()) image_->Picture()->Graphic()->SaveToStream(stream);
}

void RegisterImageClasses() { RegisterClasses({&TKyImage::StaticClass()}); }
