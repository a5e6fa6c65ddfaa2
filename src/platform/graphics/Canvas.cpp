#include "platform/graphics/Canvas.h"


#include "platform/graphics/Graphic.h"
#include "platform/graphics/TextFlags.h"
#include "platform/os/WinApi.h"

static_assert(kDtLeft == DT_LEFT && kDtWordBreak == DT_WORDBREAK && kDtSingleLine == DT_SINGLELINE &&
              kDtCalcRect == DT_CALCRECT && kDtNoPrefix == DT_NOPREFIX);

static_assert(sizeof(TPoint) == sizeof(POINT) && sizeof(TRect) == sizeof(RECT) && sizeof(TSize) == sizeof(SIZE));

namespace {
const RECT* AsRect(const TRect& r) { return reinterpret_cast<const RECT*>(&r); }
RECT* AsRect(TRect& r) { return reinterpret_cast<RECT*>(&r); }
const POINT* AsPoints(const TPoint* p) { return reinterpret_cast<const POINT*>(p); }

// Brackets one drawing call with OnChanging / OnChanged.
class TChangeScope {
public:
  TChangeScope(TCanvas& canvas, void (TCanvas::*changing)(), void (TCanvas::*changed)())
      : canvas_(canvas), changed_(changed) {
    (canvas.*changing)();
  }
  ~TChangeScope() { (canvas_.*changed_)(); }

private:
  TCanvas& canvas_;
  void (TCanvas::*changed_)();
};
}  // namespace

TPaintLock& GlobalPaintLock() {
  static TPaintLock lock;
  return lock;
}

TCanvas::TCanvas() : font_(std::make_unique<TFont>()), pen_(std::make_unique<TPen>()), brush_(std::make_unique<TBrush>()) {
  font_->OnChange = [this](TObject*) { FontChanged(); };
  pen_->OnChange = [this](TObject*) { PenChanged(); };
  brush_->OnChange = [this](TObject*) { BrushChanged(); };
}

TCanvas::~TCanvas() {
  if (dc_) DeselectHandles();
}

HDC TCanvas::Handle() {
  if (!dc_) CreateHandle();
  if (!dc_) throw EInvalidGraphicOperation("Canvas does not allow drawing");
  return dc_;
}

void TCanvas::SetHandle(HDC dc) {
  if (dc == dc_) return;
  if (dc_) DeselectHandles();
  dc_ = dc;
  state_ = 0;
}

void TCanvas::DeselectHandles() {
  if (!dc_) return;
  if (oldFont_) SelectObject(dc_, oldFont_);
  if (oldPen_) SelectObject(dc_, oldPen_);
  if (oldBrush_) SelectObject(dc_, oldBrush_);
  oldFont_ = oldPen_ = oldBrush_ = nullptr;
  state_ = 0;
}

void TCanvas::RequiredState(uint8_t state) {
  HDC dc = Handle();
  uint8_t need = state & ~state_;
  if (!need) return;
  if (need & stFont) {
    HGDIOBJ old = SelectObject(dc, font_->Handle());
    if (!oldFont_) oldFont_ = old;
    SetTextColor(dc, static_cast<COLORREF>(ColorToRGB(font_->Color())));
  }
  if (need & stPen) {
    HGDIOBJ old = SelectObject(dc, pen_->Handle());
    if (!oldPen_) oldPen_ = old;
    SetROP2(dc, static_cast<int>(pen_->Mode()) + R2_BLACK);
  }
  if (need & stBrush) {
    HBRUSH h = brush_->Handle();
    UnrealizeObject(h);
    HGDIOBJ old = SelectObject(dc, h);
    if (!oldBrush_) oldBrush_ = old;
    COLORREF rgb = static_cast<COLORREF>(ColorToRGB(brush_->Color()));
    if (brush_->Style() == bsSolid && !brush_->Bitmap()) {
      SetBkColor(dc, rgb);
      SetBkMode(dc, OPAQUE);
    } else {
      // Hatch gaps and text over a clear brush let the background through.
      SetBkColor(dc, ~rgb & 0x00FFFFFF);
      SetBkMode(dc, TRANSPARENT);
    }
  }
  state_ |= need;
}

