#include "skin/Fills.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "packages/DisplaySets.h"
#include "packages/PkgDisplay.h"
#include "packages/PkgImages.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Graphic.h"
#include "platform/graphics/Palette.h"
#include "platform/graphics/Scaling.h"

namespace {
// DSna: the destination keeps only what the source leaves black.
constexpr TCopyMode kCmDestAndNotSrc = 0x00220326;

class TCopyModeRecall {
public:
  explicit TCopyModeRecall(TCanvas& canvas) : canvas_(canvas), saved_(canvas.CopyMode()) {}
  ~TCopyModeRecall() { canvas_.SetCopyMode(saved_); }

private:
  TCanvas& canvas_;
  TCopyMode saved_;
};

void FillSolid(TCanvas& canvas, const TRect& rect, TKyColor color) {
  TBrushRecall recall(canvas);
  canvas.Brush()->SetBitmap(nullptr);
  canvas.Brush()->SetColor(color);
  canvas.Brush()->SetStyle(bsSolid);
  canvas.FillRect(rect);
}

void FillGradient(TCanvas& canvas, const TRect& rect, uint8_t kind, TKyColor color1, TKyColor color2, int32_t steps) {
  bool vertical = IsVerticalGradient(kind);
  int32_t size = vertical ? rect.Height() : rect.Width();
  TBrushRecall recall(canvas);
  TBrush& brush = *canvas.Brush();
  brush.SetBitmap(nullptr);
  brush.SetStyle(bsSolid);
  for (const TKyGradientBand& band : GradientBands(kind, size, color1, color2, steps)) {
    if (band.To <= band.From) continue;
    brush.SetColor(band.Color);
    canvas.FillRect(vertical ? TRect(rect.Left, rect.Top + band.From, rect.Right, rect.Top + band.To)
                             : TRect(rect.Left + band.From, rect.Top, rect.Left + band.To, rect.Bottom));
  }
}

// The picture of an image reference on a bitmap of its own size, the plain
// colour behind its transparent colour when transparent; nullptr when the
// reference gives no picture (damaged data counts as none).
std::unique_ptr<TBitmap> BackGroundPicture(TKyMemoryImage* image, TKyColor plain, bool transparent) {
  if (!image) return nullptr;
  std::unique_ptr<TGraphic> graphic;
  try {
    graphic = image->Graphic();
  } catch (const EInvalidGraphic&) {
    return nullptr;
  }
  if (!graphic || graphic->Empty()) return nullptr;
  auto picture = std::make_unique<TBitmap>(graphic->Width(), graphic->Height(), pf32bit);
  TCanvas& pc = *picture->Canvas();
  FillSolid(pc, TRect(0, 0, graphic->Width(), graphic->Height()), plain);
  graphic->SetTransparent(transparent);
  pc.Draw(0, 0, graphic.get());
  return picture;
}

void FillImage(TCanvas& canvas, const TRect& rect, uint8_t kind, TKyColor plain, TKyMemoryImage* image,
               bool transparent) {
  std::unique_ptr<TBitmap> picture = BackGroundPicture(image, plain, transparent);
  if (!picture) {
    FillSolid(canvas, rect, plain);
    return;
  }
  TKySkinPaletteScope palette(canvas);
  TCopyModeRecall modeRecall(canvas);
  canvas.SetCopyMode(cmSrcCopy);
  TCanvas& source = *picture->Canvas();
  int32_t w = picture->Width();
  int32_t h = picture->Height();
  if (kind == kFillStretch) {
    canvas.CopyRect(rect, source, TRect(0, 0, w, h));
    return;
  }
  if (kind == kFillTile) {
    for (int32_t y = rect.Top; y < rect.Bottom; y += h)
      for (int32_t x = rect.Left; x < rect.Right; x += w) {
        int32_t tw = std::min(w, rect.Right - x);
        int32_t th = std::min(h, rect.Bottom - y);
        canvas.CopyRect(TRect::Bounds(x, y, tw, th), source, TRect(0, 0, tw, th));
      }
    return;
  }
  FillSolid(canvas, rect, plain);
  TRect placed = ImagePlacement(kind, rect, {w, h});
  TRect shown = placed.Intersect(rect);
  if (shown.IsEmpty()) return;
  canvas.CopyRect(shown, source, shown.Offset(-placed.Left, -placed.Top));
}
}  // namespace

// ---- Gradients ----

bool IsGradientKind(uint8_t kind) { return kind >= 1 && kind <= 8; }

bool IsVerticalGradient(uint8_t kind) { return kind == 1 || kind == 2 || kind == 7 || kind == 8; }

