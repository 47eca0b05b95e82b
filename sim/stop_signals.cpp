#include "sim/stop_signals.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <system_error>

namespace pv7100::sim {
namespace {

volatile std::sig_atomic_t writeEnd = -1;

extern "C" void onStopSignal(int signal) {
  const int savedErrno = errno;
  const char byte = static_cast<char>(signal);
  [[maybe_unused]] const ssize_t written = write(writeEnd, &byte, 1);
  errno = savedErrno;
}

}  // namespace

StopSignals::StopSignals() {
  int ends[2];
  if (pipe(ends) != 0) throw std::system_error(errno, std::generic_category(), "pipe");
  for (const int end : ends) {
    fcntl(end, F_SETFL, fcntl(end, F_GETFL) | O_NONBLOCK);
    fcntl(end, F_SETFD, FD_CLOEXEC);
  }
  readEnd_ = ends[0];
  writeEnd = ends[1];
  struct sigaction action {};
  action.sa_handler = onStopSignal;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
}

StopSignals::~StopSignals() {
  std::signal(SIGINT, SIG_DFL);
  std::signal(SIGTERM, SIG_DFL);
  close(writeEnd);
  close(readEnd_);
  writeEnd = -1;
}

}  // namespace pv7100::sim
