// What the display packages need to know of the screen.
#pragma once

#include <cstdint>

// Logical pixels per inch of the screen (vertical), as fonts are scaled by.
int32_t ScreenLogPixelsY();