int32_t GradientSteps(int32_t size, int32_t requested) {
  int32_t n = size;
  if (requested > 0 && requested < n) n = requested;
  return std::min(n, 100);
}

// The ends are the given colours themselves: the last step is divided by
// n - 1, so that a gradient really arrives at its end colour.
std::vector<TKyColor> GradientTable(TKyColor from, TKyColor to, int32_t n) {
  std::vector<TKyColor> table;
  if (n <= 0) return table;
  TKyColor a = ColorToRGB(from);
  TKyColor b = ColorToRGB(to);
  table.reserve(static_cast<size_t>(n));
  for (int32_t i = 0; i < n; ++i) {
    auto channel = [&](uint8_t s, uint8_t e) {
      return static_cast<uint8_t>(n == 1 ? s : s + i * (int32_t(e) - int32_t(s)) / (n - 1));
    };
    table.push_back(KyRGB(channel(KyRed(a), KyRed(b)), channel(KyGreen(a), KyGreen(b)), channel(KyBlue(a), KyBlue(b))));
  }
  return table;
}

std::vector<TKyGradientBand> GradientBands(uint8_t kind, int32_t size, TKyColor color1, TKyColor color2,
                                           int32_t steps) {
  std::vector<TKyGradientBand> bands;
  if (!IsGradientKind(kind) || size <= 0) return bands;
  // Odd kinds 1, 3 start from colour 2; 5 and 7 have colour 2 at the edges.
  bool fromSecond = kind % 2 == 1;
  TKyColor start = fromSecond ? color2 : color1;
  TKyColor end = fromSecond ? color1 : color2;
  int32_t n = GradientSteps(size, steps);
  if (kind <= 4) {
    std::vector<TKyColor> table = GradientTable(start, end, n);
    for (int32_t i = 0; i < n; ++i)
      bands.push_back({KyMulDiv(i, size, n), KyMulDiv(i + 1, size, n), table[static_cast<size_t>(i)]});
    return bands;
  }
  // Mirrored: m bands on each half, the second half the first one's mirror
  // image, so that the far edge matches the near one pixel for pixel and
  // the centre reaches the end colour.
  int32_t m = std::max(n / 2, 1);
  std::vector<TKyColor> table = GradientTable(start, end, m);
  for (int32_t i = 0; i < m; ++i)
    bands.push_back({KyMulDiv(i, size, 2 * m), KyMulDiv(i + 1, size, 2 * m), table[static_cast<size_t>(i)]});
  for (int32_t i = m - 1; i >= 0; --i) {
    TKyGradientBand mirrored = bands[static_cast<size_t>(i)];
    bands.push_back({size - mirrored.To, size - mirrored.From, mirrored.Color});
  }
  return bands;
}

// ---- Images ----

TRect ImagePlacement(uint8_t kind, const TRect& rect, TSize image) {
  if (kind < kFillPlacedFirst || kind > kFillPlacedLast) return TRect::Bounds(rect.Left, rect.Top, image.cx, image.cy);
  int32_t column = (kind - kFillPlacedFirst) / 3;  // left, centre, right
  int32_t row = (kind - kFillPlacedFirst) % 3;     // top, centre, bottom
  // A larger image is cut on the far side, or evenly on both for centres.
  int32_t x = column == 0 ? rect.Left : column == 1 ? rect.Left + (rect.Width() - image.cx) / 2 : rect.Right - image.cx;
  int32_t y = row == 0 ? rect.Top : row == 1 ? rect.Top + (rect.Height() - image.cy) / 2 : rect.Bottom - image.cy;
  return TRect::Bounds(x, y, image.cx, image.cy);
}

// ---- Fills ----

void FillPattern(TCanvas& canvas, const TRect& rect, uint8_t fillKind, TKyColor color1, TKyColor color2,
                 TKyColor plainColor, TKyMemoryImage* image, int32_t steps, bool transparent) {
  if (rect.IsEmpty()) return;
  if (IsGradientKind(fillKind)) {
    TKySkinPaletteScope palette(canvas);
    FillGradient(canvas, rect, fillKind, color1, color2, steps);
  } else if (fillKind >= kFillStretch && fillKind <= kFillPlacedLast) {
    FillImage(canvas, rect, fillKind, plainColor, image, transparent);
  } else if (fillKind == kFillGrid) {
    TBrushRecall recall(canvas);
    canvas.Brush()->SetBitmap(nullptr);
    canvas.Brush()->SetColor(plainColor);
    canvas.Brush()->SetBitmap(&GridPattern(plainColor));
    canvas.FillRect(rect);
  } else {
    FillSolid(canvas, rect, plainColor);
  }
}

