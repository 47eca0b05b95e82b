#include "protocol/traffic_log.h"

#include <array>
#include <cstdio>
#include <ctime>

#include "protocol/monitor_text.h"

namespace pv7100 {

std::string logTimestamp(std::chrono::system_clock::time_point when) {
  using namespace std::chrono;
  const std::time_t seconds = system_clock::to_time_t(when);
  const auto millis = duration_cast<milliseconds>(when.time_since_epoch()).count() % 1000;
  std::tm local{};
  ::localtime_r(&seconds, &local);
  std::array<char, 32> date{};
  std::strftime(date.data(), date.size(), "%Y-%m-%dT%H:%M:%S", &local);
  // Zones are at most a day away from UTC.
  const int offset = static_cast<int>(local.tm_gmtoff / 60) % (24 * 60);
  const int magnitude = offset < 0 ? -offset : offset;
  std::array<char, 64> text{};
  std::snprintf(text.data(), text.size(), "%s.%03d%c%02d:%02d", date.data(),
                static_cast<int>(millis < 0 ? millis + 1000 : millis), offset < 0 ? '-' : '+',
                magnitude / 60, magnitude % 60);
  return text.data();
}

std::string trafficLogLine(std::string_view timestamp, Direction direction,
                           std::string_view bytes) {
  std::string line(timestamp);
  line += direction == Direction::sent ? " TX" : " RX";
  line += renderMonitor(bytes);
  return line;
}

}  // namespace pv7100
