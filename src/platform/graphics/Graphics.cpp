#include "platform/graphics/Graphics.h"

#include <cstring>

#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Scaling.h"
#include "platform/graphics/ScreenInfo.h"
#include "platform/os/WinApi.h"

int32_t ColorToRGB(TKyColor color) {
  if (KyIsSysColor(color)) return static_cast<int32_t>(GetSysColor(static_cast<int>(color & 0xFF)));
  if (color == kClNone || color == kClDefault) return 0;
  return color & 0x00FFFFFF;
}

// ---- TGraphicsObject ----

void TGraphicsObject::Changed() {
  if (OnChange) OnChange(this);
}

// ---- TFont ----

namespace {
int32_t DefaultPixelsPerInch() {
  static const int32_t ppi = ScreenLogPixelsY();
  return ppi;
}
}  // namespace

TFont::TFont() : pixelsPerInch_(DefaultPixelsPerInch()) {
  TKyFontData d;
  name_ = d.Name;
  height_ = d.Height;
  color_ = d.Color;
  charset_ = d.Charset;
  pitch_ = static_cast<TFontPitch>(d.Pitch);
}

TFont::~TFont() = default;

void TFont::Publish(TPublisher<TFont>& p) {
  TKyFontData d;
  p.Property("Charset", &TFont::Charset, &TFont::SetCharset).Default(d.Charset);
  p.Property("Color", &TFont::Color, &TFont::SetColor).Default(d.Color);
  p.Property("Height", &TFont::Height, &TFont::SetHeight);
  p.Property("Name", &TFont::Name, &TFont::SetName).Default(d.Name);
  p.Property("Pitch", &TFont::Pitch, &TFont::SetPitch).Default(fpDefault);
  // Read from older forms; Height is what is written.
  p.Property("Size", &TFont::Size, &TFont::SetSize).Stored(false);
  p.Property("Style", &TFont::Style, &TFont::SetStyle).Default(TFontStyles{});
}

void TFont::Assign(const TPersistent* source) {
  auto* src = dynamic_cast<const TFont*>(source);
  if (!src) {
    inherited::Assign(source);
    return;
  }
  if (src == this) return;
  bool same = name_ == src->name_ && height_ == src->height_ && style_ == src->style_ &&
              charset_ == src->charset_ && pitch_ == src->pitch_ && escapement_ == src->escapement_ &&
              orientation_ == src->orientation_ && quality_ == src->quality_;
  if (same && color_ == src->color_ && pixelsPerInch_ == src->pixelsPerInch_) return;
  name_ = src->name_;
  height_ = src->height_;
  style_ = src->style_;
  charset_ = src->charset_;
  pitch_ = src->pitch_;
  escapement_ = src->escapement_;
  orientation_ = src->orientation_;
  quality_ = src->quality_;
  color_ = src->color_;
  pixelsPerInch_ = src->pixelsPerInch_;
  if (same) {
    Changed();
    return;
  }
  handle_ = nullptr;
  Changed();
  // Share the source's font object rather than making an equal one.
  if (!handle_) {
    shared_ = src->shared_;
    handle_ = src->handle_;
  }
}

HFONT TFont::Handle() const {
  if (!handle_) {
    LOGFONTA lf{};
    lf.lfHeight = height_;
    lf.lfEscapement = escapement_;
    lf.lfOrientation = orientation_;
    lf.lfWeight = style_.Contains(fsBold) ? FW_BOLD : FW_NORMAL;
    lf.lfItalic = style_.Contains(fsItalic);
    lf.lfUnderline = style_.Contains(fsUnderline);
    lf.lfStrikeOut = style_.Contains(fsStrikeOut);
    lf.lfCharSet = static_cast<BYTE>(charset_);
    lf.lfOutPrecision = OUT_DEFAULT_PRECIS;
    lf.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    static const BYTE qualities[] = {DEFAULT_QUALITY, DRAFT_QUALITY, PROOF_QUALITY, NONANTIALIASED_QUALITY,
                                     ANTIALIASED_QUALITY, CLEARTYPE_QUALITY};
    lf.lfQuality = qualities[quality_];
    static const BYTE pitches[] = {DEFAULT_PITCH, VARIABLE_PITCH, FIXED_PITCH};
    lf.lfPitchAndFamily = pitches[pitch_];
    std::strncpy(lf.lfFaceName, name_.c_str(), LF_FACESIZE - 1);
    HFONT h = CreateFontIndirectA(&lf);
    if (!h) throw EOutOfResources("Cannot create the font \"" + name_ + "\"");
    shared_ = std::make_shared<TFontHandle>(h);
    handle_ = h;
  }
  return handle_;
}