void PaintBackGround(TCanvas& canvas, const TRect& rect, TKySetBackGround& set) {
  if (rect.IsEmpty()) return;
  TKyPkgDisplaySetBackGround* s = set.Resolve();
  if (!s) {
    FillSolid(canvas, rect, set.Value());
    return;
  }
  if (s->FillKind() == kFillPlain) {
    FillSolid(canvas, rect, s->Color());
    return;
  }
  FillPattern(canvas, rect, s->FillKind(), s->Color1(), s->Color2(), s->Color(), &s->Image(), 0, s->Flag());
}

void PaintBackGround(TCanvas& canvas, const TRect& paintRect, const TRect& excluded, TKySetBackGround& set,
                     const TRect& backgroundRect) {
  if (paintRect.IsEmpty()) return;
  TClipRecall recall(canvas);
  canvas.IntersectClipRect(paintRect);
  if (!excluded.IsEmpty()) canvas.ExcludeClipRect(excluded);
  PaintBackGround(canvas, backgroundRect, set);
}

void PaintShapeBackGround(TCanvas& canvas, const TRect& rect, TKySetBackGround& set, TKyShapes shape,
                          TKyShapeOrientation orientation, bool reflection) {
  if (rect.IsEmpty() || shape >= kKyShapeCount) return;
  TKyPkgDisplaySetBackGround* s = set.Resolve();
  if (!s || s->FillKind() == kFillPlain) {
    TKyColor plain = s ? s->Color() : set.Value();
    PaintShape(canvas, rect, spmFilled, 1, plain, pesClear, plain, brsSolid, reflection, shape, orientation);
    return;
  }
  int32_t w = rect.Width();
  int32_t h = rect.Height();
  TRect whole(0, 0, w, h);
  TBitmap mask(w, h, pf32bit);
  PaintShape(*mask.Canvas(), whole, spmMask, 1, kClBlack, pesSolid, kClBlack, brsSolid, reflection, shape,
             orientation);
  TBitmap colour(w, h, pf32bit);
  FillPattern(*colour.Canvas(), whole, s->FillKind(), s->Color1(), s->Color2(), s->Color(), &s->Image(), 0, s->Flag());
  // The shape area of the canvas turns black, the outside of the pattern
  // turns black, and the pattern is laid into the hole.
  TCopyModeRecall canvasMode(canvas);
  canvas.SetCopyMode(cmSrcAnd);
  canvas.CopyRect(rect, *mask.Canvas(), whole);
  colour.Canvas()->SetCopyMode(kCmDestAndNotSrc);
  colour.Canvas()->CopyRect(whole, *mask.Canvas(), whole);
  canvas.SetCopyMode(cmSrcPaint);
  canvas.CopyRect(rect, *colour.Canvas(), whole);
}

// ---- The shared palette ----

std::vector<TPaletteEntry> SkinPaletteEntries(const std::vector<TPaletteEntry>& system) {
  std::vector<TPaletteEntry> entries(256);
  if (system.size() >= 20) {
    for (size_t i = 0; i < 10; ++i) {
      entries[i] = system[i];
      entries[246 + i] = system[system.size() - 10 + i];
    }
  }
  static const uint8_t levels[] = {0, 51, 102, 153, 204, 255};
  size_t at = 10;
  for (int b = 0; b < 6; ++b)
    for (int g = 0; g < 6; ++g)
      for (int r = 0; r < 6; ++r) entries[at++] = {levels[r], levels[g], levels[b], kPcNoCollapse};
  for (int k = 0; k < 20; ++k) {
    auto v = static_cast<uint8_t>(13 * k);
    entries[at++] = {v, v, v, kPcNoCollapse};
  }
  return entries;
}

namespace {
TPaletteHandle& KeptPalette() {
  static TPaletteHandle* palette = new TPaletteHandle();
  return *palette;
}
}  // namespace

HPALETTE SkinPalette() {
  TPaletteHandle& kept = KeptPalette();
  if (ScreenColorDepth() != 8) {
    kept = TPaletteHandle();
    return nullptr;
  }
  if (!kept) {
    std::vector<TPaletteEntry> system = SystemPaletteEntries();
    if (system.size() < 20) system = PaletteEntries(nullptr);
    kept = CreateLogicalPalette(SkinPaletteEntries(system));
  }
  return kept.Get();
}