// The selected object may be deleted right after this returns: put the DC's
// own one back first.
void TCanvas::FontChanged() {
  if ((state_ & stFont) && dc_) {
    SelectObject(dc_, oldFont_);
    oldFont_ = nullptr;
  }
  state_ &= ~stFont;
}

void TCanvas::PenChanged() {
  if ((state_ & stPen) && dc_) {
    SelectObject(dc_, oldPen_);
    oldPen_ = nullptr;
  }
  state_ &= ~stPen;
}

void TCanvas::BrushChanged() {
  if ((state_ & stBrush) && dc_) {
    SelectObject(dc_, oldBrush_);
    oldBrush_ = nullptr;
  }
  state_ &= ~stBrush;
}

void TCanvas::Changing() {
  if (OnChanging) OnChanging(this);
}

void TCanvas::Changed() {
  if (OnChange) OnChange(this);
}

#define KY_CHANGE_SCOPE TChangeScope scope_(*this, &TCanvas::Changing, &TCanvas::Changed)

TPoint TCanvas::PenPos() {
  POINT p{};
  GetCurrentPositionEx(Handle(), &p);
  return {p.x, p.y};
}

void TCanvas::MoveTo(int32_t x, int32_t y) { MoveToEx(Handle(), x, y, nullptr); }

void TCanvas::LineTo(int32_t x, int32_t y) {
  KY_CHANGE_SCOPE;
  RequiredState(stPen | stBrush);
  ::LineTo(dc_, x, y);
}

void TCanvas::Rectangle(int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
  KY_CHANGE_SCOPE;
  RequiredState(stPen | stBrush);
  ::Rectangle(dc_, x1, y1, x2, y2);
}

void TCanvas::RoundRect(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t cornerWidth, int32_t cornerHeight) {
  KY_CHANGE_SCOPE;
  RequiredState(stPen | stBrush);
  ::RoundRect(dc_, x1, y1, x2, y2, cornerWidth, cornerHeight);
}

void TCanvas::Ellipse(int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
  KY_CHANGE_SCOPE;
  RequiredState(stPen | stBrush);
  ::Ellipse(dc_, x1, y1, x2, y2);
}

void TCanvas::Polygon(const TPoint* points, int count) {
  if (count < 2) return;
  KY_CHANGE_SCOPE;
  RequiredState(stPen | stBrush);
  ::Polygon(dc_, AsPoints(points), count);
}

void TCanvas::Polyline(const TPoint* points, int count) {
  if (count < 2) return;
  KY_CHANGE_SCOPE;
  RequiredState(stPen | stBrush);
  ::Polyline(dc_, AsPoints(points), count);
}

void TCanvas::Arc(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t x3, int32_t y3, int32_t x4, int32_t y4) {
  KY_CHANGE_SCOPE;
  RequiredState(stPen | stBrush);
  ::Arc(dc_, x1, y1, x2, y2, x3, y3, x4, y4);
}

void TCanvas::Pie(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t x3, int32_t y3, int32_t x4, int32_t y4) {
  KY_CHANGE_SCOPE;
  RequiredState(stPen | stBrush);
  ::Pie(dc_, x1, y1, x2, y2, x3, y3, x4, y4);
}

void TCanvas::Chord(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t x3, int32_t y3, int32_t x4, int32_t y4) {
  KY_CHANGE_SCOPE;
  RequiredState(stPen | stBrush);
  ::Chord(dc_, x1, y1, x2, y2, x3, y3, x4, y4);
}

void TCanvas::DrawFocusRect(const TRect& rect) {
  RECT r{rect.Left, rect.Top, rect.Right, rect.Bottom};
  ::DrawFocusRect(Handle(), &r);
}

