// Numbers as gauge files and gauge scripts write them. Everything read here comes from a file a
// user downloaded, so every conversion has a defined result for any input: a float that does not
// fit an int32 (NaN included) becomes 0, a double beyond the float range becomes an infinity,
// and the readers never depend on the process's locale.
#pragma once

#include <cstdint>
#include <string_view>

namespace XPL::UTILITY {

// v truncated toward zero; 0 when v is NaN or its integer part lies outside the int32 range.
int32_t TruncateToInt32(float v);

// v as a float: ±infinity beyond the float range, NaN stays NaN.
float NarrowToFloat(double v);

// A decimal integer after leading blanks (space, tab, CR, LF) and an optional sign; reading stops
// at the first other character; no digits give 0. Values beyond int32 saturate.
int32_t ParseDecimalInt(std::wstring_view text);

// A decimal number after leading blanks: optional sign, digits, optional fraction, optional
// exponent; reading stops at the first other character; nothing readable gives 0. Rounded to
// the nearest float; a magnitude beyond the float range gives ±infinity, one below it 0.
float ParseDecimalFloat(std::wstring_view text);

// The text's value when it is made of the digits 0 to 9 only (empty: 0), read the way the
// decimal reader above would; any other text gives 0.
float DigitsValue(std::wstring_view digits);

// Index of the first character that is not a blank (space, tab, CR, LF), or text.size().
size_t SkipBlanks(std::wstring_view text, size_t at = 0);

}  // namespace XPL::UTILITY
