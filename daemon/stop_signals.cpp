#include "daemon/stop_signals.h"

#include <csignal>

#include <sys/signalfd.h>
#include <unistd.h>

namespace pv7100::daemon {
namespace {

sigset_t stopSet() {
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, SIGTERM);
  sigaddset(&set, SIGINT);
  return set;
}

}  // namespace

void blockStopSignals() {
  const sigset_t set = stopSet();
  pthread_sigmask(SIG_BLOCK, &set, nullptr);
}

StopSignals::StopSignals(std::function<void(const char*)> stop)
    : fd_([] {
        const sigset_t set = stopSet();
        return ::signalfd(-1, &set, SFD_NONBLOCK | SFD_CLOEXEC);
      }()),
      stop_(std::move(stop)),
      notifier_(fd_, QSocketNotifier::Read) {
  connect(&notifier_, &QSocketNotifier::activated, this, [this] {
    signalfd_siginfo info{};
    if (::read(fd_, &info, sizeof info) != sizeof info) return;
    stop_(info.ssi_signo == SIGINT ? "SIGINT" : "SIGTERM");
  });
}

StopSignals::~StopSignals() {
  notifier_.setEnabled(false);
  ::close(fd_);
}

}  // namespace pv7100::daemon