TKySkinPaletteScope::TKySkinPaletteScope(TCanvas& canvas) : selection_(canvas.Handle(), SkinPalette(), true) {}

// ---- Progress bars ----

int32_t ProgressLength(int32_t length, int32_t position, int32_t min, int32_t max) {
  if (max <= min || length <= 0) return 0;
  int64_t done = static_cast<int64_t>(position) - min;
  int64_t filled = done * length / (static_cast<int64_t>(max) - min);
  return static_cast<int32_t>(std::clamp<int64_t>(filled, 0, length));
}

TRect ProgressPart(const TRect& bar, TKyProgressGrowth growth, int32_t from, int32_t to) {
  switch (growth) {
    case TKyProgressGrowth::Right: return {bar.Left + from, bar.Top, bar.Left + to, bar.Bottom};
    case TKyProgressGrowth::Left: return {bar.Right - to, bar.Top, bar.Right - from, bar.Bottom};
    case TKyProgressGrowth::Down: return {bar.Left, bar.Top + from, bar.Right, bar.Top + to};
    case TKyProgressGrowth::Up: return {bar.Left, bar.Bottom - to, bar.Right, bar.Bottom - from};
  }
  return {};
}

namespace {

int32_t BarLength(const TRect& rect, TKyProgressGrowth growth) {
  bool vertical = growth == TKyProgressGrowth::Up || growth == TKyProgressGrowth::Down;
  return vertical ? rect.Height() : rect.Width();
}

// Blocks starting at first (may be negative) for count blocks (0: all),
// each cut to limit pixels from the start edge.
void PaintBlocks(TCanvas& canvas, const TRect& rect, TKySetBackGround& fill, const TKyProgressLook& look,
                 int32_t first, int32_t count, int32_t limit) {
  int32_t width = std::max(look.WidthBlock, 1), pitch = width + std::max(look.SpacingBlock, 1);
  int32_t length = BarLength(rect, look.Growth);
  // The fill is laid once over the whole bar, clipped to the blocks: a
  // gradient runs on across them and is drawn once, not once a block.
  int32_t spanFrom = -1, spanTo = -1;
  std::vector<std::pair<int32_t, int32_t>> gaps;
  for (int32_t i = 0, start = first; (count == 0 || i < count) && start < limit; ++i, start += pitch) {
    int32_t from = std::max(start, 0), to = std::min(start + width, length);
    if (to <= from) continue;
    if (spanFrom < 0)
      spanFrom = from;
    else if (from > spanTo)
      gaps.emplace_back(spanTo, from);
    spanTo = to;
  }
  if (spanFrom < 0) return;
  TClipRecall recall(canvas);
  canvas.IntersectClipRect(ProgressPart(rect, look.Growth, spanFrom, spanTo));
  for (auto [from, to] : gaps) canvas.ExcludeClipRect(ProgressPart(rect, look.Growth, from, to));
  PaintBackGround(canvas, rect, fill);
}

}  // namespace

void PaintProgress(TCanvas& canvas, const TRect& rect, TKySetBackGround& fill, const TKyProgressLook& look,
                   int32_t position, int32_t min, int32_t max) {
  if (rect.Width() <= 0 || rect.Height() <= 0) return;
  int32_t filled = ProgressLength(BarLength(rect, look.Growth), position, min, max);
  if (filled <= 0) return;
  switch (look.Kind) {
    case TKyProgressKind::Solid:
      PaintBackGround(canvas, ProgressPart(rect, look.Growth, 0, filled), TRect{}, fill, rect);
      break;
    case TKyProgressKind::Blocks:
      // A started block shows whole: the last one may reach past the fill.
      PaintBlocks(canvas, rect, fill, look, 0, 0, filled);
      break;
    case TKyProgressKind::Moving:
      break;
  }
}

void PaintProgressFrame(TCanvas& canvas, const TRect& rect, TKySetBackGround* trough, TKySetBackGround& fill,
                        const TKyProgressLook& look, int32_t& offset) {
  if (rect.Width() <= 0 || rect.Height() <= 0) return;
  int32_t length = BarLength(rect, look.Growth);
  int32_t pitch = std::max(look.WidthBlock, 1) + std::max(look.SpacingBlock, 1);
  int32_t run = kProgressRunBlocks * pitch;
  if (offset < -run || offset >= length) offset = -run;
  if (trough) PaintBackGround(canvas, rect, TRect{}, *trough, rect);
  PaintBlocks(canvas, rect, fill, look, offset, kProgressRunBlocks, length);
  offset += kProgressStep;
  if (offset >= length) offset = -run;
}