void TCanvas::FillRect(const TRect& rect) {
  KY_CHANGE_SCOPE;
  RequiredState(stBrush);
  ::FillRect(dc_, AsRect(rect), brush_->Handle());
}

void TCanvas::FrameRect(const TRect& rect) {
  KY_CHANGE_SCOPE;
  RequiredState(stBrush);
  ::FrameRect(dc_, AsRect(rect), brush_->Handle());
}

void TCanvas::FillRegion(HRGN region) {
  KY_CHANGE_SCOPE;
  RequiredState(stBrush);
  FillRgn(dc_, region, brush_->Handle());
}

void TCanvas::FrameRegion(HRGN region, int32_t width, int32_t height) {
  KY_CHANGE_SCOPE;
  RequiredState(stBrush);
  FrameRgn(dc_, region, brush_->Handle(), width, height);
}

void TCanvas::TextOut(int32_t x, int32_t y, const std::string& text) {
  KY_CHANGE_SCOPE;
  RequiredState(stFont | stBrush);
  TextOutA(dc_, x, y, text.data(), static_cast<int>(text.size()));
}

void TCanvas::TextRect(const TRect& rect, int32_t x, int32_t y, const std::string& text) {
  KY_CHANGE_SCOPE;
  RequiredState(stFont | stBrush);
  UINT options = ETO_CLIPPED;
  if (brush_->Style() == bsSolid && !brush_->Bitmap()) options |= ETO_OPAQUE;
  ExtTextOutA(dc_, x, y, options, AsRect(rect), text.data(), static_cast<UINT>(text.size()), nullptr);
}

int32_t TCanvas::TextRect(TRect& rect, const std::string& text, uint32_t drawTextFlags) {
  KY_CHANGE_SCOPE;
  RequiredState(stFont | stBrush);
  // DT_MODIFYSTRING may write into the text: give it a copy with room.
  std::string buffer = text;
  buffer.append(4, '\0');
  return DrawTextA(dc_, buffer.data(), static_cast<int>(text.size()), AsRect(rect), drawTextFlags);
}

TSize TCanvas::TextExtent(const std::string& text) {
  RequiredState(stFont);
  SIZE s{};
  GetTextExtentPoint32A(dc_, text.data(), static_cast<int>(text.size()), &s);
  return {s.cx, s.cy};
}

TKyTextMetrics TCanvas::TextMetrics() {
  RequiredState(stFont);
  TEXTMETRICA tm{};
  TKyTextMetrics m;
  if (!GetTextMetricsA(dc_, &tm)) return m;
  m.Height = tm.tmHeight;
  m.Ascent = tm.tmAscent;
  m.Descent = tm.tmDescent;
  m.InternalLeading = tm.tmInternalLeading;
  m.ExternalLeading = tm.tmExternalLeading;
  m.AveCharWidth = tm.tmAveCharWidth;
  m.MaxCharWidth = tm.tmMaxCharWidth;
  m.Weight = tm.tmWeight;
  m.Overhang = tm.tmOverhang;
  m.Italic = tm.tmItalic != 0;
  m.PitchAndFamily = tm.tmPitchAndFamily;
  return m;
}

TKyCharABC TCanvas::CharABC(char ch) {
  RequiredState(stFont);
  UINT code = static_cast<unsigned char>(ch);
  ABC abc{};
  if (GetCharABCWidthsA(dc_, code, code, &abc)) return {abc.abcA, static_cast<int32_t>(abc.abcB), abc.abcC};
  SIZE s{};
  GetTextExtentPoint32A(dc_, &ch, 1, &s);
  return {0, s.cx, 0};
}

void TCanvas::Draw(int32_t x, int32_t y, TGraphic* graphic) {
  if (!graphic || graphic->Empty()) return;
  KY_CHANGE_SCOPE;
  Handle();
  graphic->Draw(*this, TRect::Bounds(x, y, graphic->Width(), graphic->Height()));
}

