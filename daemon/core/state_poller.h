// Keeps the projector's state fresh, gently: the operating state every 10 s, every 1 s while the
// projector counts down or cools down; the input and the mutes every 30 s, the lamp hours every
// 60 s, the version once after each opening; the details (temperatures, pressure, lamp mode,
// reversal) every minute when a face shows them. A read goes out only when the port has nothing
// else to do, and never less than 1 s after the last read began. While a button is held the
// reads wait for a gap, except one that someone waits for, which goes between two held lines.
// Nothing read is kept once the projector stops answering or its port goes away: the state is
// empty until each read answers again, and every read is due as soon as the projector answers.
#pragma once

#include <array>
#include <chrono>
#include <functional>
#include <memory>
#include <vector>

#include <QObject>

#include "daemon/core/core_clock.h"
#include "daemon/core/port_owner.h"
#include "daemon/core/projector_state.h"

namespace pv7100::daemon {

struct PollSettings {
  std::chrono::milliseconds stateInterval{10'000};
  std::chrono::milliseconds busyInterval{1000};  // while counting down or cooling down
  // The details' interval; zero: they are not read.
  std::chrono::milliseconds detailInterval{0};
};

class StatePoller : public QObject {
  Q_OBJECT

 public:
  using Clock = std::chrono::steady_clock;
  static constexpr std::chrono::milliseconds kMinGap{1000};

  StatePoller(PortOwner& port, PollSettings settings, CoreClock& clock);

  const ProjectorState& state() const { return state_; }
  ProjectorState& state() { return state_; }
  // The read has answered since the port opened and since anything changed what it reads.
  bool fresh(Read read) const { return reads_[index(read)].fresh; }
  std::array<bool, kReadCount> freshness() const;
  // The read has had an answer it understood since the port opened.
  bool answered(Read read) const { return reads_[index(read)].answered; }

  // What `read` reads may have changed: it is no longer fresh and is read as soon as it may.
  void refresh(Read read);
  // Calls `then` once the next `read` has ended, answered or not, or the port went away.
  void whenRead(Read read, std::function<void()> then);

 signals:
  // A read ended and may have changed the state.
  void readEnded();

 private:
  struct ReadState {
    bool fresh = false;
    bool answered = false;
    Clock::time_point due = Clock::time_point::max();
    std::vector<std::function<void()>> waiting;
  };

  static int index(Read read) { return static_cast<int>(read); }
  bool polled(Read read) const;
  std::chrono::milliseconds interval(Read read) const;
  bool wanted(const ReadState& entry) const;
  void schedule();
  void poll();
  void take(Read read, const PortOwner::Result& result);
  void portChanged();
  void answeringChanged();
  void forget();
  void wake(Read read);

  PortOwner& port_;
  PollSettings settings_;
  CoreClock& clock_;
  ProjectorState state_;
  std::array<ReadState, kReadCount> reads_{};
  bool reading_ = false;
  Read inFlight_ = Read::state;  // what the read under way reads, while reading_
  Clock::time_point lastRead_{};
  std::unique_ptr<CoreTimer> timer_;
};

}  // namespace pv7100::daemon
