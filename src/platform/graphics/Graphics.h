// The drawing objects a canvas selects: fonts, pens and brushes. Each keeps
// its values and makes its GDI object on demand; a change drops the object
// (the next Handle() makes a new one) and raises OnChange once. Handles are
// shared between objects that Assign copies of each other, so copying a
// control's font into a canvas costs no new GDI object.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/base/Exception.h"
#include "platform/classes/Classes.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/FontData.h"
#include "platform/graphics/Geometry.h"
#include "platform/os/Handles.h"

class TBitmap;

// A picture that cannot be read, or an operation a graphic cannot do.
class EInvalidGraphic : public Exception { using Exception::Exception; };
class EInvalidGraphicOperation : public Exception { using Exception::Exception; };
// The platform refused to make a GDI object.
class EOutOfResources : public Exception { using Exception::Exception; };

// The 0x00BBGGRR value of a colour; system colours through GetSysColor.
// kClNone and kClDefault have no colour of their own and give black.
int32_t ColorToRGB(TKyColor color);

// ---- TGraphicsObject ----

class TGraphicsObject : public TPersistent {
  KY_CLASS(TGraphicsObject, TPersistent)
public:
  TNotifyEvent OnChange;

protected:
  virtual void Changed();
};

// ---- TFont ----

KY_ENUM(TFontStyle, uint8_t, fsBold, fsItalic, fsUnderline, fsStrikeOut)
using TFontStyles = TSet<TFontStyle>;
KY_ENUM(TFontPitch, uint8_t, fpDefault, fpVariable, fpFixed)
KY_ENUM(TFontQuality, uint8_t, fqDefault, fqDraft, fqProof, fqNonAntialiased, fqAntialiased, fqClearType)

class TFont : public TGraphicsObject {
  KY_CLASS(TFont, TGraphicsObject)
public:
  TFont();
  ~TFont() override;
  static void Publish(TPublisher<TFont>& p);

  void Assign(const TPersistent* source) override;

  // The logical font; made on first use and after every change except colour.
  HFONT Handle() const;
  bool HandleAllocated() const { return handle_ != nullptr; }

  const std::string& Name() const { return name_; }
  void SetName(const std::string& value);
  // Pixels; negative is the character height, positive the cell height.
  int32_t Height() const { return height_; }
  void SetHeight(int32_t value);
  // Points at PixelsPerInch.
  int32_t Size() const;
  void SetSize(int32_t value);
  int32_t PixelsPerInch() const { return pixelsPerInch_; }
  // Only the conversion of Size changes; Height stays.
  void SetPixelsPerInch(int32_t value);
  TFontStyles Style() const { return style_; }
  void SetStyle(TFontStyles value);
  TKyColor Color() const { return color_; }
  void SetColor(TKyColor value);
  int32_t Charset() const { return charset_; }
  void SetCharset(int32_t value);
  TFontPitch Pitch() const { return pitch_; }
  void SetPitch(TFontPitch value);
  // Rotation of the baseline and of each glyph, in tenths of a degree.
  int32_t Escapement() const { return escapement_; }
  void SetEscapement(int32_t value);
  int32_t Orientation() const { return orientation_; }
  void SetOrientation(int32_t value);
  TFontQuality Quality() const { return quality_; }
  void SetQuality(TFontQuality value);

  // The values as display sets keep them; SetData changes once at most.
  TKyFontData Data() const;
  void SetData(const TKyFontData& data);

protected:
  void Changed() override;

private:
  void Modify(bool dropsHandle);

  std::string name_;
  int32_t height_;
  int32_t pixelsPerInch_;
  TFontStyles style_;
  TKyColor color_;
  int32_t charset_;
  TFontPitch pitch_;
  int32_t escapement_ = 0;
  int32_t orientation_ = 0;
  TFontQuality quality_ = fqDefault;
  mutable std::shared_ptr<TFontHandle> shared_;
  mutable HFONT handle_ = nullptr;
};

// ---- TPen ----

KY_ENUM(TPenStyle, uint8_t, psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame)
// Raster operations of lines (SetROP2), in the order of R2_BLACK..R2_WHITE
// shifted by one: pmBlack is R2_BLACK (1).
KY_ENUM(TPenMode, uint8_t, pmBlack, pmNotMerge, pmMaskNotPen, pmNotCopy, pmMaskPenNot, pmNot, pmXor, pmNotMask,
        pmMask, pmNotXor, pmNop, pmMergeNotPen, pmCopy, pmMergePenNot, pmMerge, pmWhite)

class TPen : public TGraphicsObject {
  KY_CLASS(TPen, TGraphicsObject)
public:
  TPen();
  ~TPen() override;
  static void Publish(TPublisher<TPen>& p);

  void Assign(const TPersistent* source) override;

  HPEN Handle() const;
  bool HandleAllocated() const { return handle_ != nullptr; }

  TKyColor Color() const { return color_; }
  void SetColor(TKyColor value);
  int32_t Width() const { return width_; }
  // Values below 1 are taken as 1.
  void SetWidth(int32_t value);
  TPenStyle Style() const { return style_; }
  void SetStyle(TPenStyle value);
  // Not part of the pen object: the canvas applies it with SetROP2.
  TPenMode Mode() const { return mode_; }
  void SetMode(TPenMode value);

protected:
  void Changed() override;

private:
  void Modify(bool dropsHandle);

  TKyColor color_ = kClBlack;
  int32_t width_ = 1;
  TPenStyle style_ = psSolid;
  TPenMode mode_ = pmCopy;
  mutable std::shared_ptr<TPenHandle> shared_;
  mutable HPEN handle_ = nullptr;
};

// ---- TBrush ----

KY_ENUM(TBrushStyle, uint8_t, bsSolid, bsClear, bsHorizontal, bsVertical, bsFDiagonal, bsBDiagonal, bsCross,
        bsDiagCross)

class TBrush : public TGraphicsObject {
  KY_CLASS(TBrush, TGraphicsObject)
public:
  TBrush();
  ~TBrush() override;
  static void Publish(TPublisher<TBrush>& p);

  void Assign(const TPersistent* source) override;

  HBRUSH Handle() const;
  bool HandleAllocated() const { return handle_ != nullptr; }

  TKyColor Color() const { return color_; }
  // A colour on a clear brush makes it solid, a clear colour makes it clear.
  void SetColor(TKyColor value);
  TBrushStyle Style() const { return style_; }
  void SetStyle(TBrushStyle value);
  // A pattern brush from this bitmap (not owned; it must outlive the
  // brush's use). nullptr returns to Style and Color.
  TBitmap* Bitmap() const { return bitmap_; }
  void SetBitmap(TBitmap* value);

protected:
  void Changed() override;

private:
  void Modify();

  TKyColor color_ = kClWhite;
  TBrushStyle style_ = bsSolid;
  TBitmap* bitmap_ = nullptr;
  mutable std::shared_ptr<TBrushHandle> shared_;
  mutable HBRUSH handle_ = nullptr;
};
