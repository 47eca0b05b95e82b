#include "tests/support/event_loop.h"

#include <QCoreApplication>
#include <QTest>

namespace pv7100::testing {

bool waitUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
  return QTest::qWaitFor(done, static_cast<int>(timeout.count()));
}

void letQtRun() {
  QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

}  // namespace pv7100::testing
