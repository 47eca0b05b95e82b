#include "ctl/stop_signals.h"

#include <csignal>

#include <sys/signalfd.h>
#include <unistd.h>

namespace pv7100::ctl {

namespace {

int descriptor = -1;

}  // namespace

void catchStopSignals() {
  sigset_t stops;
  sigemptyset(&stops);
  sigaddset(&stops, SIGINT);
  sigaddset(&stops, SIGTERM);
  ::sigprocmask(SIG_BLOCK, &stops, nullptr);
  descriptor = ::signalfd(-1, &stops, SFD_NONBLOCK | SFD_CLOEXEC);
}

int stopSignalDescriptor() {
  return descriptor;
}

void checkStopSignals() {
  signalfd_siginfo info{};
  if (descriptor >= 0 && ::read(descriptor, &info, sizeof info) == sizeof info)
    throw Stopped{static_cast<int>(info.ssi_signo)};
}

}  // namespace pv7100::ctl
