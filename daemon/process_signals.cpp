#include "daemon/process_signals.h"

#include <csignal>

#include <sys/signalfd.h>
#include <unistd.h>

namespace pv7100::daemon {
namespace {

sigset_t handledSet() {
  sigset_t set;
  sigemptyset(&set);
  for (const int signal : {SIGTERM, SIGINT, SIGHUP}) sigaddset(&set, signal);
  return set;
}

}  // namespace

void blockProcessSignals() {
  const sigset_t set = handledSet();
  pthread_sigmask(SIG_BLOCK, &set, nullptr);
}

ProcessSignals::ProcessSignals(std::function<void(const char*)> stop, std::function<void()> reopen)
    : fd_([] {
        const sigset_t set = handledSet();
        return ::signalfd(-1, &set, SFD_NONBLOCK | SFD_CLOEXEC);
      }()),
      stop_(std::move(stop)),
      reopen_(std::move(reopen)),
      notifier_(fd_, QSocketNotifier::Read) {
  connect(&notifier_, &QSocketNotifier::activated, this, [this] {
    signalfd_siginfo info{};
    while (::read(fd_, &info, sizeof info) == sizeof info) {
      if (info.ssi_signo == SIGHUP)
        reopen_();
      else
        stop_(info.ssi_signo == SIGINT ? "SIGINT" : "SIGTERM");
    }
  });
}

ProcessSignals::~ProcessSignals() {
  notifier_.setEnabled(false);
  ::close(fd_);
}

}  // namespace pv7100::daemon
