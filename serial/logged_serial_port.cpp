#include "serial/logged_serial_port.h"

#include <cerrno>
#include <cstring>

#include "protocol/line_format.h"

namespace pv7100 {

LoggedSerialPort::LoggedSerialPort(SerialPort& port, const std::string& path)
    : port_(port), file_(std::fopen(path.c_str(), "a"), &std::fclose) {
  if (!file_)
    throw LogFileError("cannot append to the log file " + path + ": " + std::strerror(errno));
  port_.onReceived([this](std::string_view bytes) { received(bytes); });
  port_.onLost([this](const PortError& error) {
    logPending();
    if (onLost_) onLost_(error);
  });
}

LoggedSerialPort::~LoggedSerialPort() {
  port_.onReceived(nullptr);
  port_.onLost(nullptr);
  logPending();
}

void LoggedSerialPort::open(const std::string& device, const LineSettings& settings) {
  logPending();
  port_.open(device, settings);
}

void LoggedSerialPort::close() {
  logPending();
  port_.close();
}

// Only what the port took is logged.
void LoggedSerialPort::write(std::string_view bytes) {
  logPending();
  port_.write(bytes);
  log(Direction::sent, bytes);
}

void LoggedSerialPort::received(std::string_view bytes) {
  for (const char c : bytes) {
    pending_ += c;
    if (c == kAck || c == kCarriageReturn || pending_.size() >= kMaxPending) logPending();
  }
  if (onReceived_) onReceived_(bytes);
}

void LoggedSerialPort::logPending() {
  if (pending_.empty()) return;
  log(Direction::received, pending_);
  pending_.clear();
}

void LoggedSerialPort::log(Direction direction, std::string_view bytes) {
  const std::string line =
      trafficLogLine(logTimestamp(std::chrono::system_clock::now()), direction, bytes);
  std::fprintf(file_.get(), "%s\n", line.c_str());
  std::fflush(file_.get());
}

}  // namespace pv7100
