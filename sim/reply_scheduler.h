// Shapes the projector's output on its way to the line: holds replies back, cuts them into
// single bytes, mixes noise into them, drops them, or adds talk nobody asked for. Time is passed
// in, so the whole schedule can be checked without a clock.
#pragma once

#include <cstdint>
#include <deque>
#include <optional>
#include <random>
#include <string>
#include <string_view>

#include "sim/sim_time.h"

namespace pv7100::sim {

struct Shaping {
  bool silent = false;   // replies are dropped
  bool split = false;    // replies go out one byte at a time, kSplitGapMs apart
  Millis delayMs = 0;    // replies go out this long after the command
  bool garbage = false;  // 1 to 3 random bytes are mixed into every reply
  int chattyRate = 0;    // unasked characters per second; 0 for none
  std::uint32_t seed = 1;
};

inline constexpr Millis kSplitGapMs = 5;

class ReplyScheduler {
 public:
  // Unasked talk is counted from `start`.
  ReplyScheduler(const Shaping& shaping, Millis start);

  // Queues `reply` to a command taken at `now`. Replies never overtake one another.
  void submit(std::string_view reply, Millis now);

  // Removes and returns the bytes due at or before `now`, in the order they go out.
  std::string takeDue(Millis now);

  // When the next byte falls due; nullopt when nothing is waiting and nobody chats.
  std::optional<Millis> nextDue() const;

 private:
  struct TimedByte {
    Millis at;
    char byte;
  };

  std::string withGarbage(std::string_view reply);
  Millis chatterDue(std::int64_t count) const;

  Shaping shaping_;
  Millis start_;
  std::deque<TimedByte> queue_;
  std::int64_t chatterSent_ = 0;
  std::mt19937 random_;
};

}  // namespace pv7100::sim
