// What the daemon tells: one line per event on standard error, for the system journal, and the
// PJLink requests and replies in the traffic log beside the serial traffic.
//
//   2026-12-07T09:12:03.141+01:00 PJLINK 127.0.0.1:40312 < %1POWR ?
//   2026-12-07T09:12:03.142+01:00 PJLINK 127.0.0.1:40312 > %1POWR=0
#pragma once

#include <string>
#include <string_view>

namespace pv7100::daemon {

class EventLog {
 public:
  // "pv7100d: " and `message` on standard error.
  void event(std::string_view message);

  EventLog() = default;
  EventLog(const EventLog&) = delete;
  EventLog& operator=(const EventLog&) = delete;
  ~EventLog();

  // Appends PJLink traffic to `path` from now on, each line in one write, beside the serial
  // traffic that the logging port has already opened it for. Throws LogFileError.
  void openTrafficLog(const std::string& path);
  // A request (`fromClient`) or reply, without its CR; nothing without a traffic log.
  void pjlink(std::string_view peer, bool fromClient, std::string_view text);

 private:
  int traffic_ = -1;
  bool failed_ = false;  // a line could not be written, and that has been told
};

}  // namespace pv7100::daemon
