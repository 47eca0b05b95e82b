// Wrong passwords counted per client address, so that guessing costs time: after kFreeTries
// wrong ones, a try from that address is judged only once the delay its last wrong one set has
// passed, and each further wrong one doubles that delay up to kMaxGuessDelay. One for each face
// that asks for a password (PJLink's digest, the web page's).
#pragma once

#include <chrono>
#include <cstddef>
#include <map>
#include <string>

namespace pv7100::daemon {

// Wrong passwords from one address that cost nothing.
inline constexpr int kFreeTries = 3;
// What a try costs after them, doubled with each wrong one, up to kMaxGuessDelay: less than
// PJLink's idle close of 30 s, so that a client waiting its turn alone is not closed as idle.
inline constexpr std::chrono::milliseconds kFirstGuessDelay{2000};
inline constexpr std::chrono::milliseconds kMaxGuessDelay{16'000};
// An address is forgotten this long after its last wrong password.
inline constexpr std::chrono::minutes kGuessMemory{10};
// Addresses remembered at once; beyond, the one quiet for longest is forgotten.
inline constexpr std::size_t kMaxGuessers = 1024;

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
