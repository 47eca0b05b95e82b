#include "daemon/event_log.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <iostream>

#include "protocol/traffic_log.h"
#include "serial/logged_serial_port.h"

namespace pv7100::daemon {

void EventLog::event(std::string_view message) {
  std::cerr << "pv7100d: " << message << std::endl;
}

void EventLog::openTrafficLog(const std::string& path) {
  traffic_.reset(std::fopen(path.c_str(), "a"));
  if (!traffic_)
    throw LogFileError("cannot append to the log file " + path + ": " + std::strerror(errno));
}

void EventLog::pjlink(std::string_view peer, bool fromClient, std::string_view text) {
  if (!traffic_) return;
  std::string line = logTimestamp(std::chrono::system_clock::now());
  line += " PJLINK ";
  line += peer;
  line += fromClient ? " < " : " > ";
  for (const char c : text) line += c >= ' ' && c <= '~' ? c : '?';
  std::fprintf(traffic_.get(), "%s\n", line.c_str());
  std::fflush(traffic_.get());
}

}  // namespace pv7100::daemon
