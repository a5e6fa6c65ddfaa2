#include "platform/graphics/Palette.h"

#include <cstring>

#include "platform/graphics/Graphics.h"
#include "platform/os/WinApi.h"

static_assert(sizeof(TPaletteEntry) == sizeof(PALETTEENTRY));

bool ScreenIsPaletteDevice() {
  TWindowDc dc(nullptr);
  if (!dc.Get()) return false;
  return (GetDeviceCaps(dc.Get(), RASTERCAPS) & RC_PALETTE) != 0;
}

int32_t ScreenColorDepth() {
  TWindowDc dc(nullptr);
  if (!dc.Get()) return 0;
  return GetDeviceCaps(dc.Get(), PLANES) * GetDeviceCaps(dc.Get(), BITSPIXEL);
}

TPaletteHandle CreateLogicalPalette(const std::vector<TPaletteEntry>& entries) {
  if (entries.empty() || entries.size() > 256) throw EInvalidGraphicOperation("A palette holds 1 to 256 colours");
  std::vector<uint8_t> buffer(sizeof(LOGPALETTE) + entries.size() * sizeof(PALETTEENTRY));
  auto* lp = reinterpret_cast<LOGPALETTE*>(buffer.data());
  lp->palVersion = 0x300;
  lp->palNumEntries = static_cast<WORD>(entries.size());
  std::memcpy(lp->palPalEntry, entries.data(), entries.size() * sizeof(PALETTEENTRY));
  TPaletteHandle h(CreatePalette(lp));
  if (!h) throw EOutOfResources("Cannot create a palette");
  return h;
}

std::vector<TPaletteEntry> PaletteEntries(HPALETTE palette) {
  if (!palette) palette = static_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE));
  UINT count = GetPaletteEntries(palette, 0, 0, nullptr);
  std::vector<TPaletteEntry> entries(count);
  if (count) GetPaletteEntries(palette, 0, count, reinterpret_cast<PALETTEENTRY*>(entries.data()));
  return entries;
}

std::vector<TPaletteEntry> SystemPaletteEntries() {
  TWindowDc dc(nullptr);
  if (!dc.Get() || !(GetDeviceCaps(dc.Get(), RASTERCAPS) & RC_PALETTE)) return {};
  int size = GetDeviceCaps(dc.Get(), SIZEPALETTE);
  if (size <= 0) return {};
  std::vector<TPaletteEntry> entries(static_cast<size_t>(size));
  UINT got = GetSystemPaletteEntries(dc.Get(), 0, static_cast<UINT>(size), reinterpret_cast<PALETTEENTRY*>(entries.data()));
  entries.resize(got);
  return entries;
}

TPaletteSelection::TPaletteSelection(HDC dc, HPALETTE palette, bool background) : dc_(dc) {
  if (!dc || !palette) return;
  old_ = SelectPalette(dc, palette, background);
  UINT n = RealizePalette(dc);
  realized_ = n == GDI_ERROR ? 0 : n;
}

TPaletteSelection::~TPaletteSelection() {
  if (old_) SelectPalette(dc_, old_, TRUE);
}
