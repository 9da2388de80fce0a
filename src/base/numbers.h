#pragma once
// Numbers read from text as the platform's own conversions read them, so every place that takes a number from a
// setting agrees on what a number is.

#include <cstdint>
#include <optional>
#include <string_view>

namespace veltrane {

// The value of a hexadecimal digit in either letter case, or -1.
int hexDigit(char16_t c);

// A whole number as the platform's integer conversion reads it: optional leading blanks and sign, then decimal
// digits, or hexadecimal digits after "$" or "0x", and nothing else. A decimal number stays within the 32-bit
// range; a hexadecimal one may use all 32 bits, a pattern above 7FFFFFFF reading as its two's complement
// ("$FFFFFFFF" is -1). nullopt for anything else.
std::optional<std::int64_t> parseInteger(std::u16string_view text);

}  // namespace veltrane
