#include "daemon/core/guess_brake.h"

#include <algorithm>

namespace pv7100::daemon {

std::chrono::milliseconds GuessBrake::waitFor(const std::string& address,
                                              Clock::time_point now) const {
  const auto found = addresses_.find(address);
  if (found == addresses_.end() || found->second.notBefore <= now) return {};
  return std::chrono::ceil<std::chrono::milliseconds>(found->second.notBefore - now);
}

int GuessBrake::failed(const std::string& address, Clock::time_point now) {
  forgetOld(now);
  Guesser& guesser = addresses_[address];
  ++guesser.failures;
  guesser.last = now;
  // 1 s, 2 s, 4 s ... : the shift stops well before it could overflow.
  const auto wait = kFirstWait * (1LL << std::min(guesser.failures - 1, 15));
  guesser.notBefore = now + std::min<std::chrono::milliseconds>(wait, kLongestWait);
  return guesser.failures;
}

void GuessBrake::forgetOld(Clock::time_point now) {
  std::erase_if(addresses_,
                [now](const auto& entry) { return now - entry.second.last >= kForgetAfter; });
  if (addresses_.size() < kMaxAddresses) return;
  const auto quietest =
      std::min_element(addresses_.begin(), addresses_.end(),
                       [](const auto& a, const auto& b) { return a.second.last < b.second.last; });
  addresses_.erase(quietest);
}

}  // namespace pv7100::daemon
