// The picture side of image references: turning an entry's bytes into a
// drawable graphic, a bitmap rendering and window regions. Kept apart from
// the package so that the package itself stays portable.
#include "packages/PkgImages.h"

#include "platform/base/Stream.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/Palette.h"
#include "platform/graphics/Picture.h"
#include "platform/graphics/Region.h"
#include "platform/windows/Controls.h"

namespace {

std::unique_ptr<TGraphic> LoadGraphic(const TKyPkgImagesImage& entry) {
  if (entry.Data().empty() || !entry.GraphicClass()) return nullptr;
  std::unique_ptr<TGraphic> graphic = CreateGraphic(entry.GraphicClassName());
  if (!graphic) return nullptr;
  TMemoryStream data(entry.Data());
  graphic->LoadFromStream(data);
  return graphic;
}

TKyBytes RenderBitmap(const TKyPkgImagesImage& entry) {
  std::unique_ptr<TGraphic> graphic = LoadGraphic(entry);
  if (!graphic) return {};
  int32_t w = entry.Width() ? entry.Width() : graphic->Width();
  int32_t h = entry.Height() ? entry.Height() : graphic->Height();
  if (w <= 0 || h <= 0) return {};
  // On a palette display the copy keeps the screen's depth, so that it
  // draws through the same palette as everything else.
  TPixelFormat format = pf24bit;
  if (ScreenIsPaletteDevice()) format = ScreenColorDepth() <= 4 ? pf4bit : pf8bit;
  TBitmap bitmap(w, h, format);
  TCanvas* canvas = bitmap.Canvas();
  canvas->Brush()->SetColor(kClWhite);
  canvas->FillRect(TRect{0, 0, w, h});
  canvas->StretchDraw(TRect{0, 0, w, h}, graphic.get());
  TMemoryStream out;
  bitmap.SaveToStream(out);
  return out.Data();
}

std::unique_ptr<TRegion> MakeRegion(const TKyBytes& data) {
  if (data.empty()) return nullptr;
  return std::make_unique<TRegion>(TRegion::FromData(data));
}

}  // namespace

std::unique_ptr<TGraphic> TKyMemoryImage::Graphic() {
  TKyPkgImagesImage* entry = Resolve();
  return entry ? LoadGraphic(*entry) : nullptr;
}

TKyBytes TKyMemoryImage::BitmapData() {
  TKyPkgImagesImage* entry = Resolve();
  if (!entry || !entry->GraphicClass()) return {};
  if (entry->GraphicClassName() == "TBitmap") return entry->Data();
  if (entry->BitmapCopy().empty()) entry->SetBitmapCopy(RenderBitmap(*entry));
  return entry->BitmapCopy();
}

std::unique_ptr<TRegion> TKyMemoryImage::WindowRegion() { return MakeRegion(WindowRegionData()); }

std::unique_ptr<TRegion> TKyMemoryImage::SecondRegion() { return MakeRegion(SecondRegionData()); }

void TKyMemoryImage::ApplyRegion(TWinControl* control) {
  if (!control) return;
  std::unique_ptr<TRegion> region = WindowRegion();
  HWND window = control->Handle();
  if (region)
    SetWindowRegion(window, std::move(*region), control->Visible());
  else
    ClearWindowRegion(window, control->Visible());
}
