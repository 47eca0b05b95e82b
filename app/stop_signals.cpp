#include "app/stop_signals.h"

#include <csignal>

#include <fcntl.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QSocketNotifier>

namespace pv7100 {

namespace {

int pipeEnds[2] = {-1, -1};

void written(int signal) {
  const char byte = static_cast<char>(signal);
  [[maybe_unused]] const ssize_t ignored = ::write(pipeEnds[1], &byte, 1);
}

}  // namespace

void endOnStopSignals(std::function<void()> end) {
  if (::pipe2(pipeEnds, O_CLOEXEC | O_NONBLOCK) != 0) return;
  auto* notifier =
      new QSocketNotifier(pipeEnds[0], QSocketNotifier::Read, QCoreApplication::instance());
  QObject::connect(notifier, &QSocketNotifier::activated, notifier, [end = std::move(end)] {
    char byte = 0;
    while (::read(pipeEnds[0], &byte, 1) == 1) {
    }
    end();
  });
  struct sigaction action {};
  action.sa_handler = written;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  ::sigaction(SIGINT, &action, nullptr);
  ::sigaction(SIGTERM, &action, nullptr);
}

}  // namespace pv7100
