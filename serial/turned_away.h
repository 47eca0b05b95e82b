// What pv7100d writes on its local socket to a client it turns away because it serves as many
// clients as it takes, just before it closes the connection. Nothing else comes before a
// client's first line is answered, so a client tells it from the line's bytes.
#pragma once

#include <string_view>

namespace pv7100 {

inline constexpr std::string_view kTurnedAwayNotice =
    "pv7100d serves as many clients as it takes\r\n";

}  // namespace pv7100
