#include "ctl/projector_line.h"

#include <array>

#include <poll.h>

#include "ctl/messages.h"
#include "ctl/stop_signals.h"

namespace pv7100::ctl {

ProjectorLine::ProjectorLine(const std::string& device, int baud, const std::string& logFile) {
  if (!logFile.empty()) {
    logged_ = std::make_unique<LoggedSerialPort>(serial_, logFile);
    port_ = logged_.get();
    logged_->onLogFailed([this](const std::string& reason) {
      logFailure_ = reason;
      complain(reason);
    });
  }
  port_->onReceived([this](std::string_view bytes) { cutter_.add(bytes); });
  port_->onLost([this](const PortError& error) { lost_ = error; });
  port_->open(device, LineSettings{.baud = baud});
}

void ProjectorLine::send(std::string_view line) {
  if (lost_) throw *lost_;
  port_->write(line);
}

// False once `deadline` has passed.
bool ProjectorLine::waitUntil(Clock::time_point deadline) {
  if (lost_) throw *lost_;
  const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
  if (left.count() <= 0) return false;
  std::array<pollfd, 2> watched{
      {{serial_.descriptor(), POLLIN, 0}, {stopSignalDescriptor(), POLLIN, 0}}};
  ::poll(watched.data(), watched.size(), static_cast<int>(left.count()));
  checkStopSignals();
  if (watched[0].revents != 0) serial_.waitForReceived(0);
  if (lost_) throw *lost_;
  return true;
}

std::optional<std::string> ProjectorLine::nextReply(Clock::time_point deadline) {
  for (;;) {
    if (auto reply = cutter_.take()) return reply;
    if (!waitUntil(deadline)) return std::nullopt;
  }
}

std::optional<std::string> ProjectorLine::ask(std::string_view line,
                                              std::chrono::milliseconds timeout) {
  cutter_.clear();
  send(line);
  auto reply = nextReply(Clock::now() + timeout);
  if (!reply) dropLateReply(timeout);
  return reply;
}

void ProjectorLine::dropLateReply(std::chrono::milliseconds linger) {
  nextReply(Clock::now() + linger);
  cutter_.clear();
}

void ProjectorLine::idleUntil(Clock::time_point deadline) {
  while (waitUntil(deadline)) {
  }
}

}  // namespace pv7100::ctl
