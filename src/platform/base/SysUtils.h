// Small text helpers shared by every layer. Portable: no <windows.h>.
#pragma once

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

// One argument of Format: an integer, a text or a floating-point number.
using TFormatArg = std::variant<int64_t, std::string, double>;

// printf-like formatting with %d %u %x %X %s %f %g %e %%, optional "-",
// width and precision. A placeholder without a fitting argument raises
// an Exception naming the format.
std::string Format(const std::string& format, const std::vector<TFormatArg>& args);

std::string UpperCase(std::string s);
std::string LowerCase(std::string s);
bool SameText(const std::string& a, const std::string& b);
// Trims blanks and control characters at both ends.
std::string Trim(const std::string& s);

// Decimal text, or hexadecimal after "0x"/"$", with an optional sign and
// nothing around it; anything else gives def.
int32_t StrToIntDef(const std::string& s, int32_t def);
bool TryStrToInt(const std::string& s, int32_t& value);

// Comma text: items separated by commas or blanks; double quotes group an
// item (a doubled quote inside is one quote). Empty quoted items are kept.
std::vector<std::string> SplitCommaText(const std::string& text);
// The inverse: items holding blanks, control characters, commas or quotes
// are quoted; empty items stay empty (a,,b) unless one is the only item ("").
std::string JoinCommaText(const std::vector<std::string>& items);