void TFont::Changed() { inherited::Changed(); }

// Listeners (a canvas holding the old font selected) hear of the change
// before the font object goes: the old one stays alive in shared_ until the
// next Handle() or the last sharer lets go.
void TFont::Modify(bool dropsHandle) {
  if (dropsHandle) handle_ = nullptr;
  Changed();
  if (dropsHandle && !handle_) shared_.reset();
}

void TFont::SetName(const std::string& value) {
  if (value.empty() || value == name_) return;
  name_ = value;
  Modify(true);
}

void TFont::SetHeight(int32_t value) {
  if (value == height_) return;
  height_ = value;
  Modify(true);
}

int32_t TFont::Size() const { return -KyMulDiv(height_, 72, pixelsPerInch_); }

void TFont::SetSize(int32_t value) { SetHeight(-KyMulDiv(value, pixelsPerInch_, 72)); }

void TFont::SetPixelsPerInch(int32_t value) {
  if (value > 0) pixelsPerInch_ = value;
}

void TFont::SetStyle(TFontStyles value) {
  if (value == style_) return;
  style_ = value;
  Modify(true);
}

void TFont::SetColor(TKyColor value) {
  if (value == color_) return;
  color_ = value;
  Modify(false);
}

void TFont::SetCharset(int32_t value) {
  if (value == charset_) return;
  charset_ = value;
  Modify(true);
}

void TFont::SetPitch(TFontPitch value) {
  if (value == pitch_) return;
  pitch_ = value;
  Modify(true);
}

void TFont::SetEscapement(int32_t value) {
  if (value == escapement_) return;
  escapement_ = value;
  Modify(true);
}

void TFont::SetOrientation(int32_t value) {
  if (value == orientation_) return;
  orientation_ = value;
  Modify(true);
}

void TFont::SetQuality(TFontQuality value) {
  if (value == quality_) return;
  quality_ = value;
  Modify(true);
}

TKyFontData TFont::Data() const {
  TKyFontData d;
  d.Name = name_;
  d.Charset = charset_;
  d.Pitch = pitch_;
  d.Height = height_;
  d.Bold = style_.Contains(fsBold);
  d.Italic = style_.Contains(fsItalic);
  d.Underline = style_.Contains(fsUnderline);
  d.StrikeOut = style_.Contains(fsStrikeOut);
  d.Color = color_;
  return d;
}

void TFont::SetData(const TKyFontData& data) {
  TFontStyles style;
  if (data.Bold) style.Include(fsBold);
  if (data.Italic) style.Include(fsItalic);
  if (data.Underline) style.Include(fsUnderline);
  if (data.StrikeOut) style.Include(fsStrikeOut);
  TFontPitch pitch = data.Pitch >= fpDefault && data.Pitch <= fpFixed ? static_cast<TFontPitch>(data.Pitch) : fpDefault;
  std::string name = data.Name.empty() ? name_ : data.Name;
  bool same = name == name_ && data.Charset == charset_ && pitch == pitch_ && data.Height == height_ && style == style_;
  if (same && data.Color == color_) return;
  name_ = name;
  charset_ = data.Charset;
  pitch_ = pitch;
  height_ = data.Height;
  style_ = style;
  color_ = data.Color;
  Modify(!same);
}

// ---- TPen ----

TPen::TPen() = default;
TPen::~TPen() = default;

void TPen::Publish(TPublisher<TPen>& p) {
  p.Property("Color", &TPen::Color, &TPen::SetColor).Default(kClBlack);
  p.Property("Mode", &TPen::Mode, &TPen::SetMode).Default(pmCopy);
  p.Property("Style", &TPen::Style, &TPen::SetStyle).Default(psSolid);
  p.Property("Width", &TPen::Width, &TPen::SetWidth).Default(1);
}

void TPen::Assign(const TPersistent* source) {
  auto* src = dynamic_cast<const TPen*>(source);
  if (!src) {
    inherited::Assign(source);
    return;
  }
  if (src == this) return;
  bool same = color_ == src->color_ && width_ == src->width_ && style_ == src->style_;
  if (same && mode_ == src->mode_) return;
  color_ = src->color_;
  width_ = src->width_;
  style_ = src->style_;
  mode_ = src->mode_;
  if (same) {
    Changed();
    return;
  }
  handle_ = nullptr;
  Changed();
  if (!handle_) {
    shared_ = src->shared_;
    handle_ = src->handle_;
  }
}

