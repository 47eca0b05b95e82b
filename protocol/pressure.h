// The air-pressure reading of a "CR PRESSURE" reply.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace pv7100 {

// The number at the start of `text`: spaces, tabs and line feeds are skipped wherever they
// stand; then an optional sign, digits with at most one decimal point and an optional exponent
// (E or D, optional sign, digits). No digits give 0.
double numericValue(std::string_view text);

// `value` rounded to the nearest integer, an exact half to the even neighbour; std::nullopt
// when the result does not fit in 16 bits.
std::optional<std::int16_t> roundToInt16(double value);

// The pressure in hPa for the reply monitor text `r`; std::nullopt when the reading lies
// outside what 16 bits carry (beyond -6553 to 6553).
std::optional<std::int16_t> pressureHpa(std::string_view r);

}  // namespace pv7100
