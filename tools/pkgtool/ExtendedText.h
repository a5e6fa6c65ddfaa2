// 80-bit extended floats as text that gives back the same ten bytes: the
// shortest decimal that reads back to the value (read with rounding to the
// nearest, ties to even), "Inf" and "-Inf", and "$" with the 80-bit pattern
// in 20 hex digits (sign and exponent first) for what decimal cannot carry:
// NaNs, unnormals and pseudo-denormals.
#pragma once

#include <string>

#include "platform/base/TypedStream.h"

std::string ExtendedToText(const TExtended& value);
// False with a reason when the text is no number or is too large.
bool TextToExtended(const std::string& text, TExtended& value, std::string& error);
