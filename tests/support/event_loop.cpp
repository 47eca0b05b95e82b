#include "tests/support/event_loop.h"

#include <QCoreApplication>
#include <thread>

namespace pv7100::testing {

bool waitUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (!done()) {
    if (std::chrono::steady_clock::now() >= deadline) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    std::this_thread::sleep_for(1ms);
  }
  return true;
}

void letQtRun() {
  QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

void pump(std::chrono::milliseconds duration) {
  waitUntil([] { return false; }, duration);
}

}  // namespace pv7100::testing