HPEN TPen::Handle() const {
  if (!handle_) {
    static const int styles[] = {PS_SOLID, PS_DASH, PS_DOT, PS_DASHDOT, PS_DASHDOTDOT, PS_NULL, PS_INSIDEFRAME};
    HPEN h = CreatePen(styles[style_], width_, static_cast<COLORREF>(ColorToRGB(color_)));
    if (!h) throw EOutOfResources("Cannot create a pen");
    shared_ = std::make_shared<TPenHandle>(h);
    handle_ = h;
  }
  return handle_;
}

void TPen::Changed() { inherited::Changed(); }

void TPen::Modify(bool dropsHandle) {
  if (dropsHandle) handle_ = nullptr;
  Changed();
  if (dropsHandle && !handle_) shared_.reset();
}

void TPen::SetColor(TKyColor value) {
  if (value == color_) return;
  color_ = value;
  Modify(true);
}

void TPen::SetWidth(int32_t value) {
  if (value < 1) value = 1;
  if (value == width_) return;
  width_ = value;
  Modify(true);
}

void TPen::SetStyle(TPenStyle value) {
  if (value == style_) return;
  style_ = value;
  Modify(true);
}

void TPen::SetMode(TPenMode value) {
  if (value == mode_) return;
  mode_ = value;
  Modify(false);
}

// ---- TBrush ----

TBrush::TBrush() = default;
TBrush::~TBrush() = default;

void TBrush::Publish(TPublisher<TBrush>& p) {
  p.Property("Color", &TBrush::Color, &TBrush::SetColor).Default(kClWhite);
  p.Property("Style", &TBrush::Style, &TBrush::SetStyle).Default(bsSolid);
}

void TBrush::Assign(const TPersistent* source) {
  auto* src = dynamic_cast<const TBrush*>(source);
  if (!src) {
    inherited::Assign(source);
    return;
  }
  if (src == this) return;
  if (color_ == src->color_ && style_ == src->style_ && bitmap_ == src->bitmap_) return;
  color_ = src->color_;
  style_ = src->style_;
  bitmap_ = src->bitmap_;
  handle_ = nullptr;
  Changed();
  if (!handle_) {
    shared_ = src->shared_;
    handle_ = src->handle_;
  }
}

HBRUSH TBrush::Handle() const {
  if (!handle_) {
    HBRUSH h = nullptr;
    if (bitmap_ && !bitmap_->Empty()) {
      h = CreatePatternBrush(bitmap_->Handle());
    } else {
      LOGBRUSH lb{};
      lb.lbColor = static_cast<COLORREF>(ColorToRGB(color_));
      switch (style_) {
        case bsSolid: lb.lbStyle = BS_SOLID; break;
        case bsClear: lb.lbStyle = BS_NULL; break;
        default: {
          static const int hatches[] = {HS_HORIZONTAL, HS_VERTICAL, HS_FDIAGONAL, HS_BDIAGONAL, HS_CROSS,
                                        HS_DIAGCROSS};
          lb.lbStyle = BS_HATCHED;
          lb.lbHatch = static_cast<ULONG_PTR>(hatches[style_ - bsHorizontal]);
        }
      }
      h = CreateBrushIndirect(&lb);
    }
    if (!h) throw EOutOfResources("Cannot create a brush");
    shared_ = std::make_shared<TBrushHandle>(h);
    handle_ = h;
  }
  return handle_;
}

void TBrush::Changed() { inherited::Changed(); }

void TBrush::Modify() {
  handle_ = nullptr;
  Changed();
  if (!handle_) shared_.reset();
}

void TBrush::SetColor(TKyColor value) {
  if (value == color_) return;
  color_ = value;
  if (value == kClNone) style_ = bsClear;
  else if (style_ == bsClear) style_ = bsSolid;
  Modify();
}

void TBrush::SetStyle(TBrushStyle value) {
  if (value == style_) return;
  style_ = value;
  Modify();
}

void TBrush::SetBitmap(TBitmap* value) {
  if (value == bitmap_) return;
  bitmap_ = value;
  Modify();
}
