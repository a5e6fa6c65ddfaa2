// The pen styles that display configuration names. Portable.
#pragma once

#include <cstdint>

#include "platform/classes/TypInfo.h"

KY_ENUM(TKyPenStyle, uint8_t, pesClear, pesSolid, pesDash, pesDot, pesDashDot, pesDashDotDot)
