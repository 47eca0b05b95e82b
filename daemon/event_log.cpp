#include "daemon/event_log.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <iostream>

#include <fcntl.h>
#include <unistd.h>

#include "protocol/traffic_log.h"
#include "serial/logged_serial_port.h"

namespace pv7100::daemon {

void EventLog::event(std::string_view message) {
  std::cerr << "pv7100d: " << message << std::endl;
}

EventLog::~EventLog() {
  if (traffic_ >= 0) ::close(traffic_);
}

void EventLog::openTrafficLog(const std::string& path) {
  traffic_ = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
  if (traffic_ < 0)
    throw LogFileError("cannot append to the log file " + path + ": " + std::strerror(errno));
}

void EventLog::pjlink(std::string_view peer, bool fromClient, std::string_view text) {
  if (traffic_ < 0) return;
  std::string line = logTimestamp(std::chrono::system_clock::now());
  line += " PJLINK ";
  line += peer;
  line += fromClient ? " < " : " > ";
  for (const char c : text) line += c >= ' ' && c <= '~' ? c : '?';
  line += '\n';
  if (::write(traffic_, line.data(), line.size()) == static_cast<ssize_t>(line.size())) return;
  if (!failed_) event("cannot write to the log file: " + std::string(std::strerror(errno)));
  failed_ = true;
}

}  // namespace pv7100::daemon
