// The command line on the wire: the code followed by one carriage return, nothing else.
#pragma once

#include <string>
#include <string_view>

namespace pv7100 {

inline constexpr char kCarriageReturn = '\r';
inline constexpr char kAck = '\x06';

// The line a sender writes: `code` and one CR, with no other framing, length or checksum.
std::string commandLine(std::string_view code);

}  // namespace pv7100
