// A canvas over a device context: font, pen and brush applied lazily before
// each drawing call (only what changed), shapes, text, pictures, pixels and
// clipping, and the locks that let a timer thread draw without waiting.
//
// The DC itself is not owned: SetHandle hands one in, and a subclass may
// make one on demand by overriding CreateHandle (a control's canvas, a
// bitmap's memory DC). Whatever the canvas selected is selected out again,
// the DC's own objects back in, when the handle changes or the canvas goes;
// a subclass that frees its DC calls SetHandle(nullptr) first.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/graphics/Graphics.h"
#include "platform/os/WinTypes.h"

class TGraphic;

// What GetTextMetrics tells of the selected font, in pixels.
struct TKyTextMetrics {
  int32_t Height = 0;
  int32_t Ascent = 0;
  int32_t Descent = 0;
  int32_t InternalLeading = 0;
  int32_t ExternalLeading = 0;
  int32_t AveCharWidth = 0;
  int32_t MaxCharWidth = 0;
  int32_t Weight = 0;
  int32_t Overhang = 0;
  bool Italic = false;
  // The TMPF_ bits: 1 variable pitch, 2 vector, 4 TrueType, 8 device.
  uint8_t PitchAndFamily = 0;
  bool TrueType() const { return (PitchAndFamily & 4) != 0; }
};

// A glyph's spacing: A before the ink, B the ink, C after it; a negative C
// is ink reaching past the advance (italics).
struct TKyCharABC {
  int32_t A = 0;
  int32_t B = 0;
  int32_t C = 0;
};

// Raster operations of CopyRect (the BitBlt codes).
using TCopyMode = uint32_t;
inline constexpr TCopyMode cmBlackness = 0x00000042;
inline constexpr TCopyMode cmDstInvert = 0x00550009;
inline constexpr TCopyMode cmMergeCopy = 0x00C000CA;
inline constexpr TCopyMode cmMergePaint = 0x00BB0226;
inline constexpr TCopyMode cmNotSrcCopy = 0x00330008;
inline constexpr TCopyMode cmNotSrcErase = 0x001100A6;
inline constexpr TCopyMode cmPatCopy = 0x00F00021;
inline constexpr TCopyMode cmPatInvert = 0x005A0049;
inline constexpr TCopyMode cmPatPaint = 0x00FB0A09;
inline constexpr TCopyMode cmSrcAnd = 0x008800C6;
inline constexpr TCopyMode cmSrcCopy = 0x00CC0020;
inline constexpr TCopyMode cmSrcErase = 0x00440328;
inline constexpr TCopyMode cmSrcInvert = 0x00660046;
inline constexpr TCopyMode cmSrcPaint = 0x00EE0086;
inline constexpr TCopyMode cmWhiteness = 0x00FF0062;

// The process-wide paint lock: held by whoever paints the screen; a timer
// thread only draws when TryLock gets it.
class TPaintLock {
public:
  void Lock() { mutex_.lock(); }
  bool TryLock() { return mutex_.try_lock(); }
  void Unlock() { mutex_.unlock(); }

private:
  std::recursive_mutex mutex_;
};
TPaintLock& GlobalPaintLock();

class TCanvas : public TPersistent {
  KY_CLASS(TCanvas, TPersistent)
public:
  TCanvas();
  ~TCanvas() override;

  // The DC; without one, asks CreateHandle for it and raises
  // EInvalidGraphicOperation "Canvas does not allow drawing" when none came.
  HDC Handle();
  // Takes another DC (nullptr: none), putting the old one's objects back.
  void SetHandle(HDC dc);
  bool HandleAllocated() const { return dc_ != nullptr; }

  TFont* Font() const { return font_.get(); }
  TPen* Pen() const { return pen_.get(); }
  TBrush* Brush() const { return brush_.get(); }
  void SetFont(const TFont* value) { font_->Assign(value); }
  void SetPen(const TPen* value) { pen_->Assign(value); }
  void SetBrush(const TBrush* value) { brush_->Assign(value); }

  TPoint PenPos();
  void SetPenPos(TPoint value) { MoveTo(value.X, value.Y); }
  void MoveTo(int32_t x, int32_t y);
  void LineTo(int32_t x, int32_t y);

  // Shapes take the bounding rectangle, right and bottom outside it, drawn
  // with the pen and filled with the brush.
  void Rectangle(int32_t x1, int32_t y1, int32_t x2, int32_t y2);
  void Rectangle(const TRect& r) { Rectangle(r.Left, r.Top, r.Right, r.Bottom); }
  void RoundRect(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t cornerWidth, int32_t cornerHeight);
  void Ellipse(int32_t x1, int32_t y1, int32_t x2, int32_t y2);
  void Ellipse(const TRect& r) { Ellipse(r.Left, r.Top, r.Right, r.Bottom); }
  void Polygon(const std::vector<TPoint>& points) { Polygon(points.data(), static_cast<int>(points.size())); }
  void Polygon(const TPoint* points, int count);
  void Polyline(const std::vector<TPoint>& points) { Polyline(points.data(), static_cast<int>(points.size())); }
  void Polyline(const TPoint* points, int count);
  // Counter-clockwise from the ray towards (x3, y3) to the ray towards (x4, y4).
  void Arc(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t x3, int32_t y3, int32_t x4, int32_t y4);
  void Pie(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t x3, int32_t y3, int32_t x4, int32_t y4);
  void Chord(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t x3, int32_t y3, int32_t x4, int32_t y4);
  // With the brush only.
  void FillRect(const TRect& rect);
  // The dotted rectangle of the keyboard focus (drawn twice, it is gone).
  void DrawFocusRect(const TRect& rect);
  void FrameRect(const TRect& rect);
  void FillRegion(HRGN region);
  void FrameRegion(HRGN region, int32_t width, int32_t height);

