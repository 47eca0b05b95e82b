// The line to one projector for one run of pv7100ctl: the port opened at the chosen speed,
// 8 data bits, no parity, 1 stop bit, optionally logged, and the replies that come back.
// Synchronous: every wait is a bounded wait on the port, with no event loop, that a stop
// signal ends (Stopped).
#pragma once

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "ctl/reply_cutter.h"
#include "serial/any_port.h"
#include "serial/logged_serial_port.h"

namespace pv7100::ctl {

using Clock = std::chrono::steady_clock;

class ProjectorLine {
 public:
  // Opens `device`; `logFile` empty means no log. Throws LogFileError before it tries the
  // port, and PortError when the port will not open.
  ProjectorLine(const std::string& device, int baud, const std::string& logFile);

  const std::string& device() const { return port_->device(); }

  // Writes `line`. Throws PortError.
  void send(std::string_view line);
  // The next complete reply, nullopt when none is complete by `deadline`. Throws PortError
  // (fault gone) when the port fails meanwhile.
  std::optional<std::string> nextReply(Clock::time_point deadline);
  // Forgets what came so far, sends `line` and waits up to `timeout` for its reply. When none
  // came, lingers (dropLateReply) for as long again.
  std::optional<std::string> ask(std::string_view line, std::chrono::milliseconds timeout);
  // Waits up to `linger` for one late reply and drops it (the log keeps it), so that it is not
  // taken for the answer to a later line, of this run or the next.
  void dropLateReply(std::chrono::milliseconds linger);
  // Waits until `deadline`, taking in what comes meanwhile. Throws PortError.
  void idleUntil(Clock::time_point deadline);
  // Why the log could not be written, "" while it could.
  const std::string& logFailure() const { return logFailure_; }

 private:
  bool waitUntil(Clock::time_point deadline);

  AnyPort serial_;
  std::unique_ptr<LoggedSerialPort> logged_;
  SerialPort* port_ = &serial_;
  ReplyCutter cutter_;
  std::optional<PortError> lost_;
  std::string logFailure_;
};

}  // namespace pv7100::ctl
