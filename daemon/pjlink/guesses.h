// Wrong passwords counted per client address, so that guessing costs time: after kFreeTries
// wrong ones, a try from that address is judged only once the delay its last wrong one set has
// passed, and each further wrong one doubles that delay up to kMaxGuessDelay (bounds.h).
#pragma once

#include <chrono>
#include <map>
#include <string>

namespace pv7100::daemon {

class Guesses {
 public:
  using Clock = std::chrono::steady_clock;

  // How long a try from `address` must still wait before it is judged.
  Clock::duration wait(const std::string& address, Clock::time_point now) const;
  // A try judged at `now`: a right one forgets the address. Returns the next try's wait.
  Clock::duration judged(const std::string& address, bool right, Clock::time_point now);

 private:
  struct Record {
    int wrong = 0;
    Clock::time_point last{};  // the last wrong try
    Clock::time_point next{};  // no try is judged before
  };

  std::map<std::string, Record, std::less<>> records_;
};

}  // namespace pv7100::daemon
