// Logical palettes, for 256-colour displays: made from entries, selected
// and realised into a DC and put back on the way out.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/os/Handles.h"

// Laid out as PALETTEENTRY.
struct TPaletteEntry {
  uint8_t Red = 0;
  uint8_t Green = 0;
  uint8_t Blue = 0;
  uint8_t Flags = 0;
  bool operator==(const TPaletteEntry&) const = default;
};
inline constexpr uint8_t kPcReserved = 0x01;
inline constexpr uint8_t kPcExplicit = 0x02;
inline constexpr uint8_t kPcNoCollapse = 0x04;

// Whether the screen draws through a palette (8 bits per pixel or fewer,
// with a palette); bits per pixel as planes x bits.
bool ScreenIsPaletteDevice();
int32_t ScreenColorDepth();

// A palette of version 0x300 with these entries (1 to 256 of them);
// raises EInvalidGraphicOperation for other counts.
TPaletteHandle CreateLogicalPalette(const std::vector<TPaletteEntry>& entries);
// Entries of a palette; the stock default palette when palette is nullptr
// (its 20 static colours).
std::vector<TPaletteEntry> PaletteEntries(HPALETTE palette);
// The system palette's entries; empty on a display without one.
std::vector<TPaletteEntry> SystemPaletteEntries();

// Selects a palette into a DC and realises it; puts the DC's previous
// palette back when it goes.
class TPaletteSelection {
public:
  TPaletteSelection(HDC dc, HPALETTE palette, bool background = true);
  ~TPaletteSelection();
  TPaletteSelection(const TPaletteSelection&) = delete;
  TPaletteSelection& operator=(const TPaletteSelection&) = delete;
  // Entries the realisation mapped into the system palette.
  uint32_t Realized() const { return realized_; }

private:
  HDC dc_;
  HPALETTE old_ = nullptr;
  uint32_t realized_ = 0;
};
