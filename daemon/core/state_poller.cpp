#include "daemon/core/state_poller.h"

#include <algorithm>

#include "daemon/core/projector_vocabulary.h"

namespace pv7100::daemon {

using namespace std::chrono_literals;

StatePoller::StatePoller(PortOwner& port, PollSettings settings, CoreClock& clock)
    : port_(port),
      settings_(settings),
      clock_(clock),
      timer_(
          clock.timer(CoreClock::Repeat::once, CoreClock::Precision::coarse, [this] { poll(); })) {
  connect(&port_, &PortOwner::becameIdle, this, [this] { schedule(); });
  connect(&port_, &PortOwner::portChanged, this, [this] { portChanged(); });
  connect(&port_, &PortOwner::answeringChanged, this, [this] { answeringChanged(); });
}

std::array<bool, kReadCount> StatePoller::freshness() const {
  std::array<bool, kReadCount> fresh{};
  for (int i = 0; i < kReadCount; ++i) fresh[i] = reads_[i].fresh;
  return fresh;
}

bool StatePoller::polled(Read read) const {
  return read < kFirstDetail || settings_.detailInterval.count() > 0;
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
    case Read::temperatures:
    case Read::pressure:
    case Read::lampMode:
    case Read::reversal:
      return settings_.detailInterval;
  }
  // The version is read once per opening: the opening makes it due again.
  return std::chrono::hours(24 * 365);
}

// Someone waits for it, or nothing is known of it since the port opened: it may go between
// the lines of a held button. The details never do.
bool StatePoller::wanted(const ReadState& entry) const {
  const auto read = static_cast<Read>(&entry - reads_.data());
  return !entry.waiting.empty() || (!entry.answered && read < kFirstDetail);
}

// What a command changed goes before the reads that are merely due, such as those after an
// opening: a page shows the count-down at once, not after the details.
void StatePoller::refresh(Read read) {
  reads_[index(read)].fresh = false;
  reads_[index(read)].due = Clock::time_point{};
  schedule();
}

void StatePoller::whenRead(Read read, std::function<void()> then) {
  ReadState& entry = reads_[index(read)];
  entry.waiting.push_back(std::move(then));
  if (!port_.isOpen() || !polled(read)) {
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
  auto earliest = Clock::time_point::max();
  for (int i = 0; i < kReadCount; ++i) {
    if (polled(static_cast<Read>(i))) earliest = std::min(earliest, reads_[i].due);
  }
  if (earliest == Clock::time_point::max()) return;
  const auto when = std::max(earliest, lastRead_ + kMinGap);
  const auto wait = std::chrono::ceil<std::chrono::milliseconds>(when - clock_.now());
  timer_->start(std::max(wait, 0ms));
}

void StatePoller::poll() {
  if (reading_ || !port_.isOpen()) return;
  const auto now = clock_.now();
  ReadState* next = nullptr;
  for (int i = 0; i < kReadCount; ++i) {
    if (polled(static_cast<Read>(i)) && (!next || reads_[i].due < next->due)) next = &reads_[i];
  }
  if (!next) return;
  if (next->due > now || now < lastRead_ + kMinGap) {
    schedule();
    return;
  }
  // A held button keeps its pace and other exchanges go first: a read waits for the gap after
  // them (the port calls back once idle), unless someone waits for it.
  const bool busy = port_.holding() || !port_.idle();
  if (busy && !wanted(*next)) {
    if (port_.holding()) timer_->start(PortOwner::kHoldGap);
    return;
  }
  const Read read = static_cast<Read>(next - reads_.data());
  reading_ = true;
  inFlight_ = read;
  lastRead_ = now;
  next->due = now + interval(read);
  port_.queue(
      std::string(readCode(read)),
      [this, read](const PortOwner::Result& result) { take(read, result); },
      busy ? PortOwner::Priority::between : PortOwner::Priority::normal);
}

void StatePoller::take(Read read, const PortOwner::Result& result) {
  reading_ = false;
  ReadState& entry = reads_[index(read)];
  const bool understood =
      result.outcome == PortOwner::Outcome::replied && takeReply(read, result.reply, state_);
  entry.fresh = understood;
  entry.answered = entry.answered || understood;
  // The busy interval starts or ends with what the state read found; an unanswered read is
  // tried again at the next turn.
  if (read == Read::state) entry.due = lastRead_ + interval(read);
  if (result.outcome == PortOwner::Outcome::noReply) entry.due = clock_.now();
  wake(read);
  emit readEnded();
  schedule();
}

void StatePoller::wake(Read read) {
  std::vector<std::function<void()>> waiting = std::move(reads_[index(read)].waiting);
  reads_[index(read)].waiting.clear();
  for (auto& then : waiting) then();
}

// Whatever was read before may have changed while the port was away: all is read again.
void StatePoller::portChanged() {
  timer_->stop();
  reading_ = false;
  forget();
  const auto now = clock_.now();
  for (ReadState& entry : reads_) entry.due = now;
  for (int i = 0; i < kReadCount; ++i) wake(static_cast<Read>(i));
  schedule();
}

// A projector that does not answer may be switched off, or another one by now: what was read
// from it is no longer known. Once it answers again, everything is read again, the read whose
// answer brought it back excepted (its answer is taken after this).
void StatePoller::answeringChanged() {
  if (!port_.answering()) {
    forget();
    return;
  }
  const auto now = clock_.now();
  for (int i = 0; i < kReadCount; ++i) {
    if (!reading_ || i != index(inFlight_)) reads_[i].due = std::min(reads_[i].due, now);
  }
  schedule();
}

void StatePoller::forget() {
  state_ = ProjectorState{};
  for (ReadState& entry : reads_) {
    entry.fresh = false;
    entry.answered = false;
  }
}

}  // namespace pv7100::daemon
