// The signals the daemon answers, as events of the Qt event loop: SIGTERM and SIGINT end it
// between two events, so that it can close its port; SIGHUP asks it to reopen its log, as
// logrotate does after moving the log away. The signals are blocked and read from a signalfd.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include <QObject>
#include <QSocketNotifier>

namespace pv7100::daemon {

// Blocks SIGTERM, SIGINT and SIGHUP in this thread and every thread started after it: call it
// first, so that none of them ends the daemon before it can answer them.
void blockProcessSignals();

class ProcessSignals : public QObject {
  Q_OBJECT

 public:
  // `stop` runs, in the event loop, with the signal's name; `reopen` on SIGHUP.
  ProcessSignals(std::function<void(const char* name)> stop, std::function<void()> reopen);
  ~ProcessSignals() override;

  // Why the signals cannot be read (no descriptor left, say), "" when they can.
  const std::string& error() const { return error_; }

 private:
  int fd_ = -1;
  std::string error_;
  std::function<void(const char*)> stop_;
  std::function<void()> reopen_;
  std::unique_ptr<QSocketNotifier> notifier_;
};

}  // namespace pv7100::daemon
