// Turns the reply to a status read into words for the STATUS line. Works on R, the monitor
// text of the whole reply buffer as the RXD line shows it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace pv7100 {

// The text for the STATUS line when `commandLine` is exactly one of the nine status reads
// (code and CR) and R decodes; std::nullopt leaves the line as it is. A "CR PRESSURE" decode
// stores the reading and then the pressure in `pressureValue`.
std::optional<std::string> decodeStatus(std::string_view commandLine, std::string_view r,
                                        std::int16_t& pressureValue);

}  // namespace pv7100
