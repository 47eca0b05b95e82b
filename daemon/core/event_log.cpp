#include "daemon/core/event_log.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <iostream>
#include <optional>
#include <utility>

#include <unistd.h>

#include "protocol/traffic_log.h"
#include "serial/logged_serial_port.h"

namespace pv7100::daemon {

EventLog::EventLog(CoreClock& clock)
    : clock_(clock),
      tallyTimer_(clock.timer(CoreClock::Repeat::once, CoreClock::Precision::coarse,
                              [this] { tellDue(); })) {}

void EventLog::event(std::string_view message) {
  std::cerr << "pv7100d: " << message << std::endl;
}

void EventLog::counted(const std::string& kind, long amount, Describe describe) {
  const auto now = clock_.now();
  // Kinds may name a client: those quiet for a period are forgotten, as good as never told.
  if (now - pruned_ >= kQuietPeriod) {
    pruned_ = now;
    std::erase_if(tallies_, [now](const auto& entry) {
      return entry.second.pending == 0 && now - entry.second.told >= kQuietPeriod;
    });
  }
  Tally& tally = tallies_[kind];
  tally.describe = std::move(describe);
  if (tally.pending == 0 && now - tally.told >= kQuietPeriod) {
    tally.told = now;
    event(tally.describe(amount));
    return;
  }
  tally.pending += amount;
  if (!tallyTimer_->isActive())
    tallyTimer_->start(
        std::chrono::ceil<std::chrono::milliseconds>(tally.told + kQuietPeriod - now));
}

// Tells each kind whose quiet period is over what came during it, and waits for the next.
void EventLog::tellDue() {
  const auto now = clock_.now();
  std::optional<CoreClock::TimePoint> next;
  for (auto& [kind, tally] : tallies_) {
    if (tally.pending == 0) continue;
    if (now - tally.told >= kQuietPeriod) {
      tally.told = now;
      event(tally.describe(std::exchange(tally.pending, 0)));
    } else if (!next || tally.told + kQuietPeriod < *next) {
      next = tally.told + kQuietPeriod;
    }
  }
  if (next) tallyTimer_->start(std::chrono::ceil<std::chrono::milliseconds>(*next - now));
}

EventLog::~EventLog() {
  if (traffic_ >= 0) ::close(traffic_);
}

void EventLog::openTrafficLog(const std::string& path) {
  traffic_ = openLogForAppending(path);
  trafficPath_ = path;
}

void EventLog::reopenTrafficLog() {
  if (traffic_ < 0) return;
  const int traffic = openLogForAppending(trafficPath_);
  ::close(traffic_);
  traffic_ = traffic;
  failed_ = false;
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
