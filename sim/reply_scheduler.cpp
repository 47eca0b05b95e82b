#include "sim/reply_scheduler.h"

#include <algorithm>
#include <cstddef>

namespace pv7100::sim {
namespace {

constexpr int kMaxGarbageBytes = 3;
constexpr char kFirstChatter = ' ';
constexpr char kLastChatter = 'z';

}  // namespace

ReplyScheduler::ReplyScheduler(const Shaping& shaping, Millis start)
    : shaping_(shaping), start_(start), random_(shaping.seed) {}

void ReplyScheduler::submit(std::string_view reply, Millis now) {
  if (shaping_.silent) return;
  const std::string bytes = shaping_.garbage ? withGarbage(reply) : std::string(reply);
  const Millis gap = shaping_.split ? kSplitGapMs : 0;
  Millis at = now + shaping_.delayMs;
  if (!queue_.empty()) at = std::max(at, queue_.back().at + gap);
  for (const char byte : bytes) {
    queue_.push_back({at, byte});
    at += gap;
  }
}

std::string ReplyScheduler::takeDue(Millis now) {
  std::string due;
  while (!queue_.empty() && queue_.front().at <= now) {
    due.push_back(queue_.front().byte);
    queue_.pop_front();
  }
  if (shaping_.chattyRate > 0) {
    const std::int64_t chatterByNow = (now - start_) * shaping_.chattyRate / 1000;
    for (; chatterSent_ < chatterByNow; ++chatterSent_) {
      due.push_back(
          static_cast<char>(kFirstChatter + random_() % (kLastChatter - kFirstChatter + 1)));
    }
  }
  return due;
}

std::optional<Millis> ReplyScheduler::nextDue() const {
  std::optional<Millis> next;
  if (!queue_.empty()) next = queue_.front().at;
  if (shaping_.chattyRate > 0) {
    const Millis chatter = chatterDue(chatterSent_ + 1);
    next = next ? std::min(*next, chatter) : chatter;
  }
  return next;
}

std::string ReplyScheduler::withGarbage(std::string_view reply) {
  std::string bytes(reply);
  const int count = 1 + static_cast<int>(random_() % kMaxGarbageBytes);
  for (int i = 0; i < count; ++i) {
    const auto position = static_cast<std::size_t>(random_() % (bytes.size() + 1));
    bytes.insert(bytes.begin() + static_cast<std::ptrdiff_t>(position),
                 static_cast<char>(random_() & 0xFF));
  }
  return bytes;
}

// The time by which `count` characters of talk are due: `rate` of them each second.
Millis ReplyScheduler::chatterDue(std::int64_t count) const {
  const std::int64_t rate = shaping_.chattyRate;
  return start_ + (count * 1000 + rate - 1) / rate;
}

}  // namespace pv7100::sim
