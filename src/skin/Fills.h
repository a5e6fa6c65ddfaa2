// The background painter: fills a rectangle (or a shape) with a background
// display set, and the pattern fills it uses: solid, gradients in bands,
// stretched, tiled and placed images, and the grid pattern.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/graphics/Canvas.h"
#include "platform/graphics/Palette.h"
#include "skin/Shapes.h"

class TBitmap;
class TKyMemoryImage;
class TKySetBackGround;

// Fill kinds of background sets (a byte, 0..20).
inline constexpr uint8_t kFillPlain = 0;
inline constexpr uint8_t kFillStretch = 9;
inline constexpr uint8_t kFillTile = 10;
inline constexpr uint8_t kFillPlacedFirst = 11;  // left-top ...
inline constexpr uint8_t kFillPlacedLast = 19;   // ... right-bottom
inline constexpr uint8_t kFillGrid = 20;
inline constexpr int kFillKindCount = 21;

// Gradient kinds 1..8 in bands: 1, 2, 7, 8 run down, 3..6 across.
bool IsGradientKind(uint8_t kind);
bool IsVerticalGradient(uint8_t kind);
// The number of colours over size pixels: size, or the requested number
// when smaller (0: none requested), never more than 100.
int32_t GradientSteps(int32_t size, int32_t requested);
// n colours from from to to, per channel; the last is to.
std::vector<TKyColor> GradientTable(TKyColor from, TKyColor to, int32_t n);

struct TKyGradientBand {
  int32_t From;  // pixels from the start edge
  int32_t To;    // exclusive
  TKyColor Color;
};
// The bands of a gradient kind over size pixels along its direction.
std::vector<TKyGradientBand> GradientBands(uint8_t kind, int32_t size, TKyColor color1, TKyColor color2,
                                           int32_t steps = 0);

// Where placed kinds 11..19 put an image of size in rect; the part outside
// rect is cut when drawing.
TRect ImagePlacement(uint8_t kind, const TRect& rect, TSize image);

// Fills rect by fill kind. Image kinds (9..19) fall back to the plain
// colour when the image resolves to no picture; with transparent, the
// image's transparent colour shows the plain colour. Kinds above 20 fill
// plain.
void FillPattern(TCanvas& canvas, const TRect& rect, uint8_t fillKind, TKyColor color1, TKyColor color2,
                 TKyColor plainColor, TKyMemoryImage* image, int32_t steps = 0, bool transparent = false);

// Fills rect with a background set; a set that does not resolve fills with
// the colour the set object reports. The set's stored flag makes its image
// transparent.
void PaintBackGround(TCanvas& canvas, const TRect& rect, TKySetBackGround& set);
// The clip-aware form: paints only inside paintRect and outside excluded
// (when not empty), with the background laid out over backgroundRect (the
// owner's area in this canvas's coordinates), so that it continues without
// a seam across a control and its parent. The canvas's clipping is kept.
void PaintBackGround(TCanvas& canvas, const TRect& paintRect, const TRect& excluded, TKySetBackGround& set,
                     const TRect& backgroundRect);
// Fills a shape in rect with a background set; the canvas keeps its
// content outside the shape.
void PaintShapeBackGround(TCanvas& canvas, const TRect& rect, TKySetBackGround& set, TKyShapes shape,
                          TKyShapeOrientation orientation = sorDefault, bool reflection = false);

// ---- The shared palette of 256-colour displays ----

// The 256 entries: 0..9 and 246..255 the static colours of system (its
// first and last ten), 10..225 the 6 x 6 x 6 colour cube (red fastest),
// 226..245 twenty greys of 13 x k; cube and greys not to be collapsed.
std::vector<TPaletteEntry> SkinPaletteEntries(const std::vector<TPaletteEntry>& system);
// The shared palette while the screen has 8 bits per pixel, made on first
// need and kept; nullptr (and the kept one deleted) on other screens.
HPALETTE SkinPalette();

// Selects and realises the shared palette (as a background palette) into a
// canvas for the scope's life, on 8-bit screens only.
class TKySkinPaletteScope {
public:
  explicit TKySkinPaletteScope(TCanvas& canvas);

private:
  TPaletteSelection selection_;
};

// ---- Progress bars ----

// The way a progress bar grows.
enum class TKyProgressGrowth : uint8_t { Right, Left, Up, Down };
// Blocks, one solid rectangle, or the moving pattern of an unknown amount.
enum class TKyProgressKind : uint8_t { Blocks, Solid, Moving };

struct TKyProgressLook {
  TKyProgressGrowth Growth = TKyProgressGrowth::Right;
  TKyProgressKind Kind = TKyProgressKind::Blocks;
  int32_t WidthBlock = 4;    // at least 1
  int32_t SpacingBlock = 2;  // at least 1
};

// The filled length of a bar of length pixels: (position - min) / (max -
// min) of it, within 0..length; nothing when max <= min.
int32_t ProgressLength(int32_t length, int32_t position, int32_t min, int32_t max);
// The rectangle of the part from..to (pixels from the start edge) of bar.
TRect ProgressPart(const TRect& bar, TKyProgressGrowth growth, int32_t from, int32_t to);
// Draws the filled part of a bar in rect with fill (blocks or one solid
// rectangle; the moving kind draws nothing here). The trough is the
// caller's.
void PaintProgress(TCanvas& canvas, const TRect& rect, TKySetBackGround& fill, const TKyProgressLook& look,
                   int32_t position, int32_t min, int32_t max);
// One frame of the moving pattern: the trough (when given) over rect, then
// a run of blocks at offset pixels from the start edge, entering and
// leaving at the ends; offset then advances by one step and wraps.
void PaintProgressFrame(TCanvas& canvas, const TRect& rect, TKySetBackGround* trough, TKySetBackGround& fill,
                        const TKyProgressLook& look, int32_t& offset);
// Length of the moving run and the pixels it moves per frame.
inline constexpr int32_t kProgressRunBlocks = 5;
inline constexpr int32_t kProgressStep = 2;
