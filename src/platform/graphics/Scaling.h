// Integer scaling as the platform does it, for font heights and layouts
// moved between resolutions. Portable.
#pragma once

#include <cstdint>

// The platform's MulDiv: a * b / c rounded to the nearest integer, halves
// away from zero; -1 when c is 0 or the result does not fit.
int32_t KyMulDiv(int32_t a, int32_t b, int32_t c);
