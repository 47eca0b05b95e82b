// What the daemon tells: one line per event on standard error, for the system journal, and the
// PJLink requests and replies in the traffic log beside the serial traffic.
//
//   2026-12-07T09:12:03.141+01:00 PJLINK 127.0.0.1:40312 < %1POWR ?
//   2026-12-07T09:12:03.142+01:00 PJLINK 127.0.0.1:40312 > %1POWR=0
//
// Events that can come in a flood (a line that talks without end, a client guessing the
// password) are told at most once every kQuietPeriod per kind, with what they add up to.
#pragma once

#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "daemon/core/core_clock.h"

namespace pv7100::daemon {

class EventLog {
 public:
  static constexpr std::chrono::milliseconds kQuietPeriod{5000};
  // The line that tells an amount of a counted event: "dropped 1048576 bytes of ...".
  using Describe = std::function<std::string(long amount)>;

  // "pv7100d: " and `message` on standard error.
  void event(std::string_view message);
  // `amount` more of the event `kind`. The first of a kind after a quiet period is told at once;
  // what comes within the period after it is added up and told in one line when it ends.
  void counted(const std::string& kind, long amount, Describe describe);

  explicit EventLog(CoreClock& clock = qtClock());
  EventLog(const EventLog&) = delete;
  EventLog& operator=(const EventLog&) = delete;
  ~EventLog();

  // Appends PJLink traffic to `path` from now on, each line in one write, beside the serial
  // traffic that the logging port has already opened it for. Throws LogFileError.
  void openTrafficLog(const std::string& path);
  // Opens the traffic log again at its path, for a log that was moved away to be rotated.
  // Throws LogFileError, keeping the file it had.
  void reopenTrafficLog();
  // A request (`fromClient`) or reply, without its CR; nothing without a traffic log.
  void pjlink(std::string_view peer, bool fromClient, std::string_view text);

 private:
  struct Tally {
    long pending = 0;
    CoreClock::TimePoint told{};
    Describe describe;
  };

  void tellDue();

  std::string trafficPath_;
  int traffic_ = -1;
  bool failed_ = false;  // a line could not be written, and that has been told
  std::map<std::string, Tally, std::less<>> tallies_;
  CoreClock& clock_;
  CoreClock::TimePoint pruned_{};
  std::unique_ptr<CoreTimer> tallyTimer_;
};

}  // namespace pv7100::daemon
