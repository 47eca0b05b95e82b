#include "daemon/core/core_clock.h"

#include <QTimer>

namespace pv7100::daemon {
namespace {

class QtTimer : public CoreTimer {
 public:
  QtTimer(CoreClock::Repeat repeat, CoreClock::Precision precision, std::function<void()> timeout) {
    timer_.setSingleShot(repeat == CoreClock::Repeat::once);
    timer_.setTimerType(precision == CoreClock::Precision::precise ? Qt::PreciseTimer
                                                                   : Qt::CoarseTimer);
    timer_.callOnTimeout(std::move(timeout));
  }
  void start(std::chrono::milliseconds interval) override { timer_.start(interval); }
  void stop() override { timer_.stop(); }
  bool isActive() const override { return timer_.isActive(); }

 private:
  QTimer timer_;
};

class QtClock : public CoreClock {
 public:
  TimePoint now() const override { return std::chrono::steady_clock::now(); }
  std::unique_ptr<CoreTimer> timer(Repeat repeat, Precision precision,
                                   std::function<void()> timeout) override {
    return std::make_unique<QtTimer>(repeat, precision, std::move(timeout));
  }
};

}  // namespace

CoreClock& qtClock() {
  static QtClock clock;
  return clock;
}

}  // namespace pv7100::daemon
