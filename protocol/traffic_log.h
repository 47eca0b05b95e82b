// The traffic log: one line per command line sent and per reply received.
//
//   2026-12-07T09:12:03.141+01:00 TX C R 0 CR
//   2026-12-07T09:12:03.162+01:00 RX 8 0 CR
//
// The local time with milliseconds and its offset from UTC (ISO 8601), "TX" for bytes sent or
// "RX" for bytes received, then the bytes exactly as the monitor lines render them (their
// leading space separates them from the direction word; each token keeps its trailing space).
#pragma once

#include <chrono>
#include <string>
#include <string_view>

namespace pv7100 {

enum class Direction { sent, received };

// "2026-12-07T09:12:03.141+01:00", in the local time zone.
std::string logTimestamp(std::chrono::system_clock::time_point when);

// One line of the log, without its LF.
std::string trafficLogLine(std::string_view timestamp, Direction direction, std::string_view bytes);

}  // namespace pv7100
