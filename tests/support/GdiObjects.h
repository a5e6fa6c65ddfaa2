// GDI objects of this process now, for tests that nothing is left behind.
#pragma once

#include <cstdint>

#include "platform/os/WinApi.h"

namespace ky_test {

// Wine's GetGuiResources always reports 0; there a handle whose high word
// is 0 matches its table slot whatever the generation, so the live slots
// are counted instead.
inline DWORD GdiObjects() {
  DWORD n = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
  if (n) return n;
  for (uintptr_t slot = 1; slot < 0x10000; ++slot)
    if (GetObjectType(reinterpret_cast<HGDIOBJ>(slot))) ++n;
  return n;
}

}  // namespace ky_test
