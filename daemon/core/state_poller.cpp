#include "daemon/core/state_poller.h"

#include <algorithm>

#include "daemon/core/projector_vocabulary.h"

namespace pv7100::daemon {

using namespace std::chrono_literals;

StatePoller::StatePoller(PortOwner& port, PollSettings settings)
    : port_(port), settings_(settings) {
  timer_.setSingleShot(true);
  connect(&timer_, &QTimer::timeout, this, [this] { poll(); });
  port_.onIdle([this] { schedule(); });
  port_.onPortChange([this] { portChanged(); });
}

std::array<bool, kReadCount> StatePoller::freshness() const {
  std::array<bool, kReadCount> fresh{};
  for (int i = 0; i < kReadCount; ++i) fresh[i] = reads_[i].fresh;
  return fresh;
}

std::chrono::milliseconds StatePoller::interval(Read read) const {
  switch (read) {
    case Read::state: {
      const bool busy = state_.operating && (state_.operating->power == Power::countingDown ||
                                             state_.operating->power == Power::coolingDown);
      return busy ? settings_.busyInterval : settings_.stateInterval;
    }
    case Read::input:
    case Read::mute:
      return 30s;
    case Read::lampHours:
      return 60s;
    case Read::version:
      break;
  }
  // The version is read once per opening: the opening makes it due again.
  return std::chrono::hours(24 * 365);
}

void StatePoller::refresh(Read read) {
  reads_[index(read)].fresh = false;
  reads_[index(read)].due = Clock::now();
  schedule();
}

void StatePoller::whenRead(Read read, std::function<void()> then) {
  ReadState& entry = reads_[index(read)];
  entry.waiting.push_back(std::move(then));
  if (!port_.isOpen()) {
    wake(read);
    return;
  }
  // Someone waits for it: it goes before the reads that are merely due, unless it is under way
  // already and its answer wakes the waiter.
  if (!reading_ || inFlight_ != read) entry.due = Clock::time_point{};
  schedule();
}

// The timer is set for the earliest due read, and no sooner than kMinGap after the last.
void StatePoller::schedule() {
  if (reading_ || !port_.isOpen()) return;
  const auto earliest = std::ranges::min_element(reads_, {}, &ReadState::due)->due;
  const auto when = std::max(earliest, lastRead_ + kMinGap);
  const auto wait = std::chrono::ceil<std::chrono::milliseconds>(when - Clock::now());
  timer_.start(std::max(wait, 0ms));
}

void StatePoller::poll() {
  if (reading_ || !port_.isOpen()) return;
  // Another exchange waits or runs: the port calls back once it is idle.
  if (!port_.idle()) return;
  // A held button keeps its pace: the reads wait for the gap after its last line.
  if (port_.clientsHolding()) {
    timer_.start(PortOwner::kHoldGap);
    return;
  }
  const auto now = Clock::now();
  const auto next = std::ranges::min_element(reads_, {}, &ReadState::due);
  if (next->due > now || now < lastRead_ + kMinGap) {
    schedule();
    return;
  }
  const Read read = static_cast<Read>(next - reads_.begin());
  reading_ = true;
  inFlight_ = read;
  lastRead_ = now;
  next->due = now + interval(read);
  port_.queue(std::string(readCode(read)),
              [this, read](const PortOwner::Result& result) { take(read, result); });
}

void StatePoller::take(Read read, const PortOwner::Result& result) {
  reading_ = false;
  ReadState& entry = reads_[index(read)];
  bool understood = false;
  if (result.outcome == PortOwner::Outcome::replied) {
    switch (read) {
      case Read::state:
        if (auto operating = decodeOperatingState(result.reply)) {
          state_.operating = operating;
          understood = true;
        }
        break;
      case Read::input:
        if (auto terminal = decodeInputTerminal(result.reply)) {
          state_.inputTerminal = terminal;
          understood = true;
        }
        break;
      case Read::mute:
        // "No signal" hides the mutes: what was known stands.
        if (auto mutes = decodeMutes(result.reply)) state_.mutes = mutes;
        understood = true;
        break;
      case Read::lampHours:
        if (auto hours = decodeLampHours(result.reply)) {
          state_.lampHours = hours;
          understood = true;
        }
        break;
      case Read::version:
        if (auto version = decodeVersion(result.reply)) {
          state_.version = version;
          understood = true;
        }
        break;
    }
  }
  entry.fresh = understood;
  // The busy interval starts or ends with what the state read found; an unanswered read is
  // tried again at the next turn.
  if (read == Read::state) entry.due = lastRead_ + interval(read);
  if (result.outcome == PortOwner::Outcome::noReply) entry.due = Clock::now();
  wake(read);
  schedule();
}

void StatePoller::wake(Read read) {
  std::vector<std::function<void()>> waiting = std::move(reads_[index(read)].waiting);
  reads_[index(read)].waiting.clear();
  for (auto& then : waiting) then();
}

// Whatever was read before may have changed while the port was away: all is read again.
void StatePoller::portChanged() {
  timer_.stop();
  reading_ = false;
  const auto now = Clock::now();
  for (ReadState& entry : reads_) {
    entry.fresh = false;
    entry.due = now;
  }
  for (int i = 0; i < kReadCount; ++i) wake(static_cast<Read>(i));
  schedule();
}

}  // namespace pv7100::daemon
