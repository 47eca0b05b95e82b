// Slows down whoever guesses a password, per address: after a wrong password the next attempt
// from that address is checked only once a wait has passed, 1 s after the first, doubling with
// each further one up to kLongestWait. A right password forgets the address; so does a quiet
// kForgetAfter. At most kMaxAddresses are kept, the one quiet longest making room. Every face
// that asks for a password (the web's, PJLink's) can use one.
#pragma once

#include <chrono>
#include <map>
#include <string>

namespace pv7100::daemon {

class GuessBrake {
 public:
  using Clock = std::chrono::steady_clock;
  static constexpr std::chrono::milliseconds kFirstWait{1000};
  static constexpr std::chrono::milliseconds kLongestWait{30'000};
  static constexpr std::chrono::minutes kForgetAfter{15};
  static constexpr std::size_t kMaxAddresses = 4096;

  // How long an attempt from `address` must wait before its password is checked; zero: now.
  std::chrono::milliseconds waitFor(const std::string& address, Clock::time_point now) const;
  // A wrong password from `address`: its next attempt waits. Returns the failures so far.
  int failed(const std::string& address, Clock::time_point now);
  void succeeded(const std::string& address) { addresses_.erase(address); }

 private:
  struct Guesser {
    int failures = 0;
    Clock::time_point last{};
    Clock::time_point notBefore{};
  };

  void forgetOld(Clock::time_point now);

  std::map<std::string, Guesser, std::less<>> addresses_;
};

}  // namespace pv7100::daemon
