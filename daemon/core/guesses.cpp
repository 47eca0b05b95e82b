#include "daemon/core/guesses.h"

#include <algorithm>
#include <cstring>

#include <arpa/inet.h>

namespace pv7100::daemon {

std::string networkOf(std::string_view address) {
  const std::string text(address);
  unsigned char bytes[16] = {};
  char shown[INET6_ADDRSTRLEN] = {};
  constexpr unsigned char kMapped[12] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xff, 0xff};
  if (inet_pton(AF_INET6, text.c_str(), bytes) == 1) {
    if (std::memcmp(bytes, kMapped, sizeof kMapped) != 0) {
      std::fill(bytes + 8, bytes + 16, 0);
      inet_ntop(AF_INET6, bytes, shown, sizeof shown);
      return std::string(shown) + "/64";
    }
    std::memmove(bytes, bytes + 12, 4);
  } else if (inet_pton(AF_INET, text.c_str(), bytes) != 1) {
    return text;
  }
  bytes[3] = 0;
  inet_ntop(AF_INET, bytes, shown, sizeof shown);
  return std::string(shown) + "/24";
}

Guesses::Clock::duration Guesses::wait(std::string_view address, Clock::time_point now) const {
  const auto found = records_.find(networkOf(address));
  if (found == records_.end() || now - found->second.last >= kGuessMemory) return {};
  return std::max(found->second.next - now, Clock::duration::zero());
}

Guesses::Clock::duration Guesses::judged(std::string_view address, bool right,
                                         Clock::time_point now) {
  // A right one forgets nothing: a guesser who shares a network with the page's user would
  // otherwise start afresh with each of the user's requests.
  if (right) return {};
  const std::string network = networkOf(address);
  auto found = records_.find(network);
  if (found == records_.end()) {
    // Many networks cannot grow the table: the one quiet for longest makes room.
    if (records_.size() >= kMaxGuessers)
      records_.erase(std::ranges::min_element(records_, {},
                                              [](const auto& entry) { return entry.second.last; }));
    found = records_.emplace(network, Record{}).first;
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
