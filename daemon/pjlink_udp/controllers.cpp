#include "daemon/pjlink_udp/controllers.h"

#include <algorithm>

namespace pv7100::daemon {

void Controllers::heard(const std::string& address, Clock::time_point now) {
  std::erase_if(heard_, [&](const Heard& entry) { return entry.address == address; });
  heard_.push_front({address, now});
  if (heard_.size() > kMaxControllers) heard_.pop_back();
}

std::vector<std::string> Controllers::current(Clock::time_point now) {
  while (!heard_.empty() && now - heard_.back().when >= kForgetAfter) heard_.pop_back();
  std::vector<std::string> addresses;
  for (const Heard& entry : heard_) addresses.push_back(entry.address);
  return addresses;
}

}  // namespace pv7100::daemon