void TCanvas::StretchDraw(const TRect& rect, TGraphic* graphic) {
  if (!graphic || graphic->Empty()) return;
  KY_CHANGE_SCOPE;
  Handle();
  graphic->Draw(*this, rect);
}

void TCanvas::CopyRect(const TRect& dest, TCanvas& source, const TRect& srcRect) {
  KY_CHANGE_SCOPE;
  RequiredState(stFont | stBrush);
  HDC src = source.Handle();
  if (dest.Width() == srcRect.Width() && dest.Height() == srcRect.Height()) {
    BitBlt(dc_, dest.Left, dest.Top, dest.Width(), dest.Height(), src, srcRect.Left, srcRect.Top, copyMode_);
    return;
  }
  int oldMode = SetStretchBltMode(dc_, COLORONCOLOR);
  StretchBlt(dc_, dest.Left, dest.Top, dest.Width(), dest.Height(), src, srcRect.Left, srcRect.Top, srcRect.Width(),
             srcRect.Height(), copyMode_);
  if (oldMode) SetStretchBltMode(dc_, oldMode);
}

TKyColor TCanvas::Pixels(int32_t x, int32_t y) {
  COLORREF c = GetPixel(Handle(), x, y);
  return c == CLR_INVALID ? kClNone : static_cast<TKyColor>(c);
}

void TCanvas::SetPixels(int32_t x, int32_t y, TKyColor color) {
  KY_CHANGE_SCOPE;
  SetPixelV(Handle(), x, y, static_cast<COLORREF>(ColorToRGB(color)));
}

TRect TCanvas::ClipRect() {
  TRect r;
  GetClipBox(Handle(), AsRect(r));
  return r;
}

void TCanvas::SetClipRect(const TRect& rect) {
  TRegionHandle region(CreateRectRgn(rect.Left, rect.Top, rect.Right, rect.Bottom));
  if (!region) throw EOutOfResources("Cannot create a region");
  SelectClipRgn(Handle(), region.Get());
}

void TCanvas::SetClipRegion(HRGN region) { SelectClipRgn(Handle(), region); }

void TCanvas::IntersectClipRect(const TRect& rect) {
  ::IntersectClipRect(Handle(), rect.Left, rect.Top, rect.Right, rect.Bottom);
}

void TCanvas::ExcludeClipRect(const TRect& rect) {
  ::ExcludeClipRect(Handle(), rect.Left, rect.Top, rect.Right, rect.Bottom);
}

void TCanvas::IntersectClipRegion(HRGN region) { ExtSelectClipRgn(Handle(), region, RGN_AND); }

void TCanvas::ResetClip() { SelectClipRgn(Handle(), nullptr); }

TPoint TCanvas::WindowOrigin() {
  // Both origins count: paint passes move the viewport for each child.
  POINT window{}, viewport{};
  GetWindowOrgEx(Handle(), &window);
  GetViewportOrgEx(Handle(), &viewport);
  return {window.x - viewport.x, window.y - viewport.y};
}

TClipRecall::TClipRecall(TCanvas& canvas) : canvas_(canvas), saved_(CreateRectRgn(0, 0, 0, 0)) {
  if (!saved_) throw EOutOfResources("Cannot create a region");
  hadClip_ = GetClipRgn(canvas.Handle(), saved_.Get()) == 1;
}

TClipRecall::~TClipRecall() {
  if (canvas_.HandleAllocated()) SelectClipRgn(canvas_.Handle(), hadClip_ ? saved_.Get() : nullptr);
}

void TCanvas::Lock() {
  lock_.lock();
  ++lockCount_;
}

bool TCanvas::TryLock() {
  if (!lock_.try_lock()) return false;
  ++lockCount_;
  return true;
}

void TCanvas::Unlock() {
  --lockCount_;
  lock_.unlock();
}
