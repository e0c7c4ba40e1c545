#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vorn {

// The numeric value at the start of a text, read the way the platform's text-to-number
// function reads it: blanks, tabs and line feeds are skipped anywhere in the number; an
// optional sign, digits, an optional decimal point with more digits and an optional exponent
// (E or D) follow; "&H" and "&O" introduce hexadecimal and octal whole numbers. Reading stops
// at the first character that cannot continue the number; no leading number gives 0.
double LeadingNumber(std::string_view text);

// Rounds to the nearest whole number, a half going to the even neighbour (2.5 -> 2,
// 3.5 -> 4). Empty when the result does not fit a 16-bit signed integer.
std::optional<std::int16_t> RoundToInt16(double value);

// The shortest decimal text that reads back as the same value, no blanks, in the platform's
// default form: 0 -> "0", 7.25 -> "7.25", 100000 -> "100000", 1e15 -> "1E+15",
// 0.00001 -> "1E-05".
std::string ShortestNumberText(double value);

}  // namespace vorn