  // Text in the font's colour; on a solid brush over the brush colour, on a
  // clear brush transparent.
  void TextOut(int32_t x, int32_t y, const std::string& text);
  // Text at (x, y) clipped to rect.
  void TextRect(const TRect& rect, int32_t x, int32_t y, const std::string& text);
  // DrawText with its DT_ flags; with DT_CALCRECT rect receives the extent.
  // Returns the height of the text.
  int32_t TextRect(TRect& rect, const std::string& text, uint32_t drawTextFlags);
  TSize TextExtent(const std::string& text);
  int32_t TextWidth(const std::string& text) { return TextExtent(text).cx; }
  int32_t TextHeight(const std::string& text) { return TextExtent(text).cy; }
  // Of the canvas font as the DC realises it (a substituted face shows here).
  TKyTextMetrics TextMetrics();
  // Of the canvas font; for fonts without outlines A and C are 0 and B
  // the advance.
  TKyCharABC CharABC(char ch);

  // Pictures: at their own size, or stretched into rect.
  void Draw(int32_t x, int32_t y, TGraphic* graphic);
  void StretchDraw(const TRect& rect, TGraphic* graphic);
  // Copies srcRect of source into dest (stretching) with CopyMode.
  void CopyRect(const TRect& dest, TCanvas& source, const TRect& srcRect);
  TCopyMode CopyMode() const { return copyMode_; }
  void SetCopyMode(TCopyMode value) { copyMode_ = value; }

  // kClNone (as the platform's CLR_INVALID) outside the clip area.
  TKyColor Pixels(int32_t x, int32_t y);
  void SetPixels(int32_t x, int32_t y, TKyColor color);

  // The bounds of what can be drawn now.
  TRect ClipRect();
  // Limits drawing to rect / a copy of region; ResetClip lifts the limit.
  void SetClipRect(const TRect& rect);
  void SetClipRegion(HRGN region);
  void IntersectClipRect(const TRect& rect);
  void ExcludeClipRect(const TRect& rect);
  // Limits drawing further to region (device coordinates).
  void IntersectClipRegion(HRGN region);
  void ResetClip();
  // The logical point at the DC's device origin.
  TPoint WindowOrigin();

  // The canvas lock (recursive); TryLock never waits.
  void Lock();
  bool TryLock();
  void Unlock();
  int32_t LockCount() const { return lockCount_.load(); }

  TNotifyEvent OnChange;
  TNotifyEvent OnChanging;

protected:
  // Called by Handle() when there is no DC: set one with SetHandle.
  virtual void CreateHandle() {}
  virtual void Changing();
  virtual void Changed();

  enum TState : uint8_t { stFont = 1, stPen = 2, stBrush = 4 };
  // Selects into the DC what the next call uses and is not there yet.
  void RequiredState(uint8_t state);
  // Puts the DC's own font, pen and brush back.
  void DeselectHandles();

private:
  void FontChanged();
  void PenChanged();
  void BrushChanged();

  HDC dc_ = nullptr;
  std::unique_ptr<TFont> font_;
  std::unique_ptr<TPen> pen_;
  std::unique_ptr<TBrush> brush_;
  uint8_t state_ = 0;
  HGDIOBJ oldFont_ = nullptr;
  HGDIOBJ oldPen_ = nullptr;
  HGDIOBJ oldBrush_ = nullptr;
  TCopyMode copyMode_ = cmSrcCopy;
  std::recursive_mutex lock_;
  std::atomic<int32_t> lockCount_{0};
};

// Saves a canvas object's values and puts them back on the way out.
template <class T, T* (TCanvas::*Get)() const>
class TCanvasRecall {
public:
  explicit TCanvasRecall(TCanvas& canvas) : canvas_(canvas) { saved_.Assign((canvas.*Get)()); }
  ~TCanvasRecall() { (canvas_.*Get)()->Assign(&saved_); }
  TCanvasRecall(const TCanvasRecall&) = delete;
  TCanvasRecall& operator=(const TCanvasRecall&) = delete;

private:
  TCanvas& canvas_;
  T saved_;
};
// Saves a canvas's clipping (a copy of its clip region, or none) and puts
// it back on the way out.
class TClipRecall {
public:
  explicit TClipRecall(TCanvas& canvas);
  ~TClipRecall();
  TClipRecall(const TClipRecall&) = delete;
  TClipRecall& operator=(const TClipRecall&) = delete;

private:
  TCanvas& canvas_;
  TRegionHandle saved_;
  bool hadClip_ = false;
};

using TFontRecall = TCanvasRecall<TFont, &TCanvas::Font>;
using TPenRecall = TCanvasRecall<TPen, &TCanvas::Pen>;
using TBrushRecall = TCanvasRecall<TBrush, &TCanvas::Brush>;
