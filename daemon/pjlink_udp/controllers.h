// The controllers that notifications go to: the addresses that sent the PJLink face a request
// lately, newest first. Bounded, so that a flood of clients costs neither memory nor traffic:
// kMaxControllers at most, the one heard from longest ago dropped for a new one, and each
// forgotten kForgetAfter after it was last heard from.
#pragma once

#include <chrono>
#include <cstddef>
#include <deque>
#include <string>
#include <vector>

namespace pv7100::daemon {

inline constexpr std::size_t kMaxControllers = 16;
inline constexpr std::chrono::minutes kForgetAfter{60};

class Controllers {
 public:
  using Clock = std::chrono::steady_clock;

  void heard(const std::string& address, Clock::time_point now);
  // The addresses heard from within kForgetAfter of `now`, newest first.
  std::vector<std::string> current(Clock::time_point now);

 private:
  struct Heard {
    std::string address;
    Clock::time_point when;
  };
  std::deque<Heard> heard_;
};

}  // namespace pv7100::daemon
