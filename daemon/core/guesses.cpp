#include "daemon/core/guesses.h"

#include <algorithm>

namespace pv7100::daemon {

Guesses::Clock::duration Guesses::wait(const std::string& address, Clock::time_point now) const {
  const auto found = records_.find(address);
  if (found == records_.end() || now - found->second.last >= kGuessMemory) return {};
  return std::max(found->second.next - now, Clock::duration::zero());
}

Guesses::Clock::duration Guesses::judged(const std::string& address, bool right,
                                         Clock::time_point now) {
  if (right) {
    records_.erase(address);
    return {};
  }
  auto found = records_.find(address);
  if (found == records_.end()) {
    // Many addresses cannot grow the table: the one quiet for longest makes room.
    if (records_.size() >= kMaxGuessers)
      records_.erase(std::ranges::min_element(records_, {},
                                              [](const auto& entry) { return entry.second.last; }));
    found = records_.emplace(address, Record{}).first;
  } else if (now - found->second.last >= kGuessMemory) {
    found->second = {};
  }
  Record& record = found->second;
  ++record.wrong;
  record.last = now;
  if (record.wrong < kFreeTries) return {};
  // Eight doublings pass any sensible cap already.
  const int doublings = std::min(record.wrong - kFreeTries, 8);
  record.next =
      now + std::min<Clock::duration>(kFirstGuessDelay * (1 << doublings), kMaxGuessDelay);
  return record.next - now;
}

}  // namespace pv7100::daemon
