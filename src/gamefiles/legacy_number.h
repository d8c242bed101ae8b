#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kvo {

// Reads a number the way the old settings boxes and plane files did: blanks, tabs and line
// feeds are skipped wherever they stand; then an optional sign, digits, a decimal point and an
// exponent ("E" or "D") up to the first character that cannot continue the number. "&H" and
// "&O" start hexadecimal and octal numbers. No digit first gives 0.
double parseLegacyNumber(std::string_view text);

// parseLegacyNumber for plane files, whose old reader stopped with an overflow error: nullopt
// for a number too large for a double ("1e999", "&H100000000") rather than 0.
std::optional<double> readLegacyNumber(std::string_view text);

// Plain decimal text of a number as the old boxes showed it: 1024, 12.5, -3, 0.25.
std::string formatLegacyNumber(double value);

// The byte value of a number with halves rounded to even (2.5 gives 2, 3.5 gives 4);
// nullopt-like false when it is outside 0..255.
bool toByteRoundEven(double value, std::uint8_t& out);

}  // namespace kvo
