// pv7100d's core on the panel tests' virtual clock: its timers fire as the test advances the
// time, each followed by the work it left for Qt's next turn, so that what the core does comes
// at the moment it would.
#pragma once

#include <QCoreApplication>

#include "daemon/core/core_clock.h"
#include "tests/support/fake_toolkit.h"

namespace pv7100::testing {

class VirtualCoreTimer : public daemon::CoreTimer, public VirtualTimer {
 public:
  VirtualCoreTimer(VirtualClock& clock, bool repeating, std::function<void()> timeout)
      : clock_(clock), repeating_(repeating), timeout_(std::move(timeout)) {
    clock_.add(*this);
  }
  ~VirtualCoreTimer() override { clock_.remove(*this); }
  void start(std::chrono::milliseconds interval) override {
    interval_ = interval.count();
    active_ = true;
    arm(clock_, interval_);
  }
  void stop() override { active_ = false; }
  bool isActive() const override { return active_; }
  bool armed() const override { return active_; }
  void fire() override {
    active_ = repeating_;
    if (repeating_) arm(clock_, interval_);
    timeout_();
    QCoreApplication::sendPostedEvents();
  }
  void reset() override { active_ = false; }

 private:
  VirtualClock& clock_;
  bool repeating_;
  std::function<void()> timeout_;
  long long interval_ = 0;
  bool active_ = false;
};

class VirtualCoreClock : public daemon::CoreClock {
 public:
  TimePoint now() const override { return kStart + std::chrono::milliseconds(clock_.now()); }
  std::unique_ptr<daemon::CoreTimer> timer(Repeat repeat, Precision,
                                           std::function<void()> timeout) override {
    return std::make_unique<VirtualCoreTimer>(clock_, repeat == Repeat::repeating,
                                              std::move(timeout));
  }
  // The work left for the next turn, then `ms` of time.
  void advance(long long ms) {
    QCoreApplication::sendPostedEvents();
    clock_.advance(ms);
  }
  // Milliseconds since the clock was made.
  long long elapsed() const { return clock_.now(); }

 private:
  // Far from the steady clock's epoch, as its now is: the core takes the epoch for "long ago".
  static constexpr TimePoint kStart = TimePoint{} + std::chrono::hours(1);
  VirtualClock clock_;
};

}  // namespace pv7100::testing
