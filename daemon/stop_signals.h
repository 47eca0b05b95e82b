// SIGTERM and SIGINT as events of the Qt event loop, so that the daemon ends between two
// events and can close its port: the signals are blocked and read from a signalfd.
#pragma once

#include <functional>

#include <QObject>
#include <QSocketNotifier>

namespace pv7100::daemon {

// Blocks SIGTERM and SIGINT in this thread and every thread started after it: call it first.
void blockStopSignals();

class StopSignals : public QObject {
  Q_OBJECT

 public:
  // `stop` runs, in the event loop, with the signal's name.
  explicit StopSignals(std::function<void(const char* name)> stop);
  ~StopSignals() override;

 private:
  int fd_;
  std::function<void(const char*)> stop_;
  QSocketNotifier notifier_;
};

}  // namespace pv7100::daemon
