// Wrong passwords counted per client network, so that guessing costs time: after kFreeTries
// wrong ones from a network, a try from it is judged only once the delay its last wrong one set
// has passed, and each further wrong one doubles that delay up to kMaxGuessDelay. A network is
// an IPv4 address's /24 or an IPv6 address's /64: a guesser who takes ever-new addresses (any
// host of a LAN, or of a /64 handed to one machine) stays in one, while a client elsewhere pays
// nothing for it. One for each face that asks for a password (PJLink's digest, the web page's).
#pragma once

#include <chrono>
#include <cstddef>
#include <map>
#include <string>
#include <string_view>

namespace pv7100::daemon {

// Wrong passwords from one network that cost nothing.
inline constexpr int kFreeTries = 3;
// What a try costs after them, doubled with each wrong one, up to kMaxGuessDelay: less than
// PJLink's idle close of 30 s, so that a client waiting its turn alone is not closed as idle.
inline constexpr std::chrono::milliseconds kFirstGuessDelay{2000};
inline constexpr std::chrono::milliseconds kMaxGuessDelay{16'000};
// A network is forgotten this long after its last wrong password (a right one forgets nothing).
inline constexpr std::chrono::minutes kGuessMemory{10};
// Networks remembered at once; beyond, the one quiet for longest is forgotten.
inline constexpr std::size_t kMaxGuessers = 1024;

// The network whose guesses `address` shares: "192.0.2.0/24", "2001:db8:1:2::/64"; an IPv4
// address in IPv6 form counts as IPv4; anything else stands for itself.
std::string networkOf(std::string_view address);

class Guesses {
 public:
  using Clock = std::chrono::steady_clock;

  // How long a try from `address` must still wait before it is judged.
  Clock::duration wait(std::string_view address, Clock::time_point now) const;
  // A try judged at `now`; only a wrong one counts. Returns the next try's wait.
  Clock::duration judged(std::string_view address, bool right, Clock::time_point now);

 private:
  struct Record {
    int wrong = 0;
    Clock::time_point last{};  // the last wrong try
    Clock::time_point next{};  // no try is judged before
  };

  std::map<std::string, Record, std::less<>> records_;
};

}  // namespace pv7100::daemon
