// The time the core keeps: its timers and the steady clock's now. The program runs on Qt's
// timers; the tests run the core on a virtual clock, its timing rules without waiting.
#pragma once

#include <chrono>
#include <functional>
#include <memory>

namespace pv7100::daemon {

class CoreTimer {
 public:
  virtual ~CoreTimer() = default;
  // Counts `interval` from now, stopping a count under way.
  virtual void start(std::chrono::milliseconds interval) = 0;
  virtual void stop() = 0;
  virtual bool isActive() const = 0;
};

class CoreClock {
 public:
  using TimePoint = std::chrono::steady_clock::time_point;
  enum class Repeat { once, repeating };
  // A coarse timer may fire 5 % early: a reply window or a hold's pace needs a precise one.
  enum class Precision { coarse, precise };

  virtual ~CoreClock() = default;
  virtual TimePoint now() const = 0;
  // A stopped timer that calls `timeout` each time its interval runs out.
  virtual std::unique_ptr<CoreTimer> timer(Repeat repeat, Precision precision,
                                           std::function<void()> timeout) = 0;
};

// The program's: the steady clock and QTimer.
CoreClock& qtClock();

}  // namespace pv7100::daemon
