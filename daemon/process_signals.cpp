#include "daemon/process_signals.h"

#include <cerrno>
#include <csignal>
#include <cstring>

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
    : stop_(std::move(stop)), reopen_(std::move(reopen)) {
  const sigset_t set = handledSet();
  fd_ = ::signalfd(-1, &set, SFD_NONBLOCK | SFD_CLOEXEC);
  if (fd_ < 0) {
    error_ = std::string("signalfd: ") + std::strerror(errno);
    return;
  }
  notifier_ = std::make_unique<QSocketNotifier>(fd_, QSocketNotifier::Read);
  connect(notifier_.get(), &QSocketNotifier::activated, this, [this] {
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
  if (fd_ < 0) return;
  notifier_->setEnabled(false);
  ::close(fd_);
}

}  // namespace pv7100::daemon
